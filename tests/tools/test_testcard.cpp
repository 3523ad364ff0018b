/* The generator's test card in both profiles, decoded element by element,
 * and (when LibreOffice is installed) the compatibility card opened by
 * LibreOffice's CGM import: it must draw the card, with the texts where the
 * alignment crosses say. */
#include "tools/testcard/CgmTestCard.h"

#include "support/CgmCapture.h"
#include "support/VyrRecordingGenerator.h"
#include "platform/base/VyrEnvironment.h"
#include "platform/font/VyrGlyphOutlines.h"
#include "tools/cgmdecode/CgmDecoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::multiset<std::string> Bag(const std::vector<std::string> &lines)
{
    return std::multiset<std::string>(lines.begin(), lines.end());
}

std::set<std::string> Set(const std::vector<std::string> &lines)
{
    return std::set<std::string>(lines.begin(), lines.end());
}

/* The card written in a profile and decoded. */
void Card(CgmCapture &cap)
{
    ASSERT_EQ(VyrDrawTestCard(cap.Generator()), 0);
    cap.Finish();
}

std::string FindOnPath(const char *program)
{
    const char *path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        std::string candidate = dir + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return "";
}

} // namespace

TEST(TestCard, CallsTheGeneratorAsTheDriverDoes)
{
    VyrRecordingScope scope;
    VyrPrintGenerator *g = static_cast<VyrPrintGenerator *>(
        VyrCreateExternalObject("VyrPrintCGMGenerator", nullptr, "VyrPrtDriverCGM", nullptr));
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(VyrDrawTestCard(*g), 0);
    g->Release();
    EXPECT_EQ(VyrRecordingGenerator::Lines("DefineColor ").size(), 255u);
    EXPECT_EQ(VyrRecordingGenerator::Lines("DrawNurbs ").size(), 2u);
    EXPECT_EQ(VyrRecordingGenerator::Lines("EndPicture").size(), 1u);
    EXPECT_EQ(VyrRecordingGenerator::Log().back(), "Release");
}

TEST(TestCard, StandardProfileWritesEveryElement)
{
    CgmCapture cap;
    Card(cap);
    std::multiset<std::string> names = Bag(cap.Names());
    /* the card's turned ellipses and elliptical arcs (four of each) are
       Bezier chains */
    EXPECT_EQ(names.count("ELLIPSE"), 1u);
    EXPECT_EQ(names.count("ELLIPTICAL ARC"), 1u);
    EXPECT_EQ(names.count("POLYBEZIER"), 11u);
    EXPECT_EQ(names.count("CIRCLE"), 1u);
    EXPECT_EQ(names.count("CIRCULAR ARC CENTRE"), 11u);
    EXPECT_GE(names.count("POLYMARKER"), 35u);
    /* three texts are turned: drawn as glyph outlines where FreeType gives them */
    const bool outlines = VyrGlyphOutlines::sAvailable(0);
    EXPECT_EQ(names.count("TEXT"), outlines ? 38u : 41u);
    EXPECT_EQ(names.count("COLOUR TABLE"), 1u);
    EXPECT_EQ(Set(cap.Lines("MARKER TYPE")),
              (std::set<std::string>{"MARKER TYPE 1", "MARKER TYPE 2", "MARKER TYPE 3", "MARKER TYPE 4",
                                     "MARKER TYPE 5"}));
    EXPECT_EQ(Set(cap.Lines("LINE TYPE")), (std::set<std::string>{"LINE TYPE 1", "LINE TYPE 2", "LINE TYPE 3",
                                                                  "LINE TYPE 4", "LINE TYPE 5"}));
    EXPECT_EQ(Set(cap.Lines("LINE WIDTH")).size(), 6u);
    std::set<std::string> colours = Set(cap.Lines("LINE COLOUR"));
    EXPECT_EQ(colours.size(), 255u);
    EXPECT_EQ(colours.count("LINE COLOUR 255"), 1u);
    const std::vector<std::string> orientations = cap.Lines("CHARACTER ORIENTATION");
    EXPECT_EQ(Set(orientations).size(), outlines ? 3u : 6u);
    /* LibreOffice refuses a metafile whose baseline is turned off the x axis */
    for (const std::string &o : orientations) {
        const std::vector<double> v = CgmDecoder::sNumbers(o);
        ASSERT_EQ(v.size(), 4u);
        if (outlines) { EXPECT_TRUE(v[2] > 0 && v[3] == 0) << o; }
    }
    EXPECT_EQ(Set(cap.Lines("CHARACTER EXPANSION FACTOR")),
              (std::set<std::string>{"CHARACTER EXPANSION FACTOR 1", "CHARACTER EXPANSION FACTOR 0.5",
                                     "CHARACTER EXPANSION FACTOR 2"}));
    EXPECT_EQ(Set(cap.Lines("TEXT FONT INDEX")),
              (std::set<std::string>{"TEXT FONT INDEX 1", "TEXT FONT INDEX 2"}));
    EXPECT_EQ(cap.Lines("CHARACTER SET INDEX").size(), 1u); /* every text fits Latin-1 */
}

