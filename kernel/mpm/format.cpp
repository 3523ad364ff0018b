/* The message formatter: printf conversions, argument positions ("%2$s")
 * and named conversions ("%<PTR>").
 *
 * The text is scanned first. Every conversion names an argument group by
 * its position ("n$", else the previous position + 1); a group is a '*'
 * width int, a '*' precision int and the value, or whatever a named
 * conversion's handler takes. The type of every group is known before any
 * argument is fetched, and the groups are fetched in position order, so
 * "%2$s %1$d" reads an int and then a string. Fetching stops at the first
 * position that no conversion names or whose handler is unknown (its type,
 * and so the way to skip it, is unknown); conversions whose group was not
 * fetched, and conversions that give one position two different types, are
 * copied as they stand. Each standard conversion is rebuilt as a printf
 * pattern with concrete numbers and formatted alone with snprintf,
 * measured first, so nothing is ever written past a buffer. %n consumes its
 * pointer and writes nothing; %p prints hexadecimal digits without "0x",
 * so that texts written as "0x%p" print one prefix. Widths and precisions
 * are capped at kMaxField. Numbers are formatted in the "C" locale whatever
 * the host's locale is (a decimal point, never a comma). */
#include "kernel/mpm/mpm_int.h"

#include <limits.h>
#include <locale.h>
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <new>
#include <vector>

namespace {

constexpr int kMaxField = 100000;
constexpr int kMaxPosition = 1024;
constexpr size_t kMaxName = 31;

struct Buf {
    char *p = nullptr;
    size_t len = 0, cap = 0;
    bool bad = false;

