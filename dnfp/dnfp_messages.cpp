/* Message table of the DXF mapping layer (module 105). */
#include "kernel/pdx/pdx_int.h"
#include "dnfp/dnfp_msg.h"

PDX_DEFINE_MODULE(dnfp__Module, 105, "DNFP", DNFP_MESSAGES);
static_assert(DNFP__MSGEND - DNFP__MSGBASE - 1 == 18, "message count of DNFP");
