/* The drawing of polyline chains.
 *
 * Geometry, all in the entity's plane (the mirror in x and the
 * transformation are applied by the elements that draw, or when points are
 * mapped):
 *   - A bulge b on the segment from P0 to P1 is a circular arc with the
 *     included angle t = 4 atan(b), anticlockwise for t > 0; its centre lies
 *     on the chord's perpendicular bisector, left of the chord for
 *     0 < t < pi and right of it for -pi < t < 0, and the arc bulges to the
 *     other side.
 *   - A wide segment is a band: its left and right sides lie half a width
 *     beside the centre line (left and right of the direction of travel),
 *     the width going linearly from the start width to the end width. The
 *     sides of an arc band are arcs through their end points with the same
 *     included angle as the segment (concentric with it when the widths are
 *     equal).
 *   - At a vertex between two wide bands that turn there, each side is cut
 *     where it meets the neighbour's side of the same hand (a line with a
 *     line, a line with an arc, two arcs: the meeting point nearest the
 *     vertex). The band ends square instead when the segments go on in one
 *     direction (tolerance 1e-6), when either width is 0 at the vertex, when
 *     the sides do not meet, or when the meeting point lies more than ten
 *     half widths from the vertex (a very sharp turn).
 *   - A band is drawn as its outline: the two sides, the edge across its
 *     end and the edge across its start (an edge of width 0 is left out),
 *     each a line or arc element. When the conversion fills wide segments,
 *     the band is a filled polygon instead (arcs as chords of at most five
 *     degrees), and a turn that ends square is closed by a filled bevel.
 *   - A segment counts as thin when both its widths, scaled as the
 *     transformation scales lengths (by the square root of its determinant),
 *     are below 0.35; it is then a line (|bulge| <= 0.001) or an arc.
 *
 * The chain is read into a buffer shared by all polylines before it is
 * drawn: vertices that are left out (spline frame control points of a
 * classic polyline, vertices whose point is not finite) never reach it,
 * a vertex on the point of the one before takes its place (a zero-length
 * segment has no direction to draw), and a closed chain whose last vertex
 * repeats the first drops it. */
#include "Dxf2Cgm/VyrDxfPolylineEntity.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "Dxf2Cgm/VyrDxfArc.h"
#include "kernel/mth/mth.h"
#include "platform/math/VyrMathTransformation2D.h"
#include "platform/print/VyrPrintGenerator.h"

VyrDxfPolylineEntity::segmentinfo VyrDxfPolylineEntity::_PrevSeg;
VyrDxfPolylineEntity::segmentinfo VyrDxfPolylineEntity::_CurrSeg;
VyrDxfPolylineEntity::segmentinfo VyrDxfPolylineEntity::_NextSeg;

static_assert(sizeof(VyrDxfPolylineEntity::segmentinfo) == 168, "a segment record is 168 bytes");

