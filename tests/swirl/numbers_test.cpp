// Numbers as text: the shortest float decimals and the plain decimals a
// person types.
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstdint>
#include <limits>
#include <random>

#include "reads_back.h"
#include "swirl/core/numbers.h"

namespace swirl {
namespace {

TEST(Shortest, Table) {
    constexpr float inf = std::numeric_limits<float>::infinity();
    const struct { float value; const char* text; } cases[] = {
        {0.1f, "0.1"}, {1.0f, "1"}, {-0.0f, "-0"}, {-2.5f, "-2.5"}, {1e20f, "1e+20"}, {1.5e-5f, "1.5e-05"},
        {123456792.f, "123456792"}, {std::numeric_limits<float>::max(), "3.4028235e+38"},
        {std::numeric_limits<float>::denorm_min(), "1e-45"}, {std::bit_cast<float>(0x95AE43FDu), "-7.0385307e-26"},
        {inf, ""}, {-inf, ""},
        {std::numeric_limits<float>::quiet_NaN(), ""},
    };
    for (const auto& c : cases) EXPECT_EQ(shortest(c.value), c.text) << c.text;
}

TEST(Shortest, ReadsBackToTheSameFloat) {
    std::mt19937 rng(866);
    for (int i = 0; i < 200000; ++i) {
        const float f = std::bit_cast<float>(static_cast<std::uint32_t>(rng()));
        if (std::isfinite(f)) expect_reads_back(f);
    }
}

TEST(PlainDecimal, AcceptedAsTyped) {
    const struct { const char* text; double value; } cases[] = {
        {"1", 1}, {"-2.5", -2.5}, {"+3", 3}, {".5", 0.5}, {"5.", 5}, {"0001", 1}, {"1e3", 1000},
        {"1E-3", 0.001}, {"-1.5e+2", -150}, {"2.e1", 20}, {"1e-310", 1e-310}, {"0e999999", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(parse_plain_decimal(c.text), c.value) << c.text;
    EXPECT_TRUE(std::signbit(*parse_plain_decimal("-0")));
}

TEST(PlainDecimal, RefusedUnlessPlain) {
    for (const char* text : {"", " 1", "1 ", "1 000", "1,5", "1.2.3", ".", "-", "+-1", "--1", "e5", "1e", "1e+",
                             "1e2.5", "inf", "-inf", "nan", "0x10", "1f", "1_000", "1e400", "-1e400", "1e-400",
                             "\xEF\xBC\x91"})
        EXPECT_FALSE(parse_plain_decimal(text)) << '"' << text << '"';
}

}  // namespace
}  // namespace swirl
