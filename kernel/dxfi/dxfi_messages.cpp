/* Message table of the DXF interface (module 100). */
#include "kernel/pdx/pdx_int.h"
#include "kernel/dxfi/dxfi_msg.h"

PDX_DEFINE_MODULE(dxfi__Module, 100, "DXFI", DXFI_MESSAGES);
static_assert(DXFI__MSGEND - DXFI__MSGBASE - 1 == 11, "message count of DXFI");
