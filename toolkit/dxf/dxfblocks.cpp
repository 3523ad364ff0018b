/* Block headers and block definitions of a DXF load, and the viewport
 * entity headers.
 *
 * A block header is made from each BLOCK entity the scan pass found (name,
 * flags, base point, external reference path, description, the BLOCK's own
 * handle) together with the BLOCK_RECORD record that owns it (AC1012 and
 * later: its handle, layout, extension dictionary, units, preview, extended
 * data), matched by the BLOCK's owner handle (330) or else by name. A
 * record without a BLOCK still gets a header (with an empty entity list);
 * a BLOCK without a record gets a fresh handle. A second BLOCK of a name
 * already taken is passed over. The model-space and paper-space blocks
 * ("*MODEL_SPACE", "*PAPER_SPACE", and the "$MODEL_SPACE", "$PAPER_SPACE"
 * of older files, named "*Model_Space" and "*Paper_Space" here) are the
 * last two headers, created when the file has none, and their entity lists
 * are the drawing's own.
 *
 * Each stored header's BLOCK position is kept in dwg->dxf->blkpos (sorted
 * by handle once all headers are made), so that the block-definition start
 * reader can seek to it; the entity reader then loads the block's BLOCK,
 * its entities and its ENDBLK into the header's list. */
#include "toolkit/dxf/dxf_int.h"

#include <algorithm>
#include <cstring>

/* A BLOCK_RECORD record; used: 0 waiting, 1 taken, 2 and 3 the model-space
 * and paper-space headers kept for the end. */
struct AdDxfBlkRec {
    AdBlockheader rec;
    unsigned char used;
};

