/* Texts in decoded pictures: start points against the widths of the AFM
 * files the core fonts come from, and, in the compatibility profile, glyph
 * outlines that cover the ink box those files give. The AFM files are read
 * here, independently of the compiled-in metrics; the tests skip without
 * them. */
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "Dxf2Cgm/VyrDxfText.h"
#include "dxf2cgm_fixture.h"
#include "platform/base/VyrUnicodeString.h"
#include "platform/font/VyrFont.h"
#include "platform/font/VyrGlyphOutlines.h"
#include "support/CgmCapture.h"

using namespace vyrtest;

namespace {

struct AfmChar {
    double width, llx, lly, urx, ury;
};

struct Afm {
    double capHeight = 0.0;
    std::map<int, AfmChar> chars;
    bool Read(const std::string &path)
    {
        std::ifstream in(path);
        std::string line;
        while (std::getline(in, line)) {
            if (line.rfind("CapHeight ", 0) == 0) capHeight = std::atof(line.c_str() + 10);
            if (line.rfind("C ", 0) != 0) continue;
            std::istringstream s(line);
            std::string tok;
            int code = -1;
            AfmChar c{};
            while (s >> tok) {
                if (tok == "C") s >> code;
                if (tok == "WX") s >> c.width;
                if (tok == "B") s >> c.llx >> c.lly >> c.urx >> c.ury;
            }
            if (code > 0) chars[code] = c;
        }
        return capHeight > 0 && !chars.empty();
    }
    double Advance(const std::string &text) const
    {
        double w = 0;
        for (unsigned char ch : text) w += chars.at(ch).width;
        return w;
    }
};

const char *kAfm = "/usr/share/fonts/type1/urw-base35/NimbusSans-Regular.afm";

std::vector<double> Numbers(const std::string &line) { return CgmDecoder::sNumbers(line); }

void SetUpPicture(VyrPrintCGMGenerator &g)
{
    g.SetExtent(1000, 1000);
    g.SetOrigin(0, 0);
    g.SetViewport(0, 0, 1000, 1000);
}

void Text(VyrPrintGenerator &g, const char *s, int align, double rotation, double width, double slant = 0)
{
    g.SetTextFont(0, VyrFont::sGetFont("SwissCL.pfb", 0));
    g.SetTextParameter(6, static_cast<float>(rotation));
    g.SetTextParameter(2, 10.0f);
    g.SetTextParameter(9, static_cast<float>(width));
    g.SetTextParameter(7, static_cast<float>(align));
    g.SetTextParameter(4, 25);
    g.SetTextParameter(5, static_cast<float>(slant));
    g.DrawText(300, 400, VyrUnicodeString(s));
}

/* Left, centred and right baseline texts start where the AFM widths put
 * them, along the text's own direction. */
TEST(TextPicture, StartPointsFollowTheAfmWidths)
{
    Afm afm;
    if (!afm.Read(kAfm)) GTEST_SKIP() << "no AFM file " << kAfm;
    const char *s = "Vyr Hello";
    for (int code : {29, 33, 37})
        for (double rotation : {0.0, 30.0, 180.0}) {
            CgmCapture cap;
            cap->SetTurnedTextAsOutlines(false);
            SetUpPicture(cap.Generator());
            Text(cap.Generator(), s, code, rotation, 1.5);
            cap.Finish();
            std::vector<double> p = Numbers(cap.Lines("TEXT")[0]);
            const double advance = afm.Advance(s) * 10.0 / afm.capHeight * 1.5;
            const double k = code == 29 ? 0.0 : code == 33 ? 0.5 : 1.0;
            const double a = rotation * M_PI / 180.0;
            EXPECT_NEAR(p[0], 300 - k * advance * std::cos(a), 1e-3) << code << " " << rotation;
            EXPECT_NEAR(p[1], 400 - k * advance * std::sin(a), 1e-3) << code << " " << rotation;
        }
}

/* The outlines of the compatibility profile cover the ink box the AFM
 * gives for the text the standard profile writes, within 2 % of the
 * height; measured in the text's own axes (rotation and slant undone). */
TEST(TextPicture, OutlinesCoverTheTextBox)
{
    Afm afm;
    if (!afm.Read(kAfm)) GTEST_SKIP() << "no AFM file " << kAfm;
    if (!VyrGlyphOutlines::sAvailable(0)) GTEST_SKIP() << "no glyph outlines in this build";
    struct Case {
        const char *text;
        int code;
        double rotation, width, slant;
    } cases[] = {{"HIH", 29, 0, 1, 0},
                 {"Vyr Ag", 29, 30, 1.5, 0},
                 {"Typo", 37, 180, 0.5, 20},
                 {"xoxo", 34, -60, 1, -10}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        CgmCapture standard;
        standard->SetTurnedTextAsOutlines(false);
        SetUpPicture(standard.Generator());
        Text(standard.Generator(), c.text, c.code, c.rotation, c.width, c.slant);
        standard.Finish();
        std::vector<double> start = Numbers(standard.Lines("TEXT")[0]);

        CgmCapture compat(VyrCgmProfileCompatible);
        SetUpPicture(compat.Generator());
        Text(compat.Generator(), c.text, c.code, c.rotation, c.width, c.slant);
        compat.Finish();
        EXPECT_TRUE(compat.Lines("TEXT").empty());
        std::vector<std::string> sets = compat.Lines("POLYGON SET");
        ASSERT_FALSE(sets.empty());

        const double unit = 10.0 / afm.capHeight;
        const double a = c.rotation * M_PI / 180.0, shear = std::tan(c.slant * M_PI / 180.0);
        double lo[2] = {1e300, 1e300}, hi[2] = {-1e300, -1e300};
        for (const std::string &l : sets) {
            std::vector<double> v = Numbers(l);
            for (size_t i = 0; i + 2 < v.size(); i += 3) {
                const double dx = v[i] - start[0], dy = v[i + 1] - start[1];
                const double y = -dx * std::sin(a) + dy * std::cos(a);
                const double x = dx * std::cos(a) + dy * std::sin(a) - y * shear;
                lo[0] = std::min(lo[0], x);
                hi[0] = std::max(hi[0], x);
                lo[1] = std::min(lo[1], y);
                hi[1] = std::max(hi[1], y);
            }
        }
        double ink[4] = {1e300, 1e300, -1e300, -1e300}, pen = 0;
        for (const char *p = c.text; *p; ++p) {
            const AfmChar &ch = afm.chars.at(static_cast<unsigned char>(*p));
            if (ch.urx > ch.llx) {
                ink[0] = std::min(ink[0], (pen + ch.llx) * unit * c.width);
                ink[2] = std::max(ink[2], (pen + ch.urx) * unit * c.width);
                ink[1] = std::min(ink[1], ch.lly * unit);
                ink[3] = std::max(ink[3], ch.ury * unit);
            }
            pen += ch.width;
        }
        EXPECT_NEAR(lo[0], ink[0], 0.2);
        EXPECT_NEAR(hi[0], ink[2], 0.2);
        EXPECT_NEAR(lo[1], ink[1], 0.2);
        EXPECT_NEAR(hi[1], ink[3], 0.2);
    }
}

/* Glyphs are kept: the second text of a character reads nothing again,
 * and characters of no font cost nothing but their advance. */
TEST(TextPicture, OutlinesOfMissingCharactersAndSpaces)
{
    if (!VyrGlyphOutlines::sAvailable(0)) GTEST_SKIP() << "no glyph outlines in this build";
    const VyrGlyph *h = VyrGlyphOutlines::sGetGlyph(0, 'H');
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h, VyrGlyphOutlines::sGetGlyph(0, 'H'));
    EXPECT_EQ(h->contours.size(), 1u);
    const VyrGlyph *o = VyrGlyphOutlines::sGetGlyph(0, 'o');
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->contours.size(), 2u);
    const VyrGlyph *space = VyrGlyphOutlines::sGetGlyph(0, ' ');
    ASSERT_NE(space, nullptr);
    EXPECT_TRUE(space->contours.empty());
    EXPECT_EQ(VyrGlyphOutlines::sGetGlyph(0, 0xE000), nullptr); /* private use */
    EXPECT_EQ(VyrGlyphOutlines::sGetGlyph(99, 'H'), nullptr);
    /* a Japanese character comes from the fallback font */
    EXPECT_NE(VyrGlyphOutlines::sGetGlyph(0, 0x3042), nullptr);
}

