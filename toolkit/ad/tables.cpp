/* The table families (linetypes, layers, text styles, views, viewports,
 * UCSs, registered applications, dimension styles, block headers): each list
 * of the drawing holds records of one type, every record indexed by its
 * handle (5). One descriptor per table gives the record size, where the
 * handle and the name sit in the record, and the table's error codes; the
 * public functions of every family are the same generic operations.
 *
 * Names are found through a name index per table: an open-addressing hash
 * table of the list's nodes by ASCII case-folded name (adstricmp order),
 * built on the first lookup and kept up to date as records are added
 * (addobjecttolistandindex calls adtablenodeadded), dropped when a record
 * is replaced or deleted. A name that two records share is marked, and its
 * lookups scan the list, so that a lookup always finds the first record of
 * the list with that name, as a scan would. A slot also keeps the record's
 * handle, so that finding a handle by name reads no record (a drawing's
 * block headers alone may fill tens of megabytes). Invariants: a record's
 * name changes only through the table's replace operation, or by code that
 * then calls adtablenameschanged; a record's handle never changes while the
 * record is in its list. */
#include "toolkit/ad/ad_int.h"

#include <cstddef>
#include <cstring>
#include <initializer_list>

namespace {

/* size, handleoff and nameoff are those of the public record; a stored
 * record has its handle and name at shandleoff and snameoff (the same but
 * for block headers, stored as AdBlkh with the name after the record). */
struct TableDesc {
    int id; /* AD_LIST_* */
    size_t size;
    size_t handleoff;
    size_t nameoff;
    size_t shandleoff, snameoff;
    LLList *AdDrawing::*list;
    int16_t emptylist, notfound, delxdata, del, freeerr;
};

#define AD_DESC(id, Rec, member, e0, e1, e2, e3, e4)                                                         \
    TableDesc                                                                                                \
    {                                                                                                        \
        id, sizeof(Rec), offsetof(Rec, handle), offsetof(Rec, name), offsetof(Rec, handle),                  \
            offsetof(Rec, name), &AdDrawing::member, e0, e1, e2, e3, e4                                      \
    }

const TableDesc kLinetype = AD_DESC(AD_LIST_LTYPE, AdLinetype, ltypes, 76, 77, 106, 107, 108);
const TableDesc kLayer = AD_DESC(AD_LIST_LAYER, AdLayer, layers, 90, 91, 103, 104, 105);
const TableDesc kShapefile = AD_DESC(AD_LIST_STYLE, AdShapefile, shapes, 80, 81, 109, 110, 111);
const TableDesc kView = AD_DESC(AD_LIST_VIEW, AdView, views, 84, 85, 112, 113, 114);
const TableDesc kVport = AD_DESC(AD_LIST_VPORT, AdVport, vports, 86, 87, 115, 116, 117);
const TableDesc kUcs = AD_DESC(AD_LIST_UCS, AdUcs, ucss, 88, 89, 121, 122, 123);
const TableDesc kRegapp = AD_DESC(AD_LIST_APPID, AdRegapp, regapps, 78, 79, 100, 101, 102);
const TableDesc kDimstyle = AD_DESC(AD_LIST_DIMSTYLE, AdDimstyle, dimstyles, 82, 83, 118, 119, 120);
#undef AD_DESC
const TableDesc kBlockheader = {AD_LIST_BLKH,
                                sizeof(AdBlockheader),
                                offsetof(AdBlockheader, handle),
                                offsetof(AdBlockheader, name),
                                offsetof(AdBlkh, handle),
                                sizeof(AdBlkh),
                                &AdDrawing::blkhs,
                                92,
                                93,
                                124,
                                126,
                                127};

/* By AD_LIST_*. */
const TableDesc *const kAllTables[AD_LIST_COUNT] = {&kLinetype, &kLayer,  &kShapefile, &kView,       &kVport,
                                                    &kUcs,      &kRegapp, &kDimstyle,  &kBlockheader};

/* Offsets of the common tail, the same in every table record. */
struct Tail {
    AdBlob *xdblob;
    int32_t numreactors;
    AdBlob *reactorblob;
};
template <class Rec> Tail tailof(const void *rec)
{
    const Rec *r = static_cast<const Rec *>(rec);
    return Tail{r->xdblob, r->numreactors, r->reactorblob};
}

const unsigned char *handleof(const TableDesc &d, const void *rec)
{
    return static_cast<const unsigned char *>(rec) + d.handleoff;
}
const char *nameof(const TableDesc &d, const void *rec) { return static_cast<const char *>(rec) + d.nameoff; }
/* The same of a stored record. */
const unsigned char *shandleof(const TableDesc &d, const void *rec)
{
    return static_cast<const unsigned char *>(rec) + d.shandleoff;
}
const char *snameof(const TableDesc &d, const void *rec)
{
    return static_cast<const char *>(rec) + d.snameoff;
}

/* ---------------------------------------------------------------- stored block headers */

/* The fields a public block header and a stored one share (all but the
 * texts), from either to the other. */
template <class From, class To> void copyfixed(const From &f, To &t)
{
    std::memcpy(t.ownerhandle, f.ownerhandle, 8);
    std::memcpy(t.layouthandle, f.layouthandle, 8);
    std::memcpy(t.handle, f.handle, 8);
    std::memcpy(t.xdicthandle, f.xdicthandle, 8);
    std::memcpy(t.blockentityhandle, f.blockentityhandle, 8);
    std::memcpy(t.endblkentityhandle, f.endblkentityhandle, 8);
    t.entitylist = f.entitylist;
    std::memcpy(t.base, f.base, sizeof t.base);
    t.previewblob = f.previewblob;
    t.insertblob = f.insertblob;
    t.xdblob = f.xdblob;
    t.numreactors = f.numreactors;
    t.reactorblob = f.reactorblob;
    t.previewbytes = f.previewbytes;
    t.numinserts = f.numinserts;
    t.xrefindex = f.xrefindex;
    t.insertunits = f.insertunits;
    t.flag = f.flag;
    t.xrefblkisoverlaid = f.xrefblkisoverlaid;
    t.xrefunloaded = f.xrefunloaded;
    t.explodable = f.explodable;
    t.blockscaling = f.blockscaling;
    t.purgedflag = f.purgedflag;
}

/* A stored block header being made: the record and room for its texts. */
struct PackedBlkh {
    AdBlkh rec;
    char texts[3 * AD_NAME_LEN];
};

/* Packs a public block header; the size of the stored record. */
size_t packblkh(const AdBlockheader *b, PackedBlkh *p)
{
    AdBlkh &r = p->rec;
    std::memset(&r, 0, sizeof r);
    copyfixed(*b, r);
    size_t n = 0;
    for (const char *t : {b->name, b->xrefpath, b->description}) {
        size_t len = strnlen(t, AD_NAME_LEN - 1);
        std::memcpy(p->texts + n, t, len);
        p->texts[n + len] = '\0';
        n += len + 1;
    }
    r.textroom = static_cast<uint32_t>(n);
    return sizeof(AdBlkh) + n;
}

inline unsigned char foldc(unsigned char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 32) : c;
}

} // namespace

