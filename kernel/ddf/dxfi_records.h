/* The record structs of the DXF data definition "dxfi": one struct per
 * type-form and per structure element type, generated from the catalogue in
 * dxfi_catalogue.def, so readers and writers of model entities use
 * rec->xyzstr[0] rather than byte offsets. The layout is the catalogue's,
 * byte for byte, on every host (checked at compile time in ddf/dxfi_def.cpp):
 * field kind `long` is int32_t, `ptr` is a db_ptr, and every vstring and
 * variable-array field is a 4-byte mda_ref that mda_Deref turns into the
 * address of the block while the entity is locked (a string, count elements,
 * count rows, or count structure elements, the count being the count field of
 * the same link in the same record or element).
 *
 * Names: a record struct has the type-form's name (dxf_line, dxf_layer_table
 * _data, ...; an extruded or "same as" form is a typedef of its base, e.g.
 * dxf_line_ext); every entity record starts with `mda_EntHdr hdr`; embedded
 * sub-entity records are members named after their type (rec->dxfhdr.color);
 * the element type of a structure field is the record name and the field path
 * joined by '_' (dxf_hatch_path, dxf_hatch_path_seg, dxf_mline_vertex). A
 * union element starts with a 16-bit `selector` naming its member by position
 * (constants below) followed by the overlaid members (seg->carc.radius).
 * DXFI_TF_<name> is a record's TF value and DXFI_TFI_<name> its TFI.
 * Usable from C11 and C++. */
#ifndef VYR_KERNEL_DDF_DXFI_RECORDS_H
#define VYR_KERNEL_DDF_DXFI_RECORDS_H

#include <stdint.h>

#include "kernel/mda/mda_types.h"

#ifdef __cplusplus
#define DXFI__ALIGN_8 alignas(8)
#else
#define DXFI__ALIGN_8 __attribute__((aligned(8)))
#endif
#define DXFI__ALIGN_4
#define DXFI__ALIGN_2
#define DXFI__ALIGN_1

#define DXFI__CTYPE_SHORT int16_t
#define DXFI__CTYPE_INT int32_t
#define DXFI__CTYPE_LONG int32_t
#define DXFI__CTYPE_FLOAT float
#define DXFI__CTYPE_DOUBLE double
#define DXFI__CTYPE_CHAR char
#define DXFI__CTYPE_FSTRING char
#define DXFI__CTYPE_VSTRING mda_ref
#define DXFI__CTYPE_PTR db_ptr

/* Pass 1: every struct name is declared first. */
#define DXFI_STRUCT(T, size, align) typedef struct T T;
#define DXFI_STRUCT_END(T)
#define DXFI_UNION(T, size, align) typedef struct T T;
#define DXFI_UNION_END(T)
#define DXFI_SUBENTITY(name, type, form, size, info) typedef struct name name;
#define DXFI_ENTITY(name, type, form, size, info) typedef struct name name;
#define DXFI_SAME(name, type, form, size, info, base) typedef struct base name;
#define DXFI_END(name)
#define DXFI_SCALAR(off, name, KIND, desc)
#define DXFI_FIXED(off, name, KIND, n, desc)
#define DXFI_COUNT(off, name, link, desc)
#define DXFI_VARRAY(off, name, KIND, link, row, desc)
#define DXFI_VSTRUCT(off, name, T, link, desc)
#define DXFI_INLINE(off, name, T, desc)
#define DXFI_SUBENT(off, SUB)
#include "kernel/ddf/dxfi_catalogue.def"

