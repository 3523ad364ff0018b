/* Test helper: generator output captured and decoded (see the header). */
#include "CgmCapture.h"

#include "platform/base/VyrUnicodeString.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

VyrTempFile::VyrTempFile(const char* suffix)
{
    static std::atomic<int> counter{0};
    const char* dir = std::getenv("TMPDIR");
    path_ = std::string(dir && *dir ? dir : "/tmp") + "/vyr-test-" +
            std::to_string(static_cast<long>(getpid())) + "-" + std::to_string(counter++) +
            (suffix ? suffix : "");
}

VyrTempFile::~VyrTempFile()
{
    std::remove(path_.c_str());
}

std::vector<uint8_t> VyrTempFile::Read() const
{
    std::vector<uint8_t> data;
    FILE* f = std::fopen(path_.c_str(), "rb");
    if (!f)
        return data;
    unsigned char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        data.insert(data.end(), buf, buf + n);
    std::fclose(f);
    return data;
}

CgmCapture::CgmCapture(VyrCgmProfile profile, const char* datum)
    : stream_(new VyrPrintStream(VyrUnicodeString(file_.Path().c_str()), "CGM", datum)),
      g_(VyrPrintCGMGenerator::sCreate())
{
    g_->SetProfile(profile);
    g_->SetStream(stream_.get());
    EXPECT_EQ(stream_->OpenWrite(), 0);
}

CgmCapture::~CgmCapture()
{
    if (g_)
        g_->Release();
}

const CgmDecoder& CgmCapture::Finish()
{
    if (g_) {
        g_->Release();
        g_ = nullptr;
    }
    stream_->Close();
    bytes_ = file_.Read();
    EXPECT_TRUE(decoder_.Decode(bytes_.data(), bytes_.size())) << decoder_.Error();
    return decoder_;
}

std::vector<std::string> CgmCapture::Names() const
{
    std::vector<std::string> names;
    for (const CgmElement& e : decoder_.Elements())
        names.push_back(e.name);
    return names;
}