TEST(TestCard, CompatibilityProfileWritesOnlyWhatWeakViewersDraw)
{
    CgmCapture cap(VyrCgmProfileCompatible);
    Card(cap);
    std::multiset<std::string> names = Bag(cap.Names());
    for (const char *banned : {"ELLIPSE", "ELLIPTICAL ARC", "POLYBEZIER", "POLYMARKER",
                               "CHARACTER ORIENTATION", "NON-UNIFORM RATIONAL B-SPLINE"})
        EXPECT_EQ(names.count(banned), 0u) << banned;
    EXPECT_EQ(Set(cap.Lines("LINE TYPE")), std::set<std::string>{"LINE TYPE 1"});
    if (VyrGlyphOutlines::sAvailable(0)) {
        /* texts as glyph outlines: at least one per text, no TEXT */
        EXPECT_EQ(names.count("TEXT"), 0u);
        EXPECT_GT(names.count("POLYGON SET"), 41u * 3);
    } else {
        /* three texts are turned: drawn as glyph outlines where FreeType gives them */
        const bool outlines = VyrGlyphOutlines::sAvailable(0);
        EXPECT_EQ(names.count("TEXT"), outlines ? 38u : 41u);
    }
    EXPECT_GT(names.count("POLYLINE"), 300u);
    /* each dashed figure's dashes are one element */
    EXPECT_GE(names.count("DISJOINT POLYLINE"), 6u);
}

TEST(TestCard, FilesOfBothProfilesAndVersions)
{
    VyrTempFile a, b, c;
    ASSERT_EQ(VyrWriteTestCardFile(a.Path().c_str(), VyrCgmProfileStandard, 0), 0);
    ASSERT_EQ(VyrWriteTestCardFile(b.Path().c_str(), VyrCgmProfileCompatible, 0), 0);
    ASSERT_EQ(VyrWriteTestCardFile(c.Path().c_str(), VyrCgmProfileStandard, 1), 0);
    for (const VyrTempFile *f : {&a, &b, &c}) {
        std::vector<uint8_t> bytes = f->Read();
        CgmDecoder d;
        ASSERT_TRUE(d.Decode(bytes.data(), bytes.size())) << d.Error();
        EXPECT_EQ(d.Elements().back().name, "END METAFILE");
    }
    std::vector<uint8_t> bytes = c.Read();
    CgmDecoder d;
    d.Decode(bytes.data(), bytes.size());
    EXPECT_EQ(d.Lines("METAFILE VERSION")[0], "METAFILE VERSION 1");
    EXPECT_TRUE(d.Lines("POLYBEZIER").empty());
    EXPECT_EQ(VyrWriteTestCardFile("/nonexistent-dir/card.cgm", VyrCgmProfileStandard, 0), -1);
}

