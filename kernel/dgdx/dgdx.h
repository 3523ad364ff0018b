/* The DXF geometry exchange (module DGDX). Its work is not on the
 * conversion's road; only its start-up (the registration of its messages,
 * kernel/dgdx/dgdx_msg.h) and shutdown take part in the kernel's life. */
#ifndef VYR_KERNEL_DGDX_DGDX_H
#define VYR_KERNEL_DGDX_DGDX_H

#include "vyr_export.h"
#include "kernel/dgdx/dgdx_msg.h"

#ifdef __cplusplus
extern "C" {
#endif

VYR_EXPORT int dgdx_Initialize(void);
VYR_EXPORT int dgdx_Terminate(void);

#ifdef __cplusplus
}
#endif

#endif
