// Two closing corrections: the analytic vortex refined by the power law
// V*R**N = const, and P0, PK, VMAX corrected for the height of the outlet by
// factors tabulated over the relative height H/(2*R1).
#pragma once

#include "run_record.h"
#include "status.h"

namespace vortex_chamber {

// Linear interpolation in a table of NT points with rising abscissas XT.
// X >= 10 (the last abscissa of every table) gives YT(NT); X below the first
// abscissa gives YT(1).
float TABINT(float X, const float* XT, const float* YT, int NT);

// N, V1_N, VMAX_N, PK_N and PVXOD_N (analytic vortex only).  Returns
// NegativeZeroPressureRadius, before its real power, for RP < 0.
Status power_law(RunRecord& r);

// P0_H, PK_H and VMAX_H from P0, PK and VMAX.
void height_correction(RunRecord& r);

// The correction tables: relative height, factor.
struct HeightTable {
    float XT[8];
    float YT[8];
};
extern const HeightTable kP0Table;
extern const HeightTable kPKTable;
extern const HeightTable kVMAXTable;

}  // namespace vortex_chamber
