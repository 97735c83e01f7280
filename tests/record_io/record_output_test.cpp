// Output statements on a unit: the bytes of the records, written into a
// report in memory (open_memory_output), which gets what a file would get.
#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "console_capture.h"
#include "fixrec/fixrec.h"

namespace {

using namespace fixrec::literals;
using fixrec::Status;
using test_support::ScopedRun;

// The report that `statements` write on unit 1.
template <typename Statements>
std::string report_of(Statements&& statements) {
    std::string report;  // outlives the run, which closes the unit at its end
    ScopedRun run;
    EXPECT_EQ(fixrec::open_memory_output(1, report), Status::Ok);
    statements();
    fixrec::close_unit(1);
    run.end();
    return report;
}

TEST(OutputStatement, ReportLinesTable) {
    struct Case {
        fixrec::FormatView format;
        std::vector<fixrec::Item> items;
        std::string expected;
    };
    const std::string fifty(50, '*');
    const Case cases[] = {
        {R"fmt((2X,'ОБЬЕМНЫЙ РАСХОД ЖИДКОСТИ           Q',E12.5,'(м3/с)'))fmt"_fmt,
         {0.0012f},
         std::string("  ОБЬЕМНЫЙ РАСХОД ЖИДКОСТИ           Q  .12000E-02(м3/с)"_cp) + "\r\n"},
        {"(5X,'**************************************************',/)"_fmt, {}, "     " + fifty + "\r\n\r\n"},
        {"(2X,/)"_fmt, {}, "\r\n\r\n"},
        {"(/)"_fmt, {}, "\r\n\r\n"},
        {R"fmt((2X,'КОЛИЧЕСТВО ВХОДНЫХ ОТВЕРСТИЙ         NI',5X,I1))fmt"_fmt,
         {std::int32_t{4}},
         std::string("  КОЛИЧЕСТВО ВХОДНЫХ ОТВЕРСТИЙ         NI     4"_cp) + "\r\n"},
        {R"fmt((2X,'КОНСТРУКТИВНЫЙ ПАРАМЕТР ЗАКРУТКИ     МА',E16.5,' '))fmt"_fmt,
         {1.5f},
         std::string("  КОНСТРУКТИВНЫЙ ПАРАМЕТР ЗАКРУТКИ     МА      .15000E+01 "_cp) + "\r\n"},
        {"(6X,E12.5,6X,E12.5,6X,E12.5)"_fmt,
         {1.0f, -2.0f, 0.0f},
         "        .10000E+01       -.20000E+01        .00000E+00\r\n"},
        {"(E12.5,5X)"_fmt, {1.0f}, "  .10000E+01\r\n"},            // trailing X writes nothing
        {"('A',3X,/,'B')"_fmt, {}, "A\r\nB\r\n"},                   // X before / is dropped
        {"(E12.5)"_fmt, {1.0f, 2.0f}, "  .10000E+01\r\n  .20000E+01\r\n"},  // reversion
        {"('X=',E12.5,' END')"_fmt, {}, "X=\r\n"},                  // stops at the first data descriptor
        {"(30A1)"_fmt, {"ABC"}, "A\r\n"},  // A1 shows the first character of a long item
        {"(A5)"_fmt, {"AB"}, "   AB\r\n"},
        {"(3X,A)"_fmt, {"  "}, "     \r\n"},  // blanks of the item itself are written
        {"('it''s')"_fmt, {}, "it's\r\n"},
        {"(F11.4,I3)"_fmt, {45.0f, std::int32_t{-5}}, "    45.0000 -5\r\n"},
    };
    for (const auto& c : cases) {
        const std::string got =
            report_of([&] { fixrec::write_line(1, c.format, std::span<const fixrec::Item>(c.items)); });
        EXPECT_EQ(got, c.expected) << "format " << c.format.source();
        // The unit's buffer and the pure renderer give the same bytes.
        std::string rendered;
        fixrec::render_record(c.format, c.items, rendered);
        EXPECT_EQ(rendered, got) << "format " << c.format.source();
    }
}

TEST(OutputStatement, ValueColumnsOfTheReport) {
    // 2X + a 39-character label puts an E16.5 field in columns 42 to 57.
    const std::string label(39, 'L');
    const fixrec::Format format("(2X,'" + label + "',E16.5,' (м)')");
    const std::string got = report_of([&] { fixrec::write_line(1, format, {1234.5f}); });
    ASSERT_GE(got.size(), 57u);
    EXPECT_EQ(got.substr(41, 16), "      .12345E+04");
}

TEST(OutputStatement, RecordsAreWrittenWholeAcrossTheBuffer) {
    // Longer than the 1024-byte buffer, and records that end on its edges.
    const std::string long_text(3000, 'q');
    std::string expected = long_text + "\r\ntail\r\n";
    const std::string got = report_of([&] {
        fixrec::write_line(1, "(A)"_fmt, {long_text});
        fixrec::write_line(1, "('tail')"_fmt);
        for (int n = 1000; n < 1040; ++n) {
            const std::string text(static_cast<std::size_t>(n), static_cast<char>('a' + n % 26));
            fixrec::write_line(1, "(3X,A)"_fmt, {text});
            expected += "   " + text + "\r\n";
        }
    });
    EXPECT_EQ(got, expected);
}

TEST(OutputStatement, MismatchedItemIsAProgrammingError) {
    std::string report;  // outlives the run, which closes the unit at its end
    ScopedRun run;
    ASSERT_EQ(fixrec::open_memory_output(1, report), Status::Ok);
    EXPECT_THROW(fixrec::write_line(1, "(I3)"_fmt, {1.0f}), std::invalid_argument);
    EXPECT_THROW(fixrec::write_line(1, "('no data')"_fmt, {1.0f}), std::invalid_argument);
}

}  // namespace
