// The data file of KERVA: its input section and the report that replaces it.
#include "report.h"

#include "fixrec/fixrec.h"

namespace separator {

namespace {

using namespace fixrec::literals;
using fixrec::FormatView;

constexpr int kUnit = 1;

// Input section: ten header lines, then value lines with the value from
// column 42 (E16.5 or F11.4 fields, NI and VID as integers in columns 47-48)
// and label-only lines, each read by its own statement.
constexpr FormatView kTextLine = R"fmt((80A1))fmt"_fmt;
constexpr FormatView kELine = R"fmt((41X,E16.5))fmt"_fmt;
constexpr FormatView kILine = R"fmt((46X,I2))fmt"_fmt;
constexpr FormatView kFLine = R"fmt((41X,F11.4))fmt"_fmt;

// Report.  Lines 1-10 are the banner (the next run's header lines), lines
// 11-33 the input values in the columns the reader reads back, with the
// label-only lines in between.
constexpr FormatView kStars = R"fmt((8X,'***************************************************',/))fmt"_fmt;
constexpr FormatView kOrganisation = R"fmt((20X,'          ОРВЕЛАНТ          ',/))fmt"_fmt;
constexpr FormatView kTitle = R"fmt((8X,'******** РЕЗУЛЬТАТЫ РАБОТЫ ПРОГРАММЫ KERVA ********',/))fmt"_fmt;
constexpr FormatView kInputTitle = R"fmt((5X,'              ****** ВХОДНЫЕ ДАННЫЕ ******',/))fmt"_fmt;
constexpr FormatView kQHLine = R"fmt((2X,'ОБЬЕМНЫЙ РАСХОД СРЕДЫ                QH',E16.5,' (м**3/ч)'))fmt"_fmt;
constexpr FormatView kROGLine = R"fmt((2X,'ПЛОТНОСТЬ СРЕДЫ                     ROG',E16.5,' (кг/м**3)'))fmt"_fmt;
constexpr FormatView kNULine = R"fmt((2X,'КИНЕМАТИЧ.ВЯЗКОСТЬ СРЕДЫ             NU',E16.5,' (м**2/сек)'))fmt"_fmt;
constexpr FormatView kDKLine = R"fmt((2X,'ДИАМЕТР СЕПАРАТОРА (внутренний)      DK',E16.5,' (м)'))fmt"_fmt;
constexpr FormatView kLLine = R"fmt((2X,'ДЛИНА СЕПАРАТОРА(по эквивалентн.цил.) L',E16.5,' (м)'))fmt"_fmt;
constexpr FormatView kR2Line = R"fmt((2X,'СРЕДНИЙ РАДИУС КОЛЬЦЕВОГО СЕЧЕНИЯ    R2',E16.5,' (м)'))fmt"_fmt;
constexpr FormatView kBLine = R"fmt((2X,'ДИАМЕТР ИЛИ ШИРИНА ВХОДН.ОТВЕРСТИЯ    B',E16.5,' (м)'))fmt"_fmt;
constexpr FormatView kHILabel = R"fmt((2X,'ВЫСОТА ВХОДНОГО ОТВЕРСТИЯ,'))fmt"_fmt;
constexpr FormatView kHILine = R"fmt((2X,'(при круглом отверстии HI=0)         HI',E16.5,' (м)'))fmt"_fmt;
constexpr FormatView kNILine = R"fmt((2X,'КОЛИЧЕСТВО ВХОДНЫХ ОТВЕРСТИЙ         NI',5X,I1))fmt"_fmt;
constexpr FormatView kUVXLabel = R"fmt((2X,'УГОЛ НАКЛОНА ВХОДНЫХ ОТВЕРСТИЙ'))fmt"_fmt;
constexpr FormatView kUVXLine = R"fmt((2X,'(UVX=90 -тангенциальный вход)       UVX',F11.4,'      (град.)'))fmt"_fmt;
constexpr FormatView kVIDLabel = R"fmt((2X,'ВИД ВХОДА (1-боковой,2-торцевой,'))fmt"_fmt;
constexpr FormatView kVIDLine = R"fmt((2X,'3-улиточный)                        VID',5X,I1))fmt"_fmt;
constexpr FormatView kBETALine = R"fmt((2X,'КОЭФФИЦИЕНТ ШЕРОХОВАТОСТИ          BETA',F11.4))fmt"_fmt;
constexpr FormatView kD50Label1 = R"fmt((2X,'ДИАМЕТР ЧАСТИЦЫ ИЛИ МЕДИАННЫЙ (рас-'))fmt"_fmt;
constexpr FormatView kD50Label2 = R"fmt((2X,'считанный по обьему частицы'))fmt"_fmt;
constexpr FormatView kD50Line = R"fmt((2X,' D50=(6*VP/PI)**(1/3) )             D50',E16.5,' (м)'))fmt"_fmt;
constexpr FormatView kLGSGLabel = R"fmt((2X,'ДЕСЯТИЧНЫЙ ЛОГАРИФМ ДИСПЕРСИИ (при'))fmt"_fmt;
constexpr FormatView kLGSGLine = R"fmt((2X,'монофракции  LGSG=0)               LGSG',E16.5))fmt"_fmt;
constexpr FormatView kROPLine = R"fmt((2X,'ПЛОТНОСТЬ ЧАСТИЦ                    ROP',E16.5,' (кг/м**3)'))fmt"_fmt;
constexpr FormatView kQGELabel = R"fmt((2X,'ГЕОМЕТРИЧЕСКИЙ КОЭФФИЦИЕНТ (S/SFER,'))fmt"_fmt;
constexpr FormatView kQGELine = R"fmt((2X,'для сферической частицы QGE=1)      QGE',F11.4))fmt"_fmt;
constexpr FormatView kResultsTitle = R"fmt((5X,'         *******РЕЗУЛЬТАТЫ РАСЧЕТОВ*******',/))fmt"_fmt;
constexpr FormatView kVKLine = R"fmt((2X,'ТАНГЕНЦИАЛЬНАЯ СКОРОСТЬ              VK',E16.5,' (м/сек)'))fmt"_fmt;
constexpr FormatView kStokesTitle = R"fmt((5X,'        *** СТОКСОВСКИЙ РЕЖИМ ОБТЕКАНИЯ ***'))fmt"_fmt;
constexpr FormatView kSPCLine = R"fmt((2X,'ПАРАМЕТР                            SPC',E16.5))fmt"_fmt;
constexpr FormatView kKSCLine = R"fmt((2X,'КОЭФФИЦИЕНТ СЕПАРАЦИИ               KSC',E16.5))fmt"_fmt;
constexpr FormatView kETA1Line = R"fmt((2X,'СТЕПЕНЬ ОЧИСТКИ                    ETA1',F12.5,' %'))fmt"_fmt;
constexpr FormatView kQuadraticTitle = R"fmt((5X,'       *** КВАДРАТИЧНЫЙ РЕЖИМ ОБТЕКАНИЯ ***'))fmt"_fmt;
constexpr FormatView kBETA2Line = R"fmt((2X,'КРИТЕРИЙ РЕЖИМА ОБТЕКАНИЯ         BETA2',E16.5))fmt"_fmt;
constexpr FormatView kSP2CLine = R"fmt((2X,'ПАРАМЕТР                           SP2C',E16.5))fmt"_fmt;
constexpr FormatView kKS2CLine = R"fmt((2X,'КОЭФФИЦИЕНТ СЕПАРАЦИИ              KS2C',E16.5))fmt"_fmt;
constexpr FormatView kBETA1Line = R"fmt((2X,'КРИТЕРИЙ ВЫБОРА ПРИБЛИЖЕНИЯ       BETA1',E16.5))fmt"_fmt;
constexpr FormatView kETA2Line = R"fmt((2X,'СТЕПЕНЬ ОЧИСТКИ                    ETA2',F12.5,' %'))fmt"_fmt;
constexpr FormatView kETALine = R"fmt((2X,'СТЕПЕНЬ ОЧИСТКИ ИНТЕРПОЛИРОВАННАЯ   ETA',F12.5,' %'))fmt"_fmt;

}  // namespace

ReadOutcome read_input(KervaRun& r) {
    char header[80];
    const auto text = fixrec::each_char(header);
    auto skip = [&] { return fixrec::read_fields(kUnit, kTextLine, text) == fixrec::Status::Ok; };
    auto real = [](FormatView format, float& value) {
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
    auto line = [](FormatView format, std::initializer_list<fixrec::Item> items = {}) {
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
