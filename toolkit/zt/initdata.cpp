/* The toolkit's built-in init data and the default init-data access.
 *
 * Layout (all numbers little-endian): a text line ending in 'H' directly
 * before a zero byte; 38 32-bit offsets of code-page tables (0xFFFFFFFF: no
 * table); the first built-in shape font's 100 index entries (16-bit shape
 * number, 32-bit data length) and its 4,998-byte data block; the second
 * font's 103 entries and its 4,832-byte block; an extension (the tag "XCP1",
 * a 16-bit count and the 32-bit offsets of the code-page tables beyond the
 * first 38); then the code-page tables, which the build generates from the C
 * library's iconv (tools/gencodepages).
 *
 * The two fonts' shapes are outlines-free placeholders: shape 0 carries the
 * font's name and metrics, every other shape only advances the pen, and each
 * font block has its full size. The data is assembled once, on first use. */
#include "toolkit/zt/zt.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "vyr_codepage_tables.inc"

namespace {

constexpr char kBanner[] = "VyrDxf2Cgm toolkit init data 1 LE H";
constexpr int kFixedCodePages = 38;
constexpr int kFont1Shapes = 100, kFont1Bytes = 4998;
constexpr int kFont2Shapes = 103, kFont2Bytes = 4832;
static_assert(VYR_CODEPAGE_TABLES >= kFixedCodePages, "the generated tables cover the fixed layout");

struct Builder {
    std::vector<unsigned char> d;
    void u8(unsigned v) { d.push_back(static_cast<unsigned char>(v & 0xFF)); }
    void u16(unsigned v)
    {
        u8(v);
        u8(v >> 8);
    }
    void u32(unsigned long v)
    {
        u16(static_cast<unsigned>(v & 0xFFFF));
        u16(static_cast<unsigned>(v >> 16));
    }
    void str0(const char *s)
    {
        for (size_t i = 0; s[i]; ++i) u8(static_cast<unsigned char>(s[i]));
        u8(0);
    }
    void font(const char *name, int shapes, int firstcode, int bytes)
    {
        const int infolen = static_cast<int>(std::strlen(name)) + 1 + 4;
        const int rest = bytes - infolen;
        const int each = rest / (shapes - 1);
        const int extra = rest % (shapes - 1);
        u16(0);
        u32(static_cast<unsigned long>(infolen));
        for (int i = 1; i < shapes; ++i) {
            u16(static_cast<unsigned>(firstcode + i - 1));
            u32(static_cast<unsigned long>(each + (i <= extra ? 1 : 0)));
        }
        str0(name);
        u8(21);
        u8(7);
        u8(0);
        u8(0); /* above, below, modes, end */
        for (int i = 1; i < shapes; ++i) {
            int len = each + (i <= extra ? 1 : 0);
            /* pen up, move one advance (vector 8 with dx, dy), end of shape */
            u8(2);
            u8(8);
            u8(16);
            u8(0);
            u8(0);
            for (int k = 5; k < len; ++k) u8(0);
        }
    }
};

std::vector<unsigned char> build()
{
    Builder b;
    b.str0(kBanner);
    const size_t offsets = b.d.size();
    for (int i = 0; i < kFixedCodePages; ++i) b.u32(0xFFFFFFFFul);
    b.font("SIMPLEX", kFont1Shapes, 32, kFont1Bytes);
    b.font("GDT", kFont2Shapes, 33, kFont2Bytes);
    b.d.insert(b.d.end(), {'X', 'C', 'P', '1'});
    b.u16(VYR_CODEPAGE_TABLES - kFixedCodePages);
    const size_t extension = b.d.size();
    for (int i = kFixedCodePages; i < VYR_CODEPAGE_TABLES; ++i) b.u32(0xFFFFFFFFul);
    const size_t base = b.d.size();
    b.d.insert(b.d.end(), kCodePageTableBlock, kCodePageTableBlock + sizeof kCodePageTableBlock);
    for (int i = 0; i < VYR_CODEPAGE_TABLES; ++i) {
        const unsigned long at = static_cast<unsigned long>(base + kCodePageTableOffsets[i]);
        size_t pos = i < kFixedCodePages ? offsets + 4 * i : extension + 4 * (i - kFixedCodePages);
        for (int k = 0; k < 4; ++k) b.d[pos + k] = static_cast<unsigned char>(at >> 8 * k & 0xFF);
    }
    return b.d;
}

const std::vector<unsigned char> &initdata()
{
    static const std::vector<unsigned char> data = build();
    return data;
}

/* The one open init source of the default callbacks. */
FILE *g_file = nullptr;
long g_pos = -1; /* position in the built-in data; -1 when closed */

} // namespace

extern "C" {

const unsigned char *ztinit_builtin(size_t *size)
{
    const std::vector<unsigned char> &d = initdata();
    if (size) *size = d.size();
    return d.data();
}

int ztior_fopen(const char *name)
{
    ztior_fclose();
    if (name && *name) {
        g_file = std::fopen(name, "rb");
        return g_file != nullptr;
    }
    g_pos = 0;
    return 1;
}

int ztior_fgetc(void)
{
    if (g_file) return std::fgetc(g_file);
    const std::vector<unsigned char> &d = initdata();
    if (g_pos < 0 || g_pos >= static_cast<long>(d.size())) return EOF;
    return d[static_cast<size_t>(g_pos++)];
}

int ztior_fread(void *buf, size_t size, size_t count)
{
    if (g_file) return std::fread(buf, size, count, g_file) == count;
    if (g_pos < 0) return 0;
    size_t want = size * count;
    if (count && want / count != size) return 0;
    const std::vector<unsigned char> &d = initdata();
    if (want > d.size() - static_cast<size_t>(g_pos)) return 0;
    std::memcpy(buf, d.data() + g_pos, want);
    g_pos += static_cast<long>(want);
    return 1;
}

int ztior_fseek(long offset, int whence)
{
    if (g_file) return std::fseek(g_file, offset, whence);
    if (g_pos < 0) return -1;
    long size = static_cast<long>(initdata().size());
    long target = whence == SEEK_SET   ? offset
                  : whence == SEEK_CUR ? g_pos + offset
                  : whence == SEEK_END ? size + offset
                                       : -1;
    if (target < 0 || target > size) return -1;
    g_pos = target;
    return 0;
}

int ztior_fclose(void)
{
    int ok = 1;
    if (g_file) ok = std::fclose(g_file) == 0;
    g_file = nullptr;
    g_pos = -1;
    return ok;
}

} // extern "C"
