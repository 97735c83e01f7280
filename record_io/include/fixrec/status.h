// Outcomes of record I/O: the status of an opening or an input statement, and
// the unrecoverable failure of an output statement.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>

namespace fixrec {

// Status of open_old, open_memory and read_fields.  A program compares it
// with these names; nothing is printed for any of them.
enum class Status : std::uint8_t {
    Ok = 0,
    OpenFailed = 1,    // no such file, a directory, no permission, no free unit
    EndOfFile = 2,     // no further record (a Ctrl-Z in a numeric field counts too)
    BadField = 3,      // a numeric field that is not a number, or an integer beyond 32 bits
    NotConnected = 4,  // an input statement on a unit that is not connected
    RealOverflow = 5,  // a real field whose magnitude exceeds the largest single-precision value
};

// The numbers of the "run-time error" diagnostics.  Each names the step that
// failed; the message after the number says on which unit and file, and why.
enum class RunTimeError : int {
    ReportNotStarted = 2001,  // the first output statement cannot start the report
    WriteFailed = 2002,       // a write of the report failed
    CloseFailed = 2003,       // the report cannot be completed, or its new name was taken
    NoFileName = 2004,        // the prompt for a file name met the end of the console input
    TooManyUnits = 2005,      // no free unit for the implicit connection
};

// An output statement, a closing or the implicit connection that cannot be
// completed.  The unit's pending report has been discarded and the data file
// keeps its old content when this is thrown.  what() is the whole diagnostic:
// "run-time error <number>: <detail>".
class Fatal : public std::runtime_error {
public:
    Fatal(RunTimeError error, const std::string& detail, int code = 1)
        : std::runtime_error("run-time error " + std::to_string(static_cast<int>(error)) + ": " +
                             detail),
          exit_code(code),
          error_(error) {}

    RunTimeError error() const { return error_; }

    // The exit code of the run; a program may change it before rethrowing.
    int exit_code;

private:
    RunTimeError error_;
};

}  // namespace fixrec
