/* The picture file of a conversion, through the whole library: it takes its
 * name only when complete, so failures (a bad drawing, a write error, a
 * full disk) keep an older picture and leave nothing else in its folder; a
 * write error fails the conversion; the drawing itself is never
 * overwritten; an input that is no regular file is refused at once; an
 * unusable TMPDIR is named and passed over; what is not drawn is named; and
 * the results of a conversion running in another thread are read only
 * after it. */
#include <gtest/gtest.h>
#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "Dxf2Cgm/VyrDxf2Cgm.h"
#include "dnfp/dnfp.h"
#include "kernel/mpm/mpm.h"
#include "support/VyrProcess.h"
#include "support/VyrTempFile.h"

namespace {

const std::string kDrawing = VYR_TEST_DATA_DIR "/convert_reference.dxf";

std::string messages;
void Capture(const char *line, FILE *) { messages += line; }

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

class Output : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(dir.Path().empty());
        work = dir.Path();
        picture = work + "/picture.cgm";
        messages.clear();
        mpm_SetOutputRoutine(Capture);
    }
    void TearDown() override { mpm_SetOutputRoutine(nullptr); }

    void WriteOld(mode_t mode = 0644)
    {
        std::FILE *f = std::fopen(picture.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("OLD", f);
        std::fclose(f);
        ::chmod(picture.c_str(), mode);
    }

    VyrTempDir dir{"vyr_output"};
    std::string work, picture;
    VyrDxf2Cgm converter;
};

