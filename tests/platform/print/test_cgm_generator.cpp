/* The CGM generator, checked by decoding what it wrote: descriptors, the
 * element of every operation, attributes written only when they change,
 * colour indices outside the table, long forms and partitions, text
 * placement from font metrics, both profiles, versions and bad input. */
#include "support/CgmCapture.h"
#include "support/VyrTempFile.h"

#include "platform/base/VyrUnicodeString.h"
#include "platform/font/VyrFont.h"
#include "platform/font/VyrGlyphOutlines.h"
#include "platform/print/VyrCurveGeometry.h"
#include "platform/print/VyrPrintParameters.h"
#include "tools/cgmdecode/CgmDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <string>

namespace {

/* The driver's set-up: a 32400 square centred on the origin. */
void DriverSetUp(VyrPrintCGMGenerator &g)
{
    ASSERT_EQ(g.SetExtent(32400, 32400), 0);
    VyrPrintParameters p;
    p.SetScale(1.0f);
    p.SetMargins(0, 0, 0, 0);
    p.SetPosition(0, 0);
    p.GetCurrentForm()->SetSize(32400, 32400, VyrPrintUnitMillimetre);
    ASSERT_EQ(g.SetParameters(p), 0);
    ASSERT_EQ(g.SetViewport(0, 0, 32400, 32400), 0);
    ASSERT_EQ(g.SetOrigin(16200, 16200), 0);
}

/* A capture whose generator has the driver's set-up. */
struct DriverCapture : CgmCapture {
    explicit DriverCapture(VyrCgmProfile profile = VyrCgmProfileStandard) : CgmCapture(profile)
    {
        DriverSetUp(Generator());
    }
};

size_t Count(const std::vector<std::string> &names, const std::string &name)
{
    return static_cast<size_t>(std::count(names.begin(), names.end(), name));
}

/* The numbers of a listing line, in order. */
std::vector<double> Numbers(const std::string &line) { return CgmDecoder::sNumbers(line); }

/* Every number of a listing line against its expected value. */
void ExpectNumbers(const std::string &line, const std::vector<double> &want, double tolerance)
{
    const std::vector<double> v = Numbers(line);
    ASSERT_EQ(v.size(), want.size()) << line;
    for (size_t i = 0; i < v.size(); ++i) EXPECT_NEAR(v[i], want[i], tolerance) << line << ": value " << i;
}
} // namespace

TEST(CgmGenerator, MetafileAndPictureDescriptors)
{
    DriverCapture cap;
    cap->DrawLine(-100, 0, 100, 50);
    cap.Finish();
    std::vector<std::string> n = cap.Names();
    std::vector<std::string> head(n.begin(), n.begin() + 20);
    std::vector<std::string> expected = {"BEGIN METAFILE",
                                         "METAFILE VERSION",
                                         "METAFILE DESCRIPTION",
                                         "VDC TYPE",
                                         "COLOUR INDEX PRECISION",
                                         "MAXIMUM COLOUR INDEX",
                                         "METAFILE ELEMENT LIST",
                                         "METAFILE DEFAULTS REPLACEMENT",
                                         "VDC REAL PRECISION",
                                         "FONT LIST",
                                         "CHARACTER SET LIST",
                                         "CHARACTER CODING ANNOUNCER",
                                         "BEGIN PICTURE",
                                         "LINE WIDTH SPECIFICATION MODE",
                                         "MARKER SIZE SPECIFICATION MODE",
                                         "EDGE WIDTH SPECIFICATION MODE",
                                         "VDC EXTENT",
                                         "BACKGROUND COLOUR",
                                         "BEGIN PICTURE BODY",
                                         "LINE COLOUR"};
    EXPECT_EQ(head, expected);
    EXPECT_EQ(cap.Lines("METAFILE VERSION")[0], "METAFILE VERSION 3");
    EXPECT_EQ(cap.Lines("VDC TYPE")[0], "VDC TYPE real");
    EXPECT_EQ(cap.Lines("VDC REAL PRECISION")[0], "VDC REAL PRECISION floating 9 23");
    EXPECT_EQ(cap.Lines("COLOUR INDEX PRECISION")[0], "COLOUR INDEX PRECISION 16");
    EXPECT_EQ(cap.Lines("MAXIMUM COLOUR INDEX")[0], "MAXIMUM COLOUR INDEX 255");
    EXPECT_EQ(cap.Lines("METAFILE ELEMENT LIST")[0], "METAFILE ELEMENT LIST 2 (-1,1) (-1,5)");
    EXPECT_NE(cap.Lines("FONT LIST")[0].find("\"Helvetica\" \"Helvetica-Bold\""), std::string::npos);
    EXPECT_EQ(cap.Lines("CHARACTER SET LIST")[0], "CHARACTER SET LIST 0 \"B\" 1 \"A\" 4 \"%/I\"");
    /* the page with a margin of 1 % of its side */
    EXPECT_EQ(cap.Lines("VDC EXTENT")[0], "VDC EXTENT (-16524,-16524) (16524,16524)");
    EXPECT_EQ(cap.Lines("BACKGROUND COLOUR")[0], "BACKGROUND COLOUR (255,255,255)");
    EXPECT_EQ(cap.Lines("LINE COLOUR")[0], "LINE COLOUR 7");
    EXPECT_EQ(cap.Lines("LINE WIDTH")[0], "LINE WIDTH 0.13");
    EXPECT_EQ(cap.Lines("POLYLINE")[0], "POLYLINE (-100,0) (100,50)");
    EXPECT_EQ(n[n.size() - 2], "END PICTURE");
    EXPECT_EQ(n.back(), "END METAFILE");
}

TEST(CgmGenerator, ColourTableAndColoursOutsideIt)
{
    DriverCapture cap;
    for (int i = 1; i <= 255; ++i) ASSERT_EQ(cap->DefineColor(i, i / 255.0f, 0.0f, 1.0f), 0);
    EXPECT_EQ(cap->DefineColor(0, 1, 1, 1), -1);
    EXPECT_EQ(cap->DefineColor(256, 1, 1, 1), -1);
    cap->SetColor(3);
    cap->DrawLine(0, 0, 1, 1);
    cap->SetColor(256); /* an entity on a layer that exists nowhere */
    cap->DrawLine(0, 0, 1, 2);
    cap->SetColor(0);
    cap->DrawLine(0, 0, 1, 3);
    cap->SetColor(-5);
    cap->DrawLine(0, 0, 1, 4);
    cap->SetColor(255);
    cap->DrawLine(0, 0, 1, 5);
    cap.Finish();
    std::vector<std::string> table = cap.Lines("COLOUR TABLE");
    ASSERT_EQ(table.size(), 1u);
    std::vector<double> v = Numbers(table[0]);
    ASSERT_EQ(v.size(), 1 + 3 * 255u);
    EXPECT_EQ(v[0], 1);
    EXPECT_EQ(v[1 + 3 * 6], 7); /* index 7: red 7/255 */
    EXPECT_EQ(v[1 + 3 * 254 + 2], 255);
    std::vector<std::string> colours = cap.Lines("LINE COLOUR");
    /* 256, 0 and -5 all give 7, written once */
    EXPECT_EQ(colours, (std::vector<std::string>{"LINE COLOUR 3", "LINE COLOUR 7", "LINE COLOUR 255"}));
}

