/* Inserts. Construction finds the block in the driver's block table (the
 * table is created when there is none) or builds it and enters it there; a
 * block that is being built right now (the insert lies inside its own
 * block) is not built again, which leaves the insert without block. The
 * attribute values are built through the model walker in child mode. */
#include "Dxf2Cgm/VyrDxfInsert.h"

#include <cstring>
#include <new>

#include "Dxf2Cgm/VyrDxf2Cgm.h"
#include "Dxf2Cgm/VyrDxfBlock.h"
#include "Dxf2Cgm/VyrDxfBuildGuard.h"
#include "Dxf2Cgm/VyrDxfEntityLock.h"
#include "Dxf2Cgm/VyrListOfVyrDxfElem.h"

VyrDxfInsert::VyrDxfInsert(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block)
    : VyrDxfEntity(entity, layer, block)
{
    kind = VyrDxfKindInsert;
    db_ptr definition = MDA_NULL_PTR;
    db_ptr *attributes = nullptr;
    int attributeCount = 0;
    {
        VyrDxfEntityLock lock(entity);
        const dxf_insert *rec = lock.As<dxf_insert>(308);
        if (!rec) return;
        insertionPoint[0] = rec->dxfhdr.extrusion[2] < 0.0 ? -rec->xyzloc[0] : rec->xyzloc[0];
        insertionPoint[1] = rec->xyzloc[1];
        scaleX = rec->xscale;
        scaleY = rec->yscale;
        rotation = rec->rang;
        definition = rec->block;
        const db_ptr *in = VyrDxfDeref<db_ptr>(rec->att_inst);
        if (in && rec->num_attr > 0 && (attributes = new (std::nothrow) db_ptr[rec->num_attr]) != nullptr) {
            attributeCount = rec->num_attr;
            std::memcpy(attributes, in, sizeof(db_ptr) * static_cast<size_t>(attributeCount));
        }
    }
    bool isBlock = false;
    {
        VyrDxfEntityLock lock(definition);
        if (const dxf_block *rec = lock.As<dxf_block>(200)) {
            blockBasePoint[0] = rec->xyzloc[0];
            blockBasePoint[1] = rec->xyzloc[1];
            isBlock = true;
        }
    }

    /* A pointer to anything but a block definition names no block. */
    if (isBlock && !VyrDxfBuildGuard::IsBeingBuilt(definition)) {
        VyrListOfVyrDxfElem *table = VyrDxf2Cgm::GetBlockTable();
        if (!table) {
            table = new (std::nothrow) VyrListOfVyrDxfElem();
            VyrDxf2Cgm::SetBlockTable(table);
        }
        if (table) insertedBlock = static_cast<VyrDxfBlock *>(table->FindElementByPtr(definition));
        if (!insertedBlock) {
            VyrDxfBlock *built = new (std::nothrow) VyrDxfBlock(definition, layer);
            if (built && table && table->AddElement(built) == 0) {
                insertedBlock = built;
            } else if (built) {
                insertedBlock = built;
                ownBlock = 1;
            }
        }
    }

    for (int i = 0; i < attributeCount; ++i) {
        VyrDxfElement *element =
            reinterpret_cast<VyrDxfElement *>(VyrDxf2Cgm::dxfParse(attributes[i], 1, layer, block));
        if (!element) continue;
        if (!attributeList) attributeList = new (std::nothrow) VyrListOfVyrDxfElem();
        if (!attributeList || attributeList->AddElement(element) != 0) delete element;
    }
    delete[] attributes;
}

VyrDxfInsert::~VyrDxfInsert()
{
    delete attributeList;
    if (ownBlock) delete insertedBlock;
}

int VyrDxfInsert::Write(VyrPrintGenerator *, VyrMathTransformation2D *) { return 1; }
