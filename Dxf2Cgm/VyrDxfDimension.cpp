/* Dimensions: the anonymous block drawn as an insert, or, without one, the
 * picture laid out from the definition points. The layout works in the
 * dimension's own (model) coordinates and maps every point through the
 * transformation when it is drawn; arcs are drawn as polylines so that any
 * transformation, mirrors and unequal scales included, keeps them on the
 * points they measure. */
#include "Dxf2Cgm/VyrDxfDimension.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <new>
#include <vector>

#include "Dxf2Cgm/VyrDxf2Cgm.h"
#include "Dxf2Cgm/VyrDxfBlock.h"
#include "Dxf2Cgm/VyrDxfBuildGuard.h"
#include "Dxf2Cgm/VyrDxfEntityLock.h"
#include "Dxf2Cgm/VyrDxfText.h"
#include "Dxf2Cgm/VyrDxfUCConverter.h"
#include "Dxf2Cgm/VyrListOfVyrDxfElem.h"
#include "platform/base/VyrRawCollint.h"
#include "platform/math/VyrMathTransformation2D.h"
#include "platform/print/VyrPrintGenerator.h"

namespace {

const int kType = 312;
const int kBlockType = 200;
const int kHeaderType = 1;
const int kTableEntryType = 10001;
/* beyond this an offset is no place the picture can hold */
const double kMaxOffset = 1e30;
const double kPi = 3.14159265358979323846;
const double kDegree = kPi / 180.0;
/* half width of an arrowhead per unit of its length */
const double kArrowHalfWidth = 1.0 / 6.0;
/* an arc of the dimension is drawn with a point every this many degrees */
const double kArcStep = 3.0;
/* the advance of a digit per unit of text height, near enough to set a
 * text beside a point */
const double kAdvance = 0.8;

/* kinds of dimension, the low bits of the flags (group 70) */
enum {
    kRotated = 0,
    kAligned = 1,
    kAngular = 2,
    kDiameter = 3,
    kRadius = 4,
    kAngular3Point = 5,
    kOrdinate = 6
};
const int kKindMask = 7;
const int kOrdinateX = 64;

bool Usable(double value) { return std::isfinite(value) && value > 0.0 && value < 1e12; }

struct P {
    double x, y;
};
P operator+(P a, P b) { return {a.x + b.x, a.y + b.y}; }
P operator-(P a, P b) { return {a.x - b.x, a.y - b.y}; }
P operator*(double k, P a) { return {k * a.x, k * a.y}; }
double Dot(P a, P b) { return a.x * b.x + a.y * b.y; }
double Cross(P a, P b) { return a.x * b.y - a.y * b.x; }
double Length(P a) { return std::hypot(a.x, a.y); }
P Unit(P a)
{
    const double l = Length(a);
    return l > 0.0 ? P{a.x / l, a.y / l} : P{0.0, 0.0};
}
P Left(P a) { return {-a.y, a.x}; }
P Direction(double degrees) { return {std::cos(degrees * kDegree), std::sin(degrees * kDegree)}; }

/* What a dimension record says, in the plane. */
struct Definition {
    int flags = 0;
    P def{}, mid{}, p13{}, p14{}, p15{}, p16{};
    bool midGiven = false;
    double rotation = 0.0, textRotation = 0.0;
    std::string text;
};

/* The picture laid out from a definition, in model coordinates. */
struct Layout {
    std::vector<std::vector<P>> paths;
    std::vector<P> arrows; /* three corners each */
    bool hasText = false;
    P textAt{};
    double textAngle = 0.0; /* degrees */
    std::string text;       /* with %%-codes */
};

void Arrow(Layout &out, P tip, P back, double size)
{
    const P u = Unit(back - tip);
    if (size <= 0.0 || (u.x == 0.0 && u.y == 0.0)) return;
    const P b = tip + size * u, w = (size * kArrowHalfWidth) * Left(u);
    out.arrows.push_back(tip);
    out.arrows.push_back(b + w);
    out.arrows.push_back(b - w);
}

/* An extension line from `origin` to the dimension line at `foot`: it
 * starts the offset away from its origin and ends the extension beyond. */
void Extension(Layout &out, P origin, P foot, const VyrDxfDimensionStyle &style)
{
    const P d = foot - origin;
    const double length = Length(d);
    if (length <= style.extensionOffset) return;
    const P u = Unit(d);
    out.paths.push_back({origin + style.extensionOffset * u, foot + style.extensionBeyond * u});
}

/* A text direction that reads from left to right (or upwards). */
double Readable(double degrees)
{
    double a = std::fmod(degrees, 360.0);
    if (a < 0.0) a += 360.0;
    if (a > 90.0 + 1e-9 && a <= 270.0 + 1e-9) a -= 180.0;
    if (a > 270.0) a -= 360.0;
    return a;
}

/* The text, unless the dimension places it itself: centred over the point
 * `at` of its line running at `degrees`, the gap and half its height
 * above. */
void PlaceText(Layout &out, const Definition &d, const VyrDxfDimensionStyle &style, P at, double degrees)
{
    out.textAngle = Readable(degrees);
    if (d.midGiven) {
        out.textAt = d.mid;
    } else {
        out.textAt = at + (style.gap + style.textHeight / 2) * Left(Direction(out.textAngle));
    }
    if (d.textRotation != 0.0 && std::isfinite(d.textRotation)) out.textAngle = d.textRotation;
}

/* The dimension's text with "<>" standing for the measurement; an empty
 * text is the measurement alone, a single blank no text at all. */
bool TextOf(const Definition &d, const std::string &measurement, std::string &text)
{
    if (d.text == " ") return false;
    if (d.text.empty()) {
        text = measurement;
        return true;
    }
    text = d.text;
    const size_t at = text.find("<>");
    if (at != std::string::npos) text.replace(at, 2, measurement);
    return true;
}

void Linear(const Definition &d, const VyrDxfDimensionStyle &s, Layout &out, bool aligned)
{
    const P u = aligned ? Unit(d.p14 - d.p13) : Direction(d.rotation);
    if (u.x == 0.0 && u.y == 0.0) return;
    const P a = d.def + Dot(d.p13 - d.def, u) * u, b = d.def + Dot(d.p14 - d.def, u) * u;
    const double length = Length(b - a);
    if (!(length > 0.0)) return;
    out.paths.push_back({a, b});
    Extension(out, d.p13, a, s);
    Extension(out, d.p14, b, s);
    Arrow(out, a, b, s.arrowSize);
    Arrow(out, b, a, s.arrowSize);
    out.hasText =
        TextOf(d, VyrDxfDimension::FormatMeasurement(length * s.lengthFactor, s.decimals, s.zeros), out.text);
    const P along = b - a;
    PlaceText(out, d, s, 0.5 * (a + b), std::atan2(along.y, along.x) / kDegree);
}

void Radial(const Definition &d, const VyrDxfDimensionStyle &s, Layout &out, bool diameter)
{
    /* radius: from the centre (10) to the point on the circle (15);
     * diameter: across, from 10 to 15, both on the circle */
    const P from = d.def, to = d.p15;
    const double length = Length(to - from);
    if (!(length > 0.0)) return;
    out.paths.push_back({from, to});
    Arrow(out, to, from, s.arrowSize);
    if (diameter) Arrow(out, from, to, s.arrowSize);
    const std::string value =
        VyrDxfDimension::FormatMeasurement(length * s.lengthFactor, s.decimals, s.zeros);
    out.hasText = TextOf(d, (diameter ? "%%c" : "R") + value, out.text);
    const P along = to - from;
    PlaceText(out, d, s, 0.5 * (from + to), std::atan2(along.y, along.x) / kDegree);
}

/* The angle between two rays from `vertex` along `r1` and `r2` (unit
 * vectors), drawn as an arc through `location`. */
void Angular(const Definition &d, const VyrDxfDimensionStyle &s, Layout &out, P vertex, P r1, P r2,
             P location, double reach1, double reach2)
{
    const double radius = Length(location - vertex);
    if (!(radius > 0.0)) return;
    double a1 = std::atan2(r1.y, r1.x), a2 = std::atan2(r2.y, r2.x);
    const double at = std::atan2(location.y - vertex.y, location.x - vertex.x);
    auto sweep = [](double from, double to) {
        double w = std::fmod(to - from, 2 * kPi);
        return w < 0.0 ? w + 2 * kPi : w;
    };
    /* the arc from a1 counter-clockwise to a2 must pass the location */
    if (sweep(a1, at) > sweep(a1, a2)) {
        std::swap(a1, a2);
        std::swap(reach1, reach2);
    }
    const double span = sweep(a1, a2);
    if (!(span > 0.0)) return;
    const int steps = 1 + static_cast<int>(span / kDegree / kArcStep);
    std::vector<P> arc;
    for (int i = 0; i <= steps; ++i) {
        const double a = a1 + span * i / steps;
        arc.push_back(vertex + radius * P{std::cos(a), std::sin(a)});
    }
    out.paths.push_back(arc);
    const P e1 = vertex + radius * P{std::cos(a1), std::sin(a1)};
    const P e2 = vertex + radius * P{std::cos(a2), std::sin(a2)};
    /* extension lines where the arc lies beyond what the rays' points reach */
    Extension(out, vertex + reach1 * P{std::cos(a1), std::sin(a1)}, e1, s);
    Extension(out, vertex + reach2 * P{std::cos(a2), std::sin(a2)}, e2, s);
    Arrow(out, e1, arc[1], s.arrowSize);
    Arrow(out, e2, arc[arc.size() - 2], s.arrowSize);
    const std::string value = VyrDxfDimension::FormatMeasurement(span / kDegree, s.angleDecimals, 0) + "%%d";
    out.hasText = TextOf(d, value, out.text);
    const double middle = a1 + span / 2;
    PlaceText(out, d, s, vertex + radius * P{std::cos(middle), std::sin(middle)}, middle / kDegree - 90.0);
}

/* The farthest of two points from `vertex` along the unit `ray`. */
double Reach(P vertex, P ray, P a, P b) { return std::max(Dot(a - vertex, ray), Dot(b - vertex, ray)); }

void Angle2Lines(const Definition &d, const VyrDxfDimensionStyle &s, Layout &out)
{
    /* first line 13-14, second line 10-15, the arc through 16 */
    const P d1 = d.p14 - d.p13, d2 = d.def - d.p15;
    const double denominator = Cross(d1, d2);
    if (!(std::fabs(denominator) > 1e-12 * Length(d1) * Length(d2))) return;
    const double t = Cross(d.p15 - d.p13, d2) / denominator;
    const P vertex = d.p13 + t * d1;
    /* each ray points to the side of its line the arc lies on */
    P r1 = Unit(d1), r2 = Unit(d2);
    if (Dot(d.p16 - vertex, r1) < 0.0) r1 = -1.0 * r1;
    if (Dot(d.p16 - vertex, r2) < 0.0) r2 = -1.0 * r2;
    Angular(d, s, out, vertex, r1, r2, d.p16, Reach(vertex, r1, d.p13, d.p14),
            Reach(vertex, r2, d.p15, d.def));
}

void Angle3Points(const Definition &d, const VyrDxfDimensionStyle &s, Layout &out)
{
    /* vertex 15, rays to 13 and 14, the arc through 10 */
    const P r1 = Unit(d.p13 - d.p15), r2 = Unit(d.p14 - d.p15);
    if ((r1.x == 0.0 && r1.y == 0.0) || (r2.x == 0.0 && r2.y == 0.0)) return;
    Angular(d, s, out, d.p15, r1, r2, d.def, Length(d.p13 - d.p15), Length(d.p14 - d.p15));
}

void Ordinate(const Definition &d, const VyrDxfDimensionStyle &s, Layout &out)
{
    /* from the feature (13) to the end of the leader (14); the value is the
     * feature's distance from the origin (10) along x or y */
    const P feature = d.p13, end = d.p14;
    const P u = Unit(end - feature);
    if (u.x == 0.0 && u.y == 0.0) return;
    if (Length(end - feature) > s.extensionOffset)
        out.paths.push_back({feature + s.extensionOffset * u, end});
    const double value = (d.flags & kOrdinateX) ? feature.x - d.def.x : feature.y - d.def.y;
    out.hasText =
        TextOf(d, VyrDxfDimension::FormatMeasurement(std::fabs(value) * s.lengthFactor, s.decimals, s.zeros),
               out.text);
    /* the text continues the leader, read along it */
    const double degrees = std::atan2(u.y, u.x) / kDegree;
    const double readable = Readable(degrees);
    const double halfWidth = 0.5 * s.textHeight * static_cast<double>(out.text.size()) * kAdvance;
    PlaceText(out, d, s, end, readable);
    if (!d.midGiven) out.textAt = end + (s.gap + halfWidth) * u;
}

bool LayOut(const Definition &d, const VyrDxfDimensionStyle &s, Layout &out)
{
    switch (d.flags & kKindMask) {
    case kRotated: Linear(d, s, out, false); break;
    case kAligned: Linear(d, s, out, true); break;
    case kAngular: Angle2Lines(d, s, out); break;
    case kDiameter: Radial(d, s, out, true); break;
    case kRadius: Radial(d, s, out, false); break;
    case kAngular3Point: Angle3Points(d, s, out); break;
    case kOrdinate: Ordinate(d, s, out); break;
    default: break;
    }
    return !out.paths.empty();
}

bool FiniteAll(const Definition &d)
{
    for (const P &p : {d.def, d.mid, d.p13, d.p14, d.p15, d.p16})
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || std::fabs(p.x) > kMaxOffset ||
            std::fabs(p.y) > kMaxOffset)
            return false;
    return std::isfinite(d.rotation);
}

} // namespace

