/* The drawing database: the handle B-tree, LL lists, blobs, compact entity
 * storage, the table, entity, object and class interfaces, extended data. */
#include <algorithm>
#include <cctype>
#include <cstring>
#include <ctime>
#include <random>
#include <set>
#include <string>

#include "toolkit/fixture.h"

namespace {

class Database : public ToolkitTest {
protected:
    void SetUp() override
    {
        ToolkitTest::SetUp();
        dwg = adEmptyFile();
        ASSERT_NE(dwg, nullptr);
    }
    void TearDown() override
    {
        adCloseFile(dwg);
        ToolkitTest::TearDown();
    }
    AdDrawing *dwg = nullptr;
};

TEST_F(Database, BtreeWithManyRandomHandles)
{
    std::mt19937_64 rng(42);
    std::set<uint64_t> keys;
    while (keys.size() < 100000) keys.insert(rng() >> (rng() % 48));
    std::vector<uint64_t> order(keys.begin(), keys.end());
    std::shuffle(order.begin(), order.end(), rng);
    unsigned char h[8];
    for (uint64_t k : order) {
        if (k == 0) continue;
        HS(k, h);
        ASSERT_EQ(bt_insert(dwg, h, reinterpret_cast<void *>(static_cast<uintptr_t>(k * 2 + 1))), 1);
    }
    keys.erase(0);
    EXPECT_EQ(bt_count(dwg), static_cast<long>(keys.size()));
    HS(*keys.rbegin(), h);
    EXPECT_EQ(std::memcmp(adin->largesthandle, h, 8), 0);
    /* a duplicate is refused and reported */
    HS(order[5] ? order[5] : order[6], h);
    EXPECT_EQ(bt_insert(dwg, h, nullptr), 2);
    EXPECT_EQ(adError(), 292);
    EXPECT_EQ(std::memcmp(adErrorObjhandle(), h, 8), 0);
    for (uint64_t k : keys) {
        HS(k, h);
        ASSERT_EQ(bt_search(dwg, h, dwg->btroot),
                  reinterpret_cast<void *>(static_cast<uintptr_t>(k * 2 + 1)));
    }
    HS(*keys.rbegin() + 1, h);
    EXPECT_EQ(bt_search(dwg, h, dwg->btroot), nullptr);
    /* iteration in ascending handle order */
    std::vector<uint64_t> walked;
    bt_walk(
        dwg,
        [](const unsigned char *k, void *, void *ctx) {
            static_cast<std::vector<uint64_t> *>(ctx)->push_back(HV(k));
        },
        &walked);
    EXPECT_TRUE(std::equal(walked.begin(), walked.end(), keys.begin(), keys.end()));
    /* delete every other key in random order */
    std::vector<uint64_t> gone;
    for (uint64_t k : order)
        if (k && (k & 1)) gone.push_back(k);
    for (uint64_t k : gone) {
        HS(k, h);
        ASSERT_EQ(bt_del(dwg, h), 1);
        keys.erase(k);
    }
    HS(gone[0], h);
    EXPECT_EQ(bt_del(dwg, h), 0);
    EXPECT_EQ(bt_count(dwg), static_cast<long>(keys.size()));
    for (uint64_t k : gone) {
        HS(k, h);
        ASSERT_EQ(bt_search(dwg, h, dwg->btroot), nullptr);
    }
    for (uint64_t k : keys) {
        HS(k, h);
        ASSERT_NE(bt_search(dwg, h, dwg->btroot), nullptr);
    }
    walked.clear();
    bt_walk(
        dwg,
        [](const unsigned char *k, void *, void *ctx) {
            static_cast<std::vector<uint64_t> *>(ctx)->push_back(HV(k));
        },
        &walked);
    EXPECT_TRUE(std::equal(walked.begin(), walked.end(), keys.begin(), keys.end()));
    for (uint64_t k : keys) {
        HS(k, h);
        ASSERT_EQ(bt_del(dwg, h), 1);
    }
    EXPECT_EQ(dwg->btroot, nullptr);
}

TEST_F(Database, Lists)
{
    LLList *l = LLCreate();
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(LLGetNumLinks(nullptr), 0);
    LLNode *a = LLAlloc(4);
    LLNode *b = LLAlloc(4);
    LLNode *c = LLAlloc(4);
    LLPutTail(l, b);
    EXPECT_EQ(LLGetHead(l), b);
    EXPECT_EQ(LLGetCurrent(l), b); /* the first tail insert sets the cursor */
    LLPutHead(l, a);
    LLPutTail(l, c);
    EXPECT_EQ(LLGetNumLinks(l), 3);
    LLRewindList(l);
    EXPECT_EQ(LLGetCurNode(l), a);
    EXPECT_EQ(LLNextNode(l), b);
    LLNode *d = LLAlloc(4);
    LLPutBefore(l, d); /* a d b c */
    EXPECT_EQ(a->next, d);
    EXPECT_EQ(LLDelNode(l), b); /* a d c, cursor on c */
    EXPECT_EQ(LLGetCurrent(l), c);
    ztvm_free(b);
    LLList *other = LLCreate();
    LLNode *x = LLAlloc(4);
    LLPutTail(other, x);
    EXPECT_EQ(LLSetCurNode(l, x), -1);
    EXPECT_EQ(LLSetCurNode(nullptr, a), -1);
    EXPECT_EQ(LLSetCurNode(l, d), 0);
    EXPECT_EQ(LLDelSpec(l, x), nullptr);
    EXPECT_EQ(LLDelTail(l), c);
    ztvm_free(c);
    EXPECT_EQ(LLGetTail(l), d);
    EXPECT_EQ(LLGetNumLinks(l), 2);
    LLDeleteList(l);
    LLDeleteList(other);
}

TEST_F(Database, BlobsAcrossChunks)
{
    AdBlob *b = adCreateBlobEx(16);
    AdBlobCursor *w = adStartBlobWrite(b);
    ASSERT_NE(w, nullptr);
    unsigned char h[8];
    HS(0x10F, h);
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(adWriteBlobByte(w, static_cast<unsigned char>(i)));
        ASSERT_TRUE(adWriteBlobDouble(w, i * 1.5));
        double p[3] = {1.0 * i, 2.0 * i, 3.0 * i};
        ASSERT_TRUE(adWriteBlob3Double(w, p));
        ASSERT_TRUE(adWriteBlobShort(w, static_cast<int16_t>(-i)));
        ASSERT_TRUE(adWriteBlobLong(w, i * 100000));
        ASSERT_TRUE(adWriteBlobObjhandle(w, h));
        ASSERT_TRUE(adWriteBlobString(w, "abc"));
    }
    long per = 1 + 8 + 24 + 2 + 4 + 8 + 4;
    EXPECT_EQ(adBlobTell(w), 50 * per);
    ASSERT_TRUE(adEndBlobWrite(w));
    EXPECT_EQ(adBlobSize(b), 50 * per);
    AdBlobCursor *r = adStartBlobRead(b);
    for (int i = 0; i < 50; ++i) {
        unsigned char c;
        double v, p[3];
        int16_t s;
        int32_t l;
        unsigned char hh[8];
        char str[8];
        ASSERT_TRUE(adReadBlobByte(r, &c));
        EXPECT_EQ(c, i);
        ASSERT_TRUE(adReadBlobDouble(r, &v));
        EXPECT_EQ(v, i * 1.5);
        ASSERT_TRUE(adReadBlob3Double(r, p));
        EXPECT_EQ(p[2], 3.0 * i);
        ASSERT_TRUE(adReadBlobShort(r, &s));
        EXPECT_EQ(s, -i);
        ASSERT_TRUE(adReadBlobLong(r, &l));
        EXPECT_EQ(l, i * 100000);
        ASSERT_TRUE(adReadBlobObjhandle(r, hh));
        EXPECT_EQ(HV(hh), 0x10Fu);
        ASSERT_TRUE(adReadBlobString(r, str, sizeof str));
        EXPECT_STREQ(str, "abc");
    }
    unsigned char c;
    EXPECT_FALSE(adReadBlobByte(r, &c)); /* nothing remains */
    ASSERT_TRUE(adBlobSeek(r, per + 1));
    double v;
    ASSERT_TRUE(adReadBlobDouble(r, &v));
    EXPECT_EQ(v, 1.5);
    EXPECT_FALSE(adBlobSeek(r, 50 * per + 1));
    ASSERT_TRUE(adRewindBlob(r));
    EXPECT_EQ(adBlobTell(r), 0);
    adEndBlobRead(r);
    /* append continues a partial last chunk */
    AdBlobCursor *a = adStartBlobAppend(b);
    ASSERT_TRUE(adWriteBlobString(a, "tail"));
    adEndBlobAppend(a);
    EXPECT_EQ(adBlobSize(b), 50 * per + 5);
    double nine = 9.0;
    ASSERT_TRUE(adBlobPatch(b, 1, &nine, 8));
    r = adStartBlobRead(b);
    adBlobSeek(r, 1);
    adReadBlobDouble(r, &v);
    EXPECT_EQ(v, 9.0);
    char str[8];
    adBlobSeek(r, 50 * per);
    ASSERT_TRUE(adReadBlobString(r, str, sizeof str));
    EXPECT_STREQ(str, "tail");
    adEndBlobRead(r);
    adDeleteBlob(b);
    EXPECT_EQ(adStartBlobRead(nullptr), nullptr);
    EXPECT_EQ(adError(), 162);
    EXPECT_EQ(adStartBlobWrite(nullptr), nullptr);
    EXPECT_EQ(adError(), 163);
}

