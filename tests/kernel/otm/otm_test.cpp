/* Object trees: balanced insertion, lookups, duplicate keys, ascending
 * iteration and the recorded errors. */
#include "../kernel_fixture.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include "kernel/otm/otm_int.h"

namespace {

struct Rec {
    int key;
    int payload;
};

int by_key(const void *k, const void *s)
{
    int a = static_cast<const Rec *>(k)->key, b = static_cast<const Rec *>(s)->key;
    return a < b ? -1 : a > b;
}

class OtmTest : public vyrtest::KernelTest {};

/* Largest height an AVL tree of n nodes can have. */
double avl_bound(int n) { return 1.4405 * std::log2(n + 2.0) - 0.3277; }

TEST_F(OtmTest, AscendingKeysStayBalanced)
{
    OtmTree *t = otm_CreateTree(0, sizeof(Rec), by_key, nullptr);
    ASSERT_NE(t, nullptr);
    const int n = 100000;
    for (int i = 1; i <= n; ++i) {
        Rec r = {i, -i};
        ASSERT_NE(otm_AddObject(0, t, &r), nullptr);
    }
    EXPECT_EQ(otm_GetCount(t), n);
    int h = otm__Height(t);
    EXPECT_LE(h, avl_bound(n));
    EXPECT_GE(h, 17); /* log2(100001) rounded up */
    EXPECT_TRUE(otm__Check(t));
    int expect = 1;
    while (Rec *r = static_cast<Rec *>(otm_CycleTree(0, t))) {
        ASSERT_EQ(r->key, expect);
        ++expect;
    }
    EXPECT_EQ(expect, n + 1);
    otm_DeleteTree(0, t);
}

TEST_F(OtmTest, RandomAndDescendingKeysKeepEveryInvariant)
{
    OtmTree *t = otm_CreateTree(0, sizeof(Rec), by_key, nullptr);
    srand(7);
    std::vector<int> keys;
    for (int i = 0; i < 3000; ++i) keys.push_back(rand() % 5000);
    for (int i = 2000; i > 0; --i) keys.push_back(-i);
    for (int k : keys) {
        Rec r = {k, 0};
        otm_AddObject(0, t, &r);
    }
    EXPECT_TRUE(otm__Check(t));
    EXPECT_LE(otm__Height(t), avl_bound(otm_GetCount(t)));
    int prev = -1000000, n = 0;
    while (Rec *r = static_cast<Rec *>(otm_CycleTree(0, t))) {
        EXPECT_GT(r->key, prev);
        prev = r->key;
        ++n;
    }
    EXPECT_EQ(n, otm_GetCount(t));
    otm_DeleteTree(0, t);
}

TEST_F(OtmTest, DuplicateKeyReturnsTheStoredObject)
{
    OtmTree *t = otm_CreateTree(0, sizeof(Rec), by_key, nullptr);
    Rec a = {5, 1}, b = {5, 2};
    Rec *pa = static_cast<Rec *>(otm_AddObject(0, t, &a));
    Rec *pb = static_cast<Rec *>(otm_AddObject(0, t, &b));
    EXPECT_EQ(pa, pb);
    EXPECT_EQ(pb->payload, 1);
    EXPECT_EQ(otm_GetCount(t), 1);
    otm_DeleteTree(0, t);
}

TEST_F(OtmTest, LookupsAndMisses)
{
    OtmTree *t = otm_CreateTree(0, sizeof(Rec), by_key, nullptr);
    for (int i = 0; i < 50; i += 5) {
        Rec r = {i, i * 10};
        otm_AddObject(0, t, &r);
    }
    Rec key = {35, 0};
    Rec *found = static_cast<Rec *>(otm_GetObject(0, t, &key));
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->payload, 350);
    key.key = 36;
    EXPECT_EQ(otm_GetObject(OTM_SILENT, t, &key), nullptr);
    EXPECT_EQ(mpm_GetLastError(), 0);
    EXPECT_EQ(otm_GetObject(0, t, &key), nullptr);
    EXPECT_EQ(mpm_GetLastError(), OTM_NOTFOUND);
    otm_DeleteTree(0, t);
}

TEST_F(OtmTest, IterationRestartsAndSeesLaterAdditions)
{
    OtmTree *t = otm_CreateTree(0, sizeof(Rec), by_key, nullptr);
    EXPECT_EQ(otm_CycleTree(0, t), nullptr);
    for (int k : {10, 30}) {
        Rec r = {k, 0};
        otm_AddObject(0, t, &r);
    }
    EXPECT_EQ(static_cast<Rec *>(otm_CycleTree(0, t))->key, 10);
    Rec mid = {20, 0};
    otm_AddObject(0, t, &mid);
    EXPECT_EQ(static_cast<Rec *>(otm_CycleTree(0, t))->key, 20);
    EXPECT_EQ(static_cast<Rec *>(otm_CycleTree(0, t))->key, 30);
    EXPECT_EQ(otm_CycleTree(0, t), nullptr);
    EXPECT_EQ(static_cast<Rec *>(otm_CycleTree(0, t))->key, 10);
    otm_DeleteTree(0, t);
}

TEST_F(OtmTest, CreationErrors)
{
    EXPECT_EQ(otm_CreateTree(0, 0, by_key, nullptr), nullptr);
    EXPECT_EQ(mpm_GetLastError(), OTM_INVALIDSIZE);
    EXPECT_EQ(otm_CreateTree(0, 4, nullptr, nullptr), nullptr);
    EXPECT_EQ(mpm_GetLastError(), OTM_NULLPOINTER);
    EXPECT_EQ(otm_AddObject(0, nullptr, &mpm__Option), nullptr);
    EXPECT_EQ(otm_DeleteTree(0, nullptr), OTM_NULLPOINTER);
}

} // namespace
