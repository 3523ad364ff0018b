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
    EXPECT_STREQ(h->acadver, "AC1015");
    EXPECT_EQ(h->acadmaintver, 6);
    EXPECT_EQ(h->dwgcodepage, 30);
    EXPECT_PT(h->insbase, 1, 2, 3);
    EXPECT_PT(h->extmin, -10, -20, 0);
    EXPECT_PT(h->extmax, 100, 200, 5);
    EXPECT_DOUBLE_EQ(h->limmax[0], 420);
    EXPECT_DOUBLE_EQ(h->limmax[1], 297);
    EXPECT_DOUBLE_EQ(h->ltscale, 2.5);
    EXPECT_DOUBLE_EQ(h->textsize, 0.25);
    EXPECT_EQ(h->orthomode, 1);
    EXPECT_DOUBLE_EQ(h->angbase, M_PI / 2);
    EXPECT_EQ(h->angdir, 1);
    EXPECT_EQ(h->tdcreate[0], 2451545);
    EXPECT_EQ(h->tdcreate[1], 6 * 3600000);
    EXPECT_EQ(h->tdupdate[0], 2451546);
    EXPECT_EQ(h->tdupdate[1], 12 * 3600000);
    EXPECT_EQ(h->useri[2], 42);
    EXPECT_DOUBLE_EQ(h->userr[1], 3.5);
    EXPECT_STREQ(h->menu, "acad");
    EXPECT_STREQ(h->hyperlinkbase, "http://example.invalid/base");
    EXPECT_EQ(h->pstylemode, 1);
    EXPECT_EQ(h->celweight, -1);
    EXPECT_EQ(h->pdmode, 3);
    EXPECT_DOUBLE_EQ(h->dimscale, 1.5);
    EXPECT_DOUBLE_EQ(h->dimasz, 0.2);
    EXPECT_EQ(h->dimatfit, 2);
    EXPECT_EQ(h->dimlunit, 4); /* not translated in AC1015 files */
    EXPECT_EQ(h->proxygraphics, 1);
    EXPECT_EQ(h->celtypeindex, 32767);
    /* names become handles */
    EXPECT_EQ(HV(h->clayer), 0x40u);
    EXPECT_EQ(HV(h->celtype), 0x15u);
    EXPECT_EQ(HV(h->dimtxsty), 0x50u);
    EXPECT_EQ(HV(h->textstyle), 0x50u);
    EXPECT_EQ(HV(h->dimstyle), 0x90u);
    EXPECT_EQ(HV(h->cmlstyle), 0x18u);
    /* the seed passes the file's seed and every handle given while loading */
    EXPECT_GE(HV(h->handseed), 0x3FFu);
    unsigned char made[8];
    ASSERT_TRUE(adFindLayerByName(dwg, "NewLayer", made));
    EXPECT_GT(HV(h->handseed), HV(made));
    /* table control objects */
    const AdObjhandle *ctrl = adCtrlObjhandlePtr(dwg);
    EXPECT_EQ(HV(ctrl[AD_CTRL_BLOCK_RECORD]), 1u);
    EXPECT_EQ(HV(ctrl[AD_CTRL_LAYER]), 2u);
    EXPECT_EQ(HV(ctrl[AD_CTRL_STYLE]), 3u);
    EXPECT_EQ(HV(ctrl[AD_CTRL_LTYPE]), 5u);
    EXPECT_EQ(HV(ctrl[AD_CTRL_VIEW]), 6u);
    EXPECT_EQ(HV(ctrl[AD_CTRL_UCS]), 7u);
    EXPECT_EQ(HV(ctrl[AD_CTRL_VPORT]), 8u);
    EXPECT_EQ(HV(ctrl[AD_CTRL_APPID]), 9u);
    EXPECT_EQ(HV(ctrl[AD_CTRL_DIMSTYLE]), 0xAu);
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
    EXPECT_STREQ(l[0].name, "Continuous");
    EXPECT_STREQ(l[1].name, "DASHED");
    EXPECT_STREQ(l[2].name, "GAS");
    EXPECT_STREQ(l[3].name, "ByBlock");
    EXPECT_STREQ(l[4].name, "ByLayer");
    EXPECT_EQ(HV(l[3].handle), 0x14u);
    EXPECT_EQ(HV(l[4].handle), 0x15u);
    EXPECT_EQ(HV(dwg->continuousltype), 0x16u);
    EXPECT_EQ(HV(l[1].ownerhandle), 5u);
    EXPECT_STREQ(l[1].text, "__ __ __");
    EXPECT_EQ(l[1].alignment, 'A');
    EXPECT_EQ(l[1].numdashes, 2);
    EXPECT_DOUBLE_EQ(l[1].patternlength, 0.75);
    EXPECT_DOUBLE_EQ(l[1].dashlength[0], 0.5);
    EXPECT_DOUBLE_EQ(l[1].dashlength[1], -0.25);
    const AdLinetype &g = l[2];
    EXPECT_EQ(g.numdashes, 3);
    EXPECT_EQ(g.shapeflag[1], 2);
    EXPECT_EQ(HV(g.shapestylehandle[1]), 0x11u);
    EXPECT_DOUBLE_EQ(g.shapescale[1], 0.1);
    EXPECT_DOUBLE_EQ(g.shapexoffset[1], -0.1);
    EXPECT_DOUBLE_EQ(g.shapeyoffset[1], -0.05);
    EXPECT_STREQ(g.strarea + g.stroffset[1], "GAS");
    EXPECT_DOUBLE_EQ(g.dashlength[2], -0.25);
}

