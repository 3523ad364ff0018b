/* The header step of a DWG load (dwgloadheader) and the CLASSES section.
 *
 * The header step runs the version gate on the first six bytes, reads the
 * file header with its section locators (checked against the file's size
 * and its checksum), the header variables and the object map. The header
 * variables are one table, written once for releases 13 to 2000: each entry
 * names its value code, the releases that carry it and where it goes (a
 * field of the header record, a handle the readers start from, or nowhere).
 * Handles that name table records (CLAYER, TEXTSTYLE ...) go straight to
 * the header's handle fields, so the header resolution has no names to
 * look up. */
#include <cstddef>
#include <cstring>

#include "toolkit/dwg/dwg_int.h"

namespace {

const unsigned char kHeaderStart[16] = {0xCF, 0x7B, 0x1F, 0x23, 0xFD, 0xDE, 0x38, 0xA9,
                                        0x5F, 0x7C, 0x68, 0xB8, 0x4E, 0x6D, 0x33, 0x5F};
const unsigned char kClassesStart[16] = {0x8D, 0xA1, 0xC4, 0xB8, 0xC4, 0xA9, 0xF8, 0xC5,
                                         0xC0, 0xDC, 0xF4, 0x5F, 0xE7, 0xCF, 0xB6, 0x8A};

/* Value codes of the header table. */
enum Kind { B, BS, BL, BD, RC, RD2, BD3, TV, H, HS, CMC, TD, FLAGS, PSTYLE };
/* Releases: all, 13 and 14 only, 2000 only. */
enum Rel { ALL, R14, A2K };

struct Var {
    Kind kind;
    Rel rel;
    long off; /* offset in AdHeader, -1 none; for HS the DWG_H_* index */
    size_t size;
};

#define F(kind, rel, field)                                                                                  \
    {                                                                                                        \
        kind, rel, long(offsetof(AdHeader, field)), sizeof(AdHeader::field)                                  \
    }
#define FI(kind, rel, field, i)                                                                              \
    {                                                                                                        \
        kind, rel, long(offsetof(AdHeader, field) + (i) * sizeof(AdHeader::field[0])),                       \
            sizeof(AdHeader::field[0])                                                                       \
    }
#define SKIP(kind, rel)                                                                                      \
    {                                                                                                        \
        kind, rel, -1, 0                                                                                     \
    }
#define HDL(rel, index)                                                                                      \
    {                                                                                                        \
        HS, rel, index, 0                                                                                    \
    }

const Var kVars[] = {SKIP(BD, ALL),
                     SKIP(BD, ALL),
                     SKIP(BD, ALL),
                     SKIP(BD, ALL),
                     SKIP(TV, ALL),
                     SKIP(TV, ALL),
                     SKIP(TV, ALL),
                     SKIP(TV, ALL),
                     SKIP(BL, ALL),
                     SKIP(BL, ALL),
                     SKIP(BS, R14),
                     SKIP(H, ALL), /* current viewport header */
                     F(B, ALL, dimaso),
                     F(B, ALL, dimsho),
                     SKIP(B, R14), /* DIMSAV */
                     F(B, ALL, plinegen),
                     F(B, ALL, orthomode),
                     F(B, ALL, regenmode),
                     F(B, ALL, fillmode),
                     F(B, ALL, qtextmode),
                     F(B, ALL, psltscale),
                     F(B, ALL, limcheck),
                     F(B, R14, blipmode),
                     F(B, ALL, usrtimer),
                     F(B, ALL, skpoly),
                     F(B, ALL, angdir),
                     F(B, ALL, splframe),
                     F(B, R14, attreq),
                     F(B, R14, attdia),
                     F(B, ALL, mirrtext),
                     F(B, ALL, worldview),
                     SKIP(B, R14), /* WIREFRAME */
                     F(B, ALL, tilemode),
                     F(B, ALL, plimcheck),
                     F(B, ALL, visretain),
                     F(B, R14, delobj),
                     F(B, ALL, dispsilh),
                     SKIP(B, ALL), /* PELLIPSE */
                     F(BS, ALL, proxygraphics),
                     F(BS, R14, dragmode),
                     F(BS, ALL, treedepth),
                     F(BS, ALL, lunits),
                     F(BS, ALL, luprec),
                     F(BS, ALL, aunits),
                     F(BS, ALL, auprec),
                     F(BS, R14, osmode),
                     F(BS, ALL, attmode),
                     F(BS, R14, coords),
                     F(BS, ALL, pdmode),
                     F(BS, R14, pickstyle),
                     FI(BS, ALL, useri, 0),
                     FI(BS, ALL, useri, 1),
                     FI(BS, ALL, useri, 2),
                     FI(BS, ALL, useri, 3),
                     FI(BS, ALL, useri, 4),
                     F(BS, ALL, splinesegs),
                     F(BS, ALL, surfu),
                     F(BS, ALL, surfv),
                     F(BS, ALL, surftype),
                     F(BS, ALL, surftab1),
                     F(BS, ALL, surftab2),
                     F(BS, ALL, splinetype),
                     F(BS, ALL, shadedge),
                     F(BS, ALL, shadedif),
                     F(BS, ALL, unitmode),
                     F(BS, ALL, maxactvp),
                     SKIP(BS, ALL), /* ISOLINES */
                     F(BS, ALL, cmljust),
                     SKIP(BS, ALL), /* TEXTQLTY */
                     F(BD, ALL, ltscale),
                     F(BD, ALL, textsize),
                     F(BD, ALL, tracewid),
                     F(BD, ALL, sketchinc),
                     F(BD, ALL, filletrad),
                     F(BD, ALL, thickness),
                     F(BD, ALL, angbase),
                     F(BD, ALL, pdsize),
                     F(BD, ALL, plinewid),
                     FI(BD, ALL, userr, 0),
                     FI(BD, ALL, userr, 1),
                     FI(BD, ALL, userr, 2),
                     FI(BD, ALL, userr, 3),
                     FI(BD, ALL, userr, 4),
                     F(BD, ALL, chamfera),
                     F(BD, ALL, chamferb),
                     F(BD, ALL, chamferc),
                     F(BD, ALL, chamferd),
                     SKIP(BD, ALL), /* FACETRES */
                     F(BD, ALL, cmlscale),
                     F(BD, ALL, celtscale),
                     F(TV, ALL, menu),
                     F(TD, ALL, tdcreate),
                     F(TD, ALL, tdupdate),
                     F(TD, ALL, tdindwg),
                     F(TD, ALL, tdusrtimer),
                     F(CMC, ALL, cecolor),
                     F(H, ALL, handseed),
                     F(H, ALL, clayer),
                     F(H, ALL, textstyle),
                     F(H, ALL, celtype),
                     F(H, ALL, dimstyle),
                     F(H, ALL, cmlstyle),
                     F(BD, A2K, psvpscale),
                     F(BD3, ALL, pinsbase),
                     F(BD3, ALL, pextmin),
                     F(BD3, ALL, pextmax),
                     F(RD2, ALL, plimmin),
                     F(RD2, ALL, plimmax),
                     F(BD, ALL, pelevation),
                     F(BD3, ALL, pucsorg),
                     F(BD3, ALL, pucsxdir),
                     F(BD3, ALL, pucsydir),
                     F(H, ALL, pucsname),
                     F(H, A2K, pucsorthoref),
                     F(BS, A2K, pucsorthoview),
                     F(H, A2K, pucsbase),
                     F(BD3, A2K, pucsorgtop),
                     F(BD3, A2K, pucsorgbottom),
                     F(BD3, A2K, pucsorgleft),
                     F(BD3, A2K, pucsorgright),
                     F(BD3, A2K, pucsorgfront),
                     F(BD3, A2K, pucsorgback),
                     F(BD3, ALL, insbase),
                     F(BD3, ALL, extmin),
                     F(BD3, ALL, extmax),
                     F(RD2, ALL, limmin),
                     F(RD2, ALL, limmax),
                     F(BD, ALL, elevation),
                     F(BD3, ALL, ucsorg),
                     F(BD3, ALL, ucsxdir),
                     F(BD3, ALL, ucsydir),
                     F(H, ALL, ucsname),
                     F(H, A2K, ucsorthoref),
                     F(BS, A2K, ucsorthoview),
                     F(H, A2K, ucsbase),
                     F(BD3, A2K, ucsorgtop),
                     F(BD3, A2K, ucsorgbottom),
                     F(BD3, A2K, ucsorgleft),
                     F(BD3, A2K, ucsorgright),
                     F(BD3, A2K, ucsorgfront),
                     F(BD3, A2K, ucsorgback),
                     F(TV, A2K, dimpost),
                     F(TV, A2K, dimapost),
                     /* dimension variables of releases 13 and 14 */
                     F(B, R14, dimtol),
                     F(B, R14, dimlim),
                     F(B, R14, dimtih),
                     F(B, R14, dimtoh),
                     F(B, R14, dimse1),
                     F(B, R14, dimse2),
                     F(B, R14, dimalt),
                     F(B, R14, dimtofl),
                     F(B, R14, dimsah),
                     F(B, R14, dimtix),
                     F(B, R14, dimsoxd),
                     F(RC, R14, dimaltd),
                     F(RC, R14, dimzin),
                     F(B, R14, dimsd1),
                     F(B, R14, dimsd2),
                     F(RC, R14, dimtolj),
                     F(RC, R14, dimjust),
                     F(RC, R14, dimatfit),
                     F(B, R14, dimupt),
                     F(RC, R14, dimtzin),
                     F(RC, R14, dimaltz),
                     F(RC, R14, dimalttz),
                     F(RC, R14, dimtad),
                     F(BS, R14, dimlunit),
                     F(BS, R14, dimaunit),
                     F(BS, R14, dimdec),
                     F(BS, R14, dimtdec),
                     F(BS, R14, dimaltu),
                     F(BS, R14, dimalttd),
                     F(H, R14, dimtxsty),
                     /* common */
                     F(BD, ALL, dimscale),
                     F(BD, ALL, dimasz),
                     F(BD, ALL, dimexo),
                     F(BD, ALL, dimdli),
                     F(BD, ALL, dimexe),
                     F(BD, ALL, dimrnd),
                     F(BD, ALL, dimdle),
                     F(BD, ALL, dimtp),
                     F(BD, ALL, dimtm),
                     F(B, A2K, dimtol),
                     F(B, A2K, dimlim),
                     F(B, A2K, dimtih),
                     F(B, A2K, dimtoh),
                     F(B, A2K, dimse1),
                     F(B, A2K, dimse2),
                     F(BS, A2K, dimtad),
                     F(BS, A2K, dimzin),
                     F(BS, A2K, dimazin),
                     F(BD, ALL, dimtxt),
                     F(BD, ALL, dimcen),
                     F(BD, ALL, dimtsz),
                     F(BD, ALL, dimaltf),
                     F(BD, ALL, dimlfac),
                     F(BD, ALL, dimtvp),
                     F(BD, ALL, dimtfac),
                     F(BD, ALL, dimgap),
                     F(TV, R14, dimpost),
                     F(TV, R14, dimapost),
                     F(TV, R14, dimblk),
                     F(TV, R14, dimblk1),
                     F(TV, R14, dimblk2),
                     F(BD, A2K, dimaltrnd),
                     F(B, A2K, dimalt),
                     F(BS, A2K, dimaltd),
                     F(B, A2K, dimtofl),
                     F(B, A2K, dimsah),
                     F(B, A2K, dimtix),
                     F(B, A2K, dimsoxd),
                     F(CMC, ALL, dimclrd),
                     F(CMC, ALL, dimclre),
                     F(CMC, ALL, dimclrt),
                     F(BS, A2K, dimadec),
                     F(BS, A2K, dimdec),
                     F(BS, A2K, dimtdec),
                     F(BS, A2K, dimaltu),
                     F(BS, A2K, dimalttd),
                     F(BS, A2K, dimaunit),
                     F(BS, A2K, dimfrac),
                     F(BS, A2K, dimlunit),
                     F(BS, A2K, dimdsep),
                     F(BS, A2K, dimtmove),
                     F(BS, A2K, dimjust),
                     F(B, A2K, dimsd1),
                     F(B, A2K, dimsd2),
                     F(BS, A2K, dimtolj),
                     F(BS, A2K, dimtzin),
                     F(BS, A2K, dimaltz),
                     F(BS, A2K, dimalttz),
                     F(B, A2K, dimupt),
                     F(BS, A2K, dimatfit),
                     F(H, A2K, dimtxsty),
                     F(H, A2K, dimldrblkhandle),
                     F(H, A2K, dimblkhandle),
                     F(H, A2K, dimblk1handle),
                     F(H, A2K, dimblk2handle),
                     F(BS, A2K, dimlwd),
                     F(BS, A2K, dimlwe),
                     /* the objects the readers start from */
                     HDL(ALL, DWG_H_BLOCKCTRL),
                     HDL(ALL, DWG_H_LAYERCTRL),
                     HDL(ALL, DWG_H_STYLECTRL),
                     HDL(ALL, DWG_H_LTYPECTRL),
                     HDL(ALL, DWG_H_VIEWCTRL),
                     HDL(ALL, DWG_H_UCSCTRL),
                     HDL(ALL, DWG_H_VPORTCTRL),
                     HDL(ALL, DWG_H_APPIDCTRL),
                     HDL(ALL, DWG_H_DIMSTYLECTRL),
                     HDL(ALL, DWG_H_VPENTHDRCTRL),
                     HDL(ALL, DWG_H_GROUPDICT),
                     HDL(ALL, DWG_H_MLSTYLEDICT),
                     HDL(ALL, DWG_H_NAMEDDICT),
                     SKIP(BS, A2K), /* TSTACKALIGN */
                     SKIP(BS, A2K), /* TSTACKSIZE */
                     F(TV, A2K, hyperlinkbase),
                     F(TV, A2K, stylesheet),
                     HDL(A2K, DWG_H_LAYOUTDICT),
                     HDL(A2K, DWG_H_PLOTSETTINGSDICT),
                     HDL(A2K, DWG_H_PLOTSTYLEDICT),
                     {FLAGS, A2K, -1, 0},
                     F(BS, A2K, insunits),
                     {PSTYLE, A2K, -1, 0},
                     F(TV, A2K, fingerprintguid),
                     F(TV, A2K, versionguid),
                     HDL(ALL, DWG_H_PSPACE),
                     HDL(ALL, DWG_H_MSPACE),
                     HDL(ALL, DWG_H_BYLAYER),
                     HDL(ALL, DWG_H_BYBLOCK),
                     HDL(ALL, DWG_H_CONTINUOUS)};

#undef F
#undef FI
#undef SKIP
#undef HDL

void putint(AdHeader *h, const Var &v, int32_t value)
{
    if (v.off < 0) return;
    unsigned char *p = reinterpret_cast<unsigned char *>(h) + v.off;
    if (v.size == 1) {
        *p = static_cast<unsigned char>(value);
    } else if (v.size == 2) {
        int16_t s = static_cast<int16_t>(value);
        std::memcpy(p, &s, 2);
    } else if (v.size == 4) {
        std::memcpy(p, &value, 4);
    }
}

void putreal(AdHeader *h, const Var &v, const double *values, size_t n)
{
    if (v.off < 0) return;
    std::memcpy(reinterpret_cast<unsigned char *>(h) + v.off, values, n * sizeof(double));
}

int readvars(AdDrawing *dwg, DwgBits *b, bool a2k)
{
    AdHeader *h = dwg->header;
    AdDwgLoad *s = dwg->dwg;
    AdObjhandle none{};
    for (const Var &v : kVars) {
        if ((v.rel == R14 && a2k) || (v.rel == A2K && !a2k)) continue;
        unsigned char *field = v.off >= 0 ? reinterpret_cast<unsigned char *>(h) + v.off : nullptr;
        switch (v.kind) {
        case B: putint(h, v, getbitbitfn(b)); break;
        case BS: putint(h, v, getbitshort(b)); break;
        case BL: putint(h, v, getbitlong(b)); break;
        case RC: putint(h, v, getbitrawbyte(b)); break;
        case CMC: putint(h, v, getbitcolor(b)); break;
        case BD: {
            double d = getbitdouble(b);
            putreal(h, v, &d, 1);
            break;
        }
        case RD2: {
            double d[2];
            getbit2rawdouble(b, d);
            putreal(h, v, d, 2);
            break;
        }
        case BD3: {
            double d[3];
            getbit3double(b, d);
            putreal(h, v, d, 3);
            break;
        }
        case TV: {
            char text[256];
            getbitstring(b, text, field ? (v.size < sizeof text ? v.size : sizeof text) : sizeof text);
            if (field) std::memcpy(field, text, std::strlen(text) + 1);
            break;
        }
        case H: getbithandle(b, field ? field : none); break;
        case HS: getbithandle(b, s->h[v.off]); break;
        case TD: {
            int32_t t[2];
            t[0] = getbitlong(b);
            t[1] = getbitlong(b);
            if (field) std::memcpy(field, t, sizeof t);
            break;
        }
        case FLAGS: {
            int32_t f = getbitlong(b);
            h->celweight = dwglineweight(static_cast<unsigned>(f & 0x1F));
            h->endcaps = static_cast<unsigned char>((f & 0x60) >> 5);
            h->joinstyle = static_cast<unsigned char>((f & 0x180) >> 7);
            h->lwdisplay = !(f & 0x200);
            h->xedit = !(f & 0x400);
            h->extnames = (f & 0x800) != 0;
            h->pstylemode = (f & 0x2000) != 0;
            break;
        }
        case PSTYLE:
            h->cepsntype = getbitshort(b);
            if (h->cepsntype == 3) getbithandle(b, none);
            break;
        }
        if (b->error) return 0;
    }
    return 1;
}

/* A section framed by its sentinels: the bytes between the 32-bit size
 * after the start sentinel and the checksum; buf receives them (allocated). */
int readsection(AdDrawing *dwg, int64_t pos, int64_t avail, const unsigned char *sentinel,
                unsigned char **buf, uint32_t *size)
{
    AdDwgLoad *s = dwg->dwg;
    *buf = nullptr;
    *size = 0;
    unsigned char head[20];
    if (pos <= 0 || avail < 20 || !dwgreadat(dwg, pos, head, 20)) return 0;
    if (std::memcmp(head, sentinel, 16) != 0) return 0;
    uint32_t n = static_cast<uint32_t>(head[16] | head[17] << 8 | head[18] << 16 | uint32_t(head[19]) << 24);
    if (static_cast<int64_t>(n) + 22 > s->filesize - pos) return 0;
    unsigned char *p = static_cast<unsigned char *>(ztmem_malloc(static_cast<size_t>(n) + 6));
    if (!p) {
        adcriticalerror(2);
        return 0;
    }
    std::memcpy(p, head + 16, 4);
    if (!dwgreadat(dwg, pos + 20, p + 4, static_cast<size_t>(n) + 2)) {
        ztmem_free(p);
        return 0;
    }
    if (!check13crc(p, static_cast<size_t>(n) + 6, 0xC0C1)) dwgwarn("Section checksum mismatch");
    *buf = p;
    *size = n;
    return 1;
}

/* The version index of a DWG file's first six bytes; -1 unsupported with
 * the error set. */
int versiongate(AdDrawing *dwg, const char *v)
{
    static const char *const kSupported[3] = {"AC1012", "AC1014", "AC1015"};
    for (int i = 0; i < 3; ++i)
        if (!std::strncmp(v, kSupported[i], 6)) return AD_ACAD13 + i;
    if (!std::strncmp(v, "AC1013", 6)) {
        if (!adin->acceptr14beta) {
            adseterror(286);
            return -1;
        }
        dwg->prerelease = 1;
        return AD_ACAD14;
    }
    if (!std::strncmp(v, "AC1500", 6)) return AD_ACAD2000;
    if (!std::strncmp(v, "AC1018", 6) || !std::strncmp(v, "AC1021", 6)) {
        adseterror(309);
        return -1;
    }
    adseterror(8);
    return -1;
}

} // namespace

