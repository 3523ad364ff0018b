/* Object lists: insertion positions, cycling, removal during iteration,
 * node reuse and the recorded errors. */
#include "../kernel_fixture.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "kernel/ugn/ugn.h"

namespace {

class OlmTest : public vyrtest::KernelTest {
protected:
    std::vector<int> cycle(OlmList *l)
    {
        std::vector<int> out;
        while (int *p = static_cast<int *>(olm_CycleList(0, l))) out.push_back(*p);
        return out;
    }
    OlmList *list(int block = 4)
    {
        OlmList *l = olm_CreateList(0, sizeof(int), block, nullptr);
        EXPECT_NE(l, nullptr);
        return l;
    }
    void add(OlmList *l, int pos, int v) { ASSERT_NE(olm_AddObject(0, l, pos, &v), nullptr); }
};

TEST_F(OlmTest, FrontAndBackInsertion)
{
    OlmList *a = list(), *b = list();
    for (int i = 1; i <= 3; ++i) {
        add(a, OLM_FIRST, i);
        add(b, OLM_LAST, i);
    }
    EXPECT_EQ(cycle(a), (std::vector<int>{3, 2, 1}));
    EXPECT_EQ(cycle(b), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(olm_GetCount(a), 3);
    olm_DeleteList(0, a);
    olm_DeleteList(0, b);
}

TEST_F(OlmTest, NumberedAndCurrentPositions)
{
    OlmList *l = list(2);
    add(l, OLM_LAST, 10);
    add(l, OLM_LAST, 30);
    add(l, 2, 20); /* becomes the 2nd */
    add(l, 4, 40); /* after the 3rd, i.e. appended */
    add(l, 1, 0);  /* before the first */
    EXPECT_EQ(cycle(l), (std::vector<int>{0, 10, 20, 30, 40}));
    ASSERT_EQ(*static_cast<int *>(olm_GetObject(0, l, 3)), 20); /* 20 is current */
    add(l, OLM_CURRENT, 15);                                    /* before the current one */
    EXPECT_EQ(*static_cast<int *>(olm_GetObject(0, l, OLM_CURRENT)), 15);
    EXPECT_EQ(cycle(l), (std::vector<int>{0, 10, 15, 20, 30, 40}));
    EXPECT_EQ(*static_cast<int *>(olm_GetObject(0, l, OLM_FIRST)), 0);
    EXPECT_EQ(*static_cast<int *>(olm_GetObject(0, l, OLM_LAST)), 40);
    EXPECT_EQ(olm_GetObject(0, l, 7), nullptr);
    olm_DeleteList(0, l);
}

TEST_F(OlmTest, InvalidPositionIsRecordedWithThePosition)
{
    OlmList *l = list();
    add(l, OLM_LAST, 1);
    int v = 5;
    EXPECT_EQ(olm_AddObject(0, l, 3, &v), nullptr); /* the 2nd does not exist */
    EXPECT_EQ(mpm_GetLastError(), OLM_INVALIDPOSITION);
    EXPECT_EQ(olm_GetCount(l), 1);
    EXPECT_EQ(olm_AddObject(0, l, -3, &v), nullptr);
    EXPECT_EQ(olm_RemoveObject(0, l, 9), OLM_INVALIDPOSITION);
    ASSERT_EQ(mpm_GetStackDepth(), 3);
    char *text = nullptr;
    mpm_GetMessage(0, OLM_INVALIDPOSITION, &text, 9);
    EXPECT_STREQ(text, "Invalid position = 9\n");
    free(text);
    olm_DeleteList(0, l);
}

TEST_F(OlmTest, CreationErrors)
{
    EXPECT_EQ(olm_CreateList(0, 0, 4, nullptr), nullptr);
    EXPECT_EQ(mpm_GetLastError(), OLM_INVALIDSIZE);
    EXPECT_EQ(olm_CreateList(0, 8, 0, nullptr), nullptr);
    EXPECT_EQ(mpm_GetLastError(), OLM_INVALIDSIZE);
    EXPECT_EQ(olm_AddObject(0, nullptr, OLM_LAST, nullptr), nullptr);
    EXPECT_EQ(mpm_GetLastError(), OLM_NULLPOINTER);
    EXPECT_EQ(olm_CycleList(0, nullptr), nullptr);
    EXPECT_EQ(olm_RemoveAll(0, nullptr), OLM_NULLPOINTER);
    EXPECT_EQ(olm_SetBlockFactor(0, nullptr, 8), OLM_NULLPOINTER);
    OlmList *l = olm_CreateList(0, 8, 4, nullptr);
    EXPECT_EQ(olm_SetBlockFactor(0, l, 0), OLM_INVALIDSIZE);
    EXPECT_EQ(l->block_factor, 4) << "a refused factor changes nothing";
    olm_DeleteList(0, l);
}

TEST_F(OlmTest, CyclingRestartsAfterTheEnd)
{
    OlmList *l = list();
    EXPECT_EQ(olm_CycleList(0, l), nullptr); /* empty: null at once */
    EXPECT_EQ(olm_CycleList(0, l), nullptr);
    add(l, OLM_LAST, 1);
    add(l, OLM_LAST, 2);
    EXPECT_EQ(*static_cast<int *>(olm_CycleList(0, l)), 1);
    EXPECT_EQ(*static_cast<int *>(olm_CycleList(0, l)), 2);
    EXPECT_EQ(olm_CycleList(0, l), nullptr);
    EXPECT_EQ(*static_cast<int *>(olm_CycleList(0, l)), 1); /* starts again */
    olm_ResetCycle(l);
    EXPECT_EQ(*static_cast<int *>(olm_CycleListBack(0, l)), 2); /* backwards, from the last */
    EXPECT_EQ(*static_cast<int *>(olm_CycleListBack(0, l)), 1);
    EXPECT_EQ(olm_CycleListBack(0, l), nullptr);
    EXPECT_EQ(*static_cast<int *>(olm_CycleListBack(0, l)), 2);
    olm_ResetCycle(l);
    olm_RemoveAll(0, l);
    EXPECT_EQ(olm_CycleListBack(0, l), nullptr);
    EXPECT_EQ(olm_CycleListBack(0, nullptr), nullptr);
    olm_DeleteList(0, l);
}

TEST_F(OlmTest, RemovalDuringIterationRestartsAndKeepsTheOthers)
{
    OlmList *l = list(3);
    for (int i = 1; i <= 10; ++i) add(l, OLM_LAST, i);
    std::vector<int> seen;
    while (int *p = static_cast<int *>(olm_CycleList(0, l))) {
        seen.push_back(*p);
        if (*p % 2 == 0) { ASSERT_EQ(olm_RemoveObject(0, l, OLM_CURRENT), 0); }
    }
    EXPECT_EQ(cycle(l), (std::vector<int>{1, 3, 5, 7, 9}));
    /* every removal restarts the iteration from the first object */
    EXPECT_EQ(seen.front(), 1);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), 6);
    olm_DeleteList(0, l);
}

