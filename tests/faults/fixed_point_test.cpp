// A report is its own input: run on it, a calculator reproduces it byte for
// byte.  Checked on inputs drawn from a fixed-seed generator: the example
// file with the values of its fields replaced by random values in physically
// sensible ranges, typed in the many spellings a field accepts.
//
// Run 1 turns the input into report R1, run 2 turns R1 into R2, run 3 turns
// R2 into R3.  The report rounds what it shows, so R1 may hold other values
// than the input; from R1 on the values shown are the values read, so R3
// equals R2.  When every typed value was already one the report can show
// exactly (5 significant digits in an E field, 4 decimals in an F field), R2
// equals R1 as well.  An input that makes the computation invalid ends run 1
// with exit code 3 and leaves the file as it was.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "programs.h"
#include "run_program.h"
#include "test_files.h"

namespace faults {
namespace {

namespace fs = std::filesystem;
using test_support::entries;
using test_support::kExitInvalidArithmetic;
using test_support::kExitOk;
using test_support::read_bytes;
using test_support::RunOptions;
using test_support::RunResult;
using test_support::TempDir;
using test_support::write_bytes;

constexpr int kInputsPerProgram = 40;

// Field kinds of the data files: Ew.5 reals, F11.4 reals, integers.
enum class Kind { E, F, I };

struct Field {
    std::size_t line;   // 1-based
    std::size_t first;  // columns, 1-based, inclusive
    std::size_t last;
    Kind kind;
};

// A value as typed into its field, and whether the report shows it exactly.
struct Typed {
    std::string text;
    bool exact;
};

// Draws from the engine's own output (whose sequence the standard fixes), so
// the inputs are the same with every standard library.
class Draw {
public:
    explicit Draw(std::uint32_t seed) : engine_(seed) {}

    double unit() { return static_cast<double>(engine_()) / 4294967296.0; }  // [0, 1)
    double uniform(double lo, double hi) { return lo + (hi - lo) * unit(); }
    double log_uniform(double lo, double hi) { return std::exp(uniform(std::log(lo), std::log(hi))); }
    int integer(int lo, int hi) { return lo + static_cast<int>(engine_() % static_cast<std::uint32_t>(hi - lo + 1)); }
    bool chance(double p) { return unit() < p; }

    // Whether values with more digits than the report shows may be drawn
    // (for about half of the inputs).
    void allow_long_values(bool allow) { long_values_ = allow; }

    // A positive real for an E field `width` columns wide.  Mostly a value
    // with 5 significant digits, which the report shows as typed, in one of
    // the spellings the field reads; otherwise one with 8 significant digits.
    Typed real_e(double v, std::size_t width) {
        if (long_values_ && chance(0.3)) return free_real(v, width);
        // v = 0.D x 10^X with the 5 digits D.
        int x = static_cast<int>(std::floor(std::log10(v))) + 1;
        long digits = std::lround(v / std::pow(10.0, x - 5));
        if (digits >= 100000) {
            digits /= 10;
            ++x;
        }
        const std::string d = std::to_string(digits);
        char buf[64];
        std::vector<std::string> spellings;
        std::snprintf(buf, sizeof buf, ".%sE%c%02d", d.c_str(), x < 0 ? '-' : '+', std::abs(x));
        spellings.emplace_back(buf);  // the report's own
        std::snprintf(buf, sizeof buf, "%c.%sE%d", d[0], d.c_str() + 1, x - 1);
        spellings.emplace_back(buf);
        std::snprintf(buf, sizeof buf, "%c.%sd%+d", d[0], d.c_str() + 1, x - 1);
        spellings.emplace_back(buf);
        std::snprintf(buf, sizeof buf, ".%s%c%d", d.c_str(), x < 0 ? '-' : '+', std::abs(x));
        spellings.emplace_back(buf);  // a sign directly after the digits
        if (x <= 0)
            spellings.push_back("0." + std::string(static_cast<std::size_t>(-x), '0') + d);
        else if (x < 5)
            spellings.push_back(d.substr(0, static_cast<std::size_t>(x)) + "." + d.substr(static_cast<std::size_t>(x)));
        else
            spellings.push_back(d + std::string(static_cast<std::size_t>(x - 5), '0') + ".");
        std::string text = spellings[static_cast<std::size_t>(integer(0, static_cast<int>(spellings.size()) - 1))];
        if (text.size() > width) text = spellings[0];
        return {text, true};
    }

    // A real for an F11.4 field: 4 decimals or fewer (shown as typed), or 7.
    Typed real_f(double v) {
        char buf[64];
        if (long_values_ && chance(0.3)) {
            std::snprintf(buf, sizeof buf, "%.7f", v);
            return {buf, false};
        }
        std::snprintf(buf, sizeof buf, "%.*f", integer(1, 4), v);
        return {buf, true};
    }

private:
    Typed free_real(double v, std::size_t width) {
        char buf[64];
        for (int digits = 8; digits > 1; --digits) {
            // '#' keeps the point: without it the last digits would be
            // implied decimals.
            std::snprintf(buf, sizeof buf, "%#.*g", digits, v);
            if (std::string(buf).size() <= width) break;
        }
        return {buf, false};
    }

