/* Tests of entity memory: references written as exactly 4 bytes, blocks
 * that grow, move and go, independent chains, array blocks, and the trip of
 * an entity with nested blocks through the page file (and through the
 * memory-only image) and back at another address; corrupt stored headers;
 * field walks and defaults. */
#include <cstring>
#include <string>
#include <vector>

#include "kernel/dof/dof_int.h"
#include "kernel/mpm/mpm_int.h"
#include "mda_fixture.h"

namespace {

template <class T> T *Deref(mda_ref r) { return static_cast<T *>(mda_Deref(r)); }

TEST_F(MdaTest, FieldReferencesAreFourBytesWide)
{
    int32_t model = NewModel();
    void *mem;
    db_ptr p;
    ASSERT_EQ(mda_AllocateEntity2(0, model, DXFI_TF_dxf_lwpolyline, &mem, &p), 0);
    dxf_lwpolyline *rec = static_cast<dxf_lwpolyline *>(mem);
    rec->npoints = 0x11111111;
    rec->bulge = 0x22222222;
    ASSERT_EQ(mda_Malloc(0, rec, 3 * 2 * sizeof(double), &rec->points), 0);
    EXPECT_EQ(rec->npoints, 0x11111111) << "the field before is untouched";
    EXPECT_EQ(rec->bulge, 0x22222222u) << "the field after is untouched";
    ASSERT_NE(rec->points, 0u);
    double *pts = Deref<double>(rec->points);
    ASSERT_NE(pts, nullptr);
    EXPECT_EQ(mda_RefOf(pts), rec->points);
    int64_t size = 0;
    ASSERT_EQ(mda_GetArraySize(1, pts, &size), 0);
    EXPECT_EQ(size, 48);
    for (int k = 0; k < 6; ++k) EXPECT_EQ(pts[k], 0.0) << "zero-filled";
    pts[5] = 6.5;

    const mda_ref before = rec->points;
    void *moved = nullptr;
    ASSERT_EQ(mda_Realloc(0, rec, pts, 4096, &rec->points), 0);
    EXPECT_EQ(rec->points, before) << "a block keeps its reference";
    EXPECT_EQ(rec->bulge, 0x22222222u);
    moved = mda_Deref(rec->points);
    EXPECT_EQ(static_cast<double *>(moved)[5], 6.5);
    EXPECT_EQ(static_cast<double *>(moved)[500], 0.0);

    mda_ref outside = 0;
    EXPECT_EQ(mda_Malloc(0, rec, 8, &outside), MDA_INVALID_ARG) << "the field must be in the entity";
    EXPECT_EQ(outside, 0u);

    rec->bulge = 0;
    ASSERT_EQ(mda_Strdup(0, rec, "bulges", &rec->bulge), 0);
    EXPECT_STREQ(Deref<char>(rec->bulge), "bulges");
    ASSERT_EQ(mda_Free(0, rec, mda_Deref(rec->points)), 0);
    EXPECT_EQ(rec->points, 0u) << "the referring field is cleared";
    EXPECT_EQ(mda_Deref(before), nullptr);
    EXPECT_EQ(mda_Free(0, rec, rec), MDA_INVALID_ARG) << "a record goes with mda_FreeEntity";
    ASSERT_EQ(mda_UnlockEntity(0, p), 0);
}

TEST_F(MdaTest, IndependentChainsUseMachinePointers)
{
    struct Holder {
        void *child;
        int32_t tail;
    };
    Holder *h = nullptr;
    ASSERT_EQ(mda_Malloc(0, nullptr, sizeof(Holder), &h), 0);
    ASSERT_NE(h, nullptr);
    h->tail = 42;
    ASSERT_EQ(mda_Malloc(0, h, 100, &h->child), 0);
    ASSERT_NE(h->child, nullptr);
    std::strcpy(static_cast<char *>(h->child), "child");
    EXPECT_EQ(h->tail, 42);
    /* The head moves: the pointer kept inside it moves along and still works. */
    Holder *h2 = nullptr;
    ASSERT_EQ(mda_Realloc(0, nullptr, h, 10000, &h2), 0);
    EXPECT_STREQ(static_cast<char *>(h2->child), "child");
    void *grown = nullptr;
    ASSERT_EQ(mda_Realloc(0, h2, h2->child, 5000, &grown), 0);
    EXPECT_EQ(h2->child, grown) << "the recorded variable follows the block";
    EXPECT_STREQ(static_cast<char *>(grown), "child");
    ASSERT_EQ(mda_Free(0, nullptr, h2), 0); /* takes its chain along */
    EXPECT_EQ(mda_Free(0, nullptr, nullptr), MDA_NULL_MEMPTR);
}

TEST_F(MdaTest, ArrayBlocks)
{
    int32_t ext[3] = {3, 4, 0};
    void *arr = nullptr;
    EXPECT_EQ(mda__MallocArray(0, nullptr, 4, 3, ext, &arr), MDA_ZERO_DIM);
    ext[2] = 5;
    ASSERT_EQ(mda__MallocArray(0, nullptr, 4, 3, ext, &arr), 0);
    int32_t ***a = static_cast<int32_t ***>(arr);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 5; ++k) a[i][j][k] = i * 100 + j * 10 + k;
    EXPECT_EQ(&a[1][0][0] - &a[0][0][0], 20) << "elements are contiguous";
    EXPECT_EQ(reinterpret_cast<uintptr_t>(&a[0][0][0]) % 8, 0u);
    EXPECT_EQ(a[2][3][4], 234);
    int64_t size = 0;
    ASSERT_EQ(mda_GetArraySize(0, arr, &size), 0);
    EXPECT_EQ(size, 3 * 4 * 5 * 4);
    EXPECT_EQ(mda_RefOf(arr) != 0, true);
    EXPECT_EQ(mda_Deref(mda_RefOf(arr)), arr);
    EXPECT_EQ(mda_Realloc(0, nullptr, arr, 10, &arr), MDA_INVALID_ARG);
    ASSERT_EQ(mda_Free(2, nullptr, arr), 0);
    ASSERT_EQ(mda_GetArraySize(0, nullptr, &size), 0);
    EXPECT_EQ(size, 0);
}

