/* A hatch: its boundary (VyrDxfBoundary) built from the hatch's own paths,
 * and either a fill or its pattern lines clipped to that boundary.
 *
 * A solid hatch (a gradient one too: the model keeps no gradient, so it is
 * the solid fill of the hatch's colour) is one filled area of all its loops,
 * holes by the even-odd rule, without edges; with the drawing's fill mode
 * off it is the outline of its loops instead. A pattern hatch draws each
 * family of its pattern definition lines (angle, base point, offset between
 * lines, dashes; stored already scaled and turned) across the boundary's box,
 * keeps the parts inside the loops by the even-odd rule, and cuts them into
 * the family's dashes, whose phase starts at the family's base point. The
 * hatch's own line type never applies to its pattern lines.
 *
 * Everything is computed in the hatch's plane (its elevation and extrusion)
 * and mapped to the plan view and the transformation at Write. Broken input
 * is bounded: at most kMaxPoints flattened boundary points and kMaxSegments
 * pattern segments per hatch; a family with a spacing of 0 or not finite,
 * or that would need more lines than are left, is not drawn. Each of these
 * is reported once per hatch with a warning. */
#ifndef VYR_DXF2CGM_VYRDXFHATCH_H
#define VYR_DXF2CGM_VYRDXFHATCH_H

#include <vector>

#include "Dxf2Cgm/VyrDxfEntity.h"

class VyrDxfBoundary;

class VyrDxfHatch : public VyrDxfEntity {
public:
    static const int kMaxPoints = 1000000;
    static const int kMaxSegments = 100000;

    VyrDxfHatch() { kind = VyrDxfKindHatch; }
    VyrDxfHatch(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block);
    ~VyrDxfHatch() override;

    /* The fill or the pattern; 1 when nothing was written. */
    int Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation) override;
    /* Pattern lines are continuous whatever the hatch's line type. */
    const char *GetLineType() override { return "CONTINUOUS"; }

    VyrDxfBoundary *GetBoundary() const { return boundary; }
    bool IsSolid() const { return solid; }

    /* One family of pattern lines, in the hatch's plane. */
    struct PatternLine {
        double angle = 0.0; /* degrees */
        double base[2] = {0.0, 0.0};
        double offset[2] = {0.0, 0.0};
        std::vector<double> dashes; /* dash > 0, gap < 0, dot 0 */
    };
    /* The pattern segments inside the boundary, x1, y1, x2, y2 each, in the
     * hatch's plane; at most kMaxSegments. Reports what it leaves out. */
    void ClipPattern(std::vector<double> &segments);

private:
    void ReadPaths(const void *record);
    void Warn(int what, const char *detail);

    VyrDxfBoundary *boundary = nullptr;
    std::vector<PatternLine> pattern;
    bool solid = false;
    double elevation = 0.0;
    double extrusion[3] = {0.0, 0.0, 1.0};
    char handle[33] = {0};
    /* warnings already given, one bit each */
    int warned = 0;
};

#endif
