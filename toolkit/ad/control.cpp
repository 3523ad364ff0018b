/* The handles of a drawing's table control objects, in the order clients
 * index them, and the generation of new handles from the drawing's handle
 * seed (passing over handles already indexed, so that a file whose seed is
 * too small still gets handles of its own). */
#include "toolkit/ad/ad_int.h"

#include <cstring>

namespace {

/* Client index -> AD_TBL_ slot. */
const int kOrder[AD_CTRL_COUNT] = {AD_TBL_BLOCK_RECORD, AD_TBL_LAYER, AD_TBL_STYLE,
                                   AD_TBL_LTYPE,        AD_TBL_VIEW,  AD_TBL_UCS,
                                   AD_TBL_VPORT,        AD_TBL_APPID, AD_TBL_DIMSTYLE};

AdObjhandle g_ctrl[AD_CTRL_COUNT];

} // namespace

extern "C" {

const AdObjhandle *adCtrlObjhandlePtr(AdDrawing *dwg)
{
    std::memset(g_ctrl, 0, sizeof g_ctrl);
    if (dwg)
        for (int i = 0; i < AD_CTRL_COUNT; ++i) std::memcpy(g_ctrl[i], dwg->scan.tablecontrol[kOrder[i]], 8);
    return g_ctrl;
}

int adGenerateObjhandle(AdDrawing *dwg, unsigned char *handle)
{
    if (!dwg || !handle) return 0;
    if (adObjhandleIsNull(dwg->handseed))
        std::memcpy(dwg->handseed, adin ? adin->handle1a : dwg->handseed, 8);
    if (adObjhandleIsNull(dwg->handseed)) dwg->handseed[7] = 1;
    /* a drawing whose seed lags behind its handles must not hand out a
       handle twice */
    for (long guard = 0;; ++guard) {
        std::memcpy(handle, dwg->handseed, 8);
        if (!adIncrementObjhandle(dwg->handseed) || guard > 1L << 24) {
            adseterror(2);
            return 0;
        }
        if (!bt_search(dwg, handle, dwg->btroot)) break;
    }
    if (dwg->header) std::memcpy(dwg->header->handseed, dwg->handseed, 8);
    return 1;
}

} // extern "C"
