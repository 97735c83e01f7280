// All quantities of one run of the drain funnel calculator.
#pragma once

namespace drain_funnel {

// Single precision, SI units, zero at start (new_run sets PI).  Only Q, HG,
// R1, RCR, UPOD, HO, RV and VMAX appear in the data file.
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

// One unit in the last place below the single-precision value nearest to pi,
// as the program has always stored it.
inline constexpr float kPi = 3.1415925f;

// The record at the start of a run: every quantity zero, PI set.
constexpr FunnelRun new_run() {
    FunnelRun run{};
    run.PI = kPi;
    return run;
}

}  // namespace drain_funnel
