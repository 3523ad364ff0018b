/* The header and the symbol tables, mapped from drawings built in code. */
#include <cmath>
#include <algorithm>

#include "mapping_fixture.h"

using namespace maptest;

namespace {

class Tables : public MappingTest {
protected:
    std::vector<db_ptr> Entries(db_ptr table)
    {
        std::vector<db_ptr> out;
        Locked<dxf_layer_table>(table, [&](dxf_layer_table &t) {
            const db_ptr *p = static_cast<const db_ptr *>(mda_Deref(t.table_data));
            for (int i = 0; p && i < t.num_entries; ++i) out.push_back(p[i]);
        });
        return out;
    }
};

TEST_F(Tables, OneHeaderWithTheDrawingsValues)
{
    ASSERT_EQ(Parse([](Drawing &g) {
                  AdHeader *h = g.d->header;
                  h->pdmode = 3;
                  h->dwgcodepage = 38; /* ANSI_932 */
                  h->pdsize = 0.25;
                  strcpy(h->acadver, "AC1015");
                  h->extmin[0] = -5;
                  h->limmax[1] = 42;
                  h->tdcreate[0] = 2451545;
                  h->handling = 1;
                  h->useri[2] = 77;
                  h->userr[4] = 1.5;
                  h->viewtwist = 0.5;
                  h->dimlunit = 4;
                  h->dimatfit = 1;
                  h->cecolor = 256;
                  strcpy(h->menu, "custom");
              }),
              0)
        << printed();
    auto headers = All(DXFI_TF_dxf_header);
    ASSERT_EQ(headers.size(), 1u);
    DxfiModelData *data = dxfi__ModelData(model);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(headers[0], data->header);
    EXPECT_EQ(data->version, 2000);
    EXPECT_EQ(data->filetype, 2);
    dxf_header h = Read<dxf_header>(headers[0]);
    ExpectFields({VYR_F(h.pdmode, 3), VYR_F(h.dwgcodepage, "ansi_932"), VYR_F(h.pdsize, 0.25),
                  VYR_F(h.acadver, "AC1015"), VYR_F(h.extmin[0], -5.0), VYR_F(h.limmax[1], 42.0),
                  VYR_F(h.tdcreate[0], 2451545), VYR_F(h.handles, 1), VYR_F(h.useri3, 77),
                  VYR_F(h.userr5, 1.5), VYR_F(h.viewtwisthdr, 0.5), VYR_F(h.dimunit, 4), VYR_F(h.dimfit, 1),
                  VYR_F(h.menu, "custom"),
                  /* defaults of the drawing's version where the drawing has nothing */
                  VYR_F(h.maxactvp, 0), VYR_F(h.ucsicon, 3), VYR_F(h.dimaltf, 0.0), VYR_F(h.isolines, 4),
                  VYR_F(h.treedepth, 0), VYR_F(h.celtype, "BYLAYER")});
}

TEST_F(Tables, HeaderNamesResolveToEntriesCreatedLater)
{
    ASSERT_EQ(Parse([](Drawing &g) {
                  g.Layer("Walls", 0x10);
                  g.Linetype("DASHED", 0x14);
                  g.Style("Notes", 0x30);
                  set_handle(g.d->header->clayer, 0x10);
                  set_handle(g.d->header->celtype, 0x14);
                  set_handle(g.d->header->textstyle, 0x30);
                  set_handle(g.d->header->dimtxsty, 0x99); /* names nothing */
                  set_handle(g.d->header->handseed, 0x400);
                  AdBlockheader b;
                  memset(&b, 0, sizeof b);
                  strcpy(b.name, "_ArchTick");
                  set_handle(b.handle, 0x90);
                  adAddBlockheader(g.d, &b);
                  strcpy(g.d->header->dimblk, "_ArchTick");
                  set_handle(g.d->header->dimblkhandle, 0x90);
                  strcpy(g.d->header->dimblk1, "_Missing");
              }),
              0)
        << printed();
    dxf_header h = Read<dxf_header>(All(DXFI_TF_dxf_header).at(0));
    EXPECT_STREQ(h.clayer, "Walls");
    EXPECT_EQ(h.curlayerobjhandle, All(DXFI_TF_dxf_layer_table_data).at(0));
    EXPECT_STREQ(h.celtype, "DASHED");
    EXPECT_EQ(h.curltypeobjhandle, All(DXFI_TF_dxf_line_type_table_data).at(0));
    EXPECT_STREQ(h.textstyle, "Notes");
    EXPECT_EQ(h.curtextstyleobjhandle, All(DXFI_TF_dxf_text_style_table_data).at(0));
    EXPECT_STREQ(h.dimtxsty, "STANDARD");
    EXPECT_EQ(h.curdimtextstyleobjhandle, 0u);
    EXPECT_NE(h.handseed, 0u);
    EXPECT_STREQ(h.dimblk, "_ArchTick");
    EXPECT_NE(h.dimblkobjhandle, 0u);
    /* a name whose block does not exist is not copied */
    EXPECT_STREQ(h.dimblk1, "");
    EXPECT_EQ(h.dimblk1objhandle, 0u);
    EXPECT_EQ(mpm_GetLastError(), 0);
    /* the header is registered as a parent of the layer it points at */
    int32_t count = 0;
    db_ptr *parents = nullptr;
    ASSERT_EQ(mda_GetParentsByTF(0, h.curlayerobjhandle, DXFI_TF_dxf_header, &count, &parents), 0);
    EXPECT_EQ(count, 1);
    mda_FreeParents(parents);
}

/* Header links whose handle names an object of another kind, or a block
 * that is not there, leave the name and the pointer at their defaults. */
TEST_F(Tables, HeaderLinksToMissingOrWrongEntriesKeepTheDefaults)
{
    ASSERT_EQ(Parse([](Drawing &g) {
                  AdObjectHeader oh;
                  AdObjectRecord orec;
                  memset(&oh, 0, sizeof oh);
                  memset(&orec, 0, sizeof orec);
                  oh.objtype = AD_OBJ_GROUP;
                  set_handle(oh.handle, 0x70);
                  strcpy(orec.group.description, "Doors");
                  ASSERT_TRUE(adAddObject(g.d, &oh, &orec));
                  set_handle(g.d->header->cmlstyle, 0x70);
                  g.Layer("Walls", 0x71);
                  strcpy(g.d->header->dimblk, "_Dot");
                  set_handle(g.d->header->dimblkhandle, 0x71); /* a layer */
                  strcpy(g.d->header->dimblk2, "_Open");
              }),
              0)
        << printed();
    dxf_header h = Read<dxf_header>(All(DXFI_TF_dxf_header).at(0));
    ExpectFields({VYR_F(h.cmlstyle, "STANDARD"), VYR_F(h.curmlstyleobjhandle, 0u), VYR_F(h.dimblk, ""),
                  VYR_F(h.dimblkobjhandle, 0u), VYR_F(h.dimblk2, ""), VYR_F(h.dimblk2objhandle, 0u)});
}

TEST_F(Tables, CodePageNames)
{
    ExpectFields(
        {VYR_F(dnfp__CodePageName(30, 2000), "ansi_1252"), VYR_F(dnfp__CodePageName(0, 2000), "undefined"),
         VYR_F(dnfp__CodePageName(44, 2000), "ansi_1258"), VYR_F(dnfp__CodePageName(45, 2000), "ANSI_1252"),
         VYR_F(dnfp__CodePageName(45, 13), "iso8859-1"), VYR_F(dnfp__CodePageName(-1, 9), "iso8859-1")});
    ASSERT_EQ(Parse([](Drawing &g) {
                  g.d->version = AD_ACAD13;
                  g.d->header->dwgcodepage = 45;
              }),
              0);
    EXPECT_STREQ(Read<dxf_header>(All(DXFI_TF_dxf_header).at(0)).dwgcodepage, "iso8859-1");
    EXPECT_EQ(dxfi__ModelData(model)->version, 13);
}

TEST_F(Tables, LayerEntriesAndTheirTable)
{
    ASSERT_EQ(Parse([](Drawing &g) {
                  g.Control(AD_TBL_LAYER, 0x2);
                  g.Linetype("CONTINUOUS", 0x14);
                  g.Layer("0", 0x10, 7, 0x14);
                  g.Layer("Off", 0x11, -7, 0x14);
                  g.Layer("Lost", 0x12, 1, 0x66);
              }),
              0)
        << printed();
    auto tables = All(DXFI_TF_dxf_layer_table);
    ASSERT_EQ(tables.size(), 1u);
    dxf_layer_table t = Read<dxf_layer_table>(tables[0]);
    EXPECT_STREQ(t.name, "LAYER");
    EXPECT_STREQ(t.dxfsubhdr.handle, "2");
    auto entries = Entries(tables[0]);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries, All(DXFI_TF_dxf_layer_table_data));
    dxf_layer_table_data off = Read<dxf_layer_table_data>(entries[1]);
    ExpectFields({VYR_F(off.entry_name, "Off"), VYR_F(off.entry_handle, "11"), VYR_F(off.owner_handle, "2"),
                  VYR_F(off.color_num, -7), VYR_F(off.line_type, "CONTINUOUS")});
    EXPECT_EQ(off.linetypeobjhandle, All(DXFI_TF_dxf_line_type_table_data).at(0));
    EXPECT_EQ(off.lineweight, -3);
    EXPECT_EQ(off.plotflag, 1);
    dxf_layer_table_data lost = Read<dxf_layer_table_data>(entries[2]);
    EXPECT_STREQ(lost.line_type, "");
    EXPECT_NE(lost.linetypeobjhandle, 0u);
    EXPECT_EQ(printed().find("KESTRANE"), std::string::npos);

