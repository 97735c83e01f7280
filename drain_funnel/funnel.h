// The vortex funnel over a drain hole: depth HO, radius RV at half depth and
// the maximum rotation speed VMAX, from the flow through the drain and the
// swirling make-up flow.
#pragma once

#include "run_record.h"
#include "status.h"

namespace drain_funnel {

// Computes WOUT, CIRC, VR1, KWV, RV, VMAX and HO from Q, R1, RCR, UPOD (HG is
// only compared by the report).  On a status other than Ok the results are
// not to be reported.
Status compute_funnel(FunnelRun& run);

}  // namespace drain_funnel