TEST_F(Database, AcisLinesAndMtextBlock)
{
    AdBlob *b = adCreateBlobEx(8);
    AdBlobCursor *w = adStartBlobWrite(b);
    const char text[] = "first line\r\nsecond\nthird";
    adWriteBlobBytesLong(w, text, sizeof text - 1);
    adEndBlobWrite(w);
    AdBlobCursor *r = adStartBlobRead(b);
    char buf[64];
    int end;
    EXPECT_EQ(adReadAcisStringn(r, buf, sizeof buf, &end), 10);
    EXPECT_STREQ(buf, "first line");
    EXPECT_EQ(end, 1);
    EXPECT_EQ(adReadAcisStringn(r, buf, 3, &end), 3);
    EXPECT_EQ(end, 0);
    EXPECT_EQ(adReadAcisStringn(r, buf, sizeof buf, &end), 3);
    EXPECT_STREQ(buf, "ond");
    adRewindBlob(r);
    EXPECT_EQ(adReadMtextBlock(r, buf, sizeof buf), static_cast<long>(sizeof text - 1));
    EXPECT_STREQ(buf, text);
    adEndBlobRead(r);
    adDeleteBlob(b);
}

AdEntityHeader DefaultHeader(int type, uint64_t handle)
{
    AdEntityHeader h{};
    h.enttype = static_cast<int16_t>(type);
    HS(handle, h.handle);
    h.color = 256;
    h.extrusion[2] = 1.0;
    h.ltscale = 1.0;
    return h;
}

