/* Named conversions: PTR, PTR2, TF, DTF, the model hooks of OrigDesc and
 * ModelList, ErrorSummary, dates and elapsed times. */
#include "../kernel_fixture.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

class FmtTest : public vyrtest::KernelTest {
protected:
    void TearDown() override
    {
        fmt_SetModelHooks(nullptr);
        KernelTest::TearDown();
    }
    static std::string f(const char *format, ...)
    {
        va_list ap;
        va_start(ap, format);
        char *r = mpm__FormatMessage(0, format, 1, &ap);
        va_end(ap);
        std::string s = r ? r : "<null>";
        free(r);
        return s;
    }
};

TEST_F(FmtTest, PointersPrintModelAndIndex)
{
    uint32_t p = (64u << 25) | 0x1FFFFFFu;
    EXPECT_EQ(f("%<PTR>", p), "#64:33554431");
    EXPECT_EQ(f("%<PTR2>", p), "0x81ffffff");
    EXPECT_EQ(f("%<PTR> %<PTR2>", 0u, 0u), "#0:0 0x0");
    EXPECT_EQ(f("%<PTR>", (1u << 25) | 7u), "#1:7");
}

TEST_F(FmtTest, TypeForms)
{
    EXPECT_EQ(f("%<TF>", (300u << 16) | 1u), "300:1");
    EXPECT_EQ(f("%<TF>", (16001u << 16) | 0u), "*:0");
    EXPECT_EQ(f("%<TF>", (10001u << 16) | 16001u), "10001:*");
    EXPECT_EQ(f("%<TF>", (16000u << 16) | 16000u), "16000:16000");
    FmtDtf d = {"dxfi", (300u << 16) | 0u};
    EXPECT_EQ(f("%<DTF>", &d), "dxfi:300:0");
    d.ddf_name = nullptr;
    EXPECT_EQ(f("%<DTF>", &d), "NULL:300:0");
}

TEST_F(FmtTest, OriginWithoutAndWithTheModelHook)
{
    uint32_t p = (2u << 25) | 9u;
    EXPECT_EQ(f("%<OrigDesc>", p), "#2:9");
    FmtModelHooks hooks = {};
    hooks.describe_origin = [](uint32_t ptr, FmtOrigin *o) {
        switch (ptr & 0xFF) {
        case 9:
            o->kind = FMT_ORIGIN_DXF;
            strcpy(o->name, "dxf_line");
            strcpy(o->handle, "2F");
            return 0;
        case 10:
            o->kind = FMT_ORIGIN_IGES;
            o->tf = (110u << 16) | 0u;
            strcpy(o->name, "line");
            o->number = 17;
            return 0;
        case 11:
            o->kind = FMT_ORIGIN_MDA;
            strcpy(o->name, "dxf_arc");
            return 0;
        case 12:
            o->kind = FMT_ORIGIN_STEP;
            strcpy(o->name, "edge");
            o->number = 5;
            return 0;
        case 13:
            o->kind = FMT_ORIGIN_VDAFS;
            strcpy(o->name, "curve");
            strcpy(o->handle, "C1");
            return 0;
        default: return 1;
        }
    };
    fmt_SetModelHooks(&hooks);
    EXPECT_EQ(f("%<OrigDesc>", p), "DXF dxf_line handle:2F");
    EXPECT_EQ(f("%<OrigDesc>", (2u << 25) | 10u), "IGES 110:0 line DE#17");
    EXPECT_EQ(f("%<OrigDesc>", (2u << 25) | 11u), "MDA dxf_arc model:entity #2:11");
    EXPECT_EQ(f("%<OrigDesc>", (2u << 25) | 12u), "STEP edge PFID #5");
    EXPECT_EQ(f("%<OrigDesc>", (2u << 25) | 13u), "VDAFS curve name:C1");
    EXPECT_EQ(f("%<OrigDesc>", (2u << 25) | 14u), "#2:14");
}

TEST_F(FmtTest, HooksSurviveInitialisation)
{
    FmtModelHooks hooks = {};
    hooks.list_model = [](FmtModelRow row, void *ctx) {
        row(ctx, "dxf_line", 3);
        row(ctx, "dxf_arc", 12);
        return 0;
    };
    fmt_SetModelHooks(&hooks);
    fmt_Initialize();
    std::string s = f("%<ModelList>");
    std::string rule(78, '-');
    std::string expect = std::string(" Name") + std::string(68, ' ') + "Count\n" + rule + "\n" + " dxf_line" +
                         std::string(61, ' ') + "       3\n" + " dxf_arc" + std::string(62, ' ') +
                         "      12\n" + rule + "\n" + std::string(62, ' ') + "Total         15\n";
    EXPECT_EQ(s, expect);
}

TEST_F(FmtTest, ModelListWithoutModel)
{
    EXPECT_EQ(f("%<ModelList>"), "No model active.\n");
    FmtModelHooks hooks = {};
    hooks.list_model = [](FmtModelRow, void *) { return 1; };
    fmt_SetModelHooks(&hooks);
    EXPECT_EQ(f("%<ModelList>"), "No model active.\n");
}

TEST_F(FmtTest, ErrorSummary)
{
    EXPECT_EQ(f("%<ErrorSummary>"), "No errors.\n");
    mpm_SetMaxError(1);
    mpm__SetError(0, 0x20002, MPM_WARNING, 1);
    mpm__SetError(0, 0x20002, MPM_WARNING, 2);
    mpm__SetError(0, 0x90002, MPM_ERROR);
    EXPECT_EQ(f("%<ErrorSummary>"),
              "The following message was issued 2 time(s) and suppressed after 1 time(s)\n"
              "Invalid size = %d\n"
              "The following message was issued 1 time(s)\n"
              "Invalid database pointer.\n"
              "Information: 0\nStatus:      0\nWarning:     2\nError:       1\nFatal:       0\n");
}

TEST_F(FmtTest, DatesAndTimes)
{
    std::string d = f("%<CurDate>");
    ASSERT_EQ(d.size(), 17u) << d; /* "Wed, Jun 30, 1993" */
    EXPECT_EQ(d.substr(3, 2), ", ");
    EXPECT_EQ(d[11], ',');
    std::string t = f("%<CurTime>");
    ASSERT_EQ(t.size(), 8u);
    EXPECT_EQ(t[2], ':');
    pdx_ResetElapsedTime(0);
    EXPECT_EQ(f("%<ElapsedClock>"), "00:00:00");
    EXPECT_EQ(f("%<ElapsedCPU>"), "00:00:00");
    pdx__ClockBase -= 3 * 3600 + 25 * 60 + 7;
    EXPECT_EQ(f("%<ElapsedClock>"), "03:25:07");
}

} // namespace
