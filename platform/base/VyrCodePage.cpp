/* Code pages through glibc iconv (see the header). The conversion goes to
 * UTF-16LE, whose byte pairs are assembled into units here, so the result is
 * the same on any host byte order. */
#include "platform/base/VyrCodePage.h"

#include "platform/base/VyrString.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace {

const char kFallback[] = "CP1252";

struct NameMap {
    const char *name; /* lower case */
    const char *iconv;
};

/* Names that do not follow one of the patterns handled below. */
const NameMap kNames[] = {
    {"undefined", kFallback}, /* old drawings: bytes are in the ANSI page */
    {"ascii", kFallback},     /* a superset keeps stray 8-bit bytes */
    {"us-ascii", kFallback},  {"mac-roman", "MACINTOSH"}, {"macroman", "MACINTOSH"},
    {"big5", "CP950"},        {"ksc5601", "CP949"},       {"johab", "JOHAB"},
    {"gb2312", "CP936"},      {"gbk", "CP936"},           {"ansi_1200", "UTF-8"},
    {"ansi_1361", "JOHAB"},   {"ibm-932", "CP932"},       {"shift_jis", "CP932"},
    {"sjis", "CP932"},        {"euc-jp", "EUC-JP"},       {"euc-kr", "EUC-KR"},
    {"euc-cn", "EUC-CN"},     {"euc-tw", "EUC-TW"},       {"utf-8", "UTF-8"},
    {"utf8", "UTF-8"},        {"latin1", "ISO-8859-1"},   {"latin-1", "ISO-8859-1"},
};

bool AllDigits(const std::string &s)
{
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

bool StartsWith(const std::string &s, const char *prefix, std::string &rest)
{
    size_t n = std::strlen(prefix);
    if (s.compare(0, n, prefix) != 0) return false;
    rest = s.substr(n);
    return true;
}

} // namespace

std::string VyrCodePage::sToIconvName(const char *name)
{
    std::string s;
    for (const char *p = name ? name : ""; *p; ++p)
        if (*p != ' ' && *p != '\t') s.push_back(VyrAsciiLower(*p));
    if (s.empty()) return kFallback;
    for (const NameMap &m : kNames)
        if (s == m.name) return m.iconv;
    std::string rest;
    /* ansi_1252, dos850, cp1252, windows-1252, 1252 */
    if ((StartsWith(s, "ansi_", rest) || StartsWith(s, "dos", rest) || StartsWith(s, "windows-", rest) ||
         StartsWith(s, "cp", rest) || StartsWith(s, "ibm", rest) || StartsWith(s, "", rest)) &&
        AllDigits(rest))
        return "CP" + rest;
    /* iso8859-1, iso-8859-1, iso_8859-1, iso8859_1 */
    if (StartsWith(s, "iso8859", rest) || StartsWith(s, "iso-8859", rest) ||
        StartsWith(s, "iso_8859", rest)) {
        if (!rest.empty() && (rest[0] == '-' || rest[0] == '_')) rest.erase(0, 1);
        if (AllDigits(rest)) return "ISO-8859-" + rest;
    }
    std::string upper;
    for (char c : s) upper.push_back(VyrAsciiUpper(c));
    return upper;
}

VyrCodePage::VyrCodePage(const char *name)
    : name_(name ? name : ""), iconvName_(sToIconvName(name)), cd_(nullptr), fallback_(false),
      byteTable_(false)
{
    iconv_t cd = iconv_open("UTF-16LE", iconvName_.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        fallback_ = true;
        iconvName_ = kFallback;
        cd = iconv_open("UTF-16LE", kFallback);
    }
    if (cd != reinterpret_cast<iconv_t>(-1)) cd_ = cd;
    BuildByteTable();
}

/* The table serves a page only when every byte alone converts at once into
 * one unit, or is rejected as undefined, with nothing held back for a flush:
 * then a text converts byte by byte exactly as iconv converts it whole.
 * Multi-byte pages (lead bytes are incomplete alone), stateful ones (a shift
 * byte gives nothing) and those that compose a letter with the accent after
 * it (a letter is held back) keep iconv. */