struct AdNameIndex {
    enum { kInline = 18, kLong = 255 };
    struct Slot {
        LLNode *node;
        uint32_t hash;
        unsigned char shared; /* another record has the same name */
        unsigned char len;    /* of the name, kLong when it is not kept here */
        char folded[kInline]; /* the name in capitals, when it fits */
        AdObjhandle handle;   /* the record's */
    };
    Slot *slots;
    uint32_t cap, used; /* cap a power of two, at least twice used */
};

namespace {

/* A name in capitals (when it is short enough to keep in a slot), its
 * length and its hash: a lookup compares slots without reading the records,
 * whose names lie in records of up to 2 KB scattered over the heap. */
struct FoldedName {
    const char *name;
    uint32_t hash;
    unsigned char len;
    char text[AdNameIndex::kInline];
};

FoldedName foldname(const char *name)
{
    FoldedName f;
    f.name = name;
    f.hash = 2166136261u;
    size_t n = 0;
    for (const char *p = name; *p; ++p, ++n) {
        const unsigned char c = foldc(static_cast<unsigned char>(*p));
        f.hash = (f.hash ^ c) * 16777619u;
        if (n < AdNameIndex::kInline) f.text[n] = static_cast<char>(c);
    }
    f.len = n <= AdNameIndex::kInline ? static_cast<unsigned char>(n)
                                      : static_cast<unsigned char>(AdNameIndex::kLong);
    return f;
}

bool names(const TableDesc &d, const AdNameIndex::Slot &s, const FoldedName &f)
{
    if (s.hash != f.hash || s.len != f.len) return false;
    if (s.len != AdNameIndex::kLong) return std::memcmp(s.folded, f.text, s.len) == 0;
    return adstricmp(snameof(d, LL_RECORD(s.node)), f.name) == 0;
}

void freenameindex(AdNameIndex *x)
{
    if (!x) return;
    ztmem_free(x->slots);
    ztmem_free(x);
}

AdNameIndex::Slot *findslot(const TableDesc &d, AdNameIndex *x, const FoldedName &f)
{
    uint32_t mask = x->cap - 1;
    for (uint32_t i = f.hash & mask;; i = (i + 1) & mask) {
        AdNameIndex::Slot *s = &x->slots[i];
        if (!s->node || names(d, *s, f)) return s;
    }
}

/* The free slot for a name not in the table yet (growing it). */
AdNameIndex::Slot *freeslot(AdNameIndex *x, uint32_t hash)
{
    uint32_t mask = x->cap - 1;
    uint32_t i = hash & mask;
    while (x->slots[i].node) i = (i + 1) & mask;
    return &x->slots[i];
}

/* Grows the table to hold `more` names besides those it has. */
bool makeroom(AdNameIndex *x, uint32_t more)
{
    if (2 * (static_cast<uint64_t>(x->used) + more) <= x->cap) return true;
    uint32_t ocap = x->cap;
    AdNameIndex::Slot *old = x->slots;
    uint32_t ncap = ocap ? 2 * ocap : 64;
    while (2 * (static_cast<uint64_t>(x->used) + more) > ncap) ncap *= 2;
    auto *ns = static_cast<AdNameIndex::Slot *>(ztmem_malloc(sizeof(AdNameIndex::Slot) * ncap));
    if (!ns) return false;
    x->slots = ns;
    x->cap = ncap;
    for (uint32_t i = 0; i < ocap; ++i)
        if (old[i].node) *freeslot(x, old[i].hash) = old[i];
    ztmem_free(old);
    return true;
}

bool indexname(const TableDesc &d, AdNameIndex *x, LLNode *n)
{
    if (!makeroom(x, 1)) return false;
    const FoldedName f = foldname(snameof(d, LL_RECORD(n)));
    AdNameIndex::Slot *s = findslot(d, x, f);
    if (s->node) {
        s->shared = 1;
        return true;
    }
    s->node = n;
    std::memcpy(s->handle, shandleof(d, LL_RECORD(n)), 8);
    s->hash = f.hash;
    s->shared = 0;
    s->len = f.len;
    if (f.len != AdNameIndex::kLong) std::memcpy(s->folded, f.text, f.len);
    ++x->used;
    return true;
}

AdNameIndex *nameindex(const TableDesc &d, AdDrawing *dwg, int table)
{
    if (dwg->nameindex[table]) return dwg->nameindex[table];
    LLList *l = dwg->*d.list;
    if (!l) return nullptr;
    auto *x = static_cast<AdNameIndex *>(ztmem_malloc(sizeof(AdNameIndex)));
    if (!x) return nullptr;
    for (LLNode *n = l->head; n; n = n->next)
        if (!indexname(d, x, n)) {
            freenameindex(x);
            return nullptr;
        }
    dwg->nameindex[table] = x;
    return x;
}

/* The AD_LIST_* of a table list, -1 for any other list. */
int tableof(const AdDrawing *dwg, const LLList *l)
{
    for (int t = 0; t < AD_LIST_COUNT; ++t)
        if (dwg->*kAllTables[t]->list == l) return t;
    return -1;
}

void dropnameindex(AdDrawing *dwg, int table)
{
    if (table < 0) return;
    freenameindex(dwg->nameindex[table]);
    dwg->nameindex[table] = nullptr;
}

/* The first record of the list with the name (ignoring ASCII case), and
 * its handle when handle is not null. */
LLNode *findnode(const TableDesc &d, AdDrawing *dwg, int table, const char *name, unsigned char *handle)
{
    LLList *l = dwg->*d.list;
    if (!l || !name) return nullptr;
    if (AdNameIndex *x = nameindex(d, dwg, table)) {
        if (!x->cap) return nullptr;
        AdNameIndex::Slot *s = findslot(d, x, foldname(name));
        if (!s->shared) {
            if (s->node && handle) std::memcpy(handle, s->handle, 8);
            return s->node;
        }
    }
    for (LLNode *n = l->head; n; n = n->next)
        if (adstricmp(snameof(d, LL_RECORD(n)), name) == 0) {
            if (handle) std::memcpy(handle, shandleof(d, LL_RECORD(n)), 8);
            return n;
        }
    return nullptr;
}

int start(const TableDesc &d, AdDrawing *dwg)
{
    if (!dwg) return 0;
    LLRewindList(dwg->*d.list);
    return 1;
}

int get(const TableDesc &d, AdDrawing *dwg, void *rec)
{
    LLList *l = dwg ? dwg->*d.list : nullptr;
    if (!l || !l->current) return 0;
    if (d.id == AD_LIST_BLKH)
        adblkhexpand(AD_BLKH(l->current), static_cast<AdBlockheader *>(rec));
    else
        std::memcpy(rec, LL_RECORD(l->current), d.size);
    l->current = l->current->next;
    return 1;
}

long num(const TableDesc &d, AdDrawing *dwg) { return dwg ? LLGetNumLinks(dwg->*d.list) : 0; }

LLNode *lookup(const TableDesc &d, AdDrawing *dwg, const unsigned char *handle)
{
    LLNode *n = static_cast<LLNode *>(bt_search(dwg, handle, dwg->btroot));
    return n && n->list == dwg->*d.list ? n : nullptr;
}

int seek(const TableDesc &d, AdDrawing *dwg, const unsigned char *handle, void *rec)
{
    if (!dwg || !handle) return 0;
    LLNode *n = static_cast<LLNode *>(bt_search(dwg, handle, dwg->btroot));
    if (!n) {
        adseterror(303);
        return 0;
    }
    if (LLSetCurNode(dwg->*d.list, n) != 0) {
        adseterror(304);
        return 0;
    }
    if (!get(d, dwg, rec)) {
        adseterror(305);
        return 0;
    }
    return 1;
}

int findbyname(const TableDesc &d, AdDrawing *dwg, int table, const char *name, unsigned char *handle)
{
    if (handle) std::memset(handle, 0, 8);
    if (!dwg) return 0;
    return findnode(d, dwg, table, name, handle) != nullptr;
}

int replace(const TableDesc &d, AdDrawing *dwg, const void *rec)
{
    if (!dwg || !rec) return 0;
    LLNode *n = lookup(d, dwg, handleof(d, rec));
    if (!n) {
        adseterror(303);
        return 0;
    }
    if (d.id == AD_LIST_BLKH) {
        if (!adrestoreblockheader(dwg, n, static_cast<const AdBlockheader *>(rec))) return 0;
    } else {
        std::memcpy(LL_RECORD(n), rec, d.size);
    }
    dropnameindex(dwg, d.id);
    return 1;
}

int add(const TableDesc &d, AdDrawing *dwg, const void *rec)
{
    if (!dwg || !rec) return 0;
    return adtablestore(dwg, d.id, rec, AD_PUT_TAIL, nullptr) != nullptr;
}

Tail (*const kTails[AD_LIST_COUNT])(const void *) = {
    tailof<AdLinetype>, tailof<AdLayer>,  tailof<AdShapefile>, tailof<AdView>, tailof<AdVport>,
    tailof<AdUcs>,      tailof<AdRegapp>, tailof<AdDimstyle>,  tailof<AdBlkh>};

int del(const TableDesc &d, AdDrawing *dwg, const unsigned char *handle)
{
    if (!dwg || !handle) return 0;
    LLNode *n = lookup(d, dwg, handle);
    if (!n) {
        adseterror(d.del);
        return 0;
    }
    Tail t = kTails[d.id](LL_RECORD(n));
    adDeleteBlob(t.xdblob);
    adDeleteBlob(t.reactorblob);
    if (d.id == AD_LIST_BLKH) {
        AdBlkh *b = AD_BLKH(n);
        if (b->entitylist && b->entitylist != dwg->mspace && b->entitylist != dwg->pspace) {
            AdEntityHeader eh;
            for (LLNode *e = b->entitylist->head; e; e = e->next) {
                adUnpackEntity(e, &eh, nullptr);
                bt_del(dwg, eh.handle);
            }
            adfreeentitylist(dwg, b->entitylist);
        }
        adDeleteBlob(b->previewblob);
        adDeleteBlob(b->insertblob);
    }
    dropnameindex(dwg, d.id);
    LLDelSpec(dwg->*d.list, n);
    bt_del(dwg, handle);
    ztvm_free(n);
    return 1;
}

} // namespace

