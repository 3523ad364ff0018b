/* Hatches converted from end to end with the recording generator in place
 * of the CGM generator: the drawings ezdxf wrote for these tests
 * (tests/data/hatches, see make_hatches.py), checked against the geometry
 * the script put in (squares, circles, bulges, the pattern's lines and
 * dashes), the damaged hatches of the same folder, the decoded metafile of
 * a solid hatch, and the sample drawings that hold hatches. */
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include <dirent.h>

#include "Dxf2Cgm/VyrDxf2Cgm.h"
#include "Dxf2Cgm/VyrDxf2CgmMessages.h"
#include "Dxf2Cgm/VyrDxfBoundary.h"
#include "Dxf2Cgm/VyrDxfHatch.h"
#include "Dxf2Cgm/VyrDxfLine.h"
#include "Dxf2Cgm/dxf2cgm_fixture.h"
#include "kernel/mpm/mpm.h"
#include "platform/math/VyrMathTransformation2D.h"
#include "support/VyrRecordingGenerator.h"
#include "Dxf2Cgm/picture_files.h"
#include "support/VyrTempFile.h"
#include "tools/cgmdecode/CgmDecoder.h"

namespace {

using vyrtest::CallNumbers;

std::string Data(const char *name) { return vyrtest::TestData("hatches", name); }

/* What one hatch drew: the colour set before it, and its loops or its
 * segments. */
struct Drawn {
    int color = 0;
    std::vector<std::vector<double>> loops; /* x, y pairs */
    std::vector<double> segments;           /* x1, y1, x2, y2 each */
};

class HatchDrawings : public vyrtest::DrawingTest {
protected:
    /* Converts a drawing with the base options (no fit: model coordinates
     * reach the generator unchanged) and returns what each hatch drew, in
     * drawing order. */
    std::vector<Drawn> Convert(const std::string &drawing)
    {
        log = ConvertDrawing(drawing);
        std::vector<Drawn> out;
        int color = 7, fill = 7;
        for (const std::string &line : log) {
            const std::vector<double> n = CallNumbers(line);
            if (line.rfind("SetColor ", 0) == 0) color = static_cast<int>(n[0]);
            if (line.rfind("SetFillColor ", 0) == 0) fill = static_cast<int>(n[0]);
            if (line.rfind("DrawPolygonSet ", 0) == 0) {
                Drawn d;
                d.color = fill;
                const size_t loops = static_cast<size_t>(n[0]);
                size_t at = 1 + loops;
                for (size_t i = 0; i < loops; ++i) {
                    const size_t count = static_cast<size_t>(n[1 + i]);
                    d.loops.emplace_back(n.begin() + static_cast<long>(at),
                                         n.begin() + static_cast<long>(at + 2 * count));
                    at += 2 * count;
                }
                out.push_back(d);
            }
            if (line.rfind("DrawSegments ", 0) == 0) {
                Drawn d;
                d.color = color;
                d.segments.assign(n.begin() + 1, n.end());
                out.push_back(d);
            }
        }
        return out;
    }

    static const Drawn *OfColor(const std::vector<Drawn> &drawn, int color)
    {
        for (const Drawn &d : drawn)
            if (d.color == color) return &d;
        ADD_FAILURE() << "nothing drawn in colour " << color;
        return nullptr;
    }

    /* Even-odd inside test of a point against the loops. */
    static bool Inside(const Drawn &d, double x, double y)
    {
        bool in = false;
        for (const std::vector<double> &loop : d.loops) {
            const size_t n = loop.size() / 2;
            for (size_t i = 0, j = n - 1; i < n; j = i++) {
                const double xi = loop[2 * i], yi = loop[2 * i + 1], xj = loop[2 * j], yj = loop[2 * j + 1];
                if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) in = !in;
            }
        }
        return in;
    }

    std::vector<std::string> log;
};

