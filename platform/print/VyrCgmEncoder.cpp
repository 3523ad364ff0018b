/* Binary encoding of CGM elements (see the header). */
#include "platform/print/VyrCgmEncoder.h"

#include <cmath>
#include <cstring>

void VyrCgmParams::Int16(int v)
{
    if (v > 32767) v = 32767;
    if (v < -32768) v = -32768;
    unsigned u = static_cast<unsigned>(v) & 0xFFFFu;
    Byte(u >> 8);
    Byte(u & 0xFF);
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

void VyrCgmParams::Float32(float v)
{
    uint32_t bits;
    static_assert(sizeof bits == sizeof v, "IEEE single expected");
    std::memcpy(&bits, &v, sizeof bits);
    const uint8_t b[4] = {static_cast<uint8_t>(bits >> 24), static_cast<uint8_t>(bits >> 16),
                          static_cast<uint8_t>(bits >> 8), static_cast<uint8_t>(bits)};
    bytes_.insert(bytes_.end(), b, b + 4);
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
            bytes_.insert(bytes_.end(), data + done, data + done + chunk);
            done += chunk;
        } while (done < n);
        return;
    }
    bytes_.insert(bytes_.end(), data, data + n);
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
