/* Recording, issuing, counting, maxima, exceptions, stack dumps and the
 * word-wrapped output of the message manager. */
#include "../kernel_fixture.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using vyrtest::printed;
using vyrtest::printed_text;

class MpmTest : public vyrtest::KernelTest {};

TEST(MpmAlone, WorksBeforeInitialisation)
{
    /* a module may report before the manager has started: nothing crashes;
     * as in a fresh process, no module is registered */
    pdx__ClearRegistry();
    EXPECT_EQ(mpm__SetError(0, 0x90002, MPM_ERROR), 0x90002);
    EXPECT_EQ(mpm_GetLastError(), 0x90002);
    EXPECT_STREQ(mpm_GetMsgName(0x90002), "UNKNOWN"); /* nothing registered */
    EXPECT_EQ(mpm_GetStackDepth(), 0);
    EXPECT_EQ(mpm_DumpStack(MPM_OPT_DUMP_ALL), 0);
    EXPECT_EQ(mpm_GetLastError(), 0);
}

TEST_F(MpmTest, RecordPushesBannerAndText)
{
    EXPECT_EQ(mpm__SetError(0, 0x90002, 0x10004), 0x90002);
    EXPECT_EQ(mpm_GetLastError(), 0x90002);
    EXPECT_EQ(mpm_GetLastSeverity(), 0x10004);
    ASSERT_EQ(mpm_GetStackDepth(), 1);
    printed().clear();
    mpm_DumpStack(MPM_OPT_DUMP_ALL);
    EXPECT_EQ(printed_text(stderr), "*** Error (MDA_INVALID_PTR) ***\nInvalid database pointer.\n\n");
    EXPECT_EQ(mpm_GetStackDepth(), 0);
    EXPECT_EQ(mpm_GetLastError(), 0);
}

TEST_F(MpmTest, RecordWithArgumentsFileLineAndExtraText)
{
    mpm__SetError(MPM_OPT_TAGGED, 0x9001A, MPM_WARNING, MPM_TAG_FILELINE, "lock.cpp", 42, MPM_TAG_TEXT,
                  strdup("while saving: "), MPM_TAG_ARGS, "/tmp/x.dat");
    printed().clear();
    mpm_DumpStack(MPM_OPT_DUMP_ALL | MPM_OPT_NO_FINAL_BREAK);
    EXPECT_EQ(printed_text(), "*** Warning (MDA_OPEN_ERR) @lock.cpp(42) ***\n"
                              "while saving: Error opening file /tmp/x.dat.\n");
}

TEST_F(MpmTest, NoBannerAndRawOptions)
{
    mpm__SetError(MPM_OPT_NO_BANNER, 0x20002, MPM_ERROR, 5);
    mpm__SetError(MPM_OPT_NO_BANNER | MPM_OPT_RAW, 0x20002, MPM_ERROR, 5);
    printed().clear();
    mpm_DumpStack(MPM_OPT_DUMP_ALL | MPM_OPT_NO_FINAL_BREAK);
    EXPECT_EQ(printed_text(), "Invalid size = %d\nInvalid size = 5\n");
}

TEST_F(MpmTest, CountsAndMaximaPerCode)
{
    std::vector<int> raised;
    static std::vector<int> *sink;
    sink = &raised;
    mpm_SetExceptionHandler(MPM_EXC_MAXERROR, [](int key, int code) { sink->push_back(key * 0 + code); });
    mpm_SetMaxError(2);
    for (int i = 0; i < 3; ++i) mpm__SetError(0, 0x90002, MPM_ERROR);
    EXPECT_EQ(mpm_GetStackDepth(), 2); /* the third was suppressed */
    ASSERT_EQ(raised.size(), 1u);
    EXPECT_EQ(raised[0], 0x90002);
    int count = 0, total = 0;
    mpm_GetErrorCount(0x90002, &count, &total);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(total, 3);
    EXPECT_EQ(mpm_GetLevelCount(MPM_ERROR), 3);
    mpm_ClearStack(0); /* undoes the two kept records */
    mpm_GetErrorCount(0x90002, &count, &total);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(total, 1);
    EXPECT_EQ(mpm_GetLevelCount(MPM_ERROR), 1);
    EXPECT_EQ(mpm_GetLastError(), 0);
    mpm__SetError(0, 0x90002, MPM_ERROR); /* room again */
    EXPECT_EQ(mpm_GetStackDepth(), 1);
}

