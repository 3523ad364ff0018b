/* The entities whose variable data the toolkit keeps in blobs: hatches
 * (boundary paths with their edges, boundary object references, pattern
 * lines, seed points), multilines (vertices with the parameters of every
 * line element), paper-space viewports (frozen layers) and proxies (ACIS
 * data, when they carry it).
 *
 * Every count that drives a loop or an allocation is checked against the
 * bytes left in its blob first (at least the bytes one item takes), and a
 * negative count is refused: a damaged count never allocates more than the
 * blob could fill, and reading stops at the first item the blob does not
 * hold whole. The entity keeps what was read completely before the damage,
 * with an INCOMPLETE_DATA warning. A blob is opened only when its count
 * says it holds something (the toolkit leaves empty blobs null). */
#include "dnfp/dnfp_int.h"
#include "dnfp/dnfp_map.h"

#include <math.h>
#include <string.h>

#include "kernel/mda/mda.h"
#include "kernel/mpm/mpm_int.h"

namespace {

using dnfp::copy_point;
using dnfp::map_entity;

/* A read cursor over one blob that knows how many bytes are left. */
class BlobReader {
public:
    explicit BlobReader(AdBlob *blob) : blob_(blob), cur_(blob ? adStartBlobRead(blob) : nullptr)
    {
        if (blob) dnfp__ReportToolkitError();
    }
    ~BlobReader()
    {
        if (cur_) adEndBlobRead(cur_);
    }
    BlobReader(const BlobReader &) = delete;
    BlobReader &operator=(const BlobReader &) = delete;

    bool Open() const { return cur_ != nullptr; }
    long Left() const { return cur_ ? adBlobSize(blob_) - adBlobTell(cur_) : 0; }
    /* True when `count` items of at least `each` bytes can be in the blob. */
    bool Fits(long count, long each) const { return count >= 0 && (each <= 0 || count <= Left() / each); }

