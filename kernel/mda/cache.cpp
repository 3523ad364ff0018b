/* The entity cache and the trips of entities to and from the page file.
 *
 * Cache: MDA_CACHE_SIZE slots per model and one round-robin cursor shared by
 * all models. A slot is taken when it is empty or its occupant is not
 * locked; a modified occupant is written to the page file first, a clean one
 * is dropped. When every slot holds a locked entity the caller keeps its
 * entity uncached (MDA_CACHE_FULL, not recorded).
 *
 * Images: an entity's blocks are written back to back (mda_int.h). A
 * single-block entity, the common case, goes to and from the page file
 * without an intermediate copy; larger chains are assembled in one staging
 * buffer that lives as long as the module (no allocation per trip once it
 * has grown). Headers read back are checked (mark, sizes within the image,
 * ordinals within the chain) before anything is allocated from them. */
#include <cstdlib>
#include <cstring>

#include "kernel/mda/mda_int.h"

extern "C" {
uint32_t mda__DefCacheStat = 0;
int32_t mda__CacheCursor = 0;
}

namespace {

unsigned char *g_stage = nullptr;
size_t g_stage_capacity = 0;

bool stage_reserve(size_t n) {
    if (n <= g_stage_capacity) return true;
    size_t grown = g_stage_capacity ? g_stage_capacity : 4096;
    while (grown < n) grown *= 2;
    unsigned char *p = static_cast<unsigned char *>(std::realloc(g_stage, grown));
    if (!p) return false;
    g_stage = p;
    g_stage_capacity = grown;
    return true;
}

/* A vector that needs no allocation for up to 32 elements. */
template <class T> struct SmallVec {
    T local[32];
    T *p = local;
    size_t n = 0, cap = 32;
    ~SmallVec() {
        if (p != local) std::free(p);
    }
    bool push(const T &v) {
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

int compare_reford(const void *a, const void *b) {
    uint32_t x = static_cast<const RefOrd *>(a)->ref, y = static_cast<const RefOrd *>(b)->ref;
    return x < y ? -1 : x > y;
}

/* Number of row pointers of an array block. */
uint64_t row_pointers(const MdaArrayHdr *a) {
    uint64_t rows = 1, pointers = 0;
    for (int32_t k = 0; k < a->ndims - 1; ++k) {
        rows *= uint64_t(a->extents[k]);
        pointers += rows;
    }
    return pointers;
}

void relocate_rows(MBlock *b) {
    MdaArrayHdr *a = reinterpret_cast<MdaArrayHdr *>(b + 1);
    unsigned char *data = mda__DataOf(b);
    intptr_t delta = reinterpret_cast<intptr_t>(data) - intptr_t(a->former);
    void **vec = reinterpret_cast<void **>(data);
    uint64_t n = row_pointers(a);
    for (uint64_t i = 0; i < n; ++i) vec[i] = static_cast<unsigned char *>(vec[i]) + delta;
    a->former = reinterpret_cast<uintptr_t>(data);
}

bool array_header_ok(const MdaArrayHdr *a, int64_t size) {
    if (a->ndims < 1 || a->ndims > 4 || a->element_size < 1 || a->data_back != MDA_MBLOCK_HDR + MDA_ARRAY_HDR)
        return false;
    uint64_t elements = 1;
    for (int32_t k = 0; k < a->ndims; ++k) {
        if (a->extents[k] < 1) return false;
        elements *= uint64_t(a->extents[k]);
        if (elements > (uint64_t(1) << 36)) return false;
    }
    uint64_t need = MDA_MBLOCK_HDR + MDA_ARRAY_HDR + uint64_t(a->elements_offset) +
                    elements * uint64_t(a->element_size);
    return a->elements_offset >= 0 && uint64_t(a->elements_offset) >= row_pointers(a) * sizeof(void *) &&
           need <= uint64_t(size);
}

/* Collects the chain of a record; false when out of memory. */
bool collect(void *record, SmallVec<MBlock *> &blocks, int64_t &total) {
    total = 0;
    for (MBlock *b = mda__BlockOf(record); b; b = b->next) {
        if (!blocks.push(b)) return false;
        total += int64_t(b->size);
    }
    return true;
}

/* Ordinal of the block with a reference, through `sorted` when the chain
 * is long. */
uint32_t ordinal_of(SmallVec<MBlock *> &blocks, const RefOrd *sorted, uint32_t ref) {
    if (!sorted) {
        for (size_t j = 0; j < blocks.n; ++j)
            if (blocks[j]->ref == ref) return uint32_t(j);
        return UINT32_MAX;
    }
    RefOrd key = {ref, 0};
    const RefOrd *hit = static_cast<const RefOrd *>(
        std::bsearch(&key, sorted, blocks.n, sizeof(RefOrd), compare_reford));
    return hit ? hit->ord : UINT32_MAX;
}

void disk_header(MBlock *b, MdaDiskHdr *h) {
    std::memset(h, 0, sizeof *h);
    h->size = int64_t(b->size);
    h->ref_ordinal = -1;
    h->next = -1;
    h->magic = MDA_MAGIC;
    h->kind = b->kind;
    h->flags = b->flags;
    h->tag = b->tag;
}

/* Writes the image of a chain into `out`; positions are reported from
 * `base` (the file offset of the image, or 0 in memory). */
bool serialize(SmallVec<MBlock *> &blocks, int64_t total, int64_t base, unsigned char *out) {
    RefOrd *sorted = nullptr;
    if (blocks.n > 32) {
        sorted = static_cast<RefOrd *>(std::malloc(blocks.n * sizeof(RefOrd)));
        if (!sorted) return false;
        for (size_t j = 0; j < blocks.n; ++j) sorted[j] = {blocks[j]->ref, uint32_t(j)};
        std::qsort(sorted, blocks.n, sizeof(RefOrd), compare_reford);
    }
    int64_t pos = 0;
    SmallVec<int64_t> at;
    for (size_t i = 0; i < blocks.n; ++i) {
        MBlock *b = blocks[i];
        if (!at.push(pos)) {
            std::free(sorted);
            return false;
        }
        MdaDiskHdr h;
        disk_header(b, &h);
        if (i == 0) h.total = total;
        if (i + 1 < blocks.n) {
            MBlock *succ = blocks[i + 1];
            h.ref_offset = succ->back.field.offset;
            h.ref_ordinal = ordinal_of(blocks, sorted, succ->back.field.holder);
            h.next = base + pos + int64_t(b->size);
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
        uint32_t holder = ordinal_of(blocks, sorted, b->back.field.holder);
        uint32_t ordinal = uint32_t(i);
        std::memcpy(out + at[holder] + blocks[holder]->data_back + b->back.field.offset, &ordinal, 4);
    }
    std::free(sorted);
    return true;
}

/* Rebuilds a chain from an image; the record's data, or null (recorded). */
void *deserialize(const unsigned char *image, int64_t total, int64_t base, db_ptr ptr) {
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
        MBlock *b = static_cast<MBlock *>(std::malloc(size_t(h.size)));
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
            std::free(b);
            mda__Error(MDA_MALLOC_ERR);
            bad = 1;
            break;
        }
        if (blocks.n > 1) {
            b->prev = blocks[blocks.n - 2];
            b->prev->next = b;
        }
        if (h.next == -1) break;
        int64_t next = h.next - base;
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

db_ptr ptr_of(const MdaModel *m, uint32_t index) {
    return MDA_MAKE_PTR(uint32_t(m - mda__Models), index);
}

} // namespace

extern "C" {

void mda__FreeStage(void) {
    std::free(g_stage);
    g_stage = nullptr;
    g_stage_capacity = 0;
}

void mda__FreeStored(MdaModel *m, MdaDirEntry *e) {
    if (m->options & MDA_MEMORY_ONLY) {
        std::free(reinterpret_cast<void *>(intptr_t(e->dloc)));
        e->dloc = 0;
    } else if (e->dloc != MDA_NOT_WRITTEN) {
        dof_FreeBlock(m->pagefile, e->dloc);
        e->dloc = MDA_NOT_WRITTEN;
    }
}

void mda__ReleaseCacheEntry(MdaModel *m, MdaDirEntry *e) {
    if (!(e->status & MDA_ST_INCACHE)) return;
    MdaCacheSlot &s = m->cache[e->status & MDA_ST_SLOT];
    s.status = &mda__DefCacheStat;
    s.index = 0;
    e->status &= ~(MDA_ST_INCACHE | MDA_ST_SLOT);
}

int32_t mda__GetCacheEntry(int32_t model, uint32_t index) {
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

int32_t mda__SwapToDisk(int32_t keep, db_ptr ptr) {
    MdaModel *m = nullptr;
    MdaDirEntry *e = mda__Lookup(ptr, &m);
    if (!e) return mda__Error(MDA_INVALID_PTR);
    if (!e->mloc) return 0;
    SmallVec<MBlock *> blocks;
    int64_t total = 0;
    if (!collect(e->mloc, blocks, total)) return mda__Error(MDA_MALLOC_ERR);
    if (total > MDA_MAX_IMAGE) return mda__Error(MDA_DBG_BIGDBLOCK, long(total), ptr);

    if (m->options & MDA_MEMORY_ONLY) {
        unsigned char *image = static_cast<unsigned char *>(std::malloc(size_t(total)));
        if (!image || !serialize(blocks, total, 0, image)) {
            std::free(image);
            return mda__Error(MDA_MALLOC_ERR);
        }
        mda__FreeStored(m, e);
        e->dloc = int64_t(reinterpret_cast<intptr_t>(image));
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
        if (capacity < total) {
            status = dof_FreeBlock(m->pagefile, e->dloc);
            if (status) return status;
            e->dloc = MDA_NOT_WRITTEN;
        }
    }
    if (e->dloc == MDA_NOT_WRITTEN) {
        int64_t offset = -1;
        status = dof_AllocateBlock(m->pagefile, total, &offset);
        if (status) return status;
        e->dloc = offset;
    }
    if (blocks.n == 1) {
        MBlock *b = blocks[0];
        MdaDiskHdr h;
        disk_header(b, &h);
        h.total = total;
        status = dof_ReadWrite(1, m->pagefile, sizeof h, e->dloc, &h);
        if (!status) {
            if (b->kind == MDA_KIND_ARRAY) reinterpret_cast<MdaArrayHdr *>(b + 1)->former = reinterpret_cast<uintptr_t>(mda__DataOf(b));
            status = dof_ReadWrite(1, m->pagefile, total - MDA_MBLOCK_HDR, e->dloc + MDA_MBLOCK_HDR,
                                   reinterpret_cast<unsigned char *>(b) + MDA_MBLOCK_HDR);
        }
    } else {
        if (!stage_reserve(size_t(total)) || !serialize(blocks, total, e->dloc, g_stage))
            return mda__Error(MDA_MALLOC_ERR);
        status = dof_ReadWrite(1, m->pagefile, total, e->dloc, g_stage);
    }
    if (status) return status;
    if (!keep) {
        mda__FreeChain(e->mloc);
        e->mloc = nullptr;
        e->status &= ~MDA_ST_INCACHE;
    }
    e->status &= ~MDA_ST_MODIFIED;
    return 0;
}

void *mda__SwapFromDisk(int32_t options, db_ptr ptr) {
    (void)options;
    MdaModel *m = nullptr;
    MdaDirEntry *e = mda__Lookup(ptr, &m);
    if (!e) {
        mda__Error(MDA_INVALID_PTR);
        return nullptr;
    }
    void *data = nullptr;
    if (m->options & MDA_MEMORY_ONLY) {
        const unsigned char *image = reinterpret_cast<const unsigned char *>(intptr_t(e->dloc));
        if (!image) {
            mda__Error(MDA_INVALID_PTR);
            return nullptr;
        }
        MdaDiskHdr h;
        std::memcpy(&h, image, sizeof h);
        data = deserialize(image, h.total, 0, ptr);
    } else {
        if (e->dloc == MDA_NOT_WRITTEN) {
            mda__Error(MDA_INVALID_PTR);
            return nullptr;
        }
        MdaDiskHdr h;
        if (dof_ReadWrite(0, m->pagefile, sizeof h, e->dloc, &h)) return nullptr;
        if (h.magic != MDA_MAGIC || h.total < h.size || h.total > MDA_MAX_IMAGE ||
            h.size < MDA_MBLOCK_HDR || (h.size & 7)) {
            mda__Error(MDA_DBG_BIGDBLOCK, long(h.total), ptr);
            return nullptr;
        }
        if (h.total == h.size && h.kind == MDA_KIND_PLAIN && h.next == -1) {
            MBlock *b = static_cast<MBlock *>(std::malloc(size_t(h.size)));
            if (!b) {
                mda__Error(MDA_MALLOC_ERR);
                return nullptr;
            }
            std::memset(b, 0, MDA_MBLOCK_HDR);
            b->size = uint64_t(h.size);
            b->magic = MDA_MAGIC;
            b->kind = MDA_KIND_PLAIN;
            b->flags = MDA_FLAG_INDEPENDENT | MDA_FLAG_RECORD;
            b->data_back = MDA_MBLOCK_HDR;
            if (dof_ReadWrite(0, m->pagefile, h.size - MDA_MBLOCK_HDR, e->dloc + MDA_MBLOCK_HDR,
                              reinterpret_cast<unsigned char *>(b) + MDA_MBLOCK_HDR)) {
                std::free(b);
                return nullptr;
            }
            b->ref = mda__NewRef(mda__DataOf(b));
            if (!b->ref) {
                std::free(b);
                mda__Error(MDA_MALLOC_ERR);
                return nullptr;
            }
            data = mda__DataOf(b);
        } else {
            if (!stage_reserve(size_t(h.total))) {
                mda__Error(MDA_MALLOC_ERR);
                return nullptr;
            }
            if (dof_ReadWrite(0, m->pagefile, h.total, e->dloc, g_stage)) return nullptr;
            data = deserialize(g_stage, h.total, e->dloc, ptr);
        }
    }
    if (!data) return nullptr;
    e->mloc = data;
    if (mda__GetCacheEntry(int32_t(MDA_PTR_MODEL(ptr)), MDA_PTR_INDEX(ptr)) == 0)
        e->status |= MDA_ST_INCACHE;
    return data;
}

int32_t mda__FlushCache(int32_t model) {
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
