/* Extended data as stored in a blob: a sequence of items, each an 8-byte
 * item header (16-bit group code, 16-bit value length, 16-bit code page of
 * 1000 strings, 2 spare bytes) followed by the value bytes in host order. */
#include "toolkit/ad/ad_int.h"

#include <cstring>

namespace {

/* Value length implied by the code; -1 for codes that carry their own. */
long lengthof(int16_t code)
{
    switch (code) {
    case 1001:
    case 1003:
    case 1005: return 8;
    case 1002: return 1;
    case 1010:
    case 1011:
    case 1012:
    case 1013: return 24;
    case 1040:
    case 1041:
    case 1042: return 8;
    case 1070: return 2;
    case 1071: return 4;
    case 1000:
    case 1004: return -1;
    default: return -2;
    }
}

} // namespace

extern "C" {

int adWriteExtendeddata(AdBlobCursor *cur, AdXdataItem *item)
{
    if (!cur || !item) return 0;
    long len = lengthof(item->code);
    if (len == -2) return 0;
    if (item->code == 1000)
        len = static_cast<long>(strnlen(item->v.str, sizeof item->v.str - 1));
    else if (item->code == 1004)
        len = item->length > sizeof item->v.bytes ? sizeof item->v.bytes : item->length;
    item->length = static_cast<uint16_t>(len);
    unsigned char h[8] = {0};
    std::memcpy(h, &item->code, 2);
    std::memcpy(h + 2, &item->length, 2);
    std::memcpy(h + 4, &item->codepage, 2);
    return adWriteBlobBytesLong(cur, h, 8) && adWriteBlobBytesLong(cur, &item->v, len);
}

int adReadExtendeddata(AdBlobCursor *cur, AdXdataItem *item)
{
    if (!cur || !item) return 0;
    unsigned char h[8];
    if (!adReadBlobBytesLong(cur, h, 8)) return 0;
    std::memcpy(&item->code, h, 2);
    std::memcpy(&item->length, h + 2, 2);
    std::memcpy(&item->codepage, h + 4, 2);
    item->pad = 0;
    long len = item->length;
    long expect = lengthof(item->code);
    if (expect == -2 || (expect >= 0 && expect != len) ||
        (item->code == 1004 && len > static_cast<long>(sizeof item->v.bytes)) ||
        len >= static_cast<long>(sizeof item->v.str))
        return 0;
    if (!adReadBlobBytesLong(cur, &item->v, len)) return 0;
    if (item->code == 1000) item->v.str[len] = '\0';
    return 1;
}

} // extern "C"
