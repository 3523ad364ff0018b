/* The DXF mapping tables (module DMAP). Its work is not on the
 * conversion's road; only its start-up (the registration of its messages,
 * kernel/dmap/dmap_msg.h) and shutdown take part in the kernel's life. */
#ifndef VYR_KERNEL_DMAP_DMAP_H
#define VYR_KERNEL_DMAP_DMAP_H

#include "vyr_export.h"
#include "kernel/dmap/dmap_msg.h"

#ifdef __cplusplus
extern "C" {
#endif

VYR_EXPORT int dmap_Initialize(void);
VYR_EXPORT int dmap_Terminate(void);

#ifdef __cplusplus
}
#endif

#endif
