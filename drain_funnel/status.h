// How a computation of the drain funnel ends.  Every status other than Ok is
// invalid arithmetic: the run stops, writes the status's console line and
// leaves the data file as it was.
#pragma once

#include <string_view>

namespace drain_funnel {

enum class Status {
    Ok,
    ZeroDrainRadius,     // R1 = 0: division by zero
    NegativeDrainRadius, // R1 < 0: the square of R1 is a real power of a negative base
    NoSwirl,             // RCR x UPOD = 0: VR1 = 0 and KWV divides by it
    NegativeSwirl,       // RCR x UPOD < 0: VMAX < 0 and its square is invalid
    Overflow,            // a result beyond single precision
};

// The console line (code page 866) that names the inputs at fault; empty for Ok.
std::string_view failure_message(Status status);

}  // namespace drain_funnel
