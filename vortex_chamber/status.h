// How a computation of the vortex chamber ends.  Every status other than Ok
// is invalid arithmetic: the run stops, writes the status's console line and
// leaves the data file as it was.
#pragma once

#include <string_view>

namespace vortex_chamber {

enum class Status {
    Ok,
    ZeroDensity,          // RO = 0: Q divides by it
    ZeroOutletRadius,     // R1 = 0: МА divides by it
    ZeroChamberRadius,    // RK = 0: МА divides by it
    NoSwirl,              // PSIVX a multiple of 180: the swirler gives the flow no swirl
                          // (0 degrees divides by a zero sine; with the stored PI the
                          // sine of 180 degrees is tiny, not zero, and МА absurd)
    ZeroSwirlerArea,      // FVX = 0: МА = 0 and the inlet velocity divides by FVX
    NegativeSwirl,        // МА < 0: the swirl parameter has no real root
    ZeroHeight,           // L = 0: the radial velocities divide by it
    ZeroViscosity,        // NU = 0: the Reynolds number divides by it
    ZeroFlow,             // Q = 0: the degree of swirl is 0/0
    BadStep,              // DRK <= 0: the radial grid never advances (refused where
                          // a grid of the run begins)
    SwirlRootUndefined,   // М cannot be found for this МА (too small or too large)
    F2EqualsPi,           // E2 = 0 in the solution of the equations of motion
    CounterflowDivisor,   // ZU*E6 = 1 with NVS = 2
    SwirlRatioRange,      // KS or KS*KS beyond the 32-bit integers
    NegativeZeroPressureRadius,  // RP < 0 squared by a real power in the power law
    Overflow,             // any other invalid operation or overflow
};

// The console line (code page 866) of a failed computation; empty for Ok.
std::string_view failure_message(Status status);

}  // namespace vortex_chamber
