/* UTF-8 text into a drawing's code page (see the header). */
#include "tools/downconv/DxfTextRecoder.h"

#include <iconv.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/base/VyrCodePage.h"

namespace {

const iconv_t kNoConversion = reinterpret_cast<iconv_t>(-1);

/* Characters that start a control sequence in DXF or MTEXT text. */
bool Special(unsigned char c) { return c == '\\' || c == '^' || c == '{' || c == '}'; }

void Escape(uint32_t cp, std::string &out)
{
    char text[16];
    if (cp > 0xFFFF) {
        cp -= 0x10000;
        std::snprintf(text, sizeof text, "\\U+%04X", unsigned(0xD800 + (cp >> 10)));
        out += text;
        cp = 0xDC00 + (cp & 0x3FF);
    }
    std::snprintf(text, sizeof text, "\\U+%04X", unsigned(cp));
    out += text;
}

} // namespace

int DxfUtf8Decode(const unsigned char *p, size_t n, uint32_t &cp)
{
    if (n == 0) return 0;
    const unsigned char c = p[0];
    int len;
    uint32_t min;
    if (c < 0x80) {
        cp = c;
        return 1;
    } else if (c >= 0xC2 && c <= 0xDF) {
        len = 2, cp = c & 0x1F, min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3, cp = c & 0x0F, min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4, cp = c & 0x07, min = 0x10000;
    } else {
        return -1;
    }
    for (int i = 1; i < len; ++i) {
        if (size_t(i) >= n) return 0;
        if ((p[i] & 0xC0) != 0x80) return -1;
        cp = cp << 6 | (p[i] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
    return len;
}

DxfTextRecoder::DxfTextRecoder(const std::string &codePage)
{
    std::string name = VyrCodePage::sToIconvName(codePage.c_str());
    for (const char *dbcs : {"CP932", "CP936", "CP949", "CP950", "JOHAB"})
        if (name == dbcs) doubleByte_ = true;
    if (name.compare(0, 3, "UTF") == 0 || name.compare(0, 3, "UCS") == 0) return;
    iconv_t cd = iconv_open(name.c_str(), "UTF-32LE");
    if (cd == kNoConversion) return;
    cd_ = cd;
    target_ = name;
}

DxfTextRecoder::~DxfTextRecoder()
{
    if (cd_) iconv_close(static_cast<iconv_t>(cd_));
}

const std::string &DxfTextRecoder::Encode(uint32_t cp)
{
    auto found = cache_.find(cp);
    if (found != cache_.end()) return found->second;
    std::string bytes;
    if (cd_) {
        char in[4] = {char(cp & 0xFF), char(cp >> 8 & 0xFF), char(cp >> 16 & 0xFF), char(cp >> 24)};
        char outBuffer[16];
        char *inp = in, *outp = outBuffer;
        size_t inLeft = 4, outLeft = sizeof outBuffer;
        iconv_t cd = static_cast<iconv_t>(cd_);
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &inp, &inLeft, &outp, &outLeft) != size_t(-1) &&
            iconv(cd, nullptr, nullptr, &outp, &outLeft) != size_t(-1))
            bytes.assign(outBuffer, outp);
        for (size_t i = 1; i < bytes.size(); ++i)
            if (Special(static_cast<unsigned char>(bytes[i]))) bytes.clear();
        /* a code page without the character may give a stand-in byte */
        if (bytes.size() == 1 && static_cast<unsigned char>(bytes[0]) < 0x80) bytes.clear();
    }
    if (bytes.empty()) Escape(cp, bytes);
    return cache_.emplace(cp, bytes).first->second;
}

void DxfTextRecoder::Recode(const std::string &piece, std::string &out, std::string *carry,
                            std::vector<size_t> *ends)
{
    std::string joined;
    const std::string *text = &piece;
    if (carry && !carry->empty()) {
        joined = *carry + piece;
        carry->clear();
        text = &joined;
    }
    const unsigned char *p = reinterpret_cast<const unsigned char *>(text->data());
    const size_t n = text->size();
    size_t i = 0;
    while (i < n && p[i] < 0x80) ++i;
    if (i == n && !ends) {
        out += *text;
        return;
    }
    /* all of it must be UTF-8, or none of it is taken as such */
    size_t end = n;
    for (size_t at = i; at < n;) {
        uint32_t cp;
        int len = DxfUtf8Decode(p + at, n - at, cp);
        if (len == 0 && carry) {
            end = at;
            break;
        }
        if (len <= 0) {
            ++foreign;
            out += *text;
            if (ends)
                for (size_t k = out.size() - n + 1; k <= out.size(); ++k) ends->push_back(k);
            return;
        }
        at += size_t(len);
    }
    for (size_t at = 0; at < end;) {
        uint32_t cp;
        int len = DxfUtf8Decode(p + at, end - at, cp);
        if (cp < 0x80) {
            out.push_back(char(cp));
        } else {
            const std::string &bytes = Encode(cp);
            if (bytes[0] == '\\' && bytes.size() > 1 && bytes[1] == 'U') ++escaped;
            out += bytes;
        }
        if (ends) ends->push_back(out.size());
        at += size_t(len);
    }
    if (end < n) carry->assign(text->data() + end, n - end);
}

void DxfTextRecoder::Pass(const std::string &piece, std::string &out, std::string *carry,
                          std::vector<size_t> *ends)
{
    std::string joined;
    const std::string *text = &piece;
    if (carry && !carry->empty()) {
        joined = *carry + piece;
        carry->clear();
        text = &joined;
    }
    const size_t n = text->size();
    for (size_t i = 0; i < n;) {
        const unsigned char c = static_cast<unsigned char>((*text)[i]);
        size_t len = 1;
        if (c == '\\' && (text->compare(i, 3, "\\U+") == 0 || text->compare(i, 3, "\\M+") == 0))
            len = (*text)[i + 1] == 'U' ? 7 : 8;
        else if (c == '\\' && n - i < 3 && std::string("\\U+").compare(0, n - i, *text, i, n - i) == 0)
            len = 3; /* the start of an escape */
        else if (doubleByte_ && c >= 0x81)
            len = 2;
        if (i + len > n && carry) {
            carry->assign(*text, i, n - i);
            return;
        }
        len = std::min(len, n - i);
        out.append(*text, i, len);
        if (ends) ends->push_back(out.size());
        i += len;
    }
}