TEST(TestCard, LibreOfficeDrawsTheCompatibilityCard)
{
    std::string office = FindOnPath("soffice");
    if (office.empty()) GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    VyrTempDir dir("vyr-lo");
    ASSERT_FALSE(dir.Path().empty());
    std::string d = dir.Path();
    std::string card = d + "/card.cgm";
    ASSERT_EQ(VyrWriteTestCardFile(card.c_str(), VyrCgmProfileCompatible, 0), 0);
    std::string command = "timeout 240 '" + office + "' --headless --norestore " +
                          "-env:UserInstallation=file://" + d + "/profile --convert-to svg " + "--outdir " +
                          d + " " + card + " > " + d + "/log 2>&1";
    int status = std::system(command.c_str());
    std::ifstream in(d + "/card.svg");
    std::stringstream svg;
    svg << in.rdbuf();
    dir.Remove();
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
    std::string text = svg.str();
    ASSERT_FALSE(text.empty());

    /* the strokes: every primitive drawn, in the colours of the table (the
     * card's palette has 249 distinct colours among its 255 entries) */
    std::set<std::string> strokeColours;
    size_t strokes = 0;
    std::regex strokeRe("stroke=\"(rgb\\([0-9,]+\\))\"");
    for (std::sregex_iterator it(text.begin(), text.end(), strokeRe), end; it != end; ++it) {
        strokeColours.insert((*it)[1]);
        ++strokes;
    }
    EXPECT_GT(strokes, 450u);
    EXPECT_EQ(strokeColours.size(), 249u);

    if (VyrGlyphOutlines::sAvailable(0)) {
        /* the texts are filled glyph outlines; where they lie is checked on
         * the picture itself (TextPicture tests) */
        std::regex fillRe("<path fill=\"rgb\\([0-9,]+\\)\"");
        const auto fills =
            std::distance(std::sregex_iterator(text.begin(), text.end(), fillRe), std::sregex_iterator());
        EXPECT_GT(fills, 41 * 3);
        return;
    }
    /* every alignment text, with its start point (SVG: y grows downwards) */
    std::map<int, std::pair<double, double>> texts;
    std::regex textRe("x=\"(-?[0-9]+)\" y=\"(-?[0-9]+)\"><tspan[^>]*>Agy ([0-9]+)<");
    for (std::sregex_iterator it(text.begin(), text.end(), textRe), end; it != end; ++it)
        texts[std::stoi((*it)[3])] = {std::stod((*it)[1]), std::stod((*it)[2])};
    ASSERT_EQ(texts.size(), 12u);
    /* the vertical strokes of the red alignment crosses */
    std::vector<std::pair<double, double>> crosses;
    double length = 0;
    std::regex crossRe(
        "stroke=\"rgb\\(255,0,0\\)\"[^>]*d=\"M (-?[0-9]+),(-?[0-9]+) L (-?[0-9]+),(-?[0-9]+)\"");
    for (std::sregex_iterator it(text.begin(), text.end(), crossRe), end; it != end; ++it) {
        double x1 = std::stod((*it)[1]), y1 = std::stod((*it)[2]);
        double x2 = std::stod((*it)[3]), y2 = std::stod((*it)[4]);
        if (x1 == x2) {
            crosses.push_back({x1, (y1 + y2) / 2});
            length = std::fabs(y2 - y1);
        }
    }
    ASSERT_EQ(crosses.size(), 12u);
    double mm = length / 4; /* the crosses are 4 mm tall */
    /* the left column, codes 28 to 31: start on the cross's x; baseline on
     * it for 29, a cap height (4 mm) below it for 31, half of it for 30, the
     * descender above it for 28 */
    double left = crosses[0].first;
    for (const auto &c : crosses) left = std::min(left, c.first);
    const double below[4] = {-4 * 218.0 / 729, 0, 2, 4};
    for (int code = 28; code <= 31; ++code) {
        auto t = texts[code];
        EXPECT_NEAR(t.first, left, 0.6 * mm) << code;
        double crossY = 0;
        for (const auto &c : crosses)
            if (c.first == left && std::fabs(c.second - t.second) < 8 * mm) crossY = c.second;
        EXPECT_NEAR((t.second - crossY) / mm, below[code - 28], 0.6) << code;
    }
}
