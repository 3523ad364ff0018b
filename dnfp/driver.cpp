/* The parse driver: one dnfp_ParseFile call is one toolkit cycle. The toolkit
 * starts (serving its init data from the built-in copy), loads the whole
 * drawing, and, for drawings of releases it cannot read or DWG files whose
 * paper space holds viewports, the external converter program turns the file
 * into one it can read, which is loaded instead. Then the pre-passes run
 * (version and file type into the model's format data, numbering of DWG
 * paper-space viewports), the sections are mapped, and the toolkit stops.
 *
 * Every path out of dnfp_ParseFile stops the toolkit, deletes the handle
 * maps and the block list, and removes the converter's output file, so a
 * failed parse leaves nothing behind but the entities already created. */
#include "dnfp/dnfp_int.h"

#include <errno.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <string>

#include "kernel/dxfi/dxfi_int.h"
#include "kernel/mpm/mpm_int.h"
#include "kernel/pdx/pdx_int.h"
#include "kernel/ugn/ugn.h"

extern char **environ;

extern "C" {

DnfpState dnfp_g;
int dnfp__OnlyAcadXdata = 0;
int dnfp__MultiPspaces = 0;
DnfpEntityFn dnfp__DNFPFunc = nullptr;
int dnfp__BlockFlag = 0;
DnfpHandleMap *dnfp__EntPtrMap = nullptr;
DnfpHandleMap *dnfp__HandStyleMap = nullptr;
OlmList *dnfp__BlockList = nullptr;
int dnfp__CurHandle = 0;
int dnfp__CurStyle = 1;
int dnfp__readentity_called = 0;
AdPercentFn dnfp__PercentageParsed = nullptr;
DnfpUnnamedDimStyle dnfp__UnnamedDimStyle;
DnfpLoadFn dnfp__LoadFile = adLoadFile;
int dnfp__ProcessorTimeLimit = DNFP_DEFAULT_PROCESSOR_TIME_LIMIT;

} // extern "C"

