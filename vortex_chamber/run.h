// ZARN1 as a library: its run over the shared cycle, the computation step
// that the run and a tool share, and its Calculator description.
#pragma once

#include <string_view>

#include "calculators/calculator.h"
#include "messages.h"
#include "run_record.h"

namespace vortex_chamber {

// The file-name variable of the program: 30 characters, blank-padded.  The
// message of a failed reopening shows all of it, whatever file the run is on.
inline constexpr std::string_view kFileName = "ZARN1.DAT                     ";
static_assert(kFileName.size() == 30);

// The computation of a run whose input section was read: the chamber, or
// the line of its invalid arithmetic.  False when the inputs make it invalid.
bool compute_zarn1(RunRecord& run, Messages& messages);

// One run on the data file at `path` (the messages name ZARN1.DAT whatever
// the path), between fixrec::begin_run and end_run.  Returns the exit code.
int run_zarn1(std::string_view path);
// The same on ZARN1.DAT in the current directory, for fixrec::run_with.
int run_zarn1();

// ZARN1 for a tool: its tables, example, and steps in memory or on any path.
// Calculator::compute fills Outcome::tables on request with the profiles
// {r, V, P} over the NK nodes and {r, U, W} over the NITA nodes.
const calculators::Calculator& calculator();

}  // namespace vortex_chamber
