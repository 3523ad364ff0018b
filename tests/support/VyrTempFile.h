/* Test helpers for files: the whole contents of a file, whether one
 * exists, and temporary files
 * and directories under $TMPDIR (or /tmp): a file name unique in the
 * process, whose file is removed with the object, and a private directory
 * removed with everything in it. Failures to create or write them are
 * reported as test failures. */
#ifndef VYR_TESTS_SUPPORT_VYRTEMPFILE_H
#define VYR_TESTS_SUPPORT_VYRTEMPFILE_H

#include <cstdint>
#include <string>
#include <vector>

/* The bytes of a file; empty when it cannot be read. */
std::string VyrReadFile(const std::string &path);

/* Whether a file (of any kind, a directory too) of that name exists. */
bool VyrFileExists(const std::string &path);

/* A temporary file name; the file, if one was made, is removed with it. */
class VyrTempFile {
public:
    explicit VyrTempFile(const char *suffix = ".cgm");
    ~VyrTempFile();
    VyrTempFile(const VyrTempFile &) = delete;
    VyrTempFile &operator=(const VyrTempFile &) = delete;

    const std::string &Path() const { return path_; }
    /* Replaces the file's contents with `bytes`; false (and a test failure)
     * when that fails. */
    bool Write(const std::string &bytes) const;
    std::vector<uint8_t> Read() const;

private:
    std::string path_;
};

/* A new private directory (mode 0700); it and everything below it are
 * removed with the object, or earlier by Remove. */
class VyrTempDir {
public:
    explicit VyrTempDir(const char *tag = "vyr");
    ~VyrTempDir() { Remove(); }
    VyrTempDir(const VyrTempDir &) = delete;
    VyrTempDir &operator=(const VyrTempDir &) = delete;

    /* Empty when the directory could not be made. */
    const std::string &Path() const { return path_; }
    /* Removes the directory with its contents: true when nothing is left. */
    bool Remove();

private:
    std::string path_;
};

#endif
