/* The common base of the polyline elements: a chain of vertices whose
 * segments may be straight or bulged, with widths. Polylines are built and
 * counted like every other element; drawing them is still to come, so their
 * Write writes nothing and returns 1. */
#ifndef VYR_DXF2CGM_VYRDXFPOLYLINEENTITY_H
#define VYR_DXF2CGM_VYRDXFPOLYLINEENTITY_H

#include "Dxf2Cgm/VyrDxfEntity.h"

class VyrDxfPolylineEntity : public VyrDxfEntity {
public:
    VyrDxfPolylineEntity() = default;
    VyrDxfPolylineEntity(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block)
        : VyrDxfEntity(entity, layer, block)
    {}
    ~VyrDxfPolylineEntity() override = default;

    int Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation) override;
};

#endif
