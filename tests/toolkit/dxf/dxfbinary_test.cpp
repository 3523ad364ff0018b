/* Binary DXF as another library writes it. tests/data/make_binary.py had
 * python3-ezdxf save drawings both as ASCII and as binary DXF; read pair by
 * pair, both forms must give the same pairs (so every value of the binary
 * form was taken with the width its writer gave it), and loaded, the same
 * database. The XRECORD of the R2000 drawing carries one value of every
 * range of group codes, checked against the values the script wrote. */
#include <cmath>
#include <cstring>

#include "toolkit/dxfhelpers.h"

namespace {

struct Value {
    uint16_t code;
    int kind;
    std::string text; /* strings; hex text of binary chunks */
    double real;
    int32_t integer;
    uint64_t handle;
};

std::string Hex(const char *bytes, int n)
{
    std::string s;
    for (int i = 0; i < n; ++i) {
        char b[3];
        std::snprintf(b, sizeof b, "%02X", static_cast<unsigned char>(bytes[i]));
        s += b;
    }
    return s;
}

std::string Upper(std::string s)
{
    for (char &c : s)
        if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 32);
    return s;
}

class Binary : public ToolkitTest {
protected:
    /* Every pair of a file up to (0, EOF), its value taken by its kind. */
    std::vector<Value> Pairs(const char *name, bool binary)
    {
        AdDrawing *d =
            OpenForReading(Data(name), binary ? AD_FILE_BINARY_DXF : AD_FILE_ASCII_DXF, AD_VERSION_UNKNOWN);
        if (binary) adchoosebinarycodewidth(d);
        std::vector<Value> out;
        while (getdxfpair(d)) {
            Value v{adin->curcode, advaluekind(adin->curcode), adin->curstr, 0.0, 0, 0};
            switch (v.kind) {
            case AD_VK_REAL: v.real = adin->curreal; break;
            case AD_VK_INT16: v.integer = adin->curshort; break;
            case AD_VK_INT32: v.integer = adin->curlong; break;
            case AD_VK_HANDLE: v.handle = HV(adin->curhandle); break;
            case AD_VK_HEX310: v.text = Upper(v.text); break;
            case AD_VK_BIN1004: v.text = binary ? Hex(adin->curstr, adin->curbinlen) : Upper(v.text); break;
            default: break;
            }
            out.push_back(v);
            if (v.code == 0 && v.text == "EOF") break;
        }
        EXPECT_EQ(adError(), 0) << name;
        return out;
    }

    void ExpectSamePairs(const char *ascii, const char *binary)
    {
        std::vector<Value> a = Pairs(ascii, false), b = Pairs(binary, true);
        ASSERT_GT(a.size(), 500u);
        ASSERT_EQ(a.size(), b.size()) << binary;
        for (size_t i = 0; i < a.size(); ++i) {
            ASSERT_EQ(a[i].code, b[i].code) << binary << " pair " << i;
            const Value &x = a[i], &y = b[i];
            switch (x.kind) {
            case AD_VK_REAL: EXPECT_NEAR(x.real, y.real, 1e-12 * (1 + std::fabs(x.real))) << x.code; break;
            case AD_VK_INT16:
            case AD_VK_INT32: EXPECT_EQ(x.integer, y.integer) << x.code; break;
            case AD_VK_HANDLE: EXPECT_EQ(x.handle, y.handle) << x.code; break;
            default: EXPECT_EQ(x.text, y.text) << x.code; break;
            }
        }
    }
};

TEST_F(Binary, SamePairsAsTheAsciiFormOfTheSameDrawing)
{
    ExpectSamePairs("ezdxf-r2000.dxf", "ezdxf-r2000-binary.dxf");
    ExpectSamePairs("ezdxf-r12.dxf", "ezdxf-r12-binary.dxf");
    ExpectSamePairs("ac1015.dxf", "ac1015-binary.dxf");
}

TEST_F(Binary, EveryRangeOfGroupCodes)
{
    std::vector<Value> v = Pairs("ezdxf-r2000-binary.dxf", true);
    size_t at = 0;
    while (at < v.size() && !(v[at].code == 1 && v[at].text == "string")) ++at;
    ASSERT_LT(at + 60, v.size());
    struct Want {
        uint16_t code;
        const char *text;
        double number;
    };
    const Want want[] = {{1, "string", 0},
                         {40, nullptr, 1.25},
                         {60, nullptr, -7},
                         {70, nullptr, 32767},
                         {90, nullptr, -123456},
                         {100, "Subclass", 0},
                         {102, "group", 0},
                         {105, nullptr, 0x1A},
                         {110, nullptr, 1.5},
                         {120, nullptr, 2.5},
                         {130, nullptr, 3.5},
                         {140, nullptr, 4.5},
                         {160, "1234567890123", 0},
                         {170, nullptr, 12},
                         {210, nullptr, 0},
                         {220, nullptr, 0},
                         {230, nullptr, 1},
                         {270, nullptr, 27},
                         {280, nullptr, 200},
                         {281, nullptr, -1},
                         {290, nullptr, 1},
                         {291, nullptr, 0},
                         {300, "text300", 0},
                         {310, "007FFF", 0},
                         {311, "10", 0},
                         {320, nullptr, 0x2B},
                         {330, nullptr, 0x2C},
                         {340, nullptr, 0x2D},
                         {350, nullptr, 0x2E},
                         {360, nullptr, 0x2F},
                         {370, nullptr, -3},
                         {380, nullptr, 1},
                         {390, nullptr, 0x30},
                         {400, nullptr, 40},
                         {410, "text410", 0},
                         {420, nullptr, 0x123456},
                         {430, "text430", 0},
                         {440, nullptr, 7777},
                         {450, nullptr, 8888},
                         {460, nullptr, 46.5},
                         {470, "text470", 0},
                         {480, nullptr, 0x31},
                         {481, nullptr, 0x32},
                         {1000, "xdstring", 0},
                         {1001, "EZTEST", 0},
                         {1003, "0", 0},
                         {1005, nullptr, 0x33},
                         {1010, nullptr, 6.5},
                         {1020, nullptr, 6.6},
                         {1030, nullptr, 6.7},
                         {1040, nullptr, 10.4},
                         {1070, nullptr, 1070},
                         {1071, nullptr, 1071071},
                         {1, "end", 0}};
    for (const Want &w : want) {
        ASSERT_LT(at, v.size());
        const Value &x = v[at++];
        ASSERT_EQ(x.code, w.code);
        if (w.text) {
            EXPECT_EQ(x.text, w.text) << w.code;
        } else if (x.kind == AD_VK_REAL) {
            EXPECT_DOUBLE_EQ(x.real, w.number) << w.code;
        } else if (x.kind == AD_VK_HANDLE) {
            EXPECT_EQ(x.handle, static_cast<uint64_t>(w.number)) << w.code;
        } else {
            EXPECT_EQ(x.integer, static_cast<int32_t>(w.number)) << w.code;
        }
    }
}