VyrDxfDimensionStyle VyrDxfDimension::ReadStyle(unsigned long entity, unsigned long style)
{
    VyrDxfDimensionStyle out;
    double size = out.arrowSize, text = out.textHeight, exo = out.extensionOffset, exe = out.extensionBeyond,
           gap = out.gap, scale = 1.0, factor = 1.0;
    int decimals = out.decimals, angleDecimals = out.angleDecimals, zeros = out.zeros;
    bool found = false;
    auto take = [&](const auto *rec) {
        size = rec->dimasz;
        text = rec->dimtxt;
        exo = rec->dimexo;
        exe = rec->dimexe;
        gap = std::fabs(rec->dimgap);
        scale = rec->dimscale;
        factor = rec->dimlfac;
        decimals = rec->dimdec;
        angleDecimals = rec->dimadec;
        zeros = rec->dimzin;
        found = true;
    };
    {
        VyrDxfEntityLock lock(style);
        if (const dxf_dimension_style_table_data *rec =
                lock.As<dxf_dimension_style_table_data>(kTableEntryType))
            take(rec);
    }
    if (!found) {
        const int32_t model = static_cast<int32_t>(static_cast<uint32_t>(entity) >> 25);
        MdaModelInfo info;
        if (model > 0 && mda_GetModelInfo(model, &info) == 0 && info.entlist &&
            info.entlist->ntfi > DXFI_TFI_dxf_header) {
            VyrDxfEntityLock lock(info.entlist->first[DXFI_TFI_dxf_header]);
            if (const dxf_header *rec = lock.As<dxf_header>(kHeaderType)) take(rec);
        }
    }
    if (!found) return out;
    /* an overall scale of 0 stands for the scale of a paper-space view */
    if (!Usable(scale)) scale = 1.0;
    const auto scaled = [scale](double value, double fallback) {
        return Usable(value) && Usable(value * scale) ? value * scale : fallback;
    };
    out.arrowSize = size == 0.0 ? 0.0 : scaled(size, out.arrowSize);
    out.textHeight = scaled(text, out.textHeight);
    out.extensionOffset = exo == 0.0 ? 0.0 : scaled(exo, out.extensionOffset);
    out.extensionBeyond = exe == 0.0 ? 0.0 : scaled(exe, out.extensionBeyond);
    out.gap = gap == 0.0 ? 0.0 : scaled(gap, out.gap);
    out.lengthFactor = Usable(factor) ? factor : 1.0;
    out.decimals = decimals >= 0 && decimals <= 8 ? decimals : out.decimals;
    out.angleDecimals = angleDecimals >= 0 && angleDecimals <= 8 ? angleDecimals : out.angleDecimals;
    out.zeros = zeros;
    return out;
}

