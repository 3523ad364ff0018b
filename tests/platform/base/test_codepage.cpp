/* Code pages through iconv: the drawing's names, case-insensitive, the
 * fallback to Windows-1252, double-byte pages and bad input. */
#include "platform/base/VyrCodePage.h"
#include "platform/base/VyrRawCollint.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {
std::vector<unsigned short> Convert(VyrCodePage &cp, const char *text, int len = -1)
{
    std::vector<unsigned short> out(512);
    int n = -1;
    cp.ConvertStrToUcs(text, len, out.data(), &n);
    out.resize(static_cast<size_t>(n));
    return out;
}
} // namespace

TEST(VyrCodePage, DrawingNamesMapToIconvNames)
{
    struct {
        const char *name;
        const char *iconv;
    } cases[] = {
        {"ANSI_1252", "CP1252"},     {"ansi_1252", "CP1252"},     {"dos932", "CP932"},
        {"ansi_932", "CP932"},       {"big5", "CP950"},           {"gb2312", "CP936"},
        {"ksc5601", "CP949"},        {"johab", "JOHAB"},          {"mac-roman", "MACINTOSH"},
        {"dos864", "CP864"},         {"ascii", "CP1252"},         {"undefined", "CP1252"},
        {"iso8859-2", "ISO-8859-2"}, {"ISO8859-1", "ISO-8859-1"}, {"ISO-8859-15", "ISO-8859-15"},
        {"1250", "CP1250"},          {"windows-1251", "CP1251"},  {"EUC-KR", "EUC-KR"},
        {"ansi_874", "CP874"},       {"IBM-932", "CP932"},        {"ansi_1258", "CP1258"},
        {"ansi_1361", "JOHAB"},      {"ANSI_1200", "UTF-8"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(VyrCodePage::sToIconvName(c.name), c.iconv) << c.name;
        VyrCodePage cp(c.name);
        EXPECT_FALSE(cp.IsFallback()) << c.name;
        EXPECT_STREQ(cp.GetName(), c.name);
    }
}

TEST(VyrCodePage, UnknownNamesFallBackToWindows1252)
{
    for (const char *name : {"klingon", "", static_cast<const char *>(nullptr)}) {
        VyrCodePage cp(name);
        EXPECT_STREQ(cp.GetIconvName(), "CP1252");
        EXPECT_EQ(Convert(cp, "\x80"), std::vector<unsigned short>{0x20AC});
    }
}

TEST(VyrCodePage, SingleByteConversions)
{
    VyrCodePage w("ANSI_1252");
    EXPECT_EQ(Convert(w, "A\xE9\x80"), (std::vector<unsigned short>{'A', 0xE9, 0x20AC}));
    VyrCodePage cyr("ansi_1251");
    EXPECT_EQ(Convert(cyr, "\xC0"), std::vector<unsigned short>{0x0410});
    VyrCodePage dos("dos850");
    EXPECT_EQ(Convert(dos, "\x82"), std::vector<unsigned short>{0xE9});
    VyrCodePage mac("mac-roman");
    EXPECT_EQ(Convert(mac, "\x8E"), std::vector<unsigned short>{0xE9});
    /* embedded zero bytes count when a length is given */
    EXPECT_EQ(Convert(w, "a\0b", 3), (std::vector<unsigned short>{'a', 0, 'b'}));
}

TEST(VyrCodePage, DoubleBytePagesAndUndefinedBytes)
{
    VyrCodePage sjis("dos932");
    EXPECT_EQ(Convert(sjis, "\x82\xA0"), std::vector<unsigned short>{0x3042});
    EXPECT_EQ(Convert(sjis, "a\x82"), (std::vector<unsigned short>{'a', 0xFFFD}));
    VyrCodePage w("ansi_1252");
    std::vector<unsigned short> out(4);
    int n = 0;
    EXPECT_EQ(w.ConvertStrToUcs("\x81x", 2, out.data(), &n), 1);
    ASSERT_EQ(n, 2);
    EXPECT_EQ(out[0], 0xFFFD);
    EXPECT_EQ(out[1], 'x');
    EXPECT_EQ(w.ConvertStrToUcs(nullptr, 1, out.data(), &n), -1);
    EXPECT_EQ(n, 0);
}

TEST(VyrCodePage, SingleBytePagesGiveWhatIconvGivesForTheWholeText)
{
    /* every byte, as one text and byte by byte, against iconv itself */
    std::string all;
    for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
    for (const char *name : {"CP1250", "CP1251", "CP1252", "CP1253", "CP1254", "CP1256", "CP1257", "CP437",
                             "CP850", "CP866", "CP874", "MACINTOSH", "ISO-8859-2", "ISO-8859-7", "KOI8-R"}) {
        iconv_t cd = iconv_open("UTF-16LE", name);
        ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1)) << name;
        std::vector<unsigned short> want;
        for (char c : all) {
            char *in = &c, buf[8], *out = buf;
            size_t inLeft = 1, outLeft = sizeof buf;
            if (iconv(cd, &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1))
                want.push_back(0xFFFD);
            else
                want.push_back(static_cast<unsigned short>(static_cast<unsigned char>(buf[0]) |
                                                           static_cast<unsigned char>(buf[1]) << 8));
        }
        iconv_close(cd);
        VyrCodePage cp(name);
        EXPECT_EQ(Convert(cp, all.c_str()), want) << name;
        const bool undefined = std::find(want.begin(), want.end(), 0xFFFD) != want.end();
        std::vector<unsigned short> out(all.size());
        int n = 0;
        EXPECT_EQ(cp.ConvertStrToUcs(all.c_str(), static_cast<int>(all.size()), out.data(), &n),
                  undefined ? 1 : 0)
            << name;
    }
}

TEST(VyrRawCollint, GrowsAndGuardsItsBounds)
{
    VyrRawCollint a(2);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(a.Append(i * 3), 0);
    EXPECT_EQ(a.GetCount(), 1000);
    EXPECT_EQ(a[999], 2997);
    EXPECT_EQ(a.Get(1000), 0);
    EXPECT_EQ(a.Get(-1), 0);
}

TEST(VyrCodePage, ComposingPageKeepsWhatItHeldBack)
{
    /* 1258 holds a letter back until it knows no accent follows */
    VyrCodePage viet("ansi_1258");
    EXPECT_EQ(Convert(viet, "a\xEC"), std::vector<unsigned short>{0xE1});
    EXPECT_EQ(Convert(viet, "ab"), (std::vector<unsigned short>{'a', 'b'}));
    EXPECT_EQ(Convert(viet, "e\x81"), (std::vector<unsigned short>{'e', 0xFFFD}));
    EXPECT_EQ(Convert(viet, "e\x81o"), (std::vector<unsigned short>{'e', 0xFFFD, 'o'}));
}

TEST(VyrCodePage, OutputNeverPassesTheGivenRoom)
{
    /* four bytes of UTF-8 are two units: room for srcLen units always holds them */
    VyrCodePage utf8("ansi_1200");
    EXPECT_EQ(Convert(utf8, "\xF0\x9F\x98\x80"), (std::vector<unsigned short>{0xD83D, 0xDE00}));
    std::vector<unsigned short> big(100000, 0);
    std::string text(100000, '\xE9');
    VyrCodePage w("ansi_1252");
    int n = 0;
    EXPECT_EQ(w.ConvertStrToUcs(text.c_str(), int(text.size()), big.data(), &n), 0);
    EXPECT_EQ(n, 100000);
    EXPECT_EQ(big[99999], 0xE9);
}
