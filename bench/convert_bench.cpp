/* The whole conversion of large drawings, beside dxflib merely reading the
 * same files. The benchmark writes its own drawings into a temporary
 * directory (removed at the end), each when a benchmark first needs it: a
 * million LINE entities, as the reader benchmark writes them; a mixed
 * drawing of the kinds the conversion draws (lines, arcs, circles, points,
 * solids, ellipses, splines, polylines, texts, inserts with attributes,
 * dimensions, hatches) on a few layers; and 200,000 lightweight
 * polylines of 50 vertices each, plain, bulged and wide. Every measured run
 * happens in a child process, so that its peak resident memory is its own;
 * the child reports its times through a pipe.
 *
 * Reported per run: wall time (the benchmark's time), MB/s of input, the
 * child's peak resident memory, and for the staged run the share of each
 * stage: toolkit load, mapping into the model, the walk that builds each
 * element and writes it to the CGM file at once, and the tear-down. The
 * staged run repeats Convert's steps one by one; the "whole" run calls
 * VyrDxf2Cgm::Convert as a host does. With VYR_BENCH_DIR set, the drawings
 * are written there once and kept for later runs.
 *
 * The "process" runs time the dxf2cgm program of this build as a user runs
 * it, alternating with dxflib's read of the same file (A B A B, each in a
 * child process whose CPU time and peak memory come from wait4), and report
 * the ratio of the two; the "growth" runs convert a quarter, a half and the
 * whole of the million lines with the program, to show the time grows in
 * proportion to the drawing. */
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include <fcntl.h>

#include "Dxf2Cgm/VyrDxf2Cgm.h"
#include "bench/bench_support.h"
#include "dnfp/dnfp.h"
#include "kernel/dxfi/dxfi.h"
#include "kernel/mpm/mpm_int.h"
#include "kernel/pdx/pdx.h"

