/* Hatch boundaries: the element list, its visibility, and the flattened
 * loops of the area. */
#include "Dxf2Cgm/VyrDxfBoundary.h"

#include <cmath>
#include <new>

#include "Dxf2Cgm/VyrListOfVyrDxfElem.h"

VyrDxfBoundary::VyrDxfBoundary(VyrDxfLayer *layer, VyrDxfBlock *block) : VyrDxfEntity(0, layer, block)
{
    kind = VyrDxfKindBoundary;
}

VyrDxfBoundary::~VyrDxfBoundary()
{
    delete elements;
    delete others;
}

int VyrDxfBoundary::AddElement(VyrDxfElement *element)
{
    if (!element) return 1;
    if (!elements) elements = new (std::nothrow) VyrListOfVyrDxfElem();
    if (!elements || elements->AddElement(element) != 0) return 1;
    ++count;
    return 0;
}

int VyrDxfBoundary::Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation)
{
    if (!generator || !transformation) return 1;
    if (others || !elements || visibility == 0) return 0;
    for (elements->Init(); elements->More(); elements->Next()) {
        VyrDxfEntity *element = static_cast<VyrDxfEntity *>(elements->Value());
        if (element) element->Write(generator, transformation);
    }
    return 0;
}

bool VyrDxfBoundary::AddLoop(const double *xy, int n)
{
    if (!xy || n < 3) return false;
    for (int i = 0; i < 2 * n; ++i)
        if (!std::isfinite(xy[i])) return false;
    points.insert(points.end(), xy, xy + 2 * static_cast<size_t>(n));
    loopSizes.push_back(n);
    return true;
}

bool VyrDxfBoundary::GetBox(double min[2], double max[2]) const
{
    if (points.empty()) return false;
    min[0] = max[0] = points[0];
    min[1] = max[1] = points[1];
    for (size_t i = 0; i + 1 < points.size(); i += 2) {
        min[0] = std::fmin(min[0], points[i]);
        max[0] = std::fmax(max[0], points[i]);
        min[1] = std::fmin(min[1], points[i + 1]);
        max[1] = std::fmax(max[1], points[i + 1]);
    }
    return true;
}
