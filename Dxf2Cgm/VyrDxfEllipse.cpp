/* Ellipses: the centre and the end of the major axis are transformed, the
 * major axis length and direction come from the transformed axis, the minor
 * axis keeps its ratio, and the parameters are passed as stored. */
#include "Dxf2Cgm/VyrDxfEllipse.h"

#include "Dxf2Cgm/VyrDxfEntityLock.h"
#include "platform/math/VyrMathTransformation2D.h"
#include "platform/print/VyrPrintGenerator.h"

VyrDxfEllipse::VyrDxfEllipse(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block)
    : VyrDxfEntity(entity, layer, block)
{
    kind = VyrDxfKindEllipse;
    VyrDxfEntityLock lock(entity);
    const dxf_ellipse *rec = lock.As<dxf_ellipse>(313);
    if (!rec) return;
    center[0] = rec->center[0];
    center[1] = rec->center[1];
    majorAxis[0] = rec->majaxis[0];
    majorAxis[1] = rec->majaxis[1];
    ratio = rec->minlen;
    startParameter = rec->strparm;
    endParameter = rec->endparm;
}

int VyrDxfEllipse::Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation)
{
    if (!generator || !transformation) return 1;
    VyrDxfEntity::Write(generator, transformation);
    const VyrMathPoint2D c0(center[0], center[1]);
    const VyrMathPoint2D c = *transformation * c0;
    const VyrMathPoint2D e = *transformation * (c0 + VyrMathVector2D(majorAxis[0], majorAxis[1]));
    const VyrMathVector2D axis = e - c;
    const double a = axis.Norm();
    const double b = a * ratio;
    const double rotation = a == 0.0 ? 0.0 : -axis.GetAngleTo(VyrMathVector2D(1.0, 0.0));
    generator->DrawEllipse(static_cast<float>(c.GetX()), static_cast<float>(c.GetY()), static_cast<float>(a),
                           static_cast<float>(b), static_cast<float>(startParameter),
                           static_cast<float>(endParameter), static_cast<float>(rotation), 0);
    return 0;
}
