/* The options of the picture, from the host's call to the decoded metafile:
 * drawings written by an independent writer (ezdxf) are converted with and
 * without each option. The two-argument conversion keeps every option off;
 * options a host's structure does not reach stay off. */
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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

namespace {

using vyrtest::Expected;
using vyrtest::ListedNumbers;

struct Segment {
    double x0, y0, x1, y1;
    double Length() const { return std::hypot(x1 - x0, y1 - y0); }
};

/* The segments of every DISJOINT POLYLINE of a picture. */
std::vector<Segment> DashSegments(const ConvertedPicture &picture)
{
    std::vector<Segment> out;
    for (const std::string &line : picture.Lines("DISJOINT POLYLINE")) {
        const std::vector<double> v = ListedNumbers(line);
        for (size_t i = 0; i + 3 < v.size(); i += 4) out.push_back({v[i], v[i + 1], v[i + 2], v[i + 3]});
    }
    return out;
}

/* The VDC extent: x0, y0, x1, y1. */
std::vector<double> Extent(const ConvertedPicture &picture)
{
    const std::vector<std::string> lines = picture.Lines("VDC EXTENT");
    return lines.empty() ? std::vector<double>() : ListedNumbers(lines[0]);
}

/* A drawing half a million units east and five million north keeps its
 * details of a thousandth of a unit: the picture starts at the drawing's
 * corner, where 32-bit reals still hold them. */
TEST(Options, FitKeepsDetailsFarFromTheOrigin)
{
    const VyrDxf2CgmOptions fit = Only(&VyrDxf2CgmOptions::fit);
    const ConvertedPicture picture("georeferenced", &fit);
    ASSERT_EQ(picture.Result(), 0);
    ASSERT_TRUE(picture.Decoded()) << picture.Decoder().Error();
    const std::vector<double> size = Expected("georeferenced", "extent");
    const std::vector<double> extent = Extent(picture);
    ASSERT_EQ(extent.size(), 4u);
    ASSERT_EQ(size.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_LE(extent[static_cast<size_t>(i)], 0.0);
        EXPECT_GE(extent[static_cast<size_t>(i) + 2], size[static_cast<size_t>(i)]);
        EXPECT_LT(extent[static_cast<size_t>(i) + 2] - extent[static_cast<size_t>(i)],
                  size[static_cast<size_t>(i)] + 0.05 * size[0])
            << "a small margin only";
    }
    std::vector<double> lengths;
    for (const std::string &line : picture.Lines("POLYLINE")) {
        const std::vector<double> v = ListedNumbers(line);
        if (v.size() == 4) lengths.push_back(std::hypot(v[2] - v[0], v[3] - v[1]));
    }
    ASSERT_EQ(lengths.size(), 2u);
    EXPECT_NEAR(lengths[0], 0.001, 1e-5);
    EXPECT_NEAR(lengths[1], 0.003, 1e-5);
    /* The circle of radius 0.004 keeps its size and its place 30 east, 12
     * north of the corner. */
    const std::vector<std::string> circles = picture.Lines("CIRCLE");
    ASSERT_EQ(circles.size(), 1u);
    const std::vector<double> c = ListedNumbers(circles[0]);
    ASSERT_EQ(c.size(), 3u);
    EXPECT_NEAR(c[0], 30.0, 1e-4);
    EXPECT_NEAR(c[1], 12.0, 1e-4);
    EXPECT_NEAR(c[2], 0.004, 1e-6);
}

/* The fitted picture's extent encloses every primitive and is not much
 * larger than they are. */
TEST(Options, FitEnclosesWhatIsDrawn)
{
    const VyrDxf2CgmOptions plotted = VyrDxf2CgmOptions::Plotted();
    struct Case {
        const char *name;
        bool allListed; /* no marker, ellipse or arc at the picture's edge */
    };
    for (const Case &c : std::vector<Case>{{"extrusions", false},
                                           {"solids", true},
                                           {"linetypes", true},
                                           {"layers", false},
                                           {"georeferenced", true}}) {
        const char *name = c.name;
        SCOPED_TRACE(name);
        const ConvertedPicture picture(name, &plotted);
        ASSERT_EQ(picture.Result(), 0);
        ASSERT_TRUE(picture.Decoded()) << picture.Decoder().Error();
        const std::vector<double> e = Extent(picture);
        ASSERT_EQ(e.size(), 4u);
        double box[4] = {e[2], e[3], e[0], e[1]};
        auto add = [&](double x, double y) {
            EXPECT_TRUE(x >= e[0] && x <= e[2] && y >= e[1] && y <= e[3]) << x << " " << y;
            box[0] = std::min(box[0], x);
            box[1] = std::min(box[1], y);
            box[2] = std::max(box[2], x);
            box[3] = std::max(box[3], y);
        };
        for (const char *element : {"POLYLINE", "DISJOINT POLYLINE", "POLYGON", "POLYBEZIER"}) {
            for (const std::string &line : picture.Lines(element)) {
                std::vector<double> v = ListedNumbers(line);
                if (std::string(element) == "POLYBEZIER") v.erase(v.begin()); /* the continuity flag */
                for (size_t i = 0; i + 1 < v.size(); i += 2) add(v[i], v[i + 1]);
            }
        }
        for (const std::string &line : picture.Lines("CIRCLE")) {
            const std::vector<double> c = ListedNumbers(line);
            add(c[0] - c[2], c[1] - c[2]);
            add(c[0] + c[2], c[1] + c[2]);
        }
        /* Where nothing else is drawn, what is listed spans most of it. */
        if (!c.allListed) continue;
        const double side = std::max(e[2] - e[0], e[3] - e[1]);
        EXPECT_LT((e[2] - e[0]) - (box[2] - box[0]), 0.03 * side);
        EXPECT_LT((e[3] - e[1]) - (box[3] - box[1]), 0.03 * side);
    }
}

/* A page shape pads the picture around the fitted drawing, centred, and
 * moves nothing drawn: the primitives are those of the fitted picture. */
TEST(Options, PageAspectPadsAroundTheDrawing)
{
    const VyrDxf2CgmOptions fit = Only(&VyrDxf2CgmOptions::fit);
    for (const char *name : {"georeferenced", "solids"}) {
        const ConvertedPicture fitted(name, &fit);
        ASSERT_EQ(fitted.Result(), 0);
        const std::vector<double> f = Extent(fitted);
        ASSERT_EQ(f.size(), 4u);
        for (const float aspect : {16.0f / 9.0f, 0.25f, 4.0f}) {
            SCOPED_TRACE(std::string(name) + " " + std::to_string(aspect));
            VyrDxf2CgmOptions paged = fit;
            paged.pageAspect = aspect;
            const ConvertedPicture picture(name, &paged);
            ASSERT_EQ(picture.Result(), 0);
            ASSERT_TRUE(picture.Decoded()) << picture.Decoder().Error();
            const std::vector<double> e = Extent(picture);
            ASSERT_EQ(e.size(), 4u);
            const double w = e[2] - e[0], h = e[3] - e[1];
            const double margin = 0.01 / 1.02 * std::max(w, h);
            EXPECT_NEAR((w - 2 * margin) / (h - 2 * margin), aspect, 1e-3 * aspect);
            EXPECT_NEAR(e[0] + e[2], f[0] + f[2], 1e-3 * w) << "centred across";
            EXPECT_NEAR(e[1] + e[3], f[1] + f[3], 1e-3 * h) << "centred up and down";
            EXPECT_TRUE(e[0] <= f[0] && e[1] <= f[1] && e[2] >= f[2] && e[3] >= f[3]);
            for (const char *element : {"POLYLINE", "POLYGON", "CIRCLE"})
                EXPECT_EQ(picture.Lines(element), fitted.Lines(element)) << element;
        }
    }
}

/* Lines on layers that are off, frozen, not plotted, or on the layer of
 * definition points are left out; all are drawn without the option. */
TEST(Options, VisibleLayersOnly)
{
    const VyrDxf2CgmOptions visible = Only(&VyrDxf2CgmOptions::visibleLayersOnly);
    auto drawnLines = [](const ConvertedPicture &picture) {
        std::vector<std::vector<double>> out;
        for (const std::string &line : picture.Lines("POLYLINE")) out.push_back(ListedNumbers(line));
        return out;
    };
    const ConvertedPicture picture("layers", &visible);
    ASSERT_EQ(picture.Result(), 0);
    ASSERT_TRUE(picture.Decoded()) << picture.Decoder().Error();
    const ConvertedPicture all("layers", nullptr);
    ASSERT_EQ(all.Result(), 0);
    const std::vector<std::vector<double>> shown = drawnLines(picture), every = drawnLines(all);
    for (const char *layer : {"SHOWN", "OFF", "FROZEN", "NOPLOT", "Defpoints"}) {
        SCOPED_TRACE(layer);
        const std::vector<double> line = Expected("layers", std::string("line_") + layer);
        const bool expected = std::string(layer) == "SHOWN";
        EXPECT_EQ(std::count(shown.begin(), shown.end(), line), expected ? 1 : 0);
        EXPECT_EQ(std::count(every.begin(), every.end(), line), 1);
    }
    /* In a block inserted on a shown layer, the line on the frozen layer
     * is left out. */
    for (const char *key : {"block_shown_line", "block_frozen_line"}) {
        SCOPED_TRACE(key);
        const std::vector<double> line = Expected("layers", key);
        EXPECT_EQ(std::count(shown.begin(), shown.end(), line),
                  std::string(key) == "block_shown_line" ? 1 : 0);
        EXPECT_EQ(std::count(every.begin(), every.end(), line), 1);
    }
}

/* A line of the drawing's pattern: dashes from `start` on, every one as long
 * as the pattern's dash (or what is left of the line), one period apart. */
void ExpectPattern(const std::vector<Segment> &dashes, double y, double start, double end,
                   const std::vector<double> &pattern, double scale, double dot)
{
    std::vector<Segment> on;
    for (const Segment &s : dashes)
        if (std::fabs(s.y0 - y) < 1e-6 && std::fabs(s.y1 - y) < 1e-6) on.push_back(s);
    std::vector<std::pair<double, double>> expected;
    double at = start;
    size_t k = 0;
    while (at < end - 1e-9) {
        const double length = pattern[k % pattern.size()] * scale;
        if (length > 0) expected.push_back({at, std::min(at + length, end)});
        if (length == 0) expected.push_back({at, at + dot});
        at += std::fabs(length);
        ++k;
    }
    ASSERT_EQ(on.size(), expected.size());
    for (size_t i = 0; i < on.size(); ++i) {
        EXPECT_NEAR(on[i].x0, expected[i].first, 1e-4) << i;
        EXPECT_NEAR(on[i].x1, expected[i].second, 1e-4) << i;
    }
}

/* Line types are drawn with the drawing's own patterns, scaled by the
 * drawing's and the entity's line type scales; without the option the
 * names HIDDEN and BORDER, unknown to the table of names, draw solid. */
TEST(Options, DrawingLineTypes)
{
    VyrDxf2CgmOptions options = Only(&VyrDxf2CgmOptions::drawingLineTypes);
    options.fit = true;
    const ConvertedPicture picture("linetypes", &options);
    ASSERT_EQ(picture.Result(), 0);
    ASSERT_TRUE(picture.Decoded()) << picture.Decoder().Error();
    const std::vector<Segment> dashes = DashSegments(picture);
    /* The fitted picture starts 5 below the drawing's origin (the circle). */
    const double dy = 5.0;
    ExpectPattern(dashes, 0 + dy, 0, 20, Expected("linetypes", "hidden_pattern"),
                  Expected("linetypes", "hidden_scale")[0], 0);
    ExpectPattern(dashes, 10 + dy, 0, 20, Expected("linetypes", "border_pattern"),
                  Expected("linetypes", "border_scale")[0], 0.2);

    /* Along the polyline the pattern runs on across the corner: a dash
     * 1.27 long, a gap of 0.254 that turns the corner, then a dash. */
    const std::vector<double> dashed2 = Expected("linetypes", "dashed2_pattern");
    ASSERT_EQ(dashed2.size(), 2u);
    const double dash = dashed2[0] * 2, gap = -dashed2[1] * 2;
    std::vector<Segment> corner;
    for (const Segment &s : dashes)
        if (s.x0 <= 1.3 + 1e-6 && s.y0 >= 20 + dy - 1e-6 && s.y0 <= 21.1 + dy + 1e-6 && s.x1 <= 1.3 + 1e-6)
            corner.push_back(s);
    ASSERT_EQ(corner.size(), 2u);
    EXPECT_NEAR(corner[0].Length(), dash, 1e-4);
    EXPECT_NEAR(corner[1].y0, 20 + dy + (gap - (1.3 - dash)), 1e-4);
    EXPECT_NEAR(corner[1].y1, 21.1 + dy, 1e-4);

    /* The circle of CENTER2: dashes on the circle of radius 5, long and
     * short, covering the share of the circumference the pattern draws. */
    const std::vector<double> center2 = Expected("linetypes", "center2_pattern");
    double drawn = 0, period = 0;
    for (double v : center2) {
        period += std::fabs(v);
        drawn += v > 0 ? v : 0;
    }
    double total = 0;
    for (const Segment &s : dashes) {
        if (s.x0 < 30) continue;
        EXPECT_NEAR(std::hypot(s.x0 - 40, s.y0 - dy), 5.0, 2e-3);
        EXPECT_NEAR(std::hypot(s.x1 - 40, s.y1 - dy), 5.0, 2e-3);
        total += s.Length();
    }
    EXPECT_NEAR(total / (2 * M_PI * 5), drawn / period, 0.03);
    EXPECT_TRUE(picture.Lines("CIRCLE").empty());
    EXPECT_EQ(picture.Lines("POLYLINE").size(), 1u) << "the continuous line";

    const ConvertedPicture base("linetypes", nullptr);
    ASSERT_EQ(base.Result(), 0);
    EXPECT_TRUE(base.Lines("DISJOINT POLYLINE").empty());
}

} // namespace
