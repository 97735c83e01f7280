// What solve and optimize share: an input's range as a person writes it, a
// result by name, and one case computed at held values.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "swirl/design/lattice.h"
#include "swirl/model/model.h"

namespace swirl {

// NAME=LO:HI or NAME=LO:HI:log: LO and HI plain decimals (parse_plain_decimal).
// UsageError: no '=', an empty name, not two or three parts, a third part
// other than "log".  The name is checked against a program by held_range().
struct Range {
    std::string name;
    double lo = 0, hi = 0;
    bool log = false;
};
Range parse_range(std::string_view text, std::string_view option);

// An input's range over its field's lattice: the held values from LO to HI
// (LO and HI compared as single-precision values; a bound the field holds
// outside the range gives way to the next held value within).  UsageError (naming `option`): no such input (a result named
// instead is told so), LO >= HI, a bound the field cannot hold, log with
// LO <= 0, bounds that hold one value only.
struct HeldRange {
    Range typed;
    std::size_t input = 0;
    Lattice lattice;
    Value lo, hi;                  // the first and the last held value of the range
    std::int64_t rank_lo = 0, rank_hi = 0;

    std::int64_t count() const { return rank_hi - rank_lo + 1; }
    // The held value nearest below point `x` of [0, 1] of the range (linear, or
    // on a log scale with :log), as the field holds it.
    std::int64_t rank_at(double x) const;
};
HeldRange held_range(const Calculator& calc, const Range& range, std::string_view option);

// The index of the result of that name (any case) in calc.results; a
// UsageError listing them otherwise (an input named instead is told so).
std::size_t result_index(const Calculator& calc, std::string_view name, std::string_view option);

// One case: valid (not the run's exit-3 line), and each result, with
// whether the run's path computed it.
struct Case {
    bool valid = false;
    std::vector<float> results;   // one per calc.results; NaN where not computed (or invalid)
    bool computed(std::size_t r) const { return valid && results[r] == results[r]; }
};

// Computes `inputs` into `out`, reusing `scratch`.
void compute_case(const Calculator& calc, std::span<const Value> inputs, calculators::Outcome& scratch, Case& out);

// What every study reports while it runs: the evaluations done of those it
// expects (the number may grow).  Called on the caller's thread.
using DesignProgress = std::function<void(std::int64_t done, std::int64_t expected)>;

// A value of an input for output: the field's text and the exact value.
struct Shown {
    Value value;
    std::string printed;  // as the report prints it (UTF-8)
};
Shown shown(const Field& field, const Value& value);

// The value text for messages and JSON: the integer, or shortest().
std::string exact_text(const Field& field, const Value& value);

}  // namespace swirl
