/* The compiled-in DXF data definition "dxfi", built at compile time from the
 * catalogue in dxfi_catalogue.def. Three things come from the one table:
 * compile-time checks that pin the size of every record and element struct
 * of dxfi_records.h and the offset and size of every field to the
 * catalogue's numbers; a raw array of the catalogue's entries; and, from
 * that array, a constexpr builder that expands the structure types in place
 * and produces the 56-byte field records with their field numbers, spans,
 * count links, name and description indices, and the per-TFI tables. The
 * count of a variable array lies in the same record or element as the array
 * or in an enclosing one (the line parameters of every multiline vertex
 * share the record's numlines).
 *
 * Invariants checked while building (a violation stops the compilation):
 * TFs strictly ascending as signed values in TFI order, "same as" records
 * refer to an earlier record, every variable array has exactly one count of
 * its link in its own or an enclosing scope, field numbers fit 8 bits. */
#include <cstddef>
#include <cstdint>

#include "kernel/ddf/ddf.h"
#include "kernel/ddf/ddf_int.h"
#include "kernel/ddf/dxfi_records.h"

namespace {

/* ---- 1. The record structs against the catalogue ---------------------- */

#define DXFI__KSIZE_SHORT 2
#define DXFI__KSIZE_INT 4
#define DXFI__KSIZE_LONG 4
#define DXFI__KSIZE_FLOAT 4
#define DXFI__KSIZE_DOUBLE 8
#define DXFI__KSIZE_CHAR 1
#define DXFI__KSIZE_FSTRING 1
#define DXFI__KSIZE_VSTRING 4
#define DXFI__KSIZE_PTR 4

// clang-format off
#define DXFI_STRUCT(T, size, align)                        \
    struct check_##T {                                     \
        typedef T S;                                       \
        static_assert(sizeof(S) == (size), #T " size");    \
        static_assert(alignof(S) == (align), #T " alignment");
#define DXFI_STRUCT_END(T) };
#define DXFI_UNION(T, size, align)                         \
    DXFI_STRUCT(T, size, align)                            \
    static_assert(offsetof(S, selector) == 0, #T " selector");
#define DXFI_UNION_END(T) };
#define DXFI_SUBENTITY(name, type, form, size, info)       \
    struct check_##name {                                  \
        typedef name S;                                    \
        static_assert(sizeof(S) == (size), #name " size"); \
        static_assert(alignof(S) == 8, #name " alignment");
#define DXFI_ENTITY(name, type, form, size, info)          \
    DXFI_SUBENTITY(name, type, form, size, info)           \
    static_assert(offsetof(S, hdr) == 0 && sizeof(mda_EntHdr) == 16, #name " header");
#define DXFI_SAME(name, type, form, size, info, base) \
    static_assert(sizeof(name) == (size), #name " size");
#define DXFI_END(name) };
#define DXFI_SCALAR(off, name, KIND, desc)                \
    static_assert(offsetof(S, name) == (off), #name);     \
    static_assert(sizeof(S::name) == DXFI__KSIZE_##KIND, #name " size");
#define DXFI_FIXED(off, name, KIND, n, desc)              \
    static_assert(offsetof(S, name) == (off), #name);     \
    static_assert(sizeof(S::name) == DXFI__KSIZE_##KIND * (n), #name " size");
#define DXFI_COUNT(off, name, link, desc)                 \
    static_assert(offsetof(S, name) == (off), #name);     \
    static_assert(sizeof(S::name) == 4, #name " size");
#define DXFI_VARRAY(off, name, KIND, link, row, desc)     \
    static_assert(offsetof(S, name) == (off), #name);     \
    static_assert(sizeof(S::name) == 4, #name " size");
#define DXFI_VSTRUCT(off, name, T, link, desc)            \
    static_assert(offsetof(S, name) == (off), #name);     \
    static_assert(sizeof(S::name) == 4, #name " size");
#define DXFI_INLINE(off, name, T, desc)                   \
    static_assert(offsetof(S, name) == (off), #name);     \
    static_assert(sizeof(S::name) == sizeof(T), #name " size");
#define DXFI_SUBENT(off, SUB)                             \
    static_assert(offsetof(S, SUB) == (off), #SUB);       \
    static_assert(sizeof(S::SUB) == sizeof(SUB), #SUB " size");
// clang-format on
#include "kernel/ddf/dxfi_catalogue.def"

/* Sizes the drawing elements and the mapping layer rely on, spelled out. */
static_assert(sizeof(dxf_line) == 768 && offsetof(dxf_line, xyzstr) == 720 &&
                  offsetof(dxf_line, xyzend) == 744,
              "dxf_line");
static_assert(sizeof(dxfhdr) == 632 && offsetof(dxfhdr, extrusion) == 592, "dxfhdr");
static_assert(offsetof(dxf_block, ent_ptr) == 1784, "dxf_block");
static_assert(offsetof(dxf_lwpolyline, points) == 756, "dxf_lwpolyline");
static_assert(sizeof(dxf_hatch_path) == 24 && sizeof(dxf_hatch_path_seg) == 72, "hatch");
static_assert(sizeof(dxf_mline_vertex) == 80 && sizeof(dxf_mline_vertex_lineparms) == 16, "mline");
static_assert(sizeof(dxfxed_appxdata_xdata) == 40 && sizeof(dxfxed_appxdata) == 268, "xed");
static_assert(sizeof(dxf_line_type_table_data_shape) == 72, "linetype shape");
static_assert(sizeof(DdfField) == 56 && sizeof(DdfDim) == 6, "field record");

/* ---- 2. The raw catalogue ---------------------------------------------- */

enum Shape : uint8_t {
    SH_TYPE_BEGIN,
    SH_UNION_BEGIN,
    SH_TYPE_END,
    SH_SUB_BEGIN,
    SH_ENT_BEGIN,
    SH_SAME,
    SH_END,
    SH_SCALAR,
    SH_FIXED,
    SH_COUNT,
    SH_VARRAY,
    SH_VSTRUCT,
    SH_INLINE,
    SH_SUBENT
};

struct Raw {
    Shape shape;
    uint8_t kind;
    uint16_t off;
    uint16_t n;    /* fixed extent, or row length of a variable array */
    uint16_t link; /* count link */
    int32_t ref;   /* structure type, sub-entity TFI, or base TFI */
    const char *name;
    const char *desc;
    mda_tf tf;
    uint16_t size;
    uint8_t info;
};

#define DXFI_STRUCT(T, size, align) TY_##T,
#define DXFI_STRUCT_END(T)
#define DXFI_UNION(T, size, align) TY_##T,
#define DXFI_UNION_END(T)
#define DXFI_SUBENTITY(name, type, form, size, info)
#define DXFI_ENTITY(name, type, form, size, info)
#define DXFI_SAME(name, type, form, size, info, base)
#define DXFI_END(name)
#define DXFI_SCALAR(off, name, KIND, desc)
#define DXFI_FIXED(off, name, KIND, n, desc)
#define DXFI_COUNT(off, name, link, desc)
#define DXFI_VARRAY(off, name, KIND, link, row, desc)
#define DXFI_VSTRUCT(off, name, T, link, desc)
#define DXFI_INLINE(off, name, T, desc)
#define DXFI_SUBENT(off, SUB)
enum TypeId {
#include "kernel/ddf/dxfi_catalogue.def"
    TY_COUNT
};

#define DXFI_STRUCT(T, size, align) {SH_TYPE_BEGIN, 0, 0, 0, 0, TY_##T, #T, "", 0, size, 0},
#define DXFI_STRUCT_END(T) {SH_TYPE_END, 0, 0, 0, 0, 0, #T, "", 0, 0, 0},
#define DXFI_UNION(T, size, align) {SH_UNION_BEGIN, 0, 0, 0, 0, TY_##T, #T, "", 0, size, 0},
#define DXFI_UNION_END(T) {SH_TYPE_END, 0, 0, 0, 0, 0, #T, "", 0, 0, 0},
#define DXFI_SUBENTITY(name, type, form, size, info)                                                         \
    {SH_SUB_BEGIN, 0, 0, 0, 0, DXFI_TFI_##name, #name, "", MDA_TF(type, form), size, info},
#define DXFI_ENTITY(name, type, form, size, info)                                                            \
    {SH_ENT_BEGIN, 0, 0, 0, 0, DXFI_TFI_##name, #name, "", MDA_TF(type, form), size, info},
#define DXFI_SAME(name, type, form, size, info, base)                                                        \
    {SH_SAME, 0, 0, 0, 0, DXFI_TFI_##base, #name, "", MDA_TF(type, form), size, info},
#define DXFI_END(name) {SH_END, 0, 0, 0, 0, 0, #name, "", 0, 0, 0},
#define DXFI_SCALAR(off, name, KIND, desc) {SH_SCALAR, DDF_KIND_##KIND, off, 0, 0, 0, #name, desc, 0, 0, 0},
#define DXFI_FIXED(off, name, KIND, n, desc) {SH_FIXED, DDF_KIND_##KIND, off, n, 0, 0, #name, desc, 0, 0, 0},
#define DXFI_COUNT(off, name, link, desc) {SH_COUNT, DDF_KIND_COUNT, off, 0, link, 0, #name, desc, 0, 0, 0},
#define DXFI_VARRAY(off, name, KIND, link, row, desc)                                                        \
    {SH_VARRAY, DDF_KIND_##KIND, off, row, link, 0, #name, desc, 0, 0, 0},
#define DXFI_VSTRUCT(off, name, T, link, desc) {SH_VSTRUCT, 0, off, 0, link, TY_##T, #name, desc, 0, 0, 0},
#define DXFI_INLINE(off, name, T, desc) {SH_INLINE, 0, off, 0, 0, TY_##T, #name, desc, 0, 0, 0},
#define DXFI_SUBENT(off, SUB) {SH_SUBENT, DDF_KIND_SUBENT, off, 0, 0, DXFI_TFI_##SUB, #SUB, "", 0, 0, 0},
constexpr Raw kRaw[] = {
#include "kernel/ddf/dxfi_catalogue.def"
};

constexpr int kNumRaw = int(sizeof(kRaw) / sizeof(kRaw[0]));

/* ---- 3. The builder ---------------------------------------------------- */

constexpr int kNumTF = DXFI_TFI_COUNT;
constexpr int kFieldCap = 1280;
constexpr int kNameCap = 704;
constexpr int kDescCap = 768;
constexpr int kPathMax = 64;
constexpr int kHashSize = 2048; /* power of two, above the field count */

/* Reached only when the catalogue breaks an invariant: calling a function
 * that is not constexpr ends the constant evaluation with an error. */
inline void catalogue_error(const char *) {}

constexpr int str_len(const char *s)
{
    int n = 0;
    while (s[n]) ++n;
    return n;
}

constexpr bool str_eq(const char *a, const char *b)
{
    int i = 0;
    while (a[i] && a[i] == b[i]) ++i;
    return a[i] == b[i];
}

constexpr uint32_t str_hash(const char *s)
{
    uint32_t h = 2166136261u;
    for (int i = 0; s[i]; ++i) h = (h ^ uint8_t(s[i])) * 16777619u;
    return h;
}

struct Built {
    DdfField fld[kFieldCap];
    uint16_t off[kFieldCap];
    int16_t countrec[kFieldCap];
    int16_t parent[kFieldCap]; /* enclosing struct/union record, -1 at top */
    char path[kFieldCap][kPathMax];
    const char *desc_lit[kFieldCap]; /* quoted description, or null */
    int nf;
    mda_tf tf[kNumTF];
    uint16_t first[kNumTF];
    uint16_t nfld[kNumTF];
    uint16_t size[kNumTF];
    uint8_t info[kNumTF];
    const char *ename[kNumTF];
    uint16_t subent[kNumTF];
    int nsub;
    uint16_t name_src[kNameCap]; /* field record whose path is the name */
    int nnames;
    uint16_t desc_src[kDescCap]; /* field record whose description it is */
    int ndescs;
    int16_t name_hash[kHashSize];
    int16_t desc_hash[kHashSize];
    int type_begin[TY_COUNT];
};

constexpr const char *desc_text(const Built &b, int i) { return b.desc_lit[i] ? b.desc_lit[i] : b.path[i]; }

constexpr uint16_t intern_name(Built &b, int i)
{
    uint32_t h = str_hash(b.path[i]);
    for (uint32_t k = h & (kHashSize - 1);; k = (k + 1) & (kHashSize - 1)) {
        int s = b.name_hash[k];
        if (s < 0) {
            if (b.nnames >= kNameCap) catalogue_error("too many names");
            b.name_src[b.nnames] = uint16_t(i);
            b.name_hash[k] = int16_t(b.nnames);
            return uint16_t(b.nnames++);
        }
        if (str_eq(b.path[b.name_src[s]], b.path[i])) return uint16_t(s);
    }
}

constexpr uint16_t intern_desc(Built &b, int i)
{
    const char *text = desc_text(b, i);
    uint32_t h = str_hash(text);
    for (uint32_t k = h & (kHashSize - 1);; k = (k + 1) & (kHashSize - 1)) {
        int s = b.desc_hash[k];
        if (s < 0) {
            if (b.ndescs >= kDescCap) catalogue_error("too many descriptions");
            b.desc_src[b.ndescs] = uint16_t(i);
            b.desc_hash[k] = int16_t(b.ndescs);
            return uint16_t(b.ndescs++);
        }
        if (str_eq(desc_text(b, b.desc_src[s]), text)) return uint16_t(s);
    }
}

/* Appends a field record with the given path prefix (a field record whose
 * path plus '.' prefixes the name, or a plain string, or neither). */
constexpr int new_record(Built &b, int entity_first, int parent)
{
    if (b.nf >= kFieldCap) catalogue_error("too many field records");
    int i = b.nf++;
    DdfField &f = b.fld[i];
    f.name = DDF_NO_INDEX;
    f.desc = DDF_NO_INDEX;
    f.selector = DDF_NO_INDEX;
    f.reserved18 = DDF_NO_INDEX;
    if (i - entity_first > 255) catalogue_error("field number beyond 8 bits");
    f.number = uint8_t(i - entity_first);
    b.countrec[i] = -1;
    b.parent[i] = int16_t(parent);
    return i;
}

constexpr void set_path(Built &b, int i, const char *prefix, int prefix_rec, const char *name)
{
    int n = 0;
    if (prefix_rec >= 0) prefix = b.path[prefix_rec];
    if (prefix) {
        for (int k = 0; prefix[k]; ++k) b.path[i][n++] = prefix[k];
        b.path[i][n++] = '.';
    }
    if (n + str_len(name) >= kPathMax) catalogue_error("field path too long");
    for (int k = 0; name[k]; ++k) b.path[i][n++] = name[k];
    b.path[i][n] = 0;
}

constexpr void emit_field(Built &b, const Raw &r, int entity_first, int parent, const char *prefix,
                          int prefix_rec)
{
    int i = new_record(b, entity_first, parent);
    set_path(b, i, prefix, prefix_rec, r.name);
    b.desc_lit[i] = r.desc[0] ? r.desc : nullptr;
    b.fld[i].name = intern_name(b, i);
    b.fld[i].desc = intern_desc(b, i);
    b.off[i] = r.off;
    DdfField &f = b.fld[i];
    switch (r.shape) {
    case SH_SCALAR: f.kind = r.kind; break;
    case SH_FIXED:
        f.kind = r.kind;
        f.ndims = 1;
        f.dims[0].extent = int16_t(r.n);
        if (r.kind == DDF_KIND_FSTRING)
            f.modifiers = DDF_MOD_LENGTH;
        else
            f.flags = DDF_FLAG_ARRAY | DDF_FLAG_FIXED;
        break;
    case SH_COUNT:
        f.kind = DDF_KIND_COUNT;
        f.dims[0].extent = int16_t(-int(r.link)); /* link, resolved below */
        break;
    case SH_VARRAY:
        f.kind = r.kind;
        f.flags = DDF_FLAG_ARRAY | DDF_FLAG_PTRFIXED;
        f.ndims = r.n ? 2 : 1;
        f.dims[0].extent = int16_t(-int(r.link));
        if (r.n) f.dims[1].extent = int16_t(r.n);
        if (r.kind == DDF_KIND_FSTRING) f.modifiers = DDF_MOD_LENGTH;
        break;
    case SH_SUBENT:
        f.kind = DDF_KIND_SUBENT;
        f.key = uint16_t(r.ref);
        break; /* span: the sub-record size, filled once all records exist */
    case SH_VSTRUCT:
    case SH_INLINE: {
        const Raw &t = kRaw[b.type_begin[r.ref]];
        bool is_union = t.shape == SH_UNION_BEGIN;
        f.kind = is_union ? DDF_KIND_UNION : DDF_KIND_STRUCT;
        f.key = t.size;
        if (is_union) {
            f.flags = DDF_FLAG_UNION;
            f.selector = f.number;
        }
        if (r.shape == SH_VSTRUCT) {
            f.flags |= DDF_FLAG_ARRAY | DDF_FLAG_PTRFIXED;
            f.ndims = 1;
            f.dims[0].extent = int16_t(-int(r.link));
        }
        for (int m = b.type_begin[r.ref] + 1; kRaw[m].shape != SH_TYPE_END; ++m)
            emit_field(b, kRaw[m], entity_first, i, nullptr, i);
        int e = new_record(b, entity_first, i);
        b.fld[e].kind = is_union ? DDF_KIND_ENDUNION : DDF_KIND_ENDSTRUCT;
        b.fld[i].span = uint16_t(e - i);
        break;
    }
    default: catalogue_error("unexpected entry in a field list");
    }
}

/* Count links of one entity's records: each variable array finds the one
 * count of its link in its own or an enclosing scope; each count learns how
 * many arrays it sizes. The link moves from the count's dims to nowhere. */
constexpr void link_counts(Built &b, int first, int end)
{
    for (int i = first; i < end; ++i) {
        DdfField &f = b.fld[i];
        if (!(f.flags & DDF_FLAG_PTRFIXED)) continue;
        int found = -1;
        for (int c = first; c < end; ++c) {
            if (b.fld[c].kind != DDF_KIND_COUNT || b.fld[c].dims[0].extent != f.dims[0].extent) continue;
            if (found >= 0) catalogue_error("count link used twice");
            found = c;
        }
        if (found < 0) catalogue_error("variable array without its count");
        int level = b.parent[i];
        while (level != b.parent[found] && level >= 0) level = b.parent[level];
        if (level != b.parent[found]) catalogue_error("count outside the array's scope");
        b.countrec[i] = int16_t(found);
        b.fld[found].key++;
    }
    for (int c = first; c < end; ++c)
        if (b.fld[c].kind == DDF_KIND_COUNT) b.fld[c].dims[0].extent = 0;
}

constexpr Built build()
{
    Built b{};
    for (int k = 0; k < kHashSize; ++k) b.name_hash[k] = b.desc_hash[k] = -1;
    for (int r = 0; r < kNumRaw; ++r)
        if (kRaw[r].shape == SH_TYPE_BEGIN || kRaw[r].shape == SH_UNION_BEGIN) b.type_begin[kRaw[r].ref] = r;
    int tfi = 0;
    for (int r = 0; r < kNumRaw; ++r) {
        const Raw &e = kRaw[r];
        if (e.shape != SH_SUB_BEGIN && e.shape != SH_ENT_BEGIN && e.shape != SH_SAME) continue;
        if (tfi >= kNumTF) catalogue_error("too many records");
        if (e.shape != SH_SAME && e.ref != tfi) catalogue_error("TFI order");
        if (tfi > 0 && !(b.tf[tfi - 1] < e.tf)) catalogue_error("TF order");
        b.tf[tfi] = e.tf;
        b.size[tfi] = e.size;
        b.info[tfi] = e.info;
        b.ename[tfi] = e.name;
        if (e.shape == SH_SAME) {
            if (e.ref >= tfi) catalogue_error("same-as refers forward");
            b.first[tfi] = b.first[e.ref];
            b.nfld[tfi] = b.nfld[e.ref];
            ++tfi;
            continue;
        }
        if (e.shape == SH_SUB_BEGIN) b.subent[b.nsub++] = uint16_t(tfi);
        int first = b.nf;
        const char *prefix = e.shape == SH_SUB_BEGIN ? e.name : nullptr;
        int m = r + 1;
        for (; kRaw[m].shape != SH_END; ++m) emit_field(b, kRaw[m], first, -1, prefix, -1);
        int end = new_record(b, first, -1);
        b.fld[end].kind = DDF_KIND_ENDENT;
        link_counts(b, first, end);
        b.first[tfi] = uint16_t(first);
        b.nfld[tfi] = uint16_t(b.nf - first);
        ++tfi;
        r = m;
    }
    if (tfi != kNumTF) catalogue_error("record count");
    for (int i = 0; i < b.nf; ++i)
        if (b.fld[i].kind == DDF_KIND_SUBENT) b.fld[i].span = b.size[b.fld[i].key];
    return b;
}

constexpr Built kBuilt = build();

static_assert(kBuilt.nf == 1203, "field records");
static_assert(kBuilt.nnames == 625, "field names");
static_assert(kNumTF == 118 && kBuilt.nsub == 3, "type-forms");

/* Field number of a record found by its path within one TFI's table. */
constexpr int number_of(int tfi, const char *path)
{
    for (int i = kBuilt.first[tfi]; i < kBuilt.first[tfi] + kBuilt.nfld[tfi]; ++i)
        if (str_eq(kBuilt.path[i], path)) return kBuilt.fld[i].number;
    return -1000;
}
constexpr int member_pos(int tfi, const char *union_path, const char *member_path)
{
    return number_of(tfi, member_path) - number_of(tfi, union_path) - 1;
}
static_assert(member_pos(DXFI_TFI_dxf_hatch, "path.seg", "path.seg.line") == DXF_HATCH_SEG_LINE &&
                  member_pos(DXFI_TFI_dxf_hatch, "path.seg", "path.seg.carc") == DXF_HATCH_SEG_CARC &&
                  member_pos(DXFI_TFI_dxf_hatch, "path.seg", "path.seg.earc") == DXF_HATCH_SEG_EARC &&
                  member_pos(DXFI_TFI_dxf_hatch, "path.seg", "path.seg.spline") == DXF_HATCH_SEG_SPLINE &&
                  member_pos(DXFI_TFI_dxf_hatch, "path.seg", "path.seg.pline") == DXF_HATCH_SEG_PLINE &&
                  member_pos(DXFI_TFI_dxf_hatch, "path.seg", "path.seg.dummy") == DXF_HATCH_SEG_DUMMY,
              "hatch segment selectors");
static_assert(member_pos(DXFI_TFI_dxfxed, "dxfxed.appxdata.xdata.gc_data",
                         "dxfxed.appxdata.xdata.gc_data.ival") == DXFXED_GC_DATA_IVAL &&
                  member_pos(DXFI_TFI_dxfxed, "dxfxed.appxdata.xdata.gc_data",
                             "dxfxed.appxdata.xdata.gc_data.pnt") == DXFXED_GC_DATA_PNT,
              "extended data selectors");

/* ---- 4. The definition record ----------------------------------------- */

struct Strings {
    const char *names[kNameCap];
    const char *descs[kDescCap];
};

constexpr Strings make_strings()
{
    Strings s{};
    for (int i = 0; i < kBuilt.nnames; ++i) s.names[i] = kBuilt.path[kBuilt.name_src[i]];
    for (int i = 0; i < kBuilt.ndescs; ++i) {
        int f = kBuilt.desc_src[i];
        s.descs[i] = kBuilt.desc_lit[f] ? kBuilt.desc_lit[f] : kBuilt.path[f];
    }
    return s;
}

constexpr Strings kStrings = make_strings();

void *const kNoUserAttrs[kNumTF] = {};

} // namespace

extern "C" const DdfDef ddf__Dxfi = {
    "dxfi",
    1,
    2,
    0,
    nullptr,
    0,
    nullptr,
    0,
    nullptr,
    0,
    nullptr,
    0,
    nullptr,
    0,
    nullptr,
    0,
    nullptr,
    0,
    nullptr,
    kNumTF,
    kBuilt.tf,
    kBuilt.nnames,
    kStrings.names,
    kBuilt.ndescs,
    kStrings.descs,
    kBuilt.nf,
    kBuilt.fld,
    kBuilt.first,
    kBuilt.ename,
    kBuilt.nfld,
    kBuilt.ename,
    kNoUserAttrs,
    kBuilt.size,
    kBuilt.info,
    kBuilt.nsub,
    kBuilt.subent,
    0,
    nullptr,
    0,
    nullptr,
    0,
    nullptr,
    kBuilt.off,
    kBuilt.countrec,
};
