/* Multilines. The points are computed once at construction, in model
 * coordinates, and mapped afresh by every Write, since a multiline inside a
 * block is written once for each insert of the block. */
#include "Dxf2Cgm/VyrDxfMline.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "Dxf2Cgm/VyrDxfEntityLock.h"
#include "Dxf2Cgm/VyrDxfLayer.h"
#include "platform/base/VyrString.h"
#include "platform/math/VyrMathTransformation2D.h"
#include "platform/print/VyrPrintGenerator.h"

namespace {

const int kType = 315;
const int kStyleType = 802;
const int kTableEntryType = 10001;
/* bit of the flags (group 71) that closes the multiline; 1 only says that
 * it has vertices */
const int kClosedFlag = 2;
const int kSuppressStart = 4, kSuppressEnd = 8;
/* flags of a multiline style */
const int kFill = 1, kStartSquare = 16, kStartRound = 64, kEndSquare = 256, kEndRound = 1024;
/* points of a round cap's half circle */
const int kCapSteps = 16;

/* Whole elements of `size` bytes in the block behind a reference. */
size_t Held(mda_ref ref, size_t size)
{
    if (ref == MDA_NULL_REF) return 0;
    int64_t bytes = 0;
    if (mda_GetArraySize(0, mda_Deref(ref), &bytes) != 0 || bytes < 0) return 0;
    return static_cast<size_t>(bytes) / size;
}

/* The smaller of a count read from the drawing and what its array holds. */
size_t Bounded(int32_t count, mda_ref ref, size_t size)
{
    if (count <= 0) return 0;
    const size_t held = Held(ref, size);
    return static_cast<size_t>(count) < held ? static_cast<size_t>(count) : held;
}

} // namespace

VyrDxfMline::VyrDxfMline(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block)
    : VyrDxfEntity(entity, layer, block)
{
    kind = VyrDxfKindMline;
    db_ptr style = MDA_NULL_PTR;
    {
        VyrDxfEntityLock lock(entity);
        const dxf_mline *rec = lock.As<dxf_mline>(kType);
        if (!rec) return;
        closed = (rec->flag & kClosedFlag) ? 1 : 0;
        flags = rec->flag;
        style = rec->style;
        FillArrayOf2DPoints(rec);
    }
    if (!points.empty()) ReadStyle(style);
}

void VyrDxfMline::FillArrayOf2DPoints(const void *record)
{
    const dxf_mline *rec = static_cast<const dxf_mline *>(record);
    const size_t vertices = Bounded(rec->numvtx, rec->vertex, sizeof(dxf_mline_vertex));
    const dxf_mline_vertex *v = VyrDxfDeref<dxf_mline_vertex>(rec->vertex);
    /* no more lines than the parameter arrays of the vertices hold */
    size_t lines = 0;
    for (size_t i = 0; i < vertices; ++i) {
        const size_t held = Bounded(rec->numlines, v[i].lineparms, sizeof(dxf_mline_vertex_lineparms));
        if (held > lines) lines = held;
    }
    if (vertices == 0 || lines == 0) return;
    if (lines > kMaxPoints / vertices) return; /* also keeps vertices x lines from overflowing */
    const size_t total = vertices * lines;
    try {
        points.assign(2 * total, 0.0);
        present.assign(total, 0);
    } catch (const std::bad_alloc &) {
        points.clear();
        present.clear();
        return;
    }
    for (size_t i = 0; i < vertices; ++i) {
        const size_t held =
            Bounded(static_cast<int32_t>(lines), v[i].lineparms, sizeof(dxf_mline_vertex_lineparms));
        const dxf_mline_vertex_lineparms *parms = VyrDxfDeref<dxf_mline_vertex_lineparms>(v[i].lineparms);
        for (size_t e = 0; e < held; ++e) {
            if (Bounded(parms[e].numparm, parms[e].parameter, sizeof(double)) < 1) continue;
            const double offset = VyrDxfDeref<double>(parms[e].parameter)[0];
            const double x = v[i].xyzloc[0] + v[i].miter[0] * offset;
            const double y = v[i].xyzloc[1] + v[i].miter[1] * offset;
            if (!std::isfinite(x) || !std::isfinite(y)) continue;
            const size_t k = i * lines + e;
            points[2 * k] = x;
            points[2 * k + 1] = y;
            present[k] = 1;
        }
    }
    vertexCount = static_cast<int>(vertices);
    lineCount = static_cast<int>(lines);
}

