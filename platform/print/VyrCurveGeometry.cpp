/* Curve geometry of the CGM generator (see the header).
 *
 * B-spline pieces become cubic Bezier segments by Hermite interpolation:
 * the segment takes the end points and end derivatives of the piece over
 * the same parameter interval, which reproduces any polynomial of degree 3
 * or less exactly. Other pieces (rational, or of higher degree) are split in
 * halves until every sample of the segment lies within the tolerance of the
 * curve at the same parameter. */
#include "platform/print/VyrCurveGeometry.h"

#include <algorithm>
#include <cmath>

namespace {

const int kMaxDepth = 14;

VyrPt Lerp(const VyrPt &a, const VyrPt &b, double t)
{
    return VyrPt{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

double Dist(const VyrPt &a, const VyrPt &b) { return std::hypot(a.x - b.x, a.y - b.y); }

VyrPt Cubic(const VyrPt &p0, const VyrPt &p1, const VyrPt &p2, const VyrPt &p3, double t)
{
    double s = 1.0 - t;
    double b0 = s * s * s, b1 = 3 * s * s * t, b2 = 3 * s * t * t, b3 = t * t * t;
    return VyrPt{b0 * p0.x + b1 * p1.x + b2 * p2.x + b3 * p3.x,
                 b0 * p0.y + b1 * p1.y + b2 * p2.y + b3 * p3.y};
}

/* Distance of p from the line through a and b (from a when a == b). */
double LineDistance(const VyrPt &p, const VyrPt &a, const VyrPt &b)
{
    double dx = b.x - a.x, dy = b.y - a.y;
    double len = std::hypot(dx, dy);
    if (len == 0.0) return Dist(p, a);
    return std::fabs((p.x - a.x) * dy - (p.y - a.y) * dx) / len;
}

void FlattenSegment(const VyrPt &p0, const VyrPt &p1, const VyrPt &p2, const VyrPt &p3, double tolerance,
                    int depth, VyrPath &out)
{
    if (depth >= kMaxDepth || std::max(LineDistance(p1, p0, p3), LineDistance(p2, p0, p3)) <= tolerance) {
        out.push_back(p3);
        return;
    }
    VyrPt a = Lerp(p0, p1, 0.5), b = Lerp(p1, p2, 0.5), c = Lerp(p2, p3, 0.5);
    VyrPt d = Lerp(a, b, 0.5), e = Lerp(b, c, 0.5), m = Lerp(d, e, 0.5);
    FlattenSegment(p0, a, d, m, tolerance, depth + 1, out);
    FlattenSegment(m, e, c, p3, tolerance, depth + 1, out);
}

int ArcSteps(double r, double sweep)
{
    /* chord deviation r (1 - cos(step/2)) <= r / 4000 */
    double step = 2.0 * std::acos(1.0 - 1.0 / 4000.0);
    double n = std::ceil(std::fabs(sweep) / step);
    if (!(r > 0.0) || !(n == n)) return 1;
    return static_cast<int>(std::min(std::max(n, 2.0), 4096.0));
}

} // namespace

bool VyrNurbsCurve::Set(int order, const float *controlXY, int controlCount, const float *knots,
                        int knotCount, const float *weights)
{
    degree_ = 0;
    count_ = 0;
    knots_.clear();
    cx_.clear();
    cy_.clear();
    w_.clear();
    if (!controlXY || !knots || order < 2 || order > 64 || controlCount < order ||
        knotCount < order + controlCount)
        return false;
    int nk = order + controlCount;
    for (int i = 0; i < nk; ++i) {
        double k = knots[i];
        if (!std::isfinite(k) || (i > 0 && k < knots_.back())) return false;
        knots_.push_back(k);
    }
    for (int i = 0; i < controlCount; ++i) {
        double x = controlXY[2 * i], y = controlXY[2 * i + 1];
        double w = weights ? weights[i] : 1.0;
        if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(w) || !(w > 0.0)) return false;
        cx_.push_back(x);
        cy_.push_back(y);
        w_.push_back(w);
    }
    degree_ = order - 1;
    count_ = controlCount;
    polynomialCubic_ = degree_ <= 3;
    for (double w : w_)
        if (w != w_[0]) polynomialCubic_ = false;
    if (!(DomainStart() < DomainEnd())) {
        count_ = 0;
        return false;
    }
    return true;
}

void VyrNurbsCurve::Evaluate(int span, double u, VyrPt &point, VyrPt &derivative) const
{
    const int p = degree_;
    const std::vector<double> &U = knots_;
    /* Small degrees (all that drawings use) work on the stack. */
    const int kSmall = 8;
    double leftSmall[kSmall + 1], rightSmall[kSmall + 1], nduSmall[(kSmall + 1) * (kSmall + 1)];
    std::vector<double> big;
    double *left = leftSmall;
    double *right = rightSmall;
    double *table = nduSmall;
    if (p > kSmall) {
        big.resize(static_cast<size_t>(p + 1) * static_cast<size_t>(p + 3));
        left = big.data();
        right = left + p + 1;
        table = right + p + 1;
    }
    const int stride = p + 1;
    /* ndu(j, r): upper triangle basis values, lower triangle knot differences */
    auto ndu = [table, stride](int j, int r) -> double & { return table[j * stride + r]; };
    ndu(0, 0) = 1.0;
    for (int j = 1; j <= p; ++j) {
        left[j] = u - U[static_cast<size_t>(span + 1 - j)];
        right[j] = U[static_cast<size_t>(span + j)] - u;
        double saved = 0.0;
        for (int r = 0; r < j; ++r) {
            ndu(j, r) = right[r + 1] + left[j - r];
            double temp = ndu(r, j - 1) / ndu(j, r);
            ndu(r, j) = saved + right[r + 1] * temp;
            saved = left[j - r] * temp;
        }
        ndu(j, j) = saved;
    }
    double ax = 0, ay = 0, aw = 0, dx = 0, dy = 0, dw = 0;
    for (int r = 0; r <= p; ++r) {
        double n = ndu(r, p);
        double d = 0.0;
        if (r > 0) d += ndu(r - 1, p - 1) / ndu(p, r - 1);
        if (r < p) d -= ndu(r, p - 1) / ndu(p, r);
        d *= p;
        size_t i = static_cast<size_t>(span - p + r);
        double w = w_[i];
        ax += n * w * cx_[i];
        ay += n * w * cy_[i];
        aw += n * w;
        dx += d * w * cx_[i];
        dy += d * w * cy_[i];
        dw += d * w;
    }
    point = VyrPt{ax / aw, ay / aw};
    derivative = VyrPt{(dx - dw * point.x) / aw, (dy - dw * point.y) / aw};
}

VyrPt VyrNurbsCurve::PointAt(double u) const
{
    u = std::min(std::max(u, DomainStart()), DomainEnd());
    int span = degree_;
    for (int s = degree_; s < count_; ++s)
        if (knots_[static_cast<size_t>(s)] < knots_[static_cast<size_t>(s) + 1] &&
            u >= knots_[static_cast<size_t>(s)])
            span = s;
    VyrPt p, d;
    Evaluate(span, u, p, d);
    return p;
}

double VyrNurbsCurve::ControlSize() const
{
    if (cx_.empty()) return 0.0;
    auto x = std::minmax_element(cx_.begin(), cx_.end());
    auto y = std::minmax_element(cy_.begin(), cy_.end());
    return std::hypot(*x.second - *x.first, *y.second - *y.first);
}

void VyrNurbsCurve::ToBezier(double tolerance, std::vector<VyrPath> &chains,
                             std::vector<double> *ranges) const
{
    chains.clear();
    if (ranges) ranges->clear();
    if (count_ == 0) return;
    const double joinGap = 1e-9 * std::max(ControlSize(), 1e-300);
    struct Piece {
        double a, b;
        int depth;
    };
    for (int s = degree_; s < count_; ++s) {
        double a0 = knots_[static_cast<size_t>(s)], b0 = knots_[static_cast<size_t>(s) + 1];
        if (!(a0 < b0)) continue;
        std::vector<Piece> stack{{a0, b0, 0}};
        std::vector<Piece> done;
        /* Depth-first, left half first, so pieces come out in order. */
        while (!stack.empty()) {
            Piece pc = stack.back();
            stack.pop_back();
            VyrPt p0, d0, p3, d3;
            Evaluate(s, pc.a, p0, d0);
            Evaluate(s, pc.b, p3, d3);
            double h = (pc.b - pc.a) / 3.0;
            VyrPt c1{p0.x + d0.x * h, p0.y + d0.y * h};
            VyrPt c2{p3.x - d3.x * h, p3.y - d3.y * h};
            bool ok = true;
            if (!polynomialCubic_ && pc.depth < kMaxDepth) {
                for (int j = 1; j < 8 && ok; ++j) {
                    double t = j / 8.0;
                    VyrPt q, dq;
                    Evaluate(s, pc.a + (pc.b - pc.a) * t, q, dq);
                    ok = Dist(Cubic(p0, c1, c2, p3, t), q) <= tolerance;
                }
            }
            if (!ok) {
                double m = 0.5 * (pc.a + pc.b);
                stack.push_back(Piece{m, pc.b, pc.depth + 1});
                stack.push_back(Piece{pc.a, m, pc.depth + 1});
                continue;
            }
            if (chains.empty() || Dist(chains.back().back(), p0) > joinGap) chains.push_back(VyrPath{p0});
            VyrPath &c = chains.back();
            if (ranges) {
                ranges->push_back(pc.a);
                ranges->push_back(pc.b);
            }
            c.push_back(c1);
            c.push_back(c2);
            c.push_back(p3);
        }
    }
}

void VyrCurveThroughPoints(const float *xy, int count, VyrPath &chain)
{
    chain.clear();
    VyrPath pts;
    for (int i = 0; i < count; ++i) {
        VyrPt p{xy[2 * i], xy[2 * i + 1]};
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) continue;
        if (pts.empty() || p.x != pts.back().x || p.y != pts.back().y) pts.push_back(p);
    }
    size_t n = pts.size();
    if (n < 2) return;
    bool closed = n >= 4 && pts.front().x == pts.back().x && pts.front().y == pts.back().y;
    /* Unit tangent at every point: the chords on both sides, each weighted
     * by the length of the other (a chord-length Catmull-Rom tangent). */
    std::vector<VyrPt> tangent(n);
    for (size_t i = 0; i < n; ++i) {
        VyrPt prev{0, 0}, next{0, 0};
        bool hasPrev = i > 0 || closed, hasNext = i + 1 < n || closed;
        if (hasPrev) prev = i > 0 ? pts[i - 1] : pts[n - 2];
        if (hasNext) next = i + 1 < n ? pts[i + 1] : pts[1];
        VyrPt t{0, 0};
        if (hasPrev && hasNext) {
            double d0 = Dist(pts[i], prev), d1 = Dist(next, pts[i]);
            t.x = (d1 * (pts[i].x - prev.x) / d0 + d0 * (next.x - pts[i].x) / d1) / (d0 + d1);
            t.y = (d1 * (pts[i].y - prev.y) / d0 + d0 * (next.y - pts[i].y) / d1) / (d0 + d1);
        } else if (hasNext) {
            double d = Dist(next, pts[i]);
            t = VyrPt{(next.x - pts[i].x) / d, (next.y - pts[i].y) / d};
        } else {
            double d = Dist(pts[i], prev);
            t = VyrPt{(pts[i].x - prev.x) / d, (pts[i].y - prev.y) / d};
        }
        tangent[i] = t;
    }
    chain.push_back(pts[0]);
    for (size_t i = 0; i + 1 < n; ++i) {
        double h = Dist(pts[i], pts[i + 1]) / 3.0;
        chain.push_back(VyrPt{pts[i].x + tangent[i].x * h, pts[i].y + tangent[i].y * h});
        chain.push_back(VyrPt{pts[i + 1].x - tangent[i + 1].x * h, pts[i + 1].y - tangent[i + 1].y * h});
        chain.push_back(pts[i + 1]);
    }
}

