// The Calculator of each program in memory, one property at a time for the
// three: its values have one ASCII name each, and its report reads back into
// its fields; its example is the shipped file; it gives profile tables when
// it says it has them; a broken input section stops the reading where the
// program's reader stops, and says what it found there; each data file of
// the program's table computes to its stated end, an invalid one with no
// results, and together they reach every cause of invalid arithmetic; and
// computations from several threads at once give what one thread gives.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <map>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "every_program.h"
#include "fixrec/render.h"

namespace calculator_cases {
namespace {

using calculators::Calculator;
using calculators::Outcome;

class EveryCalculator : public ::testing::TestWithParam<const Program*> {};

TEST_P(EveryCalculator, NamesEachValueOnceInAscii) {
    const Program& p = *GetParam();
    const Calculator& c = p.calculator();
    EXPECT_EQ(c.name, p.name);
    EXPECT_EQ(c.data_file, p.data_file);
    EXPECT_EQ(c.input_lines, p.input_lines);
    EXPECT_EQ(c.inputs.size(), p.example_inputs.size());
    // A tool finds a value by its name: ASCII, and one name for one value.
    std::set<std::string_view> names;
    for (const auto fields : {c.inputs, c.results})
        for (const calculators::Field& f : fields) {
            EXPECT_TRUE(names.insert(f.name).second) << f.name;
            for (const char ch : f.name) EXPECT_TRUE(ch > ' ' && ch < 0x7f) << f.name;
        }
}

TEST_P(EveryCalculator, EachValueLineOfTheReportReadsBackIntoItsField) { GetParam()->report_reads_back(); }

TEST_P(EveryCalculator, ExampleIsTheShippedFileAndCarriesTheBanner) {
    const Program& p = *GetParam();
    const Calculator& c = p.calculator();
    EXPECT_EQ(c.example, example(p.data_file));
    EXPECT_NE(c.example.find(c.banner), std::string::npos);
    std::vector<Value> inputs(c.inputs.size());
    ReadFailure failure;
    ASSERT_TRUE(c.read(c.example, inputs, failure));
    for (std::size_t k = 0; k < p.example_inputs.size(); ++k) {
        EXPECT_EQ(inputs[k].real, p.example_inputs[k].real) << c.inputs[k].name;
        EXPECT_EQ(inputs[k].integer, p.example_inputs[k].integer) << c.inputs[k].name;
    }
}

// A tool asks Calculator::profiles instead of computing: a valid run gives
// the two profile tables on request exactly when it says so, and none
// unasked.
TEST_P(EveryCalculator, GivesProfileTablesWhenItSaysSo) {
    const Calculator& c = GetParam()->calculator();
    std::vector<Value> inputs(c.inputs.size());
    ReadFailure failure;
    ASSERT_TRUE(c.read(c.example, inputs, failure));
    Outcome asked, unasked;
    c.compute(inputs, true, asked);
    c.compute(inputs, false, unasked);
    ASSERT_TRUE(asked.valid);
    EXPECT_EQ(asked.tables.size(), c.profiles ? 2u : 0u);
    EXPECT_TRUE(unasked.tables.empty());
}

// The data files of the table reach every cause of invalid arithmetic that
// the program lists (each file's own is checked below).
TEST_P(EveryCalculator, DataFilesReachEveryCauseOfInvalidArithmetic) {
    const Program& p = *GetParam();
    std::set<std::string_view> reached;
    for (const DataFile& file : p.data_files)
        if (file.failure && !file.failure->empty()) reached.insert(*file.failure);
    EXPECT_EQ(reached, std::set<std::string_view>(p.causes.begin(), p.causes.end()));
}

// ---------------------------------------------------------------------------
// Where the reading of an input section stops, and what it found there.

class ReadFailure : public ::testing::TestWithParam<Of<Stop>> {};

TEST_P(ReadFailure, NamesTheLineTheFieldAndWhatWasThere) {
    const Program& p = *GetParam().program;
    const Stop& s = *GetParam().item;
    const Calculator& c = p.calculator();
    std::vector<Value> inputs(c.inputs.size(), Value{7.0f, 7});
    calculators::ReadFailure f;
    ASSERT_FALSE(c.read(s.bytes, inputs, f));
    EXPECT_EQ(f.line, s.expected.line);
    EXPECT_EQ(f.field, s.expected.field);
    EXPECT_EQ(f.first_column, s.expected.first_column);
    EXPECT_EQ(f.last_column, s.expected.last_column);
    EXPECT_EQ(f.found, s.expected.found);
    EXPECT_EQ(f.kind, s.expected.kind);
    EXPECT_EQ(f.reason, s.expected.reason);
    // The values before the failing line as the example holds them, the rest zero.
    for (std::size_t k = 0; k < inputs.size(); ++k) {
        const Value expected = k < s.read ? p.example_inputs[k] : Value{};
        EXPECT_EQ(inputs[k].real, expected.real) << c.inputs[k].name;
        EXPECT_EQ(inputs[k].integer, expected.integer) << c.inputs[k].name;
    }
}

INSTANTIATE_TEST_SUITE_P(InputSection, ReadFailure, ::testing::ValuesIn(every(&Program::stops)), item_name<Stop>);

// ---------------------------------------------------------------------------
// Each data file computes to the end its table states; an invalid
// computation has no results, no profile tables and no report.

class DataFileInMemory : public ::testing::TestWithParam<Of<DataFile>> {};

TEST_P(DataFileInMemory, ComputesToItsEndAndNothingWhenInvalid) {
    const Program& p = *GetParam().program;
    const DataFile& file = *GetParam().item;
    const Calculator& c = p.calculator();
    std::vector<Value> inputs(c.inputs.size());
    calculators::ReadFailure failure;
    ASSERT_EQ(c.read(file.bytes, inputs, failure), file.failure.has_value()) << "line " << failure.line;
    if (!file.failure) return;
    Outcome out;
    c.compute(inputs, true, out);
    EXPECT_EQ(out.failure, *file.failure);
    EXPECT_EQ(out.valid, file.failure->empty());
    ASSERT_EQ(out.results.size(), c.results.size());
    if (out.valid) return;
    EXPECT_TRUE(out.tables.empty());
    for (const Value& v : out.results) {
        EXPECT_EQ(v.real, 0.0f);
        EXPECT_EQ(v.integer, 0);
    }
    std::string report = "left from before";
    EXPECT_FALSE(c.report(inputs, report));
    EXPECT_EQ(report, "");
}

INSTANTIATE_TEST_SUITE_P(DataFiles, DataFileInMemory, ::testing::ValuesIn(every(&Program::data_files)),
                         item_name<DataFile>);

// ---------------------------------------------------------------------------
// compute is pure: threads computing at once get what one thread gets.

std::string fingerprint(const Outcome& o) {
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
}

TEST_P(EveryCalculator, ThreadsAtOnceGetWhatOneThreadGets) {
    const Program& p = *GetParam();
    const Calculator& c = p.calculator();
    // The example with two values in three changed: a real scaled over
    // decades, sometimes zero or negative; a count or switch a digit.
    std::mt19937 engine(4321u);
    std::uniform_real_distribution<float> exponent(-p.sweep_decades, p.sweep_decades);
    std::vector<std::vector<Value>> inputs(p.sweep_sets, p.example_inputs);
    for (auto& set : inputs)
        for (std::size_t k = 0; k < set.size(); ++k) {
            const auto draw = engine();
            if (draw % 3 == 0) continue;
            if (c.inputs[k].type == calculators::ValueType::Integer) {
                set[k].integer = static_cast<std::int32_t>(draw % 5);
                continue;
            }
            const float sign = draw % 19 == 0 ? -1.0f : 1.0f;
            set[k].real = draw % 17 == 0 ? 0.0f : set[k].real * std::pow(10.0f, exponent(engine)) * sign;
        }

    std::vector<std::string> alone(inputs.size());
    Outcome out;
    int valid = 0, invalid = 0, with_lines = 0;
    for (std::size_t k = 0; k < inputs.size(); ++k) {
        c.compute(inputs[k], k % 2 == 0, out);
        alone[k] = fingerprint(out);
        (out.valid ? valid : invalid) += 1;
        with_lines += out.console.empty() ? 0 : 1;
    }
    // The inputs reach valid runs, invalid ones and console lines on the way.
    EXPECT_GT(valid, 50);
    EXPECT_GT(invalid, 50);
    EXPECT_GE(with_lines, p.sweep_console_lines);

    constexpr int kThreads = 4;
    const std::size_t stride = inputs.size() / kThreads;
    std::vector<std::vector<std::string>> seen(kThreads, std::vector<std::string>(inputs.size()));
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            Outcome mine;  // reused, as a sweep does
            for (std::size_t k = 0; k < inputs.size(); ++k) {
                const std::size_t at = (k * 7 + static_cast<std::size_t>(t) * stride) % inputs.size();
                c.compute(inputs[at], at % 2 == 0, mine);
                seen[static_cast<std::size_t>(t)][at] = fingerprint(mine);
            }
        });
    for (std::thread& th : threads) th.join();
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(seen[static_cast<std::size_t>(t)], alone) << "thread " << t;
}

