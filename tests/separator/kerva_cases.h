// KERVA in the shared tests of the calculators (tests/calculators): its
// example, where a reading of its input section stops, and the data files on
// which its Calculator gives what KERVA gives: each regime, approximation and
// console line, and each cause of invalid arithmetic.
#pragma once

#include "calculator_cases.h"
#include "separator/data_file.h"
#include "separator/run.h"
#include "separator/status.h"

namespace calculator_cases {

inline const Program& kerva() {
    using separator::Status;
    const calculators::Calculator& c = separator::calculator();
    const auto ex = [] { return example("KERVA.DAT"); };
    // The example, line `line` a value line with `field` from column 42.
    const auto broken = [&](int line, std::string_view field) { return with_line(ex(), line, value_line(41, field)); };
    const auto file = [&](const char* name, Edits edits, Status status) {
        return DataFile{name, with_values(c, ex(), edits), separator::failure_message(status)};
    };
    // The second worked example (both regimes, approximation 2) and its variants.
    const auto between = [&](const char* name, Edits more, Status status) {
        Edits edits{{"L", ".3"}, {"D50", ".5E-4"}};
        edits.insert(edits.end(), more.begin(), more.end());
        return file(name, edits, status);
    };
    static const Program p{
        .name = "KERVA",
        .calculator = separator::calculator,
        .path = KERVA_PATH,
        .data_file = "KERVA.DAT",
        .input_lines = 33,
        // QH ROG NU DK L R2 B HI NI UVX VID BETA D50 LGSG ROP QGE
        .example_inputs = {{1000.0f}, {1.2f}, {1.5e-5f}, {0.4f}, {1.2f}, {0.15f}, {0.1f}, {0.2f}, {0.0f, 1},
                           {90.0f}, {0.0f, 1}, {0.8f}, {1e-5f}, {0.3f}, {2000.0f}, {1.0f}},
        .report_reads_back =
            reads_back<separator::kInputSection, separator::new_run, separator::write_report, separator::read_input>,
        .stops =
            {
                Stop{"EmptyFile", "", failure(1, "header line", 1, 80, "", kEndOfFile), 0},
                Stop{"HeaderOnly", first_lines(ex(), 10), failure(11, "QH", 42, 57, "", kEndOfFile), 0},
                Stop{"EndsBeforeALabelLine", first_lines(ex(), 17), failure(18, "label line", 1, 80, "", kEndOfFile), 7},
                Stop{"TwoPointsInROG", broken(12, "   1.2.3"), failure(12, "ROG", 42, 57, "   1.2.3", kNotANumber), 1},
                // The counts are read from columns 47-48.
                Stop{"LetterInNI", with_line(ex(), 20, std::string(46, ' ') + "A1"),
                     failure(20, "NI", 47, 48, "A1", kNotANumber), 8},
                Stop{"PointInVID", with_line(ex(), 24, std::string(46, ' ') + "1."),
                     failure(24, "VID", 47, 48, "1.", kNotANumber), 10},
                Stop{"CtrlZInUVX", broken(22, "    90.0\x1a"), failure(22, "UVX", 42, 52, "    90.0\x1a", kEndOfFile), 9},
                Stop{"BeyondSinglePrecisionInD50", broken(28, "1.0E+39\r"),
                     failure(28, "D50", 42, 57, "1.0E+39", kBeyondSingle), 12},
                Stop{"EndsBeforeQGE", first_lines(ex(), 32), failure(33, "QGE", 42, 52, "", kEndOfFile), 15},
            },
        .data_files =
            {
                // The console paths: Stokes with and without a distribution;
                // both regimes with approximation 1 or 2 and ETA; the
                // quadratic regime alone; the guards G = 0 and G3 = 0; an
                // ETA1fr not above 1.
                DataFile{"Example", ex(), ""},
                file("StokesOneSize", {{"LGSG", "0"}}, Status::Ok),
                file("StokesNoSwirl", {{"BETA", "0"}}, Status::Ok),
                file("StokesWithoutLimit", {{"BETA", ".4"}, {"QH", "200"}}, Status::Ok),
                between("BetweenTheRegimes", {}, Status::Ok),
                between("BetweenTheRegimesApproximation1", {{"BETA", ".43329525"}}, Status::Ok),
                between("BetweenTheRegimesOneSize", {{"LGSG", "0"}}, Status::Ok),
                between("QuadraticAlone", {{"BETA", ".240647331"}}, Status::Ok),
                between("QuadraticNoSwirl", {{"BETA", "0"}}, Status::Ok),
                between("LargeBeta1", {{"BETA", "80"}}, Status::Ok),
                // Every cause of invalid arithmetic, some after console lines.
                file("ZeroInletArea", {{"NI", "0"}}, Status::ZeroInletArea),
                file("ZeroSeparator", {{"L", "0"}}, Status::ZeroSeparator),
                file("NoFlow", {{"QH", "0"}}, Status::NoFlow),
                file("ZeroAnnulus", {{"R2", "0"}}, Status::ZeroAnnulus),
                file("ZeroParticleDensity", {{"ROP", "0"}}, Status::ZeroParticleDensity),
                file("InvalidShape", {{"QGE", "0"}}, Status::InvalidShape),
                file("ZeroParticle", {{"D50", "0"}}, Status::ZeroParticle),
                file("DenserMedium", {{"ROP", "1"}}, Status::DenserMedium),
                between("EqualDensities", {{"ROP", "1.2"}, {"NU", ".75E-8"}}, Status::EqualDensities),
                between("QuadraticShape", {{"QGE", ".9"}}, Status::QuadraticShape),
                file("ZeroMediumDensity", {{"ROG", "0"}}, Status::ZeroMediumDensity),
                file("ZeroBeta1", {{"HI", "-6.7289845E+30"}, {"ROP", "4.6533181E+36"}, {"QH", "2.2776287E+19"}},
                     Status::ZeroBeta1),
                file("BoundaryDiameter", {{"D50", "-.1E-4"}}, Status::BoundaryDiameter),
                file("Overflow", {{"QH", "3.0E+38"}, {"B", "1.0E-30"}}, Status::Overflow),
                DataFile{"Unreadable", with_values(c, ex(), {{"VID", "1."}}), {}},
            },
        .causes = causes(separator::failure_message, Status::Overflow),
        // Up to a thousand times larger or smaller than the example,
        // sometimes zero or negative: both regimes, their console lines,
        // and invalid arithmetic of most kinds.
        .sweep_sets = 2000,
        .sweep_decades = 3.0f,
        .sweep_console_lines = 50,
        .other_name = "separator.dat",
        .writes_a_blank_form = true,
    };
    return p;
}

}  // namespace calculator_cases