VyrPt VyrBezierPoint(const VyrPath &chain, int segment, double t)
{
    size_t k = static_cast<size_t>(segment) * 3;
    return Cubic(chain[k], chain[k + 1], chain[k + 2], chain[k + 3], t);
}

void VyrFlattenBezier(const VyrPath &chain, double tolerance, VyrPath &out)
{
    if (chain.empty()) return;
    if (out.empty()) out.push_back(chain[0]);
    for (size_t k = 0; k + 3 < chain.size(); k += 3)
        FlattenSegment(chain[k], chain[k + 1], chain[k + 2], chain[k + 3], tolerance, 0, out);
}

void VyrFlattenArc(double cx, double cy, double r, double start, double end, VyrPath &out)
{
    VyrFlattenEllipse(cx, cy, r, r, 0.0, start, end, out);
}

void VyrFlattenEllipse(double cx, double cy, double a, double b, double rotation, double start, double end,
                       VyrPath &out)
{
    double sweep = end - start;
    if (sweep < 0.0) sweep += 2 * M_PI * std::ceil(-sweep / (2 * M_PI));
    if (sweep > 2 * M_PI) sweep = 2 * M_PI;
    int n = ArcSteps(std::max(std::fabs(a), std::fabs(b)), sweep);
    double c = std::cos(rotation), s = std::sin(rotation);
    for (int i = 0; i <= n; ++i) {
        double t = start + sweep * i / n;
        double x = a * std::cos(t), y = b * std::sin(t);
        out.push_back(VyrPt{cx + x * c - y * s, cy + x * s + y * c});
    }
}