TEST_F(HatchDrawings, SolidFillsKeepTheirHolesAndIslands)
{
    const std::vector<Drawn> drawn = Convert(Data("hatches.dxf"));
    /* Only the fills and pattern segments: no hatch draws its boundary. */
    for (const std::string &line : log)
        EXPECT_TRUE(line.rfind("DrawLine", 0) != 0 && line.rfind("DrawPolyline", 0) != 0 &&
                    line.rfind("DrawArc", 0) != 0)
            << line;

    struct Probe {
        int color;
        double x, y;
        bool inside;
    };
    const Probe probes[] = {
        {1, 10, 10, true},   {1, 30, 30, false},  {1, 50, 50, true},    {1, 110, 50, false},
        {2, 210, 10, true},  {2, 230, 30, false}, {2, 250, 50, true},   {2, 270, 70, false},
        {4, 650, 25, true},  {4, 720, 25, true},  {4, 580, 25, true},   {4, 724, 40, false},
        {6, 495, 250, true}, {6, 450, 270, true}, {6, 450, 280, false}, {6, 495, 270, false},
        {30, -15, 15, true}, {30, 15, 15, false},
    };
    for (const Probe &p : probes) {
        const Drawn *d = OfColor(drawn, p.color);
        if (d) {
            EXPECT_EQ(Inside(*d, p.x, p.y), p.inside) << "colour " << p.color << " at " << p.x << "," << p.y;
        }
    }
    /* A drawing of hatches alone has something drawn. */
    EXPECT_EQ(messages.find("nothing that is drawn"), std::string::npos) << messages;
    /* The island inside the island is filled again: three loops, even-odd. */
    if (const Drawn *d = OfColor(drawn, 2)) { EXPECT_EQ(d->loops.size(), 3u); }
}

TEST_F(HatchDrawings, CurvedBoundariesLieOnTheirCurves)
{
    const std::vector<Drawn> drawn = Convert(Data("hatches.dxf"));
    /* Every vertex of the slot lies on its straight sides or on one of its
     * half circles (radius 25 about (700,25) and (600,25)); the ellipse's
     * on x²/50² + y²/25² = 1 about (450,250). Within 0.1 % of the size. */
    const Drawn *slot = OfColor(drawn, 4);
    ASSERT_TRUE(slot);
    size_t onArcs = 0;
    for (size_t i = 0; i + 1 < slot->loops[0].size(); i += 2) {
        const double x = slot->loops[0][i], y = slot->loops[0][i + 1];
        const double side = std::min(std::fabs(y), std::fabs(y - 50));
        const double arc = std::min(std::fabs(std::hypot(x - 700, y - 25) - 25),
                                    std::fabs(std::hypot(x - 600, y - 25) - 25));
        EXPECT_LT(std::min(x >= 600 && x <= 700 ? side : 1e9, arc), 0.15) << x << "," << y;
        if (arc < 0.15 && (x > 701 || x < 599)) ++onArcs;
    }
    EXPECT_GT(onArcs, 10u) << "the bulges are drawn as arcs";
    const Drawn *ellipse = OfColor(drawn, 6);
    ASSERT_TRUE(ellipse);
    EXPECT_GT(ellipse->loops[0].size(), 2 * 32u);
    for (size_t i = 0; i + 1 < ellipse->loops[0].size(); i += 2) {
        const double u = (ellipse->loops[0][i] - 450) / 50, v = (ellipse->loops[0][i + 1] - 250) / 25;
        EXPECT_NEAR(u * u + v * v, 1.0, 2e-3);
    }
}

/* Edge paths walked clockwise (counter-clockwise flag 0), as ezdxf writes
 * them: the arc bulges out through (150,50), the elliptic arc through
 * (325,50); every vertex right of the straight edges lies on its curve. */
