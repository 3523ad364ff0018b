/* Texts, attributes, dimensions, leaders and tolerances mapped into the
 * model: from a drawing written by ezdxf (tests/data/texts) and from
 * drawings built in code for the broken cases. */
#include <cmath>
#include <string>

#include "mapping_fixture.h"

using namespace maptest;

namespace {

AdEntityRecord Zero()
{
    AdEntityRecord r;
    memset(&r, 0, sizeof r);
    return r;
}

AdBlob *BlobOf(const std::string &bytes)
{
    AdBlob *b = adCreateBlobEx(4096);
    AdBlobCursor *c = adStartBlobWrite(b);
    adWriteBlobBytesLong(c, bytes.data(), static_cast<long>(bytes.size()));
    adEndBlobWrite(c);
    return b;
}

class Texts : public MappingTest {
protected:
    int ParseFile(const char *name)
    {
        dnfp__LoadFile = adLoadFile;
        std::string file = std::string(VYR_TEST_DATA_DIR) + "/texts/" + name;
        return dxfi_ParseFile(0, model, file.c_str(), collect);
    }

    template <class Rec> db_ptr ByHandle(mda_tf tf, const char *handle)
    {
        for (db_ptr p : All(tf))
            if (strcmp(Read<Rec>(p).dxfsubhdr.handle, handle) == 0) return p;
        return 0;
    }

