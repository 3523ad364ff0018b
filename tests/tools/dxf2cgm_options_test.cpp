/* The picture options of the dxf2cgm tool: by default the drawing as a CAD
 * program plots it (fitted, visible layers, the drawing's own line types,
 * filled areas, on a 16:9 page), one flag to turn off each, --base for the library's base
 * picture, --nurbs for the metafile's own B-splines; --help lists them. */
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
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

    /* Fitted on a 16:9 page by default; the fixed page with --no-fit, and
     * square with --base; the drawing's own shape with --no-page. */
    struct Extent {
        const char *flags;
        bool fixed;
        double aspect; /* of the extent without its margin; 0: the drawing's */
    };
    const double drawingAspect = 0; /* the layers drawing is not 16:9 */
    for (const Extent &c : std::vector<Extent>{{"", false, 16.0 / 9},
                                               {"--no-page", false, drawingAspect},
                                               {"--page 1:2", false, 0.5},
                                               {"--no-fit", true, 16.0 / 9},
                                               {"--base", true, 1.0}}) {
        SCOPED_TRACE(c.flags);
        CgmDecoder decoder;
        int status = -1;
        ASSERT_TRUE(Convert(c.flags, "layers", decoder, status)) << decoder.Error();
        const std::vector<std::string> lines = decoder.Lines("VDC EXTENT");
        ASSERT_EQ(lines.size(), 1u);
        const std::vector<double> e = CgmDecoder::sNumbers(lines[0]);
        ASSERT_EQ(e.size(), 4u);
        const double w = e[2] - e[0], h = e[3] - e[1];
        const double margin = 0.01 / 1.02 * std::max(w, h); /* 1 % of the larger side on each side */
        EXPECT_EQ(std::min(w, h) > 32400, c.fixed);
        const double aspect = (w - 2 * margin) / (h - 2 * margin);
        if (c.aspect > 0)
            EXPECT_NEAR(aspect, c.aspect, 1e-3 * c.aspect);
        else
            EXPECT_GT(std::fabs(aspect - 16.0 / 9), 0.05);
    }
    for (const char *bad : {"--page 16", "--page 0:9", "--page 16:-9", "--page x:y", "--page 16:9x"}) {
        SCOPED_TRACE(bad);
        CgmDecoder decoder;
        int status = -1;
        Convert(bad, "layers", decoder, status);
        EXPECT_EQ(status, 2);
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
    for (const char *flag : {"--no-fit", "--all-layers", "--named-linetypes", "--hollow", "--page",
                             "--no-page", "--base", "--nurbs"})
        EXPECT_NE(help.find(flag), std::string::npos) << flag;
}

} // namespace
