/* Layers, entity headers and the resolution of colour, line weight and line
 * type through BYLAYER and BYBLOCK, and the attribute step that sends only
 * what changed. */
#include "dxf2cgm_fixture.h"

#include <string>

#include "Dxf2Cgm/VyrDxfBlock.h"
#include "Dxf2Cgm/VyrDxfEntHeader.h"
#include "Dxf2Cgm/VyrDxfLayer.h"
#include "Dxf2Cgm/VyrDxfLine.h"
#include "support/Fields.h"

namespace {

using vyrtest::Color;
using vyrtest::Props;
using vyrtest::Record;

class EntityProperties : public vyrtest::Dxf2CgmTest {
protected:
    /* The layer record `index` of a table built from `layers`. */
    db_ptr LayerRecord(const std::vector<vyrtest::LayerDef> &layers, size_t index)
    {
        db_ptr table = LayerTable(layers);
        void *memory = nullptr;
        EXPECT_EQ(mda_LockEntity(0, table, &memory), 0);
        const db_ptr *entries =
            static_cast<const db_ptr *>(mda_Deref(static_cast<dxf_layer_table *>(memory)->table_data));
        const db_ptr record = entries[index];
        mda_UnlockEntity(0, table);
        return record;
    }
};

TEST_F(EntityProperties, LayerFromRecord)
{
    const std::string longName(300, 'L');
    db_ptr walls = LayerRecord({{"Walls", -5, "DASHED", 50}, {longName.c_str(), 3, "CONTINUOUS", -3}}, 0);
    VyrDxfLayer layer(walls);
    EXPECT_STREQ(layer.GetName(), "Walls");
    EXPECT_STREQ(layer.GetLineType(), "DASHED");
    EXPECT_EQ(layer.GetColor(), -5) << "a switched-off layer keeps its negative colour";
    EXPECT_EQ(layer.GetThickness(), 50.0);
    EXPECT_EQ(layer.GetEntity(), walls);

    VyrDxfLayer lengthy(LayerRecord({{longName.c_str(), 3, "CONTINUOUS", -3}}, 0));
    EXPECT_EQ(std::string(lengthy.GetName()), std::string(255, 'L'))
        << "names keep the field's 255 characters";
    EXPECT_EQ(lengthy.GetThickness(), -3.0);

    VyrDxfLayer none(0);
    EXPECT_EQ(none.GetName(), nullptr) << "an empty name reads as none";
    ExpectFields({VYR_F(none.GetLineType(), ""), VYR_F(none.GetColor(), 0), VYR_F(none.GetThickness(), 0.0)});

    /* A record of another kind gives the defaults, not garbage. */
    VyrDxfLayer wrong(Line(0, 0, 1, 1));
    EXPECT_EQ(wrong.GetName(), nullptr);
    EXPECT_EQ(wrong.GetColor(), 0);
}

TEST_F(EntityProperties, HeaderCopies)
{
    Props p;
    p.layer = "Doors";
    p.lineType = "Center";
    p.color = 42;
    p.lineweight = 70.0;
    p.extrusionZ = -1.0;
    VyrDxfEntHeader header(Line(0, 0, 1, 1, p));
    ExpectFields({VYR_F(header.GetLayerName(), "Doors"), VYR_F(header.GetLineType(), "Center"),
                  VYR_F(header.GetColor(), 42), VYR_F(header.GetThickness(), 70.0),
                  VYR_F(header.GetExtrusion()[2], -1.0)});

    VyrDxfEntHeader copy(&header);
    ExpectFields({VYR_F(copy.GetLayerName(), "Doors"), VYR_F(copy.GetLineType(), "Center"),
                  VYR_F(copy.GetColor(), 42), VYR_F(copy.GetThickness(), 70.0),
                  VYR_F(copy.GetExtrusion()[2], -1.0)});
    copy.SetThickness(13.0);
    EXPECT_EQ(header.GetThickness(), 70.0) << "a copy is independent";

    for (VyrDxfEntHeader *h : {new VyrDxfEntHeader(), new VyrDxfEntHeader(0ul),
                               new VyrDxfEntHeader(static_cast<VyrDxfEntHeader *>(nullptr))}) {
        ExpectFields({VYR_F(h->GetLayerName(), ""), VYR_F(h->GetLineType(), ""), VYR_F(h->GetColor(), 0),
                      VYR_F(h->GetThickness(), -1.0), VYR_F(h->GetExtrusion()[2], 0.0)});
        delete h;
    }

    const std::string longType(280, 'T');
    Props q;
    q.lineType = longType.c_str();
    VyrDxfEntHeader lengthy(Line(0, 0, 1, 1, q));
    EXPECT_EQ(std::string(lengthy.GetLineType()), std::string(255, 'T'));
}

TEST_F(EntityProperties, ColourResolution)
{
    VyrDxfLayer on(LayerRecord({{"On", 3, "CONTINUOUS", 25}}, 0));
    VyrDxfLayer off(LayerRecord({{"Off", -5, "CONTINUOUS", 25}}, 0));
    VyrDxfBlock block(Block("B", 0, 0, {}, Color(30)), nullptr);
    ASSERT_EQ(block.GetColor(), 30);

    EXPECT_EQ(VyrDxfLine(Line(0, 0, 1, 1, Color(0)), nullptr, nullptr).GetColor(), 7)
        << "BYBLOCK at top level";
    EXPECT_EQ(VyrDxfLine(Line(0, 0, 1, 1, Color(0)), &on, &block).GetColor(), 30) << "BYBLOCK in a block";
    EXPECT_EQ(VyrDxfLine(Line(0, 0, 1, 1, Color(256)), &on, nullptr).GetColor(), 3);
    EXPECT_EQ(VyrDxfLine(Line(0, 0, 1, 1, Color(256)), &off, nullptr).GetColor(), 5) << "an off layer";
    EXPECT_EQ(VyrDxfLine(Line(0, 0, 1, 1, Color(256)), nullptr, nullptr).GetColor(), 256)
        << "a layer that exists nowhere leaves BYLAYER";
    EXPECT_EQ(VyrDxfLine(Line(0, 0, 1, 1, Color(12)), &off, &block).GetColor(), 12);

    /* A block whose own colour is BYLAYER takes its layer's, made positive;
     * its BYBLOCK contents then follow. */
    VyrDxfBlock byLayer(Block("C", 0, 0, {}, Color(256)), &off);
    EXPECT_EQ(byLayer.GetColor(), 5);
    EXPECT_EQ(VyrDxfLine(Line(0, 0, 1, 1, Color(0)), nullptr, &byLayer).GetColor(), 5);
    /* A block without layer keeps BYLAYER, which the entity's layer then
     * resolves. */
    VyrDxfBlock plain(Block("D", 0, 0, {}, Color(256)), nullptr);
    EXPECT_EQ(VyrDxfLine(Line(0, 0, 1, 1, Color(0)), &on, &plain).GetColor(), 3);

    /* Elements made from numbers carry a copy of a header, or none. */
    VyrDxfEntHeader header(Line(0, 0, 1, 1, Color(4)));
    EXPECT_EQ(VyrDxfLine(0, 0, 1, 1, &header).GetColor(), 4);
    EXPECT_EQ(VyrDxfLine(0, 0, 1, 1, nullptr).GetColor(), 7);
}

TEST_F(EntityProperties, ThicknessResolution)
{
    VyrDxfLayer thick(LayerRecord({{"Thick", 1, "CONTINUOUS", 100}}, 0));
    VyrDxfLayer deflt(LayerRecord({{"Default", 1, "CONTINUOUS", -3}}, 0));
    Props inBlock;
    inBlock.lineweight = 140.0;
    VyrDxfBlock block(Block("B", 0, 0, {}, inBlock), nullptr);

    auto weight = [&](double w, VyrDxfLayer *layer, VyrDxfBlock *owner) {
        Props p;
        p.lineweight = w;
        return VyrDxfLine(Line(0, 0, 1, 1, p), layer, owner).GetThickness();
    };
    EXPECT_EQ(weight(-1.0, &thick, nullptr), 100.0);
    EXPECT_EQ(weight(-1.0, &deflt, nullptr), 25.0);
    EXPECT_EQ(weight(-1.0, nullptr, nullptr), 25.0);
    EXPECT_EQ(weight(-2.0, &thick, nullptr), 25.0) << "BYBLOCK at top level";
    ExpectFields({VYR_F(weight(-2.0, &thick, &block), 140.0), VYR_F(weight(-3.0, &thick, &block), 25.0),
                  VYR_F(weight(35.0, &thick, &block), 35.0)});
    EXPECT_EQ(weight(0.0, nullptr, nullptr), 0.0);
    EXPECT_EQ(VyrDxfLine(0, 0, 1, 1, nullptr).GetThickness(), 13.0) << "no header, no entity";
}

TEST_F(EntityProperties, LineTypeResolution)
{
    VyrDxfLayer dashed(LayerRecord({{"Dashed", 1, "DASHED", 25}}, 0));
    Props blockProps;
    blockProps.lineType = "Center";
    VyrDxfBlock block(Block("B", 0, 0, {}, blockProps), nullptr);

    auto lineType = [&](const char *name, VyrDxfLayer *layer, VyrDxfBlock *owner) {
        Props p;
        p.lineType = name;
        VyrDxfLine line(Line(0, 0, 1, 1, p), layer, owner);
        const std::string first = line.GetLineType();
        EXPECT_EQ(std::string(line.GetLineType()), first);
        /* Nothing resolved is stored: the header keeps the name as it
         * stands (block contents are shared by inserts of their own). */
        EXPECT_EQ(std::string(line.GetHeader()->GetLineType()), std::string(name));
        return first;
    };
    EXPECT_EQ(lineType("bylayer", &dashed, nullptr), "DASHED");
    EXPECT_EQ(lineType("ByLayer", nullptr, nullptr), "");
    EXPECT_EQ(lineType("BYBLOCK", &dashed, nullptr), "");
    EXPECT_EQ(lineType("byblock", &dashed, &block), "Center");
    EXPECT_EQ(lineType("PHANTOM", &dashed, &block), "PHANTOM");
    EXPECT_EQ(VyrDxfLine(0, 0, 1, 1, nullptr).GetLineType(), nullptr);
    EXPECT_EQ(VyrDxfLine(0, 0, 1, 1, nullptr).MappVyrLineType(), 1);
    Props center;
    center.lineType = "CENTER";
    EXPECT_EQ(VyrDxfLine(Line(0, 0, 1, 1, center), nullptr, nullptr).MappVyrLineType(), 7);
}

TEST_F(EntityProperties, AttributeStepSendsOnlyChanges)
{
    VyrDxfLayer layer(LayerRecord({{"L", 1, "DASHDOT", 25}}, 0));
    Props heavy = Color(3);
    heavy.lineweight = 211.0;
    VyrDxfLine first(Line(0, 0, 1, 1, heavy), &layer, nullptr);
    VyrDxfLine same(Line(2, 2, 3, 3, heavy), &layer, nullptr);
    Props plain = Color(7);
    plain.lineType = "CONTINUOUS";
    plain.lineweight = 13.0;
    VyrDxfLine back(Line(4, 4, 5, 5, plain), nullptr, nullptr);

    /* The starting state: 0.13 mm (index 1), continuous, colour 7. */
    EXPECT_EQ(Record(first), (std::vector<std::string>{"SetLineWidth 2", "SetLineType 3 0 0", "SetColor 3",
                                                       "DrawLine 0 0 1 1"}));
    EXPECT_EQ(Record(same), (std::vector<std::string>{"DrawLine 2 2 3 3"}));
    EXPECT_EQ(Record(back), (std::vector<std::string>{"SetLineWidth 0.13", "SetLineType 0 0 0", "SetColor 7",
                                                      "DrawLine 4 4 5 5"}));

    /* Null generator and transformation. */
    EXPECT_EQ(static_cast<VyrDxfEntity &>(first).VyrDxfEntity::Write(nullptr, nullptr), -1);
    VyrRecordingGenerator::Reset();
    VyrRecordingGenerator *g = new VyrRecordingGenerator();
    EXPECT_EQ(first.VyrDxfEntity::Write(g, nullptr), 1);
    EXPECT_EQ(first.Write(g, nullptr), 1);
    EXPECT_TRUE(VyrRecordingGenerator::Log().empty());
    g->Release();
}

TEST_F(EntityProperties, FirstHeavyElementStillSendsItsWidth)
{
    /* The cache starts at index 1, the width the picture starts with, so an
     * element of index 6 must send its 2.0 mm. */
    Props p = Color(7);
    p.lineType = "CONTINUOUS";
    p.lineweight = 200.0;
    VyrDxfLine line(Line(0, 0, 1, 1, p), nullptr, nullptr);
    EXPECT_EQ(Record(line), (std::vector<std::string>{"SetLineWidth 2", "DrawLine 0 0 1 1"}));
    EXPECT_EQ(VyrDxfEntity::_currentThickness, 6);
}

} // namespace
