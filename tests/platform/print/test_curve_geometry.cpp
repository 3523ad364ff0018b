/* Curve geometry: B-splines turned into Bezier segments are checked against
 * points evaluated on the original curve by an independent Cox-de Boor
 * evaluation; smooth curves, flattening and dashes. */
#include "platform/print/VyrCurveGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

/* Cox-de Boor recursion, written from the definition. */
double Basis(int i, int p, double u, const std::vector<double> &U, bool last)
{
    if (p == 0) {
        if (last) /* the closed end of the domain belongs to the last span */
            return (U[i] < U[i + 1] && u >= U[i] && u <= U[i + 1] && U[i + 1] == U.back()) ||
                           (u >= U[i] && u < U[i + 1])
                       ? 1.0
                       : 0.0;
        return (u >= U[i] && u < U[i + 1]) ? 1.0 : 0.0;
    }
    double a = 0, b = 0;
    if (U[i + p] != U[i]) a = (u - U[i]) / (U[i + p] - U[i]) * Basis(i, p - 1, u, U, last);
    if (U[i + p + 1] != U[i + 1])
        b = (U[i + p + 1] - u) / (U[i + p + 1] - U[i + 1]) * Basis(i + 1, p - 1, u, U, last);
    return a + b;
}

VyrPt Reference(int order, const std::vector<float> &ctrl, const std::vector<float> &knots,
                const std::vector<float> &w, double u)
{
    std::vector<double> U(knots.begin(), knots.end());
    int n = static_cast<int>(w.size());
    bool last = u >= U[static_cast<size_t>(n)];
    double x = 0, y = 0, s = 0;
    for (int i = 0; i < n; ++i) {
        double b = Basis(i, order - 1, u, U, last) * w[i];
        x += b * ctrl[2 * i];
        y += b * ctrl[2 * i + 1];
        s += b;
    }
    return VyrPt{x / s, y / s};
}

/* Largest distance between the chains and the reference curve at the same
 * parameters. */
double Deviation(int order, const std::vector<float> &ctrl, const std::vector<float> &knots,
                 const std::vector<float> &w, double tolerance)
{
    VyrNurbsCurve curve;
    EXPECT_TRUE(curve.Set(order, ctrl.data(), static_cast<int>(w.size()), knots.data(),
                          static_cast<int>(knots.size()), w.data()));
    std::vector<VyrPath> chains;
    std::vector<double> ranges;
    curve.ToBezier(tolerance, chains, &ranges);
    double worst = 0;
    size_t segment = 0;
    for (const VyrPath &c : chains) {
        int segments = static_cast<int>((c.size() - 1) / 3);
        for (int k = 0; k < segments; ++k, ++segment) {
            double a = ranges[2 * segment], b = ranges[2 * segment + 1];
            for (int j = 0; j <= 16; ++j) {
                VyrPt p = VyrBezierPoint(c, k, j / 16.0);
                VyrPt r = Reference(order, ctrl, knots, w, a + (b - a) * j / 16.0);
                worst = std::max(worst, std::hypot(p.x - r.x, p.y - r.y));
            }
        }
    }
    EXPECT_EQ(segment * 2, ranges.size());
    return worst;
}

} // namespace

