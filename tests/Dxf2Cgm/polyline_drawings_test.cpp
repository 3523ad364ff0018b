/* Polylines of whole drawing files, converted from end to end with the
 * recording generator in place of the CGM generator: the drawings that
 * ezdxf wrote for these tests (tests/data/polylines, see make_polylines.py),
 * their release-12 twin, a drawing of damaged polylines, and the sample
 * drawings of other programs, whose polyline counts must come out as the
 * files have them. */
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

#include "Dxf2Cgm/dxf2cgm_fixture.h"
#include "kernel/dxfi/dxfi_int.h"

namespace {

using vyrtest::CallNumbers;

std::string Data(const char *name) { return vyrtest::TestData("polylines", name); }

class PolylineDrawings : public vyrtest::DrawingTest {
protected:
    /* The calls of `name` whose first numbers are `head` (within 0.01). */
    static size_t Count(const std::vector<std::string> &log, const std::string &name,
                        const std::vector<double> &head = {})
    {
        return static_cast<size_t>(std::count_if(log.begin(), log.end(), [&](const std::string &line) {
            if (line.compare(0, name.size() + 1, name + " ") != 0) return false;
            const std::vector<double> n = CallNumbers(line);
            if (n.size() < head.size()) return false;
            for (size_t i = 0; i < head.size(); ++i)
                if (std::fabs(n[i] - head[i]) > 0.01) return false;
            return true;
        }));
    }
};

TEST_F(PolylineDrawings, EveryKindIsDrawn)
{
    const std::vector<std::string> log = ConvertDrawing(Data("convert_polylines_r2000.dxf"));
    EXPECT_EQ(results.word[ZelLWPolylines], 8u);
    EXPECT_EQ(results.word[ZelPolylines], 4u) << "2D, 3D, mesh, polyface";
    EXPECT_EQ(results.word[ZelSmoothedPolylines], 2u) << "curve-fit, spline-fit";
    EXPECT_EQ(results.word[ZelLines], 1u);

    /* The lightweight polyline (-30,60) to (-40,60), bulge 0.5, extrusion
     * (0,0,-1), lands mirrored: its arc about (35, 56.25), radius 6.25. */
    EXPECT_EQ(Count(log, "DrawArc", {3500, 5625, 625}), 1u);
    /* The classic polyline's vertex with widths written as 0 is a thin
     * half circle (bulge -1) about (69, 60) though the defaults are 0.4. */
    EXPECT_EQ(Count(log, "DrawArc", {6900, 6000, 300}), 1u);
    /* Its first segment took the default width 0.4: a band. */
    EXPECT_EQ(Count(log, "DrawLine", {6000, 6020}), 1u);
    /* The curves, the 3 x 4 mesh (3 rows, 4 columns) and the pyramid (a
     * base and four triangles with their edges from the apex hidden). */
    EXPECT_EQ(Count(log, "DrawCurve"), 2u);
    EXPECT_EQ(Count(log, "DrawPolyline", {4, 0, 12000}), 1u) << "the first row of the mesh";
    EXPECT_EQ(Count(log, "DrawPolyline", {3, 0, 12000}), 1u) << "the first column of the mesh";
    EXPECT_EQ(Count(log, "DrawPolyline", {5, 3000, 12000}), 1u) << "the pyramid's base, closed";
    EXPECT_EQ(Count(log, "DrawPolyline", {3}), 4u + 4u + 1u + 1u)
        << "four triangles, four columns, the 3D polyline, the open lightweight one";
}

TEST_F(PolylineDrawings, TheReleaseTwelveTwinDrawsTheSame)
{
    /* The lightweight polylines written as classic ones draw the same
     * picture, call for call. */
    const std::vector<std::string> lightweight = ConvertDrawing(Data("convert_polylines_r2000.dxf"));
    const std::vector<std::string> classic = ConvertDrawing(Data("convert_polylines_r12.dxf"));
    EXPECT_EQ(results.word[ZelLWPolylines], 0u);
    EXPECT_EQ(results.word[ZelPolylines], 12u);
    auto draws = [](const std::vector<std::string> &log) {
        std::vector<std::string> out;
        for (const std::string &line : log)
            if (line.compare(0, 4, "Draw") == 0) out.push_back(line);
        return out;
    };
    EXPECT_EQ(draws(classic), draws(lightweight));
}

TEST_F(PolylineDrawings, DamagedPolylinesDoNotStopTheDrawing)
{
    const std::vector<std::string> log = ConvertDrawing(Data("broken_polylines.dxf"));
    EXPECT_EQ(results.word[ZelLines], 2u);
    EXPECT_EQ(Count(log, "DrawLine", {0, -1000, 1000, -1000}), 1u) << "the line before";
    EXPECT_EQ(Count(log, "DrawLine", {0, 4000, 1000, 4000}), 1u) << "the line after";
    EXPECT_EQ(results.word[ZelLWPolylines], 4u);
    EXPECT_EQ(results.word[ZelPolylines], 5u) << "one vertex, none, duplicates, mesh, polyface";
    for (const std::string &line : log) {
        EXPECT_EQ(line.find("nan"), std::string::npos) << line;
        EXPECT_EQ(line.find("inf"), std::string::npos) << line;
    }
    /* The count of 1000 draws the three vertices stored, the huge one too. */
    EXPECT_EQ(Count(log, "DrawPolyline", {3, 0, 0, 1000, 0, 1000, 1000}), 1u);
    EXPECT_EQ(Count(log, "DrawPolyline", {3, 2000, 0, 3000, 0, 3000, 1000}), 1u);
    /* Points that are not numbers are left out. */
    EXPECT_EQ(Count(log, "DrawPolyline", {2, 4000, 0, 5000, 1000}), 1u);
    /* Duplicate vertices: the half circle from (70,0) to (80,0) after the
     * repeated vertex, then the straight piece. */
    EXPECT_EQ(Count(log, "DrawArc", {7500, 0, 500}), 1u);
    EXPECT_EQ(Count(log, "DrawLine", {8000, 0, 9000, 0}), 1u);
    /* The mesh whose vertices do not fill 1000 x 1000 draws nothing; the
     * polyface's one edge that names two vertices is drawn. */
    EXPECT_EQ(Count(log, "DrawPolyline", {2, 3000, 2000, 4000, 2000}), 1u);
}

TEST_F(PolylineDrawings, SampleDrawingsCountTheirPolylines)
{
    /* Counts of the polylines in model and paper space, as ezdxf reads
     * these files (polylines inside blocks are drawn through their
     * inserts and left out here). The drawings of release 2007 go through
     * the down-converter of this build. */
    const struct {
        const char *file;
        uint32_t lightweight, classic, smoothed;
    } samples[] = {
        {"LibreCAD+LibreCAD/Complete-Lib-V.dxf", 9, 0, 0},
        {"LibreCAD+LibreCAD/dim_sample.dxf", 1, 0, 0},
        {"bert+libdxf/all_R10_entities.dxf", 0, 1, 0},
        {"bert+libdxf/blender-monkey_head_R12.dxf", 0, 1, 0}, /* a polyface of 500 faces */
        {"gdsestimating+dxf-parser/polylines.dxf", 0, 12, 0}, /* 3D polylines */
        {"openscad+openscad/far-out-shape.dxf", 1, 0, 0},
        {"openscad+openscad/lwpolyline-closed.dxf", 1, 0, 0},
    };
    const std::string dir = VYR_SAMPLES_DIR;
    if (std::system(("test -d '" + dir + "'").c_str()) != 0) GTEST_SKIP() << "no sample drawings at " << dir;
    /* Each conversion looks for the down-converter afresh: the one of this
     * build is put first on PATH for this test. */
    const std::string tools = std::string(VYR_BINARY_DIR) + "/tools";
    ASSERT_EQ(access((tools + "/" DXFI_DEFAULT_PROCESSOR).c_str(), X_OK), 0) << tools;
    const char *path = std::getenv("PATH");
    const std::string saved = path ? path : "";
    setenv("PATH", (tools + (path ? ":" + saved : std::string())).c_str(), 1);
    struct Restore {
        std::string saved;
        bool had;
        ~Restore() { had ? setenv("PATH", saved.c_str(), 1) : unsetenv("PATH"); }
    } restore{saved, path != nullptr};
    for (const auto &s : samples) {
        SCOPED_TRACE(s.file);
        const std::vector<std::string> log = ConvertDrawing(dir + "/" + s.file);
        EXPECT_EQ(results.word[ZelLWPolylines], s.lightweight);
        EXPECT_EQ(results.word[ZelPolylines], s.classic);
        EXPECT_EQ(results.word[ZelSmoothedPolylines], s.smoothed);
        EXPECT_GE(Count(log, "DrawPolyline") + Count(log, "DrawLine"), s.lightweight + s.classic)
            << "each drawn";
    }
    /* The bulged chain of the release-2007 drawing: seven straight pieces
     * (a LINE of the drawing lies on the fifth), then a quarter circle
     * (bulge -tan 22.5 degrees) to (48, 18). */
    const std::vector<std::string> dims = ConvertDrawing(dir + "/LibreCAD+LibreCAD/dim_sample.dxf");
    const double chain[][2] = {{48, 18},      {48, 24},      {44.0821, 13.36}, {27.6, 13.36},
                               {27.6, 43.36}, {37.6, 43.36}, {67.6, 73.36},    {67.6, 33.36}};
    for (size_t i = 0; i + 1 < sizeof chain / sizeof chain[0]; ++i)
        EXPECT_EQ(Count(dims, "DrawLine", {chain[i][0], chain[i][1], chain[i + 1][0], chain[i + 1][1]}),
                  i == 4 ? 2u : 1u)
            << "piece " << i;
    EXPECT_EQ(Count(dims, "DrawArc", {50.12, 35.48, 17.6081}), 1u);
    const std::vector<std::string> monkey = ConvertDrawing(dir + "/bert+libdxf/blender-monkey_head_R12.dxf");
    EXPECT_EQ(Count(monkey, "DrawPolyline"), 500u) << "one closed outline per face";
}

} // namespace
