/* The reader tables: one function per slot through which the load driver
 * reaches the file-format readers, and the forwarding functions named after
 * each slot's role. A slot left empty (a reader not written for the format)
 * fails the call with error 2, so a load never succeeds without its readers. */
#include "toolkit/ad/ad_int.h"

namespace {

int16_t call(AdDrawing *dwg, int slot, void *a = nullptr, void *b = nullptr)
{
    if (!dwg || !dwg->readers || !dwg->readers->slot[slot]) {
        adseterror(2);
        return -1;
    }
    return dwg->readers->slot[slot](dwg, a, b);
}

} // namespace

extern "C" {

int16_t getnextobjecttype(AdDrawing *d) { return call(d, AD_RD_GETNEXTOBJECTTYPE); }
int16_t loaddictionaryobject(AdDrawing *d) { return call(d, AD_RD_LOADDICTIONARYOBJECT); }
int16_t loadproxyobject(AdDrawing *d, int16_t objtype) { return call(d, AD_RD_LOADPROXYOBJECT, &objtype); }
int16_t loadblockheader(AdDrawing *d) { return call(d, AD_RD_LOADBLOCKHEADER); }
int16_t loadblockrecord(AdDrawing *d) { return call(d, AD_RD_LOADBLOCKRECORD); }
int16_t loadclass(AdDrawing *d) { return call(d, AD_RD_LOADCLASS); }
int16_t loaddimstyle(AdDrawing *d) { return call(d, AD_RD_LOADDIMSTYLE); }
int16_t loadentity(AdDrawing *d, LLList *list) { return call(d, AD_RD_LOADENTITY, list); }
int16_t loadgroup(AdDrawing *d) { return call(d, AD_RD_LOADGROUP); }
int16_t loadheader(AdDrawing *d) { return call(d, AD_RD_LOADHEADER); }
int16_t loadlayer(AdDrawing *d) { return call(d, AD_RD_LOADLAYER); }
int16_t loadlinetype(AdDrawing *d) { return call(d, AD_RD_LOADLINETYPE); }
int16_t loadmlstyle(AdDrawing *d) { return call(d, AD_RD_LOADMLSTYLE); }
int16_t loadregapp(AdDrawing *d) { return call(d, AD_RD_LOADREGAPP); }
int16_t loadshapefile(AdDrawing *d) { return call(d, AD_RD_LOADSHAPEFILE); }
int16_t loaducs(AdDrawing *d) { return call(d, AD_RD_LOADUCS); }
int16_t loadview(AdDrawing *d) { return call(d, AD_RD_LOADVIEW); }
int16_t loadvport(AdDrawing *d) { return call(d, AD_RD_LOADVPORT); }
int16_t loadvportenthdr(AdDrawing *d) { return call(d, AD_RD_LOADVPORTENTHDR); }
int16_t startblockdefload(AdDrawing *d, AdBlkh *blkh) { return call(d, AD_RD_STARTBLOCKDEFLOAD, blkh); }
int16_t startblockheaderload(AdDrawing *d) { return call(d, AD_RD_STARTBLOCKHEADERLOAD); }
int16_t startclassload(AdDrawing *d) { return call(d, AD_RD_STARTCLASSLOAD); }
int16_t startdimstyleload(AdDrawing *d) { return call(d, AD_RD_STARTDIMSTYLELOAD); }
int16_t startentityload(AdDrawing *d) { return call(d, AD_RD_STARTENTITYLOAD); }
int16_t startlayerload(AdDrawing *d) { return call(d, AD_RD_STARTLAYERLOAD); }
int16_t startlinetypeload(AdDrawing *d) { return call(d, AD_RD_STARTLINETYPELOAD); }
int16_t startmlstyleload(AdDrawing *d) { return call(d, AD_RD_STARTMLSTYLELOAD); }
int16_t startobjectload(AdDrawing *d) { return call(d, AD_RD_STARTOBJECTLOAD); }
int16_t startregappload(AdDrawing *d) { return call(d, AD_RD_STARTREGAPPLOAD); }
int16_t startshapefileload(AdDrawing *d) { return call(d, AD_RD_STARTSHAPEFILELOAD); }
int16_t startucsload(AdDrawing *d) { return call(d, AD_RD_STARTUCSLOAD); }
int16_t startviewload(AdDrawing *d) { return call(d, AD_RD_STARTVIEWLOAD); }
int16_t startvportenthdrload(AdDrawing *d) { return call(d, AD_RD_STARTVPORTENTHDRLOAD); }
int16_t startvportload(AdDrawing *d) { return call(d, AD_RD_STARTVPORTLOAD); }

} // extern "C"
