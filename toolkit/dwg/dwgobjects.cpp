/* The objects step of a DWG load. The named objects dictionary comes
 * first, then every other object of the map in handle order that is
 * neither an entity nor a table record or control object:
 *   DICTIONARY and ACDBDICTIONARYWDFLT  hard owner (280), cloning (281),
 *                  default (340), the entries (name and handle each);
 *   MLINESTYLE     name, description, flags, fill colour, angles, and per
 *                  element its offset, colour and linetype index;
 *   GROUP          description, unnamed, selectable, the members;
 *   LAYOUT         the layout's fields (its plot settings are passed over);
 *   other kinds    kept as objects of their class (created when the file
 *                  has none) without their data.
 * An object that cannot be read is passed over with a warning. */
#include <cstring>

#include "toolkit/dwg/dwg_int.h"

namespace {

/* Fixed object types of these releases and their class names. */
struct FixedObject {
    uint16_t type;
    const char *name;
};
const FixedObject kFixed[] = {{DWG_T_XRECORD, "XRECORD"},
                              {DWG_T_PLACEHOLDER, "ACDBPLACEHOLDER"},
                              {DWG_T_VBAPROJECT, "VBA_PROJECT"},
                              {DWG_T_LAYOUT, "LAYOUT"}};

/* The record type of an object type: 0 for the ones the step passes over. */
int16_t objecttype(AdDrawing *dwg, uint16_t type)
{
    switch (type) {
    case DWG_T_DICTIONARY: return AD_OBJ_DICTIONARY;
    case DWG_T_MLINESTYLE: return AD_OBJ_MLINESTYLE;
    case DWG_T_GROUP: return AD_OBJ_GROUP;
    default: break;
    }
    for (const FixedObject &f : kFixed) {
        if (f.type != type) continue;
        if (dwg->version < AD_ACAD2000 && type == DWG_T_LAYOUT) return static_cast<int16_t>(AD_OBJ_PROXY);
        return adclasstype(dwg, f.name, 0);
    }
    if (type >= DWG_T_CLASSBASE && !dwgisentitytype(dwg, type)) {
        char name[AD_NAME_LEN];
        if (!adGetClassNameFromId(dwg, static_cast<int16_t>(type), name)) return 0;
        if (dwg->version >= AD_ACAD2000) return static_cast<int16_t>(type);
        /* releases 13 and 14 hold the objects of later kinds as proxies */
        static const char *const kOwn[] = {"ACDBDICTIONARYWDFLT",
                                           "ACDBPLACEHOLDER",
                                           "DICTIONARYVAR",
                                           "XRECORD",
                                           "IDBUFFER",
                                           "IMAGEDEF",
                                           "IMAGEDEF_REACTOR",
                                           "RASTERVARIABLES",
                                           "SPATIAL_FILTER",
                                           "SPATIAL_INDEX",
                                           "LAYER_INDEX",
                                           "SORTENTSTABLE",
                                           "OBJECT_PTR",
                                           "WIPEOUTVARIABLES",
                                           "DIMASSOC"};
        for (const char *own : kOwn)
            if (!adstricmp(name, own)) return static_cast<int16_t>(type);
        return static_cast<int16_t>(AD_OBJ_PROXY);
    }
    return 0;
}

/* The object whose type getnextobjecttype gave. */
AdObjhandle g_current;

void header(DwgObject *o, AdObjectHeader *h, int16_t type)
{
    std::memset(h, 0, sizeof *h);
    h->objtype = type;
    std::memcpy(h->handle, o->handle, 8);
    std::memcpy(h->ownerhandle, o->owner, 8);
    std::memcpy(h->xdicthandle, o->xdict, 8);
    h->numreactors = o->numreactors;
    h->reactorblob = o->reactorblob;
    h->xdblob = o->xdblob;
    o->reactorblob = o->xdblob = nullptr;
}

void dictionary(AdDrawing *dwg, DwgObject *o, AdObjectRecord *r, bool withdefault, AdBytes *items)
{
    DwgBits *d = &o->data;
    AdObjDictionary &k = r->dict;
    k.cloning = 1;
    uint32_t n = getbitcount(d, getbitlong(d), 2);
    if (dwg->version == AD_ACAD14) getbitrawbyte(d);
    if (dwg->version >= AD_ACAD2000) {
        k.cloning = getbitshort(d);
        k.hardowner = getbitrawbyte(d);
    }
    if (n > dwgbitsleft(&o->handles) / 8) o->handles.error = 1;
    for (uint32_t i = 0; i < n && !d->error && !o->handles.error; ++i) {
        char name[AD_NAME_LEN];
        getbitstring(d, name, sizeof name);
        AdObjhandle h;
        getbitrefhandle(&o->handles, o->handle, h);
        adbytesput(items, name, std::strlen(name) + 1);
        adbytesput(items, h, 8);
        ++k.numitems;
    }
    if (withdefault) getbitrefhandle(&o->handles, o->handle, k.defaulthandle);
}

void mlinestyle(AdDrawing *, DwgObject *o, AdObjectRecord *r, AdBytes *elements)
{
    DwgBits *d = &o->data;
    AdObjMlinestyle &m = r->mlstyle;
    getbitstring(d, m.name, sizeof m.name);
    getbitstring(d, m.description, sizeof m.description);
    m.flags = getbitshort(d);
    m.fillcolor = getbitcolor(d);
    m.startang = getbitdouble(d);
    m.endang = getbitdouble(d);
    unsigned n = getbitrawbyte(d);
    for (unsigned i = 0; i < n && !d->error; ++i) {
        double offset = getbitdouble(d);
        int16_t color = getbitcolor(d);
        int16_t ltype = getbitshort(d);
        adbytesput(elements, &offset, 8);
        adbytesput(elements, &color, 2);
        adbytesput(elements, &ltype, 2);
    }
    m.numelements = static_cast<int16_t>(n);
}

void group(AdDrawing *, DwgObject *o, AdObjectRecord *r, AdBytes *members)
{
    DwgBits *d = &o->data;
    AdObjGroup &g = r->group;
    getbitstring(d, g.description, sizeof g.description);
    g.unnamed = getbitshort(d);
    g.selectable = getbitshort(d);
    uint32_t n = getbitcount(&o->handles, getbitlong(d), 8);
    for (uint32_t i = 0; i < n && !o->handles.error; ++i) {
        AdObjhandle h;
        getbitrefhandle(&o->handles, o->handle, h);
        adbytesput(members, h, 8);
    }
    g.numentities = static_cast<int32_t>(n);
}

void layout(AdDrawing *, DwgObject *o, AdObjectRecord *r)
{
    DwgBits *d = &o->data;
    AdObjLayout &l = r->layout;
    char text[AD_NAME_LEN];
    getbitstring(d, l.pagesetupname, sizeof l.pagesetupname);
    getbitstring(d, text, sizeof text);          /* printer or configuration */
    getbitshort(d);                              /* plot layout flags */
    for (int i = 0; i < 6; ++i) getbitdouble(d); /* margins and paper size */
    getbitstring(d, text, sizeof text);          /* paper size */
    getbitdouble(d);                             /* plot origin */
    getbitdouble(d);
    getbitshort(d);                              /* paper units */
    getbitshort(d);                              /* rotation */
    getbitshort(d);                              /* plot type */
    for (int i = 0; i < 4; ++i) getbitdouble(d); /* window */
    getbitstring(d, text, sizeof text);          /* plot view name */
    getbitdouble(d);                             /* real world units */
    getbitdouble(d);                             /* drawing units */
    getbitstring(d, text, sizeof text);          /* style sheet */
    getbitshort(d);                              /* scale type */
    getbitdouble(d);                             /* scale factor */
    getbitdouble(d);                             /* paper image origin */
    getbitdouble(d);
    getbitstring(d, l.name, sizeof l.name);
    l.taborder = getbitshort(d);
    l.flag = getbitshort(d);
    getbit3double(d, l.ucsorg);
    getbit2rawdouble(d, l.limmin);
    getbit2rawdouble(d, l.limmax);
    getbit3double(d, l.inspt);
    getbit3double(d, l.ucsxdir);
    getbit3double(d, l.ucsydir);
    l.elevation = getbitdouble(d);
    l.orthotype = getbitshort(d);
    getbit3double(d, l.extmin);
    getbit3double(d, l.extmax);
    getbitrefhandle(&o->handles, o->handle, l.blockheaderhandle);
    getbitrefhandle(&o->handles, o->handle, l.lastvporthandle);
    getbitrefhandle(&o->handles, o->handle, l.baseucshandle);
    getbitrefhandle(&o->handles, o->handle, l.ucshandle);
}

enum Which { DICT, DICTWDFLT, MLSTYLE, GROUP, LAYOUT, OTHER };

int16_t loadcurrent(AdDrawing *dwg, int16_t type, Which which)
{
    DwgObject o;
    int r = dwgreadobject(dwg, g_current, &o);
    if (r <= 0) {
        dwgwarn("Object unreadable");
        adseterror(0);
        return 1;
    }
    AdObjectHeader h;
    AdObjectRecord rec;
    std::memset(&rec, 0, sizeof rec);
    AdBytes blob{};
    switch (which) {
    case DICT:
    case DICTWDFLT: dictionary(dwg, &o, &rec, which == DICTWDFLT, &blob); break;
    case MLSTYLE: mlinestyle(dwg, &o, &rec, &blob); break;
    case GROUP: group(dwg, &o, &rec, &blob); break;
    case LAYOUT:
        if (dwg->version >= AD_ACAD2000) layout(dwg, &o, &rec);
        break;
    case OTHER: rec.proxy.classid = type; break;
    }
    bool damaged = o.data.error || o.handles.error || blob.failed;
    if (damaged) {
        adbytesfree(&blob);
        dwgobjectfree(&o);
        dwgwarn("Object damaged");
        return 1;
    }
    AdBlob *b = adbytesblob(&blob);
    adbytesfree(&blob);
    switch (which) {
    case DICT:
    case DICTWDFLT: rec.dict.itemblob = b; break;
    case MLSTYLE: rec.mlstyle.elementblob = b; break;
    case GROUP: rec.group.entityblob = b; break;
    default: adDeleteBlob(b); break;
    }
    header(&o, &h, type);
    dwgobjectfree(&o);
    if (!adAddObject(dwg, &h, &rec)) {
        adDeleteBlob(h.reactorblob);
        adDeleteBlob(h.xdblob);
        if (which == DICT || which == DICTWDFLT) adDeleteBlob(rec.dict.itemblob);
        if (which == MLSTYLE) adDeleteBlob(rec.mlstyle.elementblob);
        if (which == GROUP) adDeleteBlob(rec.group.entityblob);
        if (adin->error == 172) {
            adseterror(0);
            return 1;
        }
        adseterror(35);
        return -1;
    }
    return 1;
}

} // namespace

