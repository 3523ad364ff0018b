/* Broken DXF files: test drawings cut short in every section (ASCII and
 * binary) keep their whole records; garbage group codes, counts far larger
 * than the data that follows, over-long lines and NUL bytes either fail
 * with the error code of the place where they broke or load what is there;
 * none crashes, and the sanitizer build checks that nothing leaks. */
#include <fstream>
#include <iterator>
#include <memory>

#include "toolkit/dxfhelpers.h"

namespace {

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

/* Where the record that the reader begins last, in a file cut at `cut`,
 * starts: the last (0, name) pair of which some of the value line is there.
 * The pairs are walked line by line, so a value "0" is never taken for a
 * code. */
size_t LastRecordBefore(const std::string &text, size_t cut)
{
    size_t last = 0, at = 0;
    while (at < text.size()) {
        const size_t codeEnd = text.find('\n', at);
        if (codeEnd == std::string::npos) break;
        const size_t value = codeEnd + 1;
        if (value >= cut) break;
        if (std::atoi(text.substr(at, codeEnd - at).c_str()) == 0) last = at;
        const size_t valueEnd = text.find('\n', value);
        if (valueEnd == std::string::npos) break;
        at = valueEnd + 1;
    }
    return last;
}

std::vector<std::string> g_warnings;
void Warn(const char *text) { g_warnings.push_back(text); }

/* What a drawing holds, as counts: model space, paper space, block headers,
 * entities of all blocks, layers, line types, text styles, objects. */
std::vector<long> Holds(AdDrawing *d)
{
    std::vector<long> n = {adNumEntities(adModelSpaceEntityList(d)),
                           adNumEntities(adPaperSpaceEntityList(d)),
                           adNumBlockheaders(d),
                           0,
                           adNumLayers(d),
                           adNumLinetypes(d),
                           adNumShapefiles(d),
                           0};
    AdBlockheader b;
    for (adStartBlockheaderGet(d); adGetBlockheader(d, &b);)
        if (b.entitylist != adModelSpaceEntityList(d) && b.entitylist != adPaperSpaceEntityList(d))
            n[3] += adNumEntities(b.entitylist);
    auto rec = std::make_unique<AdObjectRecord>();
    AdObjectHeader h;
    for (adStartObjectGet(d); adGetObject(d, &h, rec.get());) ++n[7];
    return n;
}

/* A file cut inside its HEADER section fails; cut anywhere after it, the
 * file loads with a warning and holds exactly what the same text holds
 * when closed just before the record the cut went through. */
TEST_F(Broken, CutFilesKeepTheirWholeRecords)
{
    adSetAd2WarningFn(Warn);
    for (const char *name : {"ac1015.dxf", "ezdxf-r12.dxf", "ac1009.dxf"}) {
        const std::string full = VyrReadFile(Data(name));
        ASSERT_GT(full.size(), 3000u) << name;
        const size_t header = full.find("HEADER\n") + 6, headerEnd = full.find("ENDSEC", header) + 6;
        ASSERT_LT(header, headerEnd) << name;
        int kept = 0;
        for (size_t cut = 1; cut + 1 < full.size(); cut += 37) {
            SCOPED_TRACE(std::string(name) + " cut at " + std::to_string(cut));
            g_warnings.clear();
            AdDrawing *d = adLoadFile(TempFile(full.substr(0, cut)).c_str(), 1, 0);
            if (cut < headerEnd) {
                EXPECT_EQ(d, nullptr);
                EXPECT_EQ(adError(), cut < 3 ? 5 : cut < header ? 30 : 155);
                adCloseFile(d);
                continue;
            }
            ASSERT_NE(d, nullptr) << adError();
            EXPECT_TRUE(adDxfQualityFlags(d) & AD_DXF_CUT_SHORT);
            ASSERT_EQ(g_warnings.size(), 1u);
            EXPECT_NE(g_warnings[0].find("The file ends"), std::string::npos) << g_warnings[0];
            const std::string closed =
                full.substr(0, LastRecordBefore(full, cut)) + P(0, "ENDSEC") + P(0, "EOF");
            AdDrawing *whole = adLoadFile(TempFile(closed).c_str(), 1, 0);
            ASSERT_NE(whole, nullptr) << adError();
            EXPECT_EQ(Holds(d), Holds(whole));
            EXPECT_FALSE(adDxfQualityFlags(whole) & AD_DXF_CUT_SHORT);
            adCloseFile(whole);
            adCloseFile(d);
            ++kept;
        }
        EXPECT_GT(kept, 50) << name;
    }
    adSetAd2WarningFn(nullptr);
}

/* A binary file cut after its HEADER section loads, holding no more the
 * later it is cut and never more than the whole file. */
TEST_F(Broken, BinaryCutAnywhere)
{
    const std::string full = VyrReadFile(Data("ac1015-binary.dxf"));
    ASSERT_GT(full.size(), 10000u);
    AdDrawing *whole = adLoadFile(TempFile(full).c_str(), 1, 0);
    ASSERT_NE(whole, nullptr);
    const std::vector<long> all = Holds(whole);
    adCloseFile(whole);
    const size_t headerEnd = full.find("ENDSEC") + 7;
    std::vector<long> before(all.size(), 0);
    for (size_t cut = 30; cut + 1 < full.size(); cut += 53) {
        AdDrawing *d = adLoadFile(TempFile(full.substr(0, cut)).c_str(), 1, 0);
        if (cut < headerEnd) {
            EXPECT_EQ(d, nullptr) << cut;
            EXPECT_NE(adError(), 0) << cut;
            adCloseFile(d);
            continue;
        }
        ASSERT_NE(d, nullptr) << "cut at " << cut << ": " << adError();
        const std::vector<long> now = Holds(d);
        adCloseFile(d);
        EXPECT_LE(now[0], all[0]) << cut;
        EXPECT_GE(now[0], before[0]) << cut;
        EXPECT_LE(now[3], all[3]) << cut;
        EXPECT_GE(now[3], before[3]) << cut;
        before = now;
    }
    EXPECT_EQ(before[0], all[0]) << "the last cuts lose only the end";
}

TEST_F(Broken, GarbageCodesMissingEofAndLongLines)
{
    std::string head = P(0, "SECTION") + P(2, "HEADER") + P(9, "$ACADVER") + P(1, "AC1015") + P(0, "ENDSEC");
    EXPECT_EQ(LoadError(head + P(0, "SECTION") + P(2, "ENTITIES") + P(0, "LINE") + "1O\n1.0\n" +
                        P(0, "ENDSEC") + P(0, "EOF")),
              299);
    /* no EOF: what is there is kept */
    EXPECT_EQ(LoadError(head + P(0, "SECTION") + P(2, "ENTITIES") + P(0, "LINE") + P(0, "ENDSEC")), 0);
    EXPECT_EQ(LoadError(head), 0);
    /* over-long lines are cut with one warning, not the drawing refused */
    adSetAd2WarningFn(Warn);
    g_warnings.clear();
    AdDrawing *d = adLoadFile(TempFile(head + P(0, "SECTION") + P(2, "ENTITIES") + P(0, "TEXT") +
                                       P(1, std::string(3000, 'x')) + P(0, "LINE") +
                                       P(8, std::string(200000, 'L')) + P(0, "ENDSEC") + P(0, "EOF"))
                                  .c_str(),
                              1, 0);
    adSetAd2WarningFn(nullptr);
    ASSERT_NE(d, nullptr) << adError();
    std::vector<Ent> e = Entities(adModelSpaceEntityList(d));
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].h.enttype, AD_ENT_TEXT);
    EXPECT_EQ(std::string(e[0]->text.text), std::string(std::strlen(e[0]->text.text), 'x'));
    EXPECT_EQ(e[1].h.enttype, AD_ENT_LINE);
    adCloseFile(d);
    ASSERT_EQ(g_warnings.size(), 1u);
    EXPECT_NE(g_warnings[0].find("longer than 2050 characters"), std::string::npos) << g_warnings[0];
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
    /* each damaged record is left out with a warning naming it; the LINE
       after it is kept */
    adSetAd2WarningFn(Warn);
    for (const std::string &ent : ents) {
        SCOPED_TRACE(ent.substr(0, 40));
        g_warnings.clear();
        AdDrawing *d = adLoadFile(TempFile(head + ent + tail).c_str(), 1, 0);
        ASSERT_NE(d, nullptr) << adError();
        std::vector<Ent> e = Entities(adModelSpaceEntityList(d));
        ASSERT_EQ(e.size(), 1u);
        EXPECT_EQ(e[0].h.enttype, AD_ENT_LINE);
        adCloseFile(d);
        ASSERT_EQ(g_warnings.size(), 1u);
        EXPECT_EQ(g_warnings[0].find("The " + ent.substr(2, ent.find('\n', 2) - 2) + " record at byte "), 0u)
            << g_warnings[0];
    }
    adSetAd2WarningFn(nullptr);
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
