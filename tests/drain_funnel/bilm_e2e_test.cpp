// BILM as the user runs it: the built program in a scratch directory with its
// data file BILM.DAT, checked by the bytes of the data file, of the console
// (standard output), of standard error and the exit code.  What BILM's own
// input sections and numbers give is here; what becomes of the data file
// when the file system fails it is the fault matrix's (tests/faults), which
// runs the three calculators alike.
//
// The console gets each message without its carriage-control blank; every
// message after the first is preceded by CR LF, and the run ends with one
// CR LF when anything was shown.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <set>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "bilm_report.h"
#include "funnel.h"
#include "run_program.h"
#include "test_files.h"

namespace {

namespace fs = std::filesystem;
using namespace fixrec::literals;
using test_support::entries;
using test_support::mode_of;
using test_support::read_bytes;
using test_support::RunOptions;
using test_support::RunResult;
using test_support::TempDir;
using test_support::write_bytes;

constexpr std::string_view kCrLf = "\r\n";
using test_support::kExitInvalidArithmetic;
using test_support::kExitOk;
using test_support::kExitUnreadable;

std::string cat(std::initializer_list<std::string_view> parts) {
    std::string s;
    for (std::string_view p : parts) s.append(p);
    return s;
}

// An input line of the data file: the label in columns 1-38, the value from
// column 39, and any tail from column 51 on.
std::string value_line(std::string_view label, std::string_view value, std::string_view tail = {}) {
    std::string line(label);
    line.resize(38, ' ');
    line.append(value);
    if (!tail.empty()) line.resize(50, ' ');
    return line.append(tail);
}

// Lines joined with an end after each.
std::string lines(const std::vector<std::string>& ls, std::string_view end = kCrLf) {
    std::string s;
    for (const auto& l : ls) s.append(l).append(end);
    return s;
}

// A hand-made input section with the values of the worked example and any
// UPOD, as a user would type it: free header text, plain decimals.
std::vector<std::string> example_input_lines(std::string_view upod) {
    return {"Drain funnel of the test tank",
            "",
            "   input:",
            "",
            "",
            "",
            value_line("  flow rate                     Q", "0.001"),
            value_line("  liquid height                HG", "0.5"),
            value_line("  drain radius                 R1", "0.01"),
            value_line("  make-up radius              RCR", "0.1"),
            value_line("  make-up velocity           UPOD", std::string(upod))};
}

std::string example1_input() { return lines(example_input_lines("0.05")); }
std::string example2_input() { return lines(example_input_lines("0.5")); }

std::string example1_report() {
    return bilm_expect::report(bilm_expect::kExample1Inputs, bilm_expect::kExample1Results);
}
std::string example2_report() {
    return bilm_expect::report_reached_outlet(bilm_expect::kExample2Inputs, bilm_expect::kExample2HO);
}

class Bilm : public ::testing::Test {
protected:
    fs::path data() const { return dir_ / "BILM.DAT"; }

    RunOptions options() const {
        RunOptions o;
        o.program = BILM_PATH;
        o.cwd = dir_.path().string();
        return o;
    }

    RunResult run() const { return test_support::run_program(options()); }

    static void expect_clean_end(const RunResult& r) {
        EXPECT_FALSE(r.timed_out);
        EXPECT_EQ(r.term_signal, 0);
    }

