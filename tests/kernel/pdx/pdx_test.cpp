/* Kernel start-up and shutdown, and file-type detection on files of every
 * type, on what is no regular file, on huge files and on the failure
 * cases. */
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <list>
#include <string>
#include <vector>

#include "kernel/mpm/mpm_int.h"
#include "kernel/pdx/pdx_int.h"
#include "support/VyrProcess.h"
#include "support/VyrTempFile.h"

namespace {

std::string g_printed;
void capture(const char *line, FILE *) { g_printed += line; }

class FileType : public ::testing::Test {
protected:
    void SetUp() override
    {
        pdx_Initialize();
        g_printed.clear();
        mpm_SetOutputRoutine(capture);
    }
    void TearDown() override
    {
        mpm_SetOutputRoutine(nullptr);
        pdx_Terminate();
        files_.clear();
    }

    std::string File(const std::string &bytes)
    {
        files_.emplace_back("");
        files_.back().Write(bytes);
        return files_.back().Path();
    }

    /* The type of a file holding `bytes`; the status must be `status`. */
    int TypeOf(const std::string &bytes, int status = 0, void **descriptor = nullptr)
    {
        int type = -1;
        void *d = nullptr;
        EXPECT_EQ(pdx_GetFileType(0, File(bytes).c_str(), &type, &d), status) << bytes.substr(0, 40);
        if (descriptor)
            *descriptor = d;
        else
            pdx_Free(0, d);
        return type;
    }

    std::string Stack()
    {
        g_printed.clear();
        mpm_DumpStack(MPM_OPT_DUMP_ALL);
        return g_printed;
    }