TEST_F(HatchDrawings, ClockwiseArcEdgesBulgeAsDrawn)
{
    const std::vector<Drawn> drawn = Convert(Data("clockwise_arcs.dxf"));
    struct Case {
        int color;
        double x0;                   /* where the curve starts to the right */
        double cx, cy, rx, ry;       /* the curve: centre, half axes */
        double outX, outY, inX, inY; /* a point inside only on the right side, one only on the wrong */
    };
    const Case cases[] = {
        {1, 100, 100, 50, 50, 50, 140, 50, 60, 50},
        {2, 300, 300, 50, 25, 50, 320, 50, 280, 60},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.color);
        const Drawn *d = OfColor(drawn, c.color);
        ASSERT_TRUE(d);
        ASSERT_EQ(d->loops.size(), 1u);
        size_t onCurve = 0;
        for (size_t i = 0; i + 1 < d->loops[0].size(); i += 2) {
            const double u = (d->loops[0][i] - c.cx) / c.rx, v = (d->loops[0][i + 1] - c.cy) / c.ry;
            if (d->loops[0][i] <= c.x0 + 1e-9) continue;
            EXPECT_NEAR(u * u + v * v, 1.0, 2e-3);
            ++onCurve;
        }
        EXPECT_GT(onCurve, 10u);
        EXPECT_TRUE(Inside(*d, c.outX, c.outY));
        EXPECT_TRUE(Inside(*d, c.inX, c.inY)) << "the square part stays filled";
    }
}

/* Gradient hatches of a drawing of release 2004 (through the
 * down-converter, put on PATH here) are filled with their first colour:
 * its index where the drawing gives one, else the palette colour nearest
 * to its true colour; a plain solid hatch keeps its own colour 5. */
TEST_F(HatchDrawings, GradientsAreFilledWithTheirFirstColour)
{
    const char *path = std::getenv("PATH");
    const std::string saved = path ? path : "";
    ::setenv("PATH", (std::string(VYR_BINARY_DIR) + "/tools:" + saved).c_str(), 1);
    const std::vector<Drawn> drawn = Convert(Data("gradient.dxf"));
    ::setenv("PATH", saved.c_str(), 1);
    ASSERT_EQ(drawn.size(), 3u) << messages;
    const int expected[] = {3, 1, 5};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(drawn[i].color, expected[i]) << i;
        EXPECT_TRUE(Inside(drawn[i], 5.0 + 20.0 * static_cast<double>(i), 5)) << i;
    }
}

TEST_F(HatchDrawings, PatternLinesAreClippedToTheCircle)
{
    const std::vector<Drawn> drawn = Convert(Data("hatches.dxf"));
    const Drawn *ansi = OfColor(drawn, 3);
    ASSERT_TRUE(ansi);
    /* Lines at 45 degrees through (0,0), 5 apart: those whose distance
     * from the centre (450,50) is under 50, twenty of them. */
    ASSERT_EQ(ansi->segments.size(), 20u * 4);
    const double s = std::sqrt(0.5);
    for (size_t i = 0; i < ansi->segments.size(); i += 4) {
        const double *q = &ansi->segments[i];
        EXPECT_NEAR(std::hypot(q[0] - 450, q[1] - 50), 50.0, 0.05);
        EXPECT_NEAR(std::hypot(q[2] - 450, q[3] - 50), 50.0, 0.05);
        EXPECT_NEAR((q[2] - q[0]) * s - (q[3] - q[1]) * s, 0.0, 1e-3) << "45 degrees";
        const double n = -q[0] * s + q[1] * s;
        EXPECT_NEAR(n / 5.0, std::round(n / 5.0), 1e-4) << "on a line of the family";
    }
}

TEST_F(HatchDrawings, DashesStartAtTheBasePoint)
{
    const std::vector<Drawn> drawn = Convert(Data("hatches.dxf"));
    const Drawn *user = OfColor(drawn, 5);
    ASSERT_TRUE(user);
    /* Horizontal lines y = 200, 210 ... 290 (300 is the top edge, which
     * the half-open rule leaves out), dashes of 5 every 7.5 from x = 1:
     * [1,6] [8.5,13.5] ... [98.5,100] cut at the boundary; and the piece
     * [0,0] of the dash that ends at x = -1 is not there. */
    std::map<double, std::vector<std::pair<double, double>>> rows;
    for (size_t i = 0; i < user->segments.size(); i += 4) {
        EXPECT_EQ(user->segments[i + 1], user->segments[i + 3]);
        rows[user->segments[i + 1]].emplace_back(user->segments[i], user->segments[i + 2]);
    }
    ASSERT_EQ(rows.size(), 10u);
    for (auto &row : rows) {
        std::sort(row.second.begin(), row.second.end());
        ASSERT_EQ(row.second.size(), 14u) << "y " << row.first;
        for (size_t j = 0; j < 13; ++j) {
            EXPECT_NEAR(row.second[j].first, 1 + 7.5 * j, 1e-3);
            EXPECT_NEAR(row.second[j].second, 6 + 7.5 * j, 1e-3);
        }
        EXPECT_NEAR(row.second[13].first, 98.5, 1e-3);
        EXPECT_NEAR(row.second[13].second, 100, 1e-3);
    }
}

