// Where the console of a run goes.
#pragma once

#include <string>
#include <string_view>

namespace fixrec {

// The default writes to the standard streams and reads the keyboard from
// standard input; tests and in-process runs install their own.
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

}  // namespace fixrec
