// BILM as a library: the run itself, callable from main, tests and fuzzers.
#pragma once

#include "fixrec/fixrec.h"
#include "funnel.h"

namespace drain_funnel {

// Exit codes of the calculators.
using fixrec::kExitInvalidArithmetic;
using fixrec::kExitOk;
using fixrec::kExitUnreadable;

enum class ReadOutcome { Ok, Failed };

// Reads the input section from unit 1 (connected): six header lines, then
// Q, HG, R1, RCR, UPOD.  Values read before a failure are kept.
ReadOutcome read_input(FunnelRun& run);

// Writes the report on unit 1.
void write_report(const FunnelRun& run);

// One run in the current directory, between fixrec::begin_run and end_run
// (use fixrec::run_main or fixrec::run_with).  Returns the exit code.
int run_bilm();

}  // namespace drain_funnel
