/* Binary encoding of CGM elements (see the header). */
#include "platform/print/VyrCgmEncoder.h"

#include <cmath>
#include <cstring>

void VyrCgmParams::Grow(size_t n)
{
    size_t want = buf_.size() * 2;
    if (want < size_ + n) want = size_ + n;
    if (want < 64) want = 64;
    buf_.resize(want);
}

void VyrCgmParams::Append(const void *data, size_t n)
{
    if (n) std::memcpy(Room(n), data, n);
}

void VyrCgmParams::FixedReal(double v)
{
    if (!(v == v)) v = 0.0;
    if (v > 32767.99998) v = 32767.99998;
    if (v < -32768.0) v = -32768.0;
    double whole = std::floor(v);
    long fraction = std::lround((v - whole) * 65536.0);
    if (fraction >= 65536) {
        fraction -= 65536;
        whole += 1.0;
    }
    Int16(static_cast<int>(whole));
    Byte(static_cast<unsigned>(fraction >> 8) & 0xFF);
    Byte(static_cast<unsigned>(fraction) & 0xFF);
}

void VyrCgmParams::String(const char *data, size_t n)
{
    if (n < 255) {
        Byte(static_cast<unsigned>(n));
    } else {
        Byte(255);
    }
    if (n >= 255) {
        size_t done = 0;
        do {
            size_t chunk = n - done > 32767 ? 32767 : n - done;
            unsigned word = static_cast<unsigned>(chunk) | (done + chunk < n ? 0x8000u : 0u);
            Byte(word >> 8);
            Byte(word & 0xFF);
            Append(data + done, chunk);
            done += chunk;
        } while (done < n);
        return;
    }
    Append(data, n);
}

void VyrCgmParams::String(const char *text) { String(text, text ? std::strlen(text) : 0); }

void VyrCgmEncoder::Element(int elementClass, int elementId, const uint8_t *params, size_t n)
{
    unsigned head =
        (static_cast<unsigned>(elementClass & 0xF) << 12) | (static_cast<unsigned>(elementId & 0x7F) << 5);
    if (n <= 30) {
        Word(head | static_cast<unsigned>(n));
        if (n) out_.insert(out_.end(), params, params + n);
    } else {
        Word(head | 31u);
        size_t done = 0;
        while (n - done > 32767) {
            Word(0x8000u | static_cast<unsigned>(kPartition));
            out_.insert(out_.end(), params + done, params + done + kPartition);
            done += kPartition;
        }
        Word(static_cast<unsigned>(n - done));
        out_.insert(out_.end(), params + done, params + n);
    }
    if (n & 1) out_.push_back(0);
}
