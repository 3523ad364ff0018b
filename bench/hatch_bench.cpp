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

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Dxf2Cgm/VyrDxf2Cgm.h"
#include "bench/bench_support.h"

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

void Convert(benchmark::State &state)
{
    const std::string output = g_dir + "/hatches.cgm";
    vyrbench::Measure(state, true, [&] {
        vyrbench::Run r = vyrbench::Timed([&](vyrbench::Run &) {
            VyrDxf2Cgm converter;
            return converter.Convert(g_drawing.c_str(), output.c_str()) == 0;
        });
        r.count = kHatches;
        r.bytes = vyrbench::FileSize(output);
        return r;
    }).Counters(state, g_drawing, "hatches");
}

#ifdef VYR_HAVE_DXFLIB
void Dxflib(benchmark::State &state)
{
    vyrbench::Measure(state, true, [&] {
        return vyrbench::Timed([&](vyrbench::Run &r) {
            vyrbench::DxflibCounter counter;
            const bool ok = counter.Read(g_drawing);
            r.count = counter.hatches;
            return ok;
        });
    }).Counters(state, g_drawing, "hatches");
}
#endif

} // namespace

int main(int argc, char **argv)
{
    vyrbench::TempDir dir("hatch_bench");
    if (dir.path.empty()) return 1;
    g_dir = dir.path;
    g_drawing = g_dir + "/hatches.dxf";
    WriteHatches(g_drawing);
    vyrbench::Register("hatch/convert/10000_pattern_hatches", 3, Convert);
#ifdef VYR_HAVE_DXFLIB
    vyrbench::Register("hatch/dxflib_read/10000_pattern_hatches", 3, Dxflib);
#endif
    return vyrbench::RunRegistered(argc, argv);
}
