/* The rule-driven parts of the DXF entity reader: pairs whose meaning
 * depends on what came before them, and data that goes into blobs (their
 * layouts are at the top of ad.h). dxfentrule is offered every pair of an
 * entity before the common codes and the field table; dxfentfinish turns
 * what was collected into the record's blobs and counts.
 *   LWPOLYLINE  10 starts a vertex whose y is the next pair's value; 40,
 *               41, 42 are its widths and bulge (a bulge of 1e16 or more is
 *               0); the blob holds the vertices read, whatever 90 says.
 *   HATCH       91, 78, 98 are followed by their paths, pattern lines and
 *               seed points, each value from the next pair in sequence.
 *   LEADER      10 (+20, 30) vertices: as many as 76 says when it came
 *               first, else one per 10.
 *   MLINE       the first 11 starts the 72 vertices, each with its 73
 *               elements' parameter lists.
 *   SPLINE      the first 40 starts the 72 knots, the first 10 or 41 the 73
 *               control points with their weights (41, interleaved or in a
 *               block; any weight makes the spline rational), the first 11
 *               the 74 fit points.
 *   MTEXT       3 chunks and the closing 1 go to the text blob; a lone 1 to
 *               the text field; 50 sets the x direction.
 *   ACIS kinds  1 starts a line, 3 continues it.
 * A count whose data runs into the next group code 0 or the end of the file
 * fails the record (error 32; the entity reader leaves it out with a
 * warning): counts never decide how much is allocated. In
 * the sequences of HATCH and MLINE, any pair but a code 0 is taken as the
 * next value. A spline edge of a hatch path may carry fit data (97 and its
 * points, AC1024 files); it is recognised by the points that follow a 97
 * and passed over. */
#include "toolkit/dxf/dxf_int.h"

#include <cmath>
#include <cstring>
#include <initializer_list>

