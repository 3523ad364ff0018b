/* Classic polylines: the chain of their vertex entities, and the edges of
 * polygon and polyface meshes. */
#include "Dxf2Cgm/VyrDxfPolyline.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "Dxf2Cgm/VyrDxfEntityLock.h"
#include "platform/math/VyrMathTransformation2D.h"
#include "platform/print/VyrPrintGenerator.h"

namespace {

const int kPolygonMesh = 330;
const int kPolyfaceMesh = 331;
const int kMeshVertex = 64;  /* a polyface's location vertex (with 128) */
const int kFaceRecord = 128; /* a polyface's face record (without 64) */

/* The vertex pointers of the polyline being written, and whose they are. */
std::vector<db_ptr> vertexList;
unsigned long vertexListOwner = 0;

struct MeshVertex {
    double x, y;
    int32_t flags;
    int32_t faces[4];
};
std::vector<MeshVertex> meshVertices;
std::vector<double> meshPoints;
std::vector<int> edgeOrder;
std::vector<double> edgePoints;

/* Whole elements of `size` bytes in the block behind a reference. */
size_t Held(mda_ref ref, size_t size)
{
    if (ref == MDA_NULL_REF) return 0;
    int64_t bytes = 0;
    if (mda_GetArraySize(0, mda_Deref(ref), &bytes) != 0 || bytes < 0) return 0;
    return static_cast<size_t>(bytes) / size;
}

/* The polyline type-forms share one record: 2D (309), 3D (325), curve-fit,
 * spline-fit, B-spline and Bezier curves (326 to 329), polygon and
 * polyface meshes (330, 331), B-spline and Bezier surfaces (332, 333). */
bool IsPolylineType(int type) { return type == 309 || (type >= 325 && type <= 333); }

/* Those whose vertices lie in the polyline's own plane. */
bool IsPlanar(int type) { return type == 309 || type == 326 || type == 327; }

bool ReadVertex(db_ptr vertex, VyrDxfPolylineEntity::segmentinfo &info)
{
    VyrDxfEntityLock lock(vertex);
    const dxf_vertex *v = lock.As<dxf_vertex>(600);
    if (!v) return false;
    info.startX = v->xyzloc[0];
    info.startY = v->xyzloc[1];
    info.bulge = v->bulge;
    info.startWidth = v->vdswidth;
    info.endWidth = v->vdewidth;
    info.flags = v->vflag;
    return true;
}

/* Reads the first `count` vertices of the held list (spline frame control
 * points left out) into meshVertices; false when memory ran out. */
bool ReadMeshVertices(int count)
{
    meshVertices.clear();
    const size_t n = std::min(static_cast<size_t>(std::max(count, 0)), vertexList.size());
    for (size_t i = 0; i < n; ++i) {
        VyrDxfEntityLock lock(vertexList[i]);
        const dxf_vertex *v = lock.As<dxf_vertex>(600);
        if (!v || (v->vflag & 16)) continue;
        const MeshVertex m = {v->xyzloc[0],
                              v->xyzloc[1],
                              v->vflag,
                              {v->face_mesh[0], v->face_mesh[1], v->face_mesh[2], v->face_mesh[3]}};
        try {
            meshVertices.push_back(m);
        } catch (const std::bad_alloc &) {
            return false;
        }
    }
    return true;
}

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

} // namespace

VyrDxfPolyline::VyrDxfPolyline(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block)
    : VyrDxfPolylineEntity(entity, layer, block)
{
    kind = VyrDxfKindPolyline;
    VyrDxfEntityLock lock(entity);
    const int t = lock.Type();
    if (!IsPolylineType(t)) return;
    const dxf_2dpolyline *rec = lock.As<dxf_2dpolyline>(t);
    type = t;
    count = std::max(0, rec->num_vtx);
    closed = rec->closed_flag1 ? 1 : 0;
    closedN = rec->closed_flag2 ? 1 : 0;
    meshM = rec->mmcnt;
    meshN = rec->mncnt;
    startWidth = rec->dswidth;
    endWidth = rec->dewidth;
    mirror = IsPlanar(t) && rec->dxfhdr.extrusion[2] < 0.0 ? 1 : 0;
}

