/* The toolkit's code pages: the catalogue of the names a drawing may declare
 * in $DWGCODEPAGE with their numbers, conversion tables and Windows code-page
 * numbers; the conversion tables themselves, read from the init data on
 * first use; and the character functions built on them (lead bytes, one
 * character of a text, case changes that step over double-byte characters).
 *
 * A table maps the single bytes through a 256-entry array (0-127 are
 * ASCII) and, for the double-byte pages, the codes lead x 256 + trail through
 * a sorted array searched by halves. The lead bytes of a page are the
 * distinct high bytes of its double-byte codes. Catalogue 43 ("ansi_1200",
 * Unicode) has no table: its conversions fail. */
#include "toolkit/ad/ad_int.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct CodePage {
    const char *name;
    int table;        /* table number in the init data, -1 none */
    unsigned windows; /* the Windows code-page number of that table, 0 none */
};

const CodePage kCatalogue[] = {
    {"undefined", 0, 0},     {"ascii", 1, 0},         {"iso8859-1", 2, 28591},  {"iso8859-2", 3, 28592},
    {"iso8859-3", 4, 28593}, {"iso8859-4", 5, 28594}, {"iso8859-5", 6, 28595},  {"iso8859-6", 7, 28596},
    {"iso8859-7", 8, 28597}, {"iso8859-8", 9, 28598}, {"iso8859-9", 10, 28599}, {"dos437", 11, 437},
    {"dos850", 12, 850},     {"dos852", 13, 852},     {"dos855", 14, 855},      {"dos857", 15, 857},
    {"dos860", 16, 860},     {"dos861", 17, 861},     {"dos863", 18, 863},      {"dos864", 19, 864},
    {"dos865", 20, 865},     {"dos869", 21, 869},     {"dos932", 34, 932},      {"mac-roman", 22, 0},
    {"big5", 37, 950},       {"ksc5601", 36, 949},    {"johab", 23, 1361},      {"dos866", 24, 866},
    {"ansi_1250", 25, 1250}, {"ansi_1251", 26, 1251}, {"ansi_1252", 27, 1252},  {"gb2312", 35, 936},
    {"ansi_1253", 28, 1253}, {"ansi_1254", 29, 1254}, {"ansi_1255", 30, 1255},  {"ansi_1256", 31, 1256},
    {"ansi_1257", 32, 1257}, {"ansi_874", 33, 874},   {"ansi_932", 34, 932},    {"ansi_936", 35, 936},
    {"ansi_949", 36, 949},   {"ansi_950", 37, 950},   {"ansi_1361", 23, 1361},  {"ansi_1200", -1, 1200},
    {"ansi_1258", 38, 1258}};
constexpr int kNumCodePages = int(sizeof kCatalogue / sizeof kCatalogue[0]);
static_assert(kNumCodePages == AD_NUM_CODEPAGES, "the catalogue and its count must agree");

/* The largest number of double-byte codes a table can hold: every lead byte
 * 0x80-0xFF with every trail byte. */
constexpr int32_t kMaxDoubleBytes = 128 * 256;

void freetable(AdCodePageTable *t)
{
    if (!t) return;
    std::free(t->codes);
    std::free(t->unicodes);
    std::free(t);
}

bool readle16(uint16_t *out, int32_t n)
{
    for (int32_t done = 0; done < n;) {
        unsigned char buf[512];
        int32_t k = n - done < 256 ? n - done : 256;
        if (!adin->readinitchars(buf, 2, static_cast<size_t>(k))) return false;
        for (int32_t i = 0; i < k; ++i)
            out[done + i] = static_cast<uint16_t>(buf[2 * i] | buf[2 * i + 1] << 8);
        done += k;
    }
    return true;
}

/* Reads table `index` from the init data at its offset; null when the init
 * data has none or holds a table that breaks the layout. */
AdCodePageTable *readtable(int index)
{
    const uint32_t offset = adin->codepageoffset[index];
    if (offset == 0xFFFFFFFFu || !adin->openinit || !adin->seekinit || !adin->readinitchars ||
        !adin->closeinit)
        return nullptr;
    AdCodePageTable *t = static_cast<AdCodePageTable *>(std::calloc(1, sizeof(AdCodePageTable)));
    if (!t) return nullptr;
    if (!adin->openinit(adin->initfilename)) {
        std::free(t);
        return nullptr;
    }
    bool ok = adin->seekinit(static_cast<long>(offset), SEEK_SET) == 0 && readle16(t->single + 128, 128);
    uint16_t n = 0;
    ok = ok && readle16(&n, 1) && n <= kMaxDoubleBytes;
    if (ok && n > 0) {
        t->codes = static_cast<uint16_t *>(std::malloc(n * sizeof(uint16_t)));
        t->unicodes = static_cast<uint16_t *>(std::malloc(n * sizeof(uint16_t)));
        ok = t->codes && t->unicodes && readle16(t->codes, n) && readle16(t->unicodes, n);
        /* the search needs codes in increasing order, each with a lead byte */
        for (int32_t i = 0; ok && i < n; ++i)
            ok = t->codes[i] >= 0x8000 && (i == 0 || t->codes[i] > t->codes[i - 1]);
    }
    adin->closeinit();
    if (!ok) {
        freetable(t);
        return nullptr;
    }
    t->ndouble = n;
    for (int c = 0; c < 128; ++c) t->single[c] = static_cast<uint16_t>(c);
    for (int32_t i = 0; i < n; ++i) {
        const unsigned char lead = static_cast<unsigned char>(t->codes[i] >> 8);
        if (t->nleads == 0 || t->leads[t->nleads - 1] != lead) t->leads[t->nleads++] = lead;
    }
    return t;
}

