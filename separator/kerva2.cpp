#include "kerva2.h"

#include <cmath>

#include "normdf.h"
#include "numerics/single.h"

namespace separator {

using numerics::all_finite;
using numerics::lit;
using numerics::store;

namespace {

// Above this TB, exp(TB) overflows even in double; ln((exp(TB) + 1) / 2) is
// then taken in the equal form TB + ln((1 + exp(-TB)) / 2).
constexpr double kLargeTB = 700.0;

Status classify(const KervaRun& r, bool boundary_computed) {
    if (boundary_computed && !(r.DGR / static_cast<double>(r.D50) > 0.0))
        return Status::BoundaryDiameter;
    if (r.BETA1 == 0.0f) return Status::ZeroBeta1;
    return Status::Overflow;
}

// The terms of the closed-form integral over the log-normal distribution:
// Phi at the deviate of DGR (fx) and at the deviate shifted by k ln(sigma)
// (fs), and the exponent E = k**2 ln(sigma)**2 / 2.
struct DistributionTerms {
    float fx = 0.0f;
    float fs = 0.0f;
    float e = 0.0f;
};

// Chooses the approximation by BETA1, writes its console line, and sets DGR
// and XGR.  The fractional efficiency grows as the diameter to the power k up
// to DGR and is 1 above it: k = 1 in approximation 1, k = 1/2 in
// approximation 2.
DistributionTerms distribution_terms(KervaRun& r, float rd, float g3, Messages& messages) {
    const double pi = r.PI;
    DistributionTerms t;
    if (r.BETA1 > 3.0f) {
        messages.approximation(2);
        const float b2 = store(static_cast<double>(r.B) * r.B);
        r.DGR = store(pi * r.U2SQ * r.R2 * r.ROR * b2 * rd * rd * lit(0.097f) / g3);
        r.XGR = store(std::log10(r.DGR / static_cast<double>(r.D50)) / r.LGSG);
        t.fx = normal_distribution(r.XGR);
        t.fs = normal_distribution(store(r.XGR - r.LNSG * lit(0.5f)));
        t.e = store(r.LNSGSQ / 8.0);
    } else {
        messages.approximation(1);
        r.DGR = store(static_cast<double>(r.B) * pi * r.ROR * rd * rd * lit(0.032f));
        r.XGR = store(std::log10(r.DGR / static_cast<double>(r.D50)) / r.LGSG);
        t.fx = normal_distribution(r.XGR);
        t.fs = normal_distribution(store(static_cast<double>(r.XGR) - r.LNSG));
        t.e = store(r.LNSGSQ / 2.0);
    }
    return t;
}

}  // namespace

Status quadratic_efficiency(KervaRun& r, Messages& messages) {
    numerics::ArithmeticGuard guard;
    messages.kerva2_started();

    const float rd = store(r.DE2 / static_cast<double>(r.D50));
    const float tb = store(r.BETA1 * 2.0);
    const float g3 = store((1.0 - r.ROR) * r.V2SQ * r.LSQ);
    if (guard.failed() || !all_finite({rd, tb, g3})) return classify(r, false);
    if (g3 == 0.0f) {
        r.ETA2 = 0.0f;
        return Status::Ok;
    }

    const bool distribution = r.LGSG != 0.0f;
    const DistributionTerms t = distribution ? distribution_terms(r, rd, g3, messages) : DistributionTerms{};

    // Efficiency for the size D50: (ln cosh BETA1 / BETA1 - 1) x KS2C,
    // evaluated in the form ln((exp(TB) + 1) / 2) / BETA1.
    const double tbd = tb;
    const double log_term = tb > kLargeTB ? tbd + std::log((1.0 + std::exp(-tbd)) / 2.0)
                                          : std::log((std::exp(tbd) + 1.0) / 2.0);
    r.ETA2FR = store((log_term / r.BETA1 - 1.0) * r.KS2C);
    if (guard.failed() || !all_finite({r.DGR, r.XGR, t.fx, t.fs, t.e, r.ETA2FR}))
        return classify(r, distribution);
    r.ETA2D50 = r.ETA2FR;

    if (r.ETA2FR > 1.0f) {
        messages.eta2fr(r.ETA2FR);
        r.ETA2FR = 1.0f;
    }
    if (distribution) r.ETA2FR = store(std::exp(static_cast<double>(t.e)) * r.ETA2FR * t.fs + (1.0 - t.fx));
    r.ETA2 = store(r.ETA2FR * 100.0);
    if (guard.failed() || !all_finite({r.ETA2FR, r.ETA2})) return classify(r, distribution);
    return Status::Ok;
}

void interpolate_efficiency(KervaRun& r) {
    // Weighted by the distances of SPC from 10 and of BETA2 from 1; both are
    // positive on this path, so the denominator is never zero.
    r.ETA = store(((10.0 - r.SPC) * r.ETA2 + (r.BETA2 - 1.0) * r.ETA1) /
                  (static_cast<double>(r.BETA2) - r.SPC + 9.0));
    r.ETAM = store((static_cast<double>(r.ETA2) + r.ETA1) / 2.0);
}

}  // namespace separator
