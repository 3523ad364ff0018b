/* dxf2cgm: converts DXF drawings into CGM pictures with libVyrDxf2Cgm.
 *
 *   dxf2cgm [options] INPUT.dxf OUTPUT.cgm
 *   dxf2cgm [options] -o DIR INPUT.dxf...
 *
 * With -o every input becomes DIR/<name>.cgm; -j N converts them in up to N
 * worker processes at once (the library runs one conversion at a time per
 * process). The kernel's messages go to standard error, so a failed
 * conversion says why; -v prints the counts of converted elements. While a
 * large drawing loads, a progress bar runs on standard error when that is a
 * terminal (not with worker processes, which would share it). Exit status:
 * 0 when every conversion succeeded, 1 when one failed, 2 for a usage
 * error, 130 and 143 when stopped by SIGINT and SIGTERM.
 *
 * By default the picture is the drawing as a CAD program plots it (the
 * library's options fit, visibleLayersOnly, drawingLineTypes and
 * filledAreas on); one flag turns each off, --base turns all four off.
 *
 * A stop by SIGINT or SIGTERM ends the conversion at once: the handler has
 * the library kill the down-converter's process group and remove its
 * temporary files and the unfinished picture, stops the worker processes
 * (which do the same for their own conversions) and waits for them. */
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "Dxf2Cgm/VyrDxf2Cgm.h"
#include "dnfp/dnfp.h"
#include "kernel/mpm/mpm.h"
#include "platform/print/VyrPrintCGMGenerator.h"

