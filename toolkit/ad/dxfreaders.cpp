/* The DXF reader table. The section loaders (the scan pass dxfloadheader,
 * the start and record readers of every table, dxfloadentity, the object
 * readers) fill their slots here; a slot still empty makes the load step
 * that needs it fail with error 2, never succeed without reading. */
#include "toolkit/ad/ad_int.h"

extern "C" void addxfreaders(AdReaderTable* t) { (void)t; }
