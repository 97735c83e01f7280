// The pictures of `swirl plot`, as figures of the SVG module: results of a
// sweep against one varied input, and the radial profiles of one run.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "swirl/svg/svg_plot.h"
#include "swirl/core/csv.h"
#include "swirl/model/model.h"

namespace swirl {

// The program whose sweep wrote a table with these columns (its inputs, its
// results, status, reason, messages, its verdicts); null when none did.
const Calculator* sweep_program(const std::vector<std::string>& columns);

struct SweepPlot {
    std::string x{};               // a column of the table
    std::vector<std::string> y{};  // columns, one curve each
    bool logx = false, logy = false;
    std::string source{};          // the table's name, for the title "source: HO, RV against Q"
};

// Each y column against the x column, rows in x order.  A row whose status is
// "invalid", or whose cell is empty, is a gap in the curve.  Units come from
// the tables of the program that wrote the sweep (sweep_program); quantities
// of different units go to panels of their own, one panel per unit, in the
// order of `y`.  When inputs other than x vary too, each of their
// combinations gets its own curve, named after it; more curves in one panel
// than a legend can tell apart (7) are refused.
// UsageError: a name that is not a column (in any case), a table without
// rows, too many curves.  CsvError: a cell of x or y that is not a number.
plot::Figure sweep_figure(const CsvTable& table, const SweepPlot& request);

// The radial profiles of a run that gives profile tables (Outcome::tables):
// one panel a table against its first column, the second column on the left
// axis and the third on the right one, each on a scale of its own (further
// columns go with the second when of its unit); the inputs and results
// named in `markers` that the program has and the run computed are marked
// as vertical lines; the run's warnings are the figure's notes.
plot::Figure profile_figure(const Calculator& calc, std::span<const Value> inputs,
                            const calculators::Outcome& outcome, const std::vector<std::string>& markers,
                            std::string title);

// The verdicts of a run that say its results are incomplete (a profile cut
// short), each as "meaning: the program's words" in UTF-8.
std::vector<std::string> warnings(const Calculator& calc, const calculators::Outcome& outcome);

}  // namespace swirl
