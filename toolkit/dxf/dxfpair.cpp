/* The DXF group-code reader: getdxfpair delivers the next group-code/value
 * pair of an ASCII or binary DXF file into the current pair of the toolkit
 * state, converting the value by the kind its group code belongs to and
 * skipping comments. ASCII lines may end in CR, LF, CR LF or LF CR; a line is
 * cut at its first control character other than TAB, and one longer than
 * AD_MAX_LINE at that length (with one warning per load). Lines are taken
 * straight from the stream's read buffer, so reading costs one scan and one
 * copy per line. */
#include "toolkit/dxf/dxf_int.h"

#include <array>
#include <cstdio>
#include <cstring>

namespace {

/* How a value is written in binary DXF (the value kind says where it goes). */
enum BinaryEncoding : unsigned char {
    BE_STRING, /* zero-terminated text (strings and handles) */
    BE_REAL,   /* 8-byte double */
    BE_I16,    /* 2-byte integer */
    BE_I8,     /* 1-byte integer: the booleans 290-299 */
    BE_I32,    /* 4-byte integer */
    BE_I64,    /* 8-byte integer, delivered as decimal text */
    BE_CHUNK   /* one length byte, then that many bytes */
};

/* Value kind (low four bits) and binary encoding (high four bits) of every
 * group code below 1072; codes outside the ranges are strings. The ranges
 * are those of the DXF reference's table of group-code value types; in
 * binary DXF the booleans 290-299 take one byte and the 64-bit integers
 * 160-169 eight, as files of other writers have them. */
constexpr std::array<unsigned char, 1072> buildkinds()
{
    std::array<unsigned char, 1072> k{};
    auto set = [&k](int lo, int hi, int kind, int enc) {
        for (int c = lo; c <= hi; ++c)
            k[static_cast<size_t>(c)] = static_cast<unsigned char>(kind | enc << 4);
    };
    set(10, 59, AD_VK_REAL, BE_REAL);
    set(110, 149, AD_VK_REAL, BE_REAL);
    set(210, 239, AD_VK_REAL, BE_REAL);
    set(460, 469, AD_VK_REAL, BE_REAL);
    set(1010, 1059, AD_VK_REAL, BE_REAL);
    set(60, 79, AD_VK_INT16, BE_I16);
    set(170, 179, AD_VK_INT16, BE_I16);
    set(270, 289, AD_VK_INT16, BE_I16);
    set(290, 299, AD_VK_INT16, BE_I8);
    set(370, 389, AD_VK_INT16, BE_I16);
    set(400, 409, AD_VK_INT16, BE_I16);
    set(1060, 1070, AD_VK_INT16, BE_I16);
    set(90, 99, AD_VK_INT32, BE_I32);
    set(420, 429, AD_VK_INT32, BE_I32);
    set(440, 459, AD_VK_INT32, BE_I32);
    set(1071, 1071, AD_VK_INT32, BE_I32);
    set(160, 169, AD_VK_STRING, BE_I64);
    set(5, 5, AD_VK_HANDLE, BE_STRING);
    set(105, 105, AD_VK_HANDLE, BE_STRING);
    set(1005, 1005, AD_VK_HANDLE, BE_STRING);
    set(320, 369, AD_VK_HANDLE, BE_STRING);
    set(390, 399, AD_VK_HANDLE, BE_STRING);
    set(480, 481, AD_VK_HANDLE, BE_STRING);
    set(310, 319, AD_VK_HEX310, BE_CHUNK);
    set(1004, 1004, AD_VK_BIN1004, BE_CHUNK);
    set(999, 999, AD_VK_COMMENT, BE_STRING);
    return k;
}

constexpr std::array<unsigned char, 1072> kKinds = buildkinds();

inline unsigned binaryencoding(uint16_t code) { return code < kKinds.size() ? kKinds[code] >> 4 : BE_STRING; }

/* Handle text of len characters: blanks around it are not part of it. */
void sethandle(char *text, size_t len)
{
    char *p = text;
    while (*p == ' ' || *p == '\t') ++p;
    size_t n = len - static_cast<size_t>(p - text);
    while (n && (p[n - 1] == ' ' || p[n - 1] == '\t')) --n;
    if (p != text) std::memmove(text, p, n);
    text[n] = '\0';
    if (n <= 16) adAsciiObjhandleToBinary(text, adin->curhandle);
}

/* The first byte below 32 (a control character: the line ends among them)
 * in [q, e), or e. Eight bytes at a time where the host is little-endian: a
 * word's lowest flagged byte is its first control character (a byte from
 * 0x80 on is never flagged, and no borrow reaches the bytes before it). */
inline unsigned char *firstcontrol(unsigned char *q, unsigned char *e)
{
#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    for (; e - q >= 8; q += 8) {
        uint64_t w;
        std::memcpy(&w, q, 8);
        const uint64_t below = (w - 0x2020202020202020ull) & ~w & 0x8080808080808080ull;
        if (below) return q + (__builtin_ctzll(below) >> 3);
    }
#endif
    while (q < e && *q >= 32) ++q;
    return q;
}

