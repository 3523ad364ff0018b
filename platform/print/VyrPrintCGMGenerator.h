/* The CGM generator of the print framework: writes one binary CGM picture
 * (ISO/IEC 8632-3) to the bound print stream.
 *
 * Metafile: VDC type real with 32-bit floating-point precision, colour
 * index precision 16 bits and maximum colour index 255, a font list of the
 * core fonts, a character set list (ASCII, the right half of ISO 8859-1,
 * ISO 10646 in UTF-8), basic 8-bit coding. Picture: absolute line width and
 * marker size, VDC extent = the visible rectangle with a margin of 1 % of its
 * larger side, white background. Nothing is written before the first
 * drawing operation (or EndPicture/Release); the set-up calls and colour
 * definitions before it shape the descriptors and the colour table.
 *
 * Units: picture units are those of the extent. SetParameters gives the
 * form, and the form's width in millimetres over the extent's width gives
 * the millimetres per picture unit (1 without parameters); line widths,
 * marker sizes and dash lengths are given in millimetres and converted with
 * it.
 *
 * Metafile version: from the stream's driver datum, the digit after its
 * last "V" ("V3" gives 3, "Morvel V4" gives 4, "V1" gives 1); 3 when the
 * datum names none. Versions 1 and 2 have no POLYBEZIER: curves are written
 * as polylines. Versions 3 and 4 write the same elements.
 *
 * Profiles: the standard profile writes every operation as its CGM element
 * (see the element mapping in the source), except three that LibreOffice
 * misdraws or refuses: a turned ellipse is a Bezier chain, an arc under 2
 * degrees a polyline, a turned text its glyph outlines (where FreeType
 * gives them). The compatibility profile, for
 * viewers that draw only the basic elements, writes ellipses, elliptical
 * arcs, curves and markers as polylines (circle markers as circles), expands
 * dashed line types into dash segments, and writes texts as the filled
 * outlines of their glyphs (where FreeType and the fonts are present; else
 * unrotated and unslanted TEXT).
 *
 * A drawn dash pattern (SetDashPattern) replaces the line type in both
 * profiles: every line, arc, ellipse and curve is flattened and cut into
 * its dashes, written solid as one DISJOINT POLYLINE per figure. */
#ifndef VYR_PLATFORM_PRINT_VYRPRINTCGMGENERATOR_H
#define VYR_PLATFORM_PRINT_VYRPRINTCGMGENERATOR_H

#include "vyr_export.h"
#include "platform/print/VyrCgmEncoder.h"
#include "platform/print/VyrCurveGeometry.h"
#include "platform/print/VyrPrintGenerator.h"

#include <string>
#include <vector>

class VyrFont;
struct VyrFontMetrics;

enum VyrCgmProfile { VyrCgmProfileStandard = 0, VyrCgmProfileCompatible = 1 };

class VYR_EXPORT VyrPrintCGMGenerator : public VyrPrintGenerator {
public:
    /* A new generator in the default profile, or null without memory. */
    static VyrPrintCGMGenerator *sCreate();
    /* The profile of generators made from now on (the host's choice). */
    static void sSetDefaultProfile(VyrCgmProfile profile);
    static VyrCgmProfile sGetDefaultProfile();

    /* Options; they take effect when set before the first drawing. */
    void SetProfile(VyrCgmProfile profile) { profile_ = profile; }
    VyrCgmProfile GetProfile() const { return profile_; }
    /* Whether the standard profile draws a turned text as glyph outlines
     * (on by default: LibreOffice refuses a whole metafile with a turned
     * CHARACTER ORIENTATION); off writes it as TEXT for viewers that turn
     * text themselves. */
    void SetTurnedTextAsOutlines(bool on) { turnedTextOutlines_ = on; }
    /* Overrides the version read from the driver datum (1 to 4). */
    void SetMetafileVersion(int version);
    /* The version that is or will be written. */
    int GetMetafileVersion() const;
    /* Writes B-splines as the NURBS element instead of Bezier segments
     * (standard profile, version 3 and 4; few viewers draw it). */
    void SetNurbsElement(bool on) { nurbsElement_ = on; }
    /* Name of the metafile and the picture (default "libVyrDxf2Cgm"). */
    void SetPictureName(const char *name) { pictureName_ = name ? name : ""; }
    /* True once a write to the stream failed. */
    bool HasWriteError() const;

