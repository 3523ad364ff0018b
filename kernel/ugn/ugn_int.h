/* General utilities, internal state: the last temporary name and the
 * counter that numbers temporary names. */
#ifndef VYR_KERNEL_UGN_INT_H
#define VYR_KERNEL_UGN_INT_H

#include "kernel/ugn/ugn.h"

#ifdef __cplusplus
extern "C" {
#endif

#define UGN_TMPNAM_SIZE 1024

extern char ugn__TmpNam[UGN_TMPNAM_SIZE];
extern int ugn__TmpNum;

#ifdef __cplusplus
}
#endif

#endif
