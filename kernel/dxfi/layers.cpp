/* The layer lookup table and the name lookups in a model's tables. The layer
 * table is a tree of copies of the model's layer entries, keyed by their
 * names (case-sensitive); the name lookups walk the current model's entities
 * of one type-form and compare names without regard to ASCII case. */
#include "kernel/dxfi/dxfi_int.h"

#include <stddef.h>
#include <string.h>

#include "kernel/ddf/ddf.h"
#include "kernel/mda/mda_int.h"
#include "kernel/mpm/mpm_int.h"
#include "kernel/ugn/ugn.h"

namespace {

int compare_layer(const void *key, const void *stored)
{
    return strcmp(static_cast<const dxf_layer_table_data *>(key)->entry_name,
                  static_cast<const dxf_layer_table_data *>(stored)->entry_name);
}

/* Copies at most n - 1 characters and terminates. */
void copy_name(char *dest, const char *src, size_t n)
{
    size_t len = strnlen(src, n - 1);
    memcpy(dest, src, len);
    dest[len] = '\0';
}

/* Adds the entries of one layer table entity to the tree. */
int32_t add_layers(OtmTree *tree, db_ptr table)
{
    void *memory = nullptr;
    int32_t status = mda_LockEntity(0, table, &memory);
    if (status) return status;
    const dxf_layer_table *t = static_cast<const dxf_layer_table *>(memory);
    const db_ptr *entries = static_cast<const db_ptr *>(mda_Deref(t->table_data));
    for (int32_t i = 0; entries && i < t->num_entries && !status; ++i) {
        if (entries[i] == MDA_NULL_PTR) continue;
        void *entry = nullptr;
        status = mda_LockEntity(0, entries[i], &entry);
        if (status) break;
        otm_AddObject(0, tree, entry);
        status = mda_UnlockEntity(0, entries[i]);
    }
    int32_t unlock = mda_UnlockEntity(0, table);
    return status ? status : unlock;
}

/* Walks the current model's entities of one type-form for a name. */
int32_t find_by_name(mda_tf tf, size_t name_offset, const char *name, db_ptr *ptr)
{
    if (!ptr) return mpm__SetError(0, DXFI_NULL_MEMPTR, MPM_ERROR);
    *ptr = MDA_NULL_PTR;
    MdaModel *m = mda__Model(mda_GetCurModel());
    if (!name || !m || !m->entlist) return 0;
    int32_t tfi = ddf_GetTFI(m->ddf, tf);
    if (tfi < 0 || tfi >= m->entlist->ntfi) return 0;
    char wanted[256];
    copy_name(wanted, name, sizeof wanted);
    ugn_GetLower(wanted);

    MdaEntityList *list = m->entlist;
    list->cursor[tfi] = list->first[tfi];
    db_ptr p = MDA_NULL_PTR;
    while (mda_CycleEntityList(list, tfi, &p) == 0 && p != MDA_NULL_PTR) {
        void *memory = nullptr;
        int32_t status = mda_LockEntity(0, p, &memory);
        if (status) return status;
        char have[256];
        copy_name(have, static_cast<const char *>(memory) + name_offset, sizeof have);
        ugn_GetLower(have);
        bool match = strcmp(have, wanted) == 0;
        status = mda_UnlockEntity(0, p);
        if (match) {
            *ptr = p;
            return status;
        }
        if (status) return status;
    }
    return 0;
}

} // namespace

extern "C" {

OtmTree *dxfi__LayerTree = nullptr;

void dxfi__DeleteLayerTree(void)
{
    if (dxfi__LayerTree) otm_DeleteTree(0, dxfi__LayerTree);
    dxfi__LayerTree = nullptr;
}

int32_t dxfi_CreateLayerTable(int32_t options, int32_t model)
{
    (void)options;
    dxfi__DeleteLayerTree();
    dxfi__LayerTree = otm_CreateTree(0, int(sizeof(dxf_layer_table_data)), compare_layer, nullptr);
    if (!dxfi__LayerTree) return mpm_GetLastError();

    MdaModel *m = mda__Model(model);
    if (!m || !m->entlist) return 0;
    const int32_t previous = mda_GetCurModel();
    mda_SetCurModel(model);
    int32_t status = 0;
    int32_t tfi = ddf_GetTFI(m->ddf, DXFI_TF_dxf_layer_table);
    if (tfi >= 0 && tfi < m->entlist->ntfi) {
        MdaEntityList *list = m->entlist;
        list->cursor[tfi] = list->first[tfi];
        db_ptr table = MDA_NULL_PTR;
        while (!status && mda_CycleEntityList(list, tfi, &table) == 0 && table != MDA_NULL_PTR)
            status = add_layers(dxfi__LayerTree, table);
    }
    if (mda__Model(previous))
        mda_SetCurModel(previous);
    else
        mda_SetCurModel(0);
    return status;
}

int32_t dxfi_GetLayerInfo(int32_t options, const char *name, int *flag, int *color, char *line_type)
{
    (void)options;
    const dxf_layer_table_data *found = nullptr;
    if (dxfi__LayerTree && name) {
        dxf_layer_table_data key;
        copy_name(key.entry_name, name, sizeof key.entry_name);
        found = static_cast<const dxf_layer_table_data *>(otm_GetObject(OTM_SILENT, dxfi__LayerTree, &key));
    }
    if (flag) *flag = found ? found->flag : 0;
    if (color) *color = found ? found->color_num : 256;
    if (line_type)
        copy_name(line_type, found ? found->line_type : "", sizeof(dxf_layer_table_data::line_type));
    return 0;
}

int32_t dxfi_FindLineTypeByName(const char *name, db_ptr *ptr)
{
    return find_by_name(DXFI_TF_dxf_line_type_table_data, offsetof(dxf_line_type_table_data, entry_name),
                        name, ptr);
}

int32_t dxfi_FindLayerByName(const char *name, db_ptr *ptr)
{
    return find_by_name(DXFI_TF_dxf_layer_table_data, offsetof(dxf_layer_table_data, entry_name), name, ptr);
}

int32_t dxfi_FindTextStyleByName(const char *name, db_ptr *ptr)
{
    return find_by_name(DXFI_TF_dxf_text_style_table_data, offsetof(dxf_text_style_table_data, entry_name),
                        name, ptr);
}

int32_t dxfi_FindUCSByName(const char *name, db_ptr *ptr)
{
    return find_by_name(DXFI_TF_dxf_ucs_table_data, offsetof(dxf_ucs_table_data, entry_name), name, ptr);
}

int32_t dxfi_FindViewPortByName(const char *name, db_ptr *ptr)
{
    return find_by_name(DXFI_TF_dxf_view_port_table_data, offsetof(dxf_view_port_table_data, entry_name),
                        name, ptr);
}

int32_t dxfi_FindAppIDByName(const char *name, db_ptr *ptr)
{
    return find_by_name(DXFI_TF_dxf_application_table_data, offsetof(dxf_application_table_data, entry_name),
                        name, ptr);
}

int32_t dxfi_FindDimStyleByName(const char *name, db_ptr *ptr)
{
    return find_by_name(DXFI_TF_dxf_dimension_style_table_data,
                        offsetof(dxf_dimension_style_table_data, entry_name), name, ptr);
}

int32_t dxfi_FindBlockByName(const char *name, db_ptr *ptr)
{
    return find_by_name(DXFI_TF_dxf_block, offsetof(dxf_block, bname), name, ptr);
}

} // extern "C"
