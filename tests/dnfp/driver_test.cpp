/* The parse driver: failure paths and their messages, the external converter
 * (started without a shell, its exit status, its time limit, its output
 * file), the init-data callbacks, DWG paper-space viewports, and that a parse
 * leaves no temporary file behind. */
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "mapping_fixture.h"

using namespace maptest;

namespace {

/* The paths the load step was asked for, and what it answers. */
struct LoadScript {
    std::vector<std::string> paths;
    std::vector<int> errors; /* toolkit error left by each call (0: a drawing) */
};

LoadScript &script()
{
    static LoadScript s;
    return s;
}

AdDrawing *scripted_load(const char *path, unsigned char, int16_t)
{
    LoadScript &s = script();
    size_t call = s.paths.size();
    s.paths.push_back(path ? path : "(null)");
    int error = call < s.errors.size() ? s.errors[call] : 0;
    if (error) {
        adseterror(static_cast<int16_t>(error));
        return nullptr;
    }
    Drawing dwg;
    if (builder()) builder()(dwg);
    adErrorClear();
    return dwg.d;
}

int CountFiles(const std::string &dir)
{
    int n = 0;
    if (DIR *d = opendir(dir.c_str())) {
        while (dirent *e = readdir(d))
            if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0) ++n;
        closedir(d);
    }
    return n;
}

/* Runs `body` in `dir` with PATH set to `path`, restoring both. */
template <typename F> void InDirWithPath(const std::string &dir, const std::string &path, F body)
{
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    const char *old = getenv("PATH");
    const std::string saved = old ? old : "";
    ASSERT_EQ(chdir(dir.c_str()), 0);
    setenv("PATH", path.c_str(), 1);
    body();
    setenv("PATH", saved.c_str(), 1);
    EXPECT_EQ(chdir(here), 0);
}

/* What the message manager printed, its lines joined by blanks. */
std::string Said()
{
    std::string text = printed();
    for (char &c : text)
        if (c == '\n') c = ' ';
    return text;
}

class Driver : public MappingTest {
protected:
    void SetUp() override
    {
        MappingTest::SetUp();
        script() = LoadScript();
        dnfp__LoadFile = scripted_load;
        ASSERT_FALSE(tmp.Path().empty());
        tmpdir = tmp.Path();
        setenv("TRAMEL_TMP", tmpdir.c_str(), 1);
        ASSERT_FALSE(bin.Path().empty());
        bindir = bin.Path();
        log = bindir + "/log";
    }

    void TearDown() override
    {
        unsetenv("TRAMEL_TMP");
        dnfp_SetProcessorTimeLimit(0);
        MappingTest::TearDown();
        EXPECT_EQ(CountFiles(tmpdir), 0) << "temporary files left behind";
        EXPECT_TRUE(tmp.Remove());
        EXPECT_TRUE(bin.Remove());
    }

    /* A stand-in converter: a shell script that logs its arguments and the
     * mode of its output file, then runs `body`. */
    void Converter(const std::string &body)
    {
        std::string program = bindir + "/convert";
        std::ofstream out(program);
        out << "#!/bin/sh\n"
            << "printf '%s|' \"$@\" > '" << log << "'\n"
            << "stat -c '%a' \"$2\" >> '" << log << "'\n"
            << body << "\n";
        out.close();
        chmod(program.c_str(), 0700);
        dxfi_SetProcessor(program.c_str());
    }

    VyrTempDir tmp{"vyr_mapping_dir"}, bin{"vyr_mapping_bin"};
    std::string tmpdir, bindir, log;
};

TEST_F(Driver, UnreadableFileGivesToolkitTextThenReadError)
{
    script().errors = {3};
    EXPECT_EQ(Parse([](Drawing &) {}), DNFP_READ_ERROR);
    int count = 0, total = 0;
    mpm_GetErrorCount(DXFI_KESTRANE_ERR, &count, &total);
    EXPECT_EQ(count, 1);
    mpm_GetErrorCount(DNFP_READ_ERROR, &count, &total);
    EXPECT_EQ(count, 1);
    EXPECT_NE(printed().find(adErrorStr(3)), std::string::npos) << printed();
    EXPECT_NE(printed().find("Error reading from the file '" + path + "'"), std::string::npos);
    EXPECT_EQ(script().paths.size(), 1u);
    EXPECT_EQ(All(DXFI_TF_dxf_layer_table).size(), 0u);
}