/* Pass 2: the definitions. */
// clang-format off
#define DXFI_STRUCT(T, size, align) struct DXFI__ALIGN_##align T {
#define DXFI_STRUCT_END(T) };
#define DXFI_UNION(T, size, align) struct DXFI__ALIGN_##align T { int16_t selector; union {
#define DXFI_UNION_END(T) }; };
#define DXFI_SUBENTITY(name, type, form, size, info) struct DXFI__ALIGN_8 name {
#define DXFI_ENTITY(name, type, form, size, info) struct DXFI__ALIGN_8 name { mda_EntHdr hdr;
#define DXFI_SAME(name, type, form, size, info, base)
#define DXFI_END(name) };
#define DXFI_SCALAR(off, name, KIND, desc) DXFI__CTYPE_##KIND name;
#define DXFI_FIXED(off, name, KIND, n, desc) DXFI__CTYPE_##KIND name[n];
#define DXFI_COUNT(off, name, link, desc) int32_t name;
#define DXFI_VARRAY(off, name, KIND, link, row, desc) mda_ref name;
#define DXFI_VSTRUCT(off, name, T, link, desc) mda_ref name;
#define DXFI_INLINE(off, name, T, desc) struct T name;
#define DXFI_SUBENT(off, SUB) struct SUB SUB;
// clang-format on
#include "kernel/ddf/dxfi_catalogue.def"

/* Pass 3: TF values of the entity records and the TFI of every record. */
#define DXFI_STRUCT(T, size, align)
#define DXFI_STRUCT_END(T)
#define DXFI_UNION(T, size, align)
#define DXFI_UNION_END(T)
#define DXFI_SUBENTITY(name, type, form, size, info)
#define DXFI_ENTITY(name, type, form, size, info) DXFI_TF_##name = ((type) << 16) | (form),
#define DXFI_SAME(name, type, form, size, info, base) DXFI_TF_##name = ((type) << 16) | (form),
#define DXFI_END(name)
#define DXFI_SCALAR(off, name, KIND, desc)
#define DXFI_FIXED(off, name, KIND, n, desc)
#define DXFI_COUNT(off, name, link, desc)
#define DXFI_VARRAY(off, name, KIND, link, row, desc)
#define DXFI_VSTRUCT(off, name, T, link, desc)
#define DXFI_INLINE(off, name, T, desc)
#define DXFI_SUBENT(off, SUB)
enum dxfi_tf_value {
#include "kernel/ddf/dxfi_catalogue.def"
    DXFI_TF_NONE = 0
};
#define DXFI_STRUCT(T, size, align)
#define DXFI_STRUCT_END(T)
#define DXFI_UNION(T, size, align)
#define DXFI_UNION_END(T)
#define DXFI_SUBENTITY(name, type, form, size, info) DXFI_TFI_##name,
#define DXFI_ENTITY(name, type, form, size, info) DXFI_TFI_##name,
#define DXFI_SAME(name, type, form, size, info, base) DXFI_TFI_##name,
#define DXFI_END(name)
#define DXFI_SCALAR(off, name, KIND, desc)
#define DXFI_FIXED(off, name, KIND, n, desc)
#define DXFI_COUNT(off, name, link, desc)
#define DXFI_VARRAY(off, name, KIND, link, row, desc)
#define DXFI_VSTRUCT(off, name, T, link, desc)
#define DXFI_INLINE(off, name, T, desc)
#define DXFI_SUBENT(off, SUB)
enum dxfi_tfi_value {
#include "kernel/ddf/dxfi_catalogue.def"
    DXFI_TFI_COUNT
};

/* Selector values of the union elements: the position of the member's first
 * field record among the union's field records (checked in dxfi_def.cpp). */
enum dxfi_selector_value {
    DXF_HATCH_SEG_LINE = 0,
    DXF_HATCH_SEG_CARC = 4,
    DXF_HATCH_SEG_EARC = 11,
    DXF_HATCH_SEG_SPLINE = 19,
    DXF_HATCH_SEG_PLINE = 29,
    DXF_HATCH_SEG_DUMMY = 34,
    DXFXED_GC_DATA_IVAL = 0,
    DXFXED_GC_DATA_LVAL = 1,
    DXFXED_GC_DATA_FVAL = 2,
    DXFXED_GC_DATA_TVAL = 3,
    DXFXED_GC_DATA_PVAL = 4,
    DXFXED_GC_DATA_PNT = 5
};

#endif