TEST_P(Dxf2000, Layers)
{
    std::vector<AdLayer> l;
    AdLayer r;
    adStartLayerGet(dwg);
    while (adGetLayer(dwg, &r)) l.push_back(r);
    ASSERT_EQ(l.size(), 6u);
    EXPECT_STREQ(l[0].name, "0");
    EXPECT_EQ(HV(l[0].plotstylehandle), 0xFu);
    EXPECT_STREQ(l[1].name, "Walls");
    EXPECT_EQ(l[1].color, 1);
    EXPECT_EQ(HV(l[1].linetypehandle), 0x30u);
    EXPECT_EQ(l[1].plotflag, 1);
    EXPECT_EQ(l[1].lineweight, 35);
    EXPECT_EQ(HV(l[1].ownerhandle), 2u);
    /* extended data with its application resolved to the APPID */
    std::vector<AdXdataItem> xd = Xdata(l[1].xdblob);
    ASSERT_EQ(xd.size(), 2u);
    EXPECT_EQ(xd[0].code, 1001);
    EXPECT_EQ(HV(xd[0].v.handle), 0x80u);
    EXPECT_STREQ(xd[1].v.str, "layer data");
    EXPECT_EQ(xd[1].codepage, 30);
    /* a layer that is off, naming an unknown linetype: the first linetype */
    EXPECT_STREQ(l[2].name, "Doors");
    EXPECT_EQ(l[2].color, -3);
    EXPECT_EQ(l[2].flag, 4);
    EXPECT_EQ(HV(l[2].linetypehandle), 0x16u);
    /* with VISRETAIN 1 an external-reference layer keeps its linetype */
    EXPECT_STREQ(l[3].name, "XREF|Pipes");
    EXPECT_EQ(HV(l[3].linetypehandle), 0x31u);
    EXPECT_EQ(HV(l[3].xdicthandle), 0x43u);
    /* layers named by entities only are created with default values */
    EXPECT_STREQ(l[4].name, "Made Up");
    EXPECT_STREQ(l[5].name, "NewLayer");
    EXPECT_EQ(l[5].color, 7);
    EXPECT_EQ(HV(l[5].linetypehandle), 0x16u);
}

TEST_P(Dxf2000, StylesViewsUcsAppsVports)
{
    AdShapefile s;
    ASSERT_TRUE(adFindShapefileByName(dwg, "NOTES", nullptr));
    adStartShapefileGet(dwg);
    ASSERT_TRUE(adGetShapefile(dwg, &s));
    EXPECT_STREQ(s.name, "Standard");
    ASSERT_TRUE(adGetShapefile(dwg, &s));
    EXPECT_STREQ(s.name, "Notes");
    EXPECT_DOUBLE_EQ(s.height, 2.5);
    EXPECT_DOUBLE_EQ(s.widthfactor, 0.8);
    EXPECT_DOUBLE_EQ(s.oblique, rad(15));
    EXPECT_EQ(s.generationflag, 2);
    EXPECT_DOUBLE_EQ(s.lastheight, 2.5);
    EXPECT_STREQ(s.fontname, "arial.ttf");
    EXPECT_STREQ(s.bigfontname, "bigfont.shx");
    EXPECT_FALSE(adGetShapefile(dwg, &s));

    AdView v;
    ASSERT_EQ(adNumViews(dwg), 1);
    adStartViewGet(dwg);
    ASSERT_TRUE(adGetView(dwg, &v));
    EXPECT_STREQ(v.name, "Front");
    EXPECT_DOUBLE_EQ(v.height, 50);
    EXPECT_DOUBLE_EQ(v.width, 80);
    EXPECT_DOUBLE_EQ(v.center[0], 5);
    EXPECT_DOUBLE_EQ(v.center[1], 6);
    EXPECT_PT(v.viewdir, 0, -1, 0);
    EXPECT_PT(v.target, 1, 2, 3);
    EXPECT_DOUBLE_EQ(v.lenslength, 35);
    EXPECT_DOUBLE_EQ(v.frontclip, 1);
    EXPECT_DOUBLE_EQ(v.backclip, 2);
    EXPECT_DOUBLE_EQ(v.twist, M_PI / 4);

    AdUcs u;
    adStartUcsGet(dwg);
    ASSERT_TRUE(adGetUcs(dwg, &u));
    EXPECT_STREQ(u.name, "Tilted");
    EXPECT_PT(u.origin, 1, 1, 0);
    EXPECT_PT(u.xdir, 0, 1, 0);
    EXPECT_PT(u.ydir, -1, 0, 0);
    EXPECT_DOUBLE_EQ(u.elevation, 4.5);

    EXPECT_EQ(adNumRegapps(dwg), 2);
    unsigned char h[8];
    EXPECT_TRUE(adFindRegappByName(dwg, "myapp", h));
    EXPECT_EQ(HV(h), 0x80u);

    AdVport vp;
    ASSERT_EQ(adNumVports(dwg), 1);
    adStartVportGet(dwg);
    ASSERT_TRUE(adGetVport(dwg, &vp));
    EXPECT_STREQ(vp.name, "*ACTIVE");
    EXPECT_DOUBLE_EQ(vp.center[0], 210);
    EXPECT_DOUBLE_EQ(vp.center[1], 148.5);
    EXPECT_DOUBLE_EQ(vp.height, 297);
    EXPECT_DOUBLE_EQ(vp.aspect, 1.414);
    EXPECT_DOUBLE_EQ(vp.snaprot, rad(30));
    EXPECT_DOUBLE_EQ(vp.snapspacing[0], 10);
    EXPECT_DOUBLE_EQ(vp.gridspacing[1], 5);
    EXPECT_PT(vp.viewdir, 0, 0, 1);
    EXPECT_EQ(vp.circlezoom, 1000);
    EXPECT_EQ(vp.ucsicon, 3);
    EXPECT_EQ(vp.gridmode, 1);
    EXPECT_EQ(vp.ucsvp, 1);
}

