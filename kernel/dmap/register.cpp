/* DXF mapping tables: registration of its messages. */
#include "kernel/dmap/dmap.h"

#include "kernel/pdx/pdx_int.h"

extern "C" {

int dmap_Initialize(void)
{
    pdx__RegisterModule(&dmap__Module);
    return 0;
}

int dmap_Terminate(void) { return 0; }

} // extern "C"
