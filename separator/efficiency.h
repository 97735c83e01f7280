// The cleaning efficiency of the separator: the flow and particle parameters,
// then the drag regime that the Stokes parameter SPC and the criterion BETA2
// select, each regime's efficiency, and between the two regimes the
// interpolated efficiency.
#pragma once

#include "messages.h"
#include "run_record.h"
#include "status.h"

namespace separator {

// The computation after a successful reading (inputs and PI set): the
// parameters, then the Stokes regime when SPC >= 10, the quadratic regime
// when BETA2 <= 1, or both and the interpolated efficiency.  Writes the
// console lines of the path; on invalid arithmetic it stops at the failing
// step and returns its status (its line is the caller's to write).
Status compute_efficiency(KervaRun& run, Messages& messages);

}  // namespace separator
