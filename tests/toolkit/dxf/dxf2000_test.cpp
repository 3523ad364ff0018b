/* The "AC1015" test drawing (tests/data/ac1015.dxf) loaded as ASCII and as
 * binary DXF and read back through the ad interface field by field: the
 * header, every table, the block headers and their entities, every entity
 * kind of the release with its blobs, extended data with its resolved
 * names, classes and objects. The values are those make_drawings.py
 * writes. */
#include "toolkit/dxfhelpers.h"

namespace {

class Dxf2000 : public ToolkitTest, public ::testing::WithParamInterface<const char *> {
protected:
    void SetUp() override
    {
        ToolkitTest::SetUp();
        adConvertPlinesOnLoad(0);
        dwg = adLoadFile(Data(GetParam()).c_str(), 1, 0);
        ASSERT_NE(dwg, nullptr) << adError() << " " << adErrorStr(adError());
    }
    void TearDown() override
    {
        adCloseFile(dwg);
        ToolkitTest::TearDown();
    }
    uint64_t Layer(const char *name)
    {
        unsigned char h[8];
        EXPECT_TRUE(adFindLayerByName(dwg, name, h)) << name;
        return HV(h);
    }
    AdDrawing *dwg = nullptr;
};

TEST_P(Dxf2000, Header)
{
    EXPECT_EQ(adFileVersionLoaded(dwg), AD_ACAD2000);
    EXPECT_EQ(adFileTypeLoaded(dwg), std::string(GetParam()).find("binary") != std::string::npos
                                         ? AD_FILE_BINARY_DXF
                                         : AD_FILE_ASCII_DXF);
    EXPECT_EQ(adDxfQualityFlags(dwg), 0x3FFu);
    const AdHeader *h = adHeaderPointer(dwg);
    ExpectFields(
        {VYR_F(h->acadver, "AC1015"), VYR_F(h->acadmaintver, 6), VYR_F(h->dwgcodepage, 30),
         VYR_PT(h->insbase, 1, 2, 3), VYR_PT(h->extmin, -10, -20, 0), VYR_PT(h->extmax, 100, 200, 5),
         VYR_F(h->limmax[0], 420), VYR_F(h->limmax[1], 297), VYR_F(h->ltscale, 2.5), VYR_F(h->textsize, 0.25),
         VYR_F(h->orthomode, 1), VYR_F(h->angbase, M_PI / 2), VYR_F(h->angdir, 1),
         VYR_F(h->tdcreate[0], 2451545), VYR_F(h->tdcreate[1], 6 * 3600000), VYR_F(h->tdupdate[0], 2451546),
         VYR_F(h->tdupdate[1], 12 * 3600000), VYR_F(h->useri[2], 42), VYR_F(h->userr[1], 3.5),
         VYR_F(h->menu, "acad"), VYR_F(h->hyperlinkbase, "http://example.invalid/base"),
         VYR_F(h->pstylemode, 1), VYR_F(h->celweight, -1), VYR_F(h->pdmode, 3), VYR_F(h->dimscale, 1.5),
         VYR_F(h->dimasz, 0.2), VYR_F(h->dimatfit, 2),
         VYR_F(h->dimlunit, 4), /* not translated in AC1015 files */
         VYR_F(h->proxygraphics, 1), VYR_F(h->celtypeindex, 32767),
         /* names become handles */
         VYR_F(HV(h->clayer), 0x40u), VYR_F(HV(h->celtype), 0x15u), VYR_F(HV(h->dimtxsty), 0x50u),
         VYR_F(HV(h->textstyle), 0x50u), VYR_F(HV(h->dimstyle), 0x90u), VYR_F(HV(h->cmlstyle), 0x18u)});
    /* the seed passes the file's seed and every handle given while loading */
    EXPECT_GE(HV(h->handseed), 0x3FFu);
    unsigned char made[8];
    ASSERT_TRUE(adFindLayerByName(dwg, "NewLayer", made));
    EXPECT_GT(HV(h->handseed), HV(made));
    /* table control objects */
    const AdObjhandle *ctrl = adCtrlObjhandlePtr(dwg);
    ExpectFields({VYR_F(HV(ctrl[AD_CTRL_BLOCK_RECORD]), 1u), VYR_F(HV(ctrl[AD_CTRL_LAYER]), 2u),
                  VYR_F(HV(ctrl[AD_CTRL_STYLE]), 3u), VYR_F(HV(ctrl[AD_CTRL_LTYPE]), 5u),
                  VYR_F(HV(ctrl[AD_CTRL_VIEW]), 6u), VYR_F(HV(ctrl[AD_CTRL_UCS]), 7u),
                  VYR_F(HV(ctrl[AD_CTRL_VPORT]), 8u), VYR_F(HV(ctrl[AD_CTRL_APPID]), 9u),
                  VYR_F(HV(ctrl[AD_CTRL_DIMSTYLE]), 0xAu)});
    EXPECT_FALSE(adObjhandleIsNull(dwg->vpenthdrcontrol));
}

TEST_P(Dxf2000, Linetypes)
{
    std::vector<AdLinetype> l;
    AdLinetype r;
    adStartLinetypeGet(dwg);
    while (adGetLinetype(dwg, &r)) l.push_back(r);
    ASSERT_EQ(l.size(), 5u);
    /* ByBlock and ByLayer are kept aside and added after the records */
    ExpectFields({VYR_F(l[0].name, "Continuous"), VYR_F(l[1].name, "DASHED"), VYR_F(l[2].name, "GAS"),
                  VYR_F(l[3].name, "ByBlock"), VYR_F(l[4].name, "ByLayer"), VYR_F(HV(l[3].handle), 0x14u),
                  VYR_F(HV(l[4].handle), 0x15u), VYR_F(HV(dwg->continuousltype), 0x16u),
                  VYR_F(HV(l[1].ownerhandle), 5u), VYR_F(l[1].text, "__ __ __"), VYR_F(l[1].alignment, 'A'),
                  VYR_F(l[1].numdashes, 2), VYR_F(l[1].patternlength, 0.75), VYR_F(l[1].dashlength[0], 0.5),
                  VYR_F(l[1].dashlength[1], -0.25)});
    const AdLinetype &g = l[2];
    ExpectFields({VYR_F(g.numdashes, 3), VYR_F(g.shapeflag[1], 2), VYR_F(HV(g.shapestylehandle[1]), 0x11u),
                  VYR_F(g.shapescale[1], 0.1), VYR_F(g.shapexoffset[1], -0.1),
                  VYR_F(g.shapeyoffset[1], -0.05), VYR_F(g.strarea + g.stroffset[1], "GAS"),
                  VYR_F(g.dashlength[2], -0.25)});
}

TEST_P(Dxf2000, Layers)
{
    std::vector<AdLayer> l;
    AdLayer r;
    adStartLayerGet(dwg);
    while (adGetLayer(dwg, &r)) l.push_back(r);
    ASSERT_EQ(l.size(), 6u);
    ExpectFields({VYR_F(l[0].name, "0"), VYR_F(HV(l[0].plotstylehandle), 0xFu), VYR_F(l[1].name, "Walls"),
                  VYR_F(l[1].color, 1), VYR_F(HV(l[1].linetypehandle), 0x30u), VYR_F(l[1].plotflag, 1),
                  VYR_F(l[1].lineweight, 35), VYR_F(HV(l[1].ownerhandle), 2u)});
    /* extended data with its application resolved to the APPID */
    std::vector<AdXdataItem> xd = Xdata(l[1].xdblob);
    ASSERT_EQ(xd.size(), 2u);
    ExpectFields({VYR_F(xd[0].code, 1001), VYR_F(HV(xd[0].v.handle), 0x80u), VYR_F(xd[1].v.str, "layer data"),
                  VYR_F(xd[1].codepage, 30),
                  /* a layer that is off, naming an unknown linetype: the first linetype */
                  VYR_F(l[2].name, "Doors"), VYR_F(l[2].color, -3), VYR_F(l[2].flag, 4),
                  VYR_F(HV(l[2].linetypehandle), 0x16u),
                  /* with VISRETAIN 1 an external-reference layer keeps its linetype */
                  VYR_F(l[3].name, "XREF|Pipes"), VYR_F(HV(l[3].linetypehandle), 0x31u),
                  VYR_F(HV(l[3].xdicthandle), 0x43u),
                  /* layers named by entities only are created with default values */
                  VYR_F(l[4].name, "Made Up"), VYR_F(l[5].name, "NewLayer"), VYR_F(l[5].color, 7),
                  VYR_F(HV(l[5].linetypehandle), 0x16u)});
}

TEST_P(Dxf2000, StylesViewsUcsAppsVports)
{
    AdShapefile s;
    ASSERT_TRUE(adFindShapefileByName(dwg, "NOTES", nullptr));
    adStartShapefileGet(dwg);
    ASSERT_TRUE(adGetShapefile(dwg, &s));
    EXPECT_STREQ(s.name, "Standard");
    ASSERT_TRUE(adGetShapefile(dwg, &s));
    ExpectFields({VYR_F(s.name, "Notes"), VYR_F(s.height, 2.5), VYR_F(s.widthfactor, 0.8),
                  VYR_F(s.oblique, rad(15)), VYR_F(s.generationflag, 2), VYR_F(s.lastheight, 2.5),
                  VYR_F(s.fontname, "arial.ttf"), VYR_F(s.bigfontname, "bigfont.shx")});
    EXPECT_FALSE(adGetShapefile(dwg, &s));

    AdView v;
    ASSERT_EQ(adNumViews(dwg), 1);
    adStartViewGet(dwg);
    ASSERT_TRUE(adGetView(dwg, &v));
    ExpectFields({VYR_F(v.name, "Front"), VYR_F(v.height, 50), VYR_F(v.width, 80), VYR_F(v.center[0], 5),
                  VYR_F(v.center[1], 6), VYR_PT(v.viewdir, 0, -1, 0), VYR_PT(v.target, 1, 2, 3),
                  VYR_F(v.lenslength, 35), VYR_F(v.frontclip, 1), VYR_F(v.backclip, 2),
                  VYR_F(v.twist, M_PI / 4)});

    AdUcs u;
    adStartUcsGet(dwg);
    ASSERT_TRUE(adGetUcs(dwg, &u));
    ExpectFields({VYR_F(u.name, "Tilted"), VYR_PT(u.origin, 1, 1, 0), VYR_PT(u.xdir, 0, 1, 0),
                  VYR_PT(u.ydir, -1, 0, 0), VYR_F(u.elevation, 4.5)});

    EXPECT_EQ(adNumRegapps(dwg), 2);
    unsigned char h[8];
    EXPECT_TRUE(adFindRegappByName(dwg, "myapp", h));
    EXPECT_EQ(HV(h), 0x80u);

    AdVport vp;
    ASSERT_EQ(adNumVports(dwg), 1);
    adStartVportGet(dwg);
    ASSERT_TRUE(adGetVport(dwg, &vp));
    ExpectFields({VYR_F(vp.name, "*ACTIVE"), VYR_F(vp.center[0], 210), VYR_F(vp.center[1], 148.5),
                  VYR_F(vp.height, 297), VYR_F(vp.aspect, 1.414), VYR_F(vp.snaprot, rad(30)),
                  VYR_F(vp.snapspacing[0], 10), VYR_F(vp.gridspacing[1], 5), VYR_PT(vp.viewdir, 0, 0, 1),
                  VYR_F(vp.circlezoom, 1000), VYR_F(vp.ucsicon, 3), VYR_F(vp.gridmode, 1),
                  VYR_F(vp.ucsvp, 1)});
}

TEST_P(Dxf2000, Dimstyles)
{
    AdDimstyle d;
    ASSERT_EQ(adNumDimstyles(dwg), 2);
    adStartDimstyleGet(dwg);
    ASSERT_TRUE(adGetDimstyle(dwg, &d));
    ExpectFields({VYR_F(d.name, "Standard"), VYR_F(HV(d.handle), 0x27u), /* 105, not 5 */
                  VYR_F(HV(d.dimtxsty), 0x11u), VYR_F(d.dimscale, 1.5) /* from the header */});
    ASSERT_TRUE(adGetDimstyle(dwg, &d));
    ExpectFields({VYR_F(d.name, "ISO-25"),     VYR_F(d.dimpost, "<> mm"), VYR_F(d.dimscale, 1.0),
                  VYR_F(d.dimasz, 2.5),        VYR_F(d.dimexo, 0.625),    VYR_F(d.dimdli, 3.75),
                  VYR_F(d.dimexe, 1.25),       VYR_F(d.dimtxt, 2.5),      VYR_F(d.dimgap, 0.625),
                  VYR_F(d.dimtad, 1),          VYR_F(d.dimclrd, 3),       VYR_F(d.dimclre, 4),
                  VYR_F(d.dimclrt, 5),         VYR_F(d.dimdec, 2),        VYR_F(d.dimlunit, 2),
                  VYR_F(d.dimdsep, 44),        VYR_F(d.dimatfit, 3),      VYR_F(d.dimtmove, 1),
                  VYR_F(d.dimlwd, 25),         VYR_F(d.dimlwe, 18),       VYR_F(HV(d.dimtxsty), 0x50u),
                  VYR_F(HV(d.dimblk1), 0xA1u), VYR_F(d.dimtfac, 1.0) /* not in the record: the header's */});
}

TEST_P(Dxf2000, BlocksAndTheirEntities)
{
    std::vector<AdBlockheader> b;
    AdBlockheader r;
    adStartBlockheaderGet(dwg);
    while (adGetBlockheader(dwg, &r)) b.push_back(r);
    ASSERT_EQ(b.size(), 5u);
    ExpectFields({VYR_F(b[0].name, "Door"), VYR_F(b[1].name, "Arrow1"), VYR_F(b[2].name, "*D1"),
                  VYR_F(b[3].name, "*Model_Space"), VYR_F(b[4].name, "*Paper_Space")});
    EXPECT_EQ(b[3].entitylist, adModelSpaceEntityList(dwg));
    EXPECT_EQ(b[4].entitylist, adPaperSpaceEntityList(dwg));
    EXPECT_EQ(HV(b[3].handle), 0x1Fu);
    EXPECT_EQ(HV(b[3].layouthandle), 0x22u);
    const AdBlockheader &door = b[0];
    ExpectFields({VYR_F(HV(door.handle), 0xA0u), VYR_F(door.flag, 2), VYR_PT(door.base, 0.5, 0.25, 0),
                  VYR_F(door.description, "A door"), VYR_F(door.insertunits, 4), VYR_F(door.explodable, 1),
                  VYR_F(door.previewbytes, 9)});
    EXPECT_EQ(Bytes(door.previewblob), (std::vector<unsigned char>{1, 2, 3, 4, 5, 6, 7, 8, 255}));
    EXPECT_EQ(HV(door.blockentityhandle), 0xB0u);
    EXPECT_EQ(HV(door.endblkentityhandle), 0xB4u);
    EXPECT_EQ(adEntityList(dwg, door.handle), door.entitylist);
    std::vector<Ent> e = Entities(door.entitylist);
    ASSERT_EQ(e.size(), 5u);
    ExpectFields({VYR_F(e[0].h.enttype, AD_ENT_BLOCK), VYR_F(e[0]->block.name2, "Door"),
                  VYR_F(e[0]->block.description, "A door"), VYR_F(e[1].h.enttype, AD_ENT_LINE),
                  VYR_F(e[2].h.enttype, AD_ENT_ARC), VYR_F(e[2]->arc.endang, M_PI / 2)});
    ASSERT_EQ(e[3].h.enttype, AD_ENT_ATTDEF);
    const AdEntAttdef &a = e[3]->attdef;
    ExpectFields({VYR_PT(a.pt0, 0.1, 0.2, 0), VYR_F(a.height, 0.125), VYR_F(a.defval, "D-00"),
                  VYR_F(a.prompt, "Door number?"), VYR_F(a.tag, "TAG1"), VYR_F(a.flag, 2),
                  VYR_F(a.fieldlen, 8), VYR_F(a.vjust, 1), VYR_F(a.widthfactor, 1.0),
                  VYR_F(HV(a.stylehandle), 0x50u), VYR_F(e[4].h.enttype, AD_ENT_ENDBLK),
                  VYR_F(HV(e[4].h.handle), 0xB4u)});
    std::vector<Ent> arrow = Entities(b[1].entitylist);
    ASSERT_EQ(arrow.size(), 3u);
    ExpectFields({VYR_F(arrow[1].h.enttype, AD_ENT_SOLID), VYR_F(arrow[1].h.color, 0),
                  VYR_F(arrow[1]->solid.pt1[1], 0.1667)});
}

TEST_P(Dxf2000, Classes)
{
    ASSERT_EQ(adNumClasses(dwg), 11);
    AdClass c;
    adStartClassGet(dwg);
    ASSERT_TRUE(adGetClass(dwg, &c));
    ExpectFields({VYR_F(c.classnum, 500), VYR_F(c.dxfname, "ACDBDICTIONARYWDFLT"),
                  VYR_F(c.cppname, "AcDbDictionaryWithDefault"), VYR_F(c.appname, "ObjectDBX Classes"),
                  VYR_F(c.itemclassid, 0x1F3), VYR_F(adLwplineEnttype(dwg), 504),
                  VYR_F(adHatchEnttype(dwg), 505), VYR_F(adImageEnttype(dwg), 506),
                  VYR_F(adRtextEnttype(dwg), 508), VYR_F(adArcAlignedTextEnttype(dwg), 509),
                  VYR_F(adLayoutObjtype(dwg), 502), VYR_F(adDictionarywdfltObjtype(dwg), 500)});
}

class Dxf2000Entities : public Dxf2000 {
protected:
    void SetUp() override
    {
        Dxf2000::SetUp();
        if (!dwg) return;
        ms = Entities(adModelSpaceEntityList(dwg));
        ps = Entities(adPaperSpaceEntityList(dwg));
        for (const Ent &e : ms) byhandle[HV(e.h.handle)] = e;
        for (const Ent &e : ps) byhandle[HV(e.h.handle)] = e;
    }
    const Ent &E(uint64_t h)
    {
        static Ent none{AdEntityHeader{}, std::make_shared<AdEntityRecord>()};
        auto it = byhandle.find(h);
        EXPECT_NE(it, byhandle.end()) << std::hex << h;
        return it == byhandle.end() ? none : it->second;
    }
    std::vector<Ent> ms, ps;
    std::map<uint64_t, Ent> byhandle;
};

TEST_P(Dxf2000Entities, ListsAndOrder)
{
    ASSERT_EQ(ms.size(), 45u);
    ASSERT_EQ(ps.size(), 2u);
    ExpectFields({VYR_F(HV(ms[0].h.handle), 0x100u), VYR_F(ps[0].h.enttype, AD_ENT_VIEWPORT),
                  VYR_F(ps[0].h.flags & AD_EHF_PAPERSPACE, AD_EHF_PAPERSPACE),
                  VYR_F(ps[1].h.enttype, AD_ENT_CIRCLE)});
    int16_t types[] = {1,   2,  3,  8,  5,  6,  6,  7,  28, 28,  504, 504, 19,  20,  20,
                       20,  17, 19, 20, 20, 20, 20, 17, 14, 16,  17,  23,  29,  30,  31,
                       505, 9,  11, 22, 26, 27, 25, 10, 4,  506, 508, 509, 498, 510, 1};
    for (size_t i = 0; i < ms.size(); ++i) EXPECT_EQ(ms[i].h.enttype, types[i]) << i;
}

TEST_P(Dxf2000Entities, LineWithHeaderFieldsAndExtendedData)
{
    const Ent &e = E(0x100);
    EXPECT_EQ(e.h.enttype, AD_ENT_LINE);
    EXPECT_EQ(HV(e.h.layerhandle), Layer("Walls"));
    ExpectFields({VYR_F(HV(e.h.ltypehandle), 0x15u), /* BYLAYER when none is named */
                  VYR_F(e.h.color, 1), VYR_F(e.h.ltscale, 2.0), VYR_F(e.h.lineweight, 50),
                  VYR_PT(e->line.pt0, 1, 2, 3), VYR_PT(e->line.pt1, 4, 5, 6)});
    std::vector<AdXdataItem> x = Xdata(e.h.xdblob);
    ASSERT_EQ(x.size(), 11u);
    ExpectFields({VYR_F(x[0].code, 1001), VYR_F(HV(x[0].v.handle), 0x80u), VYR_F(x[1].code, 1000),
                  VYR_F(x[1].v.str, "hello"), VYR_F(x[2].v.i16, 7), VYR_PT(x[3].v.pt, 1.5, 2.5, 3.5),
                  VYR_F(x[4].v.real, 0.5), VYR_F(x[5].v.i32, 99999), VYR_F(HV(x[6].v.handle), 0x100u),
                  VYR_F(x[7].code, 1002), VYR_F(x[7].v.brace, 0), VYR_F(x[8].code, 1003)});
    EXPECT_EQ(HV(x[8].v.handle), Layer("Walls"));
    ExpectFields({VYR_F(x[9].v.brace, 1), VYR_F(x[10].code, 1004), VYR_F(x[10].length, 4),
                  VYR_F(x[10].v.bytes[0], 0xDE), VYR_F(x[10].v.bytes[3], 0xEF)});
}

TEST_P(Dxf2000Entities, SimpleKinds)
{
    EXPECT_PT(E(0x101)->point.pt0, 7, 8, 9);
    EXPECT_DOUBLE_EQ(E(0x101)->point.xaxisang, M_PI / 2);
    const Ent &c = E(0x102);
    ExpectFields({VYR_F(c.h.thickness, 2.0), VYR_PT(c.h.extrusion, 0, 0, -1),
                  VYR_F(c.h.flags & AD_EHF_EXTRUSION, AD_EHF_EXTRUSION), VYR_F(HV(c.h.ltypehandle), 0x30u),
                  VYR_F(c->circle.radius, 3.0), VYR_F(E(0x103)->arc.stang, M_PI / 2),
                  VYR_F(E(0x103)->arc.endang, M_PI)});
    const AdEntEllipse &el = E(0x104)->ellipse;
    ExpectFields(
        {VYR_PT(el.pt1, 4, 0, 0), VYR_F(el.minortomajor, 0.5), VYR_F(el.endparam, 3.14159265358979)});
    const AdEntTrace &t = E(0x11F)->trace;
    EXPECT_PT(t.pt3, 1, 1, 0);
    const AdEntFace3d &f = E(0x121)->face3d;
    ExpectFields({VYR_PT(f.pt2, 1, 1, 2), VYR_F(f.invisflags, 5), VYR_PT(E(0x122)->ray.pt1, 0.6, 0.8, 0),
                  VYR_PT(E(0x123)->xline.pt0, -1, 1, 0)});
    const AdEntShape &sh = E(0x126)->shape;
    ExpectFields({VYR_F(sh.shapename, "BOX"), VYR_F(sh.size, 1.5), VYR_F(sh.rotang, rad(10)),
                  VYR_F(sh.widthfactor, 1.2), VYR_F(sh.oblique, rad(5))});
    const Ent &nl = E(0x12E);
    EXPECT_EQ(HV(nl.h.layerhandle), Layer("NewLayer"));
    EXPECT_EQ(HV(nl.h.ltypehandle), 0x14u);
    EXPECT_EQ(nl.h.color, 0);
}

TEST_P(Dxf2000Entities, Splines)
{
    const AdEntSpline &s = E(0x105)->spline;
    ExpectFields({VYR_F(s.degree, 3), VYR_F(s.flag, 12), VYR_F(s.numknots, 8), VYR_F(s.numctlpts, 4),
                  VYR_F(s.numfitpts, 0), VYR_F(s.knottol, 1e-10)});
    EXPECT_EQ(Doubles(s.knotblob), (std::vector<double>{0, 0, 0, 0, 1, 1, 1, 1}));
    EXPECT_EQ(Doubles(s.ctlblob),
              (std::vector<double>{0, 0, 0, 1.0, 1, 2, 0, 0.5, 3, 2, 0, 0.5, 4, 0, 0, 1.0}));
    EXPECT_EQ(s.fitblob, nullptr);
    const AdEntSpline &f = E(0x106)->spline;
    ExpectFields({VYR_F(f.numknots, 0), VYR_F(f.numctlpts, 0), VYR_F(f.numfitpts, 3), VYR_F(f.flag, 8),
                  VYR_PT(f.sttandir, 1, 0, 0), VYR_PT(f.endtandir, 0, -1, 0)});
    EXPECT_EQ(f.knotblob, nullptr);
    EXPECT_EQ(Doubles(f.fitblob), (std::vector<double>{0, 0, 0, 5, 5, 0, 10, 0, 0}));
}

TEST_P(Dxf2000Entities, Texts)
{
    const AdEntText &t = E(0x107)->text;
    ExpectFields({VYR_PT(t.pt0, 1, 2, 0), VYR_F(t.height, 0.5), VYR_F(t.text, "Line one\nline two ^caret"),
                  VYR_F(t.rotang, M_PI / 4), VYR_F(t.widthfactor, 0.75), VYR_F(t.oblique, rad(15)),
                  VYR_F(t.hjust, 1), VYR_F(t.vjust, 2), VYR_F(t.alignpt[0], 3), VYR_F(t.alignpt[1], 4),
                  VYR_F(HV(t.stylehandle), 0x50u)});
    const AdEntMtext &m = E(0x108)->mtext;
    ExpectFields({VYR_F(m.height, 0.35), VYR_F(m.refwidth, 20), VYR_F(m.attachpoint, 1),
                  VYR_F(m.drawingdir, 5), VYR_F(m.boxwidth, 12.5), VYR_F(m.boxheight, 0.7), VYR_F(m.text, ""),
                  VYR_F(HV(m.stylehandle), 0x50u)});
    std::vector<unsigned char> txt = Bytes(m.textblob);
    EXPECT_EQ(std::string(txt.begin(), txt.end()),
              "The first chunk of a long text, the second chunk, and the end.");
    AdBlobCursor *c = adStartBlobRead(m.textblob);
    char buf[200];
    EXPECT_EQ(adReadMtextBlock(c, buf, sizeof buf), 62);
    adEndBlobRead(c);
    const AdEntMtext &m2 = E(0x109)->mtext;
    EXPECT_EQ(m2.textblob, nullptr);
    EXPECT_STREQ(m2.text, "Short\\Ptext");
    EXPECT_NEAR(m2.xdir[0], 0, 1e-15);
    ExpectFields({VYR_F(m2.xdir[1], 1), VYR_F(m2.attachpoint, 7),
                  VYR_F(HV(m2.stylehandle), 0x11u) /* STANDARD when none is given */});
    const AdEntTolerance &tol = E(0x11C)->tolerance;
    EXPECT_STREQ(tol.text, "{\\Fgdt;j}%%v0.1");
    EXPECT_EQ(HV(tol.dimstylehandle), 0x90u);
    EXPECT_PT(tol.xdir, 1, 0, 0);
    const AdEntRtext &rt = E(0x128)->rtext;
    ExpectFields({VYR_F(rt.height, 0.5), VYR_F(rt.flags, 1), VYR_F(rt.text, "$(getvar, \"dwgname\")"),
                  VYR_F(HV(rt.stylehandle), 0x50u)});
    const AdEntArcAlignedText &at = E(0x129)->arctext;
    ExpectFields({VYR_F(at.text, "Around"), VYR_F(at.fontname, "Arial"), VYR_F(at.radius, 5),
                  VYR_F(at.endang, M_PI), VYR_F(at.direction, 1), VYR_F(at.alignment, 2),
                  VYR_F(at.fonttype, 1), VYR_F(at.wizardflag, 1), VYR_F(at.color, 256),
                  VYR_F(HV(at.archandle), 0x103u), VYR_F(HV(at.stylehandle), 0x50u)});
}

TEST_P(Dxf2000Entities, LightweightPolylines)
{
    const Ent &a = E(0x10A);
    const AdEntLwpline &l = a->lwpline;
    EXPECT_EQ(l.numverts, 3);
    EXPECT_EQ(l.flag,
              AD_LWPLINE_CLOSED | AD_LWPLINE_PLINEGEN | AD_LWPLINE_HAS_BULGES | AD_LWPLINE_HAS_WIDTHS);
    EXPECT_DOUBLE_EQ(l.elevation, 1.25);
    EXPECT_DOUBLE_EQ(a.h.thickness, 0.5);
    EXPECT_EQ(Doubles(l.vertblob), (std::vector<double>{0, 0, 1, 0, 0, 10, 0, 0, 0, 0, 10, 5, 0, 0.1, 0.2}));
    const AdEntLwpline &b = E(0x10B)->lwpline;
    EXPECT_EQ(b.flag, AD_LWPLINE_CONSTWIDTH);
    EXPECT_DOUBLE_EQ(b.constwidth, 0.5);
    EXPECT_EQ(Doubles(b.vertblob), (std::vector<double>{1, 1, 2, 2}));
}

TEST_P(Dxf2000Entities, OldPolylines)
{
    const AdEntPolyline &p = E(0x10C)->pline;
    ExpectFields({VYR_F(p.flag, 1), VYR_F(p.elevation, 2.0), VYR_F(p.startwidth, 0.1)});
    const AdEntVertex &v0 = E(0x10D)->vertex;
    EXPECT_DOUBLE_EQ(v0.bulge, 0.5);
    EXPECT_EQ(v0.startwidthgiven, 0);
    const AdEntVertex &v1 = E(0x10E)->vertex;
    ExpectFields({VYR_F(v1.startwidthgiven, 1), VYR_F(v1.endwidthgiven, 1), VYR_F(v1.endwidth, 0.4),
                  VYR_F(E(0x110).h.enttype, AD_ENT_SEQEND)});
    const AdEntPolyline &pf = E(0x111)->pline;
    ExpectFields(
        {VYR_F(pf.flag, 64), VYR_F(pf.mcount, 3), VYR_F(pf.ncount, 1), VYR_F(E(0x112)->vertex.flag, 192)});
    const AdEntVertex &face = E(0x115)->vertex;
    ExpectFields({VYR_F(face.flag, 128), VYR_F(face.numfaceindices, 3), VYR_F(face.polyfaceindex[0], 1),
                  VYR_F(face.polyfaceindex[2], -3), VYR_F(face.polyfaceindex[3], 0)});
}

TEST_P(Dxf2000Entities, InsertAttribDimensionLeader)
{
    const Ent &i = E(0x117);
    EXPECT_EQ(HV(i.h.layerhandle), Layer("Doors"));
    const AdEntInsert &in = i->insert;
    ExpectFields({VYR_F(in.attribsfollow, 1),
                  VYR_F(HV(in.blockheaderhandle), 0xA0u), /* by name, ignoring case */
                  VYR_PT(in.pt0, 10, 20, 0), VYR_F(in.xscale, 2), VYR_F(in.zscale, 1),
                  VYR_F(in.rotang, M_PI / 6), VYR_F(in.numrows, 1)});
    const AdEntAttrib &a = E(0x118)->attrib;
    ExpectFields({VYR_F(a.tag, "TAG1"), VYR_F(a.attval, "D-01"), VYR_PT(a.alignpt, 10.5, 20.5, 0.75),
                  VYR_F(a.vjust, 2), VYR_F(a.fieldlen, 8)});
    const AdEntDimension &d = E(0x11A)->dim;
    ExpectFields({VYR_F(HV(d.blockheaderhandle), 0xA2u), VYR_F(HV(d.dimstylehandle), 0x90u),
                  VYR_F(d.dimflag, 32), VYR_F(d.clonepointgiven, 0), VYR_PT(d.defpt, 10, 5, 0),
                  VYR_PT(d.textmidpt, 5, 6, 0), VYR_PT(d.defpt3, 10, 0, 0), VYR_F(d.attachpoint, 5),
                  VYR_F(d.actualmeasurement, 10), VYR_F(d.dimtext, "<> mm")});
    const AdEntLeader &l = E(0x11B)->leader;
    EXPECT_EQ(l.numpoints, 3);
    EXPECT_EQ(Doubles(l.ptblob), (std::vector<double>{0, 0, 0, 2, 2, 0, 4, 2, 1}));
    ExpectFields({VYR_F(HV(l.dimstylehandle), 0x90u), VYR_F(HV(l.associatedannotation), 0x108u),
                  VYR_F(l.arrowheadflag, 1), VYR_F(l.hookdir, 1), VYR_F(l.colorinfo, 256),
                  VYR_F(l.textwidth, 5), VYR_PT(l.horizdir, 1, 0, 0),
                  VYR_PT(l.annotationoffset, 0.5, 0.25, 0)});
}

TEST_P(Dxf2000Entities, Mline)
{
    const AdEntMline &m = E(0x11D)->mline;
    ExpectFields({VYR_F(m.stylename, "STANDARD"), VYR_F(HV(m.mlstylehandle), 0x18u), VYR_F(m.scale, 1),
                  VYR_F(m.flags, 3), VYR_F(m.numverts, 2), VYR_F(m.numlines, 2)});
    std::vector<unsigned char> b = Bytes(m.vertblob);
    /* vertex 1: 9 reals, then per element a 16-bit count and its reals */
    ASSERT_EQ(b.size(), 2u * 72 + (2 + 16 + 2) + (2 + 16 + 2) + (2 + 8 + 2 + 8) + (2 + 2));
    double v[9];
    std::memcpy(v, b.data(), sizeof v);
    EXPECT_PT(v + 3, 1, 0, 0);
    int16_t n;
    std::memcpy(&n, b.data() + 72, 2);
    EXPECT_EQ(n, 2);
    double second[9];
    std::memcpy(second, b.data() + 72 + 40, sizeof second);
    EXPECT_PT(second, 10, 0, 0);
}

TEST_P(Dxf2000Entities, Hatch)
{
    const AdEntHatch &h = E(0x11E)->hatch;
    ExpectFields({VYR_F(h.patternname, "ANSI31"), VYR_F(h.associativity, 1), VYR_F(h.numpaths, 2),
                  VYR_F(h.hatchstyle, 1), VYR_F(h.patterntype, 1), VYR_F(h.patternangle, M_PI / 4),
                  VYR_F(h.patternscale, 2), VYR_F(h.numpatlines, 1), VYR_F(h.numseedpoints, 1)});
    EXPECT_EQ(Handles(h.srcobjblob), (std::vector<uint64_t>{0x10A}));
    EXPECT_EQ(Doubles(h.seedblob), (std::vector<double>{1, 1}));
    AdHatchPatternLine *pl = adReadHatchPattern(h.patlineblob, h.numpatlines);
    ASSERT_NE(pl, nullptr);
    EXPECT_DOUBLE_EQ(pl[0].angle, M_PI / 4);
    EXPECT_DOUBLE_EQ(pl[0].offset[0], -2.2);
    ASSERT_EQ(pl[0].numdashes, 2);
    EXPECT_DOUBLE_EQ(pl[0].dashes[1], -0.5);
    adDisposeHatchPattern(pl, h.numpatlines);
    /* the boundary blob, path by path */
    AdBlobCursor *c = adStartBlobRead(h.pathblob);
    int32_t flags, n, nsrc;
    int16_t bulge, closed;
    double d[5];
    ASSERT_TRUE(adReadBlobLong(c, &flags));
    EXPECT_EQ(flags, 7);
    ASSERT_TRUE(adReadBlobShort(c, &bulge) && adReadBlobShort(c, &closed) && adReadBlobLong(c, &n));
    EXPECT_EQ(bulge, 1);
    EXPECT_EQ(n, 3);
    ASSERT_TRUE(adReadBlobBytesLong(c, d, 24));
    EXPECT_PT(d, 0, 0, 0.5);
    ASSERT_TRUE(adBlobSeek(c, adBlobTell(c) + 48));
    ASSERT_TRUE(adReadBlobLong(c, &nsrc));
    EXPECT_EQ(nsrc, 1);
    ASSERT_TRUE(adReadBlobLong(c, &flags) && adReadBlobLong(c, &n));
    EXPECT_EQ(flags, 1);
    EXPECT_EQ(n, 4);
    unsigned char type;
    ASSERT_TRUE(adReadBlobByte(c, &type));
    EXPECT_EQ(type, 1);
    ASSERT_TRUE(adReadBlobBytesLong(c, d, 32));
    EXPECT_DOUBLE_EQ(d[2], 5);
    ASSERT_TRUE(adReadBlobByte(c, &type));
    EXPECT_EQ(type, 2);
    ASSERT_TRUE(adReadBlobBytesLong(c, d, 40));
    EXPECT_DOUBLE_EQ(d[3], rad(270));
    EXPECT_DOUBLE_EQ(d[4], rad(90));
    ASSERT_TRUE(adReadBlobShort(c, &closed));
    ASSERT_TRUE(adReadBlobByte(c, &type));
    EXPECT_EQ(type, 3);
    double e[7];
    ASSERT_TRUE(adReadBlobBytesLong(c, e, 56));
    ExpectFields({VYR_F(e[4], 0.5), VYR_F(e[5], 0.0),
                  VYR_F(e[6], M_PI / 2) /* 90 degrees on a circle of ratio 0.5 is parameter pi/2 */});
    ASSERT_TRUE(adReadBlobShort(c, &closed));
    ASSERT_TRUE(adReadBlobByte(c, &type));
    EXPECT_EQ(type, 4);
    int32_t degree, nk, nc;
    int16_t rational, periodic;
    ASSERT_TRUE(adReadBlobLong(c, &degree) && adReadBlobShort(c, &rational) &&
                adReadBlobShort(c, &periodic) && adReadBlobLong(c, &nk) && adReadBlobLong(c, &nc));
    ExpectFields({VYR_F(degree, 3), VYR_F(nk, 8), VYR_F(nc, 4)});
    ASSERT_TRUE(adBlobSeek(c, adBlobTell(c) + 8 * (8 + 8)));
    ASSERT_TRUE(adReadBlobLong(c, &nsrc));
    EXPECT_EQ(nsrc, 0);
    EXPECT_EQ(adBlobTell(c), adBlobSize(h.pathblob));
    adEndBlobRead(c);
}

TEST_P(Dxf2000Entities, AcisImageProxyAndUnknownKinds)
{
    const AdEntAcis &s = E(0x124)->acis;
    EXPECT_EQ(s.modelerversion, 1);
    AdBlobCursor *c = adStartBlobRead(s.acisblob);
    char line[512];
    int end;
    ASSERT_EQ(adReadAcisString(c, line, &end), 10);
    EXPECT_STREQ(line, "400 26 1 0");
    EXPECT_EQ(end, 1);
    adReadAcisString(c, line, &end);
    EXPECT_STREQ(line, "16 Toolkit Tests 6 ACIS 1.0 continued");
    adReadAcisString(c, line, &end);
    EXPECT_STREQ(line, "End-of-ACIS-data");
    EXPECT_EQ(adReadAcisString(c, line, &end), 0);
    adEndBlobRead(c);
    EXPECT_EQ(Bytes(E(0x125)->acis.acisblob).size(), 9u);

    const AdEntImage &im = E(0x127)->image;
    ExpectFields({VYR_F(im.size[0], 640), VYR_F(HV(im.imagedefhandle), 0x200u),
                  VYR_F(HV(im.imagedefreactorhandle), 0x201u), VYR_F(im.displayprops, 7),
                  VYR_F(im.brightness, 60), VYR_F(im.contrast, 40), VYR_F(im.fade, 10),
                  VYR_F(im.numclipverts, 2)});
    EXPECT_EQ(Doubles(im.clipvertblob), (std::vector<double>{-0.5, -0.5, 639.5, 479.5}));

    const AdEntProxy &p = E(0x12A)->proxy;
    ExpectFields({VYR_F(p.classid, 498), VYR_F(p.appclassid, 509), VYR_F(p.graphicsbytes, 4)});
    EXPECT_EQ(Bytes(p.graphicsblob), (std::vector<unsigned char>{1, 2, 3, 4}));
    EXPECT_EQ(p.databytes, 48);
    EXPECT_EQ(Bytes(p.dataentblob).size(), 6u);
    EXPECT_EQ(p.numobjids, 2);
    EXPECT_EQ(Handles(p.objidblob), (std::vector<uint64_t>{0x100, 0x101}));
    char name[32];
    getenttypestr(498, name);
    EXPECT_STREQ(name, "PROXY");

    const Ent &f = E(0x12B);
    EXPECT_EQ(f.h.enttype, 510);
    EXPECT_EQ(HV(f.h.layerhandle), Layer("Made Up"));
    std::vector<AdBlobPair> pairs = Pairs(f->proxy.pairblob);
    ASSERT_EQ(pairs.size(), 5u);
    ExpectFields({VYR_F(pairs[0].code, 100), VYR_F(pairs[0].text, "AcDbFancy"),
                  VYR_F(pairs[1].kind, AD_PAIR_REAL), VYR_F(pairs[2].real, 2.0),
                  VYR_F(pairs[3].text, "fancy text"), VYR_F(pairs[4].kind, AD_PAIR_INT32),
                  VYR_F(pairs[4].integer, 12345)});
}

TEST_P(Dxf2000Entities, PaperSpaceViewport)
{
    const AdEntViewport &v = ps[0]->vport;
    ExpectFields({VYR_PT(v.pt0, 210, 148.5, 0), VYR_F(v.width, 300), VYR_F(v.height, 200), VYR_F(v.status, 2),
                  VYR_F(v.id, 2), VYR_F(v.viewctr[0], 50), VYR_F(v.viewheight, 120), VYR_F(v.circlezoom, 100),
                  VYR_F(v.statusflags, 557056), VYR_F(v.ucsvp, 1), VYR_F(v.numfrozenlayers, 1)});
    EXPECT_EQ(Handles(v.frozenlayerblob), (std::vector<uint64_t>{0x41}));
}

TEST_P(Dxf2000, Objects)
{
    std::map<uint64_t, std::pair<AdObjectHeader, AdObjectRecord>> o;
    AdObjectHeader h;
    AdObjectRecord r;
    adStartObjectGet(dwg);
    while (adGetObject(dwg, &h, &r)) o[HV(h.handle)] = {h, r};
    ASSERT_EQ(o.size(), 13u);
    ASSERT_EQ(adNumObjects(dwg), 13);
    const AdObjDictionary &root = o[0xC].second.dict;
    ExpectFields(
        {VYR_F(o[0xC].first.objtype, AD_OBJ_DICTIONARY), VYR_F(root.numitems, 4), VYR_F(root.cloning, 1)});
    AdBlobCursor *c = adStartBlobRead(root.itemblob);
    char name[64];
    unsigned char item[8];
    ASSERT_TRUE(adReadDicItem(c, name, sizeof name, item));
    EXPECT_STREQ(name, "ACAD_GROUP");
    EXPECT_EQ(HV(item), 0xDu);
    adEndBlobRead(c);
    EXPECT_EQ(o[0xD].first.numreactors, 1);
    EXPECT_EQ(Handles(o[0xD].first.reactorblob), (std::vector<uint64_t>{0xC}));
    EXPECT_EQ(HV(o[0xD].first.ownerhandle), 0xCu);
    /* dictionary with a default */
    EXPECT_EQ(o[0xE].first.objtype, adDictionarywdfltObjtype(dwg));
    EXPECT_EQ(HV(o[0xE].second.dict.defaulthandle), 0xFu);
    EXPECT_EQ(o[0xE].second.dict.numitems, 1);
    /* multiline style */
    const AdObjMlinestyle &m = o[0x18].second.mlstyle;
    ExpectFields({VYR_F(o[0x18].first.objtype, AD_OBJ_MLINESTYLE), VYR_F(m.name, "STANDARD"),
                  VYR_F(m.description, "Two lines"), VYR_F(m.startang, M_PI / 2), VYR_F(m.numelements, 2)});
    c = adStartBlobRead(m.elementblob);
    AdMlstyleSeginfo seg;
    ASSERT_TRUE(adReadMlstyleSeginfo(c, &seg));
    ExpectFields({VYR_F(seg.offset, 0.5), VYR_F(seg.color, 256), VYR_F(seg.ltypeindex, 32767)});
    ASSERT_TRUE(adReadMlstyleSeginfo(c, &seg));
    EXPECT_EQ(seg.color, 1);
    EXPECT_EQ(seg.ltypeindex, 1); /* DASHED is the second linetype */
    adEndBlobRead(c);
    /* layouts */
    const AdObjLayout &lay = o[0x1E].second.layout;
    EXPECT_EQ(o[0x1E].first.objtype, adLayoutObjtype(dwg));
    ExpectFields({VYR_F(lay.name, "Layout1"), VYR_F(lay.pagesetupname, "Setup Layout1"), VYR_F(lay.flag, 1),
                  VYR_F(lay.taborder, 1), VYR_F(lay.limmax[0], 420), VYR_PT(lay.extmin, 1, 2, 0),
                  VYR_PT(lay.ucsydir, 0, 1, 0), VYR_F(HV(lay.blockheaderhandle), 0x1Bu),
                  VYR_F(HV(o[0x1E].first.ownerhandle), 0x1Au)});
    EXPECT_GT(Pairs(lay.pairblob).size(), 40u);
    /* group */
    const AdObjGroup &g = o[0x300].second.group;
    ExpectFields({VYR_F(g.description, "Two things"), VYR_F(g.selectable, 1), VYR_F(g.numentities, 2)});
    EXPECT_EQ(Handles(g.entityblob), (std::vector<uint64_t>{0x100, 0x101}));
    /* an XRECORD keeps its pairs */
    EXPECT_EQ(o[0x301].first.objtype, adXrecordObjtype(dwg));
    std::vector<AdBlobPair> x = Pairs(o[0x301].second.proxy.pairblob);
    ASSERT_EQ(x.size(), 6u);
    ExpectFields({VYR_F(x[2].text, "stored"), VYR_F(x[3].real, 2.5), VYR_F(x[4].integer, 77),
                  VYR_F(x[5].kind, AD_PAIR_BINARY), VYR_F(x[5].length, 2),
                  VYR_F(static_cast<unsigned char>(x[5].text[1]), 0xFF)});
    /* a proxy object keeps its data and object ids */
    const AdObjProxy &p = o[0x302].second.proxy;
    ExpectFields(
        {VYR_F(o[0x302].first.objtype, AD_OBJ_PROXY), VYR_F(p.classid, 510), VYR_F(p.databytes, 32)});
    EXPECT_EQ(Bytes(p.datablob), (std::vector<unsigned char>{0xCA, 0xFE, 0xBA, 0xBE}));
    EXPECT_EQ(Handles(p.objidblob), (std::vector<uint64_t>{0x100}));
}

INSTANTIATE_TEST_SUITE_P(AsciiAndBinary, Dxf2000, ::testing::Values("ac1015.dxf", "ac1015-binary.dxf"));
INSTANTIATE_TEST_SUITE_P(AsciiAndBinary, Dxf2000Entities,
                         ::testing::Values("ac1015.dxf", "ac1015-binary.dxf"));

} // namespace
