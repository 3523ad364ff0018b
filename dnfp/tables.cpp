/* The table mappers: one table entity per symbol table of the drawing
 * (dxf_layer_table ...) holding the db_ptrs of its entries, and one entry
 * entity per table record (dxf_layer_table_data ...), created under the
 * record's handle, so that the pointers entities received for the entry
 * earlier (a layer named by an entity header, the header's current layer)
 * are the entry's own. The table entity is created under the handle of the
 * table's control object.
 *
 * The records of a table are read into a local array first and mapped
 * afterwards: mapping an entry looks up other records by handle (a layer's
 * linetype, the registered application of extended data), and such a lookup
 * moves the toolkit's cursor of that table.
 *
 * Also here: the default dimension style "UNNAMED" and the block record
 * table built from the block list. */
#include "dnfp/dnfp_int.h"

#include <string.h>
#include <vector>

#include "kernel/mda/mda.h"
#include "kernel/mpm/mpm_int.h"

/* Dimension variables a style entry copies from the toolkit's style record
 * under the same name. */
// clang-format off
#define DNFP_DIMSTYLE_VARIABLES(X) \
    X(dimadec) X(dimalt) X(dimaltd) X(dimaltf) X(dimaltrnd) X(dimasz) X(dimazin) X(dimcen) \
    X(dimclrd) X(dimclre) X(dimclrt) X(dimdle) X(dimdli) X(dimexe) X(dimexo) X(dimgap) \
    X(dimlfac) X(dimlim) X(dimrnd) X(dimsah) X(dimscale) X(dimse1) X(dimse2) X(dimtfac) \
    X(dimtad) X(dimtm) X(dimtix) X(dimtih) X(dimtol) X(dimtp) X(dimtsz) X(dimtvp) X(dimtxt) \
    X(dimsd1) X(dimsd2) X(dimtofl) X(dimtoh) X(dimalttd) X(dimaltz) X(dimaunit) X(dimfrac) \
    X(dimdsep) X(dimtmove) X(dimdec) X(dimtolj) X(dimtzin) X(dimupt) X(dimtdec) X(dimsoxd) \
    X(dimzin) X(dimaltu) X(dimjust) X(dimlwd) X(dimlwe)
// clang-format on

