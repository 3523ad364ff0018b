/* RozOzoRoruveziz: the down-converter the library runs for drawings newer
 * than its toolkit reads.
 *
 *   RozOzoRoruveziz [-v] INPUT OUTPUT MODE        (MODE: preprocess, preprocView)
 *
 * Rewrites an ASCII or binary DXF drawing of release AC1018, AC1021,
 * AC1024, AC1027 or AC1032 as an ASCII DXF drawing of release AC1015 in
 * OUTPUT. Exit status: 0 when OUTPUT was written; 5 when there is nothing
 * to convert (a drawing of release AC1015 or older, and any DWG file in
 * preprocView mode: the toolkit reads DWG itself); 2 for a usage error; 1
 * for any other failure, with a message on standard error. OUTPUT is
 * written under a temporary name in its folder and renamed at the end, so a
 * failure never leaves half a file; INPUT is only read. With -v, what was
 * dropped is counted on standard error. */
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "tools/downconv/DxfDownConverter.h"

namespace {

const char kName[] = "RozOzoRoruveziz";
const int kWritten = 0, kFailed = 1, kUsage = 2, kNothingToDo = 5;

const char kUsageText[] = "usage: RozOzoRoruveziz [-v] INPUT OUTPUT MODE\n"
                          "  rewrites a DXF drawing of release AC1018 to AC1032 as release AC1015;\n"
                          "  MODE is preprocess or preprocView; -v counts what was dropped\n";

int Failure(const std::string &message)
{
    std::fprintf(stderr, "%s: %s\n", kName, message.c_str());
    return kFailed;
}

/* The number of a release name "AC1018", or -1 for other forms. */
int ReleaseNumber(const std::string &name)
{
    if (name.size() != 6 || name.compare(0, 2, "AC") != 0) return -1;
    int n = 0;
    for (size_t i = 2; i < 6; ++i) {
        if (name[i] < '0' || name[i] > '9') return -1;
        n = n * 10 + (name[i] - '0');
    }
    return n;
}

bool Convertible(int release)
{
    return release == 1018 || release == 1021 || release == 1024 || release == 1027 || release == 1032;
}

/* Release 2000 and before, in every form their files name themselves. */
bool Older(const std::string &name)
{
    const int n = ReleaseNumber(name);
    return name.empty() || (n >= 0 && n <= 1015) || n == 1500 || (n < 0 && name.compare(0, 2, "AC") == 0);
}

struct Drawing {
    std::string release;
    std::string codePage;
};

std::string Trim(std::string s)
{
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
    size_t b = 0;
    while (b < s.size() && (s[b] == ' ' || s[b] == '\t')) ++b;
    return s.substr(b);
}

/* Reads the HEADER section for the release and the code page; false with a
 * message when the input is not a DXF drawing. */
bool ScanHeader(DxfPairReader &in, Drawing &d, std::string &error)
{
    DxfPair p;
    bool header = false, first = true, expectName = false;
    while (in.Next(p)) {
        if (p.code != 999) p.value = Trim(p.value);
        if (first && !(p.code == 0 || p.code == 999)) break;
        first = false;
        if (expectName) {
            expectName = false;
            if (p.code != 2) break;
            if (p.value != "HEADER") return true;
            header = true;
            continue;
        }
        if (p.code == 0) {
            if (header && p.value == "ENDSEC") return true;
            if (p.value == "SECTION") expectName = true;
            if (p.value == "EOF") return true;
            continue;
        }
        if (header && p.code == 9 && (p.value == "$ACADVER" || p.value == "$DWGCODEPAGE")) {
            std::string &field = p.value == "$ACADVER" ? d.release : d.codePage;
            if (!in.Next(p)) break;
            field = Trim(p.value);
        }
    }
    error = in.Error().empty() ? "not a DXF drawing" : "not a DXF drawing (" + in.Error() + ")";
    return false;
}

std::string Directory(const std::string &path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

/* What was dropped, one line per kind of thing: group codes of one kind of
 * record together, header variables together. */
void Report(const DxfDownConverter &converter, const std::string &codePage)
{
    std::map<std::string, std::map<int, long>> codes;
    std::vector<std::string> variables, others;
    for (const auto &d : converter.Dropped()) {
        const size_t at = d.first.find(" group code ");
        if (at != std::string::npos)
            codes[d.first.substr(0, at)][std::atoi(d.first.c_str() + at + 12)] += d.second;
        else if (d.first.compare(0, 16, "header variable ") == 0)
            variables.push_back(d.first.substr(16));
        else
            others.push_back(d.first + " (" + std::to_string(d.second) + ")");
    }
    for (const auto &c : codes) {
        std::string line;
        for (const auto &n : c.second)
            line +=
                (line.empty() ? "" : ", ") + std::to_string(n.first) + " (" + std::to_string(n.second) + ")";
        std::fprintf(stderr, "%s: dropped %s group codes %s\n", kName, c.first.c_str(), line.c_str());
    }
    if (!variables.empty()) {
        std::string line;
        for (const std::string &v : variables) line += (line.empty() ? "" : ", ") + v;
        std::fprintf(stderr, "%s: dropped header variables %s\n", kName, line.c_str());
    }
    for (const std::string &o : others) std::fprintf(stderr, "%s: dropped %s\n", kName, o.c_str());
    const DxfTextRecoder &r = converter.Recoder();
    if (r.escaped)
        std::fprintf(stderr, "%s: %ld characters outside code page %s written as \\U+XXXX\n", kName,
                     r.escaped, codePage.empty() ? "(none)" : codePage.c_str());
    if (r.foreign) std::fprintf(stderr, "%s: %ld texts not in UTF-8 kept as they were\n", kName, r.foreign);
}

int Run(bool verbose, const std::string &input, const std::string &output, const std::string &mode)
{
    const int in = ::open(input.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (in < 0) return Failure("cannot read " + input + ": " + std::strerror(errno));
    struct InputCloser {
        int fd;
        ~InputCloser() { ::close(fd); }
    } closer{in};
    struct stat inStat;
    if (::fstat(in, &inStat) != 0 || !S_ISREG(inStat.st_mode))
        return Failure(input + " is not a regular file");
    ::fcntl(in, F_SETFL, ::fcntl(in, F_GETFL) & ~O_NONBLOCK);

    /* A DWG file begins with its release name. */
    char magic[6] = {0};
    const ssize_t got = ::pread(in, magic, sizeof magic, 0);
    if (got == 6 && magic[0] == 'A' && magic[1] == 'C') {
        const std::string release(magic, 6);
        if (mode == "preprocView" || Older(release)) return kNothingToDo;
        return Failure(input + ": DWG drawings of release " + release +
                       " are not converted (the toolkit reads DWG up to AC1015)");
    }

    DxfPairReader reader(in, input);
    if (!reader.Start()) return Failure(reader.Error());
    if (reader.OldBinary()) return kNothingToDo;
    Drawing drawing;
    std::string error;
    if (!ScanHeader(reader, drawing, error)) return Failure(input + ": " + error);
    if (Older(drawing.release)) return kNothingToDo;
    const int release = ReleaseNumber(drawing.release);
    if (!Convertible(release))
        return Failure(input + ": release " + drawing.release + " is not one this program converts");

    struct stat outStat;
    const bool exists = ::stat(output.c_str(), &outStat) == 0;
    if (exists && outStat.st_dev == inStat.st_dev && outStat.st_ino == inStat.st_ino)
        return Failure(output + " is the input itself");
    if (!reader.Rewind()) return Failure(reader.Error());

    std::string temporary = Directory(output) + "/.RozOzoRoruveziz-XXXXXX";
    const int out = ::mkstemp(&temporary[0]);
    if (out < 0) return Failure("cannot write in " + Directory(output) + ": " + std::strerror(errno));
    DxfPairWriter writer(out);
    DxfDownConverter converter(reader, writer, static_cast<DxfRelease>(release), drawing.codePage);
    bool ok = converter.Run();
    std::string fault = converter.Error();
    if (ok) {
        /* the file the library made for us is private; one of our own is
         * made as any new file */
        mode_t keep = 0;
        if (!exists) {
            keep = ::umask(0);
            ::umask(keep);
        }
        ::fchmod(out, exists ? outStat.st_mode & 07777 : 0666 & ~keep);
    }
    if (ok && ::fsync(out) != 0 && errno != EINVAL) {
        ok = false;
        fault = std::string("cannot write: ") + std::strerror(errno);
    }
    if (::close(out) != 0 && ok) {
        ok = false;
        fault = std::string("cannot write: ") + std::strerror(errno);
    }
    if (ok && ::rename(temporary.c_str(), output.c_str()) != 0) {
        ok = false;
        fault = "cannot write " + output + ": " + std::strerror(errno);
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        return Failure(fault.compare(0, input.size(), input) == 0 ? fault : input + ": " + fault);
    }
    if (verbose) Report(converter, drawing.codePage);
    return kWritten;
}

} // namespace

int main(int argc, char **argv)
{
    bool verbose = false;
    int i = 1;
    for (; i < argc && argv[i][0] == '-' && argv[i][1] != '\0'; ++i) {
        const std::string option = argv[i];
        if (option == "--") {
            ++i;
            break;
        }
        if (option == "-v") {
            verbose = true;
        } else if (option == "-h" || option == "--help") {
            std::fputs(kUsageText, stdout);
            return kWritten;
        } else {
            std::fprintf(stderr, "%s: unknown option %s\n%s", kName, option.c_str(), kUsageText);
            return kUsage;
        }
    }
    if (argc - i != 3) {
        std::fputs(kUsageText, stderr);
        return kUsage;
    }
    const std::string mode = argv[i + 2];
    if (mode != "preprocess" && mode != "preprocView") {
        std::fprintf(stderr, "%s: MODE must be preprocess or preprocView, not \"%s\"\n", kName, mode.c_str());
        return kUsage;
    }
    return Run(verbose, argv[i], argv[i + 1], mode);
}
