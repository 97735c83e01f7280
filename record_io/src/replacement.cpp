// Report-file replacement: the strategies of replacement.h and the steps of
// a report (begin, flush, finish, discard).
#include "replacement.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "fixrec/fixrec.h"
#include "fixrec/posix.h"
#include "runtime.h"

namespace fixrec::detail {

// ---------------------------------------------------------------------------
// Interrupts and the file-size signal.

void ignore_file_size_signal() { posix::ignore_if_default(SIGXFSZ); }

// The interrupts a user or the system sends to end a run.  While a report is
// being written they wait, so that the data file is never left half written
// and no scratch file stays behind; they are blocked, not caught, so that
// once released each ends the process as it would have done.
namespace {

sigset_t interrupts() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    return set;
}

}  // namespace

void hold_signals(Report& r) {
    if (r.signals_held) return;
    Runtime& rt = runtime();
    if (rt.reports_holding_signals == 0) posix::block_signals(interrupts(), rt.mask_before_hold);
    ++rt.reports_holding_signals;
    r.signals_held = true;
}

bool interrupt_pending(const Report& r) { return r.signals_held && posix::signal_pending(interrupts()); }

// A pending interrupt takes effect here.
void release_signals(Report& r) {
    if (!r.signals_held) return;
    r.signals_held = false;
    Runtime& rt = runtime();
    if (--rt.reports_holding_signals == 0) posix::set_signal_mask(rt.mask_before_hold);
}

void fail(Connection& c, RunTimeError error, const char* statement, std::string_view why) {
    std::string detail = std::string(statement) + " on " + describe(c) + " - " + std::string(why);
    discard_unit(c);
    throw ReplacementError(error, detail, std::string(why));
}

// ---------------------------------------------------------------------------
// Rename into place.

int ScratchFile::create(std::string_view target, bool new_name) {
    fd_ = -1;
    new_name_ = new_name;
    temp_.clear();
    if (!target_.assign(target)) return ENAMETOOLONG;
    // ".NAME.XXXXXX" in the directory of the target: the same file system,
    // so that the rename is one step.
    const std::size_t slash = target.rfind('/');
    const std::size_t base = slash == std::string_view::npos ? 0 : slash + 1;
    if (!temp_.append(target.substr(0, base)) || !temp_.append(".") ||
        !temp_.append(target.substr(base)) || !temp_.append(".XXXXXX")) {
        temp_.clear();
        return ENAMETOOLONG;
    }
    const int fd = posix::make_temp(temp_.data());
    if (fd < 0) {
        const int err = errno;
        temp_.clear();
        return err;
    }
    fd_ = fd;
    return 0;
}

void ScratchFile::write(Connection& c, std::string_view bytes) {
    if (const int err = posix::write_all(fd_, bytes.data(), bytes.size()))
        fail(c, RunTimeError::WriteFailed, "WRITE", posix::error_text(err));
}

// No fsync, for every file the suite writes: why is told with the rules in
// fixrec/replacement_file.h.
void ScratchFile::commit(Connection& c) {
    const int out = fd_;
    fd_ = -1;
    if (const int err = posix::close(out))
        fail(c, RunTimeError::CloseFailed, "CLOSE", posix::error_text(err));
    if (new_name_) {
        take_new_name(c);
    } else if (const int err = posix::rename(temp_.c_str(), target_.c_str())) {
        fail(c, RunTimeError::CloseFailed, "CLOSE", posix::error_text(err));
    }
    temp_.clear();
}

// A new file of the implicit connection gets its name only if nothing took
// that name while the report was being written: the name is never taken from
// another file.  Where the file system does not know RENAME_NOREPLACE, a hard
// link, which also refuses an existing name, does the same.
void ScratchFile::take_new_name(Connection& c) {
    int err = posix::rename_noreplace(temp_.c_str(), target_.c_str());
    if (err == EINVAL || err == ENOSYS || err == EOPNOTSUPP) {
        err = posix::link(temp_.c_str(), target_.c_str());
        if (err == 0) posix::unlink(temp_.c_str());
    }
    if (err == EEXIST)
        fail(c, RunTimeError::CloseFailed, "CLOSE",
             "a file of that name appeared meanwhile and was kept");
    if (err != 0) fail(c, RunTimeError::CloseFailed, "CLOSE", posix::error_text(err));
}

void ScratchFile::discard(Connection&) noexcept {
    if (fd_ >= 0) posix::close(fd_);
    fd_ = -1;
    if (!temp_.empty()) posix::unlink(temp_.c_str());
    temp_.clear();
}

// ---------------------------------------------------------------------------
// In place.

int InPlace::start(Connection& c, off_t cut, bool regular) {
    snapshot_.clear();
    held_.clear();
    cut_ = cut;
    regular_ = regular;
    modified_ = false;
    if (!regular) return 0;  // a FIFO or a device: no old content to keep
    char chunk[4096];
    for (off_t at = 0;;) {
        const ssize_t k = posix::pread(c.fd, chunk, sizeof chunk, at);
        if (k < 0) return errno;
        if (k == 0) return 0;
        snapshot_.append(chunk, static_cast<std::size_t>(k));
        at += k;
    }
}

// A FIFO or a device gets the bytes as they come: it has no old content to
// keep whole, and a reader at the other end waits for them.
void InPlace::write(Connection& c, std::string_view bytes) {
    if (regular_) {
        held_.append(bytes);
    } else if (const int err = posix::write_all(c.fd, bytes.data(), bytes.size())) {
        fail(c, RunTimeError::WriteFailed, "WRITE", posix::error_text(err));
    }
}