int VyrDxfPolyline::GetPolylineInfo(int &n, int &isClosed, double &start, double &end)
{
    n = count;
    isClosed = closed;
    start = startWidth;
    end = endWidth;
    return 0;
}

void VyrDxfPolyline::HoldVertexList()
{
    vertexList.clear();
    vertexListOwner = 0;
    VyrDxfEntityLock lock(entity);
    const dxf_2dpolyline *rec = IsPolylineType(lock.Type()) ? lock.As<dxf_2dpolyline>(lock.Type()) : nullptr;
    if (!rec || rec->num_vtx <= 0) return;
    const size_t n = std::min(static_cast<size_t>(rec->num_vtx), Held(rec->vertex, sizeof(db_ptr)));
    const db_ptr *vertices = VyrDxfDeref<db_ptr>(rec->vertex);
    try {
        vertexList.assign(vertices, vertices + n);
    } catch (const std::bad_alloc &) {
        vertexList.clear();
        return;
    }
    vertexListOwner = entity;
}

void VyrDxfPolyline::ReleaseVertexList()
{
    vertexListOwner = 0;
    if (vertexList.capacity() > 65536) std::vector<db_ptr>().swap(vertexList);
}

int VyrDxfPolyline::GetPolylineSegmentInfo(int index, segmentinfo &info)
{
    if (index < 0) return 0;
    db_ptr vertex = MDA_NULL_PTR;
    if (entity != 0 && vertexListOwner == entity) {
        if (static_cast<size_t>(index) >= vertexList.size()) return 0;
        vertex = vertexList[static_cast<size_t>(index)];
    } else {
        VyrDxfEntityLock lock(entity);
        const dxf_2dpolyline *rec =
            IsPolylineType(lock.Type()) ? lock.As<dxf_2dpolyline>(lock.Type()) : nullptr;
        if (!rec || index >= rec->num_vtx || static_cast<size_t>(index) >= Held(rec->vertex, sizeof(db_ptr)))
            return 0;
        vertex = VyrDxfDeref<db_ptr>(rec->vertex)[index];
    }
    return ReadVertex(vertex, info) ? 1 : 0;
}

int VyrDxfPolyline::Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation)
{
    if (!generator || !transformation || IsLeftOut()) return 1;
    HoldVertexList();
    int result;
    if (type == kPolygonMesh)
        result = WritePolygonMesh(generator, transformation);
    else if (type == kPolyfaceMesh)
        result = WritePolyfaceMesh(generator, transformation);
    else
        result = VyrDxfPolylineEntity::Write(generator, transformation);
    ReleaseVertexList();
    return result;
}

int VyrDxfPolyline::DrawEdges(const double *xy, const int *order, int n, VyrPrintGenerator *generator,
                              VyrMathTransformation2D *transformation, bool &started)
{
    if (n < 2) return 1;
    double *points = Grow(edgePoints, 2 * static_cast<size_t>(n));
    float *out = FloatBuffer(static_cast<size_t>(n));
    if (!points || !out) return 1;
    for (int i = 0; i < n; ++i) {
        points[2 * i] = xy[2 * order[i]];
        points[2 * i + 1] = xy[2 * order[i] + 1];
    }
    if (!MapPoints(points, n, transformation, out)) return 1;
    if (!started) {
        VyrDxfEntity::Write(generator, transformation);
        started = true;
    }
    generator->DrawPolyline(n, out);
    return 0;
}

