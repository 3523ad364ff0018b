/* Message table of the entity attribute manager (module 6). */
#include "kernel/pdx/pdx_int.h"
#include "kernel/eam/eam_msg.h"

PDX_DEFINE_MODULE(eam__Module, 6, "EAM", EAM_MESSAGES);
static_assert(EAM__MSGEND - EAM__MSGBASE - 1 == 3, "message count of EAM");
