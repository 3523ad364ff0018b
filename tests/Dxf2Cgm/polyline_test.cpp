/* The polyline elements with the recording generator: the exact calls for
 * plain and closed chains, bulges, wide bands and their joins, smoothed
 * polylines, 3D polylines and meshes, each also mirrored by a downward
 * extrusion and inside a rotated, scaled transformation; thresholds, line
 * weights, and broken chains that must neither crash nor stop the rest.
 *
 * The expected numbers are worked out by hand from the geometry (written
 * as the closed forms they come from); arcs are compared by centre, radius,
 * start angle and anticlockwise sweep, angles modulo a full turn. */
#include "dxf2cgm_fixture.h"
#include "support/Fields.h"

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "Dxf2Cgm/VyrDxfEntHeader.h"
#include "Dxf2Cgm/VyrDxfLWPolyline.h"
#include "Dxf2Cgm/VyrDxfPolyline.h"
#include "Dxf2Cgm/VyrDxfSmoothedPolyline.h"

namespace {

using vyrtest::Only;
using vyrtest::Plain;
using vyrtest::Props;

Props Down(Props p = Plain())
{
    p.extrusionZ = -1.0;
    return p;
}

/* A vertex: point, bulge, widths, flags, polyface numbers, z. */
struct V {
    double x, y;
    double bulge = 0.0;
    double startWidth = 0.0, endWidth = 0.0;
    int flags = 0;
    std::array<int, 4> faces = {{0, 0, 0, 0}};
    double z = 0.0;
};

/* One recorded or expected call: its name and its numbers. */
struct Call {
    std::string name;
    std::vector<double> args;
};
using Calls = std::vector<Call>;

Call Parse(const std::string &line)
{
    Call c;
    size_t pos = line.find(' ');
    c.name = line.substr(0, pos);
    while (pos != std::string::npos) {
        const size_t next = line.find(' ', pos + 1);
        const std::string word =
            line.substr(pos + 1, next == std::string::npos ? std::string::npos : next - pos - 1);
        c.args.push_back(std::strtod(word.c_str(), nullptr));
        pos = next;
    }
    return c;
}

double Turn(double a) { return a - 2 * M_PI * std::floor(a / (2 * M_PI)); }

/* Difference of two angles modulo a full turn, in [0, pi]. */
double AngleGap(double a, double b)
{
    const double d = Turn(a - b);
    return std::min(d, 2 * M_PI - d);
}

std::string Show(const Calls &calls)
{
    std::string s;
    for (const Call &c : calls) {
        s += c.name;
        for (double v : c.args) s += " " + std::to_string(v);
        s += "\n";
    }
    return s;
}

void ExpectCalls(const std::vector<std::string> &log, const Calls &want, const std::string &what = "")
{
    Calls got;
    for (const std::string &line : log) got.push_back(Parse(line));
    ASSERT_EQ(got.size(), want.size()) << what << "\ngot:\n" << Show(got) << "want:\n" << Show(want);
    for (size_t i = 0; i < want.size(); ++i) {
        const Call &g = got[i], &w = want[i];
        ASSERT_EQ(g.name, w.name) << what << " call " << i << "\ngot:\n"
                                  << Show(got) << "want:\n"
                                  << Show(want);
        ASSERT_EQ(g.args.size(), w.args.size()) << what << " call " << i;
        if (w.name == "DrawArc") {
            for (int k = 0; k < 3; ++k) EXPECT_NEAR(g.args[k], w.args[k], 1e-4) << what << " call " << i;
            EXPECT_LT(AngleGap(g.args[3], w.args[3]), 1e-4) << what << " call " << i << " start";
            EXPECT_NEAR(Turn(g.args[4] - g.args[3]), Turn(w.args[4] - w.args[3]), 1e-4)
                << what << " call " << i << " sweep";
            continue;
        }
        for (size_t k = 0; k < w.args.size(); ++k)
            EXPECT_NEAR(g.args[k], w.args[k], 1e-4 * std::max(1.0, std::fabs(w.args[k])))
                << what << " call " << i << " value " << k << "\ngot:\n"
                << Show(got);
    }
}

Call DLine(double x1, double y1, double x2, double y2) { return {"DrawLine", {x1, y1, x2, y2}}; }
Call DArc(double cx, double cy, double r, double start, double end)
{
    return {"DrawArc", {cx, cy, r, start, end, 0}};
}
Call Points(const char *name, const std::vector<double> &xy)
{
    Call c{name, {static_cast<double>(xy.size() / 2)}};
    c.args.insert(c.args.end(), xy.begin(), xy.end());
    return c;
}

/* The calls as mirrored in x: points negated in x; an arc's centre too, its
 * angles a -> pi - a, start and end swapped. */
Calls Mirrored(const Calls &calls)
{
    Calls out = calls;
    for (Call &c : out) {
        if (c.name == "DrawLine") {
            c.args[0] = -c.args[0];
            c.args[2] = -c.args[2];
        } else if (c.name == "DrawPolyline" || c.name == "DrawCurve") {
            for (size_t k = 1; k < c.args.size(); k += 2) c.args[k] = -c.args[k];
        } else if (c.name == "DrawArc") {
            const double start = c.args[3], end = c.args[4];
            c.args[0] = -c.args[0];
            c.args[3] = M_PI - end;
            c.args[4] = M_PI - start;
        }
    }
    return out;
}

/* The transformation of the tests: turn by 30 degrees, scale by 2, then
 * shift by (100, 50). */
const double kTurn = 30.0, kScale = 2.0, kShiftX = 100.0, kShiftY = 50.0;

VyrMathTransformation2D Placed()
{
    return VyrMathTransformation2D(VyrMathVector2D(kShiftX, kShiftY)) *
           VyrMathTransformation2D(VyrMathO2D, kTurn, VyrMathRotation) *
           VyrMathTransformation2D(VyrMathO2D, kScale, VyrMathScaling);
}

void Place(double &x, double &y)
{
    const double a = kTurn * M_PI / 180.0;
    const double px = kScale * (x * std::cos(a) - y * std::sin(a)) + kShiftX;
    const double py = kScale * (x * std::sin(a) + y * std::cos(a)) + kShiftY;
    x = px;
    y = py;
}

Calls Placed(const Calls &calls)
{
    Calls out = calls;
    for (Call &c : out) {
        if (c.name == "DrawLine") {
            Place(c.args[0], c.args[1]);
            Place(c.args[2], c.args[3]);
        } else if (c.name == "DrawPolyline" || c.name == "DrawCurve") {
            for (size_t k = 1; k + 1 < c.args.size(); k += 2) Place(c.args[k], c.args[k + 1]);
        } else if (c.name == "DrawArc") {
            Place(c.args[0], c.args[1]);
            c.args[2] *= kScale;
            c.args[3] += kTurn * M_PI / 180.0;
            c.args[4] += kTurn * M_PI / 180.0;
        }
    }
    return out;
}

class Polylines : public vyrtest::Dxf2CgmTest {
public:
    /* A lightweight polyline; `count` overrides the stored vertex count. */
    db_ptr Lw(const std::vector<V> &v, int flags, double constantWidth = 0.0, const Props &p = Plain(),
              int count = -1)
    {
        db_ptr ptr;
        dxf_lwpolyline *rec = Begin<dxf_lwpolyline>(DXFI_TF_dxf_lwpolyline, ptr);
        SetCommon(rec->dxfhdr, p);
        rec->pflag = static_cast<int16_t>(flags);
        rec->cwidth = constantWidth;
        rec->npoints = count >= 0 ? count : static_cast<int32_t>(v.size());
        if (!v.empty()) {
            double *points = Array<double>(rec, &rec->points, 2 * v.size());
            double *bulges = Array<double>(rec, &rec->bulge, v.size());
            double *widths = Array<double>(rec, &rec->widths, 2 * v.size());
            for (size_t i = 0; i < v.size(); ++i) {
                points[2 * i] = v[i].x;
                points[2 * i + 1] = v[i].y;
                bulges[i] = v[i].bulge;
                widths[2 * i] = v[i].startWidth;
                widths[2 * i + 1] = v[i].endWidth;
            }
        }
        End(ptr);
        return ptr;
    }