TEST_F(HatchDrawings, BrokenHatchesEndAndAreBounded)
{
    const std::vector<Drawn> drawn = Convert(Data("broken_hatches.dxf"));
    /* The open path closes by itself; the bow-tie fills its two triangles. */
    if (const Drawn *open = OfColor(drawn, 1)) {
        EXPECT_TRUE(Inside(*open, 50, 50));
        EXPECT_FALSE(Inside(*open, 50, 101));
    }
    if (const Drawn *bowTie = OfColor(drawn, 2)) {
        EXPECT_TRUE(Inside(*bowTie, 210, 50));
        EXPECT_TRUE(Inside(*bowTie, 290, 50));
        EXPECT_FALSE(Inside(*bowTie, 250, 90));
    }
    /* A circle crossing a square: even-odd keeps what only one covers. */
    if (const Drawn *crossed = OfColor(drawn, 5)) {
        EXPECT_TRUE(Inside(*crossed, 820, 50));
        EXPECT_FALSE(Inside(*crossed, 890, 50));
        EXPECT_TRUE(Inside(*crossed, 920, 50));
    }
    /* Spacing 0 and a spacing a millionth of the hatch draw no pattern,
     * with a warning each. */
    for (const Drawn &d : drawn) EXPECT_TRUE(d.color != 3 && d.color != 4) << d.color;
    EXPECT_NE(messages.find("no usable spacing"), std::string::npos) << messages;
    EXPECT_NE(messages.find("more lines than are drawn"), std::string::npos) << messages;
}

/* Distance of (x, y) from the outline of the rectangle (x0,y0)-(x1,y1),
 * measured to the sides it lies beside. */
double FromSquare(double x, double y, double x0, double y0, double x1, double y1)
{
    double d = 1e9;
    if (x >= x0 && x <= x1) d = std::min({d, std::fabs(y - y0), std::fabs(y - y1)});
    if (y >= y0 && y <= y1) d = std::min({d, std::fabs(x - x0), std::fabs(x - x1)});
    return d;
}

TEST_F(HatchDrawings, DecodedAreasLieOnTheirBoundaries)
{
    /* The metafile itself, decoded: every vertex of the two squares with
     * holes and of the slot lies on the boundary the script drew, within
     * 0.1 % of the hatch's size; the patterns reach it as DISJOINT
     * POLYLINE. */
    VyrDxf2Cgm converter;
    ASSERT_EQ(converter.Convert(Data("hatches.dxf").c_str(), picture.Path().c_str()), 0) << messages;
    const std::vector<uint8_t> bytes = picture.Read();
    CgmDecoder decoder;
    ASSERT_TRUE(decoder.Decode(bytes.data(), bytes.size())) << decoder.Error();
    const std::vector<std::string> sets = decoder.Lines("POLYGON SET");
    ASSERT_EQ(sets.size(), 5u) << "two squares, the slot, the ellipse, the mirrored square";
    const struct {
        const char *what;
        double size;
        double (*distance)(double, double);
    } areas[] = {
        {"square with a hole", 100,
         [](double x, double y) {
             return std::min(FromSquare(x, y, 0, 0, 100, 100), FromSquare(x, y, 20, 20, 40, 40));
         }},
        {"square with two islands", 100,
         [](double x, double y) {
             return std::min({FromSquare(x, y, 200, 0, 300, 100), FromSquare(x, y, 220, 20, 280, 80),
                              FromSquare(x, y, 240, 40, 260, 60)});
         }},
        {"slot", 150,
         [](double x, double y) {
             return std::min({FromSquare(x, y, 600, 0, 700, 50), std::fabs(std::hypot(x - 700, y - 25) - 25),
                              std::fabs(std::hypot(x - 600, y - 25) - 25)});
         }},
    };
    for (size_t i = 0; i < std::size(areas); ++i) {
        /* x, y and the edge flag of each vertex */
        const std::vector<double> n = vyrtest::ListedNumbers(sets[i]);
        ASSERT_EQ(n.size() % 3, 0u) << sets[i];
        ASSERT_GE(n.size(), 12u) << sets[i];
        for (size_t k = 0; k + 2 < n.size(); k += 3)
            EXPECT_LE(areas[i].distance(n[k], n[k + 1]), 1e-3 * areas[i].size)
                << areas[i].what << " at " << n[k] << "," << n[k + 1];
    }
    EXPECT_GE(decoder.Lines("DISJOINT POLYLINE").size(), 2u);
}

