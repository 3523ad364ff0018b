/* The mappers of the polyline family: the old-style POLYLINE with its VERTEX
 * entities and SEQEND, and the light-weight LWPOLYLINE.
 *
 * A POLYLINE becomes one polyline entity whose type-form says what kind it
 * is (2D, 3D, curve-fit, spline-fit, B-spline or Bezier curve, polygon mesh,
 * polyface mesh, B-spline or Bezier surface) and which lists its vertex
 * entities by pointer, in file order. The mapper reads the entities after
 * the POLYLINE itself: every VERTEX becomes a model entity of its own (under
 * its own handle, reported to the callback like any entity); the first
 * other entity (normally the SEQEND) is left in the buffers for the walk.
 * The polyline is created after its vertices, and the model records it as
 * the parent of each.
 *
 * Widths: a vertex without a start or end width of its own takes the
 * polyline's default width (40, 41), so that a width stored as 0 (the tip
 * of an arrow) stays 0 and the elements never have to guess which zeros
 * were written. A VERTEX met outside a polyline has no defaults (0).
 *
 * An LWPOLYLINE becomes one record with its points, bulges and widths in
 * three arrays, read from the toolkit's vertex blob. Its flag word is the
 * toolkit's (0x004 constant width, 0x010 bulges, 0x020 widths, 0x100
 * linetype generation, 0x200 closed), not the file's group 70. The vertex
 * count is what the blob holds, never more than the record's count: a wrong
 * count (90) in a file never makes the mapper read or allocate past the
 * data. */
#include "dnfp/dnfp_int.h"
#include "dnfp/dnfp_map.h"

#include <string.h>

#include "kernel/mda/mda.h"
#include "kernel/mpm/mpm_int.h"

namespace {

using dnfp::copy_point;
using dnfp::map_entity;

/* Widths for a vertex that has none of its own. */
struct VertexDefaults {
    double start;
    double end;
};

int map_vertex(db_ptr *out, VertexDefaults defaults)
{
    return map_entity<dxf_vertex>(DXFI_TF_dxf_vertex, true, out, [&](dxf_vertex *e, const AdEntityRecord &r) {
        const AdEntVertex &v = r.vertex;
        copy_point(e->xyzloc, v.pt0);
        e->vdswidth = v.startwidthgiven ? v.startwidth : defaults.start;
        e->vdewidth = v.endwidthgiven ? v.endwidth : defaults.end;
        e->bulge = v.bulge;
        e->vflag = static_cast<uint16_t>(v.flag);
        e->tandir = v.tangentdir;
        for (int i = 0; i < 4; ++i) e->face_mesh[i] = i < v.numfaceindices ? v.polyfaceindex[i] : 0;
        return 0;
    });
}

/* The type-form and degree of a polyline from its flag (70) and its curve
 * or surface type (75); later tests override earlier ones. */
void choose_form(int flag, int type, mda_tf *tf, int32_t *degree)
{
    *tf = DXFI_TF_dxf_2dpolyline;
    *degree = 1;
    if (flag & 2) *tf = DXFI_TF_dxf_curve_fit;
    if (flag & 4) {
        *tf = DXFI_TF_dxf_spline_fit;
        if (type == 5) *degree = 2;
        if (type == 6) *degree = 3;
    }
    if (flag & 8) {
        switch (type) {
        case 0: *tf = DXFI_TF_dxf_3dpolyline; break;
        case 5:
            *tf = DXFI_TF_dxf_bspline_curve;
            *degree = 2;
            break;
        case 6:
            *tf = DXFI_TF_dxf_bspline_curve;
            *degree = 3;
            break;
        case 8: *tf = DXFI_TF_dxf_bezier_bspline_curve; break;
        default: break;
        }
    }
    if (flag & 16) {
        switch (type) {
        case 0: *tf = DXFI_TF_dxf_polygon_mesh; break;
        case 5:
            *tf = DXFI_TF_dxf_bspline_surf;
            *degree = 2;
            break;
        case 6:
            *tf = DXFI_TF_dxf_bspline_surf;
            *degree = 3;
            break;
        case 8: *tf = DXFI_TF_dxf_bezier_bspline_surf; break;
        default: break;
        }
    }
    if (flag & 64) *tf = DXFI_TF_dxf_polyface_mesh;
}

/* Maps the VERTEX entities that follow the polyline in the current entity
 * list, appending the pointer of each vertex created to `vertices`. The
 * first entity that is no VERTEX is left in the buffers for the walk. */
int map_following_vertices(OlmList *vertices, VertexDefaults defaults)
{
    if (!dnfp_g.curlist) return 0;
    while (adGetEntity(dnfp_g.curlist, dnfp_g.enthdr, dnfp_g.entrec) == 1) {
        if (dnfp_g.enthdr->enttype != AD_ENT_VERTEX) {
            dnfp__readentity_called = 1;
            return 0;
        }
        db_ptr vertex = MDA_NULL_PTR;
        int status = map_vertex(&vertex, defaults);
        if (status) return status;
        if (vertex != MDA_NULL_PTR && !olm_AddObject(0, vertices, OLM_LAST, &vertex))
            return mpm__SetError(0, DNFP_MALLOC_ERR, MPM_ERROR);
    }
    return 0;
}

/* Bytes of one vertex in an LWPOLYLINE's blob. */
long lwpline_stride(int flag)
{
    return 16 + ((flag & AD_LWPLINE_HAS_BULGES) ? 8 : 0) + ((flag & AD_LWPLINE_HAS_WIDTHS) ? 16 : 0);
}

/* Reads the vertex blob into the record's arrays; *opened is false when the
 * blob could not be opened. */
int read_lwpline_vertices(dxf_lwpolyline *e, const AdEntLwpline &r, bool *opened)
{
    e->npoints = 0;
    e->points = e->bulge = e->widths = MDA_NULL_REF;
    AdBlobCursor *cursor = adStartBlobRead(r.vertblob);
    dnfp__ReportToolkitError();
    *opened = cursor != nullptr;
    if (!cursor) return 0;

    const long stride = lwpline_stride(r.flag);
    const long held = adBlobSize(r.vertblob) / stride;
    const size_t n = r.numverts <= 0 ? 0 : static_cast<size_t>(held < r.numverts ? held : r.numverts);
    int status = 0;
    if (n > 0) {
        status = mda_Malloc(0, e, n * 16, &e->points);
        if (!status) status = mda_Malloc(0, e, n * 8, &e->bulge);
        if (!status) status = mda_Malloc(0, e, n * 16, &e->widths);
    }
    if (!status && n > 0) {
        double *points = static_cast<double *>(mda_Deref(e->points));
        double *bulges = static_cast<double *>(mda_Deref(e->bulge));
        double *widths = static_cast<double *>(mda_Deref(e->widths));
        size_t read = 0;
        bool ok = true;
        for (; read < n && ok; ++read) {
            ok = adReadBlob2Double(cursor, points + 2 * read) != 0;
            bulges[read] = 0.0;
            widths[2 * read] = widths[2 * read + 1] = 0.0;
            if (ok && (r.flag & AD_LWPLINE_HAS_BULGES)) ok = adReadBlobDouble(cursor, bulges + read) != 0;
            if (ok && (r.flag & AD_LWPLINE_HAS_WIDTHS))
                ok = adReadBlob2Double(cursor, widths + 2 * read) != 0;
            if (!ok) break;
        }
        e->npoints = static_cast<int32_t>(read);
        dnfp__ReportToolkitError();
    }
    adEndBlobRead(cursor);
    dnfp__ReportToolkitError();
    return status;
}

} // namespace

