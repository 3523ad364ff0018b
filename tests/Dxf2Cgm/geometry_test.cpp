/* The simple curve elements: what each reads from its entity and the
 * primitive it writes under the identity, mirroring, rotating and scaling
 * transformations; degenerate and incomplete geometry writes nothing. */
#include "dxf2cgm_fixture.h"

#include <cmath>
#include <string>

#include "Dxf2Cgm/VyrDxf3DFace.h"
#include "Dxf2Cgm/VyrDxfArc.h"
#include "Dxf2Cgm/VyrDxfCircle.h"
#include "Dxf2Cgm/VyrDxfEllipse.h"
#include "Dxf2Cgm/VyrDxfEntHeader.h"
#include "Dxf2Cgm/VyrDxfLine.h"
#include "Dxf2Cgm/VyrDxfPoint.h"
#include "Dxf2Cgm/VyrDxfSolid.h"
#include "Dxf2Cgm/VyrDxfSpline.h"
#include "Dxf2Cgm/VyrListOfVyrDxfElem.h"

namespace {

using vyrtest::Only;
using vyrtest::Plain;
using vyrtest::Point3;
using vyrtest::Props;
using vyrtest::Record;
using R = VyrRecordingGenerator;

/* The numbers of a recorded primitive line, after its name. */
std::vector<double> Numbers(const std::string &line)
{
    std::vector<double> out;
    size_t pos = line.find(' ');
    while (pos != std::string::npos && pos + 1 < line.size()) {
        const size_t next = line.find(' ', pos + 1);
        const std::string word =
            line.substr(pos + 1, next == std::string::npos ? std::string::npos : next - pos - 1);
        char *end = nullptr;
        const double v = std::strtod(word.c_str(), &end);
        if (end && *end == '\0') out.push_back(v);
        pos = next;
    }
    return out;
}

/* The single primitive `name` the element wrote. */
std::vector<double> Drawn(VyrDxfEntity &e, const char *name, const VyrMathTransformation2D *t = nullptr)
{
    const std::vector<std::string> lines = Only(Record(e, t), name);
    EXPECT_EQ(lines.size(), 1u) << name;
    return lines.empty() ? std::vector<double>() : Numbers(lines[0]);
}

void ExpectNear(const std::vector<double> &got, const std::vector<double> &want, double tolerance = 1e-5)
{
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(got[i], want[i], tolerance) << "value " << i;
}

VyrMathTransformation2D Mirror(double sx, double sy)
{
    return VyrMathTransformation2D(VyrMath2x2Matrix(sx, sy), VyrMathVector2D(0.0, 0.0));
}

VyrMathTransformation2D Rotation(double degrees)
{
    return VyrMathTransformation2D(VyrMathO2D, degrees, VyrMathRotation);
}

class Geometry : public vyrtest::Dxf2CgmTest {};

TEST_F(Geometry, Lines)
{
    VyrDxfLine line(Line(1.5, -2, 30, 40.25, Plain()), nullptr, nullptr);
    EXPECT_EQ(Record(line), (std::vector<std::string>{"DrawLine 1.5 -2 30 40.25"}));
    const VyrMathTransformation2D shift(VyrMathVector2D(100, 200));
    EXPECT_EQ(Record(line, &shift), (std::vector<std::string>{"DrawLine 101.5 198 130 240.25"}));

    VyrDxfEntHeader header(Line(0, 0, 0, 0, Plain()));
    VyrDxfLine mirrored(1, 2, 3, 4, &header, 1);
    EXPECT_EQ(Record(mirrored), (std::vector<std::string>{"DrawLine -1 2 -3 4"})) << "mirrored in x";
    VyrDxfLine plain(1, 2, 3, 4, &header);
    EXPECT_EQ(Record(plain), (std::vector<std::string>{"DrawLine 1 2 3 4"}));
    EXPECT_EQ(plain.GetEntity(), 0u);

    /* An entity of another kind leaves the line at the origin. */
    VyrDxfLine wrongKind(Circle(5, 5, 1, Plain()), nullptr, nullptr);
    EXPECT_EQ(wrongKind.GetStart()[0], 0.0);
    EXPECT_EQ(wrongKind.GetEnd()[1], 0.0);

    VyrRecordingGenerator *g = new VyrRecordingGenerator();
    EXPECT_EQ(line.Write(nullptr, nullptr), 1);
    EXPECT_EQ(line.Write(g, nullptr), 1);
    g->Release();
}

TEST_F(Geometry, DegreesToRadians)
{
    EXPECT_DOUBLE_EQ(VyrDxfArc::DegreeToRadian(90.0), M_PI / 2);
    EXPECT_DOUBLE_EQ(VyrDxfArc::DegreeToRadian(360.0), 2 * M_PI) << "360 stays";
    EXPECT_DOUBLE_EQ(VyrDxfArc::DegreeToRadian(-360.0), 2 * M_PI);
    EXPECT_DOUBLE_EQ(VyrDxfArc::DegreeToRadian(450.0), M_PI / 2);
    EXPECT_DOUBLE_EQ(VyrDxfArc::DegreeToRadian(720.0), 0.0);
    EXPECT_DOUBLE_EQ(VyrDxfArc::DegreeToRadian(-90.0), 1.5 * M_PI);
    EXPECT_DOUBLE_EQ(VyrDxfArc::DegreeToRadian(-450.0), 1.5 * M_PI);
    EXPECT_NEAR(VyrDxfArc::DegreeToRadian(725.5), 5.5 * M_PI / 180, 1e-12);
}

TEST_F(Geometry, ArcsUnderTransformations)
{
    VyrDxfArc arc(Arc(0, 0, 2, 0, 90, Plain()), nullptr, nullptr);
    ExpectNear(Drawn(arc, "DrawArc"), {0, 0, 2, 0, M_PI / 2, 0});

    const VyrMathTransformation2D mirrorY = Mirror(1, -1);
    ExpectNear(Drawn(arc, "DrawArc", &mirrorY), {0, 0, 2, -M_PI / 2, 0, 0});

    const VyrMathTransformation2D turn30 = Rotation(30);
    ExpectNear(Drawn(arc, "DrawArc", &turn30), {0, 0, 2, M_PI / 6, 2 * M_PI / 3, 0});

    /* Mirrored in x (a mirror about the y axis): the first quadrant arc
     * lands in the second quadrant, still anticlockwise. */
    const VyrMathTransformation2D mirrorX = Mirror(-1, 1);
    ExpectNear(Drawn(arc, "DrawArc", &mirrorX), {0, 0, 2, M_PI / 2, M_PI, 0});

    /* Mirror, then rotate by 90 degrees: (x, y) -> (y, x). */
    const VyrMathTransformation2D swap = Rotation(90) * mirrorY;
    ExpectNear(Drawn(arc, "DrawArc", &swap), {0, 0, 2, 0, M_PI / 2, 0});

    /* A uniform scale and a shift move the centre and scale the radius. */
    const VyrMathTransformation2D scaled = VyrMathTransformation2D(VyrMathVector2D(10, 20)) *
                                           VyrMathTransformation2D(VyrMathO2D, 3.0, VyrMathScaling);
    ExpectNear(Drawn(arc, "DrawArc", &scaled), {10, 20, 6, 0, M_PI / 2, 0});

    /* A tiny scale (a block scaled by 0.0005) is still no mirror. */
    const VyrMathTransformation2D tiny(VyrMathO2D, 0.0005, VyrMathScaling);
    ExpectNear(Drawn(arc, "DrawArc", &tiny), {0, 0, 0.001, 0, M_PI / 2, 0}, 1e-7);

    /* A collapsed transformation draws nothing. */
    const VyrMathTransformation2D flat = Mirror(1, 0);
    int result = 0;
    EXPECT_TRUE(Only(Record(arc, &flat, &result), "Draw").empty());
    EXPECT_EQ(result, 1);
}

TEST_F(Geometry, ArcsMirroredByExtrusion)
{
    Props down = Plain();
    down.extrusionZ = -1.0;
    VyrDxfArc arc(Arc(10, 0, 1, 0, 90, down), nullptr, nullptr);
    ExpectNear(Drawn(arc, "DrawArc"), {-10, 0, 1, M_PI / 2, M_PI, 0});
    VyrDxfArc late(Arc(0, 5, 1, 200, 300, down), nullptr, nullptr);
    /* m(a) = 3 pi - a above pi: start' = m(300), end' = m(200). */
    ExpectNear(Drawn(late, "DrawArc"),
               {0, 5, 1, 3 * M_PI - 300 * M_PI / 180, 3 * M_PI - 200 * M_PI / 180, 0});

    /* A full turn stays a full turn. */
    VyrDxfArc full(Arc(10, 5, 3, 0, 360, down), nullptr, nullptr);
    ExpectNear(Drawn(full, "DrawArc"), {-10, 5, 3, M_PI, 3 * M_PI, 0});

    VyrDxfEntHeader header(Line(0, 0, 0, 0, Plain()));
    VyrDxfArc numbers(4, 1, 2, 0, M_PI / 2, &header, 1);
    ExpectNear(Drawn(numbers, "DrawArc"), {-4, 1, 2, M_PI / 2, M_PI, 0});
    VyrDxfArc straight(4, 1, 2, 0.25, 1.0, &header, 0);
    ExpectNear(Drawn(straight, "DrawArc"), {4, 1, 2, 0.25, 1.0, 0});
}

TEST_F(Geometry, ArcsTooShortOrUnread)
{
    VyrDxfArc tiny(Arc(0, 0, 1, 10, 10.05, Plain()), nullptr, nullptr);
    int result = 0;
    EXPECT_TRUE(Only(Record(tiny, nullptr, &result), "DrawArc").empty()) << "under 0.001 radians";
    EXPECT_EQ(result, 1);
    VyrDxfArc enough(Arc(0, 0, 1, 10, 10.1, Plain()), nullptr, nullptr);
    EXPECT_EQ(Only(Record(enough), "DrawArc").size(), 1u);

    VyrDxfArc wrongKind(Line(0, 0, 1, 1, Plain()), nullptr, nullptr);
    EXPECT_EQ(wrongKind.GetRadius(), -1.0) << "no arc data";
}

TEST_F(Geometry, Circles)
{
    VyrDxfCircle circle(Circle(1, 2, 5, Plain()), nullptr, nullptr);
    ExpectNear(Drawn(circle, "DrawArc"), {1, 2, 5, 0, 2 * M_PI, 0});
    const VyrMathTransformation2D twice(VyrMathO2D, 2.0, VyrMathScaling);
    ExpectNear(Drawn(circle, "DrawArc", &twice), {2, 4, 10, 0, 2 * M_PI, 0});

    Props down = Plain();
    down.extrusionZ = -0.5;
    VyrDxfCircle mirrored(Circle(7, 2, 1, down), nullptr, nullptr);
    ExpectNear(Drawn(mirrored, "DrawArc"), {-7, 2, 1, 0, 2 * M_PI, 0});
    EXPECT_EQ(VyrDxfCircle(Point(0, 0), nullptr, nullptr).GetRadius(), -1.0);
}

/* Under an uneven or skewed scale (an insert with different x and y
 * scales, mirrored or turned as well) circles, arcs and the arcs of
 * polyline bulges are the ellipses the transformation makes: each drawn
 * ellipse passes through the images of the arc's end points and of its
 * middle, and a circle's every drawn point maps back onto the circle. */
TEST_F(Geometry, CirclesAndArcsUnderUnevenScales)
{
    const VyrMathTransformation2D cases[] = {
        Mirror(2, 3),
        Mirror(-2, 1),
        Rotation(30) * Mirror(1, 0.5),
        VyrMathTransformation2D(VyrMathVector2D(5, -1)) * Mirror(0.5, -4) * Rotation(20),
        VyrMathTransformation2D(VyrMath2x2Matrix(1.0, 0.5, 0.0, 1.0), VyrMathVector2D(0, 0)), /* a shear */
    };
    VyrDxfEntHeader header(Line(0, 0, 0, 0, Plain()));
    for (const VyrMathTransformation2D &t : cases) {
        /* the point of a drawn DrawEllipse at parameter s */
        auto at = [](const std::vector<double> &e, double s) {
            return VyrMathPoint2D(
                e[0] + e[2] * std::cos(s) * std::cos(e[6]) - e[3] * std::sin(s) * std::sin(e[6]),
                e[1] + e[2] * std::cos(s) * std::sin(e[6]) + e[3] * std::sin(s) * std::cos(e[6]));
        };
        auto near = [](const VyrMathPoint2D &a, const VyrMathPoint2D &b) {
            return std::hypot(a.GetX() - b.GetX(), a.GetY() - b.GetY()) < 1e-4;
        };
        VyrDxfCircle circle(Circle(1, 2, 5, Plain()), nullptr, nullptr);
        const std::vector<double> c = Drawn(circle, "DrawEllipse", &t);
        ASSERT_EQ(c.size(), 8u);
        EXPECT_NEAR(c[5] - c[4], 2 * M_PI, 1e-5) << "a full turn";
        const VyrMath2x2Matrix m = t.GetMatrix();
        const double det = m.Determinant();
        for (double s = 0; s < 2 * M_PI; s += 0.7) {
            /* the drawn point taken back through the transformation */
            const VyrMathPoint2D q = at(c, s);
            const double x = q.GetX() - t.GetTranslation().GetX(), y = q.GetY() - t.GetTranslation().GetY();
            const double px = (m.GetCoef(1, 1) * x - m.GetCoef(0, 1) * y) / det;
            const double py = (m.GetCoef(0, 0) * y - m.GetCoef(1, 0) * x) / det;
            EXPECT_NEAR(std::hypot(px - 1, py - 2), 5, 1e-4) << s;
        }

        /* a file's arc from 30 to 120 degrees, and a polyline's arc (the
           numbers the chain gives, mirrored by its extrusion) */
        VyrDxfArc arc(Arc(1, 2, 5, 30, 120, Plain()), nullptr, nullptr);
        VyrDxfArc bulge(3, 0, 2, 0.5, 2.0, &header, 1);
        const struct {
            VyrDxfArc *arc;
            double cx, cy, r, start, end;
        } arcs[] = {{&arc, 1, 2, 5, M_PI / 6, 2 * M_PI / 3}, {&bulge, -3, 0, 2, M_PI - 2.0, M_PI - 0.5}};
        for (const auto &a : arcs) {
            const std::vector<double> e = Drawn(*a.arc, "DrawEllipse", &t);
            ASSERT_EQ(e.size(), 8u);
            auto image = [&](double angle) {
                return t * VyrMathPoint2D(a.cx + a.r * std::cos(angle), a.cy + a.r * std::sin(angle));
            };
            const VyrMathPoint2D first = at(e, e[4]), last = at(e, e[5]);
            EXPECT_TRUE((near(first, image(a.start)) && near(last, image(a.end))) ||
                        (near(first, image(a.end)) && near(last, image(a.start))))
                << "ends";
            EXPECT_TRUE(near(at(e, (e[4] + e[5]) / 2), image((a.start + a.end) / 2))) << "middle";
        }
    }
}

TEST_F(Geometry, PointsFollowTheDisplayMode)
{
    VyrDxfPoint point(Point(3, 4, Plain()), nullptr, nullptr);
    const struct {
        int mode;
        int kind;
    } modes[] = {{0, 8}, {2, 1}, {3, 0}, {4, 8}, {32, 2}, {33, 4}, {34, 8}, {35, 8}, {64, 8}, {-1, 8}};
    for (const auto &m : modes) {
        PDMODE = m.mode;
        EXPECT_EQ(Record(point),
                  (std::vector<std::string>{"DrawMarker 3 4 " + std::to_string(m.kind) + " 0"}))
            << "PDMODE " << m.mode;
    }
    PDMODE = 1;
    int result = -1;
    EXPECT_TRUE(Only(Record(point, nullptr, &result), "Draw").empty()) << "mode 1 hides points";
    EXPECT_EQ(result, 0);
    PDMODE = 0;
    const VyrMathTransformation2D shift(VyrMathVector2D(-3, -4));
    EXPECT_EQ(Only(Record(point, &shift), "Draw"), (std::vector<std::string>{"DrawMarker 0 0 8 0"}));
}

TEST_F(Geometry, SolidsAreOutlined)
{
    /* Corners in the drawing's order 1, 2, 3, 4 form the outline 1-2-4-3. */
    VyrDxfSolid square(Solid({{{0, 0}, {10, 0}, {0, 10}, {10, 10}}}, Plain()), nullptr, nullptr);
    ASSERT_NE(square.GetEdges(), nullptr);
    EXPECT_EQ(square.GetEdges()->Size(), 4);
    EXPECT_EQ(Record(square), (std::vector<std::string>{"DrawLine 0 0 10 0", "DrawLine 10 0 10 10",
                                                        "DrawLine 10 10 0 10", "DrawLine 0 10 0 0"}));

    /* A triangle: corners 3 and 4 equal, one edge fewer. */
    VyrDxfSolid triangle(Solid({{{0, 0}, {4, 0}, {2, 3}, {2, 3}}}, Plain(), true), nullptr, nullptr);
    EXPECT_EQ(Record(triangle),
              (std::vector<std::string>{"DrawLine 0 0 4 0", "DrawLine 4 0 2 3", "DrawLine 2 3 0 0"}));

    /* Every corner the same: nothing to draw. */
    VyrDxfSolid dot(Solid({{{1, 1}, {1, 1}, {1, 1}, {1, 1}}}, Plain()), nullptr, nullptr);
    int result = 0;
    EXPECT_TRUE(Record(dot, nullptr, &result).empty());
    EXPECT_EQ(result, 1);

    /* The edges carry the solid's properties. */
    Props red = Plain();
    red.color = 1;
    VyrDxfSolid coloured(Solid({{{0, 0}, {1, 0}, {0, 1}, {0, 1}}}, red), nullptr, nullptr);
    const std::vector<std::string> log = Record(coloured);
    EXPECT_EQ(Only(log, "SetColor"), (std::vector<std::string>{"SetColor 1"}));

    VyrDxfSolid none;
    EXPECT_EQ(none.GetEdges(), nullptr);
    EXPECT_TRUE(Record(none, nullptr, &result).empty());
    EXPECT_EQ(result, 1);
}

/* Asked for filled areas, a solid or trace is one area in its colour; the
 * drawing's fill mode 0, or a solid without area, keeps the outline. */
TEST_F(Geometry, SolidsAreFilledOnRequest)
{
    VyrDxf2CgmOptions filled;
    filled.filledAreas = true;
    VyrDxfEntity::SetOptions(filled);
    Props red = Plain();
    red.color = 1;
    VyrDxfSolid square(Solid({{{0, 0}, {10, 0}, {0, 5}, {10, 5}}}, red), nullptr, nullptr);
    VyrDxfSolid trace(Solid({{{0, 0}, {4, 0}, {2, 3}, {2, 3}}}, red, true), nullptr, nullptr);
    VyrDxfSolid crossed(Solid({{{0, 0}, {10, 0}, {10, 10}, {0, 10}}}, red), nullptr, nullptr);
    VyrDxfSolid flat(Solid({{{0, 0}, {5, 0}, {10, 0}, {10, 0}}}, red), nullptr, nullptr);
    const VyrMathTransformation2D shift(VyrMathVector2D(100, 0));
    EXPECT_EQ(Record(square, &shift),
              (std::vector<std::string>{"SetFillColor 1", "DrawPolygon 4 100 0 110 0 110 5 100 5"}));
    VyrDxfEntity::ResetAttributeCache();
    EXPECT_EQ(Only(Record(trace), "Draw"), (std::vector<std::string>{"DrawPolygon 4 0 0 4 0 2 3 2 3"}));
    /* Corners given crossed draw the two triangles the drawing means. */
    EXPECT_EQ(Only(Record(crossed), "Draw"), (std::vector<std::string>{"DrawPolygon 4 0 0 10 0 0 10 10 10"}));
    EXPECT_EQ(Only(Record(flat), "Draw"),
              (std::vector<std::string>{"DrawLine 0 0 5 0", "DrawLine 5 0 10 0", "DrawLine 10 0 0 0"}));

    VyrDxfEntity::SetFillMode(0);
    EXPECT_EQ(Only(Record(square), "Draw").size(), 4u) << "fill mode 0 draws outlines";
    VyrDxfEntity::SetFillMode(1);
    VyrDxfEntity::SetOptions(VyrDxf2CgmOptions());
    EXPECT_EQ(Only(Record(square), "Draw").size(), 4u) << "outlines without the option";
}

/* A solid stores points of its own coordinate system: mirrored in x when
 * its extrusion points down. */
TEST_F(Geometry, SolidsMirroredByExtrusion)
{
    Props down = Plain();
    down.extrusionZ = -1.0;
    VyrDxfSolid square(Solid({{{60, 0}, {70, 0}, {60, 5}, {70, 5}}}, down), nullptr, nullptr);
    EXPECT_EQ(Record(square), (std::vector<std::string>{"DrawLine -60 0 -70 0", "DrawLine -70 0 -70 5",
                                                        "DrawLine -70 5 -60 5", "DrawLine -60 5 -60 0"}));
    VyrDxf2CgmOptions filled;
    filled.filledAreas = true;
    VyrDxfEntity::SetOptions(filled);
    EXPECT_EQ(Only(Record(square), "Draw"),
              (std::vector<std::string>{"DrawPolygon 4 -60 0 -70 0 -70 5 -60 5"}));
}

/* The centre and axis of an ellipse are world points; an extrusion that
 * points down runs its parameters clockwise, and so does a mirroring
 * transformation: either way the arc lands where the drawing puts it. */
TEST_F(Geometry, EllipsesMirrored)
{
    Props down = Plain();
    down.extrusionZ = -1.0;
    /* From (34, 5) clockwise to (30, 3): anticlockwise from -pi/2 to 0. */
    VyrDxfEllipse byExtrusion(Ellipse(30, 5, 4, 0, 0.5, 0, M_PI / 2, down), nullptr, nullptr);
    ExpectNear(Drawn(byExtrusion, "DrawEllipse"), {30, 5, 4, 2, -M_PI / 2, 0, 0, 0});
    VyrDxfEllipse fullDown(Ellipse(0, 0, 4, 0, 0.5, 0, 2 * M_PI, down), nullptr, nullptr);
    ExpectNear(Drawn(fullDown, "DrawEllipse"), {0, 0, 4, 2, -2 * M_PI, 0, 0, 0});

    /* The first-quadrant arc from (4, 0) to (0, 2), mirrored in y: from
     * (4, 0) to (0, -2), the fourth quadrant; mirrored in x: from (-4, 0)
     * to (0, 2), the second. */
    VyrDxfEllipse quarter(Ellipse(0, 0, 4, 0, 0.5, 0, M_PI / 2, Plain()), nullptr, nullptr);
    const VyrMathTransformation2D mirrorY = Mirror(1, -1);
    ExpectNear(Drawn(quarter, "DrawEllipse", &mirrorY), {0, 0, 4, 2, -M_PI / 2, 0, 0, 0});
    const VyrMathTransformation2D mirrorX = Mirror(-1, 1);
    ExpectNear(Drawn(quarter, "DrawEllipse", &mirrorX), {0, 0, 4, 2, -M_PI / 2, 0, M_PI, 0});
    /* Down and mirrored: the two reversals cancel. */
    ExpectNear(Drawn(byExtrusion, "DrawEllipse", &mirrorY), {30, -5, 4, 2, 0, M_PI / 2, 0, 0});
}

/* Entities on a tilted plane are drawn as the plan view shows them: the
 * circle of radius 5 on the plane through the x axis tilted 60 degrees
 * about it is an ellipse of axes 5 and 2.5. */
TEST_F(Geometry, TiltedCirclesAndArcsAreEllipses)
{
    Props tilted = Plain();
    tilted.extrusionY = -std::sqrt(3.0) / 2;
    tilted.extrusionZ = 0.5;
    VyrDxfCircle circle(Circle(0, 0, 5, tilted), nullptr, nullptr);
    const std::vector<double> e = Drawn(circle, "DrawEllipse");
    ASSERT_EQ(e.size(), 8u);
    EXPECT_NEAR(e[2], 5, 1e-5);
    EXPECT_NEAR(e[3], 2.5, 1e-5);
    EXPECT_NEAR(e[5] - e[4], 2 * M_PI, 1e-5) << "a full turn";
    EXPECT_NEAR(std::fabs(std::sin(e[6])), 0, 1e-5) << "major axis along x";

    /* The quarter arc from the plane's x axis to its y axis: from (5, 0) to
     * (0, 2.5) in the plan view, anticlockwise. */
    VyrDxfArc arc(Arc(0, 0, 5, 0, 90, tilted), nullptr, nullptr);
    const std::vector<double> a = Drawn(arc, "DrawEllipse");
    ASSERT_EQ(a.size(), 8u);
    auto at = [&a](double t) {
        return std::vector<double>{
            a[0] + a[2] * std::cos(t) * std::cos(a[6]) - a[3] * std::sin(t) * std::sin(a[6]),
            a[1] + a[2] * std::cos(t) * std::sin(a[6]) + a[3] * std::sin(t) * std::cos(a[6])};
    };
    ExpectNear(at(a[4]), {5, 0});
    ExpectNear(at(a[5]), {0, 2.5});
}

/* A 3D face is the plan view of its visible edges. */
TEST_F(Geometry, ThreeDimensionalFacesShowTheirVisibleEdges)
{
    const std::array<Point3, 4> quad = {{{0, 40, 0}, {10, 40, 5}, {10, 50, 5}, {0, 50, 0}}};
    const struct {
        int invisible;
        std::vector<std::string> drawn;
    } cases[] = {
        {0, {"DrawLine 0 40 10 40", "DrawLine 10 40 10 50", "DrawLine 10 50 0 50", "DrawLine 0 50 0 40"}},
        {2 | 8, {"DrawLine 0 40 10 40", "DrawLine 10 50 0 50"}},
        {1 | 4, {"DrawLine 10 40 10 50", "DrawLine 0 50 0 40"}},
        {15, {}},
    };
    for (const auto &c : cases) {
        VyrDxf3DFace face(Face(quad, c.invisible, Plain()), nullptr, nullptr);
        int result = -1;
        EXPECT_EQ(Only(Record(face, nullptr, &result), "Draw"), c.drawn) << "flags " << c.invisible;
        EXPECT_EQ(result, c.drawn.empty() ? 1 : 0);
    }
    /* A triangle repeats its third corner: three edges. */
    VyrDxf3DFace triangle(Face({{{0, 0, 0}, {4, 0, 0}, {2, 3, 1}, {2, 3, 1}}}, 0, Plain()), nullptr, nullptr);
    EXPECT_EQ(Only(Record(triangle), "Draw"),
              (std::vector<std::string>{"DrawLine 0 0 4 0", "DrawLine 4 0 2 3", "DrawLine 2 3 0 0"}));
}

TEST_F(Geometry, EllipsesAtRotation)
{
    VyrDxfEllipse flat(Ellipse(1, 2, 4, 0, 0.5, 0, 2 * M_PI, Plain()), nullptr, nullptr);
    ExpectNear(Drawn(flat, "DrawEllipse"), {1, 2, 4, 2, 0, 2 * M_PI, 0, 0});

    VyrDxfEllipse tilted(Ellipse(0, 0, 3, 3, 0.25, 0.5, 2.0, Plain()), nullptr, nullptr);
    ExpectNear(Drawn(tilted, "DrawEllipse"),
               {0, 0, 3 * std::sqrt(2.0), 0.75 * std::sqrt(2.0), 0.5, 2.0, M_PI / 4, 0});

    VyrDxfEllipse down(Ellipse(0, 0, 0, -2, 0.5, 0, M_PI, Plain()), nullptr, nullptr);
    ExpectNear(Drawn(down, "DrawEllipse"), {0, 0, 2, 1, 0, M_PI, -M_PI / 2, 0});

    const VyrMathTransformation2D turn = Rotation(90);
    ExpectNear(Drawn(flat, "DrawEllipse", &turn), {-2, 1, 4, 2, 0, 2 * M_PI, M_PI / 2, 0});

    VyrDxfEllipse collapsed(Ellipse(5, 5, 0, 0, 0.5, 0, 1, Plain()), nullptr, nullptr);
    ExpectNear(Drawn(collapsed, "DrawEllipse"), {5, 5, 0, 0, 0, 1, 0, 0});
}

TEST_F(Geometry, SplinesThroughFitPoints)
{
    const std::vector<Point3> fit = {{0, 0, 0}, {1, 2, 0}, {3, 2, 0}, {4, 0, 0}};
    VyrDxfSpline open(Spline(3, 0, {}, {}, {}, fit, Plain()), nullptr, nullptr);
    EXPECT_EQ(Only(Record(open), "Draw"), (std::vector<std::string>{"DrawCurve 4 0 0 1 2 3 2 4 0"}));

    VyrDxfSpline closed(Spline(3, 1, {}, {}, {}, fit, Plain()), nullptr, nullptr);
    EXPECT_TRUE(closed.IsClosed());
    EXPECT_EQ(Only(Record(closed), "Draw"), (std::vector<std::string>{"DrawCurve 5 0 0 1 2 3 2 4 0 0 0"}));

    /* The stored points stay in model coordinates: two writes under two
     * transformations give two placements. */
    const VyrMathTransformation2D a(VyrMathVector2D(10, 0));
    const VyrMathTransformation2D b(VyrMathVector2D(0, 10));
    EXPECT_EQ(Only(Record(open, &a), "Draw"), (std::vector<std::string>{"DrawCurve 4 10 0 11 2 13 2 14 0"}));
    EXPECT_EQ(Only(Record(open, &b), "Draw"), (std::vector<std::string>{"DrawCurve 4 0 10 1 12 3 12 4 10"}));

    VyrDxfSpline empty(Spline(3, 0, {}, {}, {}, {}, Plain()), nullptr, nullptr);
    int result = 0;
    EXPECT_TRUE(Record(empty, nullptr, &result).empty());
    EXPECT_EQ(result, 1);
}

/* Fit points with stored end tangents: the cubic B-spline through them
 * whose end derivatives point along the tangents, with the length of the
 * chord polygon. */
TEST_F(Geometry, SplinesThroughFitPointsWithTangents)
{
    const std::vector<Point3> fit = {{0, 0, 0}, {3, 0, 0}};
    db_ptr entity = Spline(3, 0, {}, {}, {}, fit, Plain());
    {
        void *memory = nullptr;
        ASSERT_EQ(mda_LockEntity(0, entity, &memory), 0);
        dxf_spline *rec = static_cast<dxf_spline *>(memory);
        rec->strtan[1] = 1;
        rec->endtan[1] = -1;
        mda_UnlockEntity(0, entity);
    }
    VyrDxfSpline arch(entity, nullptr, nullptr);
    EXPECT_EQ(Only(Record(arch), "Draw"),
              (std::vector<std::string>{
                  "DrawNurbs 4 4 0 0 0 1 3 1 3 0 knots 8 0 0 0 0 1 1 1 1 0 1000 weights 1 1 1 1"}));
}

TEST_F(Geometry, SplinesThroughControlPoints)
{
    const std::vector<Point3> control = {{0, 0, 0}, {1, 1, 0}, {2, 1, 0}, {3, 0, 0}};
    const std::vector<double> knots = {0, 0, 0, 0, 1, 1, 1, 1};
    VyrDxfSpline plain(Spline(3, 8, knots, control, {}, {}, Plain()), nullptr, nullptr);
    EXPECT_FALSE(plain.IsRational());
    EXPECT_EQ(Only(Record(plain), "Draw"),
              (std::vector<std::string>{
                  "DrawNurbs 4 4 0 0 1 1 2 1 3 0 knots 8 0 0 0 0 1 1 1 1 0 1000 weights 1 1 1 1"}));

    /* Rational: the model's positive weights, 1 where a weight is not
     * positive. */
    VyrDxfSpline rational(Spline(3, 4 | 8, knots, control, {1, 0.5, 0, 2}, {}, Plain()), nullptr, nullptr);
    EXPECT_TRUE(rational.IsRational());
    EXPECT_EQ(Only(Record(rational), "Draw"),
              (std::vector<std::string>{
                  "DrawNurbs 4 4 0 0 1 1 2 1 3 0 knots 8 0 0 0 0 1 1 1 1 0 1000 weights 1 0.5 1 2"}));

    const VyrMathTransformation2D twice(VyrMathO2D, 2.0, VyrMathScaling);
    EXPECT_EQ(Only(Record(plain, &twice), "Draw"),
              (std::vector<std::string>{
                  "DrawNurbs 4 4 0 0 2 2 4 2 6 0 knots 8 0 0 0 0 1 1 1 1 0 1000 weights 1 1 1 1"}));

    /* Control points without knots: nothing drawn, fit points unused. */
    VyrDxfSpline noKnots(Spline(3, 0, {}, control, {}, {{0, 0, 0}, {5, 5, 0}}, Plain()), nullptr, nullptr);
    int result = 0;
    EXPECT_TRUE(Record(noKnots, nullptr, &result).empty());
    EXPECT_EQ(result, 1);
}

} // namespace
