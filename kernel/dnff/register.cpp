/* DXF file writer: registration of its messages and the reset of its
 * default-viewport mark. */
#include "kernel/dnff/dnff.h"

#include "kernel/pdx/pdx_int.h"

extern "C" {

int dnff__DefaultViewport = 0;

int dnff_Initialize(void)
{
    pdx__RegisterModule(&dnff__Module);
    dnff__DefaultViewport = 0;
    return 0;
}

int dnff_Terminate(void) { return 0; }

} // extern "C"
