/* Narrow text of the base library: a byte string that owns its characters.
 * Equality with a text (operator==) is exact; Compare ignores ASCII letter
 * case, because the names of a drawing (layers, line types, styles) are
 * case-insensitive, and gives 0 for texts that are equal that way. Case
 * folding is ASCII only, whatever the process locale. A null text reads as
 * the empty text. */
#ifndef VYR_PLATFORM_BASE_VYRSTRING_H
#define VYR_PLATFORM_BASE_VYRSTRING_H

#include "vyr_export.h"

#include <string>

class VYR_EXPORT VyrString {
public:
    VyrString() = default;
    VyrString(const char *text);
    VyrString &operator=(const char *text);

    bool operator==(const char *text) const;
    bool operator!=(const char *text) const { return !(*this == text); }
    bool operator==(const VyrString &other) const { return text_ == other.text_; }
    operator const char *() const { return text_.c_str(); }
    const char *GetText() const { return text_.c_str(); }
    int GetLength() const { return static_cast<int>(text_.size()); }
    bool IsEmpty() const { return text_.empty(); }

    /* 0 when equal ignoring ASCII case; otherwise negative or positive as the
     * case-folded texts order (bytes compared unsigned). */
    int Compare(const char *text) const;
    /* Upper-cases the ASCII letters in place; returns *this. */
    VyrString &ToUpper();

private:
    std::string text_;
};

/* ASCII-only helpers shared by the string classes. */
inline char VyrAsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
inline char VyrAsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
/* VyrString::Compare of two plain texts, without copying either. */
int VyrAsciiCompare(const char *a, const char *b);

#endif
