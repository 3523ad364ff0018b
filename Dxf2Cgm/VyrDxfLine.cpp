/* Lines: one DrawLine between the transformed end points. */
#include "Dxf2Cgm/VyrDxfLine.h"

#include <new>

#include "Dxf2Cgm/VyrDxfEntHeader.h"
#include "Dxf2Cgm/VyrDxfEntityLock.h"
#include "platform/math/VyrMathTransformation2D.h"
#include "platform/print/VyrPrintGenerator.h"

VyrDxfLine::VyrDxfLine(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block)
    : VyrDxfEntity(entity, layer, block)
{
    kind = VyrDxfKindLine;
    VyrDxfEntityLock lock(entity);
    if (const dxf_line *rec = lock.As<dxf_line>(300)) {
        start[0] = rec->xyzstr[0];
        start[1] = rec->xyzstr[1];
        end[0] = rec->xyzend[0];
        end[1] = rec->xyzend[1];
    }
}

VyrDxfLine::VyrDxfLine(double x1, double y1, double x2, double y2, VyrDxfEntHeader *from)
    : VyrDxfLine(x1, y1, x2, y2, from, 0)
{}

VyrDxfLine::VyrDxfLine(double x1, double y1, double x2, double y2, VyrDxfEntHeader *from, int mirror)
{
    kind = VyrDxfKindLine;
    if (from) header = new (std::nothrow) VyrDxfEntHeader(from);
    start[0] = mirror ? -x1 : x1;
    start[1] = y1;
    end[0] = mirror ? -x2 : x2;
    end[1] = y2;
}

int VyrDxfLine::Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation)
{
    if (!generator || !transformation || IsLeftOut()) return 1;
    VyrDxfEntity::Write(generator, transformation);
    const VyrMathPoint2D p1 = *transformation * VyrMathPoint2D(start[0], start[1]);
    const VyrMathPoint2D p2 = *transformation * VyrMathPoint2D(end[0], end[1]);
    generator->DrawLine(static_cast<float>(p1.GetX()), static_cast<float>(p1.GetY()),
                        static_cast<float>(p2.GetX()), static_cast<float>(p2.GetY()));
    return 0;
}
