// BILM as a library: its Calculator, made from its steps (run.cpp) by the
// template that the three programs share (calculators/program.h).
#pragma once

#include "calculators/calculator.h"

namespace drain_funnel {

// BILM for a tool: its tables, example, and steps in memory or on any path.
const calculators::Calculator& calculator();

}  // namespace drain_funnel
