// KERVA's Calculator against the built KERVA: for the example, each regime,
// approximation and console line, every kind of invalid arithmetic and an
// unreadable section, read + compute gives the console of the program (the
// lines of the computation and its exit-3 line), report gives the file it
// writes, and run on a file of another name in another directory gives the
// console, exit code and bytes of the program on KERVA.DAT in its directory.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "console_capture.h"
#include "run.h"
#include "run_program.h"
#include "status.h"
#include "test_files.h"

namespace {

namespace fs = std::filesystem;
using calculators::Value;
using separator::calculator;
using separator::Status;
using test_support::entries;
using test_support::read_bytes;
using test_support::RunResult;
using test_support::TempDir;
using test_support::write_bytes;

// The built program in `dir`, with the keyboard closed.
RunResult run_kerva(const TempDir& dir, std::vector<std::string> args = {}) {
    test_support::RunOptions o;
    o.program = KERVA_PATH;
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

std::string example() { return read_bytes(fs::path(EXAMPLES_DIR) / "KERVA.DAT"); }

// The example with the fields of some value lines replaced: {name, text},
// the text right-aligned in the field's columns (E16.5: 42-57, F11.4:
// 42-52, a count: 47-48).
using Changes = std::vector<std::pair<std::string_view, std::string>>;
std::string example_with(const Changes& changes) {
    std::string s = example();
    for (const auto& [name, text] : changes) {
        const calculators::Field* field = nullptr;
        for (const calculators::Field& f : calculator().inputs)
            if (f.name == name) field = &f;
        if (field == nullptr) throw std::invalid_argument(std::string(name));
        const std::string_view read = field->read.source();
        const std::size_t first = read.find("I2") != std::string_view::npos ? 46 : 41;
        const std::size_t width = read.find("I2") != std::string_view::npos  ? 2
                                  : read.find("F11") != std::string_view::npos ? 11
                                                                                : 16;
        std::size_t at = 0;
        for (int k = 1; k < field->line; ++k) at = s.find("\r\n", at) + 2;
        std::string padded = std::string(width - text.size(), ' ') + text;
        s.replace(at + first, width, padded);
    }
    return s;
}

struct Case {
    const char* name;
    std::string bytes;
    std::optional<Status> failure;  // the cause an invalid computation names
};
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class KervaCalculator : public ::testing::TestWithParam<Case> {};

TEST_P(KervaCalculator, GivesWhatTheProgramGives) {
    const Case& param = GetParam();
    const std::string& bytes = param.bytes;
    TempDir program_dir;
    write_bytes(program_dir / "KERVA.DAT", bytes);
    const RunResult program = run_kerva(program_dir);
    ASSERT_FALSE(program.timed_out);
    const std::string program_file = read_bytes(program_dir / "KERVA.DAT");

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
        EXPECT_EQ(out.failure, param.failure ? separator::failure_message(*param.failure) : "");

        std::string report = "left from before";
        EXPECT_EQ(c.report(inputs, report), out.valid);
        EXPECT_EQ(report, out.valid ? program_file : "");
    }

    // Another name in another directory, the same run.
    TempDir other;
    fs::create_directory(other / "sub");
    const fs::path path = other / "sub" / "separator.dat";
    write_bytes(path, bytes);
    const InProcess run = run_calculator(path);
    EXPECT_EQ(run.exit_code, program.exit_code);
    EXPECT_EQ(run.out, program.out);
    EXPECT_EQ(run.err, program.err);
    EXPECT_EQ(read_bytes(path), program_file);
    EXPECT_EQ(entries(other / "sub"), std::set<std::string>{"separator.dat"});
}

// The second worked example (both regimes, approximation 2) and its variants.
Changes between(Changes more = {}) {
    Changes c{{"L", ".3"}, {"D50", ".5E-4"}};
    c.insert(c.end(), more.begin(), more.end());
    return c;
}

INSTANTIATE_TEST_SUITE_P(
    DataFiles, KervaCalculator,
    ::testing::Values(
        // The console paths: Stokes with and without a distribution; both
        // regimes with approximation 1 or 2 and ETA; the quadratic regime
        // alone; the guards G = 0 and G3 = 0; an ETA1fr not above 1.
        Case{"Example", example(), {}},
        Case{"StokesOneSize", example_with({{"LGSG", "0"}}), {}},
        Case{"StokesNoSwirl", example_with({{"BETA", "0"}}), {}},
        Case{"StokesWithoutLimit", example_with({{"BETA", ".4"}, {"QH", "200"}}), {}},
        Case{"BetweenTheRegimes", example_with(between()), {}},
        Case{"BetweenTheRegimesApproximation1", example_with(between({{"BETA", ".43329525"}})), {}},
        Case{"BetweenTheRegimesOneSize", example_with(between({{"LGSG", "0"}})), {}},
        Case{"QuadraticAlone", example_with(between({{"BETA", ".240647331"}})), {}},
        Case{"QuadraticNoSwirl", example_with(between({{"BETA", "0"}})), {}},
        Case{"LargeBeta1", example_with(between({{"BETA", "80"}})), {}},
        // Every cause of invalid arithmetic, some after console lines.
        Case{"ZeroInletArea", example_with({{"NI", "0"}}), Status::ZeroInletArea},
        Case{"ZeroSeparator", example_with({{"L", "0"}}), Status::ZeroSeparator},
        Case{"NoFlow", example_with({{"QH", "0"}}), Status::NoFlow},
        Case{"ZeroAnnulus", example_with({{"R2", "0"}}), Status::ZeroAnnulus},
        Case{"ZeroParticleDensity", example_with({{"ROP", "0"}}), Status::ZeroParticleDensity},
        Case{"InvalidShape", example_with({{"QGE", "0"}}), Status::InvalidShape},
        Case{"ZeroParticle", example_with({{"D50", "0"}}), Status::ZeroParticle},
        Case{"DenserMedium", example_with({{"ROP", "1"}}), Status::DenserMedium},
        Case{"EqualDensities", example_with(between({{"ROP", "1.2"}, {"NU", ".75E-8"}})), Status::EqualDensities},
        Case{"QuadraticShape", example_with(between({{"QGE", ".9"}})), Status::QuadraticShape},
        Case{"ZeroMediumDensity", example_with({{"ROG", "0"}}), Status::ZeroMediumDensity},
        Case{"ZeroBeta1",
             example_with({{"HI", "-6.7289845E+30"}, {"ROP", "4.6533181E+36"}, {"QH", "2.2776287E+19"}}),
             Status::ZeroBeta1},
        Case{"BoundaryDiameter", example_with({{"D50", "-.1E-4"}}), Status::BoundaryDiameter},
        Case{"Overflow", example_with({{"QH", "3.0E+38"}, {"B", "1.0E-30"}}), Status::Overflow},
        Case{"Unreadable", example_with({{"VID", "1."}}), {}}),
    [](const auto& tp) { return std::string(tp.param.name); });

// No data file at the path: the program's two messages, and the blank form
// goes to the file named on the command line, or nowhere when there is none
// and the keyboard is closed.
TEST(KervaCalculatorRun, MissingFileGivesWhatTheProgramGives) {
    for (const bool named : {true, false}) {
        SCOPED_TRACE(named ? "a name for the form" : "no name, keyboard closed");
        TempDir program_dir, other;
        std::vector<std::string> program_args, run_args;
        if (named) {
            program_args = {(program_dir / "form.dat").string()};
            run_args = {(other / "form.dat").string()};
        }
        const RunResult program = run_kerva(program_dir, program_args);
        const InProcess run = run_calculator(other / "missing.dat", run_args);
        EXPECT_EQ(run.exit_code, program.exit_code);
        EXPECT_EQ(run.out, program.out);
        EXPECT_EQ(run.err.substr(0, run.err.find(':')), program.err.substr(0, program.err.find(':')));
        EXPECT_EQ(entries(other.path()), entries(program_dir.path()));
        if (named) { EXPECT_EQ(read_bytes(other / "form.dat"), read_bytes(program_dir / "form.dat")); }
    }
}

}  // namespace
