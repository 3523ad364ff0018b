/* The character converter of a conversion, set to the drawing's code page
 * when the driver reads the drawing header. It will turn the drawing's 8-bit
 * texts, with their percent codes and escapes, into Unicode for the text
 * elements; for now it keeps the code page (class-wide, as the text
 * elements share it) and knows whether the drawing is Japanese. */
#ifndef VYR_DXF2CGM_VYRDXFUCCONVERTER_H
#define VYR_DXF2CGM_VYRDXFUCCONVERTER_H

#include "platform/base/VyrString.h"

class VyrCodePage;

class VyrDxfUCConverter {
public:
    VyrDxfUCConverter() = default;
    /* Deletes the class-wide code page. */
    virtual ~VyrDxfUCConverter();
    VyrDxfUCConverter(const VyrDxfUCConverter &) = delete;
    VyrDxfUCConverter &operator=(const VyrDxfUCConverter &) = delete;

    /* Replaces the code page by the one named (null: the empty name). */
    void SetCodePage(const char *name);

    int IsJapanese() const { return isJapanese; }
    static VyrCodePage *GetCodePage() { return _codePage; }
    static const char *GetCodePageName() { return _codePageName.GetText(); }

private:
    int isJapanese = 0;
    static VyrCodePage *_codePage;
    static VyrString _codePageName;
};

#endif
