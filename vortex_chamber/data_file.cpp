#include "data_file.h"

#include <algorithm>
#include <initializer_list>

namespace vortex_chamber {

namespace {

using fixrec::FormatView;

// The banner: five statements that each end in "/" and so add an empty line,
// the ten header lines of the next run's input section.
constexpr FormatView kStars = R"fmt((8X,'****************************************************',/))fmt"_fmt;
constexpr FormatView kOrganisation = R"fmt((20X,'           ОРВЕЛАНТ           ',/))fmt"_fmt;
constexpr FormatView kTitle = R"fmt((8X,'      ***   РЕЗУЛЬТАТЫ РАБОТЫ  З А Р Н 1 ***',/))fmt"_fmt;
constexpr FormatView kStars01 = R"fmt((8X,'************************(01)************************',/))fmt"_fmt;
constexpr FormatView kInputTitle = R"fmt((8X,'         *******   ВХОДНЫЕ ДАННЫЕ  ********',/))fmt"_fmt;
// The rest of the legend of NVS, after the input section.
constexpr FormatView kNVSLegend = R"fmt((2X,'(0-нет,1-да,2-без противотока в обьеме камеры)',/))fmt"_fmt;
// Titles and tables; "(2X,/)" and "(/)" give two empty lines each.
constexpr FormatView kResultsTitle = R"fmt((10X,'          ******   РЕЗУЛЬТАТЫ РАСЧЕТОВ ******',/))fmt"_fmt;
constexpr FormatView kTwoEmptyLines = R"fmt((2X,/))fmt"_fmt;
constexpr FormatView kVPTitle = R"fmt((8X,'    ******* ПРОФИЛИ ТАНГ.СКОР. V И ДАВЛ. P ******',/))fmt"_fmt;
constexpr FormatView kVPHeading = R"fmt((7X,' РАДИУС  м         V    м/сек       P   Па   ',/))fmt"_fmt;
constexpr FormatView kProfileRow = R"fmt((6X,E12.5,6X,E12.5,6X,E12.5))fmt"_fmt;
constexpr FormatView kUWTitle = R"fmt((6X,'     ****  ПРОФИЛИ РАД.СКОР. U   И ОСЕВОЙ W ***',/))fmt"_fmt;
constexpr FormatView kUWHeading = R"fmt((7X,' РАДИУС м          U    м/сек      W (Z=L)м/сек',/))fmt"_fmt;
constexpr FormatView kEnd = R"fmt((/))fmt"_fmt;

}  // namespace

calculators::ReadResult read_input(int unit, RunRecord& run) {
    return calculators::read_input_section(unit, kInputSection, run);
}

void write_report(int unit, const RunRecord& run) {
    auto line = [unit](const FormatView& format, std::initializer_list<fixrec::Item> items = {}) {
        fixrec::write_line(unit, format, items);
    };
    auto result = [unit, &run](const ResultLine& row) { calculators::write_result(unit, row, run); };
    line(kStars);
    line(kOrganisation);
    line(kTitle);
    line(kStars01);
    line(kInputTitle);
    calculators::write_input_block(unit, kInputSection, run);
    line(kNVSLegend);

    line(kResultsTitle);
    result(kQ);
    result(kMA);
    result(kK);
    result(kM);
    result(kUK);
    result(kU1);
    result(kWSR1);
    result(kRP);
    result(kRU);
    result(kRV);
    result(kVMAX);
    result(kV1);
    result(kVK);
    result(kVWX);
    result(kALFA);
    result(kREI);
    result(kNITA);
    result(kNK);
    result(kPVXOD);
    result(kPK);
    result(kP1);
    result(kP0);
    line(kTwoEmptyLines);

    // Each row shows the radius of its node (the counts never exceed 400;
    // a count of 0 or less gives a table of headings alone).
    const int v_rows = std::min(run.NK, kNodes);
    const int u_rows = std::min(run.NITA, kNodes);
    line(kVPTitle);
    line(kVPHeading);
    for (int i = 1; i <= v_rows; ++i) line(kProfileRow, {node_radius(i, run.DRK), run.V[i - 1], run.P[i - 1]});
    line(kTwoEmptyLines);
    line(kUWTitle);
    line(kUWHeading);
    for (int i = 1; i <= u_rows; ++i) line(kProfileRow, {node_radius(i, run.DRK), run.U[i - 1], run.W[i - 1]});
    line(kEnd);

    // The refinements are computed for every NVS, shown for the analytic
    // vortex only.
    if (run.NVS != 0) return;
    line(kPowerLawTitle);
    result(kN);
    result(kV1_N);
    result(kVMAX_N);
    result(kPK_N);
    result(kPVXOD_N);
    line(kHeightTitle);
    result(kP0_H);
    result(kPK_H);
    result(kVMAX_H);
}

}  // namespace vortex_chamber
