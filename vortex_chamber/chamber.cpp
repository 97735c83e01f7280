// The chamber computation: the steps of a run from the input values to the
// refinements.
#include "chamber.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <initializer_list>
#include <span>

#include "integral.h"
#include "motion.h"
#include "numerics/single.h"
#include "profiles.h"
#include "refinements.h"

namespace vortex_chamber {

namespace {

// The first n nodes of two profiles, the nodes that a profile step stored,
// are finite.
bool profiles_finite(const Profile& a, const Profile& b, int n) {
    const auto count = static_cast<std::size_t>(std::clamp(n, 0, kNodes));
    return numerics::all_finite(std::span<const float>(a.data(), count)) &&
           numerics::all_finite(std::span<const float>(b.data(), count));
}

// The steps of one computation in the order of the run, in three stages.
// After each step any invalid operation or overflow so far ends the run: the
// flags record every such operation, and the values that the step stored are
// checked besides, each once, after the step that stored it.
//
// Every check of an input value sits right before the first operation that
// the value makes invalid: the run stops where its arithmetic would stop, and
// each message of the steps before that operation (the RP message, the
// 400-node messages, the F2 message) is written first.  A step that refuses a
// value returns before that operation; an operation of the step that failed
// before that point is the one that ends the run.
class ChamberComputation {
public:
    ChamberComputation(RunRecord& r, const Messages& messages)
        : r_(r), messages_(messages.until_failure(guard_)) {}

    // Q, МА, RV, UK, U1, WSR1, RP, VWX, REI, ALFA, VK and К.
    Status integral_parameters() {
        RunRecord& r = r_;
        r.PI = kPi;

        if (r.RO == 0.0f) return Status::ZeroDensity;  // Q = G/RO
        flow_rate(r);
        if (failed({r.Q})) return Status::Overflow;

        // МА = FVX/(sin(PSI)*R1*PI*RK).  A zero FVX gives МА = 0 without failing.
        if (r.R1 == 0.0f) return Status::ZeroOutletRadius;
        if (r.RK == 0.0f) return Status::ZeroChamberRadius;
        if (std::fmod(r.PSIVX, 180.0f) == 0.0f) return Status::NoSwirl;
        swirl_parameter(r);
        if (failed({r.PSI, r.MA})) return Status::Overflow;

        estimate_rv(r);
        if (r.L == 0.0f) return Status::ZeroHeight;  // UK and U1 divide by L
        mean_velocities(r);
        if (failed({r.RV, r.UK, r.U1, r.WSR1})) return Status::Overflow;

        if (r.NVS != 1) {
            if (r.FVX == 0.0f) return Status::ZeroSwirlerArea;  // T = 1/МА
            zero_pressure_radius(r, messages_);
            if (failed({r.RP})) return Status::Overflow;
        }

        if (r.FVX == 0.0f) return Status::ZeroSwirlerArea;  // VWX divides by FVX
        if (r.NU == 0.0f) return Status::ZeroViscosity;     // REI divides by NU
        inlet_velocity(r);
        if (failed({r.VWX, r.REI})) return Status::Overflow;
        if (r.Q == 0.0f) return Status::ZeroFlow;  // RATIO or К is 0/0
        wall_swirl(r);
        if (failed({r.RATIO, r.ALFA, r.VK, r.K})) return Status::Overflow;
        return Status::Ok;
    }

    // V and P: the analytic vortex (NVS = 0), М, XU and RU, or the solution of
    // the equations of motion (NVS not 0).
    Status tangential_velocity_and_pressure() {
        RunRecord& r = r_;
        if (r.NVS == 0) {
            // Refuses DRK <= 0 where its grid begins.
            const Status s = analytic_profiles(r, messages_);
            if (failed({r.VMAX, r.V1, r.P0, r.P1, r.PK}) || !profiles_finite(r.V, r.P, r.NK))
                return Status::Overflow;
            if (s != Status::Ok) return s;
        }

        // A negative МА leaves the cubic without a root above PI/2 (a negative
        // base of the real power, or a negative XU under the root).
        if (r.MA < 0.0f) return Status::NegativeSwirl;
        zero_radial_velocity_radius(r);
        if (failed({r.M, r.XU, r.RU})) return Status::SwirlRootUndefined;

        if (r.NVS != 0) {
            // Refuses DRK <= 0 where its grid begins, after the F2 test.
            const Status s = solve_motion(r, messages_);
            if (failed({r.V1, r.P0, r.PK, r.P1, r.VMAX, r.RV, r.RP}) || !profiles_finite(r.V, r.P, r.NK))
                return Status::Overflow;
            if (s != Status::Ok) return s;
        }
        return Status::Ok;
    }

    // U and W, PVXOD, the power-law refinement (NVS = 0) and the height
    // correction.
    Status outlet_flow_and_refinements() {
        RunRecord& r = r_;
        // Reached with DRK <= 0 only when the solution stopped at its F2 test.
        if (r.DRK <= 0.0f) return Status::BadStep;
        outlet_profiles(r.U1, r.R1, r.L, r.M, r.DRK, r.RU, r.PI, r.U, r.W, r.NITA);
        if (failed({}) || !profiles_finite(r.U, r.W, r.NITA)) return Status::Overflow;

        inlet_pressure(r);
        if (failed({r.PVXOD})) return Status::Overflow;

        if (r.NVS == 0) {
            const Status s = power_law_refinement(r);
            if (failed({r.N, r.V1_N, r.VMAX_N, r.PK_N, r.PVXOD_N})) return Status::Overflow;
            if (s != Status::Ok) return s;
        }
        height_correction(r);
        if (failed({r.P0_H, r.PK_H, r.VMAX_H})) return Status::Overflow;
        return Status::Ok;
    }

private:
    bool failed(std::initializer_list<float> stored) const {
        return guard_.failed() || !numerics::all_finite(stored);
    }

    RunRecord& r_;
    numerics::ArithmeticGuard guard_;  // clears the flags: made before any step
    Messages messages_;                // the steps' messages, until the arithmetic fails
};

}  // namespace

Status compute_chamber(RunRecord& r, const Messages& messages) {
    ChamberComputation run(r, messages);
    Status s = run.integral_parameters();
    if (s == Status::Ok) s = run.tangential_velocity_and_pressure();
    if (s == Status::Ok) s = run.outlet_flow_and_refinements();
    return s;
}

}  // namespace vortex_chamber