void VyrCodePage::BuildByteTable()
{
    byteTable_ = false;
    if (!cd_) return;
    iconv_t cd = static_cast<iconv_t>(cd_);
    for (unsigned b = 0; b < 256; ++b) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char byte = static_cast<char>(b);
        char *in = &byte;
        size_t inLeft = 1;
        char buf[16];
        char *out = buf;
        size_t outLeft = sizeof buf;
        const size_t r = iconv(cd, &in, &inLeft, &out, &outLeft);
        const size_t got = sizeof buf - outLeft;
        if (r == static_cast<size_t>(-1)) {
            if (errno != EILSEQ || got != 0) return;
            byteUnits_[b] = 0xFFFD;
            byteUndefined_[b] = true;
        } else {
            if (inLeft != 0 || got != 2) return;
            const unsigned short u = static_cast<unsigned short>(static_cast<unsigned char>(buf[0]) |
                                                                 (static_cast<unsigned char>(buf[1]) << 8));
            if (u >= 0xD800 && u <= 0xDFFF) return;
            byteUnits_[b] = u;
            byteUndefined_[b] = false;
        }
        out = buf;
        outLeft = sizeof buf;
        if (iconv(cd, nullptr, nullptr, &out, &outLeft) == static_cast<size_t>(-1) || outLeft != sizeof buf)
            return;
    }
    byteTable_ = true;
}

VyrCodePage::~VyrCodePage()
{
    if (cd_) iconv_close(static_cast<iconv_t>(cd_));
}

int VyrCodePage::ConvertStrToUcs(const char *src, int srcLen, unsigned short *dst, int *dstLen)
{
    if (dstLen) *dstLen = 0;
    if (!src || !dst || !dstLen) return -1;
    if (srcLen < 0) srcLen = static_cast<int>(std::strlen(src));
    if (srcLen == 0) return 0;

    /* Units go straight into dst; what does not fit is dropped and counts
     * as replaced. No heap memory: callers convert many short runs. */
    const size_t cap = static_cast<size_t>(srcLen);
    size_t n = 0;
    int replaced = 0;
    auto put = [&](unsigned short u) {
        if (n < cap)
            dst[n++] = u;
        else
            replaced = 1;
    };
    auto putbytes = [&](const char *b, size_t len) {
        for (size_t i = 0; i + 1 < len; i += 2)
            put(static_cast<unsigned short>(static_cast<unsigned char>(b[i]) |
                                            (static_cast<unsigned char>(b[i + 1]) << 8)));
    };
    if (byteTable_) {
        for (size_t i = 0; i < cap; ++i) {
            const unsigned char b = static_cast<unsigned char>(src[i]);
            dst[i] = byteUnits_[b];
            if (byteUndefined_[b]) replaced = 1;
        }
        n = cap;
    } else if (!cd_) {
        /* iconv unavailable altogether: keep the bytes as ISO 8859-1. */
        for (int i = 0; i < srcLen; ++i) put(static_cast<unsigned char>(src[i]));
    } else {
        iconv_t cd = static_cast<iconv_t>(cd_);
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char *in = const_cast<char *>(src);
        size_t inLeft = cap;
        char buf[4096];
        while (inLeft > 0) {
            char *out = buf;
            size_t outLeft = sizeof buf;
            size_t r = iconv(cd, &in, &inLeft, &out, &outLeft);
            int err = (r == static_cast<size_t>(-1)) ? errno : 0;
            putbytes(buf, sizeof buf - outLeft);
            if (err == E2BIG) continue;
            if (err == EILSEQ) {
                /* what the encoding held back comes before the bad byte */
                out = buf;
                outLeft = sizeof buf;
                iconv(cd, nullptr, nullptr, &out, &outLeft);
                putbytes(buf, sizeof buf - outLeft);
                put(0xFFFD);
                replaced = 1;
                ++in;
                --inLeft;
                continue;
            }
            if (err != 0) { /* EINVAL: an incomplete sequence at the end */
                put(0xFFFD);
                replaced = 1;
                break;
            }
        }
        /* Flush what a stateful or composing encoding holds back. */
        char *out = buf;
        size_t outLeft = sizeof buf;
        iconv(cd, nullptr, nullptr, &out, &outLeft);
        putbytes(buf, sizeof buf - outLeft);
    }
    *dstLen = static_cast<int>(n);
    return replaced ? 1 : 0;
}
