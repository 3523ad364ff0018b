/* Hatches: the boundary loops flattened from the hatch's paths, the fill,
 * and the pattern lines clipped to the loops.
 *
 * Paths. A polyline path is its vertices, each segment straight or, with a
 * bulge b, the arc of 4·atan(b) over its chord; an edge path chains its
 * edges (lines, circular and elliptic arcs, splines), turning an edge round
 * when its end, not its start, meets the previous one. Every loop closes by
 * itself, open or not. Arcs run from their start to their end angle,
 * anticlockwise or, without the counter-clockwise flag, clockwise through
 * the negated angles; an elliptic arc's angles are the ellipse's
 * parameters (the reader turned the file's angles into them). Curves are flattened to
 * within 1/10,000 of the boundary's size. The hatch style chooses the loops:
 * normal all of them, outer those flagged external or outermost, ignore
 * those flagged external (all of them when none is flagged).
 *
 * Pattern. For a family with direction d (its angle) and normal n, the
 * lines are base + k·offset for every k whose line crosses the boundary's
 * box. Each line is cut with every loop edge that straddles it (an edge
 * end on the line counts on the side above it, so a vertex is crossed once
 * or not at all), the crossings are sorted along d and taken in pairs. The
 * edges are swept in order of their lowest n, so a family costs the lines
 * and crossings it has, not lines times edges. */
#include "Dxf2Cgm/VyrDxfHatch.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

#include "Dxf2Cgm/VyrDxf2CgmMessages.h"
#include "Dxf2Cgm/VyrDxfBoundary.h"
#include "Dxf2Cgm/VyrDxfEntityLock.h"
#include "Dxf2Cgm/VyrDxfExtents.h"
#include "Dxf2Cgm/VyrDxfOcs.h"
#include "kernel/mpm/mpm_int.h"
#include "platform/math/VyrMathTransformation2D.h"
#include "platform/print/VyrPrintGenerator.h"

namespace {

const int kType = 335;
const int kPolylinePath = 2;
const int kExternalPath = 1;
const int kOutermostPath = 16;
/* Hatch styles (group 75). */
const int kStyleOuter = 1;
const int kStyleIgnore = 2;
/* Chord error of flattened curves, against the boundary's size. */
const double kFlatness = 1e-4;
const int kMaxArcSegments = 1024;
const int kSplineSamplesPerSpan = 16;
const int kMaxSplineDegree = 20;
/* Warnings, one bit each. */
const int kWarnPoints = 1;
const int kWarnSpacing = 2;
const int kWarnLines = 4;
const int kWarnSegments = 8;

/* Whole elements of `size` bytes in the block behind a reference. */
size_t Held(mda_ref ref, size_t size)
{
    if (ref == MDA_NULL_REF) return 0;
    int64_t bytes = 0;
    if (mda_GetArraySize(0, mda_Deref(ref), &bytes) != 0 || bytes < 0) return 0;
    return static_cast<size_t>(bytes) / size;
}

/* Elements of a counted array that are really there. */
template <class T> const T *Items(mda_ref ref, int32_t count, size_t &n)
{
    n = count > 0 ? std::min(static_cast<size_t>(count), Held(ref, sizeof(T))) : 0;
    return n ? VyrDxfDeref<T>(ref) : nullptr;
}

bool Finite(const double *v, int n)
{
    for (int i = 0; i < n; ++i)
        if (!std::isfinite(v[i])) return false;
    return true;
}

/* An angle difference in degrees brought into (0, 360]. */
double Sweep(double from, double to)
{
    double s = std::fmod(to - from, 360.0);
    if (s <= 1e-12) s += 360.0;
    return s;
}

/* Segments for `sweep` radians of a curve of radius r at chord error tol. */
int ArcSegments(double r, double sweep, double tol)
{
    if (!(r > 0.0) || !(tol > 0.0)) return 1;
    const double ratio = tol / r;
    const double step = ratio >= 1.0 ? M_PI : 2.0 * std::acos(1.0 - ratio);
    const double n = std::ceil(std::fabs(sweep) / std::max(step, 1e-6));
    return static_cast<int>(std::min(std::max(n, 1.0), static_cast<double>(kMaxArcSegments)));
}

/* Points of one loop as it is built, within the hatch's point budget. */
class LoopBuilder {
public:
    LoopBuilder(double tol, double eps, size_t &budget) : tol_(tol), eps_(eps), budget_(budget) {}

