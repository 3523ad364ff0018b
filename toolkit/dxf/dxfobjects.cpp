/* The OBJECTS section of a DXF load. dxfgetnextobjecttype reads the (0,
 * name) pair of the next object and gives its type: DICTIONARY 32,
 * MLINESTYLE 33, GROUP 36, ACAD_PROXY_OBJECT and ACAD_ZOMBIE_OBJECT 37,
 * every other name the number of the class of that name (a class is
 * created when the file has none, so that adLayoutObjtype and the like
 * find it); the driver then calls the object reader of that type, which
 * reads the object's pairs and stores it:
 *   every object   5 handle, 102 groups (reactors, extension dictionary),
 *                  the first 330 (owner), 1000 and above extended data;
 *   DICTIONARY and ACDBDICTIONARYWDFLT  280 hard owner, 281 cloning, 340
 *                  default; each 3 with the 350 or 360 after it is an entry
 *                  (adReadDicItem: the name with its terminator and the
 *                  8-byte handle);
 *   MLINESTYLE     2 name, 70 flags, 3 description, 62 fill colour, 51 and
 *                  52 angles; from the first 49 on, each 49 starts an
 *                  element with its 62 colour and 6 linetype, kept as the
 *                  linetype's position in the linetype list (0 first; 32767
 *                  BYLAYER, 32766 BYBLOCK, -1 unknown);
 *   GROUP          300 description, 70 unnamed, 71 selectable, each 340 a
 *                  member;
 *   LAYOUT         the layout's fields (those after the subclass marker
 *                  AcDbLayout; 1 before it is the page setup name), and
 *                  every pair kept;
 *   other kinds    every pair kept (pairblob); proxy objects also keep their
 *                  data chunks (310 after 93) and object ids.
 * Objects of files whose handle policy says so, and objects without a
 * handle or with one already taken, get a fresh handle. At the end of the
 * section, MLINE entities that named their style only by name (2) get the
 * style's handle. */
#include "toolkit/dxf/dxf_int.h"

#include <cmath>
#include <cstring>

