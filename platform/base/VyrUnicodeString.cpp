/* Unicode text of the base library (see the header). */
#include "platform/base/VyrUnicodeString.h"

#include <cstring>

namespace {
unsigned short FoldAscii(unsigned short c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned short>(c - 32) : c;
}

void AppendLatin1(std::vector<unsigned short> &units, const char *text)
{
    if (!text) return;
    const size_t n = std::strlen(text), at = units.size();
    units.resize(at + n);
    for (size_t i = 0; i < n; ++i) units[at + i] = static_cast<unsigned char>(text[i]);
}

/* Decodes one UTF-8 sequence at s (s < end); returns the code point and
 * advances s, or U+FFFD for a malformed sequence (one byte consumed). */
unsigned long DecodeUtf8(const unsigned char *&s, const unsigned char *end)
{
    unsigned char b = *s++;
    if (b < 0x80) return b;
    int extra;
    unsigned long cp, min;
    if ((b & 0xE0) == 0xC0) {
        extra = 1;
        cp = b & 0x1F;
        min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
        extra = 2;
        cp = b & 0x0F;
        min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
        extra = 3;
        cp = b & 0x07;
        min = 0x10000;
    } else
        return 0xFFFD;
    const unsigned char *p = s;
    for (int i = 0; i < extra; ++i, ++p) {
        if (p >= end || (*p & 0xC0) != 0x80) return 0xFFFD;
        cp = (cp << 6) | (*p & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0xFFFD;
    s = p;
    return cp;
}
} // namespace

VyrUnicodeString::VyrUnicodeString(const char *latin1) { AppendLatin1(units_, latin1); }

VyrUnicodeString::VyrUnicodeString(const unsigned short *units, int count) { BuildFromUCChar(units, count); }

VyrUnicodeString &VyrUnicodeString::operator=(const char *latin1)
{
    units_.clear();
    AppendLatin1(units_, latin1);
    return *this;
}

VyrUnicodeString VyrUnicodeString::FromUtf8(const char *utf8)
{
    VyrUnicodeString result;
    if (!utf8) return result;
    const unsigned char *s = reinterpret_cast<const unsigned char *>(utf8);
    const unsigned char *end = s + std::strlen(utf8);
    while (s < end) {
        unsigned long cp = DecodeUtf8(s, end);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            result.units_.push_back(static_cast<unsigned short>(0xD800 + (cp >> 10)));
            result.units_.push_back(static_cast<unsigned short>(0xDC00 + (cp & 0x3FF)));
        } else {
            result.units_.push_back(static_cast<unsigned short>(cp));
        }
    }
    return result;
}

bool VyrUnicodeString::operator==(const char *latin1) const
{
    const char *p = latin1 ? latin1 : "";
    size_t n = std::strlen(p);
    if (n != units_.size()) return false;
    for (size_t i = 0; i < n; ++i)
        if (units_[i] != static_cast<unsigned char>(p[i])) return false;
    return true;
}

VyrUnicodeString &VyrUnicodeString::Append(const VyrUnicodeString &other)
{
    if (&other == this) {
        std::vector<unsigned short> copy(units_);
        units_.insert(units_.end(), copy.begin(), copy.end());
    } else {
        units_.insert(units_.end(), other.units_.begin(), other.units_.end());
    }
    return *this;
}

VyrUnicodeString &VyrUnicodeString::Append(const VyrUnicodeChar &c)
{
    units_.push_back(c.GetValue());
    return *this;
}

VyrUnicodeString &VyrUnicodeString::Append(const char *latin1)
{
    AppendLatin1(units_, latin1);
    return *this;
}

VyrUnicodeString &VyrUnicodeString::Append(const unsigned short *units, int count)
{
    if (units && count > 0) units_.insert(units_.end(), units, units + count);
    return *this;
}

int VyrUnicodeString::Compare(const VyrUnicodeString &other) const
{
    if (units_.size() != other.units_.size()) return 0;
    for (size_t i = 0; i < units_.size(); ++i)
        if (FoldAscii(units_[i]) != FoldAscii(other.units_[i])) return 0;
    return 1;
}

int VyrUnicodeString::Compare(const char *latin1) const { return Compare(VyrUnicodeString(latin1)); }

const char *VyrUnicodeString::ConvertToChar() const
{
    narrow_.clear();
    narrow_.reserve(units_.size());
    for (unsigned short u : units_) narrow_.push_back(u <= 0xFF ? static_cast<char>(u) : '?');
    return narrow_.c_str();
}

std::string VyrUnicodeString::ToUtf8() const
{
    std::string out;
    out.reserve(units_.size());
    for (size_t i = 0; i < units_.size(); ++i) {
        unsigned long cp = units_[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < units_.size() && units_[i + 1] >= 0xDC00 &&
            units_[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (units_[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD; /* a lone surrogate has no UTF-8 form */
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

int VyrUnicodeString::BuildFromUCChar(const unsigned short *units, int count)
{
    units_.clear();
    if (units) {
        if (count < 0)
            for (count = 0; units[count] != 0; ++count) {}
        units_.assign(units, units + count);
    }
    return static_cast<int>(units_.size());
}

int VyrUnicodeString::ReplaceSubString(int start, int length, const VyrUnicodeString &with)
{
    int n = static_cast<int>(units_.size());
    if (start < 0 || start > n || length < 0) return -1;
    if (length > n - start) length = n - start;
    std::vector<unsigned short> repl(with.units_); /* `with` may be *this */
    units_.erase(units_.begin() + start, units_.begin() + start + length);
    units_.insert(units_.begin() + start, repl.begin(), repl.end());
    return 0;
}

VyrUnicodeChar VyrUnicodeString::operator[](int i) const { return VyrUnicodeChar(GetAt(i)); }

unsigned short VyrUnicodeString::GetAt(int i) const
{
    if (i < 0 || i >= static_cast<int>(units_.size())) return 0;
    return units_[static_cast<size_t>(i)];
}

bool VyrUnicodeString::IsLatin1() const
{
    for (unsigned short u : units_)
        if (u > 0xFF) return false;
    return true;
}