    /* A classic polyline of type-form `tf` and its vertex entities. */
    db_ptr Pl(mda_tf tf, const std::vector<V> &v, int closed = 0, double startWidth = 0.0,
              double endWidth = 0.0, const Props &p = Plain(), int m = 0, int n = 0, int closedN = 0)
    {
        std::vector<db_ptr> vertices;
        for (const V &x : v) {
            db_ptr vp;
            dxf_vertex *r = Begin<dxf_vertex>(DXFI_TF_dxf_vertex, vp);
            SetCommon(r->dxfhdr, p);
            r->xyzloc[0] = x.x;
            r->xyzloc[1] = x.y;
            r->xyzloc[2] = x.z;
            r->bulge = x.bulge;
            r->vdswidth = x.startWidth;
            r->vdewidth = x.endWidth;
            r->vflag = x.flags;
            for (int k = 0; k < 4; ++k) r->face_mesh[k] = x.faces[static_cast<size_t>(k)];
            End(vp);
            vertices.push_back(vp);
        }
        db_ptr ptr;
        dxf_2dpolyline *rec = Begin<dxf_2dpolyline>(tf, ptr);
        SetCommon(rec->dxfhdr, p);
        rec->dswidth = startWidth;
        rec->dewidth = endWidth;
        rec->closed_flag1 = closed;
        rec->closed_flag2 = closedN;
        rec->mmcnt = m;
        rec->mncnt = n;
        rec->num_vtx = static_cast<int32_t>(vertices.size());
        if (!vertices.empty()) {
            db_ptr *e = Array<db_ptr>(rec, &rec->vertex, vertices.size());
            for (size_t i = 0; i < vertices.size(); ++i) EXPECT_EQ(mda_AddPtr(ptr, vertices[i], &e[i]), 0);
        }
        End(ptr);
        return ptr;
    }

    /* The element the walker makes of an entity. */
    std::unique_ptr<VyrDxfEntity> Element(db_ptr entity)
    {
        return std::unique_ptr<VyrDxfEntity>(
            reinterpret_cast<VyrDxfEntity *>(VyrDxf2Cgm::dxfParse(entity, 1, nullptr, nullptr)));
    }

