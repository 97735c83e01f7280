// The data file is the user's only copy of the input: whatever goes wrong
// around it, each calculator either replaces it with the complete report or
// leaves it byte for byte as it was, says so on the console or with a
// "run-time error" diagnostic, ends with the documented exit code, and leaves
// no scratch file behind.  Every case runs the three built programs.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "programs.h"
#include "run_program.h"
#include "test_files.h"
#include "vanishing_fifo.h"

namespace faults {
namespace {

namespace fs = std::filesystem;
using test_support::entries;
using test_support::mode_of;
using test_support::running_as_root;
using test_support::kExitOk;
using test_support::kExitNotWritten;
using test_support::kExitUnreadable;
using test_support::read_bytes;
using test_support::RunOptions;
using test_support::RunResult;
using test_support::TempDir;
using test_support::write_bytes;

std::string replace_all(std::string_view s, std::string_view from, std::string_view to) {
    std::string out;
    std::size_t at = 0;
    for (std::size_t hit = s.find(from); hit != std::string_view::npos; hit = s.find(from, at)) {
        out.append(s.substr(at, hit - at)).append(to);
        at = hit + from.size();
    }
    return out.append(s.substr(at));
}

class Faults : public ::testing::TestWithParam<Program> {
protected:
    const Program& program() const { return GetParam(); }
    fs::path data() const { return dir_ / program().data_file; }

    // The example report: what a run on the example (or on old_content())
    // writes.
    std::string report() const { return read_bytes(example_path(program())); }

    // The example report followed by notes of the user: the lines after the
    // input section are never read, and the new report replaces them.
    std::string old_content() const {
        std::string s = report();
        for (int k = 1; k <= 5; ++k) s += "note " + std::to_string(k) + " after an earlier run\r\n";
        return s;
    }

    std::string example_console() const { return console(program().example_console); }

    RunOptions options() const {
        RunOptions o;
        o.program = program().path;
        o.cwd = dir_.path().string();
        return o;
    }

    // The program without the powers of root, which may write any file; the
    // scratch directory then has to let it in.
    void drop_privileges(RunOptions& o) const {
        if (!running_as_root()) return;
        o.uid = test_support::kNobodyUid;
        o.gid = test_support::kNobodyGid;
    }
    void open_directory_to_all() const { ASSERT_EQ(::chmod(dir_.path().c_str(), 0777), 0); }

    // Holds the program at its reopening of the data file for `step`.
    void hold_before_reopen(RunOptions& o, std::function<void()> step) const {
        o.reopen_file = program().data_file;
        o.before_reopen = std::move(step);
    }

    static void expect_clean_end(const RunResult& r) {
        EXPECT_FALSE(r.timed_out);
        EXPECT_EQ(r.term_signal, 0);
    }
    // Standard error holds a single "run-time error" diagnostic on one line,
    // or nothing.
    static void expect_diagnostic(const RunResult& r, bool expected) {
        if (expected) {
            EXPECT_EQ(r.err.rfind("run-time error ", 0), 0u) << r.err;
            EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
            EXPECT_EQ(r.err.back(), '\n') << r.err;
        } else {
            EXPECT_EQ(r.err, "");
        }
    }
    // Nothing but these names in the directory: no scratch file stays.
    void expect_entries(const std::set<std::string>& names) const {
        EXPECT_EQ(entries(dir_.path()), names);
    }

    // A data file that cannot be opened: the opening messages; BILM and
    // KERVA go on to the blank form and ask for a file to put it in, which
    // the closed keyboard does not give.
    void expect_open_failure(const RunResult& r) const {
        expect_clean_end(r);
        EXPECT_EQ(r.exit_code, kExitUnreadable);
        std::vector<std::string> shown = program().open_failed;
        if (program().asks_for_a_file) shown.emplace_back(kPrompt);
        EXPECT_EQ(r.out, console(shown));
        expect_diagnostic(r, program().asks_for_a_file);
    }

    // An input section that cannot be read: one message, no report.
    void expect_read_failure(const RunResult& r) const {
        expect_clean_end(r);
        EXPECT_EQ(r.exit_code, kExitUnreadable);
        EXPECT_EQ(r.out, console({program().read_failed}));
        expect_diagnostic(r, false);
    }

    // A complete computation whose report cannot replace the data file: the
    // diagnostic names the file.
    void expect_report_not_written(const RunResult& r) const {
        expect_clean_end(r);
        EXPECT_EQ(r.exit_code, kExitNotWritten);
        EXPECT_EQ(r.out, example_console());
        expect_diagnostic(r, true);
        EXPECT_NE(r.err.find(program().data_file), std::string::npos) << r.err;
    }