namespace {

const double kDeg = M_PI / 180.0;

/* The next value of a counted sequence. */
bool seq(AdDrawing *dwg) { return dxfseq(dwg) != 0; }

bool putd(AdBytes *b, double v) { return adbytesput(b, &v, 8) != 0; }
bool puts16(AdBytes *b, int16_t v) { return adbytesput(b, &v, 2) != 0; }
bool puts32(AdBytes *b, int32_t v) { return adbytesput(b, &v, 4) != 0; }

/* A count that the record keeps in 16 bits: a larger one fails the record
 * (the values it counts cannot be kept apart). */
bool count16(AdDrawing *dwg, int16_t *out)
{
    int32_t n = dxfcount(dwg);
    if (n > INT16_MAX) {
        adseterror(32);
        return false;
    }
    *out = static_cast<int16_t>(n);
    return true;
}

/* A 10 with optional 20 and 30 (the current pair is the 10). */
bool point3(AdDrawing *dwg, double *p)
{
    p[0] = dxfreal();
    p[1] = p[2] = 0.0;
    for (uint16_t code : {20, 30}) {
        if (!dxfnext(dwg)) return false;
        if (adin->curcode != code) {
            dxfback(dwg);
            return true;
        }
        p[code == 20 ? 1 : 2] = dxfreal();
    }
    return true;
}

/* ---------------------------------------------------------------- HATCH */

bool hatchspline(AdDrawing *dwg, AdBytes *b, bool last)
{
    int32_t degree, nknots, nctl;
    int16_t rational, periodic;
    if (!seq(dwg)) return false;
    degree = dxfint();
    if (!seq(dwg)) return false;
    rational = static_cast<int16_t>(dxfint());
    if (!seq(dwg)) return false;
    periodic = static_cast<int16_t>(dxfint());
    if (!seq(dwg)) return false;
    nknots = dxfcount(dwg);
    if (!seq(dwg)) return false;
    nctl = dxfcount(dwg);
    if (!puts32(b, degree) || !puts16(b, rational) || !puts16(b, periodic) || !puts32(b, nknots) ||
        !puts32(b, nctl))
        return false;
    for (int32_t i = 0; i < nknots; ++i)
        if (!seq(dwg) || !putd(b, dxfreal())) return false;
    for (int64_t i = 0; i < 2 * static_cast<int64_t>(nctl); ++i)
        if (!seq(dwg) || !putd(b, dxfreal())) return false;
    if (rational)
        for (int32_t i = 0; i < nctl; ++i)
            if (!seq(dwg) || !putd(b, dxfreal())) return false;
    /* Fit data of newer files: 97 n, n points 11/21, tangents 12/22, 13/23.
       A 97 before another edge of the path can only be the fit count (the
       path's source count comes after its last edge); after the last edge it
       is the fit count when fit data, tangents or the source count follow. */
    if (!dxfnext(dwg)) return false;
    if (adin->curcode != 97) {
        dxfback(dwg);
        return true;
    }
    int64_t at = dwg->dxf->lastpos;
    int32_t nfit = dxfcount(dwg);
    if (!dxfnext(dwg)) return false;
    uint16_t next = adin->curcode;
    bool fit = !last || next == 11 || next == 12 || next == 13 || next == 97;
    if (!fit) return dxfseek(dwg, at) != 0;
    dxfback(dwg);
    for (int32_t i = 0; i < nfit; ++i) {
        if (!dxfnext(dwg)) return false;
        if (adin->curcode != 11) {
            dxfback(dwg);
            break;
        }
        if (!seq(dwg)) return false;
    }
    for (int k = 0; k < 2; ++k) {
        if (!dxfnext(dwg)) return false;
        if (adin->curcode != 12 && adin->curcode != 13) {
            dxfback(dwg);
            return true;
        }
        if (!seq(dwg)) return false;
    }
    return true;
}

bool hatchpaths(AdDrawing *dwg, AdEntCtx *c, int32_t npaths)
{
    AdBytes *b = &c->hatch.paths;
    for (int32_t p = 0; p < npaths; ++p) {
        if (!seq(dwg)) return false;
        int32_t flags = dxfint();
        if (!puts32(b, flags)) return false;
        if (flags & 2) {
            if (!seq(dwg)) return false;
            int16_t hasbulge = static_cast<int16_t>(dxfint());
            if (!seq(dwg)) return false;
            int16_t closed = static_cast<int16_t>(dxfint());
            if (!seq(dwg)) return false;
            int32_t n = dxfcount(dwg);
            if (!puts16(b, hasbulge) || !puts16(b, closed) || !puts32(b, n)) return false;
            for (int64_t i = 0; i < static_cast<int64_t>(n) * (hasbulge ? 3 : 2); ++i)
                if (!seq(dwg) || !putd(b, dxfreal())) return false;
        } else {
            if (!seq(dwg)) return false;
            int32_t nedges = dxfcount(dwg);
            if (!puts32(b, nedges)) return false;
            for (int32_t e = 0; e < nedges; ++e) {
                if (!seq(dwg)) return false;
                unsigned char type = static_cast<unsigned char>(dxfint());
                if (!adbytesput(b, &type, 1)) return false;
                double v[8];
                switch (type) {
                case 1:
                    for (int i = 0; i < 4; ++i)
                        if (!seq(dwg) || !putd(b, dxfreal())) return false;
                    break;
                case 2:
                    for (int i = 0; i < 5; ++i) {
                        if (!seq(dwg)) return false;
                        v[i] = dxfreal();
                    }
                    v[3] *= kDeg;
                    v[4] *= kDeg;
                    for (int i = 0; i < 5; ++i) putd(b, v[i]);
                    if (!seq(dwg) || !puts16(b, static_cast<int16_t>(dxfint()))) return false;
                    break;
                case 3: {
                    for (int i = 0; i < 7; ++i) {
                        if (!seq(dwg)) return false;
                        v[i] = dxfreal();
                    }
                    double s = adEllipseParameterFromAngle(v[5] * kDeg, v[4]);
                    double t = adEllipseParameterFromAngle(v[6] * kDeg, v[4]);
                    if (s < 0 || t < 0) {
                        s += 2 * M_PI;
                        t += 2 * M_PI;
                    }
                    v[5] = s;
                    v[6] = t;
                    for (int i = 0; i < 7; ++i) putd(b, v[i]);
                    if (!seq(dwg) || !puts16(b, static_cast<int16_t>(dxfint()))) return false;
                    break;
                }
                case 4:
                    if (!hatchspline(dwg, b, e + 1 == nedges)) return false;
                    break;
                default: adseterror(32); return false;
                }
                if (b->failed) return false;
            }
        }
        if (!seq(dwg)) return false;
        int32_t nsrc = dxfcount(dwg);
        if (!puts32(b, nsrc)) return false;
        for (int32_t i = 0; i < nsrc; ++i) {
            if (!seq(dwg)) return false;
            if (!adbytesput(&c->hatch.sources, adin->curhandle, 8)) return false;
        }
    }
    return true;
}

bool hatchlines(AdDrawing *dwg, AdBytes *b, int32_t n)
{
    for (int32_t l = 0; l < n; ++l) {
        double v[5];
        for (int i = 0; i < 5; ++i) {
            if (!seq(dwg)) return false;
            v[i] = dxfreal();
        }
        v[0] *= kDeg;
        int16_t ndash;
        if (!seq(dwg) || !count16(dwg, &ndash)) return false;
        for (double x : v) putd(b, x);
        if (!puts16(b, ndash)) return false;
        for (int16_t i = 0; i < ndash; ++i)
            if (!seq(dwg) || !putd(b, dxfreal())) return false;
    }
    return true;
}

/* ---------------------------------------------------------------- SPLINE */

bool splineknots(AdDrawing *dwg, AdEntCtx *c)
{
    /* the current pair is a 40 */
    int32_t want = c->spline.knotsgiven ? c->spline.declknots : -1;
    int32_t got = 0;
    for (;;) {
        if (want >= 0 && got == want) {
            dxfback(dwg);
            return true;
        }
        if (adin->curcode != 40) {
            dxfback(dwg);
            if (want >= 0) {
                adseterror(32);
                return false;
            }
            return true;
        }
        if (!putd(&c->spline.knots, dxfreal())) return false;
        ++got;
        if (!dxfnext(dwg)) return false;
    }
}

bool splinectl(AdDrawing *dwg, AdEntCtx *c, AdEntityRecord *r)
{
    int32_t want = c->spline.ctlgiven ? c->spline.declctl : -1;
    AdBytes pts{}, w{};
    int32_t npts = 0, nw = 0;
    double p[3] = {0, 0, 0};
    bool open = false;
    bool ok = true;
    for (;;) {
        uint16_t code = adin->curcode;
        if (code == 10) {
            if (want >= 0 && npts == want) break;
            if (open) ok = adbytesput(&pts, p, 24) && ok;
            p[0] = dxfreal();
            p[1] = p[2] = 0.0;
            open = true;
            ++npts;
        } else if (code == 20 && open) {
            p[1] = dxfreal();
        } else if (code == 30 && open) {
            p[2] = dxfreal();
        } else if (code == 41) {
            if (want < 0 || nw < want) {
                ok = putd(&w, dxfreal()) && ok;
                ++nw;
            }
        } else {
            break;
        }
        if (!dxfnext(dwg)) {
            adbytesfree(&pts);
            adbytesfree(&w);
            return false;
        }
    }
    dxfback(dwg);
    if (open) ok = adbytesput(&pts, p, 24) && ok;
    if (want >= 0 && npts < want) {
        adbytesfree(&pts);
        adbytesfree(&w);
        adseterror(32);
        return false;
    }
    if (nw > 0) r->spline.flag = static_cast<int16_t>(r->spline.flag | 4);
    bool rational = (r->spline.flag & 4) != 0;
    for (int32_t i = 0; ok && i < npts; ++i) {
        ok = adbytesput(&c->spline.ctlpts, pts.p + 24 * i, 24) != 0;
        if (rational) {
            double wi = 1.0;
            if (i < nw) std::memcpy(&wi, w.p + 8 * i, 8);
            ok = ok && putd(&c->spline.ctlpts, wi);
        }
    }
    c->spline.numctl = npts;
    c->spline.ctlread = 1;
    adbytesfree(&pts);
    adbytesfree(&w);
    return ok;
}

bool splinefit(AdDrawing *dwg, AdEntCtx *c)
{
    int32_t want = c->spline.fitgiven ? c->spline.declfit : -1;
    int32_t got = 0;
    for (;;) {
        if ((want >= 0 && got == want) || adin->curcode != 11) {
            dxfback(dwg);
            if (want >= 0 && got < want) {
                adseterror(32);
                return false;
            }
            break;
        }
        double p[3];
        p[0] = dxfreal();
        p[1] = p[2] = 0.0;
        for (uint16_t code : {21, 31}) {
            if (!dxfnext(dwg)) return false;
            if (adin->curcode != code) {
                dxfback(dwg);
                break;
            }
            p[code == 21 ? 1 : 2] = dxfreal();
        }
        if (!adbytesput(&c->spline.fitpts, p, 24)) return false;
        ++got;
        if (!dxfnext(dwg)) return false;
    }
    c->spline.numfit = got;
    c->spline.fitread = 1;
    return true;
}

/* ---------------------------------------------------------------- ACIS */

bool acisline(AdEntCtx *c, bool newline)
{
    if (newline && c->acis.lineopen && !adbytesput(&c->acis.lines, "\n", 1)) return false;
    c->acis.lineopen = 1;
    for (const unsigned char *s = reinterpret_cast<const unsigned char *>(adin->curstr); *s; ++s) {
        unsigned char ch = *s;
        unsigned char d = ch >= 33 && ch <= 126 ? static_cast<unsigned char>(159 - ch) : ch;
        if (!adbytesput(&c->acis.lines, &d, 1)) return false;
    }
    return true;
}

bool iscommon(uint16_t code)
{
    switch (code) {
    case 5:
    case 6:
    case 8:
    case 38:
    case 39:
    case 48:
    case 60:
    case 62:
    case 67:
    case 210:
    case 220:
    case 230:
    case 370:
    case 380:
    case 390: return true;
    default: return code >= 1000;
    }
}

} // namespace

