/* Message table of the object queue manager (module 5). */
#include "kernel/pdx/pdx_int.h"
#include "kernel/oqm/oqm_msg.h"

PDX_DEFINE_MODULE(oqm__Module, 5, "OQM", OQM_MESSAGES);
static_assert(OQM__MSGEND - OQM__MSGBASE - 1 == 3, "message count of OQM");
