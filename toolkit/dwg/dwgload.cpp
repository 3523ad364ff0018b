/* The DWG readers of the reader table, and the entity steps: the entities
 * of model space and paper space, and of every other block, are read by
 * following each block's chain of entities from its first to its last (the
 * next entity is the one the entity names, or the next handle when the
 * entity says its links are implied). An ordinary block's list holds its
 * BLOCK entity, its entities and its ENDBLK, as the DXF readers give it.
 * After a polyline its vertices and SEQEND are stored, after an insert with
 * attributes its attributes and SEQEND. With the conversion of old
 * polylines on (adConvertPlinesOnLoad), a 2D polyline that is not fitted,
 * splined, 3D, a mesh or a face mesh becomes one lightweight polyline with
 * the polyline's header and handle, as the DXF readers do.
 *
 * A chain ends at its last entity, at an entity that cannot be read or is
 * not an entity, or at a handle already stored (a chain that loops); what
 * was read before stays. */
#include <cstring>

#include "toolkit/dwg/dwg_int.h"

namespace {

struct Work {
    AdEntityHeader h;
    AdEntityRecord r;
};

Work *work()
{
    static Work w; /* the toolkit runs one load at a time */
    return &w;
}

/* The entity after this one in its chain; null at the end. */
void following(const DwgObject &o, const unsigned char *last, unsigned char *next)
{
    if (!std::memcmp(o.handle, last, 8)) {
        std::memset(next, 0, 8);
        return;
    }
    if (o.nolinks)
        dwghandlebytes(dwghandlevalue(o.handle) + 1, next);
    else
        std::memcpy(next, o.next, 8);
    if (dwghandlevalue(next) <= 0) std::memset(next, 0, 8);
}

void progress(AdDrawing *dwg)
{
    AdDwgLoad *s = dwg->dwg;
    if (++s->entsread % 10 != 0 || !s->map.count) return;
    int16_t pct = static_cast<int16_t>(static_cast<uint64_t>(s->entsread) * 100 / s->map.count / 5 * 5);
    if (pct > 100) pct = 100;
    if (pct != s->entpercent) {
        s->entpercent = pct;
        adloadometer(static_cast<int16_t>(pct / 4 + 46));
    }
}

/* Stores an entity: 1, 0 when its handle is stored already (the chain
 * ends), -1 failure. */
int store(AdDrawing *dwg, LLList *list, AdEntityHeader *h, AdEntityRecord *r)
{
    if (adStoreEntity(dwg, list, h, r)) return 1;
    adfreeentityblobs(dwg, h, r);
    if (adin->error == 172) {
        dwgwarn("Entity chain loops");
        adseterror(0);
        return 0;
    }
    adseterror(289);
    return -1;
}

bool keep(AdDrawing *dwg, AdEntityHeader *h, AdEntityRecord *r)
{
    int t = h->enttype;
    if (dwg->preloadmode == 2 && t >= 1 && t <= 31 && !adin->preloadfilter[t]) {
        adfreeentityblobs(dwg, h, r);
        return false;
    }
    if (adin->examineentityload) adin->examineentityload(dwg, h, r);
    return true;
}

/* Reads the entity of a handle into the work records: 1, 0 it is not an
 * entity (or not one to keep), -1 unreadable. next receives its follower. */
int readentity(AdDrawing *dwg, const unsigned char *handle, const unsigned char *last, unsigned char *next,
               Work *w)
{
    DwgObject o;
    int r = dwgreadobject(dwg, handle, &o);
    if (r <= 0) {
        dwgwarn("Entity unreadable");
        adseterror(0);
        return -1;
    }
    following(o, last, next);
    if (!o.isentity) {
        dwgobjectfree(&o);
        return 0;
    }
    r = dwgentity(dwg, &o, &w->h, &w->r);
    dwgobjectfree(&o);
    if (r < 0) { /* the chain goes on past it */
        dwgwarn("Entity damaged");
        adseterror(0);
        return 0;
    }
    return r;
}

/* The vertices (or attributes) and SEQEND of the entity stored last. */
int storeowned(AdDrawing *dwg, LLList *list)
{
    AdDwgLoad *s = dwg->dwg;
    if (!s->owns) return 1;
    s->owns = 0;
    AdObjhandle cur, last, seqend, next;
    std::memcpy(cur, s->ownfirst, 8);
    std::memcpy(last, s->ownlast, 8);
    std::memcpy(seqend, s->ownseqend, 8);
    Work *w = work();
    for (uint32_t guard = 0; !adObjhandleIsNull(cur) && guard <= s->map.count; ++guard) {
        if (bt_search(dwg, cur, dwg->btroot)) break; /* loops */
        int r = readentity(dwg, cur, last, next, w);
        if (r < 0) break;
        if (r > 0) {
            if (keep(dwg, &w->h, &w->r)) {
                r = store(dwg, list, &w->h, &w->r);
                if (r < 0) return -1;
                if (r == 0) break;
            }
        }
        std::memcpy(cur, next, 8);
    }
    if (!adObjhandleIsNull(seqend) && !bt_search(dwg, seqend, dwg->btroot)) {
        AdObjhandle none{};
        if (readentity(dwg, seqend, seqend, none, w) > 0 && keep(dwg, &w->h, &w->r) &&
            store(dwg, list, &w->h, &w->r) < 0)
            return -1;
    }
    return 1;
}

/* A 2D polyline turned into a lightweight polyline: its vertices are read
 * and the lightweight form stored under the polyline's handle. */
int storeconverted(AdDrawing *dwg, LLList *list, Work *w)
{
    AdDwgLoad *s = dwg->dwg;
    s->owns = 0;
    if (!s->lwplinetype && !(s->lwplinetype = adclasstype(dwg, "LWPOLYLINE", 1))) return -1;
    AdEntityHeader ph = w->h;
    AdEntPolyline pl = w->r.pline;
    AdObjhandle cur, last, next;
    std::memcpy(cur, s->ownfirst, 8);
    std::memcpy(last, s->ownlast, 8);
    AdBytes v{};
    int32_t n = 0;
    for (uint32_t guard = 0; !adObjhandleIsNull(cur) && guard <= s->map.count; ++guard) {
        if (bt_search(dwg, cur, dwg->btroot)) break;
        int r = readentity(dwg, cur, last, next, w);
        if (r < 0) break;
        if (r > 0 && w->h.enttype == AD_ENT_VERTEX) {
            const AdEntVertex &x = w->r.vertex;
            double vv[5] = {x.pt0[0], x.pt0[1], x.bulge >= 1.0e16 ? 0.0 : x.bulge,
                            x.startwidthgiven ? x.startwidth : pl.startwidth,
                            x.endwidthgiven ? x.endwidth : pl.endwidth};
            adbytesput(&v, vv, sizeof vv);
            ++n;
        }
        if (r > 0) adfreeentityblobs(dwg, &w->h, &w->r);
        std::memcpy(cur, next, 8);
    }
    if (v.failed) {
        adbytesfree(&v);
        adFreeEntityData(&ph, nullptr);
        return -1;
    }
    const double *vs = reinterpret_cast<const double *>(v.p);
    AdEntLwpline l{};
    l.elevation = pl.elevation;
    if (pl.flag & 1) l.flag |= AD_LWPLINE_CLOSED;
    if (pl.flag & 128) l.flag |= AD_LWPLINE_PLINEGEN;
    bool bulges = false, widths = false, same = n > 0;
    double w0 = n > 0 ? vs[3] : 0.0;
    for (int32_t i = 0; i < n; ++i) {
        const double *x = vs + 5 * i;
        if (x[2] != 0.0) bulges = true;
        if (x[3] != 0.0 || x[4] != 0.0) widths = true;
        if (x[3] != w0 || x[4] != w0) same = false;
    }
    if (widths && same) {
        l.constwidth = w0;
        l.flag |= AD_LWPLINE_CONSTWIDTH;
        widths = false;
    }
    if (bulges) l.flag |= AD_LWPLINE_HAS_BULGES;
    if (widths) l.flag |= AD_LWPLINE_HAS_WIDTHS;
    AdBytes out{};
    for (int32_t i = 0; i < n; ++i) {
        const double *x = vs + 5 * i;
        adbytesput(&out, x, 16);
        if (bulges) adbytesput(&out, x + 2, 8);
        if (widths) adbytesput(&out, x + 3, 16);
    }
    adbytesfree(&v);
    bool failed = out.failed != 0;
    l.numverts = n;
    l.vertblob = adbytesblob(&out);
    adbytesfree(&out);
    if (failed || (n > 0 && !l.vertblob)) {
        adFreeEntityData(&ph, nullptr);
        return -1;
    }
    ph.enttype = s->lwplinetype;
    w->h = ph;
    std::memset(&w->r, 0, sizeof(AdEntLwpline));
    w->r.lwpline = l;
    return store(dwg, list, &w->h, &w->r);
}

/* Reads the next entity of the chain into list: 1 read (or passed over),
 * 0 the chain ended, -1 failure. */
int chainstep(AdDrawing *dwg, LLList *list)
{
    AdDwgLoad *s = dwg->dwg;
    if (adObjhandleIsNull(s->nextent) || ++s->chainlen > s->map.count + 1) return 0;
    if (bt_search(dwg, s->nextent, dwg->btroot)) {
        dwgwarn("Entity chain loops");
        return 0;
    }
    Work *w = work();
    AdObjhandle next;
    int r = readentity(dwg, s->nextent, s->lastent, next, w);
    if (r < 0) return 0;
    std::memcpy(s->nextent, next, 8);
    if (r == 0) return 1;
    progress(dwg);
    if (w->h.enttype == AD_ENT_BLOCK || w->h.enttype == AD_ENT_ENDBLK) {
        adfreeentityblobs(dwg, &w->h, &w->r);
        return 1;
    }
    if (!keep(dwg, &w->h, &w->r)) {
        s->owns = 0;
        return 1;
    }
    if (w->h.enttype == AD_ENT_POLYLINE && adin->convertplines && s->owns &&
        (w->r.pline.flag & (2 | 4 | 8 | 16 | 64)) == 0) {
        int c = storeconverted(dwg, list, w);
        return c < 0 ? -1 : 1;
    }
    r = store(dwg, list, &w->h, &w->r);
    if (r <= 0) {
        s->owns = 0;
        if (r == 0) std::memset(s->nextent, 0, 8);
        return r < 0 ? -1 : 1;
    }
    return storeowned(dwg, list) < 0 ? -1 : 1;
}

/* Starts the chain of a block header: 1, 0 it has none. */
int startchain(AdDrawing *dwg, const unsigned char *blkh, AdBlkh *b)
{
    AdDwgLoad *s = dwg->dwg;
    AdBlockheader tmp;
    AdObjhandle first, last;
    std::memset(s->nextent, 0, 8);
    std::memset(s->lastent, 0, 8);
    s->chainlen = 0;
    if (!dwgreadblockheader(dwg, blkh, &tmp, first, last)) return 0;
    adDeleteBlob(tmp.previewblob);
    adDeleteBlob(tmp.insertblob);
    adDeleteBlob(tmp.xdblob);
    adDeleteBlob(tmp.reactorblob);
    std::memcpy(s->nextent, first, 8);
    std::memcpy(s->lastent, last, 8);
    std::memcpy(s->blockent, tmp.blockentityhandle, 8);
    std::memcpy(s->endblkent, tmp.endblkentityhandle, 8);
    (void)b;
    return 1;
}

/* The BLOCK or ENDBLK entity of the block being read. */
int blockentity(AdDrawing *dwg, const unsigned char *handle, LLList *list, AdBlkh *b)
{
    if (adObjhandleIsNull(handle) || bt_search(dwg, handle, dwg->btroot)) return 1;
    Work *w = work();
    AdObjhandle next;
    int r = readentity(dwg, handle, handle, next, w);
    if (r <= 0) return 1;
    if (w->h.enttype == AD_ENT_BLOCK) {
        AdEntBlock &k = w->r.block;
        std::memcpy(k.base, b->base, sizeof k.base);
        std::strcpy(k.name2, adblkhname(b));
        std::strcpy(k.xrefpath, adblkhxrefpath(b));
        std::strcpy(k.description, adblkhdescription(b));
        k.flag = b->flag;
    }
    if (!keep(dwg, &w->h, &w->r)) return 1;
    return store(dwg, list, &w->h, &w->r) < 0 ? -1 : 1;
}

} // namespace

