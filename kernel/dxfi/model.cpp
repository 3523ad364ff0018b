/* The DXF model: the model-info record that describes it to the model
 * database, and the callbacks the database calls when a model is allocated,
 * made current and freed. The format data (DxfiModelData) of a model holds
 * its one header entity, created with the model and locked as long as the
 * model lives, together with the DXF version and file type of the parsed
 * drawing. */
#include "kernel/dxfi/dxfi_int.h"

#include <stdlib.h>
#include <string.h>

#include "kernel/ddf/ddf.h"
#include "kernel/mda/mda_int.h"
#include "kernel/mpm/mpm_int.h"

extern "C" {

DxfiModelData *dxfi__CurModelData = nullptr;

DxfiModelData *dxfi__ModelData(int32_t model)
{
    MdaModel *m = mda__Model(model);
    if (!m || m->on_allocate != dxfi__AllocateModel) return nullptr;
    return static_cast<DxfiModelData *>(m->format_data);
}

int32_t dxfi_InitModelInfo(int32_t options, MdaModelInfo *info)
{
    (void)options;
    if (!info) return mpm__SetError(0, DXFI_NULL_MEMPTR, MPM_ERROR);
    DxfiModelData *data = static_cast<DxfiModelData *>(calloc(1, sizeof(DxfiModelData)));
    if (!data) return mpm__SetError(0, DXFI_MALLOC_ERROR, MPM_ERROR);
    data->version = 14;
    data->filetype = 2;
    info->ddf = ddf_DxfiDefinition();
    info->parse = dxfi__ParseModelFile;
    info->format = dxfi_FormatFile;
    info->on_allocate = dxfi__AllocateModel;
    info->format_hook1 = dxfi__ReleaseHeader;
    info->format_hook2 = nullptr;
    info->on_free = dxfi__FreeModel;
    info->on_set_current = dxfi__SetCurModel;
    info->format_data = data;
    return 0;
}

int32_t dxfi__ParseModelFile(int32_t options, int32_t model, const char *path, void *arg)
{
    DxfiEntityFn callback = nullptr;
    static_assert(sizeof callback == sizeof arg, "a callback travels as a data pointer");
    memcpy(&callback, &arg, sizeof callback);
    return dxfi_ParseFile(options, model, path, callback);
}

int32_t dxfi__AllocateModel(int32_t options, int32_t model)
{
    (void)options;
    DxfiModelData *data = dxfi__ModelData(model);
    if (!data) return mpm__SetError(0, DXFI_NULL_MEMPTR, MPM_ERROR);
    void *memory = nullptr;
    db_ptr header = 0;
    int32_t status = mda_AllocateEntity2(MDA_ALLOC_NOCACHE, model, DXFI_TF_dxf_header, &memory, &header);
    if (status) return status;
    data->header = header;
    data->header_memory = memory;
    return dxfi_InitHeader(0, memory);
}

int32_t dxfi__ReleaseHeader(int32_t options, int32_t model)
{
    (void)options;
    DxfiModelData *data = dxfi__ModelData(model);
    if (!data || !data->header) return 0;
    int32_t status = mda_UnlockEntity(0, data->header);
    if (!status) status = mda_DeleteEntity(2, data->header);
    data->header = 0;
    data->header_memory = nullptr;
    return status;
}

int32_t dxfi__FreeModel(int32_t options, int32_t model)
{
    (void)options;
    MdaModel *m = mda__Model(model);
    DxfiModelData *data = dxfi__ModelData(model);
    if (!data) return 0;
    if (data->header && mda_IsValidDbptr(data->header)) mda_DeleteEntity(2, data->header);
    if (dxfi__CurModelData == data) dxfi__CurModelData = nullptr;
    free(data);
    m->format_data = nullptr;
    return 0;
}

int32_t dxfi__SetCurModel(int32_t model)
{
    dxfi__CurModelData = dxfi__ModelData(model);
    return 0;
}

int32_t dxfi_FormatFile(int32_t options, int32_t model, const char *path, void *arg)
{
    (void)options;
    (void)path;
    (void)arg;
    if (!mda__Model(model)) return mpm__SetError(0, DXFI_INVALID_FORMAT_MODEL, MPM_ERROR);
    return mpm__SetError(0, DXFI_DWG_FORMAT_UNSUPPORTED, MPM_ERROR);
}

} // extern "C"
