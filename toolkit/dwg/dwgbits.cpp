/* The value codes of the DWG bit stream (see dwgbits.h). Every reader goes
 * through takebits or takebyte, which are the only places that test the
 * end of the data: past it they give zeros and set the error flag. */
#include "toolkit/dwg/dwgbits.h"

#include <cstring>

#include "toolkit/ad/ad_int.h"

namespace {

/* n bits (at most 32) as an unsigned number, the first bit read the most
 * significant. */
inline uint32_t takebits(DwgBits *b, unsigned n)
{
    if (b->pos + n > b->size) {
        b->pos = b->size;
        b->error = 1;
        return 0;
    }
    uint32_t v = 0;
    uint64_t pos = b->pos;
    unsigned left = n;
    while (left) {
        unsigned bit = static_cast<unsigned>(pos & 7);
        unsigned avail = 8 - bit;
        unsigned take = avail < left ? avail : left;
        unsigned byte = b->buf[pos >> 3];
        unsigned part = (byte >> (avail - take)) & ((1u << take) - 1);
        v = (v << take) | part;
        pos += take;
        left -= take;
    }
    b->pos = pos;
    return v;
}

/* Whether n more bits are there; if not, the reader moves to the end and
 * the error is set, so that a value is read whole or not at all. */
inline bool have(DwgBits *b, uint64_t n)
{
    if (b->pos + n <= b->size) return true;
    b->pos = b->size;
    b->error = 1;
    return false;
}

inline unsigned char takebyte(DwgBits *b)
{
    if (b->pos + 8 > b->size) {
        b->pos = b->size;
        b->error = 1;
        return 0;
    }
    uint64_t i = b->pos >> 3;
    unsigned shift = static_cast<unsigned>(b->pos & 7);
    b->pos += 8;
    if (!shift) return b->buf[i];
    return static_cast<unsigned char>((b->buf[i] << shift) | (b->buf[i + 1] >> (8 - shift)));
}

/* Little-endian bytes into a double; zero, subnormal, infinite and NaN
 * values read as 0.0. */
double makedouble(const unsigned char *le)
{
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = (bits << 8) | le[i];
    uint64_t exponent = (bits >> 52) & 0x7FF;
    if (exponent == 0 || exponent == 0x7FF) return 0.0;
    double d;
    std::memcpy(&d, &bits, 8);
    return d;
}

void doublebytes(double d, unsigned char *le)
{
    uint64_t bits;
    std::memcpy(&bits, &d, 8);
    for (int i = 0; i < 8; ++i) le[i] = static_cast<unsigned char>(bits >> (8 * i));
}

struct CrcTable {
    uint16_t t[256];
    constexpr CrcTable() : t()
    {
        for (unsigned i = 0; i < 256; ++i) {
            unsigned c = i;
            for (int k = 0; k < 8; ++k) c = c & 1 ? (c >> 1) ^ 0xA001u : c >> 1;
            t[i] = static_cast<uint16_t>(c);
        }
    }
};
constexpr CrcTable kCrc;

} // namespace

