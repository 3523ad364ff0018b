/* Dimensions, leaders and multilines drawn: the drawing that ezdxf wrote
 * (tests/data/annotation, see make_annotation.py) is converted with the
 * recording generator in place of the CGM generator, and each figure is
 * looked up by where it lies, with the colour and line type it was drawn
 * in. */
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "Dxf2Cgm/VyrDxf2Cgm.h"
#include "Dxf2Cgm/VyrDxfAttributesConverter.h"
#include "Dxf2Cgm/VyrDxfLeader.h"
#include "Dxf2Cgm/VyrDxfMline.h"
#include "dxf2cgm_fixture.h"
#include "kernel/mpm/mpm.h"
#include "platform/base/VyrUnicodeString.h"
#include "support/VyrRecordingGenerator.h"
#include "support/VyrTempFile.h"

namespace {

std::string messages;
void Capture(const char *line, FILE *) { messages += line; }

struct Xy {
    double x, y;
};

/* One primitive the generator drew, with the attributes current then. */
struct Figure {
    std::string kind; /* DrawLine, DrawPolyline, DrawCurve, DrawPolygon, DrawText */
    std::vector<Xy> points;
    int color, fillColor, lineType;
    std::string text;
};

std::vector<Figure> FiguresOf(const std::vector<std::string> &log)
{
    std::vector<Figure> out;
    int color = 7, fillColor = 7, lineType = 0;
    for (const std::string &line : log) {
        const char *s = line.c_str();
        char *end = nullptr;
        if (line.rfind("SetColor ", 0) == 0) color = std::atoi(s + 9);
        if (line.rfind("SetFillColor ", 0) == 0) fillColor = std::atoi(s + 13);
        if (line.rfind("SetLineType ", 0) == 0) lineType = std::atoi(s + 12);
        const size_t space = line.find(' ');
        const std::string kind = line.substr(0, space);
        if (kind != "DrawLine" && kind != "DrawPolyline" && kind != "DrawCurve" && kind != "DrawPolygon" &&
            kind != "DrawText")
            continue;
        Figure f{kind, {}, color, fillColor, lineType, ""};
        end = const_cast<char *>(s + space);
        const long n = kind == "DrawLine" ? 2 : kind == "DrawText" ? 1 : std::strtol(end, &end, 10);
        for (long i = 0; i < n; ++i) {
            const double x = std::strtod(end, &end);
            const double y = std::strtod(end, &end);
            f.points.push_back({x, y});
        }
        if (kind == "DrawText") f.text = line.substr(line.find('"'));
        out.push_back(f);
    }
    return out;
}

bool Near(const Xy &a, double x, double y, double tolerance = 1e-3)
{
    return std::fabs(a.x - x) < tolerance && std::fabs(a.y - y) < tolerance;
}

/* The figures of `kind` that start at (x, y). */
std::vector<Figure> StartingAt(const std::vector<Figure> &figures, const std::string &kind, double x,
                               double y)
{
    std::vector<Figure> out;
    for (const Figure &f : figures)
        if (f.kind == kind && !f.points.empty() && Near(f.points[0], x, y)) out.push_back(f);
    return out;
}

/* Every figure with a point in the box (x0, y0)-(x1, y1). */
std::vector<Figure> Within(const std::vector<Figure> &figures, double x0, double y0, double x1, double y1)
{
    std::vector<Figure> out;
    for (const Figure &f : figures)
        for (const Xy &p : f.points)
            if (p.x >= x0 && p.x <= x1 && p.y >= y0 && p.y <= y1) {
                out.push_back(f);
                break;
            }
    return out;
}

int GeneratorLineType(const char *name)
{
    return VyrDxfAttributesConverter::GetLineType(
        VyrDxfAttributesConverter::GetVyrLineType(VyrUnicodeString(name)));
}

class AnnotationDrawing : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        messages.clear();
        mpm_SetOutputRoutine(Capture);
        const vyrtest::RecordedConversion r = vyrtest::RecordConversion(
            vyrtest::TestData("annotation", "annotation.dxf"), VyrTempFile().Path());
        status = r.status;
        results = r.results;
        figures = FiguresOf(r.log);
        mpm_SetOutputRoutine(nullptr);
    }

    static int status;
    static ZelResults results;
    static std::vector<Figure> figures;
};

int AnnotationDrawing::status = -1;
ZelResults AnnotationDrawing::results{};
std::vector<Figure> AnnotationDrawing::figures;

TEST_F(AnnotationDrawing, Converts)
{
    EXPECT_EQ(status, 0) << messages;
    EXPECT_EQ(results.word[ZelMlines], 2u);
    EXPECT_EQ(results.word[ZelLeaders], 5u);
    EXPECT_EQ(results.word[ZelDimensions], 7u);
}

