/* Dimensions. */
#include "Dxf2Cgm/VyrDxfDimension.h"

#include <cmath>
#include <new>

#include "Dxf2Cgm/VyrDxf2Cgm.h"
#include "Dxf2Cgm/VyrDxfBlock.h"
#include "Dxf2Cgm/VyrDxfBuildGuard.h"
#include "Dxf2Cgm/VyrDxfEntityLock.h"
#include "Dxf2Cgm/VyrListOfVyrDxfElem.h"
#include "platform/math/VyrMathTransformation2D.h"

namespace {

const int kType = 312;
const int kBlockType = 200;
/* beyond this an offset is no place the picture can hold */
const double kMaxOffset = 1e30;

} // namespace

VyrDxfDimension::VyrDxfDimension(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block)
    : VyrDxfEntity(entity, layer, block)
{
    kind = VyrDxfKindDimension;
    db_ptr definition = MDA_NULL_PTR;
    {
        VyrDxfEntityLock lock(entity);
        const dxf_dimension *rec = lock.As<dxf_dimension>(kType);
        if (!rec) return;
        for (int i = 0; i < 3; ++i) offset[i] = rec->xyzcln[i];
        definition = rec->block;
    }
    valid = 1;
    for (int i = 0; i < 2; ++i)
        if (!std::isfinite(offset[i]) || std::fabs(offset[i]) > kMaxOffset) draw = 0;

    VyrListOfVyrDxfElem *table = VyrDxf2Cgm::GetBlockTable();
    if (definition != MDA_NULL_PTR && table)
        dimensionBlock = static_cast<VyrDxfBlock *>(table->FindElementByPtr(definition));
    if (dimensionBlock) {
        blockBasePoint[0] = dimensionBlock->GetBasePoint()[0];
        blockBasePoint[1] = dimensionBlock->GetBasePoint()[1];
        return;
    }
    {
        /* a pointer to anything but a block definition names no block */
        VyrDxfEntityLock lock(definition);
        const dxf_block *rec = lock.As<dxf_block>(kBlockType);
        if (!rec) return;
        blockBasePoint[0] = rec->xyzloc[0];
        blockBasePoint[1] = rec->xyzloc[1];
    }
    if (VyrDxfBuildGuard::IsBeingBuilt(definition)) return;
    if (!table) {
        table = new (std::nothrow) VyrListOfVyrDxfElem();
        VyrDxf2Cgm::SetBlockTable(table);
    }
    dimensionBlock = new (std::nothrow) VyrDxfBlock(definition, layer);
    if (dimensionBlock && (!table || table->AddElement(dimensionBlock) != 0)) sharedBlock = 0;
}

VyrDxfDimension::~VyrDxfDimension()
{
    if (!sharedBlock) delete dimensionBlock;
}

int VyrDxfDimension::Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation)
{
    if (!valid || !generator || !transformation) return 1;
    if (IsLeftOut() || !draw || !dimensionBlock) return 0;
    VyrListOfVyrDxfElem *contents = dimensionBlock->GetEntityList();
    if (!contents || IsBeingWritten(dimensionBlock)) return 0;

    const char *lineType = GetLineType();
    const VyrDxfInsertFrame frame = {GetColor(), GetThickness(), lineType ? lineType : "",
                                     GetEffectiveLayer(), dimensionBlock};
    if (!PushInsert(frame)) return 0;
    VyrMathTransformation2D placed =
        *transformation * VyrMathTransformation2D(VyrMathVector2D(offset[0], offset[1]));
    for (contents->Init(); contents->More(); contents->Next())
        if (VyrDxfEntity *element = static_cast<VyrDxfEntity *>(contents->Value()))
            element->Write(generator, &placed);
    PopInsert();
    return 0;
}
