/* The CGM generator (see the header for the metafile it writes).
 *
 * Element mapping, standard profile:
 *   DrawLine, DrawPolyline      POLYLINE
 *   DrawArc                     CIRCULAR ARC CENTRE; a full turn CIRCLE
 *   DrawEllipse                 ELLIPTICAL ARC; a full turn ELLIPSE
 *                               (closed figures: empty interior, their
 *                               edge visible in the line's colour, width
 *                               and type); turned ones as POLYBEZIER
 *   DrawCurve                   POLYBEZIER through the points
 *   DrawNurbs                   POLYBEZIER (exact for polynomial pieces of
 *                               degree <= 3), or NURBS when asked for
 *   DrawPolygon                 POLYGON, interior solid in the fill
 *                               colour, edge invisible
 *   DrawPolygonSet              POLYGON SET, the same, every loop closed
 *                               by an invisible edge
 *   DrawSegments                DISJOINT POLYLINE (at most 2000 segments
 *                               each)
 *   DrawMarker                  POLYMARKER (a circled dot, kind 2: circle
 *                               and dot)
 *   DrawText                    TEXT, one per line of the string, at the
 *                               start point computed from the alignment
 *                               code and the font metrics; TEXT ALIGNMENT
 *                               stays normal (left, baseline)
 *   DefineColor                 COLOUR TABLE (consecutive entries merged)
 *   SetColor                    LINE, MARKER and TEXT COLOUR, written before
 *                               the next primitive that uses them
 *   SetLineWidth, SetLineType   LINE WIDTH (absolute), LINE TYPE
 *   text parameters             CHARACTER HEIGHT, CHARACTER ORIENTATION,
 *                               CHARACTER EXPANSION FACTOR, TEXT FONT INDEX
 * Compatibility profile, and a turned text in the standard profile:
 * DrawText becomes one POLYGON SET per glyph (the glyph outlines, filled in
 * the text colour, edges invisible) where the outlines are available.
 * Attributes are written only when they differ from what the metafile
 * already holds; LINE COLOUR and LINE WIDTH open the picture body, so they
 * precede its first primitive of any kind.
 *
 * Invariant: phase_ moves forward only (nothing, in picture, picture
 * ended, metafile ended); primitives are written only in the picture. */
#include "platform/print/VyrPrintCGMGenerator.h"

#include "platform/base/VyrEnvironment.h"
#include "platform/base/VyrUnicodeString.h"
#include "platform/font/VyrFont.h"
#include "platform/font/VyrGlyphOutlines.h"
#include "platform/print/VyrPrintParameters.h"
#include "platform/print/VyrPrintStream.h"

#include <algorithm>
#include <cassert>
#include <climits>
#include <cmath>
#include <new>

namespace {

const size_t kFlushSize = 1u << 20;
const size_t kMaxDashes = 2000000;
/* The most segments one DISJOINT POLYLINE holds (16 bytes each). */
const size_t kSegmentsPerElement = 2000;
/* The length of a dot of a drawn dash pattern. */
const double kDotMM = 0.2;
const double kMarkerSizeMM = 2.5;
const double kDefaultTextHeightMM = 2.5;
/* Line spacing of a text of several lines, in heights of capitals. */
const double kLineSpacing = 5.0 / 3.0;

/* How LibreOffice 7.4 places a TEXT element, measured on its import: the
 * font size (em) is the character height / 0.6; the string is centred on
 * the point whatever the alignment; its baseline lies 0.68 em plus the
 * inner padding of a text frame (1.25 mm of a page 280 mm wide onto which
 * the VDC extent's width is fitted) below the point; the expansion factor is
 * ignored. The compatibility profile writes the height and point that make
 * it draw the text where and as large as asked. */
const double kCompatEmPerHeight = 1.0 / 0.6;
const double kCompatBaselineEm = 0.68;
const double kCompatPaddingPerWidth = 1.25 / 280.0;
/* The width over the height of the page LibreOffice 7.4 puts a picture on. */
const double kCompatPageAspect = 16.0 / 9.0;

/* The smallest sweep of an arc written as an arc. */
const double kMinArcSweep = 2.0 * M_PI / 180.0;

VyrCgmProfile gDefaultProfile = VyrCgmProfileStandard;

/* Element classes and ids used here. */
enum { kBeginMetafile = 1, kEndMetafile = 2, kBeginPicture = 3, kBeginPictureBody = 4, kEndPicture = 5 };

/* Dash patterns in millimetres (dash positive, gap negative) of the line
 * types 1 to 6, and the standard CGM line type written for each. */
const double kDashSpace[] = {3.0, -3.0};
const double kDashed[] = {6.0, -1.5};
const double kDashDot[] = {6.0, -1.5, 0.5, -1.5};
const double kPhantom[] = {9.0, -1.5, 0.5, -1.5, 0.5, -1.5};
const double kDotted[] = {0.5, -1.5};
const double kCentre[] = {12.0, -1.5, 3.0, -1.5};
struct LineStyle {
    int cgmType;
    const double *pattern;
    int count;
};
const LineStyle kLineStyles[] = {
    {1, nullptr, 0},  {2, kDashSpace, 2}, {2, kDashed, 2}, {4, kDashDot, 4},
    {5, kPhantom, 6}, {3, kDotted, 2},    {4, kCentre, 4},
};

int ValidColour(int index) { return (index >= 1 && index <= 255) ? index : 7; }

bool Finite(float v) { return std::isfinite(v); }

bool FiniteAll(const float *v, int n)
{
    for (int i = 0; i < n; ++i)
        if (!std::isfinite(v[i])) return false;
    return true;
}

} // namespace

VyrPrintCGMGenerator *VyrPrintCGMGenerator::sCreate() { return new (std::nothrow) VyrPrintCGMGenerator(); }

namespace {

void *CreateCgmGenerator(const char *, void *, void *)
{
    return static_cast<void *>(static_cast<VyrPrintGenerator *>(VyrPrintCGMGenerator::sCreate()));
}

/* The generator is the default object of its class name from the moment
 * the library is loaded. */
struct DefaultFactory {
    DefaultFactory() { VyrRegisterDefaultFactory("VyrPrintCGMGenerator", CreateCgmGenerator); }
} gDefaultFactory;

} // namespace

void VyrPrintCGMGenerator::sSetDefaultProfile(VyrCgmProfile profile) { gDefaultProfile = profile; }

VyrCgmProfile VyrPrintCGMGenerator::sGetDefaultProfile() { return gDefaultProfile; }

