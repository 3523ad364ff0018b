/* The entity layouts of DWG releases 13 to 2000: one function per kind
 * decodes the kind's fields (after the common part that dwgreadobject
 * decoded) into the same records the DXF entity reader produces:
 *   - angles are radians in both, points 3D; an elevation becomes the z of
 *     the points that the DXF form gives with the elevation;
 *   - text and block references are handles already (no names to resolve);
 *   - DXF writers leave out what is at its default, so the records keep the
 *     DXF reader's defaults there: a text's alignment point is (0, 0) when
 *     both justifications are 0, a vertex width counts as given only when
 *     it is not 0, an extrusion counts as given when it is not (0, 0, 1);
 *   - polylines, vertices, inserts and their attributes are read as in the
 *     file; dwgloadentity stores the owned entities after their owner.
 * Release differences are tested where they occur (a2k: release 2000). */
#include <cmath>
#include <cstring>
#include <vector>

#include "toolkit/dwg/dwg_int.h"

namespace {

/* What an entity layout works on. */
struct Ent {
    AdDrawing *dwg;
    DwgObject *o;
    AdEntityHeader *h;
    AdEntityRecord *r;
    DwgBits *d;  /* data */
    DwgBits *hb; /* handle references */
    bool a2k;
    AdBytes a, b, c, dd; /* blob data */
    void ref(unsigned char *out) { getbitrefhandle(hb, o->handle, out); }
};

void extrusion(Ent &e)
{
    getbitextrusion(e.d, e.h->extrusion);
    const double *x = e.h->extrusion;
    if (x[0] != 0.0 || x[1] != 0.0 || x[2] != 1.0) e.h->flags |= AD_EHF_EXTRUSION;
}

/* The extrusion of the kinds that store it as 3BD in every release. */
void extrusion3(Ent &e)
{
    getbit3double(e.d, e.h->extrusion);
    const double *x = e.h->extrusion;
    if (x[0] != 0.0 || x[1] != 0.0 || x[2] != 1.0) e.h->flags |= AD_EHF_EXTRUSION;
}

void thickness(Ent &e) { e.h->thickness = getbitthickness(e.d); }

void set3(double *p, double x, double y, double z)
{
    p[0] = x;
    p[1] = y;
    p[2] = z;
}

/* ---------------------------------------------------------------- simple kinds */

int line(Ent &e)
{
    AdEntLine &l = e.r->line;
    if (e.a2k) {
        getbitpointpair(e.d, l.pt0, l.pt1);
        thickness(e);
        extrusion(e);
    } else {
        getbit3double(e.d, l.pt0);
        getbit3double(e.d, l.pt1);
        thickness(e);
        extrusion(e);
    }
    return 1;
}

int point(Ent &e)
{
    getbit3double(e.d, e.r->point.pt0);
    thickness(e);
    extrusion(e);
    e.r->point.xaxisang = getbitdouble(e.d);
    return 1;
}

int circle(Ent &e)
{
    getbit3double(e.d, e.r->circle.pt0);
    e.r->circle.radius = getbitdouble(e.d);
    thickness(e);
    extrusion(e);
    return 1;
}

int arc(Ent &e)
{
    AdEntArc &a = e.r->arc;
    getbit3double(e.d, a.pt0);
    a.radius = getbitdouble(e.d);
    thickness(e);
    extrusion(e);
    a.stang = getbitdouble(e.d);
    a.endang = getbitdouble(e.d);
    return 1;
}

int ellipse(Ent &e)
{
    AdEntEllipse &l = e.r->ellipse;
    getbit3double(e.d, l.pt0);
    getbit3double(e.d, l.pt1);
    extrusion3(e);
    l.minortomajor = getbitdouble(e.d);
    l.startparam = getbitdouble(e.d);
    l.endparam = getbitdouble(e.d);
    return 1;
}

int rayxline(Ent &e)
{
    getbit3double(e.d, e.r->line.pt0);
    getbit3double(e.d, e.r->line.pt1);
    return 1;
}

int solid(Ent &e)
{
    AdEntTrace &t = e.r->trace;
    thickness(e);
    double z = getbitdouble(e.d);
    double *pts[4] = {t.pt0, t.pt1, t.pt2, t.pt3};
    for (double *p : pts) {
        getbit2rawdouble(e.d, p);
        p[2] = z;
    }
    extrusion(e);
    return 1;
}

int face3d(Ent &e)
{
    AdEntFace3d &f = e.r->face3d;
    if (e.a2k) {
        int noflags = getbitbitfn(e.d);
        int flat = getbitbitfn(e.d);
        f.pt0[0] = getbitrawdouble(e.d);
        f.pt0[1] = getbitrawdouble(e.d);
        f.pt0[2] = flat ? 0.0 : getbitrawdouble(e.d);
        getbitpointwithdefault(e.d, f.pt0, f.pt1);
        getbitpointwithdefault(e.d, f.pt1, f.pt2);
        getbitpointwithdefault(e.d, f.pt2, f.pt3);
        if (!noflags) f.invisflags = getbitshort(e.d);
    } else {
        getbit3double(e.d, f.pt0);
        getbit3double(e.d, f.pt1);
        getbit3double(e.d, f.pt2);
        getbit3double(e.d, f.pt3);
        f.invisflags = getbitshort(e.d);
    }
    return 1;
}

int shape(Ent &e)
{
    AdEntShape &s = e.r->shape;
    getbit3double(e.d, s.pt0);
    s.size = getbitdouble(e.d);
    s.rotang = getbitdouble(e.d);
    s.widthfactor = getbitdouble(e.d);
    s.oblique = getbitdouble(e.d);
    e.h->thickness = getbitdouble(e.d);
    s.shapenum = getbitshort(e.d);
    extrusion3(e);
    e.ref(s.stylehandle);
    return 1;
}

/* ---------------------------------------------------------------- texts */

struct TextCommon {
    double pt0[3], alignpt[3];
    double height, rotang, widthfactor, oblique;
    unsigned char generation, hjust, vjust;
};

void textcommon(Ent &e, TextCommon &t, char *text, size_t capacity)
{
    DwgBits *d = e.d;
    t.widthfactor = 1.0;
    t.oblique = t.rotang = 0.0;
    t.generation = t.hjust = t.vjust = 0;
    if (e.a2k) {
        unsigned flags = getbitrawbyte(d);
        double elevation = flags & 0x01 ? 0.0 : getbitrawdouble(d);
        getbit2rawdouble(d, t.pt0);
        t.pt0[2] = elevation;
        if (flags & 0x02) {
            t.alignpt[0] = t.pt0[0];
            t.alignpt[1] = t.pt0[1];
        } else {
            t.alignpt[0] = getbitdoublewithdefault(d, t.pt0[0]);
            t.alignpt[1] = getbitdoublewithdefault(d, t.pt0[1]);
        }
        t.alignpt[2] = elevation;
        extrusion(e);
        thickness(e);
        if (!(flags & 0x04)) t.oblique = getbitrawdouble(d);
        if (!(flags & 0x08)) t.rotang = getbitrawdouble(d);
        t.height = getbitrawdouble(d);
        if (!(flags & 0x10)) t.widthfactor = getbitrawdouble(d);
        getbitstring(d, text, capacity);
        if (!(flags & 0x20)) t.generation = static_cast<unsigned char>(getbitshort(d));
        if (!(flags & 0x40)) t.hjust = static_cast<unsigned char>(getbitshort(d));
        if (!(flags & 0x80)) t.vjust = static_cast<unsigned char>(getbitshort(d));
    } else {
        double elevation = getbitdouble(d);
        getbit2rawdouble(d, t.pt0);
        t.pt0[2] = elevation;
        getbit2rawdouble(d, t.alignpt);
        t.alignpt[2] = elevation;
        extrusion(e);
        thickness(e);
        t.oblique = getbitdouble(d);
        t.rotang = getbitdouble(d);
        t.height = getbitdouble(d);
        t.widthfactor = getbitdouble(d);
        getbitstring(d, text, capacity);
        t.generation = static_cast<unsigned char>(getbitshort(d));
        t.hjust = static_cast<unsigned char>(getbitshort(d));
        t.vjust = static_cast<unsigned char>(getbitshort(d));
    }
    if (t.hjust == 0 && t.vjust == 0) t.alignpt[0] = t.alignpt[1] = t.alignpt[2] = 0.0;
}

int text(Ent &e)
{
    AdEntText &x = e.r->text;
    TextCommon t;
    textcommon(e, t, x.text, sizeof x.text);
    std::memcpy(x.pt0, t.pt0, sizeof x.pt0);
    x.height = t.height;
    x.rotang = t.rotang;
    x.widthfactor = t.widthfactor;
    x.oblique = t.oblique;
    x.generationflag = t.generation;
    x.hjust = t.hjust;
    x.vjust = t.vjust;
    x.alignpt[0] = t.alignpt[0];
    x.alignpt[1] = t.alignpt[1];
    e.ref(x.stylehandle);
    return 1;
}

int attrib(Ent &e)
{
    AdEntAttrib &x = e.r->attrib;
    TextCommon t;
    textcommon(e, t, x.attval, sizeof x.attval);
    getbitstring(e.d, x.tag, sizeof x.tag);
    x.fieldlen = getbitshort(e.d);
    x.flag = getbitrawbyte(e.d);
    std::memcpy(x.pt0, t.pt0, sizeof x.pt0);
    x.height = t.height;
    x.rotang = t.rotang;
    x.widthfactor = t.widthfactor;
    x.oblique = t.oblique;
    x.generationflag = t.generation;
    x.hjust = t.hjust;
    x.vjust = t.vjust;
    std::memcpy(x.alignpt, t.alignpt, sizeof x.alignpt);
    e.ref(x.stylehandle);
    return 1;
}

int attdef(Ent &e)
{
    AdEntAttdef &x = e.r->attdef;
    TextCommon t;
    textcommon(e, t, x.defval, sizeof x.defval);
    getbitstring(e.d, x.tag, sizeof x.tag);
    x.fieldlen = getbitshort(e.d);
    x.flag = getbitrawbyte(e.d);
    getbitstring(e.d, x.prompt, sizeof x.prompt);
    std::memcpy(x.pt0, t.pt0, sizeof x.pt0);
    x.height = t.height;
    x.rotang = t.rotang;
    x.widthfactor = t.widthfactor;
    x.oblique = t.oblique;
    x.generationflag = t.generation;
    x.hjust = t.hjust;
    x.vjust = t.vjust;
    x.alignpt[0] = t.alignpt[0];
    x.alignpt[1] = t.alignpt[1];
    e.ref(x.stylehandle);
    return 1;
}

int mtext(Ent &e)
{
    AdEntMtext &m = e.r->mtext;
    DwgBits *d = e.d;
    getbit3double(d, m.pt0);
    extrusion3(e);
    getbit3double(d, m.xdir);
    m.refwidth = getbitdouble(d);
    m.height = getbitdouble(d);
    m.attachpoint = static_cast<unsigned char>(getbitshort(d));
    m.drawingdir = static_cast<unsigned char>(getbitshort(d));
    m.boxheight = getbitdouble(d);
    m.boxwidth = getbitdouble(d);
    /* the text: in the text field when it is short, else in the blob as
       the chunks a DXF file gives it in */
    uint16_t len = static_cast<uint16_t>(getbitshort(d));
    if (static_cast<uint64_t>(len) * 8 > dwgbitsleft(d)) {
        d->error = 1;
        return -1;
    }
    if (len <= 250) {
        getbitnrawbytes(d, m.text, len);
        m.text[len] = '\0';
        m.text[strnlen(m.text, len)] = '\0';
    } else {
        for (uint16_t i = 0; i < len; ++i) {
            unsigned char c = getbitrawbyte(d);
            if (c) adbytesput(&e.a, &c, 1);
        }
        if (e.a.failed) return -1;
        m.textblob = adbytesblob(&e.a);
        if (!m.textblob) return -1;
    }
    if (e.a2k) {
        m.linespacingstyle = getbitshort(d);
        m.linespacingfactor = getbitdouble(d);
        getbitbitfn(d);
    }
    e.ref(m.stylehandle);
    return 1;
}

/* ---------------------------------------------------------------- blocks and inserts */

int block(Ent &e)
{
    char name[AD_NAME_LEN];
    getbitstring(e.d, name, sizeof name);
    std::memcpy(e.r->block.name2, name, sizeof name);
    return 1;
}

int nothing(Ent &) { return 1; }

/* The owned entities of a polyline or insert: their first and last and
 * the SEQEND go to the load's pending list. */
void owned(Ent &e, bool present)
{
    AdObjhandle first{}, last{}, seqend{};
    if (present) {
        e.ref(first);
        e.ref(last);
        e.ref(seqend);
    }
    AdDwgLoad *s = e.dwg->dwg;
    std::memcpy(s->ownfirst, first, 8);
    std::memcpy(s->ownlast, last, 8);
    std::memcpy(s->ownseqend, seqend, 8);
    s->owns = present ? 1 : 0;
}

void insertcommon(Ent &e, bool minsert)
{
    AdEntInsert &in = e.r->insert;
    DwgBits *d = e.d;
    getbit3double(d, in.pt0);
    if (e.a2k) {
        switch (getbit2bits(d)) {
        case 3: in.xscale = in.yscale = in.zscale = 1.0; break;
        case 1:
            in.xscale = 1.0;
            in.yscale = getbitdoublewithdefault(d, 1.0);
            in.zscale = getbitdoublewithdefault(d, 1.0);
            break;
        case 2: in.xscale = in.yscale = in.zscale = getbitrawdouble(d); break;
        default:
            in.xscale = getbitrawdouble(d);
            in.yscale = getbitdoublewithdefault(d, in.xscale);
            in.zscale = getbitdoublewithdefault(d, in.xscale);
            break;
        }
    } else {
        in.xscale = getbitdouble(d);
        in.yscale = getbitdouble(d);
        in.zscale = getbitdouble(d);
    }
    in.rotang = getbitdouble(d);
    extrusion3(e);
    int atts = getbitbitfn(d);
    in.attribsfollow = static_cast<int16_t>(atts);
    in.numrows = in.numcols = 1;
    if (minsert) {
        in.numcols = getbitshort(d);
        in.numrows = getbitshort(d);
        in.colspacing = getbitdouble(d);
        in.rowspacing = getbitdouble(d);
    }
    e.ref(in.blockheaderhandle);
    owned(e, atts != 0);
}

int insert(Ent &e)
{
    insertcommon(e, false);
    return 1;
}

int minsert(Ent &e)
{
    insertcommon(e, true);
    return 1;
}

/* ---------------------------------------------------------------- polylines */

int polyline2d(Ent &e)
{
    AdEntPolyline &p = e.r->pline;
    DwgBits *d = e.d;
    p.flag = getbitshort(d);
    p.polyfittype = getbitshort(d);
    p.startwidth = getbitdouble(d);
    p.endwidth = getbitdouble(d);
    thickness(e);
    p.elevation = getbitdouble(d);
    extrusion(e);
    owned(e, true);
    return 1;
}

int polyline3d(Ent &e)
{
    AdEntPolyline &p = e.r->pline;
    unsigned spline = getbitrawbyte(e.d);
    unsigned closed = getbitrawbyte(e.d);
    p.flag = static_cast<int16_t>(8 | (closed & 1) | (spline & 3 ? 4 : 0));
    if (spline & 3) p.polyfittype = static_cast<int16_t>(spline == 1 ? 5 : 6);
    owned(e, true);
    return 1;
}

int polylinepface(Ent &e)
{
    AdEntPolyline &p = e.r->pline;
    p.flag = 64;
    p.mcount = getbitshort(e.d);
    p.ncount = getbitshort(e.d);
    owned(e, true);
    return 1;
}

int polylinemesh(Ent &e)
{
    AdEntPolyline &p = e.r->pline;
    DwgBits *d = e.d;
    p.flag = static_cast<int16_t>(getbitshort(d) | 16);
    p.polyfittype = getbitshort(d);
    p.mcount = getbitshort(d);
    p.ncount = getbitshort(d);
    p.mdensity = getbitshort(d);
    p.ndensity = getbitshort(d);
    owned(e, true);
    return 1;
}

int vertex2d(Ent &e)
{
    AdEntVertex &v = e.r->vertex;
    DwgBits *d = e.d;
    v.flag = getbitrawbyte(d);
    getbit3double(d, v.pt0);
    double sw = getbitdouble(d);
    if (sw < 0) {
        v.startwidth = v.endwidth = -sw;
    } else {
        v.startwidth = sw;
        v.endwidth = getbitdouble(d);
    }
    v.startwidthgiven = v.startwidth != 0.0;
    v.endwidthgiven = v.endwidth != 0.0;
    v.bulge = getbitdouble(d);
    v.tangentdir = getbitdouble(d);
    return 1;
}

int vertex3d(Ent &e)
{
    AdEntVertex &v = e.r->vertex;
    v.flag = getbitrawbyte(e.d);
    getbit3double(e.d, v.pt0);
    return 1;
}

int vertexface(Ent &e)
{
    AdEntVertex &v = e.r->vertex;
    v.flag = 128;
    for (int i = 0; i < 4; ++i) {
        v.polyfaceindex[i] = getbitshort(e.d);
        if (v.polyfaceindex[i] != 0) v.numfaceindices = static_cast<unsigned char>(i + 1);
    }
    if (v.numfaceindices < 3) v.numfaceindices = 3;
    return 1;
}

/* ---------------------------------------------------------------- dimensions */

/* The fields every dimension has; type is the DXF dimension type. */
void dimcommon(Ent &e, int type)
{
    AdEntDimension &m = e.r->dim;
    DwgBits *d = e.d;
    extrusion3(e);
    double mid[2];
    getbit2rawdouble(d, mid);
    double elevation = getbitdouble(d);
    set3(m.textmidpt, mid[0], mid[1], elevation);
    unsigned flags = getbitrawbyte(d);
    m.dimflag = static_cast<unsigned char>(type | (flags & 2 ? 32 : 0) | (flags & 1 ? 0 : 128));
    getbitstring(d, m.dimtext, sizeof m.dimtext);
    m.textrot = getbitdouble(d);
    m.horizdir = getbitdouble(d);
    double scale[3];
    getbit3double(d, scale);
    m.angle54 = getbitdouble(d);
    if (e.a2k) {
        m.attachpoint = getbitshort(d);
        m.linespacingstyle = getbitshort(d);
        m.linespacingfactor = getbitdouble(d);
        m.actualmeasurement = getbitdouble(d);
    }
    double clone[2];
    getbit2rawdouble(d, clone);
    set3(m.clonepoint, clone[0], clone[1], elevation);
    m.clonepointgiven = 1;
}

void dimhandles(Ent &e)
{
    e.ref(e.r->dim.dimstylehandle);
    e.ref(e.r->dim.blockheaderhandle);
}

int dimordinate(Ent &e)
{
    AdEntDimension &m = e.r->dim;
    dimcommon(e, 6);
    getbit3double(e.d, m.defpt);
    getbit3double(e.d, m.defpt2);
    getbit3double(e.d, m.defpt3);
    if (getbitrawbyte(e.d) & 1) m.dimflag |= 64;
    dimhandles(e);
    return 1;
}

int dimlinear(Ent &e)
{
    AdEntDimension &m = e.r->dim;
    dimcommon(e, 0);
    getbit3double(e.d, m.defpt2);
    getbit3double(e.d, m.defpt3);
    getbit3double(e.d, m.defpt);
    m.oblique = getbitdouble(e.d);
    m.rotang = getbitdouble(e.d);
    dimhandles(e);
    return 1;
}

int dimaligned(Ent &e)
{
    AdEntDimension &m = e.r->dim;
    dimcommon(e, 1);
    getbit3double(e.d, m.defpt2);
    getbit3double(e.d, m.defpt3);
    getbit3double(e.d, m.defpt);
    m.oblique = getbitdouble(e.d);
    dimhandles(e);
    return 1;
}

int dimang3pt(Ent &e)
{
    AdEntDimension &m = e.r->dim;
    dimcommon(e, 5);
    getbit3double(e.d, m.defpt);
    getbit3double(e.d, m.defpt2);
    getbit3double(e.d, m.defpt3);
    getbit3double(e.d, m.defpt5);
    dimhandles(e);
    return 1;
}

int dimang2ln(Ent &e)
{
    AdEntDimension &m = e.r->dim;
    dimcommon(e, 2);
    double p16[2];
    getbit2rawdouble(e.d, p16);
    set3(m.defpt4, p16[0], p16[1], m.textmidpt[2]);
    getbit3double(e.d, m.defpt2);
    getbit3double(e.d, m.defpt3);
    getbit3double(e.d, m.defpt5);
    getbit3double(e.d, m.defpt);
    dimhandles(e);
    return 1;
}

int dimradius(Ent &e)
{
    AdEntDimension &m = e.r->dim;
    dimcommon(e, 4);
    getbit3double(e.d, m.defpt);
    getbit3double(e.d, m.defpt5);
    m.leaderlen = getbitdouble(e.d);
    dimhandles(e);
    return 1;
}

int dimdiameter(Ent &e)
{
    AdEntDimension &m = e.r->dim;
    dimcommon(e, 3);
    getbit3double(e.d, m.defpt5);
    getbit3double(e.d, m.defpt);
    m.leaderlen = getbitdouble(e.d);
    dimhandles(e);
    return 1;
}

/* ---------------------------------------------------------------- curves and composites */

} // namespace

