// Integral flow parameters of the vortex chamber: flow rate, swirl
// parameters, characteristic radii and velocities, Reynolds number and the
// pressure before the swirler.  Each function is one step of the run.
#pragma once

#include "messages.h"
#include "run_record.h"
#include "status.h"

namespace vortex_chamber {

// Q = G/RO.
void flow_rate(RunRecord& r);
// PSI in radians and the design swirl parameter МА.
void swirl_parameter(RunRecord& r);
// First estimate of RV from МА (R1, 0.35*R1/sqrt(МА) or 0.2*R1).
void estimate_rv(RunRecord& r);
// UK, U1 (inward, negative) and WSR1.
void mean_velocities(RunRecord& r);
// Estimate of RP for 1/МА > 0.42; otherwise RP = 0 and the console is told.
void zero_pressure_radius(RunRecord& r, Messages& messages);
// VWX and REI.
void inlet_velocity(RunRecord& r);
// ALFA, VK and К.
void wall_swirl(RunRecord& r);
// CUBIC: the largest real root of M**3 - A**2/4*M - A**3/(8*sqrt(2)*МА) = 0.
float solve_swirl_cubic(float A, float MA);
// М = solve_swirl_cubic(PI, МА), XU = 1 - PI/(2М) and RU = sqrt(XU)*R1.
void zero_radial_velocity_radius(RunRecord& r);
// PVXOD from the inlet dynamic pressure and PK.
void inlet_pressure(RunRecord& r);

}  // namespace vortex_chamber