TEST_F(MpmTest, MaximumPerSeverityAndNoCountOption)
{
    mpm_SetMaxErrorLevel(MPM_WARNING, 1);
    mpm__SetError(0, 0x20003, MPM_WARNING);
    mpm__SetError(0, 0x30003, MPM_WARNING);
    EXPECT_EQ(mpm_GetStackDepth(), 1);
    mpm__SetError(MPM_OPT_NO_COUNT, 0x30003, MPM_WARNING); /* not counted: not suppressed */
    EXPECT_EQ(mpm_GetStackDepth(), 2);
    mpm__SetError(0, 0x30003, MPM_ERROR); /* other severity unaffected */
    EXPECT_EQ(mpm_GetStackDepth(), 3);
    EXPECT_EQ(mpm_GetLevelCount(MPM_WARNING), 2);
    mpm_ClearError();
    EXPECT_EQ(mpm_GetLevelCount(MPM_WARNING), 0);
    EXPECT_EQ(mpm_GetErrorCount(0x30003, nullptr, nullptr), 0);
    EXPECT_EQ(mpm_GetStackDepth(), 0);
}

TEST_F(MpmTest, ExceptionsOfClassAndSeverity)
{
    static std::vector<std::pair<int, int>> seen;
    seen.clear();
    auto h = [](int key, int code) { seen.push_back({key, code}); };
    mpm_SetExceptionHandler(MPM_EXC_MEMORY, h);
    mpm_SetExceptionHandler(MPM_FATAL, h);
    mpm__SetError(0, 0x90004, MPM_FATAL); /* MDA_MALLOC_ERR, memory class */
    mpm__SetError(0, 0x90002, MPM_ERROR); /* no handler for class 1 or ERROR */
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], std::make_pair(MPM_EXC_MEMORY, 0x90004));
    EXPECT_EQ(seen[1], std::make_pair((int)MPM_FATAL, 0x90004));
}

TEST_F(MpmTest, DumpOptions)
{
    auto fill = [] {
        mpm__SetError(MPM_OPT_NO_BANNER, 0x20002, MPM_ERROR, 1);
        mpm__SetError(MPM_OPT_NO_BANNER, 0x20002, MPM_ERROR, 2);
        mpm__SetError(MPM_OPT_NO_BANNER, 0x20002, MPM_ERROR, 3);
    };
    const int quiet = MPM_OPT_NO_FINAL_BREAK;
    fill();
    printed().clear();
    mpm_DumpStack(MPM_OPT_DUMP_ALL | quiet);
    EXPECT_EQ(printed_text(), "Invalid size = 3\nInvalid size = 2\nInvalid size = 1\n");
    fill();
    printed().clear();
    mpm_DumpStack(MPM_OPT_DUMP_NEWEST | quiet);
    EXPECT_EQ(printed_text(), "Invalid size = 3\n");
    fill();
    printed().clear();
    mpm_DumpStack(MPM_OPT_DUMP_OLDEST | quiet);
    EXPECT_EQ(printed_text(), "Invalid size = 1\n");
    fill();
    printed().clear();
    mpm_DumpStack(0);
    EXPECT_EQ(printed_text(), "");
    EXPECT_EQ(mpm_GetStackDepth(), 0);
    /* the process-wide option word adds its bits */
    fill();
    mpm_SetOptions(MPM_OPT_DUMP_ALL);
    printed().clear();
    mpm_DumpStack(quiet);
    EXPECT_EQ(printed_text(), "Invalid size = 3\nInvalid size = 2\nInvalid size = 1\n");
    mpm_SetOptions(0);
}

