/* Object queue manager (module OQM). Only its registration with the message manager
 * takes part in a conversion; its codes are in kernel/oqm/oqm_msg.h. */
#ifndef VYR_KERNEL_OQM_H
#define VYR_KERNEL_OQM_H

#include "vyr_export.h"
#include "kernel/oqm/oqm_msg.h"

#ifdef __cplusplus
extern "C" {
#endif

VYR_EXPORT int oqm_Initialize(void);

#ifdef __cplusplus
}
#endif

#endif
