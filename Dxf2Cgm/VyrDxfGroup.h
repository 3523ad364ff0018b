/* A named group: elements built for its members through the model walker.
 * A group has no header, layer or block of its own; the layer and block it
 * is built with are handed to its members. */
#ifndef VYR_DXF2CGM_VYRDXFGROUP_H
#define VYR_DXF2CGM_VYRDXFGROUP_H

#include "Dxf2Cgm/VyrDxfEntity.h"
#include "Dxf2Cgm/VyrDxfName.h"

class VyrListOfVyrDxfElem;

class VyrDxfGroup : public VyrDxfEntity {
public:
    VyrDxfGroup() { kind = VyrDxfKindGroup; }
    VyrDxfGroup(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block);
    ~VyrDxfGroup() override;

    /* The attribute step, then every member with the same generator and
     * transformation. 1 for a null generator or transformation, else 0. */
    int Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation) override;

    VyrListOfVyrDxfElem *GetEntityList() const { return memberList; }
    int GetMemberCount() const { return memberCount; }
    const char *GetGroupName() const { return name.Get(); }

private:
    VyrListOfVyrDxfElem *memberList = nullptr;
    int memberCount = 0;
    VyrDxfName name;
};

#endif
