// Cleaning efficiency in the Stokes drag regime (drag proportional to the
// relative velocity): separation coefficient KSC and efficiency ETA1, for one
// particle size or integrated over a log-normal size distribution.
#pragma once

#include "console.h"
#include "run_record.h"
#include "status.h"

namespace separator {

// KERVA1: KSC, ETA1FR, DGR, XGR and ETA1 from the parameters (SPC set); writes
// its console lines.  Stops at the first invalid step.
Status stokes_efficiency(KervaRun& run, ConsoleLines& console);

// The former name, still called by the run (kerva.cpp); to be removed with it.
inline Status kerva1(KervaRun& run, ConsoleLines& console) { return stokes_efficiency(run, console); }

}  // namespace separator
