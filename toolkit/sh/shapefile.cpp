/* Shape-font files: the built-in fonts of the init data, finding, checking
 * and indexing the font files a drawing names, reading shape bytes, and
 * resolving a SHAPE entity's name to its shape file and number.
 *
 * A font file is read whole into memory when it is opened (font files are
 * small; a file above 64 MiB is refused), so no descriptor stays open and
 * every later read is bounds-checked against the bytes held. Every count of
 * a header is checked against the bytes that follow before anything is
 * allocated for it; a file whose index points outside itself is refused.
 * Only regular files are read: a FIFO, a device or a directory named as a
 * font is refused at once, never waited on. */
#include "toolkit/sh/sh.h"

#include "toolkit/ad/ad_int.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

struct ShBadName {
    ShBadName *next;
    char name[SH_NAME_LEN + 1];
};

namespace {

constexpr uint32_t kMaxFontFile = 64u << 20;
constexpr size_t kSignatureMin = 24, kSignatureMax = 41;

unsigned rd16(const unsigned char *p) { return p[0] | p[1] << 8; }
uint32_t rd32(const unsigned char *p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void freefont(ShFont *f)
{
    if (!f) return;
    std::free(f->index);
    std::free(f->ranges);
    std::free(f->path);
    std::free(f->owned);
    std::free(f);
}

ShFont *newfont(const char *name)
{
    ShFont *f = static_cast<ShFont *>(std::calloc(1, sizeof(ShFont)));
    if (f) std::snprintf(f->name, sizeof f->name, "%s", name);
    return f;
}

/* Shape and unifont index entries: the shapes' bytes follow one another. */
bool createsmallindex(ShFont *f, const AdInitEntry *entries, int n, uint32_t start)
{
    f->index = static_cast<ShIndexEntry *>(std::calloc(static_cast<size_t>(n) + 1, sizeof(ShIndexEntry)));
    if (!f->index) return false;
    uint64_t pos = start;
    for (int i = 0; i < n; ++i) {
        if (pos + entries[i].value > f->size) return false;
        f->index[i] = {entries[i].number, static_cast<uint32_t>(pos), entries[i].value};
        pos += entries[i].value;
    }
    f->numshapes = static_cast<uint32_t>(n);
    return true;
}

ShFont *builtin(const char *name, unsigned kind, const AdInitEntry *entries, int n, const unsigned char *data,
                uint32_t size)
{
    ShFont *f = newfont(name);
    if (!f) return nullptr;
    f->kind = kind;
    f->data = data;
    f->size = size;
    f->header[2] = static_cast<uint16_t>(n);
    if (!createsmallindex(f, entries, n, 0)) {
        freefont(f);
        return nullptr;
    }
    return f;
}

/* The kind a signature names, 0 for none. */
unsigned signaturekind(const unsigned char *sig, size_t n)
{
    if (memmem(sig, n, "bigfont", 7)) return SH_BIGFONT;
    if (memmem(sig, n, "unifont 1.0", 11)) return SH_UNIFONT;
    if (memmem(sig, n, "1.0", 3)) return SH_SHAPES10;
    if (memmem(sig, n, "1.1", 3)) return SH_SHAPES11;
    return 0;
}

/* The header and index of a font file held in f->data. */
bool parsefont(ShFont *f)
{
    const unsigned char *d = f->data;
    const uint32_t size = f->size;
    if (size < kSignatureMin) return false;
    size_t sig = kSignatureMin;
    if (d[kSignatureMin - 1] != 0x1A) {
        while (sig < kSignatureMax && sig < size && d[sig] != 0x1A) ++sig;
        if (sig < size && d[sig] == 0x1A) ++sig;
    }
    f->kind = signaturekind(d, sig);
    if (!f->kind) return false;
    uint32_t pos = static_cast<uint32_t>(sig);
    if (size - pos < 6) return false;
    for (int i = 0; i < 3; ++i) f->header[i] = static_cast<uint16_t>(rd16(d + pos + 2 * i));
    pos += 6;

    if (f->kind == SH_BIGFONT) {
        const uint32_t nranges = f->header[2], nshapes = f->header[1];
        if ((size - pos) / 4 < nranges) return false;
        if (nranges) {
            f->ranges = static_cast<uint16_t(*)[2]>(std::calloc(nranges, sizeof *f->ranges));
            if (!f->ranges) return false;
        }
        for (uint32_t i = 0; i < nranges; ++i, pos += 4) {
            f->ranges[i][0] = static_cast<uint16_t>(rd16(d + pos));
            f->ranges[i][1] = static_cast<uint16_t>(rd16(d + pos + 2));
        }
        if ((size - pos) / 8 < nshapes) return false;
        f->index = static_cast<ShIndexEntry *>(std::calloc(nshapes + 1, sizeof(ShIndexEntry)));
        if (!f->index) return false;
        uint32_t n = 0;
        for (uint32_t i = 0; i < nshapes; ++i, pos += 8) {
            const uint32_t len = rd16(d + pos + 2), at = rd32(d + pos + 4);
            if (len == 0 && at == 0) continue; /* an empty slot */
            if (at > size || len > size - at) return false;
            f->index[n++] = {static_cast<uint16_t>(rd16(d + pos)), at, len};
        }
        f->numshapes = n;
        return true;
    }

    if (f->kind == SH_UNIFONT) {
        /* a 32-bit count, the length of the font information, the
           information (shape 0), then number, length and bytes of each shape */
        const uint32_t count = f->header[0] | static_cast<uint32_t>(f->header[1]) << 16;
        const uint32_t infolen = f->header[2];
        if (count == 0 || (size - pos) / 4 < count - 1 || infolen > size - pos) return false;
        f->index = static_cast<ShIndexEntry *>(std::calloc(count + 1, sizeof(ShIndexEntry)));
        if (!f->index) return false;
        f->index[0] = {0, pos, infolen};
        pos += infolen;
        uint32_t n = 1;
        while (n < count && size - pos >= 4) {
            const uint32_t len = rd16(d + pos + 2);
            if (len > size - pos - 4) return false;
            f->index[n++] = {static_cast<uint16_t>(rd16(d + pos)), pos + 4, len};
            pos += 4 + len;
        }
        /* some writers count the information among the shapes, some not */
        if (n + 1 < count) return false;
        f->numshapes = n;
        return true;
    }

    /* shapes 1.0 and 1.1: first, last, count; count entries of number and
       length; then the shapes' bytes in that order */
    const uint32_t count = f->header[2];
    if ((size - pos) / 4 < count) return false;
    AdInitEntry *entries = static_cast<AdInitEntry *>(std::calloc(count + 1, sizeof(AdInitEntry)));
    if (!entries) return false;
    for (uint32_t i = 0; i < count; ++i, pos += 4)
        entries[i] = {static_cast<uint16_t>(rd16(d + pos)), static_cast<uint32_t>(rd16(d + pos + 2))};
    const bool ok = createsmallindex(f, entries, static_cast<int>(count), pos);
    std::free(entries);
    return ok;
}

/* The bytes of a regular file, at most kMaxFontFile of them. */
unsigned char *readfile(const char *path, uint32_t *size)
{
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st;
    unsigned char *buf = nullptr;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 &&
        static_cast<uint64_t>(st.st_size) <= kMaxFontFile) {
        const size_t want = static_cast<size_t>(st.st_size);
        buf = static_cast<unsigned char *>(std::malloc(want));
        size_t got = 0;
        while (buf && got < want) {
            const ssize_t r = read(fd, buf + got, want - got);
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0) break;
            got += static_cast<size_t>(r);
        }
        if (buf && got != want) { /* the file shrank while read */
            std::free(buf);
            buf = nullptr;
        }
        *size = static_cast<uint32_t>(got);
    }
    close(fd);
    return buf;
}

