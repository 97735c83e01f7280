// Two closing corrections: the analytic vortex refined by the power law
// V*R**N = const, and P0, PK, VMAX corrected for the height of the outlet by
// factors tabulated over the relative height H/(2*R1).
#pragma once

#include <array>

#include "run_record.h"
#include "status.h"

namespace vortex_chamber {

// A correction table: relative height XT (rising), factor YT.
struct HeightTable {
    std::array<float, 8> XT;
    std::array<float, 8> YT;
};
extern const HeightTable kP0Table;
extern const HeightTable kPKTable;
extern const HeightTable kVMAXTable;

// TABINT: linear interpolation of the factor at X.  X >= 10 (the last
// abscissa of every table) gives the last factor; X below the first abscissa
// gives the first.
float interpolate_table(const HeightTable& table, float X);

// N, V1_N, VMAX_N, PK_N and PVXOD_N (analytic vortex only).  Returns
// NegativeZeroPressureRadius, before its real power, for RP < 0.
Status power_law_refinement(RunRecord& r);

// P0_H, PK_H and VMAX_H from P0, PK and VMAX.
void height_correction(RunRecord& r);

}  // namespace vortex_chamber
