/* The output stream of the print framework (see the header). */
#include "platform/print/VyrPrintStream.h"

#include <cerrno>

VyrPrintStream::VyrPrintStream(const VyrUnicodeString &file, const char *type, const char *datum)
    : path_(file.ConvertToChar()), type_(type ? type : ""), datum_(datum ? datum : "")
{}

VyrPrintStream::~VyrPrintStream() { Close(); }

int VyrPrintStream::OpenWrite()
{
    if (out_.is_open()) out_.close();
    out_.clear();
    failed_ = false;
    failureErrno_ = 0;
    if (path_.empty()) {
        out_.setstate(std::ios::failbit);
        NoteFailure(ENOENT);
        return -1;
    }
    errno = 0;
    out_.open(path_, std::ios::out | std::ios::binary | std::ios::trunc);
    if (!IsGood()) NoteFailure(errno);
    return IsGood() ? 0 : -1;
}

void VyrPrintStream::Close()
{
    if (out_.is_open()) {
        errno = 0;
        out_.flush();
        if (!out_.good()) NoteFailure(errno);
        errno = 0;
        out_.close();
        if (out_.fail()) NoteFailure(errno);
    }
}

int VyrPrintStream::Write(const void *data, size_t size)
{
    if (!out_.is_open()) {
        NoteFailure(EBADF);
        return -1;
    }
    errno = 0;
    out_.write(static_cast<const char *>(data), static_cast<std::streamsize>(size));
    if (!out_.good()) NoteFailure(errno);
    return out_.good() ? 0 : -1;
}

int VyrPrintStream::Flush()
{
    if (!out_.is_open() || !out_.good()) return -1;
    errno = 0;
    out_.flush();
    if (!out_.good()) NoteFailure(errno);
    return out_.good() ? 0 : -1;
}

void VyrPrintStream::NoteFailure(int error)
{
    if (!failed_) failureErrno_ = error;
    failed_ = true;
}
