// Cleaning efficiency in the Stokes drag regime (drag proportional to the
// relative velocity): separation coefficient KSC and efficiency ETA1, for one
// particle size or integrated over a log-normal size distribution.
#pragma once

#include "console.h"
#include "run_record.h"

namespace separator {

// Computes KSC, ETA1FR, DGR, XGR and ETA1 from the parameters (SPC set) and
// writes its console lines.  Stops at the first invalid step.
KervaStatus kerva1(KervaRun& run, ConsoleLines& console);

}  // namespace separator
