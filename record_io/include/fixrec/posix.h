// The thin layer through which FIXREC, the calculators and swirl make every
// system call on files, descriptors, signals and processes.
//
// One policy for interrupted calls: a call that fails with EINTR is made
// again, every kind alike, with one exception: close() is never repeated,
// since Linux releases the descriptor whatever close() returns, and its
// EINTR counts as success (the data were already handed to the system).
// write_all() and pwrite_all() continue after a short write until every byte
// is written.
//
// Every call is counted per kind, and tests can make chosen calls fail
// (FaultPlan below): "the 2nd pwrite fails with EIO", "the 1st write is cut
// short after 100 bytes".  Outside tests no plan is set and the only cost is
// the count.
#pragma once

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

namespace fixrec::posix {

enum class Call : std::uint8_t {
    Open,
    Close,
    Read,
    Pread,
    Write,
    Pwrite,
    Fstat,
    Stat,
    Lstat,
    Ftruncate,
    Fallocate,
    MakeTemp,         // mkostemp
    MakeTempDir,      // mkdtemp
    Fchmod,
    Fchown,
    Rename,
    RenameNoReplace,  // renameat2 with RENAME_NOREPLACE
    Link,
    Unlink,
    RealPath,
    Count,
};

// Calls that return a value return it, or -1 with errno set.
// A file created by open (O_CREAT) gets 0666 less the umask.
int open(const char* path, int flags);
ssize_t read(int fd, void* buf, std::size_t n);
ssize_t pread(int fd, void* buf, std::size_t n, off_t at);
// `templ` ends in "XXXXXX"; on success it holds the name of the new file.
int make_temp(char* templ);
// `templ` ends in "XXXXXX"; makes a directory only its owner can enter.
int make_temp_dir(char* templ);

// Calls that only succeed or fail return 0 or the error number.
int close(int fd);
int fstat(int fd, struct stat& st);
int stat(const char* path, struct stat& st);  // follows symbolic links
int lstat(const char* path, struct stat& st);
int ftruncate(int fd, off_t size);
int fallocate(int fd, off_t at, off_t size);  // posix_fallocate
int fchmod(int fd, mode_t mode);
int fchown(int fd, uid_t uid, gid_t gid);
int rename(const char* from, const char* to);
int rename_noreplace(const char* from, const char* to);
int link(const char* from, const char* to);
int unlink(const char* path);
// The absolute name of `path` with every symbolic link resolved, into
// `resolved` (PATH_MAX bytes).
int real_path(const char* path, char* resolved);

// Whole transfers: 0 when every byte went, else the error number of the
// failing call, or kNoProgress when the system took no byte and gave no error.
inline constexpr int kNoProgress = -1;
int write_all(int fd, const char* p, std::size_t n);
int pwrite_all(int fd, const char* p, std::size_t n, off_t at);
// Appends everything up to the end of the file to `out`: 0 or the error number.
int read_all(int fd, std::string& out);

// The text of an error number of the calls above ("no space left" for kNoProgress).
std::string error_text(int err);

// Calls that cannot fail in a way FIXREC acts on; here so that every system
// call of the library is in one place.
bool is_terminal(int fd);
// The columns of the terminal on `fd`; 0 when it is none or does not say.
int terminal_columns(int fd);
// Whether `path` names anything (a dangling symbolic link does not).
bool exists(const char* path);
int set_blocking(int fd);
int file_size_limit(struct rlimit& limit);
bool is_root();
mode_t creation_mode();  // 0666 without the bits of the umask
void block_signals(const sigset_t& signals, sigset_t& before);
void set_signal_mask(const sigset_t& mask);
// Ignores `sig` unless a handler or SIG_IGN is set for it.
void ignore_if_default(int sig);
// Whether one of `signals` is pending (blocked and sent) and not ignored:
// releasing it will take its effect.
bool signal_pending(const sigset_t& signals);

// Runs `/bin/sh -c script` with $0 = `name` and $1 = `arg`, and waits for
// it, as system() does: meanwhile this process ignores SIGINT and SIGQUIT,
// which the child gets back at their former actions.  0 and the wait status
// in `status`, or the error number when no child could be started.
int run_shell(const std::string& script, const std::string& name, const std::string& arg, int& status);

// ---------------------------------------------------------------------------
// Injected failures, for tests.

struct Fault {
    Call call;
    long nth;               // the nth attempt of that kind since the plan was set, from 1
    int error = 0;          // the call fails with this errno; 0: it succeeds, but
    std::size_t limit = 0;  // (read, write) transfers at most `limit` bytes
};

// While it lives, the calls meet its faults.  Setting a plan restarts the
// counts of attempts.  One plan at a time; not for concurrent use.
class FaultPlan {
public:
    FaultPlan(std::initializer_list<Fault> faults);
    ~FaultPlan();
    FaultPlan(const FaultPlan&) = delete;
    FaultPlan& operator=(const FaultPlan&) = delete;

    // Attempts of a kind since the plan was set, repeated ones included.
    static long attempts(Call call);
};

}  // namespace fixrec::posix
