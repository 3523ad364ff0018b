/* Object trees: height-balanced (AVL) binary search trees of fixed-size
 * copies of the caller's objects, ordered by the caller's comparison
 * function, which receives (key object, stored object) and returns a
 * negative value, 0 or a positive value. Stored addresses stay valid until
 * the tree is deleted. Errors are recorded in the message manager with the
 * OTM codes of kernel/otm/otm_msg.h. */
#ifndef VYR_KERNEL_OTM_H
#define VYR_KERNEL_OTM_H

#include "vyr_export.h"
#include "kernel/otm/otm_msg.h"

#ifdef __cplusplus
extern "C" {
#endif

/* otm_GetObject: a miss is silent instead of recording NOTFOUND. */
#define OTM_SILENT 1

typedef int (*OtmCompare)(const void *key, const void *stored);
typedef struct OtmNode OtmNode;

/* A tree. Read the fields, never write them. */
typedef struct OtmTree {
    OtmNode *root;
    OtmNode *current; /* node last found or added */
    int object_size;
    int count; /* number of objects */
    OtmCompare compare;
    OtmNode *iter;  /* node last returned by otm_CycleTree, or null */
    void *user;     /* the caller's word */
    OtmNode *first; /* smallest object: head of the in-order chain */
} OtmTree;

VYR_EXPORT int otm_Initialize(void);

/* A new empty tree, or null (INVALIDSIZE for a size below 1, NULLPOINTER
 * without a comparison function, NOMEMORY). */
VYR_EXPORT OtmTree *otm_CreateTree(int options, int object_size, OtmCompare compare, void *user);

/* Stores a copy of `object` unless an equal object is stored already;
 * returns the address of the stored (new or existing) object, or null. */
VYR_EXPORT void *otm_AddObject(int options, OtmTree *tree, const void *object);

/* The stored object equal to `key`, or null (recording NOTFOUND unless
 * OTM_SILENT is given). */
VYR_EXPORT void *otm_GetObject(int options, OtmTree *tree, const void *key);

/* Iteration in ascending order: the first call returns the smallest object,
 * each further call the next; after the largest it returns null once and
 * starts again. Objects added meanwhile are visited when they come after
 * the position reached. */
VYR_EXPORT void *otm_CycleTree(int options, OtmTree *tree);

/* Restarts the iteration of otm_CycleTree. */
VYR_EXPORT void otm_ResetCycle(OtmTree *tree);

/* Number of objects (0 for a null tree). */
VYR_EXPORT int otm_GetCount(const OtmTree *tree);

/* Frees every node and the tree itself. */
VYR_EXPORT int otm_DeleteTree(int options, OtmTree *tree);

#ifdef __cplusplus
}
#endif

#endif
