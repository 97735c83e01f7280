// The estimators of sensitivity on functions whose indices are known, the
// studies of a program over ranges, and the figures of a summary: its
// percentiles, Wilson's interval and the counts of a table with invalid
// cases and results a path does not compute.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "swirl/core/csv.h"
#include "swirl/core/usage_error.h"
#include "swirl/study/sensitivity.h"
#include "swirl/study/summary.h"
#include "swirl/study/sweep.h"

namespace swirl {
namespace {

constexpr double kPi = std::numbers::pi;

// Ishigami's function of three inputs uniform on [-π, π], a = 7, b = 0.1.
ModelFactory ishigami() {
    return [] {
        return UnitModel([](std::span<const double> u, std::span<double> y) {
            const double x1 = -kPi + 2 * kPi * u[0], x2 = -kPi + 2 * kPi * u[1], x3 = -kPi + 2 * kPi * u[2];
            y[0] = std::sin(x1) + 7 * std::sin(x2) * std::sin(x2) + 0.1 * std::pow(x3, 4) * std::sin(x1);
            return true;
        });
    };
}

TEST(Sobol, IshigamiIndicesLieWithinTheirIntervals) {
    const double a = 7, b = 0.1;
    const double v1 = 0.5 * std::pow(1 + b * std::pow(kPi, 4) / 5, 2), v2 = a * a / 8,
                 v13 = 8 * b * b * std::pow(kPi, 8) / 225, v = v1 + v2 + v13;
    const double s1[] = {v1 / v, v2 / v, 0}, st[] = {(v1 + v13) / v, v2 / v, v13 / v};
    EXPECT_NEAR(s1[0], 0.314, 5e-4);
    EXPECT_NEAR(st[2], 0.244, 5e-4);
    const SobolEstimate e = sobol_indices(3, 1, 8192, 1, ishigami(), 2);
    EXPECT_EQ(e.evaluations, 8192 * 5);
    EXPECT_EQ(e.invalid, 0);
    for (std::size_t i = 0; i < 3; ++i) {
        const SobolIndex& x = e.at(0, i);
        EXPECT_EQ(x.points, 8192);
        EXPECT_LE(x.S1_low, s1[i]) << i;
        EXPECT_GE(x.S1_high, s1[i]) << i;
        EXPECT_LE(x.ST_low, st[i]) << i;
        EXPECT_GE(x.ST_high, st[i]) << i;
        EXPECT_LT(x.S1_high - x.S1_low, 0.1) << i;
        EXPECT_LE(x.S1_low, x.S1);
        EXPECT_GE(x.S1_high, x.S1);
    }
    // The same seed, the same figures, whatever the threads.
    const SobolEstimate again = sobol_indices(3, 1, 8192, 1, ishigami(), 1);
    EXPECT_EQ(again.at(0, 1).S1_low, e.at(0, 1).S1_low);
    EXPECT_EQ(again.at(0, 2).ST, e.at(0, 2).ST);
}

// 2·u0 − 3·u1 + 0·u2, invalid where u0 > 0.9, and a second output only
// computed where u1 < 0.5.
ModelFactory linear() {
    return [] {
        return UnitModel([](std::span<const double> u, std::span<double> y) {
            if (u[0] > 0.9) return false;
            y[0] = 2 * u[0] - 3 * u[1];
            y[1] = u[1] < 0.5 ? u[2] : std::nan("");
            return true;
        });
    };
}

TEST(Morris, ElementaryEffectsOfALinearFunction) {
    const MorrisEstimate e = morris_effects(3, 2, 50, 4, 3, linear(), 2);
    EXPECT_EQ(e.evaluations, 50 * 4);
    EXPECT_GT(e.invalid, 0);  // u0 = 1 is a level
    const double mu[] = {2, -3, 0};
    for (std::size_t i = 0; i < 3; ++i) {
        const MorrisEffect& x = e.at(0, i);
        EXPECT_GT(x.effects, 0);
        EXPECT_NEAR(x.mu, mu[i], 1e-12) << i;
        EXPECT_NEAR(x.mu_star, std::fabs(mu[i]), 1e-12) << i;
        EXPECT_NEAR(x.sigma, 0, 1e-12) << i;
    }
    EXPECT_NEAR(e.at(1, 2).mu, 1, 1e-12);
    EXPECT_THROW(morris_effects(3, 1, 5, 3, 1, linear()), UsageError);
    EXPECT_THROW(morris_effects(3, 1, 0, 4, 1, linear()), UsageError);
}

TEST(Sobol, InvalidPointsAreLeftOut) {
    const SobolEstimate e = sobol_indices(3, 2, 1024, 2, linear(), 1, 20);
    EXPECT_GT(e.invalid, 0);
    EXPECT_LT(e.at(0, 0).points, 1024);
    EXPECT_LT(e.at(1, 0).points, e.at(0, 0).points);
    // Of a linear function the first-order indices are the total ones and add up to 1.
    EXPECT_NEAR(e.at(0, 0).S1 + e.at(0, 1).S1, 1, 0.05);
    EXPECT_NEAR(e.at(0, 2).ST, 0, 1e-12);
}

std::vector<Value> example_inputs(const Calculator& calc) {
    std::vector<Value> inputs(calc.inputs.size());
    calculators::ReadFailure where;
    EXPECT_TRUE(calc.read(calc.example, inputs, where));
    return inputs;
}

TEST(Sensitivity, OfAProgram) {
    const Calculator& bilm = *find_program("BILM");
    const std::vector<InputRange> ranges = {parse_input_range("r1=0.009:0.011"), parse_input_range("Q=0.0009:0.0011")};
    const Sensitivity study(bilm, example_inputs(bilm), ranges);
    const SensitivityReport oat = study.oat();
    EXPECT_EQ(oat.evaluations, 4);
    ASSERT_EQ(oat.oat.size(), 6u);  // HO, RV, VMAX by 2 inputs
    EXPECT_EQ(oat.oat[0].result, "HO");
    EXPECT_EQ(oat.oat[0].input, "R1");  // the larger swing first
    EXPECT_GT(oat.oat[0].swing, 0);
    EXPECT_EQ(oat.oat[1].swing, 0);
    const plot::Figure f = tornado_figure(bilm, oat, "ho", 0.3449, "t");
    EXPECT_EQ(f.panels.at(0).series.size(), 2u);
    EXPECT_THROW(tornado_figure(bilm, oat, "HX", 0, "t"), UsageError);

    const SensitivityReport sobol = study.sobol(512, 1);
    EXPECT_EQ(sobol.evaluations, 512 * 4);
    EXPECT_EQ(sobol.sobol.size(), 6u);
    EXPECT_NEAR(sobol.sobol[0].ST, 1, 0.05);  // HO: all of R1
    EXPECT_NEAR(sobol.sobol[1].ST, 0, 1e-9);
    EXPECT_EQ(study.morris(10, 4, 1).evaluations, 30);

    const Calculator& kerva = *find_program("KERVA");
    const std::vector<InputRange> ni = {parse_input_range("NI=1:3")};
    EXPECT_THROW(Sensitivity(kerva, example_inputs(kerva), ni).sobol(8, 1), UsageError);
    EXPECT_EQ(Sensitivity(kerva, example_inputs(kerva), ni).oat().evaluations, 2);
    for (const char* bad : {"Q", "Q=1", "Q=2:1", "Q=a:1", "=1:2"}) EXPECT_THROW(parse_input_range(bad), UsageError) << bad;
    const std::vector<InputRange> twice = {parse_input_range("Q=1:2"), parse_input_range("q=1:2")};
    EXPECT_THROW(Sensitivity(bilm, example_inputs(bilm), twice), UsageError);
    const std::vector<InputRange> huge = {parse_input_range("Q=0:1e39")};
    EXPECT_THROW(Sensitivity(bilm, example_inputs(bilm), huge), UsageError);
    EXPECT_THROW(parse_method("sobl"), UsageError);
}

TEST(Summary, PercentilesAndWilson) {
    const std::vector<double> v = {1, 2, 3, 4};
    EXPECT_DOUBLE_EQ(percentile(v, 0.05), 1.15);
    EXPECT_DOUBLE_EQ(percentile(v, 0.5), 2.5);
    EXPECT_DOUBLE_EQ(percentile(v, 0.95), 3.85);
    EXPECT_DOUBLE_EQ(percentile(v, 1), 4);
    EXPECT_TRUE(std::isnan(percentile({}, 0.5)));
    const Interval w = wilson_interval(8, 10);
    EXPECT_NEAR(w.low, 0.4901624, 1e-6);
    EXPECT_NEAR(w.high, 0.9433178, 1e-6);
    EXPECT_EQ(wilson_interval(0, 10).low, 0);
    EXPECT_NEAR(wilson_interval(0, 10).high, 0.2775328, 1e-6);
    EXPECT_EQ(wilson_interval(10, 10).high, 1);
}

TEST(Summary, CountsOfATableWithInvalidCases) {
    const Calculator& bilm = *find_program("BILM");
    const Sweep sweep(bilm, example_inputs(bilm), std::vector{parse_grid("R1=-0.01:0.02:7")});
    std::string text;
    sweep.append_header(text);
    sweep.run(1, [&](std::string_view rows) { text += rows; });
    const CsvTable table = read_csv(text);
    const std::vector<Requirement> required = {parse_requirement("ho >= 0.2"), parse_requirement("VMAX<1e9")};
    const TableSummary s = summarize(table, required);
    EXPECT_EQ(s.program, &bilm);
    EXPECT_EQ(s.cases, 7);
    ASSERT_EQ(s.results.size(), 3u);
    EXPECT_EQ(s.results[0].name, "HO");
    EXPECT_EQ(s.results[0].invalid, 3);  // R1 = -0.01, -0.005 and 0
    EXPECT_EQ(s.results[0].ok, 4);
    EXPECT_EQ(s.requirements[1].met, 4);  // the invalid cases do not meet it
    EXPECT_EQ(s.requirements[1].cases, 7);
    EXPECT_DOUBLE_EQ(s.requirements[1].share, 4.0 / 7);
    // A sample's table too, its column `case` first.
    const CsvTable one = read_csv("case,Q,HG,R1,RCR,UPOD,HO,RV,VMAX,status,reason,messages,outlet\r\n"
                                  "0,1,1,1,1,1,,0.5,2,ok,,,\r\n");
    const TableSummary t = summarize(one, {});
    EXPECT_EQ(t.results[0].not_computed, 1);
    EXPECT_TRUE(std::isnan(t.results[0].mean));
    EXPECT_EQ(t.results[1].mean, 0.5);
    EXPECT_TRUE(std::isnan(t.results[1].sd));
    for (const char* bad : {"HO", "HO=1", ">=1", "HO>=x"}) EXPECT_THROW(parse_requirement(bad), UsageError) << bad;
    const std::vector<Requirement> unknown = {parse_requirement("HX>=1")};
    EXPECT_THROW(summarize(table, unknown), UsageError);
    EXPECT_THROW(summarize(read_csv("a,b\r\n1,2\r\n"), {}), UsageError);
    EXPECT_THROW(summarize(read_csv("case,Q,HG,R1,RCR,UPOD,HO,RV,VMAX,status,reason,messages,outlet\r\n"
                                    "0,1,1,1,1,1,x,0.5,2,ok,,,\r\n"),
                           {}),
                 CsvError);
    EXPECT_EQ(histogram_figure(table, "ho", required[0], "h").markers.size(), 4u);
    EXPECT_THROW(histogram_figure(table, "HO", required[1], "h"), UsageError);
}

}  // namespace
}  // namespace swirl