TEST_F(Database, CompactEntityDefaultsAreNotStored)
{
    AdEntityHeader h = DefaultHeader(AD_ENT_LINE, 0x2A);
    HS(0x10F, h.layerhandle);
    AdEntityRecord rec{};
    rec.line.pt1[0] = 5.0;
    LLNode *n = adPackEntity(dwg, &h, &rec);
    ASSERT_NE(n, nullptr);
    const unsigned char *p = static_cast<const unsigned char *>(LL_RECORD(n));
    uint16_t mask, varlen;
    std::memcpy(&mask, p + 11, 2);
    std::memcpy(&varlen, p + 13, 2);
    EXPECT_EQ(mask, 0);
    EXPECT_EQ(varlen, 0);
    EXPECT_EQ(p[15 + 2], 0x20); /* layer handle in 2 bytes, no linetype bytes */
    AdEntityHeader back;
    AdEntityRecord rb;
    std::memset(&rb, 0x55, sizeof rb);
    adUnpackEntity(n, &back, &rb);
    EXPECT_EQ(std::memcmp(&back, &h, sizeof h), 0);
    EXPECT_EQ(HV(back.layerhandle), 0x10Fu);
    EXPECT_EQ(rb.line.pt1[0], 5.0);
    EXPECT_EQ(rb.line.pt0[2], 0.0);
    ztvm_free(n);
}

TEST_F(Database, CompactEntityEveryFieldRoundTrips)
{
    AdEntityHeader h = DefaultHeader(AD_ENT_CIRCLE, 0x0102030405060708ull);
    HS(0xFFFFFFFFFFFFFFFFull, h.layerhandle);
    HS(0x1, h.ltypehandle);
    HS(0xABCDEF, h.xdicthandle);
    HS(0x10, h.plotstylehandle);
    h.thickness = -0.0; /* not the default bit pattern */
    h.color = 7;
    h.extrusion[0] = 1.0;
    h.extrusion[2] = 0.0;
    h.ltscale = 2.5;
    h.flags = AD_EHF_PAPERSPACE | AD_EHF_INVISIBLE;
    h.lineweight = 35;
    h.xdblob = reinterpret_cast<AdBlob *>(0x1234);
    h.datablob = reinterpret_cast<AdBlob *>(0x5678);
    h.numreactors = 3;
    h.reactorblob = reinterpret_cast<AdBlob *>(0x9ABC);
    AdEntityRecord rec{};
    rec.circle.pt0[1] = 2.0;
    rec.circle.radius = 4.0;
    LLNode *n = adPackEntity(dwg, &h, &rec);
    ASSERT_NE(n, nullptr);
    AdEntityHeader back;
    AdEntityRecord rb;
    adUnpackEntity(n, &back, &rb);
    EXPECT_EQ(std::memcmp(&back, &h, sizeof h), 0);
    EXPECT_EQ(rb.circle.radius, 4.0);
    ztvm_free(n);
}

