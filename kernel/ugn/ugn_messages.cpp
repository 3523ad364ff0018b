/* Message table of the general utilities (module 10). */
#include "kernel/pdx/pdx_int.h"
#include "kernel/ugn/ugn_msg.h"

PDX_DEFINE_MODULE(ugn__Module, 10, "UGN", UGN_MESSAGES);
/* The 17 messages of the original table, then the temporary directory's. */
static_assert(UGN__MSGEND - UGN__MSGBASE - 1 == 19, "message count of UGN");
