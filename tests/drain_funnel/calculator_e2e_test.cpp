// BILM's Calculator against the built BILM: for the example, the funnel at
// the outlet, every kind of invalid arithmetic and an unreadable section,
// read + compute gives the console of the program, report gives the file it
// writes, and run on a file of another name in another directory gives the
// console, exit code and bytes of the program on BILM.DAT in its directory.
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "console_capture.h"
#include "run.h"
#include "run_program.h"
#include "test_files.h"

namespace {

namespace fs = std::filesystem;
using calculators::Value;
using drain_funnel::calculator;
using test_support::entries;
using test_support::read_bytes;
using test_support::RunResult;
using test_support::TempDir;
using test_support::write_bytes;

// The built program in `dir`, with the keyboard closed.
RunResult run_bilm(const TempDir& dir, std::vector<std::string> args = {}) {
    test_support::RunOptions o;
    o.program = BILM_PATH;
    o.cwd = dir.path().string();
    o.args = std::move(args);
    return test_support::run_program(o);
}

// Calculator::run in-process, with the keyboard closed.
struct InProcess {
    int exit_code;
    std::string out, err;
};
InProcess run_calculator(const fs::path& path, std::vector<std::string> args = {}) {
    test_support::CaptureConsole console;
    const int code = calculator().run(path.string(), std::move(args), &console);
    return {code, console.out, console.err};
}

// The console as a run shows lines: each ended by CR LF.
std::string shown(const calculators::Outcome& o) {
    std::string s;
    for (const std::string& line : o.console) s += line + "\r\n";
    if (!o.valid) s += o.failure + "\r\n";
    return s;
}

std::string example() { return read_bytes(fs::path(EXAMPLES_DIR) / "BILM.DAT"); }

// The example with the field of value line `line` (7-11) replaced.
std::string example_with(int line, const std::string& field) {
    std::string s = example();
    std::size_t at = 0;
    for (int k = 1; k < line; ++k) at = s.find("\r\n", at) + 2;
    s.replace(at + 38, 12, field);
    return s;
}

struct Case {
    const char* name;
    std::string bytes;
};
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class BilmCalculator : public ::testing::TestWithParam<Case> {};

TEST_P(BilmCalculator, GivesWhatTheProgramGives) {
    const std::string& bytes = GetParam().bytes;
    TempDir program_dir;
    write_bytes(program_dir / "BILM.DAT", bytes);
    const RunResult program = run_bilm(program_dir);
    ASSERT_FALSE(program.timed_out);
    const std::string program_file = read_bytes(program_dir / "BILM.DAT");

    const calculators::Calculator& c = calculator();
    std::vector<Value> inputs(c.inputs.size());
    calculators::ReadFailure failure;
    const bool read = c.read(bytes, inputs, failure);
    EXPECT_EQ(read, program.exit_code != test_support::kExitUnreadable);
    if (read) {
        calculators::Outcome out;
        c.compute(inputs, false, out);
        EXPECT_EQ(out.valid, program.exit_code == test_support::kExitOk);
        EXPECT_EQ(shown(out), program.out);
        EXPECT_EQ(out.results.size(), c.results.size());

        std::string report = "left from before";
        EXPECT_EQ(c.report(inputs, report), out.valid);
        EXPECT_EQ(report, out.valid ? program_file : "");
    }

    // Another name in another directory, the same run.
    TempDir other;
    fs::create_directory(other / "sub");
    const fs::path path = other / "sub" / "funnel.dat";
    write_bytes(path, bytes);
    const InProcess run = run_calculator(path);
    EXPECT_EQ(run.exit_code, program.exit_code);
    EXPECT_EQ(run.out, program.out);
    EXPECT_EQ(run.err, program.err);
    EXPECT_EQ(read_bytes(path), program_file);
    EXPECT_EQ(entries(other / "sub"), std::set<std::string>{"funnel.dat"});
}

INSTANTIATE_TEST_SUITE_P(
    DataFiles, BilmCalculator,
    ::testing::Values(Case{"Example", example()},
                      Case{"FunnelReachesTheOutlet", example_with(11, "  .50000E+00")},
                      Case{"ZeroDrainRadius", example_with(9, "         0.0")},
                      Case{"NegativeDrainRadius", example_with(9, "       -0.01")},
                      Case{"NoSwirl", example_with(11, "           0")},
                      Case{"NegativeSwirl", example_with(10, "        -0.1")},
                      Case{"Overflow", example_with(7, "     3.0E+38")},
                      Case{"Unreadable", example_with(10, "       1.2.3")}),
    [](const auto& tp) { return std::string(tp.param.name); });

// No data file at the path: the program's two messages, and the blank form
// goes to the file named on the command line, or nowhere when there is none
// and the keyboard is closed.
TEST(BilmCalculatorRun, MissingFileGivesWhatTheProgramGives) {
    for (const bool named : {true, false}) {
        SCOPED_TRACE(named ? "a name for the form" : "no name, keyboard closed");
        TempDir program_dir, other;
        std::vector<std::string> program_args, run_args;
        if (named) {
            program_args = {(program_dir / "form.dat").string()};
            run_args = {(other / "form.dat").string()};
        }
        const RunResult program = run_bilm(program_dir, program_args);
        const InProcess run = run_calculator(other / "missing.dat", run_args);
        EXPECT_EQ(run.exit_code, program.exit_code);
        EXPECT_EQ(run.out, program.out);
        EXPECT_EQ(run.err.substr(0, run.err.find(':')), program.err.substr(0, program.err.find(':')));
        EXPECT_EQ(entries(other.path()), entries(program_dir.path()));
        if (named) { EXPECT_EQ(read_bytes(other / "form.dat"), read_bytes(program_dir / "form.dat")); }
    }
}

}  // namespace
