/* Binary encoding of CGM elements (ISO/IEC 8632-3): a parameter builder and
 * an element writer that appends command headers, long forms, partitions
 * and padding to a byte buffer. It knows the precisions this library
 * declares and nothing else: integers, indices, enumerations and colour
 * indices of 16 bits, reals as 32-bit fixed point (16.16), VDC and other
 * floating values as IEEE single precision, direct colours of 8 bits per
 * component. All multi-byte values are big-endian. */
#ifndef VYR_PLATFORM_PRINT_VYRCGMENCODER_H
#define VYR_PLATFORM_PRINT_VYRCGMENCODER_H

#include <cstddef>
#include <cstdint>
#include <vector>

/* The parameter list of one element. */
class VyrCgmParams {
public:
    void Clear() { bytes_.clear(); }
    void Reserve(size_t n) { bytes_.reserve(n); }
    void Byte(unsigned v) { bytes_.push_back(static_cast<uint8_t>(v)); }
    void Int16(int v);
    /* Enumerations, indices, colour indices and integers are all 16 bits. */
    void Enum(int v) { Int16(v); }
    void Index(int v) { Int16(v); }
    void ColourIndex(int v) { Int16(v); }
    /* A real in the default 32-bit fixed-point precision. */
    void FixedReal(double v);
    /* An IEEE single, used for VDC values (and reals when declared so). */
    void Float32(float v);
    void Vdc(float v) { Float32(v); }
    void Point(float x, float y)
    {
        Float32(x);
        Float32(y);
    }
    void DirectColour(unsigned r, unsigned g, unsigned b)
    {
        Byte(r);
        Byte(g);
        Byte(b);
    }
    /* A string parameter; lengths from 255 on use the long form with
     * continued chunks of at most 32767 octets. */
    void String(const char *data, size_t n);
    void String(const char *text);

    const std::vector<uint8_t> &Bytes() const { return bytes_; }
    size_t Size() const { return bytes_.size(); }

private:
    std::vector<uint8_t> bytes_;
};

class VyrCgmEncoder {
public:
    /* Largest parameter octet count of a partition that is not the last. */
    static const size_t kPartition = 32766;

    /* Appends one element: short form up to 30 octets, long form above,
     * split into partitions beyond 32767 octets, padded to even length. */
    void Element(int elementClass, int elementId, const uint8_t *params, size_t n);
    void Element(int elementClass, int elementId, const VyrCgmParams &p)
    {
        Element(elementClass, elementId, p.Bytes().data(), p.Size());
    }
    void Element(int elementClass, int elementId) { Element(elementClass, elementId, nullptr, 0); }

    std::vector<uint8_t> &Buffer() { return out_; }
    size_t Size() const { return out_.size(); }
    void Clear() { out_.clear(); }

private:
    void Word(unsigned w)
    {
        out_.push_back(static_cast<uint8_t>((w >> 8) & 0xFF));
        out_.push_back(static_cast<uint8_t>(w & 0xFF));
    }
    std::vector<uint8_t> out_;
};

#endif
