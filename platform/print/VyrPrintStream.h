/* The output stream of the print framework: a file that receives the
 * picture, with the kind of output ("CGM") and the driver datum that says
 * which variant to write (the CGM generator reads the metafile version from
 * it, see VyrPrintCGMGenerator.h). The file name arrives as Unicode text
 * whose characters are the bytes of the path (ISO 8859-1 reading).
 *
 * Whole buffers can be handed over (Hand): a background thread writes them
 * while the caller fills the next one. Every other call first waits until
 * the bytes handed over are written, so the file and the stream's state are
 * only ever touched by one thread at a time. */
#ifndef VYR_PLATFORM_PRINT_VYRPRINTSTREAM_H
#define VYR_PLATFORM_PRINT_VYRPRINTSTREAM_H

#include "vyr_export.h"
#include "platform/base/VyrUnicodeString.h"

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

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
    bool HasFailed() const;
    int FailureErrno() const;

    /* The wrapped output stream. */
    std::ofstream &GetOutputStream();
    /* Open and without error. */
    bool IsGood() const;
    /* Appends bytes; returns 0, or -1 when the stream is not good after it. */
    int Write(const void *data, size_t size);
    /* Takes the bytes of `buffer` for writing and gives back an empty buffer
     * (with the capacity of one handed over before): the bytes go to the
     * file in the background. Returns 0, or -1 when the stream is not good
     * (an earlier write failed; nothing more is written then). Without a
     * background thread the bytes are written before it returns. */
    int Hand(std::vector<uint8_t> &buffer);
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
    struct Writer;
    std::unique_ptr<Writer> writer_;

    void NoteFailure(int error);
    int WriteNow(const void *data, size_t size);
    /* Waits until the bytes handed over are in the file. */
    void Settle() const;
};

#endif