TEST_F(Driver, ParseTargetsMustBeValidAndEmpty)
{
    EXPECT_EQ(dxfi_ParseFile(0, 65, path.c_str(), nullptr), DXFI_INVALID_PARSE_MODEL);
    EXPECT_EQ(dxfi_ParseFile(0, -1, path.c_str(), nullptr), DXFI_INVALID_PARSE_MODEL);
    EXPECT_EQ(dxfi_ParseFile(0, 7, path.c_str(), nullptr), DXFI_INVALID_PARSE_MODEL);
    EXPECT_EQ(mpm_GetLastError(), 0);
    ASSERT_EQ(Parse([](Drawing &g) { g.Line(0x100, 0, 0, 0, 1, 1); }), 0);
    EXPECT_EQ(Parse([](Drawing &g) { g.Line(0x100, 0, 0, 0, 1, 1); }), DXFI_MODEL_NOT_EMPTY);
    EXPECT_EQ(mpm_GetLastError(), 0);
    EXPECT_EQ(All(DXFI_TF_dxf_line).size(), 1u);
    /* option 8 parses into it all the same */
    EXPECT_EQ(Parse([](Drawing &g) { g.Line(0x100, 0, 0, 0, 1, 1); }, DXFI_PARSE_NOT_EMPTY), 0);
    EXPECT_EQ(All(DXFI_TF_dxf_line).size(), 2u);
    EXPECT_EQ(All(DXFI_TF_dxf_header).size(), 1u);
}

TEST_F(Driver, MissingFileIsReportedByDetection)
{
    EXPECT_EQ(dxfi_ParseFile(0, model, "/nonexistent/drawing.dxf", nullptr), PDX_NOT_FOUND);
    EXPECT_EQ(mpm_GetLastError(), PDX_NOT_FOUND);
    mpm_DumpStack(MPM_OPT_DUMP_ALL);
    EXPECT_NE(printed().find("File '/nonexistent/drawing.dxf' does not exist."), std::string::npos)
        << printed();
    EXPECT_TRUE(script().paths.empty());
}

TEST_F(Driver, ParseRestoresTheCurrentModel)
{
    MdaModelInfo info;
    mda_GetModelDefaults(0, &info);
    dxfi_InitModelInfo(0, &info);
    int other = 0;
    ASSERT_EQ(mda_AllocateModel(0, &info, &other), 0);
    ASSERT_EQ(mda_GetCurModel(), other);
    ASSERT_EQ(Parse([](Drawing &g) { g.Line(0x100, 0, 0, 0, 1, 1); }), 0);
    EXPECT_EQ(mda_GetCurModel(), other);
    EXPECT_EQ(dxfi__CurModelData, dxfi__ModelData(other));
    EXPECT_EQ(All(DXFI_TF_dxf_line).size(), 1u);
    mda_FreeModel(0, other);
}

TEST_F(Driver, NewReleaseGoesThroughTheConverter)
{
    Converter("printf converted > \"$2\"; exit 0");
    script().errors = {309, 0};
    ASSERT_EQ(Parse([](Drawing &g) { g.Line(0x100, 0, 0, 0, 1, 1); }), 0) << printed();
    ASSERT_EQ(script().paths.size(), 2u);
    EXPECT_EQ(script().paths[0], path);
    const std::string output = script().paths[1];
    EXPECT_EQ(output.rfind(tmpdir + "/t", 0), 0u) << output;
    EXPECT_EQ(VyrReadFile(log), path + "|" + output + "|preprocess|600\n");
    EXPECT_FALSE(VyrFileExists(output));
    EXPECT_EQ(All(DXFI_TF_dxf_line).size(), 1u);
    EXPECT_EQ(mpm_GetLastError(), 0) << printed();
    EXPECT_EQ(dxfi__preprocessor_tmpfile, nullptr);
}

/* What becomes of a drawing of a newer release (its first load fails with
 * the toolkit's error 309) by what the converter does. With nothing to
 * convert the input is loaded again and kept; every failure says why,
 * names the input and never the temporary file, and loads nothing the
 * converter left. */
