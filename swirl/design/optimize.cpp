#include "swirl/design/optimize.h"

#include <nlopt.hpp>

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>

#include "fixrec/ascii.h"
#include "swirl/core/numbers.h"
#include "swirl/core/usage_error.h"
#include "swirl/design/evaluator.h"

namespace swirl {

Constraint parse_constraint(std::string_view text) {
    Constraint c;
    std::size_t at = text.find(">=");
    c.op = Constraint::Op::AtLeast;
    if (at == std::string_view::npos) {
        at = text.find("<=");
        c.op = Constraint::Op::AtMost;
    }
    if (at == std::string_view::npos || at == 0)
        throw UsageError("--subject-to " + std::string(text) + ": expected RESULT>=VALUE or RESULT<=VALUE");
    c.name = std::string(text.substr(0, at));
    const std::optional<double> v = parse_plain_decimal(text.substr(at + 2));
    if (!v) throw UsageError("--subject-to " + std::string(text) + ": VALUE is not a plain decimal number");
    if (!std::isfinite(static_cast<float>(*v)))
        throw UsageError("--subject-to " + std::string(text) + ": VALUE is beyond single precision");
    c.limit = *v;
    return c;
}

std::string_view op_text(Constraint::Op op) { return op == Constraint::Op::AtLeast ? ">=" : "<="; }

std::string_view status_text(OptimizeResult::Neighbour::Status status) {
    using S = OptimizeResult::Neighbour::Status;
    switch (status) {
    case S::NoBetter: return "no better";
    case S::Infeasible: return "infeasible";
    case S::Invalid: return "invalid";
    case S::Bound: return "bound";
    }
    return "";
}

namespace {

using detail::Cancelled;
using detail::Evaluator;
using Ranks = std::vector<std::int64_t>;

struct ObjectiveAt {
    std::size_t index = 0;
    bool input = false;  // index into calc.inputs, else into calc.results
};

class Optimizer {
public:
    Optimizer(const OptimizeProblem& p, std::vector<HeldRange> ranges, ObjectiveAt objective,
              std::vector<std::size_t> constrained, const DesignProgress& progress, const std::atomic<bool>* cancel)
        : p_(p), ranges_(std::move(ranges)), objective_(objective.index), constrained_(std::move(constrained)),
          range_ptrs_(pointers(ranges_)), eval_(*p.calc, p.base, range_ptrs_, progress, cancel) {
        if (objective.input) objective_input_ = objective.index;
        for (const Constraint& c : p.constraints) limits_.push_back(static_cast<float>(c.limit));
        eval_.expect(p.evaluations);
    }

    OptimizeResult run();

private:
    static std::vector<const HeldRange*> pointers(const std::vector<HeldRange>& r) {
        std::vector<const HeldRange*> v;
        for (const HeldRange& h : r) v.push_back(&h);
        return v;
    }

    // A point as the studies see it.
    struct Point {
        bool computable = false;  // valid, objective and every constrained result computed
        bool feasible = false;
        double objective = 0;     // minimised: the result, negated to maximise
        double violation = 0;     // the sum of the relative violations
    };

    Point point(const Ranks& ranks);
    // The objective at a point: a result the case computes, or an input of a
    // valid case.
    std::optional<float> objective_of(const Ranks& ranks, const Case& c) const {
        if (!objective_input_) return c.computed(objective_) ? std::optional<float>(c.results[objective_]) : std::nullopt;
        if (!c.valid) return std::nullopt;
        const std::size_t input = *objective_input_;
        Value v = p_.base[input];
        for (std::size_t k = 0; k < ranges_.size(); ++k)
            if (ranges_[k].input == input) v = ranges_[k].lattice.at(ranks[k]);
        return p_.calc->inputs[input].type == calculators::ValueType::Integer ? static_cast<float>(v.integer) : v.real;
    }
    double relative_violation(std::size_t k, float value) const;
    Ranks ranks_of(const double* x) const;
    std::vector<double> x_of(const Ranks& ranks) const;
    bool better(const Point& a, const Point& b) const { return a.objective < b.objective; }
    void nlopt_stage(nlopt::algorithm algorithm, std::int64_t budget);
    void grid_stage(std::int64_t budget);
    void every_point();
    void coordinate_search();
    bool window_search();
    OptimizeResult answer(bool cancelled);

