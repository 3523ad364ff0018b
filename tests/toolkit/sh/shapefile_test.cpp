/* Shape-font files: the built-in fonts, the search for a font file (case of
 * names, the ACAD path), shape, big-font and unifont files written here byte
 * by byte from the published layout, files that lie about their counts or
 * are cut short, names that are no regular files, TrueType names, and a
 * SHAPE's name resolved through the text styles. */
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "support/VyrTempFile.h"
#include "toolkit/fixture.h"
#include "toolkit/sh/sh.h"

namespace {

std::string Le16(unsigned v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8 & 0xFF)}; }
std::string Le32(uint32_t v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }

/* A shape body: its name, pen moves, the end byte. */
std::string Body(const std::string &name, const std::string &codes) { return name + '\0' + codes + '\0'; }

/* "AutoCAD-86 shapes 1.0" files: header, index of number and length, bodies. */
std::string ShapesFile(const std::vector<std::pair<unsigned, std::string>> &shapes,
                       const char *version = "1.0")
{
    std::string f = std::string("AutoCAD-86 shapes ") + version + "\r\n\x1A";
    f += Le16(shapes.front().first) + Le16(shapes.back().first) + Le16(static_cast<unsigned>(shapes.size()));
    for (const auto &s : shapes) f += Le16(s.first) + Le16(static_cast<unsigned>(s.second.size()));
    for (const auto &s : shapes) f += s.second;
    return f;
}

int g_bad = 0, g_examined = 0;
std::string g_ttfname;
int CountBad(const char *, void *) { return ++g_bad, 0; }
int CountExamine(const char *name, char *path, void *u)
{
    ++g_examined;
    return adDefaultExamineFile(name, path, u);
}
int FindTrueType(const char *name, char *path, void *)
{
    g_ttfname = name;
    std::strcpy(path, "/fonts/arial.ttf");
    return 1;
}

class ShapeFiles : public ToolkitTest {
protected:
    void SetUp() override
    {
        ToolkitTest::SetUp();
        g_bad = g_examined = 0;
        dwg = adEmptyFile();
        ASSERT_NE(dwg, nullptr);
        adSetAd2BadshapefileFn(CountBad);
        adSetAd2ExamineshapefileFn(CountExamine);
        char tmpl[] = "/tmp/vyr_shx_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        const char *acad = std::getenv("ACAD");
        oldacad = acad ? acad : "";
        hadacad = acad != nullptr;
    }
    void TearDown() override
    {
        adCloseFile(dwg);
        if (hadacad)
            setenv("ACAD", oldacad.c_str(), 1);
        else
            unsetenv("ACAD");
        std::string cmd = "rm -rf '" + dir + "'";
        EXPECT_EQ(std::system(cmd.c_str()), 0);
        ToolkitTest::TearDown();
    }
    std::string Put(const std::string &name, const std::string &bytes)
    {
        std::ofstream(dir + "/" + name, std::ios::binary) << bytes;
        return dir + "/" + name;
    }
    std::string ReadShape(ShFont *f, uint16_t number)
    {
        std::string s;
        if (!sh_seeksh(f, number)) return "<none>";
        for (int c; (c = sh_fgetc(f)) > 0;) s += static_cast<char>(c);
        return s;
    }
    AdDrawing *dwg = nullptr;
    std::string dir, oldacad;
    bool hadacad = false;
};