/* A hatch with two paths (each with boundary objects and segments), extended
 * data with a string item, and seed points in an array block. */
db_ptr MakeHatch(int32_t model)
{
    void *mem;
    db_ptr p;
    EXPECT_EQ(mda_AllocateEntity2(0, model, DXFI_TF_dxf_hatch, &mem, &p), 0);
    dxf_hatch *h = static_cast<dxf_hatch *>(mem);
    std::strcpy(h->name, "ANSI31");
    std::strcpy(h->dxfsubhdr.handle, "A7");
    h->angle = 45.0;
    h->numpath = 2;
    EXPECT_EQ(mda_Malloc(0, h, 2 * sizeof(dxf_hatch_path), &h->path), 0);
    for (int i = 0; i < 2; ++i) {
        dxf_hatch_path *path = Deref<dxf_hatch_path>(h->path) + i;
        path->pathflag = 1 + i;
        path->numboundaryobj = 2;
        EXPECT_EQ(mda_Malloc(0, h, 2 * sizeof(db_ptr), &path->boundaryobj), 0);
        Deref<db_ptr>(path->boundaryobj)[1] = 0x1234 + i;
        path->nseg = 2;
        EXPECT_EQ(mda_Malloc(0, h, 2 * sizeof(dxf_hatch_path_seg), &path->seg), 0);
        dxf_hatch_path_seg *seg = Deref<dxf_hatch_path_seg>(path->seg);
        seg[0].selector = DXF_HATCH_SEG_CARC;
        seg[0].carc.radius = 2.5 + i;
        seg[1].selector = DXF_HATCH_SEG_SPLINE;
        seg[1].spline.numknot = 3;
        EXPECT_EQ(mda_Malloc(0, h, 3 * sizeof(double), &seg[1].spline.knotval), 0);
        Deref<double>(seg[1].spline.knotval)[2] = 9.0 + i;
    }
    h->dxfxed.napps = 1;
    EXPECT_EQ(mda_Malloc(0, h, sizeof(dxfxed_appxdata), &h->dxfxed.appxdata), 0);
    dxfxed_appxdata *app = Deref<dxfxed_appxdata>(h->dxfxed.appxdata);
    std::strcpy(app->appid, "ACAD");
    app->ngroups = 1;
    EXPECT_EQ(mda_Malloc(0, h, sizeof(dxfxed_appxdata_xdata), &app->xdata), 0);
    dxfxed_appxdata_xdata *item = Deref<dxfxed_appxdata_xdata>(app->xdata);
    item->gc = 1000;
    item->gc_data.selector = DXFXED_GC_DATA_TVAL;
    EXPECT_EQ(mda_Strdup(0, h, "extended text", &item->gc_data.tval), 0);
    h->numseed = 3;
    int32_t ext[2] = {3, 2};
    EXPECT_EQ(mda__MallocArray(0, h, sizeof(double), 2, ext, &h->seedpoint), 0);
    double **seeds = static_cast<double **>(mda_Deref(h->seedpoint));
    for (int i = 0; i < 3; ++i) seeds[i][1] = 0.5 * i;
    return p;
}

