// Where a calculator's console lines go.
//
// Each program has one Messages class (<dir>/messages.h) that holds every
// console text of the program and writes it through a ConsoleLines sink.
// There are two sinks: RunConsole, the console statements of a run, and
// CapturedConsole, the same lines as strings, rendered by FIXREC's pure
// functions, for a tool that computes in memory (several threads at once).
// The texts exist once, in Messages, so the two can never differ.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fixrec/format.h"
#include "fixrec/items.h"

namespace calculators {

class ConsoleLines {
public:
    virtual ~ConsoleLines() = default;

    // A list-directed console statement: one line of texts and numbers.
    void list(std::initializer_list<fixrec::Item> items) { write_list({items.begin(), items.size()}); }
    void list(std::span<const fixrec::Item> items) { write_list(items); }

    // A formatted console statement: a line per record, the first character
    // of each record being its carriage control.
    void formatted(const fixrec::FormatView& format, std::initializer_list<fixrec::Item> items = {}) {
        write_formatted(format, {items.begin(), items.size()});
    }
    void formatted(const fixrec::FormatView& format, std::span<const fixrec::Item> items) {
        write_formatted(format, items);
    }

    // The one line with which a computation that the inputs make invalid
    // ends (exit code 3); list-directed.
    void invalid_arithmetic(std::string_view line) { write_failure(line); }

private:
    virtual void write_list(std::span<const fixrec::Item> items) = 0;
    virtual void write_formatted(const fixrec::FormatView& format, std::span<const fixrec::Item> items) = 0;
    virtual void write_failure(std::string_view line) = 0;
};

// The console of a run: FIXREC's console statements.
class RunConsole final : public ConsoleLines {
private:
    void write_list(std::span<const fixrec::Item> items) override;
    void write_formatted(const fixrec::FormatView& format, std::span<const fixrec::Item> items) override;
    void write_failure(std::string_view line) override;
};

// The lines a run would show, as strings: code page 866, without line ends,
// with the carriage control applied as the console applies it (a '0' record
// is preceded by an empty line, a '+' record overprints the last line, a '1'
// record starts with the form feed the console sends).  The console of a run
// is these lines, each ended by CR LF.  The exit-3 line goes to `failure`,
// apart from the lines before it.  Uses no state of a run: one object per
// thread.
class CapturedConsole final : public ConsoleLines {
public:
    CapturedConsole(std::vector<std::string>& lines, std::string& failure)
        : lines_(lines), failure_(failure) {}

private:
    void write_list(std::span<const fixrec::Item> items) override;
    void write_formatted(const fixrec::FormatView& format, std::span<const fixrec::Item> items) override;
    void write_failure(std::string_view line) override;

    std::vector<std::string>& lines_;
    std::string& failure_;
    std::string records_;  // the records of one formatted statement
};

}  // namespace calculators
