/* Text styles from the text-style-table records of the model. Case folding
 * is ASCII only. */
#include "Dxf2Cgm/VyrDxfTextStyle.h"

#include "Dxf2Cgm/VyrDxfEntityLock.h"
#include "platform/base/VyrString.h"

namespace {

void UpperCase(char *text)
{
    for (; *text; ++text) *text = VyrAsciiUpper(*text);
}

} // namespace

VyrDxfTextStyle::VyrDxfTextStyle(unsigned long entity) : VyrDxfElement(entity)
{
    name[0] = fontName[0] = bigFontName[0] = '\0';
    VyrDxfEntityLock lock(entity);
    const dxf_text_style_table_data *rec = lock.As<dxf_text_style_table_data>(10001);
    if (!rec || lock.Form() != 3) return;
    VyrDxfCopyField(name, kNameSize, rec->entry_name, sizeof rec->entry_name);
    VyrDxfCopyField(fontName, kNameSize, rec->prim_font, sizeof rec->prim_font);
    VyrDxfCopyField(bigFontName, kNameSize, rec->big_font, sizeof rec->big_font);
    UpperCase(name);
    UpperCase(fontName);
    UpperCase(bigFontName);
    styleIndex = rec->style_index;
    flags = rec->flag;
    height = rec->height;
    width = rec->width;
    obliqueAngle = rec->oblique_ang;
}
