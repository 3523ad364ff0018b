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

#include "toolkit/ad/ad_int.h"

namespace {

std::string g_dir, g_ascii, g_binary;
constexpr int kLines = 1000000;

bool isreal(unsigned c) {
  return (c >= 10 && c <= 59) || (c >= 110 && c <= 149) || (c >= 210 && c <= 239) || (c >= 1010 && c <= 1059);
}
bool isint(unsigned c) {
  return (c >= 60 && c <= 79) || (c >= 90 && c <= 99) || (c >= 170 && c <= 179) || (c >= 270 && c <= 299) ||
         (c >= 370 && c <= 389) || (c >= 400 && c <= 409) || (c >= 1060 && c <= 1071);
}

struct Out {
  FILE* f;
  bool bin;
  void pair(unsigned code, const char* text) {
    if (!bin) {
      std::fprintf(f, "%3u\n%s\n", code, text);
      return;
    }
    std::fputc(static_cast<int>(code & 0xFF), f);
    std::fputc(static_cast<int>(code >> 8), f);
    if (isreal(code)) {
      double v = std::strtod(text, nullptr);
      unsigned char b[8];
      double2buf(v, b);
      std::fwrite(b, 1, 8, f);
    } else if (code >= 60 && code <= 79) {
      unsigned char b[2];
      short2buf(static_cast<int16_t>(std::strtol(text, nullptr, 10)), b);
      std::fwrite(b, 1, 2, f);
    } else {
      std::fputs(text, f);
      std::fputc(0, f);
    }
  }
};

void writedrawing(const std::string& path, bool bin) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  static char buf[1 << 20];
  std::setvbuf(f, buf, _IOFBF, sizeof buf);
  if (bin) std::fwrite("AutoCAD Binary DXF\r\n\x1a", 1, 22, f);
  Out o{f, bin};
  o.pair(0, "SECTION");
  o.pair(2, "HEADER");
  o.pair(9, "$ACADVER");
  o.pair(1, "AC1015");
  o.pair(0, "ENDSEC");
  o.pair(0, "SECTION");
  o.pair(2, "ENTITIES");
  char t[64];
  for (int i = 0; i < kLines; ++i) {
    o.pair(0, "LINE");
    std::snprintf(t, sizeof t, "%X", 0x100 + i);
    o.pair(5, t);
    o.pair(330, "1F");
    o.pair(100, "AcDbEntity");
    o.pair(8, "0");
    o.pair(62, "7");
    o.pair(100, "AcDbLine");
    double x = i * 0.125, y = 1000.0 - i * 0.0625;
    std::snprintf(t, sizeof t, "%.6f", x);
    o.pair(10, t);
    std::snprintf(t, sizeof t, "%.6f", y);
    o.pair(20, t);
    o.pair(30, "0.0");
    std::snprintf(t, sizeof t, "%.6f", x + 12.5);
    o.pair(11, t);
    std::snprintf(t, sizeof t, "%.6f", y - 7.25);
    o.pair(21, t);
    o.pair(31, "0.0");
  }
  o.pair(0, "ENDSEC");
  o.pair(0, "EOF");
  std::fclose(f);
}

long filesize(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  std::fseek(f, 0, SEEK_END);
  long n = std::ftell(f);
  std::fclose(f);
  return n;
}

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
  state.SetBytesProcessed(state.iterations() * filesize(*path));
  state.counters["pairs"] = static_cast<double>(pairs / state.iterations());
  state.counters["file_MB"] = static_cast<double>(filesize(*path)) / 1e6;
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
      if (isreal(c)) sum += std::strtod(value, nullptr);
      else if (isint(c)) isum += std::strtol(value, nullptr, 10);
    }
    std::fclose(f);
  }
  benchmark::DoNotOptimize(sum);
  benchmark::DoNotOptimize(isum);
  state.SetBytesProcessed(state.iterations() * filesize(g_ascii));
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
      if (isreal(c)) {
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
  state.SetBytesProcessed(state.iterations() * filesize(g_binary));
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
  writedrawing(g_ascii, false);
  writedrawing(g_binary, true);
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
