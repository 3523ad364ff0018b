/* Drawing files converted from end to end through the kernel, the mapping
 * layer and the toolkit: every test drawing converts and its picture
 * decodes; the reference drawing gives the primitives and coordinates it
 * holds; the sample drawing converts and an independent viewer draws it;
 * failures report and leave no state behind; two threads converting at once
 * get what each would get alone. */
#include <gtest/gtest.h>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "Dxf2Cgm/VyrDxf2Cgm.h"
#include "kernel/mpm/mpm.h"
#include "platform/print/VyrPrintCGMGenerator.h"
#include "support/VyrOffice.h"
#include "support/VyrTempFile.h"
#include "tools/cgmdecode/CgmDecoder.h"

namespace {

std::string SourceDir()
{
    std::string dir = VYR_TEST_DATA_DIR;
    for (int up = 0; up < 2; ++up) dir.erase(dir.find_last_of('/'));
    return dir;
}

/* The drawings under `dir` and its subdirectories, sorted. */
std::vector<std::string> DrawingsIn(const std::string &dir)
{
    std::vector<std::string> out;
    if (DIR *d = ::opendir(dir.c_str())) {
        while (dirent *e = ::readdir(d)) {
            const std::string name = e->d_name;
            if (name == "." || name == "..") continue;
            const std::string path = dir + "/" + name;
            struct stat st;
            if (::stat(path.c_str(), &st) != 0) continue;
            if (S_ISDIR(st.st_mode)) {
                for (const std::string &inner : DrawingsIn(path)) out.push_back(inner);
            } else if (name.size() > 4 &&
                       (name.substr(name.size() - 4) == ".dxf" || name.substr(name.size() - 4) == ".DXF")) {
                out.push_back(path);
            }
        }
        ::closedir(d);
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::string Version(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (line.find("$ACADVER") == std::string::npos) continue;
        std::getline(in, line); /* group code 1 */
        std::getline(in, line);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        return line;
    }
    return "";
}

std::string messages;
void Capture(const char *line, FILE *) { messages += line; }

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(dir.Path().empty());
        work = dir.Path();
        messages.clear();
        mpm_SetOutputRoutine(Capture);
        ::unsetenv("CGMV1");
    }
    void TearDown() override
    {
        mpm_SetOutputRoutine(nullptr);
        VyrPrintCGMGenerator::sSetDefaultProfile(VyrCgmProfileStandard);
    }

    std::vector<uint8_t> Read(const std::string &path)
    {
        const std::string bytes = VyrReadFile(path);
        return std::vector<uint8_t>(bytes.begin(), bytes.end());
    }

    /* Converts and decodes; the decoder is empty when either failed. */
    bool ConvertAndDecode(const std::string &drawing, CgmDecoder &decoder, ZelResults *results = nullptr)
    {
        const std::string output = work + "/out.cgm";
        VyrDxf2Cgm converter;
        const int r = converter.Convert(drawing.c_str(), output.c_str());
        EXPECT_EQ(r, 0) << drawing << "\n" << messages;
        if (results) converter.GetZelResults(results);
        if (r != 0) return false;
        const std::vector<uint8_t> bytes = Read(output);
        const bool decoded = decoder.Decode(bytes.data(), bytes.size());
        EXPECT_TRUE(decoded) << drawing << ": " << decoder.Error();
        return decoded;
    }

    VyrTempDir dir{"vyr_e2e"};
    std::string work;
};

TEST_F(EndToEnd, EveryTestDrawingConvertsAndDecodes)
{
    /* The drawings of the conversion tests are named convert_*.dxf; other
     * tests keep broken drawings beside them on purpose. */
    std::vector<std::string> drawings;
    for (const std::string &path : DrawingsIn(VYR_TEST_DATA_DIR))
        if (path.find("/convert_") != std::string::npos) drawings.push_back(path);
    drawings.push_back(SourceDir() + "/examples/sample.dxf");
    ASSERT_GE(drawings.size(), 3u);
    for (const std::string &drawing : drawings) {
        CgmDecoder decoder;
        if (!ConvertAndDecode(drawing, decoder)) continue;
        EXPECT_EQ(decoder.Lines("BEGIN PICTURE").size(), 1u) << drawing;
        EXPECT_EQ(decoder.Lines("END METAFILE").size(), 1u) << drawing;
    }
}

