/* The entity cache and the trips of entities to and from the page file.
 *
 * Cache: MDA_CACHE_SIZE slots per model and one round-robin cursor shared by
 * all models. A slot is taken when it is empty or its occupant is not
 * locked; a modified occupant is written to the page file first, a clean one
 * is dropped. When every slot holds a locked entity the caller keeps its
 * entity uncached (MDA_CACHE_FULL, not recorded).
 *
 * Images: an entity's blocks are written back to back and stored packed
 * (mda_int.h). A single-block entity, the common case, is packed straight
 * from its record and unpacked straight into its new record; larger chains
 * are assembled in a staging buffer. Both buffers live as long as the module
 * (no allocation per trip once they have grown). Headers read back are
 * checked (mark, sizes within the image, ordinals within the chain) and the
 * packed stream is bounded by the stored length before anything is allocated
 * or written from them. */
#include <cstdlib>
#include <cstring>

#include "kernel/mda/mda_int.h"
#include "kernel/mpm/mpm.h"

extern "C" {
uint32_t mda__DefCacheStat = 0;
int32_t mda__CacheCursor = 0;
}

namespace {

struct Buffer {
    unsigned char *p = nullptr;
    size_t capacity = 0;
    bool reserve(size_t n)
    {
        if (n <= capacity) return true;
        size_t grown = capacity ? capacity : 4096;
        while (grown < n) grown *= 2;
        unsigned char *q = static_cast<unsigned char *>(std::realloc(p, grown));
        if (!q) return false;
        p = q;
        capacity = grown;
        return true;
    }
    void release()
    {
        std::free(p);
        p = nullptr;
        capacity = 0;
    }
};

Buffer g_image;  /* an unpacked image of several blocks */
Buffer g_stored; /* a stored (packed) image */

/* Most bytes packing n bytes can take. */
size_t pack_bound(size_t n) { return n + 4 * (n / (8 * 65535) + 2); }

uint64_t word_at(const unsigned char *p, size_t i)
{
    uint64_t w;
    std::memcpy(&w, p + 8 * i, 8);
    return w;
}

/* Packs n bytes (a multiple of 8) as tokens {literal words, zero words,
 * literals}; returns the packed length. Zero runs, most of an image, are
 * skipped four words at a time. */
size_t pack(const unsigned char *src, size_t n, unsigned char *dst)
{
    const size_t words = n / 8;
    unsigned char *out = dst;
    size_t i = 0;
    while (i < words) {
        const size_t lit = i, lit_end = words - lit < 65535 ? words : lit + 65535;
        while (i < lit_end && word_at(src, i) != 0) ++i;
        const size_t zero = i, zero_end = words - zero < 65535 ? words : zero + 65535;
        while (zero_end - i >= 4 &&
               (word_at(src, i) | word_at(src, i + 1) | word_at(src, i + 2) | word_at(src, i + 3)) == 0)
            i += 4;
        while (i < zero_end && word_at(src, i) == 0) ++i;
        const uint16_t t[2] = {uint16_t(zero - lit), uint16_t(i - zero)};
        std::memcpy(out, t, 4);
        std::memcpy(out + 4, src + 8 * lit, 8 * (zero - lit));
        out += 4 + 8 * (zero - lit);
    }
    return size_t(out - dst);
}

/* Unpacks exactly n bytes from at most len packed bytes; false when the
 * stream is short or overruns n. The image is cleared first and only the
 * literals are copied, short ones a word at a time: an image has a dozen
 * runs of a few words, and a library call per run cost more than the run. */
bool unpack(const unsigned char *src, size_t len, unsigned char *dst, size_t n)
{
    std::memset(dst, 0, n);
    size_t in = 0, out = 0;
    while (out < n) {
        uint16_t t[2];
        if (len - in < 4) return false;
        std::memcpy(t, src + in, 4);
        in += 4;
        const size_t lit = size_t(t[0]) * 8, zero = size_t(t[1]) * 8;
        if ((lit == 0 && zero == 0) || lit > len - in || lit + zero > n - out) return false;
        if (lit <= 32) {
            for (size_t k = 0; k < lit; k += 8) std::memcpy(dst + out + k, src + in + k, 8);
        } else {
            std::memcpy(dst + out, src + in, lit);
        }
        in += lit;
        out += lit + zero;
    }
    return true;
}

/* Fills `stored` with the stored form of an image whose first header is h
 * and whose remaining bytes are body[0..n); returns its length. */
size_t store(MdaDiskHdr h, const unsigned char *body, size_t n, unsigned char *stored)
{
    size_t packed = pack(body, n, stored + sizeof h);
    if (packed < n) {
        h.packed = 1;
    } else {
        h.packed = 0;
        std::memcpy(stored + sizeof h, body, n);
        packed = n;
    }
    std::memcpy(stored, &h, sizeof h);
    return sizeof h + packed;
}

/* A vector that needs no allocation for up to 32 elements. */
template <class T> struct SmallVec {
    T local[32];
    T *p = local;
    size_t n = 0, cap = 32;
    ~SmallVec()
    {
        if (p != local) std::free(p);
    }
    bool push(const T &v)
    {
        if (n == cap) {
            T *q = static_cast<T *>(std::malloc(2 * cap * sizeof(T)));
            if (!q) return false;
            std::memcpy(q, p, n * sizeof(T));
            if (p != local) std::free(p);
            p = q;
            cap *= 2;
        }
        p[n++] = v;
        return true;
    }
    T &operator[](size_t i) { return p[i]; }
};

struct RefOrd {
    uint32_t ref;
    uint32_t ord;
};

int compare_reford(const void *a, const void *b)
{
    uint32_t x = static_cast<const RefOrd *>(a)->ref, y = static_cast<const RefOrd *>(b)->ref;
    return x < y ? -1 : x > y;
}

/* Number of row pointers of an array block. */
uint64_t row_pointers(const MdaArrayHdr *a)
{
    uint64_t rows = 1, pointers = 0;
    for (int32_t k = 0; k < a->ndims - 1; ++k) {
        rows *= uint64_t(a->extents[k]);
        pointers += rows;
    }
    return pointers;
}

void relocate_rows(MBlock *b)
{
    MdaArrayHdr *a = reinterpret_cast<MdaArrayHdr *>(b + 1);
    unsigned char *data = mda__DataOf(b);
    intptr_t delta = reinterpret_cast<intptr_t>(data) - intptr_t(a->former);
    void **vec = reinterpret_cast<void **>(data);
    uint64_t n = row_pointers(a);
    for (uint64_t i = 0; i < n; ++i) vec[i] = static_cast<unsigned char *>(vec[i]) + delta;
    a->former = reinterpret_cast<uintptr_t>(data);
}

bool array_header_ok(const MdaArrayHdr *a, int64_t size)
{
    if (a->ndims < 1 || a->ndims > 4 || a->element_size < 1 || a->data_back != MDA_MBLOCK_HDR + MDA_ARRAY_HDR)
        return false;
    uint64_t elements = 1;
    for (int32_t k = 0; k < a->ndims; ++k) {
        if (a->extents[k] < 1) return false;
        elements *= uint64_t(a->extents[k]);
        if (elements > (uint64_t(1) << 36)) return false;
    }
    uint64_t need =
        MDA_MBLOCK_HDR + MDA_ARRAY_HDR + uint64_t(a->elements_offset) + elements * uint64_t(a->element_size);
    return a->elements_offset >= 0 && uint64_t(a->elements_offset) >= row_pointers(a) * sizeof(void *) &&
           need <= uint64_t(size);
}

/* Collects the chain of a record; false when out of memory. */
bool collect(void *record, SmallVec<MBlock *> &blocks, int64_t &total)
{
    total = 0;
    for (MBlock *b = mda__BlockOf(record); b; b = b->next) {
        if (!blocks.push(b)) return false;
        total += int64_t(b->size);
    }
    return true;
}

/* Ordinal of the block with a reference, through `sorted` when the chain
 * is long. */
uint32_t ordinal_of(SmallVec<MBlock *> &blocks, const RefOrd *sorted, uint32_t ref)
{
    if (!sorted) {
        for (size_t j = 0; j < blocks.n; ++j)
            if (blocks[j]->ref == ref) return uint32_t(j);
        return UINT32_MAX;
    }
    RefOrd key = {ref, 0};
    const RefOrd *hit =
        static_cast<const RefOrd *>(std::bsearch(&key, sorted, blocks.n, sizeof(RefOrd), compare_reford));
    return hit ? hit->ord : UINT32_MAX;
}

void disk_header(MBlock *b, MdaDiskHdr *h)
{
    std::memset(h, 0, sizeof *h);
    h->size = int64_t(b->size);
    h->ref_ordinal = -1;
    h->next = -1;
    h->magic = MDA_MAGIC;
    h->kind = b->kind;
    h->flags = b->flags;
    h->tag = b->tag;
}

/* Writes the image of a chain into `out`; 0 or a status (recorded). */
int32_t serialize(SmallVec<MBlock *> &blocks, int64_t total, unsigned char *out)
{
    RefOrd *sorted = nullptr;
    if (blocks.n > 32) {
        sorted = static_cast<RefOrd *>(std::malloc(blocks.n * sizeof(RefOrd)));
        if (!sorted) return mda__Error(MDA_MALLOC_ERR);
        for (size_t j = 0; j < blocks.n; ++j) sorted[j] = {blocks[j]->ref, uint32_t(j)};
        std::qsort(sorted, blocks.n, sizeof(RefOrd), compare_reford);
    }
    /* Every block but the record is referred to from a field that lies in
     * a block of the chain. */
    SmallVec<uint32_t> holders;
    for (size_t i = 0; i < blocks.n; ++i) {
        MBlock *b = blocks[i];
        uint32_t holder = 0;
        if (i > 0) {
            holder =
                b->tag == MDA_BACKREF_FIELD ? ordinal_of(blocks, sorted, b->back.field.holder) : UINT32_MAX;
            if (holder == UINT32_MAX ||
                uint64_t(b->back.field.offset) + 4 > blocks[holder]->size - blocks[holder]->data_back) {
                std::free(sorted);
                return mda__Error(MDA_BAD_MBLOCK, static_cast<void *>(b));
            }
        }
        if (!holders.push(holder)) {
            std::free(sorted);
            return mda__Error(MDA_MALLOC_ERR);
        }
    }
    int64_t pos = 0;
    SmallVec<int64_t> at;
    for (size_t i = 0; i < blocks.n; ++i) {
        MBlock *b = blocks[i];
        if (!at.push(pos)) {
            std::free(sorted);
            return mda__Error(MDA_MALLOC_ERR);
        }
        MdaDiskHdr h;
        disk_header(b, &h);
        if (i == 0) h.total = total;
        if (i + 1 < blocks.n) {
            MBlock *succ = blocks[i + 1];
            h.ref_offset = succ->back.field.offset;
            h.ref_ordinal = holders[i + 1];
            h.next = pos + int64_t(b->size);
        }
        std::memcpy(out + pos, &h, sizeof h);
        std::memcpy(out + pos + MDA_MBLOCK_HDR, reinterpret_cast<unsigned char *>(b) + MDA_MBLOCK_HDR,
                    size_t(b->size) - MDA_MBLOCK_HDR);
        if (b->kind == MDA_KIND_ARRAY) {
            uint64_t former = reinterpret_cast<uintptr_t>(mda__DataOf(b));
            std::memcpy(out + pos + MDA_MBLOCK_HDR, &former, sizeof former);
        }
        pos += int64_t(b->size);
    }
    /* Fields referring to blocks of the chain hold ordinals on disk. */
    for (size_t i = 1; i < blocks.n; ++i) {
        MBlock *b = blocks[i];
        uint32_t holder = holders[i];
        uint32_t ordinal = uint32_t(i);
        std::memcpy(out + at[holder] + blocks[holder]->data_back + b->back.field.offset, &ordinal, 4);
    }
    std::free(sorted);
    return 0;
}

/* Rebuilds a chain from an image; the record's data, or null (recorded). */
void *deserialize(const unsigned char *image, int64_t total, db_ptr ptr)
{
    SmallVec<MBlock *> blocks;
    SmallVec<MdaDiskHdr> headers;
    int64_t pos = 0;
    int32_t bad = 0;
    for (;;) {
        MdaDiskHdr h;
        std::memcpy(&h, image + pos, sizeof h);
        int64_t data_back = h.kind == MDA_KIND_ARRAY ? MDA_MBLOCK_HDR + MDA_ARRAY_HDR : MDA_MBLOCK_HDR;
        if (h.magic != MDA_MAGIC || (h.kind != MDA_KIND_PLAIN && h.kind != MDA_KIND_ARRAY) ||
            h.size < data_back || h.size > total - pos || (h.size & 7)) {
            mda__Error(MDA_DBG_BIGDBLOCK, long(h.size), ptr);
            bad = 1;
            break;
        }
        if (h.kind == MDA_KIND_ARRAY &&
            !array_header_ok(reinterpret_cast<const MdaArrayHdr *>(image + pos + MDA_MBLOCK_HDR), h.size)) {
            mda__Error(MDA_DBG_BADBLOCKNUM, int(blocks.n), ptr);
            bad = 1;
            break;
        }
        MBlock *b = mda__AllocBlockMemory(size_t(h.size));
        if (!b) {
            mda__Error(MDA_MALLOC_ERR);
            bad = 1;
            break;
        }
        std::memcpy(reinterpret_cast<unsigned char *>(b) + MDA_MBLOCK_HDR, image + pos + MDA_MBLOCK_HDR,
                    size_t(h.size) - MDA_MBLOCK_HDR);
        std::memset(b, 0, MDA_MBLOCK_HDR);
        b->size = uint64_t(h.size);
        b->magic = MDA_MAGIC;
        b->kind = h.kind;
        b->flags = blocks.n == 0 ? uint8_t(MDA_FLAG_INDEPENDENT | MDA_FLAG_RECORD) : 0;
        b->data_back = uint32_t(data_back);
        b->ref = mda__NewRef(mda__DataOf(b));
        if (!b->ref || !blocks.push(b) || !headers.push(h)) {
            if (b->ref) mda__FreeRef(b->ref);
            mda__FreeBlockMemory(b);
            mda__Error(MDA_MALLOC_ERR);
            bad = 1;
            break;
        }
        if (blocks.n > 1) {
            b->prev = blocks[blocks.n - 2];
            b->prev->next = b;
        }
        if (h.next == -1) break;
        int64_t next = h.next;
        if (next != pos + h.size || next > total - int64_t(sizeof(MdaDiskHdr))) {
            mda__Error(MDA_DBG_BADBLOCKNUM, int(blocks.n), ptr);
            bad = 1;
            break;
        }
        pos = next;
    }
    for (size_t i = 0; !bad && i + 1 < blocks.n; ++i) {
        const MdaDiskHdr &h = headers[i];
        MBlock *succ = blocks[i + 1];
        if (h.ref_ordinal < 0 || uint64_t(h.ref_ordinal) >= blocks.n) {
            mda__Error(MDA_DBG_BADPTRNUM, int(h.ref_ordinal), ptr);
            bad = 1;
            break;
        }
        MBlock *holder = blocks[size_t(h.ref_ordinal)];
        unsigned char *field = mda__DataOf(holder) + h.ref_offset;
        uint32_t ordinal;
        if (h.ref_offset < 0 || h.ref_offset + 4 > int64_t(holder->size) - holder->data_back ||
            (std::memcpy(&ordinal, field, 4), ordinal != i + 1)) {
            mda__Error(MDA_DBG_BADPTRNUM, int(i + 1), ptr);
            bad = 1;
            break;
        }
        std::memcpy(field, &succ->ref, 4);
        succ->tag = MDA_BACKREF_FIELD;
        succ->back.field.holder = holder->ref;
        succ->back.field.offset = uint32_t(h.ref_offset);
    }
    if (bad) {
        for (size_t i = 0; i < blocks.n; ++i) mda__DropBlock(blocks[i]);
        return nullptr;
    }
    for (size_t i = 0; i < blocks.n; ++i)
        if (blocks[i]->kind == MDA_KIND_ARRAY) relocate_rows(blocks[i]);
    return mda__DataOf(blocks[0]);
}

db_ptr ptr_of(const MdaModel *m, uint32_t index) { return MDA_MAKE_PTR(uint32_t(m - mda__Models), index); }

} // namespace