extern "C" {

int dwgreadr13header(AdDrawing *dwg, DwgBits *b) { return readvars(dwg, b, false); }
int dwgreada2kheader(AdDrawing *dwg, DwgBits *b) { return readvars(dwg, b, true); }

int16_t dwgloadheader(AdDrawing *dwg, void *, void *)
{
    AdHeader *h = dwg->header;
    adSetHeaderDefaults(h);
    std::memset(adin->names, 0, sizeof adin->names);
    char vs[7] = {0};
    size_t got = 0;
    if (ztior_seek(dwg->stream, 0) != 0 || !ztior_read(dwg->stream, vs, 6, &got) || got != 6) {
        adseterror(4);
        return -1;
    }
    int v = versiongate(dwg, vs);
    if (v < 0) return -1;
    dwg->version = static_cast<int16_t>(v);
    if (!dwgloadstart(dwg)) return -1;
    AdDwgLoad *s = dwg->dwg;
    std::memcpy(h->acadver, vs, 7);

    /* file header: the locator count at 0x15, then 9 bytes a locator */
    unsigned char fh[0x19 + 9 * 6 + 2];
    if (!dwgreadat(dwg, 0, fh, 0x19)) {
        adseterror(4);
        return -1;
    }
    uint32_t nloc =
        static_cast<uint32_t>(fh[0x15] | fh[0x16] << 8 | fh[0x17] << 16 | uint32_t(fh[0x18]) << 24);
    if (nloc < 3 || nloc > 6) {
        adseterror(186);
        return -1;
    }
    if (!dwgreadat(dwg, 0x19, fh + 0x19, 9 * nloc + 2)) {
        adseterror(4);
        return -1;
    }
    uint16_t crc = dwgcrc16(0, fh, 0x19 + 9 * nloc);
    static const uint16_t kXor[7] = {0, 0, 0, 0xA598, 0x8101, 0x3CC4, 0x8461};
    crc ^= kXor[nloc];
    if (crc != static_cast<uint16_t>(fh[0x19 + 9 * nloc] | fh[0x19 + 9 * nloc + 1] << 8))
        dwgwarn("File header checksum mismatch");
    h->acadmaintver = fh[0x0B];
    h->dwgcodepage = static_cast<int16_t>(fh[0x13] | fh[0x14] << 8);
    s->numsections = static_cast<int>(nloc);
    for (uint32_t i = 0; i < nloc; ++i) {
        const unsigned char *r = fh + 0x19 + 9 * i;
        int64_t pos = static_cast<int64_t>(uint32_t(r[1]) | uint32_t(r[2]) << 8 | uint32_t(r[3]) << 16 |
                                           uint32_t(r[4]) << 24);
        int64_t size = static_cast<int64_t>(uint32_t(r[5]) | uint32_t(r[6]) << 8 | uint32_t(r[7]) << 16 |
                                            uint32_t(r[8]) << 24);
        unsigned num = r[0];
        if (num >= 6) continue;
        if (pos > s->filesize || size > s->filesize - pos) pos = size = 0; /* points past the end */
        s->sectionpos[num] = pos;
        s->sectionsize[num] = size;
    }

    /* header variables */
    adseterror(185);
    unsigned char *buf;
    uint32_t n;
    if (!readsection(dwg, s->sectionpos[0], s->sectionsize[0], kHeaderStart, &buf, &n)) {
        if (adin->error == 30) adseterror(185);
        return -1;
    }
    DwgBits b;
    dwgbitsinit(&b, buf + 4, n, dwg->version);
    int ok = dwg->version >= AD_ACAD2000 ? dwgreada2kheader(dwg, &b) : dwgreadr13header(dwg, &b);
    ztmem_free(buf);
    if (!ok) return -1;
    h->handling = 1;
    std::memcpy(dwg->bylayerltype, s->h[DWG_H_BYLAYER], 8);
    std::memcpy(dwg->byblockltype, s->h[DWG_H_BYBLOCK], 8);
    std::memcpy(dwg->continuousltype, s->h[DWG_H_CONTINUOUS], 8);
    static const int kCtrl[AD_TBL_COUNT] = {DWG_H_LTYPECTRL,    DWG_H_LAYERCTRL, DWG_H_STYLECTRL,
                                            DWG_H_VIEWCTRL,     DWG_H_VPORTCTRL, DWG_H_APPIDCTRL,
                                            DWG_H_DIMSTYLECTRL, DWG_H_UCSCTRL,   DWG_H_BLOCKCTRL};
    for (int t = 0; t < AD_TBL_COUNT; ++t) std::memcpy(dwg->scan.tablecontrol[t], s->h[kCtrl[t]], 8);
    std::memcpy(dwg->vpenthdrcontrol, s->h[DWG_H_VPENTHDRCTRL], 8);

    /* the measurement system, in the section after the objects of R14 on */
    if (s->numsections > 4 && s->sectionsize[4] >= 4) {
        unsigned char m[4];
        if (dwgreadat(dwg, s->sectionpos[4], m, 4)) h->measurement = static_cast<int16_t>(m[2] | m[3] << 8);
    }

    adseterror(186);
    if (!loadobjmapblob(dwg, s->sectionpos[2], s->sectionsize[2])) return -1;
    adseterror(0);
    return 1;
}

/* ---------------------------------------------------------------- classes */

int16_t dwgstartclassload(AdDrawing *dwg, void *, void *)
{
    AdDwgLoad *s = dwg->dwg;
    if (!s || s->sectionsize[1] <= 0) return 0;
    return 1;
}

/* All classes at once: the section is small and read whole. */
int16_t dwgloadclass(AdDrawing *dwg, void *, void *)
{
    AdDwgLoad *s = dwg->dwg;
    if (s->sectionsize[1] <= 0) return 0;
    unsigned char *buf;
    uint32_t n;
    int64_t pos = s->sectionpos[1], size = s->sectionsize[1];
    s->sectionsize[1] = 0; /* read once */
    if (!readsection(dwg, pos, size, kClassesStart, &buf, &n)) {
        dwgwarn("Classes section unreadable");
        return 0;
    }
    DwgBits b;
    dwgbitsinit(&b, buf + 4, n, dwg->version);
    int16_t r = 0;
    while (dwgbitsleft(&b) >= 32 && !b.error) {
        AdClass k{};
        k.classnum = getbitshort(&b);
        k.proxyflags = getbitshort(&b);
        getbitstring(&b, k.appname, sizeof k.appname);
        getbitstring(&b, k.cppname, sizeof k.cppname);
        getbitstring(&b, k.dxfname, sizeof k.dxfname);
        k.wasaproxy = static_cast<int16_t>(getbitbitfn(&b));
        k.itemclassid = getbitshort(&b);
        if (b.error) break;
        if (k.classnum < DWG_T_CLASSBASE || !k.dxfname[0] || adClassnumOfName(dwg, k.dxfname)) continue;
        if (!adAddClass(dwg, &k)) {
            r = -1;
            break;
        }
    }
    ztmem_free(buf);
    return r;
}

} // extern "C"