namespace {

const char *const kUsage = "usage: dxf2cgm [options] INPUT.dxf OUTPUT.cgm\n"
                           "       dxf2cgm [options] -o DIR INPUT.dxf...\n"
                           "options:\n"
                           "  -o DIR     write each INPUT as DIR/<name>.cgm\n"
                           "  -j N       with -o, convert in up to N worker processes at once\n"
                           "  -v         print the counts of converted elements, and name on standard\n"
                           "             error each kind of entity that is not drawn\n"
                           "  --converter-timeout S\n"
                           "             stop the down-converter of newer releases after S seconds\n"
                           "             (default 120)\n"
                           "  --compat   write only what weak viewers draw right (curves, ellipses and\n"
                           "             markers as polylines, dashes as segments, texts as the filled\n"
                           "             outlines of their glyphs)\n"
                           "  -h, --help this text\n"
                           "picture (by default the drawing as a CAD program plots it: fitted, visible\n"
                           "layers only, the drawing's own line types, filled areas, on a 16:9 page):\n"
                           "  --no-fit         a fixed page of 32,400 units around the origin instead of\n"
                           "                   the extents of what is drawn\n"
                           "  --all-layers     draw layers that are off, frozen or not plotted too\n"
                           "  --named-linetypes  line types from a table of known names, not from the\n"
                           "                   drawing's own patterns\n"
                           "  --hollow         solids, traces and wide polylines as outlines\n"
                           "  --page W:H       pad the picture to this page shape, the drawing centred\n"
                           "                   (default 16:9, the page LibreOffice shows a picture on)\n"
                           "  --no-page        the picture exactly as large as the drawing\n"
                           "  --base           the library's base picture: the four options above\n"
                           "                   --no-fit to --hollow, and no page\n"
                           "  --nurbs          B-splines as the metafile's NURBS element (few viewers\n"
                           "                   draw it)\n";

/* The picture dxf2cgm writes unless told otherwise: plotted, on the 16:9
 * page LibreOffice shows an imported picture on. */
VyrDxf2CgmOptions PlottedOnPage()
{
    VyrDxf2CgmOptions picture = VyrDxf2CgmOptions::Plotted();
    picture.pageAspect = 16.0f / 9.0f;
    return picture;
}

struct Options {
    std::string outputDir;
    int workers = 1;
    int converterTimeout = DNFP_DEFAULT_PROCESSOR_TIME_LIMIT;
    bool verbose = false;
    bool compat = false;
    bool progress = false;
    /* Conversions with the library's two-argument call. */
    bool base = false;
    VyrDxf2CgmOptions picture = PlottedOnPage();
    std::vector<std::string> inputs;
    std::string output;
};

/* Drawings at least this large show a progress bar while they load. */
const off_t kProgressSize = 4 * 1024 * 1024;
const int kBarWidth = 40;

/* The progress bar's state: the drawing's name while a bar is shown. */
std::string progressName;
int progressShown = -1;

void ClearProgress()
{
    if (progressShown < 0) return;
    std::fprintf(stderr, "\r%*s\r", static_cast<int>(progressName.size()) + kBarWidth + 16, "");
    progressShown = -1;
}

void ShowProgress(short percent)
{
    if (progressName.empty()) return;
    const int p = percent < 0 ? 0 : percent > 100 ? 100 : percent;
    if (p == progressShown) return;
    progressShown = p;
    const int filled = p * kBarWidth / 100;
    std::fprintf(stderr, "\r%s [%s%s] %3d%%", progressName.c_str(), std::string(filled, '#').c_str(),
                 std::string(kBarWidth - filled, ' ').c_str(), p);
    std::fflush(stderr);
}

/* Kernel messages, whatever stream they were meant for, are diagnostics. */
void ToStandardError(const char *line, FILE *)
{
    ClearProgress();
    std::fputs(line, stderr);
}

/* ---- stops by signal */

/* More workers than this run this many at a time. */
const int kMaxWorkers = 1024;

/* The running workers' process ids (0: free slot); only the parent has any. */
volatile pid_t workerPids[kMaxWorkers];

void OnStopSignal(int signal)
{
    for (volatile pid_t &w : workerPids)
        if (w > 0) ::kill(w, SIGTERM);
    VyrDxf2Cgm::CleanUpAfterSignal();
    for (volatile pid_t &w : workerPids)
        if (w > 0) ::waitpid(w, nullptr, 0);
    ::_exit(128 + signal);
}

void InstallStopHandlers()
{
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaddset(&action.sa_mask, SIGINT);
    sigaddset(&action.sa_mask, SIGTERM);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

/* Holds SIGINT and SIGTERM back while the worker table changes. */
class StopSignalsHeld {
public:
    StopSignalsHeld()
    {
        sigset_t stops;
        sigemptyset(&stops);
        sigaddset(&stops, SIGINT);
        sigaddset(&stops, SIGTERM);
        ::sigprocmask(SIG_BLOCK, &stops, &saved_);
    }
    ~StopSignalsHeld() { ::sigprocmask(SIG_SETMASK, &saved_, nullptr); }

private:
    sigset_t saved_;
};

bool ParseCount(const char *text, int &value)
{
    const char *end = text + std::strlen(text);
    const auto r = std::from_chars(text, end, value);
    return r.ec == std::errc() && r.ptr == end && value > 0;
}

/* W:H with both parts positive and finite, as the width over the height. */
bool ParseAspect(const char *text, float &aspect)
{
    const char *colon = std::strchr(text, ':');
    if (!colon) return false;
    const char *end = text + std::strlen(text);
    double w = 0, h = 0;
    const auto rw = std::from_chars(text, colon, w);
    const auto rh = std::from_chars(colon + 1, end, h);
    if (rw.ec != std::errc() || rw.ptr != colon || rh.ec != std::errc() || rh.ptr != end) return false;
    if (!(w > 0 && h > 0) || !std::isfinite(w / h) || !(w / h > 0)) return false;
    aspect = static_cast<float>(w / h);
    return std::isfinite(aspect) && aspect > 0.0f;
}

/* 0 parsed, 1 help shown, 2 usage error. */
int ParseArguments(int argc, char **argv, Options &o)
{
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "-h" || a == "--help") {
            std::fputs(kUsage, stdout);
            return 1;
        } else if (a == "-v") {
            o.verbose = true;
        } else if (a == "--compat") {
            o.compat = true;
        } else if (a == "--no-fit") {
            o.picture.fit = false;
        } else if (a == "--all-layers") {
            o.picture.visibleLayersOnly = false;
        } else if (a == "--named-linetypes") {
            o.picture.drawingLineTypes = false;
        } else if (a == "--hollow") {
            o.picture.filledAreas = false;
        } else if (a == "--base") {
            o.base = true;
        } else if (a == "--nurbs") {
            o.picture.nurbsElement = true;
        } else if (a == "--no-page") {
            o.picture.pageAspect = 0.0f;
        } else if (a == "-o" || a == "-j" || a == "--converter-timeout" || a == "--page") {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "dxf2cgm: %s needs a value\n%s", a.c_str(), kUsage);
                return 2;
            }
            const char *value = argv[++i];
            if (a == "-o") {
                o.outputDir = value;
            } else if (a == "--page") {
                if (!ParseAspect(value, o.picture.pageAspect)) {
                    std::fprintf(stderr, "dxf2cgm: --page needs a shape W:H such as 16:9, not \"%s\"\n",
                                 value);
                    return 2;
                }
            } else if (!ParseCount(value, a == "-j" ? o.workers : o.converterTimeout)) {
                std::fprintf(stderr, "dxf2cgm: %s needs a positive number, not \"%s\"\n", a.c_str(), value);
                return 2;
            }
        } else if (a == "--") {
            for (++i; i < argc; ++i) files.push_back(argv[i]);
        } else if (a.size() > 1 && a[0] == '-') {
            std::fprintf(stderr, "dxf2cgm: unknown option %s\n%s", a.c_str(), kUsage);
            return 2;
        } else {
            files.push_back(a);
        }
    }
    if (o.outputDir.empty()) {
        if (files.size() != 2) {
            std::fputs(kUsage, stderr);
            return 2;
        }
        o.inputs.push_back(files[0]);
        o.output = files[1];
    } else {
        if (files.empty()) {
            std::fputs(kUsage, stderr);
            return 2;
        }
        o.inputs = files;
    }
    if (o.workers > kMaxWorkers) o.workers = kMaxWorkers;
    return 0;
}

