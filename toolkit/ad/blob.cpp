/* Blobs: growable byte streams in database memory for variable-length data.
 * A blob is a control block (magic number, chunk size, total size) and a list
 * of chunks of the chunk size; all chunks but the last are full. Data moves
 * through a cursor: a writer fills a chunk taken out of the list (a new one,
 * or the partial last one it continues) and links it back whenever it is
 * full (and the partial last one at the end), so that appending a few bytes
 * costs no chunk-sized copy or clearing; a reader walks the chunks in place
 * and refuses to read past the end. Typed
 * values are copied in host byte order with memcpy (chunk boundaries fall
 * anywhere inside a value). */
#include "toolkit/ad/ad_int.h"

#include <cstring>

namespace {
constexpr int32_t kMagic = 4728;
}

struct AdBlob {
    int32_t magic;
    uint16_t chunksize;
    long total;
    LLList *chunks;
};

struct AdBlobCursor {
    AdBlob *blob;
    int writing;
    LLNode *node;  /* writer: the chunk being filled, not in the list */
    long fill;     /* writer: bytes in it */
    LLNode *chunk; /* reader: current chunk */
    long offset;   /* reader: offset in the current chunk */
    long pos;      /* reader: absolute position */
};

namespace {

bool valid(const AdBlob *b) { return b && b->magic == kMagic; }

void flush(AdBlobCursor *c)
{
    if (c->fill == 0) return;
    LLPutTail(c->blob->chunks, c->node);
    c->blob->total += c->fill;
    c->node = nullptr;
    c->fill = 0;
}

/* A writer starts with a new empty chunk, or with the node given. */
AdBlobCursor *newcursor(AdBlob *b, int writing, LLNode *node = nullptr)
{
    AdBlobCursor *c = static_cast<AdBlobCursor *>(ztmem_malloc(sizeof(AdBlobCursor)));
    if (!c) return nullptr;
    c->blob = b;
    c->writing = writing;
    if (writing) {
        c->node = node ? node : LLAlloc(b->chunksize);
        if (!c->node) {
            ztmem_free(c);
            return nullptr;
        }
    }
    return c;
}

} // namespace

