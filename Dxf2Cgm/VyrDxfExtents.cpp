/* The extents of a picture (see the header). */
#include "Dxf2Cgm/VyrDxfExtents.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/base/VyrUnicodeString.h"
#include "platform/font/VyrFont.h"
#include "platform/print/VyrCurveGeometry.h"

namespace {

/* What the CGM generator draws when nothing else is asked, in picture
 * units of one millimetre: the text height and the marker size. */
const double kDefaultTextHeight = 2.5;
const double kMarkerSize = 2.5;
/* Line spacing of a text of several lines, in heights of capitals. */
const double kLineSpacing = 5.0 / 3.0;

/* The sweep from start to end anticlockwise, a full turn when they are a
 * full turn or more apart. */
double Sweep(double start, double end)
{
    const double sweep = end - start;
    if (std::fabs(sweep) >= 2 * M_PI - 1e-6) return 2 * M_PI;
    double ccw = std::fmod(sweep, 2 * M_PI);
    if (ccw < 0) ccw += 2 * M_PI;
    return ccw;
}

} // namespace

void VyrDxfExtents::Add(double x, double y)
{
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    if (empty_) {
        minX_ = maxX_ = x;
        minY_ = maxY_ = y;
        empty_ = false;
        return;
    }
    minX_ = std::min(minX_, x);
    maxX_ = std::max(maxX_, x);
    minY_ = std::min(minY_, y);
    maxY_ = std::max(maxY_, y);
}

void VyrDxfExtents::AddPoints(int count, const float *xy)
{
    if (!xy) return;
    for (int i = 0; i < count; ++i) Add(xy[2 * i], xy[2 * i + 1]);
}

void VyrDxfExtents::AddArc(double cx, double cy, double a, double b, double rotation, double start,
                           double end)
{
    const double c = std::cos(rotation), s = std::sin(rotation);
    auto add = [&](double t) {
        const double u = a * std::cos(t), v = b * std::sin(t);
        Add(cx + u * c - v * s, cy + u * s + v * c);
    };
    const double sweep = Sweep(start, end);
    add(start);
    add(start + sweep);
    /* The parameters where x and where y are extreme, and the opposite
     * ones, wherever they fall within the sweep. */
    const double extremes[2] = {std::atan2(-b * s, a * c), std::atan2(b * c, a * s)};
    for (double t0 : extremes) {
        for (int k = 0; k < 2; ++k) {
            double t = t0 + k * M_PI - start;
            t = std::fmod(t, 2 * M_PI);
            if (t < 0) t += 2 * M_PI;
            if (t <= sweep) add(start + t);
        }
    }
}

int VyrDxfExtents::DrawLine(float x1, float y1, float x2, float y2)
{
    Add(x1, y1);
    Add(x2, y2);
    return 0;
}

int VyrDxfExtents::DrawPolyline(int count, const float *xy)
{
    if (count < 2 || !xy) return -1;
    AddPoints(count, xy);
    return 0;
}

int VyrDxfExtents::DrawPolygon(int count, const float *xy)
{
    if (count < 3 || !xy) return -1;
    AddPoints(count, xy);
    return 0;
}

int VyrDxfExtents::DrawArc(float cx, float cy, float radius, float start, float end, int)
{
    if (!(radius > 0)) return -1;
    AddArc(cx, cy, radius, radius, 0.0, start, end);
    return 0;
}

int VyrDxfExtents::DrawEllipse(float cx, float cy, float major, float minor, float start, float end,
                               float rotation, int)
{
    if (!(major > 0) || minor < 0) return -1;
    AddArc(cx, cy, major, minor, rotation, start, end);
    return 0;
}

int VyrDxfExtents::DrawCurve(int count, const float *xy)
{
    if (count < 2 || !xy) return -1;
    VyrPath chain;
    VyrCurveThroughPoints(xy, count, chain);
    for (const VyrPt &p : chain) Add(p.x, p.y);
    return 0;
}

int VyrDxfExtents::DrawNurbs(int, const float *controlXY, int controlCount, const float *, int, int, float,
                             const float *)
{
    if (controlCount < 2 || !controlXY) return -1;
    AddPoints(controlCount, controlXY);
    return 0;
}

int VyrDxfExtents::DrawMarker(float x, float y, int, int)
{
    Add(x - kMarkerSize / 2, y - kMarkerSize / 2);
    Add(x + kMarkerSize / 2, y + kMarkerSize / 2);
    return 0;
}

int VyrDxfExtents::SetTextParameter(int parameter, float value)
{
    if (!std::isfinite(value)) return -1;
    switch (parameter) {
    case 2: textHeight_ = value; break;
    case 4: textBold_ = value == 26; break;
    case 6: textRotation_ = value; break;
    case 7: textAlign_ = static_cast<int>(value); break;
    case 9: textWidth_ = value; break;
    default: break;
    }
    return 0;
}

int VyrDxfExtents::SetTextFont(int, VyrFont *font)
{
    textFont_ = font;
    return 0;
}

int VyrDxfExtents::DrawText(float x, float y, const VyrUnicodeString &text)
{
    if (text.IsEmpty()) return 0;
    /* A text of one line, the common case, is measured as it is. */
    std::vector<VyrUnicodeString> lines;
    const int n = text.GetLengthInChar();
    bool breaks = false;
    for (int i = 0; i < n && !breaks; ++i) {
        const unsigned short c = text.GetAt(i);
        breaks = c == '\n' || c == '\r';
    }
    if (breaks) {
        lines.emplace_back();
        for (int i = 0; i < n; ++i) {
            const unsigned short c = text.GetAt(i);
            if (c == '\n')
                lines.emplace_back();
            else if (c != '\r')
                lines.back().Append(VyrUnicodeChar(c));
        }
    }
    const size_t lineCount = breaks ? lines.size() : 1;
    VyrFont *font = textFont_ ? textFont_ : VyrFont::sGetFont("Helvetica", 0);
    if (!font) return -1;
    const VyrFontMetrics &m = font->GetMetrics(textBold_, false);
    const double h = textHeight_ > 0 ? textHeight_ : kDefaultTextHeight;
    const double unit = m.capHeight > 0 ? h / m.capHeight : h / 700.0;
    const double width = textWidth_ > 0 ? textWidth_ : 1.0;
    double advance = 0;
    if (!breaks) advance = std::max(advance, VyrFont::sGetStringAdvance(m, text) * unit * width);
    for (const VyrUnicodeString &line : lines)
        advance = std::max(advance, VyrFont::sGetStringAdvance(m, line) * unit * width);
    const int code = (textAlign_ >= 28 && textAlign_ <= 39) ? textAlign_ - 28 : 1;
    const int horizontal = code / 4;
    const double left = horizontal == 1 ? -advance / 2 : horizontal == 2 ? -advance : 0.0;
    /* Whatever the vertical alignment, the lines lie within one block
     * height (and a capital height) above or below the anchor. */
    const double block = h + kLineSpacing * h * static_cast<double>(lineCount - 1) - m.descender * unit;
    const double a = textRotation_ * M_PI / 180.0, c = std::cos(a), s = std::sin(a);
    const double corners[4][2] = {{left - h, -block - h},
                                  {left + advance + h, -block - h},
                                  {left - h, block + h},
                                  {left + advance + h, block + h}};
    for (const auto &p : corners) Add(x + p[0] * c - p[1] * s, y + p[0] * s + p[1] * c);
    return 0;
}