TEST_F(Database, ShortVertexReadsBackWithZeros)
{
    AdEntityHeader h = DefaultHeader(AD_ENT_VERTEX, 0x30);
    AdEntityRecord rec{};
    rec.vertex.pt0[0] = 1.0;
    rec.vertex.flag = 32;
    LLNode *n = adPackEntity(dwg, &h, &rec);
    const unsigned char *p = static_cast<const unsigned char *>(LL_RECORD(n));
    uint16_t rl, fl;
    size_t at = 15 + 2 + 1;
    std::memcpy(&rl, p + at, 2);
    std::memcpy(&fl, p + at + 2, 2);
    EXPECT_EQ(fl, sizeof(AdEntVertex));
    EXPECT_LE(rl, offsetof(AdEntVertex, startwidth));
    AdEntityRecord rb;
    std::memset(&rb, 0x77, sizeof rb);
    adUnpackEntity(n, &h, &rb);
    EXPECT_EQ(rb.vertex.flag, 32);
    EXPECT_EQ(rb.vertex.bulge, 0.0);
    EXPECT_EQ(rb.vertex.polyfaceindex[3], 0);
    ztvm_free(n);
}

TEST_F(Database, EntityListEditing)
{
    LLList *list = dwg->mspace;
    AdEntityRecord rec{};
    for (uint64_t k = 1; k <= 5; ++k) {
        AdEntityHeader h = DefaultHeader(AD_ENT_POINT, 0x100 + k);
        rec.point.pt0[0] = static_cast<double>(k);
        ASSERT_TRUE(adAddEntityToList(dwg, list, &h, &rec));
    }
    EXPECT_EQ(adNumEntities(list), 5);
    /* a handle already indexed: refused, list unchanged */
    AdEntityHeader dup = DefaultHeader(AD_ENT_POINT, 0x103);
    EXPECT_FALSE(adAddEntityToList(dwg, list, &dup, &rec));
    EXPECT_EQ(adError(), 172);
    EXPECT_EQ(adNumEntities(list), 5);
    AdEntityHeader nul = DefaultHeader(AD_ENT_POINT, 0);
    EXPECT_FALSE(adAddEntityToList(dwg, list, &nul, &rec));
    EXPECT_EQ(adError(), 231);
    /* insert after the second */
    unsigned char after[8];
    HS(0x102, after);
    AdEntityHeader six = DefaultHeader(AD_ENT_LINE, 0x200);
    ASSERT_TRUE(adAddEntityToListAfter(dwg, list, after, &six, &rec));
    /* replace the fourth by a circle */
    unsigned char h4[8];
    HS(0x104, h4);
    AdEntityHeader circ = DefaultHeader(AD_ENT_CIRCLE, 0x104);
    AdEntityRecord crec{};
    crec.circle.radius = 9.0;
    ASSERT_TRUE(adReplaceEntity(dwg, list, h4, &circ, &crec));
    unsigned char h1[8];
    HS(0x101, h1);
    ASSERT_TRUE(adDeleteEntity(dwg, list, h1, 1));
    EXPECT_FALSE(adDeleteEntity(dwg, list, h1, 1));
    EXPECT_EQ(adError(), 152);
    std::vector<uint64_t> seen;
    AdEntityHeader eh;
    AdEntityRecord er;
    ASSERT_TRUE(adStartEntityGet(list));
    while (adGetEntity(list, &eh, &er)) seen.push_back(HV(eh.handle));
    EXPECT_EQ(seen, (std::vector<uint64_t>{0x102, 0x200, 0x103, 0x104, 0x105}));
    ASSERT_TRUE(adSeekEntity(dwg, list, h4, &eh, &er));
    EXPECT_EQ(eh.enttype, AD_ENT_CIRCLE);
    EXPECT_EQ(er.circle.radius, 9.0);
    ASSERT_TRUE(adGetEntity(list, &eh, &er)); /* the seek left the cursor after it */
    EXPECT_EQ(HV(eh.handle), 0x105u);
    EXPECT_FALSE(adSeekEntity(dwg, list, h1, &eh, &er));
    EXPECT_EQ(adError(), 303);
    EXPECT_FALSE(adSeekEntity(dwg, dwg->pspace, h4, &eh, &er));
    EXPECT_EQ(adError(), 304);
    EXPECT_FALSE(adStartEntityGet(nullptr));
}

/* Names are found whatever their case and length: short ones, ones of the
 * longest length kept beside the index and one more, long ones that differ
 * only in their last character, and a name two records share (the first
 * record is found), also after the index has grown many times. */
