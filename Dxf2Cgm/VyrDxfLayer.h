/* A layer of the drawing, built from one layer-table record of the model:
 * its name, line type, flags, line weight, colour number (negative while
 * the layer is switched off) and whether it is plotted. Elements point at the layers of the layer
 * table to resolve their BYLAYER properties. */
#ifndef VYR_DXF2CGM_VYRDXFLAYER_H
#define VYR_DXF2CGM_VYRDXFLAYER_H

#include "Dxf2Cgm/VyrDxfElement.h"

class VyrDxfLayer : public VyrDxfElement {
public:
    static const int kNameSize = 256;

    VyrDxfLayer() : VyrDxfLayer(0) {}
    /* Copies the record's fields; empty texts and zero numbers when the
     * entity is 0 or cannot be read. */
    explicit VyrDxfLayer(unsigned long entity);
    ~VyrDxfLayer() override = default;

    /* The name, or null when it is empty. */
    const char *GetName() override { return name[0] ? name : nullptr; }
    int GetColor() const { return color; }
    const char *GetLineType() const { return lineType; }
    int GetFlags() const { return flags; }
    /* Line weight in hundredths of a millimetre (-1 BYLAYER, -2 BYBLOCK,
     * -3 default as stored). */
    double GetThickness() const { return thickness; }
    bool IsFrozen() const { return (flags & 1) != 0; }
    /* False when a plot leaves the layer out: frozen, switched off, not
     * plotted, or the layer "Defpoints". */
    bool IsShown() const;

private:
    char name[kNameSize];
    char lineType[kNameSize];
    int flags = 0;
    double thickness = 0.0;
    int color = 0;
    bool plotted = true;
};

#endif
