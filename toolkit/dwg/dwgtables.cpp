/* The table readers of a DWG load: linetypes, layers, text styles, views,
 * UCSs, viewports, registered applications, dimension styles, block headers
 * and viewport entity headers. Each start reader reads the table's control
 * object (its entries' handles); each record reader reads the next entry,
 * decodes it with the table's layout (one function per table, releases 13
 * to 2000 in one place) into the same record the DXF readers produce, and
 * stores it under the same rules:
 *   LTYPE    ByLayer and ByBlock are not among the entries: they are added
 *            at the end (ByBlock, then ByLayer) with the header's handles;
 *            "Continuous" is added when missing.
 *   LAYER    layer "0" is added at the head when missing; an off layer has
 *            a negative colour.
 *   STYLE    "Standard" is added when missing; VPORT "*ACTIVE", APPID
 *            "ACAD" and DIMSTYLE "Standard" likewise.
 *   BLOCK    the blocks in control order, then *Model_Space and
 *            *Paper_Space, whose entity lists are the drawing's own.
 * An entry whose object cannot be read is passed over with a warning; a
 * drawing with a damaged table keeps the entries it could read. */
#include <cmath>
#include <cstdio>
#include <cstring>

#include "toolkit/dwg/dwg_int.h"

namespace {

/* What every table entry has. */
struct Entry {
    char name[AD_NAME_LEN];
    unsigned char flag64, xdep;
    int16_t xrefindex;
    AdObjhandle xrefblock;
};

void readentry(DwgObject *o, Entry *e)
{
    getbitstring(&o->data, e->name, sizeof e->name);
    e->flag64 = static_cast<unsigned char>(getbitbitfn(&o->data));
    e->xrefindex = static_cast<int16_t>(getbitshort(&o->data) - 1);
    e->xdep = static_cast<unsigned char>(getbitbitfn(&o->data));
    getbitrefhandle(&o->handles, o->handle, e->xrefblock);
}

/* The bits of the DXF flags (70) that every entry has; the 64 bit
 * (referenced) is left out, as DXF writers leave it out. */
unsigned char entryflags(const Entry &e) { return static_cast<unsigned char>(e.xdep ? 16 : 0); }

/* Reads the control object of a table: its entries go to s->table. */
int readcontrol(AdDrawing *dwg, int which, uint16_t type)
{
    AdDwgLoad *s = dwg->dwg;
    ztmem_free(s->table.handles);
    s->table = DwgEntryList{};
    DwgObject o;
    int r = dwgreadobject(dwg, s->h[which], &o);
    if (r <= 0 || o.type != type) {
        if (r > 0) dwgobjectfree(&o);
        dwgwarn("Table control object unreadable");
        return 0;
    }
    uint32_t n = getbitcount(&o.handles, getbitlong(&o.data), 8);
    if (o.data.error || o.handles.error) n = 0;
    if (n) {
        s->table.handles = static_cast<unsigned char *>(ztmem_malloc(static_cast<size_t>(n) * 8));
        if (!s->table.handles) {
            dwgobjectfree(&o);
            adcriticalerror(2);
            return -1;
        }
        for (uint32_t i = 0; i < n; ++i) getbitrefhandle(&o.handles, o.handle, s->table.handles + 8 * i);
        if (o.handles.error) n = 0;
    }
    s->table.count = n;
    s->table.next = 0;
    dwgobjectfree(&o);
    return n ? 1 : 0;
}

/* The next entry of the table of that type: 1 read, 0 at the end. Entries
 * that do not read are passed over. */
int nextentry(AdDrawing *dwg, uint16_t type, DwgObject *o)
{
    AdDwgLoad *s = dwg->dwg;
    while (s->table.next < s->table.count) {
        const unsigned char *h = s->table.handles + 8 * s->table.next++;
        if (adObjhandleIsNull(h)) continue; /* a slot of an erased entry */
        int r = dwgreadobject(dwg, h, o);
        if (r > 0 && o->type == type) return 1;
        if (r > 0) dwgobjectfree(o);
        dwgwarn("Table entry unreadable");
    }
    return 0;
}

/* The common tail of a record from the object. */
template <class T> void common(DwgObject *o, T *rec)
{
    std::memcpy(rec->ownerhandle, o->owner, 8);
    std::memcpy(rec->handle, o->handle, 8);
    std::memcpy(rec->xdicthandle, o->xdict, 8);
    rec->xdblob = o->xdblob;
    rec->numreactors = o->numreactors;
    rec->reactorblob = o->reactorblob;
    o->xdblob = o->reactorblob = nullptr;
}

int16_t store(AdDrawing *dwg, int list, void *rec, int mode = AD_PUT_TAIL)
{
    if (!adtablestore(dwg, list, rec, mode, nullptr)) {
        if (adin->error == 172) { /* a handle met twice: the second record is dropped */
            dwgwarn("Duplicate handle in file");
            adseterror(0);
            return 1;
        }
        return -1;
    }
    return 1;
}

bool isname(const char *a, const char *b) { return adstricmp(a, b) == 0; }

int16_t tablestart(AdDrawing *dwg, int which, uint16_t type, bool always)
{
    if (!dwgloadstart(dwg)) return -1;
    int r = readcontrol(dwg, which, type);
    if (r < 0) return -1;
    return r > 0 || always ? 1 : 0;
}

/* ---------------------------------------------------------------- LTYPE */

void readltype(AdDrawing *dwg, DwgObject *o, AdLinetype *l)
{
    DwgBits *b = &o->data;
    Entry e;
    readentry(o, &e);
    std::memcpy(l->name, e.name, sizeof l->name);
    l->flag = entryflags(e);
    getbitstring(b, l->text, sizeof l->text);
    l->patternlength = getbitdouble(b);
    l->alignment = getbitrawbyte(b);
    unsigned n = getbitrawbyte(b);
    int textdashes = 0;
    for (unsigned i = 0; i < n; ++i) {
        double len = getbitdouble(b);
        int16_t code = getbitshort(b);
        double x = getbitrawdouble(b), y = getbitrawdouble(b);
        double scale = getbitdouble(b), rot = getbitdouble(b);
        int16_t shapeflag = getbitshort(b);
        if (i >= 12) continue;
        l->dashlength[i] = len;
        l->shapeflag[i] = shapeflag;
        l->shapexoffset[i] = x;
        l->shapeyoffset[i] = y;
        l->shapescale[i] = scale;
        l->shaperot[i] = rot;
        if (shapeflag & 2) {
            l->stroffset[i] = code;
            ++textdashes;
        } else {
            l->shapenum[i] = code;
        }
    }
    l->numdashes = static_cast<int16_t>(n < 12 ? n : 12);
    if (dwg->version <= AD_ACAD2000) {
        unsigned char area[256];
        getbitnrawbytes(b, area, sizeof area);
        if (textdashes) {
            /* each text dash's text lies at its offset in the area */
            int used = 0;
            for (int i = 0; i < l->numdashes; ++i) {
                if (!(l->shapeflag[i] & 2)) continue;
                int at = l->stroffset[i];
                if (at < 0 || at >= 256) at = 0;
                size_t len =
                    strnlen(reinterpret_cast<const char *>(area + at), 256 - static_cast<size_t>(at));
                if (used + static_cast<int>(len) + 1 > 256) {
                    l->stroffset[i] = 0;
                    continue;
                }
                std::memcpy(l->strarea + used, area + at, len);
                l->strarea[used + static_cast<int>(len)] = '\0';
                l->stroffset[i] = static_cast<int16_t>(used);
                used += static_cast<int>(len) + 1;
            }
        }
    }
    for (unsigned i = 0; i < n; ++i) {
        AdObjhandle st;
        getbitrefhandle(&o->handles, o->handle, st);
        if (i < 12) std::memcpy(l->shapestylehandle[i], st, 8);
    }
    common(o, l);
}

int16_t addltype(AdDrawing *dwg, const char *name, const unsigned char *handle)
{
    AdLinetype l{};
    std::strcpy(l.name, name);
    l.alignment = 'A';
    if (handle && !adObjhandleIsNull(handle) && !bt_search(dwg, handle, dwg->btroot))
        std::memcpy(l.handle, handle, 8);
    else if (!adGenerateObjhandle(dwg, l.handle))
        return -1;
    return store(dwg, AD_LIST_LTYPE, &l);
}

/* ---------------------------------------------------------------- LAYER */

void readlayer(AdDrawing *dwg, DwgObject *o, AdLayer *l)
{
    DwgBits *b = &o->data;
    Entry e;
    readentry(o, &e);
    std::memcpy(l->name, e.name, sizeof l->name);
    bool off;
    unsigned flags = 0;
    l->plotflag = 1;
    l->lineweight = -3;
    if (dwg->version >= AD_ACAD2000) {
        int16_t f = getbitshort(b);
        flags = (f & 1 ? 1u : 0u) | (f & 4 ? 2u : 0u) | (f & 8 ? 4u : 0u);
        off = (f & 2) != 0;
        l->plotflag = (f & 16) ? 1 : 0;
        l->lineweight = dwglineweight(static_cast<unsigned>((f & 0x3E0) >> 5));
    } else {
        int frozen = getbitbitfn(b);
        off = getbitbitfn(b) != 0;
        int frozennew = getbitbitfn(b);
        int locked = getbitbitfn(b);
        flags = (frozen ? 1u : 0u) | (frozennew ? 2u : 0u) | (locked ? 4u : 0u);
    }
    l->flag = static_cast<unsigned char>(flags | entryflags(e));
    int16_t color = getbitcolor(b);
    if (color < 0) color = static_cast<int16_t>(-color);
    l->color = off ? static_cast<int16_t>(-color) : color;
    if (dwg->version >= AD_ACAD2000) getbitrefhandle(&o->handles, o->handle, l->plotstylehandle);
    getbitrefhandle(&o->handles, o->handle, l->linetypehandle);
    if (adObjhandleIsNull(l->linetypehandle)) std::memcpy(l->linetypehandle, dwg->continuousltype, 8);
    common(o, l);
}

/* ---------------------------------------------------------------- STYLE */

void readstyle(AdDrawing *, DwgObject *o, AdShapefile *st)
{
    DwgBits *b = &o->data;
    Entry e;
    readentry(o, &e);
    std::memcpy(st->name, e.name, sizeof st->name);
    int vertical = getbitbitfn(b);
    int shapefile = getbitbitfn(b);
    st->flag = static_cast<unsigned char>((shapefile ? 1 : 0) | (vertical ? 4 : 0) | entryflags(e));
    st->height = getbitdouble(b);
    st->widthfactor = getbitdouble(b);
    st->oblique = getbitdouble(b);
    st->generationflag = getbitrawbyte(b);
    st->lastheight = getbitdouble(b);
    getbitstring(b, st->fontname, sizeof st->fontname);
    getbitstring(b, st->bigfontname, sizeof st->bigfontname);
    common(o, st);
}

/* ---------------------------------------------------------------- VIEW */

int viewmode(DwgBits *b)
{
    int m = 0;
    for (int i = 0; i < 4; ++i) m |= getbitbitfn(b) << i;
    return m;
}

void readview(AdDrawing *dwg, DwgObject *o, AdView *v)
{
    DwgBits *b = &o->data;
    Entry e;
    readentry(o, &e);
    std::memcpy(v->name, e.name, sizeof v->name);
    v->height = getbitdouble(b);
    v->width = getbitdouble(b);
    getbit2rawdouble(b, v->center);
    getbit3double(b, v->target);
    getbit3double(b, v->viewdir);
    v->twist = getbitdouble(b);
    v->lenslength = getbitdouble(b);
    v->frontclip = getbitdouble(b);
    v->backclip = getbitdouble(b);
    v->viewmode = static_cast<int16_t>(viewmode(b));
    bool a2k = dwg->version >= AD_ACAD2000;
    if (a2k) v->rendermode = getbitrawbyte(b);
    v->flag = static_cast<unsigned char>((getbitbitfn(b) ? 1 : 0) | entryflags(e));
    if (a2k) {
        v->ucsassociated = static_cast<int16_t>(getbitbitfn(b));
        if (v->ucsassociated) {
            getbit3double(b, v->ucsorg);
            getbit3double(b, v->ucsxdir);
            getbit3double(b, v->ucsydir);
            v->elevation = getbitdouble(b);
            v->ucsorthotype = getbitshort(b);
            getbitrefhandle(&o->handles, o->handle, v->baseucshandle);
            getbitrefhandle(&o->handles, o->handle, v->ucshandle);
        }
    }
    common(o, v);
}

/* ---------------------------------------------------------------- UCS */

void readucs(AdDrawing *dwg, DwgObject *o, AdUcs *u)
{
    DwgBits *b = &o->data;
    Entry e;
    readentry(o, &e);
    std::memcpy(u->name, e.name, sizeof u->name);
    u->flag = entryflags(e);
    getbit3double(b, u->origin);
    getbit3double(b, u->xdir);
    getbit3double(b, u->ydir);
    if (dwg->version >= AD_ACAD2000) {
        u->elevation = getbitdouble(b);
        u->orthotype = getbitshort(b);
        int16_t n = getbitshort(b);
        for (int16_t i = 0; i < n && !b->error; ++i) {
            u->orthotype71 = getbitshort(b);
            getbit3double(b, u->orthoorigin);
        }
        getbitrefhandle(&o->handles, o->handle, u->baseucshandle);
    }
    common(o, u);
}

/* ---------------------------------------------------------------- VPORT */

void readvport(AdDrawing *dwg, DwgObject *o, AdVport *v)
{
    DwgBits *b = &o->data;
    Entry e;
    readentry(o, &e);
    std::memcpy(v->name, e.name, sizeof v->name);
    v->flag = entryflags(e);
    v->height = getbitdouble(b);
    double aspect = getbitdouble(b);
    v->aspect = v->height != 0.0 ? aspect / v->height : aspect;
    getbit2rawdouble(b, v->center);
    getbit3double(b, v->target);
    getbit3double(b, v->viewdir);
    v->twist = getbitdouble(b);
    v->lenslength = getbitdouble(b);
    v->frontclip = getbitdouble(b);
    v->backclip = getbitdouble(b);
    v->viewmode = static_cast<int16_t>(viewmode(b));
    bool a2k = dwg->version >= AD_ACAD2000;
    if (a2k) v->rendermode = getbitrawbyte(b);
    getbit2rawdouble(b, v->lowerleft);
    getbit2rawdouble(b, v->upperright);
    if (getbitbitfn(b)) v->viewmode = static_cast<int16_t>(v->viewmode | 4); /* UCSFOLLOW */
    v->circlezoom = getbitshort(b);
    v->fastzoom = static_cast<int16_t>(getbitbitfn(b));
    v->ucsicon = static_cast<int16_t>(getbit2bits(b));
    v->gridmode = static_cast<int16_t>(getbitbitfn(b));
    getbit2rawdouble(b, v->gridspacing);
    v->snapmode = static_cast<int16_t>(getbitbitfn(b));
    v->snapstyle = static_cast<int16_t>(getbitbitfn(b));
    v->snapisopair = getbitshort(b);
    v->snaprot = getbitdouble(b);
    getbit2rawdouble(b, v->snapbase);
    getbit2rawdouble(b, v->snapspacing);
    if (a2k) {
        getbitbitfn(b);
        v->ucsvp = static_cast<int16_t>(getbitbitfn(b));
        getbit3double(b, v->ucsorg);
        getbit3double(b, v->ucsxdir);
        getbit3double(b, v->ucsydir);
        v->elevation = getbitdouble(b);
        v->ucsorthotype = getbitshort(b);
        getbitrefhandle(&o->handles, o->handle, v->baseucshandle);
        getbitrefhandle(&o->handles, o->handle, v->ucshandle);
    }
    common(o, v);
}

/* ---------------------------------------------------------------- APPID */

void readappid(AdDrawing *, DwgObject *o, AdRegapp *a)
{
    Entry e;
    readentry(o, &e);
    std::memcpy(a->name, e.name, sizeof a->name);
    a->flag = entryflags(e);
    getbitrawbyte(&o->data);
    common(o, a);
}

/* ---------------------------------------------------------------- DIMSTYLE */

void readdimstyle(AdDrawing *dwg, DwgObject *o, AdDimstyle *d)
{
    DwgBits *b = &o->data;
    Entry e;
    readentry(o, &e);
    std::memcpy(d->name, e.name, sizeof d->name);
    d->flag = entryflags(e);
    auto bit = [b]() { return static_cast<unsigned char>(getbitbitfn(b)); };
    auto rc = [b]() { return getbitrawbyte(b); };
    auto bs = [b]() { return getbitshort(b); };
    auto bd = [b]() { return getbitdouble(b); };
    auto tv = [b](char *s) { getbitstring(b, s, AD_NAME_LEN); };
    char blk[3][AD_NAME_LEN] = {{0}};
    if (dwg->version < AD_ACAD2000) {
        d->dimtol = bit(), d->dimlim = bit(), d->dimtih = bit(), d->dimtoh = bit(), d->dimse1 = bit();
        d->dimse2 = bit(), d->dimalt = bit(), d->dimtofl = bit(), d->dimsah = bit(), d->dimtix = bit();
        d->dimsoxd = bit(), d->dimaltd = rc(), d->dimzin = rc(), d->dimsd1 = bit(), d->dimsd2 = bit();
        d->dimtolj = rc(), d->dimjust = rc(), d->dimatfit = rc(), d->dimupt = bit(), d->dimtzin = rc();
        d->dimaltzin = rc(), d->dimaltz = rc(), d->dimtad = rc(), d->dimlunit = bs(), d->dimaunit = bs();
        d->dimdec = bs(), d->dimtdec = bs(), d->dimaltu = bs(), d->dimalttd = bs(), d->dimscale = bd();
        d->dimasz = bd(), d->dimexo = bd(), d->dimdli = bd(), d->dimexe = bd(), d->dimrnd = bd();
        d->dimdle = bd(), d->dimtp = bd(), d->dimtm = bd(), d->dimtxt = bd(), d->dimcen = bd();
        d->dimtsz = bd(), d->dimaltf = bd(), d->dimlfac = bd(), d->dimtvp = bd(), d->dimtfac = bd();
        d->dimgap = bd();
        tv(d->dimpost), tv(d->dimapost), tv(blk[0]), tv(blk[1]), tv(blk[2]);
        d->dimclrd = bs(), d->dimclre = bs(), d->dimclrt = bs();
    } else {
        tv(d->dimpost), tv(d->dimapost);
        d->dimscale = bd(), d->dimasz = bd(), d->dimexo = bd(), d->dimdli = bd(), d->dimexe = bd();
        d->dimrnd = bd(), d->dimdle = bd(), d->dimtp = bd(), d->dimtm = bd();
        d->dimtol = bit(), d->dimlim = bit(), d->dimtih = bit(), d->dimtoh = bit(), d->dimse1 = bit();
        d->dimse2 = bit(), d->dimtad = static_cast<unsigned char>(bs()),
        d->dimzin = static_cast<unsigned char>(bs());
        d->dimazin = bs();
        d->dimtxt = bd(), d->dimcen = bd(), d->dimtsz = bd(), d->dimaltf = bd(), d->dimlfac = bd();
        d->dimtvp = bd(), d->dimtfac = bd(), d->dimgap = bd(), d->dimaltrnd = bd();
        d->dimalt = bit(), d->dimaltd = static_cast<unsigned char>(bs()), d->dimtofl = bit(),
        d->dimsah = bit();
        d->dimtix = bit(), d->dimsoxd = bit();
        d->dimclrd = bs(), d->dimclre = bs(), d->dimclrt = bs();
        d->dimadec = bs(), d->dimdec = bs(), d->dimtdec = bs(), d->dimaltu = bs(), d->dimalttd = bs();
        d->dimaunit = bs(), d->dimfrac = static_cast<unsigned char>(bs()), d->dimlunit = bs();
        d->dimdsep = static_cast<unsigned char>(bs()), d->dimtmove = bs(), d->dimjust = bs();
        d->dimsd1 = bit(), d->dimsd2 = bit(), d->dimtolj = static_cast<unsigned char>(bs());
        d->dimtzin = static_cast<unsigned char>(bs()), d->dimaltzin = static_cast<unsigned char>(bs());
        d->dimaltz = static_cast<unsigned char>(bs()), d->dimupt = bit(), d->dimatfit = bs();
        d->dimlwd = bs(), d->dimlwe = bs();
    }
    getbitbitfn(b);
    getbitrefhandle(&o->handles, o->handle, d->dimtxsty);
    if (dwg->version >= AD_ACAD2000) {
        getbitrefhandle(&o->handles, o->handle, d->dimldrblk);
        getbitrefhandle(&o->handles, o->handle, d->dimblk);
        getbitrefhandle(&o->handles, o->handle, d->dimblk1);
        getbitrefhandle(&o->handles, o->handle, d->dimblk2);
    } else {
        unsigned char *h[3] = {d->dimblk, d->dimblk1, d->dimblk2};
        for (int i = 0; i < 3; ++i)
            if (blk[i][0] && !adFindBlockheaderByName(dwg, blk[i], h[i])) std::memset(h[i], 0, 8);
    }
    common(o, d);
}

/* Reads the next entry of a table with its layout, or adds the table's
 * default records at its end (finish). */
template <class T>
int16_t nextrecord(AdDrawing *dwg, int list, uint16_t type, void (*layout)(AdDrawing *, DwgObject *, T *),
                   void (*defaults)(AdDrawing *, T *))
{
    DwgObject o;
    while (nextentry(dwg, type, &o)) {
        T rec;
        std::memset(&rec, 0, sizeof rec);
        if (defaults) defaults(dwg, &rec);
        layout(dwg, &o, &rec);
        if (o.data.error || o.handles.error) {
            dwgobjectfree(&o);
            adDeleteBlob(rec.xdblob);
            adDeleteBlob(rec.reactorblob);
            dwgwarn("Table entry damaged");
            continue;
        }
        dwgobjectfree(&o);
        return store(dwg, list, &rec);
    }
    return 0;
}

void styledefaults(AdDrawing *, AdShapefile *s)
{
    s->widthfactor = 1.0;
    s->lastheight = 0.2;
}

void dimstyledefaults(AdDrawing *dwg, AdDimstyle *d) { adSetDefaultDimstyleFromHeader(dwg, d); }

void vportdefaults(AdDrawing *, AdVport *v)
{
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
}

} // namespace