TEST_F(Database, TableNamesFoundWhateverTheirLengthAndCase)
{
    std::vector<std::string> names = {"0",
                                      "Walls",
                                      std::string(18, 'q'),
                                      std::string(19, 'q'),
                                      std::string(200, 'z') + "a",
                                      std::string(200, 'z') + "b"};
    for (int i = 0; i < 3000; ++i) names.push_back("Layer-" + std::to_string(i));
    names.push_back("walls"); /* the second record of that name */
    uint32_t handle = 0x100;
    for (const std::string &name : names) {
        AdLayer l{};
        std::strcpy(l.name, name.c_str());
        HS(handle++, l.handle);
        ASSERT_TRUE(adAddLayer(dwg, &l)) << name;
    }
    unsigned char h[8];
    for (size_t i = 0; i + 1 < names.size(); ++i) {
        std::string query = names[i];
        for (char &c : query) c = static_cast<char>(i % 2 ? std::toupper(c) : std::tolower(c));
        ASSERT_TRUE(adFindLayerByName(dwg, query.c_str(), h)) << query;
        EXPECT_EQ(HV(h), 0x100u + i) << query;
    }
    for (const std::string &absent : {std::string(17, 'q'), std::string(20, 'q'), std::string(200, 'z') + "c",
                                      std::string("Layer-3000"), std::string("Wall")})
        EXPECT_FALSE(adFindLayerByName(dwg, absent.c_str(), h)) << absent;
}

TEST_F(Database, TableFamilies)
{
    AdLayer l{};
    std::strcpy(l.name, "WALLS");
    HS(0x10, l.handle);
    l.color = 3;
    ASSERT_TRUE(adAddLayer(dwg, &l));
    std::strcpy(l.name, "0");
    HS(0x11, l.handle);
    ASSERT_TRUE(adAddLayer(dwg, &l));
    EXPECT_FALSE(adAddLayer(dwg, &l));
    EXPECT_EQ(adError(), 172);
    EXPECT_EQ(adNumLayers(dwg), 2);
    unsigned char h[8];
    ASSERT_TRUE(adFindLayerByName(dwg, "walls", h));
    EXPECT_EQ(HV(h), 0x10u);
    EXPECT_FALSE(adFindLayerByName(dwg, "missing", h));
    EXPECT_TRUE(adObjhandleIsNull(h));
    AdLayer got;
    ASSERT_TRUE(adStartLayerGet(dwg));
    ASSERT_TRUE(adGetLayer(dwg, &got));
    EXPECT_STREQ(got.name, "WALLS");
    ASSERT_TRUE(adGetLayer(dwg, &got));
    EXPECT_FALSE(adGetLayer(dwg, &got));
    ASSERT_TRUE(adStartLayerGet(dwg));
    ASSERT_TRUE(adGetLayer(dwg, &got));
    EXPECT_STREQ(got.name, "WALLS");
    got.color = -3;
    ASSERT_TRUE(adReplaceLayer(dwg, &got));
    HS(0x10, h);
    AdLayer sought;
    ASSERT_TRUE(adSeekLayer(dwg, h, &sought));
    EXPECT_EQ(sought.color, -3);
    /* a layer handle is not a linetype */
    AdLinetype lt;
    EXPECT_FALSE(adSeekLinetype(dwg, h, &lt));
    EXPECT_EQ(adError(), 304);
    ASSERT_TRUE(adDeleteLayer(dwg, h));
    EXPECT_FALSE(adSeekLayer(dwg, h, &sought));
    EXPECT_EQ(adError(), 303);
    EXPECT_FALSE(adDeleteLayer(dwg, h));
    EXPECT_EQ(adError(), 104);
    HS(0x99, got.handle);
    EXPECT_FALSE(adReplaceLayer(dwg, &got));
    EXPECT_EQ(adError(), 303);

    AdBlockheader b{};
    std::strcpy(b.name, "DOOR");
    HS(0x20, b.handle);
    b.entitylist = LLCreate();
    ASSERT_TRUE(adAddBlockheader(dwg, &b));
    AdEntityHeader eh = DefaultHeader(AD_ENT_LINE, 0x21);
    AdEntityRecord er{};
    HS(0x20, h);
    AdEntityList el = adEntityList(dwg, h);
    ASSERT_EQ(el, b.entitylist);
    EXPECT_EQ(adError(), 0);
    ASSERT_TRUE(adAddEntityToList(dwg, el, &eh, &er));
    HS(0x77, h);
    EXPECT_EQ(adEntityList(dwg, h), nullptr);
    EXPECT_EQ(adError(), 73);
    /* longer texts than the header was stored with, then shorter ones: the
       header keeps its handle, list, place and entities either way */
    HS(0x20, h);
    const long headers = adNumBlockheaders(dwg);
    for (const char *name : {"DOOR-WITH-A-MUCH-LONGER-NAME", "D"}) {
        AdBlockheader r;
        ASSERT_TRUE(adSeekBlockheader(dwg, h, &r));
        std::strcpy(r.name, name);
        std::memset(r.xrefpath, 'p', AD_NAME_LEN - 1);
        std::strcpy(r.description, name);
        r.flag = 4;
        ASSERT_TRUE(adReplaceBlockheader(dwg, &r));
        AdBlockheader back;
        ASSERT_TRUE(adSeekBlockheader(dwg, h, &back));
        EXPECT_STREQ(back.name, name);
        EXPECT_EQ(std::string(back.xrefpath), std::string(AD_NAME_LEN - 1, 'p'));
        EXPECT_STREQ(back.description, name);
        EXPECT_EQ(back.flag, 4);
        EXPECT_EQ(adEntityList(dwg, h), el);
        EXPECT_STREQ(adBlockheaderName(dwg, h), name);
        unsigned char found[8];
        ASSERT_TRUE(adFindBlockheaderByName(dwg, name, found));
        EXPECT_EQ(std::memcmp(found, h, 8), 0);
        EXPECT_EQ(adNumBlockheaders(dwg), headers);
    }
    ASSERT_TRUE(adDeleteBlockheader(dwg, h)); /* its entities go with it */
    HS(0x21, h);
    EXPECT_EQ(bt_search(dwg, h, dwg->btroot), nullptr);
}

