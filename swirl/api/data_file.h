// A data file as every front end takes it, from a path or from bytes: its
// program, the inputs its input section holds (read with the program's own
// rules), or where and why the reading stops, and what a hand edit did to it
// (checks.h).  Opening prints nothing; what to tell is the caller's.
//
//   const swirl::DataFile file = swirl::open_data_file("tank7.dat");
//   for (const swirl::Finding& f : file.findings) warn(f.message);
//   const std::vector<swirl::Value>& inputs = file.inputs();  // Failure, exit 2, when it does not read
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "swirl/api/failure.h"
#include "swirl/model/checks.h"
#include "swirl/model/model.h"

namespace swirl {

// Why the reading of an input section stops.
enum class ReadReason {
    NotANumber,             // a real field of another form
    NotAWholeNumber,        // an integer field with other characters, or too wide a number
    BeyondSinglePrecision,  // a real field whose value lies above the largest single-precision value
    EndOfFileMark,          // a Ctrl-Z in the field
    EndOfFile,              // the file ends before the line
};

// Where and why the reading stops.
struct ReadError {
    int line = 0;               // 1-based
    std::string field;          // the input's name; empty for a header or label line
    int first_column = 0, last_column = 0;  // 1-based, inclusive (1-80 for a text line)
    std::string found;          // the bytes there (code page 866); empty past the end of the file
    ReadReason reason = ReadReason::NotANumber;
    std::string message;        // one line of UTF-8 (describe()): "line 9, column 39: R1 (columns 39-50) ..."
    calculators::ReadFailure where;  // as the program's reader gives it
};

class DataFile {
public:
    std::string path;                 // as given: named in messages, and it may tell the program
    std::string bytes;                // the whole file
    const Calculator* calc = nullptr;
    std::vector<Finding> findings;    // check_data_file, in its order
    std::vector<Value> values;        // the inputs as the fields hold them, when it reads
    std::optional<ReadError> error;   // set when the input section does not read

    bool reads() const { return !error; }
    // `values`; when the input section does not read, unreadable() is thrown.
    const std::vector<Value>& inputs() const;
    // Exit 2: "PATH: the input section of BILM does not read: " + the
    // error's message and the notes of failure_notes.
    Failure unreadable() const;
};

// Opens the data file at `path`.  Failure with exit 2 "cannot open PATH: why"
// or "cannot read PATH: why"; a UsageError when its program cannot be told
// (detect_program: the program named, the file's base name, the banner).
DataFile open_data_file(const std::string& path, const std::optional<std::string>& program = std::nullopt);

// The same for bytes already in hand (an upload, a file read by the caller);
// `path` names it in messages and may tell its program.
DataFile data_file_from_bytes(std::string bytes, const std::string& path,
                              const std::optional<std::string>& program = std::nullopt);

// The whole content of `path` into `bytes`: 0, or the errno of the failure
// (a directory opens but ends with EISDIR at the first read).
int read_whole_file(const std::string& path, std::string& bytes);

// The bytes at `path`; Failure with exit 2 when they cannot be read.
std::string read_data_file(const std::string& path);

// The reason of a failure as the program's reader gives it.
ReadReason read_reason(const Calculator& calc, const calculators::ReadFailure& failure);

}  // namespace swirl
