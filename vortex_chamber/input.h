// The input section of the data file ZARN1.DAT: ten header lines, then the
// values of the chamber in fixed columns (42-57, 42-52 or 47), with a legend
// line between the swirler angle and the swirler type.
#pragma once

#include "run_record.h"

namespace vortex_chamber {

enum class ReadOutcome { Ok, Failed };

// Reads the 25 lines of the input section from unit 1 (connected).  Values
// read before a failure are kept; later ones are left as they were.
ReadOutcome read_input(RunRecord& r);

}  // namespace vortex_chamber