TEST_F(Database, ObjectsClassesAndKinds)
{
    AdClass c{};
    c.classnum = 500;
    std::strcpy(c.dxfname, "LWPOLYLINE");
    ASSERT_TRUE(adAddClass(dwg, &c));
    c.classnum = adNextClassnum(dwg);
    EXPECT_EQ(c.classnum, 501);
    std::strcpy(c.dxfname, "HATCH");
    ASSERT_TRUE(adAddClass(dwg, &c));
    EXPECT_EQ(adLwplineEnttype(dwg), 500);
    EXPECT_EQ(adHatchEnttype(dwg), 501);
    EXPECT_EQ(adImageEnttype(dwg), 0);
    EXPECT_TRUE(adIsSupportedProxyEntType(dwg, 501));
    EXPECT_FALSE(adIsSupportedProxyEntType(dwg, 502));
    EXPECT_EQ(adEntityRecordSize(dwg, 500), sizeof(AdEntLwpline));
    EXPECT_EQ(adEntityRecordSize(dwg, 777), sizeof(AdEntProxy));
    char name[AD_NAME_LEN];
    ASSERT_TRUE(adGetClassNameFromId(dwg, 501, name));
    EXPECT_STREQ(name, "HATCH");
    EXPECT_EQ(adNumClasses(dwg), 2);
    ASSERT_TRUE(adDeleteClass(dwg, 500));
    EXPECT_FALSE(adDeleteClass(dwg, 500));
    EXPECT_EQ(adError(), 180);

    /* an LWPOLYLINE with its vertex blob, stored and freed with the drawing */
    c.classnum = 500;
    std::strcpy(c.dxfname, "LWPOLYLINE");
    adAddClass(dwg, &c);
    AdEntityHeader eh = DefaultHeader(500, 0x40);
    AdEntityRecord er{};
    er.lwpline.numverts = 2;
    er.lwpline.vertblob = adCreateBlobEx(4096);
    AdBlobCursor *w = adStartBlobWrite(er.lwpline.vertblob);
    double pts[4] = {0, 0, 1, 1};
    adWriteBlobBytesLong(w, pts, sizeof pts);
    adEndBlobWrite(w);
    ASSERT_TRUE(adAddEntityToList(dwg, dwg->mspace, &eh, &er));

    AdObjectHeader oh{};
    AdObjectRecord orec{};
    oh.objtype = AD_OBJ_DICTIONARY;
    HS(0xC, oh.handle);
    orec.dict.numitems = 1;
    orec.dict.itemblob = adCreateBlobEx(4096);
    unsigned char item[8];
    HS(0xD, item);
    w = adStartBlobWrite(orec.dict.itemblob);
    adWriteDicItem(w, "ACAD_GROUP", item);
    adEndBlobWrite(w);
    ASSERT_TRUE(adAddObject(dwg, &oh, &orec));
    AdObjectHeader gh;
    AdObjectRecord gr;
    ASSERT_TRUE(adStartObjectGet(dwg));
    ASSERT_TRUE(adGetObject(dwg, &gh, &gr));
    EXPECT_EQ(gh.objtype, AD_OBJ_DICTIONARY);
    AdBlobCursor *r = adStartBlobRead(gr.dict.itemblob);
    unsigned char got[8];
    ASSERT_TRUE(adReadDicItem(r, name, sizeof name, got));
    EXPECT_STREQ(name, "ACAD_GROUP");
    EXPECT_EQ(HV(got), 0xDu);
    adEndBlobRead(r);
    EXPECT_FALSE(adGetObject(dwg, &gh, &gr));
    oh.objtype = AD_OBJ_GROUP;
    EXPECT_FALSE(adReplaceObject(dwg, &oh, &orec));
    EXPECT_EQ(adError(), 205);
    ASSERT_TRUE(adSeekObject(dwg, oh.handle, &gh, &gr));
    EXPECT_EQ(adNumObjects(dwg), 1);
    ASSERT_TRUE(adDeleteObject(dwg, oh.handle));
    EXPECT_EQ(adNumObjects(dwg), 0);
}

