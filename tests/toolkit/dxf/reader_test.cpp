/* The DXF group-code reader: ASCII line ends, blank and padded lines,
 * malformed code lines, every value kind, comments, binary DXF with one- and
 * two-byte group codes, binary reals that are not normal numbers, and the
 * sample drawings of other programs read pair by pair to their end. */
#include <cmath>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <sstream>

#include "toolkit/fixture.h"

namespace {

class Reader : public ToolkitTest {
protected:
    struct Pair {
        uint16_t code;
        std::string str;
    };
    std::vector<Pair> ReadAll(AdDrawing *d)
    {
        std::vector<Pair> out;
        while (getdxfpair(d)) {
            out.push_back({adin->curcode, adin->curstr});
            if (adin->curcode == 0 && out.back().str == "EOF") break;
        }
        return out;
    }
};

std::string Join(const std::vector<std::string> &lines, const std::string &eol)
{
    std::string s;
    for (const std::string &l : lines) s += l + eol;
    return s;
}

TEST_F(Reader, LineEndsReadTheSame)
{
    std::vector<std::string> lines = {"0",      "SECTION", "2",   "HEADER", "9", "$ACADVER", "1",
                                      "AC1015", "10",      "1.5", "70",     "7", "0",        "EOF"};
    std::vector<std::vector<Pair>> results;
    for (const char *eol : {"\n", "\r", "\r\n", "\n\r"}) {
        results.push_back(ReadAll(OpenBytes(Join(lines, eol))));
        ASSERT_EQ(results.back().size(), 7u) << "line end " << static_cast<int>(eol[0]);
    }
    for (size_t i = 1; i < results.size(); ++i)
        for (size_t k = 0; k < results[0].size(); ++k) {
            EXPECT_EQ(results[i][k].code, results[0][k].code);
            EXPECT_EQ(results[i][k].str, results[0][k].str);
        }
    EXPECT_EQ(results[0][3].str, "AC1015");
    /* no line end after the last line */
    auto last = ReadAll(OpenBytes("0\nSECTION\n0\nEOF"));
    ASSERT_EQ(last.size(), 2u);
    EXPECT_EQ(last[1].str, "EOF");
}

/* Code and value lines that straddle the end of the stream's 1 MiB read
 * buffer, at every byte of a pair and with both two-byte line ends, read
 * as those that do not. */
TEST_F(Reader, LinesAcrossTheReadBuffer)
{
    for (const std::string eol : {"\r\n", "\n\r"}) {
        const std::string pair = " 10" + eol + "1.5" + eol;
        for (size_t pad = 0; pad < pair.size(); ++pad) {
            std::string text = "1" + eol + std::string(pad + 1, 'x') + eol;
            while (text.size() < ZTIOR_BUFSIZE + 2 * pair.size()) text += pair;
            AdDrawing *d = OpenBytes(text);
            ASSERT_TRUE(getdxfpair(d));
            ASSERT_EQ(adin->curstr, std::string(pad + 1, 'x'));
            size_t pairs = 0;
            while (getdxfpair(d)) {
                ASSERT_EQ(adin->curcode, 10) << "pair " << pairs << ", pad " << pad;
                ASSERT_EQ(adin->curreal, 1.5) << "pair " << pairs << ", pad " << pad;
                ++pairs;
            }
            EXPECT_EQ(pairs, (text.size() - pad - 2 - 2 * eol.size()) / pair.size()) << "pad " << pad;
            EXPECT_EQ(adError(), 0);
        }
    }
}

TEST_F(Reader, BlankLinesPaddingAndTrimming)
{
    AdDrawing *d = OpenBytes("\n\n  0\nENTITIES   \n2\nENTITIES   \n0\n \n8\n\n 70\n   12\n1\n  text  \n");
    ASSERT_TRUE(getdxfpair(d));
    EXPECT_EQ(adin->curcode, 0);
    EXPECT_STREQ(adin->curstr, "ENTITIES");
    ASSERT_TRUE(getdxfpair(d));
    EXPECT_EQ(adin->curcode, 2);
    EXPECT_STREQ(adin->curstr, "ENTITIES");
    ASSERT_TRUE(getdxfpair(d));
    EXPECT_STREQ(adin->curstr, " "); /* a single blank stays */
    ASSERT_TRUE(getdxfpair(d));
    EXPECT_EQ(adin->curcode, 8);
    EXPECT_STREQ(adin->curstr, ""); /* empty value line */
    ASSERT_TRUE(getdxfpair(d));
    EXPECT_EQ(adin->curcode, 70);
    EXPECT_EQ(adin->curshort, 12);
    ASSERT_TRUE(getdxfpair(d));
    EXPECT_STREQ(adin->curstr, "  text  "); /* other strings as read */
    EXPECT_FALSE(getdxfpair(d));
    EXPECT_EQ(adError(), 0);
}

TEST_F(Reader, ControlCharactersCutTheLine)
{
    AdDrawing *d = OpenBytes("1\nab\tc\x01junk\n1\n\xC3\xA9t\xC3\xA9\n");
    ASSERT_TRUE(getdxfpair(d));
    EXPECT_STREQ(adin->curstr, "ab\tc");
    ASSERT_TRUE(getdxfpair(d));
    EXPECT_STREQ(adin->curstr, "\xC3\xA9t\xC3\xA9"); /* bytes above 127 kept */
}

int g_crit = 0;
void Crit(int c) { g_crit = c; }

TEST_F(Reader, MalformedCodeLine)
{
    adin->criticalerror = Crit;
    AdDrawing *d = OpenBytes("1O\nvalue\n");
    EXPECT_FALSE(getdxfpair(d));
    EXPECT_EQ(adError(), 299);
    EXPECT_EQ(g_crit, 6);
    EXPECT_FALSE(getdxfpair(OpenBytes("0\nSECTION\nx\n")) && getdxfpair(nullptr));
}

/* Lines up to 2050 characters are read whole; longer ones, also longer
 * than the whole line buffer, are cut there and the next pair is read in
 * step. */
TEST_F(Reader, LongLines)
{
    const std::string lines[] = {std::string(2050, 'a'), std::string(2051, 'b'),
                                 std::string(AD_LINEBUF_SIZE + 10, 'c')};
    std::string text;
    for (const std::string &line : lines) text += "1\n" + line + "\n";
    AdDrawing *d = OpenBytes(text + "2\nnext\n");
    for (const std::string &line : lines) {
        ASSERT_TRUE(getdxfpair(d));
        EXPECT_EQ(adin->curstr, line.substr(0, 2050));
    }
    ASSERT_TRUE(getdxfpair(d));
    EXPECT_EQ(adin->curcode, 2);
    EXPECT_STREQ(adin->curstr, "next");
    EXPECT_EQ(adError(), 0);
}

TEST_F(Reader, ValueKinds)
{
    AdDrawing *d = OpenBytes("10\n 1.25e2\n40\n-0.5\n1040\nnan\n50\n1,5\n62\n-3\n370\n70000\n90\n4294967295\n"
                             "91\n-4294967295\n1071\n 123\n5\n2a\n330\n  1F  \n5\n11112222333344445\n"
                             "310\nDEADBEEF\n1004\n00FF\n1000\nhello\n100\nAcDbEntity\n");
    ASSERT_TRUE(getdxfpair(d));
    EXPECT_DOUBLE_EQ(adin->curreal, 125.0);
    ASSERT_TRUE(getdxfpair(d));
    EXPECT_DOUBLE_EQ(adin->curreal, -0.5);
    ASSERT_TRUE(getdxfpair(d));
    EXPECT_TRUE(std::isnan(adin->curreal)); /* ASCII reals as the C library reads them */
    ASSERT_TRUE(getdxfpair(d));
    EXPECT_DOUBLE_EQ(adin->curreal, 1.0); /* a decimal comma ends the number */
    ASSERT_TRUE(getdxfpair(d));
    EXPECT_EQ(adin->curshort, -3);
    ASSERT_TRUE(getdxfpair(d));
    EXPECT_EQ(adin->curshort, static_cast<int16_t>(70000 & 0xFFFF));
    ASSERT_TRUE(getdxfpair(d));
    EXPECT_EQ(adin->curlong, INT32_MAX); /* saturated, not -1 */
    ASSERT_TRUE(getdxfpair(d));
    EXPECT_EQ(adin->curlong, INT32_MIN);
    ASSERT_TRUE(getdxfpair(d));
    EXPECT_EQ(adin->curlong, 123);
    ASSERT_TRUE(getdxfpair(d));
    const unsigned char h2a[8] = {0, 0, 0, 0, 0, 0, 0, 0x2A};
    EXPECT_EQ(std::memcmp(adin->curhandle, h2a, 8), 0);
    ASSERT_TRUE(getdxfpair(d));
    const unsigned char h1f[8] = {0, 0, 0, 0, 0, 0, 0, 0x1F};
    EXPECT_EQ(std::memcmp(adin->curhandle, h1f, 8), 0);
    ASSERT_TRUE(getdxfpair(d)); /* 17 digits: the handle stays as it was */
    EXPECT_EQ(std::memcmp(adin->curhandle, h1f, 8), 0);
    ASSERT_TRUE(getdxfpair(d));
    EXPECT_STREQ(adin->curstr, "DEADBEEF");
    ASSERT_TRUE(getdxfpair(d));
    EXPECT_STREQ(adin->curstr, "00FF");
    ASSERT_TRUE(getdxfpair(d));
    EXPECT_STREQ(adin->curstr, "hello");
    ASSERT_TRUE(getdxfpair(d));
    EXPECT_EQ(adin->curcode, 100);
    EXPECT_STREQ(adin->curstr, "AcDbEntity");
}

TEST_F(Reader, CodeWrapsTo16Bits)
{
    AdDrawing *d = OpenBytes("-1\nx\n65537\ny\n");
    ASSERT_TRUE(getdxfpair(d));
    EXPECT_EQ(adin->curcode, 65535);
    ASSERT_TRUE(getdxfpair(d));
    EXPECT_EQ(adin->curcode, 1);
}

TEST_F(Reader, Comments)
{
    AdDrawing *d = OpenBytes("999\nfirst\n999\nsecond\n0\nSECTION\n999\nlast\n");
    ASSERT_TRUE(getdxfpair(d));
    EXPECT_EQ(adin->curcode, 0);
    EXPECT_STREQ(adin->curstr, "SECTION");
    ASSERT_TRUE(getdxfpair(d)); /* a comment at the very end is the pair */
    EXPECT_EQ(adin->curcode, 999);
    EXPECT_STREQ(adin->curstr, "last");
    EXPECT_FALSE(getdxfpair(d));
    /* value line missing at the end of the file */
    d = OpenBytes("0\n");
    EXPECT_FALSE(getdxfpair(d));
}

/* ------------------------------------------------------------ binary DXF */

struct Bin {
    std::string s;
    bool wide;
    explicit Bin(bool w) : s(std::string("AutoCAD Binary DXF\r\n\x1a", 21) + '\0'), wide(w) {}
    void code(unsigned c)
    {
        if (wide) {
            s += static_cast<char>(c & 0xFF);
            s += static_cast<char>(c >> 8);
        } else if (c < 255) {
            s += static_cast<char>(c);
        } else {
            s += '\xFF';
            s += static_cast<char>(c & 0xFF);
            s += static_cast<char>(c >> 8);
        }
    }
    void str(unsigned c, const std::string &v)
    {
        code(c);
        s += v;
        s += '\0';
    }
    void realbits(unsigned c, uint64_t bits)
    {
        code(c);
        for (int i = 0; i < 8; ++i) s += static_cast<char>(bits >> (8 * i));
    }
    void real(unsigned c, double v)
    {
        uint64_t b;
        std::memcpy(&b, &v, 8);
        realbits(c, b);
    }
    void i16(unsigned c, int v)
    {
        code(c);
        s += static_cast<char>(v & 0xFF);
        s += static_cast<char>((v >> 8) & 0xFF);
    }
    void i32(unsigned c, int64_t v)
    {
        code(c);
        for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
    }
    void chunk(unsigned c, const std::string &bytes)
    {
        code(c);
        s += static_cast<char>(bytes.size());
        s += bytes;
    }
};

TEST_F(Reader, BinaryValueKinds)
{
    Bin b(true);
    b.str(0, "SECTION");
    b.real(10, 2.5);
    b.realbits(20, 0x7FF8000000000000ull); /* NaN */
    b.realbits(30, 0x7FF0000000000000ull); /* infinity */
    b.realbits(40, 0x0000000000000001ull); /* subnormal */
    b.real(41, -0.0);
    b.i16(70, -2);
    b.i32(90, -7);
    b.str(5, "10F");
    b.chunk(310, std::string("\x01\xAB", 2));
    b.chunk(1004, std::string("\x00\x01\x02", 3));
    b.str(999, "comment");
    b.str(1000, "text");
    b.str(0, "EOF");
    AdDrawing *d = OpenBytes(b.s, AD_FILE_BINARY_DXF, AD_ACAD14);
    ASSERT_TRUE(adbinaryskipsentinel(d));
    ASSERT_TRUE(getdxfpair(d));
    EXPECT_EQ(adin->curcode, 0);
    EXPECT_STREQ(adin->curstr, "SECTION");
    ASSERT_TRUE(getdxfpair(d));
    EXPECT_DOUBLE_EQ(adin->curreal, 2.5);
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(getdxfpair(d));
        EXPECT_EQ(adin->curreal, 0.0) << adin->curcode;
        EXPECT_FALSE(std::signbit(adin->curreal)) << adin->curcode;
    }
    ASSERT_TRUE(getdxfpair(d));
    EXPECT_EQ(adin->curshort, -2);
    ASSERT_TRUE(getdxfpair(d));
    EXPECT_EQ(adin->curlong, -7);
    ASSERT_TRUE(getdxfpair(d));
    const unsigned char h[8] = {0, 0, 0, 0, 0, 0, 1, 0x0F};
    EXPECT_EQ(std::memcmp(adin->curhandle, h, 8), 0);
    EXPECT_STREQ(adin->curstr, "10F");
    ASSERT_TRUE(getdxfpair(d));
    EXPECT_STREQ(adin->curstr, "01AB");
    ASSERT_TRUE(getdxfpair(d));
    EXPECT_EQ(adin->curbinlen, 3);
    EXPECT_EQ(adin->curstr[2], 2);
    ASSERT_TRUE(getdxfpair(d)); /* the comment is skipped */
    EXPECT_EQ(adin->curcode, 1000);
    EXPECT_STREQ(adin->curstr, "text");
    ASSERT_TRUE(getdxfpair(d));
    EXPECT_STREQ(adin->curstr, "EOF");
    EXPECT_FALSE(getdxfpair(d));
}

