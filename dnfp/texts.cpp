/* The mappers of the annotation entities: TEXT, MTEXT, DIMENSION, LEADER,
 * TOLERANCE, RTEXT and ARCALIGNEDTEXT (ATTDEF and ATTRIB: attributes.cpp).
 *
 * Every mapper follows the entity mapper pattern (map_entity, dnfp_map.h).
 * Texts are copied byte for byte (the character conversion happens when the
 * picture is drawn). A text field has a capacity (the TEXT value 2,049
 * bytes with its terminator, every other 1,025): at most capacity - 1
 * characters are copied, and the block allocated is no longer than the text
 * needs. The MTEXT value is read
 * whole from its blob, one byte more for the terminator.
 *
 * Angles of texts and attributes go from radians to degrees divided by pi
 * first, those of dimensions multiplied by 180 first, so both give the
 * values the model has always held.
 *
 * Style links: a text's style is named (the style's name, looked up by its
 * handle) and pointed to (the pointer of the handle); a dimension, leader or
 * tolerance whose dimension style is not in the drawing refers to the
 * drawing's "UNNAMED" style instead. */
#include "dnfp/dnfp_int.h"
#include "dnfp/dnfp_map.h"

#include <string.h>

#include "kernel/mda/mda.h"
#include "kernel/mpm/mpm_int.h"

namespace {

using dnfp::copy_point;
using dnfp::map_entity;

constexpr size_t kTextSize = 2049;
constexpr size_t kFieldSize = 1025;

/* Radians to degrees for dimensions: multiplied by 180 first. */
inline double dimension_degrees(double radians) { return radians * 180.0 / M_PI; }

/* Scratch records of the name look-ups, apart from the mapping state's
 * buffers, which a caller may be using. */
AdShapefile g_style;
AdDimstyle g_dimstyle;

/* Copies at most capacity - 1 characters of `src` into a new block of the
 * record `owner`, held in `field`. */
int copy_text(void *owner, const char *src, size_t capacity, mda_ref *field)
{
    const size_t length = strnlen(src, capacity - 1);
    int status = mda_Malloc(0, owner, length + 1, field);
    if (status) return status;
    char *text = static_cast<char *>(mda_Deref(*field));
    memcpy(text, src, length);
    text[length] = '\0';
    return 0;
}

/* The text style's name into `name` (256 bytes, empty when the handle is
 * not a style of the drawing) and its pointer into `ptr`. */
int link_text_style(const AdObjhandle handle, char *name, size_t size, db_ptr *ptr)
{
    name[0] = '\0';
    if (!adObjhandleIsNull(handle) && adSeekShapefile(dnfp_g.drawing, handle, &g_style))
        dnfp__CopyName(name, size, g_style.name);
    else
        adErrorClear();
    return dnfp__GetPtrFromObjHandle(handle, ptr);
}

/* The dimension style's name and pointer; the handle in the record buffer
 * is replaced by that of "UNNAMED" when the drawing lacks the style. */
int link_dimension_style(AdObjhandle handle, char *name, size_t size, db_ptr *ptr)
{
    if (!adObjhandleIsNull(handle) && adSeekDimstyle(dnfp_g.drawing, handle, &g_dimstyle)) {
        dnfp__CopyName(name, size, g_dimstyle.name);
    } else {
        adErrorClear();
        memcpy(handle, dnfp__UnnamedDimStyle.handle, sizeof(AdObjhandle));
        dnfp__CopyName(name, size, "UNNAMED");
    }
    return dnfp__GetPtrFromObjHandle(handle, ptr);
}

void warn_incomplete(const char *type)
{
    char handle[DNFP_HANDLE_TEXT];
    dnfp__HandleText(dnfp_g.enthdr->handle, handle);
    mpm__IssueError(0, DNFP_INCOMPLETE_DATA, MPM_WARNING, type, handle);
}

/* The MTEXT value from its blob: exactly the blob's bytes and a
 * terminator; none for an empty blob, a warning for one that cannot be
 * read. */
int read_mtext_blob(dxf_mtext *e, AdBlob *blob)
{
    AdBlobCursor *reader = adStartBlobRead(blob);
    dnfp__ReportToolkitError();
    if (!reader) {
        warn_incomplete("MTEXT");
        return 0;
    }
    const long size = adBlobSize(blob);
    int status = 0;
    if (size > 0) {
        status = mda_Malloc(0, e, size_t(size) + 1, &e->text);
        if (!status) {
            char *text = static_cast<char *>(mda_Deref(e->text));
            const int got = adReadBlobBytesLong(reader, text, size);
            dnfp__ReportToolkitError();
            text[got ? size : 0] = '\0';
            e->numstr = 1;
        }
    }
    adEndBlobRead(reader);
    dnfp__ReportToolkitError();
    return status;
}

/* The leader's vertices, at most as many as its blob holds. */
int read_leader_vertices(dxf_leader *e, const AdEntLeader &r)
{
    if (r.numpoints <= 0) return 0;
    AdBlobCursor *reader = r.ptblob ? adStartBlobRead(r.ptblob) : nullptr;
    dnfp__ReportToolkitError();
    if (!reader) {
        warn_incomplete("LEADER");
        return 0;
    }
    const long held = adBlobSize(r.ptblob) / 24;
    const int32_t n = held < r.numpoints ? int32_t(held) : r.numpoints;
    int status = 0;
    if (n > 0) {
        status = mda_Malloc(0, e, size_t(n) * 24, &e->vertex);
        if (!status) {
            double *v = static_cast<double *>(mda_Deref(e->vertex));
            int32_t i = 0;
            while (i < n && adReadBlob3Double(reader, &v[3 * i])) ++i;
            e->numvtx = i;
        }
    }
    adEndBlobRead(reader);
    dnfp__ReportToolkitError();
    return status;
}

template <class Rec> void copy_alignment(Rec *e, const double *point, int coordinates)
{
    for (int i = 0; i < coordinates; ++i) e->xyzaln[i] = point[i];
}

} // namespace

