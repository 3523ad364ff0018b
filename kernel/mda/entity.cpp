/* Entities: allocation of records, their entry into a model under a new or
 * reserved db_ptr, reservation, type-form changes, defaults and deletion.
 * A record's header carries its TF, TFI, own db_ptr and original db_ptr; an
 * allocated record not yet entered has the index part 0 in both pointers. */
#include <cstring>

#include "kernel/ddf/ddf_int.h"
#include "kernel/mda/mda_int.h"
#include "kernel/mpm/mpm_int.h"

namespace {

mda_EntHdr *header_of(void *mem) { return static_cast<mda_EntHdr *>(mem); }

int32_t apply_default(void *entity, int32_t count, int32_t kind, void *data, const DdfField *field)
{
    (void)entity;
    if (!data || count <= 0) return 0;
    unsigned char *p = static_cast<unsigned char *>(data);
    int32_t size = ddf_KindSize(kind);
    if (kind == DDF_KIND_FSTRING && field->ndims > 0) size = field->dims[field->ndims - 1].extent;
    if (kind == DDF_KIND_UNION) {
        /* The selector of each union element; elements are field->key apart. */
        for (int32_t i = 0; i < count; ++i) std::memset(p + int64_t(i) * field->key, 0, 2);
        return 0;
    }
    if (size <= 0) return 0;
    for (int32_t i = 0; i < count; ++i) ddf_GetFieldDefault(field, p + int64_t(i) * size);
    return 0;
}

/* Enters an allocated record into its model. */
int32_t enter(int32_t options, void *mem, db_ptr *ptr, bool locked, bool use_cache)
{
    if (!mem) return mda__Error(MDA_NULL_MEMPTR);
    mda_EntHdr *h = header_of(mem);
    const int32_t number = int32_t(MDA_PTR_MODEL(h->self));
    MdaModel *m = mda__Model(number);
    if (!m) return mda__Error(MDA_INVALID_MODEL);

    uint32_t index = 0;
    if (options & MDA_USE_RESERVED) {
        if (!ptr) return mda__Error(MDA_NULL_MEMPTR);
        db_ptr given = *ptr;
        uint32_t i = MDA_PTR_INDEX(given);
        if (int32_t(MDA_PTR_MODEL(given)) != number || i == 0 || i >= m->next_index ||
            mda__Entry(m, i)->status != MDA_ST_RESERVED)
            return mda__Error(MDA_PTR_ALREADY_CREATED, given);
        index = i;
    } else {
        int32_t status = mda__AllocPtr(m, &index);
        if (status) return status;
    }
    const db_ptr p = MDA_MAKE_PTR(number, index);
    MdaDirEntry *e = mda__Entry(m, index);
    e->dloc = (m->options & MDA_MEMORY_ONLY) ? 0 : MDA_NOT_WRITTEN;
    e->status = 0;
    e->tf = h->tf;
    e->mloc = mem;
    if (MDA_PTR_INDEX(h->orig) == 0) h->orig = p;
    h->self = p;
    if (ptr) *ptr = p;

    mda__CallCallbacks(m, MDA_EVENT_CREATED, p);
    mda_AddToEntityList(m->entlist, h->tfi, p);
    m->nentities++;

    if (use_cache && mda__GetCacheEntry(number, index) == 0) e->status |= MDA_ST_INCACHE;
    int32_t status = 0;
    if (locked) {
        e->status |= MDA_ST_NEW | MDA_ST_MODIFIED | MDA_ST_RWLOCK | (1u << MDA_ST_LOCK_SHIFT);
    } else {
        const bool cached = (e->status & MDA_ST_INCACHE) != 0;
        status = mda__SwapToDisk(cached ? 1 : 0, p);
    }
    if (!status && (options & MDA_CREATE_BACKPTRS)) status = mda_SetBackPtrs(0, p);
    return status;
}

} // namespace

