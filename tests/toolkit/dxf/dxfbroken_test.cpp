/* Broken DXF files fail cleanly: the test drawing truncated in every
 * section (ASCII and binary), garbage group codes, a missing EOF, counts
 * far larger than the data that follows, over-long lines and NUL bytes.
 * Each load either fails with the error code of the place where it broke or
 * loads what is there; none crashes, and the sanitizer build checks that
 * nothing leaks. */
#include <fstream>
#include <iterator>

#include "toolkit/dxfhelpers.h"

namespace {

std::string P(int code, const std::string &value) { return std::to_string(code) + "\n" + value + "\n"; }

class Broken : public ToolkitTest {
protected:
    int16_t LoadError(const std::string &text)
    {
        AdDrawing *d = adLoadFile(TempFile(text).c_str(), 1, 0);
        if (d) {
            adCloseFile(d);
            return 0;
        }
        return adError();
    }
};

TEST_F(Broken, TruncatedInEverySection)
{
    std::string full = VyrReadFile(Data("ac1015.dxf"));
    ASSERT_GT(full.size(), 10000u);
    struct Span {
        const char *name;
        int16_t code;
        size_t start, end;
    };
    std::vector<Span> spans;
    for (auto [name, code] : std::vector<std::pair<const char *, int16_t>>{{"HEADER", 155},
                                                                           {"CLASSES", 30},
                                                                           {"TABLES", 33},
                                                                           {"BLOCKS", 34},
                                                                           {"ENTITIES", 32},
                                                                           {"OBJECTS", 35}}) {
        std::string head = "  2\n" + std::string(name) + "\n";
        size_t start = full.find(head);
        ASSERT_NE(start, std::string::npos) << name;
        start += head.size();
        size_t end = full.find("ENDSEC", start) + 6;
        spans.push_back({name, code, start, end});
    }
    int checked = 0;
    for (size_t cut = 1; cut + 1 < full.size(); cut += 41) {
        int16_t want = cut < 3 ? 5 : 30; /* "999" or "SECTION" tells a DXF file */
        for (const Span &s : spans)
            if (cut >= s.start && cut < s.end) want = s.code;
        int16_t got = LoadError(full.substr(0, cut));
        EXPECT_EQ(got, want) << "cut at " << cut;
        ++checked;
    }
    EXPECT_GT(checked, 400);
}

TEST_F(Broken, BinaryTruncatedAnywhere)
{
    std::string full = VyrReadFile(Data("ac1015-binary.dxf"));
    ASSERT_GT(full.size(), 10000u);
    for (size_t cut = 30; cut + 1 < full.size(); cut += 53)
        EXPECT_NE(LoadError(full.substr(0, cut)), 0) << cut;
}

TEST_F(Broken, GarbageCodesMissingEofAndLongLines)
{
    std::string head = P(0, "SECTION") + P(2, "HEADER") + P(9, "$ACADVER") + P(1, "AC1015") + P(0, "ENDSEC");
    EXPECT_EQ(LoadError(head + P(0, "SECTION") + P(2, "ENTITIES") + P(0, "LINE") + "1O\n1.0\n" +
                        P(0, "ENDSEC") + P(0, "EOF")),
              299);
    EXPECT_EQ(LoadError(head + P(0, "SECTION") + P(2, "ENTITIES") + P(0, "LINE") + P(0, "ENDSEC")), 30);
    EXPECT_EQ(LoadError(head), 30);
    EXPECT_EQ(LoadError(head + P(0, "SECTION") + P(2, "ENTITIES") + P(0, "TEXT") +
                        P(1, std::string(3000, 'x')) + P(0, "ENDSEC") + P(0, "EOF")),
              298);
    EXPECT_EQ(LoadError(P(0, "SECTION") + P(2, "HEADER") + P(9, "$ACADVER")), 155);
    /* stray pairs before the first entity and between entities are passed over */
    EXPECT_EQ(LoadError(head + P(0, "SECTION") + P(2, "ENTITIES") + P(8, "stray") + P(0, "LINE") +
                        P(0, "ENDSEC") + P(0, "EOF")),
              0);
}

TEST_F(Broken, CountsLargerThanTheirData)
{
    std::string head = P(0, "SECTION") + P(2, "HEADER") + P(9, "$ACADVER") + P(1, "AC1015") + P(0, "ENDSEC") +
                       P(0, "SECTION") + P(2, "ENTITIES");
    std::string tail = P(0, "LINE") + P(8, "0") + P(0, "ENDSEC") + P(0, "EOF");
    const std::string ents[] = {
        P(0, "HATCH") + P(8, "0") + P(91, "2147483647") + P(92, "2") + P(72, "0") + P(73, "1") + P(93, "1") +
            P(10, "0") + P(20, "0") + P(97, "0"),
        P(0, "HATCH") + P(8, "0") + P(91, "1") + P(92, "1") + P(93, "1000000000") + P(72, "1") + P(10, "0"),
        P(0, "HATCH") + P(8, "0") + P(91, "0") + P(78, "30000") + P(53, "0"),
        P(0, "HATCH") + P(8, "0") + P(91, "0") + P(98, "2147483647") + P(10, "0") + P(20, "0"),
        P(0, "LEADER") + P(8, "0") + P(76, "32767") + P(10, "0") + P(20, "0"),
        P(0, "MLINE") + P(8, "0") + P(72, "32767") + P(73, "2") + P(11, "0"),
        P(0, "MLINE") + P(8, "0") + P(72, "1") + P(73, "1") + P(11, "0") + P(21, "0") + P(31, "0") +
            P(12, "0") + P(22, "0") + P(32, "0") + P(13, "0") + P(23, "0") + P(33, "0") + P(74, "32767") +
            P(41, "1"),
        P(0, "SPLINE") + P(8, "0") + P(72, "32767") + P(40, "0"),
        P(0, "SPLINE") + P(8, "0") + P(73, "32767") + P(10, "0"),
        P(0, "SPLINE") + P(8, "0") + P(74, "32767") + P(11, "0"),
    };
    for (size_t i = 0; i < sizeof ents / sizeof ents[0]; ++i)
        EXPECT_EQ(LoadError(head + ents[i] + tail), 32) << i;
    /* an LWPOLYLINE keeps the vertices it has, whatever its count */
    AdDrawing *d = adLoadFile(
        TempFile(head + P(0, "LWPOLYLINE") + P(8, "0") + P(90, "2000000000") + P(10, "1") + P(20, "2") + tail)
            .c_str(),
        1, 0);
    ASSERT_NE(d, nullptr);
    std::vector<Ent> e = Entities(adModelSpaceEntityList(d));
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0]->lwpline.numverts, 1);
    EXPECT_EQ(Doubles(e[0]->lwpline.vertblob), (std::vector<double>{1, 2}));
    adCloseFile(d);
    /* negative counts read nothing */
    EXPECT_EQ(LoadError(head + P(0, "HATCH") + P(8, "0") + P(91, "-5") + P(78, "-1") + tail), 0);
}

TEST_F(Broken, NulBytesAndGarbage)
{
    std::string full = VyrReadFile(Data("ac1015.dxf"));
    for (size_t at = 100; at < full.size(); at += 397) {
        std::string s = full;
        s[at] = '\0';
        s[at / 2] = '\0';
        AdDrawing *d = adLoadFile(TempFile(s).c_str(), 1, 0);
        if (d)
            adCloseFile(d);
        else
            EXPECT_NE(adError(), 0) << at;
    }
    std::string bin = VyrReadFile(Data("ac1015-binary.dxf"));
    uint32_t x = 12345;
    for (int round = 0; round < 60; ++round) {
        std::string s = bin;
        for (int k = 0; k < 4; ++k) {
            x = x * 1103515245u + 12345u;
            s[30 + x % (s.size() - 30)] = static_cast<char>(x >> 24);
        }
        AdDrawing *d = adLoadFile(TempFile(s).c_str(), 1, 0);
        if (d)
            adCloseFile(d);
        else
            EXPECT_NE(adError(), 0) << round;
    }
}

} // namespace