namespace {

struct ObjCtx {
    AdXdCollect xd;
    bool ownerdone, handledone;
    AdBytes items, members, elements, pairs, data, ids;
    char pendingname[AD_NAME_LEN];
    bool havename;
    int subclass; /* LAYOUT: 0 none met, 1 AcDbPlotSettings, 2 AcDbLayout */
    int32_t count;
    bool foreign; /* a kind without a class that this toolkit does not read */
};

void freectx(ObjCtx &c)
{
    adbytesfree(&c.items);
    adbytesfree(&c.members);
    adbytesfree(&c.elements);
    adbytesfree(&c.pairs);
    adbytesfree(&c.data);
    adbytesfree(&c.ids);
}

int16_t ltypeindex(AdDrawing *dwg, const char *name)
{
    if (!adstricmp(name, "BYLAYER")) return 32767;
    if (!adstricmp(name, "BYBLOCK")) return 32766;
    int16_t i = 0;
    for (LLNode *n = dwg->ltypes->head; n; n = n->next, ++i)
        if (!adstricmp(static_cast<const AdLinetype *>(LL_RECORD(n))->name, name)) return i;
    return -1;
}

/* Pairs of one kind; true when taken. */
typedef bool (*Handler)(AdDrawing *dwg, AdObjectHeader *h, AdObjectRecord *r, ObjCtx &c);

bool dictionarypair(AdDrawing *, AdObjectHeader *, AdObjectRecord *r, ObjCtx &c)
{
    switch (adin->curcode) {
    case 280: r->dict.hardowner = static_cast<int16_t>(dxfint()); return true;
    case 281: r->dict.cloning = static_cast<int16_t>(dxfint()); return true;
    case 340: std::memcpy(r->dict.defaulthandle, adin->curhandle, 8); return true;
    case 3:
        dxfcopy(c.pendingname, adin->curstr, sizeof c.pendingname);
        c.havename = true;
        return true;
    case 350:
    case 360:
        if (c.havename) {
            adbytesput(&c.items, c.pendingname, std::strlen(c.pendingname) + 1);
            adbytesput(&c.items, adin->curhandle, 8);
            ++r->dict.numitems;
            c.havename = false;
        }
        return true;
    default: return false;
    }
}

bool mlstylepair(AdDrawing *dwg, AdObjectHeader *, AdObjectRecord *r, ObjCtx &c)
{
    AdObjMlinestyle &m = r->mlstyle;
    uint16_t code = adin->curcode;
    if (code == 49) {
        AdMlstyleSeginfo s{dxfreal(), 256, 32767};
        adbytesput(&c.elements, &s.offset, 8);
        adbytesput(&c.elements, &s.color, 2);
        adbytesput(&c.elements, &s.ltypeindex, 2);
        ++c.count;
        return true;
    }
    if (c.count > 0 && (code == 62 || code == 6)) {
        size_t at = c.elements.n - 4 + (code == 6 ? 2 : 0);
        int16_t v = code == 62 ? static_cast<int16_t>(dxfint()) : ltypeindex(dwg, adin->curstr);
        if (!c.elements.failed) std::memcpy(c.elements.p + at, &v, 2);
        return true;
    }
    switch (code) {
    case 2: dxfcopy(m.name, adin->curstr, sizeof m.name); return true;
    case 70: m.flags = static_cast<int16_t>(dxfint()); return true;
    case 3: dxfcopy(m.description, adin->curstr, sizeof m.description); return true;
    case 62: m.fillcolor = static_cast<int16_t>(dxfint()); return true;
    case 51: m.startang = dxfangle(); return true;
    case 52: m.endang = dxfangle(); return true;
    case 71: return true;
    default: return false;
    }
}

bool grouppair(AdDrawing *, AdObjectHeader *, AdObjectRecord *r, ObjCtx &c)
{
    switch (adin->curcode) {
    case 300: dxfcopy(r->group.description, adin->curstr, sizeof r->group.description); return true;
    case 70: r->group.unnamed = static_cast<int16_t>(dxfint()); return true;
    case 71: r->group.selectable = static_cast<int16_t>(dxfint()); return true;
    case 340:
        adbytesput(&c.members, adin->curhandle, 8);
        ++r->group.numentities;
        return true;
    default: return false;
    }
}

const AdField kLayoutF[] = {AD_FS(70, AdObjLayout, flag),
                            AD_FS(71, AdObjLayout, taborder),
                            AD_FP2(10, AdObjLayout, limmin),
                            AD_FP2(11, AdObjLayout, limmax),
                            AD_FP3(12, AdObjLayout, inspt),
                            AD_FP3(14, AdObjLayout, extmin),
                            AD_FP3(15, AdObjLayout, extmax),
                            AD_FR(146, AdObjLayout, elevation),
                            AD_FP3(13, AdObjLayout, ucsorg),
                            AD_FP3(16, AdObjLayout, ucsxdir),
                            AD_FP3(17, AdObjLayout, ucsydir),
                            AD_FS(76, AdObjLayout, orthotype),
                            AD_FH(330, AdObjLayout, blockheaderhandle),
                            AD_FH(331, AdObjLayout, lastvporthandle),
                            AD_FH(345, AdObjLayout, ucshandle),
                            AD_FH(346, AdObjLayout, baseucshandle)};
AdFieldTable g_layout = AD_FIELDS(kLayoutF);

bool layoutpair(AdDrawing *dwg, AdObjectHeader *, AdObjectRecord *r, ObjCtx &c)
{
    dxfputpair(&c.pairs);
    uint16_t code = adin->curcode;
    if (code == 100) {
        if (!std::strcmp(adin->curstr, "AcDbPlotSettings"))
            c.subclass = 1;
        else if (!std::strcmp(adin->curstr, "AcDbLayout"))
            c.subclass = 2;
        return true;
    }
    if (code == 1) {
        if (c.subclass == 1) {
            dxfcopy(r->layout.pagesetupname, adin->curstr, sizeof r->layout.pagesetupname);
        } else {
            if (c.subclass == 0 && r->layout.name[0])
                std::memcpy(r->layout.pagesetupname, r->layout.name, AD_NAME_LEN);
            dxfcopy(r->layout.name, adin->curstr, sizeof r->layout.name);
        }
        return true;
    }
    if (c.subclass == 1 && (code == 70 || code == 76)) return true;
    dxffieldread(&g_layout, &r->layout, dxfcodepage(dwg));
    return true;
}

bool proxypair(AdDrawing *, AdObjectHeader *h, AdObjectRecord *r, ObjCtx &c)
{
    uint16_t code = adin->curcode;
    if (h->objtype == AD_OBJ_PROXY && !c.foreign) {
        switch (code) {
        case 91: r->proxy.classid = dxfint(); break;
        case 93:
            r->proxy.databytes = dxfint();
            c.subclass = 2;
            break;
        case 310:
            if (c.subclass == 2) {
                unsigned char bytes[AD_MAX_LINE / 2 + 2];
                int32_t n = 0;
                if (adAsciiHexToBinaryCount(adin->curstr) <= static_cast<int32_t>(sizeof bytes)) {
                    adAsciiHexToBinaryEx(adin->curstr, bytes, &n);
                    adbytesput(&c.data, bytes, static_cast<size_t>(n));
                }
            }
            break;
        case 330:
        case 340:
        case 350:
        case 360:
            if (c.subclass == 2) {
                adbytesput(&c.ids, adin->curhandle, 8);
                ++r->proxy.numobjids;
            }
            break;
        default: break;
        }
    }
    dxfputpair(&c.pairs);
    return true;
}

/* Reads the pairs of the object whose (0, name) pair was read, and stores
 * it. */
int16_t readobject(AdDrawing *dwg, int16_t type, Handler handler)
{
    AdObjectHeader h;
    AdObjectRecord r;
    std::memset(&h, 0, sizeof h);
    std::memset(&r, 0, sizeof r);
    h.objtype = type;
    if (type == AD_OBJ_MLINESTYLE) {
        r.mlstyle.fillcolor = 256;
        r.mlstyle.startang = r.mlstyle.endang = M_PI / 2;
    }
    if (handler == dictionarypair) r.dict.cloning = 1;
    ObjCtx c;
    std::memset(&c, 0, sizeof c);
    bool ok = true;
    if (type == AD_OBJ_PROXY && dwg->dxf->foreignobject) {
        /* its pairs begin with its (0, name), still the current pair */
        c.foreign = true;
        dxfputpair(&c.pairs);
    }
    for (;;) {
        if (!dxfnext(dwg)) {
            ok = false;
            break;
        }
        uint16_t code = adin->curcode;
        if (code == 0) {
            dxfback(dwg);
            break;
        }
        if (code == 5 && !c.handledone) {
            std::memcpy(h.handle, adin->curhandle, 8);
            c.handledone = true;
            continue;
        }
        if (code == 102) {
            if (!dxfgroup102(dwg, &h.numreactors, &h.reactorblob, h.xdicthandle)) {
                ok = false;
                break;
            }
            continue;
        }
        if (code == 330 && !c.ownerdone) {
            std::memcpy(h.ownerhandle, adin->curhandle, 8);
            c.ownerdone = true;
            continue;
        }
        if (code >= 1000) {
            dxfxdatapair(dwg, &c.xd);
            continue;
        }
        handler(dwg, &h, &r, c);
    }
    bool failed = c.items.failed || c.members.failed || c.elements.failed || c.pairs.failed ||
                  c.data.failed || c.ids.failed;
    if (ok && !failed) {
        if (handler == dictionarypair) {
            r.dict.itemblob = adbytesblob(&c.items);
        } else if (handler == mlstylepair) {
            r.mlstyle.numelements = static_cast<int16_t>(c.count);
            r.mlstyle.elementblob = adbytesblob(&c.elements);
        } else if (handler == grouppair) {
            r.group.entityblob = adbytesblob(&c.members);
        } else if (handler == layoutpair) {
            r.layout.pairblob = adbytesblob(&c.pairs);
        } else {
            r.proxy.datablob = adbytesblob(&c.data);
            r.proxy.objidblob = adbytesblob(&c.ids);
            r.proxy.pairblob = adbytesblob(&c.pairs);
        }
        ok = resolveandaddxdata(dwg, &c.xd, &h.xdblob) != 0;
    }
    freectx(c);
    if (ok) { ok = dxfclaimhandle(dwg, h.handle, dwg->addhandles_tables) && adAddObject(dwg, &h, &r); }
    if (!ok) {
        adDeleteBlob(h.reactorblob);
        dxfdiscardblob(dwg, h.xdblob);
        if (handler == dictionarypair)
            adDeleteBlob(r.dict.itemblob);
        else if (handler == mlstylepair)
            adDeleteBlob(r.mlstyle.elementblob);
        else if (handler == grouppair)
            adDeleteBlob(r.group.entityblob);
        else if (handler == layoutpair)
            adDeleteBlob(r.layout.pairblob);
        else {
            adDeleteBlob(r.proxy.datablob);
            adDeleteBlob(r.proxy.objidblob);
            adDeleteBlob(r.proxy.pairblob);
        }
        if (adin->error != 298 && adin->error != 299 && adin->error != 288) adseterror(35);
        return -1;
    }
    return 1;
}

/* MLINEs that named their style by name only: the style's handle. */
void fixmlines(AdDrawing *dwg)
{
    AdDxfLoad *s = dwg->dxf;
    if (!s->mlinefix) return;
    AdBlobCursor *c = adStartBlobRead(s->mlinefix);
    LLList *list;
    AdObjhandle handle;
    AdEntityHeader h;
    AdEntityRecord *rec = static_cast<AdEntityRecord *>(ztmem_malloc(sizeof(AdEntityRecord)));
    while (rec && c && adReadBlobBytesLong(c, &list, sizeof list) && adReadBlobObjhandle(c, handle)) {
        LLNode *n = static_cast<LLNode *>(bt_search(dwg, handle, dwg->btroot));
        if (!n || n->list != list) continue;
        adUnpackEntity(n, &h, rec);
        for (LLNode *o = dwg->objects->head; o; o = o->next) {
            const AdObjectHeader *oh = static_cast<const AdObjectHeader *>(LL_RECORD(o));
            const AdObjMlinestyle *m = reinterpret_cast<const AdObjMlinestyle *>(oh + 1);
            if (oh->objtype == AD_OBJ_MLINESTYLE && !adstricmp(m->name, rec->mline.stylename)) {
                std::memcpy(rec->mline.mlstylehandle, oh->handle, 8);
                adReplaceEntity(dwg, list, handle, &h, rec);
                break;
            }
        }
    }
    ztmem_free(rec);
    adEndBlobRead(c);
    adDeleteBlob(s->mlinefix);
    s->mlinefix = nullptr;
}

} // namespace