VyrPrintCGMGenerator::VyrPrintCGMGenerator()
    : profile_(gDefaultProfile), version_(0), nurbsElement_(false), pictureName_("libVyrDxf2Cgm"),
      stream_(nullptr), phase_(kNothing), writeError_(false), extentW_(0), extentH_(0), originX_(0),
      originY_(0), viewX_(0), viewY_(0), viewW_(0), viewH_(0), viewport_(false), mmPerUnit_(1.0),
      vdcWidth_(1000.0), rgb_{}, pending_{}, anyPending_(false), drawnPhase_(), drawnEnd_{0, 0},
      drawnEndValid_(false), colour_(7), fillColour_(7), lineType_(0), lineWidthMM_(0.13), textHeight_(0),
      textSlant_(0), textRotation_(0), textWidth_(1.0), lineSpacing_(1.0), textAlign_(29),
      textFontSelector_(11), textBold_(false), textFont_(nullptr), wEdgeColour_(-1), wEdgeType_(-1),
      wEdgeWidth_(-1), wInterior_(-1), wEdgeVisibility_(-1), wFillColour_(-1), wLineColour_(-1),
      wLineType_(-1), wMarkerColour_(-1), wMarkerType_(-1), wTextColour_(-1), wFont_(-1), wCharSet_(-1),
      wLineWidth_(-1), wMarkerSize_(-1), wCharHeight_(-1), wExpansion_(-1), wOrient_{0, 1, 1, 0},
      wTextSetUp_(false)
{}

VyrPrintCGMGenerator::~VyrPrintCGMGenerator() = default;

void VyrPrintCGMGenerator::SetMetafileVersion(int version)
{
    if (version >= 1 && version <= 4) version_ = version;
}

int VyrPrintCGMGenerator::GetMetafileVersion() const
{
    if (version_) return version_;
    if (stream_) {
        const std::string &d = stream_->GetDatum();
        size_t v = d.find_last_of("Vv");
        if (v != std::string::npos && v + 1 < d.size() && d[v + 1] >= '1' && d[v + 1] <= '4')
            return d[v + 1] - '0';
    }
    return 3;
}

bool VyrPrintCGMGenerator::Flattening() const
{
    return profile_ == VyrCgmProfileCompatible || GetMetafileVersion() < 3;
}

double VyrPrintCGMGenerator::MMToUnits(double mm) const { return mm / mmPerUnit_; }

/* The NURBS element needs reals of more than the default fixed-point
 * precision: when it may be written, the metafile declares 32-bit floating
 * point for all its reals. */
bool VyrPrintCGMGenerator::FloatingReals() const { return nurbsElement_ && !Flattening(); }

void VyrPrintCGMGenerator::Real(VyrCgmParams &p, double v) const
{
    if (FloatingReals())
        p.Float32(static_cast<float>(v));
    else
        p.FixedReal(v);
}

/* ---- output ---------------------------------------------------------- */

bool VyrPrintCGMGenerator::HasWriteError() const { return writeError_ || (stream_ && stream_->HasFailed()); }

void VyrPrintCGMGenerator::Flush(bool force)
{
    if (out_.Size() == 0 || (!force && out_.Size() < kFlushSize)) return;
    if (stream_ && !writeError_) {
        if (stream_->Hand(out_.Buffer()) != 0) writeError_ = true;
    }
    out_.Clear();
}

bool VyrPrintCGMGenerator::Begin()
{
    if (phase_ == kInPicture) {
        if (anyPending_) FlushColours();
        return true;
    }
    if (phase_ != kNothing || !stream_) return false;
    WriteMetafileDescriptor();
    WritePictureDescriptor();
    phase_ = kInPicture;
    FlushColours();
    /* Viewers differ in the line colour and width they assume: the picture
     * states both before its first primitive, whatever that is. */
    WriteLineColourAndWidth();
    return true;
}

void VyrPrintCGMGenerator::WriteMetafileDescriptor()
{
    int version = GetMetafileVersion();
    VyrCgmParams &p = params_;
    p.Clear();
    p.String(pictureName_.c_str());
    out_.Element(0, kBeginMetafile, p);

    p.Clear();
    p.Int16(version);
    out_.Element(1, 1, p); /* METAFILE VERSION */

    p.Clear();
    p.String(profile_ == VyrCgmProfileCompatible ? "libVyrDxf2Cgm CGM generator, compatibility profile"
                                                 : "libVyrDxf2Cgm CGM generator");
    out_.Element(1, 2, p); /* METAFILE DESCRIPTION */

    p.Clear();
    p.Enum(1);
    out_.Element(1, 3, p); /* VDC TYPE real */

    if (FloatingReals()) {
        p.Clear();
        p.Enum(0);
        p.Int16(9);
        p.Int16(23);
        out_.Element(1, 5, p); /* REAL PRECISION floating 32 */
    }

    p.Clear();
    p.Int16(16);
    out_.Element(1, 8, p); /* COLOUR INDEX PRECISION */

    p.Clear();
    p.ColourIndex(255);
    out_.Element(1, 9, p); /* MAXIMUM COLOUR INDEX */

    p.Clear();
    p.Int16(2);
    p.Index(-1);
    p.Index(version >= 3 ? 1 : 0); /* drawing-plus-control set / drawing set */
    p.Index(-1);
    p.Index(version >= 4 ? 6 : version == 3 ? 5 : version == 2 ? 2 : 0);
    if (version == 1) {
        /* Version 1 lists the drawing set only. */
        p.Clear();
        p.Int16(1);
        p.Index(-1);
        p.Index(0);
    }
    out_.Element(1, 11, p); /* METAFILE ELEMENT LIST */

    /* METAFILE DEFAULTS REPLACEMENT: VDC REAL PRECISION floating 32. */
    VyrCgmParams inner;
    inner.Enum(0);
    inner.Int16(9);
    inner.Int16(23);
    VyrCgmEncoder embedded;
    embedded.Element(3, 2, inner);
    out_.Element(1, 12, embedded.Buffer().data(), embedded.Size());

    p.Clear();
    for (int i = 0; i < VyrFont::sGetCoreFontCount(); ++i) p.String(VyrFont::sGetCoreMetrics(i).name);
    out_.Element(1, 13, p); /* FONT LIST */

    p.Clear();
    p.Enum(0); /* 94-character G-set: ASCII */
    p.String("B");
    p.Enum(1); /* 96-character G-set: right half of ISO 8859-1 */
    p.String("A");
    p.Enum(4); /* complete code: ISO 10646 in UTF-8 */
    p.String("%/I");
    out_.Element(1, 14, p); /* CHARACTER SET LIST */

    p.Clear();
    p.Enum(1);
    out_.Element(1, 15, p); /* CHARACTER CODING ANNOUNCER basic 8-bit */
}

