/* The dxf2cgm host program, run as a separate process: usage errors, inputs
 * it cannot read or that are no files, outputs it cannot write or that are
 * the input, two inputs of one name, stops by signal and a hanging
 * down-converter, the conversion of the bundled sample drawing, and of the
 * sample drawings of release 2004 and later through the down-converter
 * beside it. */
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <dirent.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/VyrProcess.h"
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

std::vector<std::string> Names(const std::string &dir)
{
    std::vector<std::string> names;
    if (DIR *d = ::opendir(dir.c_str())) {
        while (dirent *e = ::readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
        ::closedir(d);
    }
    return names;
}

void WriteText(const std::string &path, const std::string &text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

double Seconds()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

/* A drawing of a release the toolkit leaves to the down-converter. */
const char *const kNewerRelease =
    "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1018\n  0\nENDSEC\n  0\nEOF\n";

bool GroupGone(pid_t group) { return VyrGroupEnds(group, 5.0); }

class Dxf2CgmTool : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!VyrFileExists(kTool)) GTEST_SKIP() << "dxf2cgm is not built";
        ASSERT_FALSE(dir.Path().empty());
        work = dir.Path();
        tmp = work + "/tmp";
        converterLog = work + "/converters";
    }

    /* Runs the tool with `args` (already quoted as needed), stopped after
     * 60 s should it hang (status 124). */
    Outcome Tool(const std::string &args)
    {
        Outcome r;
        const std::string out = work + "/stdout", err = work + "/stderr";
        const int status = std::system(
            ("timeout 60 " + kTool + " " + args + " >" + out + " 2>" + err + " </dev/null").c_str());
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = VyrReadFile(out);
        r.err = VyrReadFile(err);
        ::unlink(out.c_str());
        ::unlink(err.c_str());
        return r;
    }

    /* Starts a copy of the tool with `args` and a private temporary
     * directory, beside a stand-in down-converter (also first on the PATH)
     * that notes its process id in `converterLog` and then waits forever,
     * with a child of its own. */
    pid_t StartWithHangingConverter(const std::vector<std::string> &args)
    {
        const std::string bin = work + "/bin";
        ::mkdir(bin.c_str(), 0700);
        ::mkdir(tmp.c_str(), 0700);
        const std::string converter = bin + "/RozOzoRoruveziz", tool = bin + "/dxf2cgm";
        WriteText(converter, "#!/bin/sh\necho $$ >> '" + converterLog + "'\nsleep 60 &\nwait\n");
        ::chmod(converter.c_str(), 0700);
        if (!VyrFileExists(tool)) {
            WriteText(tool, VyrReadFile(kTool));
            ::chmod(tool.c_str(), 0700);
        }
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::setenv("PATH", (bin + ":" + std::getenv("PATH")).c_str(), 1);
            ::setenv("TMPDIR", tmp.c_str(), 1);
            ::unsetenv("TRAMEL_TMP");
            const int err = ::open((work + "/stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(err, 2);
            std::vector<char *> argv = {const_cast<char *>(tool.c_str())};
            for (const std::string &a : args) argv.push_back(const_cast<char *>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(tool.c_str(), argv.data());
            ::_exit(127);
        }
        return pid;
    }

    /* The process ids the stand-in converters noted, once there are n. */
    std::vector<pid_t> Converters(size_t n)
    {
        std::vector<pid_t> pids;
        for (int i = 0; i < 2000 && pids.size() < n; ++i) {
            pids.clear();
            std::ifstream in(converterLog);
            long pid;
            while (in >> pid) pids.push_back(pid_t(pid));
            if (pids.size() < n) ::usleep(10000);
        }
        return pids;
    }

    /* The exit status of a started tool; -1 when it did not end in 30 s. */
    int Wait(pid_t pid)
    {
        for (int i = 0; i < 3000; ++i) {
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
            ::usleep(10000);
        }
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        return -1;
    }

    VyrTempDir dir{"vyr_tool"};
    std::string work;
    std::string tmp, converterLog;
};

/* Command lines that cannot work: usage errors (status 2), an input that
 * cannot be read and an output that cannot be made (status 1), each said
 * on standard error; no picture is left. "--help" answers on standard
 * output. */
TEST_F(Dxf2CgmTool, CommandLinesThatCannotWork)
{
    const struct {
        std::string args;
        int status;
        std::string said; /* on standard error; on standard output for --help */
    } cases[] = {
        {"", 2, "usage: dxf2cgm"},
        {"only-one.dxf", 2, ""},
        {"a.dxf b.cgm c.cgm", 2, ""},
        {"--frobnicate a.dxf b.cgm", 2, "unknown option --frobnicate"},
        {"-o " + work + " -j 0 a.dxf", 2, "-j needs a positive number"},
        {"-o", 2, ""},
        {"-o " + work + "/missing-dir a.dxf", 2, "is not a directory"},
        {"--help", 0, "-j N"},
        {work + "/no-such-drawing.dxf " + work + "/out.cgm", 1,
         "cannot read " + work + "/no-such-drawing.dxf"},
        {kSample + " " + work + "/no/such/dir/out.cgm", 1,
         "The picture '" + work + "/no/such/dir/out.cgm' cannot be created"},
    };
    for (const auto &c : cases) {
        const Outcome r = Tool(c.args);
        EXPECT_EQ(r.status, c.status) << c.args;
        EXPECT_NE((c.status == 0 ? r.out : r.err).find(c.said), std::string::npos) << c.args << ": " << r.err;
        EXPECT_FALSE(VyrFileExists(work + "/out.cgm")) << c.args;
    }
}

TEST_F(Dxf2CgmTool, InputsThatAreNoFilesAreRefusedAtOnce)
{
    const std::string fifo = work + "/pipe.dxf", socket = work + "/socket.dxf";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socket.c_str());
    const bool bound = s >= 0 && ::bind(s, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    struct Case {
        std::string path;
        const char *kind;
    };
    std::vector<Case> cases = {{fifo, "a pipe"}, {work, "a directory"}};
    if (bound) cases.push_back({socket, "a socket"});
    if (VyrFileExists("/dev/zero")) cases.push_back({"/dev/zero", "a device"});
    for (const Case &c : cases) {
        const double start = Seconds();
        Outcome r = Tool(c.path + " " + work + "/out.cgm");
        EXPECT_EQ(r.status, 1) << c.path;
        EXPECT_NE(r.err.find(c.path + " is " + c.kind + ", not a drawing file"), std::string::npos) << r.err;
        EXPECT_LT(Seconds() - start, 10.0) << c.path;
        EXPECT_FALSE(VyrFileExists(work + "/out.cgm"));
    }
    if (s >= 0) ::close(s);
}

/* With -v each kind of entity that the picture leaves out is named once on
 * standard error with its count; without it, nothing is said. */
TEST_F(Dxf2CgmTool, WhatIsNotDrawnIsNamedWithV)
{
    const std::string drawing = std::string(VYR_TEST_DATA_DIR) + "/undrawn/undrawn.dxf";
    Outcome r = Tool("-v " + drawing + " " + work + "/out.cgm");
    EXPECT_EQ(r.status, 0) << r.err;
    for (const char *line : {": 2 XLINE entities not drawn\n", ": 1 RAY entity not drawn\n"}) {
        const size_t at = r.err.find(line);
        EXPECT_NE(at, std::string::npos) << line << r.err;
        EXPECT_EQ(r.err.find(line, at + 1), std::string::npos) << "named once: " << line;
    }
    EXPECT_NE(r.out.find("1 lines"), std::string::npos) << r.out;
    r = Tool(drawing + " " + work + "/out.cgm");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err.find("not drawn"), std::string::npos) << r.err;
    r = Tool(std::string(VYR_TEST_DATA_DIR) + "/undrawn/nothing.dxf " + work + "/out.cgm");
    EXPECT_EQ(r.status, 0);
    for (char &c : r.err)
        if (c == '\n') c = ' ';
    EXPECT_NE(r.err.find("holds nothing that is drawn"), std::string::npos) << r.err;
}

