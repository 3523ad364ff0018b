/* A circular arc: built from an arc entity (angles in degrees, mirrored in
 * x when the extrusion points down), or from numbers handed over by other
 * elements (angles in radians). The arc runs anticlockwise from its start
 * angle to its end angle. An arc on a tilted plane (extrusion neither up nor
 * down) is drawn as the elliptical arc its plan view shows. */
#ifndef VYR_DXF2CGM_VYRDXFARC_H
#define VYR_DXF2CGM_VYRDXFARC_H

#include "Dxf2Cgm/VyrDxfEntity.h"

class VyrDxfArc : public VyrDxfEntity {
public:
    VyrDxfArc() { kind = VyrDxfKindArc; }
    VyrDxfArc(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block);
    /* Angles in radians; a non-zero `mirror` negates cx and mirrors the
     * angles as a downward extrusion does. */
    VyrDxfArc(double cx, double cy, double radius, double start, double end, VyrDxfEntHeader *header,
              int mirror);
    ~VyrDxfArc() override = default;

    int Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation) override;

    /* Degrees to radians, the angle first brought into 0 to 360 (360 stays
     * 360, -360 becomes 360). */
    static double DegreeToRadian(double degrees);

    double GetCenterX() const { return centerX; }
    double GetCenterY() const { return centerY; }
    double GetRadius() const { return radius; }
    double GetStartAngle() const { return startAngle; }
    double GetEndAngle() const { return endAngle; }

private:
    /* Mirrors the angles in x: the mirrored start becomes the end. */
    void MirrorAngles();

    double centerX = 0.0;
    double centerY = 0.0;
    double radius = 0.0;
    double endAngle = 0.0;
    double startAngle = 0.0;
    int fromNumbers = 0;
    /* On a tilted plane: the plan view of the radius vectors along the
     * plane's x and y axes (the centre is its plan view too). */
    bool tilted = false;
    double axisX[2] = {0.0, 0.0};
    double axisY[2] = {0.0, 0.0};
};

#endif
