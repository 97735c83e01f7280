#include "swirl/design/solve.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "swirl/core/numbers.h"
#include "swirl/core/usage_error.h"
#include "swirl/design/evaluator.h"

namespace swirl {

Target parse_target(std::string_view text) {
    const std::size_t eq = text.find('=');
    if (eq == std::string_view::npos || eq == 0)
        throw UsageError("--target " + std::string(text) + ": expected RESULT=VALUE");
    const std::optional<double> v = parse_plain_decimal(text.substr(eq + 1));
    if (!v) throw UsageError("--target " + std::string(text) + ": VALUE is not a plain decimal number");
    if (!std::isfinite(static_cast<float>(*v)))
        throw UsageError("--target " + std::string(text) + ": VALUE is beyond single precision");
    return {std::string(text.substr(0, eq)), *v};
}

namespace {

using detail::Cancelled;
using detail::Evaluator;

class Solver {
public:
    Solver(const SolveProblem& p, const HeldRange& range, std::size_t result, const DesignProgress& progress,
           const std::atomic<bool>* cancel)
        : p_(p), range_(range), result_(result), target_(static_cast<float>(p.target.value)),
          ranges_{&range_}, eval_(*p.calc, p.base, ranges_, progress, cancel) {}

    SolveResult run();

private:
    struct Pair {
        std::int64_t lower, upper;
    };

    bool ok(const Case& c) const { return c.computed(result_); }
    float value(const Case& c) const { return c.results[result_]; }
    int side(const Case& c) const { return value(c) < target_ ? -1 : value(c) > target_ ? 1 : 0; }
    const Case& at(std::int64_t rank) {
        const Case& c = eval_.at({rank});
        seen(rank, c);
        return c;
    }
    int side(std::int64_t rank) { return side(at(rank)); }
    void seen(std::int64_t rank, const Case& c);

    void refine(std::int64_t a, std::int64_t b);
    std::int64_t last_before_gap(std::int64_t valid, std::int64_t gap);
    std::int64_t first_after_gap(std::int64_t gap, std::int64_t valid);
    void scan_points();
    void scan_every_value();