namespace {

const double kThinWidth = 0.35;
const double kStraightBulge = 0.001;
const double kScanDistance = 0.001;
const double kJoinTolerance = 1e-6;
const double kMiterLimit = 10.0;
const double kFillStep = 5.0 * M_PI / 180.0;
const int kMaxFillSteps = 72;

/* A vertex of the chain being written. */
struct ChainVertex {
    double x, y;
    double bulge;
    double startWidth, endWidth;
    int32_t flags;
};

std::vector<ChainVertex> chain;
std::vector<double> pointBuffer;
std::vector<float> floatBuffer;
std::vector<double> fillBuffer;
std::vector<double> areaBuffer;

template <class T> T *Grow(std::vector<T> &v, size_t n)
{
    if (v.size() < n) {
        try {
            v.resize(n);
        } catch (const std::bad_alloc &) {
            return nullptr;
        }
    }
    return v.data();
}

bool Finite(double v) { return std::isfinite(v); }

bool Same(const double *a, const double *b) { return a[0] == b[0] && a[1] == b[1]; }

/* The length of (dx, dy); infinite for a vector beyond the doubles' range,
 * which no segment survives. */
double Length(double dx, double dy) { return std::sqrt(dx * dx + dy * dy); }

double Distance(const double *a, const double *b) { return Length(b[0] - a[0], b[1] - a[1]); }

/* Centre and radius of the arc from p0 to p1 with the included angle t. */
int ArcThrough(const double *p0, const double *p1, double t, double *center, double &radius)
{
    const double dx = p1[0] - p0[0], dy = p1[1] - p0[1];
    const double chord = Length(dx, dy);
    if (!(chord > 0.0) || !Finite(chord) || t == 0.0 || !Finite(t)) return 1;
    const double half = chord / 2.0;
    const double mid[2] = {(p0[0] + p1[0]) / 2.0, (p0[1] + p1[1]) / 2.0};
    const double turn = std::fabs(t);
    if (turn == M_PI) {
        radius = half;
        center[0] = mid[0];
        center[1] = mid[1];
        return 0;
    }
    radius = std::fabs(half / std::sin(turn / 2.0));
    const double h = radius * std::cos(turn / 2.0);
    const double nx = t >= 0.0 ? -dy / chord : dy / chord;
    const double ny = t >= 0.0 ? dx / chord : -dx / chord;
    center[0] = mid[0] + nx * h;
    center[1] = mid[1] + ny * h;
    return Finite(radius) && radius > 0.0 && Finite(center[0]) && Finite(center[1]) ? 0 : 1;
}

/* A side of a band: a line through `point` along `direction` (unit), or a
 * circle. */
struct Curve {
    bool circle;
    double point[2], direction[2];
    double center[2], radius;
};

/* The centre line and both sides of a segment's band before any cut. */
struct Band {
    bool arc;
    double p0[2], p1[2];
    double center[2], radius, angle; /* the arc of a bulged segment */
    double left0[2], right0[2], left1[2], right1[2];
    bool leftOk, rightOk; /* the side is a curve (not collapsed to a point) */
    Curve left, right;
};

bool SideCurve(const double *a, const double *b, bool arc, double angle, Curve &out)
{
    if (Same(a, b)) return false;
    out.circle = arc;
    if (arc) return ArcThrough(a, b, angle, out.center, out.radius) == 0;
    const double length = Distance(a, b);
    if (!(length > 0.0) || !Finite(length)) return false;
    out.point[0] = a[0];
    out.point[1] = a[1];
    out.direction[0] = (b[0] - a[0]) / length;
    out.direction[1] = (b[1] - a[1]) / length;
    return true;
}

bool Wide(const VyrDxfPolylineEntity::segmentinfo &s, double scale)
{
    return !(s.startWidth * scale < kThinWidth && s.endWidth * scale < kThinWidth);
}

/* The band of a segment; false when it cannot be computed. */
bool BandOf(const VyrDxfPolylineEntity::segmentinfo &s, Band &b)
{
    b.p0[0] = s.startX;
    b.p0[1] = s.startY;
    b.p1[0] = s.endX;
    b.p1[1] = s.endY;
    b.arc = std::fabs(s.bulge) > kStraightBulge;
    if (b.arc) {
        if (VyrDxfPolylineEntity::ComputeArcInfo(b.p0, b.p1, s.bulge, b.center, b.radius, b.angle))
            return false;
        if (VyrDxfPolylineEntity::ComputeArcExtrPoints(b.p0, b.p1, b.center, b.radius, b.angle, s.startWidth,
                                                       s.endWidth, b.left0, b.right0, b.left1, b.right1))
            return false;
    } else if (VyrDxfPolylineEntity::ComputeLineExtrPoints(b.p0, b.p1, s.startWidth, s.endWidth, b.left0,
                                                           b.right0, b.left1, b.right1)) {
        return false;
    }
    b.leftOk = SideCurve(b.left0, b.left1, b.arc, b.arc ? b.angle : 0.0, b.left);
    b.rightOk = SideCurve(b.right0, b.right1, b.arc, b.arc ? b.angle : 0.0, b.right);
    return true;
}

/* Unit tangent of the centre line, in the direction of travel, at the
 * segment's start (atEnd false) or end. */
void Tangent(const Band &b, bool atEnd, double *t)
{
    if (!b.arc) {
        const double length = Distance(b.p0, b.p1);
        t[0] = (b.p1[0] - b.p0[0]) / length;
        t[1] = (b.p1[1] - b.p0[1]) / length;
        return;
    }
    const double *p = atEnd ? b.p1 : b.p0;
    const double ux = (p[0] - b.center[0]) / b.radius, uy = (p[1] - b.center[1]) / b.radius;
    t[0] = b.angle > 0.0 ? -uy : uy;
    t[1] = b.angle > 0.0 ? ux : -ux;
}

/* Of two candidate points, the one nearer `near`. */
void Nearer(const double *a, const double *b, const double *near, double *out)
{
    const bool first = Distance(a, near) <= Distance(b, near);
    out[0] = first ? a[0] : b[0];
    out[1] = first ? a[1] : b[1];
}

bool LineCircle(const Curve &line, const Curve &circle, const double *near, double *out)
{
    const double fx = line.point[0] - circle.center[0], fy = line.point[1] - circle.center[1];
    const double b = fx * line.direction[0] + fy * line.direction[1];
    const double c = fx * fx + fy * fy - circle.radius * circle.radius;
    double disc = b * b - c;
    if (disc < 0.0) {
        if (disc < -kJoinTolerance * circle.radius * circle.radius) return false;
        disc = 0.0;
    }
    const double root = std::sqrt(disc);
    const double s1 = -b - root, s2 = -b + root;
    const double a[2] = {line.point[0] + s1 * line.direction[0], line.point[1] + s1 * line.direction[1]};
    const double z[2] = {line.point[0] + s2 * line.direction[0], line.point[1] + s2 * line.direction[1]};
    Nearer(a, z, near, out);
    return Finite(out[0]) && Finite(out[1]);
}

bool CircleCircle(const Curve &one, const Curve &two, const double *near, double *out)
{
    const double dx = two.center[0] - one.center[0], dy = two.center[1] - one.center[1];
    const double d = Length(dx, dy);
    if (!(d > 0.0) || !Finite(d)) return false;
    const double a = (one.radius * one.radius - two.radius * two.radius + d * d) / (2.0 * d);
    double h2 = one.radius * one.radius - a * a;
    if (h2 < 0.0) {
        if (h2 < -kJoinTolerance * one.radius * one.radius) return false;
        h2 = 0.0;
    }
    const double h = std::sqrt(h2);
    const double bx = one.center[0] + a * dx / d, by = one.center[1] + a * dy / d;
    const double p[2] = {bx - h * dy / d, by + h * dx / d};
    const double q[2] = {bx + h * dy / d, by - h * dx / d};
    Nearer(p, q, near, out);
    return Finite(out[0]) && Finite(out[1]);
}

bool Meet(const Curve &a, const Curve &b, const double *near, double *out)
{
    if (!a.circle && !b.circle)
        return mth_Intersect2DLines(MTH_OPT_POINT, kJoinTolerance, a.point, a.direction, b.point, b.direction,
                                    nullptr, nullptr, out) == 0 &&
               Finite(out[0]) && Finite(out[1]);
    if (a.circle && b.circle) return CircleCircle(a, b, near, out);
    return a.circle ? LineCircle(b, a, near, out) : LineCircle(a, b, near, out);
}

/* Where the sides of band `a` meet those of the band `b` that follows it;
 * false when the bands end square there. */
bool Join(const VyrDxfPolylineEntity::segmentinfo &a, const VyrDxfPolylineEntity::segmentinfo &b,
          double scale, double *left, double *right)
{
    if (!Wide(a, scale) || !Wide(b, scale) || !(a.endWidth > 0.0) || !(b.startWidth > 0.0)) return false;
    if (a.endX != b.startX || a.endY != b.startY) return false;
    Band ba{}, bb{};
    if (!BandOf(a, ba) || !BandOf(b, bb)) return false;
    if (!ba.leftOk || !ba.rightOk || !bb.leftOk || !bb.rightOk) return false;
    double ta[2], tb[2];
    Tangent(ba, true, ta);
    Tangent(bb, false, tb);
    if (std::fabs(ta[0] * tb[1] - ta[1] * tb[0]) <= kJoinTolerance) return false;
    const double *vertex = ba.p1;
    if (!Meet(ba.left, bb.left, vertex, left) || !Meet(ba.right, bb.right, vertex, right)) return false;
    const double limit = kMiterLimit * std::max(a.endWidth, b.startWidth) / 2.0;
    return Distance(left, vertex) <= limit && Distance(right, vertex) <= limit;
}

/* The arc of a side circle from `from` to `to`, its sweep the one nearest
 * the band's angle. */
void SideArc(const Curve &side, const double *from, const double *to, double angle, double &start,
             double &sweep)
{
    start = std::atan2(from[1] - side.center[1], from[0] - side.center[0]);
    const double end = std::atan2(to[1] - side.center[1], to[0] - side.center[0]);
    sweep = angle + std::remainder(end - start - angle, 2.0 * M_PI);
}

/* Appends the points of a side from `from` to `to` (the first one left
 * out) to the fill polygon. */
bool AppendSide(std::vector<double> &poly, const Curve &side, bool ok, const double *from, const double *to,
                double angle)
{
    if (ok && side.circle) {
        double start = 0.0, sweep = 0.0;
        SideArc(side, from, to, angle, start, sweep);
        int steps = static_cast<int>(std::ceil(std::fabs(sweep) / kFillStep));
        steps = std::max(1, std::min(steps, kMaxFillSteps));
        for (int i = 1; i < steps; ++i) {
            const double a = start + sweep * i / steps;
            poly.push_back(side.center[0] + side.radius * std::cos(a));
            poly.push_back(side.center[1] + side.radius * std::sin(a));
        }
    }
    poly.push_back(to[0]);
    poly.push_back(to[1]);
    return true;
}

} // namespace

