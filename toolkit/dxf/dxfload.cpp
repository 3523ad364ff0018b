/* What every DXF section loader shares: pair access with one pair of
 * look-back, the loaders' working state of one load, fresh handles, names
 * of table records, the 102 groups (reactors and extension dictionary),
 * pair blobs, and the storing of entities.
 *
 * Look-back: dxfnext delivers the next pair; a loader that has read the
 * first pair of what follows its record hands it back with dxfback, and the
 * next dxfnext delivers the same current pair again without reading. A seek
 * forgets a handed-back pair. Invariant: while dwg->dxf->pushed is set, the
 * toolkit state's current pair is the one read at dwg->dxf->lastpos.
 *
 * A file cut short ends, for the load pass, at the record the scan could
 * not finish: every read from there on delivers (0, EOF), which every
 * section loader takes as the end of what it reads. */
#include "toolkit/dxf/dxf_int.h"

#include <cmath>
#include <cstdio>
#include <cstring>

extern "C" {

/* ---------------------------------------------------------------- pairs */

namespace {

int atcut(AdDxfLoad *s)
{
    if (!s->cut || s->lastpos < s->cutpos) return 0;
    adin->curcode = 0;
    std::strcpy(adin->curstr, "EOF");
    return 1;
}

} // namespace

int dxfnext(AdDrawing *dwg)
{
    AdDxfLoad *s = dwg->dxf;
    if (s->pushed) {
        s->pushed = 0;
        return 1;
    }
    s->lastpos = ztior_tell(dwg->stream);
    return atcut(s) || getdxfpair(dwg);
}

int dxfnextlite(AdDrawing *dwg)
{
    AdDxfLoad *s = dwg->dxf;
    if (s->pushed) {
        s->pushed = 0;
        return 1;
    }
    s->lastpos = ztior_tell(dwg->stream);
    return atcut(s) || getdxfpairlite(dwg, s->scanhandles);
}

void dxfback(AdDrawing *dwg) { dwg->dxf->pushed = 1; }

int dxfseek(AdDrawing *dwg, int64_t pos)
{
    dwg->dxf->pushed = 0;
    return ztior_seek(dwg->stream, pos) == 0;
}

int dxfis(uint16_t code, const char *text)
{
    return adin->curcode == code && std::strcmp(adin->curstr, text) == 0;
}

int32_t dxfint(void)
{
    switch (advaluekind(adin->curcode)) {
    case AD_VK_INT16: return adin->curshort;
    case AD_VK_INT32: return adin->curlong;
    case AD_VK_REAL: {
        double v = adin->curreal;
        if (!(v > -2147483648.0)) return INT32_MIN;
        if (!(v < 2147483647.0)) return INT32_MAX;
        return static_cast<int32_t>(v);
    }
    default: return adatol(adin->curstr);
    }
}

double dxfreal(void)
{
    switch (advaluekind(adin->curcode)) {
    case AD_VK_REAL: return adin->curreal;
    case AD_VK_INT16: return adin->curshort;
    case AD_VK_INT32: return adin->curlong;
    default: return zt_atof(adin->curstr);
    }
}

int32_t dxfcount(AdDrawing *dwg)
{
    int32_t n;
    if (advaluekind(adin->curcode) != AD_VK_INT16)
        n = dxfint();
    else if (dwg->filetype == AD_FILE_BINARY_DXF)
        n = static_cast<uint16_t>(adin->curshort);
    else
        n = adatol(adin->curstr);
    return n < 0 ? 0 : n;
}

double dxfangle(void) { return dxfreal() * (M_PI / 180.0); }

int dxfseq(AdDrawing *dwg)
{
    if (!dxfnext(dwg)) {
        if (adin->error != 298 && adin->error != 299) adseterror(32);
        return 0;
    }
    if (adin->curcode == 0) {
        dxfback(dwg);
        adseterror(32);
        return 0;
    }
    return 1;
}

int dxfskipdamaged(AdDrawing *dwg, int64_t pos)
{
    if (!dxfseek(dwg, pos) || !dxfnext(dwg) || adin->curcode != 0) return 0;
    char name[40];
    dxfcopy(name, adin->curstr, sizeof name);
    do {
        if (!dxfnext(dwg)) return 0;
    } while (adin->curcode != 0);
    dxfback(dwg);
    if (adin->warning) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "The %s record at byte %lld holds less data than its counts say: it is left out", name,
                      static_cast<long long>(pos));
        adin->warning(text);
    }
    return 1;
}

void dxfcopy(char *dst, const char *src, size_t capacity)
{
    size_t n = std::strlen(src);
    if (n >= capacity) n = capacity - 1;
    std::memcpy(dst, src, n);
    dst[n] = '\0';
}

/* ---------------------------------------------------------------- state */

int dxfloadstart(AdDrawing *dwg)
{
    if (!dwg->entityarena) dwg->entityarena = ztvm_arenacreate();
    adsetblobarena(dwg->entityarena);
    if (dwg->dxf) return 1;
    dwg->dxf = static_cast<AdDxfLoad *>(ztmem_malloc(sizeof(AdDxfLoad)));
    if (!dwg->dxf) {
        adseterror(14);
        adcriticalerror(2);
        return 0;
    }
    return 1;
}