TEST_F(Driver, ConverterOutcomes)
{
    enum Program { kStandIn, kMissing, kNotExecutable, kDefaultNotFound };
    const int failed = DNFP_READ_ERROR;
    const char *const nowhere = "'" DXFI_DEFAULT_PROCESSOR "' was not found beside the library or on PATH";
    /* the program, the stand-in's commands, the toolkit's error of the
     * second load, the time limit, the result, the loads made (a second
     * one loads the input again) and what is said */
    const struct Case {
        Program program;
        const char *body;
        int secondLoad, timeLimit, result;
        size_t loaded;
        const char *said;
    } cases[] = {
        {kStandIn, "exit 5", 0, 0, 0, 2, ""}, /* nothing to convert */
        {kStandIn, "exit 5", 309, 0, failed, 2, "newer than AC1015"},
        {kStandIn, "printf x > \"$2\"; exit 1", 0, 0, failed, 1, "failed with exit status 1"},
        {kStandIn, "printf x > \"$2\"; kill -TRAP $$", 0, 0, failed, 1, "was killed by signal 5"},
        {kStandIn, "sleep 30", 3, 1, failed, 1, "did not end within 1 seconds"},
        {kMissing, "", 0, 0, failed, 1, "no-such-program' could not be started"},
        {kNotExecutable, "exit 0", 0, 0, failed, 1, "could not be started"},
        {kDefaultNotFound, "", 0, 0, failed, 1, nowhere},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.body) + " / " + c.said);
        script() = LoadScript();
        script().errors = {309, c.secondLoad};
        printed().clear();
        mpm_ClearError();
        dnfp_SetProcessorTimeLimit(c.timeLimit);
        if (c.program == kMissing)
            dxfi_SetProcessor((bindir + "/no-such-program").c_str());
        else if (c.program == kDefaultNotFound)
            dxfi_SetProcessor(nullptr);
        else
            Converter(c.body);
        if (c.program == kNotExecutable) chmod((bindir + "/convert").c_str(), 0600);
        timespec start, end;
        clock_gettime(CLOCK_MONOTONIC, &start);
        if (c.program == kDefaultNotFound)
            InDirWithPath(bindir, "/nonexistent",
                          [&] { EXPECT_EQ(Parse([](Drawing &) {}, DXFI_PARSE_NOT_EMPTY), c.result); });
        else
            EXPECT_EQ(Parse([](Drawing &) {}, DXFI_PARSE_NOT_EMPTY), c.result);
        clock_gettime(CLOCK_MONOTONIC, &end);
        EXPECT_LT(end.tv_sec - start.tv_sec, 10);
        ASSERT_EQ(script().paths.size(), c.loaded);
        if (c.loaded == 2) { EXPECT_EQ(script().paths[1], path); }
        EXPECT_TRUE(VyrFileExists(path));
        EXPECT_NE(Said().find(c.said), std::string::npos) << printed();
        EXPECT_EQ(printed().find("out of range"), std::string::npos) << printed();
        if (c.result == 0) {
            EXPECT_EQ(mpm_GetLastError(), 0) << printed();
            continue;
        }
        EXPECT_NE(printed().find("Error reading from the file '" + path + "'"), std::string::npos)
            << printed();
        EXPECT_EQ(printed().find(tmpdir), std::string::npos) << "names the temporary file: " << printed();
        int count = 0, total = 0;
        mpm_GetErrorCount(DNFP_READ_ERROR, &count, &total);
        EXPECT_EQ(count, 1);
    }
}

TEST_F(Driver, FileNamesAreArgumentsNotShellText)
{
    const std::string marker = "vyr_mapping_pwned";
    const std::string odd = tmpdir + "/in'\"; touch " + marker + "; echo \"'$(touch " + marker + ").dxf";
    {
        std::ofstream out(odd);
        out << "  0\nSECTION\n  0\nEOF\n";
    }
    Converter("exit 5");
    script().errors = {309, 0};
    builder() = [](Drawing &) {};
    ASSERT_EQ(dxfi_ParseFile(0, model, odd.c_str(), collect), 0) << printed();
    EXPECT_FALSE(VyrFileExists(marker));
    EXPECT_EQ(VyrReadFile(log).rfind(odd + "|", 0), 0u);
    EXPECT_TRUE(VyrFileExists(odd));
    unlink(odd.c_str());
}

