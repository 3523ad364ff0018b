/* Circles: one full-turn DrawArc; the mapped radius is the length of the
 * radius vector along x under the transformation. On a tilted plane, or
 * under a transformation that scales unevenly (an insert with different x
 * and y scales), the circle is the ellipse its radius vectors map to. */
#include "Dxf2Cgm/VyrDxfCircle.h"

#include <cmath>

#include "Dxf2Cgm/VyrDxfEllipse.h"
#include "Dxf2Cgm/VyrDxfEntityLock.h"
#include "Dxf2Cgm/VyrDxfOcs.h"
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
    radius = rec->radius;
    const VyrDxfOcs ocs(rec->dxfhdr.extrusion);
    const VyrMathPoint2D centre = ocs.ToPlan(rec->xyzloc[0], rec->xyzloc[1], rec->xyzloc[2]);
    centerX = centre.GetX();
    centerY = centre.GetY();
    if (!ocs.IsPlanar()) {
        tilted = true;
        ocs.RadiusAxes(radius, axisX, axisY);
    }
}

int VyrDxfCircle::Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation)
{
    if (!generator || !transformation || IsLeftOut()) return 1;
    VyrDxfEntity::Write(generator, transformation);
    if (tilted)
        return VyrDxfEllipse::WriteConjugateArc(generator, *transformation, VyrMathPoint2D(centerX, centerY),
                                                VyrMathVector2D(axisX[0], axisX[1]),
                                                VyrMathVector2D(axisY[0], axisY[1]), 0.0, 2.0 * M_PI);
    if (!VyrDxfEllipse::KeepsCircles(*transformation))
        return VyrDxfEllipse::WriteConjugateArc(generator, *transformation, VyrMathPoint2D(centerX, centerY),
                                                VyrMathVector2D(radius, 0.0), VyrMathVector2D(0.0, radius),
                                                0.0, 2.0 * M_PI);
    const VyrMathPoint2D c = *transformation * VyrMathPoint2D(centerX, centerY);
    const double r = (*transformation * VyrMathVector2D(radius, 0.0)).Norm();
    generator->DrawArc(static_cast<float>(c.GetX()), static_cast<float>(c.GetY()), static_cast<float>(r),
                       0.0f, static_cast<float>(2.0 * M_PI), 0);
    return 0;
}
