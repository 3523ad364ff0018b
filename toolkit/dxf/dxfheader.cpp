/* The HEADER section: the header-variable table and its reader, and the
 * defaults of the header record and of dimension styles drawn from it.
 *
 * The table has one entry per variable the header record keeps (214,
 * sorted by name without the "$", searched by halving, case-insensitively):
 * the field, its kind and, for strings, the field length (the text is cut
 * to length - 1 characters) or, for the USERI/USERR arrays, the element.
 * Kinds: 0 byte (low 8 bits), 1 16-bit, 2 real, 3 2D point, 4 3D point,
 * 5 string, 6 date (Julian day and milliseconds), 7 16-bit array element,
 * 8 real array element, 9 handle, 10 code page (by name). DIMFIT and
 * DIMATFIT, DIMUNIT and DIMLUNIT, SAVEIMAGES and PROXYGRAPHICS share a
 * field. Twelve further variables name table records; their texts go to
 * the toolkit state's name buffers and become handles after loading.
 * Values are taken by the kind of the variable whatever group code carries
 * them (a 16-bit variable written with a real code still reads). */
#include "toolkit/dxf/dxf_int.h"

#include <cmath>
#include <cstddef>
#include <cstring>

namespace {

struct HeaderVar {
  const char* name;
  size_t off;
  size_t size;
  int kind;
  int arg;
};

#define HV(name, field, kind, arg) {#name, offsetof(AdHeader, field), sizeof(AdHeader::field), kind, arg},
constexpr HeaderVar kVars[] = {
  HV(ACADMAINTVER, acadmaintver, 1, 0)  HV(ACADVER, acadver, 5, 7)
  HV(ANGBASE, angbase, 2, 0)  HV(ANGDIR, angdir, 1, 0)
  HV(ATTDIA, attdia, 1, 0)  HV(ATTMODE, attmode, 1, 0)
  HV(ATTREQ, attreq, 1, 0)  HV(AUNITS, aunits, 1, 0)
  HV(AUPREC, auprec, 1, 0)  HV(AXISMODE, axismode, 1, 0)
  HV(AXISUNIT, axisunit, 3, 0)  HV(BLIPMODE, blipmode, 1, 0)
  HV(CECOLOR, cecolor, 1, 0)  HV(CELTSCALE, celtscale, 2, 0)
  HV(CELWEIGHT, celweight, 1, 0)  HV(CEPSNTYPE, cepsntype, 1, 0)
  HV(CHAMFERA, chamfera, 2, 0)  HV(CHAMFERB, chamferb, 2, 0)
  HV(CHAMFERC, chamferc, 2, 0)  HV(CHAMFERD, chamferd, 2, 0)
  HV(CMLJUST, cmljust, 1, 0)  HV(CMLSCALE, cmlscale, 2, 0)
  HV(COORDS, coords, 1, 0)  HV(DELOBJ, delobj, 0, 0)
  HV(DIMADEC, dimadec, 1, 0)  HV(DIMALT, dimalt, 0, 0)
  HV(DIMALTD, dimaltd, 0, 0)  HV(DIMALTF, dimaltf, 2, 0)
  HV(DIMALTRND, dimaltrnd, 2, 0)  HV(DIMALTTD, dimalttd, 1, 0)
  HV(DIMALTTZ, dimalttz, 0, 0)  HV(DIMALTU, dimaltu, 1, 0)
  HV(DIMALTZ, dimaltz, 0, 0)  HV(DIMAPOST, dimapost, 5, 16)
  HV(DIMASO, dimaso, 0, 0)  HV(DIMASZ, dimasz, 2, 0)
  HV(DIMATFIT, dimatfit, 0, 0)  HV(DIMAUNIT, dimaunit, 1, 0)
  HV(DIMAZIN, dimazin, 1, 0)  HV(DIMBLK, dimblk, 5, 32)
  HV(DIMBLK1, dimblk1, 5, 32)  HV(DIMBLK2, dimblk2, 5, 32)
  HV(DIMCEN, dimcen, 2, 0)  HV(DIMCLRD, dimclrd, 1, 0)
  HV(DIMCLRE, dimclre, 1, 0)  HV(DIMCLRT, dimclrt, 1, 0)
  HV(DIMDEC, dimdec, 1, 0)  HV(DIMDLE, dimdle, 2, 0)
  HV(DIMDLI, dimdli, 2, 0)  HV(DIMDSEP, dimdsep, 1, 0)
  HV(DIMEXE, dimexe, 2, 0)  HV(DIMEXO, dimexo, 2, 0)
  HV(DIMFIT, dimatfit, 0, 0)  HV(DIMFRAC, dimfrac, 1, 0)
  HV(DIMGAP, dimgap, 2, 0)  HV(DIMJUST, dimjust, 0, 0)
  HV(DIMLDRBLK, dimldrblk, 5, 32)  HV(DIMLFAC, dimlfac, 2, 0)
  HV(DIMLIM, dimlim, 0, 0)  HV(DIMLUNIT, dimlunit, 1, 0)
  HV(DIMLWD, dimlwd, 1, 0)  HV(DIMLWE, dimlwe, 1, 0)
  HV(DIMPOST, dimpost, 5, 16)  HV(DIMRND, dimrnd, 2, 0)
  HV(DIMSAH, dimsah, 0, 0)  HV(DIMSCALE, dimscale, 2, 0)
  HV(DIMSD1, dimsd1, 0, 0)  HV(DIMSD2, dimsd2, 0, 0)
  HV(DIMSE1, dimse1, 0, 0)  HV(DIMSE2, dimse2, 0, 0)
  HV(DIMSHO, dimsho, 0, 0)  HV(DIMSOXD, dimsoxd, 0, 0)
  HV(DIMTAD, dimtad, 0, 0)  HV(DIMTDEC, dimtdec, 1, 0)
  HV(DIMTFAC, dimtfac, 2, 0)  HV(DIMTIH, dimtih, 0, 0)
  HV(DIMTIX, dimtix, 0, 0)  HV(DIMTM, dimtm, 2, 0)
  HV(DIMTMOVE, dimtmove, 1, 0)  HV(DIMTOFL, dimtofl, 0, 0)
  HV(DIMTOH, dimtoh, 0, 0)  HV(DIMTOL, dimtol, 0, 0)
  HV(DIMTOLJ, dimtolj, 0, 0)  HV(DIMTP, dimtp, 2, 0)
  HV(DIMTSZ, dimtsz, 2, 0)  HV(DIMTVP, dimtvp, 2, 0)
  HV(DIMTXT, dimtxt, 2, 0)  HV(DIMTZIN, dimtzin, 0, 0)
  HV(DIMUNIT, dimlunit, 1, 0)  HV(DIMUPT, dimupt, 0, 0)
  HV(DIMZIN, dimzin, 0, 0)  HV(DISPSILH, dispsilh, 0, 0)
  HV(DRAGMODE, dragmode, 1, 0)  HV(DWGCODEPAGE, dwgcodepage, 10, 0)
  HV(ELEVATION, elevation, 2, 0)  HV(ENDCAPS, endcaps, 0, 0)
  HV(EXTMAX, extmax, 4, 0)  HV(EXTMIN, extmin, 4, 0)
  HV(EXTNAMES, extnames, 0, 0)  HV(FASTZOOM, fastzoom, 1, 0)
  HV(FILLETRAD, filletrad, 2, 0)  HV(FILLMODE, fillmode, 1, 0)
  HV(FINGERPRINTGUID, fingerprintguid, 5, 39)  HV(FLATLAND, flatland, 1, 0)
  HV(GRIDMODE, gridmode, 1, 0)  HV(GRIDUNIT, gridunit, 3, 0)
  HV(HANDLING, handling, 1, 0)  HV(HANDSEED, handseed, 9, 0)
  HV(HYPERLINKBASE, hyperlinkbase, 5, 127)  HV(INSBASE, insbase, 4, 0)
  HV(INSUNITS, insunits, 1, 0)  HV(JOINSTYLE, joinstyle, 0, 0)
  HV(LIMCHECK, limcheck, 1, 0)  HV(LIMMAX, limmax, 3, 0)
  HV(LIMMIN, limmin, 3, 0)  HV(LTSCALE, ltscale, 2, 0)
  HV(LUNITS, lunits, 1, 0)  HV(LUPREC, luprec, 1, 0)
  HV(LWDISPLAY, lwdisplay, 0, 0)  HV(MAXACTVP, maxactvp, 1, 0)
  HV(MEASUREMENT, measurement, 1, 0)  HV(MENU, menu, 5, 61)
  HV(MIRRTEXT, mirrtext, 1, 0)  HV(ORTHOMODE, orthomode, 1, 0)
  HV(OSMODE, osmode, 1, 0)  HV(PDMODE, pdmode, 1, 0)
  HV(PDSIZE, pdsize, 2, 0)  HV(PELEVATION, pelevation, 2, 0)
  HV(PEXTMAX, pextmax, 4, 0)  HV(PEXTMIN, pextmin, 4, 0)
  HV(PICKSTYLE, pickstyle, 0, 0)  HV(PINSBASE, pinsbase, 4, 0)
  HV(PLIMCHECK, plimcheck, 1, 0)  HV(PLIMMAX, plimmax, 3, 0)
  HV(PLIMMIN, plimmin, 3, 0)  HV(PLINEGEN, plinegen, 1, 0)
  HV(PLINEWID, plinewid, 2, 0)  HV(PROXYGRAPHICS, proxygraphics, 0, 0)
  HV(PSLTSCALE, psltscale, 1, 0)  HV(PSTYLEMODE, pstylemode, 0, 0)
  HV(PSVPSCALE, psvpscale, 2, 0)  HV(PUCSORG, pucsorg, 4, 0)
  HV(PUCSORGBACK, pucsorgback, 4, 0)  HV(PUCSORGBOTTOM, pucsorgbottom, 4, 0)
  HV(PUCSORGFRONT, pucsorgfront, 4, 0)  HV(PUCSORGLEFT, pucsorgleft, 4, 0)
  HV(PUCSORGRIGHT, pucsorgright, 4, 0)  HV(PUCSORGTOP, pucsorgtop, 4, 0)
  HV(PUCSORTHOVIEW, pucsorthoview, 1, 0)  HV(PUCSXDIR, pucsxdir, 4, 0)
  HV(PUCSYDIR, pucsydir, 4, 0)  HV(QTEXTMODE, qtextmode, 1, 0)
  HV(REGENMODE, regenmode, 1, 0)  HV(SAVEIMAGES, proxygraphics, 0, 0)
  HV(SHADEDGE, shadedge, 1, 0)  HV(SHADEDIF, shadedif, 1, 0)
  HV(SKETCHINC, sketchinc, 2, 0)  HV(SKPOLY, skpoly, 1, 0)
  HV(SNAPANG, snapang, 2, 0)  HV(SNAPBASE, snapbase, 3, 0)
  HV(SNAPISOPAIR, snapisopair, 1, 0)  HV(SNAPMODE, snapmode, 1, 0)
  HV(SNAPSTYLE, snapstyle, 1, 0)  HV(SNAPUNIT, snapunit, 3, 0)
  HV(SPLFRAME, splframe, 1, 0)  HV(SPLINESEGS, splinesegs, 1, 0)
  HV(SPLINETYPE, splinetype, 1, 0)  HV(STYLESHEET, stylesheet, 5, 127)
  HV(SURFTAB1, surftab1, 1, 0)  HV(SURFTAB2, surftab2, 1, 0)
  HV(SURFTYPE, surftype, 1, 0)  HV(SURFU, surfu, 1, 0)
  HV(SURFV, surfv, 1, 0)  HV(TDCREATE, tdcreate, 6, 0)
  HV(TDINDWG, tdindwg, 6, 0)  HV(TDUCREATE, tducreate, 6, 0)
  HV(TDUPDATE, tdupdate, 6, 0)  HV(TDUSRTIMER, tdusrtimer, 6, 0)
  HV(TDUUPDATE, tduupdate, 6, 0)  HV(TEXTSIZE, textsize, 2, 0)
  HV(THICKNESS, thickness, 2, 0)  HV(TILEMODE, tilemode, 1, 0)
  HV(TRACEWID, tracewid, 2, 0)  HV(TREEDEPTH, treedepth, 1, 0)
  HV(UCSORG, ucsorg, 4, 0)  HV(UCSORGBACK, ucsorgback, 4, 0)
  HV(UCSORGBOTTOM, ucsorgbottom, 4, 0)  HV(UCSORGFRONT, ucsorgfront, 4, 0)
  HV(UCSORGLEFT, ucsorgleft, 4, 0)  HV(UCSORGRIGHT, ucsorgright, 4, 0)
  HV(UCSORGTOP, ucsorgtop, 4, 0)  HV(UCSORTHOVIEW, ucsorthoview, 1, 0)
  HV(UCSXDIR, ucsxdir, 4, 0)  HV(UCSYDIR, ucsydir, 4, 0)
  HV(UNITMODE, unitmode, 1, 0)  HV(USERI1, useri, 7, 0)
  HV(USERI2, useri, 7, 1)  HV(USERI3, useri, 7, 2)
  HV(USERI4, useri, 7, 3)  HV(USERI5, useri, 7, 4)
  HV(USERR1, userr, 8, 0)  HV(USERR2, userr, 8, 1)
  HV(USERR3, userr, 8, 2)  HV(USERR4, userr, 8, 3)
  HV(USERR5, userr, 8, 4)  HV(USRTIMER, usrtimer, 1, 0)
  HV(VERSIONGUID, versionguid, 5, 39)  HV(VIEWCTR, viewctr, 4, 0)
  HV(VIEWDIR, viewdir, 4, 0)  HV(VIEWSIZE, viewsize, 2, 0)
  HV(VIEWTWIST, viewtwist, 2, 0)  HV(VISRETAIN, visretain, 1, 0)
  HV(WORLDVIEW, worldview, 1, 0)  HV(XEDIT, xedit, 0, 0)
};
#undef HV

constexpr size_t kNumVars = sizeof kVars / sizeof kVars[0];

constexpr int cstrcmp(const char* a, const char* b) {
  while (*a && *a == *b) ++a, ++b;
  return static_cast<unsigned char>(*a) - static_cast<unsigned char>(*b);
}

constexpr bool wellformed() {
  constexpr size_t sizes[] = {1, 2, 8, 16, 24, 0, 8, 10, 40, 8, 2};
  for (size_t i = 0; i < kNumVars; ++i) {
    const HeaderVar& v = kVars[i];
    if (i > 0 && cstrcmp(kVars[i - 1].name, v.name) >= 0) return false;
    if (v.kind == 5 ? v.size < static_cast<size_t>(v.arg) : v.size != sizes[v.kind]) return false;
  }
  return true;
}
static_assert(kNumVars == 214, "one entry per header variable");
static_assert(wellformed(), "sorted by name, each field as wide as its kind");

/* The variables whose values name table records, sorted, with their name
 * buffers. */
struct NameVar {
  const char* name;
  int buffer;
};
constexpr NameVar kNames[] = {
    {"CELTYPE", AD_NM_CELTYPE},   {"CLAYER", AD_NM_CLAYER},       {"CMLSTYLE", AD_NM_CMLSTYLE},
    {"DIMSTYLE", AD_NM_DIMSTYLE}, {"DIMTXSTY", AD_NM_DIMTXSTY},   {"PUCSBASE", AD_NM_PUCSBASE},
    {"PUCSNAME", AD_NM_PUCSNAME}, {"PUCSORTHOREF", AD_NM_PUCSORTHOREF},
    {"TEXTSTYLE", AD_NM_TEXTSTYLE}, {"UCSBASE", AD_NM_UCSBASE},   {"UCSNAME", AD_NM_UCSNAME},
    {"UCSORTHOREF", AD_NM_UCSORTHOREF}};

/* The tables' names are upper case, so adstricmp orders them as they are
 * sorted. */
template <class T, size_t N>
const T* lookup(const T (&table)[N], const char* name) {
  size_t lo = 0, hi = N;
  while (lo < hi) {
    size_t mid = (lo + hi) / 2;
    int c = adstricmp(name, table[mid].name);
    if (c == 0) return &table[mid];
    if (c < 0) hi = mid;
    else lo = mid + 1;
  }
  return nullptr;
}

/* A Julian date as day number and milliseconds; a value beyond the 32-bit
 * day range or not a number saturates (the cast itself would be undefined). */
void splitjulian(double v, int32_t* out) {
  if (std::isnan(v)) {
    out[0] = std::signbit(v) ? INT32_MIN : INT32_MAX;
    out[1] = 0;
    return;
  }
  if (!(v < 2147483648.0)) {
    out[0] = INT32_MAX;
    out[1] = 0;
    return;
  }
  if (!(v > -2147483649.0)) {
    out[0] = INT32_MIN;
    out[1] = 0;
    return;
  }
  double day = std::trunc(v);
  out[0] = static_cast<int32_t>(day);
  out[1] = static_cast<int32_t>((v - day) * 86400000.0);
}

/* Reads a value pair of a variable; a code 0 or 9 (the value is missing)
 * is handed back. */
int valuepair(AdDrawing* dwg) {
  if (!dxfnext(dwg)) return -1;
  if (adin->curcode == 0 || adin->curcode == 9) {
    dxfback(dwg);
    return 0;
  }
  return 1;
}

/* The next coordinate of a point when its code follows. */
int coordinate(AdDrawing* dwg, uint16_t code, double* out) {
  int r = valuepair(dwg);
  if (r <= 0) return r;
  if (adin->curcode != code) {
    dxfback(dwg);
    return 0;
  }
  *out = dxfreal();
  return 1;
}

bool toonew(const AdHeader* h) {
  return std::strcmp(h->acadver, "AC1018") == 0 || std::strcmp(h->acadver, "AC1021") == 0;
}

/* Stores one variable; -1 end of file, -2 too new, else 1. */
int storevar(AdDrawing* dwg, const HeaderVar& v) {
  unsigned char* f = reinterpret_cast<unsigned char*>(dwg->header) + v.off;
  int r = valuepair(dwg);
  if (r <= 0) return r < 0 ? -1 : 1;
  switch (v.kind) {
    case 0: *f = static_cast<unsigned char>(dxfint() & 0xFF); break;
    case 1: {
      int16_t x = static_cast<int16_t>(dxfint());
      std::memcpy(f, &x, 2);
      break;
    }
    case 2: {
      double x = dxfreal();
      std::memcpy(f, &x, 8);
      break;
    }
    case 3: case 4: {
      double p[3];
      std::memcpy(p, f, v.kind == 3 ? 16 : 24);
      p[0] = dxfreal();
      int c = coordinate(dwg, 20, &p[1]);
      if (c > 0 && v.kind == 4) c = coordinate(dwg, 30, &p[2]);
      if (c < 0) return -1;
      std::memcpy(f, p, v.kind == 3 ? 16 : 24);
      break;
    }
    case 5:
      dxfcopy(reinterpret_cast<char*>(f), adin->curstr, static_cast<size_t>(v.arg));
      if (toonew(dwg->header)) return -2;
      break;
    case 6: {
      int32_t d[2];
      splitjulian(dxfreal(), d);
      std::memcpy(f, d, 8);
      break;
    }
    case 7: {
      int16_t x = static_cast<int16_t>(dxfint());
      std::memcpy(f + 2 * v.arg, &x, 2);
      break;
    }
    case 8: {
      double x = dxfreal();
      std::memcpy(f + 8 * v.arg, &x, 8);
      break;
    }
    case 9:
      if (advaluekind(adin->curcode) == AD_VK_HANDLE) std::memcpy(f, adin->curhandle, 8);
      else if (std::strlen(adin->curstr) <= 16) adAsciiObjhandleToBinary(adin->curstr, f);
      break;
    case 10: {
      int16_t cp;
      adAsciiCodePageToShort(adin->curstr, &cp);
      std::memcpy(f, &cp, 2);
      break;
    }
    default: break;
  }
  return 1;
}

const char* const kVersions[8] = {"AC1002", "AC1003", "AC1004", "AC1006",
                                  "AC1009", "AC1012", "AC1014", "AC1015"};

}  // namespace

