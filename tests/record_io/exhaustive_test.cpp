// Every finite single-precision value through every real field of the data
// files and reports, both ways: rendered as a report line holds it, read back
// through the same field, and rendered again.  Also the 17-digit decimal form
// behind every printed real, for every positive float.
//
// Tens of minutes on two cores, so opt-in: configure with -DSWIRL_EXHAUSTIVE=ON
// and run `ctest --preset default -L exhaustive`.  SWIRL_EXHAUSTIVE_STRIDE=n
// in the environment checks only every n-th bit pattern, for a quick try.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <charconv>
#include <chrono>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "decimal_form_check.h"
#include "fixrec/edit_input.h"
#include "fixrec/edit_output.h"
#include "fixrec/render.h"

namespace {

// What a sweep found.
struct Tally {
    std::uint64_t checked = 0;
    std::uint64_t asterisks = 0;  // F fields too narrow for the value: not read back
    std::uint64_t failures = 0;
    std::uint64_t settled_late = 0;  // subnormal fields that settle on the second reading
    std::vector<std::string> late;   // those fields
    float smallest_starred[2] = {INFINITY, INFINITY};  // magnitudes, positive and negative values
    std::vector<std::string> examples;  // the first few failures

    void starred(float v) {
        ++asterisks;
        float& s = smallest_starred[std::signbit(v) ? 1 : 0];
        s = std::min(s, std::fabs(v));
    }

    void fail(std::string what) {
        if (failures++ < 5) examples.push_back(std::move(what));
    }
    void merge(const Tally& t) {
        checked += t.checked;
        asterisks += t.asterisks;
        failures += t.failures;
        settled_late += t.settled_late;
        for (const auto& l : t.late)
            if (late.size() < 20) late.push_back(l);
        for (int k = 0; k < 2; ++k) smallest_starred[k] = std::min(smallest_starred[k], t.smallest_starred[k]);
        for (const auto& e : t.examples)
            if (examples.size() < 10) examples.push_back(e);
    }
};

std::uint64_t stride() {
    const char* s = std::getenv("SWIRL_EXHAUSTIVE_STRIDE");
    const long long n = s != nullptr ? std::atoll(s) : 1;
    return n > 1 ? static_cast<std::uint64_t>(n) : 1;
}

// Calls check(bits, tally) for the bit patterns 0, n, 2n, ... below `end`
// (n the stride), in chunks shared out over all cores.
template <class Check>
Tally sweep(std::uint64_t end, Check check) {
    const std::uint64_t step = stride();
    const std::uint64_t count = (end + step - 1) / step;
    constexpr std::uint64_t kChunk = 1u << 20;
    const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    std::atomic<std::uint64_t> next{0};
    std::vector<Tally> tallies(threads);
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < threads; ++t) {
        pool.emplace_back([&, t] {
            Tally& tally = tallies[t];
            for (std::uint64_t first; (first = next.fetch_add(kChunk)) < count;) {
                const std::uint64_t last = std::min(first + kChunk, count);
                for (std::uint64_t i = first; i < last; ++i)
                    check(static_cast<std::uint32_t>(i * step), i == first, tally);
            }
        });
    }
    for (auto& th : pool) th.join();
    Tally all;
    for (const auto& t : tallies) all.merge(t);
    return all;
}

bool finite_bits(std::uint32_t bits) { return (bits & 0x7F800000u) != 0x7F800000u; }

