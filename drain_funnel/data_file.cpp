#include "data_file.h"

namespace drain_funnel {

namespace {

using fixrec::FormatView;

// The banner: six lines, each statement ending in "/" adds an empty line.
constexpr FormatView kStars = R"fmt((5X,'**************************************************',/))fmt"_fmt;
constexpr FormatView kTitle = R"fmt((5X,'     ***  РЕЗУЛЬТАТЫ РАБОТЫ ПРОГРАММЫ BILM  ***',/))fmt"_fmt;
constexpr FormatView kInputTitle = R"fmt((5X,'              ******ВХОДНЫЕ ДАННЫЕ******',/))fmt"_fmt;
constexpr FormatView kResultsTitle = R"fmt((10X,'*************РЕЗУЛЬТАТЫ РАСЧЕТОВ***************',/))fmt"_fmt;

}  // namespace

calculators::ReadResult read_input(int unit, FunnelRun& run) {
    return calculators::read_input_section(unit, kInputSection, run);
}

void write_report(int unit, const FunnelRun& run) {
    fixrec::write_line(unit, kStars);
    fixrec::write_line(unit, kTitle);
    fixrec::write_line(unit, kInputTitle);
    calculators::write_input_block(unit, kInputSection, run);
    fixrec::write_line(unit, kResultsTitle);
    if (run.HO < run.HG) {
        calculators::write_result(unit, kHO, run);
        calculators::write_result(unit, kRV, run);
        calculators::write_result(unit, kVMAX, run);
    } else {
        fixrec::write_line(unit, kReachedOutlet, {run.HO});
    }
}

}  // namespace drain_funnel