extern "C" {

void mda__FreeStage(void)
{
    g_image.release();
    g_stored.release();
}

void mda__FreeStored(MdaModel *m, MdaDirEntry *e)
{
    if (m->options & MDA_MEMORY_ONLY) {
        std::free(reinterpret_cast<void *>(intptr_t(e->dloc)));
        e->dloc = 0;
    } else if (e->dloc != MDA_NOT_WRITTEN) {
        dof_FreeBlock(m->pagefile, e->dloc);
        e->dloc = MDA_NOT_WRITTEN;
    }
}

void mda__ReleaseCacheEntry(MdaModel *m, MdaDirEntry *e)
{
    if (!(e->status & MDA_ST_INCACHE)) return;
    MdaCacheSlot &s = m->cache[e->status & MDA_ST_SLOT];
    s.status = &mda__DefCacheStat;
    s.index = 0;
    e->status &= ~(MDA_ST_INCACHE | MDA_ST_SLOT);
}

int32_t mda__GetCacheEntry(int32_t model, uint32_t index)
{
    MdaModel *m = mda__Model(model);
    if (!m || !m->cache || m->cache_size < 1) return MDA_CACHE_FULL;
    for (int32_t tries = 0; tries < m->cache_size; ++tries) {
        mda__CacheCursor = mda__CacheCursor + 1 >= m->cache_size ? 0 : mda__CacheCursor + 1;
        MdaCacheSlot &s = m->cache[mda__CacheCursor];
        if (s.index != 0 && (*s.status & MDA_ST_RWLOCK)) continue;
        if (s.index != 0 && s.index != index) {
            MdaDirEntry *occupant = mda__Entry(m, s.index);
            if (occupant->status & MDA_ST_MODIFIED) {
                int32_t status = mda__SwapToDisk(0, ptr_of(m, s.index));
                if (status) return status;
            } else if (occupant->mloc) {
                mda__FreeChain(occupant->mloc);
            }
            occupant->mloc = nullptr;
            occupant->status &= ~(MDA_ST_INCACHE | MDA_ST_SLOT);
        }
        MdaDirEntry *e = mda__Entry(m, index);
        s.status = &e->status;
        s.index = index;
        e->status = (e->status & ~MDA_ST_SLOT) | uint32_t(mda__CacheCursor);
        return 0;
    }
    return MDA_CACHE_FULL;
}

int32_t mda__SwapToDisk(int32_t keep, db_ptr ptr)
{
    MdaModel *m = nullptr;
    MdaDirEntry *e = mda__Lookup(ptr, &m);
    if (!e) return mda__Error(MDA_INVALID_PTR);
    if (!e->mloc) return 0;
    SmallVec<MBlock *> blocks;
    int64_t total = 0;
    if (!collect(e->mloc, blocks, total)) return mda__Error(MDA_MALLOC_ERR);
    if (total > MDA_MAX_IMAGE) return mda__Error(MDA_DBG_BIGDBLOCK, long(total), ptr);
    const bool memory_only = (m->options & MDA_MEMORY_ONLY) != 0;

    /* The stored form, in g_stored (after an 8-byte length in memory-only
     * models, whose stored copy is that buffer's copy). */
    const size_t lead = memory_only ? 8 : 0;
    const size_t body = size_t(total) - MDA_MBLOCK_HDR;
    if (!g_stored.reserve(lead + MDA_MBLOCK_HDR + pack_bound(body))) return mda__Error(MDA_MALLOC_ERR);
    size_t stored;
    if (blocks.n == 1) {
        MBlock *b = blocks[0];
        MdaDiskHdr h;
        disk_header(b, &h);
        h.total = total;
        if (b->kind == MDA_KIND_ARRAY)
            reinterpret_cast<MdaArrayHdr *>(b + 1)->former = reinterpret_cast<uintptr_t>(mda__DataOf(b));
        stored = store(h, reinterpret_cast<unsigned char *>(b) + MDA_MBLOCK_HDR, body, g_stored.p + lead);
    } else {
        if (!g_image.reserve(size_t(total))) return mda__Error(MDA_MALLOC_ERR);
        int32_t status = serialize(blocks, total, g_image.p);
        if (status) return status;
        MdaDiskHdr h;
        std::memcpy(&h, g_image.p, sizeof h);
        stored = store(h, g_image.p + MDA_MBLOCK_HDR, body, g_stored.p + lead);
    }

    if (memory_only) {
        unsigned char *copy = static_cast<unsigned char *>(std::malloc(lead + stored));
        if (!copy) return mda__Error(MDA_MALLOC_ERR);
        int64_t len = int64_t(stored);
        std::memcpy(g_stored.p, &len, 8);
        std::memcpy(copy, g_stored.p, lead + stored);
        mda__FreeStored(m, e);
        e->dloc = int64_t(reinterpret_cast<intptr_t>(copy));
        mda__FreeChain(e->mloc);
        e->mloc = nullptr;
        e->status &= ~(MDA_ST_MODIFIED | MDA_ST_INCACHE);
        return 0;
    }

    int32_t status = 0;
    if (e->dloc != MDA_NOT_WRITTEN) {
        int64_t capacity = 0;
        status = dof_GetBlockSize(m->pagefile, e->dloc, &capacity);
        if (status) return status;
        if (capacity < int64_t(stored)) {
            status = dof_FreeBlock(m->pagefile, e->dloc);
            if (status) return status;
            e->dloc = MDA_NOT_WRITTEN;
        }
    }
    if (e->dloc == MDA_NOT_WRITTEN) {
        int64_t offset = -1;
        status = dof_AllocateBlock(m->pagefile, int64_t(stored), &offset);
        if (status) return status;
        e->dloc = offset;
    }
    status = dof_ReadWrite(1, m->pagefile, int64_t(stored), e->dloc, g_stored.p);
    if (status) return status;
    if (!keep) {
        mda__FreeChain(e->mloc);
        e->mloc = nullptr;
        e->status &= ~MDA_ST_INCACHE;
    }
    e->status &= ~MDA_ST_MODIFIED;
    return 0;
}

} // extern "C"

