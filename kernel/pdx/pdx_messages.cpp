/* Message table of the kernel interface (module 0). */
#include "kernel/pdx/pdx_int.h"
#include "kernel/pdx/pdx_msg.h"

PDX_DEFINE_MODULE(pdx__Module, 0, "PDX", PDX_MESSAGES);
/* The 13 messages of the original table, then the refusal of files that are
 * not regular. */
static_assert(PDX__MSGEND - PDX__MSGBASE - 1 == 14, "message count of PDX");