    double Tolerance() const { return tol_; }
    bool Capped() const { return capped_; }
    std::vector<double> &Points() { return loop_; }

    /* Appends the points of one edge, dropping its first point when it
     * repeats the loop's last, and turning it round when its end meets the
     * loop's last point and its start does not. */
    void AddEdge(std::vector<double> &edge)
    {
        if (edge.size() < 2) return;
        if (loop_.size() >= 2 && edge.size() >= 4 && !Meets(edge[0], edge[1]) &&
            Meets(edge[edge.size() - 2], edge[edge.size() - 1])) {
            for (size_t i = 0, j = edge.size() - 2; i < j; i += 2, j -= 2) {
                std::swap(edge[i], edge[j]);
                std::swap(edge[i + 1], edge[j + 1]);
            }
        }
        size_t first = loop_.size() >= 2 && Meets(edge[0], edge[1]) ? 2 : 0;
        for (size_t i = first; i + 1 < edge.size(); i += 2) Add(edge[i], edge[i + 1]);
    }

    void Add(double x, double y)
    {
        if (!std::isfinite(x) || !std::isfinite(y)) return;
        if (budget_ == 0) {
            capped_ = true;
            return;
        }
        --budget_;
        loop_.push_back(x);
        loop_.push_back(y);
    }

    /* Drops a last point that repeats the first. */
    void Close()
    {
        while (loop_.size() >= 4 && std::fabs(loop_[0] - loop_[loop_.size() - 2]) <= eps_ &&
               std::fabs(loop_[1] - loop_[loop_.size() - 1]) <= eps_)
            loop_.resize(loop_.size() - 2);
    }

private:
    bool Meets(double x, double y) const
    {
        return std::fabs(x - loop_[loop_.size() - 2]) <= eps_ &&
               std::fabs(y - loop_[loop_.size() - 1]) <= eps_;
    }

