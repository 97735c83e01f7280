// Every console line of BILM, written through a calculators::ConsoleLines
// sink: the console of a run (calculators::RunConsole), or the lines that a
// tool computing in memory captures (calculators::CapturedConsole).  The texts
// are in messages.cpp once, so both show the same bytes.
#pragma once

#include "calculators/console_lines.h"
#include "status.h"

namespace drain_funnel {

class Messages {
public:
    explicit Messages(calculators::ConsoleLines& console) : console_(console) {}

    // The data file: it cannot be opened, its input section cannot be read,
    // it cannot be opened again for the report.
    void open_failed();
    void read_failed();
    void reopen_failed();

    // The computation writes no line on its way; one that the inputs make
    // invalid ends with the line that names its cause (status.h).
    void invalid_arithmetic(Status status);

private:
    calculators::ConsoleLines& console_;
};

}  // namespace drain_funnel
