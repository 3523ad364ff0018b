/* Models of the database: the table of 65 model records (numbers 1..64),
 * allocation and release of a model with its directory, cache, page file,
 * entity list and back-pointer store, the current model, the directory of
 * entity indices with its free list, and the event callbacks.
 *
 * Invariants: a model's directory has one page of MDA_DIR_PAGE entries per
 * top-array slot below highest/MDA_DIR_PAGE; next_index never exceeds
 * highest + 1; index 0 of every model is reserved at allocation, so a freed
 * index is never 0 and free_head 0 means an empty free list. */
#include <cfloat>
#include <cstdlib>
#include <cstring>

#include "kernel/ddf/ddf_int.h"
#include "kernel/mda/mda_int.h"
#include "kernel/mpm/mpm_int.h"
#include "kernel/pdx/pdx_int.h"
#include "kernel/ugn/ugn.h"

namespace {

/* Directory pages: the first kPlainPages from calloc one by one (a small
 * model stays small), the later ones kChunkPages at a time from one unit of
 * bulk memory, whose first page is the chunk's address. */
constexpr uint32_t kPlainPages = 4;
constexpr size_t kPageBytes = MDA_DIR_PAGE * sizeof(MdaDirEntry);
constexpr uint32_t kChunkPages = uint32_t(UGN_BULK_UNIT / kPageBytes);
static_assert(kChunkPages >= 1, "a directory page fits a unit of bulk memory");

uint32_t chunk_of(uint32_t page) { return page - (page - kPlainPages) % kChunkPages; }

/* The zero-filled memory of a new directory page, or null. */
MdaDirEntry *new_dir_page(MdaModel *m, uint32_t page)
{
    if (page < kPlainPages) return static_cast<MdaDirEntry *>(std::calloc(MDA_DIR_PAGE, sizeof(MdaDirEntry)));
    const uint32_t first = chunk_of(page);
    if (!m->dir[first]) {
        m->dir[first] = static_cast<MdaDirEntry *>(ugn_BulkAlloc(kChunkPages * kPageBytes, nullptr));
        if (!m->dir[first]) return nullptr;
    }
    return m->dir[first] + size_t(page - first) * MDA_DIR_PAGE;
}

void free_dir_pages(MdaModel *m)
{
    for (uint32_t p = 0; p < uint32_t(m->top_capacity); ++p) {
        if (p < kPlainPages)
            std::free(m->dir[p]);
        else if (m->dir[p] && chunk_of(p) == p)
            ugn_BulkFree(m->dir[p], kChunkPages * kPageBytes);
    }
}

} // namespace

