/* A host program as a user writes one: it finds the installed library
 * through its package files and converts one drawing. */
#include "Dxf2Cgm/VyrDxf2Cgm.h"

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: host INPUT.dxf OUTPUT.cgm\n");
        return 2;
    }
    VyrDxf2Cgm converter;
    return converter.Convert(argv[1], argv[2]) == 0 ? 0 : 1;
}
