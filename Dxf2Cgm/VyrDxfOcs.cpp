/* Object coordinate systems (see the header). */
#include "Dxf2Cgm/VyrDxfOcs.h"

#include <cmath>

namespace {

void Cross(const double *a, const double *b, double *out)
{
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

void Normalize(double *v)
{
    const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length > 0.0)
        for (int i = 0; i < 3; ++i) v[i] /= length;
}

} // namespace

VyrDxfOcs::VyrDxfOcs(double nx, double ny, double nz)
{
    /* The usual extrusion, +Z (zeros of either sign kept apart, as the
     * general case keeps them): the plan's own axes, as computed below. */
    if (nx == 0.0 && ny == 0.0 && nz == 1.0 && !std::signbit(nx) && !std::signbit(ny)) {
        n_[0] = n_[1] = 0.0;
        n_[2] = 1.0;
        ax_[0] = 1.0;
        ax_[1] = ax_[2] = 0.0;
        ay_[0] = ay_[2] = 0.0;
        ay_[1] = 1.0;
        planar_ = true;
        return;
    }
    n_[0] = nx;
    n_[1] = ny;
    n_[2] = nz;
    const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (!(length > 0.0) || !std::isfinite(length)) {
        n_[0] = n_[1] = 0.0;
        n_[2] = 1.0;
    }
    Normalize(n_);
    planar_ = n_[0] == 0.0 && n_[1] == 0.0;
    static const double worldY[3] = {0.0, 1.0, 0.0};
    static const double worldZ[3] = {0.0, 0.0, 1.0};
    const double limit = 1.0 / 64.0;
    Cross(std::fabs(n_[0]) < limit && std::fabs(n_[1]) < limit ? worldY : worldZ, n_, ax_);
    Normalize(ax_);
    Cross(n_, ax_, ay_);
    Normalize(ay_);
}

VyrMathPoint2D VyrDxfOcs::ToPlan(double x, double y, double z) const
{
    return VyrMathPoint2D(x * ax_[0] + y * ay_[0] + z * n_[0], x * ax_[1] + y * ay_[1] + z * n_[1]);
}

VyrMathVector2D VyrDxfOcs::ToPlanVector(double x, double y, double z) const
{
    return VyrMathVector2D(x * ax_[0] + y * ay_[0] + z * n_[0], x * ax_[1] + y * ay_[1] + z * n_[1]);
}

void VyrDxfOcs::TextToPlan(double z, double &insertX, double &insertY, double &alignX, double &alignY,
                           double &rotation) const
{
    if (IsPlanar() && !IsMirrored()) return;
    const VyrMathPoint2D insert = ToPlan(insertX, insertY, z);
    const VyrMathPoint2D align = ToPlan(alignX, alignY, z);
    const double a = rotation * M_PI / 180.0;
    const VyrMathVector2D baseline = ToPlanVector(std::cos(a), std::sin(a));
    insertX = insert.GetX();
    insertY = insert.GetY();
    alignX = align.GetX();
    alignY = align.GetY();
    if (std::isfinite(rotation) && (baseline.GetX() != 0.0 || baseline.GetY() != 0.0))
        rotation = std::atan2(baseline.GetY(), baseline.GetX()) * 180.0 / M_PI;
}
