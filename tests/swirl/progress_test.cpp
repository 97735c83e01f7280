// The progress line: its text, at most ten redraws a second, erased at the
// end, and silent when disabled.
#include <gtest/gtest.h>

#include <sstream>

#include "swirl/core/progress.h"

namespace swirl {
namespace {

using namespace std::chrono_literals;

TEST(Progress, Text) {
    const struct { std::int64_t done, total; std::chrono::milliseconds elapsed; const char* text; } cases[] = {
        {16000, 100000, 2s, "  16000/100000 cases  8,000/s  0:11 left"},
        {0, 10, 1s, "  0/10 cases"},
        {5, 100, 2s, "  5/100 cases  2.5/s  0:38 left"},
        {1000, 10000000, 1s, "  1000/10000000 cases  1,000/s  2:46:39 left"},
        {1234567, 2000000, 1s, "  1234567/2000000 cases  1,234,567/s  0:01 left"},
        {300, 300, 20s, "  300/300 cases  15/s  0:00 left"},
    };
    for (const auto& c : cases) EXPECT_EQ(Progress::text(c.done, c.total, c.elapsed), c.text);
}

TEST(Progress, RedrawsAtMostTenTimesASecondAndErasesItself) {
    std::chrono::steady_clock::time_point now{};
    std::ostringstream out;
    {
        Progress p(4000, true, out, [&] { return now; });
        now += 50ms;
        p.update(0);  // too early: nothing yet
        EXPECT_EQ(out.str(), "");
        now += 950ms;
        p.update(1);
        const std::string first = "\r  1/4000 cases  1.0/s  1:06:39 left";
        EXPECT_EQ(out.str(), first);
        now += 99ms;
        p.update(2);
        EXPECT_EQ(out.str(), first);
        now += 901ms;
        p.update(20);  // shorter: blanks cover the rest of the first line
        EXPECT_EQ(out.str(), first + "\r  20/4000 cases  10/s  6:38 left   ");
    }
    EXPECT_TRUE(out.str().ends_with("left   \r" + std::string(32, ' ') + "\r")) << out.str();

    std::ostringstream silent;
    {
        Progress p(1000, false, silent, [&] { return now; });
        for (int i = 0; i < 10; ++i, now += 1s) p.update(i);
        p.finish();
    }
    EXPECT_EQ(silent.str(), "");
}

}  // namespace
}  // namespace swirl
