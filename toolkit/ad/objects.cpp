/* Objects (OBJECTS section) and classes (CLASSES section), and the type
 * numbers of class-defined kinds. An object node holds its AdObjectHeader
 * followed by the record of its kind (dictionary, multiline style, group, or
 * the generic record of every other kind); objects are indexed by handle.
 * Classes carry no handle: they are kept in file order and found by number
 * or DXF name. A class-defined entity or object kind takes the number of the
 * class of its DXF name (0 when the drawing has no such class). */
#include "toolkit/ad/ad_int.h"

#include <cstdio>
#include <cstring>

namespace {

/* The record kind of an object type: the dictionary record also serves
 * ACDBDICTIONARYWDFLT, the layout record LAYOUT, the proxy record every
 * other kind. */
enum RecKind { RK_DICT, RK_MLSTYLE, RK_GROUP, RK_LAYOUT, RK_PROXY };

RecKind reckind(AdDrawing *dwg, int16_t type)
{
    switch (type) {
    case AD_OBJ_DICTIONARY: return RK_DICT;
    case AD_OBJ_MLINESTYLE: return RK_MLSTYLE;
    case AD_OBJ_GROUP: return RK_GROUP;
    default: break;
    }
    if (type >= 500 && dwg) {
        if (type == adDictionarywdfltObjtype(dwg)) return RK_DICT;
        if (type == adLayoutObjtype(dwg)) return RK_LAYOUT;
    }
    return RK_PROXY;
}

size_t objrecsize(AdDrawing *dwg, int16_t type)
{
    switch (reckind(dwg, type)) {
    case RK_DICT: return sizeof(AdObjDictionary);
    case RK_MLSTYLE: return sizeof(AdObjMlinestyle);
    case RK_GROUP: return sizeof(AdObjGroup);
    case RK_LAYOUT: return sizeof(AdObjLayout);
    default: return sizeof(AdObjProxy);
    }
}

void freeobject(AdDrawing *dwg, LLNode *n)
{
    const AdObjectHeader *h = static_cast<const AdObjectHeader *>(LL_RECORD(n));
    AdObjectRecord r;
    std::memcpy(&r, h + 1, objrecsize(dwg, h->objtype));
    adDeleteBlob(h->reactorblob);
    adDeleteBlob(h->xdblob);
    switch (reckind(dwg, h->objtype)) {
    case RK_DICT: adDeleteBlob(r.dict.itemblob); break;
    case RK_MLSTYLE: adDeleteBlob(r.mlstyle.elementblob); break;
    case RK_GROUP: adDeleteBlob(r.group.entityblob); break;
    case RK_LAYOUT: adDeleteBlob(r.layout.pairblob); break;
    default:
        adDeleteBlob(r.proxy.datablob);
        adDeleteBlob(r.proxy.objidblob);
        adDeleteBlob(r.proxy.pairblob);
        break;
    }
}

LLNode *findobject(AdDrawing *dwg, const unsigned char *handle)
{
    LLNode *n = static_cast<LLNode *>(bt_search(dwg, handle, dwg->btroot));
    return n && n->list == dwg->objects ? n : nullptr;
}

bool packobject(AdDrawing *dwg, const AdObjectHeader *hdr, const AdObjectRecord *rec, unsigned char *out)
{
    size_t n = objrecsize(dwg, hdr->objtype);
    std::memcpy(out, hdr, sizeof *hdr);
    if (rec)
        std::memcpy(out + sizeof *hdr, rec, n);
    else
        std::memset(out + sizeof *hdr, 0, n);
    return true;
}

} // namespace

