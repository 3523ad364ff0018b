/* One UTF-16 code unit of the base library's Unicode text. A narrow char
 * given to it is read as ISO 8859-1. */
#ifndef VYR_PLATFORM_BASE_VYRUNICODECHAR_H
#define VYR_PLATFORM_BASE_VYRUNICODECHAR_H

#include "vyr_export.h"

class VYR_EXPORT VyrUnicodeChar {
public:
    VyrUnicodeChar() : value_(0) {}
    explicit VyrUnicodeChar(unsigned short value) : value_(value) {}
    explicit VyrUnicodeChar(char c) : value_(static_cast<unsigned char>(c)) {}
    VyrUnicodeChar &operator=(unsigned short value)
    {
        value_ = value;
        return *this;
    }
    VyrUnicodeChar &operator=(char c)
    {
        value_ = static_cast<unsigned char>(c);
        return *this;
    }

    unsigned short GetValue() const { return value_; }
    /* The character as ISO 8859-1, '?' beyond U+00FF. */
    char ConvertToChar() const { return value_ <= 0xFF ? static_cast<char>(value_) : '?'; }
    bool operator==(const VyrUnicodeChar &o) const { return value_ == o.value_; }
    bool operator!=(const VyrUnicodeChar &o) const { return value_ != o.value_; }

private:
    unsigned short value_;
};

#endif