namespace {

int spacekind(const char *name)
{
    if (!adstricmp(name, "*MODEL_SPACE") || !adstricmp(name, "$MODEL_SPACE")) return 1;
    if (!adstricmp(name, "*PAPER_SPACE") || !adstricmp(name, "$PAPER_SPACE")) return 2;
    return 0;
}

bool addrec(AdDxfLoad *s, const AdBlockheader &r)
{
    if (s->nblkrecs == s->capblkrecs) {
        int32_t ncap = s->capblkrecs ? s->capblkrecs * 2 : 16;
        auto *n = static_cast<AdDxfBlkRec *>(
            ztmem_realloc(s->blkrecs, sizeof(AdDxfBlkRec) * static_cast<size_t>(ncap)));
        if (!n) return false;
        s->blkrecs = n;
        s->capblkrecs = ncap;
    }
    s->blkrecs[s->nblkrecs].rec = r;
    s->blkrecs[s->nblkrecs].used = 0;
    ++s->nblkrecs;
    return true;
}

bool addpos(AdDxfLoad *s, const unsigned char *handle, int64_t pos)
{
    if (s->nblkpos == s->capblkpos) {
        int32_t ncap = s->capblkpos ? s->capblkpos * 2 : 64;
        auto *n = static_cast<AdDxfBlkPos *>(
            ztmem_realloc(s->blkpos, sizeof(AdDxfBlkPos) * static_cast<size_t>(ncap)));
        if (!n) return false;
        s->blkpos = n;
        s->capblkpos = ncap;
    }
    std::memcpy(s->blkpos[s->nblkpos].handle, handle, 8);
    s->blkpos[s->nblkpos].pos = pos;
    ++s->nblkpos;
    return true;
}

/* The records sorted by handle and by name (ASCII case ignored), each
 * after its position for equal keys, made when the first BLOCK is matched;
 * records added later are never waiting ones. */
bool indexrecs(AdDxfLoad *s)
{
    if (s->blkbyhandle) return true;
    size_t n = static_cast<size_t>(s->nblkrecs);
    s->blkbyhandle = static_cast<int32_t *>(ztmem_malloc(sizeof(int32_t) * (n ? n : 1)));
    s->blkbyname = static_cast<int32_t *>(ztmem_malloc(sizeof(int32_t) * (n ? n : 1)));
    if (!s->blkbyhandle || !s->blkbyname) return false;
    for (int32_t i = 0; i < s->nblkrecs; ++i) s->blkbyhandle[i] = s->blkbyname[i] = i;
    s->nblkindex = s->nblkrecs;
    const AdDxfBlkRec *r = s->blkrecs;
    std::sort(s->blkbyhandle, s->blkbyhandle + n, [r](int32_t a, int32_t b) {
        int c = std::memcmp(r[a].rec.handle, r[b].rec.handle, 8);
        return c < 0 || (c == 0 && a < b);
    });
    std::sort(s->blkbyname, s->blkbyname + n, [r](int32_t a, int32_t b) {
        int c = adstricmp(r[a].rec.name, r[b].rec.name);
        return c < 0 || (c == 0 && a < b);
    });
    return true;
}

/* The first waiting record whose handle is the BLOCK's owner, else the
 * first waiting one of the BLOCK's name. */
AdDxfBlkRec *findrec(AdDxfLoad *s, const unsigned char *owner, const char *name)
{
    if (!indexrecs(s)) return nullptr;
    AdDxfBlkRec *r = s->blkrecs;
    const int32_t *end = s->blkbyhandle + s->nblkindex;
    const int32_t *begin = s->blkbyhandle;
    if (!adObjhandleIsNull(owner)) {
        const int32_t *p = std::lower_bound(begin, end, owner, [r](int32_t a, const unsigned char *h) {
            return std::memcmp(r[a].rec.handle, h, 8) < 0;
        });
        for (; p < end && std::memcmp(r[*p].rec.handle, owner, 8) == 0; ++p)
            if (!r[*p].used) return &r[*p];
    }
    begin = s->blkbyname;
    end = s->blkbyname + s->nblkindex;
    const int32_t *p = std::lower_bound(
        begin, end, name, [r](int32_t a, const char *nm) { return adstricmp(r[a].rec.name, nm) < 0; });
    for (; p < end && adstricmp(r[*p].rec.name, name) == 0; ++p)
        if (!r[*p].used) return &r[*p];
    return nullptr;
}

bool readpos(AdBlob *blob, int32_t i, int64_t *pos)
{
    AdBlobCursor *c = adStartBlobRead(blob);
    bool ok = c && adBlobSeek(c, static_cast<long>(i) * 8) && adReadBlobBytesLong(c, pos, 8);
    adEndBlobRead(c);
    return ok;
}

/* The BLOCK entity at the current position: the header's own fields. */
bool readblock(AdDrawing *dwg, AdBlockheader *b, unsigned char *owner)
{
    if (!dxfnext(dwg) || !dxfis(0, "BLOCK")) return false;
    bool named = false;
    for (;;) {
        if (!dxfnext(dwg)) return false;
        uint16_t code = adin->curcode;
        if (code == 0) {
            dxfback(dwg);
            return true;
        }
        switch (code) {
        case 2:
        case 3:
            if (!named || code == 2) dxfcopy(b->name, adin->curstr, sizeof b->name);
            named = true;
            break;
        case 70: b->flag = static_cast<unsigned char>(dxfint()); break;
        case 10: b->base[0] = dxfreal(); break;
        case 20: b->base[1] = dxfreal(); break;
        case 30: b->base[2] = dxfreal(); break;
        case 1: dxfcopy(b->xrefpath, adin->curstr, sizeof b->xrefpath); break;
        case 4: dxfcopy(b->description, adin->curstr, sizeof b->description); break;
        case 5: std::memcpy(b->blockentityhandle, adin->curhandle, 8); break;
        case 330:
            if (adObjhandleIsNull(owner)) std::memcpy(owner, adin->curhandle, 8);
            break;
        case 102: {
            int32_t n = 0;
            if (!dxfgroup102(dwg, &n, nullptr, nullptr)) return false;
            break;
        }
        default: break;
        }
    }
}

/* Stores a header (an ordinary block: with a new entity list). */
bool storeheader(AdDrawing *dwg, AdBlockheader *b, int64_t pos)
{
    if (!dxfclaimhandle(dwg, b->handle, dwg->version < AD_ACAD13 || dwg->addhandles_tables)) return false;
    if (!b->entitylist && !(b->entitylist = LLCreate())) return false;
    if (!adstoreblockheader(dwg, b, AD_PUT_TAIL, nullptr)) {
        LLDeleteList(b->entitylist);
        return false;
    }
    return pos <= 0 || addpos(dwg->dxf, b->handle, pos);
}

/* The model-space or paper-space header, from what the file gave. */
bool storespace(AdDrawing *dwg, AdBlockheader *b, int kind)
{
    std::strcpy(b->name, kind == 1 ? "*Model_Space" : "*Paper_Space");
    b->entitylist = kind == 1 ? dwg->mspace : dwg->pspace;
    if (!dxfclaimhandle(dwg, b->handle, dwg->version < AD_ACAD13 || dwg->addhandles_tables)) return false;
    if (!adstoreblockheader(dwg, b, AD_PUT_TAIL, nullptr)) return false;
    return true;
}

bool namedalready(AdDrawing *dwg, const char *name)
{
    unsigned char h[8];
    return dxffindname(dwg, AD_LIST_BLKH, name, h) != 0;
}

void discardrec(AdDrawing *dwg, AdBlockheader *r)
{
    dxfdiscardblob(dwg, r->xdblob);
    dxfdiscardblob(dwg, r->reactorblob);
    dxfdiscardblob(dwg, r->previewblob);
    r->xdblob = r->reactorblob = r->previewblob = nullptr;
}

} // namespace

