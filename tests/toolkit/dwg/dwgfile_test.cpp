/* The DWG reader's object map and its defences, on files written here:
 * map pages of modular characters worked out by hand (entries dropped when
 * their handle does not grow or their location lies outside the file), the
 * lookup through the sampling index over thousands of entries, and entity
 * layouts whose counts claim 2^31 items or whose texts claim 0xFFFF bytes:
 * each fails its object at once, without allocating for the count. */
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/VyrTempFile.h"
#include "toolkit/dwg/dwg_int.h"

namespace {

/* Unsigned and signed modular characters as the map stores them. */
std::string Umc(uint64_t v)
{
    std::string s;
    do {
        unsigned char c = v & 0x7F;
        v >>= 7;
        if (v) c |= 0x80;
        s += static_cast<char>(c);
    } while (v);
    return s;
}

std::string Mc(int64_t v)
{
    bool neg = v < 0;
    uint64_t m = static_cast<uint64_t>(neg ? -v : v);
    std::string s;
    while (m >= 0x40) {
        s += static_cast<char>(0x80 | (m & 0x7F));
        m >>= 7;
    }
    s += static_cast<char>(m | (neg ? 0x40 : 0));
    return s;
}

/* A page: its size (most significant byte first), the pairs, two bytes of
 * checksum (not checked). */
std::string Page(const std::string &pairs)
{
    size_t n = pairs.size() + 2;
    return std::string(1, static_cast<char>(n >> 8)) + static_cast<char>(n & 0xFF) + pairs +
           std::string(2, '\0');
}

class DwgFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        int16_t err;
        ASSERT_TRUE(adInitAd2(nullptr, &err));
        adSetupDwgRead();
    }
    void TearDown() override
    {
        if (d_) adCloseFile(d_);
        adCloseAd2();
    }

    /* A drawing whose file is bytes: the map at `at`, the file `size` long. */
    AdDrawing *Open(const std::string &map, size_t at, size_t size)
    {
        std::string bytes(size, '\0');
        bytes.replace(at, map.size(), map);
        file_.Write(bytes);
        d_ = adEmptyFile();
        d_->stream = ztior_open(file_.Path().c_str());
        d_->version = AD_ACAD2000;
        EXPECT_TRUE(dwgloadstart(d_));
        return d_;
    }

    int64_t Seek(uint64_t handle)
    {
        AdObjhandle h;
        dwghandlebytes(handle, h);
        return dwgseekobjectbyhandle(d_, h);
    }

    AdDrawing *d_ = nullptr;
    VyrTempFile file_{""};
};

TEST_F(DwgFile, MapPagesWorkedOutByHand)
{
    /* page 1: (1, 100), (3, 150), (4, 130); then an entry of the same
       handle and one whose location leaves the file, both dropped; page 2
       restarts: (10, 200); an empty page ends the map */
    std::string p1 =
        Umc(1) + Mc(100) + Umc(2) + Mc(50) + Umc(1) + Mc(-20) + Umc(0) + Mc(5) + Umc(1) + Mc(5000);
    ASSERT_EQ(Mc(100), std::string("\xE4\x00", 2));
    ASSERT_EQ(Mc(-20), "\x54");
    std::string map = Page(p1) + Page(Umc(10) + Mc(200)) + Page("");
    AdDrawing *d = Open(map, 16, 300);
    ASSERT_TRUE(loadobjmapblob(d, 16, static_cast<int64_t>(map.size())));
    EXPECT_EQ(d->dwg->map.count, 4u);
    EXPECT_EQ(Seek(1), 100);
    EXPECT_EQ(Seek(3), 150);
    EXPECT_EQ(Seek(4), 130);
    EXPECT_EQ(Seek(10), 200);
    EXPECT_EQ(Seek(4), 130); /* the one found last, again */
    EXPECT_EQ(Seek(3), 150); /* backwards */
    for (uint64_t missing : {0u, 2u, 5u, 9u, 11u, 1000u}) EXPECT_EQ(Seek(missing), -1) << missing;
    /* walking the map */
    uint32_t pos = 0;
    AdObjhandle h;
    int64_t loc;
    std::vector<uint64_t> seen;
    while (dwgmapnext(d, &pos, h, &loc)) seen.push_back(dwghandlevalue(h));
    EXPECT_EQ(seen, (std::vector<uint64_t>{1, 3, 4, 10}));
}

TEST_F(DwgFile, MapOffsetsThatLoopEndInAFiniteMap)
{
    /* handle offsets of 0 and locations going back and forth: one entry */
    std::string pairs = Umc(7) + Mc(40);
    for (int i = 0; i < 200; ++i) pairs += Umc(0) + Mc(i % 2 ? 30 : -30);
    AdDrawing *d = Open(Page(pairs) + Page(""), 8, 2000);
    ASSERT_TRUE(loadobjmapblob(d, 8, 1900));
    EXPECT_EQ(d->dwg->map.count, 1u);
    EXPECT_EQ(Seek(7), 40);
    EXPECT_EQ(Seek(8), -1);
}

