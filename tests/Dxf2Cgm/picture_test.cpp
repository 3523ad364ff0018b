/* The picture of a reference model written by the real CGM generator and
 * read back with the CGM decoder: the primitives and their coordinates,
 * the colour table, the attributes; and, when LibreOffice is installed, an
 * independent viewer's rendering of it. */
#include "dxf2cgm_fixture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/print/VyrPrintCGMGenerator.h"
#include "support/VyrOffice.h"
#include "support/VyrTempFile.h"
#include "tools/cgmdecode/CgmDecoder.h"

namespace {

using vyrtest::Color;
using vyrtest::Props;

class Picture : public vyrtest::Dxf2CgmTest {
protected:
    void SetUp() override
    {
        vyrtest::Dxf2CgmTest::SetUp();
        ASSERT_FALSE(dir.Path().empty());
        work = dir.Path();
        output = work + "/picture.cgm";
    }
    void TearDown() override
    {
        VyrPrintCGMGenerator::sSetDefaultProfile(VyrCgmProfileStandard);
        vyrtest::Dxf2CgmTest::TearDown();
    }

    /* A plate with holes, a slot, a curve, marks and an arrow. */
    void ReferenceDrawing()
    {
        Header(3);
        LayerTable(
            {{"0", 7, "CONTINUOUS", -3}, {"Outline", 7, "CONTINUOUS", 50}, {"Center", 1, "CENTER", 18}});
        Props outline;
        outline.layer = "Outline";
        Props center;
        center.layer = "Center";
        Line(-6000, -4000, 6000, -4000, outline);
        Line(6000, -4000, 6000, 4000, outline);
        Line(6000, 4000, -6000, 4000, outline);
        Line(-6000, 4000, -6000, -4000, outline);
        Circle(0, 0, 1500, outline);
        Line(-2000, 0, 2000, 0, center);
        Arc(-4000, 2000, 1000, 0, 180, outline);
        Point(4000, 2500, Color(3));
        Solid({{{3000, -3000}, {5000, -2500}, {3000, -2000}, {3000, -2000}}}, Color(1));
        Ellipse(0, -2500, 2000, 0, 0.25, 0, 2 * M_PI, outline);
        Spline(3, 8, {}, {}, {}, {{-5000, -3000, 0}, {-4000, -1000, 0}, {-2500, -2500, 0}}, Color(4));
    }

