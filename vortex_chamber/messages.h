// Every console line of ZARN1, written through a calculators::ConsoleLines
// sink: the console of a run (calculators::RunConsole), or the lines that a
// tool computing in memory captures (calculators::CapturedConsole).  The texts
// are in messages.cpp once, so both show the same bytes.
#pragma once

#include <string_view>

#include "calculators/console_lines.h"
#include "numerics/single.h"
#include "status.h"

namespace vortex_chamber {

class Messages {
public:
    explicit Messages(calculators::ConsoleLines& console) : console_(console) {}

    // The data file: it cannot be opened, its input section cannot be read.
    void open_failed();
    void read_failed();
    // It cannot be opened again for the report: two records, the second
    // ending in the 30 characters of the file-name variable `file_name`.
    void reopen_failed(std::string_view file_name);

    // The steps of the computation.  The estimate of RP is not defined for
    // 1/МА <= 0.42 (RP = 0); the analytic V and P profiles, or the solution
    // of the equations of motion, need more than 400 nodes; F2 <= 2 leaves
    // the equations of motion unsolved.
    void zero_pressure_radius();
    void analytic_nodes_exceeded();
    void motion_nodes_exceeded();
    void flow_too_small();

    // The line that names the cause of a computation that the inputs make
    // invalid (status.h).
    void invalid_arithmetic(Status status);

    // The same messages, except that those of the steps are dropped once
    // `guard` has seen an invalid operation.  A run stops at its first
    // invalid operation: a message that a step would write after it (the node
    // message after VMAX overflowed, the F2 message for an F2 that
    // overflowed) belongs to a part of the run that never happens.  Every
    // non-finite value comes from an operation that raised a flag, so the
    // flags alone tell.  `guard` must outlive the copy.
    Messages until_failure(const numerics::ArithmeticGuard& guard) const {
        Messages m(console_);
        m.guard_ = &guard;
        return m;
    }

private:
    bool stopped() const { return guard_ != nullptr && guard_->failed(); }

    calculators::ConsoleLines& console_;
    const numerics::ArithmeticGuard* guard_ = nullptr;
};

}  // namespace vortex_chamber
