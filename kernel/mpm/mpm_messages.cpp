/* Message table of the message manager (module 1). */
#include "kernel/pdx/pdx_int.h"
#include "kernel/mpm/mpm_msg.h"

PDX_DEFINE_MODULE(mpm__Module, 1, "MPM", MPM_MESSAGES);
static_assert(MPM__MSGEND - MPM__MSGBASE - 1 == 13, "message count of MPM");
