/* Page set-up of the print framework: scale, margins, the position of the
 * picture's centre and the current form. The CGM generator reads the form to
 * know how large a picture unit is on paper. */
#ifndef VYR_PLATFORM_PRINT_VYRPRINTPARAMETERS_H
#define VYR_PLATFORM_PRINT_VYRPRINTPARAMETERS_H

#include "vyr_export.h"
#include "platform/print/VyrPrintForm.h"

class VYR_EXPORT VyrPrintParameters {
public:
    VyrPrintParameters() = default;
    ~VyrPrintParameters() = default;

    void SetScale(float scale) { scale_ = scale; }
    void SetMargins(float left, float right, float top, float bottom);
    void SetPosition(float x, float y)
    {
        x_ = x;
        y_ = y;
    }
    /* The form belongs to the parameters; never null. */
    VyrPrintForm *GetCurrentForm() { return &form_; }
    const VyrPrintForm *GetCurrentForm() const { return &form_; }

    float GetScale() const { return scale_; }
    float GetMargin(int i) const { return (i >= 0 && i < 4) ? margins_[i] : 0.0f; }
    float GetPositionX() const { return x_; }
    float GetPositionY() const { return y_; }

private:
    float scale_ = 1.0f;
    float margins_[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float x_ = 0.0f;
    float y_ = 0.0f;
    VyrPrintForm form_;
};

#endif
