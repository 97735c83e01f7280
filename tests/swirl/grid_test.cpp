// Sweep grids: their values, the numbering of the cases of several grids, and
// shards that together are every case once.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "swirl/core/grid.h"

namespace swirl {
namespace {

TEST(Grid, Values) {
    const struct { const char* text; std::vector<double> values; } cases[] = {
        {"G=0:1:11", {0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 1}},
        {"RK=2:1:3", {2, 1.5, 1}},
        {"X=0.1:0.7:3", {0.1, 0.4, 0.7}},
        {"X=+.5:5.:1", {0.5}},
        {"МА=1e-3:10:5:log", {1e-3, 1e-2, 0.1, 1, 10}},
        {"N=0.3:0.1:2:log", {0.3, 0.1}},
        {"D=1:1:3:log", {1, 1, 1}},
    };
    for (const auto& c : cases) {
        const Grid g = parse_grid(c.text);
        ASSERT_EQ(g.count, static_cast<std::int64_t>(c.values.size())) << c.text;
        for (std::int64_t i = 0; i < g.count; ++i) {
            const double want = c.values[static_cast<std::size_t>(i)];
            if (g.log && i > 0 && i + 1 < g.count) EXPECT_NEAR(g.value(i), want, 1e-15 * want) << c.text << i;
            else EXPECT_EQ(g.value(i), want) << c.text << " " << i;
        }
    }
    EXPECT_EQ(parse_grid("МА=1e-3:10:5:log").name, "МА");
}

TEST(Grid, ErrorsAreOneLineMessages) {
    const struct { const char* text; const char* what; } cases[] = {
        {"G0:1:2", "expected NAME=FROM:TO:COUNT"},
        {"G=0:1", "expected NAME=FROM:TO:COUNT"},
        {"=0:1:2", "the name is missing"},
        {"G 1=0:1:2", "the name contains a blank"},
        {"G=0:1:2:lin", "the fourth part must be \"log\""},
        {"G=a:1:2", "FROM \"a\" is not a plain decimal"},
        {"G=0:1,5:2", "TO \"1,5\" is not a plain decimal"},
        {"G=0:1:0", "COUNT must be at least 1"},
        {"G=0:1:-3", "COUNT \"-3\" is not a whole number"},
        {"G=0:1:99999999999999999999", "COUNT is too large"},
        {"G=0:1:5:log", "a log grid needs FROM and TO greater than 0"},
        {"G=-1e308:1e308:3", "the range is beyond double precision"},
        {"G=1e-300:1e300:3:log", "the range is beyond double precision"},
    };
    for (const auto& c : cases) {
        try {
            parse_grid(c.text);
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const UsageError& e) {
            const std::string message = e.what();
            EXPECT_EQ(message.find("grid \"" + std::string(c.text) + "\": " + c.what), 0u) << message;
            EXPECT_EQ(message.find('\n'), std::string::npos);
        }
    }
}

TEST(Grid, ProductNumbersCasesWithTheLastGridFastest) {
    const std::vector<Grid> grids = {parse_grid("A=0:1:3"), parse_grid("B=5:5:1"), parse_grid("C=0:1:4"),
                                     parse_grid("D=0:1:2")};
    ASSERT_EQ(case_count(grids), 24);
    std::int64_t index = 0;
    std::vector<std::int64_t> got(4);
    for (std::int64_t a = 0; a < 3; ++a)
        for (std::int64_t c = 0; c < 4; ++c)
            for (std::int64_t d = 0; d < 2; ++d, ++index) {
                case_indices(grids, index, got);
                EXPECT_EQ(got, (std::vector<std::int64_t>{a, 0, c, d})) << index;
            }

    const Grid big = parse_grid("X=0:1:2147483648");  // 2^31
    EXPECT_EQ(case_count(std::vector<Grid>{big, big}), std::int64_t{1} << 62);
    EXPECT_THROW(case_count(std::vector<Grid>{big, big, parse_grid("Y=0:1:2")}), UsageError);
    EXPECT_THROW(case_count(std::vector<Grid>{}), UsageError);
}

TEST(Shard, Parse) {
    EXPECT_EQ(parse_shard("3/4").k, 3);
    for (const char* text : {"0/4", "5/4", "4/0", "a/b", "1/", "/2", "1-2", "-1/2", " 1/2", "1/2/3",
                             "2/99999999999999999999"})
        EXPECT_THROW(parse_shard(text), UsageError) << text;
}

TEST(Shard, BlocksConcatenateToAllCases) {
    for (const std::int64_t total : {0, 1, 2, 7, 100, 1001})
        for (const std::int64_t n : {1, 2, 3, 7, 10, 150}) {
            std::int64_t next = 0, previous_size = total;
            for (std::int64_t k = 1; k <= n; ++k) {
                const CaseRange r = shard_range(total, {k, n});
                const std::int64_t size = r.end - r.begin;
                EXPECT_EQ(r.begin, next) << total << " " << k << "/" << n;
                EXPECT_LE(size, previous_size);
                EXPECT_LE(size, total / n + 1);
                EXPECT_GE(size, total / n);
                next = r.end;
                previous_size = size;
            }
            EXPECT_EQ(next, total) << total << " /" << n;
        }
}

}  // namespace
}  // namespace swirl
