/* Message table of the object list manager (module 2). */
#include "kernel/pdx/pdx_int.h"
#include "kernel/olm/olm_msg.h"

PDX_DEFINE_MODULE(olm__Module, 2, "OLM", OLM_MESSAGES);
static_assert(OLM__MSGEND - OLM__MSGBASE - 1 == 5, "message count of OLM");
