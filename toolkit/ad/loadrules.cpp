/* The passes that follow the load steps: extended-data names resolved to
 * handles, old dimension-style fit settings translated, the default objects
 * that older files lack, universal times derived from local ones. */
#include "toolkit/ad/ad_int.h"

#include <cstring>
#include <ctime>

namespace {

bool nexthandle(AdDrawing* dwg, unsigned char* out) {
  std::memcpy(out, dwg->handseed, 8);
  return adIncrementObjhandle(dwg->handseed) != 0;
}

/* A dictionary object with the given entries. */
bool adddictionary(AdDrawing* dwg, const unsigned char* handle, const unsigned char* owner,
                   const char* const* names, const unsigned char (*handles)[8], int n) {
  AdObjectHeader h{};
  AdObjectRecord r{};
  h.objtype = AD_OBJ_DICTIONARY;
  std::memcpy(h.handle, handle, 8);
  std::memcpy(h.ownerhandle, owner, 8);
  r.dict.numitems = n;
  r.dict.itemblob = adCreateBlobEx(4096);
  if (!r.dict.itemblob) return false;
  AdBlobCursor* c = adStartBlobWrite(r.dict.itemblob);
  bool ok = c != nullptr;
  for (int i = 0; ok && i < n; ++i) ok = adWriteDicItem(c, names[i], handles[i]);
  ok = adEndBlobWrite(c) && ok;
  if (ok && adAddObject(dwg, &h, &r)) return true;
  adDeleteBlob(r.dict.itemblob);
  return false;
}

void splitdate(int64_t secs, int32_t* dt) {
  int64_t day = secs / 86400 + 2440588;
  int64_t rem = secs % 86400;
  if (rem < 0) {
    rem += 86400;
    --day;
  }
  dt[0] = static_cast<int32_t>(day);
  dt[1] = static_cast<int32_t>(rem * 1000);
}

void touniversal(const int32_t* local, int32_t* universal) {
  if ((local[0] == 0 && local[1] == 0) || universal[0] != 0 || universal[1] != 0) return;
  /* the local date as if it were UTC, then what that wall-clock time is here */
  int64_t asutc = (static_cast<int64_t>(local[0]) - 2440588) * 86400 + local[1] / 1000;
  time_t t = static_cast<time_t>(asutc);
  struct tm tm;
  if (!gmtime_r(&t, &tm)) return;
  tm.tm_isdst = -1;
  time_t real = mktime(&tm);
  if (real == static_cast<time_t>(-1)) return;
  splitdate(static_cast<int64_t>(real), universal);
  universal[1] += local[1] % 1000;
}

}  // namespace

extern "C" {

int adaddxdresolve(AdDrawing* dwg, int kind, AdBlob* blob, int32_t pos, const char* name) {
  if (!dwg->xdresolve && !(dwg->xdresolve = adCreateBlobEx(4096))) return 0;
  AdBlobCursor* c = adStartBlobAppend(static_cast<AdBlob*>(dwg->xdresolve));
  if (!c) return 0;
  unsigned char k = static_cast<unsigned char>(kind);
  int ok = adWriteBlobByte(c, k) && adWriteBlobBytesLong(c, &blob, sizeof blob) && adWriteBlobLong(c, pos) &&
           adWriteBlobString(c, name);
  return adEndBlobAppend(c) && ok;
}

/* Application and layer names inside extended data become handles (the null
 * handle when no such record exists). */
int finalxdresolve(AdDrawing* dwg) {
  AdBlob* r = static_cast<AdBlob*>(dwg->xdresolve);
  AdBlobCursor* c = adStartBlobRead(r);
  if (!c) return 0;
  unsigned char kind;
  AdBlob* target;
  int32_t pos;
  char name[46];
  while (adReadBlobByte(c, &kind) && adReadBlobBytesLong(c, &target, sizeof target) && adReadBlobLong(c, &pos)) {
    adReadBlobString(c, name, sizeof name);
    AdObjhandle h;
    if (kind == AD_XDR_APP) adFindRegappByName(dwg, name, h);
    else adFindLayerByName(dwg, name, h);
    adBlobPatch(target, pos, h, 8);
  }
  adEndBlobRead(c);
  adDeleteBlob(r);
  dwg->xdresolve = nullptr;
  return 1;
}

/* Viewport entities of DXF files need no repair; DWG files have no readers. */
int fixViewportEnts(AdDrawing* dwg) {
  (void)dwg;
  return 1;
}

/* Files before AC1015 keep the text fit in DIMFIT (0-5); later ones split it
 * into DIMATFIT (0-3) and DIMTMOVE. */
int resolveDimstyles(AdDrawing* dwg) {
  if (dwg->version >= AD_ACAD2000) return 1;
  for (LLNode* n = dwg->dimstyles->head; n; n = n->next) {
    AdDimstyle* d = static_cast<AdDimstyle*>(LL_RECORD(n));
    if (d->dimatfit == 4) {
      d->dimatfit = 3;
      d->dimtmove = 1;
    } else if (d->dimatfit == 5) {
      d->dimatfit = 3;
      d->dimtmove = 2;
    }
  }
  return 1;
}

/* The root dictionary with the group and multiline-style dictionaries and
 * the STANDARD multiline style, which files before AC1012 do not carry. */
int adddefaultobjects(AdDrawing* dwg) {
  AdObjhandle root, groups, mlstyles, standard;
  if (!nexthandle(dwg, root) || !nexthandle(dwg, groups) || !nexthandle(dwg, mlstyles) ||
      !nexthandle(dwg, standard))
    return 0;
  static const AdObjhandle null{};
  const char* rootnames[] = {"ACAD_GROUP", "ACAD_MLINESTYLE"};
  unsigned char rooth[2][8];
  std::memcpy(rooth[0], groups, 8);
  std::memcpy(rooth[1], mlstyles, 8);
  const char* mlnames[] = {"STANDARD"};
  unsigned char mlh[1][8];
  std::memcpy(mlh[0], standard, 8);
  if (!adddictionary(dwg, root, null, rootnames, rooth, 2) ||
      !adddictionary(dwg, groups, root, nullptr, nullptr, 0) ||
      !adddictionary(dwg, mlstyles, root, mlnames, mlh, 1))
    return 0;
  AdObjectHeader h{};
  AdObjectRecord r{};
  h.objtype = AD_OBJ_MLINESTYLE;
  std::memcpy(h.handle, standard, 8);
  std::memcpy(h.ownerhandle, mlstyles, 8);
  std::strcpy(r.mlstyle.name, "STANDARD");
  r.mlstyle.fillcolor = 256;
  r.mlstyle.startang = r.mlstyle.endang = 3.14159265358979323846 / 2;
  return adAddObject(dwg, &h, &r);
}

/* Layout objects of AC1015 files are not created for older files: nothing in
 * this library reads them. */
int addA2kDefaultObjects(AdDrawing* dwg) {
  (void)dwg;
  return 1;
}

/* The plot-style dictionary is only needed when writing files. */
void setPlotstyleDicShadow(AdDrawing* dwg) { (void)dwg; }

void localToUniversal(AdDrawing* dwg) {
  AdHeader* h = dwg->header;
  touniversal(h->tdcreate, h->tducreate);
  touniversal(h->tdupdate, h->tduupdate);
}

}  // extern "C"
