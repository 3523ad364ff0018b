/* The conversion of a drawing of 200,000 TEXT entities, in the standard
 * profile (TEXT elements) and in the compatibility profile (every text as
 * filled glyph outlines), beside dxflib merely reading the same file. The
 * texts are short labels of a few words on four layers, in the twelve
 * alignments, a quarter of them turned, some with a width factor or an
 * oblique angle and a few with accented letters or %% escapes, as a
 * drawing's annotation is. The drawing is written into a temporary
 * directory, removed at the end. Every measured run happens in a child
 * process, so that its peak resident memory and its glyph cache are its
 * own; the child reports its times through a pipe. */
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Dxf2Cgm/VyrDxf2Cgm.h"
#include "bench/bench_support.h"
#include "platform/print/VyrPrintCGMGenerator.h"

#ifdef VYR_HAVE_DXFLIB
#include <dl_creationadapter.h>
#include <dl_dxf.h>
#endif

namespace {

constexpr int kTexts = 200000;
std::string g_dir, g_path;

void WriteTexts(const std::string &path)
{
    vyrbench::DxfWriter o(vyrbench::OpenForWriting(path), false);
    o.pair(0, "SECTION");
    o.pair(2, "HEADER");
    o.pair(9, "$ACADVER");
    o.pair(1, "AC1015");
    o.pair(9, "$DWGCODEPAGE");
    o.pair(3, "ANSI_1252");
    o.pair(0, "ENDSEC");
    o.pair(0, "SECTION");
    o.pair(2, "ENTITIES");
    static const char *const layers[4] = {"0", "Notes", "Labels", "Title"};
    static const char *const words[] = {"Flange",
                                        "DN 50",
                                        "%%c25",
                                        "Bolt M12",
                                        "Pos.",
                                        "Weld 45%%d",
                                        "Gr\xF6\xDF"
                                        "e",
                                        "Section A-A",
                                        "Detail",
                                        "%%p0.1",
                                        "Steel S235",
                                        "Cover"};
    const int nwords = sizeof words / sizeof words[0];
    char text[128];
    for (int i = 0; i < kTexts; ++i) {
        const double x = (i % 400) * 120.0, y = (i / 400) * 40.0;
        std::snprintf(text, sizeof text, "%s %d %s", words[i % nwords], i, words[(i / 7) % nwords]);
        o.entity("TEXT", 0x100 + i, layers[i % 4], "AcDbText");
        o.num(10, x), o.num(20, y), o.pair(30, "0.0");
        o.num(40, 2.5 + (i % 3) * 1.25);
        o.pair(1, text);
        if (i % 4 == 1) o.num(50, (i % 360) * 1.0);
        if (i % 10 == 3) o.num(41, 0.8);
        if (i % 20 == 7) o.num(51, 15.0);
        const int h = i % 3, v = (i / 3) % 4;
        if (h || v) o.integer(72, h), o.num(11, x), o.num(21, y), o.pair(31, "0.0");
        o.pair(100, "AcDbText");
        if (v) o.integer(73, v);
    }
    o.pair(0, "ENDSEC");
    o.pair(0, "EOF");
    o.close();
}

const std::string &Drawing()
{
    if (g_path.empty()) {
        g_path = g_dir + "/texts.dxf";
        WriteTexts(g_path);
    }
    return g_path;
}

struct Report {
    int ok = 0;
    double wall = 0;
    long peakKiB = 0;
    long texts = 0;
};

struct Totals {
    double wall = 0;
    long peakKiB = 0;
    long texts = 0;
    bool failed = false;

    void Add(benchmark::State &state, const Report &r)
    {
        if (!r.ok) {
            failed = true;
            state.SkipWithError("the run failed");
            return;
        }
        state.SetIterationTime(r.wall);
        wall += r.wall;
        peakKiB = std::max(peakKiB, r.peakKiB);
        texts = r.texts;
    }
    void Report(benchmark::State &state)
    {
        if (failed || wall <= 0) return;
        const double mb = vyrbench::FileSize(g_path) / 1e6;
        state.counters["input_MB"] = mb;
        state.counters["MB/s"] = mb * static_cast<double>(state.iterations()) / wall;
        state.counters["texts/s"] = kTexts * static_cast<double>(state.iterations()) / wall;
        state.counters["peak_MB"] = peakKiB / 1024.0;
        if (texts) state.counters["texts"] = static_cast<double>(texts);
    }
};

void Convert(benchmark::State &state, VyrCgmProfile profile)
{
    const std::string &path = Drawing();
    const std::string output = g_dir + "/texts.cgm";
    Totals totals;
    for (auto _ : state) {
        totals.Add(state, vyrbench::InChild<Report>([&] {
                       Report c;
                       VyrPrintCGMGenerator::sSetDefaultProfile(profile);
                       const double t0 = vyrbench::Now();
                       VyrDxf2Cgm converter;
                       c.ok = converter.Convert(path.c_str(), output.c_str()) == 0;
                       c.wall = vyrbench::Now() - t0;
                       return c;
                   }));
    }
    totals.Report(state);
}

void Standard(benchmark::State &state) { Convert(state, VyrCgmProfileStandard); }
void Compatible(benchmark::State &state) { Convert(state, VyrCgmProfileCompatible); }

#ifdef VYR_HAVE_DXFLIB
/* dxflib reading the file into a creation interface that counts texts. */
class Counter : public DL_CreationAdapter {
public:
    long n = 0;
    void addText(const DL_TextData &) override { ++n; }
};

void Dxflib(benchmark::State &state)
{
    const std::string &path = Drawing();
    Totals totals;
    for (auto _ : state) {
        totals.Add(state, vyrbench::InChild<Report>([&] {
                       Report c;
                       const double t0 = vyrbench::Now();
                       Counter counter;
                       DL_Dxf dxf;
                       c.ok = dxf.in(path, &counter);
                       c.wall = vyrbench::Now() - t0;
                       c.texts = counter.n;
                       return c;
                   }));
    }
    totals.Report(state);
}
#endif

} // namespace

int main(int argc, char **argv)
{
    char dir[] = "/tmp/vyr_texts_bench_XXXXXX";
    if (!::mkdtemp(dir)) return 1;
    g_dir = dir;
    benchmark::RegisterBenchmark("texts/convert/standard", Standard)
        ->UseManualTime()
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("texts/convert/compat", Compatible)
        ->UseManualTime()
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond);
#ifdef VYR_HAVE_DXFLIB
    benchmark::RegisterBenchmark("texts/dxflib/read", Dxflib)
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
