/* Tests of the model database's rules: model slots, database pointers, the
 * lock cycle and its limits, the cache, deletion with parents, entity
 * lists, app-data stores, back pointers, walks, type-form changes, the
 * model callbacks and the formatter's model conversions. */
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "kernel/mpm/mpm_int.h"
#include "mda_fixture.h"

namespace {

std::vector<std::pair<int32_t, int32_t>> g_events;
void Record(int32_t event, db_ptr *p) { g_events.push_back({event, int32_t(*p)}); }

std::vector<std::string> g_model_calls;
int32_t OnAllocate(int32_t options, int32_t model)
{
    g_model_calls.push_back("alloc " + std::to_string(options) + " " + std::to_string(model));
    return 0;
}
int32_t OnFree(int32_t options, int32_t model)
{
    g_model_calls.push_back("free " + std::to_string(options) + " " + std::to_string(model));
    return 0;
}
int32_t OnSetCurrent(int32_t model)
{
    g_model_calls.push_back("current " + std::to_string(model));
    return 0;
}

TEST_F(MdaTest, ModelSlots)
{
    MdaModelInfo info;
    ASSERT_EQ(mda_GetModelDefaults(0, &info), 0);
    EXPECT_EQ(info.page_buffers, 16);
    EXPECT_EQ(info.page_size, 4096);
    EXPECT_EQ(info.ddf, nullptr);
    int32_t model = -1;
    EXPECT_EQ(mda_AllocateModel(0, &info, &model), MDA_NO_DDF);

    std::vector<int32_t> models;
    for (int k = 0; k < 64; ++k) models.push_back(NewModel());
    EXPECT_EQ(models.front(), 1);
    EXPECT_EQ(models.back(), 64);
    info.ddf = ddf_DxfiDefinition();
    EXPECT_EQ(mda_AllocateModel(0, &info, &model), MDA_NO_MORE_MODEL);

    /* Model 64: its pointers have bit 31 set and stay unsigned. */
    db_ptr p = NewLine(64, 2.5);
    EXPECT_EQ(MDA_PTR_MODEL(p), 64u);
    EXPECT_NE(p & 0x80000000u, 0u);
    EXPECT_EQ(mda_IsValidDbptr(p), 1);
    void *mem;
    ASSERT_EQ(mda_LockEntity(0, p, &mem), 0);
    EXPECT_EQ(static_cast<dxf_line *>(mem)->xyzstr[0], 2.5);
    EXPECT_EQ(static_cast<dxf_line *>(mem)->hdr.self, p);
    EXPECT_EQ(mda_UnlockEntity(0, p), 0);

    EXPECT_EQ(mda_FreeModel(0, 3), 0);
    EXPECT_EQ(mda_FreeModel(0, 3), MDA_INVALID_MODEL);
    EXPECT_EQ(NewModel(), 3);
    EXPECT_EQ(mda_SetCurModel(65), MDA_INVALID_MODEL);
}

TEST_F(MdaTest, ModelInfoCurrentAndCallbacks)
{
    MdaModelInfo info;
    mda_GetModelDefaults(0, &info);
    info.ddf = ddf_DxfiDefinition();
    std::strcpy(info.name, "drawing");
    info.on_allocate = OnAllocate;
    info.on_free = OnFree;
    info.on_set_current = OnSetCurrent;
    int32_t first = NewModel();
    g_model_calls.clear();
    int32_t model = 0;
    ASSERT_EQ(mda_AllocateModel(MDA_KEEP_CURRENT, &info, &model), 0);
    EXPECT_EQ(mda_GetCurModel(), first) << "option 1 leaves the previous model current";
    ASSERT_EQ(g_model_calls.size(), 2u);
    EXPECT_EQ(g_model_calls[0], "current 2");
    EXPECT_EQ(g_model_calls[1], "alloc 1 2");

    NewLine(model, 1);
    NewLine(model, 2);
    MdaModelInfo out;
    std::memset(&out, 0, sizeof out);
    ASSERT_EQ(mda_GetModelInfo(model, &out), 0);
    EXPECT_STREQ(out.name, "drawing");
    EXPECT_STREQ(out.ddf_name, "dxfi");
    EXPECT_EQ(out.ddf_version, 102);
    EXPECT_EQ(out.nentities, 2);
    ASSERT_NE(out.entlist, nullptr);
    EXPECT_EQ(out.entlist->count[DXFI_TFI_dxf_line], 2);

    EXPECT_EQ(mda_GetModelInfo(40, &out), MDA_INVALID_MODEL);
    EXPECT_EQ(mpm_GetLastSeverity(), MPM_WARNING);

    g_model_calls.clear();
    ASSERT_EQ(mda_SetCurModel(model), 0);
    ASSERT_EQ(mda_FreeModel(7, model), 0);
    EXPECT_EQ(mda_GetCurModel(), 0) << "freeing the current model leaves none current";
    ASSERT_EQ(g_model_calls.size(), 2u);
    EXPECT_EQ(g_model_calls[1], "free 7 2");
}

TEST_F(MdaTest, TheDirectoryEndsAtTheIndexLimit)
{
    int32_t model = NewModel();
    MdaModel &m = mda__Models[model];
    const uint32_t saved = m.next_index;
    m.next_index = uint32_t(MDA_TOP_MAX) * MDA_DIR_PAGE; /* 2^25: one past the last index */
    db_ptr p = 0;
    EXPECT_EQ(mda_ReserveEntity2(0, model, &p), MDA_NO_MORE_PTR);
    EXPECT_EQ(m.top_capacity, MDA_TOP_MAX) << "the top array doubled up to its limit";
    m.next_index = saved;
    ASSERT_EQ(mda_ReserveEntity2(0, model, &p), 0);
    EXPECT_EQ(MDA_PTR_INDEX(p), saved);

    /* Past the first top array: 1024 pages of 2048 entries. */
    const uint32_t beyond = uint32_t(MDA_TOP_INITIAL) * MDA_DIR_PAGE + 5;
    while (MDA_PTR_INDEX(p) < beyond) ASSERT_EQ(mda_ReserveEntity2(0, model, &p), 0);
    EXPECT_GT(m.top_capacity, MDA_TOP_INITIAL);
    db_ptr line = NewLine(model, 8.0);
    EXPECT_EQ(MDA_PTR_INDEX(line), beyond + 1);
    void *mem;
    ASSERT_EQ(mda_LockEntity(0, line, &mem), 0);
    EXPECT_EQ(static_cast<dxf_line *>(mem)->xyzstr[0], 8.0);
    ASSERT_EQ(mda_UnlockEntity(0, line), 0);
}

TEST_F(MdaTest, PointersAndTypeForms)
{
    int32_t model = NewModel();
    int32_t type = 0, form = 0;
    EXPECT_EQ(mda_ReadTypeForm(MDA_NULL_PTR, &type, &form), 0);
    EXPECT_EQ(type, 16000);
    EXPECT_EQ(form, 16000);
    EXPECT_EQ(mda_IsValidDbptr(MDA_NULL_PTR), 0);
    EXPECT_EQ(mda_IsValidDbptr(MDA_MAKE_PTR(model, 0)), 0) << "index 0 is reserved";
    EXPECT_EQ(mda_IsValidDbptr(MDA_MAKE_PTR(model, 5)), 0) << "never used";
    EXPECT_EQ(mda_IsValidDbptr(MDA_MAKE_PTR(9, 1)), 0) << "model not allocated";

    void *mem = nullptr;
    db_ptr p = 0;
    ASSERT_EQ(mda_AllocateEntity2(0, model, MDA_TF(300, 1), &mem, &p), 0);
    EXPECT_EQ(p, MDA_MAKE_PTR(model, 1));
    dxf_line_ext *line = static_cast<dxf_line_ext *>(mem);
    EXPECT_EQ(line->hdr.tf, MDA_TF(300, 1));
    EXPECT_EQ(line->hdr.tfi, DXFI_TFI_dxf_line_ext);
    EXPECT_EQ(line->hdr.orig, p);
    EXPECT_EQ(mda_ReadTypeForm(p, &type, &form), 0);
    EXPECT_EQ(type, 300);
    EXPECT_EQ(form, 1);
    EXPECT_EQ(mda_UnlockEntity(0, p), 0);

    EXPECT_EQ(mda_AllocateEntity2(0, model, MDA_TF(300, 2), &mem, &p), MDA_TF_NOT_FOUND);
    EXPECT_EQ(mda_MallocEntity2(0, model, MDA_TF(49534, 1), &mem), MDA_TF_NOT_FOUND)
        << "sub-entity records are not entities";

    /* Allocation and entry in two steps, keeping a set original pointer. */
    ASSERT_EQ(mda_MallocEntity2(0, model, DXFI_TF_dxf_circle, &mem), 0);
    EXPECT_EQ(static_cast<mda_EntHdr *>(mem)->self, MDA_MAKE_PTR(model, 0));
    ASSERT_EQ(mda_SetOrigDbptr(0, mem, MDA_MAKE_PTR(model, 1)), 0);
    db_ptr c = 0;
    ASSERT_EQ(mda_CreateEntity(MDA_CREATE_LOCKED, mem, &c), 0);
    EXPECT_EQ(static_cast<mda_EntHdr *>(mem)->orig, MDA_MAKE_PTR(model, 1));
    EXPECT_EQ(mda_SetOrigDbptr(0, mem, 77), 0);
    EXPECT_EQ(static_cast<mda_EntHdr *>(mem)->orig, MDA_MAKE_PTR(model, 1)) << "already set";
    EXPECT_EQ(mda_UnlockEntity(0, c), 0);

    /* Reserved pointers. */
    db_ptr r = 0;
    ASSERT_EQ(mda_ReserveEntity2(0, model, &r), 0);
    EXPECT_EQ(mda_IsValidDbptr(r), 0);
    db_ptr given = r;
    ASSERT_EQ(mda_AllocateEntity2(MDA_USE_RESERVED, model, DXFI_TF_dxf_point, &mem, &given), 0);
    EXPECT_EQ(given, r);
    EXPECT_EQ(mda_IsValidDbptr(r), 1);
    EXPECT_EQ(mda_UnlockEntity(0, r), 0);
    given = r;
    EXPECT_EQ(mda_AllocateEntity2(MDA_USE_RESERVED, model, DXFI_TF_dxf_point, &mem, &given),
              MDA_PTR_ALREADY_CREATED);
    EXPECT_EQ(mpm_GetLastError(), MDA_PTR_ALREADY_CREATED);
}

TEST_F(MdaTest, LockCountLimits)
{
    int32_t model = NewModel();
    db_ptr p = NewLine(model, 1.0);
    void *mem = nullptr;
    for (int k = 0; k < 255; ++k) ASSERT_EQ(mda_LockEntity(0, p, &mem), 0);
    EXPECT_EQ(Locks(p), 255u);
    EXPECT_EQ(mda_LockEntity(0, p, &mem), MDA_TOO_MANY_LOCKS);
    EXPECT_EQ(mem, nullptr);
    EXPECT_EQ(Locks(p), 255u);
    for (int k = 0; k < 254; ++k) ASSERT_EQ(mda_UnlockEntity(0, p), 0);
    EXPECT_NE(Entry(p)->status & MDA_ST_RWLOCK, 0u) << "one lock left";
    ASSERT_EQ(mda_UnlockEntity(0, p), 0);
    EXPECT_EQ(Entry(p)->status & MDA_ST_RWLOCK, 0u);
    EXPECT_EQ(Locks(p), 0u);
    const uint32_t before = Entry(p)->status;
    EXPECT_EQ(mda_UnlockEntity(MDA_UNLOCK_MODIFIED, p), 0);
    EXPECT_EQ(Entry(p)->status, before) << "unlocking at count 0 does nothing";

    EXPECT_EQ(mda_MarkEntityModified(0, p), MDA_NOT_RWLOCKED);
    EXPECT_EQ(mda_LockEntity(0, MDA_MAKE_PTR(model, 99), &mem), MDA_INVALID_PTR);
    EXPECT_EQ(mda_UnlockEntity(0, MDA_MAKE_PTR(model, 99)), MDA_INVALID_PTR);
}

TEST_F(MdaTest, ReadWriteLockWritesBack)
{
    int32_t model = NewModel();
    db_ptr p = NewLine(model, 1.0);
    void *mem = nullptr;
    ASSERT_EQ(mda_LockEntity(MDA_LOCK_RW, p, &mem), 0);
    EXPECT_EQ(Entry(p)->status & MDA_ST_INCACHE, 0u) << "a read/write lock leaves the cache";
    EXPECT_NE(Entry(p)->status & MDA_ST_MODIFIED, 0u);
    static_cast<dxf_line *>(mem)->xyzend[2] = -7.0;
    const int64_t writes = mda__Models[model].pagefile->stats.write_calls;
    ASSERT_EQ(mda_UnlockEntity(0, p), 0);
    EXPECT_GT(mda__Models[model].pagefile->stats.write_calls, writes) << "written back";
    EXPECT_EQ(Entry(p)->mloc, nullptr) << "not cached, so not kept";
    ASSERT_EQ(mda_LockEntity(0, p, &mem), 0);
    EXPECT_EQ(static_cast<dxf_line *>(mem)->xyzend[2], -7.0);
    ASSERT_EQ(mda_UnlockEntity(0, p), 0);

    /* A discarded change is lost; the stored copy stays. */
    ASSERT_EQ(mda_LockEntity(MDA_LOCK_RW, p, &mem), 0);
    static_cast<dxf_line *>(mem)->xyzend[2] = 99.0;
    ASSERT_EQ(mda_UnlockEntity(MDA_UNLOCK_DISCARD, p), 0);
    ASSERT_EQ(mda_LockEntity(0, p, &mem), 0);
    EXPECT_EQ(static_cast<dxf_line *>(mem)->xyzend[2], -7.0);
    ASSERT_EQ(mda_UnlockEntity(MDA_UNLOCK_DELETE, p), 0);
    EXPECT_EQ(mda_IsValidDbptr(p), 0) << "option 4 deletes after the unlock";
}

TEST_F(MdaTest, TheThirtyThirdCachedEntity)
{
    int32_t model = NewModel();
    std::vector<db_ptr> lines;
    for (int k = 0; k < 32; ++k) lines.push_back(NewLine(model, k));
    for (db_ptr p : lines) EXPECT_NE(Entry(p)->status & MDA_ST_INCACHE, 0u);
    DofFile *pf = mda__Models[model].pagefile;

    /* A clean occupant is dropped without a write. */
    const int64_t writes = pf->stats.write_calls;
    db_ptr extra = NewLine(model, 32);
    int evicted = 0;
    for (db_ptr p : lines)
        if (!(Entry(p)->status & MDA_ST_INCACHE)) {
            ++evicted;
            EXPECT_EQ(Entry(p)->mloc, nullptr);
        }
    EXPECT_EQ(evicted, 1);
    EXPECT_NE(Entry(extra)->status & MDA_ST_INCACHE, 0u);
    /* The new entity itself was written (block header, image): nothing else. */
    EXPECT_EQ(pf->stats.write_calls - writes, 2);

    /* A modified occupant is written when it loses its slot. */
    void *mem;
    db_ptr victim = 0;
    for (db_ptr p : lines)
        if (Entry(p)->status & MDA_ST_INCACHE) {
            victim = p;
            break;
        }
    ASSERT_EQ(mda_LockEntity(0, victim, &mem), 0);
    static_cast<dxf_line *>(mem)->xyzstr[1] = 123.0;
    ASSERT_EQ(mda_UnlockEntity(MDA_UNLOCK_MODIFIED, victim), 0);
    EXPECT_NE(Entry(victim)->status & MDA_ST_INCACHE, 0u) << "written and kept in the cache";
    ASSERT_EQ(mda_LockEntity(0, victim, &mem), 0);
    static_cast<dxf_line *>(mem)->xyzstr[1] = 456.0;
    Entry(victim)->status |= MDA_ST_MODIFIED; /* modified while cached */
    ASSERT_EQ(mda_UnlockEntity(0, victim), 0);
    for (int k = 0; k < 32 && (Entry(victim)->status & MDA_ST_INCACHE); ++k) NewLine(model, 100 + k);
    EXPECT_EQ(Entry(victim)->status & MDA_ST_INCACHE, 0u);
    ASSERT_EQ(mda_LockEntity(0, victim, &mem), 0);
    EXPECT_EQ(static_cast<dxf_line *>(mem)->xyzstr[1], 456.0) << "the eviction wrote it";
    ASSERT_EQ(mda_UnlockEntity(0, victim), 0);
}

TEST_F(MdaTest, AllSlotsLocked)
{
    int32_t model = NewModel();
    std::vector<db_ptr> held;
    void *mem;
    for (int k = 0; k < 32; ++k) {
        db_ptr p = 0;
        ASSERT_EQ(mda_AllocateEntity2(0, model, DXFI_TF_dxf_line, &mem, &p), 0);
        held.push_back(p); /* stays locked */
    }
    for (db_ptr p : held) EXPECT_NE(Entry(p)->status & MDA_ST_INCACHE, 0u);
    EXPECT_EQ(mda__GetCacheEntry(model, 1), MDA_CACHE_FULL);

    db_ptr extra = 0;
    ASSERT_EQ(mda_AllocateEntity2(0, model, DXFI_TF_dxf_arc, &mem, &extra), 0);
    EXPECT_EQ(Entry(extra)->status & MDA_ST_INCACHE, 0u) << "served uncached";
    static_cast<dxf_arc *>(mem)->radius = 4.0;
    ASSERT_EQ(mda_UnlockEntity(0, extra), 0);
    EXPECT_EQ(Entry(extra)->mloc, nullptr) << "written back and dropped at its final unlock";
    for (db_ptr p : held) EXPECT_NE(Entry(p)->status & MDA_ST_INCACHE, 0u);

    ASSERT_EQ(mda_LockEntity(0, extra, &mem), 0);
    EXPECT_EQ(static_cast<dxf_arc *>(mem)->radius, 4.0);
    EXPECT_EQ(Entry(extra)->status & MDA_ST_INCACHE, 0u);
    ASSERT_EQ(mda_UnlockEntity(0, extra), 0);
    EXPECT_EQ(Entry(extra)->mloc, nullptr) << "clean and uncached: dropped";
    for (db_ptr p : held) ASSERT_EQ(mda_UnlockEntity(0, p), 0);
}

TEST_F(MdaTest, DeletionParentsAndReuse)
{
    int32_t model = NewModel(0, true);
    void *mem;
    db_ptr layer = 0, line = 0;
    ASSERT_EQ(mda_AllocateEntity2(0, model, DXFI_TF_dxf_layer_table_data, &mem, &layer), 0);
    ASSERT_EQ(mda_UnlockEntity(0, layer), 0);
    ASSERT_EQ(mda_MallocEntity2(0, model, DXFI_TF_dxf_line, &mem), 0);
    static_cast<dxf_line *>(mem)->dxfhdr.entlayerobjhandle = layer;
    ASSERT_EQ(mda_CreateEntity(MDA_CREATE_BACKPTRS, mem, &line), 0);

    int32_t n = -1;
    db_ptr *parents = nullptr;
    ASSERT_EQ(mda_GetParentsByTF(0, layer, DXFI_TF_dxf_line, &n, &parents), 0);
    ASSERT_EQ(n, 1);
    EXPECT_EQ(parents[0], line);
    mda_FreeParents(parents);
    ASSERT_EQ(mda_GetParentsByTF(0, layer, DXFI_TF_dxf_arc, &n, &parents), 0);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(parents, nullptr);
    EXPECT_EQ(mda_HasParentOfTF(layer, DXFI_TF_dxf_line), 1);
    EXPECT_EQ(mda_HasParentOfTF(layer, DXFI_TF_dxf_arc), 0);

    EXPECT_EQ(mda__FreePtr(0, layer), MDA_HAS_PARENTS);
    EXPECT_EQ(mda_IsValidDbptr(layer), 1);
    ASSERT_EQ(mda__FreePtr(0, line), 0) << "deleting the child removes it from the parent list";
    ASSERT_EQ(mda_GetParentsByTF(0, layer, DXFI_TF_dxf_line, &n, &parents), 0);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(mda_HasParentOfTF(layer, DXFI_TF_dxf_line), 0);
    ASSERT_EQ(mda__FreePtr(0, layer), 0);
    EXPECT_EQ(mda_IsValidDbptr(layer), 0);
    EXPECT_EQ(mda_HasParentOfTF(layer, DXFI_TF_dxf_line), 0);
    EXPECT_EQ(mpm_GetLastError(), MDA_INVALID_PTR) << "as mda_GetParentsByTF says of it";
    EXPECT_EQ(mda__FreePtr(0, layer), MDA_INVALID_PTR);

    /* The freed indices come back, most recently freed first. */
    db_ptr again = NewLine(model, 0);
    EXPECT_EQ(again, layer);
    EXPECT_EQ(NewLine(model, 0), line);

    /* With option 2 an entity with parents goes; option 0x80000 keeps it reserved. */
    db_ptr child = NewLine(model, 1), parent = NewLine(model, 2);
    ASSERT_EQ(mda_AddPtr(parent, child, nullptr), 0);
    EXPECT_EQ(mda__FreePtr(0, child), MDA_HAS_PARENTS);
    ASSERT_EQ(mda__FreePtr(2 | MDA_USE_RESERVED, child), 0);
    EXPECT_EQ(Entry(child), nullptr);
    EXPECT_EQ(mda__Entry(&mda__Models[model], MDA_PTR_INDEX(child))->status, MDA_ST_RESERVED);
    db_ptr reuse = child;
    ASSERT_EQ(mda_AllocateEntity2(MDA_USE_RESERVED, model, DXFI_TF_dxf_line, &mem, &reuse), 0);
    EXPECT_EQ(reuse, child);
    ASSERT_EQ(mda_UnlockEntity(0, child), 0);
}

TEST_F(MdaTest, ParentListsGrowAndShrink)
{
    int32_t model = NewModel(0, true);
    db_ptr child = NewLine(model, 0);
    std::vector<db_ptr> parents;
    for (int k = 0; k < 5; ++k) {
        void *mem;
        db_ptr p = 0;
        mda_tf tf = k % 2 ? DXFI_TF_dxf_arc : DXFI_TF_dxf_line;
        ASSERT_EQ(mda_AllocateEntity2(0, model, tf, &mem, &p), 0);
        db_ptr *field = k % 2 ? &static_cast<dxf_arc *>(mem)->dxfhdr.entltypeobjhandle
                              : &static_cast<dxf_line *>(mem)->dxfhdr.entltypeobjhandle;
        ASSERT_EQ(mda_AddPtr(p, child, field), 0);
        EXPECT_EQ(*field, child);
        ASSERT_EQ(mda_UnlockEntity(0, p), 0);
        parents.push_back(p);
    }
    int32_t n = 0;
    db_ptr *found = nullptr;
    ASSERT_EQ(mda_GetParentsByTF(0, child, DXFI_TF_dxf_arc, &n, &found), 0);
    ASSERT_EQ(n, 2);
    EXPECT_EQ(found[0], parents[1]);
    EXPECT_EQ(found[1], parents[3]);
    mda_FreeParents(found);

    /* Moving a reference: the parent leaves the old child's list. */
    db_ptr other = NewLine(model, 9);
    db_ptr field = child;
    ASSERT_EQ(mda_ModifyPtr(parents[1], other, &field), 0);
    EXPECT_EQ(field, other);
    ASSERT_EQ(mda_GetParentsByTF(0, child, DXFI_TF_dxf_arc, &n, &found), 0);
    ASSERT_EQ(n, 1);
    EXPECT_EQ(found[0], parents[3]);
    mda_FreeParents(found);
    ASSERT_EQ(mda_GetParentsByTF(0, other, DXFI_TF_dxf_arc, &n, &found), 0);
    ASSERT_EQ(n, 1);
    mda_FreeParents(found);
    for (db_ptr p : parents) ASSERT_EQ(mda_DeleteBackPtrs(0, p), 0);
    ASSERT_EQ(mda_GetParentsByTF(0, child, DXFI_TF_dxf_line, &n, &found), 0);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(mda__FreePtr(0, child), 0);
}

/* Parent lists that grow through many node blocks (their blocks grow with
 * them), lose parents from the front, middle and end, and grow again over
 * the freed nodes keep every remaining parent once, in the order added. */
TEST_F(MdaTest, LongParentListsKeepTheirOrder)
{
    struct Case {
        int parents;
        int remove_every; /* every k-th parent leaves again */
    } cases[] = {{2, 2}, {6, 3}, {11, 2}, {41, 5}, {700, 3}, {9000, 7}};
    int32_t model = NewModel(0, true);
    for (const Case &c : cases) {
        db_ptr child = NewLine(model, 0);
        std::vector<db_ptr> parents, expected;
        auto add = [&](int k) {
            db_ptr p = NewLine(model, k);
            ASSERT_EQ(mda_AddPtr(p, child, nullptr), 0);
            parents.push_back(p);
            expected.push_back(p);
        };
        for (int k = 0; k < c.parents; ++k) add(k);
        for (size_t k = 0; k < parents.size(); k += size_t(c.remove_every)) {
            db_ptr field = child;
            ASSERT_EQ(mda_ModifyPtr(parents[k], MDA_NULL_PTR, &field), 0);
            EXPECT_EQ(field, MDA_NULL_PTR);
            expected.erase(std::find(expected.begin(), expected.end(), parents[k]));
        }
        for (int k = 0; k < c.parents / 2; ++k) add(k);
        int32_t n = 0;
        db_ptr *found = nullptr;
        ASSERT_EQ(mda_GetParentsByTF(0, child, DXFI_TF_dxf_line, &n, &found), 0);
        ASSERT_EQ(std::vector<db_ptr>(found, found + n), expected) << c.parents << " parents";
        mda_FreeParents(found);
        for (db_ptr p : parents) {
            db_ptr field = child;
            ASSERT_EQ(mda_ModifyPtr(p, MDA_NULL_PTR, &field), 0);
        }
        EXPECT_EQ(mda_HasParentOfTF(child, DXFI_TF_dxf_line), 0) << c.parents << " parents";
    }
}

TEST_F(MdaTest, EntityListChains)
{
    int32_t model = NewModel();
    MdaEntityList *l = nullptr;
    ASSERT_EQ(mda_AllocateEntityList2(0, 4, model, &l), 0);
    db_ptr out = 1;
    EXPECT_EQ(mda_CycleEntityList(l, 2, &out), MDA_END_OF_LIST);
    EXPECT_EQ(out, MDA_NULL_PTR);
    const db_ptr a = MDA_MAKE_PTR(model, 5), b = MDA_MAKE_PTR(model, 6), c = MDA_MAKE_PTR(model, 7);
    for (db_ptr p : {a, b, c}) ASSERT_EQ(mda_AddToEntityList(l, 2, p), 0);
    EXPECT_EQ(mda_AddToEntityList(l, 2, b), MDA_DUPLICATE_ENTLIST_ENTRY);
    EXPECT_EQ(mda_AddToEntityList(l, 2, a), MDA_DUPLICATE_ENTLIST_ENTRY);
    EXPECT_EQ(l->count[2], 3);
    EXPECT_EQ(l->first[2], a);
    EXPECT_EQ(l->last[2], c);
    EXPECT_EQ(l->prevlast[2], b);

    ASSERT_EQ(mda_CycleEntityList(l, 2, &out), 0);
    EXPECT_EQ(out, a);
    ASSERT_EQ(mda_RemoveFromEntityList(l, 2, b), 0); /* the cursor stood on b */
    EXPECT_EQ(l->cursor[2], c);
    EXPECT_EQ(mda_RemoveFromEntityList(l, 2, b), 0) << "absent: ignored";
    EXPECT_EQ(l->count[2], 2);
    ASSERT_EQ(mda_CycleEntityList(l, 2, &out), 0);
    EXPECT_EQ(out, c);
    EXPECT_EQ(mda_CycleEntityList(l, 2, &out), MDA_END_OF_LIST);
    ASSERT_EQ(mda_RemoveFromEntityList(l, 2, c), 0);
    EXPECT_EQ(l->last[2], a);
    EXPECT_EQ(l->prevlast[2], MDA_NULL_PTR);
    l->cursor[2] = l->first[2];
    ASSERT_EQ(mda_CycleEntityList(l, 2, &out), 0);
    EXPECT_EQ(out, a);
    ASSERT_EQ(mda_FreeEntityList(l), 0);
}

TEST_F(MdaTest, AppDataStores)
{
    int32_t model = NewModel();
    MdaAppData *s = nullptr;
    EXPECT_EQ(mda_AllocateAppData2(0, 12, 9, &s), MDA_INVALID_MODEL);
    ASSERT_EQ(mda_AllocateAppData2(0, 12, model, &s), 0);
    unsigned char in[12], out[12];
    std::memset(out, 0x5A, sizeof out);
    ASSERT_EQ(mda_ReadAppData(s, MDA_MAKE_PTR(model, 4000), out), 0);
    for (unsigned char c : out) EXPECT_EQ(c, 0);
    std::memset(in, 0x33, sizeof in);
    db_ptr far = MDA_MAKE_PTR(model, 1u << 22); /* beyond the first top array */
    ASSERT_EQ(mda_WriteAppData(s, far, in), 0);
    ASSERT_EQ(mda_ReadAppData(s, far, out), 0);
    EXPECT_EQ(std::memcmp(in, out, sizeof in), 0);
    EXPECT_EQ(mda_WriteAppData(s, MDA_NULL_PTR, in), 0);
    EXPECT_EQ(mda_ReadAppData(s, MDA_MAKE_PTR(model + 1, 1), out), MDA_INVALID_PTR);
    EXPECT_EQ(mda_ReadAppData(nullptr, far, out), MDA_NULL_MEMPTR);
    EXPECT_EQ(mda_WriteAppData(s, far, nullptr), MDA_NULL_MEMPTR);

    /* Deleting an entity clears its records in every store of its model. */
    db_ptr p = NewLine(model, 0);
    ASSERT_EQ(mda_WriteAppData(s, p, in), 0);
    ASSERT_EQ(mda__FreePtr(0, p), 0);
    ASSERT_EQ(mda_ReadAppData(s, p, out), 0);
    for (unsigned char c : out) EXPECT_EQ(c, 0);
    ASSERT_EQ(mda_FreeAppData(s), 0);
}

std::vector<db_ptr> g_visited;
int32_t Visit(db_ptr p, db_ptr base, db_ptr same)
{
    EXPECT_EQ(p, same);
    EXPECT_EQ(MDA_PTR_INDEX(base), 0u);
    g_visited.push_back(p);
    return g_visited.size() == 3 ? 1 : 0;
}

TEST_F(MdaTest, TraverseModelInIndexOrder)
{
    int32_t model = NewModel();
    std::vector<db_ptr> made;
    for (int k = 0; k < 5; ++k) made.push_back(NewLine(model, k));
    ASSERT_EQ(mda__FreePtr(0, made[1]), 0);
    g_visited.clear();
    EXPECT_EQ(mda_TraverseModel(0, model, Visit), MDA_STOPPED);
    ASSERT_EQ(g_visited.size(), 3u);
    EXPECT_EQ(g_visited[0], made[0]);
    EXPECT_EQ(g_visited[1], made[2]);
    EXPECT_EQ(g_visited[2], made[3]);
    g_visited.clear();
    EXPECT_EQ(mda_TraverseModel(1, model, Visit), MDA_STOPPED);
    EXPECT_EQ(g_visited[0], made[4]);
    EXPECT_EQ(g_visited[1], made[3]);
}

TEST_F(MdaTest, SetTFMovesBetweenChains)
{
    int32_t model = NewModel();
    db_ptr p = NewLine(model, 3);
    void *mem;
    ASSERT_EQ(mda_LockEntity(MDA_LOCK_RW, p, &mem), 0);
    EXPECT_EQ(mda_SetTF(mem, MDA_TF(300, 7)), MDA_TF_NOT_FOUND);
    ASSERT_EQ(mda_SetTF(mem, DXFI_TF_dxf_line_ext), 0);
    ASSERT_EQ(mda_UnlockEntity(0, p), 0);
    MdaEntityList *l = mda__Models[model].entlist;
    EXPECT_EQ(l->count[DXFI_TFI_dxf_line], 0);
    EXPECT_EQ(l->first[DXFI_TFI_dxf_line_ext], p);
    int32_t type, form;
    mda_ReadTypeForm(p, &type, &form);
    EXPECT_EQ(form, 1);
    ASSERT_EQ(mda_LockEntity(0, p, &mem), 0);
    EXPECT_EQ(static_cast<mda_EntHdr *>(mem)->tfi, DXFI_TFI_dxf_line_ext);
    EXPECT_EQ(static_cast<dxf_line *>(mem)->xyzstr[0], 3.0);
    ASSERT_EQ(mda_UnlockEntity(0, p), 0);
}

TEST_F(MdaTest, EventCallbacks)
{
    int32_t model = NewModel();
    ASSERT_EQ(mda_AddCallback(model, MDA_EVENT_CREATED, Record), 0);
    ASSERT_EQ(mda_AddCallback(model, MDA_EVENT_MODIFIED, Record), 0);
    ASSERT_EQ(mda_AddCallback(model, MDA_EVENT_DELETED, Record), 0);
    g_events.clear();
    db_ptr p = NewLine(model, 0);
    ASSERT_EQ(g_events.size(), 2u) << "created at entry and at the first final unlock";
    EXPECT_EQ(g_events[0].first, MDA_EVENT_CREATED);
    EXPECT_EQ(g_events[1].first, MDA_EVENT_CREATED);
    void *mem;
    ASSERT_EQ(mda_LockEntity(0, p, &mem), 0);
    ASSERT_EQ(mda_UnlockEntity(0, p), 0);
    EXPECT_EQ(g_events.size(), 2u) << "a clean unlock calls nothing";
    ASSERT_EQ(mda_LockEntity(MDA_LOCK_RW, p, &mem), 0);
    ASSERT_EQ(mda_UnlockEntity(0, p), 0);
    ASSERT_EQ(g_events.size(), 3u);
    EXPECT_EQ(g_events[2].first, MDA_EVENT_MODIFIED);
    ASSERT_EQ(mda__FreePtr(0, p), 0);
    ASSERT_EQ(g_events.size(), 4u);
    EXPECT_EQ(g_events[3], std::make_pair(MDA_EVENT_DELETED, int32_t(p)));
    EXPECT_EQ(mda_DeleteCallback(model, MDA_EVENT_DELETED, Record), 0);
    EXPECT_EQ(mda_DeleteCallback(model, MDA_EVENT_DELETED, Record), MDA_CALLBACK_NOT_FOUND);
}

TEST_F(MdaTest, AllocationAndUnlockOptions)
{
    int32_t model = NewModel(0, true);
    void *mem = reinterpret_cast<void *>(1);
    db_ptr p = 0;
    ASSERT_EQ(mda_AllocateEntity2(MDA_ALLOC_WRITE, model, DXFI_TF_dxf_line, &mem, &p), 0);
    EXPECT_EQ(mem, nullptr) << "written and unlocked: no address to hand out";
    EXPECT_EQ(Locks(p), 0u);
    EXPECT_NE(Entry(p)->dloc, MDA_NOT_WRITTEN);

    db_ptr q = 0;
    ASSERT_EQ(mda_AllocateEntity2(MDA_ALLOC_NOCACHE | MDA_DEFAULTS, model, DXFI_TF_dxf_block, &mem, &q), 0);
    EXPECT_EQ(Entry(q)->status & MDA_ST_INCACHE, 0u) << "bypassed the cache";
    EXPECT_EQ(Locks(q), 1u);

    /* A block's entity list copied from an object list, with back pointers. */
    OlmList *list = olm_CreateList(0, 4, 8, nullptr);
    ASSERT_NE(list, nullptr);
    olm_AddObject(0, list, OLM_LAST, &p);
    olm_AddObject(0, list, OLM_LAST, &p);
    dxf_block *b = static_cast<dxf_block *>(mem);
    b->num_attr = 0x7777;
    ASSERT_EQ(mda_CopyFromOList(2, b, list, &b->num_ent, &b->ent_ptr), 0);
    EXPECT_EQ(b->num_ent, 2);
    EXPECT_EQ(b->num_attr, 0x7777);
    EXPECT_EQ(static_cast<db_ptr *>(mda_Deref(b->ent_ptr))[1], p);
    olm_DeleteList(0, list);
    int32_t n = 0;
    db_ptr *parents = nullptr;
    ASSERT_EQ(mda_GetParentsByTF(0, p, DXFI_TF_dxf_block, &n, &parents), 0);
    EXPECT_EQ(n, 2) << "listed once per reference";
    mda_FreeParents(parents);

    /* Option 8 acts as the final unlock while another lock remains. */
    ASSERT_EQ(mda_LockEntity(0, q, &mem), 0);
    EXPECT_EQ(Locks(q), 2u);
    ASSERT_EQ(mda_UnlockEntity(MDA_UNLOCK_FINAL, q), 0);
    EXPECT_EQ(Locks(q), 1u);
    EXPECT_EQ(Entry(q)->status & (MDA_ST_RWLOCK | MDA_ST_NEW), 0u);
    EXPECT_EQ(Entry(q)->mloc, nullptr) << "written and dropped: it was not cached";
    ASSERT_EQ(mda_LockEntity(0, q, &mem), 0);
    EXPECT_EQ(static_cast<dxf_block *>(mem)->num_ent, 2);
    ASSERT_EQ(mda_UnlockEntity(0, q), 0);
    ASSERT_EQ(mda_UnlockEntity(0, q), 0);

    db_ptr hi = MDA_MAKE_PTR(64, 1), lo = MDA_MAKE_PTR(1, 5);
    EXPECT_EQ(mda_CompPTRs(&hi, &lo), 1) << "compared unsigned";
    EXPECT_EQ(mda_CompPTRs(&lo, &hi), -1);
    EXPECT_EQ(mda_CompPTRs(&lo, &lo), 0);
}

TEST_F(MdaTest, FormatterPrintsModelObjects)
{
    int32_t model = NewModel();
    void *mem;
    db_ptr p = 0;
    ASSERT_EQ(mda_AllocateEntity2(0, model, DXFI_TF_dxf_circle, &mem, &p), 0);
    std::strcpy(static_cast<dxf_circle *>(mem)->dxfsubhdr.handle, "2F");
    ASSERT_EQ(mda_UnlockEntity(0, p), 0);
    ASSERT_EQ(mda__FlushCache(model), 0); /* only on disk now */
    char *text = mpm__Format("%<OrigDesc>", p);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "DXF dxf_circle handle:2F");
    std::free(text);
    NewLine(model, 0);
    text = mpm__Format("%<ModelList>");
    ASSERT_NE(text, nullptr);
    std::string list = text;
    std::free(text);
    EXPECT_NE(list.find("dxf_circle"), std::string::npos) << list;
    EXPECT_NE(list.find("dxf_line"), std::string::npos) << list;
    text = mpm__Format("%<PTR> %<TF>", p, uint32_t(DXFI_TF_dxf_circle));
    EXPECT_STREQ(text, ("#" + std::to_string(model) + ":1 302:0").c_str());
    std::free(text);
}

} // namespace