/* Equal ignoring ASCII case (not the locale's). */
bool sameascii(const char *a, const unsigned char *b, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

bool endswith(const std::string &s, const char *tail)
{
    const size_t n = std::strlen(tail);
    return s.size() >= n && adstricmp(s.c_str() + s.size() - n, tail) == 0;
}

bool isbad(AdDrawing *dwg, const char *name)
{
    for (ShBadName *b = dwg->shbadnames; b; b = b->next)
        if (!adstricmp(b->name, name)) return true;
    return false;
}

ShFont *refuse(AdDrawing *dwg, const char *name, bool tell)
{
    if (!isbad(dwg, name)) {
        ShBadName *b = static_cast<ShBadName *>(std::calloc(1, sizeof(ShBadName)));
        if (b) {
            std::snprintf(b->name, sizeof b->name, "%s", name);
            b->next = dwg->shbadnames;
            dwg->shbadnames = b;
        }
    }
    if (tell && adin->badshapefile) adin->badshapefile(name, dwg->userdata);
    return nullptr;
}

ShFont *keep(AdDrawing *dwg, ShFont *f)
{
    f->next = dwg->shfonts;
    dwg->shfonts = f;
    return f;
}

/* The number after a TrueType suffix letter, or -1. */
long suffixnumber(const char *p)
{
    if (*p < '0' || *p > '9') return -1;
    return std::strtol(p, nullptr, 10);
}

uint32_t truetypestyle(const char *name)
{
    uint32_t style = 0;
    for (const char *p = std::strchr(name, '|'); p; p = std::strchr(p + 1, '|')) {
        const char k = p[1];
        const long v = suffixnumber(p + 2);
        if (k == 'b' && v > 0) style |= 2u << 24;
        if (k == 'i' && v > 0) style += 1u << 24;
        if (k == 'c' && v >= 0) style |= (static_cast<uint32_t>(v) & 0xFF) << 8;
        if (k == 'p' && v >= 0) style |= static_cast<uint32_t>(v) & 0xFF;
    }
    return style;
}

} // namespace

