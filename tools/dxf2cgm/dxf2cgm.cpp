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
 * error. */
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
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
                           "  -v         print the counts of converted elements\n"
                           "  --compat   write only what weak viewers draw right (curves, ellipses and\n"
                           "             markers as polylines, dashes as segments, texts unrotated)\n"
                           "  -h, --help this text\n";

struct Options {
    std::string outputDir;
    int workers = 1;
    bool verbose = false;
    bool compat = false;
    bool progress = false;
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

bool ParseCount(const char *text, int &value)
{
    const char *end = text + std::strlen(text);
    const auto r = std::from_chars(text, end, value);
    return r.ec == std::errc() && r.ptr == end && value > 0;
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
        } else if (a == "-o" || a == "-j") {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "dxf2cgm: %s needs a value\n%s", a.c_str(), kUsage);
                return 2;
            }
            const char *value = argv[++i];
            if (a == "-o") {
                o.outputDir = value;
            } else if (!ParseCount(value, o.workers)) {
                std::fprintf(stderr, "dxf2cgm: -j needs a positive number, not \"%s\"\n", value);
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

/* Converts one drawing; 0 on success, 1 on failure (with a message). */
int ConvertOne(const std::string &input, const std::string &output, bool verbose, bool progress)
{
    const int in = ::open(input.c_str(), O_RDONLY);
    if (in < 0) {
        std::fprintf(stderr, "dxf2cgm: cannot read %s: %s\n", input.c_str(), std::strerror(errno));
        return 1;
    }
    struct stat inputStat;
    const bool large = ::fstat(in, &inputStat) == 0 && inputStat.st_size >= kProgressSize;
    ::close(in);

    /* The library reports an output it cannot open only by writing nothing:
     * find out first, and remove what we created when the conversion fails. */
    struct stat st;
    const bool existed = ::stat(output.c_str(), &st) == 0;
    const int out = ::open(output.c_str(), O_WRONLY | O_CREAT, 0666);
    if (out < 0) {
        std::fprintf(stderr, "dxf2cgm: cannot write %s: %s\n", output.c_str(), std::strerror(errno));
        return 1;
    }
    ::close(out);

    VyrDxf2Cgm converter;
    progressName = progress && large ? input : std::string();
    const int result = converter.Convert(input.c_str(), output.c_str());
    ClearProgress();
    progressName.clear();
    if (result != 0) {
        std::fprintf(stderr, "dxf2cgm: %s could not be converted\n", input.c_str());
        if (!existed) ::unlink(output.c_str());
        return 1;
    }
    if (verbose) {
        ZelResults results{};
        converter.GetZelResults(&results);
        PrintSummary(input, results);
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
            const pid_t pid = ::fork();
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
        int status = 0;
        if (::wait(&status) < 0) {
            if (errno == EINTR) continue;
            break;
        }
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
    if (o.compat) VyrPrintCGMGenerator::sSetDefaultProfile(VyrCgmProfileCompatible);
    o.progress = ::isatty(STDERR_FILENO) == 1;
    if (o.progress) dnfp_SetProgressFn(ShowProgress);

    if (o.outputDir.empty()) return ConvertOne(o.inputs[0], o.output, o.verbose, o.progress);
    struct stat st;
    if (::stat(o.outputDir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        std::fprintf(stderr, "dxf2cgm: %s is not a directory\n", o.outputDir.c_str());
        return 2;
    }
    return ConvertAll(o);
}
