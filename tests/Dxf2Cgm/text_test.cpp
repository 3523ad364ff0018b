/* Texts, multiline texts and attributes written to the recording
 * generator: anchors, alignment codes, turns and scales of transformations,
 * fonts and their width factors, line breaks, and broken values. */
#include <cmath>
#include <cstdlib>
#include <string>
#include <tuple>

#include "Dxf2Cgm/VyrDxfAttribute.h"
#include "Dxf2Cgm/VyrDxfMText.h"
#include "Dxf2Cgm/VyrDxfText.h"
#include "Dxf2Cgm/VyrDxfTextStyle.h"
#include "Dxf2Cgm/VyrDxfUCConverter.h"
#include "dxf2cgm_fixture.h"
#include "platform/font/VyrFont.h"
#include "support/VyrTempFile.h"

using namespace vyrtest;

namespace {

/* The values of the recorded calls "SetTextParameter p v" for one p (the
 * last one), "DrawText x y ..." and "SetTextFont n file". */
struct Sent {
    std::vector<std::string> log;
    bool Has(const std::string &prefix) const
    {
        for (const auto &l : log)
            if (l.rfind(prefix, 0) == 0) return true;
        return false;
    }
    double Param(int p) const
    {
        double v = NAN;
        const std::string key = "SetTextParameter " + std::to_string(p) + " ";
        for (const auto &l : log)
            if (l.rfind(key, 0) == 0) v = std::atof(l.c_str() + key.size());
        return v;
    }
    std::string Font() const
    {
        for (const auto &l : log)
            if (l.rfind("SetTextFont ", 0) == 0) return l.substr(l.find(' ', 12) + 1);
        return "";
    }
    int Draws() const
    {
        int n = 0;
        for (const auto &l : log) n += l.rfind("DrawText ", 0) == 0;
        return n;
    }
    double X() const { return Coord(0); }
    double Y() const { return Coord(1); }
    std::string Text() const
    {
        for (const auto &l : log)
            if (l.rfind("DrawText ", 0) == 0) {
                size_t q = l.find('"');
                return l.substr(q + 1, l.size() - q - 2);
            }
        return "";
    }

private:
    double Coord(int i) const
    {
        for (const auto &l : log)
            if (l.rfind("DrawText ", 0) == 0) {
                const char *p = l.c_str() + 9;
                char *end = nullptr;
                double x = std::strtod(p, &end);
                double y = std::strtod(end, nullptr);
                return i == 0 ? x : y;
            }
        return NAN;
    }
};

struct TextDef {
    const char *text = "Text";
    double x = 10.0, y = 20.0;
    double ax = 30.0, ay = 40.0;
    double height = 2.5;
    double rotation = 0.0;
    double width = 1.0;
    double oblique = 0.0;
    int h = 0, v = 0;
    const char *style = "Normal";
    double extrusionZ = 1.0;
};

class Texts : public Dxf2CgmTest {
protected:
    /* A picture of one line of a drawing on code page 1252, so that the
     * driver's character converter is there as in a conversion. */
    void SetUp() override
    {
        Dxf2CgmTest::SetUp();
        Header(0, "ANSI_1252");
        Line(0, 0, 1, 1);
        VyrRecordingScope recording;
        VyrTempFile output;
        ASSERT_EQ(driver.CreateStream(output.Path().c_str()), 0);
        Walk();
        driver.WritePicture(model);
        driver.ReleaseOutput();
        ASSERT_NE(VyrDxf2Cgm::GetUCConverter(), nullptr);
    }

    /* The fields a text and an attribute share; `location` is the record's
     * insertion point. */
    template <typename Rec> void FillText(Rec *rec, double *location, const TextDef &d)
    {
        Props p;
        p.extrusionZ = d.extrusionZ;
        SetCommon(rec->dxfhdr, p);
        location[0] = d.x;
        location[1] = d.y;
        rec->xyzaln[0] = d.ax;
        rec->xyzaln[1] = d.ay;
        rec->height = d.height;
        rec->rang = d.rotation;
        rec->xscale = d.width;
        rec->oang = d.oblique;
        rec->hjust = d.h;
        rec->vjust = d.v;
        SetText(rec->tstyle, sizeof rec->tstyle, d.style);
        const size_t n = std::strlen(d.text) + 1;
        std::memcpy(Array<char>(rec, &rec->text, n), d.text, n);
    }

