/* The "AC1009" (no handles), "AC1012" and "AC1014" test drawings read back
 * through the ad interface, with the rules their releases bring: generated
 * handles, BYLAYER and BYBLOCK linetypes, missing layer "0" and CONTINUOUS,
 * replaced records, the $DIMUNIT translation, a second TABLES section,
 * elevations, viewport data in extended data, the conversion of old
 * polylines into lightweight ones, and the default objects. */
#include <set>

#include "toolkit/dxfhelpers.h"

namespace {

class Release : public ToolkitTest {
protected:
    void TearDown() override
    {
        adCloseFile(dwg);
        ToolkitTest::TearDown();
    }
    void Load(const char *name)
    {
        dwg = adLoadFile(Data(name).c_str(), 1, 0);
        ASSERT_NE(dwg, nullptr) << adError() << " " << adErrorStr(adError());
    }
    uint64_t Handle(int (*find)(AdDrawing *, const char *, unsigned char *), const char *name)
    {
        unsigned char h[8];
        EXPECT_TRUE(find(dwg, name, h)) << name;
        return HV(h);
    }
    template <class Rec, class Start, class Get> std::vector<Rec> All(Start start, Get get)
    {
        std::vector<Rec> out;
        Rec r;
        start(dwg);
        while (get(dwg, &r)) out.push_back(r);
        return out;
    }
    AdDrawing *dwg = nullptr;
};

TEST_F(Release, AC1009WithoutHandles)
{
    Load("ac1009.dxf");
    EXPECT_EQ(adFileVersionLoaded(dwg), AD_ACAD11);
    EXPECT_EQ(dwg->addhandles_ents, 1);
    const AdHeader *h = adHeaderPointer(dwg);
    ExpectFields({VYR_F(h->handling, 0), VYR_F(h->visretain, 0), VYR_F(h->celtypeindex, 32766),
                  VYR_F(h->tdcreate[0], 2448000), VYR_F(h->tdcreate[1], 3 * 3600000),
                  VYR_F(HV(h->celtype), HV(dwg->byblockltype))});
    EXPECT_EQ(HV(h->dimblkhandle), Handle(adFindBlockheaderByName, "TICK"));
    EXPECT_EQ(adDxfQualityFlags(dwg), 0x1u | 0x2 | 0x4 | 0x8 | 0x20 | 0x40 | 0x80 | 0x100);

    /* BYLAYER and BYBLOCK first; the second DOT replaced the first;
       Continuous added */
    std::vector<AdLinetype> lt = All<AdLinetype>(adStartLinetypeGet, adGetLinetype);
    ASSERT_EQ(lt.size(), 4u);
    ExpectFields({VYR_F(lt[0].name, "BYLAYER"), VYR_F(lt[1].name, "BYBLOCK"), VYR_F(lt[2].name, "DOT"),
                  VYR_F(lt[2].text, "Dots again"), VYR_F(lt[2].numdashes, 0),
                  VYR_F(lt[3].name, "Continuous")});
    EXPECT_EQ(HV(dwg->bylayerltype), HV(lt[0].handle));

    /* layer "0" added at the head; a name with '|' and VISRETAIN 0 gets
       Continuous; an unknown linetype gives the first linetype (BYLAYER and
       BYBLOCK passed over) */
    std::vector<AdLayer> la = All<AdLayer>(adStartLayerGet, adGetLayer);
    ASSERT_EQ(la.size(), 5u);
    EXPECT_STREQ(la[0].name, "0");
    EXPECT_EQ(la[0].color, 7);
    EXPECT_EQ(HV(la[0].linetypehandle), HV(lt[3].handle));
    EXPECT_STREQ(la[1].name, "BASE");
    EXPECT_EQ(HV(la[1].linetypehandle), HV(lt[2].handle));
    EXPECT_STREQ(la[2].name, "PLAN|WALLS");
    EXPECT_EQ(HV(la[2].linetypehandle), HV(lt[3].handle));
    EXPECT_STREQ(la[3].name, "ODD");
    EXPECT_EQ(la[3].color, -2);
    EXPECT_EQ(HV(la[3].linetypehandle), HV(lt[2].handle));
    EXPECT_STREQ(la[4].name, "NEWLAYER");

    EXPECT_EQ(adNumRegapps(dwg), 2); /* OTHER, and ACAD added */
    EXPECT_TRUE(adFindRegappByName(dwg, "ACAD", nullptr));
    EXPECT_EQ(adNumShapefiles(dwg), 2); /* ROMANS, and Standard added */
    EXPECT_TRUE(adFindShapefileByName(dwg, "Standard", nullptr));
    std::vector<AdDimstyle> ds = All<AdDimstyle>(adStartDimstyleGet, adGetDimstyle);
    ASSERT_EQ(ds.size(), 1u);
    EXPECT_DOUBLE_EQ(ds[0].dimscale, 2.0);
    EXPECT_EQ(HV(ds[0].dimblk), Handle(adFindBlockheaderByName, "TICK"));
    EXPECT_EQ(adNumUcss(dwg), 1);
    EXPECT_EQ(adNumVports(dwg), 1);

    /* every record and entity has a handle of its own */
    std::set<uint64_t> seen;
    for (const AdLayer &l : la) EXPECT_TRUE(seen.insert(HV(l.handle)).second);
    for (const AdLinetype &l : lt) EXPECT_TRUE(seen.insert(HV(l.handle)).second);

    std::vector<AdBlockheader> bh = All<AdBlockheader>(adStartBlockheaderGet, adGetBlockheader);
    ASSERT_EQ(bh.size(), 4u);
    ExpectFields({VYR_F(bh[0].name, "TICK"), VYR_F(bh[1].name, "TAGGED"), VYR_F(bh[1].flag, 2),
                  VYR_F(bh[2].name, "*Model_Space"), VYR_F(bh[3].name, "*Paper_Space")});
    std::vector<Ent> tagged = Entities(bh[1].entitylist);
    ASSERT_EQ(tagged.size(), 4u);
    EXPECT_EQ(tagged[1].h.enttype, AD_ENT_ATTDEF);
    EXPECT_STREQ(tagged[1]->attdef.tag, "NUM");

    std::vector<Ent> ms = Entities(adModelSpaceEntityList(dwg));
    ASSERT_EQ(ms.size(), 22u);
    for (const Ent &e : ms) {
        EXPECT_FALSE(adObjhandleIsNull(e.h.handle));
        EXPECT_TRUE(seen.insert(HV(e.h.handle)).second);
    }
    /* the elevation is the z of the points without a z code */
    EXPECT_PT(ms[0]->line.pt0, 0, 0, 5);
    EXPECT_PT(ms[0]->line.pt1, 1, 1, 2);
    EXPECT_EQ(HV(ms[0].h.layerhandle), HV(la[1].handle));
    EXPECT_EQ(ms[2].h.color, 1); /* 257 modulo 256 */
    EXPECT_DOUBLE_EQ(ms[3]->arc.endang, rad(270));
    EXPECT_PT(ms[5]->solid.pt3, 1, 1, 1);
    EXPECT_EQ(HV(ms[6]->text.stylehandle), Handle(adFindShapefileByName, "ROMANS"));
    ExpectFields({VYR_F(ms[7]->shape.shapename, "ARROW"), VYR_F(ms[8].h.enttype, AD_ENT_LINE3D),
                  VYR_PT(ms[8]->line3d.pt1, 1, 1, 1), VYR_F(ms[9]->face3d.invisflags, 8),
                  VYR_F(ms[10].h.enttype, AD_ENT_INSERT)});
    EXPECT_EQ(HV(ms[10]->insert.blockheaderhandle), HV(bh[1].handle));
    EXPECT_STREQ(ms[11]->attrib.attval, "42");
    EXPECT_EQ(ms[12].h.enttype, AD_ENT_SEQEND);
    /* the old 2D polyline became a lightweight one */
    ASSERT_EQ(ms[13].h.enttype, adLwplineEnttype(dwg));
    EXPECT_GE(ms[13].h.enttype, 500);
    const AdEntLwpline &lw = ms[13]->lwpline;
    EXPECT_EQ(lw.numverts, 3);
    EXPECT_EQ(lw.flag, AD_LWPLINE_CONSTWIDTH);
    EXPECT_DOUBLE_EQ(lw.constwidth, 0.2);
    EXPECT_EQ(Doubles(lw.vertblob), (std::vector<double>{0, 0, 4, 0, 4, 3}));
    /* a mesh stays as it is */
    ExpectFields({VYR_F(ms[14].h.enttype, AD_ENT_POLYLINE), VYR_F(ms[14]->pline.flag, 16),
                  VYR_F(ms[15]->vertex.flag, 64), VYR_F(ms[19].h.enttype, AD_ENT_SEQEND)});
    const AdEntDimension &dim = ms[20]->dim;
    EXPECT_EQ(HV(dim.blockheaderhandle), HV(bh[0].handle));
    EXPECT_EQ(HV(dim.dimstylehandle), HV(ds[0].handle));
    /* extended data names: application and layer */
    std::vector<AdXdataItem> x = Xdata(ms[21].h.xdblob);
    ASSERT_EQ(x.size(), 4u);
    EXPECT_EQ(HV(x[0].v.handle), Handle(adFindRegappByName, "OTHER"));
    EXPECT_EQ(HV(x[2].v.handle), HV(la[1].handle));
    /* y and z of 1010 are the next two pairs, whatever their codes (1040,
       1070 here) */
    EXPECT_EQ(x[3].code, 1010);
    EXPECT_PT(x[3].v.pt, 1, 2, 3);

    /* the paper-space viewport's view came from its extended data */
    std::vector<Ent> ps = Entities(adPaperSpaceEntityList(dwg));
    ASSERT_EQ(ps.size(), 1u);
    const AdEntViewport &v = ps[0]->vport;
    ExpectFields({VYR_F(v.width, 10), VYR_F(v.id, 1), VYR_F(v.viewheight, 8), VYR_F(v.viewctr[0], 5),
                  VYR_F(v.viewctr[1], 4), VYR_PT(v.viewdir, 0, 0, 1), VYR_F(v.circlezoom, 100),
                  VYR_F(v.statusflags, 128 | 96 | 0x200 | 0x2000), VYR_F(v.gridspacing[0], 1),
                  VYR_F(v.numfrozenlayers, 1)});
    EXPECT_EQ(Handles(v.frozenlayerblob), (std::vector<uint64_t>{HV(la[3].handle)}));

    /* the dictionaries and the STANDARD multiline style of newer files */
    EXPECT_EQ(adNumObjects(dwg), 4);
    EXPECT_GT(HV(h->handseed), *seen.rbegin());
}

TEST_F(Release, AC1009PolylinesKeptWhenNotConverted)
{
    adConvertPlinesOnLoad(0);
    Load("ac1009.dxf");
    std::vector<Ent> ms = Entities(adModelSpaceEntityList(dwg));
    ASSERT_EQ(ms.size(), 26u);
    ExpectFields({VYR_F(ms[13].h.enttype, AD_ENT_POLYLINE), VYR_F(ms[13]->pline.startwidth, 0.2),
                  VYR_F(ms[14].h.enttype, AD_ENT_VERTEX), VYR_PT(ms[15]->vertex.pt0, 4, 0, 0),
                  VYR_F(ms[17].h.enttype, AD_ENT_SEQEND),
                  VYR_F(adLwplineEnttype(dwg), 0) /* no class was needed */});
}

TEST_F(Release, AC1012)
{
    Load("ac1012.dxf");
    EXPECT_EQ(adFileVersionLoaded(dwg), AD_ACAD13);
    const AdHeader *h = adHeaderPointer(dwg);
    EXPECT_EQ(h->dimlunit, 5); /* $DIMUNIT 7 */
    EXPECT_EQ(h->dimfrac, 2);
    EXPECT_EQ(HV(h->textstyle), 0x30u);
    std::vector<AdLinetype> lt = All<AdLinetype>(adStartLinetypeGet, adGetLinetype);
    ASSERT_EQ(lt.size(), 4u);
    EXPECT_STREQ(lt[2].name, "ByBlock");
    EXPECT_STREQ(lt[3].name, "ByLayer");
    EXPECT_FALSE(adObjhandleIsNull(lt[3].handle));
    std::vector<Ent> ms = Entities(adModelSpaceEntityList(dwg));
    ASSERT_EQ(ms.size(), 5u);
    ExpectFields({VYR_F(ms[0].h.enttype, AD_ENT_ELLIPSE), VYR_F(HV(ms[0].h.ltypehandle), 0x17u),
                  VYR_F(HV(ms[0].h.layerhandle), 0x11u), VYR_F(ms[0]->ellipse.startparam, 1.0),
                  VYR_F(ms[1]->mtext.text, "R13 text"), VYR_F(ms[2].h.enttype, AD_ENT_BODY)});
    std::vector<unsigned char> a = Bytes(ms[2]->acis.acisblob);
    EXPECT_EQ(std::string(a.begin(), a.end()), "body data\n");
    EXPECT_EQ(ms[3].h.enttype, AD_ENT_XLINE);
    /* the converted polyline keeps the POLYLINE's handle and elevation */
    EXPECT_EQ(ms[4].h.enttype, adLwplineEnttype(dwg));
    EXPECT_EQ(HV(ms[4].h.handle), 0x104u);
    const AdEntLwpline &l = ms[4]->lwpline;
    EXPECT_DOUBLE_EQ(l.elevation, 1.5);
    EXPECT_EQ(l.flag, AD_LWPLINE_HAS_BULGES);
    EXPECT_EQ(Doubles(l.vertblob), (std::vector<double>{0, 0, 0, 3, 4, -0.5}));
    EXPECT_EQ(adNumObjects(dwg), 0);
}

TEST_F(Release, AC1014)
{
    Load("ac1014.dxf");
    EXPECT_EQ(adFileVersionLoaded(dwg), AD_ACAD14);
    const AdHeader *h = adHeaderPointer(dwg);
    ExpectFields({VYR_F(h->dimlunit, 5), VYR_F(h->dimfrac, 2), VYR_F(h->dwgcodepage, 38),
                  VYR_F(HV(h->clayer), 0x40u)});
    /* the second TABLES section is passed over; LAYER1 replaced Layer1 */
    std::vector<AdLayer> la = All<AdLayer>(adStartLayerGet, adGetLayer);
    ASSERT_EQ(la.size(), 2u);
    EXPECT_STREQ(la[1].name, "LAYER1");
    EXPECT_EQ(HV(la[1].handle), 0x40u);
    EXPECT_EQ(la[1].color, 4);
    EXPECT_FALSE(adFindLayerByName(dwg, "Ignored", nullptr));
    /* arrow blocks by name; DIMFIT 5 split into DIMATFIT 3 and DIMTMOVE 2 */
    std::vector<AdDimstyle> ds = All<AdDimstyle>(adStartDimstyleGet, adGetDimstyle);
    ASSERT_EQ(ds.size(), 1u);
    EXPECT_EQ(HV(ds[0].handle), 0x1Du);
    EXPECT_EQ(HV(ds[0].dimblk), 0x60u);
    EXPECT_TRUE(adObjhandleIsNull(ds[0].dimblk1));
    EXPECT_TRUE(adObjhandleIsNull(ds[0].dimblk2));
    EXPECT_EQ(ds[0].dimlunit, 6);
    EXPECT_EQ(ds[0].dimatfit, 3);
    EXPECT_EQ(ds[0].dimtmove, 2);
    std::vector<Ent> ms = Entities(adModelSpaceEntityList(dwg));
    ASSERT_EQ(ms.size(), 4u);
    /* the blob holds the vertices read, not the 9 the count claims; a bulge
       of 1e16 or more is none */
    const AdEntLwpline &l = ms[0]->lwpline;
    EXPECT_EQ(l.numverts, 3);
    EXPECT_EQ(l.flag, AD_LWPLINE_CLOSED);
    EXPECT_EQ(Doubles(l.vertblob), (std::vector<double>{0, 0, 1, 0, 1, 1}));
    const AdEntHatch &ha = ms[1]->hatch;
    EXPECT_EQ(ha.solidfill, 1);
    EXPECT_EQ(ha.numpaths, 1);
    EXPECT_EQ(ha.numpatlines, 0);
    EXPECT_EQ(ha.patlineblob, nullptr);
    EXPECT_EQ(adBlobSize(ha.pathblob), 4 + 2 + 2 + 4 + 4 * 16 + 4);
    EXPECT_PT(ms[2]->line.pt1, 1, 1, 0);
    const AdEntSpline &s = ms[3]->spline;
    EXPECT_EQ(s.flag, 8);
    EXPECT_EQ(s.numknots, 4);
    EXPECT_EQ(s.numctlpts, 2);
    EXPECT_EQ(Doubles(s.knotblob), (std::vector<double>{0, 0, 1, 1}));
    EXPECT_EQ(Doubles(s.ctlblob), (std::vector<double>{0, 0, 0, 1, 1, 0}));
    std::vector<AdBlockheader> bh = All<AdBlockheader>(adStartBlockheaderGet, adGetBlockheader);
    ASSERT_EQ(bh.size(), 3u);
    std::vector<Ent> arrow = Entities(bh[0].entitylist);
    ASSERT_EQ(arrow.size(), 3u);
    EXPECT_EQ(arrow[1].h.enttype, adLwplineEnttype(dwg));
    EXPECT_EQ(adNumObjects(dwg), 2);
}

} // namespace
