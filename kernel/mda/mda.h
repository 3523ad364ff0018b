/* Model database (module MDA): the neutral model. Up to 64 models, each
 * holding entity records laid out by a data definition (ddf.h; the record
 * structs are in ddf/dxfi_records.h). Entities are addressed by db_ptr; a
 * record has an address only between mda_LockEntity and mda_UnlockEntity
 * (the database keeps unlocked entities in a 32-slot cache or only in the
 * model's page file). Every function returns 0 or a status code that was
 * also recorded with the message manager (codes in mda_msg.h), except the
 * soft results below.
 *
 * Memory of an entity. The record is the head of a chain of memory blocks;
 * every block the record refers to (strings, variable arrays) is allocated
 * with the record as owner and freed with it. A record field never holds a
 * machine address: vstring and variable-array fields hold a 4-byte mda_ref
 * (mda_types.h). mda_Malloc(0, rec, n, &rec->field) allocates a block of rec
 * and writes its reference into the 4-byte field, which must lie in a block
 * of rec's chain (that field is the block's back-reference, rewritten when
 * the entity goes to the page file and comes back); mda_Deref(rec->field)
 * gives the block's address while the entity is locked, mda_RefOf(address)
 * the reference of a block. References change when an entity is read back,
 * so hold neither addresses nor references across an unlock. Each block is
 * referred to by exactly one field; a field may refer only to blocks of its
 * own entity. */
#ifndef VYR_KERNEL_MDA_MDA_H
#define VYR_KERNEL_MDA_MDA_H

#include <stddef.h>
#include <stdint.h>

#include "kernel/ddf/ddf.h"
#include "kernel/mda/mda_msg.h"
#include "kernel/mda/mda_types.h"
#include "kernel/olm/olm.h"
#include "vyr_export.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Soft results (no message recorded). */
#define MDA_TF_NOT_FOUND 0x9FFFB
#define MDA_END_OF_LIST 0x9FFFC
#define MDA_STOPPED 0x9FFFE

/* Status word of a directory entry. */
#define MDA_ST_SLOT 0xFFu
#define MDA_ST_INCACHE 0x100u
#define MDA_ST_RWLOCK 0x200u
#define MDA_ST_MODIFIED 0x400u
#define MDA_ST_DELETED 0x800u
#define MDA_ST_RESERVED 0x1000u
#define MDA_ST_INVALID 0x2000u
#define MDA_ST_NEW 0x4000u
#define MDA_ST_LOCK_SHIFT 16
#define MDA_ST_LOCKS (0xFFu << MDA_ST_LOCK_SHIFT)
#define MDA_MAX_LOCKS 255

/* Options of mda_AllocateModel. */
#define MDA_KEEP_CURRENT 0x1
#define MDA_MEMORY_ONLY 0x2
/* Options of mda_MallocEntity2 / mda_AllocateEntity2 / mda_CreateEntity. */
#define MDA_CREATE_LOCKED 0x1    /* mda_CreateEntity: stays in memory, locked once */
#define MDA_CREATE_BACKPTRS 0x2  /* mda_CreateEntity: set back pointers */
#define MDA_ALLOC_WRITE 0x1      /* mda_AllocateEntity2: written now, left unlocked */
#define MDA_ALLOC_NOCACHE 0x2    /* mda_AllocateEntity2: bypass the cache */
#define MDA_DEFAULTS 0x4         /* apply the field defaults */
#define MDA_USE_RESERVED 0x80000 /* enter under the reserved db_ptr given */
/* Options of mda_LockEntity / mda_UnlockEntity. */
#define MDA_LOCK_RW 0x2
#define MDA_UNLOCK_MODIFIED 0x1
#define MDA_UNLOCK_DISCARD 0x2
#define MDA_UNLOCK_DELETE 0x4
#define MDA_UNLOCK_FINAL 0x8

/* Callback events. */
#define MDA_EVENT_MODIFIED 1
#define MDA_EVENT_DELETED 2
#define MDA_EVENT_CREATED 3

typedef int32_t (*MdaFileFn)(int32_t options, int32_t model, const char *path, void *arg);
typedef int32_t (*MdaModelFn)(int32_t options, int32_t model);
typedef int32_t (*MdaSetCurFn)(int32_t model);
typedef void (*MdaCallbackFn)(int32_t event, db_ptr *ptr);
/* mda_TraverseModel: (entity, model << 25, entity); non-zero stops. */
typedef int32_t (*MdaEntityVisitFn)(db_ptr ptr, db_ptr model_base, db_ptr same);
/* mda_TraverseEntity: (record, element count, kind, address of the field's
 * data, field record); non-zero stops. */