void VyrDxfPolylineEntity::InitSegmentInfo(segmentinfo &info) { info = segmentinfo(); }

void VyrDxfPolylineEntity::CopySegmentInfo(segmentinfo &to, const segmentinfo &from) { to = from; }

int VyrDxfPolylineEntity::GetPolylineInfo(int &count, int &closed, double &startWidth, double &endWidth)
{
    count = 0;
    closed = 0;
    startWidth = 0.0;
    endWidth = 0.0;
    return 0;
}

double *VyrDxfPolylineEntity::PointBuffer(size_t points) { return Grow(pointBuffer, 2 * points); }

float *VyrDxfPolylineEntity::FloatBuffer(size_t points) { return Grow(floatBuffer, 2 * points); }

bool VyrDxfPolylineEntity::MapPoints(const double *xy, int count, VyrMathTransformation2D *transformation,
                                     float *out) const
{
    for (int i = 0; i < count; ++i) {
        const double x = mirror ? -xy[2 * i] : xy[2 * i];
        const VyrMathPoint2D p = *transformation * VyrMathPoint2D(x, xy[2 * i + 1]);
        out[2 * i] = static_cast<float>(p.GetX());
        out[2 * i + 1] = static_cast<float>(p.GetY());
        if (!Finite(out[2 * i]) || !Finite(out[2 * i + 1])) return false;
    }
    return true;
}

