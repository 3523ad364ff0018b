/* The picture options of the dxf2cgm tool: by default the drawing as a CAD
 * program plots it (fitted, visible layers, the drawing's own line types,
 * filled areas), one flag to turn off each, --base for the library's base
 * picture, --nurbs for the metafile's own B-splines; --help lists them. */
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/VyrTempFile.h"
#include "tools/cgmdecode/CgmDecoder.h"

namespace {

const std::string kTool = std::string(VYR_BINARY_DIR) + "/tools/dxf2cgm";
const std::string kPictures = std::string(VYR_TEST_DATA_DIR) + "/picture/";

class Dxf2CgmOptions : public ::testing::Test {
protected:
    VyrTempDir dir{"dxf2cgm-options"};

    /* Runs the tool on a drawing of tests/data/picture with `flags` and
     * decodes the picture; the exit status in `status`. */
    bool Convert(const std::string &flags, const std::string &drawing, CgmDecoder &decoder, int &status)
    {
        const std::string output = dir.Path() + "/out.cgm";
        const int r = std::system(("timeout 60 " + kTool + " " + flags + " " + kPictures + drawing + ".dxf " +
                                   output + " >/dev/null 2>&1 </dev/null")
                                      .c_str());
        status = WIFEXITED(r) ? WEXITSTATUS(r) : -1;
        const std::string bytes = VyrReadFile(output);
        return decoder.Decode(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
    }
};

TEST_F(Dxf2CgmOptions, DefaultsPlotTheDrawingAndFlagsTurnEachOff)
{
    struct Case {
        const char *flags;
        const char *drawing;
        const char *element; /* counted */
        bool present;
    };
    const std::vector<Case> cases = {
        /* filled solids by default, outlines with --hollow */
        {"", "solids", "POLYGON", true},
        {"--hollow", "solids", "POLYGON", false},
        /* the drawing's own patterns as dashes by default */
        {"", "linetypes", "DISJOINT POLYLINE", true},
        {"--named-linetypes", "linetypes", "DISJOINT POLYLINE", false},
        {"--base", "linetypes", "DISJOINT POLYLINE", false},
        /* B-splines as the NURBS element on request only */
        {"", "extrusions", "NON-UNIFORM RATIONAL B-SPLINE", false},
        {"--nurbs", "extrusions", "NON-UNIFORM RATIONAL B-SPLINE", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.flags) + " " + c.drawing);
        CgmDecoder decoder;
        int status = -1;
        ASSERT_TRUE(Convert(c.flags, c.drawing, decoder, status)) << decoder.Error();
        EXPECT_EQ(status, 0);
        EXPECT_EQ(!decoder.Lines(c.element).empty(), c.present);
    }

    /* Fitted by default, the fixed page with --no-fit or --base. */
    for (const char *flags : {"", "--no-fit", "--base"}) {
        SCOPED_TRACE(flags);
        CgmDecoder decoder;
        int status = -1;
        ASSERT_TRUE(Convert(flags, "layers", decoder, status)) << decoder.Error();
        const std::vector<std::string> extent = decoder.Lines("VDC EXTENT");
        ASSERT_EQ(extent.size(), 1u);
        const bool fixed = extent[0].find("16524") != std::string::npos;
        EXPECT_EQ(fixed, std::string(flags) != "") << extent[0];
    }

    /* Visible layers only by default: one line of the five top-level ones
     * and one of the two in the block. */
    for (const char *flags : {"", "--all-layers"}) {
        SCOPED_TRACE(flags);
        CgmDecoder decoder;
        int status = -1;
        ASSERT_TRUE(Convert(flags, "layers", decoder, status)) << decoder.Error();
        EXPECT_EQ(decoder.Lines("POLYLINE").size(), std::string(flags).empty() ? 2u : 7u);
    }
}

TEST_F(Dxf2CgmOptions, HelpListsThem)
{
    const std::string out = dir.Path() + "/help";
    ASSERT_EQ(std::system((kTool + " --help >" + out + " 2>&1").c_str()), 0);
    const std::string help = VyrReadFile(out);
    for (const char *flag :
         {"--no-fit", "--all-layers", "--named-linetypes", "--hollow", "--base", "--nurbs"})
        EXPECT_NE(help.find(flag), std::string::npos) << flag;
}

} // namespace
