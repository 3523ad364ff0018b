/* Lightweight polylines. The three arrays of the record are bounded by the
 * smallest of the vertex count and what each array's block holds, so a
 * record whose count and arrays disagree is never read past its data. */
#include "Dxf2Cgm/VyrDxfLWPolyline.h"

#include <algorithm>

#include "Dxf2Cgm/VyrDxfEntityLock.h"

namespace {

const int kType = 334;
const int kClosed = 0x200;
const int kHasWidths = 0x020;

/* Whole elements of `size` bytes in the block behind a reference. */
size_t Held(mda_ref ref, size_t size)
{
    if (ref == MDA_NULL_REF) return 0;
    int64_t bytes = 0;
    if (mda_GetArraySize(0, mda_Deref(ref), &bytes) != 0 || bytes < 0) return 0;
    return static_cast<size_t>(bytes) / size;
}

} // namespace

VyrDxfLWPolyline::VyrDxfLWPolyline(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block)
    : VyrDxfPolylineEntity(entity, layer, block)
{
    kind = VyrDxfKindLWPolyline;
    VyrDxfEntityLock lock(entity);
    const dxf_lwpolyline *rec = lock.As<dxf_lwpolyline>(kType);
    if (!rec) return;
    flags = static_cast<uint16_t>(rec->pflag);
    count = std::max(0, rec->npoints);
    constantWidth = rec->cwidth;
    mirror = rec->dxfhdr.extrusion[2] < 0.0 ? 1 : 0;
}

VyrDxfLWPolyline::Arrays VyrDxfLWPolyline::ArraysOf(const void *record)
{
    Arrays a;
    const dxf_lwpolyline *rec = static_cast<const dxf_lwpolyline *>(record);
    if (!rec || rec->npoints <= 0) return a;
    size_t n = static_cast<size_t>(rec->npoints);
    n = std::min(n, Held(rec->points, 2 * sizeof(double)));
    n = std::min(n, Held(rec->bulge, sizeof(double)));
    n = std::min(n, Held(rec->widths, 2 * sizeof(double)));
    if (n == 0) return a;
    a.points = VyrDxfDeref<double>(rec->points);
    a.bulges = VyrDxfDeref<double>(rec->bulge);
    a.widths = VyrDxfDeref<double>(rec->widths);
    a.count = static_cast<int>(n);
    return a;
}

void VyrDxfLWPolyline::ReadVertex(const Arrays &a, int index, segmentinfo &info) const
{
    info.startX = a.points[2 * index];
    info.startY = a.points[2 * index + 1];
    info.bulge = a.bulges[index];
    const bool own = (flags & kHasWidths) != 0;
    info.startWidth = own ? a.widths[2 * index] : constantWidth;
    info.endWidth = own ? a.widths[2 * index + 1] : constantWidth;
    info.flags = 0;
}

int VyrDxfLWPolyline::GetPolylineInfo(int &n, int &closed, double &startWidth, double &endWidth)
{
    n = count;
    closed = (flags & kClosed) ? 1 : 0;
    startWidth = constantWidth;
    endWidth = constantWidth;
    return 0;
}

int VyrDxfLWPolyline::GetPolylineSegmentInfo(int index, segmentinfo &info)
{
    if (index < 0) return 0;
    if (held.points) {
        if (index >= held.count) return 0;
        ReadVertex(held, index, info);
        return 1;
    }
    VyrDxfEntityLock lock(entity);
    const Arrays a = ArraysOf(lock.As<dxf_lwpolyline>(kType));
    if (index >= a.count) return 0;
    ReadVertex(a, index, info);
    return 1;
}

int VyrDxfLWPolyline::Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation)
{
    if (!generator || !transformation || IsLeftOut()) return 1;
    VyrDxfEntityLock lock(entity);
    held = ArraysOf(lock.As<dxf_lwpolyline>(kType));
    const int result = VyrDxfPolylineEntity::Write(generator, transformation);
    held = Arrays();
    return result;
}
