/* The lock cycle. mda_LockEntity brings a record into memory (from the
 * cache or the page file) and counts the lock; a read/write lock takes the
 * entity out of the cache and marks it modified. The final mda_UnlockEntity
 * calls the created or modified callbacks, then discards, writes back or
 * drops the memory copy unless the cache keeps it. The lock count has 8 bits:
 * a 256th lock is refused with TOO_MANY_LOCKS and leaves the count at 255. */
#include "kernel/mda/mda_int.h"
#include "kernel/mpm/mpm.h"

extern "C" {

int32_t mda_LockEntity(int32_t options, db_ptr ptr, void **mem)
{
    if (mem) *mem = nullptr;
    MdaModel *m = nullptr;
    MdaDirEntry *e = mda__Lookup(ptr, &m);
    if (!e) return mda__Error(MDA_INVALID_PTR);
    if (!mem) return mda__Error(MDA_NULL_MEMPTR);
    uint32_t count = (e->status & MDA_ST_LOCKS) >> MDA_ST_LOCK_SHIFT;
    if (count >= MDA_MAX_LOCKS) return mda__Error(MDA_TOO_MANY_LOCKS);
    if (!(e->status & (MDA_ST_INCACHE | MDA_ST_RWLOCK)) || !e->mloc) {
        if (!mda__SwapFromDisk(0, ptr)) return mpm_GetLastError() ? mpm_GetLastError() : MDA_MALLOC_ERR;
    }
    e->status = (e->status & ~MDA_ST_LOCKS) | ((count + 1) << MDA_ST_LOCK_SHIFT) | MDA_ST_RWLOCK;
    if (options & MDA_LOCK_RW) {
        mda__ReleaseCacheEntry(m, e);
        e->status |= MDA_ST_MODIFIED;
    }
    *mem = e->mloc;
    return 0;
}

int32_t mda_UnlockEntity(int32_t options, db_ptr ptr)
{
    MdaModel *m = nullptr;
    MdaDirEntry *e = mda__Lookup(ptr, &m);
    if (!e) return mda__Error(MDA_INVALID_PTR);
    uint32_t count = (e->status & MDA_ST_LOCKS) >> MDA_ST_LOCK_SHIFT;
    if (count == 0) return 0;
    if (options & MDA_UNLOCK_MODIFIED) e->status |= MDA_ST_MODIFIED;
    if (options & MDA_UNLOCK_DISCARD) e->status |= MDA_ST_INVALID;
    --count;
    e->status = (e->status & ~MDA_ST_LOCKS) | (count << MDA_ST_LOCK_SHIFT);
    if (count > 0 && !(options & MDA_UNLOCK_FINAL)) return 0;

    if (e->status & MDA_ST_NEW) {
        e->status &= ~MDA_ST_NEW;
        mda__CallCallbacks(m, MDA_EVENT_CREATED, ptr);
    } else if (e->status & MDA_ST_MODIFIED) {
        mda__CallCallbacks(m, MDA_EVENT_MODIFIED, ptr);
    }
    e->status &= ~MDA_ST_RWLOCK;
    int32_t status = 0;
    if (e->status & MDA_ST_INVALID) {
        mda__ReleaseCacheEntry(m, e);
        e->status &= ~(MDA_ST_INVALID | MDA_ST_MODIFIED);
        if (e->mloc) mda__FreeChain(e->mloc);
        e->mloc = nullptr;
    } else if (e->status & MDA_ST_MODIFIED) {
        status = mda__SwapToDisk((e->status & MDA_ST_INCACHE) ? 1 : 0, ptr);
    } else if (!(e->status & MDA_ST_INCACHE) && e->mloc) {
        mda__FreeChain(e->mloc);
    }
    if (!(e->status & MDA_ST_INCACHE) && !status) e->mloc = nullptr;
    if (!status && (options & MDA_UNLOCK_DELETE)) status = mda__FreePtr(0, ptr);
    return status;
}

int32_t mda_MarkEntityModified(int32_t options, db_ptr ptr)
{
    (void)options;
    MdaDirEntry *e = mda__Lookup(ptr, nullptr);
    if (!e) return mda__Error(MDA_INVALID_PTR);
    if (!(e->status & MDA_ST_RWLOCK)) return mda__Error(MDA_NOT_RWLOCKED);
    e->status |= MDA_ST_MODIFIED;
    return 0;
}

} // extern "C"
