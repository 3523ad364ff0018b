/* Message table of the data definitions (module 8). */
#include "kernel/pdx/pdx_int.h"
#include "kernel/ddf/ddf_msg.h"

PDX_DEFINE_MODULE(ddf__Module, 8, "DDF", DDF_MESSAGES);
static_assert(DDF__MSGEND - DDF__MSGBASE - 1 == 9, "message count of DDF");
