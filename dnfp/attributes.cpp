/* Attribute definitions (ATTDEF, met in block definitions) and attribute
 * instances (ATTRIB, read by the insert mapper after their INSERT). Both
 * start from the catalogue defaults, keep their texts in fixed buffers
 * allocated with the entity (a longer text is cut to the buffer), store
 * angles in degrees and link their text style twice: by name and by
 * pointer. Neither ever takes its extruded form. */
#include "dnfp/dnfp_map.h"

#include <string.h>

#include "kernel/mda/mda.h"

using dnfp::copy_point;

namespace {

constexpr size_t kAttdefText = 1025;
constexpr size_t kAttribText = 2050;
constexpr size_t kAttribTag = 514;

/* Copies at most size - 1 characters of `src` into a new `size`-byte
 * buffer owned by the entity (names are cut at 255 characters, texts only
 * at their buffer). */
int copy_text(void *owner, const char *src, size_t size, mda_ref *field)
{
    int status = mda_Malloc(0, owner, size, field);
    if (status) return status;
    char *text = static_cast<char *>(mda_Deref(*field));
    const size_t length = strnlen(src, size - 1);
    memcpy(text, src, length);
    text[length] = '\0';
    return 0;
}

/* The text style's name (empty when the handle names no style) and its
 * pointer. */
int link_style(const unsigned char *handle, char (&name)[256], db_ptr *ptr)
{
    static AdShapefile style;
    name[0] = '\0';
    if (!adObjhandleIsNull(handle)) {
        if (adSeekShapefile(dnfp_g.drawing, handle, &style))
            dnfp__CopyName(name, sizeof name, style.name);
        else
            adErrorClear();
    }
    return dnfp__GetPtrFromObjHandle(handle, ptr);
}

/* The fields ATTDEF and ATTRIB share. */
template <class Rec, class Src> int fill_common(Rec *e, const Src &r)
{
    copy_point(e->txtstr, r.pt0);
    e->height = r.height;
    e->aflag = r.flag;
    e->flen = r.fieldlen;
    e->rang = DNFP_DEGREES(r.rotang);
    e->xscale = r.widthfactor;
    e->oang = DNFP_DEGREES(r.oblique);
    e->tflag = static_cast<signed char>(r.generationflag);
    e->hjust = static_cast<signed char>(r.hjust);
    e->vjust = static_cast<signed char>(r.vjust);
    return link_style(r.stylehandle, e->tstyle, &e->shapefileobjhandle);
}

/* The entity mapper pattern with the catalogue defaults filled first. */
template <class Rec, class Fill> int map_attribute(mda_tf tf, db_ptr *out, Fill fill)
{
    *out = MDA_NULL_PTR;
    void *memory = nullptr;
    int created = 0;
    int status = mda_MallocEntity2(0, mda_GetCurModel(), tf, &memory);
    if (!status) status = mda_DefaultEntity(0, memory);
    if (!status) {
        Rec *r = static_cast<Rec *>(memory);
        status = dnfp__MapSubent(&r->dxfhdr);
        if (!status) status = dnfp__MapExtEntData(&r->dxfxed, memory, 0);
        if (!status) status = fill(r, *dnfp_g.entrec);
        if (!status) status = dnfp__CreateEntity(0, dnfp_g.enthdr->handle, nullptr, memory, out, &created);
    }
    return dnfp__FinishEntity(status, memory, out, created, __FILE__, __LINE__);
}

} // namespace

extern "C" {

int dnfp__ParseAttributeDefinition(db_ptr *out)
{
    return map_attribute<dxf_attribute_definition>(
        DXFI_TF_dxf_attribute_definition, out, [](dxf_attribute_definition *e, const AdEntityRecord &rec) {
            const AdEntAttdef &r = rec.attdef;
            int status = fill_common(e, r);
            /* the alignment point has no z of its own: it keeps its default */
            e->xyzaln[0] = r.alignpt[0];
            e->xyzaln[1] = r.alignpt[1];
            if (!status) status = copy_text(e, r.defval, kAttdefText, &e->text);
            if (!status) status = copy_text(e, r.prompt, kAttdefText, &e->prompt);
            if (!status) status = copy_text(e, r.tag, kAttdefText, &e->tag);
            return status;
        });
}

int dnfp__ParseAttributeInstance(db_ptr *out)
{
    return map_attribute<dxf_attribute_instance>(
        DXFI_TF_dxf_attribute_instance, out, [](dxf_attribute_instance *e, const AdEntityRecord &rec) {
            const AdEntAttrib &r = rec.attrib;
            int status = fill_common(e, r);
            copy_point(e->xyzaln, r.alignpt);
            if (!status) status = copy_text(e, r.attval, kAttribText, &e->text);
            if (!status) status = copy_text(e, r.tag, kAttribTag, &e->tag);
            return status;
        });
}

} // extern "C"
