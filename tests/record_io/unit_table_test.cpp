// The unit table: open_old, close_unit, memory units, the limit of the
// table, and the implicit connection with its rule that an existing name is
// kept.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "console_capture.h"
#include "fixrec/fixrec.h"
#include "test_files.h"

namespace {

using namespace fixrec::literals;
using fixrec::Status;
using test_support::read_bytes;
using test_support::ScopedRun;
using test_support::TempDir;
using test_support::write_bytes;

std::string path(const TempDir& dir, const char* name) { return (dir / name).string(); }

TEST(OpenOld, NeverCreates) {
    TempDir dir;
    ScopedRun run;
    EXPECT_EQ(fixrec::open_old(1, path(dir, "MISSING.DAT")), Status::OpenFailed);
    fixrec::close_unit(1);  // closing a unit that is not connected does nothing
    EXPECT_FALSE(std::filesystem::exists(dir / "MISSING.DAT"));
    EXPECT_EQ(fixrec::open_old(1, dir.path().string()), Status::OpenFailed);  // a directory
    EXPECT_EQ(fixrec::open_old(1, std::string(5000, 'n')), Status::OpenFailed);  // too long a name
}

TEST(OpenOld, NameWithTrailingBlanks) {
    TempDir dir;
    write_bytes(dir / "BILM.DAT", "x\r\n");
    ScopedRun run;
    EXPECT_EQ(fixrec::open_old(1, "  " + path(dir, "BILM.DAT") + "   "), Status::Ok);
}

TEST(OpenOld, EmptyFileFailsTheFirstRead) {
    TempDir dir;
    write_bytes(dir / "E.DAT", "");
    ScopedRun run;
    ASSERT_EQ(fixrec::open_old(1, path(dir, "E.DAT")), Status::Ok);
    char header[80];
    EXPECT_EQ(fixrec::read_fields(1, "(80A1)"_fmt, fixrec::each_char(header)), Status::EndOfFile);
}

TEST(OpenOld, ReopeningTheSameFileKeepsThePosition) {
    TempDir dir;
    const std::string file = path(dir, "S.DAT");
    write_bytes(file, "one\r\ntwo\r\n");
    ScopedRun run;
    ASSERT_EQ(fixrec::open_old(1, file), Status::Ok);
    char line[3];
    ASSERT_EQ(fixrec::read_fields(1, "(3A1)"_fmt, fixrec::each_char(line)), Status::Ok);
    ASSERT_EQ(fixrec::open_old(1, file + " "), Status::Ok);
    ASSERT_EQ(fixrec::read_fields(1, "(3A1)"_fmt, fixrec::each_char(line)), Status::Ok);
    EXPECT_EQ(std::string(line, 3), "two");
}

TEST(MemoryUnits, ConnectingAnewClosesTheUnitFirst) {
    std::string report;  // outlives the run, which closes the unit at its end
    ScopedRun run;
    ASSERT_EQ(fixrec::open_memory_output(1, report), Status::Ok);
    fixrec::write_line(1, "('first report')"_fmt);
    const std::string bytes = "input\r\n";
    ASSERT_EQ(fixrec::open_memory(1, bytes), Status::Ok);  // completes the report
    EXPECT_EQ(report, "first report\r\n");
    char text[5];
    ASSERT_EQ(fixrec::read_fields(1, "(5A1)"_fmt, fixrec::each_char(text)), Status::Ok);
    EXPECT_EQ(std::string(text, 5), "input");
}

TEST(UnitTable, SixteenUnitsAtOnce) {
    TempDir dir;
    ScopedRun run({path(dir, "SEVENTEENTH.DAT")});
    const std::string bytes = "x\r\n";
    for (int unit = 1; unit <= 16; ++unit) ASSERT_EQ(fixrec::open_memory(unit, bytes), Status::Ok);
    EXPECT_EQ(fixrec::open_memory(17, bytes), Status::OpenFailed);
    try {
        fixrec::write_line(17, "('x')"_fmt);
        ADD_FAILURE() << "no Fatal";
    } catch (const fixrec::Fatal& f) {
        EXPECT_EQ(f.error(), fixrec::RunTimeError::TooManyUnits);
    }
    fixrec::close_unit(3);
    EXPECT_EQ(fixrec::open_memory(17, bytes), Status::Ok);
}

TEST(ImplicitConnection, CommandLineArgumentNamesTheFile) {
    TempDir dir;
    const std::string named = path(dir, "OUT.DAT");
    ScopedRun run({"  " + named + " "});
    fixrec::write_line(1, "('blank form')"_fmt);
    run.end();
    EXPECT_EQ(read_bytes(named), "blank form\r\n");
    EXPECT_EQ(run.console.out, "");
}

TEST(ImplicitConnection, PromptAsksUntilANameIsGiven) {
    // An answer that names an existing file is not taken: the file is kept
    // and the question is asked again.
    TempDir dir;
    const std::string named = path(dir, "ASKED.DAT");
    const std::string existing = path(dir, "EXISTING.DAT");
    write_bytes(existing, "an existing file is kept\r\n");
    ScopedRun run;
    run.console.keyboard = {"   ", existing, named};
    fixrec::write_console({"before"});
    fixrec::write_line(1, "('form')"_fmt);
    fixrec::write_console({"after"});
    run.end();
    EXPECT_EQ(read_bytes(named), "form\r\n");
    EXPECT_EQ(read_bytes(existing), "an existing file is kept\r\n");
    const std::string prompt = "File name missing or blank - please enter file name\r\nUNIT 1? ";
    const std::string kept = "File " + existing + " already exists and was kept\r\n";
    EXPECT_EQ(run.console.out, "before\r\n" + prompt + prompt + kept + prompt + "\r\nafter\r\n");
}

TEST(ImplicitConnection, EndOfConsoleInputEndsTheRunWithoutWriting) {
    test_support::CaptureConsole console;
    const int code = fixrec::run_with({}, &console, [] {
        fixrec::write_line(1, "('never written')"_fmt);
        return 0;
    });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(console.out, "File name missing or blank - please enter file name\r\nUNIT 1? \r\n");
    EXPECT_EQ(console.err.rfind("run-time error 2004: ", 0), 0u) << console.err;
    EXPECT_EQ(console.err.find('\n'), console.err.size() - 1) << "one line";
}

TEST(ImplicitConnection, ArgumentsServeInTurn) {
    TempDir dir;
    static std::string first;
    static std::string second;
    first = path(dir, "A1.DAT");
    second = path(dir, "A2.DAT");
    test_support::CaptureConsole console;
    const int code = fixrec::run_with({first, second}, &console, [] {
        fixrec::write_line(1, "('one')"_fmt);
        fixrec::close_unit(1);
        fixrec::write_line(1, "('two')"_fmt);
        return 0;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(read_bytes(first), "one\r\n");
    EXPECT_EQ(read_bytes(second), "two\r\n");
}

}  // namespace
