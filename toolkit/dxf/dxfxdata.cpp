/* Extended data of the DXF loaders. While a record or entity is read, each
 * extended-data pair is appended to the toolkit state's 32,768-byte read
 * buffer as one item: a byte holding (group code - 1000), then the value,
 * numbers little-endian:
 *   1000, 1001, 1003  a length byte and the text (at most 255 bytes)
 *   1002              0 for "{", 1 for any other text
 *   1004              a length byte and the bytes (hex text converted)
 *   1005              the 8-byte handle
 *   1010-1013         three reals: this pair's and the next two pairs'
 *   1040-1042         one real
 *   1070, 1071        16-bit, 32-bit integer
 * An item that would not fit sets error 9 and calls the critical-error
 * callback with 9 when one is set; that item and every later one of the
 * record are dropped, the items before stay. Codes outside these are not
 * extended data and are passed over.
 * When the record is stored, resolveandaddxdata turns the buffer into the
 * stored items of a new blob (8-byte item header, value in host order; see
 * xdata.cpp) and records each application (1001) and layer (1003) name with
 * the position of its handle in the blob, for finalxdresolve. */
#include "toolkit/dxf/dxf_int.h"

#include <cstring>

namespace {

bool put(AdXdCollect *xd, const void *src, size_t n)
{
    std::memcpy(adin->xdreadbuf + xd->length, src, n);
    xd->length += static_cast<int32_t>(n);
    return true;
}

/* The real of the pair after a point's first coordinate; a code 0 belongs
 * to the next record and is handed back. */
double nextcoordinate(AdDrawing *dwg)
{
    if (!dxfnext(dwg)) return 0.0;
    if (adin->curcode == 0) {
        dxfback(dwg);
        return 0.0;
    }
    return dxfreal();
}

} // namespace

