// Optimise under constraints: the held values of some inputs, each within a
// box, that minimise or maximise one result while other results stay at or
// above, or at or below, their limits; every other input as the data file
// holds it.
//
// Every point computed is a point of the lattice (lattice.h): a candidate
// is put through each field as swirl set writes it.  A case that is invalid,
// or whose path does not compute the objective or a constrained result, is
// infeasible.  The stages:
//   1. an even grid over the box (m points an input, m^n within a fifth of
//      the budget), then a global search of NLopt's ISRES (an evolution
//      strategy with stochastic ranking of the constraint violation:
//      derivative-free, indifferent to the steps of the landscape,
//      constraints handled as such), seeded, from the best point so far, over
//      the box mapped to [0, 1] per input (on a log scale for a :log range);
//      when the box holds no more points than the budget, every point is
//      computed instead;
//   2. a local search of NLopt's COBYLA from the best feasible point;
//   3. a coordinate search over held values from there: each input one held
//      step up and down, the step doubled while it improves, until no
//      neighbour is feasible and better (without a feasible point, the same
//      from the point of least violation, towards less violation).
// The answer carries its certificate: every neighbour one held step up and
// one down.  The same problem and seed give the same answer.
//
// Stages 1 and 2 share `evaluations` (distinct held points computed; 60 %,
// the grid's share included, and the rest); stage 3 and the certificate come
// on top.  NLopt's random numbers are
// process-wide: the seeded stages of optimisations run at once take turns.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "swirl/design/terms.h"

namespace swirl {

// RESULT>=VALUE or RESULT<=VALUE.  UsageError otherwise.
struct Constraint {
    enum class Op { AtLeast, AtMost };
    std::string name;
    Op op = Op::AtLeast;
    double limit = 0;
};
Constraint parse_constraint(std::string_view text);
std::string_view op_text(Constraint::Op op);  // ">=", "<="

struct OptimizeProblem {
    static constexpr std::int64_t kDefaultEvaluations = 2000;
    const Calculator* calc = nullptr;
    std::vector<Value> base;  // every input as the data file holds it
    std::vector<Range> vary;
    std::string objective;  // a result, or an input (the largest Q that keeps HO within a limit)
    bool maximize = false;
    std::vector<Constraint> constraints;
    std::int64_t evaluations = kDefaultEvaluations;  // of stages 1 and 2, at least 10
    std::uint64_t seed = 1;
};

struct OptimizeResult {
    enum class Status { Ok, Infeasible };
    struct Input {
        std::size_t input = 0;  // index into calc.inputs
        Shown value;
    };
    struct ConstraintState {
        std::size_t result = 0;
        Constraint::Op op = Constraint::Op::AtLeast;
        float limit = 0;                // as single precision, as the results compare
        std::optional<float> value;     // none: not computed
        double slack = 0;               // value - limit (>=) or limit - value (<=): negative when violated
        bool active = false;            // a neighbour of the certificate violates it
    };
    struct Neighbour {
        enum class Status { NoBetter, Infeasible, Invalid, Bound };
        std::size_t input = 0;
        bool up = false;
        std::optional<Shown> value;     // none: beyond the bound
        Status status = Status::Bound;
        std::optional<float> objective;
    };

    Status status = Status::Infeasible;
    std::size_t objective = 0;           // index into calc.results (calc.inputs when objective_is_input)
    bool objective_is_input = false;
    bool maximize = false;
    std::optional<float> objective_value;
    std::vector<Input> inputs;            // the answer (Infeasible: the point of least violation)
    std::vector<ConstraintState> constraints;
    std::vector<Neighbour> certificate;   // Ok only
    double violation = 0;                 // Infeasible: the total violation (relative to each limit)
    std::int64_t evaluations = 0;
    std::uint64_t seed = 0;
    bool cancelled = false;
};

// UsageError for a request that cannot be accepted: no range, an unknown or
// repeated input, a bad range (held_range), an unknown objective or
// constrained result, fewer than 10 evaluations.
OptimizeResult optimize(const OptimizeProblem& problem, const DesignProgress& progress = {},
                        const std::atomic<bool>* cancel = nullptr);

std::string_view status_text(OptimizeResult::Neighbour::Status status);  // "no better", ...

}  // namespace swirl
