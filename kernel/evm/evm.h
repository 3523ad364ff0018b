/* Event manager (module EVM). Only its registration with the message manager
 * takes part in a conversion; its codes are in kernel/evm/evm_msg.h. */
#ifndef VYR_KERNEL_EVM_H
#define VYR_KERNEL_EVM_H

#include "vyr_export.h"
#include "kernel/evm/evm_msg.h"

#ifdef __cplusplus
extern "C" {
#endif

VYR_EXPORT int evm_Initialize(void);

#ifdef __cplusplus
}
#endif

#endif
