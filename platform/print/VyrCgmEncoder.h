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
#include <cstring>
#include <vector>

/* The parameter list of one element. Values are stored straight into a
 * buffer that only grows, so clearing and refilling it for every element
 * allocates nothing. */
class VyrCgmParams {
public:
    void Clear() { size_ = 0; }
    /* Room for `n` octets in all, so that filling the list up to that size
     * does not grow the buffer again. */
    void Reserve(size_t n)
    {
        if (n > buf_.size()) buf_.resize(n);
    }
    void Byte(unsigned v) { *Room(1) = static_cast<uint8_t>(v); }
    void Int16(int v) { Put16(Room(2), Clamp16(v)); }
    /* Enumerations, indices, colour indices and integers are all 16 bits. */
    void Enum(int v) { Int16(v); }
    void Index(int v) { Int16(v); }
    void ColourIndex(int v) { Int16(v); }
    /* A real in the default 32-bit fixed-point precision. */
    void FixedReal(double v);
    /* An IEEE single, used for VDC values (and reals when declared so). */
    void Float32(float v) { Put32(Room(4), Bits(v)); }
    void Vdc(float v) { Float32(v); }
    void Point(float x, float y)
    {
        uint8_t *p = Room(8);
        Put32(p, Bits(x));
        Put32(p + 4, Bits(y));
    }
    /* A point and an enumeration after it, as in a POLYGON SET. */
    void PointAndEnum(float x, float y, int e)
    {
        uint8_t *p = Room(10);
        Put32(p, Bits(x));
        Put32(p + 4, Bits(y));
        Put16(p + 8, Clamp16(e));
    }
    void DirectColour(unsigned r, unsigned g, unsigned b)
    {
        uint8_t *p = Room(3);
        p[0] = static_cast<uint8_t>(r);
        p[1] = static_cast<uint8_t>(g);
        p[2] = static_cast<uint8_t>(b);
    }
    /* A string parameter; lengths from 255 on use the long form with
     * continued chunks of at most 32767 octets. */
    void String(const char *data, size_t n);
    void String(const char *text);

    const uint8_t *Data() const { return buf_.data(); }
    size_t Size() const { return size_; }

private:
    /* `n` more octets at the end of the list, to be filled by the caller. */
    uint8_t *Room(size_t n)
    {
        if (buf_.size() - size_ < n) Grow(n);
        uint8_t *p = buf_.data() + size_;
        size_ += n;
        return p;
    }
    void Grow(size_t n);
    void Append(const void *data, size_t n);
    static uint32_t Bits(float v)
    {
        uint32_t bits;
        static_assert(sizeof bits == sizeof v, "IEEE single expected");
        std::memcpy(&bits, &v, sizeof bits);
        return bits;
    }
    /* Big-endian stores: one byte swap and one store where the compiler
     * offers them. */
    static void Put16(uint8_t *p, unsigned v)
    {
#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        const uint16_t be = __builtin_bswap16(static_cast<uint16_t>(v));
        std::memcpy(p, &be, 2);
#else
        p[0] = static_cast<uint8_t>(v >> 8);
        p[1] = static_cast<uint8_t>(v);
#endif
    }
    static void Put32(uint8_t *p, uint32_t v)
    {
#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        const uint32_t be = __builtin_bswap32(v);
        std::memcpy(p, &be, 4);
#else
        p[0] = static_cast<uint8_t>(v >> 24);
        p[1] = static_cast<uint8_t>(v >> 16);
        p[2] = static_cast<uint8_t>(v >> 8);
        p[3] = static_cast<uint8_t>(v);
#endif
    }
    static unsigned Clamp16(int v)
    {
        if (v > 32767) v = 32767;
        if (v < -32768) v = -32768;
        return static_cast<unsigned>(v);
    }

    std::vector<uint8_t> buf_; /* buf_.size() is the capacity */
    size_t size_ = 0;
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
        Element(elementClass, elementId, p.Data(), p.Size());
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
