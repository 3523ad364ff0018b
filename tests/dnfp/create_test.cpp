/* Entity creation under handles and the handle map, called directly, and the
 * block record table built from the block list. */
#include "mapping_fixture.h"

using namespace maptest;

namespace {

class Create : public MappingTest {
protected:
    void SetUp() override
    {
        MappingTest::SetUp();
        dnfp__EntPtrTree = otm_CreateTree(0, int(sizeof(DnfpHandleEntry)), dnfp__CompareHandleText, nullptr);
        mda_SetCurModel(model);
    }
    void TearDown() override
    {
        otm_DeleteTree(0, dnfp__EntPtrTree);
        dnfp__EntPtrTree = nullptr;
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
    EXPECT_EQ(otm_GetCount(dnfp__EntPtrTree), 0);
    EXPECT_EQ(dnfp__ObjHandleBeenCreated(H(0)), 0u);
    mda_UnlockEntity(0, a);
    mda_UnlockEntity(0, b);
    db_ptr none = 1;
    EXPECT_EQ(dnfp__GetPtrFromHandle("000", &none), 0);
    EXPECT_EQ(none, 0u);
    EXPECT_EQ(dnfp__GetPtrFromHandle("", &none), 0);
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

TEST(HandleMap, ComparisonIsTheOrderOfTheTexts)
{
    const char *texts[] = {"",
                           "0",
                           "1",
                           "1F",
                           "1F0",
                           "2",
                           "A",
                           "A0",
                           "FFFFFFFFFFFFFFFF",
                           "FFFFFFFFFFFFFFFE",
                           "10000",
                           "ABCDEF0123456789",
                           "9",
                           "B"};
    for (const char *a : texts) {
        for (const char *b : texts) {
            DnfpHandleEntry x, y;
            memset(&x, 0, sizeof x);
            memset(&y, 0, sizeof y);
            strcpy(x.text, a);
            strcpy(y.text, b);
            x.value = 1; /* the value takes no part */
            int expected = strcmp(a, b);
            expected = expected < 0 ? -1 : expected > 0 ? 1 : 0;
            EXPECT_EQ(dnfp__CompareHandleText(&x, &y), expected) << a << " " << b;
        }
    }
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
                  dnfp__GetPtrFromHandle("40", &door);
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
