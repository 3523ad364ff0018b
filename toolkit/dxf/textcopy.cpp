/* Texts as the DXF loaders store them: the names of the code pages a
 * drawing may declare in $DWGCODEPAGE, and adstrcpytrans, which copies a
 * DXF string value into a record.
 *
 * Caret sequences: DXF writers put a control character c into a string as
 * '^' followed by c + 64 ("^J" for a line feed, "^I" for a tab) and a caret
 * itself as "^ ". adstrcpytrans decodes both; "^@" (which would end the
 * text) and a '^' before any other character are kept as they are. A '^' that is the trail byte of a
 * double-byte character (code pages 932, 936, 949, 950 and Johab) is part of
 * that character and is not decoded. The lead-byte ranges are those of the
 * public code-page tables; when the code-page tables of the init data are
 * loaded they say the same. */
#include "toolkit/dxf/dxf_int.h"

#include <cstring>

namespace {

const char *const kCodePages[42] = {
    "undefined", "ascii",     "iso8859-1", "iso8859-2", "iso8859-3", "iso8859-4", "iso8859-5",
    "iso8859-6", "iso8859-7", "iso8859-8", "iso8859-9", "dos437",    "dos850",    "dos852",
    "dos855",    "dos857",    "dos860",    "dos861",    "dos863",    "dos864",    "dos865",
    "dos869",    "dos932",    "mac-roman", "big5",      "ksc5601",   "johab",     "dos866",
    "ansi_1250", "ansi_1251", "ansi_1252", "gb2312",    "ansi_1253", "ansi_1254", "ansi_1255",
    "ansi_1256", "ansi_1257", "ansi_874",  "ansi_932",  "ansi_936",  "ansi_949",  "ansi_950"};

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
    case 26: /* Johab */
        return (c >= 0x84 && c <= 0xD3) || (c >= 0xD8 && c <= 0xDE) || (c >= 0xE0 && c <= 0xF9);
    default: return false;
    }
}

} // namespace

extern "C" {

int adNumValidCodePages(void) { return 42; }

const char *adCodePageName(int number) { return number >= 0 && number < 42 ? kCodePages[number] : nullptr; }

int adAsciiCodePageToShort(const char *name, int16_t *number)
{
    if (number) *number = 0;
    if (!name) return 0;
    for (int i = 0; i < 42; ++i)
        if (adstricmp(name, kCodePages[i]) == 0) {
            if (number) *number = static_cast<int16_t>(i);
            return 1;
        }
    return 0;
}

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
