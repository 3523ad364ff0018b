/* The table readers of a DXF load (linetypes, layers, text styles, views,
 * viewports, UCSs, registered applications, dimension styles) and the
 * CLASSES section. Each start reader seeks to the first record the scan
 * pass found; each record reader reads one record with generictableread
 * and stores it under its table's rules, and at the end of the table adds
 * the records every drawing must have:
 *   LTYPE    files before AC1012 get BYLAYER and BYBLOCK first; records
 *            named BYLAYER/BYBLOCK are not stored, their handles are kept
 *            (AC1012 and later append "ByBlock" and "ByLayer" with them at
 *            the end); a record whose name is taken replaces the stored
 *            one; "Continuous" is added when no CONTINUOUS exists.
 *   LAYER    a taken name replaces; the linetype named by 6 is matched
 *            exactly, then ignoring case, passing over BYBLOCK and BYLAYER,
 *            else the first linetype that is neither; with VISRETAIN 0 a
 *            name with '|' gets Continuous; layer "0" is added at the head
 *            when absent.
 *   STYLE    a taken name replaces; "Standard" is added without STANDARD.
 *   DIMSTYLE starts from the header's DIM variables; 5, 6, 7 name the
 *            arrow blocks (block handles); "Standard" is added.
 *   VPORT    "*ACTIVE" is added; APPID "ACAD" is added; VIEW, UCS as read.
 * A replaced record keeps the handle it was stored with; its old blobs are
 * freed when the load ends (extended-data resolve entries may point into
 * them). Records of files before AC1012, records without a handle and
 * records whose handle is taken get a fresh handle. */
#include "toolkit/dxf/dxf_int.h"

#include <cstddef>
#include <cstring>

