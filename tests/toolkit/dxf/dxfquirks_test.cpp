/* Rules and quirks of the DXF loaders on small drawings written here: the
 * version rules of $ACADVER, header variables (unknown ones, missing
 * values, dates that do not fit, cut strings, code pages), scan and load
 * progress, the preload filter, the callbacks, extended data that does not
 * fit, duplicate handles, hatch spline edges with fit data, spline weights
 * in a block, a multiline style named only by name, blocks without ENDBLK
 * or without BLOCK, the block operations, the audit, adstrcpytrans and
 * ellipse parameters. */
#include <algorithm>
#include <set>

#include "toolkit/dxfhelpers.h"

namespace {

std::vector<int> g_calls;
void Record(int code) { g_calls.push_back(code); }
void RecordShort(short p) { g_calls.push_back(p); }
int g_examined = 0;
void Examine(AdDrawing *, AdEntityHeader *, AdEntityRecord *) { ++g_examined; }
std::vector<std::string> g_warnings;
void Warn(const char *text) { g_warnings.push_back(text); }

class Quirks : public ToolkitTest {
protected:
    void SetUp() override
    {
        ToolkitTest::SetUp();
        g_calls.clear();
        g_warnings.clear();
        g_examined = 0;
    }
    void TearDown() override
    {
        adCloseFile(dwg);
        ToolkitTest::TearDown();
    }
    AdDrawing *Load(const std::string &text, unsigned char mode = 1, int16_t add2000 = 0)
    {
        adCloseFile(dwg);
        dwg = adLoadFile(TempFile(text).c_str(), mode, add2000);
        return dwg;
    }
    AdDrawing *dwg = nullptr;
};

TEST_F(Quirks, VersionRules)
{
    ASSERT_NE(Load(Version("AC2.10") + Eof()), nullptr);
    EXPECT_EQ(adFileVersionLoaded(dwg), AD_ACAD25);
    EXPECT_STREQ(adHeaderPointer(dwg)->acadver, "AC1002");
    ASSERT_NE(Load(Version("AC1500") + Eof()), nullptr);
    EXPECT_EQ(adFileVersionLoaded(dwg), AD_ACAD2000);
    /* versions the gate does not know: the unknown-version path */
    for (const char *v : {"AC1019", "AC1099", "AC2000", ""}) {
        ASSERT_NE(Load(Version(v) + Section("ENTITIES", P(0, "LINE") + P(5, "2A") + P(8, "0")) + Eof()),
                  nullptr)
            << v;
        ExpectFields({VYR_F(adFileVersionLoaded(dwg), AD_ACAD11),
                      VYR_F(adHeaderPointer(dwg)->acadver, "AC1009"), VYR_F(dwg->invalidversion, 1),
                      VYR_F(dwg->addhandles_ents, 1)});
        EXPECT_EQ(adNumEntities(adModelSpaceEntityList(dwg)), 1);
    }
    /* too new for the toolkit: 309, the client converts such files */
    for (const char *v : {"AC1018", "AC1021", "AC1024", "AC1027", "AC1032"}) {
        EXPECT_EQ(Load(Version(v) + Eof()), nullptr) << v;
        EXPECT_EQ(adError(), 309) << v;
        EXPECT_STREQ(adErrorStr(adError()), "Error number out of range");
    }
    EXPECT_EQ(Load(Header(P(9, "$ACADVER") + P(1, "AC1021") + P(9, "$DIMPOST") + P(1, "x")) + Eof()),
              nullptr);
    EXPECT_EQ(adError(), 309);
    /* the pre-release of AC1014 */
    EXPECT_EQ(Load(Version("AC1013") + Eof()), nullptr);
    EXPECT_EQ(adError(), 286);
    adAcceptR14BetaFiles();
    ASSERT_NE(Load(Version("AC1013") + Eof()), nullptr);
    EXPECT_EQ(adFileVersionLoaded(dwg), AD_ACAD14);
    /* no HEADER at all */
    ASSERT_NE(Load(Section("ENTITIES", "") + Eof()), nullptr);
    EXPECT_EQ(adFileVersionLoaded(dwg), AD_ACAD11);
    EXPECT_EQ(dwg->invalidversion, 1);
}

TEST_F(Quirks, HeaderVariables)
{
    std::string vars = P(9, "$ACADVER") + P(1, "AC1015XYZ") + P(9, "$UNKNOWNONE") + P(70, "1") +
                       P(9, "$UNKNOWNPOINT") + P(10, "1") + P(20, "2") + P(30, "3") + P(9, "$LIMMIN") +
                       P(10, "5") + P(9, "$LTSCALE") + P(9, "$DIMPOST") + P(1, std::string(30, 'p')) +
                       P(9, "$tdcreate") + P(40, "nan") + P(9, "$TDUPDATE") + P(40, "-nan") +
                       P(9, "$TDINDWG") + P(40, "1e300") + P(9, "$TDUSRTIMER") + P(40, "-1e300") +
                       P(9, "$DWGCODEPAGE") + P(3, "klingon") + P(9, "$USERI5") + P(70, "-5") +
                       P(9, "$USERR1") + P(40, "7.25") + P(9, "$PDMODE") + P(40, "34.0") + P(9, "$DIMTOL") +
                       P(70, "513") + P(9, "$HANDSEED") + P(5, "ABC") + P(9, "$CLAYER") + P(8, "Nowhere");
    ASSERT_NE(Load(Header(vars) + Eof()), nullptr) << adError();
    const AdHeader *h = adHeaderPointer(dwg);
    ExpectFields({VYR_F(h->acadver, "AC1015"), /* cut to 6 characters */
                  VYR_F(adFileVersionLoaded(dwg), AD_ACAD2000), VYR_F(h->limmin[0], 5),
                  VYR_F(h->limmin[1], 0), VYR_F(h->ltscale, 1.0) /* no value: the default stays */});
    EXPECT_EQ(std::string(h->dimpost), std::string(15, 'p'));
    ExpectFields({VYR_F(h->tdcreate[0], INT32_MAX), VYR_F(h->tdupdate[0], INT32_MIN),
                  VYR_F(h->tdindwg[0], INT32_MAX), VYR_F(h->tdusrtimer[0], INT32_MIN),
                  VYR_F(h->dwgcodepage, 30), /* an unknown name keeps the default */
                  VYR_F(h->useri[4], -5), VYR_F(h->userr[0], 7.25),
                  VYR_F(h->pdmode, 34), /* an integer written with a real code */
                  VYR_F(h->dimtol, 1),  /* the low 8 bits */
                  VYR_F(HV(h->clayer), 0u) /* no such layer */});
    EXPECT_GE(HV(h->handseed), 0xABCu);
    /* defaults of the public DXF reference */
    ASSERT_NE(Load(Version("AC1015") + Eof()), nullptr);
    h = adHeaderPointer(dwg);
    ExpectFields({VYR_F(h->dwgcodepage, 30), VYR_F(h->handling, 1), VYR_F(h->dimtxt, 0.18),
                  VYR_F(h->dimaltf, 25.4), VYR_F(h->splinesegs, 8), VYR_PT(h->ucsxdir, 1, 0, 0)});
    unsigned char zero[8];
    ASSERT_TRUE(adFindLayerByName(dwg, "0", zero));
    EXPECT_EQ(HV(h->clayer), HV(zero));
}

TEST_F(Quirks, DimunitOfOlderReleases)
{
    struct {
        const char *v;
        int in, out, frac;
    } cases[] = {{"AC1014", 4, 4, 0}, {"AC1014", 6, 4, 2}, {"AC1012", 8, 6, 0},
                 {"AC1014", 2, 2, 0}, {"AC1015", 7, 7, 0}, {"AC1009", 7, 7, 0}};
    for (const auto &c : cases) {
        ASSERT_NE(Load(Header(P(9, "$ACADVER") + P(1, c.v) + P(9, "$DIMUNIT") + P(70, std::to_string(c.in))) +
                       Eof()),
                  nullptr);
        EXPECT_EQ(adHeaderPointer(dwg)->dimlunit, c.out) << c.v << " " << c.in;
        EXPECT_EQ(adHeaderPointer(dwg)->dimfrac, c.frac) << c.v << " " << c.in;
    }
}

std::string Lines(int n)
{
    std::string body;
    for (int i = 0; i < n; ++i)
        body += P(0, "LINE") + P(8, "0") + P(10, std::to_string(i)) + P(20, "0") + P(11, "1") + P(21, "1") +
                (i % 2 ? P(0, "CIRCLE") + P(8, "0") + P(10, "0") + P(20, "0") + P(40, "1") : "");
    return body;
}

TEST_F(Quirks, ScanAndLoadProgress)
{
    adSetAd2DxfscanometerFn(RecordShort);
    ASSERT_NE(Load(Version("AC1015") + Section("ENTITIES", Lines(2000)) + Eof()), nullptr);
    ASSERT_GE(g_calls.size(), 5u);
    EXPECT_EQ(g_calls.back(), 100);
    for (size_t i = 1; i < g_calls.size(); ++i) EXPECT_LE(g_calls[i - 1], g_calls[i]);
    adSetAd2DxfscanometerFn(nullptr);
    g_calls.clear();
    adSetAd2LoadometerFn(RecordShort);
    ASSERT_NE(Load(Version("AC1015") + Section("ENTITIES", Lines(2000)) + Eof()), nullptr);
    std::vector<int> entity;
    for (int p : g_calls)
        if (p > 46 && p < 96) entity.push_back(p);
    ASSERT_FALSE(entity.empty());
    for (size_t i = 1; i < entity.size(); ++i) EXPECT_LT(entity[i - 1], entity[i]);
    EXPECT_LE(entity.back(), 71);
    EXPECT_EQ(g_calls.back(), 100);
}

TEST_F(Quirks, StopDuringTheScan)
{
    adSetAd2DxfscanometerFn([](short p) {
        if (p >= 50) adStopLoading();
    });
    EXPECT_EQ(Load(Version("AC1015") + Section("ENTITIES", Lines(3000)) + Eof()), nullptr);
    EXPECT_NE(adError(), 0);
}

TEST_F(Quirks, PreloadFilterAndExamineCallback)
{
    unsigned char filter[32] = {0};
    filter[AD_ENT_CIRCLE] = 1;
    adSetPreloadEntityFilter(filter);
    adSetAd2ExamineEntityLoadFn(Examine);
    ASSERT_NE(Load(Version("AC1015") + Section("ENTITIES", Lines(10)) + Eof(), 2), nullptr);
    std::vector<Ent> e = Entities(adModelSpaceEntityList(dwg));
    ASSERT_EQ(e.size(), 5u);
    for (const Ent &x : e) EXPECT_EQ(x.h.enttype, AD_ENT_CIRCLE);
    EXPECT_EQ(g_examined, 5);
    /* preload mode 1 loads everything */
    ASSERT_NE(Load(Version("AC1015") + Section("ENTITIES", Lines(10)) + Eof(), 1), nullptr);
    EXPECT_EQ(adNumEntities(adModelSpaceEntityList(dwg)), 15);
}

TEST_F(Quirks, BadBlockAndDimstyleNamesCallTheCriticalErrorCallback)
{
    adSetAd2CriticalErrorFn(Record);
    int16_t err;
    adCloseAd2();
    ASSERT_TRUE(adInitAd2(nullptr, &err));
    adSetupDxfRead();
    std::string ents = P(0, "INSERT") + P(8, "0") + P(2, "NOBLOCK") + P(10, "0") + P(20, "0") +
                       P(0, "DIMENSION") + P(8, "0") + P(2, "NOBLOCK") + P(3, "NOSTYLE") + P(0, "DIMENSION") +
                       P(8, "0") + P(3, "*UNNAMED");
    ASSERT_NE(Load(Version("AC1015") + Section("ENTITIES", ents) + Eof()), nullptr);
    EXPECT_EQ(g_calls, (std::vector<int>{6, 6, 6}));
    std::vector<Ent> e = Entities(adModelSpaceEntityList(dwg));
    ASSERT_EQ(e.size(), 3u);
    EXPECT_TRUE(adObjhandleIsNull(e[0]->insert.blockheaderhandle));
    EXPECT_TRUE(adObjhandleIsNull(e[2]->dim.dimstylehandle));
    /* the audit finds the insert without its block */
    std::vector<std::string> found;
    static std::vector<std::string> *sink;
    sink = &found;
    EXPECT_EQ(adAudit(dwg, 0, 2,
                      [](const char *t) {
                          sink->push_back(t);
                          return 1;
                      }),
              1);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_NE(found[0].find("Insert of an unknown block"), std::string::npos);
    g_calls.clear();
    adIgnoreBadInsertBlockHandles(1);
    ASSERT_NE(Load(Version("AC1015") + Section("ENTITIES", ents) + Eof()), nullptr);
    EXPECT_EQ(g_calls, (std::vector<int>{6})); /* the dimension style still counts */
    adSetAd2CriticalErrorFn(nullptr);
}

TEST_F(Quirks, ExtendedDataThatDoesNotFit)
{
    adSetAd2CriticalErrorFn(Record);
    int16_t err;
    adCloseAd2();
    ASSERT_TRUE(adInitAd2(nullptr, &err));
    adSetupDxfRead();
    std::string xd = P(1001, "ACAD");
    for (int i = 0; i < 200; ++i) xd += P(1000, std::string(250, 'a' + i % 26));
    xd += P(1070, "5");
    ASSERT_NE(Load(Version("AC1015") +
                   Section("ENTITIES", P(0, "POINT") + P(8, "0") + xd + P(0, "POINT") + P(8, "0")) + Eof()),
              nullptr);
    EXPECT_EQ(g_calls, (std::vector<int>{9}));
    std::vector<Ent> e = Entities(adModelSpaceEntityList(dwg));
    ASSERT_EQ(e.size(), 2u);
    std::vector<AdXdataItem> items = Xdata(e[0].h.xdblob);
    /* the items up to the one that did not fit stay, the rest are dropped */
    ASSERT_EQ(items.size(), 1u + 32768 / 252);
    EXPECT_EQ(items.back().code, 1000);
    EXPECT_EQ(e[1].h.xdblob, nullptr);
    adSetAd2CriticalErrorFn(nullptr);
}

/* A handle the file gives twice, in any section: every record is kept, the
 * later one under a fresh handle, and each duplicate is named in a warning
 * together with the handle its record takes. */
TEST_F(Quirks, DuplicateHandlesGetFreshOnesWithAWarning)
{
    adSetAd2WarningFn(Warn);
    const std::string layer = P(0, "LAYER") + P(5, "2A") + P(2, "Walls") + P(70, "0");
    const std::string line = P(0, "LINE") + P(5, "2A") + P(8, "0");
    const std::string dict = P(0, "DICTIONARY") + P(5, "2A") + P(330, "0");
    const struct {
        const char *what;
        std::string body;
        size_t duplicates;
    } cases[] = {
        {"two entities, one without a handle", Section("ENTITIES", line + line + P(0, "LINE") + P(8, "0")),
         1},
        {"a layer and an entity",
         Section("TABLES", P(0, "TABLE") + P(2, "LAYER") + P(5, "2") + layer + P(0, "ENDTAB")) +
             Section("ENTITIES", line),
         1},
        {"two layers",
         Section("TABLES", P(0, "TABLE") + P(2, "LAYER") + P(5, "2") + layer + P(0, "LAYER") + P(5, "2A") +
                               P(2, "Doors") + P(70, "0") + P(0, "ENDTAB")),
         1},
        {"a block record, an entity and an object",
         Section("TABLES", P(0, "TABLE") + P(2, "BLOCK_RECORD") + P(5, "1") + P(0, "BLOCK_RECORD") +
                               P(5, "2A") + P(2, "Bolt") + P(0, "ENDTAB")) +
             Section("BLOCKS", P(0, "BLOCK") + P(5, "30") + P(8, "0") + P(2, "Bolt") + P(70, "0") +
                                   P(10, "0") + P(20, "0") + P(0, "ENDBLK") + P(5, "31") + P(8, "0")) +
             Section("ENTITIES", line) + Section("OBJECTS", dict),
         2},
    };
    for (const auto &c : cases) {
        g_warnings.clear();
        ASSERT_NE(Load(Version("AC1015") + c.body + Eof()), nullptr) << c.what << ": " << adError();
        ASSERT_EQ(g_warnings.size(), c.duplicates) << c.what;
        for (const std::string &w : g_warnings) {
            EXPECT_NE(w.find("Duplicate handle 2A"), std::string::npos) << w;
            /* the handle named as the new one is a handle of the drawing */
            const size_t at = w.rfind(' ');
            AdObjhandle fresh;
            adAsciiObjhandleToBinary(w.c_str() + at + 1, fresh);
            EXPECT_NE(HV(fresh), 0x2Au) << w;
            EXPECT_NE(bt_search(dwg, fresh, dwg->btroot), nullptr) << c.what << ": " << w;
        }
        /* the first record keeps 2A, every record is there */
        EXPECT_NE(bt_search(dwg, reinterpret_cast<const unsigned char *>("\0\0\0\0\0\0\0\x2A"), dwg->btroot),
                  nullptr)
            << c.what;
    }
    std::vector<Ent> e = Entities(adModelSpaceEntityList(dwg));
    ASSERT_EQ(e.size(), 1u);
    AdObjhandle h;
    EXPECT_TRUE(adFindBlockheaderByName(dwg, "Bolt", h));
    EXPECT_EQ(HV(h), 0x2Au);
    /* the entity and the dictionary took fresh handles */
    EXPECT_NE(HV(e[0].h.handle), 0x2Au);
}

TEST_F(Quirks, HatchSplineEdgeWithFitDataAndSplineWeightsInABlock)
{
    std::string hatch =
        P(0, "HATCH") + P(8, "0") + P(2, "SOLID") + P(70, "1") + P(91, "2") + P(92, "1") + P(93, "1") +
        P(72, "4") + P(94, "1") + P(73, "0") + P(74, "0") + P(95, "4") + P(96, "2") + P(40, "0") +
        P(40, "0") + P(40, "1") + P(40, "1") + P(10, "0") + P(20, "0") + P(10, "1") + P(20, "1") +
        P(97, "2") + P(11, "0") + P(21, "0") + P(11, "1") + P(21, "1") + P(12, "1") + P(22, "0") +
        P(13, "1") + P(23, "0") + P(97, "0") + P(92, "2") + P(72, "0") + P(73, "1") + P(93, "2") +
        P(10, "0") + P(20, "0") + P(10, "3") + P(20, "3") + P(97, "0") + P(75, "0") + P(76, "1") + P(98, "0");
    std::string spline = P(0, "SPLINE") + P(8, "0") + P(70, "8") + P(71, "1") + P(72, "4") + P(73, "2") +
                         P(40, "0") + P(40, "0") + P(40, "1") + P(40, "1") + P(41, "0.5") + P(41, "2") +
                         P(10, "0") + P(20, "0") + P(30, "0") + P(10, "1") + P(20, "1") + P(30, "0");
    ASSERT_NE(Load(Version("AC1015") + Section("ENTITIES", hatch + spline) + Eof()), nullptr) << adError();
    std::vector<Ent> e = Entities(adModelSpaceEntityList(dwg));
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0]->hatch.numpaths, 2);
    /* path 1: flags, edge count, type, degree, flags, counts, knots, points,
       source count; path 2: flags, bulge, closed, count, points, sources */
    EXPECT_EQ(adBlobSize(e[0]->hatch.pathblob),
              4 + 4 + 1 + 4 + 2 + 2 + 4 + 4 + 32 + 32 + 4 + 4 + 2 + 2 + 4 + 32 + 4);
    const AdEntSpline &s = e[1]->spline;
    EXPECT_EQ(s.flag, 8 | 4);
    EXPECT_EQ(Doubles(s.ctlblob), (std::vector<double>{0, 0, 0, 0.5, 1, 1, 0, 2}));
}

