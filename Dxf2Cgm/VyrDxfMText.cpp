/* Multiline texts are not drawn yet. */
#include "Dxf2Cgm/VyrDxfMText.h"

int VyrDxfMText::Write(VyrPrintGenerator *, VyrMathTransformation2D *) { return 1; }