void VyrEllipseBezier(double cx, double cy, double a, double b, double rotation, double start, double end,
                      VyrPath &chain)
{
    double sweep = end - start;
    if (sweep < 0.0) sweep += 2 * M_PI * std::ceil(-sweep / (2 * M_PI));
    if (sweep > 2 * M_PI) sweep = 2 * M_PI;
    const int n = std::max(1, static_cast<int>(std::ceil(sweep / (M_PI / 2) - 1e-9)));
    const double step = sweep / n, k = 4.0 / 3.0 * std::tan(step / 4);
    const double c = std::cos(rotation), s = std::sin(rotation);
    auto at = [&](double x, double y) { return VyrPt{cx + x * c - y * s, cy + x * s + y * c}; };
    chain.clear();
    for (int i = 0; i <= n; ++i) {
        const double t = start + step * i;
        const double x = a * std::cos(t), y = b * std::sin(t), dx = -a * std::sin(t), dy = b * std::cos(t);
        if (i > 0) chain.push_back(at(x - k * dx, y - k * dy));
        chain.push_back(at(x, y));
        if (i < n) chain.push_back(at(x + k * dx, y + k * dy));
    }
}

void VyrDashPath(const VyrPath &path, const double *pattern, int count, size_t maxDashes,
                 std::vector<VyrPath> &dashes)
{
    VyrDashPhase phase;
    VyrDashPathOn(path, pattern, count, 0.0, maxDashes, phase, dashes);
}

