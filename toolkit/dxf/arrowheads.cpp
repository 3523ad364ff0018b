/* The standard arrowhead blocks a dimension style or the header may name
 * ("_ARCHTICK", "_OPEN", "_DOT" ...) without the file defining them; with
 * adCreateMissingDimblks on they are created when the drawing is loaded.
 * Each block is drawn for an arrow size of 1 with its tip at the origin and
 * its body along -x, on layer "0" in colour and linetype BYBLOCK, between a
 * BLOCK and an ENDBLK, and its header goes before the model-space and
 * paper-space headers, which stay last. The shapes are ours, plain
 * renderings of what the names describe. */
#include "toolkit/dxf/dxf_int.h"

#include <cmath>
#include <cstring>

namespace {

/* One primitive: L line x1 y1 x2 y2; S solid of three or four points; C
 * circle cx cy r; A arc cx cy r start end (degrees); D filled disc cx cy r. */
struct Prim {
    char kind;
    double v[8];
};

struct Arrow {
    const char *name;
    Prim prims[5];
};

const double t15 = 0.26794919243112270; /* tan 15 degrees */

const Arrow kArrows[] = {
    {"_CLOSEDFILLED", {{'S', {0, 0, -1, 1.0 / 6, -1, -1.0 / 6, -1, -1.0 / 6}}}},
    {"_CLOSEDBLANK",
     {{'L', {0, 0, -1, 1.0 / 6}}, {'L', {-1, 1.0 / 6, -1, -1.0 / 6}}, {'L', {-1, -1.0 / 6, 0, 0}}}},
    {"_CLOSED",
     {{'L', {0, 0, -1, 1.0 / 6}},
      {'L', {-1, 1.0 / 6, -1, -1.0 / 6}},
      {'L', {-1, -1.0 / 6, 0, 0}},
      {'L', {0, 0, -1, 0}}}},
    {"_DOT", {{'D', {0, 0, 0.25}}}},
    {"_ARCHTICK", {{'S', {-0.55, -0.45, -0.45, -0.55, 0.45, 0.55, 0.55, 0.45}}}},
    {"_OBLIQUE", {{'L', {-0.5, -0.5, 0.5, 0.5}}}},
    {"_OPEN", {{'L', {0, 0, -1, 1.0 / 6}}, {'L', {0, 0, -1, -1.0 / 6}}, {'L', {0, 0, -1, 0}}}},
    {"_ORIGIN", {{'C', {0, 0, 0.5}}, {'L', {-0.5, 0, -1, 0}}}},
    {"_ORIGIN2", {{'C', {0, 0, 0.5}}, {'C', {0, 0, 0.25}}, {'L', {-0.5, 0, -1, 0}}}},
    {"_OPEN90", {{'L', {0, 0, -0.5, 0.5}}, {'L', {0, 0, -0.5, -0.5}}, {'L', {0, 0, -1, 0}}}},
    {"_OPEN30", {{'L', {0, 0, -1, t15}}, {'L', {0, 0, -1, -t15}}, {'L', {0, 0, -1, 0}}}},
    {"_DOTSMALL", {{'D', {0, 0, 0.0625}}}},
    {"_DOTBLANK", {{'C', {0, 0, 0.25}}, {'L', {-0.25, 0, -1, 0}}}},
    {"_SMALL", {{'C', {0, 0, 0.25}}}},
    {"_BOXBLANK",
     {{'L', {-0.5, -0.5, 0.5, -0.5}},
      {'L', {0.5, -0.5, 0.5, 0.5}},
      {'L', {0.5, 0.5, -0.5, 0.5}},
      {'L', {-0.5, 0.5, -0.5, -0.5}},
      {'L', {-0.5, 0, -1, 0}}}},
    {"_BOXFILLED", {{'S', {-0.5, -0.5, 0.5, -0.5, -0.5, 0.5, 0.5, 0.5}}, {'L', {-0.5, 0, -1, 0}}}},
    {"_DATUMBLANK", {{'L', {0, 0.5, -1, 0}}, {'L', {-1, 0, 0, -0.5}}, {'L', {0, -0.5, 0, 0.5}}}},
    {"_DATUMFILLED", {{'S', {0, 0.5, -1, 0, 0, -0.5, 0, -0.5}}}},
    {"_INTEGRAL", {{'A', {0.44488, -0.09737, 0.45, 101.2, 180}}, {'A', {-0.44488, 0.09737, 0.45, -78.8, 0}}}},
    {"_NONE", {}},
};

const Arrow *findarrow(const char *name)
{
    for (const Arrow &a : kArrows)
        if (!adstricmp(a.name, name)) return &a;
    return nullptr;
}

bool store(AdDrawing *dwg, LLList *list, int16_t type, const AdEntityRecord &r, const unsigned char *layer)
{
    AdEntityHeader h{};
    h.enttype = type;
    h.color = 0;
    h.extrusion[2] = 1.0;
    h.ltscale = 1.0;
    h.lineweight = -2;
    std::memcpy(h.layerhandle, layer, 8);
    std::memcpy(h.ltypehandle, dwg->byblockltype, 8);
    AdEntityRecord copy = r;
    return adGenerateObjhandle(dwg, h.handle) && adStoreEntity(dwg, list, &h, &copy);
}

bool drawprim(AdDrawing *dwg, LLList *list, const Prim &p, const unsigned char *layer)
{
    AdEntityRecord r;
    std::memset(&r, 0, sizeof r);
    const double *v = p.v;
    switch (p.kind) {
    case 'L':
        r.line.pt0[0] = v[0], r.line.pt0[1] = v[1], r.line.pt1[0] = v[2], r.line.pt1[1] = v[3];
        return store(dwg, list, AD_ENT_LINE, r, layer);
    case 'S':
        r.solid.pt0[0] = v[0], r.solid.pt0[1] = v[1], r.solid.pt1[0] = v[2], r.solid.pt1[1] = v[3];
        r.solid.pt2[0] = v[4], r.solid.pt2[1] = v[5], r.solid.pt3[0] = v[6], r.solid.pt3[1] = v[7];
        return store(dwg, list, AD_ENT_SOLID, r, layer);
    case 'C':
        r.circle.pt0[0] = v[0], r.circle.pt0[1] = v[1], r.circle.radius = v[2];
        return store(dwg, list, AD_ENT_CIRCLE, r, layer);
    case 'A':
        r.arc.pt0[0] = v[0], r.arc.pt0[1] = v[1], r.arc.radius = v[2];
        r.arc.stang = v[3] * M_PI / 180.0;
        r.arc.endang = v[4] * M_PI / 180.0;
        return store(dwg, list, AD_ENT_ARC, r, layer);
    case 'D': {
        /* a disc: a closed wide polyline of two half circles */
        int16_t type = adclasstype(dwg, "LWPOLYLINE", 1);
        if (!type) return false;
        double radius = v[2] / 2;
        double pts[6] = {v[0] - radius, v[1], 1.0, v[0] + radius, v[1], 1.0};
        AdBytes b{};
        adbytesput(&b, pts, sizeof pts);
        r.lwpline.numverts = 2;
        r.lwpline.flag = AD_LWPLINE_CLOSED | AD_LWPLINE_HAS_BULGES | AD_LWPLINE_CONSTWIDTH;
        r.lwpline.constwidth = v[2];
        r.lwpline.vertblob = adbytesblob(&b);
        if (!r.lwpline.vertblob) return false;
        if (store(dwg, list, type, r, layer)) return true;
        adDeleteBlob(r.lwpline.vertblob);
        return false;
    }
    default: return true;
    }
}

} // namespace

