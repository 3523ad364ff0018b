/* The DWG value codes against bit strings written out by hand from the
 * format documentation: every code with each of its prefixes, the relative
 * handle codes, modular characters and shorts, texts past their limit, the
 * checksum, and streams cut short (zeros and the error flag, never a read
 * past the data). Bit strings are written as text ("00 00110100") and
 * packed most significant bit first, as the stream stores them. */
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "toolkit/ad/ad_int.h"
#include "toolkit/dwg/dwgbits.h"

namespace {

/* "0110 1..." -> bytes, padded with zero bits. */
std::vector<unsigned char> Bits(const std::string &text)
{
    std::vector<unsigned char> out;
    int n = 0;
    for (char c : text) {
        if (c != '0' && c != '1') continue;
        if (n % 8 == 0) out.push_back(0);
        if (c == '1') out.back() |= static_cast<unsigned char>(0x80 >> (n % 8));
        ++n;
    }
    return out;
}

uint64_t BitCount(const std::string &text)
{
    uint64_t n = 0;
    for (char c : text) n += c == '0' || c == '1';
    return n;
}

/* A byte as eight bits of text. */
std::string B8(unsigned v)
{
    std::string s;
    for (int i = 7; i >= 0; --i) s += (v >> i) & 1 ? '1' : '0';
    return s + " ";
}

struct Reader {
    std::vector<unsigned char> bytes;
    DwgBits b;
    explicit Reader(const std::string &text, int16_t version = AD_ACAD2000) : bytes(Bits(text))
    {
        dwgbitsinit(&b, bytes.data(), bytes.size(), version);
    }
    /* Exact bit count, for tests of the end of the stream. */
    Reader &Bitsize(uint64_t n)
    {
        b.size = n;
        return *this;
    }
};

/* 1.5 is 3F F8 00 00 00 00 00 00; stored least significant byte first. */
const std::string kRd15 = "00000000 00000000 00000000 00000000 00000000 00000000 11111000 00111111";
/* 2.0 is 40 00 00 00 00 00 00 00. */
const std::string kRd2 = "00000000 00000000 00000000 00000000 00000000 00000000 00000000 01000000";

TEST(DwgBitsTest, FirstBitIsTheMostSignificantOfTheByte)
{
    std::vector<unsigned char> v = {0x80, 0x00};
    DwgBits b;
    dwgbitsinit(&b, v.data(), v.size(), AD_ACAD2000);
    EXPECT_EQ(getbitbitfn(&b), 1);
    EXPECT_EQ(getbitbitfn(&b), 0);
    EXPECT_EQ(b.pos, 2u);
}

TEST(DwgBitsTest, SmallCodes)
{
    struct Case {
        const char *bits;
        int (*read)(DwgBits *);
        int want;
    } cases[] = {
        {"1", getbitbitfn, 1}, {"0", getbitbitfn, 0},  {"10", getbit2bits, 2},  {"11", getbit2bits, 3},
        {"0", getbit3bits, 0}, {"10", getbit3bits, 2}, {"110", getbit3bits, 6}, {"111", getbit3bits, 7},
    };
    for (const Case &c : cases) {
        Reader r(c.bits);
        EXPECT_EQ(c.read(&r.b), c.want) << c.bits;
        EXPECT_FALSE(r.b.error) << c.bits;
    }
}

TEST(DwgBitsTest, RawValuesAlignedAndAcrossBytes)
{
    for (const char *lead : {"", "1", "101"}) {
        std::string pre = lead;
        Reader rc(pre + "10101010");
        dwgbitsseek(&rc.b, pre.size());
        EXPECT_EQ(getbitrawbyte(&rc.b), 0xAA) << lead;

        Reader rs(pre + "00110100 00010010");
        dwgbitsseek(&rs.b, pre.size());
        EXPECT_EQ(getbitrawshort(&rs.b), 0x1234) << lead;

        Reader rl(pre + "01111000 01010110 00110100 00010010");
        dwgbitsseek(&rl.b, pre.size());
        EXPECT_EQ(getbitrawlong(&rl.b), 0x12345678u) << lead;

        Reader rd(pre + kRd15);
        dwgbitsseek(&rd.b, pre.size());
        EXPECT_EQ(getbitrawdouble(&rd.b), 1.5) << lead;
        EXPECT_FALSE(rd.b.error);
    }
}

TEST(DwgBitsTest, BitShortLongAndDoublePrefixes)
{
    struct Case {
        const char *bits;
        int32_t want;
    } shorts[] = {{"00 00110100 00010010", 0x1234},
                  {"00 11111111 11111111", -1},
                  {"01 11111111", 255},
                  {"10", 0},
                  {"11", 256}};
    for (const Case &c : shorts) {
        Reader r(c.bits);
        EXPECT_EQ(getbitshort(&r.b), c.want) << c.bits;
        EXPECT_FALSE(r.b.error);
    }
    Case longs[] = {
        {"00 01111000 01010110 00110100 00010010", 0x12345678}, {"01 10000000", 128}, {"10", 0}, {"11", 1}};
    for (const Case &c : longs) {
        Reader r(c.bits);
        EXPECT_EQ(getbitlong(&r.b), c.want) << c.bits;
        EXPECT_FALSE(r.b.error);
    }
    struct DCase {
        std::string bits;
        double want;
    } doubles[] = {{"00 " + kRd15, 1.5}, {"01", 1.0}, {"10", 0.0}, {"11", 0.0}};
    for (const DCase &c : doubles) {
        Reader r(c.bits);
        EXPECT_EQ(getbitdouble(&r.b), c.want) << c.bits;
        EXPECT_EQ(r.b.pos, BitCount(c.bits)) << c.bits;
    }
}

TEST(DwgBitsTest, DoublesOutsideTheNormalRangeReadAsZero)
{
    /* subnormal 00..01, infinity 7FF0..., NaN 7FF8... */
    const char *bad[] = {"00000001 00000000 00000000 00000000 00000000 00000000 00000000 00000000",
                         "00000000 00000000 00000000 00000000 00000000 00000000 11110000 01111111",
                         "00000000 00000000 00000000 00000000 00000000 00000000 11111000 01111111"};
    for (const char *rd : bad) {
        Reader r(rd);
        EXPECT_EQ(getbitrawdouble(&r.b), 0.0);
        Reader b(std::string("00 ") + rd);
        EXPECT_EQ(getbitdouble(&b.b), 0.0);
        Reader d(std::string("11 ") + rd);
        EXPECT_EQ(getbitdoublewithdefault(&d.b, 3.0), 0.0);
    }
}

TEST(DwgBitsTest, DoubleWithDefault)
{
    /* default 1.5 = 3F F8 00 00 00 00 00 00 */
    Reader same("00");
    EXPECT_EQ(getbitdoublewithdefault(&same.b, 1.5), 1.5);
    /* 01: the low four bytes replaced: 3F F8 00 00 00 00 00 01 */
    Reader low("01 00000001 00000000 00000000 00000000");
    uint64_t bits = 0x3FF8000000000001ull;
    double want;
    std::memcpy(&want, &bits, 8);
    EXPECT_EQ(getbitdoublewithdefault(&low.b, 1.5), want);
    /* 10: bytes 4 and 5 (00 80), then the low four: 3F F8 80 00 00 00 00 00 = 1.53125 */
    Reader six("10 00000000 10000000 00000000 00000000 00000000 00000000");
    EXPECT_EQ(getbitdoublewithdefault(&six.b, 1.5), 1.53125);
    Reader full("11 " + kRd2);
    EXPECT_EQ(getbitdoublewithdefault(&full.b, 1.5), 2.0);
    for (Reader *r : {&same, &low, &six, &full}) EXPECT_FALSE(r->b.error);
}

TEST(DwgBitsTest, PointsWithDefaultsAndPointPairs)
{
    double def[3] = {1.5, 2.0, 0.0};
    double p[3];
    Reader r("00 11 " + kRd15 + " 00");
    getbitpointwithdefault(&r.b, def, p);
    EXPECT_EQ(p[0], 1.5);
    EXPECT_EQ(p[1], 1.5);
    EXPECT_EQ(p[2], 0.0);

    /* flat pair: bit 1, x0 RD 1.5, x1 DD same, y0 RD 2.0, y1 DD full 1.5 */
    double a[3], b[3];
    Reader pair("1 " + kRd15 + " 00 " + kRd2 + " 11 " + kRd15);
    getbitpointpair(&pair.b, a, b);
    EXPECT_EQ(a[0], 1.5);
    EXPECT_EQ(b[0], 1.5);
    EXPECT_EQ(a[1], 2.0);
    EXPECT_EQ(b[1], 1.5);
    EXPECT_EQ(a[2], 0.0);
    EXPECT_EQ(b[2], 0.0);
    EXPECT_FALSE(pair.b.error);

    Reader flat("1 " + kRd15 + " " + kRd2);
    geta2kbitpoint(&flat.b, p);
    EXPECT_EQ(p[0], 1.5);
    EXPECT_EQ(p[1], 2.0);
    EXPECT_EQ(p[2], 0.0);
    Reader deep("0 " + kRd15 + " " + kRd2 + " " + kRd15);
    geta2kbitpoint(&deep.b, p);
    EXPECT_EQ(p[2], 1.5);
}

TEST(DwgBitsTest, ExtrusionAndThicknessDependOnTheRelease)
{
    double e[3];
    Reader a2k("1");
    getbitextrusion(&a2k.b, e);
    EXPECT_EQ(e[2], 1.0);
    EXPECT_EQ(a2k.b.pos, 1u);
    Reader a2kfull("0 10 10 01");
    getbitextrusion(&a2kfull.b, e);
    EXPECT_EQ(e[0], 0.0);
    EXPECT_EQ(e[2], 1.0);
    Reader r14("10 10 01", AD_ACAD14);
    getbitextrusion(&r14.b, e);
    EXPECT_EQ(e[2], 1.0);
    EXPECT_EQ(r14.b.pos, 6u);

    Reader t2k("1");
    EXPECT_EQ(getbitthickness(&t2k.b), 0.0);
    Reader t2kfull("0 01");
    EXPECT_EQ(getbitthickness(&t2kfull.b), 1.0);
    Reader t14("01", AD_ACAD13);
    EXPECT_EQ(getbitthickness(&t14.b), 1.0);
}

TEST(DwgBitsTest, ModularCharsAndShorts)
{
    struct Case {
        std::vector<unsigned char> bytes;
        int64_t signedwant;
        uint64_t unsignedwant;
    } cases[] = {
        {{0x81, 0x01}, 129, 129},
        {{0x41}, -1, 0x41},
        {{0x3F}, 63, 63},
        {{0xFF, 0x7F}, -(0x7F | (0x3F << 7)), 0x3FFF},
    };
    for (const Case &c : cases) {
        DwgBits b;
        dwgbitsinit(&b, c.bytes.data(), c.bytes.size(), AD_ACAD2000);
        EXPECT_EQ(getbitmodchar(&b), c.signedwant);
        dwgbitsinit(&b, c.bytes.data(), c.bytes.size(), AD_ACAD2000);
        EXPECT_EQ(getbitumodchar(&b), c.unsignedwant);
        EXPECT_FALSE(b.error);
    }
    /* a seventh byte of a signed one is malformed */
    std::vector<unsigned char> seven(7, 0x80);
    DwgBits b;
    dwgbitsinit(&b, seven.data(), seven.size(), AD_ACAD2000);
    getbitmodchar(&b);
    EXPECT_TRUE(b.error);

    /* modular shorts: 15 data bits a little-endian word, the top bit goes on */
    std::vector<unsigned char> ms1 = {0x10, 0x00}, ms2 = {0x00, 0x80, 0x01, 0x00};
    dwgbitsinit(&b, ms1.data(), ms1.size(), AD_ACAD2000);
    EXPECT_EQ(getbitmodshort(&b), 16u);
    dwgbitsinit(&b, ms2.data(), ms2.size(), AD_ACAD2000);
    EXPECT_EQ(getbitmodshort(&b), 32768u);
}

TEST(DwgBitsTest, TextsKeepTheStreamInStep)
{
    /* "abcd" (BS 4 as 01 00000100), then BS 256 (11) */
    std::string bits = "01 00000100 " + B8('a') + B8('b') + B8('c') + B8('d') + "11";
    char buf[3];
    Reader cut(bits);
    EXPECT_EQ(getbitstring(&cut.b, buf, sizeof buf), 2u);
    EXPECT_STREQ(buf, "ab");
    EXPECT_EQ(getbitshort(&cut.b), 256);
    EXPECT_FALSE(cut.b.error);

    char big[16];
    Reader whole(bits);
    EXPECT_EQ(getbitstring(&whole.b, big, sizeof big), 4u);
    EXPECT_STREQ(big, "abcd");

    Reader empty("10");
    EXPECT_EQ(getbitstring(&empty.b, big, sizeof big), 0u);
    EXPECT_STREQ(big, "");
    EXPECT_FALSE(empty.b.error);

    /* length 0xFFFF with three bytes behind it */
    Reader huge("00 11111111 11111111 " + B8('x') + B8('y') + B8('z'));
    EXPECT_EQ(getbitstring(&huge.b, big, sizeof big), 0u);
    EXPECT_STREQ(big, "");
    EXPECT_TRUE(huge.b.error);
}

TEST(DwgBitsTest, HandlesAndTheirCodes)
{
    unsigned char h[9];
    /* 0x05: code 0, five bytes */
    Reader five("00000101 00000001 00000010 00000011 00000100 00000101");
    EXPECT_EQ(getbithandle(&five.b, h), 0);
    const unsigned char want5[8] = {0, 0, 0, 1, 2, 3, 4, 5};
    EXPECT_EQ(std::memcmp(h, want5, 8), 0);

    Reader bad("00001010");
    getbithandle(&bad.b, h);
    const unsigned char zero[8] = {0};
    EXPECT_EQ(std::memcmp(h, zero, 8), 0);
    EXPECT_TRUE(bad.b.error);

    Reader typed("01010001 00100011");
    EXPECT_EQ(getbittypedhandle(&typed.b, h), 5);
    EXPECT_EQ(h[7], 0x23);
    EXPECT_EQ(h[8], 2);

    /* own handle 0x100: absolute, +1, -1, +value, -value */
    unsigned char own[8];
    dwghandlebytes(0x100, own);
    struct Case {
        const char *bits;
        int code;
        uint64_t want;
    } refs[] = {{"01000001 00100101", 4, 0x25},
                {"00110001 00100101", 3, 0x25},
                {"01100000", 6, 0x101},
                {"10000000", 8, 0xFF},
                {"10100001 00010000", 0xA, 0x110},
                {"11000001 00010000", 0xC, 0xF0},
                {"01000000", 4, 0}};
    for (const Case &c : refs) {
        Reader r(c.bits);
        EXPECT_EQ(getbitrefhandle(&r.b, own, h), c.code) << c.bits;
        EXPECT_EQ(dwghandlevalue(h), c.want) << c.bits;
        EXPECT_FALSE(r.b.error);
    }
}

TEST(DwgBitsTest, ReadsPastTheEndGiveZerosAndTheError)
{
    Reader bs("00 00110100");
    EXPECT_EQ(getbitshort(&bs.b), 0); /* a value is read whole or not at all */
    EXPECT_TRUE(bs.b.error);
    EXPECT_EQ(getbitlong(&bs.b), 0);
    EXPECT_EQ(getbitdouble(&bs.b), 0.0);
    EXPECT_EQ(getbitbitfn(&bs.b), 0);
    EXPECT_EQ(dwgbitsleft(&bs.b), 0u);

    /* exactly at the end: a bit more than there is */
    Reader rd(kRd15);
    rd.Bitsize(63);
    EXPECT_EQ(getbitrawdouble(&rd.b), 0.0);
    EXPECT_TRUE(rd.b.error);

    Reader handle("00000011 00000001");
    unsigned char h[8];
    getbithandle(&handle.b, h);
    EXPECT_TRUE(handle.b.error);

    Reader cut("1");
    cut.Bitsize(1);
    EXPECT_EQ(getbitbitfn(&cut.b), 1);
    EXPECT_FALSE(cut.b.error);
    EXPECT_EQ(getbitbitfn(&cut.b), 0);
    EXPECT_TRUE(cut.b.error);
}

TEST(DwgBitsTest, CountsAreCheckedAgainstTheBitsLeft)
{
    Reader r("0000000000000000");
    EXPECT_EQ(getbitcount(&r.b, 16, 1), 16u);
    EXPECT_FALSE(r.b.error);
    EXPECT_EQ(getbitcount(&r.b, 0, 8), 0u);
    EXPECT_FALSE(r.b.error);
    Reader neg("0000000000000000");
    EXPECT_EQ(getbitcount(&neg.b, -5, 8), 0u);
    EXPECT_TRUE(neg.b.error);
    EXPECT_EQ(getbitcount(&r.b, 3, 8), 0u);
    EXPECT_TRUE(r.b.error);
    Reader big("0");
    EXPECT_EQ(getbitcount(&big.b, int64_t(1) << 31, 2), 0u);
    EXPECT_TRUE(big.b.error);
}

TEST(DwgBitsTest, BlockChecksum)
{
    /* the check value of this CRC (reflected 0x8005, seed 0) over "123456789" */
    EXPECT_EQ(dwgcrc16(0, "123456789", 9), 0xBB3D);
    std::vector<unsigned char> block = {'1', '2', '3', '4', '5', '6', '7', '8', '9', 0x3D, 0xBB};
    EXPECT_TRUE(check13crc(block.data(), block.size(), 0));
    block[3] ^= 1;
    EXPECT_FALSE(check13crc(block.data(), block.size(), 0));
    EXPECT_FALSE(check13crc(block.data(), 1, 0));
}

} // namespace
