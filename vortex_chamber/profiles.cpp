#include "profiles.h"

#include <cmath>

#include "numerics/single.h"

namespace vortex_chamber {

using numerics::lit;
using numerics::store;

namespace {

// The shape at the relative radius x = R/RV of a named radius (RK, R1), with
// the exponent formed from the stored x.
float shape_at(float x) {
    const float E = store(-lit(1.251f) * (static_cast<double>(x) * x));
    return vortex_shape(x, E);
}

// V at the nodes 2.. up to 0.4*DRK beyond the wall, at most 400 nodes; NK.
void analytic_velocity(RunRecord& r, Messages& messages) {
    const double rv = r.RV;
    r.V[0] = 0.0f;
    // The last node may lie up to 0.4*DRK beyond the wall.
    const float bound = store(r.RK + lit(0.4f) * r.DRK);
    int last = 1;
    for (int i = 2; i <= kNodes + 1; ++i) {
        const float rad = node_radius(i, r.DRK);
        if (rad > bound) break;
        if (i > kNodes) {
            messages.analytic_nodes_exceeded();
            r.nodes_cut = true;
            break;
        }
        const double rr = rad;
        const float x = store(rr / rv);
        const float E = store(-(rr * rr * lit(1.251f) / (rv * rv)));
        r.V[i - 1] = store(static_cast<double>(r.VMAX) * vortex_shape(x, E));
        last = i;
    }
    r.NK = last;
}

// Pressure of the vortex, zero at RP: negative inside, positive outside.
void analytic_pressure(RunRecord& r) {
    const double rv = r.RV;
    const double rp = static_cast<double>(r.RP) / rv;
    const float C0 = store(1.0 / (rp * rp + 1.0));
    const double amplitude = 2.0 * r.RO * (static_cast<double>(r.VMAX) * r.VMAX);
    auto pressure = [&](double rad) {
        const double x = rad / rv;
        return store(amplitude * (static_cast<double>(C0) - 1.0 / (x * x + 1.0)));
    };
    r.P0 = pressure(0.0);
    r.P1 = pressure(r.R1);
    for (int i = 1; i <= r.NK; ++i) r.P[i - 1] = pressure(node_radius(i, r.DRK));
    r.P0 = r.P[0];
    r.PK = pressure(r.RK);
}

}  // namespace

float vortex_shape(float x, float E) {
    // Beyond |E| = 7 the exponential is below 1e-3 of F and is dropped.
    const float F = std::fabs(E) < 7.0f ? store(1.0 - std::exp(static_cast<double>(E))) : 1.0f;
    return store(lit(1.4f) * F / x);
}

Status analytic_profiles(RunRecord& r, Messages& messages) {
    // The wall velocity VK fixes the amplitude of the vortex.
    r.VMAX = store(r.VK / static_cast<double>(shape_at(store(r.RK / static_cast<double>(r.RV)))));
    // A step that is not positive never reaches the wall.
    if (r.DRK <= 0.0f) return Status::BadStep;
    analytic_velocity(r, messages);
    r.V1 = store(static_cast<double>(r.VMAX) * shape_at(store(r.R1 / static_cast<double>(r.RV))));
    analytic_pressure(r);
    return Status::Ok;
}

void outlet_profiles(float U1, float R1, float L, float M, float DRK, float RU, float PI, Profile& U,
                     Profile& W, std::int32_t& NITA) {
    const double u1 = U1, r1 = R1, l = L, m = M, pi = PI, ru = RU;
    const float bound = store(R1 + lit(0.4f) * DRK);
    int last = 0;
    // At most 399 nodes: the counter must stay below 400 to go on.
    for (int i = 1; i < kNodes; ++i) {
        const float rad = node_radius(i, DRK);
        if (rad > bound) break;
        const double rr = rad;
        if (rad > RU) {
            // Outer ring: the flow turns into the outlet.
            const float x = store(rr / r1);
            const float A = store((1.0 - static_cast<double>(x) * x) * m);
            U[i - 1] = store(u1 * (r1 / rr) * std::cos(static_cast<double>(A)));
            W[i - 1] = store(-std::sin(static_cast<double>(A)) * (2.0 * m / r1) * l * u1);
        } else if (RU == 0.0f) {
            // Only the axis can lie here.
            U[i - 1] = 0.0f;
            W[i - 1] = store(-std::sin(m) * (2.0 * m / r1) * l * u1);
        } else if (i == 1) {
            U[0] = 0.0f;
            W[0] = store(2.0 * m * l * u1 / r1);
        } else {
            // Core inside RU: the counterflow.
            const double s = rr / ru;
            const float B = store(pi * (s * s));
            const double b = B;
            U[i - 1] = store(-std::sin(b) * (ru * ru) * m * u1 / (pi * r1 * rr));
            W[i - 1] = store(std::cos(b) * m * l * u1 * 2.0 / r1);
        }
        last = i;
    }
    NITA = last;
}

}  // namespace vortex_chamber
