// The run: its end closes the units, a Fatal becomes one diagnostic and the
// exit code, and each failure carries its run-time error number.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <set>
#include <string>
#include <vector>

#include "console_capture.h"
#include "fixrec/fixrec.h"
#include "test_files.h"

namespace {

using namespace fixrec::literals;
using fixrec::RunTimeError;
using fixrec::Status;
using test_support::read_bytes;
using test_support::ScopedRun;
using test_support::TempDir;
using test_support::write_bytes;

TEST(Run, EndClosesEveryUnit) {
    TempDir dir;
    const std::string file = (dir / "U.DAT").string();
    write_bytes(file, "old\r\n");
    std::string report;
    {
        ScopedRun run;
        ASSERT_EQ(fixrec::open_old(7, file), Status::Ok);
        ASSERT_EQ(fixrec::open_memory_output(2, report), Status::Ok);
        fixrec::write_line(7, "('written at the end of the run')"_fmt);
        fixrec::write_line(2, "('also this one')"_fmt);
        run.end();
    }
    EXPECT_EQ(read_bytes(file), "written at the end of the run\r\n");
    EXPECT_EQ(report, "also this one\r\n");
}

TEST(Run, FatalWriteLeavesTheDataFileAndExitsWithOne) {
    TempDir dir;
    static std::string path;
    path = (dir / "W.DAT").string();
    write_bytes(path, "precious\r\n");
    // A new file in a directory that does not exist cannot take the report.
    static std::string unreachable;
    unreachable = (dir / "missing/OUT.DAT").string();
    test_support::CaptureConsole console;
    const int code = fixrec::run_with({unreachable}, &console, [] {
        fixrec::write_console({"message"});
        if (fixrec::open_old(1, path) != Status::Ok) return 9;
        fixrec::write_line(1, "('half a report')"_fmt);
        fixrec::write_line(2, "('x')"_fmt);
        return 0;
    });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(console.out, "message\r\n");
    EXPECT_EQ(console.err.rfind("run-time error ", 0), 0u);
    EXPECT_EQ(read_bytes(path), "precious\r\n");  // the pending report of unit 1 is dropped
    EXPECT_EQ(test_support::entries(dir.path()), std::set<std::string>{"W.DAT"});
}

TEST(Run, ProgramMayChangeTheExitCodeOfAFatal) {
    test_support::CaptureConsole console;
    const int code = fixrec::run_with({}, &console, [] {
        try {
            fixrec::write_line(1, "('no name to be had')"_fmt);
        } catch (fixrec::Fatal& f) {
            f.exit_code = 2;
            throw;
        }
        return 0;
    });
    EXPECT_EQ(code, 2);
}

// The number of each failure, by name, and its place in the diagnostic.
TEST(Run, FailuresCarryTheirRunTimeErrorNumber) {
    struct Case {
        const char* what;
        const char* argument;  // the file name for the implicit connection, in the scratch directory
        void (*body)(const TempDir& dir);
        RunTimeError expected;
    };
    const Case cases[] = {
        {"a file that can only be read", nullptr,
         [](const TempDir&) {
             static const std::string bytes = "input\r\n";
             ASSERT_EQ(fixrec::open_memory(1, bytes), Status::Ok);
             fixrec::write_line(1, "('x')"_fmt);
         },
         RunTimeError::ReportNotStarted},
        {"a new file in a missing directory", "missing/NEW.DAT",
         [](const TempDir&) { fixrec::write_line(1, "('x')"_fmt); }, RunTimeError::ReportNotStarted},
        {"the new name taken meanwhile", "NEW.DAT",
         [](const TempDir& dir) {
             fixrec::write_line(1, "('x')"_fmt);
             write_bytes(dir / "NEW.DAT", "taken\r\n");
             fixrec::close_unit(1);
         },
         RunTimeError::CloseFailed},
        {"no file name at the prompt", nullptr, [](const TempDir&) { fixrec::write_line(1, "('x')"_fmt); },
         RunTimeError::NoFileName},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        test_support::CaptureConsole console;
        std::vector<std::string> args;
        if (c.argument != nullptr) args.push_back((dir / c.argument).string());
        fixrec::begin_run(args, &console);
        try {
            c.body(dir);
            ADD_FAILURE() << "no Fatal";
        } catch (const fixrec::Fatal& f) {
            EXPECT_EQ(f.error(), c.expected);
            const std::string prefix = "run-time error " + std::to_string(static_cast<int>(c.expected)) + ": ";
            EXPECT_EQ(std::string(f.what()).rfind(prefix, 0), 0u) << f.what();
            EXPECT_EQ(f.exit_code, 1);  // unless the program changes it
            fixrec::abort_run(f);
        }
    }
}

}  // namespace