void VyrDashPathOn(const VyrPath &path, const double *pattern, int count, double dot, size_t maxDashes,
                   VyrDashPhase &phase, std::vector<VyrPath> &dashes)
{
    dashes.clear();
    double period = 0.0, length = 0.0;
    for (int i = 0; i < count; ++i) period += std::fabs(pattern[i]);
    for (size_t i = 1; i < path.size(); ++i) length += Dist(path[i - 1], path[i]);
    if (path.size() < 2 || !(period > 0.0) || length / period * count > static_cast<double>(maxDashes)) {
        dashes.push_back(path);
        phase = VyrDashPhase();
        return;
    }
    /* A dot is a short dash along the path where the pattern puts it; it
     * takes none of the pattern's length. */
    auto addDot = [&](const VyrPt &at, const VyrPt &toward) {
        const double d = Dist(at, toward);
        if (dot > 0.0 && d > 0.0) dashes.push_back(VyrPath{at, Lerp(at, toward, dot / d)});
    };
    if (phase.left < 0.0 || phase.index < 0 || phase.index >= count) {
        phase.index = 0;
        phase.left = std::fabs(pattern[0]);
        if (pattern[0] == 0.0) addDot(path[0], path[1]);
    }
    bool on = pattern[phase.index] > 0;
    if (on) dashes.push_back(VyrPath{path[0]});
    for (size_t i = 1; i < path.size(); ++i) {
        VyrPt a = path[i - 1];
        const VyrPt &b = path[i];
        double seg = Dist(a, b);
        while (seg > phase.left) {
            VyrPt m = Lerp(a, b, phase.left / seg);
            seg -= phase.left;
            a = m;
            if (on) dashes.back().push_back(m);
            phase.index = (phase.index + 1) % count;
            phase.left = std::fabs(pattern[phase.index]);
            on = pattern[phase.index] > 0;
            if (pattern[phase.index] == 0.0) addDot(m, b);
            if (on) dashes.push_back(VyrPath{m});
        }
        phase.left -= seg;
        if (on) dashes.back().push_back(b);
    }
    /* A dash cut down to one point has no length to draw. */
    dashes.erase(std::remove_if(dashes.begin(), dashes.end(), [](const VyrPath &d) { return d.size() < 2; }),
                 dashes.end());
}
