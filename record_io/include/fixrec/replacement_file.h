// A file replaced whole or not at all, written as a stream: the one way every
// program and tool of the suite writes a file (a report through its unit, a
// data file edited by a tool, a table or a picture).
//
//   ReplacementFile out(path);   // the replacement starts
//   out.write(bytes);            // ... as often as needed
//   out.commit();                // the bytes become the file's content
//
// An object destroyed without commit() discards the replacement: the file is
// as it was and no scratch file stays behind.  The rules, the same as for a
// report replacing its data file:
//
// - A regular file is written under a scratch name ".NAME.XXXXXX" in its own
//   directory and renamed onto its name at commit; a file with several hard
//   links, or in a directory where no scratch file can be made, is rewritten
//   in place at commit with its old content put back on failure.
// - A symbolic link is followed (realpath): the file it points to is
//   replaced and the link stays a link.  A link to nothing is kept.
// - The permission bits are kept, and the owner when run as root; a new file
//   gets 0666 less the umask.  A missing file is created at commit and never
//   takes its name from a file that appeared meanwhile.
// - A file that is not a regular file (a pipe, a terminal, /dev/null) has no
//   old content to keep whole: it is opened for writing only and the bytes
//   go to it as they come.
// - From the start to commit or discard, SIGINT, SIGTERM and SIGHUP are
//   blocked (for a regular file): they take their effect once the file is
//   whole again.  So that a long stream stays interruptible, a write() that
//   finds one pending discards the replacement first; the signal then ends
//   the process as it would have.  Writes beyond the file-size limit fail
//   with EFBIG instead of SIGXFSZ ending the process.
// - No fsync.  The rename keeps the file whole against every failure a run
//   can meet (a full disk, a size limit, permissions, an interrupt, the
//   process killed); only a crash of the whole system needs the data on the
//   disk, and then the file systems in use (ext4, XFS, btrfs) write a file's
//   data before a rename that replaces another file, so the old content or
//   the new survives.  A new file may come back empty after such a crash,
//   with nothing lost that existed before; and every file the suite writes
//   is one run of a program or a tool away.  A flush per file would cost a
//   disk round trip for each report and each shard of a sweep, and the
//   reports of the programs have never had it.
//
// Failures throw ReplacementError (a Fatal: "run-time error <n>: <STATEMENT>
// on file NAME - <reason>") after the replacement has been discarded.  Not
// for concurrent use; the system calls go through fixrec/posix.h, whose
// fault plan reaches them.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "fixrec/status.h"

namespace fixrec {

namespace detail {
struct Connection;
}

// A failed replacement; reason() is the why alone ("No space left on device",
// "a file of that name appeared meanwhile and was kept").
class ReplacementError : public Fatal {
public:
    ReplacementError(RunTimeError error, const std::string& detail, std::string reason)
        : Fatal(error, detail), reason_(std::move(reason)) {}
    const std::string& reason() const { return reason_; }

private:
    std::string reason_;
};

class ReplacementFile {
public:
    explicit ReplacementFile(std::string_view path);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // The next bytes of the new content.
    void write(std::string_view bytes);
    // The new content becomes the file's; nothing may be written after.
    void commit();
    // Drops the new content; never throws.  Done by the destructor.
    void discard() noexcept;

private:
    std::unique_ptr<detail::Connection> c_;
};

// The whole new content at once: ReplacementFile, write, commit.
void replace_file(std::string_view path, std::string_view bytes);

}  // namespace fixrec
