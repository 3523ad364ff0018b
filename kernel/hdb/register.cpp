/* Memory debugger: its registration, the reset of its allocation counters
 * and the choice of its output (stderr) and trace (stdout) streams, which
 * nothing on the conversion road writes to. */
#include "kernel/hdb/hdb.h"

#include <stdio.h>

#include "kernel/pdx/pdx_int.h"

namespace {
long g_allocations = 0;
long g_frees = 0;
FILE *g_output = nullptr;
FILE *g_trace = nullptr;
} // namespace

extern "C" int hdb_Initialize(void)
{
    pdx__RegisterModule(&hdb__Module);
    g_allocations = g_frees = 0;
    g_output = stderr;
    g_trace = stdout;
    return 0;
}
