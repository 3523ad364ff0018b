/* Test helper: generator output captured and decoded (see the header). */
#include "CgmCapture.h"

#include "platform/base/VyrUnicodeString.h"

#include <gtest/gtest.h>

CgmCapture::CgmCapture(VyrCgmProfile profile, const char *datum)
    : stream_(new VyrPrintStream(VyrUnicodeString(file_.Path().c_str()), "CGM", datum)),
      g_(VyrPrintCGMGenerator::sCreate())
{
    g_->SetProfile(profile);
    g_->SetStream(stream_.get());
    EXPECT_EQ(stream_->OpenWrite(), 0);
}

CgmCapture::~CgmCapture()
{
    if (g_) g_->Release();
}

const CgmDecoder &CgmCapture::Finish()
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
    for (const CgmElement &e : decoder_.Elements()) names.push_back(e.name);
    return names;
}