bool VyrDxfPolylineEntity::Fits(const double *xy, int count, VyrMathTransformation2D *transformation) const
{
    for (int i = 0; i < count; ++i) {
        const double x = mirror ? -xy[2 * i] : xy[2 * i];
        const VyrMathPoint2D p = *transformation * VyrMathPoint2D(x, xy[2 * i + 1]);
        if (!Finite(static_cast<float>(p.GetX())) || !Finite(static_cast<float>(p.GetY()))) return false;
    }
    return true;
}

int VyrDxfPolylineEntity::ScanPolyline(int &count, double *points)
{
    return CollectPoints(count, points, true);
}

int VyrDxfPolylineEntity::CollectPoints(int &count, double *points, bool plainOnly)
{
    const int capacity = count;
    count = 0;
    int vertices = 0, closed = 0;
    double startWidth = 0.0, endWidth = 0.0;
    GetPolylineInfo(vertices, closed, startWidth, endWidth);
    const int n = std::min(vertices, capacity);
    for (int i = 0; i < n; ++i) {
        segmentinfo v;
        InitSegmentInfo(v);
        if (!GetPolylineSegmentInfo(i, v) || !KeepsVertex(v)) continue;
        if (plainOnly && (v.bulge != 0.0 || v.startWidth != 0.0 || v.endWidth != 0.0)) return 0;
        if (!Finite(v.startX) || !Finite(v.startY)) continue;
        const double p[2] = {v.startX, v.startY};
        if (count > 0 && !(Distance(points + 2 * (count - 1), p) > kScanDistance)) continue;
        points[2 * count] = p[0];
        points[2 * count + 1] = p[1];
        ++count;
    }
    return 1;
}

