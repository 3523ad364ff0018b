/* Whole DXF files of tests/data/mapping parsed into a model through the
 * toolkit's loader, then read back through the model interface. */
#include <cmath>

#include "kernel/pdx/pdx_msg.h"
#include "mapping_fixture.h"

using namespace maptest;

namespace {

/* True when the toolkit can read DXF files in this build. */
bool ToolkitReadsDxf()
{
    int16_t error = 0;
    if (!adInitAd2(nullptr, &error)) return false;
    adSetupDxfRead();
    bool can = adin->dxfreaders.slot[AD_RD_LOADHEADER] != nullptr;
    adCloseAd2();
    return can;
}

class Files : public MappingTest {
protected:
    void SetUp() override
    {
        MappingTest::SetUp();
        dnfp__LoadFile = adLoadFile;
    }

    /* Tests that need a loaded drawing skip while the toolkit cannot read
     * DXF files (every load then fails). */
    bool CannotLoad() { return !ToolkitReadsDxf(); }

    int ParseFile(const char *name, int options = 0)
    {
        std::string file = std::string(VYR_TEST_DATA_DIR) + "/mapping/" + name;
        return dxfi_ParseFile(options, model, file.c_str(), collect);
    }

    /* The entity of a type-form whose sub-header handle is `handle`. */
    template <class Rec> db_ptr ByHandle(mda_tf tf, const char *handle)
    {
        for (db_ptr p : All(tf))
            if (strcmp(Read<Rec>(p).dxfsubhdr.handle, handle) == 0) return p;
        return 0;
    }

