/* Speed of the DWG reader against the DXF reader on the same drawing: the
 * largest sample DWG with a DXF twin (../shared/dwg-samples, skipped when
 * absent), loaded whole with adLoadFile and closed, over and over until a
 * few hundred MB of the DWG's bytes have gone through; and its DXF twin
 * loaded the same number of times. Both report bytes per second of the
 * DWG (items: loads), so the two figures compare the time a drawing takes
 * in each format. */
#include <benchmark/benchmark.h>

#include <sys/stat.h>

#include <string>

#include "toolkit/ad/ad.h"

namespace {

const std::string kDir = VYR_DWG_SAMPLES_DIR;
const std::string kName = "example_2000";
constexpr int64_t kTotal = 300ll << 20; /* bytes of DWG per run */

int64_t SizeOf(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
}

void Load(benchmark::State &state, const std::string &path)
{
    int64_t dwgsize = SizeOf(kDir + "/" + kName + ".dwg");
    if (dwgsize <= 0 || SizeOf(path) <= 0) {
        state.SkipWithError("no DWG samples");
        return;
    }
    int16_t err;
    if (!adInitAd2(nullptr, &err)) {
        state.SkipWithError("toolkit did not start");
        return;
    }
    adSetupDxfRead();
    adSetupDwgRead();
    int64_t loads = kTotal / dwgsize + 1;
    for (auto _ : state) {
        for (int64_t i = 0; i < loads; ++i) {
            AdDrawing *d = adLoadFile(path.c_str(), 1, 0);
            if (!d) {
                state.SkipWithError("load failed");
                break;
            }
            adCloseFile(d);
        }
    }
    adCloseAd2();
    state.SetBytesProcessed(state.iterations() * loads * dwgsize);
    state.SetItemsProcessed(state.iterations() * loads);
}

void BM_DwgLoad(benchmark::State &state) { Load(state, kDir + "/" + kName + ".dwg"); }
void BM_DxfTwinLoad(benchmark::State &state) { Load(state, kDir + "/" + kName + ".dxf"); }

BENCHMARK(BM_DwgLoad)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->UseRealTime();
BENCHMARK(BM_DxfTwinLoad)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