/* Newer files give every spline edge a fit-data count, 97 0 when it has
 * none; the path's source-object count is a 97 as well. */
TEST_F(Quirks, HatchSplineEdgesWithAFitCountOfZero)
{
    const std::string spline = P(72, "4") + P(94, "1") + P(73, "0") + P(74, "0") + P(95, "4") + P(96, "2") +
                               P(40, "0") + P(40, "0") + P(40, "1") + P(40, "1") + P(10, "0") + P(20, "0") +
                               P(10, "1") + P(20, "1") + P(97, "0");
    const std::string line = P(72, "1") + P(10, "1") + P(20, "1") + P(11, "0") + P(21, "0");
    const std::string tail = P(75, "0") + P(76, "1") + P(98, "0");
    struct Case {
        const char *what;
        std::string edges;
        int nedges, firsttype;
        std::vector<uint64_t> sources;
    } cases[] = {
        {"spline, then a line", spline + line + P(97, "1") + P(330, "2A"), 2, 4, {0x2A}},
        {"line, then a spline", line + spline + P(97, "2") + P(330, "2B") + P(330, "2C"), 2, 1, {0x2B, 0x2C}},
        {"spline alone, no sources", spline + P(97, "0"), 1, 4, {}},
        {"two splines", spline + spline + P(97, "1") + P(330, "2D"), 2, 4, {0x2D}},
    };
    for (const Case &c : cases) {
        std::string hatch = P(0, "HATCH") + P(8, "0") + P(2, "SOLID") + P(70, "1") + P(91, "2") + P(92, "1") +
                            P(93, std::to_string(c.nedges)) + c.edges + P(92, "2") + P(72, "0") + P(73, "1") +
                            P(93, "2") + P(10, "0") + P(20, "0") + P(10, "3") + P(20, "3") + P(97, "1") +
                            P(330, "2E") + tail;
        ASSERT_NE(Load(Version("AC1015") + Section("ENTITIES", hatch + P(0, "LINE") + P(8, "0")) + Eof()),
                  nullptr)
            << c.what << ": " << adError();
        std::vector<Ent> e = Entities(adModelSpaceEntityList(dwg));
        ASSERT_EQ(e.size(), 2u) << c.what;
        EXPECT_EQ(e[0]->hatch.numpaths, 2) << c.what;
        std::vector<uint64_t> want = c.sources;
        want.push_back(0x2E);
        EXPECT_EQ(Handles(e[0]->hatch.srcobjblob), want) << c.what;
        std::vector<unsigned char> b = Bytes(e[0]->hatch.pathblob);
        ASSERT_GE(b.size(), 9u);
        EXPECT_EQ(b[4], c.nedges) << c.what; /* the edge count (little end) */
        EXPECT_EQ(b[8], c.firsttype) << c.what;
    }
}

