/* Single-line texts, and the steps all text elements share.
 *
 * Placement: the anchor is the alignment point when the text is aligned
 * other than left on its baseline, else the insertion point. Writers store
 * the start point they computed as the insertion point, so texts aligned
 * between two points (aligned 3, fit 5) and "middle" texts (4) start at the
 * insertion point; aligned and fit texts get the width of their two points,
 * aligned ones by their height, fit ones by their width factor. */
#include "Dxf2Cgm/VyrDxfText.h"

#include <cmath>
#include <cstring>

#include "Dxf2Cgm/VyrDxf2Cgm.h"
#include "Dxf2Cgm/VyrDxfEntityLock.h"
#include "Dxf2Cgm/VyrDxfOcs.h"
#include "Dxf2Cgm/VyrDxfTextStyle.h"
#include "Dxf2Cgm/VyrDxfUCConverter.h"
#include "platform/base/VyrRawCollint.h"
#include "platform/font/VyrFont.h"
#include "platform/math/VyrMathTransformation2D.h"
#include "platform/print/VyrPrintGenerator.h"

namespace {

const double kDegree = M_PI / 180.0;

bool Finite(double v) { return std::isfinite(v); }

} // namespace

VyrDxfText::VyrDxfText(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block)
    : VyrDxfEntity(entity, layer, block)
{
    kind = VyrDxfKindText;
    VyrDxfEntityLock lock(entity);
    const dxf_text *rec = lock.As<dxf_text>(306);
    if (!rec) return;
    insertX = rec->xyzloc[0];
    insertY = rec->xyzloc[1];
    alignX = rec->xyzaln[0];
    alignY = rec->xyzaln[1];
    height = rec->height;
    rotation = rec->rang;
    widthFactor = rec->xscale;
    oblique = rec->oang;
    horizontal = rec->hjust;
    vertical = rec->vjust;
    generation = rec->tflag;
    if (const char *t = VyrDxfDeref<char>(rec->text)) text = t;
    styleName = KindOfStyleName(rec->tstyle, sizeof rec->tstyle);
    VyrDxfOcs(rec->dxfhdr.extrusion).TextToPlan(rec->xyzloc[2], insertX, insertY, alignX, alignY, rotation);
}

VyrUnicodeString VyrDxfText::MapFontName(short isDBCS, double *factor) const
{
    double scale = 1.0;
    VyrUnicodeString font("Coure.pfb");
    VyrDxfUCConverter *uc = VyrDxf2Cgm::GetUCConverter();
    auto byCodePage = [&]() {
        if (uc) uc->MappFontWithCodePage(&font);
    };
    if (isDBCS) {
        font = "SSS4.font";
        scale = 0.8;
        if (textStyle && std::string(textStyle->GetBigFontName()) == "CHINESET") scale *= 0.6;
    } else if (textStyle) {
        const std::string name = textStyle->GetFontName();
        if (name == "ISOCT")
            font = "SSS3.font";
        else if (name == "TXT" || name == "MONOTXT")
            font = "SSS2.font";
        else if (name == "GDT" || name == "GDT.SHX" || name == "AMGDT" || name == "AMGDT.SHX")
            font = "SymbM.pfb";
        else if (name == "SPECIAL_MDTV")
            font = "SwissCL.pfb";
        else
            byCodePage();
    } else if (styleName == kIsocpStyleName) {
        scale = 0.75;
    } else if (styleName == kStandardStyleName) {
        font = "SSS2.font";
    } else {
        byCodePage();
    }
    if (factor) *factor *= scale;
    return font;
}

VyrDxfText::StyleNameKind VyrDxfText::KindOfStyleName(const char *field, int fieldSize)
{
    char name[256];
    VyrDxfCopyField(name, sizeof name, field, fieldSize);
    if (std::strcmp(name, "ISOCP") == 0) return kIsocpStyleName;
    if (std::strcmp(name, "STANDARD") == 0) return kStandardStyleName;
    return kOtherStyleName;
}

int VyrDxfText::AlignmentCode(int vertical, int horizontal)
{
    static const int kCodes[4][3] = {{29, 33, 37}, {28, 32, 36}, {30, 34, 34}, {31, 35, 39}};
    if (vertical < 1 || vertical > 3) vertical = 0;
    if (horizontal < 1 || horizontal > 2) horizontal = 0;
    return kCodes[vertical][horizontal];
}

double VyrDxfText::ScaleOf(const VyrMathTransformation2D &t)
{
    const double s = std::sqrt(std::fabs(t.GetMatrix().Determinant()));
    return Finite(s) && s > 1e-12 ? s : 0.0;
}

double VyrDxfText::TurnedAngle(const VyrMathTransformation2D &t, double degrees)
{
    if (!Finite(degrees)) degrees = 0.0;
    const VyrMathVector2D d = t * VyrMathVector2D(std::cos(degrees * kDegree), std::sin(degrees * kDegree));
    if (d.GetX() == 0.0 && d.GetY() == 0.0) return degrees;
    return std::atan2(d.GetY(), d.GetX()) / kDegree;
}

double VyrDxfText::StringWidth(const VyrUnicodeString &font, bool bold, const VyrUnicodeString &text,
                               double h, double factor)
{
    VyrFont *f = VyrFont::sGetFont(font.ConvertToChar(), 0);
    if (!f) return 0.0;
    const VyrFontMetrics &m = f->GetMetrics(bold, false);
    return VyrFont::sGetStringAdvance(m, text) * h / m.capHeight * factor;
}