/* The bundled sample's hatches, right of the plate below the texts: a green square with a
 * round hole, red 45 degree lines in a circle, a blue square with two
 * nested islands, magenta crossing dashes in a slot with round ends. */
TEST_F(HatchDrawings, TheBundledSample)
{
    const std::vector<Drawn> drawn = Convert(std::string(VYR_TEST_DATA_DIR) + "/../../examples/sample.dxf");
    const Drawn *holed = OfColor(drawn, 3), *lines = OfColor(drawn, 1), *islands = OfColor(drawn, 5),
                *dashes = OfColor(drawn, 6);
    ASSERT_TRUE(holed && lines && islands && dashes);
    EXPECT_EQ(holed->loops.size(), 2u);
    EXPECT_TRUE(Inside(*holed, 13600, -5900));
    EXPECT_FALSE(Inside(*holed, 15000, -4500));
    EXPECT_EQ(islands->loops.size(), 3u);
    EXPECT_TRUE(Inside(*islands, 15000, -9000));
    EXPECT_FALSE(Inside(*islands, 15000, -8300));
    /* lines 150 apart across a circle of radius 1500: 20 */
    EXPECT_EQ(lines->segments.size(), 20u * 4);
    /* dashes of 300 in two directions: many, each at most 300 long */
    EXPECT_GT(dashes->segments.size(), 4u * 40);
    for (size_t i = 0; i + 3 < dashes->segments.size(); i += 4)
        EXPECT_LE(std::hypot(dashes->segments[i + 2] - dashes->segments[i],
                             dashes->segments[i + 3] - dashes->segments[i + 1]),
                  300.01);
}

TEST(HatchBoundary, DrawsItsElementsOnlyWhileVisible)
{
    VyrRecordingScope recording;
    VyrPrintGenerator *generator = new VyrRecordingGenerator();
    VyrMathTransformation2D identity(VyrMathO2D, 1.0, VyrMathScaling);
    for (int visible : {1, 0}) {
        VyrRecordingGenerator::Reset();
        VyrDxfBoundary boundary(nullptr, nullptr);
        EXPECT_EQ(boundary.AddElement(new VyrDxfLine(0, 0, 1, 1, nullptr)), 0);
        EXPECT_EQ(boundary.AddElement(new VyrDxfLine(1, 1, 2, 0, nullptr)), 0);
        EXPECT_EQ(boundary.GetSize(), 2);
        boundary.SetVisibility(visible);
        EXPECT_EQ(boundary.Write(generator, &identity), 0);
        EXPECT_EQ(VyrRecordingGenerator::Lines("DrawLine ").size(), visible ? 2u : 0u);
    }
    generator->Release();
}

} // namespace

