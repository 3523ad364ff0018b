/* A code page of the base library: converts text stored in a drawing's code
 * page to UCS-2 through glibc's iconv. The drawing's code-page names
 * ("ANSI_1252", "dos932", "mac-roman", "iso8859-2", "big5", "undefined" ...)
 * and the usual Windows and ISO names are mapped to iconv names without
 * regard to letter case; a name that iconv cannot open falls back to
 * Windows-1252, so a conversion always works. Conversion does not depend on
 * the process locale. Pages of one byte per character (the Windows, DOS,
 * ISO 8859 and Mac pages) convert through a table of what iconv gives for
 * each byte, built once, instead of a call into iconv per text. One object is not safe for use by two threads
 * at once. */
#ifndef VYR_PLATFORM_BASE_VYRCODEPAGE_H
#define VYR_PLATFORM_BASE_VYRCODEPAGE_H

#include "vyr_export.h"

#include <string>

class VYR_EXPORT VyrCodePage {
public:
    explicit VyrCodePage(const char *name);
    ~VyrCodePage();
    VyrCodePage(const VyrCodePage &) = delete;
    VyrCodePage &operator=(const VyrCodePage &) = delete;

    /* Converts `srcLen` bytes of `src` (srcLen < 0: up to the terminating 0)
     * into UCS-2 units at `dst`, which must hold at least srcLen units; at
     * most srcLen units are written, without a terminator, and their number
     * is stored in *dstLen. A byte sequence the code page does not define
     * becomes U+FFFD. Returns 0 when everything converted, 1 when something
     * was replaced, -1 for null arguments (then *dstLen, if given, is 0). */
    int ConvertStrToUcs(const char *src, int srcLen, unsigned short *dst, int *dstLen);

    /* The name as given, and the iconv encoding actually used. */
    const char *GetName() const { return name_.c_str(); }
    const char *GetIconvName() const { return iconvName_.c_str(); }
    /* True when the name could not be opened and Windows-1252 stands in. */
    bool IsFallback() const { return fallback_; }

    /* The iconv name a code-page name maps to (before any fallback). */
    static std::string sToIconvName(const char *name);

private:
    void BuildByteTable();

    std::string name_;
    std::string iconvName_;
    void *cd_;
    bool fallback_;
    /* For a page of one byte per character: the unit of every byte, and
     * whether the byte is undefined (then the unit is U+FFFD). */
    bool byteTable_;
    unsigned short byteUnits_[256];
    bool byteUndefined_[256];
};

#endif