extern "C" {

double adEllipseParameterFromAngle(double angle, double ratio)
{
    if (!(ratio > 0.0)) return angle;
    return std::atan2(std::sin(angle), ratio * std::cos(angle));
}

void adSetViewportEntityDefaults(AdEntViewport *vp)
{
    if (!vp) return;
    std::memset(vp, 0, sizeof *vp);
    vp->viewdir[2] = 1.0;
    vp->viewheight = 9.0;
    vp->lenslength = 50.0;
    vp->circlezoom = 100;
    vp->ucsxdir[0] = 1.0;
    vp->ucsydir[1] = 1.0;
    vp->ucsicon = 3;
    vp->snapspacing[0] = vp->snapspacing[1] = 0.5;
    vp->gridspacing[0] = vp->gridspacing[1] = 0.5;
}

int dxfentrule(AdDrawing *dwg, AdEntCtx *c, AdEntityHeader *h, AdEntityRecord *r)
{
    (void)h;
    uint16_t code = adin->curcode;
    switch (c->kind) {
    case AD_EK_LWPLINE:
        switch (code) {
        case 10: {
            if (c->lwpline.open &&
                !adbytesput(&c->lwpline.verts, c->lwpline.vertex, sizeof c->lwpline.vertex))
                return -1;
            double *v = c->lwpline.vertex;
            v[0] = dxfreal();
            v[1] = v[2] = v[3] = v[4] = 0.0;
            c->lwpline.open = 1;
            if (!dxfnext(dwg)) return -1;
            if (adin->curcode == 0)
                dxfback(dwg);
            else
                v[1] = dxfreal();
            return 1;
        }
        case 20: return 1;
        case 40: c->lwpline.vertex[3] = dxfreal(); return 1;
        case 41: c->lwpline.vertex[4] = dxfreal(); return 1;
        case 42: {
            double b = dxfreal();
            c->lwpline.vertex[2] = b >= 1.0e16 ? 0.0 : b;
            return 1;
        }
        case 43:
            r->lwpline.constwidth = dxfreal();
            if (r->lwpline.constwidth != 0.0) r->lwpline.flag |= AD_LWPLINE_CONSTWIDTH;
            return 1;
        case 90: return 1; /* the vertex count: the vertices themselves are counted */
        case 70: {
            int f = dxfint();
            if (f & 1) r->lwpline.flag |= AD_LWPLINE_CLOSED;
            if (f & 128) r->lwpline.flag |= AD_LWPLINE_PLINEGEN;
            return 1;
        }
        default: return 0;
        }
    case AD_EK_HATCH:
        switch (code) {
        case 91: {
            int32_t n = dxfcount(dwg);
            if (!hatchpaths(dwg, c, n)) return -1;
            r->hatch.numpaths = n;
            c->hatch.pathsread = 1;
            return 1;
        }
        case 78: {
            int32_t n = dxfcount(dwg);
            if (n > INT16_MAX - c->hatch.numpatlines) { /* the record counts pattern lines in 16 bits */
                adseterror(32);
                return -1;
            }
            if (!hatchlines(dwg, &c->hatch.patlines, n)) return -1;
            c->hatch.numpatlines += n;
            return 1;
        }
        case 98: {
            int32_t n = dxfcount(dwg);
            for (int64_t i = 0; i < 2 * static_cast<int64_t>(n); ++i)
                if (!seq(dwg) || !putd(&c->hatch.seeds, dxfreal())) return -1;
            c->hatch.numseeds += n;
            return 1;
        }
        default: return 0;
        }
    case AD_ENT_LEADER:
        if (code == 76) {
            if (!c->leader.pointsread) {
                c->leader.declared = dxfcount(dwg);
                c->leader.declaredread = 1;
            }
            return 1;
        }
        if (code == 3) {
            dxfcopy(c->dimstyle, adin->curstr, sizeof c->dimstyle);
            c->hasdimstyle = 1;
            return 1;
        }
        if (code == 10) {
            int32_t n = c->leader.declaredread && !c->leader.pointsread ? c->leader.declared : 1;
            c->leader.pointsread = 1;
            for (int32_t i = 0; i < n; ++i) {
                if (i > 0) {
                    if (!seq(dwg)) return -1;
                    if (adin->curcode != 10) {
                        dxfback(dwg);
                        adseterror(32);
                        return -1;
                    }
                }
                double p[3];
                if (!point3(dwg, p) || !adbytesput(&c->leader.points, p, 24)) return -1;
                ++c->leader.numpoints;
            }
            return 1;
        }
        return 0;
    case AD_ENT_MLINE:
        switch (code) {
        case 72: c->mline.declared = dxfcount(dwg); return 1;
        case 73:
            if (!count16(dwg, &r->mline.numlines)) return -1;
            c->mline.numlines = r->mline.numlines;
            return 1;
        case 11: {
            if (c->mline.vertsread) return 1;
            c->mline.vertsread = 1;
            for (int32_t v = 0; v < c->mline.declared; ++v) {
                for (int i = 0; i < 9; ++i) {
                    if ((v > 0 || i > 0) && !seq(dwg)) return -1;
                    if (!putd(&c->mline.verts, dxfreal())) return -1;
                }
                for (int32_t e = 0; e < c->mline.numlines; ++e) {
                    for (int k = 0; k < 2; ++k) {
                        int16_t n;
                        if (!seq(dwg) || !count16(dwg, &n)) return -1;
                        if (!puts16(&c->mline.verts, n)) return -1;
                        for (int16_t j = 0; j < n; ++j)
                            if (!seq(dwg) || !putd(&c->mline.verts, dxfreal())) return -1;
                    }
                }
                ++c->mline.numverts;
            }
            return 1;
        }
        default: return 0;
        }
    case AD_ENT_SPLINE:
        switch (code) {
        case 72:
            c->spline.declknots = dxfcount(dwg);
            c->spline.knotsgiven = 1;
            return 1;
        case 73:
            c->spline.declctl = dxfcount(dwg);
            c->spline.ctlgiven = 1;
            return 1;
        case 74:
            c->spline.declfit = dxfcount(dwg);
            c->spline.fitgiven = 1;
            return 1;
        case 40:
            if (c->spline.knotsread) return 1;
            c->spline.knotsread = 1;
            return splineknots(dwg, c) ? 1 : -1;
        case 10:
        case 41:
            if (c->spline.ctlread) return 1;
            return splinectl(dwg, c, r) ? 1 : -1;
        case 11:
            if (c->spline.fitread) return 1;
            return splinefit(dwg, c) ? 1 : -1;
        default: return 0;
        }
    case AD_ENT_MTEXT:
        switch (code) {
        case 1:
        case 3: {
            int cp = dxfcodepage(dwg);
            if (code == 1 && !c->mtext.inchunks) {
                adstrcpytrans(r->mtext.text, adin->curstr, sizeof r->mtext.text, cp);
                return 1;
            }
            char buf[AD_TEXT_LEN];
            adstrcpytrans(buf, adin->curstr, sizeof buf, cp);
            if (!adbytesput(&c->mtext.text, buf, std::strlen(buf))) return -1;
            c->mtext.inchunks = code == 3;
            c->mtext.chunked = 1;
            return 1;
        }
        case 7:
            dxfcopy(c->style, adin->curstr, sizeof c->style);
            c->hasstyle = 1;
            return 1;
        case 50: {
            double a = dxfangle();
            r->mtext.rotang = a;
            r->mtext.xdir[0] = std::cos(a);
            r->mtext.xdir[1] = std::sin(a);
            r->mtext.xdir[2] = 0.0;
            return 1;
        }
        default: return 0;
        }
    case AD_ENT_REGION:
    case AD_ENT_SOLID3D:
    case AD_ENT_BODY:
        if (code == 1 || code == 3) return acisline(c, code == 1) ? 1 : -1;
        return 0;
    case AD_EK_IMAGE:
        if (code == 91) return 1;
        if (code == 14) {
            if (c->image.open && !adbytesput(&c->image.clipverts, c->image.vertex, 16)) return -1;
            c->image.vertex[0] = dxfreal();
            c->image.vertex[1] = 0.0;
            c->image.open = 1;
            return 1;
        }
        if (code == 24) {
            c->image.vertex[1] = dxfreal();
            return 1;
        }
        return 0;
    case AD_EK_OLE:
        if (code == 310) {
            unsigned char bytes[AD_MAX_LINE / 2 + 2];
            int32_t n = 0;
            if (adAsciiHexToBinaryCount(adin->curstr) > static_cast<int32_t>(sizeof bytes)) return 1;
            adAsciiHexToBinaryEx(adin->curstr, bytes, &n);
            return adbytesput(&c->ole, bytes, static_cast<size_t>(n)) ? 1 : -1;
        }
        return 0;
    case AD_ENT_VIEWPORT:
        if (code == 331 || code == 341) {
            ++c->vport.numfrozen;
            return adbytesput(&c->vport.frozenlayers, adin->curhandle, 8) ? 1 : -1;
        }
        return 0;
    case AD_ENT_VERTEX:
        if (code == 40)
            r->vertex.startwidthgiven = 1;
        else if (code == 41)
            r->vertex.endwidthgiven = 1;
        else if (code >= 71 && code <= 74) {
            r->vertex.polyfaceindex[code - 71] = static_cast<int16_t>(dxfint());
            if (r->vertex.numfaceindices < code - 70)
                r->vertex.numfaceindices = static_cast<unsigned char>(code - 70);
            return 1;
        }
        return 0;
    case AD_ENT_DIMENSION:
        if (code == 12 || code == 22 || code == 32) r->dim.clonepointgiven = 1;
        if (code == 2) {
            dxfcopy(c->block, adin->curstr, sizeof c->block);
            c->hasblock = 1;
            return 1;
        }
        if (code == 3) {
            dxfcopy(c->dimstyle, adin->curstr, sizeof c->dimstyle);
            c->hasdimstyle = 1;
            return 1;
        }
        return 0;
    case AD_ENT_INSERT:
        if (code == 2) {
            dxfcopy(c->block, adin->curstr, sizeof c->block);
            c->hasblock = 1;
            adtableprefetch(dwg, AD_LIST_BLKH, c->block); /* looked up when the insert ends */
            return 1;
        }
        return 0;
    case AD_ENT_TOLERANCE:
        if (code == 3) {
            dxfcopy(c->dimstyle, adin->curstr, sizeof c->dimstyle);
            c->hasdimstyle = 1;
            return 1;
        }
        return 0;
    case AD_ENT_TEXT:
    case AD_ENT_ATTDEF:
    case AD_ENT_ATTRIB:
    case AD_EK_RTEXT:
    case AD_EK_ARCTEXT:
        if (code == 7) {
            dxfcopy(c->style, adin->curstr, sizeof c->style);
            c->hasstyle = 1;
            return 1;
        }
        return 0;
    case AD_EK_PROXY: {
        if (code == 330 && !c->proxy.ownerread) {
            c->proxy.ownerread = 1;
            return 1;
        }
        if (iscommon(code)) return 0;
        if (code == 100 && !std::strcmp(adin->curstr, "AcDbEntity")) return 1;
        AdEntProxy &p = r->proxy;
        if (c->type != 498 || c->foreign) return dxfputpair(&c->proxy.pairs) ? 1 : -1;
        {
            switch (code) {
            case 90: p.classid = dxfint(); break;
            case 91: p.appclassid = dxfint(); break;
            case 92:
                p.graphicsbytes = dxfint();
                c->proxy.target = AD_PROXY_GRAPHICS;
                break;
            case 93:
                p.databytes = dxfint();
                c->proxy.target = AD_PROXY_DATA;
                break;
            case 310: {
                unsigned char bytes[AD_MAX_LINE / 2 + 2];
                int32_t n = 0;
                if (adAsciiHexToBinaryCount(adin->curstr) <= static_cast<int32_t>(sizeof bytes)) {
                    adAsciiHexToBinaryEx(adin->curstr, bytes, &n);
                    if (!adbytesput(c->proxy.target == AD_PROXY_GRAPHICS ? &c->proxy.graphics
                                                                         : &c->proxy.data,
                                    bytes, static_cast<size_t>(n)))
                        return -1;
                }
                break;
            }
            case 330:
            case 340:
            case 350:
            case 360:
                if (c->proxy.target == AD_PROXY_DATA) {
                    ++c->proxy.numobjids;
                    if (!adbytesput(&c->proxy.objids, adin->curhandle, 8)) return -1;
                }
                break;
            default: break;
            }
        }
        return 1;
    }
    default: return 0;
    }
}

int dxfentfinish(AdDrawing *dwg, AdEntCtx *c, AdEntityHeader *h, AdEntityRecord *r)
{
    (void)dwg;
    (void)h;
    switch (c->kind) {
    case AD_EK_LWPLINE: {
        AdLwplineCollect &lc = c->lwpline;
        if (lc.open && !adbytesput(&lc.verts, lc.vertex, sizeof lc.vertex)) return -1;
        int32_t n = static_cast<int32_t>(lc.verts.n / sizeof lc.vertex);
        const double *v = reinterpret_cast<const double *>(lc.verts.p);
        AdEntLwpline &l = r->lwpline;
        for (int32_t i = 0; i < n; ++i) {
            double x[5];
            std::memcpy(x, v + 5 * i, sizeof x);
            if (x[2] != 0.0) l.flag |= AD_LWPLINE_HAS_BULGES;
            if (x[3] != 0.0 || x[4] != 0.0) l.flag |= AD_LWPLINE_HAS_WIDTHS;
        }
        bool bulges = l.flag & AD_LWPLINE_HAS_BULGES, widths = l.flag & AD_LWPLINE_HAS_WIDTHS;
        AdBytes out{};
        for (int32_t i = 0; i < n; ++i) {
            double x[5];
            std::memcpy(x, v + 5 * i, sizeof x);
            adbytesput(&out, x, 16);
            if (bulges) adbytesput(&out, x + 2, 8);
            if (widths) adbytesput(&out, x + 3, 16);
        }
        adbytesfree(&lc.verts);
        bool failed = out.failed != 0;
        l.numverts = n;
        l.vertblob = adbytesblob(&out);
        if (failed || (n > 0 && !l.vertblob)) return -1;
        return 1;
    }
    case AD_EK_HATCH: {
        AdHatchCollect &hc = c->hatch;
        AdEntHatch &hh = r->hatch;
        if (!hc.pathsread) hh.numpaths = 0;
        hh.numpatlines = static_cast<int16_t>(hc.numpatlines);
        hh.numseedpoints = hc.numseeds;
        bool failed = hc.paths.failed || hc.sources.failed || hc.patlines.failed || hc.seeds.failed;
        hh.pathblob = adbytesblob(&hc.paths);
        hh.srcobjblob = adbytesblob(&hc.sources);
        hh.patlineblob = adbytesblob(&hc.patlines);
        hh.seedblob = adbytesblob(&hc.seeds);
        return failed ? -1 : 1;
    }
    case AD_ENT_LEADER: {
        r->leader.numpoints = c->leader.numpoints;
        bool failed = c->leader.points.failed;
        r->leader.ptblob = adbytesblob(&c->leader.points);
        std::memcpy(r->leader.normal, h->extrusion, sizeof r->leader.normal);
        return failed ? -1 : 1;
    }
    case AD_ENT_MLINE: {
        r->mline.numverts = c->mline.numverts;
        bool failed = c->mline.verts.failed;
        r->mline.vertblob = adbytesblob(&c->mline.verts);
        return failed ? -1 : 1;
    }
    case AD_ENT_SPLINE: {
        AdSplineCollect &sc = c->spline;
        AdEntSpline &s = r->spline;
        s.numknots = static_cast<int32_t>(sc.knots.n / 8);
        s.numctlpts = sc.ctlread ? sc.numctl : 0;
        s.numfitpts = sc.fitread ? sc.numfit : 0;
        bool failed = sc.knots.failed || sc.ctlpts.failed || sc.fitpts.failed;
        s.knotblob = adbytesblob(&sc.knots);
        s.ctlblob = adbytesblob(&sc.ctlpts);
        s.fitblob = adbytesblob(&sc.fitpts);
        return failed ? -1 : 1;
    }
    case AD_ENT_MTEXT: {
        bool failed = c->mtext.text.failed;
        if (c->mtext.chunked) r->mtext.textblob = adbytesblob(&c->mtext.text);
        return failed ? -1 : 1;
    }
    case AD_ENT_REGION:
    case AD_ENT_SOLID3D:
    case AD_ENT_BODY: {
        if (c->acis.lineopen) adbytesput(&c->acis.lines, "\n", 1);
        bool failed = c->acis.lines.failed;
        r->acis.acisblob = adbytesblob(&c->acis.lines);
        return failed ? -1 : 1;
    }
    case AD_EK_IMAGE: {
        AdImageCollect &ic = c->image;
        if (ic.open) adbytesput(&ic.clipverts, ic.vertex, 16);
        r->image.numclipverts = static_cast<int32_t>(ic.clipverts.n / 16);
        bool failed = ic.clipverts.failed;
        r->image.clipvertblob = adbytesblob(&ic.clipverts);
        return failed ? -1 : 1;
    }
    case AD_EK_OLE: {
        bool failed = c->ole.failed;
        r->ole2frame.datablob = adbytesblob(&c->ole);
        return failed ? -1 : 1;
    }
    case AD_ENT_VIEWPORT: {
        r->vport.numfrozenlayers = c->vport.numfrozen;
        bool failed = c->vport.frozenlayers.failed;
        r->vport.frozenlayerblob = adbytesblob(&c->vport.frozenlayers);
        return failed ? -1 : 1;
    }
    case AD_EK_PROXY: {
        AdProxyCollect &pc = c->proxy;
        AdEntProxy &p = r->proxy;
        p.numobjids = pc.numobjids;
        bool failed = pc.graphics.failed || pc.data.failed || pc.pairs.failed || pc.objids.failed;
        p.graphicsblob = adbytesblob(&pc.graphics);
        p.dataentblob = adbytesblob(&pc.data);
        p.pairblob = adbytesblob(&pc.pairs);
        p.objidblob = adbytesblob(&pc.objids);
        return failed ? -1 : 1;
    }
    default: return 1;
    }
}

void dxfentdiscard(AdDrawing *dwg, AdEntCtx *c)
{
    (void)dwg;
    AdBytes *held[4] = {};
    switch (c->kind) {
    case AD_EK_LWPLINE: held[0] = &c->lwpline.verts; break;
    case AD_EK_HATCH:
        held[0] = &c->hatch.paths;
        held[1] = &c->hatch.sources;
        held[2] = &c->hatch.patlines;
        held[3] = &c->hatch.seeds;
        break;
    case AD_ENT_LEADER: held[0] = &c->leader.points; break;
    case AD_ENT_MLINE: held[0] = &c->mline.verts; break;
    case AD_ENT_SPLINE:
        held[0] = &c->spline.knots;
        held[1] = &c->spline.ctlpts;
        held[2] = &c->spline.fitpts;
        break;
    case AD_ENT_MTEXT: held[0] = &c->mtext.text; break;
    case AD_ENT_REGION:
    case AD_ENT_SOLID3D:
    case AD_ENT_BODY: held[0] = &c->acis.lines; break;
    case AD_EK_IMAGE: held[0] = &c->image.clipverts; break;
    case AD_EK_OLE: held[0] = &c->ole; break;
    case AD_ENT_VIEWPORT: held[0] = &c->vport.frozenlayers; break;
    case AD_EK_PROXY:
        held[0] = &c->proxy.graphics;
        held[1] = &c->proxy.data;
        held[2] = &c->proxy.pairs;
        held[3] = &c->proxy.objids;
        break;
    default: break;
    }
    for (AdBytes *b : held)
        if (b) adbytesfree(b);
}

} // extern "C"