    /* What writing the element records, from the picture's starting
     * attributes. */
    std::vector<std::string> Write(db_ptr entity, const VyrMathTransformation2D *t = nullptr,
                                   int *result = nullptr)
    {
        std::unique_ptr<VyrDxfEntity> e = Element(entity);
        EXPECT_NE(e, nullptr);
        if (!e) return {};
        VyrDxfEntity::ResetAttributeCache();
        return vyrtest::Record(*e, t, result);
    }
};

/* One drawing, how it is drawn at home, and whether a downward extrusion
 * mirrors it (a 2D polyline) or not (3D polylines and meshes hold world
 * coordinates). */
struct Case {
    const char *what;
    std::function<db_ptr(Polylines &, const Props &)> make;
    Calls want;
    bool mirrors;
};

/* The wide joins worked out by hand. */
Calls LineLineJoin()
{
    /* (0,0)-(10,0)-(10,10), width 1, turning left: the inner sides meet at
     * (9.5, 0.5), the outer ones at (10.5, -0.5). */
    return {DLine(0, 0.5, 9.5, 0.5),     DLine(9.5, 0.5, 10.5, -0.5), DLine(0, -0.5, 10.5, -0.5),
            DLine(0, -0.5, 0, 0.5),      DLine(9.5, 0.5, 9.5, 10),    DLine(9.5, 10, 10.5, 10),
            DLine(10.5, -0.5, 10.5, 10), DLine(10.5, -0.5, 9.5, 0.5)};
}

Calls TaperingArrow()
{
    /* A shaft of width 0.5 to (8,0), a head from width 2 to a point at
     * (12,0): in line, so both bands end square; the tip has no end edge. */
    return {DLine(0, 0.25, 8, 0.25),  DLine(8, 0.25, 8, -0.25), DLine(0, -0.25, 8, -0.25),
            DLine(0, -0.25, 0, 0.25), DLine(8, 1, 12, 0),       DLine(8, -1, 12, 0),
            DLine(8, -1, 8, 1)};
}

Calls LineArcJoin()
{
    /* (0,0)-(10,0) straight, then a half circle (bulge 1) to (20,0):
     * centre (15,0), radius 5, anticlockwise, so it turns down at (10,0).
     * The left sides (y = 0.5 and radius 4.5) meet at x = 15 - sqrt(20),
     * the right ones (y = -0.5 and radius 5.5) at x = 15 - sqrt(30). */
    const double l = 15 - std::sqrt(20.0), r = 15 - std::sqrt(30.0);
    return {DLine(0, 0.5, l, 0.5),
            DLine(l, 0.5, r, -0.5),
            DLine(0, -0.5, r, -0.5),
            DLine(0, -0.5, 0, 0.5),
            DArc(15, 0, 4.5, std::atan2(0.5, l - 15), 0),
            DLine(19.5, 0, 20.5, 0),
            DArc(15, 0, 5.5, std::atan2(-0.5, r - 15), 0),
            DLine(r, -0.5, l, 0.5)};
}

Calls ArcArcJoin()
{
    /* Two half circles (bulge 1): (0,0)-(10,0) about (5,0), then
     * (10,0)-(10,10) about (10,5). The left sides (radius 4.5) meet nearest
     * the vertex at (7.5, 2.5) + sqrt(4.5^2 - 12.5)/sqrt(2) * (1, -1), the
     * right sides (radius 5.5) likewise with 5.5. */
    const double hl = std::sqrt((4.5 * 4.5 - 12.5) / 2), hr = std::sqrt((5.5 * 5.5 - 12.5) / 2);
    const double jl[2] = {7.5 + hl, 2.5 - hl}, jr[2] = {7.5 + hr, 2.5 - hr};
    return {DArc(5, 0, 4.5, M_PI, std::atan2(jl[1], jl[0] - 5)),           DLine(jl[0], jl[1], jr[0], jr[1]),
            DArc(5, 0, 5.5, M_PI, std::atan2(jr[1], jr[0] - 5)),           DLine(-0.5, 0, 0.5, 0),
            DArc(10, 5, 4.5, std::atan2(jl[1] - 5, jl[0] - 10), M_PI / 2), DLine(10, 9.5, 10, 10.5),
            DArc(10, 5, 5.5, std::atan2(jr[1] - 5, jr[0] - 10), M_PI / 2), DLine(jr[0], jr[1], jl[0], jl[1])};
}

Calls Bulges()
{
    /* Bulge 1 from (0,0) to (2,0): the lower half circle about (1,0).
     * Bulge -0.5 from (2,0) to (4,0): included angle 4 atan(-0.5), radius
     * 1 / sin(atan(0.5) * 2) = 1.25, centre 0.75 below the chord, drawn
     * clockwise over the top. Then a straight piece. */
    const double a0 = std::atan2(0.75, -1.0);
    return {DArc(1, 0, 1, M_PI, 2 * M_PI), DArc(3, -0.75, 1.25, a0 + 4 * std::atan(-0.5), a0),
            DLine(4, 0, 6, 0)};
}

std::vector<Case> Cases()
{
    const int closed = 0x200, widths = 0x020;
    const mda_tf kPolyline = DXFI_TF_dxf_2dpolyline;
    return {
        {"open lightweight",
         [](Polylines &t, const Props &p) {
             return t.Lw({{0, 0}, {10, 0}, {10, 10}}, 0, 0.0, p);
         },
         {Points("DrawPolyline", {0, 0, 10, 0, 10, 10})},
         true},
        {"closed lightweight",
         [=](Polylines &t, const Props &p) {
             return t.Lw({{0, 0}, {10, 0}, {10, 10}}, closed, 0.0, p);
         },
         {Points("DrawPolyline", {0, 0, 10, 0, 10, 10, 0, 0})},
         true},
        {"polyline with bulges",
         [=](Polylines &t, const Props &p) {
             return t.Pl(kPolyline, {{0, 0, 1}, {2, 0, -0.5}, {4, 0, 0}, {6, 0}}, 0, 0, 0, p);
         },
         Bulges(), true},
        {"lightweight with bulges",
         [](Polylines &t, const Props &p) {
             return t.Lw({{0, 0, 1}, {2, 0, -0.5}, {4, 0, 0}, {6, 0}}, 0x10, 0, p);
         },
         Bulges(), true},
        {"wide line-line join",
         [](Polylines &t, const Props &p) {
             return t.Lw({{0, 0}, {10, 0}, {10, 10}}, 0x004, 1.0, p);
         },
         LineLineJoin(), true},
        {"tapering widths",
         [=](Polylines &t, const Props &p) {
             return t.Lw({{0, 0, 0, 0.5, 0.5}, {8, 0, 0, 2, 0}, {12, 0}}, widths, 0.0, p);
         },
         TaperingArrow(), true},
        {"wide line-arc join",
         [=](Polylines &t, const Props &p) {
             return t.Lw({{0, 0, 0, 1, 1}, {10, 0, 1, 1, 1}, {20, 0}}, widths | 0x10, 0.0, p);
         },
         LineArcJoin(), true},
        {"wide arc-arc join in a classic polyline",
         [=](Polylines &t, const Props &p) {
             return t.Pl(kPolyline, {{0, 0, 1, 1, 1}, {10, 0, 1, 1, 1}, {10, 10, 0, 1, 1}}, 0, 1, 1, p);
         },
         ArcArcJoin(), true},
        {"curve-fit",
         [](Polylines &t, const Props &p) {
             return t.Pl(DXFI_TF_dxf_curve_fit,
                         {{0, 0}, {1, 1, 0, 0, 0, 1}, {2, 0}, {3, -1, 0, 0, 0, 1}, {4, 0}}, 0, 0, 0, p);
         },
         {Points("DrawCurve", {0, 0, 1, 1, 2, 0, 3, -1, 4, 0})},
         true},
        {"spline-fit, its frame left out",
         [](Polylines &t, const Props &p) {
             return t.Pl(DXFI_TF_dxf_spline_fit,
                         {{0, 0, 0, 0, 0, 16},
                          {2, 4, 0, 0, 0, 16},
                          {4, 0, 0, 0, 0, 16},
                          {0, 0, 0, 0, 0, 8},
                          {1, 1.5, 0, 0, 0, 8},
                          {2, 2, 0, 0, 0, 8},
                          {3, 1.5, 0, 0, 0, 8},
                          {4, 0, 0, 0, 0, 8}},
                         0, 0, 0, p);
         },
         {Points("DrawCurve", {0, 0, 1, 1.5, 2, 2, 3, 1.5, 4, 0})},
         true},
        {"3D polyline",
         [](Polylines &t, const Props &p) {
             V a{0, 0}, b{5, 5}, c{10, 0};
             a.flags = b.flags = c.flags = 32;
             a.z = 1;
             b.z = 2;
             c.z = 3;
             return t.Pl(DXFI_TF_dxf_3dpolyline, {a, b, c}, 0, 0, 0, p);
         },
         {Points("DrawPolyline", {0, 0, 5, 5, 10, 0})},
         false},
        {"3 x 4 mesh",
         [](Polylines &t, const Props &p) {
             std::vector<V> grid;
             for (int i = 0; i < 3; ++i)
                 for (int j = 0; j < 4; ++j) grid.push_back({10.0 * j, 10.0 * i, 0, 0, 0, 64});
             return t.Pl(DXFI_TF_dxf_polygon_mesh, grid, 0, 0, 0, p, 3, 4);
         },
         {Points("DrawPolyline", {0, 0, 10, 0, 20, 0, 30, 0}),
          Points("DrawPolyline", {0, 10, 10, 10, 20, 10, 30, 10}),
          Points("DrawPolyline", {0, 20, 10, 20, 20, 20, 30, 20}),
          Points("DrawPolyline", {0, 0, 0, 10, 0, 20}), Points("DrawPolyline", {10, 0, 10, 10, 10, 20}),
          Points("DrawPolyline", {20, 0, 20, 10, 20, 20}), Points("DrawPolyline", {30, 0, 30, 10, 30, 20})},
         false},
        {"polyface with invisible edges",
         [](Polylines &t, const Props &p) {
             std::vector<V> v = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
             for (V &x : v) x.flags = 192;
             V triangle{0, 0}, other{0, 0};
             triangle.flags = other.flags = 128;
             triangle.faces = {{1, 2, -3, 0}}; /* edge 3-1 invisible */
             other.faces = {{1, -3, 4, 0}};    /* edge 3-4 invisible */
             v.push_back(triangle);
             v.push_back(other);
             return t.Pl(DXFI_TF_dxf_polyface_mesh, v, 0, 0, 0, p, 4, 2);
         },
         {Points("DrawPolyline", {0, 0, 10, 0, 10, 10}), Points("DrawPolyline", {0, 10, 0, 0, 10, 10})},
         false},
    };
}

TEST_F(Polylines, ExactCallsAtHomeMirroredAndPlaced)
{
    const VyrMathTransformation2D placed = Placed();
    for (const Case &c : Cases()) {
        SCOPED_TRACE(c.what);
        ExpectCalls(Write(c.make(*this, Plain())), c.want, c.what);
        ExpectCalls(Write(c.make(*this, Down())), c.mirrors ? Mirrored(c.want) : c.want,
                    std::string(c.what) + ", extrusion (0, 0, -1)");
        ExpectCalls(Write(c.make(*this, Plain()), &placed), Placed(c.want),
                    std::string(c.what) + ", turned, scaled and shifted");
    }
}

TEST_F(Polylines, ElementsOfEveryPolylineKind)
{
    struct Kind {
        mda_tf tf;
        int kind;
        int type;
    };
    const Kind kinds[] = {{DXFI_TF_dxf_2dpolyline, VyrDxfKindPolyline, 309},
                          {DXFI_TF_dxf_3dpolyline, VyrDxfKindPolyline, 325},
                          {DXFI_TF_dxf_curve_fit, VyrDxfKindPolyline, 326},
                          {DXFI_TF_dxf_spline_fit_ext, VyrDxfKindPolyline, 327},
                          {DXFI_TF_dxf_bspline_curve, VyrDxfKindPolyline, 328},
                          {DXFI_TF_dxf_polygon_mesh, VyrDxfKindPolyline, 330},
                          {DXFI_TF_dxf_polyface_mesh_ext, VyrDxfKindPolyline, 331}};
    for (const Kind &k : kinds) {
        std::unique_ptr<VyrDxfEntity> e = Element(Pl(k.tf, {{0, 0}, {1, 1}}));
        ASSERT_NE(e, nullptr) << k.type;
        EXPECT_EQ(e->GetKind(), k.kind);
        auto *p = dynamic_cast<VyrDxfPolyline *>(e.get());
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->GetPolylineType(), k.type);
        EXPECT_EQ(dynamic_cast<VyrDxfSmoothedPolyline *>(e.get()) != nullptr, k.type >= 326 && k.type <= 328);
    }
    std::unique_ptr<VyrDxfEntity> lw = Element(Lw({{0, 0}, {1, 1}}, 0));
    ASSERT_NE(lw, nullptr);
    EXPECT_EQ(lw->GetKind(), VyrDxfKindLWPolyline);
}

