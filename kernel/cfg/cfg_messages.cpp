/* Message table of the configuration reader (module 17). */
#include "kernel/pdx/pdx_int.h"
#include "kernel/cfg/cfg_msg.h"

PDX_DEFINE_MODULE(cfg__Module, 17, "CFG", CFG_MESSAGES);
static_assert(CFG__MSGEND - CFG__MSGBASE - 1 == 64, "message count of CFG");
