/* Data definitions (module DDF): the description of every type-form a model
 * may hold, with its name, record size and ordered table of 56-byte field
 * records. The system compiles in one definition, the DXF definition "dxfi"
 * (ddf_DxfiDefinition); the model database sizes, defaults and walks entity
 * records by it. The record structs that readers use are in dxfi_records.h.
 *
 * A field table lists an entity's fields in order and ends with an `endent`
 * record. A `subent` record embeds the record of a sub-entity TFI (whose own
 * table holds its fields); a `struct` or `union` record is followed by its
 * members and closed by an `endstruct` or `endunion` record. Arrays carry
 * their extents in dims[]; a negative extent -k links the first dimension of
 * a variable array to the `count` field of link k in the same record or
 * structure element. */
#ifndef VYR_KERNEL_DDF_DDF_H
#define VYR_KERNEL_DDF_DDF_H

#include <stdint.h>

#include "kernel/mda/mda_types.h"
#include "vyr_export.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Field kinds. */
#define DDF_KIND_SHORT 1
#define DDF_KIND_INT 2
#define DDF_KIND_LONG 3
#define DDF_KIND_FLOAT 4
#define DDF_KIND_DOUBLE 5
#define DDF_KIND_CHAR 6
#define DDF_KIND_FSTRING 7
#define DDF_KIND_VSTRING 8
#define DDF_KIND_PTR 9
#define DDF_KIND_COUNT 10
#define DDF_KIND_STRUCT 11
#define DDF_KIND_ENDSTRUCT 12
#define DDF_KIND_LET 13
#define DDF_KIND_UNION 14
#define DDF_KIND_ENDUNION 15
#define DDF_KIND_SUBENT 16
#define DDF_KIND_DERIVED 17
#define DDF_KIND_METHOD 18
#define DDF_KIND_ENDENT 19

/* Modifier bits. */
#define DDF_MOD_ATTR 0x1u
#define DDF_MOD_DEFAULT 0x2u
#define DDF_MOD_FUNCTION 0x4u
#define DDF_MOD_RANGE 0x8u
#define DDF_MOD_REFTYPE 0x10u
#define DDF_MOD_LENGTH 0x20u
#define DDF_MOD_MAXLENGTH 0x40u
#define DDF_MOD_METHOD 0x80u

/* Field flags. */
#define DDF_FLAG_ARRAY 0x1u
#define DDF_FLAG_FIXED 0x2u
#define DDF_FLAG_PTRFIXED 0x4u
#define DDF_FLAG_VARIABLE 0x8u
#define DDF_FLAG_REFANY 0x10u
#define DDF_FLAG_REFNONE 0x20u
#define DDF_FLAG_UNION 0x40u
#define DDF_FLAG_UNSIZED 0x80u

#define DDF_NO_INDEX 0xFFFFu
#define DDF_MAX_DIMS 4

/* Soft result of a computed count with an unknown operation (the module's
 * message codes are in ddf_msg.h). */
#define DDF_UNKNOWN_LET_OP 0x8FFFE

/* One dimension of a field: its extent, or -k for the count of link k. */
typedef struct DdfDim {
    int16_t extent;
    uint8_t more[4];
} DdfDim;

/* One field record, 56 bytes. */
typedef struct DdfField {
    uint32_t reserved0;
    uint32_t modifiers;
    uint16_t name;     /* index into fld_names, DDF_NO_INDEX when unnamed */
    uint16_t desc;     /* index into fld_descs */
    uint16_t selector; /* union: field number of its selector, else DDF_NO_INDEX */
    uint16_t span;     /* struct/union: records to its end; subent: sub-record bytes */
    uint16_t reserved16;
    uint16_t reserved18; /* DDF_NO_INDEX */
    uint16_t key;        /* count: referencing fields; struct/union: element size;
                            subent: TFI; endent: method index; else default key */
    uint8_t kind;
    uint8_t number; /* field number within its entity's table */
    uint16_t flags;
    uint8_t reserved26;
    uint8_t ndims;
    uint8_t offset_byte;
    uint8_t reserved29;
    DdfDim dims[DDF_MAX_DIMS];
    uint16_t reserved54;
} DdfField;

