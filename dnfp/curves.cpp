/* The mappers of the simple geometric entities (LINE, 3DLINE, POINT, CIRCLE,
 * ARC, ELLIPSE, RAY, XLINE, TRACE, SOLID, 3DFACE, SHAPE) and of SPLINE.
 *
 * Every mapper follows the entity mapper pattern (map_entity, dnfp_map.h).
 * Coordinates are copied as the toolkit holds them (in the entity's own
 * coordinate system); angles only where noted are turned from radians into
 * degrees.
 *
 * SPLINE data: the toolkit keeps the knots, the control points (each followed
 * by its weight for a rational spline) and the fit points in three blobs. A
 * count is bounded by what its blob holds, so a wrong count in a file never
 * makes the mapper allocate more than the data. */
#include "dnfp/dnfp_int.h"
#include "dnfp/dnfp_map.h"

#include <stdio.h>
#include <string.h>

#include "kernel/mda/mda.h"
#include "kernel/mpm/mpm_int.h"

namespace {

using dnfp::copy_point;
using dnfp::map_entity;

/* How many elements of `size` bytes a blob can hold, at most `wanted`. */
int32_t bounded(int32_t wanted, const AdBlob *blob, long size)
{
    if (wanted <= 0 || !blob) return 0;
    long held = adBlobSize(blob) / size;
    return held < wanted ? int32_t(held) : wanted;
}

/* Reads the spline's variable data from its blobs; false when a blob that a
 * count needs cannot be opened. */
int read_spline_data(dxf_spline *s, const AdEntSpline &r, bool *complete)
{
    *complete = false;
    const bool rational = (r.flag & 4) != 0;
    if (!r.knotblob && !r.ctlblob && !r.fitblob) return 0;
    AdBlobCursor *knots = r.numknots > 0 ? adStartBlobRead(r.knotblob) : nullptr;
    dnfp__ReportToolkitError();
    AdBlobCursor *ctl = r.numctlpts > 0 ? adStartBlobRead(r.ctlblob) : nullptr;
    dnfp__ReportToolkitError();
    AdBlobCursor *fit = r.numfitpts > 0 ? adStartBlobRead(r.fitblob) : nullptr;
    dnfp__ReportToolkitError();
    const bool opened = (r.numknots <= 0 || knots) && (r.numctlpts <= 0 || ctl) && (r.numfitpts <= 0 || fit);

    int status = 0;
    if (opened) {
        *complete = true;
        s->numknot = bounded(r.numknots, r.knotblob, 8);
        s->numcntrl = bounded(r.numctlpts, r.ctlblob, rational ? 32 : 24);
        s->numfit = bounded(r.numfitpts, r.fitblob, 24);
        if (s->numcntrl > 0) {
            status = mda_Malloc(0, s, size_t(s->numcntrl) * 24, &s->cntrlpnt);
            if (!status && rational) status = mda_Malloc(0, s, size_t(s->numcntrl) * 8, &s->weight);
        }
        if (!status && s->numknot > 0) status = mda_Malloc(0, s, size_t(s->numknot) * 8, &s->knotval);
        if (!status && s->numfit > 0) status = mda_Malloc(0, s, size_t(s->numfit) * 24, &s->fitpnt);
        if (!status) {
            double *kv = static_cast<double *>(mda_Deref(s->knotval));
            for (int32_t i = 0; i < s->numknot; ++i) adReadBlobDouble(knots, &kv[i]);
            double *cp = static_cast<double *>(mda_Deref(s->cntrlpnt));
            double *w = static_cast<double *>(mda_Deref(s->weight));
            for (int32_t i = 0; i < s->numcntrl; ++i) {
                adReadBlob3Double(ctl, &cp[3 * i]);
                if (rational) adReadBlobDouble(ctl, &w[i]);
            }
            double *fp = static_cast<double *>(mda_Deref(s->fitpnt));
            for (int32_t i = 0; i < s->numfit; ++i) adReadBlob3Double(fit, &fp[3 * i]);
            dnfp__ReportToolkitError();
        }
    }
    if (knots) adEndBlobRead(knots);
    if (ctl) adEndBlobRead(ctl);
    if (fit) adEndBlobRead(fit);
    dnfp__ReportToolkitError();
    return status;
}

} // namespace

