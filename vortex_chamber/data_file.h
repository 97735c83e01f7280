// The data file ZARN1.DAT: the input section (ten header lines, then the
// values of the chamber in fixed columns, with a legend line between the
// swirler angle and the swirler type), the scalar results of the report, and
// the report that replaces the file.
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

namespace vortex_chamber {

// The tables are constants of this header, written with the _fmt and _cp
// literals.
using namespace fixrec::literals;
using InputLine = calculators::InputLine<RunRecord>;
using ResultLine = calculators::ResultLine<RunRecord>;

// A header or legend line: 80 single characters into a buffer whose content
// is never used.  The report writes its banner over the ten header lines and
// its legend over line 18.
inline constexpr fixrec::FormatView kTextLine = R"fmt((80A1))fmt"_fmt;
// Value lines: the label in columns 1-41 (never looked at), then a real in
// columns 42-57, an angle in columns 42-52, or a one-digit switch in column
// 47; the rest of the line (the report's unit) is not read.
inline constexpr fixrec::FormatView kRealLine = R"fmt((41X,E16.5))fmt"_fmt;
inline constexpr fixrec::FormatView kAngleLine = R"fmt((41X,F11.4))fmt"_fmt;
inline constexpr fixrec::FormatView kDigitLine = R"fmt((46X,I1))fmt"_fmt;

// The report writes each value back after 2 blanks and a 39-character label,
// so that it stands where the reader takes it from (a switch after 5 more
// blanks), and the unit after it.  МА, К, М and ТК are Cyrillic in the
// labels; "для" on line 25 is Cyrillic before a Latin V.
inline constexpr std::array kInputSection{
    InputLine::header(1, kTextLine),
    InputLine::header(2, kTextLine),
    InputLine::header(3, kTextLine),
    InputLine::header(4, kTextLine),
    InputLine::header(5, kTextLine),
    InputLine::header(6, kTextLine),
    InputLine::header(7, kTextLine),
    InputLine::header(8, kTextLine),
    InputLine::header(9, kTextLine),
    InputLine::header(10, kTextLine),
    InputLine::value(11, "G", kRealLine,
                     R"fmt((2X,'МАССОВЫЙ РАСХОД ГАЗА                  G',E16.5,' (кг/сек)'))fmt"_fmt,
                     "кг/сек"_cp, "mass flow rate of the gas", &RunRecord::G),
    InputLine::value(12, "RK", kRealLine,
                     R"fmt((2X,'РАДИУС ВИХРЕВОЙ КАМЕРЫ               RK',E16.5,' (м)'))fmt"_fmt,
                     "м"_cp, "radius of the vortex chamber", &RunRecord::RK),
    InputLine::value(13, "L", kRealLine,
                     R"fmt((2X,'ВЫСОТА ВИХРЕВОЙ КАМЕРЫ                L',E16.5,' (м)'))fmt"_fmt,
                     "м"_cp, "height of the vortex chamber", &RunRecord::L),
    InputLine::value(14, "R1", kRealLine,
                     R"fmt((2X,'РАДИУС ВЫХ. ОТВЕРСТИЯ                R1',E16.5,' (м)'))fmt"_fmt,
                     "м"_cp, "radius of the outlet hole", &RunRecord::R1),
    InputLine::value(15, "H", kRealLine,
                     R"fmt((2X,'ВЫСОТА ВЫХ. ОТВЕРСТИЯ                 H',E16.5,' (м)'))fmt"_fmt,
                     "м"_cp, "height of the outlet hole", &RunRecord::H),
    InputLine::value(16, "FVX", kRealLine,
                     R"fmt((2X,'ПЛОЩАДЬ ОТВЕРСТ.ЗАВИХРИТ.           FVX',E16.5,' (м**2)'))fmt"_fmt,
                     "м**2"_cp, "area of the swirler openings", &RunRecord::FVX),
    InputLine::value(17, "PSIVX", kAngleLine,
                     R"fmt((2X,'УГОЛ НАКЛОНА ЗАВИХРИТ.            PSIVX',F11.4,'      (град.)'))fmt"_fmt,
                     "град."_cp, "inclination angle of the swirler", &RunRecord::PSIVX),
    InputLine::label(18, kTextLine, R"fmt((2X,'ВИД ЗАВИХРИТЕЛЯ (1-боковой,длиной L;'))fmt"_fmt),
    InputLine::value(19, "VID", kDigitLine,
                     R"fmt((2X,'2-боковой-меньше 0,5L и торцевой)   VID',5X,I1))fmt"_fmt,
                     "", "swirler type: 1 lateral along the whole height L, any other digit shorter or end-face",
                     &RunRecord::VID),
    InputLine::value(20, "NU", kRealLine,
                     R"fmt((2X,'КИНЕМАТИЧЕСКАЯ ВЯЗКОСТЬ              NU',E16.5,' (м**2/сек)'))fmt"_fmt,
                     "м**2/сек"_cp, "kinematic viscosity of the gas", &RunRecord::NU),
    InputLine::value(21, "RO", kRealLine,
                     R"fmt((2X,'ПЛОТНОСТЬ ГАЗА                       RO',E16.5,' (кг/м**3)'))fmt"_fmt,
                     "кг/м**3"_cp, "density of the gas", &RunRecord::RO),
    InputLine::value(22, "PVN", kRealLine,
                     R"fmt((2X,'ДАВЛЕНИЕ ВНЕШНЕЙ СРЕДЫ              PVN',E16.5,' (Па)'))fmt"_fmt,
                     "Па"_cp, "pressure of the surrounding medium (reported only)", &RunRecord::PVN),
    InputLine::value(23, "TK", kAngleLine,
                     R"fmt((2X,'ТЕМПЕР.ГАЗА У СТЕНКИ КАМЕРЫ          ТК',F11.4,'      (град.)'))fmt"_fmt,
                     "град."_cp, "gas temperature at the chamber wall (reported only)", &RunRecord::TK),
    InputLine::value(24, "DRK", kRealLine,
                     R"fmt((2X,'РАСЧЕТНЫЙ ШАГ ПО РАДИУСУ            DRK',E16.5,' (м)'))fmt"_fmt,
                     "м"_cp, "radial step of the profiles", &RunRecord::DRK),
    InputLine::value(25, "NVS", kDigitLine,
                     R"fmt((2X,'РЕШЕНИЕ УР-ИЙ НАВЬЕ СТОКСА дляV и P NVS',5X,I1))fmt"_fmt,
                     "", "0 analytic vortex, 1 solution of the equations of motion, 2 the same without counterflow",
                     &RunRecord::NVS),
};
static_assert(calculators::well_formed(kInputSection));

// The integral results, each real in columns 42-57 and each count in columns
// 47-49, in the order of the report (NITA and NK among them, before PVXOD).
// The unit of V1 has no closing parenthesis on the report.
inline constexpr ResultLine kQ = ResultLine::of(
    "Q", R"fmt((2X,'ОБЬЕМНЫЙ РАСХОД ГАЗА                  Q',E16.5,' (м**3/сек)'))fmt"_fmt,
    "м**3/сек"_cp, "volume flow rate of the gas", &RunRecord::Q);
inline constexpr ResultLine kMA = ResultLine::of(
    "MA", R"fmt((2X,'КОНСТРУКТИВНЫЙ ПАРАМЕТР ЗАКРУТКИ     МА',E16.5,' '))fmt"_fmt,
    "", "design swirl parameter", &RunRecord::MA);
inline constexpr ResultLine kK = ResultLine::of(
    "K", R"fmt((2X,'СТЕПЕНЬ ЗАКРУТКИ НА ПЕРИФЕРИИ         К',E16.5,' '))fmt"_fmt,
    "", "degree of swirl at the periphery", &RunRecord::K);
inline constexpr ResultLine kM = ResultLine::of(
    "M", R"fmt((2X,'ТЕОРЕТИЧЕСКИЙ ПАРАМЕТР                М',E16.5))fmt"_fmt,
    "", "theoretical swirl parameter", &RunRecord::M);
inline constexpr ResultLine kUK = ResultLine::of(
    "UK", R"fmt((2X,'СРЕДНЕРАС-АЯ РАД.СКОРОСТЬ У СТЕНКИ   UK',E16.5,' (м/сек)'))fmt"_fmt,
    "м/сек"_cp, "mean radial velocity at the chamber wall (negative: inward)", &RunRecord::UK);
inline constexpr ResultLine kU1 = ResultLine::of(
    "U1", R"fmt((2X,'СР-АЯ РАД.СКОРОСТЬ У ВЫХ.ОТВ-ИЯ      U1',E16.5,' (м/сек)'))fmt"_fmt,
    "м/сек"_cp, "mean radial velocity at the outlet radius R1 (negative: inward)", &RunRecord::U1);
inline constexpr ResultLine kWSR1 = ResultLine::of(
    "WSR1", R"fmt((2X,'СР-АЯ ОСЕВАЯ СКОРОСТЬ              WSR1',E16.5,' (м/сек)'))fmt"_fmt,
    "м/сек"_cp, "mean axial velocity in the outlet", &RunRecord::WSR1);
inline constexpr ResultLine kRP = ResultLine::of(
    "RP", R"fmt((2X,'РАДИУС ЗОНЫ НУЛЯ СТАТ.ДАВЛЕНИЯ       RP',E16.5,' (м)'))fmt"_fmt,
    "м"_cp, "radius of the zone of zero static pressure", &RunRecord::RP);
inline constexpr ResultLine kRU = ResultLine::of(
    "RU", R"fmt((2X,'РАДИУС ЗОНЫ НУЛЯ РАД.СКОРОСТИ        RU',E16.5,' (м)'))fmt"_fmt,
    "м"_cp, "radius of the zone of zero radial velocity", &RunRecord::RU);
inline constexpr ResultLine kRV = ResultLine::of(
    "RV", R"fmt((2X,'РАД.ЗОНЫ МАХ.ТАНГЕНЦ.СКОРОСТИ        RV',E16.5,' (м)'))fmt"_fmt,
    "м"_cp, "radius of the maximum tangential velocity", &RunRecord::RV);
inline constexpr ResultLine kVMAX = ResultLine::of(
    "VMAX", R"fmt((2X,'МАХ.ТАНГЕНЦ.СКОРОСТЬ               VMAX',E16.5,' (м/сек)'))fmt"_fmt,
    "м/сек"_cp, "maximum tangential velocity", &RunRecord::VMAX);
inline constexpr ResultLine kV1 = ResultLine::of(
    "V1", R"fmt((2X,'ТАНГ.СКОРОСТЬ НА РАДИУСЕ R1          V1',E16.5,' (м/сек'))fmt"_fmt,
    "м/сек"_cp, "tangential velocity at the outlet radius R1", &RunRecord::V1);
inline constexpr ResultLine kVK = ResultLine::of(
    "VK", R"fmt((2X,'ТАНГ.СКОРОСТЬ У СТЕНКИ КАМЕРЫ        VK',E16.5,' (м/сек)'))fmt"_fmt,
    "м/сек"_cp, "tangential velocity at the chamber wall", &RunRecord::VK);
inline constexpr ResultLine kVWX = ResultLine::of(
    "VWX", R"fmt((2X,'ТАНГ.СКОРОСТЬ НА ВЫХОДЕ  ЗАВИХР.    VWX',E16.5,' (м/сек)'))fmt"_fmt,
    "м/сек"_cp, "tangential velocity at the swirler exit", &RunRecord::VWX);
inline constexpr ResultLine kALFA = ResultLine::of(
    "ALFA", R"fmt((2X,'КОЭФ.ПРЕОБРАЗОВ. СКОРОСТИ          ALFA',E16.5))fmt"_fmt,
    "", "velocity conversion coefficient of the swirler", &RunRecord::ALFA);
inline constexpr ResultLine kREI = ResultLine::of(
    "REI", R"fmt((2X,'ЧИСЛО РЕЙНОЛЬДСА                    REI',E16.5))fmt"_fmt,
    "", "Reynolds number of the flow from the swirler", &RunRecord::REI);
inline constexpr ResultLine kNITA = ResultLine::of(
    "NITA", R"fmt((2X,'КОЛ-ВО ТОЧЕК НА (0-R1)             NITA',5X,I3))fmt"_fmt,
    "", "nodes of the U and W profiles on 0..R1 (at most 399)", &RunRecord::NITA);
inline constexpr ResultLine kNK = ResultLine::of(  // a Latin R before a Cyrillic к
    "NK", R"fmt((2X,'КОЛ-ВО ТОЧЕК НА (0-Rк)               NK',5X,I3))fmt"_fmt,
    "", "nodes of the V and P profiles on 0..RK (at most 400)", &RunRecord::NK);
inline constexpr ResultLine kPVXOD = ResultLine::of(
    "PVXOD", R"fmt((2X,'ДАВЛЕНИЕ ПЕРЕД ЗАВИХРИТЕЛЕМ       PVXOD',E16.5,' (Па)'))fmt"_fmt,
    "Па"_cp, "pressure before the swirler", &RunRecord::PVXOD);
inline constexpr ResultLine kPK = ResultLine::of(
    "PK", R"fmt((2X,'ДАВЛЕНИЕ У СТЕНКИ КАМЕРЫ             PK',E16.5,' (Па)'))fmt"_fmt,
    "Па"_cp, "pressure at the chamber wall", &RunRecord::PK);
inline constexpr ResultLine kP1 = ResultLine::of(
    "P1", R"fmt((2X,'ДАВЛЕНИЕ  НА  РАДИУСЕ  R1            P1',E16.5,' (Па)'))fmt"_fmt,
    "Па"_cp, "pressure at the outlet radius R1", &RunRecord::P1);
inline constexpr ResultLine kP0 = ResultLine::of(
    "P0", R"fmt((2X,'ДАВЛЕНИЕ В ЦЕНТРЕ КАМЕРЫ             P0',E16.5,' (Па)'))fmt"_fmt,
    "Па"_cp, "pressure on the axis of the chamber", &RunRecord::P0);

// The refinements, shown only for the analytic vortex (NVS = 0): five values
// by the power law V*R**N = const in columns 40-51, three corrected for the
// height of the outlet in columns 34-45.  Their lines show no unit: the
// meanings give it.  "MAX" and the "TA" of "TAНГЕНЦ" are Latin here.
inline constexpr ResultLine kN = ResultLine::of(
    "N", R"fmt((2X,'ПОКАЗАТЕЛЬ СТЕПЕНИ                 N ',E12.5))fmt"_fmt,
    "", "exponent of the power law V*R**N = const", &RunRecord::N);
inline constexpr ResultLine kV1_N = ResultLine::of(
    "V1_N", R"fmt((2X,'TAНГЕНЦ.СКОРОСТЬ НА РАДИУСЕ R1    V1 ',E12.5))fmt"_fmt,
    "", "tangential velocity at R1 by the power law, m/s", &RunRecord::V1_N);
inline constexpr ResultLine kVMAX_N = ResultLine::of(
    "VMAX_N", R"fmt((2X,'MAX.TAНГЕНЦ.СКОРОСТЬ            VMAX ',E12.5))fmt"_fmt,
    "", "maximum tangential velocity by the power law, m/s", &RunRecord::VMAX_N);
inline constexpr ResultLine kPK_N = ResultLine::of(
    "PK_N", R"fmt((2X,'ДАВЛЕНИЕ У СТЕНКИ КАМЕРЫ          PK ',E12.5))fmt"_fmt,
    "", "pressure at the chamber wall by the power law, Pa", &RunRecord::PK_N);
inline constexpr ResultLine kPVXOD_N = ResultLine::of(  // then an empty line
    "PVXOD_N", R"fmt((2X,'ДАВЛЕНИЕ   ПЕРЕД ЗАВИХР.       PVXOD ',E12.5,/))fmt"_fmt,
    "", "pressure before the swirler by the power law, Pa", &RunRecord::PVXOD_N);
inline constexpr ResultLine kP0_H = ResultLine::of(
    "P0_H", R"fmt((2X,' ДАВЛЕНИЕ В ЦЕНТРЕ КАМЕРЫ  P0 =',E12.5))fmt"_fmt,
    "", "pressure on the axis corrected for the outlet height H, Pa", &RunRecord::P0_H);
inline constexpr ResultLine kPK_H = ResultLine::of(
    "PK_H", R"fmt((2X,' ДАВЛЕНИЕ НА СТЕНКЕ КАМЕРЫ PK =',E12.5))fmt"_fmt,
    "", "pressure at the chamber wall corrected for the outlet height H, Pa", &RunRecord::PK_H);
inline constexpr ResultLine kVMAX_H = ResultLine::of(
    "VMAX_H", R"fmt((2X,' MAX.TAНГЕНЦ.СКОРОСТЬ    VMAX =',E12.5))fmt"_fmt,
    "", "maximum tangential velocity corrected for the outlet height H, m/s", &RunRecord::VMAX_H);

inline constexpr std::array kResults{
    kQ,    kMA,  kK,   kM,     kUK,    kU1, kWSR1, kRP,  kRU,   kRV,     kVMAX,  kV1,    kVK,      kVWX,  kALFA,
    kREI,  kNITA, kNK, kPVXOD, kPK,    kP1, kP0,   kN,   kV1_N, kVMAX_N, kPK_N,  kPVXOD_N, kP0_H, kPK_H, kVMAX_H,
};
static_assert(calculators::well_formed(kResults));

// The titles of the two refinement blocks of the report; a tool gives their
// words as a verdict of the run.
inline constexpr fixrec::FormatView kPowerLawTitle =
    R"fmt((' ** УТОЧНЕНИЕ РЕЗУЛЬТАТОВ ПО ФОРМУЛЕ V*R**N=const **',/))fmt"_fmt;
inline constexpr fixrec::FormatView kHeightTitle = R"fmt((2X,' УТОЧНЕНИЕ РЕЗУЛЬТАТОВ С УЧЕТОМ ВЫСОТЫ  H ',/))fmt"_fmt;

// The text of the banner that names the program (line 5 of a report), by
// which a tool tells a ZARN1 data file.
inline constexpr std::string_view kBanner = "РЕЗУЛЬТАТЫ РАБОТЫ  З А Р Н 1"_cp;

// Reads the 25 lines of the input section from the connected `unit`.  Values
// read before a line that fails are kept; later ones are left as they were.
calculators::ReadResult read_input(int unit, RunRecord& run);

// Writes the report on `unit`: the banner (the next run's header lines), the
// input values, the integral results, the V, P and U, W profile tables with
// the radius of each node, and for the analytic vortex the refinements.
void write_report(int unit, const RunRecord& run);

}  // namespace vortex_chamber