int VyrDxfPolyline::WritePolygonMesh(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation)
{
    if (meshM < 1 || meshN < 1 || !ReadMeshVertices(count)) return 1;
    const size_t n = static_cast<size_t>(meshN);
    const size_t rows = std::min(static_cast<size_t>(meshM), meshVertices.size() / n);
    if (rows == 0) return 1;
    double *xy = Grow(meshPoints, 2 * rows * n);
    int *order = Grow(edgeOrder, std::max(rows, n) + 1);
    if (!xy || !order) return 1;
    for (size_t i = 0; i < rows * n; ++i) {
        xy[2 * i] = meshVertices[i].x;
        xy[2 * i + 1] = meshVertices[i].y;
    }
    bool started = false;
    int drawn = 0;
    for (size_t i = 0; i < rows && n >= 2; ++i) {
        size_t k = 0;
        for (size_t j = 0; j < n; ++j) order[k++] = static_cast<int>(i * n + j);
        if (closedN && n > 2) order[k++] = static_cast<int>(i * n);
        if (DrawEdges(xy, order, static_cast<int>(k), generator, transformation, started) == 0) ++drawn;
    }
    for (size_t j = 0; j < n && rows >= 2; ++j) {
        size_t k = 0;
        for (size_t i = 0; i < rows; ++i) order[k++] = static_cast<int>(i * n + j);
        if (closed && rows > 2) order[k++] = static_cast<int>(j);
        if (DrawEdges(xy, order, static_cast<int>(k), generator, transformation, started) == 0) ++drawn;
    }
    return drawn ? 0 : 1;
}

int VyrDxfPolyline::WritePolyfaceMesh(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation)
{
    if (!ReadMeshVertices(count)) return 1;
    /* The location vertices, numbered from 1. */
    size_t locations = 0;
    for (const MeshVertex &v : meshVertices)
        if (v.flags & kMeshVertex) ++locations;
    double *xy = Grow(meshPoints, 2 * locations + 2);
    int *order = Grow(edgeOrder, 5);
    if (!xy || !order) return 1;
    size_t k = 0;
    for (const MeshVertex &v : meshVertices)
        if (v.flags & kMeshVertex) {
            xy[2 * k] = v.x;
            xy[2 * k + 1] = v.y;
            ++k;
        }
    auto valid = [locations](int number) {
        const long n = number < 0 ? -static_cast<long>(number) : number;
        return n >= 1 && static_cast<size_t>(n) <= locations;
    };
    auto point = [](int number) { return (number < 0 ? -number : number) - 1; };

    bool started = false;
    int drawn = 0;
    for (const MeshVertex &face : meshVertices) {
        if (!(face.flags & kFaceRecord) || (face.flags & kMeshVertex)) continue;
        int corners = 0;
        while (corners < 4 && face.faces[corners] != 0) ++corners;
        if (corners < 2) continue;
        /* Edge e runs from corner e to the next; it is visible when its
         * starting number is positive and both ends name vertices. */
        bool visible[4];
        int hidden = -1;
        for (int e = 0; e < corners; ++e) {
            const int a = face.faces[e], b = face.faces[(e + 1) % corners];
            visible[e] = a > 0 && valid(a) && valid(b);
            if (!visible[e] && hidden < 0) hidden = e;
        }
        if (corners == 2) {
            /* Two corners make one edge, not two over each other. */
            if (!visible[0] && !visible[1]) continue;
            order[0] = point(face.faces[0]);
            order[1] = point(face.faces[1]);
            if (DrawEdges(xy, order, 2, generator, transformation, started) == 0) ++drawn;
            continue;
        }
        if (hidden < 0) {
            for (int e = 0; e < corners; ++e) order[e] = point(face.faces[e]);
            order[corners] = order[0];
            if (DrawEdges(xy, order, corners + 1, generator, transformation, started) == 0) ++drawn;
            continue;
        }
        /* The runs of visible edges, starting after a hidden one. */
        int run = 0;
        for (int step = 1; step <= corners; ++step) {
            const int e = (hidden + step) % corners;
            if (visible[e]) {
                if (run == 0) order[run++] = point(face.faces[e]);
                order[run++] = point(face.faces[(e + 1) % corners]);
                continue;
            }
            if (run >= 2 && DrawEdges(xy, order, run, generator, transformation, started) == 0) ++drawn;
            run = 0;
        }
        if (run >= 2 && DrawEdges(xy, order, run, generator, transformation, started) == 0) ++drawn;
    }
    return drawn ? 0 : 1;
}