/* The scan pass reads only the values of these codes (lite reading: 1
 * without the handles, 2 with them). */
inline bool wanted(uint16_t code, int lite)
{
    return code == 0 || code == 2 || (lite == 2 && (code == 5 || code == 105));
}

/* Passes over one line without copying it; false when the stream is at its
 * end before the line. */
bool skipbufline(AdDrawing *dwg)
{
    ZtStream *st = dwg->stream;
    bool any = false;
    for (;;) {
        if (st->cur == st->end && !ztior_fill(st)) return any;
        any = true;
        unsigned char *q = st->cur;
        unsigned char *e = st->end;
        for (;;) {
            q = firstcontrol(q, e);
            if (q == e || *q == '\n' || *q == '\r') break;
            ++q;
        }
        st->cur = q;
        if (q < e) {
            unsigned char c = *st->cur++;
            if (st->cur < st->end || ztior_fill(st)) {
                unsigned char d = *st->cur;
                if ((c == '\r' && d == '\n') || (c == '\n' && d == '\r')) ++st->cur;
            }
            return true;
        }
    }
}

/* Passes over a zero-terminated binary string. */
bool skipbinstring(ZtStream *st)
{
    for (;;) {
        if (st->cur == st->end && !ztior_fill(st)) return false;
        unsigned char *z =
            static_cast<unsigned char *>(std::memchr(st->cur, 0, static_cast<size_t>(st->end - st->cur)));
        if (z) {
            st->cur = z + 1;
            return true;
        }
        st->cur = st->end;
    }
}

/* A group code line as nearly every file writes it (a few blanks, at most
 * nine digits, the line end) read straight from the stream's buffer, when
 * the line and the byte after it are there: the number into *code (curstr
 * is left alone: the value line read next replaces it, or the pass over it
 * empties it). False, with nothing consumed, for any other line, which the
 * general path then reads. */
bool quickcode(AdDrawing *dwg, int32_t *code)
{
    ZtStream *st = dwg->stream;
    const unsigned char *const b = st->cur, *const e = st->end;
    const unsigned char *p = b;
    while (p < e && *p == ' ' && p - b < 16) ++p;
    const unsigned char *const d = p;
    int32_t v = 0;
    while (p < e && p - d < 9 && *p >= '0' && *p <= '9') v = v * 10 + (*p++ - '0');
    if (p == d || e - p < 2 || (*p != '\n' && *p != '\r')) return false;
    const unsigned char c = p[0], next = p[1];
    st->cur =
        const_cast<unsigned char *>(p) + ((c == '\r' && next == '\n') || (c == '\n' && next == '\r') ? 2 : 1);
    *code = v;
    return true;
}

bool getasciipair(AdDrawing *dwg, int lite)
{
    char *s = adin->curstr;
    for (;;) {
        int32_t number;
        if (!quickcode(dwg, &number)) {
            do {
                if (!readbufline(dwg)) return false;
            } while (s[0] == '\0');
            for (const char *p = s; *p; ++p) {
                char c = *p;
                if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
                    adcriticalerror(6);
                    adseterror(299);
                    return false;
                }
            }
            number = adatoln(s, adin->curlen);
        }
        adin->curcode = static_cast<uint16_t>(static_cast<uint32_t>(number));
        uint16_t code = adin->curcode;
        if (lite && !wanted(code, lite)) {
            if (!skipbufline(dwg)) return false;
            if (code == 999 && !ztior_atend(dwg->stream)) continue;
            s[0] = '\0';
            return true;
        }
        if (!readbufline(dwg)) return false;
        /* curlen is the value's length: the line was cut at its first
           control character, a zero byte among them */
        switch (advaluekind(code)) {
        case AD_VK_REAL: adin->curreal = zt_atofn(s, adin->curlen); break;
        case AD_VK_INT16:
            adin->curshort =
                static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(adatoln(s, adin->curlen))));
            break;
        case AD_VK_INT32: adin->curlong = adatoln(s, adin->curlen); break;
        case AD_VK_HANDLE: sethandle(s, adin->curlen); break;
        case AD_VK_COMMENT:
            if (ztior_atend(dwg->stream)) return true;
            continue;
        default:
            if (code == 0 || code == 2) {
                size_t n = adin->curlen;
                while (n > 1 && s[n - 1] == ' ') --n;
                s[n] = '\0';
            }
            break;
        }
        return true;
    }
}