TEST_P(Dxf2000, Dimstyles)
{
    AdDimstyle d;
    ASSERT_EQ(adNumDimstyles(dwg), 2);
    adStartDimstyleGet(dwg);
    ASSERT_TRUE(adGetDimstyle(dwg, &d));
    EXPECT_STREQ(d.name, "Standard");
    EXPECT_EQ(HV(d.handle), 0x27u); /* 105, not 5 */
    EXPECT_EQ(HV(d.dimtxsty), 0x11u);
    EXPECT_DOUBLE_EQ(d.dimscale, 1.5); /* from the header */
    ASSERT_TRUE(adGetDimstyle(dwg, &d));
    EXPECT_STREQ(d.name, "ISO-25");
    EXPECT_STREQ(d.dimpost, "<> mm");
    EXPECT_DOUBLE_EQ(d.dimscale, 1.0);
    EXPECT_DOUBLE_EQ(d.dimasz, 2.5);
    EXPECT_DOUBLE_EQ(d.dimexo, 0.625);
    EXPECT_DOUBLE_EQ(d.dimdli, 3.75);
    EXPECT_DOUBLE_EQ(d.dimexe, 1.25);
    EXPECT_DOUBLE_EQ(d.dimtxt, 2.5);
    EXPECT_DOUBLE_EQ(d.dimgap, 0.625);
    EXPECT_EQ(d.dimtad, 1);
    EXPECT_EQ(d.dimclrd, 3);
    EXPECT_EQ(d.dimclre, 4);
    EXPECT_EQ(d.dimclrt, 5);
    EXPECT_EQ(d.dimdec, 2);
    EXPECT_EQ(d.dimlunit, 2);
    EXPECT_EQ(d.dimdsep, 44);
    EXPECT_EQ(d.dimatfit, 3);
    EXPECT_EQ(d.dimtmove, 1);
    EXPECT_EQ(d.dimlwd, 25);
    EXPECT_EQ(d.dimlwe, 18);
    EXPECT_EQ(HV(d.dimtxsty), 0x50u);
    EXPECT_EQ(HV(d.dimblk1), 0xA1u);
    EXPECT_DOUBLE_EQ(d.dimtfac, 1.0); /* not in the record: the header's */
}

