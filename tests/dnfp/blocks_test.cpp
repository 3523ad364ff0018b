/* Blocks, inserts, attributes, groups, hatches and multilines mapped into
 * the model: the drawings ezdxf wrote for these tests (tests/data/blocks,
 * see make_blocks.py) loaded through the toolkit, and blobs with damaged
 * counts built in code, which no writer would produce. */
#include <cmath>

#include "mapping_fixture.h"

using namespace maptest;

namespace {

class Blocks : public MappingTest {
protected:
    void SetUp() override
    {
        MappingTest::SetUp();
        dnfp__LoadFile = adLoadFile;
    }

    int ParseFile(const char *name)
    {
        const std::string file = std::string(VYR_TEST_DATA_DIR) + "/blocks/" + name;
        return dxfi_ParseFile(0, model, file.c_str(), collect);
    }

    db_ptr BlockNamed(const char *name)
    {
        for (db_ptr p : All(DXFI_TF_dxf_block))
            if (strcmp(Read<dxf_block>(p).bname, name) == 0) return p;
        return 0;
    }

    std::vector<db_ptr> Inserts()
    {
        std::vector<db_ptr> all = All(DXFI_TF_dxf_insert);
        for (db_ptr p : All(DXFI_TF_dxf_insert_ext)) all.push_back(p);
        return all;
    }

