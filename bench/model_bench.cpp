/* Model database benchmark: one million dxf_line entities created, filled
 * and unlocked the way the mapping layer does it (mda_AllocateEntity2 locked
 * once, fields written, mda_UnlockEntity), then locked, read and unlocked
 * again in creation order and in a random order. The model uses the default
 * page file (16 buffers of 4096 bytes) and the 32-slot cache, so almost every
 * entity lives only in the page file. Reports entities per second, the
 * process's peak resident memory (counter peak_rss_MB) and the allocated size
 * of the page file (page_file_MB). */
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "bench/bench_support.h"
#include "kernel/ddf/ddf.h"
#include "kernel/ddf/dxfi_records.h"
#include "kernel/dof/dof.h"
#include "kernel/fmt/fmt.h"
#include "kernel/mda/mda.h"
#include "kernel/mda/mda_int.h"
#include "kernel/mpm/mpm.h"
#include "kernel/olm/olm.h"
#include "kernel/otm/otm.h"
#include "kernel/ugn/ugn.h"

namespace {

constexpr int kEntities = 1000000;

int32_t g_model = 0;
std::vector<db_ptr> g_ptrs;

void StartKernel()
{
    static bool started = false;
    if (started) return;
    started = true;
    olm_Initialize();
    otm_Initialize();
    ugn_Initialize();
    mpm_Initialize();
    ddf_Initialize();
    mda_Initialize();
    fmt_Initialize();
    dof_Initialize();
}

void BuildModel(benchmark::State &state)
{
    if (g_model) mda_FreeModel(0, g_model);
    MdaModelInfo info;
    mda_GetModelDefaults(0, &info);
    info.ddf = ddf_DxfiDefinition();
    if (mda_AllocateModel(0, &info, &g_model)) state.SkipWithError("model allocation failed");
    g_ptrs.assign(kEntities, 0);
}

void BM_CreateLines(benchmark::State &state)
{
    StartKernel();
    for (auto _ : state) {
        state.PauseTiming();
        BuildModel(state);
        state.ResumeTiming();
        for (int i = 0; i < kEntities; ++i) {
            void *mem = nullptr;
            db_ptr p = 0;
            if (mda_AllocateEntity2(0, g_model, DXFI_TF_dxf_line, &mem, &p)) {
                state.SkipWithError("create failed");
                return;
            }
            dxf_line *line = static_cast<dxf_line *>(mem);
            std::snprintf(line->dxfsubhdr.handle, sizeof line->dxfsubhdr.handle, "%X", i + 16);
            std::strcpy(line->dxfhdr.lay_name, "0");
            std::strcpy(line->dxfhdr.line_type, "BYLAYER");
            line->dxfhdr.color = 256;
            line->dxfhdr.ltype_scale = 1.0;
            line->dxfhdr.extrusion[2] = 1.0;
            line->xyzstr[0] = i;
            line->xyzstr[1] = 2.0 * i;
            line->xyzend[0] = i + 1.0;
            line->xyzend[1] = 2.0 * i + 1.0;
            mda_UnlockEntity(0, p);
            g_ptrs[size_t(i)] = p;
        }
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kEntities);
    state.counters["peak_rss_MB"] = vyrbench::PeakRssMB();
    state.counters["page_file_MB"] = double(mda__Models[g_model].pagefile->end) / (1024.0 * 1024.0);
}

double ReadAll(benchmark::State &state, const std::vector<db_ptr> &order)
{
    double sum = 0;
    for (db_ptr p : order) {
        void *mem = nullptr;
        if (mda_LockEntity(0, p, &mem)) {
            state.SkipWithError("lock failed");
            return sum;
        }
        const dxf_line *line = static_cast<const dxf_line *>(mem);
        sum += line->xyzstr[0] + line->xyzend[1];
        mda_UnlockEntity(0, p);
    }
    return sum;
}

void BM_ReadInCreationOrder(benchmark::State &state)
{
    if (!g_model) {
        state.SkipWithError("run BM_CreateLines first");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(ReadAll(state, g_ptrs));
    state.SetItemsProcessed(int64_t(state.iterations()) * kEntities);
    state.counters["peak_rss_MB"] = vyrbench::PeakRssMB();
}

void BM_ReadInRandomOrder(benchmark::State &state)
{
    if (!g_model) {
        state.SkipWithError("run BM_CreateLines first");
        return;
    }
    std::vector<db_ptr> shuffled = g_ptrs;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(42));
    for (auto _ : state) benchmark::DoNotOptimize(ReadAll(state, shuffled));
    state.SetItemsProcessed(int64_t(state.iterations()) * kEntities);
    state.counters["peak_rss_MB"] = vyrbench::PeakRssMB();
}

BENCHMARK(BM_CreateLines)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_ReadInCreationOrder)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_ReadInRandomOrder)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (g_model) mda_FreeModel(0, g_model); /* removes the page file */
    mda_Terminate();
    return 0;
}
