// BILM's data-file tables against its reader and report, and its Calculator
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
using drain_funnel::calculator;

std::string example() { return test_support::read_bytes(std::filesystem::path(EXAMPLES_DIR) / "BILM.DAT"); }

TEST(BilmTables, EachValueLineOfTheReportReadsBackIntoItsField) {
    test_support::expect_report_reads_back(drain_funnel::kInputSection, drain_funnel::new_run(),
                                           drain_funnel::write_report, drain_funnel::read_input);
}

TEST(BilmTables, CalculatorShowsTheFieldsOfTheTables) {
    const calculators::Calculator& c = calculator();
    test_support::expect_input_fields(c.inputs, drain_funnel::kInputSection);
    test_support::expect_result_fields(c.results, drain_funnel::kResults);
    EXPECT_EQ(c.name, "BILM");
    EXPECT_EQ(c.data_file, "BILM.DAT");
    EXPECT_EQ(c.input_lines, 11);
}

TEST(BilmTables, ExampleIsTheShippedFileAndCarriesTheBanner) {
    const calculators::Calculator& c = calculator();
    EXPECT_EQ(c.example, example());
    EXPECT_NE(c.example.find(c.banner), std::string::npos);
    std::vector<Value> inputs(c.inputs.size());
    ReadFailure failure;
    ASSERT_TRUE(c.read(c.example, inputs, failure));
    const std::vector<float> expected{0.001f, 0.5f, 0.01f, 0.1f, 0.05f};
    for (std::size_t k = 0; k < expected.size(); ++k) EXPECT_EQ(inputs[k].real, expected[k]) << c.inputs[k].name;
}

// ---------------------------------------------------------------------------
// Where the reading of an input section stops, and what it found there.

struct Stop {
    const char* name;
    std::string bytes;
    ReadFailure expected;
    std::vector<float> read;  // Q, HG, R1, RCR, UPOD as the failed reading leaves them
};
void PrintTo(const Stop& s, std::ostream* os) { *os << s.name; }

// The example's first `count` lines, with line `line` (1-based) replaced.
std::string example_lines(std::size_t count, int line = 0, const std::string& text = {}) {
    const std::string all = example();
    std::string out;
    std::size_t at = 0;
    for (std::size_t k = 1; k <= count; ++k) {
        const std::size_t end = all.find("\r\n", at);
        out += (static_cast<int>(k) == line ? text : all.substr(at, end - at)) + "\r\n";
        at = end + 2;
    }
    return out;
}

// A value line: 38 columns of label, then `field` from column 39.
std::string value_line(const std::string& field) { return std::string(38, '.') + field; }

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

class BilmReadFailure : public ::testing::TestWithParam<Stop> {};

TEST_P(BilmReadFailure, NamesTheLineTheFieldAndWhatWasThere) {
    const Stop& s = GetParam();
    std::vector<Value> inputs(5, Value{7.0f, 7});
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
    InputSection, BilmReadFailure,
    ::testing::Values(
        Stop{"EmptyFile", "", failure(1, "header line", 1, 80, "", true), {0, 0, 0, 0, 0}},
        Stop{"HeaderOnly", example_lines(6), failure(7, "Q", 39, 50, "", true), {0, 0, 0, 0, 0}},
        Stop{"EndsAfterR1", example_lines(9), failure(10, "RCR", 39, 50, "", true), {0.001f, 0.5f, 0.01f, 0, 0}},
        Stop{"TwoPointsInQ", example_lines(11, 7, value_line("  1.2.3     (m3/s)")),
             failure(7, "Q", 39, 50, "  1.2.3     ", false), {0, 0, 0, 0, 0}},
        Stop{"LetterInHG", example_lines(11, 8, value_line("12A")), failure(8, "HG", 39, 50, "12A", false),
             {0.001f, 0, 0, 0, 0}},
        Stop{"CtrlZInR1", example_lines(11, 9, value_line("0.01\x1a")),
             failure(9, "R1", 39, 50, "0.01\x1a", true), {0.001f, 0.5f, 0, 0, 0}},
        Stop{"ExponentWithoutDigitsInRCR", example_lines(11, 10, value_line("  1.5E      ")),
             failure(10, "RCR", 39, 50, "  1.5E      ", false), {0.001f, 0.5f, 0.01f, 0, 0}},
        Stop{"BeyondSinglePrecisionInUPOD", example_lines(11, 11, value_line("1.0E+39\r")),
             failure(11, "UPOD", 39, 50, "1.0E+39", false), {0.001f, 0.5f, 0.01f, 0.1f, 0}}),
    [](const auto& tp) { return std::string(tp.param.name); });

// ---------------------------------------------------------------------------
// compute is pure: threads computing at once get what one thread gets.

TEST(BilmCompute, ThreadsAtOnceGetWhatOneThreadGets) {
    const calculators::Calculator& c = calculator();
    // Inputs over many decades and both signs: valid runs, the funnel at the
    // outlet, and every kind of invalid arithmetic.
    std::mt19937 engine(1234u);
    std::uniform_real_distribution<float> exponent(-6.0f, 6.0f);
    std::vector<std::vector<Value>> inputs(2000, std::vector<Value>(c.inputs.size()));
    for (auto& set : inputs)
        for (Value& v : set) {
            const auto draw = engine();
            v.real = draw % 7 == 0 ? 0.0f : std::pow(10.0f, exponent(engine)) * (draw % 5 == 0 ? -1.0f : 1.0f);
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
