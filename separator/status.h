// How a computation of the separator ends.  Every status other than Ok is
// invalid arithmetic: the run stops, writes the status's console line and
// leaves the data file as it was.
#pragma once

#include <string_view>

namespace separator {

enum class Status {
    Ok,
    ZeroInletArea,        // FVX = 0 (B = 0, or NI = 0 with a rectangular inlet)
    ZeroSeparator,        // DK = 0 or L = 0: UK or V1 divides by zero
    NoFlow,               // QH = 0: KVU = 0/0
    ZeroAnnulus,          // B x R2 = 0: U2 or V2 divides by zero
    ZeroParticleDensity,  // ROP = 0: ROR divides by zero
    InvalidShape,         // QGE <= 0 or too small: DE1 takes the log or root of an invalid value
    ZeroParticle,         // D50 = 0: SPC divides by zero
    DenserMedium,         // ROP < ROG: root of a negative value
    EqualDensities,       // ROG = ROP: BETA2 divides by zero
    QuadraticShape,       // QGE <= 11.4/12.4: DE2 divides by the root of a value not above 0
    ZeroMediumDensity,    // ROG = 0 on the quadratic path: KS2C divides by zero
    ZeroBeta1,            // BETA1 = 0: ETA2fr divides by zero
    BoundaryDiameter,     // DGR / D50 not above zero: its logarithm is undefined
    Overflow,             // any other invalid result (overflow, root of a negative value)
};

// The console line (code page 866) that names the inputs at fault; empty for Ok.
std::string_view failure_message(Status status);

}  // namespace separator
