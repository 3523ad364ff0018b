/* Configuration reader (module CFG). Only its registration with the message manager
 * takes part in a conversion; its codes are in kernel/cfg/cfg_msg.h. */
#ifndef VYR_KERNEL_CFG_H
#define VYR_KERNEL_CFG_H

#include "vyr_export.h"
#include "kernel/cfg/cfg_msg.h"

#ifdef __cplusplus
extern "C" {
#endif

VYR_EXPORT int cfg_Initialize(void);
VYR_EXPORT int cfg_Terminate(void);

#ifdef __cplusplus
}
#endif

#endif
