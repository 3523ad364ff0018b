/* The translation kernel's DXF interface as the conversion layer calls it:
 * kernel start-up and shutdown, the model-info defaults of a DXF model, the
 * parse of a drawing file into a model, and the lookup of a layer by name.
 *
 * VYR_DXF2CGM_KERNEL_INTERFACE says whether the kernel provides these
 * functions in this build. While it is 0 the calls are compiled out:
 * VyrDxf2Cgm::Convert cannot read drawings and fails (-1) after checking its
 * arguments, and a BYLAYER colour whose layer is not in the layer table stays
 * 256. Everything that reads a model (the model walker, the elements, the
 * writing of the picture) works either way. */
#ifndef VYR_DXF2CGM_VYRDXFKERNELINTERFACE_H
#define VYR_DXF2CGM_VYRDXFKERNELINTERFACE_H

#define VYR_DXF2CGM_KERNEL_INTERFACE 0

#if VYR_DXF2CGM_KERNEL_INTERFACE
#include "kernel/dxfi/dxfi.h"
#include "kernel/pdx/pdx.h"
#endif

/* Capacity of the name buffers that the kernel's lookups fill (the model's
 * name fields hold at most 255 characters). */
enum { VyrDxfKernelNameSize = 256 };

#endif
