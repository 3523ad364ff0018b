/* Fuzz target for the whole conversion, DXF in and CGM out: the input is
 * written to a file and converted through VyrDxf2Cgm::Convert with the
 * options taken from the bits of its last byte (none, fit, visible layers
 * only, the drawing's line types, filled areas, the NURBS element). Any
 * input must give a picture or a failure, never a crash, a hang or a
 * leak, and leave nothing behind in the private temporary directory. Seed
 * it with the small drawings of tests/fuzz/seeds/convert. */
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "Dxf2Cgm/VyrDxf2Cgm.h"

namespace {

std::string g_dir, g_input, g_picture;

bool Start()
{
    char dir[] = "/tmp/vyr_fuzz_convert_XXXXXX";
    if (!mkdtemp(dir)) return false;
    g_dir = dir;
    g_input = g_dir + "/input.dxf";
    g_picture = g_dir + "/picture.cgm";
    /* The conversion's temporary files go there too, and the directory
     * goes at the end. */
    setenv("TMPDIR", dir, 1);
    unsetenv("TRAMEL_TMP");
    std::atexit([] {
        std::remove(g_input.c_str());
        std::remove(g_picture.c_str());
        rmdir(g_dir.c_str());
    });
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool started = Start();
    if (!started) return 0;
    std::FILE *f = std::fopen(g_input.c_str(), "wb");
    if (!f) return 0;
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);

    const unsigned bits = size ? data[size - 1] : 0;
    VyrDxf2CgmOptions options;
    options.fit = bits & 1;
    options.visibleLayersOnly = bits & 2;
    options.drawingLineTypes = bits & 4;
    options.filledAreas = bits & 8;
    options.nurbsElement = bits & 16;
    VyrDxf2Cgm converter;
    converter.Convert(g_input.c_str(), g_picture.c_str(), options);
    ZelResults results{};
    converter.GetZelResults(&results);
    std::remove(g_picture.c_str());
    return 0;
}
