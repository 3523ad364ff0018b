/* Speed of the DXF group-code reader on large drawings, beside a plain loop
 * that splits the same file into group-code/value pairs with fgets and
 * converts every numeric value with strtod/strtol. The benchmark writes its
 * own drawings (a million LINE entities, ASCII and binary) into a temporary
 * directory and removes them at the end. */
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "bench/bench_support.h"
#include "toolkit/dxf/dxf_int.h"

namespace {

std::string g_dir, g_ascii, g_binary;

void OurReader(benchmark::State &state, const std::string *path, int filetype)
{
    int16_t err;
    adInitAd2(nullptr, &err);
    double sum = 0;
    long pairs = 0;
    for (auto _ : state) {
        AdDrawing *d = adEmptyFile();
        d->stream = ztior_open(path->c_str());
        d->filetype = static_cast<int16_t>(filetype);
        d->version = AD_ACAD2000;
        if (filetype == AD_FILE_BINARY_DXF) adbinaryskipsentinel(d);
        while (getdxfpair(d)) {
            ++pairs;
            if (advaluekind(adin->curcode) == AD_VK_REAL) sum += adin->curreal;
            if (adin->curcode == 0 && adin->curstr[0] == 'E' && std::strcmp(adin->curstr, "EOF") == 0) break;
        }
        adCloseFile(d);
    }
    benchmark::DoNotOptimize(sum);
    adCloseAd2();
    state.SetBytesProcessed(state.iterations() * vyrbench::FileSize(*path));
    state.counters["pairs"] = static_cast<double>(pairs / state.iterations());
    state.counters["file_MB"] = static_cast<double>(vyrbench::FileSize(*path)) / 1e6;
}

/* The plain loop: fgets two lines, strtol the code, strtod/strtol numbers. */
void PlainAscii(benchmark::State &state)
{
    double sum = 0;
    long isum = 0, pairs = 0;
    for (auto _ : state) pairs += vyrbench::PlainAsciiPairs(g_ascii, &sum, &isum);
    benchmark::DoNotOptimize(sum);
    benchmark::DoNotOptimize(isum);
    state.SetBytesProcessed(state.iterations() * vyrbench::FileSize(g_ascii));
    state.counters["pairs"] = static_cast<double>(pairs / state.iterations());
}

/* The plain loop on binary DXF: 2-byte codes, values by kind. */
void PlainBinary(benchmark::State &state)
{
    double sum = 0;
    long pairs = 0;
    for (auto _ : state) pairs += vyrbench::PlainBinaryPairs(g_binary, &sum);
    benchmark::DoNotOptimize(sum);
    state.SetBytesProcessed(state.iterations() * vyrbench::FileSize(g_binary));
    state.counters["pairs"] = static_cast<double>(pairs / state.iterations());
}

} // namespace

int main(int argc, char **argv)
{
    char tmpl[] = "/tmp/vyr_reader_bench_XXXXXX";
    const char *dir = mkdtemp(tmpl);
    if (!dir) return 1;
    g_dir = dir;
    g_ascii = g_dir + "/lines.dxf";
    g_binary = g_dir + "/lines-bin.dxf";
    vyrbench::WriteMillionLines(g_ascii, false);
    vyrbench::WriteMillionLines(g_binary, true);
    benchmark::RegisterBenchmark("ascii/our_reader", OurReader, &g_ascii, AD_FILE_ASCII_DXF)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    benchmark::RegisterBenchmark("ascii/plain_fgets_strtod", PlainAscii)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    benchmark::RegisterBenchmark("binary/our_reader", OurReader, &g_binary, AD_FILE_BINARY_DXF)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    benchmark::RegisterBenchmark("binary/plain_fread", PlainBinary)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(g_ascii.c_str());
    std::remove(g_binary.c_str());
    rmdir(g_dir.c_str());
    return 0;
}
