/* Registration of the EVM module's messages; it keeps no other state. */
#include "kernel/evm/evm.h"

#include "kernel/pdx/pdx_int.h"

extern "C" int evm_Initialize(void)
{
    pdx__RegisterModule(&evm__Module);
    return 0;
}