namespace {

const char *const kTableNames[AD_TBL_COUNT] = {"LTYPE", "LAYER",    "STYLE", "VIEW",        "VPORT",
                                               "APPID", "DIMSTYLE", "UCS",   "BLOCK_RECORD"};

/* ---------------------------------------------------------------- field tables */

const AdField kLtypeF[] = {AD_FT(2, AdLinetype, name),           AD_FT(3, AdLinetype, text),
                           AD_FB(72, AdLinetype, alignment),     AD_FB(70, AdLinetype, flag),
                           AD_FR(40, AdLinetype, patternlength), AD_FH(360, AdLinetype, xdicthandle)};
const AdField kLayerF[] = {
    AD_FS(62, AdLayer, color),           AD_FB(70, AdLayer, flag),      AD_FT(2, AdLayer, name),
    AD_FH(360, AdLayer, xdicthandle),    AD_FS(290, AdLayer, plotflag), AD_FS(370, AdLayer, lineweight),
    AD_FH(390, AdLayer, plotstylehandle)};
const AdField kStyleF[] = {AD_FT(4, AdShapefile, bigfontname), AD_FB(71, AdShapefile, generationflag),
                           AD_FB(70, AdShapefile, flag),       AD_FT(2, AdShapefile, name),
                           AD_FT(3, AdShapefile, fontname),    AD_FA(50, AdShapefile, oblique),
                           AD_FR(40, AdShapefile, height),     AD_FR(41, AdShapefile, widthfactor),
                           AD_FR(42, AdShapefile, lastheight), AD_FH(360, AdShapefile, xdicthandle)};
const AdField kViewF[] = {
    AD_FR(41, AdView, width),         AD_FP2(10, AdView, center),     AD_FP3(11, AdView, viewdir),
    AD_FB(70, AdView, flag),          AD_FR(44, AdView, backclip),    AD_FR(40, AdView, height),
    AD_FR(42, AdView, lenslength),    AD_FT(2, AdView, name),         AD_FP3(12, AdView, target),
    AD_FA(50, AdView, twist),         AD_FS(71, AdView, viewmode),    AD_FR(43, AdView, frontclip),
    AD_FS(72, AdView, ucsassociated), AD_FS(281, AdView, rendermode), AD_FP3(110, AdView, ucsorg),
    AD_FP3(111, AdView, ucsxdir),     AD_FP3(112, AdView, ucsydir),   AD_FS(79, AdView, ucsorthotype),
    AD_FR(146, AdView, elevation),    AD_FH(345, AdView, ucshandle),  AD_FH(346, AdView, baseucshandle),
    AD_FH(360, AdView, xdicthandle)};
const AdField kVportF[] = {
    AD_FB(70, AdVport, flag),           AD_FT(2, AdVport, name),         AD_FP2(10, AdVport, lowerleft),
    AD_FP2(11, AdVport, upperright),    AD_FP2(13, AdVport, snapbase),   AD_FP2(14, AdVport, snapspacing),
    AD_FP2(15, AdVport, gridspacing),   AD_FP2(12, AdVport, center),     AD_FP3(16, AdVport, viewdir),
    AD_FP3(17, AdVport, target),        AD_FA(51, AdVport, twist),       AD_FR(40, AdVport, height),
    AD_FS(71, AdVport, viewmode),       AD_FS(72, AdVport, circlezoom),  AD_FS(73, AdVport, fastzoom),
    AD_FS(74, AdVport, ucsicon),        AD_FR(41, AdVport, aspect),      AD_FR(43, AdVport, frontclip),
    AD_FR(42, AdVport, lenslength),     AD_FS(76, AdVport, gridmode),    AD_FR(44, AdVport, backclip),
    AD_FS(78, AdVport, snapisopair),    AD_FS(75, AdVport, snapmode),    AD_FA(50, AdVport, snaprot),
    AD_FS(77, AdVport, snapstyle),      AD_FS(65, AdVport, ucsvp),       AD_FS(281, AdVport, rendermode),
    AD_FP3(110, AdVport, ucsorg),       AD_FP3(111, AdVport, ucsxdir),   AD_FP3(112, AdVport, ucsydir),
    AD_FS(79, AdVport, ucsorthotype),   AD_FR(146, AdVport, elevation),  AD_FH(345, AdVport, ucshandle),
    AD_FH(346, AdVport, baseucshandle), AD_FH(360, AdVport, xdicthandle)};
const AdField kAppidF[] = {AD_FB(70, AdRegapp, flag), AD_FT(2, AdRegapp, name),
                           AD_FH(360, AdRegapp, xdicthandle)};
const AdField kDimstyleF[] = {AD_FB(70, AdDimstyle, flag),        AD_FT(2, AdDimstyle, name),
                              AD_FS(179, AdDimstyle, dimadec),    AD_FB(170, AdDimstyle, dimalt),
                              AD_FB(171, AdDimstyle, dimaltd),    AD_FR(143, AdDimstyle, dimaltf),
                              AD_FR(148, AdDimstyle, dimaltrnd),  AD_FT(4, AdDimstyle, dimapost),
                              AD_FR(41, AdDimstyle, dimasz),      AD_FS(79, AdDimstyle, dimazin),
                              AD_FH(342, AdDimstyle, dimblk),     AD_FH(343, AdDimstyle, dimblk1),
                              AD_FH(344, AdDimstyle, dimblk2),    AD_FR(141, AdDimstyle, dimcen),
                              AD_FS(176, AdDimstyle, dimclrd),    AD_FS(177, AdDimstyle, dimclre),
                              AD_FS(178, AdDimstyle, dimclrt),    AD_FR(46, AdDimstyle, dimdle),
                              AD_FR(43, AdDimstyle, dimdli),      AD_FR(44, AdDimstyle, dimexe),
                              AD_FR(42, AdDimstyle, dimexo),      AD_FR(147, AdDimstyle, dimgap),
                              AD_FR(144, AdDimstyle, dimlfac),    AD_FB(72, AdDimstyle, dimlim),
                              AD_FT(3, AdDimstyle, dimpost),      AD_FR(45, AdDimstyle, dimrnd),
                              AD_FB(173, AdDimstyle, dimsah),     AD_FR(40, AdDimstyle, dimscale),
                              AD_FB(75, AdDimstyle, dimse1),      AD_FB(76, AdDimstyle, dimse2),
                              AD_FR(146, AdDimstyle, dimtfac),    AD_FB(77, AdDimstyle, dimtad),
                              AD_FR(48, AdDimstyle, dimtm),       AD_FB(174, AdDimstyle, dimtix),
                              AD_FB(73, AdDimstyle, dimtih),      AD_FB(71, AdDimstyle, dimtol),
                              AD_FR(47, AdDimstyle, dimtp),       AD_FR(142, AdDimstyle, dimtsz),
                              AD_FR(145, AdDimstyle, dimtvp),     AD_FR(140, AdDimstyle, dimtxt),
                              AD_FB(281, AdDimstyle, dimsd1),     AD_FB(282, AdDimstyle, dimsd2),
                              AD_FB(172, AdDimstyle, dimtofl),    AD_FB(74, AdDimstyle, dimtoh),
                              AD_FS(274, AdDimstyle, dimalttd),   AD_FB(286, AdDimstyle, dimaltz),
                              AD_FS(275, AdDimstyle, dimaunit),   AD_FB(276, AdDimstyle, dimfrac),
                              AD_FS(277, AdDimstyle, dimlunit),   AD_FS(270, AdDimstyle, dimlunit),
                              AD_FB(278, AdDimstyle, dimdsep),    AD_FS(279, AdDimstyle, dimtmove),
                              AD_FS(271, AdDimstyle, dimdec),     AD_FB(283, AdDimstyle, dimtolj),
                              AD_FB(284, AdDimstyle, dimtzin),    AD_FB(285, AdDimstyle, dimaltzin),
                              AD_FB(288, AdDimstyle, dimupt),     AD_FS(272, AdDimstyle, dimtdec),
                              AD_FB(175, AdDimstyle, dimsoxd),    AD_FB(78, AdDimstyle, dimzin),
                              AD_FS(287, AdDimstyle, dimatfit),   AD_FS(289, AdDimstyle, dimatfit),
                              AD_FS(280, AdDimstyle, dimjust),    AD_FS(273, AdDimstyle, dimaltu),
                              AD_FH(341, AdDimstyle, dimldrblk),  AD_FS(371, AdDimstyle, dimlwd),
                              AD_FS(372, AdDimstyle, dimlwe),     AD_FH(340, AdDimstyle, dimtxsty),
                              AD_FH(360, AdDimstyle, xdicthandle)};
const AdField kUcsF[] = {
    AD_FB(70, AdUcs, flag),           AD_FT(2, AdUcs, name),         AD_FP3(10, AdUcs, origin),
    AD_FP3(11, AdUcs, xdir),          AD_FP3(12, AdUcs, ydir),       AD_FH(360, AdUcs, xdicthandle),
    AD_FS(79, AdUcs, orthotype),      AD_FS(71, AdUcs, orthotype71), AD_FR(146, AdUcs, elevation),
    AD_FH(346, AdUcs, baseucshandle), AD_FP3(13, AdUcs, orthoorigin)};
const AdField kBlkrecF[] = {AD_FT(2, AdBlockheader, name),          AD_FH(340, AdBlockheader, layouthandle),
                            AD_FH(360, AdBlockheader, xdicthandle), AD_FS(70, AdBlockheader, insertunits),
                            AD_FB(280, AdBlockheader, explodable),  AD_FB(281, AdBlockheader, blockscaling)};

AdFieldTable g_fields[AD_LIST_COUNT] = {AD_FIELDS(kLtypeF), AD_FIELDS(kLayerF),    AD_FIELDS(kStyleF),
                                        AD_FIELDS(kViewF),  AD_FIELDS(kVportF),    AD_FIELDS(kUcsF),
                                        AD_FIELDS(kAppidF), AD_FIELDS(kDimstyleF), AD_FIELDS(kBlkrecF)};

/* Where the common fields sit in each record type. */
struct Layout {
    size_t size, owner, handle, xdict, xdblob, numreactors, reactorblob;
};
#define AD_LAYOUT(T)                                                                                         \
    Layout                                                                                                   \
    {                                                                                                        \
        sizeof(T), offsetof(T, ownerhandle), offsetof(T, handle), offsetof(T, xdicthandle),                  \
            offsetof(T, xdblob), offsetof(T, numreactors), offsetof(T, reactorblob)                          \
    }
const Layout kLayouts[AD_LIST_COUNT] = {
    AD_LAYOUT(AdLinetype), AD_LAYOUT(AdLayer),    AD_LAYOUT(AdShapefile),
    AD_LAYOUT(AdView),     AD_LAYOUT(AdVport),    AD_LAYOUT(AdUcs),
    AD_LAYOUT(AdRegapp),   AD_LAYOUT(AdDimstyle), AD_LAYOUT(AdBlockheader)};
#undef AD_LAYOUT

/* AD_LIST_* to AD_TBL_* (the scan record's order). */
const int kTblOfList[AD_LIST_COUNT] = {AD_TBL_LTYPE, AD_TBL_LAYER,    AD_TBL_STYLE,
                                       AD_TBL_VIEW,  AD_TBL_VPORT,    AD_TBL_UCS,
                                       AD_TBL_APPID, AD_TBL_DIMSTYLE, AD_TBL_BLOCK_RECORD};

/* What a record reader collects beside the record's fields. */
struct RecCtx {
    AdXdCollect xd;
    bool ownerdone;
    char ltypename[AD_NAME_LEN]; /* LAYER 6 */
    bool ltypegiven;
    int dashes;                  /* LTYPE: dashes read */
    int strused;                 /* LTYPE: bytes of strarea used */
    char dimblk[3][AD_NAME_LEN]; /* DIMSTYLE 5, 6, 7 */
    bool dimblkgiven[3];
    AdBlobCursor *preview; /* BLOCK_RECORD 310 */
};

template <class T> T *as(void *rec) { return static_cast<T *>(rec); }

/* Pairs only some tables have. True when the pair was taken. */
bool special(AdDrawing *, int list, void *rec, RecCtx &c)
{
    uint16_t code = adin->curcode;
    if (list == AD_LIST_LTYPE) {
        AdLinetype *l = as<AdLinetype>(rec);
        int d = c.dashes - 1;
        switch (code) {
        case 73: return true; /* the dash count is that of the dashes read */
        case 49:
            if (c.dashes < 12) {
                l->dashlength[c.dashes++] = dxfreal();
                l->numdashes = static_cast<int16_t>(c.dashes);
            } else {
                c.dashes = 13; /* further dashes are dropped */
            }
            return true;
        case 74:
        case 75:
        case 340:
        case 46:
        case 50:
        case 44:
        case 45:
        case 9:
            if (d < 0 || d >= 12) return true;
            if (code == 74)
                l->shapeflag[d] = static_cast<int16_t>(dxfint());
            else if (code == 75)
                l->shapenum[d] = static_cast<int16_t>(dxfint());
            else if (code == 340)
                std::memcpy(l->shapestylehandle[d], adin->curhandle, 8);
            else if (code == 46)
                l->shapescale[d] = dxfreal();
            else if (code == 50)
                l->shaperot[d] = dxfangle();
            else if (code == 44)
                l->shapexoffset[d] = dxfreal();
            else if (code == 45)
                l->shapeyoffset[d] = dxfreal();
            else {
                size_t n = std::strlen(adin->curstr);
                if (c.strused + n + 1 <= sizeof l->strarea) {
                    l->stroffset[d] = static_cast<int16_t>(c.strused);
                    std::memcpy(l->strarea + c.strused, adin->curstr, n + 1);
                    c.strused += static_cast<int>(n + 1);
                }
            }
            return true;
        default: return false;
        }
    }
    if (list == AD_LIST_LAYER && code == 6) {
        dxfcopy(c.ltypename, adin->curstr, sizeof c.ltypename);
        c.ltypegiven = true;
        return true;
    }
    if (list == AD_LIST_DIMSTYLE && code >= 5 && code <= 7) {
        dxfcopy(c.dimblk[code - 5], adin->curstr, sizeof c.dimblk[0]);
        c.dimblkgiven[code - 5] = true;
        return true;
    }
    if (list == AD_LIST_BLKH && code == 310) {
        AdBlockheader *b = as<AdBlockheader>(rec);
        if (!c.preview) {
            if (!b->previewblob && !(b->previewblob = adCreateBlobEx(4096))) return true;
            c.preview = adStartBlobAppend(b->previewblob);
        }
        unsigned char bytes[AD_MAX_LINE / 2 + 2];
        int32_t n = 0;
        if (c.preview && adAsciiHexToBinaryCount(adin->curstr) <= static_cast<int32_t>(sizeof bytes)) {
            adAsciiHexToBinaryEx(adin->curstr, bytes, &n);
            adWriteBlobBytesLong(c.preview, bytes, n);
            b->previewbytes += n;
        }
        return true;
    }
    return false;
}

/* Defaults of a record before its pairs are read. */
void recorddefaults(AdDrawing *dwg, int list, void *rec)
{
    std::memset(rec, 0, kLayouts[list].size);
    switch (list) {
    case AD_LIST_LTYPE: as<AdLinetype>(rec)->alignment = 'A'; break;
    case AD_LIST_LAYER: {
        AdLayer *l = as<AdLayer>(rec);
        l->color = 7;
        l->plotflag = 1;
        l->lineweight = -3;
        break;
    }
    case AD_LIST_STYLE: {
        AdShapefile *s = as<AdShapefile>(rec);
        s->widthfactor = 1.0;
        s->lastheight = 0.2;
        break;
    }
    case AD_LIST_VIEW: {
        AdView *v = as<AdView>(rec);
        v->viewdir[2] = 1.0;
        v->lenslength = 50.0;
        v->ucsxdir[0] = v->ucsydir[1] = 1.0;
        break;
    }
    case AD_LIST_VPORT: {
        AdVport *v = as<AdVport>(rec);
        v->upperright[0] = v->upperright[1] = 1.0;
        v->snapspacing[0] = v->snapspacing[1] = 0.5;
        v->gridspacing[0] = v->gridspacing[1] = 0.5;
        v->viewdir[2] = 1.0;
        v->height = 9.0;
        v->aspect = 1.0;
        v->lenslength = 50.0;
        v->circlezoom = 100;
        v->fastzoom = 1;
        v->ucsicon = 3;
        v->ucsxdir[0] = v->ucsydir[1] = 1.0;
        break;
    }
    case AD_LIST_UCS: {
        AdUcs *u = as<AdUcs>(rec);
        u->xdir[0] = u->ydir[1] = 1.0;
        break;
    }
    case AD_LIST_DIMSTYLE: adSetDefaultDimstyleFromHeader(dwg, as<AdDimstyle>(rec)); break;
    case AD_LIST_BLKH: as<AdBlockheader>(rec)->explodable = 1; break;
    default: break;
    }
}

void putblob(void *rec, size_t off, AdBlob *b) { std::memcpy(static_cast<char *>(rec) + off, &b, sizeof b); }
AdBlob *getblob(const void *rec, size_t off)
{
    AdBlob *b;
    std::memcpy(&b, static_cast<const char *>(rec) + off, sizeof b);
    return b;
}

void freerecordblobs(AdDrawing *dwg, int list, void *rec)
{
    const Layout &L = kLayouts[list];
    dxfdiscardblob(dwg, getblob(rec, L.xdblob));
    dxfdiscardblob(dwg, getblob(rec, L.reactorblob));
    if (list == AD_LIST_BLKH) dxfdiscardblob(dwg, as<AdBlockheader>(rec)->previewblob);
}

/* Reads the next record of the table being read into rec: 1 a record, 0 the
 * end of the table, -1 failure. The record's extended data is stored in a
 * new blob; ctx receives what the table's rules need. */
int generictableread(AdDrawing *dwg, int list, void *rec, RecCtx &c)
{
    const char *name = kTableNames[kTblOfList[list]];
    for (;;) {
        if (!dxfnext(dwg)) return -1;
        if (adin->curcode != 0) continue;
        if (std::strcmp(adin->curstr, name) == 0) break;
        if (std::strcmp(adin->curstr, "ENDTAB") == 0 || std::strcmp(adin->curstr, "ENDSEC") == 0 ||
            std::strcmp(adin->curstr, "EOF") == 0) {
            dxfback(dwg);
            return 0;
        }
    }
    const Layout &L = kLayouts[list];
    recorddefaults(dwg, list, rec);
    std::memset(&c, 0, sizeof c);
    uint16_t handlecode = list == AD_LIST_DIMSTYLE ? 105 : 5;
    unsigned char *r = static_cast<unsigned char *>(rec);
    int codepage = dxfcodepage(dwg);
    int ok = 1;
    for (;;) {
        if (!dxfnext(dwg)) {
            ok = 0;
            break;
        }
        uint16_t code = adin->curcode;
        if (code == 0) {
            dxfback(dwg);
            break;
        }
        if (code == handlecode) {
            std::memcpy(r + L.handle, adin->curhandle, 8);
        } else if (code == 102) {
            int32_t n;
            AdBlob *b = getblob(rec, L.reactorblob);
            std::memcpy(&n, r + L.numreactors, 4);
            ok = dxfgroup102(dwg, &n, &b, r + L.xdict);
            std::memcpy(r + L.numreactors, &n, 4);
            putblob(rec, L.reactorblob, b);
            if (!ok) break;
        } else if (code == 330 && !c.ownerdone) {
            std::memcpy(r + L.owner, adin->curhandle, 8);
            c.ownerdone = true;
        } else if (code >= 1000) {
            dxfxdatapair(dwg, &c.xd);
        } else if (!special(dwg, list, rec, c)) {
            dxffieldread(&g_fields[list], rec, codepage);
        }
    }
    if (c.preview) adEndBlobAppend(c.preview);
    c.preview = nullptr;
    AdBlob *xd = nullptr;
    if (ok && !resolveandaddxdata(dwg, &c.xd, &xd)) ok = 0;
    putblob(rec, L.xdblob, xd);
    if (!ok) {
        freerecordblobs(dwg, list, rec);
        if (adin->error != 298 && adin->error != 299 && adin->error != 288) adseterror(33);
        return -1;
    }
    return 1;
}

/* Stores a record at the head or the tail of its list, with a fresh handle
 * when the file's is missing, taken, or not to be trusted. */
int storerecord(AdDrawing *dwg, int list, void *rec, int mode)
{
    unsigned char *h = adtablehandle(list, rec);
    if (!dxfclaimhandle(dwg, h, dwg->version < AD_ACAD13 || dwg->addhandles_tables)) return 0;
    LLList *l = adtablelist(dwg, list);
    if (!addobjecttolistandindex(dwg, l, rec, kLayouts[list].size, h, mode, nullptr)) return 0;
    return 1;
}

/* Stores a record, or replaces the stored one of the same name (which
 * keeps its handle and place); records without a name are all stored. */
int storeorreplace(AdDrawing *dwg, int list, void *rec)
{
    /* shape-file styles go without names, and are all kept */
    if (!adtablename(list, rec)[0]) return storerecord(dwg, list, rec, AD_PUT_TAIL);
    LLNode *n = adtablefindnode(dwg, list, adtablename(list, rec));
    if (!n) return storerecord(dwg, list, rec, AD_PUT_TAIL);
    void *old = LL_RECORD(n);
    freerecordblobs(dwg, list, old);
    std::memcpy(adtablehandle(list, rec), adtablehandle(list, old), 8);
    std::memcpy(old, rec, kLayouts[list].size);
    return 1;
}

int16_t starttable(AdDrawing *dwg, int list, bool always)
{
    if (!dxfloadstart(dwg)) return -1;
    int t = kTblOfList[list];
    dwg->dxf->table = list;
    dwg->dxf->recordsread = 0;
    if (dwg->scan.tablecount[t] == 0) {
        /* nothing to read; the record reader still adds the defaults */
        dwg->dxf->pushed = 0;
        dwg->dxf->recordsread = -1;
        return always ? 1 : 0;
    }
    if (!dxfseek(dwg, dwg->scan.tablepos[t])) return -1;
    return 1;
}

/* Reads the next record; 0 at the end of the table (also when the table
 * had none). */
int nextrecord(AdDrawing *dwg, int list, void *rec, RecCtx &c)
{
    if (dwg->dxf->recordsread < 0) return 0;
    int r = generictableread(dwg, list, rec, c);
    if (r > 0) ++dwg->dxf->recordsread;
    if (r == 0) dwg->dxf->recordsread = -1;
    return r;
}

bool isname(const char *a, const char *b) { return adstricmp(a, b) == 0; }

bool addltype(AdDrawing *dwg, const char *name, const unsigned char *handle, int mode)
{
    AdLinetype l{};
    std::strcpy(l.name, name);
    l.alignment = 'A';
    if (handle) std::memcpy(l.handle, handle, 8);
    return storerecord(dwg, AD_LIST_LTYPE, &l, mode) != 0;
}

/* The first stored linetype that is neither BYBLOCK nor BYLAYER. */
bool firstltype(AdDrawing *dwg, unsigned char *h)
{
    std::memset(h, 0, 8);
    LLNode *first = dwg->ltypes->head;
    for (LLNode *n = first; n; n = n->next) {
        const AdLinetype *l = static_cast<const AdLinetype *>(LL_RECORD(n));
        if (!isname(l->name, "BYBLOCK") && !isname(l->name, "BYLAYER")) {
            std::memcpy(h, l->handle, 8);
            return true;
        }
    }
    if (first) std::memcpy(h, static_cast<const AdLinetype *>(LL_RECORD(first))->handle, 8);
    return first != nullptr;
}

void layerltype(AdDrawing *dwg, AdLayer *l, const RecCtx &c)
{
    const char *want = c.ltypegiven ? c.ltypename : "CONTINUOUS";
    if (dwg->header->visretain == 0 && std::strchr(l->name, '|')) want = "CONTINUOUS";
    /* linetype names are unique ignoring case (a taken name replaces), so
       the index's one match is the exact one when there is one */
    if (LLNode *n = adtablefindnode(dwg, AD_LIST_LTYPE, want)) {
        const AdLinetype *t = static_cast<const AdLinetype *>(LL_RECORD(n));
        if (!isname(t->name, "BYBLOCK") && !isname(t->name, "BYLAYER")) {
            std::memcpy(l->linetypehandle, t->handle, 8);
            return;
        }
    }
    firstltype(dwg, l->linetypehandle);
}

} // namespace

