// The connection table: units, the buffered data-file cycle, console output
// with carriage control, the implicit connection and the end of a run.
//
// Writing a report never touches the data file until the report is complete:
// the records go, through the 1024-byte buffer, into a scratch file beside the
// data file (same directory, so on the same file system), which takes the data
// file's name by rename() when the unit is closed.  Readers and a crash in the
// middle therefore see either the old content or the whole new report.  A file
// that is not a regular file, or a directory where no scratch file can be made,
// is rewritten in place; so is a file with several hard links, which must all
// see the new report.  In place, the whole report is held in memory until the
// unit is closed, the file-size limit and the free space are checked before
// the first byte of the file changes, and the old content (kept in memory) is
// put back if the writing fails all the same.
//
// From the first output statement until the unit is closed or its report
// dropped, SIGINT, SIGTERM and SIGHUP are blocked: an interrupt that arrives
// meanwhile takes its normal effect only once the file is whole again and no
// scratch file is left.  SIGXFSZ is ignored, so that a write past the
// file-size limit fails with EFBIG like any other write instead of ending the
// process in the middle.
//
// The implicit connection only ever makes a new file: a name that is already
// taken is kept as it is, and the next name is asked for.
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>

#include "fixrec/edit_input.h"
#include "fixrec/edit_output.h"
#include "fixrec/fixrec.h"

namespace fixrec {

namespace {

constexpr std::size_t kBufferSize = 1024;
constexpr std::size_t kPromptLineMax = 260;

// ---------------------------------------------------------------------------
// Standard console: stdout, stderr, stdin.

void write_fd(int fd, std::string_view bytes) {
    const char* p = bytes.data();
    std::size_t n = bytes.size();
    while (n > 0) {
        const ssize_t k = ::write(fd, p, n);
        if (k < 0) {
            if (errno == EINTR) continue;
            return;  // a closed console loses the message, nothing else
        }
        p += k;
        n -= static_cast<std::size_t>(k);
    }
}

// The program's texts are code page 866.  A terminal whose locale expects
// UTF-8 would show them as garbage, so on such a terminal they are converted;
// a pipe or a file gets the code page 866 bytes, which scripts and stored
// transcripts compare.  Verbatim bytes (file names, diagnostics) and the
// keyboard are never converted.
class StandardConsole final : public ConsoleDevice {
public:
    // Looks at the streams and the locale; once at the start of each run.
    void choose_encoding() {
        const bool utf8 =
            utf8_locale(std::getenv("LC_ALL"), std::getenv("LC_CTYPE"), std::getenv("LANG"));
        utf8_out_ = utf8 && ::isatty(STDOUT_FILENO) == 1;
        utf8_err_ = utf8 && ::isatty(STDERR_FILENO) == 1;
    }
    void write_out(std::string_view bytes) override { write_text(STDOUT_FILENO, utf8_out_, bytes); }
    void write_err(std::string_view bytes) override { write_text(STDERR_FILENO, utf8_err_, bytes); }
    void write_out_verbatim(std::string_view bytes) override { write_fd(STDOUT_FILENO, bytes); }
    void write_err_verbatim(std::string_view bytes) override { write_fd(STDERR_FILENO, bytes); }
    bool read_line(std::string& line) override {
        line.clear();
        bool any = false;
        char c;
        while (true) {
            const ssize_t k = ::read(STDIN_FILENO, &c, 1);
            if (k < 0 && errno == EINTR) continue;
            if (k <= 0) return any;
            any = true;
            if (c == '\n') break;
            line.push_back(c);
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return true;
    }

private:
    void write_text(int fd, bool utf8, std::string_view bytes) {
        if (!utf8) {
            write_fd(fd, bytes);
            return;
        }
        converted_.clear();
        append_utf8(converted_, bytes);
        write_fd(fd, converted_);
    }

    bool utf8_out_ = false;
    bool utf8_err_ = false;
    std::string converted_;
};

// Bytes [begin, end) of a record that come from a Verbatim item.
struct ByteRange {
    std::size_t begin;
    std::size_t end;
};

std::string_view trim_blanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::string errno_text(int err) { return std::strerror(err); }

// ---------------------------------------------------------------------------
// Connections.

enum class Access : std::uint8_t { ReadWrite, ReadOnly, WriteOnly };
enum class WriteMethod : std::uint8_t { None, Replace, InPlace };

struct Connection {
    int unit = 0;
    std::string name;
    int fd = -1;            // the file as opened; -1 for a new file of the implicit connection
    Access access = Access::ReadWrite;
    bool exists = true;

    // Reading: buf[buf_pos..buf_len) are unread bytes; buf[0] is at file offset buf_offset.
    std::array<char, kBufferSize> buf{};
    std::size_t buf_pos = 0;
    std::size_t buf_len = 0;
    off_t buf_offset = 0;

    // Writing.
    bool write_mode = false;
    WriteMethod method = WriteMethod::None;
    int out_fd = -1;
    std::string temp_path;
    std::string target_path;
    std::string snapshot;    // old content, for the in-place method
    std::string held;        // the report, held until closing (in-place method)
    off_t cut = 0;           // where the report starts in the file
    bool regular = true;
    bool modified = false;   // the file itself has been changed (in-place method)
    bool signals_held = false;  // this unit keeps the interrupts blocked
    std::size_t out_len = 0; // bytes of buf holding report text

