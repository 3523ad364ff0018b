/* Glyph outlines through FreeType (see the header). Outlines are loaded
 * unscaled and unhinted, in font units, and flattened: each quadratic or
 * cubic piece becomes straight pieces whose number grows with the piece's
 * size, so that at the finest level of detail the deviation stays under
 * about 2/1000 em; each coarser level halves that number. The fonts are
 * looked for in Debian's folders; VYR_FONT_DIR (environment) names one more
 * folder searched first. */
#include "platform/font/VyrGlyphOutlines.h"

#include "platform/font/VyrFont.h"

#ifdef VYR_HAVE_FREETYPE

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <cmath>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unordered_map>

namespace {

/* Outline files of the core fonts, by PostScript name. */
struct FontFile {
    const char *core;
    const char *file;
};
const FontFile kFiles[] = {
    {"Helvetica", "NimbusSans-Regular"},
    {"Helvetica-Bold", "NimbusSans-Bold"},
    {"Helvetica-Oblique", "NimbusSans-Italic"},
    {"Helvetica-BoldOblique", "NimbusSans-BoldItalic"},
    {"Times-Roman", "NimbusRoman-Regular"},
    {"Times-Bold", "NimbusRoman-Bold"},
    {"Times-Italic", "NimbusRoman-Italic"},
    {"Times-BoldItalic", "NimbusRoman-BoldItalic"},
    {"Courier", "NimbusMonoPS-Regular"},
    {"Courier-Bold", "NimbusMonoPS-Bold"},
    {"Courier-Oblique", "NimbusMonoPS-Italic"},
    {"Courier-BoldOblique", "NimbusMonoPS-BoldItalic"},
    {"Symbol", "StandardSymbolsPS"},
};
const char *const kDirs[] = {"/usr/share/fonts/opentype/urw-base35/", "/usr/share/fonts/type1/urw-base35/"};
const char *const kExtensions[] = {".otf", ".t1"};
const char *const kFallbacks[] = {"/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf",
                                  "/usr/share/fonts/truetype/droid/DroidSansFallback.ttf"};

bool IsFile(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

struct Face {
    bool tried = false;
    FT_Face face = nullptr;
};

struct State {
    FT_Library library = nullptr;
    bool started = false;
    std::unordered_map<int, Face> faces; /* by core index; -1 the fallback */
    std::unordered_map<unsigned long long, VyrGlyph> glyphs;
    std::unordered_map<unsigned long long, bool> missing;
    ~State()
    {
        for (auto &f : faces)
            if (f.second.face) FT_Done_Face(f.second.face);
        if (library) FT_Done_FreeType(library);
    }
};

State &Global()
{
    static State state;
    return state;
}

FT_Face Open(int index)
{
    State &s = Global();
    if (!s.started) {
        s.started = true;
        if (FT_Init_FreeType(&s.library) != 0) s.library = nullptr;
    }
    if (!s.library) return nullptr;
    Face &f = s.faces[index];
    if (f.tried) return f.face;
    f.tried = true;
    std::vector<std::string> paths;
    if (index < 0) {
        for (const char *p : kFallbacks) paths.push_back(p);
    } else {
        const char *core = VyrFont::sGetCoreMetrics(index).name;
        for (const FontFile &ff : kFiles) {
            if (std::string(core) != ff.core) continue;
            if (const char *dir = std::getenv("VYR_FONT_DIR"))
                for (const char *ext : kExtensions) paths.push_back(std::string(dir) + "/" + ff.file + ext);
            for (const char *dir : kDirs)
                for (const char *ext : kExtensions) paths.push_back(std::string(dir) + ff.file + ext);
        }
    }
    for (const std::string &p : paths) {
        if (!IsFile(p)) continue;
        if (FT_New_Face(s.library, p.c_str(), 0, &f.face) == 0) {
            if (FT_IS_SCALABLE(f.face) && f.face->units_per_EM > 0) break;
            FT_Done_Face(f.face);
        }
        f.face = nullptr;
    }
    return f.face;
}

/* Flattens a decomposed outline into contours, scaled by `scale`. */
struct Flattener {
    VyrGlyph *glyph = nullptr;
    double scale = 1.0;
    double coarseness = 1.0; /* 4 to the level of detail */
    double x = 0, y = 0;

    void Add(double px, double py)
    {
        std::vector<float> &c = glyph->contours.back();
        c.push_back(static_cast<float>(px * scale));
        c.push_back(static_cast<float>(py * scale));
        x = px;
        y = py;
    }
    /* Pieces for a curve whose control polygon is `length` font units
     * long. */
    int Pieces(double length) const
    {
        const double units = length * scale; /* 1/1000 em */
        const int n = static_cast<int>(std::ceil(std::sqrt(units / (2.0 * coarseness))));
        return n < 1 ? 1 : n > 32 ? 32 : n;
    }

    static int MoveTo(const FT_Vector *to, void *user)
    {
        Flattener *f = static_cast<Flattener *>(user);
        f->glyph->contours.emplace_back();
        f->Add(to->x, to->y);
        return 0;
    }
    static int LineTo(const FT_Vector *to, void *user)
    {
        static_cast<Flattener *>(user)->Add(to->x, to->y);
        return 0;
    }
    static int ConicTo(const FT_Vector *c, const FT_Vector *to, void *user)
    {
        Flattener *f = static_cast<Flattener *>(user);
        const double x0 = f->x, y0 = f->y;
        const int n = f->Pieces(std::hypot(c->x - x0, c->y - y0) + std::hypot(to->x - c->x, to->y - c->y));
        for (int i = 1; i <= n; ++i) {
            const double t = double(i) / n, u = 1 - t;
            f->Add(u * u * x0 + 2 * u * t * c->x + t * t * to->x,
                   u * u * y0 + 2 * u * t * c->y + t * t * to->y);
        }
        return 0;
    }
    static int CubicTo(const FT_Vector *c1, const FT_Vector *c2, const FT_Vector *to, void *user)
    {
        Flattener *f = static_cast<Flattener *>(user);
        const double x0 = f->x, y0 = f->y;
        const int n =
            f->Pieces(std::hypot(c1->x - x0, c1->y - y0) + std::hypot(c2->x - c1->x, c2->y - c1->y) +
                      std::hypot(to->x - c2->x, to->y - c2->y));
        for (int i = 1; i <= n; ++i) {
            const double t = double(i) / n, u = 1 - t;
            const double a = u * u * u, b = 3 * u * u * t, cc = 3 * u * t * t, d = t * t * t;
            f->Add(a * x0 + b * c1->x + cc * c2->x + d * to->x, a * y0 + b * c1->y + cc * c2->y + d * to->y);
        }
        return 0;
    }
};

bool Load(FT_Face face, unsigned int code, int detail, VyrGlyph &glyph)
{
    const FT_UInt index = FT_Get_Char_Index(face, code);
    if (index == 0) return false;
    if (FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0)
        return false;
    if (face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) return false;
    FT_Outline_Funcs funcs = {};
    funcs.move_to = Flattener::MoveTo;
    funcs.line_to = Flattener::LineTo;
    funcs.conic_to = Flattener::ConicTo;
    funcs.cubic_to = Flattener::CubicTo;
    Flattener f;
    f.glyph = &glyph;
    f.scale = 1000.0 / face->units_per_EM;
    f.coarseness = static_cast<double>(1 << (2 * detail));
    if (FT_Outline_Decompose(&face->glyph->outline, &funcs, &f) != 0) {
        glyph.contours.clear();
        return false;
    }
    /* Drop repeated closing points and contours without area. */
    std::vector<std::vector<float>> kept;
    for (auto &c : glyph.contours) {
        if (c.size() >= 4 && c[0] == c[c.size() - 2] && c[1] == c[c.size() - 1]) c.resize(c.size() - 2);
        if (c.size() >= 6) kept.push_back(std::move(c));
    }
    glyph.contours.swap(kept);
    return true;
}

} // namespace

bool VyrGlyphOutlines::sAvailable(int coreIndex)
{
    if (coreIndex < 0 || coreIndex >= VyrFont::sGetCoreFontCount()) return false;
    return Open(coreIndex) != nullptr;
}

const VyrGlyph *VyrGlyphOutlines::sGetGlyph(int coreIndex, unsigned int code, int detail)
{
    if (coreIndex < 0 || coreIndex >= VyrFont::sGetCoreFontCount()) return nullptr;
    if (detail < 0) detail = 0;
    if (detail >= kDetailLevels) detail = kDetailLevels - 1;
    State &s = Global();
    const unsigned long long key = (static_cast<unsigned long long>(detail) << 40) |
                                   (static_cast<unsigned long long>(coreIndex) << 32) | code;
    auto found = s.glyphs.find(key);
    if (found != s.glyphs.end()) return &found->second;
    if (s.missing.count(key)) return nullptr;
    VyrGlyph glyph;
    bool loaded = false;
    if (FT_Face face = Open(coreIndex)) loaded = Load(face, code, detail, glyph);
    if (!loaded)
        if (FT_Face fallback = Open(-1)) loaded = Load(fallback, code, detail, glyph);
    if (!loaded) {
        s.missing[key] = true;
        return nullptr;
    }
    return &s.glyphs.emplace(key, std::move(glyph)).first->second;
}

#else

bool VyrGlyphOutlines::sAvailable(int) { return false; }
const VyrGlyph *VyrGlyphOutlines::sGetGlyph(int, unsigned int, int) { return nullptr; }

#endif