extern "C" {

int adStartObjectGet(AdDrawing *dwg)
{
    if (!dwg) return 0;
    LLRewindList(dwg->objects);
    return 1;
}

int adGetObject(AdDrawing *dwg, AdObjectHeader *hdr, AdObjectRecord *rec)
{
    LLList *l = dwg ? dwg->objects : nullptr;
    if (!l || !l->current) return 0;
    const AdObjectHeader *h = static_cast<const AdObjectHeader *>(LL_RECORD(l->current));
    std::memcpy(hdr, h, sizeof *hdr);
    if (rec) {
        std::memset(rec, 0, sizeof *rec);
        std::memcpy(rec, h + 1, objrecsize(dwg, h->objtype));
    }
    l->current = l->current->next;
    return 1;
}

long adNumObjects(AdDrawing *dwg) { return dwg ? LLGetNumLinks(dwg->objects) : 0; }

int adSeekObject(AdDrawing *dwg, const unsigned char *handle, AdObjectHeader *hdr, AdObjectRecord *rec)
{
    if (!dwg || !handle) return 0;
    LLNode *n = static_cast<LLNode *>(bt_search(dwg, handle, dwg->btroot));
    if (!n) {
        adseterror(303);
        return 0;
    }
    if (LLSetCurNode(dwg->objects, n) != 0) {
        adseterror(304);
        return 0;
    }
    if (!adGetObject(dwg, hdr, rec)) {
        adseterror(305);
        return 0;
    }
    return 1;
}

int adAddObject(AdDrawing *dwg, const AdObjectHeader *hdr, const AdObjectRecord *rec)
{
    if (!dwg || !hdr) return 0;
    unsigned char buf[sizeof(AdObjectHeader) + sizeof(AdObjectRecord)];
    packobject(dwg, hdr, rec, buf);
    return addobjecttolistandindex(dwg, dwg->objects, buf, sizeof *hdr + objrecsize(dwg, hdr->objtype),
                                   hdr->handle, AD_PUT_TAIL, nullptr) != nullptr;
}

int adReplaceObject(AdDrawing *dwg, const AdObjectHeader *hdr, const AdObjectRecord *rec)
{
    if (!dwg || !hdr) return 0;
    LLNode *old = findobject(dwg, hdr->handle);
    if (!old) {
        adseterror(303);
        return 0;
    }
    const AdObjectHeader *oh = static_cast<const AdObjectHeader *>(LL_RECORD(old));
    if (oh->objtype != hdr->objtype) {
        adseterror(205);
        return 0;
    }
    packobject(dwg, hdr, rec, static_cast<unsigned char *>(LL_RECORD(old)));
    return 1;
}

int adDeleteObject(AdDrawing *dwg, const unsigned char *handle)
{
    if (!dwg || !handle) return 0;
    LLNode *n = findobject(dwg, handle);
    if (!n) {
        adseterror(168);
        return 0;
    }
    freeobject(dwg, n);
    LLDelSpec(dwg->objects, n);
    bt_del(dwg, handle);
    ztvm_free(n);
    return 1;
}

void adfreeobjectlist(AdDrawing *dwg)
{
    if (!dwg->objects) return;
    for (LLNode *n = dwg->objects->head; n; n = n->next) freeobject(dwg, n);
    LLDeleteList(dwg->objects);
    dwg->objects = nullptr;
}

/* ---------------------------------------------------------------- classes */

int adStartClassGet(AdDrawing *dwg)
{
    if (!dwg) return 0;
    LLRewindList(dwg->classes);
    return 1;
}

int adGetClass(AdDrawing *dwg, AdClass *rec)
{
    LLList *l = dwg ? dwg->classes : nullptr;
    if (!l || !l->current) return 0;
    std::memcpy(rec, LL_RECORD(l->current), sizeof *rec);
    l->current = l->current->next;
    return 1;
}

long adNumClasses(AdDrawing *dwg) { return dwg ? LLGetNumLinks(dwg->classes) : 0; }

} // extern "C"

/* The class index of a drawing: the classes by folded DXF name in an
 * open-addressing hash table, and by number with the record kind of each
 * number; built from the class list when first needed and dropped whenever
 * the list changes, so that a type or name lookup costs one probe however
 * many classes the drawing has. */
struct AdClassIndex {
    struct Slot {
        LLNode *node;
        uint32_t hash;
    };
    Slot *slots;
    uint32_t cap, used;   /* cap a power of two, at least twice used */
    int32_t maxnum;       /* largest class number, -1 for none */
    int32_t numcap;       /* entries of bynum and kinds */
    LLNode **bynum;       /* the class of each number up to maxnum, or null */
    unsigned char *kinds; /* AD_EK_* by class number, 0 for no class */
};

namespace {

inline unsigned char foldc(unsigned char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 32) : c;
}

uint32_t foldhash(const char *s)
{
    uint32_t h = 2166136261u;
    for (; *s; ++s) h = (h ^ foldc(static_cast<unsigned char>(*s))) * 16777619u;
    return h;
}

const AdClass *classof(const LLNode *n) { return static_cast<const AdClass *>(LL_RECORD(n)); }

