/* Object lists: doubly linked lists of fixed-size copies of the caller's
 * objects. A list hands out the addresses of its stored copies; an address
 * stays valid until its object is removed or the list is deleted. Nodes come
 * from blocks of `block_factor` nodes and are reused after removal; blocks
 * go back to the heap only when the list is deleted. A block of 1 MiB or
 * more is bulk memory (ugn_BulkAlloc) and holds as many nodes as its whole
 * units take.
 *
 * Positions: -1 the first object, -2 the last, 0 the current one (the one
 * last added, found, cycled to, or the neighbour of the last removed),
 * n >= 1 the n-th object counted from 1. Errors are recorded in the message
 * manager with the OLM codes of kernel/olm/olm_msg.h. */
#ifndef VYR_KERNEL_OLM_H
#define VYR_KERNEL_OLM_H

#include <stddef.h>

#include "vyr_export.h"
#include "kernel/olm/olm_msg.h"

#ifdef __cplusplus
extern "C" {
#endif

#define OLM_FIRST (-1)
#define OLM_LAST (-2)
#define OLM_CURRENT 0

typedef struct OlmNode OlmNode;

/* A list. Read the fields, never write them. */
typedef struct OlmList {
    void *blocks; /* chain of allocated node blocks */
    OlmNode *first;
    OlmNode *last;
    OlmNode *free_nodes; /* chain of unused nodes */
    OlmNode *current;
    int object_size;
    int block_factor; /* nodes per block */
    size_t node_size;
    int count;     /* number of objects */
    OlmNode *iter; /* node last returned by olm_CycleList, or null */
    void *user;    /* the caller's word */
} OlmList;

VYR_EXPORT int olm_Initialize(void);

/* A new empty list, or null (INVALIDSIZE for a size or block factor below 1,
 * NOMEMORY). The first node block is allocated at once. */
VYR_EXPORT OlmList *olm_CreateList(int options, int object_size, int block_factor, void *user);

/* Sets the number of nodes of the blocks allocated from now on (0, or
 * INVALIDSIZE below 1); the blocks allocated before keep theirs. A list
 * that is known to grow large can so take its nodes from fewer, larger
 * blocks. */
VYR_EXPORT int olm_SetBlockFactor(int options, OlmList *list, int block_factor);

/* For a list that may grow long: when no free node is left and the list
 * holds more objects than a block has nodes, the block factor becomes the
 * list's count (so the next block doubles it), up to the nodes that fill
 * one unit of bulk memory. Call it before adding. */
VYR_EXPORT void olm_GrowBlockFactor(OlmList *list);

/* Stores a copy of `object` (size bytes; null leaves the copy uninitialised)
 * and returns its address, or null. Position -1 inserts before the first,
 * -2 after the last, 0 before the current object (appends to an empty list),
 * 1 before the first, n >= 2 after the (n-1)-th, which must exist
 * (INVALIDPOSITION). The new object becomes current. */
VYR_EXPORT void *olm_AddObject(int options, OlmList *list, int position, const void *object);

/* The object at a position, or null when there is none; it becomes current. */
VYR_EXPORT void *olm_GetObject(int options, OlmList *list, int position);

/* Removes the object at a position (0 on success, INVALIDPOSITION when there
 * is none). The current object stays, or moves to the successor (or the
 * predecessor) when it was the one removed; the iteration restarts. */
VYR_EXPORT int olm_RemoveObject(int options, OlmList *list, int position);

/* Iteration: the first call (after creation or after the end) returns the
 * first object, each further call the next; after the last it returns null
 * once and starts again. The returned object becomes current, so
 * olm_RemoveObject(0, list, 0) removes it. */
VYR_EXPORT void *olm_CycleList(int options, OlmList *list);
/* The same from the last object to the first (one iteration runs one way
 * until it ends or is restarted). */
VYR_EXPORT void *olm_CycleListBack(int options, OlmList *list);

/* Restarts the iteration of olm_CycleList and olm_CycleListBack. */
VYR_EXPORT void olm_ResetCycle(OlmList *list);

/* Number of objects (0 for a null list). */
VYR_EXPORT int olm_GetCount(const OlmList *list);

/* Removes every object, keeping the node blocks for reuse. */
VYR_EXPORT int olm_RemoveAll(int options, OlmList *list);

/* Frees every node block and the list itself. */
VYR_EXPORT int olm_DeleteList(int options, OlmList *list);

#ifdef __cplusplus
}
#endif

#endif