    static std::string IgesLine(char section, int number)
    {
        std::string line(72, ' ');
        line.replace(0, 10, "IGES START");
        char seq[9];
        snprintf(seq, sizeof seq, "%c%07d", section, number);
        return line + seq;
    }

private:
    std::list<VyrTempFile> files_;
};

TEST_F(FileType, AsciiDxfWhateverTheWhiteSpace)
{
    EXPECT_EQ(TypeOf("  0\nSECTION\n  2\nHEADER\n"), PDX_FILE_DXF);
    EXPECT_EQ(TypeOf("0\r\nSECTION\r\n"), PDX_FILE_DXF);
    EXPECT_EQ(TypeOf("\t\t0    \n\n\n   SECTION"), PDX_FILE_DXF);
    EXPECT_EQ(TypeOf("999\ndxf written by us\n  0\nSECTION\n"), PDX_FILE_DXF);
    void *d = nullptr;
    EXPECT_EQ(TypeOf("0\nSECTION\n", 0, &d), PDX_FILE_DXF);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(*static_cast<int32_t *>(d), 0);
    pdx_Free(0, d);
}

TEST_F(FileType, BinaryDxfDwgAndAcis)
{
    EXPECT_EQ(TypeOf(std::string("AutoCAD Binary DXF\r\n\x1a\0\0\0SECTION", 29)), PDX_FILE_DXF_BINARY);
    EXPECT_EQ(TypeOf(std::string("AC1015\0\0\0\0\0\x01\x02", 13)), PDX_FILE_DWG);
    EXPECT_EQ(TypeOf("AC1009"), PDX_FILE_DWG);
    void *d = nullptr;
    EXPECT_EQ(TypeOf("700 0 1 0\n@33 Spatial Technology ACIS 7.0 NT 24\nbody $-1 $1\n", 0, &d), PDX_FILE_SAT);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(*static_cast<int32_t *>(d), 700);
    pdx_Free(0, d);
    EXPECT_EQ(TypeOf(std::string("ACIS BinaryFile\x04\x00", 17)), PDX_FILE_SAB);
}

TEST_F(FileType, IgesByColumn73)
{
    void *d = nullptr;
    EXPECT_EQ(TypeOf(IgesLine('S', 1) + "\n" + IgesLine('G', 1) + "\n", 0, &d), PDX_FILE_IGES);
    ASSERT_NE(d, nullptr);
    const PdxIgesFileInfo *info = static_cast<const PdxIgesFileInfo *>(d);
    EXPECT_EQ(info->ends.length, 1);
    EXPECT_EQ(info->ends.chars[0], '\n');
    EXPECT_EQ(info->line_length, 80);
    pdx_Free(0, d);
    EXPECT_EQ(TypeOf(IgesLine('s', 2) + "\r\n"), PDX_FILE_IGES);
    EXPECT_EQ(TypeOf(IgesLine('C', 1) + "\n"), PDX_FILE_IGES_COMPRESSED);
    EXPECT_EQ(TypeOf(IgesLine('B', 1) + "\n"), PDX_FILE_IGES_BINARY);
    /* "ACIS" around column 73 is not a compressed IGES file */
    std::string acis(71, ' ');
    acis += "ACIS text";
    EXPECT_EQ(TypeOf(acis, PDX_UNKNOWN_FILETYPE), PDX_FILE_UNKNOWN);
    /* a line end of three characters */
    EXPECT_EQ(TypeOf(IgesLine('S', 1) + "\r\r\n" + IgesLine('G', 1) + "\r\r\n", PDX_BAD_EOL_DELIM),
              PDX_FILE_IGES);
    EXPECT_EQ(mpm_GetLastError(), PDX_BAD_EOL_DELIM);
}

TEST_F(FileType, StepVdafsAndSavedModels)
{
    void *d = nullptr;
    EXPECT_EQ(TypeOf("ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION(('x'),'2;1');\n"
                     "FILE_SCHEMA(('CONFIG_CONTROL_DESIGN'));\nENDSEC;\nDATA;\n",
                     0, &d),
              PDX_FILE_STEP);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(static_cast<PdxStepFileInfo *>(d)->found, 1);
    EXPECT_STREQ(static_cast<PdxStepFileInfo *>(d)->schema, "CONFIG_CONTROL_DESIGN");
    pdx_Free(0, d);
    EXPECT_EQ(TypeOf("/* comment ISO-10303-21; */ ISO-10303-21;"), PDX_FILE_STEP);
    EXPECT_EQ(TypeOf("$$ VDAFS VERSION 2.0\nHEADER = 20\n"), PDX_FILE_VDAFS);
    EXPECT_EQ(TypeOf("first HEADER line\nthen text\n"), PDX_FILE_VDAFS);
    EXPECT_EQ(TypeOf("BEGIN_MODEL 3 bracket 17 42\n", 0, &d), PDX_FILE_MODEL);
    ASSERT_NE(d, nullptr);
    const PdxModelFileInfo *m = static_cast<const PdxModelFileInfo *>(d);
    EXPECT_EQ(m->number, 3);
    EXPECT_STREQ(m->name, "bracket");
    EXPECT_EQ(m->first, 17);
    EXPECT_EQ(m->second, 42);
    pdx_Free(0, d);
}

TEST_F(FileType, WordsAreBoundedAndQuotedStringsKeptWhole)
{
    EXPECT_EQ(TypeOf(std::string(5000, 'A') + " 0 SECTION"), PDX_FILE_DXF);
    /* a quoted string holding blanks is one word, so "0" is not followed by SECTION */
    EXPECT_EQ(TypeOf("'0 SECTION' text", PDX_UNKNOWN_FILETYPE), PDX_FILE_UNKNOWN);
}

/* A pipe without a writer and an endless device are refused at once (the
 * pipe with its writer-less open released should the detection wait). */
TEST_F(FileType, OnlyRegularFilesAreRead)
{
    VyrTempDir dir("vyr_pdx");
    ASSERT_FALSE(dir.Path().empty());
    const std::string fifo = dir.Path() + "/pipe.dxf";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    int status = -1, type = -1;
    void *d = nullptr;
    EXPECT_TRUE(VyrReturnsWithin(
        5, [&] { status = pdx_GetFileType(0, fifo.c_str(), &type, &d); }, fifo));
    EXPECT_EQ(status, PDX_NOT_REGULAR_FILE);
    EXPECT_EQ(type, PDX_FILE_UNKNOWN);
    EXPECT_EQ(d, nullptr);
    EXPECT_NE(Stack().find("'" + fifo + "' is a pipe, not a file"), std::string::npos);
    mpm_ClearStack(0);
    struct stat st;
    if (stat("/dev/zero", &st) == 0) {
        EXPECT_EQ(pdx_GetFileType(0, "/dev/zero", &type, &d), PDX_NOT_REGULAR_FILE);
        EXPECT_NE(Stack().find("'/dev/zero' is a device"), std::string::npos);
        mpm_ClearStack(0);
    }
}

/* Only the start of a file is examined: a keyword after the first 64 KiB
 * does not count, and a huge file without one is done with at once. */
TEST_F(FileType, OnlyTheStartOfAFileIsScanned)
{
    EXPECT_EQ(TypeOf(std::string(60 * 1024, ' ') + "0\nSECTION\n"), PDX_FILE_DXF);
    EXPECT_EQ(TypeOf(std::string(70 * 1024, ' ') + "0\nSECTION\n", PDX_UNKNOWN_FILETYPE), PDX_FILE_UNKNOWN);
    EXPECT_EQ(TypeOf(std::string(70 * 1024, 'w') + " ISO-10303-21;", PDX_UNKNOWN_FILETYPE), PDX_FILE_UNKNOWN);
    mpm_ClearStack(0);

    /* A gigabyte of zeros (sparse, so it costs no disk). */
    VyrTempFile huge("");
    ASSERT_TRUE(huge.Write(""));
    ASSERT_EQ(truncate(huge.Path().c_str(), 1L << 30), 0);
    int type = -1;
    void *d = nullptr;
    EXPECT_EQ(pdx_GetFileType(0, huge.Path().c_str(), &type, &d), PDX_UNKNOWN_FILETYPE);
    EXPECT_EQ(type, PDX_FILE_UNKNOWN);
    mpm_ClearStack(0);
    /* On request a file of no known type is no failure and leaves no message. */
    EXPECT_EQ(pdx_GetFileType(PDX_TYPE_UNKNOWN_IS_NO_ERROR, huge.Path().c_str(), &type, &d), 0);
    EXPECT_EQ(type, PDX_FILE_UNKNOWN);
    EXPECT_EQ(d, nullptr);
    EXPECT_EQ(mpm_GetStackDepth(), 0);
}

TEST_F(FileType, FailuresAreRecordedWithThePath)
{
    int type = -1;
    void *d = reinterpret_cast<void *>(1);
    EXPECT_EQ(pdx_GetFileType(0, "", &type, &d), PDX_BAD_FILENAME);
    EXPECT_EQ(type, PDX_FILE_UNKNOWN);
    EXPECT_EQ(d, nullptr);
    EXPECT_EQ(pdx_GetFileType(0, nullptr, &type, &d), PDX_BAD_FILENAME);
    EXPECT_EQ(pdx_GetFileType(0, "/nonexistent/file.dxf", &type, &d), PDX_NOT_FOUND);
    EXPECT_NE(Stack().find("File '/nonexistent/file.dxf' does not exist."), std::string::npos);
    mpm_ClearStack(0);
    EXPECT_EQ(TypeOf("just some text\nwith words\n", PDX_UNKNOWN_FILETYPE), PDX_FILE_UNKNOWN);
    EXPECT_NE(Stack().find("File type could not be determined for the file"), std::string::npos);
    EXPECT_EQ(TypeOf("", PDX_UNKNOWN_FILETYPE), PDX_FILE_UNKNOWN);
    mpm_ClearStack(0);
    EXPECT_EQ(pdx_GetFileType(0, "/tmp", &type, &d), PDX_NOT_REGULAR_FILE);
    EXPECT_EQ(mpm_GetLastSeverity(), MPM_ERROR);
    EXPECT_NE(Stack().find("'/tmp' is a directory, not a file that can be read as a drawing"),
              std::string::npos);
    if (geteuid() != 0) {
        std::string locked = File("0\nSECTION\n");
        chmod(locked.c_str(), 0);
        EXPECT_EQ(pdx_GetFileType(0, locked.c_str(), &type, &d), PDX_OPEN_ERROR);
    }
    EXPECT_EQ(pdx_Free(0, nullptr), 0);
}

TEST(PdxStartup, NestedCallsWorkOnlyAtTheOutermostLevel)
{
    ASSERT_EQ(pdx__NestingLevel(), 0);
    EXPECT_EQ(pdx_Initialize(), 0);
    EXPECT_EQ(pdx__NestingLevel(), 1);
    EXPECT_EQ(pdx__Table[PDX_MOD_MDA].number, PDX_MOD_MDA);
    EXPECT_NE(pdx__Table[PDX_MOD_MAP].count, 0);
    /* a nested start-up does not clear what the first one registered */
    pdx__RegisterModule(&dxfi__Module);
    EXPECT_EQ(pdx_Initialize(), 0);
    EXPECT_EQ(pdx__Table[PDX_MOD_DXFI].count, dxfi__Module.count);
    EXPECT_EQ(pdx_Terminate(), 0);
    EXPECT_EQ(pdx__NestingLevel(), 1);
    mpm__SetError(0, PDX_NOT_FOUND, MPM_ERROR, "x");
    EXPECT_EQ(mpm_GetStackDepth(), 1); /* the message manager still runs */
    EXPECT_EQ(pdx_Terminate(), 0);
    EXPECT_EQ(pdx__NestingLevel(), 0);
    EXPECT_EQ(pdx_Terminate(), 0);
    EXPECT_EQ(pdx__NestingLevel(), 0);
    /* a new outermost start-up clears the registry again */
    pdx__RegisterModule(&dxfi__Module);
    pdx_Initialize();
    EXPECT_EQ(pdx__Table[PDX_MOD_DXFI].count, 0);
    pdx_Terminate();
}

} // namespace
