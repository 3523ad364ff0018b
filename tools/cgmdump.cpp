/* cgmdump: prints a binary CGM file as a clear-text listing, one element per
 * line with its parameters. Reads standard input when no file (or "-") is
 * given. Malformed input: what could be decoded is printed, then the error
 * goes to standard error and the exit status is 1. */
#include "tools/cgmdecode/CgmDecoder.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

static int ReadAll(FILE *f, std::vector<uint8_t> &data)
{
    unsigned char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.insert(data.end(), buf, buf + n);
    return std::ferror(f) ? -1 : 0;
}

int main(int argc, char **argv)
{
    if (argc > 2 || (argc == 2 && (!std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "--help")))) {
        std::fprintf(argc > 2 ? stderr : stdout, "usage: cgmdump [FILE.cgm]\n");
        return argc > 2 ? 2 : 0;
    }
    const char *name = (argc == 2 && std::strcmp(argv[1], "-") != 0) ? argv[1] : nullptr;
    FILE *f = name ? std::fopen(name, "rb") : stdin;
    if (!f) {
        std::fprintf(stderr, "cgmdump: %s: %s\n", name, std::strerror(errno));
        return 1;
    }
    std::vector<uint8_t> data;
    int rc = ReadAll(f, data);
    int err = errno;
    if (name) std::fclose(f);
    if (rc != 0) {
        std::fprintf(stderr, "cgmdump: %s: %s\n", name ? name : "(stdin)", std::strerror(err));
        return 1;
    }
    CgmDecoder decoder;
    bool ok = decoder.Decode(data.data(), data.size());
    std::string listing = decoder.Listing();
    std::fwrite(listing.data(), 1, listing.size(), stdout);
    std::fflush(stdout);
    if (!ok) {
        std::fprintf(stderr, "cgmdump: %s: %s\n", name ? name : "(stdin)", decoder.Error().c_str());
        return 1;
    }
    if (data.empty()) {
        std::fprintf(stderr, "cgmdump: %s: empty file\n", name ? name : "(stdin)");
        return 1;
    }
    return 0;
}
