/* The scalar types shared by the model database, the data definitions and
 * every reader of model records: the database pointer (db_ptr), the 32-bit
 * block reference that record fields hold in place of machine addresses
 * (mda_ref), and the type-form (TF) helpers. Kept apart from mda.h so that
 * the record structs can use them without pulling in the database API. */
#ifndef VYR_KERNEL_MDA_TYPES_H
#define VYR_KERNEL_MDA_TYPES_H

#include <stdint.h>

/* Database pointer of an entity: model number (1..64) in bits 25..31, entity
 * index in bits 0..24; 0 is the null pointer. Always unsigned: the pointers
 * of model 64 have bit 31 set. */
typedef uint32_t db_ptr;

/* Reference to a memory block of the model database, as stored in the
 * 4-byte vstring and variable-array fields of records. 0 is null; resolve
 * with mda_Deref, obtain with mda_RefOf (mda.h). */
typedef uint32_t mda_ref;

#define MDA_NULL_PTR ((db_ptr)0)
#define MDA_NULL_REF ((mda_ref)0)

#define MDA_MAX_MODELS 64
#define MDA_MODEL_SHIFT 25
#define MDA_INDEX_MASK 0x1FFFFFFu

/* Building and taking apart database pointers, with unsigned shifts only. */
#define MDA_MAKE_PTR(model, index)                                                                           \
    ((db_ptr)(((uint32_t)(model) << MDA_MODEL_SHIFT) | ((uint32_t)(index)&MDA_INDEX_MASK)))
#define MDA_PTR_MODEL(p) ((uint32_t)(p) >> MDA_MODEL_SHIFT)
#define MDA_PTR_INDEX(p) ((uint32_t)(p)&MDA_INDEX_MASK)

/* Type-form: type in the upper 16 bits, form in the lower 16, compared as a
 * signed 32-bit value. */
typedef int32_t mda_tf;
#define MDA_TF(type, form) ((mda_tf)(((uint32_t)(type) << 16) | ((uint32_t)(form)&0xFFFFu)))
#define MDA_TF_TYPE(tf) ((int32_t)(((uint32_t)(tf) >> 16) & 0xFFFFu))
#define MDA_TF_FORM(tf) ((int32_t)((uint32_t)(tf)&0xFFFFu))
#define MDA_NULL_TF MDA_TF(16000, 16000)

/* The 16-byte header that starts every entity record. */
typedef struct mda_EntHdr {
    mda_tf tf;
    int32_t tfi;
    db_ptr self;
    db_ptr orig;
} mda_EntHdr;

#endif
