// Cleaning efficiency in the Stokes drag regime (drag proportional to the
// relative velocity): separation coefficient KSC and efficiency ETA1, for one
// particle size or integrated over a log-normal size distribution.
#pragma once

#include "messages.h"
#include "run_record.h"
#include "status.h"

namespace separator {

// KERVA1: KSC, ETA1FR, DGR, XGR and ETA1 from the parameters (SPC set); writes
// its console lines.  Stops at the first invalid step.
Status stokes_efficiency(KervaRun& run, Messages& messages);

}  // namespace separator
