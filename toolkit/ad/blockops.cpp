/* Operations on a loaded drawing beyond the table families: making another
 * paper-space block the active one, adding an external-reference block,
 * proxy explosion (which this toolkit does not do), and the audit of the
 * references a loaded drawing makes.
 *
 * The model-space and paper-space block headers stay the last two headers
 * of the list, and the paper-space header's entity list is the drawing's
 * pspace list: making a block the active paper space exchanges the
 * contents of the two entity lists (and the two names), not the lists
 * themselves. */
#include "toolkit/ad/ad_int.h"

#include <cstdio>
#include <cstring>

namespace {

LLNode *findheader(AdDrawing *dwg, const unsigned char *handle)
{
    LLNode *n = static_cast<LLNode *>(bt_search(dwg, handle, dwg->btroot));
    return n && n->list == dwg->blkhs ? n : nullptr;
}

void swaplists(LLList *a, LLList *b)
{
    LLList t = *a;
    *a = *b;
    *b = t;
    for (LLNode *n = a->head; n; n = n->next) n->list = a;
    for (LLNode *n = b->head; n; n = n->next) n->list = b;
}

bool exists(AdDrawing *dwg, const unsigned char *h, LLList *list)
{
    if (adObjhandleIsNull(h)) return true;
    LLNode *n = static_cast<LLNode *>(bt_search(dwg, h, dwg->btroot));
    return n && n->list == list;
}

} // namespace

extern "C" {

int adSetActivePaperSpaceBlock(AdDrawing *dwg, const unsigned char *handle)
{
    if (!dwg || !handle) return 0;
    LLNode *bn = findheader(dwg, handle);
    if (!bn) {
        adseterror(93);
        return 0;
    }
    LLList *list = AD_BLKH(bn)->entitylist;
    if (list == dwg->pspace) return 1;
    if (list == dwg->mspace || !list) {
        adseterror(75);
        return 0;
    }
    LLNode *psn = nullptr;
    for (LLNode *n = dwg->blkhs->head; n && !psn; n = n->next)
        if (AD_BLKH(n)->entitylist == dwg->pspace) psn = n;
    if (!psn) {
        adseterror(75);
        return 0;
    }
    /* the headers keep their handles; their lists' contents, names and
       BLOCK entities change places (a name may need a larger node) */
    auto *b = static_cast<AdBlockheader *>(ztmem_malloc(2 * sizeof(AdBlockheader)));
    if (!b) {
        adseterror(223);
        return 0;
    }
    AdBlockheader *ps = b + 1;
    adblkhexpand(AD_BLKH(bn), b);
    adblkhexpand(AD_BLKH(psn), ps);
    char name[AD_NAME_LEN];
    std::memcpy(name, b->name, sizeof name);
    std::memcpy(b->name, ps->name, sizeof name);
    std::memcpy(ps->name, name, sizeof name);
    AdObjhandle t;
    std::memcpy(t, b->blockentityhandle, 8);
    std::memcpy(b->blockentityhandle, ps->blockentityhandle, 8);
    std::memcpy(ps->blockentityhandle, t, 8);
    /* the header taking the longer name first: only it may need a new node
       (and fail), the other then fits in place */
    bool ok = std::strlen(b->name) > std::strlen(ps->name)
                  ? adrestoreblockheader(dwg, bn, b) && adrestoreblockheader(dwg, psn, ps)
                  : adrestoreblockheader(dwg, psn, ps) && adrestoreblockheader(dwg, bn, b);
    ztmem_free(b);
    adtablenameschanged(dwg, AD_LIST_BLKH);
    if (!ok) return 0;
    swaplists(list, dwg->pspace);
    return 1;
}

int adCreateXrefBlock(AdDrawing *dwg, const char *name, const char *path, unsigned char *handle)
{
    if (!dwg || !name || !*name || !path) return 0;
    if (std::strlen(name) >= AD_NAME_LEN || std::strlen(path) >= AD_NAME_LEN) {
        adseterror(188);
        return 0;
    }
    if (adFindBlockheaderByName(dwg, name, nullptr)) {
        adseterror(308);
        return 0;
    }
    AdBlockheader b{};
    std::strcpy(b.name, name);
    std::strcpy(b.xrefpath, path);
    b.flag = 4;
    b.explodable = 1;
    if (!adGenerateObjhandle(dwg, b.handle) || !(b.entitylist = LLCreate())) return 0;
    /* before model space and paper space, which stay last */
    LLNode *before = nullptr;
    for (LLNode *n = dwg->blkhs->head; n && !before; n = n->next) {
        const AdBlkh *x = AD_BLKH(n);
        if (x->entitylist == dwg->mspace || x->entitylist == dwg->pspace) before = n;
    }
    if (!adstoreblockheader(dwg, &b, before ? AD_PUT_BEFORE : AD_PUT_TAIL, before)) {
        LLDeleteList(b.entitylist);
        return 0;
    }
    if (handle) std::memcpy(handle, b.handle, 8);
    return 1;
}

int adExplodeProxyToList(AdDrawing *dwg, const AdEntityHeader *hdr, const AdEntityRecord *rec,
                         AdEntityList list, int flags, const unsigned char *handle)
{
    (void)dwg;
    (void)hdr;
    (void)rec;
    (void)list;
    (void)flags;
    (void)handle;
    return 0;
}

long adAudit(AdDrawing *dwg, int fix, int level, AdAuditFn report)
{
    (void)fix;
    (void)level;
    if (!dwg) return 0;
    long problems = 0;
    char text[160], h[20];
    auto say = [&](const char *what, const unsigned char *handle) {
        ++problems;
        adBinaryObjhandleToAscii(handle, h);
        std::snprintf(text, sizeof text, "%s (handle %s)", what, h);
        if (report) report(text);
    };
    for (LLNode *n = dwg->layers->head; n; n = n->next) {
        const AdLayer *l = static_cast<const AdLayer *>(LL_RECORD(n));
        if (!exists(dwg, l->linetypehandle, dwg->ltypes)) say("Layer with an unknown linetype", l->handle);
    }
    AdEntityHeader eh;
    AdEntityRecord *rec = static_cast<AdEntityRecord *>(ztmem_malloc(sizeof(AdEntityRecord)));
    if (!rec) return problems;
    for (LLNode *b = dwg->blkhs->head; b; b = b->next) {
        LLList *list = AD_BLKH(b)->entitylist;
        for (LLNode *e = list ? list->head : nullptr; e; e = e->next) {
            adUnpackEntity(e, &eh, rec);
            if (!exists(dwg, eh.layerhandle, dwg->layers) || adObjhandleIsNull(eh.layerhandle))
                say("Entity on an unknown layer", eh.handle);
            if (!exists(dwg, eh.ltypehandle, dwg->ltypes)) say("Entity with an unknown linetype", eh.handle);
            if (eh.enttype == AD_ENT_INSERT && (adObjhandleIsNull(rec->insert.blockheaderhandle) ||
                                                !exists(dwg, rec->insert.blockheaderhandle, dwg->blkhs)))
                say("Insert of an unknown block", eh.handle);
        }
    }
    ztmem_free(rec);
    return problems;
}

} // extern "C"