void dxfloadend(AdDrawing *dwg)
{
    if (adblobarena() == dwg->entityarena) adsetblobarena(nullptr);
    AdDxfLoad *s = dwg->dxf;
    if (!s) return;
    if (s->plineopen) adFreeEntityData(&s->plinehdr, nullptr);
    ztmem_free(s->scratch);
    if (s->graveyard) {
        AdBlobCursor *c = adStartBlobRead(s->graveyard);
        AdBlob *b;
        while (c && adReadBlobBytesLong(c, &b, sizeof b)) adDeleteBlob(b);
        adEndBlobRead(c);
        adDeleteBlob(s->graveyard);
    }
    adDeleteBlob(s->mlinefix);
    dxffreeblkrecs(dwg);
    ztmem_free(s->blkpos);
    ztmem_free(s);
    dwg->dxf = nullptr;
}

void dxfdiscardblob(AdDrawing *dwg, AdBlob *blob)
{
    if (!blob) return;
    AdDxfLoad *s = dwg->dxf;
    /* without resolve entries nothing can point into it */
    if (!s || !dwg->xdresolve) {
        adDeleteBlob(blob);
        return;
    }
    if (!s->graveyard && !(s->graveyard = adCreateBlobEx(4096))) return;
    AdBlobCursor *c = adStartBlobAppend(s->graveyard);
    if (!c) return;
    adWriteBlobBytesLong(c, &blob, sizeof blob);
    adEndBlobAppend(c);
}

int dxfnewhandle(AdDrawing *dwg, unsigned char *handle) { return adGenerateObjhandle(dwg, handle); }

int dxfrenumber(AdDrawing *dwg, unsigned char *handle)
{
    char taken[17], fresh[17];
    adBinaryObjhandleToAscii(handle, taken);
    if (!dxfnewhandle(dwg, handle)) return 0;
    adBinaryObjhandleToAscii(handle, fresh);
    if (adin->warning) {
        char text[96];
        std::snprintf(text, sizeof text, "Duplicate handle %s in file: the record takes handle %s", taken,
                      fresh);
        adin->warning(text);
    }
    return 1;
}

int dxfclaimhandle(AdDrawing *dwg, unsigned char *handle, int fresh)
{
    if (fresh || adObjhandleIsNull(handle)) return dxfnewhandle(dwg, handle);
    if (!bt_search(dwg, handle, dwg->btroot)) return 1;
    return dxfrenumber(dwg, handle);
}

int dxffindname(AdDrawing *dwg, int list, const char *name, unsigned char *handle)
{
    return adtablefindhandle(dwg, list, name, handle);
}

/* ---------------------------------------------------------------- groups, pairs */

int dxfgroup102(AdDrawing *dwg, int32_t *numreactors, AdBlob **reactors, unsigned char *xdict)
{
    bool isreactors = reactors && std::strcmp(adin->curstr, "{ACAD_REACTORS") == 0;
    bool isxdict = xdict && std::strcmp(adin->curstr, "{ACAD_XDICTIONARY") == 0;
    AdBytes found{};
    int ok = 1;
    for (;;) {
        if (!dxfnext(dwg)) {
            ok = 0;
            break;
        }
        uint16_t code = adin->curcode;
        if (code == 0) { /* an unclosed group ends with the record */
            dxfback(dwg);
            break;
        }
        if (code == 102) {
            if (adin->curstr[0] == '}') break;
            continue;
        }
        if (isreactors && code == 330) {
            if (!adbytesput(&found, adin->curhandle, 8)) ok = 0;
            ++*numreactors;
        } else if (isxdict && code == 360) {
            std::memcpy(xdict, adin->curhandle, 8);
        }
    }
    if (ok && found.n) {
        if (!*reactors) {
            *reactors = adbytesblob(&found);
            if (!*reactors) ok = 0;
        } else {
            AdBlobCursor *c = adStartBlobAppend(*reactors);
            ok = c && adWriteBlobBytesLong(c, found.p, static_cast<long>(found.n));
            ok = adEndBlobAppend(c) && ok;
        }
    }
    adbytesfree(&found);
    if (!ok && adin->error != 298 && adin->error != 299) adseterror(32);
    return ok;
}

