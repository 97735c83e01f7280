// The Calculator of each program against the built program.  For every data
// file of the program's table, read + compute gives the console of the
// program, report gives the file it writes, and run on a file of another
// name in another directory gives the console, exit code and bytes of the
// program on its own data file in its directory; likewise when the file is
// missing, and when it cannot be opened again for the report.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "console_capture.h"
#include "every_program.h"
#include "run_program.h"
#include "test_files.h"
#include "vanishing_fifo.h"

namespace calculator_cases {
namespace {

namespace fs = std::filesystem;
using test_support::entries;
using test_support::read_bytes;
using test_support::RunResult;
using test_support::TempDir;
using test_support::write_bytes;

test_support::RunOptions options(const Program& p, const TempDir& dir, std::vector<std::string> args = {}) {
    test_support::RunOptions o;
    o.program = p.path;
    o.cwd = dir.path().string();
    o.args = std::move(args);
    return o;
}

// The built program in `dir`, with the keyboard closed.
RunResult run_program(const Program& p, const TempDir& dir, std::vector<std::string> args = {}) {
    return test_support::run_program(options(p, dir, std::move(args)));
}

// Calculator::run in-process, with the keyboard closed.
struct InProcess {
    int exit_code;
    std::string out, err;
};
InProcess run_calculator(const Program& p, const fs::path& path, std::vector<std::string> args = {}) {
    test_support::CaptureConsole console;
    const int code = p.calculator().run(path.string(), std::move(args), &console);
    return {code, console.out, console.err};
}

// The console as a run shows lines: each ended by CR LF.
std::string shown(const calculators::Outcome& o) {
    std::string s;
    for (const std::string& line : o.console) s += line + "\r\n";
    if (!o.valid) s += o.failure + "\r\n";
    return s;
}

class DataFileRun : public ::testing::TestWithParam<Of<DataFile>> {};

TEST_P(DataFileRun, GivesWhatTheProgramGives) {
    const Program& p = *GetParam().program;
    const DataFile& file = *GetParam().item;
    TempDir program_dir;
    write_bytes(program_dir / p.data_file, file.bytes);
    const RunResult program = run_program(p, program_dir);
    ASSERT_FALSE(program.timed_out);
    EXPECT_EQ(program.err, "");
    // The case reaches its path.
    if (file.shows && file.shows->empty()) {
        EXPECT_EQ(program.out, "");
    } else if (file.shows) {
        EXPECT_NE(program.out.find(*file.shows), std::string::npos) << program.out;
    }
    if (file.failure && !file.failure->empty()) {
        EXPECT_EQ(program.exit_code, test_support::kExitInvalidArithmetic);
        EXPECT_TRUE(program.out.ends_with(std::string(*file.failure) + "\r\n")) << program.out;
    }
    const std::string program_file = read_bytes(program_dir / p.data_file);

    const calculators::Calculator& c = p.calculator();
    std::vector<Value> inputs(c.inputs.size());
    calculators::ReadFailure failure;
    const bool read = c.read(file.bytes, inputs, failure);
    EXPECT_EQ(read, program.exit_code != test_support::kExitUnreadable);
    if (read) {
        calculators::Outcome out;
        c.compute(inputs, true, out);
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
    const fs::path path = other / "sub" / p.other_name;
    write_bytes(path, file.bytes);
    const InProcess run = run_calculator(p, path);
    EXPECT_EQ(run.exit_code, program.exit_code);
    EXPECT_EQ(run.out, program.out);
    EXPECT_EQ(run.err, program.err);
    EXPECT_EQ(read_bytes(path), program_file);
    EXPECT_EQ(entries(other / "sub"), std::set<std::string>{p.other_name});
}

INSTANTIATE_TEST_SUITE_P(DataFiles, DataFileRun, ::testing::ValuesIn(every(&Program::data_files)),
                         item_name<DataFile>);

class EveryCalculatorRun : public ::testing::TestWithParam<const Program*> {};

// No data file at the path: the program's messages, exit 2, and the blank
// form goes to the file named on the command line (for a program that writes
// one), or nowhere when there is none and the keyboard is closed.
TEST_P(EveryCalculatorRun, MissingFileGivesWhatTheProgramGives) {
    const Program& p = *GetParam();
    for (const bool named : {true, false}) {
        SCOPED_TRACE(named ? "a name for the form" : "no name, keyboard closed");
        TempDir program_dir, other;
        std::vector<std::string> program_args, run_args;
        if (named) {
            program_args = {(program_dir / "form.dat").string()};
            run_args = {(other / "form.dat").string()};
        }
        const RunResult program = run_program(p, program_dir, program_args);
        const InProcess run = run_calculator(p, other / "missing.dat", run_args);
        EXPECT_EQ(program.exit_code, test_support::kExitUnreadable);
        EXPECT_EQ(run.exit_code, program.exit_code);
        EXPECT_EQ(run.out, program.out);
        // The run-time error of a report with nowhere to go, up to its details.
        EXPECT_EQ(run.err.substr(0, run.err.find(':')), program.err.substr(0, program.err.find(':')));
        EXPECT_EQ(run.err.empty(), program.err.empty());
        EXPECT_EQ(entries(other.path()), entries(program_dir.path()));
        const bool form = named && p.writes_a_blank_form;
        EXPECT_EQ(entries(other.path()), form ? std::set<std::string>{"form.dat"} : std::set<std::string>{});
        if (form) { EXPECT_EQ(read_bytes(other / "form.dat"), read_bytes(program_dir / "form.dat")); }
    }
}

// The data file is a FIFO whose name goes once the run has opened it
// (vanishing_fifo.h).  The message shows the program's file-name variable,
// whatever the path.
TEST_P(EveryCalculatorRun, ReopenFailureGivesWhatTheProgramGives) {
    const Program& p = *GetParam();
    const std::string input = first_lines(example(p.data_file), static_cast<std::size_t>(p.input_lines));

    TempDir program_dir;
    ASSERT_EQ(::mkfifo((program_dir / p.data_file).c_str(), 0600), 0);
    test_support::ChildProcess child(options(p, program_dir));
    test_support::feed_through_vanishing_fifo(program_dir / p.data_file, "/proc/" + std::to_string(child.pid()) + "/fd", input);
    const RunResult program = child.wait();
    EXPECT_EQ(program.exit_code, test_support::kExitNotWritten);

    TempDir other;
    const fs::path path = other / "data-file-of-a-longer-name.dat";
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    InProcess run{};
    std::thread running([&] { run = run_calculator(p, path); });
    test_support::feed_through_vanishing_fifo(path, "/proc/self/fd", input);
    running.join();
    EXPECT_EQ(run.exit_code, program.exit_code);
    EXPECT_EQ(run.out, program.out);
    EXPECT_EQ(run.err, program.err);
    EXPECT_TRUE(entries(other.path()).empty());
}

INSTANTIATE_TEST_SUITE_P(Programs, EveryCalculatorRun, ::testing::ValuesIn(programs()), program_name);

}  // namespace
}  // namespace calculator_cases
