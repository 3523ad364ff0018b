/* Drawings of many names: entity and object kinds the toolkit does not know
 * become proxies without made-up classes, class numbers stop before they
 * wrap, and tables and blocks of a hundred thousand records load with every
 * name found again. (How fast such drawings load is measured by
 * bench/load_bench, not here.) */
#include "toolkit/dxfhelpers.h"

namespace {

std::string P(int code, const std::string &value) { return std::to_string(code) + "\n" + value + "\n"; }
std::string Version(const char *v)
{
    return P(0, "SECTION") + P(2, "HEADER") + P(9, "$ACADVER") + P(1, v) + P(0, "ENDSEC");
}
std::string Section(const char *name, const std::string &body)
{
    return P(0, "SECTION") + P(2, name) + body + P(0, "ENDSEC");
}
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

} // namespace
