#include "output_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "command.h"

namespace swirl {

namespace {

// The temporary file to remove when a signal ends the process: one at a
// time, set before the file exists and cleared after it is renamed.
char g_temporary[PATH_MAX + 1];
volatile sig_atomic_t g_have_temporary = 0;

extern "C" void remove_temporary_and_die(int sig) {
    if (g_have_temporary) ::unlink(g_temporary);
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

void watch_signals() {
    // Beyond a file-size limit (ulimit -f) the write fails with EFBIG and
    // the command ends with its message and no scratch file, instead of the
    // signal ending the process with the temporary left behind.
    struct sigaction size_signal{};
    if (::sigaction(SIGXFSZ, nullptr, &size_signal) == 0 && size_signal.sa_handler == SIG_DFL) {
        size_signal.sa_handler = SIG_IGN;
        ::sigaction(SIGXFSZ, &size_signal, nullptr);
    }
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction old{};
        ::sigaction(sig, nullptr, &old);
        if (old.sa_handler == SIG_IGN) continue;  // started in the background: stays ignored
        struct sigaction act{};
        act.sa_handler = remove_temporary_and_die;
        ::sigemptyset(&act.sa_mask);
        ::sigaction(sig, &act, nullptr);
    }
}

[[noreturn]] void fail(const std::string& name, int err) {
    throw CommandFailure(kExitNotWritten, "cannot write " + name + ": " + std::strerror(err));
}

}  // namespace

OutputFile::OutputFile(const std::string& path) : name_(path) {
    if (path.empty() || path == "-") {
        name_ = "standard output";
        fd_ = STDOUT_FILENO;
        return;
    }
    target_ = path;
    struct stat st{};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        std::error_code ec;
        const auto resolved = std::filesystem::weakly_canonical(path, ec);
        if (!ec) target_ = resolved.string();
    }
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd_ < 0) fail(name_, errno);
        own_fd_ = true;
        return;
    }
    const std::filesystem::path t(target_);
    const std::string dir = t.has_parent_path() ? t.parent_path().string() : ".";
    temporary_ = dir + "/." + t.filename().string() + ".XXXXXX";
    if (temporary_.size() > PATH_MAX) fail(name_, ENAMETOOLONG);
    std::memcpy(g_temporary, temporary_.c_str(), temporary_.size() + 1);
    watch_signals();
    fd_ = ::mkostemp(g_temporary, O_CLOEXEC);
    if (fd_ < 0) {
        temporary_.clear();
        fail(name_, errno);
    }
    temporary_ = g_temporary;
    g_have_temporary = 1;
    own_fd_ = true;
    mode_t mode = 0;
    if (exists) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd_, mode) != 0) {
        const int err = errno;
        ::close(fd_);
        ::unlink(temporary_.c_str());
        g_have_temporary = 0;
        fail(name_, err);
    }
}

OutputFile::~OutputFile() {
    if (own_fd_ && fd_ >= 0) ::close(fd_);
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        g_have_temporary = 0;
    }
}

void OutputFile::write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(name_, errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

void OutputFile::commit() {
    if (temporary_.empty()) return;
    if (::fsync(fd_) != 0) fail(name_, errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) fail(name_, errno);
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) fail(name_, errno);
    temporary_.clear();
    g_have_temporary = 0;
}

bool is_same_file(const std::string& input, const std::string& path) {
    if (path.empty() || path == "-") return false;
    std::error_code ec;
    return std::filesystem::equivalent(input, path, ec);
}

}  // namespace swirl
