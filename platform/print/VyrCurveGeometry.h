/* Curve geometry of the CGM generator: smooth curves through points and
 * rational B-splines turned into chains of cubic Bezier segments, and the
 * flattening of arcs, ellipses and Bezier chains into polylines and of
 * polylines into dashes, for profiles whose viewers draw only lines.
 *
 * A Bezier chain is stored as P0, then (c1, c2, P1) for every segment, so a
 * chain of k segments has 3k + 1 points; consecutive segments share an end
 * point. */
#ifndef VYR_PLATFORM_PRINT_VYRCURVEGEOMETRY_H
#define VYR_PLATFORM_PRINT_VYRCURVEGEOMETRY_H

#include <cstddef>
#include <vector>

struct VyrPt {
    double x, y;
};

typedef std::vector<VyrPt> VyrPath;

/* A rational B-spline, checked and kept in doubles. */
class VyrNurbsCurve {
public:
    /* Returns false (and the curve stays unusable) unless: order >= 2,
     * controlCount >= order, knotCount >= order + controlCount (extra knots
     * are ignored), knots non-decreasing with a non-empty domain, weights
     * (all 1 when null) positive, and every value finite. */
    bool Set(int order, const float *controlXY, int controlCount, const float *knots, int knotCount,
             const float *weights);

    /* The parameter domain [knot[order-1], knot[controlCount]]. */
    double DomainStart() const { return knots_[static_cast<std::size_t>(degree_)]; }
    double DomainEnd() const { return knots_[static_cast<std::size_t>(count_)]; }
    /* Point and first derivative at u within knot span `span`
     * (knot[span] <= u <= knot[span+1]). */
    void Evaluate(int span, double u, VyrPt &point, VyrPt &derivative) const;
    /* Point at u, u clamped to the domain. */
    VyrPt PointAt(double u) const;
    /* Diagonal of the control points' bounding box. */
    double ControlSize() const;

    /* Cubic Bezier chains that follow the curve: exact (up to rounding) for
     * polynomial pieces of degree 3 or less, within `tolerance` elsewhere.
     * A curve that breaks (interior knots of full multiplicity) gives more
     * than one chain. When `ranges` is given it receives, for every segment
     * in order, the parameter interval it covers (start and end). */
    void ToBezier(double tolerance, std::vector<VyrPath> &chains,
                  std::vector<double> *ranges = nullptr) const;

private:
    int degree_ = 0;
    int count_ = 0;
    bool polynomialCubic_ = false; /* degree <= 3 and equal weights: exact */
    std::vector<double> knots_;
    std::vector<double> cx_, cy_, w_;
};

/* A smooth curve through the points (duplicates in a row are dropped):
 * cubic segments with tangents estimated from the neighbouring chords (a
 * closed curve, first point equal to the last, wraps around). Fewer than two
 * distinct points give an empty chain; two give a straight segment. */
void VyrCurveThroughPoints(const float *xy, int count, VyrPath &chain);

/* Evaluates segment `segment` of a chain at t in [0, 1]. */
VyrPt VyrBezierPoint(const VyrPath &chain, int segment, double t);

/* Appends the polyline of a Bezier chain (within `tolerance` of it) to out;
 * out's last point is taken to be the chain's first when out is not empty. */
void VyrFlattenBezier(const VyrPath &chain, double tolerance, VyrPath &out);

/* Polylines of a circular arc (anticlockwise from start to end, radians)
 * and of an elliptical arc given by centre, semi-axes, rotation of the
 * major axis and start and end parameters. The number of chords keeps the
 * deviation under 1/4000 of the radius. */
void VyrFlattenArc(double cx, double cy, double r, double start, double end, VyrPath &out);
void VyrFlattenEllipse(double cx, double cy, double a, double b, double rotation, double start, double end,
                       VyrPath &out);

/* The Bezier chain of an elliptical arc (centre, semi-axes, rotation of the
 * major axis, start and end parameters, anticlockwise), one cubic per
 * quarter turn or less: the image of the usual cubic quarter circle, within
 * 3e-4 of the larger semi-axis. */
void VyrEllipseBezier(double cx, double cy, double a, double b, double rotation, double start, double end,
                      VyrPath &chain);

/* Cuts a polyline into dashes: `pattern` holds `count` lengths, dashes
 * positive and gaps negative, repeated from the first point on. A pattern
 * without length, or one that would give more than `maxDashes` dashes,
 * leaves the path whole. */
void VyrDashPath(const VyrPath &path, const double *pattern, int count, std::size_t maxDashes,
                 std::vector<VyrPath> &dashes);

/* Where a dash pattern stands: the element being drawn and what is left of
 * it; a negative rest starts the pattern from its first element. */
struct VyrDashPhase {
    int index = 0;
    double left = -1.0;
};

/* VyrDashPath going on from `phase` and leaving in it where the pattern
 * stands at the path's end, so the next path can go on with it. Zero
 * lengths of the pattern are dots, drawn as dashes of length `dot` (none
 * when it is 0). A path left whole resets the phase. */
void VyrDashPathOn(const VyrPath &path, const double *pattern, int count, double dot, std::size_t maxDashes,
                   VyrDashPhase &phase, std::vector<VyrPath> &dashes);

#endif
