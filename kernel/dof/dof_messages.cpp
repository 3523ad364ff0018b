/* Message table of the page file (module 18). */
#include "kernel/pdx/pdx_int.h"
#include "kernel/dof/dof_msg.h"

PDX_DEFINE_MODULE(dof__Module, 18, "DOF", DOF_MESSAGES);
static_assert(DOF__MSGEND - DOF__MSGBASE - 1 == 10, "message count of DOF");
