/* Back pointers: in a model that keeps them, every entity's record in the
 * back-pointer store lists the entities whose ptr fields refer to it — none
 * (count 0), one (count 1, the parent's db_ptr in the value) or an object
 * list of 4-byte db_ptrs (count 2). A parent that refers to a child twice is
 * listed twice. Also the copy of an object list into an entity's block.
 *
 * mda_GetParentsByTF hands out an array from malloc; callers free it with
 * mda_FreeParents and nothing else. */
#include <cstdlib>
#include <cstring>

#include "kernel/mda/mda_int.h"
#include "kernel/olm/olm.h"

namespace {

MdaModel *backptr_model(db_ptr ptr)
{
    MdaModel *m = mda__Model(int32_t(MDA_PTR_MODEL(ptr)));
    return (m && m->backstore) ? m : nullptr;
}

MdaBackRec read_rec(MdaModel *m, db_ptr ptr)
{
    MdaBackRec r;
    mda_ReadAppData(m->backstore, ptr, &r);
    return r;
}

OlmList *list_of(const MdaBackRec &r) { return reinterpret_cast<OlmList *>(r.value); }

int32_t add_parent(db_ptr parent, db_ptr child)
{
    MdaModel *m = backptr_model(child);
    if (!m || MDA_PTR_INDEX(parent) == 0 || MDA_PTR_INDEX(child) == 0) return 0;
    MdaBackRec r = read_rec(m, child);
    if (r.count == 0) {
        r.value = parent;
        r.count = 1;
    } else if (r.count == 1) {
        OlmList *l = olm_CreateList(0, 4, 5, nullptr);
        db_ptr first = db_ptr(r.value);
        if (!l || !olm_AddObject(0, l, OLM_LAST, &first) || !olm_AddObject(0, l, OLM_LAST, &parent)) {
            if (l) olm_DeleteList(0, l);
            return mda__Error(MDA_PAR_LIST_ERR);
        }
        r.value = reinterpret_cast<uintptr_t>(l);
        r.count = 2;
    } else {
        OlmList *l = list_of(r);
        /* Blocks double up to one unit of bulk memory: a layer or a line
         * type collects one parent per entity, and blocks of 5 would cost a
         * heap allocation per 5 of them and a page fault per 170. */
        olm_GrowBlockFactor(l);
        if (!olm_AddObject(0, l, OLM_LAST, &parent)) return mda__Error(MDA_PAR_LIST_ERR);
    }
    return mda_WriteAppData(m->backstore, child, &r);
}

/* Removes one listing of parent from child's list; absent parents are
 * ignored. */
int32_t remove_parent(db_ptr parent, db_ptr child)
{
    MdaModel *m = backptr_model(child);
    if (!m || MDA_PTR_INDEX(parent) == 0 || MDA_PTR_INDEX(child) == 0) return 0;
    MdaBackRec r = read_rec(m, child);
    if (r.count == 1) {
        if (db_ptr(r.value) == parent) {
            r.value = 0;
            r.count = 0;
        }
    } else if (r.count == 2) {
        OlmList *l = list_of(r);
        olm_ResetCycle(l);
        for (db_ptr *p; (p = static_cast<db_ptr *>(olm_CycleList(0, l)));)
            if (*p == parent) {
                olm_RemoveObject(0, l, OLM_CURRENT);
                break;
            }
        if (olm_GetCount(l) == 1) {
            db_ptr only = *static_cast<db_ptr *>(olm_GetObject(0, l, 1));
            olm_DeleteList(0, l);
            r.value = only;
            r.count = 1;
        } else if (olm_GetCount(l) == 0) {
            olm_DeleteList(0, l);
            r.value = 0;
            r.count = 0;
        }
    }
    return mda_WriteAppData(m->backstore, child, &r);
}

struct Walk {
    db_ptr parent;
    int32_t add;
    int32_t status;
};
Walk g_walk;

int32_t visit_ptrs(void *entity, int32_t count, int32_t kind, void *data, const DdfField *field)
{
    (void)entity;
    (void)field;
    if (kind != DDF_KIND_PTR || !data) return 0;
    for (int32_t i = 0; i < count; ++i) {
        db_ptr child;
        std::memcpy(&child, static_cast<unsigned char *>(data) + 4 * int64_t(i), 4);
        if (child == MDA_NULL_PTR) continue;
        int32_t s = g_walk.add ? add_parent(g_walk.parent, child) : remove_parent(g_walk.parent, child);
        if (s && !g_walk.status) g_walk.status = s;
    }
    return 0;
}

} // namespace

