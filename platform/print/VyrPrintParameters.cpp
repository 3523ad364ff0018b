/* Page set-up of the print framework (see the header). */
#include "platform/print/VyrPrintParameters.h"

void VyrPrintParameters::SetMargins(float left, float right, float top, float bottom)
{
    margins_[0] = left;
    margins_[1] = right;
    margins_[2] = top;
    margins_[3] = bottom;
}
