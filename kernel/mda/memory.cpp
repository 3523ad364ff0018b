/* Memory blocks of the model database and the references that record
 * fields hold instead of machine addresses.
 *
 * Reference design: a reference is an index into one process-wide block
 * table. Slot r of the table holds the data address of the live block whose
 * reference is r; a free slot holds (next free slot << 1) | 1 (data addresses
 * are 16-aligned, so bit 0 tells the two apart). Slot 0 is never used, so the
 * reference 0 is null. mda_Deref(r) is one indexing; mda_RefOf(address)
 * reads the reference from the block header found through the word before
 * the data. A block keeps its reference for life, also across mda_Realloc
 * (only the table slot changes); a block read back from the page file gets a
 * new one. References are 32-bit, so about four thousand million blocks may
 * be alive at once.
 *
 * Chains: an entity record is the head of its chain; mda_Malloc with an
 * owner inserts the new block right behind the head. Every block records
 * where it is referred from (see mda_int.h), so a reallocation, a free or a
 * trip through the page file can rewrite exactly that field. */
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "kernel/mda/mda_int.h"
#include "kernel/mpm/mpm_int.h"

static_assert(sizeof(MBlock) == MDA_MBLOCK_HDR && sizeof(MdaDiskHdr) == MDA_MBLOCK_HDR,
              "one block header size in memory and in the page file");
static_assert(MDA_MBLOCK_HDR % 16 == 0 && sizeof(MdaArrayHdr) == MDA_ARRAY_HDR && MDA_ARRAY_HDR % 16 == 0,
              "headers keep the doubles behind them aligned");

