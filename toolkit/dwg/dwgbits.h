/* The DWG bit-stream reader: the value codes in which every part of a DWG
 * file of releases 13 to 2000 is written (bits, bit-coded shorts, longs and
 * doubles, doubles with defaults, raw values, modular characters and
 * shorts, texts, handles and colours), the resolution of handle references
 * against the referencing object's handle, and the block checksum.
 *
 * A reader works over bytes in memory. Its position is a bit number kept
 * explicitly: bit 0 is the most significant bit of the first byte, bit 8
 * the most significant bit of the second. Numbers wider than a byte are
 * stored least significant byte first (handles, which are most significant
 * first, are the exception). A read past the end gives zeros and sets the
 * error flag, which stays set: the caller tests it once after a group of
 * reads and drops what it read. Counts read from the stream are checked
 * with getbitcount against the bits left before they drive anything. */
#ifndef VYR_TOOLKIT_DWG_DWGBITS_H
#define VYR_TOOLKIT_DWG_DWGBITS_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct DwgBits {
    const unsigned char *buf;
    uint64_t size;   /* bits in buf */
    uint64_t pos;    /* the next bit */
    int error;       /* a read went past the end, or a count did not fit */
    int16_t version; /* file version index: BE and BT differ before AC1015 */
} DwgBits;

void dwgbitsinit(DwgBits *b, const void *bytes, size_t n, int16_t version);
uint64_t dwgbitsleft(const DwgBits *b);
/* Moves to a bit position; past the end sets the error. */
void dwgbitsseek(DwgBits *b, uint64_t pos);
/* A count of items whose smallest encoding takes minbits each: the count
 * when count x minbits bits are left, else 0 with the error set. A
 * negative count (a 32-bit count of 2^31 or more) is an error too. */
uint32_t getbitcount(DwgBits *b, int64_t count, unsigned minbits);

int getbitbitfn(DwgBits *b);                            /* B */
int getbit2bits(DwgBits *b);                            /* BB */
int getbit3bits(DwgBits *b);                            /* 3B: 0, 2, 6 or 7 */
unsigned char getbitrawbyte(DwgBits *b);                /* RC */
uint16_t getbitrawshort(DwgBits *b);                    /* RS */
uint32_t getbitrawlong(DwgBits *b);                     /* RL */
double getbitrawdouble(DwgBits *b);                     /* RD */
int16_t getbitshort(DwgBits *b);                        /* BS */
int32_t getbitlong(DwgBits *b);                         /* BL */
double getbitdouble(DwgBits *b);                        /* BD */
double getbitdoublewithdefault(DwgBits *b, double def); /* DD */
void getbit3double(DwgBits *b, double *out);            /* 3BD */
void getbit2rawdouble(DwgBits *b, double *out);         /* 2RD */
void getbit3rawdouble(DwgBits *b, double *out);         /* 3RD */
/* 3DD: three DD against the coordinates of def (out may be def). */
void getbitpointwithdefault(DwgBits *b, const double *def, double *out);
/* One bit (z is zero), x and y RD, z RD only when the bit is 0. */
void geta2kbitpoint(DwgBits *b, double *out);
/* The two points of a line: a bit (z is zero), x of the first RD and of
 * the second DD against it, the same for y, then z when the bit is 0. */
void getbitpointpair(DwgBits *b, double *p0, double *p1);
void getbitextrusion(DwgBits *b, double *out); /* BE */
double getbitthickness(DwgBits *b);            /* BT */
uint32_t getbitmodshort(DwgBits *b);           /* MS: 15 bits a word */
int64_t getbitmodchar(DwgBits *b);             /* MC, signed, at most 6 bytes */
uint64_t getbitumodchar(DwgBits *b);           /* MC, unsigned, at most 10 bytes */
int16_t getbitcolor(DwgBits *b);               /* CMC of these releases: a BS */
/* TV: a BS length and that many bytes, into buf (capacity bytes with the
 * terminator). A longer text is read whole, kept cut to capacity - 1 and
 * the critical-error callback gets 5; a length beyond the bits left reads
 * nothing and sets the error. Returns the length stored. */
size_t getbitstring(DwgBits *b, char *buf, size_t capacity);
void getbitnrawbytes(DwgBits *b, void *dst, size_t n);
/* H: the handle (8 bytes, most significant first) and its code (high
 * nibble of the first byte); a byte count above 8 gives the null handle,
 * sets the error and calls the critical-error callback with 5. */
int getbithandle(DwgBits *b, unsigned char *handle);
/* As getbithandle; handle[8] receives the reference type (code & 3) + 1. */
int getbittypedhandle(DwgBits *b, unsigned char *handle);
/* A handle reference of an object whose own handle is own: codes 2 to 5
 * give the value, 6 own + 1, 8 own - 1, 0xA own + the value, 0xC own - the
 * value. Returns the code. */
int getbitrefhandle(DwgBits *b, const unsigned char *own, unsigned char *handle);

uint64_t dwghandlevalue(const unsigned char *handle);
void dwghandlebytes(uint64_t value, unsigned char *handle);

/* CRC-16 of the polynomial 0xA001 over n bytes, from seed. */
uint16_t dwgcrc16(uint16_t seed, const void *bytes, size_t n);
/* A block of n bytes whose last two carry its checksum (least significant
 * first): true when the checksum of the bytes before them, from the seed
 * of the block's kind, equals them. */
int check13crc(const unsigned char *block, size_t n, uint16_t seed);

#ifdef __cplusplus
}
#endif

#endif
