/* A block definition: the elements of its contents, built once through the
 * model walker, and written wherever an insert places the block. A block
 * built from the model counts as written from the start, so its contents
 * reach the picture only through inserts. Its colour is that of the block
 * definition entity; BYBLOCK colours of its contents resolve to it. */
#ifndef VYR_DXF2CGM_VYRDXFBLOCK_H
#define VYR_DXF2CGM_VYRDXFBLOCK_H

#include "Dxf2Cgm/VyrDxfEntity.h"
#include "Dxf2Cgm/VyrDxfName.h"

class VyrListOfVyrDxfElem;

class VyrDxfBlock : public VyrDxfEntity {
public:
    VyrDxfBlock() { kind = VyrDxfKindBlock; }
    /* Reads the block definition and builds its contents. */
    VyrDxfBlock(unsigned long entity, VyrDxfLayer *layer);
    ~VyrDxfBlock() override;

    /* Already flagged: 0 at once; else flags itself and writes its
     * contents. */
    int Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation) override;
    int GetColor() override { return color; }

    VyrListOfVyrDxfElem *GetEntityList() const { return entityList; }
    int IsAlreadyTranscripted() const { return transcripted; }
    void SetAlreadyTranscripted() { transcripted = 1; }
    int GetEntityCount() const { return entityCount; }
    const double *GetBasePoint() const { return basePoint; }
    const char *GetBlockName() const { return name.Get(); }

private:
    VyrListOfVyrDxfElem *entityList = nullptr;
    int transcripted = 0;
    int entityCount = 0;
    int color = 0;
    double basePoint[2] = {0.0, 0.0};
    VyrDxfName name;
};

#endif
