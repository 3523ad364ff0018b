/* A single-line text of the drawing, with the text style the model walker finds for it.
 * The element is built and counted like every other; drawing it is still to
 * come, so Write writes nothing and returns 1. */
#ifndef VYR_DXF2CGM_VYRDXFTEXT_H
#define VYR_DXF2CGM_VYRDXFTEXT_H

#include "Dxf2Cgm/VyrDxfEntity.h"

class VyrDxfTextStyle;

class VyrDxfText : public VyrDxfEntity {
public:
    VyrDxfText() { kind = VyrDxfKindText; }
    VyrDxfText(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block)
        : VyrDxfEntity(entity, layer, block)
    {
        kind = VyrDxfKindText;
    }
    ~VyrDxfText() override = default;

    int Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation) override;

    void SetTextStyle(VyrDxfTextStyle *style) { textStyle = style; }
    VyrDxfTextStyle *GetTextStyle() const { return textStyle; }

private:
    VyrDxfTextStyle *textStyle = nullptr;
};

#endif
