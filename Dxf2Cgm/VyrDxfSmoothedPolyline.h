/* A curve-fit or spline-fit polyline, drawn as a smooth curve through the
 * vertices of its chain (the spline frame control points left out), with
 * its width as its line weight. A polyline whose default widths differ
 * (a tapering curve) is drawn segment by segment instead. */
#ifndef VYR_DXF2CGM_VYRDXFSMOOTHEDPOLYLINE_H
#define VYR_DXF2CGM_VYRDXFSMOOTHEDPOLYLINE_H

#include "Dxf2Cgm/VyrDxfPolyline.h"

class VyrDxfSmoothedPolyline : public VyrDxfPolyline {
public:
    VyrDxfSmoothedPolyline() { kind = VyrDxfKindPolyline; }
    VyrDxfSmoothedPolyline(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block)
        : VyrDxfPolyline(entity, layer, block)
    {
        kind = VyrDxfKindPolyline;
    }
    ~VyrDxfSmoothedPolyline() override = default;

    /* 1 without generator or transformation, or when no point is left. */
    int Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation) override;
    /* Like the classic polyline's, but bulges and widths never make it
     * fail. */
    int ScanPolyline(int &count, double *points) override;
};

#endif