namespace {

std::string g_dir;
/* The drawings live in VYR_BENCH_DIR and stay there for the next run. */
bool g_keep = false;
constexpr int kEntities = 1000000;
constexpr int kPolylines = 200000;
constexpr int kPolylineVertices = 50;

/* The header and the layer table of the mixed and the polyline drawings:
 * four layers, one of them with a line weight; then, when given, what
 * comes before the entities (the blocks). */
void WriteHead(vyrbench::DxfWriter &o, const char *const layers[4],
               void (*beforeEntities)(vyrbench::DxfWriter &) = nullptr)
{
    o.pair(0, "SECTION");
    o.pair(2, "HEADER");
    o.pair(9, "$ACADVER");
    o.pair(1, "AC1015");
    o.pair(9, "$PDMODE");
    o.pair(70, "3");
    o.pair(0, "ENDSEC");
    o.pair(0, "SECTION");
    o.pair(2, "TABLES");
    o.pair(0, "TABLE");
    o.pair(2, "LAYER");
    o.pair(5, "2");
    o.pair(330, "0");
    o.pair(100, "AcDbSymbolTable");
    o.pair(70, "4");
    const int colours[4] = {7, 1, 3, 5};
    for (int l = 0; l < 4; ++l) {
        o.pair(0, "LAYER");
        o.integer(5, 0x10 + l);
        o.pair(330, "2");
        o.pair(100, "AcDbSymbolTableRecord");
        o.pair(100, "AcDbLayerTableRecord");
        o.pair(2, layers[l]);
        o.pair(70, "0");
        o.integer(62, colours[l]);
        o.pair(6, "Continuous");
        o.integer(370, l == 1 ? 50 : -3);
    }
    o.pair(0, "ENDTAB");
    o.pair(0, "ENDSEC");
    if (beforeEntities) beforeEntities(o);
    o.pair(0, "SECTION");
    o.pair(2, "ENTITIES");
}

/* A million entities of every kind the conversion draws, on four layers:
 * per twenty, 5 lines, 2 arcs, 2 circles, a point, a solid, an ellipse, a
 * cubic spline, 2 closed lightweight polylines with bulges, 2 texts (every
 * other one turned), an insert with its attribute, a linear dimension and a
 * solid hatch. */
void WriteMixed(const std::string &path)
{
    vyrbench::DxfWriter o(vyrbench::OpenForWriting(path), false);
    const char *layers[4] = {"0", "Outline", "Center", "Hidden"};
    WriteHead(o, layers, [](vyrbench::DxfWriter &w) { vyrbench::WriteMixedBlocks(w); });
    for (long i = 0, h = 0x100; i < kEntities; ++i) {
        const double x = (i % 1000) * 30.0 - 15000.0, y = (i / 1000) * 30.0 - 15000.0;
        const char *layer = layers[i % 4];
        switch (i % 20) {
        case 0:
        case 1:
        case 2:
        case 3:
        case 4:
            o.entity("LINE", h++, layer, "AcDbLine");
            o.num(10, x), o.num(20, y), o.pair(30, "0.0"), o.num(11, x + 20), o.num(21, y + 10),
                o.pair(31, "0.0");
            break;
        case 5:
        case 6:
            o.entity("ARC", h++, layer, "AcDbCircle");
            o.num(10, x), o.num(20, y), o.pair(30, "0.0"), o.num(40, 8.0);
            o.pair(100, "AcDbArc"), o.num(50, (i % 360) * 1.0), o.num(51, (i % 360) + 120.0);
            break;
        case 7:
        case 8:
            o.entity("CIRCLE", h++, layer, "AcDbCircle");
            o.num(10, x), o.num(20, y), o.pair(30, "0.0"), o.num(40, 5.0);
            break;
        case 9:
            o.entity("POINT", h++, layer, "AcDbPoint");
            o.num(10, x), o.num(20, y), o.pair(30, "0.0");
            break;
        case 10:
            o.entity("SOLID", h++, layer, "AcDbTrace");
            o.num(10, x), o.num(20, y), o.pair(30, "0.0"), o.num(11, x + 10), o.num(21, y), o.pair(31, "0.0");
            o.num(12, x), o.num(22, y + 10), o.pair(32, "0.0"), o.num(13, x + 10), o.num(23, y + 10),
                o.pair(33, "0.0");
            break;
        case 11:
            o.entity("ELLIPSE", h++, layer, "AcDbEllipse");
            o.num(10, x), o.num(20, y), o.pair(30, "0.0"), o.num(11, 9.0), o.num(21, 4.0), o.pair(31, "0.0");
            o.pair(210, "0.0"), o.pair(220, "0.0"), o.pair(230, "1.0");
            o.num(40, 0.5), o.num(41, 0.0), o.num(42, 2 * M_PI);
            break;
        case 12:
            o.entity("SPLINE", h++, layer, "AcDbSpline");
            o.pair(210, "0.0"), o.pair(220, "0.0"), o.pair(230, "1.0");
            o.pair(70, "8"), o.pair(71, "3"), o.pair(72, "8"), o.pair(73, "4"), o.pair(74, "0");
            o.pair(42, "0.0000000001"), o.pair(43, "0.0000000001");
            for (double k : {0.0, 0.0, 0.0, 0.0, 1.0, 1.0, 1.0, 1.0}) o.num(40, k);
            for (int c = 0; c < 4; ++c)
                o.num(10, x + 6.0 * c), o.num(20, y + (c % 2) * 8.0), o.pair(30, "0.0");
            break;
        case 13:
        case 14: vyrbench::WriteBulgedPolyline(o, h++, layer, x, y); break;
        case 15:
        case 16: vyrbench::WritePartText(o, h++, layer, x, y, i, (i % 2) * 30.0); break;
        case 17:
            o.entity("INSERT", h++, layer, "AcDbBlockReference");
            o.pair(66, "1"), o.pair(2, "Bolt"), o.num(10, x), o.num(20, y), o.pair(30, "0.0");
            o.num(41, 1.5), o.num(42, 1.5), o.num(50, (i % 4) * 90.0);
            o.entity("ATTRIB", h++, layer, "AcDbText");
            o.num(10, x), o.num(20, y + 3), o.pair(30, "0.0"), o.num(40, 1.0), o.pair(1, "M8");
            o.pair(100, "AcDbAttribute"), o.pair(2, "SIZE"), o.pair(70, "0");
            o.entity("SEQEND", h++, layer, nullptr);
            break;
        case 18:
            o.entity("DIMENSION", h++, layer, "AcDbDimension");
            o.pair(2, "*D1"), o.num(10, x + 10), o.num(20, y + 5), o.pair(30, "0.0"), o.num(11, x + 5),
                o.num(21, y + 6);
            o.pair(31, "0.0"), o.pair(70, "32"), o.pair(1, ""), o.pair(3, "Standard");
            o.pair(100, "AcDbAlignedDimension"), o.num(13, x), o.num(23, y), o.pair(33, "0.0");
            o.num(14, x + 10), o.num(24, y), o.pair(34, "0.0"), o.pair(100, "AcDbRotatedDimension");
            break;
        default:
            o.entity("HATCH", h++, layer, "AcDbHatch");
            o.pair(10, "0.0"), o.pair(20, "0.0"), o.pair(30, "0.0");
            o.pair(210, "0.0"), o.pair(220, "0.0"), o.pair(230, "1.0");
            o.pair(2, "SOLID"), o.pair(70, "1"), o.pair(71, "0"), o.pair(91, "1");
            o.pair(92, "3"), o.pair(72, "0"), o.pair(73, "1"), o.pair(93, "4");
            o.num(10, x), o.num(20, y), o.num(10, x + 12), o.num(20, y), o.num(10, x + 12), o.num(20, y + 6),
                o.num(10, x), o.num(20, y + 6);
            o.pair(97, "0"), o.pair(75, "0"), o.pair(76, "1"), o.pair(98, "0");
            break;
        }
    }
    o.pair(0, "ENDSEC");
    o.pair(0, "EOF");
    o.close();
}

/* 200,000 lightweight polylines of 50 vertices, zigzags on four layers: a
 * third plain, a third with a bulge on every other vertex, a third wide
 * (half of those of constant width, half with widths per vertex, tapering
 * and widening). */
void WritePolylines(const std::string &path)
{
    vyrbench::DxfWriter o(vyrbench::OpenForWriting(path), false);
    const char *layers[4] = {"0", "Outline", "Center", "Hidden"};
    WriteHead(o, layers);
    for (int i = 0; i < kPolylines; ++i) {
        const double x0 = (i % 500) * 60.0 - 15000.0, y0 = (i / 500) * 75.0 - 15000.0;
        const int kind = i % 3;
        o.entity("LWPOLYLINE", 0x100 + i, layers[i % 4], "AcDbPolyline");
        o.integer(90, kPolylineVertices);
        o.pair(70, i % 7 == 0 ? "1" : "0");
        if (kind == 2 && i % 2 == 0) o.num(43, 1.5);
        for (int k = 0; k < kPolylineVertices; ++k) {
            o.num(10, x0 + k * 1.0);
            o.num(20, y0 + (k % 2) * 6.0);
            if (kind == 2 && i % 2 == 1) o.num(40, 0.5 + (k % 3) * 0.5), o.num(41, 0.5 + ((k + 1) % 3) * 0.5);
            if (kind == 1 && k % 2 == 0) o.num(42, k % 4 == 0 ? 0.4 : -0.25);
        }
    }
    o.pair(0, "ENDSEC");
    o.pair(0, "EOF");
    o.close();
}

/* A drawing, written when a benchmark first needs it. */
struct Drawing {
    const char *name;
    void (*write)(const std::string &);
    std::string path;