extern "C" {

int16_t dwgstartentityload(AdDrawing *dwg, void *, void *)
{
    if (!dwgloadstart(dwg)) return -1;
    AdDwgLoad *s = dwg->dwg;
    s->space = 0;
    s->entsread = 0;
    s->entpercent = 0;
    if (!startchain(dwg, s->h[DWG_H_MSPACE], nullptr)) s->space = 1;
    if (s->space == 1 && !startchain(dwg, s->h[DWG_H_PSPACE], nullptr)) s->space = 2;
    return s->space < 2 ? 1 : 0;
}

int16_t dwgstartblockdefload(AdDrawing *dwg, void *a, void *)
{
    if (!dwgloadstart(dwg)) return -1;
    AdDwgLoad *s = dwg->dwg;
    AdBlkh *b = static_cast<AdBlkh *>(a);
    if (!b || !startchain(dwg, b->handle, b)) return 0;
    s->curblkh = b;
    s->stage = 0;
    return 1;
}

int16_t dwgloadentity(AdDrawing *dwg, void *a, void *)
{
    AdDwgLoad *s = dwg->dwg;
    LLList *list = static_cast<LLList *>(a);
    if (!list) {
        /* model space, then paper space */
        while (s->space < 2) {
            LLList *target = s->space == 0 ? dwg->mspace : dwg->pspace;
            int r = chainstep(dwg, target);
            if (r != 0) return static_cast<int16_t>(r);
            if (++s->space == 1 && !startchain(dwg, s->h[DWG_H_PSPACE], nullptr)) s->space = 2;
        }
        return 0;
    }
    AdBlkh *b = s->curblkh;
    if (!b) return 0;
    switch (s->stage) {
    case 0: {
        s->stage = 1;
        int r = blockentity(dwg, s->blockent, list, b);
        if (r < 0) return -1;
        std::memcpy(b->blockentityhandle, s->blockent, 8);
        return 1;
    }
    case 1: {
        int r = chainstep(dwg, list);
        if (r != 0) return static_cast<int16_t>(r);
        s->stage = 2;
        return 1;
    }
    case 2: {
        s->stage = 3;
        int r = blockentity(dwg, s->endblkent, list, b);
        if (r < 0) return -1;
        std::memcpy(b->endblkentityhandle, s->endblkent, 8);
        return 1;
    }
    default: s->curblkh = nullptr; return 0;
    }
}

void addwgreaders(AdReaderTable *t)
{
    t->slot[AD_RD_LOADHEADER] = dwgloadheader;
    t->slot[AD_RD_STARTLINETYPELOAD] = dwgstartlinetypeload;
    t->slot[AD_RD_LOADLINETYPE] = dwgloadlinetype;
    t->slot[AD_RD_STARTLAYERLOAD] = dwgstartlayerload;
    t->slot[AD_RD_LOADLAYER] = dwgloadlayer;
    t->slot[AD_RD_STARTCLASSLOAD] = dwgstartclassload;
    t->slot[AD_RD_LOADCLASS] = dwgloadclass;
    t->slot[AD_RD_STARTVPORTLOAD] = dwgstartvportload;
    t->slot[AD_RD_LOADVPORT] = dwgloadvport;
    t->slot[AD_RD_STARTUCSLOAD] = dwgstartucsload;
    t->slot[AD_RD_LOADUCS] = dwgloaducs;
    t->slot[AD_RD_STARTREGAPPLOAD] = dwgstartregappload;
    t->slot[AD_RD_LOADREGAPP] = dwgloadregapp;
    t->slot[AD_RD_STARTVIEWLOAD] = dwgstartviewload;
    t->slot[AD_RD_LOADVIEW] = dwgloadview;
    t->slot[AD_RD_STARTSHAPEFILELOAD] = dwgstartshapefileload;
    t->slot[AD_RD_LOADSHAPEFILE] = dwgloadshapefile;
    t->slot[AD_RD_STARTBLOCKHEADERLOAD] = dwgstartblockheaderload;
    t->slot[AD_RD_LOADBLOCKHEADER] = dwgloadblockheader;
    t->slot[AD_RD_STARTDIMSTYLELOAD] = dwgstartdimstyleload;
    t->slot[AD_RD_LOADDIMSTYLE] = dwgloaddimstyle;
    t->slot[AD_RD_STARTENTITYLOAD] = dwgstartentityload;
    t->slot[AD_RD_LOADENTITY] = dwgloadentity;
    t->slot[AD_RD_STARTBLOCKDEFLOAD] = dwgstartblockdefload;
    t->slot[AD_RD_STARTOBJECTLOAD] = dwgstartobjectload;
    t->slot[AD_RD_GETNEXTOBJECTTYPE] = dwggetnextobjecttype;
    t->slot[AD_RD_LOADDICTIONARYOBJECT] = dwgloaddictionaryobject;
    t->slot[AD_RD_LOADMLSTYLE] = dwgloadmlstyle;
    t->slot[AD_RD_LOADGROUP] = dwgloadgroup;
    t->slot[AD_RD_LOADPROXYOBJECT] = dwgloadproxyobject;
    t->slot[AD_RD_STARTMLSTYLELOAD] = dwgstartmlstyleload;
    t->slot[AD_RD_STARTVPORTENTHDRLOAD] = dwgstartvportenthdrload;
    t->slot[AD_RD_LOADVPORTENTHDR] = dwgloadvportenthdr;
}

} // extern "C"