    double tol_, eps_;
    size_t &budget_;
    bool capped_ = false;
    std::vector<double> loop_;
};

/* Points of a circular arc from angle a0 (radians) over `sweep` (signed),
 * both ends included. */
void ArcPoints(double cx, double cy, double r, double a0, double sweep, double tol, std::vector<double> &out)
{
    const int n = ArcSegments(r, sweep, tol);
    for (int i = 0; i <= n; ++i) {
        const double a = a0 + sweep * i / n;
        out.push_back(cx + r * std::cos(a));
        out.push_back(cy + r * std::sin(a));
    }
}

void LineEdge(const dxf_hatch_path_seg_line &l, std::vector<double> &out)
{
    out.insert(out.end(), {l.start[0], l.start[1], l.end[0], l.end[1]});
}

void ArcEdge(const dxf_hatch_path_seg_carc &a, double tol, std::vector<double> &out)
{
    if (!std::isfinite(a.startangle) || !std::isfinite(a.endangle)) return;
    const double sweep = Sweep(a.startangle, a.endangle) * M_PI / 180.0;
    if (a.isccw)
        ArcPoints(a.center[0], a.center[1], a.radius, a.startangle * M_PI / 180.0, sweep, tol, out);
    else
        ArcPoints(a.center[0], a.center[1], a.radius, -a.startangle * M_PI / 180.0, -sweep, tol, out);
}

void EllipseEdge(const dxf_hatch_path_seg_earc &e, double tol, std::vector<double> &out)
{
    const double mx = e.axisendpt[0], my = e.axisendpt[1], k = e.minmajratio;
    const double major = std::hypot(mx, my);
    if (!(major > 0.0) || !std::isfinite(major) || !std::isfinite(k) || !std::isfinite(e.startangle) ||
        !std::isfinite(e.endangle))
        return;
    const double sign = e.isccw ? 1.0 : -1.0;
    const double t0 = sign * e.startangle * M_PI / 180.0;
    const double sweep = sign * Sweep(e.startangle, e.endangle) * M_PI / 180.0;
    const int n = ArcSegments(major, sweep, tol);
    for (int i = 0; i <= n; ++i) {
        const double t = t0 + sweep * i / n;
        const double c = std::cos(t), s = std::sin(t) * k;
        out.push_back(e.center[0] + mx * c - my * s);
        out.push_back(e.center[1] + my * c + mx * s);
    }
}

/* A B-spline edge sampled span by span (de Boor's algorithm on weighted
 * points); a spline whose numbers do not make a curve gives its control
 * polygon. */
void SplineEdge(const dxf_hatch_path_seg_spline &s, std::vector<double> &out)
{
    size_t nc = 0, nk = 0, nw = 0;
    const double *cp = s.numcntrl > 0 ? VyrDxfDeref<double>(s.cntrlpnt) : nullptr;
    nc = cp ? std::min(static_cast<size_t>(s.numcntrl), Held(s.cntrlpnt, 2 * sizeof(double))) : 0;
    const double *knots = Items<double>(s.knotval, s.numknot, nk);
    const double *weights = s.rational ? Items<double>(s.weight, s.numcntrl, nw) : nullptr;
    if (!cp || nc == 0) return;
    const int p = s.splinedegree;
    bool valid = p >= 1 && p <= kMaxSplineDegree && nc >= static_cast<size_t>(p) + 1 && knots &&
                 nk == nc + static_cast<size_t>(p) + 1 && (!s.rational || nw == nc) &&
                 Finite(knots, static_cast<int>(std::min<size_t>(nk, 1u << 30)));
    for (size_t i = 1; valid && i < nk; ++i) valid = knots[i] >= knots[i - 1];
    for (size_t i = 0; valid && weights && i < nc; ++i) valid = weights[i] > 0.0 && std::isfinite(weights[i]);
    if (!valid) {
        out.insert(out.end(), cp, cp + 2 * nc);
        return;
    }
    double d[kMaxSplineDegree + 1][3];
    auto eval = [&](size_t span, double u) {
        for (int j = 0; j <= p; ++j) {
            const size_t i = span - static_cast<size_t>(p) + static_cast<size_t>(j);
            const double w = weights ? weights[i] : 1.0;
            d[j][0] = cp[2 * i] * w;
            d[j][1] = cp[2 * i + 1] * w;
            d[j][2] = w;
        }
        for (int r = 1; r <= p; ++r)
            for (int j = p; j >= r; --j) {
                const size_t i = span - static_cast<size_t>(p) + static_cast<size_t>(j);
                const double den = knots[i + static_cast<size_t>(p) + 1 - static_cast<size_t>(r)] - knots[i];
                const double alpha = den > 0.0 ? (u - knots[i]) / den : 0.0;
                for (int c = 0; c < 3; ++c) d[j][c] = (1.0 - alpha) * d[j - 1][c] + alpha * d[j][c];
            }
        out.push_back(d[p][0] / d[p][2]);
        out.push_back(d[p][1] / d[p][2]);
    };
    size_t last = 0;
    for (size_t span = static_cast<size_t>(p); span < nc; ++span) {
        if (!(knots[span] < knots[span + 1])) continue;
        for (int j = 0; j < kSplineSamplesPerSpan; ++j)
            eval(span, knots[span] + (knots[span + 1] - knots[span]) * j / kSplineSamplesPerSpan);
        last = span;
    }
    if (last) eval(last, knots[last + 1]);
}

/* The rough box of a path's data, before flattening. */
void Extend(double box[4], double x, double y, double r = 0.0)
{
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(r)) return;
    box[0] = std::fmin(box[0], x - r);
    box[1] = std::fmin(box[1], y - r);
    box[2] = std::fmax(box[2], x + r);
    box[3] = std::fmax(box[3], y + r);
}

