/* The header mapper: the drawing's header variables go into the model's one
 * dxf_header entity, which the kernel created with the model (with the header
 * defaults); it is set to the defaults of the drawing's version again and
 * then filled. Variables are copied to the field of the same name; $HANDLING
 * goes to `handles`, the five user variables to useri1..useri5 and
 * userr1..userr5, $VIEWDIR and $VIEWTWIST to vpointhdr and viewtwisthdr, and
 * the later names $DIMLUNIT and $DIMATFIT to dimunit and dimfit. Variables
 * that name a table entry are resolved to its name and db_ptr; the code page
 * number becomes its text. */
#include "dnfp/dnfp_int.h"

#include <string.h>

#include "kernel/dxfi/dxfi_int.h"
#include "kernel/mda/mda.h"

/* Variables copied one to one (numbers, widened). */
// clang-format off
#define DNFP_HEADER_SCALARS(X) \
    X(delobj) X(dimalt) X(dimaltd) X(dimalttz) X(dimaltz) X(dimaso) X(dimjust) X(dimlim) \
    X(dimsah) X(dimsd1) X(dimsd2) X(dimse1) X(dimse2) X(dimsho) X(dimsoxd) X(dimtad) X(dimtih) \
    X(dimtix) X(dimtofl) X(dimtoh) X(dimtol) X(dimtolj) X(dimtzin) X(dimupt) X(dimzin) \
    X(dispsilh) X(endcaps) X(extnames) X(joinstyle) X(lwdisplay) X(pickstyle) X(proxygraphics) \
    X(pstylemode) X(xedit) X(acadmaintver) X(angdir) X(attdia) X(attmode) X(attreq) X(aunits) \
    X(auprec) X(axismode) X(blipmode) X(cecolor) X(celweight) X(cepsntype) X(cmljust) X(coords) \
    X(dimadec) X(dimalttd) X(dimaltu) X(dimaunit) X(dimazin) X(dimclrd) X(dimclre) X(dimclrt) \
    X(dimdec) X(dimdsep) X(dimfrac) X(dimlwd) X(dimlwe) X(dimtdec) X(dimtmove) X(dragmode) \
    X(fastzoom) X(fillmode) X(flatland) X(gridmode) X(insunits) X(limcheck) X(lunits) X(luprec) \
    X(maxactvp) X(measurement) X(mirrtext) X(orthomode) X(osmode) X(pdmode) X(plimcheck) \
    X(plinegen) X(psltscale) X(pucsorthoview) X(qtextmode) X(regenmode) X(shadedge) X(shadedif) \
    X(skpoly) X(snapisopair) X(snapmode) X(snapstyle) X(splframe) X(splinesegs) X(splinetype) \
    X(surftab1) X(surftab2) X(surftype) X(surfu) X(surfv) X(tilemode) X(treedepth) \
    X(ucsorthoview) X(unitmode) X(usrtimer) X(visretain) X(worldview) X(angbase) X(celtscale) \
    X(chamfera) X(chamferb) X(chamferc) X(chamferd) X(cmlscale) X(dimaltf) X(dimaltrnd) \
    X(dimasz) X(dimcen) X(dimdle) X(dimdli) X(dimexe) X(dimexo) X(dimgap) X(dimlfac) X(dimrnd) \
    X(dimscale) X(dimtfac) X(dimtm) X(dimtp) X(dimtsz) X(dimtvp) X(dimtxt) X(elevation) \
    X(filletrad) X(ltscale) X(pdsize) X(pelevation) X(plinewid) X(psvpscale) X(sketchinc) \
    X(snapang) X(textsize) X(thickness) X(tracewid) X(viewsize)
// clang-format on

/* Fixed arrays of the same length (points, dates). */
// clang-format off
#define DNFP_HEADER_ARRAYS(X) \
    X(axisunit) X(gridunit) X(limmax) X(limmin) X(plimmax) X(plimmin) X(snapbase) X(snapunit) \
    X(extmax) X(extmin) X(insbase) X(pextmax) X(pextmin) X(pinsbase) X(pucsorg) X(pucsorgback) \
    X(pucsorgbottom) X(pucsorgfront) X(pucsorgleft) X(pucsorgright) X(pucsorgtop) X(pucsxdir) \
    X(pucsydir) X(ucsorg) X(ucsorgback) X(ucsorgbottom) X(ucsorgfront) X(ucsorgleft) \
    X(ucsorgright) X(ucsorgtop) X(ucsxdir) X(ucsydir) X(viewctr) X(tdcreate) X(tdindwg) \
    X(tducreate) X(tduupdate) X(tdupdate) X(tdusrtimer)
