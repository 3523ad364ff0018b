/* The character converter: percent codes and escapes under different code
 * pages, look-aheads cut short by the end of a text, lead bytes, big fonts,
 * the formatting codes of multiline texts (and that plain texts keep them as
 * text), the big-font tables checked against iconv, fonts by code page and
 * the symbol-font letters. */
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Dxf2Cgm/VyrDxfUCConverter.h"
#include "platform/base/VyrCodePage.h"
#include "platform/base/VyrRawCollint.h"
#include "platform/base/VyrUnicodeString.h"

namespace {

using Units = std::vector<unsigned short>;

Units U(const char *latin1)
{
    Units u;
    for (const char *p = latin1; *p; ++p) u.push_back(static_cast<unsigned char>(*p));
    return u;
}
Units operator+(Units a, const Units &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
Units operator+(Units a, unsigned short b)
{
    a.push_back(b);
    return a;
}

struct Result {
    Units text;
    int flags = -1;
    std::vector<int> codes;
};

Result Convert(const char *page, const std::string &text, VyrDxfUCConverter::TextKind kind, short dbcs = 0,
               const char *bigFont = nullptr)
{
    VyrDxfUCConverter uc;
    uc.SetCodePage(page);
    VyrUnicodeString out;
    VyrRawCollint codes;
    Result r;
    uc.BuildFromChar(text.c_str(), &out, &codes, r.flags, dbcs, kind, bigFont);
    r.text.assign(out.GetBuffer(), out.GetBuffer() + out.GetLengthInChar());
    for (int i = 0; i < codes.GetCount(); ++i) r.codes.push_back(codes[i]);
    return r;
}
Units Text(const char *page, const std::string &text)
{
    return Convert(page, text, VyrDxfUCConverter::kPlainText).text;
}
Units MText(const char *page, const std::string &text)
{
    return Convert(page, text, VyrDxfUCConverter::kMText).text;
}

/* What the platform's code page makes of bytes, independent of the converter. */
Units Iconv(const char *page, const std::string &bytes)
{
    VyrCodePage cp(page);
    Units out(bytes.size() + 1);
    int n = 0;
    cp.ConvertStrToUcs(bytes.data(), static_cast<int>(bytes.size()), out.data(), &n);
    out.resize(static_cast<size_t>(n));
    return out;
}

const unsigned short kDeg = 0x00B0, kPm = 0x00B1, kDia = 0x2300, kOSlash = 0x00D8;

TEST(UCConverter, ThePercentSymbolsUnderEachCodePage)
{
    for (const char *page : {"ansi_1252", "ANSI_1252", "1252", "dos850", "iso8859-1", "ansi_1251", "dos932",
                             "ansi_936", "ansi_949", "ansi_950", "ansi_1258", ""}) {
        SCOPED_TRACE(page);
        const bool oslash = std::string(page) == "ansi_1252" || std::string(page) == "ANSI_1252" ||
                            std::string(page) == "1252";
        EXPECT_EQ(Text(page, "45%%d"), U("45") + kDeg);
        EXPECT_EQ(Text(page, "%%D%%P%%p"), (Units{kDeg, kPm, kPm}));
        EXPECT_EQ(Text(page, "%%c12"), Units{oslash ? kOSlash : kDia} + U("12"));
        EXPECT_EQ(Text(page, "%%C"), Units{oslash ? kOSlash : kDia});
        EXPECT_EQ(Text(page, "%%127%%128%%153%%130"), (Units{kDeg, kPm, kDia, '?'}));
        EXPECT_EQ(Text(page, "|d|B|A"), (Units{kPm, kDeg, kDia}));
        EXPECT_EQ(Text(page, "100%%%"), U("100%"));
        EXPECT_EQ(Text(page, "%%065"), U("A"));
    }
}

TEST(UCConverter, PercentCodesAndTheirEnds)
{
    const struct {
        const char *page, *in;
        Units out;
    } cases[] = {
        {"ansi_1252", "%%233", Units{0xE9}},
        {"ansi_1251", "%%233", Units{0x0439}}, /* the byte goes through the code page */
        {"ansi_1252", "%%999x", U("x")},       /* no such byte: nothing */
        {"ansi_1252", "%%x12Z", U("Z")},       /* an unknown code takes five characters */
        {"ansi_1252", "a%%x1", U("a%%x1")},    /* ... but not past the end */
        {"ansi_1252", "%%12", U("%%12")},
        {"ansi_1252", "%%", U("%%")},
        {"ansi_1252", "%", U("%")},
        {"ansi_1252", "5% off", U("5% off")},
        {"ansi_1252", "%%d%", Units{kDeg, '%'}},
    };
    for (const auto &c : cases) EXPECT_EQ(Text(c.page, c.in), c.out) << c.page << " " << c.in;
}

TEST(UCConverter, UnderlineAndOverlineFlagsAndSymbolPlaces)
{
    Result r = Convert("ansi_1252", "%%uab%%o", VyrDxfUCConverter::kPlainText);
    EXPECT_EQ(r.text, U("ab"));
    EXPECT_EQ(r.flags, VyrDxfUCConverter::kUnderline | VyrDxfUCConverter::kOverline);
    r = Convert("ansi_1252", "a%%db\\U+00E9|A", VyrDxfUCConverter::kPlainText);
    EXPECT_EQ(r.text, U("a") + kDeg + 'b' + 0xE9 + kDia);
    EXPECT_EQ(r.codes, (std::vector<int>{1, 3, 4}));
    EXPECT_EQ(r.flags, 0);
}

TEST(UCConverter, UnicodeEscapes)
{
    const struct {
        const char *in;
        Units out;
    } cases[] = {
        {"\\U+00e9", Units{0xE9}},
        {"\\U+00E9", Units{0xE9}},
        {"x\\U+2300y", U("x") + kDia + 'y'},
        {"\\U+00G9x", U("\\U+00G9x")}, /* a bad digit: literal text */
        {"\\U+12", U("\\U+12")},       /* cut short by the end */
        {"\\U+", U("\\U+")},
        {"\\u+00E9", U("\\u+00E9")}, /* the escape is upper case */
        {"\\", U("\\")},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Text("ansi_1252", c.in), c.out) << c.in;
        EXPECT_EQ(MText("ansi_1252", c.in), c.out) << c.in;
    }
}

TEST(UCConverter, MultiByteEscapesByTheirDigit)
{
    const struct {
        const char *in;
        Units out;
    } cases[] = {
        {"\\M+182A0", Units{0x3042}}, /* 932 */
        {"\\m+182a0", Units{0x3042}},
        {"\\M+2A440", Units{0x4E00}}, /* 950 */
        {"\\M+3B0A1", Units{0xAC00}}, /* 949 */
        {"\\M+48861", Units{0xAC00}}, /* Johab */
        {"\\M+5B0A1", Units{0x554A}}, /* 936 */
        {"a\\M+182A0b", Units{'a', 0x3042, 'b'}},
        {"\\M+182G0", U("\\M+182G0")}, /* a bad digit: literal text */
        {"\\M+682A0", U("\\M+682A0")}, /* no such page */
        {"\\M+182A", U("\\M+182A")},   /* cut short */
        {"\\M+", U("\\M+")},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Text("ansi_1252", c.in), c.out) << c.in;
        EXPECT_EQ(MText("dos932", c.in), c.out) << c.in;
    }
}

