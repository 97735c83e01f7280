// The console line of each failed computation, checked alike for the three
// calculators: every status other than Ok has a line of its own that fits one
// console line (80 columns with the carriage-control blank), and Ok has none.
#pragma once

#include <gtest/gtest.h>

#include <set>
#include <string_view>

namespace test_support {

// Status is an enum whose values run from Ok (0) to `last`.
template <class Status>
void expect_one_line_per_failure(std::string_view (*message)(Status), Status last) {
    EXPECT_TRUE(message(Status{}).empty());
    std::set<std::string_view> seen;
    for (int s = 1; s <= static_cast<int>(last); ++s) {
        const std::string_view m = message(static_cast<Status>(s));
        EXPECT_FALSE(m.empty()) << s;
        EXPECT_LE(m.size(), 79u) << s;
        EXPECT_EQ(m.find_first_of("\r\n"), std::string_view::npos) << s;
        EXPECT_TRUE(seen.insert(m).second) << "message shared by two causes: " << s;
    }
}

}  // namespace test_support
