/* A dimension, drawn through the anonymous block that holds its picture
 * (lines, arrowheads, texts) under the parent's transformation and a
 * translation by the dimension's offset point (its clone insertion point;
 * zero in most drawings, whose dimension blocks lie where the dimension
 * does). The dimension acts as the insert of its block: its colour, line
 * weight, line type and layer reach the block's BYBLOCK and layer-0
 * contents through the insert stack, and a block reached again inside
 * itself is not written again.
 *
 * The block is shared through the driver's block table as an insert's is:
 * found there, or built and entered there, so a block is built once however
 * many elements refer to it. A block that is being built right now (a
 * dimension inside its own block) is not built again; the dimension then
 * has no block.
 *
 * A dimension without a block, or whose block is empty, is drawn from its
 * own definition points as the dimension style lays it out: linear and
 * rotated, aligned, radial, diameter, angular (two lines and three points)
 * and ordinate dimensions get their dimension line (an arc for angles),
 * extension lines, filled arrowheads DIMASZ x DIMSCALE long and the
 * measurement, formatted with the style's decimal places, or the
 * dimension's own text with "<>" standing for the measurement. A
 * dimension that measures nothing (coincident points) draws nothing. */
#ifndef VYR_DXF2CGM_VYRDXFDIMENSION_H
#define VYR_DXF2CGM_VYRDXFDIMENSION_H

#include <string>

#include "Dxf2Cgm/VyrDxfEntity.h"

/* The look of a dimension as its style (or the drawing header) sets it;
 * lengths in drawing units, already multiplied by the overall scale. */
struct VyrDxfDimensionStyle {
    double arrowSize = 0.18;         /* DIMASZ x DIMSCALE */
    double textHeight = 0.18;        /* DIMTXT x DIMSCALE */
    double extensionOffset = 0.0625; /* DIMEXO x DIMSCALE: gap at the origin */
    double extensionBeyond = 0.18;   /* DIMEXE x DIMSCALE: past the dimension line */
    double gap = 0.09;               /* DIMGAP x DIMSCALE: text above its line */
    double lengthFactor = 1.0;       /* DIMLFAC */
    int decimals = 4;                /* DIMDEC */
    int angleDecimals = 0;           /* DIMADEC */
    int zeros = 0;                   /* DIMZIN: 4 leading, 8 trailing zeros left out */
};

class VyrDxfDimension : public VyrDxfEntity {
public:
    VyrDxfDimension() { kind = VyrDxfKindDimension; }
    VyrDxfDimension(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block);
    ~VyrDxfDimension() override;

    /* 1 when the dimension could not be read or for a null generator or
     * transformation, else 0. */
    int Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation) override;

    /* The look of dimensions and leaders of the style `style` (a dimension
     * style table entry); the values of the drawing header of the model
     * holding `entity` when the style cannot be read, else the defaults. An
     * overall scale of 0 (a paper-space scale) counts as 1; sizes that are
     * not finite and positive fall back to the defaults. */
    static VyrDxfDimensionStyle ReadStyle(unsigned long entity, unsigned long style);
    /* The measurement `value` as the style writes it: `decimals` places
     * (0 to 8), then leading (zeros & 4) and trailing (zeros & 8) zeros
     * left out. */
    static std::string FormatMeasurement(double value, int decimals, int zeros);

    VyrDxfBlock *GetDimensionBlock() const { return dimensionBlock; }
    const double *GetOffset() const { return offset; }
    const double *GetBlockBasePoint() const { return blockBasePoint; }
    int IsValid() const { return valid; }

private:
    /* The picture from the definition points; 0 when drawn or nothing to draw. */
    int WriteFromDefinition(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation);

    double offset[3] = {0.0, 0.0, 0.0};
    double blockBasePoint[2] = {0.0, 0.0};
    VyrDxfBlock *dimensionBlock = nullptr;
    int draw = 1;
    /* 0: the dimension owns its block (the table could not take it) */
    int sharedBlock = 1;
    int valid = 0;
};

#endif
