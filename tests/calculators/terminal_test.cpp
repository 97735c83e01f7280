// The console on a terminal.  Every text of the programs is code page 866;
// on a terminal whose locale (the first non-empty of LC_ALL, LC_CTYPE and
// LANG) names the UTF-8 codeset it is shown as UTF-8, while a pipe gets the
// code page 866 bytes whatever the locale.  A file name typed at the prompt
// or named on the command line is taken, and shown, exactly as given.  The
// built programs run on a real pseudo-terminal (tests/support/terminal_run.h).
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "programs.h"
#include "run_program.h"
#include "terminal_run.h"
#include "test_files.h"

namespace {

using namespace fixrec::literals;
using test_support::entries;
using test_support::read_bytes;
using test_support::TempDir;

// A console text as the source spells it (UTF-8) and as the program writes
// it (code page 866), from one literal.
struct Text {
    std::string utf8;
    std::string cp866;
    Text& operator+=(const Text& t) {
        utf8 += t.utf8;
        cp866 += t.cp866;
        return *this;
    }
};
#define TEXT(s) Text{s, std::string(s##_cp)}
Text ascii(std::string_view s) { return {std::string(s), std::string(s)}; }

// Console messages, each ending its line.
Text lines(std::initializer_list<Text> messages) {
    Text all;
    for (const Text& m : messages) {
        all += m;
        all += ascii("\r\n");
    }
    return all;
}

// Copied from the programs' own expectations, which anchor them below.
const Text kZarn1OpenFailed = TEXT("*** Ошибка открытия файла ZARN1.DAT!***");
const Text kBilmOpenFailed = TEXT("***ОШИБКА ОТКРЫТИЯ ФАЙЛА  BILM.DAT***");
const Text kBilmReopenFailed = TEXT("***OШИБКА ОТКРЫТИЯ ФАЙЛА***");  // Latin O first

TEST(TerminalTexts, AreTheProgramsOwn) {
    EXPECT_EQ(kZarn1OpenFailed.cp866, zarn1_expect::kOpenFailed);
    EXPECT_EQ(kBilmOpenFailed.cp866, bilm_expect::kOpenFailed);
    EXPECT_EQ(kBilmReopenFailed.cp866, bilm_expect::kReopenFailed);
}

using test_support::TerminalResult;
using test_support::TerminalRun;
using test_support::To;

// The run, a failure of the test when the program does not end in time.
TerminalResult on_terminal(const TerminalRun& run) {
    TerminalResult r = test_support::run_on_terminal(run);
    if (r.timed_out) ADD_FAILURE() << "the program did not end in time";
    return r;
}

// ---------------------------------------------------------------------------
// The locale and the kind of stream choose the bytes: ZARN1 in an empty
// directory says that it cannot open its data file.

struct LocaleCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> locale;
    To out;
    bool utf8;
};
void PrintTo(const LocaleCase& c, std::ostream* os) { *os << c.name; }

class ConsoleEncoding : public ::testing::TestWithParam<LocaleCase> {};

TEST_P(ConsoleEncoding, FollowsLocaleOnTerminalOnly) {
    const LocaleCase& c = GetParam();
    TempDir dir;
    TerminalRun run{ZARN1_PATH, {}, dir.path().string(), c.locale, c.out, To::Terminal, ""};
    const TerminalResult r = on_terminal(run);
    EXPECT_EQ(r.exit_code, test_support::kExitUnreadable);
    const Text expected = lines({kZarn1OpenFailed});
    const std::string& want = c.utf8 ? expected.utf8 : expected.cp866;
    EXPECT_EQ(c.out == To::Terminal ? r.terminal : r.out_pipe, want);
    EXPECT_EQ(c.out == To::Terminal ? r.out_pipe : r.terminal, "");
    EXPECT_EQ(r.err_pipe, "");
    EXPECT_EQ(entries(dir.path()), std::set<std::string>{});
}