namespace {

AdTableRecord g_seek;

/* Every table record has these members under the same names. */
template <class Rec> signed char flag_of(const Rec &r) { return static_cast<signed char>(r.flag); }

/* Only block headers carry an external reference index. */
template <class Rec> int16_t xrefindex_of(const Rec &) { return 0; }

/* Name of the linetype a handle designates, "" when unknown. */
void linetype_name(const unsigned char *handle, char *name, size_t size)
{
    if (!adObjhandleIsNull(handle) && adSeekLinetype(dnfp_g.drawing, handle, &g_seek.ltype)) {
        dnfp__CopyName(name, size, g_seek.ltype.name);
    } else {
        adErrorClear();
        name[0] = '\0';
    }
}

/* An arrow block of a dimension style: its name and db_ptr, or "" and 0
 * when the handle is null or names no block header (no message then). */
template <size_t N> int arrow_block(const unsigned char *handle, char (&name)[N], db_ptr *ptr)
{
    name[0] = '\0';
    *ptr = MDA_NULL_PTR;
    if (adObjhandleIsNull(handle)) return 0;
    if (!adSeekBlockheader(dnfp_g.drawing, handle, &g_seek.blkh)) {
        adErrorClear();
        return 0;
    }
    dnfp__CopyName(name, N, g_seek.blkh.name);
    return dnfp__GetPtrFromObjHandle(handle, ptr);
}

template <size_t N> void copy_point(double (&to)[N], const double *from)
{
    for (size_t i = 0; i < N; ++i) to[i] = from[i];
}

/* ---- table-specific entry fields */

int fill(dxf_layer_table_data *e, const AdLayer &r, int)
{
    e->color_num = r.color;
    linetype_name(r.linetypehandle, e->line_type, sizeof e->line_type);
    e->plotflag = r.plotflag;
    e->lineweight = r.lineweight;
    return dnfp__GetPtrFromObjHandle(r.linetypehandle, &e->linetypeobjhandle);
}

int fill(dxf_text_style_table_data *e, const AdShapefile &r, int)
{
    e->height = r.height;
    e->width = r.widthfactor;
    e->oblique_ang = DNFP_DEGREES(r.oblique);
    e->text_flag = r.generationflag;
    e->last_height = r.lastheight;
    dnfp__CopyName(e->prim_font, sizeof e->prim_font, r.fontname);
    dnfp__CopyName(e->big_font, sizeof e->big_font, r.bigfontname);
    int style = 0;
    int status = dnfp__GetStyleFromHandle(r.handle, &style);
    e->style_index = style;
    return status;
}

int fill(dxf_line_type_table_data *e, const AdLinetype &r, int)
{
    dnfp__CopyName(e->desc, sizeof e->desc, r.text);
    dnfp__CopyName(e->ltypetextstr, sizeof e->ltypetextstr, r.strarea);
    e->alignment = char(r.alignment);
    e->pattern_len = r.patternlength;
    int n = r.numdashes;
    if (n < 0) n = 0;
    if (n > int(sizeof r.dashlength / sizeof r.dashlength[0]))
        n = int(sizeof r.dashlength / sizeof r.dashlength[0]);
    e->num_shapes = n;
    if (n == 0) return 0;
    int status = mda_Malloc(0, e, size_t(n) * sizeof(dxf_line_type_table_data_shape), &e->shape);
    if (status) return status;
    dxf_line_type_table_data_shape *s = static_cast<dxf_line_type_table_data_shape *>(mda_Deref(e->shape));
    for (int i = 0; i < n && !status; ++i) {
        s[i].val = r.dashlength[i];
        s[i].complexshapecode = r.shapenum[i];
        s[i].shapeflag = r.shapeflag[i];
        s[i].stroffset = r.stroffset[i];
        s[i].scale = r.shapescale[i];
        s[i].rotang = r.shaperot[i];
        s[i].offset[0] = r.shapexoffset[i];
        s[i].offset[1] = r.shapeyoffset[i];
        status = dnfp__GetPtrFromObjHandle(r.shapestylehandle[i], &s[i].ref);
    }
    return status;
}

int fill(dxf_view_table_data *e, const AdView &r, int)
{
    e->height = r.height;
    e->width = r.width;
    copy_point(e->xycenter, r.center);
    copy_point(e->xyzdir, r.viewdir);
    copy_point(e->xyztarget, r.target);
    e->lens_len = r.lenslength;
    e->front_clip = r.frontclip;
    e->back_clip = r.backclip;
    e->twist = r.twist;
    copy_point(e->ucsorg, r.ucsorg);
    copy_point(e->ucsxdir, r.ucsxdir);
    copy_point(e->ucsydir, r.ucsydir);
    e->elevation = r.elevation;
    e->view_mode = r.viewmode;
    e->rendermode = r.rendermode;
    e->isassociateducs = r.ucsassociated;
    e->ucsorthoviewtype = r.ucsorthotype;
    int status = dnfp__GetPtrFromObjHandle(r.ucshandle, &e->ucsobjhandle);
    if (!status) status = dnfp__GetPtrFromObjHandle(r.baseucshandle, &e->baseucsobjhandle);
    return status;
}

int fill(dxf_ucs_table_data *e, const AdUcs &r, int)
{
    copy_point(e->xyzorigin, r.origin);
    copy_point(e->xaxisdir, r.xdir);
    copy_point(e->yaxisdir, r.ydir);
    e->elevation = r.elevation;
    e->orthoviewtype = r.orthotype;
    e->orthographictype = r.orthotype71;
    copy_point(e->orthovieworigin, r.orthoorigin);
    return dnfp__GetPtrFromObjHandle(r.baseucshandle, &e->orthoviewrefobjhandle);
}

int fill(dxf_view_port_table_data *e, const AdVport &r, int)
{
    copy_point(e->xyllcor, r.lowerleft);
    copy_point(e->xyurcor, r.upperright);
    copy_point(e->xycenter, r.center);
    copy_point(e->xysnap, r.snapbase);
    copy_point(e->snapspace, r.snapspacing);
    copy_point(e->gridspace, r.gridspacing);
    copy_point(e->viewdir, r.viewdir);
    copy_point(e->xyztarget, r.target);
    e->height = r.height;
    e->aspect = r.aspect;
    e->lens_len = r.lenslength;
    e->front_clip = r.frontclip;
    e->back_clip = r.backclip;
    e->snap_ang = DNFP_DEGREES(r.snaprot);
    e->twist = r.twist;
    copy_point(e->ucsorg, r.ucsorg);
    copy_point(e->ucsxdir, r.ucsxdir);
    copy_point(e->ucsydir, r.ucsydir);
    e->ucselevation = r.elevation;
    e->view_mode = r.viewmode;
    e->cir_zoom = r.circlezoom;
    e->fast_zoom = r.fastzoom;
    e->ucsicon = r.ucsicon;
    e->snap_status = r.snapmode;
    e->grid_status = r.gridmode;
    e->snap_style = r.snapstyle;
    e->snap_isopair = r.snapisopair;
    e->rendermode = r.rendermode;
    e->ucsvp = r.ucsvp;
    e->ucsorthoviewtype = r.ucsorthotype;
    int status = dnfp__GetPtrFromObjHandle(r.ucshandle, &e->ucsobjhandle);
    if (!status) status = dnfp__GetPtrFromObjHandle(r.baseucshandle, &e->baseucsobjhandle);
    return status;
}

int fill(dxf_application_table_data *, const AdRegapp &, int) { return 0; }

int fill(dxf_dimension_style_table_data *e, const AdDimstyle &r, int)
{
    dnfp__CopyName(e->dimpost, sizeof e->dimpost, r.dimpost);
    dnfp__CopyName(e->dimapost, sizeof e->dimapost, r.dimapost);
#define DNFP_COPY_DIMVAR(f) e->f = r.f;
    DNFP_DIMSTYLE_VARIABLES(DNFP_COPY_DIMVAR)
#undef DNFP_COPY_DIMVAR
    e->dimunit = r.dimlunit;
    e->dimalttz = r.dimaltzin;
    e->dimfit = r.dimatfit;
    int status = arrow_block(r.dimblk, e->dimblk, &e->dimblkobjhandle);
    if (!status) status = arrow_block(r.dimblk1, e->dimblk1, &e->dimblk1objhandle);
    if (!status) status = arrow_block(r.dimblk2, e->dimblk2, &e->dimblk2objhandle);
    if (!status) status = dnfp__GetPtrFromObjHandle(r.dimldrblk, &e->dimldrblk);
    int style = 0;
    if (!status) status = dnfp__GetStyleFromHandle(r.dimtxsty, &style);
    e->style_ref = style;
    if (!status) status = dnfp__GetPtrFromObjHandle(r.dimtxsty, &e->shapefileobjhandle);
    return status;
}

/* Creates a record under a handle, reports it and unlocks it; a record the
 * handle already had is dropped. */
int create_and_report(const unsigned char *handle, const unsigned char *owner, void *memory, db_ptr *out)
{
    int created = 0;
    int status = dnfp__CreateEntity(0, handle, owner, memory, out, &created);
    if (status) {
        if (!created)
            mda_FreeEntity(0, memory);
        else
            mda_UnlockEntity(MDA_UNLOCK_MODIFIED, *out);
        return status;
    }
    if (!created) {
        mda_FreeEntity(0, memory);
        memory = nullptr;
    }
    if (dnfp__DNFPFunc) dnfp__DNFPFunc(*out, memory);
    return memory ? mda_UnlockEntity(MDA_UNLOCK_MODIFIED, *out) : 0;
}

/* The table mapper, for every table of the toolkit's database. */
template <class Rec, class Entry>
int map_table(const char *name, mda_tf table_tf, mda_tf entry_tf, int control, int (*start)(AdDrawing *),
              long (*count_of)(AdDrawing *), int (*get)(AdDrawing *, Rec *))
{
    AdDrawing *d = dnfp_g.drawing;
    start(d);
    dnfp__ReportToolkitError();
    long count = count_of(d);
    dnfp__ReportToolkitError();
    std::vector<Rec> records;
    for (long i = 0; i < count; ++i) {
        Rec *r = reinterpret_cast<Rec *>(dnfp_g.tblrec);
        if (!get(d, r)) {
            dnfp__ReportToolkitError();
            break;
        }
        records.push_back(*r);
    }
    const int n = int(records.size());

    void *memory = nullptr;
    int status = mda_MallocEntity2(0, mda_GetCurModel(), table_tf, &memory);
    if (status) return status;
    dxf_layer_table *table = static_cast<dxf_layer_table *>(memory);
    static_assert(sizeof(dxf_layer_table) == sizeof(dxf_line_type_table) &&
                      sizeof(dxf_layer_table) == sizeof(dxf_block_record_table),
                  "every table record has the same layout");
    dnfp__CopyName(table->name, sizeof table->name, name);
    table->num_entries = n;
    if (n > 0) status = mda_Malloc(0, memory, size_t(n) * sizeof(db_ptr), &table->table_data);
    db_ptr *entries = n > 0 && !status ? static_cast<db_ptr *>(mda_Deref(table->table_data)) : nullptr;

    const bool xdata = adFileVersionLoaded(d) >= AD_ACAD13;
    for (int i = 0; i < n && !status; ++i) {
        const Rec &r = records[size_t(i)];
        void *entry_memory = nullptr;
        status = mda_MallocEntity2(0, mda_GetCurModel(), entry_tf, &entry_memory);
        if (status) break;
        Entry *e = static_cast<Entry *>(entry_memory);
        dnfp__HandleText(r.handle, e->entry_handle);
        dnfp__HandleText(r.ownerhandle, e->owner_handle);
        if (xdata && r.xdblob) status = dnfp__ReadExtEntData(r.xdblob, &e->dxfxed, e, i);
        dnfp__CopyName(e->entry_name, sizeof e->entry_name, r.name);
        e->flag = flag_of(r);
        e->xrefindex = xrefindex_of(r);
        e->purgedflag = char(r.purgedflag);
        if (!status) status = fill(e, r, i);
        if (status) {
            mda_FreeEntity(0, entry_memory);
            break;
        }
        status = create_and_report(r.handle, r.ownerhandle, entry_memory, &entries[i]);
    }
    if (status) {
        mda_FreeEntity(0, memory);
        return status;
    }
    static const unsigned char zero[8] = {0};
    db_ptr ptr = MDA_NULL_PTR;
    return create_and_report(adCtrlObjhandlePtr(d)[control], zero, memory, &ptr);
}

} // namespace

