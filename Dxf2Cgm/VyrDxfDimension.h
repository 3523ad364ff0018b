/* A dimension, drawn through the anonymous block that holds its picture.
 * The element is built and counted like every other; drawing it is still to
 * come, so Write writes nothing and returns 1. */
#ifndef VYR_DXF2CGM_VYRDXFDIMENSION_H
#define VYR_DXF2CGM_VYRDXFDIMENSION_H

#include "Dxf2Cgm/VyrDxfEntity.h"

class VyrDxfDimension : public VyrDxfEntity {
public:
    VyrDxfDimension() { kind = VyrDxfKindDimension; }
    VyrDxfDimension(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block)
        : VyrDxfEntity(entity, layer, block)
    {
        kind = VyrDxfKindDimension;
    }
    ~VyrDxfDimension() override = default;

    int Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation) override;
};

#endif
