/* The output stream of the print framework (see the header). */
#include "platform/print/VyrPrintStream.h"

VyrPrintStream::VyrPrintStream(const VyrUnicodeString &file, const char *type, const char *datum)
    : path_(file.ConvertToChar()), type_(type ? type : ""), datum_(datum ? datum : "")
{}

VyrPrintStream::~VyrPrintStream() { Close(); }

int VyrPrintStream::OpenWrite()
{
    if (out_.is_open()) out_.close();
    out_.clear();
    if (path_.empty()) {
        out_.setstate(std::ios::failbit);
        return -1;
    }
    out_.open(path_, std::ios::out | std::ios::binary | std::ios::trunc);
    return IsGood() ? 0 : -1;
}

void VyrPrintStream::Close()
{
    if (out_.is_open()) {
        out_.flush();
        out_.close();
    }
}

int VyrPrintStream::Write(const void *data, size_t size)
{
    if (!out_.is_open()) return -1;
    out_.write(static_cast<const char *>(data), static_cast<std::streamsize>(size));
    return out_.good() ? 0 : -1;
}