int kindofname(const char *name)
{
    static const struct {
        const char *name;
        int kind;
    } kinds[] = {{"LWPOLYLINE", AD_EK_LWPLINE},    {"HATCH", AD_EK_HATCH},   {"IMAGE", AD_EK_IMAGE},
                 {"WIPEOUT", AD_EK_IMAGE},         {"OLE2FRAME", AD_EK_OLE}, {"RTEXT", AD_EK_RTEXT},
                 {"ARCALIGNEDTEXT", AD_EK_ARCTEXT}};
    for (const auto &k : kinds)
        if (!adstricmp(name, k.name)) return k.kind;
    return AD_EK_PROXY;
}

void dropclassindex(AdDrawing *dwg)
{
    AdClassIndex *x = dwg ? dwg->classindex : nullptr;
    if (!x) return;
    ztmem_free(x->slots);
    ztmem_free(x->bynum);
    ztmem_free(x->kinds);
    ztmem_free(x);
    dwg->classindex = nullptr;
}

AdClassIndex::Slot *findname(AdClassIndex *x, const char *name, uint32_t h)
{
    uint32_t mask = x->cap - 1;
    for (uint32_t i = h & mask;; i = (i + 1) & mask) {
        AdClassIndex::Slot *s = &x->slots[i];
        if (!s->node || (s->hash == h && adstricmp(classof(s->node)->dxfname, name) == 0)) return s;
    }
}

/* Enters a class of the list; a name or number met twice keeps its first
 * class. False when memory runs out. */
bool indexclass(AdClassIndex *x, LLNode *c)
{
    if (2 * (x->used + 1) > x->cap) {
        uint32_t ocap = x->cap;
        AdClassIndex::Slot *old = x->slots;
        uint32_t ncap = ocap ? 2 * ocap : 64;
        auto *ns = static_cast<AdClassIndex::Slot *>(ztmem_malloc(sizeof(AdClassIndex::Slot) * ncap));
        if (!ns) return false;
        x->slots = ns;
        x->cap = ncap;
        for (uint32_t i = 0; i < ocap; ++i)
            if (old[i].node) *findname(x, classof(old[i].node)->dxfname, old[i].hash) = old[i];
        ztmem_free(old);
    }
    const AdClass *k = classof(c);
    uint32_t h = foldhash(k->dxfname);
    AdClassIndex::Slot *s = findname(x, k->dxfname, h);
    if (!s->node) {
        *s = {c, h};
        ++x->used;
    }
    if (k->classnum < 0) return true;
    if (k->classnum >= x->numcap) {
        int32_t ncap = x->numcap ? x->numcap : 1024;
        while (ncap <= k->classnum) ncap *= 2;
        auto *nb =
            static_cast<LLNode **>(ztmem_realloc(x->bynum, sizeof(LLNode *) * static_cast<size_t>(ncap)));
        if (!nb) return false;
        x->bynum = nb;
        auto *nk = static_cast<unsigned char *>(ztmem_realloc(x->kinds, static_cast<size_t>(ncap)));
        if (!nk) return false;
        x->kinds = nk;
        std::memset(x->bynum + x->numcap, 0, sizeof(LLNode *) * static_cast<size_t>(ncap - x->numcap));
        std::memset(x->kinds + x->numcap, 0, static_cast<size_t>(ncap - x->numcap));
        x->numcap = ncap;
    }
    if (!x->bynum[k->classnum]) {
        x->bynum[k->classnum] = c;
        x->kinds[k->classnum] = static_cast<unsigned char>(kindofname(k->dxfname));
    }
    if (k->classnum > x->maxnum) x->maxnum = k->classnum;
    return true;
}

AdClassIndex *classindex(AdDrawing *dwg)
{
    if (!dwg || !dwg->classes) return nullptr;
    if (dwg->classindex) return dwg->classindex;
    auto *x = static_cast<AdClassIndex *>(ztmem_malloc(sizeof(AdClassIndex)));
    if (!x) return nullptr;
    dwg->classindex = x;
    x->maxnum = -1;
    for (LLNode *c = dwg->classes->head; c; c = c->next)
        if (!indexclass(x, c)) {
            dropclassindex(dwg);
            return nullptr;
        }
    return x;
}

