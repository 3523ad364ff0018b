/* Start-up and shutdown of the kernel. The modules start in a fixed order,
 * each registering its messages and resetting its state; only the outermost
 * of nested pdx_Initialize/pdx_Terminate pairs does any work, so a host and
 * the libraries it calls may each bracket their use of the kernel. */
#include "kernel/pdx/pdx_int.h"

#include "kernel/cfg/cfg.h"
#include "kernel/ddf/ddf.h"
#include "kernel/dof/dof.h"
#include "kernel/eam/eam.h"
#include "kernel/evm/evm.h"
#include "kernel/fmt/fmt.h"
#include "kernel/hdb/hdb.h"
#include "kernel/map/map.h"
#include "kernel/mda/mda.h"
#include "kernel/mpm/mpm.h"
#include "kernel/mth/mth.h"
#include "kernel/olm/olm.h"
#include "kernel/oqm/oqm.h"
#include "kernel/osm/osm.h"
#include "kernel/otm/otm.h"
#include "kernel/ugn/ugn.h"

namespace {
int g_nesting = 0;
} // namespace

extern "C" {

int pdx__NestingLevel(void) { return g_nesting; }

int pdx_Initialize(void)
{
    if (g_nesting == 0) {
        pdx_ResetElapsedTime(0);
        pdx__ClearRegistry();
        pdx__RegisterModule(&pdx__Module);
        hdb_Initialize();
        olm_Initialize();
        oqm_Initialize();
        osm_Initialize();
        otm_Initialize();
        ugn_Initialize();
        mpm_Initialize();
        ddf_Initialize();
        mda_Initialize();
        evm_Initialize();
        eam_Initialize();
        mth_Initialize();
        fmt_Initialize();
        cfg_Initialize();
        dof_Initialize();
        map_Initialize();
    }
    g_nesting++;
    return 0;
}

int pdx_Terminate(void)
{
    if (g_nesting == 1) {
        map_Terminate();
        cfg_Terminate();
        ugn_Terminate();
        mda_Terminate();
        ddf_Terminate();
        mpm_Terminate();
    }
    if (g_nesting > 0) g_nesting--;
    return 0;
}

} // extern "C"
