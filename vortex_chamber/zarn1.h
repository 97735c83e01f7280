// ZARN1 as a library: the computation of a run and the run itself, callable
// from main, tests and fuzzers.
#pragma once

#include "calculators/exit_code.h"
#include "fixrec/fixrec.h"
#include "run_record.h"
#include "status.h"

namespace vortex_chamber {

// Exit codes of the calculators (1 also when the data file cannot be reopened).
using calculators::kExitInvalidArithmetic;
using calculators::kExitOk;
using calculators::kExitReportNotWritten;
using calculators::kExitUnreadable;

// Every step of the computation from the input values to the refinements, in
// the order of the run.  Stops at the first operation whose arithmetic is
// invalid (division by zero, an invalid root, logarithm or power, overflow)
// and returns its status; the record is then not to be reported.  A value
// that makes an operation invalid is refused right before that operation, so
// every message the run writes before it has been written, and none after.
Status compute_chamber(RunRecord& r, Messages& messages);

// One run in the current directory, between fixrec::begin_run and end_run
// (use fixrec::run_main or fixrec::run_with).  Returns the exit code.
int run_zarn1();

}  // namespace vortex_chamber
