/* Toolkit start-up and shutdown, settings, the error table and the init data.
 */
#include <algorithm>
#include <cstring>

#include "toolkit/fixture.h"

extern "C" int vyr_toolkit_header_is_c(void);

namespace {

TEST(ToolkitState, StartsAndStops)
{
    EXPECT_EQ(adin, nullptr);
    int16_t err = -1;
    ASSERT_TRUE(adInitAd2(nullptr, &err));
    EXPECT_EQ(err, 0);
    ASSERT_NE(adin, nullptr);
    EXPECT_EQ(adError(), 0);
    EXPECT_TRUE(adin->loading);
    EXPECT_TRUE(adin->filtergiven);
    EXPECT_EQ(adin->convertplines, 1);
    EXPECT_EQ(adin->adda2kextras, 1);
    EXPECT_EQ(adin->maxprer15namelength, 26);
    EXPECT_DOUBLE_EQ(adin->pfbscale, 0.5);
    EXPECT_STREQ(adin->maccreator, "dosa");
    EXPECT_STREQ(adin->macfiletype, "TEXT");
    EXPECT_DOUBLE_EQ(adin->epsilon, 5.0e-7);
    EXPECT_DOUBLE_EQ(adin->big, 1.0e6);
    EXPECT_EQ(adin->examineshapefile, adDefaultExamineFile);
    EXPECT_TRUE(adObjhandleIsNull(adin->nullhandle));
    EXPECT_EQ(adin->handle1a[7], 1);
    adCloseAd2();
    EXPECT_EQ(adin, nullptr);
    adCloseAd2(); /* stopping a stopped toolkit does nothing */
    EXPECT_GT(vyr_toolkit_header_is_c(), 0);
}

TEST(ToolkitState, InitDataLayout)
{
    size_t size = 0;
    const unsigned char *d = adBuiltinInitData(&size);
    const unsigned char *zero = static_cast<const unsigned char *>(std::memchr(d, 0, size));
    ASSERT_NE(zero, nullptr);
    EXPECT_EQ(zero[-1], 'H');
    size_t header = static_cast<size_t>(zero - d) + 1;
    /* the fixed layout, its extension, then the code-page tables */
    const size_t fixed = header + 38 * 4 + 100 * 6 + 4998 + 103 * 6 + 4832;
    ASSERT_GT(size, fixed + 6);
    EXPECT_EQ(std::memcmp(d + fixed, "XCP1", 4), 0);

    int16_t err;
    ASSERT_TRUE(adInitAd2(nullptr, &err));
    for (uint32_t off : adin->codepageoffset) {
        EXPECT_GT(off, fixed);
        EXPECT_LE(off + 258, size);
    }
    /* shape 0 of each font names it; the lengths cover the blocks exactly */
    EXPECT_EQ(adin->font1index[0].number, 0);
    EXPECT_STREQ(reinterpret_cast<const char *>(adin->font1data), "SIMPLEX");
    EXPECT_STREQ(reinterpret_cast<const char *>(adin->font2data), "GDT");
    uint64_t sum = 0;
    for (const AdInitEntry &e : adin->font2index) sum += e.value;
    EXPECT_EQ(sum, 4832u);
    EXPECT_EQ(adin->font2index[102].number, 33 + 101);
    adCloseAd2();
}

/* Client callbacks serving a byte vector, as the mapping layer does. */
std::vector<unsigned char> g_data;
long g_pos = -1;
int OpenData(const char *)
{
    g_pos = 0;
    return 1;
}
int ReadChar() { return g_pos >= 0 && g_pos < static_cast<long>(g_data.size()) ? g_data[g_pos++] : -1; }
int ReadChars(void *buf, size_t size, size_t count)
{
    for (size_t i = 0; i < size * count; ++i) {
        int c = ReadChar();
        if (c < 0) return 0;
        static_cast<unsigned char *>(buf)[i] = static_cast<unsigned char>(c);
    }
    return 1;
}
int SeekData(long off, int whence)
{
    long target = whence == 0 ? off : whence == 1 ? g_pos + off : static_cast<long>(g_data.size()) + off;
    if (target < 0 || target >= static_cast<long>(g_data.size())) return -1;
    g_pos = target;
    return 0;
}
int CloseData()
{
    g_pos = -1;
    return 1;
}
int FailOpen(const char *) { return 0; }

TEST(ToolkitState, InitDataFromFileAndErrors)
{
    size_t size;
    const unsigned char *d = adBuiltinInitData(&size);
    const char *bytes = reinterpret_cast<const char *>(d);
    VyrTempFile init("");
    const char *name = init.Path().c_str();
    ASSERT_TRUE(init.Write(std::string(bytes, size)));
    int16_t err = -1;
    EXPECT_TRUE(adInitAd2(name, &err));
    EXPECT_EQ(err, 0);
    EXPECT_STREQ(adin->initfilename, name);
    adCloseAd2();

    /* a banner that does not end in 'H' */
    std::vector<unsigned char> bad(d, d + size);
    const size_t banner = static_cast<size_t>(std::find(bad.begin(), bad.end(), 0) - bad.begin());
    ASSERT_TRUE(banner > 0 && banner < bad.size());
    bad[banner - 1] = 'X';
    ASSERT_TRUE(init.Write(std::string(bad.begin(), bad.end())));
    EXPECT_FALSE(adInitAd2(name, &err));
    EXPECT_EQ(err, 183);
    EXPECT_EQ(adin, nullptr);

    /* truncated init data */
    ASSERT_TRUE(init.Write(std::string(bytes, 100)));
    EXPECT_FALSE(adInitAd2(name, &err));
    EXPECT_EQ(err, 183);

    EXPECT_FALSE(adInitAd2("/nonexistent/vyr/init", &err));
    EXPECT_EQ(err, 182);
    EXPECT_EQ(adin, nullptr);
}

TEST(ToolkitState, ErrorTable)
{
    EXPECT_STREQ(adErrorStr(0), "No error");
    EXPECT_STREQ(adErrorStr(1), "");
    EXPECT_STREQ(adErrorStr(3), "Can't open file");
    EXPECT_STREQ(adErrorStr(49), "Error loading ucses");
    EXPECT_STREQ(adErrorStr(156), "Invalid DXF version");
    EXPECT_STREQ(adErrorStr(214), "");
    EXPECT_STREQ(adErrorStr(231), "Attempt to add NULL objhandle");
    EXPECT_STREQ(adErrorStr(299), "DXF line contains non-numbers");
    EXPECT_STREQ(adErrorStr(308), "Attempt to add block with duplicate name");
    EXPECT_STREQ(adErrorStr(309), "Error number out of range");
    EXPECT_STREQ(adErrorStr(-1), "Error number out of range");
    EXPECT_EQ(adError(), 0); /* no toolkit: no error */
}

class ToolkitSettings : public ToolkitTest {};

/* The settings that bound what they are given: other setters are checked
 * by what they do to a load (dxfquirks_test, load_test). */
TEST_F(ToolkitSettings, SettersClampWhatTheyAreGiven)
{
    adSetMaxPreR15NameLength(40);
    EXPECT_EQ(adin->maxprer15namelength, 31);
    adSetMaxPreR15NameLength(12);
    EXPECT_EQ(adin->maxprer15namelength, 12);
    adSetMacCreatorAndFiletype("abcdefg", "XY");
    EXPECT_STREQ(adin->maccreator, "abcd");
    EXPECT_STREQ(adin->macfiletype, "XY");
    adin->error = 55;
    EXPECT_TRUE(adErrorClear());
    EXPECT_EQ(adError(), 0);
    EXPECT_NE(std::strlen(adAdVersion()), 0u);
}

int g_critical = 0;
void Critical(int code) { g_critical = code; }

TEST(ToolkitState, CriticalErrorCallbackIsCopiedAtStartUp)
{
    adSetAd2CriticalErrorFn(Critical);
    int16_t err;
    ASSERT_TRUE(adInitAd2(nullptr, &err));
    EXPECT_EQ(adin->criticalerror, Critical);
    adcriticalerror(6);
    EXPECT_EQ(g_critical, 6);
    adCloseAd2();
    adSetAd2CriticalErrorFn(nullptr);
}

TEST(ToolkitState, ClientInitCallbacks)
{
    size_t size;
    const unsigned char *d = adBuiltinInitData(&size);
    g_data.assign(d, d + size);
    /* the mapping layer registers its callbacks before start-up */
    adSetAd2OpenInitFileFn(OpenData);
    adSetAd2ReadInitFileCharFn(ReadChar);
    adSetAd2ReadInitFileCharsFn(ReadChars);
    adSetAd2SeekInitFileFn(SeekData);
    adSetAd2CloseInitFileFn(CloseData);
    int16_t err;
    ASSERT_TRUE(adInitAd2(nullptr, &err));
    EXPECT_EQ(adin->openinit, OpenData);
    EXPECT_EQ(g_pos, -1); /* closed again */
    EXPECT_STREQ(reinterpret_cast<const char *>(adin->font2data), "GDT");
    adCloseAd2();

    g_data[20] = 0; /* an early zero byte: the banner then ends in another letter */
    EXPECT_FALSE(adInitAd2(nullptr, &err));
    EXPECT_EQ(err, 183);
    adSetAd2OpenInitFileFn(FailOpen);
    EXPECT_FALSE(adInitAd2(nullptr, &err));
    EXPECT_EQ(err, 182);
    adSetAd2OpenInitFileFn(nullptr);
    adSetAd2ReadInitFileCharFn(nullptr);
    adSetAd2ReadInitFileCharsFn(nullptr);
    adSetAd2SeekInitFileFn(nullptr);
    adSetAd2CloseInitFileFn(nullptr);
    ASSERT_TRUE(adInitAd2(nullptr, &err));
    adCloseAd2();
}

} // namespace
