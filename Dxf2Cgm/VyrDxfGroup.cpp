/* Groups. Members are built in child mode with the layer and block the
 * group was given. Groups hold drawing entities, not other groups; a group
 * met while another group is being built is made without members, so a
 * malformed chain of groups that contain each other stays finite. */
#include "Dxf2Cgm/VyrDxfGroup.h"

#include <cstring>
#include <new>

#include "Dxf2Cgm/VyrDxf2Cgm.h"
#include "Dxf2Cgm/VyrDxfBuildGuard.h"
#include "Dxf2Cgm/VyrDxfEntityLock.h"
#include "Dxf2Cgm/VyrListOfVyrDxfElem.h"

namespace {
int groupsBeingBuilt = 0;
}

VyrDxfGroup::VyrDxfGroup(unsigned long groupEntity, VyrDxfLayer *layer, VyrDxfBlock *block)
{
    kind = VyrDxfKindGroup;
    entity = groupEntity;
    VyrDxfBuildGuard guard(groupEntity);
    db_ptr *members = nullptr;
    int count = 0;
    {
        VyrDxfEntityLock lock(groupEntity);
        const dxf_group_object *rec = lock.As<dxf_group_object>(801);
        if (!rec) return;
        name.Set(rec->name, sizeof rec->name);
        memberCount = rec->num_ent;
        const db_ptr *in = VyrDxfDeref<db_ptr>(rec->group_ent);
        if (guard.Entered() && groupsBeingBuilt == 0 && in && rec->num_ent > 0 &&
            (members = new (std::nothrow) db_ptr[rec->num_ent]) != nullptr) {
            count = rec->num_ent;
            std::memcpy(members, in, sizeof(db_ptr) * static_cast<size_t>(count));
        }
    }
    ++groupsBeingBuilt;
    for (int i = 0; i < count; ++i) {
        VyrDxfElement *element =
            reinterpret_cast<VyrDxfElement *>(VyrDxf2Cgm::dxfParse(members[i], 1, layer, block));
        if (!element) continue;
        if (!memberList) memberList = new (std::nothrow) VyrListOfVyrDxfElem();
        if (!memberList || memberList->AddElement(element) != 0) delete element;
    }
    --groupsBeingBuilt;
    delete[] members;
}

VyrDxfGroup::~VyrDxfGroup() { delete memberList; }

int VyrDxfGroup::Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation)
{
    if (!generator || !transformation) return 1;
    VyrDxfEntity::Write(generator, transformation);
    if (!memberList) return 0;
    for (memberList->Init(); memberList->More(); memberList->Next())
        if (VyrDxfEntity *element = static_cast<VyrDxfEntity *>(memberList->Value()))
            element->Write(generator, transformation);
    return 0;
}
