// Cases computed in parallel, their text written strictly in case order, with
// memory bounded for any number of cases: the engine of a sweep.
//
//   swirl::run_ordered(total, jobs,
//       [] { return Calculator{}; },                            // one per worker
//       [&](Calculator& c, std::int64_t i, std::string& out) {  // appends row i
//           append_row(out, c.run(case_values(i)));
//       },
//       [&](std::string_view block) { write_all(1, block); });
//
// The cases [0, total) are cut into blocks of consecutive cases.  `jobs`
// worker threads take blocks in order; a worker appends the text of each case
// of its block to the block's own buffer, and the caller's thread hands the
// finished blocks to `emit` strictly in order.  A worker does not start a
// block more than 2*jobs blocks ahead of the last one emitted, so at most that
// many buffers exist however many cases there are.  Each worker calls
// make_state() once, in its own thread, before its first case; compute gets
// that state and so never shares it.  `emit` runs only on the caller's thread.
//
// jobs = 0 means the number of cores; jobs = 1 runs everything on the
// caller's thread, without threads, in the same blocks.  block_size = 0 picks
// a size: about 16 blocks a worker for balance, at most 512 cases, so that a
// block of typical cases is a few hundred microseconds of work.
//
// An exception thrown by make_state, compute or emit ends the run and is
// rethrown to the caller after every worker has stopped.  The blocks before
// the first failed one (in case order) are emitted, none after it, whatever
// the number of jobs: the output does not depend on timing.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace swirl {

unsigned default_jobs();

namespace detail {

struct RunPlan {
    unsigned workers = 0;        // threads to start; 1 or 0 runs on the caller's thread
    std::int64_t block_size = 1;
    std::int64_t blocks = 0;
};

RunPlan plan_run(std::int64_t total, unsigned jobs, std::int64_t block_size);

// The ordering engine without the state type: compute(worker, begin, end,
// out) appends the text of cases [begin, end) to out.
using BlockCompute = std::function<void(unsigned worker, std::int64_t begin, std::int64_t end, std::string& out)>;
using BlockEmit = std::function<void(std::string_view block)>;

void run_blocks(const RunPlan& plan, std::int64_t total, const BlockCompute& compute, const BlockEmit& emit);

}  // namespace detail

template <class MakeState, class Compute, class Emit>
void run_ordered(std::int64_t total, unsigned jobs, MakeState make_state, Compute compute, Emit emit,
                 std::int64_t block_size = 0) {
    using State = decltype(make_state());
    const detail::RunPlan plan = detail::plan_run(total, jobs, block_size);
    struct alignas(64) Slot {  // one cache line each: workers write their states often
        std::optional<State> state;
    };
    std::vector<Slot> states(std::max(plan.workers, 1u));
    detail::run_blocks(
        plan, total,
        [&](unsigned worker, std::int64_t begin, std::int64_t end, std::string& out) {
            auto& state = states[worker].state;
            if (!state) state.emplace(make_state());
            for (std::int64_t i = begin; i < end; ++i) compute(*state, i, out);
        },
        [&](std::string_view block) { emit(block); });
}

}  // namespace swirl
