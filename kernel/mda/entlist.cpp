/* App-data stores and entity lists.
 *
 * A store is a sparse array of fixed-size records indexed by entity index:
 * a top array of page pointers (doubled on demand), pages of 2048 records
 * allocated zero-filled on first write; an unwritten record reads as zeros.
 * Every store is registered with its model so that deleting an entity can
 * clear its records everywhere.
 *
 * An entity list keeps, per TFI, a doubly linked chain of the model's
 * entities in creation order, linked through an 8-byte store record
 * {next, previous} per entity. */
#include <cstdlib>
#include <cstring>

#include "kernel/mda/mda_int.h"
#include "kernel/mpm/mpm_int.h"

namespace {

struct Registration {
    MdaAppData *store;
    int32_t model;
};

Registration *g_registry = nullptr;
int32_t g_registered = 0, g_registry_capacity = 0;

bool do_register(MdaAppData *store, int32_t model)
{
    if (g_registered == g_registry_capacity) {
        int32_t grown = g_registry_capacity ? 2 * g_registry_capacity : 16;
        Registration *r = static_cast<Registration *>(std::realloc(g_registry, size_t(grown) * sizeof *r));
        if (!r) return false;
        g_registry = r;
        g_registry_capacity = grown;
    }
    g_registry[g_registered++] = {store, model};
    return true;
}

void unregister(MdaAppData *store)
{
    for (int32_t i = 0; i < g_registered; ++i)
        if (g_registry[i].store == store) {
            g_registry[i] = g_registry[--g_registered];
            return;
        }
}

/* The record of an index, or null when its page does not exist. */
unsigned char *record_at(const MdaAppData *s, uint32_t index)
{
    int64_t page = index / uint32_t(s->per_page);
    if (page > s->highest_page || !s->top[page]) return nullptr;
    return s->top[page] + int64_t(index % uint32_t(s->per_page)) * s->record_size;
}

/* The record of an index, creating its page. */
unsigned char *record_for_write(MdaAppData *s, uint32_t index)
{
    int64_t page = index / uint32_t(s->per_page);
    if (page >= s->top_capacity) {
        int64_t grown = s->top_capacity;
        while (grown <= page) grown *= 2;
        unsigned char **top =
            static_cast<unsigned char **>(std::realloc(s->top, size_t(grown) * sizeof *top));
        if (!top) return nullptr;
        std::memset(top + s->top_capacity, 0, size_t(grown - s->top_capacity) * sizeof *top);
        s->top = top;
        s->top_capacity = int32_t(grown);
    }
    if (!s->top[page]) {
        s->top[page] = static_cast<unsigned char *>(std::calloc(1, size_t(s->page_bytes)));
        if (!s->top[page]) return nullptr;
        if (page > s->highest_page) s->highest_page = int32_t(page);
    }
    return s->top[page] + int64_t(index % uint32_t(s->per_page)) * s->record_size;
}

struct Link {
    db_ptr next;
    db_ptr prev;
};

Link read_link(const MdaAppData *s, db_ptr p)
{
    Link l = {0, 0};
    const unsigned char *r = record_at(s, MDA_PTR_INDEX(p));
    if (r) std::memcpy(&l, r, sizeof l);
    return l;
}

bool write_link(MdaAppData *s, db_ptr p, Link l)
{
    unsigned char *r = record_for_write(s, MDA_PTR_INDEX(p));
    if (!r) return false;
    std::memcpy(r, &l, sizeof l);
    return true;
}

} // namespace