using Env = std::vector<std::pair<std::string, std::string>>;
INSTANTIATE_TEST_SUITE_P(
    Locales, ConsoleEncoding,
    ::testing::Values(
        LocaleCase{"LangCUtf8", Env{{"LANG", "C.UTF-8"}}, To::Terminal, true},
        LocaleCase{"LangLowerUtf8", Env{{"LANG", "ru_RU.utf8"}}, To::Terminal, true},
        LocaleCase{"LangUtf8WithModifier", Env{{"LANG", "sr_RS.UTF-8@latin"}}, To::Terminal, true},
        LocaleCase{"LangC", Env{{"LANG", "C"}}, To::Terminal, false},
        LocaleCase{"LangCp866", Env{{"LANG", "ru_RU.CP866"}}, To::Terminal, false},
        LocaleCase{"LangKoi8r", Env{{"LANG", "ru_RU.KOI8-R"}}, To::Terminal, false},
        LocaleCase{"LangUtf16", Env{{"LANG", "xx.UTF-16"}}, To::Terminal, false},
        LocaleCase{"NoLocale", Env{}, To::Terminal, false},
        LocaleCase{"LcAllOverLang", Env{{"LC_ALL", "C.UTF-8"}, {"LANG", "C"}}, To::Terminal, true},
        LocaleCase{"LcAllCOverLangUtf8", Env{{"LC_ALL", "C"}, {"LANG", "C.UTF-8"}}, To::Terminal, false},
        LocaleCase{"LcCtypeOverLang", Env{{"LC_CTYPE", "C.UTF-8"}, {"LANG", "C"}}, To::Terminal, true},
        LocaleCase{"LcAllOverLcCtype", Env{{"LC_ALL", "POSIX"}, {"LC_CTYPE", "C.UTF-8"}}, To::Terminal, false},
        LocaleCase{"EmptyLcAllSkipped", Env{{"LC_ALL", ""}, {"LANG", "C.UTF-8"}}, To::Terminal, true},
        LocaleCase{"PipeUnderUtf8", Env{{"LANG", "C.UTF-8"}}, To::Pipe, false},
        LocaleCase{"PipeUnderLcAllUtf8", Env{{"LC_ALL", "C.UTF-8"}}, To::Pipe, false}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

// ---------------------------------------------------------------------------
// BILM in an empty directory: two messages, then the prompt for the file of
// the blank form.  The name typed is UTF-8 and names the file byte for byte.

const std::string kTypedName = "отчёт №1.DAT";  // UTF-8 as typed

class PromptOnTerminal : public ::testing::TestWithParam<To> {};

TEST_P(PromptOnTerminal, TypedNameIsTakenAsTyped) {
    const To out = GetParam();
    TempDir dir;
    const TerminalResult r = on_terminal(
        {BILM_PATH, {}, dir.path().string(), {{"LANG", "C.UTF-8"}}, out, To::Terminal, kTypedName + "\n"});
    EXPECT_EQ(r.exit_code, test_support::kExitUnreadable);
    Text expected = lines({kBilmOpenFailed, kBilmReopenFailed});
    expected += ascii(bilm_expect::kPrompt);
    expected += ascii("\r\n");
    if (out == To::Terminal) {
        EXPECT_EQ(r.terminal, expected.utf8);
        EXPECT_EQ(r.out_pipe, "");
    } else {
        EXPECT_EQ(r.out_pipe, expected.cp866);
        EXPECT_EQ(r.terminal, "");
    }
    EXPECT_EQ(r.err_pipe, "");
    EXPECT_EQ(entries(dir.path()), std::set<std::string>{kTypedName});
    EXPECT_EQ(read_bytes(dir / kTypedName), bilm_expect::blank_report());
}

INSTANTIATE_TEST_SUITE_P(BilmBlankForm, PromptOnTerminal, ::testing::Values(To::Terminal, To::Pipe),
                         [](const auto& param_info) {
                             return std::string(param_info.param == To::Terminal ? "Terminal" : "Pipe");
                         });

// The "run-time error" diagnostic names the file as given on the command
// line: on a UTF-8 terminal that name is not converted a second time, while
// the messages before it are.
TEST(DiagnosticOnTerminal, FileNameIsShownAsGiven) {
    TempDir dir;
    // A file in a directory that does not exist cannot take the report.
    const std::string name = "каталог/отчёт.DAT";
    const TerminalResult r = on_terminal(
        {BILM_PATH, {name}, dir.path().string(), {{"LANG", "C.UTF-8"}}, To::Terminal, To::Terminal, ""});
    EXPECT_EQ(r.exit_code, test_support::kExitUnreadable);
    const Text messages = lines({kBilmOpenFailed, kBilmReopenFailed});  // then a new line
    ASSERT_EQ(r.terminal.substr(0, messages.utf8.size()), messages.utf8);
    const std::string diagnostic = r.terminal.substr(messages.utf8.size());
    EXPECT_TRUE(diagnostic.starts_with("run-time error ")) << diagnostic;
    EXPECT_NE(diagnostic.find("file " + name + " "), std::string::npos) << diagnostic;
    EXPECT_TRUE(diagnostic.ends_with("\n")) << diagnostic;
    EXPECT_EQ(entries(dir.path()), std::set<std::string>{});
}

}  // namespace

namespace {

// A name that is taken is named back as the user typed it: on a UTF-8
// terminal the Cyrillic name is shown once, not converted a second time.
TEST(KeptNameOnTerminal, IsShownAsGiven) {
    TempDir dir;
    const std::string taken = "отчёт.DAT";
    const std::string fresh = "новый.DAT";
    test_support::write_bytes(dir / taken, "keep me\r\n");
    const TerminalResult r = on_terminal(
        {BILM_PATH, {taken, fresh}, dir.path().string(), {{"LANG", "C.UTF-8"}}, To::Terminal, To::Terminal, ""});
    EXPECT_EQ(r.exit_code, test_support::kExitUnreadable);
    const Text messages = lines({kBilmOpenFailed, kBilmReopenFailed});
    EXPECT_EQ(r.terminal, messages.utf8 + "File " + taken + " already exists and was kept\r\n");
    EXPECT_EQ(read_bytes(dir / taken), "keep me\r\n");
    EXPECT_EQ(read_bytes(dir / fresh), bilm_expect::blank_report());
}

}  // namespace
