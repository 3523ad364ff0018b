/* The passes that follow the load steps: extended-data names resolved to
 * handles, old dimension-style fit settings translated, the default objects
 * that older files lack, universal times derived from local ones. */
#include "toolkit/ad/ad_int.h"

#include <cmath>
#include <cstring>
#include <ctime>

namespace {

bool nexthandle(AdDrawing *dwg, unsigned char *out)
{
    std::memcpy(out, dwg->handseed, 8);
    return adIncrementObjhandle(dwg->handseed) != 0;
}

/* A dictionary object with the given entries. */
bool adddictionary(AdDrawing *dwg, const unsigned char *handle, const unsigned char *owner,
                   const char *const *names, const unsigned char (*handles)[8], int n)
{
    AdObjectHeader h{};
    AdObjectRecord r{};
    h.objtype = AD_OBJ_DICTIONARY;
    std::memcpy(h.handle, handle, 8);
    std::memcpy(h.ownerhandle, owner, 8);
    r.dict.numitems = n;
    r.dict.itemblob = adCreateBlobEx(4096);
    if (!r.dict.itemblob) return false;
    AdBlobCursor *c = adStartBlobWrite(r.dict.itemblob);
    bool ok = c != nullptr;
    for (int i = 0; ok && i < n; ++i) ok = adWriteDicItem(c, names[i], handles[i]);
    ok = adEndBlobWrite(c) && ok;
    if (ok && adAddObject(dwg, &h, &r)) return true;
    adDeleteBlob(r.dict.itemblob);
    return false;
}

void splitdate(int64_t secs, int32_t *dt)
{
    int64_t day = secs / 86400 + 2440588;
    int64_t rem = secs % 86400;
    if (rem < 0) {
        rem += 86400;
        --day;
    }
    dt[0] = static_cast<int32_t>(day);
    dt[1] = static_cast<int32_t>(rem * 1000);
}

void touniversal(const int32_t *local, int32_t *universal)
{
    if ((local[0] == 0 && local[1] == 0) || universal[0] != 0 || universal[1] != 0) return;
    /* the local date as if it were UTC, then what that wall-clock time is here */
    int64_t asutc = (static_cast<int64_t>(local[0]) - 2440588) * 86400 + local[1] / 1000;
    time_t t = static_cast<time_t>(asutc);
    struct tm tm;
    if (!gmtime_r(&t, &tm)) return;
    tm.tm_isdst = -1;
    time_t real = mktime(&tm);
    if (real == static_cast<time_t>(-1)) return;
    splitdate(static_cast<int64_t>(real), universal);
    universal[1] += local[1] % 1000;
}

/* The root dictionary: the first dictionary without an owner. */
LLNode *rootdictionary(AdDrawing *dwg)
{
    for (LLNode *n = dwg->objects->head; n; n = n->next) {
        const AdObjectHeader *h = static_cast<const AdObjectHeader *>(LL_RECORD(n));
        if (h->objtype == AD_OBJ_DICTIONARY && adObjhandleIsNull(h->ownerhandle)) return n;
    }
    return nullptr;
}

bool dictionaryhas(const AdObjDictionary *d, const char *name, unsigned char *handle)
{
    AdBlobCursor *c = adStartBlobRead(d->itemblob);
    char item[AD_NAME_LEN];
    AdObjhandle h;
    bool found = false;
    while (!found && c && adReadDicItem(c, item, sizeof item, h))
        if (!adstricmp(item, name)) {
            found = true;
            if (handle) std::memcpy(handle, h, 8);
        }
    adEndBlobRead(c);
    return found;
}

/* Adds an entry to the root dictionary. */
bool rootentry(AdDrawing *dwg, const char *name, const unsigned char *handle)
{
    LLNode *n = rootdictionary(dwg);
    if (!n) return false;
    AdObjectHeader *h = static_cast<AdObjectHeader *>(LL_RECORD(n));
    AdObjDictionary *d = reinterpret_cast<AdObjDictionary *>(h + 1);
    if (!d->itemblob && !(d->itemblob = adCreateBlobEx(256))) return false;
    AdBlobCursor *c = adStartBlobAppend(d->itemblob);
    bool ok = c && adWriteDicItem(c, name, handle);
    ok = adEndBlobAppend(c) && ok;
    if (ok) ++d->numitems;
    return ok;
}

bool addlayout(AdDrawing *dwg, int16_t type, const char *name, int16_t tab, const unsigned char *block,
               const unsigned char *owner, unsigned char *handle)
{
    AdObjectHeader h{};
    AdObjectRecord r{};
    h.objtype = type;
    if (!nexthandle(dwg, h.handle)) return false;
    std::memcpy(h.ownerhandle, owner, 8);
    std::strcpy(r.layout.name, name);
    r.layout.taborder = tab;
    r.layout.flag = 1;
    r.layout.limmax[0] = 12.0;
    r.layout.limmax[1] = 9.0;
    r.layout.ucsxdir[0] = r.layout.ucsydir[1] = 1.0;
    std::memcpy(r.layout.blockheaderhandle, block, 8);
    if (!adAddObject(dwg, &h, &r)) return false;
    std::memcpy(handle, h.handle, 8);
    return true;
}

} // namespace