TEST(CurveGeometry, PolynomialSplinesAreExact)
{
    /* a clamped cubic with an interior double knot, and an unclamped quadratic */
    std::vector<float> ctrl = {0, 0, 1, 3, 3, 4, 4, 0, 6, -1, 8, 2, 9, 0};
    std::vector<float> knots = {0, 0, 0, 0, 1, 2, 2, 3, 3, 3, 3};
    std::vector<float> w(7, 1.0f);
    VyrNurbsCurve curve;
    ASSERT_TRUE(curve.Set(4, ctrl.data(), 7, knots.data(), 11, w.data()));
    std::vector<VyrPath> chains;
    curve.ToBezier(1e-9, chains);
    ASSERT_EQ(chains.size(), 1u);
    EXPECT_EQ(chains[0].size(), 3 * 3 + 1u); /* one segment per non-empty span */
    /* every Bezier sample equals the curve at the same parameter */
    double worst = 0;
    const double spans[3][2] = {{0, 1}, {1, 2}, {2, 3}};
    for (int k = 0; k < 3; ++k)
        for (int j = 0; j <= 20; ++j) {
            double t = j / 20.0, u = spans[k][0] + (spans[k][1] - spans[k][0]) * t;
            VyrPt b = VyrBezierPoint(chains[0], k, t);
            VyrPt r = Reference(4, ctrl, knots, w, u);
            worst = std::max(worst, std::hypot(b.x - r.x, b.y - r.y));
        }
    EXPECT_LT(worst, 1e-12);

    std::vector<float> q = {0, 0, 2, 2, 4, 0, 6, 2};
    std::vector<float> qk = {0, 1, 2, 3, 4, 5, 6};
    std::vector<float> qw(4, 1.0f);
    ASSERT_TRUE(curve.Set(3, q.data(), 4, qk.data(), 7, qw.data()));
    EXPECT_EQ(curve.DomainStart(), 2);
    EXPECT_EQ(curve.DomainEnd(), 4);
    curve.ToBezier(1e-9, chains);
    ASSERT_EQ(chains.size(), 1u);
    EXPECT_EQ(chains[0].size(), 7u);
    EXPECT_NEAR(chains[0][0].x, 1, 1e-12); /* midpoint of the first leg */
    EXPECT_NEAR(chains[0][0].y, 1, 1e-12);
    EXPECT_LT(Deviation(3, q, qk, qw, 1e-9), 1e-12);
    EXPECT_LT(Deviation(4, ctrl, knots, w, 1e-9), 1e-12);
}

TEST(CurveGeometry, RationalAndHighDegreeSplinesWithinTolerance)
{
    std::vector<float> ctrl = {5, 0, 5, 5, 0, 5, -5, 5, -5, 0};
    float h = std::sqrt(0.5f);
    std::vector<float> w = {1, h, 1, h, 1};
    std::vector<float> knots = {0, 0, 0, 1, 1, 2, 2, 2};
    VyrNurbsCurve curve;
    ASSERT_TRUE(curve.Set(3, ctrl.data(), 5, knots.data(), 8, w.data()));
    std::vector<VyrPath> chains;
    curve.ToBezier(1e-6, chains);
    ASSERT_EQ(chains.size(), 1u);
    double worst = 0;
    for (size_t k = 0; 3 * k + 3 < chains[0].size(); ++k)
        for (int j = 0; j <= 32; ++j) {
            VyrPt p = VyrBezierPoint(chains[0], static_cast<int>(k), j / 32.0);
            worst = std::max(worst, std::fabs(std::hypot(p.x, p.y) - 5.0));
        }
    EXPECT_LT(worst, 2e-6);

    /* degree 5, non-rational: split until within tolerance */
    std::vector<float> c5 = {0, 0, 1, 4, 2, -3, 3, 5, 4, -2, 5, 1, 6, 0};
    std::vector<float> k5 = {0, 0, 0, 0, 0, 0, 1, 2, 2, 2, 2, 2, 2};
    std::vector<float> w5(7, 1.0f);
    EXPECT_LT(Deviation(6, c5, k5, w5, 1e-5), 1e-5);
    EXPECT_LT(Deviation(3, ctrl, knots, w, 1e-6), 1e-6);
}

TEST(CurveGeometry, FullMultiplicityKnotBreaksTheCurve)
{
    /* quadratic, interior knot of multiplicity 3: two separate pieces */
    std::vector<float> ctrl = {0, 0, 1, 1, 2, 0, 5, 5, 6, 6, 7, 5};
    std::vector<float> knots = {0, 0, 0, 1, 1, 1, 2, 2, 2};
    VyrNurbsCurve curve;
    ASSERT_TRUE(curve.Set(3, ctrl.data(), 6, knots.data(), 9, nullptr));
    std::vector<VyrPath> chains;
    curve.ToBezier(1e-9, chains);
    ASSERT_EQ(chains.size(), 2u);
    EXPECT_NEAR(chains[0].back().x, 2, 1e-12);
    EXPECT_NEAR(chains[1].front().x, 5, 1e-12);
}

