/* The owning element list: order, cursor, lookup by entity and by name,
 * ownership of the elements, and reuse after Delete; and the pool the
 * elements and nodes come from. */
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Dxf2Cgm/VyrDxfPool.h"
#include "Dxf2Cgm/VyrListOfVyrDxfElem.h"

namespace {

int destroyed = 0;

class Named : public VyrDxfElement {
public:
    Named(unsigned long entity, const char *name) : VyrDxfElement(entity), name_(name) {}
    ~Named() override { ++destroyed; }
    const char *GetName() override { return name_; }

private:
    const char *name_;
};

std::string Names(VyrListOfVyrDxfElem &list)
{
    std::string s;
    for (list.Init(); list.More(); list.Next()) s += list.Value()->GetName() ? list.Value()->GetName() : "-";
    return s;
}

TEST(ElementList, OrderCursorAndOwnership)
{
    destroyed = 0;
    {
        VyrListOfVyrDxfElem list;
        EXPECT_EQ(list.Size(), 0);
        list.Init();
        EXPECT_FALSE(list.More());
        EXPECT_EQ(list.Value(), nullptr);
        list.Next(); /* harmless at the end */
        EXPECT_EQ(list.GetEntity(), 0u);

        EXPECT_EQ(list.AddElement(new Named(1, "a")), 0);
        EXPECT_EQ(list.AddElement(new Named(2, "b")), 0);
        EXPECT_EQ(list.AddElement(new Named(3, "c")), 0);
        EXPECT_EQ(list.Size(), 3);
        EXPECT_EQ(Names(list), "abc");
        EXPECT_FALSE(list.More());

        list.Delete();
        EXPECT_EQ(destroyed, 3);
        EXPECT_EQ(list.Size(), 0);
        list.Init();
        EXPECT_FALSE(list.More());

        /* An emptied list can be filled again. */
        list.AddElement(new Named(4, "d"));
        list.AddElement(new Named(5, "e"));
        EXPECT_EQ(Names(list), "de");
    }
    EXPECT_EQ(destroyed, 5) << "destroying the list destroys its elements";
}

TEST(ElementList, FindByEntity)
{
    VyrListOfVyrDxfElem list;
    Named *a = new Named(10, "a");
    Named *b = new Named(20, "b");
    Named *b2 = new Named(20, "b2");
    list.AddElement(a);
    list.AddElement(b);
    list.AddElement(b2);
    EXPECT_EQ(list.FindElementByPtr(20), b) << "the first match";
    EXPECT_EQ(list.Value(), b) << "the cursor stays on the match";
    list.Next();
    EXPECT_EQ(list.Value(), b2);
    EXPECT_EQ(list.FindElementByPtr(10), a);
    EXPECT_EQ(list.FindElementByPtr(30), nullptr);
    EXPECT_FALSE(list.More()) << "after a miss the cursor is at the end";
}

/* Long lists search through their index: the same answers as a walk, for
 * elements added before and after the first search, duplicates included. */
TEST(ElementList, FindByEntityInALongList)
{
    VyrListOfVyrDxfElem list;
    const int n = 3 * VyrListOfVyrDxfElem::kIndexFrom;
    std::vector<VyrDxfElement *> first(static_cast<size_t>(n) + 1, nullptr);
    for (int i = 1; i <= n; ++i) {
        VyrDxfElement *e = new Named(static_cast<unsigned long>(i), "x");
        first[static_cast<size_t>(i)] = e;
        ASSERT_EQ(list.AddElement(e), 0);
    }
    VyrDxfElement *again = new Named(5, "dup");
    ASSERT_EQ(list.AddElement(again), 0);
    for (int i = 1; i <= n; ++i)
        EXPECT_EQ(list.FindElementByPtr(static_cast<unsigned long>(i)), first[static_cast<size_t>(i)]) << i;
    EXPECT_EQ(list.Value(), first[static_cast<size_t>(n)]) << "the cursor stays on the match";
    EXPECT_EQ(list.FindElementByPtr(static_cast<unsigned long>(n) + 1), nullptr);
    EXPECT_FALSE(list.More());
    VyrDxfElement *late = new Named(static_cast<unsigned long>(n) + 1, "late");
    ASSERT_EQ(list.AddElement(late), 0);
    EXPECT_EQ(list.FindElementByPtr(static_cast<unsigned long>(n) + 1), late);
    EXPECT_EQ(list.FindElementByPtr(5), first[5]);
    list.Delete();
    EXPECT_EQ(list.FindElementByPtr(5), nullptr);
    VyrDxfElement *reused = new Named(5, "reused");
    ASSERT_EQ(list.AddElement(reused), 0);
    EXPECT_EQ(list.FindElementByPtr(5), reused);
}

TEST(ElementList, FindByName)
{
    VyrListOfVyrDxfElem list;
    const char *shared = "Walls";
    Named *unnamed = new Named(1, nullptr);
    Named *empty = new Named(2, "");
    Named *walls = new Named(3, shared);
    Named *doors = new Named(4, "DOORS");
    list.AddElement(unnamed);
    list.AddElement(empty);
    list.AddElement(walls);
    list.AddElement(doors);
    EXPECT_EQ(list.FindElementByName("Walls"), walls);
    EXPECT_EQ(list.FindElementByName(shared), walls) << "the same pointer matches";
    EXPECT_EQ(list.FindElementByName("WALLS"), nullptr) << "names compare byte for byte";
    EXPECT_EQ(list.FindElementByName("DOORS"), doors);
    EXPECT_EQ(list.FindElementByName(""), empty);
    EXPECT_EQ(list.FindElementByName(nullptr), nullptr) << "elements without a name never match";
    EXPECT_EQ(list.FindElementByName("Wall"), nullptr);
}

} // namespace

namespace {

/* The pool behind elements and list nodes: freed objects are reused, and
 * when the last one goes every block is given back. */
TEST(ElementPool, ReusesAndReleases)
{
    ASSERT_EQ(VyrDxfPool::Live(), 0u);
    void *a = VyrDxfPool::Allocate(40);
    void *b = VyrDxfPool::Allocate(48);
    void *big = VyrDxfPool::Allocate(VyrDxfPool::kMaxSize + 1);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(a) % 16, 0u);
    EXPECT_EQ(VyrDxfPool::Live(), 3u);
    VyrDxfPool::Release(a, 40);
    void *again = VyrDxfPool::Allocate(33);
    if (VyrDxfPool::Reserved() > 0) { EXPECT_EQ(again, a) << "same size class, reused"; }
    VyrDxfPool::Release(again, 33);
    VyrDxfPool::Release(big, VyrDxfPool::kMaxSize + 1);
    VyrDxfPool::Release(b, 48);
    VyrDxfPool::Release(nullptr, 8);
    EXPECT_EQ(VyrDxfPool::Live(), 0u);
    EXPECT_EQ(VyrDxfPool::Reserved(), 0u);

    {
        VyrListOfVyrDxfElem list;
        for (int i = 0; i < 100000; ++i) list.AddElement(new Named(i, "x"));
        EXPECT_EQ(VyrDxfPool::Live(), 200000u) << "the nodes and their elements";
    }
    EXPECT_EQ(VyrDxfPool::Live(), 0u);
    EXPECT_EQ(VyrDxfPool::Reserved(), 0u);
}

} // namespace
