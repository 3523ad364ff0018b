/* Font look-up and core font metrics (see the header). The metrics table is
 * generated from AFM files by gen_font_metrics.py beside this file. */
#include "platform/font/VyrFont.h"

#include "platform/base/VyrString.h"
#include "platform/base/VyrUnicodeString.h"

#include <algorithm>
#include <cassert>
#include <functional>

namespace {

#include "platform/font/VyrFontMetricsData.inc"

const int kCoreCount = static_cast<int>(sizeof kFontMetrics / sizeof kFontMetrics[0]);

/* Core indices of the regular style of each family. */
enum { kHelvetica = 0, kTimes = 4, kCourier = 8, kSymbol = 12 };

/* The font file names the drawing elements use, with the family that stands
 * in for each: Courier for the monospaced files, Symbol for the symbol font,
 * Helvetica for the sans-serif and the East Asian shape fonts (their glyphs
 * come from the viewer's font substitution). */
VyrFont gFonts[] = {
    {"Coure.pfb", kCourier},   {"Monos.pfb", kCourier},   {"SwissCL.pfb", kHelvetica},
    {"SymbM.pfb", kSymbol},    {"SSS2.font", kHelvetica}, {"SSS3.font", kHelvetica},
    {"SSS4.font", kHelvetica}, {"KANJ.font", kHelvetica}, {"TRCH.font", kHelvetica},
    {"KOHG.font", kHelvetica}, {"SICH.font", kHelvetica}, {"Helvetica", kHelvetica},
    {"Times-Roman", kTimes},   {"Times", kTimes},         {"Courier", kCourier},
    {"Symbol", kSymbol},
};

bool IsWide(unsigned short c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6);
}

} // namespace

VyrFont *VyrFont::sGetFont(const char *fileName, unsigned int flags)
{
    (void)flags;
    if (!fileName) return nullptr;
    for (VyrFont &f : gFonts)
        if (VyrAsciiCompare(fileName, f.fileName_) == 0) return &f;
    return nullptr;
}

int VyrFont::sGetCoreFontCount() { return kCoreCount; }

const VyrFontMetrics &VyrFont::sGetCoreMetrics(int index)
{
    assert(index >= 0 && index < kCoreCount);
    if (index < 0 || index >= kCoreCount) index = kHelvetica;
    return kFontMetrics[index];
}

const char *VyrFont::GetFamilyName() const { return kFontMetrics[family_].name; }

int VyrFont::GetCoreIndex(bool bold, bool italic) const
{
    if (family_ == kSymbol) return kSymbol;
    return family_ + (bold ? 1 : 0) + (italic ? 2 : 0);
}

const VyrFontMetrics &VyrFont::GetMetrics(bool bold, bool italic) const
{
    return kFontMetrics[GetCoreIndex(bold, italic)];
}

double VyrFont::GetHeightRatio() const
{
    const VyrFontMetrics &m = kFontMetrics[family_];
    return static_cast<double>(m.capHeight - 0) / m.capHeight;
}

namespace {

double SearchAdvance(const VyrFontMetrics &metrics, unsigned short code)
{
    const VyrGlyphWidth *end = metrics.widths + metrics.widthCount;
    const VyrGlyphWidth *it = std::lower_bound(
        metrics.widths, end, code, [](const VyrGlyphWidth &g, unsigned short c) { return g.code < c; });
    if (it != end && it->code == code) return it->width;
    if (code >= 0x0300 && code <= 0x036F) /* combining marks take no room */
        return 0.0;
    if (IsWide(code)) return 1000.0;
    return metrics.averageWidth;
}

/* The advances of U+0000..U+00FF in every core font, where most text is,
 * looked up directly instead of searched for. */
struct LatinAdvances {
    short width[kCoreCount][256];
    LatinAdvances()
    {
        for (int f = 0; f < kCoreCount; ++f)
            for (unsigned c = 0; c < 256; ++c)
                width[f][c] =
                    static_cast<short>(SearchAdvance(kFontMetrics[f], static_cast<unsigned short>(c)));
    }
};

/* The core font whose metrics these are, or -1 for metrics of another
 * table. */
int CoreIndexOf(const VyrFontMetrics &metrics)
{
    const std::less<const VyrFontMetrics *> before;
    if (before(&metrics, kFontMetrics) || !before(&metrics, kFontMetrics + kCoreCount)) return -1;
    return static_cast<int>(&metrics - kFontMetrics);
}

} // namespace

const short *VyrFont::sGetLatinAdvances(const VyrFontMetrics &metrics)
{
    const int core = CoreIndexOf(metrics);
    if (core < 0) return nullptr;
    static const LatinAdvances latin;
    return latin.width[core];
}

double VyrFont::sGetAdvance(const VyrFontMetrics &metrics, unsigned short code)
{
    if (code < 256)
        if (const short *latin = sGetLatinAdvances(metrics)) return latin[code];
    return SearchAdvance(metrics, code);
}

double VyrFont::sGetStringAdvance(const VyrFontMetrics &metrics, const VyrUnicodeString &text)
{
    double total = 0.0;
    const int n = text.GetLengthInChar();
    const unsigned short *units = text.GetBuffer();
    const short *latin = sGetLatinAdvances(metrics);
    for (int i = 0; i < n; ++i) {
        const unsigned short c = units[i];
        if (c < 256 && latin) {
            total += latin[c];
            continue;
        }
        if (c >= 0xDC00 && c <= 0xDFFF && i > 0) continue; /* second half of a surrogate pair */
        total += sGetAdvance(metrics, c);
    }
    return total;
}
