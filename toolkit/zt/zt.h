/* The toolkit's low-level layer: buffered file reading (ztior_), the heap
 * (ztmem_) and database memory (ztvm_). Everything above it in the toolkit
 * reads files only through ZtStream, which fills a large buffer with read(2)
 * and serves characters and lines from it, so no call is made per character.
 * Database addresses are plain machine addresses of ztvm_ blocks. */
#ifndef VYR_TOOLKIT_ZT_H
#define VYR_TOOLKIT_ZT_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A read-only file with a read-ahead buffer. The window [cur, end) holds the
 * unread bytes of the buffer; buf[0] lies at file offset bufpos. */
typedef struct ZtStream {
    int fd;
    unsigned char *buf;
    size_t cap;
    unsigned char *cur;
    unsigned char *end;
    int64_t bufpos;
    int64_t length; /* file length when opened */
    int eof;        /* a read went past the end (like feof) */
    int error;      /* a read failed */
} ZtStream;

enum { ZTIOR_BUFSIZE = 1 << 20 };

ZtStream *ztior_open(const char *path);
void ztior_close(ZtStream *s);
int ztior_fill(ZtStream *s); /* refill an empty window; 0 at end */
int ztior_read(ZtStream *s, void *dst, size_t n, size_t *got);
int ztior_seek(ZtStream *s, int64_t pos); /* absolute position; 0 on success */
int ztior_skip(ZtStream *s, int64_t n);
int ztior_ungetc(ZtStream *s); /* step back one byte just read */
int64_t ztior_tell(const ZtStream *s);
int64_t ztior_length(const ZtStream *s);
int ztior_feof(const ZtStream *s);
int ztior_atend(ZtStream *s); /* no byte left to read */
char *ztior_fgetdxfline(char *buf, size_t capacity, ZtStream *s);

static inline int ztior_getc(ZtStream *s)
{
    if (s->cur < s->end) return *s->cur++;
    if (!ztior_fill(s)) return -1;
    return *s->cur++;
}

/* Default init-data access: with a file name, that file; without one, the
 * toolkit's built-in init data. One init source is open at a time. */
int ztior_fopen(const char *name);
int ztior_fgetc(void);
int ztior_fread(void *buf, size_t size, size_t count);
int ztior_fseek(long offset, int whence);
int ztior_fclose(void);

const unsigned char *ztinit_builtin(size_t *size);

void *ztmem_malloc(size_t size);
void *ztmem_realloc(void *p, size_t size);
void ztmem_free(void *p);

int ztvm_init(void);
int ztvm_term(void);
void *ztvm_malloc(size_t size);
void ztvm_free(void *p);
/* Arenas of database memory for records that live as long as their
 * drawing; ztvm_free of a piece of an arena does nothing. */
typedef struct ZtArena ZtArena;
ZtArena *ztvm_arenacreate(void);
void *ztvm_arenaalloc(ZtArena *a, size_t size); /* zero-filled, 16-byte aligned */
/* Makes room for pieces of size bytes in all (each a multiple of 16), so
 * that allocating them cannot fail; 0 when out of memory. */
int ztvm_arenareserve(ZtArena *a, size_t size);
void ztvm_arenadestroy(ZtArena *a);
int ztvm_readbytes(void *dst, const void *addr, uint16_t count);
int ztvm_writebytes(void *addr, const void *src, uint16_t count);

#ifdef __cplusplus
}
#endif

#endif