    db_ptr MakeText(const TextDef &d)
    {
        db_ptr ptr;
        dxf_text *rec = Begin<dxf_text>(DXFI_TF_dxf_text, ptr);
        FillText(rec, rec->xyzloc, d);
        End(ptr, false);
        return ptr;
    }

    db_ptr MakeAttribute(const TextDef &d, int flags)
    {
        db_ptr ptr;
        dxf_attribute_instance *rec = Begin<dxf_attribute_instance>(DXFI_TF_dxf_attribute_instance, ptr);
        rec->aflag = flags;
        FillText(rec, rec->txtstr, d);
        End(ptr, false);
        return ptr;
    }

    db_ptr MakeMText(const std::string &text, double dx, double dy, int attachment, double width = 0.0,
                     double spacing = 1.0)
    {
        db_ptr ptr;
        dxf_mtext *rec = Begin<dxf_mtext>(DXFI_TF_dxf_mtext, ptr);
        SetCommon(rec->dxfhdr, Props());
        rec->xyzloc[0] = 5.0;
        rec->xyzloc[1] = 6.0;
        rec->textdir[0] = dx;
        rec->textdir[1] = dy;
        rec->height = 2.0;
        rec->width = width;
        rec->attpnt = attachment;
        rec->linespacingfactor = spacing;
        rec->numstr = 1;
        std::memcpy(Array<char>(rec, &rec->text, text.size() + 1), text.c_str(), text.size() + 1);
        End(ptr, false);
        return ptr;
    }

    db_ptr MakeStyle(const char *name, const char *font, const char *bigFont = "")
    {
        db_ptr ptr;
        dxf_text_style_table_data *rec =
            Begin<dxf_text_style_table_data>(DXFI_TF_dxf_text_style_table_data, ptr);
        SetText(rec->entry_name, sizeof rec->entry_name, name);
        SetText(rec->prim_font, sizeof rec->prim_font, font);
        SetText(rec->big_font, sizeof rec->big_font, bigFont);
        End(ptr, false);
        return ptr;
    }