// ---------------------------------------------------------------------------
// Every value a reader takes, against what the report's field shows of it.

// The inputs whose report field cannot hold every value their reader takes:
// an F11.4 field prints asterisks from 10^6 up and from -10^5 down, and the
// stored files rely on its width.  Every other input holds every value,
// KERVA's counts too, which the report writes two digits wide when one digit
// does not hold them.  A field holds a value when the report shows it as a
// number that the reader takes back to the same report (rounded to the
// field's digits: an F11.4 field shows 0.00001 as 0.0000).
const std::map<std::string_view, std::set<std::string_view>> kCannotHoldEveryValue{
    {"BILM", {}}, {"KERVA", {"UVX", "BETA", "QGE"}}, {"ZARN1", {"PSIVX", "TK"}}};

// `bytes` with the text of line `line` (1-based, before its CR LF) replaced.
std::string with_line(std::string_view bytes, int line, const std::string& text) {
    std::size_t at = 0;
    for (int k = 1; k < line; ++k) at = bytes.find('\n', at) + 1;
    const std::size_t end = bytes.find('\r', at);
    return std::string(bytes.substr(0, at)) + text + std::string(bytes.substr(end));
}

// What a person may type into a field read by `read`: every count an Iw
// field takes; for a real, a power of ten at every decade of single
// precision and the largest value, both signs.
std::vector<std::string> typed_values(const fixrec::Descriptor& read) {
    std::vector<std::string> typed;
    if (read.kind == fixrec::DescKind::I) {
        int largest = 1;
        for (int k = 0; k < read.w; ++k) largest *= 10;
        for (int v = -(largest / 10 - 1); v < largest; ++v) typed.push_back(std::to_string(v));
        return typed;
    }
    for (const char* sign : {"", "-"}) {
        for (int e = -45; e <= 38; ++e) typed.push_back(sign + std::string("1.E") + std::to_string(e));
        typed.push_back(sign + std::string("3.4028E38"));
    }
    return typed;
}