namespace {

/* Hatch records made in the model directly, with what no writer puts in a
 * file: counts beyond their arrays, numbers that are not numbers. */
class HatchRecords : public vyrtest::Dxf2CgmTest {
protected:
    struct Family {
        double angle, offsetY;
        std::vector<double> dashes;
    };
    /* A hatch over the square (0,0)-(100,100) of four line edges, with
     * counts claimed beyond the arrays. */
    db_ptr Hatch(bool solid, const std::vector<Family> &families)
    {
        db_ptr ptr;
        dxf_hatch *rec = Begin<dxf_hatch>(DXFI_TF_dxf_hatch, ptr);
        SetCommon(rec->dxfhdr, vyrtest::Color(3));
        rec->solidfill = solid ? 1 : 0;
        dxf_hatch_path *path = Array<dxf_hatch_path>(rec, &rec->path, 1);
        rec->numpath = INT32_MAX;
        path->pathflag = 1;
        dxf_hatch_path_seg *segs = Array<dxf_hatch_path_seg>(rec, &path->seg, 4);
        path->nseg = INT32_MAX;
        const double corner[5][2] = {{0, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 0}};
        for (int i = 0; i < 4; ++i) {
            segs[i].selector = DXF_HATCH_SEG_LINE;
            segs[i].line.start[0] = corner[i][0];
            segs[i].line.start[1] = corner[i][1];
            segs[i].line.end[0] = corner[i + 1][0];
            segs[i].line.end[1] = corner[i + 1][1];
        }
        if (!families.empty()) {
            dxf_hatch_hatchlines *lines = Array<dxf_hatch_hatchlines>(rec, &rec->hatchlines, families.size());
            rec->numdeflines = static_cast<int32_t>(families.size());
            for (size_t i = 0; i < families.size(); ++i) {
                lines[i].lineangle = families[i].angle;
                lines[i].offset[1] = families[i].offsetY;
                if (families[i].dashes.empty()) continue;
                double *d = Array<double>(rec, &lines[i].dashlength, families[i].dashes.size());
                std::copy(families[i].dashes.begin(), families[i].dashes.end(), d);
                lines[i].numdash = INT32_MAX;
            }
        }
        End(ptr, false);
        return ptr;
    }
};

TEST_F(HatchRecords, CountsAndNumbersAreBounded)
{
    const double nan = std::nan("");
    struct Case {
        const char *what;
        bool solid;
        std::vector<Family> families;
        size_t polygonSets, segments;
        const char *warning;
    };
    const Case cases[] = {
        {"solid, counts beyond the arrays", true, {}, 1, 0, nullptr},
        {"a line every 10", false, {{0, 10, {}}}, 0, 10, nullptr},
        {"spacing not a number", false, {{0, nan, {}}}, 0, 0, "no usable spacing"},
        {"angle not a number", false, {{nan, 10, {}}}, 0, 0, "no usable spacing"},
        {"more dashes than are drawn",
         false,
         {{0, 1, {1e-3, -1e-3}}},
         0,
         VyrDxfHatch::kMaxSegments,
         "more dashes than are drawn"},
        {"only gaps", false, {{0, 10, {-1}}}, 0, 0, nullptr},
    };
    VyrDxf2CgmRegisterMessages();
    std::string &messages = vyrtest::DrawingMessages();
    for (const Case &c : cases) {
        messages.clear();
        mpm_SetOutputRoutine(vyrtest::KeepMessage);
        VyrDxfHatch hatch(Hatch(c.solid, c.families), nullptr, nullptr);
        const std::vector<std::string> log = vyrtest::Record(hatch);
        mpm_SetOutputRoutine(nullptr);
        const std::vector<std::string> sets = vyrtest::Only(log, "DrawPolygonSet ");
        EXPECT_EQ(sets.size(), c.polygonSets) << c.what;
        if (!sets.empty()) {
            EXPECT_EQ(CallNumbers(sets[0])[0], 1.0) << c.what;
            EXPECT_EQ(CallNumbers(sets[0])[1], 4.0) << c.what;
        }
        size_t segments = 0;
        for (const std::string &line : vyrtest::Only(log, "DrawSegments "))
            segments += static_cast<size_t>(CallNumbers(line)[0]);
        EXPECT_EQ(segments, c.segments) << c.what;
        if (c.warning) {
            EXPECT_NE(messages.find(c.warning), std::string::npos) << c.what << ": " << messages;
        } else {
            EXPECT_EQ(messages, "") << c.what;
        }
    }
}

} // namespace