    std::mt19937 engine_;
    bool long_values_ = false;
};

// One generated data file.
struct Generated {
    std::vector<std::string> lines;
    bool exact = true;
    std::string values;  // what was typed, for the failure messages
};

class Generator {
public:
    Generator(const std::string& example, std::uint32_t seed) : example_(split_crlf(example)), draw_(seed) {}

    Draw& draw() { return draw_; }
    void start() {
        current_ = Generated{example_, true, {}};
        draw_.allow_long_values(draw_.chance(0.5));
    }

    void put(const Field& f, const Typed& t) {
        std::string& line = current_.lines[f.line - 1];
        const std::size_t width = f.last - f.first + 1;
        if (line.size() < f.last) line.resize(f.last, ' ');
        // Anywhere inside its columns: flush right as in the report, or flush left.
        const std::size_t lead = draw_.chance(0.5) ? width - t.text.size() : 0;
        std::string field(width, ' ');
        field.replace(lead, t.text.size(), t.text);
        line.replace(f.first - 1, width, field);
        current_.exact = current_.exact && t.exact;
        current_.values += " [" + t.text + "]";
    }
    void real_e(const Field& f, double v) {
        // Now and then a blank field, which reads as 0.
        if (draw_.chance(0.02)) return put(f, Typed{"", true});
        put(f, draw_.real_e(v, f.last - f.first + 1));
    }
    void real_f(const Field& f, double v) { put(f, draw_.real_f(v)); }
    void integer(const Field& f, int v) { put(f, Typed{std::to_string(v), true}); }

