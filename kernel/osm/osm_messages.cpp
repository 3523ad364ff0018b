/* Message table of the object stack manager (module 4). */
#include "kernel/pdx/pdx_int.h"
#include "kernel/osm/osm_msg.h"

PDX_DEFINE_MODULE(osm__Module, 4, "OSM", OSM_MESSAGES);
static_assert(OSM__MSGEND - OSM__MSGBASE - 1 == 3, "message count of OSM");
