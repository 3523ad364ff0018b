/* Texts as the DXF loaders store them: adstrcpytrans copies a DXF string
 * value into a record.
 *
 * Caret sequences: DXF writers put a control character c into a string as
 * '^' followed by c + 64 ("^J" for a line feed, "^I" for a tab) and a caret
 * itself as "^ ". adstrcpytrans decodes both; "^@" (which would end the
 * text) and a '^' before any other character are kept as they are. A '^' that is the trail byte of a
 * double-byte character (code pages 932, 936, 949, 950 and Johab) is part of
 * that character and is not decoded. The lead-byte ranges are the whole
 * ranges of the public code-page definitions, which include every lead byte
 * of the toolkit's conversion tables (those list only leads that have
 * characters), and need no table to be read. */
#include "toolkit/dxf/dxf_int.h"

#include <cstring>

namespace {

bool isleadbyte(unsigned char c, int codepage)
{
    switch (codepage) {
    case 22:
    case 38: /* Shift-JIS */ return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    case 24:
    case 41: /* Big5 */
    case 25:
    case 40: /* KS C 5601 (Unified Hangul) */
    case 31:
    case 39: /* GB 2312 / GBK */ return c >= 0x81 && c <= 0xFE;
    case 26:
    case 42: /* Johab */
        return (c >= 0x84 && c <= 0xD3) || (c >= 0xD8 && c <= 0xDE) || (c >= 0xE0 && c <= 0xF9);
    default: return false;
    }
}

} // namespace

extern "C" {

void adstrcpytrans(char *dst, const char *src, size_t capacity, int codepage)
{
    if (!dst || capacity == 0) return;
    size_t n = 0;
    const unsigned char *s = reinterpret_cast<const unsigned char *>(src ? src : "");
    while (*s && n + 1 < capacity) {
        unsigned char c = *s;
        if (isleadbyte(c, codepage) && s[1]) {
            if (n + 2 >= capacity) break; /* never split a character */
            dst[n++] = static_cast<char>(c);
            dst[n++] = static_cast<char>(s[1]);
            s += 2;
            continue;
        }
        if (c == '^' && s[1] == ' ') {
            dst[n++] = '^';
            s += 2;
        } else if (c == '^' && s[1] >= 'A' && s[1] <= '_') {
            dst[n++] = static_cast<char>(s[1] - 64);
            s += 2;
        } else {
            dst[n++] = static_cast<char>(c);
            ++s;
        }
    }
    dst[n] = '\0';
}

} // extern "C"
