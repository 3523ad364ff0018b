/* Storing records in the database: a record is copied into a new list node,
 * its handle indexed in the drawing's handle tree, and the node linked into
 * its list. A record is stored either completely (node, index entry, link)
 * or not at all. The nodes of a drawing's records come from its arena, as
 * its entities' do: they live as long as the drawing, and a drawing may hold
 * a great many (100,000 block headers and more), which as separate
 * heap blocks cost the allocator a search of its free lists each. */
#include "toolkit/ad/ad_int.h"

#include <cstring>

namespace {

void link(LLList *list, LLNode *n, int mode, LLNode *before)
{
    if (mode == AD_PUT_HEAD)
        LLPutHead(list, n);
    else if (mode == AD_PUT_BEFORE && before)
        LLPutBeforeSpec(list, before, n);
    else
        LLPutTail(list, n);
}

LLNode *allocnode(AdDrawing *dwg, size_t size)
{
    if (!dwg) return LLAlloc(size);
    if (!dwg->entityarena) dwg->entityarena = ztvm_arenacreate();
    return static_cast<LLNode *>(ztvm_arenaalloc(dwg->entityarena, sizeof(LLNode) + size));
}

} // namespace

extern "C" {

void *addobjecttolistandindex(AdDrawing *dwg, LLList *list, const void *rec, size_t size,
                              const unsigned char *handle, int mode, LLNode *before)
{
    if (!handle || adObjhandleIsNull(handle)) {
        adseterror(231);
        return nullptr;
    }
    LLNode *n = allocnode(dwg, size);
    if (!n) {
        adseterror(223);
        adcriticalerror(2);
        return nullptr;
    }
    std::memcpy(LL_RECORD(n), rec, size);
    int r = bt_insert(dwg, handle, n);
    if (r != 1) {
        if (r == 2) {
            adseterror(172);
            std::memcpy(adin->errorhandle, handle, 8);
        } else {
            adseterror(173);
        }
        ztvm_free(n);
        return nullptr;
    }
    link(list, n, mode, before);
    adtablenodeadded(dwg, list, n);
    return LL_RECORD(n);
}

void *adreplacenode(AdDrawing *dwg, LLNode *old, const void *rec, size_t size, const unsigned char *handle)
{
    LLList *list = old->list;
    LLNode *n = allocnode(dwg, size);
    if (!n) {
        adseterror(223);
        return nullptr;
    }
    std::memcpy(LL_RECORD(n), rec, size);
    bool current = list->current == old;
    LLPutBeforeSpec(list, old, n);
    LLDelSpec(list, old);
    if (current) list->current = n;
    bt_repoint(dwg, handle, n);
    ztvm_free(old);
    return LL_RECORD(n);
}

void *addobjecttolist(LLList *list, const void *rec, size_t size, int mode, LLNode *before)
{
    LLNode *n = LLAlloc(size);
    if (!n) {
        adseterror(223);
        adcriticalerror(2);
        return nullptr;
    }
    std::memcpy(LL_RECORD(n), rec, size);
    link(list, n, mode, before);
    return LL_RECORD(n);
}

} // extern "C"
