/* What a plan view shows of entities that do not lie in the drawing's x-y
 * plane the plain way, checked against the world coordinates that an
 * independent library (ezdxf) computes for the same entities: entities
 * mirrored by an extrusion that points down, circles and arcs on tilted
 * planes, the visible edges of 3D faces, a spline through fit points with
 * stored end tangents. The compatibility profile writes curves as
 * polylines, whose end points and vertices are points of the curve. */
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "picture_files.h"

namespace {

using vyrtest::ConvertedPicture;
using vyrtest::Expected;
using vyrtest::ListedNumbers;

struct Pt {
    double x, y;
};

/* The primitives of each line colour, as lists of their points (numbers
 * of the listing line taken in pairs). */
std::map<int, std::vector<std::vector<Pt>>> ByColour(const ConvertedPicture &picture, const std::string &name)
{
    std::map<int, std::vector<std::vector<Pt>>> out;
    int colour = 0;
    for (const CgmElement &e : picture.Decoder().Elements()) {
        if (e.name == "LINE COLOUR" || e.name == "EDGE COLOUR")
            colour = static_cast<int>(ListedNumbers(e.text)[0]);
        if (e.name != name) continue;
        const std::vector<double> v = ListedNumbers(e.text);
        std::vector<Pt> points;
        for (size_t i = 0; i + 1 < v.size(); i += 2) points.push_back({v[i], v[i + 1]});
        out[colour].push_back(points);
    }
    return out;
}

/* The two end points of the one polyline of `colour`, in either order,
 * against ezdxf's values (x1, y1, x2, y2). */
void ExpectEnds(const std::map<int, std::vector<std::vector<Pt>>> &polylines, int colour,
                const std::vector<double> &want, double tolerance)
{
    ASSERT_EQ(want.size(), 4u);
    ASSERT_EQ(polylines.count(colour), 1u) << "colour " << colour;
    ASSERT_EQ(polylines.at(colour).size(), 1u) << "colour " << colour;
    const std::vector<Pt> &p = polylines.at(colour)[0];
    ASSERT_GE(p.size(), 2u);
    const Pt a = p.front(), b = p.back();
    auto near = [tolerance](const Pt &p, double x, double y) {
        return std::fabs(p.x - x) < tolerance && std::fabs(p.y - y) < tolerance;
    };
    const bool same = near(a, want[0], want[1]) && near(b, want[2], want[3]);
    const bool swapped = near(a, want[2], want[3]) && near(b, want[0], want[1]);
    EXPECT_TRUE(same || swapped) << "colour " << colour << ": drawn from (" << a.x << "," << a.y << ") to ("
                                 << b.x << "," << b.y << ")";
}

class Projection : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        standard = new ConvertedPicture("extrusions", nullptr);
        compat = new ConvertedPicture("extrusions", nullptr, VyrCgmProfileCompatible);
    }
    static void TearDownTestSuite()
    {
        delete standard;
        delete compat;
    }
    void SetUp() override
    {
        ASSERT_EQ(standard->Result(), 0);
        ASSERT_TRUE(standard->Decoded()) << standard->Decoder().Error();
        ASSERT_EQ(compat->Result(), 0);
        ASSERT_TRUE(compat->Decoded()) << compat->Decoder().Error();
    }
    static ConvertedPicture *standard;
    static ConvertedPicture *compat;
};
ConvertedPicture *Projection::standard = nullptr;
ConvertedPicture *Projection::compat = nullptr;

/* An arc mirrored by its extrusion: a full turn is a circle where the
 * drawing puts it, a quarter turn runs between ezdxf's end points. */
TEST_F(Projection, ArcsMirroredByTheirExtrusion)
{
    const std::vector<double> circle = Expected("extrusions", "full_arc_centre");
    ASSERT_EQ(circle.size(), 3u);
    const std::vector<std::string> circles = standard->Lines("CIRCLE");
    ASSERT_EQ(circles.size(), 1u);
    EXPECT_EQ(ListedNumbers(circles[0]), circle);

    /* CIRCULAR ARC CENTRE: centre, start and end rays, radius. */
    const auto arcs = ByColour(*standard, "CIRCULAR ARC CENTRE");
    ASSERT_EQ(arcs.count(2), 1u);
    const std::vector<Pt> &a = arcs.at(2)[0];
    ASSERT_EQ(a.size(), 3u);
    const double r = ListedNumbers(standard->Lines("CIRCULAR ARC CENTRE")[0]).back();
    std::map<int, std::vector<std::vector<Pt>>> ends;
    auto along = [&a, r](const Pt &ray) {
        const double length = std::hypot(ray.x, ray.y);
        return Pt{a[0].x + r * ray.x / length, a[0].y + r * ray.y / length};
    };
    ends[2].push_back({along(a[1]), along(a[2])});
    ExpectEnds(ends, 2, Expected("extrusions", "mirrored_arc_ends"), 1e-4);
}

/* The ellipse's centre and axis are world points; its extrusion runs it
 * clockwise. */