/* A drawing that starts with 1-byte group codes is read with them whatever
 * its version says (writers gave AC1012 files either width). */
TEST_F(Binary, GroupCodeWidthFromTheFirstPair)
{
    std::string s = std::string("AutoCAD Binary DXF\r\n\x1a", 21) + '\0';
    auto pair1 = [&s](unsigned char code, const std::string &text) {
        s += static_cast<char>(code);
        s += text;
        s += '\0';
    };
    pair1(0, "SECTION");
    pair1(2, "ENTITIES");
    pair1(0, "ENDSEC");
    pair1(0, "EOF");
    AdDrawing *d = OpenBytes(s, AD_FILE_BINARY_DXF, AD_ACAD13);
    adchoosebinarycodewidth(d);
    int n = 0;
    while (getdxfpair(d)) ++n;
    EXPECT_EQ(n, 4);
    EXPECT_STREQ(adin->curstr, "EOF");
}

struct Counts {
    long classes, layers, ltypes, blkhs, mspace, objects;
    int noplot; /* plot flag of layer NoPlot */
    std::vector<int16_t> types;
};

class BinaryLoad : public ToolkitTest {
protected:
    Counts Load(const char *name)
    {
        Counts c{};
        AdDrawing *d = adLoadFile(Data(name).c_str(), 1, 0);
        EXPECT_NE(d, nullptr) << name << ": " << adErrorStr(adError());
        if (!d) return c;
        c.classes = adNumClasses(d);
        c.layers = adNumLayers(d);
        c.ltypes = adNumLinetypes(d);
        c.blkhs = adNumBlockheaders(d);
        c.objects = adNumObjects(d);
        c.mspace = adNumEntities(adModelSpaceEntityList(d));
        for (const Ent &e : Entities(adModelSpaceEntityList(d))) c.types.push_back(e.h.enttype);
        AdObjhandle h;
        AdTableRecord r;
        c.noplot = -1;
        if (adFindLayerByName(d, "NoPlot", h) && adSeekLayer(d, h, &r.layer)) c.noplot = r.layer.plotflag;
        for (const std::string &name : classnames(Data(name)))
            EXPECT_NE(adClassnumOfName(d, name.c_str()), 0) << name;
        adCloseFile(d);
        return c;
    }
    /* The DXF record names of the CLASS records of an ASCII file. */
    static std::vector<std::string> classnames(const std::string &path)
    {
        std::vector<std::string> out;
        if (path.find("binary") != std::string::npos) return out;
        std::string text = VyrReadFile(path);
        for (size_t at = text.find("\nCLASS\n"); at != std::string::npos;
             at = text.find("\nCLASS\n", at + 1)) {
            size_t v = text.find("\n  1\n", at);
            if (v == std::string::npos) break;
            v += 5;
            out.push_back(text.substr(v, text.find('\n', v) - v));
        }
        return out;
    }
};

TEST_F(BinaryLoad, LoadsAsTheAsciiForm)
{
    Counts a = Load("ezdxf-r2000.dxf"), b = Load("ezdxf-r2000-binary.dxf");
    EXPECT_EQ(classnames(Data("ezdxf-r2000.dxf")).size(), 15u);
    EXPECT_EQ(b.classes, a.classes);
    EXPECT_EQ(b.layers, a.layers);
    EXPECT_EQ(b.ltypes, a.ltypes);
    EXPECT_EQ(b.blkhs, a.blkhs);
    EXPECT_EQ(b.objects, a.objects);
    EXPECT_EQ(b.types, a.types);
    EXPECT_EQ(a.noplot, 0);
    EXPECT_EQ(b.noplot, 0);
    EXPECT_GE(a.mspace, 18);
    Counts r12a = Load("ezdxf-r12.dxf"), r12b = Load("ezdxf-r12-binary.dxf");
    EXPECT_EQ(r12b.types, r12a.types);
    EXPECT_EQ(r12b.layers, r12a.layers);
    EXPECT_GE(r12a.mspace, 6);
}

} // namespace
