// KERVA as a library: the computation of one run and the run itself, callable
// from main, tests and fuzzers.
#pragma once

#include "calculators/exit_code.h"
#include "console.h"
#include "fixrec/fixrec.h"
#include "run_record.h"
#include "status.h"

namespace separator {

// Exit codes of the calculators.
using calculators::kExitInvalidArithmetic;
using calculators::kExitOk;
using calculators::kExitUnreadable;

// The computation after a successful reading (inputs and PI set): the
// parameters, then the Stokes regime when SPC >= 10, the quadratic regime
// when BETA2 <= 1, or both and the interpolated efficiency.  Writes the
// console lines of the path; on invalid arithmetic it stops at the failing
// step and returns its status (the failure line is the caller's).
Status compute_kerva(KervaRun& run, ConsoleLines& console);

// One run in the current directory, between fixrec::begin_run and end_run
// (use fixrec::run_main or fixrec::run_with).  Returns the exit code.
int run_kerva();

}  // namespace separator