    template <class Rec> db_ptr ByName(mda_tf tf, const char *name)
    {
        for (db_ptr p : All(tf))
            if (strcmp(Read<Rec>(p).entry_name, name) == 0) return p;
        return 0;
    }
};

TEST_F(Files, HeaderTablesAndCurves)
{
    if (CannotLoad()) GTEST_SKIP() << "the toolkit has no DXF section loaders in this build";
    ASSERT_EQ(ParseFile("mapping_r2000.dxf"), 0) << printed();
    db_ptr walls = ByName<dxf_layer_table_data>(DXFI_TF_dxf_layer_table_data, "Walls");
    db_ptr dashed = ByName<dxf_line_type_table_data>(DXFI_TF_dxf_line_type_table_data, "DASHED");
    db_ptr slanted = ByName<dxf_text_style_table_data>(DXFI_TF_dxf_text_style_table_data, "Slanted");
    ASSERT_NE(walls, 0u);
    ASSERT_NE(dashed, 0u);
    ASSERT_NE(slanted, 0u);

    /* one header, with the drawing's values */
    auto headers = All(DXFI_TF_dxf_header);
    ASSERT_EQ(headers.size(), 1u);
    dxf_header h = Read<dxf_header>(headers[0]);
    ExpectFields({VYR_F(h.pdmode, 3), VYR_F(h.dwgcodepage, "ansi_932"), VYR_F(h.pdsize, 0.5),
                  VYR_F(h.ltscale, 2.0), VYR_F(h.acadver, "AC1015"), VYR_F(h.clayer, "Walls"),
                  VYR_F(h.curlayerobjhandle, walls), VYR_F(h.textstyle, "Slanted"),
                  VYR_F(h.curtextstyleobjhandle, slanted), VYR_F(h.extmax[0], 100.0),
                  VYR_F(dxfi__ModelData(model)->version, 2000), VYR_F(dxfi__ModelData(model)->filetype, 2)});

    /* tables */
    dxf_layer_table_data layer = Read<dxf_layer_table_data>(walls);
    ExpectFields({VYR_F(layer.color_num, -3), VYR_F(layer.line_type, "DASHED"),
                  VYR_F(layer.linetypeobjhandle, dashed), VYR_F(layer.entry_handle, "31"),
                  VYR_F(layer.owner_handle, "2"),
                  VYR_F(Read<dxf_text_style_table_data>(slanted).oblique_ang, 15.0)});
    Locked<dxf_line_type_table_data>(dashed, [](dxf_line_type_table_data &t) {
        EXPECT_STREQ(t.desc, "Dashed __ __ __");
        EXPECT_EQ(t.pattern_len, 0.75);
        ASSERT_EQ(t.num_shapes, 2);
        const dxf_line_type_table_data_shape *s =
            static_cast<const dxf_line_type_table_data_shape *>(mda_Deref(t.shape));
        EXPECT_EQ(s[0].val, 0.5);
        EXPECT_EQ(s[1].val, -0.25);
    });
    dxf_view_port_table_data vport = Read<dxf_view_port_table_data>(
        ByName<dxf_view_port_table_data>(DXFI_TF_dxf_view_port_table_data, "*ACTIVE"));
    EXPECT_NEAR(vport.snap_ang, 30.0, 1e-9);
    EXPECT_NEAR(vport.twist, M_PI / 4, 1e-12);
    EXPECT_NE(ByName<dxf_application_table_data>(DXFI_TF_dxf_application_table_data, "MYAPP"), 0u);
    EXPECT_NE(ByName<dxf_dimension_style_table_data>(DXFI_TF_dxf_dimension_style_table_data, "UNNAMED"), 0u);
    EXPECT_NE(ByName<dxf_dimension_style_table_data>(DXFI_TF_dxf_dimension_style_table_data, "Standard"), 0u);

    /* entities */
    db_ptr line = ByHandle<dxf_line>(DXFI_TF_dxf_line, "100");
    db_ptr circle = ByHandle<dxf_circle>(DXFI_TF_dxf_circle, "10A");
    ASSERT_NE(line, 0u);
    ASSERT_NE(circle, 0u);
    dxf_line l = Read<dxf_line>(line);
    ExpectFields({VYR_F(l.dxfhdr.entlayerobjhandle, walls), VYR_F(l.dxfhdr.lay_name, "Walls"),
                  VYR_F(l.xyzstr[2], 3.0), VYR_F(l.xyzend[1], 5.0)});
    Locked<dxf_line>(line, [&](dxf_line &rec) {
        ASSERT_EQ(rec.dxfxed.napps, 2);
        const dxfxed_appxdata *app = static_cast<const dxfxed_appxdata *>(mda_Deref(rec.dxfxed.appxdata));
        EXPECT_STREQ(app[0].appid, "MYAPP");
        ASSERT_EQ(app[0].ngroups, 5);
        const dxfxed_appxdata_xdata *x = static_cast<const dxfxed_appxdata_xdata *>(mda_Deref(app[0].xdata));
        EXPECT_STREQ(static_cast<const char *>(mda_Deref(x[0].gc_data.tval)), "hello");
        EXPECT_STREQ(static_cast<const char *>(mda_Deref(x[1].gc_data.tval)), "{");
        EXPECT_EQ(x[2].gc_data.ival, 7);
        EXPECT_EQ(x[3].gc_data.pval, circle); /* a forward reference */
        EXPECT_STREQ(app[1].appid, "ACAD");
    });
    dxf_line thick = Read<dxf_line>(ByHandle<dxf_line>(DXFI_TF_dxf_line_ext, "101"));
    EXPECT_EQ(thick.dxfhdr.thickness, 0.5);
    EXPECT_EQ(thick.dxfhdr.color, 1);
    dxf_arc a = Read<dxf_arc>(All(DXFI_TF_dxf_arc).at(0));
    EXPECT_NEAR(a.sang, 90.0, 1e-9);
    EXPECT_NEAR(a.eang, 180.0, 1e-9);
    EXPECT_NEAR(Read<dxf_point>(All(DXFI_TF_dxf_point).at(0)).xaxisang, M_PI / 2, 1e-12);
    dxf_solid s = Read<dxf_solid>(All(DXFI_TF_dxf_solid).at(0));
    EXPECT_EQ(s.xyz3[1], 1.0);
    EXPECT_EQ(s.xyz4[0], 1.0);
    EXPECT_EQ(Read<dxf_3dface>(All(DXFI_TF_dxf_3dface).at(0)).iveflg, 5);
    dxf_ellipse e = Read<dxf_ellipse>(All(DXFI_TF_dxf_ellipse).at(0));
    EXPECT_EQ(e.majaxis[0], 4.0);
    EXPECT_EQ(e.minlen, 0.5);
    Locked<dxf_spline>(All(DXFI_TF_dxf_spline).at(0), [](dxf_spline &sp) {
        ExpectFields({VYR_F(sp.degree, 3), VYR_F(sp.numknot, 8), VYR_F(sp.numcntrl, 4),
                      VYR_F(sp.weight, MDA_NULL_REF),
                      VYR_F(static_cast<const double *>(mda_Deref(sp.cntrlpnt))[4], 2.0)});
    });
    EXPECT_EQ(All(DXFI_TF_dxf_ray).size(), 1u);
    EXPECT_EQ(All(DXFI_TF_dxf_xline).size(), 1u);
    EXPECT_EQ(All(DXFI_TF_dxf_trace).size(), 1u);
    /* paper space first */
    auto lines = All(DXFI_TF_dxf_line);
    ASSERT_FALSE(lines.empty());
    dxf_line first = Read<dxf_line>(lines[0]);
    EXPECT_STREQ(first.dxfsubhdr.handle, "200");
    EXPECT_EQ(first.dxfhdr.space, 1);

    /* the layer table of the kernel */
    int flag = 0, color = 0;
    char ltype[256];
    dxfi_GetLayerInfo(0, "Walls", &flag, &color, ltype);
    EXPECT_EQ(color, -3);
    EXPECT_STREQ(ltype, "DASHED");
}

TEST_F(Files, AcadOnlyExtendedData)
{
    if (CannotLoad()) GTEST_SKIP() << "the toolkit has no DXF section loaders in this build";
    ASSERT_EQ(ParseFile("mapping_r2000.dxf", DXFI_PARSE_ACAD_XDATA), 0) << printed();
    Locked<dxf_line>(ByHandle<dxf_line>(DXFI_TF_dxf_line, "100"), [](dxf_line &rec) {
        ASSERT_EQ(rec.dxfxed.napps, 1);
        const dxfxed_appxdata *app = static_cast<const dxfxed_appxdata *>(mda_Deref(rec.dxfxed.appxdata));
        EXPECT_STREQ(app[0].appid, "ACAD");
        ASSERT_EQ(app[0].ngroups, 1);
        const dxfxed_appxdata_xdata *x = static_cast<const dxfxed_appxdata_xdata *>(mda_Deref(app[0].xdata));
        EXPECT_EQ(x[0].gc, 1040);
        EXPECT_EQ(x[0].gc_data.fval, 2.5);
    });
}

/* An AC1015 drawing of the given ENTITIES section, written to a temporary
 * file and parsed. */
#define PARSE_ENTITIES(entities)                                                                             \
    VyrTempFile dxf(".dxf");                                                                                 \
    ASSERT_TRUE(dxf.Write("  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1015\n  0\nENDSEC\n"             \
                          "  0\nSECTION\n  2\nENTITIES\n" +                                                  \
                          std::string(entities) + "  0\nENDSEC\n  0\nEOF\n"));                               \
    ASSERT_EQ(dxfi_ParseFile(0, model, dxf.Path().c_str(), collect), 0) << printed()

/* A spline of more control points than 16 bits count reaches the model whole. */
TEST_F(Files, SplineOfManyControlPoints)
{
    if (CannotLoad()) GTEST_SKIP() << "the toolkit has no DXF section loaders in this build";
    const int n = 70000;
    std::string s = "  0\nSPLINE\n  5\n2A\n  8\n0\n 70\n8\n 71\n3\n 72\n" + std::to_string(n + 4) +
                    "\n 73\n" + std::to_string(n) + "\n 74\n0\n";
    for (int i = 0; i < n + 4; ++i) s += " 40\n" + std::to_string(i) + "\n";
    for (int i = 0; i < n; ++i) s += " 10\n" + std::to_string(i) + "\n 20\n1\n 30\n0\n";
    PARSE_ENTITIES(s);
    auto splines = All(DXFI_TF_dxf_spline);
    ASSERT_EQ(splines.size(), 1u);
    Locked<dxf_spline>(splines[0], [n](dxf_spline &sp) {
        EXPECT_EQ(sp.numknot, n + 4);
        EXPECT_EQ(sp.numcntrl, n);
        const double *cp = static_cast<const double *>(mda_Deref(sp.cntrlpnt));
        ASSERT_NE(cp, nullptr);
        EXPECT_EQ(cp[3 * (n - 1)], n - 1);
    });
}

/* SHAPE entities keep the names the file gives them (cut to the model's 31
 * characters). */
TEST_F(Files, ShapeNames)
{
    if (CannotLoad()) GTEST_SKIP() << "the toolkit has no DXF section loaders in this build";
    PARSE_ENTITIES("  0\nSHAPE\n  5\n30\n  8\n0\n  2\nBOX\n 10\n1\n 20\n2\n 40\n1\n"
                   "  0\nSHAPE\n  5\n31\n  8\n0\n  2\nTRIANGLE_WITH_A_NAME_LONGER_THAN_ITS_FIELD\n 40\n1\n");
    auto shapes = All(DXFI_TF_dxf_shape);
    ASSERT_EQ(shapes.size(), 2u);
    EXPECT_STREQ(Read<dxf_shape>(shapes[0]).name, "BOX");
    EXPECT_EQ(Read<dxf_shape>(shapes[0]).xyzloc[1], 2.0);
    EXPECT_STREQ(Read<dxf_shape>(shapes[1]).name, "TRIANGLE_WITH_A_NAME_LONGER_THA");
}

/* A drawing whose first comment holds an apostrophe, which the kernel's
 * word scan reads as the start of a quoted string: the toolkit's look at
 * the first bytes takes it for the DXF file it is. A file neither knows is
 * still refused as of no known type. */
TEST_F(Files, ACommentWithAnApostropheIsNoObstacle)
{
    if (CannotLoad()) GTEST_SKIP() << "the toolkit has no DXF section loaders in this build";
    const std::string drawing = VyrReadFile(std::string(VYR_TEST_DATA_DIR) + "/ezdxf-r2000.dxf");
    ASSERT_FALSE(drawing.empty());
    VyrTempFile dxf(".dxf");
    ASSERT_TRUE(dxf.Write("999\nMary's plan\n" + drawing));
    int type = -1;
    ASSERT_EQ(pdx_GetFileType(PDX_TYPE_UNKNOWN_IS_NO_ERROR, dxf.Path().c_str(), &type, nullptr), 0);
    ASSERT_EQ(type, PDX_FILE_UNKNOWN) << "the word scan alone can tell this file now";
    EXPECT_EQ(dxfi_ParseFile(0, model, dxf.Path().c_str(), collect), 0) << printed();
    EXPECT_FALSE(All(DXFI_TF_dxf_line).empty());

    VyrTempFile text(".dxf");
    ASSERT_TRUE(text.Write("John's notes, no drawing\n"));
    EXPECT_EQ(dxfi_ParseFile(DXFI_PARSE_NOT_EMPTY, model, text.Path().c_str(), collect),
              PDX_UNKNOWN_FILETYPE);
    EXPECT_EQ(mpm_GetLastError(), PDX_UNKNOWN_FILETYPE);
}

/* Two entities of one handle: both reach the model, the later one under the
 * handle the toolkit gave it, and the duplicate is reported once as a
 * warning, not as an error. */
TEST_F(Files, DuplicateHandlesAreRenumberedWithAWarning)
{
    if (CannotLoad()) GTEST_SKIP() << "the toolkit has no DXF section loaders in this build";
    PARSE_ENTITIES("  0\nLINE\n  5\n2A\n  8\n0\n 10\n0\n 20\n0\n 11\n1\n 21\n1\n"
                   "  0\nLINE\n  5\n2A\n  8\n0\n 10\n5\n 20\n5\n 11\n6\n 21\n6\n");
    auto lines = All(DXFI_TF_dxf_line);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(Read<dxf_line>(lines[0]).xyzstr[0], 0.0);
    EXPECT_EQ(Read<dxf_line>(lines[1]).xyzstr[0], 5.0);
    EXPECT_STREQ(Read<dxf_line>(lines[0]).dxfsubhdr.handle, "2A");
    EXPECT_STRNE(Read<dxf_line>(lines[1]).dxfsubhdr.handle, "2A");
    EXPECT_STRNE(Read<dxf_line>(lines[1]).dxfsubhdr.handle, "");
    int count = 0, total = 0;
    mpm_GetErrorCount(DNFP_TOOLKIT_WARNING, &count, &total);
    EXPECT_EQ(total, 1);
    mpm_GetErrorCount(DNFP_DUPLICATE_HANDLE, &count, &total);
    EXPECT_EQ(total, 0);
    EXPECT_NE(printed().find("Duplicate handle 2A in file"), std::string::npos) << printed();
    EXPECT_FALSE(mpm_StackHoldsError());
}

TEST_F(Files, RejectedFileGivesToolkitTextAndReadError)
{
    VyrTempFile bad("");
    ASSERT_TRUE(bad.Write("  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n"));
    const std::string name = bad.Path();
    EXPECT_EQ(dxfi_ParseFile(0, model, name.c_str(), collect), DNFP_READ_ERROR);
    int count = 0, total = 0;
    mpm_GetErrorCount(DXFI_KESTRANE_ERR, &count, &total);
    EXPECT_EQ(count, 1);
    EXPECT_NE(printed().find("Error reading from the file '" + name + "'"), std::string::npos);
}

} // namespace

