#include "run_program.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#if defined(__x86_64__)
#include <sys/ptrace.h>
#include <sys/syscall.h>
#include <sys/user.h>
#define SWIRL_TEST_CAN_HOLD 1
#else
#define SWIRL_TEST_CAN_HOLD 0
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace test_support {

namespace {

[[noreturn]] void throw_errno(const std::string& what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

// An anonymous in-memory file: captured output needs no pipe reader and
// leaves nothing in any directory the test looks at.
int memory_file(const char* name) {
    const int fd = ::memfd_create(name, MFD_CLOEXEC);
    if (fd < 0) throw_errno("memfd_create");
    return fd;
}

std::string read_whole(int fd) {
    std::string out;
    char chunk[4096];
    off_t at = 0;
    while (true) {
        const ssize_t k = ::pread(fd, chunk, sizeof chunk, at);
        if (k < 0) {
            if (errno == EINTR) continue;
            throw_errno("pread");
        }
        if (k == 0) break;
        out.append(chunk, static_cast<std::size_t>(k));
        at += k;
    }
    return out;
}

// What the child reports through the status pipe when it cannot reach exec.
struct ChildFailure {
    int stage;
    int error;
};

constexpr const char* kStageNames[] = {"stdin",  "stdout", "stderr", "chdir",  "setrlimit",
                                       "setgroups", "setgid", "setuid", "exec", "ptrace",
                                       "sigprocmask"};

[[noreturn]] void child_fail(int status_fd, int stage) {
    const ChildFailure failure{stage, errno};
    ssize_t ignored = ::write(status_fd, &failure, sizeof failure);
    (void)ignored;
    ::_exit(127);
}

// Waits for the next state change of the child without blocking past the
// deadline.  The child stops at every system call while traced, and resumes
// within microseconds, so the pause between looks starts short.
bool wait_until(pid_t pid, int& status, std::chrono::steady_clock::time_point deadline) {
    auto pause = std::chrono::microseconds(10);
    while (true) {
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid) return true;
        if (r < 0 && errno != EINTR) throw_errno("waitpid");
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::microseconds(2000));
    }
}

// Waits for the next state change of the child; at the deadline the child is
// killed and reaped, and the result is false.
bool wait_or_kill(pid_t pid, int& status, std::chrono::steady_clock::time_point deadline) {
    if (wait_until(pid, status, deadline)) return true;
    ::kill(pid, SIGKILL);
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return false;
}

// A last path component against a name of SyscallMatch: exact, or a prefix
// when the name ends in '*'.
bool name_matches(const std::string& path, const std::string& name) {
    const std::size_t slash = path.rfind('/');
    const std::string last = slash == std::string::npos ? path : path.substr(slash + 1);
    if (!name.empty() && name.back() == '*') return last.compare(0, name.size() - 1, name, 0, name.size() - 1) == 0;
    return last == name;
}

// Programs run under another identity are run from copies in a directory of
// their own under the system's temporary directory (mode 0755, files 0755):
// the build tree may lie in a home directory that only its owner can enter.
// One copy per program and test process, removed when the process ends.
class ReachableCopies {
public:
    ~ReachableCopies() {
        if (dir_.empty()) return;
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    std::string of(const std::string& program) {
        const std::lock_guard<std::mutex> lock(mutex_);
        const auto it = copies_.find(program);
        if (it != copies_.end()) return it->second;
        if (dir_.empty()) {
            std::string pattern = (std::filesystem::temp_directory_path() / "swirl-exe-XXXXXX").string();
            if (::mkdtemp(pattern.data()) == nullptr) throw_errno("mkdtemp");
            dir_ = pattern;
            if (::chmod(dir_.c_str(), 0755) != 0) throw_errno("chmod " + dir_);
        }
        const std::string copy =
            dir_ + "/" + std::to_string(copies_.size()) + "-" + std::filesystem::path(program).filename().string();
        copy_file(program, copy);
        copies_.emplace(program, copy);
        return copy;
    }

private:
    static void copy_file(const std::string& from, const std::string& to) {
        const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
        if (in < 0) throw_errno("open " + from);
        const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0700);
        if (out < 0) {
            ::close(in);
            throw_errno("create " + to);
        }
        std::string failed;
        char chunk[65536];
        while (failed.empty()) {
            const ssize_t k = ::read(in, chunk, sizeof chunk);
            if (k < 0 && errno == EINTR) continue;
            if (k < 0) failed = "read " + from;
            if (k <= 0) break;
            for (ssize_t done = 0; done < k && failed.empty();) {
                const ssize_t w = ::write(out, chunk + done, static_cast<std::size_t>(k - done));
                if (w < 0 && errno == EINTR) continue;
                if (w <= 0) failed = "write " + to;
                done += std::max<ssize_t>(w, 0);
            }
        }
        if (failed.empty() && ::fchmod(out, 0755) != 0) failed = "chmod " + to;
        const int err = errno;
        ::close(in);
        // Closed before any exec, or the kernel refuses to run the file (ETXTBSY).
        if (::close(out) != 0 && failed.empty()) failed = "close " + to;
        if (!failed.empty()) {
            errno = err;
            throw_errno(failed);
        }
    }

    std::mutex mutex_;
    std::string dir_;
    std::map<std::string, std::string> copies_;
};

std::string reachable_copy(const std::string& program) {
    static ReachableCopies copies;
    return copies.of(program);
}

}  // namespace

