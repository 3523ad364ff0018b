/* Test fixture of the conversion layer: starts the kernel modules the model
 * database needs, allocates a DXF model that keeps back pointers, and builds
 * entities in it the way the mapping layer does (each one handed to the
 * driver's parse callback in creation order, as a parse would). The
 * recording generator stands in for the CGM generator, so a test can compare
 * the exact generator calls. Tear-down deletes every class-wide table of the
 * conversion layer again. */
#ifndef VYR_TESTS_DXF2CGM_FIXTURE_H
#define VYR_TESTS_DXF2CGM_FIXTURE_H

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "Dxf2Cgm/VyrDxf2Cgm.h"
#include "Dxf2Cgm/VyrDxfElement.h"
#include "Dxf2Cgm/VyrDxfEntity.h"
#include "Dxf2Cgm/VyrDxfPoint.h"
#include "kernel/ddf/ddf.h"
#include "kernel/ddf/dxfi_records.h"
#include "kernel/dof/dof.h"
#include "kernel/fmt/fmt.h"
#include "kernel/mda/mda.h"
#include "kernel/mpm/mpm_int.h"
#include "kernel/olm/olm.h"
#include "kernel/otm/otm.h"
#include "kernel/ugn/ugn.h"
#include "platform/math/VyrMathTransformation2D.h"
#include "support/ModelDatabaseModules.h"
#include "support/VyrRecordingGenerator.h"
#include "support/VyrTempFile.h"