TEST_F(Quirks, MlineStyleByNameIsResolvedAfterTheObjects)
{
    std::string ents = P(0, "MLINE") + P(8, "0") + P(2, "Fancy") + P(72, "0") + P(73, "0");
    std::string objs = P(0, "MLINESTYLE") + P(5, "77") + P(2, "FANCY") + P(70, "0");
    ASSERT_NE(Load(Version("AC1015") + Section("ENTITIES", ents) + Section("OBJECTS", objs) + Eof()),
              nullptr);
    std::vector<Ent> e = Entities(adModelSpaceEntityList(dwg));
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(HV(e[0]->mline.mlstylehandle), 0x77u);
}

TEST_F(Quirks, BlocksWithoutEndblkOrBlockAndDuplicateNames)
{
    std::string tables = Section("TABLES", P(0, "TABLE") + P(2, "BLOCK_RECORD") + P(0, "BLOCK_RECORD") +
                                               P(5, "A1") + P(2, "Orphan") + P(0, "BLOCK_RECORD") +
                                               P(5, "A2") + P(2, "Twice") + P(0, "ENDTAB"));
    std::string blocks = P(0, "BLOCK") + P(5, "B1") + P(330, "A2") + P(8, "0") + P(2, "Twice") +
                         P(0, "LINE") + P(8, "0") + P(0, "BLOCK") + P(8, "0") + P(2, "twice") +
                         P(0, "CIRCLE") + P(8, "0") + P(0, "ENDBLK") + P(8, "0") + P(0, "BLOCK") + P(8, "0") +
                         P(2, "Last") + P(0, "POINT") + P(8, "0");
    ASSERT_NE(Load(Version("AC1015") + tables + Section("BLOCKS", blocks) + Eof()), nullptr) << adError();
    EXPECT_EQ(adNumBlockheaders(dwg), 5);
    unsigned char h[8];
    ASSERT_TRUE(adFindBlockheaderByName(dwg, "Twice", h));
    EXPECT_EQ(HV(h), 0xA2u);
    std::vector<Ent> twice = Entities(adEntityList(dwg, h));
    ASSERT_EQ(twice.size(), 2u); /* BLOCK and LINE: no ENDBLK before the next BLOCK */
    EXPECT_EQ(twice[1].h.enttype, AD_ENT_LINE);
    ASSERT_TRUE(adFindBlockheaderByName(dwg, "Orphan", h));
    EXPECT_EQ(adNumEntities(adEntityList(dwg, h)), 0);
    ASSERT_TRUE(adFindBlockheaderByName(dwg, "Last", h));
    EXPECT_EQ(adNumEntities(adEntityList(dwg, h)), 2);
}

