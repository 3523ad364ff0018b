/* A multiline text of the drawing: its formatting resolved by the
 * character converter, its explicit line breaks kept and, when it has a
 * reference width, its lines broken at spaces so that none is wider than
 * that width; drawn with its line spacing factor at its attachment point.
 * Its rotation is the angle of its direction vector. */
#ifndef VYR_DXF2CGM_VYRDXFMTEXT_H
#define VYR_DXF2CGM_VYRDXFMTEXT_H

#include <string>

#include "Dxf2Cgm/VyrDxfEntity.h"
#include "platform/base/VyrUnicodeString.h"

class VyrDxfMText : public VyrDxfEntity {
public:
    VyrDxfMText() { kind = VyrDxfKindMText; }
    VyrDxfMText(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block);
    ~VyrDxfMText() override = default;

    int Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation) override;

    int GetMTextLength() const { return static_cast<int>(text.size()); }
    double GetRotation() const { return rotation; }

    /* Alignment code of an attachment point (1 top left ... 9 bottom
     * right); 28 for any other. */
    static int GetVyrAnchorPoint(int attachment);
    /* `text` with every line that is wider than `width` (picture units,
     * font at `height` and `widthFactor`) broken at spaces; a word wider
     * than the width keeps a line of its own. Lines are separated by line
     * feeds. */
    static VyrUnicodeString BreakLines(const VyrUnicodeString &text, double width,
                                       const VyrUnicodeString &font, bool bold, double height,
                                       double widthFactor);

private:
    int count = 0;
    std::string text;
    double insertX = 0.0, insertY = 0.0;
    double height = 0.0;
    double referenceWidth = 0.0;
    double lineSpacing = 1.0;
    int attachment = 1;
    double rotation = 0.0;
};

#endif
