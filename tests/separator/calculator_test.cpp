// KERVA's data-file tables against its reader and report, and its Calculator
// in memory: the fields it shows, its example, where a reading stops, and
// computations from several threads at once.
#include "data_file.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "run.h"
#include "table_checks.h"
#include "test_files.h"

namespace {

using calculators::ReadFailure;
using calculators::Value;
using separator::calculator;

std::string example() { return test_support::read_bytes(std::filesystem::path(EXAMPLES_DIR) / "KERVA.DAT"); }

// The example's first `count` lines (all of them: 0), with line `line`
// (1-based) replaced by `text`.
std::string example_lines(std::size_t count, int line = 0, const std::string& text = {}) {
    const std::string all = example();
    std::string out;
    std::size_t at = 0;
    for (std::size_t k = 1; at < all.size() && (count == 0 || k <= count); ++k) {
        const std::size_t end = all.find("\r\n", at);
        out += (static_cast<int>(k) == line ? text : all.substr(at, end - at)) + "\r\n";
        at = end + 2;
    }
    return out;
}

// A value line: 41 columns of label, then `field` from column 42.
std::string value_line(const std::string& field) { return std::string(41, '.') + field; }

TEST(KervaTables, EachValueLineOfTheReportReadsBackIntoItsField) {
    test_support::expect_report_reads_back(separator::kInputSection, separator::new_run(),
                                           separator::write_report, separator::read_input);
}

TEST(KervaTables, CalculatorShowsTheFieldsOfTheTables) {
    const calculators::Calculator& c = calculator();
    test_support::expect_input_fields(c.inputs, separator::kInputSection);
    test_support::expect_result_fields(c.results, separator::kResults);
    EXPECT_EQ(c.name, "KERVA");
    EXPECT_EQ(c.data_file, "KERVA.DAT");
    EXPECT_EQ(c.input_lines, 33);
    EXPECT_EQ(c.inputs.size(), 16u);
}

TEST(KervaTables, ExampleIsTheShippedFileAndCarriesTheBanner) {
    const calculators::Calculator& c = calculator();
    EXPECT_EQ(c.example, example());
    EXPECT_NE(c.example.find(c.banner), std::string::npos);
    std::vector<Value> inputs(c.inputs.size());
    ReadFailure failure;
    ASSERT_TRUE(c.read(c.example, inputs, failure));
    // QH ROG NU DK L R2 B HI NI UVX VID BETA D50 LGSG ROP QGE
    const std::vector<float> reals{1000.0f, 1.2f, 1.5e-5f, 0.4f, 1.2f, 0.15f, 0.1f, 0.2f, 0.0f,
                                   90.0f,   0.0f, 0.8f,    1e-5f, 0.3f, 2000.0f, 1.0f};
    for (std::size_t k = 0; k < reals.size(); ++k) {
        if (c.inputs[k].type == calculators::ValueType::Integer) {
            EXPECT_EQ(inputs[k].integer, 1) << c.inputs[k].name;
        } else {
            EXPECT_EQ(inputs[k].real, reals[k]) << c.inputs[k].name;
        }
    }
}

// NI and VID are read from columns 47-48 but written as one digit in column
// 47: a two-digit count in a data file is read, and its report shows an
// asterisk that the next run does not read.
TEST(KervaTables, CountsAreReadFromTwoColumnsAndWrittenInOne) {
    const calculators::Calculator& c = calculator();
    std::vector<Value> inputs(c.inputs.size());
    ReadFailure failure;
    ASSERT_TRUE(c.read(example_lines(0, 20, std::string(46, '.') + "12"), inputs, failure));
    EXPECT_EQ(inputs[8].integer, 12);  // NI
    ASSERT_TRUE(c.read(example_lines(0, 24, std::string(46, '.') + " 3"), inputs, failure));
    EXPECT_EQ(inputs[10].integer, 3);  // VID

    separator::KervaRun run = separator::new_run();
    run.NI = 7;
    run.VID = 12;
    std::string report;
    calculators::write_to_memory(report, [&](int unit) { separator::write_report(unit, run); });
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < report.size();) {
        const std::size_t end = report.find("\r\n", at);
        lines.push_back(report.substr(at, end - at));
        at = end + 2;
    }
    ASSERT_GE(lines.size(), 24u);
    EXPECT_EQ(lines[19].size(), 47u);
    EXPECT_EQ(lines[19].substr(41), "     7");
    EXPECT_EQ(lines[23].substr(41), "     *");
    EXPECT_FALSE(c.read(report, inputs, failure));
    EXPECT_EQ(failure.line, 24);
    EXPECT_EQ(failure.field, "VID");
}

// ---------------------------------------------------------------------------
// Where the reading of an input section stops, and what it found there.

struct Stop {
    const char* name;
    std::string bytes;
    ReadFailure expected;
    std::vector<float> read;  // the real members as the failed reading leaves them (QH, ROG, ...)
};
void PrintTo(const Stop& s, std::ostream* os) { *os << s.name; }

ReadFailure failure(int line, std::string_view field, int first, int last, std::string found, bool eof) {
    ReadFailure f;
    f.line = line;
    f.field = field;
    f.first_column = first;
    f.last_column = last;
    f.found = std::move(found);
    f.end_of_file = eof;
    return f;
}

