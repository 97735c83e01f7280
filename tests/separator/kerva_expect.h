// What KERVA writes: its report as the data file holds it (code page 866,
// every line ended by CR LF) and its console lines.  The report is put
// together from the fixed texts and the value fields, so a test states the
// fields it expects and nothing else.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "fixrec/cp866.h"

namespace kerva_expect {

using namespace fixrec::literals;

inline constexpr std::string_view kCrLf = "\r\n";

// E16.5 fields of the inputs (16 columns), F11.4 for UVX, BETA and QGE,
// one digit for NI and VID.
struct InputFields {
    std::string_view qh, rog, nu, dk, l, r2, b, hi, ni, uvx, vid, beta, d50, lgsg, rop, qge;
};
// E16.5 fields, ETA1 in F12.5.
struct StokesFields {
    std::string_view spc, ksc, eta1;
};
// E16.5 fields, ETA2 in F12.5.
struct QuadraticFields {
    std::string_view beta2, sp2c, ks2c, beta1, eta2;
};

inline void append_line(std::string& r, std::initializer_list<std::string_view> pieces) {
    for (std::string_view p : pieces) r.append(p);
    r.append(kCrLf);
}

// Lines 1-38: banner, input section, results title, VK.
inline std::string report_head(const InputFields& in, std::string_view vk) {
    std::string r;
    append_line(r, {"        ", "***************************************************"_cp});
    append_line(r, {""});
    append_line(r, {"                    ", "          ОРВЕЛАНТ          "_cp});
    append_line(r, {""});
    append_line(r, {"        ", "******** РЕЗУЛЬТАТЫ РАБОТЫ ПРОГРАММЫ KERVA ********"_cp});
    append_line(r, {""});
    append_line(r, {"        ", "***************************************************"_cp});
    append_line(r, {""});
    append_line(r, {"     ", "              ****** ВХОДНЫЕ ДАННЫЕ ******"_cp});
    append_line(r, {""});
    append_line(r, {"  ", "ОБЬЕМНЫЙ РАСХОД СРЕДЫ                QH"_cp, in.qh, " (м**3/ч)"_cp});
    append_line(r, {"  ", "ПЛОТНОСТЬ СРЕДЫ                     ROG"_cp, in.rog, " (кг/м**3)"_cp});
    append_line(r, {"  ", "КИНЕМАТИЧ.ВЯЗКОСТЬ СРЕДЫ             NU"_cp, in.nu, " (м**2/сек)"_cp});
    append_line(r, {"  ", "ДИАМЕТР СЕПАРАТОРА (внутренний)      DK"_cp, in.dk, " (м)"_cp});
    append_line(r, {"  ", "ДЛИНА СЕПАРАТОРА(по эквивалентн.цил.) L"_cp, in.l, " (м)"_cp});
    append_line(r, {"  ", "СРЕДНИЙ РАДИУС КОЛЬЦЕВОГО СЕЧЕНИЯ    R2"_cp, in.r2, " (м)"_cp});
    append_line(r, {"  ", "ДИАМЕТР ИЛИ ШИРИНА ВХОДН.ОТВЕРСТИЯ    B"_cp, in.b, " (м)"_cp});
    append_line(r, {"  ", "ВЫСОТА ВХОДНОГО ОТВЕРСТИЯ,"_cp});
    append_line(r, {"  ", "(при круглом отверстии HI=0)         HI"_cp, in.hi, " (м)"_cp});
    append_line(r, {"  ", "КОЛИЧЕСТВО ВХОДНЫХ ОТВЕРСТИЙ         NI"_cp, "     ", in.ni});
    append_line(r, {"  ", "УГОЛ НАКЛОНА ВХОДНЫХ ОТВЕРСТИЙ"_cp});
    append_line(r, {"  ", "(UVX=90 -тангенциальный вход)       UVX"_cp, in.uvx, "      (град.)"_cp});
    append_line(r, {"  ", "ВИД ВХОДА (1-боковой,2-торцевой,"_cp});
    append_line(r, {"  ", "3-улиточный)                        VID"_cp, "     ", in.vid});
    append_line(r, {"  ", "КОЭФФИЦИЕНТ ШЕРОХОВАТОСТИ          BETA"_cp, in.beta});
    append_line(r, {"  ", "ДИАМЕТР ЧАСТИЦЫ ИЛИ МЕДИАННЫЙ (рас-"_cp});
    append_line(r, {"  ", "считанный по обьему частицы"_cp});
    append_line(r, {"  ", " D50=(6*VP/PI)**(1/3) )             D50"_cp, in.d50, " (м)"_cp});
    append_line(r, {"  ", "ДЕСЯТИЧНЫЙ ЛОГАРИФМ ДИСПЕРСИИ (при"_cp});
    append_line(r, {"  ", "монофракции  LGSG=0)               LGSG"_cp, in.lgsg});
    append_line(r, {"  ", "ПЛОТНОСТЬ ЧАСТИЦ                    ROP"_cp, in.rop, " (кг/м**3)"_cp});
    append_line(r, {"  ", "ГЕОМЕТРИЧЕСКИЙ КОЭФФИЦИЕНТ (S/SFER,"_cp});
    append_line(r, {"  ", "для сферической частицы QGE=1)      QGE"_cp, in.qge});
    append_line(r, {"        ", "***************************************************"_cp});
    append_line(r, {""});
    append_line(r, {"     ", "         *******РЕЗУЛЬТАТЫ РАСЧЕТОВ*******"_cp});
    append_line(r, {""});
    append_line(r, {"  ", "ТАНГЕНЦИАЛЬНАЯ СКОРОСТЬ              VK"_cp, vk, " (м/сек)"_cp});
    return r;
}

// The whole report: the Stokes block when KERVA1 ran, the quadratic block
// when the quadratic regime was computed, the ETA line after both.
inline std::string report(const InputFields& in, std::string_view vk,
                          const std::optional<StokesFields>& stokes,
                          const std::optional<QuadraticFields>& quadratic,
                          std::optional<std::string_view> interpolated = std::nullopt) {
    std::string r = report_head(in, vk);
    if (stokes) {
        const StokesFields& s = *stokes;
        append_line(r, {"     ", "        *** СТОКСОВСКИЙ РЕЖИМ ОБТЕКАНИЯ ***"_cp});
        append_line(r, {"  ", "ПАРАМЕТР                            SPC"_cp, s.spc});
        append_line(r, {"  ", "КОЭФФИЦИЕНТ СЕПАРАЦИИ               KSC"_cp, s.ksc});
        append_line(r, {"  ", "СТЕПЕНЬ ОЧИСТКИ                    ETA1"_cp, s.eta1, " %"_cp});
    }
    if (quadratic) {
        const QuadraticFields& q = *quadratic;
        append_line(r, {"     ", "       *** КВАДРАТИЧНЫЙ РЕЖИМ ОБТЕКАНИЯ ***"_cp});
        append_line(r, {"  ", "КРИТЕРИЙ РЕЖИМА ОБТЕКАНИЯ         BETA2"_cp, q.beta2});
        append_line(r, {"  ", "ПАРАМЕТР                           SP2C"_cp, q.sp2c});
        append_line(r, {"  ", "КОЭФФИЦИЕНТ СЕПАРАЦИИ              KS2C"_cp, q.ks2c});
        append_line(r, {"  ", "КРИТЕРИЙ ВЫБОРА ПРИБЛИЖЕНИЯ       BETA1"_cp, q.beta1});
        append_line(r, {"  ", "СТЕПЕНЬ ОЧИСТКИ                    ETA2"_cp, q.eta2, " %"_cp});
    }
    if (interpolated) {
        const std::string_view eta = *interpolated;
        append_line(r, {"  ", "СТЕПЕНЬ ОЧИСТКИ ИНТЕРПОЛИРОВАННАЯ   ETA"_cp, eta, " %"_cp});
    }
    return r;
}

// The report of a run without a data file: every input zero, which takes
// the quadratic regime.
inline std::string blank_report() {
    constexpr std::string_view e = "      .00000E+00";
    constexpr std::string_view f = "      .0000";
    constexpr std::string_view p = "      .00000";
    return report({e, e, e, e, e, e, e, e, "0", f, "0", f, e, e, e, f}, e, std::nullopt,
                  QuadraticFields{e, e, e, e, p});
}

// Console lines, each without its carriage-control blank.  The fourth
// character of the reopening message is the Latin capital O.
inline constexpr std::string_view kOpenFailed = "***ОШИБКА ОТКРЫТИЯ ФАЙЛА  KERVA.DAT***"_cp;
inline constexpr std::string_view kReadFailed = "***ОШИБКА ЧТЕНИЯ ФАЙЛА KERVA.DAT***"_cp;
inline constexpr std::string_view kReopenFailed = "***OШИБКА ОТКРЫТИЯ ФАЙЛА***"_cp;
inline constexpr std::string_view kKerva1 = "**** РАСЧЕТ ПО KERVA1 ****"_cp;
inline constexpr std::string_view kKerva2 = "**** РАСЧЕТ ПО KERVA2 ****"_cp;
inline constexpr std::string_view kAlgorithm1 = "*** ALGORITM 1 ***"_cp;
inline constexpr std::string_view kAlgorithm2 = "*** ALGORITM 2 ***"_cp;
inline constexpr std::string_view kPrompt = "File name missing or blank - please enter file name\r\nUNIT 1? ";

}  // namespace kerva_expect
