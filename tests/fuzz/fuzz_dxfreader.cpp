/* Fuzz target for the DXF group-code reader and the load driver: the input
 * is written to a file and read pair by pair as ASCII DXF and as binary DXF
 * (version and code width taken from the first byte), then loaded. */
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "toolkit/ad/ad_int.h"

namespace {

std::string g_path;

void readall(int filetype, int version) {
  AdDrawing* d = adEmptyFile();
  if (!d) return;
  d->stream = ztior_open(g_path.c_str());
  d->filetype = static_cast<int16_t>(filetype);
  d->version = static_cast<int16_t>(version);
  if (d->stream) {
    if (filetype == AD_FILE_BINARY_DXF) adchoosebinarycodewidth(d);
    adstartscanometer(d);
    long guard = 0;
    while (getdxfpair(d) && ++guard < 1000000)
      if (++d->scan.counter >= 100) updatescanometer(d);
  }
  adCloseFile(d);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (g_path.empty()) {
    char name[] = "/tmp/vyr_fuzz_dxf_XXXXXX";
    int fd = mkstemp(name);
    if (fd < 0) return 0;
    close(fd);
    g_path = name;
    std::atexit([] { std::remove(g_path.c_str()); });
  }
  FILE* f = std::fopen(g_path.c_str(), "wb");
  if (!f) return 0;
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);

  /* the toolkit stays started between inputs; each input starts clean */
  if (!adin) {
    int16_t err;
    if (!adInitAd2(nullptr, &err)) return 0;
    adSetupDxfRead();
    adSetupDwgRead();
  }
  adErrorClear();
  adin->acceptr14beta = 0;
  int version = size ? static_cast<int>(data[0] % 9) - 1 : -1;
  readall(AD_FILE_ASCII_DXF, version);
  readall(AD_FILE_BINARY_DXF, version);
  if (size && (data[0] & 0x80)) adAcceptR14BetaFiles();
  AdDrawing* d = adLoadFile(g_path.c_str(), 1, 0);
  if (d) adCloseFile(d);
  return 0;
}
