/* Drawings built from blocks: 20,000 block definitions (two lines and a
 * circle each) and 200,000 inserts that refer to them in a scattered order,
 * some rotated and scaled, converted whole beside Debian's dxflib merely
 * reading the same file. Each insert finds its block by pointer in the
 * driver's block table, so that lookup must not grow with the number of
 * blocks. The drawing (release 12, as the benchmark writes it) lives in a
 * temporary directory removed at the end; every measured run happens in a
 * child process, which reports its CPU time (the benchmark's time, steadier
 * than wall time on a shared machine), its wall time and its peak memory. */
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Dxf2Cgm/VyrDxf2Cgm.h"
#include "bench/bench_support.h"

#ifdef VYR_HAVE_DXFLIB
#include <dl_creationadapter.h>
#include <dl_dxf.h>
#endif

namespace {

constexpr int kBlocks = 20000;
constexpr int kInserts = 200000;

std::string g_dir, g_drawing;

void WriteBlocks(const std::string &path)
{
    vyrbench::DxfWriter o(vyrbench::OpenForWriting(path), false);
    long handle = 0x100;
    o.pair(0, "SECTION");
    o.pair(2, "HEADER");
    o.pair(9, "$ACADVER");
    o.pair(1, "AC1009");
    o.pair(9, "$HANDLING");
    o.pair(70, "1");
    o.pair(9, "$HANDSEED");
    o.pair(5, "FFFFFF");
    o.pair(0, "ENDSEC");
    o.pair(0, "SECTION");
    o.pair(2, "BLOCKS");
    char name[32];
    for (int b = 0; b < kBlocks; ++b) {
        std::snprintf(name, sizeof name, "SYM%05d", b);
        o.pair(0, "BLOCK");
        o.integer(5, handle++);
        o.pair(8, "0");
        o.pair(2, name);
        o.pair(70, "0");
        o.num(10, 1.0), o.num(20, 1.0), o.num(30, 0.0);
        o.pair(3, name);
        o.pair(0, "LINE");
        o.integer(5, handle++);
        o.pair(8, "0");
        o.num(10, 0.0), o.num(20, 0.0), o.num(30, 0.0), o.num(11, 2.0 + b % 7), o.num(21, 2.0),
            o.num(31, 0.0);
        o.pair(0, "LINE");
        o.integer(5, handle++);
        o.pair(8, "0");
        o.pair(62, "0");
        o.num(10, 0.0), o.num(20, 2.0), o.num(30, 0.0), o.num(11, 2.0), o.num(21, 0.0), o.num(31, 0.0);
        o.pair(0, "CIRCLE");
        o.integer(5, handle++);
        o.pair(8, "0");
        o.num(10, 1.0), o.num(20, 1.0), o.num(30, 0.0), o.num(40, 0.75);
        o.pair(0, "ENDBLK");
        o.integer(5, handle++);
        o.pair(8, "0");
    }
    o.pair(0, "ENDSEC");
    o.pair(0, "SECTION");
    o.pair(2, "ENTITIES");
    for (int i = 0; i < kInserts; ++i) {
        std::snprintf(name, sizeof name, "SYM%05d", static_cast<int>((i * 7919L) % kBlocks));
        o.pair(0, "INSERT");
        o.integer(5, handle++);
        o.pair(8, "0");
        o.integer(62, 1 + i % 7);
        o.pair(2, name);
        o.num(10, (i % 500) * 5.0 - 1250.0), o.num(20, (i / 500) * 5.0 - 1000.0), o.num(30, 0.0);
        if (i % 3 == 0) o.num(41, 1.5), o.num(42, 1.5);
        if (i % 5 == 0) o.num(50, (i % 360) * 1.0);
    }
    o.pair(0, "ENDSEC");
    o.pair(0, "EOF");
    o.close();
}

struct Report {
    int ok = 0;
    double wall = 0;
    double cpu = 0;
    long peakKiB = 0;
    long inserts = 0;
};

double CpuNow()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void Finish(benchmark::State &state, double cpu, double wall, long peakKiB, long inserts)
{
    if (cpu <= 0) return;
    const double mb = vyrbench::FileSize(g_drawing) / 1e6;
    state.counters["input_MB"] = mb;
    state.counters["MB/s_cpu"] = mb * static_cast<double>(state.iterations()) / cpu;
    state.counters["wall_ms"] = 1000 * wall / static_cast<double>(state.iterations());
    state.counters["peak_MB"] = peakKiB / 1024.0;
    state.counters["inserts"] = static_cast<double>(inserts);
}

template <class Work> void Measure(benchmark::State &state, Work work)
{
    double wall = 0, cpu = 0;
    long peak = 0, inserts = 0;
    for (auto _ : state) {
        const Report r = vyrbench::InChild<Report>(work);
        if (!r.ok) {
            state.SkipWithError("the run failed");
            return;
        }
        state.SetIterationTime(r.cpu);
        wall += r.wall;
        cpu += r.cpu;
        peak = std::max(peak, r.peakKiB);
        inserts = r.inserts;
    }
    Finish(state, cpu, wall, peak, inserts);
}

void Convert(benchmark::State &state)
{
    const std::string output = g_dir + "/blocks.cgm";
    Measure(state, [&] {
        Report r;
        const double t0 = vyrbench::Now(), c0 = CpuNow();
        VyrDxf2Cgm converter;
        r.ok = converter.Convert(g_drawing.c_str(), output.c_str()) == 0;
        r.wall = vyrbench::Now() - t0;
        r.cpu = CpuNow() - c0;
        ZelResults z{};
        converter.GetZelResults(&z);
        r.inserts = z.word[ZelInserts];
        return r;
    });
}

#ifdef VYR_HAVE_DXFLIB
class Counter : public DL_CreationAdapter {
public:
    long inserts = 0;
    void addInsert(const DL_InsertData &) override { ++inserts; }
    void addLine(const DL_LineData &) override {}
    void addCircle(const DL_CircleData &) override {}
};

void Dxflib(benchmark::State &state)
{
    Measure(state, [&] {
        Report r;
        const double t0 = vyrbench::Now(), c0 = CpuNow();
        Counter counter;
        DL_Dxf dxf;
        r.ok = dxf.in(g_drawing, &counter);
        r.wall = vyrbench::Now() - t0;
        r.cpu = CpuNow() - c0;
        r.inserts = counter.inserts;
        return r;
    });
}
#endif

} // namespace

int main(int argc, char **argv)
{
    char dir[] = "/tmp/vyr_blocks_bench_XXXXXX";
    if (!::mkdtemp(dir)) return 1;
    g_dir = dir;
    g_drawing = g_dir + "/blocks.dxf";
    WriteBlocks(g_drawing);
    benchmark::RegisterBenchmark("blocks/convert/20000_blocks_200000_inserts", Convert)
        ->UseManualTime()
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond);
#ifdef VYR_HAVE_DXFLIB
    benchmark::RegisterBenchmark("blocks/dxflib_read/20000_blocks_200000_inserts", Dxflib)
        ->UseManualTime()
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond);
#endif
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::system(("rm -rf '" + g_dir + "'").c_str());
    return 0;
}
