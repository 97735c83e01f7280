// The console: list-directed and formatted console statements, carriage
// control, which bytes a device receives as verbatim, and the code page 866
// -> UTF-8 table of the standard console.
#include <gtest/gtest.h>

#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "console_capture.h"
#include "fixrec/fixrec.h"

namespace {

using namespace fixrec::literals;
using test_support::ScopedRun;
using test_support::SplitConsole;

TEST(Console, ListDirectedRecords) {
    ScopedRun run;
    fixrec::write_console({"***ОШИБКА ЧТЕНИЯ ФАЙЛА BILM.DAT***"_cp});
    fixrec::write_console({"ETA1fr=", 14.8768f});
    fixrec::write_console({98.769f, 0.5f});
    fixrec::write_console({0.0f});
    fixrec::write_console({100.0f});
    run.end();
    const std::string expected = std::string("***ОШИБКА ЧТЕНИЯ ФАЙЛА BILM.DAT***"_cp) +
                                 "\r\nETA1fr=      14.876800"
                                 "\r\n      98.769000    5.000000E-01"
                                 "\r\n   0.000000E+00"
                                 "\r\n     100.000000"
                                 "\r\n";
    EXPECT_EQ(run.console.out, expected);
}

TEST(Console, ListDirectedRecordIsTheRenderedRecord) {
    const fixrec::Item items[] = {"A", 1.5f, std::int32_t{12}, "B", -0.25f};
    std::string text;
    fixrec::render_console_record(items, text);
    ScopedRun run;
    fixrec::write_console(items);
    run.end();
    EXPECT_EQ(run.console.out, text + "\r\n");
}

TEST(Console, CarriageControlOfFormattedRecords) {
    struct Case {
        std::vector<fixrec::FormatView> formats;
        std::string expected;
    } const cases[] = {
        {{"(' first')"_fmt, "(' second')"_fmt}, "first\r\nsecond\r\n"},
        {{"('0first')"_fmt, "('0second')"_fmt}, "\r\nfirst\r\n\r\nsecond\r\n"},
        {{"('1page')"_fmt, "('1again')"_fmt}, "\r\n\f\r \rpage\r\n\f\r \ragain\r\n"},
        {{"(' line')"_fmt, "('+over')"_fmt}, "line\rover\r\n"},
        {{"('Xodd')"_fmt}, "odd\r\n"},  // any other character behaves as a blank
        {{}, ""},                       // no console output, no line end
    };
    for (const auto& c : cases) {
        ScopedRun run;
        for (const auto& f : c.formats) fixrec::write_line(fixrec::kConsoleUnit, f);
        run.end();
        EXPECT_EQ(run.console.out, c.expected);
    }
}

TEST(Console, FormattedStatementWithSlashAndCharacterItems) {
    ScopedRun run;
    const std::string name = "ZARN1.DAT";
    std::vector<fixrec::Item> items;
    std::string padded = name + std::string(30 - name.size(), ' ');
    for (char& ch : padded) items.emplace_back(std::string_view(&ch, 1));
    fixrec::write_line(fixrec::kConsoleUnit,
                       "('***Ошибка открытия имени файла',/,' Прочитано имя с входного файла',30A1)"_fmt,
                       std::span<const fixrec::Item>(items));
    run.end();
    EXPECT_EQ(run.console.out,
              std::string("**Ошибка открытия имени файла"_cp) + "\r\n" +
                  std::string("Прочитано имя с входного файла"_cp) + padded + "\r\n");
}

// Every byte of code page 866 goes to UTF-8 and comes back through the
// compile-time direction of the _cp literal: the two directions are one table.
consteval bool every_byte_round_trips() {
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        std::string utf8;
        fixrec::append_utf8(utf8, std::string_view(&byte, 1));
        const fixrec::utf8::Decoded d = fixrec::utf8::decode(utf8, 0);
        if (d.length != utf8.size() || d.cp != fixrec::cp866_char(static_cast<unsigned char>(b))) return false;
        if (fixrec::cp866_byte(d.cp) != byte) return false;
        if ((b < 0x80) != (utf8.size() == 1)) return false;  // ASCII and controls stay one byte
    }
    return true;
}
static_assert(every_byte_round_trips());

