/* The CGM generator's test card (see the header). The page is laid out in
 * blocks: lines and polylines, arcs and circles, elliptical arcs, curves and
 * B-splines with their control polygons, markers, text parameters, text
 * alignment, line types and widths, and the colour table. */
#include "tools/testcard/CgmTestCard.h"

#include "platform/base/VyrUnicodeString.h"
#include "platform/font/VyrFont.h"
#include "platform/print/VyrPrintGenerator.h"
#include "platform/print/VyrPrintParameters.h"
#include "platform/print/VyrPrintStream.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

class Card {
public:
    explicit Card(VyrPrintGenerator &g) : g_(g) {}
    int failures = 0;

    void Check(int rc) { failures += rc != 0; }
    void Colour(int c) { Check(g_.SetColor(c)); }
    void Width(float mm) { Check(g_.SetLineWidth(mm)); }
    void Type(int t) { Check(g_.SetLineType(t, 0, 0)); }
    void Line(double x1, double y1, double x2, double y2) { Check(g_.DrawLine(F(x1), F(y1), F(x2), F(y2))); }
    void Poly(const std::vector<float> &xy)
    {
        Check(g_.DrawPolyline(static_cast<int>(xy.size() / 2), xy.data()));
    }
    void Cross(double x, double y, double r)
    {
        Line(x - r, y, x + r, y);
        Line(x, y - r, x, y + r);
    }
    /* A text in Helvetica with everything else plain unless given. */
    void Text(double x, double y, const char *s, double height, int align = 29, double rotation = 0,
              double width = 1, double slant = 0, int decoration = 25)
    {
        Check(g_.SetTextFont(0, VyrFont::sGetFont("SwissCL.pfb", 0)));
        Check(g_.SetTextParameter(6, F(rotation)));
        Check(g_.SetTextParameter(2, F(height)));
        Check(g_.SetTextParameter(9, F(width)));
        Check(g_.SetTextParameter(7, static_cast<float>(align)));
        Check(g_.SetTextParameter(4, static_cast<float>(decoration)));
        Check(g_.SetTextParameter(5, F(slant)));
        Check(g_.SetTextParameter(8, 0.0f));
        Check(g_.SetTextParameter(10, -10000.0f));
        Check(g_.DrawText(F(x), F(y), VyrUnicodeString::FromUtf8(s)));
    }
    VyrPrintGenerator &g_;

private:
    static float F(double v) { return static_cast<float>(v); }
};

void Title(Card &c, double x, double y, const char *s)
{
    c.Colour(7);
    c.Text(x, y, s, 3.0);
}

void LinesBlock(Card &c)
{
    Title(c, 10, 272, "lines, polylines");
    c.Width(0.35f);
    for (int k = 0; k <= 9; ++k) {
        c.Colour(1 + k % 6);
        double a = k * 10.0 * M_PI / 180.0;
        c.Line(15, 205, 15 + 55 * std::cos(a), 205 + 55 * std::sin(a));
    }
    c.Colour(5);
    std::vector<float> zig;
    for (int k = 0; k < 8; ++k) {
        zig.push_back(static_cast<float>(75 + k * 3.5));
        zig.push_back(static_cast<float>(k % 2 ? 260 : 240));
    }
    c.Poly(zig);
    c.Colour(3);
    c.Poly({75, 205, 100, 205, 100, 230, 75, 230, 75, 205});
}

void ArcsBlock(Card &c)
{
    Title(c, 115, 272, "arcs, circles");
    c.Width(0.35f);
    c.Colour(7);
    c.Check(c.g_.DrawArc(135, 235, 22, 0, static_cast<float>(2 * M_PI), 0));
    c.Colour(1);
    c.Check(c.g_.DrawArc(180, 235, 18, 0, static_cast<float>(M_PI / 2), 0));
    c.Colour(3);
    c.Check(c.g_.DrawArc(180, 235, 13, static_cast<float>(M_PI / 2), static_cast<float>(1.5 * M_PI), 0));
    c.Colour(5);
    c.Check(c.g_.DrawArc(180, 235, 8, static_cast<float>(-M_PI / 4), static_cast<float>(M_PI / 4), 0));
    c.Colour(6);
    c.Check(c.g_.DrawArc(135, 235, 12, static_cast<float>(5.5), static_cast<float>(0.8), 0));
}

