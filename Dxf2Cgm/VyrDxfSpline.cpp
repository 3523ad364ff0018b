/* Splines. Construction copies the knots (as floats), the fit points (x, y)
 * and, with control points, the control points (x, y as floats) and one
 * weight per control point (1.0 unless the model holds a positive weight).
 * An array whose allocation fails is left out, so Write finds it missing.
 *
 * Fit points Q0..Qn with end tangents: the cubic B-spline C with chord-length
 * parameters u0 = 0 < u1 < ... < un = 1 (the knots 0,0,0,0, u1..un-1,
 * 1,1,1,1), C(uk) = Qk, and end derivatives along the tangents with the
 * length of the whole chord polygon. Its n + 3 control points are Q0, Q0 +
 * u1/3·D0, the n - 1 solutions of a tridiagonal system, Qn - (1 - un-1)/3·Dn
 * and Qn. A missing tangent is that of the parabola through the three end
 * points. */
#include "Dxf2Cgm/VyrDxfSpline.h"

#include <cmath>
#include <memory>
#include <new>
#include <vector>

#include "Dxf2Cgm/VyrDxfEntityLock.h"
#include "platform/math/VyrMathTransformation2D.h"
#include "platform/print/VyrPrintGenerator.h"

VyrDxfSpline::VyrDxfSpline(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block)
    : VyrDxfEntity(entity, layer, block)
{
    kind = VyrDxfKindSpline;
    VyrDxfEntityLock lock(entity);
    const dxf_spline *rec = lock.As<dxf_spline>(320);
    if (!rec) return;
    degree = rec->degree;
    flags = rec->flag;
    closed = (flags & 1) != 0;
    periodic = (flags & 2) != 0;
    rational = (flags & 4) != 0;
    startTangent[0] = rec->strtan[0];
    startTangent[1] = rec->strtan[1];
    endTangent[0] = rec->endtan[0];
    endTangent[1] = rec->endtan[1];

    if (rec->numknot > 0) {
        const double *in = VyrDxfDeref<double>(rec->knotval);
        if (in && (knots = new (std::nothrow) float[rec->numknot]) != nullptr) {
            knotCount = rec->numknot;
            for (int i = 0; i < knotCount; ++i) knots[i] = static_cast<float>(in[i]);
        }
    }
    if (rec->numfit > 0) {
        const double *in = VyrDxfDeref<double>(rec->fitpnt);
        if (in && (fitPoints = new (std::nothrow) double[2 * static_cast<size_t>(rec->numfit)]) != nullptr) {
            fitCount = rec->numfit;
            for (int i = 0; i < fitCount; ++i) {
                fitPoints[2 * i] = in[3 * i];
                fitPoints[2 * i + 1] = in[3 * i + 1];
            }
        }
    }
    if (rec->numcntrl > 0) {
        const double *in = VyrDxfDeref<double>(rec->cntrlpnt);
        const double *w = VyrDxfDeref<double>(rec->weight);
        const size_t n = static_cast<size_t>(rec->numcntrl);
        weights = new (std::nothrow) float[n];
        controlPoints = in ? new (std::nothrow) float[2 * n] : nullptr;
        controlCount = rec->numcntrl;
        for (size_t i = 0; weights && i < n; ++i)
            weights[i] = (w && w[i] > 0.0) ? static_cast<float>(w[i]) : 1.0f;
        for (size_t i = 0; controlPoints && i < n; ++i) {
            controlPoints[2 * i] = static_cast<float>(in[3 * i]);
            controlPoints[2 * i + 1] = static_cast<float>(in[3 * i + 1]);
        }
    }
}

VyrDxfSpline::~VyrDxfSpline()
{
    delete[] weights;
    delete[] fitPoints;
    delete[] knots;
    delete[] controlPoints;
}

