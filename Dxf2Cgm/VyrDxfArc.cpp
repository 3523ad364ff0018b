/* Arcs. Under a transformation the centre maps as a point, the radius is the
 * mapped length of the start radius vector, and the angles follow the
 * rotation part of the transformation; a mirroring transformation reverses
 * the arc's direction, so its angles are negated and swapped first.
 * Mirrored by its extrusion, an arc of a full turn stays a full turn. On a
 * tilted plane, or under a transformation that scales unevenly (an insert
 * with different x and y scales, which also carries the bulges of
 * polylines), the arc is the elliptical arc its radius vectors map to. */
#include "Dxf2Cgm/VyrDxfArc.h"

#include <cmath>
#include <new>

#include "Dxf2Cgm/VyrDxfEllipse.h"
#include "Dxf2Cgm/VyrDxfEntHeader.h"
#include "Dxf2Cgm/VyrDxfEntityLock.h"
#include "Dxf2Cgm/VyrDxfOcs.h"
#include "platform/math/VyrMathTransformation2D.h"
#include "platform/print/VyrPrintGenerator.h"

namespace {

/* An angle of 0 to 2 pi mirrored in x. */
double MirrorAngle(double a) { return a < M_PI ? M_PI - a : 3.0 * M_PI - a; }

} // namespace

VyrDxfArc::VyrDxfArc(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block)
    : VyrDxfEntity(entity, layer, block)
{
    kind = VyrDxfKindArc;
    radius = -1.0;
    VyrDxfEntityLock lock(entity);
    const dxf_arc *rec = lock.As<dxf_arc>(303);
    if (!rec) return;
    radius = rec->radius;
    startAngle = DegreeToRadian(rec->sang);
    endAngle = DegreeToRadian(rec->eang);
    const VyrDxfOcs ocs(rec->dxfhdr.extrusion);
    const VyrMathPoint2D centre = ocs.ToPlan(rec->xyzloc[0], rec->xyzloc[1], rec->xyzloc[2]);
    centerX = centre.GetX();
    centerY = centre.GetY();
    if (!ocs.IsPlanar()) {
        tilted = true;
        ocs.RadiusAxes(radius, axisX, axisY);
    } else if (ocs.IsMirrored()) {
        MirrorAngles();
    }
}

VyrDxfArc::VyrDxfArc(double cx, double cy, double r, double start, double end, VyrDxfEntHeader *from,
                     int mirror)
{
    kind = VyrDxfKindArc;
    fromNumbers = 1;
    if (from) header = new (std::nothrow) VyrDxfEntHeader(from);
    centerX = cx;
    centerY = cy;
    radius = r;
    startAngle = start;
    endAngle = end;
    if (mirror) {
        centerX = -centerX;
        MirrorAngles();
    }
}

void VyrDxfArc::MirrorAngles()
{
    const bool fullTurn = endAngle - startAngle >= 2.0 * M_PI;
    const double start = MirrorAngle(endAngle);
    endAngle = fullTurn ? start + 2.0 * M_PI : MirrorAngle(startAngle);
    startAngle = start;
}

double VyrDxfArc::DegreeToRadian(double d)
{
    if (d > 360.0) {
        d -= 360.0 * std::trunc(std::trunc(d) / 360.0);
    } else if (d < 0.0) {
        d -= 360.0 * std::trunc(std::trunc(d) / 360.0);
        d += 360.0;
    }
    return d * (M_PI / 180.0);
}

int VyrDxfArc::Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation)
{
    if (!generator || !transformation || IsLeftOut()) return 1;
    const VyrMath2x2Matrix m = transformation->GetMatrix();
    const double det = m.Determinant();
    const double scale = std::sqrt(std::fabs(det));
    if (tilted || (scale >= 1e-6 && !VyrDxfEllipse::KeepsCircles(*transformation))) {
        double end = endAngle;
        if (end < startAngle) end += 2.0 * M_PI;
        if (end - startAngle < 0.001) return 1;
        VyrDxfEntity::Write(generator, transformation);
        const VyrMathVector2D u = tilted ? VyrMathVector2D(axisX[0], axisX[1]) : VyrMathVector2D(radius, 0.0);
        const VyrMathVector2D v = tilted ? VyrMathVector2D(axisY[0], axisY[1]) : VyrMathVector2D(0.0, radius);
        return VyrDxfEllipse::WriteConjugateArc(generator, *transformation, VyrMathPoint2D(centerX, centerY),
                                                u, v, startAngle, end);
    }
    if (scale < 1e-6) return 1;

    VyrDxfEntity::Write(generator, transformation);

    const VyrMathPoint2D c = *transformation * VyrMathPoint2D(centerX, centerY);
    const VyrMathVector2D rv(radius * std::cos(startAngle), radius * std::sin(startAngle));
    const double r = (*transformation * rv).Norm();

    /* The linear part without its scale is a rotation, or a rotation after
     * the mirror in x when the transformation mirrors. A mirror in x maps
     * the angle a to -a and turns the arc's direction, so start and end
     * swap; the rotation then adds its angle to both. */
    VyrMath2x2Matrix n = m / scale;
    double a1 = startAngle;
    double a2 = endAngle;
    if (det < 0.0) {
        a1 = -endAngle;
        a2 = -startAngle;
        n = n * VyrMath2x2Matrix(1.0, -1.0);
    }
    double turn = 0.0;
    VyrMathPoint2D fixed;
    if (VyrMathTransformation2D(n, VyrMathVector2D(0.0, 0.0)).IsRotation(turn, fixed)) {
        a1 += turn;
        a2 += turn;
    }
    if (a2 - a1 > -0.001 && a2 - a1 < 0.001) return 1;
    generator->DrawArc(static_cast<float>(c.GetX()), static_cast<float>(c.GetY()), static_cast<float>(r),
                       static_cast<float>(a1), static_cast<float>(a2), 0);
    return 0;
}