void VyrPrintCGMGenerator::WritePictureDescriptor()
{
    VyrCgmParams &p = params_;
    p.Clear();
    p.String(pictureName_.c_str());
    out_.Element(0, kBeginPicture, p);

    p.Clear();
    p.Enum(0);
    out_.Element(2, 3, p); /* LINE WIDTH SPECIFICATION MODE absolute */
    out_.Element(2, 4, p); /* MARKER SIZE SPECIFICATION MODE absolute */
    out_.Element(2, 5, p); /* EDGE WIDTH SPECIFICATION MODE absolute */

    double x0, y0, w, h;
    if (viewport_ && viewW_ > 0 && viewH_ > 0) {
        x0 = viewX_ - originX_;
        y0 = viewY_ - originY_;
        w = viewW_;
        h = viewH_;
    } else if (extentW_ > 0 && extentH_ > 0) {
        x0 = -originX_;
        y0 = -originY_;
        w = extentW_;
        h = extentH_;
    } else {
        x0 = 0;
        y0 = 0;
        w = 1000;
        h = 1000;
    }
    /* LibreOffice puts a picture on a page of 16:9 and fits its width to the
     * page's: a taller picture would lose its bottom. The compatibility
     * profile widens the extent, the picture centred in it. */
    if (profile_ == VyrCgmProfileCompatible && w < kCompatPageAspect * h) {
        x0 -= (kCompatPageAspect * h - w) / 2;
        w = kCompatPageAspect * h;
    }
    double margin = 0.01 * std::max(w, h);
    vdcWidth_ = w + 2 * margin;
    p.Clear();
    p.Point(static_cast<float>(x0 - margin), static_cast<float>(y0 - margin));
    p.Point(static_cast<float>(x0 + w + margin), static_cast<float>(y0 + h + margin));
    out_.Element(2, 6, p); /* VDC EXTENT */

    p.Clear();
    p.DirectColour(255, 255, 255);
    out_.Element(2, 7, p); /* BACKGROUND COLOUR */

    out_.Element(0, kBeginPictureBody);
}

void VyrPrintCGMGenerator::FlushColours()
{
    if (!anyPending_ || phase_ != kInPicture) return;
    int i = 1;
    while (i <= 255) {
        if (!pending_[i]) {
            ++i;
            continue;
        }
        params_.Clear();
        params_.ColourIndex(i);
        for (; i <= 255 && pending_[i]; ++i) {
            params_.DirectColour(rgb_[i][0], rgb_[i][1], rgb_[i][2]);
            pending_[i] = false;
        }
        out_.Element(5, 34, params_); /* COLOUR TABLE */
    }
    anyPending_ = false;
}

void VyrPrintCGMGenerator::Finish()
{
    if (phase_ == kMetafileEnded) return;
    if (phase_ == kNothing && !Begin()) return;
    if (phase_ == kInPicture) out_.Element(0, kEndPicture);
    out_.Element(0, kEndMetafile);
    phase_ = kMetafileEnded;
    Flush(true);
    if (stream_ && stream_->IsGood()) stream_->Flush();
}

/* ---- set-up ----------------------------------------------------------- */

void VyrPrintCGMGenerator::Release()
{
    if (stream_) Finish();
    delete this;
}

int VyrPrintCGMGenerator::SetStream(VyrPrintStream *stream)
{
    if (phase_ != kNothing) return -1;
    stream_ = stream;
    return 0;
}

int VyrPrintCGMGenerator::SetExtent(float width, float height)
{
    if (phase_ != kNothing || !(width > 0) || !(height > 0) || !Finite(width) || !Finite(height)) return -1;
    extentW_ = width;
    extentH_ = height;
    return 0;
}

int VyrPrintCGMGenerator::SetOrigin(float x, float y)
{
    if (phase_ != kNothing || !Finite(x) || !Finite(y)) return -1;
    originX_ = x;
    originY_ = y;
    return 0;
}

int VyrPrintCGMGenerator::SetViewport(float x, float y, float width, float height)
{
    if (phase_ != kNothing || !Finite(x) || !Finite(y) || !(width > 0) || !(height > 0) || !Finite(width) ||
        !Finite(height))
        return -1;
    viewX_ = x;
    viewY_ = y;
    viewW_ = width;
    viewH_ = height;
    viewport_ = true;
    return 0;
}

int VyrPrintCGMGenerator::SetParameters(VyrPrintParameters &parameters)
{
    const VyrPrintForm *form = parameters.GetCurrentForm();
    double formW = form->GetWidthMM();
    double scale = parameters.GetScale() > 0 ? parameters.GetScale() : 1.0;
    if (formW > 0 && extentW_ > 0 && std::isfinite(formW))
        mmPerUnit_ = formW / extentW_;
    else
        mmPerUnit_ = VyrPrintForm::sUnitToMM(form->GetUnit()) * scale;
    return 0;
}

int VyrPrintCGMGenerator::EndPicture()
{
    if (phase_ == kNothing && !Begin()) return -1;
    if (phase_ != kInPicture) return -1;
    out_.Element(0, kEndPicture);
    phase_ = kPictureEnded;
    Flush(false);
    return 0;
}

/* ---- attributes ------------------------------------------------------- */

int VyrPrintCGMGenerator::DefineColor(int index, float red, float green, float blue)
{
    if (index < 1 || index > 255) return -1;
    auto level = [](float v) {
        if (!(v > 0.0f)) return 0u;
        if (v >= 1.0f) return 255u;
        return static_cast<unsigned>(std::lround(v * 255.0f));
    };
    rgb_[index][0] = static_cast<unsigned char>(level(red));
    rgb_[index][1] = static_cast<unsigned char>(level(green));
    rgb_[index][2] = static_cast<unsigned char>(level(blue));
    pending_[index] = true;
    anyPending_ = true;
    return 0;
}

int VyrPrintCGMGenerator::SetColor(int index)
{
    colour_ = ValidColour(index);
    return index == colour_ ? 0 : -1;
}

int VyrPrintCGMGenerator::SetFillColor(int index)
{
    fillColour_ = ValidColour(index);
    return index == fillColour_ ? 0 : -1;
}

int VyrPrintCGMGenerator::SetLineWidth(float millimetres)
{
    if (!Finite(millimetres) || millimetres < 0) return -1;
    lineWidthMM_ = millimetres;
    return 0;
}

int VyrPrintCGMGenerator::SetLineType(int type, int, int)
{
    lineType_ = (type >= 0 && type <= 6) ? type : 0;
    return lineType_ == type ? 0 : -1;
}