void EllipsesBlock(Card &c)
{
    Title(c, 215, 272, "elliptical arcs at 0, 30, 60, 90, 135 degrees; full ellipses");
    c.Width(0.35f);
    const double rot[5] = {0, 30, 60, 90, 135};
    for (int k = 0; k < 5; ++k) {
        double cx = 235 + 40 * k, cy = 235;
        double r = rot[k] * M_PI / 180.0;
        c.Colour(8);
        c.Check(c.g_.DrawEllipse(static_cast<float>(cx), static_cast<float>(cy), 17, 9, 0,
                                 static_cast<float>(2 * M_PI), static_cast<float>(r), 0));
        c.Colour(1 + k);
        c.Check(c.g_.DrawEllipse(static_cast<float>(cx), static_cast<float>(cy), 13, 6, 0.3f, 5.0f,
                                 static_cast<float>(r), 0));
        /* the major axis direction, to judge the rotation */
        c.Colour(8);
        c.Line(cx, cy, cx + 17 * std::cos(r), cy + 17 * std::sin(r));
    }
}

void CurvesBlock(Card &c)
{
    Title(c, 10, 187, "smooth curve through points, cubic B-spline, rational circle");
    /* a smooth curve through 9 points, the points marked */
    std::vector<float> pts;
    for (int k = 0; k < 9; ++k) {
        pts.push_back(static_cast<float>(15 + k * 8));
        pts.push_back(static_cast<float>(160 + 15 * std::sin(k * 0.9)));
    }
    c.Width(0.35f);
    c.Colour(5);
    c.Check(c.g_.DrawCurve(9, pts.data()));
    c.Colour(1);
    for (int k = 0; k < 9; ++k) c.Check(c.g_.DrawMarker(pts[2 * k], pts[2 * k + 1], 8, 0));

    /* a clamped cubic B-spline and its control polygon */
    const float ctrl[] = {95, 140, 100, 175, 115, 180, 125, 145, 140, 145, 150, 178, 158, 165};
    const float knots[] = {0, 0, 0, 0, 1, 2, 3, 4, 4, 4, 4};
    const float ones[] = {1, 1, 1, 1, 1, 1, 1};
    c.Colour(9);
    c.Width(0.13f);
    c.Poly(std::vector<float>(ctrl, ctrl + 14));
    c.Colour(3);
    c.Width(0.35f);
    c.Check(c.g_.DrawNurbs(4, ctrl, 7, knots, 11, 0, 1000.0f, ones));

    /* a full circle as a rational quadratic B-spline of 9 control points */
    const double cx = 182, cy = 160, r = 16;
    std::vector<float> cc;
    const double corners[9][2] = {{1, 0},   {1, 1},  {0, 1},  {-1, 1}, {-1, 0},
                                  {-1, -1}, {0, -1}, {1, -1}, {1, 0}};
    for (const auto &p : corners) {
        cc.push_back(static_cast<float>(cx + r * p[0]));
        cc.push_back(static_cast<float>(cy + r * p[1]));
    }
    const float h = static_cast<float>(std::sqrt(0.5));
    const float w[9] = {1, h, 1, h, 1, h, 1, h, 1};
    const float ck[12] = {0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 4};
    c.Colour(9);
    c.Width(0.13f);
    c.Poly(cc);
    c.Colour(6);
    c.Width(0.35f);
    c.Check(c.g_.DrawNurbs(3, cc.data(), 9, ck, 12, 0, 1000.0f, w));
}

void MarkersBlock(Card &c)
{
    Title(c, 215, 187, "markers: kinds 0, 1, 2, 3, 4, 8");
    const int kinds[6] = {0, 1, 2, 3, 4, 8};
    for (int k = 0; k < 6; ++k) {
        double x = 225 + 30 * k;
        c.Colour(1 + k);
        c.Width(0.13f);
        c.Check(c.g_.DrawMarker(static_cast<float>(x), 170, kinds[k], 0));
        c.Colour(7);
        char label[8];
        std::snprintf(label, sizeof label, "%d", kinds[k]);
        c.Text(x, 160, label, 2.5, 33);
    }
    c.Colour(4);
    for (int k = 0; k < 20; ++k) c.Check(c.g_.DrawMarker(static_cast<float>(225 + 9 * k), 145, 1, 0));
}