TEST_F(EndToEnd, ReferenceDrawing)
{
    CgmDecoder decoder;
    ZelResults results{};
    ASSERT_TRUE(ConvertAndDecode(VYR_TEST_DATA_DIR "/convert_reference.dxf", decoder, &results));
    auto lines = [&](const char *name) { return decoder.Lines(name); };
    EXPECT_EQ(lines("POLYLINE"),
              (std::vector<std::string>{
                  "POLYLINE (0,0) (100,0)", "POLYLINE (0,10) (100,10)",
                  /* the triangle solid: three edges */
                  "POLYLINE (0,-10) (10,-10)", "POLYLINE (10,-10) (5,-2)", "POLYLINE (5,-2) (0,-10)",
                  /* the square solid */
                  "POLYLINE (20,-10) (30,-10)", "POLYLINE (30,-10) (30,0)", "POLYLINE (30,0) (20,0)",
                  "POLYLINE (20,0) (20,-10)", "POLYLINE (-20,-20) (-20,20)"}));
    EXPECT_EQ(lines("CIRCLE"), (std::vector<std::string>{"CIRCLE (-50,50) 20"}))
        << "mirrored by its extrusion";
    const std::vector<std::string> arcs = lines("CIRCULAR ARC CENTRE");
    ASSERT_EQ(arcs.size(), 2u);
    EXPECT_EQ(arcs[0].rfind("CIRCULAR ARC CENTRE (0,0) (30,0) (", 0), 0u) << arcs[0];
    EXPECT_EQ(arcs[1].rfind("CIRCULAR ARC CENTRE (-10,0) (", 0), 0u) << arcs[1];
    EXPECT_EQ(lines("POLYMARKER"), (std::vector<std::string>{"POLYMARKER (5,5)"}));
    EXPECT_EQ(lines("ELLIPSE"), (std::vector<std::string>{"ELLIPSE (50,-30) (70,-30) (50,-20)"}));
    EXPECT_EQ(lines("ELLIPTICAL ARC").size(), 0u) << "the turned half ellipse is a Bezier chain";
    EXPECT_EQ(lines("POLYBEZIER").size(), 5u)
        << "two fit-point curves, two B-splines and the turned half ellipse as Bezier segments";
    EXPECT_NE(decoder.Listing().find("LINE WIDTH 2\n"), std::string::npos) << "the 2.11 mm line";

    EXPECT_EQ(results.word[ZelLayers], 3u);
    EXPECT_EQ(results.word[ZelLines], 3u);
    EXPECT_EQ(results.word[ZelArcs], 2u);
    EXPECT_EQ(results.word[ZelCircles], 1u);
    EXPECT_EQ(results.word[ZelPoints], 1u);
    EXPECT_EQ(results.word[ZelSolids], 2u);
    EXPECT_EQ(results.word[ZelEllipses], 2u);
    EXPECT_EQ(results.word[ZelSplines], 4u);
}

TEST_F(EndToEnd, MetafileVersionFollowsCGMV1)
{
    CgmDecoder v3, v4;
    ASSERT_TRUE(ConvertAndDecode(VYR_TEST_DATA_DIR "/convert_r12.dxf", v3));
    EXPECT_EQ(v3.Lines("METAFILE VERSION"), (std::vector<std::string>{"METAFILE VERSION 3"}));
    ::setenv("CGMV1", "", 1);
    ASSERT_TRUE(ConvertAndDecode(VYR_TEST_DATA_DIR "/convert_r12.dxf", v4));
    EXPECT_EQ(v4.Lines("METAFILE VERSION"), (std::vector<std::string>{"METAFILE VERSION 4"}));
}

TEST_F(EndToEnd, FailuresReportAndLeaveNoState)
{
    const std::string output = work + "/missing.cgm";
    VyrDxf2Cgm converter;
    /* More failures than there are model slots: each must free its model. */
    for (int i = 0; i < 70; ++i) {
        messages.clear();
        ASSERT_EQ(converter.Convert((work + "/no-such.dxf").c_str(), output.c_str()), -1) << i;
        EXPECT_FALSE(messages.empty()) << "the failure is reported";
    }
    struct stat st;
    EXPECT_NE(::stat(output.c_str(), &st), 0) << "no picture for a failed parse";
    std::ofstream(work + "/garbage.dxf") << "this is not a drawing\n";
    EXPECT_EQ(converter.Convert((work + "/garbage.dxf").c_str(), output.c_str()), -1);
    /* The same object converts a good drawing afterwards. */
    messages.clear();
    EXPECT_EQ(converter.Convert(VYR_TEST_DATA_DIR "/convert_r12.dxf", output.c_str()), 0) << messages;
    ZelResults results{};
    converter.GetZelResults(&results);
    EXPECT_EQ(results.word[ZelLines], 2u);
    EXPECT_EQ(converter.Convert(VYR_TEST_DATA_DIR "/convert_r12.dxf", output.c_str()), 0);
    converter.GetZelResults(&results);
    EXPECT_EQ(results.word[ZelLines], 2u) << "counters start afresh";
}

