/* Message table of the model database (module 9). */
#include "kernel/pdx/pdx_int.h"
#include "kernel/mda/mda_msg.h"

PDX_DEFINE_MODULE(mda__Module, 9, "MDA", MDA_MESSAGES);
static_assert(MDA__MSGEND - MDA__MSGBASE - 1 == 44, "message count of MDA");
