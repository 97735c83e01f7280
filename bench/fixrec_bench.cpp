// Throughput of formatted records through a real file: one million records per
// case, written with write_line or read back with read_fields, in a scratch
// directory under /tmp that is removed at the end.
//
// The two shapes are the ones the calculators produce: a labelled value line
// "(2X,'label',E16.5,' (м)')" and a table row of three E12.5 columns.  The
// values cover 1e-6..1e6 in magnitude, both signs, from a fixed seed, so that
// every run edits the same digits.  bench/fortran/fixrec_bench.f90 does the
// same four phases through the GNU Fortran runtime for comparison
// (scripts/bench prints both side by side).
//
// A timed write is a whole run on a new empty file: open_old, the records,
// and close_unit, which writes the last buffer, makes the scratch file durable
// (fdatasync) and renames it over the data file.  A timed read is open_old,
// the records and close_unit on the file the write left.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fixrec/fixrec.h"

namespace {

using namespace fixrec::literals;

constexpr std::int64_t kRecords = 1'000'000;
constexpr int kUnit = 7;

// 39 label bytes after the 2X: the value field starts in column 42.
constexpr std::string_view kLabel = "ГЛУБИНА ВОРОНКИ НАД СЛИВНЫМ ОТВЕРСТИЕМ:"_cp;
static_assert(kLabel.size() == 39);

// Pseudo-random values with a log-uniform magnitude in 1e-6..1e6 and a random
// sign.  The generator is the minimal-standard Lehmer one (48271, 2^31-1),
// which the Fortran program repeats exactly in 64-bit integers.
constexpr std::size_t kValues = 4096;

struct Values {
    std::array<float, kValues> v{};
    Values() {
        std::int64_t state = 20240601;
        auto next = [&state] {
            state = state * 48271 % 2147483647;
            return static_cast<double>(state) / 2147483647.0;
        };
        for (float& x : v) {
            const double magnitude = std::pow(10.0, next() * 12.0 - 6.0);
            x = static_cast<float>(next() < 0.5 ? -magnitude : magnitude);
        }
    }
};

const Values& values() {
    static const Values vals;
    return vals;
}

// The scratch directory and the data files in it.
class Scratch {
public:
    Scratch() {
        char tmpl[] = "/tmp/fixrec_bench.XXXXXX";
        if (::mkdtemp(tmpl) == nullptr) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        dir_ = tmpl;
    }
    ~Scratch() {
        for (const char* name : {kValueFile, kProfileFile}) ::unlink(path(name).c_str());
        ::rmdir(dir_.c_str());
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    std::string path(const char* name) const { return dir_ + "/" + name; }

    static constexpr const char* kValueFile = "VALUES.DAT";
    static constexpr const char* kProfileFile = "PROFILE.DAT";

private:
    std::string dir_;
};

Scratch* g_scratch = nullptr;

// open_old connects existing files only: each write starts from a new empty
// file, so that no run pays for freeing the blocks of the previous one.
bool create_empty(const std::string& path) {
    ::unlink(path.c_str());
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

bool exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

const fixrec::Format& value_line() {
    static const fixrec::Format f(std::string("(2X,'")
                                      .append(kLabel)
                                      .append("',E16.5,'")
                                      .append(" (м)"_cp)
                                      .append("')"));
    return f;
}
const fixrec::Format& value_field() {
    static const fixrec::Format f("(41X,E16.5)");
    return f;
}
const fixrec::Format& profile_row() {
    static const fixrec::Format f("(6X,E12.5,6X,E12.5,6X,E12.5)");
    return f;
}

// One run writing kRecords records with `write_record(i)` into the empty file
// at `path`.  A failure to write ends the run as a calculator's would (the
// diagnostic goes to standard error).
template <class WriteRecord>
bool write_file(const std::string& path, WriteRecord write_record) {
    fixrec::begin_run({}, nullptr);
    try {
        if (fixrec::open_old(kUnit, path) != fixrec::Status::Ok) {
            fixrec::end_run();
            return false;
        }
        for (std::int64_t i = 0; i < kRecords; ++i) write_record(static_cast<std::size_t>(i));
        fixrec::close_unit(kUnit);
        fixrec::end_run();
        return true;
    } catch (const fixrec::Fatal& failure) {
        fixrec::abort_run(failure);
        return false;
    }
}

bool write_value_file(const std::string& path) {
    const auto& v = values().v;
    const fixrec::Format& f = value_line();
    return write_file(path, [&](std::size_t i) { fixrec::write_line(kUnit, f, {v[i % kValues]}); });
}

bool write_profile_file(const std::string& path) {
    const auto& v = values().v;
    const fixrec::Format& f = profile_row();
    return write_file(path, [&](std::size_t i) {
        const std::size_t k = i * 3;
        fixrec::write_line(kUnit, f, {v[k % kValues], v[(k + 1) % kValues], v[(k + 2) % kValues]});
    });
}

// Reads every record back; the sum keeps the conversions from being dropped.
// Returns the number of records read with status kOk.
std::int64_t read_value_file(const std::string& path, double& sum) {
    const fixrec::Format& f = value_field();
    fixrec::begin_run({}, nullptr);
    std::int64_t n = 0;
    if (fixrec::open_old(kUnit, path) == fixrec::Status::Ok) {
        float x = 0.0f;
        while (fixrec::read_fields(kUnit, f, {x}) == fixrec::Status::Ok) {
            sum += x;
            ++n;
        }
        fixrec::close_unit(kUnit);
    }
    fixrec::end_run();
    return n;
}

std::int64_t read_profile_file(const std::string& path, double& sum) {
    const fixrec::Format& f = profile_row();
    fixrec::begin_run({}, nullptr);
    std::int64_t n = 0;
    if (fixrec::open_old(kUnit, path) == fixrec::Status::Ok) {
        float a = 0.0f, b = 0.0f, c = 0.0f;
        while (fixrec::read_fields(kUnit, f, {a, b, c}) == fixrec::Status::Ok) {
            sum += static_cast<double>(a) + b + c;
            ++n;
        }
        fixrec::close_unit(kUnit);
    }
    fixrec::end_run();
    return n;
}

void BM_WriteValueLines(benchmark::State& state) {
    const std::string path = g_scratch->path(Scratch::kValueFile);
    values();
    for (auto _ : state) {
        state.PauseTiming();
        const bool created = create_empty(path);
        state.ResumeTiming();
        if (!created || !write_value_file(path)) state.SkipWithError("cannot write the value file");
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}

void BM_ReadValueLines(benchmark::State& state) {
    const std::string path = g_scratch->path(Scratch::kValueFile);
    if (!exists(path) && !(create_empty(path) && write_value_file(path))) {
        state.SkipWithError("cannot prepare the value file");
        return;
    }
    for (auto _ : state) {
        double sum = 0.0;
        if (read_value_file(path, sum) != kRecords) state.SkipWithError("short read of the value file");
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}

void BM_WriteProfileRows(benchmark::State& state) {
    const std::string path = g_scratch->path(Scratch::kProfileFile);
    values();
    for (auto _ : state) {
        state.PauseTiming();
        const bool created = create_empty(path);
        state.ResumeTiming();
        if (!created || !write_profile_file(path)) state.SkipWithError("cannot write the profile file");
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}

void BM_ReadProfileRows(benchmark::State& state) {
    const std::string path = g_scratch->path(Scratch::kProfileFile);
    if (!exists(path) && !(create_empty(path) && write_profile_file(path))) {
        state.SkipWithError("cannot prepare the profile file");
        return;
    }
    for (auto _ : state) {
        double sum = 0.0;
        if (read_profile_file(path, sum) != kRecords)
            state.SkipWithError("short read of the profile file");
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}

// One iteration is a million records (well over a tenth of a second); three
// iterations keep a case within a few seconds.  Wall-clock time, as the
// Fortran program measures it.
#define FIXREC_CASE(fn) BENCHMARK(fn)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond)
FIXREC_CASE(BM_WriteValueLines);
FIXREC_CASE(BM_ReadValueLines);
FIXREC_CASE(BM_WriteProfileRows);
FIXREC_CASE(BM_ReadProfileRows);
#undef FIXREC_CASE

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Scratch scratch;
    g_scratch = &scratch;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_scratch = nullptr;
    return 0;
}
