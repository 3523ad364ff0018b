/* What the benchmark programs share: wall and CPU clocks, file sizes, the
 * process's peak resident memory, a runner that measures work in a child
 * process of its own and the sums of such runs with the counters made of
 * them, dxflib's counting reader (when dxflib is installed), the temporary
 * directory, registration and main loop of a program, the plain
 * pair-splitting loops the readers are compared with, and a writer of DXF
 * group-code pairs (ASCII, or binary with 2-byte codes) with the drawing
 * several benchmarks read: a million LINE entities on layer "0", 13 million
 * pairs. */
#ifndef VYR_BENCH_BENCH_SUPPORT_H
#define VYR_BENCH_BENCH_SUPPORT_H

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <system_error>

#include "toolkit/dxf/dxf_int.h"

#ifdef VYR_HAVE_DXFLIB
#include <dl_creationadapter.h>
#include <dl_dxf.h>
#endif

namespace vyrbench {

/* Seconds of a steady clock. */
inline double Now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

/* Seconds of CPU time this process has used. */
inline double CpuNow()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

/* Bytes of a file; 0 when it cannot be opened. */
inline long FileSize(const std::string &path)
{
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) return 0;
    std::fseek(f, 0, SEEK_END);
    const long n = std::ftell(f);
    std::fclose(f);
    return n;
}

/* The peak resident memory of this process so far, in MiB. */
inline double PeakRssMB()
{
    struct rusage ru;
    getrusage(RUSAGE_SELF, &ru);
    return double(ru.ru_maxrss) / 1024.0;
}

/* Runs work() in a child process and returns the Report it made (a plain
 * record with a field peakKiB), with peakKiB set to the child's peak
 * resident memory. A child that reports nothing gives a default Report. */
template <class Report, class Work> Report InChild(Work work)
{
    int fds[2];
    if (::pipe(fds) != 0) std::abort();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        Report r = work();
        if (::write(fds[1], &r, sizeof r) != static_cast<ssize_t>(sizeof r)) ::_exit(1);
        ::_exit(0);
    }
    ::close(fds[1]);
    Report r;
    if (::read(fds[0], &r, sizeof r) != static_cast<ssize_t>(sizeof r)) r = Report();
    ::close(fds[0]);
    int status = 0;
    struct rusage usage;
    ::wait4(pid, &status, 0, &usage);
    r.peakKiB = usage.ru_maxrss;
    return r;
}

/* What one measured run reports from its child process: whether it
 * succeeded, its wall and CPU seconds, the wall seconds of its stages when
 * it times them (the staged conversion: load, mapping, walk, writing), the
 * child's peak memory (set by InChild), what it counted (entities, texts,
 * inserts...) and the bytes it wrote. */
struct Run {
    int ok = 0;
    double wall = 0, cpu = 0;
    double stages[4] = {};
    long peakKiB = 0;
    long count = 0;
    long bytes = 0;
};

/* Times work(run), which returns whether it succeeded and may fill in the
 * run's count and stages, by both clocks. */
template <class Work> Run Timed(Work work)
{
    Run r;
    const double t0 = Now(), c0 = CpuNow();
    r.ok = work(r) ? 1 : 0;
    r.wall = Now() - t0;
    r.cpu = CpuNow() - c0;
    return r;
}

/* The sums over a benchmark's iterations, each a Run in a child process of
 * its own. The iteration time is the run's CPU time (steadier than wall
 * time on a shared machine) or its wall time; the counters set at the end
 * give the input's MB/s over the mean time, the largest peak memory, and
 * the count of the last run when it counted anything. A failed run skips
 * the benchmark and sets no counters. */
struct Totals {
    bool cpuTime;
    double wall = 0, cpu = 0;
    double stages[4] = {};
    long peakKiB = 0, count = 0, bytes = 0;
    bool failed = false;

    explicit Totals(bool byCpu) : cpuTime(byCpu) {}

