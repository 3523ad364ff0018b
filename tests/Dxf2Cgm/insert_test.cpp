/* Inserts drawn: where, how large and in which colours each block reference
 * lands. Whole drawings that ezdxf wrote (tests/data/blocks, see
 * make_blocks.py) are converted with the recording generator in place of
 * the CGM generator; the properties that follow each insert are checked on
 * entities built in the model, where every combination can be set. */
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "Dxf2Cgm/VyrDxf2Cgm.h"
#include "Dxf2Cgm/VyrDxfAttributesConverter.h"
#include "Dxf2Cgm/VyrDxfInsert.h"
#include "Dxf2Cgm/VyrListOfVyrDxfElem.h"
#include "dxf2cgm_fixture.h"
#include "kernel/mpm/mpm.h"
#include "platform/base/VyrUnicodeString.h"
#include "support/VyrRecordingGenerator.h"
#include "support/VyrTempFile.h"

namespace {

/* One line the generator drew, with the colour and line type current when
 * it was drawn. */
struct Drawn {
    double x1, y1, x2, y2;
    int color, lineType;
};

std::vector<Drawn> LinesOf(const std::vector<std::string> &log)
{
    std::vector<Drawn> out;
    int color = 7, lineType = 0;
    for (const std::string &line : log) {
        const char *s = line.c_str();
        if (line.rfind("SetColor ", 0) == 0) color = std::atoi(s + 9);
        if (line.rfind("SetLineType ", 0) == 0) lineType = std::atoi(s + 12);
        if (line.rfind("DrawLine ", 0) != 0) continue;
        Drawn d{};
        char *end = const_cast<char *>(s + 8);
        d.x1 = std::strtod(end, &end);
        d.y1 = std::strtod(end, &end);
        d.x2 = std::strtod(end, &end);
        d.y2 = std::strtod(end, &end);
        d.color = color;
        d.lineType = lineType;
        out.push_back(d);
    }
    return out;
}

/* The lines drawn from (x1, y1) to (x2, y2), within 0.001. */
std::vector<Drawn> Find(const std::vector<Drawn> &lines, double x1, double y1, double x2, double y2)
{
    std::vector<Drawn> out;
    for (const Drawn &d : lines)
        if (std::fabs(d.x1 - x1) < 1e-3 && std::fabs(d.y1 - y1) < 1e-3 && std::fabs(d.x2 - x2) < 1e-3 &&
            std::fabs(d.y2 - y2) < 1e-3)
            out.push_back(d);
    return out;
}

class InsertDrawings : public vyrtest::DrawingTest {
protected:
    std::vector<std::string> Convert(const std::string &name)
    {
        return ConvertDrawing(vyrtest::TestData("blocks", name.c_str()));
    }
};

/* The block "Mark" (base (10, 0)) has the line (10, 0)-(11, 0) on layer 0
 * BYLAYER and the line (10, 1)-(10, 2) of colour 5; each insert must carry
 * both to its place. */
TEST_F(InsertDrawings, EveryPlacementOfTheBlock)
{
    struct Case {
        const char *what;
        double lx1, ly1, lx2, ly2; /* the layer-0 line */
        double fx1, fy1, fx2, fy2; /* the colour-5 line */
    };
    const double c30 = std::sqrt(3.0) / 2.0, s30 = 0.5;
    const Case cases[] = {
        {"plain", 100, 100, 101, 100, 100, 101, 100, 102},
        {"scale 2: (10, 0) at the insertion point, (11, 0) two further", 100, 200, 102, 200, 100, 202, 100,
         204},
        {"rotated 90", 100, 300, 100, 301, 99, 300, 98, 300},
        {"scaled (2, 0.5), rotated 30", 100, 400, 100 + 2 * c30, 400 + 2 * s30, 100 - 0.5 * s30,
         400 + 0.5 * c30, 100 - s30, 400 + c30},
        {"mirrored in x", 100, 500, 99, 500, 100, 501, 100, 502},
        {"mirrored in y", 100, 600, 101, 600, 100, 599, 100, 598},
        {"extrusion (0, 0, -1) mirrors the whole insert", -100, 700, -101, 700, -100, 701, -100, 702},
    };
    for (const char *file : {"blocks_r2000.dxf", "blocks_r12.dxf"}) {
        SCOPED_TRACE(file);
        const std::vector<Drawn> lines = LinesOf(Convert(file));
        EXPECT_EQ(results.word[ZelInserts], 15u);
        EXPECT_EQ(results.word[ZelInsertsDropped], 0u);
        for (const Case &c : cases) {
            SCOPED_TRACE(c.what);
            EXPECT_EQ(Find(lines, c.lx1, c.ly1, c.lx2, c.ly2).size(), 1u);
            const std::vector<Drawn> fixed = Find(lines, c.fx1, c.fy1, c.fx2, c.fy2);
            ASSERT_EQ(fixed.size(), 1u);
            EXPECT_EQ(fixed[0].color, 5);
        }
    }
}

/* The same block inserted with different colours, layers and line types:
 * the layer-0 BYLAYER line takes the insert's layer, the colour-5 line on
 * its own layer keeps its colour, each time. */
TEST_F(InsertDrawings, PropertiesFollowEachInsert)
{
    struct Case {
        const char *what;
        double x, y;
        int color, lineType; /* of the layer-0 line */
    };
    /* the generator's line types of the two names */
    auto type = [](const char *name) {
        return VyrDxfAttributesConverter::GetLineType(
            VyrDxfAttributesConverter::GetVyrLineType(VyrUnicodeString(name)));
    };
    const int solid = type("CONTINUOUS"), dashed = type("DASHED");
    ASSERT_NE(solid, dashed);
    const Case cases[] = {
        {"on layer 0", 100, 100, 7, solid},
        {"colour 1 on Symbols (red, DASHED)", 300, 100, 1, dashed},
        {"colour 3, DASHED, on Other (green, CONTINUOUS)", 300, 200, 3, solid},
        {"BYLAYER on Symbols", 300, 300, 1, dashed},
    };
    const std::vector<Drawn> lines = LinesOf(Convert("blocks_r2000.dxf"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<Drawn> found = Find(lines, c.x, c.y, c.x + 1, c.y);
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].color, c.color);
        EXPECT_EQ(found[0].lineType, c.lineType);
        ASSERT_EQ(Find(lines, c.x, c.y + 1, c.x, c.y + 2).size(), 1u);
        EXPECT_EQ(Find(lines, c.x, c.y + 1, c.x, c.y + 2)[0].color, 5);
    }
}

