// The funnel computation against the worked figures, the boundaries of the
// law for the funnel radius RV, invalid arithmetic, and the choice of the
// last report line.
#include "funnel.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "bilm_report.h"
#include "data_file.h"
#include "fixrec/edit_output.h"
#include "fixrec/fixrec.h"
#include "status_lines.h"
#include "test_files.h"

namespace {

using drain_funnel::compute_funnel;
using drain_funnel::FunnelRun;
using drain_funnel::Status;
using drain_funnel::kPi;

FunnelRun inputs(float q, float hg, float r1, float rcr, float upod) {
    FunnelRun run{};
    run.PI = kPi;
    run.Q = q;
    run.HG = hg;
    run.R1 = r1;
    run.RCR = rcr;
    run.UPOD = upod;
    return run;
}

FunnelRun example1() { return inputs(0.001f, 0.5f, 0.01f, 0.1f, 0.05f); }
FunnelRun example2() { return inputs(0.001f, 0.5f, 0.01f, 0.1f, 0.5f); }

std::string e12(float value) { return fixrec::format_e(value, 12, 5); }

TEST(FunnelConstants, PiIsOneStepBelowTheNearestSinglePrecisionPi) {
    const auto nearest = static_cast<float>(3.14159265358979323846);
    EXPECT_EQ(kPi, std::nextafter(nearest, 0.0f));
}

// ---------------------------------------------------------------------------
// Worked examples.

struct Figure {
    const char* name;
    float FunnelRun::*member;
    double worked;  // as printed with six significant digits (or fewer when exact)
};

void expect_figures(const FunnelRun& run, const std::vector<Figure>& figures) {
    for (const Figure& f : figures) {
        // Half a unit in the sixth significant digit.
        EXPECT_NEAR(run.*(f.member), f.worked, 5e-6 * std::fabs(f.worked)) << f.name;
    }
}

TEST(FunnelWorkedExample, NarrowFunnelAboveTheOutlet) {
    FunnelRun run = example1();
    ASSERT_EQ(compute_funnel(run), Status::Ok);
    expect_figures(run, {{"WOUT", &FunnelRun::WOUT, 3.18310},
                         {"VR1", &FunnelRun::VR1, 0.5},
                         {"KWV", &FunnelRun::KWV, 6.36620},
                         {"RV", &FunnelRun::RV, 0.002},
                         {"VMAX", &FunnelRun::VMAX, 1.3},
                         {"HO", &FunnelRun::HO, 0.344898}});
    EXPECT_FLOAT_EQ(run.CIRC, 0.005f);
    EXPECT_EQ(e12(run.HO), "  .34490E+00");
    EXPECT_EQ(e12(run.RV), "  .20000E-02");
    EXPECT_EQ(e12(run.VMAX), "  .13000E+01");
    EXPECT_LT(run.HO, run.HG);
}

TEST(FunnelWorkedExample, StrongerSwirlReachesTheOutlet) {
    FunnelRun run = example2();
    ASSERT_EQ(compute_funnel(run), Status::Ok);
    expect_figures(run, {{"WOUT", &FunnelRun::WOUT, 3.18310},
                         {"VR1", &FunnelRun::VR1, 5.0},
                         {"KWV", &FunnelRun::KWV, 0.636620},
                         {"RV", &FunnelRun::RV, 0.00438660},
                         {"VMAX", &FunnelRun::VMAX, 6.79583},
                         {"HO", &FunnelRun::HO, 9.42515}});
    EXPECT_EQ(e12(run.HO), "  .94252E+01");
    EXPECT_EQ(e12(run.RV), "  .43866E-02");
    EXPECT_EQ(e12(run.VMAX), "  .67958E+01");
    EXPECT_GE(run.HO, run.HG);
}

TEST(FunnelWorkedExample, SwirlOfBothNegativeFactorsIsTheSameSwirl) {
    FunnelRun run = inputs(0.001f, 0.5f, 0.01f, -0.1f, -0.05f);
    ASSERT_EQ(compute_funnel(run), Status::Ok);
    EXPECT_EQ(e12(run.HO), "  .34490E+00");
    EXPECT_EQ(e12(run.RV), "  .20000E-02");
    EXPECT_EQ(e12(run.VMAX), "  .13000E+01");
}

TEST(FunnelWorkedExample, FlagsRaisedBeforeTheComputationDoNotCount) {
    std::feraiseexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW);
    FunnelRun run = example1();
    EXPECT_EQ(compute_funnel(run), Status::Ok);
}

// ---------------------------------------------------------------------------
// Law for RV at its boundaries.  With R1 = 1 (whose square is exactly 1) and
// Q = PI the mean axial velocity is exactly 1, so KWV is 1 / (RCR x UPOD)
// rounded to single precision; the RCR and UPOD below are chosen so that this
// lands exactly on 0.122f, 3.06f or the value just below each.

