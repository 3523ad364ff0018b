/* The DXF reader table: the scan pass, the start and record readers of
 * every table, the block, entity, class and object readers of the DXF
 * section loaders, each in its slot (the slot contract is in toolkit/ad/ad_int.h). */
#include "toolkit/dxf/dxf_int.h"

extern "C" void addxfreaders(AdReaderTable *t)
{
    AdReaderFn *s = t->slot;
    s[AD_RD_GETNEXTOBJECTTYPE] = dxfgetnextobjecttype;
    s[AD_RD_LOADDICTIONARYOBJECT] = dxfloaddictionaryobject;
    s[AD_RD_LOADPROXYOBJECT] = dxfloadproxyobject;
    s[AD_RD_LOADBLOCKHEADER] = dxfloadblockheader;
    s[AD_RD_LOADBLOCKRECORD] = dxfloadblockrecord;
    s[AD_RD_LOADCLASS] = dxfloadclass;
    s[AD_RD_LOADDIMSTYLE] = dxfloaddimstyle;
    s[AD_RD_LOADENTITY] = dxfloadentity;
    s[AD_RD_LOADGROUP] = dxfloadgroup;
    s[AD_RD_LOADHEADER] = dxfloadheader;
    s[AD_RD_LOADLAYER] = dxfloadlayer;
    s[AD_RD_LOADLINETYPE] = dxfloadlinetype;
    s[AD_RD_LOADMLSTYLE] = dxfloadmlstyle;
    s[AD_RD_LOADREGAPP] = dxfloadregapp;
    s[AD_RD_LOADSHAPEFILE] = dxfloadshapefile;
    s[AD_RD_LOADUCS] = dxfloaducs;
    s[AD_RD_LOADVIEW] = dxfloadview;
    s[AD_RD_LOADVPORT] = dxfloadvport;
    s[AD_RD_LOADVPORTENTHDR] = dxfloadvportenthdr;
    s[AD_RD_STARTBLOCKDEFLOAD] = dxfstartblockdefload;
    s[AD_RD_STARTBLOCKHEADERLOAD] = dxfstartblockheaderload;
    s[AD_RD_STARTCLASSLOAD] = dxfstartclassload;
    s[AD_RD_STARTDIMSTYLELOAD] = dxfstartdimstyleload;
    s[AD_RD_STARTENTITYLOAD] = dxfstartentityload;
    s[AD_RD_STARTLAYERLOAD] = dxfstartlayerload;
    s[AD_RD_STARTLINETYPELOAD] = dxfstartlinetypeload;
    s[AD_RD_STARTMLSTYLELOAD] = dxfstartmlstyleload;
    s[AD_RD_STARTOBJECTLOAD] = dxfstartobjectload;
    s[AD_RD_STARTREGAPPLOAD] = dxfstartregappload;
    s[AD_RD_STARTSHAPEFILELOAD] = dxfstartshapefileload;
    s[AD_RD_STARTUCSLOAD] = dxfstartucsload;
    s[AD_RD_STARTVIEWLOAD] = dxfstartviewload;
    s[AD_RD_STARTVPORTENTHDRLOAD] = dxfstartvportenthdrload;
    s[AD_RD_STARTVPORTLOAD] = dxfstartvportload;
}