namespace {

/* ---- init data */

const unsigned char *g_initdata = nullptr;
long g_initsize = 0;
long g_initpos = -1; /* -1: closed */

/* ---- toolkit errors and names */

constexpr int kErrorNewVersion = 309; /* files of AC1018 and later */
constexpr int kErrorBadVersion = 8;   /* a version the toolkit does not read */

/* The release string of a DWG file ("AC" and four digits at its start; a
 * DXF file never starts so) into out (7 bytes); false for other files. */
bool dwg_release(const char *path, char *out)
{
    FILE *f = path ? fopen(path, "rb") : nullptr;
    if (!f) return false;
    size_t n = fread(out, 1, 6, f);
    fclose(f);
    out[6] = '\0';
    if (n != 6 || out[0] != 'A' || out[1] != 'C') return false;
    for (int i = 2; i < 6; ++i)
        if (out[i] < '0' || out[i] > '9') return false;
    return true;
}

/* A DWG release the toolkit refused: said with its name, for the parse to
 * fail with DWG_PARSE_UNSUPPORTED (no converter is run for DWG files). */
int refuse_dwg(const char *release)
{
    static const struct {
        const char *version, *name;
    } kNames[] = {{"AC1001", "R2.2"},  {"AC1002", "R2.5"},   {"AC1003", "R2.6"},  {"AC1004", "R9"},
                  {"AC1006", "R10"},   {"AC1009", "R11/12"}, {"AC1018", "R2004"}, {"AC1021", "R2007"},
                  {"AC1024", "R2010"}, {"AC1027", "R2013"},  {"AC1032", "R2018"}};
    const char *name = "unknown";
    for (const auto &k : kNames)
        if (!strcmp(k.version, release)) name = k.name;
    char text[160];
    snprintf(text, sizeof text,
             "DWG file of release %s (%s): only releases R13 to R2000 (AC1012 to AC1015) are read", name,
             release);
    mpm__IssueError(0, DXFI_KESTRANE_ERR, MPM_ERROR, text);
    return mpm__IssueError(0, DXFI_DWG_PARSE_UNSUPPORTED, MPM_ERROR);
}
constexpr int kFirstProxyCode = 498;

bool is_paper_space(const char *name)
{
    char lower[DNFP_NAME_MAX + 1];
    dnfp__CopyName(lower, sizeof lower, name);
    ugn_GetLower(lower);
    return strcmp(lower, "*paper_space") == 0;
}

/* Calls fn(list) for the entity list of every block header named
 * "*paper_space" (any case); stops when fn returns true. */
template <class Fn> void for_each_paper_space(Fn fn)
{
    AdDrawing *d = dnfp_g.drawing;
    AdBlockheader *b = &dnfp_g.tblrec->blkh;
    adStartBlockheaderGet(d);
    dnfp__ReportToolkitError();
    long count = adNumBlockheaders(d);
    for (long i = 0; i < count; ++i) {
        if (!adGetBlockheader(d, b)) {
            dnfp__ReportToolkitError();
            break;
        }
        if (!b->entitylist || !is_paper_space(b->name)) continue;
        dnfp_g.curlist = b->entitylist;
        adStartEntityGet(b->entitylist);
        if (fn(b->entitylist)) return;
    }
}

/* True when a DWG file's paper space holds a VIEWPORT entity. */
bool paper_space_viewports()
{
    bool found = false;
    for_each_paper_space([&](AdEntityList list) {
        while (adGetEntity(list, dnfp_g.enthdr, dnfp_g.entrec)) {
            int type = dnfp_g.enthdr->enttype;
            if (type == AD_ENT_VIEWPORT) {
                found = true;
                break;
            }
            if (type == AD_ENT_ENDBLK) break;
        }
        return false;
    });
    return found;
}

/* Numbers the paper-space viewports of a DWG file that have none (id 0),
 * 1, 2, 3 in file order; a block's numbering stops at the first viewport
 * that has a number already. */
void number_viewports()
{
    AdDrawing *d = dnfp_g.drawing;
    for_each_paper_space([&](AdEntityList list) {
        int16_t counter = 1;
        while (adGetEntity(list, dnfp_g.enthdr, dnfp_g.entrec)) {
            int type = dnfp_g.enthdr->enttype;
            if (type == AD_ENT_VIEWPORT) {
                if (dnfp_g.entrec->vport.id != 0) break;
                dnfp_g.entrec->vport.id = counter++;
                if (!adReplaceEntity(d, list, dnfp_g.enthdr->handle, dnfp_g.enthdr, dnfp_g.entrec))
                    dnfp__ReportToolkitError();
            }
            if (type == AD_ENT_ENDBLK) break;
        }
        return false;
    });
}

/* Hands every proxy entity of a kind the toolkit does not read itself to
 * adExplodeProxyToList; a proxy it turned into ordinary entities is
 * removed. */
void explode_proxies()
{
    AdDrawing *d = dnfp_g.drawing;
    AdBlockheader *b = &dnfp_g.tblrec->blkh;
    adStartBlockheaderGet(d);
    dnfp__ReportToolkitError();
    long count = adNumBlockheaders(d);
    for (long i = 0; i < count; ++i) {
        if (!adGetBlockheader(d, b)) {
            dnfp__ReportToolkitError();
            break;
        }
        AdEntityList list = b->entitylist;
        if (!list) continue;
        adStartEntityGet(list);
        /* headers only: the record is read for a proxy to explode alone */
        while (adGetEntity(list, dnfp_g.enthdr, nullptr)) {
            const int type = dnfp_g.enthdr->enttype;
            if (type < kFirstProxyCode || adIsSupportedProxyEntType(d, type)) continue;
            AdObjhandle handle;
            memcpy(handle, dnfp_g.enthdr->handle, sizeof handle);
            if (!adSeekEntity(d, list, handle, dnfp_g.enthdr, dnfp_g.entrec)) {
                dnfp__ReportToolkitError();
                continue;
            }
            if (adExplodeProxyToList(d, dnfp_g.enthdr, dnfp_g.entrec, list, 0, handle))
                adDeleteEntity(d, list, handle, 1);
        }
    }
}

int audit_report(const char *text)
{
    mpm_Printf("Kestrane Audit: %s\n", text);
    return 1;
}

/* DXF version number of a file version index. */
int32_t version_number(int index)
{
    switch (index) {
    case AD_ACAD25:
    case AD_ACAD26:
    case AD_ACAD9: return 9;
    case AD_ACAD10: return 10;
    case AD_ACAD11: return 11;
    case AD_ACAD13: return 13;
    case AD_ACAD14: return 14;
    default: return 2000;
    }
}

/* File type (pdx_GetFileType numbering) of a toolkit file kind. */
int32_t file_type(int kind)
{
    switch (kind) {
    case AD_FILE_DWG: return PDX_FILE_DWG;
    case AD_FILE_BINARY_DXF: return PDX_FILE_DXF_BINARY;
    default: return PDX_FILE_DXF;
    }
}

void free_buffers()
{
    free(dnfp_g.enthdr);
    free(dnfp_g.entrec);
    free(dnfp_g.tblrec);
    free(dnfp_g.xditem);
    dnfp_g.enthdr = nullptr;
    dnfp_g.entrec = nullptr;
    dnfp_g.tblrec = nullptr;
    dnfp_g.xditem = nullptr;
}

void delete_maps()
{
    dnfp__ForgetInsertNames();
    if (dnfp__BlockList) olm_DeleteList(0, dnfp__BlockList);
    dnfp__FreeHandleMap(dnfp__EntPtrMap);
    dnfp__FreeHandleMap(dnfp__HandStyleMap);
    dnfp__BlockList = nullptr;
    dnfp__EntPtrMap = nullptr;
    dnfp__HandStyleMap = nullptr;
}

double seconds_since(const timespec &start)
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec - start.tv_sec) + double(now.tv_nsec - start.tv_nsec) * 1e-9;
}

