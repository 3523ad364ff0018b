/* Message table of the DXF file writer (module 106). */
#include "kernel/pdx/pdx_int.h"
#include "kernel/dnff/dnff_msg.h"

PDX_DEFINE_MODULE(dnff__Module, 106, "DNFF", DNFF_MESSAGES);
static_assert(DNFF__MSGEND - DNFF__MSGBASE - 1 == 21, "message count of DNFF");