int VyrPrintCGMGenerator::SetTextParameter(int parameter, float value)
{
    if (!Finite(value)) return -1;
    switch (parameter) {
    case 0:
        textFontSelector_ = static_cast<int>(value);
        textFont_ = nullptr;
        break;
    case 2: textHeight_ = value; break;
    case 4: textBold_ = static_cast<int>(value) == 26; break;
    case 5: textSlant_ = std::max(-80.0f, std::min(80.0f, value)); break;
    case 6: textRotation_ = value; break;
    case 7: textAlign_ = static_cast<int>(value); break;
    case 9: textWidth_ = value; break;
    case 11: lineSpacing_ = value > 0 && std::isfinite(value) ? value : 1.0; break;
    case 8:
    case 10: break;
    default: return -1;
    }
    return 0;
}

int VyrPrintCGMGenerator::SetTextFont(int, VyrFont *font)
{
    textFont_ = font;
    return font ? 0 : -1;
}

void VyrPrintCGMGenerator::WriteLineColourAndWidth()
{
    if (wLineColour_ != colour_) {
        params_.Clear();
        params_.ColourIndex(colour_);
        out_.Element(5, 4, params_); /* LINE COLOUR */
        wLineColour_ = colour_;
    }
    double width = MMToUnits(lineWidthMM_);
    if (wLineWidth_ != width) {
        params_.Clear();
        params_.Vdc(static_cast<float>(width));
        out_.Element(5, 3, params_); /* LINE WIDTH */
        wLineWidth_ = width;
    }
}

void VyrPrintCGMGenerator::WriteLineAttributes(bool solid)
{
    WriteLineColourAndWidth();
    int type = solid ? 1 : kLineStyles[lineType_].cgmType;
    if (wLineType_ != type) {
        params_.Clear();
        params_.Index(type);
        out_.Element(5, 2, params_); /* LINE TYPE */
        wLineType_ = type;
    }
}

/* CIRCLE and ELLIPSE are closed figures: their outline is their edge, so
 * they are written with an empty interior and a visible edge that carries
 * the line's colour, width and type. */
void VyrPrintCGMGenerator::WriteEdgeAttributes(bool solid)
{
    WriteAreaStyle(4, 1); /* interior empty, edge visible */
    if (wEdgeColour_ != colour_) {
        params_.Clear();
        params_.ColourIndex(colour_);
        out_.Element(5, 29, params_); /* EDGE COLOUR */
        wEdgeColour_ = colour_;
    }
    double width = MMToUnits(lineWidthMM_);
    if (wEdgeWidth_ != width) {
        params_.Clear();
        params_.Vdc(static_cast<float>(width));
        out_.Element(5, 28, params_); /* EDGE WIDTH */
        wEdgeWidth_ = width;
    }
    int type = solid ? 1 : kLineStyles[lineType_].cgmType;
    if (wEdgeType_ != type) {
        params_.Clear();
        params_.Index(type);
        out_.Element(5, 27, params_); /* EDGE TYPE */
        wEdgeType_ = type;
    }
}

/* INTERIOR STYLE (1 solid, 4 empty) and EDGE VISIBILITY (0 off, 1 on) of
 * the closed figures that follow. */
void VyrPrintCGMGenerator::WriteAreaStyle(int interior, int edgeVisibility)
{
    if (wInterior_ != interior) {
        params_.Clear();
        params_.Enum(interior);
        out_.Element(5, 22, params_); /* INTERIOR STYLE */
        wInterior_ = interior;
    }
    if (wEdgeVisibility_ != edgeVisibility) {
        params_.Clear();
        params_.Enum(edgeVisibility);
        out_.Element(5, 30, params_); /* EDGE VISIBILITY */
        wEdgeVisibility_ = edgeVisibility;
    }
}

bool VyrPrintCGMGenerator::LineReady()
{
    if (!Begin()) return false;
    WriteLineAttributes(profile_ == VyrCgmProfileCompatible || Drawn());
    return true;
}

/* ---- primitives -------------------------------------------------------- */

void VyrPrintCGMGenerator::WritePolyline(const VyrPath &path)
{
    if (path.size() < 2) return;
    params_.Clear();
    params_.Reserve(path.size() * 8);
    for (const VyrPt &q : path) params_.Point(static_cast<float>(q.x), static_cast<float>(q.y));
    out_.Element(4, 1, params_); /* POLYLINE */
    Flush(false);
}

/* A flattened path in the current line type: whole in the standard profile,
 * cut into dashes in the compatibility profile. */
void VyrPrintCGMGenerator::WritePathStyled(const VyrPath &path)
{
    if (Drawn()) {
        WritePathDrawn(path);
        return;
    }
    const LineStyle &style = kLineStyles[lineType_];
    if (profile_ != VyrCgmProfileCompatible || style.count == 0) {
        WritePolyline(path);
        return;
    }
    double pattern[8];
    for (int i = 0; i < style.count; ++i) pattern[i] = MMToUnits(style.pattern[i]);
    std::vector<VyrPath> dashes;
    VyrDashPath(path, pattern, style.count, kMaxDashes, dashes);
    WriteDashes(dashes);
}

void VyrPrintCGMGenerator::WritePathDrawn(const VyrPath &path)
{
    if (path.size() < 2) return;
    /* The pattern goes on where the previous line ended. */
    const double tolerance = 1e-6 * (1.0 + std::fabs(path[0].x) + std::fabs(path[0].y));
    if (!drawnEndValid_ || std::fabs(path[0].x - drawnEnd_.x) > tolerance ||
        std::fabs(path[0].y - drawnEnd_.y) > tolerance)
        drawnPhase_ = VyrDashPhase();
    std::vector<VyrPath> dashes;
    VyrDashPathOn(path, drawnPattern_.data(), static_cast<int>(drawnPattern_.size()), MMToUnits(kDotMM),
                  kMaxDashes, drawnPhase_, dashes);
    drawnEnd_ = path.back();
    drawnEndValid_ = true;
    WriteDashes(dashes);
}

void VyrPrintCGMGenerator::WriteDashes(const std::vector<VyrPath> &dashes)
{
    /* Elements of at most kSegmentsPerElement segments stay short enough to
     * need no partitions, which LibreOffice does not read in this element. */
    size_t segments = 0;
    params_.Clear();
    auto flush = [this, &segments]() {
        if (segments == 0) return;
        out_.Element(4, 2, params_); /* DISJOINT POLYLINE */
        Flush(false);
        params_.Clear();
        segments = 0;
    };
    for (const VyrPath &d : dashes) {
        for (size_t i = 1; i < d.size(); ++i) {
            params_.Point(static_cast<float>(d[i - 1].x), static_cast<float>(d[i - 1].y));
            params_.Point(static_cast<float>(d[i].x), static_cast<float>(d[i].y));
            if (++segments == kSegmentsPerElement) flush();
        }
    }
    flush();
}

