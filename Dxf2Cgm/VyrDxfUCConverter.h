/* The character converter of a conversion: turns a drawing's 8-bit texts,
 * written in the drawing's code page ($DWGCODEPAGE) with percent codes,
 * escapes and, in multiline texts, formatting codes, into the Unicode text
 * the generator draws. The driver creates one per conversion when it reads
 * the drawing header (VyrDxf2Cgm::GetUCConverter(); null until then).
 *
 * How a text element uses it:
 *
 *   VyrDxfUCConverter *uc = VyrDxf2Cgm::GetUCConverter();
 *   VyrUnicodeString text;
 *   VyrRawCollint codes;
 *   int flags = 0;
 *   // TEXT, ATTRIB, ATTDEF: braces and backslashes are literal
 *   uc->BuildFromChar(rec->text, &text, &codes, flags, isDBCS);
 *   // ... on a style with a big font, name it so its own code page decodes
 *   uc->BuildFromChar(rec->text, &text, &codes, flags, 1, VyrDxfUCConverter::kPlainText, "@extfont2.shx");
 *   // MTEXT: every formatting code is removed or converted
 *   uc->BuildFromChar(rec->text, &text, &codes, flags, 0, VyrDxfUCConverter::kMText);
 *
 * What comes out:
 * - Characters append to `text`; `flags` is set to 0 first, then gets
 *   kOverline, kUnderline (from %%o, %%u and, in MTEXT, \O and \L), kBold and
 *   kItalic (from the |b1 and |i1 options of an MTEXT font change \F or \f).
 * - %%d, %%p, %%c give U+00B0, U+00B1 and U+2300 (U+00D8 under the code page
 *   1252, whose fonts have no diameter sign); %%nnn the byte nnn of the code
 *   page; \U+XXXX that character; \M+nXXXX the double-byte character XXXX of
 *   the page n selects (1 932, 2 950, 3 949, 4 Johab, 5 936). An escape with
 *   a bad hexadecimal digit, or cut short by the end of the text, stays
 *   literal text. `codes` receives, for each symbol from %%-codes and \U+,
 *   its position in `text`.
 * - MTEXT only: \P (and \X, \N) give a line feed U+000A, which the element
 *   splits into lines; \~ a space; \\, \{, \} the character itself; \S a/b;
 *   (also a^b; and a#b;) gives "a/b"; braces and the codes \A \C \c \F \f \H
 *   \K \k \L \l \O \o \p \Q \T \W vanish with their arguments up to ";".
 * - Plain bytes convert a maximal run at a time through the code page, so
 *   multi-byte pages decode right; a lead byte is never split from its trail
 *   byte (which may look like '\' or '|'), and a lead byte before the end of
 *   the text stands alone.
 *
 * Fonts: MappFontWithCodePage gives the font file that suits the drawing's
 * code page; SubstituteAllGDT turns the letters of the geometric-tolerance
 * symbol font into the matching Unicode symbols. Code-page names compare
 * without regard to case, in both spellings drawings use ("ansi_932" and
 * "932", "ANSI_1252" and "1252").
 *
 * The code pages are class-wide (one conversion at a time); the converter
 * is not for use by two threads at once. */
#ifndef VYR_DXF2CGM_VYRDXFUCCONVERTER_H
#define VYR_DXF2CGM_VYRDXFUCCONVERTER_H

#include "platform/base/VyrString.h"

class VyrCodePage;
class VyrRawCollint;
class VyrUnicodeString;

class VyrDxfUCConverter {
public:
    enum Flags { kOverline = 1, kUnderline = 2, kBold = 4, kItalic = 8 };
    enum TextKind { kPlainText = 0, kMText = 1 };

    VyrDxfUCConverter() = default;
    /* Deletes the class-wide code pages. */
    virtual ~VyrDxfUCConverter();
    VyrDxfUCConverter(const VyrDxfUCConverter &) = delete;
    VyrDxfUCConverter &operator=(const VyrDxfUCConverter &) = delete;

    /* Replaces the code page by the one named (null: the empty name, which
     * stands for Windows-1252). */
    void SetCodePage(const char *name);

    /* Converts `text` (null or empty: nothing) and appends it to `out`; see
     * the top of this file. `isDBCS` non-zero: the text's style has a big
     * font, whose file name `bigFont` (may be null) chooses the code page:
     * bigfont and extfont 932, chineset 950, gbcbig and hztxt 936, whgtxt,
     * whgdtxt, whtgtxt and whtmtxt 949; any other the drawing's page when it
     * is a double-byte page, else 932. `codes` may be null. */
    void BuildFromChar(const char *text, VyrUnicodeString *out, VyrRawCollint *codes, int &flags,
                       short isDBCS, TextKind kind = kPlainText, const char *bigFont = nullptr);

    /* The values of four hexadecimal digits; false (and -1 for each bad
     * digit) when one is not a hexadecimal digit. */
    static bool BuildHexaValueFromChar(const char *digits, int *values);

    /* Sets `font` to the font file for the current code page. */
    void MappFontWithCodePage(VyrUnicodeString *font) const;

    /* Replaces the letters a-z but o by the geometric-tolerance symbols. */
    static void SubstituteAllGDT(VyrUnicodeString &text);

    /* Unicode value of a code of code page 932 (a byte, or lead x 256 +
     * trail); 255 with a message when it has none. */
    static unsigned short FromBigFontToUnicode(const unsigned short *code);

    int IsJapanese() const { return isJapanese; }
    static VyrCodePage *GetCodePage() { return _codePage; }
    static const char *GetCodePageName() { return _codePageName.GetText(); }

    /* Code page 932 for big fonts: the single bytes, and the codes 0x8000 to
     * 0x8FFF, 0x9000 to 0x9FFF, 0xE000 to 0xEFFF, 0xF000 to 0xFFFF; 0 means no
     * character. Generated from iconv at build time. */
    static const unsigned short BigFont00ToUnicode[256];
    static const unsigned short BigFont8ToUnicode[4096];
    static const unsigned short BigFont9ToUnicode[4096];
    static const unsigned short BigFontEToUnicode[4096];
    static const unsigned short BigFontFToUnicode[4096];

private:
    int isJapanese = 0;
    static VyrCodePage *_codePage;
    static VyrString _codePageName;
    /* Of the drawing's page, found once when it is set: its \M+ digit (0
     * for a page of one byte per character) and whether it is 1252, where
     * the diameter sign becomes the letter O with stroke. */
    static int _codePageDigit;
    static bool _diameterIsOSlash;
    /* The double-byte pages of \M+ and of big fonts, by the \M+ digit. */
    static VyrCodePage *_dbcsPages[6];
    static VyrCodePage *DbcsPage(int digit);
};

#endif
