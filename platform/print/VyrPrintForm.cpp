/* The page form of the print framework (see the header). */
#include "platform/print/VyrPrintForm.h"

void VyrPrintForm::SetSize(float width, float height, VyrPrintUnit unit)
{
    width_ = width;
    height_ = height;
    unit_ = unit;
}

double VyrPrintForm::sUnitToMM(VyrPrintUnit unit)
{
    switch (unit) {
    case VyrPrintUnitCentimetre: return 10.0;
    case VyrPrintUnitInch: return 25.4;
    case VyrPrintUnitPoint: return 25.4 / 72.0;
    default: return 1.0;
    }
}

double VyrPrintForm::GetWidthMM() const { return width_ * sUnitToMM(unit_); }

double VyrPrintForm::GetHeightMM() const { return height_ * sUnitToMM(unit_); }
