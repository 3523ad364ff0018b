/* Affine transformations of the plane (see the header for the conventions). */
#include "platform/math/VyrMathTransformation2D.h"

#include <cmath>

namespace {
const double kTolerance = 1e-9;

/* cos and sin of an angle in degrees, exact for the multiples of 90 so that
 * a rotation by 90 degrees maps (1, 0) to (0, 1) without a 6e-17 residue. */
void CosSinDegrees(double degrees, double &c, double &s)
{
    double r = std::fmod(degrees, 360.0);
    if (r < 0) r += 360.0;
    if (r == 0.0) {
        c = 1;
        s = 0;
        return;
    }
    if (r == 90.0) {
        c = 0;
        s = 1;
        return;
    }
    if (r == 180.0) {
        c = -1;
        s = 0;
        return;
    }
    if (r == 270.0) {
        c = 0;
        s = -1;
        return;
    }
    c = std::cos(r * M_PI / 180.0);
    s = std::sin(r * M_PI / 180.0);
}
} // namespace

VyrMathTransformation2D::VyrMathTransformation2D() = default;

VyrMathTransformation2D::VyrMathTransformation2D(const VyrMathVector2D &v) : t_(v) {}

VyrMathTransformation2D::VyrMathTransformation2D(const VyrMathPoint2D &centre, double value,
                                                 VyrMathTransfoType kind)
{
    if (kind == VyrMathRotation) {
        double c, s;
        CosSinDegrees(value, c, s);
        m_ = VyrMath2x2Matrix(c, -s, s, c);
    } else if (kind == VyrMathScaling) {
        m_ = VyrMath2x2Matrix(value, value);
    } else {
        return;
    }
    /* Keep the centre fixed: t = c - M c. */
    VyrMathVector2D c(centre.GetX(), centre.GetY());
    t_ = c - m_ * c;
}

VyrMathTransformation2D::VyrMathTransformation2D(const VyrMath2x2Matrix &m, const VyrMathVector2D &t)
    : m_(m), t_(t)
{}

bool VyrMathTransformation2D::IsRotation(double &angle, VyrMathPoint2D &centre) const
{
    double a = m_.GetCoef(0, 0), b = m_.GetCoef(0, 1);
    double c = m_.GetCoef(1, 0), d = m_.GetCoef(1, 1);
    if (std::fabs(a - d) > kTolerance || std::fabs(b + c) > kTolerance ||
        std::fabs(a * a + c * c - 1.0) > kTolerance)
        return false;
    double theta = std::atan2(c, a);
    /* The fixed point solves (I - M) x = t. */
    double i00 = 1.0 - a, i01 = -b, i10 = -c, i11 = 1.0 - d;
    double det = i00 * i11 - i01 * i10;
    if (std::fabs(det) < kTolerance) {
        if (t_.Norm() > kTolerance) return false;
        angle = theta;
        centre = VyrMathO2D;
        return true;
    }
    double tx = t_.GetX(), ty = t_.GetY();
    centre = VyrMathPoint2D((i11 * tx - i01 * ty) / det, (-i10 * tx + i00 * ty) / det);
    angle = theta;
    return true;
}

VyrMathPoint2D VyrMathTransformation2D::operator*(const VyrMathPoint2D &p) const
{
    VyrMathVector2D v = m_ * VyrMathVector2D(p.GetX(), p.GetY());
    return VyrMathPoint2D(v.GetX() + t_.GetX(), v.GetY() + t_.GetY());
}

VyrMathVector2D VyrMathTransformation2D::operator*(const VyrMathVector2D &v) const { return m_ * v; }

VyrMathTransformation2D VyrMathTransformation2D::operator*(const VyrMathTransformation2D &b) const
{
    /* A(B(p)) = Ma (Mb p + tb) + ta. */
    return VyrMathTransformation2D(m_ * b.m_, m_ * b.t_ + t_);
}
