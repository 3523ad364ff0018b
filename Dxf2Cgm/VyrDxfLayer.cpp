/* Layers from the layer-table records of the model. */
#include "Dxf2Cgm/VyrDxfLayer.h"

#include "Dxf2Cgm/VyrDxfEntityLock.h"
#include "platform/base/VyrString.h"

VyrDxfLayer::VyrDxfLayer(unsigned long entity) : VyrDxfElement(entity)
{
    name[0] = '\0';
    lineType[0] = '\0';
    VyrDxfEntityLock lock(entity);
    const dxf_layer_table_data *rec = lock.As<dxf_layer_table_data>(10001);
    if (!rec || lock.Form() != 2) return;
    VyrDxfCopyField(name, kNameSize, rec->entry_name, sizeof rec->entry_name);
    VyrDxfCopyField(lineType, kNameSize, rec->line_type, sizeof rec->line_type);
    flags = rec->flag;
    color = rec->color_num;
    thickness = static_cast<double>(rec->lineweight);
    plotted = rec->plotflag != 0;
}

bool VyrDxfLayer::IsShown() const
{
    /* Frozen (flag 1), switched off (negative colour), not plotted, or the
     * layer of definition points, which CAD programs never plot. */
    const bool definitionPoints = VyrAsciiCompare(name, "DEFPOINTS") == 0;
    return (flags & 1) == 0 && color >= 0 && plotted && !definitionPoints;
}
