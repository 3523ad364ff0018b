/* A 3D face as a plan view shows it: the edges between its four corners
 * (world points) projected onto the x-y plane, each edge drawn unless the
 * face flags it invisible. Faces of three corners repeat the third. */
#ifndef VYR_DXF2CGM_VYRDXF3DFACE_H
#define VYR_DXF2CGM_VYRDXF3DFACE_H

#include "Dxf2Cgm/VyrDxfEntity.h"

class VyrDxf3DFace : public VyrDxfEntity {
public:
    VyrDxf3DFace() { kind = VyrDxfKind3DFace; }
    VyrDxf3DFace(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block);
    ~VyrDxf3DFace() override = default;

    /* One line per visible edge whose ends differ; 1 when there is none. */
    int Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation) override;

    const double *GetCorner(int i) const { return corners[i & 3]; }
    /* Bit i set: edge i (from corner i to corner i + 1, counted from 0) is
     * invisible. */
    int GetInvisibleEdges() const { return invisibleEdges; }

private:
    double corners[4][2] = {{0.0, 0.0}, {0.0, 0.0}, {0.0, 0.0}, {0.0, 0.0}};
    int invisibleEdges = 0;
};

#endif
