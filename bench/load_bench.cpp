/* Speed and memory of the toolkit's whole DXF load (adLoadFile: the scan
 * pass and the load pass into the drawing database), beside the reader
 * benchmark's plain pair-splitting loop (fgets and strtod/strtol of every
 * pair) and our own pair reader merely reading the same files, and beside
 * Debian's dxflib merely reading them (when libdxflib-dev is installed;
 * dxflib reads ASCII DXF only). The benchmark writes its drawings into a
 * temporary directory, removed at the end: a million LINE entities as
 * ASCII and as binary DXF (the reader benchmark's drawing), and a mixed
 * drawing of 300,000 entities (lightweight polylines with bulges, arcs,
 * circles, texts, inserts of a block with an attribute, dimensions) on a
 * few layers; and drawings of many names: 100,000 layers, 100,000 blocks,
 * and 33,000 entities of kinds no class declares. Every run happens in a child process, so that its peak
 * resident memory is its own; reported: wall time, MB/s of input, peak
 * resident memory and its ratio to the file's size. */
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/bench_support.h"
#include "toolkit/dxf/dxf_int.h"

namespace {

std::string g_dir, g_lines, g_linesbin, g_mixed, g_layers, g_blocks, g_kinds;
constexpr int kMixed = 300000;

void WriteMixed(const std::string &path)
{
    vyrbench::DxfWriter o(vyrbench::OpenForWriting(path), false);
    o.pair(0, "SECTION");
    o.pair(2, "HEADER");
    o.pair(9, "$ACADVER");
    o.pair(1, "AC1015");
    o.pair(0, "ENDSEC");
    o.pair(0, "SECTION");
    o.pair(2, "TABLES");
    o.pair(0, "TABLE");
    o.pair(2, "LAYER");
    o.pair(70, "4");
    const char *layers[4] = {"0", "Outline", "Text", "Dims"};
    for (int l = 0; l < 4; ++l) {
        o.pair(0, "LAYER");
        o.integer(5, 0x10 + l);
        o.pair(100, "AcDbSymbolTableRecord");
        o.pair(100, "AcDbLayerTableRecord");
        o.pair(2, layers[l]);
        o.pair(70, "0");
        o.integer(62, l + 1);
        o.pair(6, "Continuous");
    }
    o.pair(0, "ENDTAB");
    o.pair(0, "ENDSEC");
    vyrbench::WriteMixedBlocks(o);
    o.pair(0, "SECTION");
    o.pair(2, "ENTITIES");
    for (long i = 0, h = 0; i < kMixed; ++i) {
        const double x = (i % 1000) * 30.0, y = (i / 1000) * 30.0;
        const char *layer = layers[i % 4];
        switch (i % 10) {
        case 0:
        case 1:
        case 2: vyrbench::WriteBulgedPolyline(o, 0x1000 + h++, layer, x, y); break;
        case 3:
        case 4:
            o.entity("ARC", 0x1000 + h++, layer, "AcDbCircle");
            o.num(10, x), o.num(20, y), o.pair(30, "0.0"), o.num(40, 8.0);
            o.pair(100, "AcDbArc"), o.num(50, (i % 360) * 1.0), o.num(51, (i % 360) + 120.0);
            break;
        case 5:
            o.entity("CIRCLE", 0x1000 + h++, layer, "AcDbCircle");
            o.num(10, x), o.num(20, y), o.pair(30, "0.0"), o.num(40, 5.0);
            break;
        case 6:
        case 7: vyrbench::WritePartText(o, 0x1000 + h++, layer, x, y, i, (i % 8) * 45.0); break;
        case 8:
            o.entity("INSERT", 0x1000 + h++, layer, "AcDbBlockReference");
            o.pair(66, "1"), o.pair(2, "Bolt"), o.num(10, x), o.num(20, y), o.pair(30, "0.0");
            o.num(41, 1.5), o.num(42, 1.5), o.num(50, (i % 4) * 90.0);
            o.entity("ATTRIB", 0x1000 + h++, layer, "AcDbText");
            o.num(10, x), o.num(20, y + 3), o.pair(30, "0.0"), o.num(40, 1.0), o.pair(1, "M8");
            o.pair(100, "AcDbAttribute"), o.pair(2, "SIZE"), o.pair(70, "0");
            o.entity("SEQEND", 0x1000 + h++, layer, nullptr);
            break;
        default:
            o.entity("DIMENSION", 0x1000 + h++, layer, "AcDbDimension");
            o.pair(2, "*D1"), o.num(10, x + 10), o.num(20, y + 5), o.pair(30, "0.0"), o.num(11, x + 5),
                o.num(21, y + 6);
            o.pair(31, "0.0"), o.pair(70, "32"), o.pair(1, ""), o.pair(3, "Standard");
            o.pair(100, "AcDbAlignedDimension"), o.num(13, x), o.num(23, y), o.pair(33, "0.0");
            o.num(14, x + 10), o.num(24, y), o.pair(34, "0.0"), o.pair(100, "AcDbRotatedDimension");
            break;
        }
    }
    o.pair(0, "ENDSEC");
    o.pair(0, "EOF");
    o.close();
}

constexpr int kManyNames = 100000;
constexpr int kUnknownKinds = 33000;

/* Table records and block definitions by the hundred thousand: a LAYER table
 * of kManyNames layers (every other one with a dashed line type), or as many
 * BLOCK_RECORD records with their BLOCKs of one LINE each, and one entity on
 * each layer or one INSERT of each block. With unknownKinds, no tables but
 * kUnknownKinds entities of as many kinds no class declares. */
void WriteManyNames(const std::string &path, bool layers, bool blocks, bool unknownKinds)
{
    vyrbench::DxfWriter o(vyrbench::OpenForWriting(path), false);
    long h = 0x100;
    o.pair(0, "SECTION"), o.pair(2, "HEADER"), o.pair(9, "$ACADVER"), o.pair(1, "AC1015");
    o.pair(0, "ENDSEC");
    o.pair(0, "SECTION"), o.pair(2, "TABLES");
    o.pair(0, "TABLE"), o.pair(2, "LTYPE"), o.pair(5, "5"), o.pair(70, "2");
    o.pair(0, "LTYPE"), o.pair(5, "14"), o.pair(2, "Continuous"), o.pair(70, "0");
    o.pair(0, "LTYPE"), o.pair(5, "15"), o.pair(2, "Dashed"), o.pair(70, "0");
    o.pair(0, "ENDTAB");
    if (layers) {
        o.pair(0, "TABLE"), o.pair(2, "LAYER"), o.pair(5, "2"), o.integer(70, kManyNames);
        for (int i = 0; i < kManyNames; ++i) {
            o.pair(0, "LAYER"), std::snprintf(o.t, sizeof o.t, "%lX", h++), o.pair(5, o.t);
            std::snprintf(o.t, sizeof o.t, "Layer %d", i);
            o.pair(100, "AcDbSymbolTableRecord"), o.pair(100, "AcDbLayerTableRecord"), o.pair(2, o.t);
            o.pair(70, "0"), o.integer(62, i % 255 + 1), o.pair(6, i % 2 ? "Dashed" : "Continuous");
        }
        o.pair(0, "ENDTAB");
    }
    if (blocks) {
        o.pair(0, "TABLE"), o.pair(2, "BLOCK_RECORD"), o.pair(5, "1"), o.integer(70, kManyNames);
        for (int i = 0; i < kManyNames; ++i) {
            std::snprintf(o.t, sizeof o.t, "%lX", 0x1000000L + i);
            o.pair(0, "BLOCK_RECORD"), o.pair(5, o.t);
            std::snprintf(o.t, sizeof o.t, "Part %d", i);
            o.pair(100, "AcDbSymbolTableRecord"), o.pair(100, "AcDbBlockTableRecord"), o.pair(2, o.t);
        }
        o.pair(0, "ENDTAB");
    }
    o.pair(0, "ENDSEC");
    if (blocks) {
        o.pair(0, "SECTION"), o.pair(2, "BLOCKS");
        for (int i = 0; i < kManyNames; ++i) {
            std::snprintf(o.t, sizeof o.t, "%lX", h++);
            o.pair(0, "BLOCK"), o.pair(5, o.t);
            std::snprintf(o.t, sizeof o.t, "%lX", 0x1000000L + i);
            o.pair(330, o.t), o.pair(100, "AcDbEntity"), o.pair(8, "0"), o.pair(100, "AcDbBlockBegin");
            std::snprintf(o.t, sizeof o.t, "Part %d", i);
            o.pair(2, o.t), o.pair(70, "0"), o.pair(10, "0.0"), o.pair(20, "0.0"), o.pair(30, "0.0");
            o.entity("LINE", h++, "0", "AcDbLine");
            o.pair(10, "0.0"), o.pair(20, "0.0"), o.num(11, i), o.pair(21, "1.0");
            o.entity("ENDBLK", h++, "0", "AcDbBlockEnd");
        }
        o.pair(0, "ENDSEC");
    }
    o.pair(0, "SECTION"), o.pair(2, "ENTITIES");
    const int n = unknownKinds ? kUnknownKinds : kManyNames;
    for (int i = 0; i < n; ++i) {
        char kind[32], name[32];
        std::snprintf(kind, sizeof kind, "KIND_%d", i);
        std::snprintf(name, sizeof name, layers ? "Layer %d" : "0", i);
        if (unknownKinds) {
            o.entity(kind, h++, "0", nullptr);
            o.pair(10, "1.0"), o.pair(20, "2.0");
        } else if (blocks) {
            o.entity("INSERT", h++, "0", "AcDbBlockReference");
            std::snprintf(name, sizeof name, "Part %d", i);
            o.pair(2, name), o.num(10, i), o.pair(20, "0.0"), o.pair(30, "0.0");
        } else {
            o.entity("POINT", h++, name, "AcDbPoint");
            o.num(10, i), o.pair(20, "0.0"), o.pair(30, "0.0");
        }
    }
    o.pair(0, "ENDSEC");
    o.pair(0, "EOF");
    o.close();
}

struct Report {
    int ok = 0;
    double wall = 0;
    long startKiB = 0;
    long peakKiB = 0;
    long items = 0;
};

long RssKiB()
{
    FILE *f = std::fopen("/proc/self/statm", "r");
    long pages = 0, rss = 0;
    if (f) {
        if (std::fscanf(f, "%ld %ld", &pages, &rss) != 2) rss = 0;
        std::fclose(f);
    }
    return rss * (sysconf(_SC_PAGESIZE) / 1024);
}

/* Runs work(report) in a child process, timed, with the child's resident
 * memory at the start; work returns the count of items. */
template <class Work> Report Measure(Work work)
{
    return vyrbench::InChild<Report>([&] {
        Report r;
        r.startKiB = RssKiB();
        double t0 = vyrbench::Now();
        r.items = work(r);
        r.wall = vyrbench::Now() - t0;
        return r;
    });
}

void Record(benchmark::State &state, const Report &r, const std::string &path)
{
    if (!r.ok) {
        state.SkipWithError("the run failed");
        return;
    }
    double mb = vyrbench::FileSize(path) / 1e6;
    state.SetIterationTime(r.wall);
    state.counters["MB/s"] = mb / r.wall;
    state.counters["input_MB"] = mb;
    state.counters["peak_MB"] = r.peakKiB / 1024.0;
    state.counters["peak/input"] = (r.peakKiB - r.startKiB) / 1024.0 * 1.048576 / mb;
    state.counters["items"] = static_cast<double>(r.items);
}

/* adLoadFile of the whole drawing; items are the entities loaded. */
void Load(benchmark::State &state, const std::string *path)
{
    for (auto _ : state) {
        Report r = Measure([&](Report &rep) {
            int16_t err;
            adInitAd2(nullptr, &err);
            adSetupDxfRead();
            adConvertPlinesOnLoad(0);
            AdDrawing *d = adLoadFile(path->c_str(), 1, 0);
            long n = 0;
            if (d) {
                rep.ok = 1;
                n = adNumEntities(adModelSpaceEntityList(d)) + adNumEntities(adPaperSpaceEntityList(d));
            }
            return n; /* the drawing is left to the exit, as a process would */
        });
        Record(state, r, *path);
    }
}

/* Our pair reader merely reading every pair. */
void Pairs(benchmark::State &state, const std::string *path, int filetype)
{
    for (auto _ : state) {
        Report r = Measure([&](Report &rep) {
            int16_t err;
            adInitAd2(nullptr, &err);
            AdDrawing *d = adEmptyFile();
            d->stream = ztior_open(path->c_str());
            d->filetype = static_cast<int16_t>(filetype);
            d->version = AD_ACAD2000;
            if (filetype == AD_FILE_BINARY_DXF) adbinaryskipsentinel(d);
            long pairs = 0;
            double sum = 0;
            while (getdxfpair(d)) {
                ++pairs;
                if (advaluekind(adin->curcode) == AD_VK_REAL) sum += adin->curreal;
                if (adin->curcode == 0 && std::strcmp(adin->curstr, "EOF") == 0) break;
            }
            benchmark::DoNotOptimize(sum);
            rep.ok = 1;
            return pairs;
        });
        Record(state, r, *path);
    }
}

/* The reader benchmark's plain loops: fgets two lines, strtol the code,
 * strtod/strtol the numbers; binary: fread the code and values. */
void PlainAscii(benchmark::State &state, const std::string *path)
{
    for (auto _ : state) {
        Report r = Measure([&](Report &rep) {
            double sum = 0;
            long isum = 0;
            long pairs = vyrbench::PlainAsciiPairs(*path, &sum, &isum);
            benchmark::DoNotOptimize(sum);
            benchmark::DoNotOptimize(isum);
            rep.ok = 1;
            return pairs;
        });
        Record(state, r, *path);
    }
}

void PlainBinary(benchmark::State &state, const std::string *path)
{
    for (auto _ : state) {
        Report r = Measure([&](Report &rep) {
            double sum = 0;
            long pairs = vyrbench::PlainBinaryPairs(*path, &sum);
            benchmark::DoNotOptimize(sum);
            rep.ok = 1;
            return pairs;
        });
        Record(state, r, *path);
    }
}

#ifdef VYR_HAVE_DXFLIB
void Dxflib(benchmark::State &state, const std::string *path)
{
    for (auto _ : state) {
        Report r = Measure([&](Report &rep) {
            vyrbench::DxflibCounter c;
            rep.ok = c.Read(*path);
            return c.lines + c.arcs + c.circles + c.polylines + c.texts + c.inserts + c.attributes +
                   c.dimensions;
        });
        Record(state, r, *path);
    }
}
#endif

} // namespace