/* Every failure to read a drawing is reported once, naming the drawing, and
 * no message shows a conversion that was never filled in. */
TEST_F(EndToEnd, LoadFailuresNameTheDrawing)
{
    const struct {
        const char *name, *text;
    } cases[] = {
        {"missing.dxf", nullptr},
        {"garbage.dxf", "this is not a drawing\n"},
        {"cut.dxf", "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1015\n  9\n$INSBASE\n 10\n"},
    };
    for (const auto &c : cases) {
        const std::string drawing = work + "/" + c.name;
        if (c.text) std::ofstream(drawing) << c.text;
        messages.clear();
        VyrDxf2Cgm converter;
        EXPECT_EQ(converter.Convert(drawing.c_str(), (work + "/out.cgm").c_str()), -1) << c.name;
        EXPECT_NE(messages.find("'" + drawing + "'"), std::string::npos) << messages;
        EXPECT_EQ(messages.find("%s"), std::string::npos) << messages;
        EXPECT_EQ(messages.find("%d"), std::string::npos) << messages;
    }
}

/* A drawing cut short converts what it holds up to its last whole record,
 * says so in a warning, and succeeds. */
TEST_F(EndToEnd, CutDrawingsConvertWhatTheyHold)
{
    const std::string full = VyrReadFile(VYR_TEST_DATA_DIR "/convert_r12.dxf");
    const struct {
        const char *marker; /* the cut is `offset` bytes after it */
        size_t offset;
        uint32_t lines, circles, arcs;
        const char *said;
    } cases[] = {
        {"\nCIRCLE\n", 12, 2, 0, 0, "ends inside its ENTITIES section"},
        {"\nARC\n", 12, 2, 1, 0, "ends inside its ENTITIES section"},
        {"  0\nEOF\n", 0, 2, 1, 1, "ends without its EOF record"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.marker);
        const size_t at = full.find(c.marker);
        ASSERT_NE(at, std::string::npos);
        const std::string drawing = work + "/cut.dxf";
        std::ofstream(drawing, std::ios::binary) << full.substr(0, at + c.offset);
        messages.clear();
        CgmDecoder decoder;
        ZelResults results{};
        ASSERT_TRUE(ConvertAndDecode(drawing, decoder, &results));
        EXPECT_EQ(results.word[ZelLines], c.lines);
        EXPECT_EQ(results.word[ZelCircles], c.circles);
        EXPECT_EQ(results.word[ZelArcs], c.arcs);
        EXPECT_NE(messages.find(c.said), std::string::npos) << messages;
    }
    /* drawings of other programs of releases read here, cut inside their
       ENTITIES section */
    int cut = 0;
    for (const std::string &sample : DrawingsIn(VYR_SAMPLES_DIR)) {
        const std::string version = Version(sample);
        if (version.size() == 6 && version >= "AC1018") continue;
        const std::string text = VyrReadFile(sample);
        size_t start = text.find("\nENTITIES\n");
        if (start == std::string::npos) start = text.find("\nENTITIES\r\n");
        const size_t end = text.find("ENDSEC", start);
        if (start == std::string::npos || end == std::string::npos || end - start < 400) continue;
        for (size_t at : {start + (end - start) / 3, start + (end - start) * 2 / 3}) {
            SCOPED_TRACE(sample + " cut at " + std::to_string(at));
            std::ofstream(work + "/cut.dxf", std::ios::binary) << text.substr(0, at);
            messages.clear();
            CgmDecoder decoder;
            EXPECT_TRUE(ConvertAndDecode(work + "/cut.dxf", decoder));
            EXPECT_NE(messages.find("ends inside its ENTITIES section"), std::string::npos) << messages;
            ++cut;
        }
    }
    if (cut == 0) GTEST_SKIP() << "no sample drawings at " << VYR_SAMPLES_DIR;
}

