// The data file KERVA.DAT: the input section (ten header lines, then sixteen
// values from column 42 with seven label-only lines among them), the scalar
// results of the report, and the report that replaces the file.
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

namespace separator {

// The tables are constants of this header, written with the _fmt and _cp
// literals.
using namespace fixrec::literals;
using InputLine = calculators::InputLine<KervaRun>;
using ResultLine = calculators::ResultLine<KervaRun>;

// A header or label-only line: 80 single characters into a buffer whose
// content is never used.  The report writes its banner over the ten header
// lines and its own text on each label-only line.
inline constexpr fixrec::FormatView kTextLine = R"fmt((80A1))fmt"_fmt;
// The value lines: the label in columns 1-41 (never looked at), then an E16.5
// field in columns 42-57, an F11.4 field in columns 42-52, or a count in
// columns 47-48.  Anything after the field (the report's unit) is not read.
inline constexpr fixrec::FormatView kReal = R"fmt((41X,E16.5))fmt"_fmt;
inline constexpr fixrec::FormatView kFixed = R"fmt((41X,F11.4))fmt"_fmt;
inline constexpr fixrec::FormatView kCount = R"fmt((46X,I2))fmt"_fmt;

// The report writes each value back after 2 blanks and a 39-character label,
// so that it starts in column 42; NI and VID get 5 blanks more and stand as
// one digit (I1) in column 47, which the reader's I2 takes with the blank or
// the end of the line after it.  A count that one digit cannot hold (10 or
// more, or negative) is written two digits wide (I2) in columns 47-48,
// exactly where the reader takes it, so that every count the reader accepts
// (-9 to 99) comes back on the next run.
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
    InputLine::value(11, "QH", kReal,
                     R"fmt((2X,'ОБЬЕМНЫЙ РАСХОД СРЕДЫ                QH',E16.5,' (м**3/ч)'))fmt"_fmt,
                     "м**3/ч"_cp, "volumetric flow rate of the medium", &KervaRun::QH),
    InputLine::value(12, "ROG", kReal,
                     R"fmt((2X,'ПЛОТНОСТЬ СРЕДЫ                     ROG',E16.5,' (кг/м**3)'))fmt"_fmt,
                     "кг/м**3"_cp, "density of the medium", &KervaRun::ROG),
    InputLine::value(13, "NU", kReal,
                     R"fmt((2X,'КИНЕМАТИЧ.ВЯЗКОСТЬ СРЕДЫ             NU',E16.5,' (м**2/сек)'))fmt"_fmt,
                     "м**2/сек"_cp, "kinematic viscosity of the medium", &KervaRun::NU),
    InputLine::value(14, "DK", kReal,
                     R"fmt((2X,'ДИАМЕТР СЕПАРАТОРА (внутренний)      DK',E16.5,' (м)'))fmt"_fmt,
                     "м"_cp, "inner diameter of the separator", &KervaRun::DK),
    InputLine::value(15, "L", kReal,
                     R"fmt((2X,'ДЛИНА СЕПАРАТОРА(по эквивалентн.цил.) L',E16.5,' (м)'))fmt"_fmt,
                     "м"_cp, "length of the separator (of the equivalent cylinder)", &KervaRun::L),
    InputLine::value(16, "R2", kReal,
                     R"fmt((2X,'СРЕДНИЙ РАДИУС КОЛЬЦЕВОГО СЕЧЕНИЯ    R2',E16.5,' (м)'))fmt"_fmt,
                     "м"_cp, "mean radius of the annular section", &KervaRun::R2),
    InputLine::value(17, "B", kReal,
                     R"fmt((2X,'ДИАМЕТР ИЛИ ШИРИНА ВХОДН.ОТВЕРСТИЯ    B',E16.5,' (м)'))fmt"_fmt,
                     "м"_cp, "diameter (round inlet) or width of an inlet opening", &KervaRun::B),
    InputLine::label(18, kTextLine,
                     R"fmt((2X,'ВЫСОТА ВХОДНОГО ОТВЕРСТИЯ,'))fmt"_fmt),
    InputLine::value(19, "HI", kReal,
                     R"fmt((2X,'(при круглом отверстии HI=0)         HI',E16.5,' (м)'))fmt"_fmt,
                     "м"_cp, "height of an inlet opening; 0 for a round opening", &KervaRun::HI),
    InputLine::value(20, "NI", kCount,
                     R"fmt((2X,'КОЛИЧЕСТВО ВХОДНЫХ ОТВЕРСТИЙ         NI',5X,I1))fmt"_fmt,
                     R"fmt((2X,'КОЛИЧЕСТВО ВХОДНЫХ ОТВЕРСТИЙ         NI',5X,I2))fmt"_fmt,
                     "", "number of inlet openings", &KervaRun::NI),
    InputLine::label(21, kTextLine,
                     R"fmt((2X,'УГОЛ НАКЛОНА ВХОДНЫХ ОТВЕРСТИЙ'))fmt"_fmt),
    InputLine::value(22, "UVX", kFixed,
                     R"fmt((2X,'(UVX=90 -тангенциальный вход)       UVX',F11.4,'      (град.)'))fmt"_fmt,
                     "град."_cp, "inclination of the inlet openings; 90 is a tangential inlet", &KervaRun::UVX),
    InputLine::label(23, kTextLine,
                     R"fmt((2X,'ВИД ВХОДА (1-боковой,2-торцевой,'))fmt"_fmt),
    InputLine::value(24, "VID", kCount,
                     R"fmt((2X,'3-улиточный)                        VID',5X,I1))fmt"_fmt,
                     R"fmt((2X,'3-улиточный)                        VID',5X,I2))fmt"_fmt,
                     "", "kind of inlet: 1 side, 2 end, any other value volute", &KervaRun::VID),
    InputLine::value(25, "BETA", kFixed,
                     R"fmt((2X,'КОЭФФИЦИЕНТ ШЕРОХОВАТОСТИ          BETA',F11.4))fmt"_fmt,
                     "", "roughness coefficient", &KervaRun::BETA),
    InputLine::label(26, kTextLine,
                     R"fmt((2X,'ДИАМЕТР ЧАСТИЦЫ ИЛИ МЕДИАННЫЙ (рас-'))fmt"_fmt),
    InputLine::label(27, kTextLine,
                     R"fmt((2X,'считанный по обьему частицы'))fmt"_fmt),
    InputLine::value(28, "D50", kReal,
                     R"fmt((2X,' D50=(6*VP/PI)**(1/3) )             D50',E16.5,' (м)'))fmt"_fmt,
                     "м"_cp, "particle diameter, or median diameter of the distribution (sphere of equal volume)", &KervaRun::D50),
    InputLine::label(29, kTextLine,
                     R"fmt((2X,'ДЕСЯТИЧНЫЙ ЛОГАРИФМ ДИСПЕРСИИ (при'))fmt"_fmt),
    InputLine::value(30, "LGSG", kReal,
                     R"fmt((2X,'монофракции  LGSG=0)               LGSG',E16.5))fmt"_fmt,
                     "", "decimal logarithm of the geometric standard deviation of the sizes; 0 for one size", &KervaRun::LGSG),
    InputLine::value(31, "ROP", kReal,
                     R"fmt((2X,'ПЛОТНОСТЬ ЧАСТИЦ                    ROP',E16.5,' (кг/м**3)'))fmt"_fmt,
                     "кг/м**3"_cp, "density of the particles", &KervaRun::ROP),
    InputLine::label(32, kTextLine,
                     R"fmt((2X,'ГЕОМЕТРИЧЕСКИЙ КОЭФФИЦИЕНТ (S/SFER,'))fmt"_fmt),
    InputLine::value(33, "QGE", kFixed,
                     R"fmt((2X,'для сферической частицы QGE=1)      QGE',F11.4))fmt"_fmt,
                     "", "shape coefficient: surface of the particle over that of the sphere of equal volume; 1 for a sphere", &KervaRun::QGE),
};
static_assert(calculators::well_formed(kInputSection));