    bool Add(benchmark::State &state, const Run &r)
    {
        if (!r.ok) {
            failed = true;
            state.SkipWithError("the run failed");
            return false;
        }
        state.SetIterationTime(cpuTime ? r.cpu : r.wall);
        wall += r.wall, cpu += r.cpu;
        for (int i = 0; i < 4; ++i) stages[i] += r.stages[i];
        peakKiB = std::max(peakKiB, r.peakKiB);
        count = r.count, bytes = r.bytes;
        return true;
    }
    /* Sets the counters: input_MB, MB/s (MB/s_cpu and wall_ms when timed by
     * CPU), peak_MB, `countName` and output_MB. False when nothing was
     * measured. */
    bool Counters(benchmark::State &state, const std::string &input, const char *countName) const
    {
        const double time = cpuTime ? cpu : wall;
        if (failed || time <= 0) return false;
        const double mb = static_cast<double>(FileSize(input)) / 1e6;
        const double runs = static_cast<double>(state.iterations());
        state.counters["input_MB"] = mb;
        if (cpuTime) {
            state.counters["MB/s_cpu"] = mb * runs / cpu;
            state.counters["wall_ms"] = 1000 * wall / runs;
        } else {
            state.counters["MB/s"] = mb * runs / wall;
        }
        state.counters["peak_MB"] = static_cast<double>(peakKiB) / 1024.0;
        if (count) state.counters[countName] = static_cast<double>(count);
        if (bytes) state.counters["output_MB"] = static_cast<double>(bytes) / 1e6;
        return true;
    }
};

/* Runs work() (returning a Run) once per iteration, each time in a child
 * process, and returns the sums. */
template <class Work> Totals Measure(benchmark::State &state, bool byCpu, Work work)
{
    Totals totals(byCpu);
    for (auto _ : state)
        if (!totals.Add(state, InChild<Run>(work))) break;
    return totals;
}

#ifdef VYR_HAVE_DXFLIB
/* Debian's dxflib reading a file into a creation interface that counts what
 * it is given, kind by kind (dimensions: linear and aligned). */
class DxflibCounter : public DL_CreationAdapter {
public:
    long lines = 0, arcs = 0, circles = 0, points = 0, solids = 0, ellipses = 0, splines = 0;
    long polylines = 0, vertices = 0, texts = 0, inserts = 0, attributes = 0, dimensions = 0;
    long hatches = 0;

    void addLine(const DL_LineData &) override { ++lines; }
    void addArc(const DL_ArcData &) override { ++arcs; }
    void addCircle(const DL_CircleData &) override { ++circles; }
    void addPoint(const DL_PointData &) override { ++points; }
    void addSolid(const DL_SolidData &) override { ++solids; }
    void addEllipse(const DL_EllipseData &) override { ++ellipses; }
    void addSpline(const DL_SplineData &) override { ++splines; }
    void addPolyline(const DL_PolylineData &) override { ++polylines; }
    void addVertex(const DL_VertexData &) override { ++vertices; }
    void addText(const DL_TextData &) override { ++texts; }
    void addInsert(const DL_InsertData &) override { ++inserts; }
    void addAttribute(const DL_AttributeData &) override { ++attributes; }
    void addDimLinear(const DL_DimensionData &, const DL_DimLinearData &) override { ++dimensions; }
    void addDimAlign(const DL_DimensionData &, const DL_DimAlignedData &) override { ++dimensions; }
    void addHatch(const DL_HatchData &) override { ++hatches; }

    /* Reads the file; false when dxflib could not. */
    bool Read(const std::string &path)
    {
        DL_Dxf dxf;
        return dxf.in(path, this);
    }
};
#endif

/* A temporary directory /tmp/vyr_<name>_XXXXXX for a program's drawings,
 * removed with all it holds when the program ends. */
class TempDir {
public:
    explicit TempDir(const char *name)
    {
        std::string pattern = std::string("/tmp/vyr_") + name + "_XXXXXX";
        if (::mkdtemp(&pattern[0])) path = pattern;
    }
    ~TempDir()
    {
        std::error_code ec;
        if (!path.empty()) std::filesystem::remove_all(path, ec);
    }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    std::string path; /* empty when it could not be made */
};

/* Registers fn(state, args...) timed by hand (SetIterationTime), run
 * `iterations` times, in milliseconds. */
template <class Fn, class... Args>
benchmark::internal::Benchmark *Register(const std::string &name, int iterations, Fn fn, Args... args)
{
    return benchmark::RegisterBenchmark(name.c_str(), fn, args...)
        ->UseManualTime()
        ->Iterations(iterations)
        ->Unit(benchmark::kMillisecond);
}