void CheckHatch(const dxf_hatch *h)
{
    EXPECT_STREQ(h->name, "ANSI31");
    EXPECT_EQ(h->angle, 45.0);
    ASSERT_EQ(h->numpath, 2);
    for (int i = 0; i < 2; ++i) {
        const dxf_hatch_path *path = Deref<dxf_hatch_path>(h->path) + i;
        EXPECT_EQ(path->pathflag, 1 + i);
        ASSERT_EQ(path->numboundaryobj, 2);
        EXPECT_EQ(Deref<db_ptr>(path->boundaryobj)[1], db_ptr(0x1234 + i));
        const dxf_hatch_path_seg *seg = Deref<dxf_hatch_path_seg>(path->seg);
        ASSERT_NE(seg, nullptr);
        EXPECT_EQ(seg[0].selector, DXF_HATCH_SEG_CARC);
        EXPECT_EQ(seg[0].carc.radius, 2.5 + i);
        EXPECT_EQ(seg[1].spline.numknot, 3);
        EXPECT_EQ(Deref<double>(seg[1].spline.knotval)[2], 9.0 + i);
    }
    const dxfxed_appxdata *app = Deref<dxfxed_appxdata>(h->dxfxed.appxdata);
    ASSERT_NE(app, nullptr);
    EXPECT_STREQ(app->appid, "ACAD");
    const dxfxed_appxdata_xdata *item = Deref<dxfxed_appxdata_xdata>(app->xdata);
    EXPECT_EQ(item->gc, 1000);
    EXPECT_STREQ(Deref<char>(item->gc_data.tval), "extended text");
    double **seeds = static_cast<double **>(mda_Deref(h->seedpoint));
    ASSERT_NE(seeds, nullptr);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(seeds[i][1], 0.5 * i);
        EXPECT_EQ(seeds[i], reinterpret_cast<double *>(seeds + 3) + 2 * i)
            << "row pointers point into this block";
    }
}

/* Every block of a record's chain, with its bytes apart from the 4-byte
 * fields that refer to other blocks of the chain. */
std::vector<std::string> ChainImage(void *record)
{
    std::vector<std::string> out;
    std::vector<MBlock *> blocks;
    for (MBlock *b = mda__BlockOf(record); b; b = b->next) blocks.push_back(b);
    for (MBlock *b : blocks) {
        std::string bytes(reinterpret_cast<char *>(mda__DataOf(b)), b->size - b->data_back);
        for (MBlock *c : blocks)
            if (c->tag == MDA_BACKREF_FIELD && c->back.field.holder == b->ref)
                std::memset(&bytes[c->back.field.offset], '#', 4);
        if (b->kind == MDA_KIND_ARRAY) bytes.replace(0, 3 * sizeof(void *), 3 * sizeof(void *), '*');
        out.push_back(bytes);
    }
    return out;
}

TEST_F(MdaTest, PageFileRoundTripOfNestedBlocks)
{
    int32_t model = NewModel();
    db_ptr p = MakeHatch(model);
    void *mem;
    ASSERT_EQ(mda_LockEntity(0, p, &mem), 0);
    std::vector<std::string> before = ChainImage(mem);
    EXPECT_EQ(before.size(), 2u + 2 * 3 + 4);
    ASSERT_EQ(mda_UnlockEntity(0, p), 0);
    ASSERT_EQ(mda_UnlockEntity(0, p), 0);
    ASSERT_EQ(mda__FlushCache(model), 0);
    EXPECT_EQ(Entry(p)->mloc, nullptr);

    /* Occupy the freed addresses and references so the entity comes back
     * elsewhere. */
    std::vector<void *> squat;
    for (size_t k = 0; k < before.size() + 4; ++k) {
        void *b = nullptr;
        ASSERT_EQ(mda_Malloc(0, nullptr, 1104, &b), 0);
        squat.push_back(b);
    }
    ASSERT_EQ(mda_LockEntity(0, p, &mem), 0);
    EXPECT_EQ(ChainImage(mem), before) << "every byte back, references resolved";
    CheckHatch(static_cast<dxf_hatch *>(mem));
    for (void *b : squat) EXPECT_NE(b, mem);
    ASSERT_EQ(mda_UnlockEntity(0, p), 0);
    for (void *b : squat) mda_Free(0, nullptr, b);

    char *text = mpm__Format("%<OrigDesc>", p);
    EXPECT_STREQ(text, "DXF dxf_hatch handle:A7");
    std::free(text);
}

