/* The character converter (see the header for what it produces).
 *
 * BuildFromChar walks the text once. Bytes that start no code (by a
 * 256-entry class table) extend the pending run of plain text; a lead byte
 * of the decoding page takes its trail byte with it. At a byte that may
 * start a code the codes are tried in a fixed order; when one matches, the
 * pending run is converted through the code page in one call and the code's
 * output follows, otherwise the byte joins the run. Characters collect in a
 * local buffer that is appended to the output once. Every look-ahead checks
 * the bytes left first. */
#include "Dxf2Cgm/VyrDxfUCConverter.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "kernel/mpm/mpm.h"
#include "platform/base/VyrCodePage.h"
#include "platform/base/VyrRawCollint.h"
#include "platform/base/VyrUnicodeString.h"

#include "vyr_bigfont_tables.inc"

VyrCodePage *VyrDxfUCConverter::_codePage = nullptr;
VyrString VyrDxfUCConverter::_codePageName;
int VyrDxfUCConverter::_codePageDigit = 0;
bool VyrDxfUCConverter::_diameterIsOSlash = false;
VyrCodePage *VyrDxfUCConverter::_dbcsPages[6] = {};

namespace {

/* The pages of the \M+ digits; 0 is unused. */
const char *const kDbcsPageNames[6] = {nullptr, "CP932", "CP950", "CP949", "JOHAB", "CP936"};

enum LeadKind { kNoLeads, kShiftJis, kLeads81FE, kJohab, kLeadKinds };
enum ByteClass : unsigned char { kPlain, kSpecial, kLead };

bool IsLead(LeadKind kind, unsigned c)
{
    switch (kind) {
    case kShiftJis: return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    case kLeads81FE: return c >= 0x81 && c <= 0xFE;
    case kJohab: return (c >= 0x84 && c <= 0xD3) || (c >= 0xD8 && c <= 0xDE) || (c >= 0xE0 && c <= 0xF9);
    default: return false;
    }
}

/* Class tables by lead kind and text kind. */
struct ClassTables {
    unsigned char t[kLeadKinds][2][256];
    ClassTables()
    {
        for (int k = 0; k < kLeadKinds; ++k)
            for (int m = 0; m < 2; ++m)
                for (unsigned c = 0; c < 256; ++c) {
                    unsigned char v = kPlain;
                    if (c == '\\' || c == '%' || c == '|' || (m && (c == '{' || c == '}'))) v = kSpecial;
                    if (IsLead(static_cast<LeadKind>(k), c)) v = kLead;
                    t[k][m][c] = v;
                }
    }
};

const unsigned char *Classes(LeadKind kind, bool mtext)
{
    static const ClassTables tables;
    return tables.t[kind][mtext ? 1 : 0];
}

bool Equals(const char *a, const char *b)
{
    for (;; ++a, ++b) {
        char x = VyrAsciiLower(*a), y = VyrAsciiLower(*b);
        if (x != y) return false;
        if (!x) return true;
    }
}

bool OneOf(const char *name, std::initializer_list<const char *> names)
{
    for (const char *n : names)
        if (Equals(name, n)) return true;
    return false;
}

/* The \M+ digit of an iconv code page, 0 for a single-byte page. */
int DigitOfIconvName(const char *iconv)
{
    if (Equals(iconv, "CP932") || Equals(iconv, "EUC-JP")) return 1;
    if (Equals(iconv, "CP950") || Equals(iconv, "EUC-TW") || Equals(iconv, "BIG5")) return 2;
    if (Equals(iconv, "CP949") || Equals(iconv, "EUC-KR") || Equals(iconv, "UHC")) return 3;
    if (Equals(iconv, "JOHAB")) return 4;
    if (Equals(iconv, "CP936") || Equals(iconv, "EUC-CN") || Equals(iconv, "GBK")) return 5;
    return 0;
}

LeadKind LeadKindOfDigit(int digit)
{
    switch (digit) {
    case 1: return kShiftJis;
    case 2:
    case 3:
    case 5: return kLeads81FE;
    case 4: return kJohab;
    default: return kNoLeads;
    }
}

/* The \M+ digit of a big font's own code page, 0 when its name says none. */
int DigitOfBigFont(const char *file)
{
    if (!file) return 0;
    const char *base = file;
    for (const char *p = file; *p; ++p)
        if (*p == '/' || *p == '\\') base = p + 1;
    if (*base == '@') ++base;
    char stem[32];
    size_t n = 0;
    for (; base[n] && base[n] != '.' && n + 1 < sizeof stem; ++n) stem[n] = VyrAsciiLower(base[n]);
    stem[n] = 0;
    if (!std::strncmp(stem, "bigfont", 7) || !std::strncmp(stem, "extfont", 7)) return 1;
    if (!std::strcmp(stem, "chineset")) return 2;
    if (OneOf(stem, {"whgtxt", "whgdtxt", "whtgtxt", "whtmtxt"})) return 3;
    if (OneOf(stem, {"gbcbig", "hztxt"})) return 5;
    return 0;
}

int HexDigit(unsigned char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

/* Four hexadecimal digits at s as a number, -1 when one is not. */
long Hex4(const unsigned char *s)
{
    long v = 0;
    for (int i = 0; i < 4; ++i) {
        int d = HexDigit(s[i]);
        if (d < 0) return -1;
        v = v << 4 | d;
    }
    return v;
}

/* One walk of BuildFromChar over a text. */
class Walk {
public:
    Walk(const unsigned char *s, size_t n, VyrCodePage *page, VyrCodePage *textPage, LeadKind leads,
         bool mtext, int base, VyrRawCollint *codes, int &flags, bool diameterIsOSlash,
         VyrCodePage *(*dbcs)(int), std::vector<unsigned short> &units)
        : s_(s), page_(page), textPage_(textPage), cls_(Classes(leads, mtext)), mtext_(mtext), base_(base),
          codes_(codes), flags_(flags), oslash_(diameterIsOSlash), dbcs_(dbcs), buf_(units)
    {
        buf_.reserve(n);
    }

    /* Walks [p, end); end never splits a lead byte from its trail. */
    void Run(size_t p, size_t end, int depth)
    {
        size_t run = p;
        while (p < end) {
            const unsigned char k = cls_[s_[p]];
            if (k == kPlain) {
                ++p;
                continue;
            }
            if (k == kLead) {
                p += p + 1 < end ? 2 : 1;
                continue;
            }
            const size_t at = p;
            size_t next = Code(at, end, run, depth);
            if (next == at) {
                ++p; /* no code: the byte is text */
            } else {
                p = next;
                run = p;
            }
        }
        Flush(run, end);
    }

    const std::vector<unsigned short> &Units() const { return buf_; }

private:
    void Flush(size_t from, size_t to)
    {
        if (to <= from) return;
        const size_t at = buf_.size();
        buf_.resize(at + (to - from));
        int got = 0;
        textPage_->ConvertStrToUcs(reinterpret_cast<const char *>(s_ + from), static_cast<int>(to - from),
                                   buf_.data() + at, &got);
        buf_.resize(at + static_cast<size_t>(got > 0 ? got : 0));
    }
    void Put(unsigned short u) { buf_.push_back(u); }
    /* A symbol of the %%-codes and \U+, whose place the caller may want. */
    void Symbol(unsigned short u)
    {
        if (codes_) codes_->Append(base_ + static_cast<int>(buf_.size()));
        buf_.push_back(u);
    }
    /* One byte through the drawing's code page. */
    void Byte(unsigned char b)
    {
        unsigned short u[2];
        int got = 0;
        const char c = static_cast<char>(b);
        page_->ConvertStrToUcs(&c, 1, u, &got);
        if (got > 0) Symbol(u[0]);
    }
    /* A double-byte code of the page the \M+ digit selects. */
    void Dbcs(int digit, long code)
    {
        VyrCodePage *page = dbcs_(digit);
        if (!page) return;
        const char bytes[2] = {static_cast<char>(code >> 8 & 0xFF), static_cast<char>(code & 0xFF)};
        unsigned short u[2];
        int got = 0;
        if (code > 0xFF)
            page->ConvertStrToUcs(bytes, 2, u, &got);
        else if (code > 0)
            page->ConvertStrToUcs(bytes + 1, 1, u, &got);
        if (got > 0) Put(u[0]);
    }
    /* The first ";" at or after p before end, stepping over double-byte
     * characters; end when there is none. */
    size_t Semicolon(size_t p, size_t end) const
    {
        while (p < end && s_[p] != ';') p += cls_[s_[p]] == kLead && p + 1 < end ? 2 : 1;
        return p;
    }

    /* Tries the codes at p, flushing the pending run [run, p) before a
     * code's output. Returns where the walk goes on, or p for no code. */
    size_t Code(size_t p, size_t end, size_t run, int depth)
    {
        const unsigned char *s = s_ + p;
        const size_t left = end - p;
        const unsigned char c = s[0];
        if (c == '\\' && left >= 3 && (s[1] == 'M' || s[1] == 'm') && s[2] == '+') {
            if (left < 8 || s[3] < '1' || s[3] > '5') return p;
            long code = Hex4(s + 4);
            if (code < 0) return p;
            Flush(run, p);
            Dbcs(s[3] - '0', code);
            return p + 8;
        }
        if (c == '\\' && left >= 3 && s[1] == 'U' && s[2] == '+') {
            long code = left >= 7 ? Hex4(s + 3) : -1;
            if (code < 0) return p;
            Flush(run, p);
            if (code > 0) Symbol(static_cast<unsigned short>(code));
            return p + 7;
        }
        if (c == '%') return left >= 3 && s[1] == '%' ? Percent(p, end, run) : p;
        if (c == '|' && left >= 2 && (s[1] == 'd' || s[1] == 'B' || s[1] == 'A')) {
            Flush(run, p);
            Symbol(s[1] == 'd' ? 0x00B1 : s[1] == 'B' ? 0x00B0 : 0x2300);
            return p + 2;
        }
        if (!mtext_) return p;
        if (c == '{' || c == '}') {
            Flush(run, p);
            return p + 1;
        }
        if (c == '\\' && left >= 2) return Format(p, end, run, depth);
        return p;
    }

    size_t Percent(size_t p, size_t end, size_t run)
    {
        const unsigned char *s = s_ + p;
        const size_t left = end - p;
        auto digit = [](unsigned char x) { return x >= '0' && x <= '9'; };
        if (left >= 5 && digit(s[2]) && digit(s[3]) && digit(s[4])) {
            const int v = (s[2] - '0') * 100 + (s[3] - '0') * 10 + (s[4] - '0');
            Flush(run, p);
            if (v == 128)
                Symbol(0x00B1);
            else if (v == 127)
                Symbol(0x00B0);
            else if (v == 153)
                Symbol(0x2300);
            else if (v >= 130 && v <= 133)
                Symbol('?');
            else if (v <= 255)
                Byte(static_cast<unsigned char>(v));
            return p + 5;
        }
        switch (s[2]) {
        case 'u':
        case 'U': Flush(run, p), flags_ |= VyrDxfUCConverter::kUnderline; return p + 3;
        case 'o':
        case 'O': Flush(run, p), flags_ |= VyrDxfUCConverter::kOverline; return p + 3;
        case '%': Flush(run, p), Put('%'); return p + 3;
        case 'p':
        case 'P': Flush(run, p), Symbol(0x00B1); return p + 3;
        case 'd':
        case 'D': Flush(run, p), Symbol(0x00B0); return p + 3;
        case 'c':
        case 'C': Flush(run, p), Symbol(oslash_ ? 0x00D8 : 0x2300); return p + 3;
        default: break;
        }
        /* any other %%-code takes five characters and draws nothing */
        if (left < 5) return p;
        Flush(run, p);
        return p + 5;
    }

    /* The formatting codes of a multiline text at a backslash. */
    size_t Format(size_t p, size_t end, size_t run, int depth)
    {
        const unsigned char x = s_[p + 1];
        if (x == 0 || !std::strchr("PXN~\\{}LlOoKkAFfSHCcTQWp", x)) return p; /* not a code: text */
        Flush(run, p);
        switch (x) {
        case 'P':
        case 'X':
        case 'N': Put('\n'); return p + 2;
        case '~': Put(' '); return p + 2;
        case '\\':
        case '{':
        case '}': Put(x); return p + 2;
        case 'L': flags_ |= VyrDxfUCConverter::kUnderline; return p + 2;
        case 'O': flags_ |= VyrDxfUCConverter::kOverline; return p + 2;
        case 'A': return p + 4 < end ? p + 4 : end;
        case 'F':
        case 'f': {
            const size_t semi = Semicolon(p + 2, end);
            if (semi == end) return p + 2;
            for (size_t i = p + 2; i + 2 < semi; ++i)
                if (s_[i] == '|' && s_[i + 2] == '1') {
                    if (s_[i + 1] == 'b' || s_[i + 1] == 'B') flags_ |= VyrDxfUCConverter::kBold;
                    if (s_[i + 1] == 'i' || s_[i + 1] == 'I') flags_ |= VyrDxfUCConverter::kItalic;
                }
            return semi + 1;
        }
        case 'S': {
            const size_t semi = Semicolon(p + 2, end);
            if (semi == end || depth > 0) return p + 2;
            /* numerator, separator, denominator: "a/b" */
            size_t sep = p + 2;
            while (sep < semi && s_[sep] != '^' && s_[sep] != '/' && s_[sep] != '#') {
                if (s_[sep] == '\\' && sep + 2 <= semi)
                    sep += 2;
                else
                    sep += cls_[s_[sep]] == kLead && sep + 1 < semi ? 2 : 1;
            }
            if (sep > semi) sep = semi;
            Run(p + 2, sep, depth + 1);
            if (sep < semi) {
                Put('/');
                Run(sep + 1, semi, depth + 1);
            }
            return semi + 1;
        }
        case 'H':
        case 'C':
        case 'c':
        case 'T':
        case 'Q':
        case 'W':
        case 'p': {
            const size_t semi = Semicolon(p + 2, end);
            return semi == end ? p + 2 : semi + 1;
        }
        default: return p + 2; /* \l \o \K \k */
        }
    }

    const unsigned char *s_;
    VyrCodePage *page_;     /* the drawing's code page: %%nnn */
    VyrCodePage *textPage_; /* the page of the plain text */
    const unsigned char *cls_;
    bool mtext_;
    int base_;
    VyrRawCollint *codes_;
    int &flags_;
    bool oslash_;
    VyrCodePage *(*dbcs_)(int);
    std::vector<unsigned short> &buf_;
};

} // namespace

VyrDxfUCConverter::~VyrDxfUCConverter()
{
    delete _codePage;
    _codePage = nullptr;
    for (VyrCodePage *&p : _dbcsPages) {
        delete p;
        p = nullptr;
    }
}

void VyrDxfUCConverter::SetCodePage(const char *name)
{
    if (!name) name = "";
    delete _codePage;
    isJapanese = std::strstr(name, "932") != nullptr;
    _codePage = new (std::nothrow) VyrCodePage(name);
    _codePageName = name;
    _codePageDigit = _codePage ? DigitOfIconvName(_codePage->GetIconvName()) : 0;
    _diameterIsOSlash = OneOf(name, {"ansi_1252", "1252"});
}

VyrCodePage *VyrDxfUCConverter::DbcsPage(int digit)
{
    if (digit < 1 || digit > 5) return nullptr;
    if (!_dbcsPages[digit]) _dbcsPages[digit] = new (std::nothrow) VyrCodePage(kDbcsPageNames[digit]);
    return _dbcsPages[digit];
}

void VyrDxfUCConverter::BuildFromChar(const char *text, VyrUnicodeString *out, VyrRawCollint *codes,
                                      int &flags, short isDBCS, TextKind kind, const char *bigFont)
{
    flags = 0;
    if (!text || !*text || !out) return;
    if (!_codePage) SetCodePage(_codePageName.GetText());
    if (!_codePage) return;
    const int drawingDigit = _codePageDigit;
    VyrCodePage *textPage = _codePage;
    int digit = drawingDigit;
    if (isDBCS) {
        digit = DigitOfBigFont(bigFont);
        if (!digit) digit = drawingDigit ? drawingDigit : 1;
        textPage = DbcsPage(digit);
        if (!textPage) return;
    }
    const size_t n = std::strlen(text);
    /* the characters collect here, text after text, without an allocation each */
    thread_local std::vector<unsigned short> units;
    units.clear();
    Walk walk(reinterpret_cast<const unsigned char *>(text), n, _codePage, textPage, LeadKindOfDigit(digit),
              kind == kMText, out->GetLengthInChar(), codes, flags, _diameterIsOSlash,
              &VyrDxfUCConverter::DbcsPage, units);
    walk.Run(0, n, 0);
    out->Append(walk.Units().data(), static_cast<int>(walk.Units().size()));
}

bool VyrDxfUCConverter::BuildHexaValueFromChar(const char *digits, int *values)
{
    if (!digits || !values) return false;
    bool ok = true;
    for (int i = 0; i < 4; ++i) {
        values[i] = ok ? HexDigit(static_cast<unsigned char>(digits[i])) : -1;
        if (values[i] < 0) ok = false; /* stop at the terminator of a short text */
    }
    return ok;
}

void VyrDxfUCConverter::MappFontWithCodePage(VyrUnicodeString *font) const
{
    if (!font) return;
    const char *name = GetCodePageName();
    /* Every text asks once per write; the answer only changes with the
     * code page. */
    thread_local std::string lastName;
    thread_local const char *lastFile = nullptr;
    if (lastFile && lastName == name) {
        *font = lastFile;
        return;
    }
    const char *file = "Coure.pfb";
    if (OneOf(name, {"932", "IBM-932", "dos932", "ansi_932"}))
        file = "KANJ.font";
    else if (OneOf(name, {"950", "EUC-TW", "big5", "ansi_950"}))
        file = "TRCH.font";
    else if (OneOf(name, {"949", "EUC-KR", "ksc5601", "ansi_949", "johab", "ansi_1361"}))
        file = "KOHG.font";
    else if (OneOf(name, {"936", "EUC-CN", "gb2312", "ansi_936"}))
        file = "SICH.font";
    else if (OneOf(name, {"1252", "ISO8859-1"}))
        file = "Monos.pfb";
    else if (OneOf(name, {"1250", "ISO8859-2", "ansi_1250", "1251", "ISO8859-5", "ansi_1251"}))
        file = "SSS2.font";
    else if (OneOf(name, {"ansi_1252", "dos850"}))
        file = "SwissCL.pfb";
    *font = file;
    lastName = name;
    lastFile = file;
}

void VyrDxfUCConverter::SubstituteAllGDT(VyrUnicodeString &text)
{
    static const unsigned short kSymbols[26] = {0x2220, 0x22A5, 0xF000, 0x2313, 0x25EF, 0x2225, 0x232D,
                                                0x2197, 0x232F, 0x2316, 0x2312, 0x24C1, 0x24C2, 0x2300,
                                                'o',    0x24C5, 0x2104, 0x233E, 0x24C8, 0x2330, 0x2500,
                                                0x2334, 0x2335, 0x21A7, 0x2332, 0x2333};
    const int n = text.GetLengthInChar();
    std::vector<unsigned short> units(text.GetBuffer(), text.GetBuffer() + n);
    bool changed = false;
    for (unsigned short &u : units)
        if (u >= 'a' && u <= 'z' && u != 'o') {
            u = kSymbols[u - 'a'];
            changed = true;
        }
    if (changed) text.BuildFromUCChar(units.data(), n);
}

unsigned short VyrDxfUCConverter::FromBigFontToUnicode(const unsigned short *code)
{
    if (!code) return 255;
    const unsigned c = *code;
    unsigned short u = 0;
    if (c <= 0xFF)
        u = BigFont00ToUnicode[c];
    else if (c >= 0x8000 && c <= 0x8FFF)
        u = BigFont8ToUnicode[c - 0x8000];
    else if (c >= 0x9000 && c <= 0x9FFF)
        u = BigFont9ToUnicode[c - 0x9000];
    else if (c >= 0xE000 && c <= 0xEFFF)
        u = BigFontEToUnicode[c - 0xE000];
    else if (c >= 0xF000)
        u = BigFontFToUnicode[c - 0xF000];
    if (u) return u;
    char message[64];
    std::snprintf(message, sizeof message, "VyrDxfUCConverter: No mapping for bigfont 0x%4.4x\n", c);
    mpm_Printf("%s", message);
    return 255;
}