void ExtendBySegment(double box[4], const dxf_hatch_path_seg &seg)
{
    switch (seg.selector) {
    case DXF_HATCH_SEG_LINE:
        Extend(box, seg.line.start[0], seg.line.start[1]);
        Extend(box, seg.line.end[0], seg.line.end[1]);
        break;
    case DXF_HATCH_SEG_CARC:
        Extend(box, seg.carc.center[0], seg.carc.center[1], std::fabs(seg.carc.radius));
        break;
    case DXF_HATCH_SEG_EARC:
        Extend(box, seg.earc.center[0], seg.earc.center[1],
               std::hypot(seg.earc.axisendpt[0], seg.earc.axisendpt[1]));
        break;
    case DXF_HATCH_SEG_SPLINE: {
        const dxf_hatch_path_seg_spline &s = seg.spline;
        size_t n = 0;
        const double *cp = s.numcntrl > 0 ? VyrDxfDeref<double>(s.cntrlpnt) : nullptr;
        if (cp) n = std::min(static_cast<size_t>(s.numcntrl), Held(s.cntrlpnt, 2 * sizeof(double)));
        for (size_t i = 0; i < n; ++i) Extend(box, cp[2 * i], cp[2 * i + 1]);
        break;
    }
    case DXF_HATCH_SEG_PLINE: Extend(box, seg.pline.vertex[0], seg.pline.vertex[1]); break;
    default: break;
    }
}

/* The loop of a polyline path: straight segments and bulge arcs, closed. */
void PolylineLoop(const dxf_hatch_path_seg *segs, size_t n, LoopBuilder &loop)
{
    std::vector<double> arc;
    const bool closed = n > 0 && segs[0].pline.closed != 0;
    for (size_t i = 0; i < n && !loop.Capped(); ++i) {
        if (segs[i].selector != DXF_HATCH_SEG_PLINE) continue;
        const double *p = segs[i].pline.vertex;
        loop.Add(p[0], p[1]);
        const double b = segs[i].pline.bulge;
        if (i + 1 == n && !closed) break;
        const double *q = segs[(i + 1) % n].pline.vertex;
        if (!(std::fabs(b) > 1e-12) || !std::isfinite(b) || !Finite(p, 2) || !Finite(q, 2)) continue;
        const double dx = q[0] - p[0], dy = q[1] - p[1], chord = std::hypot(dx, dy);
        if (!(chord > 0.0)) continue;
        const double sweep = 4.0 * std::atan(b);
        const double h = (1.0 - b * b) / (4.0 * b); /* centre from the chord's middle, in chords */
        const double cx = (p[0] + q[0]) / 2 - dy * h, cy = (p[1] + q[1]) / 2 + dx * h;
        const double r = chord * (1.0 + b * b) / (4.0 * std::fabs(b));
        arc.clear();
        ArcPoints(cx, cy, r, std::atan2(p[1] - cy, p[0] - cx), sweep, loop.Tolerance(), arc);
        /* the arc's inner points; its ends are the vertices */
        for (size_t k = 2; k + 3 < arc.size(); k += 2) loop.Add(arc[k], arc[k + 1]);
    }
}

void EdgeLoop(const dxf_hatch_path_seg *segs, size_t n, LoopBuilder &loop)
{
    std::vector<double> edge;
    for (size_t i = 0; i < n && !loop.Capped(); ++i) {
        edge.clear();
        const dxf_hatch_path_seg &s = segs[i];
        switch (s.selector) {
        case DXF_HATCH_SEG_LINE: LineEdge(s.line, edge); break;
        case DXF_HATCH_SEG_CARC: ArcEdge(s.carc, loop.Tolerance(), edge); break;
        case DXF_HATCH_SEG_EARC: EllipseEdge(s.earc, loop.Tolerance(), edge); break;
        case DXF_HATCH_SEG_SPLINE: SplineEdge(s.spline, edge); break;
        default: break;
        }
        loop.AddEdge(edge);
    }
}

/* One edge of a loop projected on a family's normal (n) and direction (d),
 * lower end first. */
struct Crossing {
    double n0, d0, n1, d1;
};

} // namespace

