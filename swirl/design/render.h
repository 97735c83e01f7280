// What solve and optimize found, for a person (UTF-8 text) and as one JSON
// document; apart from the computation, so that every front end shows the
// same.
#pragma once

#include <nlohmann/json.hpp>

#include <string>

#include "swirl/design/optimize.h"
#include "swirl/design/solve.h"

namespace swirl {

// {program, file, find, target: {name, value}, range: [lo, hi], evaluations,
//  crossings: [{lower: {value, printed, result}, upper: {...}, nearer, exact}],
//  across_invalid: [...], status: "ok"|"none"|"invalid", scan, held_values,
//  nearest (without a crossing), results_seen: [min, max], note}
nlohmann::ordered_json solve_json(const Calculator& calc, const std::string& path, const SolveProblem& problem,
                                  const SolveResult& result);
std::string solve_text(const Calculator& calc, const std::string& path, const SolveProblem& problem,
                       const SolveResult& result);

// {program, file, status: "ok"|"infeasible", objective: {name, sense, value},
//  inputs: [{name, value, printed}], constraints: [{name, op, limit, value,
//  slack, active}], certificate: [{name, direction, value, printed, status,
//  objective}], evaluations, seed, violation (infeasible), note}
nlohmann::ordered_json optimize_json(const Calculator& calc, const std::string& path, const OptimizeProblem& problem,
                                     const OptimizeResult& result);
std::string optimize_text(const Calculator& calc, const std::string& path, const OptimizeProblem& problem,
                          const OptimizeResult& result);

}  // namespace swirl
