/* Multilines are not drawn yet. */
#include "Dxf2Cgm/VyrDxfMline.h"

int VyrDxfMline::Write(VyrPrintGenerator *, VyrMathTransformation2D *) { return 1; }
