/* The load driver: sniffing and version detection with their error codes,
 * inputs that are no regular files, the order of the load steps and their
 * progress values, stopping a load, unwinding a failed load, the handle
 * policy and the handle seed. The DXF readers here are stand-ins installed
 * in the reader table. */
#include <sys/stat.h>

#include <cstring>

#include "support/VyrProcess.h"
#include "toolkit/fixture.h"

namespace {

std::vector<int> g_progress;
int g_stopat = -1;
int g_failslot = -1;
std::vector<int> g_slots;

void Progress(short p)
{
    g_progress.push_back(p);
    if (p == g_stopat) adStopLoading();
}

template <int Slot> int16_t Start(AdDrawing *, void *, void *)
{
    g_slots.push_back(Slot);
    return Slot == g_failslot ? -1 : 1;
}

/* Record readers: a layer and a line with handles; the rest are empty. */
template <int Slot> int16_t LoadRec(AdDrawing *d, void *a, void *)
{
    g_slots.push_back(Slot);
    if (Slot == g_failslot) {
        adseterror(148);
        return -1;
    }
    static int layers = 0, entities = 0;
    if (Slot == AD_RD_LOADLAYER && layers++ % 2 == 0) {
        AdLayer l{};
        std::strcpy(l.name, "0");
        l.handle[7] = 0x10;
        return adAddLayer(d, &l) ? 1 : -1;
    }
    if (Slot == AD_RD_LOADENTITY && a == nullptr && entities++ % 2 == 0) {
        AdEntityHeader h{};
        h.enttype = AD_ENT_LINE;
        h.handle[6] = 0x02; /* 0x200: larger than the header's seed */
        h.color = 256;
        h.extrusion[2] = 1;
        h.ltscale = 1;
        AdEntityRecord r{};
        r.line.pt1[0] = 1;
        return adAddEntityToList(d, d->mspace, &h, &r) ? 1 : -1;
    }
    return 0;
}

int16_t g_handling = 1;

int16_t Header(AdDrawing *d, void *, void *)
{
    g_slots.push_back(AD_RD_LOADHEADER);
    if (g_failslot == AD_RD_LOADHEADER) {
        adseterror(30);
        return -1;
    }
    d->header->handling = g_handling;
    d->header->handseed[7] = 0x20;
    if (d->version < 0) d->version = AD_ACAD2000;
    return 1;
}

int16_t NoObjects(AdDrawing *, void *, void *) { return 0; }

class Load : public ToolkitTest {
protected:
    void SetUp() override
    {
        ToolkitTest::SetUp();
        g_progress.clear();
        g_slots.clear();
        g_stopat = g_failslot = -1;
        g_handling = 1;
    }
    void InstallReaders()
    {
        AdReaderFn *s = adin->dxfreaders.slot;
        s[AD_RD_LOADHEADER] = Header;
        s[AD_RD_GETNEXTOBJECTTYPE] = NoObjects;
        s[AD_RD_STARTLINETYPELOAD] = Start<AD_RD_STARTLINETYPELOAD>;
        s[AD_RD_LOADLINETYPE] = LoadRec<AD_RD_LOADLINETYPE>;
        s[AD_RD_STARTLAYERLOAD] = Start<AD_RD_STARTLAYERLOAD>;
        s[AD_RD_LOADLAYER] = LoadRec<AD_RD_LOADLAYER>;
        s[AD_RD_STARTCLASSLOAD] = Start<AD_RD_STARTCLASSLOAD>;
        s[AD_RD_LOADCLASS] = LoadRec<AD_RD_LOADCLASS>;
        s[AD_RD_STARTVPORTLOAD] = Start<AD_RD_STARTVPORTLOAD>;
        s[AD_RD_LOADVPORT] = LoadRec<AD_RD_LOADVPORT>;
        s[AD_RD_STARTUCSLOAD] = Start<AD_RD_STARTUCSLOAD>;
        s[AD_RD_LOADUCS] = LoadRec<AD_RD_LOADUCS>;
        s[AD_RD_STARTREGAPPLOAD] = Start<AD_RD_STARTREGAPPLOAD>;
        s[AD_RD_LOADREGAPP] = LoadRec<AD_RD_LOADREGAPP>;
        s[AD_RD_STARTVIEWLOAD] = Start<AD_RD_STARTVIEWLOAD>;
        s[AD_RD_LOADVIEW] = LoadRec<AD_RD_LOADVIEW>;
        s[AD_RD_STARTSHAPEFILELOAD] = Start<AD_RD_STARTSHAPEFILELOAD>;
        s[AD_RD_LOADSHAPEFILE] = LoadRec<AD_RD_LOADSHAPEFILE>;
        s[AD_RD_STARTBLOCKHEADERLOAD] = Start<AD_RD_STARTBLOCKHEADERLOAD>;
        s[AD_RD_LOADBLOCKHEADER] = LoadRec<AD_RD_LOADBLOCKHEADER>;
        s[AD_RD_STARTDIMSTYLELOAD] = Start<AD_RD_STARTDIMSTYLELOAD>;
        s[AD_RD_LOADDIMSTYLE] = LoadRec<AD_RD_LOADDIMSTYLE>;
        s[AD_RD_STARTENTITYLOAD] = Start<AD_RD_STARTENTITYLOAD>;
        s[AD_RD_LOADENTITY] = LoadRec<AD_RD_LOADENTITY>;
        s[AD_RD_STARTOBJECTLOAD] = Start<AD_RD_STARTOBJECTLOAD>;
        adSetAd2LoadometerFn(Progress);
    }
    const std::string kDxf = "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n0\nENDSEC\n0\nEOF\n";
};

TEST_F(Load, RefusedFiles)
{
    EXPECT_EQ(adLoadFile("/nonexistent/vyr.dxf", 1, 0), nullptr);
    EXPECT_EQ(adError(), 3);
    EXPECT_EQ(adLoadFile(std::string(3000, 'a').c_str(), 1, 0), nullptr);
    EXPECT_EQ(adError(), 3);
    EXPECT_EQ(adLoadFile("/tmp", 1, 0), nullptr);
    EXPECT_EQ(adError(), 3);
    EXPECT_EQ(adLoadFile(TempFile("").c_str(), 1, 0), nullptr);
    EXPECT_EQ(adError(), 5);
    EXPECT_EQ(adLoadFile(TempFile("hello, this is no drawing\n").c_str(), 1, 0), nullptr);
    EXPECT_EQ(adError(), 5);
    /* "SECTION" beyond the first 2,000 bytes does not count */
    EXPECT_EQ(adLoadFile(TempFile("0\n" + std::string(2100, ' ') + "\nSECTION\n").c_str(), 1, 0), nullptr);
    EXPECT_EQ(adError(), 5);
    EXPECT_EQ(adLoadFile(TempFile("AC1013 something").c_str(), 1, 0), nullptr);
    EXPECT_EQ(adError(), 286);
    /* a file that begins with "AC" goes to the DWG readers, which find no
       file header after the version */
    EXPECT_EQ(adLoadFile(TempFile(std::string("AC1015\0\0\0\0", 10)).c_str(), 1, 0), nullptr);
    EXPECT_EQ(adError(), 4);
    adAcceptR14BetaFiles();
    EXPECT_EQ(adLoadFile(TempFile("AC1013 something").c_str(), 1, 0), nullptr);
    EXPECT_EQ(adError(), 4);
}

/* A path that names a pipe, a directory or a device is refused at once, by
 * the load and by the look at the first bytes alike; the pipe's open is
 * released should it wait for a writer. */
TEST_F(Load, OnlyRegularFilesAreOpened)
{
    VyrTempDir dir("vyr_load");
    ASSERT_FALSE(dir.Path().empty());
    const std::string fifo = dir.Path() + "/pipe.dxf";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    AdDrawing *d = reinterpret_cast<AdDrawing *>(1);
    EXPECT_TRUE(VyrReturnsWithin(
        5, [&] { d = adLoadFile(fifo.c_str(), 1, 0); }, fifo));
    EXPECT_EQ(d, nullptr);
    EXPECT_EQ(adError(), 3);
    int kind = 0;
    EXPECT_TRUE(VyrReturnsWithin(
        5, [&] { kind = adSniffFileKind(fifo.c_str()); }, fifo));
    EXPECT_EQ(kind, -1);
    EXPECT_EQ(adSniffFileKind(dir.Path().c_str()), -1);
    struct stat st;
    if (stat("/dev/zero", &st) == 0) {
        EXPECT_EQ(adSniffFileKind("/dev/zero"), -1);
        EXPECT_EQ(adLoadFile("/dev/zero", 1, 0), nullptr);
    }
}

/* The kind a load would take a file for, told without loading it. */
TEST_F(Load, SniffedKindWithoutALoad)
{
    const struct {
        std::string bytes;
        int kind;
    } cases[] = {
        {kDxf, AD_FILE_ASCII_DXF},
        {"999\nJohn's drawing\n  0\nSECTION\n", AD_FILE_ASCII_DXF},
        {"999\nonly a comment\n", AD_FILE_ASCII_DXF},
        {std::string("AutoCAD Binary DXF\r\n\x1a\0", 22) + "SECTION", AD_FILE_BINARY_DXF},
        {std::string("AC1015\0\0\0\0", 10), AD_FILE_DWG},
        {"hello, this is no drawing\n", -1},
        {"0\n" + std::string(2100, ' ') + "\nSECTION\n", -1},
        {"", -1},
    };
    for (const auto &c : cases) EXPECT_EQ(adSniffFileKind(TempFile(c.bytes).c_str()), c.kind) << c.bytes;
    EXPECT_EQ(adSniffFileKind("/nonexistent/vyr.dxf"), -1);
    EXPECT_EQ(adSniffFileKind(nullptr), -1);
}

TEST_F(Load, DxfWithAnEmptyReaderSlotFails)
{
    adin->dxfreaders.slot[AD_RD_LOADHEADER] = nullptr;
    EXPECT_EQ(adLoadFile(TempFile(kDxf).c_str(), 1, 0), nullptr);
    EXPECT_EQ(adError(), 2);
    adSetupDxfRead();
    /* accepted as DXF by its comment, then the scan pass finds no EOF */
    EXPECT_EQ(adLoadFile(TempFile("999\ncomment first\n").c_str(), 1, 0), nullptr);
    EXPECT_EQ(adError(), 30);
}

TEST_F(Load, SniffsKindAndVersion)
{
    InstallReaders();
    AdDrawing *d = adLoadFile(TempFile(kDxf).c_str(), 1, 0);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(adFileTypeLoaded(d), AD_FILE_ASCII_DXF);
    EXPECT_EQ(adFileVersionLoaded(d), AD_ACAD2000);
    adCloseFile(d);
    /* the first version string in table order wins */
    d = adLoadFile(TempFile("0\nSECTION\n999\nAC1015 AC1009\n").c_str(), 1, 0);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(adFileVersionLoaded(d), AD_ACAD11);
    adCloseFile(d);
    std::string bin = std::string("AutoCAD Binary DXF\r\n\x1a\0", 22) + "SECTION";
    std::string path = TempFile(bin);
    d = adLoadFile(path.c_str(), 1, 0);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(adFileTypeLoaded(d), AD_FILE_BINARY_DXF);
    EXPECT_EQ(adGetFileLoadName(d), path);
    adCloseFile(d);
    EXPECT_FALSE(adCloseFile(nullptr));
}

TEST_F(Load, StepsAndProgress)
{
    InstallReaders();
    AdDrawing *d = adLoadFileUserData(TempFile(kDxf).c_str(), 1, 0, &g_slots);
    ASSERT_NE(d, nullptr) << adError();
    EXPECT_EQ(adError(), 0);
    EXPECT_EQ(adGetCallbackUserData(d), &g_slots);
    EXPECT_EQ(g_progress, (std::vector<int>{0, 4, 8, 12, 16, 20, 24, 28, 32, 36, 40, 46, 96, 100}));
    std::vector<int> starts;
    for (int s : g_slots)
        if (s >= AD_RD_STARTBLOCKDEFLOAD) starts.push_back(s);
    EXPECT_EQ(starts,
              (std::vector<int>{AD_RD_STARTLINETYPELOAD, AD_RD_STARTLAYERLOAD, AD_RD_STARTCLASSLOAD,
                                AD_RD_STARTVPORTLOAD, AD_RD_STARTUCSLOAD, AD_RD_STARTREGAPPLOAD,
                                AD_RD_STARTVIEWLOAD, AD_RD_STARTSHAPEFILELOAD, AD_RD_STARTBLOCKHEADERLOAD,
                                AD_RD_STARTDIMSTYLELOAD, AD_RD_STARTENTITYLOAD, AD_RD_STARTOBJECTLOAD}));
    EXPECT_EQ(adNumLayers(d), 1);
    EXPECT_EQ(adNumEntities(adModelSpaceEntityList(d)), 1);
    /* the seed passes the largest handle met (200) and the viewport-entity
       control made after it (201) */
    unsigned char seed[8] = {0, 0, 0, 0, 0, 0, 2, 2};
    EXPECT_EQ(std::memcmp(adHeaderOf(d)->handseed, seed, 8), 0);
    adCloseFile(d);
}

TEST_F(Load, StopDuringLoadFails)
{
    InstallReaders();
    g_stopat = 20;
    EXPECT_EQ(adLoadFile(TempFile(kDxf).c_str(), 1, 0), nullptr);
    EXPECT_EQ(adError(), 49);
    EXPECT_EQ(g_progress.back(), 20);
}

TEST_F(Load, FailedStepsUnwind)
{
    InstallReaders();
    struct {
        int slot;
        int16_t error;
    } cases[] = {{AD_RD_LOADHEADER, 30},        {AD_RD_STARTLINETYPELOAD, 45}, {AD_RD_LOADLAYER, 148},
                 {AD_RD_STARTDIMSTYLELOAD, 53}, {AD_RD_STARTENTITYLOAD, 55},   {AD_RD_STARTOBJECTLOAD, 56}};
    for (const auto &c : cases) {
        g_failslot = c.slot;
        EXPECT_EQ(adLoadFile(TempFile(kDxf).c_str(), 1, 0), nullptr);
        EXPECT_EQ(adError(), c.error) << c.slot;
    }
}

TEST_F(Load, OldFilesGetHandlesAndDefaultObjects)
{
    InstallReaders();
    AdDrawing *d = adLoadFile(TempFile("0\nSECTION\n9\n$ACADVER\n1\nAC1009\n0\nEOF\n").c_str(), 1, 0);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(adFileVersionLoaded(d), AD_ACAD11);
    /* HANDLING 1 in an AC1009 file: no handles are given */
    EXPECT_EQ(d->addhandles_ents, 0);
    EXPECT_FALSE(adObjhandleIsNull(d->scan.tablecontrol[AD_TBL_LAYER]));
    /* root dictionary, group and multiline-style dictionaries, STANDARD style */
    EXPECT_EQ(adNumObjects(d), 4);
    adCloseFile(d);
}

TEST_F(Load, HandlePolicy)
{
    InstallReaders();
    struct {
        const char *version;
        int16_t handling;
        int16_t force;
        int ents, tables;
    } cases[] = {
        {"AC1009", 0, 0, 1, 1}, {"AC1009", 1, 0, 0, 0}, {"AC1009", 1, 1, 1, 1}, {"AC1006", 0, 0, 1, 1},
        {"AC1006", 1, 0, 0, 1}, {"AC1004", 1, 0, 1, 1}, {"AC1012", 0, 0, 0, 0}, {"AC1015", 0, 1, 0, 0},
    };
    for (const auto &c : cases) {
        g_handling = c.handling;
        adForceAddingHandles(c.force);
        AdDrawing *d = adLoadFile(TempFile(std::string("0\nSECTION\n1\n") + c.version + "\n").c_str(), 1, 0);
        ASSERT_NE(d, nullptr) << c.version;
        EXPECT_EQ(d->addhandles_ents, c.ents) << c.version << " " << c.handling << " " << c.force;
        EXPECT_EQ(d->addhandles_tables, c.tables) << c.version << " " << c.handling << " " << c.force;
        /* old files number their table controls from the seed: HANDSEED, or 1
           without HANDLING */
        bool old = std::strcmp(c.version, "AC1012") < 0;
        EXPECT_EQ(d->scan.tablecontrol[0][7], old ? (c.handling ? 0x20 : 1) : 0) << c.version;
        adCloseFile(d);
    }
}

TEST_F(Load, BinaryWithoutSectionIsRefused)
{
    InstallReaders();
    EXPECT_EQ(adLoadFile(TempFile(std::string("AutoCAD Binary DXF\r\n\x1a\0", 22)).c_str(), 1, 0), nullptr);
    EXPECT_EQ(adError(), 5);
    AdDrawing *d = adLoadFile(TempFile(kDxf).c_str(), 1, 0);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(adGetXrefDbHandle(d, "/nonexistent/xref.dxf"), nullptr);
    EXPECT_EQ(adError(), 3);
    EXPECT_EQ(d->xref[0], nullptr);
    adCloseFile(d);
}

TEST_F(Load, XrefsAreLoadedOnce)
{
    InstallReaders();
    std::string path = TempFile(kDxf);
    AdDrawing *d = adLoadFile(path.c_str(), 1, 0);
    ASSERT_NE(d, nullptr);
    AdDrawing *x = adGetXrefDbHandle(d, path.c_str());
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(adGetXrefDbHandle(d, path.c_str()), x);
    EXPECT_EQ(d->xref[0], x);
    adCloseFile(d); /* closes the xref too */
}

} // namespace
