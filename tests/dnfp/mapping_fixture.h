/* Test fixture of the mapping layer: a started kernel with one DXF model, a
 * capture of everything the message manager prints, drawings built in code
 * through the toolkit's database interface (handed to the parse in place of
 * a loaded file), and readers of the resulting model. */
#ifndef VYR_TESTS_DNFP_MAPPING_FIXTURE_H
#define VYR_TESTS_DNFP_MAPPING_FIXTURE_H

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

#include "dnfp/dnfp_int.h"
#include "kernel/ddf/ddf.h"
#include "kernel/dxfi/dxfi_int.h"
#include "kernel/mda/mda.h"
#include "kernel/mpm/mpm_int.h"
#include "kernel/pdx/pdx.h"
#include "support/Fields.h"
#include "support/HandleBytes.h"
#include "support/VyrTempFile.h"
#include "toolkit/dxf/dxf_int.h"

namespace maptest {

inline std::string &printed()
{
    static std::string text;
    return text;
}

inline void capture(const char *line, FILE *) { printed() += line; }

/* An 8-byte handle of a number. */
struct H {
    unsigned char b[8];
    explicit H(uint64_t v = 0) { HS(v, b); }
    operator const unsigned char *() const { return b; }
};

inline void set_handle(unsigned char *dest, uint64_t v) { memcpy(dest, H(v).b, 8); }

/* A drawing built in code: header, the model and paper space block headers
 * and whatever a test adds. */
class Drawing {
public:
    AdDrawing *d = nullptr;

    Drawing(int version = AD_ACAD2000, int kind = AD_FILE_ASCII_DXF)
    {
        d = adEmptyFile();
        if (!d) return;
        d->version = static_cast<int16_t>(version);
        d->filetype = static_cast<int16_t>(kind);
        d->header = static_cast<AdHeader *>(ztmem_malloc(sizeof(AdHeader)));
        d->header->dwgcodepage = 30;
        set_handle(d->handseed, 0x10000);
        AdBlockheader b;
        memset(&b, 0, sizeof b);
        strcpy(b.name, "*MODEL_SPACE");
        set_handle(b.handle, 0x1F);
        b.entitylist = d->mspace;
        adAddBlockheader(d, &b);
        strcpy(b.name, "*PAPER_SPACE");
        set_handle(b.handle, 0x1B);
        b.entitylist = d->pspace;
        adAddBlockheader(d, &b);
    }

    void Control(int table, uint64_t handle) { set_handle(d->scan.tablecontrol[table], handle); }

    void Layer(const char *name, uint64_t handle, int color = 7, uint64_t linetype = 0, AdBlob *xd = nullptr)
    {
        AdLayer l;
        memset(&l, 0, sizeof l);
        strcpy(l.name, name);
        set_handle(l.handle, handle);
        set_handle(l.ownerhandle, 2);
        set_handle(l.linetypehandle, linetype);
        l.color = static_cast<int16_t>(color);
        l.xdblob = xd;
        l.lineweight = -3;
        l.plotflag = 1;
        adAddLayer(d, &l);
    }

    void Linetype(const char *name, uint64_t handle)
    {
        AdLinetype t;
        memset(&t, 0, sizeof t);
        strcpy(t.name, name);
        set_handle(t.handle, handle);
        adAddLinetype(d, &t);
    }

    void Regapp(const char *name, uint64_t handle)
    {
        AdRegapp a;
        memset(&a, 0, sizeof a);
        strcpy(a.name, name);
        set_handle(a.handle, handle);
        adAddRegapp(d, &a);
    }

    void Style(const char *name, uint64_t handle)
    {
        AdShapefile s;
        memset(&s, 0, sizeof s);
        strcpy(s.name, name);
        set_handle(s.handle, handle);
        strcpy(s.fontname, "txt");
        s.widthfactor = 1.0;
        adAddShapefile(d, &s);
    }

    /* An entity header with the defaults of the database. */
    static AdEntityHeader Header(int type, uint64_t handle, uint64_t layer = 0, uint64_t linetype = 0)
    {
        AdEntityHeader h;
        memset(&h, 0, sizeof h);
        h.enttype = static_cast<int16_t>(type);
        set_handle(h.handle, handle);
        set_handle(h.layerhandle, layer);
        set_handle(h.ltypehandle, linetype);
        h.color = 256;
        h.extrusion[2] = 1.0;
        h.ltscale = 1.0;
        return h;
    }

    bool Add(const AdEntityHeader &h, const AdEntityRecord &r, bool paper = false)
    {
        return adAddEntityToList(d, paper ? d->pspace : d->mspace, &h, &r) != 0;
    }

