/* dxf2cgm over hostile drawings, one process per file under a time limit:
 * drawings written by ezdxf cut at every section boundary, with huge
 * counts, NaN and infinite reals, 100,000-character strings, deep and
 * self-referencing block nesting, CR-only and mixed line ends, NUL bytes
 * and invalid UTF-8 in names. Each run must end by itself with status 0 or
 * 1 (a cut drawing: 0 when the cut comes after its HEADER section, with a
 * warning, else 1; an entity whose counts exceed its data is left out:
 * 0), without a sanitizer report, and leave nothing in TMPDIR nor beside
 * the picture but the picture. */
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "support/VyrTempFile.h"

namespace {

const std::string kTool = std::string(VYR_BINARY_DIR) + "/tools/dxf2cgm";
const std::string kData = VYR_TEST_DATA_DIR;

std::vector<std::string> Names(const std::string &dir)
{
    std::vector<std::string> names;
    if (DIR *d = ::opendir(dir.c_str())) {
        while (dirent *e = ::readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
        ::closedir(d);
    }
    return names;
}

/* The byte offsets at which the lines of `text` start. */
std::vector<size_t> LineStarts(const std::string &text)
{
    std::vector<size_t> starts = {0};
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n' && i + 1 < text.size()) starts.push_back(i + 1);
    return starts;
}

std::string Line(const std::string &text, size_t start)
{
    const size_t end = text.find_first_of("\r\n", start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

/* `text` with `insert` placed just before the end of section `name`. */
std::string Inject(const std::string &text, const std::string &name, const std::string &insert)
{
    const size_t section = text.find("\n" + name + "\n");
    const size_t end = text.find("\n  0\nENDSEC\n", section);
    if (section == std::string::npos || end == std::string::npos) return text;
    return text.substr(0, end + 1) + insert + text.substr(end + 1);
}

std::string Pairs(const std::vector<std::pair<int, std::string>> &pairs)
{
    std::string s;
    for (const auto &p : pairs) s += std::to_string(p.first) + "\n" + p.second + "\n";
    return s;
}

class Robustness : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (::access(kTool.c_str(), X_OK) != 0) GTEST_SKIP() << "dxf2cgm is not built";
        ASSERT_FALSE(dir.Path().empty());
        work = dir.Path();
        for (const char *sub : {"/in", "/out", "/tmp"}) ASSERT_EQ(::mkdir((work + sub).c_str(), 0700), 0);
    }

    static std::string Read(const std::string &name)
    {
        std::string bytes = VyrReadFile(kData + "/" + name);
        EXPECT_FALSE(bytes.empty()) << name;
        return bytes;
    }

    /* Converts `bytes` as drawing `name` and checks how that ended: with
     * status `want` (-1: 0 or 1), and `said` on standard error. */
    void Convert(const std::string &name, const std::string &bytes, int want = -1, const char *said = nullptr)
    {
        SCOPED_TRACE(name);
        const std::string input = work + "/in/" + name + ".dxf", err = work + "/stderr";
        {
            std::ofstream out(input, std::ios::binary);
            out << bytes;
        }
        const std::string command = "env -u TRAMEL_TMP TMPDIR=" + work + "/tmp timeout -s KILL 30 " + kTool +
                                    " -o " + work + "/out " + input + " >/dev/null 2>" + err + " </dev/null";
        const int status = std::system(command.c_str());
        const std::string messages = VyrReadFile(err);
        ASSERT_TRUE(WIFEXITED(status)) << "stopped by a signal";
        const int code = WEXITSTATUS(status);
        EXPECT_TRUE(want < 0 ? code == 0 || code == 1 : code == want)
            << "exit status " << code << (code == 137 ? " (killed at 30 s)" : "") << "\n"
            << messages.substr(0, 2000);
        if (said) { EXPECT_NE(messages.find(said), std::string::npos) << messages.substr(0, 2000); }
        for (const char *report : {"Sanitizer", "runtime error:"})
            EXPECT_EQ(messages.find(report), std::string::npos) << messages.substr(0, 4000);
        EXPECT_TRUE(Names(work + "/tmp").empty()) << "left in TMPDIR";
        const std::vector<std::string> written = Names(work + "/out");
        EXPECT_TRUE(written.empty() || written == std::vector<std::string>{name + ".cgm"})
            << written.size() << " files beside the picture";
        if (code != 0) { EXPECT_TRUE(written.empty()) << "a failed conversion leaves no picture"; }
        ++runs;
        ::unlink(input.c_str());
        ::unlink((work + "/out/" + name + ".cgm").c_str());
    }

    /* The drawing cut before each section's start and end and halfway
     * through each section: a cut before the end of the HEADER section
     * fails, any later one converts what was read, with a warning unless
     * only the end of the EOF line is missing. */
    void CutAtSectionBoundaries(const std::string &name)
    {
        const std::string text = Read(name);
        const std::vector<size_t> starts = LineStarts(text);
        std::vector<size_t> cuts;
        for (size_t i = 1; i < starts.size(); ++i) {
            const std::string line = Line(text, starts[i]);
            if (line == "SECTION" || line == "ENDSEC" || line == "EOF") {
                cuts.push_back(starts[i - 1]);                            /* before the "0" */
                cuts.push_back(starts[i]);                                /* between the "0" and the name */
                cuts.push_back(starts[i] + 3);                            /* inside the name */
                if (i + 2 < starts.size()) cuts.push_back(starts[i + 2]); /* after "2 <name>" */
            }
        }
        const size_t n = cuts.size();
        for (size_t k = 0; k + 1 < n; k += 4) cuts.push_back((cuts[k] + cuts[k + 4 < n ? k + 4 : n - 1]) / 2);
        const size_t headerEnd = text.find("ENDSEC", text.find("HEADER")) + 6, eof = text.rfind("EOF") + 3;
        for (size_t cut : cuts) {
            const bool kept = cut >= headerEnd;
            Convert(name.substr(0, name.find('.')) + "-cut" + std::to_string(cut), text.substr(0, cut),
                    kept ? 0 : 1, kept && cut < eof ? "The file ends" : nullptr);
        }
    }

    VyrTempDir dir{"vyr_hostile"};
    std::string work;
    int runs = 0;
};

TEST_F(Robustness, TruncatedAtEverySectionBoundaryOfARelease12Drawing)
{
    CutAtSectionBoundaries("ezdxf-r12.dxf");
    EXPECT_GT(runs, 20);
}

TEST_F(Robustness, TruncatedAtEverySectionBoundaryOfARelease2000Drawing)
{
    CutAtSectionBoundaries("ezdxf-r2000.dxf");
    EXPECT_GT(runs, 30);
}

TEST_F(Robustness, TruncatedBinaryDrawing)
{
    const std::string bytes = Read("ezdxf-r2000-binary.dxf");
    /* the (0, "ENDSEC") of the HEADER section ends with its NUL */
    const size_t headerEnd = bytes.find("ENDSEC", bytes.find("HEADER")) + 7;
    std::vector<size_t> cuts = {1, 22, bytes.size() / 3, bytes.size() - 5};
    for (size_t at = bytes.find("SECTION"); at != std::string::npos; at = bytes.find("SECTION", at + 1)) {
        cuts.push_back(at - 2);
        cuts.push_back(at + 3);
    }
    for (size_t at : cuts)
        Convert("binary-cut" + std::to_string(at), bytes.substr(0, at), at >= headerEnd ? 0 : 1,
                at >= headerEnd ? "The file ends" : nullptr);
    EXPECT_GT(runs, 8);
}

TEST_F(Robustness, HugeCountsAndBadReals)
{
    const std::string base = Read("ezdxf-r2000.dxf");
    const std::string big = "2147483647", wrap = "1000000", negative = "-5";
    const std::vector<std::pair<std::string, std::string>> entities = {
        {"lwpolyline-count", Pairs({{0, "LWPOLYLINE"},
                                    {8, "0"},
                                    {90, big},
                                    {70, "0"},
                                    {10, "0"},
                                    {20, "0"},
                                    {10, "1"},
                                    {20, "1"}})},
        {"lwpolyline-negative", Pairs({{0, "LWPOLYLINE"}, {8, "0"}, {90, negative}, {10, "0"}, {20, "0"}})},
        {"spline-counts", Pairs({{0, "SPLINE"},
                                 {8, "0"},
                                 {70, "8"},
                                 {71, "3"},
                                 {72, wrap},
                                 {73, big},
                                 {74, big},
                                 {40, "0"},
                                 {40, "1"},
                                 {10, "0"},
                                 {20, "0"},
                                 {30, "0"}})},
        {"hatch-counts", Pairs({{0, "HATCH"},
                                {8, "0"},
                                {2, "SOLID"},
                                {70, "1"},
                                {71, "0"},
                                {91, big},
                                {92, "2"},
                                {72, "1"},
                                {73, "1"},
                                {93, big},
                                {10, "0"},
                                {20, "0"}})},
        {"leader-count", Pairs({{0, "LEADER"}, {8, "0"}, {76, big}, {10, "0"}, {20, "0"}, {30, "0"}})},
        {"polyline-without-end", Pairs({{0, "POLYLINE"},
                                        {8, "0"},
                                        {66, "1"},
                                        {70, "0"},
                                        {0, "VERTEX"},
                                        {8, "0"},
                                        {10, "0"},
                                        {20, "0"}})},
        {"reals",
         Pairs(
             {{0, "LINE"},    {8, "0"},          {10, "nan"},    {20, "inf"},  {30, "-inf"},  {11, "1e308"},
              {21, "-1e400"}, {31, "0x1p-1074"}, {0, "CIRCLE"},  {8, "0"},     {10, "1e308"}, {20, "-1e308"},
              {40, "1e308"},  {0, "ARC"},        {8, "0"},       {10, "0"},    {20, "0"},     {40, "1"},
              {50, "nan"},    {51, "inf"},       {0, "ELLIPSE"}, {8, "0"},     {10, "0"},     {20, "0"},
              {11, "inf"},    {21, "0"},         {40, "nan"},    {41, "0"},    {42, "1e300"}, {0, "TEXT"},
              {8, "0"},       {10, "0"},         {20, "0"},      {40, "-inf"}, {1, "x"},      {50, "1e300"},
              {0, "CIRCLE"},  {8, "0"},          {10, "0"},      {20, "0"},    {40, "-0"}})},
    };
    for (const auto &e : entities) Convert(e.first, Inject(base, "ENTITIES", e.second), 0);
    std::string header = base;
    const size_t extmin = header.find("$EXTMIN\n 10\n");
    if (extmin != std::string::npos)
        header.replace(extmin + 12, header.find('\n', extmin + 12) - extmin - 12, "nan");
    Convert("header-nan", header);
}

TEST_F(Robustness, LongStringsNulBytesAndInvalidUtf8)
{
    const std::string base = Read("ezdxf-r12.dxf");
    const std::string longText(100000, 'W');
    /* over-long values are cut with a warning: the drawing converts */
    const std::pair<const char *, std::string> longValues[] = {
        {"long-layer", Pairs({{0, "LINE"}, {8, longText}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "1"}})},
        {"long-text", Pairs({{0, "TEXT"}, {8, "0"}, {10, "0"}, {20, "0"}, {40, "1"}, {1, longText}})},
        {"long-number",
         Pairs({{0, "LINE"}, {8, "0"}, {10, std::string(100000, '1')}, {20, "0"}, {11, "1"}, {21, "1"}})},
        {"long-handle", Pairs({{0, "LINE"}, {5, std::string(100000, 'F')}, {8, "0"}, {10, "0"}, {20, "0"}})},
    };
    for (const auto &v : longValues)
        Convert(v.first, Inject(base, "ENTITIES", v.second), 0, "longer than 2050");
    Convert("long-comment", "999\n" + longText + "\n" + base, 0);
    std::string nul = base;
    nul[nul.find("ENTITIES") + 12] = '\0';
    Convert("nul-in-entities", nul);
    nul = base;
    nul.insert(nul.find("\nLINE\n") + 1, std::string(1, '\0'));
    Convert("nul-before-kind", nul);
    Convert(
        "nul-in-layer",
        Inject(
            base, "ENTITIES",
            Pairs({{0, "LINE"}, {8, std::string("a\0b", 3)}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "1"}})));
    const std::string invalid = "\xff\xfe\xc0\x80\xed\xa0\x80";
    Convert("utf8-layer", Inject(base, "ENTITIES",
                                 Pairs({{0, "LINE"},
                                        {8, invalid},
                                        {10, "0"},
                                        {20, "0"},
                                        {11, "1"},
                                        {21, "1"},
                                        {0, "TEXT"},
                                        {8, invalid},
                                        {10, "0"},
                                        {20, "0"},
                                        {40, "1"},
                                        {1, invalid},
                                        {7, invalid}})));
}

