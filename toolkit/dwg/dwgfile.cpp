/* The file side of the DWG reader: the state of one load, reading bytes at
 * checked positions, the object map with its sampling index and the lookup
 * of an object by handle, and the reading of one object with its common
 * part (type, handle, extended data, the common entity fields and the
 * common handle references) decoded.
 *
 * Invariants: map entries are in strictly ascending handle order and no
 * entry has the handle 0; every location in the map lies inside the file;
 * an object is read only when its size bytes, its data and its checksum all
 * lie inside the file. */
#include <cassert>
#include <cstring>

#include "toolkit/dwg/dwg_int.h"

namespace {

const uint32_t kNoPos = 2000000000u;

bool putbytes(DwgObjectMap *m, const void *src, size_t n)
{
    if (m->size + n > m->cap) {
        size_t ncap = m->cap ? m->cap * 2 : 4096;
        while (ncap < m->size + n) ncap *= 2;
        auto *p = static_cast<unsigned char *>(ztmem_realloc(m->blob, ncap));
        if (!p) return false;
        m->blob = p;
        m->cap = ncap;
    }
    std::memcpy(m->blob + m->size, src, n);
    m->size += n;
    return true;
}

bool putentry(DwgObjectMap *m, uint64_t handle, int64_t loc)
{
    unsigned char e[13];
    int n = 0;
    for (uint64_t h = handle; h; h >>= 8) ++n;
    e[0] = static_cast<unsigned char>(n);
    for (int i = 0; i < n; ++i) e[1 + i] = static_cast<unsigned char>(handle >> (8 * (n - 1 - i)));
    uint32_t l = static_cast<uint32_t>(loc);
    for (int i = 0; i < 4; ++i) e[1 + n + i] = static_cast<unsigned char>(l >> (8 * i));
    if (!putbytes(m, e, static_cast<size_t>(n) + 5)) return false;
    ++m->count;
    return true;
}

/* The entry at blob position pos: false at the terminator. The blob is
 * ours, so a byte count outside 1 to 8 only comes of a fault. */
bool readentry(const DwgObjectMap *m, uint32_t *pos, uint64_t *handle, int64_t *loc)
{
    uint32_t p = *pos;
    if (p >= m->size) return false;
    unsigned n = m->blob[p];
    if (n == 0) return false;
    if (n > 8 || p + 1 + n + 4 > m->size) {
        adcriticalerror(5);
        return false;
    }
    uint64_t h = 0;
    for (unsigned i = 0; i < n; ++i) h = (h << 8) | m->blob[p + 1 + i];
    uint32_t l = 0;
    for (int i = 3; i >= 0; --i) l = (l << 8) | m->blob[p + 1 + n + i];
    *handle = h;
    *loc = l;
    *pos = p + 1 + n + 4;
    return true;
}

void buildindex(DwgObjectMap *m)
{
    uint32_t step = m->count / DWG_MAP_SLOTS + 1;
    uint32_t pos = 0, i = 0;
    int slot = 0;
    uint64_t h;
    int64_t loc;
    for (;;) {
        uint32_t at = pos;
        if (!readentry(m, &pos, &h, &loc)) break;
        if (i % step == 0 && slot < DWG_MAP_SLOTS) {
            m->slothandle[slot] = h;
            m->slotpos[slot] = at;
            ++slot;
        }
        ++i;
    }
    m->nslots = slot;
    for (; slot < DWG_MAP_SLOTS; ++slot) {
        m->slothandle[slot] = ~uint64_t(0);
        m->slotpos[slot] = kNoPos;
    }
}

/* The lineweights of the 5-bit index of entities and layers. */
const int16_t kLineweights[32] = {0,  5,   9,   13,  15,  18,  20,  25,  30, 35, 40, 50, 53, 60, 70, 80,
                                  90, 100, 106, 120, 140, 158, 200, 211, -3, -3, -3, -3, -3, -1, -2, -3};

} // namespace

