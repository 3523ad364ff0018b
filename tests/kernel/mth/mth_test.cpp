/* Vector mathematics: unit vectors, line intersection, collinearity. */
#include <gtest/gtest.h>

#include <cmath>

#include "kernel/mth/mth.h"

namespace {

TEST(Mth, VectorsAndDistances)
{
    double a[3] = {1, 2, 3}, b[3] = {4, 6, 3}, v[3];
    mth_MakeVector(3, a, b, v);
    EXPECT_EQ(v[0], 3.0);
    EXPECT_EQ(v[1], 4.0);
    EXPECT_EQ(v[2], 0.0);
    EXPECT_DOUBLE_EQ(mth_GetVectorMag(3, v), 5.0);
    EXPECT_DOUBLE_EQ(mth_GetDistance(3, a, b), 5.0);
}

TEST(Mth, UnitizeSnapsSingleAxisVectorsExactly)
{
    double v[3] = {0, 0, 5}, out[3];
    EXPECT_EQ(mth_UnitizeVector(3, v, out), 0);
    EXPECT_EQ(out[0], 0.0);
    EXPECT_EQ(out[1], 0.0);
    EXPECT_EQ(out[2], 1.0);
    double w[3] = {-3e-15, -7.0, 0};
    EXPECT_EQ(mth_UnitizeVector(3, w, out), 0);
    EXPECT_EQ(out[0], 0.0);
    EXPECT_EQ(out[1], -1.0);
    double d[2] = {3, 4};
    EXPECT_EQ(mth_UnitizeVector(2, d, out), 0);
    EXPECT_DOUBLE_EQ(out[0], 0.6);
    EXPECT_DOUBLE_EQ(out[1], 0.8);
}

TEST(Mth, UnitizeOfATinyVectorCopiesIt)
{
    double v[3] = {1e-14, 0, 0}, out[3] = {9, 9, 9};
    EXPECT_EQ(mth_UnitizeVector(3, v, out), 0xBFFFE);
    EXPECT_EQ(out[0], 1e-14);
    EXPECT_EQ(out[1], 0.0);
}

TEST(Mth, AxesMeetAtTheOrigin)
{
    double p1[2] = {0, 5}, d1[2] = {0, -1}; /* x = 0 */
    double p2[2] = {-2, 0}, d2[2] = {1, 0}; /* y = 0 */
    double s = -1, t = -1, pt[2] = {9, 9};
    ASSERT_EQ(mth_Intersect2DLines(MTH_OPT_POINT | MTH_OPT_PARAMETERS, 1e-9, p1, d1, p2, d2, &s, &t, pt), 0);
    EXPECT_NEAR(pt[0], 0.0, 1e-12);
    EXPECT_NEAR(pt[1], 0.0, 1e-12);
    EXPECT_NEAR(s, 5.0, 1e-12);
    EXPECT_NEAR(t, 2.0, 1e-12);
    /* the same with the lines swapped takes the other pivot */
    ASSERT_EQ(mth_Intersect2DLines(MTH_OPT_PARAMETERS, 1e-9, p2, d2, p1, d1, &s, &t, nullptr), 0);
    EXPECT_NEAR(s, 2.0, 1e-12);
    EXPECT_NEAR(t, 5.0, 1e-12);
}

TEST(Mth, SlantedLinesAndPointOnlyOption)
{
    double p1[2] = {0, 0}, d1[2] = {1, 1}, p2[2] = {0, 2}, d2[2] = {1, -1};
    double s = 42, t = 42, pt[2];
    ASSERT_EQ(mth_Intersect2DLines(MTH_OPT_POINT, 1e-9, p1, d1, p2, d2, &s, &t, pt), 0);
    EXPECT_NEAR(pt[0], 1.0, 1e-12);
    EXPECT_NEAR(pt[1], 1.0, 1e-12);
    EXPECT_EQ(s, 42); /* parameters untouched without their option */
}

TEST(Mth, ParallelLines)
{
    double p1[2] = {0, 0}, d1[2] = {1, 2}, p2[2] = {1, 0}, d2[2] = {2, 4};
    double pt[2];
    EXPECT_EQ(mth_Intersect2DLines(MTH_OPT_POINT, 1e-9, p1, d1, p2, d2, nullptr, nullptr, pt),
              MTH_PARALLELLINES);
    double v1[2] = {0, 1}, v2[2] = {0, -3};
    EXPECT_EQ(mth_Intersect2DLines(MTH_OPT_POINT, 1e-9, p1, v1, p2, v2, nullptr, nullptr, pt),
              MTH_PARALLELLINES);
    EXPECT_EQ(MTH_PARALLELLINES, 0xB0004);
}

TEST(Mth, Collinearity)
{
    double a[3] = {0, 0, 0}, b[3] = {1, 1, 1}, c[3] = {2, 2, 2}, d[3] = {2, 2.5, 2};
    EXPECT_EQ(mth_CheckColin(3, 1e-9, a, b, c), 1);
    EXPECT_EQ(mth_CheckColin(3, 1e-9, a, b, d), 0);
    double e[2] = {0, 0}, f[2] = {2, 0}, g[2] = {1, 0.001};
    EXPECT_EQ(mth_CheckColin(2, 0.01, e, f, g), 1); /* area 0.001 */
    EXPECT_EQ(mth_CheckColin(2, 0.0001, e, f, g), 0);
}

} // namespace
