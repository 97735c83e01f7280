// The code page 866 -> UTF-8 table of the console, and which bytes of a
// console record a device receives as verbatim (never converted).
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fixrec/cp866.h"
#include "fixrec/fixrec.h"

namespace {

using namespace fixrec::literals;

// Every byte of code page 866 goes to UTF-8 and comes back through the
// compile-time direction of the _cp literal: the two directions are one table.
consteval bool every_byte_round_trips() {
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        std::string utf8;
        fixrec::append_utf8(utf8, std::string_view(&byte, 1));
        std::size_t i = 0;
        const char32_t cp = fixrec::cp866_detail::decode_utf8(utf8.data(), utf8.size(), i);
        if (i != utf8.size() || fixrec::cp866_detail::encode(cp) != byte) return false;
        if ((b < 0x80) != (utf8.size() == 1)) return false;  // ASCII and controls stay one byte
    }
    return true;
}
static_assert(every_byte_round_trips());

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

// A device that keeps apart what it receives as program text and as verbatim.
class SplitConsole final : public fixrec::ConsoleDevice {
public:
    std::vector<std::pair<char, std::string>> parts;  // 't' text, 'v' verbatim
    void write_out(std::string_view b) override { parts.emplace_back('t', b); }
    void write_err(std::string_view b) override { parts.emplace_back('T', b); }
    void write_out_verbatim(std::string_view b) override { parts.emplace_back('v', b); }
    void write_err_verbatim(std::string_view b) override { parts.emplace_back('V', b); }
    bool read_line(std::string&) override { return false; }
};

const std::string kName = "отчёт 1.dat";  // UTF-8, as a user types it

void list_directed() { fixrec::write_console({"Файл "_cp, fixrec::Verbatim{kName}, " есть"_cp}); }
void formatted() {
    fixrec::write_line(fixrec::kConsoleUnit, "(' Файл ',A,' есть')"_cp, {fixrec::Verbatim{kName}});
}
void formatted_two_records() {
    fixrec::write_line(fixrec::kConsoleUnit, "(A,/,1X,A)",
                       {fixrec::Verbatim{"+x"}, fixrec::Verbatim{kName}});
}
void plain_text() { fixrec::write_console({"Файл "_cp, kName}); }
int failing_report() {
    fixrec::write_line(1, "(A)", {"x"});  // the implicit connection cannot make its file
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
