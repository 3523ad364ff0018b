/* A leader: the path of its vertices, straight segments or, when its path
 * type says so, a smooth curve through them, and, when its arrowhead flag
 * is set, a filled triangle at the first vertex pointing along the first
 * segment towards it. The arrow is as long as the arrow size of the
 * leader's dimension style times that style's overall scale (the drawing
 * header's values where the style cannot be read, a scale of 0 counting as
 * 1) and a third of that wide, the closed filled arrow of dimensions. The
 * hook line and the annotation are not the leader's to draw. */
#ifndef VYR_DXF2CGM_VYRDXFLEADER_H
#define VYR_DXF2CGM_VYRDXFLEADER_H

#include "Dxf2Cgm/VyrDxfEntity.h"

class VyrDxfLeader : public VyrDxfEntity {
public:
    VyrDxfLeader() { kind = VyrDxfKindLeader; }
    VyrDxfLeader(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block);
    ~VyrDxfLeader() override = default;

    /* 1 without vertices or for a null generator or transformation, else 0
     * (a single vertex draws nothing). */
    int Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation) override;

    /* A new array of the (x, y) pairs of the vertices, owned by the caller,
     * and their count; null and 0 when the entity cannot be read. */
    void GetVertices(double *&points, int &count) const;

    bool HasArrowhead() const { return arrowhead; }
    bool IsSpline() const { return spline; }
    /* Length of the arrowhead in drawing units. */
    double GetArrowSize() const { return arrowSize; }

    /* At most this many vertices are read. */
    static const int kMaxVertices = 1 << 24;

private:
    bool arrowhead = false;
    bool spline = false;
    double arrowSize = 0.0;
};

#endif
