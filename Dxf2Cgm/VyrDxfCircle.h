/* A full circle, mirrored in x when the entity's extrusion points down. */
#ifndef VYR_DXF2CGM_VYRDXFCIRCLE_H
#define VYR_DXF2CGM_VYRDXFCIRCLE_H

#include "Dxf2Cgm/VyrDxfEntity.h"

class VyrDxfCircle : public VyrDxfEntity {
public:
    VyrDxfCircle() { kind = VyrDxfKindCircle; }
    VyrDxfCircle(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block);
    ~VyrDxfCircle() override = default;

    int Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation) override;

    double GetCenterX() const { return centerX; }
    double GetCenterY() const { return centerY; }
    double GetRadius() const { return radius; }

private:
    double centerX = 0.0;
    double centerY = 0.0;
    double radius = 0.0;
};

#endif
