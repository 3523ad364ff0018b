/* Entity attribute manager (module EAM). Only its registration with the message manager
 * takes part in a conversion; its codes are in kernel/eam/eam_msg.h. */
#ifndef VYR_KERNEL_EAM_H
#define VYR_KERNEL_EAM_H

#include "vyr_export.h"
#include "kernel/eam/eam_msg.h"

#ifdef __cplusplus
extern "C" {
#endif

VYR_EXPORT int eam_Initialize(void);

#ifdef __cplusplus
}
#endif

#endif
