#include "motion.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "numerics/single.h"

namespace vortex_chamber {

using numerics::store;

namespace {

float node_radius(int i, float DRK) { return store(static_cast<double>(static_cast<float>(i - 1)) * DRK); }

// The outer zone, y >= 1 (r >= R1): a free vortex slowed by viscosity.
ZoneFactors outer_zone(const MotionCoefficients& k, float y) {
    const double yd = y;
    const float Q1 = POWNEG(y, k.E1);
    const float Q2 = POWNEG(y, k.E7);
    ZoneFactors z;
    z.FV = store((1.0 - Q1) * static_cast<double>(k.A9) + 1.0);
    z.FPR = store((1.0 - Q1 / yd) * k.A11 + (1.0 - 1.0 / yd) * k.A10 + (k.CP + 1.0 - 1.0 / yd) +
                  (1.0 - Q2) * static_cast<double>(k.A12));
    return z;
}

}  // namespace

float POWNEG(float X, float A) {
    if (X == 0.0f) return 0.0f;
    float e = store(-static_cast<double>(A) * std::log(static_cast<double>(X)));
    if (std::fabs(e) > 87.0f) e = store(87.0 * e / std::fabs(static_cast<double>(e)));
    return store(std::exp(static_cast<double>(e)));
}

ZoneFactors zone_factors(const RunRecord& r, const MotionCoefficients& k, float y) {
    const double yd = y;
    const double xu = r.XU;
    ZoneFactors z;
    if (y >= 1.0f) return outer_zone(k, y);

    if (y >= r.XU) {
        // Ring RU <= r < R1: the flow leaves through the outlet.
        if (y == 0.0f) {
            z.FV = 0.0f;
            z.FPR = store(k.CP + 1.0 - std::sin(static_cast<double>(r.M)) * k.A4);
            return z;
        }
        float D1;
        if (k.ZU >= kBig && r.XU != 0.0f) {
            const float YR = store(yd / xu);
            const float Q3 = POWNEG(YR, k.E2);
            const float Q4 = POWNEG(YR, k.E5);
            z.FV = store(1.0 - static_cast<double>(Q3) * k.B2);
            D1 = store(static_cast<double>(k.B5) * Q4 - static_cast<double>(k.B6) * Q3 / YR);
        } else {
            const float Q3 = POWNEG(y, k.E2);
            const float Q4 = POWNEG(y, k.E5);
            z.FV = store(1.0 - (Q3 - 1.0) * k.A13);
            D1 = store(((Q4 - 1.0) * k.A6 - (Q3 / yd - 1.0) * k.A7) * k.A5);
        }
        const float AN = store((1.0 - yd) * r.M);
        const double an = AN;
        const double cos_an = std::cos(an);
        z.FPR = store(k.CP + 1.0 - cos_an * cos_an / yd - std::sin(an) * k.A4 -
                      (1.0 / yd - 1.0) * k.A8 - D1);
        return z;
    }

    // Core r < RU.
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
        const float Q5 = POWNEG(YR, k.E4);
        z.FV = store(static_cast<double>(Q5) * k.B1);
        const float Q6 = POWNEG(YR, k.E9);
        D2 = store(-(1.0 - Q6) * k.B8);
    } else {
        const float Q5 = POWNEG(y, k.E4);
        z.FV = store(static_cast<double>(Q5) * k.A1);
        const float Q6 = POWNEG(YR, k.E9);
        D2 = store(-(1.0 - Q6) * k.A15);
    }
    const double bn = static_cast<double>(store(static_cast<double>(k.B4) * yd));
    const double sin_bn = std::sin(bn);
    z.FPR = store(-sin_bn * sin_bn * k.A14 / yd + (std::cos(bn) + 1.0) * k.A4 + D2);
    return z;
}

