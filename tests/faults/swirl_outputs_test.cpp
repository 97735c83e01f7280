// swirl's -o outputs (a sweep's table, a plot's picture) under the same
// fault plan as the reports: each failure of a system call either leaves the
// complete new content or the old one, says "cannot write NAME: why" with
// exit code 1, and leaves no scratch file behind.  In process, through the
// OutputFile that sweep and plot write with.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <set>
#include <string>

#include <chrono>
#include <thread>

#include "command.h"
#include "fixrec/posix.h"
#include "output_file.h"
#include "run_program.h"
#include "swirl/model/model.h"
#include "test_files.h"

namespace {

namespace fs = std::filesystem;
using fixrec::posix::Call;
using fixrec::posix::Fault;
using fixrec::posix::FaultPlan;
using test_support::entries;
using test_support::read_bytes;
using test_support::TempDir;
using test_support::write_bytes;

enum class Target { Existing, New, HardLinked };

const std::string kOld = "the old table, which must survive\r\n";

// A table written as a sweep writes it: a header, then rows in blocks.
std::string row_block(int k) { return std::string(900, static_cast<char>('a' + k)) + "\n"; }
std::string whole_table() {
    std::string t = "Q,HO\n";
    for (int k = 0; k < 8; ++k) t += row_block(k);
    return t;
}

struct Outcome {
    int code = 0;  // the CommandFailure's, 0 when committed
    std::string message;
    std::string content;  // of out.csv afterwards ("" when missing)
    std::set<std::string> names;
    std::string path;
};

Outcome write_table(Target target, std::initializer_list<Fault> faults) {
    TempDir dir;
    const fs::path out = dir / "out.csv";
    if (target != Target::New) write_bytes(out, kOld);
    if (target == Target::HardLinked) fs::create_hard_link(out, dir / "other-name.csv");
    Outcome o;
    o.path = out.string();
    {
        FaultPlan plan(faults);
        try {
            swirl::OutputFile file(out.string());
            file.write("Q,HO\n");
            for (int k = 0; k < 8; ++k) file.write(row_block(k));
            file.commit();
        } catch (const swirl::CommandFailure& e) {
            o.code = e.code();
            o.message = e.what();
        }
    }
    o.content = fs::exists(out) ? read_bytes(out) : std::string();
    if (target == Target::HardLinked) {
        EXPECT_EQ(read_bytes(dir / "other-name.csv"), o.content);
    }
    o.names = entries(dir.path());
    return o;
}

TEST(SwirlOutputs, EachFailureLeavesTheOldFileOrTheWholeTable) {
    const struct Case {
        const char* what;
        Target target;
        std::initializer_list<Fault> faults;
        const char* why;  // nullptr: the table is written
    } cases[] = {
        {"no fault", Target::Existing, {}, nullptr},
        {"no fault, new file", Target::New, {}, nullptr},
        {"no fault, hard link", Target::HardLinked, {}, nullptr},
        {"disk full at the 3rd write", Target::Existing, {{Call::Write, 3, ENOSPC}}, "No space left on device"},
        {"disk full, new file", Target::New, {{Call::Write, 1, ENOSPC}}, "No space left on device"},
        {"disk full, hard link", Target::HardLinked, {{Call::Fallocate, 1, ENOSPC}}, "No space left on device"},
        {"disk full midway, hard link", Target::HardLinked, {{Call::Pwrite, 1, 0, 2000}, {Call::Pwrite, 2, ENOSPC}},
         "No space left on device"},
        {"size limit", Target::Existing, {{Call::Write, 5, EFBIG}}, "File too large"},
        {"size limit, hard link", Target::HardLinked, {{Call::Pwrite, 1, EFBIG}}, "File too large"},
        {"interrupted calls", Target::Existing,
         {{Call::MakeTemp, 1, EINTR}, {Call::Write, 2, EINTR}, {Call::Rename, 1, EINTR}}, nullptr},
        {"interrupted calls, new file", Target::New, {{Call::Write, 1, EINTR}, {Call::RenameNoReplace, 1, EINTR}},
         nullptr},
        {"short writes", Target::Existing, {{Call::Write, 1, 0, 3}, {Call::Write, 4, 0, 100}}, nullptr},
        {"rename refused", Target::Existing, {{Call::Rename, 1, EACCES}}, "Permission denied"},
        {"rename across file systems", Target::Existing, {{Call::Rename, 1, EXDEV}}, "Invalid cross-device link"},
        {"new name refused", Target::New, {{Call::RenameNoReplace, 1, EIO}}, "Input/output error"},
        {"no scratch file", Target::Existing, {{Call::MakeTemp, 1, EMFILE}}, "Too many open files"},
        {"mode not set", Target::Existing, {{Call::Fchmod, 1, EPERM}}, "Operation not permitted"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome o = write_table(c.target, c.faults);
        std::set<std::string> names{"out.csv"};
        if (c.target == Target::HardLinked) names.insert("other-name.csv");
        if (c.why == nullptr) {
            EXPECT_EQ(o.code, 0) << o.message;
            EXPECT_EQ(o.content, whole_table());
        } else {
            EXPECT_EQ(o.code, swirl::kExitNotWritten);
            EXPECT_EQ(o.message, "cannot write " + o.path + ": " + c.why);
            EXPECT_EQ(o.content, c.target == Target::New ? "" : kOld);
            if (c.target == Target::New) names.clear();
        }
        EXPECT_EQ(o.names, names);  // no scratch file left
    }
}

// An interrupt during a long sweep ends it as before, by the signal, and the
// old table stays: the write that finds it pending drops the scratch file.
TEST(SwirlOutputs, AnInterruptEndsTheStreamAndKeepsTheOldFile) {
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(sig);
        TempDir dir;
        const fs::path out = dir / "out.csv";
        write_bytes(out, kOld);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::signal(sig, SIG_DFL);
            sigset_t none;
            sigemptyset(&none);
            ::sigprocmask(SIG_SETMASK, &none, nullptr);
            swirl::OutputFile file(out.string());
            file.write("Q,HO\n");
            ::raise(sig);  // held: the file is half written
            file.write(row_block(0));
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << status;
        EXPECT_EQ(read_bytes(out), kOld);
        EXPECT_EQ(entries(dir.path()), std::set<std::string>{"out.csv"});
    }
}

// A pipe (or a device) gets the rows as they come; a link to nothing is
// kept; standard output is written directly.
TEST(SwirlOutputs, PipesStreamAndDanglingLinksAreKept) {
    TempDir dir;
    const fs::path fifo = dir / "rows.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    {
        swirl::OutputFile file(fifo.string());
        file.write("Q,HO\n");
        char got[16] = {};
        EXPECT_EQ(::read(reader, got, sizeof got), 5);  // before the commit
        EXPECT_EQ(std::string(got), "Q,HO\n");
        file.commit();
    }
    ::close(reader);

