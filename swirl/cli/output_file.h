// Where a study writes its table or picture: a file that appears whole or not
// at all, or standard output.
//
// A regular file (new, or existing) is written under a temporary name in its
// own directory and renamed over the name by commit(), so that a reader
// never sees half a table and a failed run leaves the old file as it was.
// The new file gets the permissions that the umask leaves of rw-rw-rw-; an
// existing one keeps its own.  A name that is a link is followed: its target
// is replaced.  A name that exists and is not a regular file (/dev/null, a
// pipe, a terminal) is written directly.  A temporary file is removed when
// the object goes without commit(), and on SIGINT, SIGTERM or SIGHUP.
//
// Failures throw CommandFailure with exit code 1 naming the file and why.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace swirl {

class OutputFile {
public:
    // `path` empty or "-": standard output.
    explicit OutputFile(const std::string& path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void write(std::string_view bytes);
    void commit();

private:
    std::string name_;  // for messages
    std::string target_;
    std::string temporary_;  // empty when writing directly
    int fd_ = -1;
    bool own_fd_ = false;
};

// Whether an output named `path` ("" or "-": standard output) is the file
// `input` by any spelling (./x, a link, ../dir/x): a study never writes over
// what it reads.
bool is_same_file(const std::string& input, const std::string& path);

}  // namespace swirl
