/* Message table of the memory debugger (module 16). */
#include "kernel/pdx/pdx_int.h"
#include "kernel/hdb/hdb_msg.h"

PDX_DEFINE_MODULE(hdb__Module, 16, "HDB", HDB_MESSAGES);
static_assert(HDB__MSGEND - HDB__MSGBASE - 1 == 1, "message count of HDB");