namespace vyrtest {

/* The driver with its conversion stages opened up for tests. */
class StagedDriver : public VyrDxf2Cgm {
public:
    using VyrDxf2Cgm::CreateStream;
    using VyrDxf2Cgm::FreeConversionTables;
    using VyrDxf2Cgm::ReleaseOutput;
    using VyrDxf2Cgm::StartWalk;
    using VyrDxf2Cgm::WalkCollectedEntities;
    using VyrDxf2Cgm::WritePicture;
};

/* Common properties of an entity. */
struct Props {
    const char *layer = "0";
    const char *lineType = "BYLAYER";
    int color = 256;
    double lineweight = -1.0;
    double extrusionZ = 1.0;
    double extrusionX = 0.0;
    double extrusionY = 0.0;
};

/* Properties that are not the subject of a test: every entity drawn with
 * the picture's starting attributes. */
inline Props Plain()
{
    Props p;
    p.color = 7;
    p.lineType = "CONTINUOUS";
    p.lineweight = 13.0;
    return p;
}

inline Props Color(int color)
{
    Props p;
    p.color = color;
    return p;
}

struct LayerDef {
    const char *name;
    int color;
    const char *lineType;
    int lineweight;
};

struct Point3 {
    double x, y, z;
};

class Dxf2CgmTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        StartModelDatabaseModules();
        MdaModelInfo info;
        mda_GetModelDefaults(0, &info);
        info.ddf = ddf_DxfiDefinition();
        info.backptrs = 1;
        ASSERT_EQ(mda_AllocateModel(0, &info, &model), 0);
        driver.InitZelResults();
        StagedDriver::StartWalk(model);
        VyrDxfEntity::ResetAttributeCache();
        VyrDxfEntity::SetOptions(VyrDxf2CgmOptions());
        VyrDxfEntity::SetFillMode(1);
        PDMODE = 0;
    }

    void TearDown() override
    {
        driver.ReleaseOutput();
        StagedDriver::FreeConversionTables();
        {
            VyrDxf2Cgm cleanup; /* its destructor deletes the class-wide lists */
        }
        StopModelDatabaseModules();
    }

    /* Allocates a record of `tf`, locked; End unlocks it and reports it. */
    template <class Record> Record *Begin(mda_tf tf, db_ptr &ptr)
    {
        void *memory = nullptr;
        ptr = 0;
        EXPECT_EQ(mda_AllocateEntity2(MDA_DEFAULTS, model, tf, &memory, &ptr), 0);
        return static_cast<Record *>(memory);
    }
    void End(db_ptr ptr, bool report = true)
    {
        EXPECT_EQ(mda_UnlockEntity(0, ptr), 0);
        if (report) VyrDxf2Cgm::CollectModelEntity(ptr, nullptr);
    }

    static void SetText(char *field, size_t size, const char *text)
    {
        std::strncpy(field, text, size - 1);
        field[size - 1] = '\0';
    }

    static void SetCommon(dxfhdr &h, const Props &p)
    {
        SetText(h.lay_name, sizeof h.lay_name, p.layer);
        SetText(h.line_type, sizeof h.line_type, p.lineType);
        h.color = p.color;
        h.lineweight = p.lineweight;
        h.extrusion[0] = p.extrusionX;
        h.extrusion[1] = p.extrusionY;
        h.extrusion[2] = p.extrusionZ;
    }

    /* A variable array of `n` elements of T in `field` of `rec`. */
    template <class T> T *Array(void *rec, mda_ref *field, size_t n)
    {
        EXPECT_EQ(mda_Malloc(0, rec, n * sizeof(T), field), 0);
        return static_cast<T *>(mda_Deref(*field));
    }

    db_ptr Line(double x1, double y1, double x2, double y2, const Props &p = Props())
    {
        db_ptr ptr;
        dxf_line *rec = Begin<dxf_line>(DXFI_TF_dxf_line, ptr);
        SetCommon(rec->dxfhdr, p);
        rec->xyzstr[0] = x1;
        rec->xyzstr[1] = y1;
        rec->xyzend[0] = x2;
        rec->xyzend[1] = y2;
        End(ptr);
        return ptr;
    }

    db_ptr Arc(double cx, double cy, double r, double startDeg, double endDeg, const Props &p = Props())
    {
        db_ptr ptr;
        dxf_arc *rec = Begin<dxf_arc>(DXFI_TF_dxf_arc, ptr);
        SetCommon(rec->dxfhdr, p);
        rec->xyzloc[0] = cx;
        rec->xyzloc[1] = cy;
        rec->radius = r;
        rec->sang = startDeg;
        rec->eang = endDeg;
        End(ptr);
        return ptr;
    }

    db_ptr Circle(double cx, double cy, double r, const Props &p = Props())
    {
        db_ptr ptr;
        dxf_circle *rec = Begin<dxf_circle>(DXFI_TF_dxf_circle, ptr);
        SetCommon(rec->dxfhdr, p);
        rec->xyzloc[0] = cx;
        rec->xyzloc[1] = cy;
        rec->radius = r;
        End(ptr);
        return ptr;
    }

    db_ptr Point(double x, double y, const Props &p = Props())
    {
        db_ptr ptr;
        dxf_point *rec = Begin<dxf_point>(DXFI_TF_dxf_point, ptr);
        SetCommon(rec->dxfhdr, p);
        rec->xyzloc[0] = x;
        rec->xyzloc[1] = y;
        End(ptr);
        return ptr;
    }

    /* A solid (or trace) with the four corners in the drawing's order. */
    using Corners = std::array<std::array<double, 2>, 4>;
    db_ptr Solid(const Corners &c, const Props &p = Props(), bool trace = false)
    {
        return trace ? FourCorners<dxf_trace>(DXFI_TF_dxf_trace, c, p)
                     : FourCorners<dxf_solid>(DXFI_TF_dxf_solid, c, p);
    }
    template <class Record> db_ptr FourCorners(mda_tf tf, const Corners &c, const Props &p)
    {
        db_ptr ptr;
        Record *rec = Begin<Record>(tf, ptr);
        SetCommon(rec->dxfhdr, p);
        double *corners[4] = {rec->xyz1, rec->xyz2, rec->xyz3, rec->xyz4};
        for (int i = 0; i < 4; ++i) {
            corners[i][0] = c[i][0];
            corners[i][1] = c[i][1];
        }
        End(ptr);
        return ptr;
    }

    /* A 3D face of four world corners; bit i of `invisible` hides edge i. */
    db_ptr Face(const std::array<Point3, 4> &c, int invisible, const Props &p = Props())
    {
        db_ptr ptr;
        dxf_3dface *rec = Begin<dxf_3dface>(DXFI_TF_dxf_3dface, ptr);
        SetCommon(rec->dxfhdr, p);
        double *corners[4] = {rec->xyz1, rec->xyz2, rec->xyz3, rec->xyz4};
        for (int i = 0; i < 4; ++i) {
            corners[i][0] = c[i].x;
            corners[i][1] = c[i].y;
            corners[i][2] = c[i].z;
        }
        rec->iveflg = invisible;
        End(ptr);
        return ptr;
    }

    db_ptr Ellipse(double cx, double cy, double mx, double my, double ratio, double start, double end,
                   const Props &p = Props())
    {
        db_ptr ptr;
        dxf_ellipse *rec = Begin<dxf_ellipse>(DXFI_TF_dxf_ellipse, ptr);
        SetCommon(rec->dxfhdr, p);
        rec->center[0] = cx;
        rec->center[1] = cy;
        rec->majaxis[0] = mx;
        rec->majaxis[1] = my;
        rec->minlen = ratio;
        rec->strparm = start;
        rec->endparm = end;
        End(ptr);
        return ptr;
    }

    db_ptr Spline(int degree, int flags, const std::vector<double> &knots, const std::vector<Point3> &control,
                  const std::vector<double> &weights, const std::vector<Point3> &fit,
                  const Props &p = Props())
    {
        db_ptr ptr;
        dxf_spline *rec = Begin<dxf_spline>(DXFI_TF_dxf_spline, ptr);
        SetCommon(rec->dxfhdr, p);
        rec->degree = degree;
        rec->flag = flags;
        rec->numknot = static_cast<int32_t>(knots.size());
        rec->numcntrl = static_cast<int32_t>(control.size());
        rec->numfit = static_cast<int32_t>(fit.size());
        if (!knots.empty()) {
            double *k = Array<double>(rec, &rec->knotval, knots.size());
            for (size_t i = 0; i < knots.size(); ++i) k[i] = knots[i];
        }
        if (!control.empty()) {
            double *c = Array<double>(rec, &rec->cntrlpnt, 3 * control.size());
            for (size_t i = 0; i < control.size(); ++i) {
                c[3 * i] = control[i].x;
                c[3 * i + 1] = control[i].y;
                c[3 * i + 2] = control[i].z;
            }
        }
        if (!weights.empty()) {
            double *w = Array<double>(rec, &rec->weight, weights.size());
            for (size_t i = 0; i < weights.size(); ++i) w[i] = weights[i];
        }
        if (!fit.empty()) {
            double *f = Array<double>(rec, &rec->fitpnt, 3 * fit.size());
            for (size_t i = 0; i < fit.size(); ++i) {
                f[3 * i] = fit[i].x;
                f[3 * i + 1] = fit[i].y;
                f[3 * i + 2] = fit[i].z;
            }
        }
        End(ptr);
        return ptr;
    }

    /* An entity of any type-form, with the common header when it has one. */
    db_ptr Any(mda_tf tf, const Props &p = Props())
    {
        db_ptr ptr;
        void *rec = Begin<void>(tf, ptr);
        const int type = MDA_TF_TYPE(tf);
        if ((type >= 200 && type < 800) || type == 10000 || type == 10002)
            SetCommon(static_cast<dxf_any *>(rec)->dxfhdr, p);
        End(ptr);
        return ptr;
    }

    /* Layer records and their table, as a parse creates them. */
    db_ptr LayerTable(const std::vector<LayerDef> &layers)
    {
        std::vector<db_ptr> entries;
        for (const LayerDef &l : layers) {
            db_ptr ptr;
            dxf_layer_table_data *rec = Begin<dxf_layer_table_data>(DXFI_TF_dxf_layer_table_data, ptr);
            SetText(rec->entry_name, sizeof rec->entry_name, l.name);
            SetText(rec->line_type, sizeof rec->line_type, l.lineType);
            rec->color_num = l.color;
            rec->lineweight = l.lineweight;
            End(ptr);
            entries.push_back(ptr);
        }
        return Table<dxf_layer_table>(DXFI_TF_dxf_layer_table, entries);
    }

    db_ptr TextStyleTable(const std::vector<const char *> &names)
    {
        std::vector<db_ptr> entries;
        for (const char *n : names) {
            db_ptr ptr;
            dxf_text_style_table_data *rec =
                Begin<dxf_text_style_table_data>(DXFI_TF_dxf_text_style_table_data, ptr);
            SetText(rec->entry_name, sizeof rec->entry_name, n);
            SetText(rec->prim_font, sizeof rec->prim_font, "txt");
            End(ptr);
            entries.push_back(ptr);
        }
        return Table<dxf_text_style_table>(DXFI_TF_dxf_text_style_table, entries);
    }

    template <class T> db_ptr Table(mda_tf tf, const std::vector<db_ptr> &entries)
    {
        db_ptr ptr;
        T *rec = Begin<T>(tf, ptr);
        rec->num_entries = static_cast<int32_t>(entries.size());
        if (!entries.empty()) {
            db_ptr *e = Array<db_ptr>(rec, &rec->table_data, entries.size());
            for (size_t i = 0; i < entries.size(); ++i) EXPECT_EQ(mda_AddPtr(ptr, entries[i], &e[i]), 0);
        }
        End(ptr);
        return ptr;
    }

    /* A block definition owning `contents` (entities created before it). */
    db_ptr Block(const char *name, double bx, double by, const std::vector<db_ptr> &contents,
                 const Props &p = Props())
    {
        db_ptr ptr;
        dxf_block *rec = Begin<dxf_block>(DXFI_TF_dxf_block, ptr);
        SetCommon(rec->dxfhdr, p);
        SetText(rec->bname, sizeof rec->bname, name);
        rec->xyzloc[0] = bx;
        rec->xyzloc[1] = by;
        rec->num_ent = static_cast<int32_t>(contents.size());
        if (!contents.empty()) {
            db_ptr *e = Array<db_ptr>(rec, &rec->ent_ptr, contents.size());
            for (size_t i = 0; i < contents.size(); ++i) EXPECT_EQ(mda_AddPtr(ptr, contents[i], &e[i]), 0);
        }
        End(ptr);
        return ptr;
    }

    db_ptr Insert(db_ptr block, double x, double y, const std::vector<db_ptr> &attributes = {},
                  const Props &p = Props())
    {
        db_ptr ptr;
        dxf_insert *rec = Begin<dxf_insert>(DXFI_TF_dxf_insert, ptr);
        SetCommon(rec->dxfhdr, p);
        rec->xyzloc[0] = x;
        rec->xyzloc[1] = y;
        rec->xscale = rec->yscale = rec->zscale = 1.0;
        rec->block = block;
        rec->num_attr = static_cast<int32_t>(attributes.size());
        if (!attributes.empty()) {
            db_ptr *e = Array<db_ptr>(rec, &rec->att_inst, attributes.size());
            for (size_t i = 0; i < attributes.size(); ++i)
                EXPECT_EQ(mda_AddPtr(ptr, attributes[i], &e[i]), 0);
        }
        End(ptr);
        return ptr;
    }

    db_ptr Group(const char *name, const std::vector<db_ptr> &members)
    {
        db_ptr ptr;
        dxf_group_object *rec = Begin<dxf_group_object>(DXFI_TF_dxf_group_object, ptr);
        SetText(rec->name, sizeof rec->name, name);
        rec->num_ent = static_cast<int32_t>(members.size());
        if (!members.empty()) {
            db_ptr *e = Array<db_ptr>(rec, &rec->group_ent, members.size());
            for (size_t i = 0; i < members.size(); ++i) EXPECT_EQ(mda_AddPtr(ptr, members[i], &e[i]), 0);
        }
        End(ptr);
        return ptr;
    }

    /* The drawing header: point display mode and code page. */
    db_ptr Header(int pdmode, const char *codePage = "ANSI_1252")
    {
        db_ptr ptr;
        dxf_header *rec = Begin<dxf_header>(DXFI_TF_dxf_header, ptr);
        rec->pdmode = pdmode;
        SetText(rec->dwgcodepage, sizeof rec->dwgcodepage, codePage);
        End(ptr, false);
        return ptr;
    }

    /* Walks the collected entities as the driver does. */
    void Walk() { StagedDriver::WalkCollectedEntities(); }

    /* Counter `word` of the last conversion. */
    uint32_t Counter(int word)
    {
        ZelResults r{};
        driver.GetZelResults(&r);
        return r.word[word];
    }

    int32_t model = 0;
    StagedDriver driver;
};