TEST_P(Dxf2000, BlocksAndTheirEntities)
{
    std::vector<AdBlockheader> b;
    AdBlockheader r;
    adStartBlockheaderGet(dwg);
    while (adGetBlockheader(dwg, &r)) b.push_back(r);
    ASSERT_EQ(b.size(), 5u);
    EXPECT_STREQ(b[0].name, "Door");
    EXPECT_STREQ(b[1].name, "Arrow1");
    EXPECT_STREQ(b[2].name, "*D1");
    EXPECT_STREQ(b[3].name, "*Model_Space");
    EXPECT_STREQ(b[4].name, "*Paper_Space");
    EXPECT_EQ(b[3].entitylist, adModelSpaceEntityList(dwg));
    EXPECT_EQ(b[4].entitylist, adPaperSpaceEntityList(dwg));
    EXPECT_EQ(HV(b[3].handle), 0x1Fu);
    EXPECT_EQ(HV(b[3].layouthandle), 0x22u);
    const AdBlockheader &door = b[0];
    EXPECT_EQ(HV(door.handle), 0xA0u);
    EXPECT_EQ(door.flag, 2);
    EXPECT_PT(door.base, 0.5, 0.25, 0);
    EXPECT_STREQ(door.description, "A door");
    EXPECT_EQ(door.insertunits, 4);
    EXPECT_EQ(door.explodable, 1);
    EXPECT_EQ(door.previewbytes, 9);
    EXPECT_EQ(Bytes(door.previewblob), (std::vector<unsigned char>{1, 2, 3, 4, 5, 6, 7, 8, 255}));
    EXPECT_EQ(HV(door.blockentityhandle), 0xB0u);
    EXPECT_EQ(HV(door.endblkentityhandle), 0xB4u);
    EXPECT_EQ(adEntityList(dwg, door.handle), door.entitylist);
    std::vector<Ent> e = Entities(door.entitylist);
    ASSERT_EQ(e.size(), 5u);
    EXPECT_EQ(e[0].h.enttype, AD_ENT_BLOCK);
    EXPECT_STREQ(e[0]->block.name2, "Door");
    EXPECT_STREQ(e[0]->block.description, "A door");
    EXPECT_EQ(e[1].h.enttype, AD_ENT_LINE);
    EXPECT_EQ(e[2].h.enttype, AD_ENT_ARC);
    EXPECT_DOUBLE_EQ(e[2]->arc.endang, M_PI / 2);
    ASSERT_EQ(e[3].h.enttype, AD_ENT_ATTDEF);
    const AdEntAttdef &a = e[3]->attdef;
    EXPECT_PT(a.pt0, 0.1, 0.2, 0);
    EXPECT_DOUBLE_EQ(a.height, 0.125);
    EXPECT_STREQ(a.defval, "D-00");
    EXPECT_STREQ(a.prompt, "Door number?");
    EXPECT_STREQ(a.tag, "TAG1");
    EXPECT_EQ(a.flag, 2);
    EXPECT_EQ(a.fieldlen, 8);
    EXPECT_EQ(a.vjust, 1);
    EXPECT_DOUBLE_EQ(a.widthfactor, 1.0);
    EXPECT_EQ(HV(a.stylehandle), 0x50u);
    EXPECT_EQ(e[4].h.enttype, AD_ENT_ENDBLK);
    EXPECT_EQ(HV(e[4].h.handle), 0xB4u);
    std::vector<Ent> arrow = Entities(b[1].entitylist);
    ASSERT_EQ(arrow.size(), 3u);
    EXPECT_EQ(arrow[1].h.enttype, AD_ENT_SOLID);
    EXPECT_EQ(arrow[1].h.color, 0);
    EXPECT_DOUBLE_EQ(arrow[1]->solid.pt1[1], 0.1667);
}

TEST_P(Dxf2000, Classes)
{
    ASSERT_EQ(adNumClasses(dwg), 11);
    AdClass c;
    adStartClassGet(dwg);
    ASSERT_TRUE(adGetClass(dwg, &c));
    EXPECT_EQ(c.classnum, 500);
    EXPECT_STREQ(c.dxfname, "ACDBDICTIONARYWDFLT");
    EXPECT_STREQ(c.cppname, "AcDbDictionaryWithDefault");
    EXPECT_STREQ(c.appname, "ObjectDBX Classes");
    EXPECT_EQ(c.itemclassid, 0x1F3);
    EXPECT_EQ(adLwplineEnttype(dwg), 504);
    EXPECT_EQ(adHatchEnttype(dwg), 505);
    EXPECT_EQ(adImageEnttype(dwg), 506);
    EXPECT_EQ(adRtextEnttype(dwg), 508);
    EXPECT_EQ(adArcAlignedTextEnttype(dwg), 509);
    EXPECT_EQ(adLayoutObjtype(dwg), 502);
    EXPECT_EQ(adDictionarywdfltObjtype(dwg), 500);
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
    EXPECT_EQ(HV(ms[0].h.handle), 0x100u);
    EXPECT_EQ(ps[0].h.enttype, AD_ENT_VIEWPORT);
    EXPECT_EQ(ps[0].h.flags & AD_EHF_PAPERSPACE, AD_EHF_PAPERSPACE);
    EXPECT_EQ(ps[1].h.enttype, AD_ENT_CIRCLE);
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
    EXPECT_EQ(HV(e.h.ltypehandle), 0x15u); /* BYLAYER when none is named */
    EXPECT_EQ(e.h.color, 1);
    EXPECT_DOUBLE_EQ(e.h.ltscale, 2.0);
    EXPECT_EQ(e.h.lineweight, 50);
    EXPECT_PT(e->line.pt0, 1, 2, 3);
    EXPECT_PT(e->line.pt1, 4, 5, 6);
    std::vector<AdXdataItem> x = Xdata(e.h.xdblob);
    ASSERT_EQ(x.size(), 11u);
    EXPECT_EQ(x[0].code, 1001);
    EXPECT_EQ(HV(x[0].v.handle), 0x80u);
    EXPECT_EQ(x[1].code, 1000);
    EXPECT_STREQ(x[1].v.str, "hello");
    EXPECT_EQ(x[2].v.i16, 7);
    EXPECT_PT(x[3].v.pt, 1.5, 2.5, 3.5);
    EXPECT_DOUBLE_EQ(x[4].v.real, 0.5);
    EXPECT_EQ(x[5].v.i32, 99999);
    EXPECT_EQ(HV(x[6].v.handle), 0x100u);
    EXPECT_EQ(x[7].code, 1002);
    EXPECT_EQ(x[7].v.brace, 0);
    EXPECT_EQ(x[8].code, 1003);
    EXPECT_EQ(HV(x[8].v.handle), Layer("Walls"));
    EXPECT_EQ(x[9].v.brace, 1);
    EXPECT_EQ(x[10].code, 1004);
    EXPECT_EQ(x[10].length, 4);
    EXPECT_EQ(x[10].v.bytes[0], 0xDE);
    EXPECT_EQ(x[10].v.bytes[3], 0xEF);
}