/* Paths as long as the system allows (4,096 bytes with the terminating
 * zero) are taken for the drawing and the picture alike. */
TEST_F(Dxf2CgmTool, PathsUpToTheSystemLimit)
{
    std::string deep = work;
    const std::string part = "/" + std::string(200, 'd');
    while (deep.size() + part.size() < 4096 - 40) {
        deep += part;
        ASSERT_EQ(::mkdir(deep.c_str(), 0700), 0) << deep.size();
    }
    const std::string drawing = deep + "/drawing.dxf";
    WriteText(drawing, VyrReadFile(kSample));
    ASSERT_GT(drawing.size(), 4000u);
    ASSERT_LT(drawing.size() + 6, 4096u);
    Outcome r = Tool(drawing + " " + deep + "/pic.cgm");
    EXPECT_EQ(r.status, 0) << r.err.substr(0, 300);
    EXPECT_GT(VyrReadFile(deep + "/pic.cgm").size(), 100u);
    ::unlink((deep + "/pic.cgm").c_str());
    r = Tool("-o " + deep + " " + drawing);
    EXPECT_EQ(r.status, 0) << r.err.substr(0, 300);
    EXPECT_GT(VyrReadFile(deep + "/drawing.cgm").size(), 100u);
}

TEST_F(Dxf2CgmTool, TheOutputIsNeverTheInput)
{
    const std::string drawing = work + "/x.cgm"; /* a drawing under a picture's name */
    const std::string bytes = VyrReadFile(kSample);
    WriteText(drawing, bytes);
    ASSERT_EQ(::symlink(drawing.c_str(), (work + "/link.cgm").c_str()), 0);
    for (const std::string &args : {drawing + " " + drawing, drawing + " " + work + "/link.cgm",
                                    "-o " + work + " " + drawing, "-o " + work + " -j 2 " + drawing}) {
        Outcome r = Tool(args);
        EXPECT_EQ(r.status, 1) << args;
        EXPECT_NE(r.err.find("would overwrite the drawing"), std::string::npos) << args << r.err;
        EXPECT_EQ(VyrReadFile(drawing), bytes) << args;
    }
    EXPECT_EQ(Names(work).size(), 2u) << "nothing written beside the drawing";
}

