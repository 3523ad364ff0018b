/* Toolkit start-up and shutdown, the settings and callback setters, and the
 * reading of the init data. The toolkit state is one zero-filled record per
 * process behind adin (null while the toolkit is stopped); start-up fills it
 * in a fixed order, setting the error code before each step so that a failure
 * leaves the code of the step that failed, and frees everything in reverse
 * order when a step fails. */
#include "toolkit/ad/ad_int.h"
#include "toolkit/sh/sh.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

AdToolkitState *adin = nullptr;

namespace {

AdCriticalErrorFn g_defaultcritical = nullptr;
/* Init-data access is chosen before start-up, which reads the init data. */
AdOpenInitFn g_openinit = ztior_fopen;
AdReadInitCharFn g_readinitchar = ztior_fgetc;
AdReadInitCharsFn g_readinitchars = ztior_fread;
AdSeekInitFn g_seekinit = ztior_fseek;
AdCloseInitFn g_closeinit = ztior_fclose;
const char kVersion[] = "VyrDxf2Cgm drawing file toolkit 1.0 (DXF AC1002 to AC1015)";

/* Reads n packed 6-byte entries (16-bit number, 32-bit value) field by field. */
bool readentries(AdInitEntry *out, int n)
{
    unsigned char raw[6];
    for (int i = 0; i < n; ++i) {
        if (!adin->readinitchars(raw, 1, sizeof raw)) return false;
        out[i].number = static_cast<uint16_t>(bts(raw));
        out[i].value = static_cast<uint32_t>(btl(raw + 2));
    }
    return true;
}

/* The init data's optional extension after the second font: the tag
 * "XCP1", a 16-bit count and the 32-bit offsets of the code-page tables
 * beyond the fixed layout's 38. Init data without it has no such tables. */
void readextension()
{
    unsigned char tag[6];
    if (!adin->readinitchars(tag, 1, sizeof tag) || std::memcmp(tag, "XCP1", 4) != 0) return;
    int n = bts(tag + 4);
    for (int i = 0; i < n && AD_INIT_CODEPAGES + i < AD_CP_TABLES; ++i) {
        unsigned char off[4];
        if (!adin->readinitchars(off, 4, 1)) return;
        adin->codepageoffset[AD_INIT_CODEPAGES + i] = static_cast<uint32_t>(btl(off));
    }
}

/* The init data: banner ending in 'H', code-page offsets, the two fonts. */
bool readinitdata()
{
    adin->error = 15;
    if (!adin->openinit || !adin->readinitchar || !adin->readinitchars || !adin->closeinit ||
        !adin->openinit(adin->initfilename)) {
        adin->error = 182;
        return false;
    }
    bool ok = false;
    int prev = -1, c;
    long n = 0;
    while ((c = adin->readinitchar()) > 0 && ++n < 4096) prev = c;
    if (c != 0 || prev != 'H') {
        adin->error = 183;
    } else {
        unsigned char offs[AD_INIT_CODEPAGES * 4];
        ok = adin->readinitchars(offs, 4, AD_INIT_CODEPAGES) && readentries(adin->font1index, 100) &&
             adin->readinitchars(adin->font1data, 1, sizeof adin->font1data) &&
             readentries(adin->font2index, 103) &&
             adin->readinitchars(adin->font2data, 1, sizeof adin->font2data);
        if (ok) {
            for (int i = 0; i < AD_CP_TABLES; ++i)
                adin->codepageoffset[i] =
                    i < AD_INIT_CODEPAGES ? static_cast<uint32_t>(btl(offs + 4 * i)) : 0xFFFFFFFFu;
            readextension();
        } else {
            adin->error = 183;
        }
    }
    adin->closeinit();
    return ok;
}

/* The built-in shape fonts must account for their data blocks exactly. */
bool initshapefonts()
{
    uint64_t sum1 = 0, sum2 = 0;
    for (const AdInitEntry &e : adin->font1index) sum1 += e.value;
    for (const AdInitEntry &e : adin->font2index) sum2 += e.value;
    if (sum1 != sizeof adin->font1data || sum2 != sizeof adin->font2data) return false;
    if (!initsh()) return false;
    adin->shfilesystem = 1;
    return true;
}

void freestate(AdToolkitState *s)
{
    std::free(s->xdwritebuf);
    std::free(s->xdreadbuf);
    std::free(s->linebuf2);
    std::free(s->curstr);
    if (s->vmstate) ztvm_free(s->vmstate);
    std::free(s->initfilename);
    std::free(s);
}

} // namespace