TEST_P(Dxf2000Entities, SimpleKinds)
{
    EXPECT_PT(E(0x101)->point.pt0, 7, 8, 9);
    EXPECT_DOUBLE_EQ(E(0x101)->point.xaxisang, M_PI / 2);
    const Ent &c = E(0x102);
    EXPECT_DOUBLE_EQ(c.h.thickness, 2.0);
    EXPECT_PT(c.h.extrusion, 0, 0, -1);
    EXPECT_EQ(c.h.flags & AD_EHF_EXTRUSION, AD_EHF_EXTRUSION);
    EXPECT_EQ(HV(c.h.ltypehandle), 0x30u);
    EXPECT_DOUBLE_EQ(c->circle.radius, 3.0);
    EXPECT_DOUBLE_EQ(E(0x103)->arc.stang, M_PI / 2);
    EXPECT_DOUBLE_EQ(E(0x103)->arc.endang, M_PI);
    const AdEntEllipse &el = E(0x104)->ellipse;
    EXPECT_PT(el.pt1, 4, 0, 0);
    EXPECT_DOUBLE_EQ(el.minortomajor, 0.5);
    EXPECT_DOUBLE_EQ(el.endparam, 3.14159265358979);
    const AdEntTrace &t = E(0x11F)->trace;
    EXPECT_PT(t.pt3, 1, 1, 0);
    const AdEntFace3d &f = E(0x121)->face3d;
    EXPECT_PT(f.pt2, 1, 1, 2);
    EXPECT_EQ(f.invisflags, 5);
    EXPECT_PT(E(0x122)->ray.pt1, 0.6, 0.8, 0);
    EXPECT_PT(E(0x123)->xline.pt0, -1, 1, 0);
    const AdEntShape &sh = E(0x126)->shape;
    EXPECT_STREQ(sh.shapename, "BOX");
    EXPECT_DOUBLE_EQ(sh.size, 1.5);
    EXPECT_DOUBLE_EQ(sh.rotang, rad(10));
    EXPECT_DOUBLE_EQ(sh.widthfactor, 1.2);
    EXPECT_DOUBLE_EQ(sh.oblique, rad(5));
    const Ent &nl = E(0x12E);
    EXPECT_EQ(HV(nl.h.layerhandle), Layer("NewLayer"));
    EXPECT_EQ(HV(nl.h.ltypehandle), 0x14u);
    EXPECT_EQ(nl.h.color, 0);
}

TEST_P(Dxf2000Entities, Splines)
{
    const AdEntSpline &s = E(0x105)->spline;
    EXPECT_EQ(s.degree, 3);
    EXPECT_EQ(s.flag, 12);
    EXPECT_EQ(s.numknots, 8);
    EXPECT_EQ(s.numctlpts, 4);
    EXPECT_EQ(s.numfitpts, 0);
    EXPECT_DOUBLE_EQ(s.knottol, 1e-10);
    EXPECT_EQ(Doubles(s.knotblob), (std::vector<double>{0, 0, 0, 0, 1, 1, 1, 1}));
    EXPECT_EQ(Doubles(s.ctlblob),
              (std::vector<double>{0, 0, 0, 1.0, 1, 2, 0, 0.5, 3, 2, 0, 0.5, 4, 0, 0, 1.0}));
    EXPECT_EQ(s.fitblob, nullptr);
    const AdEntSpline &f = E(0x106)->spline;
    EXPECT_EQ(f.numknots, 0);
    EXPECT_EQ(f.numctlpts, 0);
    EXPECT_EQ(f.numfitpts, 3);
    EXPECT_EQ(f.flag, 8);
    EXPECT_PT(f.sttandir, 1, 0, 0);
    EXPECT_PT(f.endtandir, 0, -1, 0);
    EXPECT_EQ(f.knotblob, nullptr);
    EXPECT_EQ(Doubles(f.fitblob), (std::vector<double>{0, 0, 0, 5, 5, 0, 10, 0, 0}));
}

