/* Byte-order helpers, number parsing and the hex/handle converters of the
 * reader. Drawing files store numbers little-endian; every value is decoded
 * byte by byte into host order, whatever the host, and unaligned bytes are
 * only ever copied with memcpy. Binary reals whose exponent field is all
 * zeros (zero, subnormal) or all ones (infinite, NaN) read as +0.0. Decimal
 * text is parsed with std::from_chars, independent of the process locale. */
#include "toolkit/ad/ad_int.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <utility>

const unsigned char *adincursor = nullptr;

namespace {

uint64_t le64(const unsigned char *b)
{
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = v << 8 | b[i];
    return v;
}

double bitsdouble(uint64_t bits)
{
    unsigned exp = static_cast<unsigned>(bits >> 52) & 0x7FF;
    if (exp == 0 || exp == 0x7FF) return 0.0;
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

const char *skipblanks(const char *p)
{
    while (*p == ' ' || *p == '\t') ++p;
    return p;
}

/* Decimal integer like atoll (blanks, sign, digits), saturated to 64 bits. */
int64_t parse64(const char *text)
{
    const char *p = skipblanks(text);
    bool neg = false;
    if (*p == '+' || *p == '-') neg = *p++ == '-';
    int64_t v = 0;
    const char *end = p + std::strlen(p);
    auto r = std::from_chars(p, end, v);
    if (r.ec == std::errc::result_out_of_range) v = INT64_MAX;
    if (neg) v = v == INT64_MAX && r.ec == std::errc::result_out_of_range ? INT64_MIN : -v;
    return v;
}

} // namespace

extern "C" {

double btd(const unsigned char *b) { return bitsdouble(le64(b)); }
int32_t btl(const unsigned char *b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                                static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24);
}
int16_t bts(const unsigned char *b) { return static_cast<int16_t>(b[0] | b[1] << 8); }
void buf22double(const unsigned char *b, double *out)
{
    out[0] = btd(b);
    out[1] = btd(b + 8);
}
void buf23double(const unsigned char *b, double *out)
{
    out[0] = btd(b);
    out[1] = btd(b + 8);
    out[2] = btd(b + 16);
}

void double2buf(double v, unsigned char *b)
{
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    for (int i = 0; i < 8; ++i) b[i] = static_cast<unsigned char>(bits >> (8 * i));
}
void double22buf(const double *v, unsigned char *b)
{
    double2buf(v[0], b);
    double2buf(v[1], b + 8);
}
void double32buf(const double *v, unsigned char *b)
{
    double2buf(v[0], b);
    double2buf(v[1], b + 8);
    double2buf(v[2], b + 16);
}
void long2buf(int32_t v, unsigned char *b)
{
    uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) b[i] = static_cast<unsigned char>(u >> (8 * i));
}
void short2buf(int16_t v, unsigned char *b)
{
    uint16_t u = static_cast<uint16_t>(v);
    b[0] = static_cast<unsigned char>(u);
    b[1] = static_cast<unsigned char>(u >> 8);
}

double adsanitizedouble(double v)
{
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bitsdouble(bits);
}

void reverseshort(unsigned char *b) { std::swap(b[0], b[1]); }
void reverselong(unsigned char *b)
{
    std::swap(b[0], b[3]);
    std::swap(b[1], b[2]);
}
void reversedouble(unsigned char *b)
{
    for (int i = 0; i < 4; ++i) std::swap(b[i], b[7 - i]);
}

/* The exponent field of a big-endian double is zero. */
int isunnormalizeddouble(const unsigned char *b) { return ((b[0] & 0x7F) << 4 | b[1] >> 4) == 0; }

double frddouble(AdDrawing *dwg)
{
    size_t got = 0;
    ztior_read(dwg->stream, adin->scratch, 8, &got);
    if (got < 8) std::memset(adin->scratch + got, 0, 8 - got);
    return btd(adin->scratch);
}
int32_t frdlong(AdDrawing *dwg)
{
    size_t got = 0;
    ztior_read(dwg->stream, adin->scratch, 4, &got);
    if (got < 4) std::memset(adin->scratch + got, 0, 4 - got);
    return btl(adin->scratch);
}
int16_t frdshort(AdDrawing *dwg)
{
    size_t got = 0;
    ztior_read(dwg->stream, adin->scratch, 2, &got);
    if (got < 2) std::memset(adin->scratch + got, 0, 2 - got);
    return bts(adin->scratch);
}

double rddouble(void)
{
    double v = btd(adincursor);
    adincursor += 8;
    return v;
}
void rd2double(double *out)
{
    out[0] = rddouble();
    out[1] = rddouble();
}
void rd3double(double *out)
{
    out[0] = rddouble();
    out[1] = rddouble();
    out[2] = rddouble();
}

double zt_atof(const char *text) { return zt_atofn(text, std::strlen(text)); }

/* Powers of ten a double holds exactly. */
constexpr double kExactPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                  1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

