#include "data_file.h"

namespace separator {

namespace {

using fixrec::FormatView;

// The banner: ten lines, each statement ending in "/" adds an empty line.
constexpr FormatView kStars = R"fmt((8X,'***************************************************',/))fmt"_fmt;
constexpr FormatView kOrganisation = R"fmt((20X,'          ОРВЕЛАНТ          ',/))fmt"_fmt;
constexpr FormatView kTitle = R"fmt((8X,'******** РЕЗУЛЬТАТЫ РАБОТЫ ПРОГРАММЫ KERVA ********',/))fmt"_fmt;
constexpr FormatView kInputTitle = R"fmt((5X,'              ****** ВХОДНЫЕ ДАННЫЕ ******',/))fmt"_fmt;
// The results' title (the title of each regime's block is in data_file.h).
constexpr FormatView kResultsTitle = R"fmt((5X,'         *******РЕЗУЛЬТАТЫ РАСЧЕТОВ*******',/))fmt"_fmt;

}  // namespace

calculators::ReadResult read_input(int unit, KervaRun& run) {
    return calculators::read_input_section(unit, kInputSection, run);
}

void write_report(int unit, const KervaRun& run) {
    fixrec::write_line(unit, kStars);
    fixrec::write_line(unit, kOrganisation);
    fixrec::write_line(unit, kTitle);
    fixrec::write_line(unit, kStars);
    fixrec::write_line(unit, kInputTitle);
    calculators::write_input_block(unit, kInputSection, run);
    fixrec::write_line(unit, kStars);
    fixrec::write_line(unit, kResultsTitle);
    calculators::write_result(unit, kVK, run);
    // The Stokes block whenever KERVA1 ran, the quadratic block whenever the
    // quadratic regime was computed, ETA when both were.  A run without a
    // data file (every value zero, SPC = 0) shows the quadratic block.
    if (run.SPC >= 10.0f || run.BETA2 > 1.0f) {
        fixrec::write_line(unit, kStokesTitle);
        calculators::write_result(unit, kSPC, run);
        calculators::write_result(unit, kKSC, run);
        calculators::write_result(unit, kETA1, run);
    }
    if (run.SPC < 10.0f) {
        fixrec::write_line(unit, kQuadraticTitle);
        calculators::write_result(unit, kBETA2, run);
        calculators::write_result(unit, kSP2C, run);
        calculators::write_result(unit, kKS2C, run);
        calculators::write_result(unit, kBETA1, run);
        calculators::write_result(unit, kETA2, run);
        if (run.BETA2 > 1.0f) calculators::write_result(unit, kETA, run);
    }
}

}  // namespace separator