extern "C" {

AdBlob *adCreateBlobEx(uint16_t chunksize)
{
    if (chunksize == 0) chunksize = 4096;
    AdBlob *b = static_cast<AdBlob *>(ztvm_malloc(sizeof(AdBlob)));
    if (!b) return nullptr;
    b->chunks = LLCreate();
    if (!b->chunks) {
        ztvm_free(b);
        return nullptr;
    }
    b->magic = kMagic;
    b->chunksize = chunksize;
    return b;
}

/* A blob holding n bytes, made in one piece of an arena: control block,
 * chunk list and chunks. Deleting it frees nothing (arena pieces are freed
 * with the arena); writing to it later adds chunks from the heap. */
AdBlob *adblobinarena(ZtArena *a, const void *src, long n)
{
    if (!a || n <= 0) return nullptr;
    long cs = n <= 65535 ? n : 4096;
    long nchunks = (n + cs - 1) / cs;
    size_t size = sizeof(AdBlob) + sizeof(LLList) +
                  static_cast<size_t>(nchunks) * (sizeof(LLNode) + static_cast<size_t>(cs));
    unsigned char *p = static_cast<unsigned char *>(ztvm_arenaalloc(a, size));
    if (!p) return nullptr;
    AdBlob *b = reinterpret_cast<AdBlob *>(p);
    LLList *l = reinterpret_cast<LLList *>(p + sizeof(AdBlob));
    b->magic = kMagic;
    b->chunksize = static_cast<uint16_t>(cs);
    b->total = n;
    b->chunks = l;
    unsigned char *at = p + sizeof(AdBlob) + sizeof(LLList);
    const unsigned char *from = static_cast<const unsigned char *>(src);
    for (long k = 0; k < nchunks; ++k) {
        LLNode *node = reinterpret_cast<LLNode *>(at);
        long m = n - k * cs < cs ? n - k * cs : cs;
        std::memcpy(LL_RECORD(node), from + k * cs, static_cast<size_t>(m));
        LLPutTail(l, node);
        at += sizeof(LLNode) + static_cast<size_t>(cs);
    }
    return b;
}

void adDeleteBlob(AdBlob *b)
{
    if (!valid(b)) return;
    LLDeleteList(b->chunks);
    b->magic = 0;
    ztvm_free(b);
}

long adBlobSize(const AdBlob *b) { return valid(b) ? b->total : 0; }

AdBlobCursor *adStartBlobWrite(AdBlob *b)
{
    if (!valid(b)) {
        adseterror(163);
        return nullptr;
    }
    LLDeleteListMembers(b->chunks);
    b->total = 0;
    return newcursor(b, 1);
}

AdBlobCursor *adStartBlobAppend(AdBlob *b)
{
    if (!valid(b)) {
        adseterror(163);
        return nullptr;
    }
    long part = b->total % b->chunksize;
    if (!part || !b->chunks->tail) return newcursor(b, 1);
    /* continue the partial last chunk */
    LLNode *last = LLDelTail(b->chunks);
    AdBlobCursor *c = newcursor(b, 1, last);
    if (!c) {
        LLPutTail(b->chunks, last);
        return nullptr;
    }
    c->fill = part;
    b->total -= part;
    return c;
}

int adEndBlobWrite(AdBlobCursor *c)
{
    if (!c) return 0;
    flush(c);
    if (c->node) ztvm_free(c->node);
    ztmem_free(c);
    return 1;
}

int adEndBlobAppend(AdBlobCursor *c) { return adEndBlobWrite(c); }

AdBlobCursor *adStartBlobRead(AdBlob *b)
{
    if (!valid(b)) {
        adseterror(162);
        return nullptr;
    }
    AdBlobCursor *c = newcursor(b, 0);
    if (c) c->chunk = b->chunks->head;
    return c;
}

int adEndBlobRead(AdBlobCursor *c)
{
    if (!c) return 0;
    ztmem_free(c);
    return 1;
}

int adRewindBlob(AdBlobCursor *c) { return adBlobSeek(c, 0); }

int adBlobSeek(AdBlobCursor *c, long pos)
{
    if (!c || c->writing || pos < 0 || pos > c->blob->total) return 0;
    long cs = c->blob->chunksize;
    LLNode *n = c->blob->chunks->head;
    for (long k = pos / cs; k > 0 && n; --k) n = n->next;
    c->chunk = n;
    c->offset = pos % cs;
    c->pos = pos;
    return 1;
}

long adBlobTell(const AdBlobCursor *c)
{
    if (!c) return 0;
    return c->writing ? c->blob->total + c->fill : c->pos;
}

int adWriteBlobBytesLong(AdBlobCursor *c, const void *src, long n)
{
    if (!c || !c->writing || n < 0) return 0;
    const unsigned char *s = static_cast<const unsigned char *>(src);
    long cs = c->blob->chunksize;
    while (n > 0) {
        if (!c->node && !(c->node = LLAlloc(static_cast<size_t>(cs)))) return 0;
        long k = cs - c->fill < n ? cs - c->fill : n;
        std::memcpy(static_cast<unsigned char *>(LL_RECORD(c->node)) + c->fill, s, static_cast<size_t>(k));
        c->fill += k;
        s += k;
        n -= k;
        if (c->fill == cs) flush(c);
    }
    return 1;
}

int adReadBlobBytesLong(AdBlobCursor *c, void *dst, long n)
{
    if (!c || c->writing || n < 0 || n > c->blob->total - c->pos) return 0;
    unsigned char *d = static_cast<unsigned char *>(dst);
    long cs = c->blob->chunksize;
    while (n > 0) {
        if (c->offset == cs) {
            c->chunk = c->chunk->next;
            c->offset = 0;
        }
        long k = cs - c->offset < n ? cs - c->offset : n;
        std::memcpy(d, static_cast<unsigned char *>(LL_RECORD(c->chunk)) + c->offset, static_cast<size_t>(k));
        c->offset += k;
        c->pos += k;
        d += k;
        n -= k;
    }
    return 1;
}

int adWriteBlobByte(AdBlobCursor *c, unsigned char v) { return adWriteBlobBytesLong(c, &v, 1); }
int adReadBlobByte(AdBlobCursor *c, unsigned char *v) { return adReadBlobBytesLong(c, v, 1); }
int adWriteBlobShort(AdBlobCursor *c, int16_t v) { return adWriteBlobBytesLong(c, &v, sizeof v); }
int adReadBlobShort(AdBlobCursor *c, int16_t *v) { return adReadBlobBytesLong(c, v, sizeof *v); }
int adWriteBlobLong(AdBlobCursor *c, int32_t v) { return adWriteBlobBytesLong(c, &v, sizeof v); }
int adReadBlobLong(AdBlobCursor *c, int32_t *v) { return adReadBlobBytesLong(c, v, sizeof *v); }
int adWriteBlobDouble(AdBlobCursor *c, double v) { return adWriteBlobBytesLong(c, &v, sizeof v); }
int adReadBlobDouble(AdBlobCursor *c, double *v) { return adReadBlobBytesLong(c, v, sizeof *v); }
int adWriteBlob2Double(AdBlobCursor *c, const double *v) { return adWriteBlobBytesLong(c, v, 2 * sizeof *v); }
int adReadBlob2Double(AdBlobCursor *c, double *v) { return adReadBlobBytesLong(c, v, 2 * sizeof *v); }
int adWriteBlob3Double(AdBlobCursor *c, const double *v) { return adWriteBlobBytesLong(c, v, 3 * sizeof *v); }
int adReadBlob3Double(AdBlobCursor *c, double *v) { return adReadBlobBytesLong(c, v, 3 * sizeof *v); }
int adWriteBlobObjhandle(AdBlobCursor *c, const unsigned char *h) { return adWriteBlobBytesLong(c, h, 8); }
int adReadBlobObjhandle(AdBlobCursor *c, unsigned char *h) { return adReadBlobBytesLong(c, h, 8); }

/* Strings are stored with their terminator. */
int adWriteBlobString(AdBlobCursor *c, const char *s)
{
    return adWriteBlobBytesLong(c, s, static_cast<long>(std::strlen(s)) + 1);
}

int adReadBlobString(AdBlobCursor *c, char *s, long capacity)
{
    if (!c || capacity <= 0) return 0;
    long i = 0;
    unsigned char ch;
    while (adReadBlobByte(c, &ch)) {
        if (ch == 0) {
            s[i] = '\0';
            return 1;
        }
        if (i < capacity - 1) s[i++] = static_cast<char>(ch);
    }
    s[i] = '\0';
    return 0;
}

int adBlobPatch(AdBlob *b, long pos, const void *src, long n)
{
    if (!valid(b) || pos < 0 || n < 0 || n > b->total - pos) return 0;
    const unsigned char *s = static_cast<const unsigned char *>(src);
    long cs = b->chunksize;
    LLNode *chunk = b->chunks->head;
    for (long k = pos / cs; k > 0; --k) chunk = chunk->next;
    long off = pos % cs;
    while (n > 0) {
        long k = cs - off < n ? cs - off : n;
        std::memcpy(static_cast<unsigned char *>(LL_RECORD(chunk)) + off, s, static_cast<size_t>(k));
        s += k;
        n -= k;
        chunk = chunk->next;
        off = 0;
    }
    return 1;
}

long adReadAcisStringn(AdBlobCursor *c, char *buf, long capacity, int *endflag)
{
    if (endflag) *endflag = 0;
    long n = 0;
    unsigned char ch;
    while (n < capacity && adReadBlobByte(c, &ch)) {
        if (ch == '\r' || ch == '\n') {
            if (endflag) *endflag = 1;
            unsigned char next;
            long at = adBlobTell(c);
            if (adReadBlobByte(c, &next) && next != '\r' && next != '\n') adBlobSeek(c, at);
            break;
        }
        buf[n++] = static_cast<char>(ch);
    }
    if (n < capacity) buf[n] = '\0';
    return n;
}

long adReadAcisString(AdBlobCursor *c, char *buf, int *endflag)
{
    return adReadAcisStringn(c, buf, 512, endflag);
}

/* The whole MTEXT text blob, terminated, cut at the capacity. */
long adReadMtextBlock(AdBlobCursor *c, char *buf, long capacity)
{
    if (!c || capacity <= 0) return 0;
    long n = c->blob->total - c->pos;
    if (n > capacity - 1) n = capacity - 1;
    if (!adReadBlobBytesLong(c, buf, n)) return 0;
    buf[n] = '\0';
    return n;
}

/* The arena of the drawing being loaded: the blobs that adbytesblob makes
 * live in it while it is set. */
static ZtArena *g_blobarena = nullptr;

void adsetblobarena(ZtArena *a) { g_blobarena = a; }
ZtArena *adblobarena(void) { return g_blobarena; }

int adbytesput(AdBytes *b, const void *src, size_t n)
{
    if (b->failed) return 0;
    if (n == 0) return 1;
    if (b->n + n > b->cap) {
        size_t ncap = b->cap ? b->cap * 2 : 256;
        while (ncap < b->n + n) ncap *= 2;
        unsigned char *np = static_cast<unsigned char *>(ztmem_realloc(b->p, ncap));
        if (!np) {
            b->failed = 1;
            return 0;
        }
        b->p = np;
        b->cap = ncap;
    }
    std::memcpy(b->p + b->n, src, n);
    b->n += n;
    return 1;
}

AdBlob *adbytesblob(AdBytes *b)
{
    AdBlob *blob = nullptr;
    if (!b->failed && b->n > 0 && g_blobarena) {
        blob = adblobinarena(g_blobarena, b->p, static_cast<long>(b->n));
        if (!blob) b->failed = 1;
    } else if (!b->failed && b->n > 0) {
        blob = adCreateBlobEx(static_cast<uint16_t>(b->n < 4096 ? b->n : 4096));
        AdBlobCursor *c = blob ? adStartBlobWrite(blob) : nullptr;
        bool ok = c && adWriteBlobBytesLong(c, b->p, static_cast<long>(b->n));
        ok = adEndBlobWrite(c) && ok;
        if (!ok) {
            adDeleteBlob(blob);
            blob = nullptr;
            b->failed = 1;
        }
    }
    adbytesfree(b);
    return blob;
}

void adbytesfree(AdBytes *b)
{
    ztmem_free(b->p);
    b->p = nullptr;
    b->n = b->cap = 0;
}

} // extern "C"
