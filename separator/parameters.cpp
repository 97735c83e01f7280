#include "parameters.h"

#include <cmath>

#include "numerics/single.h"

namespace separator {

using numerics::all_finite;
using numerics::lit;
using numerics::rpow;
using numerics::store;

namespace {

// The radicand of DE1 is negative or its logarithm undefined for these
// shape coefficients.
bool shape_invalid(float qge) {
    if (!(qge > 0.0f)) return true;
    return (std::log10(static_cast<double>(qge)) * lit(0.862f) + 1.0) * qge < 0.0;
}

// Names the input at fault for a failed parameter computation, in the order
// in which the steps meet the faults.
Status classify_parameters(const KervaRun& r) {
    if (r.FVX == 0.0f) return Status::ZeroInletArea;
    if (r.DK == 0.0f || r.L == 0.0f) return Status::ZeroSeparator;
    if (r.QS == 0.0f) return Status::NoFlow;
    if (r.B == 0.0f || r.R2 == 0.0f) return Status::ZeroAnnulus;
    if (r.ROP == 0.0f) return Status::ZeroParticleDensity;
    if (shape_invalid(r.QGE)) return Status::InvalidShape;
    if (r.MP == 0.0f) return Status::ZeroParticle;
    return Status::Overflow;
}

// Tangential velocity V1 of the entering stream, by the kind of inlet.
float entering_tangential_velocity(const KervaRun& r) {
    const double rk = r.RK;
    if (r.VID == 1) {
        // Side inlet: the tangential component; a tangential inlet (90
        // degrees) is scaled by the radius of the inlet centre line instead.
        if (r.UVX == 90.0f) return store((rk - r.B * lit(0.5f)) * r.VVX / rk);
        return store(std::sin(static_cast<double>(r.ALF)) * r.VVX);
    }
    if (r.VID == 2) return store(std::sin(static_cast<double>(r.ALF)) * (rk - r.B * lit(0.5f)) * r.VVX / rk);
    // Volute: the angle does not enter.
    return store((r.B * lit(0.5f) + rk) * r.VVX / rk);
}

}  // namespace

Status compute_parameters(KervaRun& r) {
    numerics::ArithmeticGuard guard;
    const double pi = r.PI;

    r.RK = store(r.DK / 2.0);
    r.QS = store(r.QH / 3600.0);
    r.ALF = store(pi * r.UVX / 180.0);

    // Inlet cross-section: NI rectangular openings B x HI, or one circular
    // opening of diameter B when HI = 0, whatever NI holds.
    r.FVX = store(static_cast<double>(r.B) * static_cast<float>(r.NI) * r.HI);
    if (r.HI == 0.0f) r.FVX = store(static_cast<double>(r.B) * r.B * pi / 4.0);
    r.VVX = store(r.QS / static_cast<double>(r.FVX));
    r.UK = store(r.QS / (pi * r.L * r.DK));

    r.V1 = entering_tangential_velocity(r);
    r.KVU = store(r.V1 / static_cast<double>(r.UK));

    // Large velocity ratios lose part of the swirl to friction.
    r.FTR = 1.0f;
    if (r.KVU > 82.0f) r.FTR = store(20.0 * static_cast<double>(rpow(r.KVU, lit(-0.68f))));
    r.VK = store(static_cast<double>(r.BETA) * r.FTR * r.V1);

    r.U2 = store(r.QS / (static_cast<double>(r.B) * pi * r.R2 * 2.0));
    r.ROR = store(r.ROG / static_cast<double>(r.ROP));
    // Free vortex: V x R constant between RK and R2.
    r.V2 = store((static_cast<double>(r.RK) / r.R2) * r.VK);

    r.U2SQ = store(static_cast<double>(r.U2) * r.U2);
    r.V2SQ = store(static_cast<double>(r.V2) * r.V2);
    r.LSQ = store(static_cast<double>(r.L) * r.L);
    r.D50CUBE = store(static_cast<double>(r.D50) * r.D50 * r.D50);
    r.LNSG = store(r.LGSG * lit(2.30259f));
    r.LNSGSQ = store(static_cast<double>(r.LNSG) * r.LNSG);

    r.MU = store(static_cast<double>(r.NU) * r.ROG);
    r.MP = store(pi * r.ROP * r.D50CUBE / 6.0);
    // Equivalent diameter in the Stokes regime: the shape coefficient raises
    // the drag of a non-spherical particle.
    r.DE1 = store(std::sqrt((std::log10(static_cast<double>(r.QGE)) * lit(0.862f) + 1.0) * r.QGE) * r.D50);
    r.SPC = store((pi * r.L * r.DE1 * r.MU * 3.0) / (static_cast<double>(r.U2) * r.MP));

    const bool finite = all_finite({r.RK, r.QS, r.ALF, r.FVX, r.VVX, r.UK, r.V1, r.KVU, r.FTR,
                                    r.VK, r.U2, r.ROR, r.V2, r.U2SQ, r.V2SQ, r.LSQ, r.D50CUBE,
                                    r.LNSG, r.LNSGSQ, r.MU, r.MP, r.DE1, r.SPC});
    if (!guard.failed() && finite) return Status::Ok;
    return classify_parameters(r);
}

Status compute_quadratic_parameters(KervaRun& r) {
    numerics::ArithmeticGuard guard;
    const double pi = r.PI;

    // Equivalent diameter in the quadratic regime.
    r.DE2 = store((static_cast<double>(r.D50) * r.QGE) /
                  std::sqrt(r.QGE * lit(12.4f) - lit(11.4f)));
    r.SP2C = store(static_cast<double>(r.B) * pi * r.DE2 * r.DE2 * r.ROG * lit(0.05f) / r.MP);
    const float g2 = store(static_cast<double>(r.B) * r.U2SQ * r.R2 * r.SP2C);
    const double ks2c = std::sqrt((1.0 - r.ROR) * r.V2SQ * r.LSQ / g2);
    r.KS2C = store(ks2c);
    // BETA1 takes KS2C before it is rounded.
    r.BETA1 = store(ks2c * r.SP2C);
    r.BETA2 = store((static_cast<double>(rpow(r.SP2C, lit(1.5f))) * r.KS2C) /
                    std::sqrt(1.0 - r.ROR));

    const bool finite = all_finite({r.DE2, r.SP2C, g2, r.KS2C, r.BETA1, r.BETA2});
    if (!guard.failed() && finite) return Status::Ok;
    if (r.QGE * lit(12.4f) - lit(11.4f) <= 0.0) return Status::QuadraticShape;
    if (r.ROG == 0.0f) return Status::ZeroMediumDensity;
    if (r.ROR > 1.0f) return Status::DenserMedium;
    if (r.ROR == 1.0f) return Status::EqualDensities;
    return Status::Overflow;
}

}  // namespace separator
