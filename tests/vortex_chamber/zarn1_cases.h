// ZARN1 in the shared tests of the calculators (tests/calculators): its
// example, where a reading of its input section stops, and the data files on
// which its Calculator gives what ZARN1 gives: both examples, every console
// line of the steps, every cause of invalid arithmetic that a data file can
// reach, and unreadable sections.
#pragma once

#include "calculator_cases.h"
#include "vortex_chamber/data_file.h"
#include "vortex_chamber/run.h"
#include "vortex_chamber/status.h"
#include "zarn1_expect.h"

namespace calculator_cases {

inline const Program& zarn1() {
    using vortex_chamber::Status;
    const calculators::Calculator& c = vortex_chamber::calculator();
    const auto ex = [] { return example("ZARN1.DAT"); };
    // The example's 25 lines, line `line` a value line with `field` from column 42.
    const auto broken = [&](int line, std::string_view field) {
        return with_line(first_lines(ex(), 25), line, value_line(41, field));
    };
    const auto file = [&](const char* name, Edits edits, std::string_view shows = "") {
        return DataFile{name, with_values(c, ex(), edits), "", shows};
    };
    const auto fails = [&](const char* name, Edits edits, Status status) {
        return DataFile{name, with_values(c, ex(), edits), vortex_chamber::failure_message(status)};
    };
    // Strong swirl: МА = 2.5, 1/МА below 0.42, RP = 0 with its line.  A weak
    // flow: F2 = 1.77.
    constexpr std::string_view kStrongSwirl = "0.0236";
    constexpr std::string_view kWeakFlow = "0.00002";
    using zarn1_expect::kFlowTooSmall;
    static const Program p{
        .name = "ZARN1",
        .calculator = vortex_chamber::calculator,
        .path = ZARN1_PATH,
        .data_file = "ZARN1.DAT",
        .input_lines = 25,
        // G RK L R1 H FVX PSIVX VID NU RO PVN TK DRK NVS
        .example_inputs = {{0.05f}, {0.1f}, {0.1f}, {0.03f}, {0.03f}, {0.002f}, {90.0f}, {0.0f, 1}, {1.5e-5f},
                           {1.2f}, {101330.0f}, {20.0f}, {0.002f}, {0.0f, 0}},
        .report_reads_back =
            reads_back<vortex_chamber::kInputSection, zeroed<vortex_chamber::RunRecord>, vortex_chamber::write_report, vortex_chamber::read_input>,
        .stops =
            {
                Stop{"EmptyFile", "", failure(1, "header line", 1, 80, "", kEndOfFile), 0},
                Stop{"HeaderOnly", first_lines(ex(), 10), failure(11, "G", 42, 57, "", kEndOfFile), 0},
                Stop{"LetterInL", broken(13, "      one metre "), failure(13, "L", 42, 57, "      one metre ", kNotANumber),
                     2},
                Stop{"CtrlZInThePSIVXAngle", broken(17, "    90.\x1a"),
                     failure(17, "PSIVX", 42, 52, "    90.\x1a", kEndOfFile), 6},
                Stop{"EndsBeforeTheLegend", first_lines(ex(), 17), failure(18, "label line", 1, 80, "", kEndOfFile), 7},
                Stop{"LetterForVID", broken(19, "     x"), failure(19, "VID", 47, 47, "x", kNotANumber), 7},
                Stop{"TwoPointsInTK", broken(23, "  1.2.3"), failure(23, "TK", 42, 52, "  1.2.3", kNotANumber), 11},
                Stop{"ExponentWithoutDigitsInDRK", broken(24, "     1.5E\r"),
                     failure(24, "DRK", 42, 57, "     1.5E", kNotANumber), 12},
                Stop{"TwentyFourLines", first_lines(ex(), 24), failure(25, "NVS", 47, 47, "", kEndOfFile), 13},
            },
        .data_files =
            {
                DataFile{"Example", ex(), "", ""},
                DataFile{"ExampleOfTheEquationsOfMotion", example("ZARN1-nvs1.DAT"), "", ""},
                file("WithoutCounterflow", {{"NVS", "2"}}),
                file("ShortSwirler", {{"VID", "2"}, {"FVX", "0.0002"}}),
                // The console lines of the steps.
                file("NoZeroPressureRadius", {{"FVX", kStrongSwirl}}, zarn1_expect::kRPZero),
                file("AnalyticNodesExceeded", {{"DRK", "0.0002"}}, zarn1_expect::kAnalyticNodesStep),
                file("MotionNodesExceeded", {{"DRK", "0.0002"}, {"NVS", "1"}}, zarn1_expect::kMotionNodes),
                file("FlowTooSmall", {{"G", kWeakFlow}, {"NVS", "1"}}, kFlowTooSmall),
                file("FlowTooSmallAfterNoZeroPressureRadius", {{"G", kWeakFlow}, {"NVS", "2"}, {"FVX", kStrongSwirl}},
                     kFlowTooSmall),
                // Every cause of invalid arithmetic, some after the lines of
                // the steps before it.
                fails("ZeroDensity", {{"RO", "0."}}, Status::ZeroDensity),
                fails("ZeroOutletRadius", {{"R1", "0."}}, Status::ZeroOutletRadius),
                fails("ZeroChamberRadius", {{"RK", "0."}}, Status::ZeroChamberRadius),
                fails("NoSwirl", {{"PSIVX", "180."}}, Status::NoSwirl),
                fails("ZeroSwirlerArea", {{"FVX", "0."}}, Status::ZeroSwirlerArea),
                fails("NegativeSwirl", {{"FVX", "-0.002"}, {"DRK", "0.0002"}}, Status::NegativeSwirl),
                fails("ZeroHeight", {{"L", "0."}}, Status::ZeroHeight),
                fails("ZeroViscosity", {{"NU", "0."}}, Status::ZeroViscosity),
                fails("ZeroFlow", {{"G", "0."}, {"FVX", kStrongSwirl}}, Status::ZeroFlow),
                fails("BadStep", {{"DRK", "0."}, {"NVS", "2"}, {"G", kWeakFlow}, {"FVX", kStrongSwirl}},
                      Status::BadStep),
                fails("SwirlRootUndefined", {{"FVX", "0.00000102"}}, Status::SwirlRootUndefined),
                fails("F2EqualsPi", {{"G", "3.55305747E-05"}, {"NVS", "1"}}, Status::F2EqualsPi),
                // A swirl ratio V1/|U1| beyond 46341 squares beyond the integers.
                fails("SwirlRatioRange", {{"L", "1000."}, {"NU", "1.E-8"}, {"RK", "0.064514546"}, {"NVS", "1"}},
                      Status::SwirlRatioRange),
                fails("NegativeZeroPressureRadius", {{"FVX", "0.022431"}}, Status::NegativeZeroPressureRadius),
                fails("Overflow", {{"G", "1.E38"}}, Status::Overflow),
                // Unreadable input sections.
                DataFile{"LetterInL", with_values(c, ex(), {{"L", "one metre"}}), {}, zarn1_expect::kReadFailed},
                DataFile{"TwentyFourLines", first_lines(ex(), 24), {}, zarn1_expect::kReadFailed},
            },
        // Every cause but one: with NVS = 2 the divisor ZU*E6 - 1 is never
        // zero for a data file, since XU lies in (0, 1), so ZU = XU**(-E2)
        // lies on the same side of 1 as E6 = E2 + 1, and E2 = 0 stops the run
        // before (F2 = PI).
        .causes = causes(vortex_chamber::failure_message, Status::Overflow, {Status::CounterflowDivisor}),
        // The example chamber with its values up to a thousand times larger
        // or smaller, some zero or negative, the switches over their digits:
        // valid runs, the messages of the steps, and invalid arithmetic.
        .sweep_sets = 600,
        .sweep_decades = 3.0f,
        .sweep_console_lines = 20,
        .other_name = "chamber.dat",
        .writes_a_blank_form = false,
    };
    return p;
}

}  // namespace calculator_cases