// The results, in the order of the report: VK always; SPC, KSC and ETA1
// whenever the Stokes regime was computed; BETA2, SP2C, KS2C, BETA1 and ETA2
// whenever the quadratic regime was; ETA between the regimes (write_report).
// E16.5 fields in columns 42-57, the efficiencies F12.5 in columns 42-53.
inline constexpr ResultLine kVK = ResultLine::of(
    "VK", R"fmt((2X,'ТАНГЕНЦИАЛЬНАЯ СКОРОСТЬ              VK',E16.5,' (м/сек)'))fmt"_fmt,
    "м/сек"_cp, "tangential velocity of the stream at the separator radius", &KervaRun::VK);
inline constexpr ResultLine kSPC = ResultLine::of(
    "SPC", R"fmt((2X,'ПАРАМЕТР                            SPC',E16.5))fmt"_fmt,
    "", "Stokes parameter", &KervaRun::SPC);
inline constexpr ResultLine kKSC = ResultLine::of(
    "KSC", R"fmt((2X,'КОЭФФИЦИЕНТ СЕПАРАЦИИ               KSC',E16.5))fmt"_fmt,
    "", "separation coefficient in the Stokes regime", &KervaRun::KSC);
inline constexpr ResultLine kETA1 = ResultLine::of(
    "ETA1", R"fmt((2X,'СТЕПЕНЬ ОЧИСТКИ                    ETA1',F12.5,' %'))fmt"_fmt,
    "%"_cp, "cleaning efficiency in the Stokes regime", &KervaRun::ETA1);
