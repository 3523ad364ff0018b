/* Unicode text of the base library, held as UTF-16 code units (the UCS-2
 * characters the code pages produce; characters beyond the BMP are surrogate
 * pairs). Narrow texts given to it are read as ISO 8859-1, one byte one
 * character, so every byte survives; FromUtf8 reads UTF-8 instead.
 *
 * Compare has the sense the line-type lookup relies on: NON-ZERO when the two
 * strings are equal ignoring ASCII letter case, 0 when they differ (the
 * opposite of VyrString::Compare). operator== is exact. */
#ifndef VYR_PLATFORM_BASE_VYRUNICODESTRING_H
#define VYR_PLATFORM_BASE_VYRUNICODESTRING_H

#include "vyr_export.h"
#include "platform/base/VyrUnicodeChar.h"

#include <string>
#include <vector>

class VYR_EXPORT VyrUnicodeString {
public:
    VyrUnicodeString() = default;
    VyrUnicodeString(const char *latin1);
    VyrUnicodeString(const VyrUnicodeString &other) = default;
    VyrUnicodeString(const unsigned short *units, int count);
    VyrUnicodeString &operator=(const VyrUnicodeString &other) = default;
    VyrUnicodeString &operator=(const char *latin1);
    static VyrUnicodeString FromUtf8(const char *utf8);

    bool operator==(const char *latin1) const;
    bool operator!=(const char *latin1) const { return !(*this == latin1); }
    bool operator==(const VyrUnicodeString &other) const { return units_ == other.units_; }
    bool operator!=(const VyrUnicodeString &other) const { return units_ != other.units_; }

    VyrUnicodeString &Append(const VyrUnicodeString &other);
    VyrUnicodeString &Append(const VyrUnicodeChar &c);
    VyrUnicodeString &Append(const char *latin1);
    /* Appends `count` units (count <= 0 or null: nothing). */
    VyrUnicodeString &Append(const unsigned short *units, int count);

    /* Non-zero when equal ignoring ASCII case, 0 otherwise (see above). */
    int Compare(const VyrUnicodeString &other) const;
    int Compare(const char *latin1) const;

    /* The text as ISO 8859-1, characters beyond U+00FF as '?'. The pointer
     * belongs to the string and stays valid until the string changes. */
    const char *ConvertToChar() const;
    std::string ToUtf8() const;

    /* Replaces the contents by `count` units (count < 0: up to a 0 unit).
     * Returns the new length. */
    int BuildFromUCChar(const unsigned short *units, int count);
    int GetLengthInChar() const { return static_cast<int>(units_.size()); }
    bool IsEmpty() const { return units_.empty(); }
    /* Replaces `length` characters from `start` (clamped to the end) by
     * `with`. Returns 0, or -1 when start lies outside 0..length. */
    int ReplaceSubString(int start, int length, const VyrUnicodeString &with);

    /* Character `i`; the character 0 outside the string. */
    VyrUnicodeChar operator[](int i) const;
    unsigned short GetAt(int i) const;
    const unsigned short *GetBuffer() const { return units_.data(); }
    /* True when every character is in ISO 8859-1 (U+0000..U+00FF). */
    bool IsLatin1() const;

private:
    std::vector<unsigned short> units_;
    mutable std::string narrow_;
};

#endif