TEST_F(InsertDrawings, NestedArraysAndGroups)
{
    const std::vector<Drawn> lines = LinesOf(Convert("blocks_r2000.dxf"));
    /* Inner's line (0, 0)-(1, 0) at (1, 0) in Middle turned 45, Middle at
     * (2, 0) in Outer turned 30, Outer at (700, 100) turned 15 */
    const double pi = std::acos(-1.0);
    const double mx = 2 + std::cos(pi / 6), my = std::sin(pi / 6);
    const double x = 700 + mx * std::cos(pi / 12) - my * std::sin(pi / 12);
    const double y = 100 + mx * std::sin(pi / 12) + my * std::cos(pi / 12);
    EXPECT_EQ(Find(lines, x, y, x, y + 1).size(), 1u) << "three levels: 45 + 30 + 15 degrees";
    /* 3 rows 10 apart, 2 columns 20 apart */
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 2; ++column)
            EXPECT_EQ(
                Find(lines, 700 + 20 * column, 300 + 10 * row, 701 + 20 * column, 300 + 10 * row).size(), 1u)
                << row << " " << column;
    /* the group's members: written with the group and as entities of their own */
    EXPECT_EQ(results.word[ZelGroups], 1u);
    EXPECT_EQ(Find(lines, 900, 100, 910, 100).size(), 2u);
}

TEST_F(InsertDrawings, BrokenReferencesEndAndTheRestIsDrawn)
{
    const std::vector<Drawn> lines = LinesOf(Convert("broken_blocks.dxf"));
    EXPECT_EQ(Find(lines, 0, 0, 1, 0).size(), 1u);
    EXPECT_EQ(Find(lines, 100, 0, 101, 0).size(), 1u);
    /* the self-inserting block: drawn once, its inner insert dropped */
    EXPECT_EQ(Find(lines, 10, 0, 10, 1).size(), 1u);
    /* PingA holds PingB, PingB would hold PingA again */
    EXPECT_EQ(Find(lines, 20, 0, 22, 0).size(), 1u);
    EXPECT_EQ(Find(lines, 21, 0, 21, 2).size(), 1u);
    EXPECT_EQ(results.word[ZelInsertsDropped], 3u) << "Self in Self, PingA in PingB, the missing block";
    /* the 32767 x 32767 array: capped, and the copies are the first ones */
    size_t copies = 0;
    for (const Drawn &d : lines)
        if (d.x1 >= 39.5 && d.x1 <= 40 + 32767 && d.y1 >= 0 && d.x1 == d.x2 && d.y2 - d.y1 == 2) ++copies;
    EXPECT_EQ(copies, static_cast<size_t>(VyrDxfInsert::kMaxCopies));
    /* a scale of 1e300 and a scale that is not a number draw nothing */
    for (const Drawn &d : lines) {
        EXPECT_TRUE(std::isfinite(d.x1) && std::isfinite(d.y1) && std::isfinite(d.x2) && std::isfinite(d.y2));
        EXPECT_LT(std::fabs(d.x2), 1e6);
    }
}