int VyrDxfPolylineEntity::WritePoints(double *xy, int count, int closed, bool curve,
                                      VyrPrintGenerator *generator, VyrMathTransformation2D *transformation)
{
    /* A closed chain ends where it starts; a last point already there is
     * not repeated. */
    if (closed && count > 2 && !(Distance(xy, xy + 2 * (count - 1)) > kScanDistance)) --count;
    if (count < 2) return 1;
    if (closed) {
        xy[2 * count] = xy[0];
        xy[2 * count + 1] = xy[1];
        ++count;
    }
    float *out = FloatBuffer(static_cast<size_t>(count));
    if (!out || !MapPoints(xy, count, transformation, out)) return 1;
    VyrDxfEntity::Write(generator, transformation);
    if (curve)
        generator->DrawCurve(count, out);
    else
        generator->DrawPolyline(count, out);
    return 0;
}

int VyrDxfPolylineEntity::Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation)
{
    if (!generator || !transformation || IsLeftOut()) return 1;
    int count = 0, closed = 0;
    double startWidth = 0.0, endWidth = 0.0;
    GetPolylineInfo(count, closed, startWidth, endWidth);
    if (count < 2) return 0;
    if (startWidth == 0.0 && endWidth == 0.0) {
        double *points = PointBuffer(static_cast<size_t>(count) + 1);
        int kept = count;
        if (points && ScanPolyline(kept, points))
            return WritePoints(points, kept, closed, false, generator, transformation);
    }
    return WritePolySegment(generator, count, closed, startWidth, endWidth, transformation);
}

void VyrDxfPolylineEntity::ReadChain(int count, double startWidth, double endWidth)
{
    for (int i = 0; i < count; ++i) {
        segmentinfo info;
        InitSegmentInfo(info);
        if (GetPolylineSegmentInfo(i, info)) AddChainVertex(info, startWidth, endWidth);
    }
}

void VyrDxfPolylineEntity::AddChainVertex(const segmentinfo &info, double startWidth, double endWidth)
{
    if (!KeepsVertex(info) || !Finite(info.startX) || !Finite(info.startY)) return;
    auto width = [](double w, double fallback) { return Finite(w) && w >= 0.0 ? w : fallback; };
    const ChainVertex v = {info.startX,
                           info.startY,
                           Finite(info.bulge) ? info.bulge : 0.0,
                           width(info.startWidth, startWidth),
                           width(info.endWidth, endWidth),
                           info.flags};
    if (!chain.empty() && chain.back().x == v.x && chain.back().y == v.y) {
        chain.back() = v;
        return;
    }
    try {
        chain.push_back(v);
    } catch (const std::bad_alloc &) {}
}

int VyrDxfPolylineEntity::WritePolySegment(VyrPrintGenerator *generator, int &count, int &closed,
                                           double &startWidth, double &endWidth,
                                           VyrMathTransformation2D *transformation)
{
    if (!generator || !transformation) return 1;
    attributesWritten = false;
    const double defaultStart = Finite(startWidth) && startWidth >= 0.0 ? startWidth : 0.0;
    const double defaultEnd = Finite(endWidth) && endWidth >= 0.0 ? endWidth : 0.0;
    chain.clear();
    ReadChain(count, defaultStart, defaultEnd);
    if (closed && chain.size() > 2 && chain.back().x == chain.front().x && chain.back().y == chain.front().y)
        chain.pop_back();
    const int n = static_cast<int>(chain.size());
    if (n < 2) return 1;
    const int segments = closed ? n : n - 1;

    auto load = [n](int k, segmentinfo &s) {
        InitSegmentInfo(s);
        const ChainVertex &a = chain[static_cast<size_t>(k)];
        const ChainVertex &b = chain[static_cast<size_t>((k + 1) % n)];
        s.startX = a.x;
        s.startY = a.y;
        s.endX = b.x;
        s.endY = b.y;
        s.bulge = a.bulge;
        s.startWidth = a.startWidth;
        s.endWidth = a.endWidth;
        s.flags = a.flags;
    };

    InitSegmentInfo(_PrevSeg);
    InitSegmentInfo(_NextSeg);
    load(0, _CurrSeg);
    if (closed) load(segments - 1, _PrevSeg);
    _CurrSeg.noPrev = closed ? 0 : 1;
    int drawn = 0;
    for (int s = 0; s < segments; ++s) {
        if (s + 1 < segments || closed) {
            load((s + 1) % segments, _NextSeg);
            _CurrSeg.noNext = 0;
        } else {
            InitSegmentInfo(_NextSeg);
            _CurrSeg.noNext = 1;
        }
        if (WriteSegment(generator, transformation) == 0) ++drawn;
        CopySegmentInfo(_PrevSeg, _CurrSeg);
        CopySegmentInfo(_CurrSeg, _NextSeg);
        _CurrSeg.noPrev = 0;
    }
    if (chain.capacity() > 65536) std::vector<ChainVertex>().swap(chain);
    return drawn ? 0 : 1;
}

