/* Message tables of every module: counts, full names, texts and classes. */
#include "../kernel_fixture.h"

#include <cstdlib>
#include <string>

#include "dnfp/dnfp_msg.h"
#include "kernel/ddf/ddf_msg.h"
#include "kernel/dgdx/dgdx_msg.h"
#include "kernel/dmap/dmap_msg.h"
#include "kernel/dnff/dnff_msg.h"
#include "kernel/dof/dof_msg.h"
#include "kernel/dxfi/dxfi_msg.h"
#include "kernel/mda/mda_msg.h"
#include "kernel/pdx/pdx_msg.h"

namespace {

class TablesTest : public vyrtest::KernelTest {
protected:
    std::string text(int code)
    {
        char *t = nullptr;
        mpm_GetMessage(MPM_OPT_RAW, code, &t);
        std::string s = t ? t : "";
        free(t);
        return s;
    }
};

TEST_F(TablesTest, EveryModuleHasItsMessageCount)
{
    const struct {
        int module;
        const char *name;
        int count;
    } expect[] = {{0, "PDX", 14},    {1, "MPM", 13},  {2, "OLM", 5},     {3, "OTM", 9},     {4, "OSM", 3},
                  {5, "OQM", 3},     {6, "EAM", 3},   {8, "DDF", 9},     {9, "MDA", 44},    {10, "UGN", 19},
                  {11, "MTH", 13},   {12, "EVM", 3},  {13, "FMT", 22},   {16, "HDB", 1},    {17, "CFG", 64},
                  {18, "DOF", 10},   {19, "MAP", 38}, {100, "DXFI", 11}, {105, "DNFP", 18}, {106, "DNFF", 21},
                  {107, "DGDX", 19}, {108, "DMAP", 7}};
    int registered = 0;
    for (const PdxModule &m : pdx__Table) registered += m.count > 0;
    EXPECT_EQ(registered, (int)(sizeof expect / sizeof expect[0]));
    for (const auto &e : expect) {
        const PdxModule &m = pdx__Table[e.module];
        EXPECT_EQ(m.number, e.module);
        EXPECT_STREQ(m.name, e.name);
        EXPECT_EQ(m.count, e.count) << e.name;
        for (int n = 1; n <= m.count; ++n) {
            const char *t = m.texts[m.messages[n - 1].text_index];
            ASSERT_TRUE(t[0] == ' ' || t[0] == '+') << e.name << " " << n;
        }
    }
}

TEST_F(TablesTest, FullNames)
{
    EXPECT_STREQ(mpm_GetMsgName(0x90002), "MDA_INVALID_PTR");
    EXPECT_STREQ(mpm_GetMsgName(MDA_INVALID_PTR), "MDA_INVALID_PTR");
    EXPECT_STREQ(mpm_GetMsgName(0x90002), "MDA_INVALID_PTR"); /* cached */
    EXPECT_STREQ(mpm_GetMsgName(0), "NOERR");
    EXPECT_STREQ(mpm_GetMsgName(0x90000), "UNKNOWN");  /* n = 0 */
    EXPECT_STREQ(mpm_GetMsgName(0x9002D), "UNKNOWN");  /* past the last */
    EXPECT_STREQ(mpm_GetMsgName(0x140001), "UNKNOWN"); /* module 20 unused */
    EXPECT_STREQ(mpm_GetMsgName(0x9FFFE), "UNKNOWN");  /* soft result */
    EXPECT_STREQ(mpm_GetMsgName(-1), "UNKNOWN");
    EXPECT_STREQ(mpm_GetMsgName(0x10006), "MPM__STARS");
    EXPECT_STREQ(mpm_GetMsgName(0x110030), "CFG__ARRAY_ERROR");
    EXPECT_STREQ(mpm_GetMsgName(0x110040), "CFG__UNKNOWN_TYPE");
    EXPECT_STREQ(mpm_GetMsgName(0x130026), "MAP_CNDTL_NEST_TOO_DEEP");
    EXPECT_STREQ(mpm_GetMsgName(0x64000B), "DXFI_KESTRANE_ERR");
    EXPECT_STREQ(mpm_GetMsgName(0x69000F), "DNFP_INCOMPLETE_DATA");
    EXPECT_STREQ(mpm_GetMsgName(0x6A0015), "DNFF_HEADER_RESOLUTION");
    EXPECT_STREQ(mpm_GetMsgName(0x6B0013), "DGDX_INVALID_POLYCURVE");
    EXPECT_STREQ(mpm_GetMsgName(0x6C0007), "DMAP_INTERNAL_ERR");
    EXPECT_STREQ(mpm_GetMsgName(0xB000D), "MTH_DEGENERATE_LINE");
    EXPECT_STREQ(mpm_GetMsgName(0xC0003), "EVM_CHECK_NOT_FOUND");
    EXPECT_STREQ(mpm_GetMsgName(0x100001), "HDB__DUMMY");
    EXPECT_STREQ(mpm_GetMsgName(0x40003), "OSM_NOOBJECTS");
    EXPECT_STREQ(mpm_GetMsgName(0x50001), "OQM_NOMEMORY");
    EXPECT_STREQ(mpm_GetMsgName(0x60003), "EAM_INVALIDSIZE");
    EXPECT_STREQ(mpm_GetMsgName(0xD0016), "FMT_MDA_ORIG");
    EXPECT_STREQ(mpm_GetMsgName(0x12000A), "DOF_BAD_SLOT");
    EXPECT_STREQ(mpm_GetMsgName(0x80009), "DDF_NOT_UNION_TYPE");
    EXPECT_STREQ(mpm_GetMsgName(0xA0011), "UGN_BAD_FLOAT");
    EXPECT_STREQ(mpm_GetMsgName(0xD), "PDX_UNKNOWN_FILETYPE");
}

TEST_F(TablesTest, CodesMatchTheirNumbers)
{
    EXPECT_EQ(PDX_UNKNOWN_FILETYPE, 0xD);
    EXPECT_EQ(MPM__NOERR, 0x1000D);
    EXPECT_EQ(MDA_ENTITY_NOT_DELETED, 0x9002C);
    EXPECT_EQ(MDA_CROSS_MODEL_PTR, 0x90024);
    EXPECT_EQ(DDF_NOT_UNION_TYPE, 0x80009);
    EXPECT_EQ(DOF_BAD_SLOT, 0x12000A);
    EXPECT_EQ(MAP_TREE_ERR, 0x13000E);
    EXPECT_EQ(DXFI_KESTRANE_ERR, 0x64000B);
    EXPECT_EQ(DNFP_ATTRIBUTE_FOUND, 0x69000A);
    EXPECT_EQ(FMT_PTR2, 0xD000C);
    EXPECT_EQ(UGN_BAD_FLOAT, 0xA0011);
}

TEST_F(TablesTest, TextsAndClasses)
{
    EXPECT_EQ(text(0x90002), "Invalid database pointer.\n");
    EXPECT_EQ(text(MDA_ENTITY_NOT_DELETED), "Target entity of repalce db_ptr has not been deleted.\n");
    EXPECT_EQ(text(MDA_INCORRECT_DBNAME), "Incorrect database name found in saved model file %s.  Expected "
                                          "\"%s\" but found \"%s\".  Parsing aborted.\n");
    EXPECT_EQ(text(DNFP_INITIALIZE_ERROR), "Error initializing the dnfp subsystem:\n%s\n");
    EXPECT_EQ(text(FMT_ENTITYCOUNT), " %-69s   %5d\n");
    EXPECT_EQ(text(DXFI_NULL_MEMPTR), "unexpected NULL memory pointer.\n");
    EXPECT_EQ(text(0x7FFF0001), "..... INVALID MESSAGE .....\n");

    auto cls = [](int code) { return pdx__FindMessage(code, nullptr)->exc_class; };
    EXPECT_EQ(cls(OLM_NOMEMORY), PDX_CLASS_MEMORY);
    EXPECT_EQ(cls(MDA_REALLOC_ERR), PDX_CLASS_MEMORY);
    EXPECT_EQ(cls(DOF_SEEK_ERR), PDX_CLASS_FILEIO);
    EXPECT_EQ(cls(DOF_BAD_SIZE), PDX_CLASS_NONE);
    EXPECT_EQ(cls(DDF_MALLOC_ERR), PDX_CLASS_NONE);
    EXPECT_EQ(cls(DXFI_MALLOC_ERROR), PDX_CLASS_MEMORY);

    auto marker = [](int code) {
        const PdxModule *m;
        const PdxMessage *msg = pdx__FindMessage(code, &m);
        return m->texts[msg->text_index][0];
    };
    EXPECT_EQ(marker(MDA_CROSS_MODEL_PTR), '+');
    EXPECT_EQ(marker(MDA_BAD_MBLOCK), ' ');
    EXPECT_EQ(marker(FMT_TEST), '+');
    EXPECT_EQ(marker(FMT_IGES_ORIG), '+');
    EXPECT_EQ(marker(FMT_DXFI_ORIG), ' ');
}

} // namespace
