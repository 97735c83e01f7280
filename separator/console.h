// The console lines that the computation writes between its steps.  They go
// through this narrow interface so that the computation can run in-process
// (tests, benchmarks, fuzzers) without a console; a run writes them as
// list-directed console statements.
#pragma once

#include <string_view>

#include "fixrec/fixrec.h"

namespace separator {

class ConsoleLines {
public:
    virtual ~ConsoleLines() = default;
    // One line of one text item.
    virtual void text(std::string_view line) = 0;
    // One line of a text item followed by a real item.
    virtual void text_value(std::string_view label, float value) = 0;
    // One line of two real items.
    virtual void values(float first, float second) = 0;
};

// The console of the run: list-directed statements through FIXREC.
class FixrecConsole final : public ConsoleLines {
public:
    void text(std::string_view line) override { fixrec::write_console({line}); }
    void text_value(std::string_view label, float value) override {
        fixrec::write_console({label, value});
    }
    void values(float first, float second) override { fixrec::write_console({first, second}); }
};

}  // namespace separator