/* The cubic B-spline through fit points with the given end tangents
 * (global interpolation, chord-length parameters), as the DXF form of a
 * spline given by fit data carries it: knots 0 (4 times), the cumulative
 * chord lengths, the total (4 times); n + 2 control points. The DWG form
 * keeps only the fit data. An end whose tangent the file does not give
 * (a zero vector) ends without curvature there. Each point condition
 * touches three neighbouring control points, so the system is tridiagonal
 * and is solved in linear time and memory. False when it cannot be formed. */
int dwgfitspline(const double *q, uint32_t n, const double *t0, const double *t1, AdBytes *knots,
                 AdBytes *ctl)
{
    if (n < 2 || n > 1000000) return 0;
    std::vector<double> u(n, 0.0);
    for (uint32_t k = 1; k < n; ++k) {
        double dx = q[3 * k] - q[3 * k - 3], dy = q[3 * k + 1] - q[3 * k - 2],
               dz = q[3 * k + 2] - q[3 * k - 1];
        u[k] = u[k - 1] + std::sqrt(dx * dx + dy * dy + dz * dz);
        if (!(u[k] > u[k - 1]) || !std::isfinite(u[k])) return 0;
    }
    const uint32_t m = n + 2; /* control points */
    std::vector<double> U;
    U.insert(U.end(), 4, 0.0);
    for (uint32_t k = 1; k + 1 < n; ++k) U.push_back(u[k]);
    U.insert(U.end(), 4, u[n - 1]);
    auto unit = [](const double *v, double *out) {
        double l = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        for (int i = 0; i < 3; ++i) out[i] = l > 0 ? v[i] / l : 0.0;
        return l > 0 && std::isfinite(l);
    };
    /* Unknowns are the control points 1 .. m - 2 (row r solves point r + 1):
       sub[r], diag[r], super[r] are the coefficients of points r, r + 1 and
       r + 2, rhs[r] the right-hand side. */
    std::vector<double> sub(n, 0.0), diag(n, 0.0), super(n, 0.0), rhs(3 * static_cast<size_t>(n), 0.0);
    const double L = u[n - 1];
    double d[3];
    if (unit(t0, d)) {
        diag[0] = 1.0;
        for (int i = 0; i < 3; ++i) rhs[i] = q[i] + U[4] / 3.0 * d[i];
    } else { /* (P1 - P0) / U4 = (P2 - P1) / U5 */
        diag[0] = 1.0 / U[4] + 1.0 / U[5];
        super[0] = -1.0 / U[5];
        for (int i = 0; i < 3; ++i) rhs[i] = q[i] / U[4];
    }
    for (uint32_t k = 1; k + 1 < n; ++k) {
        /* the basis functions of degree 3 at the knot u[k] = U[k + 3]: those
           of the control points k, k + 1 and k + 2 (that of k + 3 is 0) */
        const double x = u[k];
        const uint32_t j = k + 3;
        double N[4] = {1, 0, 0, 0}, left[4], right[4];
        for (int r = 1; r <= 3; ++r) {
            left[r] = x - U[j + 1 - r];
            right[r] = U[j + r] - x;
            double saved = 0.0;
            for (int s2 = 0; s2 < r; ++s2) {
                double tmp = N[s2] / (right[s2 + 1] + left[r - s2]);
                N[s2] = saved + right[s2 + 1] * tmp;
                saved = left[r - s2] * tmp;
            }
            N[r] = saved;
        }
        sub[k] = N[0];
        diag[k] = N[1];
        super[k] = N[2];
        for (int i = 0; i < 3; ++i) rhs[3 * k + i] = q[3 * k + i];
    }
    const double *qn = q + 3 * (n - 1);
    if (unit(t1, d)) {
        sub[n - 1] = 0.0;
        diag[n - 1] = 1.0;
        for (int i = 0; i < 3; ++i) rhs[3 * (n - 1) + i] = qn[i] - (L - U[m - 1]) / 3.0 * d[i];
    } else { /* (P[m-2] - P[m-3]) / (L - U[m-2]) = (P[m-1] - P[m-2]) / (L - U[m-1]) */
        const double a = L - U[m - 2], b = L - U[m - 1];
        sub[n - 1] = -1.0 / a;
        diag[n - 1] = 1.0 / a + 1.0 / b;
        for (int i = 0; i < 3; ++i) rhs[3 * (n - 1) + i] = qn[i] / b;
    }
    /* The row of the start's point 0 and of the end's point m - 1 are known:
       they moved to the right-hand sides above, so the first row has no
       sub-diagonal and the last none above the diagonal. */
    sub[0] = 0.0;
    super[n - 1] = 0.0;
    for (uint32_t r = 1; r < n; ++r) {
        if (!(std::fabs(diag[r - 1]) > 1e-300)) return 0;
        const double f = sub[r] / diag[r - 1];
        diag[r] -= f * super[r - 1];
        for (int i = 0; i < 3; ++i) rhs[3 * r + i] -= f * rhs[3 * (r - 1) + i];
    }
    std::vector<double> P(3 * static_cast<size_t>(m), 0.0);
    for (int i = 0; i < 3; ++i) {
        P[i] = q[i];
        P[3 * (m - 1) + i] = qn[i];
    }
    for (uint32_t r = n; r-- > 0;) {
        if (!(std::fabs(diag[r]) > 1e-300)) return 0;
        for (int i = 0; i < 3; ++i) {
            double v = rhs[3 * r + i];
            if (r + 1 < n) v -= super[r] * P[3 * (r + 2) + i];
            P[3 * (r + 1) + i] = v / diag[r];
        }
    }
    for (double v : P)
        if (!std::isfinite(v)) return 0;
    adbytesput(knots, U.data(), U.size() * sizeof(double));
    adbytesput(ctl, P.data(), P.size() * sizeof(double));
    return !knots->failed && !ctl->failed;
}