TEST(CgmGenerator, AttributesAreWrittenOnlyWhenTheyChange)
{
    DriverCapture cap;
    cap->SetLineWidth(0.35f);
    cap->SetLineType(2, 0, 0);
    cap->DrawLine(0, 0, 1, 1);
    cap->SetLineWidth(0.35f);
    cap->SetLineType(2, 0, 0);
    cap->DrawLine(0, 0, 2, 2);
    cap->SetLineType(6, 0, 0);
    cap->SetLineWidth(2.0f);
    cap->DrawLine(0, 0, 3, 3);
    cap->SetLineType(99, 0, 0); /* unknown: continuous */
    cap->DrawLine(0, 0, 4, 4);
    cap.Finish();
    EXPECT_EQ(cap.Lines("LINE WIDTH"), (std::vector<std::string>{"LINE WIDTH 0.35", "LINE WIDTH 2"}));
    EXPECT_EQ(cap.Lines("LINE TYPE"),
              (std::vector<std::string>{"LINE TYPE 2", "LINE TYPE 4", "LINE TYPE 1"}));
    EXPECT_EQ(cap.Lines("LINE COLOUR").size(), 1u);
    EXPECT_EQ(cap.Lines("POLYLINE").size(), 4u);
}

TEST(CgmGenerator, LineWidthFollowsTheFormScale)
{
    CgmCapture cap;
    ASSERT_EQ(cap->SetExtent(1000, 500), 0);
    VyrPrintParameters p;
    p.GetCurrentForm()->SetSize(50, 25, VyrPrintUnitCentimetre); /* 2 units per mm */
    cap->SetParameters(p);
    cap->SetLineWidth(1.0f);
    cap->DrawLine(0, 0, 10, 10);
    cap.Finish();
    EXPECT_EQ(cap.Lines("LINE WIDTH")[0], "LINE WIDTH 2");
    EXPECT_EQ(cap.Lines("VDC EXTENT")[0], "VDC EXTENT (-10,-10) (1010,510)");
}

TEST(CgmGenerator, LongPolylineUsesPartitions)
{
    const int n = 200000;
    std::vector<float> xy(2 * n);
    for (int i = 0; i < n; ++i) {
        xy[2 * i] = static_cast<float>(i) * 0.25f;
        xy[2 * i + 1] = static_cast<float>(i % 100) - 50.0f;
    }
    DriverCapture cap;
    ASSERT_EQ(cap->DrawPolyline(n, xy.data()), 0);
    const CgmDecoder &d = cap.Finish();
    const CgmElement *poly = nullptr;
    for (const CgmElement &e : d.Elements())
        if (e.name == "POLYLINE") poly = &e;
    ASSERT_NE(poly, nullptr);
    ASSERT_EQ(poly->params.size(), static_cast<size_t>(n) * 8);
    /* long form with the continuation flag on the first partition */
    const std::vector<uint8_t> &b = cap.Bytes();
    EXPECT_EQ(b[poly->offset + 1] & 0x1F, 31);
    EXPECT_EQ(b[poly->offset + 2] & 0x80, 0x80);
    std::vector<double> v = Numbers(poly->text);
    ASSERT_EQ(v.size(), 2u * n);
    for (int i = 0; i < n; i += 9973) {
        EXPECT_EQ(v[2 * i], xy[2 * i]);
        EXPECT_EQ(v[2 * i + 1], xy[2 * i + 1]);
    }
    EXPECT_EQ(v[2 * n - 2], xy[2 * n - 2]);
}

TEST(CgmGenerator, LongTextsUseTheLongStringForm)
{
    for (size_t length : {254u, 255u, 10000u, 40000u}) {
        std::string text;
        for (size_t i = 0; i < length; ++i) text.push_back(static_cast<char>('a' + i % 26));
        DriverCapture cap;
        ASSERT_EQ(cap->DrawText(0, 0, VyrUnicodeString(text.c_str())), 0);
        cap.Finish();
        std::vector<std::string> t = cap.Lines("TEXT");
        ASSERT_EQ(t.size(), 1u) << length;
        EXPECT_EQ(t[0], "TEXT (0,0) final \"" + text + "\"") << length;
    }
}

TEST(CgmGenerator, ArcsAndCircles)
{
    DriverCapture cap;
    cap->DrawArc(10, 20, 5, 0, M_PI / 2, 0);
    cap->DrawArc(10, 20, 5, 0, 2 * M_PI, 0);
    cap->DrawArc(10, 20, 5, 1, 1 + 2 * M_PI, 0);
    EXPECT_EQ(cap->DrawArc(10, 20, 0, 0, 1, 0), -1);
    cap.Finish();
    std::vector<std::string> arcs = cap.Lines("CIRCULAR ARC CENTRE");
    ASSERT_EQ(arcs.size(), 1u);
    ExpectNumbers(arcs[0], {10, 20, 5, 0, 0, 5, 5}, 1e-6); /* centre, start and end rays, radius */
    EXPECT_EQ(cap.Lines("CIRCLE"), (std::vector<std::string>{"CIRCLE (10,20) 5", "CIRCLE (10,20) 5"}));
    /* a circle's outline is its edge */
    EXPECT_EQ(cap.Lines("INTERIOR STYLE")[0], "INTERIOR STYLE 4");
    EXPECT_EQ(cap.Lines("EDGE VISIBILITY")[0], "EDGE VISIBILITY 1");
    EXPECT_EQ(cap.Lines("EDGE COLOUR")[0], "EDGE COLOUR 7");
    EXPECT_EQ(cap.Lines("EDGE WIDTH")[0], "EDGE WIDTH 0.13");
}

TEST(CgmGenerator, EllipsesAndEllipticalArcs)
{
    DriverCapture cap;
    cap->DrawEllipse(0, 0, 10, 4, 0, 2 * M_PI, 0, 0);
    cap->DrawEllipse(100, 0, 10, 4, 0, M_PI / 2, 0, 0);
    cap.Finish();
    ExpectNumbers(cap.Lines("ELLIPSE")[0], {0, 0, 10, 0, 0, 4}, 0); /* centre, conjugate diameter points */
    /* and the start vector (parameter 0) and end vector (parameter pi/2) */
    ExpectNumbers(cap.Lines("ELLIPTICAL ARC")[0], {100, 0, 110, 0, 100, 4, 10, 0, 0, 4}, 1e-5);
}