    off_t position() const { return buf_offset + static_cast<off_t>(buf_pos); }
};

struct TransparentHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

struct Runtime {
    std::vector<std::unique_ptr<Connection>> units;
    std::vector<std::string> args;
    std::size_t next_arg = 0;
    StandardConsole standard_console;
    ConsoleDevice* console = &standard_console;
    long console_records = 0;
    bool console_line_open = false;  // the console cursor is after record text
    bool console_used = false;       // a record or a prompt was sent
    std::string record;              // scratch record of a list-directed statement
    std::vector<ByteRange> record_verbatim;  // its verbatim parts
    std::string record_store;        // storage of the record a formatted statement assembles
    std::string input_record;        // scratch input record
    std::unordered_map<std::string, std::unique_ptr<Format>, TransparentHash, std::equal_to<>>
        formats;
    int units_holding_signals = 0;
    sigset_t mask_before_hold{};     // the signal mask to restore when the last unit lets go
};

Runtime& rt() {
    static Runtime runtime;
    return runtime;
}

const Format& cached_format(std::string_view text) {
    auto& cache = rt().formats;
    const auto it = cache.find(text);
    if (it != cache.end()) return *it->second;
    auto parsed = std::make_unique<Format>(text);
    const Format& ref = *parsed;
    cache.emplace(std::string(text), std::move(parsed));
    return ref;
}

Connection* find_unit(int unit) {
    for (auto& c : rt().units)
        if (c->unit == unit) return c.get();
    return nullptr;
}

void remove_unit(Connection* c) {
    auto& units = rt().units;
    units.erase(std::remove_if(units.begin(), units.end(),
                               [c](const std::unique_ptr<Connection>& p) { return p.get() == c; }),
                units.end());
}

// The interrupts a user or the system sends to end a run.  While a report is
// being written they wait, so that the data file is never left half written
// and no scratch file stays behind; they are blocked, not caught, so that
// once released each ends the process as it would have done.
void hold_signals(Connection* c) {
    if (c->signals_held) return;
    Runtime& r = rt();
    if (r.units_holding_signals == 0) {
        sigset_t interrupts;
        sigemptyset(&interrupts);
        sigaddset(&interrupts, SIGINT);
        sigaddset(&interrupts, SIGTERM);
        sigaddset(&interrupts, SIGHUP);
        ::sigprocmask(SIG_BLOCK, &interrupts, &r.mask_before_hold);
    }
    ++r.units_holding_signals;
    c->signals_held = true;
}

// A pending interrupt takes effect here.
void release_signals(Connection* c) {
    if (!c->signals_held) return;
    c->signals_held = false;
    Runtime& r = rt();
    if (--r.units_holding_signals == 0) ::sigprocmask(SIG_SETMASK, &r.mask_before_hold, nullptr);
}

// A write past the file-size limit fails with EFBIG instead of raising
// SIGXFSZ, whose default action ends the process without a word.  Done when
// a run begins and again before a report is written; a handler the program
// installed itself is left alone.
void ignore_file_size_signal() {
    struct sigaction current{};
    if (::sigaction(SIGXFSZ, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) return;
    struct sigaction ignore{};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGXFSZ, &ignore, nullptr);
}

std::string describe(const Connection& c) {
    return "unit " + std::to_string(c.unit) + ", file " + c.name;
}

// Drops the report of a unit without touching its file (or puts the old content
// back when it was being rewritten in place), closes the handles and
// disconnects the unit.
void discard(Connection* c) {
    if (c->method == WriteMethod::Replace) {
        if (c->out_fd >= 0) ::close(c->out_fd);
        if (!c->temp_path.empty()) ::unlink(c->temp_path.c_str());
    } else if (c->method == WriteMethod::InPlace && c->modified && c->fd >= 0) {
        std::size_t done = 0;
        while (done < c->snapshot.size()) {
            const ssize_t k = ::pwrite(c->fd, c->snapshot.data() + done, c->snapshot.size() - done,
                                       static_cast<off_t>(done));
            if (k <= 0) break;
            done += static_cast<std::size_t>(k);
        }
        if (::ftruncate(c->fd, static_cast<off_t>(c->snapshot.size())) != 0) {
            // Nothing more can be done; the diagnostic that follows names the file.
        }
    }
    if (c->fd >= 0) ::close(c->fd);
    release_signals(c);
    remove_unit(c);
}

[[noreturn]] void fail(Connection* c, RunTimeError error, const char* statement,
                       const std::string& why) {
    std::string detail = std::string(statement) + " on " + describe(*c) + " - " + why;
    discard(c);
    throw Fatal(error, detail);
}

void write_all(Connection* c, const char* p, std::size_t n) {
    while (n > 0) {
        const ssize_t k = ::write(c->out_fd, p, n);
        if (k < 0) {
            if (errno == EINTR) continue;
            fail(c, RunTimeError::WriteFailed, "WRITE", errno_text(errno));
        }
        if (k == 0) fail(c, RunTimeError::WriteFailed, "WRITE", "no space left");
        p += k;
        n -= static_cast<std::size_t>(k);
    }
}

void flush_output(Connection* c) {
    if (c->out_len == 0) return;
    if (c->method == WriteMethod::InPlace)
        c->held.append(c->buf.data(), c->out_len);
    else
        write_all(c, c->buf.data(), c->out_len);
    c->out_len = 0;
}

// Where the report finally lands: the file a symbolic link points to, so that
// the link stays a link.
std::string resolve_target(const std::string& name) {
    char* real = ::realpath(name.c_str(), nullptr);
    if (real == nullptr) return name;
    std::string out(real);
    std::free(real);
    return out;
}

bool read_snapshot(Connection* c) {
    struct stat st{};
    if (::fstat(c->fd, &st) != 0) return false;
    c->snapshot.clear();
    char chunk[4096];
    off_t at = 0;
    while (true) {
        const ssize_t k = ::pread(c->fd, chunk, sizeof chunk, at);
        if (k < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (k == 0) break;
        c->snapshot.append(chunk, static_cast<std::size_t>(k));
        at += k;
    }
    return true;
}

// The first output statement after a connection: cut the file at the current
// position.  The cut is virtual until the report is complete.
void begin_write(Connection* c) {
    if (c->access == Access::ReadOnly)
        fail(c, RunTimeError::ReportNotStarted, "WRITE", "the file can be opened for reading only");
    const off_t cut = c->fd >= 0 ? c->position() : 0;
    c->buf_pos = c->buf_len = 0;
    c->out_len = 0;

    struct stat st{};
    bool regular = true;
    bool several_links = false;
    mode_t mode = 0;
    if (c->fd >= 0) {
        if (::fstat(c->fd, &st) != 0) fail(c, RunTimeError::ReportNotStarted, "WRITE", errno_text(errno));
        regular = S_ISREG(st.st_mode);
        several_links = st.st_nlink > 1;
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    c->cut = cut;
    c->regular = regular;
    ignore_file_size_signal();
    // A FIFO or a device has no old content to keep whole, and a write to it
    // may wait for a reader: an interrupt stays free to end the run there.
    if (regular) hold_signals(c);
    if (regular && !several_links) {
        c->target_path = c->exists ? resolve_target(c->name) : c->name;
        const auto slash = c->target_path.rfind('/');
        const std::string dir = slash == std::string::npos ? "." : c->target_path.substr(0, slash + 1);
        const std::string base =
            slash == std::string::npos ? c->target_path : c->target_path.substr(slash + 1);
        std::string temp = (slash == std::string::npos ? std::string() : dir) + "." + base + ".XXXXXX";
        const int tfd = ::mkostemp(temp.data(), O_CLOEXEC);
        if (tfd >= 0) {
            c->method = WriteMethod::Replace;
            c->out_fd = tfd;
            c->temp_path = temp;
            if (::fchmod(tfd, mode) != 0) fail(c, RunTimeError::ReportNotStarted, "WRITE", errno_text(errno));
            if (c->fd >= 0 && ::geteuid() == 0 && ::fchown(tfd, st.st_uid, st.st_gid) != 0)
                fail(c, RunTimeError::ReportNotStarted, "WRITE", errno_text(errno));
            // Keep what lies before the cut.
            off_t at = 0;
            while (at < cut) {
                const auto want = static_cast<std::size_t>(std::min<off_t>(cut - at, kBufferSize));
                const ssize_t k = ::pread(c->fd, c->buf.data(), want, at);
                if (k <= 0) fail(c, RunTimeError::ReportNotStarted, "WRITE", k < 0 ? errno_text(errno) : "file shrank");
                write_all(c, c->buf.data(), static_cast<std::size_t>(k));
                at += k;
            }
            c->write_mode = true;
            return;
        }
        const int err = errno;
        if (c->fd < 0 || !(err == EACCES || err == EPERM || err == EROFS))
            fail(c, RunTimeError::ReportNotStarted, "WRITE", errno_text(err));
    }

    // In place: remember the old content; the file changes only at closing.
    if (c->fd < 0) fail(c, RunTimeError::ReportNotStarted, "WRITE", "cannot create the file");
    if (regular && !read_snapshot(c))
        fail(c, RunTimeError::ReportNotStarted, "WRITE", "cannot keep the old content: " + errno_text(errno));
    c->method = WriteMethod::InPlace;
    c->out_fd = c->fd;
    c->write_mode = true;
}

// Writes the held report over the file from the cut on, after making sure
// that the file may and can grow to its new size.
void finish_in_place(Connection* c) {
    if (!c->regular) {
        write_all(c, c->held.data(), c->held.size());
        return;
    }
    const auto old_size = static_cast<off_t>(c->snapshot.size());
    const off_t new_size = c->cut + static_cast<off_t>(c->held.size());
    struct rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        static_cast<rlim_t>(new_size) > limit.rlim_cur)
        fail(c, RunTimeError::WriteFailed, "WRITE", errno_text(EFBIG));
    if (new_size > old_size) {
        const int err = ::posix_fallocate(c->fd, old_size, new_size - old_size);
        if (err != 0 && err != EOPNOTSUPP && err != EINVAL) {
            if (::ftruncate(c->fd, old_size) != 0) {
                // The size did not change if the allocation failed.
            }
            fail(c, RunTimeError::WriteFailed, "WRITE", errno_text(err));
        }
    }
    c->modified = true;
    std::size_t done = 0;
    while (done < c->held.size()) {
        const ssize_t k = ::pwrite(c->fd, c->held.data() + done, c->held.size() - done,
                                   c->cut + static_cast<off_t>(done));
        if (k < 0 && errno == EINTR) continue;
        if (k <= 0) fail(c, RunTimeError::WriteFailed, "WRITE", k < 0 ? errno_text(errno) : "no space left");
        done += static_cast<std::size_t>(k);
    }
    if (::ftruncate(c->fd, new_size) != 0) fail(c, RunTimeError::WriteFailed, "WRITE", errno_text(errno));
}

// A new file of the implicit connection gets its name only if nothing took
// that name while the report was being written: the name is never taken from
// another file.  Where the file system does not know RENAME_NOREPLACE, a hard
// link, which also refuses an existing name, does the same.
void create_from_scratch(Connection* c) {
    const char* temp = c->temp_path.c_str();
    const char* target = c->target_path.c_str();
    int err = 0;
    if (::renameat2(AT_FDCWD, temp, AT_FDCWD, target, RENAME_NOREPLACE) != 0) {
        err = errno;
        if (err == EINVAL || err == ENOSYS || err == EOPNOTSUPP) {
            err = ::link(temp, target) == 0 ? 0 : errno;
            if (err == 0) ::unlink(temp);
        }
    }
    if (err == EEXIST)
        fail(c, RunTimeError::CloseFailed, "CLOSE", "a file of that name appeared meanwhile and was kept");
    if (err != 0) fail(c, RunTimeError::CloseFailed, "CLOSE", errno_text(err));
}

void finish_write(Connection* c) {
    flush_output(c);
    if (c->method == WriteMethod::InPlace) finish_in_place(c);
    if (c->method == WriteMethod::Replace) {
        // No fsync: like any other program's output, the report reaches the
        // disk when the system writes it back.  Replacing by rename() keeps
        // the file whole against every failure a run can meet (full disk,
        // size limit, permissions, the run stopped midway); the file systems
        // in use flush a file's data before a rename that replaces another.
        const int out = c->out_fd;
        c->out_fd = -1;
        if (::close(out) != 0) fail(c, RunTimeError::CloseFailed, "CLOSE", errno_text(errno));
        if (c->exists) {
            if (::rename(c->temp_path.c_str(), c->target_path.c_str()) != 0)
                fail(c, RunTimeError::CloseFailed, "CLOSE", errno_text(errno));
        } else {
            create_from_scratch(c);
        }
        c->temp_path.clear();
    }
}

// ---------------------------------------------------------------------------
// Console records and carriage control.

// Sends one console record: its carriage control, then its text, of which
// the `verbatim` ranges (ascending, offsets into `record`) go out unconverted.
void emit_console_record(std::string_view record, std::span<const ByteRange> verbatim = {}) {
    Runtime& r = rt();
    const char control = record.empty() ? ' ' : record.front();
    const std::string_view text = record.empty() ? record : record.substr(1);
    const bool first = r.console_records == 0;
    std::string out;
    out.reserve(text.size() + 6);
    switch (control) {
        case '0':
            out += first ? "\r\n" : "\r\n\r\n";
            break;
        case '1':
            out += "\r\n\f\r \r";
            break;
        case '+':
            out += "\r";
            break;
        default:
            if (!first) out += "\r\n";
            break;
    }
    std::size_t at = record.size() - text.size();  // the text's offset in the record
    for (const ByteRange& v : verbatim) {
        const std::size_t begin = std::max(v.begin, at);  // a verbatim first byte is control
        if (begin >= v.end) continue;
        out.append(record.substr(at, begin - at));
        if (!out.empty()) r.console->write_out(out);
        out.clear();
        r.console->write_out_verbatim(record.substr(begin, v.end - begin));
        at = v.end;
    }
    out.append(record.substr(at));
    if (!out.empty() || verbatim.empty()) r.console->write_out(out);
    ++r.console_records;
    r.console_line_open = true;
    r.console_used = true;
}

// ---------------------------------------------------------------------------
// Record assembly with pending blanks.

// The record is assembled in place in `store`, which only grows (to the
// longest record so far); its string size is the capacity, not the record.
class OutRecord {
public:
    explicit OutRecord(std::string& store) : store_(store) {
        if (store_.size() < kBufferSize) store_.resize(kBufferSize);
    }

    // Blanks that are written only if text follows them in the record.
    void skip(std::size_t n) { pending_ += n; }
    void put(std::string_view s) {
        char* p = room(s.size());
        std::memcpy(p, s.data(), s.size());
        size_ += s.size();
    }
    void put_fill(std::size_t n, char c) {
        char* p = room(n);
        std::memset(p, c, n);
        size_ += n;
    }
    // Text of a Verbatim item: noted, for a console record.
    void put_verbatim(std::string_view s) {
        char* p = room(s.size());
        std::memcpy(p, s.data(), s.size());
        verbatim_.push_back({size_, size_ + s.size()});
        size_ += s.size();
    }
    std::string_view text() const { return {store_.data(), size_}; }
    std::span<const ByteRange> verbatim() const { return verbatim_; }
    void clear() {
        size_ = 0;
        pending_ = 0;
        verbatim_.clear();
    }

private:
    // Spare room beyond every need, so that a short run of blanks is stored
    // as one copy of fixed length (most runs are a skip or a field's padding).
    static constexpr std::size_t kSlack = 32;
    static constexpr char kBlanks[kSlack + 1] = "                                ";

    // Writes the pending blanks and returns where n more bytes go.
    char* room(std::size_t n) {
        const std::size_t need = size_ + pending_ + n + kSlack;
        if (need > store_.size()) store_.resize(std::max(need, 2 * store_.size()));
        char* p = store_.data() + size_;
        if (pending_ > 0) {
            if (pending_ <= kSlack)
                std::memcpy(p, kBlanks, kSlack);
            else
                std::memset(p, ' ', pending_);
            p += pending_;
            size_ += pending_;
            pending_ = 0;
        }
        return p;
    }

    std::string& store_;
    std::size_t size_ = 0;
    std::size_t pending_ = 0;
    std::vector<ByteRange> verbatim_;
};

class RecordSink {
public:
    virtual void end_record(const OutRecord& record) = 0;

protected:
    ~RecordSink() = default;
};

class FileSink final : public RecordSink {
public:
    explicit FileSink(Connection* c) : c_(c) {}
    void end_record(const OutRecord& rec) override {
        const std::string_view record = rec.text();
        const std::size_t n = record.size();
        if (c_->out_len + n + 2 < kBufferSize) {
            // The whole record and its line end fit without filling the buffer.
            char* p = c_->buf.data() + c_->out_len;
            std::memcpy(p, record.data(), n);
            p[n] = '\r';
            p[n + 1] = '\n';
            c_->out_len += n + 2;
            return;
        }
        append(record.data(), n);
        append("\r\n", 2);
    }

private:
    void append(const char* p, std::size_t n) {
        while (n > 0) {
            const std::size_t room = kBufferSize - c_->out_len;
            const std::size_t k = std::min(room, n);
            std::memcpy(c_->buf.data() + c_->out_len, p, k);
            c_->out_len += k;
            p += k;
            n -= k;
            if (c_->out_len == kBufferSize) flush_output(c_);
        }
    }
    Connection* c_;
};

class ConsoleSink final : public RecordSink {
public:
    void end_record(const OutRecord& record) override {
        emit_console_record(record.text(), record.verbatim());
    }
};

[[noreturn]] void item_mismatch(const Format& f) {
    throw std::invalid_argument("item does not match its descriptor in format " +
                                std::string(f.source()));
}

void edit_item(OutRecord& rec, const Descriptor& d, const Item& item, const Format& f) {
    char stack[160];
    std::unique_ptr<char[]> heap;
    char* buf = stack;
    if (edit_capacity(d.d) > sizeof stack) {
        heap = std::make_unique<char[]>(edit_capacity(d.d));
        buf = heap.get();
    }
    const auto w = static_cast<std::size_t>(d.w);
    std::size_t len = 0;
    switch (d.kind) {
        case DescKind::E:
        case DescKind::F: {
            if (item.kind() != Item::Kind::Real) item_mismatch(f);
            if (!std::isfinite(item.real())) {
                const std::string_view marker = nonfinite_marker(item.real());
                if (marker.size() > w) {
                    rec.put_fill(w, '*');
                } else {
                    rec.put(marker);
                    rec.put_fill(w - marker.size(), '.');
                }
                return;
            }
            len = d.kind == DescKind::E ? edit_e(item.real(), d.d, buf) : edit_f(item.real(), d.d, buf);
            break;
        }
        case DescKind::I:
            if (item.kind() != Item::Kind::Integer) item_mismatch(f);
            len = edit_i(item.integer(), buf);
            break;
        case DescKind::A: {
            if (item.kind() != Item::Kind::Text) item_mismatch(f);
            const std::string_view s = item.text();
            const std::size_t aw = d.w == 0 ? s.size() : w;
            if (aw >= s.size()) rec.skip(aw - s.size());
            const std::string_view shown = s.substr(0, aw);
            if (item.verbatim())
                rec.put_verbatim(shown);
            else
                rec.put(shown);
            return;
        }
        default:
            return;
    }
    if (len > w) {
        rec.put_fill(w, '*');
    } else {
        rec.skip(w - len);
        rec.put(std::string_view(buf, len));
    }
}

void output_statement(const Format& f, std::span<const Item> items, RecordSink& sink) {
    if (!items.empty() && f.data_count() == 0)
        throw std::invalid_argument("format without data descriptors: " + std::string(f.source()));
    OutRecord rec(rt().record_store);
    std::size_t next = 0;
    while (true) {
        for (const Descriptor& d : f.descriptors()) {
            switch (d.kind) {
                case DescKind::Literal:
                    rec.put(d.text);
                    break;
                case DescKind::Skip:
                    rec.skip(static_cast<std::size_t>(d.w));
                    break;
                case DescKind::Slash:
                    sink.end_record(rec);
                    rec.clear();
                    break;
                default:
                    if (next == items.size()) goto finish;
                    edit_item(rec, d, items[next++], f);
                    break;
            }
        }
        if (next == items.size()) break;
        // Items remain at the closing parenthesis: the format is used again.
        sink.end_record(rec);
        rec.clear();
    }
finish:
    sink.end_record(rec);
}

// ---------------------------------------------------------------------------
// Input records.

bool refill(Connection* c) {
    c->buf_offset += static_cast<off_t>(c->buf_len);
    c->buf_pos = c->buf_len = 0;
    if (c->fd < 0) return false;
    while (true) {
        const ssize_t k = ::read(c->fd, c->buf.data(), kBufferSize);
        if (k < 0 && errno == EINTR) continue;
        if (k <= 0) return false;
        c->buf_len = static_cast<std::size_t>(k);
        return true;
    }
}

// Reads the next record up to and including its LF; `rec` views at most
// `keep` characters of its usable text (which a CR or the LF ends): in the
// buffer itself when the whole record is there, else copied into `store`.
// The view lasts until the next read from the unit.  False when the file has
// no further byte.
bool next_record(Connection* c, std::string& store, std::size_t keep, std::string_view& rec) {
    if (c->buf_pos < c->buf_len) {
        const char* start = c->buf.data() + c->buf_pos;
        const std::size_t avail = c->buf_len - c->buf_pos;
        const auto* lf = static_cast<const char*>(std::memchr(start, '\n', avail));
        if (lf != nullptr) {
            const auto seg = static_cast<std::size_t>(lf - start);
            const std::size_t look = std::min(seg, keep);
            const auto* cr = static_cast<const char*>(std::memchr(start, '\r', look));
            rec = std::string_view(start, cr != nullptr ? static_cast<std::size_t>(cr - start) : look);
            c->buf_pos += seg + 1;
            return true;
        }
    }
    // The record continues beyond the buffer.
    store.clear();
    rec = {};
    bool any = false;
    bool text_done = false;
    while (true) {
        if (c->buf_pos == c->buf_len && !refill(c)) return any;  // a last line without LF
        any = true;
        const char* start = c->buf.data() + c->buf_pos;
        const std::size_t avail = c->buf_len - c->buf_pos;
        const auto* lf = static_cast<const char*>(std::memchr(start, '\n', avail));
        const std::size_t seg = lf != nullptr ? static_cast<std::size_t>(lf - start) : avail;
        if (!text_done) {
            const auto* cr = static_cast<const char*>(std::memchr(start, '\r', seg));
            const std::size_t usable = cr != nullptr ? static_cast<std::size_t>(cr - start) : seg;
            const std::size_t room = keep > store.size() ? keep - store.size() : 0;
            store.append(start, std::min(usable, room));
            if (cr != nullptr) text_done = true;
        }
        rec = store;
        c->buf_pos += seg;
        if (lf != nullptr) {
            ++c->buf_pos;
            return true;
        }
    }
}

Status to_status(InputStatus s) {
    if (s == InputStatus::Ok) return Status::Ok;
    if (s == InputStatus::EndOfFile) return Status::EndOfFile;
    return Status::BadField;
}

Status input_statement(Connection* c, const Format& f, std::span<const Dest> dests) {
    if (!dests.empty() && f.data_count() == 0)
        throw std::invalid_argument("format without data descriptors: " + std::string(f.source()));
    std::string& store = rt().input_record;
    std::string_view rec;
    const std::size_t keep = f.input_extent();
    if (!next_record(c, store, keep, rec)) return Status::EndOfFile;
    std::size_t col = 0;
    std::size_t next = 0;
    auto advance = [&](std::size_t n) { col = std::min(col + n, rec.size()); };
    while (true) {
        for (const Descriptor& d : f.descriptors()) {
            switch (d.kind) {
                case DescKind::Literal:
                    break;
                case DescKind::Skip:
                    advance(static_cast<std::size_t>(d.w));
                    break;
                case DescKind::Slash:
                    if (!next_record(c, store, keep, rec)) return Status::EndOfFile;
                    col = 0;
                    break;
                default: {
                    if (next == dests.size()) return Status::Ok;
                    const Dest& dest = dests[next++];
                    const auto w = static_cast<std::size_t>(d.w);
                    if (d.kind == DescKind::A || dest.kind() == Dest::Kind::Text) {
                        if (dest.kind() != Dest::Kind::Text)
                            throw std::invalid_argument("A field into a numeric destination");
                        const std::size_t len = dest.length();
                        const std::size_t aw = d.w == 0 ? len : w;
                        if (len == 1 && aw >= 1) {  // one character, as "(80A1)" reads a line
                            advance(aw - 1);
                            *dest.text() = col < rec.size() ? rec[col] : ' ';
                            advance(1);
                            break;
                        }
                        if (aw >= len) advance(aw - len);
                        const std::size_t take = std::min({aw, len, rec.size() - col});
                        std::memcpy(dest.text(), rec.data() + col, take);
                        std::memset(dest.text() + take, ' ', len - take);
                        advance(std::min(aw, len));
                        break;
                    }
                    // A numeric field: up to w characters, ended early by the
                    // end of the record or by a comma (which is consumed).
                    const std::size_t avail = std::min(w, rec.size() - col);
                    const char* start = rec.data() + col;
                    const auto* comma = static_cast<const char*>(std::memchr(start, ',', avail));
                    const std::size_t flen =
                        comma != nullptr ? static_cast<std::size_t>(comma - start) : avail;
                    const std::string_view field(start, flen);
                    advance(comma != nullptr ? flen + 1 : flen);
                    InputStatus s;
                    if (dest.kind() == Dest::Kind::Real) {
                        float v = 0.0f;
                        s = read_real(field, d.kind == DescKind::I ? 0 : d.d, v);
                        if (s == InputStatus::Ok) *dest.real() = v;
                    } else {
                        std::int32_t v = 0;
                        s = read_integer(field, v);
                        if (s == InputStatus::Ok) *dest.integer() = v;
                    }
                    if (s != InputStatus::Ok) return to_status(s);
                    break;
                }
            }
        }
        if (next == dests.size()) return Status::Ok;
        // Destinations remain at the closing parenthesis: next record, same format.
        if (!next_record(c, store, keep, rec)) return Status::EndOfFile;
        col = 0;
    }
}

// ---------------------------------------------------------------------------
// Implicit connection.

std::string ask_file_name(int unit) {
    Runtime& r = rt();
    std::string line;
    while (true) {
        std::string prompt;
        if (r.console_line_open) prompt += "\r\n";
        prompt += "File name missing or blank - please enter file name\r\nUNIT ";
        prompt += std::to_string(unit);
        prompt += "? ";
        r.console->write_out(prompt);
        r.console_line_open = true;
        r.console_used = true;
        if (!r.console->read_line(line))
            throw Fatal(RunTimeError::NoFileName, "no file name for unit " + std::to_string(unit) +
                                                  " - end of console input; nothing was written");
        r.console_line_open = false;  // the answer's Enter ended the line
        if (line.size() > kPromptLineMax) line.resize(kPromptLineMax);
        const std::string_view name = trim_blanks(line);
        if (!name.empty()) return std::string(name);
    }
}

// The next command-line argument that has not yet served as a file name,
// else a name asked for at the prompt.
std::string next_file_name(int unit) {
    Runtime& r = rt();
    while (r.next_arg < r.args.size()) {
        std::string name(trim_blanks(r.args[r.next_arg++]));
        if (!name.empty()) return name;
    }
    return ask_file_name(unit);
}

// One console line, in the manner of the prompt, for a name that is taken.
void say_kept(const std::string& name) {
    Runtime& r = rt();
    // The name is the user's own bytes: never converted for a terminal.
    r.console->write_out(r.console_line_open ? "\r\nFile " : "File ");
    r.console->write_out_verbatim(name);
    r.console->write_out(" already exists and was kept\r\n");
    // The line is ended: nothing is left for the end of the run to close.
    r.console_line_open = false;
    r.console_used = false;
}

// The implicit connection makes a new file for a report that has nowhere else
// to go: a user who names an existing file (most likely the one he wanted the
// program to read) must not lose it to a blank form.  Anything at all under
// that name, a dangling symbolic link included, is kept.
Connection* connect_implicitly(int unit) {
    std::string name = next_file_name(unit);
    struct stat st{};
    while (::lstat(name.c_str(), &st) == 0) {
        say_kept(name);
        name = next_file_name(unit);
    }

    auto c = std::make_unique<Connection>();
    c->unit = unit;
    c->name = name;
    c->exists = false;  // created when the report is complete
    Runtime& r = rt();
    Connection* raw = c.get();
    r.units.push_back(std::move(c));
    return raw;
}

}  // namespace

// ---------------------------------------------------------------------------
// Public operations.

Status open_old(int unit, std::string_view raw_name) {
    std::string name(trim_blanks(raw_name));
    if (name.empty()) {
        try {
            name = ask_file_name(unit);
        } catch (const Fatal&) {
            return Status::OpenFailed;
        }
    }
    if (Connection* c = find_unit(unit)) {
        if (c->name == name) return Status::Ok;
        close_unit(unit);
    }
    // Read and write, else read only, else write only.  O_NONBLOCK keeps a
    // FIFO from blocking the open; it is cleared at once.
    static constexpr int kModes[] = {O_RDWR, O_RDONLY, O_WRONLY};
    static constexpr Access kAccess[] = {Access::ReadWrite, Access::ReadOnly, Access::WriteOnly};
    for (int k = 0; k < 3; ++k) {
        const int fd = ::open(name.c_str(), kModes[k] | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) {
            if (errno == EISDIR) return Status::OpenFailed;
            continue;
        }
        struct stat st{};
        if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
            ::close(fd);
            return Status::OpenFailed;
        }
        ::fcntl(fd, F_SETFL, 0);
        auto c = std::make_unique<Connection>();
        c->unit = unit;
        c->name = name;
        c->fd = fd;
        c->access = kAccess[k];
        rt().units.push_back(std::move(c));
        return Status::Ok;
    }
    return Status::OpenFailed;
}

void close_unit(int unit) {
    Connection* c = find_unit(unit);
    if (c == nullptr) return;
    if (c->write_mode) finish_write(c);
    if (c->fd >= 0) ::close(c->fd);
    release_signals(c);
    remove_unit(c);
}

Status read_fields(int unit, const Format& format, std::span<const Dest> dests) {
    Connection* c = find_unit(unit);
    if (c == nullptr) return Status::NotConnected;
    if (c->write_mode) return Status::EndOfFile;  // a report being written has no further record
    return input_statement(c, format, dests);
}

Status read_fields(int unit, const Format& format, std::initializer_list<Dest> dests) {
    return read_fields(unit, format, std::span<const Dest>(dests.begin(), dests.size()));
}

Status read_fields(int unit, std::string_view format, std::initializer_list<Dest> dests) {
    return read_fields(unit, cached_format(format), std::span<const Dest>(dests.begin(), dests.size()));
}

Status read_fields(int unit, std::string_view format, std::span<const Dest> dests) {
    return read_fields(unit, cached_format(format), dests);
}

void write_line(int unit, const Format& format, std::span<const Item> items) {
    if (unit == kConsoleUnit) {
        ConsoleSink sink;
        output_statement(format, items, sink);
        return;
    }
    Connection* c = find_unit(unit);
    if (c == nullptr) c = connect_implicitly(unit);
    if (!c->write_mode) begin_write(c);
    FileSink sink(c);
    output_statement(format, items, sink);
}

void write_line(int unit, const Format& format, std::initializer_list<Item> items) {
    write_line(unit, format, std::span<const Item>(items.begin(), items.size()));
}

void write_line(int unit, std::string_view format, std::initializer_list<Item> items) {
    write_line(unit, cached_format(format), std::span<const Item>(items.begin(), items.size()));
}

void write_line(int unit, std::string_view format, std::span<const Item> items) {
    write_line(unit, cached_format(format), items);
}

void write_console(std::span<const Item> items) {
    std::string& text = rt().record;
    std::vector<ByteRange>& verbatim = rt().record_verbatim;
    text.assign(1, ' ');
    verbatim.clear();
    bool after_value = false;
    for (const Item& item : items) {
        char buf[64];
        std::size_t len = 0;
        switch (item.kind()) {
            case Item::Kind::Text:
                if (item.verbatim()) verbatim.push_back({text.size(), text.size() + item.text().size()});
                text.append(item.text());
                after_value = false;
                continue;
            case Item::Kind::Real:
                len = edit_list_real(item.real(), buf);
                break;
            case Item::Kind::Integer:
                len = edit_i(item.integer(), buf);
                break;
        }
        if (after_value) text.push_back(' ');
        const auto width = static_cast<std::size_t>(kListRealWidth);
        if (len < width) text.append(width - len, ' ');
        text.append(buf, len);
        after_value = true;
    }
    emit_console_record(text, verbatim);
    text.clear();
}

void write_console(std::initializer_list<Item> items) {
    write_console(std::span<const Item>(items.begin(), items.size()));
}

void begin_run(std::vector<std::string> args, ConsoleDevice* console) {
    // Also the console may be a file (output sent to one): past the size
    // limit a message is lost, as on a closed console, and the run goes on.
    ignore_file_size_signal();
    Runtime& r = rt();
    while (!r.units.empty()) discard(r.units.back().get());
    r.args = std::move(args);
    r.next_arg = 0;
    if (console == nullptr) r.standard_console.choose_encoding();
    r.console = console != nullptr ? console : &r.standard_console;
    r.console_records = 0;
    r.console_line_open = false;
    r.console_used = false;
}

void end_run() {
    Runtime& r = rt();
    while (!r.units.empty()) close_unit(r.units.front()->unit);
    // After the last console output of the run one CR LF ends its line.
    if (r.console_used) {
        r.console->write_out("\r\n");
        r.console_used = r.console_line_open = false;
    }
}

void abort_run(const Fatal& failure) {
    Runtime& r = rt();
    while (!r.units.empty()) discard(r.units.back().get());
    // The diagnostic starts on a new line.
    if (r.console_used) {
        r.console->write_out("\r\n");
        r.console_used = r.console_line_open = false;
    }
    // ASCII and the name of a file as the user gave it: never converted.
    r.console->write_err_verbatim(std::string(failure.what()) + "\n");
}

bool utf8_locale(const char* lc_all, const char* lc_ctype, const char* lang) {
    std::string_view name;
    for (const char* value : {lc_all, lc_ctype, lang}) {
        if (value != nullptr && *value != '\0') {
            name = value;
            break;
        }
    }
    const std::size_t dot = name.find('.');
    if (dot == std::string_view::npos) return false;
    std::string_view codeset = name.substr(dot + 1);
    codeset = codeset.substr(0, codeset.find('@'));
    auto same = [codeset](std::string_view want) {
        return codeset.size() == want.size() &&
               std::equal(codeset.begin(), codeset.end(), want.begin(), [](char a, char b) {
                   return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
               });
    };
    return same("utf-8") || same("utf8");
}

int run_with(std::vector<std::string> args, ConsoleDevice* console, int (*body)()) {
    begin_run(std::move(args), console);
    try {
        const int code = body();
        end_run();
        return code;
    } catch (const Fatal& failure) {
        abort_run(failure);
        return failure.exit_code;
    }
}

int run_main(int argc, char** argv, int (*body)()) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return run_with(std::move(args), nullptr, body);
}

}  // namespace fixrec
