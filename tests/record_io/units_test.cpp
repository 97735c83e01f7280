// Output statements, the console, and the data-file cycle.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fixrec/fixrec.h"
#include "test_support.h"

namespace {

using namespace fixrec::literals;
using fixrec_test::read_file;
using fixrec_test::ScopedRun;
using fixrec_test::ScratchDir;
using fixrec_test::write_file;

// Writes the given statements to a fresh data file and returns its bytes.
template <typename Statements>
std::string report_of(Statements&& statements) {
    ScratchDir dir;
    const std::string path = dir.file("R.DAT");
    write_file(path, "old content that must disappear\r\n");
    ScopedRun run;
    EXPECT_EQ(fixrec::open_old(1, path), fixrec::Status::Ok);
    statements();
    fixrec::close_unit(1);
    run.end();
    return read_file(path);
}

TEST(OutputStatement, ReportLinesTable) {
    struct Case {
        std::string_view format;
        std::vector<fixrec::Item> items;
        std::string expected;
    };
    const std::string fifty(50, '*');
    const Case cases[] = {
        {"(2X,'ОБЬЕМНЫЙ РАСХОД ЖИДКОСТИ           Q',E12.5,'(м3/с)')"_cp,
         {0.0012f},
         std::string("  ОБЬЕМНЫЙ РАСХОД ЖИДКОСТИ           Q  .12000E-02(м3/с)"_cp) + "\r\n"},
        {"(5X,'**************************************************',/)",
         {},
         "     " + fifty + "\r\n\r\n"},
        {"(2X,/)", {}, "\r\n\r\n"},
        {"(/)", {}, "\r\n\r\n"},
        {"(2X,'КОЛИЧЕСТВО ВХОДНЫХ ОТВЕРСТИЙ         NI',5X,I1)"_cp,
         {std::int32_t{4}},
         std::string("  КОЛИЧЕСТВО ВХОДНЫХ ОТВЕРСТИЙ         NI     4"_cp) + "\r\n"},
        {"(2X,'КОНСТРУКТИВНЫЙ ПАРАМЕТР ЗАКРУТКИ     МА',E16.5,' ')"_cp,
         {1.5f},
         std::string("  КОНСТРУКТИВНЫЙ ПАРАМЕТР ЗАКРУТКИ     МА      .15000E+01 "_cp) + "\r\n"},
        {"(6X,E12.5,6X,E12.5,6X,E12.5)",
         {1.0f, -2.0f, 0.0f},
         "        .10000E+01       -.20000E+01        .00000E+00\r\n"},
        {"(E12.5,5X)", {1.0f}, "  .10000E+01\r\n"},          // trailing X writes nothing
        {"('A',3X,/,'B')", {}, "A\r\nB\r\n"},                  // X before / is dropped
        {"(E12.5)", {1.0f, 2.0f}, "  .10000E+01\r\n  .20000E+01\r\n"},  // reversion
        {"('X=',E12.5,' END')", {}, "X=\r\n"},                 // stops at the first data descriptor
        {"(30A1)", {"ABC"}, "A\r\n"},  // A1 shows the first character of a long item
        {"(A5)", {"AB"}, "   AB\r\n"},
        {"(3X,A)", {"  "}, "     \r\n"},  // blanks of the item itself are written
        {"('it''s')", {}, "it's\r\n"},
        {"(F11.4,I3)", {45.0f, std::int32_t{-5}}, "    45.0000 -5\r\n"},
    };
    for (const auto& c : cases) {
        const std::string got = report_of([&] {
            fixrec::write_line(1, c.format, std::span<const fixrec::Item>(c.items));
        });
        EXPECT_EQ(got, c.expected) << "format " << c.format;
    }
}

TEST(OutputStatement, ValueColumnsOfTheReport) {
    // 2X + a 39-character label puts an E16.5 field in columns 42 to 57.
    const std::string label(39, 'L');
    const std::string got = report_of([&] {
        fixrec::write_line(1, "(2X,'" + label + "',E16.5,' (м)')", {1234.5f});
    });
    ASSERT_GE(got.size(), 57u);
    EXPECT_EQ(got.substr(41, 16), "      .12345E+04");
}

TEST(OutputStatement, LongRecordsAreWrittenWhole) {
    const std::string long_text(3000, 'q');
    const std::string got = report_of([&] {
        fixrec::write_line(1, "(A)", {long_text});
        fixrec::write_line(1, "('tail')");
    });
    EXPECT_EQ(got, long_text + "\r\ntail\r\n");
}

TEST(OutputStatement, MismatchedItemIsAProgrammingError) {
    ScratchDir dir;
    write_file(dir.file("M.DAT"), "");
    ScopedRun run;
    ASSERT_EQ(fixrec::open_old(1, dir.file("M.DAT")), fixrec::Status::Ok);
    EXPECT_THROW(fixrec::write_line(1, "(I3)", {1.0f}), std::invalid_argument);
    EXPECT_THROW(fixrec::write_line(1, "('no data')", {1.0f}), std::invalid_argument);
}

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

TEST(Console, CarriageControlOfFormattedRecords) {
    struct Case {
        std::vector<std::string> formats;
        std::string expected;
    } const cases[] = {
        {{"(' first')", "(' second')"}, "first\r\nsecond\r\n"},
        {{"('0first')", "('0second')"}, "\r\nfirst\r\n\r\nsecond\r\n"},
        {{"('1page')", "('1again')"}, "\r\n\f\r \rpage\r\n\f\r \ragain\r\n"},
        {{"(' line')", "('+over')"}, "line\rover\r\n"},
        {{"('Xodd')"}, "odd\r\n"},  // any other character behaves as a blank
        {{}, ""},                    // no console output, no line end
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
                       "('***Ошибка открытия имени файла',/,' Прочитано имя с входного файла',30A1)"_cp,
                       std::span<const fixrec::Item>(items));
    run.end();
    EXPECT_EQ(run.console.out,
              std::string("**Ошибка открытия имени файла"_cp) + "\r\n" +
                  std::string("Прочитано имя с входного файла"_cp) + padded + "\r\n");
}

TEST(DataFileCycle, OpenOldNeverCreates) {
    ScratchDir dir;
    ScopedRun run;
    EXPECT_NE(fixrec::open_old(1, dir.file("MISSING.DAT")), fixrec::Status::Ok);
    fixrec::close_unit(1);  // closing a unit that is not connected does nothing
    EXPECT_FALSE(std::filesystem::exists(dir.file("MISSING.DAT")));
    EXPECT_NE(fixrec::open_old(1, dir.path().string()), fixrec::Status::Ok);  // a directory
}

TEST(DataFileCycle, NameWithTrailingBlanks) {
    ScratchDir dir;
    write_file(dir.file("BILM.DAT"), "x\r\n");
    ScopedRun run;
    EXPECT_EQ(fixrec::open_old(1, "  " + dir.file("BILM.DAT") + "   "), fixrec::Status::Ok);
}

TEST(DataFileCycle, EmptyFileFailsTheFirstRead) {
    ScratchDir dir;
    write_file(dir.file("E.DAT"), "");
    ScopedRun run;
    ASSERT_EQ(fixrec::open_old(1, dir.file("E.DAT")), fixrec::Status::Ok);
    char header[80];
    EXPECT_NE(fixrec::read_fields(1, "(80A1)", fixrec::each_char(header)), fixrec::Status::Ok);
}

TEST(DataFileCycle, ReportReplacesALongerFileWhole) {
    ScratchDir dir;
    const std::string path = dir.file("D.DAT");
    std::string old;
    for (int i = 0; i < 400; ++i) old += "an earlier and longer report line " + std::to_string(i) + "\r\n";
    write_file(path, old);
    ScopedRun run;
    ASSERT_EQ(fixrec::open_old(1, path), fixrec::Status::Ok);
    char header[80];
    ASSERT_EQ(fixrec::read_fields(1, "(80A1)", fixrec::each_char(header)), fixrec::Status::Ok);
    fixrec::close_unit(1);
    ASSERT_EQ(fixrec::open_old(1, path), fixrec::Status::Ok);
    for (int i = 0; i < 100; ++i) fixrec::write_line(1, "(I3,' new')", {std::int32_t{i}});
    // Nothing of the report is on disk before the unit is closed.
    EXPECT_EQ(read_file(path), old);
    fixrec::close_unit(1);
    std::string expected;
    for (int i = 0; i < 100; ++i) {
        const std::string n = std::to_string(i);
        expected += std::string(3 - n.size(), ' ') + n + " new\r\n";
    }
    EXPECT_EQ(read_file(path), expected);
    // No scratch file is left beside the data file.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(DataFileCycle, OutputAfterReadingCutsAtThePosition) {
    ScratchDir dir;
    const std::string path = dir.file("P.DAT");
    write_file(path, "keep me\r\ndrop me\r\nand me\r\n");
    ScopedRun run;
    ASSERT_EQ(fixrec::open_old(1, path), fixrec::Status::Ok);
    char header[80];
    ASSERT_EQ(fixrec::read_fields(1, "(80A1)", fixrec::each_char(header)), fixrec::Status::Ok);
    fixrec::write_line(1, "('new')");
    fixrec::close_unit(1);
    EXPECT_EQ(read_file(path), "keep me\r\nnew\r\n");
}

TEST(DataFileCycle, ReopeningTheSameFileKeepsThePosition) {
    ScratchDir dir;
    const std::string path = dir.file("S.DAT");
    write_file(path, "one\r\ntwo\r\n");
    ScopedRun run;
    ASSERT_EQ(fixrec::open_old(1, path), fixrec::Status::Ok);
    char line[3];
    ASSERT_EQ(fixrec::read_fields(1, "(3A1)", fixrec::each_char(line)), fixrec::Status::Ok);
    ASSERT_EQ(fixrec::open_old(1, path + " "), fixrec::Status::Ok);
    ASSERT_EQ(fixrec::read_fields(1, "(3A1)", fixrec::each_char(line)), fixrec::Status::Ok);
    EXPECT_EQ(std::string(line, 3), "two");
}

TEST(DataFileCycle, EndOfRunClosesUnits) {
    ScratchDir dir;
    const std::string path = dir.file("U.DAT");
    write_file(path, "old\r\n");
    {
        ScopedRun run;
        ASSERT_EQ(fixrec::open_old(7, path), fixrec::Status::Ok);
        fixrec::write_line(7, "('written at the end of the run')");
        run.end();
    }
    EXPECT_EQ(read_file(path), "written at the end of the run\r\n");
}

TEST(DataFileCycle, PermissionBitsAndSymbolicLinksSurvive) {
    ScratchDir dir;
    const std::string target = dir.file("target.dat");
    const std::string link = dir.file("LINK.DAT");
    write_file(target, "old\r\n");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    ASSERT_EQ(::symlink("target.dat", link.c_str()), 0);
    ScopedRun run;
    ASSERT_EQ(fixrec::open_old(1, link), fixrec::Status::Ok);
    fixrec::write_line(1, "('report')");
    fixrec::close_unit(1);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(read_file(target), "report\r\n");
    struct stat st{};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(DataFileCycle, HardLinksAllSeeTheReport) {
    ScratchDir dir;
    const std::string first = dir.file("ONE.DAT");
    const std::string second = dir.file("TWO.DAT");
    write_file(first, "an old content longer than the report\r\n");
    ASSERT_EQ(::link(first.c_str(), second.c_str()), 0);
    ScopedRun run;
    ASSERT_EQ(fixrec::open_old(1, first), fixrec::Status::Ok);
    fixrec::write_line(1, "('report')");
    EXPECT_EQ(read_file(first), "an old content longer than the report\r\n");
    fixrec::close_unit(1);
    EXPECT_EQ(read_file(first), "report\r\n");
    EXPECT_EQ(read_file(second), "report\r\n");
}

TEST(ImplicitConnection, CommandLineArgumentNamesTheFile) {
    ScratchDir dir;
    const std::string named = dir.file("OUT.DAT");
    ScopedRun run({"  " + named + " "});
    fixrec::write_line(1, "('blank form')");
    run.end();
    EXPECT_EQ(read_file(named), "blank form\r\n");
    EXPECT_EQ(run.console.out, "");
}

TEST(ImplicitConnection, PromptAsksUntilANameIsGiven) {
    // An answer that names an existing file is not taken: the file is kept
    // and the question is asked again.
    ScratchDir dir;
    const std::string named = dir.file("ASKED.DAT");
    const std::string existing = dir.file("EXISTING.DAT");
    write_file(existing, "an existing file is kept\r\n");
    ScopedRun run;
    run.console.keyboard = {"   ", existing, named};
    fixrec::write_console({"before"});
    fixrec::write_line(1, "('form')");
    fixrec::write_console({"after"});
    run.end();
    EXPECT_EQ(read_file(named), "form\r\n");
    EXPECT_EQ(read_file(existing), "an existing file is kept\r\n");
    const std::string prompt = "File name missing or blank - please enter file name\r\nUNIT 1? ";
    const std::string kept = "File " + existing + " already exists and was kept\r\n";
    EXPECT_EQ(run.console.out, "before\r\n" + prompt + prompt + kept + prompt + "\r\nafter\r\n");
}

TEST(ImplicitConnection, EndOfConsoleInputEndsTheRunWithoutWriting) {
    ScratchDir dir;
    fixrec_test::CaptureConsole console;
    const int code = fixrec::run_with({}, &console, [] {
        fixrec::write_line(1, "('never written')");
        return 0;
    });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(console.out, "File name missing or blank - please enter file name\r\nUNIT 1? \r\n");
    EXPECT_EQ(console.err.rfind("run-time error ", 0), 0u) << console.err;
    EXPECT_EQ(console.err.find('\n'), console.err.size() - 1) << "one line";
}

TEST(ImplicitConnection, ArgumentsServeInTurn) {
    ScratchDir dir;
    static std::string first;
    static std::string second;
    first = dir.file("A1.DAT");
    second = dir.file("A2.DAT");
    fixrec_test::CaptureConsole console;
    const int code = fixrec::run_with({first, second}, &console, [] {
        fixrec::write_line(1, "('one')");
        fixrec::close_unit(1);
        fixrec::write_line(1, "('two')");
        return 0;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(read_file(first), "one\r\n");
    EXPECT_EQ(read_file(second), "two\r\n");
}

TEST(RunLifecycle, FatalWriteLeavesTheDataFileAndExitsWithOne) {
    ScratchDir dir;
    static std::string path;
    path = dir.file("W.DAT");
    write_file(path, "precious\r\n");
    // A new file in a directory that does not exist cannot take the report.
    static std::string unreachable;
    unreachable = dir.file("missing/OUT.DAT");
    fixrec_test::CaptureConsole console;
    const int code = fixrec::run_with({unreachable}, &console, [] {
        fixrec::write_console({"message"});
        fixrec::write_line(1, "('x')");
        return 0;
    });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(console.out, "message\r\n");
    EXPECT_EQ(console.err.rfind("run-time error ", 0), 0u);
    EXPECT_EQ(read_file(path), "precious\r\n");
}

}  // namespace