TEST_F(Output, APictureTakesItsNameWhenCompleteAndKeepsTheModeOfTheOldOne)
{
    WriteOld(0640);
    ASSERT_EQ(converter.Convert(kDrawing.c_str(), picture.c_str()), 0) << messages;
    EXPECT_GT(VyrReadFile(picture).size(), 100u);
    EXPECT_EQ(Names(work), std::vector<std::string>{"picture.cgm"}) << "no temporary file is left";
    struct stat st;
    ASSERT_EQ(::stat(picture.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(Output, AFailedConversionKeepsTheOldPicture)
{
    WriteOld();
    const std::string garbage = work + "/garbage.dxf";
    std::FILE *f = std::fopen(garbage.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("this is no drawing\n", f);
    std::fclose(f);
    EXPECT_EQ(converter.Convert(garbage.c_str(), picture.c_str()), -1);
    EXPECT_EQ(VyrReadFile(picture), "OLD");
    EXPECT_EQ(Names(work).size(), 2u) << "nothing but the drawing and the old picture";
}

TEST_F(Output, AFileSizeLimitFailsTheConversionAndKeepsTheOldPicture)
{
    WriteOld();
    /* Writes beyond 1 KiB fail as on a full disk (EFBIG instead of SIGXFSZ). */
    struct rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct sigaction ignore = {}, old = {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &old);
    struct rlimit small = saved;
    small.rlim_cur = 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const int result = converter.Convert(kDrawing.c_str(), picture.c_str());
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::sigaction(SIGXFSZ, &old, nullptr);
    EXPECT_EQ(result, -1);
    EXPECT_NE(messages.find("could not be written"), std::string::npos) << messages;
    EXPECT_EQ(VyrReadFile(picture), "OLD");
    EXPECT_EQ(Names(work), std::vector<std::string>{"picture.cgm"});
}

TEST_F(Output, AWriteErrorOnADeviceFailsTheConversion)
{
    struct stat st;
    if (::stat("/dev/full", &st) != 0) GTEST_SKIP() << "no /dev/full";
    EXPECT_EQ(converter.Convert(kDrawing.c_str(), "/dev/full"), -1);
    EXPECT_NE(messages.find("The picture '/dev/full' could not be written: No space left on device"),
              std::string::npos)
        << messages;
}

TEST_F(Output, ThePictureNeverOverwritesTheDrawing)
{
    const std::string drawing = work + "/drawing.dxf";
    const std::string bytes = VyrReadFile(kDrawing);
    ASSERT_FALSE(bytes.empty());
    std::FILE *f = std::fopen(drawing.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    ASSERT_EQ(::symlink(drawing.c_str(), picture.c_str()), 0);
    for (const std::string &out : {drawing, picture, work + "/./drawing.dxf"}) {
        messages.clear();
        EXPECT_EQ(converter.Convert(drawing.c_str(), out.c_str()), -1) << out;
        EXPECT_NE(messages.find("would overwrite the drawing"), std::string::npos) << messages;
        EXPECT_EQ(VyrReadFile(drawing), bytes) << out;
    }
    EXPECT_EQ(Names(work).size(), 2u);
}

/* The library opens the drawing once, without waiting on a pipe. */
TEST_F(Output, InputsThatAreNoFilesAreRefusedAtOnce)
{
    const std::string fifo = work + "/pipe.dxf";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    int result = 0;
    EXPECT_TRUE(VyrReturnsWithin(
        5, [&] { result = converter.Convert(fifo.c_str(), picture.c_str()); }, fifo));
    EXPECT_EQ(result, -1);
    EXPECT_NE(messages.find("'" + fifo + "' is a pipe"), std::string::npos) << messages;
    messages.clear();
    EXPECT_EQ(converter.Convert(work.c_str(), picture.c_str()), -1);
    EXPECT_NE(messages.find("is a directory"), std::string::npos) << messages;
    struct stat st;
    if (::stat("/dev/zero", &st) == 0) { EXPECT_EQ(converter.Convert("/dev/zero", picture.c_str()), -1); }
    EXPECT_EQ(Names(work), std::vector<std::string>{"pipe.dxf"}) << "no picture, no temporary file";
}

TEST_F(Output, AnUnusableTmpdirIsNamedAndTmpServesInstead)
{
    const char *saved = std::getenv("TMPDIR");
    const std::string keep = saved ? saved : "";
    ::setenv("TMPDIR", "/nonexistent-vyr-tmpdir", 1);
    const int result = converter.Convert(kDrawing.c_str(), picture.c_str());
    if (saved)
        ::setenv("TMPDIR", keep.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
    EXPECT_EQ(result, 0) << messages;
    for (char &c : messages)
        if (c == '\n') c = ' ';
    EXPECT_NE(messages.find("'/nonexistent-vyr-tmpdir' named by TMPDIR cannot be used"), std::string::npos)
        << messages;
    EXPECT_GT(VyrReadFile(picture).size(), 100u);
}

/* Entities of kinds that no element draws are named with their counts;
 * a drawing without anything drawable is named in a warning, and its
 * conversion still succeeds. */
TEST_F(Output, WhatIsNotDrawnIsNamed)
{
    const std::string undrawn = VYR_TEST_DATA_DIR "/undrawn/undrawn.dxf";
    ASSERT_EQ(converter.Convert(undrawn.c_str(), picture.c_str()), 0) << messages;
    std::map<std::string, uint32_t> kinds;
    uint32_t count = 0;
    for (int i = 0; const char *kind = converter.GetUndrawnKind(i, &count); ++i) kinds[kind] += count;
    EXPECT_EQ(kinds, (std::map<std::string, uint32_t>{{"RAY", 1}, {"XLINE", 2}}));
    EXPECT_EQ(converter.GetUndrawnKind(-1, &count), nullptr);
    ZelResults results{};
    converter.GetZelResults(&results);
    EXPECT_EQ(results.word[ZelLines], 1u);
    EXPECT_GE(results.word[ZelUnhandledTypes], 3u);
    EXPECT_EQ(messages.find("nothing that is drawn"), std::string::npos) << messages;

    const std::string nothing = VYR_TEST_DATA_DIR "/undrawn/nothing.dxf";
    ASSERT_EQ(converter.Convert(nothing.c_str(), picture.c_str()), 0) << messages;
    kinds.clear();
    for (int i = 0; const char *kind = converter.GetUndrawnKind(i, &count); ++i) kinds[kind] += count;
    EXPECT_EQ(kinds, (std::map<std::string, uint32_t>{{"RAY", 1}})) << "counted anew for each conversion";
    for (char &c : messages)
        if (c == '\n') c = ' ';
    EXPECT_NE(messages.find("The drawing '" + nothing + "' holds nothing that is drawn."), std::string::npos)
        << messages;
    EXPECT_GT(VyrReadFile(picture).size(), 100u) << "an empty picture all the same";
}

/* A fitted picture walks the drawing twice, measuring and then writing;
 * what the conversion reports (results, kinds not drawn, warnings) is that
 * of one walk, as for the base picture's single walk. */
TEST_F(Output, AFittedPictureReportsOneWalk)
{
    struct Report {
        std::vector<uint32_t> results;
        std::map<std::string, uint32_t> undrawn;
        std::string messages;
    };
    auto convert = [&](const std::string &drawing, const VyrDxf2CgmOptions &options) {
        messages.clear();
        EXPECT_EQ(converter.Convert(drawing.c_str(), picture.c_str(), options), 0) << messages;
        Report report;
        ZelResults results{};
        converter.GetZelResults(&results);
        report.results.assign(results.word + 1, results.word + ZelWordCount);
        uint32_t count = 0;
        for (int i = 0; const char *kind = converter.GetUndrawnKind(i, &count); ++i)
            report.undrawn[kind] += count;
        report.messages = messages;
        return report;
    };
    const struct {
        const char *name;
        const char *warning;
    } drawings[] = {{"/undrawn/undrawn.dxf", ""},
                    {"/hatches/broken_hatches.dxf", "no usable spacing"},
                    {"/convert_reference.dxf", ""}};
    for (const auto &[name, warning] : drawings) {
        const std::string drawing = std::string(VYR_TEST_DATA_DIR) + name;
        const Report base = convert(drawing, VyrDxf2CgmOptions());
        const Report fitted = convert(drawing, VyrDxf2CgmOptions::Plotted());
        EXPECT_NE(base.messages.find(warning), std::string::npos) << name;
        EXPECT_EQ(fitted.results, base.results) << name;
        EXPECT_EQ(fitted.undrawn, base.undrawn) << name;
        EXPECT_EQ(fitted.messages, base.messages) << name;
    }
}

/* The converting thread holds the conversion while the load reports its
 * progress; a reader of the results in another thread must wait. */
std::atomic<bool> readerDone{false};
std::atomic<bool> doneDuringConversion{false};
std::thread reader;
VyrDxf2Cgm *sharedConverter = nullptr;

void StartReaderOnce(short)
{
    if (reader.joinable()) return;
    reader = std::thread([] {
        ZelResults results{};
        sharedConverter->GetZelResults(&results);
        sharedConverter->InitZelResults();
        readerDone = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (readerDone) doneDuringConversion = true;
}

TEST_F(Output, ResultsAreReadAfterARunningConversion)
{
    sharedConverter = &converter;
    dnfp_SetProgressFn(StartReaderOnce);
    const int result = converter.Convert(kDrawing.c_str(), picture.c_str());
    dnfp_SetProgressFn(nullptr);
    ASSERT_TRUE(reader.joinable()) << "the load reported no progress";
    reader.join();
    EXPECT_EQ(result, 0) << messages;
    EXPECT_TRUE(readerDone);
    EXPECT_FALSE(doneDuringConversion) << "results were read in the middle of a conversion";
    ZelResults after{};
    converter.GetZelResults(&after);
    EXPECT_EQ(after.word[ZelLines], 0u) << "the reset came after the conversion";
}

} // namespace
