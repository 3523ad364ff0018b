/* Object tree manager: AVL insertion after Knuth's algorithm (search while
 * remembering the deepest node S with a non-zero balance and its parent T,
 * insert a leaf, fix the balances between S and the leaf, rebalance at S).
 * Invariants: every node's balance is height(right) - height(left) and lies
 * in -1..+1; `next` links the nodes in ascending order starting at `first`,
 * which insertion keeps up to date (a new node's successor is the last node
 * where the search went left, its predecessor the last where it went
 * right); rotations change neither. Nodes are never removed singly. */
#include "kernel/otm/otm_int.h"

#include <assert.h>
#include <stdlib.h>
#include <string.h>

#include "kernel/mpm/mpm_int.h"
#include "kernel/pdx/pdx_int.h"

struct OtmNode {
    OtmNode *link[2]; /* 0 left, 1 right */
    OtmNode *next;    /* in-order successor */
    signed char balance;
    /* the object follows, 8-byte aligned */
};

namespace {

constexpr size_t kHeader = (sizeof(OtmNode) + 7u) & ~size_t(7);

inline void *payload(OtmNode *n) { return reinterpret_cast<char *>(n) + kHeader; }
inline const void *payload(const OtmNode *n) { return reinterpret_cast<const char *>(n) + kHeader; }

int fail(int code, int severity = MPM_ERROR) { return mpm__SetError(0, code, severity); }

int height(const OtmNode *n)
{
    if (!n) return 0;
    int l = height(n->link[0]), r = height(n->link[1]);
    return 1 + (l > r ? l : r);
}

/* Height of a subtree when it is valid, -1 otherwise. */
int check(const OtmTree *t, const OtmNode *n, int *count)
{
    if (!n) return 0;
    ++*count;
    for (int d = 0; d < 2; ++d) {
        const OtmNode *c = n->link[d];
        if (!c) continue;
        int cmp = t->compare(payload(c), payload(n));
        if ((d == 0 && cmp >= 0) || (d == 1 && cmp <= 0)) return -1;
    }
    int l = check(t, n->link[0], count);
    int r = check(t, n->link[1], count);
    if (l < 0 || r < 0 || r - l != n->balance || n->balance < -1 || n->balance > 1) return -1;
    return 1 + (l > r ? l : r);
}

} // namespace