/* Waits for the child; kills it when it outlives the time limit. Returns the
 * wait status, or -1 when it had to be killed or could not be waited for. */
int wait_limited(pid_t pid, int limit)
{
    timespec start;
    clock_gettime(CLOCK_MONOTONIC, &start);
    long pause_ns = 1000000;
    for (;;) {
        int status = 0;
        pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid) return status;
        if (r < 0 && errno != EINTR) return -1;
        if (seconds_since(start) >= double(limit)) {
            kill(-pid, SIGKILL); /* the program and whatever it started */
            kill(pid, SIGKILL);
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
            return -1;
        }
        timespec pause = {0, pause_ns};
        nanosleep(&pause, nullptr);
        if (pause_ns < 50000000) pause_ns *= 2;
    }
}

/* A path as the converter's argument: one that begins with '-' gets "./"
 * in front, so that the program cannot take it for an option. */
std::string as_argument(const char *path)
{
    std::string arg = path ? path : "";
    if (!arg.empty() && arg[0] == '-') arg.insert(0, "./");
    return arg;
}

/* Runs the converter `program` on `path` into the preprocessor file. On
 * exit status 5 (nothing to convert) the preprocessor name becomes `path`;
 * on a failure `reason` receives a message, else it is left empty. */
void run(char *program, const char *path, int viewports, char *reason, size_t size)
{
    /* A file name that begins with '-' would read as an option. */
    const std::string input = as_argument(path), output = as_argument(dxfi__preprocessor_tmpfile);
    char *argv[] = {program, const_cast<char *>(input.c_str()), const_cast<char *>(output.c_str()),
                    const_cast<char *>(viewports ? "preprocView" : "preprocess"), nullptr};
    /* A host that ignores SIGCHLD (or reaps children in a handler) would take
     * the program's exit status away from the wait below. */
    struct sigaction default_action, host_action;
    memset(&default_action, 0, sizeof default_action);
    default_action.sa_handler = SIG_DFL;
    sigemptyset(&default_action.sa_mask);
    sigaction(SIGCHLD, &default_action, &host_action);
    /* The program runs in a process group of its own, so that a time-out
     * stops everything it started. SIGINT and SIGTERM wait until the group
     * is registered for a host's clean-up (the program itself starts with
     * the caller's mask). */
    sigset_t stops, saved;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    int status = -1, spawned = -1;
    posix_spawnattr_t attributes;
    if (posix_spawnattr_init(&attributes) == 0) {
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK);
        posix_spawnattr_setpgroup(&attributes, 0);
        pthread_sigmask(SIG_BLOCK, &stops, &saved);
        posix_spawnattr_setsigmask(&attributes, &saved);
        pid_t pid = 0;
        spawned = posix_spawn(&pid, program, nullptr, &attributes, argv, environ);
        if (spawned == 0) ugn_TrackProcessGroup(pid);
        pthread_sigmask(SIG_SETMASK, &saved, nullptr);
        if (spawned == 0) {
            status = wait_limited(pid, dnfp__ProcessorTimeLimit);
            ugn_TrackProcessGroup(0);
        }
        posix_spawnattr_destroy(&attributes);
    }
    sigaction(SIGCHLD, &host_action, nullptr);
    if (spawned != 0)
        snprintf(reason, size, "The down-converter '%s' could not be started: %s", program,
                 strerror(spawned > 0 ? spawned : errno));
    else if (status == -1)
        snprintf(reason, size, "The down-converter '%s' did not end within %d seconds", program,
                 dnfp__ProcessorTimeLimit);
    else if (WIFSIGNALED(status))
        snprintf(reason, size, "The down-converter '%s' was killed by signal %d", program, WTERMSIG(status));
    else if (!WIFEXITED(status) || (WEXITSTATUS(status) != 0 && WEXITSTATUS(status) != 5))
        snprintf(reason, size, "The down-converter '%s' failed with exit status %d", program,
                 WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    else if (WEXITSTATUS(status) == 5 && dxfi__UseInputAsPreprocessorFile(path) != 0)
        snprintf(reason, size, "Out of memory");
}

