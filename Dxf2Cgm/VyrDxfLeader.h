/* A leader: the path of its vertices.
 * The element is built and counted like every other; drawing it is still to
 * come, so Write writes nothing and returns 1. */
#ifndef VYR_DXF2CGM_VYRDXFLEADER_H
#define VYR_DXF2CGM_VYRDXFLEADER_H

#include "Dxf2Cgm/VyrDxfEntity.h"

class VyrDxfLeader : public VyrDxfEntity {
public:
    VyrDxfLeader() { kind = VyrDxfKindLeader; }
    VyrDxfLeader(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block)
        : VyrDxfEntity(entity, layer, block)
    {
        kind = VyrDxfKindLeader;
    }
    ~VyrDxfLeader() override = default;

    int Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation) override;
};

#endif
