// Runs a built program as a child process for end-to-end tests: a chosen
// working directory, standard input from a string or /dev/null, standard
// output and standard error captured byte for byte, and optionally a lower
// privilege or a file-size limit for the child alone, and optionally a step
// of the test's own taken at a fixed point of the child's run.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace test_support {

// The exit codes every calculator promises, written out here so that the
// tests state them independently of the programs' own constants.
inline constexpr int kExitOk = 0;
inline constexpr int kExitReportNotWritten = 1;
inline constexpr int kExitUnreadable = 2;
inline constexpr int kExitInvalidArithmetic = 3;

struct RunOptions {
    std::string program;                    // path of the executable
    std::vector<std::string> args;          // arguments after the program name
    std::string cwd;                        // working directory of the child ("" = inherit)
    std::optional<std::string> stdin_text;  // no value: standard input is /dev/null
    // Identity of the child (setgroups({}), setgid, setuid before exec); only
    // meaningful when the test runs as root.
    std::optional<uid_t> uid;
    std::optional<gid_t> gid;
    // RLIMIT_FSIZE of the child in bytes; SIGXFSZ is ignored in the child, so
    // a write past the limit fails with EFBIG instead of killing it.
    std::optional<unsigned long> file_size_limit;
    std::chrono::milliseconds timeout{10000};
    // A step taken while the child is held at the entry of its second
    // opening (open or openat) of a file whose last path component is
    // `reopen_file`: the calculators open their data file, read the input
    // section, close it, compute, and open it again for the report, so this
    // runs between the reading and the report.  The child runs under ptrace
    // (PTRACE_TRACEME after the change of identity) until that point and is
    // detached right after the step; signals it receives meanwhile are passed
    // on.  The step does not run when the child never gets there.  Needs
    // x86_64 and a kernel that allows ptrace: see hold_before_reopen_unavailable().
    std::string reopen_file;
    std::function<void()> before_reopen;
};

struct RunResult {
    int exit_code = -1;   // the child's exit status; -1 when it did not exit normally
    int term_signal = 0;  // the signal that ended it, 0 if none
    bool timed_out = false;
    bool before_reopen_ran = false;  // RunOptions::before_reopen was called
    std::string out;      // everything written to standard output
    std::string err;      // everything written to standard error
};

// A started child.  The destructor kills and reaps a child that was not
// waited for.
class ChildProcess {
public:
    explicit ChildProcess(const RunOptions& options);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    // Waits for the end of the child (killing it after the timeout) and
    // collects its output.
    RunResult wait();

private:
    // Follows the traced child up to its reopening of the data file, takes
    // the step there and detaches.  Returns the wait status when the child
    // ended (or was killed at the deadline) before that.
    std::optional<int> hold_before_reopen(std::chrono::steady_clock::time_point deadline,
                                          RunResult& result);

    pid_t pid_ = -1;
    int out_fd_ = -1;
    int err_fd_ = -1;
    std::chrono::milliseconds timeout_;
    std::string reopen_file_;
    std::function<void()> before_reopen_;
    bool waited_ = false;
};

// Starts the program and waits for it.
RunResult run_program(const RunOptions& options);

// Why RunOptions::before_reopen cannot work here (not x86_64, or ptrace
// refused), or no value when it can.  Probed once per test process.
std::optional<std::string> hold_before_reopen_unavailable();

// The identity of the unprivileged account used to run a program without the
// powers of root.
inline constexpr uid_t kNobodyUid = 65534;
inline constexpr gid_t kNobodyGid = 65534;

}  // namespace test_support
