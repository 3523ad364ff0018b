/* The boundary of a hatch: a container of boundary elements with a
 * visibility switch, and the closed loops that bound the hatch's area,
 * flattened to points of the hatch's own plane (its object coordinate
 * system, before the plan view). The hatch fills or clips against the
 * loops; the elements, when there are any, are what the boundary draws of
 * itself, and only while it is visible. A loop always closes by itself
 * (its last point joins its first); loops of fewer than three points bound
 * nothing and are not kept. */
#ifndef VYR_DXF2CGM_VYRDXFBOUNDARY_H
#define VYR_DXF2CGM_VYRDXFBOUNDARY_H

#include <vector>

#include "Dxf2Cgm/VyrDxfEntity.h"

class VyrListOfVyrDxfElem;

class VyrDxfBoundary : public VyrDxfEntity {
public:
    VyrDxfBoundary() { kind = VyrDxfKindBoundary; }
    VyrDxfBoundary(VyrDxfLayer *layer, VyrDxfBlock *block);
    ~VyrDxfBoundary() override;

    /* Appends an element (the list is created on first use) and counts it;
     * 0 when kept, else 1 and the element stays with the caller. */
    int AddElement(VyrDxfElement *element);
    int GetSize() const { return count; }
    void SetVisibility(int visible) { visibility = visible; }
    int GetVisibility() const { return visibility; }

    /* Writes every element while visible; 0 also when there is nothing to
     * write, 1 without generator or transformation. */
    int Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation) override;

    /* Adds a loop of `n` points (x, y pairs); false when it has fewer than
     * three points or a point that is not finite (then it is not kept). */
    bool AddLoop(const double *xy, int n);
    int GetLoopCount() const { return static_cast<int>(loopSizes.size()); }
    const std::vector<int> &GetLoopSizes() const { return loopSizes; }
    /* All loops' points, loop after loop. */
    const std::vector<double> &GetPoints() const { return points; }
    /* The box of all loops; false when there are none. */
    bool GetBox(double min[2], double max[2]) const;

private:
    VyrListOfVyrDxfElem *elements = nullptr;
    /* A second list of elements; while it exists nothing is drawn. */
    VyrListOfVyrDxfElem *others = nullptr;
    int visibility = 1;
    int count = 0;
    std::vector<double> points;
    std::vector<int> loopSizes;
};

#endif
