// Solve for an input: the pairs of neighbouring held values of one input
// between which a result passes a target, every other input as the data file
// holds it.
//
// Every result is a step function of an input, since the input's field holds
// a finite ordered set of values (lattice.h).  A crossing is a pair of
// neighbouring held values (no held value between them) whose results lie on
// different sides of the target: one below and one above, or one equal to it
// and the other not.  The target is compared as a single-precision value, as
// the results are.  A case that is invalid (the run's exit-3 line) or whose
// path does not compute the result is a gap: a change of side across gaps is
// told apart (across_invalid), never as a crossing.
//
// The search scans `scan` points of the range (evenly, or evenly on a log
// scale), each as the field holds it, then bisects each bracket over the
// lattice down to neighbours, and finds the edges of the gaps the scan meets
// in the same way.  Crossings closer together than the scan step may be
// missed; scan = kScanAll evaluates every held value of the range (exact).
// Each held value is computed once.
//
//   swirl::SolveProblem p{&calc, file.inputs(), swirl::parse_range("Q=1e-4:1e-2:log", "--find"),
//                         swirl::parse_target("HO=0.2")};
//   const swirl::SolveResult r = swirl::solve(p);
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "swirl/design/terms.h"

namespace swirl {

// RESULT=VALUE, VALUE a plain decimal.  UsageError otherwise.
struct Target {
    std::string name;
    double value = 0;
};
Target parse_target(std::string_view text);

struct SolveProblem {
    const Calculator* calc = nullptr;
    std::vector<Value> base;  // every input as the data file holds it
    Range find;
    Target target;
    static constexpr std::int64_t kScanAll = 0;
    static constexpr std::int64_t kScanAllLimit = 100'000'000;
    std::int64_t scan = 1000;  // points scanned, at least 2; kScanAll: every held value
    unsigned jobs = 0;         // threads of the scan (0: one per core)
};

struct SolvePoint {
    Shown input;
    float result = 0;     // RESULT there
};

struct Crossing {
    SolvePoint lower, upper;
    bool upper_nearer = false;  // the upper result is nearer to the target (ties: the lower)
    bool exact = false;         // one of the results equals the target
};

struct SolveResult {
    enum class Status { Ok, None, Invalid };
    Status status = Status::None;  // Invalid: every case computed was invalid
    std::size_t input = 0, result = 0;  // indices into calc.inputs and calc.results
    Shown lo, hi;                  // the first and the last held value of the range
    float target = 0;
    std::int64_t held_values = 0;  // in the range
    std::int64_t scanned = 0;      // points of the scan (distinct held values)
    std::int64_t evaluations = 0;  // held values computed
    bool every_value = false;      // the scan took every held value
    std::vector<Crossing> crossings;       // in the order of the input
    std::vector<Crossing> across_invalid;  // lower and upper: the valid values on each side of the gap
    // Without a crossing: the held value whose result is nearest to the
    // target, and the range of the results seen (none when no case computed
    // the result).
    std::optional<SolvePoint> nearest;
    float result_min = 0, result_max = 0;
    bool cancelled = false;
};

// UsageError for a request that cannot be accepted: an unknown input or
// result, LO >= HI, a bound its field cannot hold, log with LO <= 0, a scan of
// fewer than 2 points, a full scan of more than kScanAllLimit values.
// `progress` gets the evaluations done; `cancel` is polled between them.
SolveResult solve(const SolveProblem& problem, const DesignProgress& progress = {},
                  const std::atomic<bool>* cancel = nullptr);

}  // namespace swirl