TEST_F(Dxf2CgmTool, TwoInputsOfOneNameAreRefused)
{
    const std::string out = work + "/out";
    ASSERT_EQ(::mkdir(out.c_str(), 0700), 0);
    for (const char *sub : {"/a", "/b"}) {
        ::mkdir((work + sub).c_str(), 0700);
        WriteText(work + sub + "/x.dxf", VyrReadFile(kSample));
    }
    for (const std::string jobs : {"", "-j 2 "}) {
        Outcome r = Tool(jobs + "-o " + out + " " + work + "/a/x.dxf " + work + "/b/x.dxf");
        EXPECT_EQ(r.status, 2) << jobs;
        EXPECT_NE(
            r.err.find(work + "/a/x.dxf and " + work + "/b/x.dxf would both be written to " + out + "/x.cgm"),
            std::string::npos)
            << r.err;
        r = Tool(jobs + "-o " + out + " " + work + "/a/x.dxf " + work + "/a/x.dxf");
        EXPECT_EQ(r.status, 2) << "one input twice";
        EXPECT_TRUE(Names(out).empty()) << "nothing is converted";
    }
}

TEST_F(Dxf2CgmTool, WriteErrorsFailAndKeepTheOldPicture)
{
    if (VyrFileExists("/dev/full")) {
        Outcome r = Tool(kSample + " /dev/full");
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("could not be written: No space left on device"), std::string::npos) << r.err;
    }
    /* A file size limit of 2 blocks fails the writes as a full disk would.
     * The drawing's model must stay in memory, or the limit fails its page
     * file first: a small drawing with a picture of several blocks. */
    const std::string picture = work + "/picture.cgm";
    const std::string small = SourceDir() + "/tests/data/blocks/blocks_r2000.dxf";
    WriteText(picture, "OLD");
    const std::string command =
        "trap '' XFSZ; ulimit -f 2; exec " + kTool + " " + small + " " + picture + " 2>" + work + "/stderr";
    const int status = std::system(("sh -c \"" + command + "\"").c_str());
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1);
    EXPECT_NE(VyrReadFile(work + "/stderr").find("could not be written"), std::string::npos);
    ::unlink((work + "/stderr").c_str());
    EXPECT_EQ(VyrReadFile(picture), "OLD");
    EXPECT_EQ(Names(work), std::vector<std::string>{"picture.cgm"});
}

/* SIGINT and SIGTERM stop a conversion that waits for the down-converter:
 * the converter's group is killed, nothing is left in TMPDIR or beside the
 * picture, and the exit status tells the signal. */
TEST_F(Dxf2CgmTool, StopsBySignalLeaveNothingBehind)
{
    WriteText(work + "/new.dxf", kNewerRelease);
    for (int signal : {SIGINT, SIGTERM}) {
        ::unlink(converterLog.c_str());
        const pid_t tool = StartWithHangingConverter({work + "/new.dxf", work + "/new.cgm"});
        const std::vector<pid_t> converters = Converters(1);
        ASSERT_EQ(converters.size(), 1u) << "the converter did not start";
        ::kill(tool, signal);
        EXPECT_EQ(Wait(tool), 128 + signal);
        EXPECT_TRUE(GroupGone(converters[0])) << "the converter's group is still there";
        EXPECT_TRUE(Names(tmp).empty()) << "temporary files are left";
        EXPECT_FALSE(VyrFileExists(work + "/new.cgm"));
        for (const std::string &name : Names(work)) EXPECT_NE(name.rfind(".new.cgm.", 0), 0u) << name;
    }
}

