/* The down-converter RozOzoRoruveziz. Run as a separate process: drawings
 * that python3-ezdxf wrote at every release it reads, ASCII and binary,
 * come back from the toolkit with the coordinates, layers, colours,
 * handles, block references and texts ezdxf put in (tests/data/downconv,
 * drawing.tsv says what); every sample drawing of AC1018 and later
 * converts with its entity counts by kind; failures say why, leave no
 * output and never touch the input. In process: the rules on small
 * drawings written here, the text recoder and the pair reader. */
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/VyrTempFile.h"
#include "toolkit/ad/ad.h"
#include "tools/downconv/DxfDownConverter.h"

namespace {

const std::string kTool = std::string(VYR_BINARY_DIR) + "/tools/RozOzoRoruveziz";
const std::string kData = std::string(VYR_TEST_DATA_DIR) + "/downconv";

struct Outcome {
    int status = -1;
    std::string err;
};

/* Runs the program with `args` (quoted as needed); its standard error is
 * kept in `errFile`. */
Outcome RunTool(const std::string &args, const std::string &errFile)
{
    Outcome r;
    const int status = std::system((kTool + " " + args + " 2>'" + errFile + "'").c_str());
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.err = VyrReadFile(errFile);
    return r;
}

std::string Quote(const std::string &s) { return "'" + s + "'"; }

/* Bytes in the code page `codePage` with \U+XXXX escapes, as UTF-8: iconv
 * for the bytes, the escapes (and surrogate pairs) by hand. */
std::string ToUtf8(const std::string &bytes, const std::string &codePage)
{
    const std::string from = codePage == "ANSI_932" ? "CP932" : codePage == "ANSI_1251" ? "CP1251" : "CP1252";
    std::string decoded;
    iconv_t cd = iconv_open("UTF-8", from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return "(no iconv)";
    std::vector<char> out(bytes.size() * 4 + 16);
    char *in = const_cast<char *>(bytes.data()), *o = out.data();
    size_t inLeft = bytes.size(), outLeft = out.size();
    if (iconv(cd, &in, &inLeft, &o, &outLeft) == size_t(-1)) decoded = "(not " + from + ")";
    iconv_close(cd);
    if (!decoded.empty()) return decoded;
    decoded.assign(out.data(), o);
    std::string text;
    uint32_t high = 0;
    for (size_t i = 0; i < decoded.size();) {
        if (decoded.compare(i, 3, "\\U+") == 0 && i + 7 <= decoded.size()) {
            uint32_t cp = uint32_t(std::stoul(decoded.substr(i + 3, 4), nullptr, 16));
            i += 7;
            if (cp >= 0xD800 && cp < 0xDC00) {
                high = cp;
                continue;
            }
            if (cp >= 0xDC00 && cp < 0xE000 && high) cp = 0x10000 + ((high - 0xD800) << 10) + (cp - 0xDC00);
            high = 0;
            if (cp < 0x80) {
                text += char(cp);
            } else if (cp < 0x800) {
                text += char(0xC0 | cp >> 6);
                text += char(0x80 | (cp & 0x3F));
            } else if (cp < 0x10000) {
                text += char(0xE0 | cp >> 12);
                text += char(0x80 | (cp >> 6 & 0x3F));
                text += char(0x80 | (cp & 0x3F));
            } else {
                text += char(0xF0 | cp >> 18);
                text += char(0x80 | (cp >> 12 & 0x3F));
                text += char(0x80 | (cp >> 6 & 0x3F));
                text += char(0x80 | (cp & 0x3F));
            }
            continue;
        }
        text += decoded[i++];
    }
    return text;
}

std::vector<std::string> Split(const std::string &line, char sep)
{
    std::vector<std::string> out(1);
    for (char c : line) {
        if (c == sep)
            out.emplace_back();
        else
            out.back() += c;
    }
    return out;
}

/* The toolkit's name of an entity's kind. */
std::string KindName(AdDrawing *d, const AdEntityHeader &h, const AdEntityRecord &rec)
{
    static const std::map<int, const char *> kFixed = {
        {1, "LINE"},    {2, "POINT"},      {3, "CIRCLE"},    {4, "SHAPE"},      {5, "ELLIPSE"},
        {6, "SPLINE"},  {7, "TEXT"},       {8, "ARC"},       {9, "TRACE"},      {10, "REGION"},
        {11, "SOLID"},  {12, "BLOCK"},     {13, "ENDBLK"},   {14, "INSERT"},    {15, "ATTDEF"},
        {16, "ATTRIB"}, {17, "SEQEND"},    {19, "POLYLINE"}, {20, "VERTEX"},    {21, "3DLINE"},
        {22, "3DFACE"}, {23, "DIMENSION"}, {24, "VIEWPORT"}, {25, "3DSOLID"},   {26, "RAY"},
        {27, "XLINE"},  {28, "MTEXT"},     {29, "LEADER"},   {30, "TOLERANCE"}, {31, "MLINE"},
        {35, "BODY"}};
    auto f = kFixed.find(h.enttype);
    if (f != kFixed.end()) return f->second;
    char name[AD_NAME_LEN] = "";
    if (h.enttype >= 500 && adGetClassNameFromId(d, h.enttype, name)) return name;
    if (h.enttype == 498 && rec.proxy.pairblob) { /* a kind without a class: its (0, name) first */
        AdBlobCursor *c = adStartBlobRead(rec.proxy.pairblob);
        static AdBlobPair p;
        std::string kind = "PROXY";
        if (c && adReadBlobPair(c, &p) && p.code == 0) kind = p.text;
        adEndBlobRead(c);
        return kind;
    }
    return "type " + std::to_string(h.enttype);
}

std::string HandleText(const unsigned char *h)
{
    char text[32];
    adBinaryObjhandleToAscii(h, text);
    std::string s = text;
    s.erase(0, std::min(s.find_first_not_of('0'), s.size() - 1));
    for (char &c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string BlobText(AdBlob *b)
{
    std::string s(static_cast<size_t>(adBlobSize(b)), '\0');
    AdBlobCursor *c = adStartBlobRead(b);
    if (c && !s.empty()) adReadBlobBytesLong(c, &s[0], static_cast<long>(s.size()));
    adEndBlobRead(c);
    return s;
}

class DownConverter : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!VyrFileExists(kTool)) GTEST_SKIP() << "RozOzoRoruveziz is not built";
        ASSERT_FALSE(dir.Path().empty());
        work = dir.Path();
        int16_t err = -1;
        ASSERT_TRUE(adInitAd2(nullptr, &err));
        adSetupDxfRead();
        adSetupDwgRead();
        adConvertPlinesOnLoad(0);
    }
    void TearDown() override { adCloseAd2(); }

    /* Converts `input` into work/out.dxf; the outcome, with the output
     * loaded into *d when asked for and the program succeeded. */
    Outcome Convert(const std::string &input, AdDrawing **d = nullptr, const std::string &options = "")
    {
        output = work + "/out.dxf";
        ::unlink(output.c_str());
        Outcome r =
            RunTool(options + " " + Quote(input) + " " + Quote(output) + " preprocess", work + "/err");
        if (d) {
            *d = r.status == 0 ? adLoadFile(output.c_str(), 1, 0) : nullptr;
            if (!*d) ADD_FAILURE() << input << ": " << r.status << " " << r.err << " toolkit " << adError();
        }
        return r;
    }

    VyrTempDir dir{"vyr_downconv"};
    std::string work, output;
};

/* ---- drawings written by ezdxf */

struct Expected {
    std::map<std::string, int> layers;
    std::vector<std::vector<std::string>> entities;
};

Expected ReadExpected()
{
    Expected e;
    std::istringstream in(VyrReadFile(kData + "/drawing.tsv"));
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> f = Split(line, '\t');
        if (f[0] == "LAYER" && f.size() == 3) e.layers[f[1]] = std::stoi(f[2]);
        if (f[0] == "ENTITY" && f.size() == 12) e.entities.push_back(f);
    }
    return e;
}