extern "C" {

int16_t dxfstartobjectload(AdDrawing *dwg, void *, void *)
{
    if (!dxfloadstart(dwg)) return -1;
    dwg->dxf->recordsread = 0;
    dwg->dxf->table = -1;
    if (dwg->scan.objpos == 0) {
        fixmlines(dwg);
        return 0;
    }
    return dxfseek(dwg, dwg->scan.objpos) ? 1 : -1;
}

int16_t dxfgetnextobjecttype(AdDrawing *dwg, void *, void *)
{
    for (;;) {
        if (!dxfnext(dwg)) {
            if (adin->error != 298 && adin->error != 299) adseterror(35);
            return -1;
        }
        if (adin->curcode != 0) continue;
        const char *name = adin->curstr;
        if (!std::strcmp(name, "ENDSEC") || !std::strcmp(name, "EOF")) {
            dxfback(dwg);
            fixmlines(dwg);
            return 0;
        }
        if (!std::strcmp(name, "DICTIONARY")) return AD_OBJ_DICTIONARY;
        if (!std::strcmp(name, "MLINESTYLE")) return AD_OBJ_MLINESTYLE;
        if (!std::strcmp(name, "GROUP")) return AD_OBJ_GROUP;
        dwg->dxf->foreignobject = 0;
        if (!std::strcmp(name, "ACAD_PROXY_OBJECT") || !std::strcmp(name, "ACAD_ZOMBIE_OBJECT"))
            return AD_OBJ_PROXY;
        /* a kind with a class, or one this toolkit reads; any other name
           is a proxy object */
        int16_t t = adclasstype(dwg, name, 0);
        if (t > 0) return t;
        dwg->dxf->foreignobject = 1;
        return AD_OBJ_PROXY;
    }
}

int16_t dxfloaddictionaryobject(AdDrawing *dwg, void *, void *)
{
    return readobject(dwg, AD_OBJ_DICTIONARY, dictionarypair);
}

int16_t dxfloadgroup(AdDrawing *dwg, void *, void *) { return readobject(dwg, AD_OBJ_GROUP, grouppair); }

int16_t dxfloadproxyobject(AdDrawing *dwg, void *a, void *)
{
    int16_t type = a ? *static_cast<int16_t *>(a) : static_cast<int16_t>(AD_OBJ_PROXY);
    if (type == adDictionarywdfltObjtype(dwg)) return readobject(dwg, type, dictionarypair);
    if (type == adLayoutObjtype(dwg)) return readobject(dwg, type, layoutpair);
    return readobject(dwg, type, proxypair);
}

/* In the objects step the (0, MLINESTYLE) pair has been read; after
 * dxfstartmlstyleload the reader finds the next one itself. */
int16_t dxfloadmlstyle(AdDrawing *dwg, void *, void *)
{
    AdDxfLoad *s = dwg->dxf;
    if (s->table == -2) {
        if (s->recordsread >= dwg->scan.nummlstyles) return 0;
        for (;;) {
            if (!dxfnext(dwg)) return -1;
            if (adin->curcode != 0) continue;
            if (!std::strcmp(adin->curstr, "MLINESTYLE")) break;
            if (!std::strcmp(adin->curstr, "ENDSEC") || !std::strcmp(adin->curstr, "EOF")) return 0;
        }
        ++s->recordsread;
    }
    return readobject(dwg, AD_OBJ_MLINESTYLE, mlstylepair);
}

int16_t dxfstartmlstyleload(AdDrawing *dwg, void *, void *)
{
    if (!dxfloadstart(dwg)) return -1;
    if (dwg->scan.nummlstyles == 0) return 0;
    dwg->dxf->table = -2;
    dwg->dxf->recordsread = 0;
    return dxfseek(dwg, dwg->scan.mlstylepos) ? 1 : -1;
}

} // extern "C"