typedef int32_t (*MdaFieldVisitFn)(void *entity, int32_t count, int32_t kind, void *data,
                                   const DdfField *field);

/* What describes a model to mda_AllocateModel and what mda_GetModelInfo
 * reports. */
typedef struct MdaModelInfo {
    char name[40];
    const DdfDef *ddf;
    char ddf_name[40];
    uint8_t backptrs;   /* keep parent lists */
    uint8_t statistics; /* page file with statistics */
    int32_t page_buffers;
    int32_t page_size;
    int32_t ddf_version; /* major * 100 + minor */
    void *format_data;
    MdaFileFn parse;
    MdaFileFn format;
    MdaModelFn on_allocate;
    MdaModelFn format_hook1;
    MdaModelFn format_hook2;
    MdaModelFn on_free;
    MdaSetCurFn on_set_current;
    void *spare;
    int32_t nentities;
    struct MdaEntityList *entlist;
} MdaModelInfo;

/* A store of one fixed-size record per entity index of one model; pages of
 * 2048 records come into being zero-filled when first written. */
typedef struct MdaAppData {
    int32_t highest_page; /* -1: none */
    int32_t top_capacity;
    int64_t page_bytes;
    int32_t per_page;
    int32_t record_size;
    int32_t options;
    int32_t model;
    unsigned char **top;
} MdaAppData;

/* Per-TFI chains of a model's entities in creation order. Users may read
 * the arrays and set cursor[tfi] = first[tfi] before cycling a chain. */
typedef struct MdaEntityList {
    MdaAppData *links; /* {next, previous} per entity */
    db_ptr *first;
    db_ptr *cursor;
    db_ptr *prevlast;
    db_ptr *last;
    int32_t *count;
    int32_t ntfi;
    int32_t options;
} MdaEntityList;

VYR_EXPORT int32_t mda_Initialize(void);
VYR_EXPORT int32_t mda_Terminate(void);

/* Models. */
VYR_EXPORT int32_t mda_GetModelDefaults(int32_t options, MdaModelInfo *info);
VYR_EXPORT int32_t mda_AllocateModel(int32_t options, const MdaModelInfo *info, int32_t *model);
VYR_EXPORT int32_t mda_FreeModel(int32_t options, int32_t model);
VYR_EXPORT int32_t mda_GetModelInfo(int32_t model, MdaModelInfo *info);
VYR_EXPORT int32_t mda_SetCurModel(int32_t model);
VYR_EXPORT int32_t mda_GetCurModel(void);
VYR_EXPORT int32_t mda_AddCallback(int32_t model, int32_t event, MdaCallbackFn fn);
VYR_EXPORT int32_t mda_DeleteCallback(int32_t model, int32_t event, MdaCallbackFn fn);

/* Entities. */
VYR_EXPORT int32_t mda_MallocEntity2(int32_t options, int32_t model, mda_tf tf, void **mem);
VYR_EXPORT int32_t mda_CreateEntity(int32_t options, void *mem, db_ptr *ptr);
VYR_EXPORT int32_t mda_AllocateEntity2(int32_t options, int32_t model, mda_tf tf, void **mem, db_ptr *ptr);
VYR_EXPORT int32_t mda_ReserveEntity2(int32_t options, int32_t model, db_ptr *ptr);
VYR_EXPORT int32_t mda_LockEntity(int32_t options, db_ptr ptr, void **mem);
VYR_EXPORT int32_t mda_UnlockEntity(int32_t options, db_ptr ptr);
VYR_EXPORT int32_t mda_MarkEntityModified(int32_t options, db_ptr ptr);
VYR_EXPORT int32_t mda_ReadTypeForm(db_ptr ptr, int32_t *type, int32_t *form);
VYR_EXPORT int32_t mda_IsValidDbptr(db_ptr ptr);
VYR_EXPORT int32_t mda_SetTF(void *mem, mda_tf tf);
VYR_EXPORT int32_t mda_SetOrigDbptr(int32_t options, void *mem, db_ptr orig);
VYR_EXPORT int32_t mda_DefaultEntity(int32_t options, void *mem);
VYR_EXPORT int32_t mda_FreeEntity(int32_t options, void *mem);
/* Deletes an entity (options of mda__FreePtr: 2 = even if it has parents). */
VYR_EXPORT int32_t mda_DeleteEntity(int32_t options, db_ptr ptr);

/* Memory blocks. With an owner record, `out` is the mda_ref field that will
 * refer to the block; with an owner that is an independent block (not an
 * entity record), `out` is a void * variable; without an owner the block is
 * independent and `out` is a void * variable. */
