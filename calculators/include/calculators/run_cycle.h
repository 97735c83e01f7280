// The run of every calculator: open the data file, read the input section,
// close it, compute, open it again and replace it with the report, close it.
//
// The three programs differ only in their messages and in two decisions,
// which are named here:
//
//  - the data file cannot be opened: ZARN1 stops (Stop); BILM and KERVA go on
//    without computing to write the blank report form (WriteBlankForm), which
//    the implicit connection sends to a new file named on the command line
//    or at the prompt, and end with exit code 2 whatever happens to it;
//  - the data file cannot be opened again for the report: ZARN1 shows its
//    message and stops with exit code 1 (Stop); BILM and KERVA show theirs and
//    write the report all the same (AskForFile), so that the implicit
//    connection sends it to a new file.
//
// An input section that cannot be read always ends the run with exit code 2
// and the data file untouched (it is the user's only copy of the input); a
// computation that the inputs make invalid ends it with exit code 3, its one
// line shown, and nothing written.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "calculators/exit_code.h"
#include "fixrec/console.h"

namespace calculators {

// The unit of the data file in every program.
inline constexpr int kDataUnit = 1;

enum class OnOpenFailure { Stop, WriteBlankForm };
enum class OnReopenFailure { Stop, AskForFile };

// A program's steps, in the order the cycle takes them.  The program's run
// record is the callables' business (they capture it).
struct RunSteps {
    // The data file to open, both times.  The program's own file-name
    // variable is what its messages show; a tool runs the same cycle on
    // another path with the same console.
    std::string_view path;
    OnOpenFailure on_open_failure;
    OnReopenFailure on_reopen_failure;
    std::function<void()> open_failed;           // the console message(s)
    std::function<bool(int unit)> read;          // the input section from the connected unit
    std::function<void()> read_failed;
    std::function<bool()> compute;               // false: invalid, its line shown (exit 3)
    std::function<void()> reopen_failed;
    std::function<void(int unit)> write_report;  // on the unit, connected or not
};

// One run of the cycle, between fixrec::begin_run and end_run.  Returns the
// exit code; a report that cannot be written throws fixrec::Fatal, with exit
// code 2 when nothing was computed, else 1.
int run_cycle(const RunSteps& steps);

// The whole life of a run around `body` (fixrec::run_with for a callable):
// begin_run with `args` and `console` (null: the standard streams), body,
// end_run; a Fatal becomes its diagnostic and exit code.
int within_run(std::vector<std::string> args, fixrec::ConsoleDevice* console, const std::function<int()>& body);

}  // namespace calculators