TEST_F(ShapeFiles, BuiltInFonts)
{
    ShFont *simplex = sh_builtin(0), *gdt = sh_builtin(1);
    ASSERT_NE(simplex, nullptr);
    ASSERT_NE(gdt, nullptr);
    EXPECT_STREQ(simplex->name, "SIMPLEX.SHX");
    EXPECT_EQ(simplex->numshapes, 100u);
    EXPECT_EQ(simplex->kind, unsigned(SH_SHAPES11));
    EXPECT_STREQ(gdt->name, "GDT.SHX");
    EXPECT_EQ(gdt->numshapes, 103u);
    EXPECT_EQ(gdt->kind, unsigned(SH_SHAPES11 | SH_SYMBOLS));
    EXPECT_EQ(ReadShape(gdt, 0).substr(0, 3), "GDT");
    uint64_t sum = 0;
    for (uint32_t i = 0; i < simplex->numshapes; ++i) sum += simplex->index[i].len;
    EXPECT_EQ(sum, 4998u);
    EXPECT_EQ(sh_builtin(2), nullptr);
    /* the symbol font's names never touch the file system */
    for (const char *n : {"GDT", "gdt.shx", "AMGDT", "amgdt.SHX"}) EXPECT_EQ(sh_open(dwg, n), gdt) << n;
    EXPECT_EQ(sh_open(dwg, "simplex6.shx"), simplex);
    EXPECT_EQ(g_examined, 0);
    EXPECT_EQ(g_bad, 0);
}

TEST_F(ShapeFiles, AShapeFileFoundByAnyCaseOnThePath)
{
    Put("Shapes.shx", ShapesFile({{1, Body("BOX", "\x14\x10\x1C\x18")},
                                  {2, Body("TRI", "\x12\x1E")},
                                  {7, Body("DOT", "\x01\x20")}}));
    setenv("ACAD", ("/nonexistent;" + dir + ":/also/not").c_str(), 1);
    ShFont *f = sh_open(dwg, "SHAPES");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->kind, unsigned(SH_SHAPES10));
    EXPECT_EQ(f->numshapes, 3u);
    EXPECT_EQ(std::string(f->path), dir + "/Shapes.shx");
    EXPECT_EQ(ReadShape(f, 2), "TRI");
    EXPECT_EQ(sh_fgetc(f), 0x12);
    EXPECT_EQ(ReadShape(f, 7), "DOT");
    EXPECT_EQ(ReadShape(f, 3), "<none>");
    EXPECT_TRUE(sh_seek(f, 0));
    EXPECT_EQ(sh_fgetc(f), 'A');
    EXPECT_EQ(sh_tell(f), 1u);
    EXPECT_FALSE(sh_seek(f, f->size + 1));
    EXPECT_TRUE(sh_seek(f, f->size));
    EXPECT_EQ(sh_fgetc(f), -1);
    /* opened once per drawing */
    EXPECT_EQ(sh_open(dwg, "shapes.shx"), f);
    EXPECT_EQ(g_examined, 1);
    adUnloadFontFiles(dwg);
    EXPECT_NE(sh_open(dwg, "c:\\acad\\fonts\\SHAPES.SHX"), nullptr); /* drive and folders of the writer */
}