int VyrDxfSpline::Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation)
{
    if (!generator || !transformation || IsLeftOut()) return 1;

    if (controlCount < 1) {
        if (fitCount < 1 || !fitPoints) return 1;
        const bool tangents =
            startTangent[0] != 0.0 || startTangent[1] != 0.0 || endTangent[0] != 0.0 || endTangent[1] != 0.0;
        if (tangents && WriteFitWithTangents(generator, transformation) == 0) return 0;
        VyrDxfEntity::Write(generator, transformation);
        const int n = fitCount + (closed ? 1 : 0);
        float *xy = new (std::nothrow) float[2 * static_cast<size_t>(n)];
        if (!xy) return 1;
        for (int i = 0; i < n; ++i) {
            const int k = i < fitCount ? i : 0;
            const VyrMathPoint2D p = *transformation * VyrMathPoint2D(fitPoints[2 * k], fitPoints[2 * k + 1]);
            xy[2 * i] = static_cast<float>(p.GetX());
            xy[2 * i + 1] = static_cast<float>(p.GetY());
        }
        generator->DrawCurve(n, xy);
        delete[] xy;
        return 0;
    }

    if (!controlPoints || !knots || !weights) return 1;
    VyrDxfEntity::Write(generator, transformation);
    float *xy = new (std::nothrow) float[2 * static_cast<size_t>(controlCount)];
    if (!xy) return 1;
    for (int i = 0; i < controlCount; ++i) {
        const VyrMathPoint2D p =
            *transformation * VyrMathPoint2D(controlPoints[2 * i], controlPoints[2 * i + 1]);
        xy[2 * i] = static_cast<float>(p.GetX());
        xy[2 * i + 1] = static_cast<float>(p.GetY());
    }
    generator->DrawNurbs(degree + 1, xy, controlCount, knots, knotCount, 0, 1000.0f, weights);
    delete[] xy;
    return 0;
}

namespace {

struct Xy {
    double x, y;
};

/* The four cubic basis functions that do not vanish at u in knot span
 * `span` (knots[span] <= u < knots[span + 1]). */
void CubicBasis(const std::vector<double> &knots, int span, double u, double n[4])
{
    double left[4], right[4];
    n[0] = 1.0;
    for (int j = 1; j <= 3; ++j) {
        left[j] = u - knots[static_cast<size_t>(span + 1 - j)];
        right[j] = knots[static_cast<size_t>(span + j)] - u;
        double saved = 0.0;
        for (int r = 0; r < j; ++r) {
            const double denominator = right[r + 1] + left[j - r];
            const double t = denominator != 0.0 ? n[r] / denominator : 0.0;
            n[r] = saved + right[r + 1] * t;
            saved = left[j - r] * t;
        }
        n[j] = saved;
    }
}

/* The tangent of the parabola through a, b, c (parameters 0, h1, h1 + h2)
 * at a. */
Xy EndDerivative(const Xy &a, const Xy &b, const Xy &c, double h1, double h2)
{
    const double w = h1 + h2;
    return {-(2 * h1 + h2) / (h1 * w) * a.x + w / (h1 * h2) * b.x - h1 / (h2 * w) * c.x,
            -(2 * h1 + h2) / (h1 * w) * a.y + w / (h1 * h2) * b.y - h1 / (h2 * w) * c.y};
}

} // namespace