TEST_F(Reader, BinaryOneByteCodes)
{
    Bin b(false);
    b.str(0, "SECTION");
    b.str(1001, "ACAD"); /* 255, then E9 03 */
    b.i16(1070, 5);
    b.str(0, "EOF");
    ASSERT_NE(b.s.find(std::string("\xFF\xE9\x03", 3)), std::string::npos);
    AdDrawing *d = OpenBytes(b.s, AD_FILE_BINARY_DXF, AD_ACAD11);
    adchoosebinarycodewidth(d);
    EXPECT_EQ(adin->bincode16, 0);
    auto pairs = ReadAll(d);
    ASSERT_EQ(pairs.size(), 4u);
    EXPECT_EQ(pairs[1].code, 1001);
    EXPECT_EQ(pairs[1].str, "ACAD");
    EXPECT_EQ(adin->curshort, 5);
}

TEST_F(Reader, BinaryCodeWidthOfUnknownVersion)
{
    Bin wide(true), narrow(false);
    for (Bin *b : {&wide, &narrow}) {
        b->str(0, "SECTION");
        b->str(2, "ENTITIES");
        b->str(0, "EOF");
    }
    AdDrawing *d = OpenBytes(wide.s, AD_FILE_BINARY_DXF, AD_VERSION_UNKNOWN);
    adchoosebinarycodewidth(d);
    EXPECT_EQ(adin->bincode16, 1);
    EXPECT_EQ(ReadAll(d).size(), 3u);
    d = OpenBytes(narrow.s, AD_FILE_BINARY_DXF, AD_VERSION_UNKNOWN);
    adchoosebinarycodewidth(d);
    EXPECT_EQ(adin->bincode16, 0);
    EXPECT_EQ(ReadAll(d).size(), 3u);
}

