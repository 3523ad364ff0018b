/* The pair reader (see the header). An ASCII file is a sequence of lines,
 * ended by LF, CR LF or a lone CR, taken two at a time: the group code and
 * its value. A binary file starts with a 22-byte sentinel; each pair is then
 * a little-endian group code (two bytes from release 13 on, one byte with an
 * escape before it) and a value whose width depends on the code. */
#include "tools/downconv/DxfPairReader.h"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>

namespace {

const char kSentinel[] = "AutoCAD Binary DXF\r\n\x1a";
const size_t kSentinelSize = 22; /* with its final zero byte */
const size_t kBufferSize = 1 << 20;

bool Blank(char c) { return c == ' ' || c == '\t'; }

} // namespace

DxfValueKind DxfKindOf(int code)
{
    if ((code >= 10 && code <= 59) || (code >= 110 && code <= 149) || (code >= 210 && code <= 239) ||
        (code >= 460 && code <= 469) || (code >= 1010 && code <= 1059))
        return DxfValueKind::Double;
    if ((code >= 60 && code <= 79) || (code >= 170 && code <= 179) || (code >= 270 && code <= 289) ||
        (code >= 370 && code <= 389) || (code >= 400 && code <= 409) || (code >= 1060 && code <= 1070))
        return DxfValueKind::Int16;
    if ((code >= 90 && code <= 99) || (code >= 420 && code <= 429) || (code >= 440 && code <= 459) ||
        code == 1071)
        return DxfValueKind::Int32;
    if (code >= 160 && code <= 169) return DxfValueKind::Int64;
    if (code >= 290 && code <= 299) return DxfValueKind::Bool;
    if ((code >= 310 && code <= 319) || code == 1004) return DxfValueKind::Chunk;
    return DxfValueKind::String;
}

bool DxfIsText(int code)
{
    return (code >= 0 && code <= 4) || (code >= 6 && code <= 9) || code == 100 || code == 101 ||
           code == 102 || (code >= 300 && code <= 309) || (code >= 410 && code <= 419) ||
           (code >= 430 && code <= 439) || (code >= 470 && code <= 479) || code == 999 ||
           (code >= 1000 && code <= 1003) || (code >= 1006 && code <= 1009);
}

DxfPairReader::DxfPairReader(int fd, std::string name) : fd_(fd), name_(std::move(name)) {}

bool DxfPairReader::Fail(const std::string &what)
{
    if (error_.empty()) {
        error_ = name_ + ": ";
        if (binary_)
            error_ += "at byte " + std::to_string(offset_ + static_cast<long long>(pos_)) + ": ";
        else
            error_ += "line " + std::to_string(line_ + 1) + ": ";
        error_ += what;
    }
    return false;
}

/* Moves what is left to the front and reads more; false when nothing more
 * came (the end of the file, or an error, which is recorded). */
bool DxfPairReader::Fill()
{
    if (eof_) return false;
    if (buffer_.empty()) buffer_.resize(kBufferSize);
    if (pos_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + pos_, end_ - pos_);
        offset_ += static_cast<long long>(pos_);
        end_ -= pos_;
        pos_ = 0;
    }
    for (;;) {
        ssize_t n = ::read(fd_, buffer_.data() + end_, buffer_.size() - end_);
        if (n > 0) {
            end_ += static_cast<size_t>(n);
            return true;
        }
        if (n < 0 && errno == EINTR) continue;
        eof_ = true;
        if (n < 0) Fail(std::string("read error: ") + std::strerror(errno));
        return false;
    }
}

bool DxfPairReader::Start()
{
    while (end_ - pos_ < kSentinelSize && Fill()) {}
    if (!error_.empty()) return false;
    binary_ =
        end_ - pos_ >= kSentinelSize && std::memcmp(buffer_.data() + pos_, kSentinel, kSentinelSize) == 0;
    if (binary_) {
        pos_ += kSentinelSize;
        /* (0, "SECTION") first: 00 00 'S' with two-byte codes, 00 'S' before */
        if (end_ - pos_ < 2) Fill();
        oldBinary_ = end_ - pos_ >= 2 && buffer_[pos_ + 1] != 0;
    } else if (end_ - pos_ >= 3 && std::memcmp(buffer_.data() + pos_, "\xEF\xBB\xBF", 3) == 0) {
        pos_ += 3; /* a byte-order mark some writers put first */
    }
    return true;
}

bool DxfPairReader::Rewind()
{
    if (::lseek(fd_, 0, SEEK_SET) != 0)
        return Fail(std::string("cannot read again: ") + std::strerror(errno));
    pos_ = end_ = 0;
    offset_ = 0;
    line_ = 0;
    eof_ = false;
    error_.clear();
    return Start();
}

int DxfPairReader::Byte()
{
    if (pos_ == end_ && !Fill()) return -1;
    return static_cast<unsigned char>(buffer_[pos_++]);
}

bool DxfPairReader::Bytes(void *out, size_t n)
{
    unsigned char *p = static_cast<unsigned char *>(out);
    while (n > 0) {
        if (pos_ == end_ && !Fill()) return Fail("the file ends inside a value");
        size_t take = end_ - pos_ < n ? end_ - pos_ : n;
        std::memcpy(p, buffer_.data() + pos_, take);
        pos_ += take;
        p += take;
        n -= take;
    }
    return true;
}

