/* An insert: a reference to a block definition placed at a point, rotated
 * and scaled, repeated as rows x columns copies for an array insert, with
 * the attribute values attached to it. The block comes from the driver's
 * block table, where the first insert that needs it enters it; an insert
 * whose block cannot be found or built is not valid.
 *
 * A point p of the block lands, for the copy of row r and column c, at
 *   M * (ins + R * (S * (p - base) + (c * column spacing, r * row spacing)))
 * with R the rotation, S = diag(scale x, scale y) and M = diag(-1, 1) when
 * the insert's extrusion points down (0, 0, -1), else the identity; the
 * parent's transformation applies after that. The attribute values are
 * placed in the drawing already and are written under the parent's
 * transformation alone. */
#ifndef VYR_DXF2CGM_VYRDXFINSERT_H
#define VYR_DXF2CGM_VYRDXFINSERT_H

#include "Dxf2Cgm/VyrDxfEntity.h"
#include "platform/math/VyrMathTransformation2D.h"

class VyrListOfVyrDxfElem;

class VyrDxfInsert : public VyrDxfEntity {
public:
    VyrDxfInsert() { kind = VyrDxfKindInsert; }
    VyrDxfInsert(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block);
    ~VyrDxfInsert() override;

    /* The attribute step, every copy of the block's contents with this
     * insert's properties on top of the insert stack, then the attribute
     * values. 1 for a null generator or transformation, else 0. */
    int Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation) override;

    /* An array insert draws at most this many copies. */
    static const long kMaxCopies = 100000;
    /* All inserts of one picture write at most this many block copies
     * together (nested arrays multiply); the driver resets the budget at
     * the start of every picture. */
    static const long kCopyBudget = 2000000;
    static void ResetCopyBudget() { _copiesWritten = 0; }

    /* The placement of the copy of row `row` and column `column`. */
    VyrMathTransformation2D GetPlacement(int row, int column) const;
    int GetRowCount() const { return rowCount; }
    int GetColumnCount() const { return columnCount; }
    bool IsMirrored() const { return mirrored; }

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
    int rowCount = 1;
    int columnCount = 1;
    double rowSpacing = 0.0;
    double columnSpacing = 0.0;
    bool mirrored = false;

    static long _copiesWritten;
};

#endif
