// The unit table: connections of units to files and to memory, open_old,
// close_unit, and the implicit connection.
//
// The implicit connection only ever makes a new file: a name that is already
// taken is kept as it is, and the next name is asked for.
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "fixrec/fixrec.h"
#include "fixrec/posix.h"
#include "runtime.h"

namespace fixrec::detail {

namespace {

// Constant-initialized: the table lies in zero pages, and a run pays nothing
// for it at start-up.  Clang 14 cannot evaluate libstdc++ 12's std::string
// constructor at compile time, so there the table is initialized at start-up.
#if defined(__clang__)
Runtime g_runtime;
#else
constinit Runtime g_runtime;
#endif

}  // namespace

Runtime& runtime() { return g_runtime; }

namespace {

Connection* slot_of(int unit) {
    for (Connection& c : g_runtime.units)
        if (c.unit == unit) return &c;
    return nullptr;
}

}  // namespace

Connection* find_unit(int unit) { return unit == kNoUnit ? nullptr : slot_of(unit); }

Connection* claim_slot(int unit) {
    Connection* c = unit == kNoUnit ? nullptr : slot_of(kNoUnit);
    if (c == nullptr) return nullptr;
    c->unit = unit;
    c->serial = g_runtime.next_serial++;
    c->medium = Medium::File;
    c->access = Access::ReadWrite;
    c->name.clear();
    c->fd = -1;
    c->window = c->buf;
    c->window_len = c->pos = 0;
    c->window_offset = 0;
    c->write_mode = false;
    c->out_len = 0;
    c->memory_out = nullptr;
    c->report.target = nullptr;
    return c;
}

void disconnect(Connection& c) noexcept {
    if (c.fd >= 0) posix::close(c.fd);
    c.fd = -1;
    release_signals(c.report);
    c.report.target = nullptr;
    c.write_mode = false;
    c.unit = kNoUnit;
}

void discard_unit(Connection& c) noexcept {
    discard_report(c);
    disconnect(c);
}

std::string describe(const Connection& c) {
    std::string where = c.unit == kNoUnit ? std::string() : "unit " + std::to_string(c.unit) + ", ";
    if (c.medium == Medium::MemoryInput || c.medium == Medium::MemoryOutput) return where + "memory";
    return where + "file " + std::string(c.name.view());
}

namespace {

// The next command-line argument that has not yet served as a file name,
// else a name asked for at the prompt.
std::string next_file_name(int unit) {
    Runtime& r = g_runtime;
    while (r.next_arg < r.args.size()) {
        std::string name(trim_blanks(r.args[r.next_arg++]));
        if (!name.empty()) return name;
    }
    return ask_file_name(unit);
}

// Connects `unit` anew; closes a connection to something else first.
Connection* fresh_slot(int unit) {
    if (find_unit(unit) != nullptr) close_unit(unit);
    return claim_slot(unit);
}

}  // namespace

// The implicit connection makes a new file for a report that has nowhere else
// to go: a user who names an existing file (most likely the one he wanted the
// program to read) must not lose it to a blank form.  Anything at all under
// that name, a dangling symbolic link included, is kept.
Connection& connect_implicitly(int unit) {
    std::string name = next_file_name(unit);
    struct stat st{};
    while (posix::lstat(name.c_str(), st) == 0) {
        say_name_kept(name);
        name = next_file_name(unit);
    }
    Connection* c = claim_slot(unit);
    if (c == nullptr)
        throw Fatal(RunTimeError::TooManyUnits,
                    "WRITE on unit " + std::to_string(unit) + ", file " + name + " - " +
                        std::to_string(kMaxUnits) + " units are connected already");
    if (!c->name.assign(name)) {
        disconnect(*c);
        throw Fatal(RunTimeError::ReportNotStarted, "WRITE on unit " + std::to_string(unit) +
                                                        ", file " + name + " - " +
                                                        posix::error_text(ENAMETOOLONG));
    }
    c->medium = Medium::NewFile;  // created when the report is complete
    return *c;
}

}  // namespace fixrec::detail

namespace fixrec {

using namespace detail;

Status open_old(int unit, std::string_view raw_name) {
    std::string_view name = trim_blanks(raw_name);
    std::string asked;
    if (name.empty()) {
        try {
            asked = ask_file_name(unit);
        } catch (const Fatal&) {
            return Status::OpenFailed;
        }
        name = asked;
    }
    if (Connection* c = find_unit(unit)) {
        const bool file = c->medium == Medium::File || c->medium == Medium::NewFile;
        if (file && c->name.view() == name) return Status::Ok;
        close_unit(unit);
    }
    Connection* c = claim_slot(unit);
    if (c == nullptr) return Status::OpenFailed;
    if (!c->name.assign(name)) {  // too long for any file
        disconnect(*c);
        return Status::OpenFailed;
    }
    // Read and write, else read only, else write only.  O_NONBLOCK keeps a
    // FIFO from blocking the open; it is cleared at once.
    static constexpr int kModes[] = {O_RDWR, O_RDONLY, O_WRONLY};
    static constexpr Access kAccess[] = {Access::ReadWrite, Access::ReadOnly, Access::WriteOnly};
    for (int k = 0; k < 3; ++k) {
        const int fd = posix::open(c->name.c_str(), kModes[k] | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) {
            if (errno == EISDIR) break;
            continue;
        }
        struct stat st{};
        if (posix::fstat(fd, st) != 0 || S_ISDIR(st.st_mode)) {
            posix::close(fd);
            break;
        }
        posix::set_blocking(fd);
        c->fd = fd;
        c->access = kAccess[k];
        return Status::Ok;
    }
    disconnect(*c);
    return Status::OpenFailed;
}

Status open_memory(int unit, std::string_view bytes) {
    Connection* c = fresh_slot(unit);
    if (c == nullptr) return Status::OpenFailed;
    c->medium = Medium::MemoryInput;
    c->access = Access::ReadOnly;
    c->window = bytes.data();
    c->window_len = bytes.size();
    return Status::Ok;
}

Status open_memory_output(int unit, std::string& report) {
    Connection* c = fresh_slot(unit);
    if (c == nullptr) return Status::OpenFailed;
    c->medium = Medium::MemoryOutput;
    c->access = Access::WriteOnly;
    c->memory_out = &report;
    return Status::Ok;
}

void close_unit(int unit) {
    Connection* c = find_unit(unit);
    if (c == nullptr) return;
    if (c->write_mode) finish_report(*c);
    disconnect(*c);
}

}  // namespace fixrec
