/* Internals of module DOF: the size limits of a model page file's classes
 * and the error helper. */
#ifndef VYR_KERNEL_DOF_DOF_INT_H
#define VYR_KERNEL_DOF_DOF_INT_H

#include "kernel/dof/dof.h"
#include "kernel/dof/dof_msg.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Size limits of the classes of a block-allocating page file. */
#define DOF_NCLASSES 2
extern const int64_t dof__flist_sizes[DOF_NCLASSES];

/* Records an error of module DOF naming the file; returns the code. */
int32_t dof__Error(int32_t code, const DofFile *file);

#ifdef __cplusplus
}
#endif

#endif
