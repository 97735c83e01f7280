// The computation of a vortex chamber: every step of a run from the input
// values to the refinements (integral.h, profiles.h, motion.h,
// refinements.h), in the order of the run.
#pragma once

#include "messages.h"
#include "run_record.h"
#include "status.h"

namespace vortex_chamber {

// Stops at the first operation whose arithmetic is invalid (division by zero,
// an invalid root, logarithm or power, overflow) and returns its status; the
// record is then not to be reported.  A value that makes an operation invalid
// is refused right before that operation, so every message the run writes
// before it has been written, and none after.  The failure line itself is the
// caller's (compute_zarn1).
Status compute_chamber(RunRecord& r, const Messages& messages);

}  // namespace vortex_chamber