extern "C" {

int adInitAd2(const char *initfile, int16_t *error)
{
    if (adin) adCloseAd2();
    AdToolkitState *s = static_cast<AdToolkitState *>(std::calloc(1, sizeof(AdToolkitState)));
    if (!s) {
        if (error) *error = 284;
        return 0;
    }
    adin = s;
    s->examineshapefile = adDefaultExamineFile;
    s->criticalerror = g_defaultcritical;
    s->openinit = g_openinit;
    s->readinitchar = g_readinitchar;
    s->readinitchars = g_readinitchars;
    s->seekinit = g_seekinit;
    s->closeinit = g_closeinit;
    if (initfile) {
        s->initfilename = strdup(initfile);
        if (!s->initfilename) s->error = 284;
    }
    for (int i = 0; i < BT_CACHE; ++i) s->btcache[i].hits = -1;

    bool ok = s->error == 0;
    if (ok && !(ztvm_init() && (s->vmstate = ztvm_malloc(10)) != nullptr)) {
        s->error = 216;
        adcriticalerror(2);
        ok = false;
    }
    if (ok) {
        s->epsilon = 5.0e-7;
        s->epsilonrad = 5.0e-7 * M_PI / 180.0;
        s->big = 1.0e6;
        s->fmtint = "%6d";
        s->fmtreal = "%.6f";
        s->fmtexp = "%.6lE";
        s->handle1a[7] = 1;
        s->handle1b[7] = 1;
        s->error = 11;
        ok = (s->curstr = static_cast<char *>(std::calloc(1, AD_LINEBUF_SIZE + 1))) != nullptr;
    }
    if (ok) {
        s->error = 12;
        ok = (s->linebuf2 = static_cast<char *>(std::calloc(1, AD_LINEBUF_SIZE + 1))) != nullptr;
    }
    if (ok) {
        s->error = 9;
        ok = (s->xdreadbuf = static_cast<char *>(std::calloc(1, AD_XDBUF_SIZE))) != nullptr;
    }
    if (ok) {
        s->error = 10;
        ok = (s->xdwritebuf = static_cast<char *>(std::calloc(1, AD_XDBUF_SIZE))) != nullptr;
    }
    ok = ok && readinitdata();
    if (ok) {
        s->error = 294;
        ok = initshapefonts();
    }
    if (!ok) {
        if (error) *error = s->error;
        adin = nullptr;
        freestate(s);
        return 0;
    }
    s->error = 0;
    s->loading = 1;
    s->filtergiven = 1;
    s->convertplines = 1;
    s->adda2kextras = 1;
    s->maxprer15namelength = 26;
    s->pfbscale = 0.5;
    s->acp = 30; /* ansi_1252 */
    std::memcpy(s->maccreator, "dosa", 5);
    std::memcpy(s->macfiletype, "TEXT", 5);
    if (error) *error = 0;
    return 1;
}

void adCloseAd2(void)
{
    if (!adin) return;
    AdToolkitState *s = adin;
    bt_term();
    adfreecodepagetables();
    closesh();
    s->shfilesystem = 0;
    ztvm_term();
    adin = nullptr;
    freestate(s);
}

const char *adAdVersion(void) { return kVersion; }

const unsigned char *adBuiltinInitData(size_t *size) { return ztinit_builtin(size); }

void adStopLoading(void)
{
    if (adin) adin->loading = 0;
}

void adSetupDxfRead(void)
{
    if (!adin) return;
    std::memset(&adin->dxfreaders, 0, sizeof adin->dxfreaders);
    addxfreaders(&adin->dxfreaders);
}

void adSetupDwgRead(void)
{
    if (!adin) return;
    std::memset(&adin->dwgreaders, 0, sizeof adin->dwgreaders);
    addwgreaders(&adin->dwgreaders);
}

void adSetAd2CriticalErrorFn(AdCriticalErrorFn fn) { g_defaultcritical = fn; }

#define AD_SETTER(name, type, field)                                                                         \
    void name(type v)                                                                                        \
    {                                                                                                        \
        if (adin) adin->field = v;                                                                           \
    }
AD_SETTER(adSetAd2WarningFn, AdWarningFn, warning)
AD_SETTER(adSetAd2BadshapefileFn, AdBadShapeFileFn, badshapefile)
AD_SETTER(adSetAd2ExamineshapefileFn, AdExamineShapeFileFn, examineshapefile)
AD_SETTER(adSetAd2ExamineTTFFn, AdExamineTTFFn, examinettf)
AD_SETTER(adSetAd2DxfscanometerFn, AdPercentFn, dxfscanometer)
AD_SETTER(adSetAd2LoadometerFn, AdPercentFn, loadometer)
AD_SETTER(adSetAd2SaveometerFn, AdPercentFn, saveometer)
AD_SETTER(adSetAd2ExamineEntityLoadFn, AdExamineEntityLoadFn, examineentityload)
AD_SETTER(adAllowInvalidDxfVersions, unsigned char, allowinvaliddxf)
AD_SETTER(adCreateMissingDimblks, int16_t, createmissingdimblks)
AD_SETTER(adForceAddingHandles, int16_t, forceaddinghandles)
AD_SETTER(adIgnoreBadVpEntData, int16_t, ignorebadvpentdata)
AD_SETTER(adIgnoreBadInsertBlockHandles, int16_t, ignorebadinsertblockhandles)
AD_SETTER(adAddA2kExtras, int16_t, adda2kextras)
AD_SETTER(adSetExportCase, int16_t, exportcase)
AD_SETTER(adSetDxfWriteCompleteness, int16_t, dxfwritecompleteness)
AD_SETTER(adSetHandovermode, int16_t, handovermode)
AD_SETTER(adSetPfbScale, double, pfbscale)
#undef AD_SETTER

/* Init-data setters work before start-up too; null restores the default. */
#define AD_INIT_SETTER(name, type, field, global, deflt)                                                     \
    void name(type fn)                                                                                       \
    {                                                                                                        \
        global = fn ? fn : deflt;                                                                            \
        if (adin) adin->field = global;                                                                      \
    }
AD_INIT_SETTER(adSetAd2OpenInitFileFn, AdOpenInitFn, openinit, g_openinit, ztior_fopen)
AD_INIT_SETTER(adSetAd2ReadInitFileCharFn, AdReadInitCharFn, readinitchar, g_readinitchar, ztior_fgetc)
AD_INIT_SETTER(adSetAd2ReadInitFileCharsFn, AdReadInitCharsFn, readinitchars, g_readinitchars, ztior_fread)
AD_INIT_SETTER(adSetAd2SeekInitFileFn, AdSeekInitFn, seekinit, g_seekinit, ztior_fseek)
AD_INIT_SETTER(adSetAd2CloseInitFileFn, AdCloseInitFn, closeinit, g_closeinit, ztior_fclose)
#undef AD_INIT_SETTER

void adAcceptR14BetaFiles(void)
{
    if (adin) adin->acceptr14beta = 1;
}
void adConvertPlinesOnLoad(int flag)
{
    if (adin) adin->convertplines = flag ? 1 : 0;
}
void adForceLocale(int flag)
{
    if (adin) adin->forcelocale = flag ? 1 : 0;
}
void adProcessXDataCodepages(int flag)
{
    if (adin) adin->processxdatacodepages = flag ? 1 : 0;
}

void adSetPreloadEntityFilter(const unsigned char *filter32)
{
    if (!adin) return;
    if (filter32) std::memcpy(adin->preloadfilter, filter32, sizeof adin->preloadfilter);
    adin->filtergiven = 1;
}

void adSetMaxPreR15NameLength(int16_t len)
{
    if (adin) adin->maxprer15namelength = len > 31 ? 31 : len;
}

void adSetMacCreatorAndFiletype(const char *creator, const char *filetype)
{
    if (!adin) return;
    if (creator) std::snprintf(adin->maccreator, sizeof adin->maccreator, "%s", creator);
    if (filetype) std::snprintf(adin->macfiletype, sizeof adin->macfiletype, "%s", filetype);
}

void adSetCallbackUserdata(AdDrawing *dwg, void *userdata)
{
    if (dwg) dwg->userdata = userdata;
}

void *adGetCallbackUserData(AdDrawing *dwg) { return dwg ? dwg->userdata : nullptr; }

void adloadometer(int16_t percent)
{
    if (adin && adin->loadometer) adin->loadometer(percent);
}

} // extern "C"