    fs::create_symlink("nowhere.csv", dir / "link.csv");
    try {
        swirl::OutputFile file((dir / "link.csv").string());
        ADD_FAILURE() << "written through a link to nothing";
    } catch (const swirl::CommandFailure& e) {
        EXPECT_EQ(std::string(e.what()), "cannot write " + (dir / "link.csv").string() +
                                             ": a symbolic link to a missing file, which is kept");
    }
    EXPECT_TRUE(fs::is_symlink(dir / "link.csv"));
    EXPECT_FALSE(fs::exists(dir / "nowhere.csv"));
}

// The table keeps the mode of the file it replaces, and its owner when run as
// root; a link stays a link and its target gets the table.
TEST(SwirlOutputs, ModeOwnerAndLinksAreKept) {
    TempDir dir;
    const fs::path target = dir / "target.csv";
    write_bytes(target, kOld);
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    const bool root = test_support::running_as_root();
    if (root) {
        ASSERT_EQ(::chown(target.c_str(), 65534, 65534), 0);
    }
    fs::create_symlink("target.csv", dir / "link.csv");
    swirl::OutputFile file((dir / "link.csv").string());
    file.write(whole_table());
    file.commit();
    EXPECT_TRUE(fs::is_symlink(dir / "link.csv"));
    EXPECT_EQ(read_bytes(target), whole_table());
    struct stat st{};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(st.st_uid, 65534u);
        EXPECT_EQ(st.st_gid, 65534u);
    }
    EXPECT_EQ(entries(dir.path()), (std::set<std::string>{"target.csv", "link.csv"}));
}

// The same with the built command and its worker threads: SIGTERM while a
// sweep computes into its scratch file ends it by that signal, the old table
// kept and the scratch file gone.
TEST(SwirlOutputs, ASweepEndedBySigtermKeepsTheOldTable) {
    TempDir dir;
    write_bytes(dir / "BILM.DAT", swirl::find_program("BILM")->example);
    write_bytes(dir / "out.csv", kOld);
    test_support::RunOptions o;
    o.program = SWIRL_PATH;
    o.cwd = dir.path().string();
    o.args = {"sweep", "BILM.DAT", "--vary", "Q=1e-5:0.01:20000000", "--jobs", "2", "-o", "out.csv"};
    test_support::ChildProcess child(o);
    // The scratch file appears before the first case is computed.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (entries(dir.path()).size() < 3 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_EQ(entries(dir.path()).size(), 3u) << "no scratch file seen";
    ASSERT_EQ(::kill(child.pid(), SIGTERM), 0);
    const test_support::RunResult r = child.wait();
    EXPECT_EQ(r.term_signal, SIGTERM) << "exit code " << r.exit_code << ": " << r.err;
    EXPECT_EQ(read_bytes(dir / "out.csv"), kOld);
    EXPECT_EQ(entries(dir.path()), (std::set<std::string>{"BILM.DAT", "out.csv"}));
}

}  // namespace