std::string SyscallEntry::string_arg(int k) const {
    std::string s;
#if SWIRL_TEST_CAN_HOLD
    const unsigned long long address = args.at(static_cast<std::size_t>(k));
    while (s.size() < 4096) {
        errno = 0;
        const long word = ::ptrace(PTRACE_PEEKDATA, pid, address + s.size(), nullptr);
        if (errno != 0) break;
        char bytes[sizeof word];
        std::memcpy(bytes, &word, sizeof word);
        for (char b : bytes) {
            if (b == '\0') return s;
            s.push_back(b);
        }
    }
#else
    (void)k;
#endif
    return s;
}

std::string SyscallEntry::fd_path(int k) const {
    const std::string link =
        "/proc/" + std::to_string(pid) + "/fd/" + std::to_string(static_cast<int>(args.at(static_cast<std::size_t>(k))));
    std::error_code ec;
    const std::filesystem::path target = std::filesystem::read_symlink(link, ec);
    return ec ? std::string() : target.string();
}

#if SWIRL_TEST_CAN_HOLD
namespace {
// The path argument of an opening, or -1 when the call is no opening.
int opening_path_arg(long number) {
    if (number == SYS_openat) return 1;
#ifdef SYS_openat2
    if (number == SYS_openat2) return 1;
#endif
    if (number == SYS_open) return 0;
    return -1;
}
}  // namespace

SyscallMatch opens(std::string name) {
    return [name = std::move(name)](const SyscallEntry& e) {
        const int path = opening_path_arg(e.number);
        return path >= 0 && name_matches(e.string_arg(path), name);
    };
}

SyscallMatch creates(std::string name) {
    return [name = std::move(name)](const SyscallEntry& e) {
        const int path = opening_path_arg(e.number);
        if (path < 0) return false;
        unsigned long long flags = e.args[static_cast<std::size_t>(path) + 1];
#ifdef SYS_openat2
        if (e.number == SYS_openat2) {  // flags are the first field of struct open_how
            errno = 0;
            flags = static_cast<unsigned long long>(::ptrace(PTRACE_PEEKDATA, e.pid, e.args[2], nullptr));
            if (errno != 0) return false;
        }
#endif
        return (flags & O_CREAT) != 0 && name_matches(e.string_arg(path), name);
    };
}

SyscallMatch writes_to(std::string name) {
    return [name = std::move(name)](const SyscallEntry& e) {
        const bool write = e.number == SYS_write || e.number == SYS_pwrite64 || e.number == SYS_writev ||
                           e.number == SYS_pwritev || e.number == SYS_pwritev2;
        return write && name_matches(e.fd_path(0), name);
    };
}

SyscallMatch renames_onto(std::string name) {
    return [name = std::move(name)](const SyscallEntry& e) {
        int target = -1;
        if (e.number == SYS_rename || e.number == SYS_link || e.number == SYS_symlink) target = 1;
        if (e.number == SYS_renameat || e.number == SYS_renameat2 || e.number == SYS_linkat) target = 3;
        if (e.number == SYS_symlinkat) target = 2;
        return target >= 0 && name_matches(e.string_arg(target), name);
    };
}

SyscallMatch reads_standard_input() {
    return [](const SyscallEntry& e) { return e.number == SYS_read && e.args[0] == 0; };
}
#else
SyscallMatch reads_standard_input() { return [](const SyscallEntry&) { return false; }; }
SyscallMatch opens(std::string) { return [](const SyscallEntry&) { return false; }; }
SyscallMatch creates(std::string) { return [](const SyscallEntry&) { return false; }; }
SyscallMatch writes_to(std::string) { return [](const SyscallEntry&) { return false; }; }
SyscallMatch renames_onto(std::string) { return [](const SyscallEntry&) { return false; }; }
#endif