/* A turned ellipse or elliptical arc is written as a Bezier chain (some
 * viewers refuse the whole metafile for a turned ELLIPSE): every piece
 * starts, ends and passes its middle on the ellipse, and the chain runs
 * from the start parameter's point to the end parameter's. */
TEST(CgmGenerator, TurnedEllipsesAsBezierChains)
{
    const struct {
        double rotation, start, end;
        size_t pieces;
    } cases[] = {
        {M_PI / 2, 0, 2 * M_PI, 4}, {0.3, 0, 2 * M_PI, 4}, {M_PI, 0, 2 * M_PI, 4},
        {-0.7, 0.5, 2.0, 1},        {2.0, 5.5, 1.0, 2}, /* through parameter 0 */
    };
    const double cx = 50, cy = -20, ma = 10, mi = 4;
    for (const auto &c : cases) {
        DriverCapture cap;
        cap->DrawEllipse(cx, cy, ma, mi, static_cast<float>(c.start), static_cast<float>(c.end),
                         static_cast<float>(c.rotation), 0);
        cap.Finish();
        EXPECT_TRUE(cap.Lines("ELLIPSE").empty() && cap.Lines("ELLIPTICAL ARC").empty()) << c.rotation;
        ASSERT_EQ(cap.Lines("POLYBEZIER").size(), 1u) << c.rotation;
        std::vector<double> v = Numbers(cap.Lines("POLYBEZIER")[0]);
        ASSERT_EQ(v.size(), 1 + 2 * (3 * c.pieces + 1)) << c.rotation;
        std::vector<VyrPt> p;
        for (size_t i = 1; i + 1 < v.size(); i += 2) p.push_back(VyrPt{v[i], v[i + 1]});
        /* where a point lies against the ellipse: 1 on it */
        auto level = [&](VyrPt q) {
            const double dx = q.x - cx, dy = q.y - cy;
            const double u = dx * std::cos(c.rotation) + dy * std::sin(c.rotation);
            const double w = -dx * std::sin(c.rotation) + dy * std::cos(c.rotation);
            return std::hypot(u / ma, w / mi);
        };
        for (size_t k = 0; k + 3 < p.size(); k += 3) {
            const VyrPt mid{(p[k].x + 3 * p[k + 1].x + 3 * p[k + 2].x + p[k + 3].x) / 8,
                            (p[k].y + 3 * p[k + 1].y + 3 * p[k + 2].y + p[k + 3].y) / 8};
            EXPECT_NEAR(level(p[k]), 1, 1e-5);
            EXPECT_NEAR(level(mid), 1, 1e-3);
            EXPECT_NEAR(level(p[k + 3]), 1, 1e-5);
        }
        auto on = [&](double t) {
            const double x = ma * std::cos(t), y = mi * std::sin(t);
            return VyrPt{cx + x * std::cos(c.rotation) - y * std::sin(c.rotation),
                         cy + x * std::sin(c.rotation) + y * std::cos(c.rotation)};
        };
        EXPECT_NEAR(p.front().x, on(c.start).x, 1e-4);
        EXPECT_NEAR(p.front().y, on(c.start).y, 1e-4);
        EXPECT_NEAR(p.back().x, on(c.end).x, 1e-4);
        EXPECT_NEAR(p.back().y, on(c.end).y, 1e-4);
    }
}

/* Filled areas are solid in the fill colour without edge; outlines drawn
 * after them get their empty interior and visible edge back. */
TEST(CgmGenerator, FilledAreasAndOutlinesBetweenThem)
{
    const float square[] = {0, 0, 10, 0, 10, 10, 0, 10};
    DriverCapture cap;
    cap->SetFillColor(3);
    ASSERT_EQ(cap->DrawPolygon(4, square), 0);
    ASSERT_EQ(cap->DrawPolygon(3, square), 0);
    ASSERT_EQ(cap->DrawArc(5, 5, 2, 0, 2 * M_PI, 0), 0);
    cap->SetFillColor(1);
    ASSERT_EQ(cap->DrawPolygon(3, square), 0);
    EXPECT_EQ(cap->DrawPolygon(2, square), -1);
    EXPECT_EQ(cap->DrawPolygon(3, nullptr), -1);
    cap.Finish();
    EXPECT_EQ(cap.Lines("POLYGON"),
              (std::vector<std::string>{"POLYGON (0,0) (10,0) (10,10) (0,10)", "POLYGON (0,0) (10,0) (10,10)",
                                        "POLYGON (0,0) (10,0) (10,10)"}));
    EXPECT_EQ(cap.Lines("FILL COLOUR"), (std::vector<std::string>{"FILL COLOUR 3", "FILL COLOUR 1"}));
    EXPECT_EQ(cap.Lines("INTERIOR STYLE"),
              (std::vector<std::string>{"INTERIOR STYLE 1", "INTERIOR STYLE 4", "INTERIOR STYLE 1"}));
    EXPECT_EQ(cap.Lines("EDGE VISIBILITY"),
              (std::vector<std::string>{"EDGE VISIBILITY 0", "EDGE VISIBILITY 1", "EDGE VISIBILITY 0"}));
}

/* An area with a hole is one POLYGON SET, each loop closed by an invisible
 * edge; many segments go out as DISJOINT POLYLINE of at most 2,000. */
TEST(CgmGenerator, PolygonSetsAndSegments)
{
    const float loops[] = {0, 0, 10, 0, 10, 10, 0, 10, 2, 2, 4, 2, 3, 4};
    const int counts[] = {4, 3};
    std::vector<float> segments;
    for (int i = 0; i < 4500; ++i) segments.insert(segments.end(), {float(i), 0, float(i), 1});
    DriverCapture cap;
    cap->SetFillColor(3);
    ASSERT_EQ(cap->DrawPolygonSet(2, counts, loops), 0);
    ASSERT_EQ(cap->DrawSegments(4500, segments.data()), 0);
    const int tooFew[] = {2, 0};
    EXPECT_EQ(cap->DrawPolygonSet(2, tooFew, loops), -1);
    const int negative[] = {4, -3};
    EXPECT_EQ(cap->DrawPolygonSet(2, negative, loops), -1);
    segments[5] = std::nanf("");
    EXPECT_EQ(cap->DrawSegments(2, segments.data()), -1);
    cap.Finish();
    EXPECT_EQ(cap.Lines("POLYGON SET"),
              (std::vector<std::string>{
                  "POLYGON SET (0,0) 0 (10,0) 0 (10,10) 0 (0,10) 2 (2,2) 0 (4,2) 0 (3,4) 2"}));
    const std::vector<std::string> disjoint = cap.Lines("DISJOINT POLYLINE");
    ASSERT_EQ(disjoint.size(), 3u);
    EXPECT_EQ(disjoint[2].rfind("DISJOINT POLYLINE (4000,0) (4000,1) ", 0), 0u) << disjoint[2].substr(0, 60);
}

