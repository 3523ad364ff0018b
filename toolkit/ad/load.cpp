/* The load driver: tells a file's kind and version from its first bytes,
 * runs the header step (for DXF the whole scan pass), decides the handle
 * policy, then runs the load steps in their fixed order through the reader
 * table, reporting progress before each, and finishes with the resolve
 * passes. A failed step frees everything loaded so far and returns null with
 * the step's error code (or the more precise one the step left). */
#include "toolkit/ad/ad_int.h"

#include <cstring>

namespace {

bool has(const unsigned char *b, size_t n, const char *s)
{
    return memmem(b, n, s, std::strlen(s)) != nullptr;
}

bool begins(const unsigned char *b, size_t n, const char *s)
{
    size_t k = std::strlen(s);
    return n >= k && std::memcmp(b, s, k) == 0;
}

/* The file kind that the first bytes of a file show (AD_FILE_...), or -1
 * for a file that is no drawing: a DWG file begins with "AC", a DXF file
 * holds "SECTION" in its first bytes or begins with a comment. */
int sniffkind(const unsigned char *b, size_t n)
{
    if (begins(b, n, "AC")) return AD_FILE_DWG;
    if (!has(b, n, "SECTION") && !begins(b, n, "999")) return -1;
    return begins(b, n, "AutoCAD Binary DXF") ? AD_FILE_BINARY_DXF : AD_FILE_ASCII_DXF;
}

/* Frees the drawing and everything in it; the stream is closed. */
void freedrawing(AdDrawing *dwg)
{
    if (!dwg) return;
    for (AdDrawing *&x : dwg->xref) {
        if (x) adCloseFile(x);
        x = nullptr;
    }
    for (int t = AD_LIST_BLKH; t >= 0; --t) adfreetablelist(dwg, t);
    adfreeentitylist(dwg, dwg->mspace);
    adfreeentitylist(dwg, dwg->pspace);
    dwg->mspace = dwg->pspace = nullptr;
    adfreeobjectlist(dwg);
    adfreeclasslist(dwg);
    LLDeleteList(dwg->vpenthdrs);
    bt_deltree(dwg);
    adDeleteBlob(dwg->scan.blockposblob);
    adDeleteBlob(dwg->scan.vpentposblob);
    dxfloadend(dwg);
    dwgloadend(dwg);
    adDeleteBlob(static_cast<AdBlob *>(dwg->xdresolve));
    if (dwg->stream) ztior_close(dwg->stream);
    adUnloadFontFiles(dwg);
    ztmem_free(dwg->blkhindex);
    ztmem_free(dwg->header);
    ztvm_arenadestroy(dwg->entityarena);
    ztmem_free(dwg);
}

/* Handle policy of files older than index 5 (AC1012). */
void setaddhandlesstate(AdDrawing *dwg)
{
    dwg->addhandles_ents = dwg->addhandles_tables = 0;
    int v = dwg->version;
    if (v >= AD_ACAD13) return;
    int handling = dwg->header ? dwg->header->handling : 0;
    bool all = v < AD_ACAD10 || dwg->invalidversion || adin->forceaddinghandles;
    if (all) {
        dwg->addhandles_ents = dwg->addhandles_tables = 1;
    } else if (v == AD_ACAD11) {
        dwg->addhandles_ents = dwg->addhandles_tables = handling == 0;
    } else if (v == AD_ACAD10) {
        dwg->addhandles_ents = handling == 0;
        dwg->addhandles_tables = dwg->filetype == AD_FILE_DWG ? handling == 0 : 1;
    }
}

/* Makes the drawing's handle seed larger than a handle. */
void raiseseed(AdDrawing *dwg, const unsigned char *h)
{
    if (std::memcmp(dwg->handseed, h, 8) > 0) return;
    std::memcpy(dwg->handseed, h, 8);
    adIncrementObjhandle(dwg->handseed);
}

void nexthandle(AdDrawing *dwg, unsigned char *out)
{
    std::memcpy(out, dwg->handseed, 8);
    adIncrementObjhandle(dwg->handseed);
}

/* Runs a start reader and then its record reader until it reports the end. */
bool tablestep(AdDrawing *dwg, int16_t (*start)(AdDrawing *), int16_t (*load)(AdDrawing *))
{
    int16_t r = start(dwg);
    if (r < 0) return false;
    if (r == 0) return true;
    while ((r = load(dwg)) > 0)
        if (!adin->loading) return false;
    return r == 0;
}

bool entitystep(AdDrawing *dwg)
{
    int16_t r = startentityload(dwg);
    if (r < 0) return false;
    if (r == 0) return true;
    while ((r = loadentity(dwg, nullptr)) > 0)
        if (!adin->loading) return false;
    return r == 0;
}

bool blockentitystep(AdDrawing *dwg)
{
    for (LLNode *n = dwg->blkhs->head; n; n = n->next) {
        AdBlkh *b = AD_BLKH(n);
        if (b->entitylist && (b->entitylist == dwg->mspace || b->entitylist == dwg->pspace)) continue;
        if (!b->entitylist && !(b->entitylist = LLCreate())) return false;
        int16_t r = startblockdefload(dwg, b);
        if (r < 0) return false;
        if (r == 0) continue;
        while ((r = loadentity(dwg, b->entitylist)) > 0)
            if (!adin->loading) return false;
        if (r < 0) return false;
    }
    return true;
}

bool objectstep(AdDrawing *dwg)
{
    int16_t r = startobjectload(dwg);
    if (r < 0) return false;
    if (r == 0) return true;
    for (;;) {
        int16_t t = getnextobjecttype(dwg);
        if (t < 0) return false;
        if (t == 0) return true;
        if (t == AD_OBJ_DICTIONARY)
            r = loaddictionaryobject(dwg);
        else if (t == AD_OBJ_MLINESTYLE)
            r = loadmlstyle(dwg);
        else if (t == AD_OBJ_GROUP)
            r = loadgroup(dwg);
        else
            r = loadproxyobject(dwg, t);
        if (r < 0 || !adin->loading) return false;
    }
}

/* Header names that are resolved to handles once the tables are loaded. */
bool resolveheader(AdDrawing *dwg)
{
    AdHeader *h = dwg->header;
    char(*nm)[512] = adin->names;
    struct Item {
        int name;
        unsigned char *out;
        int (*find)(AdDrawing *, const char *, unsigned char *);
    } items[] = {
        {AD_NM_CLAYER, h->clayer, adFindLayerByName},
        {AD_NM_CELTYPE, h->celtype, adFindLinetypeByName},
        {AD_NM_TEXTSTYLE, h->textstyle, adFindShapefileByName},
        {AD_NM_DIMTXSTY, h->dimtxsty, adFindShapefileByName},
        {AD_NM_DIMSTYLE, h->dimstyle, adFindDimstyleByName},
        {AD_NM_UCSNAME, h->ucsname, adFindUcsByName},
        {AD_NM_UCSBASE, h->ucsbase, adFindUcsByName},
        {AD_NM_UCSORTHOREF, h->ucsorthoref, adFindUcsByName},
        {AD_NM_PUCSNAME, h->pucsname, adFindUcsByName},
        {AD_NM_PUCSBASE, h->pucsbase, adFindUcsByName},
        {AD_NM_PUCSORTHOREF, h->pucsorthoref, adFindUcsByName},
    };
    for (const Item &it : items)
        if (nm[it.name][0]) it.find(dwg, nm[it.name], it.out);
    if (!adstricmp(nm[AD_NM_CELTYPE], "BYLAYER")) std::memcpy(h->celtype, dwg->bylayerltype, 8);
    if (!adstricmp(nm[AD_NM_CELTYPE], "BYBLOCK")) std::memcpy(h->celtype, dwg->byblockltype, 8);
    return true;
}

/* The multiline style named by CMLSTYLE, among the MLINESTYLE objects. */
void findcmlstyle(AdDrawing *dwg)
{
    const char *name = adin->names[AD_NM_CMLSTYLE];
    for (LLNode *n = dwg->objects->head; n; n = n->next) {
        const AdObjectHeader *h = static_cast<const AdObjectHeader *>(LL_RECORD(n));
        if (h->objtype != AD_OBJ_MLINESTYLE) continue;
        const AdObjMlinestyle *m = reinterpret_cast<const AdObjMlinestyle *>(h + 1);
        if (!adstricmp(m->name, name)) {
            std::memcpy(dwg->header->cmlstyle, h->handle, 8);
            return;
        }
    }
}

/* Block headers whose extension dictionary has an entry ACAD_UNLOAD are
 * unloaded external references. */
void markunloadedxrefs(AdDrawing *dwg)
{
    for (LLNode *n = dwg->blkhs->head; n; n = n->next) {
        AdBlkh *b = AD_BLKH(n);
        if (adObjhandleIsNull(b->xdicthandle)) continue;
        LLNode *d = static_cast<LLNode *>(bt_search(dwg, b->xdicthandle, dwg->btroot));
        if (!d || d->list != dwg->objects) continue;
        const AdObjectHeader *h = static_cast<const AdObjectHeader *>(LL_RECORD(d));
        if (h->objtype != AD_OBJ_DICTIONARY) continue;
        const AdObjDictionary *dict = reinterpret_cast<const AdObjDictionary *>(h + 1);
        AdBlobCursor *c = adStartBlobRead(dict->itemblob);
        char name[AD_NAME_LEN];
        AdObjhandle item;
        while (c && adReadDicItem(c, name, sizeof name, item))
            if (!adstricmp(name, "ACAD_UNLOAD")) {
                b->xrefunloaded = 1;
                break;
            }
        adEndBlobRead(c);
    }
}

struct Step {
    int16_t error;
    int16_t progress; /* -1: none */
    bool (*run)(AdDrawing *);
};

bool stepltypes(AdDrawing *d) { return tablestep(d, startlinetypeload, loadlinetype); }
bool steplayers(AdDrawing *d) { return tablestep(d, startlayerload, loadlayer); }
bool stepclasses(AdDrawing *d)
{
    if (!tablestep(d, startclassload, loadclass)) return false;
    d->adpartclass = adClassnumOfName(d, "ADPART");
    d->proxywrapperclass = adClassnumOfName(d, "ACAD_PROXY_OBJECT_WRAPPER");
    return true;
}
bool stepvports(AdDrawing *d) { return tablestep(d, startvportload, loadvport); }
bool stepucss(AdDrawing *d) { return tablestep(d, startucsload, loaducs); }
bool stepregapps(AdDrawing *d) { return tablestep(d, startregappload, loadregapp); }
bool stepviews(AdDrawing *d) { return tablestep(d, startviewload, loadview); }
bool stepshapes(AdDrawing *d) { return tablestep(d, startshapefileload, loadshapefile); }
bool stepblkhs(AdDrawing *d) { return tablestep(d, startblockheaderload, loadblockheader); }
bool stepdimstyles(AdDrawing *d) { return tablestep(d, startdimstyleload, loaddimstyle); }
bool stepvpents(AdDrawing *d)
{
    if (d->filetype != AD_FILE_DWG) return true;
    return tablestep(d, startvportenthdrload, loadvportenthdr);
}

const Step kSteps[] = {
    {45, 4, stepltypes},  {46, 8, steplayers},     {47, 12, stepclasses},    {48, 16, stepvports},
    {49, 20, stepucss},   {50, 24, stepregapps},   {51, 28, stepviews},      {52, 32, stepshapes},
    {54, 36, stepblkhs},  {53, 40, stepdimstyles}, {55, 46, entitystep},     {130, -1, blockentitystep},
    {56, -1, objectstep}, {70, 96, stepvpents},    {131, -1, resolveheader},
};

AdDrawing *fail(AdDrawing *dwg)
{
    freedrawing(dwg);
    return nullptr;
}

} // namespace

