/* The LL linked lists of the database. A list header counts its nodes and
 * points at the head, the tail and the current node (the iteration cursor);
 * every node begins with its link prefix (next, previous, owning list) and is
 * followed by its record. Invariants: count is the number of nodes reachable
 * from head; head->prev and tail->next are null; every node's list is the
 * list it is linked into; current is null or a node of the list. */
#include "toolkit/ad/ad_int.h"

#include <cassert>

extern "C" {

LLList *LLCreate(void)
{
    LLList *l = static_cast<LLList *>(ztvm_malloc(sizeof(LLList)));
    if (!l) {
        adseterror(218);
        adcriticalerror(2);
    }
    return l;
}

long LLGetNumLinks(const LLList *l) { return l ? l->count : 0; }
LLNode *LLGetHead(const LLList *l) { return l ? l->head : nullptr; }
LLNode *LLGetTail(const LLList *l) { return l ? l->tail : nullptr; }
LLNode *LLGetCurrent(const LLList *l) { return l ? l->current : nullptr; }
LLNode *LLGetCurNode(const LLList *l) { return l ? l->current : nullptr; }

int LLSetCurNode(LLList *l, LLNode *n)
{
    if (!l || !n || n->list != l) return -1;
    l->current = n;
    return 0;
}

void LLRewindList(LLList *l)
{
    if (l) l->current = l->head;
}

LLNode *LLNextNode(LLList *l)
{
    if (!l || !l->current) return nullptr;
    l->current = l->current->next;
    return l->current;
}

LLNode *LLAlloc(size_t recordsize)
{
    LLNode *n = static_cast<LLNode *>(ztvm_malloc(sizeof(LLNode) + recordsize));
    if (!n) adseterror(219);
    return n;
}

void LLPutHead(LLList *l, LLNode *n)
{
    n->list = l;
    n->prev = nullptr;
    n->next = l->head;
    if (l->head)
        l->head->prev = n;
    else
        l->tail = l->current = n;
    l->head = n;
    ++l->count;
}

void LLPutTail(LLList *l, LLNode *n)
{
    n->list = l;
    n->next = nullptr;
    n->prev = l->tail;
    if (l->tail)
        l->tail->next = n;
    else
        l->head = l->current = n;
    l->tail = n;
    ++l->count;
}

void LLPutOneNodeInListTail(LLList *l, LLNode *n) { LLPutTail(l, n); }

void LLPutBeforeSpec(LLList *l, LLNode *at, LLNode *n)
{
    if (!at || at == l->head) {
        if (!at)
            LLPutTail(l, n);
        else
            LLPutHead(l, n);
        return;
    }
    assert(at->list == l);
    n->list = l;
    n->next = at;
    n->prev = at->prev;
    at->prev->next = n;
    at->prev = n;
    ++l->count;
}

void LLPutAfterSpec(LLList *l, LLNode *at, LLNode *n)
{
    if (!at || at == l->tail) {
        LLPutTail(l, n);
        return;
    }
    assert(at->list == l);
    n->list = l;
    n->prev = at;
    n->next = at->next;
    at->next->prev = n;
    at->next = n;
    ++l->count;
}

void LLPutBefore(LLList *l, LLNode *n) { LLPutBeforeSpec(l, l->current ? l->current : l->head, n); }
void LLPutAfter(LLList *l, LLNode *n) { LLPutAfterSpec(l, l->current ? l->current : l->tail, n); }

LLNode *LLDelSpec(LLList *l, LLNode *n)
{
    if (!l || !n || n->list != l) return nullptr;
    if (n->prev)
        n->prev->next = n->next;
    else
        l->head = n->next;
    if (n->next)
        n->next->prev = n->prev;
    else
        l->tail = n->prev;
    if (l->current == n) l->current = n->next;
    n->next = n->prev = nullptr;
    n->list = nullptr;
    --l->count;
    return n;
}

LLNode *LLDelHead(LLList *l) { return l ? LLDelSpec(l, l->head) : nullptr; }
LLNode *LLDelTail(LLList *l) { return l ? LLDelSpec(l, l->tail) : nullptr; }
LLNode *LLDelNode(LLList *l) { return l ? LLDelSpec(l, l->current) : nullptr; }

void LLDeleteListMembers(LLList *l)
{
    if (!l) return;
    LLNode *n = l->head;
    while (n) {
        LLNode *next = n->next;
        ztvm_free(n);
        n = next;
    }
    l->head = l->tail = l->current = nullptr;
    l->count = 0;
}

void LLDeleteList(LLList *l)
{
    if (!l) return;
    LLDeleteListMembers(l);
    ztvm_free(l);
}

} // extern "C"
