// Closed-form solution of the equations of motion of the viscous gas for the
// tangential velocity V and the pressure P (NVS not 0), in three stages: the
// coefficients, formed once from the integral parameters; the node stage, V
// and P node by node by the zone of the radius (core inside RU, ring RU..R1,
// outer zone beyond); and the values derived from the profiles.
#pragma once

#include <cstdint>

#include "messages.h"
#include "run_record.h"
#include "status.h"

namespace vortex_chamber {

// POWNEG: X**(-A) with the exponent held within +-87, so that no power
// overflows; 0 for X = 0.
float bounded_negative_power(float X, float A);

// The power term ZU at or above which the forms for a strong power are used.
inline constexpr float kBig = 1.0E15f;

// Working values of the solution, in the order they are formed.
struct MotionCoefficients {
    float F2 = 0, FP = 0, BM = 0;
    float E1 = 0, E2 = 0, E3 = 0, E4 = 0, E5 = 0, E6 = 0, E7 = 0, E8 = 0, E9 = 0;
    float ZU = 0, CV = 0, DV = 0, GV = 0;
    float V1 = 0;  // the record's V1, stored there when the coefficients are complete
    float GAM = 0;
    std::int32_t KS = 0, KS2 = 0;
    float Y1 = 0, Y2 = 0, Y3 = 0;
    float H1 = 0, A1 = 0, A2 = 0, A3 = 0, A4 = 0, A5 = 0, A6 = 0, A7 = 0, A8 = 0, A9 = 0, A10 = 0,
          A11 = 0, A12 = 0, A13 = 0, A14 = 0, A15 = 0;
    float PD = 0, T1 = 0, T2 = 0, B1 = 0, B2 = 0;
    float B3 = 0, B4 = 0, B5 = 0, B6 = 0, B7 = 0, B8 = 0, B9 = 0, B10 = 0, B11 = 0, B12 = 0, CP = 0;
};

// The solution needs F2 > 2; with a weaker flow only F2 is formed.
inline bool solvable(const MotionCoefficients& k) { return k.F2 > 2.0f; }

// Coefficient stage.  Returns, right before the operation that would fail,
// F2EqualsPi for E2 = 0, CounterflowDivisor for ZU*E6 = 1 with NVS = 2,
// SwirlRatioRange for a KS beyond the integers and Overflow for a swirl ratio
// that is not finite; overflow elsewhere is left to the caller's check of the
// floating-point flags.
struct CoefficientStage {
    Status status = Status::Ok;
    MotionCoefficients k;
};
CoefficientStage motion_coefficients(const RunRecord& r);

// Velocity factor FV and pressure factor FPR at y = (r/R1)**2.
struct ZoneFactors {
    float FV = 0;
    float FPR = 0;
};
ZoneFactors zone_factors(const RunRecord& r, const MotionCoefficients& k, float y);

// Node stage: V and P at every node with r <= RK, and NK; at most 400 nodes,
// with the console message when the chamber needs more.  Returns BadStep,
// before the first node, for DRK <= 0.
Status motion_profiles(RunRecord& r, const MotionCoefficients& k, Messages& messages);

// Derived values: P0 from the axis node, PK and P1 from the outer-zone formula
// at RK and R1, VMAX and RV from the peak of V, and RP from the outermost
// zero crossing of P.
void motion_derived_values(RunRecord& r, const MotionCoefficients& k);

// The whole solution.  With F2 <= 2 it writes its message and changes
// nothing; otherwise it sets V1, NK, V, P, P0, PK, P1, VMAX, RV and RP.
// Returns the first status other than Ok of its stages.
Status solve_motion(RunRecord& r, Messages& messages);

}  // namespace vortex_chamber