void VyrDxfMline::ReadStyle(unsigned long style)
{
    std::vector<db_ptr> lineTypes;
    {
        VyrDxfEntityLock lock(style);
        const dxf_mlinestyle_object *rec = lock.As<dxf_mlinestyle_object>(kStyleType);
        if (!rec) return;
        styleFlags = rec->attflag;
        fillColor = rec->color;
        size_t n = Bounded(rec->num_elm, rec->element, sizeof(dxf_mlinestyle_object_element));
        if (n > static_cast<size_t>(lineCount)) n = static_cast<size_t>(lineCount);
        const dxf_mlinestyle_object_element *elements =
            VyrDxfDeref<dxf_mlinestyle_object_element>(rec->element);
        styleLines.resize(n);
        lineTypes.resize(n);
        for (size_t e = 0; e < n; ++e) {
            styleLines[e].color = elements[e].elm_color;
            lineTypes[e] = elements[e].ltype;
        }
    }
    for (size_t e = 0; e < lineTypes.size(); ++e) {
        VyrDxfEntityLock lock(lineTypes[e]);
        if (const dxf_line_type_table_data *rec = lock.As<dxf_line_type_table_data>(kTableEntryType))
            styleLines[e].lineType.Set(rec->entry_name, sizeof rec->entry_name);
    }
}

bool VyrDxfMline::GetPoint(int vertex, int line, double &x, double &y) const
{
    if (vertex < 0 || vertex >= vertexCount || line < 0 || line >= lineCount) return false;
    const size_t k = static_cast<size_t>(vertex) * static_cast<size_t>(lineCount) + static_cast<size_t>(line);
    if (!present[k]) return false;
    x = points[2 * k];
    y = points[2 * k + 1];
    return true;
}

int VyrDxfMline::GetColor()
{
    if (writing == kWritingFill && fillColor != 0) {
        const int saved = writing;
        writing = -1;
        /* a style colour of 256 is the layer's, as for a line of the style */
        int color = fillColor;
        if (color == 256) {
            const VyrDxfLayer *on = GetEffectiveLayer();
            const int layerColor = on ? (on->GetColor() < 0 ? -on->GetColor() : on->GetColor()) : 7;
            color = layerColor >= 1 && layerColor <= 255 ? layerColor : 7;
        } else if (color < 1 || color > 255) {
            color = VyrDxfEntity::GetColor();
        }
        writing = saved;
        return color;
    }
    if (writing < 0 || static_cast<size_t>(writing) >= styleLines.size()) return VyrDxfEntity::GetColor();
    const int color = styleLines[static_cast<size_t>(writing)].color;
    if (color == 256) {
        const VyrDxfLayer *on = GetEffectiveLayer();
        if (!on) return VyrDxfEntity::GetColor();
        const int layerColor = on->GetColor() < 0 ? -on->GetColor() : on->GetColor();
        return layerColor >= 1 && layerColor <= 255 ? layerColor : 7;
    }
    if (color < 1 || color > 255) return VyrDxfEntity::GetColor();
    return color;
}

const char *VyrDxfMline::GetLineType()
{
    if (writing < 0 || static_cast<size_t>(writing) >= styleLines.size()) return VyrDxfEntity::GetLineType();
    const char *own = styleLines[static_cast<size_t>(writing)].lineType.Get();
    if (own[0] == '\0' || VyrAsciiCompare(own, "BYBLOCK") == 0) return VyrDxfEntity::GetLineType();
    if (VyrAsciiCompare(own, "BYLAYER") == 0) {
        VyrDxfLayer *on = GetEffectiveLayer();
        return on ? on->GetLineType() : VyrDxfEntity::GetLineType();
    }
    return own;
}

void VyrDxfMline::WriteFill(VyrPrintGenerator *generator, const VyrMathTransformation2D &transformation)
{
    if (!(styleFlags & kFill) || lineCount < 2 || GetFillMode() == 0) return;
    const int outer[2] = {0, lineCount - 1};
    std::vector<double> xy;
    /* along the first outermost line and back along the other: one area;
     * a closed multiline is the ring between the two closed lines */
    for (int k = 0; k < 2; ++k)
        for (int i = 0; i < vertexCount; ++i) {
            const int vertex = k == 0 || closed ? i : vertexCount - 1 - i;
            double x = 0.0, y = 0.0;
            if (!GetPoint(vertex, outer[k], x, y)) return;
            xy.push_back(x);
            xy.push_back(y);
        }
    writing = kWritingFill;
    if (!closed) {
        WriteFilledArea(generator, transformation, 2 * vertexCount, xy.data());
    } else {
        std::vector<float> mapped;
        for (size_t i = 0; i + 1 < xy.size(); i += 2) {
            const VyrMathPoint2D p = transformation * VyrMathPoint2D(xy[i], xy[i + 1]);
            mapped.push_back(static_cast<float>(p.GetX()));
            mapped.push_back(static_cast<float>(p.GetY()));
        }
        const int counts[2] = {vertexCount, vertexCount};
        WriteFillAttribute(generator);
        generator->DrawPolygonSet(2, counts, mapped.data());
    }
    writing = -1;
}

