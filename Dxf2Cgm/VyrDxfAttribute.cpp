/* Attribute values are not drawn yet. */
#include "Dxf2Cgm/VyrDxfAttribute.h"

int VyrDxfAttribute::Write(VyrPrintGenerator *, VyrMathTransformation2D *) { return 1; }