extern "C" {

int dnfp__ParseLine(db_ptr *out)
{
    return map_entity<dxf_line>(DXFI_TF_dxf_line, true, out, [](dxf_line *e, const AdEntityRecord &r) {
        copy_point(e->xyzstr, r.line.pt0);
        copy_point(e->xyzend, r.line.pt1);
        return 0;
    });
}

int dnfp__Parse3DLine(db_ptr *out)
{
    return map_entity<dxf_3dline>(DXFI_TF_dxf_3dline, true, out, [](dxf_3dline *e, const AdEntityRecord &r) {
        copy_point(e->xyzstr, r.line3d.pt0);
        copy_point(e->xyzend, r.line3d.pt1);
        return 0;
    });
}

int dnfp__ParsePoint(db_ptr *out)
{
    return map_entity<dxf_point>(DXFI_TF_dxf_point, true, out, [](dxf_point *e, const AdEntityRecord &r) {
        copy_point(e->xyzloc, r.point.pt0);
        e->xaxisang = r.point.xaxisang;
        return 0;
    });
}

int dnfp__ParseCircle(db_ptr *out)
{
    return map_entity<dxf_circle>(DXFI_TF_dxf_circle, true, out, [](dxf_circle *e, const AdEntityRecord &r) {
        copy_point(e->xyzloc, r.circle.pt0);
        e->radius = r.circle.radius;
        return 0;
    });
}

int dnfp__ParseArc(db_ptr *out)
{
    return map_entity<dxf_arc>(DXFI_TF_dxf_arc, true, out, [](dxf_arc *e, const AdEntityRecord &r) {
        copy_point(e->xyzloc, r.arc.pt0);
        e->radius = r.arc.radius;
        e->sang = DNFP_DEGREES(r.arc.stang);
        e->eang = DNFP_DEGREES(r.arc.endang);
        return 0;
    });
}

int dnfp__ParseEllipse(db_ptr *out)
{
    return map_entity<dxf_ellipse>(DXFI_TF_dxf_ellipse, true, out,
                                   [](dxf_ellipse *e, const AdEntityRecord &r) {
                                       copy_point(e->center, r.ellipse.pt0);
                                       copy_point(e->majaxis, r.ellipse.pt1);
                                       e->minlen = r.ellipse.minortomajor;
                                       e->strparm = r.ellipse.startparam;
                                       e->endparm = r.ellipse.endparam;
                                       return 0;
                                   });
}

int dnfp__ParseRay(db_ptr *out)
{
    return map_entity<dxf_ray>(DXFI_TF_dxf_ray, true, out, [](dxf_ray *e, const AdEntityRecord &r) {
        copy_point(e->base, r.ray.pt0);
        copy_point(e->vector, r.ray.pt1);
        return 0;
    });
}

int dnfp__ParseXline(db_ptr *out)
{
    return map_entity<dxf_xline>(DXFI_TF_dxf_xline, true, out, [](dxf_xline *e, const AdEntityRecord &r) {
        copy_point(e->base, r.xline.pt0);
        copy_point(e->vector, r.xline.pt1);
        return 0;
    });
}

int dnfp__ParseTrace(db_ptr *out)
{
    return map_entity<dxf_trace>(DXFI_TF_dxf_trace, true, out, [](dxf_trace *e, const AdEntityRecord &r) {
        copy_point(e->xyz1, r.trace.pt0);
        copy_point(e->xyz2, r.trace.pt1);
        copy_point(e->xyz3, r.trace.pt2);
        copy_point(e->xyz4, r.trace.pt3);
        return 0;
    });
}

int dnfp__ParseSolid(db_ptr *out)
{
    return map_entity<dxf_solid>(DXFI_TF_dxf_solid, true, out, [](dxf_solid *e, const AdEntityRecord &r) {
        copy_point(e->xyz1, r.solid.pt0);
        copy_point(e->xyz2, r.solid.pt1);
        copy_point(e->xyz3, r.solid.pt2);
        copy_point(e->xyz4, r.solid.pt3);
        return 0;
    });
}

int dnfp__Parse3DFace(db_ptr *out)
{
    return map_entity<dxf_3dface>(DXFI_TF_dxf_3dface, true, out, [](dxf_3dface *e, const AdEntityRecord &r) {
        copy_point(e->xyz1, r.face3d.pt0);
        copy_point(e->xyz2, r.face3d.pt1);
        copy_point(e->xyz3, r.face3d.pt2);
        copy_point(e->xyz4, r.face3d.pt3);
        e->iveflg = r.face3d.invisflags;
        return 0;
    });
}

int dnfp__ParseShape(db_ptr *out)
{
    return map_entity<dxf_shape>(DXFI_TF_dxf_shape, true, out, [](dxf_shape *e, const AdEntityRecord &r) {
        copy_point(e->xyzloc, r.shape.pt0);
        e->size = r.shape.size;
        /* the name the file gives (DXF); a file that gives only the number
           (DWG) gets the number as text */
        if (r.shape.shapename[0])
            snprintf(e->name, sizeof e->name, "%.*s", int(sizeof e->name - 1), r.shape.shapename);
        else
            snprintf(e->name, sizeof e->name, "%hd", short(static_cast<unsigned char>(r.shape.shapenum)));
        e->rang = DNFP_DEGREES(r.shape.rotang);
        e->xscale = r.shape.widthfactor;
        e->oang = DNFP_DEGREES(r.shape.oblique);
        return dnfp__GetPtrFromObjHandle(r.shape.stylehandle, &e->shapefileobjhandle);
    });
}

int dnfp__ParseSpline(db_ptr *out)
{
    return map_entity<dxf_spline>(DXFI_TF_dxf_spline, true, out, [](dxf_spline *e, const AdEntityRecord &r) {
        const AdEntSpline &s = r.spline;
        e->degree = s.degree;
        e->flag = s.flag;
        e->knottol = s.knottol;
        e->cntrltol = s.ctltol;
        e->fittol = s.fittol;
        copy_point(e->strtan, s.sttandir);
        copy_point(e->endtan, s.endtandir);
        e->tangent = 1;
        bool complete = false;
        int status = read_spline_data(e, s, &complete);
        if (!status && !complete) {
            char handle[DNFP_HANDLE_TEXT];
            dnfp__HandleText(dnfp_g.enthdr->handle, handle);
            mpm__IssueError(0, DNFP_INCOMPLETE_DATA, MPM_WARNING, "SPLINE", handle);
            e->numknot = e->numcntrl = e->numfit = 0;
            e->knotval = e->cntrlpnt = e->weight = e->fitpnt = MDA_NULL_REF;
        }
        return status;
    });
}

} // extern "C"