int main(int argc, char **argv)
{
    vyrbench::TempDir dir("load_bench");
    if (dir.path.empty()) return 1;
    g_dir = dir.path;
    g_lines = g_dir + "/lines.dxf";
    g_linesbin = g_dir + "/lines-bin.dxf";
    g_mixed = g_dir + "/mixed.dxf";
    vyrbench::WriteMillionLines(g_lines, false);
    vyrbench::WriteMillionLines(g_linesbin, true);
    WriteMixed(g_mixed);
    g_layers = g_dir + "/layers.dxf";
    g_blocks = g_dir + "/blocks.dxf";
    g_kinds = g_dir + "/kinds.dxf";
    WriteManyNames(g_layers, true, false, false);
    WriteManyNames(g_blocks, false, true, false);
    WriteManyNames(g_kinds, false, false, true);

    using vyrbench::Register;
    Register("load/ascii_million_lines", 3, Load, &g_lines);
    Register("load/binary_million_lines", 3, Load, &g_linesbin);
    Register("load/ascii_mixed", 3, Load, &g_mixed);
    Register("load/ascii_100k_layers", 3, Load, &g_layers);
    Register("load/ascii_100k_blocks", 3, Load, &g_blocks);
    Register("load/ascii_33k_unknown_kinds", 3, Load, &g_kinds);
    Register("pairs/ascii_million_lines", 3, Pairs, &g_lines, int(AD_FILE_ASCII_DXF));
    Register("pairs/binary_million_lines", 3, Pairs, &g_linesbin, int(AD_FILE_BINARY_DXF));
    Register("pairs/ascii_mixed", 3, Pairs, &g_mixed, int(AD_FILE_ASCII_DXF));
    Register("plain_loop/ascii_million_lines", 3, PlainAscii, &g_lines);
    Register("plain_loop/binary_million_lines", 3, PlainBinary, &g_linesbin);
    Register("plain_loop/ascii_mixed", 3, PlainAscii, &g_mixed);
#ifdef VYR_HAVE_DXFLIB
    Register("dxflib/ascii_million_lines", 3, Dxflib, &g_lines);
    Register("dxflib/ascii_mixed", 3, Dxflib, &g_mixed);
    Register("dxflib/ascii_100k_layers", 3, Dxflib, &g_layers);
    Register("dxflib/ascii_100k_blocks", 3, Dxflib, &g_blocks);
#endif
    return vyrbench::RunRegistered(argc, argv);
}