TEST_F(EndToEnd, TwoThreadsConvertOneAfterTheOther)
{
    const std::string alone = work + "/alone.cgm";
    VyrDxf2Cgm reference;
    ASSERT_EQ(reference.Convert(VYR_TEST_DATA_DIR "/convert_reference.dxf", alone.c_str()), 0);
    const std::vector<uint8_t> expected = Read(alone);
    int results[2] = {-1, -1};
    auto convert = [&](int i) {
        VyrDxf2Cgm converter;
        for (int k = 0; k < 5 && results[i] != 1; ++k) {
            const std::string out = work + "/thread" + std::to_string(i) + ".cgm";
            results[i] = converter.Convert(VYR_TEST_DATA_DIR "/convert_reference.dxf", out.c_str()) == 0 &&
                                 Read(out) == expected
                             ? 0
                             : 1;
        }
    };
    std::thread a(convert, 0), b(convert, 1);
    a.join();
    b.join();
    EXPECT_EQ(results[0], 0);
    EXPECT_EQ(results[1], 0);
}

/* A DWG file and its DXF twin (../shared/dwg-samples, skipped when absent)
 * convert to the same picture, byte for byte. The samples whose paper space
 * holds viewports go through the down-converter's "preprocView" mode and
 * are not among these. */
TEST_F(EndToEnd, DwgConvertsToThePictureOfItsDxfTwin)
{
    const std::string samples = SourceDir() + "/../shared/dwg-samples";
    struct stat st;
    if (::stat((samples + "/r14_Leader.dwg").c_str(), &st) != 0) GTEST_SKIP() << "no DWG samples";
    for (const char *name : {"r14_Leader", "2000_PolyLine3D"}) {
        std::vector<uint8_t> pictures[2];
        for (int k = 0; k < 2; ++k) {
            const std::string output = work + "/" + name + (k ? ".dxf.cgm" : ".dwg.cgm");
            VyrDxf2Cgm converter;
            const std::string input = samples + "/" + name + (k ? ".dxf" : ".dwg");
            ASSERT_EQ(converter.Convert(input.c_str(), output.c_str()), 0) << input << "\n" << messages;
            pictures[k] = Read(output);
        }
        EXPECT_GT(pictures[0].size(), 100u) << name;
        EXPECT_EQ(pictures[0], pictures[1]) << name;
    }
}

TEST_F(EndToEnd, LibreOfficeDrawsTheSample)
{
    VyrPrintCGMGenerator::sSetDefaultProfile(VyrCgmProfileCompatible);
    const std::string output = work + "/sample.cgm";
    VyrDxf2Cgm converter;
    ASSERT_EQ(converter.Convert((SourceDir() + "/examples/sample.dxf").c_str(), output.c_str()), 0)
        << messages;
    const VyrOfficeStatus status = VyrOfficeConvert(work, "sample.cgm", "png");
    if (status == VyrOfficeStatus::NotInstalled) GTEST_SKIP() << "LibreOffice is not installed";
    if (status == VyrOfficeStatus::TooSlow)
        GTEST_SKIP() << "LibreOffice did not finish in time: machine too busy";
    ASSERT_EQ(status, VyrOfficeStatus::Converted);
    const std::vector<uint8_t> png = Read(work + "/sample.png");
    ASSERT_GT(png.size(), 2000u) << "no picture was drawn";
    EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
}

/* Every picture this library writes, byte for byte: the bundled sample,
 * the test drawings and, when they are there, the drawings of other programs
 * are converted in both profiles, and a 64-bit FNV-1a checksum of each
 * picture (or "failed") is compared with tests/data/picture-checksums.txt.
 * Work meant only to make the conversion faster must leave every line of
 * that file as it is; work that changes pictures on purpose rewrites it with
 * tests/data/update_picture_checksums.sh and says why in its commit. */
