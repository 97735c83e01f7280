// The data file of KERVA: its input section and the report that replaces it.
#include "report.h"

#include "fixrec/fixrec.h"

namespace separator {

namespace {

using namespace fixrec::literals;
using fixrec::Format;

constexpr int kUnit = 1;

// Input section: ten header lines, then value lines with the value from
// column 42 (E16.5 or F11.4 fields, NI and VID as integers in columns 47-48)
// and label-only lines, each read by its own statement.
const Format kTextLine(R"fmt((80A1))fmt"_cp);
const Format kELine(R"fmt((41X,E16.5))fmt"_cp);
const Format kILine(R"fmt((46X,I2))fmt"_cp);
const Format kFLine(R"fmt((41X,F11.4))fmt"_cp);

// Report.  Lines 1-10 are the banner (the next run's header lines), lines
// 11-33 the input values in the columns the reader reads back, with the
// label-only lines in between.
const Format kStars(R"fmt((8X,'***************************************************',/))fmt"_cp);
const Format kOrganisation(R"fmt((20X,'          ОРВЕЛАНТ          ',/))fmt"_cp);
const Format kTitle(R"fmt((8X,'******** РЕЗУЛЬТАТЫ РАБОТЫ ПРОГРАММЫ KERVA ********',/))fmt"_cp);
const Format kInputTitle(R"fmt((5X,'              ****** ВХОДНЫЕ ДАННЫЕ ******',/))fmt"_cp);
const Format kQHLine(R"fmt((2X,'ОБЬЕМНЫЙ РАСХОД СРЕДЫ                QH',E16.5,' (м**3/ч)'))fmt"_cp);
const Format kROGLine(R"fmt((2X,'ПЛОТНОСТЬ СРЕДЫ                     ROG',E16.5,' (кг/м**3)'))fmt"_cp);
const Format kNULine(R"fmt((2X,'КИНЕМАТИЧ.ВЯЗКОСТЬ СРЕДЫ             NU',E16.5,' (м**2/сек)'))fmt"_cp);
const Format kDKLine(R"fmt((2X,'ДИАМЕТР СЕПАРАТОРА (внутренний)      DK',E16.5,' (м)'))fmt"_cp);
const Format kLLine(R"fmt((2X,'ДЛИНА СЕПАРАТОРА(по эквивалентн.цил.) L',E16.5,' (м)'))fmt"_cp);
const Format kR2Line(R"fmt((2X,'СРЕДНИЙ РАДИУС КОЛЬЦЕВОГО СЕЧЕНИЯ    R2',E16.5,' (м)'))fmt"_cp);
const Format kBLine(R"fmt((2X,'ДИАМЕТР ИЛИ ШИРИНА ВХОДН.ОТВЕРСТИЯ    B',E16.5,' (м)'))fmt"_cp);
const Format kHILabel(R"fmt((2X,'ВЫСОТА ВХОДНОГО ОТВЕРСТИЯ,'))fmt"_cp);
const Format kHILine(R"fmt((2X,'(при круглом отверстии HI=0)         HI',E16.5,' (м)'))fmt"_cp);
const Format kNILine(R"fmt((2X,'КОЛИЧЕСТВО ВХОДНЫХ ОТВЕРСТИЙ         NI',5X,I1))fmt"_cp);
const Format kUVXLabel(R"fmt((2X,'УГОЛ НАКЛОНА ВХОДНЫХ ОТВЕРСТИЙ'))fmt"_cp);
const Format kUVXLine(R"fmt((2X,'(UVX=90 -тангенциальный вход)       UVX',F11.4,'      (град.)'))fmt"_cp);
const Format kVIDLabel(R"fmt((2X,'ВИД ВХОДА (1-боковой,2-торцевой,'))fmt"_cp);
const Format kVIDLine(R"fmt((2X,'3-улиточный)                        VID',5X,I1))fmt"_cp);
const Format kBETALine(R"fmt((2X,'КОЭФФИЦИЕНТ ШЕРОХОВАТОСТИ          BETA',F11.4))fmt"_cp);
const Format kD50Label1(R"fmt((2X,'ДИАМЕТР ЧАСТИЦЫ ИЛИ МЕДИАННЫЙ (рас-'))fmt"_cp);
const Format kD50Label2(R"fmt((2X,'считанный по обьему частицы'))fmt"_cp);
const Format kD50Line(R"fmt((2X,' D50=(6*VP/PI)**(1/3) )             D50',E16.5,' (м)'))fmt"_cp);
const Format kLGSGLabel(R"fmt((2X,'ДЕСЯТИЧНЫЙ ЛОГАРИФМ ДИСПЕРСИИ (при'))fmt"_cp);
const Format kLGSGLine(R"fmt((2X,'монофракции  LGSG=0)               LGSG',E16.5))fmt"_cp);
const Format kROPLine(R"fmt((2X,'ПЛОТНОСТЬ ЧАСТИЦ                    ROP',E16.5,' (кг/м**3)'))fmt"_cp);
const Format kQGELabel(R"fmt((2X,'ГЕОМЕТРИЧЕСКИЙ КОЭФФИЦИЕНТ (S/SFER,'))fmt"_cp);
const Format kQGELine(R"fmt((2X,'для сферической частицы QGE=1)      QGE',F11.4))fmt"_cp);
const Format kResultsTitle(R"fmt((5X,'         *******РЕЗУЛЬТАТЫ РАСЧЕТОВ*******',/))fmt"_cp);
const Format kVKLine(R"fmt((2X,'ТАНГЕНЦИАЛЬНАЯ СКОРОСТЬ              VK',E16.5,' (м/сек)'))fmt"_cp);
const Format kStokesTitle(R"fmt((5X,'        *** СТОКСОВСКИЙ РЕЖИМ ОБТЕКАНИЯ ***'))fmt"_cp);
const Format kSPCLine(R"fmt((2X,'ПАРАМЕТР                            SPC',E16.5))fmt"_cp);
const Format kKSCLine(R"fmt((2X,'КОЭФФИЦИЕНТ СЕПАРАЦИИ               KSC',E16.5))fmt"_cp);
const Format kETA1Line(R"fmt((2X,'СТЕПЕНЬ ОЧИСТКИ                    ETA1',F12.5,' %'))fmt"_cp);
const Format kQuadraticTitle(R"fmt((5X,'       *** КВАДРАТИЧНЫЙ РЕЖИМ ОБТЕКАНИЯ ***'))fmt"_cp);
const Format kBETA2Line(R"fmt((2X,'КРИТЕРИЙ РЕЖИМА ОБТЕКАНИЯ         BETA2',E16.5))fmt"_cp);
const Format kSP2CLine(R"fmt((2X,'ПАРАМЕТР                           SP2C',E16.5))fmt"_cp);
const Format kKS2CLine(R"fmt((2X,'КОЭФФИЦИЕНТ СЕПАРАЦИИ              KS2C',E16.5))fmt"_cp);
const Format kBETA1Line(R"fmt((2X,'КРИТЕРИЙ ВЫБОРА ПРИБЛИЖЕНИЯ       BETA1',E16.5))fmt"_cp);
const Format kETA2Line(R"fmt((2X,'СТЕПЕНЬ ОЧИСТКИ                    ETA2',F12.5,' %'))fmt"_cp);
const Format kETALine(R"fmt((2X,'СТЕПЕНЬ ОЧИСТКИ ИНТЕРПОЛИРОВАННАЯ   ETA',F12.5,' %'))fmt"_cp);

}  // namespace

ReadOutcome read_input(KervaRun& r) {
    char header[80];
    const auto text = fixrec::each_char(header);
    auto skip = [&] { return fixrec::read_fields(kUnit, kTextLine, text) == fixrec::Status::Ok; };
    auto real = [](const Format& format, float& value) {
        return fixrec::read_fields(kUnit, format, {value}) == fixrec::Status::Ok;
    };
    auto integer = [](std::int32_t& value) {
        return fixrec::read_fields(kUnit, kILine, {value}) == fixrec::Status::Ok;
    };
    for (int line = 1; line <= 10; ++line)
        if (!skip()) return ReadOutcome::Failed;
    const bool ok = real(kELine, r.QH) && real(kELine, r.ROG) && real(kELine, r.NU) &&
                    real(kELine, r.DK) && real(kELine, r.L) && real(kELine, r.R2) &&
                    real(kELine, r.B) && skip() && real(kELine, r.HI) && integer(r.NI) &&
                    skip() && real(kFLine, r.UVX) && skip() && integer(r.VID) &&
                    real(kFLine, r.BETA) && skip() && skip() && real(kELine, r.D50) && skip() &&
                    real(kELine, r.LGSG) && real(kELine, r.ROP) && skip() &&
                    real(kFLine, r.QGE);
    return ok ? ReadOutcome::Ok : ReadOutcome::Failed;
}

void write_report(const KervaRun& r) {
    auto line = [](const Format& format, std::initializer_list<fixrec::Item> items = {}) {
        fixrec::write_line(kUnit, format, items);
    };
    line(kStars);
    line(kOrganisation);
    line(kTitle);
    line(kStars);
    line(kInputTitle);
    line(kQHLine, {r.QH});
    line(kROGLine, {r.ROG});
    line(kNULine, {r.NU});
    line(kDKLine, {r.DK});
    line(kLLine, {r.L});
    line(kR2Line, {r.R2});
    line(kBLine, {r.B});
    line(kHILabel);
    line(kHILine, {r.HI});
    line(kNILine, {r.NI});
    line(kUVXLabel);
    line(kUVXLine, {r.UVX});
    line(kVIDLabel);
    line(kVIDLine, {r.VID});
    line(kBETALine, {r.BETA});
    line(kD50Label1);
    line(kD50Label2);
    line(kD50Line, {r.D50});
    line(kLGSGLabel);
    line(kLGSGLine, {r.LGSG});
    line(kROPLine, {r.ROP});
    line(kQGELabel);
    line(kQGELine, {r.QGE});
    line(kStars);
    line(kResultsTitle);
    line(kVKLine, {r.VK});
    // The Stokes block whenever KERVA1 ran, the quadratic block whenever the
    // quadratic regime was computed, ETA when both were.
    if (r.SPC >= 10.0f || r.BETA2 > 1.0f) {
        line(kStokesTitle);
        line(kSPCLine, {r.SPC});
        line(kKSCLine, {r.KSC});
        line(kETA1Line, {r.ETA1});
    }
    if (r.SPC < 10.0f) {
        line(kQuadraticTitle);
        line(kBETA2Line, {r.BETA2});
        line(kSP2CLine, {r.SP2C});
        line(kKS2CLine, {r.KS2C});
        line(kBETA1Line, {r.BETA1});
        line(kETA2Line, {r.ETA2});
        if (r.BETA2 > 1.0f) line(kETALine, {r.ETA});
    }
}

}  // namespace separator
