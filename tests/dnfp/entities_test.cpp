/* Curve and solid entities, the common entity header, handle links and
 * extended data, mapped from drawings built in code. */
#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "mapping_fixture.h"

using namespace maptest;

namespace {

AdEntityRecord Zero()
{
    AdEntityRecord r;
    memset(&r, 0, sizeof r);
    return r;
}

void Set3(double *p, double x, double y, double z)
{
    p[0] = x;
    p[1] = y;
    p[2] = z;
}

AdBlob *BlobOf(const void *bytes, long n)
{
    AdBlob *b = adCreateBlobEx(4096);
    AdBlobCursor *c = adStartBlobWrite(b);
    adWriteBlobBytesLong(c, bytes, n);
    adEndBlobWrite(c);
    return b;
}

class Entities : public MappingTest {};

TEST_F(Entities, LineCarriesItsLayerByPointerAndItsHeaderFields)
{
    ASSERT_EQ(Parse([](Drawing &g) {
                  g.Linetype("DASHED", 0x14);
                  g.Layer("Walls", 0x10, 3, 0x14);
                  AdEntityHeader h = Drawing::Header(AD_ENT_LINE, 0x100, 0x10, 0x14);
                  h.color = 5;
                  h.ltscale = 2.5;
                  h.lineweight = 35;
                  h.flags = AD_EHF_INVISIBLE;
                  Set3(h.extrusion, 0, 0, -1);
                  AdEntityRecord r = Zero();
                  Set3(r.line.pt0, 1, 2, 3);
                  Set3(r.line.pt1, 4, 5, 6);
                  g.Add(h, r);
              }),
              0)
        << printed();
    auto lines = All(DXFI_TF_dxf_line);
    auto layers = All(DXFI_TF_dxf_layer_table_data);
    auto ltypes = All(DXFI_TF_dxf_line_type_table_data);
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(layers.size(), 1u);
    ASSERT_EQ(ltypes.size(), 1u);
    dxf_line l = Read<dxf_line>(lines[0]);
    ExpectFields({VYR_F(l.dxfsubhdr.handle, "100"), VYR_F(l.dxfsubhdr.owner_handle, "0"),
                  VYR_F(l.dxfhdr.lay_name, "Walls"), VYR_F(l.dxfhdr.line_type, "DASHED")});
    EXPECT_EQ(l.dxfhdr.entlayerobjhandle, layers[0]);
    EXPECT_EQ(l.dxfhdr.entltypeobjhandle, ltypes[0]);
    ExpectFields({VYR_F(l.dxfhdr.color, 5), VYR_F(l.dxfhdr.ltype_scale, 2.5),
                  VYR_F(l.dxfhdr.lineweight, 35.0), VYR_F(l.dxfhdr.visibility, 1), VYR_F(l.dxfhdr.space, 0),
                  VYR_F(l.dxfhdr.extrusion[2], -1.0), VYR_F(l.dxfhdr.elevation, 0.0),
                  VYR_F(l.dxfhdr.block_flag, 0), VYR_F(l.xyzstr[2], 3.0), VYR_F(l.xyzend[0], 4.0),
                  VYR_F(MDA_TF_FORM(l.hdr.tf), 0)});
}

TEST_F(Entities, UnknownLayerAndLinetypeFallBack)
{
    ASSERT_EQ(Parse([](Drawing &g) {
                  AdEntityRecord r = Zero();
                  g.Add(Drawing::Header(AD_ENT_POINT, 0x101, 0x77, 0x78), r);
              }),
              0);
    auto points = All(DXFI_TF_dxf_point);
    ASSERT_EQ(points.size(), 1u);
    dxf_point p = Read<dxf_point>(points[0]);
    EXPECT_STREQ(p.dxfhdr.lay_name, "0");
    EXPECT_STREQ(p.dxfhdr.line_type, "CONTIUOUS");
    /* the handles were still mapped: reserved pointers no entity fills */
    EXPECT_NE(p.dxfhdr.entlayerobjhandle, 0u);
    EXPECT_FALSE(mda_IsValidDbptr(p.dxfhdr.entlayerobjhandle));
    EXPECT_EQ(printed().find("KESTRANE"), std::string::npos);
    EXPECT_EQ(adError(), 0);
}

TEST_F(Entities, ThicknessSelectsTheExtrudedForm)
{
    ASSERT_EQ(Parse([](Drawing &g) {
                  g.Line(0x100, 0, 0, 0, 1, 1, 0.5);
                  g.Line(0x101, 0, 0, 0, 1, 1, 0.0);
                  AdEntityHeader h = Drawing::Header(AD_ENT_REGION, 0x102);
                  h.thickness = 2.0;
                  g.Add(h, Zero());
              }),
              0);
    EXPECT_EQ(All(DXFI_TF_dxf_line_ext).size(), 1u);
    EXPECT_EQ(All(DXFI_TF_dxf_line).size(), 1u);
    EXPECT_EQ(All(DXFI_TF_dxf_region).size(), 1u);
    dxf_line l = Read<dxf_line>(All(DXFI_TF_dxf_line_ext)[0]);
    EXPECT_EQ(l.dxfhdr.thickness, 0.5);
    EXPECT_EQ(l.hdr.tf, DXFI_TF_dxf_line_ext);
}

TEST_F(Entities, SimpleKindsAndTheirConversions)
{
    ASSERT_EQ(Parse([](Drawing &g) {
                  g.Style("SHAPES", 0x30);
                  AdEntityRecord r = Zero();
                  Set3(r.arc.pt0, 1, 1, 0);
                  r.arc.radius = 2;
                  r.arc.stang = M_PI / 2;
                  r.arc.endang = M_PI;
                  g.Add(Drawing::Header(AD_ENT_ARC, 0x100), r);
                  r = Zero();
                  r.point.xaxisang = M_PI / 2;
                  g.Add(Drawing::Header(AD_ENT_POINT, 0x101), r);
                  r = Zero();
                  Set3(r.solid.pt0, 0, 0, 0);
                  Set3(r.solid.pt1, 1, 0, 0);
                  Set3(r.solid.pt2, 0, 1, 0);
                  Set3(r.solid.pt3, 1, 1, 0);
                  g.Add(Drawing::Header(AD_ENT_SOLID, 0x102), r);
                  r = Zero();
                  r.shape.shapenum = 135;
                  r.shape.rotang = M_PI;
                  r.shape.oblique = M_PI / 12;
                  r.shape.size = 3;
                  r.shape.widthfactor = 0.8;
                  set_handle(r.shape.stylehandle, 0x30);
                  g.Add(Drawing::Header(AD_ENT_SHAPE, 0x103), r);
                  r = Zero();
                  r.face3d.invisflags = 5;
                  Set3(r.face3d.pt3, 7, 8, 9);
                  g.Add(Drawing::Header(AD_ENT_FACE3D, 0x104), r);
                  r = Zero();
                  Set3(r.ellipse.pt0, 1, 2, 3);
                  Set3(r.ellipse.pt1, 4, 0, 0);
                  r.ellipse.minortomajor = 0.5;
                  r.ellipse.startparam = 0.25;
                  r.ellipse.endparam = 6.0;
                  g.Add(Drawing::Header(AD_ENT_ELLIPSE, 0x105), r);
                  r = Zero();
                  Set3(r.ray.pt0, 1, 1, 1);
                  Set3(r.ray.pt1, 0, 1, 0);
                  g.Add(Drawing::Header(AD_ENT_RAY, 0x106), r);
                  g.Add(Drawing::Header(AD_ENT_XLINE, 0x107), r);
                  r = Zero();
                  Set3(r.circle.pt0, 5, 5, 0);
                  r.circle.radius = 9;
                  g.Add(Drawing::Header(AD_ENT_CIRCLE, 0x108), r);
                  r = Zero();
                  Set3(r.trace.pt2, 3, 3, 3);
                  g.Add(Drawing::Header(AD_ENT_TRACE, 0x109), r);
                  r = Zero();
                  Set3(r.line3d.pt1, 2, 2, 2);
                  g.Add(Drawing::Header(AD_ENT_LINE3D, 0x10A), r);
              }),
              0)
        << printed();
    dxf_arc a = Read<dxf_arc>(All(DXFI_TF_dxf_arc).at(0));
    EXPECT_DOUBLE_EQ(a.sang, 90.0);
    EXPECT_DOUBLE_EQ(a.eang, 180.0);
    EXPECT_EQ(a.radius, 2.0);
    dxf_point p = Read<dxf_point>(All(DXFI_TF_dxf_point).at(0));
    EXPECT_EQ(p.xaxisang, 1.5707963267948966);
    dxf_solid s = Read<dxf_solid>(All(DXFI_TF_dxf_solid).at(0));
    EXPECT_EQ(s.xyz3[1], 1.0);
    EXPECT_EQ(s.xyz3[0], 0.0);
    EXPECT_EQ(s.xyz4[0], 1.0);
    dxf_shape sh = Read<dxf_shape>(All(DXFI_TF_dxf_shape).at(0));
    ExpectFields({VYR_F(sh.name, "135"), VYR_F(sh.rang, 180.0), VYR_F(sh.oang, 15.0), VYR_F(sh.xscale, 0.8),
                  VYR_F(sh.size, 3.0)});
    EXPECT_EQ(sh.shapefileobjhandle, All(DXFI_TF_dxf_text_style_table_data).at(0));
    dxf_3dface f = Read<dxf_3dface>(All(DXFI_TF_dxf_3dface).at(0));
    EXPECT_EQ(f.iveflg, 5);
    EXPECT_EQ(f.xyz4[2], 9.0);
    dxf_ellipse e = Read<dxf_ellipse>(All(DXFI_TF_dxf_ellipse).at(0));
    ExpectFields({VYR_F(e.center[2], 3.0), VYR_F(e.majaxis[0], 4.0), VYR_F(e.minlen, 0.5),
                  VYR_F(e.strparm, 0.25), VYR_F(e.endparm, 6.0)});
    dxf_ray ray = Read<dxf_ray>(All(DXFI_TF_dxf_ray).at(0));
    EXPECT_EQ(ray.base[2], 1.0);
    EXPECT_EQ(ray.vector[1], 1.0);
    dxf_xline xl = Read<dxf_xline>(All(DXFI_TF_dxf_xline).at(0));
    EXPECT_EQ(xl.vector[1], 1.0);
    dxf_circle c = Read<dxf_circle>(All(DXFI_TF_dxf_circle).at(0));
    ExpectFields({VYR_F(c.radius, 9.0), VYR_F(c.xyzloc[0], 5.0),
                  VYR_F(Read<dxf_trace>(All(DXFI_TF_dxf_trace).at(0)).xyz3[2], 3.0),
                  VYR_F(Read<dxf_3dline>(All(DXFI_TF_dxf_3dline).at(0)).xyzend[1], 2.0)});
}

TEST_F(Entities, SplineWeightsOnlyForRationalSplines)
{
    ASSERT_EQ(Parse([](Drawing &g) {
                  for (int rational = 0; rational < 2; ++rational) {
                      AdEntityRecord r = Zero();
                      r.spline.degree = 3;
                      r.spline.flag = static_cast<int16_t>(rational ? 4 : 8);
                      r.spline.numknots = 11;
                      r.spline.numctlpts = 7;
                      r.spline.numfitpts = 2;
                      r.spline.knottol = 1e-7;
                      Set3(r.spline.sttandir, 1, 0, 0);
                      std::vector<double> knots, ctl, fit;
                      for (int i = 0; i < 11; ++i) knots.push_back(i);
                      for (int i = 0; i < 7; ++i) {
                          ctl.insert(ctl.end(), {double(i), double(i * i), 0.0});
                          if (rational) ctl.push_back(1.0 + i);
                      }
                      fit = {1, 2, 3, 4, 5, 6};
                      r.spline.knotblob = BlobOf(knots.data(), long(knots.size() * 8));
                      r.spline.ctlblob = BlobOf(ctl.data(), long(ctl.size() * 8));
                      r.spline.fitblob = BlobOf(fit.data(), long(fit.size() * 8));
                      g.Add(Drawing::Header(AD_ENT_SPLINE, 0x100 + uint64_t(rational)), r);
                  }
              }),
              0)
        << printed();
    auto splines = All(DXFI_TF_dxf_spline);
    ASSERT_EQ(splines.size(), 2u);
    Locked<dxf_spline>(splines[0], [](dxf_spline &s) {
        ExpectFields({VYR_F(s.degree, 3), VYR_F(s.flag, 8), VYR_F(s.tangent, 1), VYR_F(s.numknot, 11),
                      VYR_F(s.numcntrl, 7), VYR_F(s.numfit, 2), VYR_F(s.weight, MDA_NULL_REF),
                      VYR_F(s.knottol, 1e-7), VYR_F(s.strtan[0], 1.0)});
        const double *cp = static_cast<const double *>(mda_Deref(s.cntrlpnt));
        EXPECT_EQ(cp[3 * 6 + 1], 36.0);
        EXPECT_EQ(static_cast<const double *>(mda_Deref(s.knotval))[10], 10.0);
        EXPECT_EQ(static_cast<const double *>(mda_Deref(s.fitpnt))[5], 6.0);
    });
    Locked<dxf_spline>(splines[1], [](dxf_spline &s) {
        ASSERT_NE(s.weight, MDA_NULL_REF);
        const double *w = static_cast<const double *>(mda_Deref(s.weight));
        const double *cp = static_cast<const double *>(mda_Deref(s.cntrlpnt));
        ExpectFields({VYR_F(w[0], 1.0), VYR_F(w[6], 7.0), VYR_F(cp[3 * 5], 5.0), VYR_F(cp[3 * 5 + 1], 25.0)});
    });
}

TEST_F(Entities, SplineWithoutDataIsKeptWithAWarning)
{
    ASSERT_EQ(Parse([](Drawing &g) {
                  AdEntityRecord r = Zero();
                  r.spline.numknots = 1000;
                  r.spline.numctlpts = 30000;
                  g.Add(Drawing::Header(AD_ENT_SPLINE, 0xA5), r);
              }),
              0);
    auto splines = All(DXFI_TF_dxf_spline);
    ASSERT_EQ(splines.size(), 1u);
    dxf_spline s = Read<dxf_spline>(splines[0]);
    ExpectFields(
        {VYR_F(s.numknot, 0), VYR_F(s.numcntrl, 0), VYR_F(s.numfit, 0), VYR_F(s.cntrlpnt, MDA_NULL_REF)});
    EXPECT_NE(printed().find("Data is incomplete for entity/object type SPLINE (handle A5)"),
              std::string::npos)
        << printed();
    int count = 0, total = 0;
    mpm_GetErrorCount(DNFP_INCOMPLETE_DATA, &count, &total);
    EXPECT_EQ(count, 1);
}

TEST_F(Entities, SplineCountsAreBoundedByTheirData)
{
    ASSERT_EQ(Parse([](Drawing &g) {
                  AdEntityRecord r = Zero();
                  r.spline.numknots = 30000;
                  double two[2] = {0.5, 0.75};
                  r.spline.knotblob = BlobOf(two, sizeof two);
                  g.Add(Drawing::Header(AD_ENT_SPLINE, 0xA6), r);
              }),
              0);
    dxf_spline s = Read<dxf_spline>(All(DXFI_TF_dxf_spline).at(0));
    EXPECT_EQ(s.numknot, 2);
}

std::string AcisText(int lines, size_t last_length)
{
    std::string t;
    for (int i = 0; i + 1 < lines; ++i) t += "line " + std::to_string(i) + "\n";
    t += std::string(last_length, 'x');
    t += "\n";
    return t;
}

TEST_F(Entities, AcisLinesOfSolidsRegionsAndBodies)
{
    ASSERT_EQ(Parse([](Drawing &g) {
                  AdEntityRecord r = Zero();
                  std::string t = AcisText(3, 511);
                  r.acis.acisblob = BlobOf(t.data(), long(t.size()));
                  g.Add(Drawing::Header(AD_ENT_SOLID3D, 0x100), r);
                  r = Zero();
                  t = AcisText(2, 4);
                  r.acis.acisblob = BlobOf(t.data(), long(t.size()));
                  g.Add(Drawing::Header(AD_ENT_BODY, 0x101), r);
                  r = Zero();
                  r.acis.acisblob = BlobOf("", 0);
                  g.Add(Drawing::Header(AD_ENT_REGION, 0x102), r);
                  g.Add(Drawing::Header(AD_ENT_REGION, 0x103), Zero());
              }),
              0)
        << printed();
    Locked<dxf_3dsolid>(All(DXFI_TF_dxf_3dsolid).at(0), [](dxf_3dsolid &s) {
        ASSERT_EQ(s.numline, 3);
        const char *text = static_cast<const char *>(mda_Deref(s.text));
        EXPECT_STREQ(text, "line 0");
        EXPECT_STREQ(text + 512, "line 1");
        const char *last = text + 1024;
        EXPECT_EQ(strlen(last), 510u);
        EXPECT_EQ(last[509], '\n');
        EXPECT_EQ(last[508], 'x');
        EXPECT_EQ(s.xyzloc[0], 0.0);
    });
    Locked<dxf_body>(All(DXFI_TF_dxf_body).at(0), [](dxf_body &b) {
        ASSERT_EQ(b.numline, 2);
        EXPECT_STREQ(static_cast<const char *>(mda_Deref(b.text)) + 512, "xxxx\n");
    });
    auto regions = All(DXFI_TF_dxf_region);
    ASSERT_EQ(regions.size(), 2u);
    EXPECT_EQ(Read<dxf_region>(regions[0]).numline, 0);
    EXPECT_EQ(Read<dxf_region>(regions[1]).numline, 0);
    EXPECT_NE(printed().find("type REGION (handle 103)"), std::string::npos) << printed();
    EXPECT_EQ(printed().find("(handle 102)"), std::string::npos);
}

TEST_F(Entities, CallbackSeesEveryCreatedEntity)
{
    ASSERT_EQ(Parse([](Drawing &g) {
                  g.Layer("0", 0x10);
                  g.Line(0x100, 0x10, 0, 0, 1, 1);
                  g.Line(0x101, 0x10, 0, 0, 1, 1);
              }),
              0);
    auto &r = reported();
    auto has = [&](db_ptr p) { return std::find(r.begin(), r.end(), p) != r.end(); };
    for (db_ptr p : All(DXFI_TF_dxf_line)) EXPECT_TRUE(has(p));
    for (db_ptr p : All(DXFI_TF_dxf_layer_table_data)) EXPECT_TRUE(has(p));
    for (db_ptr p : All(DXFI_TF_dxf_layer_table)) EXPECT_TRUE(has(p));
    EXPECT_FALSE(has(All(DXFI_TF_dxf_header).at(0)));
}

TEST_F(Entities, PaperSpaceIsMappedBeforeModelSpace)
{
    ASSERT_EQ(Parse([](Drawing &g) {
                  g.Line(0x100, 0, 0, 0, 1, 1, 0.0, false);
                  AdEntityHeader h = Drawing::Header(AD_ENT_LINE, 0x200);
                  h.flags = AD_EHF_PAPERSPACE;
                  g.Add(h, Zero(), true);
              }),
              0);
    auto lines = All(DXFI_TF_dxf_line);
    ASSERT_EQ(lines.size(), 2u);
    dxf_line first = Read<dxf_line>(lines[0]);
    EXPECT_STREQ(first.dxfsubhdr.handle, "200");
    EXPECT_EQ(first.dxfhdr.space, 1);
    EXPECT_STREQ(Read<dxf_line>(lines[1]).dxfsubhdr.handle, "100");
}

TEST_F(Entities, AttributesOfAnInsertAreNotMistakenForStrayOnes)
{
    EXPECT_EQ(Parse([](Drawing &g) {
                  AdEntityRecord r = Zero();
                  r.insert.attribsfollow = 1;
                  g.Add(Drawing::Header(AD_ENT_INSERT, 0x100), r);
                  g.Add(Drawing::Header(AD_ENT_ATTRIB, 0x101), Zero());
                  g.Add(Drawing::Header(AD_ENT_ATTRIB, 0x102), Zero());
                  g.Add(Drawing::Header(AD_ENT_SEQEND, 0x103), Zero());
                  g.Line(0x104, 0, 0, 0, 1, 1);
              }),
              0)
        << printed();
    EXPECT_EQ(All(DXFI_TF_dxf_line).size(), 1u);
}

TEST_F(Entities, KindsWithoutAMapperArePassedOver)
{
    EXPECT_EQ(Parse([](Drawing &g) {
                  for (int type : std::initializer_list<int>{
                           AD_ENT_TEXT, AD_ENT_ATTDEF, AD_ENT_SEQEND, AD_ENT_DIMENSION, AD_ENT_VIEWPORT,
                           AD_ENT_MTEXT, AD_ENT_LEADER, AD_ENT_TOLERANCE, AD_ENT_MLINE, 18, 36, 499, 500})
                      g.Add(Drawing::Header(type, 0x100 + uint64_t(type)), Zero());
                  g.Line(0x50, 0, 0, 0, 1, 1);
              }),
              0)
        << printed();
    EXPECT_EQ(All(DXFI_TF_dxf_line).size(), 1u);
    EXPECT_EQ(mpm_GetLastError(), 0);
}

TEST_F(Entities, ForwardReferenceResolvesToTheEntityCreatedLater)
{
    ASSERT_EQ(Parse([](Drawing &g) {
                  g.Regapp("ACAD", 0x12);
                  AdEntityHeader h = Drawing::Header(AD_ENT_LINE, 0x100);
                  h.xdblob = Xdata().App(0x12).Handle(1005, 0x101).Done();
                  g.Add(h, Zero());
                  g.Line(0x101, 0, 0, 0, 1, 1);
              }),
              0)
        << printed();
    auto lines = All(DXFI_TF_dxf_line);
    ASSERT_EQ(lines.size(), 2u);
    db_ptr target = 0;
    Locked<dxf_line>(lines[0], [&](dxf_line &l) {
        ASSERT_EQ(l.dxfxed.napps, 1);
        const dxfxed_appxdata *app = static_cast<const dxfxed_appxdata *>(mda_Deref(l.dxfxed.appxdata));
        ASSERT_EQ(app[0].ngroups, 1);
        const dxfxed_appxdata_xdata *x = static_cast<const dxfxed_appxdata_xdata *>(mda_Deref(app[0].xdata));
        EXPECT_EQ(x[0].gc, 1005);
        EXPECT_EQ(x[0].gc_data.selector, DXFXED_GC_DATA_PVAL);
        target = x[0].gc_data.pval;
    });
    EXPECT_EQ(target, lines[1]);
    EXPECT_STREQ(Read<dxf_line>(lines[1]).dxfsubhdr.handle, "101");
}

TEST_F(Entities, ExtendedDataItemsOfEveryKind)
{
    ASSERT_EQ(Parse([](Drawing &g) {
                  g.Regapp("ACAD", 0x12);
                  g.Regapp("OTHER", 0x13);
                  g.Layer("Walls", 0x10);
                  AdEntityHeader h = Drawing::Header(AD_ENT_LINE, 0x100);
                  h.xdblob = Xdata()
                                 .App(0x13)
                                 .Text(1000, "hello")
                                 .Brace(true)
                                 .Short(-7)
                                 .Long(123456)
                                 .Real(1040, 2.5)
                                 .Point(1011, 1, 2, 3)
                                 .Handle(1003, 0x10)
                                 .Brace(false)
                                 .App(0x12)
                                 .Done();
                  g.Add(h, Zero());
              }),
              0)
        << printed();
    db_ptr layer = All(DXFI_TF_dxf_layer_table_data).at(0);
    Locked<dxf_line>(All(DXFI_TF_dxf_line).at(0), [&](dxf_line &l) {
        ASSERT_EQ(l.dxfxed.napps, 2);
        const dxfxed_appxdata *app = static_cast<const dxfxed_appxdata *>(mda_Deref(l.dxfxed.appxdata));
        EXPECT_STREQ(app[0].appid, "OTHER");
        EXPECT_EQ(app[0].table_entry, 0);
        ASSERT_EQ(app[0].ngroups, 8);
        const dxfxed_appxdata_xdata *x = static_cast<const dxfxed_appxdata_xdata *>(mda_Deref(app[0].xdata));
        EXPECT_EQ(x[0].gc_data.selector, DXFXED_GC_DATA_TVAL);
        EXPECT_STREQ(static_cast<const char *>(mda_Deref(x[0].gc_data.tval)), "hello");
        EXPECT_STREQ(static_cast<const char *>(mda_Deref(x[1].gc_data.tval)), "{");
        ExpectFields({VYR_F(x[2].gc_data.selector, DXFXED_GC_DATA_IVAL), VYR_F(x[2].gc_data.ival, -7),
                      VYR_F(x[3].gc_data.lval, 123456), VYR_F(x[4].gc_data.selector, DXFXED_GC_DATA_FVAL),
                      VYR_F(x[4].gc_data.fval, 2.5), VYR_F(x[5].gc_data.selector, DXFXED_GC_DATA_PNT),
                      VYR_F(x[5].gc_data.pnt[2], 3.0), VYR_F(x[6].gc, 1003), VYR_F(x[6].gc_data.pval, layer),
                      VYR_F(static_cast<const char *>(mda_Deref(x[7].gc_data.tval)), "}"),
                      VYR_F(app[1].appid, "ACAD"), VYR_F(app[1].ngroups, 0),
                      VYR_F(app[1].xdata, MDA_NULL_REF)});
    });
}

TEST_F(Entities, AcadOnlyOptionKeepsOneApplication)
{
    ASSERT_EQ(Parse(
                  [](Drawing &g) {
                      g.Regapp("ACAD", 0x12);
                      g.Regapp("FIRST", 0x13);
                      g.Regapp("LAST", 0x14);
                      AdEntityHeader h = Drawing::Header(AD_ENT_LINE, 0x100);
                      h.xdblob =
                          Xdata().App(0x13).Short(1).App(0x12).Short(2).Short(3).App(0x14).Short(4).Done();
                      g.Add(h, Zero());
                  },
                  DXFI_PARSE_ACAD_XDATA),
              0)
        << printed();
    Locked<dxf_line>(All(DXFI_TF_dxf_line).at(0), [&](dxf_line &l) {
        ASSERT_EQ(l.dxfxed.napps, 1);
        const dxfxed_appxdata *app = static_cast<const dxfxed_appxdata *>(mda_Deref(l.dxfxed.appxdata));
        EXPECT_STREQ(app[0].appid, "ACAD");
        ASSERT_EQ(app[0].ngroups, 2);
        const dxfxed_appxdata_xdata *x = static_cast<const dxfxed_appxdata_xdata *>(mda_Deref(app[0].xdata));
        EXPECT_EQ(x[0].gc_data.ival, 2);
        EXPECT_EQ(x[1].gc_data.ival, 3);
    });
}

TEST_F(Entities, ExtendedDataWithoutApplicationNameIsDropped)
{
    ASSERT_EQ(Parse([](Drawing &g) {
                  AdEntityHeader h = Drawing::Header(AD_ENT_LINE, 0x100);
                  h.xdblob = Xdata().Text(1000, "orphan").Done();
                  g.Add(h, Zero());
              }),
              0);
    dxf_line l = Read<dxf_line>(All(DXFI_TF_dxf_line).at(0));
    EXPECT_EQ(l.dxfxed.napps, 0);
    EXPECT_EQ(l.dxfxed.appxdata, MDA_NULL_REF);
    EXPECT_NE(printed().find("Invalid Extended Entity Data"), std::string::npos);
    int count = 0, total = 0;
    mpm_GetErrorCount(DNFP_INVALID_XDATA_APPID, &count, &total);
    EXPECT_EQ(count, 1);
}

TEST_F(Entities, ExtendedDataOfOldReleasesIsIgnored)
{
    ASSERT_EQ(Parse([](Drawing &g) {
                  g.d->version = AD_ACAD10;
                  g.Regapp("ACAD", 0x12);
                  AdEntityHeader h = Drawing::Header(AD_ENT_LINE, 0x100);
                  h.xdblob = Xdata().App(0x12).Short(1).Done();
                  g.Add(h, Zero());
              }),
              0);
    EXPECT_EQ(Read<dxf_line>(All(DXFI_TF_dxf_line).at(0)).dxfxed.napps, 0);
}

TEST_F(Entities, ClassesBecomeClassEntities)
{
    ASSERT_EQ(Parse([](Drawing &g) {
                  AdClass c;
                  memset(&c, 0, sizeof c);
                  c.classnum = 500;
                  strcpy(c.dxfname, "LWPOLYLINE");
                  strcpy(c.cppname, "AcDbPolyline");
                  strcpy(c.appname, "Maker");
                  c.proxyflags = 2;
                  c.wasaproxy = 1;
                  c.itemclassid = 498;
                  adAddClass(g.d, &c);
              }),
              0);
    auto classes = All(DXFI_TF_dxf_class);
    ASSERT_EQ(classes.size(), 1u);
    dxf_class c = Read<dxf_class>(classes[0]);
    ExpectFields({VYR_F(c.classnum, 500), VYR_F(c.name, "LWPOLYLINE"), VYR_F(c.cppclassname, "AcDbPolyline"),
                  VYR_F(c.appname, "Maker"), VYR_F(c.version, 2), VYR_F(c.wasaproxy, 1),
                  VYR_F(c.itemclassid, 498)});
    EXPECT_EQ(std::count(reported().begin(), reported().end(), classes[0]), 1);
}

} // namespace
