// Flow and particle parameters of the separator, from the inputs up to the
// Stokes parameter SPC, and the parameters of the quadratic drag regime.
#pragma once

#include "run_record.h"
#include "status.h"

namespace separator {

// RK, QS, ALF, FVX, VVX, UK, V1, KVU, FTR, VK, U2, ROR, V2, the squares,
// LNSG, MU, MP, DE1 and SPC from the sixteen inputs (PI set).
Status compute_parameters(KervaRun& run);

// DE2, SP2C, KS2C, BETA1 and BETA2 (after compute_parameters, SPC < 10).
Status compute_quadratic_parameters(KervaRun& run);

}  // namespace separator
