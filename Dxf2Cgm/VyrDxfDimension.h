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
 * has no block and draws nothing, as a dimension whose block is empty. */
#ifndef VYR_DXF2CGM_VYRDXFDIMENSION_H
#define VYR_DXF2CGM_VYRDXFDIMENSION_H

#include "Dxf2Cgm/VyrDxfEntity.h"

class VyrDxfDimension : public VyrDxfEntity {
public:
    VyrDxfDimension() { kind = VyrDxfKindDimension; }
    VyrDxfDimension(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block);
    ~VyrDxfDimension() override;

    /* 1 when the dimension could not be read or for a null generator or
     * transformation, else 0. */
    int Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation) override;

    VyrDxfBlock *GetDimensionBlock() const { return dimensionBlock; }
    const double *GetOffset() const { return offset; }
    const double *GetBlockBasePoint() const { return blockBasePoint; }
    int IsValid() const { return valid; }

private:
    double offset[3] = {0.0, 0.0, 0.0};
    double blockBasePoint[2] = {0.0, 0.0};
    VyrDxfBlock *dimensionBlock = nullptr;
    int draw = 1;
    /* 0: the dimension owns its block (the table could not take it) */
    int sharedBlock = 1;
    int valid = 0;
};

#endif