int VyrDxfPolylineEntity::WriteSegment(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation)
{
    if (!generator || !transformation) return 1;
    segmentinfo &c = _CurrSeg;
    const double p0[2] = {c.startX, c.startY};
    const double p1[2] = {c.endX, c.endY};
    if (Same(p0, p1) || !Finite(p0[0]) || !Finite(p0[1]) || !Finite(p1[0]) || !Finite(p1[1])) return 1;
    const double scale = std::sqrt(std::fabs(transformation->GetMatrix().Determinant()));
    if (!Finite(scale)) return 1;

    if (!Wide(c, scale)) {
        if (std::fabs(c.bulge) <= kStraightBulge) {
            return DrawSegmentLine(p0, p1, generator, transformation);
        }
        double center[2], radius = 0.0, angle = 0.0, start = 0.0, end = 0.0;
        if (ComputeArcInfo(p0, p1, c.bulge, center, radius, angle) ||
            ComputeArc(p0, p1, center, radius, angle, start, end) || !Fits(center, 1, transformation) ||
            !Finite(static_cast<float>(radius * scale)))
            return 1;
        c.isArc = 1;
        c.centerX = center[0];
        c.centerY = center[1];
        c.radius = radius;
        if (angle < 0.0) std::swap(start, end);
        VyrDxfArc arc(center[0], center[1], radius, start, end, header, mirror);
        arc.SetBlockAndLayerPtr(block, layer);
        return arc.Write(generator, transformation) == 0 ? 0 : 1;
    }

    Band band{};
    if (!BandOf(c, band)) return 1;
    if (band.arc) {
        c.isArc = 1;
        c.centerX = band.center[0];
        c.centerY = band.center[1];
        c.radius = band.radius;
    }

    /* The ends: cut where they meet the neighbours, else square. */
    bool startJoined = false;
    if (!c.noPrev) {
        if (_PrevSeg.endJoined && _PrevSeg.endX == c.startX && _PrevSeg.endY == c.startY) {
            std::copy(_PrevSeg.endLeft, _PrevSeg.endLeft + 2, c.startLeft);
            std::copy(_PrevSeg.endRight, _PrevSeg.endRight + 2, c.startRight);
            startJoined = true;
        } else {
            startJoined = Join(_PrevSeg, c, scale, c.startLeft, c.startRight);
        }
    }
    if (!startJoined) {
        std::copy(band.left0, band.left0 + 2, c.startLeft);
        std::copy(band.right0, band.right0 + 2, c.startRight);
    }
    const bool endJoined = !c.noNext && Join(c, _NextSeg, scale, c.endLeft, c.endRight);
    if (!endJoined) {
        std::copy(band.left1, band.left1 + 2, c.endLeft);
        std::copy(band.right1, band.right1 + 2, c.endRight);
    }
    c.startJoined = startJoined ? 1 : 0;
    c.endJoined = endJoined ? 1 : 0;

    /* A side that collapsed to a point (a band wider than its arc's
     * diameter stops at the centre) has no edge; both cannot collapse. */
    if (!band.leftOk && !band.rightOk) return 1;

    if (FillsWideSegments()) {
        fillBuffer.clear();
        try {
            fillBuffer.insert(fillBuffer.end(), c.startLeft, c.startLeft + 2);
            AppendSide(fillBuffer, band.left, band.leftOk, c.startLeft, c.endLeft, band.angle);
            if (!Same(c.endLeft, c.endRight)) fillBuffer.insert(fillBuffer.end(), c.endRight, c.endRight + 2);
            AppendSide(fillBuffer, band.right, band.rightOk, c.endRight, c.startRight, -band.angle);
        } catch (const std::bad_alloc &) {
            return 1;
        }
        int points = static_cast<int>(fillBuffer.size() / 2);
        if (Same(c.startLeft, c.startRight)) --points; /* the start is pointed: the last point is the first */
        int result = FillArea(fillBuffer.data(), points, generator, transformation);

        /* A turn that ends square leaves a wedge on its outer side: a bevel
         * fills it. */
        if (!c.noNext && !endJoined && Wide(_NextSeg, scale) && c.endWidth > 0.0 &&
            _NextSeg.startWidth > 0.0) {
            Band next{};
            double ta[2], tb[2];
            if (BandOf(_NextSeg, next)) {
                Tangent(band, true, ta);
                Tangent(next, false, tb);
                const double cross = ta[0] * tb[1] - ta[1] * tb[0];
                if (std::fabs(cross) > kJoinTolerance) {
                    const double *a = cross > 0.0 ? band.right1 : band.left1;
                    const double *b = cross > 0.0 ? next.right0 : next.left0;
                    const double bevel[6] = {band.p1[0], band.p1[1], a[0], a[1], b[0], b[1]};
                    FillArea(bevel, 3, generator, transformation);
                }
            }
        }
        return result;
    }

    OutlineEdge edges[4];
    int count = 0;
    auto side = [&](const Curve &curve, bool ok, const double *from, const double *to) {
        if (!ok || Same(from, to)) return;
        OutlineEdge &e = edges[count++];
        e = OutlineEdge();
        if (!curve.circle || !Fits(curve.center, 1, transformation) ||
            !Finite(static_cast<float>(curve.radius * scale))) {
            e.x1 = from[0];
            e.y1 = from[1];
            e.x2 = to[0];
            e.y2 = to[1];
            return;
        }
        double start = 0.0, sweep = 0.0;
        SideArc(curve, from, to, band.angle, start, sweep);
        e.isArc = 1;
        e.centerX = curve.center[0];
        e.centerY = curve.center[1];
        e.radius = curve.radius;
        e.start = sweep >= 0.0 ? start : start + sweep;
        e.end = sweep >= 0.0 ? start + sweep : start;
    };
    auto across = [&](const double *a, const double *b) {
        if (Same(a, b)) return;
        OutlineEdge &e = edges[count++];
        e = OutlineEdge();
        e.x1 = a[0];
        e.y1 = a[1];
        e.x2 = b[0];
        e.y2 = b[1];
    };
    const double corners[8] = {c.startLeft[0], c.startLeft[1], c.startRight[0], c.startRight[1],
                               c.endLeft[0],   c.endLeft[1],   c.endRight[0],   c.endRight[1]};
    if (!Fits(corners, 4, transformation)) return 1;
    side(band.left, band.leftOk, c.startLeft, c.endLeft);
    across(c.endLeft, c.endRight);
    side(band.right, band.rightOk, c.startRight, c.endRight);
    across(c.startRight, c.startLeft);
    return CreatePattern(edges, count, generator, transformation);
}