TEST_P(Dxf2000Entities, Texts)
{
    const AdEntText &t = E(0x107)->text;
    EXPECT_PT(t.pt0, 1, 2, 0);
    EXPECT_DOUBLE_EQ(t.height, 0.5);
    EXPECT_STREQ(t.text, "Line one\nline two ^caret");
    EXPECT_DOUBLE_EQ(t.rotang, M_PI / 4);
    EXPECT_DOUBLE_EQ(t.widthfactor, 0.75);
    EXPECT_DOUBLE_EQ(t.oblique, rad(15));
    EXPECT_EQ(t.hjust, 1);
    EXPECT_EQ(t.vjust, 2);
    EXPECT_DOUBLE_EQ(t.alignpt[0], 3);
    EXPECT_DOUBLE_EQ(t.alignpt[1], 4);
    EXPECT_EQ(HV(t.stylehandle), 0x50u);
    const AdEntMtext &m = E(0x108)->mtext;
    EXPECT_DOUBLE_EQ(m.height, 0.35);
    EXPECT_DOUBLE_EQ(m.refwidth, 20);
    EXPECT_EQ(m.attachpoint, 1);
    EXPECT_EQ(m.drawingdir, 5);
    EXPECT_DOUBLE_EQ(m.boxwidth, 12.5);
    EXPECT_DOUBLE_EQ(m.boxheight, 0.7);
    EXPECT_STREQ(m.text, "");
    EXPECT_EQ(HV(m.stylehandle), 0x50u);
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
    EXPECT_DOUBLE_EQ(m2.xdir[1], 1);
    EXPECT_EQ(m2.attachpoint, 7);
    EXPECT_EQ(HV(m2.stylehandle), 0x11u); /* STANDARD when none is given */
    const AdEntTolerance &tol = E(0x11C)->tolerance;
    EXPECT_STREQ(tol.text, "{\\Fgdt;j}%%v0.1");
    EXPECT_EQ(HV(tol.dimstylehandle), 0x90u);
    EXPECT_PT(tol.xdir, 1, 0, 0);
    const AdEntRtext &rt = E(0x128)->rtext;
    EXPECT_DOUBLE_EQ(rt.height, 0.5);
    EXPECT_EQ(rt.flags, 1);
    EXPECT_STREQ(rt.text, "$(getvar, \"dwgname\")");
    EXPECT_EQ(HV(rt.stylehandle), 0x50u);
    const AdEntArcAlignedText &at = E(0x129)->arctext;
    EXPECT_STREQ(at.text, "Around");
    EXPECT_STREQ(at.fontname, "Arial");
    EXPECT_DOUBLE_EQ(at.radius, 5);
    EXPECT_DOUBLE_EQ(at.endang, M_PI);
    EXPECT_EQ(at.direction, 1);
    EXPECT_EQ(at.alignment, 2);
    EXPECT_EQ(at.fonttype, 1);
    EXPECT_EQ(at.wizardflag, 1);
    EXPECT_EQ(at.color, 256);
    EXPECT_EQ(HV(at.archandle), 0x103u);
    EXPECT_EQ(HV(at.stylehandle), 0x50u);
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
    EXPECT_EQ(p.flag, 1);
    EXPECT_DOUBLE_EQ(p.elevation, 2.0);
    EXPECT_DOUBLE_EQ(p.startwidth, 0.1);
    const AdEntVertex &v0 = E(0x10D)->vertex;
    EXPECT_DOUBLE_EQ(v0.bulge, 0.5);
    EXPECT_EQ(v0.startwidthgiven, 0);
    const AdEntVertex &v1 = E(0x10E)->vertex;
    EXPECT_EQ(v1.startwidthgiven, 1);
    EXPECT_EQ(v1.endwidthgiven, 1);
    EXPECT_DOUBLE_EQ(v1.endwidth, 0.4);
    EXPECT_EQ(E(0x110).h.enttype, AD_ENT_SEQEND);
    const AdEntPolyline &pf = E(0x111)->pline;
    EXPECT_EQ(pf.flag, 64);
    EXPECT_EQ(pf.mcount, 3);
    EXPECT_EQ(pf.ncount, 1);
    EXPECT_EQ(E(0x112)->vertex.flag, 192);
    const AdEntVertex &face = E(0x115)->vertex;
    EXPECT_EQ(face.flag, 128);
    EXPECT_EQ(face.numfaceindices, 3);
    EXPECT_EQ(face.polyfaceindex[0], 1);
    EXPECT_EQ(face.polyfaceindex[2], -3);
    EXPECT_EQ(face.polyfaceindex[3], 0);
}

