/* libFuzzer target: the CGM decoder behind cgmdump must turn any input into
 * a listing or an error, never a crash, a hang or a leak. */
#include "tools/cgmdecode/CgmDecoder.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    CgmDecoder decoder;
    decoder.Decode(data, size);
    volatile size_t n = decoder.Listing().size();
    (void)n;
    return 0;
}