TEST_F(Reader, BinaryTruncatedAndOverlongStrings)
{
    Bin b(true);
    b.str(1, std::string(AD_LINEBUF_SIZE + 100, 'x')); /* cut at the buffer, reading goes on */
    b.str(2, "next");
    b.code(10);
    b.s += "abc"; /* a real cut short by the end of the file */
    AdDrawing *d = OpenBytes(b.s, AD_FILE_BINARY_DXF, AD_ACAD2000);
    ASSERT_TRUE(adbinaryskipsentinel(d));
    ASSERT_TRUE(getdxfpair(d));
    EXPECT_EQ(std::strlen(adin->curstr), static_cast<size_t>(AD_LINEBUF_SIZE));
    ASSERT_TRUE(getdxfpair(d));
    EXPECT_STREQ(adin->curstr, "next");
    EXPECT_FALSE(getdxfpair(d));
    EXPECT_FALSE(getdxfpair(d));
}

TEST_F(Reader, ByteHelpers)
{
    const unsigned char le[8] = {0, 0, 0, 0, 0, 0, 0xF8, 0x3F}; /* 1.5 */
    EXPECT_DOUBLE_EQ(btd(le), 1.5);
    unsigned char out[24];
    double v3[3] = {1.5, -2.0, 1e300};
    double32buf(v3, out);
    EXPECT_EQ(std::memcmp(out, le, 8), 0);
    double back[3];
    buf23double(out, back);
    EXPECT_EQ(back[2], 1e300);
    long2buf(-2, out);
    EXPECT_EQ(out[0], 0xFE);
    EXPECT_EQ(out[3], 0xFF);
    EXPECT_EQ(btl(out), -2);
    short2buf(0x1234, out);
    EXPECT_EQ(out[0], 0x34);
    EXPECT_EQ(bts(out), 0x1234);
    unsigned char be[8] = {0x3F, 0xF8, 0, 0, 0, 0, 0, 0};
    EXPECT_FALSE(isunnormalizeddouble(be));
    unsigned char sub[8] = {0x80, 0x0F, 0, 0, 0, 0, 0, 1};
    EXPECT_TRUE(isunnormalizeddouble(sub));
    reversedouble(be);
    EXPECT_EQ(std::memcmp(be, le, 8), 0);
    adincursor = out;
    double2buf(3.0, out);
    EXPECT_EQ(rddouble(), 3.0);
}

