/* A classic polyline with its vertex entities: the 2D and 3D polylines,
 * drawn as chains, and the polygon and polyface meshes, drawn as their
 * edges. The vertices are read from the model whenever the polyline is
 * written (a polyline inside a block is written once for every insert).
 *
 * Spline frame control points (vertex flag 16, also with 32) are no part
 * of the chain. A 2D polyline lies in its own plane and is mirrored in x
 * when its extrusion points down; 3D polylines and meshes hold world
 * coordinates and are drawn as they are.
 *
 * Meshes: a polygon mesh of M x N vertices (row by row) draws each row and
 * each column as a polyline, closed when the mesh is closed in that
 * direction; a count that does not fill the grid draws the complete rows.
 * A polyface mesh draws the edges of each face record (up to four vertex
 * numbers, 1-based, counted over its location vertices); an edge whose
 * starting vertex number is negative is invisible and left out, and an
 * edge touching a number that names no vertex is left out too. The visible
 * edges of a face run as polylines. */
#ifndef VYR_DXF2CGM_VYRDXFPOLYLINE_H
#define VYR_DXF2CGM_VYRDXFPOLYLINE_H

#include <stdint.h>

#include "Dxf2Cgm/VyrDxfPolylineEntity.h"

class VyrDxfPolyline : public VyrDxfPolylineEntity {
public:
    VyrDxfPolyline() { kind = VyrDxfKindPolyline; }
    VyrDxfPolyline(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block);
    ~VyrDxfPolyline() override = default;

    /* The chain, or the edges of a mesh. 1 without generator or
     * transformation. */
    int Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation) override;
    int GetPolylineSegmentInfo(int index, segmentinfo &info) override;
    int GetPolylineInfo(int &count, int &closed, double &startWidth, double &endWidth) override;

    /* The type number of the polyline entity (309 2D ... 331 polyface). */
    int GetPolylineType() const { return type; }

protected:
    bool KeepsVertex(const segmentinfo &info) const override { return (info.flags & 16) == 0; }

    /* While a polyline is written, its vertex pointers are held in a list
     * shared by all polylines, so that each vertex costs one lock. */
    void HoldVertexList();
    void ReleaseVertexList();
    int WritePolygonMesh(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation);
    int WritePolyfaceMesh(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation);
    /* One polyline of `count` points taken from `xy` by `order` (indexes of
     * points); the attribute step before the first one drawn. */
    int DrawEdges(const double *xy, const int *order, int count, VyrPrintGenerator *generator,
                  VyrMathTransformation2D *transformation, bool &started);

    int type = 0;
    int count = 0;
    int closed = 0;  /* closed, or closed in M for a mesh */
    int closedN = 0; /* closed in N (meshes) */
    int meshM = 0;
    int meshN = 0;
    double startWidth = 0.0;
    double endWidth = 0.0;
};

#endif
