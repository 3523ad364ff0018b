/* Mapping speed: dxfi_ParseFile of a drawing of a million LINE entities on
 * layer "0" into a model set up as the conversion driver sets it up (back
 * pointers kept, default page file and cache). Two benchmarks:
 *
 * - BM_MapBuiltDrawing: the toolkit's database is filled in code (the
 *   drawing the load step would produce), so the figures isolate the mapping
 *   layer; build_s is the time spent filling the toolkit's database.
 * - BM_ParseMillionLineFile: the whole road from the ASCII DXF file the
 *   benchmark writes (the same file as reader_bench's); load_s is the time of
 *   the toolkit's adLoadFile, mapping_s the rest of dxfi_ParseFile.
 *
 * Counters: seconds of each part (wall clock), the process's peak resident
 * memory, and its peak when the toolkit's drawing was complete (before the
 * mapping began). Run each benchmark in a process of its own
 * (--benchmark_filter) for a meaningful peak. */
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/bench_support.h"
#include "dnfp/dnfp_int.h"
#include "kernel/dxfi/dxfi_int.h"
#include "kernel/mda/mda.h"
#include "kernel/mpm/mpm.h"
#include "kernel/pdx/pdx.h"
#include "toolkit/dxf/dxf_int.h"

namespace {

constexpr int kLines = 1000000;
double g_step = 0;       /* seconds of the load step (or of building the drawing) */
double g_loaded_rss = 0; /* peak resident memory when the drawing was loaded */

void SetHandle(unsigned char *h, uint64_t v)
{
    for (int i = 7; i >= 0; --i, v >>= 8) h[i] = static_cast<unsigned char>(v);
}

AdDrawing *BuildDrawing(const char *, unsigned char, int16_t)
{
    double start = vyrbench::Now();
    AdDrawing *d = adEmptyFile();
    d->version = AD_ACAD2000;
    d->filetype = AD_FILE_ASCII_DXF;
    d->header = static_cast<AdHeader *>(ztmem_malloc(sizeof(AdHeader)));
    d->header->dwgcodepage = 30;
    AdBlockheader b;
    memset(&b, 0, sizeof b);
    strcpy(b.name, "*MODEL_SPACE");
    SetHandle(b.handle, 0x1F);
    b.entitylist = d->mspace;
    adAddBlockheader(d, &b);
    AdLayer layer;
    memset(&layer, 0, sizeof layer);
    strcpy(layer.name, "0");
    SetHandle(layer.handle, 0x10);
    layer.color = 7;
    adAddLayer(d, &layer);
    AdEntityHeader h;
    memset(&h, 0, sizeof h);
    h.enttype = AD_ENT_LINE;
    SetHandle(h.layerhandle, 0x10);
    h.color = 7;
    h.extrusion[2] = 1.0;
    h.ltscale = 1.0;
    AdEntityRecord r;
    memset(&r, 0, sizeof r);
    for (int i = 0; i < kLines; ++i) {
        SetHandle(h.handle, 0x100 + uint64_t(i));
        r.line.pt0[0] = i * 0.125;
        r.line.pt0[1] = 1000.0 - i * 0.0625;
        r.line.pt1[0] = r.line.pt0[0] + 12.5;
        r.line.pt1[1] = r.line.pt0[1] - 7.25;
        adAddEntityToList(d, d->mspace, &h, &r);
    }
    g_step = vyrbench::Now() - start;
    g_loaded_rss = vyrbench::PeakRssMB();
    return d;
}

AdDrawing *TimedLoad(const char *path, unsigned char preload, int16_t add2000)
{
    double start = vyrbench::Now();
    AdDrawing *d = adLoadFile(path, preload, add2000);
    g_step = vyrbench::Now() - start;
    g_loaded_rss = vyrbench::PeakRssMB();
    return d;
}

/* One parse into a fresh model; returns the status. */
int ParseOnce(const char *path, double *seconds)
{
    pdx_Initialize();
    dxfi_Initialize();
    MdaModelInfo info;
    mda_GetModelDefaults(0, &info);
    dxfi_InitModelInfo(0, &info);
    info.backptrs = 1;
    int model = 0;
    mda_AllocateModel(0, &info, &model);
    double start = vyrbench::Now();
    int status = dxfi_ParseFile(0x200, model, path, nullptr);
    *seconds = vyrbench::Now() - start;
    dxfi_Terminate();
    mda_FreeModel(0, model);
    pdx_Terminate();
    return status;
}

void Run(benchmark::State &state, const std::string &path, const char *step_name)
{
    double total = 0, step = 0, seconds = 0;
    int runs = 0;
    for (auto _ : state) {
        int status = ParseOnce(path.c_str(), &seconds);
        if (status != 0) {
            state.SkipWithError(("dxfi_ParseFile failed with status " + std::to_string(status)).c_str());
            break;
        }
        total += seconds;
        step += g_step;
        ++runs;
    }
    if (runs == 0) return;
    state.counters["total_s"] = total / runs;
    state.counters[step_name] = step / runs;
    state.counters["mapping_s"] = (total - step) / runs;
    state.counters["peak_rss_MB"] = vyrbench::PeakRssMB();
    state.counters["loaded_rss_MB"] = g_loaded_rss;
    state.SetItemsProcessed(int64_t(runs) * kLines);
}

void BM_MapBuiltDrawing(benchmark::State &state)
{
    char name[] = "/tmp/vyr_mapping_bench_XXXXXX";
    int fd = mkstemp(name);
    if (fd < 0) std::abort();
    const char text[] = "  0\nSECTION\n";
    if (write(fd, text, sizeof text - 1) != ssize_t(sizeof text - 1)) std::abort();
    close(fd);
    dnfp__LoadFile = BuildDrawing;
    Run(state, name, "build_s");
    dnfp__LoadFile = adLoadFile;
    unlink(name);
}
BENCHMARK(BM_MapBuiltDrawing)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void BM_ParseMillionLineFile(benchmark::State &state)
{
    char dir[] = "/tmp/vyr_mapping_bench_XXXXXX";
    if (!mkdtemp(dir)) std::abort();
    std::string path = std::string(dir) + "/lines.dxf";
    vyrbench::WriteMillionLines(path, false);
    dnfp__LoadFile = TimedLoad;
    Run(state, path, "load_s");
    dnfp__LoadFile = adLoadFile;
    unlink(path.c_str());
    rmdir(dir);
}
BENCHMARK(BM_ParseMillionLineFile)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