class Stopwatch {
public:
    double seconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

void report(const char* what, const Tally& t, double seconds) {
    std::printf("%s: %llu checked, %llu fields of asterisks, %llu failures, %.1f s on %u threads\n", what,
                static_cast<unsigned long long>(t.checked), static_cast<unsigned long long>(t.asterisks),
                static_cast<unsigned long long>(t.failures), seconds,
                std::max(1u, std::thread::hardware_concurrency()));
    if (t.settled_late != 0)
        std::printf("%s: %llu subnormal fields print one unit lower after the first reading, then stay\n", what,
                    static_cast<unsigned long long>(t.settled_late));
    for (const auto& l : t.late) std::printf("  %s\n", l.c_str());
    if (t.asterisks != 0)
        std::printf("%s: asterisks from %.9g up and from %.9g down\n", what,
                    static_cast<double>(t.smallest_starred[0]), -static_cast<double>(t.smallest_starred[1]));
    std::fflush(stdout);
    ::testing::Test::RecordProperty("checked", std::to_string(t.checked));
    ::testing::Test::RecordProperty("asterisks", std::to_string(t.asterisks));
    ::testing::Test::RecordProperty("settled_late", std::to_string(t.settled_late));
    ::testing::Test::RecordProperty("seconds", std::to_string(seconds));
    for (const auto& e : t.examples) ADD_FAILURE() << e;
    EXPECT_EQ(t.failures, 0u);
}

// ---------------------------------------------------------------------------

TEST(Exhaustive, DecimalFormOfEveryPositiveFloat) {
    const Stopwatch clock;
    const Tally t = sweep(0x7F800000u, [](std::uint32_t bits, bool, Tally& tally) {
        if (bits == 0) return;
        ++tally.checked;
        std::string why = fixrec_test::decimal_form_mismatch(std::bit_cast<float>(bits));
        if (!why.empty()) tally.fail(std::move(why));
    });
    report("decimal form", t, clock.seconds());
}

// A real field of the suite: written by the reports, read by the input
// sections (F12.5, the efficiencies of KERVA, is only written; it is read
// here as a plain real field of its width, as any other field is read).
struct Field {
    const char* name;
    bool e_form;
    int w;
    int d;
};

constexpr int kMaxWidth = 16;

// The field as an output statement puts it into the record: the edit's text
// right-justified, or w asterisks when the text is longer than w.
// The field as a report prints it: the library's one field renderer.
void render(float v, const Field& f, char* out) {
    thread_local std::string field;
    field.clear();
    const fixrec::Descriptor d{f.e_form ? fixrec::DescKind::E : fixrec::DescKind::F, f.w, f.d};
    fixrec::render_field(d, fixrec::Item(v), field);
    std::memcpy(out, field.data(), static_cast<std::size_t>(f.w));
}

std::string describe(float v, std::string_view field, const char* what) {
    char buf[200];
    std::snprintf(buf, sizeof buf, "%s: %.9g (bits %08x) [%.*s]", what, static_cast<double>(v),
                  std::bit_cast<std::uint32_t>(v), static_cast<int>(field.size()), field.data());
    return buf;
}

// One reading of a printed field: the field reads back to the float nearest
// its printed decimal (the nearest double, converted on its own by
// std::from_chars, then the nearest float to that).  Returns what is wrong,
// or nullptr.
const char* read_back(const Field& f, const char* field, float& back) {
    const auto w = static_cast<std::size_t>(f.w);
    const std::string_view text(field, w);
    const std::size_t lead = text.find_first_not_of(' ');
    double decimal = 0.0;
    const auto res = std::from_chars(field + lead, field + w, decimal);
    if (res.ec != std::errc{} || res.ptr != field + w) return "not a decimal";
    const float nearest = static_cast<float>(decimal);
    if (fixrec::read_real(text, f.d, back) != fixrec::InputStatus::Ok) return "does not read back";
    if (std::bit_cast<std::uint32_t>(back) != std::bit_cast<std::uint32_t>(nearest))
        return "reads back to another float than the nearest";
    return nullptr;
}

// Every finite float, both signs: the field reads back to the float nearest
// its printed decimal, which prints the same field.
//
// One exception, counted and listed: just above 1E-40 a unit of the fifth
// digit (1E-45) is finer than the spacing of the subnormal floats (2**-149,
// about 1.4E-45), so the float nearest a decimal there may print one unit
// lower (.10000E-39 reads as 9.9999461E-41, which prints .99999E-40).  Such
// a re-printed field must itself be a fixed point.
void sweep_field(const Field& f) {
    const auto w = static_cast<std::size_t>(f.w);
    const Stopwatch clock;
    const Tally t = sweep(std::uint64_t{1} << 32, [&f, w](std::uint32_t bits, bool /*first_of_chunk*/, Tally& tally) {
        if (!finite_bits(bits)) return;
        const float v = std::bit_cast<float>(bits);
        char field[kMaxWidth];
        render(v, f, field);
        const std::string_view text(field, w);
        if (text.find_first_not_of('*') == std::string_view::npos) {
            tally.starred(v);
            return;
        }
        ++tally.checked;

        float back = 0.0f;
        if (const char* wrong = read_back(f, field, back)) {
            tally.fail(describe(v, text, wrong));
            return;
        }
        char again[kMaxWidth];
        render(back, f, again);
        if (std::memcmp(again, field, w) == 0) return;

        const std::string both = ", read back [" + std::string(again, w) + "]";
        float second = 0.0f;
        char third[kMaxWidth];
        if (std::fabs(back) < FLT_MIN && read_back(f, again, second) == nullptr &&
            (render(second, f, third), std::memcmp(third, again, w) == 0)) {
            if (tally.settled_late++ < 20) tally.late.push_back(describe(v, text, "prints") + both);
            return;
        }
        tally.fail(describe(v, text, "prints differently once read back") + both);
    });
    report(f.name, t, clock.seconds());
}

TEST(Exhaustive, EveryFloatThroughE12_5) { sweep_field({"E12.5", true, 12, 5}); }
TEST(Exhaustive, EveryFloatThroughE16_5) { sweep_field({"E16.5", true, 16, 5}); }
TEST(Exhaustive, EveryFloatThroughF11_4) { sweep_field({"F11.4", false, 11, 4}); }
TEST(Exhaustive, EveryFloatThroughF12_5) { sweep_field({"F12.5", false, 12, 5}); }

}  // namespace