    /* the layer lookup table and the name lookups */
    int flag = -1, color = 0;
    char ltype[256] = "x";
    EXPECT_EQ(dxfi_GetLayerInfo(0, "Off", &flag, &color, ltype), 0);
    EXPECT_EQ(color, -7);
    EXPECT_STREQ(ltype, "CONTINUOUS");
    EXPECT_EQ(dxfi_GetLayerInfo(0, "off", &flag, &color, ltype), 0);
    EXPECT_EQ(color, 256);
    EXPECT_EQ(flag, 0);
    EXPECT_STREQ(ltype, "");
    db_ptr found = 0;
    mda_SetCurModel(model);
    EXPECT_EQ(dxfi_FindLayerByName("OFF", &found), 0);
    EXPECT_EQ(found, entries[1]);
    EXPECT_EQ(dxfi_FindLayerByName("nowhere", &found), 0);
    EXPECT_EQ(found, 0u);
    EXPECT_EQ(dxfi_FindLineTypeByName("continuous", &found), 0);
    EXPECT_EQ(found, All(DXFI_TF_dxf_line_type_table_data).at(0));
}

TEST_F(Tables, EmptyTablesExistWithoutEntries)
{
    ASSERT_EQ(Parse([](Drawing &) {}), 0);
    for (mda_tf tf : {DXFI_TF_dxf_layer_table, DXFI_TF_dxf_text_style_table, DXFI_TF_dxf_view_port_table,
                      DXFI_TF_dxf_ucs_table, DXFI_TF_dxf_line_type_table, DXFI_TF_dxf_application_table,
                      DXFI_TF_dxf_view_table, DXFI_TF_dxf_dimension_style_table}) {
        auto tables = All(tf);
        ASSERT_EQ(tables.size(), 1u) << tf;
        dxf_layer_table t = Read<dxf_layer_table>(tables[0]);
        if (tf == DXFI_TF_dxf_dimension_style_table) {
            EXPECT_EQ(t.num_entries, 1); /* the UNNAMED style */
        } else {
            EXPECT_EQ(t.num_entries, 0) << tf;
            EXPECT_EQ(t.table_data, MDA_NULL_REF);
        }
    }
    /* the block records: the paper-space block alone */
    auto records = All(DXFI_TF_dxf_block_record_table);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(Read<dxf_block_record_table>(records[0]).num_entries, 1);
    const char *names[] = {"LAYER", "STYLE", "VPORT", "UCS", "LTYPE", "APPID", "VIEW", "DIMSTYLE"};
    mda_tf tfs[] = {DXFI_TF_dxf_layer_table, DXFI_TF_dxf_text_style_table,     DXFI_TF_dxf_view_port_table,
                    DXFI_TF_dxf_ucs_table,   DXFI_TF_dxf_line_type_table,      DXFI_TF_dxf_application_table,
                    DXFI_TF_dxf_view_table,  DXFI_TF_dxf_dimension_style_table};
    for (int i = 0; i < 8; ++i) EXPECT_STREQ(Read<dxf_layer_table>(All(tfs[i]).at(0)).name, names[i]);
}