/* A zero-terminated binary string into curstr, cut at the buffer's size. */
bool readbinstring(ZtStream *st)
{
    char *out = adin->curstr;
    size_t n = 0;
    for (;;) {
        if (st->cur == st->end && !ztior_fill(st)) {
            out[n] = '\0';
            return false;
        }
        unsigned char *z =
            static_cast<unsigned char *>(std::memchr(st->cur, 0, static_cast<size_t>(st->end - st->cur)));
        unsigned char *stop = z ? z : st->end;
        size_t k = static_cast<size_t>(stop - st->cur);
        size_t room = AD_LINEBUF_SIZE - n;
        std::memcpy(out + n, st->cur, k < room ? k : room);
        n += k < room ? k : room;
        st->cur = stop;
        if (z) {
            ++st->cur;
            out[n] = '\0';
            return true;
        }
    }
}

bool getbinarypair(AdDrawing *dwg, int lite)
{
    ZtStream *st = dwg->stream;
    for (;;) {
        int c;
        bool onebyte = dwg->bincodes ? dwg->bincodes == 1 : dwg->version < AD_ACAD13 && !adin->bincode16;
        if (onebyte) {
            c = ztior_getc(st);
            if (c < 0) return false;
            if (c == 255) c = static_cast<uint16_t>(frdshort(dwg));
        } else {
            c = static_cast<uint16_t>(frdshort(dwg));
        }
        if (ztior_feof(st)) return false;
        uint16_t code = static_cast<uint16_t>(c);
        adin->curcode = code;
        switch (binaryencoding(code)) {
        case BE_REAL: adin->curreal = frddouble(dwg); break;
        case BE_I16: adin->curshort = frdshort(dwg); break;
        case BE_I8: {
            int v = ztior_getc(st);
            if (v < 0) return false;
            adin->curshort = static_cast<int16_t>(v);
            break;
        }
        case BE_I32: adin->curlong = frdlong(dwg); break;
        case BE_I64: {
            unsigned char raw[8];
            size_t got = 0;
            ztior_read(st, raw, sizeof raw, &got);
            if (got != sizeof raw) return false;
            uint64_t v = 0;
            for (int i = 7; i >= 0; --i) v = v << 8 | raw[i];
            std::snprintf(adin->curstr, AD_LINEBUF_SIZE, "%lld", static_cast<long long>(v));
            break;
        }
        case BE_CHUNK: {
            int n = ztior_getc(st);
            if (n < 0) return false;
            unsigned char raw[256];
            size_t got = 0;
            ztior_read(st, raw, static_cast<size_t>(n), &got);
            if (code != 1004) {
                adBinaryHexToAscii(raw, got, adin->curstr);
            } else {
                std::memcpy(adin->curstr, raw, got);
                adin->curstr[got] = '\0';
                adin->curbinlen = static_cast<int16_t>(got);
            }
            break;
        }
        default:
            if (lite && !wanted(code, lite)) {
                if (!skipbinstring(st)) return false;
                adin->curstr[0] = '\0';
                break;
            }
            if (!readbinstring(st)) return false;
            if (advaluekind(code) == AD_VK_HANDLE && std::strlen(adin->curstr) <= 16)
                adAsciiObjhandleToBinary(adin->curstr, adin->curhandle);
            break;
        }
        if (ztior_feof(st)) return false;
        if (code == 999 && !ztior_atend(st)) continue;
        return true;
    }
}

} // namespace

