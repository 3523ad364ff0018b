/* Message table of the conversion driver (module 20, CGM). */
#include "Dxf2Cgm/VyrDxf2CgmMessages.h"

#include "kernel/pdx/pdx_int.h"

PDX_DEFINE_MODULE(vyr__CgmModule, VYR_CGM_MODULE, "CGM", CGM_MESSAGES);

void VyrDxf2CgmRegisterMessages() { pdx__RegisterModule(&vyr__CgmModule); }