inline constexpr ResultLine kBETA2 = ResultLine::of(
    "BETA2", R"fmt((2X,'КРИТЕРИЙ РЕЖИМА ОБТЕКАНИЯ         BETA2',E16.5))fmt"_fmt,
    "", "criterion of the drag regime", &KervaRun::BETA2);
inline constexpr ResultLine kSP2C = ResultLine::of(
    "SP2C", R"fmt((2X,'ПАРАМЕТР                           SP2C',E16.5))fmt"_fmt,
    "", "parameter of the quadratic regime", &KervaRun::SP2C);
inline constexpr ResultLine kKS2C = ResultLine::of(
    "KS2C", R"fmt((2X,'КОЭФФИЦИЕНТ СЕПАРАЦИИ              KS2C',E16.5))fmt"_fmt,
    "", "separation coefficient in the quadratic regime", &KervaRun::KS2C);
inline constexpr ResultLine kBETA1 = ResultLine::of(
    "BETA1", R"fmt((2X,'КРИТЕРИЙ ВЫБОРА ПРИБЛИЖЕНИЯ       BETA1',E16.5))fmt"_fmt,
    "", "criterion of the choice of approximation in the quadratic regime", &KervaRun::BETA1);
inline constexpr ResultLine kETA2 = ResultLine::of(
    "ETA2", R"fmt((2X,'СТЕПЕНЬ ОЧИСТКИ                    ETA2',F12.5,' %'))fmt"_fmt,
    "%"_cp, "cleaning efficiency in the quadratic regime", &KervaRun::ETA2);
inline constexpr ResultLine kETA = ResultLine::of(
    "ETA", R"fmt((2X,'СТЕПЕНЬ ОЧИСТКИ ИНТЕРПОЛИРОВАННАЯ   ETA',F12.5,' %'))fmt"_fmt,
    "%"_cp, "cleaning efficiency interpolated between the regimes", &KervaRun::ETA);
inline constexpr std::array kResults{kVK, kSPC, kKSC, kETA1, kBETA2, kSP2C, kKS2C, kBETA1, kETA2, kETA};
static_assert(calculators::well_formed(kResults));

// The title of each regime's block of the report; a tool gives their words
// as a verdict of the run.
inline constexpr fixrec::FormatView kStokesTitle =
    R"fmt((5X,'        *** СТОКСОВСКИЙ РЕЖИМ ОБТЕКАНИЯ ***'))fmt"_fmt;
inline constexpr fixrec::FormatView kQuadraticTitle =
    R"fmt((5X,'       *** КВАДРАТИЧНЫЙ РЕЖИМ ОБТЕКАНИЯ ***'))fmt"_fmt;

// The values that only console lines print: the efficiency for the size D50
// before it is limited to 1 ("ETA1fr=", "ETA2fr=" when above 1) and the mean
// of ETA1 and ETA2 (the second of the two numbers after the regimes' lines).
inline constexpr ResultLine kETA1FR = ResultLine::console(
    "ETA1FR", "", "Stokes regime: efficiency for the size D50 as a fraction, before the limit 1 "
    "(console ETA1fr= when above 1)", &KervaRun::ETA1D50);
inline constexpr ResultLine kETA2FR = ResultLine::console(
    "ETA2FR", "", "quadratic regime: efficiency for the size D50 as a fraction, before the limit 1 "
    "(console ETA2fr= when above 1)", &KervaRun::ETA2D50);
inline constexpr ResultLine kETAM = ResultLine::console(
    "ETAM", "%"_cp, "mean of ETA1 and ETA2 (console, after ETA on the line of two numbers)", &KervaRun::ETAM);
inline constexpr std::array kConsoleResults{kETA1FR, kETA2FR, kETAM};
static_assert(calculators::well_formed(kConsoleResults));

// The text of the banner that names the program (line 5 of a report), by
// which a tool tells a KERVA data file.
inline constexpr std::string_view kBanner = "РЕЗУЛЬТАТЫ РАБОТЫ ПРОГРАММЫ KERVA"_cp;

// Reads the input section from the connected `unit`.  Values read before a
// line that fails are kept.
calculators::ReadResult read_input(int unit, KervaRun& run);

// Writes the report on `unit`: the banner (the next run's header lines), the
// input section, the results of the regimes that were computed.
void write_report(int unit, const KervaRun& run);

}  // namespace separator