TEST_F(Polylines, WhatTheAccessorsReport)
{
    VyrDxfLWPolyline lw(Lw({{1, 2, 0.5, 3, 4}, {5, 6}}, 0x200 | 0x20 | 0x10, 0.25), nullptr, nullptr);
    int count = 0, closed = 0;
    double start = 0, end = 0;
    lw.GetPolylineInfo(count, closed, start, end);
    ExpectFields({VYR_F(count, 2), VYR_F(closed, 1), VYR_F(start, 0.25), VYR_F(end, 0.25)});
    VyrDxfPolylineEntity::segmentinfo info;
    VyrDxfPolylineEntity::InitSegmentInfo(info);
    ASSERT_EQ(lw.GetPolylineSegmentInfo(0, info), 1);
    ExpectFields({VYR_F(info.startX, 1.0), VYR_F(info.startY, 2.0), VYR_F(info.bulge, 0.5),
                  VYR_F(info.startWidth, 3.0), VYR_F(info.endWidth, 4.0)});
    EXPECT_EQ(lw.GetPolylineSegmentInfo(2, info), 0) << "past the last vertex";
    EXPECT_EQ(lw.GetPolylineSegmentInfo(-1, info), 0);

    /* Without per-vertex widths every vertex takes the constant width. */
    VyrDxfLWPolyline constant(Lw({{1, 2, 0, 3, 4}, {5, 6}}, 0x004, 0.25), nullptr, nullptr);
    ASSERT_EQ(constant.GetPolylineSegmentInfo(0, info), 1);
    EXPECT_EQ(info.startWidth, 0.25);
    EXPECT_EQ(info.endWidth, 0.25);

    V flagged{3, 4, 0.25, 1, 2};
    flagged.flags = 48;
    VyrDxfPolyline pl(Pl(DXFI_TF_dxf_2dpolyline, {{0, 0}, flagged}, 1, 0.5, 0.75), nullptr, nullptr);
    pl.GetPolylineInfo(count, closed, start, end);
    ExpectFields({VYR_F(count, 2), VYR_F(closed, 1), VYR_F(start, 0.5), VYR_F(end, 0.75)});
    ASSERT_EQ(pl.GetPolylineSegmentInfo(1, info), 1);
    ExpectFields(
        {VYR_F(info.startX, 3.0), VYR_F(info.bulge, 0.25), VYR_F(info.endWidth, 2.0), VYR_F(info.flags, 48)});
    EXPECT_EQ(pl.GetPolylineSegmentInfo(2, info), 0);
}