struct Ezdxf {
    const char *file;
    const char *codePage;
};

const Ezdxf kEzdxf[] = {
    {"r2004.dxf", "ANSI_1252"},        {"r2004-binary.dxf", "ANSI_1252"}, {"r2007.dxf", "ANSI_1252"},
    {"r2007-binary.dxf", "ANSI_1252"}, {"r2010.dxf", "ANSI_1252"},        {"r2010-binary.dxf", "ANSI_1252"},
    {"r2013.dxf", "ANSI_1252"},        {"r2013-binary.dxf", "ANSI_1252"}, {"r2013-cp1251.dxf", "ANSI_1251"},
    {"r2018.dxf", "ANSI_1252"},        {"r2018-binary.dxf", "ANSI_1252"}, {"r2018-cp932.dxf", "ANSI_932"},
};

TEST_F(DownConverter, DrawingsOfEveryReleaseComeBackAsEzdxfWroteThem)
{
    const Expected expected = ReadExpected();
    ASSERT_EQ(expected.layers.size(), 7u);
    ASSERT_EQ(expected.entities.size(), 18u);
    for (const Ezdxf &drawing : kEzdxf) {
        SCOPED_TRACE(drawing.file);
        const std::string input = kData + "/" + drawing.file;
        const std::string before = VyrReadFile(input);
        AdDrawing *d = nullptr;
        Outcome r = Convert(input, &d);
        ASSERT_EQ(r.status, 0) << r.err;
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(VyrReadFile(input), before) << "the input changed";
        EXPECT_EQ(adFileVersionLoaded(d), AD_ACAD2000);
        const std::string text = VyrReadFile(output);
        EXPECT_NE(text.find("$ACADVER\n  1\nAC1015\n"), std::string::npos);
        EXPECT_NE(text.find(std::string("$DWGCODEPAGE\n  3\n") + drawing.codePage + "\n"), std::string::npos);

        /* layers by name, with their colours */
        std::map<std::string, int> layers;
        AdLayer layer;
        adStartLayerGet(d);
        while (adGetLayer(d, &layer)) layers[ToUtf8(layer.name, drawing.codePage)] = layer.color;
        EXPECT_EQ(layers, expected.layers);

        /* entities by handle */
        std::map<std::string, std::pair<AdEntityHeader, AdEntityRecord>> byHandle;
        {
            AdEntityList list = adModelSpaceEntityList(d);
            adStartEntityGet(list);
            static AdEntityHeader h;
            static AdEntityRecord rec;
            while (adGetEntity(list, &h, &rec)) byHandle[HandleText(h.handle)] = {h, rec};
        }
        for (const std::vector<std::string> &e : expected.entities) {
            SCOPED_TRACE(e[1] + " " + e[2]);
            auto found = byHandle.find(e[1]);
            ASSERT_NE(found, byHandle.end()) << "handle " << e[1] << " lost";
            const AdEntityHeader &h = found->second.first;
            const AdEntityRecord &rec = found->second.second;
            EXPECT_EQ(KindName(d, h, rec), e[2]);
            AdLayer l;
            ASSERT_TRUE(adSeekLayer(d, h.layerhandle, &l));
            EXPECT_EQ(ToUtf8(l.name, drawing.codePage), e[3]);
            EXPECT_EQ(h.color, std::stoi(e[4]));
            const double *first = nullptr, *second = nullptr;
            std::string value;
            const std::string &kind = e[2];
            if (kind == "LINE") first = rec.line.pt0, second = rec.line.pt1;
            if (kind == "CIRCLE") first = rec.circle.pt0;
            if (kind == "ARC") first = rec.arc.pt0;
            if (kind == "POINT") first = rec.point.pt0;
            if (kind == "ELLIPSE") first = rec.ellipse.pt0;
            if (kind == "TEXT") first = rec.text.pt0, value = rec.text.text;
            if (kind == "ATTRIB") first = rec.attrib.pt0, value = rec.attrib.attval;
            if (kind == "MTEXT")
                first = rec.mtext.pt0,
                value = rec.mtext.textblob ? BlobText(rec.mtext.textblob) : rec.mtext.text;
            if (kind == "INSERT") {
                first = rec.insert.pt0;
                AdBlockheader b;
                if (adSeekBlockheader(d, rec.insert.blockheaderhandle, &b)) value = b.name;
            }
            for (int i = 0; first && i < 3; ++i) EXPECT_EQ(first[i], std::stod(e[5 + i])) << i;
            for (int i = 0; second && i < 3; ++i) EXPECT_EQ(second[i], std::stod(e[8 + i])) << i;
            if (!e[11].empty()) { EXPECT_EQ(ToUtf8(value, drawing.codePage), e[11]); }
        }
        /* the chunks of the multiline text are of the length release 2000 writes */
        std::istringstream lines(text);
        std::string line, code;
        while (std::getline(lines, code) && std::getline(lines, line))
            if (code == "  3") { EXPECT_LE(line.size(), 250u); }
        adCloseFile(d);
    }
}

