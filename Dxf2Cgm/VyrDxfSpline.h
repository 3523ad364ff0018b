/* A spline: drawn as a rational B-spline through its control points when it
 * has them, else as a smooth curve through its fit points. Fit points with
 * a stored start or end tangent give the cubic B-spline that interpolates
 * them with those tangents, as CAD programs draw it. The points stay in
 * model coordinates; every Write maps them afresh, because an element
 * inside a block is written once for each insert of the block. */
#ifndef VYR_DXF2CGM_VYRDXFSPLINE_H
#define VYR_DXF2CGM_VYRDXFSPLINE_H

#include "Dxf2Cgm/VyrDxfEntity.h"

class VyrDxfSpline : public VyrDxfEntity {
public:
    VyrDxfSpline() { kind = VyrDxfKindSpline; }
    VyrDxfSpline(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block);
    ~VyrDxfSpline() override;

    int Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation) override;

    int GetDegree() const { return degree; }
    int GetControlCount() const { return controlCount; }
    int GetKnotCount() const { return knotCount; }
    int GetFitCount() const { return fitCount; }
    int IsClosed() const { return closed; }
    int IsPeriodic() const { return periodic; }
    int IsRational() const { return rational; }

private:
    float *weights = nullptr;
    double *fitPoints = nullptr;
    float *knots = nullptr;
    float *controlPoints = nullptr;
    int flags = 0;
    int knotCount = 0;
    int fitCount = 0;
    int controlCount = 0;
    int degree = 0;
    int closed = 0;
    int periodic = 0;
    int rational = 0;
    /* The stored tangent directions at the first and last fit point; zero
     * when the drawing gives none. */
    double startTangent[2] = {0.0, 0.0};
    double endTangent[2] = {0.0, 0.0};

    /* The fit points with their end tangents as one cubic B-spline. */
    int WriteFitWithTangents(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation);
};

#endif