TEST_F(Tables, TextStylesLinetypesViewportsViewsAndUcs)
{
    ASSERT_EQ(Parse([](Drawing &g) {
                  AdShapefile s;
                  memset(&s, 0, sizeof s);
                  strcpy(s.name, "Slanted");
                  set_handle(s.handle, 0x30);
                  s.oblique = M_PI / 12;
                  s.height = 2.5;
                  s.widthfactor = 0.9;
                  s.lastheight = 0.3;
                  s.generationflag = 2;
                  s.flag = 0x80;
                  strcpy(s.fontname, "romans.shx");
                  strcpy(s.bigfontname, "big.shx");
                  adAddShapefile(g.d, &s);
                  g.Style("Second", 0x31);

                  AdLinetype t;
                  memset(&t, 0, sizeof t);
                  strcpy(t.name, "DASHDOT");
                  strcpy(t.text, "Dash dot __ . __");
                  set_handle(t.handle, 0x40);
                  t.alignment = 'A';
                  t.patternlength = 1.5;
                  t.numdashes = 4;
                  double dashes[4] = {0.5, -0.25, 0.0, -0.25};
                  for (int i = 0; i < 4; ++i) t.dashlength[i] = dashes[i];
                  t.shapeflag[2] = 4;
                  t.shapenum[2] = 131;
                  set_handle(t.shapestylehandle[2], 0x31);
                  t.shapescale[2] = 0.1;
                  t.shaperot[2] = 0.5;
                  t.shapexoffset[2] = 0.2;
                  t.stroffset[2] = 3;
                  adAddLinetype(g.d, &t);

                  AdVport v;
                  memset(&v, 0, sizeof v);
                  strcpy(v.name, "*ACTIVE");
                  set_handle(v.handle, 0x50);
                  v.snaprot = M_PI / 2;
                  v.twist = M_PI / 4;
                  v.height = 10;
                  v.aspect = 1.5;
                  v.center[0] = 3;
                  v.snapisopair = 2;
                  v.circlezoom = 100;
                  set_handle(v.ucshandle, 0x60);
                  adAddVport(g.d, &v);

                  AdUcs u;
                  memset(&u, 0, sizeof u);
                  strcpy(u.name, "Front");
                  set_handle(u.handle, 0x60);
                  u.origin[1] = 4;
                  u.xdir[0] = 1;
                  u.orthotype71 = 5;
                  set_handle(u.baseucshandle, 0x61);
                  adAddUcs(g.d, &u);

                  AdView w;
                  memset(&w, 0, sizeof w);
                  strcpy(w.name, "Plan");
                  set_handle(w.handle, 0x70);
                  w.twist = 0.25;
                  w.height = 8;
                  w.width = 12;
                  w.viewmode = 1;
                  set_handle(w.ucshandle, 0x60);
                  adAddView(g.d, &w);
              }),
              0)
        << printed();
    auto styles = All(DXFI_TF_dxf_text_style_table_data);
    ASSERT_EQ(styles.size(), 2u);
    dxf_text_style_table_data s = Read<dxf_text_style_table_data>(styles[0]);
    ExpectFields({VYR_F(s.oblique_ang, 15.0), VYR_F(s.height, 2.5), VYR_F(s.width, 0.9),
                  VYR_F(s.last_height, 0.3), VYR_F(s.text_flag, 2),
                  VYR_F(s.flag, -128), /* the flag byte, sign-extended */
                  VYR_F(s.prim_font, "romans.shx"), VYR_F(s.big_font, "big.shx"), VYR_F(s.style_index, 1),
                  VYR_F(Read<dxf_text_style_table_data>(styles[1]).style_index, 2)});

    Locked<dxf_line_type_table_data>(
        All(DXFI_TF_dxf_line_type_table_data).at(0), [&](dxf_line_type_table_data &t) {
            ExpectFields({VYR_F(t.entry_name, "DASHDOT"), VYR_F(t.desc, "Dash dot __ . __"),
                          VYR_F(t.alignment, 'A'), VYR_F(t.pattern_len, 1.5), VYR_F(t.num_dash, 0),
                          VYR_F(t.dash_len, MDA_NULL_REF)});
            ASSERT_EQ(t.num_shapes, 4);
            const dxf_line_type_table_data_shape *sh =
                static_cast<const dxf_line_type_table_data_shape *>(mda_Deref(t.shape));
            ExpectFields({VYR_F(sh[0].val, 0.5), VYR_F(sh[1].val, -0.25), VYR_F(sh[2].complexshapecode, 131),
                          VYR_F(sh[2].shapeflag, 4), VYR_F(sh[2].scale, 0.1), VYR_F(sh[2].rotang, 0.5),
                          VYR_F(sh[2].offset[0], 0.2), VYR_F(sh[2].stroffset, 3)});
            EXPECT_EQ(sh[2].ref, styles[1]);
            EXPECT_EQ(sh[3].ref, 0u);
        });

    dxf_view_port_table_data v = Read<dxf_view_port_table_data>(All(DXFI_TF_dxf_view_port_table_data).at(0));
    ExpectFields({VYR_F(v.snap_ang, 90.0), VYR_F(v.twist, M_PI / 4), VYR_F(v.height, 10.0),
                  VYR_F(v.aspect, 1.5), VYR_F(v.xycenter[0], 3.0), VYR_F(v.snap_isopair, 2),
                  VYR_F(v.cir_zoom, 100)});
    db_ptr ucs = All(DXFI_TF_dxf_ucs_table_data).at(0);
    EXPECT_EQ(v.ucsobjhandle, ucs);

    dxf_ucs_table_data u = Read<dxf_ucs_table_data>(ucs);
    ExpectFields({VYR_F(u.entry_name, "Front"), VYR_F(u.xyzorigin[1], 4.0), VYR_F(u.xaxisdir[0], 1.0),
                  VYR_F(u.orthographictype, 5)});
    EXPECT_NE(u.orthoviewrefobjhandle, 0u);

    dxf_view_table_data w = Read<dxf_view_table_data>(All(DXFI_TF_dxf_view_table_data).at(0));
    ExpectFields({VYR_F(w.twist, 0.25), VYR_F(w.height, 8.0), VYR_F(w.width, 12.0), VYR_F(w.view_mode, 1),
                  VYR_F(w.ucsobjhandle, ucs)});
}