TEST_F(DownConverter, BinaryAndAsciiTwinsGiveTheSameEntities)
{
    for (const char *release : {"r2004", "r2007", "r2010", "r2013", "r2018"}) {
        SCOPED_TRACE(release);
        auto entities = [&](const std::string &file) {
            EXPECT_EQ(Convert(kData + "/" + file).status, 0);
            const std::string text = VyrReadFile(output);
            const size_t from = text.find("\nENTITIES\n"), to = text.find("\nENDSEC\n", from);
            return from == std::string::npos ? std::string() : text.substr(from, to - from);
        };
        const std::string ascii = entities(std::string(release) + ".dxf");
        EXPECT_GT(ascii.size(), 1000u);
        EXPECT_EQ(ascii, entities(std::string(release) + "-binary.dxf"));
    }
}

TEST_F(DownConverter, WhatWasDroppedIsCountedWithV)
{
    /* release 2010 on writes the fit data of hatch spline edges */
    for (const char *file : {"r2007.dxf", "r2010.dxf", "r2018-binary.dxf"}) {
        Outcome r = Convert(kData + "/" + file, nullptr, "-v");
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.err.find("CIRCLE group codes 420 (1), 440 (1)"), std::string::npos) << file << r.err;
        EXPECT_NE(r.err.find("header variables"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("HATCH spline fit data") != std::string::npos, std::string(file) != "r2007.dxf")
            << file << r.err;
        EXPECT_NE(r.err.find("written as \\U+XXXX"), std::string::npos) << r.err;
        /* without -v, nothing */
        EXPECT_EQ(Convert(kData + "/" + file).err, "");
    }
}

/* ---- the sample drawings of other programs */

/* Counts of (0, name) records in the BLOCKS and ENTITIES sections, but
 * for the BLOCK and ENDBLK pairs: "BLOCK" counts the blocks. */
