/* Message table of the vector mathematics (module 11). */
#include "kernel/pdx/pdx_int.h"
#include "kernel/mth/mth_msg.h"

PDX_DEFINE_MODULE(mth__Module, 11, "MTH", MTH_MESSAGES);
static_assert(MTH__MSGEND - MTH__MSGBASE - 1 == 13, "message count of MTH");