void TextBlock(Card &c)
{
    Title(c, 10, 122, "text: rotation, height, width factor, slant, bold, colour, Latin-1");
    c.Colour(7);
    c.Text(15, 110, "Rotation 0", 4, 29, 0);
    c.Colour(1);
    c.Text(70, 95, "Rotation 30", 4, 29, 30);
    c.Colour(3);
    c.Text(125, 80, "Rotation 90", 4, 29, 90);
    c.Colour(5);
    c.Text(150, 110, "Rotation -45", 4, 29, -45);
    c.Colour(7);
    c.Text(15, 95, "Height 2", 2);
    c.Text(15, 88, "Height 4", 4);
    c.Text(15, 78, "Height 8", 8);
    c.Colour(6);
    c.Text(15, 68, "Width 0.5", 4, 29, 0, 0.5);
    c.Text(45, 68, "Width 2", 4, 29, 0, 2.0);
    c.Colour(2 + 10 * 3);
    c.Text(15, 60, "Slant 15", 4, 29, 0, 1, 15);
    c.Text(60, 60, "Slant -15", 4, 29, 0, 1, -15);
    c.Colour(7);
    c.Text(105, 60, "Bold", 4, 29, 0, 1, 0, 26);
    c.Colour(174);
    c.Text(140, 68, "\xC3\x84pfel \xC3\xA9t\xC3\xA9 \xC3\x9F \xC2\xB1 \xC2\xB0", 4);
}

void AlignmentBlock(Card &c)
{
    Title(c, 215, 122, "alignment codes 28 to 39 (cross = insertion point)");
    for (int code = 28; code <= 39; ++code) {
        int hcode = (code - 28) / 4, vcode = (code - 28) % 4;
        double x = 240 + hcode * 62, y = 68 + vcode * 13;
        c.Colour(1);
        c.Width(0.13f);
        c.Cross(x, y, 2);
        c.Colour(7);
        char label[16];
        std::snprintf(label, sizeof label, "Agy %d", code);
        c.Text(x, y, label, 4, code);
    }
}

void LineStylesBlock(Card &c)
{
    Title(c, 10, 50, "line types 0 to 6; widths 0.13, 0.35, 0.7, 1.0, 1.4, 2.0 mm");
    c.Colour(7);
    c.Width(0.35f);
    for (int t = 0; t <= 6; ++t) {
        c.Type(t);
        double y = 44 - 5.5 * t;
        c.Line(15, y, 95, y);
        c.Check(c.g_.DrawArc(102, static_cast<float>(y), 2.5f, 0, static_cast<float>(M_PI), 0));
    }
    c.Type(0);
    const float widths[6] = {0.13f, 0.35f, 0.7f, 1.0f, 1.4f, 2.0f};
    for (int k = 0; k < 6; ++k) {
        c.Width(widths[k]);
        double y = 44 - 7 * k;
        c.Line(115, y, 195, y);
    }
}

void ColourBlock(Card &c)
{
    Title(c, 215, 50, "colour table, indices 1 to 255");
    c.Width(2.0f);
    c.Type(0);
    for (int i = 1; i <= 255; ++i) {
        int col = (i - 1) % 17, row = (i - 1) / 17;
        double x = 217 + col * 11.5, y = 44 - row * 2.8;
        c.Colour(i);
        c.Line(x, y, x + 9, y);
    }
}

} // namespace