std::map<std::string, long> KindsInFile(const std::string &text)
{
    std::map<std::string, long> counts;
    std::istringstream in(text);
    std::string code, value, section;
    bool name = false;
    while (std::getline(in, code) && std::getline(in, value)) {
        while (!value.empty() && (value.back() == '\r' || value.back() == ' ')) value.pop_back();
        const int c = std::atoi(code.c_str());
        if (c == 0 && value == "SECTION") {
            name = true;
            continue;
        }
        if (name && c == 2) section = value;
        name = false;
        if (c == 0 && value == "ENDSEC") section.clear();
        if (c == 0 && (section == "BLOCKS" || section == "ENTITIES") && value != "ENDBLK") ++counts[value];
    }
    return counts;
}

std::string ReleaseOf(const std::string &text)
{
    size_t at = text.find("$ACADVER");
    if (at == std::string::npos) return "";
    at = text.find("AC", at + 8);
    return at == std::string::npos ? "" : text.substr(at, 6);
}

TEST_F(DownConverter, EverySampleOfAC1018AndLaterKeepsItsEntities)
{
    std::vector<std::string> files;
    if (DIR *root = ::opendir(VYR_SAMPLES_DIR)) {
        while (dirent *e = ::readdir(root)) {
            if (e->d_name[0] == '.') continue;
            const std::string sub = std::string(VYR_SAMPLES_DIR) + "/" + e->d_name;
            if (DIR *s = ::opendir(sub.c_str())) {
                while (dirent *f = ::readdir(s)) {
                    const std::string n = f->d_name;
                    if (n.size() > 4 && n.substr(n.size() - 4) == ".dxf") files.push_back(sub + "/" + n);
                }
                ::closedir(s);
            }
        }
        ::closedir(root);
    }
    if (files.empty()) GTEST_SKIP() << "no sample drawings at " << VYR_SAMPLES_DIR;
    std::sort(files.begin(), files.end());
    int converted = 0;
    for (const std::string &file : files) {
        const std::string text = VyrReadFile(file);
        const std::string release = ReleaseOf(text);
        if (release < "AC1018" || release.size() != 6) continue;
        SCOPED_TRACE(file);
        AdDrawing *d = nullptr;
        Outcome r = Convert(file, &d);
        ASSERT_EQ(r.status, 0) << r.err;
        ASSERT_NE(d, nullptr);
        std::map<std::string, long> loaded;
        AdBlockheader b;
        adStartBlockheaderGet(d);
        static AdEntityHeader h;
        static AdEntityRecord rec;
        while (adGetBlockheader(d, &b)) {
            adStartEntityGet(b.entitylist);
            while (adGetEntity(b.entitylist, &h, &rec))
                if (h.enttype != 12 && h.enttype != 13) ++loaded[KindName(d, h, rec)];
            ++loaded["BLOCK"];
        }
        EXPECT_EQ(loaded, KindsInFile(text));
        adCloseFile(d);
        ++converted;
    }
    EXPECT_GE(converted, 12); /* seven of AC1021, two of AC1018, one each of AC1024 and AC1027 */
}

/* ---- failures, and drawings with nothing to convert */

TEST_F(DownConverter, FailuresSayWhyLeaveNothingAndKeepTheInput)
{
    const std::string good = VyrReadFile(kData + "/r2013.dxf");
    const std::string goodBinary = VyrReadFile(kData + "/r2013-binary.dxf");
    std::string unknown = good;
    unknown.replace(unknown.find("AC1027"), 6, "AC1099");
    ASSERT_EQ(::mkdir((work + "/folder").c_str(), 0700), 0);
    struct Case {
        const char *name;
        std::string input;  /* contents written to work/in.dxf; empty: the path below */
        std::string path;   /* the input path when no contents are given */
        std::string output; /* empty: work/out.dxf */
        const char *message;
    };
    const Case cases[] = {
        {"missing input", "", work + "/no-such.dxf", "", "cannot read"},
        {"a folder", "", work + "/folder", "", "not a regular file"},
        {"not DXF", "hello, world\n", "", "", "not a DXF drawing"},
        {"empty", "", work + "/empty.dxf", "", "not a DXF drawing"},
        {"cut short", good.substr(0, good.size() / 2), "", "", "ends"},
        {"cut short, binary", goodBinary.substr(0, goodBinary.size() / 2), "", "", "ends"},
        {"no EOF", good.substr(0, good.rfind("  0\nEOF")), "", "", "EOF marker"},
        {"unknown release", unknown, "", "", "AC1099"},
        {"newer DWG", std::string("AC1018") + std::string(200, '\0'), "", "", "DWG"},
        {"no such folder", good, "", work + "/no/such/out.dxf", "cannot write"},
        {"under a file", good, "", work + "/empty.dxf/out.dxf", "cannot write"},
        {"itself", good, "", work + "/in.dxf", "is the input itself"},
    };
    std::ofstream(work + "/empty.dxf").close();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string input = c.path.empty() ? work + "/in.dxf" : c.path;
        if (c.path.empty()) std::ofstream(input, std::ios::binary) << c.input;
        const std::string out = c.output.empty() ? work + "/out.dxf" : c.output;
        ::unlink((work + "/out.dxf").c_str());
        const std::string before = VyrReadFile(input);
        Outcome r = RunTool(Quote(input) + " " + Quote(out) + " preprocess", work + "/err");
        EXPECT_NE(r.status, 0);
        EXPECT_NE(r.status, 5);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(VyrReadFile(input), before);
        if (out != input) { EXPECT_FALSE(VyrFileExists(out)); }
        /* no temporary file left beside the output */
        if (DIR *d = ::opendir(work.c_str())) {
            while (dirent *e = ::readdir(d)) EXPECT_NE(std::string(e->d_name).find(".RozOzoRoruveziz"), 0u);
            ::closedir(d);
        }
    }
}

