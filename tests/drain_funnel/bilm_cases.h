// BILM in the shared tests of the calculators (tests/calculators): its
// example, where a reading of its input section stops, and the data files on
// which its Calculator gives what BILM gives: the funnel above the outlet or
// reaching it, and each cause of invalid arithmetic.
#pragma once

#include "calculator_cases.h"
#include "drain_funnel/data_file.h"
#include "drain_funnel/run.h"
#include "drain_funnel/status.h"

namespace calculator_cases {

inline const Program& bilm() {
    using drain_funnel::Status;
    const calculators::Calculator& c = drain_funnel::calculator();
    const auto ex = [] { return example("BILM.DAT"); };
    // The example's eleven lines, line `line` a value line with `field` from column 39.
    const auto broken = [&](int line, std::string_view field) {
        return with_line(first_lines(ex(), 11), line, value_line(38, field));
    };
    const auto file = [&](const char* name, Edits edits, Status status) {
        return DataFile{name, with_values(c, ex(), edits), drain_funnel::failure_message(status)};
    };
    static const Program p{
        .name = "BILM",
        .calculator = drain_funnel::calculator,
        .path = BILM_PATH,
        .data_file = "BILM.DAT",
        .input_lines = 11,
        .example_inputs = {{0.001f}, {0.5f}, {0.01f}, {0.1f}, {0.05f}},  // Q HG R1 RCR UPOD
        .report_reads_back =
            reads_back<drain_funnel::kInputSection, drain_funnel::new_run, drain_funnel::write_report, drain_funnel::read_input>,
        .stops =
            {
                Stop{"EmptyFile", "", failure(1, "header line", 1, 80, "", kEndOfFile), 0},
                Stop{"HeaderOnly", first_lines(ex(), 6), failure(7, "Q", 39, 50, "", kEndOfFile), 0},
                Stop{"EndsAfterR1", first_lines(ex(), 9), failure(10, "RCR", 39, 50, "", kEndOfFile), 3},
                Stop{"TwoPointsInQ", broken(7, "  1.2.3     (m3/s)"), failure(7, "Q", 39, 50, "  1.2.3     ", kNotANumber),
                     0},
                Stop{"LetterInHG", broken(8, "12A"), failure(8, "HG", 39, 50, "12A", kNotANumber), 1},
                Stop{"CtrlZInR1", broken(9, "0.01\x1a"), failure(9, "R1", 39, 50, "0.01\x1a", kEndOfFile), 2},
                Stop{"ExponentWithoutDigitsInRCR", broken(10, "  1.5E      "),
                     failure(10, "RCR", 39, 50, "  1.5E      ", kNotANumber), 3},
                Stop{"BeyondSinglePrecisionInUPOD", broken(11, "1.0E+39\r"),
                     failure(11, "UPOD", 39, 50, "1.0E+39", kBeyondSingle), 4},
            },
        .data_files =
            {
                DataFile{"Example", ex(), ""},
                // HO = HG: the report shows HO alone.
                file("FunnelReachesTheOutlet", {{"UPOD", ".50000E+00"}}, Status::Ok),
                file("ZeroDrainRadius", {{"R1", "0.0"}}, Status::ZeroDrainRadius),
                file("NegativeDrainRadius", {{"R1", "-0.01"}}, Status::NegativeDrainRadius),
                file("NoSwirl", {{"UPOD", "0"}}, Status::NoSwirl),
                file("NegativeSwirl", {{"RCR", "-0.1"}}, Status::NegativeSwirl),
                file("Overflow", {{"Q", "3.0E+38"}}, Status::Overflow),
                DataFile{"Unreadable", with_values(c, ex(), {{"RCR", "1.2.3"}}), {}},
            },
        .causes = causes(drain_funnel::failure_message, Status::Overflow),
        // From a millionth to a million times the example, sometimes zero or
        // negative: valid funnels and invalid arithmetic of most kinds.
        // BILM writes no console line on its way.
        .sweep_sets = 2000,
        .sweep_decades = 6.0f,
        .sweep_console_lines = 0,
        .other_name = "funnel.dat",
        .writes_a_blank_form = true,
    };
    return p;
}

}  // namespace calculator_cases
