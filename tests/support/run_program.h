// Runs a built program as a child process for end-to-end tests: a chosen
// working directory, standard input from a string or /dev/null, standard
// output and standard error captured byte for byte, and optionally a lower
// privilege or a file-size limit for the child alone, and optionally steps
// of the test's own taken at fixed points of the child's run.
//
// The child starts as a shell starts a command: every signal at its default
// action and none blocked, whatever the test process inherited.
#pragma once

#include <sys/types.h>

#include <array>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "privilege.h"

namespace test_support {

// The exit codes every calculator promises, written out here so that the
// tests state them independently of the programs' own constants.
inline constexpr int kExitOk = 0;
inline constexpr int kExitNotWritten = 1;
inline constexpr int kExitUnreadable = 2;
inline constexpr int kExitInvalidArithmetic = 3;

// A system call of the child at its entry, as a hold sees it (x86_64
// numbering and argument order).
struct SyscallEntry {
    pid_t pid = -1;
    long number = -1;
    std::array<unsigned long long, 6> args{};
    // The NUL-terminated string that argument k points to in the child.
    std::string string_arg(int k) const;
    // What the descriptor in argument k names ("" when it cannot be told).
    std::string fd_path(int k) const;
};

using SyscallMatch = std::function<bool(const SyscallEntry&)>;

// Predicates on system calls for holds.  `name` is compared with the last
// component of a path; a name ending in '*' matches every name that starts
// with what precedes the star.
SyscallMatch opens(std::string name);         // open, openat, openat2
SyscallMatch creates(std::string name);       // the same with O_CREAT
SyscallMatch writes_to(std::string name);     // write, pwrite64, writev, pwritev(2)
SyscallMatch renames_onto(std::string name);  // rename(at)(2) or (sym)link(at) to that name
SyscallMatch reads_standard_input();          // read on descriptor 0

// The child is held at the entry of the `nth` system call that `matches`
// (counting from the previous hold) while `step` runs; then it goes on.
struct Hold {
    SyscallMatch matches;
    int nth = 1;
    std::function<void(pid_t child)> step;
};

struct RunOptions {
    std::string program;                    // path of the executable
    std::vector<std::string> args;          // arguments after the program name
    std::string cwd;                        // working directory of the child ("" = inherit)
    std::optional<std::string> stdin_text;  // no value: standard input is /dev/null
    // Identity of the child (setgroups({}), setgid, setuid before exec); only
    // meaningful when the test runs as root.  Such a child runs a copy of the
    // program in a directory every user can reach, since the build tree may
    // lie where only its owner can go.
    std::optional<uid_t> uid;
    std::optional<gid_t> gid;
    // RLIMIT_FSIZE of the child in bytes; SIGXFSZ keeps its default action,
    // as under "ulimit -f" in a shell.
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
    // Further holds, taken in order after the one before the reopening; the
    // child runs under ptrace until the last of them and is detached right
    // after its step.  Same needs as before_reopen.
    std::vector<Hold> holds;
};

struct RunResult {
    int exit_code = -1;   // the child's exit status; -1 when it did not exit normally
    int term_signal = 0;  // the signal that ended it, 0 if none
    bool timed_out = false;
    bool before_reopen_ran = false;  // RunOptions::before_reopen was called
    int holds_taken = 0;             // steps run, the one before the reopening included
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
    // Follows the traced child through its holds, takes each step and
    // detaches after the last.  Returns the wait status when the child ended
    // (or was killed at the deadline) before that.
    std::optional<int> take_holds(std::chrono::steady_clock::time_point deadline, RunResult& result);

    pid_t pid_ = -1;
    int out_fd_ = -1;
    int err_fd_ = -1;
    std::chrono::milliseconds timeout_;
    std::vector<Hold> holds_;
    bool holds_before_reopen_ = false;  // holds_[0] is RunOptions::before_reopen
    bool waited_ = false;
};

// Starts the program and waits for it.
RunResult run_program(const RunOptions& options);

// Why RunOptions::before_reopen and holds cannot work here (not x86_64, or
// ptrace refused), or no value when they can.  Probed once per test process.
std::optional<std::string> hold_before_reopen_unavailable();

}  // namespace test_support
