/* Dimensions are not drawn yet. */
#include "Dxf2Cgm/VyrDxfDimension.h"

int VyrDxfDimension::Write(VyrPrintGenerator *, VyrMathTransformation2D *) { return 1; }