namespace {

/* Every drawing of tests/data and of the sample drawings of other programs:
 * each parses, or is refused with READ_ERROR; a parsed one has its header
 * and a layer table. */
class AllFiles : public MappingTest {
protected:
    void SetUp() override
    {
        MappingTest::SetUp();
        dnfp__LoadFile = adLoadFile;
    }

    std::vector<std::string> Drawings(const std::string &dir)
    {
        std::vector<std::string> out;
        std::string cmd = "find '" + dir + "' -iname '*.dxf' 2>/dev/null | sort";
        FILE *f = popen(cmd.c_str(), "r");
        char line[4096];
        while (f && fgets(line, sizeof line, f)) {
            line[strcspn(line, "\n")] = '\0';
            out.push_back(line);
        }
        if (f) pclose(f);
        return out;
    }

    void ParseEach(const std::vector<std::string> &files, int *parsed)
    {
        for (const std::string &file : files) {
            mda_FreeModel(0, model);
            MdaModelInfo info;
            mda_GetModelDefaults(0, &info);
            dxfi_InitModelInfo(0, &info);
            info.backptrs = 1;
            ASSERT_EQ(mda_AllocateModel(0, &info, &model), 0);
            printed().clear();
            int status = dxfi_ParseFile(DXFI_PARSE_ACAD_XDATA, model, file.c_str(), collect);
            EXPECT_TRUE(status == 0 || status == DNFP_READ_ERROR) << file << ": " << printed();
            if (status != 0) {
                std::printf("refused: %s\n", file.c_str());
                continue;
            }
            ++*parsed;
            EXPECT_EQ(All(DXFI_TF_dxf_header).size(), 1u) << file;
            EXPECT_EQ(All(DXFI_TF_dxf_layer_table).size(), 1u) << file;
        }
    }
};

TEST_F(AllFiles, OurDrawings)
{
    if (!ToolkitReadsDxf()) GTEST_SKIP() << "the toolkit has no DXF section loaders in this build";
    auto files = Drawings(VYR_TEST_DATA_DIR);
    ASSERT_FALSE(files.empty());
    /* the drawings of later releases go through the down-converter built
     * beside the tests */
    const std::string converter = std::string(VYR_BINARY_DIR) + "/tools/" DXFI_DEFAULT_PROCESSOR;
    if (access(converter.c_str(), X_OK) == 0) dxfi_SetProcessor(converter.c_str());
    int parsed = 0;
    ParseEach(files, &parsed);
    EXPECT_EQ(parsed, int(files.size()));
}

TEST_F(AllFiles, SampleDrawingsOfOtherPrograms)
{
    if (!ToolkitReadsDxf()) GTEST_SKIP() << "the toolkit has no DXF section loaders in this build";
    auto files = Drawings(VYR_SAMPLES_DIR);
    if (files.empty()) GTEST_SKIP() << "no sample drawings at " << VYR_SAMPLES_DIR;
    int parsed = 0;
    ParseEach(files, &parsed);
    std::printf("%d of %zu sample drawings parsed\n", parsed, files.size());
    EXPECT_GT(parsed, int(files.size()) / 2);
}

} // namespace
