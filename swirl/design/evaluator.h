// Cases of one study computed at held values, each once: a cache by the
// ranks of the varied inputs, and a batch of cases on several threads.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <span>
#include <vector>

#include "swirl/design/terms.h"

namespace swirl::detail {

// Thrown between evaluations once a study is cancelled.
struct Cancelled {};

class Evaluator {
public:
    // `varied`: the ranges whose ranks a point gives, in order.
    Evaluator(const Calculator& calc, std::span<const Value> base, std::span<const HeldRange* const> varied,
              const DesignProgress& progress, const std::atomic<bool>* cancel);

    // The case at these ranks (one per varied range), computed once.
    const Case& at(const std::vector<std::int64_t>& ranks);

    // The cases of one varied range at each rank (a scan of one input), on
    // `jobs` threads, counted but not kept; keep() keeps one of them.
    void keep(const std::vector<std::int64_t>& ranks, const Case& c) { cache_.emplace(ranks, c); }
    void batch_into(std::span<const std::int64_t> ranks, unsigned jobs, std::vector<Case>& out);

    std::int64_t evaluations() const { return evaluations_; }
    void expect(std::int64_t n) { expected_ = n; }
    // The inputs of a point.
    std::vector<Value> inputs_of(const std::vector<std::int64_t>& ranks) const;

private:
    void counted(std::int64_t n);

    const Calculator& calc_;
    std::vector<Value> base_;
    std::vector<const HeldRange*> varied_;
    DesignProgress progress_;
    const std::atomic<bool>* cancel_;
    std::map<std::vector<std::int64_t>, Case> cache_;
    calculators::Outcome scratch_;
    std::int64_t evaluations_ = 0;
    std::int64_t expected_ = 0;
};

}  // namespace swirl::detail