// The one UTF-8 decoder: every boundary code point there and back, and each
// kind of fault where it starts.
consteval bool utf8_boundaries_round_trip() {
    for (const char32_t cp : {0x00u, 0x7Fu, 0x80u, 0x7FFu, 0x800u, 0xD7FFu, 0xE000u, 0xFFFFu, 0x10000u, 0x10FFFFu}) {
        std::string s;
        fixrec::utf8::append(s, cp);
        const fixrec::utf8::Decoded d = fixrec::utf8::decode(s, 0);
        if (d.fault != fixrec::utf8::Fault::None || d.cp != cp || d.length != s.size()) return false;
    }
    using fixrec::utf8::Fault;
    const std::pair<std::string_view, Fault> faults[] = {
        {"\x80", Fault::LeadByte},        {"\xC1\xBF", Fault::LeadByte},     {"\xF5\x80\x80\x80", Fault::LeadByte},
        {"\xD0", Fault::Incomplete},      {"\xE0\xA0" "A", Fault::Incomplete}, {"\xE0\x80\xAF", Fault::Invalid},
        {"\xED\xA0\x80", Fault::Invalid}, {"\xF4\x90\x80\x80", Fault::Invalid},
    };
    for (const auto& [text, fault] : faults)
        if (fixrec::utf8::decode(text, 0).fault != fault) return false;
    return fixrec::utf8::count_shown("\xD0\x96x\x80\xE2\x82") == 5;  // Ж, x, and three bytes shown as U+FFFD
}
static_assert(utf8_boundaries_round_trip());

// The UTF-8 form of a program text is the text as the source spells it,
// look-alike Latin letters included.
#define BOTH(s) std::pair<std::string_view, std::string_view>(s, s##_cp)

TEST(Cp866ToUtf8, ProgramTextsComeBackAsWritten) {
    const std::pair<std::string_view, std::string_view> texts[] = {
        BOTH("***ОШИБКА ОТКРЫТИЯ ФАЙЛА  BILM.DAT***"),
        BOTH("***OШИБКА ОТКРЫТИЯ ФАЙЛА***"),  // Latin O, then Cyrillic
        BOTH(" число узлов больше 400    нужно увеличить DRK"),
        BOTH("\r\n\f\r \rЁё№°\r\n"),
    };
    for (const auto& [utf8, cp866] : texts) {
        std::string out;
        fixrec::append_utf8(out, cp866);
        EXPECT_EQ(out, utf8);
    }
}

const std::string kName = "отчёт 1.dat";  // UTF-8, as a user types it

void list_directed() { fixrec::write_console({"Файл "_cp, fixrec::Verbatim{kName}, " есть"_cp}); }
void formatted() {
    fixrec::write_line(fixrec::kConsoleUnit, "(' Файл ',A,' есть')"_fmt, {fixrec::Verbatim{kName}});
}
void formatted_two_records() {
    fixrec::write_line(fixrec::kConsoleUnit, "(A,/,1X,A)"_fmt,
                       {fixrec::Verbatim{"+x"}, fixrec::Verbatim{kName}});
}
void plain_text() { fixrec::write_console({"Файл "_cp, kName}); }
int failing_report() {
    fixrec::write_line(1, "(A)"_fmt, {"x"});  // the implicit connection cannot make its file
    return 0;
}

TEST(ConsoleDevice, VerbatimBytesAreHandedOverApart) {
    struct Case {
        const char* name;
        void (*statement)();
        std::vector<std::pair<char, std::string>> expected;
    };
    const std::string file = std::string("Файл "_cp), exists = std::string(" есть"_cp);
    const Case cases[] = {
        {"list-directed", list_directed, {{'t', file}, {'v', kName}, {'t', exists}}},
        {"formatted", formatted, {{'t', file}, {'v', kName}, {'t', exists}}},
        // The first byte of a record is carriage control even when verbatim.
        {"formatted, verbatim at column 1", formatted_two_records,
         {{'t', "\r"}, {'v', "x"}, {'t', "\r\n"}, {'v', kName}}},
        {"plain text is program text", plain_text, {{'t', file + kName}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SplitConsole console;
        fixrec::begin_run({}, &console);
        c.statement();
        fixrec::end_run();
        ASSERT_FALSE(console.parts.empty());
        EXPECT_EQ(console.parts.back(), (std::pair<char, std::string>('t', "\r\n")));  // end of run
        console.parts.pop_back();
        EXPECT_EQ(console.parts, c.expected);
    }
}

TEST(ConsoleDevice, DiagnosticIsVerbatim) {
    SplitConsole console;
    // A file in a directory that does not exist cannot take the report.
    const std::string dir = ::testing::TempDir() + "missing-directory/report.dat";
    EXPECT_EQ(fixrec::run_with({dir}, &console, failing_report), 1);
    ASSERT_EQ(console.parts.size(), 1u);
    EXPECT_EQ(console.parts[0].first, 'V');
    EXPECT_NE(console.parts[0].second.find("run-time error 2001"), std::string::npos);
    EXPECT_NE(console.parts[0].second.find(dir), std::string::npos);
}

}  // namespace
