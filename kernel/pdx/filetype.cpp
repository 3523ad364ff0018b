/* File-type detection: tells the neutral format of a file from its first 160
 * bytes (the IGES column test) and from its first words (keywords of STEP,
 * VDAFS, saved models, DXF, DWG and ACIS files), then fills the descriptor
 * of the type found. Only a regular file is read (it is opened without
 * blocking, so a pipe or a device is refused at once), and only its first
 * kScanLimit bytes: a file that shows no keyword there is of no known type,
 * however long it is.
 *
 * The word reader serves the file in 160-byte chunks, a short last chunk
 * padded with blanks. A word is a run of letters, digits and ";-_{}"; white
 * space and every other character end it; a single-quoted string is kept
 * whole inside a word and a comment from slash-star to star-slash is skipped.
 * A longer word than 119 characters keeps its first 119. */
#include "kernel/pdx/pdx_int.h"

#include <charconv>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "kernel/mpm/mpm_int.h"

namespace {

constexpr int kChunk = 160;
constexpr int kWordMax = 119;
constexpr int kEndOfFile = 0xFFFE;
constexpr long kScanLimit = 64 * 1024;

class WordReader {
public:
    explicit WordReader(int fd) : fd_(fd) {}

    /* Reads the next word into w (kWordMax + 1 bytes); 0, or kEndOfFile when
     * the file ended before a word began. */
    int Next(char *w)
    {
        int n = 0;
        for (;;) {
            int c = Get();
            if (c < 0) break;
            if (c == '/') {
                int d = Get();
                if (d == '*') {
                    SkipComment();
                    if (n > 0) break;
                    continue;
                }
                Unget(d);
                if (n > 0) break;
                continue;
            }
            if (c == '\'') {
                Append(w, &n, c);
                while ((c = Get()) >= 0) {
                    Append(w, &n, c);
                    if (c == '\'') break;
                }
                continue;
            }
            if (IsWordChar(c)) {
                Append(w, &n, c);
                continue;
            }
            if (n > 0) break;
        }
        w[n] = '\0';
        return n > 0 ? 0 : kEndOfFile;
    }

    bool failed() const { return failed_; }

private:
    static bool IsWordChar(int c)
    {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ';' ||
               c == '-' || c == '_' || c == '{' || c == '}';
    }

    static void Append(char *w, int *n, int c)
    {
        if (*n < kWordMax) w[(*n)++] = static_cast<char>(c);
    }

    int Get()
    {
        if (pushed_ >= 0) {
            int c = pushed_;
            pushed_ = -1;
            return c;
        }
        if (pos_ >= len_ && !Fill()) return -1;
        return buf_[pos_++];
    }

    void Unget(int c) { pushed_ = c; }

    void SkipComment()
    {
        int prev = 0, c;
        while ((c = Get()) >= 0) {
            if (prev == '*' && c == '/') return;
            prev = c;
        }
    }

    bool Fill()
    {
        if (eof_ || scanned_ >= kScanLimit) return false;
        int got = 0;
        while (got < kChunk) {
            ssize_t r = read(fd_, buf_ + got, size_t(kChunk - got));
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0) {
                if (r < 0) failed_ = true;
                eof_ = true;
                break;
            }
            got += int(r);
        }
        if (got == 0) return false;
        scanned_ += got;
        memset(buf_ + got, ' ', size_t(kChunk - got));
        len_ = kChunk;
        pos_ = 0;
        return true;
    }

    int fd_;
    unsigned char buf_[kChunk];
    int len_ = 0;
    int pos_ = 0;
    int pushed_ = -1;
    bool eof_ = false;
    bool failed_ = false;
    long scanned_ = 0;
};

/* Reads up to n bytes from the start of the file; -1 on a read error. */
ssize_t read_start(int fd, unsigned char *buf, size_t n)
{
    if (lseek(fd, 0, SEEK_SET) != 0) return -1;
    size_t got = 0;
    while (got < n) {
        ssize_t r = read(fd, buf + got, n - got);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return -1;
        if (r == 0) break;
        got += size_t(r);
    }
    return ssize_t(got);
}

int iges_type(const unsigned char *first)
{
    unsigned char c = first[72];
    if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
    const unsigned char next = first[73];
    if (c == 'S' || c == 'G') {
        if (next == '\n' || ((next == '0' || next == ' ') && (first[79] == '1' || first[79] == '2')))
            return PDX_FILE_IGES;
    } else if (c == 'C') {
        if (memcmp(first + 71, "ACIS", 4) != 0) return PDX_FILE_IGES_COMPRESSED;
    } else if (c == 'B') {
        return PDX_FILE_IGES_BINARY;
    }
    return PDX_FILE_UNKNOWN;
}