    Sent WriteText(const TextDef &d, const VyrMathTransformation2D *t = nullptr, int *result = nullptr,
                   VyrDxfTextStyle *style = nullptr)
    {
        VyrDxfText text(MakeText(d), nullptr, nullptr);
        text.SetTextStyle(style);
        return Sent{Record(text, t, result)};
    }
};

const double kCodes[4][3] = {{29, 33, 37}, {28, 32, 36}, {30, 34, 34}, {31, 35, 39}};

/* Every alignment at rotations 0, 30 and 180, plain and mirrored: the code,
 * the anchor (alignment point unless left on the baseline) and the turn. */
TEST_F(Texts, TwelveAlignmentsAtThreeRotationsPlainAndMirrored)
{
    const VyrMathTransformation2D mirror(VyrMath2x2Matrix(-1.0, 1.0), VyrMathVector2D(100.0, 0.0));
    for (int v = 0; v <= 3; ++v)
        for (int h = 0; h <= 2; ++h)
            for (double rot : {0.0, 30.0, 180.0})
                for (bool mirrored : {false, true}) {
                    TextDef d;
                    d.v = v;
                    d.h = h;
                    d.rotation = rot;
                    Sent s = WriteText(d, mirrored ? &mirror : nullptr);
                    SCOPED_TRACE(testing::Message()
                                 << "v " << v << " h " << h << " r " << rot << " m " << mirrored);
                    const bool aligned = v != 0 || h != 0;
                    const double x = aligned ? d.ax : d.x, y = aligned ? d.ay : d.y;
                    EXPECT_EQ(s.Param(7), kCodes[v][h]);
                    EXPECT_NEAR(s.X(), mirrored ? 100.0 - x : x, 1e-4);
                    EXPECT_NEAR(s.Y(), y, 1e-4);
                    double want = mirrored ? 180.0 - rot : rot;
                    double diff = std::remainder(s.Param(6) - want, 360.0);
                    EXPECT_NEAR(diff, 0.0, 1e-3);
                    EXPECT_EQ(s.Param(2), 2.5f);
                }
}

/* Baseline texts "aligned", "middle" and "fit" start at their insertion
 * point (where writers store the start they computed); aligned and fit
 * ones span their two points. */
TEST_F(Texts, AlignedMiddleAndFitStartAtTheInsertionPoint)
{
    VyrFont *font = VyrFont::sGetFont("SwissCL.pfb", 0);
    ASSERT_NE(font, nullptr);
    const double natural =
        VyrFont::sGetStringAdvance(font->GetMetrics(), "Text") * 2.5 / font->GetMetrics().capHeight;
    for (int h : {3, 4, 5}) {
        TextDef d;
        d.h = h;
        d.x = 10.0;
        d.y = 20.0;
        d.ax = 10.0 + 3.0 * natural * 0.6;
        d.ay = 20.0 + 4.0 * natural * 0.6; /* 3-4-5: span = 3 * natural */
        Sent s = WriteText(d);
        SCOPED_TRACE(h);
        EXPECT_EQ(s.Param(7), 29);
        EXPECT_NEAR(s.X(), 10.0, 1e-4);
        EXPECT_NEAR(s.Y(), 20.0, 1e-4);
        if (h == 4) {
            EXPECT_EQ(s.Param(2), 2.5f);
            EXPECT_EQ(s.Param(6), 0.0f);
            continue;
        }
        EXPECT_NEAR(s.Param(6), std::atan2(4.0, 3.0) * 180.0 / M_PI, 1e-3);
        EXPECT_NEAR(s.Param(2), h == 3 ? 2.5 * 3.0 : 2.5, 1e-3);
        EXPECT_NEAR(s.Param(9), h == 5 ? 3.0 : 1.0, 1e-3);
    }
}

/* Width factors, slants, the turn and scale of a transformation (a
 * mirror gives the mirrored direction and a positive scale) and a
 * downward extrusion (x negated, rotation 180 - r); NAN: not checked. */
TEST_F(Texts, WidthSlantTransformationsAndExtrusion)
{
    const VyrMathTransformation2D turn(VyrMathPoint2D(0.0, 0.0), 30.0, VyrMathRotation);
    const VyrMathTransformation2D twice(VyrMathPoint2D(0.0, 0.0), 2.0, VyrMathScaling);
    const VyrMathTransformation2D flip(VyrMath2x2Matrix(2.0, -2.0), VyrMathVector2D(0.0, 0.0));
    const double no = NAN;
    const struct {
        double rotation, width, oblique, extrusionZ;
        const VyrMathTransformation2D *t;
        double x, y, height, turned, widthSent, slant;
    } cases[] = {
        {0, 0.5, 0, 1, nullptr, no, no, no, no, 0.5, no},
        {0, 1.0, 0, 1, nullptr, no, no, no, no, 1.0, no},
        {0, 2.0, 0, 1, nullptr, no, no, no, no, 2.0, no},
        {0, 1, 20, 1, nullptr, no, no, no, no, no, 20},
        {0, 1, -12.5, 1, nullptr, no, no, no, no, no, -12.5},
        {10, 1, 0, 1, &turn, no, no, no, 40, no, no},
        {10, 1, 0, 1, &twice, 20, no, 5, no, no, no},
        {10, 1, 0, 1, &flip, no, -40, 5, -10, no, no},
        {30, 1, 0, -1, nullptr, -10, 20, no, 150, no, no},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "r " << c.rotation << " w " << c.width << " o " << c.oblique
                                        << " z " << c.extrusionZ);
        TextDef d;
        d.rotation = c.rotation;
        d.width = c.width;
        d.oblique = c.oblique;
        d.extrusionZ = c.extrusionZ;
        const Sent s = WriteText(d, c.t);
        const double got[] = {s.X(), s.Y(), s.Param(2), s.Param(6), s.Param(9), s.Param(5)};
        const double want[] = {c.x, c.y, c.height, c.turned, c.widthSent, c.slant};
        const double tolerance[] = {1e-5, 1e-5, 1e-6, 1e-4, 1e-6, 1e-6};
        for (int i = 0; i < 6; ++i) {
            if (std::isnan(want[i])) continue;
            EXPECT_NEAR(got[i], want[i], tolerance[i]) << "value " << i;
        }
    }
}