extern "C" {

int32_t mda_MallocEntity2(int32_t options, int32_t model, mda_tf tf, void **mem)
{
    if (!mem) return mda__Error(MDA_NULL_MEMPTR);
    *mem = nullptr;
    MdaModel *m = mda__Model(model);
    if (!m) return mda__Error(MDA_INVALID_MODEL);
    int32_t tfi = ddf_GetTFI(m->ddf, tf);
    if (tfi < 0 || m->ddf->ent_info[tfi] == 2 || m->ddf->ent_info[tfi] == 6) return MDA_TF_NOT_FOUND;
    size_t size = m->ddf->ent_sizes[tfi];
    MBlock *b = mda__NewBlock(MDA_MBLOCK_HDR + size, MDA_KIND_PLAIN, MDA_MBLOCK_HDR);
    if (!b) return mda__Error(MDA_MALLOC_ERR);
    b->flags = MDA_FLAG_INDEPENDENT | MDA_FLAG_RECORD;
    void *data = mda__DataOf(b);
    mda_EntHdr *h = header_of(data);
    h->tf = tf;
    h->tfi = tfi;
    h->self = MDA_MAKE_PTR(model, 0);
    h->orig = h->self;
    if (options & MDA_DEFAULTS) mda_DefaultEntity(0, data);
    *mem = data;
    return 0;
}

int32_t mda_CreateEntity(int32_t options, void *mem, db_ptr *ptr)
{
    return enter(options, mem, ptr, (options & MDA_CREATE_LOCKED) != 0, true);
}

int32_t mda_AllocateEntity2(int32_t options, int32_t model, mda_tf tf, void **mem, db_ptr *ptr)
{
    void *rec = nullptr;
    if (mem) *mem = nullptr;
    int32_t status = mda_MallocEntity2(options & MDA_DEFAULTS, model, tf, &rec);
    if (status) return status;
    status = enter(options & MDA_USE_RESERVED, rec, ptr, !(options & MDA_ALLOC_WRITE),
                   !(options & MDA_ALLOC_NOCACHE));
    if (status) {
        mda_EntHdr *h = header_of(rec);
        if (MDA_PTR_INDEX(h->self) == 0) mda__FreeChain(rec);
        return status;
    }
    if (mem) *mem = (options & MDA_ALLOC_WRITE) ? nullptr : rec;
    return 0;
}

int32_t mda_ReserveEntity2(int32_t options, int32_t model, db_ptr *ptr)
{
    (void)options;
    if (!ptr) return mda__Error(MDA_NULL_MEMPTR);
    MdaModel *m = mda__Model(model);
    if (!m) return mda__Error(MDA_INVALID_MODEL);
    uint32_t index = 0;
    int32_t status = mda__AllocPtr(m, &index);
    if (status) return status;
    MdaDirEntry *e = mda__Entry(m, index);
    std::memset(e, 0, sizeof *e);
    e->status = MDA_ST_RESERVED;
    e->tf = MDA_NULL_TF;
    *ptr = MDA_MAKE_PTR(model, index);
    return 0;
}

int32_t mda_SetTF(void *mem, mda_tf tf)
{
    if (!mem) return mda__Error(MDA_NULL_MEMPTR);
    mda_EntHdr *h = header_of(mem);
    MdaModel *m = mda__Model(int32_t(MDA_PTR_MODEL(h->self)));
    if (!m) return mda__Error(MDA_INVALID_MODEL);
    int32_t tfi = ddf_GetTFI(m->ddf, tf);
    if (tfi < 0) return MDA_TF_NOT_FOUND;
    MdaDirEntry *e = mda__Lookup(h->self, nullptr);
    if (e && tfi != h->tfi) {
        mda_RemoveFromEntityList(m->entlist, h->tfi, h->self);
        mda_AddToEntityList(m->entlist, tfi, h->self);
    }
    h->tf = tf;
    h->tfi = tfi;
    if (e) {
        e->tf = tf;
        e->status |= MDA_ST_MODIFIED;
    }
    return 0;
}

int32_t mda_SetOrigDbptr(int32_t options, void *mem, db_ptr orig)
{
    if (!mem) return mda__Error(MDA_NULL_MEMPTR);
    mda_EntHdr *h = header_of(mem);
    if ((options & 1) || h->orig == h->self) h->orig = orig;
    return 0;
}

int32_t mda_DefaultEntity(int32_t options, void *mem)
{
    (void)options;
    if (!mem) return mda__Error(MDA_NULL_MEMPTR);
    int32_t status = mda_TraverseEntity(1, mem, apply_default);
    return status == MDA_STOPPED ? 0 : status;
}

int32_t mda__FreePtr(int32_t options, db_ptr ptr)
{
    MdaModel *m = nullptr;
    MdaDirEntry *e = mda__Lookup(ptr, &m);
    if (!e) return mda__Error(MDA_INVALID_PTR);
    const uint32_t index = MDA_PTR_INDEX(ptr);
    if (m->backstore) {
        if (!(options & 2) && mda__HasParents(m, ptr)) return mda__Error(MDA_HAS_PARENTS);
        if (!(options & 4)) {
            int32_t status = mda_DeleteBackPtrs(0, ptr);
            if (status) return status;
        }
    }
    mda__CallCallbacks(m, MDA_EVENT_DELETED, ptr);
    if (m->backstore && !(options & (4 | 8))) mda__DropParentList(m, ptr);

    mda__FreeStored(m, e);
    if (!(options & 1) && (e->status & (MDA_ST_INCACHE | MDA_ST_RWLOCK)) && e->mloc) mda__FreeChain(e->mloc);
    mda__ReleaseCacheEntry(m, e);
    const mda_tf tf = e->tf;
    e->mloc = nullptr;
    if (options & MDA_USE_RESERVED) {
        e->status = MDA_ST_RESERVED;
        e->dloc = 0;
    } else {
        e->status = MDA_ST_DELETED;
        e->dloc = int64_t(m->free_head);
        m->free_head = index;
    }
    m->nentities--;
    int32_t tfi = ddf_GetTFI(m->ddf, tf);
    if (tfi >= 0) mda_RemoveFromEntityList(m->entlist, tfi, ptr);
    mda__ClearAppData(int32_t(MDA_PTR_MODEL(ptr)), index, (options & (4 | 8)) ? m->backstore : nullptr);
    return 0;
}

int32_t mda_DeleteEntity(int32_t options, db_ptr ptr) { return mda__FreePtr(options, ptr); }

} // extern "C"