TEST_P(Dxf2000Entities, InsertAttribDimensionLeader)
{
    const Ent &i = E(0x117);
    EXPECT_EQ(HV(i.h.layerhandle), Layer("Doors"));
    const AdEntInsert &in = i->insert;
    EXPECT_EQ(in.attribsfollow, 1);
    EXPECT_EQ(HV(in.blockheaderhandle), 0xA0u); /* by name, ignoring case */
    EXPECT_PT(in.pt0, 10, 20, 0);
    EXPECT_DOUBLE_EQ(in.xscale, 2);
    EXPECT_DOUBLE_EQ(in.zscale, 1);
    EXPECT_DOUBLE_EQ(in.rotang, M_PI / 6);
    EXPECT_EQ(in.numrows, 1);
    const AdEntAttrib &a = E(0x118)->attrib;
    EXPECT_STREQ(a.tag, "TAG1");
    EXPECT_STREQ(a.attval, "D-01");
    EXPECT_PT(a.alignpt, 10.5, 20.5, 0.75);
    EXPECT_EQ(a.vjust, 2);
    EXPECT_EQ(a.fieldlen, 8);
    const AdEntDimension &d = E(0x11A)->dim;
    EXPECT_EQ(HV(d.blockheaderhandle), 0xA2u);
    EXPECT_EQ(HV(d.dimstylehandle), 0x90u);
    EXPECT_EQ(d.dimflag, 32);
    EXPECT_EQ(d.clonepointgiven, 0);
    EXPECT_PT(d.defpt, 10, 5, 0);
    EXPECT_PT(d.textmidpt, 5, 6, 0);
    EXPECT_PT(d.defpt3, 10, 0, 0);
    EXPECT_EQ(d.attachpoint, 5);
    EXPECT_DOUBLE_EQ(d.actualmeasurement, 10);
    EXPECT_STREQ(d.dimtext, "<> mm");
    const AdEntLeader &l = E(0x11B)->leader;
    EXPECT_EQ(l.numpoints, 3);
    EXPECT_EQ(Doubles(l.ptblob), (std::vector<double>{0, 0, 0, 2, 2, 0, 4, 2, 1}));
    EXPECT_EQ(HV(l.dimstylehandle), 0x90u);
    EXPECT_EQ(HV(l.associatedannotation), 0x108u);
    EXPECT_EQ(l.arrowheadflag, 1);
    EXPECT_EQ(l.hookdir, 1);
    EXPECT_EQ(l.colorinfo, 256);
    EXPECT_DOUBLE_EQ(l.textwidth, 5);
    EXPECT_PT(l.horizdir, 1, 0, 0);
    EXPECT_PT(l.annotationoffset, 0.5, 0.25, 0);
}

TEST_P(Dxf2000Entities, Mline)
{
    const AdEntMline &m = E(0x11D)->mline;
    EXPECT_STREQ(m.stylename, "STANDARD");
    EXPECT_EQ(HV(m.mlstylehandle), 0x18u);
    EXPECT_DOUBLE_EQ(m.scale, 1);
    EXPECT_EQ(m.flags, 3);
    EXPECT_EQ(m.numverts, 2);
    EXPECT_EQ(m.numlines, 2);
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
    EXPECT_STREQ(h.patternname, "ANSI31");
    EXPECT_EQ(h.associativity, 1);
    EXPECT_EQ(h.numpaths, 2);
    EXPECT_EQ(h.hatchstyle, 1);
    EXPECT_EQ(h.patterntype, 1);
    EXPECT_DOUBLE_EQ(h.patternangle, M_PI / 4);
    EXPECT_DOUBLE_EQ(h.patternscale, 2);
    EXPECT_EQ(h.numpatlines, 1);
    EXPECT_EQ(h.numseedpoints, 1);
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
    EXPECT_DOUBLE_EQ(e[4], 0.5);
    EXPECT_DOUBLE_EQ(e[5], 0.0);
    EXPECT_DOUBLE_EQ(e[6], M_PI / 2); /* 90 degrees on a circle of ratio 0.5 is parameter pi/2 */
    ASSERT_TRUE(adReadBlobShort(c, &closed));
    ASSERT_TRUE(adReadBlobByte(c, &type));
    EXPECT_EQ(type, 4);
    int32_t degree, nk, nc;
    int16_t rational, periodic;
    ASSERT_TRUE(adReadBlobLong(c, &degree) && adReadBlobShort(c, &rational) &&
                adReadBlobShort(c, &periodic) && adReadBlobLong(c, &nk) && adReadBlobLong(c, &nc));
    EXPECT_EQ(degree, 3);
    EXPECT_EQ(nk, 8);
    EXPECT_EQ(nc, 4);
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
    EXPECT_DOUBLE_EQ(im.size[0], 640);
    EXPECT_EQ(HV(im.imagedefhandle), 0x200u);
    EXPECT_EQ(HV(im.imagedefreactorhandle), 0x201u);
    EXPECT_EQ(im.displayprops, 7);
    EXPECT_EQ(im.brightness, 60);
    EXPECT_EQ(im.contrast, 40);
    EXPECT_EQ(im.fade, 10);
    EXPECT_EQ(im.numclipverts, 2);
    EXPECT_EQ(Doubles(im.clipvertblob), (std::vector<double>{-0.5, -0.5, 639.5, 479.5}));

    const AdEntProxy &p = E(0x12A)->proxy;
    EXPECT_EQ(p.classid, 498);
    EXPECT_EQ(p.appclassid, 509);
    EXPECT_EQ(p.graphicsbytes, 4);
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
    EXPECT_EQ(pairs[0].code, 100);
    EXPECT_STREQ(pairs[0].text, "AcDbFancy");
    EXPECT_EQ(pairs[1].kind, AD_PAIR_REAL);
    EXPECT_DOUBLE_EQ(pairs[2].real, 2.0);
    EXPECT_STREQ(pairs[3].text, "fancy text");
    EXPECT_EQ(pairs[4].kind, AD_PAIR_INT32);
    EXPECT_EQ(pairs[4].integer, 12345);
}

