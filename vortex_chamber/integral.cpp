#include "integral.h"

#include <cmath>

#include "numerics/single.h"

namespace vortex_chamber {

using numerics::lit;
using numerics::rpow;
using numerics::store;

void flow_rate(RunRecord& r) { r.Q = store(static_cast<double>(r.G) / r.RO); }

void swirl_parameter(RunRecord& r) {
    const double pi = r.PI;
    r.PSI = store(r.PSIVX * pi / 180.0);
    r.MA = store(r.FVX / (std::sin(static_cast<double>(r.PSI)) * r.R1 * pi * r.RK));
}

void estimate_rv(RunRecord& r) {
    // A weakly swirled flow peaks at the outlet edge; a strong swirl draws the
    // peak inwards, down to a fifth of the outlet radius.
    if (r.MA < 0.122f)
        r.RV = r.R1;
    else if (r.MA < 3.06f)
        r.RV = store(lit(0.35f) * r.R1 / std::sqrt(static_cast<double>(r.MA)));
    else
        r.RV = store(lit(0.2f) * r.R1);
}

void mean_velocities(RunRecord& r) {
    const double pi = r.PI;
    const double q = r.Q;
    r.UK = store(-q / (2.0 * pi * r.RK * r.L));
    r.U1 = store(-q / (2.0 * pi * r.R1 * r.L));
    r.WSR1 = store(q / (pi * (static_cast<double>(r.R1) * r.R1)));
}

void zero_pressure_radius(RunRecord& r, Messages& messages) {
    const float T = store(1.0 / r.MA);
    if (T > 0.42f) {
        r.RP = store((lit(0.67f) - lit(0.27f) / (static_cast<double>(rpow(T, lit(0.8f))) - lit(0.1f))) * r.R1);
    } else {
        r.RP = 0.0f;
        messages.zero_pressure_radius();
    }
}

void inlet_velocity(RunRecord& r) {
    r.VWX = store(std::sin(static_cast<double>(r.PSI)) * r.Q / r.FVX);
    r.REI = store(static_cast<double>(r.VWX) * r.RK / r.NU);
}

void wall_swirl(RunRecord& r) {
    if (r.VID == 1) {
        r.ALFA = 1.0f;
    } else {
        // A short or end-face swirler loses part of its tangential velocity
        // when its jets are much faster than the mean radial inflow.
        r.RATIO = store(r.VWX / (-static_cast<double>(r.UK)));
        r.ALFA = r.RATIO < 82.0f ? 1.0f : store(20.0 * static_cast<double>(rpow(r.RATIO, lit(-0.68f))));
    }
    r.VK = store(static_cast<double>(r.ALFA) * r.VWX);
    r.K = store(std::fabs(static_cast<double>(r.VK) / r.UK));
}

float solve_swirl_cubic(float A, float MA) {
    const double a = A;
    const float p = store(-(a * a) / 4.0);
    const float q = store(-(a * a * a) / (8.0 * std::sqrt(2.0) * MA));
    const double p3 = static_cast<double>(p) / 3.0;
    const double q2 = static_cast<double>(q) / 2.0;
    const float D = store(p3 * p3 * p3 + q2 * q2);
    if (D > 0.0f) {
        // One real root (Cardano).
        const float C3 = store(1.0 / 3.0);
        const double s = std::sqrt(static_cast<double>(D));
        return store(static_cast<double>(rpow(-q2 + s, C3)) + static_cast<double>(rpow(-q2 - s, C3)));
    }
    // Three real roots: the largest, by the trigonometric form.
    const float m = store(2.0 * std::sqrt(-p3));
    const float t = store(-static_cast<double>(q) / (2.0 * std::sqrt(-(p3 * p3 * p3))));
    const double td = t;
    const float phi = store(std::atan2(std::sqrt(1.0 - td * td), td));
    return store(static_cast<double>(m) * std::cos(static_cast<double>(phi) / 3.0));
}

void zero_radial_velocity_radius(RunRecord& r) {
    r.M = solve_swirl_cubic(r.PI, r.MA);
    r.XU = store(1.0 - static_cast<double>(r.PI) / (2.0 * r.M));
    r.RU = store(std::sqrt(static_cast<double>(r.XU)) * r.R1);
}

void inlet_pressure(RunRecord& r) {
    const double v = static_cast<double>(r.Q) / r.FVX;
    r.PVXOD = store(lit(0.75f) * r.RO * (v * v) + r.PK);
}

}  // namespace vortex_chamber