TEST_F(ShapeFiles, BigFontsAndUnifonts)
{
    std::string big = "AutoCAD-86 bigfont 1.0\r\n\x1A";
    const std::string s0 = Body("BIG", "\x10\x02\x00"), s1 = Body("", "\x14\x10");
    const uint32_t header = static_cast<uint32_t>(big.size()) + 6 + 2 * 4 + 3 * 8;
    big += Le16(8) + Le16(3) + Le16(2);                                     /* 3 slots, 2 ranges */
    big += Le16(0x81) + Le16(0x9F) + Le16(0xE0) + Le16(0xFC);               /* lead bytes */
    big += Le16(0) + Le16(static_cast<unsigned>(s0.size())) + Le32(header); /* shape 0 */
    big += Le16(0) + Le16(0) + Le32(0);                                     /* an empty slot */
    big += Le16(0x82A0) + Le16(static_cast<unsigned>(s1.size())) +
           Le32(header + static_cast<uint32_t>(s0.size()));
    big += s0 + s1;
    Put("kanji.shx", big);
    std::string uni = "AutoCAD-86 unifont 1.0\r\n\x1A";
    const std::string info = Body("UNI", std::string("\x08\x02\x00\x00\x00", 5));
    uni += Le32(3) + Le16(static_cast<unsigned>(info.size())) + info;
    uni += Le16(0x41) + Le16(4) + Body("A", "\x14");
    uni += Le16(0x3042) + Le16(4) + Body("", "\x14\x10");
    Put("uni.shx", uni);
    setenv("ACAD", dir.c_str(), 1);

    ShFont *b = sh_open(dwg, "kanji.shx");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->kind, unsigned(SH_BIGFONT));
    EXPECT_EQ(b->numshapes, 2u);
    EXPECT_EQ(b->header[2], 2);
    EXPECT_EQ(b->ranges[1][0], 0xE0);
    EXPECT_EQ(b->ranges[1][1], 0xFC);
    EXPECT_EQ(ReadShape(b, 0), "BIG");
    ASSERT_TRUE(sh_seeksh(b, 0x82A0));
    EXPECT_EQ(sh_fgetc(b), 0);
    EXPECT_EQ(sh_fgetc(b), 0x14);

    ShFont *u = sh_open(dwg, "uni");
    ASSERT_NE(u, nullptr);
    EXPECT_EQ(u->kind, unsigned(SH_UNIFONT));
    EXPECT_EQ(u->numshapes, 3u);
    EXPECT_EQ(ReadShape(u, 0), "UNI");
    EXPECT_EQ(ReadShape(u, 0x41), "A");
    ASSERT_TRUE(sh_seeksh(u, 0x3042));
    EXPECT_EQ(sh_fgetc(u), 0);
    EXPECT_EQ(g_bad, 0);
}

TEST_F(ShapeFiles, LyingAndCutFilesAreRefused)
{
    const std::string good = ShapesFile({{1, Body("BOX", "\x14\x10")}, {2, Body("TRI", "\x12")}});
    std::string manyshapes = good;
    manyshapes.replace(28, 2, Le16(60000)); /* a count the file cannot hold */
    std::string longshape = good;
    longshape.replace(32, 2, Le16(5000)); /* a length past the end */
    std::string bigoffset = std::string("AutoCAD-86 bigfont 1.0\r\n\x1A") + Le16(8) + Le16(1) + Le16(0) +
                            Le16(0) + Le16(4) + Le32(1u << 30) + "abcd";
    std::string bigranges =
        std::string("AutoCAD-86 bigfont 1.0\r\n\x1A") + Le16(8) + Le16(0) + Le16(40000) + Le16(0x81);
    std::string unicount = std::string("AutoCAD-86 unifont 1.0\r\n\x1A") + Le32(0x7FFFFFFF) + Le16(1) + "x";
    const struct {
        const char *name;
        std::string bytes;
    } files[] = {{"empty.shx", ""},
                 {"short.shx", "AutoCAD-86"},
                 {"nosig.shx", std::string(100, 'x')},
                 {"cut.shx", good.substr(0, good.size() - 3)},
                 {"noheader.shx", good.substr(0, 26)},
                 {"many.shx", manyshapes},
                 {"long.shx", longshape},
                 {"bigoff.shx", bigoffset},
                 {"bigranges.shx", bigranges},
                 {"unicount.shx", unicount}};
    for (const auto &f : files) Put(f.name, f.bytes);
    Put("good.shx", good);
    setenv("ACAD", dir.c_str(), 1);
    int bad = 0;
    for (const auto &f : files) {
        EXPECT_EQ(sh_open(dwg, f.name), nullptr) << f.name;
        EXPECT_EQ(g_bad, ++bad) << f.name;
        EXPECT_EQ(sh_open(dwg, f.name), nullptr); /* remembered: not looked at again */
        EXPECT_EQ(g_bad, bad) << f.name;
    }
    EXPECT_NE(sh_open(dwg, "good.shx"), nullptr);
    EXPECT_EQ(sh_open(dwg, "missing.shx"), nullptr);
    EXPECT_EQ(sh_open(dwg, "font.fnt"), nullptr); /* not a shape file name */
    EXPECT_EQ(sh_open(dwg, ""), nullptr);
    EXPECT_EQ(sh_open(dwg, nullptr), nullptr);
    EXPECT_EQ(sh_open(dwg, std::string(100, 'a').c_str()), nullptr);
}

