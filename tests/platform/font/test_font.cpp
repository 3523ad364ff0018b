/* Font look-up: the file names the text elements use, the families behind
 * them, the metrics compiled from the AFM files and the height ratio. */
#include "platform/font/VyrFont.h"

#include "platform/base/VyrUnicodeString.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(VyrFont, KnownFileNamesGiveCoreFamilies)
{
    struct {
        const char *file;
        const char *family;
    } cases[] = {{"Coure.pfb", "Courier"},   {"Monos.pfb", "Courier"},   {"SwissCL.pfb", "Helvetica"},
                 {"SymbM.pfb", "Symbol"},    {"SSS2.font", "Helvetica"}, {"SSS3.font", "Helvetica"},
                 {"SSS4.font", "Helvetica"}, {"KANJ.font", "Helvetica"}, {"TRCH.font", "Helvetica"},
                 {"KOHG.font", "Helvetica"}, {"SICH.font", "Helvetica"}, {"times-roman", "Times-Roman"}};
    for (const auto &c : cases) {
        VyrFont *f = VyrFont::sGetFont(c.file, 0);
        ASSERT_NE(f, nullptr) << c.file;
        EXPECT_STREQ(f->GetFamilyName(), c.family);
        EXPECT_DOUBLE_EQ(f->GetHeightRatio(), 1.0);
    }
    EXPECT_EQ(VyrFont::sGetFont("nosuch.shx", 0), nullptr);
    EXPECT_EQ(VyrFont::sGetFont(nullptr, 0), nullptr);
    EXPECT_EQ(VyrFont::sGetFont("Coure.pfb", 0), VyrFont::sGetFont("COURE.PFB", 0));
}

TEST(VyrFont, StylesSelectTheCoreFonts)
{
    VyrFont *h = VyrFont::sGetFont("SwissCL.pfb", 0);
    EXPECT_STREQ(h->GetMetrics(true, false).name, "Helvetica-Bold");
    EXPECT_STREQ(h->GetMetrics(false, true).name, "Helvetica-Oblique");
    EXPECT_STREQ(h->GetMetrics(true, true).name, "Helvetica-BoldOblique");
    VyrFont *s = VyrFont::sGetFont("SymbM.pfb", 0);
    EXPECT_STREQ(s->GetMetrics(true, true).name, "Symbol");
    ASSERT_EQ(VyrFont::sGetCoreFontCount(), 13);
    EXPECT_STREQ(VyrFont::sGetCoreMetrics(0).name, "Helvetica");
    EXPECT_STREQ(VyrFont::sGetCoreMetrics(12).name, "Symbol");
}

TEST(VyrFont, MetricsComeFromTheAfmFiles)
{
    const VyrFontMetrics &h = VyrFont::sGetCoreMetrics(0);
    EXPECT_EQ(h.capHeight, 729);
    EXPECT_LT(h.descender, -150);
    EXPECT_EQ(VyrFont::sGetAdvance(h, 'A'), 667);
    EXPECT_EQ(VyrFont::sGetAdvance(h, ' '), 278);
    EXPECT_EQ(VyrFont::sGetAdvance(h, 0xE9), 556);    /* eacute */
    EXPECT_EQ(VyrFont::sGetAdvance(h, 0x20AC), 556);  /* Euro */
    EXPECT_EQ(VyrFont::sGetAdvance(h, 0x4E00), 1000); /* an ideograph */
    EXPECT_EQ(VyrFont::sGetAdvance(h, 0x0301), 0);    /* a combining mark */
    const VyrFontMetrics &c = VyrFont::sGetCoreMetrics(8);
    const unsigned short chars[] = {'i', 'W', '.', 0xC4};
    for (unsigned short ch : chars) EXPECT_EQ(VyrFont::sGetAdvance(c, ch), 600) << ch;
    EXPECT_EQ(VyrFont::sGetStringAdvance(h, VyrUnicodeString("AV")), 667 + 667);
    const VyrFontMetrics &t = VyrFont::sGetCoreMetrics(4);
    EXPECT_EQ(VyrFont::sGetAdvance(t, 'm'), 778);
}