extern "C" {

/* ---------------------------------------------------------------- LTYPE */

int16_t dxfstartlinetypeload(AdDrawing *dwg, void *, void *)
{
    int16_t r = starttable(dwg, AD_LIST_LTYPE, true);
    if (r <= 0) return r;
    if (dwg->version < AD_ACAD13) {
        if (!addltype(dwg, "BYLAYER", nullptr, AD_PUT_TAIL) ||
            !addltype(dwg, "BYBLOCK", nullptr, AD_PUT_TAIL))
            return -1;
        adFindLinetypeByName(dwg, "BYLAYER", dwg->bylayerltype);
        adFindLinetypeByName(dwg, "BYBLOCK", dwg->byblockltype);
    }
    return 1;
}

int16_t dxfloadlinetype(AdDrawing *dwg, void *, void *)
{
    AdLinetype l;
    RecCtx c;
    for (;;) {
        int r = nextrecord(dwg, AD_LIST_LTYPE, &l, c);
        if (r < 0) return -1;
        if (r == 0) break;
        bool bylayer = isname(l.name, "BYLAYER"), byblock = isname(l.name, "BYBLOCK");
        if (bylayer || byblock) {
            if (dwg->version >= AD_ACAD13 && !adObjhandleIsNull(l.handle) &&
                !bt_search(dwg, l.handle, dwg->btroot))
                std::memcpy(bylayer ? dwg->bylayerltype : dwg->byblockltype, l.handle, 8);
            freerecordblobs(dwg, AD_LIST_LTYPE, &l);
            continue;
        }
        if (!storeorreplace(dwg, AD_LIST_LTYPE, &l)) return -1;
        if (isname(l.name, "CONTINUOUS")) adFindLinetypeByName(dwg, l.name, dwg->continuousltype);
        return 1;
    }
    /* the end of the table: the linetypes every drawing has */
    if (dwg->version >= AD_ACAD13) {
        if (!adFindLinetypeByName(dwg, "BYBLOCK", nullptr)) {
            if (!addltype(dwg, "ByBlock", adObjhandleIsNull(dwg->byblockltype) ? nullptr : dwg->byblockltype,
                          AD_PUT_TAIL))
                return -1;
            adFindLinetypeByName(dwg, "BYBLOCK", dwg->byblockltype);
        }
        if (!adFindLinetypeByName(dwg, "BYLAYER", nullptr)) {
            if (!addltype(dwg, "ByLayer", adObjhandleIsNull(dwg->bylayerltype) ? nullptr : dwg->bylayerltype,
                          AD_PUT_TAIL))
                return -1;
            adFindLinetypeByName(dwg, "BYLAYER", dwg->bylayerltype);
        }
    }
    if (!adFindLinetypeByName(dwg, "CONTINUOUS", dwg->continuousltype)) {
        AdLinetype cont{};
        std::strcpy(cont.name, "Continuous");
        std::strcpy(cont.text, "Solid line");
        cont.alignment = 'A';
        if (!storerecord(dwg, AD_LIST_LTYPE, &cont, AD_PUT_TAIL)) return -1;
        std::memcpy(dwg->continuousltype, cont.handle, 8);
    }
    return 0;
}

/* ---------------------------------------------------------------- LAYER */

int16_t dxfstartlayerload(AdDrawing *dwg, void *, void *) { return starttable(dwg, AD_LIST_LAYER, true); }

int16_t dxfloadlayer(AdDrawing *dwg, void *, void *)
{
    AdLayer l;
    RecCtx c;
    int r = nextrecord(dwg, AD_LIST_LAYER, &l, c);
    if (r < 0) return -1;
    if (r > 0) {
        layerltype(dwg, &l, c);
        return storeorreplace(dwg, AD_LIST_LAYER, &l) ? 1 : -1;
    }
    if (!adFindLayerByName(dwg, "0", nullptr)) {
        AdLayer zero{};
        std::strcpy(zero.name, "0");
        zero.color = 7;
        zero.plotflag = 1;
        zero.lineweight = -3;
        RecCtx none{};
        layerltype(dwg, &zero, none);
        if (!storerecord(dwg, AD_LIST_LAYER, &zero, AD_PUT_HEAD)) return -1;
    }
    return 0;
}

/* ---------------------------------------------------------------- STYLE */

int16_t dxfstartshapefileload(AdDrawing *dwg, void *, void *) { return starttable(dwg, AD_LIST_STYLE, true); }

int16_t dxfloadshapefile(AdDrawing *dwg, void *, void *)
{
    AdShapefile s;
    RecCtx c;
    int r = nextrecord(dwg, AD_LIST_STYLE, &s, c);
    if (r < 0) return -1;
    if (r > 0) return storeorreplace(dwg, AD_LIST_STYLE, &s) ? 1 : -1;
    if (!adFindShapefileByName(dwg, "STANDARD", nullptr)) {
        AdShapefile st{};
        std::strcpy(st.name, "Standard");
        std::strcpy(st.fontname, "txt");
        st.widthfactor = 1.0;
        st.lastheight = 0.2;
        if (!storerecord(dwg, AD_LIST_STYLE, &st, AD_PUT_TAIL)) return -1;
    }
    return 0;
}

/* ---------------------------------------------------------------- VIEW, UCS */

int16_t dxfstartviewload(AdDrawing *dwg, void *, void *) { return starttable(dwg, AD_LIST_VIEW, false); }

int16_t dxfloadview(AdDrawing *dwg, void *, void *)
{
    AdView v;
    RecCtx c;
    int r = nextrecord(dwg, AD_LIST_VIEW, &v, c);
    if (r <= 0) return static_cast<int16_t>(r);
    return storerecord(dwg, AD_LIST_VIEW, &v, AD_PUT_TAIL) ? 1 : -1;
}

int16_t dxfstartucsload(AdDrawing *dwg, void *, void *) { return starttable(dwg, AD_LIST_UCS, false); }

int16_t dxfloaducs(AdDrawing *dwg, void *, void *)
{
    AdUcs u;
    RecCtx c;
    int r = nextrecord(dwg, AD_LIST_UCS, &u, c);
    if (r <= 0) return static_cast<int16_t>(r);
    return storerecord(dwg, AD_LIST_UCS, &u, AD_PUT_TAIL) ? 1 : -1;
}

/* ---------------------------------------------------------------- VPORT, APPID */

int16_t dxfstartvportload(AdDrawing *dwg, void *, void *) { return starttable(dwg, AD_LIST_VPORT, true); }

int16_t dxfloadvport(AdDrawing *dwg, void *, void *)
{
    AdVport v;
    RecCtx c;
    int r = nextrecord(dwg, AD_LIST_VPORT, &v, c);
    if (r < 0) return -1;
    if (r > 0) return storerecord(dwg, AD_LIST_VPORT, &v, AD_PUT_TAIL) ? 1 : -1;
    if (!adtablefindnode(dwg, AD_LIST_VPORT, "*ACTIVE")) {
        recorddefaults(dwg, AD_LIST_VPORT, &v);
        std::strcpy(v.name, "*ACTIVE");
        if (!storerecord(dwg, AD_LIST_VPORT, &v, AD_PUT_TAIL)) return -1;
    }
    return 0;
}

int16_t dxfstartregappload(AdDrawing *dwg, void *, void *) { return starttable(dwg, AD_LIST_APPID, true); }

int16_t dxfloadregapp(AdDrawing *dwg, void *, void *)
{
    AdRegapp a;
    RecCtx c;
    int r = nextrecord(dwg, AD_LIST_APPID, &a, c);
    if (r < 0) return -1;
    if (r > 0) return storerecord(dwg, AD_LIST_APPID, &a, AD_PUT_TAIL) ? 1 : -1;
    if (!adFindRegappByName(dwg, "ACAD", nullptr)) {
        AdRegapp acad{};
        std::strcpy(acad.name, "ACAD");
        if (!storerecord(dwg, AD_LIST_APPID, &acad, AD_PUT_TAIL)) return -1;
    }
    return 0;
}

/* ---------------------------------------------------------------- DIMSTYLE */

/* The block an arrow name designates; a standard arrowhead the file lacks
 * is created when adCreateMissingDimblks asks for it. */
static void arrowblock(AdDrawing *dwg, const char *name, unsigned char *handle)
{
    if (!name[0]) {
        std::memset(handle, 0, 8);
        return;
    }
    if (!adFindBlockheaderByName(dwg, name, handle) && adin->createmissingdimblks)
        adcreatearrowblock(dwg, name, handle);
}

int16_t dxfstartdimstyleload(AdDrawing *dwg, void *, void *)
{
    /* the header's arrow blocks, now that the block headers are loaded */
    AdHeader *h = dwg->header;
    arrowblock(dwg, h->dimblk, h->dimblkhandle);
    arrowblock(dwg, h->dimblk1, h->dimblk1handle);
    arrowblock(dwg, h->dimblk2, h->dimblk2handle);
    arrowblock(dwg, h->dimldrblk, h->dimldrblkhandle);
    return starttable(dwg, AD_LIST_DIMSTYLE, true);
}

int16_t dxfloaddimstyle(AdDrawing *dwg, void *, void *)
{
    AdDimstyle d;
    RecCtx c;
    int r = nextrecord(dwg, AD_LIST_DIMSTYLE, &d, c);
    if (r < 0) return -1;
    if (r > 0) {
        unsigned char *blk[3] = {d.dimblk, d.dimblk1, d.dimblk2};
        for (int i = 0; i < 3; ++i)
            if (c.dimblkgiven[i]) {
                if (c.dimblk[i][0])
                    arrowblock(dwg, c.dimblk[i], blk[i]);
                else
                    std::memset(blk[i], 0, 8);
            }
        return storerecord(dwg, AD_LIST_DIMSTYLE, &d, AD_PUT_TAIL) ? 1 : -1;
    }
    if (!adFindDimstyleByName(dwg, "STANDARD", nullptr)) {
        AdDimstyle st;
        adSetDefaultDimstyleFromHeader(dwg, &st);
        std::strcpy(st.name, "Standard");
        if (!storerecord(dwg, AD_LIST_DIMSTYLE, &st, AD_PUT_TAIL)) return -1;
    }
    return 0;
}

/* ---------------------------------------------------------------- BLOCK_RECORD */

/* One BLOCK_RECORD record into rec (an AdBlockheader): 1, 0 at the end of
 * the table, -1 failure. Block records wait for their BLOCK entities
 * (dxfblocks.cpp). */
int16_t dxfloadblockrecord(AdDrawing *dwg, void *a, void *)
{
    RecCtx c;
    int r = nextrecord(dwg, AD_LIST_BLKH, a, c);
    return static_cast<int16_t>(r);
}

int dxfstartblockrecords(AdDrawing *dwg) { return starttable(dwg, AD_LIST_BLKH, false); }

/* ---------------------------------------------------------------- CLASSES */

int16_t dxfstartclassload(AdDrawing *dwg, void *, void *)
{
    if (!dxfloadstart(dwg)) return -1;
    if (dwg->scan.classpos == 0) return 0;
    return dxfseek(dwg, dwg->scan.classpos) ? 1 : -1;
}

int16_t dxfloadclass(AdDrawing *dwg, void *, void *)
{
    for (;;) {
        if (!dxfnext(dwg)) return -1;
        if (adin->curcode != 0) continue;
        if (std::strcmp(adin->curstr, "CLASS") == 0) break;
        if (std::strcmp(adin->curstr, "ENDSEC") == 0 || std::strcmp(adin->curstr, "EOF") == 0) return 0;
    }
    AdClass k{};
    for (;;) {
        if (!dxfnext(dwg)) return -1;
        if (adin->curcode == 0) {
            dxfback(dwg);
            break;
        }
        switch (adin->curcode) {
        case 1: dxfcopy(k.dxfname, adin->curstr, sizeof k.dxfname); break;
        case 2: dxfcopy(k.cppname, adin->curstr, sizeof k.cppname); break;
        case 3: dxfcopy(k.appname, adin->curstr, sizeof k.appname); break;
        case 90: k.proxyflags = dxfint(); break;
        case 280: k.wasaproxy = static_cast<int16_t>(dxfint()); break;
        case 281: k.itemclassid = static_cast<int16_t>(dxfint() ? 0x1F2 : 0x1F3); break;
        default: break;
        }
    }
    if (!k.dxfname[0]) return 1;
    /* a name met twice keeps its first number */
    if (adClassnumOfName(dwg, k.dxfname)) return 1;
    if (!k.itemclassid) k.itemclassid = 0x1F3;
    /* past the last class number, a class is left out: its kind's entities
       and objects are read as proxies */
    k.classnum = adNextClassnum(dwg);
    if (!k.classnum) return 1;
    return adAddClass(dwg, &k) ? 1 : -1;
}

} // extern "C"