int VyrDxfText::DrawString(VyrPrintGenerator *generator, VyrDxfEntity &entity, const VyrDxfTextLook &look,
                           double x, double y, const VyrUnicodeString &text)
{
    if (look.symbolFont) generator->SetTextParameter(0, 15.0f);
    double ratio = 1.0;
    if (VyrFont *f = VyrFont::sGetFont(look.font.ConvertToChar(), 0)) {
        generator->SetTextFont(0, f);
        ratio = f->GetHeightRatio();
    } else {
        generator->SetTextParameter(0, 11.0f);
    }
    generator->SetTextParameter(6, static_cast<float>(look.rotation));
    generator->SetTextParameter(2, static_cast<float>(look.height * ratio));
    generator->SetTextParameter(9, static_cast<float>(look.widthFactor));
    generator->SetTextParameter(7, static_cast<float>(look.alignment));
    const int colour = entity.GetColor();
    if (colour != _currentColor) {
        _currentColor = colour;
        generator->SetColor(colour);
    }
    generator->SetTextParameter(4, (look.flags & VyrDxfUCConverter::kBold) ? 26.0f : 25.0f);
    const bool italic = (look.flags & VyrDxfUCConverter::kItalic) != 0;
    double slant = look.oblique;
    if (look.italicOnly)
        slant = italic ? 15.0 : 0.0;
    else if (italic && slant >= -10.0 && slant <= 10.0)
        slant = 15.0;
    generator->SetTextParameter(5, static_cast<float>(Finite(slant) ? slant : 0.0));
    generator->SetTextParameter(8, 0.0f);
    generator->SetTextParameter(10, -10000.0f);
    if (look.lineSpacing > 0.0) generator->SetTextParameter(11, static_cast<float>(look.lineSpacing));
    const int rc = generator->DrawText(static_cast<float>(x), static_cast<float>(y), text);
    if (look.lineSpacing > 0.0 && look.lineSpacing != 1.0) generator->SetTextParameter(11, 1.0f);
    return rc;
}

int VyrDxfText::Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation)
{
    if (!generator || !transformation || text.empty()) return 1;
    const double s = ScaleOf(*transformation);
    if (s == 0.0 || !Finite(height) || height <= 0.0) return 1;

    const int v = (vertical >= 1 && vertical <= 3) ? vertical : 0;
    const int h = horizontal;
    const bool betweenPoints = v == 0 && (h == 3 || h == 5);
    const bool fromAlignment = v != 0 || (h != 0 && !(h >= 3 && h <= 5));
    const double ax = fromAlignment ? alignX : insertX, ay = fromAlignment ? alignY : insertY;
    VyrMathPoint2D anchor = *transformation * VyrMathPoint2D(ax, ay);
    if (!Finite(anchor.GetX()) || !Finite(anchor.GetY())) return 1;

    const short dbcs = textStyle ? static_cast<short>(textStyle->IsDBCS()) : 0;
    VyrUnicodeString string;
    int flags = 0;
    if (VyrDxfUCConverter *uc = VyrDxf2Cgm::GetUCConverter()) {
        VyrRawCollint codes;
        uc->BuildFromChar(text.c_str(), &string, &codes, flags, dbcs, VyrDxfUCConverter::kPlainText,
                          dbcs ? textStyle->GetBigFontName() : nullptr);
    } else {
        string = text.c_str();
    }

    VyrDxfTextLook look;
    look.widthFactor = Finite(widthFactor) && widthFactor > 0.0 ? widthFactor : 1.0;
    look.font = MapFontName(dbcs, &look.widthFactor);
    look.height = height * s;
    look.rotation = TurnedAngle(*transformation, rotation);
    look.oblique = oblique;
    look.alignment = AlignmentCode(v, h);
    look.flags = flags;
    if (look.font == "SymbM.pfb") {
        look.widthFactor *= 0.85;
        look.font = "SSS4.font";
        look.symbolFont = true;
        VyrDxfUCConverter::SubstituteAllGDT(string);
        if (v == 3) {
            const double up = (look.rotation + 90.0) * kDegree;
            anchor = VyrMathPoint2D(anchor.GetX() + 0.25 * look.height * std::cos(up),
                                    anchor.GetY() + 0.25 * look.height * std::sin(up));
        }
    }
    if (betweenPoints) {
        const VyrMathPoint2D end = *transformation * VyrMathPoint2D(alignX, alignY);
        const double dx = end.GetX() - anchor.GetX(), dy = end.GetY() - anchor.GetY();
        const double span = std::sqrt(dx * dx + dy * dy);
        const double natural = StringWidth(look.font, (flags & VyrDxfUCConverter::kBold) != 0, string,
                                           look.height, look.widthFactor);
        if (Finite(span) && span > 1e-9 * look.height && natural > 0.0) {
            if (h == 5)
                look.widthFactor *= span / natural;
            else
                look.height *= span / natural;
            look.rotation = std::atan2(dy, dx) / kDegree;
        }
    }
    DrawString(generator, *this, look, anchor.GetX(), anchor.GetY(), string);
    return 0;
}
