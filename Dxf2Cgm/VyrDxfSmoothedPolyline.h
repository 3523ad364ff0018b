/* A spline- or curve-fitted classic polyline, drawn as a smooth curve. */
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
};

#endif
