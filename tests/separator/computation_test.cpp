// The computation in-process: the stored intermediate values that decide the
// path, the console lines of each path, and the statuses of invalid
// arithmetic.  Expected values were worked out from the rules by hand and with
// reference_model.py.
#include <gtest/gtest.h>

#include <cmath>
#include <span>
#include <string>
#include <vector>

#include "calculators/console_lines.h"
#include "data_file.h"
#include "efficiency.h"
#include "fixrec/cp866.h"
#include "messages.h"
#include "parameters.h"
#include "run.h"
#include "status_lines.h"

namespace {

using namespace fixrec::literals;
using separator::KervaRun;
using separator::Status;

// The console lines of a computation as a run shows them (code page 866,
// without line ends), and its exit-3 line apart.
struct Recorder {
    std::vector<std::string> lines;
    std::string failure;
    calculators::CapturedConsole console{lines, failure};
    separator::Messages messages{console};
};

// A value as the reader stores it: decimal to double, then to float.
float in(double v) { return static_cast<float>(v); }

KervaRun example() {
    KervaRun r = separator::new_run();
    r.QH = in(1000);
    r.ROG = in(1.2);
    r.NU = in(1.5e-5);
    r.DK = in(0.4);
    r.L = in(1.2);
    r.R2 = in(0.15);
    r.B = in(0.1);
    r.HI = in(0.2);
    r.NI = 1;
    r.UVX = in(90);
    r.VID = 1;
    r.BETA = in(0.8);
    r.D50 = in(1e-5);
    r.LGSG = in(0.3);
    r.ROP = in(2000);
    r.QGE = in(1);
    return r;
}

KervaRun example2() {
    KervaRun r = example();
    r.L = in(0.3);
    r.D50 = in(5e-5);
    return r;
}

TEST(Parameters, WorkedExample) {
    KervaRun r = example();
    ASSERT_EQ(separator::compute_parameters(r), Status::Ok);
    EXPECT_EQ(r.RK, 0.2f);
    EXPECT_NEAR(r.QS, 0.277778f, 1e-6f);
    EXPECT_EQ(r.FVX, 0.020000001415610313f);  // 0.1 x 1 x 0.2 rounded once
    EXPECT_NEAR(r.VVX, 13.8889f, 1e-4f);
    EXPECT_NEAR(r.UK, 0.184207f, 1e-6f);
    EXPECT_EQ(r.V1, 10.416666030883789f);
    EXPECT_EQ(r.KVU, 56.54861831665039f);
    EXPECT_EQ(r.FTR, 1.0f);
    EXPECT_NEAR(r.U2, 2.94732f, 1e-5f);
    EXPECT_NEAR(r.V2, 11.1111f, 1e-4f);
    EXPECT_NEAR(r.MP, 1.04720e-12f, 1e-17f);
    EXPECT_EQ(r.DE1, r.D50);  // a sphere
    EXPECT_EQ(r.SPC, 659.5831909179688f);
}

TEST(Parameters, InletKinds) {
    struct Case {
        const char* name;
        std::int32_t vid;
        float uvx;
        float hi;
        std::int32_t ni;
        float v1;
        float fvx;
    };
    const Case cases[] = {
        // Tangential side inlet: (RK - B/2) x VVX / RK = 13.8889 x 0.75.
        {"Side90", 1, in(90), in(0.2), 1, 10.416666030883789f, 0.020000001415610313f},
        // Not quite tangential: the sine form, no centre-line factor.
        {"Side89_9", 1, in(89.9), in(0.2), 1, 13.888867378234863f, 0.020000001415610313f},
        {"End90", 2, in(90), in(0.2), 1, 10.416666030883789f, 0.020000001415610313f},
        {"Volute", 3, in(90), in(0.2), 1, 17.36111068725586f, 0.020000001415610313f},
        {"VoluteZero", 0, in(10), in(0.2), 1, 17.36111068725586f, 0.020000001415610313f},
        {"VoluteNegative", -1, in(10), in(0.2), 1, 17.36111068725586f, 0.020000001415610313f},
        // A round inlet is one opening of diameter B whatever NI says.
        {"RoundTwoOpenings", 1, in(90), 0.0f, 2, 26.52584457397461f, 0.007853975519537926f},
    };
    for (const Case& c : cases) {
        KervaRun r = example();
        r.VID = c.vid;
        r.UVX = c.uvx;
        r.HI = c.hi;
        r.NI = c.ni;
        ASSERT_EQ(separator::compute_parameters(r), Status::Ok) << c.name;
        EXPECT_EQ(r.FVX, c.fvx) << c.name;
        EXPECT_EQ(r.V1, c.v1) << c.name;
    }
}

TEST(Parameters, FrictionStartsAbove82) {
    KervaRun r = example();
    r.L = in(1.7400955);
    ASSERT_EQ(separator::compute_parameters(r), Status::Ok);
    EXPECT_EQ(r.KVU, 82.0f);
    EXPECT_EQ(r.FTR, 1.0f);
    r = example();
    r.L = in(1.7400957);
    ASSERT_EQ(separator::compute_parameters(r), Status::Ok);
    EXPECT_GT(r.KVU, 82.0f);
    EXPECT_EQ(r.FTR, 0.9991634488105774f);  // 20 x KVU**-0.68, about 0.999
}

TEST(Run, PathsAndTheirConsoleLines) {
    struct Case {
        const char* name;
        KervaRun run;
        std::vector<std::string> lines;
    };
    KervaRun spc10 = example();
    spc10.NU = in(2.27416336e-07);
    KervaRun beta2one = example2();
    beta2one.BETA = in(0.240647331);
    KervaRun beta1three = example2();
    beta1three.BETA = in(0.43329525);
    KervaRun noswirl = example2();
    noswirl.BETA = 0.0f;
    KervaRun one_size = example2();
    one_size.LGSG = 0.0f;
    const std::string k1("**** РАСЧЕТ ПО KERVA1 ****"_cp);
    const std::string k2("**** РАСЧЕТ ПО KERVA2 ****"_cp);
    const Case cases[] = {
        {"SpcTen", spc10, {k1, "ETA1fr=     149.990200", "ETA1(%)=      99.981400"}},
        {"Beta2One", beta2one, {k2, "*** ALGORITM 1 ***", "ETA2fr=       2.800294", "ETA2(%)=      99.901790"}},
        {"Beta1Three", beta1three,
         {k1, "ETA1fr=       4.364133", "ETA1(%)=      85.745490", k2, "*** ALGORITM 1 ***",
          "ETA2fr=       6.414801", "ETA2(%)=      99.901790", "      97.206560       92.823640"}},
        // G3 = 0: no approximation line, no ETA2fr line.
        {"NoSwirl", noswirl, {k2, "ETA2(%)=   0.000000E+00"}},
        // One size: no approximation line whatever BETA1 is.
        {"OneSize", one_size,
         {k1, "ETA1fr=      14.876820", "ETA1(%)=     100.000000", k2, "ETA2fr=      13.460600",
          "ETA2(%)=     100.000000", "     100.000000      100.000000"}},
    };
    for (const Case& c : cases) {
        KervaRun r = c.run;
        Recorder console;
        EXPECT_EQ(separator::compute_efficiency(r, console.messages), Status::Ok) << c.name;
        EXPECT_EQ(console.lines, c.lines) << c.name;
        EXPECT_EQ(console.failure, "") << c.name;
    }
}

TEST(Run, LargeBeta1IsFullEfficiency) {
    // TB = 2 x BETA1 far above 700, where exp(TB) overflows even in double.
    for (double beta : {80.0, 2000.0}) {
        KervaRun r = example2();
        r.BETA = in(beta);
        r.LGSG = 0.0f;
        Recorder console;
        ASSERT_EQ(separator::compute_efficiency(r, console.messages), Status::Ok) << beta;
        EXPECT_GT(r.BETA1, 350.0f);
        EXPECT_EQ(r.ETA2, 100.0f);
    }
}

TEST(Run, EveryFailureHasAConsoleLineOfItsOwn) {
    test_support::expect_one_line_per_failure(separator::failure_message, Status::Overflow);
}

TEST(Run, InvalidArithmeticStatuses) {
    struct Case {
        const char* name;
        KervaRun run;
        Status status;
    };
    auto changed = [](KervaRun r, auto change) {
        change(r);
        return r;
    };
    const Case cases[] = {
        {"ZeroWidth", changed(example(), [](KervaRun& r) { r.B = 0.0f; }), Status::ZeroInletArea},
        {"NoOpenings", changed(example(), [](KervaRun& r) { r.NI = 0; }), Status::ZeroInletArea},
        {"ZeroDiameter", changed(example(), [](KervaRun& r) { r.DK = 0.0f; }), Status::ZeroSeparator},
        {"NoFlow", changed(example(), [](KervaRun& r) { r.QH = 0.0f; }), Status::NoFlow},
        {"ZeroR2", changed(example(), [](KervaRun& r) { r.R2 = 0.0f; }), Status::ZeroAnnulus},
        {"ZeroROP", changed(example(), [](KervaRun& r) { r.ROP = 0.0f; }), Status::ZeroParticleDensity},
        {"NegativeShape", changed(example(), [](KervaRun& r) { r.QGE = -1.0f; }), Status::InvalidShape},
        {"ZeroD50", changed(example(), [](KervaRun& r) { r.D50 = 0.0f; }), Status::ZeroParticle},
        {"DenserMedium", changed(example(), [](KervaRun& r) { r.ROP = 1.0f; }), Status::DenserMedium},
        {"EqualDensities",
         changed(example2(), [](KervaRun& r) { r.ROP = in(1.2); r.NU = in(7.5e-9); }),
         Status::EqualDensities},
        {"QuadraticShape", changed(example2(), [](KervaRun& r) { r.QGE = in(0.9); }),
         Status::QuadraticShape},
        {"ZeroROG", changed(example(), [](KervaRun& r) { r.ROG = 0.0f; }), Status::ZeroMediumDensity},
        {"NegativeD50", changed(example(), [](KervaRun& r) { r.D50 = in(-1e-5); }),
         Status::BoundaryDiameter},
        {"Overflow", changed(example(), [](KervaRun& r) { r.QH = 3.0e38f; r.B = 1e-30f; }),
         Status::Overflow},
    };
    for (const Case& c : cases) {
        KervaRun status_run = c.run;
        Recorder ignored;
        EXPECT_EQ(separator::compute_efficiency(status_run, ignored.messages), c.status) << c.name;
        // The computation of these inputs ends with the status's own line.
        std::vector<calculators::Value> inputs(separator::calculator().inputs.size());
        calculators::get_inputs(separator::kInputSection, c.run, std::span(inputs));
        calculators::Outcome out;
        separator::calculator().compute(inputs, false, out);
        EXPECT_FALSE(out.valid) << c.name;
        EXPECT_EQ(out.failure, separator::failure_message(c.status)) << c.name;
    }
}

}  // namespace