TEST_F(ShapeFiles, NamesThatAreNoRegularFilesFailAtOnce)
{
    ASSERT_EQ(mkfifo((dir + "/pipe.shx").c_str(), 0600), 0);
    ASSERT_EQ(mkdir((dir + "/folder.shx").c_str(), 0700), 0);
    setenv("ACAD", dir.c_str(), 1);
    EXPECT_EQ(sh_open(dwg, "pipe.shx"), nullptr); /* would block forever if opened */
    EXPECT_EQ(sh_open(dwg, "folder"), nullptr);
    EXPECT_EQ(sh_open(dwg, (dir + "/pipe.shx").c_str()), nullptr);
    EXPECT_EQ(g_bad, 3);
    /* even past the examine callback */
    adSetAd2ExamineshapefileFn(nullptr);
    EXPECT_EQ(sh_open(dwg, (dir + "/PIPE.shx").c_str()), nullptr);
    char path[AD_FILENAME_LEN];
    EXPECT_FALSE(adDefaultExamineFile((dir + "/pipe.shx").c_str(), path, nullptr));
}

TEST_F(ShapeFiles, TrueTypeNamesGoToTheirCallback)
{
    EXPECT_EQ(sh_open(dwg, "Arial.ttf"), nullptr); /* no callback: not found */
    adUnloadFontFiles(dwg);
    adSetAd2ExamineTTFFn(FindTrueType);
    ShFont *f = sh_open(dwg, "Arial|b1|i1|c161|p34");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(g_ttfname, "Arial");
    EXPECT_EQ(f->kind, unsigned(SH_TRUETYPE));
    EXPECT_EQ(f->ttstyle, 0x0300A122u);
    EXPECT_STREQ(f->path, "/fonts/arial.ttf");
    f = sh_open(dwg, "Times.TTF");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->ttstyle, 0u);
    f = sh_open(dwg, "Courier|b0|i0");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->ttstyle, 0u);
    EXPECT_EQ(g_examined, 0); /* the shape-file search is not asked */
}

TEST_F(ShapeFiles, ShapeNamesResolveThroughTheTextStyles)
{
    const std::string shx =
        Put("sym.shx", ShapesFile({{1, Body("BOX", "\x14")}, {135, Body("TRI", "\x12")}}));
    const std::string dxf = "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n0\nENDSEC\n"
                            "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nSTYLE\n70\n2\n"
                            "0\nSTYLE\n5\n30\n2\nTEXTSTYLE\n70\n0\n3\ntxt.shx\n"
                            "0\nSTYLE\n5\n31\n2\n\n70\n1\n3\n" +
                            shx + "\n0\nENDTAB\n0\nENDSEC\n0\nEOF\n";
    AdDrawing *d = adLoadFile(TempFile(dxf).c_str(), 1, 0);
    ASSERT_NE(d, nullptr) << adError();
    unsigned char handle[8];
    int16_t number = -1;
    EXPECT_TRUE(adGetShapefileAndNumber(d, "tri", handle, &number));
    EXPECT_EQ(number, 135);
    EXPECT_EQ(HV(handle), 0x31u);
    EXPECT_TRUE(adGetShapefileAndNumber(d, "BOX", handle, &number));
    EXPECT_EQ(number, 1);
    EXPECT_FALSE(adGetShapefileAndNumber(d, "CIRCLE", handle, &number));
    EXPECT_EQ(number, 0);
    EXPECT_EQ(HV(handle), 0u);
    EXPECT_FALSE(adGetShapefileAndNumber(d, "", handle, &number));
    adCloseFile(d); /* frees its fonts */
}

} // namespace
