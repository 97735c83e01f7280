// The table normal distribution function at its edge points.  Exact values
// follow from the rules (symmetry, saturation, T = 0 at a node); the
// interpolated ones were worked out with the single-precision model
// reference_model.py.
#include <gtest/gtest.h>

#include <ostream>

#include "normdf.h"

namespace {

float phi(float x) { return separator::normal_distribution(x); }

struct Point {
    const char* name;
    float x;
    float phi;
};
void PrintTo(const Point& p, std::ostream* os) { *os << p.name; }

class NormdfAt : public ::testing::TestWithParam<Point> {};

TEST_P(NormdfAt, GivesTheValue) { EXPECT_EQ(phi(GetParam().x), GetParam().phi); }

INSTANTIATE_TEST_SUITE_P(
    Edges, NormdfAt,
    ::testing::Values(
        Point{"ZeroIsOneHalf", 0.0f, 0.5f},
        Point{"NegativeZero", -0.0f, 0.5f},
        // On a node T is an integer and the table entry comes back.
        Point{"FirstInnerNode", 0.2f, 0.57925f},
        Point{"NodeOne", 1.0f, 0.84134f},
        Point{"Between", 2.5f, 0.993784845f},
        // Φ(4.99) from the last six entries (4.0 to 5.0).
        Point{"JustBelowFive", 4.99f, 0.999990344f},
        Point{"Five", 5.0f, 1.0f},
        Point{"AboveFive", 7.0f, 1.0f},
        Point{"MinusPointThree", -0.3f, 0.382091522f},
        // From the tail table: 1e-5 - (-3.3457e-6).
        Point{"MinusFourPointTwo", -4.2f, 1.33456997e-05f},
        // Just above -4.2: the main table, 1 - Φ(4.19).
        Point{"MinusFourPointOneNine", -4.19f, 2.0802021e-05f},
        Point{"TailNearMinusFive", -4.9999f, 2.86850081e-07f},
        Point{"MinusFive", -5.0f, 0.0f},
        Point{"FarLeft", -9.0f, 0.0f}),
    [](const auto& tp) { return std::string(tp.param.name); });

TEST(Normdf, Symmetry) {
    for (float x : {0.3f, 1.1f, 2.5f, 3.77f, 4.19f}) {
        const float p = phi(x);
        EXPECT_EQ(phi(-x), static_cast<float>(1.0 - static_cast<double>(p))) << x;
    }
}

TEST(Normdf, MonotoneOverTheRange) {
    float last = phi(-6.0f);
    for (int k = -600; k <= 600; ++k) {
        const float x = static_cast<float>(k) / 100.0f;
        const float p = phi(x);
        EXPECT_GE(p, last - 2e-6f) << x;  // interpolation wiggles stay within the table decimals
        EXPECT_GE(p, 0.0f);
        EXPECT_LE(p, 1.0f);
        last = p;
    }
}

TEST(Normdf, TailValueBelowMinusFiveIsTheBase) { EXPECT_EQ(separator::normal_lower_tail(-5.0f), 1.0e-5f); }

}  // namespace
