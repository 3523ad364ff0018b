/* The dxf2cgm host program, run as a separate process: usage errors, inputs
 * it cannot read, outputs it cannot write, and (once the kernel can read
 * drawings) the conversion of the bundled sample drawing. */
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "support/VyrTempFile.h"

namespace {

const std::string kTool = std::string(VYR_BINARY_DIR) + "/tools/dxf2cgm";
/* The source tree is the test data directory's grandparent. */
std::string SourceDir()
{
    std::string dir = VYR_TEST_DATA_DIR;
    for (int up = 0; up < 2; ++up) dir.erase(dir.find_last_of('/'));
    return dir;
}
const std::string kSample = SourceDir() + "/examples/sample.dxf";

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

bool Exists(const std::string &path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

class Dxf2CgmTool : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!Exists(kTool)) GTEST_SKIP() << "dxf2cgm is not built";
        ASSERT_FALSE(dir.Path().empty());
        work = dir.Path();
    }

    /* Runs the tool with `args` (already quoted as needed). */
    Outcome Tool(const std::string &args)
    {
        Outcome r;
        const std::string out = work + "/stdout", err = work + "/stderr";
        const int status = std::system((kTool + " " + args + " >" + out + " 2>" + err).c_str());
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = VyrReadFile(out);
        r.err = VyrReadFile(err);
        return r;
    }

    VyrTempDir dir{"vyr_tool"};
    std::string work;
};

TEST_F(Dxf2CgmTool, UsageErrors)
{
    Outcome r = Tool("");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("usage: dxf2cgm"), std::string::npos);
    EXPECT_EQ(Tool("only-one.dxf").status, 2);
    EXPECT_EQ(Tool("a.dxf b.cgm c.cgm").status, 2);
    r = Tool("--frobnicate a.dxf b.cgm");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("unknown option --frobnicate"), std::string::npos);
    r = Tool("-o " + work + " -j 0 a.dxf");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("-j needs a positive number"), std::string::npos);
    EXPECT_EQ(Tool("-o").status, 2);
    r = Tool("-o " + work + "/missing-dir a.dxf");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("is not a directory"), std::string::npos);
    r = Tool("--help");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("-j N"), std::string::npos);
}

TEST_F(Dxf2CgmTool, UnreadableInput)
{
    const std::string output = work + "/out.cgm";
    Outcome r = Tool(work + "/no-such-drawing.dxf " + output);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot read " + work + "/no-such-drawing.dxf"), std::string::npos) << r.err;
    EXPECT_FALSE(Exists(output)) << "no output for a failed conversion";
}

TEST_F(Dxf2CgmTool, UnwritableOutput)
{
    Outcome r = Tool(kSample + " " + work + "/no/such/dir/out.cgm");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot write"), std::string::npos) << r.err;
}

TEST_F(Dxf2CgmTool, ManyInputsIntoADirectory)
{
    /* Unreadable inputs fail one by one, with or without workers; the
     * others are still tried. */
    for (const char *jobs : {"", "-j 3 "}) {
        Outcome r = Tool(std::string(jobs) + "-o " + work + " " + work + "/a.dxf " + work + "/b.dxf " + work +
                         "/c.dxf");
        EXPECT_EQ(r.status, 1);
        for (const char *name : {"a", "b", "c"})
            EXPECT_NE(r.err.find(work + "/" + name + ".dxf"), std::string::npos) << jobs << name;
    }
}

TEST_F(Dxf2CgmTool, ConvertsTheSample)
{
    const std::string output = work + "/sample.cgm";
    Outcome r = Tool("-v " + kSample + " " + output);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("lines"), std::string::npos) << r.out;
    EXPECT_GT(VyrReadFile(output).size(), 100u);
}

/* A drawing of release AC1027 goes through the down-converter of the
 * build tree, found beside the program without any PATH. */
TEST_F(Dxf2CgmTool, ConvertsANewerDrawingWithTheConverterBesideIt)
{
    const std::string output = work + "/newer.cgm";
    const std::string drawing = std::string(VYR_TEST_DATA_DIR) + "/downconv/r2013.dxf";
    const int status = std::system(("PATH=/nonexistent " + kTool + " -v " + drawing + " " + output + " >" +
                                    work + "/stdout 2>" + work + "/stderr")
                                       .c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << VyrReadFile(work + "/stderr");
    EXPECT_NE(VyrReadFile(work + "/stdout").find("lines"), std::string::npos);
    EXPECT_GT(VyrReadFile(output).size(), 100u);
}

} // namespace