TEST_F(Tables, UnnamedDimensionStyleFromTheHeader)
{
    ASSERT_EQ(Parse([](Drawing &g) {
                  g.Style("Standard", 0x30);
                  g.d->header->dimasz = 0.25;
                  g.d->header->dimscale = 2.0;
                  g.d->header->dimtad = 1;
                  strcpy(g.d->header->dimpost, "<> mm");
              }),
              0)
        << printed();
    auto styles = All(DXFI_TF_dxf_dimension_style_table_data);
    ASSERT_EQ(styles.size(), 1u);
    dxf_dimension_style_table_data d = Read<dxf_dimension_style_table_data>(styles[0]);
    ExpectFields({VYR_F(d.entry_name, "UNNAMED"), VYR_F(d.dimasz, 0.25), VYR_F(d.dimscale, 2.0),
                  VYR_F(d.dimtad, 1), VYR_F(d.dimpost, "<> mm")});
    EXPECT_EQ(d.shapefileobjhandle, All(DXFI_TF_dxf_text_style_table_data).at(0));
    EXPECT_EQ(d.style_ref, 1);
    EXPECT_STREQ(dnfp__UnnamedDimStyle.name, "UNNAMED");
}

TEST_F(Tables, ExistingUnnamedStyleIsKeptAndArrowBlocksResolve)
{
    ASSERT_EQ(Parse([](Drawing &g) {
                  AdBlockheader b;
                  memset(&b, 0, sizeof b);
                  strcpy(b.name, "_ArchTick");
                  set_handle(b.handle, 0x90);
                  adAddBlockheader(g.d, &b);
                  AdDimstyle s;
                  memset(&s, 0, sizeof s);
                  strcpy(s.name, "Unnamed");
                  set_handle(s.handle, 0x80);
                  set_handle(s.dimblk, 0x90);
                  set_handle(s.dimblk1, 0x91); /* no such block */
                  s.dimtxt = 3.5;
                  s.dimlunit = 6;
                  adAddDimstyle(g.d, &s);
              }),
              0)
        << printed();
    auto styles = All(DXFI_TF_dxf_dimension_style_table_data);
    ASSERT_EQ(styles.size(), 1u);
    dxf_dimension_style_table_data d = Read<dxf_dimension_style_table_data>(styles[0]);
    ExpectFields({VYR_F(d.entry_name, "Unnamed"), VYR_F(d.dimtxt, 3.5), VYR_F(d.dimunit, 6),
                  VYR_F(d.dimblk, "_ArchTick")});
    EXPECT_NE(d.dimblkobjhandle, 0u);
    EXPECT_STREQ(d.dimblk1, "");
    EXPECT_EQ(d.dimblk1objhandle, 0u);
    EXPECT_EQ(dnfp__UnnamedDimStyle.handle[7], 0x80);
    EXPECT_EQ(printed().find("KESTRANE"), std::string::npos);
}