/* One operation of a computed count: 'f' add, 'g' subtract, 'h' multiply,
 * 'i' divide, 'd' end. A negative operand -k names counter k-1. */
typedef struct DdfLetOp {
    int32_t a;
    int32_t b;
    uint8_t result;
    char op;
} DdfLetOp;

/* A data definition. The sections a definition may carry are numbered 1..23
 * (ddf_SectionName); the DXF definition leaves the attribute, pointer, value
 * description, opcode and sub/super-type sections empty. */
typedef struct DdfDef {
    char name[128];
    int32_t major;
    int32_t minor;
    int32_t n_attr_names;
    const char *const *attr_names;
    int32_t n_attr_masks;
    const uint32_t *attr_masks;
    int32_t n_ptr_data;
    const void *ptr_data;
    int32_t n_ptr_names;
    const char *const *ptr_names;
    int32_t n_ptr_counts;
    const int32_t *ptr_counts;
    int32_t n_ptr_indices;
    const int32_t *ptr_indices;
    int32_t n_vdescs;
    const char *const *vdescs;
    int32_t n_opcodes;
    const DdfLetOp *opcodes;
    int32_t n_typeforms; /* the TF table, sorted as signed values */
    const mda_tf *typeforms;
    int32_t n_fld_names;
    const char *const *fld_names;
    int32_t n_fld_descs;
    const char *const *fld_descs;
    int32_t n_fld_data;
    const DdfField *fld_data;
    /* per TFI */
    const uint16_t *fld_indices; /* first field record */
    const char *const *ent_names;
    const uint16_t *ent_fldcnts;
    const char *const *ent_descs;
    void *const *ent_uattrs;
    const uint16_t *ent_sizes;
    const uint8_t *ent_info;
    int32_t n_subent_tfis;
    const uint16_t *subent_tfis;
    int32_t n_sub_super_data;
    const void *sub_super_data;
    int32_t n_supertype_tfs;
    const mda_tf *supertype_tfs;
    int32_t n_subtype_tfs;
    const mda_tf *subtype_tfs;
    /* Layout, per field record: byte offset within its record (entity
     * records include the 16-byte header) or within its structure element
     * (union members: within the union element); and, for a variable array,
     * the index of the field record of its count, else -1. */
    const uint16_t *fld_offsets;
    const int16_t *fld_countrec;
} DdfDef;

/* The compiled-in DXF data definition "dxfi", version 1.2. */
VYR_EXPORT const DdfDef *ddf_DxfiDefinition(void);

/* Binary search of a TF table sorted as signed values: the TFI, or -1. */
VYR_EXPORT int32_t ddf_FindTF(const mda_tf *table, int32_t count, mda_tf tf);

/* The TFI of a TF in a definition, through the one-entry memo; -1 when the
 * definition lacks the TF. */
VYR_EXPORT int32_t ddf_GetTFI(const DdfDef *def, mda_tf tf);

/* Writes one element's default value for a field record to dest: the key
 * for char/short/int/long, 0.0 or the key's constant (50..54: 0, 1, pi,
 * pi/2, pi/4) for float/double, an empty string for fstring (dest holds the
 * extent of its last dimension), null for vstring and ptr, 0 for count. */
VYR_EXPORT int32_t ddf_GetFieldDefault(const DdfField *field, void *dest);

/* Element size in bytes of a field kind (0 for kinds without one). */
VYR_EXPORT int32_t ddf_KindSize(int32_t kind);

/* Name of a definition section 1..23 ("attr_names" ... "subtype_tfs"), or
 * null; and the number of a section name, or -1. */
VYR_EXPORT const char *ddf_SectionName(int32_t number);
VYR_EXPORT int32_t ddf_SectionNumber(const char *name);

/* Start-up and shutdown: registers module DDF, clears the current
 * definition and the memo. */
VYR_EXPORT int32_t ddf_Initialize(void);
VYR_EXPORT int32_t ddf_Terminate(void);

#ifdef __cplusplus
}
#endif

#endif