extern "C" {

int otm_Initialize(void)
{
    pdx__RegisterModule(&otm__Module);
    return 0;
}

OtmTree *otm_CreateTree(int options, int object_size, OtmCompare compare, void *user)
{
    (void)options;
    if (object_size < 1) {
        mpm__SetError(0, OTM_INVALIDSIZE, MPM_ERROR, object_size);
        return nullptr;
    }
    if (!compare) {
        fail(OTM_NULLPOINTER);
        return nullptr;
    }
    OtmTree *t = static_cast<OtmTree *>(calloc(1, sizeof(OtmTree)));
    if (!t) {
        fail(OTM_NOMEMORY);
        return nullptr;
    }
    t->object_size = object_size;
    t->compare = compare;
    t->user = user;
    return t;
}

void *otm_AddObject(int options, OtmTree *tree, const void *object)
{
    (void)options;
    if (!tree || !object) {
        fail(OTM_NULLPOINTER);
        return nullptr;
    }
    OtmNode head{}; /* stands in for the parent of the root */
    head.link[1] = tree->root;
    OtmNode *t = &head, *s = tree->root, *p = tree->root, *q = nullptr;
    OtmNode *pred = nullptr, *succ = nullptr;
    int dir = 1;
    while (p) {
        int cmp = tree->compare(object, payload(p));
        if (cmp == 0) {
            tree->current = p;
            return payload(p);
        }
        dir = cmp > 0;
        if (dir)
            pred = p;
        else
            succ = p;
        q = p->link[dir];
        if (!q) break;
        if (q->balance != 0) {
            t = p;
            s = q;
        }
        p = q;
    }

    OtmNode *n = static_cast<OtmNode *>(malloc(kHeader + (size_t)tree->object_size));
    if (!n) {
        fail(OTM_NOMEMORY);
        return nullptr;
    }
    n->link[0] = n->link[1] = nullptr;
    n->balance = 0;
    memcpy(payload(n), object, (size_t)tree->object_size);
    n->next = succ;
    if (pred)
        pred->next = n;
    else
        tree->first = n;
    tree->count++;
    tree->current = n;
    if (!p) {
        tree->root = n;
        return payload(n);
    }
    p->link[dir] = n;

    /* Balances on the path from s down to the new leaf. */
    int a = tree->compare(object, payload(s)) > 0 ? 1 : -1;
    OtmNode *r = s->link[a > 0];
    for (OtmNode *x = r; x != n;) {
        int d = tree->compare(object, payload(x)) > 0;
        x->balance = d ? 1 : -1;
        x = x->link[d];
    }

    if (s->balance == 0) {
        s->balance = (signed char)a;
        return payload(n);
    }
    if (s->balance == -a) {
        s->balance = 0;
        return payload(n);
    }
    int ai = a > 0, bi = !ai;
    OtmNode *top;
    if (r->balance == a) { /* single rotation */
        top = r;
        s->link[ai] = r->link[bi];
        r->link[bi] = s;
        s->balance = r->balance = 0;
    } else { /* double rotation */
        top = r->link[bi];
        r->link[bi] = top->link[ai];
        top->link[ai] = r;
        s->link[ai] = top->link[bi];
        top->link[bi] = s;
        if (top->balance == a) {
            s->balance = (signed char)-a;
            r->balance = 0;
        } else if (top->balance == 0) {
            s->balance = r->balance = 0;
        } else {
            s->balance = 0;
            r->balance = (signed char)a;
        }
        top->balance = 0;
    }
    if (t == &head) {
        tree->root = top;
    } else if (s == t->link[1]) {
        t->link[1] = top;
    } else if (s == t->link[0]) {
        t->link[0] = top;
    } else {
        fail(OTM_LOGICERROR, MPM_FATAL);
        return nullptr;
    }
    return payload(n);
}

void *otm_GetObject(int options, OtmTree *tree, const void *key)
{
    if (!tree || !key) {
        fail(OTM_NULLPOINTER);
        return nullptr;
    }
    OtmNode *p = tree->root;
    while (p) {
        int cmp = tree->compare(key, payload(p));
        if (cmp == 0) {
            tree->current = p;
            return payload(p);
        }
        p = p->link[cmp > 0];
    }
    if (!(options & OTM_SILENT)) fail(OTM_NOTFOUND);
    return nullptr;
}

void *otm_CycleTree(int options, OtmTree *tree)
{
    (void)options;
    if (!tree) {
        fail(OTM_NULLPOINTER);
        return nullptr;
    }
    OtmNode *n = tree->iter ? tree->iter->next : tree->first;
    tree->iter = n;
    return n ? payload(n) : nullptr;
}

void otm_ResetCycle(OtmTree *tree)
{
    if (tree) tree->iter = nullptr;
}

int otm_GetCount(const OtmTree *tree) { return tree ? tree->count : 0; }

int otm_DeleteTree(int options, OtmTree *tree)
{
    (void)options;
    if (!tree) return fail(OTM_NULLPOINTER);
    /* Every node is on the in-order chain. */
    OtmNode *n = tree->first;
    while (n) {
        OtmNode *next = n->next;
        free(n);
        n = next;
    }
    free(tree);
    return 0;
}

int otm__Height(const OtmTree *tree) { return tree ? height(tree->root) : 0; }

int otm__Check(const OtmTree *tree)
{
    if (!tree) return 0;
    int count = 0;
    if (check(tree, tree->root, &count) < 0 || count != tree->count) return 0;
    int chained = 0;
    for (const OtmNode *n = tree->first; n; n = n->next) {
        ++chained;
        if (n->next && tree->compare(payload(n->next), payload(n)) <= 0) return 0;
    }
    return chained == tree->count;
}

} // extern "C"
