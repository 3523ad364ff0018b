/* Buffered reading of drawing files. A stream reads the file in blocks of
 * ZTIOR_BUFSIZE bytes with read(2); callers take characters from the window
 * [cur, end) and call ztior_fill only when it is empty. Seeking inside the
 * buffered block only moves the cursor, so the scan pass's step-backs and the
 * load pass's seeks to recorded positions cost no system call.
 * Invariant: buf <= cur <= end <= buf + cap, and bufpos + (end - buf) is the
 * file offset of the next read(2). */
#include "toolkit/zt/zt.h"

#include <cassert>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

extern "C" {

ZtStream *ztior_open(const char *path)
{
    if (!path || !*path) return nullptr;
    /* Opened without blocking, so that a pipe without a writer is refused
     * below instead of holding the load; for a regular file the flag
     * changes nothing. */
    int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    ZtStream *s = static_cast<ZtStream *>(std::calloc(1, sizeof(ZtStream)));
    unsigned char *buf = static_cast<unsigned char *>(std::malloc(ZTIOR_BUFSIZE));
    if (!s || !buf) {
        std::free(s);
        std::free(buf);
        ::close(fd);
        return nullptr;
    }
    s->fd = fd;
    s->buf = buf;
    s->cap = ZTIOR_BUFSIZE;
    s->cur = s->end = buf;
    s->bufpos = 0;
    s->length = st.st_size;
    return s;
}

void ztior_close(ZtStream *s)
{
    if (!s) return;
    ::close(s->fd);
    std::free(s->buf);
    std::free(s);
}

int ztior_fill(ZtStream *s)
{
    assert(s->cur == s->end);
    s->bufpos += s->end - s->buf;
    s->cur = s->end = s->buf;
    for (;;) {
        ssize_t n = ::read(s->fd, s->buf, s->cap);
        if (n > 0) {
            s->end = s->buf + n;
            return 1;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) s->error = 1;
        s->eof = 1;
        return 0;
    }
}

int ztior_read(ZtStream *s, void *dst, size_t n, size_t *got)
{
    unsigned char *d = static_cast<unsigned char *>(dst);
    size_t done = 0;
    while (done < n) {
        if (s->cur == s->end && !ztior_fill(s)) break;
        size_t k = static_cast<size_t>(s->end - s->cur);
        if (k > n - done) k = n - done;
        std::memcpy(d + done, s->cur, k);
        s->cur += k;
        done += k;
    }
    if (got) *got = done;
    return done == n;
}

int ztior_seek(ZtStream *s, int64_t pos)
{
    if (pos < 0) return -1;
    s->eof = 0;
    if (pos >= s->bufpos && pos <= s->bufpos + (s->end - s->buf)) {
        s->cur = s->buf + (pos - s->bufpos);
        return 0;
    }
    if (::lseek(s->fd, static_cast<off_t>(pos), SEEK_SET) < 0) return -1;
    s->bufpos = pos;
    s->cur = s->end = s->buf;
    return 0;
}

int ztior_skip(ZtStream *s, int64_t n) { return ztior_seek(s, ztior_tell(s) + n); }

int ztior_ungetc(ZtStream *s)
{
    if (s->cur > s->buf) {
        --s->cur;
        s->eof = 0;
        return 1;
    }
    return ztior_seek(s, ztior_tell(s) - 1) == 0;
}

int64_t ztior_tell(const ZtStream *s) { return s->bufpos + (s->cur - s->buf); }
int64_t ztior_length(const ZtStream *s) { return s->length; }
int ztior_feof(const ZtStream *s) { return s->eof; }

int ztior_atend(ZtStream *s)
{
    if (s->cur < s->end) return 0;
    return !ztior_fill(s);
}

/* One physical line, its line end included, like fgets with CR, LF, CR LF and
 * LF CR all ending a line. Null at end of file or for a zero capacity. */
char *ztior_fgetdxfline(char *buf, size_t capacity, ZtStream *s)
{
    if (capacity == 0) return nullptr;
    size_t n = 0;
    int c = 0;
    while (n + 1 < capacity) {
        c = ztior_getc(s);
        if (c < 0) break;
        buf[n++] = static_cast<char>(c);
        if (c == '\r' || c == '\n') {
            int d = ztior_getc(s);
            if (d >= 0 && !((c == '\r' && d == '\n') || (c == '\n' && d == '\r'))) ztior_ungetc(s);
            break;
        }
    }
    if (n == 0 && c < 0) return nullptr;
    buf[n] = '\0';
    return buf;
}

} // extern "C"
