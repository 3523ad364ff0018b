/* A full circle, mirrored in x when the entity's extrusion points down; a
 * circle on a tilted plane (extrusion neither up nor down) is drawn as the
 * ellipse its plan view shows. */
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
    /* On a tilted plane: the plan view of the radius vectors along the
     * plane's x and y axes (the centre is its plan view too). */
    bool tilted = false;
    double axisX[2] = {0.0, 0.0};
    double axisY[2] = {0.0, 0.0};
};

#endif