extern "C" {

int dnfp__ParseText(db_ptr *out)
{
    return map_entity<dxf_text>(DXFI_TF_dxf_text, true, out, [](dxf_text *e, const AdEntityRecord &rec) {
        const AdEntText &r = rec.text;
        copy_point(e->xyzloc, r.pt0);
        e->height = r.height;
        e->rang = DNFP_DEGREES(r.rotang);
        e->xscale = r.widthfactor;
        e->oang = DNFP_DEGREES(r.oblique);
        e->tflag = static_cast<signed char>(r.generationflag);
        e->hjust = static_cast<signed char>(r.hjust);
        e->vjust = static_cast<signed char>(r.vjust);
        copy_alignment(e, r.alignpt, 2);
        int status = copy_text(e, r.text, kTextSize, &e->text);
        if (!status)
            status = link_text_style(r.stylehandle, e->tstyle, sizeof e->tstyle, &e->shapefileobjhandle);
        return status;
    });
}

int dnfp__ParseMtext(db_ptr *out)
{
    return map_entity<dxf_mtext>(
        DXFI_TF_dxf_mtext, true, out,
        [](dxf_mtext *e, const AdEntityRecord &rec) {
            const AdEntMtext &r = rec.mtext;
            copy_point(e->xyzloc, r.pt0);
            copy_point(e->textdir, r.xdir);
            e->height = r.height;
            e->width = r.refwidth;
            e->attpnt = static_cast<signed char>(r.attachpoint);
            e->flowdir = static_cast<signed char>(r.drawingdir);
            e->linespacingstyle = r.linespacingstyle;
            e->linespacingfactor = r.linespacingfactor;
            e->boxht = r.boxheight;
            e->boxwid = r.boxwidth;
            int status = 0;
            if (r.textblob) {
                status = read_mtext_blob(e, r.textblob);
            } else {
                status = copy_text(e, r.text, sizeof r.text, &e->text);
                if (!status) e->numstr = 1;
            }
            if (!status)
                status = link_text_style(r.stylehandle, e->style, sizeof e->style, &e->shapefileobjhandle);
            return status;
        },
        MDA_DEFAULTS);
}

int dnfp__ParseDimension(db_ptr *out)
{
    return map_entity<dxf_dimension>(
        DXFI_TF_dxf_dimension, true, out, [](dxf_dimension *e, const AdEntityRecord &rec) {
            AdEntDimension &r = dnfp_g.entrec->dim;
            (void)rec;
            int status = link_dimension_style(r.dimstylehandle, e->dimstyle, sizeof e->dimstyle,
                                              &e->dimstyleobjhandle);
            if (!status) {
                /* found without moving the block header walk, which may be
                 * mapping the block this dimension lies in */
                const char *name = adObjhandleIsNull(r.blockheaderhandle)
                                       ? nullptr
                                       : adBlockheaderName(dnfp_g.drawing, r.blockheaderhandle);
                if (name) {
                    dnfp__CopyName(e->bname, sizeof e->bname, name);
                    status = dnfp__GetPtrFromObjHandle(r.blockheaderhandle, &e->block);
                } else {
                    adErrorClear();
                    e->bname[0] = '\0';
                    e->block = MDA_NULL_PTR;
                }
            }
            copy_point(e->xyzdef, r.defpt);
            copy_point(e->xyzmdp, r.textmidpt);
            if (r.clonepointgiven) copy_point(e->xyzcln, r.clonepoint);
            copy_point(e->xyzdf1, r.defpt2); /* 13 */
            copy_point(e->xyzdf2, r.defpt3); /* 14 */
            copy_point(e->xyzdf3, r.defpt5); /* 15 */
            copy_point(e->xyzdf4, r.defpt4); /* 16 */
            e->ldrlen = r.leaderlen;
            e->dimtyp = r.dimflag;
            e->attachpt = r.attachpoint;
            e->linespacingstyle = r.linespacingstyle;
            e->linespacingfactor = r.linespacingfactor;
            e->actualmeasurement = r.actualmeasurement;
            e->rotang = dimension_degrees(r.rotang);
            e->hordir = dimension_degrees(r.horizdir);
            e->oblang = dimension_degrees(r.oblique);
            e->txtang = dimension_degrees(r.textrot);
            if (!status && r.dimtext[0]) status = copy_text(e, r.dimtext, kFieldSize, &e->dimtxt);
            return status;
        });
}

int dnfp__ParseLeader(db_ptr *out)
{
    return map_entity<dxf_leader>(DXFI_TF_dxf_leader, true, out, [](dxf_leader *e, const AdEntityRecord &) {
        AdEntLeader &r = dnfp_g.entrec->leader;
        int status =
            link_dimension_style(r.dimstylehandle, e->dimstyle, sizeof e->dimstyle, &e->dimstyleobjhandle);
        e->height = r.textheight;
        e->width = r.textwidth;
        e->arrowhead = r.arrowheadflag;
        e->pathtype = r.pathtype;
        e->annotation = r.creationflag;
        e->hookdir = r.hookdir;
        e->hookline = r.hooklineflag;
        e->color = r.colorinfo;
        copy_point(e->horzdir, r.horizdir);
        copy_point(e->offdir, r.blockoffset);
        copy_point(e->txtoffset, r.annotationoffset);
        if (!status && !adObjhandleIsNull(r.associatedannotation))
            status = dnfp__GetPtrFromObjHandle(r.associatedannotation, &e->text);
        if (!status) status = read_leader_vertices(e, r);
        return status;
    });
}

int dnfp__ParseTolerance(db_ptr *out)
{
    return map_entity<dxf_tolerance>(
        DXFI_TF_dxf_tolerance, true, out, [](dxf_tolerance *e, const AdEntityRecord &) {
            AdEntTolerance &r = dnfp_g.entrec->tolerance;
            copy_point(e->xyzloc, r.pt0);
            copy_point(e->vector, r.xdir);
            int status = copy_text(e, r.text, kFieldSize, &e->text);
            if (!status)
                status = link_dimension_style(r.dimstylehandle, e->dimstyle, sizeof e->dimstyle,
                                              &e->dimstyleobjhandle);
            return status;
        });
}

int dnfp__ParseRtext(db_ptr *out)
{
    return map_entity<dxf_rtext>(DXFI_TF_dxf_rtext, true, out, [](dxf_rtext *e, const AdEntityRecord &rec) {
        const AdEntRtext &r = rec.rtext;
        copy_point(e->xyzloc, r.pt0);
        e->rotang = DNFP_DEGREES(r.rotang);
        e->height = r.height;
        e->typeflag = r.flags;
        int status = copy_text(e, r.text, kFieldSize, &e->contents);
        if (!status) status = dnfp__GetPtrFromObjHandle(r.stylehandle, &e->textstyleobjhandle);
        return status;
    });
}

int dnfp__ParseArctext(db_ptr *out)
{
    return map_entity<dxf_arctext>(
        DXFI_TF_dxf_arctext, true, out, [](dxf_arctext *e, const AdEntityRecord &rec) {
            const AdEntArcAlignedText &r = rec.arctext;
            int status = copy_text(e, r.text, kFieldSize, &e->text);
            dnfp__CopyName(e->fontname, sizeof e->fontname, r.fontname);
            dnfp__CopyName(e->bigfontname, sizeof e->bigfontname, r.bigfontname);
            copy_point(e->centerpt, r.center);
            e->radius = r.radius;
            e->widthfactor = r.widthfactor;
            e->height = r.height;
            e->charspacing = r.charspacing;
            e->arcoffset = r.offsetfromarc;
            e->rightoffset = r.rightoffset;
            e->leftoffset = r.leftoffset;
            e->startangle = r.startang;
            e->endangle = r.endang;
            e->charorder = r.reversed;
            e->direction = r.direction;
            e->alignment = r.alignment;
            e->side = r.side;
            e->bold = r.bold;
            e->italic = r.italic;
            e->underline = r.underline;
            e->charset = r.charset;
            e->pitch = r.pitch;
            e->fonttype = r.fonttype;
            e->color = r.color;
            e->wizardflag = r.wizardflag;
            if (!status) status = dnfp__GetPtrFromObjHandle(r.stylehandle, &e->textstyleobjhandle);
            if (!status) status = dnfp__GetPtrFromObjHandle(r.archandle, &e->arcobjhandle);
            return status;
        });
}

} // extern "C"