/* Shared block contents are written once per insert: the width factor a
 * font asks for must not pile up. */
TEST_F(Texts, WritingAgainGivesTheSameParameters)
{
    TextDef d;
    d.style = "ISOCP";
    VyrDxfText text(MakeText(d), nullptr, nullptr);
    for (int i = 0; i < 3; ++i) {
        Sent s{Record(text)};
        EXPECT_NEAR(s.Param(9), 0.75, 1e-6) << "write " << i;
    }
    VyrDxfTextStyle big(MakeStyle("KANJI", "TXT", "BIGFONT"));
    text.SetTextStyle(&big);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(Sent{Record(text)}.Param(9), 0.8, 1e-6) << "write " << i;
}

struct FontCase {
    const char *font;
    const char *bigFont;
    const char *file;
    double width;
    double selector; /* NAN: parameter 0 not sent */
};

TEST_F(Texts, FontNamesOfTheStyle)
{
    const FontCase cases[] = {
        {"ISOCT", "", "SSS3.font", 1.0, NAN},
        {"TXT", "", "SSS2.font", 1.0, NAN},
        {"MONOTXT", "", "SSS2.font", 1.0, NAN},
        {"GDT", "", "SSS4.font", 0.85, 15.0},
        {"GDT.SHX", "", "SSS4.font", 0.85, 15.0},
        {"AMGDT", "", "SSS4.font", 0.85, 15.0},
        {"AMGDT.SHX", "", "SSS4.font", 0.85, 15.0},
        {"SPECIAL_MDTV", "", "SwissCL.pfb", 1.0, NAN},
        /* the names compare whole: "TXT.SHX" is no "TXT" */
        {"TXT.SHX", "", "SwissCL.pfb", 1.0, NAN},
        {"ROMANS", "", "SwissCL.pfb", 1.0, NAN},
        {"TXT", "BIGFONT", "SSS4.font", 0.8, NAN},
        {"TXT", "CHINESET", "SSS4.font", 0.48, NAN},
    };
    for (const FontCase &c : cases) {
        SCOPED_TRACE(c.font + std::string("/") + c.bigFont);
        VyrDxfTextStyle style(MakeStyle("S", c.font, c.bigFont));
        TextDef d;
        Sent s = WriteText(d, nullptr, nullptr, &style);
        EXPECT_EQ(s.Font(), c.file);
        EXPECT_NEAR(s.Param(9), c.width, 1e-6);
        if (std::isnan(c.selector))
            EXPECT_TRUE(std::isnan(s.Param(0)));
        else
            EXPECT_EQ(s.Param(0), c.selector);
    }
    /* without a style, by the text's own style name */
    TextDef d;
    d.style = "ISOCP";
    EXPECT_EQ(WriteText(d).Font(), "Coure.pfb");
    d.style = "STANDARD";
    EXPECT_EQ(WriteText(d).Font(), "SSS2.font");
    d.style = "Standard";
    EXPECT_EQ(WriteText(d).Font(), "SwissCL.pfb");
}

/* The symbol font: letters become the tolerance symbols, a top-aligned
 * text moves up by a quarter of its height along its own up direction. */
TEST_F(Texts, SymbolFontTextMovesAlongItsUpDirection)
{
    VyrDxfTextStyle style(MakeStyle("S", "GDT"));
    TextDef d;
    d.text = "n";
    d.v = 3;
    d.rotation = 90.0;
    d.height = 4.0;
    Sent s = WriteText(d, nullptr, nullptr, &style);
    EXPECT_NEAR(s.X(), d.ax - 1.0, 1e-5);
    EXPECT_NEAR(s.Y(), d.ay, 1e-5);
    EXPECT_EQ(s.Text(), "\xE2\x8C\x80"); /* U+2300 */
}

