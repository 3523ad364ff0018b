/* Affine transformations of the plane: p -> M p + t, with M a 2x2 matrix and
 * t a translation vector. Composition reads like function composition:
 * (A * B) applied to p is A(B(p)), so B acts first. Rotations are given in
 * degrees (inserts store their rotation so); IsRotation reports its angle in
 * radians, the unit of arc angles. */
#ifndef VYR_PLATFORM_MATH_VYRMATHTRANSFORMATION2D_H
#define VYR_PLATFORM_MATH_VYRMATHTRANSFORMATION2D_H

#include "vyr_export.h"
#include "platform/math/VyrMath2x2Matrix.h"
#include "platform/math/VyrMathPoint2D.h"

/* What the (point, value, kind) constructor builds. */
enum VyrMathTransfoType {
    VyrMathIdentity = 0,
    VyrMathScaling = 1, /* uniform scaling about the point by the value */
    VyrMathRotation = 2 /* rotation about the point by the value, in degrees */
};

class VYR_EXPORT VyrMathTransformation2D {
public:
    /* The identity. */
    VyrMathTransformation2D();
    /* Translation by v. */
    explicit VyrMathTransformation2D(const VyrMathVector2D &v);
    /* Rotation (degrees, anticlockwise) or uniform scaling about `centre`;
     * any other kind gives the identity. */
    VyrMathTransformation2D(const VyrMathPoint2D &centre, double value, VyrMathTransfoType kind);
    /* p -> m p + t. */
    VyrMathTransformation2D(const VyrMath2x2Matrix &m, const VyrMathVector2D &t);

    VyrMath2x2Matrix GetMatrix() const { return m_; }
    void GetMatrix(VyrMath2x2Matrix &m) const { m = m_; }
    VyrMathVector2D GetTranslation() const { return t_; }

    /* True when the linear part is a proper rotation (orthonormal, determinant
     * +1, within 1e-9) and the transformation has a fixed point; `angle`
     * receives the angle in radians in (-pi, pi] and `centre` the fixed point.
     * The identity is a rotation by 0 about the origin; a pure translation is
     * no rotation. */
    bool IsRotation(double &angle, VyrMathPoint2D &centre) const;

    VyrMathPoint2D operator*(const VyrMathPoint2D &p) const;
    /* Vectors are displacements: only the linear part acts on them. */
    VyrMathVector2D operator*(const VyrMathVector2D &v) const;
    VyrMathTransformation2D operator*(const VyrMathTransformation2D &b) const;

private:
    VyrMath2x2Matrix m_;
    VyrMathVector2D t_;
};

#endif
