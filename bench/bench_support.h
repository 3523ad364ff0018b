/* What the benchmark programs share: a clock, file sizes, the process's peak
 * resident memory, a runner that measures work in a child process of its
 * own, the plain pair-splitting loops the readers are compared with, and a
 * writer of DXF group-code pairs (ASCII, or binary with 2-byte codes) with
 * the drawing several benchmarks read: a million LINE entities on layer
 * "0", 13 million pairs. */
#ifndef VYR_BENCH_BENCH_SUPPORT_H
#define VYR_BENCH_BENCH_SUPPORT_H

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "toolkit/dxf/dxf_int.h"

namespace vyrbench {

/* Seconds of a steady clock. */
inline double Now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

/* Bytes of a file; 0 when it cannot be opened. */
inline long FileSize(const std::string &path)
{
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) return 0;
    std::fseek(f, 0, SEEK_END);
    const long n = std::ftell(f);
    std::fclose(f);
    return n;
}

/* The peak resident memory of this process so far, in MiB. */
inline double PeakRssMB()
{
    struct rusage ru;
    getrusage(RUSAGE_SELF, &ru);
    return double(ru.ru_maxrss) / 1024.0;
}

/* Runs work() in a child process and returns the Report it made (a plain
 * record with a field peakKiB), with peakKiB set to the child's peak
 * resident memory. A child that reports nothing gives a default Report. */
template <class Report, class Work> Report InChild(Work work)
{
    int fds[2];
    if (::pipe(fds) != 0) std::abort();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        Report r = work();
        if (::write(fds[1], &r, sizeof r) != static_cast<ssize_t>(sizeof r)) ::_exit(1);
        ::_exit(0);
    }
    ::close(fds[1]);
    Report r;
    if (::read(fds[0], &r, sizeof r) != static_cast<ssize_t>(sizeof r)) r = Report();
    ::close(fds[0]);
    int status = 0;
    struct rusage usage;
    ::wait4(pid, &status, 0, &usage);
    r.peakKiB = usage.ru_maxrss;
    return r;
}

/* Group codes of real and of integer values. */
inline bool IsRealCode(unsigned c)
{
    return (c >= 10 && c <= 59) || (c >= 110 && c <= 149) || (c >= 210 && c <= 239) ||
           (c >= 1010 && c <= 1059);
}
inline bool IsIntCode(unsigned c)
{
    return (c >= 60 && c <= 79) || (c >= 90 && c <= 99) || (c >= 170 && c <= 179) || (c >= 270 && c <= 299) ||
           (c >= 370 && c <= 389) || (c >= 400 && c <= 409) || (c >= 1060 && c <= 1071);
}

/* The plain loop the pair readers are measured against: fgets of the code
 * and value lines through a 1 MiB stdio buffer, strtol of the code and
 * strtod/strtol of every numeric value, added to *sum and *isum. Returns
 * the number of pairs. */
inline long PlainAsciiPairs(const std::string &path, double *sum, long *isum)
{
    static char vbuf[1 << 20];
    char code[256], value[4096];
    long pairs = 0;
    FILE *f = std::fopen(path.c_str(), "rb");
    std::setvbuf(f, vbuf, _IOFBF, sizeof vbuf);
    while (std::fgets(code, sizeof code, f) && std::fgets(value, sizeof value, f)) {
        unsigned c = static_cast<unsigned>(std::strtol(code, nullptr, 10));
        ++pairs;
        if (IsRealCode(c))
            *sum += std::strtod(value, nullptr);
        else if (IsIntCode(c))
            *isum += std::strtol(value, nullptr, 10);
    }
    std::fclose(f);
    return pairs;
}

/* The plain loop over binary DXF: fread of the 2-byte code and of the value
 * by its kind (reals added to *sum), texts read up to their zero byte. */