    const Generated& result() const { return current_; }

private:
    std::vector<std::string> example_;
    Draw draw_;
    Generated current_;
};

Field e12(std::size_t line) { return {line, 39, 50, Kind::E}; }
Field e16(std::size_t line) { return {line, 42, 57, Kind::E}; }
Field f11(std::size_t line) { return {line, 42, 52, Kind::F}; }
Field i_at_47(std::size_t line, std::size_t width) { return {line, 47, 46 + width, Kind::I}; }

constexpr double kPi = 3.14159265358979;

// BILM: Q, HG, R1, RCR, UPOD on lines 7-11.
void bilm_input(Generator& g) {
    Draw& d = g.draw();
    const double r1 = d.log_uniform(0.003, 0.1);
    g.real_e(e12(7), d.log_uniform(1e-4, 5e-2));  // Q, m3/s
    g.real_e(e12(8), d.uniform(0.1, 5.0));        // HG, m
    g.real_e(e12(9), r1);
    g.real_e(e12(10), r1 * d.uniform(2.0, 30.0));  // RCR
    g.real_e(e12(11), d.log_uniform(0.005, 2.0));  // UPOD, m/s
}

// ZARN1: lines 11-17 and 19-25.
void zarn1_input(Generator& g) {
    Draw& d = g.draw();
    const double rk = d.uniform(0.05, 0.5);
    const double r1 = rk * d.uniform(0.15, 0.6);
    const double psivx = d.chance(0.3) ? 90.0 : d.uniform(20.0, 90.0);
    // The swirler area from a design swirl parameter МА between 0.05 and 2.
    const double ma = d.log_uniform(0.05, 2.0);
    const double fvx = ma * std::sin(psivx * kPi / 180.0) * r1 * kPi * rk;
    g.real_e(e16(11), d.log_uniform(0.005, 1.0));  // G, kg/s
    g.real_e(e16(12), rk);
    g.real_e(e16(13), d.uniform(0.05, 0.5));  // L
    g.real_e(e16(14), r1);
    g.real_e(e16(15), d.log_uniform(0.005, 0.2));  // H
    g.real_e(e16(16), fvx);
    g.real_f(f11(17), psivx);
    g.integer(i_at_47(19, 1), d.chance(0.5) ? 1 : d.integer(0, 9));  // VID
    g.real_e(e16(20), d.log_uniform(1e-6, 5e-5));                    // NU, m2/s
    g.real_e(e16(21), d.uniform(0.5, 10.0));                         // RO, kg/m3
    g.real_e(e16(22), d.uniform(5e4, 2e5));                          // PVN, Pa
    g.real_f(f11(23), d.uniform(-50.0, 500.0));                      // ТК
    g.real_e(e16(24), rk / d.integer(10, 120));                      // DRK: at most 121 nodes
    g.integer(i_at_47(25, 1), d.chance(0.8) ? d.integer(0, 2) : d.integer(3, 9));  // NVS
}

// KERVA: lines 11-17, 19, 20, 22, 24, 25, 28, 30, 31, 33.
void kerva_input(Generator& g) {
    Draw& d = g.draw();
    const bool liquid = d.chance(0.3);
    const double rog = liquid ? d.uniform(700.0, 1200.0) : d.uniform(0.5, 3.0);
    const double dk = d.uniform(0.1, 1.5);
    g.real_e(e16(11), d.log_uniform(100.0, 10000.0));  // QH, m3/h
    g.real_e(e16(12), rog);
    g.real_e(e16(13), liquid ? d.log_uniform(5e-7, 5e-6) : d.log_uniform(1e-5, 3e-5));  // NU
    g.real_e(e16(14), dk);
    g.real_e(e16(15), dk * d.uniform(1.0, 5.0));   // L
    g.real_e(e16(16), dk / 2 * d.uniform(0.3, 0.9));  // R2
    g.real_e(e16(17), dk * d.uniform(0.05, 0.3));  // B
    if (d.chance(0.2))
        g.put(e16(19), Typed{"0.", true});  // HI = 0: one round inlet
    else
        g.real_e(e16(19), dk * d.uniform(0.1, 0.6));
    g.integer(i_at_47(20, 2), d.integer(1, 9));  // NI: one digit, as the report shows it
    if (d.chance(0.4))
        g.put(f11(22), Typed{"90.", true});  // a tangential inlet
    else
        g.real_f(f11(22), d.uniform(20.0, 90.0));
    g.integer(i_at_47(24, 2), d.integer(0, 9));       // VID
    g.real_f(f11(25), d.uniform(0.1, 2.0));           // BETA
    g.real_e(e16(28), d.log_uniform(1e-6, 2e-4));     // D50, m
    if (d.chance(0.3))
        g.put(e16(30), Typed{"0.", true});  // one size
    else
        g.real_e(e16(30), d.uniform(0.05, 0.6));  // LGSG
    g.real_e(e16(31), std::max(rog * 1.3, d.uniform(1000.0, 8000.0)));  // ROP
    g.real_f(f11(33), d.uniform(1.0, 2.5));                            // QGE
}

using InputMaker = void (*)(Generator&);

InputMaker maker_for(const Program& p) {
    if (p.name == "BILM") return bilm_input;
    if (p.name == "ZARN1") return zarn1_input;
    return kerva_input;
}

class FixedPoint : public ::testing::TestWithParam<Program> {
protected:
    RunResult run() const {
        RunOptions o;
        o.program = GetParam().path;
        o.cwd = dir_.path().string();
        RunResult r = test_support::run_program(o);
        EXPECT_FALSE(r.timed_out);
        EXPECT_EQ(r.term_signal, 0);
        EXPECT_EQ(r.err, "");
        return r;
    }
    TempDir dir_;
};

TEST_P(FixedPoint, ReportsReproduceThemselves) {
    const Program& p = GetParam();
    const fs::path data = dir_ / p.data_file;
    std::uint32_t seed = 20240611u;
    for (char c : p.name) seed = seed * 31u + static_cast<unsigned char>(c);
    Generator gen(read_bytes(example_path(p)), seed);
    const InputMaker make = maker_for(p);
    int computed = 0;
    int invalid = 0;
    int exact = 0;
    for (int k = 0; k < kInputsPerProgram; ++k) {
        gen.start();
        make(gen);
        const Generated& in = gen.result();
        SCOPED_TRACE("input " + std::to_string(k) + ":" + in.values);
        const std::string input = join(in.lines);
        write_bytes(data, input);

        const RunResult r1 = run();
        if (r1.exit_code == kExitInvalidArithmetic) {
            ++invalid;
            EXPECT_EQ(read_bytes(data), input);
            EXPECT_EQ(entries(dir_.path()), std::set<std::string>{p.data_file});
            continue;
        }
        ASSERT_EQ(r1.exit_code, kExitOk) << r1.out;
        ++computed;
        const std::string report1 = read_bytes(data);
        const RunResult r2 = run();
        ASSERT_EQ(r2.exit_code, kExitOk) << r2.out;
        const std::string report2 = read_bytes(data);
        const RunResult r3 = run();
        ASSERT_EQ(r3.exit_code, kExitOk) << r3.out;
        const std::string report3 = read_bytes(data);

        EXPECT_EQ(r3.out, r2.out);
        EXPECT_EQ(report3, report2);
        if (in.exact) {
            ++exact;
            EXPECT_EQ(r2.out, r1.out);
            EXPECT_EQ(report2, report1);
        }
        EXPECT_EQ(entries(dir_.path()), std::set<std::string>{p.data_file});
    }
    RecordProperty("computed", computed);
    RecordProperty("invalid", invalid);
    RecordProperty("exact", exact);
    // Not vacuous: most inputs are computed, and some are typed exactly.
    EXPECT_GE(computed, kInputsPerProgram * 3 / 4) << invalid << " inputs were invalid";
    EXPECT_GE(exact, 3);
}

INSTANTIATE_TEST_SUITE_P(Calculators, FixedPoint, ::testing::ValuesIn(programs()),
                         [](const auto& tp) { return tp.param.name; });

}  // namespace
}  // namespace faults
