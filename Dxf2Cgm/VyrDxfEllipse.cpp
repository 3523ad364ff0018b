/* Ellipses. The minor semi-axis vector is ratio · |major| in the direction
 * N × major (N the extrusion direction): (0, 0, 1) puts it a quarter turn
 * anticlockwise from the major axis, (0, 0, -1) a quarter turn clockwise,
 * which runs the parameters clockwise in the plan view.
 *
 * Any affine map (insert, plan view) takes an ellipse to an ellipse: its
 * conjugate semi-diameters u, v map to conjugate semi-diameters, from which
 * the principal axes follow. With t0 = atan2(2 u·v, |u|² - |v|²) / 2, the
 * vectors u' = cos t0·u + sin t0·v and v' = -sin t0·u + cos t0·v are
 * perpendicular and the point of parameter t is c + cos(t - t0)·u' +
 * sin(t - t0)·v'. */
#include "Dxf2Cgm/VyrDxfEllipse.h"

#include <cmath>

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

    /* N × major, scaled to the minor axis's length. */
    const double *m = rec->majaxis;
    double n[3] = {rec->dxfhdr.extrusion[0], rec->dxfhdr.extrusion[1], rec->dxfhdr.extrusion[2]};
    const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (!(length > 0.0) || !std::isfinite(length)) {
        n[0] = n[1] = 0.0;
        n[2] = 1.0;
    } else {
        for (double &c : n) c /= length;
    }
    double minor[3] = {n[1] * m[2] - n[2] * m[1], n[2] * m[0] - n[0] * m[2], n[0] * m[1] - n[1] * m[0]};
    const double major = std::sqrt(m[0] * m[0] + m[1] * m[1] + m[2] * m[2]);
    const double across = std::sqrt(minor[0] * minor[0] + minor[1] * minor[1] + minor[2] * minor[2]);
    const double scale = across > 0.0 ? ratio * major / across : 0.0;
    minorAxis[0] = minor[0] * scale;
    minorAxis[1] = minor[1] * scale;
}

int VyrDxfEllipse::WriteConjugateArc(VyrPrintGenerator *generator,
                                     const VyrMathTransformation2D &transformation,
                                     const VyrMathPoint2D &centre, const VyrMathVector2D &u,
                                     const VyrMathVector2D &v, double start, double end)
{
    if (!generator) return 1;
    const VyrMathPoint2D c = transformation * centre;
    const VyrMathVector2D mu = transformation * u;
    const VyrMathVector2D mv = transformation * v;
    if (mu.Norm() == 0.0) {
        /* Nothing to measure an axis on: a collapsed ellipse at the centre. */
        generator->DrawEllipse(static_cast<float>(c.GetX()), static_cast<float>(c.GetY()), 0.0f, 0.0f,
                               static_cast<float>(start), static_cast<float>(end), 0.0f, 0);
        return 1;
    }
    double t0 = 0.5 * std::atan2(2.0 * mu.Dot(mv), mu.Dot(mu) - mv.Dot(mv));
    VyrMathVector2D major = mu * std::cos(t0) + mv * std::sin(t0);
    VyrMathVector2D minor = mv * std::cos(t0) - mu * std::sin(t0);
    if (minor.Norm() > major.Norm()) {
        /* The other axis is the longer: a quarter turn further on. */
        t0 += M_PI / 2;
        const VyrMathVector2D swapped = minor;
        minor = -major;
        major = swapped;
    }
    const double a = major.Norm();
    const double b = minor.Norm();
    const double rotation = std::atan2(major.GetY(), major.GetX());
    double s = start - t0;
    double e = end - t0;
    if (major.Cross(minor) < 0.0) {
        /* The parameters run clockwise: the same arc, anticlockwise from
         * the mirrored end to the mirrored start. */
        s = t0 - end;
        e = t0 - start;
    }
    generator->DrawEllipse(static_cast<float>(c.GetX()), static_cast<float>(c.GetY()), static_cast<float>(a),
                           static_cast<float>(b), static_cast<float>(s), static_cast<float>(e),
                           static_cast<float>(rotation), 0);
    return 0;
}

bool VyrDxfEllipse::KeepsCircles(const VyrMathTransformation2D &transformation)
{
    /* M keeps circles when its columns are perpendicular and of one length */
    const VyrMath2x2Matrix m = transformation.GetMatrix();
    const double a = m.GetCoef(0, 0), b = m.GetCoef(0, 1), c = m.GetCoef(1, 0), d = m.GetCoef(1, 1);
    const double first = a * a + c * c, second = b * b + d * d;
    const double tolerance = 1e-9 * (first + second);
    return std::fabs(a * b + c * d) <= tolerance && std::fabs(first - second) <= tolerance;
}

int VyrDxfEllipse::Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation)
{
    if (!generator || !transformation || IsLeftOut()) return 1;
    VyrDxfEntity::Write(generator, transformation);
    WriteConjugateArc(generator, *transformation, VyrMathPoint2D(center[0], center[1]),
                      VyrMathVector2D(majorAxis[0], majorAxis[1]),
                      VyrMathVector2D(minorAxis[0], minorAxis[1]), startParameter, endParameter);
    return 0;
}