extern "C" {

int dnfp__ParseVertex(db_ptr *out) { return map_vertex(out, VertexDefaults{0.0, 0.0}); }

int dnfp__ParsePolylineForms(db_ptr *out)
{
    *out = MDA_NULL_PTR;
    void *memory = nullptr;
    int created = 0;
    OlmList *vertices = olm_CreateList(0, 4, 64, nullptr);
    if (!vertices) return mpm__SetError(0, DNFP_MALLOC_ERR, MPM_ERROR);
    int status = mda_MallocEntity2(0, mda_GetCurModel(), DXFI_TF_dxf_2dpolyline, &memory);
    if (!status) {
        dxf_2dpolyline *p = static_cast<dxf_2dpolyline *>(memory);
        status = dnfp__MapSubent(&p->dxfhdr);
        if (!status) status = dnfp__MapExtEntData(&p->dxfxed, memory, 0);

        /* The record and the handle, before the vertices overwrite the
         * buffers. */
        const AdEntPolyline pline = dnfp_g.entrec->pline;
        handle8 handle[8];
        memcpy(handle, dnfp_g.enthdr->handle, sizeof handle);
        p->dswidth = pline.startwidth;
        p->dewidth = pline.endwidth;
        p->mmcnt = pline.mcount;
        p->mncnt = pline.ncount;
        p->smdens = pline.mdensity;
        p->sndens = pline.ndensity;
        p->xyzloc[0] = p->xyzloc[1] = 0.0;
        p->xyzloc[2] = pline.elevation;

        if (!status)
            status = map_following_vertices(vertices, VertexDefaults{pline.startwidth, pline.endwidth});
        if (!status) status = mda_CopyFromOList(0, memory, vertices, &p->num_vtx, &p->vertex);
        olm_RemoveAll(0, vertices);
        if (!status) {
            const int flag = static_cast<uint16_t>(pline.flag);
            mda_tf tf = DXFI_TF_dxf_2dpolyline;
            choose_form(flag, pline.polyfittype, &tf, &p->degree);
            p->linetype_cont = (flag & 128) ? 1 : 0;
            p->closed_flag1 = (flag & 1) ? 1 : 0;
            p->closed_flag2 = (flag & 32) ? 1 : 0;
            p->attr_flag = 0;
            status = mda_SetTF(memory, p->dxfhdr.thickness != 0.0 ? tf + 1 : tf);
        }
        if (!status) status = dnfp__CreateEntity(0, handle, nullptr, memory, out, &created);
    }
    olm_DeleteList(0, vertices);
    return dnfp__FinishEntity(status, memory, out, created, __FILE__, __LINE__);
}

int dnfp__ParseLWPolyline(db_ptr *out)
{
    return map_entity<dxf_lwpolyline>(
        DXFI_TF_dxf_lwpolyline, false, out, [](dxf_lwpolyline *e, const AdEntityRecord &rec) {
            const AdEntLwpline &r = rec.lwpline;
            e->pflag = r.flag;
            e->elev = r.elevation;
            e->thick = 0.0;
            e->cwidth = (r.flag & AD_LWPLINE_CONSTWIDTH) ? r.constwidth : 0.0;
            bool opened = false;
            int status = read_lwpline_vertices(e, r, &opened);
            if (!status && !opened) {
                char handle[DNFP_HANDLE_TEXT];
                dnfp__HandleText(dnfp_g.enthdr->handle, handle);
                mpm__IssueError(0, DNFP_INCOMPLETE_DATA, MPM_WARNING, "LWPOLYLINE", handle);
            }
            return status;
        });
}

} // extern "C"