/* One line without its end; false at the end of the file when nothing was
 * left (or on an error). */
bool DxfPairReader::Line(std::string &out)
{
    out.clear();
    for (;;) {
        if (pos_ == end_ && !Fill()) {
            if (!error_.empty()) return false;
            if (out.empty()) return false;
            ++line_;
            return true;
        }
        const char *begin = buffer_.data() + pos_, *end = buffer_.data() + end_;
        const char *lf = static_cast<const char *>(std::memchr(begin, '\n', size_t(end - begin)));
        const char *cr = static_cast<const char *>(std::memchr(begin, '\r', size_t((lf ? lf : end) - begin)));
        const char *stop = cr ? cr : lf;
        if (!stop) {
            out.append(begin, end);
            pos_ = end_;
            if (out.size() > kMaxValue)
                return Fail("line longer than " + std::to_string(kMaxValue) + " bytes");
            continue;
        }
        out.append(begin, stop);
        pos_ = size_t(stop - buffer_.data()) + 1;
        if (*stop == '\r') {
            if (pos_ == end_) Fill();
            if (pos_ < end_ && buffer_[pos_] == '\n') ++pos_;
        }
        ++line_;
        if (out.size() > kMaxValue) return Fail("line longer than " + std::to_string(kMaxValue) + " bytes");
        return true;
    }
}

bool DxfPairReader::NextAscii(DxfPair &pair)
{
    if (!Line(codeLine_)) return false;
    size_t b = 0, e = codeLine_.size();
    while (b < e && Blank(codeLine_[b])) ++b;
    while (e > b && Blank(codeLine_[e - 1])) --e;
    int code = 0;
    auto r = std::from_chars(codeLine_.data() + b, codeLine_.data() + e, code);
    if (b == e || r.ec != std::errc() || r.ptr != codeLine_.data() + e || code < 0 || code > 1071)
        return Fail("a group code was expected, not \"" + codeLine_.substr(0, 40) + "\"");
    pair.code = code;
    if (!Line(pair.value)) {
        if (error_.empty()) Fail("the file ends after group code " + std::to_string(code));
        return false;
    }
    return true;
}

bool DxfPairReader::NextBinary(DxfPair &pair)
{
    unsigned char c[2];
    int first = Byte();
    if (first < 0) return false;
    c[0] = static_cast<unsigned char>(first);
    if (!Bytes(c + 1, 1)) return false;
    pair.code = c[0] | c[1] << 8;
    pair.value.clear();
    char text[64];
    switch (DxfKindOf(pair.code)) {
    case DxfValueKind::String:
        for (;;) {
            if (pos_ == end_ && !Fill()) return Fail("the file ends inside a string");
            const char *begin = buffer_.data() + pos_;
            const char *zero = static_cast<const char *>(std::memchr(begin, 0, end_ - pos_));
            size_t n = zero ? size_t(zero - begin) : end_ - pos_;
            pair.value.append(begin, n);
            pos_ += n + (zero ? 1 : 0);
            if (pair.value.size() > kMaxValue) return Fail("string longer than " + std::to_string(kMaxValue));
            if (zero) break;
        }
        break;
    case DxfValueKind::Double: {
        unsigned char b[8];
        if (!Bytes(b, 8)) return false;
        uint64_t bits = 0;
        for (int i = 7; i >= 0; --i) bits = bits << 8 | b[i];
        double d;
        std::memcpy(&d, &bits, 8);
        auto r = std::to_chars(text, text + sizeof text, d);
        pair.value.assign(text, r.ptr);
        /* a real keeps its point, as ASCII writers put it */
        if (pair.value.find_first_of(".eni") == std::string::npos) pair.value += ".0";
        break;
    }
    case DxfValueKind::Int16:
    case DxfValueKind::Int32:
    case DxfValueKind::Int64: {
        const DxfValueKind k = DxfKindOf(pair.code);
        const int n = k == DxfValueKind::Int16 ? 2 : k == DxfValueKind::Int32 ? 4 : 8;
        unsigned char b[8];
        if (!Bytes(b, size_t(n))) return false;
        uint64_t u = 0;
        for (int i = n - 1; i >= 0; --i) u = u << 8 | b[i];
        int64_t v = n == 2 ? int64_t(int16_t(u)) : n == 4 ? int64_t(int32_t(u)) : int64_t(u);
        auto r = std::to_chars(text, text + sizeof text, v);
        pair.value.assign(text, r.ptr);
        break;
    }
    case DxfValueKind::Bool: {
        int v = Byte();
        if (v < 0) return Fail("the file ends inside a value");
        pair.value = std::to_string(v);
        break;
    }
    case DxfValueKind::Chunk: {
        int n = Byte();
        if (n < 0) return Fail("the file ends inside a value");
        unsigned char b[255];
        if (!Bytes(b, size_t(n))) return false;
        static const char hex[] = "0123456789ABCDEF";
        for (int i = 0; i < n; ++i) {
            pair.value.push_back(hex[b[i] >> 4]);
            pair.value.push_back(hex[b[i] & 15]);
        }
        break;
    }
    }
    return true;
}

bool DxfPairReader::Next(DxfPair &pair)
{
    if (!error_.empty()) return false;
    if (oldBinary_) return Fail("a binary file of a release before 13");
    return binary_ ? NextBinary(pair) : NextAscii(pair);
}
