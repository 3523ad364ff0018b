/* cgmtestcard: writes the CGM generator's test card, a picture with every
 * kind of primitive, text placement, line type, width and colour.
 *   cgmtestcard [--compat] [--version N] OUTPUT.cgm */
#include "tools/testcard/CgmTestCard.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char **argv)
{
    VyrCgmProfile profile = VyrCgmProfileStandard;
    int version = 0;
    const char *out = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--compat")) {
            profile = VyrCgmProfileCompatible;
        } else if (!std::strcmp(argv[i], "--version") && i + 1 < argc) {
            version = std::atoi(argv[++i]);
            if (version < 1 || version > 4) {
                std::fprintf(stderr, "cgmtestcard: version must be 1 to 4\n");
                return 2;
            }
        } else if (argv[i][0] == '-' || out) {
            std::fprintf(stderr, "usage: cgmtestcard [--compat] [--version N] OUTPUT.cgm\n");
            return 2;
        } else {
            out = argv[i];
        }
    }
    if (!out) {
        std::fprintf(stderr, "usage: cgmtestcard [--compat] [--version N] OUTPUT.cgm\n");
        return 2;
    }
    if (VyrWriteTestCardFile(out, profile, version) != 0) {
        std::fprintf(stderr, "cgmtestcard: cannot write %s\n", out);
        return 1;
    }
    return 0;
}
