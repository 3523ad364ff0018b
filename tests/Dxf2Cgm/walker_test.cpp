/* The model walker: the element class and counter of every entity type,
 * the layer, text-style and block tables, the root list and its order,
 * entities owned by blocks, inserts that find or miss their block, groups,
 * child use, and blocks that contain themselves. */
#include "dxf2cgm_fixture.h"

#include <string>

#include "Dxf2Cgm/VyrDxfBlock.h"
#include "Dxf2Cgm/VyrDxfGroup.h"
#include "Dxf2Cgm/VyrDxfInsert.h"
#include "Dxf2Cgm/VyrDxfLayer.h"
#include "Dxf2Cgm/VyrDxfLine.h"
#include "Dxf2Cgm/VyrDxfText.h"
#include "Dxf2Cgm/VyrDxfTextStyle.h"
#include "Dxf2Cgm/VyrListOfVyrDxfElem.h"

namespace {

using vyrtest::Color;
using vyrtest::Props;

class Walker : public vyrtest::Dxf2CgmTest {
protected:
    /* Kinds of the root list, in order. */
    std::vector<int> RootKinds()
    {
        std::vector<int> kinds;
        VyrListOfVyrDxfElem *root = VyrDxf2Cgm::GetRootList();
        if (!root) return kinds;
        for (root->Init(); root->More(); root->Next())
            kinds.push_back(static_cast<VyrDxfEntity *>(root->Value())->GetKind());
        return kinds;
    }
    std::vector<unsigned long> RootEntities()
    {
        std::vector<unsigned long> out;
        VyrListOfVyrDxfElem *root = VyrDxf2Cgm::GetRootList();
        for (root->Init(); root->More(); root->Next()) out.push_back(root->Value()->GetEntity());
        return out;
    }
    db_ptr Text(db_ptr style, const Props &p = Props())
    {
        db_ptr ptr;
        dxf_text *rec = Begin<dxf_text>(DXFI_TF_dxf_text, ptr);
        SetCommon(rec->dxfhdr, p);
        rec->shapefileobjhandle = style;
        End(ptr);
        return ptr;
    }
    /* The entry `i` of a table entity. */
    db_ptr Entry(db_ptr table, int i)
    {
        void *memory = nullptr;
        EXPECT_EQ(mda_LockEntity(0, table, &memory), 0);
        const db_ptr entry =
            static_cast<const db_ptr *>(mda_Deref(static_cast<dxf_layer_table *>(memory)->table_data))[i];
        mda_UnlockEntity(0, table);
        return entry;
    }
    intptr_t Child(db_ptr entity, VyrDxfLayer *layer = nullptr, VyrDxfBlock *block = nullptr)
    {
        return VyrDxf2Cgm::dxfParse(entity, 1, layer, block);
    }
};

TEST_F(Walker, EveryTypeMakesItsElementAndCount)
{
    const struct {
        int type;
        int form;
        int kind;
        int word;
    } cases[] = {
        {300, 0, VyrDxfKindLine, ZelLines},
        {301, 0, VyrDxfKindPoint, ZelPoints},
        {302, 0, VyrDxfKindCircle, ZelCircles},
        {303, 0, VyrDxfKindArc, ZelArcs},
        {304, 0, VyrDxfKindSolid, ZelSolids},
        {305, 1, VyrDxfKindSolid, ZelSolids},
        {306, 0, VyrDxfKindText, ZelTexts},
        {309, 0, VyrDxfKindPolyline, ZelPolylines},
        {325, 0, VyrDxfKindPolyline, ZelPolylines},
        {312, 0, VyrDxfKindDimension, ZelDimensions},
        {313, 0, VyrDxfKindEllipse, ZelEllipses},
        {314, 0, VyrDxfKindLeader, ZelLeaders},
        {315, 0, VyrDxfKindMline, ZelMlines},
        {316, 0, VyrDxfKindMText, ZelMTexts},
        {320, 0, VyrDxfKindSpline, ZelSplines},
        {326, 0, VyrDxfKindPolyline, ZelSmoothedPolylines},
        {327, 1, VyrDxfKindPolyline, ZelSmoothedPolylines},
        {328, 0, VyrDxfKindPolyline, ZelSmoothedPolylines},
        {330, 0, VyrDxfKindPolyline, ZelPolylines}, /* polygon mesh */
        {331, 1, VyrDxfKindPolyline, ZelPolylines}, /* polyface mesh */
        {334, 0, VyrDxfKindLWPolyline, ZelLWPolylines},
        {500, 0, VyrDxfKindAttribute, ZelAttributes},
        {801, 0, VyrDxfKindGroup, ZelGroups},
    };
    std::vector<int> kinds;
    for (const auto &c : cases) {
        Any(MDA_TF(c.type, c.form));
        kinds.push_back(c.kind);
    }
    Walk();
    EXPECT_EQ(RootKinds(), kinds) << "one element per entity, in creation order";
    for (const auto &c : cases) EXPECT_GT(Counter(c.word), 0u) << "type " << c.type;
    EXPECT_EQ(Counter(ZelSolids), 2u);
    EXPECT_EQ(Counter(ZelPolylines), 4u);
    EXPECT_EQ(Counter(ZelSmoothedPolylines), 3u);
    EXPECT_EQ(Counter(ZelLines), 1u);
    EXPECT_EQ(Counter(ZelUnhandledTypes), 0u);
    for (int word = 23; word <= 41; ++word) EXPECT_EQ(Counter(word), 0u) << "no allocation failed";
}

TEST_F(Walker, UnhandledTypesAreCounted)
{
    const int types[] = {307, 310, 317, 318, 319, 321, 322, 329, 333,   336,  337,
                         400, 600, 700, 802, 803, 804, 899, 900, 10000, 10002};
    for (int type : types) Any(MDA_TF(type, 0));
    Any(MDA_TF(800, 1));
    Any(DXFI_TF_dxf_header); /* type 1: skipped without count */
    Walk();
    EXPECT_EQ(Counter(ZelUnhandledTypes), std::size(types) + 1);
    EXPECT_TRUE(RootKinds().empty());
}

/* 3D faces (as their visible edges) and hatches are drawn, counted in no
 * word. */
TEST_F(Walker, FacesAndHatchesAreDrawnUncounted)
{
    Any(DXFI_TF_dxf_3dface);
    Any(DXFI_TF_dxf_hatch);
    Walk();
    EXPECT_EQ(RootKinds(), (std::vector<int>{VyrDxfKind3DFace, VyrDxfKindHatch}));
    EXPECT_EQ(Counter(ZelUnhandledTypes), 0u);
}

TEST_F(Walker, CollectionSortsTables)
{
    Table<dxf_line_type_table>(DXFI_TF_dxf_line_type_table, {});
    Table<dxf_view_table>(DXFI_TF_dxf_view_table, {});
    Table<dxf_block_record_table>(DXFI_TF_dxf_block_record_table, {});
    EXPECT_EQ(Counter(ZelOtherTables), 2u) << "tables of forms other than 2, 3 and 10";
    Walk(); /* the block record table is collected but not walked */
    EXPECT_EQ(VyrDxf2Cgm::GetBlockTable(), nullptr);
    EXPECT_EQ(Counter(ZelUnhandledTypes), 0u);
}

TEST_F(Walker, LayerAndTextStyleTables)
{
    db_ptr layers = LayerTable({{"0", 7, "CONTINUOUS", -3}, {"Walls", 1, "DASHED", 50}, {"", 2, "", -3}});
    db_ptr styles = TextStyleTable({"Standard", "notes"});
    Props onWalls;
    onWalls.layer = "Walls";
    Props nowhere;
    nowhere.layer = "Gone";
    db_ptr walls = Line(0, 0, 1, 1, onWalls);
    db_ptr lost = Line(0, 0, 1, 1, nowhere);
    Walk();

    VyrListOfVyrDxfElem *layerTable = VyrDxf2Cgm::GetLayerTable();
    ASSERT_NE(layerTable, nullptr);
    EXPECT_EQ(layerTable->Size(), 3);
    EXPECT_EQ(Counter(ZelLayers), 3u);
    EXPECT_EQ(Counter(2), 0u);
    VyrListOfVyrDxfElem *styleTable = VyrDxf2Cgm::GetTextStyleTable();
    ASSERT_NE(styleTable, nullptr);
    EXPECT_EQ(styleTable->Size(), 2);
    EXPECT_EQ(Counter(ZelTextStyles), 2u);
    EXPECT_NE(styleTable->FindElementByName("NOTES"), nullptr) << "style names are upper-cased";
    EXPECT_EQ(styleTable->FindElementByPtr(Entry(styles, 0)), styleTable->FindElementByName("STANDARD"));
    EXPECT_EQ(Counter(ZelUnhandledTypes), 5u) << "the five table records";
    (void)layers;

    VyrListOfVyrDxfElem *root = VyrDxf2Cgm::GetRootList();
    ASSERT_EQ(root->Size(), 2);
    VyrDxfLine *onLayer = static_cast<VyrDxfLine *>(root->FindElementByPtr(walls));
    ASSERT_NE(onLayer, nullptr);
    ASSERT_NE(onLayer->GetLayer(), nullptr);
    EXPECT_STREQ(onLayer->GetLayer()->GetName(), "Walls");
    EXPECT_EQ(onLayer->GetColor(), 1);
    VyrDxfLine *offTable = static_cast<VyrDxfLine *>(root->FindElementByPtr(lost));
    ASSERT_NE(offTable, nullptr);
    EXPECT_EQ(offTable->GetLayer(), nullptr);
    EXPECT_EQ(offTable->GetColor(), 256);
}

TEST_F(Walker, TextsFindTheirStyle)
{
    db_ptr styles = TextStyleTable({"Standard"});
    db_ptr found = Text(Entry(styles, 0));
    db_ptr missing = Text(Line(0, 0, 1, 1));
    db_ptr none = Text(0);
    Walk();
    VyrListOfVyrDxfElem *root = VyrDxf2Cgm::GetRootList();
    auto style = [&](db_ptr text) {
        return static_cast<VyrDxfText *>(root->FindElementByPtr(text))->GetTextStyle();
    };
    ASSERT_NE(style(found), nullptr);
    EXPECT_STREQ(style(found)->GetName(), "STANDARD");
    EXPECT_EQ(style(missing), nullptr);
    EXPECT_EQ(style(none), nullptr);
    EXPECT_EQ(Counter(ZelTexts), 3u);
}

TEST_F(Walker, BlocksHoldTheirContents)
{
    db_ptr a = Line(0, 0, 1, 0);
    db_ptr b = Circle(0, 0, 1);
    db_ptr inner = Group("inner", {a});
    db_ptr def = Block("B", 5, 6, {a, b, inner}, Color(3));
    db_ptr top = Line(9, 9, 8, 8);
    Walk();

    EXPECT_EQ(RootEntities(), (std::vector<unsigned long>{inner, top}))
        << "block contents stay out of the root list; a group owned by a block does not";
    VyrListOfVyrDxfElem *blocks = VyrDxf2Cgm::GetBlockTable();
    ASSERT_NE(blocks, nullptr);
    ASSERT_EQ(blocks->Size(), 1);
    VyrDxfBlock *block = static_cast<VyrDxfBlock *>(blocks->FindElementByPtr(def));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->GetKind(), VyrDxfKindBlock);
    EXPECT_STREQ(block->GetBlockName(), "B");
    EXPECT_EQ(block->GetBasePoint()[0], 5.0);
    EXPECT_EQ(block->GetColor(), 3);
    EXPECT_TRUE(block->IsAlreadyTranscripted());
    ASSERT_NE(block->GetEntityList(), nullptr);
    EXPECT_EQ(block->GetEntityList()->Size(), 3);
    VyrDxfEntity *first = static_cast<VyrDxfEntity *>(block->GetEntityList()->FindElementByPtr(a));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetBlock(), block) << "contents know their block";
    EXPECT_EQ(Counter(ZelLines), 4u) << "in the block, in the block's group, in the same group at top level, "
                                        "and the top line";
    EXPECT_EQ(Counter(ZelCircles), 1u);
    EXPECT_EQ(Counter(ZelGroups), 2u);
}