TEST_F(EndToEnd, PicturesKeepTheirBytes)
{
    std::map<std::string, std::string> expected;
    {
        std::ifstream in(std::string(VYR_TEST_DATA_DIR) + "/picture-checksums.txt");
        std::string sum, key;
        while (in >> sum >> key) expected[key] = sum;
    }
    ASSERT_FALSE(expected.empty()) << "tests/data/picture-checksums.txt is missing";

    struct Collection {
        std::string prefix, dir;
        std::vector<std::string> drawings;
    };
    std::vector<Collection> collections = {
        {"examples", SourceDir() + "/examples", {SourceDir() + "/examples/sample.dxf"}},
        {"data", VYR_TEST_DATA_DIR, DrawingsIn(VYR_TEST_DATA_DIR)},
        {"samples", VYR_SAMPLES_DIR, DrawingsIn(VYR_SAMPLES_DIR)},
        {"dwg", VYR_DWG_SAMPLES_DIR, {}},
    };
    if (DIR *d = ::opendir(VYR_DWG_SAMPLES_DIR)) {
        while (dirent *e = ::readdir(d)) {
            const std::string name = e->d_name;
            if (name.size() > 4 && name.substr(name.size() - 4) == ".dwg")
                collections.back().drawings.push_back(collections.back().dir + "/" + name);
        }
        ::closedir(d);
        std::sort(collections.back().drawings.begin(), collections.back().drawings.end());
    }

    const char *path = std::getenv("PATH");
    const std::string saved = path ? path : "";
    ::setenv("PATH", (std::string(VYR_BINARY_DIR) + "/tools:" + saved).c_str(), 1);
    const char *out = std::getenv("VYR_PICTURE_CHECKSUMS_OUT");
    std::ofstream written;
    if (out) written.open(out, std::ios::app);
    const std::string output = work + "/checked.cgm";
    int checked = 0;
    for (const Collection &collection : collections) {
        for (const std::string &drawing : collection.drawings) {
            for (const VyrCgmProfile profile : {VyrCgmProfileStandard, VyrCgmProfileCompatible}) {
                const std::string key =
                    std::string(profile == VyrCgmProfileStandard ? "standard:" : "compat:") +
                    collection.prefix + drawing.substr(collection.dir.size());
                VyrPrintCGMGenerator::sSetDefaultProfile(profile);
                ::unlink(output.c_str());
                VyrDxf2Cgm converter;
                std::string sum = "failed";
                if (converter.Convert(drawing.c_str(), output.c_str()) == 0) {
                    uint64_t h = 14695981039346656037ull;
                    for (const uint8_t byte : Read(output)) h = (h ^ byte) * 1099511628211ull;
                    char text[17];
                    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
                    sum = text;
                }
                if (written.is_open()) written << sum << ' ' << key << '\n';
                const auto it = expected.find(key);
                if (it == expected.end()) {
                    ADD_FAILURE() << "no checksum for " << key << " (new drawing?)";
                    continue;
                }
                EXPECT_EQ(sum, it->second) << key << ": the picture changed";
                ++checked;
            }
        }
    }
    ::setenv("PATH", saved.c_str(), 1);
    EXPECT_GE(checked, 80);
}

/* The $ACADVER value of an ASCII drawing, "" when it has none. */

/* Drawings of other programs, when the collection is there: every one
 * converts and decodes, those of AC1018 and later through the down-converter
 * built beside the tests (put on PATH here); without it they fail with a
 * message that says so. */
TEST_F(EndToEnd, SampleCollection)
{
    const std::vector<std::string> drawings = DrawingsIn(VYR_SAMPLES_DIR);
    if (drawings.empty()) GTEST_SKIP() << "no sample drawings at " << VYR_SAMPLES_DIR;
    const char *path = std::getenv("PATH");
    const std::string saved = path ? path : "";
    const std::string tools = std::string(VYR_BINARY_DIR) + "/tools";
    int converted = 0, newer = 0;
    for (const std::string &drawing : drawings) {
        messages.clear();
        const std::string version = Version(drawing);
        if (version.size() == 6 && version.compare(0, 3, "AC1") == 0 && version >= "AC1018") {
            ++newer;
            ::setenv("PATH", "/nonexistent", 1);
            VyrDxf2Cgm converter;
            EXPECT_EQ(converter.Convert(drawing.c_str(), (work + "/sample.cgm").c_str()), -1) << drawing;
            std::string said = messages;
            std::replace(said.begin(), said.end(), '\n', ' ');
            EXPECT_NE(said.find("not found"), std::string::npos) << drawing << said;
            ::setenv("PATH", (tools + ":" + saved).c_str(), 1);
            messages.clear();
        }
        CgmDecoder decoder;
        if (ConvertAndDecode(drawing, decoder)) ++converted;
        ::setenv("PATH", saved.c_str(), 1);
    }
    EXPECT_GE(newer, 12);
    EXPECT_EQ(converted, int(drawings.size()));
}

} // namespace
