/* Registration of the OSM module's messages; it keeps no other state. */
#include "kernel/osm/osm.h"

#include "kernel/pdx/pdx_int.h"

extern "C" int osm_Initialize(void)
{
    pdx__RegisterModule(&osm__Module);
    return 0;
}
