/* Internals of the model database: the model table, directory entries,
 * memory blocks, the entity cache and the functions the module's source
 * files share.
 *
 * Memory blocks (MBlock). Every block of the database carries a header of
 * MDA_MBLOCK_HDR bytes, the same size in memory and in the page file and a
 * multiple of 16 so that the doubles of a record stay aligned. The address
 * handed out ("data") follows the header, for an array block after a further
 * array header of MDA_ARRAY_HDR bytes. The 32-bit word just before the data
 * always holds the distance back to the block header, so any data address
 * leads to its block. Each block has a reference (mda_ref), an index into the
 * process-wide block table that maps references to data addresses.
 *
 * Back-references. A block reached from a field of its entity records that
 * field as {reference of the block holding the field, byte offset of the
 * field within that block's data} (tag MDA_BACKREF_FIELD; exactly 4 bytes are
 * ever written there); a block chained to an independent block that is not
 * an entity record records the address of the machine pointer that refers to
 * it (tag MDA_BACKREF_MACHINE). Heads of chains have none.
 *
 * Page-file image of an entity: its blocks in chain order, back to back, each
 * with an MdaDiskHdr in place of its MBlock. Block i's header names where the
 * pointer to block i+1 lies (offset within, and ordinal of, its holder); that
 * field holds i+1 on disk. The first header also carries the total size.
 *
 * Stored form: the first header as it is, then the rest of the image packed
 * (a record is mostly zero: empty fixed strings, unset fields) as tokens of
 * 8-byte words {uint16 literal words L, uint16 zero words Z, L words}, or
 * unpacked when packing would not make it smaller (flag `packed` of the first
 * header). A memory-only model keeps the stored form in memory behind an
 * 8-byte length. */
#ifndef VYR_KERNEL_MDA_MDA_INT_H
#define VYR_KERNEL_MDA_MDA_INT_H

#include "kernel/dof/dof.h"
#include "kernel/mda/mda.h"
#include "kernel/otm/otm.h"

