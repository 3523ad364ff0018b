/* Plane geometry: points, vectors, matrices and transformations, with the
 * conventions the drawing elements rely on (degrees in the rotation
 * constructor, (A * B) applying B first, vectors ignoring translation). */
#include "platform/math/VyrMathTransformation2D.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void ExpectPoint(const VyrMathPoint2D &p, double x, double y)
{
    EXPECT_NEAR(p.GetX(), x, 1e-12);
    EXPECT_NEAR(p.GetY(), y, 1e-12);
}
} // namespace

TEST(VyrMath, PointsAndVectorsFromArrays)
{
    const double xy[2] = {3.0, -4.0};
    VyrMathPoint2D p(xy);
    VyrMathVector2D v(xy);
    EXPECT_EQ(p.GetX(), 3.0);
    EXPECT_EQ(p.GetY(), -4.0);
    EXPECT_DOUBLE_EQ(v.Norm(), 5.0);
    EXPECT_EQ(VyrMathO2D, VyrMathPoint2D(0, 0));
    VyrMathVector2D d = VyrMathPoint2D(5, 5) - VyrMathPoint2D(2, 1);
    EXPECT_EQ(d, VyrMathVector2D(3, 4));
    EXPECT_EQ(VyrMathPoint2D(2, 1) + d, VyrMathPoint2D(5, 5));
}

TEST(VyrMath, SignedAngleBetweenVectors)
{
    VyrMathVector2D x(1, 0), y(0, 2);
    EXPECT_NEAR(x.GetAngleTo(y), M_PI / 2, 1e-15);
    EXPECT_NEAR(y.GetAngleTo(x), -M_PI / 2, 1e-15);
    EXPECT_NEAR(x.GetAngleTo(VyrMathVector2D(-1, 0)), M_PI, 1e-15);
    /* the ellipse rotation is the negated angle from the axis to (1, 0) */
    VyrMathVector2D axis(1, 1);
    EXPECT_NEAR(-axis.GetAngleTo(x), M_PI / 4, 1e-15);
    EXPECT_EQ(VyrMathVector2D().GetAngleTo(x), 0.0);
}

TEST(VyrMath, MatrixCoefficientsDeterminantAndDivision)
{
    VyrMath2x2Matrix m(1, 2, 3, 4);
    EXPECT_EQ(m.GetCoef(0, 1), 2);
    EXPECT_EQ(m.GetCoef(1, 0), 3);
    EXPECT_EQ(m.Determinant(), -2);
    m.SetCoef(1, 1, 10);
    EXPECT_EQ(m.Determinant(), 4);
    VyrMath2x2Matrix h = m / 2.0;
    EXPECT_EQ(h.GetCoef(0, 0), 0.5);
    EXPECT_EQ(h.GetCoef(1, 1), 5.0);
    VyrMath2x2Matrix diag(2, 3);
    EXPECT_EQ(diag.Determinant(), 6);
    EXPECT_EQ(diag.GetCoef(0, 1), 0);
    EXPECT_EQ(VyrMath2x2Matrix().Determinant(), 1);
}

TEST(VyrMath, RotationConstructorTakesDegreesAboutAPoint)
{
    VyrMathTransformation2D r(VyrMathO2D, 90.0, VyrMathRotation);
    ExpectPoint(r * VyrMathPoint2D(1, 0), 0, 1);
    VyrMathTransformation2D about(VyrMathPoint2D(1, 1), 180.0, VyrMathRotation);
    ExpectPoint(about * VyrMathPoint2D(2, 1), 0, 1);
    ExpectPoint(about * VyrMathPoint2D(1, 1), 1, 1);
    VyrMathTransformation2D s(VyrMathPoint2D(1, 0), 3.0, VyrMathScaling);
    ExpectPoint(s * VyrMathPoint2D(2, 1), 4, 3);
    /* an unknown kind is the identity */
    VyrMathTransformation2D id(VyrMathPoint2D(5, 5), 30.0, VyrMathIdentity);
    ExpectPoint(id * VyrMathPoint2D(2, 1), 2, 1);
}

TEST(VyrMath, CompositionAppliesTheRightOperandFirst)
{
    VyrMathTransformation2D move(VyrMathVector2D(10, 0));
    VyrMathTransformation2D turn(VyrMathO2D, 90.0, VyrMathRotation);
    /* turn first, then move */
    ExpectPoint((move * turn) * VyrMathPoint2D(1, 0), 10, 1);
    /* move first, then turn */
    ExpectPoint((turn * move) * VyrMathPoint2D(1, 0), 0, 11);
    /* the insert chain: insertion + R * (S p - S base) */
    VyrMathTransformation2D insert = VyrMathTransformation2D(VyrMathVector2D(100, 50)) *
                                     VyrMathTransformation2D(VyrMathO2D, 90.0, VyrMathRotation) *
                                     VyrMathTransformation2D(VyrMathVector2D(-2, -3)) *
                                     VyrMathTransformation2D(VyrMath2x2Matrix(2, 3), VyrMathVector2D());
    ExpectPoint(insert * VyrMathPoint2D(1, 1), 100 - 0, 50 + 0);
    ExpectPoint(insert * VyrMathPoint2D(2, 1), 100, 52);
}

TEST(VyrMath, VectorsIgnoreTheTranslation)
{
    VyrMathTransformation2D t(VyrMath2x2Matrix(2, 0, 0, 3), VyrMathVector2D(7, 7));
    VyrMathVector2D v = t * VyrMathVector2D(1, 1);
    EXPECT_EQ(v, VyrMathVector2D(2, 3));
    ExpectPoint(t * VyrMathPoint2D(1, 1), 9, 10);
    VyrMath2x2Matrix m;
    t.GetMatrix(m);
    EXPECT_EQ(m, t.GetMatrix());
    EXPECT_EQ(m.Determinant(), 6);
}

TEST(VyrMath, IsRotationGivesAngleInRadiansAndCentre)
{
    double angle = 99;
    VyrMathPoint2D centre;
    VyrMathTransformation2D r(VyrMathPoint2D(3, 4), 30.0, VyrMathRotation);
    ASSERT_TRUE(r.IsRotation(angle, centre));
    EXPECT_NEAR(angle, M_PI / 6, 1e-12);
    EXPECT_NEAR(centre.GetX(), 3, 1e-9);
    EXPECT_NEAR(centre.GetY(), 4, 1e-9);

    ASSERT_TRUE(VyrMathTransformation2D().IsRotation(angle, centre));
    EXPECT_EQ(angle, 0.0);
    /* the rotation part of a scaled rotation, as the arc divides it out */
    VyrMathTransformation2D scaled = VyrMathTransformation2D(VyrMathO2D, 2.0, VyrMathScaling) *
                                     VyrMathTransformation2D(VyrMathO2D, -45.0, VyrMathRotation);
    VyrMath2x2Matrix n = scaled.GetMatrix() / std::sqrt(scaled.GetMatrix().Determinant());
    ASSERT_TRUE(VyrMathTransformation2D(n, VyrMathVector2D()).IsRotation(angle, centre));
    EXPECT_NEAR(angle, -M_PI / 4, 1e-12);

    EXPECT_FALSE(scaled.IsRotation(angle, centre));
    EXPECT_FALSE(
        VyrMathTransformation2D(VyrMath2x2Matrix(1, -1), VyrMathVector2D()).IsRotation(angle, centre));
    EXPECT_FALSE(VyrMathTransformation2D(VyrMathVector2D(1, 0)).IsRotation(angle, centre));
}