extern "C" {

void dxffreeblkrecs(AdDrawing *dwg)
{
    AdDxfLoad *s = dwg->dxf;
    if (!s) return;
    for (int32_t i = 0; i < s->nblkrecs; ++i)
        if (s->blkrecs[i].used != 1) discardrec(dwg, &s->blkrecs[i].rec);
    ztmem_free(s->blkrecs);
    ztmem_free(s->blkbyhandle);
    ztmem_free(s->blkbyname);
    s->blkrecs = nullptr;
    s->blkbyhandle = s->blkbyname = nullptr;
    s->nblkrecs = s->capblkrecs = s->nblkindex = 0;
}

int16_t dxfstartblockheaderload(AdDrawing *dwg, void *, void *)
{
    if (!dxfloadstart(dwg)) return -1;
    AdDxfLoad *s = dwg->dxf;
    dxffreeblkrecs(dwg);
    s->nblkpos = 0;
    s->nextblock = 0;
    adtablereserve(dwg, AD_LIST_BLKH, dwg->scan.numblocks);
    int16_t r = static_cast<int16_t>(dxfstartblockrecords(dwg));
    if (r < 0) return -1;
    if (r > 0) {
        for (;;) {
            AdBlockheader b;
            r = dxfloadblockrecord(dwg, &b, nullptr);
            if (r < 0) return -1;
            if (r == 0) break;
            if (!addrec(s, b)) {
                discardrec(dwg, &b);
                adseterror(54);
                return -1;
            }
        }
    }
    return 1;
}

int16_t dxfloadblockheader(AdDrawing *dwg, void *, void *)
{
    AdDxfLoad *s = dwg->dxf;
    if (s->nextblock < dwg->scan.numblocks) {
        int64_t pos;
        if (!readpos(dwg->scan.blockposblob, s->nextblock++, &pos) || !dxfseek(dwg, pos)) return -1;
        AdBlockheader b{};
        AdObjhandle owner{};
        if (!readblock(dwg, &b, owner)) {
            adseterror(34);
            return -1;
        }
        AdDxfBlkRec *rec = findrec(s, owner, b.name);
        AdBlockheader h{};
        if (rec) {
            h = rec->rec;
            rec->used = 1;
        }
        if (!h.name[0] || !rec) std::memcpy(h.name, b.name, sizeof h.name);
        h.flag = b.flag;
        std::memcpy(h.base, b.base, sizeof h.base);
        std::memcpy(h.xrefpath, b.xrefpath, sizeof h.xrefpath);
        std::memcpy(h.description, b.description, sizeof h.description);
        std::memcpy(h.blockentityhandle, b.blockentityhandle, 8);
        if (int kind = spacekind(h.name)) {
            /* kept for the end; a second one of a kind is passed over */
            for (int32_t i = 0; i < s->nblkrecs; ++i)
                if (s->blkrecs[i].used == kind + 1) {
                    if (rec) discardrec(dwg, &h);
                    return 1;
                }
            if (rec) {
                rec->rec = h;
                rec->used = static_cast<unsigned char>(kind + 1);
            } else if (!addrec(s, h)) {
                return -1;
            } else {
                s->blkrecs[s->nblkrecs - 1].used = static_cast<unsigned char>(kind + 1);
            }
            return 1;
        }
        if (!h.name[0] || namedalready(dwg, h.name)) {
            if (rec) discardrec(dwg, &h);
            return 1;
        }
        if (!storeheader(dwg, &h, pos)) {
            discardrec(dwg, &h);
            return -1;
        }
        return 1;
    }

    /* records without a BLOCK, then model space and paper space */
    for (int32_t i = 0; i < s->nblkrecs; ++i) {
        AdDxfBlkRec &r = s->blkrecs[i];
        if (r.used) continue;
        int kind = spacekind(r.rec.name);
        if (kind) {
            bool have = false;
            for (int32_t j = 0; j < s->nblkrecs; ++j) have = have || s->blkrecs[j].used == kind + 1;
            if (!have) r.used = static_cast<unsigned char>(kind + 1);
            continue;
        }
        if (!r.rec.name[0] || namedalready(dwg, r.rec.name)) continue;
        r.rec.entitylist = nullptr;
        if (!storeheader(dwg, &r.rec, 0)) return -1;
        r.used = 1;
    }
    for (int kind = 1; kind <= 2; ++kind) {
        AdBlockheader h{};
        AdDxfBlkRec *r = nullptr;
        for (int32_t i = 0; i < s->nblkrecs && !r; ++i)
            if (s->blkrecs[i].used == kind + 1) r = &s->blkrecs[i];
        if (r) h = r->rec;
        if (!storespace(dwg, &h, kind)) return -1;
        if (r) r->used = 1;
    }
    dxffreeblkrecs(dwg);
    std::sort(s->blkpos, s->blkpos + s->nblkpos, [](const AdDxfBlkPos &a, const AdDxfBlkPos &b) {
        return std::memcmp(a.handle, b.handle, 8) < 0;
    });
    return 0;
}

int16_t dxfstartblockdefload(AdDrawing *dwg, void *a, void *)
{
    if (!dxfloadstart(dwg)) return -1;
    AdBlkh *b = static_cast<AdBlkh *>(a);
    AdDxfLoad *s = dwg->dxf;
    if (!b || !s->blkpos) return 0;
    const AdDxfBlkPos *lo = s->blkpos;
    const AdDxfBlkPos *hi = s->blkpos + s->nblkpos;
    const AdDxfBlkPos *p =
        std::lower_bound(lo, hi, b->handle, [](const AdDxfBlkPos &x, const unsigned char *h) {
            return std::memcmp(x.handle, h, 8) < 0;
        });
    if (p == hi || std::memcmp(p->handle, b->handle, 8) != 0) return 0;
    if (!dxfseek(dwg, p->pos)) return -1;
    s->curblkh = b;
    s->blockended = 0;
    s->blockstarted = 0;
    s->subentlist = nullptr;
    s->plineopen = 0;
    return 1;
}

/* ---------------------------------------------------------------- viewport entity headers */

int16_t dxfstartvportenthdrload(AdDrawing *dwg, void *, void *)
{
    if (!dxfloadstart(dwg)) return -1;
    dwg->dxf->recordsread = 0;
    return dwg->scan.numvpents > 0 ? 1 : 0;
}

int16_t dxfloadvportenthdr(AdDrawing *dwg, void *, void *)
{
    AdDxfLoad *s = dwg->dxf;
    if (s->recordsread >= dwg->scan.numvpents) return 0;
    int64_t pos;
    if (!readpos(dwg->scan.vpentposblob, s->recordsread++, &pos) || !dxfseek(dwg, pos)) return -1;
    if (!dxfnext(dwg) || !dxfis(0, "VIEWPORT")) {
        adseterror(302);
        return -1;
    }
    AdVpentHdr v{};
    for (;;) {
        if (!dxfnext(dwg)) return -1;
        if (adin->curcode == 0) break;
        if (adin->curcode == 5)
            std::memcpy(v.vpenthandle, adin->curhandle, 8);
        else if (adin->curcode == 69)
            v.id = static_cast<int16_t>(dxfint());
    }
    dxfback(dwg);
    if (!dxfnewhandle(dwg, v.handle)) return -1;
    return addobjecttolistandindex(dwg, dwg->vpenthdrs, &v, sizeof v, v.handle, AD_PUT_TAIL, nullptr) ? 1
                                                                                                      : -1;
}

} // extern "C"
