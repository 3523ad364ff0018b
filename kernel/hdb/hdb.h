/* Memory debugger (module HDB). Only its registration with the message manager
 * takes part in a conversion; its codes are in kernel/hdb/hdb_msg.h. */
#ifndef VYR_KERNEL_HDB_H
#define VYR_KERNEL_HDB_H

#include "vyr_export.h"
#include "kernel/hdb/hdb_msg.h"

#ifdef __cplusplus
extern "C" {
#endif

VYR_EXPORT int hdb_Initialize(void);

#ifdef __cplusplus
}
#endif

#endif
