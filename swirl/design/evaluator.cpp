#include "swirl/design/evaluator.h"

#include <algorithm>
#include <thread>

#include "swirl/core/ordered_run.h"

namespace swirl::detail {

Evaluator::Evaluator(const Calculator& calc, std::span<const Value> base, std::span<const HeldRange* const> varied,
                     const DesignProgress& progress, const std::atomic<bool>* cancel)
    : calc_(calc), base_(base.begin(), base.end()), varied_(varied.begin(), varied.end()), progress_(progress),
      cancel_(cancel) {
    base_.resize(calc.inputs.size());
}

std::vector<Value> Evaluator::inputs_of(const std::vector<std::int64_t>& ranks) const {
    std::vector<Value> inputs = base_;
    for (std::size_t k = 0; k < varied_.size(); ++k) inputs[varied_[k]->input] = varied_[k]->lattice.at(ranks[k]);
    return inputs;
}

void Evaluator::counted(std::int64_t n) {
    evaluations_ += n;
    expected_ = std::max(expected_, evaluations_);
    if (progress_) progress_(evaluations_, expected_);
}

const Case& Evaluator::at(const std::vector<std::int64_t>& ranks) {
    const auto found = cache_.find(ranks);
    if (found != cache_.end()) return found->second;
    if (cancel_ != nullptr && cancel_->load(std::memory_order_relaxed)) throw Cancelled{};
    Case c;
    compute_case(calc_, inputs_of(ranks), scratch_, c);
    const Case& kept = cache_.emplace(ranks, std::move(c)).first->second;
    counted(1);
    return kept;
}

void Evaluator::batch_into(std::span<const std::int64_t> ranks, unsigned jobs, std::vector<Case>& out) {
    out.resize(ranks.size());
    const std::size_t n = ranks.size();
    unsigned workers = jobs == 0 ? default_jobs() : jobs;
    workers = static_cast<unsigned>(std::min<std::size_t>(workers, (n + 255) / 256));
    constexpr std::size_t kBlock = 256;
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};
    const HeldRange& range = *varied_.front();
    const auto work = [&] {
        std::vector<Value> inputs = base_;
        calculators::Outcome scratch;
        for (;;) {
            const std::size_t begin = next.fetch_add(kBlock);
            if (begin >= n || stop.load(std::memory_order_relaxed)) return;
            if (cancel_ != nullptr && cancel_->load(std::memory_order_relaxed)) {
                stop = true;
                return;
            }
            const std::size_t end = std::min(n, begin + kBlock);
            for (std::size_t i = begin; i < end; ++i) {
                inputs[range.input] = range.lattice.at(ranks[i]);
                compute_case(calc_, inputs, scratch, out[i]);
            }
        }
    };
    std::vector<std::jthread> threads;
    for (unsigned t = 1; t < workers; ++t) threads.emplace_back(work);
    work();
    threads.clear();
    if (stop) throw Cancelled{};
    counted(static_cast<std::int64_t>(n));
}

}  // namespace swirl::detail