int VyrPrintCGMGenerator::SetDashPattern(int count, const float *pattern)
{
    drawnPattern_.clear();
    drawnPhase_ = VyrDashPhase();
    drawnEndValid_ = false;
    if (count <= 0 || !pattern) return 0;
    if (count > 64 || !FiniteAll(pattern, count)) return -1;
    double period = 0;
    for (int i = 0; i < count; ++i) period += std::fabs(pattern[i]);
    if (!(period > 0)) return 0;
    drawnPattern_.assign(pattern, pattern + count);
    return 0;
}

void VyrPrintCGMGenerator::WritePolybezier(const VyrPath &chain)
{
    if (chain.size() < 4) return;
    params_.Clear();
    params_.Reserve(chain.size() * 8 + 2);
    params_.Index(2); /* continuous: segments share their end points */
    for (const VyrPt &q : chain) params_.Point(static_cast<float>(q.x), static_cast<float>(q.y));
    out_.Element(4, 26, params_); /* POLYBEZIER */
    Flush(false);
}

void VyrPrintCGMGenerator::WriteCurveChain(const VyrPath &chain)
{
    if (!Flattening() && !Drawn()) {
        WritePolybezier(chain);
        return;
    }
    double minX = chain[0].x, maxX = minX, minY = chain[0].y, maxY = minY;
    for (const VyrPt &q : chain) {
        minX = std::min(minX, q.x);
        maxX = std::max(maxX, q.x);
        minY = std::min(minY, q.y);
        maxY = std::max(maxY, q.y);
    }
    double tolerance = 2.5e-4 * std::max(std::hypot(maxX - minX, maxY - minY), 1e-9);
    VyrPath path;
    VyrFlattenBezier(chain, tolerance, path);
    WritePathStyled(path);
}

int VyrPrintCGMGenerator::DrawLine(float x1, float y1, float x2, float y2)
{
    float xy[4] = {x1, y1, x2, y2};
    return DrawPolyline(2, xy);
}

int VyrPrintCGMGenerator::DrawPolyline(int count, const float *xy)
{
    if (count < 2 || !xy) return -1;
    if (!FiniteAll(xy, 2 * count)) return -1;
    if (!LineReady()) return -1;
    if ((profile_ == VyrCgmProfileCompatible && lineType_ != 0) || Drawn()) {
        VyrPath path(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) path[static_cast<size_t>(i)] = VyrPt{xy[2 * i], xy[2 * i + 1]};
        WritePathStyled(path);
        return 0;
    }
    params_.Clear();
    params_.Reserve(static_cast<size_t>(count) * 8);
    for (int i = 0; i < 2 * count; ++i) params_.Float32(xy[i]);
    out_.Element(4, 1, params_); /* POLYLINE */
    Flush(false);
    return 0;
}

int VyrPrintCGMGenerator::DrawArc(float cx, float cy, float radius, float start, float end, int)
{
    if (!Finite(cx) || !Finite(cy) || !Finite(radius) || !Finite(start) || !Finite(end) || !(radius > 0))
        return -1;
    if (!LineReady()) return -1;
    double sweep = static_cast<double>(end) - start;
    bool full = std::fabs(sweep) >= 2 * M_PI - 1e-6;
    double ccwSweep = std::fmod(sweep, 2 * M_PI);
    if (ccwSweep < 0) ccwSweep += 2 * M_PI;
    /* LibreOffice draws an arc of a sweep under about one degree as a whole
     * circle (a short arc of a large radius became a line across the whole
     * picture); such an arc is nearly straight, so a polyline serves it in
     * both profiles. */
    bool tiny = !full && ccwSweep < kMinArcSweep;
    if ((profile_ == VyrCgmProfileCompatible && lineType_ != 0) || tiny || Drawn()) {
        VyrPath path;
        VyrFlattenArc(cx, cy, radius, start, full ? start + 2 * M_PI : end, path);
        WritePathStyled(path);
        return 0;
    }
    if (full) WriteEdgeAttributes(profile_ == VyrCgmProfileCompatible);
    params_.Clear();
    params_.Point(cx, cy);
    if (full) {
        params_.Vdc(radius);
        out_.Element(4, 12, params_); /* CIRCLE */
    } else {
        params_.Vdc(static_cast<float>(radius * std::cos(start)));
        params_.Vdc(static_cast<float>(radius * std::sin(start)));
        params_.Vdc(static_cast<float>(radius * std::cos(end)));
        params_.Vdc(static_cast<float>(radius * std::sin(end)));
        params_.Vdc(radius);
        out_.Element(4, 15, params_); /* CIRCULAR ARC CENTRE */
    }
    Flush(false);
    return 0;
}

int VyrPrintCGMGenerator::DrawEllipse(float cx, float cy, float major, float minor, float start, float end,
                                      float rotation, int)
{
    float v[7] = {cx, cy, major, minor, start, end, rotation};
    if (!FiniteAll(v, 7) || !(major > 0) || minor < 0) return -1;
    if (!LineReady()) return -1;
    double sweep = static_cast<double>(end) - start;
    bool full = std::fabs(sweep) >= 2 * M_PI - 1e-6;
    if (profile_ == VyrCgmProfileCompatible || minor == 0 || Drawn()) {
        VyrPath path;
        VyrFlattenEllipse(cx, cy, major, minor, rotation, start, full ? start + 2 * M_PI : end, path);
        WritePathStyled(path);
        return 0;
    }
    double c = std::cos(rotation), s = std::sin(rotation);
    if (std::fabs(s) > 1e-12 || c < 0) {
        /* A turned ellipse as its Bezier chain: LibreOffice refuses a whole
           metafile in which an ELLIPSE or ELLIPTICAL ARC has a first
           conjugate diameter off the x axis. */
        VyrPath chain;
        VyrEllipseBezier(cx, cy, major, minor, rotation, start, full ? start + 2 * M_PI : end, chain);
        WriteCurveChain(chain);
        return 0;
    }
    if (full) WriteEdgeAttributes(false);
    params_.Clear();
    params_.Point(cx, cy);
    params_.Point(static_cast<float>(cx + major * c), static_cast<float>(cy + major * s));
    params_.Point(static_cast<float>(cx - minor * s), static_cast<float>(cy + minor * c));
    if (full) {
        out_.Element(4, 17, params_); /* ELLIPSE */
    } else {
        /* Direction vectors from the centre to the points of the start and
         * end parameters. */
        double ps[2] = {major * std::cos(start), minor * std::sin(start)};
        double pe[2] = {major * std::cos(end), minor * std::sin(end)};
        params_.Vdc(static_cast<float>(ps[0] * c - ps[1] * s));
        params_.Vdc(static_cast<float>(ps[0] * s + ps[1] * c));
        params_.Vdc(static_cast<float>(pe[0] * c - pe[1] * s));
        params_.Vdc(static_cast<float>(pe[0] * s + pe[1] * c));
        out_.Element(4, 18, params_); /* ELLIPTICAL ARC */
    }
    Flush(false);
    return 0;
}

