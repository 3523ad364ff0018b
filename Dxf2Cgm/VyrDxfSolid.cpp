/* Solids and traces (the two records share their layout): the outline edges
 * corner 1-2, 2-4, 4-3 and 3-1, each a line element with a copy of the
 * solid's header, block and layer; edges whose ends coincide are left out.
 * The corners are points of the entity's coordinate system (mirrored in x
 * when the extrusion points down). Filled, the four corners bound one area; a solid without area (all its
 * corners on one line) keeps its outline, so it does not vanish. */
#include "Dxf2Cgm/VyrDxfSolid.h"

#include <cmath>
#include <new>

#include "Dxf2Cgm/VyrDxfEntityLock.h"
#include "Dxf2Cgm/VyrDxfLine.h"
#include "Dxf2Cgm/VyrDxfOcs.h"
#include "Dxf2Cgm/VyrListOfVyrDxfElem.h"

namespace {

/* Corners of a solid or trace record in outline order 1, 2, 4, 3, in the
 * plan view of the entity's coordinate system. */
template <class Record> void OutlineCorners(const Record *rec, double corners[4][2])
{
    const VyrDxfOcs ocs(rec->dxfhdr.extrusion);
    const double *in[4] = {rec->xyz1, rec->xyz2, rec->xyz4, rec->xyz3};
    for (int i = 0; i < 4; ++i) {
        const VyrMathPoint2D p = ocs.ToPlan(in[i][0], in[i][1], in[i][2]);
        corners[i][0] = p.GetX();
        corners[i][1] = p.GetY();
    }
}

} // namespace

VyrDxfSolid::VyrDxfSolid(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block)
    : VyrDxfEntity(entity, layer, block)
{
    kind = VyrDxfKindSolid;
    VyrDxfEntityLock lock(entity);
    if (const dxf_solid *solid = lock.As<dxf_solid>(305))
        OutlineCorners(solid, corners);
    else if (const dxf_trace *trace = lock.As<dxf_trace>(304))
        OutlineCorners(trace, corners);
    else
        return;
    edges = new (std::nothrow) VyrListOfVyrDxfElem();
    if (!edges) return;
    for (int i = 0; i < 4; ++i) {
        const double *a = corners[i];
        const double *b = corners[(i + 1) & 3];
        if (a[0] == b[0] && a[1] == b[1]) continue;
        VyrDxfLine *edge = new (std::nothrow) VyrDxfLine(a[0], a[1], b[0], b[1], header);
        if (!edge) continue;
        edge->SetBlockAndLayerPtr(block, layer);
        if (edges->AddElement(edge) != 0) delete edge;
    }
}

VyrDxfSolid::~VyrDxfSolid() { delete edges; }

bool VyrDxfSolid::HasArea() const
{
    /* The largest triangle of three corners against the square of the
     * outline's size, so the test does not depend on the drawing's units
     * and a crossed outline (two triangles) counts too. */
    double size = 0.0;
    for (int i = 1; i < 4; ++i)
        size = std::fmax(size,
                         std::fabs(corners[i][0] - corners[0][0]) + std::fabs(corners[i][1] - corners[0][1]));
    double largest = 0.0;
    for (int skip = 0; skip < 4; ++skip) {
        const double *p[3];
        for (int i = 0, k = 0; i < 4; ++i)
            if (i != skip) p[k++] = corners[i];
        const double cross =
            (p[1][0] - p[0][0]) * (p[2][1] - p[0][1]) - (p[2][0] - p[0][0]) * (p[1][1] - p[0][1]);
        largest = std::fmax(largest, std::fabs(cross));
    }
    return size > 0.0 && largest > 1e-9 * size * size;
}

int VyrDxfSolid::Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation)
{
    if (!generator || !transformation || !edges || IsLeftOut()) return 1;
    if (FillsAreas() && HasArea()) return WriteFilledArea(generator, *transformation, 4, &corners[0][0]);
    int written = 0;
    for (edges->Init(); edges->More(); edges->Next()) {
        VyrDxfEntity *edge = static_cast<VyrDxfEntity *>(edges->Value());
        if (edge && edge->Write(generator, transformation) == 0) ++written;
    }
    return written ? 0 : 1;
}
