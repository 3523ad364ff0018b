/* Direct-access page files (module DOF): a file of fixed-size pages read
 * and written through a pool of page buffers, with variable-size block
 * allocation on top. The model database keeps the entities that are neither
 * locked nor cached in one temporary page file per model. Offsets, sizes and
 * page numbers are 64-bit throughout.
 *
 * Blocks: each allocated block is preceded by a 16-byte header {data size,
 * mark} and addressed by the file offset of its data. Free extents are kept
 * per size class and reused; a free extent is split when more than
 * DOF_SPLIT_MIN bytes would remain, else handed out whole (so a block may be
 * larger than asked; dof_GetBlockSize tells its real size). */
#ifndef VYR_KERNEL_DOF_DOF_H
#define VYR_KERNEL_DOF_DOF_H

#include <stdint.h>

#include "vyr_export.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Open modes. */
#define DOF_MODE_BLOCKS 1   /* block allocation with size classes */
#define DOF_MODE_TEMP 2     /* temporary file, 0600, without a name in the file system */
#define DOF_MODE_EXISTING 4 /* open an existing file for reading and writing */
#define DOF_MODE_READONLY 8 /* open an existing file read-only */
#define DOF_MODE_STATS 16   /* dump statistics at close */

#define DOF_DEFAULT_BUFFERS 16
#define DOF_DEFAULT_PAGE_SIZE 4096
#define DOF_BLOCK_HEADER 16
#define DOF_SPLIT_MIN 144
#define DOF_BINS 64

typedef struct DofStats {
    int64_t read_calls;
    int64_t write_calls;
    int64_t pages_written;
    int64_t pages_read;
    int64_t disk_reads; /* reads from the file, a run of pages each */
    int64_t page_requests;
    int64_t page_hits;
} DofStats;

/* One page buffer of the pool. */
typedef struct DofBuffer {
    int32_t dirty;
    int32_t score;
    int64_t tick; /* tick of last use */
    int64_t page; /* -1: empty */
    unsigned char *data;
} DofBuffer;

/* A free extent: file offset of its header and its size, header included. */
typedef struct DofSlot {
    int64_t offset;
    int64_t size;
    int32_t next;
} DofSlot;

/* A size class: requests below `limit` (or any, in the last class). Its
 * free extents sit in slot records (a table that grows by `per_table`),
 * chained per power-of-two size bin. */
typedef struct DofClass {
    int64_t limit;
    int32_t per_table;
    int32_t first_free; /* first chained slot record not in use, -1 none */
    int32_t count;      /* free extents */
    int32_t nslots;     /* slot records in the table */
    DofSlot *slots;
    int32_t bins[DOF_BINS];
    uint64_t filled; /* bit b set: bins[b] holds an extent */
    int64_t requests;
    int64_t reused;
    int64_t split;
    int64_t freed;
} DofClass;

typedef struct DofFile {
    int fd;
    int32_t mode;
    int64_t tick;
    int64_t pos;    /* file position after the last transfer */
    int64_t npages; /* pages in the file, zero-filled ones included */
    DofClass *classes;
    int32_t nclasses;
    int32_t nbuffers;
    int32_t page_size;
    int64_t end; /* end of the allocated area */
    DofBuffer *buffers;
    char *name;
    DofStats stats;
    int32_t last;      /* buffer of the last page request */
    int64_t next_read; /* page after the last pages read from disk */
    int32_t streak;    /* reads in a row that each continued the one before */
} DofFile;

/* Opens a page file (mode bits above). A DOF_MODE_TEMP file is made in
 * ugn_TempDirectory without a name (O_TMPFILE, or removed right after its
 * exclusive creation), so it vanishes with its descriptor; `name` may be
 * null. A buffer count or page size below 1 takes the default. */
VYR_EXPORT int32_t dof_Open(int32_t mode, const char *name, int32_t buffers, int32_t page_size,
                            DofFile **out);
/* Dumps statistics (DOF_MODE_STATS), writes dirty pages back unless the file
 * is temporary or read-only, closes, frees. */
VYR_EXPORT int32_t dof_Close(int32_t options, DofFile *file);

/* Reads (write = 0) or writes `count` bytes at `offset` through the buffers. */
VYR_EXPORT int32_t dof_ReadWrite(int32_t write, DofFile *file, int64_t count, int64_t offset, void *buffer);

VYR_EXPORT int32_t dof_AllocateBlock(DofFile *file, int64_t size, int64_t *offset);
VYR_EXPORT int32_t dof_FreeBlock(DofFile *file, int64_t offset);
VYR_EXPORT int32_t dof_GetBlockSize(DofFile *file, int64_t offset, int64_t *size);

/* The buffer holding a page (read, or zero-filled beyond the end). */
VYR_EXPORT int32_t dof_GetPage(DofFile *file, int64_t page, DofBuffer **buffer);
/* Writes a buffer back if it is dirty. */
VYR_EXPORT int32_t dof_FlushPage(DofFile *file, DofBuffer *buffer);

VYR_EXPORT int32_t dof_Initialize(void);

#ifdef __cplusplus
}
#endif

#endif
