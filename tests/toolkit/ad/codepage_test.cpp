/* The toolkit's code pages: the catalogue and its lookups, the header
 * reader's use of it, every conversion table checked against the C
 * library's iconv (through the code-page names of the platform's code
 * page), lead bytes, characters of a text, case changes, and init data
 * whose tables are missing or lie. */
#include <algorithm>
#include <cstring>
#include <iconv.h>
#include <vector>

#include "platform/base/VyrCodePage.h"
#include "toolkit/fixture.h"

namespace {

/* The one Unicode character iconv makes of these bytes, or 0. */
unsigned IconvChar(iconv_t cd, const unsigned char *bytes, size_t n)
{
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char in[2];
    std::memcpy(in, bytes, n);
    char *ip = in;
    size_t il = n;
    unsigned char out[16];
    char *op = reinterpret_cast<char *>(out);
    size_t ol = sizeof out;
    if (iconv(cd, &ip, &il, &op, &ol) == static_cast<size_t>(-1) || il) return 0;
    if (iconv(cd, nullptr, nullptr, &op, &ol) == static_cast<size_t>(-1)) return 0;
    if (sizeof out - ol != 4) return 0;
    return out[0] | out[1] << 8 | out[2] << 16 | static_cast<unsigned>(out[3]) << 24;
}

class CodePages : public ToolkitTest {
protected:
    AdDrawing *LoadWithCodePage(const char *name)
    {
        std::string text =
            std::string("0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n9\n$DWGCODEPAGE\n3\n") + name +
            "\n0\nENDSEC\n0\nEOF\n";
        AdDrawing *d = adLoadFile(TempFile(text).c_str(), 1, 0);
        if (d) loaded_.push_back(d);
        return d;
    }
    void TearDown() override
    {
        for (AdDrawing *d : loaded_) adCloseFile(d);
        ToolkitTest::TearDown();
    }
    std::vector<AdDrawing *> loaded_;
};

TEST_F(CodePages, CatalogueLookups)
{
    EXPECT_EQ(adNumValidCodePages(), 45);
    struct Row {
        int number;
        const char *name;
        int table;
        unsigned windows;
    };
    const Row rows[] = {
        {0, "undefined", 0, 0},       {1, "ascii", 1, 0},          {2, "iso8859-1", 2, 28591},
        {10, "iso8859-9", 10, 28599}, {21, "dos869", 21, 869},     {22, "dos932", 34, 932},
        {23, "mac-roman", 22, 0},     {26, "johab", 23, 1361},     {30, "ansi_1252", 27, 1252},
        {37, "ansi_874", 33, 874},    {38, "ansi_932", 34, 932},   {41, "ansi_950", 37, 950},
        {42, "ansi_1361", 23, 1361},  {43, "ansi_1200", -1, 1200}, {44, "ansi_1258", 38, 1258}};
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_STREQ(adCodePageName(r.number), r.name);
        EXPECT_EQ(adCodePageTableIndex(r.number), r.table);
        EXPECT_EQ(adAcadCp2Ansi(r.number), r.number == 0 ? 0u : r.windows);
        int16_t n = -1;
        EXPECT_TRUE(adAsciiCodePageToShort(r.name, &n));
        EXPECT_EQ(n, r.number);
    }
    EXPECT_EQ(adCodePageName(45), nullptr);
    EXPECT_EQ(adCodePageName(-1), nullptr);
    EXPECT_EQ(adAcadCp2Ansi(45), 0u);
    int16_t n = -1;
    EXPECT_TRUE(adAsciiCodePageToShort("ANSI_1252", &n));
    EXPECT_EQ(n, 30);
    for (const char *unknown : {"utf-8", "", "ansi_12520", "klingon"}) {
        n = -1;
        EXPECT_FALSE(adAsciiCodePageToShort(unknown, &n)) << unknown;
        EXPECT_EQ(n, 0);
    }
    EXPECT_FALSE(adAsciiCodePageToShort(nullptr, &n));
    /* the highest number with the Windows number; 0 stays 0 */
    const unsigned windows[][2] = {{932, 38},  {950, 41}, {1361, 42}, {1200, 43}, {1258, 44},
                                   {28591, 2}, {437, 11}, {0, 0},     {10000, 0}, {65001, 0}};
    for (const auto &w : windows) EXPECT_EQ(adAnsiCp2Acad(w[0]), static_cast<int>(w[1])) << w[0];
}