TEST_F(MdaTest, GrownEntitiesMoveShrunkOnesStay)
{
    int32_t model = NewModel();
    db_ptr p = MakeHatch(model);
    ASSERT_EQ(mda_UnlockEntity(0, p), 0);
    DofFile *pf = mda__Models[model].pagefile;
    const int64_t first = Entry(p)->dloc;
    NewLine(model, 0); /* something after it in the file */
    ASSERT_EQ(mda__FlushCache(model), 0);

    void *mem;
    ASSERT_EQ(mda_LockEntity(MDA_LOCK_RW, p, &mem), 0);
    dxf_hatch *h = static_cast<dxf_hatch *>(mem);
    h->numpath = 400;
    ASSERT_EQ(mda_Realloc(0, h, mda_Deref(h->path), 400 * sizeof(dxf_hatch_path), &h->path), 0);
    for (int i = 2; i < 400; ++i) Deref<dxf_hatch_path>(h->path)[i].pathflag = i;
    const int64_t freed = pf->classes[DOF_NCLASSES - 1].freed;
    ASSERT_EQ(mda_UnlockEntity(0, p), 0);
    const int64_t second = Entry(p)->dloc;
    EXPECT_NE(second, first) << "moved to a larger block";
    EXPECT_EQ(pf->classes[DOF_NCLASSES - 1].freed, freed + 1) << "the old block was freed";

    ASSERT_EQ(mda_LockEntity(MDA_LOCK_RW, p, &mem), 0);
    h = static_cast<dxf_hatch *>(mem);
    ASSERT_EQ(mda_Free(0, h, mda_Deref(h->seedpoint)), 0);
    h->numseed = 0;
    ASSERT_EQ(mda_UnlockEntity(0, p), 0);
    EXPECT_EQ(Entry(p)->dloc, second) << "a smaller image is rewritten in place";
    ASSERT_EQ(mda__FlushCache(model), 0);
    ASSERT_EQ(mda_LockEntity(0, p, &mem), 0);
    h = static_cast<dxf_hatch *>(mem);
    EXPECT_EQ(h->numpath, 400);
    EXPECT_EQ(h->seedpoint, 0u);
    EXPECT_EQ(Deref<dxf_hatch_path>(h->path)[1].pathflag, 2);
    EXPECT_EQ(Deref<dxf_hatch_path>(h->path)[399].pathflag, 399);
    EXPECT_EQ(Deref<dxf_hatch_path>(h->path)[399].seg, 0u);
    ASSERT_EQ(mda_UnlockEntity(0, p), 0);
}

size_t ChainLength(void *record)
{
    size_t n = 0;
    for (MBlock *b = mda__BlockOf(record); b; b = b->next) ++n;
    return n;
}