extern "C" {

int advaluekind(uint16_t code)
{
    return code < kKinds.size() ? static_cast<int>(kKinds[code] & 0x0F) : static_cast<int>(AD_VK_STRING);
}

int readbufline(AdDrawing *dwg)
{
    ZtStream *st = dwg->stream;
    char *out = adin->curstr;
    size_t n = 0, cut = SIZE_MAX;
    bool any = false, ended = false;
    for (;;) {
        if (st->cur == st->end && !ztior_fill(st)) {
            ended = true;
            break;
        }
        any = true;
        unsigned char *p = st->cur;
        unsigned char *e = st->end;
        size_t room = AD_LINEBUF_SIZE - n;
        if (static_cast<size_t>(e - p) > room) e = p + room;
        unsigned char *q = p;
        for (;;) {
            q = firstcontrol(q, e);
            if (q == e) break;
            const unsigned char c = *q;
            if (c == '\n' || c == '\r') break;
            if (c != '\t' && cut == SIZE_MAX) cut = n + static_cast<size_t>(q - p);
            ++q;
        }
        std::memcpy(out + n, p, static_cast<size_t>(q - p));
        n += static_cast<size_t>(q - p);
        st->cur = q;
        if (q < e) {
            unsigned char c = *st->cur++;
            if (st->cur < st->end || ztior_fill(st)) {
                unsigned char d = *st->cur;
                if ((c == '\r' && d == '\n') || (c == '\n' && d == '\r')) ++st->cur;
            }
            ended = true;
            break;
        }
        if (n >= AD_LINEBUF_SIZE) break;
    }
    if (!any && n == 0) {
        out[0] = '\0';
        return 0;
    }
    if (cut < n) n = cut;
    if (n > AD_MAX_LINE) {
        /* an over-long line is cut to the longest one accepted, with one
           warning per load; the rest of a line longer than the buffer is
           passed over */
        if (!ended) skipbufline(dwg);
        n = AD_MAX_LINE;
        AdDxfLoad *s = dwg->dxf;
        if (s && !s->longwarned && adin->warning) {
            s->longwarned = 1;
            char text[160];
            std::snprintf(
                text, sizeof text,
                "A line of the file is longer than %d characters: it is cut there (the first ends at byte "
                "%lld)",
                static_cast<int>(AD_MAX_LINE), static_cast<long long>(ztior_tell(st)));
            adin->warning(text);
        }
    }
    out[n] = '\0';
    adin->curlen = n;
    return 1;
}

int getdxfpair(AdDrawing *dwg)
{
    if (!dwg || !dwg->stream || !adin) return 0;
    return dwg->filetype == AD_FILE_BINARY_DXF ? getbinarypair(dwg, 0) : getasciipair(dwg, 0);
}

int getdxfpairlite(AdDrawing *dwg, int handles)
{
    if (!dwg || !dwg->stream || !adin) return 0;
    const int lite = handles ? 2 : 1;
    return dwg->filetype == AD_FILE_BINARY_DXF ? getbinarypair(dwg, lite) : getasciipair(dwg, lite);
}

int adbinaryskipsentinel(AdDrawing *dwg)
{
    if (ztior_seek(dwg->stream, 0) != 0) return 0;
    for (int i = 0; i < AD_SNIFF_SIZE; ++i) {
        int c = ztior_getc(dwg->stream);
        if (c < 0) return 0;
        if (c == 0) return 1;
    }
    return 0;
}

/* The first pair of a binary DXF file is (0, "SECTION"): a code 0 of two
 * bytes shows as two zero bytes, one of one byte as a zero byte followed by
 * the text. Writers differ in the width they give files of the releases
 * around AC1012, so the file's own bytes decide; when they show neither,
 * the version index decides. */
void adchoosebinarycodewidth(AdDrawing *dwg)
{
    adin->bincode16 = 0;
    dwg->bincodes = 0;
    if (!adbinaryskipsentinel(dwg)) return;
    int a = ztior_getc(dwg->stream), b = ztior_getc(dwg->stream);
    adbinaryskipsentinel(dwg);
    if (a == 0 && b == 0) {
        adin->bincode16 = 1;
        dwg->bincodes = 2;
    } else if (a == 0 && b > 0) {
        dwg->bincodes = 1;
    }
}

void adstartscanometer(AdDrawing *dwg)
{
    AdDxfScan &s = dwg->scan;
    s.filelength = ztior_length(dwg->stream);
    s.step = s.filelength / 20;
    s.threshold = s.step;
    s.percent = 0;
    s.counter = 0;
}

void updatescanometer(AdDrawing *dwg)
{
    AdDxfScan &s = dwg->scan;
    int16_t before = s.percent;
    int64_t pos = ztior_tell(dwg->stream);
    while (pos > s.threshold && s.percent < 100) {
        s.threshold += s.step;
        s.percent = static_cast<int16_t>(s.percent + 5);
    }
    if (s.percent > 100) s.percent = 100;
    if (s.percent != before && adin && adin->dxfscanometer) adin->dxfscanometer(s.percent);
    s.counter = 0;
}

} // extern "C"