    std::vector<uint8_t> Convert()
    {
        EXPECT_EQ(driver.CreateStream(output.c_str()), 0);
        Walk();
        driver.WritePicture(model);
        driver.ReleaseOutput();
        std::ifstream in(output, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }

    VyrTempDir dir{"vyr_picture"};
    std::string work;
    std::string output;
};

/* The decoded lines of the picture body that draw or set attributes. */
std::vector<std::string> Body(const CgmDecoder &decoder)
{
    std::vector<std::string> out;
    bool inBody = false;
    for (const CgmElement &e : decoder.Elements()) {
        if (e.name == "BEGIN PICTURE BODY")
            inBody = true;
        else if (e.name == "END PICTURE")
            inBody = false;
        else if (inBody && e.name != "COLOUR TABLE")
            out.push_back(e.text);
    }
    return out;
}

TEST_F(Picture, DecodesToTheExpectedPrimitives)
{
    ReferenceDrawing();
    const std::vector<uint8_t> bytes = Convert();
    CgmDecoder decoder;
    ASSERT_TRUE(decoder.Decode(bytes.data(), bytes.size())) << decoder.Error();

    /* The picture space and the colour table. */
    EXPECT_EQ(decoder.Lines("VDC TYPE"), (std::vector<std::string>{"VDC TYPE real"}));
    ASSERT_EQ(decoder.Lines("COLOUR TABLE").size(), 1u);
    const std::string table = decoder.Lines("COLOUR TABLE")[0];
    EXPECT_EQ(table.rfind(
                  "COLOUR TABLE 1 (255,0,0) (255,255,0) (0,255,0) (0,255,255) (0,0,255) (255,0,255) (0,0,0) "
                  "(134,134,134)",
                  0),
              0u)
        << table.substr(0, 120);
    EXPECT_EQ(std::count(table.begin(), table.end(), '('), 255) << "indices 1 to 255";
    EXPECT_NE(table.find("(84,84,84) (118,118,118) (152,152,152) (186,186,186) (220,220,220) (255,255,255)"),
              std::string::npos);

    const std::vector<std::string> body = Body(decoder);
    auto has = [&](const std::string &line) {
        return std::find(body.begin(), body.end(), line) != body.end();
    };
    auto starting = [&](const std::string &prefix) {
        std::vector<std::string> out;
        for (const std::string &line : body)
            if (line.rfind(prefix, 0) == 0) out.push_back(line);
        return out;
    };
    /* The outline, the centre line and the solid's three edges. */
    EXPECT_EQ(starting("POLYLINE"),
              (std::vector<std::string>{
                  "POLYLINE (-6000,-4000) (6000,-4000)", "POLYLINE (6000,-4000) (6000,4000)",
                  "POLYLINE (6000,4000) (-6000,4000)", "POLYLINE (-6000,4000) (-6000,-4000)",
                  "POLYLINE (-2000,0) (2000,0)", "POLYLINE (3000,-3000) (5000,-2500)",
                  "POLYLINE (5000,-2500) (3000,-2000)", "POLYLINE (3000,-2000) (3000,-3000)"}));
    EXPECT_TRUE(has("CIRCLE (0,0) 1500"));
    ASSERT_EQ(starting("CIRCULAR ARC CENTRE").size(), 1u);
    EXPECT_EQ(
        starting("CIRCULAR ARC CENTRE")[0].rfind("CIRCULAR ARC CENTRE (-4000,2000) (1000,0) (-1000,", 0), 0u);
    EXPECT_TRUE(has("POLYMARKER (4000,2500)"));
    EXPECT_TRUE(has("ELLIPSE (0,-2500) (2000,-2500) (0,-2000)"));
    ASSERT_EQ(starting("POLYBEZIER").size(), 1u);
    const std::string curve = starting("POLYBEZIER")[0];
    EXPECT_EQ(curve.rfind("POLYBEZIER 2 (-5000,-3000) ", 0), 0u) << curve;
    EXPECT_NE(curve.find(" (-4000,-1000) "), std::string::npos) << "through the middle fit point";
    EXPECT_EQ(curve.substr(curve.size() - 14), " (-2500,-2500)");

    /* Attributes appear when they change: the outline's width and colour
     * come first, the centre line's red and thinner dash-dot next. */
    EXPECT_EQ(std::vector<std::string>(body.begin(), body.begin() + 4),
              (std::vector<std::string>{"LINE COLOUR 7", "LINE WIDTH 0.35", "LINE TYPE 1",
                                        "POLYLINE (-6000,-4000) (6000,-4000)"}));
    EXPECT_EQ(starting("LINE COLOUR"),
              (std::vector<std::string>{"LINE COLOUR 7", "LINE COLOUR 1", "LINE COLOUR 7", "LINE COLOUR 1",
                                        "LINE COLOUR 7", "LINE COLOUR 4"}));
    EXPECT_TRUE(has("MARKER COLOUR 3"));
}

/* An independent viewer draws the picture: LibreOffice converts the
 * compatibility profile's metafile into a PNG. */
TEST_F(Picture, LibreOfficeRendersIt)
{
    VyrPrintCGMGenerator::sSetDefaultProfile(VyrCgmProfileCompatible);
    ReferenceDrawing();
    ASSERT_GT(Convert().size(), 100u);
    const VyrOfficeStatus status = VyrOfficeConvert(work, "picture.cgm", "png");
    if (status == VyrOfficeStatus::NotInstalled) GTEST_SKIP() << "LibreOffice is not installed";
    if (status == VyrOfficeStatus::TooSlow)
        GTEST_SKIP() << "LibreOffice did not finish in time: machine too busy";
    ASSERT_EQ(status, VyrOfficeStatus::Converted);
    std::ifstream png(work + "/picture.png", std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(png)), {});
    ASSERT_GT(bytes.size(), 24u);
    EXPECT_EQ(std::string(bytes.begin() + 1, bytes.begin() + 4), "PNG");
    /* The image has a size, and the picture made it more than a blank. */
    const uint32_t width = (bytes[16] << 24) | (bytes[17] << 16) | (bytes[18] << 8) | bytes[19];
    EXPECT_GT(width, 100u);
    EXPECT_GT(bytes.size(), 2000u);
}

} // namespace