int VyrDxfPolylineEntity::DrawSegmentLine(const double *a, const double *b, VyrPrintGenerator *generator,
                                          VyrMathTransformation2D *transformation)
{
    const double ends[4] = {a[0], a[1], b[0], b[1]};
    float out[4];
    if (!MapPoints(ends, 2, transformation, out)) return 1;
    if (!attributesWritten) {
        VyrDxfEntity::Write(generator, transformation);
        attributesWritten = true;
    }
    generator->DrawLine(out[0], out[1], out[2], out[3]);
    return 0;
}

int VyrDxfPolylineEntity::CreatePattern(const OutlineEdge *edges, int count, VyrPrintGenerator *generator,
                                        VyrMathTransformation2D *transformation)
{
    if (!edges || !generator || !transformation) return 1;
    int written = 0;
    for (int i = 0; i < count; ++i) {
        const OutlineEdge &e = edges[i];
        int result;
        if (e.isArc) {
            VyrDxfArc arc(e.centerX, e.centerY, e.radius, e.start, e.end, header, mirror);
            arc.SetBlockAndLayerPtr(block, layer);
            result = arc.Write(generator, transformation);
        } else {
            const double a[2] = {e.x1, e.y1}, b[2] = {e.x2, e.y2};
            result = DrawSegmentLine(a, b, generator, transformation);
        }
        if (result == 0) ++written;
    }
    const int color = GetColor();
    if (color != _currentFillColor) {
        _currentFillColor = color;
        generator->SetFillColor(color);
    }
    return written ? 0 : 1;
}