/* The two-line style "TWO": offsets 0.5 and -0.5 along the miters, colours 1
 * and 3, the second line DASHED. The open multiline's flags are 1, which
 * only says that it has vertices. */
TEST_F(AnnotationDrawing, MultilinesFollowTheirMitersAndStyle)
{
    const int continuous = GeneratorLineType("CONTINUOUS"), dashed = GeneratorLineType("DASHED");
    ASSERT_NE(continuous, dashed);
    struct Case {
        const char *what;
        double x, y;   /* the line's first point */
        size_t points; /* closed lines come back to it */
        double mx, my; /* its point at the second vertex */
        int color, lineType;
    };
    const double corner = std::sqrt(0.5) * std::sqrt(0.5); /* the miter at (10, 20) times its 0.7071 */
    const Case cases[] = {
        {"open, line 1", 0, 0.5, 2, 10, 0.5, 1, continuous},
        {"open, line 2", 0, -0.5, 2, 10, -0.5, 3, dashed},
        {"closed, line 1", 0 + 0.5 * 0.0, 0, 4, 10 - corner, 20 + corner, 1, continuous},
        {"closed, line 2", 0, 0, 4, 10 + corner, 20 - corner, 3, dashed},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<Figure> found;
        for (const Figure &f : Within(figures, -5, -5, 15, 35))
            if (f.kind == "DrawPolyline" && f.points.size() == c.points && Near(f.points[1], c.mx, c.my))
                found.push_back(f);
        ASSERT_EQ(found.size(), 1u);
        const Figure &f = found[0];
        if (c.points == 2) {
            EXPECT_TRUE(Near(f.points[0], c.x, c.y));
        } else {
            EXPECT_TRUE(Near(f.points[0], f.points[3].x, f.points[3].y)) << "closed back to its start";
        }
        EXPECT_EQ(f.color, c.color);
        EXPECT_EQ(f.lineType, c.lineType);
    }
    /* nothing else: two lines of each multiline */
    size_t multilineFigures = 0;
    for (const Figure &f : Within(figures, -5, -5, 15, 35)) multilineFigures += f.kind == "DrawPolyline";
    EXPECT_EQ(multilineFigures, 4u);
}

/* The style "CAPS" of mlines.dxf: filled in colour 4 between its two
 * lines, a square cap at the start and a half circle at the end of each open
 * multiline unless it suppresses the cap; the closed one fills its ring and
 * has no caps. */
TEST(MultilineCaps, FillsAndCapsFollowTheStyle)
{
    const vyrtest::RecordedConversion r =
        vyrtest::RecordConversion(vyrtest::TestData("annotation", "mlines.dxf"), VyrTempFile().Path());
    ASSERT_EQ(r.status, 0);
    const std::vector<std::string> &log = r.log;
    const std::vector<Figure> figures = FiguresOf(log);
    struct Case {
        double y;      /* of the multiline */
        bool startCap; /* square, across x 0 */
    };
    for (const Case &c : {Case{0, true}, Case{20, false}}) {
        SCOPED_TRACE(c.y);
        const std::vector<Figure> fills = StartingAt(figures, "DrawPolygon", 0, c.y + 0.5);
        ASSERT_EQ(fills.size(), 1u);
        ASSERT_EQ(fills[0].points.size(), 4u);
        EXPECT_TRUE(Near(fills[0].points[2], 10, c.y - 0.5));
        EXPECT_EQ(fills[0].fillColor, 4);
        size_t square = 0;
        for (const Figure &f : StartingAt(figures, "DrawPolyline", 0, c.y + 0.5))
            square += f.points.size() == 2 && Near(f.points[1], 0, c.y - 0.5);
        EXPECT_EQ(square, c.startCap ? 1u : 0u);
        const std::vector<Figure> round = StartingAt(figures, "DrawPolyline", 10, c.y + 0.5);
        size_t halfCircles = 0;
        for (const Figure &f : round) {
            if (f.points.size() < 3) continue;
            ++halfCircles;
            EXPECT_TRUE(Near(f.points.back(), 10, c.y - 0.5));
            EXPECT_TRUE(Near(f.points[f.points.size() / 2], 10.5, c.y)) << "beyond the end";
        }
        EXPECT_EQ(halfCircles, 1u);
    }
    size_t rings = 0;
    for (const std::string &line : log) rings += line.rfind("DrawPolygonSet 2 3 3 ", 0) == 0;
    EXPECT_EQ(rings, 1u) << "the closed multiline's ring";
    size_t closedLines = 0;
    for (const Figure &f : Within(figures, -2, 38, 12, 52)) closedLines += f.kind == "DrawPolyline";
    EXPECT_EQ(closedLines, 2u) << "its two lines, no cap";
}