// The real members of the example's values (0 for the counts NI and VID)
// that a reading failing at value `failed` (0-based) leaves: those before it,
// then zero.
std::vector<float> read_before(std::size_t failed) {
    std::vector<float> v{1000.0f, 1.2f, 1.5e-5f, 0.4f, 1.2f, 0.15f, 0.1f, 0.2f, 0.0f,
                         90.0f,   0.0f, 0.8f,    1e-5f, 0.3f, 2000.0f, 1.0f};
    for (std::size_t k = failed; k < v.size(); ++k) v[k] = 0.0f;
    return v;
}

class KervaReadFailure : public ::testing::TestWithParam<Stop> {};

TEST_P(KervaReadFailure, NamesTheLineTheFieldAndWhatWasThere) {
    const Stop& s = GetParam();
    std::vector<Value> inputs(16, Value{7.0f, 7});
    ReadFailure f;
    ASSERT_FALSE(calculator().read(s.bytes, inputs, f));
    EXPECT_EQ(f.line, s.expected.line);
    EXPECT_EQ(f.field, s.expected.field);
    EXPECT_EQ(f.first_column, s.expected.first_column);
    EXPECT_EQ(f.last_column, s.expected.last_column);
    EXPECT_EQ(f.found, s.expected.found);
    EXPECT_EQ(f.end_of_file, s.expected.end_of_file);
    for (std::size_t k = 0; k < s.read.size(); ++k) EXPECT_EQ(inputs[k].real, s.read[k]) << k;
}

INSTANTIATE_TEST_SUITE_P(
    InputSection, KervaReadFailure,
    ::testing::Values(
        Stop{"EmptyFile", "", failure(1, "header line", 1, 80, "", true), read_before(0)},
        Stop{"HeaderOnly", example_lines(10), failure(11, "QH", 42, 57, "", true), read_before(0)},
        Stop{"EndsBeforeALabelLine", example_lines(17), failure(18, "label line", 1, 80, "", true),
             read_before(7)},
        Stop{"TwoPointsInROG", example_lines(0, 12, value_line("   1.2.3")),
             failure(12, "ROG", 42, 57, "   1.2.3", false), read_before(1)},
        Stop{"LetterInNI", example_lines(0, 20, std::string(46, ' ') + "A1"),
             failure(20, "NI", 47, 48, "A1", false), read_before(8)},
        Stop{"PointInVID", example_lines(0, 24, std::string(46, ' ') + "1."),
             failure(24, "VID", 47, 48, "1.", false), read_before(10)},
        Stop{"CtrlZInUVX", example_lines(0, 22, value_line("    90.0\x1a")),
             failure(22, "UVX", 42, 52, "    90.0\x1a", true), read_before(9)},
        Stop{"BeyondSinglePrecisionInD50", example_lines(0, 28, value_line("1.0E+39\r")),
             failure(28, "D50", 42, 57, "1.0E+39", false), read_before(12)},
        Stop{"EndsBeforeQGE", example_lines(32), failure(33, "QGE", 42, 52, "", true), read_before(15)}),
    [](const auto& tp) { return std::string(tp.param.name); });

// ---------------------------------------------------------------------------
// compute is pure: threads computing at once get what one thread gets.

TEST(KervaCompute, ThreadsAtOnceGetWhatOneThreadGets) {
    const calculators::Calculator& c = calculator();
    // Around the example: each value scaled over decades, sometimes zero or
    // negative, so that every regime, approximation and console line, and
    // every kind of invalid arithmetic, comes up.
    const std::vector<Value> example_inputs = [&] {
        std::vector<Value> v(c.inputs.size());
        calculators::ReadFailure ignored;
        c.read(c.example, v, ignored);
        return v;
    }();
    std::mt19937 engine(4321u);
    std::uniform_real_distribution<float> exponent(-3.0f, 3.0f);
    std::vector<std::vector<Value>> inputs(2000, example_inputs);
    for (auto& set : inputs)
        for (std::size_t k = 0; k < set.size(); ++k) {
            const auto draw = engine();
            if (draw % 3 != 0) continue;
            if (c.inputs[k].type == calculators::ValueType::Integer) {
                set[k].integer = static_cast<std::int32_t>(draw % 5);
            } else {
                set[k].real = draw % 11 == 0 ? 0.0f
                                             : set[k].real * std::pow(10.0f, exponent(engine)) *
                                                   (draw % 13 == 0 ? -1.0f : 1.0f);
            }
        }

    auto fingerprint = [](const calculators::Outcome& o) {
        std::string s = o.valid ? "valid" : "invalid: ";
        s.append(o.failure);
        for (const std::string& line : o.console) s.append("|").append(line);
        for (const Value& v : o.results) s.append(" ").append(std::to_string(std::bit_cast<std::uint32_t>(v.real)));
        return s;
    };
    std::vector<std::string> alone(inputs.size());
    calculators::Outcome out;
    for (std::size_t k = 0; k < inputs.size(); ++k) {
        c.compute(inputs[k], false, out);
        alone[k] = fingerprint(out);
    }

    constexpr int kThreads = 4;
    std::vector<std::vector<std::string>> seen(kThreads, std::vector<std::string>(inputs.size()));
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            calculators::Outcome mine;  // reused, as a sweep does
            for (std::size_t k = 0; k < inputs.size(); ++k) {
                const std::size_t at = (k * 7 + static_cast<std::size_t>(t) * 500) % inputs.size();
                c.compute(inputs[at], false, mine);
                seen[static_cast<std::size_t>(t)][at] = fingerprint(mine);
            }
        });
    for (std::thread& th : threads) th.join();
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(seen[static_cast<std::size_t>(t)], alone) << "thread " << t;
}

}  // namespace
