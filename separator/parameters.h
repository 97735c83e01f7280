// Flow and particle parameters of the separator, from the inputs up to the
// Stokes parameter SPC, and the parameters of the quadratic drag regime.
#pragma once

#include <initializer_list>
#include <string_view>

#include "run_record.h"

namespace separator {

// RK, QS, ALF, FVX, VVX, UK, V1, KVU, FTR, VK, U2, ROR, V2, the squares,
// LNSG, MU, MP, DE1 and SPC from the sixteen inputs (PI set).
KervaStatus compute_parameters(KervaRun& run);

// DE2, SP2C, KS2C, BETA1 and BETA2 (after compute_parameters, SPC < 10).
KervaStatus compute_quadratic_parameters(KervaRun& run);

// The console line (code page 866) that names the inputs at fault.
std::string_view failure_message(KervaStatus status);

// Shorthands of the computation: a float (a constant of the text or a stored
// value) widened to double, and the test that stored results are finite.
constexpr double lit(float v) { return static_cast<double>(v); }
bool all_finite(std::initializer_list<float> values);

}  // namespace separator
