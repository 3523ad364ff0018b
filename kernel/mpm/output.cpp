/* Printing: word wrapping and justification of message texts, the output
 * routine hook and the log stream. The manager itself never writes to a
 * stream except in mpm_Fprintf, whose caller names the stream; everything
 * else reaches the host only through the output routine it installs. */
#include "kernel/mpm/mpm_int.h"

#include <stdlib.h>
#include <string.h>

extern "C" char *mpm__Buffer;

namespace {

char g_fallback[MPM_BUFFER_SIZE];

/* Collects one output line in the message buffer and hands it on in pieces
 * of at most MPM_LINE_PIECE bytes. */
struct LineWriter {
    int options;
    FILE *stream;
    char *buf;
    size_t len = 0;

    LineWriter(int o, FILE *s) : options(o), stream(s), buf(mpm__Buffer ? mpm__Buffer : g_fallback) {}
    void flush()
    {
        if (len == 0) return;
        buf[len] = '\0';
        mpm__PutString(options, buf, stream);
        len = 0;
    }
    void put(char c)
    {
        if (len == MPM_LINE_PIECE) flush();
        buf[len++] = c;
    }
    void put(const char *s, size_t n)
    {
        while (n > 0) {
            if (len == MPM_LINE_PIECE) flush();
            size_t k = MPM_LINE_PIECE - len < n ? MPM_LINE_PIECE - len : n;
            memcpy(buf + len, s, k);
            len += k;
            s += k;
            n -= k;
        }
    }
    void spaces(long n)
    {
        for (; n > 0; --n) put(' ');
    }
};

void emit_line(LineWriter &w, const char *s, size_t n, long width, bool line_break)
{
    long margin = mpm__LeftMargin > 0 ? mpm__LeftMargin : 0;
    long indent = margin;
    if (width > 0 && (long)n < width) {
        if (mpm__Justify == 2)
            indent = margin + width - (long)n;
        else if (mpm__Justify == 3)
            indent = margin + (width - (long)n) / 2;
    }
    if (n == 0 && !line_break) return;
    w.spaces(indent);
    w.put(s, n);
    if (line_break) w.put('\n');
    w.flush();
}

} // namespace

extern "C" {

void mpm__PutString(int options, const char *line, FILE *stream)
{
    if (!mpm__Output) return;
    if (!(options & MPM_OPT_NO_OUTPUT)) mpm__Output(line, stream);
    if (!(options & MPM_OPT_NO_LOG) && mpm__Stream) mpm__Output(line, mpm__Stream);
}

void mpm__IssueMessage(int options, FILE *stream, char *text)
{
    if (!text) return;
    options |= mpm__Option;
    long width = (long)mpm__LineWidth - mpm__LeftMargin - mpm__RightMargin;
    LineWriter w(options, stream);
    const char *p = text;
    for (;;) {
        const char *nl = strchr(p, '\n');
        bool last = nl == nullptr;
        size_t left = last ? strlen(p) : (size_t)(nl - p);
        const char *seg = p;
        do {
            size_t cut = left, skip = 0;
            if (width > 0 && left > (size_t)width) {
                cut = (size_t)width;
                for (size_t b = (size_t)width; b > 0; --b) {
                    if (seg[b] == ' ') {
                        cut = b;
                        skip = 1;
                        break;
                    }
                }
            }
            bool final_piece = last && cut + skip >= left;
            emit_line(w, seg, cut, width, !(final_piece && (options & MPM_OPT_NO_FINAL_BREAK)));
            seg += cut + skip;
            left -= cut + skip;
        } while (left > 0);
        if (last) break;
        p = nl + 1;
    }
    free(text);
}

int mpm_Printf(const char *format, ...)
{
    va_list ap;
    va_start(ap, format);
    char *text = mpm__FormatMessage(0, format, 1, &ap);
    va_end(ap);
    if (!text) return -1;
    int n = (int)strlen(text);
    mpm__PutString(mpm__Option, text, stdout);
    free(text);
    return n;
}

int mpm_Fprintf(FILE *stream, const char *format, ...)
{
    if (!stream) return -1;
    va_list ap;
    va_start(ap, format);
    char *text = mpm__FormatMessage(0, format, 1, &ap);
    va_end(ap);
    if (!text) return -1;
    int n = (int)strlen(text);
    fputs(text, stream);
    fflush(stream);
    free(text);
    return n;
}

MpmOutputRoutine mpm_SetOutputRoutine(MpmOutputRoutine routine)
{
    MpmOutputRoutine old = mpm__Output;
    mpm__Output = routine;
    return old;
}

int mpm_OpenLog(int options, const char *path)
{
    mpm_CloseLog();
    FILE *f = path ? fopen(path, "w") : nullptr;
    if (!f) return mpm__SetError(options, MPM_OPENERROR, MPM_ERROR, path ? path : "(null)");
    mpm__Stream = f;
    return 0;
}

int mpm_CloseLog(void)
{
    if (!mpm__Stream) return 0;
    int r = fclose(mpm__Stream);
    mpm__Stream = nullptr;
    return r == 0 ? 0 : mpm__SetError(0, MPM_CLOSEERROR, MPM_ERROR);
}

} // extern "C"
