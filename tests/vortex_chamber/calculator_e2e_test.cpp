// ZARN1's Calculator against the built ZARN1: for both examples, every console
// line of the steps, every cause of invalid arithmetic that a data file can
// reach and unreadable sections, read + compute gives the console of the
// program, report gives the file it writes, and run on a file of another name
// in another directory gives the console, exit code and bytes of the program
// on ZARN1.DAT in its directory; also when the file is missing or cannot be
// opened again for the report.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <filesystem>
#include <ostream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "console_capture.h"
#include "run.h"
#include "run_program.h"
#include "status.h"
#include "test_files.h"
#include "zarn1_expect.h"

namespace {

namespace fs = std::filesystem;
using calculators::Value;
using test_support::entries;
using test_support::read_bytes;
using test_support::RunResult;
using test_support::TempDir;
using test_support::write_bytes;
using vortex_chamber::calculator;

test_support::RunOptions options(const TempDir& dir) {
    test_support::RunOptions o;
    o.program = ZARN1_PATH;
    o.cwd = dir.path().string();
    return o;
}

// The built program in `dir`, with the keyboard closed.
RunResult run_zarn1(const TempDir& dir) { return test_support::run_program(options(dir)); }

// Calculator::run in-process, with the keyboard closed.
struct InProcess {
    int exit_code;
    std::string out, err;
};
InProcess run_calculator(const fs::path& path) {
    test_support::CaptureConsole console;
    const int code = calculator().run(path.string(), {}, &console);
    return {code, console.out, console.err};
}

// The console as a run shows lines: each ended by CR LF.
std::string shown(const calculators::Outcome& o) {
    std::string s;
    for (const std::string& line : o.console) s += line + "\r\n";
    if (!o.valid) s += o.failure + "\r\n";
    return s;
}

std::string example(const char* name = "ZARN1.DAT") { return read_bytes(fs::path(EXAMPLES_DIR) / name); }

// The example with fields replaced: {line, text}, the text standing from
// column 42 (a real, an angle) or 47 (a switch) and filling the field.
struct Put {
    int line;
    const char* text;
};
std::string example_with(std::initializer_list<Put> puts, const char* name = "ZARN1.DAT") {
    std::string s = example(name);
    for (const Put& p : puts) {
        std::size_t at = 0;
        for (int k = 1; k < p.line; ++k) at = s.find("\r\n", at) + 2;
        const bool angle = p.line == 17 || p.line == 23;
        const bool digit = p.line == 19 || p.line == 25;
        const std::size_t width = digit ? 1 : angle ? 11 : 16;
        std::string field = p.text;
        field.insert(0, width - field.size(), ' ');
        s.replace(at + (digit ? 46 : 41), width, field);
    }
    return s;
}

// Lines of the input section by name.
enum Line { G = 11, RK = 12, L = 13, R1 = 14, FVX = 16, PSIVX = 17, VID = 19, NU = 20, RO = 21, DRK = 24, NVS = 25 };

// The first `count` lines of `bytes`.
std::string first_lines(const std::string& bytes, int count) {
    std::size_t end = 0;
    for (int k = 0; k < count; ++k) end = bytes.find("\r\n", end) + 2;
    return bytes.substr(0, end);
}

struct Case {
    const char* name;
    std::string bytes;
    std::string_view shows = {};  // a line of the console ("" for none)
};
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class Zarn1Calculator : public ::testing::TestWithParam<Case> {};

TEST_P(Zarn1Calculator, GivesWhatTheProgramGives) {
    const std::string& bytes = GetParam().bytes;
    TempDir program_dir;
    write_bytes(program_dir / "ZARN1.DAT", bytes);
    const RunResult program = run_zarn1(program_dir);
    ASSERT_FALSE(program.timed_out);
    EXPECT_EQ(program.err, "");
    // The case reaches its path.
    if (GetParam().shows.empty()) {
        EXPECT_EQ(program.out, "");
    } else {
        EXPECT_NE(program.out.find(GetParam().shows), std::string::npos) << program.out;
    }
    const std::string program_file = read_bytes(program_dir / "ZARN1.DAT");

    const calculators::Calculator& c = calculator();
    std::vector<Value> inputs(c.inputs.size());
    calculators::ReadFailure failure;
    const bool read = c.read(bytes, inputs, failure);
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
    const fs::path path = other / "sub" / "chamber.dat";
    write_bytes(path, bytes);
    const InProcess run = run_calculator(path);
    EXPECT_EQ(run.exit_code, program.exit_code);
    EXPECT_EQ(run.out, program.out);
    EXPECT_EQ(run.err, program.err);
    EXPECT_EQ(read_bytes(path), program_file);
    EXPECT_EQ(entries(other / "sub"), std::set<std::string>{"chamber.dat"});
}

// Strong swirl: МА = 2.5, 1/МА below 0.42, RP = 0 with its line.  A weak
// flow: F2 = 1.77.
constexpr const char* kStrongSwirl = "0.0236";
constexpr const char* kWeakFlow = "0.00002";

std::string_view failure(vortex_chamber::Status status) { return vortex_chamber::failure_message(status); }

std::vector<Case> data_files() {
    using vortex_chamber::Status;
    using zarn1_expect::kFlowTooSmall;
    using zarn1_expect::kReadFailed;
    return {
        Case{"Example", example()},
        Case{"ExampleOfTheEquationsOfMotion", example("ZARN1-nvs1.DAT")},
        Case{"WithoutCounterflow", example_with({{NVS, "2"}})},
        Case{"ShortSwirler", example_with({{VID, "2"}, {FVX, "0.0002"}})},
        // The console lines of the steps.
        Case{"NoZeroPressureRadius", example_with({{FVX, kStrongSwirl}}), zarn1_expect::kRPZero},
        Case{"AnalyticNodesExceeded", example_with({{DRK, "0.0002"}}), zarn1_expect::kAnalyticNodesStep},
        Case{"MotionNodesExceeded", example_with({{DRK, "0.0002"}, {NVS, "1"}}), zarn1_expect::kMotionNodes},
        Case{"FlowTooSmall", example_with({{G, kWeakFlow}, {NVS, "1"}}), kFlowTooSmall},
        Case{"FlowTooSmallAfterNoZeroPressureRadius",
             example_with({{G, kWeakFlow}, {NVS, "2"}, {FVX, kStrongSwirl}}), kFlowTooSmall},
        // Every cause of invalid arithmetic, some after the lines of the steps
        // before it.
        Case{"ZeroDensity", example_with({{RO, "0."}}), failure(Status::ZeroDensity)},
        Case{"ZeroOutletRadius", example_with({{R1, "0."}}), failure(Status::ZeroOutletRadius)},
        Case{"ZeroChamberRadius", example_with({{RK, "0."}}), failure(Status::ZeroChamberRadius)},
        Case{"NoSwirl", example_with({{PSIVX, "180."}}), failure(Status::NoSwirl)},
        Case{"ZeroSwirlerArea", example_with({{FVX, "0."}}), failure(Status::ZeroSwirlerArea)},
        Case{"NegativeSwirl", example_with({{FVX, "-0.002"}, {DRK, "0.0002"}}), failure(Status::NegativeSwirl)},
        Case{"ZeroHeight", example_with({{L, "0."}}), failure(Status::ZeroHeight)},
        Case{"ZeroViscosity", example_with({{NU, "0."}}), failure(Status::ZeroViscosity)},
        Case{"ZeroFlow", example_with({{G, "0."}, {FVX, kStrongSwirl}}), failure(Status::ZeroFlow)},
        Case{"BadStep", example_with({{DRK, "0."}, {NVS, "2"}, {G, kWeakFlow}, {FVX, kStrongSwirl}}),
             failure(Status::BadStep)},
        Case{"SwirlRootUndefined", example_with({{FVX, "0.00000102"}}), failure(Status::SwirlRootUndefined)},
        Case{"F2EqualsPi", example_with({{G, "3.55305747E-05"}, {NVS, "1"}}), failure(Status::F2EqualsPi)},
        // A swirl ratio V1/|U1| beyond 46341 squares beyond the integers.
        Case{"SwirlRatioRange", example_with({{L, "1000."}, {NU, "1.E-8"}, {RK, "0.064514546"}, {NVS, "1"}}),
             failure(Status::SwirlRatioRange)},
        Case{"NegativeZeroPressureRadius", example_with({{FVX, "0.022431"}}),
             failure(Status::NegativeZeroPressureRadius)},
        Case{"Overflow", example_with({{G, "1.E38"}}), failure(Status::Overflow)},
        // Unreadable input sections.
        Case{"LetterInL", example_with({{L, "one metre"}}), kReadFailed},
        Case{"TwentyFourLines", first_lines(example(), 24), kReadFailed},
    };
}

INSTANTIATE_TEST_SUITE_P(DataFiles, Zarn1Calculator, ::testing::ValuesIn(data_files()),
                         [](const auto& tp) { return std::string(tp.param.name); });

// The cases reach every cause of invalid arithmetic but one: with NVS = 2 the
// divisor ZU*E6 - 1 is never zero for a data file, since XU lies in (0, 1),
// so ZU = XU**(-E2) lies on the same side of 1 as E6 = E2 + 1, and E2 = 0
// stops the run before (F2 = PI).
TEST(Zarn1CalculatorCases, ReachEveryCauseOfInvalidArithmetic) {
    const calculators::Calculator& c = calculator();
    std::set<std::string> reached, causes;
    for (const Case& data : data_files()) {
        std::vector<Value> inputs(c.inputs.size());
        calculators::ReadFailure failure;
        if (!c.read(data.bytes, inputs, failure)) continue;
        calculators::Outcome out;
        c.compute(inputs, false, out);
        if (!out.valid) reached.insert(out.failure);
    }
    using vortex_chamber::Status;
    for (int s = 1; s <= static_cast<int>(Status::Overflow); ++s)
        if (static_cast<Status>(s) != Status::CounterflowDivisor)
            causes.emplace(vortex_chamber::failure_message(static_cast<Status>(s)));
    EXPECT_EQ(reached, causes);
}

// No data file at the path: the program's message, exit 2, nothing created.
TEST(Zarn1CalculatorRun, MissingFileGivesWhatTheProgramGives) {
    TempDir program_dir, other;
    const RunResult program = run_zarn1(program_dir);
    const InProcess run = run_calculator(other / "missing.dat");
    EXPECT_EQ(program.exit_code, test_support::kExitUnreadable);
    EXPECT_EQ(run.exit_code, program.exit_code);
    EXPECT_EQ(run.out, program.out);
    EXPECT_EQ(run.err, program.err);
    EXPECT_TRUE(entries(other.path()).empty());
}

// The data file is a FIFO whose name goes once the run has opened it: the
// input section comes through, the reopening fails.  The message shows the
// program's file-name variable, ZARN1.DAT and 21 blanks, whatever the path.
void feed_through_vanishing_fifo(const fs::path& fifo_name, const std::string& fds_dir, const std::string& input) {
    const fs::path fifo = fs::canonical(fifo_name);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    bool opened = false;
    while (!opened && std::chrono::steady_clock::now() < deadline) {
        std::error_code ec;
        for (auto it = fs::directory_iterator(fds_dir, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
            std::error_code ec2;
            if (fs::read_symlink(it->path(), ec2) == fifo) opened = true;
        }
        if (!opened) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_TRUE(opened) << "the run did not open its data file";
    const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::unlink(fifo.c_str()), 0);
    ASSERT_LT(input.size(), static_cast<std::size_t>(PIPE_BUF));  // one atomic write
    EXPECT_EQ(::write(fd, input.data(), input.size()), static_cast<ssize_t>(input.size()));
    ::close(fd);
}

TEST(Zarn1CalculatorRun, ReopenFailureGivesWhatTheProgramGives) {
    const std::string input = first_lines(example(), 25);

    TempDir program_dir;
    ASSERT_EQ(::mkfifo((program_dir / "ZARN1.DAT").c_str(), 0600), 0);
    test_support::ChildProcess child(options(program_dir));
    feed_through_vanishing_fifo(program_dir / "ZARN1.DAT", "/proc/" + std::to_string(child.pid()) + "/fd", input);
    const RunResult program = child.wait();
    EXPECT_EQ(program.exit_code, test_support::kExitReportNotWritten);

    TempDir other;
    const fs::path path = other / "chamber-of-a-longer-name.dat";
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    InProcess run{};
    std::thread running([&] { run = run_calculator(path); });
    feed_through_vanishing_fifo(path, "/proc/self/fd", input);
    running.join();
    EXPECT_EQ(run.exit_code, program.exit_code);
    EXPECT_EQ(run.out, program.out);
    EXPECT_EQ(run.err, program.err);
    EXPECT_TRUE(entries(other.path()).empty());
}

}  // namespace
