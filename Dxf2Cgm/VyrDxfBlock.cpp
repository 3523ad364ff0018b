/* Blocks. The contents are built with the model walker in child mode, the
 * block handed down as the owner of every element; the build guard keeps a
 * block that (through inserts) contains itself from being built without
 * end. The pointers of the contained entities are copied before the walk, so
 * no lock on the block definition is held while its contents are built. */
#include "Dxf2Cgm/VyrDxfBlock.h"

#include <cstring>
#include <new>

#include "Dxf2Cgm/VyrDxf2Cgm.h"
#include "Dxf2Cgm/VyrDxfBuildGuard.h"
#include "Dxf2Cgm/VyrDxfEntityLock.h"
#include "Dxf2Cgm/VyrDxfLayer.h"
#include "Dxf2Cgm/VyrListOfVyrDxfElem.h"

VyrDxfBlock::VyrDxfBlock(unsigned long entity, VyrDxfLayer *layer) : VyrDxfEntity(entity, layer, nullptr)
{
    kind = VyrDxfKindBlock;
    VyrDxfBuildGuard guard(entity);
    db_ptr *contents = nullptr;
    int count = 0;
    {
        VyrDxfEntityLock lock(entity);
        if (const dxf_block *rec = lock.As<dxf_block>(200)) {
            color = rec->dxfhdr.color;
            if (color == 256 && layer) color = layer->GetColor() < 0 ? -layer->GetColor() : layer->GetColor();
            basePoint[0] = rec->xyzloc[0];
            basePoint[1] = rec->xyzloc[1];
            name.Set(rec->bname, sizeof rec->bname);
            entityCount = rec->num_ent;
            const db_ptr *in = VyrDxfDeref<db_ptr>(rec->ent_ptr);
            if (guard.Entered() && in && rec->num_ent > 0 &&
                (contents = new (std::nothrow) db_ptr[rec->num_ent]) != nullptr) {
                count = rec->num_ent;
                std::memcpy(contents, in, sizeof(db_ptr) * static_cast<size_t>(count));
            }
        }
    }
    for (int i = 0; i < count; ++i) {
        VyrDxfElement *element =
            reinterpret_cast<VyrDxfElement *>(VyrDxf2Cgm::dxfParse(contents[i], 1, layer, this));
        if (!element) continue;
        if (!entityList) entityList = new (std::nothrow) VyrListOfVyrDxfElem();
        if (!entityList || entityList->AddElement(element) != 0) delete element;
    }
    delete[] contents;
    transcripted = 1;
}

VyrDxfBlock::~VyrDxfBlock() { delete entityList; }

int VyrDxfBlock::Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation)
{
    if (!generator || !transformation) return 1;
    if (transcripted) return 0;
    transcripted = 1;
    if (!entityList) return 0;
    for (entityList->Init(); entityList->More(); entityList->Next())
        if (VyrDxfEntity *element = static_cast<VyrDxfEntity *>(entityList->Value()))
            element->Write(generator, transformation);
    return 0;
}
