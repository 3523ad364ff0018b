/* A lightweight polyline with its vertex arrays. */
#ifndef VYR_DXF2CGM_VYRDXFLWPOLYLINE_H
#define VYR_DXF2CGM_VYRDXFLWPOLYLINE_H

#include "Dxf2Cgm/VyrDxfPolylineEntity.h"

class VyrDxfLWPolyline : public VyrDxfPolylineEntity {
public:
    VyrDxfLWPolyline() { kind = VyrDxfKindLWPolyline; }
    VyrDxfLWPolyline(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block)
        : VyrDxfPolylineEntity(entity, layer, block)
    {
        kind = VyrDxfKindLWPolyline;
    }
    ~VyrDxfLWPolyline() override = default;
};

#endif