TEST_F(OlmTest, RemovalMovesTheCurrentObject)
{
    OlmList *l = list();
    for (int i = 1; i <= 3; ++i) add(l, OLM_LAST, i);
    olm_GetObject(0, l, 2);
    ASSERT_EQ(olm_RemoveObject(0, l, OLM_CURRENT), 0);
    EXPECT_EQ(*static_cast<int *>(olm_GetObject(0, l, OLM_CURRENT)), 3); /* the successor */
    ASSERT_EQ(olm_RemoveObject(0, l, OLM_CURRENT), 0);
    EXPECT_EQ(*static_cast<int *>(olm_GetObject(0, l, OLM_CURRENT)), 1); /* the predecessor */
    ASSERT_EQ(olm_RemoveObject(0, l, OLM_FIRST), 0);
    EXPECT_EQ(olm_GetObject(0, l, OLM_CURRENT), nullptr);
    EXPECT_EQ(olm_GetCount(l), 0);
    EXPECT_EQ(olm_RemoveObject(0, l, OLM_FIRST), OLM_INVALIDPOSITION);
    olm_DeleteList(0, l);
}

TEST_F(OlmTest, NodesAreReusedAndAddressesStayValid)
{
    OlmList *l = list(2);
    std::vector<int *> addrs;
    for (int i = 0; i < 9; ++i) {
        int *p = static_cast<int *>(olm_AddObject(0, l, OLM_LAST, &i));
        ASSERT_NE(p, nullptr);
        ASSERT_EQ(reinterpret_cast<uintptr_t>(p) % 8, 0u);
        addrs.push_back(p);
    }
    for (int i = 0; i < 9; ++i) EXPECT_EQ(*addrs[(size_t)i], i); /* growth moved nothing */
    /* Later blocks may be larger: the next block holds 100 nodes. */
    ASSERT_EQ(olm_SetBlockFactor(0, l, 100), 0);
    for (int i = 9; i < 110; ++i) add(l, OLM_LAST, i);
    int n = 0;
    for (void *b = l->blocks; b; b = *static_cast<void **>(b)) ++n;
    EXPECT_EQ(n, 5 + 1) << "five blocks of 2 (one node was free), one of 100";
    for (int i = 0; i < 110; ++i) EXPECT_EQ(*static_cast<int *>(olm_GetObject(0, l, i + 1)), i);
    for (int i = 0; i < 101; ++i) olm_RemoveObject(0, l, OLM_LAST);
    void *blocks = l->blocks;
    olm_RemoveAll(0, l);
    EXPECT_EQ(olm_GetCount(l), 0);
    for (int i = 0; i < 9; ++i) add(l, OLM_LAST, i);
    EXPECT_EQ(l->blocks, blocks); /* no new block: the freed nodes were used */
    olm_DeleteList(0, l);
}

