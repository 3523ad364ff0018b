/* Tests of the page file: transfers across page boundaries under buffer
 * pressure, zeros beyond the end, the replacement rule, temporary files
 * (0600, without a name from their creation), read-ahead of sequential
 * reads, reopening, 64-bit offsets, and block
 * allocation with its split rule and the reuse of freed extents. */
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "kernel/dof/dof.h"
#include "kernel/dof/dof_int.h"
#include "kernel/mpm/mpm.h"
#include "kernel/ugn/ugn.h"
#include "support/VyrTempFile.h"

namespace {

class DofTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mpm_Initialize();
        ugn_Initialize();
        dof_Initialize();
    }
    void TearDown() override
    {
        ugn_Terminate();
        mpm_Terminate();
    }
};

std::string ScratchName(const char *tag)
{
    return std::string("/tmp/vyr_dof_test_") + tag + "_" + std::to_string(getpid());
}

bool BufferHolds(const DofFile *f, int64_t page)
{
    for (int i = 0; i < f->nbuffers; ++i)
        if (f->buffers[i].page == page) return true;
    return false;
}

TEST_F(DofTest, TransfersAcrossPagesUnderPressure)
{
    DofFile *f = nullptr;
    ASSERT_EQ(dof_Open(DOF_MODE_TEMP, nullptr, 2, 64, &f), 0);
    std::vector<unsigned char> out(1000), in(1000);
    for (size_t i = 0; i < out.size(); ++i) out[i] = (unsigned char)(i * 7 + 3);
    ASSERT_EQ(dof_ReadWrite(1, f, 1000, 30, out.data()), 0);
    EXPECT_GT(f->stats.pages_written, 0) << "two buffers cannot hold 17 pages";
    ASSERT_EQ(dof_ReadWrite(0, f, 1000, 30, in.data()), 0);
    EXPECT_EQ(in, out);
    EXPECT_EQ(f->stats.write_calls, 1);
    EXPECT_EQ(f->stats.read_calls, 1);
    EXPECT_GT(f->stats.pages_read, 0);
    unsigned char head[30];
    ASSERT_EQ(dof_ReadWrite(0, f, 30, 0, head), 0);
    for (unsigned char c : head) EXPECT_EQ(c, 0);
    EXPECT_EQ(dof_ReadWrite(0, f, 4, -1, head), DOF_BAD_OFFSET);
    EXPECT_EQ(dof_Close(0, f), 0);
}

TEST_F(DofTest, ReadBeyondTheEndGivesZeros)
{
    DofFile *f = nullptr;
    ASSERT_EQ(dof_Open(DOF_MODE_TEMP, nullptr, 0, 0, &f), 0);
    EXPECT_EQ(f->nbuffers, DOF_DEFAULT_BUFFERS);
    EXPECT_EQ(f->page_size, DOF_DEFAULT_PAGE_SIZE);
    std::vector<unsigned char> in(100, 0xEE);
    ASSERT_EQ(dof_ReadWrite(0, f, 100, 3 * 4096 + 50, in.data()), 0);
    for (unsigned char c : in) EXPECT_EQ(c, 0);
    EXPECT_EQ(f->npages, 4) << "the file was extended up to the page read";
    EXPECT_EQ(dof_Close(0, f), 0);
}

TEST_F(DofTest, ReplacementPrefersOldLowScoredBuffers)
{
    DofFile *f = nullptr;
    ASSERT_EQ(dof_Open(DOF_MODE_TEMP, nullptr, 3, 64, &f), 0);
    DofBuffer *b;
    for (int64_t p : {0, 1, 2, 0, 0}) ASSERT_EQ(dof_GetPage(f, p, &b), 0);
    EXPECT_EQ(f->stats.page_hits, 2);
    ASSERT_EQ(dof_GetPage(f, 3, &b), 0);
    EXPECT_TRUE(BufferHolds(f, 0)) << "page 0 is used most";
    EXPECT_FALSE(BufferHolds(f, 1)) << "page 1 is the oldest of the low scores";
    EXPECT_TRUE(BufferHolds(f, 2));
    EXPECT_TRUE(BufferHolds(f, 3));
    EXPECT_EQ(f->stats.page_requests, 6);
    EXPECT_EQ(dof_Close(0, f), 0);
}

