#include "swirl/core/ordered_run.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace swirl {

unsigned default_jobs() { return std::max(std::thread::hardware_concurrency(), 1u); }

namespace detail {

RunPlan plan_run(std::int64_t total, unsigned jobs, std::int64_t block_size) {
    RunPlan p;
    if (jobs == 0) jobs = default_jobs();
    p.block_size = block_size > 0 ? block_size : std::clamp<std::int64_t>(total / (16 * std::int64_t{jobs}), 1, 512);
    p.blocks = total <= 0 ? 0 : (total - 1) / p.block_size + 1;
    p.workers = static_cast<unsigned>(std::min<std::int64_t>(jobs, p.blocks));
    return p;
}

namespace {

// What the workers and the emitting thread share, guarded by `mutex`.
// Block b is kept in slot b % slots.size() from the moment it is finished
// until it has been emitted; no worker starts block emitted + slots.size().
struct Pipeline {
    std::mutex mutex;
    std::condition_variable finished;  // a block is finished or has failed
    std::condition_variable room;      // a block was emitted, or the run stops
    std::int64_t next = 0;             // the next block to start
    std::int64_t emitted = 0;          // blocks emitted so far
    std::int64_t failed;               // the earliest failed block (blocks: none)
    std::exception_ptr error;          // its exception
    bool stop = false;
    std::vector<std::string> slots;
    std::vector<char> ready;

    Pipeline(std::int64_t blocks, std::size_t in_flight) : failed(blocks), slots(in_flight), ready(in_flight, 0) {}

    std::size_t slot(std::int64_t b) const { return static_cast<std::size_t>(b) % slots.size(); }
};

void work(Pipeline& p, const RunPlan& plan, std::int64_t total, unsigned worker, const BlockCompute& compute) {
    const auto in_flight = static_cast<std::int64_t>(p.slots.size());
    std::string buffer;
    for (;;) {
        std::int64_t b = 0;
        {
            std::unique_lock lock(p.mutex);
            p.room.wait(lock, [&] { return p.stop || p.next >= p.failed || p.next < p.emitted + in_flight; });
            if (p.stop || p.next >= p.failed) return;
            b = p.next++;
        }
        buffer.clear();
        try {
            compute(worker, b * plan.block_size, std::min(total, (b + 1) * plan.block_size), buffer);
        } catch (...) {
            {
                std::lock_guard lock(p.mutex);
                if (b < p.failed) {
                    p.failed = b;
                    p.error = std::current_exception();
                }
            }
            p.finished.notify_one();
            p.room.notify_all();
            return;
        }
        {
            std::lock_guard lock(p.mutex);
            std::swap(p.slots[p.slot(b)], buffer);  // takes back an emptied buffer with its capacity
            p.ready[p.slot(b)] = 1;
        }
        p.finished.notify_one();
    }
}

// Stops and joins the workers however the emitting loop ends.
struct Workers {
    Pipeline& p;
    std::vector<std::thread> threads;
    ~Workers() {
        {
            std::lock_guard lock(p.mutex);
            p.stop = true;
        }
        p.room.notify_all();
        for (auto& t : threads) t.join();
    }
};

}  // namespace

void run_blocks(const RunPlan& plan, std::int64_t total, const BlockCompute& compute, const BlockEmit& emit) {
    if (plan.workers <= 1) {
        std::string buffer;
        for (std::int64_t b = 0; b < plan.blocks; ++b) {
            buffer.clear();
            compute(0, b * plan.block_size, std::min(total, (b + 1) * plan.block_size), buffer);
            emit(buffer);
        }
        return;
    }

    Pipeline p(plan.blocks, 2 * std::size_t{plan.workers});
    {
        Workers workers{p, {}};
        workers.threads.reserve(plan.workers);
        for (unsigned w = 0; w < plan.workers; ++w)
            workers.threads.emplace_back(work, std::ref(p), std::cref(plan), total, w, std::cref(compute));

        for (std::int64_t b = 0; b < plan.blocks; ++b) {
            const std::size_t s = p.slot(b);
            {
                std::unique_lock lock(p.mutex);
                p.finished.wait(lock, [&] { return p.ready[s] || p.failed <= b; });
                if (!p.ready[s]) break;  // block b failed; every block before it is out
            }
            emit(p.slots[s]);  // no worker touches slot s until `emitted` passes b
            {
                std::lock_guard lock(p.mutex);
                p.slots[s].clear();
                p.ready[s] = 0;
                p.emitted = b + 1;
            }
            p.room.notify_all();
        }
    }
    if (p.error) std::rethrow_exception(p.error);
}

}  // namespace detail
}  // namespace swirl