/* Each coarser level of detail has fewer points on a curved glyph and keeps
 * its box within the deviation the level allows (2/1000 em, four times more
 * at each level). */
TEST(TextPicture, CoarserLevelsHaveFewerPointsAndTheSameBox)
{
    if (!VyrGlyphOutlines::sAvailable(0)) GTEST_SKIP() << "no glyph outlines in this build";
    auto measure = [](const VyrGlyph *g, double box[4]) {
        size_t n = 0;
        box[0] = box[1] = 1e300, box[2] = box[3] = -1e300;
        for (const std::vector<float> &c : g->contours)
            for (size_t i = 0; i + 1 < c.size(); i += 2, ++n) {
                box[0] = std::min(box[0], double(c[i])), box[2] = std::max(box[2], double(c[i]));
                box[1] = std::min(box[1], double(c[i + 1])), box[3] = std::max(box[3], double(c[i + 1]));
            }
        return n;
    };
    for (unsigned code : {'o', 'S', 'g', '@'}) {
        double fine[4], box[4];
        size_t previous = measure(VyrGlyphOutlines::sGetGlyph(0, code, 0), fine);
        for (int d = 1; d < VyrGlyphOutlines::kDetailLevels; ++d) {
            SCOPED_TRACE(testing::Message() << char(code) << " level " << d);
            const VyrGlyph *g = VyrGlyphOutlines::sGetGlyph(0, code, d);
            ASSERT_NE(g, nullptr);
            const size_t n = measure(g, box);
            EXPECT_LT(n, previous);
            previous = n;
            for (int k = 0; k < 4; ++k) EXPECT_NEAR(box[k], fine[k], 2.0 * (1 << (2 * d)));
        }
    }
}

} // namespace