TEST(CurveGeometry, CurveThroughPointsOpenAndClosed)
{
    const float open[] = {0, 0, 1, 1, 2, 0};
    VyrPath chain;
    VyrCurveThroughPoints(open, 3, chain);
    ASSERT_EQ(chain.size(), 7u);
    EXPECT_EQ(chain[3].x, 1);
    /* the tangent at the middle point is horizontal */
    EXPECT_NEAR(chain[2].y, 1, 1e-12);
    EXPECT_NEAR(chain[4].y, 1, 1e-12);

    /* eight points of the unit circle, the first repeated at the end */
    std::vector<float> closed;
    for (int k = 0; k <= 8; ++k) {
        closed.push_back(static_cast<float>(std::cos(k * M_PI / 4)));
        closed.push_back(static_cast<float>(std::sin(k * M_PI / 4)));
    }
    closed[16] = 1;
    closed[17] = 0;
    VyrCurveThroughPoints(closed.data(), 9, chain);
    ASSERT_EQ(chain.size(), 25u);
    /* at the closing point the curve comes and goes vertically */
    EXPECT_NEAR(chain[1].x, 1, 1e-6);
    EXPECT_NEAR(chain[23].x, 1, 1e-6);
    for (int k = 0; k < 8; ++k)
        for (int j = 0; j <= 10; ++j) {
            VyrPt p = VyrBezierPoint(chain, k, j / 10.0);
            EXPECT_NEAR(std::hypot(p.x, p.y), 1.0, 0.01);
        }

    const float same[] = {3, 3, 3, 3, 3, 3};
    VyrCurveThroughPoints(same, 3, chain);
    EXPECT_TRUE(chain.empty());
}

TEST(CurveGeometry, FlatteningKeepsCloseToTheCurve)
{
    VyrPath arc;
    VyrFlattenArc(0, 0, 100, 0, M_PI, arc);
    ASSERT_GT(arc.size(), 10u);
    for (size_t i = 1; i < arc.size(); ++i) {
        double mx = (arc[i].x + arc[i - 1].x) / 2, my = (arc[i].y + arc[i - 1].y) / 2;
        EXPECT_LT(100 - std::hypot(mx, my), 100.0 / 4000 + 1e-9);
    }
    EXPECT_NEAR(arc.back().x, -100, 1e-9);
    VyrPath wrap;
    VyrFlattenEllipse(0, 0, 10, 5, 0, 6.0, 0.5, wrap); /* through zero */
    EXPECT_NEAR(wrap.front().x, 10 * std::cos(6.0), 1e-9);
    EXPECT_NEAR(wrap.back().y, 5 * std::sin(0.5), 1e-9);
    VyrPath chain = {{0, 0}, {0, 10}, {10, 10}, {10, 0}}, flat;
    VyrFlattenBezier(chain, 0.01, flat);
    EXPECT_EQ(flat.front().x, 0);
    EXPECT_EQ(flat.back().x, 10);
    EXPECT_GT(flat.size(), 8u);
}

TEST(CurveGeometry, DashesFollowThePattern)
{
    VyrPath line = {{0, 0}, {10, 0}, {10, 10}};
    const double pattern[] = {3, -1};
    std::vector<VyrPath> dashes;
    VyrDashPath(line, pattern, 2, 1000, dashes);
    ASSERT_EQ(dashes.size(), 5u);
    EXPECT_EQ(dashes[0].back().x, 3);
    EXPECT_EQ(dashes[2].size(), 3u); /* 8 to 11 turns the corner */
    EXPECT_EQ(dashes[2][1].x, 10);
    EXPECT_NEAR(dashes[2][2].y, 1, 1e-12);
    /* too many dashes: the path stays whole */
    VyrDashPath(line, pattern, 2, 3, dashes);
    ASSERT_EQ(dashes.size(), 1u);
    EXPECT_EQ(dashes[0].size(), 3u);
    const double none[] = {0, 0};
    VyrDashPath(line, none, 2, 1000, dashes);
    EXPECT_EQ(dashes.size(), 1u);
}
