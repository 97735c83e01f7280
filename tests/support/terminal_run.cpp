#include "terminal_run.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string_view>

extern char** environ;

namespace test_support {

TerminalResult run_on_terminal(const TerminalRun& run) {
    // No echo and no output processing: the terminal receives the bytes as
    // written (a cooked terminal would turn LF into CR LF).
    struct termios raw{};
    ::cfmakeraw(&raw);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    int master = -1, slave = -1;
    if (::openpty(&master, &slave, nullptr, &raw, nullptr) != 0)
        throw std::runtime_error(std::string("openpty: ") + std::strerror(errno));
    int out_pipe[2], err_pipe[2];
    if (::pipe2(out_pipe, O_CLOEXEC) != 0 || ::pipe2(err_pipe, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe2 failed");

    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string_view v = *e;
        if (v.starts_with("LC_ALL=") || v.starts_with("LC_CTYPE=") || v.starts_with("LANG=")) continue;
        env.emplace_back(v);
    }
    for (const auto& [name, value] : run.locale) env.push_back(name + "=" + value);
    std::vector<char*> envp, argv;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string program = run.program;
    std::vector<std::string> args = run.args;
    argv.push_back(program.data());
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        ::setsid();
        ::ioctl(slave, TIOCSCTTY, 0);
        ::dup2(slave, STDIN_FILENO);
        ::dup2(run.out == To::Terminal ? slave : out_pipe[1], STDOUT_FILENO);
        ::dup2(run.err == To::Terminal ? slave : err_pipe[1], STDERR_FILENO);
        ::close(slave);
        ::close(master);
        if (::chdir(run.cwd.c_str()) != 0) ::_exit(126);
        ::execve(program.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(slave);
    ::close(out_pipe[1]);
    ::close(err_pipe[1]);
    if (!run.keyboard.empty() && ::write(master, run.keyboard.data(), run.keyboard.size()) < 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        for (const int fd : {master, out_pipe[0], err_pipe[0]}) ::close(fd);
        throw std::runtime_error("typing on the terminal failed");
    }

    TerminalResult result;
    struct Source {
        int fd;
        std::string* to;
    };
    std::vector<Source> open_fds = {{master, &result.terminal},
                                    {out_pipe[0], &result.out_pipe},
                                    {err_pipe[0], &result.err_pipe}};
    const auto deadline = std::chrono::steady_clock::now() + run.timeout;
    while (!open_fds.empty() && std::chrono::steady_clock::now() < deadline) {
        std::vector<pollfd> fds;
        for (const Source& s : open_fds) fds.push_back({s.fd, POLLIN, 0});
        if (::poll(fds.data(), fds.size(), 100) < 0 && errno != EINTR) break;
        for (std::size_t i = fds.size(); i-- > 0;) {
            if (fds[i].revents == 0) continue;
            char buf[4096];
            const ssize_t k = ::read(fds[i].fd, buf, sizeof buf);
            if (k > 0) {
                open_fds[i].to->append(buf, static_cast<std::size_t>(k));
            } else if (k == 0 || errno != EINTR) {  // EIO: the terminal's last holder is gone
                ::close(fds[i].fd);
                open_fds.erase(open_fds.begin() + static_cast<std::ptrdiff_t>(i));
            }
        }
    }
    for (const Source& s : open_fds) ::close(s.fd);
    if (!open_fds.empty()) {
        ::kill(pid, SIGKILL);
        result.timed_out = true;
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
    return result;
}

}  // namespace test_support