TEST_F(Reader, HexAndHandles)
{
    EXPECT_EQ(adhexval('a'), 10);
    EXPECT_EQ(adhexval('F'), 15);
    EXPECT_EQ(adhexval('g'), 0);
    unsigned char b[8];
    int16_t n;
    adAsciiHexToBinary("ABC", b, &n);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(b[0], 0x0A);
    EXPECT_EQ(b[1], 0xBC);
    EXPECT_EQ(adAsciiHexToBinaryCount("ABC"), 2);
    char text[40];
    adBinaryHexToAscii(b, 2, text);
    EXPECT_STREQ(text, "0ABC");
    unsigned char h[8];
    adAsciiObjhandleToBinary("FFFFFFFFFFFFFFFF", h);
    for (unsigned char c : h) EXPECT_EQ(c, 0xFF);
    EXPECT_FALSE(adIncrementObjhandle(h)); /* wrapped to zero */
    EXPECT_TRUE(adObjhandleIsNull(h));
    adAsciiObjhandleToBinary("10F", h);
    adBinaryObjhandleToAscii(h, text);
    EXPECT_STREQ(text, "10F");
    unsigned char carry[8] = {0, 0, 0, 0, 0, 0, 0, 0xFF};
    EXPECT_TRUE(adIncrementObjhandle(carry));
    EXPECT_EQ(carry[6], 1);
    EXPECT_EQ(carry[7], 0);
    adBinaryObjhandleToAscii(adin->nullhandle, text);
    EXPECT_STREQ(text, "0");
}

