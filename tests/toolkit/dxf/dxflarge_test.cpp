/* Drawings of many names: entity and object kinds the toolkit does not know
 * become proxies without made-up classes, class numbers stop before they
 * wrap, and tables and blocks of a hundred thousand records load with every
 * name found again. (How fast such drawings load is measured by
 * bench/load_bench, not here.) */
#include "toolkit/dxfhelpers.h"

namespace {

std::string Hex(long v)
{
    char b[20];
    std::snprintf(b, sizeof b, "%lX", v);
    return b;
}

class Large : public ToolkitTest {
protected:
    void TearDown() override
    {
        adCloseFile(dwg);
        ToolkitTest::TearDown();
    }
    AdDrawing *Load(const std::string &text)
    {
        adCloseFile(dwg);
        dwg = adLoadFile(TempFile(text).c_str(), 1, 0);
        return dwg;
    }
    AdDrawing *dwg = nullptr;
};

TEST_F(Large, UnknownEntityAndObjectNamesAreProxies)
{
    const int n = 33000;
    std::string ents, objs;
    for (int i = 0; i < n; ++i)
        ents += P(0, "KIND" + std::to_string(i)) + P(5, Hex(0x100 + i)) + P(8, "0") + P(70, "7");
    for (int i = 0; i < 100; ++i)
        objs += P(0, "OBJKIND" + std::to_string(i)) + P(5, Hex(0x10000 + i)) + P(90, "5");
    objs += P(0, "ACAD_PROXY_OBJECT") + P(5, "20000") + P(91, "600") + P(93, "0");
    ASSERT_NE(Load(Version("AC1015") + Section("ENTITIES", ents) + Section("OBJECTS", objs) + P(0, "EOF")),
              nullptr)
        << adError();
    EXPECT_EQ(adNumClasses(dwg), 0);
    std::vector<Ent> e = Entities(adModelSpaceEntityList(dwg));
    ASSERT_EQ(e.size(), static_cast<size_t>(n));
    for (int i : {0, 1, n / 2, n - 1}) {
        EXPECT_EQ(e[i].h.enttype, 498) << i;
        std::vector<AdBlobPair> pairs = Pairs(e[i]->proxy.pairblob);
        ASSERT_EQ(pairs.size(), 2u) << i;
        EXPECT_EQ(pairs[0].code, 0);
        EXPECT_EQ(std::string(pairs[0].text), "KIND" + std::to_string(i));
        EXPECT_EQ(pairs[1].code, 70);
        EXPECT_EQ(pairs[1].integer, 7);
    }
    int proxies = 0, foreign = 0;
    AdObjectHeader h;
    AdObjectRecord r;
    adStartObjectGet(dwg);
    while (adGetObject(dwg, &h, &r)) {
        if (h.objtype != AD_OBJ_PROXY) continue;
        ++proxies;
        std::vector<AdBlobPair> pairs = Pairs(r.proxy.pairblob);
        if (!pairs.empty() && pairs[0].code == 0 && std::string(pairs[0].text).rfind("OBJKIND", 0) == 0)
            ++foreign;
        if (HV(h.handle) == 0x20000) { EXPECT_EQ(r.proxy.classid, 600); }
    }
    EXPECT_EQ(proxies, 101);
    EXPECT_EQ(foreign, 100);
}

/* Class numbers run from 500 to 32,767; the classes beyond are left out
 * and their entities read as proxies. */
TEST_F(Large, ClassNumbersStopBeforeWrapping)
{
    const int n = 40000;
    std::string classes;
    for (int i = 0; i < n; ++i)
        classes += P(0, "CLASS") + P(1, "CLS" + std::to_string(i)) + P(2, "AcDbThing") + P(3, "App") +
                   P(90, "0") + P(280, "0") + P(281, "1");
    std::string ents = P(0, "CLS0") + P(5, "100") + P(8, "0") + P(0, "CLS39999") + P(5, "101") + P(8, "0") +
                       P(0, "LWPOLYLINE") + P(5, "102") + P(8, "0") + P(90, "1") + P(10, "1") + P(20, "2");
    ASSERT_NE(Load(Version("AC1015") + Section("CLASSES", classes) + Section("ENTITIES", ents) + P(0, "EOF")),
              nullptr)
        << adError();
    EXPECT_EQ(adNumClasses(dwg), 32768 - 500);
    AdClass k;
    adStartClassGet(dwg);
    int16_t last = 0;
    while (adGetClass(dwg, &k)) {
        ASSERT_GT(k.classnum, last);
        last = k.classnum;
    }
    EXPECT_EQ(last, 32767);
    std::vector<Ent> e = Entities(adModelSpaceEntityList(dwg));
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e[0].h.enttype, 500);
    EXPECT_EQ(e[1].h.enttype, 498);
    EXPECT_EQ(e[2].h.enttype, 498); /* no number left for its class either */
    EXPECT_EQ(adLwplineEnttype(dwg), 0);
}

/* Many layers and blocks: every name is found again, whatever its case,
 * entities reach their layers and inserts their blocks, and each block
 * definition its own header. */