namespace {

/* The stored form of an entity, read into g_stored (page file) or found in
 * memory; its length in *len. */
const unsigned char *stored_copy(MdaModel *m, MdaDirEntry *e, int64_t *len)
{
    if (m->options & MDA_MEMORY_ONLY) {
        const unsigned char *copy = reinterpret_cast<const unsigned char *>(intptr_t(e->dloc));
        if (!copy) return nullptr;
        std::memcpy(len, copy, 8);
        return copy + 8;
    }
    if (e->dloc == MDA_NOT_WRITTEN) return nullptr;
    int64_t capacity = 0;
    if (dof_GetBlockSize(m->pagefile, e->dloc, &capacity)) return nullptr;
    if (capacity < MDA_MBLOCK_HDR || capacity > MDA_MAX_IMAGE + MDA_MAX_IMAGE / 8 ||
        !g_stored.reserve(size_t(capacity))) {
        mda__Error(MDA_MALLOC_ERR);
        return nullptr;
    }
    if (dof_ReadWrite(0, m->pagefile, capacity, e->dloc, g_stored.p)) return nullptr;
    *len = capacity;
    return g_stored.p;
}

/* The image bytes after the first header, into dst (n bytes). */
bool expand(const MdaDiskHdr &h, const unsigned char *stored, int64_t len, unsigned char *dst, size_t n)
{
    const unsigned char *body = stored + MDA_MBLOCK_HDR;
    size_t avail = size_t(len) - MDA_MBLOCK_HDR;
    if (h.packed) return unpack(body, avail, dst, n);
    if (n > avail) return false;
    std::memcpy(dst, body, n);
    return true;
}

} // namespace

