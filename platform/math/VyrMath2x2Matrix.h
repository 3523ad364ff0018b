/* A plain 2x2 matrix of doubles, the linear part of a plane transformation.
 * Coefficients are addressed (row, column) with indices 0 and 1; an index
 * outside that range is a programming error (asserted). */
#ifndef VYR_PLATFORM_MATH_VYRMATH2X2MATRIX_H
#define VYR_PLATFORM_MATH_VYRMATH2X2MATRIX_H

#include "vyr_export.h"
#include "platform/math/VyrMathPoint2D.h"

class VYR_EXPORT VyrMath2x2Matrix {
public:
    /* The identity. */
    VyrMath2x2Matrix();
    /* The diagonal matrix diag(d0, d1). */
    VyrMath2x2Matrix(double d0, double d1);
    /* Row by row: [a00 a01; a10 a11]. */
    VyrMath2x2Matrix(double a00, double a01, double a10, double a11);

    double GetCoef(int row, int col) const;
    void SetCoef(int row, int col, double value);
    double Determinant() const;

    VyrMath2x2Matrix operator/(double d) const;
    VyrMath2x2Matrix operator*(double s) const;
    VyrMath2x2Matrix operator*(const VyrMath2x2Matrix &m) const;
    VyrMathVector2D operator*(const VyrMathVector2D &v) const;
    bool operator==(const VyrMath2x2Matrix &m) const;

private:
    double a_[2][2];
};

#endif