TEST_F(Quirks, BlockOperations)
{
    ASSERT_NE(Load(Version("AC1015") +
                   Section("BLOCKS", P(0, "BLOCK") + P(8, "0") + P(2, "*Paper_Space0") + P(0, "LINE") +
                                         P(8, "0") + P(67, "1") + P(0, "ENDBLK") + P(8, "0")) +
                   Section("ENTITIES", P(0, "CIRCLE") + P(8, "0") + P(67, "1") + P(40, "1")) + Eof()),
              nullptr);
    unsigned char h[8], x[8];
    ASSERT_TRUE(adFindBlockheaderByName(dwg, "*Paper_Space0", h));
    EXPECT_EQ(adNumEntities(adPaperSpaceEntityList(dwg)), 1);
    ASSERT_TRUE(adSetActivePaperSpaceBlock(dwg, h));
    EXPECT_EQ(adNumEntities(adPaperSpaceEntityList(dwg)), 3);
    std::vector<Ent> e = Entities(adPaperSpaceEntityList(dwg));
    EXPECT_EQ(e[1].h.enttype, AD_ENT_LINE);
    unsigned char ps[8];
    ASSERT_TRUE(adFindBlockheaderByName(dwg, "*Paper_Space", ps));
    EXPECT_EQ(HV(ps), HV(h)); /* the header now named *Paper_Space */
    ASSERT_TRUE(adCreateXrefBlock(dwg, "Site", "/data/site.dxf", x));
    EXPECT_FALSE(adCreateXrefBlock(dwg, "SITE", "/data/other.dxf", nullptr));
    EXPECT_EQ(adError(), 308);
    std::vector<AdBlockheader> b;
    AdBlockheader r;
    adStartBlockheaderGet(dwg);
    while (adGetBlockheader(dwg, &r)) b.push_back(r);
    ASSERT_EQ(b.size(), 4u);
    EXPECT_STREQ(b[1].name, "Site");
    EXPECT_EQ(b[1].flag, 4);
    EXPECT_STREQ(b[1].xrefpath, "/data/site.dxf");
    EXPECT_EQ(b[3].entitylist, adPaperSpaceEntityList(dwg));
    AdEntityHeader eh{};
    AdEntityRecord er{};
    EXPECT_EQ(adExplodeProxyToList(dwg, &eh, &er, adModelSpaceEntityList(dwg), 0, eh.handle), 0);
}