namespace {

int spline(Ent &e)
{
    AdEntSpline &s = e.r->spline;
    DwgBits *d = e.d;
    int32_t scenario = getbitshort(d);
    s.degree = getbitshort(d);
    uint32_t nknots = 0, nctl = 0, nfit = 0;
    bool weights = false;
    if (scenario == 2) {
        s.fittol = getbitdouble(d);
        getbit3double(d, s.sttandir);
        getbit3double(d, s.endtandir);
        nfit = getbitcount(d, getbitlong(d), 6 * 2);
    } else if (scenario == 1) {
        int rational = getbitbitfn(d);
        int closed = getbitbitfn(d);
        int periodic = getbitbitfn(d);
        s.knottol = getbitdouble(d);
        s.ctltol = getbitdouble(d);
        nknots = getbitcount(d, getbitlong(d), 2);
        nctl = getbitcount(d, getbitlong(d), 6);
        weights = getbitbitfn(d) != 0;
        s.flag = static_cast<int16_t>((closed ? 1 : 0) | (periodic ? 2 : 0) | (rational ? 4 : 0));
    } else {
        d->error = 1;
        return -1;
    }
    for (uint32_t i = 0; i < nknots && !d->error; ++i) {
        double k = getbitdouble(d);
        adbytesput(&e.a, &k, 8);
    }
    for (uint32_t i = 0; i < nctl && !d->error; ++i) {
        double p[4];
        getbit3double(d, p);
        p[3] = weights ? getbitdouble(d) : 1.0;
        adbytesput(&e.b, p, s.flag & 4 ? 32 : 24);
    }
    for (uint32_t i = 0; i < nfit && !d->error; ++i) {
        double p[3];
        getbit3double(d, p);
        adbytesput(&e.c, p, 24);
    }
    if (d->error || e.a.failed || e.b.failed || e.c.failed) return -1;
    if (scenario == 2 && s.degree == 3 && nfit >= 2 &&
        dwgfitspline(reinterpret_cast<const double *>(e.c.p), nfit, s.sttandir, s.endtandir, &e.a, &e.b)) {
        nknots = nfit + 6;
        nctl = nfit + 2;
    }
    s.numknots = static_cast<int32_t>(nknots);
    s.numctlpts = static_cast<int32_t>(nctl);
    s.numfitpts = static_cast<int32_t>(nfit);
    s.knotblob = adbytesblob(&e.a);
    s.ctlblob = adbytesblob(&e.b);
    s.fitblob = adbytesblob(&e.c);
    return 1;
}

int leader(Ent &e)
{
    AdEntLeader &l = e.r->leader;
    DwgBits *d = e.d;
    getbitbitfn(d);
    l.creationflag = getbitshort(d);
    l.pathtype = static_cast<unsigned char>(getbitshort(d));
    uint32_t n = getbitcount(d, getbitlong(d), 6);
    for (uint32_t i = 0; i < n && !d->error; ++i) {
        double p[3];
        getbit3double(d, p);
        adbytesput(&e.a, p, 24);
    }
    double endpt[3];
    getbit3double(d, endpt);
    extrusion3(e);
    std::memcpy(l.normal, e.h->extrusion, sizeof l.normal);
    getbit3double(d, l.horizdir);
    getbit3double(d, l.blockoffset);
    if (e.dwg->version >= AD_ACAD14) getbit3double(d, l.annotationoffset);
    if (!e.a2k) getbitdouble(d); /* the dimension gap */
    l.textheight = getbitdouble(d);
    l.textwidth = getbitdouble(d);
    l.hookdir = static_cast<unsigned char>(getbitbitfn(d));
    l.arrowheadflag = static_cast<unsigned char>(getbitbitfn(d));
    if (!e.a2k) {
        getbitshort(d);  /* arrowhead type */
        getbitdouble(d); /* arrowhead size */
        getbitbitfn(d);
        getbitbitfn(d);
        getbitshort(d);
        l.colorinfo = getbitshort(d);
        getbitbitfn(d);
        getbitbitfn(d);
    } else {
        l.colorinfo = getbitshort(d);
        getbitbitfn(d);
        getbitbitfn(d);
    }
    if (d->error || e.a.failed) return -1;
    l.numpoints = static_cast<int32_t>(n);
    l.ptblob = adbytesblob(&e.a);
    e.ref(l.associatedannotation);
    e.ref(l.dimstylehandle);
    return 1;
}

int tolerance(Ent &e)
{
    AdEntTolerance &t = e.r->tolerance;
    DwgBits *d = e.d;
    if (!e.a2k) {
        getbitshort(d);
        getbitdouble(d);
        getbitdouble(d);
    }
    getbit3double(d, t.pt0);
    getbit3double(d, t.xdir);
    extrusion3(e);
    getbitstring(d, t.text, sizeof t.text);
    e.ref(t.dimstylehandle);
    return 1;
}

int mline(Ent &e)
{
    AdEntMline &m = e.r->mline;
    DwgBits *d = e.d;
    m.scale = getbitdouble(d);
    m.justification = getbitrawbyte(d);
    getbit3double(d, m.startpt);
    extrusion3(e);
    m.flags = getbitshort(d);
    unsigned lines = getbitrawbyte(d);
    m.numlines = static_cast<int16_t>(lines);
    uint32_t nverts = getbitcount(d, static_cast<uint16_t>(getbitshort(d)), 18);
    for (uint32_t v = 0; v < nverts && !d->error; ++v) {
        double p[9];
        for (int i = 0; i < 3; ++i) getbit3double(d, p + 3 * i);
        adbytesput(&e.a, p, sizeof p);
        for (unsigned l = 0; l < lines && !d->error; ++l) {
            for (int k = 0; k < 2; ++k) {
                uint32_t n = getbitcount(d, getbitshort(d), 2);
                int16_t n16 = static_cast<int16_t>(n);
                adbytesput(&e.a, &n16, 2);
                for (uint32_t j = 0; j < n; ++j) {
                    double v2 = getbitdouble(d);
                    adbytesput(&e.a, &v2, 8);
                }
            }
        }
    }
    if (d->error || e.a.failed) return -1;
    m.numverts = static_cast<int32_t>(nverts);
    m.vertblob = adbytesblob(&e.a);
    e.ref(m.mlstylehandle);
    return 1;
}

int lwpline(Ent &e)
{
    AdEntLwpline &l = e.r->lwpline;
    DwgBits *d = e.d;
    int16_t flag = getbitshort(d);
    if (flag & 4) l.constwidth = getbitdouble(d);
    if (flag & 8) l.elevation = getbitdouble(d);
    if (flag & 2) e.h->thickness = getbitdouble(d);
    if (flag & 1) extrusion3(e);
    uint32_t n = getbitcount(d, getbitlong(d), e.a2k ? 4 : 128);
    uint32_t nbulges = flag & 16 ? getbitcount(d, getbitlong(d), 2) : 0;
    uint32_t nwidths = flag & 32 ? getbitcount(d, getbitlong(d), 4) : 0;
    if (d->error) return -1;
    /* x, y, bulge, start and end width per vertex */
    double *v = static_cast<double *>(ztmem_malloc(sizeof(double) * 5 * (n ? n : 1)));
    if (!v) return -1;
    for (uint32_t i = 0; i < n; ++i) {
        double *p = v + 5 * i;
        if (!e.a2k || i == 0) {
            p[0] = getbitrawdouble(d);
            p[1] = getbitrawdouble(d);
        } else {
            p[0] = getbitdoublewithdefault(d, p[-5]);
            p[1] = getbitdoublewithdefault(d, p[-4]);
        }
        p[2] = p[3] = p[4] = 0.0;
    }
    for (uint32_t i = 0; i < nbulges; ++i) {
        double b = getbitdouble(d);
        if (i < n) v[5 * i + 2] = b >= 1.0e16 ? 0.0 : b;
    }
    for (uint32_t i = 0; i < nwidths; ++i) {
        double s = getbitdouble(d), t = getbitdouble(d);
        if (i < n) {
            v[5 * i + 3] = s;
            v[5 * i + 4] = t;
        }
    }
    l.flag = 0;
    if (l.constwidth != 0.0) l.flag |= AD_LWPLINE_CONSTWIDTH;
    if (flag & 256) l.flag |= AD_LWPLINE_PLINEGEN;
    if (flag & 512) l.flag |= AD_LWPLINE_CLOSED;
    for (uint32_t i = 0; i < n; ++i) {
        if (v[5 * i + 2] != 0.0) l.flag |= AD_LWPLINE_HAS_BULGES;
        if (v[5 * i + 3] != 0.0 || v[5 * i + 4] != 0.0) l.flag |= AD_LWPLINE_HAS_WIDTHS;
    }
    bool bulges = l.flag & AD_LWPLINE_HAS_BULGES, widths = l.flag & AD_LWPLINE_HAS_WIDTHS;
    for (uint32_t i = 0; i < n; ++i) {
        adbytesput(&e.a, v + 5 * i, 16);
        if (bulges) adbytesput(&e.a, v + 5 * i + 2, 8);
        if (widths) adbytesput(&e.a, v + 5 * i + 3, 16);
    }
    ztmem_free(v);
    if (d->error || e.a.failed) return -1;
    l.numverts = static_cast<int32_t>(n);
    l.vertblob = adbytesblob(&e.a);
    return 1;
}

bool put16(AdBytes *b, int16_t v) { return adbytesput(b, &v, 2) != 0; }
bool put32(AdBytes *b, int32_t v) { return adbytesput(b, &v, 4) != 0; }
bool putd(AdBytes *b, double v) { return adbytesput(b, &v, 8) != 0; }

int hatch(Ent &e)
{
    AdEntHatch &h = e.r->hatch;
    DwgBits *d = e.d;
    double z = getbitdouble(d);
    h.pt0[2] = z;
    extrusion3(e);
    getbitstring(d, h.patternname, sizeof h.patternname);
    h.solidfill = static_cast<int16_t>(getbitbitfn(d));
    h.associativity = static_cast<int16_t>(getbitbitfn(d));
    uint32_t npaths = getbitcount(d, getbitlong(d), 4);
    bool derived = false;
    uint64_t nsources = 0;
    for (uint32_t p = 0; p < npaths && !d->error; ++p) {
        int32_t flags = getbitlong(d);
        if (flags & 4) derived = true;
        put32(&e.a, flags);
        if (!(flags & 2)) {
            uint32_t nedges = getbitcount(d, getbitlong(d), 8);
            put32(&e.a, static_cast<int32_t>(nedges));
            for (uint32_t i = 0; i < nedges && !d->error; ++i) {
                unsigned char type = getbitrawbyte(d);
                adbytesput(&e.a, &type, 1);
                double v[8];
                switch (type) {
                case 1:
                    getbit2rawdouble(d, v);
                    getbit2rawdouble(d, v + 2);
                    for (int k = 0; k < 4; ++k) putd(&e.a, v[k]);
                    break;
                case 2:
                    getbit2rawdouble(d, v);
                    v[2] = getbitdouble(d);
                    v[3] = getbitdouble(d);
                    v[4] = getbitdouble(d);
                    for (int k = 0; k < 5; ++k) putd(&e.a, v[k]);
                    put16(&e.a, static_cast<int16_t>(getbitbitfn(d)));
                    break;
                case 3: {
                    getbit2rawdouble(d, v);
                    getbit2rawdouble(d, v + 2);
                    v[4] = getbitdouble(d);
                    double s = adEllipseParameterFromAngle(getbitdouble(d), v[4]);
                    double t = adEllipseParameterFromAngle(getbitdouble(d), v[4]);
                    if (s < 0 || t < 0) {
                        s += 2 * M_PI;
                        t += 2 * M_PI;
                    }
                    v[5] = s;
                    v[6] = t;
                    for (int k = 0; k < 7; ++k) putd(&e.a, v[k]);
                    put16(&e.a, static_cast<int16_t>(getbitbitfn(d)));
                    break;
                }
                case 4: {
                    int32_t degree = getbitlong(d);
                    int16_t rational = static_cast<int16_t>(getbitbitfn(d));
                    int16_t periodic = static_cast<int16_t>(getbitbitfn(d));
                    uint32_t nk = getbitcount(d, getbitlong(d), 2);
                    uint32_t nc = getbitcount(d, getbitlong(d), 128);
                    put32(&e.a, degree);
                    put16(&e.a, rational);
                    put16(&e.a, periodic);
                    put32(&e.a, static_cast<int32_t>(nk));
                    put32(&e.a, static_cast<int32_t>(nc));
                    for (uint32_t k = 0; k < nk; ++k) putd(&e.a, getbitdouble(d));
                    AdBytes w{};
                    for (uint32_t k = 0; k < nc; ++k) {
                        getbit2rawdouble(d, v);
                        putd(&e.a, v[0]);
                        putd(&e.a, v[1]);
                        if (rational) putd(&w, getbitdouble(d));
                    }
                    if (w.n) adbytesput(&e.a, w.p, w.n);
                    adbytesfree(&w);
                    break;
                }
                default: d->error = 1; break;
                }
            }
        } else {
            int16_t hasbulge = static_cast<int16_t>(getbitbitfn(d));
            int16_t closed = static_cast<int16_t>(getbitbitfn(d));
            uint32_t n = getbitcount(d, getbitlong(d), 128);
            put16(&e.a, hasbulge);
            put16(&e.a, closed);
            put32(&e.a, static_cast<int32_t>(n));
            for (uint32_t i = 0; i < n && !d->error; ++i) {
                double v[2];
                getbit2rawdouble(d, v);
                putd(&e.a, v[0]);
                putd(&e.a, v[1]);
                if (hasbulge) putd(&e.a, getbitdouble(d));
            }
        }
        uint32_t nsrc = getbitcount(d, getbitlong(d), 0);
        put32(&e.a, static_cast<int32_t>(nsrc));
        nsources += nsrc;
    }
    h.hatchstyle = getbitshort(d);
    h.patterntype = getbitshort(d);
    if (!h.solidfill) {
        h.patternangle = getbitdouble(d);
        h.patternscale = getbitdouble(d);
        h.patterndouble = static_cast<int16_t>(getbitbitfn(d));
        uint32_t nlines = getbitcount(d, getbitshort(d), 10);
        for (uint32_t i = 0; i < nlines && !d->error; ++i) {
            double v[5];
            for (double &y : v) y = getbitdouble(d);
            for (double y : v) putd(&e.c, y);
            uint32_t nd = getbitcount(d, getbitshort(d), 2);
            put16(&e.c, static_cast<int16_t>(nd));
            for (uint32_t k = 0; k < nd; ++k) putd(&e.c, getbitdouble(d));
        }
        h.numpatlines = static_cast<int16_t>(nlines);
    }
    if (derived) h.pixelsize = getbitdouble(d);
    uint32_t nseeds = getbitcount(d, getbitlong(d), 128);
    for (uint32_t i = 0; i < nseeds && !d->error; ++i) {
        double v[2];
        getbit2rawdouble(d, v);
        adbytesput(&e.dd, v, 16);
    }
    h.numseedpoints = static_cast<int32_t>(nseeds);
    h.numpaths = static_cast<int32_t>(npaths);
    if (nsources > dwgbitsleft(e.hb) / 8) e.hb->error = 1;
    for (uint64_t i = 0; i < nsources && !e.hb->error; ++i) {
        AdObjhandle src;
        e.ref(src);
        adbytesput(&e.b, src, 8);
    }
    if (d->error || e.a.failed || e.b.failed || e.c.failed || e.dd.failed) return -1;
    h.pathblob = adbytesblob(&e.a);
    h.srcobjblob = adbytesblob(&e.b);
    h.patlineblob = adbytesblob(&e.c);
    h.seedblob = adbytesblob(&e.dd);
    return 1;
}

int image(Ent &e)
{
    AdEntImage &m = e.r->image;
    DwgBits *d = e.d;
    m.classversion = getbitlong(d);
    getbit3double(d, m.pt0);
    getbit3double(d, m.uvec);
    getbit3double(d, m.vvec);
    getbit2rawdouble(d, m.size);
    m.displayprops = getbitshort(d);
    m.clipping = static_cast<int16_t>(getbitbitfn(d));
    m.brightness = getbitrawbyte(d);
    m.contrast = getbitrawbyte(d);
    m.fade = getbitrawbyte(d);
    m.cliptype = getbitshort(d);
    uint32_t n = 0;
    if (m.cliptype == 1) {
        n = 2;
    } else {
        n = getbitcount(d, getbitlong(d), 128);
    }
    for (uint32_t i = 0; i < n && !d->error; ++i) {
        double v[2];
        getbit2rawdouble(d, v);
        adbytesput(&e.a, v, 16);
    }
    if (d->error || e.a.failed) return -1;
    m.numclipverts = static_cast<int32_t>(n);
    m.clipvertblob = adbytesblob(&e.a);
    e.ref(m.imagedefhandle);
    e.ref(m.imagedefreactorhandle);
    return 1;
}

/* An embedded OLE object: its data as it is (the corners live inside it). */
int ole2frame(Ent &e)
{
    AdEntOle2frame &f = e.r->ole2frame;
    DwgBits *d = e.d;
    f.version = getbitshort(d);
    if (e.a2k) f.tilemode = getbitshort(d);
    uint32_t n = getbitcount(d, getbitlong(d), 8);
    for (uint32_t i = 0; i < n && !d->error; ++i) {
        unsigned char c = getbitrawbyte(d);
        adbytesput(&e.a, &c, 1);
    }
    if (d->error || e.a.failed) return -1;
    f.datalength = static_cast<int32_t>(n);
    f.datablob = adbytesblob(&e.a);
    return 1;
}

/* ACIS data: the SAT text of the entity, decoded, one line per line. */
int acis(Ent &e)
{
    DwgBits *d = e.d;
    if (getbitbitfn(d)) return 1; /* empty */
    getbitbitfn(d);
    int16_t version = getbitshort(d);
    e.r->acis.modelerversion = 1;
    if (version != 1) return 1; /* binary SAT is not kept */
    for (;;) {
        uint32_t n = getbitcount(d, getbitlong(d), 8);
        if (d->error || n == 0) break;
        for (uint32_t i = 0; i < n; ++i) {
            unsigned char c = getbitrawbyte(d);
            unsigned char x = c > 32 && c < 127 ? static_cast<unsigned char>(159 - c) : c;
            if (x == '\r') continue;
            adbytesput(&e.dd, &x, 1);
        }
    }
    if (e.dd.n && e.dd.p[e.dd.n - 1] != '\n') adbytesput(&e.dd, "\n", 1);
    if (d->error || e.dd.failed) return -1;
    e.r->acis.acisblob = adbytesblob(&e.dd);
    return 1;
}

int viewport(Ent &e)
{
    AdEntViewport &v = e.r->vport;
    DwgBits *d = e.d;
    getbit3double(d, v.pt0);
    v.width = getbitdouble(d);
    v.height = getbitdouble(d);
    if (!e.a2k) return 1;
    getbit3double(d, v.viewtarget);
    getbit3double(d, v.viewdir);
    v.viewtwist = getbitdouble(d);
    v.viewheight = getbitdouble(d);
    v.lenslength = getbitdouble(d);
    v.frontclip = getbitdouble(d);
    v.backclip = getbitdouble(d);
    v.snapangle = getbitdouble(d);
    getbit2rawdouble(d, v.viewctr);
    getbit2rawdouble(d, v.snapbase);
    getbit2rawdouble(d, v.snapspacing);
    getbit2rawdouble(d, v.gridspacing);
    v.circlezoom = getbitshort(d);
    uint32_t nfrozen = getbitcount(d, getbitlong(d), 0);
    v.statusflags = getbitlong(d);
    getbitstring(d, v.stylesheet, sizeof v.stylesheet);
    v.rendermode = getbitrawbyte(d);
    getbitbitfn(d);
    v.ucsvp = static_cast<int16_t>(getbitbitfn(d));
    getbit3double(d, v.ucsorg);
    getbit3double(d, v.ucsxdir);
    getbit3double(d, v.ucsydir);
    v.elevation = getbitdouble(d);
    v.ucsorthotype = getbitshort(d);
    if (nfrozen > dwgbitsleft(e.hb) / 8) e.hb->error = 1;
    for (uint32_t i = 0; i < nfrozen && !e.hb->error; ++i) {
        AdObjhandle l;
        e.ref(l);
        adbytesput(&e.a, l, 8);
    }
    e.ref(v.clipboundaryhandle);
    AdObjhandle header;
    e.ref(header);
    e.ref(v.ucshandle);
    e.ref(v.baseucshandle);
    if (e.a.failed) return -1;
    v.numfrozenlayers = static_cast<int32_t>(nfrozen);
    v.frozenlayerblob = adbytesblob(&e.a);
    return 1;
}

/* ---------------------------------------------------------------- the kinds */

struct Kind {
    uint16_t dwgtype;
    int16_t enttype; /* 0: a class-defined kind (by name below) */
    int (*read)(Ent &);
};

const Kind kKinds[] = {
    {DWG_T_TEXT, AD_ENT_TEXT, text},
    {DWG_T_ATTRIB, AD_ENT_ATTRIB, attrib},
    {DWG_T_ATTDEF, AD_ENT_ATTDEF, attdef},
    {DWG_T_BLOCK, AD_ENT_BLOCK, block},
    {DWG_T_ENDBLK, AD_ENT_ENDBLK, nothing},
    {DWG_T_SEQEND, AD_ENT_SEQEND, nothing},
    {DWG_T_INSERT, AD_ENT_INSERT, insert},
    {DWG_T_MINSERT, AD_ENT_INSERT, minsert},
    {DWG_T_VERTEX2D, AD_ENT_VERTEX, vertex2d},
    {DWG_T_VERTEX3D, AD_ENT_VERTEX, vertex3d},
    {DWG_T_VERTEXMESH, AD_ENT_VERTEX, vertex3d},
    {DWG_T_VERTEXPFACE, AD_ENT_VERTEX, vertex3d},
    {DWG_T_VERTEXPFACEFACE, AD_ENT_VERTEX, vertexface},
    {DWG_T_POLYLINE2D, AD_ENT_POLYLINE, polyline2d},
    {DWG_T_POLYLINE3D, AD_ENT_POLYLINE, polyline3d},
    {DWG_T_ARC, AD_ENT_ARC, arc},
    {DWG_T_CIRCLE, AD_ENT_CIRCLE, circle},
    {DWG_T_LINE, AD_ENT_LINE, line},
    {DWG_T_DIMORDINATE, AD_ENT_DIMENSION, dimordinate},
    {DWG_T_DIMLINEAR, AD_ENT_DIMENSION, dimlinear},
    {DWG_T_DIMALIGNED, AD_ENT_DIMENSION, dimaligned},
    {DWG_T_DIMANG3PT, AD_ENT_DIMENSION, dimang3pt},
    {DWG_T_DIMANG2LN, AD_ENT_DIMENSION, dimang2ln},
    {DWG_T_DIMRADIUS, AD_ENT_DIMENSION, dimradius},
    {DWG_T_DIMDIAMETER, AD_ENT_DIMENSION, dimdiameter},
    {DWG_T_POINT, AD_ENT_POINT, point},
    {DWG_T_3DFACE, AD_ENT_FACE3D, face3d},
    {DWG_T_POLYLINEPFACE, AD_ENT_POLYLINE, polylinepface},
    {DWG_T_POLYLINEMESH, AD_ENT_POLYLINE, polylinemesh},
    {DWG_T_SOLID, AD_ENT_SOLID, solid},
    {DWG_T_TRACE, AD_ENT_TRACE, solid},
    {DWG_T_SHAPE, AD_ENT_SHAPE, shape},
    {DWG_T_VIEWPORT, AD_ENT_VIEWPORT, viewport},
    {DWG_T_ELLIPSE, AD_ENT_ELLIPSE, ellipse},
    {DWG_T_SPLINE, AD_ENT_SPLINE, spline},
    {DWG_T_REGION, AD_ENT_REGION, acis},
    {DWG_T_3DSOLID, AD_ENT_SOLID3D, acis},
    {DWG_T_BODY, AD_ENT_BODY, acis},
    {DWG_T_RAY, AD_ENT_RAY, rayxline},
    {DWG_T_XLINE, AD_ENT_XLINE, rayxline},
    {DWG_T_MTEXT, AD_ENT_MTEXT, mtext},
    {DWG_T_LEADER, AD_ENT_LEADER, leader},
    {DWG_T_TOLERANCE, AD_ENT_TOLERANCE, tolerance},
    {DWG_T_MLINE, AD_ENT_MLINE, mline},
};

/* Class-defined kinds by DXF name, and the fixed numbers some files use
 * for them. */
struct ClassKind {
    const char *name;
    uint16_t dwgtype;
    int (*read)(Ent &);
};
const ClassKind kClassKinds[] = {{"LWPOLYLINE", DWG_T_LWPLINE, lwpline},
                                 {"HATCH", DWG_T_HATCH, hatch},
                                 {"IMAGE", 0, image},
                                 {"WIPEOUT", 0, image},
                                 {"OLE2FRAME", DWG_T_OLE2FRAME, ole2frame}};

void recorddefaults(int kind, AdEntityRecord *r)
{
    switch (kind) {
    case AD_ENT_INSERT:
        r->insert.xscale = r->insert.yscale = r->insert.zscale = 1.0;
        r->insert.numrows = r->insert.numcols = 1;
        break;
    case AD_ENT_MTEXT: r->mtext.linespacingfactor = 1.0; break;
    case AD_ENT_MLINE: r->mline.scale = 1.0; break;
    case AD_ENT_VIEWPORT: adSetViewportEntityDefaults(&r->vport); break;
    case AD_ENT_LEADER: r->leader.arrowheadflag = 1; break;
    case AD_EK_HATCH: r->hatch.patternscale = 1.0; break;
    case AD_EK_IMAGE:
        r->image.brightness = 50;
        r->image.contrast = 50;
        break;
    default: break;
    }
}

} // namespace

