// Cleaning efficiency in the quadratic drag regime (drag proportional to the
// square of the relative velocity) by one of two approximations, and the
// efficiency interpolated between the two regimes.
#pragma once

#include "messages.h"
#include "run_record.h"
#include "status.h"

namespace separator {

// KERVA2: ETA2FR, DGR, XGR and ETA2 from the quadratic parameters; writes its
// console lines.  Stops at the first invalid step.
Status quadratic_efficiency(KervaRun& run, Messages& messages);

// ETA and ETAM after both regimes were computed (SPC < 10, BETA2 > 1).
void interpolate_efficiency(KervaRun& run);

}  // namespace separator
