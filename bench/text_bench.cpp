/* The character converter's speed: BuildFromChar on a 1 MB text of mixed
 * Latin-1 words, accented letters and escapes (%%d, %%c, %%p, %%nnn, \U+,
 * \M+, and in the MTEXT case formatting codes), under a Latin-1 code page and
 * on a 1 MB Japanese text under 932. Bytes are the input bytes converted. */
#include <benchmark/benchmark.h>

#include <string>

#include "Dxf2Cgm/VyrDxfUCConverter.h"
#include "platform/base/VyrRawCollint.h"
#include "platform/base/VyrUnicodeString.h"

namespace {

constexpr size_t kSize = 1 << 20;

std::string Mixed(bool mtext)
{
    static const char *const pieces[] = {
        "Flansch DN 50 ", "%%c25 ", "Gr\366\337e ",          "45%%d ",     "%%p0.1 ", "caf\xE9 ",
        "\\U+2205 ",      "%%177 ", "M\xFCller & S\xF6hne ", "\\M+182A0 ", "100%%% ", "|d ",
        "Stra\337e 12 "};
    static const char *const codes[] = {"\\P", "{\\fArial|b1|i0;x}", "\\H2.5x;", "\\S1^2;", "\\~", "\\\\"};
    std::string s;
    s.reserve(kSize + 64);
    for (size_t i = 0; s.size() < kSize; ++i) {
        s += pieces[i % (sizeof pieces / sizeof pieces[0])];
        if (mtext && i % 5 == 0) s += codes[i / 5 % (sizeof codes / sizeof codes[0])];
    }
    s.resize(kSize);
    return s;
}

void Convert(benchmark::State &state, const char *page, const std::string &text,
             VyrDxfUCConverter::TextKind kind)
{
    VyrDxfUCConverter uc;
    uc.SetCodePage(page);
    for (auto _ : state) {
        VyrUnicodeString out;
        VyrRawCollint codes;
        int flags = 0;
        uc.BuildFromChar(text.c_str(), &out, &codes, flags, 0, kind);
        benchmark::DoNotOptimize(out.GetBuffer());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

void BM_TextLatin1(benchmark::State &state)
{
    static const std::string text = Mixed(false);
    Convert(state, "ansi_1252", text, VyrDxfUCConverter::kPlainText);
}
BENCHMARK(BM_TextLatin1)->Unit(benchmark::kMillisecond);

void BM_MTextLatin1(benchmark::State &state)
{
    static const std::string text = Mixed(true);
    Convert(state, "ansi_1252", text, VyrDxfUCConverter::kMText);
}
BENCHMARK(BM_MTextLatin1)->Unit(benchmark::kMillisecond);

void BM_TextShiftJis(benchmark::State &state)
{
    static const std::string text = [] {
        std::string s;
        while (s.size() < kSize) s += "\x93\xFA\x96\x7B\x8C\xEA %%c12 \x83\x5C\x83\x74\x83\x67 ";
        s.resize(kSize - 1);
        return s;
    }();
    Convert(state, "ansi_932", text, VyrDxfUCConverter::kPlainText);
}
BENCHMARK(BM_TextShiftJis)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