TEST_F(Walker, BlockDefinitionIsBuiltOnce)
{
    db_ptr a = Line(0, 0, 1, 0);
    db_ptr def = Block("B", 0, 0, {a});
    Insert(def, 10, 10);
    /* The insert comes before the definition in the walk: the definition
     * entity was created first, but walk it again later to be sure. */
    Walk();
    ASSERT_EQ(VyrDxf2Cgm::GetBlockTable()->Size(), 1);
    EXPECT_EQ(VyrDxf2Cgm::dxfParse(def, 0, nullptr, nullptr), 0);
    EXPECT_EQ(VyrDxf2Cgm::GetBlockTable()->Size(), 1) << "a block is not created a second time";
    EXPECT_EQ(Counter(ZelInserts), 1u);
    EXPECT_EQ(Counter(ZelLines), 1u);
}

TEST_F(Walker, InsertBeforeItsBlockCreatesIt)
{
    db_ptr a = Line(0, 0, 1, 0);
    db_ptr def = Block("B", 0, 0, {a});
    /* Walk only the insert first, as when it comes earlier in the model. */
    db_ptr insert = Insert(def, 10, 10);
    EXPECT_EQ(VyrDxf2Cgm::dxfParse(insert, 0, nullptr, nullptr), 0);
    ASSERT_NE(VyrDxf2Cgm::GetBlockTable(), nullptr);
    EXPECT_EQ(VyrDxf2Cgm::GetBlockTable()->Size(), 1);
    VyrDxfInsert *element = static_cast<VyrDxfInsert *>(VyrDxf2Cgm::GetRootList()->FindElementByPtr(insert));
    ASSERT_NE(element, nullptr);
    EXPECT_TRUE(element->IsValid());
    EXPECT_EQ(element->GetInsertedBlock(), VyrDxf2Cgm::GetBlockTable()->FindElementByPtr(def));
    EXPECT_EQ(VyrDxf2Cgm::dxfParse(def, 0, nullptr, nullptr), 0);
    EXPECT_EQ(VyrDxf2Cgm::GetBlockTable()->Size(), 1);
}