TEST_F(MdaTest, FreeingABlockFreesWhatOnlyItReaches)
{
    int32_t model = NewModel();
    db_ptr p = MakeHatch(model);
    void *mem = Entry(p)->mloc;
    dxf_hatch *h = static_cast<dxf_hatch *>(mem);
    ASSERT_EQ(ChainLength(mem), 12u);
    /* Shrinking the path block to one path cuts off the second path's
     * boundary objects, segments and knots. */
    ASSERT_EQ(mda_Realloc(0, h, mda_Deref(h->path), sizeof(dxf_hatch_path), &h->path), 0);
    h->numpath = 1;
    EXPECT_EQ(ChainLength(mem), 9u);
    /* Freeing the path block takes the first path's blocks along. */
    ASSERT_EQ(mda_Free(0, h, mda_Deref(h->path)), 0);
    EXPECT_EQ(h->path, 0u);
    h->numpath = 0;
    EXPECT_EQ(ChainLength(mem), 5u) << "record, extended data (3 blocks), seed points";
    ASSERT_EQ(mda_UnlockEntity(0, p), 0);
    ASSERT_EQ(mda__FlushCache(model), 0);
    ASSERT_EQ(mda_LockEntity(0, p, &mem), 0);
    EXPECT_EQ(ChainLength(mem), 5u);
    EXPECT_STREQ(static_cast<char *>(mda_Deref(
                     Deref<dxfxed_appxdata_xdata>(
                         Deref<dxfxed_appxdata>(static_cast<dxf_hatch *>(mem)->dxfxed.appxdata)->xdata)
                         ->gc_data.tval)),
                 "extended text");
    ASSERT_EQ(mda_UnlockEntity(0, p), 0);
}

TEST_F(MdaTest, MemoryOnlyModelKeepsImages)
{
    int32_t model = NewModel(MDA_MEMORY_ONLY);
    EXPECT_EQ(mda__Models[model].pagefile, nullptr);
    EXPECT_EQ(mda__Models[model].cache, nullptr);
    db_ptr p = MakeHatch(model);
    ASSERT_EQ(mda_UnlockEntity(0, p), 0);
    EXPECT_EQ(Entry(p)->mloc, nullptr);
    EXPECT_NE(Entry(p)->dloc, 0);
    void *mem;
    ASSERT_EQ(mda_LockEntity(0, p, &mem), 0);
    CheckHatch(static_cast<dxf_hatch *>(mem));
    ASSERT_EQ(mda_UnlockEntity(0, p), 0);
    EXPECT_EQ(Entry(p)->mloc, nullptr);
    char *text = mpm__Format("%<OrigDesc>", p);
    EXPECT_STREQ(text, "DXF dxf_hatch handle:A7");
    std::free(text);
    ASSERT_EQ(mda__FreePtr(0, p), 0);
}

TEST_F(MdaTest, CorruptStoredHeadersAreRefused)
{
    int32_t model = NewModel();
    db_ptr p = NewLine(model, 1), q = MakeHatch(model);
    ASSERT_EQ(mda_UnlockEntity(0, q), 0);
    ASSERT_EQ(mda__FlushCache(model), 0);
    DofFile *pf = mda__Models[model].pagefile;
    int64_t huge = int64_t(1) << 50;
    ASSERT_EQ(dof_ReadWrite(1, pf, 8, Entry(p)->dloc, &huge), 0); /* size of the image */
    void *mem = reinterpret_cast<void *>(1);
    EXPECT_EQ(mda_LockEntity(0, p, &mem), MDA_DBG_BIGDBLOCK);
    EXPECT_EQ(mem, nullptr);
    EXPECT_EQ(Locks(p), 0u);

    /* A damaged link inside a multi-block image. */
    MdaDiskHdr h;
    ASSERT_EQ(dof_ReadWrite(0, pf, sizeof h, Entry(q)->dloc, &h), 0);
    h.ref_ordinal = 77;
    ASSERT_EQ(dof_ReadWrite(1, pf, sizeof h, Entry(q)->dloc, &h), 0);
    EXPECT_EQ(mda_LockEntity(0, q, &mem), MDA_DBG_BADPTRNUM);
    EXPECT_EQ(mem, nullptr);
}

