/* Message table of the event manager (module 12). */
#include "kernel/pdx/pdx_int.h"
#include "kernel/evm/evm_msg.h"

PDX_DEFINE_MODULE(evm__Module, 12, "EVM", EVM_MESSAGES);
static_assert(EVM__MSGEND - EVM__MSGBASE - 1 == 3, "message count of EVM");