/* DIR/<name of input without its extension>.cgm */
std::string OutputFor(const std::string &dir, const std::string &input)
{
    const size_t slash = input.find_last_of('/');
    std::string name = slash == std::string::npos ? input : input.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    std::string path = dir;
    if (!path.empty() && path.back() != '/') path += '/';
    return path + name + ".cgm";
}

/* Refuses two inputs that would be written to the same picture (a/x.dxf
 * and b/x.dxf, or one input given twice): true when there are none. */
bool OutputsAreDistinct(const Options &o)
{
    std::map<std::string, std::string> inputOf;
    bool distinct = true;
    for (const std::string &input : o.inputs) {
        const std::string output = OutputFor(o.outputDir, input);
        const auto placed = inputOf.emplace(output, input);
        if (placed.second) continue;
        std::fprintf(stderr, "dxf2cgm: %s and %s would both be written to %s\n", placed.first->second.c_str(),
                     input.c_str(), output.c_str());
        distinct = false;
    }
    return distinct;
}

/* What a path names when it is not a regular file. */
const char *KindOf(mode_t mode)
{
    if (S_ISDIR(mode)) return "a directory";
    if (S_ISFIFO(mode)) return "a pipe";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    return "not a regular file";
}

const char *const kCounterNames[ZelWordCount] = {nullptr,
                                                 "layers",
                                                 nullptr,
                                                 "text styles",
                                                 "arcs",
                                                 "attributes",
                                                 "circles",
                                                 "dimensions",
                                                 "ellipses",
                                                 "lightweight polylines",
                                                 "polylines",
                                                 "smoothed polylines",
                                                 "groups",
                                                 nullptr,
                                                 "inserts",
                                                 "leaders",
                                                 "lines",
                                                 "multilines",
                                                 "multiline texts",
                                                 "points",
                                                 "solids",
                                                 "splines",
                                                 "texts",
                                                 "arcs not allocated",
                                                 "attributes not allocated",
                                                 "circles not allocated",
                                                 "dimensions not allocated",
                                                 "ellipses not allocated",
                                                 "lightweight polylines not allocated",
                                                 "polylines not allocated",
                                                 "smoothed polylines not allocated",
                                                 "groups not allocated",
                                                 nullptr,
                                                 "inserts without block",
                                                 "leaders not allocated",
                                                 "lines not allocated",
                                                 "multilines not allocated",
                                                 "multiline texts not allocated",
                                                 "points not allocated",
                                                 "solids not allocated",
                                                 "splines not allocated",
                                                 "texts not allocated",
                                                 "other table entities",
                                                 "entities of unhandled types"};

void PrintSummary(const std::string &input, const ZelResults &r)
{
    std::printf("%s:\n", input.c_str());
    for (int i = 1; i < ZelWordCount; ++i)
        if (kCounterNames[i] && r.word[i] != 0)
            std::printf("  %10u %s\n", static_cast<unsigned>(r.word[i]), kCounterNames[i]);
}

/* What every conversion of this run draws (set once from the arguments). */
VyrDxf2CgmOptions pictureOptions;
bool basePicture = false;