extern "C" {

int initsh(void)
{
    if (!adin) return 0;
    closesh();
    adin->shbuiltin[0] =
        builtin("SIMPLEX.SHX", SH_SHAPES11, adin->font1index, 100, adin->font1data, sizeof adin->font1data);
    adin->shbuiltin[1] = builtin("GDT.SHX", SH_SHAPES11 | SH_SYMBOLS, adin->font2index, 103, adin->font2data,
                                 sizeof adin->font2data);
    if (adin->shbuiltin[0] && adin->shbuiltin[1]) return 1;
    closesh();
    adin->error = 293;
    adcriticalerror(2);
    return 0;
}

void closesh(void)
{
    if (!adin) return;
    for (ShFont *&f : adin->shbuiltin) {
        freefont(f);
        f = nullptr;
    }
}

ShFont *sh_builtin(int which)
{
    return adin && (which == 0 || which == 1) ? adin->shbuiltin[which] : nullptr;
}

ShFont *sh_open(AdDrawing *dwg, const char *given)
{
    if (!adin || !dwg || !given || !*given) return nullptr;
    std::string name(given);
    std::string lower;
    for (char c : name) lower.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c);
    const bool truetype = lower.find("|b") != std::string::npos || lower.find(".ttf") != std::string::npos ||
                          lower.find(".ttc") != std::string::npos;
    const uint32_t style = truetype ? truetypestyle(given) : 0;
    if (name.find('|') != std::string::npos) name.erase(name.find('|'));
    if (name.empty() || name.size() > SH_NAME_LEN) return nullptr;
    const char *nm = name.c_str();

    /* a name without extension is a shape file's */
    const size_t slash = name.find_last_of("/\\");
    const size_t dot = name.find_last_of('.');
    const bool noext = dot == std::string::npos || (slash != std::string::npos && dot < slash);
    const std::string file = noext ? name + ".shx" : name;
    if (isbad(dwg, nm)) return nullptr;
    for (ShFont *f = dwg->shfonts; f; f = f->next)
        if (!adstricmp(f->name, nm) || !adstricmp(f->name, file.c_str())) return f;

    if (truetype || endswith(name, ".pfb")) {
        char path[AD_FILENAME_LEN] = "";
        if (!adin->examinettf || !adin->examinettf(nm, path, dwg->userdata)) return refuse(dwg, nm, false);
        ShFont *f = newfont(nm);
        if (!f || !(f->path = strdup(path))) {
            freefont(f);
            return nullptr;
        }
        f->kind = SH_TRUETYPE;
        f->ttstyle = style;
        return keep(dwg, f);
    }

    for (const char *g : {"gdt.shx", "gdt", "amgdt.shx", "amgdt"})
        if (!adstricmp(nm, g)) return adin->shbuiltin[1];
    /* the old name of the simplex font of early releases */
    for (const char *s : {"simplex6.shx", "simplex6"})
        if (!adstricmp(nm, s)) return adin->shbuiltin[0];

    if (!noext && !endswith(name, ".shx")) return refuse(dwg, nm, false);

    char path[AD_FILENAME_LEN];
    if (adin->examineshapefile) {
        path[0] = 0;
        if (!adin->examineshapefile(file.c_str(), path, dwg->userdata)) return refuse(dwg, nm, true);
        path[sizeof path - 1] = 0;
    } else {
        std::snprintf(path, sizeof path, "%s", file.c_str());
    }
    ShFont *f = newfont(file.c_str());
    if (!f) return nullptr;
    uint32_t size = 0;
    f->owned = readfile(path, &size);
    f->data = f->owned;
    f->size = size;
    f->path = strdup(path);
    if (!f->owned || !f->path || !parsefont(f)) {
        freefont(f);
        return refuse(dwg, nm, true);
    }
    return keep(dwg, f);
}

