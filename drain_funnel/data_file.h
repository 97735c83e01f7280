// The data file BILM.DAT: the input section (six header lines, then five
// values in columns 39-50), the scalar results of the report, and the report
// that replaces the file.
//
// The input table is the single source of a value's line, name, formats,
// unit and meaning: the reader walks it, the report's input block walks it,
// and a tool finds an input by name in it.
#pragma once

#include <array>
#include <string_view>

#include "calculators/data_file.h"
#include "fixrec/fixrec.h"
#include "run_record.h"

namespace drain_funnel {

// The tables are constants of this header, written with the _fmt and _cp
// literals.
using namespace fixrec::literals;
using InputLine = calculators::InputLine<FunnelRun>;
using ResultLine = calculators::ResultLine<FunnelRun>;

// A header line: 80 single characters into a buffer whose content is never
// used.  The report writes its banner over the six of them.
inline constexpr fixrec::FormatView kHeaderLine = R"fmt((80A1))fmt"_fmt;
// A value line: the label in columns 1-38 (never looked at), the value in
// columns 39-50, anything after column 50 (the report's unit) not read.
inline constexpr fixrec::FormatView kValueLine = R"fmt((38X,E12.5))fmt"_fmt;

// The report writes each value back with 2 blanks and a 36-character label
// before it, so that it stands in columns 39-50, and the unit after it.
inline constexpr std::array kInputSection{
    InputLine::header(1, kHeaderLine),
    InputLine::header(2, kHeaderLine),
    InputLine::header(3, kHeaderLine),
    InputLine::header(4, kHeaderLine),
    InputLine::header(5, kHeaderLine),
    InputLine::header(6, kHeaderLine),
    InputLine::value(7, "Q", kValueLine,
                     R"fmt((2X,'ОБЬЕМНЫЙ РАСХОД ЖИДКОСТИ           Q',E12.5,'(м3/с)'))fmt"_fmt,
                     "м3/с"_cp, "volumetric flow rate of the liquid through the drain", &FunnelRun::Q),
    InputLine::value(8, "HG", kValueLine,
                     R"fmt((2X,'ВЫСОТА ЖИДКОСТИ В БАКЕ            HG',E12.5,'(м)'))fmt"_fmt,
                     "м"_cp, "height of the liquid in the tank", &FunnelRun::HG),
    InputLine::value(9, "R1", kValueLine,
                     R"fmt((2X,'РАДИУС ОТВЕРСТИЯ СТОКА            R1',E12.5,'(м)'))fmt"_fmt,
                     "м"_cp, "radius of the drain hole", &FunnelRun::R1),
    InputLine::value(10, "RCR", kValueLine,
                     R"fmt((2X,'СРЕДНИЙ РАДИУС СЕЧЕНИЯ ПОДПИТКИ  RCR',E12.5,'(м)'))fmt"_fmt,
                     "м"_cp, "mean radius of the make-up section", &FunnelRun::RCR),
    InputLine::value(11, "UPOD", kValueLine,
                     R"fmt((2X,'СРЕДНЯЯ СКОРОСТЬ ПОДПИТКИ       UPOD',E12.5,'(м/с)'))fmt"_fmt,
                     "м/с"_cp, "mean velocity of the make-up flow", &FunnelRun::UPOD),
};
static_assert(calculators::well_formed(kInputSection));

// The results, each value in columns 38-49.  The report shows the three when
// the funnel stays above the outlet (HO < HG), else only HO, on a line of its
// own (write_report).
inline constexpr ResultLine kHO = ResultLine::of(
    "HO", R"fmt((2X,'ВЫСОТА ВОРОНКИ                   HO',E12.5,'(м)'))fmt"_fmt,
    "м"_cp, "depth of the funnel", &FunnelRun::HO);
inline constexpr ResultLine kRV = ResultLine::of(
    "RV", R"fmt((2X,'РАДИУС ВОРОНКИ при 0.5*HO        RV',E12.5,'(м)'))fmt"_fmt,
    "м"_cp, "radius of the funnel at half its depth", &FunnelRun::RV);
inline constexpr ResultLine kVMAX = ResultLine::of(
    "VMAX", R"fmt((2X,'МАКСИМАЛЬНАЯ СКОРОСТЬ ВРАЩЕНИЯ VMAX',E12.5,'(м/с)'))fmt"_fmt,
    "м/с"_cp, "maximum rotation speed", &FunnelRun::VMAX);
inline constexpr std::array kResults{kHO, kRV, kVMAX};
static_assert(calculators::well_formed(kResults));

// The funnel reaches the outlet (HO >= HG): HO alone, in columns 44-55.  A
// tool gives its words as a verdict of the run.
inline constexpr fixrec::FormatView kReachedOutlet =
    R"fmt((2X,'ВОРОНКА ДОСТИГЛА ВЫХОДНОГО ОТВЕРСТИЯ  HO=',E12.5))fmt"_fmt;

// The text of the banner that names the program (line 3 of a report), by
// which a tool tells a BILM data file.
inline constexpr std::string_view kBanner = "РЕЗУЛЬТАТЫ РАБОТЫ ПРОГРАММЫ BILM"_cp;

// Reads the input section from the connected `unit`.  Values read before a
// line that fails are kept.
calculators::ReadResult read_input(int unit, FunnelRun& run);

// Writes the report on `unit`: the banner (the next run's header lines), the
// input values, the results.
void write_report(int unit, const FunnelRun& run);

}  // namespace drain_funnel
