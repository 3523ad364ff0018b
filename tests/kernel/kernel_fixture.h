/* Test fixture for the kernel's containers and message manager: starts the
 * modules they need in the kernel's start-up order, registers the message
 * tables of every module, and captures what the manager prints. */
#ifndef VYR_TESTS_KERNEL_FIXTURE_H
#define VYR_TESTS_KERNEL_FIXTURE_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kernel/cfg/cfg.h"
#include "kernel/eam/eam.h"
#include "kernel/evm/evm.h"
#include "kernel/fmt/fmt.h"
#include "kernel/hdb/hdb.h"
#include "kernel/map/map.h"
#include "kernel/mpm/mpm_int.h"
#include "kernel/mth/mth.h"
#include "kernel/olm/olm.h"
#include "kernel/oqm/oqm.h"
#include "kernel/osm/osm.h"
#include "kernel/otm/otm.h"
#include "kernel/pdx/pdx_int.h"
#include "kernel/ugn/ugn.h"

namespace vyrtest {

struct Printed {
    std::string line;
    FILE *stream;
};

/* Everything the output routine received since the fixture started. */
inline std::vector<Printed> &printed()
{
    static std::vector<Printed> lines;
    return lines;
}

inline void capture(const char *line, FILE *stream) { printed().push_back({line, stream}); }

/* All captured text for one stream (null: every stream) joined. */
inline std::string printed_text(FILE *stream = nullptr)
{
    std::string all;
    for (const Printed &p : printed())
        if (!stream || p.stream == stream) all += p.line;
    return all;
}

/* The message manager's settings are process-wide and outlive its
 * termination, as a host sets them once: a test that changes one (a
 * maximum count, the options, the line format, the log stream) would pass
 * it on to every later test of the program. Each test starts from the
 * settings of a fresh process. */
inline void ResetMessageSettings()
{
    mpm_SetOptions(0);
    mpm_SetLineFormat(80, 0, 0, 1);
    mpm_SetMaxError(-1);
    for (int severity = MPM_INFO; severity < MPM_INFO + MPM_LEVELS; ++severity)
        mpm_SetMaxErrorLevel(severity, -1);
    mpm__Stream = nullptr;
}

class KernelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetMessageSettings();
        pdx__ClearRegistry();
        pdx__RegisterModule(&pdx__Module);
        hdb_Initialize();
        olm_Initialize();
        oqm_Initialize();
        osm_Initialize();
        otm_Initialize();
        ugn_Initialize();
        mpm_Initialize();
        pdx__RegisterModule(&ddf__Module);
        pdx__RegisterModule(&mda__Module);
        evm_Initialize();
        eam_Initialize();
        mth_Initialize();
        fmt_Initialize();
        cfg_Initialize();
        pdx__RegisterModule(&dof__Module);
        map_Initialize();
        pdx__RegisterModule(&dxfi__Module);
        pdx__RegisterModule(&dnfp__Module);
        pdx__RegisterModule(&dnff__Module);
        pdx__RegisterModule(&dgdx__Module);
        pdx__RegisterModule(&dmap__Module);
        printed().clear();
        mpm_SetOutputRoutine(capture);
    }
    void TearDown() override
    {
        mpm_SetOutputRoutine(nullptr);
        map_Terminate();
        cfg_Terminate();
        ugn_Terminate();
        mpm_Terminate();
        ResetMessageSettings();
    }
};

} // namespace vyrtest

#endif
