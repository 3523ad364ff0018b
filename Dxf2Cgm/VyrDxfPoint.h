/* A point, drawn as a marker whose kind follows the drawing's point display
 * mode (the global PDMODE of the driver); mode 1 hides all points. */
#ifndef VYR_DXF2CGM_VYRDXFPOINT_H
#define VYR_DXF2CGM_VYRDXFPOINT_H

#include <stdint.h>

#include "Dxf2Cgm/VyrDxfEntity.h"

/* The drawing's point display mode (header variable PDMODE), set by the
 * driver from the drawing header; 0 until a header is read in a
 * conversion. */
extern int32_t PDMODE;

class VyrDxfPoint : public VyrDxfEntity {
public:
    VyrDxfPoint() { kind = VyrDxfKindPoint; }
    VyrDxfPoint(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block);
    ~VyrDxfPoint() override = default;

    int Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation) override;

    /* Marker kind of a point display mode; -1 for mode 1 (no marker). */
    static int MarkerKind(int mode);

    double GetX() const { return x; }
    double GetY() const { return y; }

private:
    double y = 0.0;
    double x = 0.0;
};

#endif