TEST_F(Walker, InsertsWithoutBlockAreDropped)
{
    db_ptr orphan = Insert(0, 1, 1);
    db_ptr notABlock = Insert(Line(0, 0, 1, 1), 2, 2);
    db_ptr inner = Insert(0, 3, 3);
    db_ptr def = Block("Holder", 0, 0, {inner});
    Walk();
    EXPECT_EQ(Counter(ZelInsertsDropped), 3u) << "at top level and inside blocks alike";
    EXPECT_EQ(Counter(ZelInserts), 0u);
    EXPECT_EQ(VyrDxf2Cgm::GetRootList()->FindElementByPtr(orphan), nullptr);
    EXPECT_EQ(VyrDxf2Cgm::GetRootList()->FindElementByPtr(notABlock), nullptr);
    VyrDxfBlock *holder = static_cast<VyrDxfBlock *>(VyrDxf2Cgm::GetBlockTable()->FindElementByPtr(def));
    ASSERT_NE(holder, nullptr);
    EXPECT_EQ(holder->GetEntityList(), nullptr);
}

TEST_F(Walker, InsertsCarryTheirAttributes)
{
    db_ptr def = Block("B", 0, 0, {Line(0, 0, 1, 0)});
    db_ptr tag = Any(DXFI_TF_dxf_attribute_instance);
    db_ptr insert = Insert(def, 0, 0, {tag});
    Walk();
    VyrDxfInsert *element = static_cast<VyrDxfInsert *>(VyrDxf2Cgm::GetRootList()->FindElementByPtr(insert));
    ASSERT_NE(element, nullptr);
    ASSERT_NE(element->GetAttributeList(), nullptr);
    EXPECT_EQ(element->GetAttributeList()->Size(), 1);
    EXPECT_EQ(Counter(ZelAttributes), 1u) << "an attribute value is reached through its insert only";
    EXPECT_EQ(VyrDxf2Cgm::GetRootList()->FindElementByPtr(tag), nullptr);
}