    static std::string Text(mda_ref ref)
    {
        const char *s = static_cast<const char *>(mda_Deref(ref));
        return s ? s : "";
    }
};

TEST_F(Blocks, DefinitionsInsertsAndAttributes)
{
    for (const char *file : {"blocks_r2000.dxf", "blocks_r12.dxf"}) {
        SCOPED_TRACE(file);
        ASSERT_EQ(ParseFile(file), 0) << printed();
        const db_ptr mark = BlockNamed("Mark"), tag = BlockNamed("Tag");
        ASSERT_NE(mark, 0u);
        ASSERT_NE(tag, 0u);
        const dxf_block m = Read<dxf_block>(mark);
        EXPECT_EQ(m.xyzloc[0], 10.0);
        EXPECT_EQ(m.num_ent, 3);
        EXPECT_EQ(m.num_attr, 0);
        Locked<dxf_block>(tag, [&](dxf_block &t) {
            ASSERT_EQ(t.num_attr, 2);
            const db_ptr *defs = static_cast<const db_ptr *>(mda_Deref(t.att_def));
            dxf_attribute_definition d = Read<dxf_attribute_definition>(defs[0]);
            EXPECT_EQ(d.txtstr[1], 1.0);
            EXPECT_EQ(d.height, 0.5);
            Locked<dxf_attribute_definition>(defs[0], [&](dxf_attribute_definition &a) {
                EXPECT_EQ(Text(a.tag), "NAME");
                EXPECT_EQ(Text(a.prompt), "Name?");
            });
            EXPECT_EQ(t.num_ent, 1) << "the line; attribute definitions are listed apart";
        });

        /* every INSERT of the file, those inside blocks too, with its block's
         * name filled in from the block it points to */
        const std::vector<db_ptr> inserts = Inserts();
        ASSERT_EQ(inserts.size(), 15u);
        int marks = 0, arrays = 0;
        for (db_ptr p : inserts) {
            const dxf_insert i = Read<dxf_insert>(p);
            EXPECT_NE(i.block, 0u);
            EXPECT_STREQ(i.name, Read<dxf_block>(i.block).bname);
            if (strcmp(i.name, "Mark") == 0) ++marks;
            if (i.xyzloc[0] == 100 && i.xyzloc[1] == 300) { EXPECT_DOUBLE_EQ(i.rang, 90.0); }
            if (i.xyzloc[0] == 100 && i.xyzloc[1] == 700) { EXPECT_EQ(i.dxfhdr.extrusion[2], -1.0); }
            if (i.ccount == 2 && i.rcount == 3) {
                ++arrays;
                EXPECT_EQ(i.cspace, 20.0);
                EXPECT_EQ(i.rspace, 10.0);
            }
            if (strcmp(i.name, "Tag") != 0) {
                EXPECT_EQ(i.num_attr, 0);
                continue;
            }
            Locked<dxf_insert>(p, [&](dxf_insert &t) {
                ASSERT_EQ(t.num_attr, 2);
                const db_ptr *values = static_cast<const db_ptr *>(mda_Deref(t.att_inst));
                Locked<dxf_attribute_instance>(values[0], [&](dxf_attribute_instance &a) {
                    EXPECT_EQ(Text(a.text), "Door 1");
                    EXPECT_EQ(Text(a.tag), "NAME");
                });
                Locked<dxf_attribute_instance>(
                    values[1], [&](dxf_attribute_instance &a) { EXPECT_EQ(Text(a.text), "90x210"); });
            });
        }
        EXPECT_EQ(marks, 10);
        EXPECT_EQ(arrays, 1);
        EXPECT_EQ(All(DXFI_TF_dxf_attribute_instance).size(), 2u);
        TearDown();
        SetUp();
    }
}

TEST_F(Blocks, GroupsHatchesAndMultilines)
{
    ASSERT_EQ(ParseFile("blocks_r2000.dxf"), 0) << printed();
    EXPECT_EQ(All(DXFI_TF_dxf_main_dictionary_object).size(), 1u);
    const std::vector<db_ptr> groups = All(DXFI_TF_dxf_group_object);
    ASSERT_EQ(groups.size(), 1u);
    Locked<dxf_group_object>(groups[0], [&](dxf_group_object &g) {
        EXPECT_STREQ(g.name, "Doors");
        ASSERT_EQ(g.num_ent, 2);
        const db_ptr *members = static_cast<const db_ptr *>(mda_Deref(g.group_ent));
        EXPECT_EQ(Read<dxf_line>(members[0]).xyzstr[1], 100.0);
        EXPECT_EQ(Read<dxf_line>(members[1]).xyzstr[1], 110.0);
    });

    const std::vector<db_ptr> hatches = All(DXFI_TF_dxf_hatch);
    ASSERT_EQ(hatches.size(), 2u);
    Locked<dxf_hatch>(hatches[0], [&](dxf_hatch &h) {
        EXPECT_EQ(h.solidfill, 1);
        ASSERT_EQ(h.numpath, 2);
        const dxf_hatch_path *paths = static_cast<const dxf_hatch_path *>(mda_Deref(h.path));
        ASSERT_EQ(paths[0].nseg, 4);
        const dxf_hatch_path_seg *v = static_cast<const dxf_hatch_path_seg *>(mda_Deref(paths[0].seg));
        EXPECT_EQ(v[1].selector, DXF_HATCH_SEG_PLINE);
        EXPECT_EQ(v[1].pline.vertex[0], 910.0);
        EXPECT_EQ(v[1].pline.bulge, 0.5);
        ASSERT_EQ(paths[1].nseg, 4);
        const dxf_hatch_path_seg *e = static_cast<const dxf_hatch_path_seg *>(mda_Deref(paths[1].seg));
        const int kinds[] = {DXF_HATCH_SEG_LINE, DXF_HATCH_SEG_CARC, DXF_HATCH_SEG_EARC,
                             DXF_HATCH_SEG_SPLINE};
        for (int i = 0; i < 4; ++i) EXPECT_EQ(e[i].selector, kinds[i]) << i;
        EXPECT_EQ(e[1].carc.radius, 5.0);
        EXPECT_NEAR(e[1].carc.endangle, 90.0, 1e-9);
        EXPECT_EQ(e[2].earc.minmajratio, 0.5);
        EXPECT_EQ(e[3].spline.numcntrl, 3);
    });
    Locked<dxf_hatch>(hatches[1], [&](dxf_hatch &h) {
        EXPECT_EQ(h.solidfill, 0);
        EXPECT_STREQ(h.name, "ANSI31");
        EXPECT_NEAR(h.angle, 15.0, 1e-9);
        EXPECT_GE(h.numdeflines, 1);
        ASSERT_EQ(h.numseed, 2);
        const double *seeds = static_cast<const double *>(mda_Deref(h.seedpoint));
        EXPECT_EQ(seeds[2], 910.0);
    });
    const std::vector<db_ptr> mlines = All(DXFI_TF_dxf_mline);
    ASSERT_EQ(mlines.size(), 1u);
    EXPECT_EQ(Read<dxf_mline>(mlines[0]).numvtx, 3);
    EXPECT_NE(Read<dxf_mline>(mlines[0]).style, 0u);
}

/* A dimension inside a block names its own block, written later in the
 * file: looking that name up must not move the walk over the block
 * headers, or the blocks between are never made. */
TEST_F(Blocks, ADimensionInsideABlockLeavesTheBlockWalkAlone)
{
    ASSERT_EQ(ParseFile("dimension_in_block.dxf"), 0) << printed();
    for (const char *name : {"A", "B", "C", "*D1"}) EXPECT_NE(BlockNamed(name), 0u) << name;
    /* the three of model space and the arrowheads of "*D1" */
    const std::vector<db_ptr> inserts = Inserts();
    ASSERT_EQ(inserts.size(), 5u);
    for (db_ptr p : inserts) {
        const dxf_insert i = Read<dxf_insert>(p);
        EXPECT_STREQ(i.name, Read<dxf_block>(i.block).bname);
    }
}

TEST_F(Blocks, BrokenReferencesWarnAndTheRestIsMapped)
{
    ASSERT_EQ(ParseFile("broken_blocks.dxf"), 0) << printed();
    EXPECT_NE(printed().find("names a block that is not defined"), std::string::npos) << printed();
    EXPECT_NE(printed().find("asks for 1073676289 copies"), std::string::npos) << printed();
    int unnamed = 0;
    for (db_ptr p : Inserts())
        if (Read<dxf_insert>(p).name[0] == '\0') ++unnamed;
    EXPECT_EQ(unnamed, 1);
    /* the lines before and after the damage */
    bool first = false, last = false;
    for (db_ptr p : All(DXFI_TF_dxf_line)) {
        const dxf_line l = Read<dxf_line>(p);
        first |= l.xyzstr[0] == 0.0 && l.xyzend[0] == 1.0 && l.xyzstr[1] == 0.0;
        last |= l.xyzstr[0] == 100.0;
    }
    EXPECT_TRUE(first);
    EXPECT_TRUE(last);
}

/* An insert mapped before its block takes the name the block will carry;
 * one whose handle makes no block is left unnamed with a warning, also when
 * another record holds the handle or the block is never created. */
TEST_F(MappingTest, InsertsAreNamedAfterTheirBlocks)
{
    const struct {
        const char *what;
        int kind;
        uint64_t target; /* the insert's block header handle */
        const char *name;
    } cases[] = {
        {"a block defined after the insert", AD_FILE_ASCII_DXF, 0x100, "Door"},
        {"a block without a name", AD_FILE_ASCII_DXF, 0x101, "UNNAMED"},
        {"a DWG block, its handle text appended", AD_FILE_DWG, 0x100, "Door100"},
        {"the handle of a layer", AD_FILE_ASCII_DXF, 0x50, ""},
        {"the model space, which makes no block", AD_FILE_ASCII_DXF, 0x1F, ""},
        {"a handle nothing holds", AD_FILE_ASCII_DXF, 0x7777, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(Parse([&c](Drawing &g) {
                      g.d->filetype = static_cast<int16_t>(c.kind);
                      g.Layer("Walls", 0x50);
                      for (int i = 0; i < 3; ++i) {
                          AdEntityHeader h = Drawing::Header(AD_ENT_INSERT, 0x200 + i);
                          AdEntityRecord r;
                          memset(&r, 0, sizeof r);
                          set_handle(r.insert.blockheaderhandle, c.target);
                          r.insert.xscale = r.insert.yscale = r.insert.zscale = 1.0;
                          g.Add(h, r);
                      }
                      AdBlockheader b;
                      memset(&b, 0, sizeof b);
                      strcpy(b.name, "Door");
                      set_handle(b.handle, 0x100);
                      adAddBlockheader(g.d, &b);
                      b.name[0] = '\0';
                      set_handle(b.handle, 0x101);
                      adAddBlockheader(g.d, &b);
                  }),
                  0)
            << printed();
        const std::vector<db_ptr> inserts = All(DXFI_TF_dxf_insert);
        ASSERT_EQ(inserts.size(), 3u);
        for (db_ptr p : inserts) EXPECT_STREQ(Read<dxf_insert>(p).name, c.name);
        EXPECT_EQ(printed().find("names a block that is not defined") != std::string::npos, !c.name[0])
            << printed();
        TearDown();
        SetUp();
    }
}

/* Hatches whose blobs hold fewer items than their counts claim, or a
 * negative count: the hatch keeps what was read whole and warns. */
class DamagedBlobs : public MappingTest {
protected:
    static AdBlob *Blob(const std::function<void(AdBlobCursor *)> &write)
    {
        AdBlob *blob = adCreateBlobEx(256);
        AdBlobCursor *cur = adStartBlobWrite(blob);
        write(cur);
        adEndBlobWrite(cur);
        return blob;
    }

    int ParseHatch(const AdEntHatch &hatch)
    {
        return Parse([hatch](Drawing &g) {
            AdClass c;
            memset(&c, 0, sizeof c);
            c.classnum = 500;
            strcpy(c.dxfname, "HATCH");
            adAddClass(g.d, &c);
            AdEntityRecord r;
            memset(&r, 0, sizeof r);
            r.hatch = hatch;
            g.Add(Drawing::Header(500, 0x300), r);
            g.Line(0x301, 0, 0, 0, 1, 1);
        });
    }
};

TEST_F(DamagedBlobs, CountsAreCheckedAgainstTheBytesLeft)
{
    struct Case {
        const char *what;
        int32_t paths;
        int32_t vertices; /* of the one polyline path */
        int16_t patternLines;
        int32_t seeds;
        int32_t expectPaths, expectVertices, expectSeeds;
    };
    const Case cases[] = {
        {"whole", 1, 2, 0, 1, 1, 2, 1},
        {"vertex count past the blob", 1, 99999999, 0, 0, 1, 0, 0},
        {"negative vertex count", 1, -5, 0, 0, 1, 0, 0},
        {"path count past the blob", 1000000, 2, 0, 0, 0, 0, 0},
        {"negative path count", -3, 2, 0, 0, 0, 0, 0},
        {"seed count past the blob", 1, 2, 0, 5000000, 1, 2, 1},
        {"negative seed count", 1, 2, 0, -1, 1, 2, 0},
        {"pattern lines past the blob", 1, 2, 30000, 0, 1, 2, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        AdEntHatch h;
        memset(&h, 0, sizeof h);
        h.numpaths = c.paths;
        /* one polyline path of two vertices, whatever the count says */
        h.pathblob = Blob([&](AdBlobCursor *w) {
            adWriteBlobLong(w, 2);
            adWriteBlobShort(w, 0);
            adWriteBlobShort(w, 1);
            adWriteBlobLong(w, c.vertices);
            for (double v : {1.0, 2.0, 3.0, 4.0}) adWriteBlobDouble(w, v);
            adWriteBlobLong(w, 0);
        });
        h.numseedpoints = c.seeds;
        h.seedblob = Blob([](AdBlobCursor *w) {
            adWriteBlobDouble(w, 5.0);
            adWriteBlobDouble(w, 6.0);
        });
        h.numpatlines = c.patternLines;
        h.patlineblob = Blob([](AdBlobCursor *w) { adWriteBlobDouble(w, 0.0); });
        ASSERT_EQ(ParseHatch(h), 0) << printed();
        const std::vector<db_ptr> hatches = All(DXFI_TF_dxf_hatch);
        ASSERT_EQ(hatches.size(), 1u);
        Locked<dxf_hatch>(hatches[0], [&](dxf_hatch &r) {
            EXPECT_EQ(r.numpath, c.expectPaths);
            if (r.numpath > 0) {
                const dxf_hatch_path *p = static_cast<const dxf_hatch_path *>(mda_Deref(r.path));
                EXPECT_EQ(p[0].nseg, c.expectVertices);
            }
            EXPECT_EQ(r.numseed, c.expectSeeds);
            EXPECT_EQ(r.numdeflines, 0);
        });
        const bool whole = c.paths == 1 && c.vertices == 2 && c.seeds == c.expectSeeds && c.patternLines == 0;
        EXPECT_EQ(printed().find("Data is incomplete") == std::string::npos, whole) << printed();
        EXPECT_EQ(All(DXFI_TF_dxf_line).size(), 1u) << "the entity after the hatch";
        TearDown();
        SetUp();
    }
}

/* A DWG block name of 255 characters with its handle text appended stays
 * within its 256-byte fields: the name is cut, the handle kept whole. */
TEST_F(DamagedBlobs, DwgBlockNameWithHandleSuffixFits)
{
    ASSERT_EQ(Parse([](Drawing &g) {
                  g.d->filetype = AD_FILE_DWG;
                  AdBlockheader b;
                  memset(&b, 0, sizeof b);
                  memset(b.name, 'N', 255);
                  set_handle(b.handle, 0xABC);
                  adAddBlockheader(g.d, &b);
              }),
              0)
        << printed();
    bool found = false;
    for (db_ptr p : All(DXFI_TF_dxf_block)) {
        const dxf_block b = Read<dxf_block>(p);
        if (b.bname[0] != 'N') continue;
        found = true;
        EXPECT_EQ(strnlen(b.bname, sizeof b.bname), 255u);
        EXPECT_STREQ(b.bname + 252, "ABC");
    }
    EXPECT_TRUE(found);
    bool recorded = false;
    for (db_ptr p : All(DXFI_TF_dxf_block_record_table_data)) {
        const dxf_block_record_table_data r = Read<dxf_block_record_table_data>(p);
        if (r.block_name[0] != 'N') continue;
        recorded = true;
        EXPECT_LE(strnlen(r.block_name, sizeof r.block_name), 255u);
    }
    EXPECT_TRUE(recorded);
}

} // namespace
