// ZARN1 as a library: its Calculator, made from its steps (run.cpp) by the
// template that the three programs share (calculators/program.h).
#pragma once

#include "calculators/calculator.h"

namespace vortex_chamber {

// ZARN1 for a tool: its tables, example, and steps in memory or on any path.
// Calculator::compute fills Outcome::tables on request with the profiles
// {r, V, P} over the NK nodes and {r, U, W} over the NITA nodes.
const calculators::Calculator& calculator();

}  // namespace vortex_chamber
