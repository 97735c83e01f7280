// BILM as a library: its run over the shared cycle, the computation step
// that the run and a tool share, and its Calculator description.
#pragma once

#include <string_view>

#include "calculators/calculator.h"
#include "messages.h"
#include "run_record.h"

namespace drain_funnel {

// The file-name variable of the program: 11 characters, blank-padded.
inline constexpr std::string_view kFileName = "BILM.DAT   ";

// The computation of a run whose input section was read: the funnel, or the
// line of its invalid arithmetic.  False when the inputs make it invalid.
bool compute_bilm(FunnelRun& run, Messages& messages);

// One run on the data file at `path` (the messages name BILM.DAT whatever the
// path), between fixrec::begin_run and end_run.  Returns the exit code.
int run_bilm(std::string_view path);
// The same on BILM.DAT in the current directory, for fixrec::run_with.
int run_bilm();

// BILM for a tool: its tables, example, and steps in memory or on any path.
const calculators::Calculator& calculator();

}  // namespace drain_funnel