TEST_F(Quirks, DefaultObjectsOfNewerReleases)
{
    ASSERT_NE(Load(Version("AC1009") + Eof(), 1, 1), nullptr);
    /* root, groups, multiline styles, STANDARD; layouts Model and Layout1 in
       ACAD_LAYOUT; ACAD_PLOTSTYLENAME with its placeholder */
    EXPECT_EQ(adNumObjects(dwg), 4 + 3 + 2);
    std::set<std::string> layouts;
    AdObjectHeader oh;
    AdObjectRecord r;
    adStartObjectGet(dwg);
    while (adGetObject(dwg, &oh, &r))
        if (oh.objtype == adLayoutObjtype(dwg)) layouts.insert(r.layout.name);
    EXPECT_EQ(layouts, (std::set<std::string>{"Model", "Layout1"}));
    ASSERT_NE(Load(Version("AC1009") + Eof(), 1, 0), nullptr);
    EXPECT_EQ(adNumObjects(dwg), 4);
    AdDrawing *parent = adLoadFile(Data("ac1015.dxf").c_str(), 1, 0);
    ASSERT_NE(parent, nullptr);
    EXPECT_EQ(HV(parent->plotstyledict), 0xEu);
    adCloseFile(parent);
}

TEST_F(Quirks, ViewportEntityHeaderReaders)
{
    std::string ents;
    for (int i = 0; i < 3; ++i)
        ents += P(0, "VIEWPORT") + P(5, std::to_string(70 + i)) + P(8, "0") + P(67, "1") +
                P(69, std::to_string(i + 1));
    AdDrawing *d =
        OpenBytes(Version("AC1015") + Section("ENTITIES", ents) + Eof(), AD_FILE_ASCII_DXF, AD_ACAD2000);
    d->header = static_cast<AdHeader *>(ztmem_malloc(sizeof(AdHeader)));
    ASSERT_EQ(dxfloadheader(d, nullptr, nullptr), 1);
    EXPECT_EQ(d->scan.numvpents, 3);
    ASSERT_EQ(dxfstartvportenthdrload(d, nullptr, nullptr), 1);
    int n = 0;
    while (dxfloadvportenthdr(d, nullptr, nullptr) == 1) ++n;
    EXPECT_EQ(n, 3);
    ASSERT_EQ(LLGetNumLinks(d->vpenthdrs), 3);
    const AdVpentHdr *v = static_cast<const AdVpentHdr *>(LL_RECORD(d->vpenthdrs->tail));
    EXPECT_EQ(HV(v->vpenthandle), 0x72u);
    EXPECT_EQ(v->id, 3);
}