extern "C" int32_t mda__ReadStoredPrefix(MdaModel *m, MdaDirEntry *e, unsigned char *out, int64_t want)
{
    if (want < MDA_MBLOCK_HDR) return 0;
    const unsigned char *stored = nullptr;
    unsigned char local[2048];
    int64_t len = 0;
    if (m->options & MDA_MEMORY_ONLY) {
        const unsigned char *copy = reinterpret_cast<const unsigned char *>(intptr_t(e->dloc));
        if (!copy) return 0;
        std::memcpy(&len, copy, 8);
        stored = copy + 8;
    } else {
        if (e->dloc == MDA_NOT_WRITTEN) return 0;
        int64_t capacity = 0;
        if (dof_GetBlockSize(m->pagefile, e->dloc, &capacity)) return 0;
        len = capacity < int64_t(sizeof local) ? capacity : int64_t(sizeof local);
        if (dof_ReadWrite(0, m->pagefile, len, e->dloc, local)) return 0;
        stored = local;
    }
    if (len < MDA_MBLOCK_HDR) return 0;
    MdaDiskHdr h;
    std::memcpy(&h, stored, sizeof h);
    if (h.magic != MDA_MAGIC || h.total < want) return 0;
    std::memcpy(out, stored, MDA_MBLOCK_HDR);
    /* Only a prefix is wanted: unpack into a scratch image of that size. */
    const unsigned char *body = stored + MDA_MBLOCK_HDR;
    size_t avail = size_t(len) - MDA_MBLOCK_HDR, need = size_t(want) - MDA_MBLOCK_HDR, in = 0, got = 0;
    unsigned char *dst = out + MDA_MBLOCK_HDR;
    if (!h.packed) {
        if (need > avail) return 0;
        std::memcpy(dst, body, need);
        return 1;
    }
    while (got < need) {
        uint16_t t[2];
        if (avail - in < 4) return 0;
        std::memcpy(t, body + in, 4);
        in += 4;
        size_t lit = size_t(t[0]) * 8, zero = size_t(t[1]) * 8;
        if ((lit == 0 && zero == 0) || lit > avail - in) return 0;
        size_t take = lit < need - got ? lit : need - got;
        std::memcpy(dst + got, body + in, take);
        got += take;
        size_t z = zero < need - got ? zero : need - got;
        std::memset(dst + got, 0, z);
        got += z;
        in += lit;
    }
    return 1;
}

