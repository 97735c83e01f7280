// Samples and case lists: each distribution's quantiles and sample moments
// against closed forms, the strata of a Latin hypercube and of a Sobol
// sequence, the same bytes whatever the seed's machine, threads and shards,
// and every refusal of a distribution, a sample and a case list.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "swirl/core/csv.h"
#include "swirl/core/usage_error.h"
#include "swirl/study/case_list.h"
#include "swirl/study/design.h"
#include "swirl/study/distribution.h"
#include "swirl/study/sample.h"
#include "swirl/study/sweep.h"

namespace swirl {
namespace {

const Calculator& bilm() { return *find_program("BILM"); }
const Calculator& kerva() { return *find_program("KERVA"); }

std::vector<Value> example_inputs(const Calculator& calc) {
    std::vector<Value> inputs(calc.inputs.size());
    calculators::ReadFailure where;
    EXPECT_TRUE(calc.read(calc.example, inputs, where));
    return inputs;
}

template <class Study>
std::string rows_of(const Study& s, unsigned jobs) {
    std::string rows;
    s.run(jobs, [&](std::string_view block) { rows += block; });
    return rows;
}

// The standard normal, independently of the library under test.
double phi(double z) { return std::exp(-z * z / 2) / std::sqrt(2 * std::numbers::pi); }
double big_phi(double z) { return 0.5 * std::erfc(-z / std::numbers::sqrt2); }
constexpr double kZ90 = 1.2815515655446004;  // the 0.9 quantile

// Closed forms of each distribution: quantiles at 0.1, 0.5, 0.9, the
// distribution function, mean and standard deviation.
struct Exact {
    const char* text;
    double q10, q50, q90;
    double (*cdf)(double);
    double mean, sd;
};
const double kLnGsd = std::log(1.5);
const Exact kExact[] = {
    {"uniform(2,5)", 2.3, 3.5, 4.7, [](double x) { return std::clamp((x - 2) / 3, 0.0, 1.0); }, 3.5, 3 / std::sqrt(12.0)},
    {"normal(10,2)", 10 - 2 * kZ90, 10, 10 + 2 * kZ90, [](double x) { return big_phi((x - 10) / 2); }, 10, 2},
    {"lognormal(2,1.5)", 2 * std::pow(1.5, -kZ90), 2, 2 * std::pow(1.5, kZ90),
     [](double x) { return big_phi(std::log(x / 2) / std::log(1.5)); }, 2 * std::exp(kLnGsd * kLnGsd / 2),
     2 * std::exp(kLnGsd * kLnGsd / 2) * std::sqrt(std::expm1(kLnGsd * kLnGsd))},
    {"triangular(0,1,4)", std::sqrt(0.4), 4 - std::sqrt(6.0), 4 - std::sqrt(1.2),
     [](double x) { return x <= 1 ? x * x / 4 : 1 - (4 - x) * (4 - x) / 12; }, 5.0 / 3, std::sqrt(13.0 / 18)},
    // Truncated: the quantiles of the conditioned distribution.
    {"normal(0,1)[-1,2]", 0, 0, 0,
     [](double x) { return (big_phi(x) - big_phi(-1)) / (big_phi(2) - big_phi(-1)); },
     (phi(-1) - phi(2)) / (big_phi(2) - big_phi(-1)), 0},
    {"normal(0,1)[4,5]", 0, 0, 0,
     [](double x) { return (big_phi(-4) - big_phi(-x)) / (big_phi(-4) - big_phi(-5)); },
     (phi(4) - phi(5)) / (big_phi(-4) - big_phi(-5)), 0},
};

TEST(Distribution, QuantilesAndSampleMomentsAgainstClosedForms) {
    constexpr std::int64_t n = 20000;
    for (const Exact& e : kExact) {
        SCOPED_TRACE(e.text);
        const Distribution d = parse_distribution(e.text);
        if (e.q50 != 0 || e.q10 != 0) {
            EXPECT_NEAR(d.quantile(0.1), e.q10, 1e-9 * std::fabs(e.q10) + 1e-12);
            EXPECT_NEAR(d.quantile(0.5), e.q50, 1e-9 * std::fabs(e.q50) + 1e-12);
            EXPECT_NEAR(d.quantile(0.9), e.q90, 1e-9 * std::fabs(e.q90) + 1e-12);
        }
        for (const double p : {0.05, 0.3, 0.7, 0.95}) EXPECT_NEAR(e.cdf(d.quantile(p)), p, 1e-9);
        // Independent random numbers: the sample's moments and quantiles
        // within a few standard errors.
        const UnitDesign design(Design::random, 1, n, 42);
        UnitDesign::Cursor cursor(design);
        std::vector<double> x(n);
        double u = 0;
        for (std::int64_t i = 0; i < n; ++i) {
            cursor.point(i, std::span<double>(&u, 1));
            x[static_cast<std::size_t>(i)] = d.quantile(u);
        }
        double sum = 0;
        for (const double v : x) sum += v;
        const double mean = sum / n;
        double ss = 0;
        for (const double v : x) ss += (v - mean) * (v - mean);
        const double sd = std::sqrt(ss / (n - 1));
        EXPECT_NEAR(mean, e.mean, 4 * sd / std::sqrt(double(n)));
        if (e.sd > 0) {
            EXPECT_NEAR(sd, e.sd, 0.03 * e.sd);
        }
        std::sort(x.begin(), x.end());
        for (const double p : {0.05, 0.5, 0.95}) EXPECT_NEAR(e.cdf(x[static_cast<std::size_t>(p * n)]), p, 0.01) << p;
        if (d.lo) {
            EXPECT_GE(x.front(), *d.lo);
            EXPECT_LE(x.back(), *d.hi);
        }
    }
}

TEST(Distribution, TextsAndRefusals) {
    EXPECT_EQ(parse_distribution(" Normal( 1000 , 50 )[900,1100]").text(), "normal(1000,50)[900,1100]");
    EXPECT_EQ(parse_distribution("CONST(0.5)").text(), "const(0.5)");
    EXPECT_EQ(parse_distribution("const(2)").quantile(0.3), 2);
    const SampledInput s = parse_sampled_input("q=lognormal(1e-5,2)");
    EXPECT_EQ(s.name, "q");
    EXPECT_EQ(s.distribution.text(), "lognormal(1e-05,2)");
    const struct {
        const char* text;
        const char* message;
    } refused[] = {
        {"gauss(0,1)", "unknown distribution gauss"},
        {"nromal(0,1)", "did you mean normal?"},
        {"normal(0,0)", "SD must be above 0"},
        {"normal(0,-1)", "SD must be above 0"},
        {"uniform(2,2)", "LO must be below HI"},
        {"uniform(3,2)", "LO must be below HI"},
        {"triangular(0,5,4)", "MODE must lie between"},
        {"triangular(1,1,1)", "LO must be below HI"},
        {"lognormal(0,2)", "MEDIAN must be above 0"},
        {"lognormal(1,1)", "GSD must be above 1"},
        {"normal(0,1)[2,1]", "truncation's LO must be below its HI"},
        {"uniform(0,1)[2,3]", "holds no probability"},
        {"normal(0,1)[40,50]", "holds no probability"},
        {"const(5)[0,1]", "V lies outside"},
        {"normal(0,1", "parentheses"},
        {"normal(0)", "1 parameters"},
        {"normal(0,x)", "\"x\" is not a number"},
        {"normal(0,1)junk", "only a truncation"},
        {"normal(0,1)[1]", "[LO,HI]"},
    };
    for (const auto& r : refused) {
        try {
            parse_distribution(r.text);
            ADD_FAILURE() << r.text << " is accepted";
        } catch (const UsageError& e) {
            EXPECT_NE(std::string(e.what()).find(r.message), std::string::npos) << r.text << ": " << e.what();
        }
    }
    EXPECT_THROW(parse_sampled_input("normal(0,1)"), UsageError);
    EXPECT_THROW(parse_sampled_input("=normal(0,1)"), UsageError);
}

// The stratum of each point in each dimension, for N strata.
std::vector<std::vector<std::int64_t>> strata(const UnitDesign& d, std::int64_t n) {
    std::vector<std::vector<std::int64_t>> s(d.dimensions());
    UnitDesign::Cursor c(d);
    std::vector<double> u(d.dimensions());
    for (std::int64_t i = 0; i < d.count(); ++i) {
        c.point(i, u);
        for (std::size_t j = 0; j < u.size(); ++j) {
            EXPECT_GT(u[j], 0);
            EXPECT_LT(u[j], 1);
            s[j].push_back(static_cast<std::int64_t>(u[j] * static_cast<double>(n)));
        }
    }
    return s;
}

bool one_each(std::vector<std::int64_t> s) {
    std::sort(s.begin(), s.end());
    for (std::size_t i = 0; i < s.size(); ++i)
        if (s[i] != static_cast<std::int64_t>(i)) return false;
    return true;
}

TEST(Design, EveryStratumHoldsOnePoint) {
    for (const std::uint64_t seed : {1u, 2u, 99u}) {
        // A Latin hypercube of any size; a Sobol sequence of 2^m points, in
        // every dimension and in the 2^m cells of its first two.
        for (const std::int64_t n : {1, 7, 50}) {
            for (const auto& s : strata(UnitDesign(Design::lhs, 3, n, seed), n)) EXPECT_TRUE(one_each(s)) << n;
        }
        const UnitDesign sobol(Design::sobol, 5, 64, seed);
        const auto s = strata(sobol, 64);
        for (const auto& dim : s) EXPECT_TRUE(one_each(dim));
        std::vector<std::int64_t> cells;
        const auto s8 = strata(sobol, 8);
        for (std::size_t i = 0; i < 64; ++i) cells.push_back(s8[0][i] * 8 + s8[1][i]);
        EXPECT_TRUE(one_each(cells));
    }
}

TEST(Design, PointsComeFromTheSeedAndTheIndexAlone) {
    // The numbers are the same on every machine: pinned.
    EXPECT_EQ(counter_bits(1, 1, 0, 0), 0xc965d6348c188782ULL);
    for (const Design design : {Design::random, Design::lhs, Design::sobol}) {
        const UnitDesign a(design, 3, 100, 7), b(design, 3, 100, 7), c(design, 3, 100, 8);
        UnitDesign::Cursor in_order(a);
        std::vector<double> u(3);
        for (const std::int64_t i : {0, 1, 2, 50, 3, 99}) {
            in_order.point(i, u);
            EXPECT_EQ(u, b.point(i)) << design_name(design) << " " << i;
            EXPECT_NE(u, c.point(i)) << design_name(design) << " " << i;
        }
    }
    EXPECT_EQ(parse_design("LHS"), Design::lhs);
    EXPECT_THROW(parse_design("sobl"), UsageError);
    EXPECT_THROW(UnitDesign(Design::lhs, 2, 0, 1), UsageError);
}

std::vector<SampledInput> varied(std::initializer_list<const char*> texts) {
    std::vector<SampledInput> v;
    for (const char* t : texts) v.push_back(parse_sampled_input(t));
    return v;
}

TEST(Sample, TheSameBytesWhateverTheJobsAndTheShards) {
    const std::vector<Value> base = example_inputs(bilm());
    const auto vary = varied({"Q=normal(0.001,0.0001)", "upod=triangular(0.04,0.05,0.07)", "R1=uniform(-0.001,0.02)"});
    for (const Design design : {Design::random, Design::lhs, Design::sobol}) {
        SCOPED_TRACE(design_name(design));
        const Sample whole(bilm(), base, vary, 101, design, 5);
        const std::string rows = rows_of(whole, 1);
        EXPECT_EQ(rows_of(whole, 2), rows);
        EXPECT_EQ(rows_of(whole, 8), rows);
        for (const std::int64_t n : {2, 3, 7}) {
            std::string joined;
            for (std::int64_t k = 1; k <= n; ++k) joined += rows_of(Sample(bilm(), base, vary, 101, design, 5, {k, n}), 2);
            EXPECT_EQ(joined, rows) << n << " shards";
        }
        std::string text;
        whole.append_header(text);
        text += rows;
        const CsvTable table = read_csv(text);
        EXPECT_EQ(table.columns.front(), "case");
        ASSERT_EQ(table.rows.size(), 101u);
        std::size_t invalid = 0;
        for (std::size_t r = 0; r < table.rows.size(); ++r) {
            EXPECT_EQ(table.rows[r][0], std::to_string(r));
            invalid += table.rows[r][9] == "invalid";  // R1 below 0
        }
        EXPECT_GT(invalid, 0u);
        EXPECT_NE(rows_of(Sample(bilm(), base, vary, 101, design, 6), 1), rows);
    }
}

TEST(Sample, ValuesAreHeldAndTheIdentityTellsTheSample) {
    const Sample s(bilm(), example_inputs(bilm()), varied({"upod=uniform(0.04,0.06)", "Q=const(0.002)"}), 10,
                   Design::lhs, 3);
    std::string text;
    s.append_header(text);
    text += rows_of(s, 1);
    const CsvTable table = read_csv(text);
    for (const auto& row : table.rows) {
        EXPECT_EQ(row[1], "0.002");
        EXPECT_LE(row[5].size(), 8u) << row[5];  // BILM's fields hold five digits: 0.04xxx
    }
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"program", "BILM"}, {"input Q", "0.001"}, {"input HG", "0.5"}, {"input R1", "0.01"}, {"input RCR", "0.1"},
        {"input UPOD", "0.05"}, {"vary UPOD", "uniform(0.04,0.06)"}, {"vary Q", "const(0.002)"},
        {"design", "lhs"}, {"seed", "3"}, {"count", "10"}};
    EXPECT_EQ(s.identity(), expected);
}