TEST_F(Walker, BlocksThatContainThemselvesEnd)
{
    /* Block A holds an insert of A; block B holds an insert of C, C one of
     * B. Reserved pointers let the inserts name blocks made after them. */
    db_ptr a = 0, b = 0, c = 0;
    ASSERT_EQ(mda_ReserveEntity2(0, model, &a), 0);
    ASSERT_EQ(mda_ReserveEntity2(0, model, &b), 0);
    ASSERT_EQ(mda_ReserveEntity2(0, model, &c), 0);
    db_ptr selfInsert = Insert(a, 0, 0);
    db_ptr toC = Insert(c, 0, 0);
    db_ptr toB = Insert(b, 0, 0);
    auto reserved = [&](db_ptr ptr, const char *name, db_ptr content) {
        void *memory = nullptr;
        ASSERT_EQ(mda_MallocEntity2(MDA_DEFAULTS, model, DXFI_TF_dxf_block, &memory), 0);
        dxf_block *rec = static_cast<dxf_block *>(memory);
        SetCommon(rec->dxfhdr, Props());
        SetText(rec->bname, sizeof rec->bname, name);
        rec->num_ent = 1;
        db_ptr *e = Array<db_ptr>(rec, &rec->ent_ptr, 1);
        e[0] = content;
        db_ptr in = ptr;
        ASSERT_EQ(mda_CreateEntity(MDA_USE_RESERVED, memory, &in), 0);
        ASSERT_EQ(in, ptr);
        ASSERT_EQ(mda_AddPtr(ptr, content, nullptr), 0);
        VyrDxf2Cgm::CollectModelEntity(ptr, nullptr);
    };
    reserved(a, "A", selfInsert);
    reserved(b, "B", toC);
    reserved(c, "C", toB);
    Walk();
    EXPECT_EQ(VyrDxf2Cgm::GetBlockTable()->Size(), 3);
    EXPECT_EQ(Counter(ZelInsertsDropped), 2u) << "A in A, and B in C in B";
    EXPECT_EQ(Counter(ZelInserts), 1u) << "C in B";
    EXPECT_TRUE(RootKinds().empty());
}