    const std::string &Path()
    {
        if (path.empty()) {
            path = g_dir + "/" + name + ".dxf";
            if (!g_keep || vyrbench::FileSize(path) <= 0) write(path);
        }
        return path;
    }
};

void WriteLines(const std::string &path) { vyrbench::WriteMillionLines(path, false); }
void WriteQuarterLines(const std::string &path) { vyrbench::WriteMillionLines(path, false, kEntities / 4); }
void WriteHalfLines(const std::string &path) { vyrbench::WriteMillionLines(path, false, kEntities / 2); }

Drawing g_lines{"lines", WriteLines, ""};
Drawing g_quarterLines{"lines_quarter", WriteQuarterLines, ""};
Drawing g_halfLines{"lines_half", WriteHalfLines, ""};
Drawing g_mixed{"mixed", WriteMixed, ""};
Drawing g_polylines{"polylines", WritePolylines, ""};

/* The moment the toolkit reported the whole file loaded. */
double g_loadEnd = 0;
void OnProgress(short percent)
{
    if (percent >= 100 && g_loadEnd == 0) g_loadEnd = vyrbench::Now();
}

/* The driver with its stages opened, to time them one by one. */
class StagedDriver : public VyrDxf2Cgm {
public:
    vyrbench::Run Run(const char *path, const char *output)
    {
        vyrbench::Run r;
        const double t0 = vyrbench::Now();
        pdx_Initialize();
        dxfi_Initialize();
        mpm__Option |= MPM_OPT_DUMP_ALL;
        MdaModelInfo defaults;
        mda_GetModelDefaults(0, &defaults);
        dxfi_InitModelInfo(0, &defaults);
        defaults.backptrs = 1;
        int32_t model = 0;
        mda_AllocateModel(0, &defaults, &model);
        if (CreateStream(output) != 0) return r;
        InitZelResults();
        StartWalk(model);
        g_loadEnd = 0;
        dnfp_SetProgressFn(OnProgress);
        const int status = dxfi_ParseFile(0x200, model, path, CollectModelEntity);
        const double t1 = vyrbench::Now();
        if (status != 0) return r;
        WalkAndWritePicture(model);
        ReleaseOutput();
        const double t2 = vyrbench::Now();
        FreeConversionTables();
        dxfi_Terminate();
        mda_FreeModel(0, model);
        pdx_Terminate();
        const double t3 = vyrbench::Now();
        r.ok = mpm__LastError == 0;
        r.wall = t3 - t0;
        const double loadEnd = g_loadEnd > 0 ? g_loadEnd : t1;
        r.stages[0] = loadEnd - t0;
        r.stages[1] = t1 - loadEnd;
        r.stages[2] = t2 - t1;
        r.stages[3] = t3 - t2;
        ZelResults z{};
        GetZelResults(&z);
        for (int w = 4; w <= 22; ++w) r.count += z.word[w];
        return r;
    }
};

/* The counters of a conversion or read; the staged run adds the share of
 * each stage in its wall time. */
void Counters(benchmark::State &state, const vyrbench::Totals &totals, const std::string &path, bool stages)
{
    if (!totals.Counters(state, path, "entities") || !stages) return;
    const char *const names[4] = {"load_%", "mapping_%", "walk_write_%", "teardown_%"};
    for (int i = 0; i < 4; ++i) state.counters[names[i]] = 100 * totals.stages[i] / totals.wall;
}

void Whole(benchmark::State &state, Drawing *drawing)
{
    const std::string *path = &drawing->Path();
    const std::string output = g_dir + "/whole.cgm";
    Counters(state,
             vyrbench::Measure(state, false,
                               [&] {
                                   return vyrbench::Timed([&](vyrbench::Run &) {
                                       VyrDxf2Cgm converter;
                                       return converter.Convert(path->c_str(), output.c_str()) == 0;
                                   });
                               }),
             *path, false);
}

void Staged(benchmark::State &state, Drawing *drawing)
{
    const std::string *path = &drawing->Path();
    const std::string output = g_dir + "/staged.cgm";
    Counters(
        state,
        vyrbench::Measure(state, false, [&] { return StagedDriver().Run(path->c_str(), output.c_str()); }),
        *path, true);
}

/* What wait4 tells of a finished child: wall time measured around it, CPU
 * time (user and system) and peak resident memory. */
struct ChildUsage {
    bool ok = false;
    double wall = 0, cpu = 0;
    long peakKiB = 0;
};

ChildUsage Wait(pid_t pid, double t0)
{
    ChildUsage u;
    int status = 0;
    struct rusage ru;
    if (::wait4(pid, &status, 0, &ru) != pid) return u;
    u.wall = vyrbench::Now() - t0;
    u.cpu = double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
            1e-6 * double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec);
    u.peakKiB = ru.ru_maxrss;
    u.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return u;
}