extern "C" {

const char *const adversionnames[8] = {"AC1002", "AC1003", "AC1004", "AC1006",
                                       "AC1009", "AC1012", "AC1014", "AC1015"};

int adSniffFileKind(const char *path)
{
    ZtStream *stream = ztior_open(path);
    if (!stream) return -1;
    unsigned char sniff[AD_SNIFF_SIZE];
    size_t n = 0;
    ztior_read(stream, sniff, sizeof sniff, &n);
    ztior_close(stream);
    return sniffkind(sniff, n);
}

int adReadDicItem(AdBlobCursor *c, char *name, long capacity, unsigned char *handle)
{
    return adReadBlobString(c, name, capacity) && adReadBlobObjhandle(c, handle);
}

int adWriteDicItem(AdBlobCursor *c, const char *name, const unsigned char *handle)
{
    return adWriteBlobString(c, name) && adWriteBlobObjhandle(c, handle);
}

AdDrawing *adEmptyFile(void)
{
    if (!adin) return nullptr;
    adseterror(1);
    AdDrawing *d = static_cast<AdDrawing *>(ztmem_malloc(sizeof(AdDrawing)));
    if (!d) return nullptr;
    d->version = AD_VERSION_UNKNOWN;
    LLList **lists[] = {&d->ltypes,  &d->layers,  &d->shapes,    &d->views,     &d->ucss,
                        &d->vports,  &d->regapps, &d->dimstyles, &d->vpenthdrs, &d->blkhs,
                        &d->classes, &d->objects, &d->mspace,    &d->pspace};
    for (LLList **l : lists)
        if (!(*l = LLCreate())) return fail(d);
    bt_init(d);
    adseterror(0);
    return d;
}

AdDrawing *adloadfilex(const char *path, unsigned char preloadmode, AdDrawing **out, int16_t add2000objects,
                       void *userdata)
{
    if (out) *out = nullptr;
    if (!adin) return nullptr;
    adin->loading = 1;
    std::memset(adin->largesthandle, 0, 8);
    AdDrawing *dwg = adEmptyFile();
    if (!dwg) return nullptr;
    dwg->userdata = userdata;
    if (!path || std::strlen(path) >= sizeof dwg->filename) {
        adseterror(3);
        return fail(dwg);
    }
    std::strcpy(dwg->filename, path);
    dwg->header = static_cast<AdHeader *>(ztmem_malloc(sizeof(AdHeader)));
    if (!dwg->header) {
        adseterror(181);
        return fail(dwg);
    }

    adseterror(3);
    dwg->stream = ztior_open(path);
    if (!dwg->stream) return fail(dwg);

    adseterror(4);
    dwg->readers = &adin->dwgreaders;
    dwg->filetype = AD_FILE_DWG;
    unsigned char *sniff = static_cast<unsigned char *>(ztmem_malloc(AD_SNIFF_SIZE));
    if (!sniff) {
        adseterror(11);
        adcriticalerror(2);
        return fail(dwg);
    }
    size_t n = 0;
    ztior_read(dwg->stream, sniff, AD_SNIFF_SIZE, &n);
    const int kind = sniffkind(sniff, n);
    const bool accepted = kind >= 0;
    if (kind != AD_FILE_DWG) {
        dwg->isdxf = 1;
        dwg->filetype = kind == AD_FILE_BINARY_DXF ? AD_FILE_BINARY_DXF : AD_FILE_ASCII_DXF;
        dwg->readers = &adin->dxfreaders;
    }
    dwg->version = AD_VERSION_UNKNOWN;
    for (int i = 0; i < 8 && dwg->version < 0; ++i)
        if (has(sniff, n, adversionnames[i])) dwg->version = static_cast<int16_t>(i);
    if (dwg->version < 0) {
        if (begins(sniff, n, "AC1013")) {
            dwg->version = AD_ACAD14;
            dwg->prerelease = 1;
        } else if (begins(sniff, n, "AC1500")) {
            dwg->version = AD_ACAD2000;
        }
    }
    ztmem_free(sniff);
    if (dwg->prerelease && !adin->acceptr14beta) {
        adseterror(286);
        return fail(dwg);
    }
    adseterror(5);
    if (dwg->isdxf && !accepted) return fail(dwg);

    if (ztior_seek(dwg->stream, 0) != 0) return fail(dwg);
    adseterror(22);
    if (loadheader(dwg) <= 0) return fail(dwg);

    setaddhandlesstate(dwg);
    adloadometer(0);
    if (dwg->header->handling)
        std::memcpy(dwg->handseed, dwg->header->handseed, 8);
    else
        std::memcpy(dwg->handseed, adin->handle1a, 8);
    if (adObjhandleIsNull(dwg->handseed)) std::memcpy(dwg->handseed, adin->handle1a, 8);
    if (dwg->version < AD_ACAD13)
        for (unsigned char *h : dwg->scan.tablecontrol) nexthandle(dwg, h);
    dwg->preloadmode = preloadmode;

    for (const Step &s : kSteps) {
        adseterror(s.error);
        if (s.progress >= 0) adloadometer(s.progress);
        if (!adin->loading || !s.run(dwg)) {
            if (!adin->loading) adseterror(s.error);
            return fail(dwg);
        }
    }

    if (dwg->filetype == AD_FILE_ASCII_DXF && dwg->version == AD_ACAD2000) setPlotstyleDicShadow(dwg);
    adseterror(133);
    if (dwg->version < AD_ACAD13 && !adddefaultobjects(dwg)) return fail(dwg);
    if (add2000objects && dwg->version < AD_ACAD2000 && !addA2kDefaultObjects(dwg)) return fail(dwg);
    if (dwg->isdxf && dwg->version >= AD_ACAD13) findcmlstyle(dwg);

    ztior_close(dwg->stream);
    dwg->stream = nullptr;
    adseterror(0);

    if (dwg->xdresolve) {
        finalxdresolve(dwg);
        fixViewportEnts(dwg);
    }
    dxfloadend(dwg);
    dwgloadend(dwg);
    resolveDimstyles(dwg);
    localToUniversal(dwg);
    adloadometer(100);
    adDeleteBlob(dwg->scan.blockposblob);
    adDeleteBlob(dwg->scan.vpentposblob);
    dwg->scan.blockposblob = dwg->scan.vpentposblob = nullptr;
    ztmem_free(dwg->blkhindex);
    dwg->blkhindex = nullptr;

    /* the seed goes above every handle in use: the indexed ones and the
       table controls, which are not indexed; then the DXF viewport-entity
       control takes the next one */
    raiseseed(dwg, adin->largesthandle);
    for (const unsigned char *h : dwg->scan.tablecontrol) raiseseed(dwg, h);
    raiseseed(dwg, dwg->vpenthdrcontrol);
    if (dwg->isdxf) nexthandle(dwg, dwg->vpenthdrcontrol);
    std::memcpy(dwg->header->handseed, dwg->handseed, 8);
    if (dwg->version == AD_ACAD14) markunloadedxrefs(dwg);
    if (out) *out = dwg;
    return dwg;
}

AdDrawing *adLoadFile(const char *path, unsigned char preloadmode, int16_t add2000objects)
{
    return adloadfilex(path, preloadmode, nullptr, add2000objects, nullptr);
}

AdDrawing *adLoadFileUserData(const char *path, unsigned char preloadmode, int16_t add2000objects,
                              void *userdata)
{
    return adloadfilex(path, preloadmode, nullptr, add2000objects, userdata);
}

AdDrawing *adGetXrefDbHandle(AdDrawing *parent, const char *path)
{
    if (!parent || !path) return nullptr;
    int freeslot = -1;
    for (int i = 0; i < AD_MAX_XREFS; ++i) {
        AdDrawing *x = parent->xref[i];
        if (x && std::strcmp(x->filename, path) == 0) return x;
        if (!x && freeslot < 0) freeslot = i;
    }
    if (freeslot < 0) {
        adseterror(20);
        return nullptr;
    }
    AdDrawing *x = adloadfilex(path, 1, nullptr, 1, parent->userdata);
    if (x) parent->xref[freeslot] = x;
    return x;
}

int adCloseFile(AdDrawing *dwg)
{
    if (!dwg) return 0;
    freedrawing(dwg);
    return 1;
}

int adFileTypeLoaded(const AdDrawing *dwg) { return dwg ? dwg->filetype : -1; }
int adFileVersionLoaded(const AdDrawing *dwg) { return dwg ? dwg->version : -1; }
const char *adGetFileLoadName(const AdDrawing *dwg) { return dwg ? dwg->filename : nullptr; }
unsigned adDxfQualityFlags(const AdDrawing *dwg) { return dwg ? dwg->qualityflags : 0; }
AdHeader *adHeaderOf(AdDrawing *dwg) { return dwg ? dwg->header : nullptr; }

} // extern "C"