    void Release() override;
    int SetExtent(float width, float height) override;
    int SetOrigin(float x, float y) override;
    int SetViewport(float x, float y, float width, float height) override;
    int SetParameters(VyrPrintParameters &parameters) override;
    int EndPicture() override;
    int DrawLine(float x1, float y1, float x2, float y2) override;
    int DrawPolyline(int count, const float *xy) override;
    int DrawArc(float cx, float cy, float radius, float start, float end, int flag) override;
    int DrawEllipse(float cx, float cy, float major, float minor, float start, float end, float rotation,
                    int flag) override;
    int DrawCurve(int count, const float *xy) override;
    int DrawNurbs(int order, const float *controlXY, int controlCount, const float *knots, int knotCount,
                  int flag, float tolerance, const float *weights) override;
    int DrawText(float x, float y, const VyrUnicodeString &text) override;
    int DrawMarker(float x, float y, int kind, int flag) override;
    int DefineColor(int index, float red, float green, float blue) override;
    int SetColor(int index) override;
    int SetFillColor(int index) override;
    int SetLineWidth(float millimetres) override;
    int SetLineType(int type, int reserved1, int reserved2) override;
    int SetTextParameter(int parameter, float value) override;
    int SetTextFont(int reserved, VyrFont *font) override;
    int SetStream(VyrPrintStream *stream) override;
    int DrawPolygon(int count, const float *xy) override;
    int SetDashPattern(int count, const float *pattern) override;
    int DrawSegments(int count, const float *xy) override;
    int DrawPolygonSet(int loopCount, const int *pointCounts, const float *xy) override;

protected:
    VyrPrintCGMGenerator();
    ~VyrPrintCGMGenerator() override;

private:
    enum Phase { kNothing, kInPicture, kPictureEnded, kMetafileEnded };

    bool Begin();
    void WriteMetafileDescriptor();
    void WritePictureDescriptor();
    void FlushColours();
    void Flush(bool force);
    void Finish();

    double MMToUnits(double mm) const;
    bool FloatingReals() const;
    /* A real in the precision the metafile declares. */
    void Real(VyrCgmParams &p, double v) const;
    void WriteLineColourAndWidth();
    bool Flattening() const; /* curves as polylines */
    bool LineReady();        /* begins, writes line attributes */
    void WriteLineAttributes(bool solid);
    void WriteEdgeAttributes(bool solid);
    void WriteAreaStyle(int interior, int edgeVisibility);
    /* A solid interior without edges, filled in `colour`. */
    void WriteSolidFill(int colour);
    void WritePolyline(const VyrPath &path);
    void WritePathStyled(const VyrPath &path);
    /* Dashes as one DISJOINT POLYLINE of their segments. */
    void WriteDashes(const std::vector<VyrPath> &dashes);
    /* A flattened path cut by the drawn dash pattern. */
    void WritePathDrawn(const VyrPath &path);
    bool Drawn() const { return !drawnPattern_.empty(); }
    void WritePolybezier(const VyrPath &chain);
    void WriteCurveChain(const VyrPath &chain);
    void WriteMarkerAsLines(double x, double y, int kind);
    int WriteTextLine(double x, double y, double height, const VyrUnicodeString &text);
    /* One line as filled glyph outlines, starting at (x, y) on its
     * baseline; `unit` picture units per 1/1000 em. */
    int WriteTextOutlines(double x, double y, double unit, double width, double angle,
                          const VyrUnicodeString &text);
    /* Whether the text's baseline is turned off the x axis. */
    bool Turned() const;
    const VyrFontMetrics &TextMetrics() const;
    int TextFontIndex() const;

    VyrCgmProfile profile_;
    int version_; /* 0: from the datum */
    bool nurbsElement_;
    std::string pictureName_;
    std::string textBytes_; /* the bytes of the TEXT being written */
    VyrPrintStream *stream_;
    VyrCgmEncoder out_;
    VyrCgmParams params_;
    Phase phase_;
    bool writeError_;

    /* picture space */
    double extentW_, extentH_, originX_, originY_;
    double viewX_, viewY_, viewW_, viewH_;
    bool viewport_;
    double mmPerUnit_;
    double vdcWidth_; /* of the VDC extent, margins included */

    /* colour table: pending definitions */
    unsigned char rgb_[256][3];
    bool pending_[256];
    bool anyPending_;

    /* the drawn dash pattern (picture units), where it stands, and where
     * the last line drawn with it ended */
    std::vector<double> drawnPattern_;
    VyrDashPhase drawnPhase_;
    VyrPt drawnEnd_;
    bool drawnEndValid_;

    /* current state asked for */
    int colour_, fillColour_, lineType_;
    double lineWidthMM_;
    double textHeight_, textSlant_, textRotation_, textWidth_, lineSpacing_;
    bool turnedTextOutlines_ = true;
    int textAlign_, textFontSelector_;
    bool textBold_;
    VyrFont *textFont_;

    /* state written to the metafile (-1 / negative: not written yet) */
    int wEdgeColour_, wEdgeType_;
    double wEdgeWidth_;
    int wInterior_, wEdgeVisibility_, wFillColour_;
    int wLineColour_, wLineType_, wMarkerColour_, wMarkerType_, wTextColour_, wFont_;
    int wCharSet_;
    double wLineWidth_, wMarkerSize_, wCharHeight_, wExpansion_;
    double wOrient_[4];
    bool wTextSetUp_;
};

#endif
