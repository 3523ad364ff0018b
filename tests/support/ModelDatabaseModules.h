/* Test helper: starts the kernel modules the model database needs, in the
 * kernel's start-up order, and stops them again, for tests that use the
 * database without the whole kernel start-up. */
#ifndef VYR_TESTS_SUPPORT_MODELDATABASEMODULES_H
#define VYR_TESTS_SUPPORT_MODELDATABASEMODULES_H

#include "kernel/ddf/ddf.h"
#include "kernel/dof/dof.h"
#include "kernel/fmt/fmt.h"
#include "kernel/mda/mda.h"
#include "kernel/mpm/mpm.h"
#include "kernel/olm/olm.h"
#include "kernel/otm/otm.h"
#include "kernel/ugn/ugn.h"

namespace vyrtest {

inline void StartModelDatabaseModules()
{
    olm_Initialize();
    otm_Initialize();
    ugn_Initialize();
    mpm_Initialize();
    ddf_Initialize();
    mda_Initialize();
    fmt_Initialize();
    dof_Initialize();
}

inline void StopModelDatabaseModules()
{
    ugn_Terminate();
    mda_Terminate();
    ddf_Terminate();
    mpm_Terminate();
}

} // namespace vyrtest

#endif