    const SolveProblem& p_;
    const HeldRange& range_;
    std::size_t result_;
    float target_;
    std::vector<const HeldRange*> ranges_;
    Evaluator eval_;
    std::vector<Pair> crossings_, across_;
    // What the cases seen tell without a crossing.
    bool any_valid_ = false, any_result_ = false;
    std::int64_t nearest_ = 0;
    float nearest_result_ = 0, min_ = 0, max_ = 0;
    std::int64_t scanned_ = 0;
};

void Solver::seen(std::int64_t rank, const Case& c) {
    any_valid_ = any_valid_ || c.valid;
    if (!ok(c)) return;
    const float r = value(c);
    const double d = std::fabs(static_cast<double>(r) - target_);
    const double best = std::fabs(static_cast<double>(nearest_result_) - target_);
    if (!any_result_ || d < best || (d == best && rank < nearest_)) {
        nearest_ = rank;
        nearest_result_ = r;
    }
    if (!any_result_ || r < min_) min_ = r;
    if (!any_result_ || r > max_) max_ = r;
    any_result_ = true;
}

std::int64_t Solver::last_before_gap(std::int64_t valid, std::int64_t gap) {
    while (gap - valid > 1) {
        const std::int64_t m = valid + (gap - valid) / 2;
        (ok(at(m)) ? valid : gap) = m;
    }
    return valid;
}

std::int64_t Solver::first_after_gap(std::int64_t gap, std::int64_t valid) {
    while (valid - gap > 1) {
        const std::int64_t m = gap + (valid - gap) / 2;
        (ok(at(m)) ? valid : gap) = m;
    }
    return valid;
}

// a < b, both computing the result, on different sides of the target.
void Solver::refine(std::int64_t a, std::int64_t b) {
    if (b - a == 1) {
        crossings_.push_back({a, b});
        return;
    }
    const std::int64_t m = a + (b - a) / 2;
    if (ok(at(m))) {
        const int sa = side(a), sm = side(m), sb = side(b);
        if (sa != sm) refine(a, m);
        if (sm != sb) refine(m, b);
        return;
    }
    const std::int64_t left = last_before_gap(a, m);
    const std::int64_t right = first_after_gap(m, b);
    if (side(a) != side(left)) refine(a, left);
    if (side(left) != side(right)) across_.push_back({left, right});
    if (side(right) != side(b)) refine(right, b);
}

// The scan streams: its points come in order, a block at a time computed on
// the threads, and each pair of neighbouring points is dealt with as it
// comes; only the cases of brackets are kept.
void Solver::scan_points() {
    const std::int64_t n = p_.scan;
    eval_.expect(n);
    constexpr std::int64_t kChunk = 1 << 16;
    std::vector<std::int64_t> ranks;
    std::vector<Case> cases;
    bool have_prev = false;
    std::int64_t prev = 0;
    Case prev_case;
    bool gap_open = false;  // a gap under way, after the valid value before_gap
    std::int64_t before_gap = 0;
    std::int64_t last = std::numeric_limits<std::int64_t>::min();  // the last point taken
    for (std::int64_t from = 0; from < n; from += kChunk) {
        ranks.clear();
        for (std::int64_t i = from; i < std::min(n, from + kChunk); ++i) {
            const std::int64_t r = i == 0       ? range_.rank_lo
                                   : i == n - 1 ? range_.rank_hi
                                                : range_.rank_at(static_cast<double>(i) / static_cast<double>(n - 1));
            // The points rise with i; two of them may hold as one value.
            if (r > last) {
                ranks.push_back(r);
                last = r;
            }
        }
        eval_.batch_into(ranks, p_.jobs, cases);
        scanned_ += static_cast<std::int64_t>(ranks.size());
        for (std::size_t i = 0; i < ranks.size(); ++i) {
            const std::int64_t b = ranks[i];
            const Case& cb = cases[i];
            seen(b, cb);
            if (have_prev) {
                const std::int64_t a = prev;
                const Case& ca = prev_case;
                const bool oa = ok(ca), ob = ok(cb);
                if (oa || ob) {
                    eval_.keep({a}, ca);
                    eval_.keep({b}, cb);
                }
                if (oa && ob) {
                    if (side(ca) != side(cb)) refine(a, b);
                } else if (oa) {
                    const std::int64_t left = last_before_gap(a, b);
                    if (side(a) != side(left)) refine(a, left);
                    before_gap = left;
                    gap_open = true;
                } else if (ob) {
                    const std::int64_t right = first_after_gap(a, b);
                    if (side(right) != side(b)) refine(right, b);
                    if (gap_open && side(before_gap) != side(right)) across_.push_back({before_gap, right});
                    gap_open = false;
                }
            }
            have_prev = true;
            prev = b;
            prev_case = cb;
        }
    }
}

void Solver::scan_every_value() {
    constexpr std::int64_t kChunk = 1 << 16;
    std::vector<std::int64_t> ranks;
    std::vector<Case> cases;
    scanned_ = range_.count();
    eval_.expect(scanned_);
    bool any = false;  // a value computing the result seen, the last one at `last`
    std::int64_t last = 0;
    int last_side = 0;
    bool gap = false;
    for (std::int64_t from = range_.rank_lo; from <= range_.rank_hi; from += kChunk) {
        const std::int64_t to = std::min(range_.rank_hi, from + kChunk - 1);
        ranks.resize(static_cast<std::size_t>(to - from + 1));
        for (std::size_t i = 0; i < ranks.size(); ++i) ranks[i] = from + static_cast<std::int64_t>(i);
        eval_.batch_into(ranks, p_.jobs, cases);
        for (std::size_t i = 0; i < ranks.size(); ++i) {
            const Case& c = cases[i];
            seen(ranks[i], c);
            if (!ok(c)) {
                gap = true;
                continue;
            }
            const int s = side(c);
            if (any && s != last_side) (gap ? across_ : crossings_).push_back({last, ranks[i]});
            any = true;
            last = ranks[i];
            last_side = s;
            gap = false;
        }
    }
}

SolveResult Solver::run() {
    SolveResult out;
    out.input = range_.input;
    out.result = result_;
    out.target = target_;
    const Field& field = range_.lattice.field();
    out.lo = shown(field, range_.lo);
    out.hi = shown(field, range_.hi);
    out.held_values = range_.count();
    const bool every = p_.scan == SolveProblem::kScanAll;
    const bool full = every || p_.scan >= range_.count();
    try {
        // A scan of as many points as the range holds is a scan of them all.
        if (every || p_.scan >= range_.count())
            scan_every_value();
        else
            scan_points();
    } catch (const Cancelled&) {
        out.cancelled = true;
    }
    out.scanned = scanned_;
    out.every_value = full;
    std::sort(crossings_.begin(), crossings_.end(), [](const Pair& x, const Pair& y) { return x.lower < y.lower; });
    std::sort(across_.begin(), across_.end(), [](const Pair& x, const Pair& y) { return x.lower < y.lower; });
    const auto finish = [&](const Pair& pair) {
        Crossing c;
        c.lower.input = shown(field, range_.lattice.at(pair.lower));
        c.upper.input = shown(field, range_.lattice.at(pair.upper));
        // A full scan kept no cases: the two are computed again (not counted).
        const auto result_at = [&](std::int64_t rank) {
            if (!full) return value(eval_.at({rank}));
            std::vector<Value> inputs = eval_.inputs_of({rank});
            calculators::Outcome o;
            Case k;
            compute_case(*p_.calc, inputs, o, k);
            return value(k);
        };
        c.lower.result = result_at(pair.lower);
        c.upper.result = result_at(pair.upper);
        const double dl = std::fabs(static_cast<double>(c.lower.result) - target_);
        const double du = std::fabs(static_cast<double>(c.upper.result) - target_);
        c.upper_nearer = du < dl;
        c.exact = c.lower.result == target_ || c.upper.result == target_;
        return c;
    };
    for (const Pair& pair : crossings_) out.crossings.push_back(finish(pair));
    for (const Pair& pair : across_) out.across_invalid.push_back(finish(pair));
    out.evaluations = eval_.evaluations();
    if (!out.crossings.empty())
        out.status = SolveResult::Status::Ok;
    else if (!any_valid_ && !out.cancelled)
        out.status = SolveResult::Status::Invalid;
    else
        out.status = SolveResult::Status::None;
    if (out.status != SolveResult::Status::Ok && any_result_) {
        out.nearest = SolvePoint{shown(field, range_.lattice.at(nearest_)), nearest_result_};
        out.result_min = min_;
        out.result_max = max_;
    }
    return out;
}

}  // namespace

SolveResult solve(const SolveProblem& problem, const DesignProgress& progress, const std::atomic<bool>* cancel) {
    const Calculator& calc = *problem.calc;
    const HeldRange range = held_range(calc, problem.find, "--find");
    const std::size_t result = result_index(calc, problem.target.name, "--target");
    if (problem.scan != SolveProblem::kScanAll && problem.scan < 2)
        throw UsageError("--scan " + std::to_string(problem.scan) + ": a scan needs at least 2 points");
    if (problem.scan > SolveProblem::kScanAllLimit)
        throw UsageError("--scan " + std::to_string(problem.scan) + ": at most 100000000 points");
    if (problem.scan == SolveProblem::kScanAll && range.count() > SolveProblem::kScanAllLimit)
        throw UsageError("--scan all: " + problem.find.name + " holds " + std::to_string(range.count()) +
                         " values in the range, more than 100000000; give --scan N or a narrower range");
    Solver solver(problem, range, result, progress, cancel);
    return solver.run();
}

}  // namespace swirl
