// Cleaning efficiency in the quadratic drag regime (drag proportional to the
// square of the relative velocity) by one of two approximations, and the
// efficiency interpolated between the two regimes.
#pragma once

#include "console.h"
#include "run_record.h"

namespace separator {

// Computes ETA2FR, DGR, XGR and ETA2 from the quadratic parameters and writes
// its console lines.  Stops at the first invalid step.
KervaStatus kerva2(KervaRun& run, ConsoleLines& console);

// ETA and ETAM after both regimes were computed (SPC < 10, BETA2 > 1).
void interpolate_efficiency(KervaRun& run);

}  // namespace separator