extern "C" {

/* Creates the standard arrowhead block of that name; 1 with its handle in
 * handle, 0 when the name is no standard arrowhead or on failure. */
int adcreatearrowblock(AdDrawing *dwg, const char *name, unsigned char *handle)
{
    const Arrow *a = name ? findarrow(name) : nullptr;
    if (!a) return 0;
    if (adFindBlockheaderByName(dwg, name, handle)) return 1;
    AdObjhandle layer;
    if (!adFindLayerByName(dwg, "0", layer)) return 0;
    AdBlockheader b{};
    std::strcpy(b.name, a->name);
    b.explodable = 1;
    if (!adGenerateObjhandle(dwg, b.handle) || !(b.entitylist = LLCreate())) return 0;
    AdEntityRecord r;
    std::memset(&r, 0, sizeof r);
    std::strcpy(r.block.name2, a->name);
    bool ok = store(dwg, b.entitylist, AD_ENT_BLOCK, r, layer);
    for (const Prim &p : a->prims)
        if (ok && p.kind) ok = drawprim(dwg, b.entitylist, p, layer);
    std::memset(&r, 0, sizeof r);
    ok = ok && store(dwg, b.entitylist, AD_ENT_ENDBLK, r, layer);
    LLNode *before = nullptr;
    for (LLNode *n = dwg->blkhs->head; n && !before; n = n->next) {
        const AdBlkh *x = AD_BLKH(n);
        if (x->entitylist == dwg->mspace || x->entitylist == dwg->pspace) before = n;
    }
    if (ok) {
        AdEntityHeader eh;
        adUnpackEntity(b.entitylist->head, &eh, nullptr);
        std::memcpy(b.blockentityhandle, eh.handle, 8);
        adUnpackEntity(b.entitylist->tail, &eh, nullptr);
        std::memcpy(b.endblkentityhandle, eh.handle, 8);
        ok = adstoreblockheader(dwg, &b, before ? AD_PUT_BEFORE : AD_PUT_TAIL, before) != nullptr;
    }
    if (!ok) {
        for (LLNode *n = b.entitylist->head; n; n = n->next) {
            AdEntityHeader eh;
            adUnpackEntity(n, &eh, nullptr);
            bt_del(dwg, eh.handle);
        }
        adfreeentitylist(dwg, b.entitylist);
        return 0;
    }
    std::memcpy(handle, b.handle, 8);
    return 1;
}

} // extern "C"