extern "C" {

int16_t dwgstartobjectload(AdDrawing *dwg, void *, void *)
{
    if (!dwgloadstart(dwg)) return -1;
    AdDwgLoad *s = dwg->dwg;
    s->objpos = 0;
    s->rootdone = 0;
    return 1;
}

int16_t dwggetnextobjecttype(AdDrawing *dwg, void *, void *)
{
    AdDwgLoad *s = dwg->dwg;
    if (!s->rootdone) {
        s->rootdone = 1;
        if (dwgobjecttype(dwg, s->h[DWG_H_NAMEDDICT]) == DWG_T_DICTIONARY &&
            !bt_search(dwg, s->h[DWG_H_NAMEDDICT], dwg->btroot)) {
            std::memcpy(g_current, s->h[DWG_H_NAMEDDICT], 8);
            return AD_OBJ_DICTIONARY;
        }
    }
    AdObjhandle h;
    int64_t loc;
    while (dwgmapnext(dwg, &s->objpos, h, &loc)) {
        if (!std::memcmp(h, s->h[DWG_H_NAMEDDICT], 8)) continue;
        uint16_t type = dwgobjecttype(dwg, h);
        int16_t t = type ? objecttype(dwg, type) : 0;
        if (t <= 0) continue;
        std::memcpy(g_current, h, 8);
        return t;
    }
    return 0;
}

int16_t dwgloaddictionaryobject(AdDrawing *dwg, void *, void *)
{
    return loadcurrent(dwg, AD_OBJ_DICTIONARY, DICT);
}

int16_t dwgloadmlstyle(AdDrawing *dwg, void *, void *)
{
    return loadcurrent(dwg, AD_OBJ_MLINESTYLE, MLSTYLE);
}

int16_t dwgloadgroup(AdDrawing *dwg, void *, void *) { return loadcurrent(dwg, AD_OBJ_GROUP, GROUP); }

int16_t dwgloadproxyobject(AdDrawing *dwg, void *a, void *)
{
    int16_t type = a ? *static_cast<int16_t *>(a) : static_cast<int16_t>(AD_OBJ_PROXY);
    if (type == adDictionarywdfltObjtype(dwg)) return loadcurrent(dwg, type, DICTWDFLT);
    if (type == adLayoutObjtype(dwg)) return loadcurrent(dwg, type, LAYOUT);
    return loadcurrent(dwg, type, OTHER);
}

/* Multiline styles come with the objects. */
int16_t dwgstartmlstyleload(AdDrawing *, void *, void *) { return 0; }

} // extern "C"
