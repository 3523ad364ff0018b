/* Points and vectors of the plane, in doubles. A point is a place, a vector a
 * displacement: point - point gives a vector, point + vector a point. The
 * drawing elements build both from arrays of two doubles read out of the
 * model, so that constructor comes first. VyrMathO2D is the origin. */
#ifndef VYR_PLATFORM_MATH_VYRMATHPOINT2D_H
#define VYR_PLATFORM_MATH_VYRMATHPOINT2D_H

#include "vyr_export.h"

class VyrMathVector2D;

class VYR_EXPORT VyrMathPoint2D {
public:
    constexpr VyrMathPoint2D() : x_(0.0), y_(0.0) {}
    constexpr VyrMathPoint2D(double x, double y) : x_(x), y_(y) {}
    explicit VyrMathPoint2D(const double *xy) : x_(xy[0]), y_(xy[1]) {}

    double GetX() const { return x_; }
    double GetY() const { return y_; }
    void SetX(double x) { x_ = x; }
    void SetY(double y) { y_ = y; }
    void Set(double x, double y)
    {
        x_ = x;
        y_ = y;
    }
    /* Coordinate 0 is x, any other is y. */
    double operator[](int i) const { return i == 0 ? x_ : y_; }

    VyrMathPoint2D operator+(const VyrMathVector2D &v) const;
    VyrMathPoint2D operator-(const VyrMathVector2D &v) const;
    VyrMathVector2D operator-(const VyrMathPoint2D &p) const;
    VyrMathPoint2D &operator+=(const VyrMathVector2D &v);
    bool operator==(const VyrMathPoint2D &p) const { return x_ == p.x_ && y_ == p.y_; }
    bool operator!=(const VyrMathPoint2D &p) const { return !(*this == p); }
    double DistanceTo(const VyrMathPoint2D &p) const;

private:
    double x_, y_;
};

class VYR_EXPORT VyrMathVector2D {
public:
    constexpr VyrMathVector2D() : x_(0.0), y_(0.0) {}
    constexpr VyrMathVector2D(double x, double y) : x_(x), y_(y) {}
    explicit VyrMathVector2D(const double *xy) : x_(xy[0]), y_(xy[1]) {}

    double GetX() const { return x_; }
    double GetY() const { return y_; }
    void SetX(double x) { x_ = x; }
    void SetY(double y) { y_ = y; }
    double operator[](int i) const { return i == 0 ? x_ : y_; }

    /* Euclidean length. */
    double Norm() const;
    /* Signed angle in radians, in (-pi, pi], that turns this vector onto
     * `other` (positive anticlockwise); 0 when either vector is null. */
    double GetAngleTo(const VyrMathVector2D &other) const;
    double Dot(const VyrMathVector2D &v) const { return x_ * v.x_ + y_ * v.y_; }
    double Cross(const VyrMathVector2D &v) const { return x_ * v.y_ - y_ * v.x_; }

    VyrMathVector2D operator+(const VyrMathVector2D &v) const { return {x_ + v.x_, y_ + v.y_}; }
    VyrMathVector2D operator-(const VyrMathVector2D &v) const { return {x_ - v.x_, y_ - v.y_}; }
    VyrMathVector2D operator-() const { return {-x_, -y_}; }
    VyrMathVector2D operator*(double s) const { return {x_ * s, y_ * s}; }
    VyrMathVector2D operator/(double s) const { return {x_ / s, y_ / s}; }
    bool operator==(const VyrMathVector2D &v) const { return x_ == v.x_ && y_ == v.y_; }
    bool operator!=(const VyrMathVector2D &v) const { return !(*this == v); }

private:
    double x_, y_;
};

/* The origin (0, 0). */
VYR_EXPORT extern const VyrMathPoint2D VyrMathO2D;

#endif