// The held values, as the table gives them, fill the strata too: a value
// the field rounds over a border is moved to the middle of its stratum.
TEST(Sample, HeldValuesFillTheStrata) {
    const auto vary = varied({"UPOD=uniform(0.045,0.055)", "Q=normal(0.001,0.00005)"});
    for (const Design design : {Design::lhs, Design::sobol}) {
        const std::int64_t n = 1024;
        const Sample s(bilm(), example_inputs(bilm()), vary, n, design, 11);
        std::string text;
        s.append_header(text);
        text += rows_of(s, 2);
        const CsvTable table = read_csv(text);
        std::vector<std::int64_t> upod, q;
        for (const auto& row : table.rows) {
            upod.push_back(static_cast<std::int64_t>((std::stod(row[5]) - 0.045) / 0.01 * n));
            q.push_back(static_cast<std::int64_t>(big_phi((std::stod(row[1]) - 0.001) / 0.00005) * n));
        }
        EXPECT_TRUE(one_each(upod)) << design_name(design);
        EXPECT_TRUE(one_each(q)) << design_name(design);
    }
}

TEST(Sample, Refusals) {
    const std::vector<Value> base = example_inputs(kerva());
    const struct {
        std::vector<const char*> vary;
        std::int64_t count;
        const char* message;
    } refused[] = {
        {{}, 10, "nothing to sample"},
        {{"XX=uniform(0,1)"}, 10, "XX"},
        {{"QH=uniform(900,1100)", "qh=const(1000)"}, 10, "varied twice"},
        {{"QH=uniform(900,1100)"}, 0, "--count"},
        {{"NI=uniform(1,3)"}, 10, "only const(V)"},
        {{"UVX=normal(90,1e9)"}, 10, "truncate it"},
    };
    for (const auto& r : refused) {
        std::vector<SampledInput> v;
        for (const char* t : r.vary) v.push_back(parse_sampled_input(t));
        try {
            Sample(kerva(), base, v, r.count);
            ADD_FAILURE() << r.message;
        } catch (const UsageError& e) {
            EXPECT_NE(std::string(e.what()).find(r.message), std::string::npos) << e.what();
        }
    }
    EXPECT_NO_THROW(Sample(kerva(), base, varied({"NI=const(2)", "UVX=normal(90,1e9)[0,90]"}), 3));
}