TEST_F(CodePages, HeaderReaderKnowsTheWholeCatalogue)
{
    const std::pair<const char *, int16_t> cases[] = {{"ansi_1361", 42}, {"ANSI_1200", 43}, {"ansi_1258", 44},
                                                      {"ANSI_932", 38},  {"dos850", 12},    {"klingon", 30},
                                                      {"", 30}};
    for (const auto &c : cases) {
        AdDrawing *d = LoadWithCodePage(c.first);
        ASSERT_NE(d, nullptr) << c.first << ": " << adError();
        EXPECT_EQ(adHeaderPointer(d)->dwgcodepage, c.second) << c.first;
    }
}

/* Every code page with a table converts every byte 0x80-0xFF and every
 * double-byte code exactly as iconv does under the name the platform's code
 * page gives it; where iconv has no character a byte keeps its own value. */
TEST_F(CodePages, EveryTableAgreesWithIconv)
{
    int tables = 0;
    for (int cp = 0; cp < adNumValidCodePages(); ++cp) {
        if (adCodePageTableIndex(cp) < 0) continue;
        ++tables;
        const std::string iconvName = VyrCodePage::sToIconvName(adCodePageName(cp));
        SCOPED_TRACE(std::string(adCodePageName(cp)) + " as " + iconvName);
        iconv_t cd = iconv_open("UTF-32LE", iconvName.c_str());
        ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
        for (unsigned c = 0x80; c <= 0xFF; ++c) {
            const unsigned char b = static_cast<unsigned char>(c);
            const unsigned want = IconvChar(cd, &b, 1);
            uint16_t got = 0;
            EXPECT_TRUE(adCodePageCharToUnicode(cp, c, &got));
            EXPECT_NE(got, 0) << c;
            EXPECT_EQ(got, want ? want : c) << std::hex << c;
        }
        int doubles = 0;
        for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
            const unsigned char l = static_cast<unsigned char>(lead);
            const bool single = IconvChar(cd, &l, 1) != 0;
            if (single) { EXPECT_FALSE(adIsLeadByte(l, cp)) << lead; }
            for (unsigned trail = 0; trail <= 0xFF && !single; ++trail) {
                const unsigned char pair[2] = {l, static_cast<unsigned char>(trail)};
                const unsigned want = IconvChar(cd, pair, 2);
                uint16_t got = 0;
                const int ok = adCodePageCharToUnicode(cp, lead << 8 | trail, &got);
                if (want && want <= 0xFFFF) {
                    ++doubles;
                    EXPECT_TRUE(ok && got == want) << std::hex << (lead << 8 | trail);
                    EXPECT_TRUE(adIsLeadByte(l, cp));
                } else {
                    EXPECT_FALSE(ok) << std::hex << (lead << 8 | trail);
                }
            }
        }
        const bool dbcs = iconvName == "CP932" || iconvName == "CP936" || iconvName == "CP949" ||
                          iconvName == "CP950" || iconvName == "JOHAB";
        EXPECT_EQ(doubles > 0, dbcs);
        iconv_close(cd);
    }
    EXPECT_EQ(tables, 44);
}

TEST_F(CodePages, LeadBytes)
{
    struct Case {
        unsigned char c;
        int cp;
        bool lead;
    };
    const Case cases[] = {{0x81, 30, false}, {0x81, 38, true},  {0x9F, 38, true},  {0xE0, 38, true},
                          {0xFC, 38, true},  {0x80, 38, false}, {0xA0, 38, false}, {0xA1, 38, false},
                          {0xDF, 38, false}, {0xFD, 38, false}, {0x41, 38, false}, {0x81, 22, true},
                          {0xA4, 41, true},  {0xB0, 39, true},  {0xB0, 40, true},  {0x88, 42, true},
                          {0x81, 43, false}, {0x81, 45, false}, {0x81, -1, false}};
    for (const Case &c : cases) EXPECT_EQ(adIsLeadByte(c.c, c.cp) != 0, c.lead) << int(c.c) << " " << c.cp;

    /* every lead byte of a table protects a caret that follows it */
    for (int cp : {22, 24, 25, 26, 31, 38, 39, 40, 41, 42})
        for (unsigned b = 0x80; b <= 0xFF; ++b) {
            if (!adIsLeadByte(static_cast<unsigned char>(b), cp)) continue;
            const char in[] = {static_cast<char>(b), '^', 'J', 0};
            char out[8];
            adstrcpytrans(out, in, sizeof out, cp);
            EXPECT_STREQ(out, in) << cp << " " << b;
        }
}

