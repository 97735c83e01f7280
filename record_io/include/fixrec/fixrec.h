// FIXREC: fixed-column record I/O for the data files of the calculators.
//
// A calculator names its data file by a unit number, reads its input section
// with formatted input statements, and writes its report back into the same
// file with formatted output statements.  The record layout is the one of
// Fortran-style formats: "(38X,E12.5)" reads columns 39-50 of a line,
// "(2X,'LABEL',E12.5,'(м)')" writes a labelled value line.  Texts are code page
// 866 bytes; records in files end with CR LF.
//
// Failures of opening and reading come back as statuses.  A failure while
// writing the report cannot be recovered: the statement throws fixrec::Fatal,
// which run_main() turns into a "run-time error" diagnostic and exit code 1.
// The report replaces the data file as a whole or not at all, also when the
// file-size limit is reached or an interrupt arrives while it is written.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fixrec/cp866.h"
#include "fixrec/format.h"
#include "fixrec/status.h"

namespace fixrec {

// ---------------------------------------------------------------------------
// Items of output statements and destinations of input statements.

// Text bytes that are not the program's own code page 866 text: a file name
// as the user passed or typed it, in the user's own encoding.  A console that
// shows code page 866 text converted (a UTF-8 terminal) passes these bytes on
// as they are.  In a file they are written like any other text.
struct Verbatim {
    std::string_view bytes;
};

class Item {
public:
    enum class Kind : std::uint8_t { Real, Integer, Text };

    Item(float v) : kind_(Kind::Real), real_(v) {}                 // NOLINT(runtime/explicit)
    Item(std::int32_t v) : kind_(Kind::Integer), integer_(v) {}   // NOLINT(runtime/explicit)
    Item(std::string_view s) : kind_(Kind::Text), text_(s) {}     // NOLINT(runtime/explicit)
    Item(const char* s) : kind_(Kind::Text), text_(s) {}          // NOLINT(runtime/explicit)
    Item(const std::string& s) : kind_(Kind::Text), text_(s) {}   // NOLINT(runtime/explicit)
    Item(Verbatim v) : kind_(Kind::Text), verbatim_(true), text_(v.bytes) {}  // NOLINT
    // Every real of the suite is single precision: a double item is a mistake.
    Item(double) = delete;

    Kind kind() const { return kind_; }
    float real() const { return real_; }
    std::int32_t integer() const { return integer_; }
    std::string_view text() const { return text_; }
    // A text item made from Verbatim.
    bool verbatim() const { return verbatim_; }

private:
    Kind kind_;
    bool verbatim_ = false;
    float real_ = 0.0f;
    std::int32_t integer_ = 0;
    std::string_view text_;
};

class Dest {
public:
    enum class Kind : std::uint8_t { Real, Integer, Text };

    Dest(float& v) : kind_(Kind::Real), real_(&v) {}                // NOLINT(runtime/explicit)
    Dest(std::int32_t& v) : kind_(Kind::Integer), integer_(&v) {}   // NOLINT(runtime/explicit)
    Dest(char& c) : kind_(Kind::Text), text_(&c), len_(1) {}        // NOLINT(runtime/explicit)
    Dest(std::span<char> s) : kind_(Kind::Text), text_(s.data()), len_(s.size()) {}  // NOLINT

