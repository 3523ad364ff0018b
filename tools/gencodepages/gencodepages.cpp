/* Build-time generator of the character tables: asks the C library's iconv
 * what each code page's bytes mean and writes two include files.
 *
 * vyr_codepage_tables.inc: the toolkit's code-page conversion tables in the
 * byte layout of the init data (per table: 128 little-endian 16-bit Unicode
 * values for the bytes 0x80-0xFF; a 16-bit count n; n sorted double-byte codes;
 * their n Unicode values), concatenated, with each table's offset into the
 * block. A single byte that iconv does not define keeps its own value (the C1
 * control or Latin-1 character of that number), so no entry is 0.
 *
 * vyr_bigfont_tables.inc: the big-font tables of the character converter:
 * the 256 single bytes and the four 4096-code blocks 0x8000, 0x9000, 0xE000
 * and 0xF000 of code page 932. Rows 0xED and 0xEE (duplicates of rows 0xFA to
 * 0xFC) and any code whose character an earlier code already gave are left
 * out, so every character has one code; the bytes iconv rejects as characters
 * (0xA0, 0xFD-0xFF) take the values Windows gives them, U+F8F0 to U+F8F3.
 *
 * Usage: gencodepages OUTPUT_DIRECTORY. Each file is written under a
 * temporary name and renamed, so a build never sees half a file. */
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iconv.h>
#include <set>
#include <string>
#include <vector>

namespace {

/* The init data's table numbers, in order, and the iconv code page of each. */
const char *const kTables[] = {
    "CP1252", /* 0 undefined: old drawings hold ANSI text */
    "CP1252", /* 1 ascii: stray 8-bit bytes are ANSI */
    "ISO-8859-1", "ISO-8859-2", "ISO-8859-3", "ISO-8859-4", "ISO-8859-5", "ISO-8859-6",
    "ISO-8859-7", "ISO-8859-8", "ISO-8859-9", /* 2-10 */
    "CP437",      "CP850",      "CP852",      "CP855",      "CP857",      "CP860",
    "CP861",      "CP863",      "CP864",      "CP865",      "CP869", /* 11-21 */
    "MACINTOSH",                                                     /* 22 */
    "JOHAB",                                                         /* 23 */
    "CP866",                                                         /* 24 */
    "CP1250",     "CP1251",     "CP1252",     "CP1253",     "CP1254",     "CP1255",
    "CP1256",     "CP1257",                            /* 25-32 */
    "CP874",                                           /* 33 */
    "CP932",      "CP936",      "CP949",      "CP950", /* 34-37 */
    "CP1258",                                          /* 38 */
};
constexpr int kNumTables = int(sizeof kTables / sizeof kTables[0]);

/* One Unicode character (BMP only) for exactly these bytes, or 0. */
unsigned decode(iconv_t cd, const unsigned char *bytes, size_t n)
{
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char in[2];
    std::memcpy(in, bytes, n);
    char *ip = in;
    size_t il = n;
    unsigned char out[16];
    char *op = reinterpret_cast<char *>(out);
    size_t ol = sizeof out;
    if (iconv(cd, &ip, &il, &op, &ol) == static_cast<size_t>(-1) || il != 0) return 0;
    /* pages that compose characters (1258) hold the last one back until flushed */
    if (iconv(cd, nullptr, nullptr, &op, &ol) == static_cast<size_t>(-1)) return 0;
    if (sizeof out - ol != 4) return 0;
    unsigned u = out[0] | out[1] << 8 | out[2] << 16 | static_cast<unsigned>(out[3]) << 24;
    return u > 0 && u <= 0xFFFF ? u : 0;
}

iconv_t openpage(const char *name)
{
    iconv_t cd = iconv_open("UTF-32LE", name);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        std::fprintf(stderr, "gencodepages: iconv cannot open %s: %s\n", name, std::strerror(errno));
        std::exit(1);
    }
    return cd;
}

struct Pair {
    unsigned code, unicode;
};

/* The double-byte codes of a page: a first byte that is no character alone,
 * followed by any byte, that iconv decodes as one character. */
std::vector<Pair> doublebytes(iconv_t cd)
{
    std::vector<Pair> v;
    for (unsigned hi = 0x80; hi <= 0xFF; ++hi) {
        const unsigned char lead = static_cast<unsigned char>(hi);
        if (decode(cd, &lead, 1)) continue;
        for (unsigned lo = 0; lo <= 0xFF; ++lo) {
            const unsigned char b[2] = {lead, static_cast<unsigned char>(lo)};
            if (unsigned u = decode(cd, b, 2)) v.push_back({hi << 8 | lo, u});
        }
    }
    return v;
}

