/* Entity headers: the common properties copied out of an entity record. */
#include "Dxf2Cgm/VyrDxfEntHeader.h"

#include "Dxf2Cgm/VyrDxfEntityLock.h"

VyrDxfEntHeader::VyrDxfEntHeader(unsigned long entity)
{
    VyrDxfEntityLock lock(entity);
    const dxf_any *rec = lock.Common();
    if (!rec) return;
    lineType.Set(rec->dxfhdr.line_type, sizeof rec->dxfhdr.line_type);
    layerName.Set(rec->dxfhdr.lay_name, sizeof rec->dxfhdr.lay_name);
    color = rec->dxfhdr.color;
    thickness = rec->dxfhdr.lineweight;
    const double scale = rec->dxfhdr.ltype_scale;
    if (scale > 0 && scale < 1e12) lineTypeScale = scale;
    for (int i = 0; i < 3; ++i) extrusion[i] = rec->dxfhdr.extrusion[i];
}

VyrDxfEntHeader::VyrDxfEntHeader(VyrDxfEntHeader *other)
{
    if (!other) return;
    lineType = other->lineType;
    layerName = other->layerName;
    color = other->color;
    thickness = other->thickness;
    lineTypeScale = other->lineTypeScale;
    for (int i = 0; i < 3; ++i) extrusion[i] = other->extrusion[i];
}