TEST(CgmGenerator, SmoothCurvePassesThroughItsPoints)
{
    const float xy[] = {0, 0, 10, 5, 20, -3, 25, 8, 40, 0};
    DriverCapture cap;
    ASSERT_EQ(cap->DrawCurve(5, xy), 0);
    const float dup[] = {1, 1, 1, 1};
    EXPECT_EQ(cap->DrawCurve(2, dup), -1);
    const float two[] = {0, 0, 3, 4};
    EXPECT_EQ(cap->DrawCurve(2, two), 0);
    cap.Finish();
    std::vector<std::string> b = cap.Lines("POLYBEZIER");
    ASSERT_EQ(b.size(), 2u);
    std::vector<double> v = Numbers(b[0]);
    ASSERT_EQ(v.size(), 1 + 2 * 13u);
    EXPECT_EQ(v[0], 2); /* continuous */
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(v[1 + 6 * k], xy[2 * k]);
        EXPECT_EQ(v[2 + 6 * k], xy[2 * k + 1]);
    }
    std::vector<double> s = Numbers(b[1]);
    ASSERT_EQ(s.size(), 9u);
    EXPECT_NEAR(s[3], 1, 1e-6); /* control points on the straight line */
    EXPECT_NEAR(s[4], 4.0 / 3, 1e-6);
}

TEST(CgmGenerator, NurbsBecomesBezierSegmentsOnTheCurve)
{
    /* a full circle as a rational quadratic B-spline */
    const float h = std::sqrt(0.5f);
    const float ctrl[] = {10, 0, 10, 10, 0, 10, -10, 10, -10, 0, -10, -10, 0, -10, 10, -10, 10, 0};
    const float w[] = {1, h, 1, h, 1, h, 1, h, 1};
    const float knots[] = {0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 4};
    DriverCapture cap;
    ASSERT_EQ(cap->DrawNurbs(3, ctrl, 9, knots, 12, 0, 1000.0f, w), 0);
    cap.Finish();
    std::vector<std::string> b = cap.Lines("POLYBEZIER");
    ASSERT_EQ(b.size(), 1u);
    std::vector<double> v = Numbers(b[0]);
    size_t points = (v.size() - 1) / 2;
    ASSERT_EQ(points % 3, 1u);
    double worst = 0;
    for (size_t k = 0; k + 3 < points; k += 3) {
        for (int j = 0; j <= 16; ++j) {
            double t = j / 16.0, s = 1 - t;
            double bx = 0, by = 0;
            double c[4] = {s * s * s, 3 * s * s * t, 3 * s * t * t, t * t * t};
            for (int i = 0; i < 4; ++i) {
                bx += c[i] * v[1 + 2 * (k + i)];
                by += c[i] * v[2 + 2 * (k + i)];
            }
            worst = std::max(worst, std::fabs(std::hypot(bx, by) - 10.0));
        }
    }
    EXPECT_LT(worst, 1e-4);
}

TEST(CgmGenerator, InvalidNurbsDrawsNothing)
{
    const float ctrl[] = {0, 0, 1, 1, 2, 0, 3, 1};
    const float good[] = {0, 0, 0, 0, 1, 1, 1, 1};
    const float down[] = {0, 0, 0, 0, 1, 1, 0.5f, 1};
    const float flat[] = {1, 1, 1, 1, 1, 1, 1, 1};
    const float w0[] = {1, 0, 1, 1};
    const float nan[] = {0, 0, 0, 0, std::nanf(""), 1, 1, 1};
    DriverCapture cap;
    EXPECT_EQ(cap->DrawNurbs(4, ctrl, 4, good, 7, 0, 1000, nullptr), -1); /* too few knots */
    EXPECT_EQ(cap->DrawNurbs(4, ctrl, 4, down, 8, 0, 1000, nullptr), -1);
    EXPECT_EQ(cap->DrawNurbs(4, ctrl, 4, flat, 8, 0, 1000, nullptr), -1);
    EXPECT_EQ(cap->DrawNurbs(4, ctrl, 4, good, 8, 0, 1000, w0), -1);
    EXPECT_EQ(cap->DrawNurbs(4, ctrl, 4, nan, 8, 0, 1000, nullptr), -1);
    EXPECT_EQ(cap->DrawNurbs(5, ctrl, 4, good, 9, 0, 1000, nullptr), -1);
    EXPECT_EQ(cap->DrawNurbs(1, ctrl, 4, good, 8, 0, 1000, nullptr), -1);
    EXPECT_EQ(cap->DrawNurbs(4, nullptr, 4, good, 8, 0, 1000, nullptr), -1);
    EXPECT_EQ(cap->DrawNurbs(4, ctrl, 4, good, 8, 0, 1000, nullptr), 0);
    cap.Finish();
    EXPECT_EQ(cap.Lines("POLYBEZIER").size(), 1u);
}

TEST(CgmGenerator, NurbsElementOnRequest)
{
    const float ctrl[] = {0, 0, 1, 1, 2, 0, 3, 1};
    const float knots[] = {0, 0, 0, 0, 1, 1, 1, 1};
    CgmCapture cap;
    cap->SetNurbsElement(true);
    DriverSetUp(cap.Generator());
    ASSERT_EQ(cap->DrawNurbs(4, ctrl, 4, knots, 8, 0, 1000, nullptr), 0);
    cap.Finish();
    EXPECT_EQ(cap.Lines("REAL PRECISION")[0], "REAL PRECISION floating 9 23");
    EXPECT_EQ(cap.Lines("NON-UNIFORM RATIONAL B-SPLINE")[0],
              "NON-UNIFORM RATIONAL B-SPLINE 4 4 (0,0) (1,1) (2,0) (3,1) 0 0 0 0 1 1 1 1 0 1 1 1 1 1");

    /* The metafile now declares 32-bit floating-point reals: the other
     * reals of the picture are written in that format too. */
    CgmCapture text;
    text->SetNurbsElement(true);
    DriverSetUp(text.Generator());
    text->SetTextParameter(9, 0.75f);
    ASSERT_EQ(text->DrawText(0, 0, VyrUnicodeString("A")), 0);
    text->SetTextParameter(9, 1.0f);
    ASSERT_EQ(text->DrawText(0, 0, VyrUnicodeString("B")), 0);
    text.Finish();
    EXPECT_EQ(text.Lines("TEXT ALIGNMENT"), (std::vector<std::string>{"TEXT ALIGNMENT 0 0 0 0"}));
    EXPECT_EQ(text.Lines("CHARACTER EXPANSION FACTOR"),
              (std::vector<std::string>{"CHARACTER EXPANSION FACTOR 0.75", "CHARACTER EXPANSION FACTOR 1"}));
}

