/* The common base of the polyline elements: a chain of vertices whose
 * segments are straight or circular (given by a bulge), with a start and an
 * end width per segment. A derived class says how its vertices are read
 * (GetPolylineInfo, GetPolylineSegmentInfo); the base draws the chain:
 *   - a chain without bulges and widths as one generator polyline;
 *   - any other chain segment by segment: a thin segment as a line or an
 *     arc, a wide one as the outline of its band (two sides, two ends, cut
 *     where they meet the neighbouring bands), or as a filled area when the
 *     conversion fills wide segments.
 * Coordinates are those of the entity's own plane; a 2D polyline whose
 * extrusion points down (z < 0) is mirrored in x on every path.
 *
 * Nothing is deleted or changed in the model while a chain is written: a
 * segment that cannot be computed (a zero chord, a zero sweep, a zero-length
 * wide segment) is left out and the chain goes on. */
#ifndef VYR_DXF2CGM_VYRDXFPOLYLINEENTITY_H
#define VYR_DXF2CGM_VYRDXFPOLYLINEENTITY_H

#include <stdint.h>

#include "Dxf2Cgm/VyrDxfEntity.h"

class VyrDxfPolylineEntity : public VyrDxfEntity {
public:
    /* One segment of a chain: the vertex it starts at, the point it ends at
     * (the next vertex), and what writing it computes. Copied whole. */
    struct segmentinfo {
        double startX, startY;
        double endX, endY;
        double bulge;
        double startWidth, endWidth;
        int32_t flags;  /* the vertex flags */
        int32_t noPrev; /* 1: no segment before this one (_PrevSeg is empty) */
        int32_t noNext; /* 1: no segment after this one (_NextSeg is empty) */
        int32_t isArc;  /* 1: a bulged segment whose arc was computed */
        /* The band's side points at both ends: left and right of the
         * direction of travel, each as x, y. */
        double startLeft[2], startRight[2];
        double endLeft[2], endRight[2];
        double centerX, centerY, radius; /* the arc of a bulged segment */
        /* 1 when that end was cut where the band meets its neighbour's. */
        int32_t startJoined, endJoined;
    };

    VyrDxfPolylineEntity() = default;
    VyrDxfPolylineEntity(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block)
        : VyrDxfEntity(entity, layer, block)
    {}
    ~VyrDxfPolylineEntity() override = default;

    /* The chain: one polyline when it has neither bulges nor widths, else
     * segment by segment. 1 without generator; 0 when there are fewer than
     * two vertices (nothing is drawn). */
    int Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation) override;

    /* Start point, bulge, widths and vertex flags of vertex `index`; 1 when
     * read, 0 when the entity or the vertex cannot be read. */
    virtual int GetPolylineSegmentInfo(int index, segmentinfo &info) = 0;
    /* Vertex count, closed (1/0) and the default start and end widths. The
     * base has no vertices. */
    virtual int GetPolylineInfo(int &count, int &closed, double &startWidth, double &endWidth);
    /* Collects the chain's points into `points` (x, y pairs; room for
     * `count` points on entry) and sets `count` to the number kept: a point
     * is kept when it lies more than 0.001 from the last one kept. 1 when
     * the chain is plain, 0 at the first vertex with a bulge or a width. */
    virtual int ScanPolyline(int &count, double *points);
    /* Writes the chain segment by segment: 0 when anything was drawn, 1
     * when no segment could be. */
    virtual int WritePolySegment(VyrPrintGenerator *generator, int &count, int &closed, double &startWidth,
                                 double &endWidth, VyrMathTransformation2D *transformation);
    /* Writes _CurrSeg, joined to _PrevSeg and _NextSeg: 0 when drawn, 1
     * when it could not be computed. */
    virtual int WriteSegment(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation);

    /* The arc of a bulge from p0 to p1: centre, radius and included angle
     * (4 atan(bulge), positive anticlockwise). 1 when there is no arc (equal
     * points, a zero bulge, or numbers that give none). */
    static int ComputeArcInfo(const double *p0, const double *p1, double bulge, double *center,
                              double &radius, double &angle);
    /* The angles of the arc from p0 (its start, the direction of p0 seen
     * from the centre) sweeping `angle`: end = start + angle, so that a
     * nearly full arc keeps its sweep. 1 for equal points, a radius <= 0 or
     * a zero angle. */
    static int ComputeArc(const double *p0, const double *p1, const double *center, double radius,
                          double angle, double &start, double &end);
    /* Side points of a straight band from p0 to p1 with widths w0 and w1:
     * half a width left and right of the line. 1 for a zero chord or when
     * both widths are 0 or less. */
    static int ComputeLineExtrPoints(const double *p0, const double *p1, double w0, double w1, double *left0,
                                     double *right0, double *left1, double *right1);
    /* Side points of an arc band (centre, radius, from p0 sweeping angle to
     * p1): half a width inside and outside the arc, on the radii through
     * p0 and p1; a side that would pass the centre stops at it. 1 for a
     * radius <= 0, a zero angle, or both widths 0 or less. */
    static int ComputeArcExtrPoints(const double *p0, const double *p1, const double *center, double radius,
                                    double angle, double w0, double w1, double *left0, double *right0,
                                    double *left1, double *right1);
    static void InitSegmentInfo(segmentinfo &info);
    static void CopySegmentInfo(segmentinfo &to, const segmentinfo &from);

    int GetMirror() const { return mirror; }

    /* The segments of the chain being written (valid during one
     * WritePolySegment). */
    static segmentinfo _PrevSeg;
    static segmentinfo _CurrSeg;
    static segmentinfo _NextSeg;