TEST_F(MpmTest, IssuePrintsAtOnceAndThenDumpsOrClears)
{
    mpm__SetError(MPM_OPT_NO_BANNER, 0x20003, MPM_ERROR);
    printed().clear();
    mpm__IssueError(MPM_OPT_DUMP_ALL | MPM_OPT_NO_FINAL_BREAK, 0x9001A, MPM_ERROR, "a.dat");
    EXPECT_EQ(printed_text(stderr),
              "*** Error (MDA_OPEN_ERR) ***\nError opening file a.dat.\nNULL pointer\n");
    EXPECT_EQ(mpm_GetStackDepth(), 0);
    EXPECT_EQ(mpm_GetLastError(), 0); /* the dump reset it */

    mpm__SetError(MPM_OPT_NO_BANNER, 0x20003, MPM_ERROR);
    printed().clear();
    mpm__IssueError(MPM_OPT_CLEAR_AFTER_ISSUE | MPM_OPT_DUMP_ALL, 0x20003, MPM_ERROR);
    EXPECT_EQ(printed_text(), "*** Error (OLM_NULLPOINTER) ***\nNULL pointer\n\n");
    EXPECT_EQ(mpm_GetStackDepth(), 0);

    mpm__SetError(MPM_OPT_NO_BANNER, 0x20003, MPM_ERROR);
    mpm__IssueError(MPM_OPT_KEEP_STACK, 0x20003, MPM_ERROR);
    EXPECT_EQ(mpm_GetStackDepth(), 1);
    EXPECT_EQ(mpm_GetLastError(), 0x20003);
}

TEST_F(MpmTest, IssueOnATaggedStreamAndSetErrorThatIssues)
{
    FILE *mine = tmpfile();
    ASSERT_NE(mine, nullptr);
    printed().clear();
    mpm__IssueError(MPM_OPT_TAGGED | MPM_OPT_NO_BANNER | MPM_OPT_NO_FINAL_BREAK, 0x20002, MPM_ERROR,
                    MPM_TAG_STREAM, mine, MPM_TAG_ARGS, 4);
    ASSERT_EQ(printed().size(), 1u);
    EXPECT_EQ(printed()[0].stream, mine);
    EXPECT_EQ(printed()[0].line, "Invalid size = 4\n");
    fclose(mine);

    printed().clear();
    mpm__SetError(MPM_OPT_ISSUE | MPM_OPT_NO_BANNER | MPM_OPT_NO_FINAL_BREAK, 0x20002, MPM_ERROR, 6);
    EXPECT_EQ(printed_text(stderr), "Invalid size = 6\n");
    EXPECT_EQ(mpm_GetStackDepth(), 0);      /* issued, not pushed */
    EXPECT_EQ(mpm_GetLastError(), 0x20002); /* and the stack was left alone */
}

TEST_F(MpmTest, OutputOptionsAndLogStream)
{
    FILE *log = tmpfile();
    ASSERT_NE(log, nullptr);
    mpm__Stream = log;
    printed().clear();
    mpm__IssueMessage(MPM_OPT_NO_FINAL_BREAK, stderr, strdup("x\n"));
    ASSERT_EQ(printed().size(), 2u);
    EXPECT_EQ(printed()[0].stream, stderr);
    EXPECT_EQ(printed()[1].stream, log);
    printed().clear();
    mpm__IssueMessage(MPM_OPT_NO_FINAL_BREAK | MPM_OPT_NO_LOG, stderr, strdup("x\n"));
    EXPECT_EQ(printed().size(), 1u);
    printed().clear();
    mpm__IssueMessage(MPM_OPT_NO_FINAL_BREAK | MPM_OPT_NO_OUTPUT, stderr, strdup("x\n"));
    ASSERT_EQ(printed().size(), 1u);
    EXPECT_EQ(printed()[0].stream, log);
    mpm__Stream = nullptr;
    fclose(log);
    /* without an output routine nothing is printed anywhere */
    mpm_SetOutputRoutine(nullptr);
    printed().clear();
    mpm__IssueMessage(0, stderr, strdup("silent\n"));
    EXPECT_TRUE(printed().empty());
}

TEST_F(MpmTest, LogFileErrors)
{
    EXPECT_EQ(mpm_OpenLog(0, "/no/such/dir/log.txt"), MPM_OPENERROR);
    printed().clear();
    mpm_DumpStack(MPM_OPT_DUMP_ALL | MPM_OPT_NO_BANNER | MPM_OPT_NO_FINAL_BREAK);
    EXPECT_NE(printed_text().find("Error opening file /no/such/dir/log.txt for write."), std::string::npos);
    EXPECT_EQ(mpm_CloseLog(), 0);
}

