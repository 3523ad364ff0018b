/* The DXF interface: the model-info record and its callbacks, the header
 * defaults by version, the layer table and name lookups over a model built
 * by hand, the converter's temporary file names, start-up nesting. */
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "kernel/ddf/ddf.h"
#include "kernel/dxfi/dxfi_int.h"
#include "kernel/mpm/mpm_int.h"
#include "kernel/pdx/pdx_int.h"
#include "kernel/ugn/ugn_int.h"
#include "support/VyrTempFile.h"

namespace {

class Dxfi : public ::testing::Test {
protected:
    void SetUp() override
    {
        pdx_Initialize();
        dxfi_Initialize();
    }
    void TearDown() override
    {
        for (int m : models_) mda_FreeModel(0, m);
        dxfi_Terminate();
        pdx_Terminate();
    }

    /* A DXF model whose format data says `version`. */
    int Model(int32_t version = 14)
    {
        MdaModelInfo info;
        mda_GetModelDefaults(0, &info);
        EXPECT_EQ(dxfi_InitModelInfo(0, &info), 0);
        static_cast<DxfiModelData *>(info.format_data)->version = version;
        int model = 0;
        EXPECT_EQ(mda_AllocateModel(0, &info, &model), 0);
        models_.push_back(model);
        return model;
    }

    dxf_header Header(int model)
    {
        dxf_header h;
        DxfiModelData *data = dxfi__ModelData(model);
        EXPECT_NE(data, nullptr);
        void *mem = nullptr;
        EXPECT_EQ(mda_LockEntity(0, data->header, &mem), 0);
        memcpy(&h, mem, sizeof h);
        mda_UnlockEntity(0, data->header);
        return h;
    }

    /* A table entry (or block) entity with a name, created in the current
     * model; returns its pointer. */
    template <class Rec> db_ptr Entry(mda_tf tf, const char *name)
    {
        void *mem = nullptr;
        EXPECT_EQ(mda_MallocEntity2(0, mda_GetCurModel(), tf, &mem), 0);
        Rec *r = static_cast<Rec *>(mem);
        strcpy(NameOf(r), name);
        db_ptr p = 0;
        EXPECT_EQ(mda_CreateEntity(0, mem, &p), 0);
        return p;
    }

    static char *NameOf(dxf_block *b) { return b->bname; }
    template <class Rec> static char *NameOf(Rec *r) { return r->entry_name; }

    std::vector<int> models_;
};

TEST_F(Dxfi, ModelInfoDescribesADxfModel)
{
    MdaModelInfo info;
    mda_GetModelDefaults(0, &info);
    ASSERT_EQ(dxfi_InitModelInfo(0, &info), 0);
    EXPECT_EQ(info.ddf, ddf_DxfiDefinition());
    EXPECT_EQ(info.format, dxfi_FormatFile);
    EXPECT_EQ(info.on_allocate, dxfi__AllocateModel);
    EXPECT_EQ(info.format_hook1, dxfi__ReleaseHeader);
    EXPECT_EQ(info.format_hook2, nullptr);
    EXPECT_EQ(info.on_free, dxfi__FreeModel);
    EXPECT_EQ(info.on_set_current, dxfi__SetCurModel);
    EXPECT_NE(info.parse, nullptr);
    DxfiModelData *data = static_cast<DxfiModelData *>(info.format_data);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->header, 0u);
    EXPECT_EQ(data->version, 14);
    EXPECT_EQ(data->filetype, 2);
    free(data);
}