    bool Line(uint64_t handle, uint64_t layer, double x0, double y0, double x1, double y1,
              double thickness = 0.0, bool paper = false)
    {
        AdEntityHeader h = Header(AD_ENT_LINE, handle, layer);
        h.thickness = thickness;
        AdEntityRecord r;
        memset(&r, 0, sizeof r);
        r.line.pt0[0] = x0;
        r.line.pt0[1] = y0;
        r.line.pt1[0] = x1;
        r.line.pt1[1] = y1;
        return Add(h, r, paper);
    }
};

/* Extended data items written into a new blob. */
class Xdata {
public:
    Xdata() : blob_(adCreateBlobEx(4096)), cur_(adStartBlobWrite(blob_)) {}
    Xdata &App(uint64_t regapp) { return Handle(1001, regapp); }
    Xdata &Handle(int code, uint64_t h)
    {
        AdXdataItem it = Item(code);
        set_handle(it.v.handle, h);
        return Put(it);
    }
    Xdata &Text(int code, const char *s)
    {
        AdXdataItem it = Item(code);
        strcpy(it.v.str, s);
        if (code == 1004) it.length = static_cast<uint16_t>(strlen(s));
        return Put(it);
    }
    Xdata &Brace(bool open)
    {
        AdXdataItem it = Item(1002);
        it.v.brace = open ? 0 : 1;
        return Put(it);
    }
    Xdata &Short(int16_t v)
    {
        AdXdataItem it = Item(1070);
        it.v.i16 = v;
        return Put(it);
    }
    Xdata &Long(int32_t v)
    {
        AdXdataItem it = Item(1071);
        it.v.i32 = v;
        return Put(it);
    }
    Xdata &Real(int code, double v)
    {
        AdXdataItem it = Item(code);
        it.v.real = v;
        return Put(it);
    }
    Xdata &Point(int code, double x, double y, double z)
    {
        AdXdataItem it = Item(code);
        it.v.pt[0] = x;
        it.v.pt[1] = y;
        it.v.pt[2] = z;
        return Put(it);
    }
    AdBlob *Done()
    {
        adEndBlobWrite(cur_);
        return blob_;
    }

private:
    static AdXdataItem Item(int code)
    {
        AdXdataItem it;
        memset(&it, 0, sizeof it);
        it.code = static_cast<int16_t>(code);
        return it;
    }
    Xdata &Put(AdXdataItem &it)
    {
        adWriteExtendeddata(cur_, &it);
        return *this;
    }
    AdBlob *blob_;
    AdBlobCursor *cur_;
};

/* What the callback of the parse received. */
inline std::vector<db_ptr> &reported()
{
    static std::vector<db_ptr> v;
    return v;
}

inline int collect(db_ptr p, void *)
{
    reported().push_back(p);
    return 1;
}

/* The drawing the next parse "loads". */
inline std::function<void(Drawing &)> &builder()
{
    static std::function<void(Drawing &)> b;
    return b;
}

inline AdDrawing *load_built(const char *, unsigned char, int16_t)
{
    Drawing dwg;
    if (dwg.d && builder()) builder()(dwg);
    adErrorClear();
    return dwg.d;
}

class MappingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        pdx_Initialize();
        dxfi_Initialize();
        printed().clear();
        reported().clear();
        mpm_SetOutputRoutine(capture);
        MdaModelInfo info;
        mda_GetModelDefaults(0, &info);
        ASSERT_EQ(dxfi_InitModelInfo(0, &info), 0);
        info.backptrs = 1;
        ASSERT_EQ(mda_AllocateModel(0, &info, &model), 0);
        ASSERT_TRUE(file.Write("  0\nSECTION\n  0\nEOF\n"));
        path = file.Path();
        dnfp__LoadFile = load_built;
    }

    void TearDown() override
    {
        dnfp__LoadFile = adLoadFile;
        builder() = nullptr;
        mpm_SetOutputRoutine(nullptr);
        dxfi_Terminate();
        mda_FreeModel(0, model);
        pdx_Terminate();
    }

    /* Parses the drawing `build` makes into the model. */
    int Parse(std::function<void(Drawing &)> build, int options = 0)
    {
        builder() = std::move(build);
        return dxfi_ParseFile(options, model, path.c_str(), collect);
    }

    /* The model's entities of a type-form, in creation order. */
    std::vector<db_ptr> All(mda_tf tf)
    {
        std::vector<db_ptr> out;
        MdaModelInfo info;
        if (mda_GetModelInfo(model, &info) != 0) return out;
        int32_t tfi = ddf_GetTFI(info.ddf, tf);
        if (tfi < 0) return out;
        info.entlist->cursor[tfi] = info.entlist->first[tfi];
        db_ptr p = 0;
        while (mda_CycleEntityList(info.entlist, tfi, &p) == 0 && p) out.push_back(p);
        return out;
    }

    /* A copy of an entity's record (its references resolve only while it is
     * locked, so tests that read them use Locked). */
    template <class Rec> Rec Read(db_ptr p)
    {
        Rec r;
        memset(&r, 0, sizeof r);
        void *mem = nullptr;
        EXPECT_EQ(mda_LockEntity(0, p, &mem), 0);
        if (mem) memcpy(&r, mem, sizeof r);
        mda_UnlockEntity(0, p);
        return r;
    }

    /* Calls fn(record) while the entity is locked. */
    template <class Rec, class Fn> void Locked(db_ptr p, Fn fn)
    {
        void *mem = nullptr;
        ASSERT_EQ(mda_LockEntity(0, p, &mem), 0);
        fn(*static_cast<Rec *>(mem));
        mda_UnlockEntity(0, p);
    }

    int model = 0;
    VyrTempFile file{""};
    std::string path;
};

} // namespace maptest

#endif
