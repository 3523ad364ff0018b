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

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Dxf2Cgm/VyrDxf2Cgm.h"
#include "bench/bench_support.h"
#include "platform/print/VyrPrintCGMGenerator.h"

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
    static const char *const words[] = {"Flange", "DN 50",      "%%c25",       "Bolt M12",
                                        "Pos.",   "Weld 45%%d", "Gr\366\337e", "Section A-A",
                                        "Detail", "%%p0.1",     "Steel S235",  "Cover"};
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

/* The counters of a run over the texts, with the texts per second. */
void Counters(benchmark::State &state, const vyrbench::Totals &totals)
{
    if (totals.Counters(state, g_path, "texts"))
        state.counters["texts/s"] = kTexts * static_cast<double>(state.iterations()) / totals.wall;
}

void Convert(benchmark::State &state, VyrCgmProfile profile)
{
    const std::string &path = Drawing();
    const std::string output = g_dir + "/texts.cgm";
    Counters(state, vyrbench::Measure(state, false, [&] {
                 VyrPrintCGMGenerator::sSetDefaultProfile(profile);
                 return vyrbench::Timed([&](vyrbench::Run &) {
                     VyrDxf2Cgm converter;
                     return converter.Convert(path.c_str(), output.c_str()) == 0;
                 });
             }));
}

void Standard(benchmark::State &state) { Convert(state, VyrCgmProfileStandard); }
void Compatible(benchmark::State &state) { Convert(state, VyrCgmProfileCompatible); }

#ifdef VYR_HAVE_DXFLIB
void Dxflib(benchmark::State &state)
{
    const std::string &path = Drawing();
    Counters(state, vyrbench::Measure(state, false, [&] {
                 return vyrbench::Timed([&](vyrbench::Run &r) {
                     vyrbench::DxflibCounter counter;
                     const bool ok = counter.Read(path);
                     r.count = counter.texts;
                     return ok;
                 });
             }));
}
#endif

} // namespace

int main(int argc, char **argv)
{
    vyrbench::TempDir dir("texts_bench");
    if (dir.path.empty()) return 1;
    g_dir = dir.path;
    vyrbench::Register("texts/convert/standard", 3, Standard);
    vyrbench::Register("texts/convert/compat", 3, Compatible);
#ifdef VYR_HAVE_DXFLIB
    vyrbench::Register("texts/dxflib/read", 3, Dxflib);
#endif
    return vyrbench::RunRegistered(argc, argv);
}