TEST_F(Tables, TableEntriesKeepTheirExtendedData)
{
    ASSERT_EQ(Parse([](Drawing &g) {
                  g.Regapp("ACAD", 0x12);
                  g.Regapp("MINE", 0x13);
                  g.Layer("First", 0x20);
                  g.Layer("Tagged", 0x21, 7, 0, Xdata().App(0x13).Text(1000, "note").Done());
              }),
              0)
        << printed();
    auto layers = All(DXFI_TF_dxf_layer_table_data);
    ASSERT_EQ(layers.size(), 2u);
    Locked<dxf_layer_table_data>(layers[1], [](dxf_layer_table_data &l) {
        ASSERT_EQ(l.dxfxed.napps, 1);
        const dxfxed_appxdata *app = static_cast<const dxfxed_appxdata *>(mda_Deref(l.dxfxed.appxdata));
        EXPECT_STREQ(app[0].appid, "MINE");
        EXPECT_EQ(app[0].table_entry, 1);
        EXPECT_EQ(app[0].ngroups, 1);
    });
    /* the lookups of the extended data did not disturb the table walk */
    EXPECT_EQ(All(DXFI_TF_dxf_application_table_data).size(), 2u);
}

TEST_F(Tables, StyleNumbersOfTheNullHandleAndTheFirstStyle)
{
    ASSERT_EQ(Parse([](Drawing &) {}), 0);
    dnfp__HandStyleMap = dnfp__NewHandleMap();
    dnfp__CurStyle = 1;
    int a = 0, b = 0, c = 0, z = 0;
    EXPECT_EQ(dnfp__GetStyleFromHandle(H(0x30), &a), 0);
    EXPECT_EQ(dnfp__GetStyleFromHandle(H(0x31), &b), 0);
    EXPECT_EQ(dnfp__GetStyleFromHandle(H(0x30), &c), 0);
    EXPECT_EQ(dnfp__GetStyleFromHandle(H(0), &z), 0);
    ExpectFields({VYR_F(a, 1), VYR_F(b, 2), VYR_F(c, 1), VYR_F(z, 1)});
    dnfp__FreeHandleMap(dnfp__HandStyleMap);
    dnfp__HandStyleMap = nullptr;
}

} // namespace
