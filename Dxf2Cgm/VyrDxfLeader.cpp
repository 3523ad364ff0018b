/* Leaders are not drawn yet. */
#include "Dxf2Cgm/VyrDxfLeader.h"

int VyrDxfLeader::Write(VyrPrintGenerator *, VyrMathTransformation2D *) { return 1; }