/* Height 0 or negative, a NaN rotation, empty and very long texts: no
 * crash, nothing drawn where nothing can be, the rest drawn. */
TEST_F(Texts, BrokenValues)
{
    int result = -1;
    TextDef d;
    d.height = 0.0;
    EXPECT_EQ(WriteText(d, nullptr, &result).Draws(), 0);
    EXPECT_EQ(result, 1);
    d.height = -2.0;
    EXPECT_EQ(WriteText(d, nullptr, &result).Draws(), 0);
    d.height = 2.5;
    d.rotation = NAN;
    Sent s = WriteText(d, nullptr, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(s.Draws(), 1);
    EXPECT_EQ(s.Param(6), 0.0f);
    d.rotation = 0.0;
    d.text = "";
    EXPECT_EQ(WriteText(d, nullptr, &result).Draws(), 0);
    EXPECT_EQ(result, 1);
    const std::string big(100000, 'a');
    d.text = big.c_str();
    s = WriteText(d, nullptr, &result);
    EXPECT_EQ(s.Draws(), 1);
    EXPECT_EQ(s.Text().size(), big.size());
    const VyrMathTransformation2D flat(VyrMath2x2Matrix(1.0, 0.0), VyrMathVector2D(0.0, 0.0));
    d.text = "x";
    EXPECT_EQ(WriteText(d, &flat, &result).Draws(), 0);
}

TEST_F(Texts, MultilineTextAttachmentsAndDirections)
{
    const int codes[10] = {28, 31, 35, 39, 30, 34, 38, 28, 32, 36};
    for (int a = 0; a <= 9; ++a) {
        VyrDxfMText m(MakeMText("M", 1.0, 0.0, a), nullptr, nullptr);
        EXPECT_EQ(Sent{Record(m)}.Param(7), codes[a]) << a;
    }
    struct Dir {
        double x, y, degrees;
    } dirs[] = {{1, 1, 45},   {-1, 1, 135}, {-1, -1, -135}, {1, -1, -45},
                {-1, 0, 180}, {0, -1, -90}, {0, 1, 90}};
    for (const Dir &d : dirs) {
        VyrDxfMText m(MakeMText("M", d.x, d.y, 1), nullptr, nullptr);
        EXPECT_NEAR(m.GetRotation(), d.degrees, 1e-9);
        Sent s{Record(m)};
        EXPECT_NEAR(std::remainder(s.Param(6) - d.degrees, 360.0), 0.0, 1e-4);
        EXPECT_NEAR(s.X(), 5.0, 1e-6);
    }
}

/* With a reference width, lines break at spaces and none is wider than the
 * width (unless one word is); explicit breaks stay. */
TEST_F(Texts, MultilineTextBreaksAtSpacesWithinItsWidth)
{
    const std::string words = "alpha beta gamma delta epsilon zeta eta theta iota kappa\\Plambda";
    VyrDxfMText m(MakeMText(words, 1.0, 0.0, 1, 20.0, 1.5), nullptr, nullptr);
    Sent s{Record(m)};
    EXPECT_TRUE(s.Has("SetTextParameter 11 1.5"));
    EXPECT_EQ(s.Param(11), 1.0f) << "set back for the texts that follow";
    std::string text = s.Text();
    VyrUnicodeString font(s.Font().c_str());
    const double wf = s.Param(9);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
        lines.push_back(text.substr(start, nl - start));
    lines.push_back(text.substr(start));
    ASSERT_GE(lines.size(), 3u) << text;
    EXPECT_EQ(lines.back(), "lambda");
    std::string joined;
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        EXPECT_LE(VyrDxfText::StringWidth(font, false, lines[i].c_str(), 2.0, wf), 20.0) << lines[i];
        joined += (i ? " " : "") + lines[i];
        if (i + 2 < lines.size()) {
            /* the next word would not have fitted */
            std::string next = lines[i + 1].substr(0, lines[i + 1].find(' '));
            EXPECT_GT(VyrDxfText::StringWidth(font, false, (lines[i] + " " + next).c_str(), 2.0, wf), 20.0);
        }
    }
    EXPECT_EQ(joined, "alpha beta gamma delta epsilon zeta eta theta iota kappa");
    EXPECT_EQ(VyrDxfMText::BreakLines("aaaaaaaaaaaaaaaaaaaa b", 1.0, "Helvetica", false, 1.0, 1.0).ToUtf8(),
              "aaaaaaaaaaaaaaaaaaaa\nb");
}