    void expect_normal_run(const RunResult& r) const {
        expect_clean_end(r);
        EXPECT_EQ(r.exit_code, kExitOk);
        EXPECT_EQ(r.out, example_console());
        expect_diagnostic(r, false);
    }

    void skip_without_hold() const {
        if (const auto why = test_support::hold_before_reopen_unavailable()) GTEST_SKIP() << *why;
    }

    TempDir dir_;
};

// ---------------------------------------------------------------------------
// The data file cannot be opened or read.

TEST_P(Faults, MissingDataFileWithTheKeyboardClosed) {
    const RunResult r = test_support::run_program(options());  // standard input is /dev/null
    expect_open_failure(r);
    expect_entries({});
}

TEST_P(Faults, EmptyDataFile) {
    write_bytes(data(), "");
    ASSERT_EQ(::chmod(data().c_str(), 0640), 0);
    const RunResult r = test_support::run_program(options());
    expect_read_failure(r);
    EXPECT_EQ(read_bytes(data()), "");
    EXPECT_EQ(mode_of(data()), 0640u);
    expect_entries({program().data_file});
}

TEST_P(Faults, DataFileIsADirectory) {
    fs::create_directory(data());
    const RunResult r = test_support::run_program(options());
    expect_open_failure(r);
    EXPECT_TRUE(fs::is_directory(data()));
    EXPECT_TRUE(entries(data()).empty());
    expect_entries({program().data_file});
}

TEST_P(Faults, DataFileWithoutAnyPermission) {
    // Neither read-write, nor read, nor write: the opening fails.
    const std::string old = old_content();
    write_bytes(data(), old);
    ASSERT_EQ(::chmod(data().c_str(), 0000), 0);
    open_directory_to_all();
    RunOptions o = options();
    drop_privileges(o);
    const RunResult r = test_support::run_program(o);
    expect_open_failure(r);
    EXPECT_EQ(mode_of(data()), 0000u);
    ASSERT_EQ(::chmod(data().c_str(), 0600), 0);  // so that a test run by its owner can look
    EXPECT_EQ(read_bytes(data()), old);
    expect_entries({program().data_file});
}

TEST_P(Faults, WriteOnlyDataFile) {
    // The opening succeeds for writing only; the reading fails.
    const std::string old = old_content();
    write_bytes(data(), old);
    ASSERT_EQ(::chmod(data().c_str(), 0222), 0);
    open_directory_to_all();
    RunOptions o = options();
    drop_privileges(o);
    const RunResult r = test_support::run_program(o);
    expect_read_failure(r);
    EXPECT_EQ(mode_of(data()), 0222u);
    ASSERT_EQ(::chmod(data().c_str(), 0600), 0);
    EXPECT_EQ(read_bytes(data()), old);
    expect_entries({program().data_file});
}

// ---------------------------------------------------------------------------
// The report cannot replace the data file: the old content stays.

TEST_P(Faults, ReadOnlyDataFile) {
    // The directory would take a scratch file, but a file opened for reading
    // only is not rewritten.
    const std::string old = old_content();
    write_bytes(data(), old);
    ASSERT_EQ(::chmod(data().c_str(), 0444), 0);
    open_directory_to_all();
    RunOptions o = options();
    drop_privileges(o);
    const RunResult r = test_support::run_program(o);
    expect_report_not_written(r);
    EXPECT_EQ(read_bytes(data()), old);
    EXPECT_EQ(mode_of(data()), 0444u);
    expect_entries({program().data_file});
}

TEST_P(Faults, FileSizeLimitBelowTheReport) {
    const std::string old = old_content();
    write_bytes(data(), old);
    RunOptions o = options();
    o.file_size_limit = 200;  // every report is longer
    ASSERT_GT(report().size(), *o.file_size_limit);
    const RunResult r = test_support::run_program(o);
    expect_report_not_written(r);
    EXPECT_EQ(read_bytes(data()), old);
    expect_entries({program().data_file});
}

TEST_P(Faults, FileSizeLimitInALockedDirectory) {
    // Rewritten in place, the limit is checked before the file changes.
    const std::string old = old_content();
    write_bytes(data(), old);
    ASSERT_EQ(::chmod(data().c_str(), 0666), 0);
    ASSERT_EQ(::chmod(dir_.path().c_str(), 0555), 0);
    RunOptions o = options();
    drop_privileges(o);
    o.file_size_limit = 200;
    const RunResult r = test_support::run_program(o);
    expect_report_not_written(r);
    EXPECT_EQ(read_bytes(data()), old);
    expect_entries({program().data_file});
}

// With SIGXFSZ at its default action, as under "ulimit -f" in a shell, a
// write past the limit must still fail like any other (no kill, exit 1, the
// old content, no scratch file): whether the report goes through a scratch
// file or over the file itself (hard-linked, or in a directory that takes no
// new file), and also with no byte allowed at all.
TEST_P(Faults, FileSizeLimitWithEveryWayOfWriting) {
    enum class Way { ScratchFile, HardLink, LockedDirectory };
    for (const Way way : {Way::ScratchFile, Way::HardLink, Way::LockedDirectory}) {
        for (const unsigned long limit : {0ul, 200ul}) {
            SCOPED_TRACE(::testing::Message() << "way " << static_cast<int>(way) << ", limit " << limit);
            ASSERT_EQ(::chmod(dir_.path().c_str(), 0700), 0);
            for (const auto& name : entries(dir_.path())) fs::remove(dir_ / name);
            const std::string old = old_content();
            write_bytes(data(), old);
            RunOptions o = options();
            o.file_size_limit = limit;
            std::set<std::string> names{program().data_file};
            if (way == Way::HardLink) {
                fs::create_hard_link(data(), dir_ / "second-name.dat");
                names.insert("second-name.dat");
            }
            if (way == Way::LockedDirectory) {
                ASSERT_EQ(::chmod(data().c_str(), 0666), 0);
                ASSERT_EQ(::chmod(dir_.path().c_str(), 0555), 0);
                drop_privileges(o);
            }
            const RunResult r = test_support::run_program(o);
            if (limit > 0) {
                expect_report_not_written(r);
            } else {
                // The captured console is a file too and takes no byte either.
                expect_clean_end(r);
                EXPECT_EQ(r.exit_code, kExitNotWritten);
            }
            EXPECT_EQ(read_bytes(data()), old);
            expect_entries(names);
            if (way == Way::HardLink) { EXPECT_EQ(fs::hard_link_count(data()), 2u); }
        }
    }
}

// ---------------------------------------------------------------------------
// What the data file is, stays: a symbolic link stays a link and its target
// gets the report; every name of a hard-linked file sees the report.

TEST_P(Faults, SymbolicLinkStaysALink) {
    fs::create_directory(dir_ / "store");
    write_bytes(dir_ / "store" / "target.dat", old_content());
    fs::create_symlink("store/target.dat", data());
    const RunResult r = test_support::run_program(options());
    expect_normal_run(r);
    ASSERT_TRUE(fs::is_symlink(data()));
    EXPECT_EQ(fs::read_symlink(data()), fs::path("store/target.dat"));
    EXPECT_EQ(read_bytes(dir_ / "store" / "target.dat"), report());
    expect_entries({program().data_file, "store"});
    EXPECT_EQ(entries(dir_ / "store"), std::set<std::string>{"target.dat"});
}

TEST_P(Faults, PermissionBitsAndOwnerArePreserved) {
    write_bytes(data(), old_content());
    ASSERT_EQ(::chmod(data().c_str(), 0640), 0);
    if (running_as_root()) {
        ASSERT_EQ(::chown(data().c_str(), test_support::kNobodyUid, test_support::kNobodyGid), 0);
    }
    struct stat before{};
    ASSERT_EQ(::stat(data().c_str(), &before), 0);
    const RunResult r = test_support::run_program(options());
    expect_normal_run(r);
    EXPECT_EQ(read_bytes(data()), report());
    struct stat after{};
    ASSERT_EQ(::stat(data().c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    expect_entries({program().data_file});
}

TEST_P(Faults, DataFileInALockedDirectory) {
    // No scratch file can be made: the data file is rewritten in place,
    // shorter than before.
    write_bytes(data(), old_content());
    ASSERT_EQ(::chmod(data().c_str(), 0666), 0);
    ASSERT_EQ(::chmod(dir_.path().c_str(), 0555), 0);
    RunOptions o = options();
    drop_privileges(o);
    const RunResult r = test_support::run_program(o);
    expect_normal_run(r);
    EXPECT_EQ(read_bytes(data()), report());
    EXPECT_EQ(mode_of(data()), 0666u);
    expect_entries({program().data_file});
}

TEST_P(Faults, HardLinkedDataFile) {
    write_bytes(data(), old_content());
    fs::create_hard_link(data(), dir_ / "second-name.dat");
    const RunResult r = test_support::run_program(options());
    expect_normal_run(r);
    EXPECT_EQ(read_bytes(data()), report());
    EXPECT_EQ(read_bytes(dir_ / "second-name.dat"), report());
    EXPECT_EQ(fs::hard_link_count(data()), 2u);
    expect_entries({program().data_file, "second-name.dat"});
}

// ---------------------------------------------------------------------------
// Changes between the reading and the report: the program is held at its
// second opening of the data file while the test changes the file or its
// directory.

TEST_P(Faults, DataFileRemovedBeforeTheReport) {
    skip_without_hold();
    write_bytes(data(), old_content());
    RunOptions o = options();  // standard input is /dev/null: no file name
    hold_before_reopen(o, [&] { fs::remove(data()); });
    const RunResult r = test_support::run_program(o);
    EXPECT_TRUE(r.before_reopen_ran);
    expect_clean_end(r);
    EXPECT_EQ(r.exit_code, kExitNotWritten);
    std::vector<std::string> shown = concat(program().example_console, program().reopen_failed);
    if (program().asks_for_a_file) shown.emplace_back(kPrompt);
    EXPECT_EQ(r.out, console(shown));
    expect_diagnostic(r, program().asks_for_a_file);
    expect_entries({});
}

TEST_P(Faults, DataFileRemovedBeforeTheReportAndANameAnswered) {
    // The answer is the last thing on the keyboard, without a line end.
    skip_without_hold();
    write_bytes(data(), old_content());
    RunOptions o = options();
    o.stdin_text = "answer.dat";
    hold_before_reopen(o, [&] { fs::remove(data()); });
    const RunResult r = test_support::run_program(o);
    EXPECT_TRUE(r.before_reopen_ran);
    expect_clean_end(r);
    expect_diagnostic(r, false);
    const std::vector<std::string> shown = concat(program().example_console, program().reopen_failed);
    if (program().asks_for_a_file) {
        EXPECT_EQ(r.exit_code, kExitOk);
        EXPECT_EQ(r.out, console(concat(shown, {std::string(kPrompt)})));
        EXPECT_EQ(read_bytes(dir_ / "answer.dat"), report());
        expect_entries({"answer.dat"});
    } else {
        EXPECT_EQ(r.exit_code, kExitNotWritten);
        EXPECT_EQ(r.out, console(shown));
        expect_entries({});
    }
}

TEST_P(Faults, DataFileMadeReadOnlyBeforeTheReport) {
    skip_without_hold();
    const std::string old = old_content();
    write_bytes(data(), old);
    ASSERT_EQ(::chmod(data().c_str(), 0666), 0);
    open_directory_to_all();
    RunOptions o = options();
    drop_privileges(o);
    hold_before_reopen(o, [&] { ASSERT_EQ(::chmod(data().c_str(), 0444), 0); });
    const RunResult r = test_support::run_program(o);
    EXPECT_TRUE(r.before_reopen_ran);
    expect_report_not_written(r);
    EXPECT_EQ(read_bytes(data()), old);
    EXPECT_EQ(mode_of(data()), 0444u);
    expect_entries({program().data_file});
}

TEST_P(Faults, DirectoryLockedBeforeTheReport) {
    // No scratch file can be made: the data file is rewritten in place,
    // shorter than before.
    skip_without_hold();
    write_bytes(data(), old_content());
    ASSERT_EQ(::chmod(data().c_str(), 0666), 0);
    open_directory_to_all();
    RunOptions o = options();
    drop_privileges(o);
    hold_before_reopen(o, [&] { ASSERT_EQ(::chmod(dir_.path().c_str(), 0555), 0); });
    const RunResult r = test_support::run_program(o);
    EXPECT_TRUE(r.before_reopen_ran);
    expect_normal_run(r);
    EXPECT_EQ(read_bytes(data()), report());
    EXPECT_EQ(mode_of(data()), 0666u);
    EXPECT_EQ(mode_of(dir_.path()), 0555u);
    expect_entries({program().data_file});
}

// The data file is a FIFO, and its name goes while the program waits for the
// input section: the section comes through, the reopening fails, and the
// report goes where the program sends it.  Unlike the holds above this
// needs no tracing (vanishing_fifo.h).
TEST_P(Faults, DataFileIsAFifoThatVanishesBeforeTheReport) {
    const Program& p = program();
    // The input section of the example report: the same run, the same report.
    const std::vector<std::string> lines = split_crlf(report());
    const std::string input = join({lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(p.input_lines)});
    for (const bool named : {true, false}) {
        SCOPED_TRACE(named ? "a name on the command line" : "no name, keyboard closed");
        for (const auto& name : entries(dir_.path())) fs::remove(dir_ / name);
        ASSERT_EQ(::mkfifo(data().c_str(), 0600), 0);
        RunOptions o = options();
        if (named) o.args = {"report.dat"};
        test_support::ChildProcess child(o);
        test_support::feed_through_vanishing_fifo(data(), "/proc/" + std::to_string(child.pid()) + "/fd", input);
        const RunResult r = child.wait();
        expect_clean_end(r);
        std::vector<std::string> shown = concat(p.example_console, p.reopen_failed);
        if (!p.asks_for_a_file) {
            EXPECT_EQ(r.exit_code, kExitNotWritten);
            EXPECT_EQ(r.out, console(shown));
            expect_diagnostic(r, false);
            expect_entries({});
        } else if (named) {
            EXPECT_EQ(r.exit_code, kExitOk);
            EXPECT_EQ(r.out, console(shown));
            expect_diagnostic(r, false);
            EXPECT_EQ(read_bytes(dir_ / "report.dat"), report());
            expect_entries({"report.dat"});
        } else {
            EXPECT_EQ(r.exit_code, kExitNotWritten);
            shown.emplace_back(kPrompt);
            EXPECT_EQ(r.out, console(shown));
            expect_diagnostic(r, true);
            expect_entries({});
        }
    }
}

// ---------------------------------------------------------------------------
// What the data file holds.

TEST_P(Faults, LineEnds) {
    // LF alone ends a line as CR LF does, and the report has CR LF again.  A
    // CR alone ends no line: the whole file is a single line, and the input
    // section ends after its first line.
    const std::string old = old_content();
    const std::string lf_only = replace_all(old, "\r\n", "\n");
    const std::string cr_only = replace_all(old, "\r\n", "\r");
    ASSERT_EQ(cr_only.find('\n'), std::string::npos);
    for (const std::string* input : {&old, &lf_only}) {
        SCOPED_TRACE(input == &old ? "CR LF" : "LF");
        write_bytes(data(), *input);
        const RunResult r = test_support::run_program(options());
        expect_normal_run(r);
        EXPECT_EQ(read_bytes(data()), report());
        expect_entries({program().data_file});
    }
    SCOPED_TRACE("CR");
    write_bytes(data(), cr_only);
    const RunResult r = test_support::run_program(options());
    expect_read_failure(r);
    EXPECT_EQ(read_bytes(data()), cr_only);
    expect_entries({program().data_file});
}

TEST_P(Faults, MegabyteHeaderLine) {
    // A header line is read whatever its length; the report writes its own.
    std::vector<std::string> lines = split_crlf(old_content());
    std::string header;
    while (header.size() < (1u << 20)) header += "a very long header: 1.0E+05, 12A, 1.2.3; ";
    lines[0] = header;
    write_bytes(data(), join(lines));
    const RunResult r = test_support::run_program(options());
    expect_normal_run(r);
    EXPECT_EQ(read_bytes(data()), report());
    expect_entries({program().data_file});
}

// True when `field` (the value columns of a line) fails the reading of a
// real: before any comma (which would end the field) it holds a byte that is
// neither a blank, a tab, a digit, a sign, a point nor an exponent letter.
bool holds_a_non_numeric_byte(std::string_view field) {
    constexpr std::string_view kNumeric = " \t0123456789+-.EeDd";
    for (char c : field) {
        if (c == ',') return false;
        if (kNumeric.find(c) == std::string_view::npos) return true;
    }
    return false;
}

TEST_P(Faults, BinaryGarbage) {
    // 4 KB of every byte value from a seeded generator, LF and CR included.
    std::mt19937 engine(20240621u);
    std::string garbage;
    while (garbage.size() < 4096) {
        const auto word = static_cast<std::uint32_t>(engine());
        for (int k = 0; k < 4; ++k) garbage.push_back(static_cast<char>((word >> (8 * k)) & 0xFFu));
    }
    // Whatever the header lines hold, the first value line (if the garbage
    // gets that far) cannot be read as a number.
    std::vector<std::string> lines;
    for (std::size_t at = 0; at <= garbage.size();) {
        const std::size_t lf = garbage.find('\n', at);
        lines.push_back(garbage.substr(at, lf == std::string::npos ? std::string::npos : lf - at));
        if (lf == std::string::npos) break;
        at = lf + 1;
    }
    const Program& p = program();
    const std::size_t first_value = p.header_lines;  // 0-based index
    if (first_value < lines.size()) {
        const std::string_view line = lines[first_value];
        ASSERT_GE(line.size(), p.field_last) << "a short line would read as 0";
        ASSERT_EQ(line.substr(0, p.field_last).find('\r'), std::string::npos)
            << "a CR would end the text of the line before the field";
        ASSERT_TRUE(holds_a_non_numeric_byte(line.substr(p.field_first - 1, p.field_last - p.field_first + 1)));
    }
    write_bytes(data(), garbage);
    const RunResult r = test_support::run_program(options());
    expect_read_failure(r);
    EXPECT_EQ(read_bytes(data()), garbage);
    expect_entries({p.data_file});
}

TEST_P(Faults, CtrlZInAValueField) {
    // A Ctrl-Z inside a numeric field reads as the end of the file, even with
    // the rest of the input section after it.
    std::vector<std::string> lines = split_crlf(old_content());
    const Program& p = program();
    std::string& line = lines[p.middle_value_line - 1];
    const std::size_t point = line.find('.', p.field_first - 1);
    ASSERT_NE(point, std::string::npos);
    ASSERT_LT(point + 2, p.field_last);  // inside the field, between the digits
    line[point + 2] = '\x1a';
    const std::string content = join(lines);
    write_bytes(data(), content);
    const RunResult r = test_support::run_program(options());
    expect_read_failure(r);
    EXPECT_EQ(read_bytes(data()), content);
    expect_entries({p.data_file});
}

// ---------------------------------------------------------------------------
// A name given for the report, on the command line or at the prompt, is only
// ever a new file: whatever already has that name is kept, the console says
// so, and the next name is taken.  The report goes to the first new name:
// the blank form when the data file could not be opened (exit 2), the report
// when it vanished before the report (exit 0); with no new name the run ends
// at the closed keyboard (exit 2 or 1).  ZARN1 names no file at all.

enum class AtTheName { File, Directory, DanglingLink, Fifo };
enum class Shown { Kept, Prompt };  // what the console shows after the opening messages

struct NamedFileCase {
    const char* what;
    AtTheName existing;
    std::vector<std::string> args;
    std::optional<std::string> keyboard;
    std::vector<Shown> shown;
    bool report_to_new_file;  // else no new name was given
};

const std::vector<NamedFileCase>& named_file_cases() {
    static const std::vector<NamedFileCase> cases{
        {"argument, then a new one", AtTheName::File, {"MY.DAT", "NEW.DAT"}, {}, {Shown::Kept}, true},
        {"argument, keyboard closed", AtTheName::File, {"MY.DAT"}, {}, {Shown::Kept, Shown::Prompt}, false},
        {"argument, then an answer", AtTheName::File, {"MY.DAT"}, "NEW.DAT\n", {Shown::Kept, Shown::Prompt}, true},
        {"answer, then another", AtTheName::File, {}, "MY.DAT\r\n  NEW.DAT\n",
         {Shown::Prompt, Shown::Kept, Shown::Prompt}, true},
        {"answer, then the keyboard closes", AtTheName::File, {}, "MY.DAT\n",
         {Shown::Prompt, Shown::Kept, Shown::Prompt}, false},
        {"blank answers, then a name in blanks", AtTheName::File, {}, "\n   \n  NEW.DAT  \r\n",
         {Shown::Prompt, Shown::Prompt, Shown::Prompt}, true},
        {"an answer without a line end", AtTheName::File, {}, "NEW.DAT", {Shown::Prompt}, true},
        {"a directory", AtTheName::Directory, {"MY.DAT", "NEW.DAT"}, {}, {Shown::Kept}, true},
        {"a dangling symbolic link", AtTheName::DanglingLink, {"MY.DAT", "NEW.DAT"}, {}, {Shown::Kept}, true},
        {"a FIFO", AtTheName::Fifo, {"  MY.DAT ", "NEW.DAT"}, {}, {Shown::Kept}, true},
        {"a new name", AtTheName::File, {"NEW.DAT", "MY.DAT"}, {}, {}, true},
    };
    return cases;
}

void make_existing(const fs::path& at, AtTheName kind) {
    switch (kind) {
        case AtTheName::File:
            write_bytes(at, "the user's own file\r\n");
            break;
        case AtTheName::Directory:
            fs::create_directory(at);
            break;
        case AtTheName::DanglingLink:
            fs::create_symlink("nowhere.dat", at);
            break;
        case AtTheName::Fifo:
            ASSERT_EQ(::mkfifo(at.c_str(), 0600), 0);
            break;
    }
}

void expect_kept(const fs::path& at, AtTheName kind) {
    switch (kind) {
        case AtTheName::File:
            EXPECT_EQ(read_bytes(at), "the user's own file\r\n");
            break;
        case AtTheName::Directory:
            EXPECT_TRUE(fs::is_directory(at) && fs::is_empty(at));
            break;
        case AtTheName::DanglingLink:
            EXPECT_TRUE(fs::is_symlink(at));
            EXPECT_EQ(fs::read_symlink(at), fs::path("nowhere.dat"));
            break;
        case AtTheName::Fifo:
            EXPECT_TRUE(fs::is_fifo(fs::symlink_status(at)));
            break;
    }
}

TEST_P(Faults, ANamedFileThatExistsIsKept) {
    const Program& p = program();
    for (const bool computed : {false, true}) {
        if (computed && test_support::hold_before_reopen_unavailable()) continue;
        for (const NamedFileCase& c : named_file_cases()) {
            SCOPED_TRACE(::testing::Message() << c.what << (computed ? ", data file vanished" : ", no data file"));
            for (const auto& name : entries(dir_.path())) fs::remove_all(dir_ / name);
            make_existing(dir_ / "MY.DAT", c.existing);
            RunOptions o = options();
            o.args = c.args;
            o.stdin_text = c.keyboard;
            if (computed) {
                write_bytes(data(), old_content());
                hold_before_reopen(o, [&] { fs::remove(data()); });
            }
            const RunResult r = test_support::run_program(o);
            expect_clean_end(r);

            std::string shown = console(computed ? concat(p.example_console, p.reopen_failed) : p.open_failed);
            std::set<std::string> names{"MY.DAT"};
            const bool written = p.asks_for_a_file && c.report_to_new_file;
            if (p.asks_for_a_file) {
                for (const Shown s : c.shown)
                    shown += s == Shown::Kept ? "File MY.DAT already exists and was kept\r\n" : std::string(kPrompt);
                if (!c.shown.empty() && c.shown.back() == Shown::Prompt) shown += kCrLf;
            }
            if (written) names.insert("NEW.DAT");
            EXPECT_EQ(r.out, shown);
            expect_diagnostic(r, p.asks_for_a_file && !written);
            EXPECT_EQ(r.exit_code, !computed ? kExitUnreadable : written ? kExitOk : kExitNotWritten);
            if (written) { EXPECT_EQ(read_bytes(dir_ / "NEW.DAT"), computed ? report() : p.blank_form); }
            expect_kept(dir_ / "MY.DAT", c.existing);
            expect_entries(names);
        }
    }
}

// A name that was free when given may be taken while the report is written:
// the file that took it is kept, the report is dropped with a diagnostic.
TEST_P(Faults, ANameTakenWhileTheReportIsWrittenIsKept) {
    skip_without_hold();
    const Program& p = program();
    if (!p.asks_for_a_file) GTEST_SKIP() << p.name << " names no file for its report";
    for (const bool computed : {false, true}) {
        SCOPED_TRACE(computed ? "data file vanished" : "no data file");
        for (const auto& name : entries(dir_.path())) fs::remove_all(dir_ / name);
        RunOptions o = options();
        o.args = {"NEW.DAT"};
        if (computed) {
            write_bytes(data(), old_content());
            hold_before_reopen(o, [&] { fs::remove(data()); });
        }
        o.holds.push_back({test_support::renames_onto("NEW.DAT"), 1,
                           [&](pid_t) { write_bytes(dir_ / "NEW.DAT", "taken meanwhile\r\n"); }});
        const RunResult r = test_support::run_program(o);
        EXPECT_EQ(r.holds_taken, computed ? 2 : 1);
        expect_clean_end(r);
        EXPECT_EQ(r.exit_code, computed ? kExitNotWritten : kExitUnreadable);
        EXPECT_EQ(r.out, console(computed ? concat(p.example_console, p.reopen_failed) : p.open_failed));
        expect_diagnostic(r, true);
        EXPECT_NE(r.err.find("NEW.DAT"), std::string::npos) << r.err;
        EXPECT_EQ(read_bytes(dir_ / "NEW.DAT"), "taken meanwhile\r\n");
        expect_entries({"NEW.DAT"});
    }
}

// ---------------------------------------------------------------------------
// An interrupt while the report is being written: the run ends as that
// signal ends it (the shell sees the interruption), but only once the data
// file holds either its old content or the whole report, and no scratch file
// is left.  The program is held at the moment that matters, the signal sent,
// and the program let go.

// The test process ignores and blocks the signals itself while the runs go
// on: the programs must start with them at their defaults all the same.
class SignalsIgnoredHere {
public:
    explicit SignalsIgnoredHere(std::vector<int> signals) : signals_(std::move(signals)) {
        sigset_t set;
        sigemptyset(&set);
        for (int sig : signals_) {
            sigaddset(&set, sig);
            struct sigaction ignore{};
            ignore.sa_handler = SIG_IGN;
            struct sigaction old{};
            ::sigaction(sig, &ignore, &old);
            old_.push_back(old);
        }
        ::sigprocmask(SIG_BLOCK, &set, &old_mask_);
    }
    ~SignalsIgnoredHere() {
        ::sigprocmask(SIG_SETMASK, &old_mask_, nullptr);
        for (std::size_t k = 0; k < signals_.size(); ++k) ::sigaction(signals_[k], &old_[k], nullptr);
    }
    SignalsIgnoredHere(const SignalsIgnoredHere&) = delete;
    SignalsIgnoredHere& operator=(const SignalsIgnoredHere&) = delete;

private:
    std::vector<int> signals_;
    std::vector<struct sigaction> old_;
    sigset_t old_mask_{};
};

TEST_P(Faults, InterruptWhileTheReportIsWritten) {
    skip_without_hold();
    const std::string scratch = "." + program().data_file + ".*";
    struct Moment {
        const char* what;
        test_support::SyscallMatch matches;
        bool hard_linked;  // the file is rewritten in place
    };
    const std::vector<Moment> moments{
        {"scratch file created", test_support::creates(scratch), false},
        {"first write to the scratch file", test_support::writes_to(scratch), false},
        {"scratch file renamed onto the data file", test_support::renames_onto(program().data_file), false},
        {"first write over the hard-linked data file", test_support::writes_to(program().data_file), true},
    };
    const std::vector<int> signals{SIGINT, SIGTERM, SIGHUP};
    const SignalsIgnoredHere ignored(signals);
    for (const int sig : signals) {
        for (const Moment& m : moments) {
            SCOPED_TRACE(::testing::Message() << "signal " << sig << " at " << m.what);
            for (const auto& name : entries(dir_.path())) fs::remove(dir_ / name);
            // A title of the user's own, so that no report starts as the old
            // content does: a half-done rewrite cannot pass for either.
            std::vector<std::string> lines = split_crlf(old_content());
            lines[0] = "Run of " + std::to_string(sig) + " at " + m.what;
            const std::string old = join(lines);
            write_bytes(data(), old);
            std::set<std::string> names{program().data_file};
            if (m.hard_linked) {
                fs::create_hard_link(data(), dir_ / "second-name.dat");
                names.insert("second-name.dat");
            }
            RunOptions o = options();
            o.holds.push_back({m.matches, 1, [sig](pid_t child) { ASSERT_EQ(::kill(child, sig), 0); }});
            const RunResult r = test_support::run_program(o);
            EXPECT_EQ(r.holds_taken, 1);
            EXPECT_FALSE(r.timed_out);
            EXPECT_EQ(r.term_signal, sig) << "exit code " << r.exit_code << ", " << r.err;
            const std::string after = read_bytes(data());
            EXPECT_TRUE(after == old || after == report()) << "a mix of " << after.size() << " bytes";
            expect_entries(names);
            if (m.hard_linked) { EXPECT_EQ(read_bytes(dir_ / "second-name.dat"), after); }
        }
    }
}

// Before the report nothing is held: Ctrl-C at the file-name prompt ends
// the run at once, and nothing is created.
TEST_P(Faults, InterruptAtThePrompt) {
    skip_without_hold();
    if (!program().asks_for_a_file) GTEST_SKIP() << program().name << " has no prompt";
    const SignalsIgnoredHere ignored({SIGINT});
    RunOptions o = options();
    o.stdin_text = "NEW.DAT\n";
    o.holds.push_back({test_support::reads_standard_input(), 1,
                       [](pid_t child) { ASSERT_EQ(::kill(child, SIGINT), 0); }});
    const RunResult r = test_support::run_program(o);
    EXPECT_EQ(r.holds_taken, 1);
    EXPECT_FALSE(r.timed_out);
    EXPECT_EQ(r.term_signal, SIGINT);
    EXPECT_EQ(r.out, console(program().open_failed) + std::string(kPrompt));
    expect_entries({});
}

INSTANTIATE_TEST_SUITE_P(Calculators, Faults, ::testing::ValuesIn(programs()),
                         [](const auto& tp) { return tp.param.name; });

}  // namespace
}  // namespace faults