extern "C" {

/* processheader: reads the HEADER section up to its ENDSEC. 1 success, 0
 * failure (155 at the end of the file), -2 a file too new (309). */
int dxfprocessheader(AdDrawing* dwg) {
  AdHeader* h = dwg->header;
  for (;;) {
    if (!dxfnext(dwg)) {
      if (adin->error != 298 && adin->error != 299) adseterror(155);
      return 0;
    }
    if (++dwg->scan.counter >= 100 && adin->dxfscanometer) updatescanometer(dwg);
    if (adin->curcode == 0 && std::strcmp(adin->curstr, "ENDSEC") == 0) break;
    if (adin->curcode != 9) continue;
    const char* name = adin->curstr[0] == '$' ? adin->curstr + 1 : adin->curstr;
    if (const HeaderVar* v = lookup(kVars, name)) {
      int r = storevar(dwg, *v);
      if (r == -2) {
        adseterror(309);
        return -2;
      }
      if (r < 0) {
        adseterror(155);
        return 0;
      }
    } else if (const NameVar* nv = lookup(kNames, name)) {
      int r = valuepair(dwg);
      if (r < 0) {
        adseterror(155);
        return 0;
      }
      if (r > 0) dxfcopy(adin->names[nv->buffer], adin->curstr, sizeof adin->names[0]);
    }
  }

  /* the version */
  if (std::strncmp(h->acadver, "AC2.1", 5) == 0) std::strcpy(h->acadver, "AC1002");
  if (toonew(h)) {
    adseterror(309);
    return -2;
  }
  int version = -1;
  for (int i = 0; i < 8; ++i)
    if (std::strcmp(h->acadver, kVersions[i]) == 0) version = i;
  if (std::strcmp(h->acadver, "AC1500") == 0) version = AD_ACAD2000;
  if (std::strcmp(h->acadver, "AC1013") == 0) {
    version = AD_ACAD14;
    dwg->prerelease = 1;
    if (!adin->acceptr14beta) {
      adseterror(286);
      return 0;
    }
  }
  if (version < 0) {
    version = AD_ACAD11;
    std::strcpy(h->acadver, "AC1009");
    dwg->invalidversion = 1;
  }
  dwg->version = static_cast<int16_t>(version);

  if (version == AD_ACAD13 || version == AD_ACAD14) {
    int16_t& u = h->dimlunit;
    if (u == 4 || u == 5) {
      h->dimfrac = 0;
    } else if (u == 6 || u == 7) {
      u = static_cast<int16_t>(u - 2);
      h->dimfrac = 2;
    } else if (u == 8) {
      u = 6;
      h->dimfrac = 0;
    }
  }
  if (adstricmp(adin->names[AD_NM_CELTYPE], "BYLAYER") == 0) h->celtypeindex = 32767;
  else if (adstricmp(adin->names[AD_NM_CELTYPE], "BYBLOCK") == 0) h->celtypeindex = 32766;
  h->angbase *= 3.14159265358979323846 / 180.0;
  return 1;
}

AdHeader* adHeaderPointer(AdDrawing* dwg) { return dwg ? dwg->header : nullptr; }

void adSetHeaderDefaults(AdHeader* h) {
  if (!h) return;
  std::memset(h, 0, sizeof *h);
  /* drawing units, limits, views */
  h->lunits = 2; h->luprec = 4; h->aunits = 0; h->auprec = 0;
  h->limmax[0] = 12.0; h->limmax[1] = 9.0;
  h->plimmax[0] = 12.0; h->plimmax[1] = 9.0;
  for (int i = 0; i < 3; ++i) {
    h->extmin[i] = h->pextmin[i] = 1.0e20;
    h->extmax[i] = h->pextmax[i] = -1.0e20;
  }
  h->ucsxdir[0] = h->pucsxdir[0] = 1.0;
  h->ucsydir[1] = h->pucsydir[1] = 1.0;
  h->viewdir[2] = 1.0;
  h->viewsize = 9.0;
  h->viewctr[0] = 6.0; h->viewctr[1] = 4.5;
  h->gridunit[0] = h->gridunit[1] = 0.5;
  h->snapunit[0] = h->snapunit[1] = 0.5;
  /* modes */
  h->attmode = 1; h->attreq = 1; h->coords = 1; h->dragmode = 2; h->fastzoom = 1;
  h->fillmode = 1; h->handling = 1; h->mirrtext = 1; h->psltscale = 1; h->regenmode = 1;
  h->splframe = 0; h->splinesegs = 8; h->splinetype = 6; h->surftab1 = 6; h->surftab2 = 6;
  h->surftype = 6; h->surfu = 6; h->surfv = 6; h->tilemode = 1; h->usrtimer = 1;
  h->visretain = 1; h->worldview = 1; h->maxactvp = 64; h->treedepth = 3020;
  h->shadedge = 3; h->shadedif = 70; h->unitmode = 0; h->pickstyle = 1; h->delobj = 1;
  h->xedit = 1; h->extnames = 1; h->proxygraphics = 1; h->pstylemode = 1;
  h->cecolor = 256; h->celweight = -1; h->cepsntype = 0; h->cmljust = 0;
  h->celtypeindex = 32767;
  h->dwgcodepage = 30;
  /* scales and sizes */
  h->ltscale = 1.0; h->celtscale = 1.0; h->cmlscale = 1.0; h->psvpscale = 0.0;
  h->textsize = 0.2; h->tracewid = 0.05; h->sketchinc = 0.1; h->filletrad = 0.0;
  h->chamfera = h->chamferb = h->chamferc = 0.0; h->chamferd = 0.0;
  h->pdmode = 0; h->pdsize = 0.0; h->plinewid = 0.0;
  h->angbase = 0.0; h->snapang = 0.0;
  /* dimensions */
  h->dimscale = 1.0; h->dimasz = 0.18; h->dimexo = 0.0625; h->dimdli = 0.38; h->dimexe = 0.18;
  h->dimtp = 0.0; h->dimtm = 0.0; h->dimtxt = 0.18; h->dimcen = 0.09; h->dimtsz = 0.0;
  h->dimaltf = 25.4; h->dimlfac = 1.0; h->dimtvp = 0.0; h->dimtfac = 1.0; h->dimgap = 0.09;
  h->dimaltrnd = 0.0; h->dimrnd = 0.0; h->dimdle = 0.0;
  h->dimtih = 1; h->dimtoh = 1; h->dimaso = 1; h->dimsho = 1; h->dimaltd = 2; h->dimtolj = 1;
  h->dimatfit = 3; h->dimdec = 4; h->dimtdec = 4; h->dimalttd = 2; h->dimaltu = 2;
  h->dimlunit = 2; h->dimdsep = '.'; h->dimlwd = -2; h->dimlwe = -2; h->dimadec = 0;
  std::strcpy(h->acadver, "");
  std::strcpy(h->menu, "acad");
}

void adSetDefaultDimstyleFromHeader(AdDrawing* dwg, AdDimstyle* d) {
  if (!d) return;
  std::memset(d, 0, sizeof *d);
  AdHeader hdefault;
  const AdHeader* h = dwg && dwg->header ? dwg->header : (adSetHeaderDefaults(&hdefault), &hdefault);
  d->dimadec = h->dimadec; d->dimalt = h->dimalt; d->dimaltd = h->dimaltd; d->dimaltf = h->dimaltf;
  d->dimaltrnd = h->dimaltrnd; dxfcopy(d->dimapost, h->dimapost, sizeof d->dimapost);
  d->dimasz = h->dimasz; d->dimazin = h->dimazin;
  std::memcpy(d->dimblk, h->dimblkhandle, 8);
  std::memcpy(d->dimblk1, h->dimblk1handle, 8);
  std::memcpy(d->dimblk2, h->dimblk2handle, 8);
  d->dimcen = h->dimcen; d->dimclrd = h->dimclrd; d->dimclre = h->dimclre; d->dimclrt = h->dimclrt;
  d->dimdle = h->dimdle; d->dimdli = h->dimdli; d->dimexe = h->dimexe; d->dimexo = h->dimexo;
  d->dimgap = h->dimgap; d->dimlfac = h->dimlfac; d->dimlim = h->dimlim;
  dxfcopy(d->dimpost, h->dimpost, sizeof d->dimpost);
  d->dimrnd = h->dimrnd; d->dimsah = h->dimsah; d->dimscale = h->dimscale; d->dimse1 = h->dimse1;
  d->dimse2 = h->dimse2; d->dimtfac = h->dimtfac; d->dimtad = h->dimtad; d->dimtm = h->dimtm;
  d->dimtix = h->dimtix; d->dimtih = h->dimtih; d->dimtol = h->dimtol; d->dimtp = h->dimtp;
  d->dimtsz = h->dimtsz; d->dimtvp = h->dimtvp; d->dimtxt = h->dimtxt; d->dimsd1 = h->dimsd1;
  d->dimsd2 = h->dimsd2; d->dimtofl = h->dimtofl; d->dimtoh = h->dimtoh; d->dimalttd = h->dimalttd;
  d->dimaltz = h->dimaltz; d->dimaunit = h->dimaunit; d->dimfrac = static_cast<unsigned char>(h->dimfrac);
  d->dimlunit = h->dimlunit; d->dimdsep = static_cast<unsigned char>(h->dimdsep);
  d->dimtmove = h->dimtmove; d->dimdec = h->dimdec; d->dimtolj = h->dimtolj; d->dimtzin = h->dimtzin;
  d->dimaltzin = h->dimalttz; d->dimupt = h->dimupt; d->dimtdec = h->dimtdec; d->dimsoxd = h->dimsoxd;
  d->dimzin = h->dimzin; d->dimatfit = h->dimatfit; d->dimsho = h->dimsho; d->dimaltu = h->dimaltu;
  d->dimjust = h->dimjust; d->dimlwd = h->dimlwd; d->dimlwe = h->dimlwe;
  std::memcpy(d->dimldrblk, h->dimldrblkhandle, 8);
  std::memcpy(d->dimtxsty, h->dimtxsty, 8);
  /* while loading, the text style is still only a name */
  if (dwg && adObjhandleIsNull(d->dimtxsty) && adin && adin->names[AD_NM_DIMTXSTY][0])
    adFindShapefileByName(dwg, adin->names[AD_NM_DIMTXSTY], d->dimtxsty);
}

}  // extern "C"
