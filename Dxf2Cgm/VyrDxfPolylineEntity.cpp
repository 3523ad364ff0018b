/* Polylines are not drawn yet. */
#include "Dxf2Cgm/VyrDxfPolylineEntity.h"

int VyrDxfPolylineEntity::Write(VyrPrintGenerator *, VyrMathTransformation2D *) { return 1; }