std::string VyrDxfDimension::FormatMeasurement(double value, int decimals, int zeros)
{
    if (!std::isfinite(value)) return "";
    if (decimals < 0 || decimals > 8) decimals = 4;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    std::string s = buffer;
    if (s.find_first_not_of("-0.") == std::string::npos && s[0] == '-') s.erase(0, 1);
    const size_t point = s.find('.');
    if ((zeros & 8) && point != std::string::npos) {
        while (s.back() == '0') s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    if ((zeros & 4) && point != std::string::npos) {
        const size_t digit = s[0] == '-' ? 1 : 0;
        if (s.compare(digit, 2, "0.") == 0) s.erase(digit, 1);
    }
    return s;
}

VyrDxfDimension::VyrDxfDimension(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block)
    : VyrDxfEntity(entity, layer, block)
{
    kind = VyrDxfKindDimension;
    db_ptr definition = MDA_NULL_PTR;
    {
        VyrDxfEntityLock lock(entity);
        const dxf_dimension *rec = lock.As<dxf_dimension>(kType);
        if (!rec) return;
        for (int i = 0; i < 3; ++i) offset[i] = rec->xyzcln[i];
        definition = rec->block;
    }
    valid = 1;
    for (int i = 0; i < 2; ++i)
        if (!std::isfinite(offset[i]) || std::fabs(offset[i]) > kMaxOffset) draw = 0;

    VyrListOfVyrDxfElem *table = VyrDxf2Cgm::GetBlockTable();
    if (definition != MDA_NULL_PTR && table)
        dimensionBlock = static_cast<VyrDxfBlock *>(table->FindElementByPtr(definition));
    if (dimensionBlock) {
        blockBasePoint[0] = dimensionBlock->GetBasePoint()[0];
        blockBasePoint[1] = dimensionBlock->GetBasePoint()[1];
        return;
    }
    {
        /* a pointer to anything but a block definition names no block */
        VyrDxfEntityLock lock(definition);
        const dxf_block *rec = lock.As<dxf_block>(kBlockType);
        if (!rec) return;
        blockBasePoint[0] = rec->xyzloc[0];
        blockBasePoint[1] = rec->xyzloc[1];
    }
    if (VyrDxfBuildGuard::IsBeingBuilt(definition)) return;
    if (!table) {
        table = new (std::nothrow) VyrListOfVyrDxfElem();
        VyrDxf2Cgm::SetBlockTable(table);
    }
    dimensionBlock = new (std::nothrow) VyrDxfBlock(definition, layer);
    if (dimensionBlock && (!table || table->AddElement(dimensionBlock) != 0)) sharedBlock = 0;
}

VyrDxfDimension::~VyrDxfDimension()
{
    if (!sharedBlock) delete dimensionBlock;
}

int VyrDxfDimension::WriteFromDefinition(VyrPrintGenerator *generator, VyrMathTransformation2D *placed)
{
    const VyrMathTransformation2D &transformation = *placed;
    Definition d;
    unsigned long style = 0;
    {
        VyrDxfEntityLock lock(entity);
        const dxf_dimension *rec = lock.As<dxf_dimension>(kType);
        if (!rec) return 0;
        d.flags = rec->dimtyp;
        d.def = {rec->xyzdef[0], rec->xyzdef[1]};
        d.mid = {rec->xyzmdp[0], rec->xyzmdp[1]};
        d.p13 = {rec->xyzdf1[0], rec->xyzdf1[1]};
        d.p14 = {rec->xyzdf2[0], rec->xyzdf2[1]};
        d.p15 = {rec->xyzdf3[0], rec->xyzdf3[1]};
        d.p16 = {rec->xyzdf4[0], rec->xyzdf4[1]};
        /* a text point of (0, 0, 0) is one the writer left out */
        d.midGiven = rec->xyzmdp[0] != 0.0 || rec->xyzmdp[1] != 0.0 || rec->xyzmdp[2] != 0.0;
        d.rotation = rec->rotang;
        d.textRotation = rec->txtang;
        if (const char *t = VyrDxfDeref<char>(rec->dimtxt)) d.text = t;
        style = static_cast<unsigned long>(rec->dimstyleobjhandle);
    }
    if (!FiniteAll(d)) return 0;
    const VyrDxfDimensionStyle look = ReadStyle(entity, style);
    Layout layout;
    if (!LayOut(d, look, layout)) return 0;

    VyrDxfEntity::Write(generator, placed);
    std::vector<float> xy;
    for (const std::vector<P> &path : layout.paths) {
        xy.clear();
        for (const P &p : path) {
            const VyrMathPoint2D q = transformation * VyrMathPoint2D(p.x, p.y);
            xy.push_back(static_cast<float>(q.GetX()));
            xy.push_back(static_cast<float>(q.GetY()));
        }
        if (path.size() == 2)
            generator->DrawLine(xy[0], xy[1], xy[2], xy[3]);
        else
            generator->DrawPolyline(static_cast<int>(path.size()), xy.data());
    }
    for (size_t i = 0; i + 2 < layout.arrows.size(); i += 3) {
        const double triangle[6] = {layout.arrows[i].x,     layout.arrows[i].y,     layout.arrows[i + 1].x,
                                    layout.arrows[i + 1].y, layout.arrows[i + 2].x, layout.arrows[i + 2].y};
        WriteFilledArea(generator, transformation, 3, triangle);
    }
    const double scale = VyrDxfText::ScaleOf(transformation);
    if (!layout.hasText || layout.text.empty() || scale == 0.0) return 0;
    VyrUnicodeString string;
    int flags = 0;
    if (VyrDxfUCConverter *uc = VyrDxf2Cgm::GetUCConverter()) {
        VyrRawCollint codes;
        uc->BuildFromChar(layout.text.c_str(), &string, &codes, flags, 0, VyrDxfUCConverter::kMText);
    } else {
        string = layout.text.c_str();
    }
    VyrDxfTextLook text;
    text.font = VyrDxfText().MapFontName(0, &text.widthFactor);
    text.height = look.textHeight * scale;
    text.rotation = VyrDxfText::TurnedAngle(transformation, layout.textAngle);
    text.alignment = VyrDxfText::AlignmentCode(2, 1);
    text.flags = flags;
    const VyrMathPoint2D at = transformation * VyrMathPoint2D(layout.textAt.x, layout.textAt.y);
    VyrDxfText::DrawString(generator, *this, text, at.GetX(), at.GetY(), string);
    return 0;
}

int VyrDxfDimension::Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation)
{
    if (!valid || !generator || !transformation) return 1;
    if (IsLeftOut() || !draw) return 0;
    VyrListOfVyrDxfElem *contents = dimensionBlock ? dimensionBlock->GetEntityList() : nullptr;
    if (!contents || contents->Size() == 0) return WriteFromDefinition(generator, transformation);
    if (IsBeingWritten(dimensionBlock)) return 0;

    const char *lineType = GetLineType();
    const VyrDxfInsertFrame frame = {GetColor(), GetThickness(), lineType ? lineType : "",
                                     GetEffectiveLayer(), dimensionBlock};
    if (!PushInsert(frame)) return 0;
    VyrMathTransformation2D placed =
        *transformation * VyrMathTransformation2D(VyrMathVector2D(offset[0], offset[1]));
    for (contents->Init(); contents->More(); contents->Next())
        if (VyrDxfEntity *element = static_cast<VyrDxfEntity *>(contents->Value()))
            element->Write(generator, &placed);
    PopInsert();
    return 0;
}
