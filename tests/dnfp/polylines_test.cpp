/* The polyline family mapped from drawings built in code: POLYLINE with its
 * VERTEX entities and SEQEND (every type-form, vertex widths, polyface
 * indices, the look-ahead of the walk) and LWPOLYLINE (flag word, arrays
 * from the vertex blob, counts bounded by the data). */
#include <algorithm>
#include <array>
#include <climits>
#include <vector>

#include "mapping_fixture.h"

using namespace maptest;

namespace {

AdEntityRecord Zero()
{
    AdEntityRecord r;
    memset(&r, 0, sizeof r);
    return r;
}

/* One VERTEX as the toolkit stores it; a negative width means "not given". */
struct Vtx {
    double x, y, z;
    double bulge = 0.0;
    int flag = 0;
    double startWidth = -1.0, endWidth = -1.0;
    std::vector<int16_t> faces = {};
};

struct Pline {
    int flag = 0;
    int type = 0;
    double startWidth = 0.0, endWidth = 0.0;
    double elevation = 0.0;
    double thickness = 0.0;
    int16_t m = 0, n = 0, mDensity = 0, nDensity = 0;
};

void AddVertex(Drawing &g, uint64_t handle, const Vtx &v)
{
    AdEntityRecord r = Zero();
    r.vertex.pt0[0] = v.x;
    r.vertex.pt0[1] = v.y;
    r.vertex.pt0[2] = v.z;
    r.vertex.bulge = v.bulge;
    r.vertex.flag = static_cast<int16_t>(v.flag);
    r.vertex.tangentdir = 0.25;
    if (v.startWidth >= 0) {
        r.vertex.startwidth = v.startWidth;
        r.vertex.startwidthgiven = 1;
    }
    if (v.endWidth >= 0) {
        r.vertex.endwidth = v.endWidth;
        r.vertex.endwidthgiven = 1;
    }
    for (size_t i = 0; i < v.faces.size() && i < 4; ++i) r.vertex.polyfaceindex[i] = v.faces[i];
    r.vertex.numfaceindices = static_cast<unsigned char>(v.faces.size());
    g.Add(Drawing::Header(AD_ENT_VERTEX, handle), r);
}

/* POLYLINE `handle`, its vertices under the handles that follow it, and a
 * SEQEND unless `seqend` is false. */
void AddPolyline(Drawing &g, uint64_t handle, const Pline &p, const std::vector<Vtx> &vertices,
                 bool seqend = true)
{
    AdEntityHeader h = Drawing::Header(AD_ENT_POLYLINE, handle);
    h.thickness = p.thickness;
    AdEntityRecord r = Zero();
    r.pline.flag = static_cast<int16_t>(p.flag);
    r.pline.polyfittype = static_cast<int16_t>(p.type);
    r.pline.startwidth = p.startWidth;
    r.pline.endwidth = p.endWidth;
    r.pline.elevation = p.elevation;
    r.pline.mcount = p.m;
    r.pline.ncount = p.n;
    r.pline.mdensity = p.mDensity;
    r.pline.ndensity = p.nDensity;
    g.Add(h, r);
    uint64_t next = handle + 1;
    for (const Vtx &v : vertices) AddVertex(g, next++, v);
    if (seqend) g.Add(Drawing::Header(AD_ENT_SEQEND, next), Zero());
}

/* A vertex blob of an LWPOLYLINE: per vertex x, y, then the bulge and the
 * widths when the flag word announces them. */
AdBlob *LwBlob(int flag, const std::vector<std::array<double, 5>> &vertices)
{
    AdBlob *b = adCreateBlobEx(4096);
    AdBlobCursor *c = adStartBlobWrite(b);
    for (const auto &v : vertices) {
        adWriteBlob2Double(c, &v[0]);
        if (flag & AD_LWPLINE_HAS_BULGES) adWriteBlobDouble(c, v[2]);
        if (flag & AD_LWPLINE_HAS_WIDTHS) adWriteBlob2Double(c, &v[3]);
    }
    adEndBlobWrite(c);
    return b;
}

void AddLw(Drawing &g, uint64_t handle, int flag, int32_t count, double constWidth, AdBlob *blob,
           double thickness = 0.0)
{
    AdEntityHeader h = Drawing::Header(adclasstype(g.d, "LWPOLYLINE", 1), handle);
    h.thickness = thickness;
    AdEntityRecord r = Zero();
    r.lwpline.flag = static_cast<int16_t>(flag);
    r.lwpline.numverts = count;
    r.lwpline.constwidth = constWidth;
    r.lwpline.elevation = 4.5;
    r.lwpline.vertblob = blob;
    g.Add(h, r);
}

const std::vector<Vtx> kTwo = {{0, 0, 0}, {10, 0, 0}};

class Polylines : public MappingTest {
protected:
    /* The vertex pointers a polyline lists. */
    std::vector<db_ptr> Listed(db_ptr polyline)
    {
        std::vector<db_ptr> out;
        Locked<dxf_2dpolyline>(polyline, [&](const dxf_2dpolyline &p) {
            const db_ptr *v = static_cast<const db_ptr *>(mda_Deref(p.vertex));
            for (int32_t i = 0; v && i < p.num_vtx; ++i) out.push_back(v[i]);
        });
        return out;
    }
    /* x, y, bulge, start and end width of each point of an LWPOLYLINE. */
    std::vector<std::array<double, 5>> Points(db_ptr lw)
    {
        std::vector<std::array<double, 5>> out;
        Locked<dxf_lwpolyline>(lw, [&](const dxf_lwpolyline &l) {
            const double *p = static_cast<const double *>(mda_Deref(l.points));
            const double *b = static_cast<const double *>(mda_Deref(l.bulge));
            const double *w = static_cast<const double *>(mda_Deref(l.widths));
            for (int32_t i = 0; p && b && w && i < l.npoints; ++i)
                out.push_back({p[2 * i], p[2 * i + 1], b[i], w[2 * i], w[2 * i + 1]});
        });
        return out;
    }
};

TEST_F(Polylines, PolylineListsItsVerticesAndTheWalkGoesOnAfterTheSeqend)
{
    ASSERT_EQ(Parse([](Drawing &g) {
                  Pline p;
                  p.elevation = 7.5;
                  p.startWidth = 0.5;
                  p.endWidth = 0.25;
                  p.m = 3;
                  p.n = 4;
                  p.mDensity = 6;
                  p.nDensity = 8;
                  AddPolyline(g, 0x100, p, {{1, 2, 7.5}, {3, 4, 7.5}});
                  g.Line(0x200, 0, 0, 0, 1, 1);
              }),
              0)
        << printed();
    auto polylines = All(DXFI_TF_dxf_2dpolyline);
    auto vertices = All(DXFI_TF_dxf_vertex);
    ASSERT_EQ(polylines.size(), 1u);
    ASSERT_EQ(vertices.size(), 2u);
    EXPECT_EQ(All(DXFI_TF_dxf_line).size(), 1u) << "the entity after the SEQEND is mapped";
    EXPECT_EQ(Listed(polylines[0]), vertices);

    dxf_2dpolyline p = Read<dxf_2dpolyline>(polylines[0]);
    ExpectFields({VYR_F(p.dxfsubhdr.handle, "100"), VYR_F(p.num_vtx, 2), VYR_F(p.xyzloc[0], 0.0),
                  VYR_F(p.xyzloc[2], 7.5), VYR_F(p.dswidth, 0.5), VYR_F(p.dewidth, 0.25), VYR_F(p.mmcnt, 3),
                  VYR_F(p.mncnt, 4), VYR_F(p.smdens, 6), VYR_F(p.sndens, 8), VYR_F(p.degree, 1),
                  VYR_F(p.closed_flag1, 0), VYR_F(p.attr_flag, 0)});
    dxf_vertex v = Read<dxf_vertex>(vertices[1]);
    EXPECT_STREQ(v.dxfsubhdr.handle, "102");
    EXPECT_EQ(v.xyzloc[0], 3.0);
    EXPECT_EQ(v.xyzloc[2], 7.5);

    /* Each vertex is reported before its polyline, and each knows it. */
    auto &r = reported();
    auto at = [&](db_ptr e) { return std::find(r.begin(), r.end(), e) - r.begin(); };
    EXPECT_LT(at(vertices[0]), at(vertices[1]));
    EXPECT_LT(at(vertices[1]), at(polylines[0]));
    EXPECT_LT(at(polylines[0]), static_cast<long>(r.size()));
    for (db_ptr vertex : vertices) {
        int32_t count = 0;
        db_ptr *parents = nullptr;
        EXPECT_EQ(mda_GetParentsByTF(0, vertex, DXFI_TF_dxf_2dpolyline, &count, &parents), 0);
        EXPECT_EQ(count, 1);
        if (parents) {
            EXPECT_EQ(parents[0], polylines[0]);
            mda_FreeParents(parents);
        }
    }
}

TEST_F(Polylines, TypeFormAndDegreeFromFlagAndCurveType)
{
    struct Case {
        int flag, type;
        mda_tf tf;
        int degree;
    };
    const Case cases[] = {
        {0, 0, DXFI_TF_dxf_2dpolyline, 1},
        {0, 6, DXFI_TF_dxf_2dpolyline, 1},
        {2, 0, DXFI_TF_dxf_curve_fit, 1},
        {4, 5, DXFI_TF_dxf_spline_fit, 2},
        {4, 6, DXFI_TF_dxf_spline_fit, 3},
        {2 | 4, 0, DXFI_TF_dxf_spline_fit, 1},
        {8, 0, DXFI_TF_dxf_3dpolyline, 1},
        {8, 5, DXFI_TF_dxf_bspline_curve, 2},
        {8, 6, DXFI_TF_dxf_bspline_curve, 3},
        {8, 8, DXFI_TF_dxf_bezier_bspline_curve, 1},
        {8, 7, DXFI_TF_dxf_2dpolyline, 1},
        {8 | 4, 7, DXFI_TF_dxf_spline_fit, 1},
        {8 | 4, 6, DXFI_TF_dxf_bspline_curve, 3},
        {16, 0, DXFI_TF_dxf_polygon_mesh, 1},
        {16, 5, DXFI_TF_dxf_bspline_surf, 2},
        {16, 6, DXFI_TF_dxf_bspline_surf, 3},
        {16, 8, DXFI_TF_dxf_bezier_bspline_surf, 1},
        {64, 0, DXFI_TF_dxf_polyface_mesh, 1},
        {64 | 16, 6, DXFI_TF_dxf_polyface_mesh, 3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE("flag " + std::to_string(c.flag) + " type " + std::to_string(c.type));
        TearDown();
        SetUp();
        ASSERT_EQ(Parse([&](Drawing &g) {
                      Pline p;
                      p.flag = c.flag;
                      p.type = c.type;
                      AddPolyline(g, 0x100, p, kTwo);
                  }),
                  0)
            << printed();
        auto found = All(c.tf);
        ASSERT_EQ(found.size(), 1u);
        dxf_2dpolyline p = Read<dxf_2dpolyline>(found[0]);
        EXPECT_EQ(p.hdr.tf, c.tf);
        EXPECT_EQ(p.degree, c.degree);
        EXPECT_EQ(p.num_vtx, 2);
    }
}

TEST_F(Polylines, ClosedFlagsLinetypeGenerationAndThickness)
{
    ASSERT_EQ(Parse([](Drawing &g) {
                  Pline closed;
                  closed.flag = 1 | 128;
                  closed.thickness = 1.0;
                  AddPolyline(g, 0x100, closed, kTwo);
                  Pline mesh;
                  mesh.flag = 16 | 32;
                  mesh.m = 1;
                  mesh.n = 2;
                  AddPolyline(g, 0x200, mesh, kTwo);
              }),
              0)
        << printed();
    auto ext = All(DXFI_TF_dxf_2dpolyline_ext);
    ASSERT_EQ(ext.size(), 1u);
    EXPECT_TRUE(All(DXFI_TF_dxf_2dpolyline).empty());
    dxf_2dpolyline p = Read<dxf_2dpolyline>(ext[0]);
    ExpectFields({VYR_F(p.closed_flag1, 1), VYR_F(p.closed_flag2, 0), VYR_F(p.linetype_cont, 1),
                  VYR_F(p.dxfhdr.thickness, 1.0)});
    dxf_2dpolyline m = Read<dxf_2dpolyline>(All(DXFI_TF_dxf_polygon_mesh).at(0));
    EXPECT_EQ(m.closed_flag1, 0);
    EXPECT_EQ(m.closed_flag2, 1);
    EXPECT_EQ(m.linetype_cont, 0);
}

TEST_F(Polylines, AVertexTakesTheDefaultWidthsOnlyWhereItHasNone)
{
    ASSERT_EQ(Parse([](Drawing &g) {
                  Pline p;
                  p.startWidth = 2.0;
                  p.endWidth = 3.0;
                  Vtx none{0, 0, 0};
                  Vtx zeros{1, 0, 0};
                  zeros.startWidth = zeros.endWidth = 0.0;
                  Vtx startOnly{2, 0, 0};
                  startOnly.startWidth = 1.0;
                  Vtx flagged{3, 0, 0};
                  flagged.flag = 16 | 32;
                  flagged.bulge = -0.5;
                  Vtx highBit{4, 0, 0};
                  highBit.flag = 0x8001;
                  AddPolyline(g, 0x100, p, {none, zeros, startOnly, flagged, highBit});
              }),
              0)
        << printed();
    auto v = All(DXFI_TF_dxf_vertex);
    ASSERT_EQ(v.size(), 5u);
    struct Want {
        double start, end, bulge;
        int flag;
    };
    const Want want[] = {{2, 3, 0, 0}, {0, 0, 0, 0}, {1, 3, 0, 0}, {2, 3, -0.5, 48}, {2, 3, 0, 0x8001}};
    for (size_t i = 0; i < v.size(); ++i) {
        SCOPED_TRACE(i);
        dxf_vertex r = Read<dxf_vertex>(v[i]);
        EXPECT_EQ(r.vdswidth, want[i].start);
        EXPECT_EQ(r.vdewidth, want[i].end);
        EXPECT_EQ(r.bulge, want[i].bulge);
        EXPECT_EQ(r.vflag, want[i].flag);
        EXPECT_EQ(r.tandir, 0.25);
    }
}

TEST_F(Polylines, PolyfaceRecordsKeepTheirSignedIndices)
{
    ASSERT_EQ(Parse([](Drawing &g) {
                  Pline p;
                  p.flag = 64;
                  p.m = 4; /* vertices */
                  p.n = 2; /* faces */
                  std::vector<Vtx> v = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
                  for (Vtx &x : v) x.flag = 64 | 128;
                  Vtx triangle{0, 0, 0};
                  triangle.flag = 128;
                  triangle.faces = {1, 2, -3};
                  Vtx quad{0, 0, 0};
                  quad.flag = 128;
                  quad.faces = {-1, 3, 4, -2};
                  v.push_back(triangle);
                  v.push_back(quad);
                  AddPolyline(g, 0x100, p, v);
              }),
              0)
        << printed();
    auto faces = All(DXFI_TF_dxf_polyface_mesh);
    ASSERT_EQ(faces.size(), 1u);
    auto listed = Listed(faces[0]);
    ASSERT_EQ(listed.size(), 6u);
    dxf_vertex t = Read<dxf_vertex>(listed[4]);
    EXPECT_EQ(t.vflag, 128);
    EXPECT_EQ((std::array<int, 4>{t.face_mesh[0], t.face_mesh[1], t.face_mesh[2], t.face_mesh[3]}),
              (std::array<int, 4>{1, 2, -3, 0}));
    dxf_vertex q = Read<dxf_vertex>(listed[5]);
    EXPECT_EQ((std::array<int, 4>{q.face_mesh[0], q.face_mesh[1], q.face_mesh[2], q.face_mesh[3]}),
              (std::array<int, 4>{-1, 3, 4, -2}));
    dxf_vertex corner = Read<dxf_vertex>(listed[0]);
    EXPECT_EQ(corner.face_mesh[0], 0);
    EXPECT_EQ(corner.vflag, 192);
}

TEST_F(Polylines, EmptyUnendedAndStrayPieces)
{
    ASSERT_EQ(Parse([](Drawing &g) {
                  AddPolyline(g, 0x100, Pline(), {}); /* no vertices */
                  Vtx stray{5, 6, 0};
                  AddVertex(g, 0x200, stray); /* a VERTEX after the SEQEND */
                  g.Add(Drawing::Header(AD_ENT_SEQEND, 0x201), Zero());
                  g.Line(0x202, 0, 0, 0, 1, 1);
                  Pline p;
                  p.startWidth = 4.0;
                  AddPolyline(g, 0x300, p, kTwo, false); /* the list ends after its vertices */
              }),
              0)
        << printed();
    auto polylines = All(DXFI_TF_dxf_2dpolyline);
    ASSERT_EQ(polylines.size(), 2u);
    dxf_2dpolyline empty = Read<dxf_2dpolyline>(polylines[0]);
    EXPECT_EQ(empty.num_vtx, 0);
    EXPECT_EQ(empty.vertex, MDA_NULL_REF);
    EXPECT_EQ(Listed(polylines[1]).size(), 2u);
    EXPECT_EQ(All(DXFI_TF_dxf_line).size(), 1u);
    auto vertices = All(DXFI_TF_dxf_vertex);
    ASSERT_EQ(vertices.size(), 3u);
    dxf_vertex stray = Read<dxf_vertex>(vertices[0]);
    EXPECT_EQ(stray.xyzloc[0], 5.0);
    EXPECT_EQ(stray.vdswidth, 0.0) << "a vertex outside a polyline has no default width";
    int32_t count = 0;
    db_ptr *parents = nullptr;
    EXPECT_EQ(mda_GetParentsByTF(0, vertices[0], DXFI_TF_dxf_2dpolyline, &count, &parents), 0);
    EXPECT_EQ(count, 0);
    mda_FreeParents(parents);
}

TEST_F(Polylines, AVertexWhoseHandleIsTakenIsNotListed)
{
    ASSERT_EQ(Parse([](Drawing &g) {
                  g.Line(0x101, 0, 0, 0, 1, 1);
                  AddPolyline(g, 0x100, Pline(), {{0, 0, 0}, {1, 1, 0}, {2, 0, 0}}); /* vertices 101 to 103 */
              }),
              0)
        << printed();
    auto polylines = All(DXFI_TF_dxf_2dpolyline);
    ASSERT_EQ(polylines.size(), 1u);
    auto listed = Listed(polylines[0]);
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_STREQ(Read<dxf_vertex>(listed[0]).dxfsubhdr.handle, "102");
    EXPECT_STREQ(Read<dxf_vertex>(listed[1]).dxfsubhdr.handle, "103");
}

TEST_F(Polylines, LightweightArraysFollowTheFlagWord)
{
    const std::vector<std::array<double, 5>> v = {{0, 0, 0.5, 1, 2}, {10, 0, -1, 0, 0}, {10, 5, 0, 3, 3}};
    struct Case {
        int flag;
        double constWidth;
        double wantConstWidth;
        bool bulges, widths;
    };
    const Case cases[] = {
        {0, 0.0, 0.0, false, false},
        {AD_LWPLINE_CLOSED | AD_LWPLINE_HAS_BULGES, 0.0, 0.0, true, false},
        {AD_LWPLINE_CONSTWIDTH, 0.5, 0.5, false, false},
        {0, 0.7, 0.0, false, false}, /* a constant width the flag word does not announce */
        {AD_LWPLINE_HAS_WIDTHS | AD_LWPLINE_PLINEGEN, 0.0, 0.0, false, true},
        {AD_LWPLINE_HAS_BULGES | AD_LWPLINE_HAS_WIDTHS | AD_LWPLINE_CLOSED, 0.0, 0.0, true, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE("flag " + std::to_string(c.flag));
        TearDown();
        SetUp();
        ASSERT_EQ(
            Parse([&](Drawing &g) { AddLw(g, 0x100, c.flag, 3, c.constWidth, LwBlob(c.flag, v), 2.0); }), 0)
            << printed();
        auto lw = All(DXFI_TF_dxf_lwpolyline);
        ASSERT_EQ(lw.size(), 1u);
        EXPECT_TRUE(All(DXFI_TF_dxf_lwpolyline_ext).empty()) << "no extruded form, whatever the thickness";
        dxf_lwpolyline r = Read<dxf_lwpolyline>(lw[0]);
        ExpectFields({VYR_F(r.pflag, c.flag), VYR_F(r.cwidth, c.wantConstWidth), VYR_F(r.elev, 4.5),
                      VYR_F(r.thick, 0.0), VYR_F(r.dxfhdr.thickness, 2.0), VYR_F(r.npoints, 3)});
        auto got = Points(lw[0]);
        ASSERT_EQ(got.size(), 3u);
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(got[i][0], v[i][0]);
            EXPECT_EQ(got[i][1], v[i][1]);
            EXPECT_EQ(got[i][2], c.bulges ? v[i][2] : 0.0);
            EXPECT_EQ(got[i][3], c.widths ? v[i][3] : 0.0);
            EXPECT_EQ(got[i][4], c.widths ? v[i][4] : 0.0);
        }
    }
}

TEST_F(Polylines, LightweightCountIsWhatTheBlobHolds)
{
    const std::vector<std::array<double, 5>> three = {{0, 0, 0, 0, 0}, {1, 0, 0, 0, 0}, {1, 1, 0, 0, 0}};
    struct Case {
        int32_t count;
        long cutBytes; /* bytes missing at the end of the blob */
        int32_t want;
    };
    const Case cases[] = {{3, 0, 3},  {1000, 0, 3}, {2, 0, 2}, {INT32_MAX, 0, 3},
                          {-5, 0, 0}, {0, 0, 0},    {3, 8, 2}};
    for (const Case &c : cases) {
        SCOPED_TRACE("count " + std::to_string(c.count) + " cut " + std::to_string(c.cutBytes));
        TearDown();
        SetUp();
        ASSERT_EQ(Parse([&](Drawing &g) {
                      AdBlob *blob = LwBlob(AD_LWPLINE_HAS_BULGES, three);
                      if (c.cutBytes) {
                          /* the same vertices, the last one cut short */
                          std::vector<unsigned char> bytes(size_t(adBlobSize(blob)));
                          AdBlobCursor *in = adStartBlobRead(blob);
                          adReadBlobBytesLong(in, bytes.data(), long(bytes.size()));
                          adEndBlobRead(in);
                          AdBlobCursor *out = adStartBlobWrite(blob);
                          adWriteBlobBytesLong(out, bytes.data(), long(bytes.size()) - c.cutBytes);
                          adEndBlobWrite(out);
                      }
                      AddLw(g, 0x100, AD_LWPLINE_HAS_BULGES, c.count, 0.0, blob);
                  }),
                  0)
            << printed();
        dxf_lwpolyline r = Read<dxf_lwpolyline>(All(DXFI_TF_dxf_lwpolyline).at(0));
        EXPECT_EQ(r.npoints, c.want);
        EXPECT_EQ(Points(All(DXFI_TF_dxf_lwpolyline).at(0)).size(), size_t(c.want));
    }
}

TEST_F(Polylines, LightweightWithoutItsBlobIsKeptWithAWarning)
{
    ASSERT_EQ(Parse([](Drawing &g) {
                  AddLw(g, 0xA7, 0, 40, 0.0, nullptr);
                  g.Line(0x200, 0, 0, 0, 1, 1);
              }),
              0)
        << printed();
    auto lw = All(DXFI_TF_dxf_lwpolyline);
    ASSERT_EQ(lw.size(), 1u);
    dxf_lwpolyline r = Read<dxf_lwpolyline>(lw[0]);
    ExpectFields({VYR_F(r.npoints, 0), VYR_F(r.points, MDA_NULL_REF), VYR_F(r.bulge, MDA_NULL_REF),
                  VYR_F(r.widths, MDA_NULL_REF)});
    EXPECT_NE(printed().find("Data is incomplete for entity/object type LWPOLYLINE (handle A7)"),
              std::string::npos)
        << printed();
    EXPECT_EQ(All(DXFI_TF_dxf_line).size(), 1u);
}

} // namespace
