/* A randomised test of the model database against a plain in-memory
 * reference: long sequences of create, lock, read/write lock with changes
 * (strings and arrays that grow and shrink), unlock, delete, reserve and
 * back-pointer operations on three models (one memory-only, one keeping
 * back pointers) under cache pressure (more held locks than cache slots),
 * checked after every step. */
#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "mda_fixture.h"

namespace {

struct RefEntity {
    mda_tf tf = 0;
    double x = 0;
    std::string text;           /* dxf_text */
    std::vector<double> points; /* dxf_lwpolyline, pairs */
    db_ptr layer = 0;           /* dxfhdr.entlayerobjhandle */
    int locks = 0;
};

struct RefModel {
    int32_t number = 0;
    bool backptrs = false;
    std::map<db_ptr, RefEntity> live;
    std::vector<db_ptr> reserved;
    std::vector<db_ptr> held; /* one entry per lock held */
};

class RandomModel : public MdaTest {
protected:
    std::mt19937 rng;
    std::vector<RefModel> models;

    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }

    db_ptr AnyLive(RefModel &m)
    {
        if (m.live.empty()) return 0;
        auto it = m.live.begin();
        std::advance(it, Pick(int(m.live.size())));
        return it->first;
    }

    void Fill(void *mem, RefEntity &e)
    {
        dxf_line *common = static_cast<dxf_line *>(mem); /* shared header and sub-records */
        common->dxfhdr.elevation = e.x;
        if (e.tf == DXFI_TF_dxf_text) {
            dxf_text *t = static_cast<dxf_text *>(mem);
            if (t->text) { ASSERT_EQ(mda_Free(0, t, mda_Deref(t->text)), 0); }
            ASSERT_EQ(mda_Strdup(0, t, e.text.c_str(), &t->text), 0);
        } else if (e.tf == DXFI_TF_dxf_lwpolyline) {
            dxf_lwpolyline *l = static_cast<dxf_lwpolyline *>(mem);
            l->npoints = int32_t(e.points.size() / 2);
            if (e.points.empty()) {
                if (l->points) { ASSERT_EQ(mda_Free(0, l, mda_Deref(l->points)), 0); }
            } else {
                size_t bytes = e.points.size() * sizeof(double);
                ASSERT_EQ(mda_Realloc(0, l, mda_Deref(l->points), bytes, &l->points), 0);
                std::memcpy(mda_Deref(l->points), e.points.data(), bytes);
            }
        } else {
            static_cast<dxf_line *>(mem)->xyzend[1] = e.x * 2;
        }
    }

    void Check(const void *mem, const RefEntity &e, db_ptr p)
    {
        const dxf_line *common = static_cast<const dxf_line *>(mem);
        ASSERT_EQ(common->hdr.tf, e.tf);
        ASSERT_EQ(common->hdr.self, p);
        ASSERT_EQ(common->dxfhdr.elevation, e.x);
        ASSERT_EQ(common->dxfhdr.entlayerobjhandle, e.layer);
        if (e.tf == DXFI_TF_dxf_text) {
            const dxf_text *t = static_cast<const dxf_text *>(mem);
            ASSERT_STREQ(static_cast<const char *>(mda_Deref(t->text)), e.text.c_str());
        } else if (e.tf == DXFI_TF_dxf_lwpolyline) {
            const dxf_lwpolyline *l = static_cast<const dxf_lwpolyline *>(mem);
            ASSERT_EQ(size_t(l->npoints) * 2, e.points.size());
            if (!e.points.empty()) {
                ASSERT_EQ(std::memcmp(mda_Deref(l->points), e.points.data(), e.points.size() * 8), 0);
            }
        } else {
            ASSERT_EQ(static_cast<const dxf_line *>(mem)->xyzend[1], e.x * 2);
        }
    }

    void Randomise(RefEntity &e)
    {
        e.x = Pick(100000) / 8.0;
        if (e.tf == DXFI_TF_dxf_text) e.text = std::string(size_t(Pick(300)), char('a' + Pick(26)));
        if (e.tf == DXFI_TF_dxf_lwpolyline) {
            e.points.resize(size_t(2 * Pick(60)));
            for (double &v : e.points) v = Pick(1000) - 500;
        }
    }

    int ParentCount(RefModel &m, db_ptr child)
    {
        int n = 0;
        for (auto &kv : m.live) n += kv.second.layer == child;
        return n;
    }

    void Create(RefModel &m)
    {
        static const mda_tf tfs[] = {DXFI_TF_dxf_line, DXFI_TF_dxf_text, DXFI_TF_dxf_lwpolyline};
        RefEntity e;
        e.tf = tfs[Pick(3)];
        Randomise(e);
        void *mem = nullptr;
        db_ptr p = 0;
        int32_t options = 0;
        if (!m.reserved.empty() && Pick(2)) {
            p = m.reserved.back();
            m.reserved.pop_back();
            options = MDA_USE_RESERVED;
        }
        ASSERT_EQ(mda_AllocateEntity2(options, m.number, e.tf, &mem, &p), 0);
        Fill(mem, e);
        if (m.backptrs && !m.live.empty() && Pick(2)) {
            e.layer = AnyLive(m);
            ASSERT_EQ(mda_AddPtr(p, e.layer, &static_cast<dxf_line *>(mem)->dxfhdr.entlayerobjhandle), 0);
        }
        e.locks = 1;
        m.live[p] = e;
        m.held.push_back(p);
        if (Pick(4)) Unlock(m, m.held.size() - 1);
    }

    void Unlock(RefModel &m, size_t which)
    {
        db_ptr p = m.held[which];
        m.held.erase(m.held.begin() + long(which));
        ASSERT_EQ(mda_UnlockEntity(0, p), 0);
        m.live[p].locks--;
    }