/* The dxf2cgm program converting `input`, its output thrown away. */
ChildUsage RunProgram(const std::string &input)
{
    const std::string output = g_dir + "/process.cgm";
    const double t0 = vyrbench::Now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0) ::dup2(null, 1), ::dup2(null, 2);
        /* VYR_DXF2CGM names another build of the program, to compare. */
        const char *program = std::getenv("VYR_DXF2CGM");
        ::execl(program ? program : VYR_DXF2CGM_PROGRAM, "dxf2cgm", input.c_str(), output.c_str(),
                static_cast<char *>(nullptr));
        ::_exit(127);
    }
    return pid > 0 ? Wait(pid, t0) : ChildUsage();
}

#ifdef VYR_HAVE_DXFLIB
ChildUsage RunDxflib(const std::string &input);
#endif

/* Sums of alternating runs and the counters made of them. */
struct Alternation {
    double wall = 0, cpu = 0, otherWall = 0, otherCpu = 0;
    long peakKiB = 0;
    int runs = 0, otherRuns = 0;
};

/* One run of the program, added to the sums; false (and the benchmark
 * skipped) when it failed. */
bool RunOurs(benchmark::State &state, const std::string &path, Alternation &a)
{
    const ChildUsage ours = RunProgram(path);
    if (!ours.ok) {
        state.SkipWithError("dxf2cgm failed");
        return false;
    }
    state.SetIterationTime(ours.wall);
    a.wall += ours.wall, a.cpu += ours.cpu, ++a.runs;
    a.peakKiB = std::max(a.peakKiB, ours.peakKiB);
    return true;
}