TEST_F(Quirks, TextCopyDecodesCarets)
{
    char out[64];
    adstrcpytrans(out, "a^Jb^Ic^ d^@e^zf^", sizeof out, 30);
    EXPECT_STREQ(out, "a\nb\tc^d^@e^zf^");
    /* the trail byte of a double-byte character is not a caret */
    adstrcpytrans(out, "\x81^J^J", sizeof out, 38);
    EXPECT_STREQ(out, "\x81^J\n");
    adstrcpytrans(out, "\x81^J^J", sizeof out, 30);
    EXPECT_STREQ(out, "\x81\n\n");
    /* a cut never splits a double-byte character */
    adstrcpytrans(out, "ab\x82\xA0", 4, 38);
    EXPECT_STREQ(out, "ab");
    adstrcpytrans(out, "abcdef", 4, 30);
    EXPECT_STREQ(out, "abc");
}

TEST_F(Quirks, EllipseParameters)
{
    EXPECT_DOUBLE_EQ(adEllipseParameterFromAngle(M_PI / 2, 0.5), M_PI / 2);
    EXPECT_DOUBLE_EQ(adEllipseParameterFromAngle(M_PI / 4, 0.5), std::atan2(1.0, 0.5));
    EXPECT_DOUBLE_EQ(adEllipseParameterFromAngle(-M_PI / 4, 1.0), -M_PI / 4);
    EXPECT_DOUBLE_EQ(adEllipseParameterFromAngle(1.0, 0.0), 1.0);
}

TEST_F(Quirks, BinaryWithOneByteGroupCodes)
{
    /* an AC1009 binary file: 1-byte codes, 255 escaping a 2-byte code */
    std::string b("AutoCAD Binary DXF\r\n\x1a\0", 22);
    auto str = [&](int code, const char *s) {
        b += static_cast<char>(code);
        b += s;
        b += '\0';
    };
    auto real = [&](int code, double v) {
        b += static_cast<char>(code);
        unsigned char x[8];
        double2buf(v, x);
        b.append(reinterpret_cast<char *>(x), 8);
    };
    str(0, "SECTION");
    str(2, "HEADER");
    str(9, "$ACADVER");
    str(1, "AC1009");
    str(0, "ENDSEC");
    str(0, "SECTION");
    str(2, "ENTITIES");
    str(0, "LINE");
    str(8, "0");
    real(10, 1.5);
    real(11, 2.5);
    b += '\xff';
    b += std::string("\xe9\x03", 2); /* 1001 */
    b += "ACAD";
    b += '\0';
    b += '\xff';
    b += std::string("\xe8\x03", 2); /* 1000 */
    b += "binary xdata";
    b += '\0';
    str(0, "ENDSEC");
    str(0, "EOF");
    ASSERT_NE(Load(b), nullptr) << adError();
    EXPECT_EQ(adFileTypeLoaded(dwg), AD_FILE_BINARY_DXF);
    EXPECT_EQ(adFileVersionLoaded(dwg), AD_ACAD11);
    std::vector<Ent> e = Entities(adModelSpaceEntityList(dwg));
    ASSERT_EQ(e.size(), 1u);
    EXPECT_DOUBLE_EQ(e[0]->line.pt0[0], 1.5);
    EXPECT_DOUBLE_EQ(e[0]->line.pt1[0], 2.5);
    std::vector<AdXdataItem> x = Xdata(e[0].h.xdblob);
    ASSERT_EQ(x.size(), 2u);
    EXPECT_STREQ(x[1].v.str, "binary xdata");
}

} // namespace