void put16(std::vector<unsigned char> &out, unsigned v)
{
    out.push_back(static_cast<unsigned char>(v & 0xFF));
    out.push_back(static_cast<unsigned char>(v >> 8 & 0xFF));
}

bool writefile(const std::string &path, const std::string &text)
{
    const std::string tmp = path + ".tmp";
    FILE *f = std::fopen(tmp.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = std::fclose(f) == 0 && ok;
    return ok && std::rename(tmp.c_str(), path.c_str()) == 0;
}

void bytesarray(std::string &s, const char *name, const std::vector<unsigned char> &bytes)
{
    s += "static const unsigned char " + std::string(name) + "[" + std::to_string(bytes.size()) + "] = {\n";
    char buf[8];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%u,", bytes[i]);
        s += buf;
        if (i % 24 == 23) s += '\n';
    }
    s += "};\n";
}

void shortarray(std::string &s, const char *name, const unsigned *values, size_t n)
{
    s += "const unsigned short " + std::string(name) + "[" + std::to_string(n) + "] = {\n";
    char buf[12];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(buf, sizeof buf, "0x%04X,", values[i]);
        s += buf;
        if (i % 12 == 11) s += '\n';
    }
    s += "};\n";
}

std::string codepagetables()
{
    std::vector<unsigned char> block;
    std::vector<size_t> offsets;
    for (int t = 0; t < kNumTables; ++t) {
        iconv_t cd = openpage(kTables[t]);
        offsets.push_back(block.size());
        for (unsigned c = 0x80; c <= 0xFF; ++c) {
            const unsigned char b = static_cast<unsigned char>(c);
            unsigned u = decode(cd, &b, 1);
            put16(block, u ? u : c);
        }
        std::vector<Pair> pairs = doublebytes(cd);
        put16(block, static_cast<unsigned>(pairs.size()));
        for (const Pair &p : pairs) put16(block, p.code);
        for (const Pair &p : pairs) put16(block, p.unicode);
        iconv_close(cd);
    }
    std::string s = "/* Generated by tools/gencodepages from the C library's iconv. Do not edit. */\n";
    s += "#define VYR_CODEPAGE_TABLES " + std::to_string(kNumTables) + "\n";
    s += "static const unsigned long kCodePageTableOffsets[VYR_CODEPAGE_TABLES] = {";
    for (size_t o : offsets) s += std::to_string(o) + "ul,";
    s += "};\n";
    bytesarray(s, "kCodePageTableBlock", block);
    return s;
}

std::string bigfonttables()
{
    iconv_t cd = openpage("CP932");
    unsigned single[256] = {};
    std::set<unsigned> seen;
    for (unsigned c = 0; c <= 0xFF; ++c) {
        const unsigned char b = static_cast<unsigned char>(c);
        unsigned u = c <= 0x80 ? c : decode(cd, &b, 1);
        if (c == 0xA0) u = 0xF8F0;
        if (c >= 0xFD) u = 0xF8F1 + (c - 0xFD);
        single[c] = u;
        if (u) seen.insert(u);
    }
    std::vector<unsigned> blocks(4 * 4096, 0);
    const unsigned starts[4] = {0x8000, 0x9000, 0xE000, 0xF000};
    for (const Pair &p : doublebytes(cd)) {
        const unsigned row = p.code >> 8;
        if (row == 0xED || row == 0xEE || !seen.insert(p.unicode).second) continue;
        for (int k = 0; k < 4; ++k)
            if (p.code >= starts[k] && p.code < starts[k] + 4096)
                blocks[k * 4096 + (p.code - starts[k])] = p.unicode;
    }
    iconv_close(cd);
    std::string s = "/* Generated by tools/gencodepages from the C library's iconv. Do not edit. */\n";
    shortarray(s, "VyrDxfUCConverter::BigFont00ToUnicode", single, 256);
    shortarray(s, "VyrDxfUCConverter::BigFont8ToUnicode", &blocks[0], 4096);
    shortarray(s, "VyrDxfUCConverter::BigFont9ToUnicode", &blocks[4096], 4096);
    shortarray(s, "VyrDxfUCConverter::BigFontEToUnicode", &blocks[2 * 4096], 4096);
    shortarray(s, "VyrDxfUCConverter::BigFontFToUnicode", &blocks[3 * 4096], 4096);
    return s;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: gencodepages OUTPUT_DIRECTORY\n");
        return 2;
    }
    const std::string dir(argv[1]);
    if (!writefile(dir + "/vyr_codepage_tables.inc", codepagetables()) ||
        !writefile(dir + "/vyr_bigfont_tables.inc", bigfonttables())) {
        std::fprintf(stderr, "gencodepages: cannot write to %s: %s\n", argv[1], std::strerror(errno));
        return 1;
    }
    return 0;
}