TEST_F(Polylines, BulgeGeometry)
{
    const double p0[2] = {0, 0}, p1[2] = {2, 0};
    double c[2], r = 0, t = 0, start = 0, end = 0;
    ASSERT_EQ(VyrDxfPolylineEntity::ComputeArcInfo(p0, p1, 1.0, c, r, t), 0);
    ExpectFields({VYR_F(c[0], 1.0), VYR_F(c[1], 0.0), VYR_F(r, 1.0), VYR_F(t, M_PI)});
    ASSERT_EQ(VyrDxfPolylineEntity::ComputeArc(p0, p1, c, r, t, start, end), 0);
    EXPECT_DOUBLE_EQ(start, M_PI) << "straight left of the centre, from atan2";
    EXPECT_DOUBLE_EQ(end, 2 * M_PI);
    ASSERT_EQ(VyrDxfPolylineEntity::ComputeArcInfo(p0, p1, -1.0, c, r, t), 0);
    EXPECT_EQ(c[0], 1.0);
    EXPECT_DOUBLE_EQ(t, -M_PI);

    /* Bulge 0.5: sagitta 0.5 below the chord, radius 1.25, centre 0.75
     * above it. A bulge above 1 sweeps more than half a turn. */
    ASSERT_EQ(VyrDxfPolylineEntity::ComputeArcInfo(p0, p1, 0.5, c, r, t), 0);
    EXPECT_NEAR(c[0], 1.0, 1e-12);
    EXPECT_NEAR(c[1], 0.75, 1e-12);
    EXPECT_NEAR(r, 1.25, 1e-12);
    ASSERT_EQ(VyrDxfPolylineEntity::ComputeArcInfo(p0, p1, 2.0, c, r, t), 0);
    EXPECT_NEAR(c[1], -0.75, 1e-12);
    EXPECT_NEAR(r, 1.25, 1e-12);

    /* Vertical chords and every quadrant go through atan2. */
    const double up[2] = {0, 2};
    ASSERT_EQ(VyrDxfPolylineEntity::ComputeArcInfo(p0, up, 1.0, c, r, t), 0);
    ASSERT_EQ(VyrDxfPolylineEntity::ComputeArc(p0, up, c, r, t, start, end), 0);
    EXPECT_DOUBLE_EQ(start, -M_PI / 2);
    EXPECT_DOUBLE_EQ(end, M_PI / 2);

    EXPECT_EQ(VyrDxfPolylineEntity::ComputeArcInfo(p0, p0, 1.0, c, r, t), 1) << "zero chord";
    EXPECT_EQ(VyrDxfPolylineEntity::ComputeArcInfo(p0, p1, 0.0, c, r, t), 1) << "no bulge";
    EXPECT_EQ(VyrDxfPolylineEntity::ComputeArcInfo(p0, p1, std::nan(""), c, r, t), 1);
    EXPECT_EQ(VyrDxfPolylineEntity::ComputeArc(p0, p0, c, 1.0, 1.0, start, end), 1);
    EXPECT_EQ(VyrDxfPolylineEntity::ComputeArc(p0, p1, c, 0.0, 1.0, start, end), 1);
    EXPECT_EQ(VyrDxfPolylineEntity::ComputeArc(p0, p1, c, 1.0, 0.0, start, end), 1);

    double l0[2], r0[2], l1[2], r1[2];
    EXPECT_EQ(VyrDxfPolylineEntity::ComputeLineExtrPoints(p0, p1, 0.0, 0.0, l0, r0, l1, r1), 1);
    ASSERT_EQ(VyrDxfPolylineEntity::ComputeLineExtrPoints(p0, p1, 1.0, 0.0, l0, r0, l1, r1), 0);
    /* a width of 0 puts both side points on the vertex */
    ExpectFields(
        {VYR_F(l0[1], 0.5), VYR_F(r0[1], -0.5), VYR_F(l1[0], 2.0), VYR_F(l1[1], 0.0), VYR_F(r1[1], 0.0)});
    const double centre[2] = {1, 0};
    ASSERT_EQ(VyrDxfPolylineEntity::ComputeArcExtrPoints(p0, p1, centre, 1.0, M_PI, 0.5, 4.0, l0, r0, l1, r1),
              0);
    EXPECT_EQ(l0[0], 0.25) << "left of an anticlockwise arc is inside";
    EXPECT_EQ(r0[0], -0.25);
    EXPECT_EQ(l1[0], 1.0) << "an inner side wider than the radius stops at the centre";
    EXPECT_EQ(r1[0], 4.0);
    EXPECT_EQ(VyrDxfPolylineEntity::ComputeArcExtrPoints(p0, p1, centre, 1.0, 0.0, 1, 1, l0, r0, l1, r1), 1);
}

