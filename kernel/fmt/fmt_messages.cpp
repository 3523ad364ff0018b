/* Message table of the message formatter (module 13). */
#include "kernel/pdx/pdx_int.h"
#include "kernel/fmt/fmt_msg.h"

PDX_DEFINE_MODULE(fmt__Module, 13, "FMT", FMT_MESSAGES);
static_assert(FMT__MSGEND - FMT__MSGBASE - 1 == 22, "message count of FMT");