TEST_F(Driver, OnlyAbsolutePathEntriesFindTheConverter)
{
    Converter("printf converted > \"$2\"; exit 0");
    dxfi_SetProcessor("convert"); /* the stand-in lies in bindir */
    /* empty entries and "." stand for the current directory: not searched */
    for (const char *entries : {":/usr/bin:/bin", ".:/usr/bin:/bin", "/usr/bin::/bin", "/usr/bin:/bin:"}) {
        script() = LoadScript();
        script().errors = {309, 3};
        mpm_ClearStack(0);
        InDirWithPath(bindir, entries,
                      [&] { EXPECT_EQ(Parse([](Drawing &) {}, DXFI_PARSE_NOT_EMPTY), DNFP_READ_ERROR); });
        EXPECT_FALSE(VyrFileExists(log)) << entries;
    }
    /* the directory by its absolute name */
    script() = LoadScript();
    script().errors = {309, 0};
    mpm_ClearStack(0);
    InDirWithPath("/", "/nonexistent:" + bindir + ":/usr/bin:/bin",
                  [&] { EXPECT_EQ(Parse([](Drawing &) {}, DXFI_PARSE_NOT_EMPTY), 0) << printed(); });
    EXPECT_TRUE(VyrFileExists(log));
    EXPECT_EQ(mpm_GetLastError(), 0) << printed();
}

TEST_F(Driver, FindsTheConverterByAbsolutePathOrOnThePath)
{
    const std::string program = bindir + "/" DXFI_DEFAULT_PROCESSOR;
    std::ofstream(program) << "#!/bin/sh\nexit 5\n";
    char *found = nullptr;
    InDirWithPath(bindir, ":.", [&] { found = dnfp__FindProcessor(nullptr); });
    EXPECT_EQ(found, nullptr) << "not executable, nor on an absolute PATH entry";
    free(found);
    chmod(program.c_str(), 0700);
    InDirWithPath("/", "/nonexistent:" + bindir, [&] { found = dnfp__FindProcessor(nullptr); });
    EXPECT_EQ(found ? std::string(found) : "", program);
    free(found);
    InDirWithPath(bindir, ":.", [&] { found = dnfp__FindProcessor(nullptr); });
    EXPECT_EQ(found, nullptr);
    free(found);
    InDirWithPath("/", bindir, [&] { found = dnfp__FindProcessor(DXFI_DEFAULT_PROCESSOR); });
    EXPECT_EQ(found ? std::string(found) : "", program);
    free(found);
    found = dnfp__FindProcessor("/some/where/else");
    EXPECT_STREQ(found, "/some/where/else");
    free(found);
}

TEST_F(Driver, InputBeginningWithADashIsNoOption)
{
    Converter("exit 5");
    std::ofstream(tmpdir + "/-in.dxf") << "  0\nSECTION\n  0\nEOF\n";
    script().errors = {309, 0};
    builder() = [](Drawing &) {};
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    ASSERT_EQ(chdir(tmpdir.c_str()), 0);
    EXPECT_EQ(dxfi_ParseFile(0, model, "-in.dxf", collect), 0) << printed();
    EXPECT_EQ(chdir(here), 0);
    EXPECT_EQ(VyrReadFile(log).rfind("./-in.dxf|", 0), 0u) << VyrReadFile(log);
    EXPECT_TRUE(VyrFileExists(tmpdir + "/-in.dxf"));
    unlink((tmpdir + "/-in.dxf").c_str());
}

TEST_F(Driver, HostThatIgnoresChildSignalsStillGetsTheExitStatus)
{
    struct sigaction ignore, before;
    memset(&ignore, 0, sizeof ignore);
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGCHLD, &ignore, &before);
    for (int code : {0, 5}) {
        Converter("printf converted > \"$2\"; exit " + std::to_string(code));
        script() = LoadScript();
        script().errors = {309, 0};
        mpm_ClearStack(0);
        ASSERT_EQ(Parse([](Drawing &) {}, DXFI_PARSE_NOT_EMPTY), 0) << printed();
        ASSERT_EQ(script().paths.size(), 2u);
        EXPECT_EQ(script().paths[1] == path, code == 5) << code;
        EXPECT_EQ(mpm_GetLastError(), 0) << code << printed();
    }
    struct sigaction now;
    sigaction(SIGCHLD, &before, &now);
    EXPECT_EQ(now.sa_handler, SIG_IGN) << "the host's setting is given back";
}