void VyrTestCardColour(int index, float rgb[3])
{
    static const float basic[10][3] = {{0, 0, 0},
                                       {1, 0, 0},
                                       {1, 1, 0},
                                       {0, 1, 0},
                                       {0, 1, 1},
                                       {0, 0, 1},
                                       {1, 0, 1},
                                       {0, 0, 0},
                                       {0.53f, 0.53f, 0.53f},
                                       {0.73f, 0.73f, 0.73f}};
    if (index >= 1 && index <= 9) {
        for (int k = 0; k < 3; ++k) rgb[k] = basic[index][k];
        return;
    }
    if (index >= 250) {
        float v = 0.33f + 0.134f * static_cast<float>(index - 250);
        rgb[0] = rgb[1] = rgb[2] = v > 1 ? 1 : v;
        return;
    }
    /* 24 hues in steps of 15 degrees, each in ten shades */
    int i = index - 10;
    double hue = (i / 10) * 15.0;
    int shade = i % 10;
    double value = 1.0 - 0.17 * (shade / 2), sat = (shade % 2) ? 0.5 : 1.0;
    double hh = std::fmod(hue / 60.0, 6.0);
    double f = hh - std::floor(hh);
    double p = value * (1 - sat), q = value * (1 - sat * f), t = value * (1 - sat * (1 - f));
    double r, g, b;
    switch (static_cast<int>(hh)) {
    case 0:
        r = value;
        g = t;
        b = p;
        break;
    case 1:
        r = q;
        g = value;
        b = p;
        break;
    case 2:
        r = p;
        g = value;
        b = t;
        break;
    case 3:
        r = p;
        g = q;
        b = value;
        break;
    case 4:
        r = t;
        g = p;
        b = value;
        break;
    default:
        r = value;
        g = p;
        b = q;
        break;
    }
    rgb[0] = static_cast<float>(r);
    rgb[1] = static_cast<float>(g);
    rgb[2] = static_cast<float>(b);
}

int VyrDrawTestCard(VyrPrintGenerator &generator)
{
    Card c(generator);
    c.Check(generator.SetExtent(420, 297));
    VyrPrintParameters parameters;
    parameters.SetScale(1.0f);
    parameters.SetMargins(0, 0, 0, 0);
    parameters.SetPosition(210, 148.5f);
    parameters.GetCurrentForm()->SetSize(420, 297, VyrPrintUnitMillimetre);
    c.Check(generator.SetParameters(parameters));
    c.Check(generator.SetViewport(0, 0, 420, 297));
    c.Check(generator.SetOrigin(0, 0));
    for (int i = 1; i <= 255; ++i) {
        float rgb[3];
        VyrTestCardColour(i, rgb);
        c.Check(generator.DefineColor(i, rgb[0], rgb[1], rgb[2]));
    }
    c.Check(generator.SetLineWidth(0.13f));
    c.Check(generator.SetLineType(0, 0, 0));
    c.Check(generator.SetColor(7));
    c.Check(generator.SetFillColor(7));

    c.Colour(7);
    c.Text(10, 285, "libVyrDxf2Cgm CGM generator test card", 6);
    c.Width(0.13f);
    c.Colour(8);
    std::vector<float> frame = {2, 2, 418, 2, 418, 295, 2, 295, 2, 2};
    c.Poly(frame);
    LinesBlock(c);
    ArcsBlock(c);
    EllipsesBlock(c);
    CurvesBlock(c);
    MarkersBlock(c);
    TextBlock(c);
    AlignmentBlock(c);
    LineStylesBlock(c);
    ColourBlock(c);
    c.Check(generator.EndPicture());
    return c.failures;
}

int VyrWriteTestCardFile(const char *path, VyrCgmProfile profile, int version)
{
    if (!path || !*path) return -1;
    VyrPrintStream stream(VyrUnicodeString(path), "CGM", "V3");
    VyrPrintCGMGenerator *g = VyrPrintCGMGenerator::sCreate();
    if (!g) return -1;
    g->SetProfile(profile);
    if (version) g->SetMetafileVersion(version);
    g->SetPictureName("test card");
    g->SetStream(&stream);
    if (stream.OpenWrite() != 0) {
        g->Release();
        return -1;
    }
    int failures = VyrDrawTestCard(*g);
    bool writeError = g->HasWriteError();
    g->Release();
    stream.Close();
    bool good = !stream.GetOutputStream().fail();
    return (failures == 0 && !writeError && good) ? 0 : -1;
}
