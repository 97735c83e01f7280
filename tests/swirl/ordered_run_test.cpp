// The ordered parallel run: the same text for any number of jobs, failures
// that end it the same way, and a bounded number of blocks in flight.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

#include "swirl/core/ordered_run.h"

namespace swirl {
namespace {

void write_index(int& /*state*/, std::int64_t i, std::string& out) { out.append(std::to_string(i)).append("\n"); }

std::string indices(std::int64_t end) {
    std::string s;
    int state = 0;
    for (std::int64_t i = 0; i < end; ++i) write_index(state, i, s);
    return s;
}

TEST(OrderedRun, SameTextForAnyNumberOfJobs) {
    for (const std::int64_t total : {0, 1, 1000, 100003})
        for (const unsigned jobs : {1u, 2u, 3u, 8u}) {
            std::string out;
            std::atomic<int> states = 0;
            run_ordered(
                total, jobs, [&] { return ++states; }, write_index, [&](std::string_view b) { out += b; });
            EXPECT_EQ(out, indices(total)) << total << " cases, " << jobs << " jobs";
            EXPECT_LE(states, static_cast<int>(jobs));
        }
}

// A case that throws ends the run: the blocks before its block are written,
// nothing after, and the exception reaches the caller; so does one from emit.
TEST(OrderedRun, FailureStopsTheRunAtTheSamePlace) {
    for (const unsigned jobs : {1u, 2u, 8u}) {
        std::string out;
        const auto compute = [](int& s, std::int64_t i, std::string& o) {
            if (i == 5000) throw std::runtime_error("case 5000");
            write_index(s, i, o);
        };
        try {
            run_ordered(10000, jobs, [] { return 0; }, compute, [&](std::string_view b) { out += b; }, 7);
            ADD_FAILURE() << "no exception";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "case 5000");
        }
        EXPECT_EQ(out, indices(5000 / 7 * 7)) << jobs << " jobs";

        int blocks = 0;
        const auto emit = [&](std::string_view) {
            if (++blocks == 3) throw std::length_error("disk full");
        };
        EXPECT_THROW(run_ordered(100000, jobs, [] { return 0; }, write_index, emit, 10), std::length_error);
    }
}

TEST(OrderedRun, BlocksInFlightAreBounded) {
    constexpr unsigned jobs = 4;
    std::atomic<std::int64_t> started = 0, emitted = 0, most = 0;
    const auto compute = [&](int&, std::int64_t, std::string& out) {
        const std::int64_t ahead = ++started - emitted;
        for (std::int64_t m = most; ahead > m && !most.compare_exchange_weak(m, ahead);) {
        }
        out += 'x';
    };
    const auto emit = [&](std::string_view) {
        if (++emitted % 64 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    };
    run_ordered(3000, jobs, [] { return 0; }, compute, emit, 1);  // one case a block
    EXPECT_EQ(emitted, 3000);
    EXPECT_LE(most, 2 * jobs);
    EXPECT_GE(most, 2);
}

}  // namespace
}  // namespace swirl
