// Radial profiles of the vortex chamber on the grid r(i) = (i - 1)*DRK.
#pragma once

#include <cstdint>

#include "messages.h"
#include "run_record.h"
#include "status.h"

namespace vortex_chamber {

// Shape of the analytic vortex, S = 1.4*F/x with F = 1 - exp(E) (F = 1 once
// |E| >= 7), for the relative radius x and the exponent E = -1.251*x**2 as the
// caller has formed it.
float vortex_shape(float x, float E);

// Analytic V and P over 0..RK (analytic vortex): VMAX, NK, V, V1, P, P0, P1, PK.
// Writes the 400-node message when the chamber needs more nodes.  Returns
// BadStep, after VMAX and before the grid, when DRK <= 0.
Status analytic_profiles(RunRecord& r, Messages& messages);

// PROFUW: radial and axial velocity over 0..R1, U and W at nodes 1..NITA,
// NITA <= 399.
void outlet_profiles(float U1, float R1, float L, float M, float DRK, float RU, float PI, Profile& U,
                     Profile& W, std::int32_t& NITA);

}  // namespace vortex_chamber
