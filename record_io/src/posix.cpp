#include "fixrec/posix.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

namespace fixrec::posix {

namespace {

constexpr std::size_t kMaxFaults = 8;

struct Plan {
    std::array<long, static_cast<std::size_t>(Call::Count)> attempts{};
    std::array<Fault, kMaxFaults> faults{};
    std::size_t count = 0;
};

constinit Plan g_plan;

// What the next attempt of `call` meets: nullptr for the real call.
const Fault* next_attempt(Call call) {
    const long n = ++g_plan.attempts[static_cast<std::size_t>(call)];
    for (std::size_t k = 0; k < g_plan.count; ++k)
        if (g_plan.faults[k].call == call && g_plan.faults[k].nth == n) return &g_plan.faults[k];
    return nullptr;
}

// Calls returning -1 and errno: made again while they fail with EINTR.
template <class F>
auto retried(Call call, F f) -> decltype(f(std::size_t{0})) {
    while (true) {
        std::size_t limit = SIZE_MAX;
        if (const Fault* fault = next_attempt(call)) {
            if (fault->error != 0) {
                errno = fault->error;
                if (fault->error == EINTR) continue;
                return -1;
            }
            limit = fault->limit;
        }
        const auto r = f(limit);
        if (r == -1 && errno == EINTR) continue;
        return r;
    }
}

// Calls returning 0 or -1 and errno: 0 or the error number.
template <class F>
int status_of(Call call, F f) {
    const int r = retried(call, [&](std::size_t) { return f(); });
    return r == 0 ? 0 : errno;
}

}  // namespace

int open(const char* path, int flags) {
    return retried(Call::Open, [&](std::size_t) { return ::open(path, flags, 0666); });
}

ssize_t read(int fd, void* buf, std::size_t n) {
    return retried(Call::Read, [&](std::size_t limit) { return ::read(fd, buf, std::min(n, limit)); });
}

ssize_t pread(int fd, void* buf, std::size_t n, off_t at) {
    return retried(Call::Pread,
                   [&](std::size_t limit) { return ::pread(fd, buf, std::min(n, limit), at); });
}

int make_temp(char* templ) {
    // A failed attempt may leave other letters in place of the X's.
    const std::size_t len = std::strlen(templ);
    return retried(Call::MakeTemp, [&](std::size_t) {
        std::memcpy(templ + len - 6, "XXXXXX", 6);
        return ::mkostemp(templ, O_CLOEXEC);
    });
}

int make_temp_dir(char* templ) {
    const std::size_t len = std::strlen(templ);
    return retried(Call::MakeTempDir, [&](std::size_t) {
        std::memcpy(templ + len - 6, "XXXXXX", 6);
        return ::mkdtemp(templ) != nullptr ? 0 : -1;
    });
}

int close(int fd) {
    int err = 0;
    if (const Fault* fault = next_attempt(Call::Close)) err = fault->error;
    if (::close(fd) != 0 && err == 0) err = errno;
    return err == EINTR ? 0 : err;
}

int fstat(int fd, struct stat& st) {
    return status_of(Call::Fstat, [&] { return ::fstat(fd, &st); });
}

int stat(const char* path, struct stat& st) {
    return status_of(Call::Stat, [&] { return ::stat(path, &st); });
}

int lstat(const char* path, struct stat& st) {
    return status_of(Call::Lstat, [&] { return ::lstat(path, &st); });
}

int ftruncate(int fd, off_t size) {
    return status_of(Call::Ftruncate, [&] { return ::ftruncate(fd, size); });
}

int fallocate(int fd, off_t at, off_t size) {
    // posix_fallocate returns its error instead of setting errno.
    return status_of(Call::Fallocate, [&] {
        const int err = ::posix_fallocate(fd, at, size);
        if (err == 0) return 0;
        errno = err;
        return -1;
    });
}

int fchmod(int fd, mode_t mode) {
    return status_of(Call::Fchmod, [&] { return ::fchmod(fd, mode); });
}

int fchown(int fd, uid_t uid, gid_t gid) {
    return status_of(Call::Fchown, [&] { return ::fchown(fd, uid, gid); });
}

int rename(const char* from, const char* to) {
    return status_of(Call::Rename, [&] { return ::rename(from, to); });
}

int rename_noreplace(const char* from, const char* to) {
    return status_of(Call::RenameNoReplace,
                     [&] { return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE); });
}

