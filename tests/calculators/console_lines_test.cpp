// The two sinks of a calculator's console lines show the same bytes: what a
// run writes through RunConsole is the lines that CapturedConsole collects,
// each ended by CR LF, whatever the statements and their carriage control.
#include "calculators/console_lines.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "calculators/run_cycle.h"
#include "console_capture.h"
#include "fixrec/fixrec.h"

namespace {

using namespace fixrec::literals;
using calculators::ConsoleLines;

struct Statements {
    const char* name;
    std::function<void(ConsoleLines&)> write;
};
void PrintTo(const Statements& s, std::ostream* os) { *os << s.name; }

class BothSinks : public ::testing::TestWithParam<Statements> {};

TEST_P(BothSinks, ShowTheSameBytes) {
    test_support::CaptureConsole console;
    const int code = calculators::within_run({}, &console, [&] {
        calculators::RunConsole run;
        GetParam().write(run);
        return 0;
    });
    ASSERT_EQ(code, 0);

    std::vector<std::string> lines;
    std::string failure;
    calculators::CapturedConsole captured(lines, failure);
    GetParam().write(captured);
    std::string shown;
    for (const std::string& line : lines) shown += line + "\r\n";
    if (!failure.empty()) shown += failure + "\r\n";
    EXPECT_EQ(shown, console.out);
    EXPECT_EQ(console.err, "");
}

INSTANTIATE_TEST_SUITE_P(
    Statements, BothSinks,
    ::testing::Values(
        Statements{"Nothing", [](ConsoleLines&) {}},
        Statements{"ListOfTexts", [](ConsoleLines& c) { c.list({"***ОШИБКА ЧТЕНИЯ ФАЙЛА***"_cp, "X"}); }},
        Statements{"ListWithNumbers",
                   [](ConsoleLines& c) {
                       c.list({"ETA1(%)="_cp, 77.4034f});
                       c.list({2.0f, -1.5e-7f, std::int32_t{42}});
                   }},
        Statements{"FormattedRecords",
                   [](ConsoleLines& c) {
                       c.formatted("(4X,'ЧИСЛО УЗЛОВ БОЛЬШЕ 400',/,4X,'НУЖНО УВЕЛИЧИТЬ DRK')"_fmt);
                       c.formatted("(' R=',F8.3,2X,I3)"_fmt, {1.25f, std::int32_t{7}});
                   }},
        Statements{"EmptyRecords", [](ConsoleLines& c) { c.formatted("(/,' A',/)"_fmt); }},
        Statements{"EmptyLineFirst",
                   [](ConsoleLines& c) {
                       c.formatted("('0FIRST')"_fmt);
                       c.formatted("('0SECOND')"_fmt);
                   }},
        Statements{"Overprint",
                   [](ConsoleLines& c) {
                       c.formatted("('+START')"_fmt);
                       c.list({"LINE"});
                       c.formatted("('+OVER')"_fmt);
                   }},
        Statements{"NewPage",
                   [](ConsoleLines& c) {
                       c.formatted("('1TOP')"_fmt);
                       c.formatted("('1NEXT')"_fmt);
                   }},
        Statements{"LinesThenTheExitThreeLine",
                   [](ConsoleLines& c) {
                       c.list({"LINE"});
                       c.invalid_arithmetic("***ОШИБКА ВЫЧИСЛЕНИЙ***"_cp);
                   }}),
    [](const auto& tp) { return std::string(tp.param.name); });

}  // namespace