TEST_F(DwgFile, DamagedPagesEndTheMapAndKeepWhatWasRead)
{
    /* a page size beyond the largest page, and one past the section */
    std::string good = Page(Umc(5) + Mc(60));
    for (std::string bad :
         {std::string("\xFF\xFF", 2), std::string("\x00\x40", 2), std::string("\x00\x01", 2)}) {
        AdDrawing *d = Open(good + bad, 4, 200);
        ASSERT_TRUE(loadobjmapblob(d, 4, static_cast<int64_t>(good.size() + bad.size())));
        EXPECT_EQ(d->dwg->map.count, 1u);
        EXPECT_EQ(Seek(5), 60);
        adCloseFile(d_);
        d_ = nullptr;
    }
    /* a map that starts outside the file */
    AdDrawing *d = Open(good, 4, 200);
    EXPECT_FALSE(loadobjmapblob(d, 500, 10));
    EXPECT_EQ(adError(), 186);
}

TEST_F(DwgFile, SamplingIndexOverManyEntries)
{
    /* 3000 entries over several pages: handles 1, 3, 5 ... at growing
       locations */
    std::string map, pairs;
    int64_t lastloc = 0;
    uint64_t lasth = 0;
    for (int i = 0; i < 3000; ++i) {
        uint64_t h = 1 + 2 * static_cast<uint64_t>(i);
        int64_t loc = 10 + 3 * i;
        std::string e = Umc(h - lasth) + Mc(loc - lastloc);
        if (pairs.size() + e.size() > 2000) {
            map += Page(pairs);
            pairs.clear();
            e = Umc(h) + Mc(loc); /* a page restarts at 0 */
        }
        pairs += e;
        lasth = h;
        lastloc = loc;
    }
    map += Page(pairs) + Page("");
    AdDrawing *d = Open(map, 9100, 9100 + map.size() + 10);
    ASSERT_TRUE(loadobjmapblob(d, 9100, static_cast<int64_t>(map.size())));
    EXPECT_EQ(d->dwg->map.count, 3000u);
    for (int i = 2999; i >= 0; i -= 7) EXPECT_EQ(Seek(1 + 2 * static_cast<uint64_t>(i)), 10 + 3 * i) << i;
    for (int i = 0; i < 3000; i += 13) EXPECT_EQ(Seek(2 + 2 * static_cast<uint64_t>(i)), -1) << i;
    EXPECT_EQ(Seek(6001), -1);
    EXPECT_EQ(Seek(~uint64_t(0)), -1);
}

/* ---------------------------------------------------------------- counts */

/* Bits as text into bytes, most significant first. */
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

const std::string kBig = "00 00000000 00000000 00000000 10000000 "; /* BL 2^31 */

TEST_F(DwgFile, CountsOfTwoToTheThirtyFirstFailTheObject)
{
    AdDrawing *d = Open("", 0, 16);
    struct Case {
        uint16_t type;
        std::string bits;
    } cases[] = {
        /* LWPOLYLINE: flag 0, points 2^31 */
        {DWG_T_LWPLINE, "10 " + kBig},
        /* HATCH: z 0, extrusion, name "", not solid, not associative, 2^31 paths */
        {DWG_T_HATCH, "10 10 10 01 10 0 0 " + kBig},
        /* SPLINE: scenario 1, degree 3, flags, tolerances 0, knots 2^31 */
        {DWG_T_SPLINE, "01 00000001 01 00000011 0 0 0 10 10 " + kBig + "10 0"},
        /* LEADER: bit, annotation 0, path 0, points 2^31 */
        {DWG_T_LEADER, "0 10 10 " + kBig},
        /* MTEXT: points and sizes 0, a text of 0xFFFF bytes */
        {DWG_T_MTEXT, "10 10 10 10 10 10 10 10 10 10 10 10 10 10 10 00 11111111 11111111"},
    };
    for (const Case &c : cases) {
        std::vector<unsigned char> bytes = Bits(c.bits);
        bytes.resize(bytes.size() + 64, 0);
        DwgObject o{};
        dwgbitsinit(&o.data, bytes.data(), bytes.size(), AD_ACAD2000);
        o.handles = o.data;
        o.handles.pos = o.handles.size;
        o.type = c.type;
        o.isentity = 1;
        dwghandlebytes(0x42, o.handle);
        AdEntityHeader h;
        static AdEntityRecord r;
        EXPECT_EQ(dwgentity(d, &o, &h, &r), -1) << c.type;
    }
}

} // namespace
