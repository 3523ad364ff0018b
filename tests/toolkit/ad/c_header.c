/* Proves that the toolkit's public headers compile as C. */
#include "toolkit/ad/ad.h"
#include "toolkit/zt/zt.h"

int vyr_toolkit_header_is_c(void);
int vyr_toolkit_header_is_c(void)
{
    AdEntityHeader hdr;
    AdTableRecord rec;
    hdr.enttype = AD_ENT_LINE;
    rec.layer.color = 7;
    return (int)sizeof hdr + rec.layer.color + hdr.enttype;
}
