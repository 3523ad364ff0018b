/* Page files: opening and closing, byte transfers split at page boundaries,
 * and the pool of page buffers with its replacement rule. A request advances
 * the tick; every 16th tick halves every buffer's score; a hit adds 128. The
 * victim is found in one pass: a buffer whose score is not above the lowest
 * score seen so far and whose age beats the best age becomes the candidate.
 *
 * Pages beyond the end of the file are zero-filled in their buffer and
 * counted in npages at once; the file grows when such a page is written back
 * (a read of a page that lies in npages but not yet on disk yields zeros),
 * so extending the file costs no extra writes. A dirty victim is written
 * together with the dirty buffers of its neighbouring pages. A miss on the
 * page right after the last pages read from disk, when that read continued
 * the one before it as well, reads the pages after it too, into clean
 * buffers, in one call (a walk of the model reads its page file front to
 * back; a record that merely spans two pages somewhere else starts no
 * run). The statistics dump at close goes through the message manager's
 * output routine. */
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include "kernel/dof/dof.h"
#include "kernel/dof/dof_int.h"
#include "kernel/mpm/mpm_int.h"
#include "kernel/pdx/pdx_int.h"
#include "kernel/ugn/ugn.h"

namespace {

bool full_pwrite(int fd, const unsigned char *p, size_t n, int64_t off)
{
    while (n > 0) {
        ssize_t w = pwrite(fd, p, n, off_t(off));
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        p += w;
        n -= size_t(w);
        off += w;
    }
    return true;
}

/* Moves past `done` bytes of a vector whose first k pieces are done. */
void advance(struct iovec *iov, int n, int &k, size_t done)
{
    while (k < n && done >= iov[k].iov_len) {
        done -= iov[k].iov_len;
        ++k;
    }
    if (k < n && done > 0) {
        iov[k].iov_base = static_cast<unsigned char *>(iov[k].iov_base) + done;
        iov[k].iov_len -= done;
    }
}

/* Fills the buffers of iov from the file at off; what lies beyond the end of
 * the file reads as 0. */
bool full_preadv(int fd, struct iovec *iov, int n, int64_t off)
{
    int k = 0;
    while (k < n) {
        ssize_t r = preadv(fd, iov + k, n - k, off_t(off));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return false;
        if (r == 0) {
            for (; k < n; ++k) std::memset(iov[k].iov_base, 0, iov[k].iov_len);
            return true;
        }
        off += r;
        advance(iov, n, k, size_t(r));
    }
    return true;
}

int32_t write_buffer(DofFile *f, DofBuffer *b)
{
    if (!full_pwrite(f->fd, b->data, size_t(f->page_size), b->page * f->page_size))
        return dof__Error(DOF_WRITE_ERR, f);
    f->pos = (b->page + 1) * f->page_size;
    f->stats.pages_written++;
    b->dirty = 0;
    return 0;
}

/* The buffer holding a page, if it is dirty. */
DofBuffer *dirty_buffer(DofFile *f, int64_t page)
{
    for (int32_t i = 0; i < f->nbuffers; ++i)
        if (f->buffers[i].page == page) return f->buffers[i].dirty ? &f->buffers[i] : nullptr;
    return nullptr;
}

/* Writes a dirty victim together with the dirty buffers of the pages next
 * to it, in one call: sequential writing then costs one call per run of
 * buffered pages instead of one per page. The neighbours stay buffered,
 * clean. */
int32_t write_run(DofFile *f, DofBuffer *victim)
{
    enum { kMaxRun = 64 };
    DofBuffer *run[kMaxRun];
    int64_t first = victim->page;
    int n = 0;
    while (n < kMaxRun / 2 && first > 0 && dirty_buffer(f, first - 1)) {
        --first;
        ++n;
    }
    n = 0;
    for (int64_t p = first; n < kMaxRun; ++p) {
        DofBuffer *b = p == victim->page ? victim : dirty_buffer(f, p);
        if (!b) break;
        run[n++] = b;
    }
    if (n == 1) return write_buffer(f, victim);
    struct iovec iov[kMaxRun];
    for (int k = 0; k < n; ++k) iov[k] = {run[k]->data, size_t(f->page_size)};
    int64_t off = first * f->page_size;
    size_t left = size_t(n) * size_t(f->page_size);
    int k = 0;
    while (left > 0) {
        ssize_t w = pwritev(f->fd, iov + k, n - k, off_t(off));
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return dof__Error(DOF_WRITE_ERR, f);
        left -= size_t(w);
        off += w;
        advance(iov, n, k, size_t(w));
    }
    for (int j = 0; j < n; ++j) run[j]->dirty = 0;
    f->stats.pages_written += n;
    f->pos = off;
    return 0;
}

/* The replacement rule: a buffer whose score is not above the lowest seen so
 * far and whose age beats the best age becomes the candidate. With `clean`,
 * only clean buffers not among the n of `taken` qualify; -1 if none does. */
int32_t pick_victim(const DofFile *f, bool clean, const int32_t *taken, int n)
{
    int32_t victim = clean ? -1 : 0;
    int32_t limit = 32767;
    int64_t best_age = clean ? -1 : 0;
    for (int32_t i = 0; i < f->nbuffers; ++i) {
        const DofBuffer &b = f->buffers[i];
        if (clean && (b.dirty || std::find(taken, taken + n, i) != taken + n)) continue;
        int64_t age = f->tick - b.tick;
        if (b.score <= limit && age > best_age) {
            victim = i;
            limit = b.score;
            best_age = age;
        }
    }
    return victim;
}

bool page_buffered(const DofFile *f, int64_t page)
{
    for (int32_t i = 0; i < f->nbuffers; ++i)
        if (f->buffers[i].page == page) return true;
    return false;
}

/* Reads `page` into the victim's buffer and, when the read continues the
 * last one which continued its own predecessor, the pages after it that are
 * on file and not buffered into clean buffers, all in one call. Read-ahead
 * takes at most a quarter of the pool, and none of a pool under 8 buffers. */
int32_t read_run(DofFile *f, int32_t victim, int64_t page)
{
    enum { kMaxRun = 16 };
    int32_t run[kMaxRun];
    int n = 0;
    run[n++] = victim;
    const bool continues = page == f->next_read;
    int ahead = f->nbuffers >= 8 && continues && f->streak > 0 ? f->nbuffers / 4 : 0;
    if (ahead > kMaxRun - 1) ahead = kMaxRun - 1;
    for (int64_t q = page + 1; ahead > 0 && q < f->npages && !page_buffered(f, q); ++q, --ahead) {
        int32_t extra = pick_victim(f, true, run, n);
        if (extra < 0) break;
        run[n++] = extra;
    }
    struct iovec iov[kMaxRun];
    for (int k = 0; k < n; ++k) {
        f->buffers[run[k]].page = -1;
        iov[k] = {f->buffers[run[k]].data, size_t(f->page_size)};
    }
    if (!full_preadv(f->fd, iov, n, page * f->page_size)) return dof__Error(DOF_READ_ERR, f);
    for (int k = 0; k < n; ++k) {
        DofBuffer &b = f->buffers[run[k]];
        b.page = page + k;
        b.score = 128;
        b.tick = f->tick;
        b.dirty = 0;
    }
    f->stats.pages_read += n;
    f->stats.disk_reads++;
    f->streak = continues ? f->streak + 1 : 0;
    f->next_read = page + n;
    f->pos = f->next_read * f->page_size;
    return 0;
}

void free_file(DofFile *f)
{
    if (!f) return;
    if (f->buffers)
        for (int32_t i = 0; i < f->nbuffers; ++i) std::free(f->buffers[i].data);
    std::free(f->buffers);
    if (f->classes)
        for (int32_t i = 0; i < f->nclasses; ++i) std::free(f->classes[i].slots);
    std::free(f->classes);
    std::free(f->name);
    std::free(f);
}

void dump_stats(const DofFile *f)
{
    const DofStats &s = f->stats;
    mpm_Printf("page file %s: %lld read calls, %lld write calls, %lld pages read in %lld reads, "
               "%lld pages written, %lld page requests, %lld hits, %lld bytes allocated\n",
               f->name ? f->name : "", (long long)s.read_calls, (long long)s.write_calls,
               (long long)s.pages_read, (long long)s.disk_reads, (long long)s.pages_written,
               (long long)s.page_requests, (long long)s.page_hits, (long long)f->end);
    for (int32_t c = 0; c < f->nclasses; ++c)
        mpm_Printf("  class %d (limit %lld): %lld requests, %lld reused, %lld split, "
                   "%lld freed, %d free extents\n",
                   c, (long long)f->classes[c].limit, (long long)f->classes[c].requests,
                   (long long)f->classes[c].reused, (long long)f->classes[c].split,
                   (long long)f->classes[c].freed, f->classes[c].count);
}

} // namespace