int sh_seek(ShFont *font, uint32_t pos)
{
    if (!font || pos > font->size) return 0;
    font->pos = pos;
    return 1;
}

int sh_seeksh(ShFont *font, uint16_t number)
{
    if (!font) return 0;
    for (uint32_t i = 0; i < font->numshapes; ++i)
        if (font->index[i].number == number) return sh_seek(font, font->index[i].pos);
    return 0;
}

uint32_t sh_tell(const ShFont *font) { return font ? font->pos : 0; }

int sh_fgetc(ShFont *font)
{
    if (!font || !font->data || font->pos >= font->size) return -1;
    return font->data[font->pos++];
}

void adUnloadFontFiles(AdDrawing *dwg)
{
    if (!dwg) return;
    while (ShFont *f = dwg->shfonts) {
        dwg->shfonts = f->next;
        freefont(f);
    }
    while (ShBadName *b = dwg->shbadnames) {
        dwg->shbadnames = b->next;
        std::free(b);
    }
}

int adGetShapefileAndNumber(AdDrawing *dwg, const char *shapename, unsigned char *stylehandle,
                            int16_t *number)
{
    if (stylehandle) std::memset(stylehandle, 0, 8);
    if (number) *number = 0;
    if (!dwg || !dwg->shapes || !shapename || !*shapename) return 0;
    for (LLNode *n = dwg->shapes->head; n; n = n->next) {
        const AdShapefile *st = static_cast<const AdShapefile *>(LL_RECORD(n));
        if (!(st->flag & 1)) continue; /* a text style, not a shape file */
        ShFont *f = sh_open(dwg, st->fontname);
        if (!f || (f->kind & SH_TRUETYPE)) continue;
        for (uint32_t i = 0; i < f->numshapes; ++i) {
            /* each shape's bytes begin with its name */
            const ShIndexEntry &e = f->index[i];
            const unsigned char *p = f->data + e.pos;
            const size_t len = strnlen(reinterpret_cast<const char *>(p), e.len);
            if (len == e.len || e.number == 0) continue;
            if (std::strlen(shapename) == len && sameascii(shapename, p, len)) {
                if (stylehandle) std::memcpy(stylehandle, st->handle, 8);
                if (number) *number = static_cast<int16_t>(e.number);
                return 1;
            }
        }
    }
    return 0;
}

} // extern "C"