extern "C" {

int adaddxdresolve(AdDrawing *dwg, int kind, AdBlob *blob, int32_t pos, const char *name)
{
    if (!dwg->xdresolve && !(dwg->xdresolve = adCreateBlobEx(4096))) return 0;
    AdBlobCursor *c = adStartBlobAppend(static_cast<AdBlob *>(dwg->xdresolve));
    if (!c) return 0;
    unsigned char k = static_cast<unsigned char>(kind);
    int ok = adWriteBlobByte(c, k) && adWriteBlobBytesLong(c, &blob, sizeof blob) &&
             adWriteBlobLong(c, pos) && adWriteBlobString(c, name);
    return adEndBlobAppend(c) && ok;
}

/* Application and layer names inside extended data become handles (the null
 * handle when no such record exists). */
int finalxdresolve(AdDrawing *dwg)
{
    AdBlob *r = static_cast<AdBlob *>(dwg->xdresolve);
    AdBlobCursor *c = adStartBlobRead(r);
    if (!c) return 0;
    unsigned char kind;
    AdBlob *target;
    int32_t pos;
    char name[46];
    while (adReadBlobByte(c, &kind) && adReadBlobBytesLong(c, &target, sizeof target) &&
           adReadBlobLong(c, &pos)) {
        adReadBlobString(c, name, sizeof name);
        AdObjhandle h;
        if (kind == AD_XDR_APP)
            adFindRegappByName(dwg, name, h);
        else
            adFindLayerByName(dwg, name, h);
        adBlobPatch(target, pos, h, 8);
    }
    adEndBlobRead(c);
    adDeleteBlob(r);
    dwg->xdresolve = nullptr;
    return 1;
}

/* Viewport entities of files before AC1012 keep their view in extended
 * data of the application ACAD, after the text "MVIEW": in order a 1070
 * version, 1010 target and 1010 direction, 1040 twist, height, centre x,
 * centre y, lens length, front and back clip, 1070 view mode, circle zoom,
 * fast zoom, UCS icon, snap, grid, snap style, snap isopair, 1040 snap
 * angle, snap base x and y, snap spacing x and y, grid spacing x and y,
 * 1070 hidden in plot, then the frozen layers (1003, by now layer handles).
 * They become the viewport record's fields and status flags. */
int fixViewportEnts(AdDrawing *dwg)
{
    if (dwg->version >= AD_ACAD13) return 1;
    AdEntityRecord *rec = static_cast<AdEntityRecord *>(ztmem_malloc(sizeof(AdEntityRecord)));
    AdXdataItem *item = static_cast<AdXdataItem *>(ztmem_malloc(sizeof(AdXdataItem)));
    if (!rec || !item) {
        ztmem_free(rec);
        ztmem_free(item);
        return 0;
    }
    for (LLNode *b = dwg->blkhs->head; b; b = b->next) {
        LLList *list = AD_BLKH(b)->entitylist;
        for (LLNode *e = list ? list->head : nullptr; e;) {
            LLNode *next = e->next;
            AdEntityHeader h;
            adUnpackEntity(e, &h, rec);
            if (h.enttype != AD_ENT_VIEWPORT || !h.xdblob) {
                e = next;
                continue;
            }
            AdBlobCursor *c = adStartBlobRead(h.xdblob);
            bool mview = false;
            double r1010[2][3] = {}, r1040[14] = {};
            int16_t i1070[10] = {};
            int n1010 = 0, n1040 = 0, n1070 = 0;
            AdBytes frozen{};
            int32_t nfrozen = 0;
            while (c && adReadExtendeddata(c, item)) {
                if (!mview) {
                    mview = item->code == 1000 && std::strcmp(item->v.str, "MVIEW") == 0;
                    continue;
                }
                if (item->code == 1010 && n1010 < 2)
                    std::memcpy(r1010[n1010++], item->v.pt, 24);
                else if (item->code == 1040 && n1040 < 14)
                    r1040[n1040++] = item->v.real;
                else if (item->code == 1070 && n1070 < 10)
                    i1070[n1070++] = item->v.i16;
                else if (item->code == 1003 && adbytesput(&frozen, item->v.handle, 8))
                    ++nfrozen;
                else if (item->code == 1001)
                    break;
            }
            adEndBlobRead(c);
            if (mview && n1010 == 2 && n1040 >= 7 && n1070 >= 9) {
                AdEntViewport &v = rec->vport;
                std::memcpy(v.viewtarget, r1010[0], 24);
                std::memcpy(v.viewdir, r1010[1], 24);
                v.viewtwist = r1040[0];
                v.viewheight = r1040[1];
                v.viewctr[0] = r1040[2];
                v.viewctr[1] = r1040[3];
                v.lenslength = r1040[4];
                v.frontclip = r1040[5];
                v.backclip = r1040[6];
                if (n1040 == 14) {
                    v.snapangle = r1040[7];
                    v.snapbase[0] = r1040[8];
                    v.snapbase[1] = r1040[9];
                    v.snapspacing[0] = r1040[10];
                    v.snapspacing[1] = r1040[11];
                    v.gridspacing[0] = r1040[12];
                    v.gridspacing[1] = r1040[13];
                }
                v.circlezoom = i1070[2];
                int32_t f = i1070[1] & 31;
                if (i1070[3]) f |= 128;
                f |= (i1070[4] & 3) << 5;
                if (i1070[5]) f |= 0x100;
                if (i1070[6]) f |= 0x200;
                if (i1070[7]) f |= 0x400;
                f |= (i1070[8] & 3) << 12;
                if (n1070 >= 10 && i1070[9]) f |= 0x800;
                v.statusflags = f;
                if (nfrozen && !v.frozenlayerblob) {
                    v.numfrozenlayers = nfrozen;
                    v.frozenlayerblob = adbytesblob(&frozen);
                }
                adReplaceEntity(dwg, list, h.handle, &h, rec);
            }
            adbytesfree(&frozen);
            e = next;
        }
    }
    ztmem_free(rec);
    ztmem_free(item);
    return 1;
}

/* Files before AC1015 keep the text fit in DIMFIT (0-5); later ones split it
 * into DIMATFIT (0-3) and DIMTMOVE. (The standard arrowhead blocks a style
 * names are created when the styles are read, see arrowheads.cpp.) */
int resolveDimstyles(AdDrawing *dwg)
{
    if (dwg->version >= AD_ACAD2000) return 1;
    for (LLNode *n = dwg->dimstyles->head; n; n = n->next) {
        AdDimstyle *d = static_cast<AdDimstyle *>(LL_RECORD(n));
        if (d->dimatfit == 4) {
            d->dimatfit = 3;
            d->dimtmove = 1;
        } else if (d->dimatfit == 5) {
            d->dimatfit = 3;
            d->dimtmove = 2;
        }
    }
    return 1;
}

/* The root dictionary with the group and multiline-style dictionaries and
 * the STANDARD multiline style, which files before AC1012 do not carry. */
int adddefaultobjects(AdDrawing *dwg)
{
    AdObjhandle root, groups, mlstyles, standard;
    if (!nexthandle(dwg, root) || !nexthandle(dwg, groups) || !nexthandle(dwg, mlstyles) ||
        !nexthandle(dwg, standard))
        return 0;
    static const AdObjhandle null{};
    const char *rootnames[] = {"ACAD_GROUP", "ACAD_MLINESTYLE"};
    unsigned char rooth[2][8];
    std::memcpy(rooth[0], groups, 8);
    std::memcpy(rooth[1], mlstyles, 8);
    const char *mlnames[] = {"STANDARD"};
    unsigned char mlh[1][8];
    std::memcpy(mlh[0], standard, 8);
    if (!adddictionary(dwg, root, null, rootnames, rooth, 2) ||
        !adddictionary(dwg, groups, root, nullptr, nullptr, 0) ||
        !adddictionary(dwg, mlstyles, root, mlnames, mlh, 1))
        return 0;
    AdObjectHeader h{};
    AdObjectRecord r{};
    h.objtype = AD_OBJ_MLINESTYLE;
    std::memcpy(h.handle, standard, 8);
    std::memcpy(h.ownerhandle, mlstyles, 8);
    std::strcpy(r.mlstyle.name, "STANDARD");
    r.mlstyle.fillcolor = 256;
    r.mlstyle.startang = r.mlstyle.endang = M_PI / 2;
    return adAddObject(dwg, &h, &r);
}

/* What files of AC1015 carry and older ones lack: the layouts of model space
 * and paper space in an ACAD_LAYOUT dictionary, and the plot-style
 * dictionary ACAD_PLOTSTYLENAME with its default "Normal", both entries of
 * the root dictionary. */
int addA2kDefaultObjects(AdDrawing *dwg)
{
    LLNode *root = rootdictionary(dwg);
    if (!root) return 1;
    const AdObjectHeader *rh = static_cast<const AdObjectHeader *>(LL_RECORD(root));
    AdObjhandle roothandle;
    std::memcpy(roothandle, rh->handle, 8);
    const AdObjDictionary *rd = reinterpret_cast<const AdObjDictionary *>(rh + 1);
    if (!dictionaryhas(rd, "ACAD_LAYOUT", nullptr)) {
        int16_t type = adclasstype(dwg, "LAYOUT", 0);
        AdObjhandle dict, model, layout1, ms{}, ps{};
        for (LLNode *n = dwg->blkhs->head; n; n = n->next) {
            const AdBlkh *b = AD_BLKH(n);
            if (b->entitylist == dwg->mspace) std::memcpy(ms, b->handle, 8);
            if (b->entitylist == dwg->pspace) std::memcpy(ps, b->handle, 8);
        }
        if (!type || !nexthandle(dwg, dict) || !addlayout(dwg, type, "Model", 0, ms, dict, model) ||
            !addlayout(dwg, type, "Layout1", 1, ps, dict, layout1))
            return 0;
        const char *names[] = {"Layout1", "Model"};
        unsigned char handles[2][8];
        std::memcpy(handles[0], layout1, 8);
        std::memcpy(handles[1], model, 8);
        if (!adddictionary(dwg, dict, roothandle, names, handles, 2) || !rootentry(dwg, "ACAD_LAYOUT", dict))
            return 0;
    }
    rh = static_cast<const AdObjectHeader *>(LL_RECORD(rootdictionary(dwg)));
    rd = reinterpret_cast<const AdObjDictionary *>(rh + 1);
    if (!dictionaryhas(rd, "ACAD_PLOTSTYLENAME", nullptr)) {
        int16_t wdflt = adclasstype(dwg, "ACDBDICTIONARYWDFLT", 0);
        int16_t holder = adclasstype(dwg, "ACDBPLACEHOLDER", 0);
        AdObjectHeader h{}, ph{};
        AdObjectRecord r{}, pr{};
        if (!wdflt || !holder || !nexthandle(dwg, h.handle) || !nexthandle(dwg, ph.handle)) return 0;
        ph.objtype = holder;
        std::memcpy(ph.ownerhandle, h.handle, 8);
        h.objtype = wdflt;
        std::memcpy(h.ownerhandle, roothandle, 8);
        r.dict.cloning = 1;
        r.dict.numitems = 1;
        std::memcpy(r.dict.defaulthandle, ph.handle, 8);
        r.dict.itemblob = adCreateBlobEx(64);
        AdBlobCursor *c = r.dict.itemblob ? adStartBlobWrite(r.dict.itemblob) : nullptr;
        bool ok = c && adWriteDicItem(c, "Normal", ph.handle);
        ok = adEndBlobWrite(c) && ok;
        if (!ok || !adAddObject(dwg, &h, &r)) {
            adDeleteBlob(r.dict.itemblob);
            return 0;
        }
        if (!adAddObject(dwg, &ph, &pr) || !rootentry(dwg, "ACAD_PLOTSTYLENAME", h.handle)) return 0;
    }
    return 1;
}

/* Remembers the plot-style dictionary (ACAD_PLOTSTYLENAME of the root
 * dictionary) of an AC1015 file. */
void setPlotstyleDicShadow(AdDrawing *dwg)
{
    std::memset(dwg->plotstyledict, 0, 8);
    LLNode *root = rootdictionary(dwg);
    if (!root) return;
    const AdObjectHeader *h = static_cast<const AdObjectHeader *>(LL_RECORD(root));
    dictionaryhas(reinterpret_cast<const AdObjDictionary *>(h + 1), "ACAD_PLOTSTYLENAME", dwg->plotstyledict);
}

void localToUniversal(AdDrawing *dwg)
{
    AdHeader *h = dwg->header;
    touniversal(h->tdcreate, h->tducreate);
    touniversal(h->tdupdate, h->tduupdate);
}

} // extern "C"
