// Solve and optimize in memory: the lattice's neighbours are neighbours,
// a scan refined by bisection finds what a scan of every held value finds
// (several crossings, gaps of invalid cases and of results not computed,
// none), and the optimiser's answers are feasible, certified and no worse
// than a 101 x 101 grid of held values.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "swirl/core/json_out.h"
#include "swirl/core/usage_error.h"
#include "swirl/design/lattice.h"
#include "swirl/design/optimize.h"
#include "swirl/design/render.h"
#include "swirl/design/solve.h"

namespace swirl {
namespace {

const Calculator& program(const char* name) { return *find_program(name); }

std::vector<Value> example_inputs(const Calculator& calc) {
    std::vector<Value> inputs(calc.inputs.size());
    calculators::ReadFailure where;
    EXPECT_TRUE(calc.read(calc.example, inputs, where));
    return inputs;
}

const Field& input(const Calculator& calc, const char* name) { return calc.inputs[input_index(calc, name)]; }

// ---------------------------------------------------------------------------
// The lattice: from a held value to the next, every float between holds as
// one of the two.

struct LatticeCase {
    const char* program;
    const char* input;
    double value;  // a value about which to look
};

class LatticeNeighbours : public ::testing::TestWithParam<LatticeCase> {};

TEST_P(LatticeNeighbours, NoHeldValueLiesBetweenNeighbours) {
    const LatticeCase& c = GetParam();
    const Field& field = input(program(c.program), c.input);
    const Lattice lattice(field);
    const Value start = hold(field, c.value).value;
    const std::int64_t r = lattice.rank(start);
    EXPECT_EQ(lattice.at(r).real, start.real);
    for (std::int64_t k = r - 2; k <= r + 2; ++k) {
        const float a = lattice.at(k).real, b = lattice.at(k + 1).real;
        ASSERT_LT(a, b) << k;
        EXPECT_EQ(lattice.rank(lattice.at(k)), k);
        EXPECT_EQ(hold(field, a).value.real, a);
        // Every float from a to b is held as a or as b (about zero the
        // floats between run into the billions: 0.0001 is checked to be held).
        if (a <= 0.0f && b >= 0.0f) continue;
        for (float f = std::nextafter(a, b); f < b; f = std::nextafter(f, b)) {
            const float h = hold(field, f).value.real;
            ASSERT_TRUE(h == a || h == b) << f << " holds as " << h << " between " << a << " and " << b;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Fields, LatticeNeighbours,
                         ::testing::Values(LatticeCase{"BILM", "Q", 0.001}, LatticeCase{"BILM", "Q", 0.0099999},
                                           LatticeCase{"BILM", "Q", 1.0}, LatticeCase{"BILM", "Q", -12345.0},
                                           LatticeCase{"KERVA", "UVX", 90.0}, LatticeCase{"KERVA", "UVX", 0.5},
                                           LatticeCase{"KERVA", "UVX", 1023.9999},
                                           LatticeCase{"KERVA", "UVX", 5000.0},
                                           LatticeCase{"KERVA", "UVX", -3.5},
                                           LatticeCase{"KERVA", "D50", 1e-5}));

TEST(Lattice, CountsTheHeldValuesOfARange) {
    const Field& q = input(program("BILM"), "Q");
    const Lattice l(q);
    // Five digits: 90,000 values a decade.
    EXPECT_EQ(l.rank(hold(q, 0.01).value) - l.rank(hold(q, 0.001).value), 90000);
    EXPECT_EQ(l.rank(hold(q, 0.0012).value) - l.rank(hold(q, 0.0011).value), 1000);
    // Zero, then the smallest normal float's decimal.
    EXPECT_EQ(l.at(0).real, 0.0f);
    EXPECT_EQ(l.at(1).real, hold(q, 1.1755e-38).value.real);
    EXPECT_EQ(l.at(-1).real, -l.at(1).real);
    const Field& uvx = input(program("KERVA"), "UVX");
    const Lattice f(uvx);
    EXPECT_EQ(f.rank(hold(uvx, 90.0).value) - f.rank(hold(uvx, 89.0).value), 10000);
    // Seven significant digits from 1000 on.
    EXPECT_EQ(f.rank(hold(uvx, 1001.0).value) - f.rank(hold(uvx, 1000.0).value), 1000);
    EXPECT_EQ(f.rank(hold(uvx, 1000.0).value) - f.rank(hold(uvx, 999.0).value), 10000);
    // Integers.
    const Field& ni = input(program("KERVA"), "NI");
    Value three;
    three.integer = 3;
    EXPECT_EQ(Lattice(ni).rank(three), 3);
    EXPECT_EQ(Lattice(ni).at(4).integer, 4);
}

// ---------------------------------------------------------------------------
// Solve on a program of test functions: BILM's fields with a result of our
// choosing, HO = f(Q), and cases that are invalid or do not compute HO.

using Curve = std::function<void(float q, calculators::Outcome& out)>;
Curve g_curve;

void curve_compute(std::span<const Value> inputs, bool, calculators::Outcome& out) {
    out.clear();
    out.valid = true;
    out.results.assign(3, Value{});
    out.computed.assign(3, true);
    out.verdicts.assign(1, {});
    g_curve(inputs[0].real, out);
}

const Calculator& curve_program() {
    static Calculator c = [] {
        Calculator k = program("BILM");
        k.compute = curve_compute;
        return k;
    }();
    return c;
}

void ho(calculators::Outcome& out, double v) { out.results[0].real = static_cast<float>(v); }

struct SolveCase {
    const char* name;
    Curve curve;
    const char* find;
    double target;
    std::int64_t scan;
    std::size_t crossings;
    std::size_t across;
};

class SolveAgainstEveryValue : public ::testing::TestWithParam<SolveCase> {};

std::vector<std::pair<float, float>> pairs(const std::vector<Crossing>& cs) {
    std::vector<std::pair<float, float>> v;
    for (const Crossing& c : cs) v.emplace_back(c.lower.input.value.real, c.upper.input.value.real);
    return v;
}

TEST_P(SolveAgainstEveryValue, FindsTheSameCrossings) {
    const SolveCase& c = GetParam();
    g_curve = c.curve;
    SolveProblem p;
    p.calc = &curve_program();
    p.base = example_inputs(program("BILM"));
    p.find = parse_range(c.find, "--find");
    p.target = {"HO", c.target};
    p.scan = c.scan;
    p.jobs = 2;
    const SolveResult scanned = solve(p);
    p.scan = SolveProblem::kScanAll;
    const SolveResult every = solve(p);
    EXPECT_EQ(pairs(scanned.crossings), pairs(every.crossings));
    EXPECT_EQ(pairs(scanned.across_invalid), pairs(every.across_invalid));
    EXPECT_EQ(every.crossings.size(), c.crossings);
    EXPECT_EQ(every.across_invalid.size(), c.across);
    EXPECT_LT(scanned.evaluations, every.evaluations);
    const Field& q = input(program("BILM"), "Q");
    const Lattice lattice(q);
    const auto t = static_cast<float>(c.target);
    for (const Crossing& x : scanned.crossings) {
        // Neighbours, on different sides of the target.
        EXPECT_EQ(lattice.rank(x.upper.input.value), lattice.rank(x.lower.input.value) + 1);
        const auto side = [t](float r) { return r < t ? -1 : r > t ? 1 : 0; };
        EXPECT_NE(side(x.lower.result), side(x.upper.result));
        EXPECT_EQ(x.exact, x.lower.result == t || x.upper.result == t);
        const double dl = std::fabs(x.lower.result - c.target), du = std::fabs(x.upper.result - c.target);
        EXPECT_EQ(x.upper_nearer, std::fabs(x.upper.result - t) < std::fabs(x.lower.result - t)) << dl << du;
    }
    EXPECT_EQ(scanned.status, c.crossings ? SolveResult::Status::Ok : SolveResult::Status::None);
}

INSTANTIATE_TEST_SUITE_P(
    Curves, SolveAgainstEveryValue,
    ::testing::Values(
        SolveCase{"rising", [](float q, auto& o) { ho(o, 100.0 * q); }, "Q=0.001:0.01", 0.45678901, 50, 1, 0},
        // sin passes 0.5 eight times here.
        SolveCase{"waves", [](float q, auto& o) { ho(o, std::sin(3000.0 * q)); }, "Q=0.001:0.01", 0.5, 100, 8, 0},
        // Exactly the target at one value: a crossing on each side of it.
        SolveCase{"touching", [](float q, auto& o) { ho(o, q == 0.005f ? 1.0 : 0.0); }, "Q=0.001:0.01", 1.0, 10,
                  2, 0},
        // A band of invalid cases: the change of side across it is apart.
        SolveCase{"invalid band",
                  [](float q, auto& o) {
                      o.valid = !(q > 0.0042f && q < 0.0051f);
                      ho(o, 100.0 * q);
                  },
                  "Q=0.001:0.01", 0.45, 30, 0, 1},
        // HO not computed in a band, and a crossing beside it.
        SolveCase{"not computed",
                  [](float q, auto& o) {
                      o.computed[0] = !(q > 0.0042f && q < 0.0051f);
                      ho(o, 100.0 * q);
                  },
                  "Q=0.001:0.01", 0.41234567, 30, 1, 0},
        SolveCase{"none", [](float q, auto& o) { ho(o, q); }, "Q=0.001:0.01", 5.0, 20, 0, 0}),
    [](const auto& test) {
        std::string n = test.param.name;
        for (char& ch : n)
            if (ch == ' ') ch = '_';
        return n;
    });

TEST(Solve, TheRangeHoldsTheHeldValuesFromLoToHi) {
    g_curve = [](float q, auto& o) { ho(o, q); };
    SolveProblem p{&curve_program(), example_inputs(program("BILM")), parse_range("Q=0.000123454:0.00123456", "--find"),
                   {"HO", 1.0}};
    const SolveResult r = solve(p);
    EXPECT_EQ(r.lo.value.real, 0.00012346f);  // .12345E-03 lies below LO
    EXPECT_EQ(r.hi.value.real, 0.0012345f);   // .12346E-02 above HI
    p.find = parse_range("Q=0.001:0.0020000001", "--find");
    EXPECT_EQ(solve(p).hi.value.real, 0.002f);
}

TEST(Solve, EveryCaseInvalidAndNothingFound) {
    g_curve = [](float, auto& o) { o.valid = false; };
    SolveProblem p{&curve_program(), example_inputs(program("BILM")), parse_range("Q=0.001:0.002", "--find"),
                   {"HO", 1.0}};
    EXPECT_EQ(solve(p).status, SolveResult::Status::Invalid);
    g_curve = [](float q, auto& o) { ho(o, q); };
    const SolveResult r = solve(p);
    EXPECT_EQ(r.status, SolveResult::Status::None);
    ASSERT_TRUE(r.nearest);
    EXPECT_EQ(r.nearest->input.value.real, 0.002f);
    EXPECT_EQ(r.result_min, 0.001f);
    EXPECT_EQ(r.result_max, 0.002f);
}

TEST(Solve, RefusesWhatCannotBeSolved) {
    const Calculator& bilm = program("BILM");
    const std::vector<Value> base = example_inputs(bilm);
    const auto refused = [&](const char* find, const char* target, std::int64_t scan) {
        SolveProblem p;
        p.calc = &bilm;
        p.base = base;
        p.scan = scan;
        try {
            p.find = parse_range(find, "--find");
            p.target = parse_target(target);
            solve(p);
        } catch (const UsageError&) {
            return true;
        }
        return false;
    };
    EXPECT_TRUE(refused("QQ=0.001:0.01", "HO=0.2", 1000));   // no such input
    EXPECT_TRUE(refused("HO=0.001:0.01", "HO=0.2", 1000));   // a result
    EXPECT_TRUE(refused("Q=0.001:0.01", "Q=0.2", 1000));     // an input as target
    EXPECT_TRUE(refused("Q=0.01:0.001", "HO=0.2", 1000));    // LO >= HI
    EXPECT_TRUE(refused("Q=0.01:0.01", "HO=0.2", 1000));
    EXPECT_TRUE(refused("Q=0:0.01:log", "HO=0.2", 1000));    // log from 0
    EXPECT_TRUE(refused("Q=0.001:1e39", "HO=0.2", 1000));    // beyond single precision
    EXPECT_TRUE(refused("Q=0.001:0.01", "HO=0.2", 1));       // N < 2
    EXPECT_TRUE(refused("Q=0.001:0.01:lin", "HO=0.2", 1000));
    EXPECT_TRUE(refused("Q=0.001:0.01", "HO=x", 1000));
    EXPECT_FALSE(refused("Q=0.001:0.01", "HO=0.2", 1000));
    // More than 10^8 held values for --scan all.
    const Calculator& kerva = program("KERVA");
    SolveProblem p{&kerva, example_inputs(kerva), parse_range("UVX=-999999:999999", "--find"), {"ETA1", 50}};
    p.scan = SolveProblem::kScanAll;
    EXPECT_THROW(solve(p), UsageError);
}

// A real program: KERVA's VK rises and falls with DK, so 8 m/s is passed twice.
TEST(Solve, SeveralCrossingsOfAProgram) {
    const Calculator& kerva = program("KERVA");
    SolveProblem p{&kerva, example_inputs(kerva), parse_range("DK=0.3:0.8", "--find"), {"VK", 8.0}};
    p.scan = 200;
    const SolveResult r = solve(p);
    p.scan = SolveProblem::kScanAll;
    const SolveResult every = solve(p);
    ASSERT_EQ(r.crossings.size(), 2u);
    EXPECT_EQ(pairs(r.crossings), pairs(every.crossings));
}

// ---------------------------------------------------------------------------
// Optimize: two inputs of each program, against the best feasible point of
// a 101 x 101 grid of held values over the same box.

struct OptimizeCase {
    const char* program;
    const char* vary[2];
    const char* objective;
    bool maximize;
    const char* constraint;
};

class OptimizeAgainstGrid : public ::testing::TestWithParam<OptimizeCase> {};

bool satisfied(const Constraint& c, float v) {
    const auto limit = static_cast<float>(c.limit);
    return c.op == Constraint::Op::AtLeast ? v >= limit : v <= limit;
}

TEST_P(OptimizeAgainstGrid, FeasibleCertifiedAndNoWorse) {
    const OptimizeCase& c = GetParam();
    const Calculator& calc = program(c.program);
    OptimizeProblem p;
    p.calc = &calc;
    p.base = example_inputs(calc);
    p.vary = {parse_range(c.vary[0], "--vary"), parse_range(c.vary[1], "--vary")};
    p.objective = c.objective;
    p.maximize = c.maximize;
    p.constraints = {parse_constraint(c.constraint)};
    const OptimizeResult r = optimize(p);
    ASSERT_EQ(r.status, OptimizeResult::Status::Ok);
    // The objective: a result, or (BILM) an input.
    const bool input_objective = std::string(c.objective) == "R1";
    const std::size_t obj = input_objective ? input_index(calc, c.objective) : result_index(calc, c.objective, "");
    const std::size_t con = result_index(calc, p.constraints[0].name, "");
    const auto objective = [&](const std::vector<Value>& in, const Case& k) {
        return input_objective ? in[obj].real : k.results[obj];
    };
    const auto computes = [&](const Case& k) { return (input_objective ? k.valid : k.computed(obj)) && k.computed(con); };
    const double sense = c.maximize ? -1 : 1;

    // The answer, computed again.
    std::vector<Value> at = p.base;
    for (const OptimizeResult::Input& in : r.inputs) at[in.input] = in.value.value;
    calculators::Outcome out;
    Case answer;
    compute_case(calc, at, out, answer);
    ASSERT_TRUE(computes(answer));
    EXPECT_TRUE(satisfied(p.constraints[0], answer.results[con]));
    EXPECT_EQ(objective(at, answer), *r.objective_value);

    // The grid of held values.
    const HeldRange a = held_range(calc, p.vary[0], ""), b = held_range(calc, p.vary[1], "");
    double best = INFINITY;
    std::vector<Value> in = p.base;
    Case k;
    for (int i = 0; i <= 100; ++i)
        for (int j = 0; j <= 100; ++j) {
            in[a.input] = a.lattice.at(a.rank_at(i / 100.0));
            in[b.input] = b.lattice.at(b.rank_at(j / 100.0));
            compute_case(calc, in, out, k);
            if (computes(k) && satisfied(p.constraints[0], k.results[con]))
                best = std::min(best, sense * objective(in, k));
        }
    EXPECT_LE(sense * *r.objective_value, best);

    // The certificate: four neighbours, none feasible and better.
    ASSERT_EQ(r.certificate.size(), 4u);
    for (const OptimizeResult::Neighbour& n : r.certificate) {
        if (n.status == OptimizeResult::Neighbour::Status::Bound) continue;
        std::vector<Value> nb = at;
        nb[n.input] = n.value->value;
        compute_case(calc, nb, out, k);
        const bool feasible = computes(k) && satisfied(p.constraints[0], k.results[con]);
        EXPECT_FALSE(feasible && sense * objective(nb, k) < sense * *r.objective_value);
        EXPECT_EQ(n.status == OptimizeResult::Neighbour::Status::NoBetter, feasible);
    }

    // The same seed, the same bytes.
    const OptimizeResult again = optimize(p);
    EXPECT_EQ(dump_json(optimize_json(calc, "x", p, r)), dump_json(optimize_json(calc, "x", p, again)));

    // No point satisfies a limit beyond reach: exit 4's status.
    p.constraints = {{p.constraints[0].name, Constraint::Op::AtLeast, 1e30}};
    p.evaluations = 200;
    EXPECT_EQ(optimize(p).status, OptimizeResult::Status::Infeasible);
}

INSTANTIATE_TEST_SUITE_P(
    Programs, OptimizeAgainstGrid,
    ::testing::Values(OptimizeCase{"BILM", {"R1=0.005:0.05", "RCR=0.05:0.3"}, "R1", false, "HO<=0.2"},
                      OptimizeCase{"KERVA", {"DK=0.2:0.8", "QH=200:3000"}, "ETA1", true, "VK<=15"},
                      OptimizeCase{"ZARN1", {"R1=0.01:0.06", "FVX=0.0005:0.005"}, "PVXOD", false, "K>=20"}),
    [](const auto& test) { return std::string(test.param.program); });

TEST(Optimize, AnInputAsObjectiveAndTheRefusals) {
    const Calculator& bilm = program("BILM");
    OptimizeProblem p;
    p.calc = &bilm;
    p.base = example_inputs(bilm);
    p.vary = {parse_range("Q=0.0001:0.01:log", "--vary")};
    p.objective = "Q";
    p.maximize = true;
    p.constraints = {parse_constraint("HO<=0.2")};
    const OptimizeResult r = optimize(p);
    ASSERT_EQ(r.status, OptimizeResult::Status::Ok);
    // What solve finds: the largest Q below the crossing of 0.2.
    SolveProblem s{&bilm, p.base, p.vary[0], {"HO", 0.2}};
    EXPECT_EQ(r.inputs[0].value.value.real, solve(s).crossings.at(0).lower.input.value.real);

    const auto refused = [&](OptimizeProblem q) {
        try {
            optimize(q);
        } catch (const UsageError&) {
            return true;
        }
        return false;
    };
    OptimizeProblem q = p;
    q.vary.push_back(parse_range("q=0.001:0.002", "--vary"));
    EXPECT_TRUE(refused(q));  // varied twice
    q = p;
    q.vary.clear();
    EXPECT_TRUE(refused(q));
    q = p;
    q.objective = "HOO";
    EXPECT_TRUE(refused(q));
    q = p;
    q.constraints = {{"R1", Constraint::Op::AtMost, 1}};
    EXPECT_TRUE(refused(q));  // an input is no constrained result
    q = p;
    q.evaluations = 5;
    EXPECT_TRUE(refused(q));
    EXPECT_THROW(parse_constraint("HO=0.2"), UsageError);
    EXPECT_THROW(parse_constraint("HO>=x"), UsageError);
}

}  // namespace
}  // namespace swirl
