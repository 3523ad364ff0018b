/* Fuzz target for the message formatter's scanner and the word wrapper:
 * any text is formatted without arguments (every conversion must then be
 * copied as it stands, nothing fetched) and printed through the wrapper
 * with a line format taken from the first bytes. */
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "kernel/fmt/fmt.h"
#include "kernel/mpm/mpm_int.h"
#include "kernel/olm/olm.h"
#include "kernel/otm/otm.h"
#include "kernel/pdx/pdx_int.h"

namespace {

size_t g_printed = 0;

void sink(const char *line, FILE *) { g_printed += strlen(line); }

bool start()
{
    pdx__RegisterModule(&pdx__Module);
    olm_Initialize();
    otm_Initialize();
    mpm_Initialize();
    fmt_Initialize();
    mpm_SetOutputRoutine(sink);
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static bool started = start();
    (void)started;
    if (size < 4) return 0;
    int width = data[0], left = data[1] % 16, right = data[2] % 16, justify = 1 + data[3] % 3;
    std::string text(reinterpret_cast<const char *>(data + 4), size - 4);
    text = text.c_str(); /* up to the first NUL */

    for (int extended = 0; extended < 2; ++extended) {
        char *r = mpm__FormatMessage(0, text.c_str(), extended, nullptr);
        if (!r) abort();
        if (text.find('%') == std::string::npos && text != r) abort();
        free(r);
    }
    mpm_SetLineFormat(width, left, right, justify);
    char *copy = strdup(text.c_str());
    if (copy) mpm__IssueMessage(data[3] & 0x20, stderr, copy);
    return 0;
}