/* The INSERT entities of an ASCII drawing (group code 0, value INSERT) and
 * its $ACADVER, read as text. */
void Survey(const std::string &path, size_t &inserts, std::string &version)
{
    std::ifstream in(path, std::ios::binary);
    std::string code, value;
    inserts = 0;
    version.clear();
    auto trim = [](std::string &t) {
        while (!t.empty() && (t.back() == '\r' || t.back() == ' ')) t.pop_back();
        t.erase(0, t.find_first_not_of(' '));
    };
    while (std::getline(in, code) && std::getline(in, value)) {
        trim(code);
        trim(value);
        if (code == "0" && value == "INSERT") ++inserts;
        if (code == "9" && value == "$ACADVER" && std::getline(in, code) && std::getline(in, value)) {
            trim(value);
            version = value;
        }
    }
}

/* The sample drawings of other programs that hold inserts (releases the
 * library reads without the down-converter): every INSERT of the file is
 * drawn, those inside blocks once per block. */
TEST_F(InsertDrawings, SampleDrawingsDrawEveryInsert)
{
    const std::string dir = VYR_SAMPLES_DIR;
    std::vector<std::string> found;
    for (const char *name : {"gdsestimating+dxf-parser/blocks.dxf", "LibreCAD+LibreCAD/Complete-Lib-V.dxf",
                             "openscad+openscad/transform-insert.dxf", "bert+libdxf/all_R10_entities.dxf"})
        if (std::ifstream(dir + "/" + name)) found.push_back(dir + "/" + name);
    if (found.empty()) GTEST_SKIP() << "no sample drawings at " << dir;
    for (const std::string &path : found) {
        size_t inserts = 0;
        std::string version;
        Survey(path, inserts, version);
        if (version >= "AC1018") continue;
        VyrRecordingScope recording;
        VyrDxf2Cgm converter;
        ASSERT_EQ(converter.Convert(path.c_str(), picture.Path().c_str()), 0) << path << "\n" << messages;
        converter.GetZelResults(&results);
        EXPECT_GT(inserts, 0u) << path;
        EXPECT_EQ(results.word[ZelInserts], inserts) << path;
        EXPECT_EQ(results.word[ZelInsertsDropped], 0u) << path;
    }
}

/* The bundled sample: flanges with four bolts each, one red, one turned
 * and scaled, one mirrored, two more nested in a row; a 3 x 4 array of
 * bolts; two tags with their numbers. */
TEST_F(InsertDrawings, TheBundledSample)
{
    VyrRecordingScope recording;
    VyrDxf2Cgm converter;
    const std::string sample = std::string(VYR_TEST_DATA_DIR) + "/../../examples/sample.dxf";
    ASSERT_EQ(converter.Convert(sample.c_str(), picture.Path().c_str()), 0) << messages;
    converter.GetZelResults(&results);
    EXPECT_EQ(results.word[ZelInserts], 21u)
        << "8 in the drawing, 4 bolts in the flange, 2 flanges in the row, 7 arrows in dimension blocks";
    EXPECT_EQ(results.word[ZelAttributes], 4u) << "two tags' numbers, the title block's title and sheet";
    EXPECT_EQ(results.word[ZelTexts], 15u) << "twelve alignments, aligned, middle and fit";
    EXPECT_EQ(results.word[ZelMTexts], 6u) << "the formatted text and the numbers of five dimensions";
    const std::vector<Drawn> lines = LinesOf(VyrRecordingGenerator::Log());
    /* the bolt at (300, 0) of the red flange at (-10000, -11500): its cross
     * on layer 0 follows the flange's layer Outline (7) */
    ASSERT_EQ(Find(lines, -9790, -11500, -9610, -11500).size(), 1u);
    EXPECT_EQ(Find(lines, -9790, -11500, -9610, -11500)[0].color, 7);
    /* the mirrored flange at (-4500, -11500) puts that bolt at x = -4800 */
    EXPECT_EQ(Find(lines, -4710, -11500, -4890, -11500).size(), 1u);
    /* the array: 3 rows and 4 columns 400 apart from (1000, -13000) */
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 4; ++column)
            EXPECT_EQ(
                Find(lines, 910 + 400 * column, -13000 + 400 * row, 1090 + 400 * column, -13000 + 400 * row)
                    .size(),
                1u)
                << row << " " << column;
}

using vyrtest::Color;
using vyrtest::Props;
using vyrtest::Record;