TEST(UCConverter, LeadBytesOf932KeepTheirTrailBytes)
{
    /* every lead byte of 932 with a trail byte that looks like a code */
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead > 0x9F && lead < 0xE0) continue;
        for (char trail : {'\\', '|', '{', '}'}) {
            const std::string pair{static_cast<char>(lead), trail};
            const Units want = Iconv("dos932", pair) + 'P';
            EXPECT_EQ(MText("dos932", pair + "P"), want) << std::hex << lead << trail;
            EXPECT_EQ(MText("ansi_932", pair + "P"), want) << std::hex << lead << trail;
            EXPECT_EQ(Text("dos932", pair + "P"), want) << std::hex << lead << trail;
        }
    }
    /* bytes that are no lead byte of 932 still start codes */
    EXPECT_EQ(MText("dos932", "\xA1\\P"), Iconv("dos932", "\xA1") + '\n');
    EXPECT_EQ(Text("dos932", "\x82\xA0"), Units{0x3042});
    /* a lead byte at the very end stands alone and never swallows the end */
    EXPECT_EQ(Text("dos932", "A\x82"), U("A") + 0xFFFD);
    EXPECT_EQ(MText("dos932", "x\x82"), U("x") + 0xFFFD);
    EXPECT_EQ(Text("ansi_1252", "\x82\\U+00E9"), (Units{0x201A, 0xE9})); /* no lead bytes in 1252 */
}