VyrDxfHatch::VyrDxfHatch(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block)
    : VyrDxfEntity(entity, layer, block)
{
    kind = VyrDxfKindHatch;
    VyrDxfEntityLock lock(entity);
    const dxf_hatch *rec = lock.As<dxf_hatch>(kType);
    if (!rec) return;
    VyrDxfCopyField(handle, sizeof handle, rec->dxfsubhdr.handle, sizeof rec->dxfsubhdr.handle);
    solid = rec->solidfill != 0;
    elevation = std::isfinite(rec->pt0[2]) ? rec->pt0[2] : 0.0;
    std::memcpy(extrusion, rec->dxfhdr.extrusion, sizeof extrusion);
    boundary = new (std::nothrow) VyrDxfBoundary(layer, block);
    if (!boundary) return;
    /* The hatch draws its area; the boundary's own entities draw its edges. */
    boundary->SetVisibility(0);
    ReadPaths(rec);
    if (solid) return;
    size_t lines = 0;
    const dxf_hatch_hatchlines *defs = Items<dxf_hatch_hatchlines>(rec->hatchlines, rec->numdeflines, lines);
    for (size_t i = 0; i < lines; ++i) {
        const dxf_hatch_hatchlines &l = defs[i];
        PatternLine line;
        line.angle = l.lineangle;
        line.base[0] = l.through_pt[0];
        line.base[1] = l.through_pt[1];
        line.offset[0] = l.offset[0];
        line.offset[1] = l.offset[1];
        size_t dashes = 0;
        const double *lengths = Items<double>(l.dashlength, l.numdash, dashes);
        if (lengths) line.dashes.assign(lengths, lengths + dashes);
        pattern.push_back(std::move(line));
    }
}

VyrDxfHatch::~VyrDxfHatch() { delete boundary; }