/* The first line end of the file: its characters, the length of the line
 * before it, and whether it is a run of 3 or more characters. */
bool examine_line_end(int fd, PdxLineEndInfo *ends, int32_t *line_length)
{
    unsigned char buf[4096];
    ssize_t n = read_start(fd, buf, sizeof buf);
    if (n <= 0) return true;
    ssize_t i = 0;
    while (i < n && buf[i] != '\r' && buf[i] != '\n') ++i;
    if (i == n) return true;
    if (line_length) *line_length = int32_t(i);
    int len = 0;
    while (i + len < n && buf[i + len] == '\r') ++len;
    if (i + len < n && buf[i + len] == '\n') ++len;
    ends->length = len;
    for (int k = 0; k < len && k < 4; ++k) ends->chars[k] = char(buf[i + k]);
    return len < 3;
}

int32_t to_int(const char *w)
{
    int32_t v = 0;
    std::from_chars(w, w + strlen(w), v);
    return v;
}

void read_model_info(WordReader &words, PdxModelFileInfo *info)
{
    char w[kWordMax + 1];
    if (words.Next(w) != 0) return;
    info->number = to_int(w);
    if (words.Next(w) != 0) return;
    snprintf(info->name, sizeof info->name, "%s", w);
    if (words.Next(w) != 0) return;
    info->first = to_int(w);
    if (words.Next(w) != 0) return;
    info->second = to_int(w);
}

void read_step_schema(WordReader &words, PdxStepFileInfo *info)
{
    char w[kWordMax + 1];
    while (words.Next(w) == 0) {
        if (strcmp(w, "ENDSEC;") == 0 || strcmp(w, "DATA;") == 0) return;
        if (strcmp(w, "FILE_SCHEMA") != 0) continue;
        info->found = 1;
        size_t used = 0;
        while (words.Next(w) == 0) {
            if (strchr(w, ';') || strcmp(w, "ENDSEC") == 0) return;
            char *name = w;
            size_t len = strlen(name);
            if (len >= 2 && name[0] == '\'' && name[len - 1] == '\'') {
                name[len - 1] = '\0';
                ++name;
                len -= 2;
            }
            if (len == 0 || used + len + 2 > sizeof info->schema) continue;
            if (used) info->schema[used++] = ' ';
            memcpy(info->schema + used, name, len);
            used += len;
        }
        return;
    }
}

size_t descriptor_size(int type)
{
    switch (type) {
    case PDX_FILE_SAT:
    case PDX_FILE_DXF:
    case PDX_FILE_DXF_BINARY:
    case PDX_FILE_DWG: return 4;
    case PDX_FILE_IGES:
    case PDX_FILE_IGES_COMPRESSED:
    case PDX_FILE_IGES_BINARY: return sizeof(PdxIgesFileInfo);
    case PDX_FILE_MODEL: return sizeof(PdxModelFileInfo);
    case PDX_FILE_STEP: return sizeof(PdxStepFileInfo);
    case PDX_FILE_VDAFS: return sizeof(PdxLineEndInfo);
    default: return 0;
    }
}

/* The word scan: the type found, and the first number of an ACIS text file. */
int scan_words(WordReader &words, int type, const char *first_line, int32_t *first_number)
{
    char word[kWordMax + 1];
    char prev[kWordMax + 1] = "";
    for (int count = 1; words.Next(word) == 0; ++count) {
        if (strcmp(word, "ISO-10303-21;") == 0) return PDX_FILE_STEP;
        if (type == PDX_FILE_UNKNOWN && strstr(word, "VDAFS")) return PDX_FILE_VDAFS;
        if (count <= 5 && type != PDX_FILE_IGES &&
            (strcmp(word, "HEADER") == 0 || strcmp(word, "header") == 0))
            type = PDX_FILE_VDAFS;
        if (type == PDX_FILE_VDAFS && count >= 100) return type;
        if (strcmp(word, "BEGIN_MODEL") == 0) return PDX_FILE_MODEL;
        if (strcmp(prev, "0") == 0 && strcmp(word, "SECTION") == 0) return PDX_FILE_DXF;
        if (strcmp(prev, "AutoCAD") == 0 && strcmp(word, "Binary") == 0) return PDX_FILE_DXF_BINARY;
        if (strncmp(word, "AC10", 4) == 0) return PDX_FILE_DWG;
        if (count == 5 && type == PDX_FILE_UNKNOWN) {
            int a, b, c, d;
            if (sscanf(first_line, "%d %d %d %d", &a, &b, &c, &d) == 4) {
                *first_number = a;
                return PDX_FILE_SAT;
            }
        }
        if (count == 2 && strncmp(prev, "ACIS", 4) == 0 && strcmp(word, "BinaryFile") == 0)
            return PDX_FILE_SAB;
        if (count == 20 && type >= PDX_FILE_IGES && type <= PDX_FILE_IGES_BINARY) return type;
        memcpy(prev, word, sizeof prev);
    }
    return type;
}

