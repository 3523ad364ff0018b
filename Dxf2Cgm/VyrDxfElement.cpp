/* Class-wide state of the element family: the model number shared by all
 * elements of one conversion. */
#include "Dxf2Cgm/VyrDxfElement.h"

int VyrDxfElement::model = 0;