TEST_F(Dxfi, EveryModelGetsOneHeaderWithItsDefaults)
{
    int model = Model();
    DxfiModelData *data = dxfi__ModelData(model);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(dxfi__CurModelData, data);
    ASSERT_TRUE(mda_IsValidDbptr(data->header));
    int32_t type = 0, form = 0;
    mda_ReadTypeForm(data->header, &type, &form);
    EXPECT_EQ(type, 1);
    EXPECT_EQ(form, 0);
    MdaModelInfo info;
    mda_GetModelInfo(model, &info);
    EXPECT_EQ(info.nentities, 1);
    dxf_header h = Header(model);
    EXPECT_STREQ(h.acadver, "AC1014");
    EXPECT_EQ(h.maxactvp, 48);
    EXPECT_STREQ(h.menu, ".");
    EXPECT_EQ(h.ucsicon, 1);
    EXPECT_EQ(h.extnames, 0);
    EXPECT_STREQ(h.celtype, "BYLAYER");
    EXPECT_STREQ(h.clayer, "0");
    EXPECT_STREQ(h.textstyle, "STANDARD");
    EXPECT_STREQ(h.cmlstyle, "STANDARD");
    EXPECT_EQ(h.attmode, 1);
    EXPECT_EQ(h.xedit, 1);
    EXPECT_EQ(h.cecolor, 256);
    EXPECT_EQ(h.celweight, -1);
    EXPECT_EQ(h.dimdsep, 46);
    EXPECT_EQ(h.treedepth, 3020);
    EXPECT_EQ(h.dimaltf, 25.4);
    EXPECT_EQ(h.dimexo, 0.0625);
    EXPECT_EQ(h.lenslength, 50.0);
    EXPECT_EQ(h.extmin[2], 1e20);
    EXPECT_EQ(h.pextmax[0], -1e20);
    EXPECT_EQ(h.gridunit[1], 0.5);
    EXPECT_EQ(h.plimmax[0], 12.0);
    EXPECT_EQ(h.limmax[1], 9.0);
    EXPECT_EQ(h.ucsydir[1], 1.0);
    EXPECT_EQ(h.vpointhdr[2], 1.0);
    EXPECT_EQ(h.pdmode, 0);
    EXPECT_STREQ(h.dwgcodepage, "");
}

TEST_F(Dxfi, HeaderDefaultsFollowTheVersion)
{
    struct Case {
        int32_t version;
        const char *acadver;
        int maxactvp, extnames, ucsicon;
        const char *menu;
    } cases[] = {{9, "AC1004", 16, 0, 1, "acad"},  {10, "AC1006", 16, 0, 1, "acad"},
                 {11, "AC1009", 16, 0, 1, "acad"}, {12, "AC1009", 16, 0, 1, "acad"},
                 {13, "AC1012", 16, 0, 1, "acad"}, {14, "AC1014", 48, 0, 1, "."},
                 {2000, "AC1015", 64, 1, 3, "."},  {7, "AC1014", 16, 0, 1, "acad"}};
    for (const Case &c : cases) {
        dxf_header h = Header(Model(c.version));
        EXPECT_STREQ(h.acadver, c.acadver) << c.version;
        EXPECT_EQ(h.maxactvp, c.maxactvp) << c.version;
        EXPECT_EQ(h.extnames, c.extnames) << c.version;
        EXPECT_EQ(h.ucsicon, c.ucsicon) << c.version;
        EXPECT_STREQ(h.menu, c.menu) << c.version;
    }
}

TEST_F(Dxfi, FreeingTheModelFreesItsHeaderAndFormatData)
{
    int model = Model();
    DxfiModelData *data = dxfi__ModelData(model);
    db_ptr header = data->header;
    models_.clear();
    EXPECT_EQ(mda_FreeModel(0, model), 0);
    EXPECT_FALSE(mda_IsValidDbptr(header));
    EXPECT_EQ(dxfi__CurModelData, nullptr);
}

TEST_F(Dxfi, ReleasingTheHeaderDeletesIt)
{
    int model = Model();
    DxfiModelData *data = dxfi__ModelData(model);
    db_ptr header = data->header;
    EXPECT_EQ(dxfi__ReleaseHeader(0, model), 0);
    EXPECT_EQ(data->header, 0u);
    EXPECT_FALSE(mda_IsValidDbptr(header));
}

TEST_F(Dxfi, FormattingIsNotPartOfThisSystem)
{
    int model = Model();
    EXPECT_EQ(dxfi_FormatFile(0, model, "/tmp/out.dxf", nullptr), DXFI_DWG_FORMAT_UNSUPPORTED);
    EXPECT_EQ(dxfi_FormatFile(0, 64, "/tmp/out.dxf", nullptr), DXFI_INVALID_FORMAT_MODEL);
}