extern "C" {

MdaModel mda__Models[MDA_MAX_MODELS + 1];
int32_t mda__CurModelNum = 0;

MdaModel *mda__Model(int32_t model)
{
    if (model < 1 || model > MDA_MAX_MODELS || !mda__Models[model].in_use) return nullptr;
    return &mda__Models[model];
}

MdaDirEntry *mda__Lookup(db_ptr ptr, MdaModel **model)
{
    if (ptr == MDA_NULL_PTR) return nullptr;
    MdaModel *m = mda__Model(int32_t(MDA_PTR_MODEL(ptr)));
    if (!m) return nullptr;
    uint32_t index = MDA_PTR_INDEX(ptr);
    if (index >= m->next_index) return nullptr;
    MdaDirEntry *e = mda__Entry(m, index);
    if (e->status & (MDA_ST_DELETED | MDA_ST_RESERVED)) return nullptr;
    if (model) *model = m;
    return e;
}

int32_t mda_IsValidDbptr(db_ptr ptr) { return mda__Lookup(ptr, nullptr) ? 1 : 0; }

int32_t mda__AllocPtr(MdaModel *m, uint32_t *index)
{
    if (m->free_head) {
        uint32_t i = m->free_head;
        MdaDirEntry *e = mda__Entry(m, i);
        m->free_head = uint32_t(e->dloc);
        *index = i;
        return 0;
    }
    uint32_t i = m->next_index;
    if (i > m->highest) {
        uint32_t page = i >> MDA_DIR_SHIFT;
        while (page >= uint32_t(m->top_capacity)) {
            if (m->top_capacity >= MDA_TOP_MAX) return mda__Error(MDA_NO_MORE_PTR);
            int32_t grown = m->top_capacity * 2;
            MdaDirEntry **top =
                static_cast<MdaDirEntry **>(std::realloc(m->dir, size_t(grown) * sizeof *top));
            if (!top) return mda__Error(MDA_REALLOC_ERR);
            std::memset(top + m->top_capacity, 0, size_t(grown - m->top_capacity) * sizeof *top);
            m->dir = top;
            m->top_capacity = grown;
        }
        MdaDirEntry *entries = new_dir_page(m, page);
        if (!entries) return mda__Error(MDA_MALLOC_ERR);
        m->dir[page] = entries;
        m->highest = (page + 1) * MDA_DIR_PAGE - 1;
    }
    m->next_index = i + 1;
    *index = i;
    return 0;
}

void mda__CallCallbacks(MdaModel *m, int32_t event, db_ptr ptr)
{
    for (MdaCallback *c = m->callbacks[event]; c; c = c->next) {
        db_ptr p = ptr;
        c->fn(event, &p);
    }
}

int32_t mda_AddCallback(int32_t model, int32_t event, MdaCallbackFn fn)
{
    MdaModel *m = mda__Model(model);
    if (!m) return mda__Error(MDA_INVALID_MODEL);
    if (event < 1 || event > 3 || !fn) return mda__Error(MDA_INVALID_ARG);
    MdaCallback *c = static_cast<MdaCallback *>(std::malloc(sizeof *c));
    if (!c) return mda__Error(MDA_MALLOC_ERR);
    c->fn = fn;
    c->next = m->callbacks[event];
    m->callbacks[event] = c;
    return 0;
}

int32_t mda_DeleteCallback(int32_t model, int32_t event, MdaCallbackFn fn)
{
    MdaModel *m = mda__Model(model);
    if (!m) return mda__Error(MDA_INVALID_MODEL);
    if (event < 1 || event > 3) return mda__Error(MDA_INVALID_ARG);
    for (MdaCallback **l = &m->callbacks[event]; *l; l = &(*l)->next)
        if ((*l)->fn == fn) {
            MdaCallback *c = *l;
            *l = c->next;
            std::free(c);
            return 0;
        }
    return mda__Error(MDA_CALLBACK_NOT_FOUND);
}

int32_t mda_GetModelDefaults(int32_t options, MdaModelInfo *info)
{
    (void)options;
    if (!info) return mda__Error(MDA_NULL_MEMPTR);
    std::memset(info, 0, sizeof *info);
    info->page_buffers = DOF_DEFAULT_BUFFERS;
    info->page_size = DOF_DEFAULT_PAGE_SIZE;
    return 0;
}

namespace {

int compare_names(const void *key, const void *stored)
{
    return std::strncmp(static_cast<const char *>(key), static_cast<const char *>(stored), 40);
}

/* Releases everything a model record holds and marks the slot free. */
void release_model(MdaModel *m)
{
    if (m->dir) {
        for (uint32_t i = 0; i < m->next_index; ++i) {
            MdaDirEntry *e = mda__Entry(m, i);
            if (e->status & (MDA_ST_DELETED | MDA_ST_RESERVED)) continue;
            if (e->mloc) mda__FreeChain(e->mloc);
            e->mloc = nullptr;
            if (m->options & MDA_MEMORY_ONLY) mda__FreeStored(m, e);
        }
        free_dir_pages(m);
        std::free(m->dir);
    }
    if (m->pagefile) dof_Close(0, m->pagefile);
    std::free(m->cache);
    if (m->entlist) mda_FreeEntityList(m->entlist);
    if (m->backstore) {
        int32_t number = int32_t(m - mda__Models);
        for (uint32_t i = 1; i < m->next_index; ++i) mda__DropParentList(m, MDA_MAKE_PTR(number, i));
        mda_FreeAppData(m->backstore);
    }
    if (m->names) otm_DeleteTree(0, m->names);
    for (int k = 0; k < 4; ++k) {
        MdaCallback *c = m->callbacks[k];
        while (c) {
            MdaCallback *next = c->next;
            std::free(c);
            c = next;
        }
    }
    std::memset(m, 0, sizeof *m);
}

} // namespace

int32_t mda_AllocateModel(int32_t options, const MdaModelInfo *info, int32_t *model)
{
    if (!info || !model) return mda__Error(MDA_NULL_MEMPTR);
    if (!info->ddf) return mda__Error(MDA_NO_DDF);
    int32_t number = 0;
    for (int32_t k = 1; k <= MDA_MAX_MODELS && !number; ++k)
        if (!mda__Models[k].in_use) number = k;
    if (!number) return mda__Error(MDA_NO_MORE_MODEL);

    MdaModel *m = &mda__Models[number];
    std::memset(m, 0, sizeof *m);
    std::memcpy(m->name, info->name, sizeof m->name);
    m->name[sizeof m->name - 1] = 0;
    m->ddf = info->ddf;
    m->backptrs = info->backptrs;
    m->statistics = info->statistics;
    m->page_buffers = info->page_buffers;
    m->page_size = info->page_size;
    m->format_data = info->format_data;
    m->parse = info->parse;
    m->format = info->format;
    m->on_allocate = info->on_allocate;
    m->format_hook1 = info->format_hook1;
    m->format_hook2 = info->format_hook2;
    m->on_free = info->on_free;
    m->on_set_current = info->on_set_current;
    m->spare = info->spare;
    m->cache_size = MDA_CACHE_SIZE;
    m->options = options;
    m->tolerance = DBL_EPSILON;
    m->names = otm_CreateTree(0, 40, compare_names, nullptr);
    if (!m->names) {
        int32_t code = mpm_GetLastError();
        std::memset(m, 0, sizeof *m);
        return code ? code : mda__Error(MDA_TREE_ERR);
    }

    int32_t status = 0;
    m->top_capacity = MDA_TOP_INITIAL;
    m->dir = static_cast<MdaDirEntry **>(std::calloc(MDA_TOP_INITIAL, sizeof(MdaDirEntry *)));
    if (m->dir) m->dir[0] = static_cast<MdaDirEntry *>(std::calloc(MDA_DIR_PAGE, sizeof(MdaDirEntry)));
    if (!m->dir || !m->dir[0]) status = mda__Error(MDA_MALLOC_ERR);
    m->highest = MDA_DIR_PAGE - 1;

    if (!status && !(options & MDA_MEMORY_ONLY)) {
        m->cache = static_cast<MdaCacheSlot *>(std::malloc(MDA_CACHE_SIZE * sizeof(MdaCacheSlot)));
        if (!m->cache) {
            status = mda__Error(MDA_MALLOC_ERR);
        } else {
            for (int32_t s = 0; s < MDA_CACHE_SIZE; ++s) m->cache[s] = {&mda__DefCacheStat, 0};
            int32_t mode = DOF_MODE_BLOCKS | DOF_MODE_TEMP | (m->statistics ? DOF_MODE_STATS : 0);
            status = dof_Open(mode, nullptr, m->page_buffers, m->page_size, &m->pagefile);
        }
    } else if (!status) {
        m->cache_size = 0;
    }
    if (status) {
        release_model(m);
        return status;
    }

    *model = number;
    const int32_t previous = mda__CurModelNum;
    m->in_use = 1;
    mda_SetCurModel(number);

    status = mda_AllocateEntityList2(0, info->ddf->n_typeforms, number, &m->entlist);
    if (!status && m->backptrs)
        status = mda_AllocateAppData2(0, int32_t(sizeof(MdaBackRec)), number, &m->backstore);
    db_ptr zero = 0;
    if (!status) status = mda_ReserveEntity2(0, number, &zero);
    if (!status && m->on_allocate) status = m->on_allocate(options, number);
    if (status) {
        release_model(m);
        if (mda__CurModelNum == number) mda_SetCurModel(previous ? previous : 0);
        *model = 0;
        return status;
    }
    if ((options & MDA_KEEP_CURRENT) && previous) mda_SetCurModel(previous);
    return 0;
}

int32_t mda_FreeModel(int32_t options, int32_t model)
{
    MdaModel *m = mda__Model(model);
    if (!m) return mda__Error(MDA_INVALID_MODEL);
    if (m->on_free) m->on_free(options, model);
    if (m->cache) mda__FlushCache(model);
    release_model(m);
    if (mda__CurModelNum == model) {
        mda__CurModelNum = 0;
        ddf__SetCurrent(nullptr);
    }
    return 0;
}

int32_t mda_GetModelInfo(int32_t model, MdaModelInfo *info)
{
    if (!info) return mda__Error(MDA_NULL_MEMPTR);
    MdaModel *m = mda__Model(model);
    if (!m) return mpm__SetError(0, MDA_INVALID_MODEL, MPM_WARNING);
    std::memcpy(info->name, m->name, sizeof info->name);
    info->ddf = m->ddf;
    std::strncpy(info->ddf_name, m->ddf->name, sizeof info->ddf_name - 1);
    info->ddf_name[sizeof info->ddf_name - 1] = 0;
    info->ddf_version = m->ddf->major * 100 + m->ddf->minor;
    info->format_data = m->format_data;
    info->nentities = m->nentities;
    info->entlist = m->entlist;
    info->backptrs = m->backptrs;
    return 0;
}

int32_t mda_SetCurModel(int32_t model)
{
    MdaModel *m = nullptr;
    if (model != 0 && !(m = mda__Model(model))) return mda__Error(MDA_INVALID_MODEL);
    mda__CurModelNum = model;
    ddf__SetCurrent(m ? m->ddf : nullptr);
    if (m && m->on_set_current) m->on_set_current(model);
    return 0;
}

int32_t mda_GetCurModel(void) { return mda__CurModelNum; }

int32_t mda_ReadTypeForm(db_ptr ptr, int32_t *type, int32_t *form)
{
    mda_tf tf = MDA_NULL_TF;
    if (ptr != MDA_NULL_PTR) {
        MdaDirEntry *e = mda__Lookup(ptr, nullptr);
        if (!e) {
            if (type) *type = MDA_TF_TYPE(tf);
            if (form) *form = MDA_TF_FORM(tf);
            return mda__Error(MDA_INVALID_PTR);
        }
        tf = e->tf;
    }
    if (type) *type = MDA_TF_TYPE(tf);
    if (form) *form = MDA_TF_FORM(tf);
    return 0;
}

int32_t mda_Initialize(void)
{
    pdx__RegisterModule(&mda__Module);
    for (int32_t k = 1; k <= MDA_MAX_MODELS; ++k)
        if (mda__Models[k].in_use) mda_FreeModel(0, k);
    std::memset(mda__Models, 0, sizeof mda__Models);
    mda__CurModelNum = 0;
    mda__CacheCursor = 0;
    mda__InstallFormatHooks(1);
    return 0;
}

int32_t mda_Terminate(void)
{
    for (int32_t k = 1; k <= MDA_MAX_MODELS; ++k)
        if (mda__Models[k].in_use) mda_FreeModel(0, k);
    mda__CurModelNum = 0;
    mda__FreeRegistry();
    mda__FreeStage();
    mda__FreePtrPlans();
    mda__FreeRefTable(); /* blocks that outlive the module keep no reference */
    mda__FreeRecycledBlocks();
    mda__InstallFormatHooks(0);
    return 0;
}

} // extern "C"
