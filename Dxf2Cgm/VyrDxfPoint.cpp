/* Points: one DrawMarker at the transformed place. */
#include "Dxf2Cgm/VyrDxfPoint.h"

#include "Dxf2Cgm/VyrDxfEntityLock.h"
#include "platform/math/VyrMathTransformation2D.h"
#include "platform/print/VyrPrintGenerator.h"

VyrDxfPoint::VyrDxfPoint(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block)
    : VyrDxfEntity(entity, layer, block)
{
    kind = VyrDxfKindPoint;
    VyrDxfEntityLock lock(entity);
    if (const dxf_point *rec = lock.As<dxf_point>(301)) {
        x = rec->xyzloc[0];
        y = rec->xyzloc[1];
    }
}

int VyrDxfPoint::MarkerKind(int mode)
{
    switch (mode) {
    case 1: return -1;
    case 2: return 1;
    case 3: return 0;
    case 32: return 2;
    case 33: return 4;
    default: return 8;
    }
}

int VyrDxfPoint::Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation)
{
    if (!generator || !transformation || IsLeftOut()) return 1;
    VyrDxfEntity::Write(generator, transformation);
    const VyrMathPoint2D p = *transformation * VyrMathPoint2D(x, y);
    const int marker = MarkerKind(PDMODE);
    if (marker < 0) return 0;
    generator->DrawMarker(static_cast<float>(p.GetX()), static_cast<float>(p.GetY()), marker, 0);
    return 0;
}
