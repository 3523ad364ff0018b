/* Test helper: a drawing's 8-byte handle (most significant byte first) as a
 * number and back, so tests can write handles as hexadecimal literals. */
#ifndef VYR_TESTS_SUPPORT_HANDLEBYTES_H
#define VYR_TESTS_SUPPORT_HANDLEBYTES_H

#include <cstdint>

/* The number of an 8-byte handle. */
inline uint64_t HV(const unsigned char *h)
{
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v = v << 8 | h[i];
    return v;
}

/* Writes the 8 bytes of handle number v to h. */
inline void HS(uint64_t v, unsigned char *h)
{
    for (int i = 7; i >= 0; --i, v >>= 8) h[i] = static_cast<unsigned char>(v);
}

#endif
