/* 3D faces: the x and y of the corners, and the edge flags. */
#include "Dxf2Cgm/VyrDxf3DFace.h"

#include "Dxf2Cgm/VyrDxfEntityLock.h"
#include "platform/math/VyrMathTransformation2D.h"
#include "platform/print/VyrPrintGenerator.h"

VyrDxf3DFace::VyrDxf3DFace(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block)
    : VyrDxfEntity(entity, layer, block)
{
    kind = VyrDxfKind3DFace;
    VyrDxfEntityLock lock(entity);
    const dxf_3dface *rec = lock.As<dxf_3dface>(311);
    if (!rec) return;
    const double *in[4] = {rec->xyz1, rec->xyz2, rec->xyz3, rec->xyz4};
    for (int i = 0; i < 4; ++i) {
        corners[i][0] = in[i][0];
        corners[i][1] = in[i][1];
    }
    invisibleEdges = rec->iveflg & 15;
}

int VyrDxf3DFace::Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation)
{
    if (!generator || !transformation || IsLeftOut()) return 1;
    bool attributes = false;
    for (int i = 0; i < 4; ++i) {
        const double *a = corners[i];
        const double *b = corners[(i + 1) & 3];
        if ((invisibleEdges & (1 << i)) || (a[0] == b[0] && a[1] == b[1])) continue;
        if (!attributes) {
            VyrDxfEntity::Write(generator, transformation);
            attributes = true;
        }
        const VyrMathPoint2D p1 = *transformation * VyrMathPoint2D(a[0], a[1]);
        const VyrMathPoint2D p2 = *transformation * VyrMathPoint2D(b[0], b[1]);
        generator->DrawLine(static_cast<float>(p1.GetX()), static_cast<float>(p1.GetY()),
                            static_cast<float>(p2.GetX()), static_cast<float>(p2.GetY()));
    }
    return attributes ? 0 : 1;
}
