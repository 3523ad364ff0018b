/* Points and vectors of the plane: the few operations that are not inline. */
#include "platform/math/VyrMathPoint2D.h"

#include <cmath>

const VyrMathPoint2D VyrMathO2D(0.0, 0.0);

VyrMathPoint2D VyrMathPoint2D::operator+(const VyrMathVector2D &v) const
{
    return VyrMathPoint2D(x_ + v.GetX(), y_ + v.GetY());
}

VyrMathPoint2D VyrMathPoint2D::operator-(const VyrMathVector2D &v) const
{
    return VyrMathPoint2D(x_ - v.GetX(), y_ - v.GetY());
}

VyrMathVector2D VyrMathPoint2D::operator-(const VyrMathPoint2D &p) const
{
    return VyrMathVector2D(x_ - p.x_, y_ - p.y_);
}

VyrMathPoint2D &VyrMathPoint2D::operator+=(const VyrMathVector2D &v)
{
    x_ += v.GetX();
    y_ += v.GetY();
    return *this;
}

double VyrMathPoint2D::DistanceTo(const VyrMathPoint2D &p) const { return std::hypot(x_ - p.x_, y_ - p.y_); }

double VyrMathVector2D::Norm() const { return std::hypot(x_, y_); }

double VyrMathVector2D::GetAngleTo(const VyrMathVector2D &other) const
{
    if ((x_ == 0.0 && y_ == 0.0) || (other.x_ == 0.0 && other.y_ == 0.0)) return 0.0;
    return std::atan2(Cross(other), Dot(other));
}
