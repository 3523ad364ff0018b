/* Inserts. Construction finds the block in the driver's block table (the
 * table is created when there is none) or builds it and enters it there; a
 * block that is being built right now (the insert lies inside its own
 * block) is not built again, which leaves the insert without block. The
 * attribute values are built through the model walker in child mode. */
#include "Dxf2Cgm/VyrDxfInsert.h"

#include <cmath>
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
        mirrored = rec->dxfhdr.extrusion[2] < 0.0;
        insertionPoint[0] = rec->xyzloc[0];
        insertionPoint[1] = rec->xyzloc[1];
        scaleX = rec->xscale;
        scaleY = rec->yscale;
        rotation = rec->rang;
        /* counts of 0 or less mean one */
        rowCount = rec->rcount > 1 ? rec->rcount : 1;
        columnCount = rec->ccount > 1 ? rec->ccount : 1;
        rowSpacing = rec->rspace;
        columnSpacing = rec->cspace;
        definition = rec->block;
        const db_ptr *in = VyrDxfDeref<db_ptr>(rec->att_inst);
        if (in && rec->num_attr > 0 && (attributes = new (std::nothrow) db_ptr[rec->num_attr]) != nullptr) {
            attributeCount = rec->num_attr;
            std::memcpy(attributes, in, sizeof(db_ptr) * static_cast<size_t>(attributeCount));
        }
    }
    /* A block in the table was read from its definition already: its base
     * point comes from there, without locking the definition again (a
     * drawing of many inserts would otherwise page block definitions in
     * and out for each of them). */
    VyrListOfVyrDxfElem *table = VyrDxf2Cgm::GetBlockTable();
    if (definition != MDA_NULL_PTR && table)
        insertedBlock = static_cast<VyrDxfBlock *>(table->FindElementByPtr(definition));
    bool isBlock = insertedBlock != nullptr;
    if (insertedBlock) {
        blockBasePoint[0] = insertedBlock->GetBasePoint()[0];
        blockBasePoint[1] = insertedBlock->GetBasePoint()[1];
    } else {
        VyrDxfEntityLock lock(definition);
        if (const dxf_block *rec = lock.As<dxf_block>(200)) {
            blockBasePoint[0] = rec->xyzloc[0];
            blockBasePoint[1] = rec->xyzloc[1];
            isBlock = true;
        }
    }

    /* A pointer to anything but a block definition names no block. */
    if (isBlock && !insertedBlock && !VyrDxfBuildGuard::IsBeingBuilt(definition)) {
        if (!table) {
            table = new (std::nothrow) VyrListOfVyrDxfElem();
            VyrDxf2Cgm::SetBlockTable(table);
        }
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

VyrMathTransformation2D VyrDxfInsert::GetPlacement(int row, int column) const
{
    const VyrMathTransformation2D toBase(VyrMathVector2D(-blockBasePoint[0], -blockBasePoint[1]));
    const VyrMathTransformation2D scaling(VyrMath2x2Matrix(scaleX, scaleY), VyrMathVector2D(0.0, 0.0));
    const VyrMathTransformation2D cell(VyrMathVector2D(column * columnSpacing, row * rowSpacing));
    const VyrMathTransformation2D turn(VyrMathO2D, rotation, VyrMathRotation);
    const VyrMathTransformation2D place(VyrMathVector2D(insertionPoint[0], insertionPoint[1]));
    const VyrMathTransformation2D placement = place * turn * cell * scaling * toBase;
    if (!mirrored) return placement;
    return VyrMathTransformation2D(VyrMath2x2Matrix(-1.0, 1.0), VyrMathVector2D(0.0, 0.0)) * placement;
}

namespace {

/* A placement the picture can hold: finite, and within what its float
 * coordinates can carry. */
bool Drawable(const VyrMathTransformation2D &t)
{
    const double limit = 1e30;
    const VyrMath2x2Matrix m = t.GetMatrix();
    const VyrMathVector2D v = t.GetTranslation();
    const double values[] = {m.GetCoef(0, 0), m.GetCoef(0, 1), m.GetCoef(1, 0),
                             m.GetCoef(1, 1), v.GetX(),        v.GetY()};
    for (double value : values)
        if (!std::isfinite(value) || std::fabs(value) > limit) return false;
    return true;
}

} // namespace

long VyrDxfInsert::_copiesWritten = 0;

int VyrDxfInsert::Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation)
{
    if (!generator || !transformation || IsLeftOut()) return 1;
    VyrDxfEntity::Write(generator, transformation);

    /* The insert stack holds no block twice: a block reached again inside
     * itself is not written again. */
    const bool reentered = IsBeingWritten(insertedBlock);
    VyrListOfVyrDxfElem *contents = insertedBlock ? insertedBlock->GetEntityList() : nullptr;
    if (insertedBlock) insertedBlock->SetAlreadyTranscripted();

    const char *lineType = GetLineType();
    const VyrDxfInsertFrame frame = {GetColor(), GetThickness(), lineType ? lineType : "",
                                     GetEffectiveLayer(), insertedBlock};
    if (contents && !reentered && PushInsert(frame)) {
        /* the first kMaxCopies copies, row by row */
        long copies = 0;
        for (int row = 0; row < rowCount && copies < kMaxCopies; ++row) {
            for (int column = 0; column < columnCount && copies < kMaxCopies; ++column) {
                if (_copiesWritten >= kCopyBudget) break;
                ++copies;
                VyrMathTransformation2D full = *transformation * GetPlacement(row, column);
                if (!Drawable(full)) continue;
                ++_copiesWritten;
                for (contents->Init(); contents->More(); contents->Next())
                    if (VyrDxfEntity *element = static_cast<VyrDxfEntity *>(contents->Value()))
                        element->Write(generator, &full);
            }
        }
        PopInsert();
    }

    if (attributeList)
        for (attributeList->Init(); attributeList->More(); attributeList->Next())
            if (VyrDxfEntity *element = static_cast<VyrDxfEntity *>(attributeList->Value()))
                element->Write(generator, transformation);
    return 0;
}
