/* Object stack manager (module OSM). Only its registration with the message manager
 * takes part in a conversion; its codes are in kernel/osm/osm_msg.h. */
#ifndef VYR_KERNEL_OSM_H
#define VYR_KERNEL_OSM_H

#include "vyr_export.h"
#include "kernel/osm/osm_msg.h"

#ifdef __cplusplus
extern "C" {
#endif

VYR_EXPORT int osm_Initialize(void);

#ifdef __cplusplus
}
#endif

#endif