    /* The text of a string field of a locked record. */
    template <class Rec> std::string Text(db_ptr p, mda_ref Rec::*field)
    {
        std::string s = "<null>";
        Locked<Rec>(p, [&](Rec &r) {
            if (r.*field) s = static_cast<const char *>(mda_Deref(r.*field));
        });
        return s;
    }
};

TEST_F(Texts, TextFieldsAnglesAndStyleLinks)
{
    ASSERT_EQ(ParseFile("texts_mapping.dxf"), 0) << printed();
    db_ptr p = ByHandle<dxf_text>(DXFI_TF_dxf_text, "30");
    ASSERT_NE(p, 0u);
    dxf_text t = Read<dxf_text>(p);
    ExpectFields({VYR_F(t.xyzloc[0], 1.0), VYR_F(t.xyzloc[1], 2.0), VYR_F(t.height, 2.5), VYR_F(t.rang, 45.0),
                  VYR_F(t.oang, 15.0), VYR_F(t.xscale, 0.8), VYR_F(t.hjust, 1), VYR_F(t.vjust, 2),
                  /* the alignment point keeps x and y only */
                  VYR_F(t.xyzaln[0], 5.0), VYR_F(t.xyzaln[1], 6.0), VYR_F(t.xyzaln[2], 0.0),
                  VYR_F(t.tstyle, "Slanted")});
    EXPECT_EQ(Text(p, &dxf_text::text), "Rotated");

    /* the pointer names the style table entry of that name */
    ASSERT_NE(t.shapefileobjhandle, 0u);
    dxf_text_style_table_data style = Read<dxf_text_style_table_data>(t.shapefileobjhandle);
    EXPECT_STREQ(style.entry_name, "Slanted");
}

TEST_F(Texts, MultilineTextFromChunksAndInline)
{
    ASSERT_EQ(ParseFile("texts_mapping.dxf"), 0) << printed();
    db_ptr wide = ByHandle<dxf_mtext>(DXFI_TF_dxf_mtext, "31");
    db_ptr brief = ByHandle<dxf_mtext>(DXFI_TF_dxf_mtext, "32");
    ASSERT_NE(wide, 0u);
    ASSERT_NE(brief, 0u);
    dxf_mtext m = Read<dxf_mtext>(wide);
    ExpectFields({VYR_F(m.numstr, 1), VYR_F(m.attpnt, 5), VYR_F(m.height, 3.0), VYR_F(m.width, 40.0),
                  VYR_F(m.linespacingfactor, 1.5), VYR_F(m.textdir[0], 0.0), VYR_F(m.textdir[1], -1.0),
                  VYR_F(m.xyzloc[0], 10.0), VYR_F(m.style, "Slanted")});
    std::string text = Text(wide, &dxf_mtext::text);
    /* 375 words of 8 characters, written in chunks of 250 by the writer */
    ASSERT_EQ(text.size(), 3000u);
    EXPECT_EQ(text.substr(0, 16), "word000 word001 ");
    EXPECT_EQ(text.substr(2992), "word374 ");
    EXPECT_EQ(Text(brief, &dxf_mtext::text), "Short\\Pline");
}

TEST_F(Texts, AttributeDefinitionFields)
{
    ASSERT_EQ(Parse([](Drawing &g) {
                  AdEntityRecord r = Zero();
                  r.attdef.pt0[0] = 4.0;
                  r.attdef.height = 2.0;
                  r.attdef.rotang = M_PI / 6;
                  r.attdef.oblique = M_PI / 12;
                  r.attdef.widthfactor = 0.5;
                  r.attdef.flag = 2;
                  r.attdef.fieldlen = 12;
                  r.attdef.hjust = 4;
                  r.attdef.vjust = 3;
                  r.attdef.alignpt[0] = 7.0;
                  r.attdef.alignpt[1] = 8.0;
                  strcpy(r.attdef.tag, "PART");
                  strcpy(r.attdef.prompt, "Part number?");
                  strcpy(r.attdef.defval, "P-0");
                  g.Add(Drawing::Header(AD_ENT_ATTDEF, 0x100), r);
              }),
              0)
        << printed();
    auto defs = All(DXFI_TF_dxf_attribute_definition);
    ASSERT_EQ(defs.size(), 1u);
    dxf_attribute_definition d = Read<dxf_attribute_definition>(defs[0]);
    ExpectFields({VYR_F(d.txtstr[0], 4.0), VYR_F(d.rang, 30.0), VYR_F(d.oang, 15.0), VYR_F(d.xscale, 0.5),
                  VYR_F(d.aflag, 2), VYR_F(d.flen, 12), VYR_F(d.hjust, 4), VYR_F(d.vjust, 3),
                  VYR_F(d.xyzaln[0], 7.0), VYR_F(d.xyzaln[1], 8.0)});
    EXPECT_EQ(Text(defs[0], &dxf_attribute_definition::tag), "PART");
    EXPECT_EQ(Text(defs[0], &dxf_attribute_definition::prompt), "Part number?");
    EXPECT_EQ(Text(defs[0], &dxf_attribute_definition::text), "P-0");
}

/* The insert mapper hands its ATTRIBs to the attribute mapper. */
TEST_F(Texts, AttributesOfAnInsert)
{
    ASSERT_EQ(ParseFile("texts_mapping.dxf"), 0) << printed();
    if (All(DXFI_TF_dxf_insert).empty()) GTEST_SKIP() << "inserts are not mapped in this build";
    db_ptr part = ByHandle<dxf_attribute_instance>(DXFI_TF_dxf_attribute_instance, "3A");
    db_ptr hidden = ByHandle<dxf_attribute_instance>(DXFI_TF_dxf_attribute_instance, "3B");
    ASSERT_NE(part, 0u);
    ASSERT_NE(hidden, 0u);
    EXPECT_EQ(Text(part, &dxf_attribute_instance::text), "P-42");
    EXPECT_EQ(Text(part, &dxf_attribute_instance::tag), "PART");
    EXPECT_DOUBLE_EQ(Read<dxf_attribute_instance>(part).rang, 30.0);
    dxf_attribute_instance h = Read<dxf_attribute_instance>(hidden);
    ExpectFields({VYR_F(h.aflag, 1), VYR_F(h.hjust, 2),
                  /* an attribute keeps all three coordinates of its alignment point */
                  VYR_F(h.xyzaln[0], 110.0), VYR_F(h.xyzaln[2], 3.0)});
}

TEST_F(Texts, DimensionLeaderAndTolerance)
{
    ASSERT_EQ(ParseFile("texts_mapping.dxf"), 0) << printed();
    auto dims = All(DXFI_TF_dxf_dimension);
    ASSERT_EQ(dims.size(), 1u);
    dxf_dimension d = Read<dxf_dimension>(dims[0]);
    EXPECT_STREQ(d.dimstyle, "Standard");
    EXPECT_NE(d.dimstyleobjhandle, 0u);
    EXPECT_EQ(std::string(d.bname).substr(0, 2), "*D");
    EXPECT_NE(d.block, 0u);
    EXPECT_DOUBLE_EQ(d.xyzdf1[0], 0.0);
    EXPECT_DOUBLE_EQ(d.xyzdf2[0], 30.0);
    EXPECT_EQ(Text(dims[0], &dxf_dimension::dimtxt), "<> mm");

    auto leaders = All(DXFI_TF_dxf_leader);
    ASSERT_EQ(leaders.size(), 1u);
    dxf_leader l = Read<dxf_leader>(leaders[0]);
    ASSERT_EQ(l.numvtx, 3);
    Locked<dxf_leader>(leaders[0], [](dxf_leader &r) {
        const double *v = static_cast<const double *>(mda_Deref(r.vertex));
        EXPECT_DOUBLE_EQ(v[3], 5.0);
        EXPECT_DOUBLE_EQ(v[7], 5.0);
        EXPECT_DOUBLE_EQ(v[6], 10.0);
    });

    auto tolerances = All(DXFI_TF_dxf_tolerance);
    ASSERT_EQ(tolerances.size(), 1u);
    EXPECT_EQ(Text(tolerances[0], &dxf_tolerance::text), "{\\Fgdt;j}%%v0.1");
    EXPECT_DOUBLE_EQ(Read<dxf_tolerance>(tolerances[0]).xyzloc[0], 50.0);
}

TEST_F(Texts, DimensionWithoutStyleRefersToUnnamed)
{
    ASSERT_EQ(Parse([](Drawing &g) {
                  AdEntityRecord r = Zero();
                  set_handle(r.dim.dimstylehandle, 0x777);
                  r.dim.rotang = M_PI / 2;
                  g.Add(Drawing::Header(AD_ENT_DIMENSION, 0x100), r);
              }),
              0)
        << printed();
    auto dims = All(DXFI_TF_dxf_dimension);
    ASSERT_EQ(dims.size(), 1u);
    dxf_dimension d = Read<dxf_dimension>(dims[0]);
    ExpectFields({VYR_F(d.dimstyle, "UNNAMED"), VYR_F(d.bname, ""), VYR_F(d.block, 0u), VYR_F(d.dimtxt, 0u),
                  VYR_F(d.rotang, 90.0)});
    /* the pointer is that of the table's own "UNNAMED" entry */
    ASSERT_NE(d.dimstyleobjhandle, 0u);
    EXPECT_STREQ(Read<dxf_dimension_style_table_data>(d.dimstyleobjhandle).entry_name, "UNNAMED");
}

/* Texts longer than their field keep what fits; empty texts stay empty. */
TEST_F(Texts, CopiesAreBoundedByTheirFields)
{
    ASSERT_EQ(Parse([](Drawing &g) {
                  AdEntityRecord r = Zero();
                  memset(r.text.text, 'x', AD_TEXT_LEN - 1);
                  r.text.height = 1.0;
                  g.Add(Drawing::Header(AD_ENT_TEXT, 0x100), r);
                  AdEntityRecord e = Zero();
                  g.Add(Drawing::Header(AD_ENT_TEXT, 0x101), e);
                  AdEntityRecord a = Zero();
                  memset(a.attdef.tag, 't', AD_NAME_LEN - 1);
                  memset(a.attdef.defval, 'v', AD_TEXT_LEN - 1);
                  g.Add(Drawing::Header(AD_ENT_ATTDEF, 0x102), a);
              }),
              0)
        << printed();
    auto texts = All(DXFI_TF_dxf_text);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(Text(texts[0], &dxf_text::text), std::string(2048, 'x'));
    EXPECT_EQ(Text(texts[1], &dxf_text::text), "");
    auto defs = All(DXFI_TF_dxf_attribute_definition);
    ASSERT_EQ(defs.size(), 1u);
    EXPECT_EQ(Text(defs[0], &dxf_attribute_definition::tag), std::string(511, 't'));
    EXPECT_EQ(Text(defs[0], &dxf_attribute_definition::text), std::string(1024, 'v'));
}

/* The blob holds no terminator: the model's copy gets one, whatever the
 * length. */
TEST_F(Texts, MultilineTextBlobGetsItsTerminator)
{
    const std::string big(100000, 'm');
    ASSERT_EQ(Parse([&](Drawing &g) {
                  AdEntityRecord r = Zero();
                  r.mtext.textblob = BlobOf(big);
                  g.Add(Drawing::Header(AD_ENT_MTEXT, 0x100), r);
                  AdEntityRecord s = Zero();
                  s.mtext.textblob = BlobOf("");
                  g.Add(Drawing::Header(AD_ENT_MTEXT, 0x101), s);
              }),
              0)
        << printed();
    auto texts = All(DXFI_TF_dxf_mtext);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(Text(texts[0], &dxf_mtext::text), big);
    EXPECT_EQ(Read<dxf_mtext>(texts[0]).numstr, 1);
    EXPECT_EQ(Text(texts[1], &dxf_mtext::text), "<null>");
    EXPECT_EQ(Read<dxf_mtext>(texts[1]).numstr, 0);
}

/* A stray ATTRIB costs a warning; what follows it is still mapped. */
TEST_F(Texts, StrayAttributeIsPassedOverWithAWarning)
{
    ASSERT_EQ(Parse([](Drawing &g) {
                  g.Line(0x100, 0, 0, 0, 1, 1);
                  g.Add(Drawing::Header(AD_ENT_ATTRIB, 0x101), Zero());
                  g.Line(0x102, 0, 0, 0, 1, 1);
              }),
              0)
        << printed();
    EXPECT_EQ(All(DXFI_TF_dxf_line).size(), 2u);
    EXPECT_EQ(All(DXFI_TF_dxf_attribute_instance).size(), 0u);
    EXPECT_NE(printed().find("ATTRIB"), std::string::npos) << printed();
}

TEST_F(Texts, LeaderCountBeyondItsBlobKeepsWhatIsThere)
{
    ASSERT_EQ(Parse([](Drawing &g) {
                  AdEntityRecord r = Zero();
                  const double pts[6] = {1, 2, 3, 4, 5, 6};
                  r.leader.numpoints = 1000000;
                  r.leader.ptblob = BlobOf(std::string(reinterpret_cast<const char *>(pts), sizeof pts));
                  g.Add(Drawing::Header(AD_ENT_LEADER, 0x100), r);
              }),
              0)
        << printed();
    auto leaders = All(DXFI_TF_dxf_leader);
    ASSERT_EQ(leaders.size(), 1u);
    EXPECT_EQ(Read<dxf_leader>(leaders[0]).numvtx, 2);
    EXPECT_STREQ(Read<dxf_leader>(leaders[0]).dimstyle, "UNNAMED");
}

} // namespace