class InsertProperties : public vyrtest::Dxf2CgmTest {
protected:
    /* The colours set while writing the root elements in order. */
    std::vector<std::string> WriteAll()
    {
        Walk();
        VyrRecordingGenerator::Reset();
        VyrRecordingGenerator *generator = new VyrRecordingGenerator();
        VyrMathTransformation2D identity;
        VyrListOfVyrDxfElem *root = VyrDxf2Cgm::GetRootList();
        for (root->Init(); root->More(); root->Next())
            static_cast<VyrDxfEntity *>(root->Value())->Write(generator, &identity);
        std::vector<std::string> log = VyrRecordingGenerator::Log();
        generator->Release();
        return log;
    }
};

/* A block of colour BYBLOCK inserted at top level with colour BYBLOCK: its
 * BYBLOCK contents are drawn in 7, and colour 0 never reaches the
 * generator. */
TEST_F(InsertProperties, ByBlockAtTopLevelIsSeven)
{
    db_ptr def = Block("B", 0, 0, {Line(0, 0, 1, 0, Color(0))}, Color(0));
    Insert(def, 10, 10, {}, Color(0));
    Insert(def, 20, 10, {}, Color(4));
    const std::vector<std::string> log = WriteAll();
    for (const std::string &line : log) EXPECT_NE(line, "SetColor 0");
    const std::vector<Drawn> lines = LinesOf(log);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].color, 7);
    EXPECT_EQ(lines[1].color, 4) << "the second insert's own colour, not the first's";
}

/* BYBLOCK resolves from the innermost insert; an insert that is BYBLOCK
 * itself passes on its parent's colour. */
TEST_F(InsertProperties, InnermostInsertWins)
{
    db_ptr leaf = Block("Leaf", 0, 0, {Line(0, 0, 1, 0, Color(0))});
    db_ptr byBlock = Block("PassOn", 0, 0, {Insert(leaf, 0, 0, {}, Color(0))});
    db_ptr own = Block("Own", 0, 0, {Insert(leaf, 0, 5, {}, Color(2))});
    Insert(byBlock, 100, 0, {}, Color(6));
    Insert(own, 200, 0, {}, Color(6));
    const std::vector<Drawn> lines = LinesOf(WriteAll());
    ASSERT_EQ(Find(lines, 100, 0, 101, 0).size(), 1u);
    EXPECT_EQ(Find(lines, 100, 0, 101, 0)[0].color, 6);
    ASSERT_EQ(Find(lines, 200, 5, 201, 5).size(), 1u);
    EXPECT_EQ(Find(lines, 200, 5, 201, 5)[0].color, 2);
}

/* Array counts of 0 or less mean one copy; a 2 x 3 array draws six. */
TEST_F(InsertProperties, ArrayCounts)
{
    db_ptr def = Block("B", 0, 0, {Line(0, 0, 1, 0)});
    struct Case {
        int rows, columns;
        size_t copies;
    };
    const Case cases[] = {{0, 0, 1}, {-4, 1, 1}, {1, -32768, 1}, {2, 3, 6}};
    double y = 0;
    for (const Case &c : cases) {
        db_ptr insert = Insert(def, 0, y);
        void *memory = nullptr;
        ASSERT_EQ(mda_LockEntity(0, insert, &memory), 0);
        dxf_insert *rec = static_cast<dxf_insert *>(memory);
        rec->rcount = c.rows;
        rec->ccount = c.columns;
        rec->rspace = 0.25;
        rec->cspace = 10;
        ASSERT_EQ(mda_UnlockEntity(MDA_UNLOCK_MODIFIED, insert), 0);
        y += 100;
    }
    const std::vector<Drawn> lines = LinesOf(WriteAll());
    y = 0;
    for (const Case &c : cases) {
        size_t copies = 0;
        for (const Drawn &d : lines) copies += d.y1 >= y && d.y1 < y + 50;
        EXPECT_EQ(copies, c.copies) << c.rows << " x " << c.columns;
        y += 100;
    }
    EXPECT_EQ(Find(lines, 20, 300.25, 21, 300.25).size(), 1u) << "the 2 x 3 array: row 1, column 2";
}

/* A chain of blocks nested deeper than the insert stack holds ends there:
 * finite, and what lies within the bound is drawn. */
TEST_F(InsertProperties, NestingDeeperThanTheStackEnds)
{
    db_ptr inner = Block("B0", 0, 0, {Line(0, 0, 1, 0)});
    for (int i = 1; i < VyrDxfEntity::kMaxInsertDepth + 8; ++i)
        inner = Block(("B" + std::to_string(i)).c_str(), 0, 0, {Insert(inner, 1, 0)});
    Insert(inner, 0, 0);
    const std::vector<std::string> log = WriteAll();
    EXPECT_LE(LinesOf(log).size(), 1u);
    EXPECT_EQ(VyrDxfEntity::GetInsertDepth(), 0) << "every insert took itself off the stack";
}

} // namespace
