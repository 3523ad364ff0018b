/* General utilities: temporary names, environment aliases, file existence,
 * lower-casing, byte operations, and the clean-up after a stop by signal. */
#include "../kernel_fixture.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "kernel/ugn/ugn_int.h"
#include "support/VyrProcess.h"
#include "support/VyrTempFile.h"

namespace {

class UgnTest : public vyrtest::KernelTest {};

TEST_F(UgnTest, TempNamesUnderTramelTmpCountUp)
{
    VyrTempDir dir("vyr_tramel");
    const std::string d = dir.Path();
    setenv("TRAMEL_TMP", d.c_str(), 1);
    char part[32];
    for (int i = 0; i < 3; ++i) {
        char *name = ugn_TempFile();
        ASSERT_NE(name, nullptr);
        snprintf(part, sizeof part, "/t%4.4x%03x.%03x", (unsigned)getpid() & 0xFFFF, i, 0);
        EXPECT_EQ(name, d + part);
    }
    ugn__TmpNum = 0x1A5;
    setenv("TRAMEL_TMP", (d + "/").c_str(), 1); /* no second slash */
    snprintf(part, sizeof part, "/t%4.4x%03x.%03x", (unsigned)getpid() & 0xFFFF, 0xA5, 1);
    EXPECT_EQ(ugn_TempFile(), d + part);
    EXPECT_EQ(ugn__TmpNum, 0x1A6);
    unsetenv("TRAMEL_TMP");
}

std::string printed;
void Capture(const char *line, FILE *) { printed += line; }

/* A directory that is missing or no directory is passed over with one
 * warning that names it and the variable; the next usable one serves. */
TEST_F(UgnTest, UnusableTemporaryDirectoriesAreNamedAndPassedOver)
{
    VyrTempDir dir("vyr_tmpdir");
    const std::string file = dir.Path() + "/a-file";
    close(open(file.c_str(), O_WRONLY | O_CREAT, 0600));
    struct Case {
        const char *tramel, *tmpdir;
        std::string expect, warning;
    } cases[] = {
        {nullptr, "/nonexistent-vyr", "/tmp",
         "The temporary directory '/nonexistent-vyr' named by TMPDIR cannot be used (No such file or "
         "directory); "
         "'/tmp' is used instead."},
        {nullptr, file.c_str(), "/tmp", "named by TMPDIR cannot be used (Not a directory)"},
        {"/nonexistent-vyr", dir.Path().c_str(), dir.Path(),
         "'/nonexistent-vyr' named by TRAMEL_TMP cannot be used (No such file or directory); '" + dir.Path() +
             "' is used instead."},
    };
    for (const Case &c : cases) {
        ugn_Terminate();
        ugn_Initialize();
        mpm_ClearStack(0);
        if (c.tramel) setenv("TRAMEL_TMP", c.tramel, 1);
        setenv("TMPDIR", c.tmpdir, 1);
        const char *found = ugn_TempDirectory();
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(std::string(found), c.expect);
        EXPECT_EQ(mpm_GetLastError(), UGN_TMPDIR_UNUSABLE);
        EXPECT_EQ(mpm_GetLastSeverity(), MPM_WARNING);
        EXPECT_EQ(mpm_StackHoldsError(), 0) << "a warning, no failure";
        ASSERT_EQ(mpm_GetStackDepth(), 1);
        ugn_TempDirectory();
        EXPECT_EQ(mpm_GetStackDepth(), 1) << "one warning per start of the module";
        printed.clear();
        MpmOutputRoutine old = mpm_SetOutputRoutine(Capture);
        mpm_DumpStack(MPM_OPT_DUMP_ALL);
        mpm_SetOutputRoutine(old);
        for (char &ch : printed) /* lines are wrapped at 80 columns */
            if (ch == '\n') ch = ' ';
        EXPECT_NE(printed.find(c.warning), std::string::npos) << printed;
        unsetenv("TRAMEL_TMP");
    }
    unsetenv("TMPDIR");
}
TEST_F(UgnTest, TempNamesWithoutTramelTmpAreFreshAndDistinct)
{
    unsetenv("TRAMEL_TMP");
    setenv("TMPDIR", "/tmp", 1);
    std::string a = ugn_TempFile();
    std::string b = ugn_TempFile();
    EXPECT_NE(a, b);
    EXPECT_EQ(a.rfind("/tmp/", 0), 0u);
    struct stat st;
    EXPECT_NE(lstat(a.c_str(), &st), 0);
    /* the caller can create it exclusively */
    int fd = open(a.c_str(), O_CREAT | O_EXCL | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    close(fd);
    unlink(a.c_str());
}

TEST_F(UgnTest, EnvironmentAliases)
{
    setenv("VYR_TEST_REAL", "real", 1);
    setenv("VYR_TEST_OTHER", "other", 1);
    char *v = nullptr;
    ugn_GetEnv(0, "VYR_TEST_REAL", &v);
    ASSERT_NE(v, nullptr);
    EXPECT_STREQ(v, "real");
    ugn_GetEnv(0, "VYR_TEST_UNSET_XYZ", &v);
    EXPECT_EQ(v, nullptr);

    ASSERT_EQ(ugn_SetEnvAlias(0, "VYR_TEST_REAL", "VYR_TEST_OTHER", nullptr), 0);
    ugn_GetEnv(0, "VYR_TEST_REAL", &v);
    EXPECT_STREQ(v, "other");
    ASSERT_EQ(ugn_SetEnvAlias(0, "VYR_TEST_REAL", "VYR_TEST_UNSET_XYZ", nullptr), 0);
    ugn_GetEnv(0, "VYR_TEST_REAL", &v); /* alias unset: the variable itself */
    EXPECT_STREQ(v, "real");
    ASSERT_EQ(ugn_SetEnvAlias(0, "VYR_TEST_REAL", "VYR_TEST_OTHER", "fixed"), 0);
    ugn_GetEnv(0, "VYR_TEST_REAL", &v);
    EXPECT_STREQ(v, "fixed");

    std::string longname(80, 'A');
    EXPECT_EQ(ugn_SetEnvAlias(0, longname.c_str(), nullptr, nullptr), UGN_ENV_VAR_TOO_LONG);
}

TEST_F(UgnTest, FileExistence)
{
    EXPECT_EQ(ugn_FileExist(0, nullptr), 0);
    EXPECT_EQ(ugn_FileExist(0, "/definitely/not/here"), 0);
    EXPECT_EQ(ugn_FileExist(0, "/proc/self/status"), 1);
    EXPECT_EQ(ugn_FileExist(0, "/"), 1);
    EXPECT_EQ(ugn_GetPID(), (int)getpid());
}

TEST_F(UgnTest, LowerCaseIsAsciiOnly)
{
    char s[] = "LaYeR_0 \xC4Z";
    ugn_GetLower(s);
    EXPECT_STREQ(s, "layer_0 \xC4z");
    ugn_GetLower(nullptr);
}

TEST_F(UgnTest, ByteOperations)
{
    unsigned char buf[16];
    ugn_FillByte(sizeof buf, 0xAB, buf);
    EXPECT_EQ(buf[15], 0xAB);
    ugn_ZeroByte(8, buf + 4);
    EXPECT_EQ(buf[3], 0xAB);
    EXPECT_EQ(buf[4], 0);
    EXPECT_EQ(buf[11], 0);
    EXPECT_EQ(buf[12], 0xAB);
    unsigned char src[8] = {1, 2, 3, 4, 5, 6, 7, 8}, dst[8] = {};
    ugn_MoveByte(8, src, dst);
    EXPECT_EQ(memcmp(src, dst, 8), 0);
    /* overlapping forward copy repeats the leading bytes */
    unsigned char pat[8] = {1, 2, 0, 0, 0, 0, 0, 0};
    ugn_MoveByte(6, pat, pat + 2);
    const unsigned char expect[8] = {1, 2, 1, 2, 1, 2, 1, 2};
    EXPECT_EQ(memcmp(pat, expect, 8), 0);
    /* copying towards lower addresses is a plain move */
    unsigned char down[6] = {0, 0, 3, 4, 5, 6};
    ugn_MoveByte(4, down + 2, down);
    const unsigned char expect_down[6] = {3, 4, 5, 6, 5, 6};
    EXPECT_EQ(memcmp(down, expect_down, 6), 0);
}

/* Bulk areas come in whole aligned units, zero-filled to their last byte. */
TEST_F(UgnTest, BulkAreasAreWholeAlignedZeroedUnits)
{
    const size_t unit = UGN_BULK_UNIT;
    const struct {
        size_t asked, granted;
    } cases[] = {{1, unit}, {unit, unit}, {unit + 1, 2 * unit}, {5 * unit / 2, 3 * unit}};
    for (const auto &c : cases) {
        size_t granted = 0;
        unsigned char *area = static_cast<unsigned char *>(ugn_BulkAlloc(c.asked, &granted));
        ASSERT_NE(area, nullptr) << c.asked;
        EXPECT_EQ(granted, c.granted) << c.asked;
        EXPECT_EQ(reinterpret_cast<uintptr_t>(area) % unit, 0u) << c.asked;
        EXPECT_EQ(area[0] | area[granted / 2] | area[granted - 1], 0) << c.asked;
        area[granted - 1] = 1;
        ugn_BulkFree(area, c.asked);
    }
    size_t granted = 7;
    EXPECT_EQ(ugn_BulkAlloc(0, &granted), nullptr);
    EXPECT_EQ(granted, 0u);
    ugn_BulkFree(nullptr, unit);
}

/* Big blocks: under the threshold a heap block of the size asked, from it up
 * whole aligned units; zero-filled either way and freed by the size asked. */
TEST_F(UgnTest, BigBlocksTakeBulkMemoryFromHalfAUnit)
{
    const size_t unit = UGN_BULK_UNIT, min = UGN_BIG_MIN;
    const struct {
        size_t asked, granted;
        bool bulk;
    } cases[] = {{0, 0, false},     {1, 1, false},      {min - 1, min - 1, false},
                 {min, unit, true}, {unit, unit, true}, {unit + 1, 2 * unit, true}};
    for (const auto &c : cases) {
        size_t granted = 7;
        unsigned char *block = static_cast<unsigned char *>(ugn_BigAlloc(c.asked, &granted));
        ASSERT_NE(block, nullptr) << c.asked;
        EXPECT_EQ(granted, c.granted) << c.asked;
        if (c.bulk) { EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % unit, 0u) << c.asked; }
        if (granted) {
            EXPECT_EQ(block[0] | block[granted / 2] | block[granted - 1], 0) << c.asked;
            block[granted - 1] = 1;
        }
        ugn_BigFree(block, c.asked);
    }
    ugn_BigFree(nullptr, 1);
    ugn_BigFree(nullptr, min);
}

} // namespace