namespace {

uintptr_t *g_table = nullptr;
uint32_t g_capacity = 0;
uint32_t g_used = 1; /* next never-used slot; slot 0 is the null reference */
uint32_t g_free = 0; /* head of the free slots, 0: none */

/* Freed blocks of up to kRecycleMax bytes wait in lists by size class for
 * the next block of their class: entity records are made, swapped out and
 * read back by the million, and the C heap's own bins handle that churn of
 * equal sizes slowly. Every block is allocated at the size of its class
 * (capacity_of), so a recycled block fits any block of its class; the lists
 * hold at most kRecycleBytes together and are freed at termination. */
constexpr size_t kClassBytes = 64;
constexpr size_t kRecycleMax = 8192;
#if defined(__SANITIZE_ADDRESS__)
#define VYR_MDA_RECYCLE 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VYR_MDA_RECYCLE 0
#endif
#endif
#ifndef VYR_MDA_RECYCLE
#define VYR_MDA_RECYCLE 1
#endif
/* Under the address sanitizer blocks are allocated at their own size and
 * nothing waits for reuse, so that a block used past its end or after its
 * release is still caught. */
constexpr size_t kRecycleBytes = VYR_MDA_RECYCLE ? size_t(4) << 20 : 0;
struct Recycled {
    Recycled *next;
};
Recycled *g_recycled[kRecycleMax / kClassBytes + 1];
size_t g_recycled_bytes = 0;

size_t capacity_of(size_t total)
{
    if (!VYR_MDA_RECYCLE || total > kRecycleMax) return total;
    return (total + kClassBytes - 1) & ~(kClassBytes - 1);
}

size_t round8(size_t n) { return (n + 7) & ~size_t(7); }

MBlock *head_of(MBlock *b)
{
    while (b->prev) b = b->prev;
    return b;
}

bool valid_block(const void *data)
{
    if (!data) return false;
    MBlock *b = mda__BlockOf(data);
    return b->magic == MDA_MAGIC;
}

/* The block of the chain whose data holds the 4 bytes at p, or null. */
MBlock *holder_of(MBlock *head, const void *p)
{
    const unsigned char *q = static_cast<const unsigned char *>(p);
    for (MBlock *b = head; b; b = b->next) {
        const unsigned char *lo = mda__DataOf(b), *hi = reinterpret_cast<unsigned char *>(b) + b->size;
        if (q >= lo && q + 4 <= hi) return b;
    }
    return nullptr;
}

void insert_after(MBlock *head, MBlock *b)
{
    b->prev = head;
    b->next = head->next;
    if (head->next) head->next->prev = b;
    head->next = b;
}

/* Links a new block to its owner and tells the caller where it is. */
int32_t attach(MBlock *b, void *owner, void *out)
{
    void *data = mda__DataOf(b);
    if (!owner) {
        b->flags = MDA_FLAG_INDEPENDENT;
        b->tag = MDA_BACKREF_NONE;
        std::memcpy(out, &data, sizeof data);
        return 0;
    }
    MBlock *head = head_of(mda__BlockOf(owner));
    if (head->flags & MDA_FLAG_RECORD) {
        MBlock *holder = holder_of(head, out);
        if (!holder) {
            mda__DropBlock(b);
            return mda__Error(MDA_INVALID_ARG);
        }
        b->tag = MDA_BACKREF_FIELD;
        b->back.field.holder = holder->ref;
        b->back.field.offset = uint32_t(static_cast<unsigned char *>(out) - mda__DataOf(holder));
        insert_after(head, b);
        std::memcpy(out, &b->ref, 4);
        return 0;
    }
    b->tag = MDA_BACKREF_MACHINE;
    b->back.machine = static_cast<void **>(out);
    insert_after(head, b);
    std::memcpy(out, &data, sizeof data);
    return 0;
}

void drop_block(MBlock *b, bool clear);

/* Frees the blocks of the chain whose referring field lies in `holder` at or
 * beyond `from`: they could no longer be reached. */
void drop_dependents(MBlock *head, uint32_t holder, uint64_t from)
{
    for (MBlock *x = head; x;) {
        MBlock *next = x->next;
        if (x->tag == MDA_BACKREF_FIELD && x->back.field.holder == holder && x->back.field.offset >= from) {
            drop_block(x, false);
            next = head; /* the chain changed: start again */
        }
        x = next;
    }
}

/* Clears the field or variable that refers to a block, if it still does. */
void clear_referrer(MBlock *b)
{
    if (b->tag == MDA_BACKREF_FIELD) {
        unsigned char *holder = static_cast<unsigned char *>(mda_Deref(b->back.field.holder));
        if (holder) {
            uint32_t v;
            std::memcpy(&v, holder + b->back.field.offset, 4);
            if (v == b->ref) std::memset(holder + b->back.field.offset, 0, 4);
        }
    } else if (b->tag == MDA_BACKREF_MACHINE) {
        void *cur;
        std::memcpy(&cur, b->back.machine, sizeof cur);
        if (cur == mda__DataOf(b)) std::memset(b->back.machine, 0, sizeof cur);
    }
}

/* Unlinks and frees a block of a chain with everything only it refers to;
 * `clear` also zeroes the field that refers to it. */
void drop_block(MBlock *b, bool clear)
{
    MBlock *head = head_of(b);
    if (clear) clear_referrer(b);
    if (b->prev) b->prev->next = b->next;
    if (b->next) b->next->prev = b->prev;
    b->prev = b->next = nullptr;
    if (head != b) drop_dependents(head, b->ref, 0);
    mda__DropBlock(b);
}

} // namespace