extern "C" {

int dnfp__ParseLayerTable(void)
{
    return map_table<AdLayer, dxf_layer_table_data>("LAYER", DXFI_TF_dxf_layer_table,
                                                    DXFI_TF_dxf_layer_table_data, AD_CTRL_LAYER,
                                                    adStartLayerGet, adNumLayers, adGetLayer);
}

int dnfp__ParseTextStyleTable(void)
{
    return map_table<AdShapefile, dxf_text_style_table_data>(
        "STYLE", DXFI_TF_dxf_text_style_table, DXFI_TF_dxf_text_style_table_data, AD_CTRL_STYLE,
        adStartShapefileGet, adNumShapefiles, adGetShapefile);
}

int dnfp__ParseLineTypeTable(void)
{
    return map_table<AdLinetype, dxf_line_type_table_data>("LTYPE", DXFI_TF_dxf_line_type_table,
                                                           DXFI_TF_dxf_line_type_table_data, AD_CTRL_LTYPE,
                                                           adStartLinetypeGet, adNumLinetypes, adGetLinetype);
}

int dnfp__ParseViewTable(void)
{
    return map_table<AdView, dxf_view_table_data>("VIEW", DXFI_TF_dxf_view_table, DXFI_TF_dxf_view_table_data,
                                                  AD_CTRL_VIEW, adStartViewGet, adNumViews, adGetView);
}

int dnfp__ParseUCSTable(void)
{
    return map_table<AdUcs, dxf_ucs_table_data>("UCS", DXFI_TF_dxf_ucs_table, DXFI_TF_dxf_ucs_table_data,
                                                AD_CTRL_UCS, adStartUcsGet, adNumUcss, adGetUcs);
}

int dnfp__ParseViewPortTable(void)
{
    return map_table<AdVport, dxf_view_port_table_data>("VPORT", DXFI_TF_dxf_view_port_table,
                                                        DXFI_TF_dxf_view_port_table_data, AD_CTRL_VPORT,
                                                        adStartVportGet, adNumVports, adGetVport);
}

int dnfp__ParseApplicationTable(void)
{
    return map_table<AdRegapp, dxf_application_table_data>("APPID", DXFI_TF_dxf_application_table,
                                                           DXFI_TF_dxf_application_table_data, AD_CTRL_APPID,
                                                           adStartRegappGet, adNumRegapps, adGetRegapp);
}

int dnfp__ParseDimensionStyleTable(void)
{
    return map_table<AdDimstyle, dxf_dimension_style_table_data>(
        "DIMSTYLE", DXFI_TF_dxf_dimension_style_table, DXFI_TF_dxf_dimension_style_table_data,
        AD_CTRL_DIMSTYLE, adStartDimstyleGet, adNumDimstyles, adGetDimstyle);
}

int dnfp__CreateDimStyleFromHeader(void)
{
    AdDrawing *d = dnfp_g.drawing;
    DnfpUnnamedDimStyle &u = dnfp__UnnamedDimStyle;
    memset(&u, 0, sizeof u);
    strcpy(u.name, "UNNAMED");
    if (adFindDimstyleByName(d, "UNNAMED", u.handle)) return 0;

    AdDimstyle *s = &g_seek.dimstyle;
    adSetDefaultDimstyleFromHeader(d, s);
    strcpy(s->name, "UNNAMED");
    if (!adFindShapefileByName(d, "STANDARD", s->dimtxsty)) adFindShapefileByName(d, "Standard", s->dimtxsty);
    adErrorClear();
    memcpy(s->ownerhandle, adCtrlObjhandlePtr(d)[AD_CTRL_DIMSTYLE], sizeof s->ownerhandle);
    adGenerateObjhandle(d, s->handle);
    if (!adAddDimstyle(d, s)) dnfp__ReportToolkitError();
    memcpy(u.handle, s->handle, sizeof u.handle);
    return 0;
}

int dnfp__CreateBlockRecordTable(void)
{
    const int n = olm_GetCount(dnfp__BlockList);
    if (n < 1) return 0;
    void *memory = nullptr;
    int status = mda_MallocEntity2(0, mda_GetCurModel(), DXFI_TF_dxf_block_record_table, &memory);
    if (status) return status;
    dxf_block_record_table *table = static_cast<dxf_block_record_table *>(memory);
    dnfp__CopyName(table->name, sizeof table->name, "BLOCK_RECORD");
    table->num_entries = n;
    status = mda_Malloc(0, memory, size_t(n) * sizeof(db_ptr), &table->table_data);
    db_ptr *entries = status ? nullptr : static_cast<db_ptr *>(mda_Deref(table->table_data));
    static const unsigned char zero[8] = {0};
    olm_ResetCycle(dnfp__BlockList);
    for (int i = 0; i < n && !status; ++i) {
        const DnfpBlockRecord *b = static_cast<const DnfpBlockRecord *>(olm_CycleList(0, dnfp__BlockList));
        if (!b) break;
        void *entry_memory = nullptr;
        status = mda_MallocEntity2(0, mda_GetCurModel(), DXFI_TF_dxf_block_record_table_data, &entry_memory);
        if (status) break;
        dxf_block_record_table_data *e = static_cast<dxf_block_record_table_data *>(entry_memory);
        dnfp__CopyName(e->entry_handle, sizeof e->entry_handle, b->handle);
        dnfp__CopyName(e->block_name, sizeof e->block_name, b->name);
        e->block_ptr = b->block;
        status = create_and_report(zero, zero, entry_memory, &entries[i]);
    }
    if (status) {
        mda_FreeEntity(0, memory);
        return status;
    }
    db_ptr ptr = MDA_NULL_PTR;
    return create_and_report(adCtrlObjhandlePtr(dnfp_g.drawing)[AD_CTRL_BLOCK_RECORD], zero, memory, &ptr);
}

} // extern "C"
