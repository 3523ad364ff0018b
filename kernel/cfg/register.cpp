/* Configuration reader: registration and the reset of the model numbers it
 * reads configurations into. The reader itself is not part of this system. */
#include "kernel/cfg/cfg.h"

#include "kernel/pdx/pdx_int.h"

namespace {
int g_config_model = 0;
int g_target_model = 0;
} // namespace

extern "C" {

int cfg_Initialize(void)
{
    pdx__RegisterModule(&cfg__Module);
    g_config_model = g_target_model = 0;
    return 0;
}

int cfg_Terminate(void)
{
    g_config_model = g_target_model = 0;
    return 0;
}

} // extern "C"