TEST_F(Driver, ConfiguredTemporaryDirectoryHoldsEveryName)
{
    VyrTempDir other{"vyr_mapping_other"};
    ASSERT_FALSE(other.Path().empty());
    Converter("printf converted > \"$2\"; exit 0");
    dxfi_SetProcessorTmpFilePath(other.Path().c_str());
    ASSERT_NE(dxfi__preprocessor_tmpfile, nullptr);
    /* the first name is taken: the next one is chosen in the same place */
    const std::string taken = dxfi__preprocessor_tmpfile;
    std::ofstream(taken) << "someone else's";
    for (int round = 0; round < 2; ++round) {
        script() = LoadScript();
        script().errors = {309, 0};
        ASSERT_EQ(Parse([](Drawing &) {}, DXFI_PARSE_NOT_EMPTY), 0) << printed();
        ASSERT_EQ(script().paths.size(), 2u);
        EXPECT_EQ(script().paths[1].rfind(other.Path() + "/", 0), 0u) << round << " " << script().paths[1];
        EXPECT_NE(script().paths[1], taken);
    }
    EXPECT_EQ(VyrReadFile(taken), "someone else's");
    unlink(taken.c_str());
    EXPECT_EQ(CountFiles(other.Path()), 0);
}

TEST_F(Driver, DwgPaperSpaceViewportsAreNumberedAndConverted)
{
    Converter("exit 5");
    auto build = [](Drawing &g) {
        g.d->filetype = AD_FILE_DWG;
        AdEntityRecord r;
        memset(&r, 0, sizeof r);
        r.vport.id = 0;
        g.Add(Drawing::Header(AD_ENT_VIEWPORT, 0x200), r, true);
        g.Add(Drawing::Header(AD_ENT_VIEWPORT, 0x201), r, true);
        r.vport.id = 7;
        g.Add(Drawing::Header(AD_ENT_VIEWPORT, 0x202), r, true);
        r.vport.id = 0;
        g.Add(Drawing::Header(AD_ENT_VIEWPORT, 0x203), r, true);
        g.Line(0x100, 0, 0, 0, 1, 1, 0.0, true);
        g.Line(0x101, 0, 0, 0, 1, 1);
    };
    ASSERT_EQ(Parse(build), 0) << printed();
    EXPECT_NE(VyrReadFile(log).find("|preprocView|"), std::string::npos);
    /* the entity section maps the model space; the paper-space line comes
     * with the paper-space block */
    auto lines = All(DXFI_TF_dxf_line);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_STREQ(Read<dxf_line>(lines[0]).dxfsubhdr.handle, "101");
    EXPECT_STREQ(Read<dxf_line>(lines[1]).dxfsubhdr.handle, "100");
    EXPECT_EQ(Read<dxf_line>(lines[1]).dxfhdr.block_flag, 1);
    EXPECT_EQ(dxfi__ModelData(model)->filetype, 4);

    /* the numbering itself */
    ASSERT_EQ(dnfp__StartToolkit(0), 0);
    Drawing g;
    build(g);
    dnfp_g.drawing = g.d;
    EXPECT_EQ(dnfp__HasPaperSpaceViewports(), 1);
    dnfp__NumberPaperSpaceViewports();
    std::vector<int> ids;
    adStartEntityGet(g.d->pspace);
    AdEntityHeader h;
    AdEntityRecord r;
    while (adGetEntity(g.d->pspace, &h, &r))
        if (h.enttype == AD_ENT_VIEWPORT) ids.push_back(r.vport.id);
    EXPECT_EQ(ids, (std::vector<int>{1, 2, 7, 0}));
    dnfp__StopToolkit();
}

TEST_F(Driver, DwgWithViewportsIsTakenAsItIsWithoutAConverter)
{
    dxfi_SetProcessor((bindir + "/no-such-program").c_str());
    ASSERT_EQ(Parse([](Drawing &g) {
                  g.d->filetype = AD_FILE_DWG;
                  AdEntityRecord r;
                  memset(&r, 0, sizeof r);
                  g.Add(Drawing::Header(AD_ENT_VIEWPORT, 0x200), r, true);
                  g.Line(0x101, 0, 0, 0, 1, 1);
              }),
              0)
        << printed();
    ASSERT_EQ(script().paths.size(), 2u);
    EXPECT_EQ(script().paths[1], path);
    EXPECT_EQ(All(DXFI_TF_dxf_line).size(), 1u);
    EXPECT_EQ(mpm_GetLastError(), 0) << printed();
}