extern "C" {

const int64_t dof__flist_sizes[DOF_NCLASSES] = {0, 1};

int32_t dof__Error(int32_t code, const DofFile *file)
{
    return mpm__SetError(0, code, MPM_ERROR, file && file->name ? file->name : "");
}

int32_t dof_Initialize(void)
{
    pdx__RegisterModule(&dof__Module);
    return 0;
}

int32_t dof_Open(int32_t mode, const char *name, int32_t buffers, int32_t page_size, DofFile **out)
{
    if (!out) return dof__Error(DOF_BAD_SLOT, nullptr);
    *out = nullptr;
    if (buffers < 1) buffers = DOF_DEFAULT_BUFFERS;
    if (page_size < 1) page_size = DOF_DEFAULT_PAGE_SIZE;
    DofFile *f = static_cast<DofFile *>(std::calloc(1, sizeof(DofFile)));
    if (!f) return dof__Error(DOF_MALLOC_ERR, nullptr);
    f->fd = -1;
    f->mode = mode;
    f->nbuffers = buffers;
    f->page_size = page_size;
    f->buffers = static_cast<DofBuffer *>(std::calloc(size_t(buffers), sizeof(DofBuffer)));
    if (!f->buffers) {
        free_file(f);
        return dof__Error(DOF_MALLOC_ERR, nullptr);
    }
    for (int32_t i = 0; i < buffers; ++i) {
        f->buffers[i].page = -1;
        f->buffers[i].data = static_cast<unsigned char *>(std::malloc(size_t(page_size)));
        if (!f->buffers[i].data) {
            free_file(f);
            return dof__Error(DOF_MALLOC_ERR, nullptr);
        }
    }
    if (mode & DOF_MODE_BLOCKS) {
        f->nclasses = DOF_NCLASSES;
        f->classes = static_cast<DofClass *>(std::calloc(DOF_NCLASSES, sizeof(DofClass)));
        if (!f->classes) {
            free_file(f);
            return dof__Error(DOF_MALLOC_ERR, nullptr);
        }
        for (int32_t c = 0; c < DOF_NCLASSES; ++c) {
            f->classes[c].limit = dof__flist_sizes[c];
            f->classes[c].per_table = 32;
            f->classes[c].first_free = -1;
            for (int32_t b = 0; b < DOF_BINS; ++b) f->classes[c].bins[b] = -1;
        }
    }

    if (mode & DOF_MODE_TEMP) {
        /* The file holds the drawing: private, and without a name from the
         * start (O_TMPFILE) or from right after its creation, so nothing
         * is left behind whatever ends the process. f->name is the
         * directory, for messages. */
        const char *dir = ugn_TempDirectory();
        if (!dir) {
            free_file(f);
            return dof__Error(DOF_OPEN_ERR, nullptr);
        }
        f->name = strdup(dir);
        if (!f->name) {
            free_file(f);
            return dof__Error(DOF_MALLOC_ERR, nullptr);
        }
        f->fd = open(dir, O_RDWR | O_TMPFILE | O_EXCL | O_CLOEXEC, 0600);
        for (int attempt = 0; f->fd < 0 && attempt < 100; ++attempt) {
            /* File systems without O_TMPFILE: a fresh name, removed at once. */
            const char *tmp = ugn_TempFile();
            if (!tmp) break;
            const bool tracked = ugn_TrackFile(tmp) == 0;
            f->fd = open(tmp, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            const int error = errno;
            if (f->fd >= 0) unlink(tmp);
            if (tracked) ugn_UntrackFile(tmp);
            if (f->fd < 0 && error != EEXIST) break;
        }
        if (f->fd < 0) {
            char where[PATH_MAX + 64];
            snprintf(where, sizeof where, "%s/<page file> (%s)", dir, strerror(errno));
            int32_t code = mpm__SetError(0, DOF_OPEN_ERR, MPM_ERROR, where);
            free_file(f);
            return code;
        }
    } else {
        if (!name || !*name) {
            free_file(f);
            return dof__Error(DOF_OPEN_ERR, nullptr);
        }
        f->name = strdup(name);
        if (!f->name) {
            free_file(f);
            return dof__Error(DOF_MALLOC_ERR, nullptr);
        }
        int flags = O_CLOEXEC;
        if (mode & DOF_MODE_READONLY)
            flags |= O_RDONLY;
        else if (mode & DOF_MODE_EXISTING)
            flags |= O_RDWR;
        else
            flags |= O_RDWR | O_CREAT | O_TRUNC;
        f->fd = open(name, flags, 0666);
        if (f->fd < 0) {
            int32_t code = dof__Error(DOF_OPEN_ERR, f);
            free_file(f);
            return code;
        }
        struct stat st;
        if (fstat(f->fd, &st) == 0 && st.st_size > 0) {
            f->npages = (int64_t(st.st_size) + page_size - 1) / page_size;
            f->end = int64_t(st.st_size);
        }
    }
    *out = f;
    return 0;
}

int32_t dof_Close(int32_t options, DofFile *f)
{
    (void)options;
    if (!f) return dof__Error(DOF_BAD_SLOT, nullptr);
    int32_t status = 0;
    if (f->mode & DOF_MODE_STATS) dump_stats(f);
    if (!(f->mode & (DOF_MODE_TEMP | DOF_MODE_READONLY)))
        for (int32_t i = 0; i < f->nbuffers; ++i)
            if (f->buffers[i].dirty && !status) status = write_buffer(f, &f->buffers[i]);
    if (f->fd >= 0 && close(f->fd) != 0 && !status) status = dof__Error(DOF_CLOSE_ERR, f);
    free_file(f);
    return status;
}

int32_t dof_FlushPage(DofFile *f, DofBuffer *b)
{
    if (!f || !b) return dof__Error(DOF_BAD_SLOT, f);
    if (!b->dirty || b->page < 0) return 0;
    return write_buffer(f, b);
}

int32_t dof_GetPage(DofFile *f, int64_t page, DofBuffer **out)
{
    if (!f || !out) return dof__Error(DOF_BAD_SLOT, f);
    if (page < 0) return dof__Error(DOF_BAD_OFFSET, f);
    f->stats.page_requests++;
    f->tick++;
    if ((f->tick & 15) == 0)
        for (int32_t i = 0; i < f->nbuffers; ++i) f->buffers[i].score >>= 1;

    DofBuffer *hit = nullptr;
    if (f->buffers[f->last].page == page) {
        hit = &f->buffers[f->last];
    } else if (page < f->npages) {
        for (int32_t i = 0; i < f->nbuffers; ++i)
            if (f->buffers[i].page == page) {
                hit = &f->buffers[i];
                f->last = i;
                break;
            }
    }
    if (hit) {
        hit->score += 128;
        hit->tick = f->tick;
        f->stats.page_hits++;
        *out = hit;
        return 0;
    }

    int32_t victim = pick_victim(f, false, nullptr, 0);
    DofBuffer *b = &f->buffers[victim];
    if (b->dirty) {
        int32_t status = write_run(f, b);
        if (status) return status;
    }
    b->page = -1;
    if (page < f->npages) {
        int32_t status = read_run(f, victim, page);
        if (status) return status;
    } else {
        std::memset(b->data, 0, size_t(f->page_size));
        f->npages = page + 1;
        b->page = page;
        b->score = 128;
        b->tick = f->tick;
        b->dirty = 0;
    }
    f->last = victim;
    *out = b;
    return 0;
}

int32_t dof_ReadWrite(int32_t write, DofFile *f, int64_t count, int64_t offset, void *buffer)
{
    if (!f || (!buffer && count > 0)) return dof__Error(DOF_BAD_SLOT, f);
    if (offset < 0 || count < 0) return dof__Error(DOF_BAD_OFFSET, f);
    if (write) {
        if (f->mode & DOF_MODE_READONLY) return dof__Error(DOF_WRITE_ERR, f);
        f->stats.write_calls++;
    } else {
        f->stats.read_calls++;
    }
    unsigned char *p = static_cast<unsigned char *>(buffer);
    const int64_t ps = f->page_size;
    while (count > 0) {
        int64_t page = offset / ps;
        int64_t within = offset - page * ps;
        int64_t piece = ps - within < count ? ps - within : count;
        DofBuffer *b;
        int32_t status = dof_GetPage(f, page, &b);
        if (status) return status;
        if (write) {
            std::memcpy(b->data + within, p, size_t(piece));
            b->dirty = 1;
        } else {
            std::memcpy(p, b->data + within, size_t(piece));
        }
        p += piece;
        offset += piece;
        count -= piece;
    }
    return 0;
}

} // extern "C"