struct Boundary {
    const char* name;
    float rcr;
    float upod;
    float kwv;         // the KWV the inputs were built to produce
    double rv;         // expected RV (R1 = 1)
    double tolerance;  // 0 for an exact value
};
void PrintTo(const Boundary& p, std::ostream* os) { *os << p.name; }

class FunnelRadiusLaw : public ::testing::TestWithParam<Boundary> {};

TEST_P(FunnelRadiusLaw, BoundaryBelongsToTheUpperLaw) {
    const Boundary& b = GetParam();
    FunnelRun run = inputs(kPi, 100.0f, 1.0f, b.rcr, b.upod);
    ASSERT_EQ(compute_funnel(run), Status::Ok);
    ASSERT_EQ(run.WOUT, 1.0f);
    ASSERT_EQ(run.KWV, b.kwv) << "the inputs no longer hit the boundary";
    if (b.tolerance == 0.0)
        EXPECT_EQ(run.RV, static_cast<float>(b.rv));
    else
        EXPECT_NEAR(run.RV, b.rv, b.tolerance);
}

// 0.35 / sqrt(0.122) = 1.0020471 and 0.35 / sqrt(3.06) = 0.2000817.
INSTANTIATE_TEST_SUITE_P(
    KwvBoundaries, FunnelRadiusLaw,
    ::testing::Values(
        Boundary{"JustBelow0122GivesR1", 0x1.064b8cp+3f, 0x1.fffffep-1f, 0x1.f3b644p-4f, 1.0, 0.0},
        Boundary{"At0122GivesRootLaw", 0x1.064b8ap+3f, 1.0f, 0.122f, 1.0020471, 2e-6},
        Boundary{"JustBelow306GivesRootLaw", 0x1.4ea3fcp-2f, 1.0f, 0x1.87ae12p+1f, 0.2000817, 2e-7},
        Boundary{"At306GivesFifthOfR1", 0x1.4ea3fap-2f, 1.0f, 3.06f, 0.2f, 0.0}),
    [](const auto& tp) { return std::string(tp.param.name); });

TEST(FunnelRadiusLawConstruction, JustBelowMeansTheNextSinglePrecisionValueDown) {
    EXPECT_EQ(0x1.f3b644p-4f, std::nextafter(0.122f, 0.0f));
    EXPECT_EQ(0x1.87ae12p+1f, std::nextafter(3.06f, 0.0f));
}

TEST(FunnelVelocityPeak, RadiusAtR1KeepsTheDrainVelocity) {
    // No flow: KWV = 0, the funnel radius is R1 and VMAX = VR1.
    FunnelRun run = inputs(0.0f, 0.5f, 0.01f, 0.1f, 0.05f);
    ASSERT_EQ(compute_funnel(run), Status::Ok);
    EXPECT_EQ(run.WOUT, 0.0f);
    EXPECT_EQ(run.KWV, 0.0f);
    EXPECT_EQ(run.RV, run.R1);
    EXPECT_EQ(run.VMAX, run.VR1);
}

TEST(FunnelVelocityPeak, ReverseFlowIsNotValidatedAndUsesTheOuterLaw) {
    FunnelRun run = inputs(-0.001f, 0.5f, 0.01f, 0.1f, 0.05f);
    ASSERT_EQ(compute_funnel(run), Status::Ok);
    EXPECT_LT(run.KWV, 0.0f);
    EXPECT_EQ(run.RV, run.R1);
    EXPECT_EQ(run.VMAX, run.VR1);
}

TEST(FunnelVelocityPeak, FifthOfR1GivesTwoPointSixTimesTheDrainVelocity) {
    FunnelRun run = example1();
    ASSERT_EQ(compute_funnel(run), Status::Ok);
    EXPECT_NEAR(run.VMAX / run.VR1, 2.6, 1e-6);
}

// ---------------------------------------------------------------------------
// Invalid arithmetic.

struct Invalid {
    const char* name;
    float q, r1, rcr, upod;
    Status status;
};
void PrintTo(const Invalid& p, std::ostream* os) { *os << p.name; }

class FunnelInvalidArithmetic : public ::testing::TestWithParam<Invalid> {};

