/* Parsing a drawing file into a model: the target model is checked and made
 * current, the file's type detected (by the kernel, else by the toolkit),
 * the mapping layer run, and the layer lookup table rebuilt; the previously
 * current model is current again afterwards whatever happened. */
#include "kernel/dxfi/dxfi_int.h"

#include "dnfp/dnfp.h"
#include "kernel/mda/mda_int.h"
#include "kernel/mpm/mpm_int.h"
#include "kernel/pdx/pdx.h"
#include "kernel/pdx/pdx_msg.h"

extern "C" int32_t dxfi_ParseFile(int32_t options, int32_t model, const char *path, DxfiEntityFn callback)
{
    const int32_t previous = mda_GetCurModel();
    if (model < 0 || model > MDA_MAX_MODELS || !mda__Model(model)) return DXFI_INVALID_PARSE_MODEL;
    if (mda__Model(model)->nentities > 1 && !(options & DXFI_PARSE_NOT_EMPTY)) return DXFI_MODEL_NOT_EMPTY;
    mda_SetCurModel(model);

    const unsigned passed = unsigned(options) & DXFI_ALLOWED_PARSE_OPTIONS;
    int type = PDX_FILE_UNKNOWN;
    void *descriptor = nullptr;
    /* The kernel's word scan knows many formats; where it cannot tell (a
     * comment with an apostrophe reads as the start of a quoted string),
     * the toolkit's own look at the first bytes decides. */
    int32_t status = pdx_GetFileType(PDX_TYPE_UNKNOWN_IS_NO_ERROR, path, &type, &descriptor);
    if (!status && type == PDX_FILE_UNKNOWN && dnfp_FileType(path) == PDX_FILE_UNKNOWN)
        status = mpm__SetError(0, PDX_UNKNOWN_FILETYPE, MPM_ERROR, path);
    if (!status) status = dnfp_ParseFile(passed, path, descriptor, callback);
    if (!status) status = dxfi_CreateLayerTable(0, model);

    if (mda__Model(previous))
        mda_SetCurModel(previous);
    else
        mda_SetCurModel(0);
    pdx_Free(0, descriptor);
    return status;
}