TEST_F(Polylines, ThePlainChain)
{
    /* Points nearer than 0.001 to the last one kept are dropped. */
    EXPECT_EQ(Only(Write(Lw({{0, 0}, {0.0005, 0}, {5, 0}}, 0)), "Draw"),
              (std::vector<std::string>{"DrawPolyline 2 0 0 5 0"}));
    /* A closed chain that repeats its first point ends there once. */
    EXPECT_EQ(Only(Write(Lw({{0, 0}, {5, 0}, {5, 5}, {0, 0}}, 0x200)), "Draw"),
              (std::vector<std::string>{"DrawPolyline 4 0 0 5 0 5 5 0 0"}));
    /* A plain chain is mirrored as its bulged twin is. */
    EXPECT_EQ(Only(Write(Lw({{10, 0}, {20, 0}}, 0, 0, Down())), "Draw"),
              (std::vector<std::string>{"DrawPolyline 2 -10 0 -20 0"}));
    ExpectCalls(Only(Write(Lw({{10, 0, 1}, {20, 0}}, 0x10, 0, Down())), "Draw"),
                Calls{DArc(-15, 0, 5, M_PI, 2 * M_PI)});
    /* The plain chain runs the attribute step once. */
    Props red = Plain();
    red.color = 1;
    EXPECT_EQ(Write(Pl(DXFI_TF_dxf_2dpolyline, {{0, 0}, {1, 0}, {1, 1}}, 0, 0, 0, red)),
              (std::vector<std::string>{"SetColor 1", "DrawPolyline 3 0 0 1 0 1 1"}));
}

TEST_F(Polylines, ThinOrWideAfterTheScale)
{
    /* Below 0.35 a segment is a line, from 0.35 on a band. */
    EXPECT_EQ(Only(Write(Lw({{0, 0}, {10, 0}}, 0x004, 0.34)), "Draw"),
              (std::vector<std::string>{"DrawLine 0 0 10 0"}));
    EXPECT_EQ(Only(Write(Lw({{0, 0}, {10, 0}}, 0x004, 0.35)), "Draw").size(), 4u);
    /* A width of 0.2 inside an insert scaled by 2 is a band of 0.4. */
    const VyrMathTransformation2D twice(VyrMathO2D, 2.0, VyrMathScaling);
    EXPECT_EQ(Only(Write(Lw({{0, 0}, {10, 0}}, 0x004, 0.2), &twice), "Draw"),
              (std::vector<std::string>{"DrawLine 0 0.2 20 0.2", "DrawLine 20 0.2 20 -0.2",
                                        "DrawLine 0 -0.2 20 -0.2", "DrawLine 0 -0.2 0 0.2"}));
    EXPECT_EQ(Only(Write(Lw({{0, 0}, {10, 0}}, 0x004, 0.2)), "Draw"),
              (std::vector<std::string>{"DrawLine 0 0 10 0"}));
    /* A thin segment with a bulge is an arc. */
    ExpectCalls(Only(Write(Lw({{0, 0, 1}, {2, 0}}, 0x014, 0.1)), "Draw"),
                Calls{DArc(1, 0, 1, M_PI, 2 * M_PI)});
}

TEST_F(Polylines, ClosedWideChainsJoinAtEveryCorner)
{
    /* A closed square of width 2: every corner mitred, the closing corner
     * too, and each band drawn once. */
    const auto log = Only(Write(Lw({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, 0x200 | 0x004, 2.0)), "Draw");
    ASSERT_EQ(log.size(), 16u);
    EXPECT_EQ(log[0], "DrawLine 1 1 9 1") << "the inner side, cut at both ends";
    EXPECT_EQ(log[1], "DrawLine 9 1 11 -1");
    EXPECT_EQ(log[2], "DrawLine -1 -1 11 -1");
    EXPECT_EQ(log[3], "DrawLine -1 -1 1 1");
    EXPECT_EQ(log[12], "DrawLine 1 9 1 1") << "the closing band, from (0,10) to (0,0)";
    EXPECT_EQ(log[13], "DrawLine 1 1 -1 -1");

    /* A circle of two half arcs (thin). */
    ExpectCalls(Only(Write(Lw({{0, 0, 1}, {2, 0, 1}}, 0x200 | 0x10)), "Draw"),
                Calls{DArc(1, 0, 1, M_PI, 2 * M_PI), DArc(1, 0, 1, 0, M_PI)});
}

TEST_F(Polylines, OutlinesSetTheFillColourOfTheirBand)
{
    Props red = Plain();
    red.color = 1;
    const auto log = Write(Lw({{0, 0}, {10, 0}}, 0x004, 1.0, red));
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log[0], "SetColor 1");
    EXPECT_EQ(log[5], "SetFillColor 1");
    EXPECT_EQ(Only(log, "SetFillColor").size(), 1u);
}

/* The options of a picture with filled areas, for one test. */
class FilledAreas {
public:
    FilledAreas()
    {
        VyrDxf2CgmOptions filled;
        filled.filledAreas = true;
        VyrDxfEntity::SetOptions(filled);
        VyrDxfEntity::SetFillMode(1);
    }
    ~FilledAreas()
    {
        VyrDxfEntity::SetOptions(VyrDxf2CgmOptions());
        VyrDxfEntity::SetFillMode(1);
    }
};

TEST_F(Polylines, FilledBandsAndTheirJoins)
{
    FilledAreas filled;
    Props red = Plain();
    red.color = 1;
    /* The line-line join: each band one polygon, the second starting on
     * the first's cut end. */
    const db_ptr corner = Lw({{0, 0}, {10, 0}, {10, 10}}, 0x004, 1.0, red);
    EXPECT_EQ(Write(corner),
              (std::vector<std::string>{"SetFillColor 1", "DrawPolygon 4 0 0.5 9.5 0.5 10.5 -0.5 0 -0.5",
                                        "DrawPolygon 4 9.5 0.5 9.5 10 10.5 10 10.5 -0.5"}));
    /* Mirrored by the extrusion. */
    EXPECT_EQ(Only(Write(Lw({{0, 0}, {10, 0}, {10, 10}}, 0x004, 1.0, Down(red))), "Draw"),
              (std::vector<std::string>{"DrawPolygon 4 0 0.5 -9.5 0.5 -10.5 -0.5 0 -0.5",
                                        "DrawPolygon 4 -9.5 0.5 -9.5 10 -10.5 10 -10.5 -0.5"}));
    /* The tapering head ends in a point: a triangle. */
    EXPECT_EQ(Only(Write(Lw({{0, 0, 0, 0.5, 0.5}, {8, 0, 0, 2, 0}, {12, 0}}, 0x020, 0.0, red)), "Draw"),
              (std::vector<std::string>{"DrawPolygon 4 0 0.25 8 0.25 8 -0.25 0 -0.25",
                                        "DrawPolygon 3 8 1 12 0 8 -1"}));
    /* Thin pieces stay lines. */
    EXPECT_EQ(Only(Write(Lw({{0, 0, 0, 1, 1}, {10, 0, 0, 0.1, 0.1}, {20, 0}}, 0x020, 0.0, red)), "Draw"),
              (std::vector<std::string>{"DrawPolygon 4 0 0.5 10 0.5 10 -0.5 0 -0.5", "DrawLine 10 0 20 0"}));
    /* The drawing's FILLMODE 0 keeps the outlines. */
    VyrDxfEntity::SetFillMode(0);
    EXPECT_EQ(Only(Write(corner), "Draw"),
              (std::vector<std::string>{"DrawLine 0 0.5 9.5 0.5", "DrawLine 9.5 0.5 10.5 -0.5",
                                        "DrawLine 0 -0.5 10.5 -0.5", "DrawLine 0 -0.5 0 0.5",
                                        "DrawLine 9.5 0.5 9.5 10", "DrawLine 9.5 10 10.5 10",
                                        "DrawLine 10.5 -0.5 10.5 10", "DrawLine 10.5 -0.5 9.5 0.5"}));
    VyrDxfEntity::SetFillMode(1);
}