TEST_F(MdaTest, StoredImagesPackZeroRuns)
{
    int32_t model = NewModel();
    DofFile *pf = mda__Models[model].pagefile;

    /* Nothing to pack: every word of the record set, stored as it is. */
    void *mem;
    db_ptr full = 0;
    ASSERT_EQ(mda_AllocateEntity2(0, model, DXFI_TF_dxf_line, &mem, &full), 0);
    std::memset(static_cast<unsigned char *>(mem) + 16, 0x5A, 768 - 16);
    ASSERT_EQ(mda_UnlockEntity(0, full), 0);
    MdaDiskHdr h;
    ASSERT_EQ(dof_ReadWrite(0, pf, sizeof h, Entry(full)->dloc, &h), 0);
    EXPECT_EQ(h.packed, 0);
    int64_t capacity = 0;
    ASSERT_EQ(dof_GetBlockSize(pf, Entry(full)->dloc, &capacity), 0);
    EXPECT_GE(capacity, 48 + 768);

    /* A mostly empty record with a large zero block: runs longer than one
     * token can count. */
    db_ptr sparse = 0;
    ASSERT_EQ(mda_AllocateEntity2(0, model, DXFI_TF_dxf_lwpolyline, &mem, &sparse), 0);
    dxf_lwpolyline *l = static_cast<dxf_lwpolyline *>(mem);
    l->npoints = 70000;
    ASSERT_EQ(mda_Malloc(0, l, 70000 * 2 * sizeof(double), &l->points), 0);
    Deref<double>(l->points)[139999] = 1.25;
    l->elev = 3.0;
    ASSERT_EQ(mda_UnlockEntity(0, sparse), 0);
    ASSERT_EQ(dof_ReadWrite(0, pf, sizeof h, Entry(sparse)->dloc, &h), 0);
    EXPECT_EQ(h.packed, 1);
    ASSERT_EQ(dof_GetBlockSize(pf, Entry(sparse)->dloc, &capacity), 0);
    EXPECT_LT(capacity, 2048) << "1.1 MB of image, mostly zeros";

    ASSERT_EQ(mda__FlushCache(model), 0);
    ASSERT_EQ(mda_LockEntity(0, full, &mem), 0);
    for (int i = 16; i < 768; ++i) ASSERT_EQ(static_cast<unsigned char *>(mem)[i], 0x5A) << i;
    ASSERT_EQ(mda_UnlockEntity(0, full), 0);
    ASSERT_EQ(mda_LockEntity(0, sparse, &mem), 0);
    l = static_cast<dxf_lwpolyline *>(mem);
    EXPECT_EQ(l->elev, 3.0);
    EXPECT_EQ(Deref<double>(l->points)[139999], 1.25);
    EXPECT_EQ(Deref<double>(l->points)[70000], 0.0);
    ASSERT_EQ(mda_UnlockEntity(0, sparse), 0);

    /* A damaged packed stream is refused: a token that counts nothing, and
     * one that runs past the image. */
    ASSERT_EQ(mda__FlushCache(model), 0);
    const int64_t body = Entry(sparse)->dloc + 48;
    uint16_t token[2] = {0, 0};
    ASSERT_EQ(dof_ReadWrite(1, pf, 4, body, token), 0);
    mem = reinterpret_cast<void *>(1);
    EXPECT_EQ(mda_LockEntity(0, sparse, &mem), MDA_DBG_BADBLOCKNUM);
    EXPECT_EQ(mem, nullptr);
    token[1] = 65535;
    token[0] = 65535;
    ASSERT_EQ(dof_ReadWrite(1, pf, 4, body, token), 0);
    EXPECT_EQ(mda_LockEntity(0, sparse, &mem), MDA_DBG_BADBLOCKNUM);
    char *text = mpm__Format("%<OrigDesc>", sparse);
    EXPECT_STREQ(text, ("#" + std::to_string(model) + ":2").c_str())
        << "an unreadable origin prints as the pointer";
    std::free(text);
}

struct Seen {
    std::vector<std::pair<std::string, int32_t>> fields;
};
Seen g_seen;
int32_t Collect(void *, int32_t count, int32_t kind, void *, const DdfField *f)
{
    const DdfDef *d = ddf_DxfiDefinition();
    std::string name = f->name != DDF_NO_INDEX ? d->fld_names[f->name] : "?";
    g_seen.fields.push_back({name + "/" + std::to_string(kind), count});
    return 0;
}

int32_t CountOf(const std::string &key)
{
    for (auto &f : g_seen.fields)
        if (f.first == key) return f.second;
    return -1;
}

