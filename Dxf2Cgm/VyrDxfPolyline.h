/* A classic polyline with its vertex entities. */
#ifndef VYR_DXF2CGM_VYRDXFPOLYLINE_H
#define VYR_DXF2CGM_VYRDXFPOLYLINE_H

#include "Dxf2Cgm/VyrDxfPolylineEntity.h"

class VyrDxfPolyline : public VyrDxfPolylineEntity {
public:
    VyrDxfPolyline() { kind = VyrDxfKindPolyline; }
    VyrDxfPolyline(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block)
        : VyrDxfPolylineEntity(entity, layer, block)
    {
        kind = VyrDxfKindPolyline;
    }
    ~VyrDxfPolyline() override = default;
};

#endif
