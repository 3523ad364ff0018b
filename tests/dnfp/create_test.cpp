/* Entity creation under handles and the handle map, called directly, and the
 * block record table built from the block list. */
#include <map>

#include "mapping_fixture.h"

using namespace maptest;

namespace {

class Create : public MappingTest {
protected:
    void SetUp() override
    {
        MappingTest::SetUp();
        dnfp__EntPtrMap = dnfp__NewHandleMap();
        mda_SetCurModel(model);
    }
    void TearDown() override
    {
        dnfp__FreeHandleMap(dnfp__EntPtrMap);
        dnfp__EntPtrMap = nullptr;
        MappingTest::TearDown();
    }

    void *NewLine()
    {
        void *mem = nullptr;
        EXPECT_EQ(mda_MallocEntity2(0, model, DXFI_TF_dxf_line, &mem), 0);
        return mem;
    }
};

TEST_F(Create, ReferenceFirstThenTheEntityAtTheSamePointer)
{
    db_ptr reference = 0;
    ASSERT_EQ(dnfp__GetPtrFromObjHandle(H(0x2A), &reference), 0);
    ASSERT_NE(reference, 0u);
    EXPECT_FALSE(mda_IsValidDbptr(reference));
    EXPECT_EQ(dnfp__ObjHandleBeenCreated(H(0x2A)), reference);
    void *mem = NewLine();
    db_ptr created = 0;
    int made = 0;
    ASSERT_EQ(dnfp__CreateEntity(0, H(0x2A), nullptr, mem, &created, &made), 0);
    EXPECT_EQ(made, 1);
    EXPECT_EQ(created, reference);
    EXPECT_TRUE(mda_IsValidDbptr(created));
    EXPECT_STREQ(static_cast<dxf_line *>(mem)->dxfsubhdr.handle, "2A");
    EXPECT_EQ(mda_UnlockEntity(MDA_UNLOCK_MODIFIED, created), 0);

    /* a second record under the same handle is dropped silently */
    void *again = NewLine();
    db_ptr out = 0;
    ASSERT_EQ(dnfp__CreateEntity(0, H(0x2A), nullptr, again, &out, &made), 0);
    EXPECT_EQ(made, 0);
    EXPECT_EQ(out, created);
    mda_FreeEntity(0, again);
    EXPECT_EQ(mpm_GetLastError(), 0);
}

TEST_F(Create, NullHandleGetsANewPointerEachTime)
{
    db_ptr a = 0, b = 0;
    int made = 0;
    ASSERT_EQ(dnfp__CreateEntity(0, H(0), nullptr, NewLine(), &a, &made), 0);
    EXPECT_EQ(made, 1);
    ASSERT_EQ(dnfp__CreateEntity(0, H(0), nullptr, NewLine(), &b, &made), 0);
    EXPECT_NE(a, b);
    EXPECT_EQ(dnfp__HandleMapCount(dnfp__EntPtrMap), 0u);
    EXPECT_EQ(dnfp__ObjHandleBeenCreated(H(0)), 0u);
    mda_UnlockEntity(0, a);
    mda_UnlockEntity(0, b);
    db_ptr none = 1;
    EXPECT_EQ(dnfp__GetPtrFromObjHandle(nullptr, &none), 0);
    EXPECT_EQ(none, 0u);
}

TEST_F(Create, HandleOfADeletedEntityIsADuplicate)
{
    db_ptr first = 0;
    int made = 0;
    ASSERT_EQ(dnfp__CreateEntity(0, H(0x77), nullptr, NewLine(), &first, &made), 0);
    mda_UnlockEntity(0, first);
    ASSERT_EQ(mda_DeleteEntity(2, first), 0);
    void *mem = NewLine();
    db_ptr second = 0;
    ASSERT_EQ(dnfp__CreateEntity(0, H(0x77), nullptr, mem, &second, &made), 0);
    EXPECT_EQ(made, 1);
    EXPECT_TRUE(mda_IsValidDbptr(second)); /* a new pointer (the freed index may be reused) */
    EXPECT_STREQ(static_cast<dxf_line *>(mem)->dxfsubhdr.handle, "");
    EXPECT_NE(printed().find("The handle, 77, is duplicated within the given input file."), std::string::npos)
        << printed();
    mda_UnlockEntity(0, second);
}

TEST_F(Create, TableEntriesHaveNoSubHeaderText)
{
    void *mem = nullptr;
    ASSERT_EQ(mda_MallocEntity2(0, model, DXFI_TF_dxf_layer_table_data, &mem), 0);
    strcpy(static_cast<dxf_layer_table_data *>(mem)->entry_name, "Kept");
    db_ptr p = 0;
    int made = 0;
    ASSERT_EQ(dnfp__CreateEntity(0, H(0x10), nullptr, mem, &p, &made), 0);
    EXPECT_STREQ(static_cast<dxf_layer_table_data *>(mem)->entry_name, "Kept");
    EXPECT_EQ(static_cast<dxf_layer_table_data *>(mem)->dxfxed.napps, 0);
    mda_UnlockEntity(0, p);
}

TEST_F(Create, GroupIdentifiersCompareAsUnsignedWords)
{
    uint32_t a[2] = {1, 9}, b[2] = {0x80000000u, 0}, c[2] = {1, 0};
    EXPECT_EQ(dnfp__CompGrpIDs(a, b), -1);
    EXPECT_EQ(dnfp__CompGrpIDs(b, a), 1);
    EXPECT_EQ(dnfp__CompGrpIDs(a, c), 0);
}

/* Keys as a drawing gives them (ascending runs, the extremes, scattered
 * large numbers), enough to make the table grow several times and moved
 * midway by a reservation, checked against std::map; the null handle is a
 * key like any other. */
TEST(HandleMap, EnteredKeysAreFoundWithTheirValuesThroughGrowth)
{
    DnfpHandleMap *map = dnfp__NewHandleMap();
    ASSERT_NE(map, nullptr);
    std::map<uint64_t, uint32_t> expected;
    std::vector<uint64_t> keys = {0, 1, ~0ull, ~0ull - 1, 0x8000000000000000ull};
    for (uint64_t k = 0x100; k < 0x100 + 20000; ++k) keys.push_back(k);
    uint64_t x = 88172645463325252ull;
    for (int i = 0; i < 20000; ++i) {
        x ^= x << 13, x ^= x >> 7, x ^= x << 17;
        keys.push_back(x & (i % 2 ? ~0ull : 0xFFFFF000ull));
    }
    dnfp__ReserveHandleMap(map, SIZE_MAX); /* no room for that: the map stays as it is */
    for (size_t i = 0; i < keys.size(); ++i) {
        const uint64_t k = keys[i];
        if (i == keys.size() / 2) dnfp__ReserveHandleMap(map, keys.size());
        int added = -1;
        uint32_t *value = dnfp__HandleMapEnter(map, k, &added);
        ASSERT_NE(value, nullptr);
        const bool fresh = expected.find(k) == expected.end();
        EXPECT_EQ(added, fresh ? 1 : 0) << k;
        if (fresh) {
            EXPECT_EQ(*value, 0u);
            *value = uint32_t(expected.size() + 1);
            expected[k] = *value;
        }
    }
    EXPECT_EQ(dnfp__HandleMapCount(map), expected.size());
    for (const auto &kv : expected) {
        const uint32_t *found = dnfp__HandleMapFind(map, kv.first);
        ASSERT_NE(found, nullptr) << kv.first;
        EXPECT_EQ(*found, kv.second) << kv.first;
    }
    for (uint64_t absent : {uint64_t(0xFF), uint64_t(0x100 + 20000), uint64_t(0x7FFFFFFFFFFFFFFF)})
        if (!expected.count(absent)) { EXPECT_EQ(dnfp__HandleMapFind(map, absent), nullptr) << absent; }
    dnfp__FreeHandleMap(map);

    DnfpHandleMap *empty = dnfp__NewHandleMap();
    EXPECT_EQ(dnfp__HandleMapFind(empty, 0), nullptr);
    EXPECT_EQ(dnfp__HandleMapFind(empty, 5), nullptr);
    dnfp__FreeHandleMap(empty);
}

TEST(HandleMap, NumberOfAHandleIsItsBytesBigEndian)
{
    EXPECT_EQ(dnfp__HandleNumber(H(0x1F)), 0x1Fu);
    EXPECT_EQ(dnfp__HandleNumber(H(0x0123456789ABCDEFull)), 0x0123456789ABCDEFull);
    EXPECT_EQ(dnfp__HandleNumber(nullptr), 0u);
}

TEST_F(Create, FinishingAFailedMapperFreesItsRecord)
{
    db_ptr out = 5;
    void *mem = NewLine();
    EXPECT_EQ(dnfp__FinishEntity(DNFP_TREE_ERR, mem, &out, 0, __FILE__, __LINE__), DNFP_TREE_ERR);
    EXPECT_EQ(out, 0u);
    MdaModelInfo info;
    mda_GetModelInfo(model, &info);
    EXPECT_EQ(info.nentities, 1); /* only the header */
}

class BlockRecords : public MappingTest {};

TEST_F(BlockRecords, TableFromTheBlockList)
{
    static db_ptr door = 0;
    ASSERT_EQ(Parse([](Drawing &g) {
                  g.Control(AD_TBL_BLOCK_RECORD, 0x1);
                  DnfpBlockRecord r;
                  memset(&r, 0, sizeof r);
                  dnfp__GetPtrFromObjHandle(H(0x40), &door);
                  r.block = door;
                  strcpy(r.name, "Door");
                  strcpy(r.handle, "41");
                  olm_AddObject(0, dnfp__BlockList, OLM_LAST, &r);
                  strcpy(r.name, "Window");
                  strcpy(r.handle, "43");
                  r.block = 0;
                  olm_AddObject(0, dnfp__BlockList, OLM_LAST, &r);
              }),
              0)
        << printed();
    auto tables = All(DXFI_TF_dxf_block_record_table);
    ASSERT_EQ(tables.size(), 1u);
    /* the drawing's own paper-space block is listed after the two */
    auto entries = All(DXFI_TF_dxf_block_record_table_data);
    ASSERT_EQ(entries.size(), 3u);
    Locked<dxf_block_record_table>(tables[0], [&](dxf_block_record_table &t) {
        EXPECT_STREQ(t.name, "BLOCK_RECORD");
        EXPECT_STREQ(t.dxfsubhdr.handle, "1");
        ASSERT_EQ(t.num_entries, 3);
        const db_ptr *p = static_cast<const db_ptr *>(mda_Deref(t.table_data));
        for (int i = 0; i < 3; ++i) EXPECT_EQ(p[i], entries[i]);
    });
    dxf_block_record_table_data d = Read<dxf_block_record_table_data>(entries[0]);
    EXPECT_STREQ(d.entry_handle, "41");
    EXPECT_STREQ(d.block_name, "Door");
    EXPECT_EQ(d.block_ptr, door);
    EXPECT_STREQ(Read<dxf_block_record_table_data>(entries[1]).block_name, "Window");
    EXPECT_STREQ(Read<dxf_block_record_table_data>(entries[2]).block_name, "*PAPER_SPACE");
}

} // namespace