    bool Byte(unsigned char &v) { return adReadBlobByte(cur_, &v) != 0; }
    bool Short(int16_t &v) { return adReadBlobShort(cur_, &v) != 0; }
    bool Long(int32_t &v) { return adReadBlobLong(cur_, &v) != 0; }
    bool Double(double &v) { return adReadBlobDouble(cur_, &v) != 0; }
    bool Doubles(double *v, long n) { return adReadBlobBytesLong(cur_, v, n * long(sizeof(double))) != 0; }
    bool Handle(unsigned char *h) { return adReadBlobObjhandle(cur_, h) != 0; }
    AdBlobCursor *Cursor() { return cur_; }

private:
    AdBlob *blob_;
    AdBlobCursor *cur_;
};

void incomplete(const char *what)
{
    char handle[DNFP_HANDLE_TEXT];
    dnfp__HandleText(dnfp_g.enthdr->handle, handle);
    mpm__IssueError(0, DNFP_INCOMPLETE_DATA, MPM_WARNING, what, handle);
}

/* Allocates `n` elements of T against the record; null for n = 0. */
template <class T> int allocate(void *owner, long n, mda_ref *field, T **out)
{
    *out = nullptr;
    *field = MDA_NULL_REF;
    if (n <= 0) return 0;
    int status = mda_Malloc(0, owner, size_t(n) * sizeof(T), field);
    if (!status) *out = static_cast<T *>(mda_Deref(*field));
    return status;
}

/* ---- hatch */

/* Bytes of the smallest edge: a spline edge without knots or control
 * points (its type byte, degree, rational and periodic flags and the two
 * counts); a line takes 33 bytes, an arc 43 and an elliptic arc 59. */
constexpr long kSmallestEdge = 1 + 4 + 2 + 2 + 4 + 4;
/* A path: its flags, its edge or vertex count, its boundary object count. */
constexpr long kSmallestPath = 4 + 4 + 4;

struct HatchRead {
    dxf_hatch *hatch;
    BlobReader &paths;
    BlobReader &sources;
    bool damaged = false;
};

bool read_spline_edge(HatchRead &h, dxf_hatch_path_seg_spline &s, int &status)
{
    BlobReader &in = h.paths;
    int16_t rational = 0, periodic = 0;
    int32_t knots = 0, controls = 0;
    if (!in.Long(s.splinedegree) || !in.Short(rational) || !in.Short(periodic) || !in.Long(knots) ||
        !in.Long(controls))
        return false;
    s.rational = rational;
    s.periodic = periodic;
    const long perControl = rational ? 24 : 16;
    if (!in.Fits(knots, 8) || !in.Fits(controls, perControl) || knots * 8 + controls * perControl > in.Left())
        return false;
    double *k = nullptr, *c = nullptr, *w = nullptr;
    status = allocate(h.hatch, knots, &s.knotval, &k);
    if (!status) status = allocate(h.hatch, 2L * controls, &s.cntrlpnt, &c);
    if (!status && rational) status = allocate(h.hatch, controls, &s.weight, &w);
    if (status) return false;
    if (!in.Doubles(k, knots) || !in.Doubles(c, 2L * controls) || (rational && !in.Doubles(w, controls)))
        return false;
    s.numknot = knots;
    s.numcntrl = controls;
    return true;
}

/* One edge of a path into `seg`; false when the blob ends inside it or the
 * edge is of no known kind. */
bool read_edge(HatchRead &h, dxf_hatch_path_seg &seg, int &status)
{
    BlobReader &in = h.paths;
    unsigned char kind = 0;
    if (!in.Byte(kind)) return false;
    switch (kind) {
    case 1:
        seg.selector = DXF_HATCH_SEG_LINE;
        return in.Doubles(seg.line.start, 2) && in.Doubles(seg.line.end, 2);
    case 2: {
        seg.selector = DXF_HATCH_SEG_CARC;
        dxf_hatch_path_seg_carc &a = seg.carc;
        if (!in.Doubles(a.center, 2) || !in.Double(a.radius) || !in.Double(a.startangle) ||
            !in.Double(a.endangle) || !in.Short(a.isccw))
            return false;
        a.startangle = DNFP_DEGREES(a.startangle);
        a.endangle = DNFP_DEGREES(a.endangle);
        return true;
    }
    case 3: {
        seg.selector = DXF_HATCH_SEG_EARC;
        dxf_hatch_path_seg_earc &e = seg.earc;
        if (!in.Doubles(e.center, 2) || !in.Doubles(e.axisendpt, 2) || !in.Double(e.minmajratio) ||
            !in.Double(e.startangle) || !in.Double(e.endangle) || !in.Short(e.isccw))
            return false;
        e.startangle = DNFP_DEGREES(e.startangle);
        e.endangle = DNFP_DEGREES(e.endangle);
        return true;
    }
    case 4: seg.selector = DXF_HATCH_SEG_SPLINE; return read_spline_edge(h, seg.spline, status);
    default: return false;
    }
}

/* The segments of one path. */
bool read_path_segments(HatchRead &h, dxf_hatch_path &path, int &status)
{
    BlobReader &in = h.paths;
    if (path.pathflag & 2) {
        int16_t bulges = 0, closed = 0;
        int32_t count = 0;
        if (!in.Short(bulges) || !in.Short(closed) || !in.Long(count)) return false;
        if (!in.Fits(count, bulges ? 24 : 16)) return false;
        dxf_hatch_path_seg *segs = nullptr;
        status = allocate(h.hatch, count, &path.seg, &segs);
        if (status) return false;
        for (int32_t i = 0; i < count; ++i) {
            dxf_hatch_path_seg &s = segs[i];
            s.selector = DXF_HATCH_SEG_PLINE;
            s.pline.closed = closed;
            if (!in.Doubles(s.pline.vertex, 2) || (bulges && !in.Double(s.pline.bulge))) return false;
            path.nseg = i + 1;
        }
        return true;
    }
    int32_t count = 0;
    if (!in.Long(count) || !in.Fits(count, kSmallestEdge)) return false;
    dxf_hatch_path_seg *segs = nullptr;
    status = allocate(h.hatch, count, &path.seg, &segs);
    if (status) return false;
    for (int32_t i = 0; i < count; ++i) {
        if (!read_edge(h, segs[i], status)) {
            /* a half-read spline edge keeps no arrays */
            segs[i].selector = DXF_HATCH_SEG_LINE;
            memset(&segs[i].line, 0, sizeof segs[i].line);
            return false;
        }
        path.nseg = i + 1;
    }
    return true;
}

/* The boundary objects of one path, from the source-object blob. */
bool read_path_sources(HatchRead &h, dxf_hatch_path &path, int &status)
{
    int32_t count = 0;
    if (!h.paths.Long(count) || count < 0) return false;
    if (count == 0) return true;
    if (!h.sources.Open() || !h.sources.Fits(count, 8)) return false;
    db_ptr *objects = nullptr;
    status = allocate(h.hatch, count, &path.boundaryobj, &objects);
    if (status) return false;
    for (int32_t i = 0; i < count; ++i) {
        handle8 handle[8];
        if (!h.sources.Handle(handle)) return false;
        status = dnfp__GetPtrFromObjHandle(handle, &objects[i]);
        if (status) return false;
        path.numboundaryobj = i + 1;
    }
    return true;
}

int read_hatch_paths(dxf_hatch *hatch, const AdEntHatch &r)
{
    if (r.numpaths == 0) return 0;
    if (r.numpaths < 0) {
        incomplete("HATCH (boundry path)");
        return 0;
    }
    BlobReader paths(r.pathblob);
    BlobReader sources(r.srcobjblob);
    if (!paths.Open()) {
        incomplete("HATCH (boundry path)");
        return 0;
    }
    HatchRead h{hatch, paths, sources};
    if (!paths.Fits(r.numpaths, kSmallestPath)) {
        incomplete("HATCH (boundry path)");
        return 0;
    }
    dxf_hatch_path *out = nullptr;
    int status = allocate(hatch, r.numpaths, &hatch->path, &out);
    for (int32_t i = 0; !status && i < r.numpaths; ++i) {
        dxf_hatch_path &path = out[i];
        if (!paths.Long(path.pathflag)) {
            incomplete("HATCH (boundry path)");
            break;
        }
        hatch->numpath = i + 1;
        if (!read_path_segments(h, path, status)) {
            if (!status) incomplete("HATCH (boundry path)");
            break;
        }
        if (!read_path_sources(h, path, status)) {
            if (!status) incomplete("HATCH (boundry obj refs)");
            break;
        }
    }
    return status;
}

int read_hatch_lines(dxf_hatch *hatch, const AdEntHatch &r)
{
    if (r.numpatlines == 0) return 0;
    if (r.numpatlines < 0) {
        incomplete("HATCH (hatch lines)");
        return 0;
    }
    BlobReader in(r.patlineblob);
    /* angle, base point, offset and the dash count */
    if (!in.Open() || !in.Fits(r.numpatlines, 5 * 8 + 2)) {
        incomplete("HATCH (hatch lines)");
        return 0;
    }
    dxf_hatch_hatchlines *lines = nullptr;
    int status = allocate(hatch, r.numpatlines, &hatch->hatchlines, &lines);
    for (int i = 0; !status && i < r.numpatlines; ++i) {
        dxf_hatch_hatchlines &l = lines[i];
        int16_t dashes = 0;
        double *lengths = nullptr;
        bool ok = in.Double(l.lineangle) && in.Doubles(l.through_pt, 2) && in.Doubles(l.offset, 2) &&
                  in.Short(dashes) && in.Fits(dashes, 8);
        if (ok) status = allocate(hatch, dashes, &l.dashlength, &lengths);
        ok = ok && !status && in.Doubles(lengths, dashes);
        if (!ok) {
            l.dashlength = MDA_NULL_REF;
            if (!status) incomplete("HATCH (hatch lines)");
            break;
        }
        l.lineangle = DNFP_DEGREES(l.lineangle);
        l.numdash = dashes;
        hatch->numdeflines = i + 1;
    }
    return status;
}

int read_hatch_seeds(dxf_hatch *hatch, const AdEntHatch &r)
{
    if (r.numseedpoints == 0) return 0;
    if (r.numseedpoints < 0) {
        incomplete("HATCH (seed pts)");
        return 0;
    }
    BlobReader in(r.seedblob);
    long count = r.numseedpoints;
    const bool whole = in.Open() && in.Fits(count, 16);
    if (!whole) {
        incomplete("HATCH (seed pts)");
        count = in.Left() / 16;
        if (count <= 0) return 0;
    }
    double *points = nullptr;
    int status = allocate(hatch, 2 * count, &hatch->seedpoint, &points);
    if (!status && in.Doubles(points, 2 * count)) hatch->numseed = int32_t(count);
    return status;
}

/* ---- multiline */

int read_mline_vertices(dxf_mline *m, const AdEntMline &r)
{
    if (r.numverts == 0) return 0;
    if (r.numverts < 0) {
        incomplete("MLINE");
        return 0;
    }
    BlobReader in(r.vertblob);
    const int lines = r.numlines > 0 ? r.numlines : 0;
    /* the three points and, per line, its two counts */
    if (!in.Open() || !in.Fits(r.numverts, 9 * 8 + 4L * lines)) {
        incomplete("MLINE");
        return 0;
    }
    dxf_mline_vertex *vertices = nullptr;
    int status = allocate(m, r.numverts, &m->vertex, &vertices);
    bool ok = true;
    for (int32_t i = 0; ok && !status && i < r.numverts; ++i) {
        dxf_mline_vertex &v = vertices[i];
        dxf_mline_vertex_lineparms *parms = nullptr;
        ok = in.Doubles(v.xyzloc, 3) && in.Doubles(v.direction, 3) && in.Doubles(v.miter, 3);
        if (ok) status = allocate(m, lines, &v.lineparms, &parms);
        for (int k = 0; ok && !status && k < lines; ++k) {
            dxf_mline_vertex_lineparms &p = parms[k];
            int16_t count = 0;
            double *values = nullptr;
            ok = in.Short(count) && in.Fits(count, 8);
            if (ok) status = allocate(m, count, &p.parameter, &values);
            ok = ok && !status && in.Doubles(values, count);
            if (ok) p.numparm = count;
            ok = ok && in.Short(count) && in.Fits(count, 8);
            if (ok) status = allocate(m, count, &p.areafill, &values);
            ok = ok && !status && in.Doubles(values, count);
            if (ok) p.numarea = count;
        }
        /* a vertex counts only when all its lines were read */
        if (ok && !status) m->numvtx = i + 1;
    }
    if (!ok && !status) incomplete("MLINE");
    return status;
}

/* ---- viewport */

int read_frozen_layers(dxf_view_port *v, const AdEntViewport &r)
{
    if (r.numfrozenlayers == 0) return 0;
    if (r.numfrozenlayers < 0) {
        incomplete("VIEWPORT (frozen layers)");
        return 0;
    }
    BlobReader in(r.frozenlayerblob);
    long count = r.numfrozenlayers;
    if (!in.Open() || !in.Fits(count, 8)) {
        incomplete("VIEWPORT (frozen layers)");
        count = in.Left() / 8;
        if (count <= 0) return 0;
    }
    db_ptr *layers = nullptr;
    char *names = nullptr;
    int status = allocate(v, count, &v->lay_ptrs, &layers);
    if (!status) status = allocate(v, count * 256, &v->lay_name, &names);
    for (long i = 0; !status && i < count; ++i) {
        handle8 handle[8];
        if (!in.Handle(handle)) break;
        status = dnfp__GetPtrFromObjHandle(handle, &layers[i]);
        if (status) break;
        void *memory = nullptr;
        if (layers[i] != MDA_NULL_PTR && mda_IsValidDbptr(layers[i]) &&
            mda_LockEntity(0, layers[i], &memory) == 0) {
            if (memory && static_cast<mda_EntHdr *>(memory)->tf == DXFI_TF_dxf_layer_table_data)
                dnfp__CopyName(names + 256 * i, 256, static_cast<dxf_layer_table_data *>(memory)->entry_name);
            mda_UnlockEntity(0, layers[i]);
        }
        v->lay_num = int32_t(i + 1);
    }
    return status;
}

void copy2(double *to, const double *from)
{
    to[0] = from[0];
    to[1] = from[1];
}

} // namespace