LLNode *findclass(AdDrawing *dwg, int16_t classnum)
{
    AdClassIndex *x = classindex(dwg);
    if (x) return classnum >= 0 && classnum <= x->maxnum ? x->bynum[classnum] : nullptr;
    if (!dwg || !dwg->classes) return nullptr;
    for (LLNode *n = dwg->classes->head; n; n = n->next)
        if (classof(n)->classnum == classnum) return n;
    return nullptr;
}

} // namespace

extern "C" {

int adAddClass(AdDrawing *dwg, const AdClass *rec)
{
    if (!dwg || !rec) return 0;
    if (!dwg->classes) {
        adseterror(176);
        return 0;
    }
    void *r = addobjecttolist(dwg->classes, rec, sizeof *rec, AD_PUT_TAIL, nullptr);
    if (r && dwg->classindex && !indexclass(dwg->classindex, LL_NODE_OF(r))) dropclassindex(dwg);
    return r != nullptr;
}

int adReplaceClass(AdDrawing *dwg, const AdClass *rec)
{
    LLNode *n = rec ? findclass(dwg, rec->classnum) : nullptr;
    if (!n) {
        adseterror(180);
        return 0;
    }
    std::memcpy(LL_RECORD(n), rec, sizeof *rec);
    dropclassindex(dwg);
    return 1;
}

int adDeleteClass(AdDrawing *dwg, int16_t classnum)
{
    LLNode *n = findclass(dwg, classnum);
    if (!n) {
        adseterror(180);
        return 0;
    }
    dropclassindex(dwg);
    LLDelSpec(dwg->classes, n);
    ztvm_free(n);
    return 1;
}

int16_t adNextClassnum(AdDrawing *dwg)
{
    int32_t max = 499;
    if (AdClassIndex *x = classindex(dwg)) {
        if (x->maxnum > max) max = x->maxnum;
    } else if (dwg && dwg->classes) {
        for (LLNode *n = dwg->classes->head; n; n = n->next)
            if (classof(n)->classnum > max) max = classof(n)->classnum;
    }
    return max < INT16_MAX ? static_cast<int16_t>(max + 1) : 0;
}

int adGetClassNameFromId(AdDrawing *dwg, int16_t classnum, char *name)
{
    LLNode *n = findclass(dwg, classnum);
    if (!n) {
        if (name) name[0] = '\0';
        return 0;
    }
    if (name) std::strcpy(name, classof(n)->dxfname);
    return 1;
}

int16_t adClassnumOfName(AdDrawing *dwg, const char *dxfname)
{
    if (!dwg || !dwg->classes || !dxfname) return 0;
    if (AdClassIndex *x = classindex(dwg)) {
        if (!x->cap) return 0;
        AdClassIndex::Slot *s = findname(x, dxfname, foldhash(dxfname));
        return s->node ? classof(s->node)->classnum : 0;
    }
    for (LLNode *n = dwg->classes->head; n; n = n->next)
        if (adstricmp(classof(n)->dxfname, dxfname) == 0) return classof(n)->classnum;
    return 0;
}

int adclasskind(AdDrawing *dwg, int16_t type)
{
    AdClassIndex *x = classindex(dwg);
    if (x)
        return type >= 0 && type <= x->maxnum && x->kinds[type] ? x->kinds[type]
                                                                : static_cast<int>(AD_EK_PROXY);
    char name[AD_NAME_LEN];
    if (!dwg || !adGetClassNameFromId(dwg, type, name)) return AD_EK_PROXY;
    return kindofname(name);
}

void adfreeclasslist(AdDrawing *dwg)
{
    dropclassindex(dwg);
    LLDeleteList(dwg->classes);
    dwg->classes = nullptr;
}

#define AD_KIND(fn, name)                                                                                    \
    int16_t fn(AdDrawing *dwg) { return adClassnumOfName(dwg, name); }
AD_KIND(adLwplineEnttype, "LWPOLYLINE")
AD_KIND(adHatchEnttype, "HATCH")
AD_KIND(adImageEnttype, "IMAGE")
AD_KIND(adOle2frameEnttype, "OLE2FRAME")
AD_KIND(adRtextEnttype, "RTEXT")
AD_KIND(adArcAlignedTextEnttype, "ARCALIGNEDTEXT")
AD_KIND(adWipeoutEnttype, "WIPEOUT")
AD_KIND(adXrecordObjtype, "XRECORD")
AD_KIND(adDimAssocObjtype, "DIMASSOC")
AD_KIND(adIdbufferObjtype, "IDBUFFER")
AD_KIND(adDictionaryvarObjtype, "DICTIONARYVAR")
AD_KIND(adImagedefObjtype, "IMAGEDEF")
AD_KIND(adImagedefreactorObjtype, "IMAGEDEF_REACTOR")
AD_KIND(adRastervariablesObjtype, "RASTERVARIABLES")
AD_KIND(adSortentstableObjtype, "SORTENTSTABLE")
AD_KIND(adSpatialfilterObjtype, "SPATIAL_FILTER")
AD_KIND(adSpatialindexObjtype, "SPATIAL_INDEX")
AD_KIND(adLayerindexObjtype, "LAYER_INDEX")
AD_KIND(adObjectptrObjtype, "OBJECT_PTR")
AD_KIND(adDictionarywdfltObjtype, "ACDBDICTIONARYWDFLT")
AD_KIND(adPlaceholderObjtype, "ACDBPLACEHOLDER")
AD_KIND(adLayoutObjtype, "LAYOUT")
AD_KIND(adPlotsettingsObjtype, "PLOTSETTINGS")
AD_KIND(adVbaProjectObjtype, "VBA_PROJECT")
AD_KIND(adWipeoutVariablesObjtype, "WIPEOUTVARIABLES")
#undef AD_KIND

int adIsSupportedProxyEntType(AdDrawing *dwg, int type)
{
    if (type < 498) return 0;
    return type == adHatchEnttype(dwg) || type == adImageEnttype(dwg) || type == adLwplineEnttype(dwg) ||
           type == adOle2frameEnttype(dwg) || type == adRtextEnttype(dwg) || type == adWipeoutEnttype(dwg);
}

int16_t adclasstype(AdDrawing *dwg, const char *name, int entity)
{
    int16_t t = adClassnumOfName(dwg, name);
    if (t) return t;
    /* the kinds this toolkit reads, with the class a file declares for them */
    static const struct {
        const char *dxf;
        const char *cpp;
    } known[] = {{"LWPOLYLINE", "AcDbPolyline"},
                 {"HATCH", "AcDbHatch"},
                 {"IMAGE", "AcDbRasterImage"},
                 {"WIPEOUT", "AcDbWipeout"},
                 {"OLE2FRAME", "AcDbOle2Frame"},
                 {"RTEXT", "RText"},
                 {"ARCALIGNEDTEXT", "AcDbArcAlignedText"},
                 {"XRECORD", "AcDbXrecord"},
                 {"DIMASSOC", "AcDbDimAssoc"},
                 {"IDBUFFER", "AcDbIdBuffer"},
                 {"IMAGEDEF_REACTOR", "AcDbRasterImageDefReactor"},
                 {"IMAGEDEF", "AcDbRasterImageDef"},
                 {"RASTERVARIABLES", "AcDbRasterVariables"},
                 {"SORTENTSTABLE", "AcDbSortentsTable"},
                 {"DICTIONARYVAR", "AcDbDictionaryVar"},
                 {"SPATIAL_FILTER", "AcDbSpatialFilter"},
                 {"SPATIAL_INDEX", "AcDbSpatialIndex"},
                 {"LAYER_INDEX", "AcDbLayerIndex"},
                 {"OBJECT_PTR", "CAseDLPNTableRecord"},
                 {"ACDBDICTIONARYWDFLT", "AcDbDictionaryWithDefault"},
                 {"ACDBPLACEHOLDER", "AcDbPlaceHolder"},
                 {"LAYOUT", "AcDbLayout"},
                 {"PLOTSETTINGS", "AcDbPlotSettings"},
                 {"VBA_PROJECT", "AcDbVbaProject"},
                 {"WIPEOUTVARIABLES", "AcDbWipeoutVariables"}};
    AdClass k{};
    for (const auto &kn : known)
        if (!adstricmp(name, kn.dxf)) {
            std::snprintf(k.dxfname, sizeof k.dxfname, "%s", kn.dxf);
            std::strcpy(k.cppname, kn.cpp);
        }
    if (!k.dxfname[0]) return 0;
    std::strcpy(k.appname, "ObjectDBX Classes");
    k.itemclassid = static_cast<int16_t>(entity ? 0x1F2 : 0x1F3);
    k.classnum = adNextClassnum(dwg);
    return k.classnum && adAddClass(dwg, &k) ? k.classnum : 0;
}

} // extern "C"