/* Kind 2 is the circle around a dot (two markers), kind 4 the bare circle. */
TEST(CgmGenerator, MarkersOfEveryKind)
{
    DriverCapture cap;
    for (int kind : {0, 1, 2, 3, 4, 8, 42}) ASSERT_EQ(cap->DrawMarker(1, 2, kind, 0), 0);
    cap.Finish();
    EXPECT_EQ(cap.Lines("MARKER TYPE"),
              (std::vector<std::string>{"MARKER TYPE 5", "MARKER TYPE 2", "MARKER TYPE 4", "MARKER TYPE 1",
                                        "MARKER TYPE 3", "MARKER TYPE 4", "MARKER TYPE 1"}));
    EXPECT_EQ(cap.Lines("POLYMARKER").size(), 8u); /* the circled dot is two */
    EXPECT_EQ(cap.Lines("MARKER SIZE")[0], "MARKER SIZE 2.5");
    EXPECT_EQ(cap.Lines("MARKER COLOUR")[0], "MARKER COLOUR 7");

    /* The compatibility profile draws them with circles and lines. */
    DriverCapture compat(VyrCgmProfileCompatible);
    compat->DrawMarker(1, 2, 2, 0);
    compat->DrawMarker(1, 2, 4, 0);
    compat.Finish();
    EXPECT_EQ(compat.Lines("CIRCLE"),
              (std::vector<std::string>{"CIRCLE (1,2) 1.25", "CIRCLE (1,2) 0.15625", "CIRCLE (1,2) 1.25"}));
}

/* Whatever the picture's first primitive, the line colour and width are
 * in the metafile before it, so no viewer falls back on its own. */
TEST(CgmGenerator, LineColourAndWidthComeBeforeTheFirstPrimitive)
{
    const float square[] = {0, 0, 10, 0, 10, 10};
    const std::vector<std::function<void(VyrPrintCGMGenerator &)>> firsts = {
        [](VyrPrintCGMGenerator &g) { g.DrawText(0, 0, VyrUnicodeString("A")); },
        [&square](VyrPrintCGMGenerator &g) { g.DrawPolygon(3, square); },
        [](VyrPrintCGMGenerator &g) { g.DrawMarker(0, 0, 1, 0); },
        [](VyrPrintCGMGenerator &g) { g.DrawLine(0, 0, 1, 1); }};
    for (size_t i = 0; i < firsts.size(); ++i) {
        DriverCapture cap;
        cap->SetColor(3);
        cap->SetLineWidth(0.7f);
        firsts[i](cap.Generator());
        cap.Finish();
        const std::vector<std::string> names = cap.Names();
        const auto body = std::find(names.begin(), names.end(), "BEGIN PICTURE BODY");
        const auto colour = std::find(body, names.end(), "LINE COLOUR");
        const auto width = std::find(body, names.end(), "LINE WIDTH");
        const auto primitive = std::find_if(body, names.end(), [](const std::string &n) {
            return n == "TEXT" || n == "POLYGON" || n == "POLYMARKER" || n == "POLYLINE";
        });
        ASSERT_NE(primitive, names.end()) << i;
        EXPECT_LT(colour, primitive) << i;
        EXPECT_LT(width, primitive) << i;
        EXPECT_EQ(cap.Lines("LINE COLOUR")[0], "LINE COLOUR 3") << i;
        EXPECT_EQ(cap.Lines("LINE WIDTH")[0], "LINE WIDTH 0.7") << i;
    }
}

class CgmText : public ::testing::Test {
protected:
    /* Helvetica at a cap height of 7.29: one em is 10 units. */
    void Text(CgmCapture &cap, const char *s, int align, float rotation = 0, float slant = 0, float width = 1)
    {
        cap->SetTextFont(0, VyrFont::sGetFont("SwissCL.pfb", 0));
        cap->SetTextParameter(6, rotation);
        cap->SetTextParameter(2, 7.29f);
        cap->SetTextParameter(9, width);
        cap->SetTextParameter(7, static_cast<float>(align));
        cap->SetTextParameter(4, 25);
        cap->SetTextParameter(5, slant);
        cap->SetTextParameter(8, 0);
        cap->SetTextParameter(10, -10000);
        ASSERT_EQ(cap->DrawText(100, 50, VyrUnicodeString::FromUtf8(s)), 0);
    }
    static std::vector<double> Start(const std::string &line)
    {
        std::vector<double> v = Numbers(line);
        return {v[0], v[1]};
    }
};

TEST_F(CgmText, AlignmentCodesPlaceTheStartPoint)
{
    /* "AV" is 1334/1000 em wide: 13.34 units; the descender is 218/1000 em */
    struct {
        int code;
        double x, y;
    } cases[] = {{29, 100, 50},      {33, 93.33, 50},  {37, 86.66, 50},     {28, 100, 52.18},
                 {30, 100, 46.355},  {31, 100, 42.71}, {34, 93.33, 46.355}, {39, 86.66, 42.71},
                 {36, 86.66, 52.18}, {12, 100, 50}};
    for (const auto &c : cases) {
        DriverCapture cap;
        Text(cap, "AV", c.code);
        cap.Finish();
        std::vector<double> s = Start(cap.Lines("TEXT")[0]);
        EXPECT_NEAR(s[0], c.x, 1e-3) << c.code;
        EXPECT_NEAR(s[1], c.y, 1e-3) << c.code;
        EXPECT_EQ(cap.Lines("TEXT ALIGNMENT")[0], "TEXT ALIGNMENT 0 0 0 0");
        EXPECT_EQ(cap.Lines("CHARACTER HEIGHT")[0], "CHARACTER HEIGHT 7.29");
        EXPECT_TRUE(cap.Lines("CHARACTER ORIENTATION").empty());
    }
}

