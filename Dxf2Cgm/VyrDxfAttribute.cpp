/* Attribute values. The anchor codes run bottom, middle, top by rows of
 * left, centre, right; a baseline attribute is drawn from the bottom of
 * its descenders, moved down by 0.3 of its height, a top one moved up by
 * 0.4, both along the text's own up direction. Aligned and fit attributes
 * (horizontal 3 and 5) span their two points as texts do. */
#include "Dxf2Cgm/VyrDxfAttribute.h"

#include <cmath>

#include "Dxf2Cgm/VyrDxf2Cgm.h"
#include "Dxf2Cgm/VyrDxfEntityLock.h"
#include "Dxf2Cgm/VyrDxfOcs.h"
#include "Dxf2Cgm/VyrDxfText.h"
#include "Dxf2Cgm/VyrDxfUCConverter.h"
#include "platform/base/VyrRawCollint.h"
#include "platform/math/VyrMathTransformation2D.h"
#include "platform/print/VyrPrintGenerator.h"

namespace {

const double kDegree = M_PI / 180.0;
const int kCodes[9] = {28, 32, 36, 30, 34, 34, 31, 35, 39};

} // namespace

VyrDxfAttribute::VyrDxfAttribute(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block)
    : VyrDxfEntity(entity, layer, block)
{
    kind = VyrDxfKindAttribute;
    VyrDxfEntityLock lock(entity);
    const dxf_attribute_instance *rec = lock.As<dxf_attribute_instance>(500);
    if (!rec) return;
    insertX = rec->txtstr[0];
    insertY = rec->txtstr[1];
    alignX = rec->xyzaln[0];
    alignY = rec->xyzaln[1];
    height = rec->height;
    rotation = rec->rang;
    widthFactor = rec->xscale;
    oblique = rec->oang;
    flags = rec->aflag;
    horizontal = rec->hjust;
    vertical = rec->vjust;
    if (const char *t = VyrDxfDeref<char>(rec->text)) text = t;
    styleName = VyrDxfText::KindOfStyleName(rec->tstyle, sizeof rec->tstyle);
    VyrDxfOcs(rec->dxfhdr.extrusion).TextToPlan(rec->txtstr[2], insertX, insertY, alignX, alignY, rotation);
}

VyrUnicodeString VyrDxfAttribute::MapFontName(double *factor) const
{
    VyrUnicodeString font("Coure.pfb");
    if (styleName == VyrDxfText::kIsocpStyleName) {
        if (factor) *factor *= 0.75;
    } else if (styleName == VyrDxfText::kStandardStyleName) {
        font = "SSS2.font";
    } else if (VyrDxfUCConverter *uc = VyrDxf2Cgm::GetUCConverter()) {
        uc->MappFontWithCodePage(&font);
    }
    return font;
}

int VyrDxfAttribute::Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation)
{
    if (!generator || !transformation || text.empty()) return 1;
    if (flags & 1) return 0;
    const double s = VyrDxfText::ScaleOf(*transformation);
    if (s == 0.0 || !std::isfinite(height) || height <= 0.0) return 1;

    const int v = vertical, h = horizontal;
    const bool betweenPoints = v == 0 && (h == 3 || h == 5);
    bool fromAlignment = true;
    int code = 28;
    double nudge = 0.0;
    if (v >= 1 && v <= 3) {
        code = kCodes[(v - 1) * 3 + (h >= 0 && h <= 2 ? h : 0)];
        if (v == 3) nudge = 0.4;
    } else if (v == 0 && (h == 1 || h == 2)) {
        code = kCodes[h];
        nudge = -0.3;
    } else {
        fromAlignment = false;
        nudge = -0.3;
    }
    VyrMathPoint2D anchor =
        *transformation * (fromAlignment ? VyrMathPoint2D(alignX, alignY) : VyrMathPoint2D(insertX, insertY));
    if (!std::isfinite(anchor.GetX()) || !std::isfinite(anchor.GetY())) return 1;

    VyrUnicodeString string;
    int converted = 0;
    if (VyrDxfUCConverter *uc = VyrDxf2Cgm::GetUCConverter()) {
        VyrRawCollint codes;
        uc->BuildFromChar(text.c_str(), &string, &codes, converted, 0);
    } else {
        string = text.c_str();
    }

    VyrDxfTextLook look;
    look.widthFactor = std::isfinite(widthFactor) && widthFactor > 0.0 ? widthFactor : 1.0;
    look.font = MapFontName(&look.widthFactor);
    look.height = height * s;
    look.rotation = VyrDxfText::TurnedAngle(*transformation, rotation);
    look.oblique = oblique;
    look.alignment = code;
    look.flags = converted;
    if (betweenPoints) {
        const VyrMathPoint2D end = *transformation * VyrMathPoint2D(alignX, alignY);
        const double dx = end.GetX() - anchor.GetX(), dy = end.GetY() - anchor.GetY();
        const double span = std::sqrt(dx * dx + dy * dy);
        const double natural =
            VyrDxfText::StringWidth(look.font, false, string, look.height, look.widthFactor);
        if (std::isfinite(span) && span > 1e-9 * look.height && natural > 0.0) {
            if (h == 5)
                look.widthFactor *= span / natural;
            else
                look.height *= span / natural;
            look.rotation = std::atan2(dy, dx) / kDegree;
        }
    }
    const double up = (look.rotation + 90.0) * kDegree;
    anchor = VyrMathPoint2D(anchor.GetX() + nudge * look.height * std::cos(up),
                            anchor.GetY() + nudge * look.height * std::sin(up));
    VyrDxfText::DrawString(generator, *this, look, anchor.GetX(), anchor.GetY(), string);
    return 0;
}
