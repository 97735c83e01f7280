// What ZARN1 writes on the console when its data file fails it: each message
// as shown, without its carriage-control character and without the CR LF
// that ends its line.  The texts are copied, never retyped.
#pragma once

#include <string_view>

#include "fixrec/cp866.h"

namespace zarn1_expect {

using namespace fixrec::literals;

inline constexpr std::string_view kOpenFailed = "*** Ошибка открытия файла ZARN1.DAT!***"_cp;
inline constexpr std::string_view kReadFailed = "***Ошибка чтения файла ZARN1.DAT!***"_cp;
// The data file cannot be opened again for the report: two lines, the
// second followed by the name read from the input (ZARN1.DAT and 21 blanks,
// 30 characters).  The program's first line starts with three asterisks;
// the first of them is taken as carriage control.
inline constexpr std::string_view kReopenFailed = "**Ошибка открытия имени файла"_cp;
inline constexpr std::string_view kReopenName = "Прочитано имя с входного файла"_cp;
inline constexpr std::string_view kReopenNameField = "ZARN1.DAT                     ";

// The lines of the steps of the computation: each record starts with a
// carriage-control blank, so a line shows one blank less than its format.
inline constexpr std::string_view kRPZero = "   РАДИУС ЗОНЫ НУЛЕВОГО СТАТИЧ. ДАВЛЕНИЯ РАВЕН 0.0"_cp;
inline constexpr std::string_view kAnalyticNodes = "   ЧИСЛО УЗЛОВ БОЛЬШЕ 400"_cp;  // then the next line
inline constexpr std::string_view kAnalyticNodesStep = "   НУЖНО УВЕЛИЧИТЬ DRK"_cp;
inline constexpr std::string_view kMotionNodes = "    число узлов больше 400     нужно увеличить DRK"_cp;
inline constexpr std::string_view kFlowTooSmall =
    " Из-за F2<=2 расчет V и P не проводился; нужно увеличить расход G."_cp;

}  // namespace zarn1_expect
