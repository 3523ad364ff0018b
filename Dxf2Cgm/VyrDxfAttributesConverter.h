/* Conversion of drawing attributes into generator attributes: a colour index
 * into the RGB triple of the generator's colour table, a line weight into
 * one of six line widths, and a line type name into one of the generator's
 * line type codes. A class of static tables and static operations; objects
 * of it carry no state. */
#ifndef VYR_DXF2CGM_VYRDXFATTRIBUTESCONVERTER_H
#define VYR_DXF2CGM_VYRDXFATTRIBUTESCONVERTER_H

class VyrUnicodeString;

class VyrDxfAttributesConverter {
public:
    VyrDxfAttributesConverter() = default;
    virtual ~VyrDxfAttributesConverter() = default;

    /* Copies the red, green and blue values (0 to 255) of colour index
     * `index` (1 to 255) into rgb[0..2] and returns `index`. Indices outside
     * 1 to 255 give white and return the index unchanged. */
    static int BuildFromACI(int index, double *rgb);
    /* Line width in millimetres of thickness index 1 to 6; 0.13 otherwise. */
    static float GetMMThickness(int index);
    /* Thickness index (1 to 6) of a line weight in hundredths of a
     * millimetre. */
    static int GetVyrLineThicknessInd(const double &weight);
    /* Generator line type code of line type index 1 to 7 (index - 1); 0 for
     * every other index. */
    static int GetLineType(int index);
    /* Line type index (1 to 8) of a line type name; 1 when no row holds it. */
    static int GetVyrLineType(const VyrUnicodeString &name);
    /* The same for a plain (ISO 8859-1) name, null read as ""; the last
     * name's index is remembered, as entities come in runs of one. */
    static int GetVyrLineType(const char *name);

    static const int kColorCount = 255;
    static const int kLineTypeRows = 8;
    static const int kLineTypeNames = 4;

    /* Row i-1 holds colour index i. */
    static const double _rvbAciTable[kColorCount][3];
    /* Line widths in millimetres; only the first six are reachable. */
    static const float _VyrlineThickness[15];
    /* Row r-1 holds the names of line type index r; "" fills free places. */
    static const char *const _lineTypeMapping[kLineTypeRows][kLineTypeNames];
};

#endif
