/* The attribute tables of the conversion layer and their lookups: the
 * 255-entry colour table, the six reachable line widths and the line type
 * names known to the generator. Every table value is used exactly as
 * written; a few colour rows deliberately break the pattern of their
 * neighbours (102, 111, 168, 172, 231, 241). */
#include "Dxf2Cgm/VyrDxfAttributesConverter.h"

#include <cstring>

#include "platform/base/VyrUnicodeString.h"

const double VyrDxfAttributesConverter::_rvbAciTable[kColorCount][3] = {
    /*   1 */ {255, 0, 0},     {255, 255, 0},   {0, 255, 0},     {0, 255, 255},   {0, 0, 255},
    /*   6 */ {255, 0, 255},   {0, 0, 0},       {134, 134, 134}, {187, 187, 187}, {255, 0, 0},
    /*  11 */ {255, 128, 128}, {165, 0, 0},     {165, 82, 82},   {128, 0, 0},     {128, 64, 64},
    /*  16 */ {76, 0, 0},      {76, 38, 38},    {38, 0, 0},      {38, 19, 19},    {255, 64, 0},
    /*  21 */ {255, 159, 128}, {165, 41, 0},    {165, 103, 82},  {128, 31, 0},    {128, 79, 64},
    /*  26 */ {76, 19, 0},     {76, 47, 38},    {38, 9, 0},      {38, 23, 19},    {255, 128, 0},
    /*  31 */ {255, 191, 128}, {165, 82, 0},    {165, 124, 82},  {128, 64, 0},    {128, 95, 64},
    /*  36 */ {76, 38, 0},     {76, 57, 38},    {38, 19, 0},     {38, 28, 19},    {255, 191, 0},
    /*  41 */ {255, 223, 128}, {165, 124, 0},   {165, 145, 82},  {128, 95, 0},    {128, 111, 64},
    /*  46 */ {76, 57, 0},     {76, 66, 38},    {38, 28, 0},     {38, 33, 19},    {255, 255, 0},
    /*  51 */ {255, 255, 128}, {165, 165, 0},   {165, 165, 82},  {128, 128, 0},   {128, 128, 64},
    /*  56 */ {76, 76, 0},     {76, 76, 38},    {38, 38, 0},     {38, 38, 19},    {191, 255, 0},
    /*  61 */ {223, 255, 128}, {124, 165, 0},   {145, 165, 82},  {95, 128, 0},    {111, 128, 64},
    /*  66 */ {57, 76, 0},     {66, 76, 38},    {28, 38, 0},     {33, 38, 19},    {128, 255, 0},
    /*  71 */ {191, 255, 128}, {82, 165, 0},    {124, 165, 82},  {64, 128, 0},    {95, 128, 64},
    /*  76 */ {38, 76, 0},     {57, 76, 38},    {19, 38, 0},     {28, 38, 19},    {64, 255, 0},
    /*  81 */ {159, 255, 128}, {41, 165, 0},    {103, 165, 82},  {31, 128, 0},    {79, 128, 64},
    /*  86 */ {19, 76, 0},     {47, 76, 38},    {9, 38, 0},      {23, 38, 19},    {0, 255, 0},
    /*  91 */ {128, 255, 128}, {0, 165, 0},     {82, 165, 82},   {0, 128, 0},     {64, 128, 64},
    /*  96 */ {0, 76, 0},      {38, 76, 38},    {0, 38, 0},      {19, 38, 19},    {0, 255, 64},
    /* 101 */ {128, 255, 159}, {0, 165, 141},   {82, 165, 103},  {0, 128, 31},    {64, 128, 79},
    /* 106 */ {0, 76, 19},     {38, 76, 47},    {0, 38, 9},      {19, 38, 23},    {0, 255, 128},
    /* 111 */ {128, 255, 91},  {0, 165, 82},    {82, 165, 124},  {0, 128, 64},    {64, 128, 95},
    /* 116 */ {0, 76, 38},     {38, 76, 57},    {0, 38, 19},     {19, 38, 28},    {0, 255, 191},
    /* 121 */ {128, 255, 223}, {0, 165, 124},   {82, 165, 145},  {0, 128, 95},    {64, 128, 111},
    /* 126 */ {0, 76, 57},     {38, 76, 66},    {0, 38, 28},     {19, 38, 33},    {0, 255, 255},
    /* 131 */ {128, 255, 255}, {0, 165, 165},   {82, 165, 165},  {0, 128, 128},   {64, 128, 128},
    /* 136 */ {0, 76, 76},     {38, 76, 76},    {0, 38, 38},     {19, 38, 38},    {0, 191, 255},
    /* 141 */ {128, 223, 255}, {0, 124, 165},   {82, 145, 165},  {0, 95, 128},    {64, 111, 128},
    /* 146 */ {0, 57, 76},     {38, 66, 76},    {0, 28, 38},     {19, 33, 38},    {0, 128, 255},
    /* 151 */ {128, 191, 255}, {0, 82, 165},    {82, 124, 165},  {0, 64, 128},    {64, 95, 128},
    /* 156 */ {0, 38, 76},     {38, 57, 76},    {0, 19, 38},     {19, 28, 38},    {0, 64, 255},
    /* 161 */ {128, 159, 255}, {0, 41, 165},    {82, 103, 165},  {0, 31, 128},    {64, 79, 128},
    /* 166 */ {0, 19, 76},     {38, 47, 76},    {0, 9.5, 38},    {19, 23, 38},    {0, 0, 255},
    /* 171 */ {128, 128, 255}, {0, 0, 160},     {82, 82, 165},   {0, 0, 128},     {64, 64, 128},
    /* 176 */ {0, 0, 76},      {38, 38, 76},    {0, 0, 38},      {19, 19, 38},    {64, 0, 255},
    /* 181 */ {159, 128, 255}, {41, 0, 165},    {103, 82, 165},  {31, 0, 128},    {79, 64, 128},
    /* 186 */ {19, 0, 76},     {47, 38, 76},    {9, 0, 38},      {23, 19, 38},    {128, 0, 255},
    /* 191 */ {191, 128, 255}, {82, 0, 165},    {124, 82, 165},  {64, 0, 128},    {95, 64, 128},
    /* 196 */ {38, 0, 76},     {57, 38, 76},    {19, 0, 38},     {28, 19, 38},    {191, 0, 255},
    /* 201 */ {223, 128, 255}, {124, 0, 165},   {145, 82, 165},  {95, 0, 128},    {111, 64, 128},
    /* 206 */ {57, 0, 76},     {66, 38, 76},    {28, 0, 38},     {33, 19, 38},    {255, 0, 255},
    /* 211 */ {255, 128, 255}, {165, 0, 165},   {165, 82, 165},  {128, 0, 128},   {128, 64, 128},
    /* 216 */ {76, 0, 76},     {76, 38, 76},    {38, 0, 38},     {38, 19, 38},    {255, 0, 191},
    /* 221 */ {255, 128, 223}, {165, 0, 124},   {165, 82, 145},  {128, 0, 95},    {128, 64, 111},
    /* 226 */ {76, 0, 57},     {76, 38, 66},    {38, 0, 28},     {38, 19, 33},    {255, 0, 128},
    /* 231 */ {255, 128, 192}, {165, 0, 82},    {165, 82, 124},  {128, 0, 64},    {128, 64, 95},
    /* 236 */ {76, 0, 38},     {76, 38, 57},    {38, 0, 19},     {38, 19, 28},    {255, 0, 64},
    /* 241 */ {255, 128, 153}, {165, 0, 41},    {165, 82, 103},  {128, 0, 31},    {128, 64, 79},
    /* 246 */ {76, 0, 19},     {76, 38, 47},    {38, 0, 9},      {38, 19, 23},    {84, 84, 84},
    /* 251 */ {118, 118, 118}, {152, 152, 152}, {186, 186, 186}, {220, 220, 220}, {255, 255, 255},
};

