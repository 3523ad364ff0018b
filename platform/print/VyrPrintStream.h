/* The output stream of the print framework: a file that receives the
 * picture, with the kind of output ("CGM") and the driver datum that says
 * which variant to write (the CGM generator reads the metafile version from
 * it, see VyrPrintCGMGenerator.h). The file name arrives as Unicode text
 * whose characters are the bytes of the path (ISO 8859-1 reading). */
#ifndef VYR_PLATFORM_PRINT_VYRPRINTSTREAM_H
#define VYR_PLATFORM_PRINT_VYRPRINTSTREAM_H

#include "vyr_export.h"
#include "platform/base/VyrUnicodeString.h"

#include <cstddef>
#include <fstream>
#include <string>

class VYR_EXPORT VyrPrintStream {
public:
    VyrPrintStream(const VyrUnicodeString &file, const char *type, const char *datum);
    virtual ~VyrPrintStream();
    VyrPrintStream(const VyrPrintStream &) = delete;
    VyrPrintStream &operator=(const VyrPrintStream &) = delete;

    /* Creates (or truncates) the file for binary writing. Returns 0, or -1
     * when it cannot be opened (the wrapped stream is then not good). */
    virtual int OpenWrite();
    /* Flushes and closes; harmless when not open. */
    virtual void Close();
    /* True once opening, writing, flushing or closing failed; the picture
     * in the file is then incomplete. FailureErrno is the system's error
     * number seen at the first failure (0 when none was known). */
    bool HasFailed() const { return failed_; }
    int FailureErrno() const { return failureErrno_; }

    /* The wrapped output stream. */
    std::ofstream &GetOutputStream() { return out_; }
    /* Open and without error. */
    bool IsGood() const { return out_.is_open() && out_.good(); }
    /* Appends bytes; returns 0, or -1 when the stream is not good after it. */
    int Write(const void *data, size_t size);
    /* Hands the buffered bytes to the system; 0, or -1 on failure. */
    int Flush();

    const std::string &GetPath() const { return path_; }
    const std::string &GetType() const { return type_; }
    const std::string &GetDatum() const { return datum_; }

private:
    std::string path_;
    std::string type_;
    std::string datum_;
    std::ofstream out_;
    bool failed_ = false;
    int failureErrno_ = 0;

    void NoteFailure(int error);
};

#endif