void Process(benchmark::State &state, Drawing *drawing)
{
    const std::string path = drawing->Path();
    Alternation a;
    for (auto _ : state) {
        if (!RunOurs(state, path, a)) return;
#ifdef VYR_HAVE_DXFLIB
        const ChildUsage theirs = RunDxflib(path);
        if (theirs.ok) a.otherWall += theirs.wall, a.otherCpu += theirs.cpu, ++a.otherRuns;
#endif
    }
    const double mb = vyrbench::FileSize(path) / 1e6;
    state.counters["input_MB"] = mb;
    state.counters["cpu_s"] = a.cpu / a.runs;
    state.counters["peak_MB"] = a.peakKiB / 1024.0;
    state.counters["peak/input"] = a.peakKiB * 1024.0 / 1e6 / mb;
    if (a.otherRuns) {
        state.counters["dxflib_wall_s"] = a.otherWall / a.otherRuns;
        state.counters["dxflib_cpu_s"] = a.otherCpu / a.otherRuns;
        state.counters["ratio_wall"] = (a.wall / a.runs) / (a.otherWall / a.otherRuns);
        state.counters["ratio_cpu"] = (a.cpu / a.runs) / (a.otherCpu / a.otherRuns);
    }
}

/* The program alone on a part of the million lines: time per thousand
 * lines, which stays level when the growth is linear. */
void Growth(benchmark::State &state, Drawing *drawing)
{
    const std::string path = drawing->Path();
    const long lines = drawing == &g_quarterLines ? kEntities / 4
                       : drawing == &g_halfLines  ? kEntities / 2
                                                  : kEntities;
    Alternation a;
    for (auto _ : state)
        if (!RunOurs(state, path, a)) return;
    state.counters["lines"] = double(lines);
    state.counters["cpu_s"] = a.cpu / a.runs;
    state.counters["cpu_ms_per_1k_lines"] = 1e6 * a.cpu / a.runs / double(lines);
    state.counters["peak_MB"] = a.peakKiB / 1024.0;
}

#ifdef VYR_HAVE_DXFLIB
/* The entities dxflib read that the conversion draws. */
long Drawn(const vyrbench::DxflibCounter &c)
{
    return c.lines + c.arcs + c.circles + c.points + c.solids + c.ellipses + c.splines + c.polylines;
}

void Dxflib(benchmark::State &state, Drawing *drawing)
{
    const std::string *path = &drawing->Path();
    Counters(state,
             vyrbench::Measure(state, false,
                               [&] {
                                   return vyrbench::Timed([&](vyrbench::Run &r) {
                                       vyrbench::DxflibCounter counter;
                                       const bool ok = counter.Read(*path);
                                       r.count = Drawn(counter);
                                       return ok;
                                   });
                               }),
             *path, false);
}

/* dxflib's read of `input` in a child process of its own. */
ChildUsage RunDxflib(const std::string &input)
{
    const double t0 = vyrbench::Now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        vyrbench::DxflibCounter counter;
        ::_exit(counter.Read(input) ? 0 : 1);
    }
    return pid > 0 ? Wait(pid, t0) : ChildUsage();
}
#endif

} // namespace

int main(int argc, char **argv)
{
    vyrbench::TempDir dir("convert_bench");
    g_keep = std::getenv("VYR_BENCH_DIR") != nullptr;
    g_dir = g_keep ? std::getenv("VYR_BENCH_DIR") : dir.path;
    if (g_dir.empty()) return 1;
    const std::pair<const char *, Drawing *> drawings[3] = {
        {"million_lines", &g_lines}, {"mixed", &g_mixed}, {"polylines", &g_polylines}};
    for (const auto &d : drawings)
        vyrbench::Register(std::string("convert/whole/") + d.first, 3, Whole, d.second);
    for (const auto &d : drawings)
        vyrbench::Register(std::string("convert/staged/") + d.first, 3, Staged, d.second);
    /* Two alternations each (dxf2cgm, dxflib, dxf2cgm, dxflib). */
    for (int i = 0; i < 2; ++i)
        vyrbench::Register(std::string("process/") + drawings[i].first, 2, Process, drawings[i].second);
    for (Drawing *d : {&g_quarterLines, &g_halfLines, &g_lines})
        vyrbench::Register(std::string("growth/") + d->name, 2, Growth, d);
#ifdef VYR_HAVE_DXFLIB
    for (const auto &d : drawings)
        vyrbench::Register(std::string("dxflib/read/") + d.first, 3, Dxflib, d.second);
#endif
    return vyrbench::RunRegistered(argc, argv);
}