class WrapTest : public vyrtest::KernelTest {
protected:
    std::vector<std::string> lines(const std::string &text, int options = MPM_OPT_NO_FINAL_BREAK)
    {
        printed().clear();
        mpm__IssueMessage(options, stderr, strdup(text.c_str()));
        std::vector<std::string> out;
        for (const auto &p : printed()) out.push_back(p.line);
        return out;
    }
};

TEST_F(WrapTest, LongWordIsCutHardAtTheWidth)
{
    std::string word(100, 'w');
    auto l = lines(word + "\n");
    ASSERT_EQ(l.size(), 2u);
    EXPECT_EQ(l[0], std::string(80, 'w') + "\n");
    EXPECT_EQ(l[1], std::string(20, 'w') + "\n");
}

TEST_F(WrapTest, CutsAtTheLastBlankBeforeTheLimit)
{
    std::string text;
    for (int i = 0; i < 30; ++i) text += "word ";
    text += "end\n";
    auto l = lines(text);
    ASSERT_GE(l.size(), 2u);
    for (const auto &s : l) EXPECT_LE(s.size(), 81u);
    EXPECT_EQ(l[0], "word word word word word word word word word word word word word word word word\n");
    std::string joined;
    for (const auto &s : l) joined += s.substr(0, s.size() - 1) + " ";
    EXPECT_EQ(joined, text.substr(0, text.size() - 1) + " ");
}

TEST_F(WrapTest, FinalLineBreakOption)
{
    EXPECT_EQ(lines("a\nb\n", 0), (std::vector<std::string>{"a\n", "b\n", "\n"}));
    EXPECT_EQ(lines("a\nb\n"), (std::vector<std::string>{"a\n", "b\n"}));
    EXPECT_EQ(lines("a\nb"), (std::vector<std::string>{"a\n", "b"}));
    EXPECT_EQ(lines("a\n\nb\n"), (std::vector<std::string>{"a\n", "\n", "b\n"}));
}

TEST_F(WrapTest, MarginsAndJustification)
{
    mpm_SetLineFormat(20, 2, 8, 1); /* usable width 10 */
    EXPECT_EQ(lines("abc def ghi jkl\n"), (std::vector<std::string>{"  abc def\n", "  ghi jkl\n"}));
    mpm_SetLineFormat(-1, -1, -1, 2);
    EXPECT_EQ(lines("abc\n"), (std::vector<std::string>{"         abc\n"})); /* 2 + 10 - 3 */
    mpm_SetLineFormat(-1, -1, -1, 3);
    EXPECT_EQ(lines("abc\n"), (std::vector<std::string>{"     abc\n"})); /* 2 + 7 / 2 */
}

TEST_F(WrapTest, VeryLongLinesGoOutInPieces)
{
    mpm_SetLineFormat(0, 0, 0, 1); /* no width: only line breaks cut */
    std::string text(20000, 'x');
    auto l = lines(text + "\n");
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[0].size(), 8192u);
    EXPECT_EQ(l[1].size(), 8192u);
    EXPECT_EQ(l[2], std::string(20000 - 16384, 'x') + "\n");
}

TEST_F(MpmTest, PrintfGoesThroughTheOutputRoutine)
{
    printed().clear();
    EXPECT_EQ(mpm_Printf("%s=%<TF>\n", "tf", (300u << 16) | 0u), 9);
    ASSERT_EQ(printed().size(), 1u);
    EXPECT_EQ(printed()[0].stream, stdout);
    EXPECT_EQ(printed()[0].line, "tf=300:0\n");
    FILE *f = tmpfile();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(mpm_Fprintf(f, "%2$s-%1$d", 7, "x"), 3);
    rewind(f);
    char buf[16] = {};
    ASSERT_NE(fgets(buf, sizeof buf, f), nullptr);
    EXPECT_STREQ(buf, "x-7");
    fclose(f);
}

} // namespace