TEST_F(MdaTest, TraverseEntityFollowsCountsAndSelectors)
{
    int32_t model = NewModel();
    void *mem;
    db_ptr p;
    ASSERT_EQ(mda_AllocateEntity2(0, model, DXFI_TF_dxf_lwpolyline, &mem, &p), 0);
    dxf_lwpolyline *l = static_cast<dxf_lwpolyline *>(mem);
    l->npoints = 3;
    ASSERT_EQ(mda_Malloc(0, l, 6 * sizeof(double), &l->points), 0);
    ASSERT_EQ(mda_Malloc(0, l, 3 * sizeof(double), &l->bulge), 0);
    g_seen.fields.clear();
    ASSERT_EQ(mda_TraverseEntity(0, mem, Collect), 0);
    EXPECT_EQ(CountOf("points/5"), 6);
    EXPECT_EQ(CountOf("bulge/5"), 3);
    EXPECT_EQ(CountOf("widths/5"), -1) << "no block, nothing to visit";
    EXPECT_EQ(CountOf("dxfhdr.extrusion/5"), 3);
    EXPECT_EQ(CountOf("dxfhdr.lay_name/7"), 1);
    EXPECT_EQ(CountOf("dxfsubhdr.handle/7"), 1);
    EXPECT_EQ(CountOf("dxfxed.napps/10"), 1);
    ASSERT_EQ(mda_UnlockEntity(0, p), 0);

    p = MakeHatch(model);
    ASSERT_EQ(mda_LockEntity(0, p, &mem), 0);
    g_seen.fields.clear();
    ASSERT_EQ(mda_TraverseEntity(0, mem, Collect), 0);
    EXPECT_EQ(CountOf("path.seg/14"), 2) << "the selectors of a path's segments";
    EXPECT_EQ(CountOf("path.seg.carc.radius/5"), 1);
    EXPECT_EQ(CountOf("path.seg.line.start/5"), -1) << "unselected members are skipped";
    EXPECT_EQ(CountOf("path.seg.spline.knotval/5"), 3);
    EXPECT_EQ(CountOf("path.boundaryobj/9"), 2);
    EXPECT_EQ(CountOf("dxfxed.appxdata.xdata.gc_data.tval/8"), 1);
    EXPECT_EQ(CountOf("dxfxed.appxdata.xdata.gc_data.pval/9"), -1);
    g_seen.fields.clear();
    ASSERT_EQ(mda_TraverseEntity(1, mem, Collect), 0);
    EXPECT_EQ(CountOf("path.seg.line.start/5"), 2) << "option 1 visits every member";

    /* Defaults: every field zero, empty or null; the counts too, so the
     * arrays are empty afterwards. */
    dxf_hatch *h = static_cast<dxf_hatch *>(mem);
    h->dxfhdr.color = 5;
    ASSERT_EQ(mda_DefaultEntity(0, mem), 0);
    EXPECT_EQ(h->angle, 0.0);
    EXPECT_EQ(h->name[0], 0);
    EXPECT_EQ(h->dxfsubhdr.handle[0], 0);
    EXPECT_EQ(h->dxfhdr.color, 0);
    EXPECT_EQ(h->numpath, 0);
    EXPECT_EQ(h->dxfxed.napps, 0);
    EXPECT_EQ(h->hdr.tf, DXFI_TF_dxf_hatch) << "the header is not a field";
    ASSERT_EQ(mda_UnlockEntity(0, p), 0);
    ASSERT_EQ(mda_UnlockEntity(0, p), 0);
}

/* Every ptr field as mda_TraverseEntity visits it: "name count values". */
std::vector<std::string> g_ptrs;
int32_t CollectPtrs(void *, int32_t count, int32_t kind, void *data, const DdfField *f)
{
    if (kind != DDF_KIND_PTR) return 0;
    const DdfDef *d = ddf_DxfiDefinition();
    std::string line =
        (f->name != DDF_NO_INDEX ? d->fld_names[f->name] : "?") + std::string(" ") + std::to_string(count);
    for (int32_t i = 0; i < count; ++i) {
        db_ptr v;
        std::memcpy(&v, static_cast<unsigned char *>(data) + 4 * i, 4);
        line += " " + std::to_string(v);
    }
    g_ptrs.push_back(line);
    return 0;
}

/* Gives every fixed ptr field a value of its own. */
db_ptr g_next_value;
int32_t NumberPtrs(void *, int32_t count, int32_t kind, void *data, const DdfField *)
{
    if (kind == DDF_KIND_PTR)
        for (int32_t i = 0; i < count; ++i, ++g_next_value)
            std::memcpy(static_cast<unsigned char *>(data) + 4 * i, &g_next_value, 4);
    return 0;
}

std::vector<std::string> PtrsByWalk(void *mem)
{
    g_ptrs.clear();
    EXPECT_EQ(mda_TraverseEntity(0, mem, CollectPtrs), 0);
    return g_ptrs;
}