TEST(CaseList, RowsAsASweepOfTheSameValues) {
    const std::vector<Value> base = example_inputs(bilm());
    const Sweep grid(bilm(), base, std::vector{parse_grid("Q=0.001:0.002:3"), parse_grid("UPOD=0.04:0.06:2")});
    const std::string list = "upod, q\r\n0.04,0.001\r\n0.06,0.001\r\n0.04,0.0015\r\n\"0.06\", 0.0015\r\n0.04,0.002\r\n0.06,2e-3";
    const Sweep cases(bilm(), base, read_case_list(bilm(), list, "l.csv"));
    EXPECT_EQ(cases.total(), 6);
    std::string h1, h2;
    grid.append_header(h1);
    cases.append_header(h2);
    EXPECT_EQ(h1, h2);
    EXPECT_EQ(rows_of(cases, 2), rows_of(grid, 1));
    const auto grids = std::vector{parse_grid("Q=0.001:0.002:3"), parse_grid("UPOD=0.04:0.06:2")};
    EXPECT_EQ(rows_of(Sweep(bilm(), base, read_case_list(bilm(), list, "l.csv"), {2, 2}), 1),
              rows_of(Sweep(bilm(), base, grids, {2, 2}), 1));
}

TEST(CaseList, RefusalsNameTheRowAndTheColumn) {
    const struct {
        const char* text;
        const char* message;
    } refused[] = {
        {"Q,UPD\n1,2\n", "column 2: BILM has no input UPD (did you mean UPOD?"},
        {"Q,HO\n1,2\n", "HO is a result of BILM"},
        {"Q,q\n1,2\n", "column 2: Q is named twice"},
        {"Q,\n1,2\n", "column 2 has no name"},
        {"Q,UPOD\n", "no cases"},
        {"Q,UPOD\n0.001,0.05\n0.002\n", "row 2 (line 3), column UPOD: missing"},
        {"Q,UPOD\n0.001,0.05,7\n", "row 1 (line 2): 3 cells"},
        {"Q,UPOD\n0.001,\n", "row 1 (line 2), column UPOD: empty"},
        {"Q,UPOD\n0.001,abc\n", "column UPOD: \"abc\" is not a number"},
        {"Q,UPOD\n1e39,0.05\n", "row 1 (line 2), column Q: 1e39"},
        {"Q,UPOD\n\"0.001,0.05\n", "is not closed"},
    };
    for (const auto& r : refused) {
        try {
            read_case_list(bilm(), r.text, "l.csv");
            ADD_FAILURE() << r.text << " is accepted";
        } catch (const UsageError& e) {
            EXPECT_NE(std::string(e.what()).find(r.message), std::string::npos) << r.text << ": " << e.what();
        }
    }
}

}  // namespace
}  // namespace swirl
