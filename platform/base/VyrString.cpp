/* Narrow text of the base library (see the header). */
#include "platform/base/VyrString.h"

#include <cstring>

VyrString::VyrString(const char *text) : text_(text ? text : "") {}

VyrString &VyrString::operator=(const char *text)
{
    text_.assign(text ? text : "");
    return *this;
}

bool VyrString::operator==(const char *text) const { return text_ == (text ? text : ""); }

int VyrString::Compare(const char *text) const { return VyrAsciiCompare(text_.c_str(), text); }

int VyrAsciiCompare(const char *textA, const char *textB)
{
    const unsigned char *a = reinterpret_cast<const unsigned char *>(textA ? textA : "");
    const unsigned char *b = reinterpret_cast<const unsigned char *>(textB ? textB : "");
    for (;; ++a, ++b) {
        int ca = static_cast<unsigned char>(VyrAsciiUpper(static_cast<char>(*a)));
        int cb = static_cast<unsigned char>(VyrAsciiUpper(static_cast<char>(*b)));
        if (ca != cb) return ca < cb ? -1 : 1;
        if (ca == 0) return 0;
    }
}

VyrString &VyrString::ToUpper()
{
    for (char &c : text_) c = VyrAsciiUpper(c);
    return *this;
}
