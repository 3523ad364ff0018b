/* Message table of the object tree manager (module 3). */
#include "kernel/pdx/pdx_int.h"
#include "kernel/otm/otm_msg.h"

PDX_DEFINE_MODULE(otm__Module, 3, "OTM", OTM_MESSAGES);
static_assert(OTM__MSGEND - OTM__MSGBASE - 1 == 9, "message count of OTM");