extern "C" {

int32_t mda__Error(int32_t code, ...)
{
    va_list ap, copy;
    va_start(ap, code);
    va_copy(copy, ap);
    MpmTokens tk;
    std::memset(&tk, 0, sizeof tk);
    tk.args = &copy;
    mpm__SetErrorV(0, code, MPM_ERROR, &tk);
    va_end(copy);
    va_end(ap);
    return code;
}

uint32_t mda__NewRef(void *data)
{
    if (g_free) {
        uint32_t r = g_free;
        g_free = uint32_t(g_table[r] >> 1);
        g_table[r] = reinterpret_cast<uintptr_t>(data);
        return r;
    }
    if (g_used >= g_capacity) {
        if (g_capacity == 0xFFFFFFFFu) return 0;
        uint64_t grown = g_capacity ? uint64_t(g_capacity) * 2 : 4096;
        if (grown > 0xFFFFFFFFu) grown = 0xFFFFFFFFu;
        uintptr_t *t = static_cast<uintptr_t *>(std::realloc(g_table, grown * sizeof *t));
        if (!t) return 0;
        g_table = t;
        g_capacity = uint32_t(grown);
    }
    g_table[g_used] = reinterpret_cast<uintptr_t>(data);
    return g_used++;
}

void mda__SetRef(uint32_t ref, void *data) { g_table[ref] = reinterpret_cast<uintptr_t>(data); }

void mda__FreeRef(uint32_t ref)
{
    if (!g_table || ref == 0 || ref >= g_used) return;
    g_table[ref] = (uintptr_t(g_free) << 1) | 1u;
    g_free = ref;
}

void mda__FreeRefTable(void)
{
    std::free(g_table);
    g_table = nullptr;
    g_capacity = 0;
    g_used = 1;
    g_free = 0;
}

void *mda_Deref(mda_ref ref)
{
    if (ref == 0 || ref >= g_used) return nullptr;
    uintptr_t v = g_table[ref];
    return (v & 1u) ? nullptr : reinterpret_cast<void *>(v);
}

mda_ref mda_RefOf(const void *mem)
{
    if (!valid_block(mem)) return 0;
    return mda__BlockOf(mem)->ref;
}

MBlock *mda__AllocBlockMemory(size_t total)
{
    const size_t capacity = capacity_of(total);
    if (capacity <= kRecycleMax) {
        Recycled *&head = g_recycled[capacity / kClassBytes];
        if (Recycled *r = head) {
            head = r->next;
            g_recycled_bytes -= capacity;
            return reinterpret_cast<MBlock *>(r);
        }
    }
    return static_cast<MBlock *>(std::malloc(capacity));
}

void mda__FreeBlockMemory(MBlock *b)
{
    if (!b) return;
    const size_t capacity = capacity_of(size_t(b->size));
    if (capacity <= kRecycleMax && g_recycled_bytes + capacity <= kRecycleBytes) {
        Recycled *r = reinterpret_cast<Recycled *>(b);
        r->next = g_recycled[capacity / kClassBytes];
        g_recycled[capacity / kClassBytes] = r;
        g_recycled_bytes += capacity;
        return;
    }
    std::free(b);
}

void mda__FreeRecycledBlocks(void)
{
    for (Recycled *&head : g_recycled)
        while (Recycled *r = head) {
            head = r->next;
            std::free(r);
        }
    g_recycled_bytes = 0;
}

MBlock *mda__NewBlock(size_t total, uint8_t kind, uint32_t data_back)
{
    MBlock *b = mda__AllocBlockMemory(total);
    if (!b) return nullptr;
    std::memset(b, 0, total);
    b->size = total;
    b->magic = MDA_MAGIC;
    b->kind = kind;
    b->data_back = data_back;
    if (kind == MDA_KIND_ARRAY) {
        MdaArrayHdr *a = reinterpret_cast<MdaArrayHdr *>(b + 1);
        a->data_back = data_back;
    }
    b->ref = mda__NewRef(mda__DataOf(b));
    if (!b->ref) {
        mda__FreeBlockMemory(b);
        return nullptr;
    }
    return b;
}

void mda__DropBlock(MBlock *b)
{
    mda__FreeRef(b->ref);
    b->magic = 0;
    mda__FreeBlockMemory(b);
}

void mda__FreeChain(void *record)
{
    MBlock *b = mda__BlockOf(record);
    while (b) {
        MBlock *next = b->next;
        mda__DropBlock(b);
        b = next;
    }
}

int32_t mda_Malloc(int32_t options, void *owner, size_t size, void *out)
{
    (void)options;
    if (!out) return mda__Error(MDA_NULL_MEMPTR);
    if (owner && !valid_block(owner)) return mda__Error(MDA_INVALID_ARG);
    if (size > (size_t(1) << 40)) return mda__Error(MDA_MALLOC_ERR);
    MBlock *b = mda__NewBlock(MDA_MBLOCK_HDR + round8(size), MDA_KIND_PLAIN, MDA_MBLOCK_HDR);
    if (!b) return mda__Error(MDA_MALLOC_ERR);
    return attach(b, owner, out);
}

int32_t mda__MallocArray(int32_t options, void *owner, int32_t element_size, int32_t ndims,
                         const int32_t *extents, void *out)
{
    (void)options;
    if (!out || !extents) return mda__Error(MDA_NULL_MEMPTR);
    if (owner && !valid_block(owner)) return mda__Error(MDA_INVALID_ARG);
    if (ndims < 1 || ndims > 4 || element_size < 1) return mda__Error(MDA_INVALID_ARG);
    uint64_t pointers = 0, rows = 1, elements = 1;
    for (int32_t k = 0; k < ndims; ++k) {
        if (extents[k] == 0) return mda__Error(MDA_ZERO_DIM);
        if (extents[k] < 0) return mda__Error(MDA_INVALID_ARG);
        elements *= uint64_t(extents[k]);
        if (elements > (uint64_t(1) << 36)) return mda__Error(MDA_MALLOC_ERR);
        if (k < ndims - 1) {
            rows *= uint64_t(extents[k]);
            pointers += rows;
        }
    }
    uint64_t element_bytes = elements * uint64_t(element_size);
    uint64_t elements_offset = round8(size_t(pointers * sizeof(void *)));
    uint64_t total = MDA_MBLOCK_HDR + MDA_ARRAY_HDR + elements_offset + round8(element_bytes);
    if (total > (uint64_t(1) << 40)) return mda__Error(MDA_MALLOC_ERR);
    MBlock *b = mda__NewBlock(size_t(total), MDA_KIND_ARRAY, MDA_MBLOCK_HDR + MDA_ARRAY_HDR);
    if (!b) return mda__Error(MDA_MALLOC_ERR);
    MdaArrayHdr *a = reinterpret_cast<MdaArrayHdr *>(b + 1);
    a->element_size = element_size;
    a->ndims = ndims;
    for (int32_t k = 0; k < ndims; ++k) a->extents[k] = extents[k];
    a->elements_offset = int32_t(elements_offset);

    /* Vector k holds one pointer per row of dimensions 0..k; the pointers of
     * the last vector point at element rows. */
    unsigned char *data = mda__DataOf(b);
    void **vec = reinterpret_cast<void **>(data);
    uint64_t count = 1, start = 0;
    for (int32_t k = 0; k < ndims - 1; ++k) {
        count *= uint64_t(extents[k]);
        void **next = vec + start + count;
        for (uint64_t i = 0; i < count; ++i) {
            if (k < ndims - 2)
                vec[start + i] = next + i * uint64_t(extents[k + 1]);
            else
                vec[start + i] =
                    data + elements_offset + i * uint64_t(extents[k + 1]) * uint64_t(element_size);
        }
        start += count;
    }
    return attach(b, owner, out);
}

int32_t mda_MallocArray(int32_t options, void *owner, int32_t element_size, int32_t ndims,
                        const int32_t *extents, void *out)
{
    return mda__MallocArray(options, owner, element_size, ndims, extents, out);
}

int32_t mda_Realloc(int32_t options, void *owner, void *mem, size_t size, void *out)
{
    if (!mem) return mda_Malloc(options, owner, size, out);
    if (!valid_block(mem)) return mda__Error(MDA_INVALID_ARG);
    MBlock *b = mda__BlockOf(mem);
    if (b->kind != MDA_KIND_PLAIN || (b->flags & MDA_FLAG_RECORD)) return mda__Error(MDA_INVALID_ARG);
    if (size > (size_t(1) << 40)) return mda__Error(MDA_REALLOC_ERR);
    const size_t old_total = size_t(b->size), total = MDA_MBLOCK_HDR + round8(size);
    /* The old range as numbers: it is compared with, never dereferenced. */
    const uintptr_t old_lo = reinterpret_cast<uintptr_t>(mda__DataOf(b)),
                    old_hi = old_lo + (old_total - MDA_MBLOCK_HDR);
    MBlock *nb = static_cast<MBlock *>(std::realloc(b, capacity_of(total)));
    if (!nb) return mda__Error(MDA_REALLOC_ERR);
    if (total > old_total)
        std::memset(reinterpret_cast<unsigned char *>(nb) + old_total, 0, total - old_total);
    nb->size = total;
    if (nb->prev) nb->prev->next = nb;
    if (nb->next) nb->next->prev = nb;
    unsigned char *data = mda__DataOf(nb);
    mda__SetRef(nb->ref, data);
    if (total < old_total) drop_dependents(head_of(nb), nb->ref, total - MDA_MBLOCK_HDR - 3);
    /* Machine pointers kept inside the moved block move with it. */
    MBlock *head = head_of(nb);
    for (MBlock *x = head; x; x = x->next) {
        if (x->tag != MDA_BACKREF_MACHINE) continue;
        const uintptr_t var = reinterpret_cast<uintptr_t>(x->back.machine);
        if (var >= old_lo && var < old_hi) x->back.machine = reinterpret_cast<void **>(data + (var - old_lo));
    }
    if (nb->tag == MDA_BACKREF_FIELD) {
        if (out) std::memcpy(out, &nb->ref, 4);
    } else {
        if (nb->tag == MDA_BACKREF_MACHINE) std::memcpy(nb->back.machine, &data, sizeof data);
        if (out) std::memcpy(out, &data, sizeof data);
    }
    return 0;
}

int32_t mda_Free(int32_t options, void *owner, void *mem)
{
    (void)owner;
    if (!mem) return mda__Error(MDA_NULL_MEMPTR);
    if (!valid_block(mem)) return mda__Error(MDA_INVALID_ARG);
    MBlock *b = mda__BlockOf(mem);
    if (b->flags & MDA_FLAG_RECORD) return mda__Error(MDA_INVALID_ARG);
    if ((options & 2) && b->kind != MDA_KIND_ARRAY) return mda__Error(MDA_INVALID_ARG);
    if (!b->prev && b->next) { /* an independent head takes its chain along */
        mda__FreeChain(mem);
        return 0;
    }
    if (options & 1) {
        clear_referrer(b);
        if (b->prev) b->prev->next = b->next;
        if (b->next) b->next->prev = b->prev;
        b->prev = b->next = nullptr;
        b->flags = MDA_FLAG_INDEPENDENT;
        b->tag = MDA_BACKREF_NONE;
        return 0;
    }
    drop_block(b, true);
    return 0;
}

int32_t mda_Strdup(int32_t options, void *owner, const char *string, void *out)
{
    if (!string || !out) return mda__Error(MDA_NULL_MEMPTR);
    size_t n = std::strlen(string) + 1;
    int32_t status = mda_Malloc(options, owner, n, out);
    if (status) return status;
    void *data;
    if (owner && (head_of(mda__BlockOf(owner))->flags & MDA_FLAG_RECORD)) {
        mda_ref r;
        std::memcpy(&r, out, 4);
        data = mda_Deref(r);
    } else {
        std::memcpy(&data, out, sizeof data);
    }
    std::memcpy(data, string, n);
    return 0;
}

int32_t mda_GetArraySize(int32_t options, const void *mem, int64_t *size)
{
    if (!size) return mda__Error(MDA_NULL_MEMPTR);
    *size = 0;
    if (!mem) return 0;
    if (!valid_block(mem)) return mda__Error(MDA_INVALID_ARG);
    MBlock *b = mda__BlockOf(mem);
    if (b->kind == MDA_KIND_ARRAY && !(options & 1)) {
        const MdaArrayHdr *a = reinterpret_cast<const MdaArrayHdr *>(b + 1);
        int64_t n = a->element_size;
        for (int32_t k = 0; k < a->ndims; ++k) n *= a->extents[k];
        *size = n;
    } else {
        *size = int64_t(b->size) - b->data_back;
    }
    return 0;
}

int32_t mda_FreeEntity(int32_t options, void *mem)
{
    (void)options;
    if (!mem) return mda__Error(MDA_NULL_MEMPTR);
    if (!valid_block(mem)) return mda__Error(MDA_INVALID_ARG);
    MBlock *b = mda__BlockOf(mem);
    if (b->prev) return mda__Error(MDA_INVALID_ARG);
    mda__FreeChain(mem);
    return 0;
}

} // extern "C"