TEST_F(CgmText, RotationSlantWidthAndFonts)
{
    DriverCapture cap;
    Text(cap, "AV", 37, 90); /* right aligned, rotated a quarter turn */
    Text(cap, "AV", 29, 0, 45);
    Text(cap, "AV", 37, 0, 0, 0.5f);
    cap->SetTextParameter(4, 26);
    cap->SetTextFont(0, VyrFont::sGetFont("Coure.pfb", 0));
    cap->DrawText(0, 0, VyrUnicodeString("x"));
    cap->SetTextParameter(4, 25);
    cap->SetTextParameter(0, 11);
    cap->DrawText(0, 0, VyrUnicodeString("y"));
    cap.Finish();
    /* LibreOffice refuses a metafile whose CHARACTER ORIENTATION turns the
     * baseline: with glyph outlines at hand, the turned text is drawn as
     * them, and the others keep a baseline along the x axis. */
    const bool outlines = VyrGlyphOutlines::sAvailable(0);
    std::vector<std::string> t = cap.Lines("TEXT");
    ASSERT_EQ(t.size(), outlines ? 4u : 5u);
    std::vector<std::string> o = cap.Lines("CHARACTER ORIENTATION");
    ASSERT_EQ(o.size(), outlines ? 2u : 3u);
    if (outlines) {
        ASSERT_EQ(cap.Lines("POLYGON SET").size(), 2u) << "A and V";
        std::vector<double> a = Numbers(cap.Lines("POLYGON SET")[0]);
        double minY = a[1], maxY = a[1];
        for (size_t i = 1; i < a.size(); i += 3) { /* x, y, edge flag */
            minY = std::min(minY, a[i]);
            maxY = std::max(maxY, a[i]);
        }
        /* turned a quarter and right aligned: the text runs up from 50 - 13.34 to 50 */
        EXPECT_NEAR(minY, 50 - 13.34, 0.5);
        EXPECT_LT(maxY, 50 - 13.34 / 2);
        t.insert(t.begin(), "");
        o.insert(o.begin(), "");
    } else {
        std::vector<double> s = Start(t[0]);
        EXPECT_NEAR(s[0], 100, 1e-3);
        EXPECT_NEAR(s[1], 50 - 13.34, 1e-3);
        std::vector<double> up = Numbers(o[0]);
        EXPECT_NEAR(up[0], -7.29, 1e-5);
        EXPECT_NEAR(up[1], 0, 1e-5);
        EXPECT_NEAR(up[2], 0, 1e-5);
        EXPECT_NEAR(up[3], 7.29, 1e-5);
    }
    std::vector<double> slanted = Numbers(o[1]);
    EXPECT_NEAR(slanted[0], 7.29, 1e-5); /* up leans right by tan 45 */
    EXPECT_NEAR(slanted[1], 7.29, 1e-5);
    EXPECT_EQ(o[2], "CHARACTER ORIENTATION (0,1) (1,0)");
    /* width factor: expansion, and the right-aligned start moves */
    EXPECT_NEAR(Start(t[2])[0], 100 - 6.67, 1e-3);
    EXPECT_EQ(cap.Lines("CHARACTER EXPANSION FACTOR"),
              (std::vector<std::string>{"CHARACTER EXPANSION FACTOR 1", "CHARACTER EXPANSION FACTOR 0.5"}));
    EXPECT_EQ(cap.Lines("TEXT FONT INDEX"),
              (std::vector<std::string>{"TEXT FONT INDEX 1", "TEXT FONT INDEX 10", "TEXT FONT INDEX 1"}));
}

TEST_F(CgmText, CharacterSetsAndLines)
{
    DriverCapture cap;
    Text(cap, "caf\xC3\xA9", 29);
    Text(cap, "\xE2\x8C\x80\xE3\x81\x82", 29);
    Text(cap, "top\nbottom", 31);
    Text(cap, "tab\there", 29);
    Text(cap, "\xE2\x8C\x80 12", 29);
    cap.Finish();
    std::vector<std::string> t = cap.Lines("TEXT");
    ASSERT_EQ(t.size(), 6u);
    EXPECT_EQ(t[0], "TEXT (100,50) final \"caf\xE9\"");
    EXPECT_EQ(t[1], "TEXT (100,50) final \"\xE2\x8C\x80\xE3\x81\x82\"");
    EXPECT_EQ(cap.Lines("CHARACTER SET INDEX"),
              (std::vector<std::string>{"CHARACTER SET INDEX 1", "CHARACTER SET INDEX 3",
                                        "CHARACTER SET INDEX 1"}));
    EXPECT_EQ(cap.Lines("ALTERNATE CHARACTER SET INDEX")[0], "ALTERNATE CHARACTER SET INDEX 2");
    /* two lines, the first hanging from the point, the second 5/3 lower */
    EXPECT_NEAR(Start(t[2])[1], 50 - 7.29, 1e-3);
    EXPECT_NEAR(Start(t[3])[1], 50 - 7.29 - 7.29 * 5 / 3, 1e-3);
    EXPECT_EQ(t[4], "TEXT (100,50) final \"tab here\"");
    /* a diameter sign in a Latin-1 text is written as the letter O with stroke */
    EXPECT_EQ(t[5], "TEXT (100,50) final \"\xD8 12\"");
}

TEST(CgmGenerator, CompatibilityProfileWritesOnlyBasicElements)
{
    DriverCapture cap(VyrCgmProfileCompatible);
    cap->DrawEllipse(0, 0, 10, 4, 0, 2 * M_PI, 0.5f, 0);
    cap->DrawEllipse(0, 0, 10, 4, 0, 1, 0, 0);
    const float xy[] = {0, 0, 10, 5, 20, 0};
    cap->DrawCurve(3, xy);
    for (int kind : {0, 1, 2, 3, 4, 8}) cap->DrawMarker(5, 5, kind, 0);
    cap->SetLineType(2, 0, 0);
    cap->SetLineWidth(0.35f);
    cap->DrawLine(0, 0, 100, 0); /* 100 mm dashed 6 + 1.5 */
    cap->DrawArc(0, 0, 50, 0, 2 * M_PI, 0);
    cap->SetTextParameter(6, 30);
    cap->SetTextParameter(5, 15);
    cap->SetTextParameter(2, 7.29f);
    cap->DrawText(10, 10, VyrUnicodeString("AV"));
    cap.Finish();
    std::vector<std::string> n = cap.Names();
    for (const char *banned : {"ELLIPSE", "ELLIPTICAL ARC", "POLYBEZIER", "POLYMARKER",
                               "CHARACTER ORIENTATION", "CIRCULAR ARC CENTRE"})
        EXPECT_EQ(Count(n, banned), 0u) << banned;
    for (const std::string &l : cap.Lines("LINE TYPE")) EXPECT_EQ(l, "LINE TYPE 1");
    EXPECT_EQ(cap.Lines("METAFILE DESCRIPTION")[0],
              "METAFILE DESCRIPTION \"libVyrDxf2Cgm CGM generator, compatibility profile\"");
    /* the dashed line: 13 whole periods of 7.5 and a last dash; the dashed
     * circle another 42; each figure's dashes are one element */
    std::vector<std::string> dashes = cap.Lines("DISJOINT POLYLINE");
    ASSERT_EQ(dashes.size(), 2u);
    EXPECT_EQ(Numbers(dashes[0]).size(), 14u * 4);
    EXPECT_GE(Numbers(dashes[1]).size(), 40u * 4);
    if (VyrGlyphOutlines::sAvailable(0)) {
        /* the text: the outlines of its two glyphs, no TEXT element */
        EXPECT_EQ(Count(n, "TEXT"), 0u);
        EXPECT_EQ(Count(n, "POLYGON SET"), 2u);
        return;
    }
    /* without outlines the text is unrotated, with the height and point
     * LibreOffice needs */
    std::vector<double> h = Numbers(cap.Lines("CHARACTER HEIGHT")[0]);
    EXPECT_NEAR(h[0], 6, 1e-4);
    std::vector<double> p = Numbers(cap.Lines("TEXT")[0]);
    EXPECT_NEAR(p[0], 10 + 6.67, 1e-3);
    /* the square extent widened to 16:9, LibreOffice's page, plus 1 % */
    const double vdcWidth = 32400 * 16.0 / 9 * 1.02;
    EXPECT_NEAR(p[1], 10 + 6.8 + 1.25 / 280 * vdcWidth, 1e-2);
    const std::vector<double> extent = Numbers(cap.Lines("VDC EXTENT")[0]);
    ASSERT_EQ(extent.size(), 4u);
    EXPECT_NEAR(extent[2] - extent[0], vdcWidth, 1e-2);
    EXPECT_NEAR(extent[0] + extent[2], 0, 1e-2) << "the picture centred";
    EXPECT_NEAR(extent[3] - extent[1], 32400 + 0.02 * 32400 * 16.0 / 9, 1e-2);
}

