/* The attribute tables and their lookups: colour rows (with the irregular
 * ones), the line width thresholds at their single-precision boundaries,
 * the line type names and codes. */
#include <gtest/gtest.h>

#include <array>

#include <string>

#include "Dxf2Cgm/VyrDxfAttributesConverter.h"
#include "platform/base/VyrUnicodeString.h"
#include "support/Fields.h"

namespace {

using C = VyrDxfAttributesConverter;

std::array<double, 3> Rgb(int index)
{
    std::array<double, 3> rgb{-1, -1, -1};
    EXPECT_EQ(C::BuildFromACI(index, rgb.data()), index);
    return rgb;
}

TEST(AttributesConverter, ColourRows)
{
    using A = std::array<double, 3>;
    EXPECT_EQ(Rgb(1), (A{255, 0, 0}));
    EXPECT_EQ(Rgb(7), (A{0, 0, 0}));
    EXPECT_EQ(Rgb(8), (A{134, 134, 134}));
    EXPECT_EQ(Rgb(9), (A{187, 187, 187}));
    EXPECT_EQ(Rgb(168), (A{0, 9.5, 38}));
    EXPECT_EQ(Rgb(250), (A{84, 84, 84}));
    EXPECT_EQ(Rgb(255), (A{255, 255, 255}));
    /* Rows that break the pattern of their neighbours stay as they are. */
    EXPECT_EQ(Rgb(102), (A{0, 165, 141}));
    EXPECT_EQ(Rgb(111), (A{128, 255, 91}));
    EXPECT_EQ(Rgb(172), (A{0, 0, 160}));
    EXPECT_EQ(Rgb(231), (A{255, 128, 192}));
    EXPECT_EQ(Rgb(241), (A{255, 128, 153}));
    /* Spot checks of the regular pattern in every decade. */
    EXPECT_EQ(Rgb(21), (A{255, 159, 128}));
    EXPECT_EQ(Rgb(44), (A{128, 95, 0}));
    EXPECT_EQ(Rgb(96), (A{0, 76, 0}));
    EXPECT_EQ(Rgb(140), (A{0, 191, 255}));
    EXPECT_EQ(Rgb(199), (A{28, 19, 38}));
    EXPECT_EQ(Rgb(228), (A{38, 0, 28}));
    for (int i = 1; i <= 255; ++i)
        for (double v : Rgb(i)) {
            EXPECT_GE(v, 0.0) << i;
            EXPECT_LE(v, 255.0) << i;
        }
}

TEST(AttributesConverter, LineWidths)
{
    const float widths[] = {0.13f, 0.35f, 0.7f, 1.0f, 1.4f, 2.0f};
    for (int i = 1; i <= 6; ++i) EXPECT_EQ(C::GetMMThickness(i), widths[i - 1]);
    ExpectFields({VYR_F(C::GetMMThickness(0), 0.13f), VYR_F(C::GetMMThickness(7), 0.13f),
                  VYR_F(C::GetMMThickness(-3), 0.13f), VYR_F(C::GetMMThickness(15), 0.13f)});
}

TEST(AttributesConverter, ThicknessIndexBoundaries)
{
    auto index = [](double w) { return C::GetVyrLineThicknessInd(w); };
    ExpectFields({VYR_F(index(-5.0), 1), VYR_F(index(0.0), 1), VYR_F(index(13.0), 1), VYR_F(index(24.0), 1),
                  VYR_F(index(24.0001), 2), VYR_F(index(25.0), 2),
                  /* The threshold between 0.35 and 0.7 is 52.499996 in single precision. */
                  VYR_F(index(52.49999), 2), VYR_F(index(52.5), 3), VYR_F(index(85.0), 3),
                  VYR_F(index(85.001), 4), VYR_F(index(120.0), 4),
                  /* 120.0000076 in single precision. */
                  VYR_F(index(120.000007), 4), VYR_F(index(120.00001), 5), VYR_F(index(170.0), 5),
                  VYR_F(index(170.01), 6), VYR_F(index(211.0), 6),
                  VYR_F(C::GetMMThickness(index(25.0)), 0.35f),
                  VYR_F(C::GetMMThickness(index(211.0)), 2.0f)});
}

TEST(AttributesConverter, LineTypeNames)
{
    auto index = [](const char *name) { return C::GetVyrLineType(VyrUnicodeString(name)); };
    /* Empty places of row 1 match an empty name; names compare without
     * regard to case; unknown names get 1. The plain-text lookup, which
     * remembers the last name, must agree whatever came before: the table
     * is run through twice, names repeated and alternating. */
    const struct {
        const char *name;
        int expected;
    } rows[] = {{"CONTINUOUS", 1},     {"SOLID", 1},   {"", 1},        {"CACHE", 2},
                {"ACAD_ISO03W100", 2}, {"DASHED", 3},  {"Dashed", 3},  {"ACAD_ISO10W100", 4},
                {"FANTOME", 5},        {"dot", 6},     {"CENTER", 7},  {"CENTRE", 7},
                {"ZIGZAG", 8},         {"BORDER", 1},  {"DASHED2", 1}, {"DASHED", 3},
                {"DASHED", 3},         {"DASHED2", 1}, {"DASHED", 3}};
    for (int pass = 0; pass < 2; ++pass)
        for (const auto &row : rows) {
            EXPECT_EQ(index(row.name), row.expected) << row.name;
            EXPECT_EQ(C::GetVyrLineType(row.name), row.expected) << row.name;
        }
    EXPECT_EQ(C::GetVyrLineType(std::string(100, 'D').c_str()), 1) << "a name longer than the memory";
    EXPECT_EQ(C::GetVyrLineType(static_cast<const char *>(nullptr)), 1);

    EXPECT_EQ(C::GetLineType(index("CENTER")), 6);
    EXPECT_EQ(C::GetLineType(index("ZIGZAG")), 0);
    EXPECT_EQ(C::GetLineType(index("BORDER")), 0);
    for (int i = 1; i <= 7; ++i) EXPECT_EQ(C::GetLineType(i), i - 1);
    EXPECT_EQ(C::GetLineType(0), 0);
    EXPECT_EQ(C::GetLineType(9), 0);
}

} // namespace
