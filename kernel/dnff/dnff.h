/* The DXF file writer (module DNFF). Writing drawing files is not on the
 * conversion's road; only its start-up (the registration of its messages,
 * kernel/dnff/dnff_msg.h) and shutdown take part in the kernel's life. */
#ifndef VYR_KERNEL_DNFF_DNFF_H
#define VYR_KERNEL_DNFF_DNFF_H

#include "vyr_export.h"
#include "kernel/dnff/dnff_msg.h"

#ifdef __cplusplus
extern "C" {
#endif

VYR_EXPORT int dnff_Initialize(void);
VYR_EXPORT int dnff_Terminate(void);

#ifdef __cplusplus
}
#endif

#endif