TEST_P(FunnelInvalidArithmetic, IsReportedWithItsCause) {
    const Invalid& c = GetParam();
    FunnelRun run = inputs(c.q, 0.5f, c.r1, c.rcr, c.upod);
    EXPECT_EQ(compute_funnel(run), c.status);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, FunnelInvalidArithmetic,
    ::testing::Values(
        Invalid{"ZeroDrainRadius", 0.001f, 0.0f, 0.1f, 0.05f, Status::ZeroDrainRadius},
        Invalid{"ZeroDrainRadiusAndNoFlow", 0.0f, 0.0f, 0.1f, 0.05f, Status::ZeroDrainRadius},
        Invalid{"NegativeZeroDrainRadius", 0.001f, -0.0f, 0.1f, 0.05f, Status::ZeroDrainRadius},
        Invalid{"NegativeDrainRadius", 0.001f, -0.01f, 0.1f, 0.05f, Status::NegativeDrainRadius},
        Invalid{"ZeroMakeUpRadius", 0.001f, 0.01f, 0.0f, 0.05f, Status::NoSwirl},
        Invalid{"ZeroMakeUpVelocity", 0.001f, 0.01f, 0.1f, 0.0f, Status::NoSwirl},
        Invalid{"NoSwirlAndNoFlow", 0.0f, 0.01f, 0.1f, 0.0f, Status::NoSwirl},
        Invalid{"NegativeMakeUpRadius", 0.001f, 0.01f, -0.1f, 0.05f, Status::NegativeSwirl},
        Invalid{"NegativeMakeUpVelocity", 0.001f, 0.01f, 0.1f, -0.05f, Status::NegativeSwirl},
        // Q / (R1^2 PI) beyond single precision.
        Invalid{"AxialVelocityOverflows", 3e38f, 0.001f, 0.1f, 0.05f, Status::Overflow},
        // VR1 = 1e-50 / 0.01 in the wide arithmetic; KWV = WOUT / VR1 overflows.
        Invalid{"VelocityRatioOverflows", 0.001f, 0.01f, 1e-30f, 1e-20f, Status::Overflow},
        // RV = R1, VMAX = VR1 = 1e20 and HO = 2e40 / 9.8.
        Invalid{"DepthOverflows", 0.001f, 1.0f, 1.0f, 1e20f, Status::Overflow}),
    [](const auto& tp) { return std::string(tp.param.name); });

TEST(FunnelInvalidArithmetic, DrainRadiusWhoseSquareUnderflowsIsNotOk) {
    // R1^2 = 1e-60 is zero in single precision: Q is divided by zero.
    FunnelRun run = inputs(0.001f, 0.5f, 1e-30f, 0.1f, 0.05f);
    EXPECT_NE(compute_funnel(run), Status::Ok);
}

TEST(FunnelFailureMessage, EachCauseHasItsOwnSingleLine) {
    test_support::expect_one_line_per_failure(drain_funnel::failure_message, Status::Overflow);
}

// ---------------------------------------------------------------------------
// The last report line: HO < HG gives three result lines, otherwise the funnel
// has reached the outlet.  The report is written in-process through the
// implicit connection into a file named as the first argument.

class RecordingConsole final : public fixrec::ConsoleDevice {
public:
    void write_out(std::string_view bytes) override { out.append(bytes); }
    void write_err(std::string_view bytes) override { err.append(bytes); }
    bool read_line(std::string&) override { return false; }
    std::string out, err;
};

FunnelRun g_report_run;

int write_report_body() {
    drain_funnel::write_report(1, g_report_run);
    fixrec::close_unit(1);
    return 0;
}

struct HeightCase {
    const char* name;
    int steps_from_ho;  // HG = HO moved by this many single-precision steps
    bool reaches_outlet;
};
void PrintTo(const HeightCase& p, std::ostream* os) { *os << p.name; }

class FunnelReportChoice : public ::testing::TestWithParam<HeightCase> {};

TEST_P(FunnelReportChoice, OutletReachedUnlessDepthBelowLiquidHeight) {
    const HeightCase& c = GetParam();
    FunnelRun run = example2();
    ASSERT_EQ(compute_funnel(run), Status::Ok);
    run.HG = run.HO;
    for (int k = 0; k < c.steps_from_ho; ++k) run.HG = std::nextafter(run.HG, INFINITY);
    for (int k = 0; k > c.steps_from_ho; --k) run.HG = std::nextafter(run.HG, 0.0f);
    g_report_run = run;

    test_support::TempDir dir;
    const auto file = dir / "report.dat";
    RecordingConsole console;
    ASSERT_EQ(fixrec::run_with({file.string()}, &console, write_report_body), 0);
    EXPECT_EQ(console.out, "");
    EXPECT_EQ(console.err, "");

    // HG, moved by a step from 9.4251518, still prints as HO does.
    const bilm_expect::InputFields in{"  .10000E-02", "  .94252E+01", "  .10000E-01", "  .10000E+00",
                                      "  .50000E+00"};
    const std::string expected =
        c.reaches_outlet ? bilm_expect::report_reached_outlet(in, "  .94252E+01")
                         : bilm_expect::report(in, {"  .94252E+01", "  .43866E-02", "  .67958E+01"});
    EXPECT_EQ(test_support::read_bytes(file), expected);
}

INSTANTIATE_TEST_SUITE_P(HeightAroundDepth, FunnelReportChoice,
                         ::testing::Values(HeightCase{"LiquidBelowDepth", -1, true},
                                           HeightCase{"LiquidEqualToDepth", 0, true},
                                           HeightCase{"LiquidAboveDepth", 1, false}),
                         [](const auto& tp) { return std::string(tp.param.name); });

}  // namespace
