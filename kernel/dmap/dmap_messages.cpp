/* Message table of the DXF mapping tables (module 108). */
#include "kernel/pdx/pdx_int.h"
#include "kernel/dmap/dmap_msg.h"

PDX_DEFINE_MODULE(dmap__Module, 108, "DMAP", DMAP_MESSAGES);
static_assert(DMAP__MSGEND - DMAP__MSGBASE - 1 == 7, "message count of DMAP");
