/* Multiline texts. The converter turns the formatting codes into plain
 * text with line feeds and reports bold and italic for the whole text; the
 * lines are broken here and the generator stacks them at the line spacing
 * (5/3 of the height times the text's factor) from the attachment point. */
#include "Dxf2Cgm/VyrDxfMText.h"

#include <cmath>
#include <vector>

#include "Dxf2Cgm/VyrDxf2Cgm.h"
#include "Dxf2Cgm/VyrDxfEntityLock.h"
#include "Dxf2Cgm/VyrDxfText.h"
#include "Dxf2Cgm/VyrDxfUCConverter.h"
#include "platform/base/VyrRawCollint.h"
#include "platform/math/VyrMathTransformation2D.h"
#include "platform/print/VyrPrintGenerator.h"

VyrDxfMText::VyrDxfMText(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block)
    : VyrDxfEntity(entity, layer, block)
{
    kind = VyrDxfKindMText;
    VyrDxfEntityLock lock(entity);
    const dxf_mtext *rec = lock.As<dxf_mtext>(316);
    if (!rec) return;
    count = rec->numstr;
    if (const char *t = VyrDxfDeref<char>(rec->text)) text = t;
    insertX = rec->xyzloc[0];
    insertY = rec->xyzloc[1];
    height = rec->height;
    referenceWidth = rec->width;
    lineSpacing = rec->linespacingfactor;
    attachment = rec->attpnt;
    const double dx = rec->textdir[0], dy = rec->textdir[1];
    rotation = std::isfinite(dx) && std::isfinite(dy) ? std::atan2(dy, dx) * 180.0 / M_PI : 0.0;
}

int VyrDxfMText::GetVyrAnchorPoint(int attachment)
{
    switch (attachment) {
    case 1: return 31;
    case 2: return 35;
    case 3: return 39;
    case 4: return 30;
    case 5: return 34;
    case 6: return 38;
    case 8: return 32;
    case 9: return 36;
    default: return 28;
    }
}

VyrUnicodeString VyrDxfMText::BreakLines(const VyrUnicodeString &text, double width,
                                         const VyrUnicodeString &font, bool bold, double h, double factor)
{
    const int n = text.GetLengthInChar();
    VyrUnicodeString out;
    int lineStart = 0;
    while (lineStart <= n) {
        int lineEnd = lineStart;
        while (lineEnd < n && text.GetAt(lineEnd) != '\n') ++lineEnd;
        /* One paragraph [lineStart, lineEnd): greedy, word by word. */
        VyrUnicodeString line;
        int i = lineStart;
        while (i < lineEnd) {
            int wordEnd = i;
            while (wordEnd < lineEnd && text.GetAt(wordEnd) == ' ') ++wordEnd;
            while (wordEnd < lineEnd && text.GetAt(wordEnd) != ' ') ++wordEnd;
            VyrUnicodeString candidate = line;
            candidate.Append(text.GetBuffer() + i, wordEnd - i);
            if (!line.IsEmpty() && VyrDxfText::StringWidth(font, bold, candidate, h, factor) > width) {
                out.Append(line).Append(VyrUnicodeChar('\n'));
                int start = i;
                while (start < wordEnd && text.GetAt(start) == ' ') ++start;
                line = VyrUnicodeString();
                line.Append(text.GetBuffer() + start, wordEnd - start);
            } else {
                line = candidate;
            }
            i = wordEnd;
        }
        out.Append(line);
        if (lineEnd < n) out.Append(VyrUnicodeChar('\n'));
        lineStart = lineEnd + 1;
    }
    return out;
}

int VyrDxfMText::Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation)
{
    if (!generator || !transformation || count <= 0) return 1;
    if (text.empty()) return 0;
    const double s = VyrDxfText::ScaleOf(*transformation);
    if (s == 0.0 || !std::isfinite(height) || height <= 0.0) return 1;
    const VyrMathPoint2D anchor = *transformation * VyrMathPoint2D(insertX, insertY);
    if (!std::isfinite(anchor.GetX()) || !std::isfinite(anchor.GetY())) return 1;

    VyrUnicodeString string;
    int flags = 0;
    VyrDxfTextLook look;
    look.font = "Coure.pfb";
    if (VyrDxfUCConverter *uc = VyrDxf2Cgm::GetUCConverter()) {
        VyrRawCollint codes;
        uc->BuildFromChar(text.c_str(), &string, &codes, flags, 0, VyrDxfUCConverter::kMText);
        uc->MappFontWithCodePage(&look.font);
    } else {
        string = text.c_str();
    }
    look.widthFactor = look.font == "Coure.pfb" ? 0.85 : 1.0;
    look.height = height * s;
    look.rotation = VyrDxfText::TurnedAngle(*transformation, rotation);
    look.alignment = GetVyrAnchorPoint(attachment);
    look.flags = flags;
    look.italicOnly = true;
    look.lineSpacing = std::isfinite(lineSpacing) && lineSpacing > 0.0 ? lineSpacing : 1.0;
    const bool bold = (flags & VyrDxfUCConverter::kBold) != 0;
    if (std::isfinite(referenceWidth) && referenceWidth > 0.0)
        string = BreakLines(string, referenceWidth * s, look.font, bold, look.height, look.widthFactor);
    VyrDxfText::DrawString(generator, *this, look, anchor.GetX(), anchor.GetY(), string);
    return 0;
}