inline long PlainBinaryPairs(const std::string &path, double *sum)
{
    static char vbuf[1 << 20];
    long pairs = 0;
    FILE *f = std::fopen(path.c_str(), "rb");
    std::setvbuf(f, vbuf, _IOFBF, sizeof vbuf);
    std::fseek(f, 22, SEEK_SET);
    unsigned char cb[2];
    while (std::fread(cb, 1, 2, f) == 2) {
        unsigned c = cb[0] | cb[1] << 8;
        ++pairs;
        if (IsRealCode(c)) {
            double v;
            if (std::fread(&v, 1, 8, f) != 8) break;
            *sum += v;
        } else if (c >= 60 && c <= 79) {
            short s;
            if (std::fread(&s, 1, 2, f) != 2) break;
        } else {
            int ch;
            while ((ch = getc_unlocked(f)) > 0) {}
            if (ch < 0) break;
        }
    }
    std::fclose(f);
    return pairs;
}

/* Opens a file for writing through a 1 MiB buffer; aborts when it cannot. */
inline FILE *OpenForWriting(const std::string &path)
{
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    static char buffer[1 << 20];
    std::setvbuf(f, buffer, _IOFBF, sizeof buffer);
    return f;
}

/* Writes group-code pairs given as text; in binary, codes 60-79 become
 * 16-bit and 90-99 32-bit integers, reals 8-byte doubles, the rest texts
 * ending in a zero byte. The binary file's sentinel comes first. */
struct DxfWriter {
    FILE *f;
    bool binary;
    char t[64];

    DxfWriter(FILE *file, bool bin) : f(file), binary(bin), t()
    {
        if (binary) std::fwrite("AutoCAD Binary DXF\r\n\x1a", 1, 22, f);
    }
    void pair(unsigned code, const char *text)
    {
        if (!binary) {
            std::fprintf(f, "%3u\n%s\n", code, text);
            return;
        }
        std::fputc(static_cast<int>(code & 0xFF), f);
        std::fputc(static_cast<int>(code >> 8), f);
        if (IsRealCode(code)) {
            unsigned char b[8];
            double2buf(std::strtod(text, nullptr), b);
            std::fwrite(b, 1, 8, f);
        } else if (code >= 60 && code <= 79) {
            unsigned char b[2];
            short2buf(static_cast<int16_t>(std::strtol(text, nullptr, 10)), b);
            std::fwrite(b, 1, 2, f);
        } else if (code >= 90 && code <= 99) {
            unsigned char b[4];
            long2buf(static_cast<int32_t>(std::strtol(text, nullptr, 10)), b);
            std::fwrite(b, 1, 4, f);
        } else {
            std::fputs(text, f);
            std::fputc(0, f);
        }
    }
    void num(unsigned code, double v)
    {
        std::snprintf(t, sizeof t, "%.6f", v);
        pair(code, t);
    }
    void integer(unsigned code, long v)
    {
        std::snprintf(t, sizeof t, "%ld", v);
        pair(code, t);
    }
    /* An entity's start: its kind, handle, owner (the model space block
     * record "1F"), layer and, when given, the subclass after AcDbEntity. */
    void entity(const char *kind, long handle, const char *layer, const char *subclass)
    {
        pair(0, kind);
        std::snprintf(t, sizeof t, "%lX", handle);
        pair(5, t);
        pair(330, "1F");
        pair(100, "AcDbEntity");
        pair(8, layer);
        if (subclass) pair(100, subclass);
    }
    void close() { std::fclose(f); }
};

/* The million-line drawing: a header naming AC1015, then a million LINE
 * entities (handles from 100 on, colour 7) in the ENTITIES section. */
inline void WriteMillionLines(const std::string &path, bool binary, int count = 1000000)
{
    DxfWriter o(OpenForWriting(path), binary);
    o.pair(0, "SECTION");
    o.pair(2, "HEADER");
    o.pair(9, "$ACADVER");
    o.pair(1, "AC1015");
    o.pair(0, "ENDSEC");
    o.pair(0, "SECTION");
    o.pair(2, "ENTITIES");
    for (int i = 0; i < count; ++i) {
        o.entity("LINE", 0x100 + i, "0", nullptr);
        o.pair(62, "7");
        o.pair(100, "AcDbLine");
        const double x = i * 0.125, y = 1000.0 - i * 0.0625;
        o.num(10, x);
        o.num(20, y);
        o.pair(30, "0.0");
        o.num(11, x + 12.5);
        o.num(21, y - 7.25);
        o.pair(31, "0.0");
    }
    o.pair(0, "ENDSEC");
    o.pair(0, "EOF");
    o.close();
}

} // namespace vyrbench

#endif