Status solve_motion(RunRecord& r, Messages& messages, MotionCoefficients* out) {
    MotionCoefficients k;
    const double pi = r.PI;
    const double m = r.M;
    const double xu = r.XU;

    k.F2 = store(r.Q / (2.0 * pi * r.L * r.NU));
    if (k.F2 <= 2.0f) {
        // Too weak a flow for the solution: the profiles are left empty.
        messages.flow_too_small();
        if (out) *out = k;
        return Status::Ok;
    }

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

    const double e2 = k.E2, e6 = k.E6;
    if (r.XU == 0.0f) {
        k.ZU = 0.0f;
        k.CV = 0.0f;
    } else {
        // E2 = 0 makes ZU = 1, and CV divides by E2 (by ZU*E6 - 1 = 0 with NVS = 2).
        if (k.E2 == 0.0f) return Status::F2EqualsPi;
        k.ZU = POWNEG(r.XU, k.E2);
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
    }

    // Tangential velocity at R1 from the wall velocity, and the swirl ratio.
    {
        const double rk_r1 = static_cast<double>(r.RK) / r.R1;
        const float x = store(rk_r1 * rk_r1);
        k.GV = store((1.0 - POWNEG(x, k.E1)) * static_cast<double>(k.CV) / k.E1 + 1.0);
    }
    r.V1 = store(static_cast<double>(r.VK) * r.RK / (static_cast<double>(r.R1) * k.GV));
    k.GAM = store(static_cast<double>(r.V1) * r.R1);
    {
        const double ratio = r.V1 / std::fabs(static_cast<double>(r.U1));
        if (!std::isfinite(ratio)) return Status::Overflow;
        if (!(std::fabs(ratio) < 2147483648.0)) return Status::SwirlRatioRange;
        k.KS = static_cast<std::int32_t>(ratio);  // truncated toward zero
        const std::int64_t square = static_cast<std::int64_t>(k.KS) * k.KS;
        if (square > std::numeric_limits<std::int32_t>::max()) return Status::SwirlRatioRange;
        k.KS2 = static_cast<std::int32_t>(square);
    }
    // Integers enter the products as reals.
    const double ks = static_cast<float>(k.KS);
    const double ks2 = static_cast<float>(k.KS2);

    k.Y1 = POWNEG(r.XU, store(static_cast<double>(k.E3) + k.E2));
    k.Y2 = POWNEG(r.XU, k.E5);
    k.Y3 = POWNEG(r.XU, k.E9);

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

    if (r.XU != 0.0f) {
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
    } else {
        k.CP = store(k.A4 - 1.0);
    }
    if (out) *out = k;

    // Node stage: every node with r <= RK, at most 400.  A step that is not
    // positive never reaches the wall.
    if (r.DRK <= 0.0f) return Status::BadStep;
    const double pd = k.PD;
    const double gam = k.GAM;
    int last = 0;
    for (int i = 1;; ++i) {
        const float rad = node_radius(i, r.DRK);
        if (rad > r.RK) break;
        if (i > kNodes) {
            messages.motion_nodes_exceeded();
            break;
        }
        const double s = static_cast<double>(rad) / r.R1;
        const ZoneFactors z = zone_factors(r, k, store(s * s));
        r.V[i - 1] = rad != 0.0f ? store(gam * z.FV / rad) : 0.0f;
        r.P[i - 1] = store(pd * z.FPR);
        last = i;
    }
    r.NK = last;

    // Derived values.
    r.P0 = r.P[0];
    {
        const double rk = r.RK, r1 = r.R1;
        r.PK = store(pd * outer_zone(k, store(rk * rk / (r1 * r1))).FPR);
        r.P1 = store(pd * outer_zone(k, 1.0f).FPR);
    }
    r.VMAX = 0.0f;
    r.RP = 0.0f;
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
                    r.RP = store(static_cast<double>(static_cast<float>(i - 1)) * drk);
                else
                    r.RP = store((static_cast<float>(i - 1) - std::fabs(p / (p - before))) * drk);
            }
        }
        if (r.V[i - 1] >= r.VMAX) {
            r.VMAX = r.V[i - 1];
            peak = i;
        }
    }
    r.RV = store(static_cast<double>(static_cast<float>(peak - 1)) * drk);
    return Status::Ok;
}

}  // namespace vortex_chamber
