/* Throughput of the CGM generator: primitives per second and megabytes of
 * metafile per second for the kinds of primitive a conversion writes most
 * (short polylines, lines with changing colours, arcs, texts, B-splines,
 * one very long polyline, dashed lines in the compatibility profile). Each
 * iteration writes one whole metafile to a temporary file. */
#include "platform/base/VyrUnicodeString.h"
#include "platform/font/VyrFont.h"
#include "platform/print/VyrPrintCGMGenerator.h"
#include "platform/print/VyrPrintParameters.h"
#include "platform/print/VyrPrintStream.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::string TempPath()
{
    return "/tmp/vyr-cgm-bench-" + std::to_string(static_cast<long>(getpid())) + ".cgm";
}

template <typename Draw> void Run(benchmark::State &state, VyrCgmProfile profile, long primitives, Draw draw)
{
    std::string path = TempPath();
    long bytes = 0;
    for (auto _ : state) {
        VyrPrintStream stream(VyrUnicodeString(path.c_str()), "CGM", "V3");
        VyrPrintCGMGenerator *g = VyrPrintCGMGenerator::sCreate();
        g->SetProfile(profile);
        g->SetStream(&stream);
        stream.OpenWrite();
        g->SetExtent(32400, 32400);
        VyrPrintParameters p;
        p.GetCurrentForm()->SetSize(32400, 32400, VyrPrintUnitMillimetre);
        g->SetParameters(p);
        g->SetOrigin(16200, 16200);
        for (int i = 1; i <= 255; ++i) g->DefineColor(i, (i % 7) / 6.0f, (i % 5) / 4.0f, (i % 3) / 2.0f);
        draw(*g);
        g->EndPicture();
        g->Release();
        stream.Close();
        struct stat st;
        if (stat(path.c_str(), &st) == 0) bytes += st.st_size;
    }
    std::remove(path.c_str());
    state.SetItemsProcessed(state.iterations() * primitives);
    state.SetBytesProcessed(bytes);
}

void BM_ShortPolylines(benchmark::State &state)
{
    const int n = 20000;
    std::vector<float> xy(20);
    Run(state, VyrCgmProfileStandard, n, [&](VyrPrintGenerator &g) {
        for (int i = 0; i < n; ++i) {
            for (int k = 0; k < 10; ++k) {
                xy[2 * k] = static_cast<float>(i % 1000 + k);
                xy[2 * k + 1] = static_cast<float>(i / 1000 + (k & 1));
            }
            g.DrawPolyline(10, xy.data());
        }
    });
}
BENCHMARK(BM_ShortPolylines)->Unit(benchmark::kMillisecond);

void BM_LinesChangingColour(benchmark::State &state)
{
    const int n = 50000;
    Run(state, VyrCgmProfileStandard, n, [&](VyrPrintGenerator &g) {
        for (int i = 0; i < n; ++i) {
            g.SetColor(1 + i % 255);
            g.DrawLine(static_cast<float>(i % 500), 0, 0, static_cast<float>(i % 300));
        }
    });
}
BENCHMARK(BM_LinesChangingColour)->Unit(benchmark::kMillisecond);

void BM_Arcs(benchmark::State &state)
{
    const int n = 50000;
    Run(state, VyrCgmProfileStandard, n, [&](VyrPrintGenerator &g) {
        for (int i = 0; i < n; ++i) g.DrawArc(static_cast<float>(i % 700), 10, 5, 0.1f * (i % 20), 4.0f, 0);
    });
}
BENCHMARK(BM_Arcs)->Unit(benchmark::kMillisecond);

void BM_Texts(benchmark::State &state)
{
    const int n = 20000;
    VyrUnicodeString text("Drawing no. 4711 - rev. B");
    Run(state, VyrCgmProfileStandard, n, [&](VyrPrintGenerator &g) {
        g.SetTextFont(0, VyrFont::sGetFont("SwissCL.pfb", 0));
        g.SetTextParameter(2, 2.5f);
        for (int i = 0; i < n; ++i) {
            g.SetTextParameter(7, static_cast<float>(28 + i % 12));
            g.SetTextParameter(6, static_cast<float>(i % 4 == 0 ? 90 : 0));
            g.DrawText(static_cast<float>(i % 300), static_cast<float>(i / 300), text);
        }
    });
}
BENCHMARK(BM_Texts)->Unit(benchmark::kMillisecond);

void BM_CubicSplines(benchmark::State &state)
{
    const int n = 5000;
    const float ctrl[] = {0, 0, 1, 3, 3, 4, 4, 0, 6, -1, 8, 2, 9, 0, 11, 3};
    const float knots[] = {0, 0, 0, 0, 1, 2, 3, 4, 5, 5, 5, 5};
    const float w[] = {1, 1, 1, 1, 1, 1, 1, 1};
    Run(state, VyrCgmProfileStandard, n, [&](VyrPrintGenerator &g) {
        for (int i = 0; i < n; ++i) g.DrawNurbs(4, ctrl, 8, knots, 12, 0, 1000.0f, w);
    });
}
BENCHMARK(BM_CubicSplines)->Unit(benchmark::kMillisecond);

void BM_OneLongPolyline(benchmark::State &state)
{
    const int n = 200000;
    std::vector<float> xy(2 * n);
    for (int i = 0; i < n; ++i) {
        xy[2 * i] = static_cast<float>(i) * 0.1f;
        xy[2 * i + 1] = static_cast<float>(std::sin(i * 0.01));
    }
    Run(state, VyrCgmProfileStandard, 1, [&](VyrPrintGenerator &g) { g.DrawPolyline(n, xy.data()); });
}
BENCHMARK(BM_OneLongPolyline)->Unit(benchmark::kMillisecond);

void BM_CompatibilityDashedLines(benchmark::State &state)
{
    const int n = 5000;
    Run(state, VyrCgmProfileCompatible, n, [&](VyrPrintGenerator &g) {
        g.SetLineType(2, 0, 0);
        for (int i = 0; i < n; ++i)
            g.DrawLine(0, static_cast<float>(i % 200), 100, static_cast<float>(i % 200));
    });
}
BENCHMARK(BM_CompatibilityDashedLines)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
