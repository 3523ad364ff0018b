/* The module registry and the elapsed-time base. A status code is valid when
 * its module slot holds a registered record and its message number lies in
 * 1..count; everything that turns codes into names or texts goes through
 * pdx__FindMessage. */
#include "kernel/pdx/pdx_int.h"

#include <string.h>

extern "C" {

PdxModule pdx__Table[PDX_MAX_MODULES];
clock_t pdx__CpuBase = 0;
time_t pdx__ClockBase = 0;

void pdx__RegisterModule(const PdxModule *record)
{
    if (record && record->number < PDX_MAX_MODULES) pdx__Table[record->number] = *record;
}

void pdx__ClearRegistry(void) { memset(pdx__Table, 0, sizeof pdx__Table); }

const PdxMessage *pdx__FindMessage(int32_t code, const PdxModule **module)
{
    uint32_t number = (uint32_t)code >> 16;
    uint32_t n = (uint32_t)code & 0xFFFFu;
    if (module) *module = nullptr;
    if (number >= PDX_MAX_MODULES) return nullptr;
    const PdxModule *m = &pdx__Table[number];
    if (m->count == 0 || m->messages == nullptr || m->name == nullptr) return nullptr;
    if (n < 1 || n > m->count) return nullptr;
    if (module) *module = m;
    return &m->messages[n - 1];
}

int pdx_ResetElapsedTime(int options)
{
    (void)options;
    pdx__CpuBase = clock();
    pdx__ClockBase = time(nullptr);
    return 0;
}

} // extern "C"
