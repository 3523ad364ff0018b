/* A straight segment: built from a line entity, or from two points handed
 * over by other elements (the edges of solids, the straight segments of
 * polylines), which may ask for the segment mirrored in x. */
#ifndef VYR_DXF2CGM_VYRDXFLINE_H
#define VYR_DXF2CGM_VYRDXFLINE_H

#include "Dxf2Cgm/VyrDxfEntity.h"

class VyrDxfLine : public VyrDxfEntity {
public:
    VyrDxfLine() { kind = VyrDxfKindLine; }
    VyrDxfLine(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block);
    /* Entity 0 with a copy of `header` (no header when it is null). */
    VyrDxfLine(double x1, double y1, double x2, double y2, VyrDxfEntHeader *header);
    /* As above; a non-zero `mirror` negates both x values. */
    VyrDxfLine(double x1, double y1, double x2, double y2, VyrDxfEntHeader *header, int mirror);
    ~VyrDxfLine() override = default;

    int Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation) override;

    const double *GetStart() const { return start; }
    const double *GetEnd() const { return end; }

private:
    double start[3] = {0.0, 0.0, 0.0};
    double end[3] = {0.0, 0.0, 0.0};
};

#endif
