/* A multiline: parallel lines offset along the miters of its vertices.
 * The element is built and counted like every other; drawing it is still to
 * come, so Write writes nothing and returns 1. */
#ifndef VYR_DXF2CGM_VYRDXFMLINE_H
#define VYR_DXF2CGM_VYRDXFMLINE_H

#include "Dxf2Cgm/VyrDxfEntity.h"

class VyrDxfMline : public VyrDxfEntity {
public:
    VyrDxfMline() { kind = VyrDxfKindMline; }
    VyrDxfMline(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block)
        : VyrDxfEntity(entity, layer, block)
    {
        kind = VyrDxfKindMline;
    }
    ~VyrDxfMline() override = default;

    int Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation) override;
};

#endif
