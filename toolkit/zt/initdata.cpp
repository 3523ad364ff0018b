/* The toolkit's built-in init data and the default init-data access.
 *
 * Layout (all numbers little-endian): a text line ending in 'H' directly
 * before a zero byte; 38 32-bit offsets of code-page tables (0xFFFFFFFF: no
 * table); the first built-in shape font's 100 index entries (16-bit shape
 * number, 32-bit data length) and its 4,998-byte data block; the second
 * font's 103 entries and its 4,832-byte block; then the code-page tables.
 *
 * The data is built at compile time. The two fonts' shapes are outlines-free
 * placeholders for now: shape 0 carries the font's name and metrics, every
 * other shape only advances the pen, and each font block has its full size.
 * No code-page table is present yet. */
#include "toolkit/zt/zt.h"

#include <array>
#include <cstdio>
#include <cstring>

namespace {

constexpr char kBanner[] = "VyrDxf2Cgm toolkit init data 1 LE H";
constexpr int kCodePages = 38;
constexpr int kFont1Shapes = 100, kFont1Bytes = 4998;
constexpr int kFont2Shapes = 103, kFont2Bytes = 4832;
constexpr size_t kSize =
    sizeof(kBanner) + kCodePages * 4 + kFont1Shapes * 6 + kFont1Bytes + kFont2Shapes * 6 + kFont2Bytes;

struct Builder {
    std::array<unsigned char, kSize> d{};
    size_t n = 0;
    constexpr void u8(unsigned v) { d[n++] = static_cast<unsigned char>(v & 0xFF); }
    constexpr void u16(unsigned v)
    {
        u8(v);
        u8(v >> 8);
    }
    constexpr void u32(unsigned long v)
    {
        u16(static_cast<unsigned>(v & 0xFFFF));
        u16(static_cast<unsigned>(v >> 16));
    }
    constexpr void str0(const char *s)
    {
        for (size_t i = 0; s[i]; ++i) u8(static_cast<unsigned char>(s[i]));
        u8(0);
    }
    constexpr void font(const char *name, int shapes, int firstcode, int bytes)
    {
        size_t namelen = 0;
        while (name[namelen]) ++namelen;
        const int infolen = static_cast<int>(namelen) + 1 + 4;
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

constexpr std::array<unsigned char, kSize> build()
{
    Builder b;
    b.str0(kBanner);
    for (int i = 0; i < kCodePages; ++i) b.u32(0xFFFFFFFFul);
    b.font("SIMPLEX", kFont1Shapes, 32, kFont1Bytes);
    b.font("GDT", kFont2Shapes, 33, kFont2Bytes);
    return b.d;
}

constexpr std::array<unsigned char, kSize> kInitData = build();
static_assert(kInitData[sizeof(kBanner) - 2] == 'H' && kInitData[sizeof(kBanner) - 1] == 0,
              "the banner must end in 'H' and a zero byte");

/* The one open init source of the default callbacks. */
FILE *g_file = nullptr;
long g_pos = -1; /* position in the built-in data; -1 when closed */

} // namespace

extern "C" {

const unsigned char *ztinit_builtin(size_t *size)
{
    if (size) *size = kInitData.size();
    return kInitData.data();
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
    if (g_pos < 0 || g_pos >= static_cast<long>(kInitData.size())) return EOF;
    return kInitData[static_cast<size_t>(g_pos++)];
}

int ztior_fread(void *buf, size_t size, size_t count)
{
    if (g_file) return std::fread(buf, size, count, g_file) == count;
    if (g_pos < 0) return 0;
    size_t want = size * count;
    if (count && want / count != size) return 0;
    if (want > kInitData.size() - static_cast<size_t>(g_pos)) return 0;
    std::memcpy(buf, kInitData.data() + g_pos, want);
    g_pos += static_cast<long>(want);
    return 1;
}

int ztior_fseek(long offset, int whence)
{
    if (g_file) return std::fseek(g_file, offset, whence);
    if (g_pos < 0) return -1;
    long size = static_cast<long>(kInitData.size());
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
