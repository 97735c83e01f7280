#include "kerva1.h"

#include <cmath>

#include "normdf.h"
#include "numerics/single.h"

namespace separator {

using numerics::all_finite;
using numerics::lit;
using numerics::store;

namespace {

Status classify(const KervaRun& r, bool boundary_computed) {
    if (!std::isfinite(r.KSC) && r.ROR > 1.0f) return Status::DenserMedium;
    if (boundary_computed && !(r.DGR / static_cast<double>(r.D50) > 0.0))
        return Status::BoundaryDiameter;
    return Status::Overflow;
}

}  // namespace

Status stokes_efficiency(KervaRun& r, Messages& messages) {
    numerics::ArithmeticGuard guard;
    const double pi = r.PI;
    messages.kerva1_started();

    r.KSC = store(std::sqrt(((1.0 - r.ROR) * r.V2SQ * r.LSQ) /
                            (static_cast<double>(r.B) * r.U2SQ * r.R2 * r.SPC)));
    // The bracket is 1 + (1 - exp(-SPC)) / SPC, between 1 and 2.
    const float ksc_squared = store(static_cast<double>(r.KSC) * r.KSC);
    r.ETA1FR = store((1.0 - (std::exp(-static_cast<double>(r.SPC)) - 1.0) / r.SPC) * ksc_squared);
    if (guard.failed() || !all_finite({r.KSC, ksc_squared, r.ETA1FR})) return classify(r, false);
    r.ETA1D50 = r.ETA1FR;

    if (r.ETA1FR > 1.0f) {
        messages.eta1fr(r.ETA1FR);
        r.ETA1FR = 1.0f;
    }
    if (r.LGSG == 0.0f) {
        r.ETA1 = store(r.ETA1FR * 100.0);
        return Status::Ok;
    }

    // Size distribution: particles above the boundary diameter DGR are all
    // caught; below it the fractional efficiency grows as the square of the
    // diameter.  The mass-weighted integral over the log-normal distribution
    // has the closed form below.
    const float g = store((1.0 - r.ROR) * r.V2SQ * r.L);
    if (g == 0.0f) {
        r.ETA1 = 0.0f;
        return Status::Ok;
    }
    r.DGR = store(std::sqrt(static_cast<double>(r.B) * pi * r.U2 * r.R2 * r.ROR * r.NU * r.DE1 *
                            lit(5.72f) / r.D50 / g));
    r.XGR = store(std::log10(r.DGR / static_cast<double>(r.D50)) / r.LGSG);
    if (guard.failed() || !all_finite({g, r.DGR, r.XGR})) return classify(r, true);

    const float shifted = store(r.XGR - r.LNSG * 2.0);
    const float fs = normal_distribution(shifted);
    const float fx = normal_distribution(r.XGR);
    r.ETA1FR = store(std::exp(r.LNSGSQ * 2.0) * fs * r.ETA1FR + (1.0 - fx));
    r.ETA1 = store(r.ETA1FR * 100.0);
    if (guard.failed() || !all_finite({fs, fx, r.ETA1FR, r.ETA1})) return classify(r, true);
    return Status::Ok;
}

}  // namespace separator
