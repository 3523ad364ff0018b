/* A solid or trace: four corners drawn as their outline (unfilled), one line
 * element per edge that is not degenerate. The corners are kept in outline
 * order: corner 1, 2, 4, 3. */
#ifndef VYR_DXF2CGM_VYRDXFSOLID_H
#define VYR_DXF2CGM_VYRDXFSOLID_H

#include "Dxf2Cgm/VyrDxfEntity.h"

class VyrListOfVyrDxfElem;

class VyrDxfSolid : public VyrDxfEntity {
public:
    VyrDxfSolid() { kind = VyrDxfKindSolid; }
    VyrDxfSolid(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block);
    ~VyrDxfSolid() override;

    /* Writes every edge; 1 when there is none. */
    int Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation) override;

    /* The edge lines; null without entity data. */
    VyrListOfVyrDxfElem *GetEdges() const { return edges; }
    /* Corner i (0 to 3) in outline order. */
    const double *GetCorner(int i) const { return corners[i & 3]; }

private:
    double corners[4][2] = {{0.0, 0.0}, {0.0, 0.0}, {0.0, 0.0}, {0.0, 0.0}};
    VyrListOfVyrDxfElem *edges = nullptr;
};

#endif