int VyrPrintCGMGenerator::DrawCurve(int count, const float *xy)
{
    if (count < 2 || !xy) return -1;
    VyrPath chain;
    VyrCurveThroughPoints(xy, count, chain);
    if (chain.size() < 4) return -1;
    if (!LineReady()) return -1;
    WriteCurveChain(chain);
    return 0;
}

int VyrPrintCGMGenerator::DrawNurbs(int order, const float *controlXY, int controlCount, const float *knots,
                                    int knotCount, int, float, const float *weights)
{
    VyrNurbsCurve curve;
    if (!curve.Set(order, controlXY, controlCount, knots, knotCount, weights)) return -1;
    if (!LineReady()) return -1;
    if (FloatingReals() && !Drawn()) {
        params_.Clear();
        params_.Int16(order);
        params_.Int16(controlCount);
        for (int i = 0; i < 2 * controlCount; ++i) params_.Float32(controlXY[i]);
        for (int i = 0; i < order + controlCount; ++i) params_.Float32(knots[i]);
        params_.Float32(static_cast<float>(curve.DomainStart()));
        params_.Float32(static_cast<float>(curve.DomainEnd()));
        for (int i = 0; i < controlCount; ++i) params_.Float32(weights ? weights[i] : 1.0f);
        out_.Element(4, 25, params_); /* NON-UNIFORM RATIONAL B-SPLINE */
        Flush(false);
        return 0;
    }
    std::vector<VyrPath> chains;
    curve.ToBezier(1e-6 * std::max(curve.ControlSize(), 1e-9), chains);
    for (const VyrPath &chain : chains) WriteCurveChain(chain);
    return 0;
}

void VyrPrintCGMGenerator::WriteSolidFill(int colour)
{
    WriteAreaStyle(1, 0); /* interior solid, edge invisible */
    if (wFillColour_ != colour) {
        params_.Clear();
        params_.ColourIndex(colour);
        out_.Element(5, 23, params_); /* FILL COLOUR */
        wFillColour_ = colour;
    }
}

int VyrPrintCGMGenerator::DrawPolygon(int count, const float *xy)
{
    if (count < 3 || !xy) return -1;
    if (!FiniteAll(xy, 2 * count)) return -1;
    if (!Begin()) return -1;
    WriteSolidFill(fillColour_);
    params_.Clear();
    params_.Reserve(static_cast<size_t>(count) * 8);
    for (int i = 0; i < 2 * count; ++i) params_.Float32(xy[i]);
    out_.Element(4, 7, params_); /* POLYGON */
    Flush(false);
    return 0;
}

int VyrPrintCGMGenerator::DrawPolygonSet(int loopCount, const int *pointCounts, const float *xy)
{
    if (loopCount <= 0 || !pointCounts || !xy) return -1;
    size_t total = 0;
    for (int i = 0; i < loopCount; ++i) {
        if (pointCounts[i] < 0) return -1;
        total += static_cast<size_t>(pointCounts[i]);
    }
    if (total < 3 || total > static_cast<size_t>(INT_MAX / 2)) return -1;
    if (!FiniteAll(xy, static_cast<int>(2 * total))) return -1;
    if (!Begin()) return -1;
    WriteSolidFill(fillColour_);
    params_.Clear();
    params_.Reserve(total * 10);
    size_t at = 0;
    for (int i = 0; i < loopCount; ++i) {
        const size_t n = static_cast<size_t>(pointCounts[i]);
        for (size_t j = 0; j < n; ++j, ++at) {
            params_.Point(xy[2 * at], xy[2 * at + 1]);
            params_.Enum(j + 1 == n ? 2 : 0); /* close invisible after the last point, else invisible */
        }
    }
    out_.Element(4, 8, params_); /* POLYGON SET */
    Flush(false);
    return 0;
}

int VyrPrintCGMGenerator::DrawSegments(int count, const float *xy)
{
    if (count <= 0 || !xy) return -1;
    if (count > INT_MAX / 4 || !FiniteAll(xy, 4 * count)) return -1;
    if (!LineReady()) return -1;
    if ((profile_ == VyrCgmProfileCompatible && lineType_ != 0) || Drawn()) {
        /* each segment cut into the line type's dashes on its own */
        for (int i = 0; i < count; ++i) {
            const float *s = xy + 4 * static_cast<size_t>(i);
            if (Drawn()) drawnEndValid_ = false;
            WritePathStyled(VyrPath{VyrPt{s[0], s[1]}, VyrPt{s[2], s[3]}});
        }
        return 0;
    }
    for (int first = 0; first < count; first += static_cast<int>(kSegmentsPerElement)) {
        const int n = std::min(count - first, static_cast<int>(kSegmentsPerElement));
        params_.Clear();
        params_.Reserve(static_cast<size_t>(n) * 16);
        for (int i = 4 * first; i < 4 * (first + n); ++i) params_.Float32(xy[i]);
        out_.Element(4, 2, params_); /* DISJOINT POLYLINE */
        Flush(false);
    }
    return 0;
}

/* ---- markers ---------------------------------------------------------- */

void VyrPrintCGMGenerator::WriteMarkerAsLines(double x, double y, int kind)
{
    double r = MMToUnits(kMarkerSizeMM) * 0.5;
    auto line = [this](double x1, double y1, double x2, double y2) {
        WritePolyline(VyrPath{VyrPt{x1, y1}, VyrPt{x2, y2}});
    };
    auto circle = [this](double cx, double cy, double radius) {
        WriteEdgeAttributes(true);
        params_.Clear();
        params_.Point(static_cast<float>(cx), static_cast<float>(cy));
        params_.Vdc(static_cast<float>(radius));
        out_.Element(4, 12, params_); /* CIRCLE */
    };
    double d = r * std::sqrt(0.5);
    switch (kind) {
    case 0:
        line(x - d, y - d, x + d, y + d);
        line(x - d, y + d, x + d, y - d);
        break;
    case 1:
        line(x - r, y, x + r, y);
        line(x, y - r, x, y + r);
        break;
    case 2:
        circle(x, y, r);
        circle(x, y, r / 8);
        break;
    case 3:
        line(x - r, y, x + r, y);
        line(x, y - r, x, y + r);
        line(x - d, y - d, x + d, y + d);
        line(x - d, y + d, x + d, y - d);
        break;
    case 4: circle(x, y, r); break;
    default: circle(x, y, r / 8); break;
    }
}

