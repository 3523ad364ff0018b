/* Tests of the data definitions: the compiled-in DXF definition's tables
 * (counts, order, names, flags, count links), the layout rule recomputed
 * from the field records alone against the record structs, TF lookup with
 * its memo, field defaults and computed counts. */
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstring>
#include <set>
#include <string>

#include "kernel/ddf/ddf.h"
#include "kernel/ddf/ddf_int.h"
#include "kernel/ddf/dxfi_records.h"
#include "support/Fields.h"

extern "C" size_t ddf_test_c_layout(int which);

namespace {

const DdfDef *Def() { return ddf_DxfiDefinition(); }

/* The field record of a TFI found by its full name, or null. */
const DdfField *FieldOf(int tfi, const char *name, int *index = nullptr)
{
    const DdfDef *d = Def();
    for (int i = d->fld_indices[tfi]; i < d->fld_indices[tfi] + d->ent_fldcnts[tfi]; ++i) {
        const DdfField &f = d->fld_data[i];
        if (f.name != DDF_NO_INDEX && std::strcmp(d->fld_names[f.name], name) == 0) {
            if (index) *index = i;
            return &f;
        }
    }
    return nullptr;
}

int OffsetOf(int tfi, const char *name)
{
    int i = -1;
    if (!FieldOf(tfi, name, &i)) return -1;
    return Def()->fld_offsets[i];
}

int Align(int x, int a) { return (x + a - 1) / a * a; }

/* The layout rule, applied to the field records from `i` up to the end
 * record that closes the scope; checks every offset against the
 * definition's offset table and returns the scope's raw size and alignment.
 * `is_union` overlays the members after the 2-byte selector. */
struct Scope {
    int end;   /* index of the closing record */
    int size;  /* raw size, before rounding */
    int align; /* largest member alignment */
};

Scope LayOut(int i, int start, bool is_union)
{
    const DdfDef *d = Def();
    int off = start, maxa = 1, body = 0;
    struct Item {
        int index, size, align;
    } items[300];
    int n = 0;
    for (;; ++i) {
        const DdfField &f = d->fld_data[i];
        if (f.kind == DDF_KIND_ENDENT || f.kind == DDF_KIND_ENDSTRUCT || f.kind == DDF_KIND_ENDUNION) break;
        int size = 0, align = 1;
        if (f.kind == DDF_KIND_SUBENT) {
            size = f.span;
            align = 8;
        } else if (f.kind == DDF_KIND_STRUCT || f.kind == DDF_KIND_UNION) {
            Scope inner = LayOut(i + 1, 0, f.kind == DDF_KIND_UNION);
            EXPECT_EQ(inner.end, i + f.span) << d->fld_names[f.name];
            EXPECT_EQ(Align(inner.size, inner.align), f.key) << d->fld_names[f.name];
            if (f.flags & DDF_FLAG_PTRFIXED) {
                size = align = 4;
            } else {
                size = f.key;
                align = f.key % 8 == 0 ? 8 : inner.align;
            }
            items[n++] = {i, size, align};
            i = inner.end;
            goto placed;
        } else if (f.flags & DDF_FLAG_PTRFIXED) {
            size = align = 4;
        } else {
            int es = ddf_KindSize(f.kind);
            size = es;
            for (int k = 0; k < f.ndims; ++k) size *= f.dims[k].extent;
            align = es;
        }
        items[n++] = {i, size, align};
    placed:
        continue;
    }
    for (int k = 0; k < n; ++k) maxa = std::max(maxa, items[k].align);
    if (is_union) {
        int body_off = Align(2, maxa);
        for (int k = 0; k < n; ++k) {
            EXPECT_EQ(d->fld_offsets[items[k].index], body_off) << items[k].index;
            body = std::max(body, items[k].size);
        }
        return {i, body_off + body, maxa};
    }
    for (int k = 0; k < n; ++k) {
        off = Align(off, items[k].align);
        EXPECT_EQ(d->fld_offsets[items[k].index], off) << d->fld_names[d->fld_data[items[k].index].name];
        off += items[k].size;
    }
    return {i, off, maxa};
}

TEST(DdfDefinition, CountsAndNames)
{
    const DdfDef *d = Def();
    ExpectFields({VYR_F(d->name, "dxfi"), VYR_F(d->major * 100 + d->minor, 102), VYR_F(d->n_typeforms, 118),
                  VYR_F(d->n_fld_data, 1203), VYR_F(d->n_fld_names, 625)});
    EXPECT_GE(d->n_fld_descs, 625);
    ASSERT_EQ(d->n_subent_tfis, 3);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(d->subent_tfis[k], k);
    EXPECT_EQ(d->n_attr_names + d->n_ptr_data + d->n_opcodes + d->n_vdescs, 0);

    std::set<std::string> names;
    for (int k = 0; k < d->n_fld_names; ++k) names.insert(d->fld_names[k]);
    EXPECT_EQ(names.size(), 625u) << "names are distinct";
    EXPECT_TRUE(names.count("dxfhdr.lay_name"));
    EXPECT_TRUE(names.count("dxfxed.appxdata.xdata.gc_data.pnt"));
    EXPECT_TRUE(names.count("path.seg.carc.center"));
    EXPECT_TRUE(names.count("dxfsubhdr"));

    const DdfField *color = FieldOf(DXFI_TFI_dxfhdr, "dxfhdr.color");
    ASSERT_TRUE(color);
    EXPECT_STREQ(d->fld_descs[color->desc], "Color");
    const DdfField *elev = FieldOf(DXFI_TFI_dxfhdr, "dxfhdr.elevation");
    ASSERT_TRUE(elev);
    EXPECT_STREQ(d->fld_descs[elev->desc], "dxfhdr.elevation") << "the name stands in";
    EXPECT_STREQ(d->ent_names[DXFI_TFI_dxf_line], "dxf_line");
}

TEST(DdfDefinition, TypeFormOrderAndInfo)
{
    const DdfDef *d = Def();
    for (int t = 1; t < d->n_typeforms; ++t) EXPECT_LT(d->typeforms[t - 1], d->typeforms[t]);
    EXPECT_EQ(uint32_t(d->typeforms[0]), 0xC17E0000u);
    EXPECT_EQ(d->typeforms[DXFI_TFI_dxf_line], MDA_TF(300, 0));
    EXPECT_EQ(d->typeforms[DXFI_TFI_dxf_layer_table_data], MDA_TF(10001, 2));
    EXPECT_EQ(d->typeforms[DXFI_TFI_dxf_proxy], MDA_TF(10002, 0));
    EXPECT_EQ(DXFI_TF_dxf_line_ext, MDA_TF(300, 1));
    for (int t = 0; t < d->n_typeforms; ++t) {
        int type = MDA_TF_TYPE(d->typeforms[t]), form = MDA_TF_FORM(d->typeforms[t]);
        int expect = 4;
        if (t == 0)
            expect = 2;
        else if (t < 3)
            expect = 6;
        else if (form == 1 || (form == 0 && (type == 309 || (type >= 325 && type <= 333))))
            expect = 5;
        EXPECT_EQ(d->ent_info[t], expect) << d->ent_names[t];
        EXPECT_EQ(d->fld_data[d->fld_indices[t] + d->ent_fldcnts[t] - 1].kind, DDF_KIND_ENDENT);
    }
    /* "Same as" records share their base's field table. */
    EXPECT_EQ(d->fld_indices[DXFI_TFI_dxf_line_ext], d->fld_indices[DXFI_TFI_dxf_line]);
    EXPECT_EQ(d->fld_indices[DXFI_TFI_dxf_curve_fit], d->fld_indices[DXFI_TFI_dxf_2dpolyline]);
    EXPECT_EQ(d->ent_sizes[DXFI_TFI_dxf_curve_fit], 808);
}

TEST(DdfDefinition, LayoutRuleReproducesEveryRecord)
{
    const DdfDef *d = Def();
    for (int t = 0; t < d->n_typeforms; ++t) {
        if (t > 0 && d->fld_indices[t] == d->fld_indices[t - 1]) continue;
        int start = d->ent_info[t] == 4 || d->ent_info[t] == 5 ? 16 : 0;
        Scope s = LayOut(d->fld_indices[t], start, false);
        EXPECT_EQ(s.end, d->fld_indices[t] + d->ent_fldcnts[t] - 1) << d->ent_names[t];
        EXPECT_EQ(Align(s.size, 8), d->ent_sizes[t]) << d->ent_names[t];
    }
}

TEST(DdfDefinition, OffsetsTheReadersUse)
{
    EXPECT_EQ(OffsetOf(DXFI_TFI_dxf_line, "xyzstr"), 720);
    EXPECT_EQ(OffsetOf(DXFI_TFI_dxf_line, "xyzend"), 744);
    EXPECT_EQ(Def()->ent_sizes[DXFI_TFI_dxf_line], 768);
    EXPECT_EQ(OffsetOf(DXFI_TFI_dxfhdr, "dxfhdr.extrusion"), 592);
    EXPECT_EQ(OffsetOf(DXFI_TFI_dxf_block, "ent_ptr"), 1784);
    EXPECT_EQ(OffsetOf(DXFI_TFI_dxf_lwpolyline, "points"), 756);
    EXPECT_EQ(OffsetOf(DXFI_TFI_dxf_hatch, "path.seg.spline.weight"), 24);
    EXPECT_EQ(OffsetOf(DXFI_TFI_dxf_hatch, "path.seg.carc"), 8);

    EXPECT_EQ(ddf_test_c_layout(0), sizeof(dxf_header));
    EXPECT_EQ(ddf_test_c_layout(1), offsetof(dxf_hatch, seedpoint));
    EXPECT_EQ(ddf_test_c_layout(2), 72u);
    EXPECT_EQ(ddf_test_c_layout(3), offsetof(dxf_hatch_path_seg, spline.weight));
    ExpectFields({VYR_F(ddf_test_c_layout(4), 40u), VYR_F(ddf_test_c_layout(5), 16u),
                  VYR_F(ddf_test_c_layout(6), 1096u), VYR_F(ddf_test_c_layout(7), 72u),
                  VYR_F(ddf_test_c_layout(8), 1356u)});
}

TEST(DdfDefinition, ArraysAndCountLinks)
{
    const DdfDef *d = Def();
    int npoints = -1, points = -1, bulge = -1, widths = -1;
    ASSERT_TRUE(FieldOf(DXFI_TFI_dxf_lwpolyline, "npoints", &npoints));
    ASSERT_TRUE(FieldOf(DXFI_TFI_dxf_lwpolyline, "points", &points));
    ASSERT_TRUE(FieldOf(DXFI_TFI_dxf_lwpolyline, "bulge", &bulge));
    ASSERT_TRUE(FieldOf(DXFI_TFI_dxf_lwpolyline, "widths", &widths));
    EXPECT_EQ(d->fld_data[npoints].kind, DDF_KIND_COUNT);
    EXPECT_EQ(d->fld_data[npoints].key, 3) << "three arrays share the count";
    const DdfField &p = d->fld_data[points];
    EXPECT_EQ(p.kind, DDF_KIND_DOUBLE);
    EXPECT_EQ(p.flags, DDF_FLAG_ARRAY | DDF_FLAG_PTRFIXED);
    ASSERT_EQ(p.ndims, 2);
    ExpectFields({VYR_F(p.dims[0].extent, -1), VYR_F(p.dims[1].extent, 2),
                  VYR_F(d->fld_countrec[points], npoints), VYR_F(d->fld_data[bulge].ndims, 1),
                  VYR_F(d->fld_countrec[widths], npoints)});

    const DdfField *ext = FieldOf(DXFI_TFI_dxfhdr, "dxfhdr.extrusion");
    EXPECT_EQ(ext->flags, DDF_FLAG_ARRAY | DDF_FLAG_FIXED);
    EXPECT_EQ(ext->dims[0].extent, 3);
    const DdfField *lay = FieldOf(DXFI_TFI_dxfhdr, "dxfhdr.lay_name");
    ExpectFields({VYR_F(lay->kind, DDF_KIND_FSTRING), VYR_F(lay->modifiers, DDF_MOD_LENGTH),
                  VYR_F(lay->dims[0].extent, 256)});

    /* Line parameters of each multiline vertex are counted by the record. */
    int numlines = -1, lineparms = -1;
    ASSERT_TRUE(FieldOf(DXFI_TFI_dxf_mline, "numlines", &numlines));
    ASSERT_TRUE(FieldOf(DXFI_TFI_dxf_mline, "vertex.lineparms", &lineparms));
    EXPECT_EQ(d->fld_countrec[lineparms], numlines);
    EXPECT_EQ(d->fld_data[lineparms].key, 16);
    EXPECT_EQ(FieldOf(DXFI_TFI_dxf_mline, "vertex.buffer")->kind, DDF_KIND_LONG);

    int seg = -1;
    const DdfField *s = FieldOf(DXFI_TFI_dxf_hatch, "path.seg", &seg);
    ASSERT_TRUE(s);
    ExpectFields({VYR_F(s->kind, DDF_KIND_UNION),
                  VYR_F(s->flags, DDF_FLAG_ARRAY | DDF_FLAG_PTRFIXED | DDF_FLAG_UNION), VYR_F(s->key, 72),
                  VYR_F(s->selector, s->number), VYR_F(d->fld_data[seg + s->span].kind, DDF_KIND_ENDUNION)});
    const DdfField *path = FieldOf(DXFI_TFI_dxf_hatch, "path");
    EXPECT_EQ(path->kind, DDF_KIND_STRUCT);
    EXPECT_EQ(path->key, 24);
    const DdfField *sub = FieldOf(DXFI_TFI_dxf_hatch, "dxfhdr");
    ExpectFields(
        {VYR_F(sub->kind, DDF_KIND_SUBENT), VYR_F(sub->key, DXFI_TFI_dxfhdr), VYR_F(sub->span, 632)});
}

TEST(DdfLookup, FindTFAndMemo)
{
    const DdfDef *d = Def();
    ExpectFields({VYR_F(ddf_FindTF(d->typeforms, d->n_typeforms, MDA_TF(49534, 0)), 0),
                  VYR_F(ddf_FindTF(d->typeforms, d->n_typeforms, MDA_TF(10002, 0)), 117),
                  VYR_F(ddf_FindTF(d->typeforms, d->n_typeforms, MDA_TF(300, 2)), -1),
                  VYR_F(ddf_FindTF(d->typeforms, 0, MDA_TF(300, 0)), -1)});
    for (int t = 0; t < d->n_typeforms; ++t)
        EXPECT_EQ(ddf_FindTF(d->typeforms, d->n_typeforms, d->typeforms[t]), t);

    ddf_Initialize();
    ddf__SetCurrent(d);
    EXPECT_EQ(ddf__SavedTF, MDA_NULL_TF);
    EXPECT_EQ(ddf_GetTFI(d, MDA_TF(300, 1)), DXFI_TFI_dxf_line_ext);
    EXPECT_EQ(ddf__SavedTF, MDA_TF(300, 1));
    ExpectFields({VYR_F(ddf__SavedTFI, DXFI_TFI_dxf_line_ext),
                  VYR_F(ddf_GetTFI(d, MDA_TF(300, 1)), DXFI_TFI_dxf_line_ext),
                  VYR_F(ddf_GetTFI(d, MDA_TF(300, 7)), -1)});
    EXPECT_EQ(ddf_GetTFI(nullptr, MDA_TF(300, 0)), -1);
    ddf__SetCurrent(nullptr);
    EXPECT_EQ(ddf__SavedTF, MDA_NULL_TF);
    ddf_Terminate();
}

TEST(DdfDefaults, EveryKind)
{
    DdfField f{};
    unsigned char buf[16];
    f.kind = DDF_KIND_INT;
    f.key = 7;
    std::memset(buf, 0xAA, sizeof buf);
    EXPECT_EQ(ddf_GetFieldDefault(&f, buf), 0);
    int32_t i32;
    std::memcpy(&i32, buf, 4);
    EXPECT_EQ(i32, 7);
    EXPECT_EQ(buf[4], 0xAA) << "one element only";

    f.kind = DDF_KIND_SHORT;
    EXPECT_EQ(ddf_GetFieldDefault(&f, buf), 0);
    int16_t i16;
    std::memcpy(&i16, buf, 2);
    EXPECT_EQ(i16, 7);

    double v;
    f.kind = DDF_KIND_DOUBLE;
    f.key = 52;
    ddf_GetFieldDefault(&f, buf);
    std::memcpy(&v, buf, 8);
    EXPECT_DOUBLE_EQ(v, M_PI);
    f.key = 54;
    ddf_GetFieldDefault(&f, buf);
    std::memcpy(&v, buf, 8);
    EXPECT_DOUBLE_EQ(v, M_PI / 4);
    f.key = 0;
    ddf_GetFieldDefault(&f, buf);
    std::memcpy(&v, buf, 8);
    EXPECT_EQ(v, 0.0);

    std::memset(buf, 'x', sizeof buf);
    f.kind = DDF_KIND_FSTRING;
    ddf_GetFieldDefault(&f, buf);
    EXPECT_EQ(buf[0], 0);

    std::memset(buf, 0xFF, sizeof buf);
    f.kind = DDF_KIND_PTR;
    ddf_GetFieldDefault(&f, buf);
    uint32_t u;
    std::memcpy(&u, buf, 4);
    EXPECT_EQ(u, 0u);

    EXPECT_EQ(ddf_GetFieldDefault(nullptr, buf), DDF_NULL_MEMPTR);
    f.kind = DDF_KIND_ENDENT;
    EXPECT_EQ(ddf_GetFieldDefault(&f, buf), DDF_INVALID_ARG);
}

TEST(DdfLet, OperationsAndCounters)
{
    /* counter0 = 6 * 7; counter1 = counter0 - 2; counter2 = counter1 / 4 */
    DdfLetOp ops[] = {{6, 7, 0, 'h'}, {-1, 2, 1, 'g'}, {-2, 4, 2, 'i'}, {0, 0, 0, 'd'}};
    int32_t v = -1;
    EXPECT_EQ(ddf__ComputeLet(ops, &v), 0);
    EXPECT_EQ(v, 10);
    DdfLetOp add[] = {{1, 2, 3, 'f'}, {0, 0, 0, 'd'}};
    EXPECT_EQ(ddf__ComputeLet(add, &v), 0);
    EXPECT_EQ(v, 3);
    DdfLetOp bad[] = {{1, 2, 0, 'z'}, {0, 0, 0, 'd'}};
    EXPECT_EQ(ddf__ComputeLet(bad, &v), DDF_UNKNOWN_LET_OP);
}

TEST(DdfSections, NamesAndNumbers)
{
    ExpectFields({VYR_F(ddf_SectionName(1), "attr_names"), VYR_F(ddf_SectionName(9), "typeforms"),
                  VYR_F(ddf_SectionName(23), "subtype_tfs")});
    EXPECT_EQ(ddf_SectionName(0), nullptr);
    EXPECT_EQ(ddf_SectionName(24), nullptr);
    EXPECT_EQ(ddf_SectionNumber("fld_data"), 12);
    EXPECT_EQ(ddf_SectionNumber("nope"), -1);
}

} // namespace
