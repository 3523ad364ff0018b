/* The character converter's code page. */
#include "Dxf2Cgm/VyrDxfUCConverter.h"

#include <cstring>
#include <new>

#include "platform/base/VyrCodePage.h"

VyrCodePage *VyrDxfUCConverter::_codePage = nullptr;
VyrString VyrDxfUCConverter::_codePageName;

VyrDxfUCConverter::~VyrDxfUCConverter()
{
    delete _codePage;
    _codePage = nullptr;
}

void VyrDxfUCConverter::SetCodePage(const char *name)
{
    if (!name) name = "";
    delete _codePage;
    isJapanese = std::strstr(name, "932") != nullptr;
    _codePage = new (std::nothrow) VyrCodePage(name);
    _codePageName = name;
}