TEST_F(Polylines, FilledArcBandsAndBevels)
{
    FilledAreas filled;
    /* A half circle band (bulge 1 from (0,0) to (10,0), width 1): its sides
     * are chords of at most five degrees on the radii 4.5 and 5.5 about
     * (5,0), 36 each. */
    const auto arc = Only(Write(Lw({{0, 0, 1}, {10, 0}}, 0x014, 1.0)), "Draw");
    ASSERT_EQ(arc.size(), 1u);
    const std::vector<double> n = Parse(arc[0]).args;
    ASSERT_EQ(n[0], 74.0);
    ASSERT_EQ(n.size(), 1 + 2 * 74u);
    for (size_t i = 0; i < 74; ++i) {
        const double r = std::hypot(n[1 + 2 * i] - 5, n[2 + 2 * i]);
        EXPECT_NEAR(r, i <= 36 ? 4.5 : 5.5, 1e-4) << "point " << i;
        EXPECT_LE(n[2 + 2 * i], 1e-4) << "below the chord";
    }

    /* A turn too sharp to mitre ends both bands square; a bevel fills the
     * wedge outside it: the vertex and the two outer corners. */
    const double dx = -10, dy = 0.5, len = std::hypot(dx, dy);
    const double nx = -dy / len, ny = dx / len; /* the second band's left normal */
    const auto sharp = Only(Write(Lw({{0, 0}, {10, 0}, {0, 0.5}}, 0x004, 1.0)), "Draw");
    ASSERT_EQ(sharp.size(), 3u);
    EXPECT_EQ(sharp[0], "DrawPolygon 4 0 0.5 10 0.5 10 -0.5 0 -0.5");
    ExpectCalls({sharp[1]}, Calls{Points("DrawPolygon", {10, 0, 10, -0.5, 10 - 0.5 * nx, -0.5 * ny})},
                "bevel");
}

TEST_F(Polylines, SmoothedPolylinesTakeTheirWidthAsLineWeight)
{
    const std::vector<V> points = {{0, 0}, {1, 1}, {2, 0}};
    /* 0.5 wide: weight 50, the 0.35 mm line. */
    EXPECT_EQ(Write(Pl(DXFI_TF_dxf_curve_fit, points, 0, 0.5, 0.5)),
              (std::vector<std::string>{"SetLineWidth 0.35", "DrawCurve 3 0 0 1 1 2 0"}));
    /* Widths 0 give weight 0 whatever the entity's own (here 50): the
     * thinnest line, the picture's start, so no call. */
    Props heavy = Plain();
    heavy.lineweight = 50.0;
    EXPECT_EQ(Write(Pl(DXFI_TF_dxf_spline_fit, points, 1, 0, 0, heavy)),
              (std::vector<std::string>{"DrawCurve 4 0 0 1 1 2 0 0 0"}));
    /* Different default widths (which the vertices took when they had
     * none): drawn segment by segment, as tapering bands. */
    const std::vector<V> tapering = {{0, 0, 0, 1, 0.5}, {1, 1, 0, 1, 0.5}, {2, 0, 0, 1, 0.5}};
    const auto bands = Only(Write(Pl(DXFI_TF_dxf_curve_fit, tapering, 0, 1.0, 0.5)), "Draw");
    EXPECT_EQ(bands.size(), 8u);
    EXPECT_EQ(Only(bands, "DrawCurve").size(), 0u);
    /* A 3D spline-fit polyline: its frame points are flagged 16 | 32 and
     * left out; its points are world coordinates, never mirrored. */
    const std::vector<V> spline3d = {{0, 0, 0, 0, 0, 48}, {5, 5, 0, 0, 0, 48},   {10, 0, 0, 0, 0, 48},
                                     {0, 0, 0, 0, 0, 40}, {5, 2.5, 0, 0, 0, 40}, {10, 0, 0, 0, 0, 40}};
    EXPECT_EQ(Only(Write(Pl(DXFI_TF_dxf_bspline_curve, spline3d, 0, 0, 0, Down())), "Draw"),
              (std::vector<std::string>{"DrawCurve 3 0 0 5 2.5 10 0"}));
    /* Nothing left to draw. */
    int result = 0;
    EXPECT_TRUE(Write(Pl(DXFI_TF_dxf_curve_fit, {{0, 0, 0, 0, 0, 16}}), nullptr, &result).empty());
    EXPECT_EQ(result, 1);
}