bool VyrDxfPolylineEntity::FillsWideSegments() const { return FillsAreas(); }

int VyrDxfPolylineEntity::FillArea(const double *xy, int count, VyrPrintGenerator *generator,
                                   VyrMathTransformation2D *transformation)
{
    if (count < 3 || !Fits(xy, count, transformation)) return 1;
    if (!mirror) return WriteFilledArea(generator, *transformation, count, xy);
    double *mirrored = Grow(areaBuffer, 2 * static_cast<size_t>(count));
    if (!mirrored) return 1;
    for (int i = 0; i < count; ++i) {
        mirrored[2 * i] = -xy[2 * i];
        mirrored[2 * i + 1] = xy[2 * i + 1];
    }
    return WriteFilledArea(generator, *transformation, count, mirrored);
}

int VyrDxfPolylineEntity::ComputeArcInfo(const double *p0, const double *p1, double bulge, double *center,
                                         double &radius, double &angle)
{
    if (Same(p0, p1) || bulge == 0.0 || !Finite(bulge)) return 1;
    angle = 4.0 * std::atan(bulge);
    if (angle == 0.0) return 1;
    return ArcThrough(p0, p1, angle, center, radius);
}

int VyrDxfPolylineEntity::ComputeArc(const double *p0, const double *p1, const double *center, double radius,
                                     double angle, double &start, double &end)
{
    if (Same(p0, p1) || !(radius > 0.0) || angle == 0.0) return 1;
    start = std::atan2(p0[1] - center[1], p0[0] - center[0]);
    end = start + angle;
    return 0;
}

int VyrDxfPolylineEntity::ComputeLineExtrPoints(const double *p0, const double *p1, double w0, double w1,
                                                double *left0, double *right0, double *left1, double *right1)
{
    const double length = Distance(p0, p1);
    if (!(length > 0.0) || !Finite(length) || !(w0 > 0.0 || w1 > 0.0)) return 1;
    const double nx = -(p1[1] - p0[1]) / length, ny = (p1[0] - p0[0]) / length;
    left0[0] = p0[0] + nx * w0 / 2.0;
    left0[1] = p0[1] + ny * w0 / 2.0;
    right0[0] = p0[0] - nx * w0 / 2.0;
    right0[1] = p0[1] - ny * w0 / 2.0;
    left1[0] = p1[0] + nx * w1 / 2.0;
    left1[1] = p1[1] + ny * w1 / 2.0;
    right1[0] = p1[0] - nx * w1 / 2.0;
    right1[1] = p1[1] - ny * w1 / 2.0;
    return 0;
}

int VyrDxfPolylineEntity::ComputeArcExtrPoints(const double *p0, const double *p1, const double *center,
                                               double radius, double angle, double w0, double w1,
                                               double *left0, double *right0, double *left1, double *right1)
{
    if (!(radius > 0.0) || angle == 0.0 || !(w0 > 0.0 || w1 > 0.0)) return 1;
    /* Left of an anticlockwise arc is its inside. */
    const double inward = angle > 0.0 ? 1.0 : -1.0;
    auto sides = [&](const double *p, double w, double *left, double *right) {
        const double ux = (p[0] - center[0]) / radius, uy = (p[1] - center[1]) / radius;
        const double l = std::max(0.0, radius - inward * w / 2.0);
        const double r = std::max(0.0, radius + inward * w / 2.0);
        left[0] = center[0] + l * ux;
        left[1] = center[1] + l * uy;
        right[0] = center[0] + r * ux;
        right[1] = center[1] + r * uy;
    };
    sides(p0, w0, left0, right0);
    sides(p1, w1, left1, right1);
    return 0;
}
