/* Texts are not drawn yet. */
#include "Dxf2Cgm/VyrDxfText.h"

int VyrDxfText::Write(VyrPrintGenerator *, VyrMathTransformation2D *) { return 1; }