TEST_F(Robustness, LineEnds)
{
    for (const char *name : {"ezdxf-r12.dxf", "ezdxf-r2000.dxf"}) {
        std::string cr = Read(name), mixed;
        for (char &c : cr)
            if (c == '\n') c = '\r';
        Convert(std::string("cr-only-") + name, cr);
        bool crlf = false;
        for (char c : Read(name)) {
            if (c == '\n' && (crlf = !crlf)) mixed += '\r';
            mixed += c;
        }
        Convert(std::string("mixed-") + name, mixed);
    }
}

TEST_F(Robustness, DeepAndSelfReferencingBlocks)
{
    const std::string base = Read("ezdxf-r12.dxf");
    auto block = [](const std::string &name, const std::string &inner) {
        return Pairs({{0, "BLOCK"},
                      {8, "0"},
                      {2, name},
                      {70, "0"},
                      {10, "0"},
                      {20, "0"},
                      {30, "0"},
                      {3, name}}) +
               Pairs({{0, "LINE"}, {8, "0"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "1"}}) +
               (inner.empty() ? "" : Pairs({{0, "INSERT"}, {8, "0"}, {2, inner}, {10, "1"}, {20, "0"}})) +
               Pairs({{0, "ENDBLK"}, {8, "0"}});
    };
    auto insert = [](const std::string &name) {
        return Pairs({{0, "INSERT"}, {8, "0"}, {2, name}, {10, "0"}, {20, "0"}});
    };
    Convert("self", Inject(Inject(base, "BLOCKS", block("SELF", "SELF")), "ENTITIES", insert("SELF")));
    Convert("mutual",
            Inject(Inject(base, "BLOCKS", block("A", "B") + block("B", "A")), "ENTITIES", insert("A")));
    std::string chain;
    for (int i = 0; i < 3000; ++i)
        chain += block("B" + std::to_string(i), i + 1 < 3000 ? "B" + std::to_string(i + 1) : "");
    Convert("chain", Inject(Inject(base, "BLOCKS", chain), "ENTITIES", insert("B0")));
    Convert("missing", Inject(base, "ENTITIES", insert("NOWHERE")));
}

} // namespace