VYR_EXPORT int32_t mda_Malloc(int32_t options, void *owner, size_t size, void *out);
VYR_EXPORT int32_t mda_Realloc(int32_t options, void *owner, void *mem, size_t size, void *out);
/* Options: 1 = unlink only (the block stays allocated and independent);
 * 2 = the block is an array block. The referring field is cleared. */
VYR_EXPORT int32_t mda_Free(int32_t options, void *owner, void *mem);
VYR_EXPORT int32_t mda_Strdup(int32_t options, void *owner, const char *string, void *out);
/* Usable bytes of a plain block, element bytes of an array block. */
VYR_EXPORT int32_t mda_GetArraySize(int32_t options, const void *mem, int64_t *size);
/* An array block of ndims (1..4) extents: `*out` (as for mda_Malloc)
 * designates the outermost vector of row pointers (the elements themselves
 * for one dimension). A zero extent is ZERO_DIM. */
VYR_EXPORT int32_t mda_MallocArray(int32_t options, void *owner, int32_t element_size, int32_t ndims,
                                   const int32_t *extents, void *out);
VYR_EXPORT mda_ref mda_RefOf(const void *mem);
VYR_EXPORT void *mda_Deref(mda_ref ref);

/* Walks. */
VYR_EXPORT int32_t mda_TraverseModel(int32_t options, int32_t model, MdaEntityVisitFn fn);
/* Visits every field with data: scalars, fixed and variable arrays (count
 * = elements of the field's kind, an fstring element being its last
 * extent), counts, and union selectors; structures and sub-entities are
 * entered. Option 1 visits every member of a union, else only the member
 * its selector names. */
VYR_EXPORT int32_t mda_TraverseEntity(int32_t options, void *mem, MdaFieldVisitFn fn);

/* Entity lists. */
VYR_EXPORT int32_t mda_AllocateEntityList2(int32_t options, int32_t ntfi, int32_t model,
                                           MdaEntityList **list);
VYR_EXPORT int32_t mda_AddToEntityList(MdaEntityList *list, int32_t tfi, db_ptr ptr);
VYR_EXPORT int32_t mda_RemoveFromEntityList(MdaEntityList *list, int32_t tfi, db_ptr ptr);
VYR_EXPORT int32_t mda_CycleEntityList(MdaEntityList *list, int32_t tfi, db_ptr *ptr);
VYR_EXPORT int32_t mda_FreeEntityList(MdaEntityList *list);

/* App-data stores. */
VYR_EXPORT int32_t mda_AllocateAppData2(int32_t options, int32_t record_size, int32_t model,
                                        MdaAppData **store);
VYR_EXPORT int32_t mda_ReadAppData(MdaAppData *store, db_ptr ptr, void *buffer);
VYR_EXPORT int32_t mda_WriteAppData(MdaAppData *store, db_ptr ptr, const void *buffer);
VYR_EXPORT int32_t mda_FreeAppData(MdaAppData *store);

/* Back pointers. mda_AddPtr stores child in *field (when field is not null)
 * and records parent in child's parent list; mda_ModifyPtr moves parent
 * from the list of *field to that of child and stores child in *field. */
VYR_EXPORT int32_t mda_AddPtr(db_ptr parent, db_ptr child, db_ptr *field);
VYR_EXPORT int32_t mda_ModifyPtr(db_ptr parent, db_ptr child, db_ptr *field);
VYR_EXPORT int32_t mda_SetBackPtrs(int32_t options, db_ptr ptr);
VYR_EXPORT int32_t mda_DeleteBackPtrs(int32_t options, db_ptr ptr);
/* The parents of ptr whose TF is tf, in a new array that the caller frees
 * with mda_FreeParents; none: *count 0 and *array null. */
VYR_EXPORT int32_t mda_GetParentsByTF(int32_t options, db_ptr ptr, mda_tf tf, int32_t *count, db_ptr **array);
VYR_EXPORT void mda_FreeParents(db_ptr *array);
/* 1 when one of the parents of ptr has type-form tf, else 0 (also for a
 * model without back pointers, and for an invalid pointer after the error
 * mda_GetParentsByTF gives); allocates nothing. */
VYR_EXPORT int32_t mda_HasParentOfTF(db_ptr ptr, mda_tf tf);
/* Copies the list's elements into a new block of the record: *count gets
 * the number, *array (an mda_ref field of the record) the block. Option 2
 * records the record as parent of every element (4-byte db_ptrs). */
VYR_EXPORT int32_t mda_CopyFromOList(int32_t options, void *mem, OlmList *list, int32_t *count,
                                     mda_ref *array);
/* -1, 0, 1 by unsigned comparison of two db_ptrs (a tree comparator). */
VYR_EXPORT int32_t mda_CompPTRs(const void *a, const void *b);

#ifdef __cplusplus
}
#endif

#endif