extern "C" {

int16_t dwglineweight(unsigned index) { return kLineweights[index & 31]; }

void dwgwarn(const char *message)
{
    if (adin && adin->warning) adin->warning(message);
}

int dwgloadstart(AdDrawing *dwg)
{
    if (!dwg->entityarena) dwg->entityarena = ztvm_arenacreate();
    adsetblobarena(dwg->entityarena);
    if (dwg->dwg) return 1;
    dwg->dwg = static_cast<AdDwgLoad *>(ztmem_malloc(sizeof(AdDwgLoad)));
    if (!dwg->dwg) {
        adseterror(14);
        adcriticalerror(2);
        return 0;
    }
    dwg->dwg->filesize = dwg->stream ? ztior_length(dwg->stream) : 0;
    return 1;
}

void dwgloadend(AdDrawing *dwg)
{
    AdDwgLoad *s = dwg ? dwg->dwg : nullptr;
    if (!s) return;
    if (adblobarena() == dwg->entityarena) adsetblobarena(nullptr);
    dwgmapfree(&s->map);
    ztmem_free(s->obj);
    ztmem_free(s->table.handles);
    ztmem_free(s);
    dwg->dwg = nullptr;
}

int dwgreadat(AdDrawing *dwg, int64_t pos, void *dst, size_t n)
{
    AdDwgLoad *s = dwg->dwg;
    if (pos < 0 || pos > s->filesize || static_cast<int64_t>(n) > s->filesize - pos) {
        adseterror(30);
        return 0;
    }
    size_t got = 0;
    if (ztior_seek(dwg->stream, pos) != 0 || !ztior_read(dwg->stream, dst, n, &got) || got != n) {
        adseterror(30);
        return 0;
    }
    return 1;
}

void dwgmapfree(DwgObjectMap *m)
{
    ztmem_free(m->blob);
    std::memset(m, 0, sizeof *m);
}

int loadobjmapblob(AdDrawing *dwg, int64_t pos, int64_t size)
{
    AdDwgLoad *s = dwg->dwg;
    DwgObjectMap *m = &s->map;
    dwgmapfree(m);
    if (pos <= 0 || pos >= s->filesize) {
        adseterror(186);
        return 0;
    }
    if (size <= 0 || size > s->filesize - pos) size = s->filesize - pos;
    int64_t end = pos + size;
    uint64_t last = 0;
    unsigned char page[DWG_MAP_PAGE + 2];
    for (;;) {
        unsigned char sz[2];
        if (pos + 2 > end || !dwgreadat(dwg, pos, sz, 2)) break; /* the map ran to its end */
        uint32_t pagesize = static_cast<uint32_t>(sz[0] << 8 | sz[1]);
        if (pagesize < 2 || pagesize > DWG_MAP_PAGE || pos + pagesize + 2 > end) {
            /* a damaged page ends the map; what was read stays */
            dwgwarn("Damaged object map page");
            break;
        }
        if (!dwgreadat(dwg, pos + 2, page, pagesize)) break;
        pos += 2 + pagesize;
        DwgBits b;
        dwgbitsinit(&b, page, pagesize - 2, AD_ACAD2000);
        uint64_t handle = 0;
        int64_t loc = 0, lastoffset = 0;
        while (dwgbitsleft(&b) >= 16 && !b.error) {
            uint64_t dh = getbitumodchar(&b);
            lastoffset = getbitmodchar(&b);
            if (b.error) break;
            handle += dh;
            loc += lastoffset;
            /* entries out of order, of the handle 0 or pointing outside the
               file are dropped */
            if (handle == 0 || handle <= last || loc < 0 || loc >= s->filesize) continue;
            if (!putentry(m, handle, loc)) {
                adseterror(211);
                adcriticalerror(2);
                dwgmapfree(m);
                return 0;
            }
            last = handle;
        }
        if (lastoffset == 0) break; /* an empty page ends the map */
    }
    unsigned char zero = 0;
    if (!putbytes(m, &zero, 1)) {
        adseterror(211);
        dwgmapfree(m);
        return 0;
    }
    buildindex(m);
    return 1;
}

int dwgmapnext(AdDrawing *dwg, uint32_t *pos, unsigned char *handle, int64_t *loc)
{
    uint64_t h;
    if (!readentry(&dwg->dwg->map, pos, &h, loc)) return 0;
    dwghandlebytes(h, handle);
    return 1;
}

int64_t dwgseekobjectbyhandle(AdDrawing *dwg, const unsigned char *handle)
{
    DwgObjectMap *m = &dwg->dwg->map;
    uint64_t want = dwghandlevalue(handle);
    if (want == 0 || !m->blob || m->count == 0) return -1;
    if (m->havelast && want == m->lasthandle) return m->lastloc;
    uint32_t pos;
    if (m->havelast && want == m->lasthandle + 1) {
        pos = m->lastnext;
    } else {
        /* the last slot whose handle does not exceed the one sought, among
           the slots that hold entries (never a sentinel) */
        int lo = 0, hi = m->nslots - 1;
        if (hi < 0 || m->slothandle[0] > want) return -1;
        while (lo < hi) {
            int mid = (lo + hi + 1) / 2;
            if (m->slothandle[mid] <= want)
                lo = mid;
            else
                hi = mid - 1;
        }
        assert(m->slotpos[lo] != kNoPos);
        pos = m->slotpos[lo];
        if (m->havelast && want > m->lasthandle && m->lastnext > pos) pos = m->lastnext;
    }
    uint64_t h;
    int64_t loc;
    for (;;) {
        if (!readentry(m, &pos, &h, &loc)) return -1;
        if (h >= want) break;
    }
    if (h != want) return -1;
    m->havelast = 1;
    m->lasthandle = h;
    m->lastloc = loc;
    m->lastnext = pos;
    return loc;
}

/* ---------------------------------------------------------------- objects */

namespace {

/* The raw bytes of the object at loc: o->data over them. */
int readraw(AdDrawing *dwg, int64_t loc, DwgObject *o)
{
    AdDwgLoad *s = dwg->dwg;
    unsigned char head[6] = {0};
    size_t avail = static_cast<size_t>(s->filesize - loc < 6 ? s->filesize - loc : 6);
    if (!dwgreadat(dwg, loc, head, avail)) return -1;
    DwgBits b;
    dwgbitsinit(&b, head, avail, dwg->version);
    uint32_t size = getbitmodshort(&b);
    size_t msbytes = static_cast<size_t>(b.pos / 8);
    if (b.error || size == 0 || size > DWG_MAX_OBJECT ||
        static_cast<int64_t>(msbytes + size + 2) > s->filesize - loc) {
        adseterror(201);
        return -1;
    }
    size_t total = msbytes + size + 2;
    if (total > s->objcap) {
        size_t ncap = s->objcap ? s->objcap : 4096;
        while (ncap < total) ncap *= 2;
        auto *p = static_cast<unsigned char *>(ztmem_realloc(s->obj, ncap));
        if (!p) {
            adseterror(201);
            adcriticalerror(2);
            return -1;
        }
        s->obj = p;
        s->objcap = ncap;
    }
    if (!dwgreadat(dwg, loc, s->obj, total)) return -1;
    if (!check13crc(s->obj, total, 0xC0C1) && !s->warnedcrc) {
        s->warnedcrc = 1;
        dwgwarn("Object checksum mismatch");
    }
    dwgbitsinit(&o->data, s->obj + msbytes, size, dwg->version);
    return 1;
}

bool putxd(AdBytes *out, int16_t code, int16_t codepage, const void *value, size_t n)
{
    unsigned char h[8] = {0};
    uint16_t len = static_cast<uint16_t>(n);
    std::memcpy(h, &code, 2);
    std::memcpy(h + 2, &len, 2);
    std::memcpy(h + 4, &codepage, 2);
    return adbytesput(out, h, 8) && adbytesput(out, value, n);
}

/* The items of one application's extended data (size bytes) after its
 * 1001 item; false when they do not decode. */
bool eeditems(const unsigned char *p, size_t size, int16_t codepage, AdBytes *out)
{
    DwgBits b;
    dwgbitsinit(&b, p, size, AD_ACAD2000);
    while (dwgbitsleft(&b) >= 8) {
        unsigned code = getbitrawbyte(&b);
        unsigned char buf[256];
        switch (code) {
        case 0: {
            unsigned len = getbitrawbyte(&b);
            getbitrawshort(&b); /* the string's own code page */
            getbitnrawbytes(&b, buf, len);
            if (b.error || !putxd(out, 1000, codepage, buf, len)) return false;
            break;
        }
        case 2:
            buf[0] = getbitrawbyte(&b) ? 1 : 0;
            if (!putxd(out, 1002, 0, buf, 1)) return false;
            break;
        case 3:
        case 5:
            getbitnrawbytes(&b, buf, 8);
            if (!putxd(out, static_cast<int16_t>(1000 + code), 0, buf, 8)) return false;
            break;
        case 4: {
            unsigned len = getbitrawbyte(&b);
            getbitnrawbytes(&b, buf, len);
            if (b.error || !putxd(out, 1004, 0, buf, len)) return false;
            break;
        }
        case 10:
        case 11:
        case 12:
        case 13: {
            double v[3];
            getbit3rawdouble(&b, v);
            if (!putxd(out, static_cast<int16_t>(1000 + code), 0, v, 24)) return false;
            break;
        }
        case 40:
        case 41:
        case 42: {
            double v = getbitrawdouble(&b);
            if (!putxd(out, static_cast<int16_t>(1000 + code), 0, &v, 8)) return false;
            break;
        }
        case 70: {
            int16_t v = static_cast<int16_t>(getbitrawshort(&b));
            if (!putxd(out, 1070, 0, &v, 2)) return false;
            break;
        }
        case 71: {
            int32_t v = static_cast<int32_t>(getbitrawlong(&b));
            if (!putxd(out, 1071, 0, &v, 4)) return false;
            break;
        }
        default: return false;
        }
        if (b.error) return false;
    }
    return true;
}

/* The extended data of an object: for each application a 1001 item with
 * the application's handle and its items. A group that does not decode is
 * dropped whole. */
bool readeed(AdDrawing *dwg, DwgObject *o)
{
    DwgBits *b = &o->data;
    AdBytes out{};
    int16_t codepage = dwg->header ? dwg->header->dwgcodepage : 0;
    for (;;) {
        uint16_t size = static_cast<uint16_t>(getbitshort(b));
        if (b->error) break;
        if (size == 0) break;
        unsigned char app[8];
        getbithandle(b, app);
        if (b->error || static_cast<uint64_t>(size) * 8 > dwgbitsleft(b)) {
            b->error = 1;
            break;
        }
        size_t start = out.n;
        if (b->pos % 8 == 0) {
            const unsigned char *p = b->buf + b->pos / 8;
            if (!putxd(&out, 1001, 0, app, 8) || !eeditems(p, size, codepage, &out)) out.n = start;
            b->pos += static_cast<uint64_t>(size) * 8;
        } else {
            unsigned char *tmp = static_cast<unsigned char *>(ztmem_malloc(size));
            if (!tmp) {
                b->error = 1;
                break;
            }
            getbitnrawbytes(b, tmp, size);
            if (!putxd(&out, 1001, 0, app, 8) || !eeditems(tmp, size, codepage, &out)) out.n = start;
            ztmem_free(tmp);
        }
        if (out.failed) break;
    }
    bool ok = !b->error && !out.failed;
    if (ok && out.n) {
        o->xdblob = adbytesblob(&out);
        ok = o->xdblob != nullptr;
    }
    adbytesfree(&out);
    return ok;
}

bool readreactors(DwgObject *o)
{
    DwgBits *h = &o->handles;
    uint32_t n = getbitcount(h, o->numreactors, 8);
    if (h->error) return false;
    o->numreactors = static_cast<int32_t>(n);
    if (!n) return true;
    AdBytes r{};
    for (uint32_t i = 0; i < n; ++i) {
        unsigned char x[8];
        getbitrefhandle(h, o->handle, x);
        adbytesput(&r, x, 8);
    }
    bool ok = !h->error && !r.failed;
    if (ok) o->reactorblob = adbytesblob(&r);
    adbytesfree(&r);
    return ok && o->reactorblob;
}

} // namespace

int dwgisentitytype(AdDrawing *dwg, uint16_t type)
{
    if (type >= DWG_T_CLASSBASE) {
        for (LLNode *n = dwg->classes->head; n; n = n->next) {
            const AdClass *k = static_cast<const AdClass *>(LL_RECORD(n));
            if (k->classnum == static_cast<int16_t>(type)) return k->itemclassid == 0x1F2;
        }
        return 0;
    }
    if (type >= 1 && type <= 47) return type != DWG_T_DICTIONARY && type != 9;
    return type == DWG_T_OLE2FRAME || type == DWG_T_LWPLINE || type == DWG_T_HATCH;
}

void dwgobjectfree(DwgObject *o)
{
    adDeleteBlob(o->xdblob);
    adDeleteBlob(o->reactorblob);
    o->xdblob = o->reactorblob = nullptr;
}

uint16_t dwgobjecttype(AdDrawing *dwg, const unsigned char *handle)
{
    int64_t loc = dwgseekobjectbyhandle(dwg, handle);
    if (loc < 0) return 0;
    unsigned char head[8] = {0};
    AdDwgLoad *s = dwg->dwg;
    size_t avail = static_cast<size_t>(s->filesize - loc < 8 ? s->filesize - loc : 8);
    if (!dwgreadat(dwg, loc, head, avail)) return 0;
    DwgBits b;
    dwgbitsinit(&b, head, avail, dwg->version);
    getbitmodshort(&b);
    uint16_t t = static_cast<uint16_t>(getbitshort(&b));
    return b.error ? 0 : t;
}

int dwgreadobject(AdDrawing *dwg, const unsigned char *handle, DwgObject *o)
{
    std::memset(o, 0, sizeof *o);
    int64_t loc = dwgseekobjectbyhandle(dwg, handle);
    if (loc < 0) return 0;
    if (readraw(dwg, loc, o) < 0) return -1;
    DwgBits *b = &o->data;
    bool a2k = dwg->version >= AD_ACAD2000;
    o->type = static_cast<uint16_t>(getbitshort(b));
    uint64_t bitsize = 0;
    if (a2k) bitsize = getbitrawlong(b);
    getbithandle(b, o->handle);
    if (b->error || std::memcmp(o->handle, handle, 8) != 0) {
        adseterror(201);
        return -1;
    }
    if (!readeed(dwg, o)) {
        dwgobjectfree(o);
        adseterror(201);
        return -1;
    }
    o->isentity = static_cast<unsigned char>(dwgisentitytype(dwg, o->type));
    int isbylayerlt = 0;
    o->ltscale = 1.0;
    if (o->isentity) {
        if (getbitbitfn(b)) {
            uint32_t n = getbitrawlong(b);
            if (static_cast<uint64_t>(n) * 8 > dwgbitsleft(b))
                b->error = 1;
            else
                b->pos += static_cast<uint64_t>(n) * 8;
        }
        if (!a2k) bitsize = getbitrawlong(b);
        o->entmode = static_cast<unsigned char>(getbit2bits(b));
        o->numreactors = getbitlong(b);
        if (!a2k) isbylayerlt = getbitbitfn(b);
        o->nolinks = static_cast<unsigned char>(getbitbitfn(b));
        o->color = getbitcolor(b);
        o->ltscale = getbitdouble(b);
        if (a2k) {
            o->ltypeflags = static_cast<unsigned char>(getbit2bits(b));
            o->plotflags = static_cast<unsigned char>(getbit2bits(b));
        }
        o->invisible = getbitshort(b);
        o->lineweight = a2k ? dwglineweight(getbitrawbyte(b)) : -1;
    } else {
        if (!a2k) bitsize = getbitrawlong(b);
        o->numreactors = getbitlong(b);
    }
    if (b->error || bitsize > b->size || bitsize < b->pos) {
        dwgobjectfree(o);
        adseterror(201);
        return -1;
    }
    o->handles = *b;
    o->handles.pos = bitsize;
    /* the data ends where the handles begin */
    o->data.size = bitsize;

    DwgBits *h = &o->handles;
    if (!o->isentity || o->entmode == 0) getbitrefhandle(h, o->handle, o->owner);
    if (!readreactors(o)) {
        dwgobjectfree(o);
        adseterror(201);
        return -1;
    }
    getbitrefhandle(h, o->handle, o->xdict);
    if (o->isentity) {
        if (!a2k) {
            getbitrefhandle(h, o->handle, o->layer);
            if (!isbylayerlt) getbitrefhandle(h, o->handle, o->ltype);
            o->ltypeflags = isbylayerlt ? 0 : 3;
        }
        if (!o->nolinks) {
            getbitrefhandle(h, o->handle, o->prev);
            getbitrefhandle(h, o->handle, o->next);
        }
        if (a2k) {
            getbitrefhandle(h, o->handle, o->layer);
            if (o->ltypeflags == 3) getbitrefhandle(h, o->handle, o->ltype);
            if (o->plotflags == 3) getbitrefhandle(h, o->handle, o->plotstyle);
        }
    }
    if (h->error) {
        dwgobjectfree(o);
        adseterror(201);
        return -1;
    }
    return 1;
}

} // extern "C"
