/* Narrow and Unicode strings: the two opposite senses of Compare, ASCII-only
 * case folding under any locale, conversions and editing. */
#include "platform/base/VyrString.h"
#include "platform/base/VyrUnicodeString.h"

#include <gtest/gtest.h>

#include <clocale>

TEST(VyrString, CompareIsZeroForTextsEqualIgnoringCase)
{
    VyrString s("Dashed");
    EXPECT_EQ(s.Compare("DASHED"), 0);
    EXPECT_EQ(s.Compare("dashed"), 0);
    EXPECT_NE(s.Compare("DASHED2"), 0);
    EXPECT_LT(VyrString("A").Compare("b"), 0);
    EXPECT_GT(VyrString("b").Compare("A"), 0);
    EXPECT_EQ(VyrString().Compare(nullptr), 0);
    EXPECT_EQ(VyrString(nullptr).Compare(""), 0);
    EXPECT_EQ(VyrAsciiCompare("ByLayer", "BYLAYER"), 0);
    EXPECT_EQ(VyrAsciiCompare(nullptr, ""), 0);
    EXPECT_LT(VyrAsciiCompare(nullptr, "a"), 0);
    EXPECT_GT(VyrAsciiCompare("\xE9", "Z"), 0);
}

TEST(VyrString, EqualityIsExactAndToUpperIsAscii)
{
    VyrString s("ansi_1252");
    EXPECT_TRUE(s == "ansi_1252");
    EXPECT_FALSE(s == "ANSI_1252");
    s = "Ma\xE7on-\xE9t\xE9";
    s.ToUpper();
    EXPECT_STREQ(s.GetText(), "MA\xE7ON-\xE9T\xE9");
    const char *text = s;
    EXPECT_EQ(text, s.GetText());
    EXPECT_EQ(s.GetLength(), 9);
}

TEST(VyrString, CaseFoldingIgnoresTheLocale)
{
    const char *old = std::setlocale(LC_ALL, nullptr);
    std::string saved = old ? old : "C";
    /* Turkish rules would fold i to a dotted capital; ours never do. */
    if (std::setlocale(LC_ALL, "tr_TR.UTF-8") || std::setlocale(LC_ALL, "de_DE.UTF-8")) {
        EXPECT_EQ(VyrString("line").Compare("LINE"), 0);
        EXPECT_NE(VyrUnicodeString("line").Compare(VyrUnicodeString("LINE")), 0);
    }
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(VyrString("line").Compare("LINE"), 0);
}

TEST(VyrUnicodeString, CompareIsNonZeroForEqualStrings)
{
    VyrUnicodeString a("Dashed"), b("DASHED"), c("DASHDOT");
    EXPECT_NE(a.Compare(b), 0);
    EXPECT_NE(a.Compare("dashed"), 0);
    EXPECT_EQ(a.Compare(c), 0);
    EXPECT_EQ(a.Compare("Dashe"), 0);
    /* the empty name matches the empty places of a table */
    EXPECT_NE(VyrUnicodeString().Compare(""), 0);
    /* only ASCII letters fold */
    EXPECT_EQ(VyrUnicodeString("\xE9").Compare("\xC9"), 0);
}

TEST(VyrUnicodeString, NarrowTextIsReadAsLatin1AndWrittenBack)
{
    VyrUnicodeString s("caf\xE9");
    ASSERT_EQ(s.GetLengthInChar(), 4);
    EXPECT_EQ(s.GetAt(3), 0xE9);
    EXPECT_STREQ(s.ConvertToChar(), "caf\xE9");
    EXPECT_TRUE(s == "caf\xE9");
    EXPECT_TRUE(s.IsLatin1());
    EXPECT_EQ(s.ToUtf8(), "caf\xC3\xA9");
    const unsigned short diameter[] = {0x2300, 'x', 0};
    s.BuildFromUCChar(diameter, -1);
    EXPECT_EQ(s.GetLengthInChar(), 2);
    EXPECT_FALSE(s.IsLatin1());
    EXPECT_STREQ(s.ConvertToChar(), "?x");
    EXPECT_EQ(s.ToUtf8(), "\xE2\x8C\x80x");
}

TEST(VyrUnicodeString, Utf8RoundTripWithSurrogatesAndBadBytes)
{
    VyrUnicodeString s = VyrUnicodeString::FromUtf8("a\xF0\x9F\x98\x80\xE2\x82\xAC");
    ASSERT_EQ(s.GetLengthInChar(), 4);
    EXPECT_EQ(s.GetAt(1), 0xD83D);
    EXPECT_EQ(s.GetAt(2), 0xDE00);
    EXPECT_EQ(s.ToUtf8(), "a\xF0\x9F\x98\x80\xE2\x82\xAC");
    VyrUnicodeString bad = VyrUnicodeString::FromUtf8("x\xC3(\xED\xA0\x80");
    EXPECT_EQ(bad.GetAt(1), 0xFFFD);
    EXPECT_EQ(bad.GetAt(2), '(');
    const unsigned short lone[] = {0xD800, 'z'};
    EXPECT_EQ(VyrUnicodeString(lone, 2).ToUtf8(), "\xEF\xBF\xBDz");
}

TEST(VyrUnicodeString, EditingAndAccess)
{
    VyrUnicodeString s("abc");
    s.Append(VyrUnicodeString("de")).Append(VyrUnicodeChar('f')).Append("g");
    EXPECT_TRUE(s == "abcdefg");
    EXPECT_EQ(s.ReplaceSubString(1, 2, VyrUnicodeString("XYZ")), 0);
    EXPECT_TRUE(s == "aXYZdefg");
    EXPECT_EQ(s.ReplaceSubString(7, 5, VyrUnicodeString("!")), 0);
    EXPECT_TRUE(s == "aXYZdef!");
    EXPECT_EQ(s.ReplaceSubString(9, 1, VyrUnicodeString("?")), -1);
    EXPECT_EQ(s.ReplaceSubString(0, 1, s), 0);
    EXPECT_TRUE(s == "aXYZdef!XYZdef!");
    s.Append(s);
    EXPECT_EQ(s.GetLengthInChar(), 30);
    EXPECT_EQ(s[0].GetValue(), 'a');
    EXPECT_EQ(s[99].GetValue(), 0);
    EXPECT_EQ(s[-1].GetValue(), 0);
    VyrUnicodeChar c(static_cast<unsigned short>(0x263A));
    EXPECT_EQ(c.ConvertToChar(), '?');
    c = 'q';
    EXPECT_EQ(c.ConvertToChar(), 'q');
}
