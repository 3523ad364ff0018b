/* The extended formatter: standard conversions, argument positions, named
 * conversions, %n and %p, bounded output and tagged argument lists. */
#include "../kernel_fixture.h"

#include <clocale>
#include <cstdarg>
#include <cstdlib>
#include <string>

namespace {

class FormatTest : public vyrtest::KernelTest {
protected:
    static std::string fmt(const char *format, ...)
    {
        va_list ap;
        va_start(ap, format);
        char *r = mpm__FormatMessage(0, format, 1, &ap);
        va_end(ap);
        std::string s = r ? r : "<null>";
        free(r);
        return s;
    }
    static std::string plain(const char *format, ...)
    {
        va_list ap;
        va_start(ap, format);
        char *r = mpm__FormatMessage(0, format, 0, &ap);
        va_end(ap);
        std::string s = r ? r : "<null>";
        free(r);
        return s;
    }
};

TEST_F(FormatTest, StandardConversions)
{
    EXPECT_EQ(fmt("%d|%5d|%-5d|%05d|%+d|% d", 42, 42, 42, 42, 42, 42), "42|   42|42   |00042|+42| 42");
    EXPECT_EQ(fmt("%ld %lu %lx %lX %lo", -5L, 7UL, 255L, 255L, 8L), "-5 7 ff FF 10");
    EXPECT_EQ(fmt("%lld %hd %c %i", 1LL << 40, 70000, 'Z', -3), "1099511627776 4464 Z -3");
    EXPECT_EQ(fmt("%.3f %e %G %g", 3.14159, 1234.5, 0.00001, 2.5), "3.142 1.234500e+03 1E-05 2.5");
    EXPECT_EQ(fmt("%Lf", (long double)1.5), "1.500000");
    EXPECT_EQ(fmt("%s|%.2s|%6s|%-6s|", "abc", "abc", "abc", "abc"), "abc|ab|   abc|abc   |");
    EXPECT_EQ(fmt("%s", (const char *)nullptr), "(null)");
    EXPECT_EQ(fmt("100%% %zu", (size_t)9), "100% 9");
    EXPECT_EQ(fmt("%*d|%-*d|%.*f|%*d", 4, 7, 3, 7, 2, 1.0, -4, 7), "   7|7  |1.00|7   ");
    EXPECT_EQ(fmt("%.*s", -1, "whole"), "whole");
    EXPECT_EQ(fmt("%#x %#o", 255, 8), "0xff 010");
}

TEST_F(FormatTest, UnknownConversionsAreCopiedAsTheyStand)
{
    EXPECT_EQ(fmt("a %y b %d", 5), "a %y b 5");
    EXPECT_EQ(fmt("tail %"), "tail %");
    EXPECT_EQ(fmt("%5"), "%5");
    EXPECT_EQ(plain("%<TF> %d", 3), "%<TF> 3");                /* plain texts know no names */
    EXPECT_EQ(fmt("%<NoSuchName> %d", 3), "%<NoSuchName> %d"); /* unknown: nothing fetched */
    EXPECT_EQ(fmt("%<unterminated %d", 3), "%<unterminated 3");
}

TEST_F(FormatTest, NamesLongerThanTheLongestConversionNameAreText)
{
    /* 31 characters is the longest name a conversion can have; one more is
     * plain text, so the argument goes to the next conversion. */
    const std::string longest(31, 'N'), over(32, 'N'), far(300, 'N');
    EXPECT_EQ(fmt(("%<" + longest + "> %d").c_str(), 3), "%<" + longest + "> %d");
    EXPECT_EQ(fmt(("%<" + over + "> %d").c_str(), 3), "%<" + over + "> 3");
    EXPECT_EQ(fmt(("%<" + far + "> %d").c_str(), 3), "%<" + far + "> 3");
}

TEST_F(FormatTest, PositionalArguments)
{
    EXPECT_EQ(fmt("%2$s %1$s", "a", "b"), "b a");
    /* types differ per position: an int and a double travel differently */
    EXPECT_EQ(fmt("%2$.1f-%1$d-%3$s", 7, 2.5, "x"), "2.5-7-x");
    EXPECT_EQ(fmt("%1$s%1$s", "ab"), "abab");
    EXPECT_EQ(fmt("%3$s %1$s %2$s", "a", "b", "c"), "c a b");
    /* a position without a conversion stops the fetch: nothing is guessed */
    EXPECT_EQ(fmt("%1$d %3$d", 1, 2, 3), "1 %3$d");
    /* one position, two types: the second use is not trusted */
    EXPECT_EQ(fmt("%1$d %1$s", 5), "5 %1$s");
    /* an unnumbered conversion takes the position after the previous one */
    EXPECT_EQ(fmt("%1$s %s", "a", "b"), "a b");
    EXPECT_EQ(fmt("%2$s %s", "a", "b", "c"), "%2$s %s"); /* position 1 unnamed: its type is unknown */
    EXPECT_EQ(fmt("%2$*1$d", 3, 4), "%2$*1$d");
}

TEST_F(FormatTest, PercentNIsNeverHonoured)
{
    int target = 77;
    EXPECT_EQ(fmt("ab%ncd%d", &target, 5), "abcd5");
    EXPECT_EQ(target, 77);
}

TEST_F(FormatTest, PointerPrintsOnePrefix)
{
    void *p = reinterpret_cast<void *>(uintptr_t{0x1234abcd});
    EXPECT_EQ(fmt("0x%p", p), "0x1234abcd");
    EXPECT_EQ(fmt("%p", (void *)nullptr), "0");
    char *t = nullptr;
    mpm_GetMessage(0, 0x90026, &t, p); /* "Bad MBlock found at address 0x%p.\n" */
    EXPECT_STREQ(t, "Bad MBlock found at address 0x1234abcd.\n");
    free(t);
}

TEST_F(FormatTest, LongResultsGrowAndHugeFieldsAreCapped)
{
    std::string big(20000, 'q');
    std::string r = fmt("<%s>", big.c_str());
    EXPECT_EQ(r.size(), big.size() + 2);
    EXPECT_EQ(r.substr(1, 20000), big);
    std::string w = fmt("%*d", 1 << 30, 1);
    EXPECT_EQ(w.size(), 100000u);
    std::string w2 = fmt("%999999999d", 1);
    EXPECT_EQ(w2.size(), 100000u);
}

TEST_F(FormatTest, NumbersIgnoreTheLocale)
{
    const char *old = setlocale(LC_NUMERIC, nullptr);
    std::string saved = old ? old : "C";
    if (!setlocale(LC_NUMERIC, "de_DE.UTF-8")) GTEST_SKIP() << "no German locale installed";
    std::string r = fmt("%.1f", 1.5);
    setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(r, "1.5");
}

TEST_F(FormatTest, NamedConversionsMixWithPositions)
{
    EXPECT_EQ(fmt("%<TF> %d", (300u << 16) | 1u, 9), "300:1 9");
    EXPECT_EQ(fmt("%2$<PTR> %1$s", "x", (3u << 25) | 17u), "#3:17 x");
    /* a message text with the '+' marker */
    char *t = nullptr;
    mpm_GetMessage(0, 0xD000B, &t, (300u << 16) | 0u, (1u << 25) | 2u); /* FMT_TEST */
    EXPECT_STREQ(t, "TF = 300:0, PTR = #1:2\n");
    free(t);
    t = nullptr;
    unsigned a = (1u << 25) | 5u, b = (2u << 25) | 6u;
    mpm_GetMessage(0, 0x90024, &t, a, a, b, b); /* MDA_CROSS_MODEL_PTR */
    EXPECT_STREQ(t, "Cross model pointers are not currently supported.  Entity #1:5 (0x2000005) referenced "
                    "entity #2:6 (0x4000006).  Pointer will be changed to MDA_NULL_PTR.\n");
    free(t);
}

TEST_F(FormatTest, ExtendedOptionTurnsOnNamesForPlainTexts)
{
    char *t = nullptr;
    mpm_GetMessage(0, 0x64000B, &t, "%<TF>"); /* KESTRANE_ERR "%s\n": the argument is not a format */
    EXPECT_STREQ(t, "%<TF>\n");
    free(t);
}

/* A function that forwards its own va_list as a tagged list twice. */
std::string twice(int code, ...)
{
    va_list ap;
    va_start(ap, code);
    va_list copy;
    va_copy(copy, ap);
    char *t = nullptr;
    mpm_GetMessage(MPM_OPT_TAGGED, code, &t, MPM_TAG_VALIST, &copy);
    va_end(copy);
    va_copy(copy, ap);
    mpm_GetMessage(MPM_OPT_TAGGED, code, &t, MPM_TAG_VALIST, &copy);
    va_end(copy);
    va_end(ap);
    std::string s = t;
    free(t);
    return s;
}

TEST_F(FormatTest, TaggedArgumentLists)
{
    EXPECT_EQ(twice(0x90023, 12), "Model 12 specified as target of restore is not empty.\n"
                                  "Model 12 specified as target of restore is not empty.\n");
    char *t = nullptr;
    mpm_GetMessage(MPM_OPT_TAGGED, 0x20005, &t, MPM_TAG_ARGS, 3, 4);
    EXPECT_STREQ(t, "Data size one (3) does not equal data size two (4)\n");
    free(t);
    t = nullptr;
    char *extra = strdup("prefix: ");
    mpm_GetMessage(MPM_OPT_TAGGED, 0x20002, &t, MPM_TAG_TEXT, extra, MPM_TAG_ARGS, 8);
    EXPECT_STREQ(t, "prefix: Invalid size = 8\n");
    free(t);
    t = nullptr;
    /* an unknown tag: the text is given without its arguments */
    mpm_GetMessage(MPM_OPT_TAGGED, 0x20002, &t, 99);
    EXPECT_STREQ(t, "Invalid size = %d\n");
    free(t);
}

TEST_F(FormatTest, GetMessageAppends)
{
    char *t = strdup("A:");
    mpm_GetMessage(0, 0x20002, &t, 1);
    mpm_GetMessage(0, 0x20002, &t, 2);
    EXPECT_STREQ(t, "A:Invalid size = 1\nInvalid size = 2\n");
    free(t);
}

} // namespace