    const OptimizeProblem& p_;
    std::vector<HeldRange> ranges_;
    std::size_t objective_;  // into calc.results, or into calc.inputs with objective_input_
    std::optional<std::size_t> objective_input_;
    std::vector<std::size_t> constrained_;  // the result of each constraint
    std::vector<float> limits_;
    std::vector<const HeldRange*> range_ptrs_;
    Evaluator eval_;
    std::int64_t stage_end_ = 0;  // NLopt stops once the evaluations reach it

    std::optional<Ranks> best_;   // the best feasible point, the first of equals
    Point best_point_;
    std::optional<Ranks> least_;  // the computable point of least violation
    Point least_point_;
    std::optional<Ranks> first_;
    bool cancelled_ = false;  // within a stage of NLopt
};

double Optimizer::relative_violation(std::size_t k, float value) const {
    const float limit = limits_[k];
    const double excess = p_.constraints[k].op == Constraint::Op::AtLeast
                              ? static_cast<double>(limit) - value
                              : static_cast<double>(value) - limit;
    const double scale = limit != 0.0f ? std::fabs(static_cast<double>(limit)) : 1.0;
    return excess / scale;
}

Optimizer::Point Optimizer::point(const Ranks& ranks) {
    const Case& c = eval_.at(ranks);
    if (!first_) first_ = ranks;
    Point pt;
    const std::optional<float> objective = objective_of(ranks, c);
    pt.computable = objective.has_value();
    for (std::size_t r : constrained_) pt.computable = pt.computable && c.computed(r);
    if (!pt.computable) return pt;
    const float obj = *objective;
    pt.objective = p_.maximize ? -static_cast<double>(obj) : static_cast<double>(obj);
    pt.feasible = true;
    for (std::size_t k = 0; k < constrained_.size(); ++k) {
        const float v = c.results[constrained_[k]];
        const bool ok = p_.constraints[k].op == Constraint::Op::AtLeast ? v >= limits_[k] : v <= limits_[k];
        if (!ok) {
            pt.feasible = false;
            pt.violation += relative_violation(k, v);
        }
    }
    if (pt.feasible && (!best_ || better(pt, best_point_))) {
        best_ = ranks;
        best_point_ = pt;
    }
    if (!pt.feasible && (!least_ || pt.violation < least_point_.violation)) {
        least_ = ranks;
        least_point_ = pt;
    }
    return pt;
}

Ranks Optimizer::ranks_of(const double* x) const {
    Ranks r(ranges_.size());
    for (std::size_t k = 0; k < ranges_.size(); ++k) r[k] = ranges_[k].rank_at(x[k]);
    return r;
}

std::vector<double> Optimizer::x_of(const Ranks& ranks) const {
    std::vector<double> x(ranges_.size());
    for (std::size_t k = 0; k < ranges_.size(); ++k) {
        const HeldRange& h = ranges_[k];
        const auto as_double = [&](const Value& v) {
            return h.lattice.field().type == calculators::ValueType::Integer ? static_cast<double>(v.integer)
                                                                              : static_cast<double>(v.real);
        };
        const double v = as_double(h.lattice.at(ranks[k])), lo = as_double(h.lo), hi = as_double(h.hi);
        x[k] = h.typed.log ? std::log(v / lo) / std::log(hi / lo) : (v - lo) / (hi - lo);
        x[k] = std::clamp(x[k], 0.0, 1.0);
    }
    return x;
}

// NLopt minimises the objective (negated to maximise) at the held point of
// x, under one constraint per constraint, its relative violation (positive
// when violated), and one more for a point that does not compute: 1 there,
// -1 elsewhere.  A point that does not compute has the objective 1e30.
void Optimizer::nlopt_stage(nlopt::algorithm algorithm, std::int64_t budget) {
    const auto n = static_cast<unsigned>(ranges_.size());
    nlopt::opt opt(algorithm, n);
    opt.set_lower_bounds(std::vector<double>(n, 0.0));
    opt.set_upper_bounds(std::vector<double>(n, 1.0));
    stage_end_ = eval_.evaluations() + budget;
    // NLopt calls again at points already computed; those cost nothing but
    // are bounded too.
    opt.set_maxeval(static_cast<int>(std::min<std::int64_t>(budget * 20, 1'000'000)));
    constexpr double kNoValue = 1e30;
    auto evaluate = [this](const double* x, double* objective, double* constraints) {
        if (eval_.evaluations() >= stage_end_) throw nlopt::forced_stop();
        const Ranks ranks = ranks_of(x);
        Point pt;
        try {
            pt = point(ranks);
        } catch (const Cancelled&) {
            cancelled_ = true;
            throw nlopt::forced_stop();
        }
        if (objective != nullptr) *objective = pt.computable ? pt.objective : kNoValue;
        if (constraints == nullptr) return;
        const Case& c = eval_.at(ranks);
        for (std::size_t k = 0; k < constrained_.size(); ++k)
            constraints[k] = c.computed(constrained_[k]) ? relative_violation(k, c.results[constrained_[k]]) : 1.0;
        constraints[constrained_.size()] = pt.computable ? -1.0 : 1.0;
    };
    using Evaluate = decltype(evaluate);
    opt.set_min_objective(
        [](unsigned, const double* x, double*, void* data) {
            double f = 0;
            (*static_cast<Evaluate*>(data))(x, &f, nullptr);
            return f;
        },
        &evaluate);
    const unsigned m = static_cast<unsigned>(constrained_.size() + 1);
    opt.add_inequality_mconstraint(
        [](unsigned, double* result, unsigned, const double* x, double*, void* data) {
            (*static_cast<Evaluate*>(data))(x, nullptr, result);
        },
        &evaluate, std::vector<double>(m, 0.0));
    std::vector<double> x(n, 0.5);
    if (best_ || least_) x = x_of(best_ ? *best_ : *least_);
    if (algorithm == nlopt::LN_COBYLA) {
        if (!best_) return;
        x = x_of(*best_);
        opt.set_initial_step(std::vector<double>(n, 0.05));
        opt.set_xtol_abs(1e-9);
    } else {
        opt.set_population(static_cast<unsigned>(20 * (n + 1)));
    }
    double f = 0;
    try {
        opt.optimize(x, f);
    } catch (const nlopt::forced_stop&) {
    } catch (const nlopt::roundoff_limited&) {
    } catch (const std::invalid_argument&) {
    }
    if (cancelled_) throw Cancelled{};
}

// A grid of m points an input (m^n within the budget), so that the search
// starts from the best of an even look over the whole box.
void Optimizer::grid_stage(std::int64_t budget) {
    const std::size_t n = ranges_.size();
    const auto points = [n](std::int64_t m) {
        double p = 1;
        for (std::size_t k = 0; k < n; ++k) p *= static_cast<double>(m);
        return p;
    };
    std::int64_t m = 2;
    while (points(m + 1) <= static_cast<double>(budget)) ++m;
    if (points(m) > static_cast<double>(budget)) return;
    std::vector<std::int64_t> at(n, 0);
    std::vector<double> x(n);
    for (;;) {
        for (std::size_t k = 0; k < n; ++k) x[k] = static_cast<double>(at[k]) / static_cast<double>(m - 1);
        point(ranks_of(x.data()));
        std::size_t k = n;
        while (k > 0) {
            --k;
            if (++at[k] < m) break;
            at[k] = 0;
            if (k == 0) return;
        }
    }
}

void Optimizer::every_point() {
    Ranks r(ranges_.size());
    for (std::size_t k = 0; k < ranges_.size(); ++k) r[k] = ranges_[k].rank_lo;
    for (;;) {
        point(r);
        std::size_t k = ranges_.size();
        while (k > 0) {
            --k;
            if (++r[k] <= ranges_[k].rank_hi) break;
            r[k] = ranges_[k].rank_lo;
            if (k == 0) return;
        }
    }
}

// From the best feasible point, or without one from the point of least
// violation: each input one held step up and down, the step doubled while
// the point improves (point() moves best_ and least_).  A feasible point met
// on the way to less violation takes over.
void Optimizer::coordinate_search() {
    const auto current = [this]() -> std::optional<Ranks>& { return best_ ? best_ : least_; };
    if (!current()) return;
    for (bool improved = true; improved;) {
        improved = false;
        for (std::size_t k = 0; k < ranges_.size(); ++k) {
            for (const int dir : {1, -1}) {
                for (std::int64_t step = 1;; step *= 2) {
                    const bool feasible = best_.has_value();
                    Ranks cand = *current();
                    const std::int64_t bound = dir > 0 ? ranges_[k].rank_hi : ranges_[k].rank_lo;
                    if (cand[k] == bound) break;
                    cand[k] = dir > 0 ? std::min(bound, cand[k] + step) : std::max(bound, cand[k] - step);
                    const Ranks before = *current();
                    point(cand);
                    if (feasible == best_.has_value() && *current() == before) break;
                    improved = true;
                }
            }
        }
    }
}

// Every point within a few held steps of the best feasible one, each input
// at once (5^n points for two inputs, 3^n for three or four, none beyond):
// moves along a constraint's boundary, which single steps cannot make.
// True when it found a better point.
bool Optimizer::window_search() {
    if (!best_) return false;
    const std::size_t n = ranges_.size();
    const std::int64_t w = n <= 2 ? 2 : n <= 4 ? 1 : 0;
    if (w == 0) return false;
    const Ranks centre = *best_;
    std::vector<std::int64_t> d(n, -w);
    for (;;) {
        Ranks cand = centre;
        bool inside = true;
        for (std::size_t k = 0; k < n; ++k) {
            cand[k] += d[k];
            inside = inside && cand[k] >= ranges_[k].rank_lo && cand[k] <= ranges_[k].rank_hi;
        }
        if (inside) point(cand);
        std::size_t k = n;
        while (k > 0) {
            --k;
            if (++d[k] <= w) break;
            d[k] = -w;
            if (k == 0) return *best_ != centre;
        }
    }
}

OptimizeResult Optimizer::answer(bool cancelled) {
    const Calculator& calc = *p_.calc;
    OptimizeResult out;
    out.objective = objective_;
    out.objective_is_input = objective_input_.has_value();
    out.maximize = p_.maximize;
    out.seed = p_.seed;
    out.status = best_ ? OptimizeResult::Status::Ok : OptimizeResult::Status::Infeasible;
    Ranks at = best_ ? *best_ : least_ ? *least_ : first_ ? *first_ : Ranks(ranges_.size(), 0);
    if (!best_ && !least_ && !first_)
        for (std::size_t k = 0; k < ranges_.size(); ++k) at[k] = ranges_[k].rank_lo;
    const Case& c = eval_.at(at);
    for (std::size_t k = 0; k < ranges_.size(); ++k)
        out.inputs.push_back({ranges_[k].input, shown(calc.inputs[ranges_[k].input], ranges_[k].lattice.at(at[k]))});
    out.objective_value = objective_of(at, c);
    for (std::size_t k = 0; k < constrained_.size(); ++k) {
        OptimizeResult::ConstraintState s;
        s.result = constrained_[k];
        s.op = p_.constraints[k].op;
        s.limit = limits_[k];
        if (c.computed(constrained_[k])) {
            s.value = c.results[constrained_[k]];
            s.slack = s.op == Constraint::Op::AtLeast ? static_cast<double>(*s.value) - s.limit
                                                      : static_cast<double>(s.limit) - *s.value;
        }
        out.constraints.push_back(s);
    }
    if (!best_ || cancelled) {
        out.violation = least_ ? least_point_.violation : std::numeric_limits<double>::infinity();
        return out;
    }
    for (std::size_t k = 0; k < ranges_.size(); ++k) {
        for (const bool up : {true, false}) {
            OptimizeResult::Neighbour nb;
            nb.input = ranges_[k].input;
            nb.up = up;
            Ranks r = at;
            r[k] += up ? 1 : -1;
            if (r[k] < ranges_[k].rank_lo || r[k] > ranges_[k].rank_hi) {
                out.certificate.push_back(nb);
                continue;
            }
            nb.value = shown(calc.inputs[nb.input], ranges_[k].lattice.at(r[k]));
            const Point pt = point(r);
            const Case& n = eval_.at(r);
            nb.objective = objective_of(r, n);
            using S = OptimizeResult::Neighbour::Status;
            nb.status = !pt.computable ? S::Invalid : !pt.feasible ? S::Infeasible : S::NoBetter;
            for (std::size_t j = 0; j < constrained_.size(); ++j) {
                if (!n.computed(constrained_[j])) continue;
                const float v = n.results[constrained_[j]];
                const bool ok = p_.constraints[j].op == Constraint::Op::AtLeast ? v >= limits_[j] : v <= limits_[j];
                if (!ok) out.constraints[j].active = true;
            }
            out.certificate.push_back(nb);
        }
    }
    return out;
}

OptimizeResult Optimizer::run() {
    bool cancelled = false;
    try {
        double total = 1;
        for (const HeldRange& h : ranges_) total *= static_cast<double>(h.count());
        if (total <= static_cast<double>(p_.evaluations)) {
            every_point();
        } else {
            grid_stage(p_.evaluations / 5);
            // NLopt's random numbers are one sequence for the process: one
            // seeded stage at a time, so that optimisations run at once (a
            // server's requests, a notebook's threads) keep their seeds' answers.
            static std::mutex nlopt_seed;
            const std::lock_guard<std::mutex> lock(nlopt_seed);
            nlopt::srand(p_.seed);
            nlopt_stage(nlopt::GN_ISRES, p_.evaluations * 3 / 5 - eval_.evaluations());
            nlopt_stage(nlopt::LN_COBYLA, p_.evaluations - eval_.evaluations());
        }
        // Single steps, then the window about the point, until neither
        // improves (each round improves the objective strictly).
        do coordinate_search();
        while (window_search());
    } catch (const Cancelled&) {
        cancelled = true;
    }
    OptimizeResult out = answer(cancelled);
    out.cancelled = cancelled;
    out.evaluations = eval_.evaluations();
    return out;
}

}  // namespace

OptimizeResult optimize(const OptimizeProblem& problem, const DesignProgress& progress,
                        const std::atomic<bool>* cancel) {
    const Calculator& calc = *problem.calc;
    if (problem.vary.empty()) throw UsageError("at least one --vary NAME=LO:HI is needed");
    std::vector<HeldRange> ranges;
    for (const Range& r : problem.vary) {
        ranges.push_back(held_range(calc, r, "--vary"));
        for (std::size_t k = 0; k + 1 < ranges.size(); ++k)
            if (ranges[k].input == ranges.back().input)
                throw UsageError(std::string(calc.inputs[ranges.back().input].name) + " is varied twice");
    }
    // The objective may be an input too: the largest flow that keeps a
    // result within its limit.
    ObjectiveAt objective;
    const char* option = problem.maximize ? "--maximize" : "--minimize";
    bool named_input = false;
    for (std::size_t k = 0; k < calc.inputs.size(); ++k)
        if (fixrec::equal_ignoring_case(calc.inputs[k].name, problem.objective)) {
            objective = {k, true};
            named_input = true;
        }
    if (!named_input) objective = {result_index(calc, problem.objective, option), false};
    std::vector<std::size_t> constrained;
    for (const Constraint& c : problem.constraints) constrained.push_back(result_index(calc, c.name, "--subject-to"));
    if (problem.evaluations < 10)
        throw UsageError("--evaluations " + std::to_string(problem.evaluations) + ": at least 10");
    Optimizer o(problem, std::move(ranges), objective, std::move(constrained), progress, cancel);
    return o.run();
}

}  // namespace swirl
