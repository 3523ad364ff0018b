/* Circles: one full-turn DrawArc; the mapped radius is the length of the
 * radius vector along x under the transformation. */
#include "Dxf2Cgm/VyrDxfCircle.h"

#include "Dxf2Cgm/VyrDxfEntityLock.h"
#include "platform/math/VyrMathTransformation2D.h"
#include "platform/print/VyrPrintGenerator.h"

VyrDxfCircle::VyrDxfCircle(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block)
    : VyrDxfEntity(entity, layer, block)
{
    kind = VyrDxfKindCircle;
    radius = -1.0;
    VyrDxfEntityLock lock(entity);
    const dxf_circle *rec = lock.As<dxf_circle>(302);
    if (!rec) return;
    centerX = rec->xyzloc[0];
    centerY = rec->xyzloc[1];
    radius = rec->radius;
    if (rec->dxfhdr.extrusion[2] < 0.0) centerX = -centerX;
}

int VyrDxfCircle::Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation)
{
    if (!generator || !transformation) return 1;
    VyrDxfEntity::Write(generator, transformation);
    const VyrMathPoint2D c = *transformation * VyrMathPoint2D(centerX, centerY);
    const double r = (*transformation * VyrMathVector2D(radius, 0.0)).Norm();
    generator->DrawArc(static_cast<float>(c.GetX()), static_cast<float>(c.GetY()), static_cast<float>(r),
                       0.0f, static_cast<float>(2.0 * 3.14159265358979323846), 0);
    return 0;
}