extern "C" {

void dwgbitsinit(DwgBits *b, const void *bytes, size_t n, int16_t version)
{
    b->buf = static_cast<const unsigned char *>(bytes);
    b->size = static_cast<uint64_t>(n) * 8;
    b->pos = 0;
    b->error = 0;
    b->version = version;
}

uint64_t dwgbitsleft(const DwgBits *b) { return b->pos < b->size ? b->size - b->pos : 0; }

void dwgbitsseek(DwgBits *b, uint64_t pos)
{
    if (pos > b->size) {
        b->pos = b->size;
        b->error = 1;
        return;
    }
    b->pos = pos;
}

uint32_t getbitcount(DwgBits *b, int64_t count, unsigned minbits)
{
    if (count == 0) return 0;
    if (count < 0) { /* no count of these files is negative: a 32-bit one read as 2^31 or more */
        b->error = 1;
        return 0;
    }
    uint64_t left = dwgbitsleft(b);
    if (static_cast<uint64_t>(count) > 0xFFFFFFFFu ||
        (minbits && static_cast<uint64_t>(count) > left / minbits)) {
        b->error = 1;
        return 0;
    }
    return static_cast<uint32_t>(count);
}

int getbitbitfn(DwgBits *b) { return static_cast<int>(takebits(b, 1)); }
int getbit2bits(DwgBits *b) { return static_cast<int>(takebits(b, 2)); }

int getbit3bits(DwgBits *b)
{
    if (!takebits(b, 1)) return 0;
    if (!takebits(b, 1)) return 2;
    return takebits(b, 1) ? 7 : 6;
}

unsigned char getbitrawbyte(DwgBits *b) { return takebyte(b); }

uint16_t getbitrawshort(DwgBits *b)
{
    if (!have(b, 16)) return 0;
    unsigned lo = takebyte(b);
    unsigned hi = takebyte(b);
    return static_cast<uint16_t>(lo | (hi << 8));
}

uint32_t getbitrawlong(DwgBits *b)
{
    if (!have(b, 32)) return 0;
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(takebyte(b)) << (8 * i);
    return v;
}

double getbitrawdouble(DwgBits *b)
{
    if (!have(b, 64)) return 0.0;
    unsigned char le[8];
    for (unsigned char &c : le) c = takebyte(b);
    return makedouble(le);
}

int16_t getbitshort(DwgBits *b)
{
    switch (takebits(b, 2)) {
    case 0: return static_cast<int16_t>(getbitrawshort(b));
    case 1: return static_cast<int16_t>(takebyte(b));
    case 2: return 0;
    default: return 256;
    }
}

int32_t getbitlong(DwgBits *b)
{
    switch (takebits(b, 2)) {
    case 0: return static_cast<int32_t>(getbitrawlong(b));
    case 1: return static_cast<int32_t>(takebyte(b));
    case 2: return 0;
    default: return 1;
    }
}

double getbitdouble(DwgBits *b)
{
    switch (takebits(b, 2)) {
    case 0: return getbitrawdouble(b);
    case 1: return 1.0;
    default: return 0.0;
    }
}

double getbitdoublewithdefault(DwgBits *b, double def)
{
    unsigned char le[8];
    switch (takebits(b, 2)) {
    case 0: return def;
    case 1:
        doublebytes(def, le);
        for (int i = 0; i < 4; ++i) le[i] = takebyte(b);
        break;
    case 2:
        doublebytes(def, le);
        le[4] = takebyte(b);
        le[5] = takebyte(b);
        for (int i = 0; i < 4; ++i) le[i] = takebyte(b);
        break;
    default: return getbitrawdouble(b);
    }
    double d;
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = (bits << 8) | le[i];
    std::memcpy(&d, &bits, 8);
    return d;
}

void getbit3double(DwgBits *b, double *out)
{
    for (int i = 0; i < 3; ++i) out[i] = getbitdouble(b);
}

void getbit2rawdouble(DwgBits *b, double *out)
{
    out[0] = getbitrawdouble(b);
    out[1] = getbitrawdouble(b);
}

void getbit3rawdouble(DwgBits *b, double *out)
{
    for (int i = 0; i < 3; ++i) out[i] = getbitrawdouble(b);
}

void getbitpointwithdefault(DwgBits *b, const double *def, double *out)
{
    double d[3] = {def[0], def[1], def[2]};
    for (int i = 0; i < 3; ++i) out[i] = getbitdoublewithdefault(b, d[i]);
}

void geta2kbitpoint(DwgBits *b, double *out)
{
    int flat = getbitbitfn(b);
    out[0] = getbitrawdouble(b);
    out[1] = getbitrawdouble(b);
    out[2] = flat ? 0.0 : getbitrawdouble(b);
}

void getbitpointpair(DwgBits *b, double *p0, double *p1)
{
    int flat = getbitbitfn(b);
    p0[0] = getbitrawdouble(b);
    p1[0] = getbitdoublewithdefault(b, p0[0]);
    p0[1] = getbitrawdouble(b);
    p1[1] = getbitdoublewithdefault(b, p0[1]);
    if (flat) {
        p0[2] = p1[2] = 0.0;
    } else {
        p0[2] = getbitrawdouble(b);
        p1[2] = getbitdoublewithdefault(b, p0[2]);
    }
}

void getbitextrusion(DwgBits *b, double *out)
{
    if (b->version >= AD_ACAD2000 && getbitbitfn(b)) {
        out[0] = out[1] = 0.0;
        out[2] = 1.0;
        return;
    }
    getbit3double(b, out);
}

double getbitthickness(DwgBits *b)
{
    if (b->version >= AD_ACAD2000 && getbitbitfn(b)) return 0.0;
    return getbitdouble(b);
}

uint32_t getbitmodshort(DwgBits *b)
{
    uint32_t v = 0;
    for (unsigned shift = 0; shift < 32; shift += 15) {
        uint16_t w = getbitrawshort(b);
        v |= static_cast<uint32_t>(w & 0x7FFF) << shift;
        if (!(w & 0x8000) || b->error) return v;
    }
    b->error = 1; /* more than three words: not a size of these files */
    return 0;
}

int64_t getbitmodchar(DwgBits *b)
{
    uint64_t v = 0;
    for (unsigned i = 0, shift = 0; i < 6; ++i, shift += 7) {
        unsigned char c = takebyte(b);
        if (c & 0x80) {
            v |= static_cast<uint64_t>(c & 0x7F) << shift;
            continue;
        }
        v |= static_cast<uint64_t>(c & 0x3F) << shift;
        int64_t s = static_cast<int64_t>(v);
        return c & 0x40 ? -s : s;
    }
    b->error = 1;
    adcriticalerror(5);
    return 0;
}

uint64_t getbitumodchar(DwgBits *b)
{
    uint64_t v = 0;
    for (unsigned i = 0, shift = 0; i < 10; ++i, shift += 7) {
        unsigned char c = takebyte(b);
        if (shift < 64) v |= static_cast<uint64_t>(c & 0x7F) << shift;
        if (!(c & 0x80)) return v;
    }
    b->error = 1;
    return 0;
}

int16_t getbitcolor(DwgBits *b) { return getbitshort(b); }

size_t getbitstring(DwgBits *b, char *buf, size_t capacity)
{
    uint16_t len = static_cast<uint16_t>(getbitshort(b));
    if (capacity) buf[0] = '\0';
    if (static_cast<uint64_t>(len) * 8 > dwgbitsleft(b)) {
        b->error = 1;
        return 0;
    }
    size_t keep = len;
    if (capacity && keep > capacity - 1) {
        keep = capacity - 1;
        adcriticalerror(5);
    }
    if (!capacity) keep = 0;
    for (size_t i = 0; i < len; ++i) {
        unsigned char c = takebyte(b);
        if (i < keep) buf[i] = static_cast<char>(c);
    }
    if (capacity) buf[keep] = '\0';
    return keep;
}

void getbitnrawbytes(DwgBits *b, void *dst, size_t n)
{
    unsigned char *d = static_cast<unsigned char *>(dst);
    if (!(b->pos & 7) && b->pos + static_cast<uint64_t>(n) * 8 <= b->size) {
        std::memcpy(d, b->buf + (b->pos >> 3), n);
        b->pos += static_cast<uint64_t>(n) * 8;
        return;
    }
    for (size_t i = 0; i < n; ++i) d[i] = takebyte(b);
}

int getbithandle(DwgBits *b, unsigned char *handle)
{
    unsigned char first = takebyte(b);
    int code = first >> 4;
    int n = first & 0x0F;
    std::memset(handle, 0, 8);
    if (n > 8) {
        b->error = 1;
        adcriticalerror(5);
        return code;
    }
    for (int i = 8 - n; i < 8; ++i) handle[i] = takebyte(b);
    return code;
}

int getbittypedhandle(DwgBits *b, unsigned char *handle)
{
    int code = getbithandle(b, handle);
    handle[8] = static_cast<unsigned char>((code & 3) + 1);
    return code;
}

int getbitrefhandle(DwgBits *b, const unsigned char *own, unsigned char *handle)
{
    int code = getbithandle(b, handle);
    uint64_t base = dwghandlevalue(own);
    uint64_t v = dwghandlevalue(handle);
    switch (code) {
    case 6: dwghandlebytes(base + 1, handle); break;
    case 8: dwghandlebytes(base - 1, handle); break;
    case 0xA: dwghandlebytes(base + v, handle); break;
    case 0xC: dwghandlebytes(base - v, handle); break;
    default: break;
    }
    return code;
}

uint64_t dwghandlevalue(const unsigned char *handle)
{
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v = (v << 8) | handle[i];
    return v;
}

void dwghandlebytes(uint64_t value, unsigned char *handle)
{
    for (int i = 7; i >= 0; --i) {
        handle[i] = static_cast<unsigned char>(value & 0xFF);
        value >>= 8;
    }
}

uint16_t dwgcrc16(uint16_t seed, const void *bytes, size_t n)
{
    const unsigned char *p = static_cast<const unsigned char *>(bytes);
    unsigned crc = seed;
    for (size_t i = 0; i < n; ++i) crc = (crc >> 8) ^ kCrc.t[(crc ^ p[i]) & 0xFF];
    return static_cast<uint16_t>(crc);
}

int check13crc(const unsigned char *block, size_t n, uint16_t seed)
{
    if (n < 2) return 0;
    uint16_t stored = static_cast<uint16_t>(block[n - 2] | (block[n - 1] << 8));
    return dwgcrc16(seed, block, n - 2) == stored;
}

} // extern "C"