/* Arrows of DIMASZ 2 x DIMSCALE 1.5 of the style "ARROWS"; the leader whose
 * style is missing takes the header's 4 x 0.5. */
TEST_F(AnnotationDrawing, LeaderPathsAndArrowheads)
{
    struct Case {
        const char *what;
        double x, y;   /* first vertex, the arrow's tip */
        double ux, uy; /* direction of the first segment */
        const char *path;
        size_t vertices;
        double arrow; /* 0: no arrowhead */
    };
    const double d = std::sqrt(0.5);
    const Case cases[] = {
        {"three vertices with arrowhead", 100, 0, d, d, "DrawPolyline", 3, 3.0},
        {"without arrowhead", 100, 50, d, d, "DrawPolyline", 2, 0.0},
        {"spline path", 100, 100, d, d, "DrawCurve", 3, 0.0},
        {"style missing: the header's size", 200, 50, 1, 0, "DrawPolyline", 2, 2.0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(StartingAt(figures, c.path, c.x, c.y).size(), 1u);
        EXPECT_EQ(StartingAt(figures, c.path, c.x, c.y)[0].points.size(), c.vertices);
        const std::vector<Figure> arrows = StartingAt(figures, "DrawPolygon", c.x, c.y);
        if (c.arrow == 0.0) {
            EXPECT_TRUE(arrows.empty());
            continue;
        }
        ASSERT_EQ(arrows.size(), 1u);
        ASSERT_EQ(arrows[0].points.size(), 3u);
        const Xy &a = arrows[0].points[1], &b = arrows[0].points[2];
        const double bx = (a.x + b.x) / 2 - c.x, by = (a.y + b.y) / 2 - c.y;
        EXPECT_NEAR(bx, c.ux * c.arrow, 1e-3) << "the back of the arrow lies along the first segment";
        EXPECT_NEAR(by, c.uy * c.arrow, 1e-3);
        EXPECT_NEAR(std::hypot(a.x - b.x, a.y - b.y), c.arrow / 3, 1e-3) << "a third as wide as long";
        EXPECT_EQ(arrows[0].fillColor, StartingAt(figures, c.path, c.x, c.y)[0].color);
    }
    EXPECT_TRUE(Within(figures, 199, -1, 202, 1).empty()) << "a leader of one vertex draws nothing";
}

/* The dimension of colour 1 on the white layer: its block's BYBLOCK line
 * takes the dimension's colour, its layer-0 BYLAYER line the dimension's
 * layer, the line of colour 3 keeps it. The dimension whose block is empty
 * draws nothing and breaks nothing. */
TEST_F(AnnotationDrawing, DimensionBlocksTakeTheDimensionsProperties)
{
    struct Case {
        double y;
        int color;
    };
    for (const Case &c : {Case{0, 1}, Case{1, 7}, Case{2, 3}}) {
        SCOPED_TRACE(c.y);
        const std::vector<Figure> found = StartingAt(figures, "DrawLine", 300, c.y);
        ASSERT_EQ(found.size(), 1u);
        EXPECT_TRUE(Near(found[0].points[1], 310, c.y));
        EXPECT_EQ(found[0].color, c.color);
    }
}

/* The dimensions ezdxf drew itself: their lines and numbers where ezdxf put
 * them. */
TEST_F(AnnotationDrawing, RenderedDimensionsAreDrawn)
{
    EXPECT_EQ(
        StartingAt(figures, "DrawLine", 0, 105).size() + StartingAt(figures, "DrawLine", 10, 105).size(), 1u)
        << "the linear dimension's line at y 105";
    for (const double x : {0.0, 20.0, 40.0, 65.0, 80.0})
        EXPECT_FALSE(Within(figures, x, 95, x + 15, 115).empty()) << x;
}

/* Dimensions without blocks (dimensions.dxf): drawn from their definition
 * points in the style "PLAIN", whose arrows and texts are 2 long, extension
 * lines start 1 from their origins and reach 2 beyond, texts stand 1 above
 * their lines. */
class UnrenderedDimensions : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const vyrtest::RecordedConversion r = vyrtest::RecordConversion(
            vyrtest::TestData("annotation", "dimensions.dxf"), VyrTempFile().Path());
        status = r.status;
        figures = FiguresOf(r.log);
    }

    static bool Has(const std::string &kind, double x1, double y1, double x2, double y2)
    {
        for (const Figure &f : figures)
            if (f.kind == kind && f.points.size() >= 2 && Near(f.points.front(), x1, y1, 1e-2) &&
                Near(f.points.back(), x2, y2, 1e-2))
                return true;
        return false;
    }

    static int status;
    static std::vector<Figure> figures;
};

