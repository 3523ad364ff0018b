/* A multiline text of the drawing.
 * The element is built and counted like every other; drawing it is still to
 * come, so Write writes nothing and returns 1. */
#ifndef VYR_DXF2CGM_VYRDXFMTEXT_H
#define VYR_DXF2CGM_VYRDXFMTEXT_H

#include "Dxf2Cgm/VyrDxfEntity.h"

class VyrDxfMText : public VyrDxfEntity {
public:
    VyrDxfMText() { kind = VyrDxfKindMText; }
    VyrDxfMText(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block)
        : VyrDxfEntity(entity, layer, block)
    {
        kind = VyrDxfKindMText;
    }
    ~VyrDxfMText() override = default;

    int Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation) override;
};

#endif