// clang-format on

/* Texts. */
// clang-format off
#define DNFP_HEADER_TEXTS(X) \
    X(acadver) X(dimapost) X(dimpost) X(hyperlinkbase) X(stylesheet) X(menu)
// clang-format on

namespace {

const char *const kCodePages[] = {
    "undefined", "ascii",     "iso8859-1", "iso8859-2", "iso8859-3", "iso8859-4", "iso8859-5", "iso8859-6",
    "iso8859-7", "iso8859-8", "iso8859-9", "dos437",    "dos850",    "dos852",    "dos855",    "dos857",
    "dos860",    "dos861",    "dos863",    "dos864",    "dos865",    "dos869",    "dos932",    "mac-roman",
    "big5",      "ksc5601",   "johab",     "dos866",    "ansi_1250", "ansi_1251", "ansi_1252", "gb2312",
    "ansi_1253", "ansi_1254", "ansi_1255", "ansi_1256", "ansi_1257", "ansi_874",  "ansi_932",  "ansi_936",
    "ansi_949",  "ansi_950",  "ansi_1361", "ansi_1200", "ansi_1258"};

AdTableRecord g_seek;
AdObjectHeader g_objhdr;
AdObjectRecord g_objrec;

enum Seek { kBlock, kLinetype, kLayer, kMlstyle, kDimstyle, kShapefile, kUcs };

/* The name of the entry a handle designates, or null when it cannot be
 * found (the toolkit's error is then cleared: a missing entry leaves the
 * defaults without a message). */
const char *seek_name(Seek kind, const unsigned char *handle)
{
    if (adObjhandleIsNull(handle)) return nullptr;
    AdDrawing *d = dnfp_g.drawing;
    const char *name = nullptr;
    switch (kind) {
    case kBlock:
        if (adSeekBlockheader(d, handle, &g_seek.blkh)) name = g_seek.blkh.name;
        break;
    case kLinetype:
        if (adSeekLinetype(d, handle, &g_seek.ltype)) name = g_seek.ltype.name;
        break;
    case kLayer:
        if (adSeekLayer(d, handle, &g_seek.layer)) name = g_seek.layer.name;
        break;
    case kMlstyle:
        /* the handle may name an object of any kind: only a multiline
           style's record holds a style name */
        if (adSeekObject(d, handle, &g_objhdr, &g_objrec) && g_objhdr.objtype == AD_OBJ_MLINESTYLE)
            name = g_objrec.mlstyle.name;
        break;
    case kDimstyle:
        if (adSeekDimstyle(d, handle, &g_seek.dimstyle)) name = g_seek.dimstyle.name;
        break;
    case kShapefile:
        if (adSeekShapefile(d, handle, &g_seek.shape)) name = g_seek.shape.name;
        break;
    case kUcs:
        if (adSeekUcs(d, handle, &g_seek.ucs)) name = g_seek.ucs.name;
        break;
    }
    if (!name) adErrorClear();
    return name;
}

/* Sets a pointer field to the db_ptr of a handle, registering the header as
 * its parent. */
int set_pointer(db_ptr header, const unsigned char *handle, db_ptr *field)
{
    db_ptr p = MDA_NULL_PTR;
    int status = dnfp__GetPtrFromObjHandle(handle, &p);
    if (status) return status;
    return mda_AddPtr(header, p, field);
}

/* A name field and its pointer field from a handle; both stay at their
 * defaults when the handle is null or names nothing. */
template <size_t N>
int resolve(db_ptr header, Seek kind, const unsigned char *handle, char (&name)[N], db_ptr *field)
{
    const char *found = seek_name(kind, handle);
    if (!found) return 0;
    dnfp__CopyName(name, N, found);
    return set_pointer(header, handle, field);
}

int copy_header(db_ptr ptr, dxf_header *h, const AdHeader *a, int32_t version)
{
#define DNFP_COPY_SCALAR(f) h->f = a->f;
    DNFP_HEADER_SCALARS(DNFP_COPY_SCALAR)
#undef DNFP_COPY_SCALAR
#define DNFP_COPY_ARRAY(f)                                                                                   \
    static_assert(sizeof h->f / sizeof h->f[0] == sizeof a->f / sizeof a->f[0], #f);                         \
    for (size_t i = 0; i < sizeof h->f / sizeof h->f[0]; ++i) h->f[i] = a->f[i];
    DNFP_HEADER_ARRAYS(DNFP_COPY_ARRAY)
#undef DNFP_COPY_ARRAY
#define DNFP_COPY_TEXT(f) dnfp__CopyName(h->f, sizeof h->f, a->f);
    DNFP_HEADER_TEXTS(DNFP_COPY_TEXT)
#undef DNFP_COPY_TEXT
    h->handles = a->handling;
    h->dimunit = a->dimlunit;
    h->dimfit = a->dimatfit;
    h->viewtwisthdr = a->viewtwist;
    for (int i = 0; i < 3; ++i) h->vpointhdr[i] = a->viewdir[i];
    h->useri1 = a->useri[0];
    h->useri2 = a->useri[1];
    h->useri3 = a->useri[2];
    h->useri4 = a->useri[3];
    h->useri5 = a->useri[4];
    h->userr1 = a->userr[0];
    h->userr2 = a->userr[1];
    h->userr3 = a->userr[2];
    h->userr4 = a->userr[3];
    h->userr5 = a->userr[4];
    dnfp__CopyName(h->dwgcodepage, sizeof h->dwgcodepage, dnfp__CodePageName(a->dwgcodepage, version));

    /* arrow blocks are named only when their block exists */
    int status = resolve(ptr, kBlock, a->dimblkhandle, h->dimblk, &h->dimblkobjhandle);
    if (!status) status = resolve(ptr, kBlock, a->dimblk1handle, h->dimblk1, &h->dimblk1objhandle);
    if (!status) status = resolve(ptr, kBlock, a->dimblk2handle, h->dimblk2, &h->dimblk2objhandle);
    if (!status) status = resolve(ptr, kBlock, a->dimldrblkhandle, h->dimldrblk, &h->dimldrblkobjhandle);
    if (!status) status = resolve(ptr, kLinetype, a->celtype, h->celtype, &h->curltypeobjhandle);
    if (!status) status = resolve(ptr, kLayer, a->clayer, h->clayer, &h->curlayerobjhandle);
    if (!status) status = resolve(ptr, kMlstyle, a->cmlstyle, h->cmlstyle, &h->curmlstyleobjhandle);
    if (!status) status = resolve(ptr, kDimstyle, a->dimstyle, h->dimstyle, &h->curdimstyleobjhandle);
    if (!status) status = resolve(ptr, kShapefile, a->dimtxsty, h->dimtxsty, &h->curdimtextstyleobjhandle);
    if (!status) status = resolve(ptr, kUcs, a->pucsname, h->pucsname, &h->curpucsobjhandle);
    if (!status) status = resolve(ptr, kShapefile, a->textstyle, h->textstyle, &h->curtextstyleobjhandle);
    if (!status) status = resolve(ptr, kUcs, a->ucsname, h->ucsname, &h->curucsobjhandle);
    if (!status) status = set_pointer(ptr, a->ucsbase, &h->curucsbaseobjhandle);
    if (!status) status = set_pointer(ptr, a->ucsorthoref, &h->curucsorthorefobjhandle);
    if (!status) status = set_pointer(ptr, a->pucsbase, &h->curpucsbaseobjhandle);
    if (!status) status = set_pointer(ptr, a->pucsorthoref, &h->curpucsorthorefobjhandle);
    if (!status) status = set_pointer(ptr, a->handseed, &h->handseed);
    return status;
}

} // namespace

extern "C" {

const char *dnfp__CodePageName(int number, int version)
{
    const int count = int(sizeof kCodePages / sizeof kCodePages[0]);
    if (number >= 0 && number < count) return kCodePages[number];
    return version <= 13 ? "iso8859-1" : "ANSI_1252";
}

int dnfp__ParseHeader(void)
{
    DxfiModelData *data = dxfi__CurModelData;
    const int32_t version = data ? data->version : 14;
    db_ptr ptr = data ? data->header : MDA_NULL_PTR;
    void *memory = nullptr;
    int status;
    if (ptr != MDA_NULL_PTR && mda_IsValidDbptr(ptr)) {
        status = mda_LockEntity(0, ptr, &memory);
    } else {
        /* a model without its header: create one, kept locked by the model */
        status = mda_AllocateEntity2(0, mda_GetCurModel(), DXFI_TF_dxf_header, &memory, &ptr);
        if (!status && data) {
            data->header = ptr;
            data->header_memory = memory;
            status = mda_LockEntity(0, ptr, &memory);
        }
    }
    if (status) return status;
    status = dxfi_InitHeader(0, memory);
    const AdHeader *a = adHeaderPointer(dnfp_g.drawing);
    if (!status && a) status = copy_header(ptr, static_cast<dxf_header *>(memory), a, version);
    int unlocked = mda_UnlockEntity(MDA_UNLOCK_MODIFIED, ptr);
    return status ? status : unlocked;
}

} // extern "C"