TEST_F(DownConverter, OlderDrawingsAndDwgFilesHaveNothingToConvert)
{
    const std::string data = VYR_TEST_DATA_DIR;
    std::ofstream(work + "/old.dwg", std::ios::binary) << "AC1015" << std::string(200, '\0');
    std::ofstream(work + "/new.dwg", std::ios::binary) << "AC1027" << std::string(200, '\0');
    std::ofstream(work + "/bare.dxf") << "  0\nSECTION\n  2\nENTITIES\n  0\nENDSEC\n  0\nEOF\n";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {data + "/ac1015.dxf", "preprocess"}, {data + "/ac1015-binary.dxf", "preprocess"},
        {data + "/ac1009.dxf", "preprocess"}, {data + "/ac1014.dxf", "preprocess"},
        {work + "/bare.dxf", "preprocess"},   {work + "/old.dwg", "preprocess"},
        {work + "/old.dwg", "preprocView"},   {work + "/new.dwg", "preprocView"},
    };
    for (const auto &c : cases) {
        Outcome r = RunTool(Quote(c.first) + " " + Quote(work + "/out.dxf") + " " + c.second, work + "/err");
        EXPECT_EQ(r.status, 5) << c.first << " " << c.second << r.err;
        EXPECT_FALSE(VyrFileExists(work + "/out.dxf")) << c.first;
    }
}

