/* A single-line text of the drawing, with the text style the model walker
 * finds for it, and the steps every text element shares: the turn and scale
 * a transformation gives a text, the alignment codes, and the parameters
 * and the DrawText call that place and shape one string.
 *
 * Points are kept in the entity's own coordinate system turned into the
 * plane: under a downward extrusion x is negated and the rotation becomes
 * 180 - r, as for arcs. Nothing of the element changes while it is
 * written (a text in a block is written once per insert): the width factor
 * a font asks for and every other adjustment live in locals of Write. */
#ifndef VYR_DXF2CGM_VYRDXFTEXT_H
#define VYR_DXF2CGM_VYRDXFTEXT_H

#include <string>

#include "Dxf2Cgm/VyrDxfEntity.h"
#include "platform/base/VyrUnicodeString.h"

class VyrDxfTextStyle;
class VyrFont;
class VyrMathTransformation2D;

/* What one DrawText needs besides the string and the point. */
struct VyrDxfTextLook {
    VyrUnicodeString font; /* font file name, see MapFontName */
    double height = 0.0;   /* picture units, before the font's height ratio */
    double widthFactor = 1.0;
    double rotation = 0.0; /* degrees */
    double oblique = 0.0;  /* degrees */
    int alignment = 29;
    int flags = 0;            /* of the character converter: bold 4, italic 8 */
    bool symbolFont = false;  /* the geometric-tolerance font */
    bool italicOnly = false;  /* slant 15 with the italic flag, else none (multiline texts) */
    double lineSpacing = 0.0; /* > 0: factor of the line spacing of a text of several lines */
};

class VyrDxfText : public VyrDxfEntity {
public:
    VyrDxfText() { kind = VyrDxfKindText; }
    VyrDxfText(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block);
    ~VyrDxfText() override = default;

    int Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation) override;

    void SetTextStyle(VyrDxfTextStyle *style) { textStyle = style; }
    VyrDxfTextStyle *GetTextStyle() const { return textStyle; }
    int GetTextLength() const { return static_cast<int>(text.size()); }

    /* The font file for the text; `widthFactor` (may be null) is multiplied
     * by what the font asks for (0.8 and 0.6 for big fonts, 0.75 for the
     * ISOCP style). */
    VyrUnicodeString MapFontName(short isDBCS, double *widthFactor = nullptr) const;

    /* ---- shared by the text elements */

    /* Alignment code of a vertical (0 baseline, 1 bottom, 2 middle, 3 top)
     * and horizontal (0 left, 1 centre, 2 right) alignment; values out of
     * range count as 0. */
    static int AlignmentCode(int vertical, int horizontal);
    /* The scale of a transformation for lengths, sqrt |det|; 0 for a
     * degenerate or non-finite one. */
    static double ScaleOf(const VyrMathTransformation2D &t);
    /* The direction `degrees` (in the element's plane) takes under the
     * transformation, in degrees: the transformation's turn added, its
     * mirror (if any) applied first. */
    static double TurnedAngle(const VyrMathTransformation2D &t, double degrees);
    /* Natural width, in picture units, of a one-line string in a font at a
     * height (capitals) and width factor; 0 for an unknown font. */
    static double StringWidth(const VyrUnicodeString &font, bool bold, const VyrUnicodeString &text,
                              double height, double widthFactor);
    /* The text parameters of `look`, the colour of `entity`, and DrawText
     * at (x, y). */
    static int DrawString(VyrPrintGenerator *generator, VyrDxfEntity &entity, const VyrDxfTextLook &look,
                          double x, double y, const VyrUnicodeString &text);

    /* What a text's own style name means for its font when the drawing has
     * no style record for it: only the names "ISOCP" and "STANDARD" count,
     * so an element keeps this instead of a copy of the name (the element
     * then stays small enough for the pool). */
    enum StyleNameKind : unsigned char { kOtherStyleName, kIsocpStyleName, kStandardStyleName };
    static StyleNameKind KindOfStyleName(const char *field, int fieldSize);

private:
    double insertX = 0.0, insertY = 0.0;
    double alignX = 0.0, alignY = 0.0;
    double height = 0.0;
    double rotation = 0.0;
    double widthFactor = 1.0;
    double oblique = 0.0;
    int horizontal = 0, vertical = 0, generation = 0;
    std::string text;
    StyleNameKind styleName = kOtherStyleName;
    VyrDxfTextStyle *textStyle = nullptr;
};

#endif