const float VyrDxfAttributesConverter::_VyrlineThickness[15] = {
    0.13f, 0.35f, 0.7f, 1.0f, 1.4f, 2.0f, 0.13f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};

const char *const VyrDxfAttributesConverter::_lineTypeMapping[kLineTypeRows][kLineTypeNames] = {
    {"CONTINUOUS", "SOLID", "", ""},        {"DASHSPACE", "CACHE", "ACAD_ISO03W100", ""},
    {"DASHED", "ACAD_ISO02W100", "", ""},   {"DASHDOT", "ACAD_ISO10W100", "", ""},
    {"PHANTOM", "FANTOME", "", ""},         {"DOT", "ACAD_ISO07W100", "", ""},
    {"AXES", "AXESX2", "CENTER", "CENTRE"}, {"AMZIGZAG", "AMZIGZAG2", "GENZIGZAG", "ZIGZAG"},
};

int VyrDxfAttributesConverter::BuildFromACI(int index, double *rgb)
{
    if (!rgb) return index;
    if (index < 1 || index > kColorCount) {
        rgb[0] = rgb[1] = rgb[2] = 255.0;
        return index;
    }
    const double *row = _rvbAciTable[index - 1];
    rgb[0] = row[0];
    rgb[1] = row[1];
    rgb[2] = row[2];
    return index;
}

float VyrDxfAttributesConverter::GetMMThickness(int index)
{
    if (index < 1 || index > 6) return 0.13f;
    return _VyrlineThickness[index - 1];
}

/* The thresholds lie halfway between neighbouring widths and are computed in
 * single precision, as the widths are floats: 24.0, 52.499996, 85.0,
 * 120.00001 and 170.0 hundredths of a millimetre. */
int VyrDxfAttributesConverter::GetVyrLineThicknessInd(const double &weight)
{
    for (int i = 1; i <= 5; ++i) {
        const float threshold = ((_VyrlineThickness[i - 1] + _VyrlineThickness[i]) * 0.5f) * 100.0f;
        if (weight <= threshold) return i;
    }
    return 6;
}

int VyrDxfAttributesConverter::GetLineType(int index)
{
    if (index >= 1 && index <= 7) return index - 1;
    return 0;
}

/* Compare of the Unicode string is non-zero for equal names (letter case
 * ignored); the empty places of the table make an empty name match row 1. */
int VyrDxfAttributesConverter::GetVyrLineType(const VyrUnicodeString &name)
{
    for (int row = 0; row < kLineTypeRows; ++row)
        for (int place = 0; place < kLineTypeNames; ++place)
            if (name.Compare(_lineTypeMapping[row][place]) != 0) return row + 1;
    return 1;
}

int VyrDxfAttributesConverter::GetVyrLineType(const char *name)
{
    static thread_local char last[64];
    static thread_local int lastIndex = 0;
    if (!name) name = "";
    if (lastIndex && std::strcmp(last, name) == 0) return lastIndex;
    const int index = GetVyrLineType(VyrUnicodeString(name));
    const size_t length = std::strlen(name);
    if (length < sizeof last) {
        std::memcpy(last, name, length + 1);
        lastIndex = index;
    }
    return index;
}
