/* Test helpers for temporary files and directories (see the header). */
#include "VyrTempFile.h"

#include <gtest/gtest.h>

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace {

std::string TempBase()
{
    const char *dir = std::getenv("TMPDIR");
    return dir && *dir ? dir : "/tmp";
}

int RemoveOne(const char *path, const struct stat *, int, struct FTW *)
{
    return std::remove(path) == 0 ? 0 : -1;
}

} // namespace

bool VyrFileExists(const std::string &path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

std::string VyrReadFile(const std::string &path)
{
    std::string data;
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) return data;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.append(buf, n);
    std::fclose(f);
    return data;
}

VyrTempFile::VyrTempFile(const char *suffix)
{
    static std::atomic<int> counter{0};
    path_ = TempBase() + "/vyr-test-" + std::to_string(static_cast<long>(getpid())) + "-" +
            std::to_string(counter++) + (suffix ? suffix : "");
}

VyrTempFile::~VyrTempFile() { std::remove(path_.c_str()); }

bool VyrTempFile::Write(const std::string &bytes) const
{
    FILE *f = std::fopen(path_.c_str(), "wb");
    bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f && std::fclose(f) != 0) ok = false;
    EXPECT_TRUE(ok) << "cannot write " << path_;
    return ok;
}

std::vector<uint8_t> VyrTempFile::Read() const
{
    const std::string bytes = VyrReadFile(path_);
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

VyrTempDir::VyrTempDir(const char *tag)
{
    std::string name = TempBase() + "/" + (tag ? tag : "vyr") + "_XXXXXX";
    if (::mkdtemp(&name[0]))
        path_ = name;
    else
        ADD_FAILURE() << "cannot make a directory like " << name;
}

bool VyrTempDir::Remove()
{
    if (path_.empty()) return true;
    const bool ok = ::nftw(path_.c_str(), RemoveOne, 16, FTW_DEPTH | FTW_PHYS) == 0;
    path_.clear();
    return ok;
}
