/* Test fixture of the model database tests: starts the kernel modules the
 * database needs, in the kernel's start-up order, and stops them again, and
 * offers a DXF model allocated with the defaults. */
#ifndef VYR_TESTS_KERNEL_MDA_FIXTURE_H
#define VYR_TESTS_KERNEL_MDA_FIXTURE_H

#include <gtest/gtest.h>

#include "kernel/ddf/ddf.h"
#include "kernel/ddf/dxfi_records.h"
#include "kernel/mda/mda.h"
#include "kernel/mda/mda_int.h"
#include "support/ModelDatabaseModules.h"

class MdaTest : public ::testing::Test {
protected:
    void SetUp() override { vyrtest::StartModelDatabaseModules(); }
    void TearDown() override { vyrtest::StopModelDatabaseModules(); }
    /* A model of the DXF definition; options as for mda_AllocateModel. */
    int32_t NewModel(int32_t options = 0, bool backptrs = false)
    {
        MdaModelInfo info;
        mda_GetModelDefaults(0, &info);
        info.ddf = ddf_DxfiDefinition();
        info.backptrs = backptrs ? 1 : 0;
        int32_t model = 0;
        EXPECT_EQ(mda_AllocateModel(options, &info, &model), 0);
        return model;
    }
    /* A dxf_line with the given start x, left unlocked. */
    db_ptr NewLine(int32_t model, double x)
    {
        void *mem = nullptr;
        db_ptr p = 0;
        EXPECT_EQ(mda_AllocateEntity2(0, model, DXFI_TF_dxf_line, &mem, &p), 0);
        static_cast<dxf_line *>(mem)->xyzstr[0] = x;
        EXPECT_EQ(mda_UnlockEntity(0, p), 0);
        return p;
    }
    static MdaDirEntry *Entry(db_ptr p) { return mda__Lookup(p, nullptr); }
    static uint32_t Locks(db_ptr p) { return (Entry(p)->status & MDA_ST_LOCKS) >> MDA_ST_LOCK_SHIFT; }
};

#endif
