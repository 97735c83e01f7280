// ZARN1's own in its Calculator: the results and the profile tables that
// compute gives are those of the report it writes.  What the three
// Calculators share is checked in tests/calculators.
#include "data_file.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "fixrec/render.h"
#include "run.h"
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

}  // namespace
