// The chamber computation in-process: the statements that the physics and the
// layout of the grid make about the swirl root, the radius estimates, the
// zone formulas of the velocity profiles, the height tables and the node
// limits.  Expected values are worked out by hand or by a separate
// single-precision calculation of the same formulas.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "calculators/console_lines.h"
#include "chamber.h"
#include "integral.h"
#include "motion.h"
#include "profiles.h"
#include "refinements.h"
#include "run_record.h"
#include "status_lines.h"
#include "zarn1_expect.h"

namespace vortex_chamber {
namespace {

// The console lines that the steps of a computation show, captured.
struct Console {
    std::vector<std::string> seen;
    std::string failure;
    calculators::CapturedConsole lines{seen, failure};
    Messages messages{lines};
};

const std::string kRPZero(zarn1_expect::kRPZero);
const std::vector<std::string> kAnalyticNodes{std::string(zarn1_expect::kAnalyticNodes),
                                              std::string(zarn1_expect::kAnalyticNodesStep)};
const std::string kMotionNodes(zarn1_expect::kMotionNodes);
const std::string kFlowTooSmall(zarn1_expect::kFlowTooSmall);

// The example chamber: a lateral swirler at 90 degrees on a 0.1 m chamber.
RunRecord example_chamber(int nvs) {
    RunRecord r;
    r.G = 0.05f;
    r.RK = 0.1f;
    r.L = 0.1f;
    r.R1 = 0.03f;
    r.H = 0.03f;
    r.FVX = 0.002f;
    r.PSIVX = 90.0f;
    r.VID = 1;
    r.NU = 1.5e-5f;
    r.RO = 1.2f;
    r.DRK = 0.002f;
    r.NVS = nvs;
    return r;
}

// ---------------------------------------------------------------------------
// The swirl root М.

TEST(Cubic, RootLiesAbovePiOverTwoOnBothBranches) {
    // The one-root (Cardano) form holds below МА of about 1.837, the
    // trigonometric form above; the roots on either side of the switch come
    // from a separate single-precision calculation.
    struct Case {
        float ma;
        float root;
    };
    const Case cases[] = {
        {1.836899995803833f, 1.8138231039047241f},   // one real root
        {1.8371174335479736f, 1.813799262046814f},   // three real roots, the largest
    };
    for (const Case& c : cases) {
        const float m = solve_swirl_cubic(kPi, c.ma);
        EXPECT_EQ(m, c.root) << c.ma;
        EXPECT_GT(m, kPi / 2) << c.ma;
    }
    // The residual of the cubic is small over the whole range and the root
    // approaches PI/2 from above as МА grows.
    float previous = 1e30f;
    for (float ma : {0.001f, 0.05f, 0.21221f, 1.0f, 1.8f, 1.9f, 3.0f, 10.0f, 100.0f, 1.0e4f}) {
        const double m = solve_swirl_cubic(kPi, ma);
        const double pi = kPi;
        const double residual = m * m * m - pi * pi / 4 * m - pi * pi * pi / (8 * std::sqrt(2.0) * ma);
        // Single precision loses digits to cancellation for a small МА.
        EXPECT_LT(std::fabs(residual), 1e-3 * m * m * m) << ma;
        EXPECT_GT(m, pi / 2) << ma;
        EXPECT_LT(m, previous) << ma;
        previous = static_cast<float>(m);
    }
}

TEST(Cubic, ExampleChamberGivesTheHandCheckedRoot) {
    // МА = 0.21221: M**3 - 2.4674*M - 12.914 = 0 has the root 2.6945.
    EXPECT_NEAR(solve_swirl_cubic(kPi, 0.21221f), 2.6945f, 5e-5f);
}

// ---------------------------------------------------------------------------
// First estimate of RV and the estimate of RP.

TEST(Estimates, RadiusOfMaximumVelocityAtItsBounds) {
    struct Case {
        float ma;
        float rv;  // with R1 = 1
    };
    const Case cases[] = {
        {0.12199999f, 1.0f},                 // below 0.122: the outlet edge
        {0.122f, 1.002047061920166f},        // 0.35/sqrt(0.122)
        {3.059999704360962f, 0.2000816911458969f},
        {3.06f, 0.20000000298023224f},       // 0.2*R1 from 3.06 on
        {50.0f, 0.20000000298023224f},
    };
    for (const Case& c : cases) {
        RunRecord r;
        r.R1 = 1.0f;
        r.MA = c.ma;
        estimate_rv(r);
        EXPECT_EQ(r.RV, c.rv) << c.ma;
    }
}

TEST(Estimates, ZeroPressureRadiusAroundTEqualsPoint42) {
    struct Case {
        float ma;
        float rp;  // with R1 = 1
        bool message;
    };
    const Case cases[] = {
        // 1/МА rounds to 0.42000002, just above 0.42: the formula, negative here.
        {2.3809523582458496f, -0.005720400717109442f, false},
        // 1/МА rounds to 0.41999996: RP = 0 and the console is told.
        {2.3809525966644287f, 0.0f, true},
        // The formula crosses zero near T = 0.4236.
        {2.3601605892181396f, 0.00017641113663557917f, false},
        {2.3612751960754395f, -0.00013939749624114484f, false},
        {0.21220999956130981f, 0.5895496606826782f, false},
    };
    for (const Case& c : cases) {
        RunRecord r;
        r.R1 = 1.0f;
        r.MA = c.ma;
        r.RP = 99.0f;
        Console console;
        zero_pressure_radius(r, console.messages);
        EXPECT_EQ(r.RP, c.rp) << c.ma;
        EXPECT_EQ(console.seen, c.message ? std::vector<std::string>{kRPZero} : std::vector<std::string>{}) << c.ma;
    }
}

// ---------------------------------------------------------------------------
// Radial and axial velocity over the outlet radius.

TEST(OutletProfiles, ZoneFormulasMeetAtRUAndReachU1AtR1) {
    // R1 = 0.5 and RU = 0.25: (RU/R1)**2 = 1/4 = 1 - PI/(2М), so М = 2*PI/3.
    // DRK = 1/16 puts node 5 exactly at RU and node 9 exactly at R1.
    const float R1 = 0.5f, RU = 0.25f, DRK = 0.0625f, L = 0.2f, U1 = -3.0f;
    const float M = static_cast<float>(2.0 * kPi / 3.0);
    Profile Ucore{}, Wcore{}, Uring{}, Wring{};
    std::int32_t n_core = 0, n_ring = 0;
    outlet_profiles(U1, R1, L, M, DRK, RU, kPi, Ucore, Wcore, n_core);
    // The same grid with RU a hair lower: node 5 falls in the outer ring.
    outlet_profiles(U1, R1, L, M, DRK, std::nextafter(RU, 0.0f), kPi, Uring, Wring, n_ring);
    ASSERT_EQ(n_core, 9);
    ASSERT_EQ(n_ring, 9);

    const double w_at_ru = -2.0 * M * L * U1 / R1;  // 3.35...
    EXPECT_NEAR(Ucore[4], 0.0, 1e-5);
    EXPECT_NEAR(Uring[4], 0.0, 1e-5);
    EXPECT_NEAR(Wcore[4], w_at_ru, 1e-5 * std::fabs(w_at_ru));
    EXPECT_NEAR(Wring[4], w_at_ru, 1e-5 * std::fabs(w_at_ru));

    // Axis: no radial flow, axial velocity 2*М*L*U1/R1 (towards the bottom).
    EXPECT_EQ(Ucore[0], 0.0f);
    EXPECT_FLOAT_EQ(Wcore[0], static_cast<float>(2.0 * M * L * U1 / R1));
    // Outlet edge: the mean radial velocity and no axial flow.
    EXPECT_EQ(Ucore[8], U1);
    EXPECT_EQ(Wcore[8], 0.0f);
    // Both sides of the core boundary change sign as the counterflow turns.
    EXPECT_GT(Ucore[3], 0.0f);  // core: outwards
    EXPECT_LT(Ucore[5], 0.0f);  // ring: inwards
}

TEST(OutletProfiles, ZeroRUPutsOnlyTheAxisInTheCore) {
    const float R1 = 0.5f, L = 0.2f, U1 = -3.0f, M = 1.5f;
    Profile U{}, W{};
    std::int32_t n = 0;
    outlet_profiles(U1, R1, L, M, 0.125f, 0.0f, kPi, U, W, n);
    EXPECT_EQ(n, 5);
    EXPECT_EQ(U[0], 0.0f);
    EXPECT_FLOAT_EQ(W[0], static_cast<float>(-std::sin(1.5) * (2.0 * 1.5 / 0.5) * 0.2 * -3.0));
    EXPECT_EQ(U[4], U1);
}

TEST(OutletProfiles, AtMost399NodesAndTheLastNodeWithinPoint4DRK) {
    struct Case {
        float r1_in_steps;
        int nita;
    };
    const Case cases[] = {
        {397.0f, 398}, {397.5f, 398}, {397.7f, 399}, {398.0f, 399}, {1000.0f, 399}, {2.59f, 3}, {2.61f, 4},
    };
    for (const Case& c : cases) {
        const float DRK = 0.0078125f;
        Profile U{}, W{};
        U[399] = W[399] = 7.0f;  // beyond the 399 nodes: never written
        std::int32_t n = 0;
        outlet_profiles(-1.0f, c.r1_in_steps * DRK, 0.1f, 2.0f, DRK, 0.0f, kPi, U, W, n);
        EXPECT_EQ(n, c.nita) << c.r1_in_steps;
        EXPECT_EQ(U[399], 7.0f);
        EXPECT_EQ(W[399], 7.0f);
    }
}

// ---------------------------------------------------------------------------
// Analytic profiles: the node limit and the shape of the vortex.

TEST(AnalyticProfiles, FourHundredNodesFitAndFourHundredOneDoNot) {
    struct Case {
        float rk_in_steps;
        int nk;
        bool message;
    };
    const Case cases[] = {{399.0f, 400, false}, {399.5f, 400, false}, {399.7f, 400, true},
                          {400.0f, 400, true}, {2000.0f, 400, true}, {0.3f, 1, false}};
    for (const Case& c : cases) {
        RunRecord r;
        r.DRK = 0.0078125f;
        r.RK = c.rk_in_steps * r.DRK;
        r.R1 = 0.5f;
        r.RV = 0.25f;
        r.VK = 10.0f;
        r.RO = 1.0f;
        Console console;
        analytic_profiles(r, console.messages);
        EXPECT_EQ(r.NK, c.nk) << c.rk_in_steps;
        EXPECT_EQ(console.seen, c.message ? kAnalyticNodes : std::vector<std::string>{}) << c.rk_in_steps;
    }
}

TEST(AnalyticProfiles, FreeVortexFarOutAndZeroPressureAtRP) {
    RunRecord r;
    r.DRK = 0.125f;
    r.RK = 4.0f;
    r.R1 = 1.0f;
    r.RV = 0.5f;
    r.RP = 0.75f;  // node 7
    r.VK = 10.0f;
    r.RO = 1.0f;
    Console console;
    analytic_profiles(r, console.messages);
    ASSERT_EQ(r.NK, 33);
    EXPECT_EQ(r.V[0], 0.0f);
    // 1.251*(r/RV)**2 >= 7 from r = 1.25 on: V*r = 1.4*VMAX*RV exactly.
    for (int i = 11; i <= 33; ++i) {
        const double rad = (i - 1) * 0.125;
        EXPECT_FLOAT_EQ(r.V[i - 1], static_cast<float>(1.4 * r.VMAX * 0.5 / rad)) << i;
    }
    // The wall velocity is VK.
    EXPECT_FLOAT_EQ(r.V[32], 10.0f);
    EXPECT_NEAR(r.P[6], 0.0f, 1e-3f);
    EXPECT_LT(r.P[5], 0.0f);
    EXPECT_GT(r.P[7], 0.0f);
    EXPECT_EQ(r.P0, r.P[0]);
    EXPECT_EQ(r.PK, r.P[32]);
}

// ---------------------------------------------------------------------------
// Solution of the equations of motion.

TEST(Motion, NegativePowerIsClampedToExpOf87) {
    EXPECT_EQ(bounded_negative_power(0.0f, 3.0f), 0.0f);
    EXPECT_EQ(bounded_negative_power(0.0f, -3.0f), 0.0f);
    EXPECT_FLOAT_EQ(bounded_negative_power(4.0f, 0.5f), 0.5f);
    EXPECT_FLOAT_EQ(bounded_negative_power(4.0f, -1.5f), 8.0f);
    // exp(+-87) at most.
    EXPECT_FLOAT_EQ(bounded_negative_power(1e-10f, 100.0f), static_cast<float>(std::exp(87.0)));
    EXPECT_FLOAT_EQ(bounded_negative_power(1e10f, 100.0f), static_cast<float>(std::exp(-87.0)));
}

RunRecord integral_parameters(int nvs, float g, float psivx) {
    RunRecord r = example_chamber(nvs);
    r.G = g;
    r.PSIVX = psivx;
    r.PI = kPi;
    flow_rate(r);
    swirl_parameter(r);
    estimate_rv(r);
    mean_velocities(r);
    inlet_velocity(r);
    wall_swirl(r);
    zero_radial_velocity_radius(r);
    return r;
}

TEST(Motion, F2AtMostTwoLeavesTheProfilesEmpty) {
    // F2 = Q/(2*PI*L*NU) = 1.77 for G = 2e-5.
    RunRecord r = integral_parameters(1, 2.0e-5f, 90.0f);
    r.RV = 0.0123f;
    r.RP = 0.0f;
    EXPECT_FALSE(solvable(motion_coefficients(r).k));
    Console console;
    EXPECT_EQ(solve_motion(r, console.messages), Status::Ok);
    EXPECT_EQ(console.seen, std::vector<std::string>{kFlowTooSmall});
    EXPECT_EQ(r.NK, 0);
    EXPECT_EQ(r.VMAX, 0.0f);
    EXPECT_EQ(r.V1, 0.0f);
    EXPECT_EQ(r.PK, 0.0f);
    EXPECT_EQ(r.RV, 0.0123f);
    EXPECT_EQ(r.V[1], 0.0f);
}

TEST(Motion, CounterflowSwitchChangesOnlyTheCore) {
    // Both variants share the formulas of the ring and the outer zone; they
    // differ in the core inside RU.
    RunRecord r1 = integral_parameters(1, 5.0e-4f, 90.0f);
    const CoefficientStage stage = motion_coefficients(r1);
    ASSERT_EQ(stage.status, Status::Ok);
    ASSERT_TRUE(solvable(stage.k));
    MotionCoefficients k = stage.k;
    RunRecord r2 = r1;
    r2.NVS = 2;
    for (float y : {r1.XU, 0.6f, 0.999f, 1.0f, 2.0f, 11.1f}) {
        const ZoneFactors a = zone_factors(r1, k, y), b = zone_factors(r2, k, y);
        EXPECT_EQ(a.FV, b.FV) << y;
        EXPECT_EQ(a.FPR, b.FPR) << y;
    }
    k.DV = 0.5f;
    k.B10 = 3.0f;
    for (float y : {0.0f, 0.5f * r1.XU, std::nextafter(r1.XU, 0.0f)}) {
        const ZoneFactors a = zone_factors(r1, k, y), b = zone_factors(r2, k, y);
        EXPECT_NE(a.FPR, b.FPR) << y;
        // Without counterflow the core turns as a solid body.
        EXPECT_FLOAT_EQ(b.FV, static_cast<float>(0.5 * y / r1.XU)) << y;
    }
}

TEST(Motion, ProfilesEndAtTheWallWith400NodesAtMost) {
    struct Case {
        float rk_in_steps;
        int nk;
        bool message;
    };
    const Case cases[] = {{399.0f, 400, false}, {399.9f, 400, false}, {400.0f, 400, true}};
    for (const Case& c : cases) {
        RunRecord r = integral_parameters(1, 0.05f, 90.0f);
        r.DRK = 0.0078125f;
        r.RK = c.rk_in_steps * r.DRK;
        Console console;
        ASSERT_EQ(solve_motion(r, console.messages), Status::Ok);
        EXPECT_EQ(r.NK, c.nk) << c.rk_in_steps;
        EXPECT_EQ(console.seen, c.message ? std::vector<std::string>{kMotionNodes} : std::vector<std::string>{});
        EXPECT_EQ(r.V[0], 0.0f);
        EXPECT_GE(r.VMAX, 0.0f);
    }
}

TEST(Motion, WeakSwirlWithoutCounterflowTakesRPAtTheOuterZeroNode) {
    // PSIVX = 1 degree: VK below |UK|, so KS = 0 and the whole core has P = 0.
    RunRecord r = integral_parameters(2, 0.05f, 1.0f);
    const CoefficientStage stage = motion_coefficients(r);
    ASSERT_EQ(stage.status, Status::Ok);
    ASSERT_EQ(stage.k.KS, 0);
    Console console;
    ASSERT_EQ(motion_profiles(r, stage.k, console.messages), Status::Ok);
    motion_derived_values(r, stage.k);
    int last_zero = 0;
    for (int i = 1; i <= r.NK; ++i)
        if (r.P[i - 1] == 0.0f) last_zero = i;
    ASSERT_GT(last_zero, 2);
    bool later_crossing = false;
    for (int i = last_zero + 2; i <= r.NK; ++i)
        if (static_cast<double>(r.P[i - 1]) * r.P[i - 2] <= 0.0) later_crossing = true;
    ASSERT_FALSE(later_crossing);
    EXPECT_TRUE(std::isfinite(r.RP));
    EXPECT_FLOAT_EQ(r.RP, static_cast<float>(last_zero - 1) * r.DRK);
}

TEST(Motion, DerivedValuesFollowTheProfiles) {
    // P0 is the axis node, VMAX the last node of the peak of V and RV its
    // radius; P1 is PD*CP up to rounding; the wall node (RK = 50*DRK) carries
    // PK; RP lies between the two nodes of the outermost sign change of P.
    struct Case {
        int nvs;
        float g, psivx;
    };
    const Case cases[] = {{1, 0.05f, 90.0f}, {2, 0.05f, 90.0f}, {1, 5.0e-4f, 90.0f},
                          {2, 5.0e-4f, 30.0f}, {3, 0.01f, 60.0f}};
    for (const Case& c : cases) {
        RunRecord r = integral_parameters(c.nvs, c.g, c.psivx);
        const CoefficientStage stage = motion_coefficients(r);
        ASSERT_EQ(stage.status, Status::Ok) << c.nvs << " " << c.g;
        Console console;
        ASSERT_EQ(solve_motion(r, console.messages), Status::Ok);
        ASSERT_EQ(r.NK, 51);
        EXPECT_EQ(r.V1, stage.k.V1);
        EXPECT_EQ(r.P0, r.P[0]);
        EXPECT_EQ(r.PK, r.P[50]);
        EXPECT_NEAR(r.P1, static_cast<double>(stage.k.PD) * stage.k.CP, 1e-5 * std::fabs(r.P1));
        int peak = 1;
        for (int i = 1; i <= r.NK; ++i)
            if (r.V[i - 1] >= r.V[peak - 1]) peak = i;
        EXPECT_EQ(r.VMAX, r.V[peak - 1]);
        EXPECT_EQ(r.RV, node_radius(peak, r.DRK));
        int crossing = 0;
        for (int i = 2; i <= r.NK; ++i)
            if (static_cast<double>(r.P[i - 1]) * r.P[i - 2] <= 0.0) crossing = i;
        if (crossing == 0) {
            EXPECT_EQ(r.RP, 0.0f);
        } else {
            EXPECT_GE(r.RP, node_radius(crossing - 1, r.DRK));
            EXPECT_LE(r.RP, node_radius(crossing, r.DRK));
        }
    }
}

// ---------------------------------------------------------------------------
// The radial grid.

TEST(Grid, NodeRadiusIsOneRoundingOfTheNodeCountTimesTheStep) {
    // Not a running sum: ten additions of 0.1f give 1.0000001, node 11 is 1.
    struct Case {
        int node;
        float DRK;
        float radius;
    };
    const Case cases[] = {{1, 0.1f, 0.0f},          {2, 0.1f, 0.1f},           {4, 0.1f, 0.3f},
                          {11, 0.1f, 1.0f},         {400, 0.0078125f, 3.1171875f},
                          {401, 0.002f, 0.8f},      {51, 0.002f, 0.1f},        {3, -0.5f, -1.0f}};
    for (const Case& c : cases) EXPECT_EQ(node_radius(c.node, c.DRK), c.radius) << c.node << " " << c.DRK;
}

// ---------------------------------------------------------------------------
// Height correction tables.

TEST(HeightTables, FactorsOfTheRelativeOutletHeight) {
    struct Case {
        float xh;
        float p0, pk, vmax;
    };
    const Case cases[] = {
        {0.0f, 0.3f, 0.95f, 0.8f},  // no outlet pipe
        {0.5f, 0.6499999761581421f, 0.9666666984558105f, 0.8999999761581421f},
        {1.0f, 1.0f, 1.0f, 1.0f},   // the uncorrected values
        {1.75f, 1.32f, 1.3178571462631226f, 1.057f},
        {3.0f, 1.1057143211364746f, 1.275f, 1.0f},
        {9.99f, 0.830049991607666f, 1.2000200748443604f, 0.86f},
        {10.0f, 0.83f, 1.2f, 0.86f},
        {1.0e6f, 0.83f, 1.2f, 0.86f},
        {-1.0f, 0.3f, 0.95f, 0.8f},  // below the table: the factor of zero height
    };
    for (const Case& c : cases) {
        EXPECT_EQ(interpolate_table(kP0Table, c.xh), c.p0) << c.xh;
        EXPECT_EQ(interpolate_table(kPKTable, c.xh), c.pk) << c.xh;
        EXPECT_EQ(interpolate_table(kVMAXTable, c.xh), c.vmax) << c.xh;
    }
}

TEST(PowerLaw, SmallOutletKeepsTheUnrefinedInletPressure) {
    for (float r1 : {0.005f, 0.0051f}) {
        RunRecord r = example_chamber(0);
        r.R1 = r1;
        Console console;
        ASSERT_EQ(compute_chamber(r, console.messages), Status::Ok);
        if (r1 / r.RK > 0.05f)
            EXPECT_NE(r.PVXOD_N, r.PVXOD);
        else
            EXPECT_EQ(r.PVXOD_N, r.PVXOD);
    }
}

// ---------------------------------------------------------------------------
// The sequence of the run.

TEST(Run, EveryFailureHasAConsoleLineOfItsOwn) {
    test_support::expect_one_line_per_failure(failure_message, Status::Overflow);
}

TEST(Run, InvalidInputsStopTheComputation) {
    // Each input is refused right before the operation that it makes invalid,
    // after the messages of every step before that operation.
    using Seen = std::vector<std::string>;
    struct Case {
        const char* what;
        void (*change)(RunRecord&);
        Status status;
        Seen seen;
    };
    // F2 = Q/(2*PI*L*NU) equal to PI in single precision for the example chamber.
    constexpr float kGForF2EqualToPi = 3.55305747e-05f;
    const Case cases[] = {
        {"RO=0", [](RunRecord& r) { r.RO = 0; }, Status::ZeroDensity, {}},
        {"RK=0", [](RunRecord& r) { r.RK = 0; }, Status::ZeroChamberRadius, {}},
        {"R1=0", [](RunRecord& r) { r.R1 = 0; }, Status::ZeroOutletRadius, {}},
        {"L=0", [](RunRecord& r) { r.L = 0; }, Status::ZeroHeight, {}},
        {"FVX=0", [](RunRecord& r) { r.FVX = 0; }, Status::ZeroSwirlerArea, {}},
        {"FVX=0, L=0", [](RunRecord& r) { r.FVX = 0; r.L = 0; }, Status::ZeroHeight, {}},
        {"NU=0", [](RunRecord& r) { r.NU = 0; }, Status::ZeroViscosity, {}},
        {"G=0", [](RunRecord& r) { r.G = 0; }, Status::ZeroFlow, {}},
        {"PSIVX=0", [](RunRecord& r) { r.PSIVX = 0; }, Status::NoSwirl, {}},
        {"PSIVX=180", [](RunRecord& r) { r.PSIVX = 180; }, Status::NoSwirl, {}},
        {"PSIVX=-360", [](RunRecord& r) { r.PSIVX = -360; }, Status::NoSwirl, {}},
        {"FVX<0", [](RunRecord& r) { r.FVX = -0.002f; }, Status::NegativeSwirl, {kRPZero}},
        {"FVX<0, 401 nodes", [](RunRecord& r) { r.FVX = -0.002f; r.DRK = 0.0002f; }, Status::NegativeSwirl,
         {kRPZero, kAnalyticNodes[0], kAnalyticNodes[1]}},
        {"FVX<0, NVS=1", [](RunRecord& r) { r.FVX = -0.002f; r.NVS = 1; }, Status::NegativeSwirl, {}},
        {"DRK=0", [](RunRecord& r) { r.DRK = 0; }, Status::BadStep, {}},
        {"DRK<0, NVS=1", [](RunRecord& r) { r.DRK = -0.002f; r.NVS = 1; }, Status::BadStep, {}},
        {"DRK=0, NVS=2, F2<=2", [](RunRecord& r) { r.DRK = 0; r.NVS = 2; r.G = 0.00002f; }, Status::BadStep,
         {kFlowTooSmall}},
        {"F2=PI, NVS=1", [](RunRecord& r) { r.G = kGForF2EqualToPi; r.NVS = 1; }, Status::F2EqualsPi, {}},
        {"F2=PI, NVS=2", [](RunRecord& r) { r.G = kGForF2EqualToPi; r.NVS = 2; }, Status::F2EqualsPi, {}},
        // МА of 1e7 puts М at PI/2 and XU at 0: E2 is first a divisor in H1.
        {"F2=PI, XU=0", [](RunRecord& r) { r.G = kGForF2EqualToPi; r.NVS = 1; r.FVX = 1e5f; },
         Status::F2EqualsPi, {}},
        {"tiny MA", [](RunRecord& r) { r.FVX = 1.02e-6f; }, Status::SwirlRootUndefined, {}},
        {"RP<0", [](RunRecord& r) { r.FVX = 0.002f * 2.3809523582458496f / 0.21220999956130981f; },
         Status::NegativeZeroPressureRadius, {}},
        {"overflow", [](RunRecord& r) { r.G = 3e38f; r.RO = 1e-3f; }, Status::Overflow, {}},
    };
    for (const Case& c : cases) {
        RunRecord r = example_chamber(0);
        c.change(r);
        Console console;
        EXPECT_EQ(compute_chamber(r, console.messages), c.status) << c.what;
        EXPECT_EQ(console.seen, c.seen) << c.what;
        EXPECT_FALSE(failure_message(c.status).empty());
        EXPECT_LE(failure_message(c.status).size(), 79u);
    }
}

TEST(Run, NoMessageAfterTheArithmeticFailed) {
    // The run stops at its first invalid operation: a step that overflowed
    // says nothing more.
    {
        // E = -1.251*(RK/RV)**2 overflows before the grid; 401 nodes would be
        // needed, but the node message must not appear.
        RunRecord r = example_chamber(0);
        r.RK = 1e30f;
        Console console;
        EXPECT_EQ(compute_chamber(r, console.messages), Status::Overflow);
        EXPECT_TRUE(console.seen.empty());
    }
    {
        // F2 = Q/(2*PI*L*NU) overflows to -inf with a tiny negative L: no F2
        // message for it.
        RunRecord r = example_chamber(1);
        r.L = -1e-36f;
        Console console;
        EXPECT_EQ(compute_chamber(r, console.messages), Status::Overflow);
        EXPECT_TRUE(console.seen.empty());
    }
    {
        // The messages of the steps before the failure stay.
        RunRecord r = example_chamber(0);
        r.FVX = 0.002f * 2.5f / 0.21220999956130981f;  // 1/МА below 0.42
        r.G = 0.0f;
        Console console;
        EXPECT_EQ(compute_chamber(r, console.messages), Status::ZeroFlow);
        EXPECT_EQ(console.seen, std::vector<std::string>{kRPZero});
    }
}

TEST(Run, ZeroRPIsSquaredToZeroInThePowerLaw) {
    // МА = 2.5 puts 1/МА below 0.42: RP = 0 with its message, and the power
    // law squares the zero.
    RunRecord r = example_chamber(0);
    r.FVX = 0.002f * 2.5f / 0.21220999956130981f;
    Console console;
    ASSERT_EQ(compute_chamber(r, console.messages), Status::Ok);
    EXPECT_EQ(r.RP, 0.0f);
    EXPECT_EQ(console.seen, std::vector<std::string>{kRPZero});
    EXPECT_TRUE(std::isfinite(r.PK_N));
}

TEST(Run, FirstSolutionOnlyOmitsTheRPEstimate) {
    // NVS = 1 skips the estimate and its message; values 3 to 9 take it.
    for (int nvs : {1, 2, 3, 9}) {
        RunRecord r = example_chamber(nvs);
        r.FVX = 0.002f * 2.5f / 0.21220999956130981f;
        Console console;
        ASSERT_EQ(compute_chamber(r, console.messages), Status::Ok) << nvs;
        EXPECT_EQ(console.seen, nvs == 1 ? std::vector<std::string>{} : std::vector<std::string>{kRPZero}) << nvs;
        EXPECT_EQ(r.N, 0.0f) << nvs;  // no power law
        EXPECT_NE(r.VMAX_H, 0.0f) << nvs;  // the height correction always
    }
}

}  // namespace
}  // namespace vortex_chamber
