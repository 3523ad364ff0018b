/* Object list manager. Invariants: every node is on exactly one of the two
 * chains (the object chain first..last, doubly linked, or the free chain,
 * singly linked through `next`); `count` is the length of the object chain;
 * `current` and `iter` are null or nodes of the object chain. */
#include "kernel/olm/olm.h"

#include <assert.h>
#include <limits.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "kernel/mpm/mpm_int.h"
#include "kernel/pdx/pdx_int.h"
#include "kernel/ugn/ugn.h"

struct OlmNode {
    OlmNode *next;
    OlmNode *prev;
    /* the object follows, 8-byte aligned */
};

namespace {

struct Block {
    Block *next;
    size_t bytes; /* as granted by ugn_BigAlloc */
};

constexpr size_t kHeader = sizeof(OlmNode);

inline void *payload(OlmNode *n) { return reinterpret_cast<char *>(n) + kHeader; }

int fail(int code, int severity = MPM_ERROR) { return mpm__SetError(0, code, severity); }

/* Allocates one block and puts its nodes on the free chain. */
bool grow(OlmList *list)
{
    size_t factor = (size_t)list->block_factor;
    if (list->node_size != 0 && factor > (SIZE_MAX - sizeof(Block)) / list->node_size) {
        fail(OLM_NOMEMORY);
        return false;
    }
    size_t bytes = sizeof(Block) + factor * list->node_size;
    Block *b = static_cast<Block *>(ugn_BigAlloc(bytes, &bytes));
    if (!b) {
        fail(OLM_NOMEMORY);
        return false;
    }
    factor = (bytes - sizeof(Block)) / list->node_size; /* a bulk block's whole area */
    b->bytes = bytes;
    b->next = static_cast<Block *>(list->blocks);
    list->blocks = b;
    char *base = reinterpret_cast<char *>(b + 1);
    for (size_t i = factor; i-- > 0;) {
        OlmNode *n = reinterpret_cast<OlmNode *>(base + i * list->node_size);
        n->prev = nullptr;
        n->next = list->free_nodes;
        list->free_nodes = n;
    }
    return true;
}

OlmNode *nth(const OlmList *list, int n)
{
    if (n < 1 || n > list->count) return nullptr;
    OlmNode *p;
    if (n <= list->count / 2 + 1) {
        p = list->first;
        for (int i = 1; i < n; ++i) p = p->next;
    } else {
        p = list->last;
        for (int i = list->count; i > n; --i) p = p->prev;
    }
    return p;
}

OlmNode *at(const OlmList *list, int position)
{
    switch (position) {
    case OLM_FIRST: return list->first;
    case OLM_LAST: return list->last;
    case OLM_CURRENT: return list->current;
    default: return nth(list, position);
    }
}

/* Links `n` after `after` (null: at the front). */
void link_after(OlmList *list, OlmNode *after, OlmNode *n)
{
    n->prev = after;
    n->next = after ? after->next : list->first;
    if (n->next)
        n->next->prev = n;
    else
        list->last = n;
    if (after)
        after->next = n;
    else
        list->first = n;
    list->count++;
}

/* The next object of a cycle over the list, from its first towards its last
 * (back: from its last towards its first), or null at the end, where the
 * cycle starts over. */
void *cycle(OlmList *list, bool back)
{
    if (!list) {
        fail(OLM_NULLPOINTER);
        return nullptr;
    }
    OlmNode *n =
        list->iter ? (back ? list->iter->prev : list->iter->next) : (back ? list->last : list->first);
    if (!n || (list->iter == nullptr && list->count == 0)) {
        list->iter = nullptr;
        return nullptr;
    }
    list->iter = n;
    list->current = n;
    return payload(n);
}

} // namespace

