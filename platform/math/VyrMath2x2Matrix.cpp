/* A plain 2x2 matrix of doubles. */
#include "platform/math/VyrMath2x2Matrix.h"

#include <cassert>

VyrMath2x2Matrix::VyrMath2x2Matrix() : a_{{1.0, 0.0}, {0.0, 1.0}} {}

VyrMath2x2Matrix::VyrMath2x2Matrix(double d0, double d1) : a_{{d0, 0.0}, {0.0, d1}} {}

VyrMath2x2Matrix::VyrMath2x2Matrix(double a00, double a01, double a10, double a11)
    : a_{{a00, a01}, {a10, a11}}
{}

double VyrMath2x2Matrix::GetCoef(int row, int col) const
{
    assert(row >= 0 && row < 2 && col >= 0 && col < 2);
    return a_[row & 1][col & 1];
}

void VyrMath2x2Matrix::SetCoef(int row, int col, double value)
{
    assert(row >= 0 && row < 2 && col >= 0 && col < 2);
    a_[row & 1][col & 1] = value;
}

double VyrMath2x2Matrix::Determinant() const { return a_[0][0] * a_[1][1] - a_[0][1] * a_[1][0]; }

VyrMath2x2Matrix VyrMath2x2Matrix::operator/(double d) const
{
    return VyrMath2x2Matrix(a_[0][0] / d, a_[0][1] / d, a_[1][0] / d, a_[1][1] / d);
}

VyrMath2x2Matrix VyrMath2x2Matrix::operator*(double s) const
{
    return VyrMath2x2Matrix(a_[0][0] * s, a_[0][1] * s, a_[1][0] * s, a_[1][1] * s);
}

VyrMath2x2Matrix VyrMath2x2Matrix::operator*(const VyrMath2x2Matrix &m) const
{
    return VyrMath2x2Matrix(
        a_[0][0] * m.a_[0][0] + a_[0][1] * m.a_[1][0], a_[0][0] * m.a_[0][1] + a_[0][1] * m.a_[1][1],
        a_[1][0] * m.a_[0][0] + a_[1][1] * m.a_[1][0], a_[1][0] * m.a_[0][1] + a_[1][1] * m.a_[1][1]);
}

VyrMathVector2D VyrMath2x2Matrix::operator*(const VyrMathVector2D &v) const
{
    return VyrMathVector2D(a_[0][0] * v.GetX() + a_[0][1] * v.GetY(),
                           a_[1][0] * v.GetX() + a_[1][1] * v.GetY());
}

bool VyrMath2x2Matrix::operator==(const VyrMath2x2Matrix &m) const
{
    return a_[0][0] == m.a_[0][0] && a_[0][1] == m.a_[0][1] && a_[1][0] == m.a_[1][0] &&
           a_[1][1] == m.a_[1][1];
}
