// KERVA as a library: its run over the shared cycle, the computation step
// that the run and a tool share, and its Calculator description.
#pragma once

#include <string_view>

#include "calculators/calculator.h"
#include "messages.h"
#include "run_record.h"

namespace separator {

// The file-name variable of the program: 11 characters, blank-padded.
inline constexpr std::string_view kFileName = "KERVA.DAT  ";

// The computation of a run whose input section was read: the efficiency with
// the console lines of its path, or those up to the failing step and the
// line of its invalid arithmetic.  False when the inputs make it invalid.
bool compute_kerva(KervaRun& run, Messages& messages);

// One run on the data file at `path` (the messages name KERVA.DAT whatever
// the path), between fixrec::begin_run and end_run.  Returns the exit code.
int run_kerva(std::string_view path);
// The same on KERVA.DAT in the current directory, for fixrec::run_with.
int run_kerva();

// KERVA for a tool: its tables, example, and steps in memory or on any path.
const calculators::Calculator& calculator();

}  // namespace separator