TEST_F(Walker, GroupsBuildTheirMembers)
{
    db_ptr a = Line(0, 0, 1, 1);
    db_ptr b = Arc(0, 0, 1, 0, 90);
    db_ptr group = Group("G", {a, b});
    db_ptr nested = Group("outer", {group});
    Walk();
    VyrListOfVyrDxfElem *root = VyrDxf2Cgm::GetRootList();
    EXPECT_EQ(RootEntities(), (std::vector<unsigned long>{a, b, group, nested}))
        << "group members are top-level entities too";
    VyrDxfGroup *g = static_cast<VyrDxfGroup *>(root->FindElementByPtr(group));
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->GetHeader(), nullptr);
    EXPECT_EQ(g->GetLayer(), nullptr);
    EXPECT_STREQ(g->GetGroupName(), "G");
    ASSERT_NE(g->GetEntityList(), nullptr);
    EXPECT_EQ(g->GetEntityList()->Size(), 2);
    VyrDxfGroup *outer = static_cast<VyrDxfGroup *>(root->FindElementByPtr(nested));
    ASSERT_NE(outer, nullptr);
    ASSERT_NE(outer->GetEntityList(), nullptr);
    VyrDxfGroup *member = static_cast<VyrDxfGroup *>(outer->GetEntityList()->FindElementByPtr(group));
    ASSERT_NE(member, nullptr);
    EXPECT_EQ(member->GetEntityList(), nullptr) << "a group inside a group is made without members";
}

TEST_F(Walker, ChildUse)
{
    db_ptr layers = LayerTable({{"L", 4, "CONTINUOUS", -3}});
    db_ptr def = Block("B", 0, 0, {});
    Props onL;
    onL.layer = "L";
    db_ptr line = Line(0, 0, 1, 1, onL);
    db_ptr group = Group("G", {line});
    Walk();
    const size_t before = VyrDxf2Cgm::GetRootList()->Size();

    EXPECT_EQ(Child(layers), 0) << "tables are ignored as children";
    EXPECT_EQ(Child(def), 0) << "block definitions too";
    EXPECT_EQ(VyrDxf2Cgm::GetBlockTable()->Size(), 1);

    VyrDxfBlock *owner = static_cast<VyrDxfBlock *>(VyrDxf2Cgm::GetBlockTable()->FindElementByPtr(def));
    ASSERT_NE(owner, nullptr);
    VyrDxfLine *child = reinterpret_cast<VyrDxfLine *>(Child(line, nullptr, owner));
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->GetBlock(), owner);
    ASSERT_NE(child->GetLayer(), nullptr) << "the layer comes from the layer table";
    EXPECT_STREQ(child->GetLayer()->GetName(), "L");
    delete child;

    VyrDxfLayer *given = static_cast<VyrDxfLayer *>(VyrDxf2Cgm::GetLayerTable()->FindElementByName("L"));
    VyrDxfGroup *g = reinterpret_cast<VyrDxfGroup *>(Child(group, given, owner));
    ASSERT_NE(g, nullptr);
    VyrDxfLine *member = static_cast<VyrDxfLine *>(g->GetEntityList()->Value());
    EXPECT_EQ(member->GetBlock(), owner) << "a child group hands its block to its members";
    delete g;
    EXPECT_EQ(static_cast<size_t>(VyrDxf2Cgm::GetRootList()->Size()), before) << "children are not filed";
}

TEST_F(Walker, FailedLockCreatesNothing)
{
    EXPECT_EQ(VyrDxf2Cgm::dxfParse(MDA_MAKE_PTR(model, 5000), 0, nullptr, nullptr), 0);
    EXPECT_TRUE(RootKinds().empty());
    EXPECT_EQ(Counter(ZelUnhandledTypes), 0u);
    mpm_ClearStack(0);
}

} // namespace
