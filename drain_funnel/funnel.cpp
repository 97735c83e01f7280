#include "funnel.h"

#include <cmath>

#include "numerics/single.h"

namespace drain_funnel {

using numerics::lit;
using numerics::rpow;
using numerics::store;

namespace {

// Names the input at fault for a failed computation.
Status classify(const FunnelRun& r) {
    if (r.R1 == 0.0f) return Status::ZeroDrainRadius;
    if (r.R1 < 0.0f) return Status::NegativeDrainRadius;
    if (r.RCR == 0.0f || r.UPOD == 0.0f) return Status::NoSwirl;
    if ((r.RCR < 0.0f) != (r.UPOD < 0.0f)) return Status::NegativeSwirl;
    return Status::Overflow;
}

}  // namespace

Status compute_funnel(FunnelRun& r) {
    numerics::ArithmeticGuard guard;
    const double pi = r.PI;

    // Mean axial velocity in the drain hole: Q over the hole area.
    const float r1_squared = rpow(r.R1, 2.0);
    r.WOUT = store(r.Q / (static_cast<double>(r1_squared) * pi));

    // Circulation of the make-up flow and, with the angular momentum kept,
    // the tangential velocity at the drain radius.
    const double circulation = static_cast<double>(r.RCR) * r.UPOD;
    r.CIRC = store(circulation);
    const double vr1 = circulation / r.R1;
    r.VR1 = store(vr1);
    r.KWV = store(r.WOUT / vr1);

    // Funnel radius at half depth: three tests in turn, a later one replacing
    // an earlier result, so each boundary belongs to the upper law.
    if (r.KWV <= 0.122f) r.RV = r.R1;
    if (0.122f <= r.KWV && r.KWV <= 3.06f)
        r.RV = store(lit(0.35f) * r.R1 / std::sqrt(static_cast<double>(r.KWV)));
    if (r.KWV >= 3.06f) r.RV = store(lit(0.2f) * r.R1);

    // Rankine-type profile through R1 and RV.
    const double t = static_cast<double>(r.R1) / r.RV;
    const double vmax = ((static_cast<double>(rpow(t, 2.0)) + 1.0) * r.VR1) / (t * 2.0);
    r.VMAX = store(vmax);

    // Depth of the funnel from the pressure drop of the peak rotation.
    r.HO = store(static_cast<double>(rpow(vmax, 2.0)) * 2.0 / lit(9.8f));

    if (!guard.failed() && numerics::all_finite({r.WOUT, r.CIRC, r.VR1, r.KWV, r.RV, r.VMAX, r.HO}))
        return Status::Ok;
    return classify(r);
}

}  // namespace drain_funnel