int VyrDxfSpline::WriteFitWithTangents(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation)
{
    /* The fit points without repeats (a repeat has no chord to measure). */
    std::vector<Xy> q;
    const int count = fitCount + (closed ? 1 : 0);
    for (int i = 0; i < count; ++i) {
        const int k = i < fitCount ? i : 0;
        const Xy p{fitPoints[2 * k], fitPoints[2 * k + 1]};
        if (q.empty() || p.x != q.back().x || p.y != q.back().y) q.push_back(p);
    }
    const int n = static_cast<int>(q.size()) - 1;
    if (n < 1) return 1;
    std::vector<double> u(q.size(), 0.0);
    double total = 0.0;
    for (int k = 1; k <= n; ++k) {
        total += std::hypot(q[k].x - q[k - 1].x, q[k].y - q[k - 1].y);
        u[static_cast<size_t>(k)] = total;
    }
    if (!(total > 0.0) || !std::isfinite(total)) return 1;
    for (double &v : u) v /= total;
    u[static_cast<size_t>(n)] = 1.0;

    auto derivative = [&](const double *tangent, bool atStart) {
        const double length = std::hypot(tangent[0], tangent[1]);
        if (length > 0.0) return Xy{tangent[0] / length * total, tangent[1] / length * total};
        if (n == 1) return Xy{q[1].x - q[0].x, q[1].y - q[0].y};
        if (atStart) return EndDerivative(q[0], q[1], q[2], u[1], u[2] - u[1]);
        const Xy d = EndDerivative(q[n], q[n - 1], q[n - 2], 1.0 - u[n - 1], u[n - 1] - u[n - 2]);
        return Xy{-d.x, -d.y};
    };
    const Xy d0 = derivative(startTangent, true);
    const Xy dn = derivative(endTangent, false);

    std::vector<double> knots(static_cast<size_t>(n) + 7, 0.0);
    for (int k = 1; k < n; ++k) knots[static_cast<size_t>(k) + 3] = u[static_cast<size_t>(k)];
    for (int k = n + 3; k < n + 7; ++k) knots[static_cast<size_t>(k)] = 1.0;

    const size_t controls = static_cast<size_t>(n) + 3;
    std::vector<Xy> p(controls);
    p[0] = q[0];
    p[1] = {q[0].x + knots[4] / 3.0 * d0.x, q[0].y + knots[4] / 3.0 * d0.y};
    const double tail = (1.0 - knots[static_cast<size_t>(n) + 2]) / 3.0;
    p[controls - 2] = {q[n].x - tail * dn.x, q[n].y - tail * dn.y};
    p[controls - 1] = q[n];

    /* Row k (1 to n-1): N_k P_k + N_k+1 P_k+1 + N_k+2 P_k+2 = Q_k, the
     * unknowns P_2..P_n; the Thomas algorithm eliminates downwards. */
    if (n > 1) {
        const size_t rows = static_cast<size_t>(n) - 1;
        std::vector<double> lower(rows), diagonal(rows), upper(rows);
        std::vector<Xy> rhs(rows);
        for (size_t r = 0; r < rows; ++r) {
            const int k = static_cast<int>(r) + 1;
            double basis[4];
            CubicBasis(knots, k + 3, u[static_cast<size_t>(k)], basis);
            lower[r] = basis[0];
            diagonal[r] = basis[1];
            upper[r] = basis[2];
            rhs[r] = q[static_cast<size_t>(k)];
        }
        rhs[0].x -= lower[0] * p[1].x;
        rhs[0].y -= lower[0] * p[1].y;
        rhs[rows - 1].x -= upper[rows - 1] * p[controls - 2].x;
        rhs[rows - 1].y -= upper[rows - 1] * p[controls - 2].y;
        for (size_t r = 1; r < rows; ++r) {
            if (diagonal[r - 1] == 0.0) return 1;
            const double m = lower[r] / diagonal[r - 1];
            diagonal[r] -= m * upper[r - 1];
            rhs[r].x -= m * rhs[r - 1].x;
            rhs[r].y -= m * rhs[r - 1].y;
        }
        if (diagonal[rows - 1] == 0.0) return 1;
        for (size_t r = rows; r-- > 0;) {
            Xy v = rhs[r];
            if (r + 1 < rows) {
                v.x -= upper[r] * p[r + 3].x;
                v.y -= upper[r] * p[r + 3].y;
            }
            p[r + 2] = {v.x / diagonal[r], v.y / diagonal[r]};
        }
    }

    std::unique_ptr<float[]> xy(new (std::nothrow) float[2 * controls]);
    std::unique_ptr<float[]> floatKnots(new (std::nothrow) float[knots.size()]);
    std::unique_ptr<float[]> ones(new (std::nothrow) float[controls]);
    if (!xy || !floatKnots || !ones) return 1;
    for (size_t i = 0; i < controls; ++i) {
        const VyrMathPoint2D m = *transformation * VyrMathPoint2D(p[i].x, p[i].y);
        xy[2 * i] = static_cast<float>(m.GetX());
        xy[2 * i + 1] = static_cast<float>(m.GetY());
        ones[i] = 1.0f;
    }
    for (size_t i = 0; i < knots.size(); ++i) floatKnots[i] = static_cast<float>(knots[i]);
    VyrDxfEntity::Write(generator, transformation);
    generator->DrawNurbs(4, xy.get(), static_cast<int>(controls), floatKnots.get(),
                         static_cast<int>(knots.size()), 0, 1000.0f, ones.get());
    return 0;
}
