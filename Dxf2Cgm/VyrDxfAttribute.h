/* An attribute value attached to an insert: drawn like a single-line text
 * unless it is invisible (flag 1), with the attribute's own anchors and
 * nudges along its up direction. Its points are those of the drawing
 * (inserts write their attributes with the transformation they receive
 * themselves), in the entity's own coordinate system as a text's are. */
#ifndef VYR_DXF2CGM_VYRDXFATTRIBUTE_H
#define VYR_DXF2CGM_VYRDXFATTRIBUTE_H

#include <string>

#include "Dxf2Cgm/VyrDxfEntity.h"
#include "Dxf2Cgm/VyrDxfText.h"
#include "platform/base/VyrUnicodeString.h"

class VyrDxfAttribute : public VyrDxfEntity {
public:
    VyrDxfAttribute() { kind = VyrDxfKindAttribute; }
    VyrDxfAttribute(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block);
    ~VyrDxfAttribute() override = default;

    int Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation) override;

    int GetTextLength() const { return static_cast<int>(text.size()); }
    int GetFlags() const { return flags; }
    /* The font file for the attribute's style name; `widthFactor` (may be
     * null) is multiplied by 0.75 for the ISOCP style. */
    VyrUnicodeString MapFontName(double *widthFactor = nullptr) const;

private:
    double insertX = 0.0, insertY = 0.0;
    double alignX = 0.0, alignY = 0.0;
    double height = 0.0;
    double rotation = 0.0;
    double widthFactor = 1.0;
    double oblique = 0.0;
    int flags = 0;
    int horizontal = 0, vertical = 0;
    std::string text;
    VyrDxfText::StyleNameKind styleName = VyrDxfText::kOtherStyleName;
};

#endif