int link(const char* from, const char* to) {
    return status_of(Call::Link, [&] { return ::link(from, to); });
}

int unlink(const char* path) {
    return status_of(Call::Unlink, [&] { return ::unlink(path); });
}

int real_path(const char* path, char* resolved) {
    return status_of(Call::RealPath, [&] { return ::realpath(path, resolved) != nullptr ? 0 : -1; });
}

int write_all(int fd, const char* p, std::size_t n) {
    while (n > 0) {
        const ssize_t k = retried(Call::Write, [&](std::size_t limit) { return ::write(fd, p, std::min(n, limit)); });
        if (k < 0) return errno;
        if (k == 0) return kNoProgress;
        p += k;
        n -= static_cast<std::size_t>(k);
    }
    return 0;
}

int pwrite_all(int fd, const char* p, std::size_t n, off_t at) {
    while (n > 0) {
        const ssize_t k = retried(Call::Pwrite, [&](std::size_t limit) { return ::pwrite(fd, p, std::min(n, limit), at); });
        if (k < 0) return errno;
        if (k == 0) return kNoProgress;
        p += k;
        at += k;
        n -= static_cast<std::size_t>(k);
    }
    return 0;
}

int read_all(int fd, std::string& out) {
    char chunk[65536];
    for (;;) {
        const ssize_t k = read(fd, chunk, sizeof chunk);
        if (k < 0) return errno;
        if (k == 0) return 0;
        out.append(chunk, static_cast<std::size_t>(k));
    }
}

std::string error_text(int err) {
    if (err == kNoProgress) return "no space left";
    return std::strerror(err);
}

bool is_terminal(int fd) { return ::isatty(fd) == 1; }

int terminal_columns(int fd) {
    struct winsize ws{};
    if (!is_terminal(fd) || ::ioctl(fd, TIOCGWINSZ, &ws) != 0) return 0;
    return ws.ws_col;
}

bool exists(const char* path) { return ::access(path, F_OK) == 0; }

int set_blocking(int fd) { return ::fcntl(fd, F_SETFL, 0) == 0 ? 0 : errno; }

int file_size_limit(struct rlimit& limit) { return ::getrlimit(RLIMIT_FSIZE, &limit) == 0 ? 0 : errno; }

bool is_root() { return ::geteuid() == 0; }

mode_t creation_mode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

void block_signals(const sigset_t& signals, sigset_t& before) {
    ::sigprocmask(SIG_BLOCK, &signals, &before);
}

void set_signal_mask(const sigset_t& mask) { ::sigprocmask(SIG_SETMASK, &mask, nullptr); }

void ignore_if_default(int sig) {
    struct sigaction current{};
    if (::sigaction(sig, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) return;
    struct sigaction ignore{};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(sig, &ignore, nullptr);
}

bool signal_pending(const sigset_t& signals) {
    sigset_t pending;
    if (::sigpending(&pending) != 0) return false;
    for (int sig = 1; sig < NSIG; ++sig) {
        if (sigismember(&signals, sig) != 1 || sigismember(&pending, sig) != 1) continue;
        struct sigaction current{};
        if (::sigaction(sig, nullptr, &current) == 0 && current.sa_handler != SIG_IGN) return true;
    }
    return false;
}

int run_shell(const std::string& script, const std::string& name, const std::string& arg, int& status) {
    struct sigaction ignore{}, old_int{}, old_quit{};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGINT, &ignore, &old_int);
    ::sigaction(SIGQUIT, &ignore, &old_quit);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::sigaction(SIGINT, &old_int, nullptr);
        ::sigaction(SIGQUIT, &old_quit, nullptr);
        ::execl("/bin/sh", "sh", "-c", script.c_str(), name.c_str(), arg.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const int err = pid < 0 ? errno : 0;
    status = 0;
    if (pid > 0)
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    ::sigaction(SIGINT, &old_int, nullptr);
    ::sigaction(SIGQUIT, &old_quit, nullptr);
    return err;
}

FaultPlan::FaultPlan(std::initializer_list<Fault> faults) {
    g_plan = Plan{};
    for (const Fault& f : faults)
        if (g_plan.count < kMaxFaults) g_plan.faults[g_plan.count++] = f;
}

FaultPlan::~FaultPlan() { g_plan.count = 0; }

long FaultPlan::attempts(Call call) { return g_plan.attempts[static_cast<std::size_t>(call)]; }

}  // namespace fixrec::posix
