/* A multiline: parallel lines offset along the miter directions of its
 * vertices, one line per element of its multiline style. The point of line
 * e at vertex v is the vertex plus the vertex's miter direction times the
 * first parameter of line e at that vertex (its offset along the miter, the
 * style's offset and the multiline's scale and justification already
 * applied). A closed multiline (bit 2 of its flags) joins its last vertex
 * back to the first. Each line is drawn in the colour and line type its
 * style element gives (BYLAYER and BYBLOCK elements take the layer's and the
 * multiline's own).
 *
 * The style's fill (flag 1) is drawn first, between the outermost lines
 * (the first and the last element: a style lists its elements from the
 * highest offset down), in the style's fill colour. An open multiline
 * gets the caps its style asks for at either end unless its own flags
 * suppress them (4 start, 8 end): a square cap (16 start, 256 end) joins
 * the outermost lines straight across, a round cap (64, 1024) with a half
 * circle beyond the end; caps take the multiline's own colour.
 *
 * The counts of the record are trusted only as far as the arrays behind
 * them reach: vertices x lines is computed in size_t, and a vertex whose
 * parameters are missing leaves a gap in that line. */
#ifndef VYR_DXF2CGM_VYRDXFMLINE_H
#define VYR_DXF2CGM_VYRDXFMLINE_H

#include <vector>

#include "Dxf2Cgm/VyrDxfEntity.h"
#include "Dxf2Cgm/VyrDxfName.h"

class VyrDxfMline : public VyrDxfEntity {
public:
    VyrDxfMline() { kind = VyrDxfKindMline; }
    VyrDxfMline(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block);
    ~VyrDxfMline() override = default;

    /* Each line as one polyline through its points (split where a point is
     * missing). 1 without points or for a null generator or transformation,
     * else 0. */
    int Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation) override;
    /* The colour and line type of the line being written, while Write runs;
     * the multiline's own otherwise. */
    int GetColor() override;
    const char *GetLineType() override;

    int IsClosed() const { return closed; }
    int GetLineCount() const { return lineCount; }
    int GetVertexCount() const { return vertexCount; }
    /* Point of line `line` at vertex `vertex` (x, y); false where the
     * drawing gives none. */
    bool GetPoint(int vertex, int line, double &x, double &y) const;

    /* At most this many points (vertices x lines) are kept. */
    static const size_t kMaxPoints = 1u << 24;

private:
    /* Reads the vertices and their parameters out of the locked record. */
    void FillArrayOf2DPoints(const void *record);
    /* Reads the colours and line types of the style's elements. */
    void ReadStyle(unsigned long style);

    /* The fill between the outermost lines and the caps at the ends. */
    void WriteFill(VyrPrintGenerator *generator, const VyrMathTransformation2D &transformation);
    void WriteCaps(VyrPrintGenerator *generator, const VyrMathTransformation2D &transformation);

    struct StyleLine {
        int color = 256;
        VyrDxfName lineType;
    };

    int closed = 0;
    int flags = 0;      /* of the multiline (group 71) */
    int styleFlags = 0; /* of its style (group 70) */
    int fillColor = 256;
    int lineCount = 0;
    int vertexCount = 0;
    /* vertex by vertex, line by line: x, y, and 1 when present */
    std::vector<double> points;
    std::vector<unsigned char> present;
    std::vector<StyleLine> styleLines;
    /* line being written, kWritingFill for the fill, -1 otherwise */
    int writing = -1;
    static const int kWritingFill = -2;
};

#endif
