/* Internal state and helpers of module DDF: the current data definition
 * with its one-entry TF memo, computed counts, and the record of the
 * compiled-in DXF definition. */
#ifndef VYR_KERNEL_DDF_DDF_INT_H
#define VYR_KERNEL_DDF_DDF_INT_H

#include "kernel/ddf/ddf.h"
#include "kernel/ddf/ddf_msg.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The one-entry memo: the last TF looked up, its TFI, and the definition
 * both belong to (also the current model's definition). */
extern mda_tf ddf__SavedTF;
extern int32_t ddf__SavedTFI;
extern const DdfDef *ddf__Current;

/* Makes def the current definition and resets the memo to the null TF. */
void ddf__SetCurrent(const DdfDef *def);

/* Evaluates a computed count: the value of the result counter of the last
 * operation before 'd'. Unknown operation: DDF_UNKNOWN_LET_OP. */
int32_t ddf__ComputeLet(const DdfLetOp *ops, int32_t *value);

extern const DdfDef ddf__Dxfi;

/* Records an error of module DDF with severity ERROR; returns the code. */
int32_t ddf__Error(int32_t code);
/* Registers the module's messages. */
void ddf__Register(void);

#ifdef __cplusplus
}
#endif

#endif