TEST(CgmGenerator, TinyArcsArePolylines)
{
    /* LibreOffice draws an arc of a fraction of a degree as a whole circle */
    for (const VyrCgmProfile profile : {VyrCgmProfileStandard, VyrCgmProfileCompatible}) {
        SCOPED_TRACE(profile);
        DriverCapture cap(profile);
        const float a = static_cast<float>(182.24 * M_PI / 180), b = static_cast<float>(182.43 * M_PI / 180);
        cap->DrawArc(1481.35f, 84.25f, 1473.68f, a, b, 0);
        cap->DrawArc(0, 0, 50, static_cast<float>(359.9 * M_PI / 180), 0.001f, 0); /* across 0 */
        cap->DrawArc(0, 0, 50, 0, static_cast<float>(10 * M_PI / 180), 0);
        cap.Finish();
        std::vector<std::string> arcs = cap.Lines("CIRCULAR ARC CENTRE");
        ASSERT_EQ(arcs.size(), 1u);
        EXPECT_NEAR(Numbers(arcs[0]).back(), 50, 1e-4);
        std::vector<std::string> lines = cap.Lines("POLYLINE");
        ASSERT_EQ(lines.size(), 2u);
        std::vector<double> p = Numbers(lines[0]);
        ASSERT_GE(p.size(), 4u);
        EXPECT_NEAR(p[0], 1481.35 + 1473.68 * std::cos(a), 1e-2);
        EXPECT_NEAR(p[1], 84.25 + 1473.68 * std::sin(a), 1e-2);
        EXPECT_NEAR(p[p.size() - 2], 1481.35 + 1473.68 * std::cos(b), 1e-2);
        EXPECT_NEAR(p[p.size() - 1], 84.25 + 1473.68 * std::sin(b), 1e-2);
        std::vector<double> q = Numbers(lines[1]);
        EXPECT_NEAR(q[0], 50, 1e-2);
        EXPECT_NEAR(q[q.size() - 2], 50, 1e-2);
    }
}

TEST(CgmGenerator, VersionFromTheDriverDatum)
{
    struct {
        const char *datum;
        int version;
        const char *curve;
    } cases[] = {{"V3", 3, "POLYBEZIER"}, {"Morvel V4", 4, "POLYBEZIER"}, {"V1", 1, "POLYLINE"},
                 {"V2", 2, "POLYLINE"},   {"", 3, "POLYBEZIER"},          {"V9", 3, "POLYBEZIER"}};
    const float xy[] = {0, 0, 10, 5, 20, 0};
    for (const auto &c : cases) {
        CgmCapture cap(VyrCgmProfileStandard, c.datum);
        EXPECT_EQ(cap->GetMetafileVersion(), c.version) << c.datum;
        cap->DrawCurve(3, xy);
        cap.Finish();
        EXPECT_EQ(cap.Lines("METAFILE VERSION")[0], "METAFILE VERSION " + std::to_string(c.version));
        EXPECT_EQ(cap.Lines(c.curve).size(), 1u) << c.datum;
    }
    CgmCapture v1(VyrCgmProfileStandard, "V1");
    v1.Finish();
    EXPECT_EQ(v1.Lines("METAFILE ELEMENT LIST")[0], "METAFILE ELEMENT LIST 1 (-1,0)");
}

TEST(CgmGenerator, EmptyPictureIsStillAMetafile)
{
    DriverCapture cap;
    cap.Finish();
    std::vector<std::string> n = cap.Names();
    ASSERT_GE(n.size(), 4u);
    EXPECT_EQ(Count(n, "BEGIN PICTURE BODY"), 1u);
    EXPECT_EQ(n[n.size() - 2], "END PICTURE");
    EXPECT_EQ(n.back(), "END METAFILE");
}

TEST(CgmGenerator, SetUpAfterTheFirstDrawingIsRefused)
{
    DriverCapture cap;
    cap->DrawLine(0, 0, 1, 1);
    EXPECT_EQ(cap->SetExtent(10, 10), -1);
    EXPECT_EQ(cap->SetOrigin(1, 1), -1);
    EXPECT_EQ(cap->SetViewport(0, 0, 1, 1), -1);
    EXPECT_EQ(cap->EndPicture(), 0);
    EXPECT_EQ(cap->EndPicture(), -1);
    EXPECT_EQ(cap->DrawLine(0, 0, 2, 2), -1);
    cap.Finish();
    EXPECT_EQ(cap.Lines("POLYLINE").size(), 1u);
    EXPECT_EQ(cap.Lines("END PICTURE").size(), 1u);
}

TEST(CgmGenerator, BadArgumentsWriteNothing)
{
    DriverCapture cap;
    float nan = std::nanf("");
    const float bad[] = {0, 0, nan, 1};
    EXPECT_EQ(cap->DrawPolyline(2, bad), -1);
    EXPECT_EQ(cap->DrawPolyline(1, bad), -1);
    EXPECT_EQ(cap->DrawPolyline(2, nullptr), -1);
    EXPECT_EQ(cap->DrawLine(0, 0, std::numeric_limits<float>::infinity(), 0), -1);
    EXPECT_EQ(cap->DrawEllipse(0, 0, 0, 1, 0, 1, 0, 0), -1);
    EXPECT_EQ(cap->DrawText(nan, 0, VyrUnicodeString("x")), -1);
    EXPECT_EQ(cap->DrawText(0, 0, VyrUnicodeString("")), 0);
    EXPECT_EQ(cap->DrawMarker(nan, 0, 1, 0), -1);
    EXPECT_EQ(cap->SetLineWidth(-1), -1);
    EXPECT_EQ(cap->SetTextParameter(3, 1), -1);
    EXPECT_EQ(cap->SetExtent(0, 10), -1);
    cap.Finish();
    std::vector<std::string> n = cap.Names();
    for (const char *none : {"POLYLINE", "ELLIPTICAL ARC", "TEXT", "POLYMARKER"})
        EXPECT_EQ(Count(n, none), 0u) << none;
}

