#include "refinements.h"

#include <cstddef>

#include "numerics/single.h"

namespace vortex_chamber {

using numerics::lit;
using numerics::rpow;
using numerics::store;

// Measured factors over the relative outlet height H/(2*R1).
const HeightTable kP0Table{{0.0f, 1.0f, 1.75f, 3.5f, 4.0f, 5.0f, 6.0f, 10.0f},
                           {0.3f, 1.0f, 1.32f, 1.02f, 0.95f, 0.87f, 0.85f, 0.83f}};
const HeightTable kPKTable{{0.0f, 0.75f, 1.0f, 1.5f, 1.85f, 3.0f, 5.0f, 10.0f},
                           {0.95f, 0.975f, 1.0f, 1.3f, 1.325f, 1.275f, 1.21f, 1.2f}};
const HeightTable kVMAXTable{{0.0f, 1.0f, 1.75f, 2.5f, 4.0f, 5.0f, 6.0f, 10.0f},
                             {0.8f, 1.0f, 1.057f, 1.04f, 0.92f, 0.875f, 0.86f, 0.86f}};

float interpolate_table(const HeightTable& t, float X) {
    if (X >= 10.0f) return t.YT.back();
    for (std::size_t k = 0; k + 1 < t.XT.size(); ++k) {
        if (t.XT[k] <= X && X < t.XT[k + 1]) {
            return store(t.YT[k] + (static_cast<double>(X) - t.XT[k]) *
                                       (static_cast<double>(t.YT[k + 1]) - t.YT[k]) /
                                       (static_cast<double>(t.XT[k + 1]) - t.XT[k]));
        }
    }
    // Below the first abscissa (a negative height): the factor of zero height.
    return t.YT.front();
}

Status power_law_refinement(RunRecord& r) {
    const double k = r.K;
    r.N = rpow(k * k * r.RK * lit(0.0002f) / r.L + 1.0, lit(-0.5f));
    r.V1_N = store(r.VK * static_cast<double>(rpow(static_cast<double>(r.RK) / r.R1, r.N)));
    const float x = store(static_cast<double>(r.R1) / r.RV);
    const double xd = x;
    r.VMAX_N = store(r.V1_N / (2.0 * xd / (xd * xd + 1.0)));
    // The squares are real powers: a negative RP (1/МА just above 0.42) has none.
    if (r.RP < 0.0f) return Status::NegativeZeroPressureRadius;
    const double rp2 = rpow(r.RP, 2.0);
    const double rv2 = rpow(r.RV, 2.0);
    const double rk2 = rpow(r.RK, 2.0);
    const double vmax = r.VMAX_N;
    r.PK_N = store(2.0 * r.RO * (vmax * vmax) * (1.0 / (rp2 / rv2 + 1.0) - 1.0 / (rk2 / rv2 + 1.0)));
    if (store(static_cast<double>(r.R1) / r.RK) > 0.05f) {
        const double v = static_cast<double>(r.Q) / r.FVX;
        r.PVXOD_N = store(lit(0.75f) * r.RO * (v * v) + r.PK_N);
    } else {
        r.PVXOD_N = r.PVXOD;
    }
    return Status::Ok;
}

void height_correction(RunRecord& r) {
    const float XH = store(static_cast<double>(r.H) / (2.0 * r.R1));
    r.P0_H = store(static_cast<double>(interpolate_table(kP0Table, XH)) * r.P0);
    r.PK_H = store(static_cast<double>(interpolate_table(kPKTable, XH)) * r.PK);
    r.VMAX_H = store(static_cast<double>(interpolate_table(kVMAXTable, XH)) * r.VMAX);
}

}  // namespace vortex_chamber