    Kind kind() const { return kind_; }
    float* real() const { return real_; }
    std::int32_t* integer() const { return integer_; }
    char* text() const { return text_; }
    std::size_t length() const { return len_; }

private:
    Kind kind_;
    float* real_ = nullptr;
    std::int32_t* integer_ = nullptr;
    char* text_ = nullptr;
    std::size_t len_ = 0;
};

// One destination per character of `chars`, for formats such as "(80A1)".
template <std::size_t N>
std::vector<Dest> each_char(char (&chars)[N]) {
    std::vector<Dest> out;
    out.reserve(N);
    for (auto& c : chars) out.emplace_back(c);
    return out;
}

// ---------------------------------------------------------------------------
// Units.

constexpr int kConsoleUnit = -1;  // the unit written `*` in the programs

// Connects `unit` to the existing file `name` (leading and trailing blanks are
// not part of it).  Tries read-write, then read only, then write only; never
// creates the file and never prints anything.
[[nodiscard]] Status open_old(int unit, std::string_view name);

// Disconnects `unit`, writing any report still in its buffer.  Closing a unit
// that is not connected does nothing.
void close_unit(int unit);

// One formatted input statement: reads the next record of `unit` into `dests`.
[[nodiscard]] Status read_fields(int unit, const Format& format, std::span<const Dest> dests);
[[nodiscard]] Status read_fields(int unit, const Format& format, std::initializer_list<Dest> dests);
[[nodiscard]] Status read_fields(int unit, std::string_view format, std::initializer_list<Dest> dests);
[[nodiscard]] Status read_fields(int unit, std::string_view format, std::span<const Dest> dests);

// One formatted output statement on `unit`.  The first output statement after
// a connection cuts the file at the current position.  `unit` may be
// kConsoleUnit for a formatted console statement.
void write_line(int unit, const Format& format, std::span<const Item> items);
void write_line(int unit, const Format& format, std::initializer_list<Item> items = {});
void write_line(int unit, std::string_view format, std::initializer_list<Item> items = {});
void write_line(int unit, std::string_view format, std::span<const Item> items);

// One list-directed output statement on the console.
void write_console(std::initializer_list<Item> items);
void write_console(std::span<const Item> items);

// ---------------------------------------------------------------------------
// The run: console, command line, and the end of the run.

// Where the console goes.  The default writes to the standard streams and
// reads the keyboard from standard input; tests and in-process runs install
// their own.
//
// write_out and write_err receive the program's own texts: code page 866
// bytes, with carriage control already turned into CR, LF and form feed.  The
// standard console shows them converted to UTF-8 on a stream that is a
// terminal when the locale's character set is UTF-8 (see utf8_locale), and
// passes them on unchanged otherwise (pipes and files keep code page 866).
// The *_verbatim methods receive bytes that must never be converted: file
// names in the user's own encoding and the "run-time error" diagnostics.  By
// default they go where write_out and write_err send their bytes, so a
// console that only collects bytes needs neither.
class ConsoleDevice {
public:
    virtual ~ConsoleDevice() = default;
    virtual void write_out(std::string_view bytes) = 0;
    virtual void write_err(std::string_view bytes) = 0;
    virtual void write_out_verbatim(std::string_view bytes) { write_out(bytes); }
    virtual void write_err_verbatim(std::string_view bytes) { write_err(bytes); }
    // Reads one line of the keyboard without its line end; false at the end
    // of the input.  The line is taken as typed: no conversion.
    virtual bool read_line(std::string& line) = 0;
};

// Whether the locale that the C library takes for LC_CTYPE from the
// environment (the first non-empty of LC_ALL, LC_CTYPE and LANG) has the
// codeset UTF-8: the part of its name after '.' and before any '@' is
// "UTF-8" or "utf8" in any case.  Null pointers count as unset.
bool utf8_locale(const char* lc_all, const char* lc_ctype, const char* lang);

// Starts a run: every unit disconnected, the console fresh, `args` the
// command-line arguments after the program name.  `console` (not owned) may
// be null for the standard streams, whose encoding is chosen here: each
// stream is checked for a terminal once per run.
void begin_run(std::vector<std::string> args, ConsoleDevice* console = nullptr);

// Ends a run normally: closes every connected unit and ends the console line.
// A failure while closing throws Fatal.
void end_run();

// Ends a run after a Fatal: drops every pending report without touching the
// data files, writes the diagnostic, ends the console line.
void abort_run(const Fatal& failure);

// The whole life of a program: begin_run, body, end_run; a Fatal anywhere
// becomes its diagnostic and exit code.  Returns the exit code.
int run_main(int argc, char** argv, int (*body)());

// Same, with explicit arguments and console (for in-process runs).
int run_with(std::vector<std::string> args, ConsoleDevice* console, int (*body)());

// The last step of a calculator run: connects `unit` to the data file `name`
// again, writes the report with `write_report()` and closes the unit.  When
// the reopening fails the console gets `reopen_failed` and the report goes
// where the implicit connection sends it (a new file named on the command
// line or at the prompt; an existing one is kept and another name taken).  When nothing was `computed` (the data file could not be
// opened at all), the run ends with kExitUnreadable, also if the report
// cannot be written.  Returns the exit code of a run that gets this far.
template <typename WriteReport>
int rewrite_data_file(int unit, std::string_view name, std::string_view reopen_failed,
                      bool computed, WriteReport&& write_report) {
    if (open_old(unit, name) != Status::Ok) write_console({reopen_failed});
    try {
        write_report();
        close_unit(unit);
    } catch (Fatal& failure) {
        if (!computed) failure.exit_code = kExitUnreadable;
        throw;
    }
    return computed ? kExitOk : kExitUnreadable;
}

}  // namespace fixrec