extern "C" {

#define AD_FAMILY(Rec, Name, Plural, desc)                                                                   \
    int adStart##Name##Get(AdDrawing *dwg) { return start(desc, dwg); }                                      \
    int adGet##Name(AdDrawing *dwg, Rec *rec) { return get(desc, dwg, rec); }                                \
    long adNum##Plural(AdDrawing *dwg) { return num(desc, dwg); }                                            \
    int adSeek##Name(AdDrawing *dwg, const unsigned char *h, Rec *rec) { return seek(desc, dwg, h, rec); }   \
    int adFind##Name##ByName(AdDrawing *dwg, const char *name, unsigned char *h)                             \
    {                                                                                                        \
        return findbyname(desc, dwg, desc.id, name, h);                                                      \
    }                                                                                                        \
    int adReplace##Name(AdDrawing *dwg, const Rec *rec) { return replace(desc, dwg, rec); }                  \
    int adAdd##Name(AdDrawing *dwg, const Rec *rec) { return add(desc, dwg, rec); }                          \
    int adDelete##Name(AdDrawing *dwg, const unsigned char *h) { return del(desc, dwg, h); }

AD_FAMILY(AdLinetype, Linetype, Linetypes, kLinetype)
AD_FAMILY(AdLayer, Layer, Layers, kLayer)
AD_FAMILY(AdShapefile, Shapefile, Shapefiles, kShapefile)
AD_FAMILY(AdView, View, Views, kView)
AD_FAMILY(AdVport, Vport, Vports, kVport)
AD_FAMILY(AdUcs, Ucs, Ucss, kUcs)
AD_FAMILY(AdRegapp, Regapp, Regapps, kRegapp)
AD_FAMILY(AdDimstyle, Dimstyle, Dimstyles, kDimstyle)
AD_FAMILY(AdBlockheader, Blockheader, Blockheaders, kBlockheader)
#undef AD_FAMILY

AdEntityList adEntityList(AdDrawing *dwg, const unsigned char *blkhhandle)
{
    if (!dwg || !blkhhandle) return nullptr;
    adseterror(73);
    LLNode *n = lookup(kBlockheader, dwg, blkhhandle);
    if (!n) return nullptr;
    adseterror(0);
    return AD_BLKH(n)->entitylist;
}

const char *adBlockheaderName(AdDrawing *dwg, const unsigned char *blkhhandle)
{
    if (!dwg || !blkhhandle) return nullptr;
    LLNode *n = lookup(kBlockheader, dwg, blkhhandle);
    return n ? adblkhname(AD_BLKH(n)) : nullptr;
}

const char *adblkhname(const AdBlkh *b) { return reinterpret_cast<const char *>(b + 1); }
const char *adblkhxrefpath(const AdBlkh *b)
{
    const char *t = adblkhname(b);
    return t + std::strlen(t) + 1;
}
const char *adblkhdescription(const AdBlkh *b)
{
    const char *t = adblkhxrefpath(b);
    return t + std::strlen(t) + 1;
}

void adblkhexpand(const AdBlkh *r, AdBlockheader *b)
{
    std::memset(b, 0, sizeof *b);
    copyfixed(*r, *b);
    const char *t = adblkhname(r);
    for (char *out : {b->name, b->xrefpath, b->description}) {
        size_t len = std::strlen(t);
        std::memcpy(out, t, len + 1);
        t += len + 1;
    }
}

AdBlkh *adstoreblockheader(AdDrawing *dwg, const AdBlockheader *b, int mode, LLNode *before)
{
    PackedBlkh p;
    size_t size = packblkh(b, &p);
    return static_cast<AdBlkh *>(addobjecttolistandindex(dwg, dwg->blkhs, &p, size, b->handle, mode, before));
}

AdBlkh *adrestoreblockheader(AdDrawing *dwg, LLNode *n, const AdBlockheader *rec)
{
    PackedBlkh p;
    size_t size = packblkh(rec, &p);
    AdBlkh *old = AD_BLKH(n);
    if (p.rec.textroom <= old->textroom) {
        p.rec.textroom = old->textroom;
        std::memcpy(old, &p, size);
        return old;
    }
    return static_cast<AdBlkh *>(adreplacenode(dwg, n, &p, size, old->handle));
}

void *adtablestore(AdDrawing *dwg, int list, const void *rec, int mode, LLNode *before)
{
    if (list == AD_LIST_BLKH)
        return adstoreblockheader(dwg, static_cast<const AdBlockheader *>(rec), mode, before);
    const TableDesc &d = *kAllTables[list];
    return addobjecttolistandindex(dwg, dwg->*d.list, rec, d.size, handleof(d, rec), mode, before);
}

LLList *adtablelist(AdDrawing *dwg, int list) { return dwg->*kAllTables[list]->list; }
size_t adtablerecsize(int list) { return kAllTables[list]->size; }
const char *adtablename(int list, const void *rec) { return nameof(*kAllTables[list], rec); }
unsigned char *adtablehandle(int list, void *rec)
{
    return static_cast<unsigned char *>(rec) + kAllTables[list]->handleoff;
}
LLNode *adtablefindnode(AdDrawing *dwg, int list, const char *name)
{
    return dwg ? findnode(*kAllTables[list], dwg, list, name, nullptr) : nullptr;
}
void adtableprefetch(AdDrawing *dwg, int list, const char *name)
{
    AdNameIndex *x = dwg && name ? dwg->nameindex[list] : nullptr;
    if (!x || !x->cap) return;
    const AdNameIndex::Slot *s = &x->slots[foldname(name).hash & (x->cap - 1)];
    __builtin_prefetch(s);
    __builtin_prefetch(reinterpret_cast<const char *>(s + 1) - 1);
}
int adtablefindhandle(AdDrawing *dwg, int list, const char *name, unsigned char *handle)
{
    std::memset(handle, 0, 8);
    return dwg && findnode(*kAllTables[list], dwg, list, name, handle) != nullptr;
}

void adtablenameschanged(AdDrawing *dwg, int list) { dropnameindex(dwg, list); }

void adtablereserve(AdDrawing *dwg, int list, long count)
{
    if (!dwg || count <= 0 || count > (1L << 24)) return;
    if (AdNameIndex *x = nameindex(*kAllTables[list], dwg, list)) makeroom(x, static_cast<uint32_t>(count));
}

void adtablenodeadded(AdDrawing *dwg, LLList *list, LLNode *node)
{
    int t = tableof(dwg, list);
    if (t >= 0 && dwg->nameindex[t] && !indexname(*kAllTables[t], dwg->nameindex[t], node))
        dropnameindex(dwg, t);
}

/* Frees a table list with the extended data and reactors of its records. */
void adfreetablelist(AdDrawing *dwg, int table)
{
    const TableDesc &d = *kAllTables[table];
    LLList *l = dwg->*d.list;
    if (!l) return;
    for (LLNode *n = l->head; n; n = n->next) {
        Tail t = kTails[table](LL_RECORD(n));
        adDeleteBlob(t.xdblob);
        adDeleteBlob(t.reactorblob);
        if (table == AD_LIST_BLKH) {
            AdBlkh *b = AD_BLKH(n);
            if (b->entitylist != dwg->mspace && b->entitylist != dwg->pspace)
                adfreeentitylist(dwg, b->entitylist);
            adDeleteBlob(b->previewblob);
            adDeleteBlob(b->insertblob);
        }
    }
    dropnameindex(dwg, table);
    LLDeleteList(l);
    dwg->*d.list = nullptr;
}

} // extern "C"