/* Writes one element to a recording generator under `t` (the identity when
 * null) and returns its result and what was recorded. */
inline std::vector<std::string> Record(VyrDxfEntity &element, const VyrMathTransformation2D *t = nullptr,
                                       int *result = nullptr)
{
    VyrRecordingGenerator::Reset();
    VyrRecordingGenerator *generator = new VyrRecordingGenerator();
    VyrMathTransformation2D transformation = t ? *t : VyrMathTransformation2D();
    const int r = element.Write(generator, &transformation);
    if (result) *result = r;
    std::vector<std::string> log = VyrRecordingGenerator::Log();
    generator->Release();
    return log;
}

/* The recorded lines that start with `prefix`. */
inline std::vector<std::string> Only(const std::vector<std::string> &log, const std::string &prefix)
{
    std::vector<std::string> out;
    for (const std::string &line : log)
        if (line.compare(0, prefix.size(), prefix) == 0) out.push_back(line);
    return out;
}

/* "DrawLine 1 2 3 4" from numbers, formatted as the recorder does. */
inline std::string Line4(const char *name, float a, float b, float c, float d)
{
    using R = VyrRecordingGenerator;
    return std::string(name) + " " + R::Num(a) + " " + R::Num(b) + " " + R::Num(c) + " " + R::Num(d);
}

