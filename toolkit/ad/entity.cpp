/* Entities in compact form, and the entity interface (iterate, seek, count,
 * add, replace, delete). An entity node holds, after its link prefix:
 *
 *   type (16-bit), handle (8), flags (1), presence mask (16-bit), length of
 *   the variable header part (16-bit); the variable part: only the header
 *   fields whose presence bit is set, each as many bytes as the field has in
 *   AdEntityHeader; lineweight (16-bit); one byte whose high nibble counts
 *   the stored bytes of the layer handle and low nibble those of the
 *   linetype handle, then those bytes; the stored length and the full length
 *   of the type-specific record (16-bit each); the record without its
 *   trailing zero bytes, its other runs of 8 or more zero bytes left out
 *   (packzeros).
 *
 * Entity nodes come from the drawing's arena (freed with the drawing).
 * Handles are stored without their leading zero bytes and restored right-
 * aligned; a field whose bit is clear reads back as its default. The node's
 * bytes are unaligned: every value is copied in and out with memcpy. A record
 * stored shorter than its type's size (a VERTEX with only point and flags,
 * say) is read back with the missing trailing fields zero. */
#include "toolkit/ad/ad_int.h"

#include <algorithm>
#include <cstring>

namespace {

enum : uint16_t {
    P_THICKNESS = 0x001,
    P_COLOR = 0x002,
    P_EXTRUSION = 0x004,
    P_DATAREF1 = 0x008,
    P_LTSCALE = 0x010,
    P_DATAREF2 = 0x020,
    P_REACTORS = 0x040,
    P_XDICT = 0x080,
    P_PLOTSTYLE = 0x100
};

constexpr size_t kFixed = sizeof(int16_t) + 8 + 1 + sizeof(uint16_t) + sizeof(uint16_t);
constexpr size_t kReactorBytes = sizeof(int32_t) + sizeof(AdBlob *);
/* the largest variable part: every field present, both handles of 8 bytes */
constexpr size_t kMaxVar = sizeof(double) + sizeof(int16_t) + 3 * sizeof(double) + sizeof(AdBlob *) +
                           sizeof(double) + sizeof(AdBlob *) + kReactorBytes + 2 * (1 + 8);
static_assert(sizeof(AdEntityRecord) < 65535, "record lengths are stored in 16 bits");

const double kZ[3] = {0.0, 0.0, 1.0};
const double kOne = 1.0;
const double kZero = 0.0;

bool same(const void *a, const void *b, size_t n) { return std::memcmp(a, b, n) == 0; }

/* Number of significant bytes of a handle (no leading zeros). */
unsigned hlen(const unsigned char *h)
{
    unsigned i = 0;
    while (i < 8 && h[i] == 0) ++i;
    return 8 - i;
}

struct Writer {
    unsigned char *p;
    void put(const void *src, size_t n)
    {
        std::memcpy(p, src, n);
        p += n;
    }
    void handle(const unsigned char *h, unsigned n) { put(h + 8 - n, n); }
};

struct Reader {
    const unsigned char *p;
    void get(void *dst, size_t n)
    {
        std::memcpy(dst, p, n);
        p += n;
    }
    void handle(unsigned char *h, unsigned n)
    {
        std::memset(h, 0, 8);
        get(h + 8 - n, n);
    }
};

const char *const kTypeNames[36] = {
    "NONE",  "LINE",     "POINT",  "CIRCLE",    "SHAPE",  "ELLIPSE",   "SPLINE",   "TEXT",    "ARC",
    "TRACE", "REGION",   "SOLID",  "BLOCK",     "ENDBLK", "INSERT",    "ATTDEF",   "ATTRIB",  "SEQEND",
    "NONE",  "POLYLINE", "VERTEX", "3DLINE",    "3DFACE", "DIMENSION", "VIEWPORT", "3DSOLID", "RAY",
    "XLINE", "MTEXT",    "LEADER", "TOLERANCE", "MLINE",  "NONE",      "NONE",     "NONE",    "BODY"};

size_t fixedsize(int type)
{
    switch (type) {
    case AD_ENT_LINE:
    case AD_ENT_LINE3D:
    case AD_ENT_RAY:
    case AD_ENT_XLINE: return sizeof(AdEntLine);
    case AD_ENT_POINT: return sizeof(AdEntPoint);
    case AD_ENT_CIRCLE: return sizeof(AdEntCircle);
    case AD_ENT_SHAPE: return sizeof(AdEntShape);
    case AD_ENT_ELLIPSE: return sizeof(AdEntEllipse);
    case AD_ENT_SPLINE: return sizeof(AdEntSpline);
    case AD_ENT_TEXT: return sizeof(AdEntText);
    case AD_ENT_ARC: return sizeof(AdEntArc);
    case AD_ENT_TRACE:
    case AD_ENT_SOLID: return sizeof(AdEntTrace);
    case AD_ENT_REGION:
    case AD_ENT_SOLID3D:
    case AD_ENT_BODY: return sizeof(AdEntAcis);
    case AD_ENT_BLOCK: return sizeof(AdEntBlock);
    case AD_ENT_ENDBLK:
    case AD_ENT_SEQEND: return 0;
    case AD_ENT_INSERT: return sizeof(AdEntInsert);
    case AD_ENT_ATTDEF: return sizeof(AdEntAttdef);
    case AD_ENT_ATTRIB: return sizeof(AdEntAttrib);
    case AD_ENT_POLYLINE: return sizeof(AdEntPolyline);
    case AD_ENT_VERTEX: return sizeof(AdEntVertex);
    case AD_ENT_FACE3D: return sizeof(AdEntFace3d);
    case AD_ENT_DIMENSION: return sizeof(AdEntDimension);
    case AD_ENT_VIEWPORT: return sizeof(AdEntViewport);
    case AD_ENT_MTEXT: return sizeof(AdEntMtext);
    case AD_ENT_LEADER: return sizeof(AdEntLeader);
    case AD_ENT_TOLERANCE: return sizeof(AdEntTolerance);
    case AD_ENT_MLINE: return sizeof(AdEntMline);
    default: return static_cast<size_t>(-1);
    }
}

/* The record size of a class-defined kind (AD_EK_*). */
size_t classsize(int kind)
{
    switch (kind) {
    case AD_EK_LWPLINE: return sizeof(AdEntLwpline);
    case AD_EK_HATCH: return sizeof(AdEntHatch);
    case AD_EK_IMAGE: return sizeof(AdEntImage);
    case AD_EK_OLE: return sizeof(AdEntOle2frame);
    case AD_EK_RTEXT: return sizeof(AdEntRtext);
    case AD_EK_ARCTEXT: return sizeof(AdEntArcAlignedText);
    default: return sizeof(AdEntProxy);
    }
}

/* The first index from `i` on whose byte is not zero, or n; eight bytes at
 * a time over the long zero tails of the fixed-size text fields. */
size_t skipzeros(const unsigned char *rec, size_t i, size_t n)
{
    for (uint64_t w; i + 8 <= n; i += 8) {
        std::memcpy(&w, rec + i, 8);
        if (w) break;
    }
    while (i < n && rec[i] == 0) ++i;
    return i;
}

/* A record as runs: each a 16-bit count of zero bytes to pass over, a
 * 16-bit count of bytes that follow, those bytes. Runs of fewer than 8 zero
 * bytes stay among the bytes. */
size_t packzeros(const unsigned char *rec, size_t n, unsigned char *out)
{
    size_t o = 0, i = 0;
    while (i < n) {
        size_t z = skipzeros(rec, i, n);
        uint16_t skip = static_cast<uint16_t>(z - i);
        size_t start = z, end = z;
#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        /* eight bytes at a time: no run of eight zero bytes starts at or
           after `end` before the last nonzero byte of the eight there */
        for (uint64_t w; end + 8 <= n; end += static_cast<size_t>((63 - __builtin_clzll(w)) / 8 + 1)) {
            std::memcpy(&w, rec + end, 8);
            if (!w) break;
        }
#endif
        while (end < n) {
            if (rec[end] != 0) {
                ++end;
                continue;
            }
            size_t e = end;
            while (e < n && e - end < 8 && rec[e] == 0) ++e;
            if (e - end >= 8 || e == n) break;
            end = e;
        }
        uint16_t len = static_cast<uint16_t>(end - start);
        std::memcpy(out + o, &skip, 2);
        std::memcpy(out + o + 2, &len, 2);
        std::memcpy(out + o + 4, rec + start, len);
        o += 4 + len;
        i = end;
    }
    return o;
}

void unpackzeros(const unsigned char *in, size_t n, unsigned char *rec, size_t full)
{
    size_t pos = 0, i = 0;
    while (i + 4 <= n) {
        uint16_t skip, len;
        std::memcpy(&skip, in + i, 2);
        std::memcpy(&len, in + i + 2, 2);
        pos += skip;
        if (pos + len > full || i + 4 + len > n) return;
        std::memcpy(rec + pos, in + i + 4, len);
        pos += len;
        i += 4 + len;
    }
}

/* The entity lists of a drawing, sorted by address. */
struct EntityLists {
    const LLList **lists;
    long count;
};

int notentity(void *addr, void *ctx)
{
    const EntityLists *set = static_cast<const EntityLists *>(ctx);
    const LLList *list = static_cast<const LLNode *>(addr)->list;
    return !std::binary_search(set->lists, set->lists + set->count, list);
}

LLNode *findnode(AdDrawing *dwg, LLList *list, const unsigned char *handle)
{
    LLNode *n = static_cast<LLNode *>(bt_search(dwg, handle, dwg->btroot));
    return n && n->list == list ? n : nullptr;
}

} // namespace

