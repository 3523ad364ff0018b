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
#include "toolkit/ad/ad_int.h"

namespace {

std::string g_dir, g_ascii, g_binary;

void OurReader(benchmark::State& state, const std::string* path, int filetype) {
  int16_t err;
  adInitAd2(nullptr, &err);
  double sum = 0;
  long pairs = 0;
  for (auto _ : state) {
    AdDrawing* d = adEmptyFile();
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
void PlainAscii(benchmark::State& state) {
  static char vbuf[1 << 20];
  char code[256], value[4096];
  double sum = 0;
  long isum = 0, pairs = 0;
  for (auto _ : state) {
    FILE* f = std::fopen(g_ascii.c_str(), "rb");
    std::setvbuf(f, vbuf, _IOFBF, sizeof vbuf);
    while (std::fgets(code, sizeof code, f) && std::fgets(value, sizeof value, f)) {
      unsigned c = static_cast<unsigned>(std::strtol(code, nullptr, 10));
      ++pairs;
      if (vyrbench::IsRealCode(c)) sum += std::strtod(value, nullptr);
      else if (vyrbench::IsIntCode(c)) isum += std::strtol(value, nullptr, 10);
    }
    std::fclose(f);
  }
  benchmark::DoNotOptimize(sum);
  benchmark::DoNotOptimize(isum);
  state.SetBytesProcessed(state.iterations() * vyrbench::FileSize(g_ascii));
  state.counters["pairs"] = static_cast<double>(pairs / state.iterations());
}

/* The plain loop on binary DXF: 2-byte codes, values by kind. */
void PlainBinary(benchmark::State& state) {
  static char vbuf[1 << 20];
  double sum = 0;
  long pairs = 0;
  for (auto _ : state) {
    FILE* f = std::fopen(g_binary.c_str(), "rb");
    std::setvbuf(f, vbuf, _IOFBF, sizeof vbuf);
    std::fseek(f, 22, SEEK_SET);
    unsigned char cb[2];
    while (std::fread(cb, 1, 2, f) == 2) {
      unsigned c = cb[0] | cb[1] << 8;
      ++pairs;
      if (vyrbench::IsRealCode(c)) {
        double v;
        if (std::fread(&v, 1, 8, f) != 8) break;
        sum += v;
      } else if (c >= 60 && c <= 79) {
        short s;
        if (std::fread(&s, 1, 2, f) != 2) break;
      } else {
        int ch;
        while ((ch = getc_unlocked(f)) > 0) {
        }
        if (ch < 0) break;
      }
    }
    std::fclose(f);
  }
  benchmark::DoNotOptimize(sum);
  state.SetBytesProcessed(state.iterations() * vyrbench::FileSize(g_binary));
  state.counters["pairs"] = static_cast<double>(pairs / state.iterations());
}

}  // namespace

int main(int argc, char** argv) {
  char tmpl[] = "/tmp/vyr_reader_bench_XXXXXX";
  const char* dir = mkdtemp(tmpl);
  if (!dir) return 1;
  g_dir = dir;
  g_ascii = g_dir + "/lines.dxf";
  g_binary = g_dir + "/lines-bin.dxf";
  vyrbench::WriteMillionLines(g_ascii, false);
  vyrbench::WriteMillionLines(g_binary, true);
  benchmark::RegisterBenchmark("ascii/our_reader", OurReader, &g_ascii, AD_FILE_ASCII_DXF)
      ->Unit(benchmark::kMillisecond)->Iterations(3);
  benchmark::RegisterBenchmark("ascii/plain_fgets_strtod", PlainAscii)
      ->Unit(benchmark::kMillisecond)->Iterations(3);
  benchmark::RegisterBenchmark("binary/our_reader", OurReader, &g_binary, AD_FILE_BINARY_DXF)
      ->Unit(benchmark::kMillisecond)->Iterations(3);
  benchmark::RegisterBenchmark("binary/plain_fread", PlainBinary)
      ->Unit(benchmark::kMillisecond)->Iterations(3);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::remove(g_ascii.c_str());
  std::remove(g_binary.c_str());
  rmdir(g_dir.c_str());
  return 0;
}