protected:
    /* One edge of a band's outline, in the entity's plane. */
    struct OutlineEdge {
        int isArc;
        double x1, y1, x2, y2;                       /* a line */
        double centerX, centerY, radius, start, end; /* an arc, anticlockwise */
    };

    /* Whether vertex `info` belongs to the chain; the classic polyline
     * leaves out its spline frame control points. */
    virtual bool KeepsVertex(const segmentinfo &info) const
    {
        (void)info;
        return true;
    }
    /* Reads the vertices 0 to count-1 into the chain buffer (through
     * GetPolylineSegmentInfo; derived classes read faster). */
    virtual void ReadChain(int count, double startWidth, double endWidth);
    /* Appends one vertex to the chain buffer: vertices that are not kept,
     * or whose point is not finite, are left out; a bulge that is not finite
     * counts as 0, a width that is negative or not finite as the default; a
     * vertex on the point of the one before takes its place. */
    void AddChainVertex(const segmentinfo &info, double startWidth, double endWidth);
    /* The chain's points for ScanPolyline: kept as it says; with `plainOnly`
     * the collection fails (0) at the first vertex with a bulge or a width. */
    int CollectPoints(int &count, double *points, bool plainOnly);
    /* The attribute step, then the `count` points (x, y pairs with room for
     * one more) as one polyline or curve, closed by the first point again
     * when `closed`. 1 when fewer than two points are left. */
    int WritePoints(double *points, int count, int closed, bool curve, VyrPrintGenerator *generator,
                    VyrMathTransformation2D *transformation);

    /* A straight piece of a segment or of an outline, drawn as a line
     * element with the polyline's header, block, layer and mirror flag
     * draws it: the attribute step (once per chain, since every piece has
     * the polyline's properties), then the line. 1 when it lands off the
     * picture's numbers. */
    int DrawSegmentLine(const double *a, const double *b, VyrPrintGenerator *generator,
                        VyrMathTransformation2D *transformation);
    /* Writes the outline edges as lines and arcs with the polyline's
     * header, block, layer and mirror flag, then sets the fill colour to the
     * polyline's colour. 1 when an argument is missing. */
    int CreatePattern(const OutlineEdge *edges, int count, VyrPrintGenerator *generator,
                      VyrMathTransformation2D *transformation);
    /* The polygon of `count` points (x, y pairs in the entity's plane) as a
     * filled area in the polyline's colour; 1 when it lands off the
     * picture's numbers. */
    int FillArea(const double *xy, int count, VyrPrintGenerator *generator,
                 VyrMathTransformation2D *transformation);
    /* Whether the conversion draws wide segments as filled areas (the
     * filledAreas option, unless the drawing's FILLMODE is 0). */
    bool FillsWideSegments() const;

    /* Maps x, y pairs in the entity's plane (mirrored first) into the float
     * buffer of the picture; false when a number is not finite. */
    bool MapPoints(const double *xy, int count, VyrMathTransformation2D *transformation, float *out) const;
    /* Whether x, y pairs in the entity's plane land on finite picture
     * coordinates (a point far out of range does not). */
    bool Fits(const double *xy, int count, VyrMathTransformation2D *transformation) const;

    /* A point buffer of at least `points` x, y pairs, shared by all
     * polylines; null when it cannot grow. */
    static double *PointBuffer(size_t points);
    static float *FloatBuffer(size_t points);

    int mirror = 0;
    /* The attribute step of the chain being written has run. */
    bool attributesWritten = false;
};

#endif
