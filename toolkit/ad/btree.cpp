/* The handle index: one B-tree per drawing mapping an 8-byte handle to the
 * database address of the record that carries it. A node holds up to 22
 * keys in ascending order (compared as unsigned byte strings) and, unless it
 * is a leaf, one more child than keys. A node split by a key greater than
 * all it holds keeps 21 keys, so that loading handles in ascending order
 * fills the nodes; deleting keeps every node but the root at 11 keys or more
 * where it can (a node filled by ascending inserts may hold fewer until a
 * deletion touches it). Searches read nodes through a cache of 16 node copies with hit
 * counters; every change to a node refreshes its cached copy and a freed
 * node leaves the cache.
 *
 * The nodes of a drawing's tree come from an arena of their own (tens of
 * thousands of nodes for a large drawing, as heap blocks a search of the
 * allocator's lists each): deleting the tree drops the arena whole, and a
 * node a deletion frees waits in a list (linked through child[0]) for the
 * next split. */
#include "toolkit/ad/ad_int.h"

#include <cassert>
#include <cstring>

namespace {

constexpr int kMin = BT_KEYS / 2;

bool isleaf(const BtNode *n) { return n->child[0] == nullptr; }

/* A handle as a number: its bytes most significant first (one load and a
 * byte swap where the host is little-endian: every step of every search
 * and insert reads keys). */
inline uint64_t num(const unsigned char *h)
{
#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    uint64_t v;
    std::memcpy(&v, h, 8);
    return __builtin_bswap64(v);
#else
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v = v << 8 | h[i];
    return v;
#endif
}

int cmp(const unsigned char *a, const unsigned char *b)
{
    uint64_t x = num(a), y = num(b);
    return x < y ? -1 : x > y;
}

/* Index of the first key not less than h (by halving). */
int position(const BtNode *n, const unsigned char *h)
{
    uint64_t k = num(h);
    int lo = 0, hi = n->count;
    while (lo < hi) {
        int mid = (lo + hi) / 2;
        if (num(n->key[mid]) < k)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

const BtNode *cached(BtNode *addr)
{
    BtCacheSlot *c = adin->btcache;
    int victim = 0;
    for (int i = 0; i < BT_CACHE; ++i) {
        if (c[i].hits >= 0 && c[i].addr == addr) {
            ++c[i].hits;
            return &c[i].copy;
        }
        if (c[i].hits < c[victim].hits) victim = i;
    }
    c[victim].hits = 0;
    c[victim].addr = addr;
    std::memcpy(&c[victim].copy, addr, sizeof(BtNode));
    return &c[victim].copy;
}

void touched(BtNode *addr)
{
    if (!adin) return;
    for (BtCacheSlot &c : adin->btcache)
        if (c.hits >= 0 && c.addr == addr) std::memcpy(&c.copy, addr, sizeof(BtNode));
}

void dropped(BtNode *addr)
{
    if (!adin) return;
    for (BtCacheSlot &c : adin->btcache)
        if (c.addr == addr) {
            c.hits = -1;
            c.addr = nullptr;
        }
}

void dropall()
{
    if (!adin) return;
    for (BtCacheSlot &c : adin->btcache) {
        c.hits = -1;
        c.addr = nullptr;
    }
}

constexpr size_t kNodeRoom = (sizeof(BtNode) + 15) & ~static_cast<size_t>(15);

/* Room for the nodes a split may need is made before anything changes, so
 * that an insert either completes or leaves the tree as it was. */
bool reserve(AdDrawing *dwg)
{
    if (!dwg->btarena && !(dwg->btarena = ztvm_arenacreate())) return false;
    size_t need = 1; /* a new root, and one node per level at most */
    for (const BtNode *n = dwg->btroot; n; n = n->child[0]) ++need;
    for (const BtNode *n = dwg->btfree; n && need; n = n->child[0]) --need;
    return ztvm_arenareserve(dwg->btarena, need * kNodeRoom) != 0;
}

/* A zero-filled node; cannot fail after reserve. */
BtNode *newnode(AdDrawing *dwg)
{
    if (BtNode *n = dwg->btfree) {
        dwg->btfree = n->child[0];
        std::memset(n, 0, sizeof *n);
        return n;
    }
    return static_cast<BtNode *>(ztvm_arenaalloc(dwg->btarena, sizeof(BtNode)));
}

void freenode(AdDrawing *dwg, BtNode *n)
{
    dropped(n);
    n->child[0] = dwg->btfree;
    dwg->btfree = n;
}

/* Forgets the tree and every cached node (a new arena may hand out the
 * same addresses). */
void droptree(AdDrawing *dwg)
{
    ztvm_arenadestroy(dwg->btarena);
    dwg->btarena = nullptr;
    dwg->btroot = dwg->btfree = nullptr;
    dropall();
}

/* Inserts into the subtree; on a split, the node keeps the lower half and the
 * median with the new right node is handed up. Returns 1 inserted, 2
 * duplicate (the room for new nodes is reserved beforehand). */
struct Up {
    AdObjhandle key;
    void *addr;
    BtNode *right;
};

int insert(AdDrawing *dwg, BtNode *n, const unsigned char *h, void *addr, Up *up, bool *split)
{
    *split = false;
    int i = position(n, h);
    if (i < n->count && cmp(n->key[i], h) == 0) return 2;
    AdObjhandle key;
    std::memcpy(key, h, 8);
    void *val = addr;
    BtNode *right = nullptr;
    if (!isleaf(n)) {
        bool childsplit;
        Up cu;
        int r = insert(dwg, n->child[i], h, addr, &cu, &childsplit);
        if (r != 1 || !childsplit) return r;
        std::memcpy(key, cu.key, 8);
        val = cu.addr;
        right = cu.right;
    }
    int cnt = n->count;
    if (cnt < BT_KEYS) {
        std::memmove(n->key + i + 1, n->key + i, sizeof(AdObjhandle) * static_cast<size_t>(cnt - i));
        std::memmove(n->addr + i + 1, n->addr + i, sizeof(void *) * static_cast<size_t>(cnt - i));
        std::memmove(n->child + i + 2, n->child + i + 1, sizeof(BtNode *) * static_cast<size_t>(cnt - i));
        std::memcpy(n->key[i], key, 8);
        n->addr[i] = val;
        n->child[i + 1] = right;
        n->count = cnt + 1;
        touched(n);
        return 1;
    }
    /* a full node: place (key, val, right) at i among BT_KEYS + 1 keys */
    AdObjhandle keys[BT_KEYS + 1];
    void *vals[BT_KEYS + 1];
    BtNode *kids[BT_KEYS + 2];
    std::memcpy(keys, n->key, sizeof(AdObjhandle) * static_cast<size_t>(cnt));
    std::memcpy(vals, n->addr, sizeof(void *) * static_cast<size_t>(cnt));
    std::memcpy(kids, n->child, sizeof(BtNode *) * static_cast<size_t>(cnt + 1));
    std::memmove(keys + i + 1, keys + i, sizeof(AdObjhandle) * static_cast<size_t>(cnt - i));
    std::memmove(vals + i + 1, vals + i, sizeof(void *) * static_cast<size_t>(cnt - i));
    std::memmove(kids + i + 2, kids + i + 1, sizeof(BtNode *) * static_cast<size_t>(cnt - i));
    std::memcpy(keys[i], key, 8);
    vals[i] = val;
    kids[i + 1] = right;
    ++cnt;
    BtNode *r = newnode(dwg);
    /* 11: left keeps 0..10, median 11, right 12..22; a key added after all
       the others (handles mostly come in ascending order) leaves the left
       node nearly full and starts the right one with that key alone */
    int mid = i == cnt - 1 ? cnt - 2 : cnt / 2;
    std::memset(n, 0, sizeof(BtNode));
    n->count = mid;
    std::memcpy(n->key, keys, sizeof(AdObjhandle) * static_cast<size_t>(mid));
    std::memcpy(n->addr, vals, sizeof(void *) * static_cast<size_t>(mid));
    std::memcpy(n->child, kids, sizeof(BtNode *) * static_cast<size_t>(mid + 1));
    r->count = cnt - mid - 1;
    std::memcpy(r->key, keys + mid + 1, sizeof(AdObjhandle) * static_cast<size_t>(r->count));
    std::memcpy(r->addr, vals + mid + 1, sizeof(void *) * static_cast<size_t>(r->count));
    std::memcpy(r->child, kids + mid + 1, sizeof(BtNode *) * static_cast<size_t>(r->count + 1));
    std::memcpy(up->key, keys[mid], 8);
    up->addr = vals[mid];
    up->right = r;
    *split = true;
    touched(n);
    return 1;
}

void removeat(BtNode *n, int i, bool withright)
{
    std::memmove(n->key + i, n->key + i + 1, sizeof(AdObjhandle) * static_cast<size_t>(n->count - i - 1));
    std::memmove(n->addr + i, n->addr + i + 1, sizeof(void *) * static_cast<size_t>(n->count - i - 1));
    int c = withright ? i + 1 : i;
    std::memmove(n->child + c, n->child + c + 1, sizeof(BtNode *) * static_cast<size_t>(n->count - c));
    n->child[n->count] = nullptr;
    --n->count;
}

void insertat(BtNode *n, int i, const unsigned char *key, void *addr, BtNode *child, bool childright)
{
    std::memmove(n->key + i + 1, n->key + i, sizeof(AdObjhandle) * static_cast<size_t>(n->count - i));
    std::memmove(n->addr + i + 1, n->addr + i, sizeof(void *) * static_cast<size_t>(n->count - i));
    int c = childright ? i + 1 : i;
    std::memmove(n->child + c + 1, n->child + c, sizeof(BtNode *) * static_cast<size_t>(n->count + 1 - c));
    std::memcpy(n->key[i], key, 8);
    n->addr[i] = addr;
    n->child[c] = child;
    ++n->count;
}

/* Child i of n has fallen below the minimum: borrow from a sibling or merge. */
void fix(AdDrawing *dwg, BtNode *n, int i)
{
    BtNode *c = n->child[i];
    BtNode *left = i > 0 ? n->child[i - 1] : nullptr;
    BtNode *right = i < n->count ? n->child[i + 1] : nullptr;
    if (left && left->count > kMin) {
        insertat(c, 0, n->key[i - 1], n->addr[i - 1], left->child[left->count], false);
        std::memcpy(n->key[i - 1], left->key[left->count - 1], 8);
        n->addr[i - 1] = left->addr[left->count - 1];
        left->child[left->count] = nullptr;
        --left->count;
        touched(left);
    } else if (right && right->count > kMin) {
        insertat(c, c->count, n->key[i], n->addr[i], right->child[0], true);
        std::memcpy(n->key[i], right->key[0], 8);
        n->addr[i] = right->addr[0];
        removeat(right, 0, false);
        touched(right);
    } else {
        if (!right) { /* merge into the left sibling instead */
            --i;
            right = c;
            c = left;
        }
        /* c + separator + right into c */
        int k = c->count;
        std::memcpy(c->key[k], n->key[i], 8);
        c->addr[k] = n->addr[i];
        std::memcpy(c->key + k + 1, right->key, sizeof(AdObjhandle) * static_cast<size_t>(right->count));
        std::memcpy(c->addr + k + 1, right->addr, sizeof(void *) * static_cast<size_t>(right->count));
        std::memcpy(c->child + k + 1, right->child, sizeof(BtNode *) * static_cast<size_t>(right->count + 1));
        c->count = k + 1 + right->count;
        assert(c->count <= BT_KEYS);
        removeat(n, i, true);
        freenode(dwg, right);
    }
    touched(c);
    touched(n);
}

/* Deletes h from the subtree; 1 when found. */
int remove(AdDrawing *dwg, BtNode *n, const unsigned char *h)
{
    int i = position(n, h);
    bool found = i < n->count && cmp(n->key[i], h) == 0;
    if (isleaf(n)) {
        if (!found) return 0;
        removeat(n, i, false);
        touched(n);
        return 1;
    }
    int r;
    if (found) {
        /* replace by the predecessor, then delete that from the left subtree */
        BtNode *p = n->child[i];
        while (!isleaf(p)) p = p->child[p->count];
        std::memcpy(n->key[i], p->key[p->count - 1], 8);
        n->addr[i] = p->addr[p->count - 1];
        AdObjhandle pred;
        std::memcpy(pred, n->key[i], 8);
        r = remove(dwg, n->child[i], pred);
        touched(n);
    } else {
        r = remove(dwg, n->child[i], h);
    }
    if (r && n->child[i]->count < kMin) fix(dwg, n, i);
    return r;
}

long counttree(const BtNode *n)
{
    if (!n) return 0;
    long c = n->count;
    if (!isleaf(n))
        for (int i = 0; i <= n->count; ++i) c += counttree(n->child[i]);
    return c;
}

void walktree(const BtNode *n, void (*fn)(const unsigned char *, void *, void *), void *ctx)
{
    if (!n) return;
    for (int i = 0; i < n->count; ++i) {
        if (!isleaf(n)) walktree(n->child[i], fn, ctx);
        fn(n->key[i], n->addr[i], ctx);
    }
    if (!isleaf(n)) walktree(n->child[n->count], fn, ctx);
}

struct Keep {
    AdDrawing *dwg;
    int (*keep)(void *, void *);
    void *ctx;
    bool failed;
};

void keepone(const unsigned char *h, void *addr, void *ctx)
{
    Keep *k = static_cast<Keep *>(ctx);
    if (k->failed || !k->keep(addr, k->ctx)) return;
    if (bt_insert(k->dwg, h, addr) != 1) k->failed = true;
}

} // namespace

extern "C" {

void bt_init(AdDrawing *dwg) { dwg->btroot = nullptr; }

void *bt_search(AdDrawing *dwg, const unsigned char *handle, BtNode *root)
{
    (void)dwg;
    BtNode *addr = root;
    while (addr) {
        const BtNode *n = adin ? cached(addr) : addr;
        int i = position(n, handle);
        if (i < n->count && cmp(n->key[i], handle) == 0) return n->addr[i];
        addr = n->child[0] ? n->child[i] : nullptr;
    }
    return nullptr;
}

int bt_insert(AdDrawing *dwg, const unsigned char *handle, void *addr)
{
    if (!reserve(dwg)) {
        adseterror(214);
        return 0;
    }
    if (!dwg->btroot) dwg->btroot = newnode(dwg);
    Up up;
    bool split;
    int r = insert(dwg, dwg->btroot, handle, addr, &up, &split);
    if (r == 1 && split) {
        BtNode *root = newnode(dwg);
        root->count = 1;
        std::memcpy(root->key[0], up.key, 8);
        root->addr[0] = up.addr;
        root->child[0] = dwg->btroot;
        root->child[1] = up.right;
        dwg->btroot = root;
    }
    if (r == 1 && adin && cmp(handle, adin->largesthandle) > 0) std::memcpy(adin->largesthandle, handle, 8);
    if (r == 2 && adin) {
        adseterror(292);
        std::memcpy(adin->errorhandle, handle, 8);
    }
    return r;
}

int bt_repoint(AdDrawing *dwg, const unsigned char *handle, void *addr)
{
    for (BtNode *n = dwg->btroot; n;) {
        int i = position(n, handle);
        if (i < n->count && cmp(n->key[i], handle) == 0) {
            n->addr[i] = addr;
            touched(n);
            return 1;
        }
        n = isleaf(n) ? nullptr : n->child[i];
    }
    return 0;
}

int bt_del(AdDrawing *dwg, const unsigned char *handle)
{
    if (!dwg->btroot) return 0;
    int r = remove(dwg, dwg->btroot, handle);
    BtNode *root = dwg->btroot;
    if (root->count == 0) {
        dwg->btroot = isleaf(root) ? nullptr : root->child[0];
        freenode(dwg, root);
    }
    return r;
}

void bt_deltree(AdDrawing *dwg) { droptree(dwg); }

void bt_term(void) { dropall(); }

/* The kept pairs are inserted in ascending order into a new tree, which
 * fills its nodes; the old tree is read directly, never through the cache. */
int bt_keep(AdDrawing *dwg, int (*keep)(void *addr, void *ctx), void *ctx)
{
    BtNode *oldroot = dwg->btroot, *oldfree = dwg->btfree;
    ZtArena *oldarena = dwg->btarena;
    dwg->btroot = dwg->btfree = nullptr;
    dwg->btarena = nullptr;
    Keep k{dwg, keep, ctx, false};
    walktree(oldroot, keepone, &k);
    if (k.failed) {
        droptree(dwg);
        dwg->btroot = oldroot;
        dwg->btfree = oldfree;
        dwg->btarena = oldarena;
        return 0;
    }
    ztvm_arenadestroy(oldarena);
    dropall();
    return 1;
}

long bt_count(AdDrawing *dwg) { return counttree(dwg->btroot); }

void bt_walk(AdDrawing *dwg, void (*fn)(const unsigned char *, void *, void *), void *ctx)
{
    walktree(dwg->btroot, fn, ctx);
}

} // extern "C"
