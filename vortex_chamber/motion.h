// Closed-form solution of the equations of motion of the viscous gas for the
// tangential velocity V and the pressure P (NVS not 0).  The coefficients are
// formed once from the integral parameters; V and P then follow node by node
// from the zone of the radius: core inside RU, ring RU..R1, outer zone beyond.
#pragma once

#include <cstdint>

#include "run_record.h"
#include "status.h"

namespace vortex_chamber {

// X**(-A) with the exponent held within +-87, so that no power overflows;
// 0 for X = 0.
float POWNEG(float X, float A);

// The power term ZU at or above which the forms for a strong power are used.
inline constexpr float kBig = 1.0E15f;

// Working values of the solution.
struct MotionCoefficients {
    float F2 = 0, FP = 0, BM = 0;
    float E1 = 0, E2 = 0, E3 = 0, E4 = 0, E5 = 0, E6 = 0, E7 = 0, E8 = 0, E9 = 0;
    float ZU = 0, CV = 0, DV = 0, GV = 0, GAM = 0;
    std::int32_t KS = 0, KS2 = 0;
    float Y1 = 0, Y2 = 0, Y3 = 0;
    float H1 = 0, A1 = 0, A2 = 0, A3 = 0, A4 = 0, A5 = 0, A6 = 0, A7 = 0, A8 = 0, A9 = 0, A10 = 0,
          A11 = 0, A12 = 0, A13 = 0, A14 = 0, A15 = 0;
    float PD = 0, T1 = 0, T2 = 0, B1 = 0, B2 = 0;
    float B3 = 0, B4 = 0, B5 = 0, B6 = 0, B7 = 0, B8 = 0, B9 = 0, B10 = 0, B11 = 0, B12 = 0, CP = 0;
};

// Velocity factor FV and pressure factor FPR at y = (r/R1)**2.
struct ZoneFactors {
    float FV = 0;
    float FPR = 0;
};
ZoneFactors zone_factors(const RunRecord& r, const MotionCoefficients& k, float y);

// The whole solution.  With F2 <= 2 it writes its message and changes nothing;
// otherwise it sets V1, NK, V, P, P0, PK, P1, VMAX, RV and RP.  Returns a
// status other than Ok, right before the operation that would fail, for a
// zero divisor of its own (E2 = 0, ZU*E6 = 1 with NVS = 2), a KS beyond the
// integers, or DRK <= 0 where the node stage begins; overflow is left to the
// caller's check of the floating-point flags.
Status solve_motion(RunRecord& r, Messages& messages, MotionCoefficients* out = nullptr);

}  // namespace vortex_chamber
