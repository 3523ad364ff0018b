/* The conversion driver: argument checks, the stream's driver datum, the
 * generator set-up of a picture (extent, parameters, viewport, origin, the
 * 255 colours, the starting attributes), the exact call sequence of a
 * drawing that exercises the property rules, the counters, the drawing
 * header, and the state a conversion leaves behind. The stages run on
 * models built in code. */
#include "dxf2cgm_fixture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "Dxf2Cgm/VyrDxfAttributesConverter.h"
#include "Dxf2Cgm/VyrDxfBlock.h"
#include "Dxf2Cgm/VyrDxfUCConverter.h"
#include "Dxf2Cgm/VyrListOfVyrDxfElem.h"
#include "support/VyrTempFile.h"

namespace {

using vyrtest::Color;
using vyrtest::Only;
using vyrtest::Point3;
using vyrtest::Props;
using R = VyrRecordingGenerator;

std::string N(double v) { return R::Num(static_cast<float>(v)); }

class Driver : public vyrtest::Dxf2CgmTest {
protected:
    void SetUp() override
    {
        vyrtest::Dxf2CgmTest::SetUp();
        output = picture.Path();
        ::unsetenv("CGMV1");
    }
    void TearDown() override
    {
        vyrtest::Dxf2CgmTest::TearDown();
        ::unsetenv("CGMV1");
    }

    /* Runs the stages of a conversion after the parse: walk and write. */
    std::vector<std::string> Convert()
    {
        EXPECT_EQ(driver.CreateStream(output.c_str()), 0);
        Walk();
        driver.WritePicture(model);
        driver.ReleaseOutput();
        vyrtest::StagedDriver::FreeConversionTables();
        return R::Log();
    }

    /* The lines every picture starts with. */
    std::vector<std::string> Preamble(const char *datum = "V3")
    {
        std::vector<std::string> lines = {
            "SetStream " + output + " CGM " + datum,
            "SetExtent 32400 32400",
            "SetParameters scale=1 margins=0,0,0,0 position=0,0 form=32400,32400,0",
            "SetViewport 0 0 32400 32400",
            "SetOrigin 16200 16200",
        };
        for (int i = 1; i <= 255; ++i) {
            double rgb[3];
            VyrDxfAttributesConverter::BuildFromACI(i, rgb);
            lines.push_back("DefineColor " + std::to_string(i) + " " + N(rgb[0] / 255.0) + " " +
                            N(rgb[1] / 255.0) + " " + N(rgb[2] / 255.0));
        }
        for (const char *s : {"SetLineWidth 0.13", "SetLineType 0 0 0", "SetColor 7", "SetFillColor 7"})
            lines.push_back(s);
        return lines;
    }

