#include "report.h"

#include <algorithm>

#include "fixrec/fixrec.h"
#include "numerics/single.h"

namespace vortex_chamber {

namespace {

using namespace fixrec::literals;
using fixrec::FormatView;

constexpr int kUnit = 1;

// Lines 1-10 are the ten header lines of the next run's input section, lines
// 11-25 its values: every label is 39 characters after a 2-blank indent, so a
// value stands in columns 42-57 (E16.5), 42-52 (F11.4) or 47 (5X,I1).
constexpr FormatView kStars = R"fmt((8X,'****************************************************',/))fmt"_fmt;
constexpr FormatView kOrganisation = R"fmt((20X,'           ОРВЕЛАНТ           ',/))fmt"_fmt;
constexpr FormatView kTitle = R"fmt((8X,'      ***   РЕЗУЛЬТАТЫ РАБОТЫ  З А Р Н 1 ***',/))fmt"_fmt;
constexpr FormatView kStars01 = R"fmt((8X,'************************(01)************************',/))fmt"_fmt;
constexpr FormatView kInputTitle = R"fmt((8X,'         *******   ВХОДНЫЕ ДАННЫЕ  ********',/))fmt"_fmt;
constexpr FormatView kG = R"fmt((2X,'МАССОВЫЙ РАСХОД ГАЗА                  G',E16.5,' (кг/сек)'))fmt"_fmt;
constexpr FormatView kRK = R"fmt((2X,'РАДИУС ВИХРЕВОЙ КАМЕРЫ               RK',E16.5,' (м)'))fmt"_fmt;
constexpr FormatView kL = R"fmt((2X,'ВЫСОТА ВИХРЕВОЙ КАМЕРЫ                L',E16.5,' (м)'))fmt"_fmt;
constexpr FormatView kR1 = R"fmt((2X,'РАДИУС ВЫХ. ОТВЕРСТИЯ                R1',E16.5,' (м)'))fmt"_fmt;
constexpr FormatView kH = R"fmt((2X,'ВЫСОТА ВЫХ. ОТВЕРСТИЯ                 H',E16.5,' (м)'))fmt"_fmt;
constexpr FormatView kFVX = R"fmt((2X,'ПЛОЩАДЬ ОТВЕРСТ.ЗАВИХРИТ.           FVX',E16.5,' (м**2)'))fmt"_fmt;
constexpr FormatView kPSIVX = R"fmt((2X,'УГОЛ НАКЛОНА ЗАВИХРИТ.            PSIVX',F11.4,'      (град.)'))fmt"_fmt;
constexpr FormatView kLegend = R"fmt((2X,'ВИД ЗАВИХРИТЕЛЯ (1-боковой,длиной L;'))fmt"_fmt;
constexpr FormatView kVID = R"fmt((2X,'2-боковой-меньше 0,5L и торцевой)   VID',5X,I1))fmt"_fmt;
constexpr FormatView kNU = R"fmt((2X,'КИНЕМАТИЧЕСКАЯ ВЯЗКОСТЬ              NU',E16.5,' (м**2/сек)'))fmt"_fmt;
constexpr FormatView kRO = R"fmt((2X,'ПЛОТНОСТЬ ГАЗА                       RO',E16.5,' (кг/м**3)'))fmt"_fmt;
constexpr FormatView kPVN = R"fmt((2X,'ДАВЛЕНИЕ ВНЕШНЕЙ СРЕДЫ              PVN',E16.5,' (Па)'))fmt"_fmt;
constexpr FormatView kTK = R"fmt((2X,'ТЕМПЕР.ГАЗА У СТЕНКИ КАМЕРЫ          ТК',F11.4,'      (град.)'))fmt"_fmt;
constexpr FormatView kDRK = R"fmt((2X,'РАСЧЕТНЫЙ ШАГ ПО РАДИУСУ            DRK',E16.5,' (м)'))fmt"_fmt;
constexpr FormatView kNVS = R"fmt((2X,'РЕШЕНИЕ УР-ИЙ НАВЬЕ СТОКСА дляV и P NVS',5X,I1))fmt"_fmt;
constexpr FormatView kNVSLegend = R"fmt((2X,'(0-нет,1-да,2-без противотока в обьеме камеры)',/))fmt"_fmt;
constexpr FormatView kResultsTitle = R"fmt((10X,'          ******   РЕЗУЛЬТАТЫ РАСЧЕТОВ ******',/))fmt"_fmt;
constexpr FormatView kQ = R"fmt((2X,'ОБЬЕМНЫЙ РАСХОД ГАЗА                  Q',E16.5,' (м**3/сек)'))fmt"_fmt;
constexpr FormatView kMA = R"fmt((2X,'КОНСТРУКТИВНЫЙ ПАРАМЕТР ЗАКРУТКИ     МА',E16.5,' '))fmt"_fmt;
constexpr FormatView kK = R"fmt((2X,'СТЕПЕНЬ ЗАКРУТКИ НА ПЕРИФЕРИИ         К',E16.5,' '))fmt"_fmt;
constexpr FormatView kM = R"fmt((2X,'ТЕОРЕТИЧЕСКИЙ ПАРАМЕТР                М',E16.5))fmt"_fmt;
constexpr FormatView kUK = R"fmt((2X,'СРЕДНЕРАС-АЯ РАД.СКОРОСТЬ У СТЕНКИ   UK',E16.5,' (м/сек)'))fmt"_fmt;
constexpr FormatView kU1 = R"fmt((2X,'СР-АЯ РАД.СКОРОСТЬ У ВЫХ.ОТВ-ИЯ      U1',E16.5,' (м/сек)'))fmt"_fmt;
constexpr FormatView kWSR1 = R"fmt((2X,'СР-АЯ ОСЕВАЯ СКОРОСТЬ              WSR1',E16.5,' (м/сек)'))fmt"_fmt;
constexpr FormatView kRP = R"fmt((2X,'РАДИУС ЗОНЫ НУЛЯ СТАТ.ДАВЛЕНИЯ       RP',E16.5,' (м)'))fmt"_fmt;
constexpr FormatView kRU = R"fmt((2X,'РАДИУС ЗОНЫ НУЛЯ РАД.СКОРОСТИ        RU',E16.5,' (м)'))fmt"_fmt;
constexpr FormatView kRV = R"fmt((2X,'РАД.ЗОНЫ МАХ.ТАНГЕНЦ.СКОРОСТИ        RV',E16.5,' (м)'))fmt"_fmt;
constexpr FormatView kVMAX = R"fmt((2X,'МАХ.ТАНГЕНЦ.СКОРОСТЬ               VMAX',E16.5,' (м/сек)'))fmt"_fmt;
constexpr FormatView kV1 = R"fmt((2X,'ТАНГ.СКОРОСТЬ НА РАДИУСЕ R1          V1',E16.5,' (м/сек'))fmt"_fmt;
constexpr FormatView kVK = R"fmt((2X,'ТАНГ.СКОРОСТЬ У СТЕНКИ КАМЕРЫ        VK',E16.5,' (м/сек)'))fmt"_fmt;
constexpr FormatView kVWX = R"fmt((2X,'ТАНГ.СКОРОСТЬ НА ВЫХОДЕ  ЗАВИХР.    VWX',E16.5,' (м/сек)'))fmt"_fmt;
constexpr FormatView kALFA = R"fmt((2X,'КОЭФ.ПРЕОБРАЗОВ. СКОРОСТИ          ALFA',E16.5))fmt"_fmt;
constexpr FormatView kREI = R"fmt((2X,'ЧИСЛО РЕЙНОЛЬДСА                    REI',E16.5))fmt"_fmt;
constexpr FormatView kNITA = R"fmt((2X,'КОЛ-ВО ТОЧЕК НА (0-R1)             NITA',5X,I3))fmt"_fmt;
constexpr FormatView kNK = R"fmt((2X,'КОЛ-ВО ТОЧЕК НА (0-Rк)               NK',5X,I3))fmt"_fmt;
constexpr FormatView kPVXOD = R"fmt((2X,'ДАВЛЕНИЕ ПЕРЕД ЗАВИХРИТЕЛЕМ       PVXOD',E16.5,' (Па)'))fmt"_fmt;
constexpr FormatView kPK = R"fmt((2X,'ДАВЛЕНИЕ У СТЕНКИ КАМЕРЫ             PK',E16.5,' (Па)'))fmt"_fmt;
constexpr FormatView kP1 = R"fmt((2X,'ДАВЛЕНИЕ  НА  РАДИУСЕ  R1            P1',E16.5,' (Па)'))fmt"_fmt;
constexpr FormatView kP0 = R"fmt((2X,'ДАВЛЕНИЕ В ЦЕНТРЕ КАМЕРЫ             P0',E16.5,' (Па)'))fmt"_fmt;
constexpr FormatView kTwoEmptyLines = R"fmt((2X,/))fmt"_fmt;
constexpr FormatView kVPTitle = R"fmt((8X,'    ******* ПРОФИЛИ ТАНГ.СКОР. V И ДАВЛ. P ******',/))fmt"_fmt;
constexpr FormatView kVPHeading = R"fmt((7X,' РАДИУС  м         V    м/сек       P   Па   ',/))fmt"_fmt;
constexpr FormatView kProfileRow = R"fmt((6X,E12.5,6X,E12.5,6X,E12.5))fmt"_fmt;
constexpr FormatView kUWTitle = R"fmt((6X,'     ****  ПРОФИЛИ РАД.СКОР. U   И ОСЕВОЙ W ***',/))fmt"_fmt;
constexpr FormatView kUWHeading = R"fmt((7X,' РАДИУС м          U    м/сек      W (Z=L)м/сек',/))fmt"_fmt;
constexpr FormatView kEnd = R"fmt((/))fmt"_fmt;
constexpr FormatView kPowerLawTitle = R"fmt((' ** УТОЧНЕНИЕ РЕЗУЛЬТАТОВ ПО ФОРМУЛЕ V*R**N=const **',/))fmt"_fmt;
constexpr FormatView kPowerN = R"fmt((2X,'ПОКАЗАТЕЛЬ СТЕПЕНИ                 N ',E12.5))fmt"_fmt;
constexpr FormatView kPowerV1 = R"fmt((2X,'TAНГЕНЦ.СКОРОСТЬ НА РАДИУСЕ R1    V1 ',E12.5))fmt"_fmt;
constexpr FormatView kPowerVMAX = R"fmt((2X,'MAX.TAНГЕНЦ.СКОРОСТЬ            VMAX ',E12.5))fmt"_fmt;
constexpr FormatView kPowerPK = R"fmt((2X,'ДАВЛЕНИЕ У СТЕНКИ КАМЕРЫ          PK ',E12.5))fmt"_fmt;
constexpr FormatView kPowerPVXOD = R"fmt((2X,'ДАВЛЕНИЕ   ПЕРЕД ЗАВИХР.       PVXOD ',E12.5,/))fmt"_fmt;
constexpr FormatView kHeightTitle = R"fmt((2X,' УТОЧНЕНИЕ РЕЗУЛЬТАТОВ С УЧЕТОМ ВЫСОТЫ  H ',/))fmt"_fmt;
constexpr FormatView kHeightP0 = R"fmt((2X,' ДАВЛЕНИЕ В ЦЕНТРЕ КАМЕРЫ  P0 =',E12.5))fmt"_fmt;
constexpr FormatView kHeightPK = R"fmt((2X,' ДАВЛЕНИЕ НА СТЕНКЕ КАМЕРЫ PK =',E12.5))fmt"_fmt;
constexpr FormatView kHeightVMAX = R"fmt((2X,' MAX.TAНГЕНЦ.СКОРОСТЬ    VMAX =',E12.5))fmt"_fmt;

}  // namespace

void write_report(RunRecord& r) {
    auto line = [](FormatView format, std::initializer_list<fixrec::Item> items = {}) {
        fixrec::write_line(kUnit, format, items);
    };
    line(kStars);
    line(kOrganisation);
    line(kTitle);
    line(kStars01);
    line(kInputTitle);
    line(kG, {r.G});
    line(kRK, {r.RK});
    line(kL, {r.L});
    line(kR1, {r.R1});
    line(kH, {r.H});
    line(kFVX, {r.FVX});
    line(kPSIVX, {r.PSIVX});
    line(kLegend);
    line(kVID, {r.VID});
    line(kNU, {r.NU});
    line(kRO, {r.RO});
    line(kPVN, {r.PVN});
    line(kTK, {r.TK});
    line(kDRK, {r.DRK});
    line(kNVS, {r.NVS});
    line(kNVSLegend);

    line(kResultsTitle);
    line(kQ, {r.Q});
    line(kMA, {r.MA});
    line(kK, {r.K});
    line(kM, {r.M});
    line(kUK, {r.UK});
    line(kU1, {r.U1});
    line(kWSR1, {r.WSR1});
    line(kRP, {r.RP});
    line(kRU, {r.RU});
    line(kRV, {r.RV});
    line(kVMAX, {r.VMAX});
    line(kV1, {r.V1});
    line(kVK, {r.VK});
    line(kVWX, {r.VWX});
    line(kALFA, {r.ALFA});
    line(kREI, {r.REI});
    line(kNITA, {r.NITA});
    line(kNK, {r.NK});
    line(kPVXOD, {r.PVXOD});
    line(kPK, {r.PK});
    line(kP1, {r.P1});
    line(kP0, {r.P0});
    line(kTwoEmptyLines);

    // Node radii for the rows of both tables (the counts never exceed 400).
    const int rows = std::min(std::max(r.NK, r.NITA), kNodes);
    for (int i = 1; i <= rows; ++i)
        r.R[i - 1] = numerics::store(static_cast<double>(static_cast<float>(i - 1)) * r.DRK);

    line(kVPTitle);
    line(kVPHeading);
    for (int i = 1; i <= std::min(r.NK, kNodes); ++i) line(kProfileRow, {r.R[i - 1], r.V[i - 1], r.P[i - 1]});
    line(kTwoEmptyLines);
    line(kUWTitle);
    line(kUWHeading);
    for (int i = 1; i <= std::min(r.NITA, kNodes); ++i) line(kProfileRow, {r.R[i - 1], r.U[i - 1], r.W[i - 1]});
    line(kEnd);

    if (r.NVS != 0) return;
    line(kPowerLawTitle);
    line(kPowerN, {r.N});
    line(kPowerV1, {r.V1_N});
    line(kPowerVMAX, {r.VMAX_N});
    line(kPowerPK, {r.PK_N});
    line(kPowerPVXOD, {r.PVXOD_N});
    line(kHeightTitle);
    line(kHeightP0, {r.P0_H});
    line(kHeightPK, {r.PK_H});
    line(kHeightVMAX, {r.VMAX_H});
}

}  // namespace vortex_chamber