// Writes the held report over the file from the cut on, after making sure
// that the file may and can grow to its new size.
void InPlace::commit(Connection& c) {
    if (!regular_) return;
    const auto old_size = static_cast<off_t>(snapshot_.size());
    const off_t new_size = cut_ + static_cast<off_t>(held_.size());
    struct rlimit limit{};
    if (posix::file_size_limit(limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        static_cast<rlim_t>(new_size) > limit.rlim_cur)
        fail(c, RunTimeError::WriteFailed, "WRITE", posix::error_text(EFBIG));
    if (new_size > old_size) {
        const int err = posix::fallocate(c.fd, old_size, new_size - old_size);
        if (err != 0 && err != EOPNOTSUPP && err != EINVAL) {
            posix::ftruncate(c.fd, old_size);  // the size did not change if the allocation failed
            fail(c, RunTimeError::WriteFailed, "WRITE", posix::error_text(err));
        }
    }
    modified_ = true;
    if (const int err = posix::pwrite_all(c.fd, held_.data(), held_.size(), cut_))
        fail(c, RunTimeError::WriteFailed, "WRITE", posix::error_text(err));
    if (const int err = posix::ftruncate(c.fd, new_size))
        fail(c, RunTimeError::WriteFailed, "WRITE", posix::error_text(err));
    modified_ = false;
    std::string().swap(snapshot_);
    std::string().swap(held_);
}

// The old content goes back; if even that fails, nothing more can be done
// and the diagnostic that follows names the file.
void InPlace::discard(Connection& c) noexcept {
    if (modified_ && c.fd >= 0) {
        posix::pwrite_all(c.fd, snapshot_.data(), snapshot_.size(), 0);
        posix::ftruncate(c.fd, static_cast<off_t>(snapshot_.size()));
    }
    modified_ = false;
    std::string().swap(snapshot_);
    std::string().swap(held_);
}

// ---------------------------------------------------------------------------
// The steps of a report.

void begin_report(Connection& c) {
    Report& r = c.report;
    c.out_len = 0;
    if (c.medium == Medium::MemoryOutput) {
        r.memory.start(c.memory_out);
        r.target = &r.memory;
        c.write_mode = true;
        return;
    }
    if (c.medium == Medium::MemoryInput || c.access == Access::ReadOnly)
        fail(c, RunTimeError::ReportNotStarted, "WRITE", "the file can be opened for reading only");
    const off_t cut = c.fd >= 0 ? c.position() : 0;
    c.window_len = c.pos = 0;

    struct stat st{};
    bool regular = true;
    bool several_links = false;
    mode_t mode = 0;
    if (c.fd >= 0) {
        if (const int err = posix::fstat(c.fd, st))
            fail(c, RunTimeError::ReportNotStarted, "WRITE", posix::error_text(err));
        regular = S_ISREG(st.st_mode);
        several_links = st.st_nlink > 1;
        mode = st.st_mode & 07777;
    } else {
        mode = posix::creation_mode();
    }

    ignore_file_size_signal();
    // A FIFO or a device has no old content to keep whole, and a write to it
    // may wait for a reader: an interrupt stays free to end the run there.
    if (regular) hold_signals(r);
    if (regular && !several_links) {
        // Where the report finally lands: the file a symbolic link points
        // to, so that the link stays a link.
        char resolved[PATH_MAX];
        std::string_view target = c.name.view();
        if (c.medium == Medium::File && posix::real_path(c.name.c_str(), resolved) == 0)
            target = resolved;
        const int err = r.scratch.create(target, c.medium == Medium::NewFile);
        if (err == 0) {
            r.target = &r.scratch;
            if (const int e = posix::fchmod(r.scratch.fd(), mode))
                fail(c, RunTimeError::ReportNotStarted, "WRITE", posix::error_text(e));
            if (c.fd >= 0 && posix::is_root()) {
                if (const int e = posix::fchown(r.scratch.fd(), st.st_uid, st.st_gid))
                    fail(c, RunTimeError::ReportNotStarted, "WRITE", posix::error_text(e));
            }
            // Keep what lies before the cut.
            for (off_t at = 0; at < cut;) {
                const auto want = static_cast<std::size_t>(std::min<off_t>(cut - at, kBufferSize));
                const ssize_t k = posix::pread(c.fd, c.buf, want, at);
                if (k <= 0)
                    fail(c, RunTimeError::ReportNotStarted, "WRITE",
                         k < 0 ? posix::error_text(errno) : "file shrank");
                r.scratch.write(c, std::string_view(c.buf, static_cast<std::size_t>(k)));
                at += k;
            }
            c.write_mode = true;
            return;
        }
        if (c.fd < 0 || !(err == EACCES || err == EPERM || err == EROFS))
            fail(c, RunTimeError::ReportNotStarted, "WRITE", posix::error_text(err));
    }

    // In place: remember the old content; the file changes only at closing.
    if (c.fd < 0) fail(c, RunTimeError::ReportNotStarted, "WRITE", "cannot create the file");
    if (const int err = r.in_place.start(c, cut, regular))
        fail(c, RunTimeError::ReportNotStarted, "WRITE",
             "cannot keep the old content: " + posix::error_text(err));
    r.target = &r.in_place;
    c.write_mode = true;
}

void flush_report(Connection& c) {
    if (c.out_len == 0) return;
    const std::size_t n = c.out_len;
    c.out_len = 0;
    c.report.target->write(c, std::string_view(c.buf, n));
}

void finish_report(Connection& c) {
    flush_report(c);
    c.report.target->commit(c);
}

void discard_report(Connection& c) noexcept {
    if (c.report.target != nullptr) c.report.target->discard(c);
    c.report.target = nullptr;
}

}  // namespace fixrec::detail