extern "C" {

int16_t dwgstartlinetypeload(AdDrawing *dwg, void *, void *)
{
    return tablestart(dwg, DWG_H_LTYPECTRL, DWG_T_LTYPECONTROL, true);
}

int16_t dwgloadlinetype(AdDrawing *dwg, void *, void *)
{
    DwgObject o;
    while (nextentry(dwg, DWG_T_LTYPE, &o)) {
        AdLinetype l;
        std::memset(&l, 0, sizeof l);
        readltype(dwg, &o, &l);
        bool damaged = o.data.error || o.handles.error;
        dwgobjectfree(&o);
        if (damaged || isname(l.name, "BYLAYER") || isname(l.name, "BYBLOCK")) {
            if (damaged) dwgwarn("Table entry damaged");
            adDeleteBlob(l.xdblob);
            adDeleteBlob(l.reactorblob);
            continue;
        }
        return store(dwg, AD_LIST_LTYPE, &l);
    }
    if (!adFindLinetypeByName(dwg, "BYBLOCK", nullptr)) {
        if (addltype(dwg, "ByBlock", dwg->byblockltype) < 0) return -1;
        adFindLinetypeByName(dwg, "BYBLOCK", dwg->byblockltype);
    }
    if (!adFindLinetypeByName(dwg, "BYLAYER", nullptr)) {
        if (addltype(dwg, "ByLayer", dwg->bylayerltype) < 0) return -1;
        adFindLinetypeByName(dwg, "BYLAYER", dwg->bylayerltype);
    }
    if (!adFindLinetypeByName(dwg, "CONTINUOUS", dwg->continuousltype)) {
        AdLinetype cont{};
        std::strcpy(cont.name, "Continuous");
        std::strcpy(cont.text, "Solid line");
        cont.alignment = 'A';
        if (!adGenerateObjhandle(dwg, cont.handle) || store(dwg, AD_LIST_LTYPE, &cont) < 0) return -1;
        std::memcpy(dwg->continuousltype, cont.handle, 8);
    }
    return 0;
}

int16_t dwgstartlayerload(AdDrawing *dwg, void *, void *)
{
    return tablestart(dwg, DWG_H_LAYERCTRL, DWG_T_LAYERCONTROL, true);
}

int16_t dwgloadlayer(AdDrawing *dwg, void *, void *)
{
    int16_t r = nextrecord<AdLayer>(dwg, AD_LIST_LAYER, DWG_T_LAYER, readlayer, nullptr);
    if (r) return r;
    if (!adFindLayerByName(dwg, "0", nullptr)) {
        AdLayer zero{};
        std::strcpy(zero.name, "0");
        zero.color = 7;
        zero.plotflag = 1;
        zero.lineweight = -3;
        std::memcpy(zero.linetypehandle, dwg->continuousltype, 8);
        if (!adGenerateObjhandle(dwg, zero.handle) || store(dwg, AD_LIST_LAYER, &zero, AD_PUT_HEAD) < 0)
            return -1;
    }
    return 0;
}

int16_t dwgstartshapefileload(AdDrawing *dwg, void *, void *)
{
    return tablestart(dwg, DWG_H_STYLECTRL, DWG_T_STYLECONTROL, true);
}

int16_t dwgloadshapefile(AdDrawing *dwg, void *, void *)
{
    int16_t r = nextrecord<AdShapefile>(dwg, AD_LIST_STYLE, DWG_T_STYLE, readstyle, styledefaults);
    if (r) return r;
    if (!adFindShapefileByName(dwg, "STANDARD", nullptr)) {
        AdShapefile st{};
        std::strcpy(st.name, "Standard");
        std::strcpy(st.fontname, "txt");
        styledefaults(dwg, &st);
        if (!adGenerateObjhandle(dwg, st.handle) || store(dwg, AD_LIST_STYLE, &st) < 0) return -1;
    }
    return 0;
}

int16_t dwgstartviewload(AdDrawing *dwg, void *, void *)
{
    return tablestart(dwg, DWG_H_VIEWCTRL, DWG_T_VIEWCONTROL, false);
}

int16_t dwgloadview(AdDrawing *dwg, void *, void *)
{
    return nextrecord<AdView>(dwg, AD_LIST_VIEW, DWG_T_VIEW, readview, nullptr);
}

int16_t dwgstartucsload(AdDrawing *dwg, void *, void *)
{
    return tablestart(dwg, DWG_H_UCSCTRL, DWG_T_UCSCONTROL, false);
}

int16_t dwgloaducs(AdDrawing *dwg, void *, void *)
{
    return nextrecord<AdUcs>(dwg, AD_LIST_UCS, DWG_T_UCS, readucs, nullptr);
}

int16_t dwgstartvportload(AdDrawing *dwg, void *, void *)
{
    return tablestart(dwg, DWG_H_VPORTCTRL, DWG_T_VPORTCONTROL, true);
}

int16_t dwgloadvport(AdDrawing *dwg, void *, void *)
{
    int16_t r = nextrecord<AdVport>(dwg, AD_LIST_VPORT, DWG_T_VPORT, readvport, vportdefaults);
    if (r) return r;
    if (!adtablefindnode(dwg, AD_LIST_VPORT, "*ACTIVE")) {
        AdVport v{};
        vportdefaults(dwg, &v);
        std::strcpy(v.name, "*ACTIVE");
        if (!adGenerateObjhandle(dwg, v.handle) || store(dwg, AD_LIST_VPORT, &v) < 0) return -1;
    }
    return 0;
}

int16_t dwgstartregappload(AdDrawing *dwg, void *, void *)
{
    return tablestart(dwg, DWG_H_APPIDCTRL, DWG_T_APPIDCONTROL, true);
}

int16_t dwgloadregapp(AdDrawing *dwg, void *, void *)
{
    int16_t r = nextrecord<AdRegapp>(dwg, AD_LIST_APPID, DWG_T_APPID, readappid, nullptr);
    if (r) return r;
    if (!adFindRegappByName(dwg, "ACAD", nullptr)) {
        AdRegapp acad{};
        std::strcpy(acad.name, "ACAD");
        if (!adGenerateObjhandle(dwg, acad.handle) || store(dwg, AD_LIST_APPID, &acad) < 0) return -1;
    }
    return 0;
}

int16_t dwgstartdimstyleload(AdDrawing *dwg, void *, void *)
{
    /* the names of the header's arrow blocks, now that the blocks are known */
    AdHeader *h = dwg->header;
    struct {
        const unsigned char *handle;
        char *name;
    } arrows[] = {{h->dimblkhandle, h->dimblk},
                  {h->dimblk1handle, h->dimblk1},
                  {h->dimblk2handle, h->dimblk2},
                  {h->dimldrblkhandle, h->dimldrblk}};
    if (dwg->version >= AD_ACAD2000) {
        for (auto &a : arrows)
            if (!adObjhandleIsNull(a.handle)) {
                LLNode *n = static_cast<LLNode *>(bt_search(dwg, a.handle, dwg->btroot));
                if (n && n->list == dwg->blkhs) {
                    const char *name = adblkhname(AD_BLKH(n));
                    size_t len = strnlen(name, 31);
                    std::memcpy(a.name, name, len);
                    a.name[len] = '\0';
                }
            }
    } else {
        for (auto &a : arrows)
            if (a.name[0]) adFindBlockheaderByName(dwg, a.name, const_cast<unsigned char *>(a.handle));
    }
    return tablestart(dwg, DWG_H_DIMSTYLECTRL, DWG_T_DIMSTYLECONTROL, true);
}

int16_t dwgloaddimstyle(AdDrawing *dwg, void *, void *)
{
    int16_t r = nextrecord<AdDimstyle>(dwg, AD_LIST_DIMSTYLE, DWG_T_DIMSTYLE, readdimstyle, dimstyledefaults);
    if (r) return r;
    if (!adFindDimstyleByName(dwg, "STANDARD", nullptr)) {
        AdDimstyle st;
        adSetDefaultDimstyleFromHeader(dwg, &st);
        std::strcpy(st.name, "Standard");
        if (!adGenerateObjhandle(dwg, st.handle) || store(dwg, AD_LIST_DIMSTYLE, &st) < 0) return -1;
    }
    return 0;
}

/* ---------------------------------------------------------------- BLOCK_RECORD */

int dwgreadblockheader(AdDrawing *dwg, const unsigned char *handle, AdBlockheader *b, unsigned char *first,
                       unsigned char *last)
{
    DwgObject o;
    int r = dwgreadobject(dwg, handle, &o);
    if (r <= 0) return 0;
    if (o.type != DWG_T_BLOCKHEADER) {
        dwgobjectfree(&o);
        return 0;
    }
    DwgBits *d = &o.data;
    DwgBits *h = &o.handles;
    std::memset(b, 0, sizeof *b);
    b->explodable = 1;
    Entry e;
    readentry(&o, &e);
    std::memcpy(b->name, e.name, sizeof b->name);
    int anonymous = getbitbitfn(d);
    int hasatts = getbitbitfn(d);
    int isxref = getbitbitfn(d);
    int overlaid = getbitbitfn(d);
    bool a2k = dwg->version >= AD_ACAD2000;
    if (a2k) getbitbitfn(d); /* loaded */
    b->flag = static_cast<unsigned char>((anonymous ? 1 : 0) | (hasatts ? 2 : 0) | (isxref ? 4 : 0) |
                                         (overlaid ? 8 : 0) | entryflags(e));
    b->xrefindex = e.xrefindex;
    b->xrefblkisoverlaid = static_cast<unsigned char>(overlaid);
    getbit3double(d, b->base);
    getbitstring(d, b->xrefpath, sizeof b->xrefpath);
    uint32_t inserts = 0;
    if (a2k) {
        while (getbitrawbyte(d) && !d->error) ++inserts;
        getbitstring(d, b->description, sizeof b->description);
        uint32_t n = getbitcount(d, getbitlong(d), 8);
        if (n && !d->error) {
            AdBytes pv{};
            for (uint32_t i = 0; i < n; ++i) {
                unsigned char c = getbitrawbyte(d);
                adbytesput(&pv, &c, 1);
            }
            b->previewbytes = static_cast<int32_t>(n);
            bool failed = pv.failed != 0;
            b->previewblob = adbytesblob(&pv);
            if (failed || !b->previewblob) b->previewbytes = 0;
        }
    }
    /* the xref block slot of table entries is null here */
    getbitrefhandle(h, o.handle, b->blockentityhandle);
    std::memset(first, 0, 8);
    std::memset(last, 0, 8);
    if (!isxref && !overlaid) {
        getbitrefhandle(h, o.handle, first);
        getbitrefhandle(h, o.handle, last);
    }
    getbitrefhandle(h, o.handle, b->endblkentityhandle);
    if (a2k) {
        uint32_t n = getbitcount(h, inserts, 8);
        AdBytes ins{};
        for (uint32_t i = 0; i < n; ++i) {
            unsigned char x[8];
            getbitrefhandle(h, o.handle, x);
            adbytesput(&ins, x, 8);
        }
        b->numinserts = static_cast<int32_t>(n);
        b->insertblob = adbytesblob(&ins);
        adbytesfree(&ins);
        getbitrefhandle(h, o.handle, b->layouthandle);
    }
    common(&o, b);
    bool damaged = d->error || h->error;
    dwgobjectfree(&o);
    if (damaged) {
        adDeleteBlob(b->previewblob);
        adDeleteBlob(b->insertblob);
        adDeleteBlob(b->xdblob);
        adDeleteBlob(b->reactorblob);
        return 0;
    }
    return 1;
}

int16_t dwgstartblockheaderload(AdDrawing *dwg, void *, void *)
{
    if (!dwgloadstart(dwg)) return -1;
    if (readcontrol(dwg, DWG_H_BLOCKCTRL, DWG_T_BLOCKCONTROL) < 0) return -1;
    dwg->dwg->stage = 0;
    return 1;
}

int16_t dwgloadblockheader(AdDrawing *dwg, void *, void *)
{
    AdDwgLoad *s = dwg->dwg;
    AdObjhandle first, last;
    while (s->table.next < s->table.count) {
        const unsigned char *hd = s->table.handles + 8 * s->table.next++;
        if (adObjhandleIsNull(hd) || !std::memcmp(hd, s->h[DWG_H_MSPACE], 8) ||
            !std::memcmp(hd, s->h[DWG_H_PSPACE], 8))
            continue;
        AdBlockheader b;
        if (!dwgreadblockheader(dwg, hd, &b, first, last)) {
            dwgwarn("Block header unreadable");
            continue;
        }
        /* anonymous blocks ("*D", "*U" ...) are numbered by their place in
           the table, as DXF files name them */
        size_t len = std::strlen(b.name);
        if (b.name[0] == '*' && len > 1 && (b.name[len - 1] < '0' || b.name[len - 1] > '9')) {
            char num[16];
            std::snprintf(num, sizeof num, "%u", s->table.next - 1);
            if (len + std::strlen(num) < sizeof b.name) std::strcat(b.name, num);
        }
        if (!b.name[0] || adFindBlockheaderByName(dwg, b.name, first)) {
            adDeleteBlob(b.previewblob);
            adDeleteBlob(b.insertblob);
            adDeleteBlob(b.xdblob);
            adDeleteBlob(b.reactorblob);
            continue;
        }
        if (!(b.entitylist = LLCreate())) return -1;
        if (store(dwg, AD_LIST_BLKH, &b) < 0) {
            LLDeleteList(b.entitylist);
            return -1;
        }
        return 1;
    }
    /* model space and paper space last */
    for (int kind = 1; kind <= 2; ++kind) {
        AdBlockheader b;
        const unsigned char *hd = s->h[kind == 1 ? DWG_H_MSPACE : DWG_H_PSPACE];
        if (!dwgreadblockheader(dwg, hd, &b, first, last)) {
            std::memset(&b, 0, sizeof b);
            b.explodable = 1;
            if (adObjhandleIsNull(hd) || bt_search(dwg, hd, dwg->btroot)) {
                if (!adGenerateObjhandle(dwg, b.handle)) return -1;
            } else {
                std::memcpy(b.handle, hd, 8);
            }
        }
        std::strcpy(b.name, kind == 1 ? "*Model_Space" : "*Paper_Space");
        b.entitylist = kind == 1 ? dwg->mspace : dwg->pspace;
        if (store(dwg, AD_LIST_BLKH, &b) < 0) return -1;
    }
    return 0;
}

/* ---------------------------------------------------------------- viewport entity headers */

int16_t dwgstartvportenthdrload(AdDrawing *dwg, void *, void *)
{
    if (!dwgloadstart(dwg)) return -1;
    int r = readcontrol(dwg, DWG_H_VPENTHDRCTRL, DWG_T_VPENTHDRCONTROL);
    return r < 0 ? -1 : static_cast<int16_t>(r);
}

int16_t dwgloadvportenthdr(AdDrawing *dwg, void *, void *)
{
    DwgObject o;
    while (nextentry(dwg, DWG_T_VPENTHDR, &o)) {
        Entry e;
        readentry(&o, &e);
        unsigned char on = static_cast<unsigned char>(getbitbitfn(&o.data));
        struct {
            AdObjhandle handle, vpenthandle;
            int16_t id;
            unsigned char flag;
        } v{};
        std::memcpy(v.handle, o.handle, 8);
        getbitrefhandle(&o.handles, o.handle, v.vpenthandle);
        v.flag = on;
        bool damaged = o.data.error || o.handles.error;
        dwgobjectfree(&o);
        if (damaged) continue;
        if (!addobjecttolistandindex(dwg, dwg->vpenthdrs, &v, sizeof v, v.handle, AD_PUT_TAIL, nullptr)) {
            if (adin->error == 172) {
                adseterror(0);
                continue;
            }
            return -1;
        }
        return 1;
    }
    return 0;
}

} // extern "C"
