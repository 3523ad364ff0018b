/* Message table of the mapping tables (module 19). */
#include "kernel/pdx/pdx_int.h"
#include "kernel/map/map_msg.h"

PDX_DEFINE_MODULE(map__Module, 19, "MAP", MAP_MESSAGES);
static_assert(MAP__MSGEND - MAP__MSGBASE - 1 == 38, "message count of MAP");
