/* Proves that every public header of the kernel and of the mapping layer
 * compiles as C, and exercises a little of them from C. */
#include "dnfp/dnfp.h"
#include "kernel/cfg/cfg.h"
#include "kernel/dgdx/dgdx.h"
#include "kernel/dmap/dmap.h"
#include "kernel/dnff/dnff.h"
#include "kernel/dof/dof.h"
#include "kernel/dxfi/dxfi.h"
#include "kernel/eam/eam.h"
#include "kernel/evm/evm.h"
#include "kernel/fmt/fmt.h"
#include "kernel/hdb/hdb.h"
#include "kernel/map/map.h"
#include "kernel/mda/mda.h"
#include "kernel/mda/mda_types.h"
#include "kernel/mpm/mpm.h"
#include "kernel/mth/mth.h"
#include "kernel/olm/olm.h"
#include "kernel/oqm/oqm.h"
#include "kernel/osm/osm.h"
#include "kernel/otm/otm.h"
#include "kernel/pdx/pdx.h"
#include "kernel/ugn/ugn.h"
#include "kernel/mda/mda_msg.h"
#include "kernel/ddf/ddf_msg.h"
#include "kernel/dof/dof_msg.h"
#include "kernel/dxfi/dxfi_msg.h"
#include "kernel/dnff/dnff_msg.h"
#include "kernel/dgdx/dgdx_msg.h"
#include "kernel/dmap/dmap_msg.h"
#include "dnfp/dnfp_msg.h"

int vyr_kernel_headers_from_c(void);

int vyr_kernel_headers_from_c(void)
{
    OlmList *list = olm_CreateList(0, (int)sizeof(double), 4, 0);
    double v = 2.5, *stored;
    int ok;
    if (!list) return 0;
    stored = (double *)olm_AddObject(0, list, OLM_LAST, &v);
    ok = stored && *stored == 2.5 && olm_GetCount(list) == 1;
    olm_DeleteList(0, list);
    return ok && MDA_INVALID_PTR == 0x90002 && DNFP_INCOMPLETE_DATA == 0x69000F && MTH_ZERO_VECTOR == 0xBFFFE;
}