namespace {

TEST_F(Quirks, MissingArrowheadBlocksAreCreatedOnRequest)
{
    std::string text =
        Header(P(9, "$ACADVER") + P(1, "AC1014") + P(9, "$DIMBLK") + P(1, "_OPEN") + P(9, "$DIMBLK1") +
               P(1, "_NOSUCH")) +
        Section("TABLES", P(0, "TABLE") + P(2, "DIMSTYLE") + P(0, "DIMSTYLE") + P(105, "40") + P(2, "Arch") +
                              P(5, "_ArchTick") + P(6, "_DOT") + P(0, "ENDTAB")) +
        Eof();
    ASSERT_NE(Load(text), nullptr);
    EXPECT_TRUE(adObjhandleIsNull(adHeaderPointer(dwg)->dimblkhandle));
    EXPECT_EQ(adNumBlockheaders(dwg), 2);
    adCreateMissingDimblks(1);
    ASSERT_NE(Load(text), nullptr);
    const AdHeader *h = adHeaderPointer(dwg);
    unsigned char open[8], tick[8];
    ASSERT_TRUE(adFindBlockheaderByName(dwg, "_OPEN", open));
    EXPECT_EQ(HV(h->dimblkhandle), HV(open));
    EXPECT_TRUE(adObjhandleIsNull(h->dimblk1handle));
    ASSERT_TRUE(adFindBlockheaderByName(dwg, "_ARCHTICK", tick));
    AdDimstyle d;
    ASSERT_TRUE(adFindDimstyleByName(dwg, "Arch", nullptr));
    adStartDimstyleGet(dwg);
    ASSERT_TRUE(adGetDimstyle(dwg, &d));
    EXPECT_EQ(HV(d.dimblk), HV(tick));
    EXPECT_FALSE(adObjhandleIsNull(d.dimblk1));
    /* BLOCK, three lines, ENDBLK; the spaces stay the last two headers */
    std::vector<Ent> e = Entities(adEntityList(dwg, open));
    ASSERT_EQ(e.size(), 5u);
    ExpectFields({VYR_F(e[0].h.enttype, AD_ENT_BLOCK), VYR_F(e[1].h.enttype, AD_ENT_LINE),
                  VYR_F(e[1].h.color, 0), VYR_F(e[4].h.enttype, AD_ENT_ENDBLK)});
    std::vector<AdBlockheader> b;
    AdBlockheader r;
    adStartBlockheaderGet(dwg);
    while (adGetBlockheader(dwg, &r)) b.push_back(r);
    ASSERT_EQ(b.size(), 5u);
    EXPECT_STREQ(b[3].name, "*Model_Space");
    EXPECT_EQ(HV(b[0].blockentityhandle), HV(e[0].h.handle));
    EXPECT_EQ(adAudit(dwg, 0, 2, nullptr), 0);
}

} // namespace

#include <fcntl.h>
#include <sys/stat.h>

namespace {

#if defined(__SANITIZE_ADDRESS__)
#define VYR_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VYR_SANITIZED 1
#endif
#endif

/* A drawing whose entities and block lie beyond 2 GiB: the scan pass's
 * positions are 64-bit. The file is sparse (a hole of NUL bytes, which the
 * reader takes for blank lines), so it takes no disk space; reading it twice
 * takes seconds, so the sanitizer builds pass over it. */
TEST_F(Quirks, PositionsBeyondTwoGibibytes)
{
#ifdef VYR_SANITIZED
    GTEST_SKIP() << "too slow under the sanitizers";
#endif
    std::string head = Version("AC1015") + P(0, "SECTION") + P(2, "ENTITIES") + P(0, "POINT") + P(8, "0");
    std::string tail = "\n" + P(0, "LINE") + P(8, "0") + P(10, "5") + P(0, "INSERT") + P(8, "0") +
                       P(2, "High") + P(0, "ENDSEC") +
                       Section("BLOCKS", P(0, "BLOCK") + P(8, "0") + P(2, "High") + P(0, "CIRCLE") +
                                             P(8, "0") + P(40, "2") + P(0, "ENDBLK") + P(8, "0")) +
                       Eof();
    std::string path = TempFile(head);
    int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    const off_t at = static_cast<off_t>(2200) * 1024 * 1024;
    ASSERT_EQ(::pwrite(fd, tail.data(), tail.size(), at), static_cast<ssize_t>(tail.size()));
    struct stat st;
    ::fstat(fd, &st);
    ::close(fd);
    if (st.st_blocks * 512 > 64 * 1024 * 1024) GTEST_SKIP() << "no sparse files here";
    dwg = adLoadFile(path.c_str(), 1, 0);
    ASSERT_NE(dwg, nullptr) << adError();
    std::vector<Ent> e = Entities(adModelSpaceEntityList(dwg));
    ASSERT_EQ(e.size(), 3u);
    EXPECT_DOUBLE_EQ(e[1]->line.pt0[0], 5);
    unsigned char high[8];
    ASSERT_TRUE(adFindBlockheaderByName(dwg, "High", high));
    EXPECT_EQ(HV(e[2]->insert.blockheaderhandle), HV(high));
    std::vector<Ent> b = Entities(adEntityList(dwg, high));
    ASSERT_EQ(b.size(), 3u);
    EXPECT_DOUBLE_EQ(b[1]->circle.radius, 2);
}

} // namespace