TEST(UCConverter, PlainTextConvertsRunByRun)
{
    /* double-byte and UTF-8 pages only decode whole runs right */
    EXPECT_EQ(Text("ansi_936", "\xB0\xA1\xB0\xA1%%d"), (Units{0x554A, 0x554A, kDeg}));
    EXPECT_EQ(Text("ansi_949", "\xB0\xA1x"), (Units{0xAC00, 'x'}));
    EXPECT_EQ(Text("big5", "\xA4\x40\xA5\x5C"), (Units{0x4E00, 0x529F}));
    EXPECT_EQ(Text("ansi_1361", "\x88\x61"), Units{0xAC00});
    EXPECT_EQ(Text("ansi_1200", "caf\xC3\xA9 %%d"), U("caf") + 0xE9 + ' ' + kDeg);
    EXPECT_EQ(Text("dos850", "\x82t\x82"), (Units{0xE9, 't', 0xE9}));
    std::string big(100000, 'a');
    for (size_t i = 0; i < big.size(); i += 100) big.replace(i, 3, "%%d");
    const Units out = Text("ansi_1252", big);
    EXPECT_EQ(out.size(), big.size() - 2 * 1000);
}

TEST(UCConverter, BigFontsDecodeByTheirOwnPage)
{
    const struct {
        const char *drawing, *font, *in;
        Units out;
    } cases[] = {
        {"ansi_1252", "chineset.shx", "\xA4\x40", Units{0x4E00}},
        {"ansi_1252", "@extfont2.shx", "\x82\xA0", Units{0x3042}},
        {"ansi_1252", "C:\\fonts\\BIGFONT.SHX", "\x82\xA0", Units{0x3042}},
        {"ansi_1252", "gbcbig.shx", "\xB0\xA1", Units{0x554A}},
        {"ansi_1252", "hztxt", "\xB0\xA1", Units{0x554A}},
        {"ansi_1252", "whgtxt.shx", "\xB0\xA1", Units{0xAC00}},
        {"ansi_1252", "whtmtxt.shx", "\xB0\xA1", Units{0xAC00}},
        {"ansi_949", "mine.shx", "\xB0\xA1", Units{0xAC00}},  /* the drawing's double-byte page */
        {"ansi_1252", "mine.shx", "\x82\xA0", Units{0x3042}}, /* else 932 */
        {"ansi_1252", nullptr, "\x82\xA0", Units{0x3042}},
        {"ansi_1252", "chineset.shx", "%%d\xA4\x40", Units{kDeg, 0x4E00}},
    };
    for (const auto &c : cases) {
        Result r = Convert(c.drawing, c.in, VyrDxfUCConverter::kPlainText, 1, c.font);
        EXPECT_EQ(r.text, c.out) << c.drawing << " " << (c.font ? c.font : "null");
    }
    /* without a big font the same bytes are the drawing's */
    EXPECT_EQ(Text("ansi_1252", "\x82\xA0"), (Units{0x201A, 0xA0}));
}