TEST_F(CodePages, CharactersOfAText)
{
    const char text[] = "\x82\xA0"
                        "A\x81";
    const char *p = text;
    EXPECT_EQ(adGetCodePageChar(&p, 38), 0x82A0u);
    EXPECT_EQ(adGetCodePageChar(&p, 38), unsigned('A'));
    EXPECT_EQ(adGetCodePageChar(&p, 38), 0x81u); /* a lead byte at the end stands alone */
    EXPECT_EQ(p, text + 4);
    EXPECT_EQ(adGetCodePageChar(&p, 38), 0u); /* the terminator is not passed */
    EXPECT_EQ(p, text + 4);
    p = text;
    EXPECT_EQ(adGetCodePageChar(&p, 30), 0x82u); /* single-byte page */

    char buf[8] = {};
    char *w = buf;
    adPutCodePageChar(&w, 0x82A0);
    adPutCodePageChar(&w, 'A');
    EXPECT_EQ(w, buf + 3);
    EXPECT_STREQ(buf, "\x82\xA0"
                      "A");

    uint16_t u = 0, ch = 0;
    EXPECT_TRUE(adCodePageCharToUnicode(38, 0x82A0, &u));
    EXPECT_EQ(u, 0x3042);
    EXPECT_TRUE(adUnicodeToCodePageChar(38, 0x3042, &ch));
    EXPECT_EQ(ch, 0x82A0);
    EXPECT_TRUE(adUnicodeToCodePageChar(30, 0x20AC, &ch));
    EXPECT_EQ(ch, 0x80);
    EXPECT_TRUE(adUnicodeToCodePageChar(38, 'A', &ch));
    EXPECT_EQ(ch, 'A');
    EXPECT_FALSE(adUnicodeToCodePageChar(38, 0x0081, &ch)); /* a lead byte is no character */
    EXPECT_FALSE(adUnicodeToCodePageChar(30, 0x3042, &ch));
    EXPECT_FALSE(adCodePageCharToUnicode(30, 0x82A0, &u));
    EXPECT_EQ(u, 0x82A0);
    EXPECT_FALSE(adCodePageCharToUnicode(43, 0xE9, &u)); /* Unicode has no table */
    EXPECT_EQ(u, 0xE9);
    EXPECT_TRUE(adCodePageCharToUnicode(44, 0xD2, &u)); /* 1258: a combining accent */
    EXPECT_EQ(u, 0x0309);
}

TEST_F(CodePages, CaseChangesStepOverDoubleBytes)
{
    EXPECT_EQ(adGetAcp(), 30);
    char a[] = "ab\x83"
               "acd";
    adSetAcp(38);
    EXPECT_EQ(adGetAcp(), 38);
    EXPECT_STREQ(adstrupr(a), "AB\x83"
                              "aCD");
    EXPECT_STREQ(adstrlwr(a), "ab\x83"
                              "acd");
    adSetAcp(30);
    EXPECT_STREQ(adstrupr(a), "AB\x83"
                              "ACD");
    adSetAcp(99); /* outside the catalogue: unchanged */
    EXPECT_EQ(adGetAcp(), 30);
    EXPECT_EQ(adstrupr(nullptr), nullptr);
}

/* Init data served from a buffer the test changes. */
std::vector<unsigned char> g_data;
long g_pos = -1;
int OpenData(const char *) { return (g_pos = 0), 1; }
int ReadChar() { return g_pos >= 0 && g_pos < long(g_data.size()) ? g_data[size_t(g_pos++)] : -1; }
int ReadChars(void *buf, size_t size, size_t count)
{
    size_t n = size * count;
    if (g_pos < 0 || n > g_data.size() - size_t(g_pos)) return 0;
    std::memcpy(buf, g_data.data() + g_pos, n);
    g_pos += long(n);
    return 1;
}
int SeekData(long offset, int whence)
{
    if (whence != SEEK_SET || offset < 0 || offset > long(g_data.size())) return -1;
    return (g_pos = offset), 0;
}
int CloseData() { return (g_pos = -1), 1; }