    void Lock(RefModel &m, bool rw)
    {
        db_ptr p = AnyLive(m);
        if (!p) return;
        RefEntity &e = m.live[p];
        void *mem = nullptr;
        ASSERT_EQ(mda_LockEntity(rw ? MDA_LOCK_RW : 0, p, &mem), 0);
        Check(mem, e, p);
        if (rw) {
            Randomise(e);
            Fill(mem, e);
        }
        e.locks++;
        m.held.push_back(p);
        if (m.held.size() > 40 || Pick(3)) Unlock(m, m.held.size() - 1);
    }

    void Delete(RefModel &m)
    {
        db_ptr p = AnyLive(m);
        if (!p || m.live[p].locks) return;
        if (m.backptrs && ParentCount(m, p)) {
            ASSERT_EQ(mda__FreePtr(0, p), MDA_HAS_PARENTS);
            return;
        }
        bool reserve = Pick(4) == 0;
        ASSERT_EQ(mda__FreePtr(reserve ? MDA_USE_RESERVED : 0, p), 0);
        if (reserve) m.reserved.push_back(p);
        m.live.erase(p);
    }

    void Verify(RefModel &m, bool full)
    {
        MdaModel &mm = mda__Models[m.number];
        ASSERT_EQ(mm.nentities, int32_t(m.live.size() + 0));
        int32_t listed = 0;
        for (int32_t t = 0; t < mm.entlist->ntfi; ++t) listed += mm.entlist->count[t];
        ASSERT_EQ(listed, int32_t(m.live.size()));
        for (uint32_t i = 1; i < mm.next_index; ++i) {
            db_ptr p = MDA_MAKE_PTR(m.number, i);
            ASSERT_EQ(mda_IsValidDbptr(p), int32_t(m.live.count(p))) << std::hex << p;
        }
        for (auto &kv : m.live) {
            MdaDirEntry *e = Entry(kv.first);
            ASSERT_EQ(int(Locks(kv.first)), kv.second.locks);
            ASSERT_EQ(e->tf, kv.second.tf);
            if (e->status & MDA_ST_INCACHE) {
                ASSERT_EQ(mm.cache[e->status & MDA_ST_SLOT].index, MDA_PTR_INDEX(kv.first));
            }
        }
        int cached = 0;
        for (int32_t s = 0; s < mm.cache_size; ++s)
            if (mm.cache[s].index) {
                ++cached;
                ASSERT_NE(*mm.cache[s].status & MDA_ST_INCACHE, 0u);
            }
        ASSERT_LE(cached, 32);
        if (!full) return;
        for (auto &kv : m.live) {
            void *mem = nullptr;
            ASSERT_EQ(mda_LockEntity(0, kv.first, &mem), 0);
            Check(mem, kv.second, kv.first);
            ASSERT_EQ(mda_UnlockEntity(0, kv.first), 0);
            if (m.backptrs) {
                int32_t n = 0;
                db_ptr *parents = nullptr;
                int expected = 0;
                for (auto &q : m.live)
                    expected += q.second.layer == kv.first && q.second.tf == DXFI_TF_dxf_text;
                ASSERT_EQ(mda_GetParentsByTF(0, kv.first, DXFI_TF_dxf_text, &n, &parents), 0);
                ASSERT_EQ(n, expected);
                mda_FreeParents(parents);
                ASSERT_EQ(mda_HasParentOfTF(kv.first, DXFI_TF_dxf_text), expected > 0 ? 1 : 0);
            }
        }
    }

    void Run(unsigned seed, int steps)
    {
        rng.seed(seed);
        models.clear();
        models.resize(3);
        models[0].number = NewModel();
        models[1].number = NewModel(MDA_MEMORY_ONLY);
        models[2].number = NewModel(0, true);
        models[2].backptrs = true;
        for (int step = 0; step < steps; ++step) {
            RefModel &m = models[size_t(Pick(3))];
            int op = Pick(100);
            if (op < 30)
                Create(m);
            else if (op < 50)
                Lock(m, false);
            else if (op < 65)
                Lock(m, true);
            else if (op < 80 && !m.held.empty())
                Unlock(m, size_t(Pick(int(m.held.size()))));
            else if (op < 92)
                Delete(m);
            else if (op < 95) {
                db_ptr r = 0;
                ASSERT_EQ(mda_ReserveEntity2(0, m.number, &r), 0);
                m.reserved.push_back(r);
            } else if (m.backptrs) {
                db_ptr parent = AnyLive(m), child = AnyLive(m);
                if (!parent || !child || m.live[parent].locks) continue;
                void *mem = nullptr;
                ASSERT_EQ(mda_LockEntity(MDA_LOCK_RW, parent, &mem), 0);
                ASSERT_EQ(
                    mda_ModifyPtr(parent, child, &static_cast<dxf_line *>(mem)->dxfhdr.entlayerobjhandle), 0);
                ASSERT_EQ(mda_UnlockEntity(0, parent), 0);
                m.live[parent].layer = child;
            }
            if (HasFatalFailure()) return;
            for (RefModel &rm : models) {
                Verify(rm, step % 500 == 499);
                if (HasFatalFailure()) {
                    ADD_FAILURE() << "seed " << seed << " step " << step << " op " << op;
                    return;
                }
            }
        }
        for (RefModel &rm : models)
            while (!rm.held.empty()) Unlock(rm, rm.held.size() - 1);
        for (RefModel &rm : models) Verify(rm, true);
    }
};

TEST_F(RandomModel, AgainstAReferenceModel)
{
    for (unsigned seed : {1u, 2u, 3u}) {
        Run(seed, 4000);
        if (HasFatalFailure()) return;
        for (RefModel &rm : models) ASSERT_EQ(mda_FreeModel(0, rm.number), 0);
    }
}

} // namespace