TEST(UCConverter, MTextFormattingLeavesOnlyText)
{
    Result r = Convert("ansi_1252", "{\\C1;\\LA\\l}\\~B\\PC\\S1^2;", VyrDxfUCConverter::kMText);
    EXPECT_EQ(r.text, U("A B\nC1/2"));
    EXPECT_EQ(r.flags, VyrDxfUCConverter::kUnderline);
    const struct {
        const char *in;
        Units out;
    } cases[] = {
        {"x\\pxqc;y", U("xy")},
        {"x\\pi-1,l2,t3;y", U("xy")},
        {"x\\fArial|b1|i0;y", U("xy")},
        {"x\\H2.5x;y", U("xy")},
        {"x\\W0.8;y", U("xy")},
        {"x\\Q15;y", U("xy")},
        {"x\\T1.2;y", U("xy")},
        {"x\\A1;y", U("xy")},
        {"x\\c16711680;y", U("xy")},
        {"x\\Oo\\o\\Kk\\ky", U("xoky")},
        {"a\\\\b\\{c\\}", U("a\\b{c}")},
        {"one\\Ptwo\\Xthree\\Nfour", U("one\ntwo\nthree\nfour")},
        {"\\S3#4;\\S5/6;", U("3/45/6")},
        {"\\S%%d^\\U+00E9;", Units{kDeg, '/', 0xE9}},
        {"\\Sab;", U("ab")},
        {"\\S1^2", U("1^2")}, /* no end: the code alone goes */
        {"\\H2", U("2")},
        {"\\Farial", U("arial")},
        {"{{}}", Units{}},
        {"%%d\\P", Units{kDeg, '\n'}},
        {"\\", U("\\")},
        {"C:\\data\\x", U("C:\\data\\x")}, /* no code: text */
    };
    for (const auto &c : cases) EXPECT_EQ(MText("ansi_1252", c.in), c.out) << c.in;
    EXPECT_EQ(Convert("ansi_1252", "\\fArial|b1|i0;B", VyrDxfUCConverter::kMText).flags,
              VyrDxfUCConverter::kBold);
    EXPECT_EQ(Convert("ansi_1252", "\\FArial|I1;B", VyrDxfUCConverter::kMText).flags,
              VyrDxfUCConverter::kItalic);
}

TEST(UCConverter, PlainTextsKeepBracesAndBackslashes)
{
    for (const char *in : {"{A}", "a\\Pb", "\\H2;x", "\\S1^2;", "\\fArial;", "\\~", "\\\\"})
        EXPECT_EQ(Text("ansi_1252", in), U(in)) << in;
    EXPECT_EQ(Convert("ansi_1252", "\\LA", VyrDxfUCConverter::kPlainText).flags, 0);
}

TEST(UCConverter, EmptyAndNullTexts)
{
    VyrDxfUCConverter uc;
    uc.SetCodePage("ansi_1252");
    VyrUnicodeString out("keep");
    int flags = 7;
    uc.BuildFromChar("", &out, nullptr, flags, 0);
    EXPECT_EQ(flags, 0);
    uc.BuildFromChar(nullptr, &out, nullptr, flags, 0);
    uc.BuildFromChar("x", nullptr, nullptr, flags, 0);
    EXPECT_TRUE(out == "keep");
    uc.BuildFromChar("%%d", &out, nullptr, flags, 0); /* appends */
    EXPECT_EQ(out.GetLengthInChar(), 5);
}

/* The big-font tables hold code page 932 as iconv has it, one code per
 * character, without rows 0xED and 0xEE. */