void VyrDxfHatch::ReadPaths(const void *record)
{
    const dxf_hatch *rec = static_cast<const dxf_hatch *>(record);
    size_t paths = 0;
    const dxf_hatch_path *path = Items<dxf_hatch_path>(rec->path, rec->numpath, paths);
    if (!path) return;

    double box[4] = {HUGE_VAL, HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (size_t i = 0; i < paths; ++i) {
        size_t n = 0;
        const dxf_hatch_path_seg *segs = Items<dxf_hatch_path_seg>(path[i].seg, path[i].nseg, n);
        for (size_t k = 0; k < n; ++k) ExtendBySegment(box, segs[k]);
    }
    if (!(box[0] <= box[2]) || !(box[1] <= box[3])) return;
    const double size = std::max(box[2] - box[0], box[3] - box[1]);
    const double tol = size > 0.0 ? size * kFlatness : 1e-9;
    const double eps = size > 0.0 ? size * 1e-9 : 0.0;

    /* The loops the hatch style fills. */
    int wanted = 0;
    if (rec->style == kStyleOuter) wanted = kExternalPath | kOutermostPath;
    if (rec->style == kStyleIgnore) wanted = kExternalPath;
    bool anyWanted = false;
    for (size_t i = 0; wanted && i < paths; ++i) anyWanted = anyWanted || (path[i].pathflag & wanted) != 0;
    if (!anyWanted) wanted = 0;

    size_t budget = kMaxPoints;
    bool capped = false;
    for (size_t i = 0; i < paths && !capped; ++i) {
        if (wanted && !(path[i].pathflag & wanted)) continue;
        size_t n = 0;
        const dxf_hatch_path_seg *segs = Items<dxf_hatch_path_seg>(path[i].seg, path[i].nseg, n);
        if (!segs) continue;
        LoopBuilder loop(tol, eps, budget);
        if (path[i].pathflag & kPolylinePath)
            PolylineLoop(segs, n, loop);
        else
            EdgeLoop(segs, n, loop);
        loop.Close();
        capped = loop.Capped();
        boundary->AddLoop(loop.Points().data(), static_cast<int>(loop.Points().size() / 2));
    }
    if (capped) Warn(kWarnPoints, "its boundary has more points than are drawn");
}

void VyrDxfHatch::Warn(int what, const char *detail)
{
    if ((warned & what) || IsRebuilding()) return;
    warned |= what;
    mpm__IssueError(0, CGM_HATCH_PARTLY, MPM_WARNING, handle[0] ? handle : "?", detail);
}

void VyrDxfHatch::ClipPattern(std::vector<double> &segments)
{
    segments.clear();
    double min[2], max[2];
    if (!boundary || !boundary->GetBox(min, max)) return;
    const std::vector<double> &pts = boundary->GetPoints();
    const std::vector<int> &sizes = boundary->GetLoopSizes();
    const double size = std::max(max[0] - min[0], max[1] - min[1]);
    long linesLeft = kMaxSegments;
    std::vector<Crossing> edges;
    std::vector<const Crossing *> active;
    std::vector<double> cuts;

    for (const PatternLine &family : pattern) {
        const double a = family.angle * M_PI / 180.0;
        const double dx = std::cos(a), dy = std::sin(a), nx = -dy, ny = dx;
        double spacing = family.offset[0] * nx + family.offset[1] * ny;
        double shift = family.offset[0] * dx + family.offset[1] * dy;
        if (!std::isfinite(a) || !std::isfinite(spacing) || !std::isfinite(shift) ||
            !Finite(family.base, 2) || !(std::fabs(spacing) > size * 1e-9)) {
            Warn(kWarnSpacing, "a pattern line has no usable spacing");
            continue;
        }
        if (spacing < 0) {
            spacing = -spacing;
            shift = -shift;
        }
        /* the pattern: its period, and whether anything of it is drawn */
        double period = 0.0;
        bool draws = family.dashes.empty();
        for (double dash : family.dashes) {
            period += std::fabs(dash);
            draws = draws || dash >= 0.0;
        }
        const bool dashed = !family.dashes.empty() && std::isfinite(period) && period > size * 1e-9;
        if (!draws) continue;

        const double baseN = family.base[0] * nx + family.base[1] * ny;
        const double baseD = family.base[0] * dx + family.base[1] * dy;
        double lowN = HUGE_VAL, highN = -HUGE_VAL;
        edges.clear();
        size_t at = 0;
        for (int loop : sizes) {
            for (int i = 0; i < loop; ++i) {
                const double *p = &pts[2 * (at + static_cast<size_t>(i))];
                const double *q = &pts[2 * (at + static_cast<size_t>((i + 1) % loop))];
                const double pn = p[0] * nx + p[1] * ny, qn = q[0] * nx + q[1] * ny;
                lowN = std::fmin(lowN, pn);
                highN = std::fmax(highN, pn);
                if (pn == qn) continue;
                const double pd = p[0] * dx + p[1] * dy, qd = q[0] * dx + q[1] * dy;
                edges.push_back(pn < qn ? Crossing{pn, pd, qn, qd} : Crossing{qn, qd, pn, pd});
            }
            at += static_cast<size_t>(loop);
        }
        const double first = std::ceil((lowN - baseN) / spacing),
                     last = std::floor((highN - baseN) / spacing);
        if (!(last >= first)) continue;
        if (last - first + 1 > static_cast<double>(linesLeft)) {
            Warn(kWarnLines, "a pattern line would need more lines than are drawn");
            continue;
        }
        linesLeft -= static_cast<long>(last - first + 1);
        std::sort(edges.begin(), edges.end(),
                  [](const Crossing &l, const Crossing &r) { return l.n0 < r.n0; });
        active.clear();
        size_t next = 0;
        for (double k = first; k <= last; k += 1.0) {
            const double c = baseN + k * spacing;
            while (next < edges.size() && edges[next].n0 <= c) active.push_back(&edges[next++]);
            active.erase(
                std::remove_if(active.begin(), active.end(), [c](const Crossing *e) { return e->n1 <= c; }),
                active.end());
            cuts.clear();
            for (const Crossing *e : active)
                cuts.push_back(e->d0 + (c - e->n0) / (e->n1 - e->n0) * (e->d1 - e->d0));
            std::sort(cuts.begin(), cuts.end());
            /* the line's own start, where its dashes begin */
            const double origin = baseD + k * shift;
            const double ox = nx * c, oy = ny * c;
            auto emit = [&](double t0, double t1) {
                if (segments.size() / 4 >= static_cast<size_t>(kMaxSegments)) {
                    Warn(kWarnSegments, "its pattern has more dashes than are drawn");
                    return false;
                }
                segments.insert(segments.end(), {ox + dx * t0, oy + dy * t0, ox + dx * t1, oy + dy * t1});
                return true;
            };
            bool room = true;
            for (size_t i = 0; room && i + 1 < cuts.size(); i += 2) {
                const double t0 = cuts[i], t1 = cuts[i + 1];
                if (!(t1 > t0)) continue;
                if (!dashed) {
                    room = emit(t0, t1);
                    continue;
                }
                /* where t0 falls in the pattern */
                double phase = std::fmod(t0 - origin, period);
                if (phase < 0) phase += period;
                size_t item = 0;
                while (phase >= std::fabs(family.dashes[item]) && item + 1 < family.dashes.size()) {
                    phase -= std::fabs(family.dashes[item]);
                    ++item;
                }
                double t = t0 - phase; /* start of the current item */
                long steps = 4L * kMaxSegments;
                while (room && t < t1 && steps-- > 0) {
                    const double dash = family.dashes[item];
                    const double end = t + std::fabs(dash);
                    if (dash > 0.0 && end > t0)
                        room = emit(std::max(t, t0), std::min(end, t1));
                    else if (dash == 0.0 && t >= t0)
                        room = emit(t, t);
                    t = end;
                    item = (item + 1) % family.dashes.size();
                }
            }
            if (!room) return;
        }
    }
}

int VyrDxfHatch::Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation)
{
    if (!generator || !transformation || !boundary || IsLeftOut()) return 1;
    const int loops = boundary->GetLoopCount();
    if (loops == 0) return 1;

    /* The hatch's plane to the picture: one affine map. */
    const VyrDxfOcs ocs(extrusion);
    const VyrMathPoint2D o = *transformation * ocs.ToPlan(0.0, 0.0, elevation);
    const VyrMathPoint2D ux = *transformation * ocs.ToPlan(1.0, 0.0, elevation);
    const VyrMathPoint2D uy = *transformation * ocs.ToPlan(0.0, 1.0, elevation);
    const double m[6] = {o.GetX(),
                         o.GetY(),
                         ux.GetX() - o.GetX(),
                         ux.GetY() - o.GetY(),
                         uy.GetX() - o.GetX(),
                         uy.GetY() - o.GetY()};
    auto map = [&m](const double *in, float *out, size_t points) {
        for (size_t i = 0; i < points; ++i) {
            const double x = in[2 * i], y = in[2 * i + 1];
            out[2 * i] = static_cast<float>(m[0] + x * m[2] + y * m[4]);
            out[2 * i + 1] = static_cast<float>(m[1] + x * m[3] + y * m[5]);
        }
    };

    const std::vector<double> &pts = boundary->GetPoints();
    const std::vector<int> &sizes = boundary->GetLoopSizes();
    /* Pattern lines lie inside the loops, so a generator that only
     * measures learns as much from the loops. */
    const bool measuring = dynamic_cast<VyrDxfExtents *>(generator) != nullptr;
    if (solid && GetFillMode() == 0 && !measuring) {
        /* fill mode off: the outline of each loop */
        VyrDxfEntity::Write(generator, transformation);
        std::vector<float> xy;
        size_t at = 0;
        for (int n : sizes) {
            xy.resize(2 * (static_cast<size_t>(n) + 1));
            map(&pts[2 * at], xy.data(), static_cast<size_t>(n));
            xy[2 * static_cast<size_t>(n)] = xy[0];
            xy[2 * static_cast<size_t>(n) + 1] = xy[1];
            generator->DrawPolyline(n + 1, xy.data());
            at += static_cast<size_t>(n);
        }
        return 0;
    }
    if (solid || measuring) {
        std::unique_ptr<float[]> xy(new (std::nothrow) float[pts.size()]);
        if (!xy) return 1;
        map(pts.data(), xy.get(), pts.size() / 2);
        WriteFillAttribute(generator);
        generator->DrawPolygonSet(loops, sizes.data(), xy.get());
        return 0;
    }

    std::vector<double> segments;
    ClipPattern(segments);
    if (segments.empty()) return 1;
    std::unique_ptr<float[]> xy(new (std::nothrow) float[segments.size()]);
    if (!xy) return 1;
    map(segments.data(), xy.get(), segments.size() / 2);
    VyrDxfEntity::Write(generator, transformation);
    generator->DrawSegments(static_cast<int>(segments.size() / 4), xy.get());
    return 0;
}