TEST_F(Dxfi, LayerTableAndNameLookups)
{
    int model = Model();
    /* two layer tables, one of them holding a deleted-looking null entry */
    db_ptr walls = Entry<dxf_layer_table_data>(DXFI_TF_dxf_layer_table_data, "Walls");
    db_ptr doors = Entry<dxf_layer_table_data>(DXFI_TF_dxf_layer_table_data, "Doors");
    void *mem = nullptr;
    ASSERT_EQ(mda_LockEntity(0, walls, &mem), 0);
    static_cast<dxf_layer_table_data *>(mem)->color_num = -3;
    static_cast<dxf_layer_table_data *>(mem)->flag = 4;
    strcpy(static_cast<dxf_layer_table_data *>(mem)->line_type, "DASHED");
    mda_UnlockEntity(MDA_UNLOCK_MODIFIED, walls);
    ASSERT_EQ(mda_MallocEntity2(0, model, DXFI_TF_dxf_layer_table, &mem), 0);
    dxf_layer_table *t = static_cast<dxf_layer_table *>(mem);
    t->num_entries = 3;
    ASSERT_EQ(mda_Malloc(0, mem, 12, &t->table_data), 0);
    db_ptr *p = static_cast<db_ptr *>(mda_Deref(t->table_data));
    p[0] = walls;
    p[1] = 0;
    p[2] = doors;
    db_ptr table = 0;
    ASSERT_EQ(mda_CreateEntity(0, mem, &table), 0);

    db_ptr style = Entry<dxf_text_style_table_data>(DXFI_TF_dxf_text_style_table_data, "Notes");
    db_ptr block = Entry<dxf_block>(DXFI_TF_dxf_block, "Door");
    db_ptr app = Entry<dxf_application_table_data>(DXFI_TF_dxf_application_table_data, "ACAD");
    db_ptr dim = Entry<dxf_dimension_style_table_data>(DXFI_TF_dxf_dimension_style_table_data, "Iso-25");
    db_ptr ucs = Entry<dxf_ucs_table_data>(DXFI_TF_dxf_ucs_table_data, "Front");
    db_ptr vport = Entry<dxf_view_port_table_data>(DXFI_TF_dxf_view_port_table_data, "*Active");
    db_ptr ltype = Entry<dxf_line_type_table_data>(DXFI_TF_dxf_line_type_table_data, "Dashed");

    ASSERT_EQ(dxfi_CreateLayerTable(0, model), 0);
    int flag = 0, color = 0;
    char line_type[256];
    EXPECT_EQ(dxfi_GetLayerInfo(0, "Walls", &flag, &color, line_type), 0);
    EXPECT_EQ(flag, 4);
    EXPECT_EQ(color, -3);
    EXPECT_STREQ(line_type, "DASHED");
    EXPECT_EQ(dxfi_GetLayerInfo(0, "walls", &flag, &color, line_type), 0);
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(color, 256);
    EXPECT_STREQ(line_type, "");
    EXPECT_EQ(dxfi_GetLayerInfo(0, "Doors", &flag, &color, line_type), 0);
    EXPECT_EQ(color, 0);

    db_ptr found = 0;
    EXPECT_EQ(dxfi_FindLayerByName("WALLS", &found), 0);
    EXPECT_EQ(found, walls);
    EXPECT_EQ(dxfi_FindLayerByName("doors", &found), 0);
    EXPECT_EQ(found, doors);
    EXPECT_EQ(dxfi_FindLayerByName("Windows", &found), 0);
    EXPECT_EQ(found, 0u);
    EXPECT_EQ(dxfi_FindTextStyleByName("NOTES", &found), 0);
    EXPECT_EQ(found, style);
    EXPECT_EQ(dxfi_FindBlockByName("door", &found), 0);
    EXPECT_EQ(found, block);
    EXPECT_EQ(dxfi_FindAppIDByName("acad", &found), 0);
    EXPECT_EQ(found, app);
    EXPECT_EQ(dxfi_FindDimStyleByName("ISO-25", &found), 0);
    EXPECT_EQ(found, dim);
    EXPECT_EQ(dxfi_FindUCSByName("front", &found), 0);
    EXPECT_EQ(found, ucs);
    EXPECT_EQ(dxfi_FindViewPortByName("*ACTIVE", &found), 0);
    EXPECT_EQ(found, vport);
    EXPECT_EQ(dxfi_FindLineTypeByName("DASHED", &found), 0);
    EXPECT_EQ(found, ltype);
    /* the layer table is rebuilt, not added to */
    ASSERT_EQ(dxfi_CreateLayerTable(0, model), 0);
    EXPECT_EQ(otm_GetCount(dxfi__LayerTree), 2);
}

TEST_F(Dxfi, LayerLookupWithoutTable)
{
    int flag = 9, color = 9;
    char line_type[256] = "x";
    EXPECT_EQ(dxfi_GetLayerInfo(0, "0", &flag, &color, line_type), 0);
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(color, 256);
    EXPECT_STREQ(line_type, "");
}