/* What a path names when it is not a regular file. */
const char *kind_of(mode_t mode)
{
    if (S_ISDIR(mode)) return "a directory";
    if (S_ISFIFO(mode)) return "a pipe";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    return "no regular file";
}

} // namespace

extern "C" {

int pdx_GetFileType(int options, const char *path, int *type, void **descriptor)
{
    int found = PDX_FILE_UNKNOWN;
    if (type) *type = found;
    if (descriptor) *descriptor = nullptr;
    if (!path || !*path) return mpm__SetError(0, PDX_BAD_FILENAME, MPM_ERROR);

    /* Without O_NONBLOCK, opening a pipe would wait for a writer. */
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return mpm__SetError(0, PDX_NOT_FOUND, MPM_ERROR, path);
        return mpm__SetError(0, PDX_OPEN_ERROR, MPM_ERROR, path);
    }
    struct stat st;
    if (fstat(fd, &st) != 0) {
        close(fd);
        return mpm__SetError(0, PDX_READ_ERROR, MPM_ERROR, path);
    }
    if (!S_ISREG(st.st_mode)) {
        close(fd);
        return mpm__SetError(0, PDX_NOT_REGULAR_FILE, MPM_ERROR, path, kind_of(st.st_mode));
    }

    unsigned char first[kChunk + 1];
    ssize_t n = read_start(fd, first, kChunk);
    if (n < 0) {
        close(fd);
        return mpm__SetError(0, PDX_READ_ERROR, MPM_ERROR, path);
    }
    memset(first + n, ' ', size_t(kChunk - n));
    first[kChunk] = '\0';
    if (n > 0) found = iges_type(first);

    int32_t first_number = 0;
    lseek(fd, 0, SEEK_SET);
    WordReader words(fd);
    found = scan_words(words, found, reinterpret_cast<const char *>(first), &first_number);

    int status = 0;
    void *info = nullptr;
    size_t size = descriptor_size(found);
    if (size > 0) {
        info = calloc(1, size);
        if (!info) status = mpm__SetError(0, PDX_EXC_MEMORY, MPM_FATAL);
    }
    if (info) {
        switch (found) {
        case PDX_FILE_SAT: memcpy(info, &first_number, sizeof first_number); break;
        case PDX_FILE_STEP: read_step_schema(words, static_cast<PdxStepFileInfo *>(info)); break;
        case PDX_FILE_MODEL: read_model_info(words, static_cast<PdxModelFileInfo *>(info)); break;
        case PDX_FILE_IGES:
        case PDX_FILE_IGES_COMPRESSED:
        case PDX_FILE_IGES_BINARY: {
            PdxIgesFileInfo *iges = static_cast<PdxIgesFileInfo *>(info);
            if (!examine_line_end(fd, &iges->ends, &iges->line_length))
                status = mpm__SetError(0, PDX_BAD_EOL_DELIM, MPM_ERROR);
            break;
        }
        case PDX_FILE_VDAFS:
            if (!examine_line_end(fd, static_cast<PdxLineEndInfo *>(info), nullptr))
                status = mpm__SetError(0, PDX_BAD_EOL_DELIM, MPM_ERROR);
            break;
        default: break;
        }
    }

    if (close(fd) != 0 && status == 0) status = mpm__SetError(0, PDX_CLOSE_ERROR, MPM_ERROR, path);
    if (status == 0 && found == PDX_FILE_UNKNOWN && !(options & PDX_TYPE_UNKNOWN_IS_NO_ERROR))
        status = mpm__SetError(0, PDX_UNKNOWN_FILETYPE, MPM_ERROR, path);
    if (type) *type = found;
    if (status != 0 || !descriptor) {
        free(info);
        info = nullptr;
    }
    if (descriptor) *descriptor = info;
    return status;
}

int pdx_Free(int options, void *descriptor)
{
    (void)options;
    free(descriptor);
    return 0;
}

} // extern "C"
