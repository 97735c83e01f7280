#include "run_program.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
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
                                       "setgroups", "setgid", "setuid", "exec"};

[[noreturn]] void child_fail(int status_fd, int stage) {
    const ChildFailure failure{stage, errno};
    ssize_t ignored = ::write(status_fd, &failure, sizeof failure);
    (void)ignored;
    ::_exit(127);
}

}  // namespace

ChildProcess::ChildProcess(const RunOptions& options) : timeout_(options.timeout) {
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

RunResult ChildProcess::wait() {
    RunResult result;
    if (waited_) throw std::logic_error("child already waited for");
    const auto deadline = std::chrono::steady_clock::now() + timeout_;
    int status = 0;
    while (true) {
        const pid_t r = ::waitpid(pid_, &status, WNOHANG);
        if (r == pid_) break;
        if (r < 0 && errno != EINTR) throw_errno("waitpid");
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
            result.timed_out = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
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