namespace {

TEST_F(Quirks, ShapesTakeTheOneShapeFileStyle)
{
    auto styles = [](int n) {
        std::string t = P(0, "TABLE") + P(2, "STYLE");
        for (int i = 0; i < n; ++i)
            t += P(0, "STYLE") + P(5, std::to_string(60 + i)) + P(2, "") + P(70, "1") +
                 P(3, "shapes" + std::to_string(i) + ".shx");
        return Section("TABLES", t + P(0, "ENDTAB"));
    };
    std::string shape = Section("ENTITIES", P(0, "SHAPE") + P(8, "0") + P(2, "BOX") + P(40, "1"));
    ASSERT_NE(Load(Version("AC1015") + styles(1) + shape + Eof()), nullptr);
    std::vector<Ent> e = Entities(adModelSpaceEntityList(dwg));
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(HV(e[0]->shape.stylehandle), 0x60u);
    ASSERT_NE(Load(Version("AC1015") + styles(2) + shape + Eof()), nullptr);
    e = Entities(adModelSpaceEntityList(dwg));
    EXPECT_TRUE(adObjhandleIsNull(e[0]->shape.stylehandle));
}

/* Counts of 16-bit group codes that a file states beyond 16 bits: the
 * records keep them whole (32,768 points made the count negative and the
 * spline vanished; 70,000 wrapped to 4,464 and cut the curve). */
TEST_F(Quirks, CountsBeyondSixteenBits)
{
    for (int n : {32768, 70000}) {
        std::string s = P(0, "SPLINE") + P(8, "0") + P(70, "8") + P(71, "3") + P(72, std::to_string(n + 4)) +
                        P(73, std::to_string(n)) + P(74, "0");
        for (int i = 0; i < n + 4; ++i) s += P(40, std::to_string(i));
        for (int i = 0; i < n; ++i) s += P(10, std::to_string(i)) + P(20, "1") + P(30, "0");
        std::string leader = P(0, "LEADER") + P(8, "0");
        for (int i = 0; i < n; ++i) leader += P(10, std::to_string(i)) + P(20, "2");
        ASSERT_NE(Load(Version("AC1015") + Section("ENTITIES", s + leader) + Eof()), nullptr) << n;
        std::vector<Ent> e = Entities(adModelSpaceEntityList(dwg));
        ASSERT_EQ(e.size(), 2u) << n;
        EXPECT_EQ(e[0]->spline.numknots, n + 4);
        EXPECT_EQ(e[0]->spline.numctlpts, n);
        std::vector<double> ctl = Doubles(e[0]->spline.ctlblob);
        ASSERT_EQ(ctl.size(), 3u * n);
        EXPECT_EQ(ctl[3 * (n - 1)], n - 1);
        EXPECT_EQ(e[1]->leader.numpoints, n);
        EXPECT_EQ(Doubles(e[1]->leader.ptblob).size(), 3u * n);
    }
}

/* After a load the handle seed is above every handle in use: the indexed
 * ones, the table controls of the file and the viewport-entity control the
 * loader makes, whatever $HANDSEED said. */
TEST_F(Quirks, HandseedAboveEveryHandleInUse)
{
    std::string tables =
        Section("TABLES", P(0, "TABLE") + P(2, "LAYER") + P(5, "3F0") + P(70, "1") + P(0, "LAYER") +
                              P(5, "21") + P(2, "Walls") + P(70, "0") + P(0, "ENDTAB"));
    for (const char *seed : {"20", "3F0", "3F1", "FFFF"}) {
        ASSERT_NE(Load(Header(P(9, "$ACADVER") + P(1, "AC1015") + P(9, "$HANDSEED") + P(5, seed)) + tables +
                       Section("ENTITIES", P(0, "LINE") + P(5, "2A") + P(8, "Walls")) + Eof()),
                  nullptr)
            << seed;
        uint64_t top = 0;
        bt_walk(
            dwg,
            [](const unsigned char *h, void *, void *ctx) {
                uint64_t *t = static_cast<uint64_t *>(ctx);
                if (HV(h) > *t) *t = HV(h);
            },
            &top);
        for (const unsigned char *h : dwg->scan.tablecontrol) top = std::max<uint64_t>(top, HV(h));
        top = std::max<uint64_t>(top, HV(dwg->vpenthdrcontrol));
        EXPECT_EQ(top, std::max<uint64_t>(0x3F0, HV(dwg->vpenthdrcontrol)));
        uint64_t handseed = HV(adHeaderPointer(dwg)->handseed);
        EXPECT_GT(handseed, top) << seed;
        EXPECT_GE(handseed, std::strtoull(seed, nullptr, 16)) << seed;
        AdObjhandle fresh;
        ASSERT_TRUE(adGenerateObjhandle(dwg, fresh));
        EXPECT_GT(HV(fresh), top) << seed;
    }
}

} // namespace
