// Where a study writes its table or picture: a file replaced whole or not at
// all (fixrec::ReplacementFile, the rules every file of the suite is written
// by), or standard output.
//
// Failures throw CommandFailure with exit code 1: "cannot write NAME: why".
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "fixrec/replacement_file.h"

namespace swirl {

class OutputFile {
public:
    // `path` empty or "-": standard output.
    explicit OutputFile(const std::string& path);

    void write(std::string_view bytes);
    // The file takes the bytes written; without commit() it stays as it was.
    void commit();

private:
    std::string name_;  // for messages
    std::unique_ptr<fixrec::ReplacementFile> file_;  // null: standard output
};

// Whether an output named `path` ("" or "-": standard output) is the file
// `input` by any spelling (./x, a link, ../dir/x): a study never writes over
// what it reads.
bool is_same_file(const std::string& input, const std::string& path);

}  // namespace swirl