/* Runs the registered benchmarks as the command line selects. */
inline int RunRegistered(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

/* Group codes of real and of integer values. */
inline bool IsRealCode(unsigned c)
{
    return (c >= 10 && c <= 59) || (c >= 110 && c <= 149) || (c >= 210 && c <= 239) ||
           (c >= 1010 && c <= 1059);
}
inline bool IsIntCode(unsigned c)
{
    return (c >= 60 && c <= 79) || (c >= 90 && c <= 99) || (c >= 170 && c <= 179) || (c >= 270 && c <= 299) ||
           (c >= 370 && c <= 389) || (c >= 400 && c <= 409) || (c >= 1060 && c <= 1071);
}

/* The plain loop the pair readers are measured against: fgets of the code
 * and value lines through a 1 MiB stdio buffer, strtol of the code and
 * strtod/strtol of every numeric value, added to *sum and *isum. Returns
 * the number of pairs. */
inline long PlainAsciiPairs(const std::string &path, double *sum, long *isum)
{
    static char vbuf[1 << 20];
    char code[256], value[4096];
    long pairs = 0;
    FILE *f = std::fopen(path.c_str(), "rb");
    std::setvbuf(f, vbuf, _IOFBF, sizeof vbuf);
    while (std::fgets(code, sizeof code, f) && std::fgets(value, sizeof value, f)) {
        unsigned c = static_cast<unsigned>(std::strtol(code, nullptr, 10));
        ++pairs;
        if (IsRealCode(c))
            *sum += std::strtod(value, nullptr);
        else if (IsIntCode(c))
            *isum += std::strtol(value, nullptr, 10);
    }
    std::fclose(f);
    return pairs;
}

/* The plain loop over binary DXF: fread of the 2-byte code and of the value
 * by its kind (reals added to *sum), texts read up to their zero byte. */
inline long PlainBinaryPairs(const std::string &path, double *sum)
{
    static char vbuf[1 << 20];
    long pairs = 0;
    FILE *f = std::fopen(path.c_str(), "rb");
    std::setvbuf(f, vbuf, _IOFBF, sizeof vbuf);
    std::fseek(f, 22, SEEK_SET);
    unsigned char cb[2];
    while (std::fread(cb, 1, 2, f) == 2) {
        unsigned c = cb[0] | cb[1] << 8;
        ++pairs;
        if (IsRealCode(c)) {
            double v;
            if (std::fread(&v, 1, 8, f) != 8) break;
            *sum += v;
        } else if (c >= 60 && c <= 79) {
            short s;
            if (std::fread(&s, 1, 2, f) != 2) break;
        } else {
            int ch;
            while ((ch = getc_unlocked(f)) > 0) {}
            if (ch < 0) break;
        }
    }
    std::fclose(f);
    return pairs;
}

/* Opens a file for writing through a 1 MiB buffer; aborts when it cannot. */
inline FILE *OpenForWriting(const std::string &path)
{
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    static char buffer[1 << 20];
    std::setvbuf(f, buffer, _IOFBF, sizeof buffer);
    return f;
}

/* Writes group-code pairs given as text; in binary, codes 60-79 become
 * 16-bit and 90-99 32-bit integers, reals 8-byte doubles, the rest texts
 * ending in a zero byte. The binary file's sentinel comes first. */
struct DxfWriter {
    FILE *f;
    bool binary;
    char t[64];

    DxfWriter(FILE *file, bool bin) : f(file), binary(bin), t()
    {
        if (binary) std::fwrite("AutoCAD Binary DXF\r\n\x1a", 1, 22, f);
    }
    void pair(unsigned code, const char *text)
    {
        if (!binary) {
            std::fprintf(f, "%3u\n%s\n", code, text);
            return;
        }
        std::fputc(static_cast<int>(code & 0xFF), f);
        std::fputc(static_cast<int>(code >> 8), f);
        if (IsRealCode(code)) {
            unsigned char b[8];
            double2buf(std::strtod(text, nullptr), b);
            std::fwrite(b, 1, 8, f);
        } else if (code >= 60 && code <= 79) {
            unsigned char b[2];
            short2buf(static_cast<int16_t>(std::strtol(text, nullptr, 10)), b);
            std::fwrite(b, 1, 2, f);
        } else if (code >= 90 && code <= 99) {
            unsigned char b[4];
            long2buf(static_cast<int32_t>(std::strtol(text, nullptr, 10)), b);
            std::fwrite(b, 1, 4, f);
        } else {
            std::fputs(text, f);
            std::fputc(0, f);
        }
    }
    void num(unsigned code, double v)
    {
        std::snprintf(t, sizeof t, "%.6f", v);
        pair(code, t);
    }
    void integer(unsigned code, long v)
    {
        std::snprintf(t, sizeof t, "%ld", v);
        pair(code, t);
    }
    /* An entity's start: its kind, handle, owner (the model space block
     * record "1F"), layer and, when given, the subclass after AcDbEntity. */
    void entity(const char *kind, long handle, const char *layer, const char *subclass)
    {
        pair(0, kind);
        std::snprintf(t, sizeof t, "%lX", handle);
        pair(5, t);
        pair(330, "1F");
        pair(100, "AcDbEntity");
        pair(8, layer);
        if (subclass) pair(100, subclass);
    }
    void close() { std::fclose(f); }
};

/* The million-line drawing: a header naming AC1015, then a million LINE
 * entities (handles from 100 on, colour 7) in the ENTITIES section. */
inline void WriteMillionLines(const std::string &path, bool binary, int count = 1000000)
{
    DxfWriter o(OpenForWriting(path), binary);
    o.pair(0, "SECTION");
    o.pair(2, "HEADER");
    o.pair(9, "$ACADVER");
    o.pair(1, "AC1015");
    o.pair(0, "ENDSEC");
    o.pair(0, "SECTION");
    o.pair(2, "ENTITIES");
    for (int i = 0; i < count; ++i) {
        o.entity("LINE", 0x100 + i, "0", nullptr);
        o.pair(62, "7");
        o.pair(100, "AcDbLine");
        const double x = i * 0.125, y = 1000.0 - i * 0.0625;
        o.num(10, x);
        o.num(20, y);
        o.pair(30, "0.0");
        o.num(11, x + 12.5);
        o.num(21, y - 7.25);
        o.pair(31, "0.0");
    }
    o.pair(0, "ENDSEC");
    o.pair(0, "EOF");
    o.close();
}

/* The block definitions the mixed drawing refers to: "Bolt" (a circle and
 * an attribute definition) for its inserts, "*D1" (the lines and the text a
 * linear dimension draws) for its dimensions. */
inline void WriteMixedBlocks(DxfWriter &o)
{
    o.pair(0, "SECTION");
    o.pair(2, "BLOCKS");
    o.pair(0, "BLOCK"), o.pair(5, "20"), o.pair(8, "0"), o.pair(2, "Bolt"), o.pair(70, "2");
    o.pair(10, "0.0"), o.pair(20, "0.0"), o.pair(30, "0.0"), o.pair(3, "Bolt");
    o.pair(0, "CIRCLE"), o.pair(5, "21"), o.pair(8, "0"), o.pair(10, "0.0"), o.pair(20, "0.0"),
        o.pair(40, "2.0");
    o.pair(0, "ATTDEF"), o.pair(5, "22"), o.pair(8, "0"), o.pair(10, "0.0"), o.pair(20, "3.0"),
        o.pair(40, "1.0");
    o.pair(1, "M8"), o.pair(3, "Size?"), o.pair(2, "SIZE"), o.pair(70, "0");
    o.pair(0, "ENDBLK"), o.pair(5, "23"), o.pair(8, "0");
    o.pair(0, "BLOCK"), o.pair(5, "24"), o.pair(8, "0"), o.pair(2, "*D1"), o.pair(70, "1");
    o.pair(10, "0.0"), o.pair(20, "0.0"), o.pair(30, "0.0"), o.pair(3, "*D1");
    o.pair(0, "LINE"), o.pair(5, "25"), o.pair(8, "0"), o.pair(10, "0.0"), o.pair(20, "0.0"),
        o.pair(11, "10.0"), o.pair(21, "0.0");
    o.pair(0, "LINE"), o.pair(5, "26"), o.pair(8, "0"), o.pair(10, "0.0"), o.pair(20, "-1.0"),
        o.pair(11, "0.0"), o.pair(21, "1.0");
    o.pair(0, "TEXT"), o.pair(5, "27"), o.pair(8, "0"), o.pair(10, "4.0"), o.pair(20, "0.5"),
        o.pair(40, "1.0"), o.pair(1, "10");
    o.pair(0, "ENDBLK"), o.pair(5, "28"), o.pair(8, "0");
    o.pair(0, "ENDSEC");
}

/* Entities both mixed drawings hold: a closed lightweight polyline of five
 * vertices from (x, y), every second one bulged, and a TEXT "Part <i> of the
 * drawing" turned `rotation` degrees. */
inline void WriteBulgedPolyline(DxfWriter &o, long handle, const char *layer, double x, double y)
{
    o.entity("LWPOLYLINE", handle, layer, "AcDbPolyline");
    o.pair(90, "5"), o.pair(70, "1");
    for (int v = 0; v < 5; ++v) {
        o.num(10, x + v * 4.0), o.num(20, y + (v % 2) * 3.0);
        if (v % 2) o.num(42, 0.41421356);
    }
}

inline void WritePartText(DxfWriter &o, long handle, const char *layer, double x, double y, long i,
                          double rotation)
{
    o.entity("TEXT", handle, layer, "AcDbText");
    o.num(10, x), o.num(20, y), o.pair(30, "0.0"), o.num(40, 2.5);
    std::snprintf(o.t, sizeof o.t, "Part %ld of the drawing", i);
    o.pair(1, o.t), o.num(50, rotation), o.pair(100, "AcDbText");
}

} // namespace vyrbench

#endif
