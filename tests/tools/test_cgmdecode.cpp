/* The CGM decoder and the cgmdump program: metafiles of other producers
 * (integer VDC, fixed-point reals, other precisions), malformed input with a
 * clear error, and the program's exit status. */
#include "tools/cgmdecode/CgmDecoder.h"

#include "platform/print/VyrCgmEncoder.h"
#include "platform/base/VyrUnicodeString.h"
#include "support/CgmCapture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <sys/wait.h>

namespace {

std::vector<uint8_t> Bytes(VyrCgmEncoder &e) { return e.Buffer(); }

/* A small metafile of the kind a plain producer writes: integer VDC and
 * all precisions at their defaults. */
std::vector<uint8_t> IntegerMetafile()
{
    VyrCgmEncoder e;
    VyrCgmParams p;
    p.String("other");
    e.Element(0, 1, p);
    p.Clear();
    p.Int16(1);
    e.Element(1, 1, p);
    p.Clear();
    p.String("other");
    e.Element(0, 3, p);
    p.Clear();
    p.Int16(0);
    p.Int16(0);
    p.Int16(1000);
    p.Int16(-500);
    e.Element(2, 6, p);
    e.Element(0, 4);
    p.Clear();
    p.Byte(3); /* colour index at the default 8 bits */
    e.Element(5, 4, p);
    p.Clear();
    p.Int16(-10);
    p.Int16(20);
    p.Int16(30);
    p.Int16(-40);
    e.Element(4, 1, p);
    p.Clear();
    p.FixedReal(-1.5);
    e.Element(5, 3, p); /* scaled line width: a real */
    p.Clear();
    p.Int16(9);
    p.String("Hello");
    e.Element(9, 3, p); /* an element no class knows */
    e.Element(0, 5);
    e.Element(0, 2);
    return Bytes(e);
}

int RunCommand(const std::string &command)
{
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(CgmDecoder, ReadsOtherProducersMetafiles)
{
    std::vector<uint8_t> m = IntegerMetafile();
    CgmDecoder d;
    ASSERT_TRUE(d.Decode(m.data(), m.size())) << d.Error();
    EXPECT_EQ(d.Listing(), "BEGIN METAFILE \"other\"\n"
                           "METAFILE VERSION 1\n"
                           "BEGIN PICTURE \"other\"\n"
                           "VDC EXTENT (0,0) (1000,-500)\n"
                           "BEGIN PICTURE BODY\n"
                           "LINE COLOUR 3\n"
                           "POLYLINE (-10,20) (30,-40)\n"
                           "LINE WIDTH -1.5\n"
                           "CLASS 9 ID 3 00 09 05 48 65 6c 6c 6f\n"
                           "END PICTURE\n"
                           "END METAFILE\n");
}

TEST(CgmDecoder, FollowsDeclaredPrecisions)
{
    VyrCgmEncoder e;
    VyrCgmParams p;
    p.String("m");
    e.Element(0, 1, p);
    p.Clear();
    p.Enum(1);
    e.Element(1, 3, p); /* VDC real, fixed point by default */
    p.Clear();
    p.Int16(32);
    e.Element(1, 4, p); /* integer precision 32 */
    p.Clear();
    p.Int16(0);
    p.Int16(24);
    e.Element(1, 7, p); /* colour precision 24 (as a 32-bit integer) */
    e.Element(0, 3);
    e.Element(0, 4);
    p.Clear();
    p.FixedReal(-2.25);
    p.FixedReal(3.5);
    e.Element(4, 3, p);
    p.Clear();
    p.Enum(1);
    e.Element(2, 2, p); /* COLOUR SELECTION MODE direct */
    p.Clear();
    for (int i = 0; i < 9; ++i) p.Byte(static_cast<unsigned>(i));
    e.Element(5, 4, p);
    e.Element(0, 2);
    CgmDecoder d;
    ASSERT_TRUE(d.Decode(e.Buffer().data(), e.Size())) << d.Error();
    EXPECT_EQ(d.Lines("INTEGER PRECISION")[0], "INTEGER PRECISION 32");
    EXPECT_EQ(d.Lines("POLYMARKER")[0], "POLYMARKER (-2.25,3.5)");
    EXPECT_EQ(d.Lines("LINE COLOUR")[0], "LINE COLOUR (258,197637,395016)");
}

TEST(CgmDecoder, MalformedInputGivesAnErrorWithTheOffset)
{
    std::vector<uint8_t> m = IntegerMetafile();
    CgmDecoder d;
    std::vector<uint8_t> cut(m.begin(), m.begin() + 25);
    EXPECT_FALSE(d.Decode(cut.data(), cut.size()));
    EXPECT_NE(d.Error().find("offset"), std::string::npos) << d.Error();
    EXPECT_FALSE(d.Elements().empty());

    const uint8_t odd[] = {0x00, 0x20};
    EXPECT_FALSE(d.Decode(odd, 1));
    EXPECT_EQ(d.Error(), "truncated command header at offset 0");

    /* a POLYLINE whose point list stops inside a point */
    const uint8_t bad[] = {0x40, 0x23, 1, 2, 3, 0};
    EXPECT_FALSE(d.Decode(bad, sizeof bad));
    EXPECT_NE(d.Error().find("POLYLINE at offset 0"), std::string::npos) << d.Error();

    /* an unsupported precision */
    const uint8_t prec[] = {0x10, 0x82, 0x00, 0x07};
    EXPECT_FALSE(d.Decode(prec, sizeof prec));
    EXPECT_NE(d.Error().find("unsupported precision 7"), std::string::npos) << d.Error();

    /* a long-form element whose partition runs past the end */
    const uint8_t part[] = {0x40, 0x3F, 0x80, 0x10, 1, 2};
    EXPECT_FALSE(d.Decode(part, sizeof part));

    EXPECT_TRUE(d.Decode(nullptr, 0));
    EXPECT_TRUE(d.Elements().empty());
}

TEST(CgmDecoder, SurvivesRandomDamageToAValidMetafile)
{
    CgmCapture cap;
    cap->SetExtent(100, 100);
    const float xy[] = {0, 0, 10, 5, 20, 0, 30, 8};
    cap->DrawCurve(4, xy);
    cap->DrawText(1, 2, VyrUnicodeString("text"));
    cap->DrawArc(5, 5, 3, 0, 1, 0);
    cap.Finish();
    std::vector<uint8_t> good = cap.Bytes();
    std::mt19937 rng(12345);
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> m = good;
        int changes = 1 + static_cast<int>(rng() % 4);
        for (int k = 0; k < changes; ++k) m[rng() % m.size()] = static_cast<uint8_t>(rng());
        if (rng() % 5 == 0) m.resize(rng() % m.size());
        CgmDecoder d;
        if (!d.Decode(m.data(), m.size())) { EXPECT_FALSE(d.Error().empty()); }
    }
}

TEST(CgmDump, ListsAFileAndFailsClearlyOnBadInput)
{
    std::string tool = std::string(VYR_BINARY_DIR) + "/tools/cgmdump";
    VyrTempFile good, bad, out, err;
    {
        CgmCapture cap;
        cap->DrawLine(0, 0, 1, 1);
        cap.Finish();
        const std::string bytes(cap.Bytes().begin(), cap.Bytes().end());
        good.Write(bytes);
        bad.Write(bytes.substr(0, 41));
    }
    EXPECT_EQ(RunCommand(tool + " " + good.Path() + " > " + out.Path()), 0);
    std::vector<uint8_t> listing = out.Read();
    std::string text(listing.begin(), listing.end());
    EXPECT_NE(text.find("POLYLINE (0,0) (1,1)\n"), std::string::npos);
    EXPECT_EQ(RunCommand(tool + " < " + good.Path() + " > " + out.Path()), 0);
    EXPECT_EQ(RunCommand(tool + " " + bad.Path() + " > " + out.Path() + " 2> " + err.Path()), 1);
    std::vector<uint8_t> e = err.Read();
    std::string message(e.begin(), e.end());
    EXPECT_EQ(message.rfind("cgmdump: " + bad.Path() + ": ", 0), 0u) << message;
    EXPECT_EQ(RunCommand(tool + " /nonexistent/file.cgm 2> " + err.Path()), 1);
    EXPECT_EQ(RunCommand(tool + " a b 2> " + err.Path()), 2);
    EXPECT_EQ(RunCommand(tool + " < /dev/null 2> " + err.Path()), 1);
}