TEST_F(Large, ManyLayersAndBlocks)
{
    const int n = 50000;
    std::string layers = P(0, "TABLE") + P(2, "LAYER") + P(5, "2") + P(70, std::to_string(n));
    for (int i = 0; i < n; ++i)
        layers += P(0, "LAYER") + P(5, Hex(0x100 + i)) + P(2, "Layer" + std::to_string(i)) + P(70, "0") +
                  P(62, std::to_string(i % 255 + 1)) + P(6, i % 2 ? "continuous" : "DASHED");
    layers += P(0, "ENDTAB");
    std::string ltypes = P(0, "TABLE") + P(2, "LTYPE") + P(5, "5") + P(0, "LTYPE") + P(5, "14") +
                         P(2, "CONTINUOUS") + P(70, "0") + P(0, "LTYPE") + P(5, "15") + P(2, "Dashed") +
                         P(70, "0") + P(0, "ENDTAB");
    std::string records = P(0, "TABLE") + P(2, "BLOCK_RECORD") + P(5, "1");
    std::string blocks;
    for (int i = 0; i < n; ++i) {
        std::string name = "B" + std::to_string(i);
        /* every other record names its block in another case; half of the
           BLOCKs give no owner and are matched by name */
        records += P(0, "BLOCK_RECORD") + P(5, Hex(0x100000 + i)) + P(2, i % 2 ? name : "b" + name.substr(1));
        blocks += P(0, "BLOCK") + P(5, Hex(0x200000 + i)) + (i % 2 ? P(330, Hex(0x100000 + i)) : "") +
                  P(8, "0") + P(2, name) + P(70, "0") + P(10, "0") + P(20, "0") + P(0, "LINE") +
                  P(5, Hex(0x300000 + i)) + P(8, "Layer" + std::to_string(i)) + P(10, "0") + P(20, "0") +
                  P(11, std::to_string(i)) + P(21, "1") + P(0, "ENDBLK") + P(5, Hex(0x400000 + i)) +
                  P(8, "0");
    }
    records += P(0, "ENDTAB");
    std::string ents;
    for (int i = 0; i < n; i += 997)
        ents += P(0, "INSERT") + P(5, Hex(0x500000 + i)) + P(8, "LAYER" + std::to_string(i)) +
                P(2, "b" + std::to_string(i)) + P(10, "0") + P(20, "0");
    ASSERT_NE(Load(Version("AC1015") + Section("TABLES", ltypes + layers + records) +
                   Section("BLOCKS", blocks) + Section("ENTITIES", ents) + P(0, "EOF")),
              nullptr)
        << adError();
    EXPECT_EQ(adNumLayers(dwg), n + 1);
    EXPECT_EQ(adNumBlockheaders(dwg), n + 2);
    for (int i = 0; i < n; i += 997) {
        AdObjhandle h;
        AdTableRecord r;
        ASSERT_TRUE(adFindLayerByName(dwg, ("lAyEr" + std::to_string(i)).c_str(), h)) << i;
        EXPECT_EQ(HV(h), 0x100u + i);
        ASSERT_TRUE(adSeekLayer(dwg, h, &r.layer));
        EXPECT_EQ(HV(r.layer.linetypehandle), i % 2 ? 0x14u : 0x15u) << i;
        ASSERT_TRUE(adFindBlockheaderByName(dwg, ("b" + std::to_string(i)).c_str(), h)) << i;
        EXPECT_EQ(HV(h), 0x100000u + i);
        ASSERT_TRUE(adSeekBlockheader(dwg, h, &r.blkh));
        EXPECT_EQ(HV(r.blkh.blockentityhandle), 0x200000u + i);
        std::vector<Ent> e = Entities(r.blkh.entitylist);
        ASSERT_EQ(e.size(), 3u) << i; /* BLOCK, LINE, ENDBLK */
        EXPECT_EQ(HV(e[1].h.layerhandle), 0x100u + i);
        EXPECT_EQ(e[1]->line.pt1[0], i);
    }
    std::vector<Ent> e = Entities(adModelSpaceEntityList(dwg));
    ASSERT_EQ(e.size(), static_cast<size_t>((n + 996) / 997));
    for (size_t k = 0; k < e.size(); ++k) {
        EXPECT_EQ(HV(e[k].h.layerhandle), 0x100u + 997 * k);
        EXPECT_EQ(HV(e[k]->insert.blockheaderhandle), 0x100000u + 997 * k);
    }
}

/* A name that two records share is found at the first of them, as a scan
 * of the list finds it; a replaced or deleted record is found no more under
 * its old name. */
TEST_F(Large, SharedNamesRenamesAndDeletions)
{
    std::string views = P(0, "TABLE") + P(2, "VIEW") + P(5, "6");
    for (int i = 0; i < 3; ++i) views += P(0, "VIEW") + P(5, Hex(0x60 + i)) + P(2, i < 2 ? "Front" : "Top");
    views += P(0, "ENDTAB");
    ASSERT_NE(Load(Version("AC1015") + Section("TABLES", views) + P(0, "EOF")), nullptr) << adError();
    AdObjhandle h;
    AdTableRecord r;
    ASSERT_TRUE(adFindViewByName(dwg, "FRONT", h));
    EXPECT_EQ(HV(h), 0x60u);
    ASSERT_TRUE(adSeekView(dwg, h, &r.view));
    std::strcpy(r.view.name, "Left");
    ASSERT_TRUE(adReplaceView(dwg, &r.view));
    ASSERT_TRUE(adFindViewByName(dwg, "front", h));
    EXPECT_EQ(HV(h), 0x61u);
    ASSERT_TRUE(adFindViewByName(dwg, "left", h));
    EXPECT_EQ(HV(h), 0x60u);
    ASSERT_TRUE(adDeleteView(dwg, h));
    EXPECT_FALSE(adFindViewByName(dwg, "Left", h));
    EXPECT_TRUE(adObjhandleIsNull(h));
    ASSERT_TRUE(adFindViewByName(dwg, "TOP", h));
    EXPECT_EQ(HV(h), 0x62u);
    AdView v{};
    std::strcpy(v.name, "Top");
    v.handle[7] = 0x70;
    ASSERT_TRUE(adAddView(dwg, &v));
    ASSERT_TRUE(adFindViewByName(dwg, "top", h));
    EXPECT_EQ(HV(h), 0x62u);
}

} // namespace
