// A sweep's progress and its cancellation: the counts that progress gets,
// and a cancelled sweep's rows as a prefix of the whole sweep's.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "swirl/study/sweep.h"

namespace swirl {
namespace {

std::vector<Value> bilm_inputs() {
    const Calculator& calc = *find_program("BILM");
    std::vector<Value> inputs(calc.inputs.size());
    calculators::ReadFailure where;
    EXPECT_TRUE(calc.read(calc.example, inputs, where));
    return inputs;
}

std::int64_t rows(std::string_view text) { return std::count(text.begin(), text.end(), '\n'); }

TEST(SweepControl, ProgressCountsTheCasesEmitted) {
    const Sweep sweep(*find_program("BILM"), bilm_inputs(), std::vector{parse_grid("Q=0.0001:0.01:5000")});
    for (const unsigned jobs : {1u, 3u}) {
        std::string text;
        std::vector<std::int64_t> counts;
        const std::int64_t done =
            sweep.run(jobs, [&](std::string_view r) { text += r; }, [&](std::int64_t n) {
                // Each call counts the rows already emitted.
                EXPECT_EQ(n, rows(text));
                counts.push_back(n);
            });
        EXPECT_EQ(done, 5000);
        ASSERT_GT(counts.size(), 1u) << jobs;
        EXPECT_TRUE(std::is_sorted(counts.begin(), counts.end()));
        EXPECT_EQ(counts.back(), 5000);
    }
}

TEST(SweepControl, ACancelledSweepStopsEarlyWithAPrefixOfTheRows) {
    const Sweep sweep(*find_program("BILM"), bilm_inputs(), std::vector{parse_grid("Q=0.0001:0.01:20000")});
    std::string whole;
    sweep.run(2, [&](std::string_view r) { whole += r; });
    for (const unsigned jobs : {1u, 2u}) {
        SCOPED_TRACE(jobs);
        std::atomic<bool> cancel{false};
        std::string text;
        int blocks = 0;
        const std::int64_t done = sweep.run(
            jobs,
            [&](std::string_view r) {
                text += r;
                if (++blocks == 2) cancel = true;  // as another thread would, between blocks
            },
            {}, &cancel);
        EXPECT_EQ(blocks, 2);
        EXPECT_EQ(done, rows(text));
        EXPECT_LT(done, 20000);
        EXPECT_EQ(whole.compare(0, text.size(), text), 0);
    }
    // Cancelled before it starts: nothing.
    std::atomic<bool> cancel{true};
    std::string text;
    EXPECT_EQ(sweep.run(2, [&](std::string_view r) { text += r; }, {}, &cancel), 0);
    EXPECT_TRUE(text.empty());
}

}  // namespace
}  // namespace swirl