#ifdef __cplusplus
extern "C" {
#endif

#define MDA_MBLOCK_HDR 48
#define MDA_ARRAY_HDR 48
#define MDA_MAGIC 0x4D424C4Bu /* "MBLK" */
#define MDA_KIND_PLAIN 1
#define MDA_KIND_ARRAY 2
#define MDA_FLAG_INDEPENDENT 0x1
#define MDA_FLAG_RECORD 0x2 /* head of an entity record's chain */
#define MDA_BACKREF_NONE 0
#define MDA_BACKREF_FIELD 1
#define MDA_BACKREF_MACHINE 2

#define MDA_DIR_PAGE 2048
#define MDA_DIR_SHIFT 11
#define MDA_TOP_INITIAL 1024
#define MDA_TOP_MAX 16384
#define MDA_CACHE_SIZE 32
#define MDA_NOT_WRITTEN ((int64_t)-1)
#define MDA_MAX_IMAGE ((int64_t)1 << 31)

typedef struct MBlock {
    uint64_t size;       /* total bytes, header (and array header) included */
    struct MBlock *next; /* next block of the chain */
    struct MBlock *prev; /* previous block, null for the head */
    union {
        struct {
            uint32_t holder; /* reference of the block holding the field */
            uint32_t offset; /* field offset within the holder's data */
        } field;
        void **machine;
    } back;
    uint32_t magic;
    uint32_t ref;
    uint8_t kind;
    uint8_t flags;
    uint8_t tag; /* MDA_BACKREF_* */
    uint8_t reserved;
    uint32_t data_back; /* bytes from the data back to this header */
} MBlock;

typedef struct MdaArrayHdr {
    uint64_t former; /* data address when the block was written */
    int32_t element_size;
    int32_t ndims;
    int32_t extents[4];
    int32_t elements_offset; /* from the data to the first element */
    uint32_t reserved[2];
    uint32_t data_back;
} MdaArrayHdr;

typedef struct MdaDiskHdr {
    int64_t size;
    int64_t ref_offset;  /* field referring to the next block, 0 in the last */
    int64_t ref_ordinal; /* its holder's ordinal, -1 in the last */
    int64_t next;        /* position of the next block in the image, -1 in the last */
    uint32_t magic;
    uint8_t kind;
    uint8_t flags;
    uint8_t tag;
    uint8_t packed; /* first block: the rest of the image is packed */
    int64_t total;  /* first block: bytes of the whole image */
} MdaDiskHdr;

typedef struct MdaDirEntry {
    void *mloc;   /* record in memory, or null */
    int64_t dloc; /* page-file block, MDA_NOT_WRITTEN; memory-only: image address or 0;
                     freed entries: next free index */
    mda_tf tf;
    uint32_t status;
} MdaDirEntry;

typedef struct MdaCacheSlot {
    uint32_t *status; /* the occupant's directory status, or &mda__DefCacheStat */
    uint32_t index;   /* 0: empty */
} MdaCacheSlot;

typedef struct MdaCallback {
    MdaCallbackFn fn;
    struct MdaCallback *next;
} MdaCallback;

/* A back-pointer record: no parents (count 0), one parent (count 1, value
 * its db_ptr), or an object list of 4-byte db_ptrs (count 2). */
typedef struct MdaBackRec {
    uintptr_t value;
    int32_t count;
    int32_t reserved;
} MdaBackRec;

typedef struct MdaModel {
    int32_t in_use;
    char name[40];
    uint8_t backptrs;
    uint8_t statistics;
    int32_t page_buffers;
    int32_t page_size;
    MdaAppData *backstore;
    const DdfDef *ddf;
    void *format_data;
    MdaDirEntry **dir;
    uint32_t highest;    /* highest index the existing pages hold */
    uint32_t next_index; /* next never-used index */
    int32_t top_capacity;
    MdaCacheSlot *cache;
    int32_t cache_size;
    uint32_t free_head; /* 0: no freed index */
    DofFile *pagefile;
    MdaEntityList *entlist;
    int32_t nentities;
    int32_t options;
    double tolerance;
    OtmTree *names;
    MdaFileFn parse;
    MdaFileFn format;
    MdaModelFn on_allocate;
    MdaModelFn format_hook1;
    MdaModelFn format_hook2;
    MdaModelFn on_free;
    MdaSetCurFn on_set_current;
    void *spare;
    MdaCallback *callbacks[4];
} MdaModel;

extern MdaModel mda__Models[MDA_MAX_MODELS + 1];
extern int32_t mda__CurModelNum;
extern uint32_t mda__DefCacheStat;
extern int32_t mda__CacheCursor;

/* Error recording (severity ERROR); the variadic arguments feed the text. */
int32_t mda__Error(int32_t code, ...);

/* The model of a number if allocated, else null. */
MdaModel *mda__Model(int32_t model);
/* Directory entry of an index below next_index. */
static inline MdaDirEntry *mda__Entry(const MdaModel *m, uint32_t index)
{
    return &m->dir[index >> MDA_DIR_SHIFT][index & (MDA_DIR_PAGE - 1)];
}
/* The model and entry of a valid db_ptr, or null (nothing recorded). */
MdaDirEntry *mda__Lookup(db_ptr ptr, MdaModel **model);
int32_t mda__AllocPtr(MdaModel *m, uint32_t *index);
void mda__CallCallbacks(MdaModel *m, int32_t event, db_ptr ptr);

/* Blocks. */
static inline MBlock *mda__BlockOf(const void *data)
{
    uint32_t back;
    __builtin_memcpy(&back, (const unsigned char *)data - 4, 4);
    return (MBlock *)((unsigned char *)data - back);
}
static inline unsigned char *mda__DataOf(MBlock *b) { return (unsigned char *)b + b->data_back; }
/* Memory of a block of `total` bytes (not filled), and its release by the
 * block's `size`: small blocks go back to lists by size class for reuse.
 * Every block's memory comes from here and goes back here. */
MBlock *mda__AllocBlockMemory(size_t total);
void mda__FreeBlockMemory(MBlock *b);
/* Frees the blocks waiting for reuse (at termination). */
void mda__FreeRecycledBlocks(void);
/* A new block (zero-filled), with its reference; null when out of memory. */
MBlock *mda__NewBlock(size_t total, uint8_t kind, uint32_t data_back);
/* Frees a block and its reference (does not unlink it). */
void mda__DropBlock(MBlock *b);
/* Frees the whole chain of a record. */
void mda__FreeChain(void *record);
uint32_t mda__NewRef(void *data);
void mda__SetRef(uint32_t ref, void *data);
void mda__FreeRef(uint32_t ref);
void mda__FreeRefTable(void);

/* Cache and page file. */
int32_t mda__GetCacheEntry(int32_t model, uint32_t index);
void mda__ReleaseCacheEntry(MdaModel *m, MdaDirEntry *e);
int32_t mda__SwapToDisk(int32_t keep, db_ptr ptr);
void *mda__SwapFromDisk(int32_t options, db_ptr ptr);
int32_t mda__FlushCache(int32_t model);
void mda__FreeStored(MdaModel *m, MdaDirEntry *e);
/* The first `want` bytes of an entity's image (headers included) from its
 * stored copy, into out; 0 when it cannot be read, else 1. Uses no shared
 * buffer, so it may run while an entity is being written. */
int32_t mda__ReadStoredPrefix(MdaModel *m, MdaDirEntry *e, unsigned char *out, int64_t want);
void mda__FreeStage(void);

/* Deletes an entity. Options: 1 keep the memory, 2 allow parents, 4 keep
 * back pointers, 8 keep the parent list, 0x80000 keep the db_ptr reserved. */
int32_t mda__FreePtr(int32_t options, db_ptr ptr);
int32_t mda__MallocArray(int32_t options, void *owner, int32_t element_size, int32_t ndims,
                         const int32_t *extents, void *out);

/* Back pointers and app-data stores. */
/* Zeroes an index's records in every store of a model but `keep`. */
void mda__ClearAppData(int32_t model, uint32_t index, const MdaAppData *keep);
void mda__FreeRegistry(void);
int32_t mda__HasParents(MdaModel *m, db_ptr ptr);
void mda__DropParentList(MdaModel *m, db_ptr ptr);
int32_t mda__ReferencedPtrs(void *mem, int32_t add, db_ptr parent);
/* mda_TraverseEntity(0, mem, fn) restricted to the ptr fields, through a
 * plan of the record's type where the record allows; mda__FreePtrPlans
 * frees the plans (at termination). */
int32_t mda__TraversePtrs(void *mem, MdaFieldVisitFn fn);
void mda__FreePtrPlans(void);

/* The formatter's hooks for %<OrigDesc> and %<ModelList>. */
void mda__InstallFormatHooks(int32_t install);

#ifdef __cplusplus
}
#endif

#endif
