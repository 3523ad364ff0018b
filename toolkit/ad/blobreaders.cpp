/* Readers of the variable parts that records keep in blobs: multiline-style
 * elements, hatch pattern lines, and proxy data. Blob layouts (host order):
 *   multiline-style element: offset (double), colour (16-bit), linetype
 *     index (16-bit);
 *   hatch pattern line: angle, base x, y, offset x, y (doubles), dash count
 *     (16-bit), that many dash lengths (doubles);
 *   proxy data: the bytes of the file's binary chunks as read, so numbers in
 *     it are little-endian and decoded byte by byte. */
#include "toolkit/ad/ad_int.h"

#include <cstring>

extern "C" {

int adReadMlstyleSeginfo(AdBlobCursor *cur, AdMlstyleSeginfo *seg)
{
    if (!seg) return 0;
    return adReadBlobDouble(cur, &seg->offset) && adReadBlobShort(cur, &seg->color) &&
           adReadBlobShort(cur, &seg->ltypeindex);
}

int adWriteMlstyleSeginfo(AdBlobCursor *cur, const AdMlstyleSeginfo *seg)
{
    if (!seg) return 0;
    return adWriteBlobDouble(cur, seg->offset) && adWriteBlobShort(cur, seg->color) &&
           adWriteBlobShort(cur, seg->ltypeindex);
}

AdHatchPatternLine *adReadHatchPattern(AdBlob *blob, int16_t numlines)
{
    if (numlines <= 0) return nullptr;
    AdBlobCursor *c = adStartBlobRead(blob);
    if (!c) return nullptr;
    auto *lines = static_cast<AdHatchPatternLine *>(
        ztmem_malloc(sizeof(AdHatchPatternLine) * static_cast<size_t>(numlines)));
    bool ok = lines != nullptr;
    for (int16_t i = 0; ok && i < numlines; ++i) {
        AdHatchPatternLine &l = lines[i];
        ok = adReadBlobDouble(c, &l.angle) && adReadBlob2Double(c, l.base) &&
             adReadBlob2Double(c, l.offset) && adReadBlobShort(c, &l.numdashes) && l.numdashes >= 0 &&
             static_cast<long>(l.numdashes) * 8 <= adBlobSize(blob) - adBlobTell(c);
        if (ok && l.numdashes > 0) {
            l.dashes = static_cast<double *>(ztmem_malloc(sizeof(double) * static_cast<size_t>(l.numdashes)));
            ok = l.dashes && adReadBlobBytesLong(c, l.dashes, static_cast<long>(l.numdashes) * 8);
        }
    }
    adEndBlobRead(c);
    if (!ok) {
        adDisposeHatchPattern(lines, numlines);
        return nullptr;
    }
    return lines;
}

void adDisposeHatchPattern(AdHatchPatternLine *lines, int16_t numlines)
{
    if (!lines) return;
    for (int16_t i = 0; i < numlines; ++i) ztmem_free(lines[i].dashes);
    ztmem_free(lines);
}

AdBlobCursor *adStartProxyDataRead(AdBlob *blob) { return adStartBlobRead(blob); }
int adEndProxyDataRead(AdBlobCursor *cur) { return adEndBlobRead(cur); }

int adReadProxyDataInt16(AdBlobCursor *cur, int16_t *v)
{
    unsigned char b[2];
    if (!adReadBlobBytesLong(cur, b, 2)) return 0;
    *v = bts(b);
    return 1;
}

int adReadProxyDataInt32(AdBlobCursor *cur, int32_t *v)
{
    unsigned char b[4];
    if (!adReadBlobBytesLong(cur, b, 4)) return 0;
    *v = btl(b);
    return 1;
}

int adReadProxyDataDouble(AdBlobCursor *cur, double *v)
{
    unsigned char b[8];
    if (!adReadBlobBytesLong(cur, b, 8)) return 0;
    *v = btd(b);
    return 1;
}

int adReadProxyDataBytes(AdBlobCursor *cur, void *dst, long n) { return adReadBlobBytesLong(cur, dst, n); }

int adPurgeBlockheader(AdDrawing *dwg, const unsigned char *handle)
{
    AdBlockheader b;
    if (!adSeekBlockheader(dwg, handle, &b)) return 0;
    b.purgedflag = 1;
    return adReplaceBlockheader(dwg, &b);
}

} // extern "C"
