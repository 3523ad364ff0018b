/* An ellipse or elliptical arc: centre, major axis vector, ratio of minor to
 * major axis and the start and end parameters (radians). The centre and the
 * axis are world points; the extrusion direction says on which side the
 * minor axis lies, so the plan view keeps the axis and reverses the
 * parameters of an ellipse whose extrusion points down, and projects the
 * minor axis of one on a tilted plane. */
#ifndef VYR_DXF2CGM_VYRDXFELLIPSE_H
#define VYR_DXF2CGM_VYRDXFELLIPSE_H

#include "Dxf2Cgm/VyrDxfEntity.h"

class VyrMathPoint2D;
class VyrMathVector2D;

class VyrDxfEllipse : public VyrDxfEntity {
public:
    VyrDxfEllipse() { kind = VyrDxfKindEllipse; }
    VyrDxfEllipse(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block);
    ~VyrDxfEllipse() override = default;

    int Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation) override;

    /* Draws the elliptical arc c + cos(t)·u + sin(t)·v for t from `start` to
     * `end` (radians, anticlockwise in t) through the transformation: the
     * principal axes of the mapped ellipse are found afresh and the
     * parameters shifted to them, and reversed where the mapped u and v
     * turn clockwise (a mirror, an extrusion pointing down). A full turn
     * stays a full turn. 0 when drawn, 1 when u is null. */
    static int WriteConjugateArc(VyrPrintGenerator *generator, const VyrMathTransformation2D &transformation,
                                 const VyrMathPoint2D &centre, const VyrMathVector2D &u,
                                 const VyrMathVector2D &v, double start, double end);

    /* True when the transformation maps circles to circles: its linear
     * part is a rotation or a mirror times one scale (within a relative
     * 1e-9). An uneven or skewed scale draws circles as ellipses. */
    static bool KeepsCircles(const VyrMathTransformation2D &transformation);

private:
    double ratio = 0.0;
    double endParameter = 0.0;
    double startParameter = 0.0;
    double majorAxis[2] = {0.0, 0.0};
    double center[2] = {0.0, 0.0};
    /* The plan view of the minor semi-axis vector. */
    double minorAxis[2] = {0.0, 0.0};
};

#endif