TEST_F(Projection, EllipseWithExtrusionDown)
{
    ExpectEnds(ByColour(*compat, "POLYLINE"), 3, Expected("extrusions", "mirrored_ellipse_ends"), 1e-4);
}

/* A circle on a tilted plane: the plan view's ellipse has the extent ezdxf
 * finds for the circle's points; an arc on a tilted plane ends where ezdxf
 * puts its ends. */
TEST_F(Projection, TiltedCircleAndArc)
{
    const auto polylines = ByColour(*compat, "POLYLINE");
    ASSERT_EQ(polylines.count(4), 1u);
    const std::vector<Pt> &ring = polylines.at(4)[0];
    Pt low = ring[0], high = ring[0];
    for (const Pt &p : ring) {
        low = {std::min(low.x, p.x), std::min(low.y, p.y)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y)};
    }
    const std::vector<double> box = Expected("extrusions", "tilted_circle_box");
    ASSERT_EQ(box.size(), 4u);
    const double tolerance = 5e-3; /* the polyline's chords against ezdxf's one-degree steps */
    EXPECT_NEAR(low.x, box[0], tolerance);
    EXPECT_NEAR(low.y, box[1], tolerance);
    EXPECT_NEAR(high.x, box[2], tolerance);
    EXPECT_NEAR(high.y, box[3], tolerance);
    EXPECT_EQ(standard->Lines("ELLIPSE").size(), 1u) << "drawn as an ellipse";

    ExpectEnds(polylines, 5, Expected("extrusions", "tilted_arc_ends"), 1e-4);
}

/* Only the visible edges of a 3D face are drawn; a triangle has three. */
TEST_F(Projection, VisibleEdgesOfThreeDimensionalFaces)
{
    const auto polylines = ByColour(*standard, "POLYLINE");
    ASSERT_EQ(polylines.count(6), 1u);
    const std::vector<double> edges = Expected("extrusions", "face_visible_edges");
    ASSERT_EQ(edges.size(), 8u);
    std::vector<std::vector<double>> drawn;
    for (const std::vector<Pt> &line : polylines.at(6)) {
        ASSERT_EQ(line.size(), 2u);
        drawn.push_back({line[0].x, line[0].y, line[1].x, line[1].y});
    }
    EXPECT_EQ(drawn, (std::vector<std::vector<double>>{{edges[0], edges[1], edges[2], edges[3]},
                                                       {edges[4], edges[5], edges[6], edges[7]}}));
    ASSERT_EQ(polylines.count(1), 1u);
    EXPECT_EQ(polylines.at(1).size(), 3u);
}

/* The spline through fit points leaves its first point along the stored
 * start tangent (0, 1), reaches its last along the end tangent (1, 0), and
 * passes through every fit point; between them it stays near the curve
 * ezdxf computes the way CAD programs do. */
TEST_F(Projection, SplineHonoursItsEndTangents)
{
    const auto polylines = ByColour(*compat, "POLYLINE");
    ASSERT_EQ(polylines.count(8), 1u);
    const std::vector<Pt> &curve = polylines.at(8)[0];
    ASSERT_GE(curve.size(), 10u);
    auto direction = [](const Pt &a, const Pt &b) {
        const double length = std::hypot(b.x - a.x, b.y - a.y);
        return Pt{(b.x - a.x) / length, (b.y - a.y) / length};
    };
    const Pt start = direction(curve[0], curve[1]);
    const Pt end = direction(curve[curve.size() - 2], curve.back());
    EXPECT_NEAR(start.x, 0, 0.05);
    EXPECT_NEAR(start.y, 1, 0.01);
    EXPECT_NEAR(end.x, 1, 0.01);
    EXPECT_NEAR(end.y, 0, 0.05);

    auto distance = [&curve](double x, double y) {
        double best = 1e300;
        for (size_t i = 0; i + 1 < curve.size(); ++i) {
            const Pt a = curve[i], b = curve[i + 1];
            const double dx = b.x - a.x, dy = b.y - a.y;
            const double l2 = dx * dx + dy * dy;
            double t = l2 > 0 ? ((x - a.x) * dx + (y - a.y) * dy) / l2 : 0;
            t = std::max(0.0, std::min(1.0, t));
            best = std::min(best, std::hypot(a.x + t * dx - x, a.y + t * dy - y));
        }
        return best;
    };
    for (const Pt &fit : {Pt{0, 60}, Pt{10, 70}, Pt{20, 60}, Pt{30, 70}})
        EXPECT_LT(distance(fit.x, fit.y), 0.01) << fit.x << "," << fit.y;
    const std::vector<double> samples = Expected("extrusions", "spline_samples");
    ASSERT_EQ(samples.size(), 34u);
    double worst = 0;
    for (size_t i = 0; i < samples.size(); i += 2)
        worst = std::max(worst, distance(samples[i], samples[i + 1]));
    EXPECT_LT(worst, 0.01) << "of a curve 30 wide";
    RecordProperty("WorstDistanceFromEzdxfSamples", std::to_string(worst));
}

} // namespace
