/* Heap and database memory of the toolkit. Both hand out zero-filled blocks
 * from the C heap; a database address is the block's own address, so reading
 * and writing database memory are plain copies.
 *
 * Arenas: database memory for many small records that live as long as
 * their drawing (the entities). An arena hands out zero-filled pieces of
 * 2 MiB slabs; ztvm_free of a piece does nothing (its room comes back when
 * the arena is destroyed). Every live slab is registered in one sorted
 * table, so that ztvm_free can tell a piece from a heap block. A slab is
 * mapped from the kernel in huge pages (platform/base/VyrHugePages):
 * a large drawing fills tens of megabytes of slabs, and faulting them in
 * 4 KiB pages cost more than filling them. Fresh mappings are zero-filled
 * and their untouched pages cost nothing, so a slab is never cleared here. */
#include "toolkit/zt/zt.h"

#include "platform/base/VyrHugePages.h"

#include <cstdlib>
#include <cstring>

extern "C" {

void *ztmem_malloc(size_t size) { return std::calloc(1, size ? size : 1); }
void *ztmem_realloc(void *p, size_t size) { return std::realloc(p, size ? size : 1); }
void ztmem_free(void *p) { std::free(p); }

int ztvm_init(void) { return 1; }
int ztvm_term(void) { return 1; }
void *ztvm_malloc(size_t size) { return std::calloc(1, size ? size : 1); }

} // extern "C"

struct ZtArena {
    unsigned char *slab; /* the slab being filled */
    size_t used, size;
};

namespace {

struct Range {
    uintptr_t start, end;
};
Range *g_ranges = nullptr;
size_t g_nranges = 0, g_capranges = 0;

/* Index of the first range starting after p. */
size_t after(uintptr_t p)
{
    size_t lo = 0, hi = g_nranges;
    while (lo < hi) {
        size_t mid = (lo + hi) / 2;
        if (g_ranges[mid].start <= p)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

bool inslab(const void *p)
{
    if (!g_nranges) return false;
    uintptr_t u = reinterpret_cast<uintptr_t>(p);
    size_t i = after(u);
    return i > 0 && u < g_ranges[i - 1].end;
}

bool addrange(unsigned char *slab, size_t size)
{
    if (g_nranges == g_capranges) {
        size_t ncap = g_capranges ? g_capranges * 2 : 64;
        Range *n = static_cast<Range *>(std::realloc(g_ranges, ncap * sizeof(Range)));
        if (!n) return false;
        g_ranges = n;
        g_capranges = ncap;
    }
    uintptr_t u = reinterpret_cast<uintptr_t>(slab);
    size_t i = after(u);
    std::memmove(g_ranges + i + 1, g_ranges + i, (g_nranges - i) * sizeof(Range));
    g_ranges[i] = Range{u, u + size};
    ++g_nranges;
    return true;
}

/* Forgets the slab; returns its size. */
size_t droprange(unsigned char *slab)
{
    uintptr_t u = reinterpret_cast<uintptr_t>(slab);
    size_t i = after(u);
    if (i == 0 || g_ranges[i - 1].start != u) return 0;
    const size_t size = g_ranges[i - 1].end - u;
    std::memmove(g_ranges + i - 1, g_ranges + i, (g_nranges - i) * sizeof(Range));
    --g_nranges;
    return size;
}

constexpr size_t kSlab = VYR_HUGE_PAGE;

} // namespace

extern "C" {

void ztvm_free(void *p)
{
    if (!inslab(p)) std::free(p);
}

ZtArena *ztvm_arenacreate(void) { return static_cast<ZtArena *>(std::calloc(1, sizeof(ZtArena))); }

/* A slab begins with the address of the slab before it. */
int ztvm_arenareserve(ZtArena *a, size_t size)
{
    if (!a || size > SIZE_MAX / 2) return 0;
    size = (size + 15) & ~static_cast<size_t>(15);
    if (!a->slab || a->used + size > a->size) {
        const size_t n = (size + 16 + kSlab - 1) / kSlab * kSlab;
        unsigned char *s = static_cast<unsigned char *>(VyrHugePagesMap(n));
        if (!s) return 0;
        if (!addrange(s, n)) {
            VyrHugePagesUnmap(s, n);
            return 0;
        }
        std::memcpy(s, &a->slab, sizeof a->slab);
        a->slab = s;
        a->size = n;
        a->used = 16;
    }
    return 1;
}

void *ztvm_arenaalloc(ZtArena *a, size_t size)
{
    if (!ztvm_arenareserve(a, size)) return nullptr;
    void *p = a->slab + a->used;
    a->used += (size + 15) & ~static_cast<size_t>(15);
    return p;
}

void ztvm_arenadestroy(ZtArena *a)
{
    if (!a) return;
    while (a->slab) {
        unsigned char *prev;
        std::memcpy(&prev, a->slab, sizeof prev);
        VyrHugePagesUnmap(a->slab, droprange(a->slab));
        a->slab = prev;
    }
    std::free(a);
    if (!g_nranges) {
        std::free(g_ranges);
        g_ranges = nullptr;
        g_capranges = 0;
    }
}

int ztvm_readbytes(void *dst, const void *addr, uint16_t count)
{
    std::memcpy(dst, addr, count);
    return 1;
}

int ztvm_writebytes(void *addr, const void *src, uint16_t count)
{
    std::memcpy(addr, src, count);
    return 1;
}

} // extern "C"