extern "C" {

int32_t mda_AllocateAppData2(int32_t options, int32_t record_size, int32_t model, MdaAppData **store)
{
    if (!store) return mda__Error(MDA_NULL_MEMPTR);
    *store = nullptr;
    if (model < 0 || model > MDA_MAX_MODELS || (model > 0 && !mda__Models[model].in_use))
        return mda__Error(MDA_INVALID_MODEL);
    if (record_size < 1) return mda__Error(MDA_INVALID_ARG);
    MdaAppData *s = static_cast<MdaAppData *>(std::calloc(1, sizeof *s));
    if (!s) return mda__Error(MDA_MALLOC_ERR);
    s->highest_page = -1;
    s->top_capacity = MDA_TOP_INITIAL;
    s->per_page = MDA_DIR_PAGE;
    s->record_size = record_size;
    s->page_bytes = int64_t(MDA_DIR_PAGE) * record_size;
    s->options = options;
    s->model = model;
    s->top = static_cast<unsigned char **>(std::calloc(MDA_TOP_INITIAL, sizeof(unsigned char *)));
    if (!s->top || !do_register(s, model)) {
        std::free(s->top);
        std::free(s);
        return mda__Error(MDA_MALLOC_ERR);
    }
    *store = s;
    return 0;
}

int32_t mda_ReadAppData(MdaAppData *s, db_ptr ptr, void *buffer)
{
    if (!s || !buffer) return mda__Error(MDA_NULL_MEMPTR);
    if (ptr != MDA_NULL_PTR && int32_t(MDA_PTR_MODEL(ptr)) != s->model) return mda__Error(MDA_INVALID_PTR);
    const unsigned char *r = record_at(s, MDA_PTR_INDEX(ptr));
    if (r)
        std::memcpy(buffer, r, size_t(s->record_size));
    else
        std::memset(buffer, 0, size_t(s->record_size));
    return 0;
}

int32_t mda_WriteAppData(MdaAppData *s, db_ptr ptr, const void *buffer)
{
    if (!s || !buffer) return mda__Error(MDA_NULL_MEMPTR);
    if (ptr == MDA_NULL_PTR) return 0;
    if (int32_t(MDA_PTR_MODEL(ptr)) != s->model) return mda__Error(MDA_INVALID_PTR);
    unsigned char *r = record_for_write(s, MDA_PTR_INDEX(ptr));
    if (!r) return mda__Error(MDA_MALLOC_ERR);
    std::memcpy(r, buffer, size_t(s->record_size));
    return 0;
}

int32_t mda_FreeAppData(MdaAppData *s)
{
    if (!s) return mda__Error(MDA_NULL_MEMPTR);
    unregister(s);
    for (int32_t p = 0; p <= s->highest_page; ++p) std::free(s->top[p]);
    std::free(s->top);
    std::free(s);
    return 0;
}

void mda__ClearAppData(int32_t model, uint32_t index, const MdaAppData *keep)
{
    for (int32_t i = 0; i < g_registered; ++i) {
        if (g_registry[i].model != model || g_registry[i].store == keep) continue;
        unsigned char *r = record_at(g_registry[i].store, index);
        if (r) std::memset(r, 0, size_t(g_registry[i].store->record_size));
    }
}

void mda__FreeRegistry(void)
{
    std::free(g_registry);
    g_registry = nullptr;
    g_registered = g_registry_capacity = 0;
}

int32_t mda_AllocateEntityList2(int32_t options, int32_t ntfi, int32_t model, MdaEntityList **out)
{
    if (!out) return mda__Error(MDA_NULL_MEMPTR);
    *out = nullptr;
    if (ntfi < 1) return mda__Error(MDA_INVALID_ARG);
    MdaEntityList *l = static_cast<MdaEntityList *>(std::calloc(1, sizeof *l));
    if (!l) return mda__Error(MDA_MALLOC_ERR);
    l->ntfi = ntfi;
    l->options = options;
    l->first = static_cast<db_ptr *>(std::calloc(size_t(ntfi), sizeof(db_ptr)));
    l->cursor = static_cast<db_ptr *>(std::calloc(size_t(ntfi), sizeof(db_ptr)));
    l->prevlast = static_cast<db_ptr *>(std::calloc(size_t(ntfi), sizeof(db_ptr)));
    l->last = static_cast<db_ptr *>(std::calloc(size_t(ntfi), sizeof(db_ptr)));
    l->count = static_cast<int32_t *>(std::calloc(size_t(ntfi), sizeof(int32_t)));
    if (!l->first || !l->cursor || !l->prevlast || !l->last || !l->count) {
        mda_FreeEntityList(l);
        return mda__Error(MDA_MALLOC_ERR);
    }
    int32_t status = mda_AllocateAppData2(0, int32_t(sizeof(Link)), model, &l->links);
    if (status) {
        mda_FreeEntityList(l);
        return status;
    }
    *out = l;
    return 0;
}

int32_t mda_AddToEntityList(MdaEntityList *l, int32_t tfi, db_ptr ptr)
{
    if (!l) return mda__Error(MDA_NULL_MEMPTR);
    if (tfi < 0 || tfi >= l->ntfi || ptr == MDA_NULL_PTR) return mda__Error(MDA_INVALID_ARG);
    Link mine = read_link(l->links, ptr);
    if (mine.next || mine.prev || l->first[tfi] == ptr)
        return mpm__IssueError(0, MDA_DUPLICATE_ENTLIST_ENTRY, MPM_ERROR, ptr, ptr);
    db_ptr old_last = l->last[tfi];
    if (!write_link(l->links, ptr, {0, old_last})) return mda__Error(MDA_MALLOC_ERR);
    if (old_last) {
        Link ol = read_link(l->links, old_last);
        ol.next = ptr;
        write_link(l->links, old_last, ol);
    } else {
        l->first[tfi] = ptr;
        l->cursor[tfi] = ptr;
    }
    l->prevlast[tfi] = old_last;
    l->last[tfi] = ptr;
    l->count[tfi]++;
    return 0;
}

int32_t mda_RemoveFromEntityList(MdaEntityList *l, int32_t tfi, db_ptr ptr)
{
    if (!l) return mda__Error(MDA_NULL_MEMPTR);
    if (tfi < 0 || tfi >= l->ntfi || ptr == MDA_NULL_PTR) return mda__Error(MDA_INVALID_ARG);
    Link mine = read_link(l->links, ptr);
    if (!mine.next && !mine.prev && l->first[tfi] != ptr) return 0; /* not on the chain */
    if (mine.prev) {
        Link p = read_link(l->links, mine.prev);
        p.next = mine.next;
        write_link(l->links, mine.prev, p);
    } else {
        l->first[tfi] = mine.next;
    }
    if (mine.next) {
        Link n = read_link(l->links, mine.next);
        n.prev = mine.prev;
        write_link(l->links, mine.next, n);
    } else {
        l->last[tfi] = mine.prev;
    }
    if (l->cursor[tfi] == ptr) l->cursor[tfi] = mine.next;
    l->prevlast[tfi] = l->last[tfi] ? read_link(l->links, l->last[tfi]).prev : 0;
    write_link(l->links, ptr, {0, 0});
    l->count[tfi]--;
    return 0;
}

int32_t mda_CycleEntityList(MdaEntityList *l, int32_t tfi, db_ptr *ptr)
{
    if (!l || !ptr) return mda__Error(MDA_NULL_MEMPTR);
    *ptr = MDA_NULL_PTR;
    if (tfi < 0 || tfi >= l->ntfi) return mda__Error(MDA_INVALID_ARG);
    db_ptr c = l->cursor[tfi];
    if (!c) return MDA_END_OF_LIST;
    *ptr = c;
    l->cursor[tfi] = read_link(l->links, c).next;
    return 0;
}

int32_t mda_FreeEntityList(MdaEntityList *l)
{
    if (!l) return mda__Error(MDA_NULL_MEMPTR);
    if (l->links) mda_FreeAppData(l->links);
    std::free(l->first);
    std::free(l->cursor);
    std::free(l->prevlast);
    std::free(l->last);
    std::free(l->count);
    std::free(l);
    return 0;
}

} // extern "C"
