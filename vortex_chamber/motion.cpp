#include "motion.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "numerics/single.h"

namespace vortex_chamber {

using numerics::store;

namespace {

// The outer zone, y >= 1 (r >= R1): a free vortex slowed by viscosity.
ZoneFactors outer_zone(const MotionCoefficients& k, float y) {
    const double yd = y;
    const float Q1 = bounded_negative_power(y, k.E1);
    const float Q2 = bounded_negative_power(y, k.E7);
    ZoneFactors z;
    z.FV = store((1.0 - Q1) * static_cast<double>(k.A9) + 1.0);
    z.FPR = store((1.0 - Q1 / yd) * k.A11 + (1.0 - 1.0 / yd) * k.A10 + (k.CP + 1.0 - 1.0 / yd) +
                  (1.0 - Q2) * static_cast<double>(k.A12));
    return z;
}

// The ring RU <= r < R1, XU <= y < 1: the flow leaves through the outlet.
ZoneFactors ring_zone(const RunRecord& r, const MotionCoefficients& k, float y) {
    const double yd = y;
    const double xu = r.XU;
    ZoneFactors z;
    if (y == 0.0f) {
        z.FV = 0.0f;
        z.FPR = store(k.CP + 1.0 - std::sin(static_cast<double>(r.M)) * k.A4);
        return z;
    }
    float D1;
    if (k.ZU >= kBig && r.XU != 0.0f) {
        const float YR = store(yd / xu);
        const float Q3 = bounded_negative_power(YR, k.E2);
        const float Q4 = bounded_negative_power(YR, k.E5);
        z.FV = store(1.0 - static_cast<double>(Q3) * k.B2);
        D1 = store(static_cast<double>(k.B5) * Q4 - static_cast<double>(k.B6) * Q3 / YR);
    } else {
        const float Q3 = bounded_negative_power(y, k.E2);
        const float Q4 = bounded_negative_power(y, k.E5);
        z.FV = store(1.0 - (Q3 - 1.0) * k.A13);
        D1 = store(((Q4 - 1.0) * k.A6 - (Q3 / yd - 1.0) * k.A7) * k.A5);
    }
    const float AN = store((1.0 - yd) * r.M);
    const double an = AN;
    const double cos_an = std::cos(an);
    z.FPR = store(k.CP + 1.0 - cos_an * cos_an / yd - std::sin(an) * k.A4 - (1.0 / yd - 1.0) * k.A8 - D1);
    return z;
}

// The core r < RU, y < XU.
ZoneFactors core_zone(const RunRecord& r, const MotionCoefficients& k, float y) {
    const double yd = y;
    const double xu = r.XU;
    ZoneFactors z;
    if (r.NVS == 2) {
        // Without counterflow the core turns as a solid body.
        z.FV = store(static_cast<double>(k.DV) * yd / xu);
        z.FPR = store(-(xu - yd) * k.B10);
        return z;
    }
    if (y == 0.0f) {
        z.FV = 0.0f;
        z.FPR = store(2.0 * k.A4 - (k.ZU >= kBig ? k.B8 : k.A15));
        return z;
    }
    const float YR = store(yd / xu);
    float D2;
    if (k.ZU >= kBig) {
        const float Q5 = bounded_negative_power(YR, k.E4);
        z.FV = store(static_cast<double>(Q5) * k.B1);
        const float Q6 = bounded_negative_power(YR, k.E9);
        D2 = store(-(1.0 - Q6) * k.B8);
    } else {
        const float Q5 = bounded_negative_power(y, k.E4);
        z.FV = store(static_cast<double>(Q5) * k.A1);
        const float Q6 = bounded_negative_power(YR, k.E9);
        D2 = store(-(1.0 - Q6) * k.A15);
    }
    const double bn = static_cast<double>(store(static_cast<double>(k.B4) * yd));
    const double sin_bn = std::sin(bn);
    z.FPR = store(-sin_bn * sin_bn * k.A14 / yd + (std::cos(bn) + 1.0) * k.A4 + D2);
    return z;
}

// The exponents FP, BM and E1..E9 from F2.
void exponents(const RunRecord& r, MotionCoefficients& k) {
    const double pi = r.PI, m = r.M, xu = r.XU;
    const double f2 = k.F2;
    k.FP = store(2.0 * f2 / pi);
    k.BM = store(2.0 * m * f2 * xu / (pi * pi));
    k.E1 = store(0.5 * f2 - 1.0);
    k.E2 = store(0.5 * k.FP - 1.0);
    k.E3 = store(0.5 * k.BM + 1.0);
    k.E4 = store(-(0.5 * k.BM + 1.0));
    k.E5 = store(k.FP - 1.0);
    k.E6 = store(0.5 * k.FP);
    k.E7 = store(f2 - 1.0);
    k.E8 = store(k.BM + 1.0);
    k.E9 = store(-(k.BM + 1.0));
}

// The power term ZU and the constants CV and DV of the core.
Status power_term(const RunRecord& r, MotionCoefficients& k) {
    if (r.XU == 0.0f) {
        k.ZU = 0.0f;
        k.CV = 0.0f;
        return Status::Ok;
    }
    const double pi = r.PI, m = r.M, xu = r.XU;
    const double e2 = k.E2, e6 = k.E6;
    // E2 = 0 makes ZU = 1, and CV divides by E2 (by ZU*E6 - 1 = 0 with NVS = 2).
    if (k.E2 == 0.0f) return Status::F2EqualsPi;
    k.ZU = bounded_negative_power(r.XU, k.E2);
    const double zu = k.ZU;
    if (k.ZU >= kBig) {
        if (r.NVS != 2) {
            k.CV = store(m * e6 * xu / ((m * xu + pi) * zu));
        } else {
            k.CV = store(1.0 / zu);
            k.DV = 1.0f;
        }
    } else if (r.NVS != 2) {
        k.CV = store(1.0 / ((zu - 1.0) / e2 + zu / k.E3));
    } else {
        if (zu * e6 - 1.0 == 0.0) return Status::CounterflowDivisor;
        k.CV = store(e2 / (zu * e6 - 1.0));
        k.DV = store(e2 * zu / (zu * e6 - 1.0));
    }
    return Status::Ok;
}

// Tangential velocity at R1 from the wall velocity, the circulation GAM and
// the whole swirl ratio KS = V1/|U1| with its square.
Status swirl_ratio(const RunRecord& r, MotionCoefficients& k) {
    {
        const double rk_r1 = static_cast<double>(r.RK) / r.R1;
        const float x = store(rk_r1 * rk_r1);
        k.GV = store((1.0 - bounded_negative_power(x, k.E1)) * static_cast<double>(k.CV) / k.E1 + 1.0);
    }
    k.V1 = store(static_cast<double>(r.VK) * r.RK / (static_cast<double>(r.R1) * k.GV));
    k.GAM = store(static_cast<double>(k.V1) * r.R1);
    const double ratio = k.V1 / std::fabs(static_cast<double>(r.U1));
    if (!std::isfinite(ratio)) return Status::Overflow;
    if (!(std::fabs(ratio) < 2147483648.0)) return Status::SwirlRatioRange;
    k.KS = static_cast<std::int32_t>(ratio);  // truncated toward zero
    const std::int64_t square = static_cast<std::int64_t>(k.KS) * k.KS;
    if (square > std::numeric_limits<std::int32_t>::max()) return Status::SwirlRatioRange;
    k.KS2 = static_cast<std::int32_t>(square);
    return Status::Ok;
}

// The integers KS and KS*KS enter the products as reals.
double real_ks(const MotionCoefficients& k) { return static_cast<float>(k.KS); }
double real_ks2(const MotionCoefficients& k) { return static_cast<float>(k.KS2); }

// The powers Y1..Y3 of XU and the coefficients H1, A1..A15, PD, T1, T2, B1,
// B2 of the zone formulas.
Status zone_coefficients(const RunRecord& r, MotionCoefficients& k) {
    const double pi = r.PI, m = r.M, xu = r.XU;
    const double f2 = k.F2, e2 = k.E2;
    const double ks = real_ks(k), ks2 = real_ks2(k);

    k.Y1 = bounded_negative_power(r.XU, store(static_cast<double>(k.E3) + k.E2));
    k.Y2 = bounded_negative_power(r.XU, k.E5);
    k.Y3 = bounded_negative_power(r.XU, k.E9);

    // With XU = 0 the first division by E2.
    if (k.E2 == 0.0f) return Status::F2EqualsPi;
    const double cv = k.CV;
    k.H1 = store(cv / e2 + 1.0);
    k.A1 = store(cv * k.Y1 / k.E3);
    k.A2 = store(-cv / k.E1);
    k.A3 = store(1.0 - k.A2);
    k.A4 = store(4.0 * m / f2);
    k.A5 = store(ks2 * cv / e2);
    k.A6 = store(cv / (e2 * k.E5));
    k.A7 = store(4.0 * k.H1 / k.FP);
    {
        const double t = ks * k.H1;
        k.A8 = store(t * t);
    }
    k.A9 = store(cv / k.E1);
    {
        const double t = ks * k.A3;
        k.A10 = store(t * t);
    }
    k.A11 = store(4.0 * ks2 * k.A3 * k.A2 / f2);
    {
        const double t = ks * k.A2;
        k.A12 = store(t * t / k.E7);
    }
    k.A13 = store(cv / e2);
    {
        const double t = m * xu / pi;
        k.A14 = store(t * t);
    }
    {
        const double t = ks * k.A1;
        k.A15 = store(t * t * k.Y3 / k.E8);
    }
    k.PD = store(0.5 * r.RO * (static_cast<double>(r.U1) * r.U1));
    k.T1 = store(m * xu / pi);
    if (k.T1 != 0.0f) k.T2 = store(1.0 / k.T1);
    k.B1 = store(1.0 / (k.T1 + 1.0));
    k.B2 = store(1.0 / (k.T2 + 1.0));
    return Status::Ok;
}

// The coefficients B3..B12 that need XU not 0, and CP.
void pressure_constant(const RunRecord& r, MotionCoefficients& k) {
    if (r.XU == 0.0f) {
        k.CP = store(k.A4 - 1.0);
        return;
    }
    const double pi = r.PI, xu = r.XU;
    const double e2 = k.E2;
    const double ks2 = real_ks2(k);
    k.B3 = store(ks2 * k.B2 / xu);
    k.B4 = store(pi / xu);
    k.B5 = store(static_cast<double>(k.B3) * k.B2 / k.FP);
    k.B6 = store(4.0 * k.B3 / e2);
    {
        const double t = static_cast<double>(k.B2) * k.T2;
        k.B7 = store(t * t);
    }
    k.B8 = store(ks2 * k.B7 / (k.E8 * xu));
    if (r.NVS == 2) {
        k.B9 = store(k.DV / xu);
        k.B10 = store(ks2 * (static_cast<double>(k.B9) * k.B9));
    }
    k.B11 = store((1.0 / xu - 1.0) * k.A8);
    if (k.ZU < kBig)
        k.B12 = store(((k.Y2 - 1.0) * k.A6 - (k.ZU / xu - 1.0) * k.A7) * k.A5);
    else
        k.B12 = store(static_cast<double>(k.B5) - k.B6);
    k.CP = store(k.A4 - 1.0 + k.B12 + k.B11);
}

}  // namespace

float bounded_negative_power(float X, float A) {
    if (X == 0.0f) return 0.0f;
    float e = store(-static_cast<double>(A) * std::log(static_cast<double>(X)));
    if (std::fabs(e) > 87.0f) e = store(87.0 * e / std::fabs(static_cast<double>(e)));
    return store(std::exp(static_cast<double>(e)));
}

CoefficientStage motion_coefficients(const RunRecord& r) {
    CoefficientStage stage;
    MotionCoefficients& k = stage.k;
    k.F2 = store(r.Q / (2.0 * static_cast<double>(r.PI) * r.L * r.NU));
    if (!solvable(k)) return stage;
    exponents(r, k);
    for (auto step : {power_term, swirl_ratio, zone_coefficients}) {
        stage.status = step(r, k);
        if (stage.status != Status::Ok) return stage;
    }
    pressure_constant(r, k);
    return stage;
}

ZoneFactors zone_factors(const RunRecord& r, const MotionCoefficients& k, float y) {
    if (y >= 1.0f) return outer_zone(k, y);
    if (y >= r.XU) return ring_zone(r, k, y);
    return core_zone(r, k, y);
}

Status motion_profiles(RunRecord& r, const MotionCoefficients& k, Messages& messages) {
    // A step that is not positive never reaches the wall.
    if (r.DRK <= 0.0f) return Status::BadStep;
    const double pd = k.PD;
    const double gam = k.GAM;
    int last = 0;
    // Every node with r <= RK (no tolerance beyond the wall), at most 400.
    for (int i = 1;; ++i) {
        const float rad = node_radius(i, r.DRK);
        if (rad > r.RK) break;
        if (i > kNodes) {
            messages.motion_nodes_exceeded();
            r.nodes_cut = true;
            break;
        }
        const double s = static_cast<double>(rad) / r.R1;
        const ZoneFactors z = zone_factors(r, k, store(s * s));
        r.V[i - 1] = rad != 0.0f ? store(gam * z.FV / rad) : 0.0f;
        r.P[i - 1] = store(pd * z.FPR);
        last = i;
    }
    r.NK = last;
    return Status::Ok;
}

void motion_derived_values(RunRecord& r, const MotionCoefficients& k) {
    const double pd = k.PD;
    r.P0 = r.P[0];
    {
        const double rk = r.RK, r1 = r.R1;
        r.PK = store(pd * outer_zone(k, store(rk * rk / (r1 * r1))).FPR);
        r.P1 = store(pd * outer_zone(k, 1.0f).FPR);
    }
    r.VMAX = 0.0f;
    r.RP = 0.0f;
    r.pressure_zero_missed = true;
    int peak = 0;
    const double drk = r.DRK;
    for (int i = 1; i <= r.NK; ++i) {
        if (i > 1) {
            const double p = r.P[i - 1], before = r.P[i - 2];
            if (p * before <= 0.0) {
                // Zero crossing of the pressure between nodes i - 1 and i; the
                // outermost one wins.  Two nodes both exactly at zero give the
                // outer node's radius.
                if (p == 0.0 && before == 0.0)
                    r.RP = node_radius(i, r.DRK);
                else
                    r.RP = store((static_cast<float>(i - 1) - std::fabs(p / (p - before))) * drk);
                r.pressure_zero_missed = false;
            }
        }
        if (r.V[i - 1] >= r.VMAX) {
            r.VMAX = r.V[i - 1];
            peak = i;
        }
    }
    r.RV = node_radius(peak, r.DRK);
}

Status solve_motion(RunRecord& r, Messages& messages) {
    const CoefficientStage stage = motion_coefficients(r);
    if (stage.status != Status::Ok) return stage.status;
    if (!solvable(stage.k)) {
        // Too weak a flow for the solution: the profiles are left empty.
        messages.flow_too_small();
        r.motion_unsolved = true;
        return Status::Ok;
    }
    r.V1 = stage.k.V1;
    const Status status = motion_profiles(r, stage.k, messages);
    if (status != Status::Ok) return status;
    motion_derived_values(r, stage.k);
    return Status::Ok;
}

}  // namespace vortex_chamber