extern "C" void *mda__SwapFromDisk(int32_t options, db_ptr ptr)
{
    (void)options;
    MdaModel *m = nullptr;
    MdaDirEntry *e = mda__Lookup(ptr, &m);
    if (!e) {
        mda__Error(MDA_INVALID_PTR);
        return nullptr;
    }
    int64_t len = 0;
    const unsigned char *stored = stored_copy(m, e, &len);
    if (!stored) {
        if (!mpm_GetLastError()) mda__Error(MDA_INVALID_PTR);
        return nullptr;
    }
    MdaDiskHdr h;
    std::memcpy(&h, stored, sizeof h);
    if (h.magic != MDA_MAGIC || h.total < h.size || h.total > MDA_MAX_IMAGE || h.size < MDA_MBLOCK_HDR ||
        (h.size & 7) || (h.total & 7)) {
        mda__Error(MDA_DBG_BIGDBLOCK, long(h.total), ptr);
        return nullptr;
    }
    void *data = nullptr;
    if (h.total == h.size && h.kind == MDA_KIND_PLAIN && h.next == -1) {
        MBlock *b = mda__AllocBlockMemory(size_t(h.size));
        if (!b) {
            mda__Error(MDA_MALLOC_ERR);
            return nullptr;
        }
        if (!expand(h, stored, len, reinterpret_cast<unsigned char *>(b) + MDA_MBLOCK_HDR,
                    size_t(h.size) - MDA_MBLOCK_HDR)) {
            b->size = uint64_t(h.size);
            mda__FreeBlockMemory(b);
            mda__Error(MDA_DBG_BADBLOCKNUM, 0, ptr);
            return nullptr;
        }
        std::memset(b, 0, MDA_MBLOCK_HDR);
        b->size = uint64_t(h.size);
        b->magic = MDA_MAGIC;
        b->kind = MDA_KIND_PLAIN;
        b->flags = MDA_FLAG_INDEPENDENT | MDA_FLAG_RECORD;
        b->data_back = MDA_MBLOCK_HDR;
        b->ref = mda__NewRef(mda__DataOf(b));
        if (!b->ref) {
            mda__FreeBlockMemory(b);
            mda__Error(MDA_MALLOC_ERR);
            return nullptr;
        }
        data = mda__DataOf(b);
    } else {
        if (!g_image.reserve(size_t(h.total))) {
            mda__Error(MDA_MALLOC_ERR);
            return nullptr;
        }
        std::memcpy(g_image.p, &h, sizeof h);
        if (!expand(h, stored, len, g_image.p + MDA_MBLOCK_HDR, size_t(h.total) - MDA_MBLOCK_HDR)) {
            mda__Error(MDA_DBG_BADBLOCKNUM, 0, ptr);
            return nullptr;
        }
        data = deserialize(g_image.p, h.total, ptr);
    }
    if (!data) return nullptr;
    e->mloc = data;
    if (mda__GetCacheEntry(int32_t(MDA_PTR_MODEL(ptr)), MDA_PTR_INDEX(ptr)) == 0) e->status |= MDA_ST_INCACHE;
    return data;
}

extern "C" {
int32_t mda__FlushCache(int32_t model)
{
    MdaModel *m = mda__Model(model);
    if (!m) return mda__Error(MDA_INVALID_MODEL);
    int32_t first = 0;
    for (int32_t s = 0; s < m->cache_size; ++s) {
        MdaCacheSlot &slot = m->cache[s];
        if (slot.index == 0) continue;
        MdaDirEntry *e = mda__Entry(m, slot.index);
        int32_t status = 0;
        if (e->status & MDA_ST_MODIFIED) status = mda__SwapToDisk(0, ptr_of(m, slot.index));
        if (status && !first) first = status;
        if (e->mloc) mda__FreeChain(e->mloc);
        e->mloc = nullptr;
        e->status &= ~(MDA_ST_INCACHE | MDA_ST_SLOT);
        slot.status = &mda__DefCacheStat;
        slot.index = 0;
    }
    return first;
}

} // extern "C"
