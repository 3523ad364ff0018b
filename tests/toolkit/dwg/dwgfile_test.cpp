/* The DWG reader's object map and its defences, on files written here:
 * map pages of modular characters worked out by hand (entries dropped when
 * their handle does not grow or their location lies outside the file), the
 * lookup through the sampling index over thousands of entries, and entity
 * layouts whose counts claim 2^31 items or whose texts claim 0xFFFF bytes:
 * each fails its object at once, without allocating for the count. */
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
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

/* A point of the cubic B-spline (knots U, control points P) at t, by de
 * Boor's algorithm, written here from the textbook definition. */
std::array<double, 3> Evaluate(const std::vector<double> &U, const std::vector<double> &P, double t)
{
    const size_t m = P.size() / 3;
    size_t j = 3;
    while (j + 1 < m && !(t < U[j + 1])) ++j;
    double d[4][3];
    for (int a = 0; a < 4; ++a)
        for (int i = 0; i < 3; ++i) d[a][i] = P[3 * (j - 3 + a) + i];
    for (int r = 1; r <= 3; ++r)
        for (int a = 3; a >= r; --a) {
            const size_t k = j - 3 + a;
            const double alpha = (t - U[k]) / (U[k + 4 - r] - U[k]);
            for (int i = 0; i < 3; ++i) d[a][i] = (1 - alpha) * d[a - 1][i] + alpha * d[a][i];
        }
    return {d[3][0], d[3][1], d[3][2]};
}

/* A spline a DWG file gives by its fit points alone gets the control points
 * of the cubic through them: the curve passes through every fit point at
 * its chord-length parameter, starts and ends along the tangents the file
 * gives and without curvature where it gives none, and a spline of hundreds
 * of thousands of points is solved without a square matrix. */
TEST(DwgFitSpline, PassesThroughItsPointsWithItsEndConditions)
{
    const double none[3] = {0, 0, 0}, up[3] = {0, 2, 0}, left[3] = {-1, 0, 0};
    struct Case {
        std::vector<double> q;
        const double *t0, *t1;
    } cases[] = {
        {{0, 0, 0, 10, 0, 0}, none, none},
        {{0, 0, 0, 10, 5, 0, 20, 0, 1}, none, none},
        {{0, 0, 0, 10, 5, 0, 20, 0, 1}, up, left},
        {{-2514.3, 1304.4, 0, -2366.3, 1874.8, 0, -1964.7, 2107.2, 0, -1859.0, 2318.5, 0, -1541.9, 2698.8, 0},
         none,
         left},
    };
    for (const Case &c : cases) {
        const uint32_t n = static_cast<uint32_t>(c.q.size() / 3);
        AdBytes kb{}, cb{};
        ASSERT_EQ(dwgfitspline(c.q.data(), n, c.t0, c.t1, &kb, &cb), 1);
        std::vector<double> U(reinterpret_cast<double *>(kb.p), reinterpret_cast<double *>(kb.p + kb.n));
        std::vector<double> P(reinterpret_cast<double *>(cb.p), reinterpret_cast<double *>(cb.p + cb.n));
        adbytesfree(&kb);
        adbytesfree(&cb);
        ASSERT_EQ(U.size(), n + 6u);
        ASSERT_EQ(P.size(), 3 * (n + 2u));
        for (uint32_t k = 0; k < n; ++k) {
            const double t = k == 0 ? 0 : k + 1 == n ? U.back() : U[k + 3];
            const std::array<double, 3> p = Evaluate(U, P, std::min(t, U.back() * (1 - 1e-15)));
            for (int i = 0; i < 3; ++i) EXPECT_NEAR(p[i], c.q[3 * k + i], 1e-6) << n << " point " << k;
        }
        /* the first derivative's control points, and equal ones at an end
           where the second derivative is zero */
        const size_t m = n + 2;
        for (int i = 0; i < 3; ++i) {
            const double d0 = (P[3 + i] - P[i]) / U[4], d1 = (P[6 + i] - P[3 + i]) / U[5];
            const double e0 = (P[3 * (m - 1) + i] - P[3 * (m - 2) + i]) / (U[m + 2] - U[m - 1]);
            const double e1 = (P[3 * (m - 2) + i] - P[3 * (m - 3) + i]) / (U[m + 1] - U[m - 2]);
            if (c.t0 == none)
                EXPECT_NEAR(d0, d1, 1e-9);
            else
                EXPECT_NEAR(d0 * 3, c.t0[i] / 2, 1e-9); /* unit speed along the unit tangent */
            if (c.t1 == none)
                EXPECT_NEAR(e0, e1, 1e-9);
            else
                EXPECT_NEAR(e0 * 3, c.t1[i], 1e-9);
        }
    }
}

TEST(DwgFitSpline, RefusesWhatCannotBeInterpolatedAndScalesToLongSplines)
{
    const double none[3] = {0, 0, 0};
    const double nan = std::nan("");
    const std::vector<double> bad[] = {
        {1, 2, 3},                            /* one point */
        {0, 0, 0, 5, 5, 0, 5, 5, 0, 9, 0, 0}, /* a repeated point */
        {0, 0, 0, nan, 1, 0},                 /* not finite */
    };
    for (const std::vector<double> &q : bad) {
        AdBytes kb{}, cb{};
        EXPECT_EQ(dwgfitspline(q.data(), static_cast<uint32_t>(q.size() / 3), none, none, &kb, &cb), 0);
        EXPECT_EQ(kb.n + cb.n, 0u);
    }
    /* 120,000 points of a wave: a square system would need 115 GB */
    const uint32_t n = 120000;
    std::vector<double> q(3 * n);
    for (uint32_t k = 0; k < n; ++k) {
        q[3 * k] = k;
        q[3 * k + 1] = std::sin(k * 0.01) * 50;
        q[3 * k + 2] = 0;
    }
    AdBytes kb{}, cb{};
    ASSERT_EQ(dwgfitspline(q.data(), n, none, none, &kb, &cb), 1);
    std::vector<double> U(reinterpret_cast<double *>(kb.p), reinterpret_cast<double *>(kb.p + kb.n));
    std::vector<double> P(reinterpret_cast<double *>(cb.p), reinterpret_cast<double *>(cb.p + cb.n));
    adbytesfree(&kb);
    adbytesfree(&cb);
    for (uint32_t k = 1; k + 1 < n; k += 9973) {
        const std::array<double, 3> p = Evaluate(U, P, U[k + 3]);
        EXPECT_NEAR(p[0], q[3 * k], 1e-6);
        EXPECT_NEAR(p[1], q[3 * k + 1], 1e-6);
    }
}

} // namespace
