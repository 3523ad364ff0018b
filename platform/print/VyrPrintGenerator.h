/* The abstract picture generator of the print framework. The drawing
 * elements write themselves through these operations; the CGM generator
 * (VyrPrintCGMGenerator) turns them into a metafile and tests put a
 * recording generator in its place. The operations are declared in a fixed
 * order, which is their order in the virtual table; the destructor comes
 * last and is protected: a generator is disposed of with Release().
 *
 * Coordinates and sizes are floats in picture units; angles of arcs and
 * ellipses are radians, anticlockwise; text rotation and slant are degrees.
 * Operations return 0 on success and a negative value when they could not do
 * their work (bad arguments, no stream); callers may ignore the result.
 *
 * Codes understood by the generators of this framework:
 * - SetLineType(type, 0, 0): 0 continuous, 1 dash-space, 2 dashed,
 *   3 dash-dot, 4 phantom (dash-dot-dot), 5 dotted, 6 centre (long-short);
 *   any other type draws continuous.
 * - DrawMarker(x, y, kind, 0): 0 cross (x), 1 plus, 2 circle around a dot,
 *   3 asterisk, 4 circle, 8 dot; any other kind draws a dot.
 * - SetTextParameter(parameter, value):
 *   0 font selector (15 the symbol font, 11 the default font),
 *   2 character height (the height of capitals, picture units),
 *   4 decoration (25 normal, 26 bold), 5 slant (degrees, positive leans
 *   right), 6 rotation (degrees, anticlockwise), 7 alignment code,
 *   8 and 10 accepted and not used, 9 width factor, 11 line spacing
 *   factor of a text of several lines (1: 5/3 of the character height).
 *   Alignment codes 28 to 39: 28 + 4 * h + v with h 0 left, 1 centre,
 *   2 right and v 0 bottom (of descenders), 1 baseline, 2 middle (of the
 *   capitals), 3 top (of the capitals).
 * - SetColor / SetFillColor take an index of the colour table, 1 to 255;
 *   any other index draws with colour 7. SetColor is the colour of lines,
 *   markers and texts, SetFillColor that of filled areas (DrawPolygon).
 * - DrawNurbs(order, control xy, control count, knots, knot count, 0,
 *   tolerance, weights): a rational B-spline of the given order (degree + 1)
 *   with order + control count knots; the tolerance argument is not used
 *   (the generator's own accuracy applies). */
#ifndef VYR_PLATFORM_PRINT_VYRPRINTGENERATOR_H
#define VYR_PLATFORM_PRINT_VYRPRINTGENERATOR_H

#include "vyr_export.h"

class VyrFont;
class VyrPrintParameters;
class VyrPrintStream;
class VyrUnicodeString;

class VYR_EXPORT VyrPrintGenerator {
public:
    VyrPrintGenerator() = default;
    VyrPrintGenerator(const VyrPrintGenerator &) = delete;
    VyrPrintGenerator &operator=(const VyrPrintGenerator &) = delete;

    /* Finishes any output and disposes of the generator. */
    virtual void Release() = 0;
    /* Size of the picture space. */
    virtual int SetExtent(float width, float height) = 0;
    /* Where the coordinate origin lies, measured from the lower left corner
     * of the picture space. */
    virtual int SetOrigin(float x, float y) = 0;
    /* The visible rectangle, in the same measure as SetOrigin. */
    virtual int SetViewport(float x, float y, float width, float height) = 0;
    virtual int SetParameters(VyrPrintParameters &parameters) = 0;
    virtual int EndPicture() = 0;
    virtual int DrawLine(float x1, float y1, float x2, float y2) = 0;
    /* An open line through `count` points given as x, y pairs. */
    virtual int DrawPolyline(int count, const float *xy) = 0;
    virtual int DrawArc(float cx, float cy, float radius, float start, float end, int flag) = 0;
    virtual int DrawEllipse(float cx, float cy, float major, float minor, float start, float end,
                            float rotation, int flag) = 0;
    /* A smooth curve through `count` points given as x, y pairs. */
    virtual int DrawCurve(int count, const float *xy) = 0;
    virtual int DrawNurbs(int order, const float *controlXY, int controlCount, const float *knots,
                          int knotCount, int flag, float tolerance, const float *weights) = 0;
    virtual int DrawText(float x, float y, const VyrUnicodeString &text) = 0;
    virtual int DrawMarker(float x, float y, int kind, int flag) = 0;
    /* Colour table entry; components 0.0 to 1.0. */
    virtual int DefineColor(int index, float red, float green, float blue) = 0;
    virtual int SetColor(int index) = 0;
    virtual int SetFillColor(int index) = 0;
    /* Line width in millimetres on paper. */
    virtual int SetLineWidth(float millimetres) = 0;
    virtual int SetLineType(int type, int reserved1, int reserved2) = 0;
    virtual int SetTextParameter(int parameter, float value) = 0;
    virtual int SetTextFont(int reserved, VyrFont *font) = 0;
    /* Binds the output stream; the generator does not own it. */
    virtual int SetStream(VyrPrintStream *stream) = 0;
    /* A filled area bounded by `count` points given as x, y pairs (the
     * boundary closes by itself), in the fill colour and without an edge.
     * Added after the operations above, whose order in the virtual table
     * stays as it was. */
    virtual int DrawPolygon(int count, const float *xy) = 0;
    /* A dash pattern of the drawing's own for the lines drawn after it, in
     * place of the line type: `count` lengths in picture units, dashes
     * positive, gaps negative, 0 a dot. Each call starts the pattern anew;
     * a line that begins where the previous one ended goes on with it, so
     * the pieces of one figure share one run of the pattern. A count of 0
     * ends the pattern. Generators that draw only their line types keep
     * this default, which refuses the pattern (-1). Added after the
     * operations above, whose order in the virtual table stays as it was. */
    virtual int SetDashPattern(int count, const float *pattern);
    /* `count` separate straight segments given as x1, y1, x2, y2 each, in
     * the current line attributes: the many short lines of one figure (a
     * hatch pattern) in one call. The default draws one line per segment.
     * Added after the operations above. */
    virtual int DrawSegments(int count, const float *xy);
    /* One filled area bounded by `loopCount` closed loops, loop i of
     * `pointCounts[i]` points (x, y pairs, one after the other in `xy`): a
     * point lies inside when a ray from it crosses the loops an odd number
     * of times, so a loop inside another is a hole. Fill colour, no edge.
     * The default draws each loop of at least 3 points as a DrawPolygon
     * (right for generators that only measure). Added after the operations
     * above. */
    virtual int DrawPolygonSet(int loopCount, const int *pointCounts, const float *xy);

protected:
    virtual ~VyrPrintGenerator();
};

#endif