/* The table of catalogue number `cp`, loaded on first use; null when the
 * page has none. A table that could not be read is not tried again. */
const AdCodePageTable *table(int cp)
{
    if (!adin || cp < 0 || cp >= kNumCodePages) return nullptr;
    const int index = kCatalogue[cp].table;
    if (index < 0 || index >= AD_CP_TABLES) return nullptr;
    if (!adin->cptable[index] && !adin->cpunreadable[index]) {
        adin->cptable[index] = readtable(index);
        if (!adin->cptable[index]) adin->cpunreadable[index] = 1;
    }
    return adin->cptable[index];
}

bool islead(const AdCodePageTable *t, unsigned char c)
{
    if (!t || t->nleads == 0 || c < t->leads[0]) return false;
    int lo = 0, hi = t->nleads;
    while (lo < hi) {
        int mid = (lo + hi) / 2;
        if (t->leads[mid] == c) return true;
        if (t->leads[mid] < c)
            lo = mid + 1;
        else
            hi = mid;
    }
    return false;
}

template <typename Change> char *changecase(char *text, Change change)
{
    if (!text) return text;
    const AdCodePageTable *t = table(adGetAcp());
    for (unsigned char *p = reinterpret_cast<unsigned char *>(text); *p; ++p) {
        if (islead(t, *p) && p[1]) {
            ++p;
            continue;
        }
        *p = change(*p);
    }
    return text;
}

} // namespace

extern "C" {

void adfreecodepagetables(void)
{
    if (!adin) return;
    for (int i = 0; i < AD_CP_TABLES; ++i) {
        freetable(adin->cptable[i]);
        adin->cptable[i] = nullptr;
        adin->cpunreadable[i] = 0;
    }
}

int adNumValidCodePages(void) { return kNumCodePages; }

const char *adCodePageName(int number)
{
    return number >= 0 && number < kNumCodePages ? kCatalogue[number].name : nullptr;
}

int adAsciiCodePageToShort(const char *name, int16_t *number)
{
    if (number) *number = 0;
    if (!name) return 0;
    for (int i = 0; i < kNumCodePages; ++i)
        if (adstricmp(name, kCatalogue[i].name) == 0) {
            if (number) *number = static_cast<int16_t>(i);
            return 1;
        }
    return 0;
}

int adCodePageTableIndex(int number)
{
    return number >= 0 && number < kNumCodePages ? kCatalogue[number].table : -1;
}

unsigned adAcadCp2Ansi(int number)
{
    return number >= 1 && number < kNumCodePages ? kCatalogue[number].windows : 0;
}

int adAnsiCp2Acad(unsigned windows)
{
    if (windows == 0) return 0;
    for (int i = kNumCodePages - 1; i > 0; --i)
        if (kCatalogue[i].windows == windows) return i;
    return 0;
}

void adSetAcp(int number)
{
    if (adin && number >= 0 && number < kNumCodePages) adin->acp = static_cast<int16_t>(number);
}

int adGetAcp(void) { return adin ? adin->acp : 0; }

int adCodePageCharToUnicode(int codepage, unsigned ch, uint16_t *unicode)
{
    if (unicode) *unicode = static_cast<uint16_t>(ch);
    const AdCodePageTable *t = table(codepage);
    if (!t || ch > 0xFFFF) return 0;
    if (ch < 256) {
        if (unicode) *unicode = t->single[ch];
        return 1;
    }
    int32_t lo = 0, hi = t->ndouble;
    while (lo < hi) {
        int32_t mid = (lo + hi) / 2;
        if (t->codes[mid] == ch) {
            if (unicode) *unicode = t->unicodes[mid];
            return 1;
        }
        if (t->codes[mid] < ch)
            lo = mid + 1;
        else
            hi = mid;
    }
    return 0;
}

int adUnicodeToCodePageChar(int codepage, unsigned unicode, uint16_t *ch)
{
    if (ch) *ch = 0;
    const AdCodePageTable *t = table(codepage);
    if (!t) return 0;
    /* a lead byte is no character on its own, whatever its entry says */
    for (int c = 0; c < 256; ++c)
        if (t->single[c] == unicode && !islead(t, static_cast<unsigned char>(c))) {
            if (ch) *ch = static_cast<uint16_t>(c);
            return 1;
        }
    for (int32_t i = 0; i < t->ndouble; ++i)
        if (t->unicodes[i] == unicode) {
            if (ch) *ch = t->codes[i];
            return 1;
        }
    return 0;
}

int adIsLeadByte(unsigned char c, int codepage) { return islead(table(codepage), c) ? 1 : 0; }

unsigned adGetCodePageChar(const char **cursor, int codepage)
{
    if (!cursor || !*cursor || !**cursor) return 0;
    const unsigned char *p = reinterpret_cast<const unsigned char *>(*cursor);
    /* a lead byte before the terminator stands alone */
    if (p[1] && adIsLeadByte(p[0], codepage)) {
        *cursor += 2;
        return static_cast<unsigned>(p[0]) << 8 | p[1];
    }
    *cursor += 1;
    return p[0];
}

void adPutCodePageChar(char **cursor, unsigned ch)
{
    if (!cursor || !*cursor) return;
    if (ch > 0xFF) *(*cursor)++ = static_cast<char>(ch >> 8 & 0xFF);
    *(*cursor)++ = static_cast<char>(ch & 0xFF);
}

char *adstrupr(char *text)
{
    return changecase(
        text, [](unsigned char c) { return static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 32 : c); });
}

char *adstrlwr(char *text)
{
    return changecase(
        text, [](unsigned char c) { return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
}

} // extern "C"