TEST_P(EveryCalculator, ReportFieldsHoldWhatTheReaderTakes) {
    const Program& p = *GetParam();
    const Calculator& c = p.calculator();
    const std::string_view example = c.example;
    std::set<std::string_view> cannot_hold;
    std::vector<Value> read(c.inputs.size()), again(c.inputs.size());
    calculators::ReadFailure failure;
    for (std::size_t k = 0; k < c.inputs.size(); ++k) {
        const calculators::Field& f = c.inputs[k];
        const fixrec::Descriptor field = calculators::first_field(f.read);
        const auto before = static_cast<std::size_t>(calculators::columns_before_field(f.read));
        int taken = 0;
        for (const std::string& typed : typed_values(field)) {
            SCOPED_TRACE(std::string(f.name) + " = " + typed);
            // Typed right-justified into the columns the program reads.
            const std::string line =
                std::string(before, ' ') + std::string(static_cast<std::size_t>(field.w) - typed.size(), ' ') + typed;
            if (!c.read(with_line(example, f.line, line), read, failure)) continue;
            ++taken;
            // The report's line of that value, and the next run's reading of it.
            std::string report;
            const fixrec::Item item =
                f.type == calculators::ValueType::Integer ? fixrec::Item(read[k].integer) : fixrec::Item(read[k].real);
            fixrec::render_record(calculators::report_format(f, read[k]), {item}, report);
            report.resize(report.size() - 2);  // CR LF
            bool holds = c.read(with_line(example, f.line, report), again, failure);
            if (holds) {
                std::string next;
                const fixrec::Item item_again = f.type == calculators::ValueType::Integer
                                                    ? fixrec::Item(again[k].integer)
                                                    : fixrec::Item(again[k].real);
                fixrec::render_record(calculators::report_format(f, again[k]), {item_again}, next);
                holds = next == report + "\r\n";
            }
            EXPECT_EQ(calculators::report_holds(f, read[k]), holds) << report;
            if (!holds) cannot_hold.insert(f.name);
        }
        // The reader takes every count, and the reals from some 10^-38 to the largest.
        EXPECT_GE(taken, f.type == calculators::ValueType::Integer ? 10 : 2 * 77) << f.name;
    }
    EXPECT_EQ(cannot_hold, kCannotHoldEveryValue.at(p.name));
}

INSTANTIATE_TEST_SUITE_P(Programs, EveryCalculator, ::testing::ValuesIn(programs()), program_name);

}  // namespace
}  // namespace calculator_cases