extern "C" {

int olm_Initialize(void)
{
    pdx__RegisterModule(&olm__Module);
    return 0;
}

OlmList *olm_CreateList(int options, int object_size, int block_factor, void *user)
{
    (void)options;
    if (object_size < 1) {
        mpm__SetError(0, OLM_INVALIDSIZE, MPM_ERROR, object_size);
        return nullptr;
    }
    if (block_factor < 1) {
        mpm__SetError(0, OLM_INVALIDSIZE, MPM_ERROR, block_factor);
        return nullptr;
    }
    OlmList *list = static_cast<OlmList *>(calloc(1, sizeof(OlmList)));
    if (!list) {
        fail(OLM_NOMEMORY);
        return nullptr;
    }
    list->object_size = object_size;
    list->block_factor = block_factor;
    list->node_size = kHeader + (((size_t)object_size + 7u) & ~(size_t)7u);
    list->user = user;
    if (!grow(list)) {
        free(list);
        return nullptr;
    }
    return list;
}

int olm_SetBlockFactor(int options, OlmList *list, int block_factor)
{
    (void)options;
    if (!list) return fail(OLM_NULLPOINTER);
    if (block_factor < 1) return mpm__SetError(0, OLM_INVALIDSIZE, MPM_ERROR, block_factor);
    list->block_factor = block_factor;
    return 0;
}

void olm_GrowBlockFactor(OlmList *list)
{
    if (!list || list->free_nodes || list->node_size == 0) return;
    const size_t fit = (UGN_BULK_UNIT - sizeof(Block)) / list->node_size;
    const int most = fit < size_t(INT_MAX) ? int(fit) : INT_MAX;
    if (list->count > list->block_factor && list->block_factor < most)
        list->block_factor = list->count < most ? list->count : most;
}

void *olm_AddObject(int options, OlmList *list, int position, const void *object)
{
    (void)options;
    if (!list) {
        fail(OLM_NULLPOINTER);
        return nullptr;
    }
    OlmNode *after;
    switch (position) {
    case OLM_FIRST: after = nullptr; break;
    case OLM_LAST: after = list->last; break;
    case OLM_CURRENT: after = list->current ? list->current->prev : list->last; break;
    default:
        if (position == 1) {
            after = nullptr;
        } else if (position >= 2 && position - 1 <= list->count) {
            after = nth(list, position - 1);
        } else {
            mpm__SetError(0, OLM_INVALIDPOSITION, MPM_ERROR, position);
            return nullptr;
        }
    }
    if (!list->free_nodes && !grow(list)) return nullptr;
    OlmNode *n = list->free_nodes;
    list->free_nodes = n->next;
    link_after(list, after, n);
    if (object) memcpy(payload(n), object, (size_t)list->object_size);
    list->current = n;
    return payload(n);
}

void *olm_GetObject(int options, OlmList *list, int position)
{
    (void)options;
    if (!list) {
        fail(OLM_NULLPOINTER);
        return nullptr;
    }
    if (position < OLM_LAST) {
        mpm__SetError(0, OLM_INVALIDPOSITION, MPM_ERROR, position);
        return nullptr;
    }
    OlmNode *n = at(list, position);
    if (!n) return nullptr;
    list->current = n;
    return payload(n);
}

int olm_RemoveObject(int options, OlmList *list, int position)
{
    (void)options;
    if (!list) return fail(OLM_NULLPOINTER);
    OlmNode *n = position < OLM_LAST ? nullptr : at(list, position);
    if (!n) return mpm__SetError(0, OLM_INVALIDPOSITION, MPM_ERROR, position);
    if (list->current == n) list->current = n->next ? n->next : n->prev;
    if (n->prev)
        n->prev->next = n->next;
    else
        list->first = n->next;
    if (n->next)
        n->next->prev = n->prev;
    else
        list->last = n->prev;
    list->count--;
    n->prev = nullptr;
    n->next = list->free_nodes;
    list->free_nodes = n;
    list->iter = nullptr;
    return 0;
}

void *olm_CycleList(int options, OlmList *list)
{
    (void)options;
    return cycle(list, false);
}

void *olm_CycleListBack(int options, OlmList *list)
{
    (void)options;
    return cycle(list, true);
}

void olm_ResetCycle(OlmList *list)
{
    if (list) list->iter = nullptr;
}

int olm_GetCount(const OlmList *list) { return list ? list->count : 0; }

int olm_RemoveAll(int options, OlmList *list)
{
    (void)options;
    if (!list) return fail(OLM_NULLPOINTER);
    if (list->last) {
        list->last->next = list->free_nodes;
        list->free_nodes = list->first;
    }
    list->first = list->last = list->current = list->iter = nullptr;
    list->count = 0;
    return 0;
}

int olm_DeleteList(int options, OlmList *list)
{
    (void)options;
    if (!list) return fail(OLM_NULLPOINTER);
    Block *b = static_cast<Block *>(list->blocks);
    while (b) {
        Block *next = b->next;
        ugn_BigFree(b, b->bytes);
        b = next;
    }
    free(list);
    return 0;
}

} // extern "C"