TEST_F(DownConverter, OutputMadeBeforehandIsReplacedWithItsMode)
{
    /* as the library makes it: empty, private */
    const std::string out = work + "/made.dxf";
    const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0);
    ::close(fd);
    Outcome r = RunTool(Quote(kData + "/r2007.dxf") + " " + Quote(out) + " preprocess", work + "/err");
    ASSERT_EQ(r.status, 0) << r.err;
    struct stat st;
    ASSERT_EQ(::stat(out.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_GT(st.st_size, 10000);
    /* a failure leaves it as it was */
    ASSERT_EQ(::truncate(out.c_str(), 0), 0);
    std::ofstream(work + "/bad.dxf") << "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1027\n";
    r = RunTool(Quote(work + "/bad.dxf") + " " + Quote(out) + " preprocess", work + "/err");
    EXPECT_EQ(r.status, 1);
    ASSERT_EQ(::stat(out.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 0);
}

TEST_F(DownConverter, UsageErrors)
{
    for (const char *args : {"", "a.dxf b.dxf", "a.dxf b.dxf convert", "-x a.dxf b.dxf preprocess"}) {
        Outcome r = RunTool(args, work + "/err");
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find("RozOzoRoruveziz"), std::string::npos) << args;
    }
}

/* ---- the rules, in process, on drawings written here */

std::string P(int code, const std::string &value)
{
    std::string c = std::to_string(code);
    return std::string(c.size() < 3 ? 3 - c.size() : 0, ' ') + c + "\n" + value + "\n";
}

std::string Drawing(const std::string &release, const std::string &entities, const std::string &more = "")
{
    return P(0, "SECTION") + P(2, "HEADER") + P(9, "$ACADVER") + P(1, release) + P(9, "$DWGCODEPAGE") +
           P(3, "ANSI_1252") + P(0, "ENDSEC") + more + P(0, "SECTION") + P(2, "ENTITIES") + entities +
           P(0, "ENDSEC") + P(0, "EOF");
}

/* Converts `dxf` in process; the output, or "" with *error. */
std::string ConvertHere(const std::string &dxf, DxfRelease release, std::string *error = nullptr,
                        std::map<std::string, long> *dropped = nullptr)
{
    VyrTempFile in(".dxf"), out(".dxf");
    in.Write(dxf);
    const int ifd = ::open(in.Path().c_str(), O_RDONLY);
    const int ofd = ::open(out.Path().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    DxfPairReader reader(ifd, "in");
    DxfPairWriter writer(ofd);
    bool ok = reader.Start();
    DxfDownConverter converter(reader, writer, release, "ANSI_1252");
    ok = ok && converter.Run();
    ::close(ifd);
    ::close(ofd);
    if (error) *error = converter.Error();
    if (dropped) *dropped = converter.Dropped();
    return ok ? VyrReadFile(out.Path()) : std::string();
}

/* The pairs of the ENTITIES section of an ASCII drawing, "code=value;". */
std::string EntityPairs(const std::string &dxf)
{
    const size_t from = dxf.find("\nENTITIES\n"), to = dxf.find("ENDSEC\n", from);
    if (from == std::string::npos) return "";
    std::istringstream in(dxf.substr(from + 10, to - from - 10));
    std::string code, value, out;
    while (std::getline(in, code) && std::getline(in, value))
        out += std::to_string(std::atoi(code.c_str())) + "=" + value + ";";
    return out;
}

std::string SplineEdge()
{
    return P(72, "4") + P(94, "3") + P(73, "0") + P(74, "0") + P(95, "8") + P(96, "4") + P(40, "0") +
           P(40, "0") + P(40, "0") + P(40, "0") + P(40, "1") + P(40, "1") + P(40, "1") + P(40, "1") +
           P(10, "0") + P(20, "0") + P(10, "1") + P(20, "1") + P(10, "2") + P(20, "0") + P(10, "3") +
           P(20, "1");
}

std::string Hatch(const std::string &edges, int count)
{
    return P(0, "HATCH") + P(5, "2A") + P(100, "AcDbEntity") + P(8, "0") + P(100, "AcDbHatch") + P(10, "0") +
           P(20, "0") + P(30, "0") + P(2, "SOLID") + P(70, "1") + P(71, "0") + P(91, "1") + P(92, "1") +
           P(93, std::to_string(count)) + edges + P(75, "0") + P(76, "1") + P(98, "0");
}

TEST_F(DownConverter, HatchSplineFitDataGoesSourceCountsStay)
{
    const std::string line = P(72, "1") + P(10, "3") + P(20, "1") + P(11, "0") + P(21, "0");
    const std::string fit = P(97, "2") + P(11, "0") + P(21, "0") + P(11, "3") + P(21, "1") + P(12, "1") +
                            P(22, "0") + P(13, "0") + P(23, "1");
    const std::string sources = P(97, "1") + P(330, "1F");
    struct Case {
        const char *name;
        DxfRelease release;
        std::string in, out;
    };
    const Case cases[] = {
        {"fit data, then the source count", DxfRelease::R2010, Hatch(SplineEdge() + fit + P(97, "0"), 1),
         Hatch(SplineEdge() + P(97, "0"), 1)},
        {"no fit points, then another edge", DxfRelease::R2013,
         Hatch(SplineEdge() + P(97, "0") + line + sources, 2), Hatch(SplineEdge() + line + sources, 2)},
        {"no fit count, the source count after the last edge", DxfRelease::R2010,
         Hatch(SplineEdge() + sources, 1), Hatch(SplineEdge() + sources, 1)},
        {"release 2007 has no fit data", DxfRelease::R2007, Hatch(SplineEdge() + P(97, "0"), 1),
         Hatch(SplineEdge() + P(97, "0"), 1)},
    };
    for (const Case &c : cases) {
        std::string error;
        const std::string out = ConvertHere(Drawing("AC1024", c.in), c.release, &error);
        ASSERT_FALSE(out.empty()) << c.name << error;
        EXPECT_EQ(EntityPairs(out), EntityPairs(Drawing("AC1015", c.out))) << c.name;
    }
}

TEST_F(DownConverter, EntityRules)
{
    const std::string entity = P(5, "2B") + P(100, "AcDbEntity") + P(8, "0");
    struct Case {
        const char *name;
        std::string in, out;
        const char *dropped;
    };
    const Case cases[] = {
        {"true colour, colour name, transparency",
         P(0, "LINE") + entity + P(420, "16744448") + P(430, "x") + P(440, "33554559") + P(100, "AcDbLine") +
             P(10, "1"),
         P(0, "LINE") + entity + P(100, "AcDbLine") + P(10, "1"), "LINE group code 420"},
        {"embedded object",
         P(0, "MTEXT") + entity + P(100, "AcDbMText") + P(10, "1") + P(1, "a") + P(101, "Embedded Object") +
             P(70, "1") + P(10, "9") + P(1001, "APP") + P(1070, "3"),
         P(0, "MTEXT") + entity + P(100, "AcDbMText") + P(10, "1") + P(1, "a") + P(1001, "APP") +
             P(1070, "3"),
         "MTEXT embedded object"},
        {"later MTEXT codes",
         P(0, "MTEXT") + entity + P(100, "AcDbMText") + P(46, "0") + P(90, "1") + P(63, "1") + P(45, "1.5") +
             P(1, "a"),
         P(0, "MTEXT") + entity + P(100, "AcDbMText") + P(1, "a"), "MTEXT group code 90"},
        {"a subclass release 2000 lacks",
         P(0, "3DSOLID") + entity + P(100, "AcDbModelerGeometry") + P(290, "0") + P(2, "{00}") + P(70, "1") +
             P(100, "AcDb3dSolidHistory") + P(350, "0"),
         P(0, "3DSOLID") + entity + P(100, "AcDbModelerGeometry") + P(70, "1"),
         "3DSOLID subclass AcDb3dSolidHistory"},
        {"64-bit proxy graphics size",
         P(0, "LINE") + P(5, "2C") + P(100, "AcDbEntity") + P(160, "8") + P(310, "0102030405060708") +
             P(100, "AcDbLine"),
         P(0, "LINE") + P(5, "2C") + P(100, "AcDbEntity") + P(92, "8") + P(310, "0102030405060708") +
             P(100, "AcDbLine"),
         nullptr},
        {"kinds release 2000 lacks are kept whole",
         P(0, "MESH") + entity + P(420, "5") + P(100, "AcDbSubDMesh") + P(71, "2") + P(91, "0"),
         P(0, "MESH") + entity + P(420, "5") + P(100, "AcDbSubDMesh") + P(71, "2") + P(91, "0"), nullptr},
        {"extended data is kept", P(0, "LINE") + entity + P(1001, "APP") + P(1071, "7") + P(1040, "2.5"),
         P(0, "LINE") + entity + P(1001, "APP") + P(1071, "7") + P(1040, "2.5"), nullptr},
        {"gradient hatch without a colour of its own: the first gradient colour",
         P(0, "HATCH") + entity + P(100, "AcDbHatch") + P(2, "SOLID") + P(450, "1") + P(453, "2") +
             P(463, "0") + P(63, "3") + P(421, "65280") + P(463, "1") + P(63, "5") + P(470, "LINEAR"),
         P(0, "HATCH") + entity + P(62, "3") + P(100, "AcDbHatch") + P(2, "SOLID"), "HATCH group code 450"},
        {"attribute lock position",
         P(0, "ATTRIB") + entity + P(100, "AcDbText") + P(1, "v") + P(100, "AcDbAttribute") + P(2, "T") +
             P(70, "0") + P(280, "1"),
         P(0, "ATTRIB") + entity + P(100, "AcDbText") + P(1, "v") + P(100, "AcDbAttribute") + P(2, "T") +
             P(70, "0"),
         "ATTRIB group code 280"},
    };
    for (const Case &c : cases) {
        std::map<std::string, long> dropped;
        std::string error;
        const std::string out = ConvertHere(Drawing("AC1021", c.in), DxfRelease::R2007, &error, &dropped);
        ASSERT_FALSE(out.empty()) << c.name << error;
        EXPECT_EQ(EntityPairs(out), EntityPairs(Drawing("AC1015", c.out))) << c.name;
        if (c.dropped) { EXPECT_EQ(dropped.count(c.dropped), 1u) << c.name; }
    }
}

TEST_F(DownConverter, SectionsAndHeaderVariablesOfLaterReleasesGo)
{
    const std::string acds =
        P(0, "SECTION") + P(2, "ACDSDATA") + P(70, "2") + P(0, "ACDSSCHEMA") + P(90, "0") + P(0, "ENDSEC");
    std::string dxf = Drawing("AC1027", P(0, "LINE") + P(5, "2A"), acds);
    dxf.insert(dxf.find("  0\nENDSEC"), P(9, "$HALOGAP") + P(280, "0") + P(9, "$LUNITS") + P(70, "2") +
                                            P(9, "$SHADOWPLANELOCATION") + P(40, "0.0") + P(9, "$INSBASE") +
                                            P(10, "1") + P(20, "2") + P(30, "3"));
    std::map<std::string, long> dropped;
    const std::string out = ConvertHere(dxf, DxfRelease::R2013, nullptr, &dropped);
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out.find("ACDSDATA"), std::string::npos);
    EXPECT_EQ(out.find("$HALOGAP"), std::string::npos);
    EXPECT_EQ(out.find("$SHADOWPLANELOCATION"), std::string::npos);
    EXPECT_NE(
        out.find(P(9, "$LUNITS") + P(70, "2") + P(9, "$INSBASE") + P(10, "1") + P(20, "2") + P(30, "3")),
        std::string::npos)
        << out;
    EXPECT_NE(out.find(P(1, "AC1015")), std::string::npos);
    EXPECT_EQ(dropped["section ACDSDATA"], 1);
    EXPECT_EQ(dropped["header variable $HALOGAP"], 1);
}

TEST_F(DownConverter, MtextChunksAreCutBetweenCharacters)
{
    /* a UTF-8 character cut between two chunks, and chunks that grow past
     * 250 bytes when their characters become escapes */
    const std::string greek = "\xCE\xB1"; /* alpha */
    std::string first(248, 'a');
    first += greek + "\xCE"; /* the next character cut after its first byte */
    std::string second = "\xB2";
    for (int i = 0; i < 100; ++i) second += greek;
    const std::string in = P(0, "MTEXT") + P(5, "2A") + P(100, "AcDbEntity") + P(8, "0") +
                           P(100, "AcDbMText") + P(3, first) + P(3, second) + P(1, "end");
    const std::string out = ConvertHere(Drawing("AC1021", in), DxfRelease::R2007);
    ASSERT_FALSE(out.empty());
    std::istringstream lines(out.substr(out.find("AcDbMText\n") + 10));
    std::string code, value, joined;
    int chunks = 0;
    while (std::getline(lines, code) && std::getline(lines, value)) {
        if (code != "  3" && code != "  1") continue;
        EXPECT_LE(value.size(), 250u);
        for (size_t at = value.find('\\'); at != std::string::npos; at = value.find('\\', at + 1))
            EXPECT_LE(at + 7, value.size()) << "an escape cut in two: " << value;
        joined += value;
        ++chunks;
        if (code == "  1") break;
    }
    std::string expected(248, 'a');
    expected += "\\U+03B1\\U+03B2";
    for (int i = 0; i < 100; ++i) expected += "\\U+03B1";
    expected += "end";
    EXPECT_EQ(joined, expected);
    EXPECT_GE(chunks, 4);
}

/* ---- the text recoder */

TEST(DxfTextRecoder, CodePagesAndEscapes)
{
    struct Case {
        const char *codePage, *utf8, *expected;
    };
    const Case cases[] = {
        {"ANSI_1252", "plain ASCII", "plain ASCII"},
        {"ANSI_1252",
         "Gr\xC3\xBC\xC3\x9F"
         "e \xE2\x80\x93 \xE2\x82\xAC",
         "Gr\xFC\xDF"
         "e \x96 \x80"},
        {"ANSI_1252", "\xCE\xB1\xCE\xB2", "\\U+03B1\\U+03B2"},
        {"ANSI_1253", "\xCE\xB1\xCE\xB2", "\xE1\xE2"},
        {"ANSI_1251", "\xD0\x9F\xD1\x80\xD0\xB8", "\xCF\xF0\xE8"},
        {"ANSI_932", "\xE3\x81\x93\xE3\x82\x93", "\x82\xB1\x82\xF1"},
        /* double-byte characters whose second byte is '}' or '\' */
        {"ANSI_932", "\xE5\x9B\xB3", "\\U+56F3"},
        {"ANSI_932", "\xE3\x82\xBD", "\\U+30BD"},
        /* beyond U+FFFF: a surrogate pair */
        {"ANSI_1252", "\xF0\x9F\x98\x80", "\\U+D83D\\U+DE00"},
        /* a code page iconv does not know, and a Unicode one: escapes */
        {"ANSI_9999", "\xC3\xA9", "\\U+00E9"},
        {"UTF8", "\xC3\xA9", "\\U+00E9"},
        /* not UTF-8: kept as it is */
        {"ANSI_1252", "caf\xE9 \xFF", "caf\xE9 \xFF"},
        {"ANSI_1252", "\xC3", "\xC3"},
    };
    for (const Case &c : cases) {
        DxfTextRecoder r(c.codePage);
        std::string out;
        r.Recode(c.utf8, out);
        EXPECT_EQ(out, c.expected) << c.codePage << " " << c.utf8;
    }
}

TEST(DxfTextRecoder, CutCharactersAreCarriedToTheNextPiece)
{
    DxfTextRecoder r("ANSI_932");
    std::string out, carry;
    std::vector<size_t> ends;
    const std::string ko = "\xE3\x81\x93"; /* one character, three bytes */
    r.Recode("a" + ko.substr(0, 1), out, &carry, &ends);
    r.Recode(ko.substr(1, 1), out, &carry, &ends);
    r.Recode(ko.substr(2) + "b", out, &carry, &ends);
    EXPECT_EQ(out, "a\x82\xB1"
                   "b");
    EXPECT_TRUE(carry.empty());
    EXPECT_EQ(ends, (std::vector<size_t>{1, 3, 4}));
    EXPECT_EQ(r.foreign, 0);
}

/* ---- the pair reader */

TEST(DxfPairReader, LineEndsBlanksAndMarks)
{
    struct Case {
        const char *name;
        std::string bytes;
        std::string pairs; /* "code=value;" */
        bool ok;
    };
    const Case cases[] = {
        {"LF", "  0\nSECTION\n  2\nHEADER\n", "0=SECTION;2=HEADER;", true},
        {"CR LF", "  0\r\nSECTION\r\n 10\r\n1.5\r\n", "0=SECTION;10=1.5;", true},
        {"CR alone", "0\rSECTION\r9\r$ACADVER\r", "0=SECTION;9=$ACADVER;", true},
        {"byte-order mark", "\xEF\xBB\xBF  0\nEOF\n", "0=EOF;", true},
        {"no end after the last value", "  0\nEOF", "0=EOF;", true},
        {"value blanks kept", "  1\n  text  \n", "1=  text  ;", true},
        {"not a code", "  0\nSECTION\nabc\nx\n", "0=SECTION;", false},
        {"code out of range", "2000\nx\n", "", false},
        {"a code without its value", "  0\nSECTION\n  2\n", "0=SECTION;", false},
    };
    for (const Case &c : cases) {
        VyrTempFile f(".dxf");
        f.Write(c.bytes);
        const int fd = ::open(f.Path().c_str(), O_RDONLY);
        DxfPairReader reader(fd, "x");
        ASSERT_TRUE(reader.Start());
        EXPECT_FALSE(reader.Binary());
        DxfPair p;
        std::string pairs;
        while (reader.Next(p)) pairs += std::to_string(p.code) + "=" + p.value + ";";
        ::close(fd);
        EXPECT_EQ(pairs, c.pairs) << c.name;
        EXPECT_EQ(reader.Error().empty(), c.ok) << c.name << ": " << reader.Error();
    }
}

} // namespace