/* Converts one drawing; 0 on success, 1 on failure (with a message). */
int ConvertOne(const std::string &input, const std::string &output, bool verbose, bool progress)
{
    /* Checked without opening it: the library opens the drawing once. A
     * pipe or a device is refused here, before anything waits on it. */
    struct stat inputStat;
    if (::stat(input.c_str(), &inputStat) != 0) {
        std::fprintf(stderr, "dxf2cgm: cannot read %s: %s\n", input.c_str(), std::strerror(errno));
        return 1;
    }
    if (!S_ISREG(inputStat.st_mode)) {
        std::fprintf(stderr, "dxf2cgm: %s is %s, not a drawing file\n", input.c_str(),
                     KindOf(inputStat.st_mode));
        return 1;
    }
    const bool large = inputStat.st_size >= kProgressSize;

    VyrDxf2Cgm converter;
    progressName = progress && large ? input : std::string();
    const int result = basePicture ? converter.Convert(input.c_str(), output.c_str())
                                   : converter.Convert(input.c_str(), output.c_str(), pictureOptions);
    ClearProgress();
    progressName.clear();
    if (result != 0) {
        std::fprintf(stderr, "dxf2cgm: %s could not be converted\n", input.c_str());
        return 1;
    }
    if (verbose) {
        ZelResults results{};
        converter.GetZelResults(&results);
        PrintSummary(input, results);
        /* What the picture lacks goes where the messages go. */
        uint32_t count = 0;
        for (int i = 0; const char *kind = converter.GetUndrawnKind(i, &count); ++i)
            std::fprintf(stderr, "dxf2cgm: %s: %u %s %s not drawn\n", input.c_str(),
                         static_cast<unsigned>(count), kind, count == 1 ? "entity" : "entities");
    }
    return 0;
}

/* Converts every input into the output directory, `workers` at a time. */
int ConvertAll(const Options &o)
{
    if (o.workers <= 1) {
        int failed = 0;
        for (const std::string &input : o.inputs)
            failed |= ConvertOne(input, OutputFor(o.outputDir, input), o.verbose, o.progress);
        return failed;
    }
    int failed = 0;
    int running = 0;
    size_t next = 0;
    while (next < o.inputs.size() || running > 0) {
        if (next < o.inputs.size() && running < o.workers) {
            std::fflush(stdout);
            std::fflush(stderr);
            pid_t pid;
            {
                /* A stop between the fork and the table would miss the
                 * new worker. */
                StopSignalsHeld held;
                pid = ::fork();
                if (pid == 0) {
                    for (volatile pid_t &w : workerPids) w = 0;
                } else if (pid > 0) {
                    for (volatile pid_t &w : workerPids)
                        if (w == 0) {
                            w = pid;
                            break;
                        }
                }
            }
            if (pid == 0) {
                const int r =
                    ConvertOne(o.inputs[next], OutputFor(o.outputDir, o.inputs[next]), o.verbose, false);
                std::fflush(stdout);
                std::fflush(stderr);
                ::_exit(r);
            }
            if (pid > 0) {
                ++running;
                ++next;
                continue;
            }
            if (running == 0) {
                std::fprintf(stderr, "dxf2cgm: cannot start a worker for %s: %s\n", o.inputs[next].c_str(),
                             std::strerror(errno));
                failed = 1;
                ++next;
                continue;
            }
            /* No worker now: wait for one to finish, then try again. */
        }
        /* Wait for a worker to end without reaping it, then reap it and
         * take it off the table with stops held back, so that a stop never
         * signals a process id that is no longer a worker's. */
        siginfo_t info = {};
        if (::waitid(P_ALL, 0, &info, WEXITED | WNOWAIT) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        int status = 0;
        pid_t done;
        {
            StopSignalsHeld held;
            done = ::waitpid(info.si_pid, &status, WNOHANG);
            for (volatile pid_t &w : workerPids)
                if (done > 0 && w == done) w = 0;
        }
        if (done <= 0) continue;
        --running;
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) failed = 1;
    }
    return failed;
}

} // namespace

int main(int argc, char **argv)
{
    Options o;
    const int parsed = ParseArguments(argc, argv, o);
    if (parsed == 1) return 0;
    if (parsed != 0) return 2;

    mpm_SetOutputRoutine(ToStandardError);
    InstallStopHandlers();
    dnfp_SetProcessorTimeLimit(o.converterTimeout);
    if (o.compat) VyrPrintCGMGenerator::sSetDefaultProfile(VyrCgmProfileCompatible);
    pictureOptions = o.picture;
    if (o.base) {
        const bool nurbs = pictureOptions.nurbsElement;
        pictureOptions = VyrDxf2CgmOptions();
        pictureOptions.nurbsElement = nurbs;
        basePicture = !nurbs;
    }
    o.progress = ::isatty(STDERR_FILENO) == 1;
    if (o.progress) dnfp_SetProgressFn(ShowProgress);

    if (o.outputDir.empty()) return ConvertOne(o.inputs[0], o.output, o.verbose, o.progress);
    struct stat st;
    if (::stat(o.outputDir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        std::fprintf(stderr, "dxf2cgm: %s is not a directory\n", o.outputDir.c_str());
        return 2;
    }
    if (!OutputsAreDistinct(o)) return 2;
    return ConvertAll(o);
}
