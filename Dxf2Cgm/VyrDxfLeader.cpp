/* Leaders. The vertices are read from the model at Write time (the model
 * keeps them; a leader is small and seldom written twice); the arrow size
 * is settled at construction from the dimension style or the header. */
#include "Dxf2Cgm/VyrDxfLeader.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "Dxf2Cgm/VyrDxfDimension.h"
#include "Dxf2Cgm/VyrDxfEntityLock.h"
#include "platform/math/VyrMathTransformation2D.h"
#include "platform/print/VyrPrintGenerator.h"

namespace {

const int kType = 314;
/* half width of the arrow per unit of its length */
const double kHalfWidth = 1.0 / 6.0;
/* path type 1: a curve through the vertices */
const int kSplinePath = 1;

} // namespace

VyrDxfLeader::VyrDxfLeader(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block)
    : VyrDxfEntity(entity, layer, block)
{
    kind = VyrDxfKindLeader;
    db_ptr style = MDA_NULL_PTR;
    {
        VyrDxfEntityLock lock(entity);
        const dxf_leader *rec = lock.As<dxf_leader>(kType);
        if (!rec) return;
        arrowhead = rec->arrowhead != 0;
        spline = rec->pathtype == kSplinePath;
        style = rec->dimstyleobjhandle;
    }
    if (arrowhead)
        arrowSize = VyrDxfDimension::ReadStyle(entity, static_cast<unsigned long>(style)).arrowSize;
}

void VyrDxfLeader::GetVertices(double *&points, int &count) const
{
    points = nullptr;
    count = 0;
    VyrDxfEntityLock lock(entity);
    const dxf_leader *rec = lock.As<dxf_leader>(kType);
    if (!rec || rec->numvtx <= 0 || rec->vertex == MDA_NULL_REF) return;
    int64_t bytes = 0;
    if (mda_GetArraySize(0, mda_Deref(rec->vertex), &bytes) != 0 || bytes < 0) return;
    const size_t perVertex = 3 * sizeof(double);
    size_t n = static_cast<size_t>(rec->numvtx);
    const size_t held = static_cast<size_t>(bytes) / perVertex;
    if (n > held) n = held;
    if (n > static_cast<size_t>(kMaxVertices)) n = static_cast<size_t>(kMaxVertices);
    if (n == 0 || n > SIZE_MAX / (2 * sizeof(double))) return;
    points = new (std::nothrow) double[2 * n];
    if (!points) return;
    const double *in = VyrDxfDeref<double>(rec->vertex);
    for (size_t i = 0; i < n; ++i) {
        points[2 * i] = in[3 * i];
        points[2 * i + 1] = in[3 * i + 1];
    }
    count = static_cast<int>(n);
}

int VyrDxfLeader::Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation)
{
    if (!generator || !transformation || IsLeftOut()) return 1;
    double *raw = nullptr;
    int count = 0;
    GetVertices(raw, count);
    std::unique_ptr<double[]> vertices(raw);
    if (count == 0) return 1;
    /* one vertex is a path of no length */
    if (count == 1) return 0;
    for (int i = 0; i < 2 * count; ++i)
        if (!std::isfinite(vertices[static_cast<size_t>(i)])) return 1;

    std::unique_ptr<float[]> xy(new (std::nothrow) float[2 * static_cast<size_t>(count)]);
    if (!xy) return 1;
    for (size_t i = 0; i < static_cast<size_t>(count); ++i) {
        const VyrMathPoint2D p = *transformation * VyrMathPoint2D(vertices[2 * i], vertices[2 * i + 1]);
        xy[2 * i] = static_cast<float>(p.GetX());
        xy[2 * i + 1] = static_cast<float>(p.GetY());
    }
    VyrDxfEntity::Write(generator, transformation);
    if (spline && count > 2)
        generator->DrawCurve(count, xy.get());
    else
        generator->DrawPolyline(count, xy.get());

    /* The arrow, in model coordinates: tip at the first vertex, its back
     * one arrow length along the first segment. */
    const double dx = vertices[2] - vertices[0], dy = vertices[3] - vertices[1];
    const double length = std::hypot(dx, dy);
    if (arrowhead && arrowSize > 0.0 && length > 0.0) {
        const double ux = dx / length, uy = dy / length;
        const double bx = vertices[0] + ux * arrowSize, by = vertices[1] + uy * arrowSize;
        const double w = arrowSize * kHalfWidth;
        const double triangle[6] = {vertices[0], vertices[1], bx - uy * w,
                                    by + ux * w, bx + uy * w, by - ux * w};
        WriteFilledArea(generator, *transformation, 3, triangle);
    }
    return 0;
}