double zt_atofn(const char *text, size_t n)
{
    const char *end = text + n;
    const char *p = text;
    while (p < end && (*p == ' ' || *p == '\t')) ++p;
    bool neg = false;
    if (p < end && (*p == '+' || *p == '-')) neg = *p++ == '-';
    /* The common number, digits with a point and no exponent whose digits
     * make an integer of 53 bits at most: that integer and the power of ten
     * are exact, so their quotient is the correctly rounded value, the one
     * from_chars gives too. */
    uint64_t m = 0;
    int digits = 0, fraction = 0;
    bool point = false;
    const char *q = p;
    for (; q < end && digits <= 19; ++q) {
        const unsigned d = static_cast<unsigned>(static_cast<unsigned char>(*q)) - '0';
        if (d <= 9) {
            m = m * 10 + d;
            ++digits;
            fraction += point;
        } else if (*q == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits > 0 && digits <= 19 && m <= (uint64_t{1} << 53) && fraction <= 22 &&
        (q == end || (*q != 'e' && *q != 'E'))) {
        const double v = static_cast<double>(m) / kExactPow10[fraction];
        return neg ? -v : v;
    }
    double v = 0.0;
    auto r = std::from_chars(p, end, v);
    if (r.ec == std::errc::result_out_of_range) {
        /* like strtod: overflow gives infinity, underflow zero */
        const char *e = p;
        while (e < end && *e != 'e' && *e != 'E') ++e;
        v = (e + 1 < end && e[1] == '-') ? 0.0 : HUGE_VAL;
    } else if (r.ec != std::errc()) {
        v = 0.0;
    }
    return neg ? -v : v;
}

int32_t adatol(const char *text)
{
    int64_t v = parse64(text);
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(v);
}

int32_t adatoln(const char *text, size_t n)
{
    /* the common case, a few digits with blanks around them, directly */
    const char *p = text;
    const char *end = text + n;
    while (p < end && *p == ' ') ++p;
    bool neg = p < end && *p == '-';
    if (neg) ++p;
    const char *d = p;
    int32_t v = 0;
    while (p < end && p - d < 9 && *p >= '0' && *p <= '9') v = v * 10 + (*p++ - '0');
    const char *q = p;
    while (q < end && *q == ' ') ++q;
    if (p > d && q == end && !(p < end && *p >= '0' && *p <= '9')) return neg ? -v : v;
    return adatol(text);
}

int16_t adatoi(const char *text)
{
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(adatol(text))));
}

int adstricmp(const char *a, const char *b)
{
    for (;; ++a, ++b) {
        unsigned char x = static_cast<unsigned char>(*a), y = static_cast<unsigned char>(*b);
        if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
        if (x != y) return x < y ? -1 : 1;
        if (!x) return 0;
    }
}

int adhexval(int c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 0;
}

int32_t adAsciiHexToBinaryCount(const char *text)
{
    size_t n = std::strlen(text);
    return static_cast<int32_t>((n + 1) / 2);
}

void adAsciiHexToBinaryEx(const char *text, unsigned char *out, int32_t *count)
{
    size_t n = std::strlen(text);
    size_t o = 0, i = 0;
    if (n & 1) out[o++] = static_cast<unsigned char>(adhexval(text[i++]));
    for (; i < n; i += 2)
        out[o++] = static_cast<unsigned char>(adhexval(text[i]) << 4 | adhexval(text[i + 1]));
    if (count) *count = static_cast<int32_t>(o);
}

void adAsciiHexToBinary(const char *text, unsigned char *out, int16_t *count)
{
    int32_t n = 0;
    adAsciiHexToBinaryEx(text, out, &n);
    if (count) *count = static_cast<int16_t>(n);
}

void adBinaryHexToAscii(const unsigned char *bytes, size_t n, char *text)
{
    static const char hex[] = "0123456789ABCDEF";
    for (size_t i = 0; i < n; ++i) {
        text[2 * i] = hex[bytes[i] >> 4];
        text[2 * i + 1] = hex[bytes[i] & 15];
    }
    text[2 * n] = '\0';
}

void adAsciiObjhandleToBinary(const char *text, unsigned char *handle)
{
    size_t n = std::strlen(text);
    if (n > 16) n = 16;
    std::memset(handle, 0, 8);
    /* right-aligned: the last digit is the low nibble of byte 7 */
    for (size_t i = 0; i < n; ++i) {
        size_t d = n - 1 - i; /* digit position from the right */
        unsigned v = static_cast<unsigned>(adhexval(text[i]));
        handle[7 - d / 2] |= static_cast<unsigned char>(d & 1 ? v << 4 : v);
    }
}

void adBinaryObjhandleToAscii(const unsigned char *handle, char *text)
{
    char full[17];
    adBinaryHexToAscii(handle, 8, full);
    int i = 0;
    while (i < 15 && full[i] == '0') ++i;
    std::memcpy(text, full + i, 17 - i);
}

int adIncrementObjhandle(unsigned char *handle)
{
    for (int i = 7; i >= 0; --i)
        if (++handle[i] != 0) return 1;
    return 0;
}

int adObjhandleIsNull(const unsigned char *handle)
{
    static const unsigned char zero[8] = {0};
    return std::memcmp(handle, zero, 8) == 0;
}

int adObjhandleCompare(const unsigned char *a, const unsigned char *b) { return std::memcmp(a, b, 8); }

} // extern "C"