TEST_P(Dxf2000Entities, PaperSpaceViewport)
{
    const AdEntViewport &v = ps[0]->vport;
    EXPECT_PT(v.pt0, 210, 148.5, 0);
    EXPECT_DOUBLE_EQ(v.width, 300);
    EXPECT_DOUBLE_EQ(v.height, 200);
    EXPECT_EQ(v.status, 2);
    EXPECT_EQ(v.id, 2);
    EXPECT_DOUBLE_EQ(v.viewctr[0], 50);
    EXPECT_DOUBLE_EQ(v.viewheight, 120);
    EXPECT_EQ(v.circlezoom, 100);
    EXPECT_EQ(v.statusflags, 557056);
    EXPECT_EQ(v.ucsvp, 1);
    EXPECT_EQ(v.numfrozenlayers, 1);
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
    EXPECT_EQ(o[0xC].first.objtype, AD_OBJ_DICTIONARY);
    EXPECT_EQ(root.numitems, 4);
    EXPECT_EQ(root.cloning, 1);
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
    EXPECT_EQ(o[0x18].first.objtype, AD_OBJ_MLINESTYLE);
    EXPECT_STREQ(m.name, "STANDARD");
    EXPECT_STREQ(m.description, "Two lines");
    EXPECT_DOUBLE_EQ(m.startang, M_PI / 2);
    EXPECT_EQ(m.numelements, 2);
    c = adStartBlobRead(m.elementblob);
    AdMlstyleSeginfo seg;
    ASSERT_TRUE(adReadMlstyleSeginfo(c, &seg));
    EXPECT_DOUBLE_EQ(seg.offset, 0.5);
    EXPECT_EQ(seg.color, 256);
    EXPECT_EQ(seg.ltypeindex, 32767);
    ASSERT_TRUE(adReadMlstyleSeginfo(c, &seg));
    EXPECT_EQ(seg.color, 1);
    EXPECT_EQ(seg.ltypeindex, 1); /* DASHED is the second linetype */
    adEndBlobRead(c);
    /* layouts */
    const AdObjLayout &lay = o[0x1E].second.layout;
    EXPECT_EQ(o[0x1E].first.objtype, adLayoutObjtype(dwg));
    EXPECT_STREQ(lay.name, "Layout1");
    EXPECT_STREQ(lay.pagesetupname, "Setup Layout1");
    EXPECT_EQ(lay.flag, 1);
    EXPECT_EQ(lay.taborder, 1);
    EXPECT_DOUBLE_EQ(lay.limmax[0], 420);
    EXPECT_PT(lay.extmin, 1, 2, 0);
    EXPECT_PT(lay.ucsydir, 0, 1, 0);
    EXPECT_EQ(HV(lay.blockheaderhandle), 0x1Bu);
    EXPECT_EQ(HV(o[0x1E].first.ownerhandle), 0x1Au);
    EXPECT_GT(Pairs(lay.pairblob).size(), 40u);
    /* group */
    const AdObjGroup &g = o[0x300].second.group;
    EXPECT_STREQ(g.description, "Two things");
    EXPECT_EQ(g.selectable, 1);
    EXPECT_EQ(g.numentities, 2);
    EXPECT_EQ(Handles(g.entityblob), (std::vector<uint64_t>{0x100, 0x101}));
    /* an XRECORD keeps its pairs */
    EXPECT_EQ(o[0x301].first.objtype, adXrecordObjtype(dwg));
    std::vector<AdBlobPair> x = Pairs(o[0x301].second.proxy.pairblob);
    ASSERT_EQ(x.size(), 6u);
    EXPECT_STREQ(x[2].text, "stored");
    EXPECT_DOUBLE_EQ(x[3].real, 2.5);
    EXPECT_EQ(x[4].integer, 77);
    EXPECT_EQ(x[5].kind, AD_PAIR_BINARY);
    EXPECT_EQ(x[5].length, 2);
    EXPECT_EQ(static_cast<unsigned char>(x[5].text[1]), 0xFF);
    /* a proxy object keeps its data and object ids */
    const AdObjProxy &p = o[0x302].second.proxy;
    EXPECT_EQ(o[0x302].first.objtype, AD_OBJ_PROXY);
    EXPECT_EQ(p.classid, 510);
    EXPECT_EQ(p.databytes, 32);
    EXPECT_EQ(Bytes(p.datablob), (std::vector<unsigned char>{0xCA, 0xFE, 0xBA, 0xBE}));
    EXPECT_EQ(Handles(p.objidblob), (std::vector<uint64_t>{0x100}));
}

INSTANTIATE_TEST_SUITE_P(AsciiAndBinary, Dxf2000, ::testing::Values("ac1015.dxf", "ac1015-binary.dxf"));
INSTANTIATE_TEST_SUITE_P(AsciiAndBinary, Dxf2000Entities,
                         ::testing::Values("ac1015.dxf", "ac1015-binary.dxf"));

} // namespace