int dxfputpair(AdBytes *b)
{
    int16_t code = static_cast<int16_t>(adin->curcode);
    if (!adbytesput(b, &code, 2)) return 0;
    switch (advaluekind(adin->curcode)) {
    case AD_VK_REAL: return adbytesput(b, &adin->curreal, 8);
    case AD_VK_INT16: return adbytesput(b, &adin->curshort, 2);
    case AD_VK_INT32: return adbytesput(b, &adin->curlong, 4);
    case AD_VK_HANDLE: return adbytesput(b, adin->curhandle, 8);
    case AD_VK_HEX310:
    case AD_VK_BIN1004: {
        unsigned char buf[AD_MAX_LINE / 2 + 2];
        int32_t n = 0;
        if (adin->curcode == 1004 && adin->curbinlen > 0 &&
            !std::strchr("0123456789ABCDEFabcdef", adin->curstr[0])) {
            n = adin->curbinlen;
            std::memcpy(buf, adin->curstr, static_cast<size_t>(n));
        } else if (adAsciiHexToBinaryCount(adin->curstr) <= static_cast<int32_t>(sizeof buf)) {
            adAsciiHexToBinaryEx(adin->curstr, buf, &n);
        }
        int16_t len = static_cast<int16_t>(n);
        return adbytesput(b, &len, 2) && adbytesput(b, buf, static_cast<size_t>(n));
    }
    default: return adbytesput(b, adin->curstr, std::strlen(adin->curstr) + 1);
    }
}

int adReadBlobPair(AdBlobCursor *c, AdBlobPair *p)
{
    if (!c || !p || !adReadBlobShort(c, &p->code)) return 0;
    p->length = 0;
    p->text[0] = '\0';
    switch (advaluekind(static_cast<uint16_t>(p->code))) {
    case AD_VK_REAL: p->kind = AD_PAIR_REAL; return adReadBlobDouble(c, &p->real);
    case AD_VK_INT16: {
        int16_t v;
        p->kind = AD_PAIR_INT16;
        if (!adReadBlobShort(c, &v)) return 0;
        p->integer = v;
        return 1;
    }
    case AD_VK_INT32: p->kind = AD_PAIR_INT32; return adReadBlobLong(c, &p->integer);
    case AD_VK_HANDLE: p->kind = AD_PAIR_HANDLE; return adReadBlobObjhandle(c, p->handle);
    case AD_VK_HEX310:
    case AD_VK_BIN1004: {
        int16_t n;
        p->kind = AD_PAIR_BINARY;
        if (!adReadBlobShort(c, &n) || n < 0 || n > static_cast<int16_t>(sizeof p->text)) return 0;
        p->length = n;
        return adReadBlobBytesLong(c, p->text, n);
    }
    default:
        p->kind = AD_PAIR_STRING;
        if (!adReadBlobString(c, p->text, sizeof p->text)) return 0;
        p->length = static_cast<long>(std::strlen(p->text));
        return 1;
    }
}

int dxfcodepage(AdDrawing *dwg) { return dwg->header ? dwg->header->dwgcodepage : 30; }

/* ---------------------------------------------------------------- handles */

int dxfstoreentity(AdDrawing *dwg, LLList *list, AdEntityHeader *hdr, AdEntityRecord *rec)
{
    if (adObjhandleIsNull(hdr->handle) && !dxfnewhandle(dwg, hdr->handle)) return 0;
    if (adStoreEntity(dwg, list, hdr, rec)) return 1;
    if (adin->error == 172) { /* a handle the file gave twice: a fresh one */
        adseterror(0);
        if (dxfrenumber(dwg, hdr->handle) && adStoreEntity(dwg, list, hdr, rec)) return 1;
    }
    adseterror(adin->error == 172 || adin->error == 173 ? 290 : 289);
    return 0;
}

} // extern "C"

extern "C" int dxffieldread(AdFieldTable *t, void *rec, int codepage)
{
    if (!t->built) {
        std::memset(t->map, 0, sizeof t->map);
        for (int i = t->count - 1; i >= 0; --i)
            if (t->fields[i].code < sizeof t->map) t->map[t->fields[i].code] = static_cast<uint8_t>(i + 1);
        t->built = 1;
    }
    uint16_t code = adin->curcode;
    if (code >= sizeof t->map || !t->map[code]) return 0;
    const AdField &f = t->fields[t->map[code] - 1];
    unsigned char *p = static_cast<unsigned char *>(rec) + f.off;
    switch (f.kind) {
    case AD_F_BYTE: *p = static_cast<unsigned char>(dxfint()); break;
    case AD_F_I16: {
        int16_t v = static_cast<int16_t>(dxfint());
        std::memcpy(p, &v, 2);
        break;
    }
    case AD_F_I32: {
        int32_t v = dxfint();
        std::memcpy(p, &v, 4);
        break;
    }
    case AD_F_REAL: {
        double v = dxfreal();
        std::memcpy(p, &v, 8);
        break;
    }
    case AD_F_ANGLE: {
        double v = dxfangle();
        std::memcpy(p, &v, 8);
        break;
    }
    case AD_F_STR: dxfcopy(reinterpret_cast<char *>(p), adin->curstr, f.size); break;
    case AD_F_TEXT: adstrcpytrans(reinterpret_cast<char *>(p), adin->curstr, f.size, codepage); break;
    case AD_F_HANDLE:
        if (advaluekind(code) == AD_VK_HANDLE)
            std::memcpy(p, adin->curhandle, 8);
        else if (std::strlen(adin->curstr) <= 16)
            adAsciiObjhandleToBinary(adin->curstr, p);
        break;
    default: return 0;
    }
    return 1;
}

extern "C" {} // extern "C"
