// How a computation of the vortex chamber ends, and the console messages that
// it writes on its way (the only output of the computation itself).
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

// Messages that the computation writes to the console between its steps.
class Messages {
public:
    virtual ~Messages() = default;
    // The estimate of RP is not defined for 1/МА <= 0.42: RP = 0.
    virtual void zero_pressure_radius() = 0;
    // The analytic V and P profiles need more than 400 nodes.
    virtual void analytic_nodes_exceeded() = 0;
    // The solution of the equations of motion needs more than 400 nodes.
    virtual void motion_nodes_exceeded() = 0;
    // F2 <= 2: the equations of motion are not solved.
    virtual void flow_too_small() = 0;
};

}  // namespace vortex_chamber
