// ZARN1's data-file tables against its reader and report, and its Calculator
// in memory: the fields it shows, its example, where a reading stops, the
// results and profile tables against the report it writes, and computations
// from several threads at once.
#include "data_file.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "fixrec/render.h"
#include "run.h"
#include "table_checks.h"
#include "test_files.h"

namespace {

using calculators::Outcome;
using calculators::ReadFailure;
using calculators::Value;
using vortex_chamber::calculator;

std::string example(const char* name = "ZARN1.DAT") {
    return test_support::read_bytes(std::filesystem::path(EXAMPLES_DIR) / name);
}

// The inputs of a data file, read by the Calculator.
std::vector<Value> inputs_of(const std::string& bytes) {
    std::vector<Value> inputs(calculator().inputs.size());
    ReadFailure failure;
    EXPECT_TRUE(calculator().read(bytes, inputs, failure)) << "line " << failure.line;
    return inputs;
}

std::size_t index_of(std::span<const calculators::Field> fields, std::string_view name) {
    for (std::size_t k = 0; k < fields.size(); ++k)
        if (fields[k].name == name) return k;
    ADD_FAILURE() << "no field " << name;
    return 0;
}

TEST(Zarn1Tables, EachValueLineOfTheReportReadsBackIntoItsField) {
    test_support::expect_report_reads_back(vortex_chamber::kInputSection, vortex_chamber::RunRecord{},
                                           vortex_chamber::write_report, vortex_chamber::read_input);
}

TEST(Zarn1Tables, CalculatorShowsTheFieldsOfTheTables) {
    const calculators::Calculator& c = calculator();
    test_support::expect_input_fields(c.inputs, vortex_chamber::kInputSection);
    test_support::expect_result_fields(c.results, vortex_chamber::kResults);
    EXPECT_EQ(c.name, "ZARN1");
    EXPECT_EQ(c.data_file, "ZARN1.DAT");
    EXPECT_EQ(c.input_lines, 25);
    // A tool finds a value by its name: ASCII, and one name for one value.
    std::set<std::string_view> names;
    for (const auto fields : {c.inputs, c.results})
        for (const calculators::Field& f : fields) {
            EXPECT_TRUE(names.insert(f.name).second) << f.name;
            for (const char ch : f.name) EXPECT_TRUE(ch > ' ' && ch < 0x7f) << f.name;
        }
}

TEST(Zarn1Tables, ExampleIsTheShippedFileAndCarriesTheBanner) {
    const calculators::Calculator& c = calculator();
    EXPECT_EQ(c.example, example());
    EXPECT_NE(c.example.find(c.banner), std::string::npos);
    const std::vector<Value> inputs = inputs_of(std::string(c.example));
    const std::vector<float> reals{0.05f, 0.1f, 0.1f, 0.03f, 0.03f, 0.002f, 90.0f,
                                   0.0f,  1.5e-5f, 1.2f, 101330.0f, 20.0f, 0.002f, 0.0f};
    for (std::size_t k = 0; k < reals.size(); ++k) EXPECT_EQ(inputs[k].real, reals[k]) << c.inputs[k].name;
    EXPECT_EQ(inputs[index_of(c.inputs, "VID")].integer, 1);
    EXPECT_EQ(inputs[index_of(c.inputs, "NVS")].integer, 0);
}

// ---------------------------------------------------------------------------
// Where the reading of an input section stops, and what it found there.

struct Stop {
    const char* name;
    std::string bytes;
    ReadFailure expected;
    std::size_t read;  // how many values the failed reading took from the example
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

// A value line: 41 columns of label, then `field` from column 42.
std::string value_line(const std::string& field) { return std::string(41, '.') + field; }

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

class Zarn1ReadFailure : public ::testing::TestWithParam<Stop> {};

TEST_P(Zarn1ReadFailure, NamesTheLineTheFieldAndWhatWasThere) {
    const Stop& s = GetParam();
    const calculators::Calculator& c = calculator();
    std::vector<Value> inputs(c.inputs.size(), Value{7.0f, 7});
    ReadFailure f;
    ASSERT_FALSE(c.read(s.bytes, inputs, f));
    EXPECT_EQ(f.line, s.expected.line);
    EXPECT_EQ(f.field, s.expected.field);
    EXPECT_EQ(f.first_column, s.expected.first_column);
    EXPECT_EQ(f.last_column, s.expected.last_column);
    EXPECT_EQ(f.found, s.expected.found);
    EXPECT_EQ(f.end_of_file, s.expected.end_of_file);
    // The values before the failing line as the example holds them, the rest zero.
    const std::vector<Value> all = inputs_of(example());
    for (std::size_t k = 0; k < inputs.size(); ++k) {
        const Value expected = k < s.read ? all[k] : Value{};
        EXPECT_EQ(inputs[k].real, expected.real) << c.inputs[k].name;
        EXPECT_EQ(inputs[k].integer, expected.integer) << c.inputs[k].name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    InputSection, Zarn1ReadFailure,
    ::testing::Values(
        Stop{"EmptyFile", "", failure(1, "header line", 1, 80, "", true), 0},
        Stop{"HeaderOnly", example_lines(10), failure(11, "G", 42, 57, "", true), 0},
        Stop{"LetterInL", example_lines(25, 13, value_line("      one metre ")),
             failure(13, "L", 42, 57, "      one metre ", false), 2},
        Stop{"CtrlZInThePSIVXAngle", example_lines(25, 17, value_line("    90.\x1a")),
             failure(17, "PSIVX", 42, 52, "    90.\x1a", true), 6},
        Stop{"EndsBeforeTheLegend", example_lines(17), failure(18, "label line", 1, 80, "", true), 7},
        Stop{"LetterForVID", example_lines(25, 19, value_line("     x")), failure(19, "VID", 47, 47, "x", false), 7},
        Stop{"TwoPointsInTK", example_lines(25, 23, value_line("  1.2.3")),
             failure(23, "TK", 42, 52, "  1.2.3", false), 11},
        Stop{"ExponentWithoutDigitsInDRK", example_lines(25, 24, value_line("     1.5E\r")),
             failure(24, "DRK", 42, 57, "     1.5E", false), 12},
        Stop{"TwentyFourLines", example_lines(24), failure(25, "NVS", 47, 47, "", true), 13}),
    [](const auto& tp) { return std::string(tp.param.name); });

// ---------------------------------------------------------------------------
// The results and the profile tables are the report's.

// `bytes` with the field of line `line` that starts in column `column`
// replaced by `field`.
std::string with_field(std::string bytes, int line, std::size_t column, const std::string& field) {
    std::size_t at = 0;
    for (int k = 1; k < line; ++k) at = bytes.find("\r\n", at) + 2;
    bytes.replace(at + column - 1, field.size(), field);
    return bytes;
}

struct Shown {
    const char* name;
    std::string bytes;
};
void PrintTo(const Shown& s, std::ostream* os) { *os << s.name; }

class Zarn1Outcome : public ::testing::TestWithParam<Shown> {};

TEST_P(Zarn1Outcome, ResultsAndTablesAreWhatTheReportShows) {
    const calculators::Calculator& c = calculator();
    const std::vector<Value> inputs = inputs_of(GetParam().bytes);
    std::string report;
    ASSERT_TRUE(c.report(inputs, report));

    Outcome out;
    c.compute(inputs, false, out);
    ASSERT_TRUE(out.valid);
    EXPECT_TRUE(out.tables.empty());
    ASSERT_EQ(out.results.size(), c.results.size());
    // Every result line the report shows is its row's statement with the
    // result's value; the refinements show for the analytic vortex alone.
    const bool analytic = inputs[index_of(c.inputs, "NVS")].integer == 0;
    for (std::size_t k = 0; k < c.results.size(); ++k) {
        const calculators::Field& f = c.results[k];
        std::string line;
        if (f.type == calculators::ValueType::Integer)
            fixrec::render_record(f.report, {out.results[k].integer}, line);
        else
            fixrec::render_record(f.report, {out.results[k].real}, line);
        const bool refined = f.name.find('_') != std::string_view::npos || f.name == "N";
        EXPECT_EQ(report.find(line) != std::string::npos, analytic || !refined) << f.name;
    }

    Outcome with;
    c.compute(inputs, true, with);
    ASSERT_EQ(with.tables.size(), 2u);
    const std::int32_t nk = out.results[index_of(c.results, "NK")].integer;
    const std::int32_t nita = out.results[index_of(c.results, "NITA")].integer;
    // The rows of each table, as the report writes them.
    for (const auto& [table, count, names] :
         {std::tuple{&with.tables[0], nk, "rVP"}, std::tuple{&with.tables[1], nita, "rUW"}}) {
        SCOPED_TRACE(names);
        ASSERT_EQ(table->size(), 3u);
        for (std::size_t j = 0; j < 3; ++j) {
            EXPECT_EQ((*table)[j].name, std::string_view(names + j, 1));
            EXPECT_EQ((*table)[j].values.size(), static_cast<std::size_t>(count));
            EXPECT_NE(report.find((*table)[j].unit), std::string::npos);
        }
        std::string rows = "\r\n\r\n";  // after the headings
        for (std::int32_t i = 0; i < count; ++i) {
            for (std::size_t j = 0; j < 3; ++j)
                rows += "      " + fixrec::format_e((*table)[j].values[static_cast<std::size_t>(i)], 12, 5);
            rows += "\r\n";
        }
        EXPECT_NE(report.find(rows + "\r\n\r\n"), std::string::npos);  // then two empty lines
    }
    // The results are the same with the tables.
    for (std::size_t k = 0; k < c.results.size(); ++k) {
        EXPECT_EQ(std::bit_cast<std::uint32_t>(with.results[k].real),
                  std::bit_cast<std::uint32_t>(out.results[k].real));
        EXPECT_EQ(with.results[k].integer, out.results[k].integer);
    }
}

INSTANTIATE_TEST_SUITE_P(
    DataFiles, Zarn1Outcome,
    ::testing::Values(Shown{"AnalyticVortex", example()}, Shown{"EquationsOfMotion", example("ZARN1-nvs1.DAT")},
                      // F2 <= 2: no V, P rows, the U, W rows all the same.
                      Shown{"WeakFlow", with_field(example("ZARN1-nvs1.DAT"), 11, 42, "      .20000E-04")}),
    [](const auto& tp) { return std::string(tp.param.name); });

TEST(Zarn1Outcome, InvalidArithmeticHasNoResultsAndNoTables) {
    const calculators::Calculator& c = calculator();
    std::vector<Value> inputs = inputs_of(example());
    inputs[index_of(c.inputs, "RO")].real = 0.0f;
    Outcome out;
    c.compute(inputs, true, out);
    EXPECT_FALSE(out.valid);
    EXPECT_FALSE(out.failure.empty());
    EXPECT_TRUE(out.tables.empty());
    ASSERT_EQ(out.results.size(), c.results.size());
    for (const Value& v : out.results) {
        EXPECT_EQ(v.real, 0.0f);
        EXPECT_EQ(v.integer, 0);
    }
    std::string report = "left from before";
    EXPECT_FALSE(c.report(inputs, report));
    EXPECT_EQ(report, "");
}

// ---------------------------------------------------------------------------
// compute is pure: threads computing at once get what one thread gets.

TEST(Zarn1Compute, ThreadsAtOnceGetWhatOneThreadGets) {
    const calculators::Calculator& c = calculator();
    // The example chamber with its values scaled over decades, some zero or
    // negative, the switches over their digits: valid runs, every message of
    // the steps, and invalid arithmetic.
    const std::vector<Value> base = inputs_of(example());
    std::mt19937 engine(4321u);
    std::uniform_real_distribution<float> exponent(-3.0f, 3.0f);
    std::vector<std::vector<Value>> inputs(600, base);
    for (auto& set : inputs)
        for (std::size_t k = 0; k < set.size(); ++k) {
            const auto draw = engine();
            if (c.inputs[k].type == calculators::ValueType::Integer) {
                set[k].integer = static_cast<std::int32_t>(draw % 4);
                continue;
            }
            if (draw % 3 == 0) continue;
            const float sign = draw % 23 == 0 ? -1.0f : 1.0f;
            set[k].real = draw % 29 == 0 ? 0.0f : set[k].real * std::pow(10.0f, exponent(engine)) * sign;
        }

    auto fingerprint = [](const Outcome& o) {
        std::string s = o.valid ? "valid" : "invalid: ";
        s.append(o.failure);
        for (const std::string& line : o.console) s.append("|").append(line);
        for (const Value& v : o.results) {
            s.append(" ").append(std::to_string(std::bit_cast<std::uint32_t>(v.real)));
            s.append("/").append(std::to_string(v.integer));
        }
        for (const auto& table : o.tables)
            for (const calculators::Column& col : table)
                for (const float v : col.values) s.append(" ").append(std::to_string(std::bit_cast<std::uint32_t>(v)));
        return s;
    };
    std::vector<std::string> alone(inputs.size());
    Outcome out;
    for (std::size_t k = 0; k < inputs.size(); ++k) {
        c.compute(inputs[k], k % 2 == 0, out);
        alone[k] = fingerprint(out);
    }
    // The inputs reach valid runs, invalid ones and console lines of the steps.
    int valid = 0, invalid = 0, shown = 0;
    for (const std::string& f : alone) {
        (f[0] == 'v' ? valid : invalid) += 1;
        shown += f.find('|') != std::string::npos ? 1 : 0;
    }
    EXPECT_GT(valid, 50);
    EXPECT_GT(invalid, 50);
    EXPECT_GT(shown, 20);

    constexpr int kThreads = 4;
    std::vector<std::vector<std::string>> seen(kThreads, std::vector<std::string>(inputs.size()));
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            Outcome mine;  // reused, as a sweep does
            for (std::size_t k = 0; k < inputs.size(); ++k) {
                const std::size_t at = (k * 7 + static_cast<std::size_t>(t) * 150) % inputs.size();
                c.compute(inputs[at], at % 2 == 0, mine);
                seen[static_cast<std::size_t>(t)][at] = fingerprint(mine);
            }
        });
    for (std::thread& th : threads) th.join();
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(seen[static_cast<std::size_t>(t)], alone) << "thread " << t;
}

}  // namespace
