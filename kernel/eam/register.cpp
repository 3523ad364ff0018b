/* Registration of the EAM module's messages; it keeps no other state. */
#include "kernel/eam/eam.h"

#include "kernel/pdx/pdx_int.h"

extern "C" int eam_Initialize(void)
{
    pdx__RegisterModule(&eam__Module);
    return 0;
}