class LyingInitData : public ::testing::Test {
protected:
    void SetUp() override
    {
        size_t size = 0;
        const unsigned char *d = adBuiltinInitData(&size);
        g_data.assign(d, d + size);
        banner_ = std::find(g_data.begin(), g_data.end(), 0) - g_data.begin() + 1;
        adSetAd2OpenInitFileFn(OpenData);
        adSetAd2ReadInitFileCharFn(ReadChar);
        adSetAd2ReadInitFileCharsFn(ReadChars);
        adSetAd2SeekInitFileFn(SeekData);
        adSetAd2CloseInitFileFn(CloseData);
    }
    void TearDown() override
    {
        adCloseAd2();
        adSetAd2OpenInitFileFn(nullptr);
        adSetAd2ReadInitFileCharFn(nullptr);
        adSetAd2ReadInitFileCharsFn(nullptr);
        adSetAd2SeekInitFileFn(nullptr);
        adSetAd2CloseInitFileFn(nullptr);
    }
    uint32_t Offset(int table) const
    {
        const unsigned char *p = g_data.data() + banner_ + 4 * table;
        return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
    }
    void Put16(size_t at, unsigned v)
    {
        g_data[at] = static_cast<unsigned char>(v);
        g_data[at + 1] = static_cast<unsigned char>(v >> 8);
    }
    static void Start()
    {
        int16_t err = -1;
        ASSERT_TRUE(adInitAd2(nullptr, &err));
    }
    size_t banner_ = 0;
};

TEST_F(LyingInitData, TablesOfTheFixedLayoutAndTheExtension)
{
    Start();
    uint16_t u = 0;
    EXPECT_TRUE(adCodePageCharToUnicode(38, 0x82A0, &u));
    EXPECT_TRUE(adCodePageCharToUnicode(44, 0x80, &u));
    EXPECT_EQ(u, 0x20AC);
}

TEST_F(LyingInitData, NoTableMeansNoConversion)
{
    std::fill(g_data.begin() + long(banner_), g_data.begin() + long(banner_) + 4 * 38, 0xFF);
    /* init data of the fixed layout only: nothing after the second font */
    g_data.resize(banner_ + 4 * 38 + 100 * 6 + 4998 + 103 * 6 + 4832);
    Start();
    uint16_t u = 0;
    EXPECT_FALSE(adCodePageCharToUnicode(30, 0x80, &u));
    EXPECT_FALSE(adCodePageCharToUnicode(44, 0x80, &u));
    EXPECT_FALSE(adIsLeadByte(0x81, 38));
    EXPECT_EQ(u, 0x80);
}

TEST_F(LyingInitData, ACountBeyondAnyTableIsRefused)
{
    const uint32_t t932 = Offset(34);
    Put16(t932 + 256, 0xFFFF);
    Start();
    uint16_t u = 0;
    EXPECT_FALSE(adCodePageCharToUnicode(38, 0x82A0, &u));
    EXPECT_FALSE(adCodePageCharToUnicode(38, 0x41, &u)); /* the whole table is refused */
    EXPECT_TRUE(adCodePageCharToUnicode(30, 0x80, &u));  /* others still load */
}

TEST_F(LyingInitData, UnsortedOrTruncatedTablesAreRefused)
{
    const uint32_t t936 = Offset(35);
    Put16(t936 + 258, 0xFFFF); /* the first code is now above the second */
    const uint32_t t949 = Offset(36);
    Put16(t949 + 258, 0x0041); /* a code without a lead byte */
    Start();
    uint16_t u = 0;
    EXPECT_FALSE(adCodePageCharToUnicode(39, 0x8140, &u));
    EXPECT_FALSE(adCodePageCharToUnicode(40, 0x8141, &u));
    adCloseAd2();

    SetUp();
    g_data.resize(Offset(37) + 300); /* the 950 table is cut short */
    Start();
    EXPECT_FALSE(adCodePageCharToUnicode(41, 0xA440, &u));
    EXPECT_TRUE(adCodePageCharToUnicode(38, 0x82A0, &u));
}

} // namespace