TEST_F(Texts, MultilineTextWithoutTextOrTerminatorDrawsNothingWrong)
{
    db_ptr ptr;
    dxf_mtext *rec = Begin<dxf_mtext>(DXFI_TF_dxf_mtext, ptr);
    rec->height = 1.0;
    End(ptr, false);
    VyrDxfMText none(ptr, nullptr, nullptr);
    int result = 0;
    EXPECT_EQ(Sent{Record(none, nullptr, &result)}.Draws(), 0);
    EXPECT_EQ(result, 1);
}

TEST_F(Texts, AttributesVisibleInvisibleAndConstant)
{
    TextDef d;
    int result = -1;
    VyrDxfAttribute hidden(MakeAttribute(d, 1), nullptr, nullptr);
    EXPECT_EQ(Sent{Record(hidden, nullptr, &result)}.Draws(), 0);
    EXPECT_EQ(result, 0);
    VyrDxfAttribute constant(MakeAttribute(d, 2), nullptr, nullptr);
    EXPECT_EQ(Sent{Record(constant, nullptr, &result)}.Draws(), 1);
    EXPECT_EQ(result, 0);
    VyrDxfAttribute plain(MakeAttribute(d, 0), nullptr, nullptr);
    EXPECT_EQ(Sent{Record(plain)}.Draws(), 1);
}

/* Anchors and codes of attributes; the nudges move along the text's up
 * direction (here turned by 90 degrees: up is -x). */
TEST_F(Texts, AttributeAnchorsAndNudges)
{
    struct Case {
        int v, h, code;
        bool fromAlignment;
        double nudge;
    } cases[] = {{0, 0, 28, false, -0.3}, {0, 1, 32, true, -0.3}, {0, 2, 36, true, -0.3},
                 {1, 0, 28, true, 0.0},   {1, 2, 36, true, 0.0},  {2, 1, 34, true, 0.0},
                 {2, 2, 34, true, 0.0},   {3, 0, 31, true, 0.4},  {3, 2, 39, true, 0.4}};
    for (const Case &c : cases)
        for (double rot : {0.0, 90.0}) {
            SCOPED_TRACE(testing::Message() << c.v << "/" << c.h << " r " << rot);
            TextDef d;
            d.v = c.v;
            d.h = c.h;
            d.rotation = rot;
            d.height = 10.0;
            VyrDxfAttribute a(MakeAttribute(d, 0), nullptr, nullptr);
            Sent s{Record(a)};
            EXPECT_EQ(s.Param(7), c.code);
            const double x = c.fromAlignment ? d.ax : d.x, y = c.fromAlignment ? d.ay : d.y;
            const double up = (rot + 90.0) * M_PI / 180.0;
            EXPECT_NEAR(s.X(), x + c.nudge * 10.0 * std::cos(up), 1e-4);
            EXPECT_NEAR(s.Y(), y + c.nudge * 10.0 * std::sin(up), 1e-4);
        }
}

TEST_F(Texts, AttributeStyleNamesChooseTheFont)
{
    TextDef d;
    d.style = "ISOCP";
    VyrDxfAttribute iso(MakeAttribute(d, 0), nullptr, nullptr);
    for (int i = 0; i < 3; ++i) {
        Sent s{Record(iso)};
        EXPECT_EQ(s.Font(), "Coure.pfb");
        EXPECT_NEAR(s.Param(9), 0.75, 1e-6);
    }
    d.style = "STANDARD";
    VyrDxfAttribute standard(MakeAttribute(d, 0), nullptr, nullptr);
    EXPECT_EQ(Sent{Record(standard)}.Font(), "SSS2.font");
}

} // namespace
