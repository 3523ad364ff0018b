/* Registration of the OQM module's messages; it keeps no other state. */
#include "kernel/oqm/oqm.h"

#include "kernel/pdx/pdx_int.h"

extern "C" int oqm_Initialize(void)
{
    pdx__RegisterModule(&oqm__Module);
    return 0;
}
