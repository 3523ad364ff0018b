/* Shared helpers of the toolkit tests: a started toolkit per test, temporary
 * files that are removed at the end, and a drawing opened for the reader. */
#ifndef VYR_TESTS_TOOLKIT_FIXTURE_H
#define VYR_TESTS_TOOLKIT_FIXTURE_H

#include <gtest/gtest.h>

#include <list>
#include <string>
#include <vector>

#include "support/HandleBytes.h"
#include "support/VyrTempFile.h"
#include "toolkit/dxf/dxf_int.h"

class ToolkitTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        int16_t err = -1;
        ASSERT_TRUE(adInitAd2(nullptr, &err));
        ASSERT_EQ(err, 0);
        adSetupDxfRead();
        adSetupDwgRead();
    }
    void TearDown() override
    {
        for (AdDrawing *d : drawings_) adCloseFile(d);
        adCloseAd2();
        files_.clear();
    }

    /* Writes bytes to a new temporary file and returns its path. */
    std::string TempFile(const std::string &bytes)
    {
        files_.emplace_back("");
        files_.back().Write(bytes);
        return files_.back().Path();
    }

    /* A drawing whose stream reads the file, as the scan pass sets it up. */
    AdDrawing *OpenForReading(const std::string &path, int filetype, int version)
    {
        AdDrawing *d = adEmptyFile();
        EXPECT_NE(d, nullptr);
        d->stream = ztior_open(path.c_str());
        EXPECT_NE(d->stream, nullptr);
        d->filetype = static_cast<int16_t>(filetype);
        d->version = static_cast<int16_t>(version);
        drawings_.push_back(d);
        return d;
    }

    AdDrawing *OpenBytes(const std::string &bytes, int filetype = AD_FILE_ASCII_DXF,
                         int version = AD_ACAD2000)
    {
        return OpenForReading(TempFile(bytes), filetype, version);
    }

private:
    std::list<VyrTempFile> files_;
    std::vector<AdDrawing *> drawings_;
};

#endif
