/* Font look-up of the platform. VyrFont::sGetFont knows the font file names
 * the text elements ask for ("Coure.pfb", "SwissCL.pfb", "SSS2.font",
 * "KANJ.font" ...) and the core font names themselves ("Helvetica",
 * "Times-Roman", "Courier", "Symbol" with their styles), and gives each a
 * core font family: its name goes into the CGM font list, and its metrics
 * (compiled from the AFM files of fonts-urw-base35, which are
 * metric-compatible with the core fonts) place the texts. Font objects live
 * for the whole process and are never deleted by callers.
 *
 * Heights: a drawing's text height is the height of its capital letters, and
 * so is CGM's character height, so the height ratio the text elements apply
 * is 1.0 for every font: (cap height - 0) / cap height. Widths are in 1/1000
 * of the em; one em is 1000 / capHeight times the cap height. */
#ifndef VYR_PLATFORM_FONT_VYRFONT_H
#define VYR_PLATFORM_FONT_VYRFONT_H

#include "vyr_export.h"

class VyrUnicodeString;

struct VyrGlyphWidth {
    unsigned short code; /* Unicode */
    short width;         /* advance, 1/1000 em */
};

/* Metrics of one core font, in 1/1000 em. */
struct VyrFontMetrics {
    const char *name; /* PostScript name, as written in the CGM font list */
    short capHeight;
    short xHeight;
    short ascender;  /* top of the ascending lower-case letters */
    short descender; /* bottom of the descending letters, negative */
    double italicAngle;
    short bbox[4];
    short averageWidth;          /* of the printable ASCII characters */
    const VyrGlyphWidth *widths; /* sorted by code */
    int widthCount;
};

class VYR_EXPORT VyrFont {
public:
    /* The font object for a font file or core font name (ASCII case ignored),
     * or null when the name is not known. `flags` is not used. */
    static VyrFont *sGetFont(const char *fileName, unsigned int flags);

    /* The core fonts, in the order of the CGM font list (index 0 is CGM
     * font index 1). */
    static int sGetCoreFontCount();
    static const VyrFontMetrics &sGetCoreMetrics(int index);

    const char *GetFileName() const { return fileName_; }
    /* The PostScript name of the regular style, e.g. "Courier". */
    const char *GetFamilyName() const;
    /* Index among the core fonts of this family in the given style. */
    int GetCoreIndex(bool bold, bool italic) const;
    const VyrFontMetrics &GetMetrics(bool bold = false, bool italic = false) const;

    /* Ratio of a CGM character height to a drawing's text height: 1.0. */
    double GetHeightRatio() const;

    /* Advance width of one character, and of a string, in 1/1000 em. */
    static double sGetAdvance(const VyrFontMetrics &metrics, unsigned short code);
    static double sGetStringAdvance(const VyrFontMetrics &metrics, const VyrUnicodeString &text);
    /* The advances of U+0000..U+00FF (256 values, as sGetAdvance gives
     * them), or null for metrics that are not a core font's. */
    static const short *sGetLatinAdvances(const VyrFontMetrics &metrics);

    VyrFont(const char *fileName, int family) : fileName_(fileName), family_(family) {}

private:
    const char *fileName_;
    int family_; /* core index of the regular style */
};

#endif
