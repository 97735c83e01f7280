// ReplacementFile: the steps of a report (replacement.h) on a connection of
// its own, outside the unit table, and replace_file().
#include "fixrec/replacement_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "fixrec/posix.h"
#include "runtime.h"

namespace fixrec {

using namespace detail;

namespace {

[[noreturn]] void refuse(std::string_view path, const std::string& why) {
    throw ReplacementError(RunTimeError::ReportNotStarted, "WRITE on file " + std::string(path) + " - " + why, why);
}

}  // namespace

ReplacementFile::ReplacementFile(std::string_view path) : c_(std::make_unique<Connection>()) {
    Connection& c = *c_;
    if (!c.name.assign(path)) refuse(path, posix::error_text(ENAMETOOLONG));
    // A pipe or a device is opened for writing only, as a shell's ">" opens
    // it: a pipe whose reader has gone then says so instead of filling up.
    struct stat st{};
    const bool special = posix::stat(c.name.c_str(), st) == 0 && !S_ISREG(st.st_mode);
    const int fd = special ? posix::open(c.name.c_str(), O_WRONLY | O_CLOEXEC)
                           : posix::open(c.name.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd >= 0) {
        c.fd = fd;
        if (!special) posix::set_blocking(fd);
        c.access = special ? Access::WriteOnly : Access::ReadWrite;
        c.medium = Medium::File;
    } else if (const int err = errno; err != ENOENT) {
        refuse(path, posix::error_text(err));
    } else if (posix::lstat(c.name.c_str(), st) == 0) {
        refuse(path, "a symbolic link to a missing file, which is kept");
    } else {
        c.medium = Medium::NewFile;  // created at the commit, never over another file
    }
    c.unit = kNoUnit;
    try {
        begin_report(c);
    } catch (...) {
        c_.reset();
        throw;
    }
}

ReplacementFile::~ReplacementFile() { discard(); }

// After a failure (the connection already discarded) nothing more is done.
void ReplacementFile::write(std::string_view bytes) {
    if (!c_) return;
    Connection& c = *c_;
    try {
        // A long stream (a sweep's table) gives way to an interrupt: dropped
        // first, so that the interrupt finds the file as it was.
        if (interrupt_pending(c.report)) fail(c, RunTimeError::WriteFailed, "WRITE", "interrupted");
        c.report.target->write(c, bytes);
    } catch (...) {
        c_.reset();
        throw;
    }
}

void ReplacementFile::commit() {
    if (!c_) return;
    Connection& c = *c_;
    try {
        c.report.target->commit(c);
    } catch (...) {
        c_.reset();
        throw;
    }
    disconnect(c);
    c_.reset();
}

void ReplacementFile::discard() noexcept {
    if (!c_) return;
    discard_unit(*c_);
    c_.reset();
}

void replace_file(std::string_view path, std::string_view bytes) {
    ReplacementFile file(path);
    file.write(bytes);
    file.commit();
}

}  // namespace fixrec
