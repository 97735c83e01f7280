// Report-file replacement: how a report takes the place of the old content.
//
// The first output statement on a unit chooses, once, where its records go
// until the report is complete (a ReportTarget), and every later step goes
// through the same three operations:
//
//   write    the next bytes of the report (a full 1024-byte buffer)
//   commit   at close_unit: the report becomes the file's content
//   discard  after a failure: the file is as it was before the report
//
// The two strategies for files:
//
//   ScratchFile  rename into place.  The records go into a scratch file
//                ".NAME.XXXXXX" beside the data file (what lies before the
//                cut copied over first), which takes the data file's name by
//                rename() at commit; a new file of the implicit connection is
//                created there without replacing anything (RENAME_NOREPLACE,
//                or link() and unlink()).  Readers and a run stopped midway
//                see either the old content or the whole report.
//   InPlace      the file itself is rewritten at commit, for a file that is
//                not a regular file, has several hard links (all its names
//                must see the report), or lies in a directory where no
//                scratch file can be made.  The old content and the report
//                are held in memory (the one heap allocation of a run); the
//                file-size limit and posix_fallocate are checked before the
//                first byte changes, and the old content is written back if
//                the rewrite fails all the same.  A FIFO or a device gets
//                the bytes as they come.
//
// A memory unit (open_memory_output) has a third target, MemoryReport: the
// caller's string, cut back to its old length on discard.
//
// A failure throws ReplacementError (a Fatal) after the unit has been
// discarded and disconnected.  ReplacementFile (fixrec/replacement_file.h)
// is the same steps on a connection outside the unit table.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

#include "fixrec/status.h"
#include "path_name.h"

namespace fixrec::detail {

struct Connection;

class ReportTarget {
public:
    virtual void write(Connection& c, std::string_view bytes) = 0;
    virtual void commit(Connection& c) = 0;
    virtual void discard(Connection& c) noexcept = 0;

protected:
    ReportTarget() = default;
    ~ReportTarget() = default;
};

class ScratchFile final : public ReportTarget {
public:
    // Creates the scratch file beside `target` (made into it at commit);
    // 0 or the error number of its creation.
    int create(std::string_view target, bool new_name);
    void write(Connection& c, std::string_view bytes) override;
    void commit(Connection& c) override;
    void discard(Connection& c) noexcept override;
    int fd() const { return fd_; }

private:
    void take_new_name(Connection& c);

    int fd_ = -1;
    bool new_name_ = false;  // the target must not exist at commit
    PathName temp_;
    PathName target_;
};

class InPlace final : public ReportTarget {
public:
    // Keeps the old content of a regular file; 0 or an error number.
    int start(Connection& c, off_t cut, bool regular);
    void write(Connection& c, std::string_view bytes) override;
    void commit(Connection& c) override;
    void discard(Connection& c) noexcept override;

private:
    std::string snapshot_;  // the old content, for the rollback
    std::string held_;      // the report, until commit
    off_t cut_ = 0;
    bool regular_ = true;
    bool modified_ = false;  // the file has been changed
};

class MemoryReport final : public ReportTarget {
public:
    void start(std::string* out) {
        out_ = out;
        start_ = out->size();
    }
    void write(Connection&, std::string_view bytes) override { out_->append(bytes); }
    void commit(Connection&) override {}
    void discard(Connection&) noexcept override { out_->resize(start_); }

private:
    std::string* out_ = nullptr;
    std::size_t start_ = 0;
};

// The strategies a unit may use, and the one its report uses.
struct Report {
    ReportTarget* target = nullptr;  // chosen at the first output statement
    ScratchFile scratch;
    InPlace in_place;
    MemoryReport memory;
    bool signals_held = false;  // this report keeps the interrupts blocked
};

// The first output statement after a connection: cuts the file at the
// current position (virtually, until commit) and chooses the strategy.
void begin_report(Connection& c);
// Passes the bytes of the unit's buffer on to its report.
void flush_report(Connection& c);
// close_unit of a unit in write mode: the rest of the buffer, then commit.
void finish_report(Connection& c);
// Drops the report; never throws.
void discard_report(Connection& c) noexcept;

// Discards and disconnects the unit, then throws Fatal: "<statement> on unit
// N, file NAME - <why>".
[[noreturn]] void fail(Connection& c, RunTimeError error, const char* statement,
                       std::string_view why);

// A write past the file-size limit fails with EFBIG instead of raising
// SIGXFSZ, whose default action ends the process without a word.  Done when
// a run begins and again before a report is written; a handler the program
// installed itself is left alone.
void ignore_file_size_signal();

// From the first output statement until commit or discard, SIGINT, SIGTERM
// and SIGHUP are blocked (for a regular file): an interrupt then takes its
// normal effect only once the file is whole again.
void hold_signals(Report& r);
void release_signals(Report& r);
// Whether `r` holds an interrupt that its release will let take effect.
bool interrupt_pending(const Report& r);

}  // namespace fixrec::detail
