/* Mapping tables (module MAP). Only its registration with the message manager
 * takes part in a conversion; its codes are in kernel/map/map_msg.h. */
#ifndef VYR_KERNEL_MAP_H
#define VYR_KERNEL_MAP_H

#include "vyr_export.h"
#include "kernel/map/map_msg.h"

#ifdef __cplusplus
extern "C" {
#endif

VYR_EXPORT int map_Initialize(void);
VYR_EXPORT int map_Terminate(void);

#ifdef __cplusplus
}
#endif

#endif