TEST_F(Database, ExtendedDataItems)
{
    AdBlob *b = adCreateBlobEx(32);
    AdBlobCursor *w = adStartBlobWrite(b);
    AdXdataItem it{};
    it.code = 1001;
    HS(0x12, it.v.handle);
    ASSERT_TRUE(adWriteExtendeddata(w, &it));
    it = AdXdataItem{};
    it.code = 1000;
    it.codepage = 30;
    std::strcpy(it.v.str, "some text");
    ASSERT_TRUE(adWriteExtendeddata(w, &it));
    EXPECT_EQ(it.length, 9);
    it = AdXdataItem{};
    it.code = 1010;
    it.v.pt[0] = 1;
    it.v.pt[2] = 3;
    ASSERT_TRUE(adWriteExtendeddata(w, &it));
    it = AdXdataItem{};
    it.code = 1004;
    it.length = 3;
    it.v.bytes[2] = 0xEE;
    ASSERT_TRUE(adWriteExtendeddata(w, &it));
    it = AdXdataItem{};
    it.code = 1071;
    it.v.i32 = -9;
    ASSERT_TRUE(adWriteExtendeddata(w, &it));
    it.code = 1099;
    EXPECT_FALSE(adWriteExtendeddata(w, &it));
    adEndBlobWrite(w);
    AdBlobCursor *r = adStartBlobRead(b);
    AdXdataItem g;
    ASSERT_TRUE(adReadExtendeddata(r, &g));
    EXPECT_EQ(g.code, 1001);
    EXPECT_EQ(HV(g.v.handle), 0x12u);
    ASSERT_TRUE(adReadExtendeddata(r, &g));
    EXPECT_STREQ(g.v.str, "some text");
    EXPECT_EQ(g.codepage, 30);
    ASSERT_TRUE(adReadExtendeddata(r, &g));
    EXPECT_EQ(g.v.pt[2], 3.0);
    ASSERT_TRUE(adReadExtendeddata(r, &g));
    EXPECT_EQ(g.length, 3);
    EXPECT_EQ(g.v.bytes[2], 0xEE);
    ASSERT_TRUE(adReadExtendeddata(r, &g));
    EXPECT_EQ(g.v.i32, -9);
    EXPECT_FALSE(adReadExtendeddata(r, &g));
    adEndBlobRead(r);
    adDeleteBlob(b);
}

TEST_F(Database, EntityTypeNames)
{
    char t[16];
    getenttypestr(1, t);
    EXPECT_STREQ(t, "LINE");
    getenttypestr(35, t);
    EXPECT_STREQ(t, "BODY");
    getenttypestr(18, t);
    EXPECT_STREQ(t, "NONE");
    getenttypestr(33, t);
    EXPECT_STREQ(t, "NONE");
    getenttypestr(151, t);
    EXPECT_STREQ(t, "PROXY");
}

} // namespace

namespace {

class BlobReaders : public ToolkitTest {};

TEST_F(BlobReaders, HatchPatternAndStyleElements)
{
    AdBlob *b = adCreateBlobEx(16);
    AdBlobCursor *w = adStartBlobWrite(b);
    double base[2] = {1, 2}, off[2] = {0, 0.125};
    for (int16_t n : {int16_t{2}, int16_t{0}}) {
        adWriteBlobDouble(w, 0.5);
        adWriteBlob2Double(w, base);
        adWriteBlob2Double(w, off);
        adWriteBlobShort(w, n);
        for (int i = 0; i < n; ++i) adWriteBlobDouble(w, i + 0.25);
    }
    adEndBlobWrite(w);
    AdHatchPatternLine *lines = adReadHatchPattern(b, 2);
    ASSERT_NE(lines, nullptr);
    EXPECT_EQ(lines[0].numdashes, 2);
    EXPECT_EQ(lines[0].dashes[1], 1.25);
    EXPECT_EQ(lines[1].offset[1], 0.125);
    EXPECT_EQ(lines[1].dashes, nullptr);
    adDisposeHatchPattern(lines, 2);
    EXPECT_EQ(adReadHatchPattern(b, 3), nullptr); /* more lines than the blob holds */
    adDeleteBlob(b);

    b = adCreateBlobEx(8);
    w = adStartBlobWrite(b);
    AdMlstyleSeginfo s{0.5, 1, 2};
    ASSERT_TRUE(adWriteMlstyleSeginfo(w, &s));
    adEndBlobWrite(w);
    AdBlobCursor *r = adStartProxyDataRead(b);
    AdMlstyleSeginfo g{};
    ASSERT_TRUE(adReadMlstyleSeginfo(r, &g));
    EXPECT_EQ(g.offset, 0.5);
    EXPECT_EQ(g.ltypeindex, 2);
    adRewindBlob(r);
    int32_t lo;
    ASSERT_TRUE(adReadProxyDataInt32(r, &lo)); /* little-endian bytes of 0.5 */
    EXPECT_EQ(lo, 0);
    adEndProxyDataRead(r);
    adDeleteBlob(b);
}

} // namespace