    TempDir dir_;
};

// ---------------------------------------------------------------------------
// Normal runs.

TEST_F(Bilm, WorkedExampleGivesItsReportAndNothingOnTheConsole) {
    write_bytes(data(), example1_input());
    const RunResult r = run();
    expect_clean_end(r);
    EXPECT_EQ(r.exit_code, kExitOk);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(read_bytes(data()), example1_report());
    EXPECT_EQ(entries(dir_.path()), std::set<std::string>{"BILM.DAT"});
}

TEST_F(Bilm, ShippedExampleFileIsTheWorkedExampleReport) {
    EXPECT_EQ(read_bytes(fs::path(EXAMPLES_DIR) / "BILM.DAT"), example1_report());
}

TEST_F(Bilm, ReportIsItsOwnInput) {
    // The report of a run is a complete input section that reads back to the
    // same values, so running again reproduces it byte for byte.
    const std::string report = read_bytes(fs::path(EXAMPLES_DIR) / "BILM.DAT");
    write_bytes(data(), report);
    for (int round = 1; round <= 2; ++round) {
        const RunResult r = run();
        expect_clean_end(r);
        EXPECT_EQ(r.exit_code, kExitOk) << "round " << round;
        EXPECT_EQ(r.out, "") << "round " << round;
        EXPECT_EQ(read_bytes(data()), report) << "round " << round;
    }
}

TEST_F(Bilm, FunnelReachingTheOutletGivesTheSingleResultLine) {
    write_bytes(data(), example2_input());
    const RunResult r = run();
    expect_clean_end(r);
    EXPECT_EQ(r.exit_code, kExitOk);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(read_bytes(data()), example2_report());
}

TEST_F(Bilm, EarlierLongerReportIsCutAfterTheNewReport) {
    // The report of the first worked example with UPOD changed to 0.5 by
    // hand, followed by notes the user added: the new report is shorter.
    std::string old = example1_report();
    const std::string old_upod = "  .50000E-01(";
    const auto at = old.find(old_upod);
    ASSERT_NE(at, std::string::npos);
    old.replace(at, old_upod.size(), "  .50000E+00(");
    for (int k = 0; k < 40; ++k) old += "note " + std::to_string(k) + " of an earlier run\r\n";
    write_bytes(data(), old);

    const RunResult r = run();
    expect_clean_end(r);
    EXPECT_EQ(r.exit_code, kExitOk);
    EXPECT_EQ(read_bytes(data()), example2_report());
}

TEST_F(Bilm, OnlyColumns39To50OfValueLinesAreRead) {
    const std::string cyr(" РАСХОД "_cp);
    const std::string header_with_tab = "header\twith a tab, digits 12345 and " + cyr;
    const std::string long_header(300, 'H');
    const std::vector<std::string> input{
        header_with_tab,
        long_header,
        "",
        "1.2.3 is no value here",
        "",
        "",
        // Columns 1-38 with digits, signs, commas and letters; the value field
        // in columns 39-50; anything from column 51 on.
        value_line("99.9,1.2.3E+ " + cyr + " Q=0.5", "  .10000E-02", "junk 7.5E+99 ,,,"),
        value_line("\t\t-1E40 HG", "0.5", ""),
        value_line("R1 = 12A", "     1.0E-02", "9999"),
        value_line(",,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,", "0.1", "      1.2.3"),
        value_line("UPOD", "5.0E-2", std::string(200, '#'))};
    write_bytes(data(), lines(input));

    const RunResult r = run();
    expect_clean_end(r);
    EXPECT_EQ(r.exit_code, kExitOk);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(read_bytes(data()), example1_report());
}

struct LineEnds {
    const char* name;
    const char* end;
    bool last_line_ended;
};
void PrintTo(const LineEnds& p, std::ostream* os) { *os << p.name; }

class BilmLineEnds : public Bilm, public ::testing::WithParamInterface<LineEnds> {};

TEST_P(BilmLineEnds, ReadAlike) {
    const LineEnds& p = GetParam();
    std::string input = lines(example_input_lines("0.05"), p.end);
    if (!p.last_line_ended) input.resize(input.size() - std::string_view(p.end).size());
    write_bytes(data(), input);
    const RunResult r = run();
    expect_clean_end(r);
    EXPECT_EQ(r.exit_code, kExitOk);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(read_bytes(data()), example1_report());
}

INSTANTIATE_TEST_SUITE_P(Input, BilmLineEnds,
                         ::testing::Values(LineEnds{"CrLf", "\r\n", true}, LineEnds{"Lf", "\n", true},
                                           LineEnds{"LfLastLineOpen", "\n", false},
                                           LineEnds{"CrLfLastLineOpen", "\r\n", false}),
                         [](const auto& tp) { return std::string(tp.param.name); });

// ---------------------------------------------------------------------------
// Input sections that cannot be read: the message, no computation, and the
// data file left exactly as it was.

struct Unreadable {
    const char* name;
    std::string content;
};
void PrintTo(const Unreadable& p, std::ostream* os) { *os << p.name; }

std::string example1_with_line(int line_number, const std::string& line) {
    auto ls = example_input_lines("0.05");
    ls[static_cast<std::size_t>(line_number - 1)] = line;
    return lines(ls);
}

std::string example1_first_lines(int count) {
    auto ls = example_input_lines("0.05");
    ls.resize(static_cast<std::size_t>(count));
    return lines(ls);
}

class BilmUnreadable : public Bilm, public ::testing::WithParamInterface<Unreadable> {};

TEST_P(BilmUnreadable, MessageAndFileUntouched) {
    const std::string& content = GetParam().content;
    write_bytes(data(), content);
    ASSERT_EQ(::chmod(data().c_str(), 0640), 0);
    const RunResult r = run();
    expect_clean_end(r);
    EXPECT_EQ(r.exit_code, kExitUnreadable);
    EXPECT_EQ(r.out, cat({bilm_expect::kReadFailed, kCrLf}));
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(read_bytes(data()), content);
    EXPECT_EQ(mode_of(data()), 0640u);
    EXPECT_EQ(entries(dir_.path()), std::set<std::string>{"BILM.DAT"});
}

INSTANTIATE_TEST_SUITE_P(
    Input, BilmUnreadable,
    ::testing::Values(
        Unreadable{"HeaderOnly", example1_first_lines(6)},
        Unreadable{"TenLines", example1_first_lines(10)},
        Unreadable{"TwoPointsInQ", example1_with_line(7, value_line("Q", "1.2.3"))},
        Unreadable{"TwoPointsInR1", example1_with_line(9, value_line("R1", "1.2.3"))},
        Unreadable{"LetterAfterDigits", example1_with_line(10, value_line("RCR", "12A"))},
        Unreadable{"ExponentWithoutDigits", example1_with_line(11, value_line("UPOD", "1.5E"))},
        Unreadable{"BeyondSinglePrecision", example1_with_line(8, value_line("HG", "1.0E+39"))},
        Unreadable{"CtrlZInValue", example1_with_line(9, value_line("R1", "0.01\x1a"))}),
    [](const auto& tp) { return std::string(tp.param.name); });

// ---------------------------------------------------------------------------
// Invalid arithmetic: a message of the program's own, nothing written.

struct InvalidArithmetic {
    const char* name;
    int line_number;
    const char* label;
    const char* value;
    drain_funnel::Status status;
};
void PrintTo(const InvalidArithmetic& p, std::ostream* os) { *os << p.name; }

class BilmInvalidArithmetic : public Bilm, public ::testing::WithParamInterface<InvalidArithmetic> {};

TEST_P(BilmInvalidArithmetic, MessageAndFileUntouched) {
    const InvalidArithmetic& p = GetParam();
    const std::string content = example1_with_line(p.line_number, value_line(p.label, p.value));
    write_bytes(data(), content);
    const RunResult r = run();
    expect_clean_end(r);
    EXPECT_EQ(r.exit_code, kExitInvalidArithmetic);
    EXPECT_EQ(r.out, cat({drain_funnel::failure_message(p.status), kCrLf}));
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(read_bytes(data()), content);
    EXPECT_EQ(entries(dir_.path()), std::set<std::string>{"BILM.DAT"});
}

INSTANTIATE_TEST_SUITE_P(
    Input, BilmInvalidArithmetic,
    ::testing::Values(
        InvalidArithmetic{"ZeroDrainRadius", 9, "R1", "0.0", drain_funnel::Status::ZeroDrainRadius},
        InvalidArithmetic{"BlankDrainRadius", 9, "R1", "", drain_funnel::Status::ZeroDrainRadius},
        InvalidArithmetic{"NegativeDrainRadius", 9, "R1", "-0.01",
                          drain_funnel::Status::NegativeDrainRadius},
        InvalidArithmetic{"ZeroMakeUpVelocity", 11, "UPOD", "0", drain_funnel::Status::NoSwirl},
        InvalidArithmetic{"NegativeMakeUpRadius", 10, "RCR", "-0.1",
                          drain_funnel::Status::NegativeSwirl},
        InvalidArithmetic{"Overflow", 7, "Q", "3.0E+38", drain_funnel::Status::Overflow}),
    [](const auto& tp) { return std::string(tp.param.name); });

}  // namespace