TEST_F(Dxf2CgmTool, AStoppedParentStopsItsWorkers)
{
    const std::string out = work + "/out";
    ASSERT_EQ(::mkdir(out.c_str(), 0700), 0);
    WriteText(work + "/one.dxf", kNewerRelease);
    WriteText(work + "/two.dxf", kNewerRelease);
    const pid_t tool =
        StartWithHangingConverter({"-j", "2", "-o", out, work + "/one.dxf", work + "/two.dxf"});
    const std::vector<pid_t> converters = Converters(2);
    ASSERT_EQ(converters.size(), 2u) << "the converters did not start";
    ::kill(tool, SIGTERM); /* the parent alone, as a service manager would */
    EXPECT_EQ(Wait(tool), 143);
    for (pid_t c : converters) EXPECT_TRUE(GroupGone(c));
    EXPECT_TRUE(Names(tmp).empty());
    EXPECT_TRUE(Names(out).empty());
}

TEST_F(Dxf2CgmTool, AHangingConverterIsStoppedAtItsTimeLimit)
{
    WriteText(work + "/new.dxf", kNewerRelease);
    const double start = Seconds();
    const pid_t tool =
        StartWithHangingConverter({"--converter-timeout", "1", work + "/new.dxf", work + "/new.cgm"});
    EXPECT_EQ(Wait(tool), 1);
    EXPECT_LT(Seconds() - start, 15.0);
    const std::vector<pid_t> converters = Converters(1);
    ASSERT_EQ(converters.size(), 1u);
    EXPECT_TRUE(GroupGone(converters[0]));
    EXPECT_TRUE(Names(tmp).empty());
    EXPECT_FALSE(VyrFileExists(work + "/new.cgm"));
    Outcome r = Tool("--converter-timeout 0 " + kSample + " " + work + "/x.cgm");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--converter-timeout needs a positive number"), std::string::npos);
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

/* Every sample drawing of release 2004 and later converts with the build
 * tree's programs alone, as a user of the README's build runs them. */
TEST_F(Dxf2CgmTool, ConvertsTheNewerSampleDrawings)
{
    const std::string samples = VYR_SAMPLES_DIR;
    if (!VyrFileExists(samples)) GTEST_SKIP() << "no sample drawings at " << samples;
    const char *const drawings[] = {
        "ixmilia+dxf/i.r2004.dxf", /* AC1018 */
        "ixmilia+dxf/t.r2004.dxf", /* AC1018 */
        "ixmilia+dxf/i.r2007.dxf", /* AC1021 from here on */
        "LibreCAD+LibreCAD/Complete-Lib-V.dxf",
        "LibreCAD+LibreCAD/Valve-ECF80.dxf",
        "LibreCAD+LibreCAD/aw21.dxf",
        "LibreCAD+LibreCAD/dim_sample.dxf",
        "LibreCAD+LibreCAD/gost_glass1.dxf",
        "LibreCAD+LibreCAD/kin116.dxf",
        "LibreCAD+LibreCAD/v19.dxf",
        "ixmilia+dxf/t.r2010.dxf",                 /* AC1024 */
        "gdsestimating+dxf-parser/mtext-test.dxf", /* AC1027 */
    };
    std::string args = "-v -o " + work;
    for (const char *d : drawings) args += " '" + samples + "/" + d + "'";
    Outcome r;
    const int status = std::system(
        ("PATH=/nonexistent " + kTool + " " + args + " >" + work + "/stdout 2>" + work + "/stderr").c_str());
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = VyrReadFile(work + "/stdout");
    r.err = VyrReadFile(work + "/stderr");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err.find("rror"), std::string::npos) << r.err;
    for (const char *d : drawings) {
        std::string name = d;
        name = name.substr(name.find('/') + 1);
        name = name.substr(0, name.size() - 4);
        SCOPED_TRACE(name);
        const std::string picture = VyrReadFile(work + "/" + name + ".cgm");
        /* a whole metafile: BEGIN METAFILE (class 0, id 1) to END METAFILE */
        ASSERT_GE(picture.size(), 4u);
        EXPECT_EQ(static_cast<unsigned char>(picture[0]), 0x00);
        EXPECT_EQ(static_cast<unsigned char>(picture[1]) >> 5, 1);
        EXPECT_EQ(picture.substr(picture.size() - 2), std::string("\x00\x40", 2));
        EXPECT_NE(r.out.find(std::string("/") + d + ":"), std::string::npos) << r.out;
    }
    /* the drawings of LibreCAD hold lines and circles, which come out */
    EXPECT_NE(r.out.find("circles"), std::string::npos) << r.out;
}

} // namespace
