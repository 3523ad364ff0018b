/* An insert: a reference to a block definition placed at a point, rotated
 * and scaled, with the attribute values attached to it. The block comes from
 * the driver's block table, where the first insert that needs it enters it;
 * an insert whose block cannot be found or built is not valid. */
#ifndef VYR_DXF2CGM_VYRDXFINSERT_H
#define VYR_DXF2CGM_VYRDXFINSERT_H

#include "Dxf2Cgm/VyrDxfEntity.h"

class VyrListOfVyrDxfElem;

class VyrDxfInsert : public VyrDxfEntity {
public:
    VyrDxfInsert() { kind = VyrDxfKindInsert; }
    VyrDxfInsert(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block);
    ~VyrDxfInsert() override;

    /* Inserts are not drawn yet: nothing is written (1). */
    int Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation) override;

    /* 1 when the insert has its block. */
    int IsValid() const { return insertedBlock != nullptr; }
    VyrDxfBlock *GetInsertedBlock() const { return insertedBlock; }
    VyrListOfVyrDxfElem *GetAttributeList() const { return attributeList; }
    const double *GetInsertionPoint() const { return insertionPoint; }
    const double *GetBlockBasePoint() const { return blockBasePoint; }
    double GetScaleX() const { return scaleX; }
    double GetScaleY() const { return scaleY; }
    double GetRotation() const { return rotation; }

private:
    double blockBasePoint[2] = {0.0, 0.0};
    VyrDxfBlock *insertedBlock = nullptr;
    double rotation = 0.0;
    double insertionPoint[2] = {0.0, 0.0};
    double scaleX = 1.0;
    double scaleY = 1.0;
    VyrListOfVyrDxfElem *attributeList = nullptr;
    int ownBlock = 0;
};

#endif