std::optional<std::string> hold_before_reopen_unavailable() {
#if !SWIRL_TEST_CAN_HOLD
    return std::string("the hold before the reopening reads x86_64 registers");
#else
    static const std::optional<std::string> why = []() -> std::optional<std::string> {
        const pid_t pid = ::fork();
        if (pid < 0) return "fork: " + std::string(std::strerror(errno));
        if (pid == 0) {
            if (::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) ::_exit(1);
            ::raise(SIGSTOP);
            ::_exit(0);
        }
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        if (!WIFSTOPPED(status)) return std::string("ptrace(PTRACE_TRACEME) is refused here");
        std::optional<std::string> reason;
        if (::ptrace(PTRACE_SETOPTIONS, pid, nullptr,
                     reinterpret_cast<void*>(PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL)) != 0)
            reason = "ptrace(PTRACE_SETOPTIONS): " + std::string(std::strerror(errno));
        ::kill(pid, SIGKILL);
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        return reason;
    }();
    return why;
#endif
}

ChildProcess::ChildProcess(const RunOptions& options) : timeout_(options.timeout) {
    if (options.before_reopen) {
        if (options.reopen_file.empty()) throw std::logic_error("before_reopen needs reopen_file");
        holds_.push_back(Hold{opens(options.reopen_file), 2, [step = options.before_reopen](pid_t) { step(); }});
        holds_before_reopen_ = true;
    }
    holds_.insert(holds_.end(), options.holds.begin(), options.holds.end());
    const bool hold = !holds_.empty();
    if (hold && hold_before_reopen_unavailable()) throw std::logic_error("holds need a working ptrace");

    // Everything the child needs is prepared before fork: between fork and
    // exec it only calls async-signal-safe functions.
    const bool other_identity = options.uid || options.gid;
    std::vector<std::string> argv_strings;
    argv_strings.push_back(other_identity ? reachable_copy(options.program) : options.program);
    argv_strings.insert(argv_strings.end(), options.args.begin(), options.args.end());
    std::vector<char*> argv;
    for (auto& s : argv_strings) argv.push_back(s.data());
    argv.push_back(nullptr);

    int in_fd = -1;
    if (options.stdin_text) {
        in_fd = memory_file("stdin");
        const std::string& text = *options.stdin_text;
        std::size_t done = 0;
        while (done < text.size()) {
            const ssize_t k = ::write(in_fd, text.data() + done, text.size() - done);
            if (k <= 0) throw_errno("write stdin");
            done += static_cast<std::size_t>(k);
        }
        if (::lseek(in_fd, 0, SEEK_SET) != 0) throw_errno("lseek stdin");
    } else {
        in_fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (in_fd < 0) throw_errno("open /dev/null");
    }
    out_fd_ = memory_file("stdout");
    err_fd_ = memory_file("stderr");
    int status_pipe[2];
    if (::pipe2(status_pipe, O_CLOEXEC) != 0) throw_errno("pipe2");

    const char* cwd = options.cwd.empty() ? nullptr : options.cwd.c_str();
    const rlim_t fsize = options.file_size_limit ? static_cast<rlim_t>(*options.file_size_limit) : 0;
    struct sigaction default_action{};
    default_action.sa_handler = SIG_DFL;
    sigemptyset(&default_action.sa_mask);
    sigset_t no_signals;
    sigemptyset(&no_signals);

    pid_ = ::fork();
    if (pid_ < 0) throw_errno("fork");
    if (pid_ == 0) {
        const int sfd = status_pipe[1];
        if (::dup2(in_fd, STDIN_FILENO) < 0) child_fail(sfd, 0);
        if (::dup2(out_fd_, STDOUT_FILENO) < 0) child_fail(sfd, 1);
        if (::dup2(err_fd_, STDERR_FILENO) < 0) child_fail(sfd, 2);
        if (cwd != nullptr && ::chdir(cwd) != 0) child_fail(sfd, 3);
        if (options.file_size_limit) {
            const struct rlimit limit{fsize, fsize};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) child_fail(sfd, 4);
        }
        if (options.gid || options.uid) {
            if (::setgroups(0, nullptr) != 0) child_fail(sfd, 5);
        }
        if (options.gid && ::setgid(*options.gid) != 0) child_fail(sfd, 6);
        if (options.uid && ::setuid(*options.uid) != 0) child_fail(sfd, 7);
#if SWIRL_TEST_CAN_HOLD
        // After the change of identity: the child stops at its exec.
        if (hold && ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) child_fail(sfd, 9);
#endif
        // As a shell starts a command: no signal ignored (a test harness may
        // ignore SIGPIPE or SIGXFSZ; exec resets only caught ones), none
        // blocked.  SIGKILL, SIGSTOP and the C library's own signals refuse.
        for (int sig = 1; sig < NSIG; ++sig) ::sigaction(sig, &default_action, nullptr);
        if (::sigprocmask(SIG_SETMASK, &no_signals, nullptr) != 0) child_fail(sfd, 10);
        ::execve(argv[0], argv.data(), environ);
        child_fail(sfd, 8);
    }

    ::close(in_fd);
    ::close(status_pipe[1]);
    ChildFailure failure{};
    ssize_t k;
    do {
        k = ::read(status_pipe[0], &failure, sizeof failure);
    } while (k < 0 && errno == EINTR);
    ::close(status_pipe[0]);
    if (k == static_cast<ssize_t>(sizeof failure)) {
        ::waitpid(pid_, nullptr, 0);
        waited_ = true;
        throw std::runtime_error(std::string("child could not start ") + options.program + " (" +
                                 kStageNames[failure.stage] + "): " + std::strerror(failure.error));
    }
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0 && !waited_) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    if (out_fd_ >= 0) ::close(out_fd_);
    if (err_fd_ >= 0) ::close(err_fd_);
}