int UnrenderedDimensions::status = -1;
std::vector<Figure> UnrenderedDimensions::figures;

TEST_F(UnrenderedDimensions, LinesAndArrowsWhereTheDefinitionPointsPutThem)
{
    ASSERT_EQ(status, 0);
    const double r = std::sqrt(50.0); /* the angle's arc through (85, 5) around (80, 0) */
    struct Case {
        const char *what;
        const char *kind;
        double x1, y1, x2, y2;
    };
    const Case cases[] = {
        {"horizontal: its line at y 5", "DrawLine", 0, 5, 10, 5},
        {"horizontal: first extension line", "DrawLine", 0, 1, 0, 7},
        {"horizontal: second extension line", "DrawLine", 10, 1, 10, 7},
        {"vertical: its line at x 25", "DrawLine", 25, 0, 25, 12.5},
        {"vertical: extension line", "DrawLine", 21, 12.5, 27, 12.5},
        {"aligned: 2 to the left of (30, 0)-(36, 8)", "DrawLine", 28.4, 1.2, 34.4, 9.2},
        {"radius: centre to circle", "DrawLine", 50, 0, 55, 0},
        {"diameter: across the circle", "DrawLine", 70, 3, 70, -3},
        {"angle: the arc", "DrawPolyline", 80 + r, 0, 80, r},
        {"angle: extension line from (90, 0) in to the arc", "DrawLine", 89, 0, 80 + r - 2, 0},
        {"ordinate: from the feature to the leader's end", "DrawLine", 100, 4, 100, 10},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_TRUE(Has(c.kind, c.x1, c.y1, c.x2, c.y2) || Has(c.kind, c.x2, c.y2, c.x1, c.y1));
    }
    /* arrowheads: tip on the measured point, 2 long back along the line */
    struct Arrow {
        double tipX, tipY, backX, backY;
    };
    for (const Arrow &a : {Arrow{0, 5, 2, 5}, Arrow{10, 5, 8, 5}, Arrow{55, 0, 53, 0}, Arrow{70, -3, 70, -1},
                           Arrow{70, 3, 70, 1}}) {
        SCOPED_TRACE(std::to_string(a.tipX) + " " + std::to_string(a.tipY));
        const std::vector<Figure> arrows = StartingAt(figures, "DrawPolygon", a.tipX, a.tipY);
        ASSERT_EQ(arrows.size(), 1u);
        const Xy &p = arrows[0].points[1], &q = arrows[0].points[2];
        EXPECT_TRUE(Near({(p.x + q.x) / 2, (p.y + q.y) / 2}, a.backX, a.backY));
    }
    EXPECT_TRUE(StartingAt(figures, "DrawPolygon", 50, 0).empty()) << "a radius has one arrow";
    EXPECT_TRUE(Within(figures, -5, -30, 5, -15).empty()) << "coincident points measure nothing";
}

TEST_F(UnrenderedDimensions, MeasurementsFormattedByTheStyle)
{
    struct Case {
        const char *text; /* as the recorder quotes it */
        double x, y;      /* the middle of the text */
    };
    const Case cases[] = {
        {"\"10\"", 5, 7},         /* 2 decimals, trailing zeros left out */
        {"\"12.5\"", 23, 6.25},   /* read upwards: above is to the left */
        {"\"10 mm\"", 0, 0},      /* the dimension's own text around "<>" */
        {"\"R5\"", 52.5, 2},      /* a radius */
        {"\"90.0\u00b0\"", 0, 0}, /* angles with their own decimals */
        {"\"5\"", 0, 0},          /* the ordinate's x from its origin */
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<Figure> found;
        for (const Figure &f : figures)
            if (f.kind == "DrawText" && f.text == c.text) found.push_back(f);
        ASSERT_EQ(found.size(), 1u);
        if (c.x != 0 || c.y != 0) { EXPECT_TRUE(Near(found[0].points[0], c.x, c.y)); }
    }
    size_t diameters = 0;
    for (const Figure &f : figures)
        diameters += f.kind == "DrawText" && f.text.size() > 2 && f.text.substr(f.text.size() - 2) == "6\"";
    EXPECT_EQ(diameters, 1u) << "the diameter's 6 after its sign";
}

/* The bundled sample's annotation (examples/add_annotation.py): each
 * dimension, the leader and both lines of the multiline reach the picture,
 * in the colour 6 that the dimensions hand to their BYBLOCK contents. */
