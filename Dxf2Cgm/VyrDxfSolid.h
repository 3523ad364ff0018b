/* A solid or trace: four corners drawn as their outline (unfilled), one line
 * element per edge that is not degenerate; or, when the picture asks for
 * filled areas, as one area filled in the solid's colour, as CAD programs
 * draw them. The corners are kept in outline order: corner 1, 2, 4, 3. */
#ifndef VYR_DXF2CGM_VYRDXFSOLID_H
#define VYR_DXF2CGM_VYRDXFSOLID_H

#include "Dxf2Cgm/VyrDxfEntity.h"

class VyrListOfVyrDxfElem;

class VyrDxfSolid : public VyrDxfEntity {
public:
    VyrDxfSolid() { kind = VyrDxfKindSolid; }
    VyrDxfSolid(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block);
    ~VyrDxfSolid() override;

    /* Writes the filled area, or every edge; 1 when there is nothing. */
    int Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation) override;

    /* The edge lines; null without entity data. */
    VyrListOfVyrDxfElem *GetEdges() const { return edges; }
    /* Corner i (0 to 3) in outline order. */
    const double *GetCorner(int i) const { return corners[i & 3]; }

private:
    /* True unless the four corners lie on one line. */
    bool HasArea() const;

    double corners[4][2] = {{0.0, 0.0}, {0.0, 0.0}, {0.0, 0.0}, {0.0, 0.0}};
    VyrListOfVyrDxfElem *edges = nullptr;
};

#endif