int VyrPrintCGMGenerator::DrawMarker(float x, float y, int kind, int)
{
    if (!Finite(x) || !Finite(y)) return -1;
    if (!Begin()) return -1;
    if (profile_ == VyrCgmProfileCompatible) {
        WriteLineAttributes(true);
        WriteMarkerAsLines(x, y, kind);
        Flush(false);
        return 0;
    }
    if (wMarkerColour_ != colour_) {
        params_.Clear();
        params_.ColourIndex(colour_);
        out_.Element(5, 8, params_); /* MARKER COLOUR */
        wMarkerColour_ = colour_;
    }
    double size = MMToUnits(kMarkerSizeMM);
    if (wMarkerSize_ != size) {
        params_.Clear();
        params_.Vdc(static_cast<float>(size));
        out_.Element(5, 7, params_); /* MARKER SIZE */
        wMarkerSize_ = size;
    }
    /* CGM marker types: 1 dot, 2 plus, 3 asterisk, 4 circle, 5 cross. */
    int types[2] = {1, 0};
    switch (kind) {
    case 0: types[0] = 5; break;
    case 1: types[0] = 2; break;
    case 2:
        types[0] = 4;
        types[1] = 1;
        break;
    case 3: types[0] = 3; break;
    case 4: types[0] = 4; break;
    default: types[0] = 1; break;
    }
    for (int t : types) {
        if (!t) continue;
        if (wMarkerType_ != t) {
            params_.Clear();
            params_.Index(t);
            out_.Element(5, 6, params_); /* MARKER TYPE */
            wMarkerType_ = t;
        }
        params_.Clear();
        params_.Point(x, y);
        out_.Element(4, 3, params_); /* POLYMARKER */
    }
    Flush(false);
    return 0;
}

/* ---- text -------------------------------------------------------------- */

const VyrFontMetrics &VyrPrintCGMGenerator::TextMetrics() const
{
    return VyrFont::sGetCoreMetrics(TextFontIndex() - 1);
}

int VyrPrintCGMGenerator::TextFontIndex() const
{
    if (textFont_) return textFont_->GetCoreIndex(textBold_, false) + 1;
    VyrFont *f = VyrFont::sGetFont(textFontSelector_ == 15 ? "Symbol" : "Helvetica", 0);
    assert(f);
    return f->GetCoreIndex(textBold_, false) + 1;
}

int VyrPrintCGMGenerator::DrawText(float x, float y, const VyrUnicodeString &text)
{
    if (!Finite(x) || !Finite(y)) return -1;
    if (text.IsEmpty()) return 0;
    if (!Begin()) return -1;

    /* Lines of the text, split at line feeds (a CR before one is dropped).
     * A diameter sign in a text that otherwise fits ISO 8859-1 becomes the
     * letter O with stroke, so the text stays in the character set every
     * viewer reads. */
    const int n = text.GetLengthInChar();
    const unsigned short *units = text.GetBuffer();
    bool oslash = true, diameter = false, feed = false;
    for (int i = 0; i < n; ++i) {
        const unsigned short c = units[i];
        if (c == 0x2300)
            diameter = true;
        else if (c > 0xFF)
            oslash = false;
        else if (c == '\n')
            feed = true;
    }
    /* Most texts are one line to be drawn as they are. */
    std::vector<VyrUnicodeString> split;
    const VyrUnicodeString *lines = &text;
    size_t lineCount = 1;
    if (feed || (oslash && diameter)) {
        split.resize(1);
        for (int i = 0; i < n; ++i) {
            unsigned short c = units[i];
            if (oslash && c == 0x2300) c = 0xD8;
            if (c == '\n') {
                split.emplace_back();
            } else if (c == '\r' && i + 1 < n && units[i + 1] == '\n') {
                continue;
            } else {
                split.back().Append(VyrUnicodeChar(c));
            }
        }
        lines = split.data();
        lineCount = split.size();
    }

    const VyrFontMetrics &m = TextMetrics();
    double h = textHeight_ > 0 ? textHeight_ : MMToUnits(kDefaultTextHeightMM);
    double unit = h / m.capHeight; /* picture units per 1/1000 em */
    double width = textWidth_ > 0 ? textWidth_ : 1.0;
    int code = (textAlign_ >= 28 && textAlign_ <= 39) ? textAlign_ - 28 : 1;
    int horizontal = code / 4, vertical = code % 4;
    double spacing = kLineSpacing * h * lineSpacing_;
    double block = h + spacing * static_cast<double>(lineCount - 1);
    /* Baseline of the first line relative to the anchor. */
    double firstBaseline;
    switch (vertical) {
    case 0: firstBaseline = -m.descender * unit + block - h; break;
    case 2: firstBaseline = block * 0.5 - h; break;
    case 3: firstBaseline = -h; break;
    default: firstBaseline = block - h; break;
    }
    bool compat = profile_ == VyrCgmProfileCompatible;
    /* The compatibility profile draws the glyphs' outlines where it can:
     * placed, turned, slanted and stretched as the standard profile's text.
     * So does the standard profile for a turned text: LibreOffice refuses a
     * whole metafile in which a CHARACTER ORIENTATION has its base vector
     * anywhere but along the positive x axis. */
    bool outlines =
        (compat || (Turned() && turnedTextOutlines_)) && VyrGlyphOutlines::sAvailable(TextFontIndex() - 1);
    double angle = compat && !outlines ? 0.0 : textRotation_ * M_PI / 180.0;
    double c = std::cos(angle), s = std::sin(angle);
    if (compat && !outlines) width = 1.0;
    double em = 1000.0 * unit;
    int result = 0;
    for (size_t k = 0; k < lineCount; ++k) {
        double advance = VyrFont::sGetStringAdvance(m, lines[k]) * unit * width;
        double dx = horizontal == 1 ? -advance * 0.5 : horizontal == 2 ? -advance : 0.0;
        double dy = firstBaseline - spacing * static_cast<double>(k);
        if (lines[k].IsEmpty()) continue;
        double sx = x + dx * c - dy * s, sy = y + dx * s + dy * c;
        int rc;
        if (outlines)
            rc = WriteTextOutlines(sx, sy, unit, width, angle, lines[k]);
        else if (compat)
            rc = WriteTextLine(sx + advance * 0.5,
                               sy + kCompatBaselineEm * em + kCompatPaddingPerWidth * vdcWidth_,
                               em / kCompatEmPerHeight, lines[k]);
        else
            rc = WriteTextLine(sx, sy, h, lines[k]);
        if (rc != 0) result = -1;
    }
    Flush(false);
    return result;
}

