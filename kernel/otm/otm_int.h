/* Object tree internals used by tests and diagnostics. */
#ifndef VYR_KERNEL_OTM_INT_H
#define VYR_KERNEL_OTM_INT_H

#include "kernel/otm/otm.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Height of the tree (0 when empty). */
int otm__Height(const OtmTree *tree);
/* 1 when every node's balance matches its subtrees' heights, the order and
 * the in-order chain agree with the comparison function and the count is
 * right; 0 otherwise. */
int otm__Check(const OtmTree *tree);

#ifdef __cplusplus
}
#endif

#endif
