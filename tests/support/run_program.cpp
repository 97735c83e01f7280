#include "run_program.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
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

constexpr const char* kStageNames[] = {"stdin", "stdout", "stderr", "chdir", "setrlimit",
                                       "setgroups", "setgid", "setuid", "exec", "ptrace"};

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

#if SWIRL_TEST_CAN_HOLD
// The NUL-terminated path at `address` in the child, read a word at a time.
std::string child_string(pid_t pid, unsigned long long address) {
    std::string s;
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
    return s;
}

bool last_component_is(const std::string& path, const std::string& name) {
    const std::size_t slash = path.rfind('/');
    return (slash == std::string::npos ? path : path.substr(slash + 1)) == name;
}
#endif

}  // namespace

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

ChildProcess::ChildProcess(const RunOptions& options)
    : timeout_(options.timeout),
      reopen_file_(options.reopen_file),
      before_reopen_(options.before_reopen) {
    const bool hold = static_cast<bool>(before_reopen_);
    if (hold && (reopen_file_.empty() || hold_before_reopen_unavailable()))
        throw std::logic_error("before_reopen needs reopen_file and a working ptrace");

    // Everything the child needs is prepared before fork: between fork and
    // exec it only calls async-signal-safe functions.
    std::vector<std::string> argv_strings;
    argv_strings.push_back(options.program);
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

    pid_ = ::fork();
    if (pid_ < 0) throw_errno("fork");
    if (pid_ == 0) {
        const int sfd = status_pipe[1];
        if (::dup2(in_fd, STDIN_FILENO) < 0) child_fail(sfd, 0);
        if (::dup2(out_fd_, STDOUT_FILENO) < 0) child_fail(sfd, 1);
        if (::dup2(err_fd_, STDERR_FILENO) < 0) child_fail(sfd, 2);
        if (cwd != nullptr && ::chdir(cwd) != 0) child_fail(sfd, 3);
        if (options.file_size_limit) {
            ::signal(SIGXFSZ, SIG_IGN);
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

std::optional<int> ChildProcess::hold_before_reopen(std::chrono::steady_clock::time_point deadline,
                                                    RunResult& result) {
#if !SWIRL_TEST_CAN_HOLD
    (void)deadline;
    (void)result;
    throw std::logic_error("before_reopen needs x86_64");
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
    int openings = 0;
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
        unsigned long long path = 0;
        if (regs.orig_rax == SYS_openat)
            path = regs.rsi;
#ifdef SYS_openat2
        else if (regs.orig_rax == SYS_openat2)
            path = regs.rsi;
#endif
        else if (regs.orig_rax == SYS_open)
            path = regs.rdi;
        else
            continue;
        if (!last_component_is(child_string(pid_, path), reopen_file_) || ++openings < 2) continue;
        std::exception_ptr failure;
        try {
            before_reopen_();
            result.before_reopen_ran = true;
        } catch (...) {
            failure = std::current_exception();
        }
        // Detached at the entry stop, the child goes on with the opening.
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
    if (before_reopen_) ended = hold_before_reopen(deadline, result);
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
