/* The options of the picture, from the host's call to the decoded metafile:
 * drawings written by an independent writer (ezdxf) are converted with and
 * without each option. The two-argument conversion keeps every option off;
 * options a host's structure does not reach stay off. */
#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "picture_files.h"

namespace {

using vyrtest::ConvertedPicture;

VyrDxf2CgmOptions Only(bool VyrDxf2CgmOptions::*member)
{
    VyrDxf2CgmOptions options;
    options.*member = true;
    return options;
}

TEST(Options, PlottedTurnsOnTheFourPictureOptions)
{
    const VyrDxf2CgmOptions plotted = VyrDxf2CgmOptions::Plotted();
    EXPECT_TRUE(plotted.fit && plotted.visibleLayersOnly && plotted.drawingLineTypes && plotted.filledAreas);
    EXPECT_FALSE(plotted.nurbsElement);
    const VyrDxf2CgmOptions none;
    EXPECT_FALSE(none.fit || none.visibleLayersOnly || none.drawingLineTypes || none.filledAreas ||
                 none.nurbsElement);
    EXPECT_EQ(none.size, sizeof(VyrDxf2CgmOptions));
}

/* Solids and traces with area are filled in their colour; the solid
 * without area keeps its outline. */
TEST(Options, FilledAreas)
{
    const VyrDxf2CgmOptions filled = Only(&VyrDxf2CgmOptions::filledAreas);
    const ConvertedPicture picture("solids", &filled);
    ASSERT_EQ(picture.Result(), 0);
    ASSERT_TRUE(picture.Decoded()) << picture.Decoder().Error();
    EXPECT_EQ(picture.Lines("POLYGON").size(), 4u);
    EXPECT_EQ(picture.Lines("FILL COLOUR"),
              (std::vector<std::string>{"FILL COLOUR 1", "FILL COLOUR 3", "FILL COLOUR 5", "FILL COLOUR 2"}));
    EXPECT_EQ(picture.Lines("POLYLINE").size(), 3u) << "the outline of the solid without area";

    const ConvertedPicture base("solids", nullptr);
    ASSERT_EQ(base.Result(), 0);
    EXPECT_TRUE(base.Lines("POLYGON").empty());
    EXPECT_EQ(base.Lines("POLYLINE").size(), 4u + 4u + 3u + 4u + 3u);
}

/* A host built against a structure that ends before a member gets that
 * member off, whatever lies in the memory after its structure. */
TEST(Options, MembersBeyondTheHostsStructureStayOff)
{
    VyrDxf2CgmOptions older = Only(&VyrDxf2CgmOptions::filledAreas);
    older.size = offsetof(VyrDxf2CgmOptions, filledAreas);
    const ConvertedPicture picture("solids", &older);
    ASSERT_EQ(picture.Result(), 0);
    EXPECT_TRUE(picture.Lines("POLYGON").empty());
}

/* The metafile's own NURBS element, on request. */
TEST(Options, NurbsElement)
{
    const VyrDxf2CgmOptions nurbs = Only(&VyrDxf2CgmOptions::nurbsElement);
    const ConvertedPicture picture("extrusions", &nurbs);
    ASSERT_EQ(picture.Result(), 0);
    ASSERT_TRUE(picture.Decoded()) << picture.Decoder().Error();
    /* The B-spline and the spline through fit points with end tangents. */
    EXPECT_EQ(picture.Lines("NON-UNIFORM RATIONAL B-SPLINE").size(), 2u);
    const ConvertedPicture base("extrusions", nullptr);
    EXPECT_TRUE(base.Lines("NON-UNIFORM RATIONAL B-SPLINE").empty());
    EXPECT_FALSE(base.Lines("POLYBEZIER").empty());
}

} // namespace