/* A warning of the toolkit while it reads (a duplicate handle renumbered,
 * a record it had to drop): issued as the mapper's warning, which does not
 * fail the conversion. The stack of recorded messages is kept. */
void toolkit_warning(const char *text)
{
    mpm__IssueError(MPM_OPT_KEEP_STACK, DNFP_TOOLKIT_WARNING, MPM_WARNING, text ? text : "");
}

} // namespace

extern "C" {

int dnfp__HasPaperSpaceViewports(void) { return paper_space_viewports() ? 1 : 0; }

void dnfp__NumberPaperSpaceViewports(void) { number_viewports(); }

/* ---- init-data callbacks */

int dnfp__OpenInitFile(const char *name)
{
    (void)name;
    size_t size = 0;
    g_initdata = adBuiltinInitData(&size);
    g_initsize = g_initdata ? long(size) : 0;
    g_initpos = 0;
    return 1;
}

int dnfp__CloseInitFile(void)
{
    g_initpos = -1;
    return 1;
}

int dnfp__ReadCharFromInitFile(void)
{
    if (g_initpos < 0 || g_initpos >= g_initsize) return -1;
    return g_initdata[g_initpos++];
}

int dnfp__ReadCharsFromInitFile(void *buffer, size_t size, size_t count)
{
    if (!buffer || g_initpos < 0) return 0;
    if (size != 0 && count > size_t(-1) / size) return 0;
    size_t n = size * count;
    if (n > size_t(g_initsize - g_initpos)) return 0;
    unsigned char *out = static_cast<unsigned char *>(buffer);
    for (size_t i = 0; i < n; ++i) out[i] = static_cast<unsigned char>(dnfp__ReadCharFromInitFile());
    return 1;
}

int dnfp__SeekInitFile(long offset, int whence)
{
    if (g_initpos < 0) return -1;
    long next;
    switch (whence) {
    case 0: next = offset; break;
    case 1: next = g_initpos + offset; break;
    case 2: next = g_initsize + offset; break;
    default: next = 0; break;
    }
    if (next < 0 || next >= g_initsize) return -1;
    g_initpos = next;
    return 0;
}

/* ---- toolkit cycle */

void dnfp__ReportToolkitError(void)
{
    int code = adError();
    /* 309 has no text of its own: it is met here only when the converter
     * left a drawing too new for the toolkit as it was. */
    if (code == kErrorNewVersion)
        mpm__IssueError(0, DXFI_KESTRANE_ERR, MPM_ERROR,
                        "The drawing's release is newer than AC1015 and was not converted");
    else if (code != 0)
        mpm__IssueError(0, DXFI_KESTRANE_ERR, MPM_ERROR, adErrorStr(code));
    adErrorClear();
}

int dnfp__StartToolkit(unsigned options)
{
    dnfp_g.drawing = nullptr;
    dnfp_g.curlist = nullptr;
    free_buffers();
    dnfp__CurHandle = 0;
    dnfp__CurStyle = 1;
    dnfp__ForgetNames();

    dnfp_g.enthdr = static_cast<AdEntityHeader *>(calloc(1, sizeof(AdEntityHeader)));
    dnfp_g.entrec = static_cast<AdEntityRecord *>(calloc(1, sizeof(AdEntityRecord)));
    dnfp_g.tblrec = static_cast<AdTableRecord *>(calloc(1, sizeof(AdTableRecord)));
    dnfp_g.xditem = static_cast<AdXdataItem *>(calloc(1, sizeof(AdXdataItem)));
    if (!dnfp_g.enthdr || !dnfp_g.entrec || !dnfp_g.tblrec || !dnfp_g.xditem) {
        free_buffers();
        return DNFP_MALLOC_ERR;
    }

    adSetAd2OpenInitFileFn(dnfp__OpenInitFile);
    adSetAd2CloseInitFileFn(dnfp__CloseInitFile);
    adSetAd2ReadInitFileCharFn(dnfp__ReadCharFromInitFile);
    adSetAd2ReadInitFileCharsFn(dnfp__ReadCharsFromInitFile);
    adSetAd2SeekInitFileFn(dnfp__SeekInitFile);

    int16_t error = 0;
    if (!adInitAd2(nullptr, &error)) {
        free_buffers();
        return mpm__IssueError(0, DNFP_INITIALIZE_ERROR, MPM_ERROR, adErrorStr(error));
    }
    adSetupDwgRead();
    dnfp__ReportToolkitError();
    adSetupDxfRead();
    dnfp__ReportToolkitError();
    adConvertPlinesOnLoad(int((options >> 7) & 1u));
    adAcceptR14BetaFiles();
    adSetAd2WarningFn(toolkit_warning);
    if (dnfp__PercentageParsed) adSetAd2LoadometerFn(dnfp__PercentageParsed);
    return 0;
}

int dnfp__StopToolkit(void)
{
    if (dnfp_g.drawing) {
        adCloseFile(dnfp_g.drawing);
        dnfp__ReportToolkitError();
    }
    dnfp_g.drawing = nullptr;
    dnfp_g.curlist = nullptr;
    adCloseAd2();
    free_buffers();
    adSetAd2OpenInitFileFn(nullptr);
    adSetAd2CloseInitFileFn(nullptr);
    adSetAd2ReadInitFileCharFn(nullptr);
    adSetAd2ReadInitFileCharsFn(nullptr);
    adSetAd2SeekInitFileFn(nullptr);
    return 0;
}

int dnfp__RunProcessor(const char *path, int viewports)
{
    char reason[512] = "";
    const char *name = dxfi__processor ? dxfi__processor : DXFI_DEFAULT_PROCESSOR;
    char *program = nullptr;
    if (dxfi__CreatePreprocessorFile() != 0)
        snprintf(reason, sizeof reason, "No temporary file for the down-converter: %s", strerror(errno));
    else if (!(program = dnfp__FindProcessor(dxfi__processor)))
        snprintf(reason, sizeof reason, "The down-converter '%s' was not found%s", name,
                 dxfi__processor ? "" : " beside the library or on PATH");
    else
        run(program, path, viewports, reason, sizeof reason);
    free(program);
    /* A DWG file whose paper space holds viewports has been read already:
     * without the converter it is taken as it is. */
    if (reason[0] && viewports) return dxfi__UseInputAsPreprocessorFile(path);
    if (reason[0]) {
        mpm__IssueError(0, DXFI_KESTRANE_ERR, MPM_ERROR, reason);
        return -1;
    }
    return 0;
}

/* ---- the parse */

int dnfp_Initialize(void)
{
    pdx__RegisterModule(&dnfp__Module);
    return 0;
}

int dnfp_Terminate(void) { return 0; }

void dnfp_SetProgressFn(void (*fn)(short percent)) { dnfp__PercentageParsed = fn; }

void dnfp_SetProcessorTimeLimit(int seconds)
{
    dnfp__ProcessorTimeLimit = seconds > 0 ? seconds : DNFP_DEFAULT_PROCESSOR_TIME_LIMIT;
}

int dnfp_FileType(const char *path)
{
    const int kind = adSniffFileKind(path);
    return kind < 0 ? PDX_FILE_UNKNOWN : file_type(kind);
}

int dnfp_ParseFile(unsigned options, const char *path, void *file_type_info, DnfpEntityFn callback)
{
    (void)file_type_info;
    int status = dnfp__StartToolkit(options);
    if (status) return status;

    dnfp__OnlyAcadXdata = (options & DNFP_OPT_ACAD_XDATA) ? 1 : 0;
    dnfp__MultiPspaces = (options & DNFP_OPT_MULTI_PSPACE) ? 1 : 0;
    dnfp__DNFPFunc = callback;
    dnfp__BlockFlag = 0;
    dnfp__readentity_called = 0;
    memset(&dnfp__UnnamedDimStyle, 0, sizeof dnfp__UnnamedDimStyle);
    dnfp__ResetPassedOver();

    dnfp__EntPtrMap = dnfp__NewHandleMap();
    dnfp__HandStyleMap = dnfp__NewHandleMap();
    dnfp__BlockList = olm_CreateList(0, int(sizeof(DnfpBlockRecord)), 1, nullptr);
    if (!dnfp__EntPtrMap || !dnfp__HandStyleMap || !dnfp__BlockList) {
        status = mpm__SetError(0, DNFP_TREE_ERR, MPM_ERROR);
    } else {
        dnfp_g.drawing = dnfp__LoadFile(path, 1, 0);
        const int load_error = adError();
        char release[7];
        int viewports = 0;
        if (load_error == 0 && dnfp_g.drawing && adFileTypeLoaded(dnfp_g.drawing) == AD_FILE_DWG)
            viewports = dnfp__HasPaperSpaceViewports();

        if (!dnfp_g.drawing && (load_error == kErrorBadVersion || load_error == kErrorNewVersion) &&
            dwg_release(path, release)) {
            adErrorClear();
            status = refuse_dwg(release);
        } else if (load_error == kErrorNewVersion || viewports) {
            /* A converter that failed has said why (and so has the program on
             * standard error); what it left is not loaded, and the read error
             * below names the user's file, never the temporary one. */
            const int converted = dnfp__RunProcessor(path, viewports);
            adErrorClear();
            dnfp__StopToolkit();
            status = dnfp__StartToolkit(options);
            if (!status && converted == 0) {
                dnfp_g.drawing = dnfp__LoadFile(dxfi__preprocessor_tmpfile, 1, 0);
                dnfp__ReportToolkitError();
            }
        } else {
            dnfp__ReportToolkitError();
        }

        if (!status && !dnfp_g.drawing)
            status = mpm__IssueError(0, DNFP_READ_ERROR, MPM_ERROR, path ? path : "");
        if (!status) {
            AdDrawing *d = dnfp_g.drawing;
            const int version = adFileVersionLoaded(d);
            const int kind = adFileTypeLoaded(d);
            if (version < AD_ACAD2000) dnfp__MultiPspaces = 0;
            if (options & DNFP_OPT_AUDIT) {
                adAudit(d, 0, 2, audit_report);
                dnfp__ReportToolkitError();
            }
            if (dxfi__CurModelData) {
                dxfi__CurModelData->version = version_number(version);
                if (adError() != 0) mpm_Printf("\n%s\n", adErrorStr(adError()));
                dxfi__CurModelData->filetype = file_type(kind);
            }
            if (kind == AD_FILE_DWG) dnfp__NumberPaperSpaceViewports();
            explode_proxies();
            /* The mapping walks each entity list once and never seeks an
             * entity by handle: the index shrinks to the tables, block
             * headers and objects before the model grows. Where memory runs
             * out the index simply stays whole. */
            if (!adDropEntityHandles(d)) adErrorClear();
            /* Nearly every record with a handle is entered in the map of
             * entity pointers: make room at once for those of the entity
             * lists and objects, and four per block header (its record, the
             * block's begin and end, and at least one entity in it). */
            const size_t blocks = size_t(adNumBlockheaders(d));
            dnfp__ReserveHandleMap(dnfp__EntPtrMap, size_t(adNumEntities(adModelSpaceEntityList(d))) +
                                                        size_t(adNumEntities(adPaperSpaceEntityList(d))) +
                                                        size_t(adNumObjects(d)) + 4 * blocks);
            status = dnfp__DispatchSection(kind == AD_FILE_DWG ? 8u : 0u);
        }
    }

    if (dnfp_g.enthdr) {
        int stopped = dnfp__StopToolkit();
        if (!status) status = stopped;
    }
    delete_maps();
    dxfi__DropPreprocessorFile();
    return status;
}

} // extern "C"