bool VyrPrintCGMGenerator::Turned() const { return std::fmod(textRotation_, 360.0) != 0.0; }

int VyrPrintCGMGenerator::WriteTextOutlines(double x, double y, double unit, double width, double angle,
                                            const VyrUnicodeString &text)
{
    const int core = TextFontIndex() - 1;
    const VyrFontMetrics &m = TextMetrics();
    const double shear = std::tan(textSlant_ * M_PI / 180.0);
    const double c = std::cos(angle) * unit, s = std::sin(angle) * unit;
    VyrCgmParams &p = params_;
    /* The coarsest level of detail whose deviation (about 2/1000 em at
     * level 0, halved pieces and four times the deviation at each further
     * level) stays under 1/10,000 of the picture's width: small texts on a
     * large picture need far fewer points than their glyphs' full shape. */
    int detail = 0;
    while (detail + 1 < VyrGlyphOutlines::kDetailLevels &&
           2.0 * unit * static_cast<double>(1 << (2 * (detail + 1))) <= vdcWidth_ * 1e-4)
        ++detail;
    double pen = 0.0; /* 1/1000 em along the baseline */
    const short *latin = VyrFont::sGetLatinAdvances(m);
    const int n = text.GetLengthInChar();
    const unsigned short *units = text.GetBuffer();
    for (int i = 0; i < n; ++i) {
        unsigned int code = units[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < n && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (units[i + 1] - 0xDC00u);
            ++i;
        }
        const VyrGlyph *glyph = VyrGlyphOutlines::sGetGlyph(core, code, detail);
        if (glyph && !glyph->contours.empty()) {
            WriteSolidFill(colour_);
            p.Clear();
            for (const std::vector<float> &contour : glyph->contours) {
                const size_t points = contour.size() / 2;
                for (size_t j = 0; j < points; ++j) {
                    const double gx = contour[2 * j], gy = contour[2 * j + 1];
                    const double lx = (pen + gx) * width + gy * shear;
                    p.PointAndEnum(static_cast<float>(x + lx * c - gy * s),
                                   static_cast<float>(y + lx * s + gy * c),
                                   j + 1 == points ? 2 : 0); /* close invisible / invisible */
                }
            }
            out_.Element(4, 8, p); /* POLYGON SET */
        }
        pen += code < 256 && latin
                   ? latin[code]
                   : VyrFont::sGetAdvance(m, static_cast<unsigned short>(code > 0xFFFF ? 0xFFFD : code));
    }
    return 0;
}

int VyrPrintCGMGenerator::WriteTextLine(double x, double y, double h, const VyrUnicodeString &text)
{
    bool compat = profile_ == VyrCgmProfileCompatible;
    VyrCgmParams &p = params_;
    if (!wTextSetUp_) {
        p.Clear();
        p.Enum(2);
        out_.Element(5, 11, p); /* TEXT PRECISION stroke */
        p.Clear();
        p.Enum(0);
        p.Enum(0);
        Real(p, 0.0);
        Real(p, 0.0);
        out_.Element(5, 18, p); /* TEXT ALIGNMENT normal */
        p.Clear();
        p.Index(2);
        out_.Element(5, 20, p); /* ALTERNATE CHARACTER SET INDEX */
        wTextSetUp_ = true;
    }
    if (wTextColour_ != colour_) {
        p.Clear();
        p.ColourIndex(colour_);
        out_.Element(5, 14, p); /* TEXT COLOUR */
        wTextColour_ = colour_;
    }
    int font = TextFontIndex();
    if (wFont_ != font) {
        p.Clear();
        p.Index(font);
        out_.Element(5, 10, p); /* TEXT FONT INDEX */
        wFont_ = font;
    }
    if (wCharHeight_ != h) {
        p.Clear();
        p.Vdc(static_cast<float>(h));
        out_.Element(5, 15, p); /* CHARACTER HEIGHT */
        wCharHeight_ = h;
    }
    if (!compat) {
        double a = Turned() ? textRotation_ * M_PI / 180.0 : 0.0;
        double ca = std::cos(a), sa = std::sin(a);
        double shear = std::tan(textSlant_ * M_PI / 180.0);
        /* up = R(a) (shear, 1), base = R(a) (1, 0), both of length ~h */
        double o[4] = {(shear * ca - sa) * h, (shear * sa + ca) * h, ca * h, sa * h};
        bool plain = a == 0 && textSlant_ == 0;
        double norm[4] = {0, 1, 1, 0};
        const double *want = plain ? norm : o;
        if (!std::equal(want, want + 4, wOrient_)) {
            p.Clear();
            for (int i = 0; i < 4; ++i) p.Vdc(static_cast<float>(want[i]));
            out_.Element(5, 16, p); /* CHARACTER ORIENTATION */
            std::copy(want, want + 4, wOrient_);
        }
    }
    double expansion = textWidth_ > 0 && !compat ? textWidth_ : 1.0;
    if (wExpansion_ != expansion) {
        p.Clear();
        Real(p, expansion);
        out_.Element(5, 12, p); /* CHARACTER EXPANSION FACTOR */
        wExpansion_ = expansion;
    }

    std::string &bytes = textBytes_;
    int charset;
    if (text.IsLatin1()) {
        charset = 1;
        const int n = text.GetLengthInChar();
        const unsigned short *units = text.GetBuffer();
        bytes.resize(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            unsigned short u = units[i];
            /* Control characters have no glyph: a space keeps the place. */
            if (u < 0x20 || (u >= 0x7F && u < 0xA0)) u = ' ';
            bytes[static_cast<size_t>(i)] = static_cast<char>(u);
        }
    } else {
        charset = 3;
        bytes = text.ToUtf8();
    }
    if (wCharSet_ != charset) {
        p.Clear();
        p.Index(charset);
        out_.Element(5, 19, p); /* CHARACTER SET INDEX */
        wCharSet_ = charset;
    }
    p.Clear();
    p.Reserve(bytes.size() + 16);
    p.Point(static_cast<float>(x), static_cast<float>(y));
    p.Enum(1); /* final */
    p.String(bytes.data(), bytes.size());
    out_.Element(4, 4, p); /* TEXT */
    return 0;
}