TEST(AnnotationSample, EveryKindIsDrawn)
{
    const vyrtest::RecordedConversion r =
        vyrtest::RecordConversion(vyrtest::TestData("..", "../examples/sample.dxf"), VyrTempFile().Path());
    ASSERT_EQ(r.status, 0);
    const ZelResults &results = r.results;
    EXPECT_EQ(results.word[ZelDimensions], 5u);
    EXPECT_EQ(results.word[ZelLeaders], 1u);
    EXPECT_EQ(results.word[ZelMlines], 1u);
    const std::vector<Figure> figures = FiguresOf(r.log);
    struct Case {
        const char *what;
        double x0, y0, x1, y1; /* a box the figure reaches into */
        int color;
    };
    const Case cases[] = {
        {"linear: its line at y 7300", -8600, 7250, -8400, 7350, 6},
        {"aligned: its line at x 11200", 11150, -4600, 11250, -4400, 6},
        {"radial: to the circle at 135 degrees", -2750, 2620, -2620, 2750, 6},
        {"ordinate: its leader below the hole", -8600, -7000, -7400, -6000, 6},
        {"leader: from the hole's edge", -9300, 3700, -9100, 3900, 6},
        {"multiline: its outer line at y -7450, DASHED", 3300, -7500, 3400, -7400, 5},
        {"multiline: its inner line at y -7150, BYLAYER", 3600, -7200, 3700, -7100, 7},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        size_t inColor = 0;
        for (const Figure &f : Within(figures, c.x0, c.y0, c.x1, c.y1)) inColor += f.color == c.color;
        EXPECT_GT(inColor, 0u);
    }
    /* the dimensions' numbers, texts of their blocks */
    for (const char *number : {"\"17000\"", "\"9000\"", "\"45", "\"R3800\"", "\"8500\""}) {
        SCOPED_TRACE(number);
        size_t drawn = 0;
        for (const Figure &f : figures) drawn += f.text.rfind(number, 0) == 0 && f.color == 6;
        EXPECT_EQ(drawn, 1u);
    }
}

/* Counts of the record beyond the arrays behind them, as a damaged model
 * could hold them: only what the arrays hold is read. */
class AnnotationRecords : public vyrtest::Dxf2CgmTest {};

TEST_F(AnnotationRecords, CountsBeyondTheArraysReadOnlyTheArrays)
{
    db_ptr leader;
    dxf_leader *l = Begin<dxf_leader>(DXFI_TF_dxf_leader, leader);
    SetCommon(l->dxfhdr, vyrtest::Props());
    l->numvtx = 2147483647;
    double *v = Array<double>(l, &l->vertex, 6);
    const double path[] = {0, 0, 0, 10, 0, 0};
    std::copy(path, path + 6, v);
    End(leader, false);

    db_ptr mline;
    dxf_mline *m = Begin<dxf_mline>(DXFI_TF_dxf_mline, mline);
    SetCommon(m->dxfhdr, vyrtest::Props());
    m->numvtx = 2147483647;
    m->numlines = 2147483647;
    dxf_mline_vertex *vertices = Array<dxf_mline_vertex>(m, &m->vertex, 2);
    for (int i = 0; i < 2; ++i) {
        vertices[i].xyzloc[0] = 10.0 * i;
        vertices[i].miter[1] = 1.0;
        /* two lines at each vertex, the second without parameters */
        dxf_mline_vertex_lineparms *p = Array<dxf_mline_vertex_lineparms>(m, &vertices[i].lineparms, 2);
        p[0].numparm = 1000;
        Array<double>(m, &p[0].parameter, 1)[0] = 0.5;
        p[1].numparm = 3;
    }
    End(mline, false);

    VyrDxfLeader drawnLeader(leader, nullptr, nullptr);
    double *points = nullptr;
    int count = 0;
    drawnLeader.GetVertices(points, count);
    delete[] points;
    EXPECT_EQ(count, 2);
    EXPECT_EQ(vyrtest::Only(vyrtest::Record(drawnLeader), "DrawPolyline"),
              std::vector<std::string>{"DrawPolyline 2 0 0 10 0"});

    VyrDxfMline drawnMline(mline, nullptr, nullptr);
    EXPECT_EQ(drawnMline.GetVertexCount(), 2);
    double x = 0, y = 0;
    EXPECT_FALSE(drawnMline.GetPoint(0, 1, x, y)) << "a line without parameters has no point";
    EXPECT_EQ(vyrtest::Only(vyrtest::Record(drawnMline), "DrawPolyline"),
              std::vector<std::string>{"DrawPolyline 2 0 0.5 10 0.5"});
}

} // namespace
