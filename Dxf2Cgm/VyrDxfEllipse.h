/* An ellipse or elliptical arc: centre, major axis vector, ratio of minor to
 * major axis and the start and end parameters (radians). */
#ifndef VYR_DXF2CGM_VYRDXFELLIPSE_H
#define VYR_DXF2CGM_VYRDXFELLIPSE_H

#include "Dxf2Cgm/VyrDxfEntity.h"

class VyrDxfEllipse : public VyrDxfEntity {
public:
    VyrDxfEllipse() { kind = VyrDxfKindEllipse; }
    VyrDxfEllipse(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block);
    ~VyrDxfEllipse() override = default;

    int Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation) override;

private:
    double ratio = 0.0;
    double endParameter = 0.0;
    double startParameter = 0.0;
    double majorAxis[2] = {0.0, 0.0};
    double center[2] = {0.0, 0.0};
};

#endif
