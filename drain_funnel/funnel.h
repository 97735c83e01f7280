// The vortex funnel over a drain hole: depth HO, radius RV at half depth and
// the maximum rotation speed VMAX, from the flow through the drain and the
// swirling make-up flow.
#pragma once

#include "status.h"

namespace drain_funnel {

// All quantities of one run, zero at start (single precision, SI units).
struct FunnelRun {
    float PI = 0.0f;    // the stored literal 3.1415925
    float Q = 0.0f;     // m3/s  flow rate of the liquid through the drain
    float HG = 0.0f;    // m     height of the liquid in the tank
    float R1 = 0.0f;    // m     radius of the drain hole
    float RCR = 0.0f;   // m     mean radius of the make-up section
    float UPOD = 0.0f;  // m/s   mean velocity of the make-up flow
    float WOUT = 0.0f;  // m/s   mean axial velocity through the drain hole
    float CIRC = 0.0f;  // m2/s  RCR x UPOD
    float VR1 = 0.0f;   // m/s   tangential velocity at the drain radius
    float KWV = 0.0f;   //       WOUT / VR1, selects the law for RV
    float RV = 0.0f;    // m     funnel radius at half depth
    float VMAX = 0.0f;  // m/s   maximum rotation speed
    float HO = 0.0f;    // m     funnel depth
};

inline constexpr float kPi = 3.1415925f;

// Computes WOUT, CIRC, VR1, KWV, RV, VMAX and HO from Q, R1, RCR, UPOD (HG is
// only compared by the report).  On a status other than Ok the results are
// not to be reported.
Status compute_funnel(FunnelRun& run);

}  // namespace drain_funnel