TEST(UCConverter, BigFontTables)
{
    const unsigned short *blocks[4] = {
        VyrDxfUCConverter::BigFont8ToUnicode, VyrDxfUCConverter::BigFont9ToUnicode,
        VyrDxfUCConverter::BigFontEToUnicode, VyrDxfUCConverter::BigFontFToUnicode};
    const unsigned starts[4] = {0x8000, 0x9000, 0xE000, 0xF000};
    const int counts[4] = {2008, 2965, 1980, 2253};
    for (int k = 0; k < 4; ++k) {
        int n = 0;
        for (unsigned i = 0; i < 4096; ++i) {
            const unsigned short u = blocks[k][i];
            if (!u) continue;
            ++n;
            const unsigned code = starts[k] + i;
            const std::string pair{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
            EXPECT_EQ(Iconv("dos932", pair), Units{u}) << std::hex << code;
            EXPECT_NE(code >> 8, 0xEDu);
            EXPECT_NE(code >> 8, 0xEEu);
        }
        EXPECT_EQ(n, counts[k]) << std::hex << starts[k];
    }
    const struct {
        unsigned short code, unicode;
    } quoted[] = {{0x8140, 0x3000}, {0x8141, 0x3001}, {0x9040, 0x62ED}, {0xE040, 0x6F3E}, {0xEAA4, 0x7199},
                  {0xF040, 0xE000}, {0xF9FC, 0xE757}, {0xFA40, 0x2170}, {0xFC4B, 0x9ED1}, {0x41, 'A'},
                  {0x80, 0x80},     {0xA0, 0xF8F0},   {0xA1, 0xFF61},   {0xDF, 0xFF9F},   {0xFD, 0xF8F1},
                  {0xFE, 0xF8F2},   {0xFF, 0xF8F3}};
    for (const auto &q : quoted)
        EXPECT_EQ(VyrDxfUCConverter::FromBigFontToUnicode(&q.code), q.unicode) << q.code;
    for (unsigned short none : {0x81, 0x9F, 0xE0, 0xFC, 0xED40, 0xEE40, 0xA040, 0x7FFF, 0x0100, 0x8000})
        EXPECT_EQ(VyrDxfUCConverter::FromBigFontToUnicode(&none), 255) << none;
    EXPECT_EQ(VyrDxfUCConverter::FromBigFontToUnicode(nullptr), 255);
    int singles = 0;
    for (unsigned c = 0; c < 256; ++c) singles += VyrDxfUCConverter::BigFont00ToUnicode[c] != 0;
    EXPECT_EQ(singles, 128 + 1 + 63 + 3); /* 0x01-0x80, 0xA0, 0xA1-0xDF, 0xFD-0xFF */
}

TEST(UCConverter, FontsByCodePage)
{
    const struct {
        const char *page, *font;
    } cases[] = {{"932", "KANJ.font"},
                 {"IBM-932", "KANJ.font"},
                 {"dos932", "KANJ.font"},
                 {"ANSI_932", "KANJ.font"},
                 {"950", "TRCH.font"},
                 {"EUC-TW", "TRCH.font"},
                 {"big5", "TRCH.font"},
                 {"ansi_950", "TRCH.font"},
                 {"949", "KOHG.font"},
                 {"ksc5601", "KOHG.font"},
                 {"johab", "KOHG.font"},
                 {"936", "SICH.font"},
                 {"gb2312", "SICH.font"},
                 {"EUC-CN", "SICH.font"},
                 {"1252", "Monos.pfb"},
                 {"ISO8859-1", "Monos.pfb"},
                 {"iso8859-1", "Monos.pfb"},
                 {"1250", "SSS2.font"},
                 {"ISO8859-5", "SSS2.font"},
                 {"ansi_1251", "SSS2.font"},
                 {"ansi_1252", "SwissCL.pfb"},
                 {"ANSI_1252", "SwissCL.pfb"},
                 {"dos850", "SwissCL.pfb"},
                 {"ansi_1253", "Coure.pfb"},
                 {"", "Coure.pfb"}};
    for (const auto &c : cases) {
        VyrDxfUCConverter uc;
        uc.SetCodePage(c.page);
        VyrUnicodeString font("whatever");
        uc.MappFontWithCodePage(&font);
        EXPECT_TRUE(font == c.font) << c.page << " gave " << font.ConvertToChar();
        EXPECT_EQ(uc.IsJapanese() != 0, std::string(c.page).find("932") != std::string::npos) << c.page;
    }
}

TEST(UCConverter, SymbolFontLetters)
{
    VyrUnicodeString s("abcdefghijklmnopqrstuvwxyzAo1");
    VyrDxfUCConverter::SubstituteAllGDT(s);
    const Units want = {0x2220, 0x22A5, 0xF000, 0x2313, 0x25EF, 0x2225, 0x232D, 0x2197, 0x232F, 0x2316,
                        0x2312, 0x24C1, 0x24C2, 0x2300, 'o',    0x24C5, 0x2104, 0x233E, 0x24C8, 0x2330,
                        0x2500, 0x2334, 0x2335, 0x21A7, 0x2332, 0x2333, 'A',    'o',    '1'};
    EXPECT_EQ(Units(s.GetBuffer(), s.GetBuffer() + s.GetLengthInChar()), want);
}

TEST(UCConverter, HexadecimalDigits)
{
    int v[4];
    EXPECT_TRUE(VyrDxfUCConverter::BuildHexaValueFromChar("09aF", v));
    EXPECT_EQ(std::vector<int>(v, v + 4), (std::vector<int>{0, 9, 10, 15}));
    EXPECT_FALSE(VyrDxfUCConverter::BuildHexaValueFromChar("1g23", v));
    EXPECT_EQ(v[1], -1);
    EXPECT_FALSE(VyrDxfUCConverter::BuildHexaValueFromChar("1", v)); /* stops at the end */
    EXPECT_FALSE(VyrDxfUCConverter::BuildHexaValueFromChar(nullptr, v));
}

} // namespace