extern "C" {

void getenttypestr(int type, char *text)
{
    const char *s = "NONE";
    if (type >= 151)
        s = "PROXY";
    else if ((type >= 1 && type <= 31) || type == 35)
        s = kTypeNames[type];
    std::strcpy(text, s);
}

size_t adEntityRecordSize(AdDrawing *dwg, int type)
{
    size_t s = fixedsize(type);
    if (s != static_cast<size_t>(-1)) return s;
    return classsize(adclasskind(dwg, static_cast<int16_t>(type)));
}

LLNode *adPackEntity(AdDrawing *dwg, const AdEntityHeader *hdr, const AdEntityRecord *rec)
{
    size_t full = adEntityRecordSize(dwg, hdr->enttype);
    const unsigned char *rb = reinterpret_cast<const unsigned char *>(rec);
    size_t reclen = full;
    /* the zero tail (most of a text's string field): 32, then 8 bytes at a time */
    for (uint64_t w[4]; reclen >= 32; reclen -= 32) {
        std::memcpy(w, rb + reclen - 32, 32);
        if (w[0] | w[1] | w[2] | w[3]) break;
    }
    for (uint64_t w; reclen >= 8; reclen -= 8) {
        std::memcpy(&w, rb + reclen - 8, 8);
        if (w) break;
    }
    while (reclen > 0 && rb[reclen - 1] == 0) --reclen;
    /* the record without its runs of zero bytes */
    unsigned char enc[sizeof(AdEntityRecord) * 3 / 2 + 16]; /* a token per 9 bytes at worst */
    size_t enclen = packzeros(rb, reclen, enc);

    uint16_t mask = 0;
    if (!same(&hdr->thickness, &kZero, sizeof(double))) mask |= P_THICKNESS;
    if (hdr->color != 256) mask |= P_COLOR;
    if (!same(hdr->extrusion, kZ, sizeof kZ)) mask |= P_EXTRUSION;
    if (hdr->xdblob) mask |= P_DATAREF1;
    if (!same(&hdr->ltscale, &kOne, sizeof(double))) mask |= P_LTSCALE;
    if (hdr->datablob) mask |= P_DATAREF2;
    if (hdr->numreactors || hdr->reactorblob) mask |= P_REACTORS;
    unsigned xl = hlen(hdr->xdicthandle), pl = hlen(hdr->plotstylehandle);
    if (xl) mask |= P_XDICT;
    if (pl) mask |= P_PLOTSTYLE;
    unsigned ll = hlen(hdr->layerhandle), tl = hlen(hdr->ltypehandle);

    unsigned char var[kMaxVar];
    Writer v{var};
    if (mask & P_THICKNESS) v.put(&hdr->thickness, sizeof(double));
    if (mask & P_COLOR) v.put(&hdr->color, sizeof(int16_t));
    if (mask & P_EXTRUSION) v.put(hdr->extrusion, 3 * sizeof(double));
    if (mask & P_DATAREF1) v.put(&hdr->xdblob, sizeof(AdBlob *));
    if (mask & P_LTSCALE) v.put(&hdr->ltscale, sizeof(double));
    if (mask & P_DATAREF2) v.put(&hdr->datablob, sizeof(AdBlob *));
    if (mask & P_REACTORS) {
        v.put(&hdr->numreactors, sizeof(int32_t));
        v.put(&hdr->reactorblob, sizeof(AdBlob *));
    }
    if (mask & P_XDICT) {
        unsigned char b = static_cast<unsigned char>(xl);
        v.put(&b, 1);
        v.handle(hdr->xdicthandle, xl);
    }
    if (mask & P_PLOTSTYLE) {
        unsigned char b = static_cast<unsigned char>(pl);
        v.put(&b, 1);
        v.handle(hdr->plotstylehandle, pl);
    }
    uint16_t varlen = static_cast<uint16_t>(v.p - var);

    size_t size = kFixed + varlen + sizeof(int16_t) + 1 + ll + tl + 2 * sizeof(uint16_t) + enclen;
    if (dwg && !dwg->entityarena) dwg->entityarena = ztvm_arenacreate();
    LLNode *n =
        dwg ? static_cast<LLNode *>(ztvm_arenaalloc(dwg->entityarena, sizeof(LLNode) + size)) : LLAlloc(size);
    if (!n) {
        adseterror(223);
        adcriticalerror(2);
        return nullptr;
    }
    Writer w{static_cast<unsigned char *>(LL_RECORD(n))};
    w.put(&hdr->enttype, sizeof(int16_t));
    w.put(hdr->handle, 8);
    w.put(&hdr->flags, 1);
    w.put(&mask, sizeof mask);
    w.put(&varlen, sizeof varlen);
    w.put(var, varlen);
    w.put(&hdr->lineweight, sizeof(int16_t));
    unsigned char nib = static_cast<unsigned char>(ll << 4 | tl);
    w.put(&nib, 1);
    w.handle(hdr->layerhandle, ll);
    w.handle(hdr->ltypehandle, tl);
    uint16_t rl = static_cast<uint16_t>(enclen), fl = static_cast<uint16_t>(full);
    w.put(&rl, sizeof rl);
    w.put(&fl, sizeof fl);
    w.put(enc, enclen);
    return n;
}

void adUnpackEntity(const LLNode *n, AdEntityHeader *hdr, AdEntityRecord *rec)
{
    Reader r{static_cast<const unsigned char *>(LL_RECORD(n))};
    std::memset(hdr, 0, sizeof *hdr);
    r.get(&hdr->enttype, sizeof(int16_t));
    r.get(hdr->handle, 8);
    r.get(&hdr->flags, 1);
    uint16_t mask, varlen;
    r.get(&mask, sizeof mask);
    r.get(&varlen, sizeof varlen);
    hdr->color = 256;
    hdr->extrusion[2] = 1.0;
    hdr->ltscale = 1.0;
    if (mask & P_THICKNESS) r.get(&hdr->thickness, sizeof(double));
    if (mask & P_COLOR) r.get(&hdr->color, sizeof(int16_t));
    if (mask & P_EXTRUSION) r.get(hdr->extrusion, 3 * sizeof(double));
    if (mask & P_DATAREF1) r.get(&hdr->xdblob, sizeof(AdBlob *));
    if (mask & P_LTSCALE) r.get(&hdr->ltscale, sizeof(double));
    if (mask & P_DATAREF2) r.get(&hdr->datablob, sizeof(AdBlob *));
    if (mask & P_REACTORS) {
        r.get(&hdr->numreactors, sizeof(int32_t));
        r.get(&hdr->reactorblob, sizeof(AdBlob *));
    }
    if (mask & P_XDICT) {
        unsigned char b;
        r.get(&b, 1);
        r.handle(hdr->xdicthandle, b);
    }
    if (mask & P_PLOTSTYLE) {
        unsigned char b;
        r.get(&b, 1);
        r.handle(hdr->plotstylehandle, b);
    }
    r.get(&hdr->lineweight, sizeof(int16_t));
    unsigned char nib;
    r.get(&nib, 1);
    r.handle(hdr->layerhandle, nib >> 4);
    r.handle(hdr->ltypehandle, nib & 15);
    uint16_t rl, fl;
    r.get(&rl, sizeof rl);
    r.get(&fl, sizeof fl);
    if (rec) {
        std::memset(rec, 0, fl);
        unpackzeros(r.p, rl, reinterpret_cast<unsigned char *>(rec), fl);
    }
}

void adFreeEntityData(const AdEntityHeader *hdr, const AdEntityRecord *rec)
{
    adDeleteBlob(hdr->xdblob);
    adDeleteBlob(hdr->datablob);
    adDeleteBlob(hdr->reactorblob);
    if (!rec) return;
    switch (hdr->enttype) {
    case AD_ENT_SPLINE:
        adDeleteBlob(rec->spline.knotblob);
        adDeleteBlob(rec->spline.ctlblob);
        adDeleteBlob(rec->spline.fitblob);
        return;
    case AD_ENT_MTEXT: adDeleteBlob(rec->mtext.textblob); return;
    case AD_ENT_LEADER: adDeleteBlob(rec->leader.ptblob); return;
    case AD_ENT_MLINE: adDeleteBlob(rec->mline.vertblob); return;
    case AD_ENT_VIEWPORT: adDeleteBlob(rec->vport.frozenlayerblob); return;
    case AD_ENT_REGION:
    case AD_ENT_SOLID3D:
    case AD_ENT_BODY: adDeleteBlob(rec->acis.acisblob); return;
    default: break;
    }
}

/* Frees the blobs of an entity; class-defined kinds need the drawing. */
void adfreeentityblobs(AdDrawing *dwg, const AdEntityHeader *hdr, const AdEntityRecord *rec)
{
    adFreeEntityData(hdr, rec);
    if (!rec || fixedsize(hdr->enttype) != static_cast<size_t>(-1)) return;
    switch (adclasskind(dwg, hdr->enttype)) {
    case AD_EK_LWPLINE: adDeleteBlob(rec->lwpline.vertblob); break;
    case AD_EK_HATCH:
        adDeleteBlob(rec->hatch.pathblob);
        adDeleteBlob(rec->hatch.patlineblob);
        adDeleteBlob(rec->hatch.srcobjblob);
        adDeleteBlob(rec->hatch.seedblob);
        break;
    case AD_EK_IMAGE: adDeleteBlob(rec->image.clipvertblob); break;
    case AD_EK_OLE: adDeleteBlob(rec->ole2frame.datablob); break;
    case AD_EK_PROXY:
        adDeleteBlob(rec->proxy.graphicsblob);
        adDeleteBlob(rec->proxy.dataentblob);
        adDeleteBlob(rec->proxy.objidblob);
        adDeleteBlob(rec->proxy.acisblob);
        adDeleteBlob(rec->proxy.pairblob);
        break;
    default: break;
    }
}

namespace {

/* True when the record of an entity of this type may hold blobs, that is
 * when adfreeentityblobs frees anything of it beyond the header's. */
bool recordholdsblobs(AdDrawing *dwg, int type)
{
    switch (type) {
    case AD_ENT_SPLINE:
    case AD_ENT_MTEXT:
    case AD_ENT_LEADER:
    case AD_ENT_MLINE:
    case AD_ENT_VIEWPORT:
    case AD_ENT_REGION:
    case AD_ENT_SOLID3D:
    case AD_ENT_BODY: return true;
    default: break;
    }
    if (fixedsize(type) != static_cast<size_t>(-1)) return false;
    switch (adclasskind(dwg, static_cast<int16_t>(type))) {
    case AD_EK_LWPLINE:
    case AD_EK_HATCH:
    case AD_EK_IMAGE:
    case AD_EK_OLE:
    case AD_EK_PROXY: return true;
    default: return false;
    }
}

} // namespace

/* Closing a drawing frees every entity this way. Most entities (lines,
 * texts, inserts...) keep blobs in their header at most, and most hold none
 * at all: the packed type and presence mask tell, without unpacking; only
 * the header is unpacked for those with header blobs. The others' record is
 * unpacked on the stack (a zero-filled heap record per entity cost more than
 * the rest of the close; unpacking fills the kind's own bytes, all that is
 * read). */
void adfreeentitynode(AdDrawing *dwg, LLNode *n)
{
    const unsigned char *p = static_cast<const unsigned char *>(LL_RECORD(n));
    int16_t type;
    uint16_t mask;
    std::memcpy(&type, p, sizeof type);
    std::memcpy(&mask, p + sizeof(int16_t) + 8 + 1, sizeof mask);
    if (!(mask & (P_DATAREF1 | P_DATAREF2 | P_REACTORS)) && !recordholdsblobs(dwg, type)) return;
    AdEntityHeader hdr;
    adUnpackEntity(n, &hdr, nullptr);
    if (!recordholdsblobs(dwg, hdr.enttype)) {
        adFreeEntityData(&hdr, nullptr);
        return;
    }
    AdEntityRecord rec;
    adUnpackEntity(n, &hdr, &rec);
    adfreeentityblobs(dwg, &hdr, &rec);
}

/* Frees an entity list with every entity and its data. */
void adfreeentitylist(AdDrawing *dwg, LLList *list)
{
    if (!list) return;
    for (LLNode *n = list->head; n; n = n->next) adfreeentitynode(dwg, n);
    LLDeleteList(list);
}

int adStoreEntity(AdDrawing *dwg, LLList *list, const AdEntityHeader *hdr, const AdEntityRecord *rec)
{
    if (adObjhandleIsNull(hdr->handle)) {
        adseterror(231);
        return 0;
    }
    LLNode *n = adPackEntity(dwg, hdr, rec);
    if (!n) return 0;
    int r = bt_insert(dwg, hdr->handle, n);
    if (r != 1) {
        adseterror(r == 2 ? 172 : 173);
        if (r == 2) std::memcpy(adin->errorhandle, hdr->handle, 8);
        ztvm_free(n);
        return 0;
    }
    LLPutTail(list, n);
    return 1;
}

int adStartEntityGet(AdEntityList list)
{
    if (!list) return 0;
    LLRewindList(list);
    return 1;
}

int adGetEntity(AdEntityList list, AdEntityHeader *hdr, AdEntityRecord *rec)
{
    if (!list || !list->current) return 0;
    adUnpackEntity(list->current, hdr, rec);
    list->current = list->current->next;
    return 1;
}

long adNumEntities(AdEntityList list) { return LLGetNumLinks(list); }

int adSeekEntity(AdDrawing *dwg, AdEntityList list, const unsigned char *handle, AdEntityHeader *hdr,
                 AdEntityRecord *rec)
{
    if (!dwg || !list) return 0;
    LLNode *n = static_cast<LLNode *>(bt_search(dwg, handle, dwg->btroot));
    if (!n) {
        adseterror(303);
        return 0;
    }
    if (LLSetCurNode(list, n) != 0) {
        adseterror(304);
        return 0;
    }
    if (!adGetEntity(list, hdr, rec)) {
        adseterror(305);
        return 0;
    }
    return 1;
}

int adAddEntityToList(AdDrawing *dwg, AdEntityList list, const AdEntityHeader *hdr, const AdEntityRecord *rec)
{
    if (!dwg || !list || !hdr) return 0;
    return adStoreEntity(dwg, list, hdr, rec);
}

int adAddEntityToListAfter(AdDrawing *dwg, AdEntityList list, const unsigned char *after,
                           const AdEntityHeader *hdr, const AdEntityRecord *rec)
{
    if (!dwg || !list || !hdr) return 0;
    LLNode *at = findnode(dwg, list, after);
    if (!at) {
        adseterror(152);
        return 0;
    }
    if (!adStoreEntity(dwg, list, hdr, rec)) return 0;
    /* move it from the tail to its place */
    LLNode *n = LLDelTail(list);
    LLPutAfterSpec(list, at, n);
    return 1;
}

int adReplaceEntity(AdDrawing *dwg, AdEntityList list, const unsigned char *handle, const AdEntityHeader *hdr,
                    const AdEntityRecord *rec)
{
    if (!dwg || !list || !hdr) return 0;
    LLNode *old = findnode(dwg, list, handle);
    if (!old) {
        adseterror(226);
        return 0;
    }
    LLNode *n = adPackEntity(dwg, hdr, rec);
    if (!n) return 0;
    bool current = list->current == old;
    bt_del(dwg, handle);
    int r = bt_insert(dwg, hdr->handle, n);
    if (r != 1) {
        bt_insert(dwg, handle, old);
        ztvm_free(n);
        adseterror(r == 2 ? 172 : 228);
        return 0;
    }
    LLPutBeforeSpec(list, old, n);
    LLDelSpec(list, old);
    if (current) list->current = n;
    ztvm_free(old);
    return 1;
}

int adDeleteEntity(AdDrawing *dwg, AdEntityList list, const unsigned char *handle, int freedata)
{
    if (!dwg || !list) {
        adseterror(151);
        return 0;
    }
    LLNode *n = findnode(dwg, list, handle);
    if (!n) {
        adseterror(152);
        return 0;
    }
    LLDelSpec(list, n);
    bt_del(dwg, handle);
    if (freedata) adfreeentitynode(dwg, n);
    ztvm_free(n);
    return 1;
}

/* Entity nodes lie in the entity lists of model space, paper space and the
 * block headers; every other indexed record (tables, block headers, objects,
 * classes) stays findable. */
int adDropEntityHandles(AdDrawing *dwg)
{
    if (!dwg) return 0;
    long n = 2 + (dwg->blkhs ? dwg->blkhs->count : 0);
    const LLList **lists = static_cast<const LLList **>(ztmem_malloc(size_t(n) * sizeof *lists));
    if (!lists) return 0;
    EntityLists set{lists, 0};
    lists[set.count++] = dwg->mspace;
    lists[set.count++] = dwg->pspace;
    if (dwg->blkhs)
        for (const LLNode *b = dwg->blkhs->head; b && set.count < n; b = b->next)
            lists[set.count++] = AD_BLKH(b)->entitylist;
    std::sort(lists, lists + set.count);
    int done = bt_keep(dwg, notentity, &set);
    ztmem_free(lists);
    return done;
}

AdEntityList adModelSpaceEntityList(AdDrawing *dwg) { return dwg ? dwg->mspace : nullptr; }
AdEntityList adPaperSpaceEntityList(AdDrawing *dwg) { return dwg ? dwg->pspace : nullptr; }

} // extern "C"
