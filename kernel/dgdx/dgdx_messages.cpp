/* Message table of the DXF geometry exchange (module 107). */
#include "kernel/pdx/pdx_int.h"
#include "kernel/dgdx/dgdx_msg.h"

PDX_DEFINE_MODULE(dgdx__Module, 107, "DGDX", DGDX_MESSAGES);
static_assert(DGDX__MSGEND - DGDX__MSGBASE - 1 == 19, "message count of DGDX");
