// How a report replaces the data file: rename into place through a scratch
// file, or in place for hard links and locked directories; failures of the
// system calls (injected through the POSIX layer) leave the file as it was;
// and replace_file() for tools.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>

#include "console_capture.h"
#include "fixrec/fixrec.h"
#include "fixrec/posix.h"
#include "test_files.h"

namespace {

using namespace fixrec::literals;
using fixrec::RunTimeError;
using fixrec::Status;
using fixrec::posix::Call;
using fixrec::posix::FaultPlan;
using test_support::entries;
using test_support::read_bytes;
using test_support::ScopedRun;
using test_support::TempDir;
using test_support::write_bytes;

std::string lines(int n, const char* text) {
    std::string out;
    for (int i = 0; i < n; ++i) out += std::to_string(i) + text + "\r\n";
    return out;
}

TEST(Replacement, ReportReplacesALongerFileWhole) {
    TempDir dir;
    const std::string path = (dir / "D.DAT").string();
    const std::string old = lines(400, " an earlier and longer report line");
    write_bytes(path, old);
    ScopedRun run;
    ASSERT_EQ(fixrec::open_old(1, path), Status::Ok);
    char header[80];
    ASSERT_EQ(fixrec::read_fields(1, "(80A1)"_fmt, fixrec::each_char(header)), Status::Ok);
    fixrec::close_unit(1);
    ASSERT_EQ(fixrec::open_old(1, path), Status::Ok);
    for (int i = 0; i < 100; ++i) fixrec::write_line(1, "(I3,' new')"_fmt, {std::int32_t{i}});
    // Nothing of the report is on disk before the unit is closed.
    EXPECT_EQ(read_bytes(path), old);
    fixrec::close_unit(1);
    std::string expected;
    for (int i = 0; i < 100; ++i) {
        const std::string n = std::to_string(i);
        expected += std::string(3 - n.size(), ' ') + n + " new\r\n";
    }
    EXPECT_EQ(read_bytes(path), expected);
    EXPECT_EQ(entries(dir.path()), std::set<std::string>{"D.DAT"});  // no scratch file left
}

TEST(Replacement, OutputAfterReadingCutsAtThePosition) {
    TempDir dir;
    const std::string path = (dir / "P.DAT").string();
    write_bytes(path, "keep me\r\ndrop me\r\nand me\r\n");
    ScopedRun run;
    ASSERT_EQ(fixrec::open_old(1, path), Status::Ok);
    char header[80];
    ASSERT_EQ(fixrec::read_fields(1, "(80A1)"_fmt, fixrec::each_char(header)), Status::Ok);
    fixrec::write_line(1, "('new')"_fmt);
    fixrec::close_unit(1);
    EXPECT_EQ(read_bytes(path), "keep me\r\nnew\r\n");
}

TEST(Replacement, PermissionBitsAndSymbolicLinksSurvive) {
    TempDir dir;
    const std::string target = (dir / "target.dat").string();
    const std::string link = (dir / "LINK.DAT").string();
    write_bytes(target, "old\r\n");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    ASSERT_EQ(::symlink("target.dat", link.c_str()), 0);
    ScopedRun run;
    ASSERT_EQ(fixrec::open_old(1, link), Status::Ok);
    fixrec::write_line(1, "('report')"_fmt);
    fixrec::close_unit(1);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(read_bytes(target), "report\r\n");
    EXPECT_EQ(test_support::mode_of(target), 0640u);
}

TEST(Replacement, HardLinksAllSeeTheReport) {
    TempDir dir;
    const std::string first = (dir / "ONE.DAT").string();
    const std::string second = (dir / "TWO.DAT").string();
    write_bytes(first, "an old content longer than the report\r\n");
    ASSERT_EQ(::link(first.c_str(), second.c_str()), 0);
    ScopedRun run;
    ASSERT_EQ(fixrec::open_old(1, first), Status::Ok);
    fixrec::write_line(1, "('report')"_fmt);
    EXPECT_EQ(read_bytes(first), "an old content longer than the report\r\n");
    fixrec::close_unit(1);
    EXPECT_EQ(read_bytes(first), "report\r\n");
    EXPECT_EQ(read_bytes(second), "report\r\n");
}

// ---------------------------------------------------------------------------
// Failures of the system calls, made to happen through the POSIX layer.

struct Failed {
    int exit_code;
    std::string err;
};

const std::string kOld = lines(30, " the old content, which must survive");

std::string g_path;  // the data file of report_body

// Reads the first line of the data file, then replaces the rest with a
// report longer than the old content.
constexpr fixrec::FormatView kReportLine = "(I5,' a new report line, longer than the old')"_fmt;

int report_body() {
    if (fixrec::open_old(1, g_path) != Status::Ok) return 9;
    char header[80];
    if (fixrec::read_fields(1, "(80A1)"_fmt, fixrec::each_char(header)) != Status::Ok) return 9;
    for (int i = 0; i < 60; ++i) fixrec::write_line(1, kReportLine, {std::int32_t{i}});
    fixrec::close_unit(1);
    return 0;
}

// What report_body leaves in the file when it succeeds.
std::string expected_report() {
    std::string out = kOld.substr(0, kOld.find('\n') + 1);
    for (int i = 0; i < 60; ++i) fixrec::render_record(kReportLine, {std::int32_t{i}}, out);
    return out;
}

Failed run_report(std::initializer_list<fixrec::posix::Fault> faults) {
    test_support::CaptureConsole console;
    FaultPlan plan(faults);
    const int code = fixrec::run_with({}, &console, report_body);
    return {code, console.err};
}

TEST(Replacement, InPlaceRollbackPutsTheOldContentBack) {
    // A hard link makes the rewrite in place; the second pwrite fails after
    // the first has changed the file.
    TempDir dir;
    g_path = (dir / "D.DAT").string();
    write_bytes(g_path, kOld);
    ASSERT_EQ(::link(g_path.c_str(), (dir / "LINK.DAT").c_str()), 0);
    const Failed f = run_report({{Call::Pwrite, 1, 0, 100}, {Call::Pwrite, 2, EIO}});
    EXPECT_EQ(f.exit_code, 1);
    EXPECT_EQ(f.err, "run-time error 2002: WRITE on unit 1, file " + g_path + " - " + std::strerror(EIO) + "\n");
    EXPECT_EQ(read_bytes(g_path), kOld);
    EXPECT_EQ(read_bytes(dir / "LINK.DAT"), kOld);
    EXPECT_EQ(entries(dir.path()), (std::set<std::string>{"D.DAT", "LINK.DAT"}));
}

TEST(Replacement, ScratchFileFailuresKeepTheFile) {
    struct Case {
        const char* what;
        fixrec::posix::Fault fault;
        RunTimeError error;
        const char* statement;
    } const cases[] = {
        {"close of the scratch file", {Call::Close, 1, EIO}, RunTimeError::CloseFailed, "CLOSE"},
        {"rename onto the data file", {Call::Rename, 1, EXDEV}, RunTimeError::CloseFailed, "CLOSE"},
        {"a write to the scratch file", {Call::Write, 2, ENOSPC}, RunTimeError::WriteFailed, "WRITE"},
        {"the copy of the first line", {Call::Pread, 1, EIO}, RunTimeError::ReportNotStarted, "WRITE"},
        {"the mode of the scratch file", {Call::Fchmod, 1, EPERM}, RunTimeError::ReportNotStarted, "WRITE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        g_path = (dir / "D.DAT").string();
        write_bytes(g_path, kOld);
        const Failed f = run_report({c.fault});
        EXPECT_EQ(f.exit_code, 1);
        EXPECT_EQ(f.err, "run-time error " + std::to_string(static_cast<int>(c.error)) + ": " + c.statement +
                             " on unit 1, file " + g_path + " - " + std::strerror(c.fault.error) + "\n");
        EXPECT_EQ(read_bytes(g_path), kOld);
        EXPECT_EQ(entries(dir.path()), std::set<std::string>{"D.DAT"});
    }
}

TEST(Replacement, NoScratchFileMeansInPlace) {
    // A directory where no scratch file can be made: the file is rewritten in place.
    TempDir dir;
    g_path = (dir / "D.DAT").string();
    write_bytes(g_path, kOld);
    ASSERT_EQ(::chmod(g_path.c_str(), 0604), 0);
    const Failed f = run_report({{Call::MakeTemp, 1, EACCES}});
    EXPECT_EQ(f.exit_code, 0) << f.err;
    EXPECT_GT(FaultPlan::attempts(Call::Pwrite), 0);
    EXPECT_EQ(FaultPlan::attempts(Call::Rename), 0);
    EXPECT_EQ(read_bytes(g_path), expected_report());
    EXPECT_EQ(test_support::mode_of(g_path), 0604u);
}

// Where renameat2 does not know RENAME_NOREPLACE, a new file gets its name by
// link() and unlink(), which refuse a taken name as well.
TEST(Replacement, NewFileByLinkWhereRenameCannotRefuse) {
    struct Case {
        int error;
        bool taken;
    } const cases[] = {{EINVAL, false}, {ENOSYS, false}, {EOPNOTSUPP, false}, {EINVAL, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::strerror(c.error) + std::string(c.taken ? ", name taken" : ""));
        TempDir dir;
        const std::string path = (dir / "NEW.DAT").string();
        ScopedRun run({path});
        FaultPlan plan({{Call::RenameNoReplace, 1, c.error}});
        fixrec::write_line(1, "('form')"_fmt);
        if (c.taken) write_bytes(path, "taken meanwhile\r\n");
        if (c.taken) {
            try {
                fixrec::close_unit(1);
                ADD_FAILURE() << "no Fatal";
            } catch (const fixrec::Fatal& f) {
                EXPECT_EQ(f.error(), RunTimeError::CloseFailed);
                EXPECT_NE(std::string(f.what()).find("appeared meanwhile"), std::string::npos);
            }
        } else {
            fixrec::close_unit(1);
        }
        EXPECT_EQ(FaultPlan::attempts(Call::Link), 1);
        EXPECT_EQ(FaultPlan::attempts(Call::Unlink), 1);  // the scratch name, either way
        EXPECT_EQ(read_bytes(path), c.taken ? "taken meanwhile\r\n" : "form\r\n");
        EXPECT_EQ(entries(dir.path()), std::set<std::string>{"NEW.DAT"});
    }
}

TEST(Replacement, MemoryReportDroppedAfterAFatal) {
    static std::string report;
    report = "kept before\r\n";
    test_support::CaptureConsole console;
    const int code = fixrec::run_with({}, &console, [] {
        if (fixrec::open_memory_output(1, report) != Status::Ok) return 9;
        for (int i = 0; i < 100; ++i) fixrec::write_line(1, "('a line of a report that is dropped')"_fmt);
        fixrec::write_line(2, "('no file name for this one')"_fmt);
        return 0;
    });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(report, "kept before\r\n");
}

// ---------------------------------------------------------------------------
// replace_file

TEST(ReplaceFile, WholeFilesKeepTheirKind) {
    TempDir dir;
    write_bytes(dir / "plain.dat", "old\r\n");
    ASSERT_EQ(::chmod((dir / "plain.dat").c_str(), 0640), 0);
    write_bytes(dir / "target.dat", "old\r\n");
    ASSERT_EQ(::symlink("target.dat", (dir / "link.dat").c_str()), 0);
    write_bytes(dir / "one.dat", "an old content longer than the new one\r\n");
    ASSERT_EQ(::link((dir / "one.dat").c_str(), (dir / "two.dat").c_str()), 0);

    fixrec::replace_file((dir / "plain.dat").string(), "new\r\n");
    EXPECT_EQ(read_bytes(dir / "plain.dat"), "new\r\n");
    EXPECT_EQ(test_support::mode_of(dir / "plain.dat"), 0640u);

    fixrec::replace_file((dir / "link.dat").string(), "through the link\r\n");
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.dat"));
    EXPECT_EQ(read_bytes(dir / "target.dat"), "through the link\r\n");

    fixrec::replace_file((dir / "one.dat").string(), "both\r\n");
    EXPECT_EQ(read_bytes(dir / "two.dat"), "both\r\n");

    fixrec::replace_file((dir / "new.dat").string(), "");
    EXPECT_EQ(read_bytes(dir / "new.dat"), "");

    EXPECT_EQ(entries(dir.path()),
              (std::set<std::string>{"plain.dat", "target.dat", "link.dat", "one.dat", "two.dat", "new.dat"}));
}

TEST(ReplaceFile, FailureLeavesTheFile) {
    TempDir dir;
    write_bytes(dir / "D.DAT", kOld);
    {
        FaultPlan plan({{Call::Write, 1, ENOSPC}});
        try {
            fixrec::replace_file((dir / "D.DAT").string(), std::string(5000, 'n'));
            ADD_FAILURE() << "no Fatal";
        } catch (const fixrec::Fatal& f) {
            EXPECT_EQ(f.error(), RunTimeError::WriteFailed);
            EXPECT_EQ(std::string(f.what()), "run-time error 2002: WRITE on file " + (dir / "D.DAT").string() +
                                                 " - " + std::strerror(ENOSPC));
        }
    }
    EXPECT_EQ(read_bytes(dir / "D.DAT"), kOld);
    EXPECT_THROW(fixrec::replace_file(dir.path().string(), "a directory"), fixrec::Fatal);
    EXPECT_THROW(fixrec::replace_file((dir / "missing/x.dat").string(), "x"), fixrec::Fatal);
    EXPECT_EQ(entries(dir.path()), std::set<std::string>{"D.DAT"});
}

// ReplacementFile: the same, as a stream.
TEST(ReplacementFile, NothingChangesBeforeTheCommit) {
    TempDir dir;
    const std::string path = (dir / "D.DAT").string();
    write_bytes(path, kOld);
    {
        fixrec::ReplacementFile dropped(path);
        dropped.write("never seen\r\n");
    }  // destroyed without commit
    EXPECT_EQ(read_bytes(path), kOld);
    EXPECT_EQ(entries(dir.path()), std::set<std::string>{"D.DAT"});

    fixrec::ReplacementFile out(path);
    for (int k = 0; k < 3; ++k) out.write("part " + std::to_string(k) + "\r\n");
    EXPECT_EQ(read_bytes(path), kOld);
    out.commit();
    out.commit();  // once is enough; the second does nothing
    EXPECT_EQ(read_bytes(path), "part 0\r\npart 1\r\npart 2\r\n");

    // A failure names the why apart; later writes do nothing.
    FaultPlan plan({{Call::Write, 2, ENOSPC}});
    fixrec::ReplacementFile failing(path);
    failing.write("first\r\n");
    try {
        failing.write("second\r\n");
        ADD_FAILURE() << "no ReplacementError";
    } catch (const fixrec::ReplacementError& e) {
        EXPECT_EQ(e.reason(), std::strerror(ENOSPC));
        EXPECT_EQ(e.error(), RunTimeError::WriteFailed);
    }
    failing.write("third\r\n");
    failing.commit();
    EXPECT_EQ(read_bytes(path), "part 0\r\npart 1\r\npart 2\r\n");
    EXPECT_EQ(entries(dir.path()), std::set<std::string>{"D.DAT"});
}

}  // namespace
