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

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Dxf2Cgm/VyrDxf2Cgm.h"
#include "bench/bench_support.h"

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

void Convert(benchmark::State &state)
{
    const std::string output = g_dir + "/blocks.cgm";
    vyrbench::Measure(state, true, [&] {
        return vyrbench::Timed([&](vyrbench::Run &r) {
            VyrDxf2Cgm converter;
            const bool ok = converter.Convert(g_drawing.c_str(), output.c_str()) == 0;
            ZelResults z{};
            converter.GetZelResults(&z);
            r.count = z.word[ZelInserts];
            return ok;
        });
    }).Counters(state, g_drawing, "inserts");
}

#ifdef VYR_HAVE_DXFLIB
void Dxflib(benchmark::State &state)
{
    vyrbench::Measure(state, true, [&] {
        return vyrbench::Timed([&](vyrbench::Run &r) {
            vyrbench::DxflibCounter counter;
            const bool ok = counter.Read(g_drawing);
            r.count = counter.inserts;
            return ok;
        });
    }).Counters(state, g_drawing, "inserts");
}
#endif

} // namespace

int main(int argc, char **argv)
{
    vyrbench::TempDir dir("blocks_bench");
    if (dir.path.empty()) return 1;
    g_dir = dir.path;
    g_drawing = g_dir + "/blocks.dxf";
    WriteBlocks(g_drawing);
    vyrbench::Register("blocks/convert/20000_blocks_200000_inserts", 3, Convert);
#ifdef VYR_HAVE_DXFLIB
    vyrbench::Register("blocks/dxflib_read/20000_blocks_200000_inserts", 3, Dxflib);
#endif
    return vyrbench::RunRegistered(argc, argv);
}