TEST_F(Driver, DxfFilesWithViewportsAreNotConverted)
{
    Converter("exit 1");
    ASSERT_EQ(Parse([](Drawing &g) {
                  AdEntityRecord r;
                  memset(&r, 0, sizeof r);
                  g.Add(Drawing::Header(AD_ENT_VIEWPORT, 0x200), r, true);
              }),
              0);
    EXPECT_EQ(script().paths.size(), 1u);
    EXPECT_FALSE(VyrFileExists(log));
}

TEST_F(Driver, VersionAndMultiplePaperSpaces)
{
    ASSERT_EQ(Parse([](Drawing &) {}, DXFI_PARSE_MULTI_PSPACE), 0);
    EXPECT_EQ(dnfp__MultiPspaces, 1);
    EXPECT_EQ(dxfi__ModelData(model)->version, 2000);
    ASSERT_EQ(
        Parse([](Drawing &g) { g.d->version = AD_ACAD14; }, DXFI_PARSE_MULTI_PSPACE | DXFI_PARSE_NOT_EMPTY),
        0);
    EXPECT_EQ(dnfp__MultiPspaces, 0);
    EXPECT_EQ(dxfi__ModelData(model)->version, 14);
    ASSERT_EQ(Parse(
                  [](Drawing &g) {
                      g.d->version = AD_ACAD9;
                      g.d->filetype = AD_FILE_BINARY_DXF;
                  },
                  DXFI_PARSE_NOT_EMPTY),
              0);
    EXPECT_EQ(dxfi__ModelData(model)->version, 9);
    EXPECT_EQ(dxfi__ModelData(model)->filetype, 3);
}

TEST_F(Driver, ParsingTwiceLeavesNothingBehind)
{
    Converter("printf x > \"$2\"; exit 0");
    for (int round = 0; round < 2; ++round) {
        dxfi_Terminate();
        mda_FreeModel(0, model);
        pdx_Terminate();
        pdx_Initialize();
        dxfi_Initialize();
        mpm_SetOutputRoutine(capture);
        Converter("printf x > \"$2\"; exit 0");
        MdaModelInfo info;
        mda_GetModelDefaults(0, &info);
        dxfi_InitModelInfo(0, &info);
        ASSERT_EQ(mda_AllocateModel(0, &info, &model), 0);
        script() = LoadScript();
        script().errors = {309, 0};
        ASSERT_EQ(Parse([](Drawing &g) {
                      g.Layer("0", 0x10);
                      g.Line(0x100, 0x10, 0, 0, 1, 1);
                  }),
                  0)
            << printed();
        ASSERT_EQ(script().paths.size(), 2u);
        EXPECT_FALSE(VyrFileExists(script().paths[1]));
        EXPECT_EQ(dxfi__preprocessor_tmpfile, nullptr);
    }
}

class InitData : public ::testing::Test {
protected:
    void SetUp() override { data = adBuiltinInitData(&size); }
    const unsigned char *data = nullptr;
    size_t size = 0;
};

TEST_F(InitData, ServesTheBuiltInDataByteByByte)
{
    ASSERT_GT(size, 100u);
    EXPECT_EQ(dnfp__ReadCharFromInitFile(), -1); /* not open */
    EXPECT_EQ(dnfp__OpenInitFile("anything"), 1);
    EXPECT_EQ(dnfp__ReadCharFromInitFile(), data[0]);
    EXPECT_EQ(dnfp__ReadCharFromInitFile(), data[1]);
    unsigned char buf[16];
    EXPECT_EQ(dnfp__ReadCharsFromInitFile(buf, 4, 4), 1);
    EXPECT_EQ(memcmp(buf, data + 2, 16), 0);
    EXPECT_EQ(dnfp__CloseInitFile(), 1);
    EXPECT_EQ(dnfp__ReadCharFromInitFile(), -1);
    EXPECT_EQ(dnfp__ReadCharsFromInitFile(buf, 1, 1), 0);
    EXPECT_EQ(dnfp__SeekInitFile(0, 0), -1);
}