extern "C" {

int dxfxdatapair(AdDrawing *dwg, AdXdCollect *xd)
{
    uint16_t code = adin->curcode;
    unsigned char item[1 + 256];
    size_t n = 0;
    item[0] = static_cast<unsigned char>(code - 1000);
    switch (code) {
    case 1000:
    case 1001:
    case 1003: {
        size_t len = std::strlen(adin->curstr);
        if (len > 255) len = 255;
        item[1] = static_cast<unsigned char>(len);
        std::memcpy(item + 2, adin->curstr, len);
        n = 2 + len;
        break;
    }
    case 1002:
        item[1] = adin->curstr[0] == '{' ? 0 : 1;
        n = 2;
        break;
    case 1004: {
        unsigned char bytes[AD_MAX_LINE / 2 + 2];
        int32_t len = 0;
        if (dwg->filetype == AD_FILE_BINARY_DXF) {
            len = adin->curbinlen;
            std::memcpy(bytes, adin->curstr, static_cast<size_t>(len));
        } else {
            adAsciiHexToBinaryEx(adin->curstr, bytes, &len);
        }
        if (len > 255) len = 255;
        item[1] = static_cast<unsigned char>(len);
        std::memcpy(item + 2, bytes, static_cast<size_t>(len));
        n = 2 + static_cast<size_t>(len);
        break;
    }
    case 1005:
        std::memcpy(item + 1, adin->curhandle, 8);
        n = 9;
        break;
    case 1010:
    case 1011:
    case 1012:
    case 1013: {
        double p[3];
        p[0] = dxfreal();
        p[1] = nextcoordinate(dwg);
        p[2] = nextcoordinate(dwg);
        double32buf(p, item + 1);
        n = 25;
        break;
    }
    case 1040:
    case 1041:
    case 1042:
        double2buf(dxfreal(), item + 1);
        n = 9;
        break;
    case 1070:
        short2buf(static_cast<int16_t>(dxfint()), item + 1);
        n = 3;
        break;
    case 1071:
        long2buf(dxfint(), item + 1);
        n = 5;
        break;
    default: return 1;
    }
    if (xd->overflow) return 1;
    if (xd->length + static_cast<int32_t>(n) >= AD_XDBUF_SIZE) {
        xd->overflow = 1;
        if (adin->criticalerror) {
            adseterror(9);
            adcriticalerror(9);
        }
        return 1;
    }
    return put(xd, item, n);
}

int resolveandaddxdata(AdDrawing *dwg, const AdXdCollect *xd, AdBlob **out)
{
    *out = nullptr;
    if (!xd || xd->length == 0) return 1;
    struct Name {
        int kind;
        long pos;
        char text[256];
    };
    Name *names = nullptr;
    int nnames = 0, capnames = 0;
    AdBytes bytes{};
    const unsigned char *p = reinterpret_cast<const unsigned char *>(adin->xdreadbuf);
    const unsigned char *end = p + xd->length;
    bool ok = true;
    int16_t codepage = dwg->header ? dwg->header->dwgcodepage : 0;
    while (ok && p < end) {
        int16_t code = static_cast<int16_t>(1000 + *p++);
        unsigned char h[8] = {0};
        std::memcpy(h, &code, 2);
        uint16_t len = 0;
        const unsigned char *value = p;
        unsigned char conv[24];
        switch (code) {
        case 1000:
        case 1001:
        case 1003:
        case 1004:
            len = *p;
            value = p + 1;
            p += 1 + len;
            break;
        case 1002:
            len = 1;
            p += 1;
            break;
        case 1005:
            len = 8;
            p += 8;
            break;
        case 1010:
        case 1011:
        case 1012:
        case 1013: {
            double pt[3];
            buf23double(p, pt);
            std::memcpy(conv, pt, sizeof pt);
            value = conv;
            len = 24;
            p += 24;
            break;
        }
        case 1040:
        case 1041:
        case 1042: {
            double v = btd(p);
            std::memcpy(conv, &v, 8);
            value = conv;
            len = 8;
            p += 8;
            break;
        }
        case 1070: {
            int16_t v = bts(p);
            std::memcpy(conv, &v, 2);
            value = conv;
            len = 2;
            p += 2;
            break;
        }
        case 1071: {
            int32_t v = btl(p);
            std::memcpy(conv, &v, 4);
            value = conv;
            len = 4;
            p += 4;
            break;
        }
        default: ok = false; continue;
        }
        if (code == 1001 || code == 1003) {
            if (nnames == capnames) {
                int ncap = capnames ? capnames * 2 : 8;
                Name *nn =
                    static_cast<Name *>(ztmem_realloc(names, sizeof(Name) * static_cast<size_t>(ncap)));
                if (!nn) {
                    ok = false;
                    continue;
                }
                names = nn;
                capnames = ncap;
            }
            Name &nm = names[nnames++];
            nm.kind = code == 1001 ? AD_XDR_APP : AD_XDR_LAYER;
            std::memcpy(nm.text, value, len);
            nm.text[len] = '\0';
            len = 8;
            std::memset(conv, 0, 8);
            value = conv;
            nm.pos = static_cast<long>(bytes.n) + 8;
        }
        if (code == 1000) std::memcpy(h + 4, &codepage, 2);
        std::memcpy(h + 2, &len, 2);
        ok = adbytesput(&bytes, h, 8) && adbytesput(&bytes, value, len);
    }
    AdBlob *blob = ok ? adbytesblob(&bytes) : nullptr;
    adbytesfree(&bytes);
    if (!blob) ok = false;
    for (int i = 0; ok && i < nnames; ++i)
        ok = adaddxdresolve(dwg, names[i].kind, blob, static_cast<int32_t>(names[i].pos), names[i].text) != 0;
    ztmem_free(names);
    if (!ok) {
        /* entries already recorded point into the blob: it must outlive them */
        dxfdiscardblob(dwg, blob);
        adseterror(288);
        return 0;
    }
    *out = blob;
    return 1;
}

} // extern "C"
