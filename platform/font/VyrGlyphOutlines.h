/* Outlines of the glyphs of the core fonts, for pictures whose viewers
 * cannot be trusted with text: read with FreeType from the Debian fonts
 * the core fonts' metrics come from (fonts-urw-base35), with a fallback
 * font for the characters they lack (Japanese, Chinese, Korean: the Droid
 * fallback font). Contours are flattened into closed polygons.
 *
 * Coordinates are in 1/1000 em of the core font (the unit of its advance
 * widths), origin at the glyph's origin on the baseline, y up. A glyph of
 * the fallback font is scaled so that its em is the core font's em.
 *
 * Each glyph comes in kDetailLevels levels of detail: level 0 is the
 * finest; each further level halves the pieces of every curve (about four
 * times the deviation), for texts too small on the page to show it.
 *
 * Glyphs are read once per font, character and level and kept for the
 * process.
 * Without FreeType in the build, or without the font files, no glyph is
 * available and callers keep to real text. Not for use by two threads at
 * once (one conversion at a time). */
#ifndef VYR_PLATFORM_FONT_VYRGLYPHOUTLINES_H
#define VYR_PLATFORM_FONT_VYRGLYPHOUTLINES_H

#include "vyr_export.h"

#include <vector>

struct VyrGlyph {
    /* Closed contours, each as x, y pairs (the last point is not repeated). */
    std::vector<std::vector<float>> contours;
};

class VYR_EXPORT VyrGlyphOutlines {
public:
    /* True when FreeType is in the build and the core font of `coreIndex`
     * (an index of VyrFont's core fonts) has its outline file. */
    static bool sAvailable(int coreIndex);
    static constexpr int kDetailLevels = 4;
    /* The outline of character `code` in that core font (or the fallback
     * font) at level of detail `detail` (0 to kDetailLevels - 1); null when
     * neither font has the character. A glyph without contours (a space) is
     * not null. */
    static const VyrGlyph *sGetGlyph(int coreIndex, unsigned int code, int detail = 0);
};

#endif
