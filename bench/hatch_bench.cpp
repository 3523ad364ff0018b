/* A drawing of 10,000 pattern hatches, each a square with 45 degree lines
 * at a spacing of 1/100 of its size (about 100 lines, a million pattern
 * segments in all), converted whole beside Debian's dxflib merely reading
 * the same file. The hatch's clipping must cost the lines and crossings it
 * has, not lines times boundary edges, and its pattern must reach the
 * metafile as few large elements. The drawing (release 2000, as the
 * benchmark writes it) lives in a temporary directory removed at the end;
 * every measured run happens in a child process, which reports its CPU
 * time (the benchmark's time), its wall time and its peak memory. */
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "Dxf2Cgm/VyrDxf2Cgm.h"
#include "bench/bench_support.h"

#ifdef VYR_HAVE_DXFLIB
#include <dl_creationadapter.h>
#include <dl_dxf.h>
#endif

namespace {

constexpr int kHatches = 10000;

std::string g_dir, g_drawing;

void WriteHatches(const std::string &path)
{
    vyrbench::DxfWriter o(vyrbench::OpenForWriting(path), false);
    o.pair(0, "SECTION");
    o.pair(2, "HEADER");
    o.pair(9, "$ACADVER");
    o.pair(1, "AC1015");
    o.pair(9, "$HANDSEED");
    o.pair(5, "FFFFFF");
    o.pair(0, "ENDSEC");
    o.pair(0, "SECTION");
    o.pair(2, "ENTITIES");
    long handle = 0x100;
    const double s45 = std::sqrt(0.5);
    for (int i = 0; i < kHatches; ++i) {
        /* squares of 10 to 100 units on a grid of 120 */
        const double size = 10.0 + (i % 10) * 10.0;
        const double x = (i % 100) * 120.0, y = (i / 100) * 120.0;
        const double spacing = size / 100.0;
        o.entity("HATCH", handle++, "0", "AcDbHatch");
        o.integer(62, 1 + i % 7);
        o.num(10, 0.0), o.num(20, 0.0), o.num(30, 0.0);
        o.num(210, 0.0), o.num(220, 0.0), o.num(230, 1.0);
        o.pair(2, "ANSI31");
        o.pair(70, "0");
        o.pair(71, "0");
        o.pair(91, "1");
        o.pair(92, "3");
        o.pair(72, "0");
        o.pair(73, "1");
        o.pair(93, "4");
        o.num(10, x), o.num(20, y);
        o.num(10, x + size), o.num(20, y);
        o.num(10, x + size), o.num(20, y + size);
        o.num(10, x), o.num(20, y + size);
        o.pair(97, "0");
        o.pair(75, "0");
        o.pair(76, "1");
        o.num(52, 0.0);
        o.num(41, spacing / 3.175);
        o.pair(77, "0");
        o.pair(78, "1");
        o.num(53, 45.0);
        o.num(43, 0.0), o.num(44, 0.0);
        o.num(45, -spacing * s45), o.num(46, spacing * s45);
        o.pair(79, "0");
        o.pair(98, "0");
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
    long hatches = 0;
    long bytes = 0;
};

double CpuNow()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

template <class Work> void Measure(benchmark::State &state, Work work)
{
    double wall = 0, cpu = 0;
    long peak = 0;
    Report last;
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
        last = r;
    }
    if (cpu <= 0) return;
    const double mb = vyrbench::FileSize(g_drawing) / 1e6;
    state.counters["input_MB"] = mb;
    state.counters["MB/s_cpu"] = mb * static_cast<double>(state.iterations()) / cpu;
    state.counters["wall_ms"] = 1000 * wall / static_cast<double>(state.iterations());
    state.counters["peak_MB"] = peak / 1024.0;
    state.counters["hatches"] = static_cast<double>(last.hatches);
    if (last.bytes) state.counters["output_MB"] = static_cast<double>(last.bytes) / 1e6;
}

void Convert(benchmark::State &state)
{
    const std::string output = g_dir + "/hatches.cgm";
    Measure(state, [&] {
        Report r;
        const double t0 = vyrbench::Now(), c0 = CpuNow();
        VyrDxf2Cgm converter;
        r.ok = converter.Convert(g_drawing.c_str(), output.c_str()) == 0;
        r.wall = vyrbench::Now() - t0;
        r.cpu = CpuNow() - c0;
        r.hatches = kHatches;
        r.bytes = vyrbench::FileSize(output);
        return r;
    });
}

#ifdef VYR_HAVE_DXFLIB
class Counter : public DL_CreationAdapter {
public:
    long hatches = 0;
    void addHatch(const DL_HatchData &) override { ++hatches; }
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
        r.hatches = counter.hatches;
        return r;
    });
}
#endif

} // namespace

int main(int argc, char **argv)
{
    char dir[] = "/tmp/vyr_hatch_bench_XXXXXX";
    if (!::mkdtemp(dir)) return 1;
    g_dir = dir;
    g_drawing = g_dir + "/hatches.dxf";
    WriteHatches(g_drawing);
    benchmark::RegisterBenchmark("hatch/convert/10000_pattern_hatches", Convert)
        ->UseManualTime()
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond);
#ifdef VYR_HAVE_DXFLIB
    benchmark::RegisterBenchmark("hatch/dxflib_read/10000_pattern_hatches", Dxflib)
        ->UseManualTime()
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond);
#endif
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(g_drawing.c_str());
    std::remove((g_dir + "/hatches.cgm").c_str());
    ::rmdir(dir);
    return 0;
}
