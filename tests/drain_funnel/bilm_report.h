// What BILM writes: its report as the data file holds it (code page 866, every
// line ended by CR LF) and its console lines.  The report is put together line
// by line from the fixed texts and the E12.5 value fields, so a test states the
// fields it expects and nothing else.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "fixrec/cp866.h"

namespace bilm_expect {

using namespace fixrec::literals;

// E12.5 fields: 12 columns, the value right-justified, no digit before the point.
struct InputFields {
    std::string_view q, hg, r1, rcr, upod;
};
struct ResultFields {
    std::string_view ho, rv, vmax;
};

inline constexpr std::string_view kCrLf = "\r\n";

// One report line: its pieces, then CR LF.
inline void append_line(std::string& r, std::initializer_list<std::string_view> pieces) {
    for (std::string_view p : pieces) r.append(p);
    r.append(kCrLf);
}

// Lines 1-13: the banner (the six header lines of the next run), the input
// values in columns 39-50 with their units from column 51, the results title.
inline std::string report_head(const InputFields& in) {
    std::string r;
    append_line(r, {"     ", "**************************************************"_cp});
    append_line(r, {""});
    append_line(r, {"     ", "     ***  РЕЗУЛЬТАТЫ РАБОТЫ ПРОГРАММЫ BILM  ***"_cp});
    append_line(r, {""});
    append_line(r, {"     ", "              ******ВХОДНЫЕ ДАННЫЕ******"_cp});
    append_line(r, {""});
    append_line(r, {"  ", "ОБЬЕМНЫЙ РАСХОД ЖИДКОСТИ           Q"_cp, in.q, "(м3/с)"_cp});
    append_line(r, {"  ", "ВЫСОТА ЖИДКОСТИ В БАКЕ            HG"_cp, in.hg, "(м)"_cp});
    append_line(r, {"  ", "РАДИУС ОТВЕРСТИЯ СТОКА            R1"_cp, in.r1, "(м)"_cp});
    append_line(r, {"  ", "СРЕДНИЙ РАДИУС СЕЧЕНИЯ ПОДПИТКИ  RCR"_cp, in.rcr, "(м)"_cp});
    append_line(r, {"  ", "СРЕДНЯЯ СКОРОСТЬ ПОДПИТКИ       UPOD"_cp, in.upod, "(м/с)"_cp});
    append_line(r, {"          ", "*************РЕЗУЛЬТАТЫ РАСЧЕТОВ***************"_cp});
    append_line(r, {""});
    return r;
}

// The funnel stays above the outlet (HO < HG): lines 14-16.
inline std::string report(const InputFields& in, const ResultFields& out) {
    std::string r = report_head(in);
    append_line(r, {"  ", "ВЫСОТА ВОРОНКИ                   HO"_cp, out.ho, "(м)"_cp});
    append_line(r, {"  ", "РАДИУС ВОРОНКИ при 0.5*HO        RV"_cp, out.rv, "(м)"_cp});
    append_line(r, {"  ", "МАКСИМАЛЬНАЯ СКОРОСТЬ ВРАЩЕНИЯ VMAX"_cp, out.vmax, "(м/с)"_cp});
    return r;
}

// The funnel reaches the outlet (HO >= HG): the single line 14.
inline std::string report_reached_outlet(const InputFields& in, std::string_view ho) {
    std::string r = report_head(in);
    append_line(r, {"  ", "ВОРОНКА ДОСТИГЛА ВЫХОДНОГО ОТВЕРСТИЯ  HO="_cp, ho});
    return r;
}

// Worked example of the funnel: Q = 0.001, HG = 0.5, R1 = 0.01, RCR = 0.1,
// UPOD = 0.05; and the same with UPOD = 0.5, where the funnel reaches the outlet.
inline constexpr InputFields kExample1Inputs{"  .10000E-02", "  .50000E+00", "  .10000E-01",
                                             "  .10000E+00", "  .50000E-01"};
inline constexpr ResultFields kExample1Results{"  .34490E+00", "  .20000E-02", "  .13000E+01"};
inline constexpr InputFields kExample2Inputs{"  .10000E-02", "  .50000E+00", "  .10000E-01",
                                             "  .10000E+00", "  .50000E+00"};
inline constexpr std::string_view kExample2HO = "  .94252E+01";

// The report form of a run that computed nothing: every value zero, and
// HO = 0 is not below HG = 0.
inline constexpr std::string_view kZero = "  .00000E+00";
inline std::string blank_report() {
    return report_reached_outlet({kZero, kZero, kZero, kZero, kZero}, kZero);
}

// Console lines.  The fourth character of the reopening message is the Latin
// capital O; the rest of its first word is Cyrillic.
inline constexpr std::string_view kOpenFailed = "***ОШИБКА ОТКРЫТИЯ ФАЙЛА  BILM.DAT***"_cp;
inline constexpr std::string_view kReadFailed = "***ОШИБКА ЧТЕНИЯ ФАЙЛА BILM.DAT***"_cp;
inline constexpr std::string_view kReopenFailed = "***OШИБКА ОТКРЫТИЯ ФАЙЛА***"_cp;
inline constexpr std::string_view kPrompt = "File name missing or blank - please enter file name\r\nUNIT 1? ";

}  // namespace bilm_expect