TEST_F(Polylines, MeshesClosedInEitherDirection)
{
    std::vector<V> grid;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) grid.push_back({1.0 * j, 1.0 * i, 0, 0, 0, 64});
    const auto log = Only(Write(Pl(DXFI_TF_dxf_polygon_mesh, grid, 1, 0, 0, Plain(), 3, 3, 1)), "Draw");
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log[0], "DrawPolyline 4 0 0 1 0 2 0 0 0") << "closed in N";
    EXPECT_EQ(log[3], "DrawPolyline 4 0 0 0 1 0 2 0 0") << "closed in M";

    /* A grid the vertices do not fill draws its complete rows only. */
    const auto part = Only(Write(Pl(DXFI_TF_dxf_polygon_mesh, grid, 0, 0, 0, Plain(), 1000, 1000)), "Draw");
    EXPECT_TRUE(part.empty());
    const auto rows = Only(Write(Pl(DXFI_TF_dxf_polygon_mesh, grid, 0, 0, 0, Plain(), 5, 4)), "Draw");
    EXPECT_EQ(rows,
              (std::vector<std::string>{"DrawPolyline 4 0 0 1 0 2 0 0 1", "DrawPolyline 4 1 1 2 1 0 2 1 2",
                                        "DrawPolyline 2 0 0 1 1", "DrawPolyline 2 1 0 2 1",
                                        "DrawPolyline 2 2 0 0 2", "DrawPolyline 2 0 1 1 2"}));
}

TEST_F(Polylines, PolyfaceNumbersThatNameNoVertex)
{
    std::vector<V> v = {{0, 0, 0, 0, 0, 192}, {1, 0, 0, 0, 0, 192}, {1, 1, 0, 0, 0, 192}};
    V face{0, 0, 0, 0, 0, 128};
    face.faces = {{1, 2, 99, -32768}}; /* edges touching 99 and -32768 are left out */
    V all{0, 0, 0, 0, 0, 128};
    all.faces = {{1, 2, 3, 0}};
    V line{0, 0, 0, 0, 0, 128};
    line.faces = {{3, 1, 0, 0}};
    V hidden{0, 0, 0, 0, 0, 128};
    hidden.faces = {{-1, -2, -3, 0}};
    v.push_back(face);
    v.push_back(all);
    v.push_back(line);
    v.push_back(hidden);
    EXPECT_EQ(Only(Write(Pl(DXFI_TF_dxf_polyface_mesh, v)), "Draw"),
              (std::vector<std::string>{"DrawPolyline 2 0 0 1 0", "DrawPolyline 4 0 0 1 0 1 1 0 0",
                                        "DrawPolyline 2 1 1 0 0"}));
}

TEST_F(Polylines, BrokenChainsDrawWhatTheyCan)
{
    int result = -1;
    /* One vertex with a width, and none at all: nothing, and no failure. */
    EXPECT_TRUE(Write(Lw({{5, 5, 0, 1, 1}}, 0x020), nullptr, &result).empty());
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(Write(Pl(DXFI_TF_dxf_2dpolyline, {{5, 5, 0, 1, 1}}, 1), nullptr, &result).empty());
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(Write(Pl(DXFI_TF_dxf_2dpolyline, {}), nullptr, &result).empty());
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(Write(Lw({}, 0, 0.0, Plain(), 5), nullptr, &result).empty());

    /* Duplicate vertices with bulges: the zero-length piece is left out,
     * the chain goes on. */
    ExpectCalls(Only(Write(Pl(DXFI_TF_dxf_2dpolyline, {{0, 0, 0.7}, {0, 0, 1}, {2, 0, 0.3}, {2, 0}, {4, 0}})),
                     "Draw"),
                Calls{DArc(1, 0, 1, M_PI, 2 * M_PI), DLine(2, 0, 4, 0)});

    /* A count larger than the arrays: only what they hold. */
    EXPECT_EQ(Only(Write(Lw({{0, 0}, {1, 0}, {1, 1}}, 0, 0.0, Plain(), 1000000)), "Draw"),
              (std::vector<std::string>{"DrawPolyline 3 0 0 1 0 1 1"}));

    /* Points that are not finite are left out; a bulge or width that is not
     * finite counts as none. */
    const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
    EXPECT_EQ(Only(Write(Lw({{0, 0}, {nan, 1}, {inf, 0}, {5, 0}}, 0)), "Draw"),
              (std::vector<std::string>{"DrawPolyline 2 0 0 5 0"}));
    EXPECT_EQ(Only(Write(Lw({{0, 0, nan, nan, inf}, {5, 0}}, 0x30)), "Draw"),
              (std::vector<std::string>{"DrawLine 0 0 5 0"}));
    /* A wide chain with a point far out of range is not drawn there. */
    const auto far = Only(Write(Lw({{0, 0}, {1e308, 0}, {-1e308, 0}, {0, 10}}, 0x004, 1.0)), "Draw");
    for (const std::string &line : far) EXPECT_EQ(line.find("inf"), std::string::npos) << line;
    for (const std::string &line : far) EXPECT_EQ(line.find("nan"), std::string::npos) << line;

    /* Writing never deletes: the vertices are still in the model. */
    db_ptr pl = Pl(DXFI_TF_dxf_2dpolyline, {{0, 0, 1}, {0, 0, 1}, {3, 3}});
    Write(pl);
    void *memory = nullptr;
    ASSERT_EQ(mda_LockEntity(0, pl, &memory), 0);
    const dxf_2dpolyline *rec = static_cast<const dxf_2dpolyline *>(memory);
    const db_ptr *vertices = static_cast<const db_ptr *>(mda_Deref(rec->vertex));
    for (int i = 0; i < rec->num_vtx; ++i) EXPECT_TRUE(mda_IsValidDbptr(vertices[i]));
    mda_UnlockEntity(0, pl);
}

TEST_F(Polylines, NothingWithoutGeneratorOrTransformation)
{
    VyrDxfLWPolyline lw(Lw({{0, 0}, {1, 1}}, 0), nullptr, nullptr);
    VyrDxfPolyline pl(Pl(DXFI_TF_dxf_2dpolyline, {{0, 0}, {1, 1}}), nullptr, nullptr);
    VyrDxfSmoothedPolyline sm(Pl(DXFI_TF_dxf_curve_fit, {{0, 0}, {1, 1}}), nullptr, nullptr);
    VyrMathTransformation2D identity;
    VyrRecordingGenerator::Reset();
    VyrRecordingGenerator *g = new VyrRecordingGenerator();
    for (VyrDxfEntity *e : std::initializer_list<VyrDxfEntity *>{&lw, &pl, &sm}) {
        EXPECT_EQ(e->Write(nullptr, &identity), 1);
        EXPECT_EQ(e->Write(g, nullptr), 1);
    }
    g->Release();
    EXPECT_TRUE(Only(VyrRecordingGenerator::Log(), "Draw").empty());
}

} // namespace
