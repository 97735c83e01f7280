// The run cycle of the calculators.
#include "calculators/run_cycle.h"

#include <utility>

#include "fixrec/fixrec.h"

namespace calculators {

int run_cycle(const RunSteps& steps) {
    const bool opened = fixrec::open_old(kDataUnit, steps.path) == fixrec::Status::Ok;
    if (!opened) {
        steps.open_failed();
        // Closing a unit that is not connected does nothing; the programs do
        // it all the same.
        fixrec::close_unit(kDataUnit);
        if (steps.on_open_failure == OnOpenFailure::Stop) return kExitUnreadable;
    } else {
        if (!steps.read(kDataUnit)) {
            steps.read_failed();
            fixrec::close_unit(kDataUnit);
            return kExitUnreadable;
        }
        fixrec::close_unit(kDataUnit);
        if (!steps.compute()) return kExitInvalidArithmetic;
    }

    if (fixrec::open_old(kDataUnit, steps.path) != fixrec::Status::Ok) {
        steps.reopen_failed();
        if (steps.on_reopen_failure == OnReopenFailure::Stop) {
            fixrec::close_unit(kDataUnit);
            return kExitNotWritten;
        }
        // The report statements go on: the implicit connection asks for a file.
    }
    try {
        steps.write_report(kDataUnit);
        fixrec::close_unit(kDataUnit);
    } catch (fixrec::Fatal& failure) {
        // The blank form of a data file that could not be opened: the run
        // failed at the data file whatever became of the form.
        if (!opened) failure.exit_code = kExitUnreadable;
        throw;
    }
    return opened ? kExitOk : kExitUnreadable;
}

int within_run(std::vector<std::string> args, fixrec::ConsoleDevice* console, const std::function<int()>& body) {
    fixrec::begin_run(std::move(args), console);
    try {
        const int code = body();
        fixrec::end_run();
        return code;
    } catch (const fixrec::Fatal& failure) {
        fixrec::abort_run(failure);
        return failure.exit_code;
    }
}

}  // namespace calculators
