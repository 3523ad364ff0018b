/* The output stream of the print framework (see the header). */
#include "platform/print/VyrPrintStream.h"

#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

/* The background writer: one buffer in flight at a time. `busy` is set by
 * Hand and cleared by the thread when the buffer is written; while it is
 * set, only the thread touches the file and the failure state. */
struct VyrPrintStream::Writer {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<uint8_t> pending;
    bool busy = false;
    bool stop = false;
    std::thread thread;

    void Run(VyrPrintStream *stream)
    {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            changed.wait(lock, [this] { return busy || stop; });
            if (!busy) return;
            lock.unlock();
            stream->WriteNow(pending.data(), pending.size());
            lock.lock();
            pending.clear();
            busy = false;
            changed.notify_all();
        }
    }
    void Settle()
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [this] { return !busy; });
    }
    void Stop()
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            stop = true;
        }
        changed.notify_all();
        thread.join();
    }
};

VyrPrintStream::VyrPrintStream(const VyrUnicodeString &file, const char *type, const char *datum)
    : path_(file.ConvertToChar()), type_(type ? type : ""), datum_(datum ? datum : "")
{}

VyrPrintStream::~VyrPrintStream()
{
    Close();
    if (writer_) writer_->Stop();
}

void VyrPrintStream::Settle() const
{
    if (writer_) writer_->Settle();
}

bool VyrPrintStream::HasFailed() const
{
    Settle();
    return failed_;
}

int VyrPrintStream::FailureErrno() const
{
    Settle();
    return failureErrno_;
}

std::ofstream &VyrPrintStream::GetOutputStream()
{
    Settle();
    return out_;
}

bool VyrPrintStream::IsGood() const
{
    Settle();
    return out_.is_open() && out_.good();
}

int VyrPrintStream::OpenWrite()
{
    Settle();
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
    Settle();
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
    Settle();
    return WriteNow(data, size);
}

int VyrPrintStream::Hand(std::vector<uint8_t> &buffer)
{
    if (!writer_) {
        writer_.reset(new (std::nothrow) Writer());
        if (writer_) {
            try {
                writer_->thread = std::thread(&Writer::Run, writer_.get(), this);
            } catch (const std::system_error &) {
                writer_.reset();
            }
        }
    }
    if (!writer_) {
        const int status = WriteNow(buffer.data(), buffer.size());
        buffer.clear();
        return status;
    }
    std::unique_lock<std::mutex> lock(writer_->mutex);
    writer_->changed.wait(lock, [this] { return !writer_->busy; });
    if (!out_.is_open() || !out_.good()) {
        if (!out_.is_open()) NoteFailure(EBADF);
        buffer.clear();
        return -1;
    }
    writer_->pending.swap(buffer);
    writer_->busy = true;
    writer_->changed.notify_all();
    return 0;
}

int VyrPrintStream::WriteNow(const void *data, size_t size)
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
    Settle();
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