TEST_F(Dxfi, TemporaryFileNames)
{
    ugn__TmpNum = 0x1234;
    ASSERT_EQ(dxfi_SetProcessorTmpFilePath("/some/dir"), 0);
    char expected[64];
    snprintf(expected, sizeof expected, "/some/dir/t%4.4x%03x.%03x", unsigned(getpid()) & 0xFFFFu, 0x34u,
             0x12u);
    ASSERT_NE(dxfi__preprocessor_tmpfile, nullptr);
    EXPECT_STREQ(dxfi__preprocessor_tmpfile, expected);
    EXPECT_STREQ(dxfi__postprocessor_tmpfile, expected);
    ASSERT_EQ(dxfi_SetProcessorTmpFilePath("/some/dir/"), 0);
    EXPECT_STREQ(dxfi__preprocessor_tmpfile, expected);
    ASSERT_EQ(dxfi_SetProcessorTmpFilePath(nullptr), 0);
    ASSERT_NE(dxfi__preprocessor_tmpfile, nullptr);
    EXPECT_STRNE(dxfi__preprocessor_tmpfile, expected);
    EXPECT_STRNE(dxfi__preprocessor_tmpfile, dxfi__postprocessor_tmpfile);
}

TEST_F(Dxfi, CreatedTemporaryFilesArePrivateAndRemoved)
{
    VyrTempDir tmp("vyr_dxfi");
    ASSERT_FALSE(tmp.Path().empty());
    const char *dir = tmp.Path().c_str();
    ASSERT_EQ(dxfi_SetProcessorTmpFilePath(dir), 0);
    std::string name = dxfi__preprocessor_tmpfile;
    ASSERT_EQ(dxfi__CreatePreprocessorFile(), 0);
    struct stat st;
    ASSERT_EQ(stat(name.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    /* a new choice of names removes the file that was created */
    ASSERT_EQ(dxfi_SetProcessorTmpFilePath(dir), 0);
    EXPECT_NE(stat(name.c_str(), &st), 0);

    /* a file that exists already is neither reused nor removed */
    FILE *f = fopen(name.c_str(), "w");
    ASSERT_NE(f, nullptr);
    fclose(f);
    ASSERT_EQ(dxfi__CreatePreprocessorFile(), 0);
    EXPECT_STRNE(dxfi__preprocessor_tmpfile, name.c_str());
    std::string second = dxfi__preprocessor_tmpfile;
    dxfi__DropTmpFiles();
    EXPECT_EQ(stat(name.c_str(), &st), 0);
    EXPECT_NE(stat(second.c_str(), &st), 0);

    /* the input path that replaced the name is never removed */
    ASSERT_EQ(dxfi_SetProcessorTmpFilePath(dir), 0);
    ASSERT_EQ(dxfi__UseInputAsPreprocessorFile(name.c_str()), 0);
    dxfi_Terminate();
    dxfi_Initialize();
    EXPECT_EQ(stat(name.c_str(), &st), 0);
}

TEST_F(Dxfi, StartupNestsAndSetsDefaults)
{
    EXPECT_EQ(pdx__Table[PDX_MOD_DXFI].count, dxfi__Module.count);
    EXPECT_EQ(pdx__Table[PDX_MOD_DNFP].number, PDX_MOD_DNFP);
    EXPECT_EQ(pdx__Table[PDX_MOD_DNFF].number, PDX_MOD_DNFF);
    EXPECT_EQ(pdx__Table[PDX_MOD_DGDX].number, PDX_MOD_DGDX);
    EXPECT_EQ(pdx__Table[PDX_MOD_DMAP].number, PDX_MOD_DMAP);
    EXPECT_EQ(dxfi__DefaultAttributes.color, 256);
    EXPECT_STREQ(dxfi__DefaultAttributes.line_type, "BYLAYER");
    EXPECT_EQ(dxfi__DefaultAttributes.matrix[2][2], 1.0);
    EXPECT_EQ(dxfi__DefaultAttributes.matrix[2][3], 0.0);
    ASSERT_NE(dxfi__HeaderStack, nullptr);
    EXPECT_EQ(olm_GetCount(dxfi__HeaderStack), 1);
    const dxfhdr *h = static_cast<const dxfhdr *>(olm_GetObject(0, dxfi__HeaderStack, OLM_FIRST));
    EXPECT_STREQ(h->lay_name, "0");
    EXPECT_EQ(h->ltype_scale, 1.0);
    EXPECT_EQ(h->extrusion[2], 1.0);
    EXPECT_EQ(h->color, 256);
    dxfi_SetProcessor("/bin/true");
    EXPECT_EQ(dxfi_Initialize(), 0);
    EXPECT_EQ(dxfi_Terminate(), 0);
    EXPECT_NE(dxfi__HeaderStack, nullptr);
    EXPECT_STREQ(dxfi__processor, "/bin/true");
}

} // namespace