/* A block of 1 MiB or more is a whole unit of bulk memory: all of it holds
 * nodes (here 87,381 of 24 bytes), and the next block comes only after. */
TEST_F(OlmTest, BulkBlocksHoldTheirWholeArea)
{
    OlmList *l = olm_CreateList(0, 8, 50000, nullptr);
    ASSERT_NE(l, nullptr);
    const int whole = int((UGN_BULK_UNIT - 16) / l->node_size);
    for (int i = 0; i <= whole; ++i) {
        const long long v = i;
        ASSERT_NE(olm_AddObject(0, l, OLM_LAST, &v), nullptr);
        int blocks = 0;
        if (i == whole - 1 || i == whole) {
            for (void *b = l->blocks; b; b = *static_cast<void **>(b)) ++blocks;
            EXPECT_EQ(blocks, i < whole ? 1 : 2) << i + 1 << " objects";
        }
    }
    long long expected = 0;
    for (void *o; (o = olm_CycleList(0, l)); ++expected) ASSERT_EQ(*static_cast<long long *>(o), expected);
    EXPECT_EQ(expected, whole + 1);
    olm_DeleteList(0, l);
}

/* A list that grows its block factor before each addition doubles: 100
 * objects take 8 blocks, not 100. With 64 KiB objects the block of 16
 * reaches 1 MiB and becomes a bulk unit holding 31, the most a block then
 * gets: 1, 1, 2, 4, 8, 31, 31, 31. */
TEST_F(OlmTest, GrowingBlockFactorsDouble)
{
    for (int size : {8, 65536}) {
        OlmList *l = olm_CreateList(0, size, 1, nullptr);
        ASSERT_NE(l, nullptr);
        std::vector<unsigned char> object(size_t(size), 0);
        for (int i = 0; i < 100; ++i) {
            object[0] = static_cast<unsigned char>(i);
            olm_GrowBlockFactor(l);
            ASSERT_NE(olm_AddObject(0, l, OLM_LAST, object.data()), nullptr);
        }
        int blocks = 0;
        for (void *b = l->blocks; b; b = *static_cast<void **>(b)) ++blocks;
        EXPECT_EQ(blocks, 8) << size;
        EXPECT_EQ(l->block_factor, size == 8 ? 64 : 31) << size;
        int i = 0;
        for (void *o; (o = olm_CycleList(0, l)); ++i) ASSERT_EQ(*static_cast<unsigned char *>(o), i) << size;
        EXPECT_EQ(i, 100);
        olm_DeleteList(0, l);
    }
}

TEST_F(OlmTest, LargeObjectsAndUninitialisedCopies)
{
    struct Big {
        double d[5];
        char c[13];
    };
    OlmList *l = olm_CreateList(0, sizeof(Big), 1, nullptr);
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->node_size % 8, 0u);
    Big *slot = static_cast<Big *>(olm_AddObject(0, l, OLM_LAST, nullptr));
    ASSERT_NE(slot, nullptr);
    slot->d[4] = 2.5;
    Big b{};
    b.d[0] = 1.0;
    olm_AddObject(0, l, OLM_FIRST, &b);
    EXPECT_EQ(static_cast<Big *>(olm_GetObject(0, l, 2))->d[4], 2.5);
    EXPECT_EQ(static_cast<Big *>(olm_GetObject(0, l, 1))->d[0], 1.0);
    olm_DeleteList(0, l);
}

} // namespace
