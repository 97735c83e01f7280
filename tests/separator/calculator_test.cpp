// KERVA's own in its Calculator: the counts NI and VID are read from columns
// 47-48 but written as one digit in column 47, so a two-digit count in a data
// file is read, and its report shows an asterisk that the next run does not
// read.  What the three Calculators share is checked in tests/calculators.
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

TEST(KervaTables, CountsAreReadFromTwoColumnsAndWrittenInOne) {
    const calculators::Calculator& c = calculator();
    std::vector<Value> inputs(c.inputs.size());
    calculators::ReadFailure failure;
    ASSERT_TRUE(c.read(example_with_line(20, std::string(46, '.') + "12"), inputs, failure));
    EXPECT_EQ(inputs[8].integer, 12);  // NI
    ASSERT_TRUE(c.read(example_with_line(24, std::string(46, '.') + " 3"), inputs, failure));
    EXPECT_EQ(inputs[10].integer, 3);  // VID

    separator::KervaRun run = separator::new_run();
    run.NI = 7;
    run.VID = 12;
    std::string report;
    calculators::write_to_memory(report, [&](int unit) { separator::write_report(unit, run); });
    const std::vector<std::string> lines = lines_of(report);
    ASSERT_GE(lines.size(), 24u);
    EXPECT_EQ(lines[19].size(), 47u);
    EXPECT_EQ(lines[19].substr(41), "     7");
    EXPECT_EQ(lines[23].substr(41), "     *");
    EXPECT_FALSE(c.read(report, inputs, failure));
    EXPECT_EQ(failure.line, 24);
    EXPECT_EQ(failure.field, "VID");
}

}  // namespace
