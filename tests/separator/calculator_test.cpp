// KERVA's own in its Calculator: the counts NI and VID are read from columns
// 47-48; the report writes a count of one digit in column 47 alone and a
// wider one in columns 47-48, so every count the reader takes comes back.
// What the three Calculators share is checked in tests/calculators.
#include "data_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "run.h"
#include "test_files.h"

namespace {

using calculators::Value;
using separator::calculator;

// The lines of a data file, without their CR LF.
std::vector<std::string> lines_of(const std::string& bytes) {
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t end = std::min(bytes.find("\r\n", at), bytes.size());
        lines.push_back(bytes.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

// The example with line `line` (1-based) replaced by `text`.
std::string example_with_line(int line, const std::string& text) {
    std::vector<std::string> lines =
        lines_of(test_support::read_bytes(std::filesystem::path(EXAMPLES_DIR) / "KERVA.DAT"));
    lines[static_cast<std::size_t>(line - 1)] = text;
    std::string bytes;
    for (const std::string& l : lines) bytes += l + "\r\n";
    return bytes;
}

TEST(KervaTables, CountsAreReadFromTwoColumns) {
    const calculators::Calculator& c = calculator();
    std::vector<Value> inputs(c.inputs.size());
    calculators::ReadFailure failure;
    ASSERT_TRUE(c.read(example_with_line(20, std::string(46, '.') + "12"), inputs, failure));
    EXPECT_EQ(inputs[8].integer, 12);  // NI
    ASSERT_TRUE(c.read(example_with_line(24, std::string(46, '.') + " 3"), inputs, failure));
    EXPECT_EQ(inputs[10].integer, 3);  // VID
}

// The report's line of a count, from column 42, and whether the next run
// reads the count back.
struct CountCase {
    int count;
    const char* field;  // columns 42 to the end of the line
    bool read_back;
};

TEST(KervaTables, CountsAreWrittenWhereTheReaderTakesThem) {
    const calculators::Calculator& c = calculator();
    const CountCase cases[] = {
        // One digit: exactly as ever, the line ends in column 47.
        {0, "     0", true}, {1, "     1", true}, {7, "     7", true}, {9, "     9", true},
        // Two columns, 47-48.
        {10, "     10", true}, {12, "     12", true}, {99, "     99", true}, {-1, "     -1", true},
        {-9, "     -9", true},
        // Beyond what two columns hold, which the reader could not have read.
        {100, "     **", false}, {-10, "     **", false},
    };
    for (const CountCase& k : cases) {
        for (const bool ni : {true, false}) {
            SCOPED_TRACE((ni ? "NI = " : "VID = ") + std::to_string(k.count));
            separator::KervaRun run = separator::new_run();
            (ni ? run.NI : run.VID) = k.count;
            std::string report;
            calculators::write_to_memory(report, [&](int unit) { separator::write_report(unit, run); });
            const std::vector<std::string> lines = lines_of(report);
            ASSERT_GE(lines.size(), 24u);
            const std::string& line = lines[ni ? 19 : 23];
            EXPECT_EQ(line.substr(41), k.field);
            EXPECT_EQ(lines[ni ? 23 : 19].substr(41), "     0");
            std::vector<Value> inputs(c.inputs.size());
            calculators::ReadFailure failure;
            EXPECT_EQ(c.read(report, inputs, failure), k.read_back);
            if (k.read_back) {
                EXPECT_EQ(inputs[ni ? 8 : 10].integer, k.count);
            }
        }
    }
}

}  // namespace
