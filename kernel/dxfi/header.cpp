/* The defaults of a model's header entity (dxf_header): every field starts
 * at zero or empty, then the values below are set, some of them depending on
 * the DXF version number of the model (9 to 14, or 2000). */
#include "kernel/dxfi/dxfi_int.h"

#include <string.h>

#include "kernel/mda/mda.h"
#include "kernel/mpm/mpm_int.h"

namespace {

template <size_t N> void set_text(char (&field)[N], const char *text)
{
    strncpy(field, text, N - 1);
    field[N - 1] = '\0';
}

void set3(double *p, double x, double y, double z)
{
    p[0] = x;
    p[1] = y;
    p[2] = z;
}

const char *acadver_of(int32_t version)
{
    switch (version) {
    case 9: return "AC1004";
    case 10: return "AC1006";
    case 11:
    case 12: return "AC1009";
    case 13: return "AC1012";
    case 14: return "AC1014";
    case 2000: return "AC1015";
    default: return "AC1014";
    }
}

} // namespace

extern "C" int32_t dxfi_InitHeader(int32_t options, void *memory)
{
    (void)options;
    if (!memory) return mpm__SetError(0, DXFI_NULL_MEMPTR, MPM_ERROR);
    dxf_header *h = static_cast<dxf_header *>(memory);
    int32_t version = 14;
    if (DxfiModelData *data = dxfi__ModelData(int32_t(MDA_PTR_MODEL(h->hdr.self)))) version = data->version;

    /* everything after the entity header */
    memset(reinterpret_cast<unsigned char *>(h) + sizeof h->hdr, 0, sizeof *h - sizeof h->hdr);

    set_text(h->acadver, acadver_of(version));
    h->extnames = version < 15 ? 0 : 1;
    h->maxactvp = version == 14 ? 48 : version == 2000 ? 64 : 16;
    set_text(h->menu, version < 14 ? "acad" : ".");
    h->ucsicon = version < 2000 ? 1 : 3;

    set_text(h->celtype, "BYLAYER");
    set_text(h->clayer, "0");
    set_text(h->cmlstyle, "STANDARD");
    set_text(h->dimstyle, "STANDARD");
    set_text(h->dimtxsty, "STANDARD");
    set_text(h->textstyle, "STANDARD");

    h->attmode = h->attreq = h->blipmode = h->cyclecurr = h->cyclekeep = h->delobj = 1;
    h->dimaso = h->dimsho = h->dimtih = h->dimtoh = h->dimtolj = h->fastzoom = 1;
    h->fillmode = h->handles = h->mirrtext = h->pickstyle = h->proxygraphics = 1;
    h->psltscale = h->regenmode = h->tilemode = h->ucsorthoview = h->usrtimer = 1;
    h->worldview = h->xedit = 1;

    h->cecolor = 256;
    h->celweight = -1;
    h->dimaltd = 2;
    h->dimalttd = 2;
    h->dimaltu = 2;
    h->dimdec = 4;
    h->dimdsep = 46;
    h->dimfit = 3;
    h->dimlwd = -2;
    h->dimlwe = -2;
    h->dimtdec = 4;
    h->dimunit = 2;
    h->dragmode = 2;
    h->isolines = 4;
    h->lunits = 2;
    h->luprec = 4;
    h->shadedge = 3;
    h->shadedif = 70;
    h->splinesegs = 8;
    h->splinetype = 6;
    h->surftab1 = 6;
    h->surftab2 = 6;
    h->surftype = 6;
    h->surfu = 6;
    h->surfv = 6;
    h->textqlty = 50;
    h->treedepth = 3020;

    h->celtscale = 1.0;
    h->cmlscale = 1.0;
    h->dimaltf = 25.4;
    h->dimasz = 0.18;
    h->dimcen = 0.09;
    h->dimdli = 0.38;
    h->dimexe = 0.18;
    h->dimexo = 0.0625;
    h->dimgap = 0.09;
    h->dimlfac = 1.0;
    h->dimscale = 1.0;
    h->dimtfac = 1.0;
    h->dimtxt = 0.18;
    h->facetres = 0.5;
    h->filletrad = 0.5;
    h->lenslength = 50.0;
    h->ltscale = 1.0;
    h->sketchinc = 0.1;
    h->textsize = 0.2;
    h->tracewid = 0.05;

    const double big = 1e20;
    set3(h->extmin, big, big, big);
    set3(h->pextmin, big, big, big);
    set3(h->extmax, -big, -big, -big);
    set3(h->pextmax, -big, -big, -big);
    h->gridunit[0] = h->gridunit[1] = 0.5;
    h->limmax[0] = h->plimmax[0] = 12.0;
    h->limmax[1] = h->plimmax[1] = 9.0;
    set3(h->ucsxdir, 1, 0, 0);
    set3(h->pucsxdir, 1, 0, 0);
    set3(h->ucsydir, 0, 1, 0);
    set3(h->pucsydir, 0, 1, 0);
    set3(h->vpointhdr, 0, 0, 1);
    return 0;
}
