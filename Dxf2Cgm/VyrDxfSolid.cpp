/* Solids and traces (the two records share their layout): the outline edges
 * corner 1-2, 2-4, 4-3 and 3-1, each a line element with a copy of the
 * solid's header, block and layer; edges whose ends coincide are left out. */
#include "Dxf2Cgm/VyrDxfSolid.h"

#include <new>

#include "Dxf2Cgm/VyrDxfEntityLock.h"
#include "Dxf2Cgm/VyrDxfLine.h"
#include "Dxf2Cgm/VyrListOfVyrDxfElem.h"

namespace {

/* Corners of a solid or trace record in outline order 1, 2, 4, 3. */
template <class Record> void OutlineCorners(const Record *rec, double corners[4][2])
{
    const double *in[4] = {rec->xyz1, rec->xyz2, rec->xyz4, rec->xyz3};
    for (int i = 0; i < 4; ++i) {
        corners[i][0] = in[i][0];
        corners[i][1] = in[i][1];
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

int VyrDxfSolid::Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation)
{
    if (!generator || !transformation || !edges) return 1;
    int written = 0;
    for (edges->Init(); edges->More(); edges->Next()) {
        VyrDxfEntity *edge = static_cast<VyrDxfEntity *>(edges->Value());
        if (edge && edge->Write(generator, transformation) == 0) ++written;
    }
    return written ? 0 : 1;
}
