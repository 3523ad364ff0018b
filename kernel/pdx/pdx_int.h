/* Module registry of the kernel (internal). pdx__Table holds one record per
 * module number; each module's initialiser registers its static record with
 * pdx__RegisterModule. The static records of all modules are declared here
 * so that the registry is the one place that knows every module. */
#ifndef VYR_KERNEL_PDX_INT_H
#define VYR_KERNEL_PDX_INT_H

#include <time.h>

#include "kernel/pdx/pdx.h"

#ifdef __cplusplus
extern "C" {
#endif

#define PDX_MAX_MODULES 256

/* Module numbers. */
#define PDX_MOD_PDX 0
#define PDX_MOD_MPM 1
#define PDX_MOD_OLM 2
#define PDX_MOD_OTM 3
#define PDX_MOD_OSM 4
#define PDX_MOD_OQM 5
#define PDX_MOD_EAM 6
#define PDX_MOD_DDF 8
#define PDX_MOD_MDA 9
#define PDX_MOD_UGN 10
#define PDX_MOD_MTH 11
#define PDX_MOD_EVM 12
#define PDX_MOD_FMT 13
#define PDX_MOD_HDB 16
#define PDX_MOD_CFG 17
#define PDX_MOD_DOF 18
#define PDX_MOD_MAP 19
#define PDX_MOD_DXFI 100
#define PDX_MOD_DNFP 105
#define PDX_MOD_DNFF 106
#define PDX_MOD_DGDX 107
#define PDX_MOD_DMAP 108

extern PdxModule pdx__Table[PDX_MAX_MODULES];

/* Elapsed-time base set by pdx_ResetElapsedTime. */
extern clock_t pdx__CpuBase;
extern time_t pdx__ClockBase;

/* Nesting level of pdx_Initialize (0 while the kernel is stopped). */
int pdx__NestingLevel(void);

/* Copies a module's static record into its slot. */
void pdx__RegisterModule(const PdxModule *record);
/* Empties every slot. */
void pdx__ClearRegistry(void);
/* The message entry of a code and its module, or null when the code names
 * no registered message. */
const PdxMessage *pdx__FindMessage(int32_t code, const PdxModule **module);

/* The static message records, one per module (defined beside each module). */
extern const PdxModule pdx__Module;
extern const PdxModule mpm__Module;
extern const PdxModule olm__Module;
extern const PdxModule otm__Module;
extern const PdxModule osm__Module;
extern const PdxModule oqm__Module;
extern const PdxModule eam__Module;
extern const PdxModule ddf__Module;
extern const PdxModule mda__Module;
extern const PdxModule ugn__Module;
extern const PdxModule mth__Module;
extern const PdxModule evm__Module;
extern const PdxModule fmt__Module;
extern const PdxModule hdb__Module;
extern const PdxModule cfg__Module;
extern const PdxModule dof__Module;
extern const PdxModule map__Module;
extern const PdxModule dxfi__Module;
extern const PdxModule dnfp__Module;
extern const PdxModule dnff__Module;
extern const PdxModule dgdx__Module;
extern const PdxModule dmap__Module;

#ifdef __cplusplus
}

/* Builds a module's text and message tables from its X-macro message list
 * LIST(X) with X(name, class, text), and defines its record VAR. The enum
 * of codes in the module's _msg.h comes from the same list, so names,
 * numbers and texts cannot drift apart. */
#define PDX__TEXT_OF(name, cls, text) text,
#define PDX__ENTRY_OF(name, cls, text) {#name, cls, 0},
#define PDX_DEFINE_MODULE(VAR, NUMBER, NAME, LIST)                                                           \
    namespace {                                                                                              \
    const char *const VAR##_texts[] = {LIST(PDX__TEXT_OF)};                                                  \
    constexpr int VAR##_count = int(sizeof(VAR##_texts) / sizeof(VAR##_texts[0]));                           \
    struct VAR##_table {                                                                                     \
        PdxMessage m[VAR##_count];                                                                           \
        constexpr VAR##_table() : m{LIST(PDX__ENTRY_OF)}                                                     \
        {                                                                                                    \
            for (int i = 0; i < VAR##_count; ++i) m[i].text_index = i;                                       \
        }                                                                                                    \
    };                                                                                                       \
    constexpr VAR##_table VAR##_messages{};                                                                  \
    }                                                                                                        \
    extern "C" const PdxModule VAR = {NUMBER, uint16_t(VAR##_count), NAME, VAR##_texts, VAR##_messages.m}
#endif

#endif