TEST_F(InitData, NeverReadsOutsideTheData)
{
    dnfp__OpenInitFile(nullptr);
    EXPECT_EQ(dnfp__SeekInitFile(-1, 2), 0);
    EXPECT_EQ(dnfp__ReadCharFromInitFile(), data[size - 1]);
    EXPECT_EQ(dnfp__ReadCharFromInitFile(), -1);
    unsigned char buf[8];
    EXPECT_EQ(dnfp__SeekInitFile(long(size) - 4, 0), 0);
    EXPECT_EQ(dnfp__ReadCharsFromInitFile(buf, 1, 8), 0); /* more than remains */
    EXPECT_EQ(dnfp__ReadCharsFromInitFile(buf, 2, 2), 1);
    EXPECT_EQ(memcmp(buf, data + size - 4, 4), 0);
    EXPECT_EQ(dnfp__ReadCharsFromInitFile(buf, size_t(1) << 40, size_t(1) << 40), 0); /* overflow */
    dnfp__CloseInitFile();
}

TEST_F(InitData, SeekRules)
{
    dnfp__OpenInitFile(nullptr);
    EXPECT_EQ(dnfp__SeekInitFile(10, 0), 0);
    EXPECT_EQ(dnfp__SeekInitFile(5, 1), 0);
    EXPECT_EQ(dnfp__ReadCharFromInitFile(), data[15]);
    EXPECT_EQ(dnfp__SeekInitFile(-100, 1), -1); /* before the start: unchanged */
    EXPECT_EQ(dnfp__ReadCharFromInitFile(), data[16]);
    EXPECT_EQ(dnfp__SeekInitFile(0, 2), -1); /* one past the end */
    EXPECT_EQ(dnfp__SeekInitFile(long(size), 0), -1);
    EXPECT_EQ(dnfp__SeekInitFile(123, 7), 0); /* unknown whence: the start */
    EXPECT_EQ(dnfp__ReadCharFromInitFile(), data[0]);
    dnfp__CloseInitFile();
}

TEST_F(InitData, TheToolkitStartsFromThem)
{
    pdx_Initialize();
    dnfp_Initialize();
    ASSERT_EQ(dnfp__StartToolkit(0x80), 0);
    EXPECT_NE(adin, nullptr);
    EXPECT_EQ(adin->convertplines, 1);
    EXPECT_EQ(adin->acceptr14beta, 1);
    EXPECT_EQ(dnfp__CurStyle, 1);
    dnfp__StopToolkit();
    EXPECT_EQ(adin, nullptr);
    EXPECT_EQ(dnfp__ReadCharFromInitFile(), -1);
    pdx_Terminate();
}

} // namespace

namespace {

class Audit : public MappingTest {};

TEST_F(Audit, ProblemsArePrintedWhenAsked)
{
    auto build = [](Drawing &g) { g.Layer("Lost", 0x10, 7, 0x99); };
    ASSERT_EQ(Parse(build, DXFI_PARSE_AUDIT), 0) << printed();
    EXPECT_NE(printed().find("Kestrane Audit: "), std::string::npos) << printed();
    printed().clear();
    ASSERT_EQ(Parse(build, DXFI_PARSE_NOT_EMPTY), 0);
    EXPECT_EQ(printed().find("Kestrane Audit"), std::string::npos);
}

/* DWG files of releases the toolkit does not read are refused with
 * DWG_PARSE_UNSUPPORTED and a message naming the release; no converter is
 * run for them, not even for the releases whose DXF files it converts. */
TEST_F(Driver, DwgReleasesOutsideTheReaderAreRefusedByName)
{
    Converter("touch '" + bindir + "/ran'");
    dnfp__LoadFile = adLoadFile;
    struct Case {
        const char *release, *name;
    } cases[] = {{"AC1006", "R10"}, {"AC1009", "R11/12"}, {"AC1018", "R2004"}, {"AC1032", "R2018"}};
    for (const Case &c : cases) {
        VyrTempFile file(".dwg");
        ASSERT_TRUE(file.Write(std::string(c.release) + std::string(200, '\0')));
        path = file.Path();
        printed().clear();
        EXPECT_EQ(Parse([](Drawing &) {}), DXFI_DWG_PARSE_UNSUPPORTED) << c.release;
        EXPECT_NE(printed().find(std::string("release ") + c.name + " (" + c.release + ")"),
                  std::string::npos)
            << printed();
        EXPECT_FALSE(std::ifstream(bindir + "/ran").good()) << c.release;
        mpm_ClearStack(0);
    }
}

} // namespace