extern "C" {

int32_t mda__HasParents(MdaModel *m, db_ptr ptr)
{
    if (!m->backstore) return 0;
    return read_rec(m, ptr).count != 0;
}

void mda__DropParentList(MdaModel *m, db_ptr ptr)
{
    if (!m->backstore) return;
    MdaBackRec r = read_rec(m, ptr);
    if (r.count == 2) olm_DeleteList(0, list_of(r));
    if (r.count != 0) {
        MdaBackRec zero = {0, 0, 0};
        mda_WriteAppData(m->backstore, ptr, &zero);
    }
}

int32_t mda__ReferencedPtrs(void *mem, int32_t add, db_ptr parent)
{
    Walk saved = g_walk;
    g_walk = {parent, add, 0};
    int32_t status = mda__TraversePtrs(mem, visit_ptrs);
    int32_t result = g_walk.status ? g_walk.status : (status == MDA_STOPPED ? 0 : status);
    g_walk = saved;
    return result;
}

int32_t mda_AddPtr(db_ptr parent, db_ptr child, db_ptr *field)
{
    if (field) *field = child;
    if (child == MDA_NULL_PTR) return 0;
    return add_parent(parent, child);
}

int32_t mda_ModifyPtr(db_ptr parent, db_ptr child, db_ptr *field)
{
    if (!field) return mda__Error(MDA_NULL_MEMPTR);
    db_ptr old = *field;
    int32_t status = 0;
    if (old != MDA_NULL_PTR) status = remove_parent(parent, old);
    *field = child;
    if (!status && child != MDA_NULL_PTR) status = add_parent(parent, child);
    return status;
}

static int32_t back_ptrs(db_ptr ptr, int32_t add)
{
    MdaModel *m = nullptr;
    if (!mda__Lookup(ptr, &m)) return mda__Error(MDA_INVALID_PTR);
    if (!m->backstore) return 0;
    void *mem = nullptr;
    int32_t status = mda_LockEntity(0, ptr, &mem);
    if (status) return status;
    status = mda__ReferencedPtrs(mem, add, ptr);
    int32_t unlock = mda_UnlockEntity(0, ptr);
    return status ? status : unlock;
}

int32_t mda_SetBackPtrs(int32_t options, db_ptr ptr)
{
    (void)options;
    return back_ptrs(ptr, 1);
}

int32_t mda_DeleteBackPtrs(int32_t options, db_ptr ptr)
{
    (void)options;
    return back_ptrs(ptr, 0);
}

int32_t mda_GetParentsByTF(int32_t options, db_ptr ptr, mda_tf tf, int32_t *count, db_ptr **array)
{
    (void)options;
    if (!count || !array) return mda__Error(MDA_NULL_MEMPTR);
    *count = 0;
    *array = nullptr;
    MdaModel *m = nullptr;
    if (!mda__Lookup(ptr, &m)) return mda__Error(MDA_INVALID_PTR);
    if (!m->backstore) return 0;
    MdaBackRec r = read_rec(m, ptr);
    if (r.count == 0) return 0;
    int n = r.count == 1 ? 1 : olm_GetCount(list_of(r));
    db_ptr *out = static_cast<db_ptr *>(std::malloc(size_t(n) * sizeof(db_ptr)));
    if (!out) return mda__Error(MDA_MALLOC_ERR);
    int32_t found = 0;
    if (r.count == 1) {
        MdaDirEntry *e = mda__Lookup(db_ptr(r.value), nullptr);
        if (e && e->tf == tf) out[found++] = db_ptr(r.value);
    } else {
        OlmList *l = list_of(r);
        olm_ResetCycle(l);
        for (db_ptr *p; (p = static_cast<db_ptr *>(olm_CycleList(0, l)));) {
            MdaDirEntry *e = mda__Lookup(*p, nullptr);
            if (e && e->tf == tf && found < n) out[found++] = *p;
        }
    }
    if (!found) {
        std::free(out);
        return 0;
    }
    *count = found;
    *array = out;
    return 0;
}

void mda_FreeParents(db_ptr *array) { std::free(array); }

int32_t mda_HasParentOfTF(db_ptr ptr, mda_tf tf)
{
    MdaModel *m = nullptr;
    if (!mda__Lookup(ptr, &m)) {
        mda__Error(MDA_INVALID_PTR);
        return 0;
    }
    if (!m->backstore) return 0;
    MdaBackRec r = read_rec(m, ptr);
    if (r.count == 0) return 0;
    if (r.count == 1) {
        MdaDirEntry *e = mda__Lookup(db_ptr(r.value), nullptr);
        return e && e->tf == tf ? 1 : 0;
    }
    /* From the newest parent back: the mapping creates the entities before
     * the block definitions, so a layer's block parents come last in a list
     * that may hold a parent per entity of the drawing. */
    OlmList *l = list_of(r);
    olm_ResetCycle(l);
    int32_t found = 0;
    for (db_ptr *p; !found && (p = static_cast<db_ptr *>(olm_CycleListBack(0, l)));) {
        MdaDirEntry *e = mda__Lookup(*p, nullptr);
        found = e && e->tf == tf ? 1 : 0;
    }
    olm_ResetCycle(l);
    return found;
}

int32_t mda_CopyFromOList(int32_t options, void *mem, OlmList *list, int32_t *count, mda_ref *array)
{
    if (!mem || !list || !count || !array) return mda__Error(MDA_NULL_MEMPTR);
    int n = olm_GetCount(list);
    int size = list->object_size;
    *count = 0;
    *array = 0;
    if (n <= 0) return 0;
    int32_t status = mda_Malloc(0, mem, size_t(n) * size_t(size), array);
    if (status) return status;
    unsigned char *dst = static_cast<unsigned char *>(mda_Deref(*array));
    olm_ResetCycle(list);
    int copied = 0;
    for (void *o; copied < n && (o = olm_CycleList(0, list)); ++copied)
        std::memcpy(dst + int64_t(copied) * size, o, size_t(size));
    olm_ResetCycle(list);
    *count = n;
    if ((options & 2) && size == 4) {
        db_ptr parent = static_cast<mda_EntHdr *>(mem)->self;
        for (int i = 0; i < n; ++i) {
            db_ptr child;
            std::memcpy(&child, dst + 4 * i, 4);
            if (child) add_parent(parent, child);
        }
    }
    return 0;
}

int32_t mda_CompPTRs(const void *a, const void *b)
{
    db_ptr x, y;
    std::memcpy(&x, a, 4);
    std::memcpy(&y, b, 4);
    return x < y ? -1 : (x > y ? 1 : 0);
}

} // extern "C"
