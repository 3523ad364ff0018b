/* An attribute value attached to an insert.
 * The element is built and counted like every other; drawing it is still to
 * come, so Write writes nothing and returns 1. */
#ifndef VYR_DXF2CGM_VYRDXFATTRIBUTE_H
#define VYR_DXF2CGM_VYRDXFATTRIBUTE_H

#include "Dxf2Cgm/VyrDxfEntity.h"

class VyrDxfAttribute : public VyrDxfEntity {
public:
    VyrDxfAttribute() { kind = VyrDxfKindAttribute; }
    VyrDxfAttribute(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block)
        : VyrDxfEntity(entity, layer, block)
    {
        kind = VyrDxfKindAttribute;
    }
    ~VyrDxfAttribute() override = default;

    int Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation) override;
};

#endif
