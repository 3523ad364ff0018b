/* Mapping tables: registration, the parameter tree and the deletion list.
 * Both exist from map_Initialize to map_Terminate; the mapping language that
 * would fill them is not part of this system. */
#include "kernel/map/map.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "kernel/mpm/mpm_int.h"
#include "kernel/otm/otm.h"
#include "kernel/pdx/pdx_int.h"

namespace {

constexpr size_t kDeleteListSize = 1024;

struct Param {
    const char *name;
    int32_t type;
    int32_t value;
};

OtmTree *g_params = nullptr;
uint32_t *g_delete_list = nullptr;

int compare_param(const void *key, const void *stored)
{
    return strcmp(static_cast<const Param *>(key)->name, static_cast<const Param *>(stored)->name);
}

} // namespace

extern "C" {

int map_Initialize(void)
{
    pdx__RegisterModule(&map__Module);
    if (!g_params) {
        g_params = otm_CreateTree(0, (int)sizeof(Param), compare_param, nullptr);
        if (!g_params) return mpm__SetError(0, MAP_TREE_ERR, MPM_ERROR);
    }
    if (!g_delete_list) {
        g_delete_list = static_cast<uint32_t *>(calloc(1, kDeleteListSize));
        if (!g_delete_list) return mpm__SetError(0, MAP_MALLOC_ERR, MPM_ERROR);
    }
    return 0;
}

int map_Terminate(void)
{
    if (g_params) otm_DeleteTree(0, g_params);
    g_params = nullptr;
    free(g_delete_list);
    g_delete_list = nullptr;
    return 0;
}

} // extern "C"