void VyrDxfMline::WriteCaps(VyrPrintGenerator *generator, const VyrMathTransformation2D &transformation)
{
    if (closed || lineCount < 2) return;
    for (int end = 0; end < 2; ++end) {
        const int square = styleFlags & (end ? kEndSquare : kStartSquare);
        const int round = styleFlags & (end ? kEndRound : kStartRound);
        if ((flags & (end ? kSuppressEnd : kSuppressStart)) || (!square && !round)) continue;
        const int vertex = end ? vertexCount - 1 : 0, inner = end ? vertexCount - 2 : 1;
        double ax = 0, ay = 0, bx = 0, by = 0, cx = 0, cy = 0, dx = 0, dy = 0;
        if (!GetPoint(vertex, 0, ax, ay) || !GetPoint(vertex, lineCount - 1, bx, by) ||
            !GetPoint(inner, 0, cx, cy) || !GetPoint(inner, lineCount - 1, dx, dy))
            continue;
        std::vector<float> xy;
        auto add = [&](double x, double y) {
            const VyrMathPoint2D p = transformation * VyrMathPoint2D(x, y);
            xy.push_back(static_cast<float>(p.GetX()));
            xy.push_back(static_cast<float>(p.GetY()));
        };
        if (square) {
            add(ax, ay);
            add(bx, by);
        } else {
            /* the half circle over the end, on the side away from the
             * multiline's next vertex */
            const double mx = (ax + bx) / 2, my = (ay + by) / 2;
            const double ox = mx - (cx + dx) / 2, oy = my - (cy + dy) / 2;
            const double ux = ax - mx, uy = ay - my;
            const double r = std::hypot(ux, uy);
            if (!(r > 0.0)) continue;
            /* the normal of the chord that points outwards */
            double nx = -uy / r, ny = ux / r;
            if (nx * ox + ny * oy < 0.0) {
                nx = -nx;
                ny = -ny;
            }
            for (int i = 0; i <= kCapSteps; ++i) {
                const double t = M_PI * i / kCapSteps;
                add(mx + std::cos(t) * ux + std::sin(t) * r * nx,
                    my + std::cos(t) * uy + std::sin(t) * r * ny);
            }
        }
        generator->DrawPolyline(static_cast<int>(xy.size() / 2), xy.data());
    }
}

int VyrDxfMline::Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation)
{
    if (!generator || !transformation || IsLeftOut() || points.empty() || vertexCount < 2) return 1;
    WriteFill(generator, *transformation);
    const size_t steps = static_cast<size_t>(vertexCount) + static_cast<size_t>(closed);
    std::unique_ptr<float[]> xy(new (std::nothrow) float[2 * steps]);
    if (!xy) return 1;
    for (int line = 0; line < lineCount; ++line) {
        writing = line;
        VyrDxfEntity::Write(generator, transformation);
        int run = 0;
        for (size_t i = 0; i <= steps; ++i) {
            double x = 0.0, y = 0.0;
            const bool more =
                i < steps && GetPoint(static_cast<int>(i % static_cast<size_t>(vertexCount)), line, x, y);
            if (more) {
                const VyrMathPoint2D p = *transformation * VyrMathPoint2D(x, y);
                xy[2 * static_cast<size_t>(run)] = static_cast<float>(p.GetX());
                xy[2 * static_cast<size_t>(run) + 1] = static_cast<float>(p.GetY());
                ++run;
                continue;
            }
            /* a missing point ends the run drawn so far */
            if (run >= 2) generator->DrawPolyline(run, xy.get());
            run = 0;
        }
    }
    writing = -1;
    if ((styleFlags & (kStartSquare | kStartRound | kEndSquare | kEndRound)) && !closed) {
        VyrDxfEntity::Write(generator, transformation);
        WriteCaps(generator, *transformation);
    }
    return 0;
}
