/* A text style, built from one text-style-table record of the model: its
 * name (upper-cased), its font and big font names (letters upper-cased),
 * and the record's numbers, kept for the text elements. */
#ifndef VYR_DXF2CGM_VYRDXFTEXTSTYLE_H
#define VYR_DXF2CGM_VYRDXFTEXTSTYLE_H

#include "Dxf2Cgm/VyrDxfElement.h"

class VyrDxfTextStyle : public VyrDxfElement {
public:
    static const int kNameSize = 256;

    VyrDxfTextStyle() : VyrDxfTextStyle(0) {}
    /* Empty names and zero numbers when the entity is 0 or cannot be read. */
    explicit VyrDxfTextStyle(unsigned long entity);
    ~VyrDxfTextStyle() override = default;

    const char *GetName() override { return name; }
    const char *GetFontName() const { return fontName; }
    const char *GetBigFontName() const { return bigFontName; }
    /* 1 when the style has a big font. */
    int IsDBCS() const { return bigFontName[0] != '\0'; }

    int GetStyleIndex() const { return styleIndex; }
    int GetFlags() const { return flags; }
    double GetHeight() const { return height; }
    double GetWidth() const { return width; }
    double GetObliqueAngle() const { return obliqueAngle; }

private:
    char name[kNameSize];
    char fontName[kNameSize];
    char bigFontName[kNameSize];
    int styleIndex = 0;
    int flags = 0;
    double height = 0.0;
    double width = 0.0;
    double obliqueAngle = 0.0;
};

#endif
