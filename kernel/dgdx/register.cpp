/* DXF geometry exchange: registration of its messages. */
#include "kernel/dgdx/dgdx.h"

#include "kernel/pdx/pdx_int.h"

extern "C" {

int dgdx_Initialize(void)
{
    pdx__RegisterModule(&dgdx__Module);
    return 0;
}

int dgdx_Terminate(void) { return 0; }

} // extern "C"
