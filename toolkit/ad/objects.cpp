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

static LLNode *findclass(AdDrawing *dwg, int16_t classnum)
{
    if (!dwg || !dwg->classes) return nullptr;
    for (LLNode *n = dwg->classes->head; n; n = n->next)
        if (static_cast<const AdClass *>(LL_RECORD(n))->classnum == classnum) return n;
    return nullptr;
}

int adAddClass(AdDrawing *dwg, const AdClass *rec)
{
    if (!dwg || !rec) return 0;
    if (!dwg->classes) {
        adseterror(176);
        return 0;
    }
    return addobjecttolist(dwg->classes, rec, sizeof *rec, AD_PUT_TAIL, nullptr) != nullptr;
}

int adReplaceClass(AdDrawing *dwg, const AdClass *rec)
{
    LLNode *n = rec ? findclass(dwg, rec->classnum) : nullptr;
    if (!n) {
        adseterror(180);
        return 0;
    }
    std::memcpy(LL_RECORD(n), rec, sizeof *rec);
    return 1;
}

int adDeleteClass(AdDrawing *dwg, int16_t classnum)
{
    LLNode *n = findclass(dwg, classnum);
    if (!n) {
        adseterror(180);
        return 0;
    }
    LLDelSpec(dwg->classes, n);
    ztvm_free(n);
    return 1;
}

int16_t adNextClassnum(AdDrawing *dwg)
{
    int16_t next = 500;
    if (dwg && dwg->classes)
        for (LLNode *n = dwg->classes->head; n; n = n->next) {
            int16_t c = static_cast<const AdClass *>(LL_RECORD(n))->classnum;
            if (c >= next) next = static_cast<int16_t>(c + 1);
        }
    return next;
}

int adGetClassNameFromId(AdDrawing *dwg, int16_t classnum, char *name)
{
    LLNode *n = findclass(dwg, classnum);
    if (!n) {
        if (name) name[0] = '\0';
        return 0;
    }
    if (name) std::strcpy(name, static_cast<const AdClass *>(LL_RECORD(n))->dxfname);
    return 1;
}

int16_t adClassnumOfName(AdDrawing *dwg, const char *dxfname)
{
    if (!dwg || !dwg->classes || !dxfname) return 0;
    for (LLNode *n = dwg->classes->head; n; n = n->next) {
        const AdClass *c = static_cast<const AdClass *>(LL_RECORD(n));
        if (adstricmp(c->dxfname, dxfname) == 0) return c->classnum;
    }
    return 0;
}

void adfreeclasslist(AdDrawing *dwg)
{
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
    AdClass k{};
    std::snprintf(k.dxfname, sizeof k.dxfname, "%s", name);
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
                 {"LAYOUT", "AcDbLayout"},
                 {"ACDBDICTIONARYWDFLT", "AcDbDictionaryWithDefault"},
                 {"ACDBPLACEHOLDER", "AcDbPlaceHolder"},
                 {"DICTIONARYVAR", "AcDbDictionaryVar"}};
    for (const auto &kn : known)
        if (!adstricmp(name, kn.dxf)) std::strcpy(k.cppname, kn.cpp);
    std::strcpy(k.appname, "ObjectDBX Classes");
    k.itemclassid = static_cast<int16_t>(entity ? 0x1F2 : 0x1F3);
    k.classnum = adNextClassnum(dwg);
    return adAddClass(dwg, &k) ? k.classnum : 0;
}

} // extern "C"