/* A front-to-back read continues in runs of a quarter of the pool; a read
 * that jumps about reads single pages, and so does one that merely
 * continues a single jump; a page whose newer bytes sit in a
 * dirty buffer ends a run, and every byte read is the last one written. */
TEST_F(DofTest, SequentialReadsReadAheadWithoutLosingWrites)
{
    DofFile *f = nullptr;
    const int kPages = 64, kSize = 256;
    ASSERT_EQ(dof_Open(DOF_MODE_TEMP, nullptr, 16, kSize, &f), 0);
    std::vector<unsigned char> page(kSize);
    for (int p = 0; p < kPages; ++p) {
        std::memset(page.data(), p, page.size());
        ASSERT_EQ(dof_ReadWrite(1, f, kSize, int64_t(p) * kSize, page.data()), 0);
    }
    /* Pages 48..63 are still buffered dirty; 40 gets new bytes in a buffer. */
    std::memset(page.data(), 0xAB, page.size());
    ASSERT_EQ(dof_ReadWrite(1, f, kSize, 40 * kSize, page.data()), 0);

    const int64_t before = f->stats.disk_reads;
    for (int p = 0; p < kPages; ++p) {
        ASSERT_EQ(dof_ReadWrite(0, f, kSize, int64_t(p) * kSize, page.data()), 0);
        const unsigned char want = p == 40 ? 0xAB : (unsigned char)p;
        ASSERT_EQ(page.front(), want) << "page " << p;
        ASSERT_EQ(page.back(), want) << "page " << p;
    }
    const int64_t sequential = f->stats.disk_reads - before;
    EXPECT_LE(sequential, 48 / 4 + 4) << "runs of 4 pages, each begun by two single reads";
    EXPECT_GE(f->stats.pages_read, 47);

    const int64_t jumping = f->stats.disk_reads;
    for (int p : {3, 30, 7, 22, 11, 35})
        ASSERT_EQ(dof_ReadWrite(0, f, 1, int64_t(p) * kSize + 5, page.data()), 0);
    EXPECT_EQ(f->stats.disk_reads - jumping, 6) << "no read-ahead without a sequence";

    /* A record across two pages at a random place continues one read, which
     * makes no sequence yet: both pages and nothing beyond. */
    const int64_t paired = f->stats.pages_read;
    for (int p : {5, 33, 17, 26})
        ASSERT_EQ(dof_ReadWrite(0, f, kSize, int64_t(p) * kSize + kSize / 2, page.data()), 0);
    EXPECT_EQ(f->stats.pages_read - paired, 8);
    EXPECT_EQ(dof_Close(0, f), 0);
}