    ~Buf() { free(p); }
    bool reserve(size_t extra)
    {
        if (bad) return false;
        if (len + extra + 1 <= cap) return true;
        size_t want = cap ? cap : 128;
        while (want < len + extra + 1) {
            if (want > SIZE_MAX / 2) {
                bad = true;
                return false;
            }
            want *= 2;
        }
        char *q = static_cast<char *>(realloc(p, want));
        if (!q) {
            bad = true;
            return false;
        }
        p = q;
        cap = want;
        return true;
    }
    void put(const char *s, size_t n)
    {
        if (n == 0 || !reserve(n)) return;
        memcpy(p + len, s, n);
        len += n;
        p[len] = '\0';
    }
    char *take()
    {
        if (bad || !reserve(0)) return nullptr;
        p[len] = '\0';
        char *r = p;
        p = nullptr;
        len = cap = 0;
        return r;
    }
};

enum Kind : unsigned char {
    K_NONE, /* "%%": no argument */
    K_INT,
    K_LONG,
    K_LLONG,
    K_SIZE,
    K_INTMAX,
    K_PTRDIFF,
    K_DOUBLE,
    K_LDOUBLE,
    K_STR,
    K_PTR,
    K_NAMED,
    K_UNKNOWN_NAMED
};

struct Conv {
    size_t begin = 0, end = 0; /* span of the conversion in the text */
    int pos = 0;
    char flags[8] = {};
    bool width_star = false, prec_star = false, has_width = false, has_prec = false;
    int width = 0, prec = 0;
    char length[3] = {};
    char conv = 0;
    Kind kind = K_NONE;
    MpmConversionHandler handler = nullptr;
    bool valid = true;
};

struct Group {
    bool used = false, fetched = false;
    bool width_star = false, prec_star = false;
    Kind kind = K_NONE;
    MpmConversionHandler handler = nullptr;
    int w = 0, pr = 0;
    union {
        long long i;
        long l;
        int n;
        size_t z;
        intmax_t j;
        ptrdiff_t t;
        double d;
        long double ld;
        const char *s;
        const void *ptr;
    } v{};
    char *text = nullptr;
};

/* Switches the calling thread to the "C" locale for its lifetime. */
class CLocale {
public:
    CLocale()
    {
        static locale_t c = newlocale(LC_ALL_MASK, "C", (locale_t)0);
        if (c) old_ = uselocale(c);
    }
    ~CLocale()
    {
        if (old_) uselocale(old_);
    }
    CLocale(const CLocale &) = delete;
    CLocale &operator=(const CLocale &) = delete;

private:
    locale_t old_ = (locale_t)0;
};

inline bool is_digit(char c) { return c >= '0' && c <= '9'; }

/* Reads decimal digits, saturating at kMaxField (or kMaxPosition + 1). */
int read_number(const char *s, size_t &i, int cap)
{
    int n = 0;
    while (is_digit(s[i])) {
        if (n <= cap) n = n * 10 + (s[i] - '0');
        if (n > cap) n = cap + 1;
        ++i;
    }
    return n;
}

/* Parses one conversion starting at the '%' at s[i]; false when the text
 * after '%' is no conversion (it is then copied as it stands). */
bool parse_conv(const char *s, size_t i, bool extended, int &last_pos, Conv &c)
{
    c.begin = i++;
    int pos = 0;
    if (is_digit(s[i]) && s[i] != '0') {
        size_t j = i;
        int n = read_number(s, j, kMaxPosition);
        if (s[j] == '$') {
            if (n > kMaxPosition) return false;
            pos = n;
            i = j + 1;
        }
    }
    if (s[i] == '<') {
        if (!extended) return false;
        size_t j = i + 1;
        /* A name longer than kMaxName is no conversion: the scan stops
         * before the name would overrun its buffer. */
        while (s[j] && s[j] != '>' && j - i - 1 < kMaxName) ++j;
        if (s[j] != '>' || j == i + 1) return false;
        char name[kMaxName + 1];
        memcpy(name, s + i + 1, j - i - 1);
        name[j - i - 1] = '\0';
        c.handler = mpm__FindConversion(name);
        c.kind = c.handler ? K_NAMED : K_UNKNOWN_NAMED;
        c.conv = '<';
        c.end = j + 1;
    } else {
        int nf = 0;
        while (s[i] && strchr("+- #0", s[i])) {
            if (nf < 6 && !strchr(c.flags, s[i])) c.flags[nf++] = s[i];
            ++i;
        }
        if (s[i] == '*') {
            c.width_star = c.has_width = true;
            ++i;
        } else if (is_digit(s[i])) {
            c.has_width = true;
            c.width = read_number(s, i, kMaxField);
            if (c.width > kMaxField) c.width = kMaxField;
        }
        if (s[i] == '.') {
            c.has_prec = true;
            ++i;
            if (s[i] == '*') {
                c.prec_star = true;
                ++i;
            } else {
                c.prec = read_number(s, i, kMaxField);
                if (c.prec > kMaxField) c.prec = kMaxField;
            }
        }
        char len[3] = {};
        if (s[i] == 'h' || s[i] == 'l') {
            len[0] = s[i++];
            if (s[i] == len[0]) len[1] = s[i++];
        } else if (s[i] && strchr("Lqzjt", s[i])) {
            len[0] = s[i++];
        }
        char conv = s[i];
        if (!conv || !strchr("cfnudgoxeGpXEis%", conv)) return false;
        c.conv = conv;
        c.end = i + 1;
        switch (conv) {
        case '%': c.kind = K_NONE; break;
        case 'c': c.kind = K_INT; break;
        case 's': c.kind = K_STR; break;
        case 'p':
        case 'n': c.kind = K_PTR; break;
        case 'e':
        case 'E':
        case 'f':
        case 'g':
        case 'G':
            c.kind = len[0] == 'L' ? K_LDOUBLE : K_DOUBLE;
            if (c.kind == K_LDOUBLE) c.length[0] = 'L';
            break;
        default: /* d i o u x X */
            if (len[0] == 'l' && !len[1]) {
                c.kind = K_LONG;
                c.length[0] = 'l';
            } else if ((len[0] == 'l' && len[1]) || len[0] == 'q' || len[0] == 'L') {
                c.kind = K_LLONG;
                c.length[0] = c.length[1] = 'l';
            } else if (len[0] == 'z' || len[0] == 'j' || len[0] == 't') {
                c.kind = len[0] == 'z' ? K_SIZE : len[0] == 'j' ? K_INTMAX : K_PTRDIFF;
                c.length[0] = len[0];
            } else {
                c.kind = K_INT;
                c.length[0] = len[0];
                c.length[1] = len[1];
            }
        }
    }
    if (c.kind != K_NONE) {
        c.pos = pos ? pos : last_pos + 1;
        if (c.pos > kMaxPosition) return false;
        last_pos = c.pos;
    }
    return true;
}

void fetch(Group &g, int options, va_list *ap)
{
    if (g.width_star) g.w = va_arg(*ap, int);
    if (g.prec_star) g.pr = va_arg(*ap, int);
    switch (g.kind) {
    case K_INT: g.v.n = va_arg(*ap, int); break;
    case K_LONG: g.v.l = va_arg(*ap, long); break;
    case K_LLONG: g.v.i = va_arg(*ap, long long); break;
    case K_SIZE: g.v.z = va_arg(*ap, size_t); break;
    case K_INTMAX: g.v.j = va_arg(*ap, intmax_t); break;
    case K_PTRDIFF: g.v.t = va_arg(*ap, ptrdiff_t); break;
    case K_DOUBLE: g.v.d = va_arg(*ap, double); break;
    case K_LDOUBLE: g.v.ld = va_arg(*ap, long double); break;
    case K_STR: g.v.s = va_arg(*ap, const char *); break;
    case K_PTR: g.v.ptr = va_arg(*ap, const void *); break;
    case K_NAMED: g.text = g.handler(options, ap); break;
    case K_NONE:
    case K_UNKNOWN_NAMED: break;
    }
    g.fetched = true;
}

template <typename T> void put_printf(Buf &out, const char *pattern, T value)
{
    int n = snprintf(nullptr, 0, pattern, value);
    if (n <= 0 || !out.reserve((size_t)n)) return;
    snprintf(out.p + out.len, (size_t)n + 1, pattern, value);
    out.len += (size_t)n;
}

void render(Buf &out, const Conv &c, const Group &g)
{
    if (c.kind == K_NAMED) {
        if (g.text) out.put(g.text, strlen(g.text));
        return;
    }
    if (c.conv == 'n') return;
    if (c.conv == '%') {
        out.put("%", 1);
        return;
    }
    char flags[8];
    strcpy(flags, c.flags);
    int width = c.width, prec = c.prec;
    bool has_prec = c.has_prec;
    if (c.width_star) {
        long w = g.w;
        if (w < 0) {
            if (!strchr(flags, '-')) strcat(flags, "-");
            w = -w;
        }
        width = w > kMaxField ? kMaxField : (int)w;
    }
    if (c.prec_star) {
        if (g.pr < 0)
            has_prec = false;
        else
            prec = g.pr > kMaxField ? kMaxField : g.pr;
    }
    char pattern[64];
    int n = snprintf(pattern, sizeof pattern, "%%%s", flags);
    if (c.has_width) n += snprintf(pattern + n, sizeof pattern - (size_t)n, "%d", width);
    if (has_prec) n += snprintf(pattern + n, sizeof pattern - (size_t)n, ".%d", prec);
    if (c.conv == 'p') {
        snprintf(pattern + n, sizeof pattern - (size_t)n, "lx");
        put_printf(out, pattern, (unsigned long)(uintptr_t)g.v.ptr);
        return;
    }
    snprintf(pattern + n, sizeof pattern - (size_t)n, "%s%c", c.length, c.conv);
    switch (c.kind) {
    case K_INT: put_printf(out, pattern, g.v.n); break;
    case K_LONG: put_printf(out, pattern, g.v.l); break;
    case K_LLONG: put_printf(out, pattern, g.v.i); break;
    case K_SIZE: put_printf(out, pattern, g.v.z); break;
    case K_INTMAX: put_printf(out, pattern, g.v.j); break;
    case K_PTRDIFF: put_printf(out, pattern, g.v.t); break;
    case K_DOUBLE: put_printf(out, pattern, g.v.d); break;
    case K_LDOUBLE: put_printf(out, pattern, g.v.ld); break;
    case K_STR: put_printf(out, pattern, g.v.s ? g.v.s : "(null)"); break;
    default: break;
    }
}

char *format(int options, const char *text, bool extended, va_list *ap)
{
    std::vector<Conv> convs;
    int last_pos = 0, max_pos = 0;
    for (size_t i = 0; text[i]; ++i) {
        if (text[i] != '%') continue;
        Conv c;
        if (!parse_conv(text, i, extended, last_pos, c)) continue;
        if (c.pos > max_pos) max_pos = c.pos;
        i = c.end - 1;
        convs.push_back(c);
    }

    std::vector<Group> groups((size_t)max_pos + 1);
    for (Conv &c : convs) {
        if (c.kind == K_NONE) continue;
        Group &g = groups[(size_t)c.pos];
        if (!g.used) {
            g.used = true;
            g.kind = c.kind;
            g.width_star = c.width_star;
            g.prec_star = c.prec_star;
            g.handler = c.handler;
        } else if (g.kind != c.kind || g.width_star != c.width_star || g.prec_star != c.prec_star ||
                   g.handler != c.handler) {
            c.valid = false;
        }
    }
    if (ap) {
        for (int p = 1; p <= max_pos; ++p) {
            Group &g = groups[(size_t)p];
            if (!g.used || g.kind == K_UNKNOWN_NAMED) break;
            fetch(g, options, ap);
        }
    }

    Buf out;
    CLocale c_numbers;
    size_t at = 0;
    for (const Conv &c : convs) {
        out.put(text + at, c.begin - at);
        at = c.end;
        const Group &g = groups[(size_t)c.pos];
        if (c.kind == K_NONE || (c.valid && g.fetched))
            render(out, c, g);
        else
            out.put(text + c.begin, c.end - c.begin);
    }
    out.put(text + at, strlen(text + at));
    for (Group &g : groups) free(g.text);
    return out.take();
}

} // namespace

extern "C" {

char *mpm__FormatMessage(int options, const char *text, int extended, va_list *args)
{
    if (!text) text = "";
    try {
        return format(options, text, extended != 0, args);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

char *mpm__Format(const char *text, ...)
{
    va_list ap;
    va_start(ap, text);
    char *r = mpm__FormatMessage(0, text, 1, &ap);
    va_end(ap);
    return r;
}

} // extern "C"