extern "C" {

int dnfp__ParseHatch(db_ptr *out)
{
    return map_entity<dxf_hatch>(DXFI_TF_dxf_hatch, false, out, [](dxf_hatch *e, const AdEntityRecord &rec) {
        const AdEntHatch &r = rec.hatch;
        copy_point(e->pt0, r.pt0);
        dnfp__CopyName(e->name, sizeof e->name, r.patternname);
        e->assoc = r.associativity;
        e->solidfill = r.solidfill;
        e->style = r.hatchstyle;
        e->patterntype = r.patterntype;
        e->angle = DNFP_DEGREES(r.patternangle);
        e->scaleorspacing = r.patternscale;
        e->doublehatch = r.patterndouble;
        e->pixelsize = r.pixelsize;
        int status = read_hatch_paths(e, r);
        if (!status) status = read_hatch_lines(e, r);
        if (!status) status = read_hatch_seeds(e, r);
        return status;
    });
}

int dnfp__ParseMline(db_ptr *out)
{
    return map_entity<dxf_mline>(DXFI_TF_dxf_mline, true, out, [](dxf_mline *e, const AdEntityRecord &rec) {
        const AdEntMline &r = rec.mline;
        dnfp__CopyName(e->style_name, sizeof e->style_name, r.stylename);
        int status = dnfp__GetPtrFromObjHandle(r.mlstylehandle, &e->style);
        e->scale = r.scale;
        e->flag = r.flags;
        e->isclosed = (r.flags & 2) ? 1 : 0;
        e->numlines = r.numlines > 0 ? r.numlines : 0;
        copy_point(e->base, r.startpt);
        if (!status) status = read_mline_vertices(e, r);
        return status;
    });
}

int dnfp__ParseViewPort(db_ptr *out)
{
    *out = MDA_NULL_PTR;
    void *memory = nullptr;
    int created = 0;
    int status = mda_MallocEntity2(0, mda_GetCurModel(), DXFI_TF_dxf_view_port, &memory);
    if (!status) status = mda_DefaultEntity(0, memory);
    if (!status) {
        dxf_view_port *v = static_cast<dxf_view_port *>(memory);
        const AdEntViewport &r = dnfp_g.entrec->vport;
        status = dnfp__MapSubent(&v->dxfhdr);
        if (!status) status = dnfp__MapExtEntData(&v->dxfxed, memory, 0);
        copy_point(v->xyzloc, r.pt0);
        v->width = r.width;
        v->height = r.height;
        v->id = r.id;
        v->status = r.status;
        copy_point(v->xyztarget, r.viewtarget);
        copy_point(v->xyzdir, r.viewdir);
        if (sqrt(v->xyzdir[0] * v->xyzdir[0] + v->xyzdir[1] * v->xyzdir[1] + v->xyzdir[2] * v->xyzdir[2]) <
            1e-13)
            v->xyzdir[2] = 1.0;
        v->twist = r.viewtwist;
        v->vheight = r.viewheight;
        copy2(v->xycenter, r.viewctr);
        v->lens_len = r.lenslength;
        v->front_clip = r.frontclip;
        v->back_clip = r.backclip;
        v->version = 16;
        const int32_t f = r.statusflags;
        v->statusflags = f;
        v->view_mode = f & 31;
        v->fast_zoom = (f & 128) ? 1 : 0;
        v->ucsicon = (f & 96) >> 5;
        v->snap_status = (f & 0x100) ? 1 : 0;
        v->grid_status = (f & 0x200) ? 1 : 0;
        v->snap_style = (f & 0x400) ? 1 : 0;
        v->snap_isopair = (f & 0x3000) >> 12;
        if (v->snap_isopair == 3) v->snap_isopair = 0;
        v->hidden_plot = (f & 0x800) ? 1 : 0;
        v->snap_ang = r.snapangle * 180.0 / M_PI;
        v->cir_zoom = r.circlezoom;
        v->rendermode = r.rendermode;
        v->ucsvp = r.ucsvp;
        v->ucsorthotype = r.ucsorthotype;
        v->elevation = r.elevation;
        copy2(v->xysnap, r.snapbase);
        copy2(v->snapspace, r.snapspacing);
        copy2(v->gridspace, r.gridspacing);
        copy_point(v->ucsorg, r.ucsorg);
        copy_point(v->ucsxdir, r.ucsxdir);
        copy_point(v->ucsydir, r.ucsydir);
        dnfp__CopyName(v->stylesheet, sizeof v->stylesheet, r.stylesheet);
        if (!status) status = dnfp__GetPtrFromObjHandle(r.ucshandle, &v->ucsobjhandle);
        if (!status) status = dnfp__GetPtrFromObjHandle(r.baseucshandle, &v->baseucsobjhandle);
        if (!status) status = dnfp__GetPtrFromObjHandle(r.clipboundaryhandle, &v->clipboundobjhandle);
        if (!status) status = read_frozen_layers(v, r);
        if (!status && v->dxfhdr.thickness != 0.0) status = mda_SetTF(memory, DXFI_TF_dxf_view_port_ext);
        if (!status) status = dnfp__CreateEntity(0, dnfp_g.enthdr->handle, nullptr, memory, out, &created);
    }
    return dnfp__FinishEntity(status, memory, out, created, __FILE__, __LINE__);
}

int dnfp__ParseProxy(db_ptr *out)
{
    AdDrawing *d = dnfp_g.drawing;
    const int type = dnfp_g.enthdr->enttype;
    const AdEntProxy &r = dnfp_g.entrec->proxy;
    const int16_t plain[] = {adLwplineEnttype(d),        adOle2frameEnttype(d), adImageEnttype(d),
                             adArcAlignedTextEnttype(d), adWipeoutEnttype(d),   adRtextEnttype(d),
                             adHatchEnttype(d)};
    bool acis = r.graphicsblob != nullptr && r.acisblob != nullptr;
    for (int16_t code : plain)
        if (code != 0 && code == type) acis = false;
    if (acis) {
        AdBlobCursor *reader = adStartBlobRead(r.acisblob);
        dnfp__ReportToolkitError();
        acis = reader != nullptr;
        if (reader) adEndBlobRead(reader);
    }
    if (acis)
        return map_entity<dxf_3dsolid>(DXFI_TF_dxf_3dsolid, false, out,
                                       [](dxf_3dsolid *s, const AdEntityRecord &rec) {
                                           int opened = 0;
                                           return dnfp__ReadAcisLines(s, rec.proxy.acisblob, &opened);
                                       });
    return map_entity<dxf_proxy>(DXFI_TF_dxf_proxy, false, out,
                                 [](dxf_proxy *, const AdEntityRecord &) { return 0; });
}

} // extern "C"
