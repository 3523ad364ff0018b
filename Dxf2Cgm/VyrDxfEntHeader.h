/* The common properties of one entity, copied when its element is built:
 * line type and layer names, colour number (0 BYBLOCK, 256 BYLAYER, 1 to
 * 255 an index), line weight in hundredths of a millimetre (-1.0 BYLAYER,
 * -2.0 BYBLOCK, -3.0 default), line type scale (1 when the entity's is not
 * a positive number) and extrusion direction. Property resolution
 * stores the resolved line type name back into the header. */
#ifndef VYR_DXF2CGM_VYRDXFENTHEADER_H
#define VYR_DXF2CGM_VYRDXFENTHEADER_H

#include "Dxf2Cgm/VyrDxfName.h"
#include "Dxf2Cgm/VyrDxfPool.h"

class VyrDxfEntHeader : public VyrDxfPooled {
public:
    /* Empty names, colour 0, thickness -1.0, extrusion zero. */
    VyrDxfEntHeader() = default;
    /* The properties of a model entity; the defaults above when it cannot
     * be read. */
    explicit VyrDxfEntHeader(unsigned long entity);
    /* A copy of `other` (the defaults when it is null). */
    explicit VyrDxfEntHeader(VyrDxfEntHeader *other);
    VyrDxfEntHeader(const VyrDxfEntHeader &) = delete;
    VyrDxfEntHeader &operator=(const VyrDxfEntHeader &) = delete;
    virtual ~VyrDxfEntHeader() = default;

    const char *GetLineType() const { return lineType.Get(); }
    void SetLineType(const char *name) { lineType.Set(name); }
    const char *GetLayerName() const { return layerName.Get(); }
    int GetColor() const { return color; }
    double GetThickness() const { return thickness; }
    void SetThickness(double weight) { thickness = weight; }
    const double *GetExtrusion() const { return extrusion; }
    double GetLineTypeScale() const { return lineTypeScale; }

private:
    VyrDxfName lineType;
    VyrDxfName layerName;
    int color = 0;
    double thickness = -1.0;
    double lineTypeScale = 1.0;
    double extrusion[3] = {0.0, 0.0, 0.0};
};

#endif
