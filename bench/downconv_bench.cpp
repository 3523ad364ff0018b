/* Speed and memory of the down-converter beside the toolkit's load of the
 * same drawing. The benchmark writes drawings of release AC1027 into a
 * temporary directory, removed at the end, each when a benchmark first
 * needs it: a million LINE entities as in the reader benchmark's drawing,
 * every tenth with a true colour (420) that the converter drops, and every
 * hundredth entity a TEXT in UTF-8 (Latin, Greek, Cyrillic) that it rewrites
 * in the drawing's code page, as ASCII and as binary DXF; and the same
 * drawing with a tenth of the entities, to show that the converter's memory
 * does not grow with the file. Measured: the program RozOzoRoruveziz run as
 * the library runs it (header scan, conversion, fsync and rename); the
 * conversion alone (DxfDownConverter) in-process; and the toolkit's
 * adLoadFile of the converted AC1015 drawing (what the library does next).
 * Every run happens in a child process, so that its peak resident memory is
 * its own; reported: wall time, MB/s of input, peak resident memory, and
 * the run's CPU time (user and system), which on a busy shared machine
 * compares the programs better than the wall time. */
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "bench/bench_support.h"
#include "toolkit/ad/ad.h"
#include "tools/downconv/DxfDownConverter.h"

namespace {

std::string g_dir;

struct Report {
    int ok = 0;
    double wall = 0;
    double cpu = 0; /* user and system seconds of the run */
    long peakKiB = 0;
    long items = 0;
};

double Seconds(const struct timeval &t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; }

/* User and system seconds this process has used so far. */
double CpuSeconds()
{
    struct rusage ru;
    ::getrusage(RUSAGE_SELF, &ru);
    return Seconds(ru.ru_utime) + Seconds(ru.ru_stime);
}

/* Group code 420, a 32-bit integer, which the shared writer does not know. */
void TrueColour(vyrbench::DxfWriter &o, bool binary, int32_t rgb)
{
    if (!binary) {
        o.integer(420, rgb);
        return;
    }
    const unsigned char b[6] = {420 & 0xFF,
                                420 >> 8,
                                static_cast<unsigned char>(rgb & 0xFF),
                                static_cast<unsigned char>(rgb >> 8 & 0xFF),
                                static_cast<unsigned char>(rgb >> 16 & 0xFF),
                                static_cast<unsigned char>(rgb >> 24)};
    std::fwrite(b, 1, sizeof b, o.f);
}

void WriteDrawing(const std::string &path, bool binary, int entities)
{
    vyrbench::DxfWriter o(vyrbench::OpenForWriting(path), binary);
    o.pair(0, "SECTION");
    o.pair(2, "HEADER");
    o.pair(9, "$ACADVER");
    o.pair(1, "AC1027");
    o.pair(9, "$DWGCODEPAGE");
    o.pair(3, "ANSI_1252");
    o.pair(9, "$LASTSAVEDBY");
    o.pair(1, "bench");
    o.pair(0, "ENDSEC");
    o.pair(0, "SECTION");
    o.pair(2, "ENTITIES");
    for (int i = 0; i < entities; ++i) {
        const double x = i * 0.125, y = 1000.0 - i * 0.0625;
        if (i % 100 == 99) {
            o.entity("TEXT", 0x100 + i, "0", "AcDbText");
            o.num(10, x);
            o.num(20, y);
            o.pair(30, "0.0");
            o.pair(40, "2.5");
            o.pair(1, "Gr\xC3\xBC\xC3\x9F"
                      "e \xCE\x9A\xCE\xB1\xCE\xBB\xCE\xB7\xCE\xBC\xCE\xAD\xCF\x81\xCE\xB1 "
                      "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82");
            o.pair(100, "AcDbText");
            continue;
        }
        o.entity("LINE", 0x100 + i, "0", nullptr);
        o.pair(62, "7");
        if (i % 10 == 0) TrueColour(o, binary, 16744448);
        o.pair(100, "AcDbLine");
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

/* A drawing, written when a benchmark first needs it. */
struct Drawing {
    const char *name;
    bool binary;
    int entities;
    std::string path;

    const std::string &Path()
    {
        if (path.empty()) {
            path = g_dir + "/" + name + ".dxf";
            WriteDrawing(path, binary, entities);
            /* on the disk before it is read, as a user's drawing is: the
             * program's fsync of its output must not wait for it too */
            ::sync();
        }
        return path;
    }
};

Drawing g_million{"ac1027", false, 1000000, ""};
Drawing g_millionBinary{"ac1027-binary", true, 1000000, ""};
Drawing g_tenth{"ac1027-tenth", false, 100000, ""};

/* The runs of one benchmark: each run's wall time is its iteration time;
 * the counters are means over the runs (peak memory: the largest). */
struct Runs {
    int n = 0;
    double wall = 0, cpu = 0;
    long peakKiB = 0, items = 0;

    void Add(benchmark::State &state, const Report &r)
    {
        if (!r.ok) {
            state.SkipWithError("the run failed");
            return;
        }
        state.SetIterationTime(r.wall);
        ++n;
        wall += r.wall;
        cpu += r.cpu;
        peakKiB = std::max(peakKiB, r.peakKiB);
        items = r.items;
    }
    void Publish(benchmark::State &state, const std::string &path) const
    {
        if (n == 0) return;
        const double mb = vyrbench::FileSize(path) / 1e6;
        state.counters["input_MB"] = mb;
        state.counters["MB/s"] = mb * n / wall;
        state.counters["cpu_s"] = cpu / n;
        state.counters["cpu_MB/s"] = cpu > 0 ? mb * n / cpu : 0.0;
        state.counters["peak_MB"] = peakKiB / 1024.0;
        state.counters["items"] = static_cast<double>(items);
    }
};

/* The conversion alone of a drawing into `output`, in this process; items
 * are the pairs dropped and the characters written as escapes. */
Report ConvertOnce(const std::string &input, const std::string &output)
{
    Report rep;
    const double t0 = vyrbench::Now(), c0 = CpuSeconds();
    const int in = ::open(input.c_str(), O_RDONLY);
    const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    DxfPairReader reader(in, input);
    DxfPairWriter writer(out);
    if (in >= 0 && out >= 0 && reader.Start()) {
        DxfDownConverter converter(reader, writer, DxfRelease::R2013, "ANSI_1252");
        rep.ok = converter.Run() && writer.Flush() ? 1 : 0;
        for (const auto &d : converter.Dropped()) rep.items += d.second;
        rep.items += converter.Recoder().escaped;
    }
    if (in >= 0) ::close(in);
    if (out >= 0) ::close(out);
    rep.wall = vyrbench::Now() - t0;
    rep.cpu = CpuSeconds() - c0;
    return rep;
}

void Convert(benchmark::State &state, Drawing *drawing)
{
    const std::string &path = drawing->Path();
    const std::string output = g_dir + "/converted.dxf";
    Runs runs;
    for (auto _ : state)
        runs.Add(state, vyrbench::InChild<Report>([&] { return ConvertOnce(path, output); }));
    runs.Publish(state, path);
}

/* The program as the library starts it: argument vector, no shell; the
 * peak memory is the program's own (it is spawned, not forked). */
void Program(benchmark::State &state, Drawing *drawing)
{
    const std::string &path = drawing->Path();
    const std::string output = g_dir + "/program.dxf";
    Runs runs;
    for (auto _ : state) {
        Report r;
        const double t0 = vyrbench::Now();
        const char *argv[] = {VYR_DOWNCONV_PROGRAM, path.c_str(), output.c_str(), "preprocess", nullptr};
        pid_t pid;
        int status = 0;
        struct rusage usage;
        if (::posix_spawn(&pid, VYR_DOWNCONV_PROGRAM, nullptr, nullptr, const_cast<char **>(argv), environ) ==
                0 &&
            ::wait4(pid, &status, 0, &usage) == pid) {
            r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
            r.peakKiB = usage.ru_maxrss;
            r.cpu = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
        }
        r.wall = vyrbench::Now() - t0;
        runs.Add(state, r);
    }
    runs.Publish(state, path);
}

/* adLoadFile of the drawing's conversion (made once, before the runs);
 * items are the entities loaded. */
void Load(benchmark::State &state, Drawing *drawing)
{
    const std::string path = g_dir + "/" + drawing->name + "-ac1015.dxf";
    if (!ConvertOnce(drawing->Path(), path).ok) {
        state.SkipWithError("the conversion failed");
        return;
    }
    Runs runs;
    for (auto _ : state) {
        Report r = vyrbench::InChild<Report>([&] {
            Report rep;
            const double t0 = vyrbench::Now(), c0 = CpuSeconds();
            int16_t err;
            adInitAd2(nullptr, &err);
            adSetupDxfRead();
            adConvertPlinesOnLoad(0);
            AdDrawing *d = adLoadFile(path.c_str(), 1, 0);
            if (d) {
                rep.ok = 1;
                rep.items = adNumEntities(adModelSpaceEntityList(d));
            }
            rep.wall = vyrbench::Now() - t0;
            rep.cpu = CpuSeconds() - c0;
            return rep; /* the drawing is left to the exit, as a process would */
        });
        runs.Add(state, r);
    }
    runs.Publish(state, path);
}

} // namespace

int main(int argc, char **argv)
{
    char dir[] = "/tmp/vyr_downconv_bench_XXXXXX";
    if (!::mkdtemp(dir)) return 1;
    g_dir = dir;

    auto reg = [](benchmark::internal::Benchmark *b) {
        b->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
    };
    reg(benchmark::RegisterBenchmark("program/ascii_ac1027", Program, &g_million));
    reg(benchmark::RegisterBenchmark("program/binary_ac1027", Program, &g_millionBinary));
    reg(benchmark::RegisterBenchmark("program/ascii_ac1027_tenth", Program, &g_tenth));
    reg(benchmark::RegisterBenchmark("downconvert/ascii_ac1027", Convert, &g_million));
    reg(benchmark::RegisterBenchmark("downconvert/binary_ac1027", Convert, &g_millionBinary));
    reg(benchmark::RegisterBenchmark("toolkit_load/converted_ac1015", Load, &g_million));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    /* everything the runs wrote is in the directory */
    const std::string names[] = {"ac1027.dxf",    "ac1027-binary.dxf", "ac1027-tenth.dxf",
                                 "converted.dxf", "program.dxf",       "ac1027-ac1015.dxf"};
    for (const std::string &name : names) std::remove((g_dir + "/" + name).c_str());
    ::rmdir(g_dir.c_str());
    return 0;
}