TEST(CgmGenerator, WithoutAStreamNothingIsWritten)
{
    VyrPrintCGMGenerator *g = VyrPrintCGMGenerator::sCreate();
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->DrawLine(0, 0, 1, 1), -1);
    EXPECT_EQ(g->EndPicture(), -1);
    g->Release();
}

/* Buffers handed over reach the file in order, between bytes written
 * directly, and each hand-over gives back an empty buffer. */
TEST(CgmGenerator, StreamWritesHandedBuffersInOrder)
{
    VyrTempFile file;
    std::string expected;
    {
        VyrPrintStream stream(VyrUnicodeString(file.Path().c_str()), "CGM", "V3");
        ASSERT_EQ(stream.OpenWrite(), 0);
        for (int round = 0; round < 5; ++round) {
            std::vector<uint8_t> buffer(100000 + round, static_cast<uint8_t>('a' + round));
            expected.append(buffer.begin(), buffer.end());
            ASSERT_EQ(stream.Hand(buffer), 0);
            EXPECT_TRUE(buffer.empty());
            if (round == 2) {
                ASSERT_EQ(stream.Write("direct", 6), 0);
                expected += "direct";
            }
        }
        stream.Close();
        EXPECT_FALSE(stream.HasFailed());
    }
    EXPECT_EQ(VyrReadFile(file.Path()), expected);
}

TEST(CgmGenerator, WriteFailureIsNoticed)
{
    VyrPrintStream stream(VyrUnicodeString("/dev/full"), "CGM", "V3");
    if (stream.OpenWrite() != 0) GTEST_SKIP() << "no /dev/full";
    VyrPrintCGMGenerator *g = VyrPrintCGMGenerator::sCreate();
    g->SetStream(&stream);
    std::vector<float> xy(2 * 300000, 1.0f);
    g->DrawPolyline(300000, xy.data());
    EXPECT_TRUE(g->HasWriteError());
    std::vector<uint8_t> more(10, 1);
    EXPECT_EQ(stream.Hand(more), -1) << "nothing more is taken after a failure";
    EXPECT_EQ(stream.FailureErrno(), ENOSPC);
    g->Release();
    stream.Close();
    EXPECT_TRUE(stream.GetOutputStream().fail());
}

TEST(CgmGenerator, StreamThatCannotOpen)
{
    VyrPrintStream stream(VyrUnicodeString("/nonexistent-dir/x.cgm"), "CGM", "V3");
    EXPECT_EQ(stream.OpenWrite(), -1);
    EXPECT_FALSE(stream.IsGood());
    EXPECT_FALSE(stream.GetOutputStream().good());
    VyrPrintStream empty(VyrUnicodeString(""), "CGM", "V3");
    EXPECT_EQ(empty.OpenWrite(), -1);
    VyrPrintCGMGenerator *g = VyrPrintCGMGenerator::sCreate();
    g->SetStream(&stream);
    g->DrawLine(0, 0, 1, 1);
    g->Release();
}

namespace {

/* A drawn dash pattern: dashes as one DISJOINT POLYLINE per figure, solid,
 * in both profiles; a line that starts where the previous one ended goes on
 * with the pattern, any other line and a new pattern start it anew; zero
 * lengths are dots; a count of 0 ends the pattern. */
TEST(CgmGenerator, DrawnDashPatterns)
{
    for (VyrCgmProfile profile : {VyrCgmProfileStandard, VyrCgmProfileCompatible}) {
        SCOPED_TRACE(profile);
        DriverCapture cap(profile);
        const float pattern[] = {2, -1, 0, -1};
        ASSERT_EQ(cap->SetDashPattern(4, pattern), 0);
        cap->SetLineType(2, 0, 0); /* replaced by the pattern */
        cap->DrawLine(0, 0, 5, 0);
        cap->DrawLine(5, 0, 5, 4);     /* goes on: 1 of the gap left */
        cap->DrawLine(10, 10, 13, 10); /* elsewhere: starts anew */
        cap->DrawArc(0, 0, 10, 0, 2 * M_PI, 0);
        ASSERT_EQ(cap->SetDashPattern(0, nullptr), 0);
        cap->DrawLine(0, 20, 5, 20);
        cap.Finish();
        const std::vector<std::string> types = cap.Lines("LINE TYPE");
        ASSERT_FALSE(types.empty());
        EXPECT_EQ(types.front(), "LINE TYPE 1");
        const std::vector<std::string> dashes = cap.Lines("DISJOINT POLYLINE");
        /* the compatibility profile cuts the last line by its line type */
        ASSERT_EQ(dashes.size(), profile == VyrCgmProfileStandard ? 4u : 5u);
        /* 0-2 dash, 3 dot (0.2 mm long), 4-5 dash */
        std::vector<double> v = Numbers(dashes[0]);
        std::vector<double> first = {0, 0, 2, 0, 3, 0, 3.2, 0, 4, 0, 5, 0};
        ASSERT_EQ(v.size(), first.size());
        for (size_t i = 0; i < v.size(); ++i) EXPECT_NEAR(v[i], first[i], 1e-5) << i;
        /* the dash goes on for 1 up the corner, a gap, a dot, a gap, a dash */
        v = Numbers(dashes[1]);
        std::vector<double> second = {5, 0, 5, 1, 5, 2, 5, 2.2, 5, 3, 5, 4};
        ASSERT_EQ(v.size(), second.size());
        for (size_t i = 0; i < v.size(); ++i) EXPECT_NEAR(v[i], second[i], 1e-5) << i;
        v = Numbers(dashes[2]);
        ASSERT_GE(v.size(), 4u);
        EXPECT_NEAR(v[0], 10, 1e-5);
        EXPECT_NEAR(v[2], 12, 1e-5);
        EXPECT_TRUE(cap.Lines("CIRCLE").empty()) << "the circle is cut into dashes";
        if (profile == VyrCgmProfileStandard) {
            ASSERT_FALSE(cap.Lines("POLYLINE").empty());
            EXPECT_EQ(cap.Lines("POLYLINE").back(), "POLYLINE (0,20) (5,20)") << "after the pattern ended";
            EXPECT_EQ(types.back(), "LINE TYPE 2") << "the line type again";
        }
    }
    CgmCapture cap(VyrCgmProfileStandard);
    const float bad[] = {1, std::nanf("")};
    EXPECT_EQ(cap->SetDashPattern(2, bad), -1);
}

} // namespace
