/* Shared helpers of the toolkit tests: a started toolkit per test, temporary
 * files that are removed at the end, and a drawing opened for the reader. */
#ifndef VYR_TESTS_TOOLKIT_FIXTURE_H
#define VYR_TESTS_TOOLKIT_FIXTURE_H

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "toolkit/ad/ad_int.h"

class ToolkitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    int16_t err = -1;
    ASSERT_TRUE(adInitAd2(nullptr, &err));
    ASSERT_EQ(err, 0);
    adSetupDxfRead();
    adSetupDwgRead();
  }
  void TearDown() override {
    for (AdDrawing* d : drawings_) adCloseFile(d);
    adCloseAd2();
    for (const std::string& p : files_) std::remove(p.c_str());
  }

  /* Writes bytes to a new temporary file and returns its path. */
  std::string TempFile(const std::string& bytes) {
    char name[] = "/tmp/vyr_toolkit_XXXXXX";
    int fd = mkstemp(name);
    EXPECT_GE(fd, 0);
    size_t done = 0;
    while (done < bytes.size()) {
      ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    close(fd);
    files_.push_back(name);
    return name;
  }

  /* A drawing whose stream reads the file, as the scan pass sets it up. */
  AdDrawing* OpenForReading(const std::string& path, int filetype, int version) {
    AdDrawing* d = adEmptyFile();
    EXPECT_NE(d, nullptr);
    d->stream = ztior_open(path.c_str());
    EXPECT_NE(d->stream, nullptr);
    d->filetype = static_cast<int16_t>(filetype);
    d->version = static_cast<int16_t>(version);
    drawings_.push_back(d);
    return d;
  }

  AdDrawing* OpenBytes(const std::string& bytes, int filetype = AD_FILE_ASCII_DXF,
                       int version = AD_ACAD2000) {
    return OpenForReading(TempFile(bytes), filetype, version);
  }

 private:
  std::vector<std::string> files_;
  std::vector<AdDrawing*> drawings_;
};

#endif
