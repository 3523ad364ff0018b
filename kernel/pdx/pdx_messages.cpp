/* Message table of the kernel interface (module 0). */
#include "kernel/pdx/pdx_int.h"
#include "kernel/pdx/pdx_msg.h"

PDX_DEFINE_MODULE(pdx__Module, 0, "PDX", PDX_MESSAGES);
static_assert(PDX__MSGEND - PDX__MSGBASE - 1 == 13, "message count of PDX");
