/* Start-up and shutdown of the DXF interface and of the modules beneath it
 * (the mapping layer DNFP and the writer modules DNFF, DGDX and DMAP). Only
 * the outermost of nested calls does the work. Start-up selects the DXF data
 * definition, sets the default attributes and entity header (the first
 * element of the header stack) and forgets the converter's program and
 * temporary files; shutdown deletes the header stack and the layer table and
 * removes the temporary files this interface created. */
#include "kernel/dxfi/dxfi_int.h"

#include <stdlib.h>
#include <string.h>

#include "dnfp/dnfp.h"
#include "kernel/ddf/ddf_int.h"
#include "kernel/dgdx/dgdx.h"
#include "kernel/dmap/dmap.h"
#include "kernel/dnff/dnff.h"
#include "kernel/mpm/mpm.h"
#include "kernel/pdx/pdx_int.h"

namespace {

int g_nesting = 0;

void set_defaults()
{
    DxfiAttributes &a = dxfi__DefaultAttributes;
    memset(&a, 0, sizeof a);
    a.color = 256;
    strcpy(a.line_type, "BYLAYER");
    strcpy(a.layer, "0");
    a.value0 = 0.0;
    a.value1 = 1.0;
    for (int i = 0; i < 3; ++i) a.matrix[i][i] = 1.0;

    dxfhdr &h = dxfi__DefaultHeader;
    memset(&h, 0, sizeof h);
    strcpy(h.line_type, "BYLAYER");
    strcpy(h.lay_name, "0");
    h.elevation = 0.0;
    h.thickness = 0.0;
    h.ltype_scale = 1.0;
    h.color = 256;
    h.extrusion[2] = 1.0;
}

} // namespace

extern "C" {

DxfiAttributes dxfi__DefaultAttributes;
dxfhdr dxfi__DefaultHeader;
OlmList *dxfi__HeaderStack = nullptr;

int dxfi_Initialize(void)
{
    int status = 0;
    if (g_nesting == 0) {
        pdx__RegisterModule(&dxfi__Module);
        ddf__SetCurrent(ddf_DxfiDefinition());
        status = dnfp_Initialize();
        int s = dnff_Initialize();
        if (!status) status = s;
        s = dgdx_Initialize();
        if (!status) status = s;
        s = dmap_Initialize();
        if (!status) status = s;

        set_defaults();
        if (dxfi__HeaderStack) olm_DeleteList(0, dxfi__HeaderStack);
        dxfi__HeaderStack = olm_CreateList(0, int(sizeof(dxfhdr)), 1, nullptr);
        if (dxfi__HeaderStack)
            olm_AddObject(0, dxfi__HeaderStack, OLM_FIRST, &dxfi__DefaultHeader);
        else if (!status)
            status = mpm_GetLastError();

        free(dxfi__processor);
        dxfi__processor = nullptr;
        dxfi__DropTmpFiles();
        dxfi__ForgetTmpDirectory();
    }
    g_nesting++;
    return status;
}

int dxfi_Terminate(void)
{
    int status = 0;
    if (g_nesting == 1) {
        if (dxfi__HeaderStack) olm_DeleteList(0, dxfi__HeaderStack);
        dxfi__HeaderStack = nullptr;
        dxfi__DeleteLayerTree();
        status = dnfp_Terminate();
        int s = dnff_Terminate();
        if (!status) status = s;
        s = dgdx_Terminate();
        if (!status) status = s;
        s = dmap_Terminate();
        if (!status) status = s;
        free(dxfi__processor);
        dxfi__processor = nullptr;
        dxfi__DropTmpFiles();
        dxfi__ForgetTmpDirectory();
    }
    if (g_nesting > 0) g_nesting--;
    return status;
}

} // extern "C"