TEST_F(Reader, ScanProgress)
{
    static std::vector<int> seen;
    seen.clear();
    adin->dxfscanometer = [](short p) { seen.push_back(p); };
    std::string body;
    for (int i = 0; i < 2000; ++i) body += "8\nLAYER\n";
    AdDrawing *d = OpenBytes(body);
    adstartscanometer(d);
    while (getdxfpair(d))
        if (++d->scan.counter >= 100) updatescanometer(d);
    ASSERT_FALSE(seen.empty());
    for (size_t i = 1; i < seen.size(); ++i) EXPECT_GT(seen[i], seen[i - 1]);
    EXPECT_LE(seen.back(), 100);
    EXPECT_GE(seen.back(), 90);
}

/* Every pair of every sample drawing reads without error. */
TEST_F(Reader, SampleDrawings)
{
    std::vector<std::string> files;
    std::vector<std::string> dirs = {VYR_SAMPLES_DIR};
    if (const char *env = std::getenv("VYR_SAMPLES")) dirs.push_back(env);
    for (const std::string &top : dirs) {
        DIR *t = opendir(top.c_str());
        if (!t) continue;
        while (dirent *e = readdir(t)) {
            if (e->d_name[0] == '.') continue;
            std::string sub = top + "/" + e->d_name;
            if (DIR *s = opendir(sub.c_str())) {
                while (dirent *f = readdir(s)) {
                    std::string n = f->d_name;
                    if (n.size() > 4 && n.substr(n.size() - 4) == ".dxf") files.push_back(sub + "/" + n);
                }
                closedir(s);
            }
        }
        closedir(t);
        if (!files.empty()) break;
    }
    if (files.empty()) GTEST_SKIP() << "no sample drawings at " << VYR_SAMPLES_DIR;
    for (const std::string &f : files) {
        std::ifstream in(f, std::ios::binary);
        char head[22] = {0};
        in.read(head, sizeof head);
        bool binary = std::memcmp(head, "AutoCAD Binary DXF", 18) == 0;
        AdDrawing *d = OpenForReading(f, binary ? AD_FILE_BINARY_DXF : AD_FILE_ASCII_DXF, AD_VERSION_UNKNOWN);
        if (binary) adchoosebinarycodewidth(d);
        adErrorClear();
        long pairs = 0;
        bool eof = false;
        while (getdxfpair(d)) {
            ++pairs;
            if (adin->curcode == 0 && std::strcmp(adin->curstr, "EOF") == 0) {
                eof = true;
                break;
            }
        }
        EXPECT_EQ(adError(), 0) << f;
        EXPECT_TRUE(eof) << f << " after " << pairs << " pairs";
    }
}

} // namespace