TEST_F(DofTest, TemporaryFileIsPrivateAndHasNoName)
{
    /* Nothing named is left in the temporary directory, even while the
     * file is open, so a killed process leaves nothing behind. */
    VyrTempDir dir("vyr_dof");
    setenv("TMPDIR", dir.Path().c_str(), 1);
    unsetenv("TRAMEL_TMP");
    DofFile *f = nullptr;
    ASSERT_EQ(dof_Open(DOF_MODE_TEMP | DOF_MODE_BLOCKS, nullptr, 4, 512, &f), 0);
    struct stat st;
    ASSERT_EQ(fstat(f->fd, &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(st.st_nlink, 0u);
    EXPECT_EQ(rmdir(dir.Path().c_str()), 0) << "the directory is empty";
    char data[10] = "page data", back[10] = {};
    ASSERT_EQ(dof_ReadWrite(1, f, 10, 0, data), 0);
    ASSERT_EQ(dof_ReadWrite(0, f, 10, 0, back), 0);
    EXPECT_STREQ(back, "page data");
    EXPECT_EQ(dof_Close(0, f), 0);
    unsetenv("TMPDIR");
}

TEST_F(DofTest, UnusableTemporaryDirectoriesGiveWayToTmp)
{
    setenv("TRAMEL_TMP", "/nonexistent-vyr-a", 1);
    setenv("TMPDIR", "/nonexistent-vyr-b", 1);
    DofFile *f = nullptr;
    struct stat st;
    if (stat("/tmp", &st) == 0) {
        /* /tmp serves after two warnings */
        ASSERT_EQ(dof_Open(DOF_MODE_TEMP, nullptr, 4, 512, &f), 0);
        EXPECT_EQ(mpm_GetLevelCount(MPM_WARNING), 2);
        dof_Close(0, f);
    }
    unsetenv("TRAMEL_TMP");
    unsetenv("TMPDIR");
}
std::string g_printed;
void Capture(const char *line, FILE *) { g_printed += line; }

TEST_F(DofTest, StatisticsDumpGoesToTheOutputRoutine)
{
    DofFile *f = nullptr;
    ASSERT_EQ(dof_Open(DOF_MODE_TEMP | DOF_MODE_BLOCKS | DOF_MODE_STATS, nullptr, 2, 64, &f), 0);
    int64_t off;
    ASSERT_EQ(dof_AllocateBlock(f, 10, &off), 0);
    g_printed.clear();
    MpmOutputRoutine old = mpm_SetOutputRoutine(Capture);
    EXPECT_EQ(dof_Close(0, f), 0);
    mpm_SetOutputRoutine(old);
    EXPECT_NE(g_printed.find("1 write calls, 0 pages read in 0 reads"), std::string::npos) << g_printed;
    EXPECT_NE(g_printed.find("class 1 (limit 1): 1 requests"), std::string::npos) << g_printed;
}

TEST_F(DofTest, NamedFileKeepsItsPagesAndReopens)
{
    std::string name = ScratchName("named");
    DofFile *f = nullptr;
    ASSERT_EQ(dof_Open(0, name.c_str(), 2, 128, &f), 0);
    std::vector<unsigned char> out(700);
    for (size_t i = 0; i < out.size(); ++i) out[i] = (unsigned char)(255 - i % 251);
    ASSERT_EQ(dof_ReadWrite(1, f, 700, 100, out.data()), 0);
    ASSERT_EQ(dof_Close(0, f), 0) << "dirty pages are written back";

    ASSERT_EQ(dof_Open(DOF_MODE_READONLY, name.c_str(), 2, 128, &f), 0);
    std::vector<unsigned char> in(700);
    ASSERT_EQ(dof_ReadWrite(0, f, 700, 100, in.data()), 0);
    EXPECT_EQ(in, out);
    EXPECT_EQ(dof_ReadWrite(1, f, 1, 0, in.data()), DOF_WRITE_ERR);
    ASSERT_EQ(dof_Close(0, f), 0);
    EXPECT_EQ(access(name.c_str(), F_OK), 0) << "a named file stays";
    unlink(name.c_str());

    EXPECT_EQ(dof_Open(DOF_MODE_EXISTING, name.c_str(), 2, 128, &f), DOF_OPEN_ERR);
    EXPECT_EQ(f, nullptr);
}

TEST_F(DofTest, OffsetsBeyondFourGigabytes)
{
    DofFile *f = nullptr;
    ASSERT_EQ(dof_Open(DOF_MODE_TEMP, nullptr, 2, 4096, &f), 0);
    const int64_t far = (int64_t(5) << 30) + 4090; /* crosses a page boundary */
    double out[2] = {1.5, -2.25}, in[2] = {0, 0};
    ASSERT_EQ(dof_ReadWrite(1, f, sizeof out, far, out), 0);
    DofBuffer *b;
    ASSERT_EQ(dof_GetPage(f, 0, &b), 0); /* evicts one of the far pages */
    ASSERT_EQ(dof_GetPage(f, 1, &b), 0);
    ASSERT_EQ(dof_ReadWrite(0, f, sizeof in, far, in), 0);
    EXPECT_EQ(in[0], 1.5);
    EXPECT_EQ(in[1], -2.25);
    EXPECT_EQ(f->npages, far / 4096 + 2);
    EXPECT_EQ(dof_Close(0, f), 0);
}

TEST_F(DofTest, BlocksSplitAndReuseFreedExtents)
{
    DofFile *f = nullptr;
    ASSERT_EQ(dof_Open(DOF_MODE_TEMP | DOF_MODE_BLOCKS, nullptr, 4, 256, &f), 0);
    int64_t a, b, c, d, e, size;
    EXPECT_EQ(dof_AllocateBlock(f, 0, &a), DOF_BAD_SIZE);
    ASSERT_EQ(dof_AllocateBlock(f, 100, &a), 0);
    EXPECT_EQ(a, 16);
    ASSERT_EQ(dof_GetBlockSize(f, a, &size), 0);
    EXPECT_EQ(size, 104) << "sizes are kept 8-aligned";
    ASSERT_EQ(dof_AllocateBlock(f, 1000, &b), 0);
    EXPECT_EQ(b, a + 104 + 16);
    ASSERT_EQ(dof_AllocateBlock(f, 8, &c), 0);
    const int64_t end = f->end;

    /* A small remainder: the whole 104-byte extent is handed out. */
    ASSERT_EQ(dof_FreeBlock(f, a), 0);
    ASSERT_EQ(dof_AllocateBlock(f, 40, &d), 0);
    EXPECT_EQ(d, a);
    ASSERT_EQ(dof_GetBlockSize(f, d, &size), 0);
    EXPECT_EQ(size, 104);

    /* A large remainder: the front is split off, the rest serves the next. */
    ASSERT_EQ(dof_FreeBlock(f, b), 0);
    ASSERT_EQ(dof_AllocateBlock(f, 200, &e), 0);
    EXPECT_EQ(e, b);
    ASSERT_EQ(dof_GetBlockSize(f, e, &size), 0);
    EXPECT_EQ(size, 200);
    int64_t g;
    ASSERT_EQ(dof_AllocateBlock(f, 300, &g), 0);
    EXPECT_EQ(g, b + 200 + 16);
    EXPECT_EQ(f->end, end) << "reuse does not grow the file";
    EXPECT_EQ(f->classes[DOF_NCLASSES - 1].split, 2);

    /* 1016 - 216 - 320 = 480 bytes remain (300 was rounded to 304); 400
     * bytes (416 with the header) would leave only 64, so the whole extent
     * becomes a 464-byte block. */
    int64_t h;
    ASSERT_EQ(dof_AllocateBlock(f, 400, &h), 0);
    EXPECT_EQ(h, g + 304 + 16);
    ASSERT_EQ(dof_GetBlockSize(f, h, &size), 0);
    EXPECT_EQ(size, 480 - 16);

    EXPECT_EQ(dof_FreeBlock(f, h), 0);
    EXPECT_EQ(dof_FreeBlock(f, h), DOF_BAD_OFFSET) << "double free";
    EXPECT_EQ(dof_GetBlockSize(f, h, &size), DOF_BAD_OFFSET);
    EXPECT_EQ(dof_FreeBlock(f, 3), DOF_BAD_OFFSET);

    /* Freeing the last block shortens the allocated area. */
    ASSERT_EQ(dof_FreeBlock(f, c), 0);
    EXPECT_EQ(f->end, c - 16);
    EXPECT_EQ(dof_Close(0, f), 0);

    ASSERT_EQ(dof_Open(DOF_MODE_TEMP, nullptr, 2, 64, &f), 0);
    EXPECT_EQ(dof_AllocateBlock(f, 8, &a), DOF_BAD_SLOT) << "no block allocation";
    EXPECT_EQ(dof_Close(0, f), 0);
}

} // namespace