namespace {

class LoadPasses : public ToolkitTest {};

TEST_F(LoadPasses, ExtendedDataNamesBecomeHandles)
{
    AdDrawing *d = adEmptyFile();
    d->header = static_cast<AdHeader *>(ztmem_malloc(sizeof(AdHeader)));
    AdRegapp app{};
    std::strcpy(app.name, "ACAD");
    HS(0x12, app.handle);
    ASSERT_TRUE(adAddRegapp(d, &app));
    AdLayer lay{};
    std::strcpy(lay.name, "Walls");
    HS(0x34, lay.handle);
    ASSERT_TRUE(adAddLayer(d, &lay));
    AdBlob *b = adCreateBlobEx(5); /* handles straddle chunks */
    AdBlobCursor *w = adStartBlobWrite(b);
    unsigned char junk[24];
    std::memset(junk, 0xAA, sizeof junk);
    adWriteBlobBytesLong(w, junk, sizeof junk);
    adEndBlobWrite(w);
    ASSERT_TRUE(adaddxdresolve(d, AD_XDR_APP, b, 0, "acad"));
    ASSERT_TRUE(adaddxdresolve(d, AD_XDR_LAYER, b, 8, "WALLS"));
    ASSERT_TRUE(adaddxdresolve(d, AD_XDR_LAYER, b, 16, "missing"));
    ASSERT_TRUE(finalxdresolve(d));
    EXPECT_EQ(d->xdresolve, nullptr);
    AdBlobCursor *r = adStartBlobRead(b);
    unsigned char h[8];
    adReadBlobObjhandle(r, h);
    EXPECT_EQ(HV(h), 0x12u);
    adReadBlobObjhandle(r, h);
    EXPECT_EQ(HV(h), 0x34u);
    adReadBlobObjhandle(r, h);
    EXPECT_TRUE(adObjhandleIsNull(h));
    adEndBlobRead(r);
    adDeleteBlob(b);
    adCloseFile(d);
}

TEST_F(LoadPasses, UniversalTimesFromLocalOnes)
{
    const char *old = std::getenv("TZ");
    std::string saved = old ? old : "";
    setenv("TZ", "XYZ-2", 1); /* two hours east of Greenwich, no daylight saving */
    tzset();
    AdDrawing *d = adEmptyFile();
    d->header = static_cast<AdHeader *>(ztmem_malloc(sizeof(AdHeader)));
    d->header->tdcreate[0] = 2447893;       /* 1 January 1990 */
    d->header->tdcreate[1] = 3600000 + 250; /* 01:00:00.250 local */
    d->header->tdupdate[0] = 2447893;
    d->header->tdupdate[1] = 5;
    d->header->tduupdate[0] = 7; /* already given: kept */
    localToUniversal(d);
    EXPECT_EQ(d->header->tducreate[0], 2447892);
    EXPECT_EQ(d->header->tducreate[1], 23 * 3600000 + 250);
    EXPECT_EQ(d->header->tduupdate[0], 7);
    adCloseFile(d);
    if (old)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST_F(LoadPasses, OldFitSettingsAreSplit)
{
    AdDrawing *d = adEmptyFile();
    d->version = AD_ACAD14;
    AdDimstyle s{};
    std::strcpy(s.name, "Standard");
    HS(0x50, s.handle);
    s.dimatfit = 5;
    adAddDimstyle(d, &s);
    resolveDimstyles(d);
    AdDimstyle g;
    ASSERT_TRUE(adSeekDimstyle(d, s.handle, &g));
    EXPECT_EQ(g.dimatfit, 3);
    EXPECT_EQ(g.dimtmove, 2);
    adCloseFile(d);
}

} // namespace