std::vector<std::string> PtrsByPlan(void *mem)
{
    g_ptrs.clear();
    EXPECT_EQ(mda__TraversePtrs(mem, CollectPtrs), 0);
    return g_ptrs;
}

/* The ptr fields that setting back pointers visits come from a plan of
 * fixed offsets where the record allows: they must be the walk's, for
 * every type-form, and with variable parts that hold ptr fields (extended
 * data, attribute and boundary arrays) filled or empty. */
TEST_F(MdaTest, PtrTraversalMatchesTheWalk)
{
    int32_t model = NewModel();
    const DdfDef *d = ddf_DxfiDefinition();
    int32_t types = 0;
    for (int32_t tfi = 0; tfi < d->n_typeforms; ++tfi) {
        void *mem = nullptr;
        if (mda_MallocEntity2(0, model, d->typeforms[tfi], &mem) != 0) continue; /* sub-entities */
        ++types;
        g_next_value = 1;
        ASSERT_EQ(mda_TraverseEntity(0, mem, NumberPtrs), 0);
        EXPECT_EQ(PtrsByPlan(mem), PtrsByWalk(mem)) << d->ent_names[tfi];
        ASSERT_EQ(mda_FreeEntity(0, mem), 0);
    }
    EXPECT_GT(types, 100);

    void *mem = nullptr;
    ASSERT_EQ(mda_MallocEntity2(0, model, DXFI_TF_dxf_line, &mem), 0);
    static_cast<dxf_line *>(mem)->dxfhdr.entltypeobjhandle = 77;
    EXPECT_EQ(PtrsByPlan(mem),
              (std::vector<std::string>{"dxfhdr.entlayerobjhandle 1 0", "dxfhdr.entltypeobjhandle 1 77"}));
    ASSERT_EQ(mda_FreeEntity(0, mem), 0);

    struct Case {
        const char *what;
        int32_t attributes;
        bool ptr_in_xdata;
    } cases[] = {{"no attributes, no extended data", 0, false},
                 {"three attributes", 3, false},
                 {"a pointer in extended data", 0, true},
                 {"both", 2, true}};
    for (const Case &c : cases) {
        ASSERT_EQ(mda_MallocEntity2(0, model, DXFI_TF_dxf_insert, &mem), 0);
        dxf_insert *ins = static_cast<dxf_insert *>(mem);
        ins->block = 5;
        ins->num_attr = c.attributes;
        if (c.attributes) {
            ASSERT_EQ(mda_Malloc(0, ins, size_t(c.attributes) * sizeof(db_ptr), &ins->att_inst), 0);
            for (int32_t i = 0; i < c.attributes; ++i) Deref<db_ptr>(ins->att_inst)[i] = db_ptr(100 + i);
        }
        if (c.ptr_in_xdata) {
            ins->dxfxed.napps = 1;
            ASSERT_EQ(mda_Malloc(0, ins, sizeof(dxfxed_appxdata), &ins->dxfxed.appxdata), 0);
            dxfxed_appxdata *app = Deref<dxfxed_appxdata>(ins->dxfxed.appxdata);
            app->ngroups = 1;
            ASSERT_EQ(mda_Malloc(0, ins, sizeof(dxfxed_appxdata_xdata), &app->xdata), 0);
            dxfxed_appxdata_xdata *item = Deref<dxfxed_appxdata_xdata>(app->xdata);
            item->gc = 1005;
            item->gc_data.selector = DXFXED_GC_DATA_PVAL;
            item->gc_data.pval = 300;
        }
        std::vector<std::string> walk = PtrsByWalk(mem);
        EXPECT_EQ(PtrsByPlan(mem), walk) << c.what;
        EXPECT_EQ(walk.size(), 3u + (c.attributes ? 1 : 0) + (c.ptr_in_xdata ? 1 : 0)) << c.what;
        ASSERT_EQ(mda_FreeEntity(0, mem), 0);
    }

    db_ptr hatch = MakeHatch(model);
    ASSERT_EQ(mda_LockEntity(0, hatch, &mem), 0);
    EXPECT_EQ(PtrsByPlan(mem), PtrsByWalk(mem)) << "boundary objects inside the paths";
    ASSERT_EQ(mda_UnlockEntity(0, hatch), 0);
    ASSERT_EQ(mda_UnlockEntity(0, hatch), 0);
}

} // namespace