    VyrTempFile picture{".cgm"};
    std::string output;
    VyrRecordingScope recording;
};

TEST_F(Driver, CompleteAndResults)
{
    EXPECT_EQ(VyrDxf2Cgm::ZelComplete(), 0);

    ZelResults results;
    for (uint32_t &w : results.word) w = 0xEEEEEEEEu;
    EXPECT_EQ(driver.GetZelResults(nullptr), 1);
    Line(0, 0, 1, 1);
    Table<dxf_view_table>(DXFI_TF_dxf_view_table, {});
    Walk();
    EXPECT_EQ(driver.GetZelResults(&results), 0);
    EXPECT_EQ(results.word[0], 0xEEEEEEEEu) << "word 0 is left alone";
    EXPECT_EQ(results.word[ZelLines], 1u);
    EXPECT_EQ(results.word[ZelOtherTables], 1u);
    EXPECT_EQ(results.word[2], 0u);
    EXPECT_EQ(results.word[13], 0u);
    EXPECT_EQ(results.word[32], 0u);
    driver.InitZelResults();
    driver.GetZelResults(&results);
    for (int i = 1; i < ZelWordCount; ++i) EXPECT_EQ(results.word[i], 0u) << i;
}

TEST_F(Driver, RejectsMissingPaths)
{
    VyrDxf2Cgm converter;
    EXPECT_EQ(converter.Convert(nullptr, output.c_str()), -1);
    EXPECT_EQ(converter.Convert("", output.c_str()), -1);
    EXPECT_EQ(converter.Convert("drawing.dxf", nullptr), -1);
    EXPECT_EQ(converter.Convert("drawing.dxf", ""), -1);
    EXPECT_FALSE(VyrFileExists(output));
    EXPECT_EQ(R::CreatedCount(), 0);
}

TEST_F(Driver, DriverDatumFollowsCGMV1)
{
    ASSERT_EQ(driver.CreateStream(output.c_str()), 0);
    EXPECT_EQ(driver.InitGenerator(), 1);
    driver.ReleaseOutput();
    ::setenv("CGMV1", "", 1);
    ASSERT_EQ(driver.CreateStream(output.c_str()), 0);
    EXPECT_EQ(driver.InitGenerator(), 1);
    driver.ReleaseOutput();
    ::setenv("CGMV1", "anything", 1);
    ASSERT_EQ(driver.CreateStream(output.c_str()), 0);
    EXPECT_EQ(driver.InitGenerator(), 1);
    driver.ReleaseOutput();
    EXPECT_EQ(R::Lines("SetStream"), (std::vector<std::string>{"SetStream " + output + " CGM V3",
                                                               "SetStream " + output + " CGM Morvel V4",
                                                               "SetStream " + output + " CGM Morvel V4"}));
    EXPECT_EQ(R::CreatedCount(), 3);
    EXPECT_EQ(R::ReleasedCount(), 3);
}

TEST_F(Driver, EmptyDrawingOpensAndClosesTheStream)
{
    Any(DXFI_TF_dxf_view_port);
    EXPECT_EQ(Convert(), (std::vector<std::string>{"SetStream " + output + " CGM V3", "Release"}));
    EXPECT_TRUE(VyrFileExists(output)) << "the stream was opened";
}

TEST_F(Driver, UnwritableOutputWritesNothing)
{
    Line(0, 0, 1, 1);
    output = "/nonexistent-directory/picture.cgm";
    const std::vector<std::string> log = Convert();
    EXPECT_EQ(log, (std::vector<std::string>{"SetStream " + output + " CGM V3", "Release"}));
}

TEST_F(Driver, PictureOfADrawing)
{
    Header(3);
    LayerTable({{"0", 7, "CONTINUOUS", -3}, {"Red", 1, "DASHED", 50}, {"Off", -3, "CENTER", -3}});
    Props red;
    red.layer = "Red";
    Props off;
    off.layer = "Off";
    off.extrusionZ = -1.0;
    Props byBlock = Color(0);
    byBlock.lineweight = -2.0;
    byBlock.lineType = "ByBlock";
    Props heavy = Color(5);
    heavy.lineweight = 211.0;
    heavy.lineType = "CONTINUOUS";

    Line(0, 0, 10, 0, red);
    Line(0, 1, 10, 1, red);
    Circle(5, 5, 2, off);
    Arc(0, 0, 4, 0, 90, byBlock);
    Point(1, 1);
    Solid({{{0, 0}, {4, 0}, {2, 3}, {2, 3}}}, heavy);
    Ellipse(0, 0, 3, 3, 0.5, 0, M_PI, heavy);
    Spline(3, 1, {}, {}, {}, {{0, 0, 0}, {1, 1, 0}, {2, 0, 0}}, heavy);
    Spline(2, 4, {0, 0, 0, 1, 1, 1}, {{0, 0, 0}, {1, 1, 0}, {2, 0, 0}}, {1, 0.7071, 1}, {}, heavy);
    Block("Hidden", 0, 0, {Line(100, 100, 200, 200, heavy)});

    std::vector<std::string> want = Preamble();
    const std::vector<std::string> body = {
        "SetLineWidth 0.35",
        "SetLineType 2 0 0",
        "SetColor 1",
        "DrawLine 0 0 10 0",
        "DrawLine 0 1 10 1",
        "SetLineType 6 0 0",
        "SetColor 3",
        "DrawArc -5 5 2 0 " + N(2 * M_PI) + " 0",
        "SetLineType 0 0 0",
        "SetColor 7",
        "DrawArc 0 0 4 0 " + N(M_PI / 2) + " 0",
        "DrawMarker 1 1 0 0",
        "SetLineWidth 2",
        "SetColor 5",
        "DrawLine 0 0 4 0",
        "DrawLine 4 0 2 3",
        "DrawLine 2 3 0 0",
        "DrawEllipse 0 0 " + N(3 * std::sqrt(2.0)) + " " + N(1.5 * std::sqrt(2.0)) + " 0 " + N(M_PI) + " " +
            N(M_PI / 4) + " 0",
        "DrawCurve 4 0 0 1 1 2 0 0 0",
        "DrawNurbs 3 3 0 0 1 1 2 0 knots 6 0 0 0 1 1 1 0 1000 weights 1 " + N(0.7071) + " 1",
        "EndPicture",
        "Release"};
    want.insert(want.end(), body.begin(), body.end());
    EXPECT_EQ(Convert(), want);

    EXPECT_EQ(PDMODE, 3) << "read from the drawing header";
    ASSERT_NE(VyrDxf2Cgm::GetUCConverter(), nullptr);
    EXPECT_STREQ(VyrDxfUCConverter::GetCodePageName(), "ANSI_1252");
    EXPECT_EQ(Counter(ZelLayers), 3u);
    EXPECT_EQ(Counter(ZelLines), 3u);
    EXPECT_EQ(Counter(ZelSplines), 2u);
    EXPECT_EQ(VyrDxf2Cgm::GetLayerTable(), nullptr) << "tables are freed after the picture";
    EXPECT_EQ(VyrDxf2Cgm::GetBlockTable(), nullptr);
    ASSERT_NE(VyrDxf2Cgm::GetRootList(), nullptr) << "the root list stays until the next conversion";
    EXPECT_EQ(VyrDxf2Cgm::GetRootList()->Size(), 9);
}

TEST_F(Driver, NextConversionStartsAfresh)
{
    Line(0, 0, 1, 1);
    Convert();
    ASSERT_EQ(VyrDxf2Cgm::GetRootList()->Size(), 1);
    driver.InitZelResults();
    vyrtest::StagedDriver::StartWalk(model);
    EXPECT_EQ(VyrDxf2Cgm::GetRootList()->Size(), 0);
    EXPECT_EQ(Counter(ZelLines), 0u);
    R::Reset();
    /* Nothing was collected since: an empty picture. */
    EXPECT_EQ(Convert(), (std::vector<std::string>{"SetStream " + output + " CGM V3", "Release"}));
}

TEST_F(Driver, UnwrittenBlocksAreWrittenAfterTheRootList)
{
    Line(0, 0, 1, 1, Color(7));
    ASSERT_EQ(driver.CreateStream(output.c_str()), 0);
    Walk();
    /* A block not built from the model starts unflagged. */
    VyrListOfVyrDxfElem *table = new VyrListOfVyrDxfElem();
    VyrDxf2Cgm::SetBlockTable(table);
    table->AddElement(new VyrDxfBlock());
    driver.WritePicture(model);
    EXPECT_TRUE(static_cast<VyrDxfBlock *>(table->FindElementByPtr(0))->IsAlreadyTranscripted());
    driver.ReleaseOutput();
    EXPECT_EQ(R::Log().back(), "Release");
}

} // namespace