extern "C" int dwgentity(AdDrawing *dwg, DwgObject *o, AdEntityHeader *h, AdEntityRecord *r)
{
    AdDwgLoad *s = dwg->dwg;
    s->owns = 0;
    int16_t enttype = 0;
    int kind = 0;
    int (*read)(Ent &) = nullptr;
    for (const Kind &k : kKinds)
        if (k.dwgtype == o->type) {
            enttype = k.enttype;
            kind = k.enttype;
            read = k.read;
            break;
        }
    if (!enttype) {
        char name[AD_NAME_LEN] = "";
        if (o->type >= DWG_T_CLASSBASE) adGetClassNameFromId(dwg, static_cast<int16_t>(o->type), name);
        for (const ClassKind &k : kClassKinds)
            if ((name[0] && !std::strcmp(name, k.name)) || (!name[0] && k.dwgtype && k.dwgtype == o->type)) {
                enttype = adclasstype(dwg, k.name, 1);
                read = k.read;
                break;
            }
        if (!enttype) {
            /* an entity of a kind not read here: kept as a proxy */
            if (!o->isentity) return 0;
            enttype = o->type >= DWG_T_CLASSBASE ? static_cast<int16_t>(o->type) : 498;
        }
        kind = adclasskind(dwg, enttype);
        if (kind == AD_EK_PROXY) read = nullptr;
    }

    std::memset(h, 0, sizeof *h);
    size_t recsize = adEntityRecordSize(dwg, enttype);
    std::memset(r, 0, recsize < sizeof *r ? recsize : sizeof *r);
    recorddefaults(kind, r);
    h->enttype = enttype;
    std::memcpy(h->handle, o->handle, 8);
    std::memcpy(h->layerhandle, o->layer, 8);
    switch (o->ltypeflags) {
    case 0: std::memcpy(h->ltypehandle, dwg->bylayerltype, 8); break;
    case 1: std::memcpy(h->ltypehandle, dwg->byblockltype, 8); break;
    case 2: std::memcpy(h->ltypehandle, dwg->continuousltype, 8); break;
    default: std::memcpy(h->ltypehandle, o->ltype, 8); break;
    }
    std::memcpy(h->xdicthandle, o->xdict, 8);
    int v = o->color;
    h->color = static_cast<int16_t>(v == 256 ? 256 : ((v % 256) + 256) % 256);
    h->extrusion[2] = 1.0;
    h->ltscale = o->ltscale;
    h->flags = AD_EHF_PLOTSTYLE_DEFAULT;
    if (o->entmode == 1) h->flags |= AD_EHF_PAPERSPACE;
    if (o->invisible & 1) h->flags |= AD_EHF_INVISIBLE;
    if (o->plotflags == 3) {
        std::memcpy(h->plotstylehandle, o->plotstyle, 8);
        h->flags &= static_cast<unsigned char>(~AD_EHF_PLOTSTYLE_DEFAULT);
    }
    h->lineweight = o->lineweight;

    Ent e{dwg, o, h, r, &o->data, &o->handles, dwg->version >= AD_ACAD2000, {}, {}, {}, {}};
    int ok = read ? read(e) : 1;
    adbytesfree(&e.a);
    adbytesfree(&e.b);
    adbytesfree(&e.c);
    adbytesfree(&e.dd);
    if (ok < 0 || o->data.error || o->handles.error) {
        adfreeentityblobs(dwg, h, r);
        return -1;
    }
    h->numreactors = o->numreactors;
    h->reactorblob = o->reactorblob;
    h->xdblob = o->xdblob;
    o->reactorblob = o->xdblob = nullptr;
    return 1;
}
