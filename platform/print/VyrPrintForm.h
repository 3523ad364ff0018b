/* The page form of the print framework: a size and the unit it is given in.
 * The CGM generator uses the form's size against the picture's extent to
 * turn line widths given in millimetres into picture units. */
#ifndef VYR_PLATFORM_PRINT_VYRPRINTFORM_H
#define VYR_PLATFORM_PRINT_VYRPRINTFORM_H

#include "vyr_export.h"

/* Units of a form size; the first value is the millimetre. */
enum VyrPrintUnit { VyrPrintUnitMillimetre = 0, VyrPrintUnitCentimetre, VyrPrintUnitInch, VyrPrintUnitPoint };

class VYR_EXPORT VyrPrintForm {
public:
    VyrPrintForm() = default;
    void SetSize(float width, float height, VyrPrintUnit unit);
    float GetWidth() const { return width_; }
    float GetHeight() const { return height_; }
    VyrPrintUnit GetUnit() const { return unit_; }
    /* Width and height in millimetres. */
    double GetWidthMM() const;
    double GetHeightMM() const;
    /* Millimetres per unit. */
    static double sUnitToMM(VyrPrintUnit unit);

private:
    float width_ = 0.0f;
    float height_ = 0.0f;
    VyrPrintUnit unit_ = VyrPrintUnitMillimetre;
};

#endif
