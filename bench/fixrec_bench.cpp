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
// and close_unit, which writes the last buffer and renames the scratch file
// over the data file.  A timed read is open_old, the records and close_unit
// on the file the write left.
//
// BM_WriteValueLinesToChars is the yardstick of the value-line writer: the
// same lines made by hand with std::to_chars into a 1 KiB buffer that goes
// to the file with write(2) whenever it is full, nothing else.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
        for (const char* name : {kValueFile, kProfileFile, kHandFile}) ::unlink(path(name).c_str());
        ::rmdir(dir_.c_str());
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    std::string path(const char* name) const { return dir_ + "/" + name; }

    static constexpr const char* kValueFile = "VALUES.DAT";
    static constexpr const char* kProfileFile = "PROFILE.DAT";
    static constexpr const char* kHandFile = "BYHAND.DAT";

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

// The formats, compiled.
constexpr fixrec::FormatView kValueLine =
    R"fmt((2X,'ГЛУБИНА ВОРОНКИ НАД СЛИВНЫМ ОТВЕРСТИЕМ:',E16.5,' (м)'))fmt"_fmt;
constexpr fixrec::FormatView kValueField = "(41X,E16.5)"_fmt;
constexpr fixrec::FormatView kProfileRow = "(6X,E12.5,6X,E12.5,6X,E12.5)"_fmt;
static_assert(kValueLine.text(kValueLine.descriptors()[1]) == kLabel);

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
    return write_file(path, [&](std::size_t i) { fixrec::write_line(kUnit, kValueLine, {v[i % kValues]}); });
}

bool write_profile_file(const std::string& path) {
    const auto& v = values().v;
    return write_file(path, [&](std::size_t i) {
        const std::size_t k = i * 3;
        fixrec::write_line(kUnit, kProfileRow, {v[k % kValues], v[(k + 1) % kValues], v[(k + 2) % kValues]});
    });
}

// Reads every record back; the sum keeps the conversions from being dropped.
// Returns the number of records read with status kOk.
std::int64_t read_value_file(const std::string& path, double& sum) {
    const fixrec::FormatView f = kValueField;
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
    const fixrec::FormatView f = kProfileRow;
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

// The E16.5 field of `v` made from std::to_chars: 5 significant digits as
// d.dddde+xx, rearranged into .ddddd and the exponent one higher.
char* put_e16_5(char* p, float v) {
    char tmp[32];
    const auto res = std::to_chars(tmp, tmp + sizeof tmp, v, std::chars_format::scientific, 4);
    const char* t = tmp;
    const bool negative = *t == '-';
    if (negative) ++t;
    // t: d.dddde[+-]xx
    const bool zero = t[0] == '0';
    int x = 0;
    std::from_chars(t[7] == '+' ? t + 8 : t + 7, res.ptr, x);
    x = zero ? 0 : x + 1;
    std::memset(p, ' ', 16);
    char* q = p + (negative ? 4 : 5);
    if (negative) *q++ = '-';
    *q++ = '.';
    *q++ = t[0];
    std::memcpy(q, t + 2, 4);
    q += 4;
    *q++ = 'E';
    *q++ = x < 0 ? '-' : '+';
    const int mag = x < 0 ? -x : x;
    *q++ = static_cast<char>('0' + mag / 10);
    *q++ = static_cast<char>('0' + mag % 10);
    return p + 16;
}

bool write_value_file_by_hand(const std::string& path) {
    constexpr std::string_view kUnitText = " (м)"_cp;
    const auto& v = values().v;
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) return false;
    char buf[1024];
    std::size_t used = 0;
    bool ok = true;
    auto flush = [&] {
        for (std::size_t done = 0; done < used;) {
            const ssize_t k = ::write(fd, buf + done, used - done);
            if (k <= 0) return false;
            done += static_cast<std::size_t>(k);
        }
        used = 0;
        return true;
    };
    constexpr std::size_t kLine = 2 + kLabel.size() + 16 + kUnitText.size() + 2;
    for (std::int64_t i = 0; i < kRecords && ok; ++i) {
        if (used + kLine > sizeof buf) ok = flush();
        char* p = buf + used;
        p[0] = ' ';
        p[1] = ' ';
        std::memcpy(p + 2, kLabel.data(), kLabel.size());
        p = put_e16_5(p + 2 + kLabel.size(), v[static_cast<std::size_t>(i) % kValues]);
        std::memcpy(p, kUnitText.data(), kUnitText.size());
        p[kUnitText.size()] = '\r';
        p[kUnitText.size() + 1] = '\n';
        used += kLine;
    }
    ok = ok && flush();
    return ::close(fd) == 0 && ok;
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

void BM_WriteValueLinesToChars(benchmark::State& state) {
    const std::string path = g_scratch->path(Scratch::kHandFile);
    values();
    for (auto _ : state) {
        state.PauseTiming();
        const bool created = create_empty(path);
        state.ResumeTiming();
        if (!created || !write_value_file_by_hand(path)) state.SkipWithError("cannot write the value file by hand");
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
FIXREC_CASE(BM_WriteValueLinesToChars);
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