std::optional<int> ChildProcess::take_holds(std::chrono::steady_clock::time_point deadline,
                                            RunResult& result) {
#if !SWIRL_TEST_CAN_HOLD
    (void)deadline;
    (void)result;
    throw std::logic_error("holds need x86_64");
#else
    int status = 0;
    auto next_stop = [&]() -> bool {
        if (wait_or_kill(pid_, status, deadline)) return !WIFEXITED(status) && !WIFSIGNALED(status);
        result.timed_out = true;
        return false;
    };
    // The stop at the exec (a SIGTRAP of the tracing itself, not passed on).
    if (!next_stop()) return status;
    if (::ptrace(PTRACE_SETOPTIONS, pid_, nullptr,
                 reinterpret_cast<void*>(PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL)) != 0)
        throw_errno("ptrace(PTRACE_SETOPTIONS)");
    std::size_t next_hold = 0;
    int matched = 0;
    int pass_on = 0;
    while (true) {
        if (::ptrace(PTRACE_SYSCALL, pid_, nullptr, reinterpret_cast<void*>(static_cast<long>(pass_on))) != 0)
            throw_errno("ptrace(PTRACE_SYSCALL)");
        pass_on = 0;
        if (!next_stop()) return status;
        if (!WIFSTOPPED(status)) continue;
        const int sig = WSTOPSIG(status);
        if (sig != (SIGTRAP | 0x80)) {
            pass_on = sig;  // a signal for the program, not a system-call stop
            continue;
        }
        user_regs_struct regs{};
        if (::ptrace(PTRACE_GETREGS, pid_, nullptr, &regs) != 0) throw_errno("ptrace(PTRACE_GETREGS)");
        // At the entry of a system call the kernel has set rax to -ENOSYS;
        // at its exit rax holds the result.
        if (regs.rax != static_cast<unsigned long long>(-ENOSYS)) continue;
        SyscallEntry entry;
        entry.pid = pid_;
        entry.number = static_cast<long>(regs.orig_rax);
        entry.args = {regs.rdi, regs.rsi, regs.rdx, regs.r10, regs.r8, regs.r9};
        const Hold& hold = holds_[next_hold];
        if (!hold.matches(entry) || ++matched < hold.nth) continue;
        std::exception_ptr failure;
        try {
            hold.step(pid_);
            ++result.holds_taken;
            if (next_hold == 0 && holds_before_reopen_) result.before_reopen_ran = true;
        } catch (...) {
            failure = std::current_exception();
        }
        matched = 0;
        if (++next_hold < holds_.size() && !failure) continue;
        // Detached at the entry stop, the child goes on with that call.
        if (::ptrace(PTRACE_DETACH, pid_, nullptr, nullptr) != 0) throw_errno("ptrace(PTRACE_DETACH)");
        if (failure) std::rethrow_exception(failure);
        return std::nullopt;
    }
#endif
}

RunResult ChildProcess::wait() {
    RunResult result;
    if (waited_) throw std::logic_error("child already waited for");
    const auto deadline = std::chrono::steady_clock::now() + timeout_;
    int status = 0;
    std::optional<int> ended;
    if (!holds_.empty()) ended = take_holds(deadline, result);
    if (ended) {
        status = *ended;
    } else if (!wait_or_kill(pid_, status, deadline)) {
        result.timed_out = true;
    }
    waited_ = true;
    if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.term_signal = WTERMSIG(status);
    result.out = read_whole(out_fd_);
    result.err = read_whole(err_fd_);
    return result;
}

RunResult run_program(const RunOptions& options) {
    ChildProcess child(options);
    return child.wait();
}

}  // namespace test_support