namespace {

/* What a signal handler cleans up: the registered files (whether or not
 * they were created yet, and never one withdrawn) and the registered
 * process group with everything in it. */
TEST(UgnCleanUp, RemovesTrackedFilesAndKillsTheTrackedGroup)
{
    VyrTempDir dir("vyr_cleanup");
    ASSERT_FALSE(dir.Path().empty());
    const std::string kept = dir.Path() + "/kept", removed = dir.Path() + "/removed",
                      never = dir.Path() + "/never-created";
    for (const std::string &p : {kept, removed}) close(open(p.c_str(), O_WRONLY | O_CREAT, 0600));
    ASSERT_EQ(ugn_TrackFile(kept.c_str()), 0);
    ASSERT_EQ(ugn_TrackFile(removed.c_str()), 0);
    ASSERT_EQ(ugn_TrackFile(never.c_str()), 0);
    ugn_UntrackFile(kept.c_str());
    EXPECT_EQ(ugn_TrackFile(std::string(5000, 'x').c_str()), -1) << "longer than any path";

    /* A group leader with a child of its own, both waiting forever. */
    const pid_t leader = fork();
    ASSERT_GE(leader, 0);
    if (leader == 0) {
        setpgid(0, 0);
        if (fork() == 0) pause();
        pause();
        _exit(0);
    }
    setpgid(leader, leader);
    ugn_TrackProcessGroup(leader);
    ugn_CleanUpAfterSignal();
    ugn_TrackProcessGroup(0);
    ugn_UntrackFile(never.c_str());
    ugn_UntrackFile(removed.c_str());

    int status = 0;
    ASSERT_EQ(waitpid(leader, &status, 0), leader);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    /* The leader's child went with the group: nothing is left in it. */
    EXPECT_TRUE(VyrGroupEnds(leader, 5.0));
    struct stat st;
    EXPECT_EQ(stat(kept.c_str(), &st), 0);
    EXPECT_NE(stat(removed.c_str(), &st), 0);
}

TEST(UgnCleanUp, SlotsAreReusedAndLimited)
{
    std::vector<std::string> names;
    for (int i = 0; i < UGN_TRACKED_FILES; ++i) {
        names.push_back("/nonexistent/vyr-" + std::to_string(i));
        ASSERT_EQ(ugn_TrackFile(names.back().c_str()), 0) << i;
    }
    EXPECT_EQ(ugn_TrackFile("/nonexistent/one-too-many"), -1);
    ugn_UntrackFile(names[3].c_str());
    EXPECT_EQ(ugn_TrackFile("/nonexistent/one-too-many"), 0);
    ugn_UntrackFile("/nonexistent/one-too-many");
    for (const std::string &n : names) ugn_UntrackFile(n.c_str());
}

} // namespace