/* The numbers of a recorded call after its name, one per word. */
inline std::vector<double> CallNumbers(const std::string &line)
{
    std::vector<double> out;
    size_t pos = line.find(' ');
    while (pos != std::string::npos) {
        const size_t next = line.find(' ', pos + 1);
        out.push_back(std::strtod(line.substr(pos + 1, next - pos - 1).c_str(), nullptr));
        pos = next;
    }
    return out;
}

/* What the message manager printed during the current test, and the
 * output routine that keeps it. */
inline std::string &DrawingMessages()
{
    static std::string text;
    return text;
}
inline void KeepMessage(const char *line, FILE *) { DrawingMessages() += line; }

/* A file of the tests' data folder. */
inline std::string TestData(const char *folder, const char *name)
{
    return std::string(VYR_TEST_DATA_DIR) + "/" + folder + "/" + name;
}

/* A drawing converted from end to end by the driver with the recording
 * generator in place of the CGM generator, into `picture`: the conversion's
 * result, the calls the generator received (without the stream line, which
 * names the output file) and the counters. */
struct RecordedConversion {
    int status = -1;
    std::vector<std::string> log;
    ZelResults results{};
};

inline RecordedConversion RecordConversion(const std::string &drawing, const std::string &picture)
{
    RecordedConversion r;
    VyrRecordingScope recording;
    VyrDxf2Cgm converter;
    r.status = converter.Convert(drawing.c_str(), picture.c_str());
    converter.GetZelResults(&r.results);
    for (const std::string &line : VyrRecordingGenerator::Log())
        if (line.compare(0, 10, "SetStream ") != 0) r.log.push_back(line);
    return r;
}

/* Whole drawing files converted with RecordConversion, the manager's
 * messages kept in `messages`. */
class DrawingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        messages.clear();
        mpm_SetOutputRoutine(KeepMessage);
    }
    void TearDown() override { mpm_SetOutputRoutine(nullptr); }

    /* Converts a drawing, expecting the result `expect`; returns the calls
     * the generator received (without the stream line, which names the
     * output file) and leaves the counters in `results`. */
    std::vector<std::string> ConvertDrawing(const std::string &drawing, int expect = 0)
    {
        RecordedConversion r = RecordConversion(drawing, picture.Path());
        EXPECT_EQ(r.status, expect) << drawing << "\n" << messages;
        results = r.results;
        return std::move(r.log);
    }

    std::string &messages = DrawingMessages();
    ZelResults results{};
    VyrTempFile picture{".cgm"};
};

} // namespace vyrtest

#endif
